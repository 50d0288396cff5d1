// Colours, rectangles, font/brush/pen and the canvas.
#include "vcl/graphics.h"

#include <algorithm>
#include <cwchar>

// ---- Colours -------------------------------------------------------------------------------

TColor ColorToRGB(TColor color)
{
    uint32_t v = static_cast<uint32_t>(color);
    if ((v & 0xFF000000u) == 0xFF000000u) return static_cast<TColor>(GetSysColor(static_cast<int>(v & 0xFF)));
    return color;
}

namespace {
struct TColorName {
    TColor color;
    const wchar_t* name;
};
// Named colours in the order ColorToString looks them up (first name of a value wins).
const TColorName kColorNames[] = {
    {clBlack, L"clBlack"}, {clMaroon, L"clMaroon"}, {clGreen, L"clGreen"}, {clOlive, L"clOlive"},
    {clNavy, L"clNavy"}, {clPurple, L"clPurple"}, {clTeal, L"clTeal"}, {clGray, L"clGray"},
    {clSilver, L"clSilver"}, {clRed, L"clRed"}, {clLime, L"clLime"}, {clYellow, L"clYellow"},
    {clBlue, L"clBlue"}, {clFuchsia, L"clFuchsia"}, {clAqua, L"clAqua"}, {clWhite, L"clWhite"},
    {clMoneyGreen, L"clMoneyGreen"}, {clSkyBlue, L"clSkyBlue"}, {clCream, L"clCream"},
    {clMedGray, L"clMedGray"}, {clNone, L"clNone"}, {clDefault, L"clDefault"},
    {clScrollBar, L"clScrollBar"}, {clBackground, L"clBackground"}, {clActiveCaption, L"clActiveCaption"},
    {clInactiveCaption, L"clInactiveCaption"}, {clMenu, L"clMenu"}, {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"}, {clMenuText, L"clMenuText"}, {clWindowText, L"clWindowText"},
    {clCaptionText, L"clCaptionText"}, {clActiveBorder, L"clActiveBorder"},
    {clInactiveBorder, L"clInactiveBorder"}, {clAppWorkSpace, L"clAppWorkSpace"},
    {clHighlight, L"clHighlight"}, {clHighlightText, L"clHighlightText"}, {clBtnFace, L"clBtnFace"},
    {clBtnShadow, L"clBtnShadow"}, {clGrayText, L"clGrayText"}, {clBtnText, L"clBtnText"},
    {clInactiveCaptionText, L"clInactiveCaptionText"}, {clBtnHighlight, L"clBtnHighlight"},
    {cl3DDkShadow, L"cl3DDkShadow"}, {cl3DLight, L"cl3DLight"}, {clInfoText, L"clInfoText"},
    {clInfoBk, L"clInfoBk"}, {clHotLight, L"clHotLight"},
    {clGradientActiveCaption, L"clGradientActiveCaption"},
    {clGradientInactiveCaption, L"clGradientInactiveCaption"}, {clMenuHighlight, L"clMenuHighlight"},
    {clMenuBar, L"clMenuBar"},
};
}  // namespace

String ColorToString(TColor color)
{
    for (const auto& n : kColorNames)
        if (n.color == color) return n.name;
    return L"$" + IntToHex(static_cast<uint32_t>(color), 8);
}

TColor StringToColor(const String& s)
{
    for (const auto& n : kColorNames)
        if (SameText(s, n.name)) return n.color;
    int64_t v = 0;
    if (!TryStrToInt64(s, v)) throw EConvertError(L"'" + s + L"' is not a valid colour");
    return static_cast<TColor>(static_cast<uint32_t>(v));
}

// ---- Geometry ------------------------------------------------------------------------------

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

// ---- TGraphicsObject -----------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject()
{
    DropHandle();
}

void TGraphicsObject::SetCachedHandle(HGDIOBJ h, bool owned)
{
    DropHandle();
    FHandle = h;
    FOwnsHandle = owned;
}

void TGraphicsObject::DropHandle()
{
    if (FHandle && FOwnsHandle) DeleteObject(FHandle);
    FHandle = nullptr;
    FOwnsHandle = false;
}

void TGraphicsObject::Changed()
{
    // Detach first, tell the owner (which deselects it from its DC), then delete.
    HGDIOBJ old = FHandle;
    bool owned = FOwnsHandle;
    FHandle = nullptr;
    FOwnsHandle = false;
    if (OnChange) OnChange(this);
    if (old && owned) DeleteObject(old);
}

// ---- TFont ---------------------------------------------------------------------------------

TFont::TFont() : FName(L"Tahoma"), FPixelsPerInch(ScreenPixelsPerInch())
{
    FHeight = -MulDiv(8, FPixelsPerInch, 72);
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(int pixels)
{
    if (FHeight == pixels) return;
    FHeight = pixels;
    Changed();
}

void TFont::SetName(const String& name)
{
    if (name.empty() || FName == name) return;
    FName = name.substr(0, LF_FACESIZE - 1);
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (FStyle == style) return;
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (FColor == color) return;
    // The colour is not part of the HFONT: keep the handle, only tell the owner.
    FColor = color;
    if (OnChange) OnChange(this);
}

void TFont::SetCharset(TFontCharset charset)
{
    if (FCharset == charset) return;
    FCharset = charset;
    Changed();
}

void TFont::SetQuality(TFontQuality quality)
{
    if (FQuality == quality) return;
    FQuality = quality;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (FPitch == pitch) return;
    FPitch = pitch;
    Changed();
}

void TFont::SetOrientation(int tenths)
{
    if (FOrientation == tenths) return;
    FOrientation = tenths;
    Changed();
}

LOGFONTW TFont::LogFont() const
{
    static const BYTE kQuality[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY, NONANTIALIASED_QUALITY,
                                    ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, CLEARTYPE_NATURAL_QUALITY};
    static const BYTE kPitch[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = kQuality[static_cast<int>(FQuality)];
    lf.lfPitchAndFamily = kPitch[static_cast<int>(FPitch)];
    wcsncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT TFont::Handle()
{
    if (!CachedHandle()) {
        LOGFONTW lf = LogFont();
        HFONT f = CreateFontIndirectW(&lf);
        if (!f) throw EOutOfResources(L"Cannot create font \"" + FName + L"\"");
        SetCachedHandle(f, true);
    }
    return static_cast<HFONT>(CachedHandle());
}

void TFont::SetHandle(HFONT font)
{
    LOGFONTW lf{};
    if (!font || GetObjectW(font, sizeof lf, &lf) == 0) throw EInvalidGraphicOperation(L"Invalid font handle");
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FOrientation = lf.lfEscapement;
    FCharset = lf.lfCharSet;
    FStyle = TFontStyles();
    if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
    if (lf.lfItalic) FStyle.Include(fsItalic);
    if (lf.lfUnderline) FStyle.Include(fsUnderline);
    if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
    switch (lf.lfQuality) {
    case DRAFT_QUALITY: FQuality = TFontQuality::fqDraft; break;
    case PROOF_QUALITY: FQuality = TFontQuality::fqProof; break;
    case NONANTIALIASED_QUALITY: FQuality = TFontQuality::fqNonAntialiased; break;
    case ANTIALIASED_QUALITY: FQuality = TFontQuality::fqAntialiased; break;
    case CLEARTYPE_QUALITY: FQuality = TFontQuality::fqClearType; break;
    case CLEARTYPE_NATURAL_QUALITY: FQuality = TFontQuality::fqClearTypeNatural; break;
    default: FQuality = TFontQuality::fqDefault; break;
    }
    switch (lf.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH: FPitch = TFontPitch::fpVariable; break;
    case FIXED_PITCH: FPitch = TFontPitch::fpFixed; break;
    default: FPitch = TFontPitch::fpDefault; break;
    }
    Changed();
}

void TFont::Assign(const TPersistent* source)
{
    auto* f = dynamic_cast<const TFont*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    if (f == this) return;
    FName = f->FName;
    // Same point size at this font's resolution, as the library does when it copies fonts.
    FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight : -MulDiv(f->Size(), FPixelsPerInch, 72);
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FQuality = f->FQuality;
    FPitch = f->FPitch;
    FOrientation = f->FOrientation;
    Changed();
}

// ---- TBrush --------------------------------------------------------------------------------

TBrush::~TBrush() = default;

void TBrush::SetColor(TColor color)
{
    if (FColor == color && FStyle != bsClear) return;
    FColor = color;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (FStyle == style) return;
    FStyle = style;
    Changed();
}

void TBrush::SetBitmap(const TBitmap* bitmap)
{
    if (bitmap && !bitmap->Empty()) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(bitmap);
        FBitmap = std::move(copy);
    } else {
        FBitmap.reset();
    }
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (!CachedHandle()) {
        HBRUSH b = nullptr;
        bool owned = true;
        if (FBitmap) {
            b = CreatePatternBrush(FBitmap->Handle());
        } else if (FStyle == bsClear) {
            b = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
            owned = false;
        } else if (FStyle == bsSolid) {
            b = CreateSolidBrush(ColorToColorRef(FColor));
        } else {
            static const int kHatch[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
            b = CreateHatchBrush(kHatch[static_cast<int>(FStyle)], ColorToColorRef(FColor));
        }
        if (!b) throw EOutOfResources(L"Cannot create brush");
        SetCachedHandle(b, owned);
    }
    return static_cast<HBRUSH>(CachedHandle());
}

void TBrush::Assign(const TPersistent* source)
{
    auto* b = dynamic_cast<const TBrush*>(source);
    if (!b) {
        TPersistent::Assign(source);
        return;
    }
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    if (b->FBitmap) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(b->FBitmap.get());
        FBitmap = std::move(copy);
    } else {
        FBitmap.reset();
    }
    Changed();
}

// ---- TPen ----------------------------------------------------------------------------------

void TPen::SetColor(TColor color)
{
    if (FColor == color) return;
    FColor = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 0) width = 0;
    if (FWidth == width) return;
    FWidth = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (FStyle == style) return;
    FStyle = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (FMode == mode) return;
    FMode = mode;
    // The handle stays valid; the owner re-applies the raster operation.
    if (OnChange) OnChange(this);
}

int TPen::Rop2() const
{
    static const int kRop[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                               R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                               R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
    return kRop[static_cast<int>(FMode)];
}

HPEN TPen::Handle()
{
    if (!CachedHandle()) {
        HPEN p = nullptr;
        bool owned = true;
        if (FStyle == psClear) {
            p = static_cast<HPEN>(GetStockObject(NULL_PEN));
            owned = false;
        } else {
            static const int kStyle[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
            p = CreatePen(kStyle[static_cast<int>(FStyle)], FWidth, ColorToColorRef(FColor));
        }
        if (!p) throw EOutOfResources(L"Cannot create pen");
        SetCachedHandle(p, owned);
    }
    return static_cast<HPEN>(CachedHandle());
}

void TPen::Assign(const TPersistent* source)
{
    auto* p = dynamic_cast<const TPen*>(source);
    if (!p) {
        TPersistent::Assign(source);
        return;
    }
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
}

// ---- TCanvas -------------------------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>())
{
    FFont->OnChange = Bind<&TCanvas::FontChanged>(this);
    FBrush->OnChange = Bind<&TCanvas::BrushChanged>(this);
    FPen->OnChange = Bind<&TCanvas::PenChanged>(this);
}

TCanvas::~TCanvas()
{
    // A derived class's destructor has released its own DC already; a DC handed in is the
    // caller's, but our objects must not stay selected in it.
    DeselectHandles();
    FHandle = nullptr;
}

HDC TCanvas::Handle()
{
    RequiredState(csHandleValid);
    return FHandle;
}

void TCanvas::SetHandle(HDC dc)
{
    if (FHandle == dc) return;
    if (FHandle) {
        DeselectHandles();
        FHandle = nullptr;
        FState = 0;
    }
    if (dc) {
        FHandle = dc;
        FState = csHandleValid;
        // Keep the pen position we had: the new DC starts where the last one ended.
        MoveToEx(dc, FPenPos.x, FPenPos.y, nullptr);
    }
}

void TCanvas::DeselectHandles()
{
    if (!FHandle) return;
    if (FState & csFontValid) SelectObject(FHandle, FOldFont);
    if (FState & csPenValid) SelectObject(FHandle, FOldPen);
    if (FState & csBrushValid) SelectObject(FHandle, FOldBrush);
    FOldFont = FOldPen = FOldBrush = nullptr;
    FState &= static_cast<uint8_t>(~(csFontValid | csPenValid | csBrushValid));
}

void TCanvas::RequiredState(uint8_t state)
{
    if (!FHandle) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation(L"Canvas does not allow drawing");
    }
    uint8_t needed = static_cast<uint8_t>(state & ~FState);
    if (needed & csFontValid) {
        HGDIOBJ old = SelectObject(FHandle, FFont->Handle());
        FOldFont = old;
        SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
        FState |= csFontValid;
    }
    if (needed & csPenValid) {
        FOldPen = SelectObject(FHandle, FPen->Handle());
        SetROP2(FHandle, FPen->Rop2());
        FState |= csPenValid;
    }
    if (needed & csBrushValid) {
        FOldBrush = SelectObject(FHandle, FBrush->Handle());
        // Hatches and the gaps of styled pens show the brush colour, or nothing when clear.
        SetBkColor(FHandle, ColorToColorRef(FBrush->Color()));
        SetBkMode(FHandle, FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE);
        FState |= csBrushValid;
    }
}

void TCanvas::FontChanged(TObject*)
{
    if (FHandle && (FState & csFontValid)) {
        SelectObject(FHandle, FOldFont);
        FOldFont = nullptr;
        FState &= static_cast<uint8_t>(~csFontValid);
    }
}

void TCanvas::PenChanged(TObject*)
{
    if (FHandle && (FState & csPenValid)) {
        SelectObject(FHandle, FOldPen);
        FOldPen = nullptr;
        FState &= static_cast<uint8_t>(~csPenValid);
    }
}

void TCanvas::BrushChanged(TObject*)
{
    if (FHandle && (FState & csBrushValid)) {
        SelectObject(FHandle, FOldBrush);
        FOldBrush = nullptr;
        FState &= static_cast<uint8_t>(~csBrushValid);
    }
}

void TCanvas::Refresh()
{
    DeselectHandles();
}

void TCanvas::Lock()
{
    FLock.Enter();
    ++FLockCount;
}

void TCanvas::Unlock()
{
    --FLockCount;
    FLock.Leave();
}

bool TCanvas::TryLock()
{
    if (!FLock.TryEnter()) return false;
    ++FLockCount;
    return true;
}

void TCanvas::Changing()
{
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos()
{
    if (FHandle) {
        POINT p;
        if (GetCurrentPositionEx(FHandle, &p)) FPenPos = p;
    }
    return FPenPos;
}

TColor TCanvas::Pixels(int x, int y)
{
    RequiredState(csHandleValid);
    COLORREF c = GetPixel(FHandle, x, y);
    return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    Changing();
    RequiredState(csHandleValid);
    SetPixelV(FHandle, x, y, ColorToColorRef(color));
    Changed();
}

TRect TCanvas::ClipRect()
{
    RequiredState(csHandleValid);
    RECT r{};
    GetClipBox(FHandle, &r);
    return r;
}

void TCanvas::FillRect(const TRect& r)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(FHandle, &r, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(FHandle, &r, FBrush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::DrawFocusRect(FHandle, &r);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Changing();
    RequiredState(csHandleValid | csPenValid);
    ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}

void TCanvas::Polygon(const TPoint* points, int count)
{
    if (count <= 0) return;
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polygon(FHandle, points, count);
    Changed();
}

void TCanvas::Polyline(const TPoint* points, int count)
{
    if (count <= 0) return;
    Changing();
    RequiredState(csHandleValid | csPenValid);
    ::Polyline(FHandle, points, count);
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    FPenPos = TPoint(x, y);
    if (FHandle || (CreateHandle(), FHandle)) MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(FHandle, x, y);
    FPenPos = TPoint(x, y);
    Changed();
}

void TCanvas::TextOut(int x, int y, const String& text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT flags = static_cast<UINT>(FTextFlags);
    if (FBrush->Style() != bsClear) flags |= ETO_OPAQUE;
    ExtTextOutW(FHandle, x, y, flags & ~ETO_CLIPPED, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    // Leave the pen after the text, as a running text position.
    SIZE sz{};
    GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &sz);
    MoveTo(x + sz.cx, y);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT flags = static_cast<UINT>(FTextFlags) | ETO_CLIPPED;
    if (FBrush->Style() != bsClear) flags |= ETO_OPAQUE;
    ExtTextOutW(FHandle, x, y, flags, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

int TCanvas::TextRect(TRect& r, const String& text, UINT dtFlags)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    int h = DrawTextW(FHandle, text.c_str(), static_cast<int>(text.size()), &r, dtFlags);
    Changed();
    return h;
}

TSize TCanvas::TextExtent(const String& text)
{
    RequiredState(csHandleValid | csFontValid);
    SIZE sz{};
    GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &sz);
    return sz;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic, uint8_t opacity)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->DrawTransparent(this, Bounds(x, y, graphic->Width(), graphic->Height()), opacity);
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect)
{
    if (!source) return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    HDC src = source->Handle();
    if (dest.Width() == srcRect.Width() && dest.Height() == srcRect.Height()) {
        BitBlt(FHandle, dest.left, dest.top, dest.Width(), dest.Height(), src, srcRect.left, srcRect.top, FCopyMode);
    } else {
        int oldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
        StretchBlt(FHandle, dest.left, dest.top, dest.Width(), dest.Height(), src, srcRect.left, srcRect.top,
                   srcRect.Width(), srcRect.Height(), FCopyMode);
        SetStretchBltMode(FHandle, oldMode);
    }
    Changed();
}
