// The toolkit's image lists: the base class shared by the alpha and the character lists, the
// process-wide registry of them, the measuring of any image list's images at a PPI, image-file
// format detection, and the drawing of one state cell of any image list into a 32-bit bitmap or
// onto a device context. Each toolkit list still owns a common-control list (the standard list)
// filled with icon versions of its images for the platform's consumers.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "skin/controls/core/image_list_rules.h"
#include "vcl/imagelist.h"
#include "vcl/streams.h"

class TacImageList : public TCustomImageList {
public:
    explicit TacImageList(TComponent* owner = nullptr);
    ~TacImageList() override;

    // The colour a character list paints its glyphs with during one drawing call (clNone after).
    TColor ForeColor = clNone;
    // The PPI the list draws at (SetImageListPPI).
    int PixelsPerInch = 96;
    // DrawImageListItem32 copies the list's bitmap opaquely instead of blending it.
    bool IgnoreTransparency = false;

    // A new 32-bit bitmap of image index at width x height, owned by the caller; nullptr for a bad
    // index or without a standard list. GlyphHeight: the character height (0: the list's own).
    virtual TBitmap* CreateBitmap32(int index, int width, int height, int glyphHeight) = 0;
    // Fills image at the size it already has with image index; false when there is none.
    virtual bool GetBitmap32(int index, TBitmap* image, int glyphHeight) = 0;
    using TCustomImageList::GetBitmap32;

    // The number of images the list shows (ImageCountOf).
    virtual int ImageCount() { return Count(); }
    // The size of image index (-1: the list's own) at a PPI (ImageWidthAt, ImageHeightAt).
    virtual int ImageWidthAtPPI(int index, int ppi);
    virtual int ImageHeightAtPPI(int index, int ppi);
    // The list follows PPI changes (SetImageListPPI sets PixelsPerInch only then).
    virtual bool ScalesWithPPI() const { return false; }
    // Before a drawing call: the colour of the destination's font for image index; IgnoreDefault
    // when the caller already chose the colour (canvas font size 0).
    virtual void SetDrawColor(TColor fontColor, int index, bool ignoreDefault);
    // The height added below image index for its reflection in DrawImageListItemToDC.
    virtual int ReflectionRoom(int index, int ppi) { return ImageHeightAtPPI(-1, ppi) / 2; }
    // Image index has a colour of its own, which a drawing call must keep.
    virtual bool ItemHasOwnColor(int index) { (void)index; return false; }

    // The stored form's "Bitmap" of every toolkit list: an empty standard list (the common-control
    // stream), since the images always come from the items; nothing is read from it.
    static void WriteData(TStream& stream);
    static void ReadData(TStream& stream);
};

// Every live toolkit list, in creation order.
const std::vector<TacImageList*>& ImageListRegistry();
void ForEachImageList(const std::function<void(TacImageList*)>& proc);
// Sets the drawing PPI of a toolkit list that scales; other lists are left alone.
void SetImageListPPI(TCustomImageList* list, int ppi);

// Adds (index < 0) or replaces image index of list's standard list from a 32-bit bitmap, squared
// and resampled first when it is not of the list's size; nullptr does nothing.
void AddAsIcon(TCustomImageList* list, TBitmap* bitmap, int index);
int ScreenBitsPerPixel();

// The next bytes of a stream (at most 8 compared; the stream must hold more than that). The
// position moves past what was read.
bool StreamStartsWith(TStream& stream, const uint8_t* bytes, int count);
// The same on a file opened for reading (a file that cannot be opened raises EFOpenError).
bool FileStartsWith(const String& fileName, const uint8_t* bytes, int count);
bool DetectImageFileFormat(const String& fileName, TsImageFormat& format);
// A stream is taken as PNG; the decoder rejects anything else.
bool DetectImageStreamFormat(TStream& stream, TsImageFormat& format);

// 0 for nullptr, else the list's count.
int ImageCountOf(TCustomImageList* list);
// The size of image index (-1: the list's) at a PPI; 0 for nullptr. Plain lists: size x PPI div 96.
int ImageWidthAt(TCustomImageList* list, int index, int ppi);
int ImageHeightAt(TCustomImageList* list, int index, int ppi);

// Draws cell State of StateCount of image index of any list into the 32-bit bitmap at (x, y) and
// answers the cell's size. Blend: percent of transparency; GrayColor: clNone or the grey tone.
TSize DrawImageListItem32(TCustomImageList* list, TBitmap* bmp, int x, int y, int index, int blend,
                          TColor grayColor, int state, int stateCount, bool reflected, int ppi);
// The same onto a device context through a temporary bitmap (room for the reflection included).
void DrawImageListItemToDC(TCustomImageList* list, HDC dc, int x, int y, int index, int blend, TColor grayColor,
                           int state, int stateCount, bool reflected, int ppi);
