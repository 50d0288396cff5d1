// Every byte the configurator exchanges with the wheel base and the shifter: report ids,
// commands, blocks, request ids, slots, reply types, the device records, and the small value
// functions between control values and wire values. No windows.h: also built natively.
//
// Wire rules: little-endian, packed (no padding), Single = IEEE binary32, Boolean = one byte.
// The field names of the records are also the JSON keys of the record log, so they keep the
// device firmware's spelling and case (eCoefficent included).
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/rtti/type_info.h"

static_assert(sizeof(float) == 4, "Single is IEEE binary32");
static_assert(sizeof(bool) == 1, "Boolean is one byte");

// ---- Devices and report ids ----------------------------------------------------------------

constexpr uint16_t VendorIdDevices = 0x6699;
constexpr uint16_t ProductIdWheelBase = 0x6000;
constexpr uint16_t ProductIdShifter = 0x7000;

constexpr uint8_t ReportIdCommand = 0x14;   // host to device: every TDevicePacket
constexpr uint8_t ReportIdState = 0x01;     // device to host: joystick state / gear bits
constexpr uint8_t ReportIdReply = 0x41;     // device to host: TDeviceReply

// ---- Slots ---------------------------------------------------------------------------------

constexpr uint8_t SlotFirstProfile = 6;   // "Profile 1" .. "Profile 5" are slots 6..10
constexpr uint8_t SlotHardware = 11;
constexpr uint8_t SlotShifterRead = 0;
constexpr int ProfileCount = 5;

// Wire slot of a profile list index (0..4).
constexpr uint8_t ProfileSlotOf(int profileIndex)
{
    return static_cast<uint8_t>(profileIndex + SlotFirstProfile);
}

// ---- Commands (packet byte 3) -------------------------------------------------------------

constexpr uint8_t CmdRead = 0x00;
constexpr uint8_t CmdWrite = 0x01;
constexpr uint8_t CmdLoadProfile = 0x02;
constexpr uint8_t CmdSaveProfile = 0x03;
constexpr uint8_t CmdFactoryReset = 0x04;
constexpr uint8_t CmdCenter = 0x05;
constexpr uint8_t CmdCalibrate = 0x06;
constexpr uint8_t CmdFinishCalibration = 0x07;
constexpr uint8_t CmdAck = 0x90;
constexpr uint8_t CmdRestart = 0xFF;

// ---- Blocks and wheel-base reply types ---------------------------------------------------

constexpr uint8_t BlockFirmware = 0;
constexpr uint8_t BlockJoystick = 1;
constexpr uint8_t BlockMotor = 2;
constexpr uint8_t BlockWheelBase = 3;
constexpr uint8_t BlockTelemetry = 4;
constexpr uint8_t BlockUserEffect = 5;
constexpr uint8_t BlockGeneral = 6;
constexpr uint8_t ReportEncoder = 0xA0;
constexpr uint8_t ReportPwm = 0xA1;
constexpr uint8_t ReportCalculated = 0xAF;
constexpr uint8_t ReportBiquad = 0xB0;
constexpr uint8_t ReportFfb = 0xFE;

// ---- Request ids (packet byte 5, reply byte 1) -------------------------------------------

constexpr uint8_t RqFirmware = 224;
constexpr uint8_t RqJoystick = 225;
constexpr uint8_t RqMotor = 226;
constexpr uint8_t RqWheelBase = 227;
constexpr uint8_t RqUserEffect = 228;
constexpr uint8_t RqTelemetry = 229;
constexpr uint8_t RqGeneral = 230;
constexpr uint8_t RqShifter = 241;
constexpr uint8_t RqProfile = 254;
constexpr uint8_t RqUnsolicited = 255;   // replies only: streamed, never acknowledged

// ---- Shifter selectors and reply types ---------------------------------------------------

constexpr uint8_t ShifterStatFirmware = 0;
constexpr uint8_t ShifterStatConfig = 1;
constexpr uint8_t ShifterStatPosition = 2;
// The selector of "Select Report" (no report): reading it ends the stream and gets no reply.
constexpr uint8_t ShifterStatNone = 255;
constexpr uint8_t ShifterReplyPosition = 0x15;
constexpr uint8_t ShifterReplyConfig = 0x16;
constexpr uint8_t ShifterReplyFirmware = 0x19;
// Gear bit 10 is gear 11, and the shifter sets it in every gear report while in H-pattern
// mode (never in sequential mode): it also tells the shifter's type.
constexpr uint16_t GearBitHPattern = 1u << 10;

// ---- Packet --------------------------------------------------------------------------------

