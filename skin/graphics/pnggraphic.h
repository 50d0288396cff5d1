// TPNGGraphic: the program's PNG picture class, a bitmap that loads PNG data through the
// decoder core (png/pngreader.h), and the loaders that turn PNG data into 32-bit bitmaps.
#pragma once

#include "skin/graphics/png/pngreader.h"
#include "vcl/graphics.h"

enum class TProgressStage { psStarting, psRunning, psEnding };
// Sender, stage, percent, redraw now, the rows done so far, message.
using TProgressEvent = Method<void(TObject*, TProgressStage, uint8_t, bool, const TRect&, const String&)>;

class TPNGGraphic : public TBitmap {
public:
    TPNGGraphic();
    ~TPNGGraphic() override;

    static bool CanLoad(const String& fileName);
    static bool CanLoad(TStream& stream);
    static bool CanLoadFromStream(TStream& stream) { return CanLoad(stream); }

    // Decodes the PNG at the stream's position. Format errors raise EInvalidGraphic; the picture
    // then keeps its size and the rows decoded so far.
    void LoadFromStream(TStream& stream) override;
    // An RCDATA resource holding a PNG file.
    void LoadFromResourceName(HINSTANCE instance, const String& resName) override;
    bool ReadImageProperties(TStream& stream, int imageIndex);
    void Assign(const TPersistent* source) override;
    // 32-bit pictures are drawn with their alpha channel over what the canvas shows.
    void Draw(TCanvas* canvas, const TRect& r) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TPNGGraphic>(); }

    TColor BackgroundColor() const { return TColor(FReader.BackgroundColor()); }
    const std::vector<uint8_t>& Transparency() const { return FReader.Transparency(); }
    TColorManager& ColorManager() { return FReader.ColorManager(); }
    const TImageProperties& ImageProperties() const { return FReader.ImageProperties(); }
    void SetImageProperties(const TImageProperties& p) { FReader.SetImageProperties(p); }
    // The decoder's state and picture of the last load (for the 32-bit conversion).
    const TPNGReader& Reader() const { return FReader; }
    const TPNGImage& DecodedImage() const { return FImage; }

    bool Reflected = false;
    // Loading reports "Preparing..." and "Transfering..." stages.
    TProgressEvent OnProgress;

private:
    void BuildBitmap();

    TPNGReader FReader;
    TPNGImage FImage;
};

// Makes Bitmap a 32-bit copy of a loaded picture with a meaningful alpha channel.
void ConvertPngTo32(TBitmap* bitmap, const TPNGGraphic* png);
// Load PNG data into a 32-bit bitmap; the stream loader keeps the bitmap's Transparent value,
// the file loader takes the picture's (a tRNS colour key).
void LoadPngStreamTo32(TBitmap* bitmap, TStream& stream);
void LoadPngFileTo32(TBitmap* bitmap, const String& fileName);

// Registers TPNGGraphic with TPicture for ".png" (done at start-up; the counterpart unregisters).
void RegisterPngGraphic();
void UnregisterPngGraphic();
