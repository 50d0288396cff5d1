// Values: construction, reference counting, conversions between kinds, comparison, helpers.
#include <charconv>
#include <cmath>
#include <cstdio>

#include "support/datetime/json_date.h"
#include "support/json/json_internal.h"

using namespace json_detail;

const TJsonGuid IID_IJsonObject = {0x4B86A9E3, 0xE094, 0x4E5A, {0x95, 0x4A, 0x69, 0x04, 0x8B, 0x7B, 0x63, 0x27}};

// ---- Text conversions ------------------------------------------------------------------------

JsonString JsonStr(StringView s)
{
    if constexpr (sizeof(wchar_t) == 2) {
        return JsonString(reinterpret_cast<const char16_t*>(s.data()), s.size());
    } else {
        JsonString r;
        r.reserve(s.size());
        for (wchar_t wc : s) {
            auto c = static_cast<uint32_t>(wc);
            if (c >= 0x10000 && c <= 0x10FFFF) {
                c -= 0x10000;
                r.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
                r.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
            } else {
                r.push_back(c > 0x10FFFF ? u'\uFFFD' : static_cast<char16_t>(c));
            }
        }
        return r;
    }
}

String StrOfJson(JsonStringView s)
{
    if constexpr (sizeof(wchar_t) == 2) {
        return String(reinterpret_cast<const wchar_t*>(s.data()), s.size());
    } else {
        String r;
        r.reserve(s.size());
        for (size_t i = 0; i < s.size(); ++i) {
            char16_t c = s[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
                r.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00)));
                ++i;
            } else {
                r.push_back(static_cast<wchar_t>(c));   // a lone surrogate is kept as it is
            }
        }
        return r;
    }
}

JsonString JsonOfUtf8(std::string_view s) { return JsonStr(FromUtf8(s)); }
std::string Utf8OfJson(JsonStringView s) { return ToUtf8(StrOfJson(s)); }

// ---- Number helpers --------------------------------------------------------------------------

namespace json_detail {

static bool AsciiOf(JsonStringView s, std::string& out)
{
    out.clear();
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c >= 0x80) return false;
        out.push_back(static_cast<char>(c));
    }
    return true;
}

bool TextToInt64(JsonStringView s, int64_t& value)
{
    std::string a;
    if (!AsciiOf(s, a) || a.empty()) return false;
    const char* b = a.data();
    const char* e = b + a.size();
    if (*b == '+') {
        ++b;
        if (b == e || *b == '-') return false;
    }
    auto r = std::from_chars(b, e, value);
    return r.ec == std::errc() && r.ptr == e;
}

