// Device records: field tables against the wire layout, pack/unpack round trips, value functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/protocol/device_packets.h"

namespace {

struct FieldRow {
    const char* name;
    size_t offset;
    size_t size;
};

// The field table must list exactly these fields (JSON keys), at these offsets and sizes,
// and cover the record without gaps.
template <class R>
void ExpectLayout(const std::vector<FieldRow>& rows)
{
    const TTypeInfo* info = TypeInfoOf<R>();
    SCOPED_TRACE(info->Name);
    ASSERT_EQ(info->Fields.size(), rows.size());
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TFieldInfo& f = info->Fields[i];
        EXPECT_STREQ(f.Name, rows[i].name);
        EXPECT_EQ(f.Offset, rows[i].offset) << rows[i].name;
        EXPECT_EQ(f.Type->Size, rows[i].size) << rows[i].name;
        EXPECT_EQ(f.Offset, next) << rows[i].name << " leaves a gap or overlaps";
        next = f.Offset + f.Type->Size;
    }
    EXPECT_EQ(next, sizeof(R));
    EXPECT_EQ(SumOfFieldSizes(info), sizeof(R));
    EXPECT_EQ(info->Size, sizeof(R));
}

TEST(DeviceRecordLayout, FieldTablesMatchTheWireLayout)
{
    ExpectLayout<TFirmwareVersion>({{"a", 0, 1}, {"b", 1, 1}, {"c", 2, 1}, {"d", 3, 1}});
    ExpectLayout<TJoystickConfig>({{"xMin", 0, 4}, {"xMax", 4, 4}, {"yMin", 8, 4}, {"yMax", 12, 4},
                                   {"zMin", 16, 4}, {"zMax", 20, 4}, {"rxMin", 24, 4}, {"rxMax", 28, 4},
                                   {"ryMin", 32, 4}, {"ryMax", 36, 4}, {"rzMin", 40, 4}, {"rzMax", 44, 4}});
    ExpectLayout<TMotorConfig>({{"pwmMode", 0, 1}, {"pwmFreq", 1, 2}, {"absEncoder", 3, 1}, {"zIndex", 4, 1},
                                {"reverseEncoder", 5, 1}, {"PPR", 6, 4}, {"pidMode", 10, 1},
                                {"ctrlDirection", 11, 1}, {"Kp", 12, 4}, {"Ki", 16, 4}, {"Kd", 20, 4},
                                {"sampleTime", 24, 4}});
    ExpectLayout<TWheelBaseConfig>(
        {{"qFactor", 0, 4}, {"peakGain", 4, 4}, {"steeringAngle", 8, 2}, {"stopForce", 10, 2},
         {"minForce", 12, 2}, {"overAllFilter", 14, 2}, {"damperFilter", 16, 2}, {"inertiaFilter", 18, 2},
         {"frictionFilter", 20, 2}, {"totalForceGain", 22, 2}, {"constantGain", 24, 2}, {"rampGain", 26, 2},
         {"squareGain", 28, 2}, {"sineGain", 30, 2}, {"triangleGain", 32, 2}, {"sawtoothUpGain", 34, 2},
         {"sawtoothDownGain", 36, 2}, {"springGain", 38, 2}, {"damperGain", 40, 2}, {"inertiaGain", 42, 2},
         {"frictionGain", 44, 2}, {"enableTelemetryFfb", 46, 1}});
    ExpectLayout<TUserEffectConfig>(
        {{"damperForce", 0, 2}, {"damperGain", 2, 2}, {"frictionForce", 4, 2}, {"frictionGain", 6, 2},
         {"inertiaForce", 8, 2}, {"inertiaGain", 10, 2}, {"springForce", 12, 2}, {"springGain", 14, 2},
         {"eOffset", 16, 2}, {"eGain", 18, 2}, {"eSaturation", 20, 2}, {"eCoefficent", 22, 2},
         {"enableDamper", 24, 1}, {"enableInertia", 25, 1}, {"enableFriction", 26, 1}, {"enableSpring", 27, 1}});
    ExpectLayout<TGeneralConfig>({{"forceMultiplier", 0, 4}, {"encoderPosFix", 4, 1}, {"debugMode", 5, 1}});
    ExpectLayout<TShifterConfig>(
        {{"shifterType", 0, 1}, {"x1", 1, 2}, {"x2", 3, 2}, {"x3", 5, 2}, {"y1", 7, 2}, {"y2", 9, 2},
         {"enableLed", 11, 1}, {"ledEffects", 12, 4}, {"analogMode", 16, 1}, {"analogXMin", 17, 2},
         {"analogXMax", 19, 2}, {"analogYMin", 21, 2}, {"analogYMax", 23, 2}, {"inversionMode", 25, 1},
         {"filterFactor", 26, 1}});
    ExpectLayout<TShifterPosition>({{"x", 0, 2}, {"y", 2, 2}});
    ExpectLayout<TPWMReport>({{"mode", 0, 1}, {"freq", 1, 2}, {"period", 3, 2}});
    ExpectLayout<TEncoderReport>({{"CurrentPos", 0, 4}, {"MaxPos", 4, 4}, {"Speed", 8, 4}, {"zPositivePos", 12, 4},
                                  {"zNegativePos", 16, 4}, {"PPR", 20, 4}, {"CPR", 24, 4}});
    ExpectLayout<TCalculatedData>({{"totalForce", 0, 4}, {"stopForce", 4, 4}, {"totalForceGain", 8, 4},
                                   {"userForce", 12, 4}});
    ExpectLayout<TFFBReport>({{"constantForce", 0, 4}, {"rampForce", 4, 4}, {"springForce", 8, 4},
                              {"damperForce", 12, 4}, {"inertiaForce", 16, 4}, {"frictionForce", 20, 4},
                              {"squareForce", 24, 4}, {"triangleForce", 28, 4}, {"sineForce", 32, 4},
                              {"sawUpForce", 36, 4}, {"sawDownForce", 40, 4}, {"totalForce", 44, 4}});
    ExpectLayout<TBiquadReport>({{"filter", 0, 1}, {"unused1", 1, 4}, {"a0", 5, 4}, {"a1", 9, 4}, {"a2", 13, 4},
                                 {"b1", 17, 4}, {"b2", 21, 4}, {"Fc", 25, 4}, {"Q", 29, 4}, {"unused2", 33, 4},
                                 {"z1", 37, 4}, {"z2", 41, 4}});
    ExpectLayout<TJoystickState>({{"x", 0, 4}, {"y", 4, 4}, {"z", 8, 4}, {"rx", 12, 4}, {"ry", 16, 4}, {"rz", 20, 4}});
}

