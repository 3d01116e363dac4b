// The settings store on Linux: the registry calls over one text file in the
// format of a .reg export.
//
// Every call reads the file again, so an edit an operator makes while the
// program runs is seen by the next call. The file is taken in as a list of
// sections ("[key]" lines) in file order, each with its entries (values,
// value removals, comments and blank lines) and the lines they came from.
// The keys and values are what applying the file from the top down gives, as
// an import on Windows does: a later section or value wins over an earlier
// one, "[-key]" removes a key and everything below it, "name"=- removes a
// value. A write replaces only the lines of the value it sets, or adds lines,
// so everything else, comments included, goes back to the file as it was.
//
// The calls are the narrow-character ones: REG_SZ, REG_EXPAND_SZ and
// REG_MULTI_SZ data is handed out as UTF-8. In a "Windows Registry Editor
// Version 5.00" file, the hex(1), hex(2) and hex(7) forms of those types hold
// UTF-16LE text, as regedit writes them; in a REGEDIT4 file they hold the
// narrow text itself.
#include "platform/Registry.h"

#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace plat {

struct RegistryKey {
    std::string path;  // the full key path, beginning with the root's name
    REGSAM access = 0; // the access the key was opened with
};

namespace {

RegistryKey g_roots[4];

} // namespace

const HKEY HKEY_CLASSES_ROOT = &g_roots[0];
const HKEY HKEY_CURRENT_USER = &g_roots[1];
const HKEY HKEY_LOCAL_MACHINE = &g_roots[2];
const HKEY HKEY_USERS = &g_roots[3];

namespace {

constexpr std::string_view kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                           "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
// Roots a file may name; HKEY_CURRENT_CONFIG has no handle here but is kept.
constexpr std::string_view kFileRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                           "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                           "HKEY_CURRENT_CONFIG"};

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_EXECUTE = 0x20000000;
constexpr REGSAM GENERIC_WRITE = 0x40000000;
constexpr REGSAM GENERIC_READ = 0x80000000;

constexpr DWORD ERROR_BAD_PATHNAME = 161;

// ---------------------------------------------------------------------------
// Text helpers

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Key and value names compare as the registry compares them: without case.
bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// True when path names key itself or a key below it.
bool IsAtOrBelow(std::string_view path, std::string_view key) {
    return StartsWithNoCase(path, key) && (path.size() == key.size() || path[key.size()] == '\\');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRightBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRightBlanks(TrimLeft(s));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads 1 to maxDigits hex digits, the whole of text.
std::optional<DWORD> ParseHexNumber(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    DWORD value = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<DWORD>(d);
    }
    return value;
}

std::string ErrnoText(int error) {
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);
}

// ---------------------------------------------------------------------------
// UTF-8 and UTF-16

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Narrow text to UTF-16. A byte that does not belong to a valid UTF-8
// sequence becomes the unpaired surrogate U+DC00 + byte, which Utf16ToNarrow
// turns back into the byte, so any byte string survives the round trip.
std::u16string NarrowToUtf16(std::string_view s) {
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b0 < 0x80) {
            length = 1;
            cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            cp = b0 & 0x0F;
            if (b0 == 0xE0)
                low = 0xA0; // no overlong forms
            if (b0 == 0xED)
                high = 0x9F; // no encoded surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            cp = b0 & 0x07;
            if (b0 == 0xF0)
                low = 0x90;
            if (b0 == 0xF4)
                high = 0x8F;
        }
        bool valid = length > 0 && i + length <= s.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (b < lo || b > hi)
                valid = false;
            else
                cp = (cp << 6) | (b & 0x3F);
        }
        if (!valid) {
            out += static_cast<char16_t>(0xDC00 + b0);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return out;
}

std::string Utf16ToNarrow(std::u16string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += '?';
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::u16string FromUtf16Le(const BYTE* bytes, std::size_t size) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        out += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return out;
}