constexpr uint8_t CheckXor = 0x69;
constexpr size_t PacketHeaderSize = 8;         // report id .. payload length
constexpr size_t MaxPacketPayload = 48;        // the largest record written (TJoystickConfig)
constexpr size_t MaxPacketSize = PacketHeaderSize + MaxPacketPayload + 1;   // 57

#pragma pack(push, 1)

// Host-to-device packet in output report 0x14. Payload holds L payload bytes followed by the
// check byte, so the meaningful bytes are the first Length = 9 + L of the structure.
struct TDevicePacket {
    uint8_t ReportId;
    uint8_t Length;
    uint8_t Slot;
    uint8_t Command;
    uint8_t Block;
    uint8_t RequestId;
    uint8_t Param;
    uint8_t PayloadLength;
    uint8_t Payload[MaxPacketPayload + 1];

    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }
    size_t Size() const { return Length; }
    uint8_t Check() const { return Payload[PayloadLength]; }
};
static_assert(sizeof(TDevicePacket) == MaxPacketSize);

// ---- Device records ----------------------------------------------------------------------

// firmwareVersion: shown as "a.b.c.d".
struct TFirmwareVersion {
    uint8_t a;
    uint8_t b;
    uint8_t c;
    uint8_t d;
};
static_assert(sizeof(TFirmwareVersion) == 4);

// Block 1: axis limits.
struct TJoystickConfig {
    int32_t xMin;
    int32_t xMax;
    int32_t yMin;
    int32_t yMax;
    int32_t zMin;
    int32_t zMax;
    int32_t rxMin;
    int32_t rxMax;
    int32_t ryMin;
    int32_t ryMax;
    int32_t rzMin;
    int32_t rzMax;
};
static_assert(sizeof(TJoystickConfig) == 48);

// Block 2.
struct TMotorConfig {
    uint8_t pwmMode;         // 0 none, 1 PWM +/-, 2 PWM and direction, 3 PWM 0..50..100
    uint16_t pwmFreq;        // Hz
    bool absEncoder;
    bool zIndex;
    bool reverseEncoder;
    uint32_t PPR;            // encoder pulses per revolution
    uint8_t pidMode;         // 0 automatic, 1 manual
    uint8_t ctrlDirection;   // 0 direct, 1 reverse
    float Kp;
    float Ki;
    float Kd;
    uint32_t sampleTime;     // ms
};
static_assert(sizeof(TMotorConfig) == 28);

// Block 3. Gains are percent x 100; forces and filters 0..10000.
struct TWheelBaseConfig {
    float qFactor;
    float peakGain;
    uint16_t steeringAngle;   // degrees
    uint16_t stopForce;
    uint16_t minForce;
    uint16_t overAllFilter;
    uint16_t damperFilter;
    uint16_t inertiaFilter;
    uint16_t frictionFilter;
    uint16_t totalForceGain;
    uint16_t constantGain;
    uint16_t rampGain;
    uint16_t squareGain;
    uint16_t sineGain;
    uint16_t triangleGain;
    uint16_t sawtoothUpGain;
    uint16_t sawtoothDownGain;
    uint16_t springGain;
    uint16_t damperGain;
    uint16_t inertiaGain;
    uint16_t frictionGain;
    bool enableTelemetryFfb;
};
static_assert(sizeof(TWheelBaseConfig) == 47);

// Block 5: the user's own effects.
struct TUserEffectConfig {
    uint16_t damperForce;
    uint16_t damperGain;
    uint16_t frictionForce;
    uint16_t frictionGain;
    uint16_t inertiaForce;
    uint16_t inertiaGain;
    uint16_t springForce;
    uint16_t springGain;
    uint16_t eOffset;
    uint16_t eGain;          // not scaled
    uint16_t eSaturation;
    uint16_t eCoefficent;
    bool enableDamper;
    bool enableInertia;
    bool enableFriction;
    bool enableSpring;
};
static_assert(sizeof(TUserEffectConfig) == 28);

// Block 6.
struct TGeneralConfig {
    float forceMultiplier;   // 1..100
    bool encoderPosFix;
    bool debugMode;
};
static_assert(sizeof(TGeneralConfig) == 6);

// Shifter configuration: written with Param 6, read back as shifter reply 0x16.
struct TShifterConfig {
    uint8_t shifterType;     // 0 H-Pattern, 1 Sequential
    uint16_t x1;             // grid lines in device units 0..4096 (0: hidden)
    uint16_t x2;
    uint16_t x3;
    uint16_t y1;
    uint16_t y2;
    bool enableLed;
    uint32_t ledEffects;     // LedEffect* bits
    bool analogMode;
    uint16_t analogXMin;
    uint16_t analogXMax;
    uint16_t analogYMin;
    uint16_t analogYMax;
    uint8_t inversionMode;   // 0 None, 1 X Only, 2 Y Only, 3 Both
    uint8_t filterFactor;
};
static_assert(sizeof(TShifterConfig) == 27);