bool TextToDouble(JsonStringView s, double& value, bool allowRange)
{
    std::string a;
    if (!AsciiOf(s, a) || a.empty()) return false;
    // Grammar check first: from_chars also knows "inf", "nan" and hexadecimal forms.
    size_t i = 0, n = a.size();
    if (a[i] == '+' || a[i] == '-') ++i;
    size_t digits = 0;
    while (i < n && a[i] >= '0' && a[i] <= '9') ++i, ++digits;
    if (i < n && a[i] == '.') {
        ++i;
        while (i < n && a[i] >= '0' && a[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (a[i] == 'e' || a[i] == 'E')) {
        ++i;
        if (i < n && (a[i] == '+' || a[i] == '-')) ++i;
        size_t ed = 0;
        while (i < n && a[i] >= '0' && a[i] <= '9') ++i, ++ed;
        if (ed == 0) return false;
    }
    if (i != n) return false;
    const char* b = a.data();
    if (*b == '+') ++b;
    double v = 0;
    auto r = std::from_chars(b, a.data() + n, v);
    if (r.ec == std::errc::result_out_of_range && allowRange) {
        // Decide overflow or underflow from the decimal magnitude of the text.
        bool negative = a[0] == '-';
        size_t k = (a[0] == '+' || a[0] == '-') ? 1 : 0;
        int64_t mag = 0;
        bool seenNonZero = false;
        for (; k < n && a[k] != 'e' && a[k] != 'E'; ++k) {
            if (a[k] == '.') continue;
            bool beforePoint = a.find('.') == std::string::npos || k < a.find('.');
            if (a[k] != '0') seenNonZero = true;
            if (beforePoint && seenNonZero) ++mag;
            else if (!beforePoint && !seenNonZero) --mag;
        }
        if (k < n) {
            int64_t ex = 0;
            bool exNeg = false;
            for (++k; k < n; ++k) {
                if (a[k] == '-') exNeg = true;
                else if (a[k] >= '0' && a[k] <= '9' && ex < 100000000) ex = ex * 10 + (a[k] - '0');
            }
            mag += exNeg ? -ex : ex;
        }
        v = mag <= 0 ? 0.0 : HUGE_VAL;
        value = negative ? -v : v;
        return true;
    }
    if (r.ec != std::errc() || r.ptr != a.data() + n) return false;
    value = v;
    return true;
}

int64_t RoundToInt64(double v)
{
    if (std::isnan(v)) return 0;
    double r = std::nearbyint(v);
    if (r >= 9223372036854775808.0) return INT64_MAX;
    if (r < -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(r);
}

int64_t SaturatingMul(int64_t a, int64_t b)
{
    int64_t r;
    if (__builtin_mul_overflow(a, b, &r)) return ((a < 0) != (b < 0)) ? INT64_MIN : INT64_MAX;
    return r;
}

}  // namespace json_detail

// ---- Live count -------------------------------------------------------------------------------

namespace {

std::atomic<int32_t> gLiveCount{0};

void DefaultLeakReport(const char* message) { std::fprintf(stderr, "%s\n", message); }
std::atomic<TJsonLeakReport> gLeakReport{&DefaultLeakReport};

struct TLeakCheck {
    ~TLeakCheck()
    {
        if (gLiveCount.load() != 0) gLeakReport.load()("Memory leak");
    }
} gLeakCheck;

}  // namespace

int32_t JsonLiveCount() noexcept { return gLiveCount.load(); }
void SetJsonLeakReport(TJsonLeakReport report) { gLeakReport.store(report ? report : &DefaultLeakReport); }

// ---- References --------------------------------------------------------------------------------

IJsonObject::IJsonObject(TJsonObject* p) noexcept : FPtr(p)
{
    if (FPtr) FPtr->_AddRef();
}

IJsonObject::IJsonObject(const IJsonObject& o) noexcept : FPtr(o.FPtr)
{
    if (FPtr) FPtr->_AddRef();
}

IJsonObject::~IJsonObject()
{
    if (FPtr) FPtr->_Release();
}

IJsonObject& IJsonObject::operator=(const IJsonObject& o) noexcept
{
    if (o.FPtr) o.FPtr->_AddRef();
    TJsonObject* old = FPtr;
    FPtr = o.FPtr;
    if (old) old->_Release();
    return *this;
}

IJsonObject& IJsonObject::operator=(IJsonObject&& o) noexcept
{
    if (this != &o) {
        TJsonObject* old = FPtr;
        FPtr = o.FPtr;
        o.FPtr = nullptr;
        if (old) old->_Release();
    }
    return *this;
}

IJsonObject& IJsonObject::operator=(std::nullptr_t) noexcept
{
    TJsonObject* old = FPtr;
    FPtr = nullptr;
    if (old) old->_Release();
    return *this;
}

// ---- Construction ------------------------------------------------------------------------------

TJsonObject::TJsonObject(TJsonType jt) : FDataType(jt)
{
    ++gLiveCount;
    switch (jt) {
    case stObject: FO.o = new TJsonTableString(); break;
    case stArray: FO.a = new TJsonArray(); break;
    default: FO.i = 0; break;
    }
}

TJsonObject::~TJsonObject()
{
    --gLiveCount;
    if (FDataType == stObject) delete FO.o;
    else if (FDataType == stArray) delete FO.a;
}

IJsonObject TJsonObject::Adopt(TJsonObject* p) { return IJsonObject(p); }

IJsonObject TJsonObject::Create(TJsonType jt) { return Adopt(new TJsonObject(jt)); }

IJsonObject TJsonObject::Create(bool b)
{
    auto r = Create(stBoolean);
    r->FO.b = b;
    return r;
}

IJsonObject TJsonObject::Create(int64_t i)
{
    auto r = Create(stInt);
    r->FO.i = i;
    return r;
}

IJsonObject TJsonObject::Create(double d)
{
    auto r = Create(stDouble);
    r->FO.d = d;
    return r;
}

IJsonObject TJsonObject::CreateCurrency(TJsonCurrency c)
{
    auto r = Create(stCurrency);
    r->FO.c = c;
    return r;
}

IJsonObject TJsonObject::Create(JsonString s)
{
    auto r = Create(stString);
    r->FOString = std::move(s);
    return r;
}

IJsonObject TJsonObject::Create(TJsonMethod m)
{
    auto r = Create(stMethod);
    r->FO.m = m;
    return r;
}

int32_t TJsonObject::QueryInterface(const TJsonGuid& iid, void** obj)
{
    if (iid == IID_IJsonObject) {
        _AddRef();
        if (obj) *obj = this;
        return JSON_S_OK;
    }
    if (obj) *obj = nullptr;
    return JSON_E_NOINTERFACE;
}

int32_t TJsonObject::_AddRef() noexcept { return ++FRefCount; }

int32_t TJsonObject::_Release() noexcept
{
    int32_t n = --FRefCount;
    if (n == 0) delete this;
    return n;
}

// ---- Conversions ---------------------------------------------------------------------------------

bool TJsonObject::AsBoolean() const
{
    switch (FDataType) {
    case stBoolean: return FO.b;
    case stDouble: return FO.d != 0;
    case stCurrency: return FO.c != 0;
    case stInt: return FO.i != 0;
    case stObject:
    case stArray:
    case stMethod: return true;
    case stString: return !FOString.empty();
    default: return false;
    }
}

static int64_t CurrencyToInt(TJsonCurrency c)
{
    int64_t q = c / 10000, r = c % 10000;
    int64_t sign = c < 0 ? -1 : 1;
    int64_t ar = r < 0 ? -r : r;
    if (ar > 5000 || (ar == 5000 && (q & 1))) q += sign;
    return q;
}

int64_t TJsonObject::AsInteger() const
{
    switch (FDataType) {
    case stBoolean: return FO.b ? 1 : 0;
    case stDouble: return RoundToInt64(FO.d);
    case stCurrency: return CurrencyToInt(FO.c);
    case stInt: return FO.i;
    case stString: {
        int64_t v;
        return TextToInt64(FOString, v) ? v : 0;
    }
    default: return 0;
    }
}

double TJsonObject::AsDouble() const
{
    switch (FDataType) {
    case stBoolean: return FO.b ? 1 : 0;
    case stDouble: return FO.d;
    case stCurrency: return static_cast<double>(FO.c) / 10000.0;
    case stInt: return static_cast<double>(FO.i);
    case stString: {
        double v;
        return TextToDouble(FOString, v) ? v : 0;
    }
    default: return 0;
    }
}

TJsonCurrency TJsonObject::AsCurrency() const
{
    switch (FDataType) {
    case stBoolean: return FO.b ? 10000 : 0;
    case stDouble: return RoundToInt64(FO.d * 10000.0);
    case stCurrency: return FO.c;
    case stInt: return SaturatingMul(FO.i, 10000);
    case stString: {
        double v;
        return TextToDouble(FOString, v) ? RoundToInt64(v * 10000.0) : 0;
    }
    default: return 0;
    }
}

JsonString TJsonObject::AsString() const
{
    switch (FDataType) {
    case stNull: return JsonString();
    case stString: return FOString;
    default: return const_cast<TJsonObject*>(this)->AsJSon(false, false);
    }
}

// ---- Clear and pack ---------------------------------------------------------------------------------

void TJsonObject::Clear(bool all)
{
    if (FProcessing) return;
    // A value held only by its own members would go with them, in the middle of this call.
    IJsonObject keep(this);
    TProcessingGuard guard(this);
    switch (FDataType) {
    case stBoolean: FO.b = false; break;
    case stDouble: FO.d = 0; break;
    case stCurrency: FO.c = 0; break;
    case stInt: FO.i = 0; break;
    case stObject: FO.o->Clear(all); break;
    case stArray: FO.a->Clear(all); break;
    case stString: FOString.clear(); break;
    case stMethod: FO.m = nullptr; break;
    default: break;
    }
}

void TJsonObject::Pack(bool all)
{
    if (FProcessing) return;
    TProcessingGuard guard(this);
    if (FDataType == stObject) FO.o->Pack(all);
    else if (FDataType == stArray) FO.a->Pack(all);
}

// ---- Comparison -------------------------------------------------------------------------------------

static bool IsNumeric(TJsonType t) { return t == stBoolean || t == stDouble || t == stCurrency || t == stInt; }

template <class T>
static TJsonCompareResult Sign(T a, T b)
{
    return a < b ? cpLess : (a > b ? cpGreat : cpEqu);
}

TJsonCompareResult TJsonObject::Compare(const IJsonObject& obj) const
{
    if (!obj) return cpError;
    TJsonType a = FDataType, b = obj->FDataType;
    if (IsNumeric(a) && IsNumeric(b)) {
        if (a != stDouble && b != stDouble) {
            // Exact: everything in 1/10000 units, in 128 bits so that no product overflows.
            auto scaled = [](const TJsonObject& o) -> __int128 {
                switch (o.FDataType) {
                case stBoolean: return o.FO.b ? 10000 : 0;
                case stCurrency: return o.FO.c;
                default: return static_cast<__int128>(o.FO.i) * 10000;
                }
            };
            return Sign(scaled(*this), scaled(*obj));
        }
        auto wide = [](const TJsonObject& o) -> long double {
            switch (o.FDataType) {
            case stBoolean: return o.FO.b ? 1 : 0;
            case stDouble: return o.FO.d;
            case stCurrency: return static_cast<long double>(o.FO.c) / 10000.0L;
            default: return static_cast<long double>(o.FO.i);
            }
        };
        long double x = wide(*this), y = wide(*obj);
        if (std::isnan(x) || std::isnan(y)) return cpError;
        return Sign(x, y);
    }
    if ((a == stString && (IsNumeric(b) || b == stString)) || (IsNumeric(a) && b == stString)) {
        int c = AsString().compare(obj->AsString());
        return c < 0 ? cpLess : (c > 0 ? cpGreat : cpEqu);
    }
    return cpError;
}

TJsonCompareResult TJsonObject::Compare(const JsonString& str) const { return Compare(JsonParse(str)); }

// ---- Enumeration ------------------------------------------------------------------------------------

TJsonEnumerator::TJsonEnumerator(IJsonObject obj)
    : FObj(std::move(obj)), FObjEnum(FObj && FObj->AsObject() ? FObj->AsObject() : nullptr)
{
}

bool TJsonEnumerator::MoveNext()
{
    if (!FObj) return false;
    if (FObj->AsObject()) return FObjEnum.MoveNext();
    if (TJsonArray* a = FObj->AsArray()) {
        if (FCount < a->Length()) ++FCount;
        return FCount < a->Length();
    }
    return false;
}

IJsonObject TJsonEnumerator::GetCurrent() const
{
    if (!FObj) return nullptr;
    if (FObj->AsObject()) {
        TJsonAvlEntry* e = FObjEnum.GetIter();
        return e ? e->Value() : nullptr;
    }
    if (TJsonArray* a = FObj->AsArray()) return a->GetO(FCount);
    return nullptr;
}

TJsonEnumerator TJsonObject::GetEnumerator() { return TJsonEnumerator(IJsonObject(this)); }

bool JsonFindFirst(const IJsonObject& obj, TJsonObjectIter& iter)
{
    iter.Ite = nullptr;
    iter.val = nullptr;
    iter.key.clear();
    if (!obj || !obj->AsObject()) return false;
    iter.Ite = new TJsonAvlIterator(obj->AsObject());
    iter.Ite->First();
    TJsonAvlEntry* e = iter.Ite->GetIter();
    if (!e) return false;
    iter.key = e->Name();
    iter.val = e->Value();
    return true;
}

bool JsonFindNext(TJsonObjectIter& iter)
{
    if (!iter.Ite) return false;
    iter.Ite->Next();
    TJsonAvlEntry* e = iter.Ite->GetIter();
    if (!e) return false;
    iter.key = e->Name();
    iter.val = e->Value();
    return true;
}

void JsonFindClose(TJsonObjectIter& iter)
{
    delete iter.Ite;
    iter.Ite = nullptr;
    iter.val = nullptr;
}

// ---- Unit helpers -----------------------------------------------------------------------------------

bool JsonIsType(const IJsonObject& obj, TJsonType type) { return obj ? obj->IsType(type) : type == stNull; }
TJsonType JsonGetType(const IJsonObject& obj) { return obj ? obj->DataType() : stNull; }
IJsonObject JsonParse(const JsonString& text) { return ParseString(text, false, true); }
IJsonObject JsonParse(const char16_t* text) { return ParseString(JsonString(text ? text : u""), false, true); }

IJsonObject JsonFromVariant(const TJsonVariant& v)
{
    switch (v.VType) {
    case TJsonVariant::varEmpty:
    case TJsonVariant::varNull: return nullptr;
    case TJsonVariant::varSmallint:
    case TJsonVariant::varInteger:
    case TJsonVariant::varShortInt:
    case TJsonVariant::varByte:
    case TJsonVariant::varWord:
    case TJsonVariant::varLongWord:
    case TJsonVariant::varInt64: return TJsonObject::Create(v.I);
    case TJsonVariant::varSingle:
    case TJsonVariant::varDouble: return TJsonObject::Create(v.D);
    case TJsonVariant::varCurrency: return TJsonObject::CreateCurrency(v.I);
    case TJsonVariant::varDate: return TJsonObject::Create(DateTimeToEpochMillis(v.D));
    case TJsonVariant::varOleStr:
    case TJsonVariant::varString:
    case TJsonVariant::varUString: return TJsonObject::Create(v.S);
    case TJsonVariant::varBoolean: return TJsonObject::Create(v.I != 0);
    default: throw EJsonError(::Format(L"Unsuported variant data type: %d", {static_cast<int>(v.VType)}));
    }
}
