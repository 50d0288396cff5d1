// The mixing step every blend shares, two bytes at a time: (a x w + b x (256 - w)) shr 8 in each
// byte of two pixels, w 0..256. Exactly the per-byte formula (no lane overflows: each lane's sum
// stays below 65536). No windows.h here.
#pragma once

#include <cstdint>

inline uint32_t MixPixels(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t iw = 256u - w;
    const uint32_t rb = (((a & 0x00FF00FFu) * w + (b & 0x00FF00FFu) * iw) >> 8) & 0x00FF00FFu;
    const uint32_t ga = (((a >> 8) & 0x00FF00FFu) * w + ((b >> 8) & 0x00FF00FFu) * iw) & 0xFF00FF00u;
    return rb | ga;
}

// The colour bytes mixed, b's alpha kept.
inline uint32_t MixColourBytes(uint32_t a, uint32_t b, uint32_t w)
{
    return (MixPixels(a, b, w) & 0x00FFFFFFu) | (b & 0xFF000000u);
}

// s over d by weight a (0..255): colour ((s - d) x a + d x 256) shr 8 and alpha by "blend, never
// lower": max(d.A, ((a - d.A) x a + d.A x 256) shr 8).
inline uint32_t ComposeOver(uint32_t s, uint32_t d, uint32_t a)
{
    const uint32_t m = MixPixels((s & 0x00FFFFFFu) | (a << 24), d, a);
    const uint32_t da = d >> 24, ma = m >> 24;
    return (m & 0x00FFFFFFu) | ((ma > da ? ma : da) << 24);
}