// Shifter reply 0x15: raw position 0..4096.
struct TShifterPosition {
    uint16_t x;
    uint16_t y;
};
static_assert(sizeof(TShifterPosition) == 4);

// Stream 0xA1.
struct TPWMReport {
    uint8_t mode;
    uint16_t freq;
    int16_t period;
};
static_assert(sizeof(TPWMReport) == 5);

// Stream 0xA0.
struct TEncoderReport {
    int32_t CurrentPos;
    int32_t MaxPos;
    float Speed;
    int32_t zPositivePos;
    int32_t zNegativePos;
    int32_t PPR;
    int32_t CPR;
};
static_assert(sizeof(TEncoderReport) == 28);

// Stream 0xAF.
struct TCalculatedData {
    float totalForce;
    float stopForce;
    float totalForceGain;
    float userForce;
};
static_assert(sizeof(TCalculatedData) == 16);

// Stream 0xFE.
struct TFFBReport {
    float constantForce;
    float rampForce;
    float springForce;
    float damperForce;
    float inertiaForce;
    float frictionForce;
    float squareForce;
    float triangleForce;
    float sineForce;
    float sawUpForce;
    float sawDownForce;
    float totalForce;
};
static_assert(sizeof(TFFBReport) == 48);

// Stream 0xB0. The device sends bytes the configurator does not interpret between the
// selector and the coefficients and between Q and the state; they are kept as opaque bytes
// so that every offset stays where the device puts it.
struct TBiquadReport {
    uint8_t filter;          // 0 overall, 1 damper, 2 inertia, 3 friction
    uint8_t unused1[4];
    float a0;
    float a1;
    float a2;
    float b1;
    float b2;
    float Fc;
    float Q;
    uint8_t unused2[4];
    float z1;
    float z2;
};
static_assert(sizeof(TBiquadReport) == 45);

// Report 0x01 of the wheel base, from data byte 4 on (data bytes 0..3 are not read).
struct TJoystickState {
    int32_t x;
    int32_t y;
    int32_t z;
    int32_t rx;
    int32_t ry;
    int32_t rz;
};
static_assert(sizeof(TJoystickState) == 24);
constexpr size_t JoystickStateOffset = 4;   // data offset of TJoystickState::x

#pragma pack(pop)

// Reply 0x41 layout, counted in the data bytes after the report id.
constexpr size_t ReplyTypeOffset = 0;
constexpr size_t ReplyRequestIdOffset = 1;
constexpr size_t ReplyPayloadOffset = 2;

// ---- Field tables (unpacking and the JSON record log read these) -----------------------

QW_TYPE_INFO_RECORD(TFirmwareVersion,
    QW_FIELD(TFirmwareVersion, a),
    QW_FIELD(TFirmwareVersion, b),
    QW_FIELD(TFirmwareVersion, c),
    QW_FIELD(TFirmwareVersion, d));

QW_TYPE_INFO_RECORD(TJoystickConfig,
    QW_FIELD(TJoystickConfig, xMin),
    QW_FIELD(TJoystickConfig, xMax),
    QW_FIELD(TJoystickConfig, yMin),
    QW_FIELD(TJoystickConfig, yMax),
    QW_FIELD(TJoystickConfig, zMin),
    QW_FIELD(TJoystickConfig, zMax),
    QW_FIELD(TJoystickConfig, rxMin),
    QW_FIELD(TJoystickConfig, rxMax),
    QW_FIELD(TJoystickConfig, ryMin),
    QW_FIELD(TJoystickConfig, ryMax),
    QW_FIELD(TJoystickConfig, rzMin),
    QW_FIELD(TJoystickConfig, rzMax));

QW_TYPE_INFO_RECORD(TMotorConfig,
    QW_FIELD(TMotorConfig, pwmMode),
    QW_FIELD(TMotorConfig, pwmFreq),
    QW_FIELD(TMotorConfig, absEncoder),
    QW_FIELD(TMotorConfig, zIndex),
    QW_FIELD(TMotorConfig, reverseEncoder),
    QW_FIELD(TMotorConfig, PPR),
    QW_FIELD(TMotorConfig, pidMode),
    QW_FIELD(TMotorConfig, ctrlDirection),
    QW_FIELD(TMotorConfig, Kp),
    QW_FIELD(TMotorConfig, Ki),
    QW_FIELD(TMotorConfig, Kd),
    QW_FIELD(TMotorConfig, sampleTime));

