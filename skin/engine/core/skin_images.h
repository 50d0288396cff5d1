// The images of a loaded skin: decoding image files into 32-bit pixels with the skin's key
// colour rules, the master bitmap, the loading of every image definition of the description
// into image records, the bitmap cache those records share, and the corner test for the key
// colour. All on plain pixel buffers; no windows.h here.
//
// Key colour: magenta 0xFF00FF marks transparent pixels. Pictures without an alpha channel
// (24-bit and palette BMP, JPEG, a PNG without alpha used as master) get alpha 255 everywhere
// but on magenta, which gets alpha 0; a picture with alpha keeps it (a PNG master's opaque
// magenta still becomes transparent).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "skin/engine/core/mask_notation.h"
#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"
#include "vcl/inifiles.h"

// The key colour as loaded pixels carry it: magenta with alpha 0.
constexpr uint32_t KeyPixel = 0x00FF00FFu;
constexpr bool IsKeyPixel(uint32_t pixel) { return (pixel & 0x00FFFFFFu) == 0x00FF00FFu; }

// ---- decoding --------------------------------------------------------------------------------

enum class TacImageFileKind : uint8_t { ikBmp, ikJpeg, ikPng, ikOther };
// By the extension found in the name (upper-cased): ".BMP", ".JPG" or ".JPEG", ".PNG".
TacImageFileKind ImageFileKindOf(const String& fileName);

// An image file of the skin as 32-bit pixels: BMP and JPEG with the key rule, PNG as it is
// (straight alpha). An unknown kind gives an empty image. ESkinImageError naming the file for
// data that cannot be decoded.
TPixelImage DecodeSkinImage(const String& fileName, const std::vector<uint8_t>& bytes);

// The master bitmap: PNG (when the name holds ".PNG") or BMP, with the key rule for both.
// ESkinImageError naming the file for data that cannot be decoded.
TPixelImage DecodeMasterBitmap(const String& fileName, const std::vector<uint8_t>& bytes);

// ---- the bitmap cache --------------------------------------------------------------------------

// One bitmap the images of a data object use; the cache owns it.
struct TacBmpData {
    int MulPPI = 96, DivPPI = 96, MaskType = 0;
    String Path;       // section name, "-", key of the image that made it
    String FileName;   // the image file; empty for a rescaled part of the master bitmap; "Outer..." for generated effects
    std::unique_ptr<TPixelImage> Bmp;
    TRect R;           // the image in Bmp
    TRect SrcRect;     // a rescaled part of the master bitmap: where it lies there
};
using TacBmpArray = std::vector<TacBmpData>;

// The first entry whose FileName equals fileName exactly and, for an empty name, whose SrcRect
// equals srcRect; -1 when none.
int FindBmp(const TacBmpArray& cache, const String& fileName, const TRect& srcRect);
// Appends an entry (R: the bitmap's whole rectangle when r is empty); answers its index.
int AddBmp(TacBmpArray& cache, std::unique_ptr<TPixelImage> bmp, const String& fileName, int maskType, int mulPPI,
           int divPPI, const TRect& srcRect, const TRect& r, const String& path);
// Gives an image a cached bitmap: its pixels, sizes and PPIs, its border widths scaled to the
// entry's PPI and kept inside a frame.
void UseCachedBmp(TsMaskData& image, const TacBmpData& entry);

// ---- images ------------------------------------------------------------------------------------

// Round(a x b / c) as the platform's MulDiv does it (halves away from zero); 0 for c = 0.
int MulDivRound(int a, int b, int c);

// 1 when a corner box (the border widths) of some state frame holds the key colour, else 0;
// 2 for the huge button's border image (its section index given by buttonHugeIndex).
// bitmap: the image's own pixels or the master bitmap. Boxes are clipped to the image and bitmap.
int CornerKeyTest(const TsMaskData& image, const TPixelView& bitmap, int buttonHugeIndex);

// Frame sizes of every image (Width, Height) from R, the frame count and mask parts; an image
// with no frame count gets one and default border widths.
void SetImageSizes(std::vector<TsMaskData>& images);

// What loading the images of one data object needs.
struct TacImageLoadContext {
    TCustomIniFile* Description = nullptr;   // the skin description
    const TPixelImage* Master = nullptr;     // the master bitmap (may be empty)
    // The bytes of an image file named in a definition (upper-cased): the packed entry of that
    // name, or the file in the skin's folder. False when there is none.
    std::function<bool(const String& fileName, std::vector<uint8_t>& bytes)> ReadFile;
    TsSkinManager* Manager = nullptr;        // put into every image
    int PPI = 96;
    int ScaleValue = 0;                      // scale step of the data object
    int ButtonHugeIndex = -1;                // section index of "BUTTON_HUGE" known at this moment
    // PNG images other than borders are kept premultiplied by alpha when the manager's
    // brightness is below 1 (a positive brightness premultiplies them when it is applied).
    int Brightness = 0;
    bool CompositionOn = false;
    // The skin's main colour (RGB): what transparent pixels carry while an image is rescaled.
    TColor MainColor = 0xFFFFFF;
    // Additional images named by the manager's common sections (".BMP" files in SkinPath).
    const TStrings* CommonSections = nullptr;
    String SkinPath;
    // Why an image was left out (a file missing or unreadable, a rectangle outside its bitmap).
    std::vector<String>* Notes = nullptr;
};

// Every image definition of the description, in the order of sections and keys, appended to
// images (which the caller has emptied), their bitmaps into cache. An image whose file is
// missing or cannot be decoded, or whose rectangle is not inside its bitmap, is left out with a
// note. ESkinImageError naming the section and key for a definition that cannot be read.
void LoadAllMasks(TacImageLoadContext& ctx, std::vector<TsMaskData>& images, TacBmpArray& cache);

// One image of section sectionIndex (named section) defined by key; answers its index or -1.
int AddMaskFromValue(TacImageLoadContext& ctx, std::vector<TsMaskData>& images, TacBmpArray& cache, int sectionIndex,
                     const String& section, const String& key);
