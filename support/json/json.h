// The JSON document library: reference-counted values of nine kinds, the member table of
// objects (ordered by a 32-bit name hash), arrays, the writer, the lenient parser with its
// path evaluator, and the document operations (path access, clone, merge, format, validation).
// Texts are UTF-16 code units (JsonString), whatever the width of wchar_t, so member order and
// escapes are the same on every build. No windows.h here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/sysutils.h"

class TStream;

using JsonString = std::u16string;
using JsonStringView = std::u16string_view;
using TJsonCurrency = int64_t;   // count of 1/10000 units

// Conversions between the program's text and JSON text.
JsonString JsonStr(StringView s);
String StrOfJson(JsonStringView s);
JsonString JsonOfUtf8(std::string_view s);
std::string Utf8OfJson(JsonStringView s);

QW_DECLARE_EXCEPTION(EJsonError, Exception);

enum TJsonType : uint8_t { stNull, stBoolean, stDouble, stCurrency, stInt, stObject, stArray, stString, stMethod };
enum TJsonCompareResult { cpLess, cpEqu, cpGreat, cpError };

class TJsonObject;
class TJsonTableString;
class TJsonArray;
class TJsonAvlIterator;
class TJsonWriter;
struct TJsonTokenizer;

// A counted reference to a value (nothing when empty).
class IJsonObject {
public:
    IJsonObject() noexcept = default;
    IJsonObject(std::nullptr_t) noexcept {}
    explicit IJsonObject(TJsonObject* p) noexcept;   // takes a reference of its own
    IJsonObject(const IJsonObject& o) noexcept;
    IJsonObject(IJsonObject&& o) noexcept : FPtr(o.FPtr) { o.FPtr = nullptr; }
    ~IJsonObject();
    IJsonObject& operator=(const IJsonObject& o) noexcept;
    IJsonObject& operator=(IJsonObject&& o) noexcept;
    IJsonObject& operator=(std::nullptr_t) noexcept;

    TJsonObject* operator->() const noexcept { return FPtr; }
    TJsonObject& operator*() const noexcept { return *FPtr; }
    TJsonObject* get() const noexcept { return FPtr; }
    explicit operator bool() const noexcept { return FPtr != nullptr; }
    bool operator==(const IJsonObject& o) const noexcept { return FPtr == o.FPtr; }
    bool operator==(std::nullptr_t) const noexcept { return FPtr == nullptr; }

private:
    TJsonObject* FPtr = nullptr;
};

using TJsonMethod = void (*)(const IJsonObject& This, const IJsonObject& Params, IJsonObject& Result);

// The identity a foreign caller asks for to get at a value through QueryInterface.
struct TJsonGuid {
    uint32_t D1;
    uint16_t D2, D3;
    uint8_t D4[8];
    bool operator==(const TJsonGuid&) const = default;
};
extern const TJsonGuid IID_IJsonObject;   // {4B86A9E3-E094-4E5A-954A-69048B7B6327}
constexpr int32_t JSON_S_OK = 0;
constexpr int32_t JSON_E_NOINTERFACE = static_cast<int32_t>(0x80004002u);

enum TJsonFindOption : uint8_t { foCreatePath = 1, foPutValue = 2, foDelete = 4, foCallMethod = 8 };
using TJsonFindOptions = uint8_t;

enum TJsonValidateError {
    veRuleMalformated,
    veFieldIsRequired,
    veInvalidDataType,
    veFieldNotFound,
    veUnexpectedField,
    veDuplicateEntry,
    veValueNotInEnum,
    veInvalidLength,
    veInvalidRange
};
using TJsonOnValidateError = void (*)(void* sender, TJsonValidateError error, const JsonString& objpath);

class TJsonEnumerator;

// ---- Values --------------------------------------------------------------------------------

class TJsonObject {
public:
    static IJsonObject Create(TJsonType jt = stObject);
    static IJsonObject Create(bool b);
    static IJsonObject Create(int64_t i);
    static IJsonObject Create(int i) { return Create(static_cast<int64_t>(i)); }
    static IJsonObject Create(double d);
    static IJsonObject CreateCurrency(TJsonCurrency c);
    static IJsonObject Create(JsonString s);
    static IJsonObject Create(const char16_t* s) { return Create(JsonString(s ? s : u"")); }
    static IJsonObject Create(TJsonMethod m);

