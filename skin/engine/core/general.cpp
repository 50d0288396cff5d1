#include "skin/engine/core/general.h"

#include <mutex>

bool WideCharInSet(wchar_t ch, const TCharSet& set)
{
    return static_cast<uint32_t>(ch) <= 255 && set.Contains(static_cast<unsigned char>(ch));
}

namespace {

template <class Str>
bool IsSeparator(const Str& text, size_t i, const TCharSet& separators)
{
    if constexpr (sizeof(typename Str::value_type) == 1)
        return separators.Contains(static_cast<unsigned char>(text[i]));
    else
        return WideCharInSet(text[i], separators);
}

// 0-based start of the n-th word, or npos.
template <class Str>
size_t NthWordStart(int n, const Str& text, const TCharSet& separators)
{
    if (n <= 0) return Str::npos;
    int count = 0;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSeparator(text, i, separators)) {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            if (++count == n) return i;
        }
    }
    return Str::npos;
}

template <class Str>
Str NthWord(int n, const Str& text, const TCharSet& separators)
{
    size_t start = NthWordStart(n, text, separators);
    if (start == Str::npos) return Str();
    size_t end = start;
    while (end < text.size() && !IsSeparator(text, end, separators)) ++end;
    return text.substr(start, end - start);
}

template <class Str>
int WordCount(const Str& text, const TCharSet& separators)
{
    int count = 0;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool sep = IsSeparator(text, i, separators);
        if (!sep && !inWord) ++count;
        inWord = !sep;
    }
    return count;
}

template <class Str>
int Position(size_t start)
{
    return start == Str::npos ? 0 : static_cast<int>(start) + 1;
}

}  // namespace

int FindNthWord(int n, const String& text, const TCharSet& separators)
{
    return Position<String>(NthWordStart(n, text, separators));
}
int FindNthWordA(int n, const std::string& text, const TCharSet& separators)
{
    return Position<std::string>(NthWordStart(n, text, separators));
}
String GetNthWord(int n, const String& text, const TCharSet& separators) { return NthWord(n, text, separators); }
std::string GetNthWordA(int n, const std::string& text, const TCharSet& separators)
{
    return NthWord(n, text, separators);
}
int CountWords(const String& text, const TCharSet& separators) { return WordCount(text, separators); }
int CountWordsA(const std::string& text, const TCharSet& separators) { return WordCount(text, separators); }

String StripChar(const String& text, wchar_t ch)
{
    String r;
    r.reserve(text.size());
    for (wchar_t c : text)
        if (c != ch) r += c;
    return r;
}

String ReplaceEvery(const String& text, const String& find, const String& replacement)
{
    if (find.empty()) return text;
    String r;
    size_t pos = 0;
    for (;;) {
        size_t hit = text.find(find, pos);
        if (hit == String::npos) break;
        r.append(text, pos, hit - pos);
        r += replacement;
        pos = hit + find.size();
    }
    r.append(text, pos, String::npos);
    return r;
}

void FillWideString(String& s, int count, wchar_t ch) { s.assign(count > 0 ? static_cast<size_t>(count) : 0, ch); }

std::string RepeatCharA(char ch, int count) { return std::string(count > 0 ? static_cast<size_t>(count) : 0, ch); }

std::string PadLeftA(char ch, const std::string& text, int width)
{
    if (width <= 0 || text.size() >= static_cast<size_t>(width)) return text;
    return std::string(static_cast<size_t>(width) - text.size(), ch) + text;
}

int64_t HexTextToInt64(const std::string& text)
{
    std::string s = text;
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!s.empty() && s.back() == 'H') s.pop_back();
    // Built unsigned, so a long text wraps instead of overflowing.
    uint64_t v = 0;
    for (char c : s) {
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return 0;
        v = v * 16 + digit;
    }
    return static_cast<int64_t>(v);
}

bool ContainsAnyChar(const String& text, const String& chars)
{
    return !chars.empty() && text.find_first_of(chars) != String::npos;
}

bool IsValidFileNameText(const String& text) { return !text.empty() && !ContainsAnyChar(text, L"<>\"|*?/"); }

String EnsureTrailingBackslash(const String& path)
{
    if (path.empty()) return path;
    if (path.back() == L'\\') return path;
    if (path.back() == L'/') return path.substr(0, path.size() - 1) + L'\\';
    if (path.size() == 1) return path + L":\\";
    return path + L'\\';
}

String FullSkinDirectory(const String& dir, const String& appFolder)
{
    String result;
    if (dir.rfind(L"..", 0) == 0) {
        String up = appFolder;
        if (!up.empty()) up.pop_back();
        while (!up.empty() && up.back() != L'/' && up.back() != L'\\') up.pop_back();
        // At a drive root there is no level up: the root stays.
        if (up.empty()) up = appFolder;
        result = up + dir.substr(dir.size() >= 3 ? 3 : dir.size());
    } else if (dir.rfind(L".\\", 0) == 0 || dir.rfind(L"./", 0) == 0) {
        result = appFolder + dir.substr(2);
    } else if (dir == L".") {
        result = appFolder;
    } else if (dir.find(L':') == String::npos && dir.find(L"\\\\") == String::npos) {
        result = appFolder + dir;
    } else {
        result = dir;
    }
    return EnsureTrailingBackslash(result);
}

// ---- sectioned text ----------------------------------------------------------------------------

void ParseSectionedText(const TStrings& lines, TStringList& sections)
{
    sections.Clear();
    sections.SetOwnsObjects(true);
    TStringList* current = nullptr;
    for (int i = 0, n = lines.Count(); i < n; ++i) {
        String line = lines.Get(i);
        if (line.empty() || line[0] == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            current = new TStringList();
            sections.AddObject(line.substr(1, line.size() - 2), current);
        } else if (current) {
            current->Add(line);
        }
    }
}

String ReadSectionValue(const TStringList& sections, const String& section, const String& key, const String& def)
{
    int s = sections.IndexOf(section);
    if (s < 0) return def;
    auto* list = dynamic_cast<const TStrings*>(sections.Objects(s));
    if (!list) return def;
    int k = list->IndexOfName(key);
    return k < 0 ? def : list->ValueFromIndex(k);
}

int ReadSectionInt(const TStringList& sections, const String& section, const String& key, int def)
{
    String v = ReadSectionValue(sections, section, key, String());
    if (v.size() >= 3 && v[0] == L'0' && (v[1] == L'x' || v[1] == L'X')) v = L"$" + v.substr(2);
    return StrToIntDef(v, def);
}

// ---- tick counts ---------------------------------------------------------------------------------

namespace {
TTickSource& TickSourceSlot()
{
    static TTickSource source;
    return source;
}
}  // namespace

uint32_t AcTickCount()
{
    const TTickSource& s = TickSourceSlot();
    return s ? s() : GetTickCount32();
}

void SetTickSource(TTickSource source) { TickSourceSlot() = std::move(source); }
