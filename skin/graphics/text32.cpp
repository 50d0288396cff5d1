#include "skin/graphics/text32.h"

#include <algorithm>
#include <array>
#include <memory>

#include "skin/engine/core/shared_settings.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/paint32.h"
#include "vcl/controls.h"

HDC FontDC(TCanvas* canvas)
{
    // Measuring selects the font and its colour.
    canvas->TextExtent(String());
    return canvas->Handle();
}

namespace {

constexpr int TextLimit = 5460;

// The screen DC with a font selected, both given back on every exit.
class TScreenFont {
public:
    explicit TScreenFont(HFONT font) : FDC(GetDC(nullptr))
    {
        if (FDC && font) FOld = SelectObject(FDC, font);
    }
    ~TScreenFont()
    {
        if (FDC && FOld) SelectObject(FDC, FOld);
        if (FDC) ReleaseDC(nullptr, FDC);
    }
    TScreenFont(const TScreenFont&) = delete;
    TScreenFont& operator=(const TScreenFont&) = delete;
    HDC DC() const { return FDC; }

private:
    HDC FDC;
    HGDIOBJ FOld = nullptr;
};

void DrawAt(HDC dc, const String& text, TRect r, UINT format, int dx, int dy)
{
    r.Offset(dx, dy);
    DrawTextLimited(dc, text, r, format);
}

// The one-pixel contours of a font colour in drawing order: left, up, right, down (-1 = none).
struct TContour {
    TColor Color;
    int Dx, Dy;
};
std::array<TContour, 4> ContoursOf(const TsFontColor& f)
{
    return {{{f.Left, -1, 0}, {f.Top, 0, -1}, {f.Right, 1, 0}, {f.Bottom, 0, 1}}};
}

// The four contours (left, up, right, down) of a font colour that are set, then the text.
void DrawWithContours(HDC dc, const String& text, const TRect& r, UINT format, const TsFontColor& f,
                      TColor (*adjust)(TColor, const void*), const void* context)
{
    for (const TContour& c : ContoursOf(f)) {
        if (c.Color == -1) continue;
        SetTextColor(dc, ColorToColorRef(adjust(c.Color, context)));
        DrawAt(dc, text, r, format, c.Dx, c.Dy);
    }
    SetTextColor(dc, ColorToColorRef(adjust(f.Color, context)));
    DrawAt(dc, text, r, format, 0, 0);
}

TColor AsIs(TColor c, const void*) { return c; }
TColor ByLink(TColor c, const void* link) { return AdjustTextColor(c, static_cast<const TacLinkPaintSource*>(link)); }

// The section of a manager's unscaled data, or nil.
const TsGeneralData* UnscaledSection(const TsSkinManager* manager, int skinIndex)
{
    const TacSkinPaintSource* skin = SkinPaintSourceOf(manager);
    if (!skin || !skin->IsValidSkinIndex(skinIndex)) return nullptr;
    const TacSkinPaintSource* unscaled = skin->UnscaledData();
    if (!unscaled || !unscaled->IsValidSkinIndex(skinIndex)) return nullptr;
    return &unscaled->Section(skinIndex);
}

}  // namespace

// ---- plain text, measuring and fonts -------------------------------------------------------------

int DrawTextLimited(HDC dc, const String& text, TRect& r, UINT format)
{
    RECT rc = r;
    const int result = DrawTextW(dc, text.c_str(), int(std::min<size_t>(text.size(), TextLimit)), &rc, format);
    r = rc;
    return result;
}

void DrawTextOnCanvas(TCanvas* canvas, const wchar_t* text, bool, TRect r, UINT format)
{
    if (!canvas || !text) return;
    RECT rc = r;
    DrawTextW(FontDC(canvas), text, int(wcslen(text)), &rc, format);
}

int TCanvasTextMeasurer::TextWidth(const String& text) const
{
    return FCanvas ? FCanvas->TextExtent(text).cx : 0;
}

void CutTextToWidth(TCanvas* canvas, const String& text, int maxWidth, String& result)
{
    result = CutTextToWidth(TCanvasTextMeasurer(canvas), text, maxWidth);
}

int TextWidthOf(TCanvas* canvas, const String& text) { return canvas ? canvas->TextExtent(text).cx : 0; }
int TextHeightOf(TCanvas* canvas, const String& text) { return canvas ? canvas->TextExtent(text).cy : 0; }
void TextSizeOf(TCanvas* canvas, const String& text, TSize& size) { size = canvas ? canvas->TextExtent(text) : TSize(); }