    TJsonObject(const TJsonObject&) = delete;
    TJsonObject& operator=(const TJsonObject&) = delete;

    int32_t QueryInterface(const TJsonGuid& iid, void** obj);
    int32_t _AddRef() noexcept;
    int32_t _Release() noexcept;
    int32_t RefCount() const noexcept { return FRefCount.load(); }

    TJsonType DataType() const noexcept { return FDataType; }
    bool IsType(TJsonType t) const noexcept { return FDataType == t; }
    void* DataPtr() const noexcept { return FDataPtr; }
    void SetDataPtr(void* p) noexcept { FDataPtr = p; }
    bool GetProcessing() const noexcept { return FProcessing; }
    void SetProcessing(bool v) noexcept { FProcessing = v; }

    // Conversions (Part of the value model: none changes the value).
    bool AsBoolean() const;
    int64_t AsInteger() const;
    double AsDouble() const;
    TJsonCurrency AsCurrency() const;
    JsonString AsString() const;
    TJsonArray* AsArray() const noexcept { return FDataType == stArray ? FO.a : nullptr; }
    TJsonTableString* AsObject() const noexcept { return FDataType == stObject ? FO.o : nullptr; }
    TJsonMethod AsMethod() const noexcept { return FDataType == stMethod ? FO.m : nullptr; }

    void Clear(bool all = false);
    void Pack(bool all = false);

    TJsonCompareResult Compare(const IJsonObject& obj) const;
    TJsonCompareResult Compare(const JsonString& str) const;

    // Writer.
    int32_t Write(TJsonWriter& writer, bool indent, bool escape, int32_t level);
    JsonString AsJSon(bool indent = false, bool escape = true);
    int32_t SaveTo(TStream& stream, bool indent = false, bool escape = true);
    int32_t SaveTo(const String& fileName, bool indent = false, bool escape = true);
    int32_t SaveToSocket(uintptr_t socket, bool indent = false, bool escape = true);
    int32_t CalcSize(bool indent = false, bool escape = true);

    // Path access: the path is evaluated against this value.
    IJsonObject GetO(const JsonString& path);
    bool GetB(const JsonString& path);
    int64_t GetI(const JsonString& path);
    double GetD(const JsonString& path);
    TJsonCurrency GetC(const JsonString& path);
    JsonString GetS(const JsonString& path);
    TJsonArray* GetA(const JsonString& path);
    IJsonObject GetN(const JsonString& path);
    TJsonMethod GetM(const JsonString& path);
    void PutO(const JsonString& path, const IJsonObject& value);
    void PutB(const JsonString& path, bool value);
    void PutI(const JsonString& path, int64_t value);
    void PutD(const JsonString& path, double value);
    void PutC(const JsonString& path, TJsonCurrency value);
    void PutS(const JsonString& path, const JsonString& value);
    void PutN(const JsonString& path, const IJsonObject& value);
    void PutM(const JsonString& path, TJsonMethod value);
    IJsonObject Delete(const JsonString& path);
    IJsonObject ForcePath(const JsonString& path, TJsonType dataType = stObject);
    IJsonObject call(const JsonString& path, const IJsonObject& param = nullptr);
    IJsonObject call(const JsonString& path, const JsonString& param);

    // Raises EJsonError for a value that contains itself.
    IJsonObject Clone();
    void Merge(const IJsonObject& obj, bool reference = false);
    void Merge(const JsonString& str);
    JsonString Format(const JsonString& str, char16_t BeginSep = u'%', char16_t EndSep = u'%');
    bool Validate(const IJsonObject& rules, const IJsonObject& defs = nullptr, TJsonOnValidateError callback = nullptr,
                  void* sender = nullptr);
    bool Validate(const JsonString& rules, const JsonString& defs = JsonString(), TJsonOnValidateError callback = nullptr,
                  void* sender = nullptr);

    TJsonEnumerator GetEnumerator();

private:
    friend class IJsonObject;
    friend class TJsonTableString;
    friend class TJsonArray;
    friend struct TJsonTokenizer;
    explicit TJsonObject(TJsonType jt);
    ~TJsonObject();
    static IJsonObject Adopt(TJsonObject* p);

