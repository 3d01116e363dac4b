#include "platform/linux/RegDocument.h"

#include "platform/linux/RegText.h"
#include "platform/linux/RegWriter.h"

namespace plat::regfile {

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

} // namespace plat::regfile