std::string ToUtf16Le(std::u16string_view text) {
    std::string out;
    for (char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// ---------------------------------------------------------------------------
// The file as sections and entries

enum class TextEncoding { Utf8, Utf8WithBom, Utf16Le };

struct Entry {
    enum class Kind { Other, Value, Removal };
    Kind kind = Kind::Other; // Other: a comment or a blank line
    std::string name;        // Value and Removal; empty for the default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;         // as the narrow calls hand it out
    std::vector<std::string> lines; // the entry's lines, without line ends
};

struct Section {
    std::string path; // canonical root name, then the key names as written
    bool removal = false;
    std::string headerLine; // empty for the lines ahead of the first key
    std::vector<Entry> entries;
};

struct Document {
    TextEncoding encoding = TextEncoding::Utf8;
    std::string headerLine{kHeader5};
    bool unicode = true;           // hex(1), hex(2), hex(7) data is UTF-16LE
    std::vector<Section> sections; // [0]: the lines ahead of the first key
};

Entry BlankLine() {
    Entry e;
    e.lines.emplace_back();
    return e;
}

Document NewDocument(TextEncoding encoding) {
    Document doc;
    doc.encoding = encoding;
    doc.sections.emplace_back();
    doc.sections[0].entries.push_back(BlankLine());
    return doc;
}

struct ParseError {
    std::size_t line = 0; // 1-based
    std::string what;
};

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Reads a quoted text at the start of s (which begins with '"'), undoing the
// \\ and \" escapes; s is left after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& s, std::string& error) {
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                error = "a backslash in quotes must be followed by \\ or \" (write \\\\ for one "
                        "backslash)";
                return std::nullopt;
            }
            c = s[++i];
        }
        out += c;
    }
    error = "the closing quote is missing";
    return std::nullopt;
}

std::optional<std::string> ParseKeyPath(std::string_view text, std::string& error) {
    std::string path;
    std::size_t start = 0;
    bool first = true;
    while (true) {
        std::size_t end = text.find('\\', start);
        std::string_view name =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        if (name.empty()) {
            error = "the key path has an empty key name";
            return std::nullopt;
        }
        if (first) {
            std::string_view root;
            for (std::string_view candidate : kFileRoots)
                if (EqualNoCase(candidate, name))
                    root = candidate;
            if (root.empty()) {
                error =
                    "\"" + std::string(name) + "\" is not a root key such as HKEY_LOCAL_MACHINE";
                return std::nullopt;
            }
            path = root;
            first = false;
        } else {
            path += '\\';
            path += name;
        }
        if (end == std::string_view::npos)
            return path;
        start = end + 1;
    }
}

