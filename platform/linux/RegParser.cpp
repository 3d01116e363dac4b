#include "platform/linux/RegParser.h"

#include "platform/linux/RegText.h"

namespace plat::regfile {

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

namespace {

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

} // namespace

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

} // namespace plat::regfile
