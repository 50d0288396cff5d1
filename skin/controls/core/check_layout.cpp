#include "skin/controls/core/check_layout.h"

#include <algorithm>

namespace {

TRect MirrorIn(const TRect& r, int width) { return TRect(width - r.right, r.top, width - r.left, r.bottom); }

int ScaleFrom96(int v, int ppi) { return ppi > 0 ? static_cast<int>((static_cast<long long>(v) * ppi) / 96) : v; }

}  // namespace

TRect CheckGlyphRect(const TacCheckLayoutInput& in)
{
    const int w = in.GlyphWidth, h = in.GlyphHeight;
    const int margin = in.SkinGlyph ? 0 : in.Margin;
    int top = 0;
    switch (in.VerticalAlign) {
    case vaTop: top = margin; break;
    case vaMiddle: top = (in.Height - h) / 2; break;
    case vaBottom: top = in.Height - h - margin; break;
    }
    const TRect r(in.Margin, top, in.Margin + w, top + h);
    // The skin's image sits at the left only beside a right-justified caption; a user's glyph
    // moves with a left-justified caption alone.
    return in.GlyphAtRight || (in.SkinGlyph && in.Centered) ? MirrorIn(r, in.Width) : r;
}

int CheckCaptionWidthLimit(const TacCheckLayoutInput& in)
{
    return in.Width - in.Spacing / 2 - in.TextIndent - in.GlyphWidth - 2 * in.Margin;
}

TRect CheckCaptionRect(const TacCheckLayoutInput& in, int textWidth, int textHeight)
{
    const int top = std::max(in.Margin, (in.Height - textHeight) / 2);
    const int left = in.Spacing / 2 + in.Margin + in.GlyphWidth + in.TextIndent;
    TRect r(left, top, left + textWidth, top + textHeight);
    r.Offset(in.WordWrap ? -1 : 0, -1);
    return in.GlyphAtRight ? MirrorIn(r, in.Width) : r;
}

int CheckVisualState(bool pressed, bool hotOrFocused, bool readOnly)
{
    if (pressed) return 2;
    return hotOrFocused && !readOnly ? 1 : 0;
}

int TacGlyphStrip::Frames() const
{
    if (Width <= 0 || Height <= 0 || Width % Height != 0) return 1;
    return std::max(1, Width / Height);
}

TSize CheckGlyphSize(const TacGlyphStrip& strip, int ppi)
{
    if (strip.Width <= 0 || strip.Height <= 0) return TSize(ScaleFrom96(16, ppi), ScaleFrom96(16, ppi));
    return TSize(ScaleFrom96(strip.FrameWidth(), ppi), ScaleFrom96(strip.Height, ppi));
}

int CheckStripFrame(int frames, bool pressed, int linkState, bool readOnly)
{
    frames = std::max(1, frames);
    if (pressed) return std::min(frames - 1, 2);
    if (linkState == 0 || readOnly) return 0;
    return std::min(frames - 1, 1);
}

TRect CheckStripFrameRect(const TacGlyphStrip& strip, int frame)
{
    const int fw = strip.FrameWidth();
    frame = std::clamp(frame, 0, strip.Frames() - 1);
    return TRect(fw * frame, 0, fw * (frame + 1), strip.Height);
}
