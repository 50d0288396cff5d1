// Epoch milliseconds, ISO 8601 text and time-zone rules.
#include "support/datetime/json_date.h"

#include <cmath>
#include <cstring>

namespace {

TZoneRegistry* gRegistry = nullptr;
thread_local uint32_t gLastError = 0;

constexpr int64_t kMsPerDay = 86400000;

bool Leap(int64_t y) { return (y % 4 == 0) && (y % 100 != 0 || y % 400 == 0); }

int MonthLength(int64_t year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return days[month - 1] + (month == 2 && Leap(year) ? 1 : 0);
}

// Days from 0001-01-01 to January 1st of year (proleptic Gregorian).
int64_t DaysBeforeYear(int64_t year)
{
    int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

constexpr int64_t kDays1970 = 719162;    // 0001-01-01 .. 1970-01-01

// Milliseconds since 0001-01-01 of a valid system time; false when a field is out of range.
bool SystemTimeToMs(const TZoneSystemTime& st, int64_t& ms)
{
    if (st.wYear < 1 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 || st.wDay > MonthLength(st.wYear, st.wMonth) ||
        st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999)
        return false;
    int64_t days = DaysBeforeYear(st.wYear);
    for (int m = 1; m < st.wMonth; ++m) days += MonthLength(st.wYear, m);
    days += st.wDay - 1;
    ms = days * kMsPerDay + st.wHour * 3600000LL + st.wMinute * 60000LL + st.wSecond * 1000LL + st.wMilliseconds;
    return true;
}

bool MsToSystemTime(int64_t ms, TZoneSystemTime& st)
{
    if (ms < 0) return false;
    int64_t days = ms / kMsPerDay, rest = ms % kMsPerDay;
    int64_t year = days / 366 + 1;
    while (DaysBeforeYear(year + 1) <= days) ++year;
    if (year > 30827) return false;
    int64_t d = days - DaysBeforeYear(year);
    int month = 1;
    while (d >= MonthLength(year, month)) d -= MonthLength(year, month++);
    st.wYear = static_cast<uint16_t>(year);
    st.wMonth = static_cast<uint16_t>(month);
    st.wDay = static_cast<uint16_t>(d + 1);
    st.wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);   // 0001-01-01 was a Monday
    st.wHour = static_cast<uint16_t>(rest / 3600000);
    st.wMinute = static_cast<uint16_t>(rest / 60000 % 60);
    st.wSecond = static_cast<uint16_t>(rest / 1000 % 60);
    st.wMilliseconds = static_cast<uint16_t>(rest % 1000);
    return true;
}

void DecodeSystemTime(const uint8_t* p, TZoneSystemTime& st)
{
    uint16_t w[8];
    for (int i = 0; i < 8; ++i) w[i] = static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    st = {w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]};
}

int32_t DecodeInt32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

// A local date-time value's calendar parts as a system time (day of week filled in).
bool SystemTimeOfDateTime(TDateTime value, TZoneSystemTime& st)
{
    if (!std::isfinite(value) || std::fabs(value) > 2958465.0) return false;   // 9999-12-31
    TSystemTimeParts p = DecodeDateTime(value);
    TZoneSystemTime t{static_cast<uint16_t>(p.year), static_cast<uint16_t>(p.month), 0, static_cast<uint16_t>(p.day),
                      static_cast<uint16_t>(p.hour), static_cast<uint16_t>(p.minute), static_cast<uint16_t>(p.second),
                      static_cast<uint16_t>(p.msec)};
    int64_t ms;
    if (!SystemTimeToMs(t, ms)) return false;
    return MsToSystemTime(ms, st);
}

TDateTime DateTimeOfSystemTime(const TZoneSystemTime& st)
{
    TDateTime d = 0, t = 0;
    TryEncodeDate(st.wYear, st.wMonth, st.wDay, d);
    TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, t);
    return d < 0 ? d - t : d + t;   // before 1899-12-30 the time still counts forward
}

int64_t RoundClamp(double v)
{
    if (std::isnan(v)) return 0;
    double r = std::nearbyint(v);
    if (r >= 9223372036854775808.0) return INT64_MAX;
    if (r < -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(r);
}

}  // namespace

// ---- Registry -----------------------------------------------------------------------------------

