#include "app/protocol/device_records.h"

const wchar_t* const LedEffectCaptions[LedEffectCount] = {
    L"Halloween Eyes", L"Fade (RGB)",      L"Color Wipe",      L"Rainbow",      L"Rainbow Cycle",
    L"Theater Chase",  L"Animated (R/W)",  L"Animated (Ring)", L"Fade (White)", L"Strobe",
};

const uint16_t PwmFrequencies[PwmFrequencyCount] = {16800, 8400, 5600, 4200, 3360, 2100, 1000, 500, 250};

const wchar_t* const PwmFrequencyCaptions[PwmFrequencyCount] = {
    L"16.8 kHz", L"8.4 kHz", L"5.6 kHz", L"4.2 kHz", L"3.36 kHz", L"2.1 kHz", L"1.0 kHz", L"500 Hz", L"250 Hz",
};

const wchar_t* const PwmModeCaptions[PwmModeCount] = {
    L"None", L"PWM +/- (H-Bridge)", L"PWM & Dir", L"PWM 0..50..100",
};

uint16_t PwmIndexToFrequency(int index)
{
    if (index >= 1 && index < PwmFrequencyCount) return PwmFrequencies[index];
    return PwmFrequencies[0];
}

int PwmFrequencyToIndex(uint16_t freq)
{
    for (int i = 1; i < PwmFrequencyCount; ++i)
        if (PwmFrequencies[i] == freq) return i;
    return 0;
}

uint8_t PwmModeFromIndex(int index)
{
    return (index >= 1 && index <= 3) ? static_cast<uint8_t>(index) : 0;
}

int MapRange(int value, int inLo, int inHi, int outLo, int outHi)
{
    if (inHi == inLo) return outLo;
    // 32-bit product as the device-side tools compute it; wrap instead of overflowing UB.
    const uint32_t span = static_cast<uint32_t>(value) - static_cast<uint32_t>(inLo);
    const uint32_t outSpan = static_cast<uint32_t>(outHi) - static_cast<uint32_t>(outLo);
    const int32_t product = static_cast<int32_t>(span * outSpan);
    const double mapped = static_cast<double>(product) / (static_cast<double>(inHi) - inLo) + outLo;
    if (mapped >= 2147483647.0) return INT32_MAX;
    if (mapped <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(mapped);   // truncates toward zero
}

int ClampValue(int value, int lo, int hi)
{
    int result = value;
    if (value >= hi) result = hi;
    if (value <= lo) result = lo;
    return result;
}

uint8_t PacketCheckByte(uint8_t b)
{
    return static_cast<uint8_t>(b ^ CheckXor);
}

bool IsBitSet(uint32_t value, uint8_t n)
{
    return n < 32 && ((value >> n) & 1u) != 0;
}

uint32_t SetBit(uint32_t value, uint8_t n)
{
    return n < 32 ? (value | (1u << n)) : value;
}

uint32_t ClearBit(uint32_t value, uint8_t n)
{
    return n < 32 ? (value & ~(1u << n)) : value;
}

bool IsBitSetMsbFirst(uint32_t value, uint8_t n)
{
    return n < 32 && IsBitSet(value, static_cast<uint8_t>(31 - n));
}
