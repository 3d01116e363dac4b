// Reading a .reg file ("Windows Registry Editor Version 5.00" or "REGEDIT4")
// into its sections and entries.
#pragma once

#include "platform/linux/RegDocument.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::regfile {

struct ParseError {
    std::size_t line = 0; // 1-based
    std::string what;
};

std::vector<std::string> SplitLines(std::string_view text);

// Reads the file's text (already in UTF-8) into doc; the first line that
// cannot be read, with the reason, on failure.
std::optional<ParseError> ParseDocument(const std::string& raw, Document& doc);

} // namespace plat::regfile
