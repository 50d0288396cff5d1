// Colours, geometry, GDI objects (font, brush, pen), the canvas over a device context, and
// the graphics: bitmaps (DIB sections), icons and the picture that loads either by file type.
//
// Every GDI object is created lazily from the object's properties, cached, and deleted when a
// property changes or the object goes. A canvas selects its font, brush and pen into its DC
// only when it draws, and puts the DC's own objects back before the DC goes away or when one
// of them changes, so no GDI object is ever deleted while it is selected.
#pragma once

#include "vcl/win.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "vcl/classes.h"
#include "vcl/types.h"
#include "vcl/streams.h"
#include "vcl/threads.h"

// ---- Colours -------------------------------------------------------------------------------

// TColor, the named colours and the geometry types live in vcl/types.h (no windows.h there).
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

// RGB of a system colour (through GetSysColor); any other value comes back as it is, so
// clNone and clDefault stay recognisable.
TColor ColorToRGB(TColor color);
// What GDI calls take: ColorToRGB without byte 3 (clNone would otherwise be read as a
// palette reference).
inline COLORREF ColorToColorRef(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0x00FFFFFFu; }
// "clRed" for a named colour, "$00BBGGRR" otherwise; and back (EConvertError when invalid).
String ColorToString(TColor color);
TColor StringToColor(const String& s);


constexpr TRect Bounds(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

// ---- Errors --------------------------------------------------------------------------------

QW_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QW_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
QW_DECLARE_EXCEPTION(EOutOfResources, Exception);

// The screen's pixels per inch (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

// ---- GDI objects ---------------------------------------------------------------------------

// A font, brush or pen: properties, a lazily made GDI handle and a change event. The handle is
// dropped on every change; OnChange runs before the old handle is deleted, so an owner that
// has it selected can put its DC's own object back first.
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;
    // True when the GDI handle exists right now.
    bool HandleAllocated() const { return FHandle != nullptr; }

    ~TGraphicsObject() override;

protected:
    // Tells OnChange, then deletes the old handle; the next Handle() makes a new one.
    void Changed();
    HGDIOBJ CachedHandle() const { return FHandle; }
    void SetCachedHandle(HGDIOBJ h, bool owned);
    void DropHandle();

private:
    HGDIOBJ FHandle = nullptr;
    bool FOwnsHandle = false;
};

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle values.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles) FBits |= Bit(s);
    }
    constexpr bool Contains(TFontStyle s) const { return (FBits & Bit(s)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TFontStyles& Include(TFontStyle s) { FBits |= Bit(s); return *this; }
    constexpr TFontStyles& Exclude(TFontStyle s) { FBits &= static_cast<uint8_t>(~Bit(s)); return *this; }
    constexpr uint8_t Bits() const { return FBits; }
    friend constexpr bool operator==(TFontStyles a, TFontStyles b) { return a.FBits == b.FBits; }
    friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) { a.FBits |= b.FBits; return a; }
    friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b)
    {
        a.FBits &= static_cast<uint8_t>(~b.FBits);
        return a;
    }
    friend constexpr TFontStyles operator*(TFontStyles a, TFontStyles b) { a.FBits &= b.FBits; return a; }

private:
    static constexpr uint8_t Bit(TFontStyle s) { return static_cast<uint8_t>(1u << s); }
    uint8_t FBits = 0;
};

enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum class TFontQuality {
    fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural
};
using TFontCharset = uint8_t;

class TFont : public TGraphicsObject {
public:
    TFont();

    // The font as a HFONT (made on first use, cached until a property changes).
    HFONT Handle();
    // Takes the properties of an existing font; the handle stays the caller's.
    void SetHandle(HFONT font);

    const String& Name() const { return FName; }
    void SetName(const String& name);
    // Points; Height is the pixel height (negative: character height without internal
    // leading), Size = -Height * 72 / PixelsPerInch.
    int Size() const;
    void SetSize(int points);
    int Height() const { return FHeight; }
    void SetHeight(int pixels);
    int PixelsPerInch() const { return FPixelsPerInch; }
    // Changes the resolution that Size is measured in; Height is kept.
    void SetPixelsPerInch(int ppi) { FPixelsPerInch = ppi > 0 ? ppi : 96; }
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset charset);
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality quality);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    // Tenths of a degree, counter-clockwise.
    int Orientation() const { return FOrientation; }
    void SetOrientation(int tenths);

    void Assign(const TPersistent* source) override;
    void Assign(const TFont& source) { Assign(static_cast<const TPersistent*>(&source)); }
    // The LOGFONT the handle is made from.
    LOGFONTW LogFont() const;

