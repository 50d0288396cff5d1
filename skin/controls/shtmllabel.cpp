#include "skin/controls/shtmllabel.h"

#include <shellapi.h>

#include <utility>
#include <vector>

#include "skin/controls/sboundlabel.h"
#include "skin/engine/common_data.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "vcl/forms.h"

namespace {

// Measures and draws the mark-up's runs with GDI on one device context. Fonts are made from the
// label's font with the run's size, face and styles, and kept until the drawing ends.
class TacGdiHtmlAdapter : public TacHtmlMeasurer, public TacHtmlSink {
public:
    TacGdiHtmlAdapter(HDC dc, TFont* base) : FDC(dc), FPpi(base->PixelsPerInch())
    {
        GetObjectW(base->Handle(), sizeof(FBase), &FBase);
        FSaved = SelectObject(dc, base->Handle());
    }
    ~TacGdiHtmlAdapter() override
    {
        SelectObject(FDC, FSaved);
        for (auto& f : FFonts) DeleteObject(f.second);
    }
    TacGdiHtmlAdapter(const TacGdiHtmlAdapter&) = delete;
    TacGdiHtmlAdapter& operator=(const TacGdiHtmlAdapter&) = delete;

    TSize TextExtent(const TacHtmlFont& font, StringView text) override
    {
        Select(font);
        SIZE s{};
        if (!text.empty()) GetTextExtentPoint32W(FDC, text.data(), int(text.size()), &s);
        else {
            TEXTMETRICW tm{};
            GetTextMetricsW(FDC, &tm);
            s.cy = tm.tmHeight;
        }
        return TSize(int(s.cx), int(s.cy));
    }
    void DrawRun(const TacHtmlFont& font, StringView text, const TRect& rect, uint32_t format, bool alpha) override
    {
        (void)alpha;   // the label draws straight on its parent's background
        Select(font);
        SetBkMode(FDC, TRANSPARENT);
        SetTextColor(FDC, COLORREF(ColorToRGB(font.Color)));
        RECT r = rect;
        DrawTextW(FDC, text.data(), int(text.size()), &r, format | DT_SINGLELINE | DT_NOPREFIX);
    }

private:
    void Select(const TacHtmlFont& font)
    {
        for (auto& f : FFonts)
            if (SameShape(f.first, font)) {
                SelectObject(FDC, f.second);
                return;
            }
        LOGFONTW lf = FBase;
        lf.lfHeight = -MulDiv(font.Size, FPpi, 72);
        lf.lfWidth = 0;
        lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = font.Italic;
        lf.lfUnderline = font.Underline;
        if (!font.Name.empty()) lstrcpynW(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
        HFONT h = CreateFontIndirectW(&lf);
        if (!h) return;
        FFonts.emplace_back(font, h);
        SelectObject(FDC, h);
    }
    static bool SameShape(const TacHtmlFont& a, const TacHtmlFont& b)
    {
        return a.Name == b.Name && a.Size == b.Size && a.Bold == b.Bold && a.Italic == b.Italic &&
               a.Underline == b.Underline;
    }
    HDC FDC;
    int FPpi;
    LOGFONTW FBase{};
    HGDIOBJ FSaved = nullptr;
    std::vector<std::pair<TacHtmlFont, HFONT>> FFonts;
};

}  // namespace

// ================================================================================================
// TsHTMLLabel

TsHTMLLabel::TsHTMLLabel(TComponent* owner) : TsLabel(owner) {}

void TsHTMLLabel::SetUseHTML(bool on)
{
    if (FUseHTML == on) return;
    FUseHTML = on;
    Repaint();
}

void TsHTMLLabel::SetFitToWidth(bool on)
{
    if (FFitToWidth == on) return;
    FFitToWidth = on;
    if (!HasState(csLoading) && AutoSize()) AdjustSize();
}

void TsHTMLLabel::DoDrawText(TRect& rect, UINT flags)
{
    if (!FUseHTML) {
        TsLabel::DoDrawText(rect, flags);
        return;
    }
    const String caption = Caption();
    HDC dc = FCanvas->Handle();
    if (caption.empty() || !dc) return;
    TFont* font = TextFont();
    TacHtmlFont base;
    base.Name = font->Name();
    base.Size = font->Size();
    base.Bold = font->Style().Contains(fsBold);
    base.Italic = font->Style().Contains(fsItalic);
    base.Underline = font->Style().Contains(fsUnderline);
    base.Color = ColorToRGB(TextColor());
    TacGdiHtmlAdapter gdi(dc, font);
    TsHtml html(gdi);
    if (TsSkinManager* m = SkinManager()) {
        html.LinkColors.SkinActive = m->IsActive();
        html.LinkColors.WebText = m->Palette[pcWebText];
        html.LinkColors.WebTextHot = m->Palette[pcWebTextHot];
        html.LinkColors.LabelText = m->Palette[pcLabelText];
    }
    if (flags & DT_CALCRECT) {
        TRect r = rect;
        if (AutoSize() && !FFitToWidth) r.right = r.left + 0xFFFF;
        html.Init(base, caption, r, FHotLink, FPressedLink);
        TacLinks links;
        rect = html.HTMLText(links);
        return;
    }
    html.Alignment = FAlignment;
    html.BidiMode = BiDiMode();
    html.Layout = FLayout;
    html.Init(base, caption, rect, FHotLink, FPressedLink);
    FLinks.clear();
    html.HTMLText(FLinks, &gdi);
}

int TsHTMLLabel::LinkAtCursor() const
{
    if (!Parent()) return -1;
    TPoint p;
    ReadCursorPos(p);
    p = ScreenToClient(p);
    for (size_t i = 0; i < FLinks.size(); ++i)
        if (FLinks[i].Bounds.Contains(p)) return int(i);
    return -1;
}

void TsHTMLLabel::SetLinkState(int hot, int pressed)
{
    FHotLink = hot;
    FPressedLink = pressed;
    Repaint();
}

void TsHTMLLabel::DoClick(int linkIndex)
{
    if (linkIndex < 0 || size_t(linkIndex) >= FLinks.size()) return;
    String url = FLinks[size_t(linkIndex)].URL;
    bool defaultAction = true;
    if (OnLinkClick && EventsAllowed()) OnLinkClick(this, url, defaultAction);
    if (url.empty() || !defaultAction) return;
    HWND app = Application && Application->MainForm() ? Application->MainForm()->ExistingHandle() : nullptr;
    if (ShellOpen)
        ShellOpen(app, url, int(FShowMode));
    else
        ShellExecuteW(app, L"open", url.c_str(), nullptr, nullptr, int(FShowMode));   // a failure is left alone
}

void TsHTMLLabel::Dispatch(TMessage& m)
{
    if (FUseHTML) switch (m.Msg) {
        case WM_MOUSEMOVE: {
            const int i = LinkAtCursor();
            if (i < 0 && FHotLink >= 0) {
                SetCursor(crDefault);
                SetLinkState(-1, FPressedLink);
            } else if (i >= 0 && i != FHotLink) {
                SetCursor(crHandPoint);
                SetLinkState(i, FPressedLink);
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (FHotLink >= 0) SetLinkState(FHotLink, FHotLink);
            break;
        case WM_LBUTTONUP:
            if (!FLinkClicking && FPressedLink >= 0) {
                FLinkClicking = true;
                if (FHotLink >= 0) DoClick(FPressedLink);
                FLinkClicking = false;
                SetLinkState(FHotLink, -1);
            }
            break;
        case WM_MOUSELEAVE:
        case CM_MOUSELEAVE:
            if (FHotLink >= 0 || FPressedLink >= 0) {
                SetCursor(crDefault);
                SetLinkState(-1, -1);
            }
            break;
        default: break;
        }
    if (m.Msg == CM_TEXTCHANGED &&
        ((FocusControl() && HasState(csLoading)) || (!Visible() && !HasState(csDesigning))))
        return;   // the bound edit sets the text again when it is shown
    TsLabel::Dispatch(m);
}

// ================================================================================================
// TsEditLabel

TsEditLabel::TsEditLabel(TsBoundLabel* bound) : TsHTMLLabel(nullptr), FBoundLabel(bound)
{
    SetUseHTML(false);
    if (bound && bound->CommonData()) SetSkinManager(bound->CommonData()->SkinManager());
}

TsEditLabel::~TsEditLabel()
{
    if (FBoundLabel) FBoundLabel->LabelGone(this);
}
