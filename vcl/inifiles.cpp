#include "vcl/inifiles.h"

#include <algorithm>

// ---- TCustomIniFile: typed values over strings ------------------------------------------------

bool TCustomIniFile::SectionExists(const String& section)
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident)
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) >= 0;
}

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int def)
{
    String s = ReadString(section, ident, String());
    int v;
    return TryStrToInt(Trim(s), v) ? v : def;
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value)
{
    WriteString(section, ident, value ? L"1" : L"0");
}

double TCustomIniFile::ReadFloat(const String& section, const String& ident, double def)
{
    double v;
    return TryStrToFloat(ReadString(section, ident, String()), v) ? v : def;
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, double value)
{
    WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const String& section, const String& ident, TDateTime def)
{
    TDateTime v;
    return TryStrToDate(ReadString(section, ident, String()), v) ? v : def;
}

void TCustomIniFile::WriteDate(const String& section, const String& ident, TDateTime value)
{
    WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const String& section, const String& ident, TDateTime def)
{
    TDateTime v;
    return TryStrToDateTime(ReadString(section, ident, String()), v) ? v : def;
}

void TCustomIniFile::WriteDateTime(const String& section, const String& ident, TDateTime value)
{
    WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const String& section, const String& ident, TDateTime def)
{
    TDateTime v;
    return TryStrToTime(ReadString(section, ident, String()), v) ? v : def;
}

void TCustomIniFile::WriteTime(const String& section, const String& ident, TDateTime value)
{
    WriteString(section, ident, TimeToStr(value));
}

int TCustomIniFile::ReadBinaryStream(const String& section, const String& ident, TStream& value)
{
    String text = Trim(ReadString(section, ident, String()));
    std::vector<uint8_t> bytes;
    auto nibble = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    };
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int hi = nibble(text[i]), lo = nibble(text[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    value.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return static_cast<int>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const String& section, const String& ident, TStream& value)
{
    std::vector<uint8_t> bytes = value.ReadAllBytes();
    String text;
    for (uint8_t b : bytes) text += IntToHex(b, 2);
    WriteString(section, ident, text);
}

// ---- TIniText ------------------------------------------------------------------------------

void TIniText::Parse(const String& text)
{
    FSections.clear();
    Section* current = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == String::npos) end = text.size();
        StringView raw(text.data() + pos, end - pos);
        String line = Trim(raw);
        if (!line.empty() && line[0] != L';') {
            if (line[0] == L'[') {
                size_t close = line.find(L']');
                String name = close == String::npos ? line.substr(1) : line.substr(1, close - 1);
                current = &FindOrAdd(Trim(name));
            } else if (current) {
                size_t eq = line.find(L'=');
                if (eq != String::npos) {
                    String ident = Trim(StringView(line).substr(0, eq));
                    String value = Trim(StringView(line).substr(eq + 1));
                    // Quoted values lose their quotes, as with the platform's INI functions.
                    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
                        value = value.substr(1, value.size() - 2);
                    if (!ident.empty()) {
                        if (String* existing = FindValue(*current, ident)) *existing = value;   // a repeated key: the last one wins
                        else current->values.emplace_back(ident, value);
                    }
                }
            }
        }
        if (end >= text.size()) break;
        pos = end + 1;
        if (text[end] == L'\r' && pos < text.size() && text[pos] == L'\n') ++pos;
    }
}

String TIniText::Compose() const
{
    String out;
    for (size_t i = 0; i < FSections.size(); ++i) {
        const Section& s = FSections[i];
        out += L"[" + s.name + L"]\r\n";
        for (const auto& kv : s.values) out += kv.first + L"=" + kv.second + L"\r\n";
        if (i + 1 < FSections.size()) out += L"\r\n";
    }
    return out;
}

TIniText::Section* TIniText::Find(const String& name)
{
    for (auto& s : FSections)
        if (SameText(s.name, name)) return &s;
    return nullptr;
}

TIniText::Section& TIniText::FindOrAdd(const String& name)
{
    if (Section* s = Find(name)) return *s;
    FSections.push_back(Section{name, {}});
    return FSections.back();
}

void TIniText::Erase(const String& name)
{
    FSections.erase(std::remove_if(FSections.begin(), FSections.end(), [&](const Section& s) { return SameText(s.name, name); }),
                    FSections.end());
}

String* TIniText::FindValue(Section& s, const String& ident)
{
    for (auto& kv : s.values)
        if (SameText(kv.first, ident)) return &kv.second;
    return nullptr;
}

// ---- TMemIniFile ---------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const String& fileName, TTextEncoding encoding) : TCustomIniFile(fileName), FEncoding(encoding)
{
    LoadValues();
}

void TMemIniFile::LoadValues()
{
    FText.Clear();
    if (FFileName.empty() || !FileExists(FFileName)) return;
    try {
        FText.Parse(DecodeText(ReadFileBytes(FFileName), FEncoding));
    } catch (const EStreamError&) {
        // An unreadable file reads as empty; writing it back later reports the problem.
        FText.Clear();
    }
}

void TMemIniFile::Rename(const String& fileName, bool reload)
{
    FFileName = fileName;
    if (reload) LoadValues();
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def)
{
    TIniText::Section* s = FText.Find(section);
    if (!s) return def;
    String* v = TIniText::FindValue(*s, ident);
    return v ? *v : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    // Line breaks inside a value would split it into other keys on the next read.
    String clean = value;
    for (auto& c : clean)
        if (c == L'\r' || c == L'\n') c = L' ';
    TIniText::Section& s = FText.FindOrAdd(section);
    if (String* v = TIniText::FindValue(s, ident)) *v = clean;
    else s.values.emplace_back(ident, clean);
}

void TMemIniFile::ReadSection(const String& section, TStrings& idents)
{
    idents.BeginUpdate();
    idents.Clear();
    if (TIniText::Section* s = FText.Find(section))
        for (const auto& kv : s->values) idents.Add(kv.first);
    idents.EndUpdate();
}

void TMemIniFile::ReadSections(TStrings& sections)
{
    sections.BeginUpdate();
    sections.Clear();
    for (const auto& s : FText.Sections()) sections.Add(s.name);
    sections.EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings& lines)
{
    lines.BeginUpdate();
    lines.Clear();
    if (TIniText::Section* s = FText.Find(section))
        for (const auto& kv : s->values) lines.Add(kv.first + L"=" + kv.second);
    lines.EndUpdate();
}

void TMemIniFile::EraseSection(const String& section)
{
    FText.Erase(section);
}

void TMemIniFile::DeleteKey(const String& section, const String& ident)
{
    if (TIniText::Section* s = FText.Find(section)) {
        auto& v = s->values;
        v.erase(std::remove_if(v.begin(), v.end(), [&](const auto& kv) { return SameText(kv.first, ident); }), v.end());
    }
}

void TMemIniFile::UpdateFile()
{
    WriteFileBytes(FFileName, EncodeText(FText.Compose(), FEncoding, FEncoding != TTextEncoding::Default));
}

// ---- TIniFile ------------------------------------------------------------------------------

void TIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    TMemIniFile::WriteString(section, ident, value);
    UpdateFile();
}

void TIniFile::EraseSection(const String& section)
{
    TMemIniFile::EraseSection(section);
    UpdateFile();
}

void TIniFile::DeleteKey(const String& section, const String& ident)
{
    TMemIniFile::DeleteKey(section, ident);
    UpdateFile();
}