private:
    String FName;
    int FHeight;
    int FPixelsPerInch;
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontQuality FQuality = TFontQuality::fqDefault;
    TFontPitch FPitch = TFontPitch::fpDefault;
    int FOrientation = 0;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
using enum TBrushStyle;

class TBitmap;

class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    ~TBrush() override;

    HBRUSH Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor color);   // also makes a clear brush solid
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    // A pattern brush from a copy of the bitmap (nullptr: back to Color and Style).
    TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(const TBitmap* bitmap);

    void Assign(const TPersistent* source) override;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    std::unique_ptr<TBitmap> FBitmap;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
using enum TPenStyle;
enum class TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
using enum TPenMode;

class TPen : public TGraphicsObject {
public:
    HPEN Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    // The raster operation a canvas sets with the pen (SetROP2); not part of the HPEN.
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode mode);
    int Rop2() const;

    void Assign(const TPersistent* source) override;

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

// ---- Canvas --------------------------------------------------------------------------------

class TGraphic;

using TCopyMode = DWORD;   // a ternary raster operation such as SRCCOPY
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// SaveDC in the constructor, RestoreDC in the destructor: the DC is put back also when the
// painting in between throws.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : FDC(dc), FId(SaveDC(dc)) {}
    ~TSavedDC()
    {
        if (FId) RestoreDC(FDC, FId);
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FId;
};

// Drawing on a device context. The DC is either handed in (SetHandle: someone else owns it
// and must SetHandle(nullptr) before releasing it) or made by a derived class in CreateHandle
// when drawing needs one (the bitmap's memory DC, a control's window DC). Font, Brush and Pen
// are selected into the DC when a drawing call needs them and the DC's own objects are put
// back by SetHandle, Refresh and the destructor.
//
// A canvas used from more than one thread is bracketed by Lock/Unlock (re-entrant).
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The DC; asks CreateHandle for one when none is set (EInvalidOperation if there is none).
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* Font() const { return FFont.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TPen* Pen() const { return FPen.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }
    void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
    void SetPen(const TPen* pen) { FPen->Assign(pen); }

    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return FLockCount; }

    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
    // ETO_ flags that TextOut and TextRect pass to ExtTextOut (ETO_CLIPPED is added by TextRect).
    int TextFlags() const { return FTextFlags; }
    void SetTextFlags(int flags) { FTextFlags = flags; }

    TPoint PenPos();
    void SetPenPos(const TPoint& p) { MoveTo(p.x, p.y); }
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);
    TRect ClipRect();

    // Shapes. Rectangles follow GDI: right and bottom are exclusive for fills.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void RoundRect(const TRect& r, int cx, int cy) { RoundRect(r.left, r.top, r.right, r.bottom, cx, cy); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Polygon(const TPoint* points, int count);
    void Polygon(std::initializer_list<TPoint> points) { Polygon(points.begin(), static_cast<int>(points.size())); }
    void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), static_cast<int>(points.size())); }
    void Polyline(const TPoint* points, int count);
    void Polyline(std::initializer_list<TPoint> points) { Polyline(points.begin(), static_cast<int>(points.size())); }
    void Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), static_cast<int>(points.size())); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // Text in Font, with a Brush-coloured background unless Brush is clear.
    void TextOut(int x, int y, const String& text);
    // Text at (x, y) clipped to r, whose background is filled unless Brush is clear.
    void TextRect(const TRect& r, int x, int y, const String& text);
    // DrawText with DT_ flags; r is updated with DT_CALCRECT. Answers the text height.
    int TextRect(TRect& r, const String& text, UINT dtFlags);
    TSize TextExtent(const String& text);
    int TextWidth(const String& text) { return TextExtent(text).cx; }
    int TextHeight(const String& text) { return TextExtent(text).cy; }

    // Graphics at their own size, or stretched into r.
    void Draw(int x, int y, TGraphic* graphic);
    // With a constant opacity 0..255 on top of the graphic's own alpha.
    void Draw(int x, int y, TGraphic* graphic, uint8_t opacity);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies source's srcRect into dest of this canvas with CopyMode (stretching if needed).
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect);

    // Puts the DC's own objects back; the next drawing call selects Font, Brush, Pen again.
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Called when a DC is needed and none is set; a derived class calls SetHandle in it.
    virtual void CreateHandle() {}
    // Every drawing call announces itself (a bitmap uses it to mark its pixels changed).
    virtual void Changing();
    virtual void Changed();

    enum : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    // Makes sure a DC exists and the requested objects are selected.
    void RequiredState(uint8_t state);
    void DeselectHandles();