void CanvasTextRect(TCanvas* canvas, const TRect& r, int x, int y, const String& text)
{
    if (canvas) canvas->TextRect(r, x, y, text);
}

bool GetTextSize(HDC dc, const String& text, TSize& size, HFONT font)
{
    SIZE s{};
    bool ok;
    if (dc) {
        ok = GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &s) != FALSE;
    } else {
        TScreenFont screen(font);
        ok = screen.DC() && GetTextExtentPoint32W(screen.DC(), text.c_str(), int(text.size()), &s) != FALSE;
    }
    size = TSize(s.cx, s.cy);
    return ok;
}

void MeasureText(HFONT font, const String& text, UINT format, bool byDrawText, int maxWidth, bool addWidthOfI,
                 TSize& size)
{
    TScreenFont screen(font);
    size = TSize();
    if (!screen.DC()) return;
    if (byDrawText) {
        TRect r(0, 0, maxWidth, 0);
        DrawTextLimited(screen.DC(), text, r, format | DT_CALCRECT);
        size = TSize(std::max<int>(r.Width(), 0), std::max<int>(r.Height(), 0));
    } else {
        SIZE s{};
        if (GetTextExtentPoint32W(screen.DC(), text.c_str(), int(text.size()), &s)) size = TSize(s.cx, s.cy);
    }
    if (addWidthOfI) {
        SIZE i{};
        if (GetTextExtentPoint32W(screen.DC(), L"I", 1, &i)) size.cx += i.cx;
    }
}

int GetFontTextHeight(HFONT font, bool tight)
{
    TScreenFont screen(font);
    TEXTMETRICW tm{};
    if (!screen.DC() || !GetTextMetricsW(screen.DC(), &tm)) return 0;
    return tight ? tm.tmHeight - tm.tmInternalLeading - tm.tmExternalLeading : tm.tmHeight + 6;
}

bool FontsEqual(const TFont* font1, const TFont* font2)
{
    if (!font1 || !font2) return font1 == font2;
    return font1->Style() == font2->Style() && font1->Size() == font2->Size() && font1->Color() == font2->Color() &&
           font1->Name() == font2->Name();
}

HFONT CreateAngledFont(HDC dc, TFont* font, int angle)
{
    if (!dc || !font) return nullptr;
    LOGFONTW lf{};
    lf.lfHeight = font->Height();
    lf.lfEscapement = lf.lfOrientation = angle;
    lf.lfWeight = font->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font->Style().Contains(fsItalic);
    lf.lfUnderline = font->Style().Contains(fsUnderline);
    lf.lfStrikeOut = font->Style().Contains(fsStrikeOut);
    lf.lfCharSet = font->Charset();
    const BYTE qualities[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY, NONANTIALIASED_QUALITY,
                              ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, CLEARTYPE_NATURAL_QUALITY};
    const BYTE quality = qualities[int(font->Quality())];
    lf.lfQuality = quality == DEFAULT_QUALITY ? ANTIALIASED_QUALITY : quality;
    const String name = font->Name() == L"MS Sans Serif" ? String(L"Arial") : font->Name();
    wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    HFONT created = CreateFontIndirectW(&lf);
    if (!created) return nullptr;
    SetTextColor(dc, ColorToColorRef(font->Color()));
    return static_cast<HFONT>(SelectObject(dc, created));
}

void RestoreAngledFont(HDC dc, HFONT previous)
{
    if (!dc || !previous) return;
    HGDIOBJ angled = SelectObject(dc, previous);
    if (angled && angled != previous) DeleteObject(angled);
}

void ExcludeChildControls(HDC dc, TWinControl* parent, int offsetX, int offsetY)
{
    if (!dc || !parent) return;
    const TacSkinPaintSource* skin = SkinPaintSourceOf(nullptr);
    const bool clipGraphic = skin && !skin->StdImgTransparency();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c || !c->Visible()) continue;
        const bool graphic = dynamic_cast<TWinControl*>(c) == nullptr;
        if (graphic && !clipGraphic) continue;
        ExcludeClipRect(dc, offsetX + c->Left(), offsetY + c->Top(), offsetX + c->Left() + c->Width(),
                        offsetY + c->Top() + c->Height());
    }
}

