// Process-wide settings of the skinning toolkit that the painters read. No windows.h here.
#pragma once

#include <cstdint>

// Weight of MixColors for disabled text over its background and for blended glyphs.
inline uint8_t SharedBlendValue = 100;
// Saturation change, percent, of a grayed glyph; -100 is plain grayscale.
inline int SharedGraySaturation = -90;
// Default arrow size and outline-arrow line width, in 96-PPI pixels.
inline int DefaultArrowSize = 5;
inline int DefaultArrowWidth = 2;