private:
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);

    HDC FHandle = nullptr;
    uint8_t FState = 0;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    HGDIOBJ FOldFont = nullptr;
    HGDIOBJ FOldBrush = nullptr;
    HGDIOBJ FOldPen = nullptr;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    int FTextFlags = 0;
    TCriticalSection FLock;
    int FLockCount = 0;
};

// ---- Graphics ------------------------------------------------------------------------------

// An image that can draw itself on a canvas and be read from and written to a stream.
class TGraphic : public TPersistent {
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) { SetSize(width, Height()); }
    virtual void SetHeight(int height) { SetSize(Width(), height); }
    virtual void SetSize(int width, int height) = 0;
    virtual bool Empty() const = 0;
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool on);
    // True for graphics with per-pixel alpha.
    virtual bool SupportsPartialTransparency() const { return false; }

    // Draws the whole graphic into r (stretched when the sizes differ).
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    // The same with an opacity 0..255 applied on top (the default ignores it).
    virtual void DrawTransparent(TCanvas* canvas, const TRect& r, uint8_t opacity);

    // Raise EInvalidGraphic for data they cannot read.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const String& fileName);
    virtual void SaveToFile(const String& fileName);

    // A new empty graphic of the same class (used to copy a picture's graphic).
    virtual std::unique_ptr<TGraphic> NewOfSameClass() const = 0;

    bool Modified() const { return FModified; }
    void SetModified(bool on);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* sender);

private:
    bool FTransparent = false;
    bool FModified = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
using enum TPixelFormat;
enum class TBitmapHandleType { bmDIB, bmDDB };
using enum TBitmapHandleType;
enum class TAlphaFormat { afIgnored, afDefined, afPremultiplied };
using enum TAlphaFormat;
enum class TTransparentMode { tmAuto, tmFixed };
using enum TTransparentMode;

class TBitmapCanvas;
namespace bmpcodec {
struct TDecodedBmp;
}

// A bitmap held as a DIB section: its pixels are addressable through ScanLine. Rows lie
// bottom-up in memory, so code steps from row to row with ScanLine(1) - ScanLine(0).
// pfDevice is taken as 32 bits; bmDDB is accepted and kept as a DIB section.
class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf32bit);
    ~TBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetSize(int width, int height) override;
    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    bool SupportsPartialTransparency() const override;

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Converts the pixels (same size) to the new format.
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType type) { FHandleType = type; }
    TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
    // afIgnored -> afPremultiplied premultiplies the pixels, and the reverse undoes it;
    // afDefined marks straight alpha without touching the pixels.
    void SetAlphaFormat(TAlphaFormat format);
    bool IgnorePalette() const { return FIgnorePalette; }
    void SetIgnorePalette(bool on) { FIgnorePalette = on; }
    bool Monochrome() const { return FPixelFormat == pf1bit; }
    void SetMonochrome(bool on) { SetPixelFormat(on ? pf1bit : pf32bit); }

    // Address of the first byte of row y (0 = top row on screen); ERangeError-like
    // EInvalidGraphicOperation when y is outside the bitmap.
    void* ScanLine(int y);
    // Bytes from one row to the next in memory order (a row's size rounded up to 4 bytes).
    int BytesPerScanLine() const;

    // The canvas over a memory DC that has this bitmap selected.
    TCanvas* Canvas();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The HBITMAP (an empty bitmap makes none and answers nullptr).
    HBITMAP Handle();
    // Takes ownership of a bitmap handle (copied into a DIB section when it is not one).
    void SetHandle(HBITMAP bitmap);
    // Hands the HBITMAP to the caller; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    // Kept for code written against a library that had them: nothing to free here.
    void Dormant() {}
    void FreeImage() {}

    // Transparent drawing skips pixels of TransparentColor: with tmAuto the colour of the
    // bottom-left pixel, with tmFixed the colour set.
    TColor TransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    void Draw(TCanvas* canvas, const TRect& r) override;
    void DrawTransparent(TCanvas* canvas, const TRect& r, uint8_t opacity) override;
    // BMP files: 1, 4, 8, 16, 24 and 32 bits, uncompressed or RLE, and BI_BITFIELDS.
    void LoadFromStream(TStream& stream) override;
    // Writes a BMP file in the bitmap's own format.
    void SaveToStream(TStream& stream) override;
    // A bitmap resource (RT_BITMAP) of a module; EInvalidGraphic when it is not there.
    // Virtual: a derived graphic may keep its data in another resource type.
    virtual void LoadFromResourceName(HINSTANCE instance, const String& name);
    virtual void LoadFromResourceID(HINSTANCE instance, int id);
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TBitmap>(); }

    // From a bitmap: a copy. From an icon: its pixels with straight alpha (afDefined). From
    // another graphic: a 32-bit drawing of it.
    void Assign(const TPersistent* source) override;
    void Assign(const TBitmap& source) { Assign(static_cast<const TPersistent*>(&source)); }

    // Tells the bitmap that its pixels were written through ScanLine (fires OnChange).
    void PixelsChanged() { Changed(this); }

