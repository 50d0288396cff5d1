// JSON text output: writer targets, number texts, string escaping and the value writer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/json/json_internal.h"
#include "vcl/streams.h"

using namespace json_detail;

static int32_t Len16(const char16_t* s)
{
    int32_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

int32_t TJsonWriter::Append(const char16_t* buf) { return Append(buf, Len16(buf)); }

// ---- String writer -------------------------------------------------------------------------------

TJsonWriterString::TJsonWriterString() : FBuf(32, u'\0'), FSize(32) {}

int32_t TJsonWriterString::Append(const char16_t* buf, int32_t Size)
{
    if (Size <= 0) return Size;
    if (Size >= FSize - FBPos) {
        int64_t want = std::max<int64_t>(int64_t{FSize} * 2, int64_t{FBPos} + Size + 8);
        if (want > INT32_MAX) throw EJsonError(L"JSON text too long");
        FBuf.resize(static_cast<size_t>(want));
        FSize = static_cast<int32_t>(want);
    }
    std::memcpy(FBuf.data() + FBPos, buf, static_cast<size_t>(Size) * sizeof(char16_t));
    FBPos += Size;
    FBuf[static_cast<size_t>(FBPos)] = u'\0';
    return Size;
}

void TJsonWriterString::Reset()
{
    FBPos = 0;
    FBuf[0] = u'\0';
}

void TJsonWriterString::TrimRight()
{
    while (FBPos > 0) {
        char16_t c = FBuf[static_cast<size_t>(FBPos - 1)];
        if (c != u'\r' && c != u'\n' && c != u' ') break;
        --FBPos;
    }
    FBuf[static_cast<size_t>(FBPos)] = u'\0';
}

// ---- Stream writers -------------------------------------------------------------------------------

void TJsonWriterStream::Reset() { FStream.SetSize(0); }

int32_t TJsonAnsiWriterStream::Append(const char16_t* buf, int32_t Size)
{
    if (Size <= 0) return 0;
    if (Size == 1) {
        char b = static_cast<char>(buf[0] & 0xFF);
        return static_cast<int32_t>(FStream.Write(&b, 1));
    }
    char local[1024];
    std::vector<char> heap;
    char* out = local;
    if (Size > static_cast<int32_t>(sizeof local)) {
        heap.resize(static_cast<size_t>(Size));
        out = heap.data();
    }
    for (int32_t i = 0; i < Size; ++i) out[i] = static_cast<char>(buf[i] & 0xFF);
    return static_cast<int32_t>(FStream.Write(out, Size));
}

int32_t TJsonUnicodeWriterStream::Append(const char16_t* buf, int32_t Size)
{
    if (Size <= 0) return 0;
    std::vector<uint8_t> bytes(static_cast<size_t>(Size) * 2);
    for (int32_t i = 0; i < Size; ++i) {
        bytes[static_cast<size_t>(i) * 2] = static_cast<uint8_t>(buf[i] & 0xFF);
        bytes[static_cast<size_t>(i) * 2 + 1] = static_cast<uint8_t>(buf[i] >> 8);
    }
    return static_cast<int32_t>(FStream.Write(bytes.data(), static_cast<int64_t>(bytes.size())));
}

int32_t TJsonWriterFake::Append(const char16_t* buf, int32_t Size)
{
    if (Size > 0) FSize += Size;
    return FSize;
}

int32_t TJsonWriterFake::Append(const char16_t* buf) { return Append(buf, Len16(buf)); }

int32_t TJsonWriterSock::Append(const char16_t* buf, int32_t Size)
{
    if (Size <= 0) return 0;
    std::vector<char> bytes(static_cast<size_t>(Size));
    for (int32_t i = 0; i < Size; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(buf[i] & 0xFF);
    int32_t r = JsonSocketSend(FSocket, bytes.data(), Size);
    if (r > 0) FSize += r;
    return r;
}

// ---- Number texts -----------------------------------------------------------------------------------

JsonString JsonFloatText(double x)
{
    if (std::isnan(x)) return u"NAN";
    if (std::isinf(x)) return x < 0 ? u"-INF" : u"INF";
    if (x == 0) return u"0";
    JsonString r;
    if (x < 0) {
        r.push_back(u'-');
        x = -x;
    }
    // Correctly rounded to 15 significant digits: d.dddddddddddddde[+-]xx
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e' && *p != 'E'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);   // whatever the locale's separator
    int exp10 = *p ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int E = exp10 + 1;   // value = 0.d1d2...dn x 10^E
    int n = static_cast<int>(digits.size());
    auto put = [&r](std::string_view s) {
        for (char c : s) r.push_back(static_cast<char16_t>(c));
    };
    if (E >= -3 && E <= 15) {
        if (E <= 0) {
            put("0.");
            put(std::string(static_cast<size_t>(-E), '0'));
            put(digits);
        } else {
            if (n <= E) {
                put(digits);
                put(std::string(static_cast<size_t>(E - n), '0'));
            } else {
                put(std::string_view(digits).substr(0, static_cast<size_t>(E)));
                put(".");
                put(std::string_view(digits).substr(static_cast<size_t>(E)));
            }
        }
    } else {
        r.push_back(static_cast<char16_t>(digits[0]));
        if (n > 1) {
            put(".");
            put(std::string_view(digits).substr(1));
        }
        put("E");
        int e = E - 1;
        if (e < 0) put("-");
        put(std::to_string(e < 0 ? -e : e));
    }
    return r;
}

JsonString JsonCurrencyText(TJsonCurrency c)
{
    JsonString r;
    uint64_t u = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
    if (c < 0) r.push_back(u'-');
    for (char ch : std::to_string(u / 10000)) r.push_back(static_cast<char16_t>(ch));
    unsigned frac = static_cast<unsigned>(u % 10000);
    if (frac) {
        char f[8];
        std::snprintf(f, sizeof f, "%04u", frac);
        std::string s(f);
        while (s.back() == '0') s.pop_back();
        r.push_back(u'.');
        for (char ch : s) r.push_back(static_cast<char16_t>(ch));
    }
    return r;
}

// ---- Value writer -------------------------------------------------------------------------------------

namespace {

const char16_t kHex[] = u"0123456789abcdef";

// Appends s escaped; stops at the first failing append and answers its result.
int32_t WriteEscaped(TJsonWriter& w, const JsonString& s, bool escape)
{
    const char16_t* p = s.data();
    int32_t n = static_cast<int32_t>(s.size());
    int32_t start = 0, r = 0;
    auto flush = [&](int32_t end) -> bool {
        if (end > start) {
            r = w.Append(p + start, end - start);
            if (r < 0) return false;
        }
        return true;
    };
    for (int32_t i = 0; i < n; ++i) {
        char16_t c = p[i];
        char16_t esc[6];
        int32_t len = 0;
        switch (c) {
        case 0x08: esc[0] = u'\\', esc[1] = u'b', len = 2; break;
        case 0x09: esc[0] = u'\\', esc[1] = u't', len = 2; break;
        case 0x0A: esc[0] = u'\\', esc[1] = u'n', len = 2; break;
        case 0x0C: esc[0] = u'\\', esc[1] = u'f', len = 2; break;
        case 0x0D: esc[0] = u'\\', esc[1] = u'r', len = 2; break;
        case u'"':
        case u'\\': esc[0] = u'\\', esc[1] = c, len = 2; break;
        case u'/':
            if (escape) esc[0] = u'\\', esc[1] = c, len = 2;
            break;
        default:
            // Control characters are escaped in both modes: raw, they make the text no JSON.
            // Without escaping, everything from 0x80 up stays as it is.
            if (c < 0x20 || (escape && c >= 0x80)) {
                esc[0] = u'\\';
                esc[1] = u'u';
                esc[2] = kHex[(c >> 12) & 0xF];
                esc[3] = kHex[(c >> 8) & 0xF];
                esc[4] = kHex[(c >> 4) & 0xF];
                esc[5] = kHex[c & 0xF];
                len = 6;
            }
        }
        if (len) {
            if (!flush(i)) return r;
            r = w.Append(esc, len);
            if (r < 0) return r;
            start = i + 1;
        }
    }
    flush(n);
    return r;
}

int32_t NewLine(TJsonWriter& w, int32_t level)
{
    std::u16string s = u"\r\n";
    s.append(static_cast<size_t>(level < 0 ? 0 : level), u' ');
    return w.Append(s.data(), static_cast<int32_t>(s.size()));
}

bool Skipped(TJsonObject* v) { return v && (v->DataType() == stMethod || v->GetProcessing()); }

}  // namespace

#define QW_APPEND(expr)         \
    do {                        \
        r = (expr);             \
        if (r < 0) return r;    \
    } while (0)

int32_t TJsonObject::Write(TJsonWriter& w, bool indent, bool escape, int32_t level)
{
    if (FProcessing) return w.Append(u"null", 4);
    TProcessingGuard guard(this);
    int32_t r = 0;
    switch (FDataType) {
    case stNull: return w.Append(u"null", 4);
    case stBoolean: return FO.b ? w.Append(u"true", 4) : w.Append(u"false", 5);
    case stDouble: {
        // INF and NAN are no JSON numbers: a reader of the text gets null rather than a
        // line it cannot parse.
        if (!std::isfinite(FO.d)) return w.Append(u"null", 4);
        JsonString t = JsonFloatText(FO.d);
        return w.Append(t.data(), static_cast<int32_t>(t.size()));
    }
    case stCurrency: {
        JsonString t = JsonCurrencyText(FO.c);
        return w.Append(t.data(), static_cast<int32_t>(t.size()));
    }
    case stInt: {
        std::string d = std::to_string(FO.i);
        JsonString t(d.begin(), d.end());
        return w.Append(t.data(), static_cast<int32_t>(t.size()));
    }
    case stString:
        QW_APPEND(w.Append(u"\"", 1));
        QW_APPEND(WriteEscaped(w, FOString, escape));
        QW_APPEND(w.Append(u"\"", 1));
        return 0;
    case stMethod: return 0;
    case stObject: {
        if (FO.o->IsEmpty()) return w.Append(u"{}", 2);
        QW_APPEND(w.Append(u"{", 1));
        if (indent) ++level;
        bool first = true;
        for (TJsonAvlIterator it(FO.o); it.MoveNext();) {
            TJsonAvlEntry* e = it.GetIter();
            if (Skipped(e->Ptr())) continue;
            if (!first) QW_APPEND(w.Append(u",", 1));
            first = false;
            if (indent) QW_APPEND(NewLine(w, level));
            QW_APPEND(w.Append(u"\"", 1));
            QW_APPEND(WriteEscaped(w, e->Name(), escape));
            QW_APPEND(indent ? w.Append(u"\": ", 3) : w.Append(u"\":", 2));
            if (e->Ptr()) {
                IJsonObject keep = e->Value();
                QW_APPEND(keep->Write(w, indent, escape, level));
            } else {
                QW_APPEND(w.Append(u"null", 4));
            }
        }
        if (indent) {
            --level;
            QW_APPEND(NewLine(w, level));
        }
        return w.Append(u"}", 1);
    }
    case stArray: {
        if (FO.a->Length() == 0) return w.Append(u"[]", 2);
        QW_APPEND(w.Append(u"[", 1));
        if (indent) {
            ++level;
            QW_APPEND(NewLine(w, level));
        }
        bool first = true;
        for (int32_t i = 0; i < FO.a->Length(); ++i) {
            IJsonObject v = FO.a->GetO(i);
            if (Skipped(v.get())) continue;
            if (!first) QW_APPEND(w.Append(u",", 1));
            first = false;
            if (v) QW_APPEND(v->Write(w, indent, escape, level));
            else QW_APPEND(w.Append(u"null", 4));
        }
        if (indent) --level;
        return w.Append(u"]", 1);
    }
    }
    return r;
}

JsonString TJsonObject::AsJSon(bool indent, bool escape)
{
    TJsonWriterString w;
    if (Write(w, indent, escape, 0) < 0 || w.Position() == 0) return JsonString();
    return w.GetString();
}

int32_t TJsonObject::SaveTo(TStream& stream, bool indent, bool escape)
{
    TJsonAnsiWriterStream ansi(stream);
    TJsonUnicodeWriterStream wide(stream);
    TJsonWriterStream& w = escape ? static_cast<TJsonWriterStream&>(ansi) : static_cast<TJsonWriterStream&>(wide);
    if (Write(w, indent, escape, 0) < 0) {
        w.Reset();
        return 0;
    }
    return static_cast<int32_t>(stream.Size());
}

int32_t TJsonObject::SaveTo(const String& fileName, bool indent, bool escape)
{
    TFileStream f(fileName, fmCreate);
    return SaveTo(f, indent, escape);
}

int32_t TJsonObject::SaveToSocket(uintptr_t socket, bool indent, bool escape)
{
    TJsonWriterSock w(socket);
    if (Write(w, indent, escape, 0) < 0) return 0;
    return w.Size();
}

int32_t TJsonObject::CalcSize(bool indent, bool escape)
{
    TJsonWriterFake w;
    if (Write(w, indent, escape, 0) < 0) return 0;
    return w.Size();
}
