// The settings file as the registry calls see it: a list of sections ("[key]"
// lines) in file order, each with its entries (values, value removals,
// comments and blank lines) and the lines they came from, and the keys and
// values that applying it from the top down gives, as an import on Windows
// does: a later section or value wins over an earlier one, "[-key]" removes a
// key and everything below it, "name"=- removes a value. Setting a value
// replaces only that value's lines, or adds lines.
#pragma once

#include "platform/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace plat::regfile {

inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kHeader4 = "REGEDIT4";

// Roots a file may name; HKEY_CURRENT_CONFIG has no handle here but is kept.
inline constexpr std::string_view kFileRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                                  "HKEY_CURRENT_CONFIG"};

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

Entry BlankLine();
Document NewDocument(TextEncoding encoding);

bool KeyExists(const Document& doc, std::string_view key);
// The entry that gives the value its present data, or null.
const Entry* FindValue(const Document& doc, std::string_view key, std::string_view name);
// Adds a "[key]" section at the end.
void AppendSection(Document& doc, const std::string& key);
// Gives the value its data: the lines of the entry that gives it now are
// replaced, or the value is added to the key's last section.
void SetValue(Document& doc, const std::string& key, const std::string& name, DWORD type,
              std::vector<BYTE> data);

} // namespace plat::regfile