    std::atomic<int32_t> FRefCount{0};
    bool FProcessing = false;
    TJsonType FDataType;
    void* FDataPtr = nullptr;
    union {
        bool b;
        double d;
        TJsonCurrency c;
        int64_t i;
        TJsonTableString* o;
        TJsonArray* a;
        TJsonMethod m;
    } FO{};
    JsonString FOString;
};

// Live TJsonObject instances, for leak reports.
int32_t JsonLiveCount() noexcept;
// Called at shut-down when values are still alive (default: "Memory leak" on stderr).
using TJsonLeakReport = void (*)(const char* message);
void SetJsonLeakReport(TJsonLeakReport report);

// ---- Member table and arrays ---------------------------------------------------------------

class TJsonAvlEntry {
public:
    TJsonAvlEntry(JsonString AName, TJsonObject* Obj);   // stores Obj without a reference
    static uint32_t Hash(JsonStringView name) noexcept;
    const JsonString& Name() const noexcept { return FName; }
    TJsonObject* Ptr() const noexcept { return FPtr; }
    IJsonObject Value() const { return IJsonObject(FPtr); }
    void SetValue(const IJsonObject& v);

private:
    friend class TJsonAvlTree;
    friend class TJsonTableString;
    friend class TJsonAvlIterator;
    friend struct TJsonAvlOps;
    TJsonAvlEntry* FGt = nullptr;   // later in member order
    TJsonAvlEntry* FLt = nullptr;   // earlier in member order
    int32_t FBf = 0;                // negative: the FLt side is deeper
    uint32_t FHash;
    JsonString FName;
    TJsonObject* FPtr;              // one counted reference, or nothing
};

enum TJsonAvlSearchType : uint8_t { stEQual = 1, stLess = 2, stGreater = 4 };
using TJsonAvlSearchTypes = uint8_t;

class TJsonAvlTree {
public:
    TJsonAvlTree() = default;
    TJsonAvlTree(const TJsonAvlTree&) = delete;
    TJsonAvlTree& operator=(const TJsonAvlTree&) = delete;
    virtual ~TJsonAvlTree();

    int32_t count() const noexcept { return FCount; }
    bool IsEmpty() const noexcept { return FRoot == nullptr; }
    virtual void Clear(bool all = false);
    void Pack(bool all);
    // Removes the member and returns its value (nothing when absent).
    IJsonObject Delete(JsonStringView name);
    TJsonAvlIterator GetEnumerator() const;
    // Negative, zero or positive: a before, at or after b in member order.
    static int CompareEntries(const TJsonAvlEntry* a, const TJsonAvlEntry* b) noexcept;
    static int CompareKey(uint32_t hash, JsonStringView name, const TJsonAvlEntry* e) noexcept;

protected:
    friend class TJsonAvlIterator;
    friend struct TJsonAvlOps;
    virtual void DeleteEntry(TJsonAvlEntry* entry, bool all);
    // Inserts entry, or, when the name exists, moves entry's value into the existing entry and
    // disposes of entry (with the old value); answers the entry that is in the tree.
    TJsonAvlEntry* InsertEntry(TJsonAvlEntry* entry);
    TJsonAvlEntry* FindEntry(JsonStringView name) const;

    TJsonAvlEntry* FRoot = nullptr;
    int32_t FCount = 0;
};

