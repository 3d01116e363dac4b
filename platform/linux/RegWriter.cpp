#include "platform/linux/RegWriter.h"

#include "platform/linux/RegText.h"

#include <cstdio>
#include <cstring>

namespace plat::regfile {

namespace {

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

} // namespace

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

} // namespace plat::regfile