// Reads the comma-separated bytes of one line of hex data.
bool ParseHexBytes(std::string_view text, std::vector<BYTE>& bytes, std::string& error) {
    text = Trim(text);
    while (!text.empty()) {
        std::size_t comma = text.find(',');
        std::string_view token = Trim(text.substr(0, comma));
        auto value = ParseHexNumber(token, 2);
        if (!value) {
            error = token.empty() ? "hex data has an empty byte between two commas"
                                  : "\"" + std::string(token) + "\" is not a hex byte such as 0a";
            return false;
        }
        bytes.push_back(static_cast<BYTE>(*value));
        if (comma == std::string_view::npos)
            break;
        text = TrimLeft(text.substr(comma + 1)); // a trailing comma is fine
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    std::optional<ParseError> Run(Document& doc) {
        const std::string_view header = TrimRightBlanks(m_lines[0]);
        if (EqualNoCase(header, kHeader5)) {
            doc.unicode = true;
        } else if (EqualNoCase(header, kHeader4)) {
            doc.unicode = false;
        } else {
            return Fail(0, "the first line must be \"Windows Registry Editor Version 5.00\" or "
                           "\"REGEDIT4\"");
        }
        doc.headerLine = m_lines[0];
        doc.sections.emplace_back();
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            const std::string& line = m_lines[m_index];
            const std::string_view text = Trim(line);
            if (text.empty() || text.front() == ';') {
                Entry e;
                e.lines.push_back(line);
                doc.sections.back().entries.push_back(std::move(e));
            } else if (text.front() == '[') {
                Section section;
                if (auto error = ParseSectionLine(text, section))
                    return error;
                section.headerLine = line;
                doc.sections.push_back(std::move(section));
            } else {
                if (doc.sections.size() == 1)
                    return Fail(m_index, "a value comes before the first [key] line");
                Entry e;
                if (auto error = ParseValue(doc.unicode, e))
                    return error;
                doc.sections.back().entries.push_back(std::move(e));
            }
        }
        return std::nullopt;
    }

private:
    std::optional<ParseError> Fail(std::size_t index, std::string what) {
        return ParseError{index + 1, std::move(what)};
    }

    std::optional<ParseError> ParseSectionLine(std::string_view text, Section& section) {
        const std::size_t close = text.rfind(']');
        if (close == std::string_view::npos)
            return Fail(m_index, "the closing ] of the key is missing");
        if (!Trim(text.substr(close + 1)).empty())
            return Fail(m_index, "there is text after the closing ] of the key");
        std::string_view inner = text.substr(1, close - 1);
        if (!inner.empty() && inner.front() == '-') {
            section.removal = true;
            inner.remove_prefix(1);
        }
        std::string error;
        auto path = ParseKeyPath(inner, error);
        if (!path)
            return Fail(m_index, error);
        section.path = std::move(*path);
        return std::nullopt;
    }

    // Reads one value, with the continuation lines of hex data.
    std::optional<ParseError> ParseValue(bool unicode, Entry& e) {
        const std::size_t first = m_index;
        e.lines.push_back(m_lines[m_index]);
        std::string_view s = TrimLeft(m_lines[m_index]);
        std::string error;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else if (s.front() == '"') {
            auto name = ParseQuoted(s, error);
            if (!name)
                return Fail(first, "value name: " + error);
            e.name = std::move(*name);
        } else {
            return Fail(first, "expected a [key], a value name in quotes or @, or a comment "
                               "beginning with ;");
        }
        s = TrimLeft(s);
        if (s.empty() || s.front() != '=')
            return Fail(first, "expected = after the value name");
        s = TrimRightBlanks(TrimLeft(s.substr(1)));

        e.kind = Entry::Kind::Value;
        if (s == "-") {
            e.kind = Entry::Kind::Removal;
        } else if (!s.empty() && s.front() == '"') {
            auto text = ParseQuoted(s, error);
            if (!text)
                return Fail(first, "value data: " + error);
            if (!Trim(s).empty())
                return Fail(first, "there is text after the closing quote of the value");
            e.type = REG_SZ;
            e.data.assign(text->begin(), text->end());
            e.data.push_back(0);
        } else if (StartsWithNoCase(s, "dword:")) {
            auto value = ParseHexNumber(s.substr(6), 8);
            if (!value)
                return Fail(first, "dword: must be followed by 1 to 8 hex digits, as in "
                                   "dword:0000e100");
            e.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                e.data.push_back(static_cast<BYTE>(*value >> shift));
        } else if (StartsWithNoCase(s, "hex")) {
            s.remove_prefix(3);
            e.type = REG_BINARY;
            if (!s.empty() && s.front() == '(') {
                const std::size_t close = s.find(')');
                auto type = close == std::string_view::npos
                                ? std::nullopt
                                : ParseHexNumber(s.substr(1, close - 1), 8);
                if (!type)
                    return Fail(first, "hex( must be followed by a hex type number and ), as in "
                                       "hex(b):");
                e.type = *type;
                s.remove_prefix(close + 1);
            }
            if (s.empty() || s.front() != ':')
                return Fail(first, "expected : after hex or hex(n)");
            s.remove_prefix(1);
            if (auto failure = ParseHexLines(s, e))
                return failure;
            if (unicode && IsStringType(e.type)) {
                const std::string text = Utf16ToNarrow(FromUtf16Le(e.data.data(), e.data.size()));
                e.data.assign(text.begin(), text.end());
            }
        } else {
            return Fail(first, "value data not understood: expected \"text\", dword:, hex: or "
                               "hex(n):");
        }
        return std::nullopt;
    }

    // Reads hex bytes from s, the rest of the current line, and from the
    // following lines while a line ends in a backslash.
    std::optional<ParseError> ParseHexLines(std::string_view s, Entry& e) {
        while (true) {
            s = TrimRightBlanks(s);
            const bool continued = !s.empty() && s.back() == '\\';
            if (continued)
                s.remove_suffix(1);
            std::string error;
            if (!ParseHexBytes(s, e.data, error))
                return Fail(m_index, error);
            if (!continued)
                return std::nullopt;
            if (m_index + 1 >= m_lines.size())
                return Fail(m_index, "hex data ends in \\ but no line follows");
            s = m_lines[++m_index];
            e.lines.push_back(m_lines[m_index]);
        }
    }

    std::vector<std::string> m_lines;
    std::size_t m_index = 0;
};