void SetZoneRegistry(TZoneRegistry* registry) { gRegistry = registry; }

uint32_t ZoneLastError() { return gLastError; }

bool ReadZoneRulesForYear(int Year, TZoneRecord& Zone)
{
    return ReadZoneRulesFrom(gRegistry ? *gRegistry : PlatformZoneRegistry(), Year, Zone);
}

bool ReadZoneRulesFrom(TZoneRegistry& reg, int Year, TZoneRecord& Zone)
{
    std::memset(&Zone, 0, sizeof Zone);
    const String zones = L"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
    String name;
    if (reg.OpenKey(TZoneRegistry::rkLocalMachine, L"\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation") &&
        reg.ValueExists(L"TimeZoneKeyName") && reg.ReadString(L"TimeZoneKeyName", name)) {
        name = Trim(name);
    } else if (reg.OpenKey(TZoneRegistry::rkCurrentUser, zones) && reg.ValueExists(L"TimeZoneKeyName") &&
               reg.ReadString(L"TimeZoneKeyName", name)) {
        name = Trim(name);
    } else {
        return false;
    }
    const String key = zones + name;
    if (!reg.OpenKey(TZoneRegistry::rkLocalMachine, key)) return false;
    uint8_t tzi[44] = {};
    bool read = false;
    if (reg.OpenKey(TZoneRegistry::rkLocalMachine, key + L"\\Dynamic DST")) {
        int32_t first = 0, last = 0;
        // A yearly table without readable bounds is skipped: the zone's standing rules apply.
        if (reg.ReadInteger(L"FirstEntry", first) && reg.ReadInteger(L"LastEntry", last)) {
            int32_t entry = Year;
            if (Year < first) entry = first;
            else if (last < Year) entry = last;
            // Entries below FirstEntry cannot exist; stopping there bounds the search.
            while (entry > 0 && entry >= first && !reg.ValueExists(IntToStr(entry))) --entry;
            if (entry > 0 && entry >= first) read = reg.ReadBinary(IntToStr(entry), tzi, 44) == 44;
        }
    }
    // A failed or used-up look-up of the yearly table has left the zone's key: open it again.
    if (!read) read = reg.OpenKey(TZoneRegistry::rkLocalMachine, key) && reg.ReadBinary(L"TZI", tzi, 44) == 44;
    if (!read) return false;
    Zone.Bias = DecodeInt32(tzi);
    Zone.StandardBias = DecodeInt32(tzi + 4);
    Zone.DaylightBias = DecodeInt32(tzi + 8);
    DecodeSystemTime(tzi + 12, Zone.StandardDate);
    DecodeSystemTime(tzi + 28, Zone.DaylightDate);
    return true;
}

// ---- Transitions ----------------------------------------------------------------------------------

int CompareToTransition(const TZoneSystemTime& Time, const TZoneSystemTime& Rule)
{
    if (Time.wMonth < Rule.wMonth) return -1;
    if (Time.wMonth > Rule.wMonth) return 1;
    int day;
    if (Rule.wYear != 0) {
        day = Rule.wDay;
    } else {
        int first = ((Rule.wDayOfWeek + Time.wDay - Time.wDayOfWeek + 6) % 7 + 7) % 7 + 1;
        day = first + (Rule.wDay - 1) * 7;
        if (day > MonthLength(Time.wYear, Time.wMonth)) day -= 7;
    }
    int64_t a = Time.wDay * 86400LL + Time.wHour * 3600LL + Time.wMinute * 60LL + Time.wSecond;
    int64_t b = day * 86400LL + Rule.wHour * 3600LL + Rule.wMinute * 60LL;
    return a < b ? -1 : (a > b ? 1 : 0);
}

static bool ShiftMinutes(const TZoneSystemTime& t, int64_t minutes, TZoneSystemTime& out)
{
    int64_t ms;
    return SystemTimeToMs(t, ms) && MsToSystemTime(ms + minutes * 60000, out);
}