private:
    friend class TBitmapCanvas;
    void Recreate(int width, int height, TPixelFormat format, bool keepPixels);
    void FreeCanvasContext();
    void LoadDecoded(bmpcodec::TDecodedBmp& decoded);
    bool AssignIcon(HICON icon, int width, int height);

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pf32bit;
    TBitmapHandleType FHandleType = bmDIB;
    TAlphaFormat FAlphaFormat = afIgnored;
    bool FIgnorePalette = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    HBITMAP FHandle = nullptr;
    uint8_t* FBits = nullptr;
    std::vector<RGBQUAD> FPalette;   // colour table of 1, 4 and 8-bit bitmaps
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The canvas of a TBitmap: a memory DC made on demand with the bitmap selected.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override;
    // Drops the DC (the bitmap is deselected first); the next drawing call makes a new one.
    void FreeContext();

protected:
    void CreateHandle() override;
    void Changing() override;
    void Changed() override;

private:
    TBitmap* FBitmap;
    HDC FMemDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};

// An icon (HICON). Loaded from a .ico file it keeps the file's bytes for SaveToStream and uses
// the image that fits the requested size best (SetSize before loading; the system icon size
// by default), with the most colours.
class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Before loading: the size to pick from a multi-image file. With a handle: EInvalidGraphicOperation.
    void SetSize(int width, int height) override;
    bool Empty() const override { return FHandle == nullptr; }
    bool SupportsPartialTransparency() const override { return true; }

    HICON Handle() const { return FHandle; }
    // Takes ownership of the icon.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    void Draw(TCanvas* canvas, const TRect& r) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TIcon>(); }
    void Assign(const TPersistent* source) override;

private:
    void Clear();
    HICON FHandle = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    int FRequestedWidth = 0;
    int FRequestedHeight = 0;
    std::vector<uint8_t> FData;   // the .ico file it came from, if any
};

// Makes a new graphic of a registered format.
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// Holds one graphic of any registered class. LoadFromFile picks the class from the file
// extension; LoadFromStream from the data's first bytes.
class TPicture : public TPersistent {
public:
    TPicture() = default;
    ~TPicture() override;

    // Registers a format: ext without dot ("png"), a description for file dialogs, the
    // factory, and optionally the bytes a stream of this format starts with.
    static void RegisterFileFormat(const String& ext, const String& description, TGraphicFactory factory,
                                   std::vector<uint8_t> signature = {});
    static void UnregisterFileFormat(const String& ext);
    // "Bitmaps (*.bmp)|*.bmp|..." for open dialogs.
    static String GraphicFilter();

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Stores a copy of graphic (nullptr: empty).
    void SetGraphic(const TGraphic* graphic);
    // Takes ownership of graphic.
    void AdoptGraphic(std::unique_ptr<TGraphic> graphic);
    // The graphic as a bitmap or icon; an empty one of that class replaces a graphic of
    // another class.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // EInvalidGraphic "Unknown picture file extension (.xyz)" for an unregistered extension.
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);
    // EInvalidGraphic when no registered signature matches.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);

    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void GraphicChanged(TObject* sender);
    void Changed();
    std::unique_ptr<TGraphic> FGraphic;
};
