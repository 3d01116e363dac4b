// Small files read and written whole: read at once, and replaced at once
// (the text goes to a temporary file in the same folder, which then takes the
// file's name), so that a reader sees the old file or the new one and never
// part of one, whatever happens to the writer.
#pragma once

#include "files/FileException.h"

#include <string>
#include <string_view>

namespace vx {

// The text of a regular file; false, with error, when it cannot be read
// (osError ENOENT when there is no such file).
bool ReadWholeFile(const std::string& path, std::string& text, FileError& error);

// Replaces the file (creating it) with text; false, with error, when it
// could not be written, and the file is then as it was.
bool ReplaceWholeFile(const std::string& path, std::string_view text, FileError& error);

} // namespace vx