std::optional<ParseError> ParseDocument(const std::string& raw, Document& doc) {
    std::string text;
    TextEncoding encoding = TextEncoding::Utf8;
    if (raw.size() >= 2 && raw[0] == '\xFF' && raw[1] == '\xFE') {
        encoding = TextEncoding::Utf16Le;
        text = Utf16ToNarrow(
            FromUtf16Le(reinterpret_cast<const BYTE*>(raw.data()) + 2, raw.size() - 2));
    } else if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = TextEncoding::Utf8WithBom;
        text = raw.substr(3);
    } else {
        text = raw;
    }
    // An empty file (one made with touch, say) holds no keys yet.
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        doc = NewDocument(encoding);
        return std::nullopt;
    }
    doc = Document{};
    doc.encoding = encoding;
    return Parser(SplitLines(text)).Run(doc);
}

// ---------------------------------------------------------------------------
// Writing entries

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// REG_SZ data that reads back unchanged from the "text" form: printable ASCII
// with one terminating zero. Anything else is written as hex(1).
bool IsPlainText(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] < 0x20 || data[i] > 0x7E)
            return false;
    return true;
}

// Hex data in lines of at most 80 characters, each but the last ending in a
// backslash, as regedit writes it.
std::vector<std::string> HexLines(std::string line, std::string_view bytes) {
    std::vector<std::string> lines;
    char token[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(token, sizeof token, "%02x%s", static_cast<unsigned char>(bytes[i]),
                      i + 1 < bytes.size() ? "," : "");
        if (line.size() + std::strlen(token) + 1 > 80) {
            lines.push_back(line + "\\");
            line = "  ";
        }
        line += token;
    }
    lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> ValueLines(const std::string& name, DWORD type,
                                    const std::vector<BYTE>& data, bool unicode) {
    std::string head = name.empty() ? "@=" : Quote(name) + "=";
    if (type == REG_SZ && IsPlainText(data))
        return {head + Quote(std::string_view(reinterpret_cast<const char*>(data.data()),
                                              data.size() - 1))};
    char number[32];
    if (type == REG_DWORD && data.size() == 4) {
        const DWORD value = data[0] | (data[1] << 8) | (data[2] << 16) | (DWORD(data[3]) << 24);
        std::snprintf(number, sizeof number, "dword:%08x", value);
        return {head + number};
    }
    std::string bytes(data.begin(), data.end());
    if (unicode && IsStringType(type))
        bytes = ToUtf16Le(NarrowToUtf16(bytes));
    if (type == REG_BINARY) {
        head += "hex:";
    } else {
        std::snprintf(number, sizeof number, "hex(%x):", type);
        head += number;
    }
    return HexLines(std::move(head), bytes);
}

std::string Serialize(const Document& doc) {
    std::string text;
    auto put = [&text](const std::string& line) {
        text += line;
        text += "\r\n";
    };
    put(doc.headerLine);
    for (const Section& section : doc.sections) {
        if (!section.headerLine.empty())
            put(section.headerLine);
        for (const Entry& e : section.entries)
            for (const std::string& line : e.lines)
                put(line);
    }
    switch (doc.encoding) {
    case TextEncoding::Utf8:
        return text;
    case TextEncoding::Utf8WithBom:
        return "\xEF\xBB\xBF" + text;
    case TextEncoding::Utf16Le:
        return "\xFF\xFE" + ToUtf16Le(NarrowToUtf16(text));
    }
    return text;
}

// ---------------------------------------------------------------------------
// Keys and values of a document

bool KeyExists(const Document& doc, std::string_view key) {
    for (std::size_t i = doc.sections.size(); i-- > 1;) {
        const Section& s = doc.sections[i];
        if (s.removal && IsAtOrBelow(key, s.path))
            return false;
        if (!s.removal && IsAtOrBelow(s.path, key))
            return true;
    }
    for (std::string_view root : kFileRoots)
        if (EqualNoCase(root, key))
            return true;
    return false;
}

// The entry that gives the value its present data, or null.
const Entry* FindValue(const Document& doc, std::string_view key, std::string_view name) {
    for (std::size_t i = doc.sections.size(); i-- > 1;) {
        const Section& s = doc.sections[i];
        if (s.removal && IsAtOrBelow(key, s.path))
            return nullptr;
        if (s.removal || !EqualNoCase(s.path, key))
            continue;
        for (std::size_t j = s.entries.size(); j-- > 0;) {
            const Entry& e = s.entries[j];
            if (e.kind != Entry::Kind::Other && EqualNoCase(e.name, name))
                return e.kind == Entry::Kind::Value ? &e : nullptr;
        }
    }
    return nullptr;
}

void AppendSection(Document& doc, const std::string& key) {
    Section& last = doc.sections.back();
    const std::string* lastLine = &doc.headerLine;
    if (!last.entries.empty())
        lastLine = &last.entries.back().lines.back();
    else if (!last.headerLine.empty())
        lastLine = &last.headerLine;
    if (!Trim(*lastLine).empty())
        last.entries.push_back(BlankLine());

    Section section;
    section.path = key;
    section.headerLine = "[" + key + "]";
    section.entries.push_back(BlankLine());
    doc.sections.push_back(std::move(section));
}

void SetValue(Document& doc, const std::string& key, const std::string& name, DWORD type,
              std::vector<BYTE> data) {
    Entry entry;
    entry.kind = Entry::Kind::Value;
    entry.name = name;
    entry.type = type;
    entry.lines = ValueLines(name, type, data, doc.unicode);
    entry.data = std::move(data);

    // Replace the entry that gives the value now, in its place; otherwise add
    // the value to the key's last section, or to a new section at the end.
    Section* target = nullptr;
    for (std::size_t i = doc.sections.size(); i-- > 1;) {
        Section& s = doc.sections[i];
        if (s.removal && IsAtOrBelow(key, s.path))
            break;
        if (s.removal || !EqualNoCase(s.path, key))
            continue;
        if (target == nullptr)
            target = &s;
        bool removed = false;
        for (std::size_t j = s.entries.size(); j-- > 0;) {
            Entry& e = s.entries[j];
            if (e.kind == Entry::Kind::Other || !EqualNoCase(e.name, name))
                continue;
            if (e.kind == Entry::Kind::Removal) {
                removed = true;
                break;
            }
            entry.name = e.name; // the name keeps the case it has in the file
            entry.lines = ValueLines(entry.name, type, entry.data, doc.unicode);
            e = std::move(entry);
            return;
        }
        if (removed)
            break;
    }
    if (target == nullptr) {
        AppendSection(doc, key);
        target = &doc.sections.back();
    }
    // After the section's last line that is not blank.
    auto& entries = target->entries;
    std::size_t at = entries.size();
    while (at > 0 && entries[at - 1].kind == Entry::Kind::Other &&
           Trim(entries[at - 1].lines.back()).empty())
        --at;
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

// ---------------------------------------------------------------------------
// The file

void Report(const std::string& text) {
    OutputDebugString("Registry: " + text + "\r\n");
}

DWORD ReadErrorCode(int error) {
    return (error == EACCES || error == EPERM) ? ERROR_ACCESS_DENIED : ERROR_CANTREAD;
}

DWORD WriteErrorCode(int error) {
    return (error == EACCES || error == EPERM) ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
}

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// Reads the settings file into doc; a missing file is an empty store.
DWORD LoadDocument(const std::string& file, Document& doc) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            doc = NewDocument(TextEncoding::Utf8);
            return ERROR_SUCCESS;
        }
        const int error = errno;
        Report("settings file \"" + file + "\" cannot be read: " + ErrnoText(error));
        return ReadErrorCode(error);
    }
    std::string raw;
    int error = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else {
        char buffer[8192];
        while (true) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                break;
            }
            raw.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (error != 0) {
        Report("settings file \"" + file + "\" cannot be read: " +
               (error == EINVAL ? std::string("not a regular file") : ErrnoText(error)));
        return ReadErrorCode(error);
    }
    if (auto failure = ParseDocument(raw, doc)) {
        Report("settings file \"" + file + "\" line " + std::to_string(failure->line) + ": " +
               failure->what + "; the file is left unchanged");
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

// Creates the folder and its parents; 0 or the errno of the failure.
int MakeFolders(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0)
        if (int error = MakeFolders(folder.substr(0, slash)))
            return error;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Replaces the file with doc: a temporary file in the same folder, flushed
// to disk, then renamed over the file, so a reader sees the old file or the
// new one and never a part.
DWORD SaveDocument(const std::string& file, const Document& doc) {
    const std::string folder = FolderOf(file);
    if (int error = MakeFolders(folder)) {
        Report("settings folder \"" + folder + "\" cannot be created: " + ErrnoText(error));
        return WriteErrorCode(error);
    }
    const std::string name = file.substr(file.rfind('/') + 1);
    static unsigned counter = 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/." + name + ".tmp" + std::to_string(::getpid()) + "-" +
                    std::to_string(++counter);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        Report("settings file \"" + file + "\" cannot be written: " + ErrnoText(error));
        return WriteErrorCode(error);
    }
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777); // the file keeps its permissions

    const std::string text = Serialize(doc);
    int error = 0;
    if (!WriteAll(fd, text) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), file.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        Report("settings file \"" + file + "\" cannot be written: " + ErrnoText(error));
        return WriteErrorCode(error);
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir); // makes the rename itself durable
        ::close(dir);
    }
    return ERROR_SUCCESS;
}

