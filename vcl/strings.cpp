#include "vcl/strings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include "vcl/win.h"
#endif

// ---- Encodings -----------------------------------------------------------------------------

static bool IsValidUtf8(const uint8_t* p, size_t n)
{
    size_t i = 0;
    while (i < n) {
        uint8_t b = p[i];
        size_t k = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 99;
        if (k == 99 || i + k >= n) return false;
        for (size_t j = 1; j <= k; ++j)
            if ((p[i + j] & 0xC0) != 0x80) return false;
        i += k + 1;
    }
    return true;
}

String DecodeAnsi(const uint8_t* p, size_t n)
{
#ifdef _WIN32
    if (n == 0) return String();
    int len = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), nullptr, 0);
    String r(static_cast<size_t>(std::max(len, 0)), L'\0');
    if (len > 0) MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), r.data(), len);
    return r;
#else
    return String(p, p + n);   // Latin-1
#endif
}

std::vector<uint8_t> EncodeAnsi(const String& s)
{
#ifdef _WIN32
    if (s.empty()) return {};
    int len = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::vector<uint8_t> r(static_cast<size_t>(std::max(len, 0)));
    if (len > 0) WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), reinterpret_cast<char*>(r.data()), len, nullptr, nullptr);
    return r;
#else
    std::vector<uint8_t> r;
    for (wchar_t c : s) r.push_back(c < 256 ? static_cast<uint8_t>(c) : '?');
    return r;
#endif
}

String DecodeText(const std::vector<uint8_t>& bytes, TTextEncoding encoding)
{
    const uint8_t* p = bytes.data();
    size_t n = bytes.size();
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return FromUtf8(std::string_view(reinterpret_cast<const char*>(p + 3), n - 3));
    bool utf16 = false;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        p += 2;
        n -= 2;
        utf16 = true;
    } else if (encoding == TTextEncoding::Unicode) {
        utf16 = true;
    }
    if (utf16) {
        String r;
        r.reserve(n / 2);
        for (size_t i = 0; i + 1 < n; i += 2) r += static_cast<wchar_t>(p[i] | (p[i + 1] << 8));
        if constexpr (sizeof(wchar_t) == 4) {
            // Natively, join surrogate pairs into code points.
            String joined;
            for (size_t i = 0; i < r.size(); ++i) {
                uint32_t c = static_cast<uint32_t>(r[i]);
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < r.size() && r[i + 1] >= 0xDC00 && r[i + 1] <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(r[i + 1]) - 0xDC00);
                    ++i;
                }
                joined += static_cast<wchar_t>(c);
            }
            return joined;
        }
        return r;
    }
    if (encoding == TTextEncoding::UTF8 || IsValidUtf8(p, n))
        return FromUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
    return DecodeAnsi(p, n);
}

std::vector<uint8_t> EncodeText(const String& text, TTextEncoding encoding, bool bom)
{
    std::vector<uint8_t> out;
    switch (encoding) {
    case TTextEncoding::UTF8: {
        if (bom) out = {0xEF, 0xBB, 0xBF};
        std::string u = ToUtf8(text);
        out.insert(out.end(), u.begin(), u.end());
        break;
    }
    case TTextEncoding::Unicode: {
        if (bom) out = {0xFF, 0xFE};
        for (wchar_t wc : text) {
            uint32_t c = static_cast<uint32_t>(wc);
            if (c >= 0x10000) {
                c -= 0x10000;
                uint16_t hi = static_cast<uint16_t>(0xD800 + (c >> 10)), lo = static_cast<uint16_t>(0xDC00 + (c & 0x3FF));
                out.push_back(hi & 0xFF);
                out.push_back(hi >> 8);
                out.push_back(lo & 0xFF);
                out.push_back(lo >> 8);
            } else {
                out.push_back(static_cast<uint8_t>(c & 0xFF));
                out.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
            }
        }
        break;
    }
    case TTextEncoding::Default:
        out = EncodeAnsi(text);
        break;
    }
    return out;
}

// ---- TStrings ------------------------------------------------------------------------------

void TStrings::Put(int index, const String& s)
{
    TObject* obj = Objects(index);
    BeginUpdate();
    Delete(index);
    InsertObject(index, s, obj);
    EndUpdate();
}

