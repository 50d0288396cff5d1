#include "vcl/sysutils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <limits>

#ifdef _WIN32
#include "vcl/win.h"
#endif

// ---- Exceptions ----------------------------------------------------------------------------

Exception::Exception(String message) : FMessage(std::move(message)), FUtf8(ToUtf8(FMessage)) {}

void Exception::SetMessage(String message)
{
    FMessage = std::move(message);
    FUtf8 = ToUtf8(FMessage);
}

String CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return L"Unknown exception";
    }
}

// ---- UTF-8 ---------------------------------------------------------------------------------

std::string ToUtf8(StringView s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(s[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) {
                uint32_t lo = static_cast<uint32_t>(s[i + 1]);
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                } else {
                    c = 0xFFFD;
                }
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;
            }
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

static void AppendCodePoint(String& out, uint32_t c)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

String FromUtf8(std::string_view s)
{
    String out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = static_cast<uint8_t>(s[i]);
        uint32_t c;
        size_t n;
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            n = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            n = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            n = 3;
        } else {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        bool ok = i + n < s.size();   // the continuation bytes must be there
        if (ok) {
            for (size_t k = 1; k <= n; ++k) {
                uint8_t cb = static_cast<uint8_t>(s[i + k]);
                if ((cb & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                c = (c << 6) | (cb & 0x3F);
            }
        }
        static const uint32_t minFor[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < minFor[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(out, c);
        i += n + 1;
    }
    return out;
}

TVarRec::TVarRec(const std::string& utf8) : kind(vtString), s(FromUtf8(utf8)) {}
TVarRec::TVarRec(const char* utf8) : kind(vtString), s(FromUtf8(utf8 ? utf8 : "")) {}

// ---- Format --------------------------------------------------------------------------------

namespace {

String Widen(const char* s)
{
    String r;
    while (*s) r += static_cast<wchar_t>(static_cast<unsigned char>(*s++));
    return r;
}

String FormatNumberWithSeparators(double v, int prec)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", prec, v);
    std::string s = buf;
    size_t start = (s[0] == '-') ? 1 : 0;
    size_t dot = s.find('.');
    size_t intEnd = dot == std::string::npos ? s.size() : dot;
    std::string out = s.substr(0, start);
    for (size_t i = start; i < intEnd; ++i) {
        out += s[i];
        size_t left = intEnd - i - 1;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    out += s.substr(intEnd);
    return Widen(out.c_str());
}

}  // namespace

String Format(StringView fmt, std::initializer_list<TVarRec> args)
{
    return Format(fmt, std::vector<TVarRec>(args));
}

String Format(StringView fmt, const std::vector<TVarRec>& args)
{
    String out;
    size_t argIndex = 0;
    auto nextArg = [&](size_t& idx) -> const TVarRec& {
        if (idx >= args.size()) throw EConvertError(L"Format '" + String(fmt) + L"' invalid or incompatible with argument");
        return args[idx++];
    };
    auto fail = [&]() { throw EConvertError(L"Format '" + String(fmt) + L"' invalid or incompatible with argument"); };

    for (size_t i = 0; i < fmt.size(); ++i) {
        wchar_t ch = fmt[i];
        if (ch != L'%') {
            out += ch;
            continue;
        }
        if (++i >= fmt.size()) fail();
        if (fmt[i] == L'%') {
            out += L'%';
            continue;
        }
        // [index ":"] ["-"] [width] ["." prec] type
        auto readNumber = [&](int& value) -> bool {
            if (fmt[i] == L'*') {
                const TVarRec& a = nextArg(argIndex);
                if (a.kind == TVarRec::vtInt) value = static_cast<int>(a.i);
                else if (a.kind == TVarRec::vtUInt) value = static_cast<int>(a.u);
                else fail();
                ++i;
                return true;
            }
            bool any = false;
            value = 0;
            while (i < fmt.size() && fmt[i] >= L'0' && fmt[i] <= L'9') {
                value = std::min(value * 10 + (fmt[i] - L'0'), 100000);
                ++i;
                any = true;
            }
            return any;
        };
        int first = -1;
        size_t save = i;
        if (readNumber(first) && i < fmt.size() && fmt[i] == L':') {
            argIndex = static_cast<size_t>(first);
            ++i;
        } else {
            i = save;
        }
        bool left = false;
        if (i < fmt.size() && fmt[i] == L'-') {
            left = true;
            ++i;
        }
        int width = -1, prec = -1;
        if (i < fmt.size()) {
            int w;
            if (readNumber(w)) width = w;
        }
        if (i < fmt.size() && fmt[i] == L'.') {
            ++i;
            int p = 0;
            if (i < fmt.size()) readNumber(p);
            prec = p;
        }
        if (i >= fmt.size()) fail();
        wchar_t type = static_cast<wchar_t>(std::towlower(fmt[i]));
        const TVarRec& a = nextArg(argIndex);
        String piece;
        char buf[512];
        switch (type) {
        case L'd':
        case L'u': {
            int64_t sv = 0;
            if (a.kind == TVarRec::vtInt) sv = a.i;
            else if (a.kind == TVarRec::vtUInt) sv = static_cast<int64_t>(a.u);
            else fail();
            bool neg = sv < 0;
            uint64_t mag = neg ? 0 - static_cast<uint64_t>(sv) : static_cast<uint64_t>(sv);
            if (type == L'u' && neg && a.kind == TVarRec::vtInt) {
                // %u of a negative 32-bit number shows its unsigned reading
                mag = static_cast<uint32_t>(sv);
                neg = false;
            }
            std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(mag));
            String digits = Widen(buf);
            if (prec > 0 && static_cast<int>(digits.size()) < prec) digits.insert(0, prec - digits.size(), L'0');
            piece = (neg ? L"-" : L"") + digits;
            break;
        }
        case L'x': {
            uint64_t v = 0;
            if (a.kind == TVarRec::vtInt) v = a.i < 0 && a.i >= INT32_MIN ? static_cast<uint32_t>(a.i) : static_cast<uint64_t>(a.i);
            else if (a.kind == TVarRec::vtUInt) v = a.u;
            else if (a.kind == TVarRec::vtPointer) v = reinterpret_cast<uintptr_t>(a.p);
            else fail();
            std::snprintf(buf, sizeof buf, fmt[i] == L'X' ? "%llX" : "%llX", static_cast<unsigned long long>(v));
            piece = Widen(buf);
            if (prec > 0 && static_cast<int>(piece.size()) < prec) piece.insert(0, prec - piece.size(), L'0');
            if (fmt[i] == L'x') {
                // The component library writes hexadecimal in upper case whatever the letter.
            }
            break;
        }
        case L'e':
        case L'f':
        case L'g':
        case L'n':
        case L'm': {
            double v = 0;
            if (a.kind == TVarRec::vtFloat) v = a.f;
            else if (a.kind == TVarRec::vtInt) v = static_cast<double>(a.i);
            else if (a.kind == TVarRec::vtUInt) v = static_cast<double>(a.u);
            else fail();
            if (std::isnan(v)) piece = L"NAN";
            else if (std::isinf(v)) piece = v > 0 ? L"INF" : L"-INF";
            else if (type == L'e') {
                std::snprintf(buf, sizeof buf, "%.*E", prec < 0 ? 14 : std::max(prec - 1, 0), v);
                piece = Widen(buf);
            } else if (type == L'f' || type == L'm') {
                std::snprintf(buf, sizeof buf, "%.*f", prec < 0 ? 2 : std::min(prec, 18), v);
                piece = Widen(buf);
            } else if (type == L'n') {
                piece = FormatNumberWithSeparators(v, prec < 0 ? 2 : std::min(prec, 18));
            } else {
                std::snprintf(buf, sizeof buf, "%.*G", prec <= 0 ? 15 : std::min(prec, 18), v);
                piece = Widen(buf);
            }
            break;
        }
        case L's':
            if (a.kind != TVarRec::vtString) fail();
            piece = a.s;
            if (prec >= 0 && static_cast<int>(piece.size()) > prec) piece.resize(prec);
            break;
        case L'p':
            if (a.kind != TVarRec::vtPointer) fail();
            std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a.p)));
            piece = Widen(buf);
            break;
        default:
            fail();
        }
        if (width > static_cast<int>(piece.size())) {
            if (left) piece.append(width - piece.size(), L' ');
            else piece.insert(0, width - piece.size(), L' ');
        }
        out += piece;
    }
    return out;
}