class TJsonTableString : public TJsonAvlTree {
public:
    ~TJsonTableString() override;
    void PutO(const JsonString& name, const IJsonObject& value);
    IJsonObject GetO(JsonStringView name) const;
    bool Find(JsonStringView name, IJsonObject& value) const;
    bool Exists(JsonStringView name) const { return FindEntry(name) != nullptr; }
    void PutS(const JsonString& name, const JsonString& v) { PutO(name, TJsonObject::Create(v)); }
    void PutI(const JsonString& name, int64_t v) { PutO(name, TJsonObject::Create(v)); }
    void PutD(const JsonString& name, double v) { PutO(name, TJsonObject::Create(v)); }
    void PutC(const JsonString& name, TJsonCurrency v) { PutO(name, TJsonObject::CreateCurrency(v)); }
    void PutB(const JsonString& name, bool v) { PutO(name, TJsonObject::Create(v)); }
    void PutM(const JsonString& name, TJsonMethod v) { PutO(name, TJsonObject::Create(v)); }
    void PutN(const JsonString& name, const IJsonObject& v) { PutO(name, v ? v : TJsonObject::Create(stNull)); }
    JsonString GetS(JsonStringView name) const;
    int64_t GetI(JsonStringView name) const;
    double GetD(JsonStringView name) const;
    TJsonCurrency GetC(JsonStringView name) const;
    bool GetB(JsonStringView name) const;
    TJsonMethod GetM(JsonStringView name) const;
    IJsonObject GetN(JsonStringView name) const;
    IJsonObject GetNames() const;
    IJsonObject GetValues() const;

protected:
    void DeleteEntry(TJsonAvlEntry* entry, bool all) override;
};

// Walks a member table in member order. Holds its path on the heap, so any height is fine.
class TJsonAvlIterator {
public:
    explicit TJsonAvlIterator(const TJsonAvlTree* tree) : FTree(tree) {}
    void Search(JsonStringView name, TJsonAvlSearchTypes st = stEQual);
    void First();
    void Last();
    TJsonAvlEntry* GetIter() const { return FPath.empty() ? nullptr : FPath.back(); }
    TJsonAvlEntry* Current() const { return GetIter(); }
    void Next();
    void Prior();
    bool MoveNext();

private:
    const TJsonAvlTree* FTree;
    std::vector<TJsonAvlEntry*> FPath;   // root .. current; empty when not positioned
};

class TJsonArray {
public:
    // Largest number of elements an array holds; puts beyond it are ignored.
    static constexpr int32_t MaxLength = 1 << 26;

    TJsonArray();
    ~TJsonArray();
    TJsonArray(const TJsonArray&) = delete;
    TJsonArray& operator=(const TJsonArray&) = delete;

    int32_t Length() const noexcept { return FLength; }
    int32_t Capacity() const noexcept { return FSize; }
    int32_t Add(const IJsonObject& v);
    int32_t Add(int64_t v) { return Add(TJsonObject::Create(v)); }
    int32_t Add(int v) { return Add(TJsonObject::Create(static_cast<int64_t>(v))); }
    int32_t Add(const JsonString& v) { return Add(TJsonObject::Create(v)); }
    int32_t Add(const char16_t* v) { return Add(TJsonObject::Create(v)); }
    int32_t Add(bool v) { return Add(TJsonObject::Create(v)); }
    int32_t Add(double v) { return Add(TJsonObject::Create(v)); }
    int32_t AddC(TJsonCurrency v) { return Add(TJsonObject::CreateCurrency(v)); }
    IJsonObject Delete(int32_t index);
    void Insert(int32_t index, const IJsonObject& value);
    void Clear(bool all = false);
    void Pack(bool all = false);

    IJsonObject GetO(int32_t index) const;
    IJsonObject GetN(int32_t index) const;
    bool GetB(int32_t index) const;
    int64_t GetI(int32_t index) const;
    double GetD(int32_t index) const;
    TJsonCurrency GetC(int32_t index) const;
    JsonString GetS(int32_t index) const;
    TJsonMethod GetM(int32_t index) const;
    // False when the index is negative or beyond MaxLength (nothing stored).
    bool PutO(int32_t index, const IJsonObject& value);
    void PutN(int32_t index, const IJsonObject& v) { PutO(index, v ? v : TJsonObject::Create(stNull)); }
    void PutB(int32_t index, bool v) { PutO(index, TJsonObject::Create(v)); }
    void PutI(int32_t index, int64_t v) { PutO(index, TJsonObject::Create(v)); }
    void PutD(int32_t index, double v) { PutO(index, TJsonObject::Create(v)); }
    void PutC(int32_t index, TJsonCurrency v) { PutO(index, TJsonObject::CreateCurrency(v)); }
    void PutS(int32_t index, const JsonString& v) { PutO(index, TJsonObject::Create(v)); }
    void PutM(int32_t index, TJsonMethod v) { PutO(index, TJsonObject::Create(v)); }

private:
    bool Grow(int32_t index);
    std::vector<IJsonObject> FArray;   // FSize slots
    int32_t FLength = 0;
    int32_t FSize = 0;
};