QW_TYPE_INFO_RECORD(TWheelBaseConfig,
    QW_FIELD(TWheelBaseConfig, qFactor),
    QW_FIELD(TWheelBaseConfig, peakGain),
    QW_FIELD(TWheelBaseConfig, steeringAngle),
    QW_FIELD(TWheelBaseConfig, stopForce),
    QW_FIELD(TWheelBaseConfig, minForce),
    QW_FIELD(TWheelBaseConfig, overAllFilter),
    QW_FIELD(TWheelBaseConfig, damperFilter),
    QW_FIELD(TWheelBaseConfig, inertiaFilter),
    QW_FIELD(TWheelBaseConfig, frictionFilter),
    QW_FIELD(TWheelBaseConfig, totalForceGain),
    QW_FIELD(TWheelBaseConfig, constantGain),
    QW_FIELD(TWheelBaseConfig, rampGain),
    QW_FIELD(TWheelBaseConfig, squareGain),
    QW_FIELD(TWheelBaseConfig, sineGain),
    QW_FIELD(TWheelBaseConfig, triangleGain),
    QW_FIELD(TWheelBaseConfig, sawtoothUpGain),
    QW_FIELD(TWheelBaseConfig, sawtoothDownGain),
    QW_FIELD(TWheelBaseConfig, springGain),
    QW_FIELD(TWheelBaseConfig, damperGain),
    QW_FIELD(TWheelBaseConfig, inertiaGain),
    QW_FIELD(TWheelBaseConfig, frictionGain),
    QW_FIELD(TWheelBaseConfig, enableTelemetryFfb));

QW_TYPE_INFO_RECORD(TUserEffectConfig,
    QW_FIELD(TUserEffectConfig, damperForce),
    QW_FIELD(TUserEffectConfig, damperGain),
    QW_FIELD(TUserEffectConfig, frictionForce),
    QW_FIELD(TUserEffectConfig, frictionGain),
    QW_FIELD(TUserEffectConfig, inertiaForce),
    QW_FIELD(TUserEffectConfig, inertiaGain),
    QW_FIELD(TUserEffectConfig, springForce),
    QW_FIELD(TUserEffectConfig, springGain),
    QW_FIELD(TUserEffectConfig, eOffset),
    QW_FIELD(TUserEffectConfig, eGain),
    QW_FIELD(TUserEffectConfig, eSaturation),
    QW_FIELD(TUserEffectConfig, eCoefficent),
    QW_FIELD(TUserEffectConfig, enableDamper),
    QW_FIELD(TUserEffectConfig, enableInertia),
    QW_FIELD(TUserEffectConfig, enableFriction),
    QW_FIELD(TUserEffectConfig, enableSpring));

QW_TYPE_INFO_RECORD(TGeneralConfig,
    QW_FIELD(TGeneralConfig, forceMultiplier),
    QW_FIELD(TGeneralConfig, encoderPosFix),
    QW_FIELD(TGeneralConfig, debugMode));

QW_TYPE_INFO_RECORD(TShifterConfig,
    QW_FIELD(TShifterConfig, shifterType),
    QW_FIELD(TShifterConfig, x1),
    QW_FIELD(TShifterConfig, x2),
    QW_FIELD(TShifterConfig, x3),
    QW_FIELD(TShifterConfig, y1),
    QW_FIELD(TShifterConfig, y2),
    QW_FIELD(TShifterConfig, enableLed),
    QW_FIELD(TShifterConfig, ledEffects),
    QW_FIELD(TShifterConfig, analogMode),
    QW_FIELD(TShifterConfig, analogXMin),
    QW_FIELD(TShifterConfig, analogXMax),
    QW_FIELD(TShifterConfig, analogYMin),
    QW_FIELD(TShifterConfig, analogYMax),
    QW_FIELD(TShifterConfig, inversionMode),
    QW_FIELD(TShifterConfig, filterFactor));

QW_TYPE_INFO_RECORD(TShifterPosition,
    QW_FIELD(TShifterPosition, x),
    QW_FIELD(TShifterPosition, y));

QW_TYPE_INFO_RECORD(TPWMReport,
    QW_FIELD(TPWMReport, mode),
    QW_FIELD(TPWMReport, freq),
    QW_FIELD(TPWMReport, period));