// ---- glow -------------------------------------------------------------------------------------

namespace {

// The blurred mask of a text's glow, rendered in Font; kept while its size fits. Answers the
// mask's top-left in the destination.
TPoint RenderGlowMask(TFont* font, const String& text, const TRect& r, UINT format, int flags, int radius, TByteImage& mask)
{
    TRect t = r;
    t.Offset(1, 1);
    const int margin = radius + 4;
    const int mw = t.Width() + 2 * margin, mh = t.Height() + 2 * margin;
    const TPoint origin(t.left - margin, t.top - margin);
    if (mw <= 0 || mh <= 0) {
        mask.Resize(0, 0);
        return origin;
    }
    if (mask.Width() == mw && mask.Height() == mh) return origin;
    // Black text on white, shifted one pixel in the asked directions, then blurred.
    std::unique_ptr<TBitmap> plate(NewBitmap32(mw, mh));
    TCanvas* c = plate->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, mw, mh));
    if (font) c->SetFont(font);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    HDC dc = FontDC(c);
    SetBkMode(dc, TRANSPARENT);
    const TRect p(margin, margin, t.Width() + margin, t.Height() + margin);
    const int shifts[4][3] = {{1, -1, 0}, {2, 0, -1}, {4, 1, 0}, {8, 0, 1}};
    for (const auto& s : shifts)
        if (flags & s[0]) DrawAt(dc, text, p, format, s[1], s[2]);
    DrawAt(dc, text, p, format, 0, 0);
    GdiFlush();
    mask.Resize(mw, mh);
    const TPixelView pixels = BitmapView(plate.get());
    for (int y = 0; y < mh; ++y)
        for (int x = 0; x < mw; ++x) mask.At(x, y) = uint8_t((pixels.At(x, y) >> 8) & 0xFF);
    BlurMask8(mask.Plane(), radius);
    return origin;
}

}  // namespace

void DrawTextGlow32(TBitmap* dest, const String& text, const TRect& r, UINT format, int flags, int radius, TColor color,
                    TByteImage& mask)
{
    if (!dest || radius < 1) return;
    const TPoint origin = RenderGlowMask(dest->Canvas()->Font(), text, r, format, flags, radius, mask);
    ComposeGlowMask32(BitmapView(dest), mask.Plane(), origin, ColorToRGB(color));
}

void BlurMask8(TBitmap* bitmap8, int radius)
{
    BlurMask8(BitmapPlane8(bitmap8), radius);
}

// ---- text with alpha and in skin colours ---------------------------------------------------------

void DrawAlphaText32(TBitmap* bitmap, const String& text, int mode, const TRect& r, UINT format, TColor color,
                     bool plainDrawText)
{
    if (!bitmap || text.empty() || r.IsEmpty()) return;
    std::unique_ptr<TBitmap> plate(NewBitmap32(r.Width(), r.Height()));
    TCanvas* c = plate->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, r.Width(), r.Height()));
    c->SetFont(bitmap->Canvas()->Font());
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    HDC dc = FontDC(c);
    SetBkMode(dc, TRANSPARENT);
    TRect all(0, 0, r.Width(), r.Height());
    if (plainDrawText) {
        RECT rc = all;
        DrawTextW(dc, text.c_str(), int(text.size()), &rc, format);
    } else {
        DrawTextLimited(dc, text, all, format);
    }
    GdiFlush();
    ComposeTextMask32(BitmapView(bitmap), BitmapView(plate.get()), r, ColorToRGB(color), mode);
}

int SectionTextState(const TsGeneralData& section, int state)
{
    return std::clamp(state, 0, std::max(0, std::min(section.States, 3) - 1));
}

void DrawSkinText32(TBitmap* bitmap, const String& text, int mode, const TRect& r, UINT format, int skinIndex, int state,
                    const TsSkinManager* manager)
{
    if (!bitmap || text.empty() || r.IsEmpty()) return;
    const TsGeneralData* section = UnscaledSection(manager, skinIndex);
    if (!section) {
        DrawAlphaText32(bitmap, text, mode, r, format, bitmap->Canvas()->Font()->Color(), false);
        return;
    }
    const TsFontColor& f = section->Props[size_t(SectionTextState(*section, state))].FontColor;
    if (mode != 0)
        for (const TContour& c : ContoursOf(f)) {
            if (c.Color == -1) continue;
            TRect moved = r;
            moved.Offset(c.Dx, c.Dy);
            DrawAlphaText32(bitmap, text, 1, moved, format, c.Color, false);
        }
    DrawAlphaText32(bitmap, text, mode, r, format, f.Color, false);
}

