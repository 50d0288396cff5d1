// The arithmetic of the toolkit's image lists and image control: which file format a header
// names, how a common-control colour reads as a component colour, which cell of a state strip
// is drawn where, and how a picture is sized and placed inside an image control. Plain numbers
// in and out; no windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vcl/types.h"

// The kinds of whole image files an item holds (stored as one byte).
enum TsImageFormat : uint8_t { ifPNG = 0, ifICO = 1, ifBMP32 = 2 };

// The first bytes of a stream against a signature: at most 8 are compared, and only when the
// stream holds strictly more bytes after its position than are compared (left = Size - Position).
// A file shorter than 9 bytes is therefore never a PNG, one shorter than 3 never an icon or bitmap.
bool StartsWithSignature(const uint8_t* head, int64_t left, const uint8_t* signature, int count);

// The format of a file from its first bytes (head holds min(8, left) of them) and its extension
// (lower or upper case, without the dot): the PNG signature first; two zero bytes are an icon only
// with the extension "ico" and are then never tried as a bitmap; "BM" a bitmap. False: unknown.
bool DetectImageFormat(const uint8_t* head, int64_t left, std::wstring_view extension, TsImageFormat& format);
// The extension of a file name without its dot ("" when the last part has none).
std::wstring_view FileExtensionOf(std::wstring_view fileName);

// A common-control colour as a component colour: CLR_DEFAULT -> clDefault, CLR_NONE -> clNone.
uint32_t ImageListColorToColor(uint32_t color);

// One state cell of an image w x h cut into StateCount equal cells, drawn at (x, y).
struct TacImageCell {
    TRect Dest;     // where it lands (moved left for a negative state)
    TRect Source;   // the cell inside the image strip
    TSize Size;     // cell width, image height
};
// StateCount below 1 is one cell; a state past the last is the last; a negative state is not
// raised (the cell and its destination move left by whole cells).
TacImageCell ImageStateCell(int width, int height, int x, int y, int state, int stateCount);
// The cell's source clipped to the top-left of a made strip of madeWidth x madeHeight: a negative
// source edge moves the destination's edge the other way.
void ClipCellToStrip(TacImageCell& cell, int madeWidth, int madeHeight);

// The size a bitmap is resampled to before it becomes an icon of a list of w x h: the larger side
// s squared over each side, so that the standard list's own scaling to w x h keeps its aspect.
TSize IconResampleSize(int listWidth, int listHeight);

// An image control's sizes. Base is the picture's own size; Box the control's; Stretched,
// Proportional and Reflected its options.
struct TacImageBoxInput {
    TSize Base;
    TSize Box;
    bool Stretched = false;
    bool Proportional = false;
    bool Reflected = false;
};
// The drawn size: the base size unless stretched (and both base sides non-zero); stretched into the
// box (two thirds of its height when reflected), keeping the base's aspect when proportional
// (halves rounded to even).
TSize ImageBoxSize(const TacImageBoxInput& in);
// Where an image of Size goes in the box: (0, 0) when stretched and not proportional or when not
// centred, else centred (the reflection's half counted in the height with UseFullSize).
TPoint ImageBoxPosition(TSize size, TSize box, bool stretch, bool proportional, bool center, bool useFullSize);

// Systems before version 6 show a 32-bit image without any alpha as nothing: such images are
// made opaque there when the screen has fewer than 32 bits per pixel, without a skin manager, or
// when the manager asks for empty alpha to be checked. Later systems never need it.
bool NeedsOldSystemRepair(int osMajorVersion, int screenBitsPerPixel, bool hasManager, bool checkEmptyAlpha);
// The pixels (0xAARRGGBB) of an image that has no alpha at all: every pixel but the key colour
// 0x00FF00FF becomes opaque. False, and nothing changed, when any pixel has alpha.
bool RepairEmptyAlpha(uint32_t* pixels, size_t count);
// A pixel tinted with a colour (0x00BBGGRR) at its own brightness: each channel of the colour
// scaled by the pixel's brightest channel / 256, alpha kept; the key colour is left alone.
uint32_t TintPixelByBrightness(uint32_t pixel, uint32_t rgbColor);