int DaylightStateAt(const TZoneRecord& Zone, const TZoneSystemTime& Instant, bool InstantIsLocal)
{
    const TZoneSystemTime& sd = Zone.StandardDate;
    const TZoneSystemTime& dd = Zone.DaylightDate;
    if (dd.wMonth == 0) return 0;
    auto relativeOk = [](const TZoneSystemTime& r) {
        return r.wYear != 0 || (r.wDay >= 1 && r.wDay <= 5 && r.wDayOfWeek <= 6);
    };
    bool valid = sd.wMonth != 0 && sd.wMonth <= 12 && dd.wMonth <= 12 && relativeOk(sd) && relativeOk(dd);
    if (!valid) {
        gLastError = kZoneErrorInvalidParameter;
        return -1;
    }
    TZoneSystemTime first = Instant, second = Instant;
    if (!InstantIsLocal) {
        if (!ShiftMinutes(Instant, -(int64_t{Zone.Bias} + Zone.DaylightBias), first) ||
            !ShiftMinutes(Instant, -(int64_t{Zone.Bias} + Zone.StandardBias), second)) {
            gLastError = kZoneErrorInvalidParameter;
            return -1;
        }
    }
    bool beforeStandard = CompareToTransition(first, sd) < 0;
    bool afterDaylight = CompareToTransition(second, dd) >= 0;
    bool daylight = dd.wMonth >= sd.wMonth ? (beforeStandard || afterDaylight) : (beforeStandard && afterDaylight);
    return daylight ? 2 : 1;
}

bool ZoneBiasAt(const TZoneRecord& Zone, const TZoneSystemTime& Instant, bool InstantIsLocal, int32_t& Minutes)
{
    int state = DaylightStateAt(Zone, Instant, InstantIsLocal);
    if (state < 0) return false;
    Minutes = Zone.Bias;
    if (state == 2) Minutes += Zone.DaylightBias;
    else if (state == 1) Minutes += Zone.StandardBias;
    return true;
}

bool UniversalToLocalTime(const TZoneRecord* Zone, const TZoneSystemTime& UtcTime, TZoneSystemTime& LocalTime)
{
    TZoneRecord read;
    if (!Zone) {
        if (!ReadZoneRulesForYear(UtcTime.wYear, read)) return false;
        Zone = &read;
    }
    int32_t bias;
    int64_t ms;
    if (!SystemTimeToMs(UtcTime, ms) || !ZoneBiasAt(*Zone, UtcTime, false, bias)) return false;
    return MsToSystemTime(ms - int64_t{bias} * 60000, LocalTime);
}

bool LocalToUniversalTime(const TZoneRecord* Zone, const TZoneSystemTime& LocalTime, TZoneSystemTime& UtcTime)
{
    TZoneRecord read;
    if (!Zone) {
        if (!ReadZoneRulesForYear(LocalTime.wYear, read)) return false;
        Zone = &read;
    }
    int32_t bias;
    int64_t ms;
    if (!SystemTimeToMs(LocalTime, ms) || !ZoneBiasAt(*Zone, LocalTime, true, bias)) return false;
    return MsToSystemTime(ms + int64_t{bias} * 60000, UtcTime);
}

// ---- Epoch milliseconds ----------------------------------------------------------------------------

int64_t DateTimeToEpochMillis(TDateTime Value)
{
    TZoneSystemTime st;
    if (!SystemTimeOfDateTime(Value, st)) return RoundClamp((Value - 25569.0) * 86400000.0);
    TZoneRecord zone;
    TZoneSystemTime utc;
    if (ReadZoneRulesForYear(st.wYear, zone) && LocalToUniversalTime(&zone, st, utc)) st = utc;
    int64_t ms;
    SystemTimeToMs(st, ms);
    return ms - kDays1970 * kMsPerDay;
}

TDateTime EpochMillisToDateTime(int64_t Millis)
{
    TZoneSystemTime st;
    if (Millis < -kDays1970 * kMsPerDay || Millis > INT64_MAX / 2 || !MsToSystemTime(Millis + kDays1970 * kMsPerDay, st) ||
        st.wYear > 9999)
        return static_cast<double>(Millis) / 86400000.0 + 25569.0;
    TZoneRecord zone;
    TZoneSystemTime local;
    if (ReadZoneRulesForYear(st.wYear, zone) && UniversalToLocalTime(&zone, st, local) && local.wYear <= 9999) st = local;
    return DateTimeOfSystemTime(st);
}

// ---- ISO 8601 -------------------------------------------------------------------------------------