void WriteSectionText(TCanvas* canvas, const String& text, bool enabled, const TRect& r, UINT format, int skinIndex,
                      int state, const TsSkinManager* manager)
{
    if (!canvas || text.empty()) return;
    HDC dc = FontDC(canvas);
    SetBkMode(dc, TRANSPARENT);
    const TsGeneralData* section = UnscaledSection(manager, skinIndex);
    if (!section) {
        DrawAt(dc, text, r, format, 0, 0);
        return;
    }
    if (enabled) {
        DrawWithContours(dc, text, r, format, section->Props[size_t(SectionTextState(*section, state))].FontColor, AsIs,
                         nullptr);
        return;
    }
    canvas->Font()->SetColor(
        TColor(MixColors(uint32_t(section->Props[0].FontColor.Color), uint32_t(section->Props[0].Color), SharedBlendValue)));
    DrawAt(FontDC(canvas), text, r, format, 0, 0);
}

TColor AdjustTextColor(TColor color, const TacLinkPaintSource* link)
{
    if (!link) return ColorToRGB(color);
    const TColor tone = link->ColorTone() == clNone ? clNone : ColorToRGB(link->ColorTone());
    return ColorToRGB(AdjustTextColorRGB(ColorToRGB(color), tone, link->HueOffset(), link->Saturation()));
}

void WriteSkinDataText(TCanvas* canvas, const String& text, bool enabled, const TRect& r, UINT format,
                       const TacLinkPaintSource* link, int state, bool allowGlow)
{
    if (!canvas || text.empty()) return;
    const TacSkinPaintSource* skin = link ? link->SkinData() : nullptr;
    const bool skinned = link && skin && link->Skinned();
    if (state != 0 && skinned && link->SkinIndex() >= 0 && link->SkinIndex() == skin->ConstSectionIndex(ssWebBtn))
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsUnderline});
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = FontDC(canvas);
    TSavedDC saved(dc);
    auto plain = [&] {
        HDC pd = FontDC(canvas);
        if (enabled) {
            DrawAt(pd, text, r, format, 0, 0);
            return;
        }
        canvas->Font()->SetColor(clBtnHighlight);
        DrawAt(FontDC(canvas), text, r, format, 1, 1);
        canvas->Font()->SetColor(clBtnShadow);
        DrawAt(FontDC(canvas), text, r, format, 0, 0);
    };
    if (!skinned || link->CustomFont()) {
        plain();
        return;
    }
    int index = link->SkinIndex();
    if (link->OwnerHasParent()) {
        for (int s = ssMenuItem; s <= ssButton; ++s)
            if (index >= 0 && index == skin->ConstSectionIndex(TacSection(s))) {
                index = link->SectionBehind(state);
                break;
            }
        if (index < 0) {
            canvas->Font()->SetColor(link->ParentFontColor());
            plain();
            return;
        }
    }
    if (!skin->IsValidSkinIndex(index)) {
        DrawAt(FontDC(canvas), text, r, format, 0, 0);
        return;
    }
    const TsGeneralData& section = skin->Section(index);
    const TsGenState& s = section.Props[size_t(SectionTextState(section, state))];
    const TPixelView cache = link->CacheBitmap();
    if (allowGlow && !cache.IsNull() && s.GlowSize > 0) {
        // The glow goes straight into the cache's pixels, around the text in its font.
        TByteImage mask;
        const TPoint origin = RenderGlowMask(canvas->Font(), text, r, format, 15, s.GlowSize, mask);
        ComposeGlowMask32(cache, mask.Plane(), origin, AdjustTextColor(s.GlowColor, link));
    }
    HDC td = FontDC(canvas);
    SetBkMode(td, TRANSPARENT);
    if (enabled) {
        DrawWithContours(td, text, r, format, s.FontColor, ByLink, link);
        return;
    }
    canvas->Font()->SetColor(AdjustTextColor(
        TColor(MixColors(uint32_t(ColorToRGB(s.FontColor.Color)), uint32_t(skin->GlobalColor()), SharedBlendValue)), link));
    DrawAt(FontDC(canvas), text, r, format, 0, 0);
}