QW_TYPE_INFO_RECORD(TEncoderReport,
    QW_FIELD(TEncoderReport, CurrentPos),
    QW_FIELD(TEncoderReport, MaxPos),
    QW_FIELD(TEncoderReport, Speed),
    QW_FIELD(TEncoderReport, zPositivePos),
    QW_FIELD(TEncoderReport, zNegativePos),
    QW_FIELD(TEncoderReport, PPR),
    QW_FIELD(TEncoderReport, CPR));

QW_TYPE_INFO_RECORD(TCalculatedData,
    QW_FIELD(TCalculatedData, totalForce),
    QW_FIELD(TCalculatedData, stopForce),
    QW_FIELD(TCalculatedData, totalForceGain),
    QW_FIELD(TCalculatedData, userForce));

QW_TYPE_INFO_RECORD(TFFBReport,
    QW_FIELD(TFFBReport, constantForce),
    QW_FIELD(TFFBReport, rampForce),
    QW_FIELD(TFFBReport, springForce),
    QW_FIELD(TFFBReport, damperForce),
    QW_FIELD(TFFBReport, inertiaForce),
    QW_FIELD(TFFBReport, frictionForce),
    QW_FIELD(TFFBReport, squareForce),
    QW_FIELD(TFFBReport, triangleForce),
    QW_FIELD(TFFBReport, sineForce),
    QW_FIELD(TFFBReport, sawUpForce),
    QW_FIELD(TFFBReport, sawDownForce),
    QW_FIELD(TFFBReport, totalForce));

QW_TYPE_INFO_RECORD(TBiquadReport,
    QW_FIELD(TBiquadReport, filter),
    QW_FIELD(TBiquadReport, unused1),
    QW_FIELD(TBiquadReport, a0),
    QW_FIELD(TBiquadReport, a1),
    QW_FIELD(TBiquadReport, a2),
    QW_FIELD(TBiquadReport, b1),
    QW_FIELD(TBiquadReport, b2),
    QW_FIELD(TBiquadReport, Fc),
    QW_FIELD(TBiquadReport, Q),
    QW_FIELD(TBiquadReport, unused2),
    QW_FIELD(TBiquadReport, z1),
    QW_FIELD(TBiquadReport, z2));

QW_TYPE_INFO_RECORD(TJoystickState,
    QW_FIELD(TJoystickState, x),
    QW_FIELD(TJoystickState, y),
    QW_FIELD(TJoystickState, z),
    QW_FIELD(TJoystickState, rx),
    QW_FIELD(TJoystickState, ry),
    QW_FIELD(TJoystickState, rz));

// ---- LED effect mask: one bit per effect, counted from bit 31 down ------------------------

constexpr int LedEffectCount = 10;
constexpr int LedEffectLowestBit = 32 - LedEffectCount;   // bits 21..0 are not effects
// Check box captions in bit order: index n is bit 31 - n.
extern const wchar_t* const LedEffectCaptions[LedEffectCount];

// ---- PWM maps ------------------------------------------------------------------------------

constexpr int PwmFrequencyCount = 9;
extern const uint16_t PwmFrequencies[PwmFrequencyCount];              // list index -> Hz
extern const wchar_t* const PwmFrequencyCaptions[PwmFrequencyCount];
constexpr int PwmModeCount = 4;
extern const wchar_t* const PwmModeCaptions[PwmModeCount];

// ---- Value functions -----------------------------------------------------------------------

// Any index other than 1..8 gives 16800 Hz (the first entry).
uint16_t PwmIndexToFrequency(int index);
// 16800 and any frequency not in the table give index 0.
int PwmFrequencyToIndex(uint16_t freq);
// 1, 2, 3 unchanged, anything else 0.
uint8_t PwmModeFromIndex(int index);
// (value - inLo) * (outHi - outLo) in 32-bit integers, divided as a float by (inHi - inLo),
// plus outLo, truncated toward zero. An empty input range maps to outLo.
int MapRange(int value, int inLo, int inHi, int outLo, int outHi);
// Both tests look at value as passed in, the upper first; so with lo > hi, values up to lo
// give lo and values above it give hi.
int ClampValue(int value, int lo, int hi);

// The check value is computed over a run of fixed length one: the first payload byte. The
// device checks exactly this, so it must not be widened to the whole payload.
using TAbsByteArray = uint8_t[1];
using PAbsByteArray = const uint8_t*;
uint8_t PacketCheckByte(uint8_t b);

bool IsBitSet(uint32_t value, uint8_t n);
uint32_t SetBit(uint32_t value, uint8_t n);
uint32_t ClearBit(uint32_t value, uint8_t n);
// Bit 31 - n: n = 0 is "Halloween Eyes", n = 9 "Strobe".
bool IsBitSetMsbFirst(uint32_t value, uint8_t n);
