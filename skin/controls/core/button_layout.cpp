#include "skin/controls/core/button_layout.h"

#include <algorithm>

int ButtonCurrentState(const TacButtonStateInput& in)
{
    // A press dragged off the button shows it raised again; a keyboard press has no mouse to ask.
    if (in.Pushed && (in.MouseAbove || !in.LeftDownOnIt || in.NoMouseHover)) return bstPressed;
    if (in.Down || in.DroppedDown) return bstPressed;
    if (in.Designing || in.LinkState == 0) return in.Default ? bstDefault : bstNormal;
    return bstHot;
}

int ButtonSectionState(int state, int sectionStates)
{
    if (state == bstDefault && sectionStates < 4) return bstHot;
    const int last = std::max(sectionStates, 1) - 1;
    return std::clamp(state, 0, last);
}

int ButtonGlyphIndex(const TacButtonImageIndexes& ix, int count, bool enabled, bool focused, int state)
{
    int candidate;
    if (!enabled)
        candidate = ix.Disabled;
    else if (state == bstPressed)
        candidate = ix.Pressed;
    else if (focused)
        candidate = ix.Selected;
    else
        candidate = state == bstHot ? ix.Hot : state == bstDefault ? ix.Selected : ix.Normal;
    return candidate >= 0 && candidate < count ? candidate : ix.Normal;
}

TacButtonLayout CalcButtonLayout(const TacButtonLayoutInput& in)
{
    TacButtonLayout out;
    const int W = in.Width - (in.Kind == bkSplit ? in.SplitWidth : 0);
    const int H = in.Height;
    const int CM = in.ContentMargin;
    const TRect& M = in.ImageMargins;
    const int gw = in.GlyphWidth, gh = in.GlyphHeight;
    const int tw = in.TextWidth, th = in.TextHeight;

    if (in.HasGlyph) {
        int left = 0, top = 0;
        if (in.Kind == bkCommandLink) {
            left = M.left + CM;
            top = CM;
        } else {
            switch (in.Alignment) {
            case biaLeft: left = M.left + CM, top = (H - gh) / 2; break;
            case biaRight: left = W - M.right - CM - gw, top = (H - gh) / 2; break;
            case biaTop: left = (W - gw) / 2, top = M.top + CM; break;
            case biaBottom: left = (W - gw) / 2, top = H - M.bottom - CM - gh; break;
            case biaCenter: left = (W - gw) / 2, top = (H - gh) / 2; break;
            }
        }
        out.Glyph = TRect(left, top, left + gw, top + gh);
    }

    TRect& c = out.Caption;
    if (in.Kind == bkCommandLink) {
        c = TRect(in.CommandLinkBoxWidth + CM + in.CommandLinkGap, CM, W - CM, CM + th);
    } else if (!in.HasGlyph || in.Alignment == biaCenter) {
        c.left = (W - tw) / 2;
        c.right = c.left + tw;
        c.top = (H - th) / 2;
        c.bottom = c.top + th;
    } else {
        switch (in.Alignment) {
        case biaLeft:
            c = TRect(M.left + CM + gw + M.right, (H - th) / 2, W - CM, 0);
            c.bottom = H - c.top;
            break;
        case biaRight:
            c = TRect(CM, (H - th) / 2, W - (M.right + CM + gw + M.left), 0);
            c.bottom = H - c.top;
            break;
        case biaTop:
            c.left = CM;
            c.right = W - CM;
            c.top = M.top + 2 * CM + gh;
            c.top += (H - CM - c.top - th) / 2;
            c.bottom = c.top + th;
            break;
        case biaBottom:
            c.left = CM;
            c.right = W - CM;
            c.bottom = H - (M.bottom + CM + gh + M.top);
            c.top = M.top + (c.bottom - M.top - th) / 2;
            c.bottom = c.top + th;
            break;
        case biaCenter: break;
        }
    }
    if (in.ShiftContent) {
        if (in.HasGlyph) out.Glyph.Offset(1, 1);
        c.Offset(1, 1);
    }
    return out;
}

TRect ButtonFocusRect(const TRect& caption, int focusMargin, int height)
{
    TRect r(caption.left - focusMargin - 1, caption.top - focusMargin, caption.right + focusMargin + 1,
            caption.bottom + focusMargin);
    r.top = std::max(int(r.top), 3);
    r.bottom = std::min(int(r.bottom), height - 3);
    return r;
}

TacColoring ButtonColoring(const TacColoringInput& in)
{
    TacColoring c;
    if (in.LinkColorTone != clNone) {
        c.ColorToneBG = in.LinkColorTone;
        return c;
    }
    const bool green = in.ModalResult == acResultOk || in.ModalResult == acResultYes;
    const bool red = in.ModalResult == acResultCancel || in.ModalResult == acResultNo;
    if (!green && !red) return c;
    const bool rest = in.State == bstNormal;
    // Named palette colours: the skin may give its own shade of each.
    const TColor mark = green ? TColorOf(rest ? 0xFF28851Au : 0xFF008E00u) : TColorOf(rest ? 0xFF0000B4u : 0xFF0000A2u);
    const TColor tone = green ? TColorOf(rest ? 0xFFE1FFD2u : 0xFFCDFFB4u) : TColorOf(rest ? 0xFFD5D5FFu : 0xFFBDBDFFu);
    if (!in.HasManager || (in.Coloring & bcfGlyph)) c.ColorGlyph = mark;
    if (in.Skinned && (in.Coloring & bcfText)) c.ColorText = mark;
    if (in.Skinned && (in.Coloring & bcfBackground)) c.ColorToneBG = tone;
    return c;
}