class TJsonEnumerator {
public:
    explicit TJsonEnumerator(IJsonObject obj);
    bool MoveNext();
    IJsonObject GetCurrent() const;
    IJsonObject Current() const { return GetCurrent(); }

private:
    IJsonObject FObj;
    TJsonAvlIterator FObjEnum;
    int32_t FCount = -1;
};

struct TJsonObjectIter {
    JsonString key;
    IJsonObject val;
    TJsonAvlIterator* Ite = nullptr;
};
bool JsonFindFirst(const IJsonObject& obj, TJsonObjectIter& iter);
bool JsonFindNext(TJsonObjectIter& iter);
void JsonFindClose(TJsonObjectIter& iter);

// ---- Writers --------------------------------------------------------------------------------

class TJsonWriter {
public:
    virtual ~TJsonWriter() = default;
    virtual int32_t Append(const char16_t* buf, int32_t Size) = 0;
    virtual int32_t Append(const char16_t* buf);
    virtual void Reset() = 0;
};

class TJsonWriterString : public TJsonWriter {
public:
    TJsonWriterString();
    int32_t Append(const char16_t* buf, int32_t Size) override;
    using TJsonWriter::Append;
    void Reset() override;
    JsonString GetString() const { return JsonString(FBuf.data(), static_cast<size_t>(FBPos)); }
    void TrimRight();
    const char16_t* Data() const { return FBuf.data(); }
    int32_t Size() const { return FSize; }
    int32_t Position() const { return FBPos; }

private:
    std::vector<char16_t> FBuf;
    int32_t FBPos = 0;
    int32_t FSize = 0;
};

class TJsonWriterStream : public TJsonWriter {
public:
    explicit TJsonWriterStream(TStream& stream) : FStream(stream) {}
    using TJsonWriter::Append;
    void Reset() override;

protected:
    TStream& FStream;
};

// One byte per code unit (its low byte).
class TJsonAnsiWriterStream : public TJsonWriterStream {
public:
    using TJsonWriterStream::TJsonWriterStream;
    using TJsonWriter::Append;
    int32_t Append(const char16_t* buf, int32_t Size) override;
};

// UTF-16LE, no byte-order mark.
class TJsonUnicodeWriterStream : public TJsonWriterStream {
public:
    using TJsonWriterStream::TJsonWriterStream;
    using TJsonWriter::Append;
    int32_t Append(const char16_t* buf, int32_t Size) override;
};

// Counts code units only.
class TJsonWriterFake : public TJsonWriter {
public:
    int32_t Append(const char16_t* buf, int32_t Size) override;
    int32_t Append(const char16_t* buf) override;
    void Reset() override { FSize = 0; }
    int32_t Size() const { return FSize; }

private:
    int32_t FSize = 0;
};

// Sends the low byte of each code unit to a connected socket.
class TJsonWriterSock : public TJsonWriter {
public:
    explicit TJsonWriterSock(uintptr_t socket) : FSocket(socket) {}
    int32_t Append(const char16_t* buf, int32_t Size) override;
    using TJsonWriter::Append;
    void Reset() override { FSize = 0; }
    int32_t Size() const { return FSize; }

private:
    uintptr_t FSocket;
    int32_t FSize = 0;
};

// Platform edge: sends bytes on a socket; answers the count sent or a negative number.
int32_t JsonSocketSend(uintptr_t socket, const char* data, int32_t size);

// Number texts of the writer: 15 significant digits, "." always; currency in fixed notation.
JsonString JsonFloatText(double x);
JsonString JsonCurrencyText(TJsonCurrency c);

// ---- Parser ---------------------------------------------------------------------------------

