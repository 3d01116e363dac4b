// Writing a .reg file back: each value's lines as regedit writes them, and the
// whole document with every line that was not changed as it was read.
#pragma once

#include "platform/linux/RegDocument.h"

#include <string>
#include <vector>

namespace plat::regfile {

// The lines of one value: "name"="text", "name"=dword:..., or hex data in
// lines of at most 80 characters.
std::vector<std::string> ValueLines(const std::string& name, DWORD type,
                                    const std::vector<BYTE>& data, bool unicode);

// The document's text, in UTF-8 (the caller encodes it as the file was).
std::string Serialize(const Document& doc);

} // namespace plat::regfile