TObject* TStrings::Objects(int) const
{
    return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const String& s)
{
    int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const String& s, TObject* obj)
{
    int index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::InsertObject(int index, const String& s, TObject* obj)
{
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::Exchange(int a, int b)
{
    BeginUpdate();
    String sa = Get(a), sb = Get(b);
    TObject* oa = Objects(a);
    TObject* ob = Objects(b);
    Put(a, sb);
    PutObject(a, ob);
    Put(b, sa);
    PutObject(b, oa);
    EndUpdate();
}

void TStrings::Move(int from, int to)
{
    if (from == to) return;
    BeginUpdate();
    String s = Get(from);
    TObject* obj = Objects(from);
    Delete(from);
    InsertObject(to, s, obj);
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& other)
{
    BeginUpdate();
    for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.Objects(i));
    EndUpdate();
}

void TStrings::Assign(const TPersistent* source)
{
    if (auto* src = dynamic_cast<const TStrings*>(source)) {
        if (src == this) return;
        BeginUpdate();
        Clear();
        FNameValueSeparator = src->FNameValueSeparator;
        AddStrings(*src);
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::SetStrings(const std::vector<String>& lines)
{
    BeginUpdate();
    Clear();
    for (const auto& l : lines) Add(l);
    EndUpdate();
}

int TStrings::CompareStrings(const String& a, const String& b) const
{
    if (FCaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return CompareText(a, b);
}

int TStrings::IndexOf(const String& s) const
{
    for (int i = 0, n = Count(); i < n; ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const
{
    for (int i = 0, n = Count(); i < n; ++i)
        if (Objects(i) == obj) return i;
    return -1;
}

String TStrings::ExtractName(const String& line) const
{
    size_t p = line.find(FNameValueSeparator);
    return p == String::npos ? String() : line.substr(0, p);
}

String TStrings::Names(int index) const
{
    return ExtractName(Get(index));
}

String TStrings::ValueFromIndex(int index) const
{
    String line = Get(index);
    size_t p = line.find(FNameValueSeparator);
    return p == String::npos ? String() : line.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value)
{
    if (value.empty()) {
        Delete(index);
        return;
    }
    Put(index, Names(index) + FNameValueSeparator + value);
}

int TStrings::IndexOfName(const String& name) const
{
    for (int i = 0, n = Count(); i < n; ++i) {
        String line = Get(i);
        size_t p = line.find(FNameValueSeparator);
        if (p != String::npos && CompareStrings(line.substr(0, p), name) == 0) return i;
    }
    return -1;
}

String TStrings::Values(const String& name) const
{
    int i = IndexOfName(name);
    return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValues(const String& name, const String& value)
{
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0) Add(name + FNameValueSeparator + value);
    else Put(i, name + FNameValueSeparator + value);
}

String TStrings::Text() const
{
    String r;
    for (int i = 0, n = Count(); i < n; ++i) {
        r += Get(i);
        r += L"\r\n";
    }
    return r;
}

void TStrings::SetText(const String& text)
{
    BeginUpdate();
    Clear();
    size_t start = 0, i = 0;
    while (i < text.size()) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            Add(text.substr(start, i - start));
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) Add(text.substr(start));
    EndUpdate();
}

String TStrings::DelimitedText(wchar_t delimiter, wchar_t quote) const
{
    String r;
    for (int i = 0, n = Count(); i < n; ++i) {
        String s = Get(i);
        bool needQuote = s.empty() || s.find_first_of(String(L" \t\"") + delimiter + quote) != String::npos;
        if (i) r += delimiter;
        if (needQuote) {
            r += quote;
            for (wchar_t c : s) {
                if (c == quote) r += quote;
                r += c;
            }
            r += quote;
        } else {
            r += s;
        }
    }
    return r;
}

String TStrings::CommaText() const
{
    return DelimitedText(L',');
}

void TStrings::SetDelimitedText(const String& text, wchar_t delimiter, wchar_t quote)
{
    BeginUpdate();
    Clear();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] > 0 && text[i] <= L' ') ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        String item;
        if (text[i] == quote) {
            ++i;
            while (i < text.size()) {
                if (text[i] == quote) {
                    if (i + 1 < text.size() && text[i + 1] == quote) {
                        item += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != delimiter && !(text[i] > 0 && text[i] <= L' ')) item += text[i++];
        }
        Add(item);
        skipBlanks();
        if (i < text.size() && text[i] == delimiter) {
            ++i;
            skipBlanks();
            if (i >= text.size()) Add(String());
        }
    }
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const String& fileName)
{
    std::ifstream f(std::filesystem::path(fileName), std::ios::binary);
    if (!f) throw EFOpenError(L"Cannot open file \"" + fileName + L"\"");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    SetText(DecodeText(bytes, TTextEncoding::Default));
}

void TStrings::SaveToFile(const String& fileName, TTextEncoding encoding) const
{
    std::ofstream f(std::filesystem::path(fileName), std::ios::binary | std::ios::trunc);
    if (!f) throw EFCreateError(L"Cannot create file \"" + fileName + L"\"");
    auto bytes = EncodeText(Text(), encoding, encoding != TTextEncoding::Default);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw EWriteError(L"Cannot write file \"" + fileName + L"\"");
}

std::vector<String> TStrings::ToVector() const
{
    std::vector<String> r;
    for (int i = 0, n = Count(); i < n; ++i) r.push_back(Get(i));
    return r;
}

// ---- TStringList ---------------------------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    Clear();
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
}

String TStringList::Get(int index) const
{
    CheckIndex(index);
    return FItems[index].s;
}

void TStringList::Put(int index, const String& s)
{
    if (FSorted) throw EStringListError(L"Operation not allowed on sorted list");
    CheckIndex(index);
    Changing();
    FItems[index].s = s;
    Changed();
}

TObject* TStringList::Objects(int index) const
{
    CheckIndex(index);
    return FItems[index].obj;
}

void TStringList::PutObject(int index, TObject* obj)
{
    CheckIndex(index);
    Changing();
    FItems[index].obj = obj;
    Changed();
}

int TStringList::Add(const String& s)
{
    int index;
    if (!FSorted) {
        index = Count();
    } else if (Find(s, index)) {
        switch (FDuplicates) {
        case TDuplicates::dupIgnore:
            return index;
        case TDuplicates::dupError:
            throw EStringListError(L"String list does not allow duplicates");
        case TDuplicates::dupAccept:
            break;
        }
    }
    InsertItem(index, s, nullptr);
    return index;
}

void TStringList::Insert(int index, const String& s)
{
    if (FSorted) throw EStringListError(L"Operation not allowed on sorted list");
    if (index < 0 || index > Count()) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
    InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const String& s, TObject* obj)
{
    Changing();
    FItems.insert(FItems.begin() + index, Item{s, obj});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* obj = FItems[index].obj;
    FItems.erase(FItems.begin() + index);
    if (FOwnsObjects) delete obj;
    Changed();
}

void TStringList::Clear()
{
    if (FItems.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(FItems);
    if (FOwnsObjects)
        for (auto& it : old) delete it.obj;
    Changed();
}

void TStringList::Exchange(int a, int b)
{
    CheckIndex(a);
    CheckIndex(b);
    Changing();
    std::swap(FItems[a], FItems[b]);
    Changed();
}

bool TStringList::Find(const String& s, int& index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[mid].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(const String& s) const
{
    if (!FSorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::SetSorted(bool on)
{
    if (FSorted == on) return;
    if (on) Sort();
    FSorted = on;
}

void TStringList::SetCaseSensitive(bool on)
{
    if (on == CaseSensitive()) return;
    TStrings::SetCaseSensitive(on);
    if (FSorted) Sort();
}

void TStringList::Sort()
{
    Changing();
    std::stable_sort(FItems.begin(), FItems.end(), [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
    Changed();
}

void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& compare)
{
    // Sort a permutation with the caller's comparison, which reads items by index.
    std::vector<int> order(FItems.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
    Changing();
    std::vector<Item> sorted;
    sorted.reserve(FItems.size());
    for (int i : order) sorted.push_back(FItems[i]);
    FItems.swap(sorted);
    Changed();
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) Changing();
    else Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