// Wire bytes -> record -> wire bytes gives the same bytes back, except that a Boolean byte
// comes back as 0 or 1; the unpacked bool holds exactly 0 or 1 whatever the byte was.
template <class R>
void ExpectRoundTrip()
{
    const TTypeInfo* info = TypeInfoOf<R>();
    SCOPED_TRACE(info->Name);
    for (int seed : {0, 1, 77}) {
        std::vector<uint8_t> wire(sizeof(R));
        for (size_t i = 0; i < wire.size(); ++i) wire[i] = static_cast<uint8_t>(i * 37 + seed * 11 + 5);
        std::vector<uint8_t> expected = wire;
        for (const TFieldInfo& f : info->Fields)
            if (f.Type->Kind == TTypeKind::tkBoolean) expected[f.Offset] = wire[f.Offset] != 0 ? 1 : 0;

        const R record = UnpackRecord<R>(wire.data(), wire.size(), L"test");
        for (const TFieldInfo& f : info->Fields)
            if (f.Type->Kind == TTypeKind::tkBoolean) {
                uint8_t raw;
                std::memcpy(&raw, reinterpret_cast<const uint8_t*>(&record) + f.Offset, 1);
                EXPECT_LE(raw, 1) << f.Name;
            }
        const auto packed = PackRecord(record);
        EXPECT_EQ(std::vector<uint8_t>(packed.begin(), packed.end()), expected);
    }
}

