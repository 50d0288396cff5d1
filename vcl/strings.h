// String lists: TStrings (the interface, also of a memo's lines or a combo box's items) and
// TStringList (the plain list with sorting, duplicates policy and name=value access).
// No windows.h here.
#pragma once

#include <functional>
#include <vector>

#include "vcl/classes.h"

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// Text encodings of string lists and settings files.
enum class TTextEncoding { Default /* ANSI code page */, UTF8, Unicode /* UTF-16 LE */ };

class TStrings : public TPersistent {
public:
    // The list itself, for descendants to provide.
    virtual int Count() const = 0;
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& s);
    virtual TObject* Objects(int index) const;
    virtual void PutObject(int index, TObject* obj);
    virtual void Insert(int index, const String& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const String& s);
    int AddObject(const String& s, TObject* obj);
    void InsertObject(int index, const String& s, TObject* obj);
    virtual void Exchange(int a, int b);
    void Move(int from, int to);
    void AddStrings(const TStrings& other);
    void Assign(const TPersistent* source) override;
    void SetStrings(const std::vector<String>& lines);

    String operator[](int index) const { return Get(index); }
    virtual int IndexOf(const String& s) const;
    int IndexOfObject(const TObject* obj) const;

    // name=value access; the separator is NameValueSeparator ("=" by default).
    wchar_t NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(wchar_t c) { FNameValueSeparator = c; }
    String Names(int index) const;
    String ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const String& value);
    virtual int IndexOfName(const String& name) const;
    String Values(const String& name) const;
    // Sets name=value; an empty value removes the line, as in the component library.
    void SetValues(const String& name, const String& value);
    String ExtractName(const String& line) const;

    // Lines joined by CRLF (each line ends with one), and the reverse (CR, LF or CRLF).
    String Text() const;
    virtual void SetText(const String& text);
    String CommaText() const;
    String DelimitedText(wchar_t delimiter, wchar_t quote = L'"') const;
    void SetDelimitedText(const String& text, wchar_t delimiter, wchar_t quote = L'"');
    void SetCommaText(const String& text) { SetDelimitedText(text, L','); }

    bool CaseSensitive() const { return FCaseSensitive; }
    virtual void SetCaseSensitive(bool on) { FCaseSensitive = on; }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Files: a byte-order mark picks the encoding; without one UTF-8 is tried, then ANSI.
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName, TTextEncoding encoding = TTextEncoding::UTF8) const;

    std::vector<String> ToVector() const;

protected:
    virtual void SetUpdateState(bool updating) {}
    int CompareStrings(const String& a, const String& b) const;

private:
    wchar_t FNameValueSeparator = L'=';
    bool FCaseSensitive = false;
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
    ~TStringList() override;

    int Count() const override { return static_cast<int>(FItems.size()); }
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    TObject* Objects(int index) const override;
    void PutObject(int index, TObject* obj) override;
    int Add(const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int a, int b) override;
    int IndexOf(const String& s) const override;
    void SetCaseSensitive(bool on) override;

    bool Sorted() const { return FSorted; }
    void SetSorted(bool on);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool on) { FOwnsObjects = on; }
    // Binary search in a sorted list: true when found; index is where s is or would go.
    bool Find(const String& s, int& index) const;
    virtual void Sort();
    void CustomSort(const std::function<int(TStringList*, int, int)>& compare);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        String s;
        TObject* obj = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const String& s, TObject* obj);

    std::vector<Item> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = TDuplicates::dupIgnore;
    bool FOwnsObjects = false;
};

// Decodes file bytes to text: a byte-order mark wins, else the given encoding (Default means
// "UTF-8 when the bytes are valid UTF-8, else the ANSI code page"). Never fails.
String DecodeText(const std::vector<uint8_t>& bytes, TTextEncoding encoding);
// Text in the system's ANSI code page (Latin-1 outside Windows), both ways; characters the code
// page lacks are written as "?".
String DecodeAnsi(const uint8_t* p, size_t n);
std::vector<uint8_t> EncodeAnsi(const String& s);
// Encodes text, with a byte-order mark for UTF-8 and UTF-16 when bom is set.
std::vector<uint8_t> EncodeText(const String& text, TTextEncoding encoding, bool bom);
