// Strings, exceptions, number and date conversions of the component layer.
// No windows.h here: this header is also used by the pure-logic code built natively.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The program's text type. On Windows wchar_t is UTF-16, which is what the API wants.
using String = std::wstring;
using StringView = std::wstring_view;
using TDateTime = double;   // days since 1899-12-30, the fraction is the time of day
using TBytes = std::vector<uint8_t>;

// ---- Exceptions ----------------------------------------------------------------------------

// Base of every error the program raises: a message for the user and the log.
class Exception : public std::exception {
public:
    explicit Exception(String message);
    const String& Message() const noexcept { return FMessage; }
    void SetMessage(String message);
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    String FMessage;
    std::string FUtf8;
};

#define QW_DECLARE_EXCEPTION(Name, Base) \
    class Name : public Base {           \
    public:                              \
        using Base::Base;                \
    }

QW_DECLARE_EXCEPTION(EAbort, Exception);
QW_DECLARE_EXCEPTION(EConvertError, Exception);
QW_DECLARE_EXCEPTION(EArgumentException, Exception);
QW_DECLARE_EXCEPTION(EListError, Exception);
QW_DECLARE_EXCEPTION(EStringListError, EListError);
QW_DECLARE_EXCEPTION(EStreamError, Exception);
QW_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QW_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QW_DECLARE_EXCEPTION(EReadError, EStreamError);
QW_DECLARE_EXCEPTION(EWriteError, EStreamError);
QW_DECLARE_EXCEPTION(EThread, Exception);
QW_DECLARE_EXCEPTION(EIniFileException, Exception);
QW_DECLARE_EXCEPTION(EComponentError, Exception);
QW_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QW_DECLARE_EXCEPTION(EOutOfMemory, Exception);
QW_DECLARE_EXCEPTION(EResNotFound, Exception);   // a resource the program carries is missing

// An operating-system error with its code (GetLastError on Windows).
class EOSError : public Exception {
public:
    EOSError(String message, uint32_t code) : Exception(std::move(message)), FErrorCode(code) {}
    uint32_t ErrorCode() const noexcept { return FErrorCode; }

private:
    uint32_t FErrorCode;
};

// Message of the exception currently being handled, for catch (...) blocks that log.
String CurrentExceptionMessage();

// ---- Formatting ----------------------------------------------------------------------------

// One argument of Format: an integer, a floating-point number, a text or a pointer.
struct TVarRec {
    enum Kind { vtInt, vtUInt, vtFloat, vtString, vtPointer } kind;
    int64_t i = 0;
    uint64_t u = 0;
    double f = 0;
    String s;
    const void* p = nullptr;

    TVarRec(int v) : kind(vtInt), i(v) {}
    TVarRec(long v) : kind(vtInt), i(v) {}
    TVarRec(long long v) : kind(vtInt), i(v) {}
    TVarRec(unsigned v) : kind(vtUInt), u(v) {}
    TVarRec(unsigned long v) : kind(vtUInt), u(v) {}
    TVarRec(unsigned long long v) : kind(vtUInt), u(v) {}
    TVarRec(double v) : kind(vtFloat), f(v) {}
    TVarRec(float v) : kind(vtFloat), f(v) {}
    TVarRec(const String& v) : kind(vtString), s(v) {}
    TVarRec(StringView v) : kind(vtString), s(v) {}
    TVarRec(const wchar_t* v) : kind(vtString), s(v ? v : L"") {}
    TVarRec(const std::string& utf8);
    TVarRec(const char* utf8);
    TVarRec(const void* v) : kind(vtPointer), p(v) {}
};

// printf-like formatting with the directives %d %u %x %X %e %f %g %n %s %p, flags "-",
// width and precision ("*" takes them from the arguments) and argument indexes ("%1:s").
// A directive that does not fit its argument raises EConvertError.
String Format(StringView fmt, std::initializer_list<TVarRec> args);
String Format(StringView fmt, const std::vector<TVarRec>& args);

// ---- Numbers ------------------------------------------------------------------------------

String IntToStr(int64_t value);
String UIntToStr(uint64_t value);
String IntToHex(uint64_t value, int digits);
int StrToInt(StringView s);                       // EConvertError when not a number
int64_t StrToInt64(StringView s);
int StrToIntDef(StringView s, int def);
bool TryStrToInt(StringView s, int& value);       // decimal, "$hex" or "0x hex", optional sign
bool TryStrToInt64(StringView s, int64_t& value);
// Floating point with "." as decimal separator, whatever the user's locale says.
String FloatToStr(double value);
double StrToFloat(StringView s);
bool TryStrToFloat(StringView s, double& value);

// ---- Text ------------------------------------------------------------------------------------

String Trim(StringView s);
String TrimLeft(StringView s);
String TrimRight(StringView s);
String UpperCase(StringView s);   // ASCII letters only, like the component library
String LowerCase(StringView s);
String AnsiUpperCase(StringView s);   // every letter
int CompareText(StringView a, StringView b);   // ASCII case-insensitive
bool SameText(StringView a, StringView b);
bool StartsText(StringView prefix, StringView s);
bool StartsStr(StringView prefix, StringView s);
String StringReplaceAll(StringView s, StringView from, StringView to);

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD; nothing is dropped silently.
std::string ToUtf8(StringView s);
String FromUtf8(std::string_view s);

// ---- File names (pure string operations, "\" and "/" both separate) -----------------------

String ExtractFilePath(StringView fileName);   // with the trailing delimiter
String ExtractFileDir(StringView fileName);    // without it
String ExtractFileName(StringView fileName);
String ExtractFileExt(StringView fileName);    // with the dot
String ChangeFileExt(StringView fileName, StringView ext);
String IncludeTrailingPathDelimiter(StringView path);
String ExcludeTrailingPathDelimiter(StringView path);

// ---- Dates and times -----------------------------------------------------------------------

struct TSystemTimeParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, msec = 0;
};

TDateTime EncodeDate(int year, int month, int day);   // EConvertError for an invalid date
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
TSystemTimeParts DecodeDateTime(TDateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
TDateTime Now();     // local time
TDateTime Date();
TDateTime Time();
// Directives: yyyy yy mm m dd d hh h nn n ss s zzz, and text in quotes. "mm" after "hh" or "h"
// means minutes, as in the component library.
String FormatDateTime(StringView fmt, TDateTime value);
// Fixed, locale-independent forms used to store dates in settings files.
String DateToStr(TDateTime value);       // yyyy-mm-dd
String TimeToStr(TDateTime value);       // hh:nn:ss
String DateTimeToStr(TDateTime value);   // yyyy-mm-dd hh:nn:ss
bool TryStrToDate(StringView s, TDateTime& value);
bool TryStrToTime(StringView s, TDateTime& value);
bool TryStrToDateTime(StringView s, TDateTime& value);

// Milliseconds from an arbitrary start, wrapping at 2^32 like the system tick count.
uint32_t GetTickCount32();