// ---- Numbers ------------------------------------------------------------------------------

String IntToStr(int64_t value)
{
    return std::to_wstring(value);
}

String UIntToStr(uint64_t value)
{
    return std::to_wstring(value);
}

String IntToHex(uint64_t value, int digits)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    String r;
    do {
        r.insert(r.begin(), hex[value & 0xF]);
        value >>= 4;
    } while (value);
    if (static_cast<int>(r.size()) < digits) r.insert(0, digits - r.size(), L'0');
    return r;
}

bool TryStrToInt64(StringView s, int64_t& value)
{
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) {
        neg = s[i] == L'-';
        ++i;
    }
    unsigned base = 10;
    if (i < s.size() && s[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t mag = 0;
    for (; i < s.size(); ++i) {
        wchar_t c = s[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else return false;
        if (mag > (std::numeric_limits<uint64_t>::max() - d) / base) return false;
        mag = mag * base + d;
    }
    if (base == 10) {
        if (neg ? mag > static_cast<uint64_t>(INT64_MAX) + 1 : mag > static_cast<uint64_t>(INT64_MAX)) return false;
        value = neg ? static_cast<int64_t>(0 - mag) : static_cast<int64_t>(mag);
    } else {
        // hexadecimal is taken as a bit pattern
        value = static_cast<int64_t>(neg ? 0 - mag : mag);
    }
    return true;
}

bool TryStrToInt(StringView s, int& value)
{
    int64_t v;
    if (!TryStrToInt64(s, v)) return false;
    bool hex = s.find(L'$') != StringView::npos || s.find(L'x') != StringView::npos || s.find(L'X') != StringView::npos;
    if (hex) {
        if (static_cast<uint64_t>(v) > 0xFFFFFFFFull && v > 0) return false;
        if (v < INT32_MIN) return false;
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(StringView s)
{
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError(L"'" + String(s) + L"' is not a valid integer value");
    return v;
}

int64_t StrToInt64(StringView s)
{
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError(L"'" + String(s) + L"' is not a valid integer value");
    return v;
}

int StrToIntDef(StringView s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

String FloatToStr(double value)
{
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value > 0 ? L"INF" : L"-INF";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return Widen(buf);
}

bool TryStrToFloat(StringView s, double& value)
{
    String t = Trim(s);
    if (t.empty() || t.size() > 400) return false;
    std::string a;
    for (wchar_t c : t) {
        if (c > 127) return false;
        a += static_cast<char>(c == L',' ? '.' : c);
    }
    for (char c : a)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    double v = std::strtod(a.c_str(), &end);
    if (end != a.c_str() + a.size()) return false;
    value = v;
    return true;
}

double StrToFloat(StringView s)
{
    double v;
    if (!TryStrToFloat(s, v)) throw EConvertError(L"'" + String(s) + L"' is not a valid floating point value");
    return v;
}

// ---- Text ----------------------------------------------------------------------------------

String Trim(StringView s)
{
    size_t a = 0, b = s.size();
    while (a < b && s[a] <= L' ') ++a;
    while (b > a && s[b - 1] <= L' ') --b;
    return String(s.substr(a, b - a));
}

String TrimLeft(StringView s)
{
    size_t a = 0;
    while (a < s.size() && s[a] <= L' ') ++a;
    return String(s.substr(a));
}

String TrimRight(StringView s)
{
    size_t b = s.size();
    while (b > 0 && s[b - 1] <= L' ') --b;
    return String(s.substr(0, b));
}

String UpperCase(StringView s)
{
    String r(s);
    for (auto& c : r)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    return r;
}

String LowerCase(StringView s)
{
    String r(s);
    for (auto& c : r)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return r;
}

String AnsiUpperCase(StringView s)
{
    String r(s);
    for (auto& c : r) c = static_cast<wchar_t>(std::towupper(c));
    return r;
}

int CompareText(StringView a, StringView b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(StringView a, StringView b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool StartsText(StringView prefix, StringView s)
{
    return s.size() >= prefix.size() && SameText(prefix, s.substr(0, prefix.size()));
}

bool StartsStr(StringView prefix, StringView s)
{
    return s.substr(0, prefix.size()) == prefix;
}

String StringReplaceAll(StringView s, StringView from, StringView to)
{
    if (from.empty()) return String(s);
    String r;
    size_t pos = 0;
    for (;;) {
        size_t f = s.find(from, pos);
        if (f == StringView::npos) break;
        r.append(s.substr(pos, f - pos));
        r.append(to);
        pos = f + from.size();
    }
    r.append(s.substr(pos));
    return r;
}

// ---- File names ----------------------------------------------------------------------------

static bool IsDelimiter(wchar_t c)
{
    return c == L'\\' || c == L'/' || c == L':';
}

static size_t LastDelimiter(StringView s)
{
    for (size_t i = s.size(); i > 0; --i)
        if (IsDelimiter(s[i - 1])) return i - 1;
    return StringView::npos;
}

String ExtractFilePath(StringView fileName)
{
    size_t p = LastDelimiter(fileName);
    return p == StringView::npos ? String() : String(fileName.substr(0, p + 1));
}

String ExtractFileDir(StringView fileName)
{
    size_t p = LastDelimiter(fileName);
    if (p == StringView::npos) return String();
    // keep "C:\" and "\" as they are
    if (p > 0 && fileName[p] != L':' && !IsDelimiter(fileName[p - 1]) && !(p == 2 && fileName[1] == L':')) return String(fileName.substr(0, p));
    if (p == 2 && fileName[1] == L':') return String(fileName.substr(0, 3));
    return String(fileName.substr(0, p + 1));
}

String ExtractFileName(StringView fileName)
{
    size_t p = LastDelimiter(fileName);
    return String(p == StringView::npos ? fileName : fileName.substr(p + 1));
}

String ExtractFileExt(StringView fileName)
{
    for (size_t i = fileName.size(); i > 0; --i) {
        wchar_t c = fileName[i - 1];
        if (c == L'.') return String(fileName.substr(i - 1));
        if (IsDelimiter(c)) break;
    }
    return String();
}

String ChangeFileExt(StringView fileName, StringView ext)
{
    String e = ExtractFileExt(fileName);
    return String(fileName.substr(0, fileName.size() - e.size())) + String(ext);
}

String IncludeTrailingPathDelimiter(StringView path)
{
    String r(path);
    if (r.empty() || (r.back() != L'\\' && r.back() != L'/')) r += L'\\';
    return r;
}

String ExcludeTrailingPathDelimiter(StringView path)
{
    String r(path);
    while (!r.empty() && (r.back() == L'\\' || r.back() == L'/')) r.pop_back();
    return r;
}

// ---- Dates and times -----------------------------------------------------------------------

bool IsLeapYear(int year)
{
    return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    int64_t y = year - 1;
    int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    days += day;
    result = static_cast<double>(days - 693594);   // 693594 days from 0001-01-01 to 1899-12-30
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError(L"Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999) return false;
    result = ((hour * 3600000.0) + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, minute, second, msec, r)) throw EConvertError(L"Invalid argument to time encode");
    return r;
}

TSystemTimeParts DecodeDateTime(TDateTime value)
{
    TSystemTimeParts p;
    if (!std::isfinite(value) || std::fabs(value) > 3e6) return p;
    // Milliseconds since 1899-12-30, rounded like the component library does.
    int64_t ms = static_cast<int64_t>(std::llround(value * 86400000.0));
    int64_t dayNum = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t timeMs = ms - dayNum * 86400000;
    if (value < 0) {
        // negative values keep the time of day as a positive fraction
        double frac = std::fabs(value - std::trunc(value));
        timeMs = std::llround(frac * 86400000.0);
        dayNum = static_cast<int64_t>(std::trunc(value));
    }
    int64_t d = dayNum + 693594;   // days since 0001-01-01 (day 1)
    if (d <= 0) return p;
    --d;
    int64_t y400 = d / 146097;
    d %= 146097;
    int64_t y100 = std::min<int64_t>(d / 36524, 3);
    d -= y100 * 36524;
    int64_t y4 = d / 1461;
    d %= 1461;
    int64_t y1 = std::min<int64_t>(d / 365, 3);
    d -= y1 * 365;
    int year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    int month = 1;
    while (d >= DaysInMonth(year, month)) {
        d -= DaysInMonth(year, month);
        ++month;
    }
    p.year = year;
    p.month = month;
    p.day = static_cast<int>(d) + 1;
    p.hour = static_cast<int>(timeMs / 3600000);
    p.minute = static_cast<int>(timeMs / 60000 % 60);
    p.second = static_cast<int>(timeMs / 1000 % 60);
    p.msec = static_cast<int>(timeMs % 1000);
    return p;
}

TDateTime Now()
{
#ifdef _WIN32
    SYSTEMTIME st;
    GetLocalTime(&st);
    TDateTime d = 0, t = 0;
    TryEncodeDate(st.wYear, st.wMonth, st.wDay, d);
    TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, t);
    return d + t;
#else
    auto now = std::chrono::system_clock::now();
    std::time_t tt = std::chrono::system_clock::to_time_t(now);
    std::tm lt{};
    localtime_r(&tt, &lt);
    int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    TDateTime d = 0, t = 0;
    TryEncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, d);
    TryEncodeTime(lt.tm_hour, lt.tm_min, std::min(lt.tm_sec, 59), ms, t);
    return d + t;
#endif
}

TDateTime Date()
{
    return std::trunc(Now());
}

TDateTime Time()
{
    TDateTime n = Now();
    return n - std::trunc(n);
}

String FormatDateTime(StringView fmt, TDateTime value)
{
    TSystemTimeParts p = DecodeDateTime(value);
    String out;
    bool lastWasHour = false;
    auto two = [](int v) {
        wchar_t b[8];
        std::swprintf(b, 8, L"%02d", v);
        return String(b);
    };
    size_t i = 0;
    while (i < fmt.size()) {
        wchar_t c = fmt[i];
        wchar_t lc = static_cast<wchar_t>(std::towlower(c));
        size_t run = 1;
        while (i + run < fmt.size() && static_cast<wchar_t>(std::towlower(fmt[i + run])) == lc) ++run;
        if (c == L'"' || c == L'\'') {
            size_t e = fmt.find(c, i + 1);
            if (e == StringView::npos) e = fmt.size();
            out.append(fmt.substr(i + 1, e - i - 1));
            i = e + 1;
            continue;
        }
        switch (lc) {
        case L'y':
            out += run >= 3 ? IntToStr(p.year) : two(p.year % 100);
            break;
        case L'm':
            if (lastWasHour) out += run >= 2 ? two(p.minute) : IntToStr(p.minute);
            else out += run >= 2 ? two(p.month) : IntToStr(p.month);
            break;
        case L'd':
            out += run >= 2 ? two(p.day) : IntToStr(p.day);
            break;
        case L'h':
            out += run >= 2 ? two(p.hour) : IntToStr(p.hour);
            break;
        case L'n':
            out += run >= 2 ? two(p.minute) : IntToStr(p.minute);
            break;
        case L's':
            out += run >= 2 ? two(p.second) : IntToStr(p.second);
            break;
        case L'z': {
            wchar_t b[8];
            if (run >= 3) std::swprintf(b, 8, L"%03d", p.msec);
            else std::swprintf(b, 8, L"%d", p.msec);
            out += b;
            break;
        }
        default:
            out.append(run, c);
        }
        if (lc == L'h') lastWasHour = true;
        else if (lc != L':' && lc != L' ' && lc != L'.') lastWasHour = false;
        i += run;
    }
    return out;
}

String DateToStr(TDateTime value)
{
    return FormatDateTime(L"yyyy-mm-dd", value);
}

String TimeToStr(TDateTime value)
{
    return FormatDateTime(L"hh:nn:ss", value);
}

String DateTimeToStr(TDateTime value)
{
    return FormatDateTime(L"yyyy-mm-dd hh:nn:ss", value);
}

static bool ParseInts(StringView s, wchar_t sep, int* out, int count)
{
    size_t pos = 0;
    for (int k = 0; k < count; ++k) {
        size_t start = pos;
        int v = 0;
        while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9' && pos - start < 6) v = v * 10 + (s[pos++] - L'0');
        if (pos == start) return false;
        out[k] = v;
        if (k + 1 < count) {
            if (pos >= s.size() || s[pos] != sep) return false;
            ++pos;
        }
    }
    return pos == s.size();
}

bool TryStrToDate(StringView s, TDateTime& value)
{
    String t = Trim(s);
    int v[3];
    return ParseInts(t, L'-', v, 3) && TryEncodeDate(v[0], v[1], v[2], value);
}

bool TryStrToTime(StringView s, TDateTime& value)
{
    String t = Trim(s);
    int v[3];
    if (ParseInts(t, L':', v, 3)) return TryEncodeTime(v[0], v[1], v[2], 0, value);
    if (ParseInts(t, L':', v, 2)) return TryEncodeTime(v[0], v[1], 0, 0, value);
    return false;
}

bool TryStrToDateTime(StringView s, TDateTime& value)
{
    String t = Trim(s);
    size_t sp = t.find(L' ');
    TDateTime d, tm = 0;
    if (sp == String::npos) return TryStrToDate(t, value);
    if (!TryStrToDate(StringView(t).substr(0, sp), d) || !TryStrToTime(StringView(t).substr(sp + 1), tm)) return false;
    value = d + tm;
    return true;
}

uint32_t GetTickCount32()
{
#ifdef _WIN32
    return static_cast<uint32_t>(GetTickCount64());
#else
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count());
#endif
}
