// Text helpers of the settings file: names compared as the registry compares
// them (without case), blanks, hex numbers, and the conversions between the
// narrow text the registry calls hand out and the UTF-16 of a .reg file.
#pragma once

#include "platform/Registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace plat::regfile {

char Lower(char c);
// Key and value names compare as the registry compares them: without case.
bool EqualNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// True when path names key itself or a key below it.
bool IsAtOrBelow(std::string_view path, std::string_view key);

bool IsBlank(char c);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRightBlanks(std::string_view s);
std::string_view Trim(std::string_view s);

int HexDigit(char c);
// Reads 1 to maxDigits hex digits, the whole of text.
std::optional<DWORD> ParseHexNumber(std::string_view text, std::size_t maxDigits);

std::string ErrnoText(int error);

void AppendUtf8(std::string& out, char32_t cp);
// Narrow text to UTF-16. A byte that does not belong to a valid UTF-8
// sequence becomes the unpaired surrogate U+DC00 + byte, which Utf16ToNarrow
// turns back into the byte, so any byte string survives the round trip.
std::u16string NarrowToUtf16(std::string_view s);
std::string Utf16ToNarrow(std::u16string_view s);
std::u16string FromUtf16Le(const BYTE* bytes, std::size_t size);
std::string ToUtf16Le(std::u16string_view text);

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ.
bool IsStringType(DWORD type);

} // namespace plat::regfile
