#include "skin/engine/core/skin_description.h"

void TacSkinDescription::SetText(const String& text)
{
    FText.Parse(text);
    Reindex();
}

void TacSkinDescription::Clear()
{
    FText.Clear();
    FIndex.clear();
}

void TacSkinDescription::Reindex()
{
    FIndex.clear();
    const auto& sections = FText.Sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        SectionIndex& si = FIndex[UpperCase(sections[i].name)];
        si.section = i;
        si.keys.clear();
        const auto& values = sections[i].values;
        for (size_t k = 0; k < values.size(); ++k) si.keys.emplace(UpperCase(values[k].first), k);
    }
}

const TacSkinDescription::SectionIndex* TacSkinDescription::FindSection(const String& section) const
{
    auto it = FIndex.find(UpperCase(section));
    return it == FIndex.end() ? nullptr : &it->second;
}

const String* TacSkinDescription::Find(const String& section, const String& ident) const
{
    const SectionIndex* si = FindSection(section);
    if (!si) return nullptr;
    auto k = si->keys.find(UpperCase(ident));
    if (k == si->keys.end()) return nullptr;
    return &FText.Sections()[si->section].values[k->second].second;
}

String TacSkinDescription::ReadString(const String& section, const String& ident, const String& def)
{
    const String* v = Find(section, ident);
    return v ? *v : def;
}

void TacSkinDescription::WriteString(const String& section, const String& ident, const String& value)
{
    String clean = value;
    for (auto& c : clean)
        if (c == L'\r' || c == L'\n') c = L' ';
    TIniText::Section& s = FText.FindOrAdd(section);
    if (String* v = TIniText::FindValue(s, ident)) *v = clean;
    else s.values.emplace_back(ident, clean);
    Reindex();
}

void TacSkinDescription::ReadSection(const String& section, TStrings& idents)
{
    idents.Clear();
    if (const SectionIndex* si = FindSection(section))
        for (const auto& kv : FText.Sections()[si->section].values) idents.Add(kv.first);
}

void TacSkinDescription::ReadSections(TStrings& sections)
{
    sections.Clear();
    for (const auto& s : FText.Sections()) sections.Add(s.name);
}

void TacSkinDescription::ReadSectionValues(const String& section, TStrings& lines)
{
    lines.Clear();
    if (const SectionIndex* si = FindSection(section))
        for (const auto& kv : FText.Sections()[si->section].values) lines.Add(kv.first + L"=" + kv.second);
}

void TacSkinDescription::EraseSection(const String& section)
{
    FText.Erase(section);
    Reindex();
}

void TacSkinDescription::DeleteKey(const String& section, const String& ident)
{
    if (TIniText::Section* s = FText.Find(section)) {
        auto& v = s->values;
        for (auto it = v.begin(); it != v.end(); ++it)
            if (SameText(it->first, ident)) {
                v.erase(it);
                break;
            }
        Reindex();
    }
}

bool TacSkinDescription::SectionExists(const String& section) { return FindSection(section) != nullptr; }

bool TacSkinDescription::ValueExists(const String& section, const String& ident) { return Find(section, ident) != nullptr; }
