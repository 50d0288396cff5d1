// The anti-aliased text renderer: a text is drawn white on black with a font enlarged by the
// supersampling factor into an 8-bit grey DIB, reduced to a coverage mask of the text's real
// size (TAAMask), and blended onto the target canvas in a colour or with a foreground bitmap
// (TAABlend). TAAFont ties both to one canvas. The arithmetic is in aa_pixels.
#pragma once

#include "vcl/win.h"

#include <memory>
#include <vector>

#include "support/aatext/aa_pixels.h"
#include "vcl/graphics.h"

QW_DECLARE_EXCEPTION(EInvalidLine, Exception);
QW_DECLARE_EXCEPTION(EInvalidPixel, Exception);
QW_DECLARE_EXCEPTION(EInvalidForeBmp, Exception);

// The grey palette (entry i = grey level i), made on first use, deleted at process exit.
HPALETTE GrayPalette();
void CreateGrayPalette();
void DeleteGrayPalette();

class TAAFont;

class TAAMask : public TPersistent {
public:
    explicit TAAMask(TAAFont* owner);
    ~TAAMask() override;

    TAAQuality Quality() const { return FQuality; }
    void SetQuality(TAAQuality value);
    int Scale() const { return FScale; }
    void Assign(const TPersistent* source) override;

    TSize TextExtent(const String& text);
    int TextHeight(const String& text) { return TextExtent(text).cy; }
    int TextWidth(const String& text) { return TextExtent(text).cx; }
    // The extent of the text at the canvas font's size; with an escapement the rotated box,
    // and origin receives where the text starts inside it.
    TSize TextRectExtent(const String& text, TPoint* origin = nullptr);

    void DrawMask(const String& text);
    void DrawMaskEx(const String& text, TSize extent, TPoint point);

    // Rows count from the top; EInvalidLine / EInvalidPixel outside the mask.
    uint8_t* ScanLine(int row);
    uint8_t Pixel(int x, int y);
    uint8_t* PixelAddr(int x, int y);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int BytesLineMask() const { return FBytesLineMask; }
    int BytesLineGray() const { return FBytesLineGray; }
    // The buffer as a plane from its top row (the buffer is bottom-up).
    TAAGrayPlane Plane();

    void Blur(int strength);
    void Outline();
    void Spray(int amount);
    void HorzMirror();
    void VertMirror();

private:
    void InitGrayBmp(int width, int height);
    void FreeGrayBmp();

    TAAQuality FQuality = aqNormal;
    std::vector<uint8_t> FpMaskBuff;
    int FHeight = 0;
    int FWidth = 0;
    int FBytesLineGray = 0;
    int FBytesLineMask = 0;
    int FScale = 3;
    TAAFont* AAFont;
    // The grey working bitmap, alive only while a mask is drawn.
    HBITMAP FGrayBmp = nullptr;
    HDC FGrayDC = nullptr;
    HGDIOBJ FGrayOld = nullptr;
    uint8_t* FGrayBits = nullptr;
    int FGrayWidth = 0;
    int FGrayHeight = 0;
};

class TAABlend : public TPersistent {
public:
    explicit TAABlend(TAAFont* owner);
    ~TAABlend() override;

    TBitmap* ForeBmp() const { return FForeBmp.get(); }
    void SetForeBmp(const TBitmap* value) { FForeBmp->Assign(value); }
    void Assign(const TPersistent* source) override;

    // Blends the mask in colour at (x, y) of the owner font's canvas; alpha 0..100.
    void Blend(int x, int y, TAAMask& mask, int alpha, TColor colour);
    // The same with the colours of ForeBmp (24 bits, exactly the mask's size).
    void BlendEx(int x, int y, TAAMask& mask, int alpha);

private:
    template <class Kernel>
    void BlendWith(int x, int y, TAAMask& mask, Kernel kernel);

    std::unique_ptr<TBitmap> FForeBmp;
    std::unique_ptr<TBitmap> RGBBmp;
    TAAFont* AAFont;
};

// A 24-bit bitmap's pixels as a plane from its top row.
TBgrPlane BgrPlaneOf(TBitmap& bitmap);

class TAAFont : public TObject {
public:
    explicit TAAFont(TCanvas* canvas);
    ~TAAFont() override;

    TCanvas* Canvas() const { return FCanvas; }
    void SetCanvas(TCanvas* canvas) { FCanvas = canvas; }
    TAAMask* Mask() const { return FMask.get(); }
    TAABlend* Blend() const { return FBlend.get(); }
    TAAQuality Quality() const { return FMask->Quality(); }
    void SetQuality(TAAQuality value) { FMask->SetQuality(value); }

    virtual TSize TextExtent(const String& text);
    virtual int TextHeight(const String& text) { return TextExtent(text).cy; }
    virtual int TextWidth(const String& text) { return TextExtent(text).cx; }
    // Draws the text in the canvas font's colour; alpha 0..100, blur 0..100.
    void TextOutput(int x, int y, const String& text, int alpha = 100, int blur = 0);

private:
    TCanvas* FCanvas;
    std::unique_ptr<TAAMask> FMask;
    std::unique_ptr<TAABlend> FBlend;
};