// A key opened for writing must be able to write the file: the file itself
// and its folder (the rename replaces the file in the folder).
DWORD CheckWritable(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return ERROR_SUCCESS; // no file yet: the first write reports what fails
    const std::string folder = FolderOf(file);
    for (const auto& [path, mode] : {std::pair{file, W_OK}, std::pair{folder, W_OK | X_OK}}) {
        if (::access(path.c_str(), mode) != 0) {
            const int error = errno;
            Report("settings file \"" + file + "\" cannot be written: " + ErrnoText(error) +
                   (path == folder ? " (folder \"" + folder + "\")" : ""));
            return WriteErrorCode(error);
        }
    }
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------
// Handles

struct Store {
    std::mutex mutex;
    std::string file; // empty: SettingsFilePath()
    std::unordered_map<const RegistryKey*, std::unique_ptr<RegistryKey>> handles;
};

Store& TheStore() {
    static Store store;
    return store;
}

std::string FileOf(const Store& store) {
    return store.file.empty() ? SettingsFilePath() : store.file;
}

int RootIndex(HKEY key) {
    for (int i = 0; i < 4; ++i)
        if (key == &g_roots[i])
            return i;
    return -1;
}

// The path and access of an open key or a root; nullopt for an invalid handle.
std::optional<RegistryKey> Lookup(const Store& store, HKEY key) {
    if (const int root = RootIndex(key); root >= 0)
        return RegistryKey{std::string(kRootNames[root]), KEY_ALL_ACCESS};
    auto it = store.handles.find(key);
    if (it == store.handles.end())
        return std::nullopt;
    return *it->second;
}

REGSAM MapGenericAccess(REGSAM access) {
    if (access & (GENERIC_ALL | MAXIMUM_ALLOWED))
        access |= KEY_ALL_ACCESS;
    if (access & (GENERIC_READ | GENERIC_EXECUTE))
        access |= KEY_READ;
    if (access & GENERIC_WRITE)
        access |= KEY_WRITE;
    return access;
}

// The path of subKey below parent. Key names are separated by single
// backslashes; one trailing backslash is ignored.
DWORD JoinKeyPath(const std::string& parent, const char* subKey, std::string& path) {
    path = parent;
    std::string_view rest = subKey == nullptr ? std::string_view() : std::string_view(subKey);
    if (!rest.empty() && rest.back() == '\\')
        rest.remove_suffix(1);
    if (rest.empty())
        return subKey != nullptr && *subKey == '\\' ? ERROR_BAD_PATHNAME : ERROR_SUCCESS;
    while (true) {
        const std::size_t end = rest.find('\\');
        const std::string_view name = rest.substr(0, end);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        for (char c : name)
            if (static_cast<unsigned char>(c) < 0x20)
                return ERROR_BAD_PATHNAME; // would not fit on a [key] line
        path += '\\';
        path += name;
        if (end == std::string_view::npos)
            return ERROR_SUCCESS;
        rest.remove_prefix(end + 1);
    }
}

} // namespace