TEST(DeviceRecordCodec, EveryRecordRoundTrips)
{
    ExpectRoundTrip<TFirmwareVersion>();
    ExpectRoundTrip<TJoystickConfig>();
    ExpectRoundTrip<TMotorConfig>();
    ExpectRoundTrip<TWheelBaseConfig>();
    ExpectRoundTrip<TUserEffectConfig>();
    ExpectRoundTrip<TGeneralConfig>();
    ExpectRoundTrip<TShifterConfig>();
    ExpectRoundTrip<TShifterPosition>();
    ExpectRoundTrip<TPWMReport>();
    ExpectRoundTrip<TEncoderReport>();
    ExpectRoundTrip<TCalculatedData>();
    ExpectRoundTrip<TFFBReport>();
    ExpectRoundTrip<TBiquadReport>();
    ExpectRoundTrip<TJoystickState>();
}

TEST(DeviceRecordCodec, ValuesAreLittleEndianAndBooleansTestTheByte)
{
    // TMotorConfig: pwmMode 1, pwmFreq 16800 (0x41A0), absEncoder byte 2, zIndex 0,
    // reverseEncoder 0xFF, PPR 0x01020304, pidMode 1, ctrlDirection 0, Kp 1.0f, Ki -2.5f,
    // Kd 0, sampleTime 10.
    const uint8_t wire[28] = {0x01, 0xA0, 0x41, 0x02, 0x00, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00,
                              0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00};
    const auto m = UnpackRecord<TMotorConfig>(wire, sizeof wire, L"motor");
    EXPECT_EQ(+m.pwmMode, 1);
    EXPECT_EQ(+m.pwmFreq, 16800);
    EXPECT_TRUE(bool{m.absEncoder});
    EXPECT_FALSE(bool{m.zIndex});
    EXPECT_TRUE(bool{m.reverseEncoder});
    EXPECT_EQ(+m.PPR, 0x01020304u);
    EXPECT_EQ(+m.pidMode, 1);
    EXPECT_EQ(+m.ctrlDirection, 0);
    EXPECT_EQ(float{m.Kp}, 1.0f);
    EXPECT_EQ(float{m.Ki}, -2.5f);
    EXPECT_EQ(+m.sampleTime, 10u);

    TPWMReport pwm{};
    pwm.mode = 2;
    pwm.freq = 500;
    pwm.period = -2;
    const auto bytes = PackRecord(pwm);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), (std::vector<uint8_t>{0x02, 0xF4, 0x01, 0xFE, 0xFF}));
}

TEST(DeviceRecordCodec, ShortInputIsRejectedNotOverread)
{
    const std::vector<uint8_t> wire(46, 0x11);   // one byte short of TWheelBaseConfig
    EXPECT_THROW(UnpackRecord<TWheelBaseConfig>(wire.data(), wire.size(), L"wheel base"), EDeviceReplyError);
    EXPECT_THROW(UnpackRecord<TShifterPosition>(nullptr, 0, L"position"), EDeviceReplyError);
    try {
        UnpackRecord<TWheelBaseConfig>(wire.data(), wire.size(), L"wheel base");
    } catch (const EDeviceReplyError& e) {
        EXPECT_EQ(e.Message(), L"wheel base: 46 bytes received, 47 expected");
    }
}

