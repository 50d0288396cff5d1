// The notation of skin image definitions and its one canonical form. A key of the skin
// description defines an image by a value in one of five notations:
//
//   ^L^T^R^B^WL^WT^WR^WB^N^M^D[^W]   a border image of the master bitmap
//   ~L~T~R~B~D~M[~FILE]              a texture of the master bitmap
//   @L@T@R@B@N@M                     a glyph of the master bitmap
//   !FILE!N!M!K!A!B!C!E!D            an image file (K: 0 border, 1 texture, 2 glyph, 3 glow, 4 PNG glyph)
//   NAME.BMP / NAME.JPG              an image file used as a texture
//
// (N state frames side by side, M mask parts below, D drawing mode, W widths). Each is turned
// into one fixed-position text starting with "&", which the loader reads. No windows.h here.
#pragma once

#include <utility>

#include "skin/engine/core/skin_records.h"
#include "vcl/sysutils.h"

// A definition that cannot be read; the message names what is wrong.
QW_DECLARE_EXCEPTION(ESkinImageError, Exception);

// The canonical "&" form of an upper-cased definition value.
//   1 "&" | 2..17 R (4 digits each) | 18..33 WL WT WR WB | 34 frames | 35 mask parts |
//   36 kind | 37..38 drawing mode | 39..44 "000000" | 45.. file name (empty: the master bitmap)
// A "^" border whose four widths are "0000" takes them from its twelfth word, or computes them
// from the rectangle; a frame count of 0 counts as 1 there.
String NormalizeMaskValue(const String& upperValue);

// True when a value (upper-cased) defines an image: it starts with "!", "&", "@", "^" or "~",
// or names a ".BMP" or ".JPG" file. A bare ".PNG" name does not.
bool IsMaskValue(const String& upperValue);

// The fields of a canonical definition.
struct TacMaskDefinition {
    TRect R;
    int WL = 0, WT = 0, WR = 0, WB = 0;
    int ImageCount = 1;
    int MaskType = 0;
    TacImgType ImgType = TacImgType::itisaBorder;
    int DrawMode = 0;
    String FileName;   // empty: an image of the master bitmap
};

// Reads a canonical form. ESkinImageError when a number is missing or not a number. Kinds above
// 4 count as 4; nothing else is checked here (the loader checks the image against its bitmap).
TacMaskDefinition ParseCanonicalMask(const String& canonical);

// The suffixes of the keys drawn for the scale steps 0..3 and the PPIs of the steps.
inline constexpr const wchar_t* ScaleStepSuffixes[4] = {L"", L"*125", L"*150", L"*200"};
inline constexpr int ScaleStepPpis[4] = {96, 120, 144, 192};

// Which of a key's per-PPI values an object of ppi (scale step scaleValue) uses: from its own
// step upwards (from the next one when its step's PPI is below ppi), then downwards; the first
// non-empty one. lookup(keyWithSuffix) answers the value or an empty text. Answers the canonical
// form and the PPI the chosen value was drawn for; an empty form when no value exists.
template <class Lookup>
std::pair<String, int> ChooseMaskVariant(const String& key, int ppi, int scaleValue, Lookup&& lookup)
{
    int s = scaleValue < 0 ? 0 : scaleValue > 3 ? 3 : scaleValue;
    if (ScaleStepPpis[s] < ppi) ++s;
    auto take = [&](int j) -> String {
        String v = UpperCase(lookup(key + ScaleStepSuffixes[j]));
        return v.empty() ? String() : NormalizeMaskValue(v);
    };
    for (int j = s; j <= 3; ++j)
        if (String d = take(j); !d.empty()) return {d, ScaleStepPpis[j]};
    for (int j = s - 1; j >= 0; --j)
        if (String d = take(j); !d.empty()) return {d, ScaleStepPpis[j]};
    return {String(), 96};
}
