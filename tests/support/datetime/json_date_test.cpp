// Epoch milliseconds, ISO 8601 text and time-zone rules (from a registry the test supplies).
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "support/datetime/json_date.h"

namespace {

constexpr int64_t kDay = 86400000;

// A registry with one zone: UTC+1 with daylight time from the last Sunday of March 2:00 to the
// last Sunday of October 3:00; a yearly table for 2019..2021 only changes the bias in 2021.
class TFakeRegistry : public TZoneRegistry {
public:
    std::map<std::wstring, std::map<std::wstring, std::vector<uint8_t>>> keys;
    std::map<std::wstring, std::vector<uint8_t>>* cur = nullptr;

    bool OpenKey(TRoot root, const String& path) override
    {
        auto it = keys.find((root == rkLocalMachine ? L"HKLM" : L"HKCU") + path);
        cur = it == keys.end() ? nullptr : &it->second;
        return cur != nullptr;
    }
    bool ValueExists(const String& name) override { return cur && cur->count(name); }
    bool ReadString(const String& name, String& value) override
    {
        if (!ValueExists(name)) return false;
        auto& b = (*cur)[name];
        value.assign(b.begin(), b.end());
        return true;
    }
    bool ReadInteger(const String& name, int32_t& value) override
    {
        if (!ValueExists(name) || (*cur)[name].size() != 4) return false;
        std::memcpy(&value, (*cur)[name].data(), 4);
        return true;
    }
    int ReadBinary(const String& name, void* buffer, int size) override
    {
        if (!ValueExists(name) || static_cast<int>((*cur)[name].size()) != size) return -1;
        std::memcpy(buffer, (*cur)[name].data(), static_cast<size_t>(size));
        return size;
    }
};

// A registry without a time-zone setting, whatever the machine has.
class NoZoneRules : public ::testing::Test {
protected:
    TFakeRegistry reg;
    void SetUp() override { SetZoneRegistry(&reg); }
    void TearDown() override { SetZoneRegistry(nullptr); }
};

TEST_F(NoZoneRules, AcceptedIso8601Forms)
{
    struct Row {
        const char16_t* text;
        int64_t ms;
    };
    const int64_t d2020 = 18262 * kDay;   // 2020-01-01
    const Row rows[] = {
        {u"1970-01-01T00:00:00Z", 0},
        {u"1970-01-01T01:00:00+01:00", 0},
        {u"1970-01-01T00:00:00-00:30", 1800000},
        {u"20200101T120000Z", d2020 + 12 * 3600000},
        {u"2020-01-01T12:00:00Z", d2020 + 12 * 3600000},
        {u"2020-060", d2020 + 59 * kDay},
        {u"2020060", d2020 + 59 * kDay},
        {u"2020-W01-1", d2020 - 2 * kDay},
        {u"2020W011", d2020 - 2 * kDay},
        {u"2021-W01-1", d2020 + 369 * kDay},   // 2021-01-04
        {u"12:30", 45000000},
        {u"T12:30", 45000000},
        {u"202001", d2020},
        {u"2020", d2020},
        {u"2020-02", d2020 + 31 * kDay},
        {u"1970-01-01T00:00:01.5Z", 1500},
        {u"1970-01-01T00:00:01.500Z", 1500},
        {u"1970-01-01T00:00:01.1234Z", 1123},
        {u"1970-01-01T00:01,5Z", 90000},
        {u"1970-01-01T01.25Z", 4500000},
        {u"1970-01-01 00:00:00z", 0},
        {u"19700101T000000+0130", -90 * 60000},
    };
    for (const Row& r : rows) {
        int64_t ms = -1;
        EXPECT_TRUE(ParseIso8601ToMillis(r.text, ms)) << std::u16string(r.text).size();
        EXPECT_EQ(ms, r.ms) << "row with expected " << r.ms;
    }
}

TEST_F(NoZoneRules, RejectedIso8601FormsLeaveTheResultUnchanged)
{
    const char16_t* rows[] = {
        u"2020-01-01T1200", u"T12:30Z", u"2020-02-30", u"2020-01-00", u"2020-W05", u"2020-W00-1", u"2020W010",
        u"2020W018", u"2020-W54-1", u"2020-13-01", u"2020-01-01T24:00", u"2020-01-01T12:60", u"2020-01-01T12:00:60",
        u"2020-01-01Zx", u"2020-01-01T12:00+24:00", u"2020-01-01T12:00+01:60", u"2020-01-01T12:00+1", u"2020-000", u"1970-01-01T00:00:00+0130",
        u"", u"abcd", u"2020-01-01T12:00:00.Z", u"2020-01-01X", u"2020-1-01",
    };
    for (const char16_t* t : rows) {
        int64_t ms = 77;
        EXPECT_FALSE(ParseIso8601ToMillis(t, ms)) << std::u16string(t).size();
        EXPECT_EQ(ms, 77);
    }
}

TEST_F(NoZoneRules, TimesPassUnconverted)
{
    TZoneRecord z;
    EXPECT_FALSE(ReadZoneRulesForYear(2020, z));   // nothing is reported as read
    EXPECT_EQ(DateTimeToEpochMillis(25569.5), 43200000);
    EXPECT_DOUBLE_EQ(EpochMillisToDateTime(43200000), 25569.5);
    EXPECT_EQ(DateTimeToEpochMillis(0), -25569 * kDay);
    EXPECT_DOUBLE_EQ(EpochMillisToDateTime(-25569 * kDay), 0.0);
    uint16_t acc = 1;
    EXPECT_TRUE(AccumulateDigit(acc, u'7'));
    EXPECT_EQ(acc, 17);
    EXPECT_FALSE(AccumulateDigit(acc, u'\u0667'));
}

std::vector<uint8_t> Tzi(int32_t bias, int32_t stdBias, int32_t dstBias, TZoneSystemTime std, TZoneSystemTime dst)
{
    std::vector<uint8_t> b(44);
    std::memcpy(&b[0], &bias, 4);
    std::memcpy(&b[4], &stdBias, 4);
    std::memcpy(&b[8], &dstBias, 4);
    std::memcpy(&b[12], &std, 16);
    std::memcpy(&b[28], &dst, 16);
    return b;
}

std::vector<uint8_t> Int(int32_t v)
{
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

class ZoneRules : public ::testing::Test {
protected:
    TFakeRegistry reg;
    const std::wstring zones = L"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
    const TZoneSystemTime kStd{0, 10, 0, 5, 3, 0, 0, 0};
    const TZoneSystemTime kDst{0, 3, 0, 5, 2, 0, 0, 0};

    void SetUp() override
    {
        std::wstring name = L"Test Zone";
        reg.keys[L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation"][L"TimeZoneKeyName"] =
            std::vector<uint8_t>(name.begin(), name.end());
        reg.keys[zones + L" Test Zone"];   // a wrongly trimmed name would find this one
        reg.keys[zones + L"Test Zone"][L"TZI"] = Tzi(-60, 0, -60, kStd, kDst);
        SetZoneRegistry(&reg);
    }
    void TearDown() override { SetZoneRegistry(nullptr); }
};

TEST_F(ZoneRules, ConversionsFollowTheYearsRules)
{
    TZoneRecord z;
    ASSERT_TRUE(ReadZoneRulesForYear(2020, z));
    EXPECT_EQ(z.Bias, -60);
    EXPECT_EQ(z.DaylightBias, -60);
    EXPECT_EQ(z.DaylightDate.wMonth, 3);

    struct Row {
        TZoneSystemTime t;
        bool local;
        int state;
    };
    const Row rows[] = {
        {{2020, 1, 3, 15, 12, 0, 0, 0}, true, 1},
        {{2020, 7, 3, 15, 12, 0, 0, 0}, true, 2},
        {{2020, 3, 0, 29, 1, 59, 0, 0}, true, 1},   // last Sunday of March 2020 is the 29th
        {{2020, 3, 0, 29, 2, 0, 0, 0}, true, 2},
        {{2020, 10, 0, 25, 2, 59, 0, 0}, true, 2},
        {{2020, 10, 0, 25, 3, 0, 0, 0}, true, 1},
        {{2020, 3, 0, 29, 0, 59, 0, 0}, false, 1},  // 01:59 local standard time
        {{2020, 3, 0, 29, 1, 0, 0, 0}, false, 2},
    };
    for (const Row& r : rows) EXPECT_EQ(DaylightStateAt(z, r.t, r.local), r.state) << r.t.wMonth << "/" << r.t.wDay << " " << r.t.wHour;

    int64_t ms = 0;
    ASSERT_TRUE(ParseIso8601ToMillis(u"2020-07-01T12:00:00", ms));
    EXPECT_EQ(ms, (18262 + 182) * kDay + 10 * 3600000);   // local summer time is UTC+2
    ASSERT_TRUE(ParseIso8601ToMillis(u"2020-01-01T12:00:00", ms));
    EXPECT_EQ(ms, 18262 * kDay + 11 * 3600000);
    ASSERT_TRUE(ParseIso8601ToMillis(u"2020-01-01T12:00:00Z", ms));
    EXPECT_EQ(ms, 18262 * kDay + 12 * 3600000);

    // 2020-07-01 12:00 local is 10:00 UTC, and back.
    TDateTime local = 43983.5;   // 2020-06-01 12:00
    int64_t e = DateTimeToEpochMillis(local);
    EXPECT_EQ(e, (18262 + 152) * kDay + 10 * 3600000);
    EXPECT_DOUBLE_EQ(EpochMillisToDateTime(e), local);
}

TEST_F(ZoneRules, YearlyEntriesAndInvalidRules)
{
    auto& dyn = reg.keys[zones + L"Test Zone\\Dynamic DST"];
    dyn[L"FirstEntry"] = Int(2019);
    dyn[L"LastEntry"] = Int(2021);
    dyn[L"2019"] = Tzi(-60, 0, -60, kStd, kDst);
    dyn[L"2021"] = Tzi(-120, 0, 0, {}, {});
    TZoneRecord z;
    struct Row {
        int year;
        int32_t bias;
        uint16_t dstMonth;
    };
    const Row rows[] = {{2000, -60, 3}, {2019, -60, 3}, {2020, -60, 3}, {2021, -120, 0}, {2030, -120, 0}};
    for (const Row& r : rows) {
        ASSERT_TRUE(ReadZoneRulesForYear(r.year, z)) << r.year;
        EXPECT_EQ(z.Bias, r.bias) << r.year;
        EXPECT_EQ(z.DaylightDate.wMonth, r.dstMonth) << r.year;
    }
    EXPECT_EQ(DaylightStateAt(z, {2021, 7, 0, 1, 0, 0, 0, 0}, true), 0);
    int32_t minutes = 0;
    EXPECT_TRUE(ZoneBiasAt(z, {2021, 7, 0, 1, 0, 0, 0, 0}, true, minutes));
    EXPECT_EQ(minutes, -120);

    TZoneRecord bad{};
    bad.DaylightDate = {0, 3, 0, 6, 2, 0, 0, 0};   // a sixth Sunday
    bad.StandardDate = kStd;
    EXPECT_EQ(DaylightStateAt(bad, {2020, 1, 0, 1, 0, 0, 0, 0}, true), -1);
    EXPECT_EQ(ZoneLastError(), kZoneErrorInvalidParameter);
    EXPECT_FALSE(ZoneBiasAt(bad, {2020, 1, 0, 1, 0, 0, 0, 0}, true, minutes));

    // A zone key without readable rules is not reported as read.
    reg.keys[zones + L"Test Zone"].erase(L"TZI");
    reg.keys.erase(zones + L"Test Zone\\Dynamic DST");
    EXPECT_FALSE(ReadZoneRulesForYear(2020, z));
}

TEST(ZoneTransitions, CompareToRelativeAndAbsoluteRules)
{
    const TZoneSystemTime lastSundayMarch{0, 3, 0, 5, 2, 0, 0, 0};
    struct Row {
        TZoneSystemTime t;
        int want;
    };
    const Row rows[] = {
        {{2021, 2, 0, 28, 23, 0, 0, 0}, -1},
        {{2021, 3, 0, 28, 2, 0, 0, 0}, 0},    // 2021: the 28th
        {{2021, 3, 6, 27, 23, 0, 0, 0}, -1},
        {{2021, 3, 1, 29, 0, 0, 0, 0}, 1},
        {{2021, 4, 4, 1, 0, 0, 0, 0}, 1},
    };
    for (const Row& r : rows) EXPECT_EQ(CompareToTransition(r.t, lastSundayMarch), r.want) << r.t.wDay;
    const TZoneSystemTime absolute{2021, 3, 0, 10, 1, 30, 0, 0};
    EXPECT_EQ(CompareToTransition({2021, 3, 3, 10, 1, 30, 0, 0}, absolute), 0);
    EXPECT_EQ(CompareToTransition({2021, 3, 3, 10, 1, 29, 59, 0}, absolute), -1);
}

}  // namespace