TEST(DeviceValueFunctions, PwmMaps)
{
    const struct {
        int index;
        uint16_t hz;
    } rows[] = {{-1, 16800}, {0, 16800}, {1, 8400}, {2, 5600}, {3, 4200}, {4, 3360},
                {5, 2100},   {6, 1000},  {7, 500},  {8, 250},  {9, 16800}};
    for (const auto& r : rows) EXPECT_EQ(PwmIndexToFrequency(r.index), r.hz) << r.index;
    for (int i = 0; i < PwmFrequencyCount; ++i) EXPECT_EQ(PwmFrequencyToIndex(PwmFrequencies[i]), i);
    EXPECT_EQ(PwmFrequencyToIndex(1234), 0);
    const struct {
        int index;
        uint8_t mode;
    } modes[] = {{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}};
    for (const auto& r : modes) EXPECT_EQ(PwmModeFromIndex(r.index), r.mode) << r.index;
}

TEST(DeviceValueFunctions, ClampAndMapRange)
{
    const struct {
        int value, lo, hi, expected;
    } clamps[] = {{5, 10, 20, 10}, {25, 10, 20, 20}, {15, 10, 20, 15}, {15, 20, 10, 20}, {25, 20, 10, 10}, {10, 10, 10, 10}};
    for (const auto& r : clamps) EXPECT_EQ(ClampValue(r.value, r.lo, r.hi), r.expected) << r.value << " " << r.lo << " " << r.hi;

    const struct {
        int v, inLo, inHi, outLo, outHi, expected;
    } maps[] = {
        {255, 0, 256, 0, 4096, 4080}, {4095, 0, 4096, 0, 256, 255}, {0, 0, 4096, 0, 256, 0},
        {4096, 0, 4096, 0, 256, 256}, {-17, 0, 4096, 0, 256, -1},  // truncated toward zero, not floored
        {5, 7, 7, 3, 9, 3},                                        // empty input range: no division by zero
    };
    for (const auto& r : maps) EXPECT_EQ(MapRange(r.v, r.inLo, r.inHi, r.outLo, r.outHi), r.expected) << r.v;
}

TEST(DeviceValueFunctions, BitsAndLedMask)
{
    EXPECT_EQ(PacketCheckByte(0x01), 0x68);
    EXPECT_EQ(PacketCheckByte(0x00), 0x69);
    EXPECT_TRUE(IsBitSet(0x8u, 3));
    EXPECT_FALSE(IsBitSet(0x8u, 2));
    EXPECT_FALSE(IsBitSet(0xFFFFFFFFu, 32));   // out of range is never set, never UB
    EXPECT_EQ(SetBit(0, 31), 0x80000000u);
    EXPECT_EQ(ClearBit(0xFFFFFFFFu, 0), 0xFFFFFFFEu);
    EXPECT_EQ(SetBit(5, 40), 5u);

    const struct {
        uint32_t mask;
        std::vector<int> on;   // indexes into LedEffectCaptions
    } rows[] = {{0x80000000u, {0}}, {0x00400000u, {9}}, {0x003FFFFFu, {}}, {0xFFC00000u, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    for (const auto& r : rows) {
        std::vector<int> on;
        for (int n = 0; n < LedEffectCount; ++n)
            if (IsBitSetMsbFirst(r.mask, static_cast<uint8_t>(n))) on.push_back(n);
        EXPECT_EQ(on, r.on) << std::hex << r.mask;
    }
    EXPECT_STREQ(LedEffectCaptions[0], L"Halloween Eyes");
    EXPECT_STREQ(LedEffectCaptions[9], L"Strobe");
}

TEST(DeviceValueFunctions, GearBits)
{
    const uint8_t report[] = {0x05, 0x04};   // bits 0, 2, 10: gears 1, 3, 11
    const uint16_t bits = GearBitsOf(report, sizeof report);
    std::vector<int> engaged;
    for (int g = 1; g <= 11; ++g)
        if (IsGearEngaged(bits, g)) engaged.push_back(g);
    EXPECT_EQ(engaged, (std::vector<int>{1, 3, 11}));
    EXPECT_THROW(GearBitsOf(report, 1), EDeviceReplyError);
}

}  // namespace