bool AccumulateDigit(uint16_t& Acc, char16_t Ch)
{
    if (Ch < u'0' || Ch > u'9') return false;
    Acc = static_cast<uint16_t>(Acc * 10 + (Ch - u'0'));
    return true;
}

namespace {

class TIsoReader {
public:
    explicit TIsoReader(std::u16string_view t) : FText(t) {}

    bool Parse(int64_t& millis);

private:
    char16_t Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : u'\0'; }
    bool AtEnd() const { return FPos >= FText.size() || FText[FPos] == u'\0'; }
    static bool Digit(char16_t c) { return c >= u'0' && c <= u'9'; }
    size_t DigitRun() const
    {
        size_t n = 0;
        while (Digit(Peek(n))) ++n;
        return n;
    }
    bool Digits(size_t n, int& v)
    {
        v = 0;
        for (size_t i = 0; i < n; ++i) {
            if (!Digit(Peek())) return false;
            v = v * 10 + (FText[FPos++] - u'0');
        }
        return true;
    }
    // Separator modes: the first place that decides fixes it for the rest of the text.
    bool Mode(bool extended)
    {
        int m = extended ? 1 : 2;
        if (FMode == 0) FMode = m;
        return FMode == m;
    }
    // A decimal fraction of a unit of unitMs milliseconds, after "," or ".".
    bool Fraction(int64_t unitMs)
    {
        if (Peek() != u',' && Peek() != u'.') return true;
        ++FPos;
        int64_t num = 0, den = 1;
        size_t n = 0;
        while (Digit(Peek())) {
            if (den < 1000000000) {   // finer than a nanosecond is dropped
                num = num * 10 + (Peek() - u'0');
                den *= 10;
            }
            ++FPos;
            ++n;
        }
        if (n == 0) return false;
        FFractionMs = num * unitMs / den;
        FFractionSeen = true;
        return true;
    }
    bool Date();
    bool Time();
    bool Zone();

    std::u16string_view FText;
    size_t FPos = 0;
    int FMode = 0;
    bool FHasDate = true, FZoneGiven = false;
    int FYear = 0, FMonth = 0, FDay = 0, FWeekDay = 0, FWeek = -1;
    int FHour = 0, FMinute = 0, FSecond = 0;
    int64_t FDayOfYear = 0, FFractionMs = 0;
    bool FFractionSeen = false;
    int64_t FZoneOffset = 0;   // minutes to add to the written time to get UTC
};

bool TIsoReader::Date()
{
    if (!Digits(4, FYear)) return false;
    FMonth = 1;
    FDay = 1;
    if (AtEnd() || Peek() == u'T' || Peek() == u't' || Peek() == u' ') return true;
    bool extended = Peek() == u'-';
    if (extended) ++FPos;
    if (!Mode(extended)) return false;
    if (Peek() == u'W') {
        ++FPos;
        if (!Digits(2, FWeek)) return false;
        if (extended && Peek() == u'-') ++FPos;
        else if (extended) return false;   // the day is required
        if (!Digits(1, FWeekDay) || FWeekDay < 1 || FWeekDay > 7) return false;
        FMonth = FDay = 0;
        return true;
    }
    size_t run = DigitRun();
    int v;
    if (run == 3) {
        Digits(3, v);
        if (v < 1) return false;
        FDayOfYear = v;
        FMonth = FDay = 0;
        return true;
    }
    if (extended) {
        if (run != 2) return false;
        Digits(2, FMonth);
        if (Peek() == u'-') {
            ++FPos;
            if (!Digits(2, FDay) || Digit(Peek())) return false;
        }
        return true;
    }
    if (run == 2) return Digits(2, FMonth);
    if (run == 4) return Digits(2, FMonth) && Digits(2, FDay);
    return false;
}