enum TJsonTokenerState : uint8_t {
    tsEatws, tsStart, tsFinish, tsNull, tsCommentStart, tsComment, tsCommentEol, tsCommentEnd,
    tsString, tsStringEscape, tsIdentifier, tsEscapeUnicode, tsEscapeHexadecimal, tsBoolean, tsNumber,
    tsArray, tsArrayAdd, tsArraySep, tsObjectFieldStart, tsObjectField, tsObjectUnquotedField,
    tsObjectFieldEnd, tsObjectValue, tsObjectValueAdd, tsObjectSep, tsEvalProperty, tsEvalArray,
    tsEvalMethod, tsParamValue, tsParamPut, tsMethodValue, tsMethodPut,
    tsEvalStep   // internal: a path step has been selected, the next character says what follows
};

enum TJsonTokenizerError : uint8_t {
    teSuccess, teContinue, teDepth, teParseEof, teParseUnexpected, teParseNull, teParseBoolean,
    teParseNumber, teParseArray, teParseObjectKeyName, teParseObjectKeySep, teParseObjectValueSep,
    teParseString, teParseComment, teEvalObject, teEvalArray, teEvalMethod, teEvalInt
};

struct TJsonTokenerSrec {
    TJsonTokenerState state = tsEatws;
    TJsonTokenerState saved_state = tsStart;
    IJsonObject obj;
    IJsonObject current;
    JsonString field_name;
    IJsonObject parent;
    IJsonObject gparent;
    int64_t index = -1;        // path step into an array: element index; -2 appends
    bool has_slot = false;     // path step: parent with field_name or index can be written
};

struct TJsonTokenizer {
    static constexpr int kLevels = 32;

    TJsonTokenizer();
    void Reset();
    void ResetLevel(int level);

    const char16_t* str = nullptr;
    TJsonWriterString pb;
    int32_t depth = 0;
    int32_t is_double = 0;
    int32_t floatcount = 0;
    int32_t st_pos = 0;
    int32_t char_offset = 0;
    TJsonTokenizerError err = teSuccess;
    char16_t ucs_char = 0;
    char16_t quote_char = 0;
    TJsonTokenerSrec stack[kLevels];
    int32_t line = 1;
    int32_t col = 0;
};

// Runs the machine over len code units of str (-1: up to and including the zero unit).
IJsonObject ParseEx(TJsonTokenizer& tok, const char16_t* str, int32_t len, bool strict, const IJsonObject& This = nullptr,
                    TJsonFindOptions options = 0, const IJsonObject& put = nullptr, TJsonType dt = stNull);
IJsonObject ParseString(const JsonString& s, bool strict, bool partial = true, const IJsonObject& This = nullptr,
                        TJsonFindOptions options = 0, const IJsonObject& put = nullptr, TJsonType dt = stNull,
                        TJsonTokenizerError* error = nullptr);
IJsonObject ParseStream(TStream& stream, bool strict, bool partial = true, const IJsonObject& This = nullptr,
                        TJsonFindOptions options = 0, const IJsonObject& put = nullptr, TJsonType dt = stNull);
IJsonObject ParseFile(const String& fileName, bool strict, bool partial = true, const IJsonObject& This = nullptr,
                      TJsonFindOptions options = 0, const IJsonObject& put = nullptr, TJsonType dt = stNull);

// ---- Unit-level helpers ----------------------------------------------------------------------

bool JsonIsType(const IJsonObject& obj, TJsonType type);
TJsonType JsonGetType(const IJsonObject& obj);
IJsonObject JsonParse(const JsonString& text);
IJsonObject JsonParse(const char16_t* text);

// A tagged value of the platform's variant kinds, with their usual type codes.
struct TJsonVariant {
    enum : uint16_t {
        varEmpty = 0, varNull = 1, varSmallint = 2, varInteger = 3, varSingle = 4, varDouble = 5,
        varCurrency = 6, varDate = 7, varOleStr = 8, varBoolean = 11, varShortInt = 16, varByte = 17,
        varWord = 18, varLongWord = 19, varInt64 = 20, varUInt64 = 21, varString = 0x100, varUString = 0x102
    };
    uint16_t VType = varEmpty;
    int64_t I = 0;      // every integer kind, currency (1/10000 units), Boolean (0/1)
    uint64_t U = 0;     // varUInt64
    double D = 0;       // varSingle (widened), varDouble, varDate
    JsonString S;       // string kinds
};
// Raises EJsonError "Unsuported variant data type: %d" for other kinds.
IJsonObject JsonFromVariant(const TJsonVariant& value);