LONG RegCreateKeyEx(HKEY hKey, const char* subKey, DWORD /*reserved*/, const char* /*className*/,
                    DWORD /*options*/, REGSAM samDesired, const void* /*securityAttributes*/,
                    HKEY* result, DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto parent = Lookup(store, hKey);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    std::string path;
    if (const DWORD code = JoinKeyPath(parent->path, subKey, path))
        return static_cast<LONG>(code);

    const std::string file = FileOf(store);
    Document doc;
    if (const DWORD code = LoadDocument(file, doc))
        return static_cast<LONG>(code);
    const REGSAM access = MapGenericAccess(samDesired);
    DWORD created = REG_OPENED_EXISTING_KEY;
    if (KeyExists(doc, path)) {
        if (access & KEY_SET_VALUE)
            if (const DWORD code = CheckWritable(file))
                return static_cast<LONG>(code);
    } else {
        if (!(parent->access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        AppendSection(doc, path);
        if (const DWORD code = SaveDocument(file, doc))
            return static_cast<LONG>(code);
        created = REG_CREATED_NEW_KEY;
    }
    auto key = std::make_unique<RegistryKey>(RegistryKey{std::move(path), access});
    const HKEY handle = key.get();
    store.handles.emplace(handle, std::move(key));
    *result = handle;
    if (disposition != nullptr)
        *disposition = created;
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* cbData) {
    if (reserved != nullptr || (data != nullptr && cbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto key = Lookup(store, hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Document doc;
    if (const DWORD code = LoadDocument(FileOf(store), doc))
        return static_cast<LONG>(code);
    const Entry* value = FindValue(doc, key->path, valueName == nullptr ? "" : valueName);
    if (value == nullptr)
        return ERROR_FILE_NOT_FOUND;
    const auto size = static_cast<DWORD>(value->data.size());
    if (type != nullptr)
        *type = value->type;
    if (data != nullptr) {
        if (cbData == nullptr)
            return ERROR_INVALID_PARAMETER;
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            std::memcpy(data, value->data.data(), size);
    }
    if (cbData != nullptr)
        *cbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY hKey, const char* valueName, DWORD /*reserved*/, DWORD type,
                   const BYTE* data, DWORD cbData) {
    if (data == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    const std::string name = valueName == nullptr ? "" : valueName;
    if (name.find_first_of("\r\n") != std::string::npos)
        return ERROR_INVALID_PARAMETER; // would not fit on one line
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto key = Lookup(store, hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!(key->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::string file = FileOf(store);
    Document doc;
    if (const DWORD code = LoadDocument(file, doc))
        return static_cast<LONG>(code);
    SetValue(doc, key->path, name, type,
             data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + cbData));
    return static_cast<LONG>(SaveDocument(file, doc));
}

LONG RegCloseKey(HKEY hKey) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    if (RootIndex(hKey) >= 0)
        return ERROR_SUCCESS;
    return store.handles.erase(hKey) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void SetRegistryFile(const std::string& path) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    store.file = path;
}

std::string RegistryFile() {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    return FileOf(store);
}

} // namespace plat
