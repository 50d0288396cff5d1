// Date handling of the JSON library: date-times as milliseconds since 1970-01-01 UTC, ISO 8601
// text, and local/UTC conversion with the machine's time-zone rules for the year concerned.
// No windows.h here: the rules come from the registry through TZoneRegistry, whose Windows
// implementation sits in zone_registry_win.cpp (natively no rules are read).
#pragma once

#include <cstdint>
#include <string_view>

#include "vcl/sysutils.h"

// The platform's SYSTEMTIME layout.
struct TZoneSystemTime {
    uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

// The platform's TIME_ZONE_INFORMATION layout (172 bytes). UTC = local + bias (minutes).
struct TZoneRecord {
    int32_t Bias;
    char16_t StandardName[32];
    TZoneSystemTime StandardDate;   // end of daylight time
    int32_t StandardBias;
    char16_t DaylightName[32];
    TZoneSystemTime DaylightDate;   // start of daylight time
    int32_t DaylightBias;
};
static_assert(sizeof(TZoneRecord) == 172, "TIME_ZONE_INFORMATION layout");

// What the zone look-up needs of the registry. Keys are opened read-only; each OpenKey
// replaces the current key.
class TZoneRegistry {
public:
    enum TRoot { rkLocalMachine, rkCurrentUser };
    virtual ~TZoneRegistry() = default;
    virtual bool OpenKey(TRoot root, const String& path) = 0;
    virtual bool ValueExists(const String& name) = 0;
    virtual bool ReadString(const String& name, String& value) = 0;
    // False when the value is missing or not an integer.
    virtual bool ReadInteger(const String& name, int32_t& value) = 0;
    // Bytes read, or -1 when the value is missing.
    virtual int ReadBinary(const String& name, void* buffer, int size) = 0;
};

// The machine's registry (Windows), or a source that has no zone rules (native build).
TZoneRegistry& PlatformZoneRegistry();
// Tests substitute their own registry; nullptr restores the platform's.
void SetZoneRegistry(TZoneRegistry* registry);

// True only when the zone's rules (a yearly entry or the zone's standing rules) were read.
bool ReadZoneRulesForYear(int Year, TZoneRecord& Zone);
bool ReadZoneRulesFrom(TZoneRegistry& reg, int Year, TZoneRecord& Zone);

int CompareToTransition(const TZoneSystemTime& Time, const TZoneSystemTime& Rule);
// -1 invalid rules (ZoneLastError() is then ERROR_INVALID_PARAMETER), 0 no daylight-saving
// rules, 1 standard time, 2 daylight time.
int DaylightStateAt(const TZoneRecord& Zone, const TZoneSystemTime& Instant, bool InstantIsLocal);
constexpr uint32_t kZoneErrorInvalidParameter = 87;
uint32_t ZoneLastError();
bool ZoneBiasAt(const TZoneRecord& Zone, const TZoneSystemTime& Instant, bool InstantIsLocal, int32_t& Minutes);
// Zone nullptr: the rules are read for the input's year.
bool UniversalToLocalTime(const TZoneRecord* Zone, const TZoneSystemTime& UtcTime, TZoneSystemTime& LocalTime);
bool LocalToUniversalTime(const TZoneRecord* Zone, const TZoneSystemTime& LocalTime, TZoneSystemTime& UtcTime);

int64_t DateTimeToEpochMillis(TDateTime Value);
TDateTime EpochMillisToDateTime(int64_t Millis);

bool AccumulateDigit(uint16_t& Acc, char16_t Ch);
// Millis is left unchanged when the text is not an accepted ISO 8601 form.
bool ParseIso8601ToMillis(std::u16string_view Text, int64_t& Millis);