bool TIsoReader::Time()
{
    // hh, hh:mm, hh:mm:ss, hhmm, hhmmss; "-" in place of the hour or the minute skips it.
    bool skipHour = Peek() == u'-';
    if (skipHour) ++FPos;
    else {
        if (!Digits(2, FHour)) return false;
        if (!Fraction(3600000)) return false;
        if (FFractionSeen) return true;
    }
    bool skipMinute = false;
    if (skipHour) {
        skipMinute = Peek() == u'-';
        if (skipMinute) ++FPos;
        else if (!Digits(2, FMinute)) return false;
    } else if (Peek() == u':' || Digit(Peek())) {
        bool ext = Peek() == u':';
        if (ext) ++FPos;
        if (!Mode(ext) || !Digits(2, FMinute)) return false;
    } else {
        return true;
    }
    if (!skipMinute) {
        if (!Fraction(60000)) return false;
        if (FFractionSeen) return true;
        if (Peek() == u':' || Digit(Peek())) {
            bool ext = Peek() == u':';
            if (ext) ++FPos;
            if (!Mode(ext)) return false;
        } else {
            return true;
        }
    }
    if (!Digits(2, FSecond)) return false;
    return Fraction(1000);
}

bool TIsoReader::Zone()
{
    if (AtEnd()) return true;
    if (!FHasDate) return false;
    char16_t c = Peek();
    if (c == u'Z' || c == u'z') {
        ++FPos;
        FZoneGiven = true;
        return AtEnd();
    }
    if (c != u'+' && c != u'-') return false;
    ++FPos;
    int h = 0, m = 0;
    if (!Digits(2, h)) return false;
    if (Peek() == u':' || Digit(Peek())) {
        bool ext = Peek() == u':';
        if (ext) ++FPos;
        if (!Mode(ext) || !Digits(2, m)) return false;
    }
    if (h > 23 || m > 59) return false;
    int64_t off = h * 60 + m;
    FZoneOffset = c == u'+' ? -off : off;
    FZoneGiven = true;
    return AtEnd();
}

bool TIsoReader::Parse(int64_t& millis)
{
    bool timeAlone = Peek() == u'T' || Peek() == u't' || (Digit(Peek()) && Digit(Peek(1)) && Peek(2) == u':');
    if (timeAlone) {
        FHasDate = false;
        if (Peek() == u'T' || Peek() == u't') ++FPos;
        if (!Time()) return false;
    } else {
        if (!Date()) return false;
        if (!AtEnd()) {
            char16_t c = Peek();
            if (c != u'T' && c != u't' && c != u' ') return false;
            ++FPos;
            if (!Time()) return false;
        }
    }
    if (!Zone()) return false;
    if (FHour > 23 || FMinute > 59 || FSecond > 59 || FWeek > 53 || FWeek == 0) return false;
    if (FHasDate && FMonth != 0 && (FMonth > 12 || FDay < 1 || FDay > MonthLength(FYear, FMonth))) return false;

    if (FWeek > 0) {
        int64_t y = FYear - 1;
        int64_t j = (y * 365 + y / 4 + y / 400 - y / 100) % 7 + 1;   // ISO weekday of January 1st
        FDayOfYear = FWeekDay + 7LL * FWeek - j + 1;
        if (j <= 4) FDayOfYear -= 7;
    }
    if (!FZoneGiven && FHasDate && FMonth != 0) {
        // No designator: the written time is local time of that date.
        TZoneSystemTime local{static_cast<uint16_t>(FYear), static_cast<uint16_t>(FMonth), 0, static_cast<uint16_t>(FDay),
                              static_cast<uint16_t>(FHour), static_cast<uint16_t>(FMinute), static_cast<uint16_t>(FSecond), 0};
        int64_t ms;
        TZoneSystemTime withDow, utc;
        TZoneRecord zone;
        if (SystemTimeToMs(local, ms) && MsToSystemTime(ms, withDow) && ReadZoneRulesForYear(FYear, zone) &&
            LocalToUniversalTime(&zone, withDow, utc)) {
            int64_t ums;
            SystemTimeToMs(utc, ums);
            FZoneOffset = (ums - ms) / 60000;
        }
    }
    int64_t r = FFractionMs + FSecond * 1000LL + (FMinute + FZoneOffset) * 60000LL + FHour * 3600000LL;
    if (FHasDate) {
        int64_t days = DaysBeforeYear(FYear);
        for (int m = 1; m < FMonth; ++m) days += MonthLength(FYear, m);
        days += (FMonth != 0 ? FDay : 0) + FDayOfYear - 1 - kDays1970;
        r += days * kMsPerDay;
    }
    millis = r;
    return true;
}

}  // namespace

bool ParseIso8601ToMillis(std::u16string_view Text, int64_t& Millis)
{
    TIsoReader reader(Text);
    return reader.Parse(Millis);
}
