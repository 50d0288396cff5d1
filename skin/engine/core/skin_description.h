// The skin description ("Options.dat"): INI text whose section and key names compare without
// regard to case. Loading a skin reads thousands of keys, many of them several times while
// sections inherit from their parents, so lookups go through hash indexes rather than along
// the lines. No windows.h here.
#pragma once

#include <unordered_map>

#include "vcl/inifiles.h"

class TacSkinDescription : public TCustomIniFile {
public:
    TacSkinDescription() : TCustomIniFile(String()) {}

    // Replaces the whole text (any line ends; lines outside a section are ignored).
    void SetText(const String& text);
    void SetLines(const TStrings& lines) { SetText(lines.Text()); }
    String Text() const { return FText.Compose(); }
    void Clear();
    bool Empty() const { return FText.Sections().empty(); }

    // Section names in the order of the text, as written there (a section repeated later in
    // another case is the same section and keeps its first spelling).
    int SectionCount() const { return static_cast<int>(FText.Sections().size()); }
    const String& SectionName(int index) const { return FText.Sections().at(static_cast<size_t>(index)).name; }

    // The value, or nullptr when the section or the key is absent.
    const String* Find(const String& section, const String& ident) const;

    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    void ReadSection(const String& section, TStrings& idents) override;
    void ReadSections(TStrings& sections) override;
    void ReadSectionValues(const String& section, TStrings& lines) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
    void UpdateFile() override {}
    bool SectionExists(const String& section) override;
    bool ValueExists(const String& section, const String& ident) override;

private:
    struct SectionIndex {
        size_t section;
        std::unordered_map<String, size_t> keys;   // upper-case key -> position in the section
    };
    void Reindex();
    const SectionIndex* FindSection(const String& section) const;

    TIniText FText;
    std::unordered_map<String, SectionIndex> FIndex;   // upper-case section name
};
