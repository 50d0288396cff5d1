#include "skin/controls/core/group_caption.h"

#include <algorithm>

TacGroupCaption CalcGroupCaption(const TacGroupCaptionInput& in)
{
    TacGroupCaption g;
    const int cw = in.CheckBox ? in.CheckWidth : 0, ch = in.CheckBox ? in.CheckHeight : 0;
    const int iw = in.HasImage ? in.ImageWidth : 0, ih = in.HasImage ? in.ImageHeight : 0;
    const int tw = in.TextWidth, th = in.TextHeight, s = in.Spacing;

    int height = th + in.CaptionYOffset + 2;
    if (in.HasImage) height = std::max(height, ih);
    int w = in.CaptionWidth != 0 ? in.CaptionWidth : in.HasImage ? tw + iw + s : tw;
    if (in.CheckBox) {
        height = std::max(height, ch);
        w += s + cw;
    }
    g.CaptionHeight = height;

    // A negative offset lifts the caption above the margin; its bottom stays where it was.
    const int top = in.Margin.Top + std::min(0, in.CaptionYOffset);
    const int bottom = in.Margin.Top + height;
    int left;
    const bool nearSide = (in.Layout == clTopLeft && !in.RightToLeftAlignment) ||
                          (in.Layout == clTopRight && in.RightToLeftAlignment);
    if (in.Layout == clTopCenter)
        left = (in.Width - w) / 2;
    else if (nearSide)
        left = in.Margin.Left + 6;
    else
        left = in.Width - w - in.Margin.Right - 6;
    left = std::max(0, left);
    int right = std::min(left + w, in.Width - 1);
    if (w < 2 * in.BevelWidth) {
        left -= in.BevelWidth;
        right += in.BevelWidth;
    }
    g.CaptionRect = TRect(left, top, right, bottom);

    const int checkTop = top + (height - ch) / 2, imageTop = top + (height - ih) / 2, textTop = top + (height - th) / 2;
    int textLeft, textRight;
    if (!in.RightToLeftReading) {
        if (in.CheckBox) {
            g.CheckBoxRect = TRect(left, checkTop, left + cw, checkTop + ch);
            const int imageLeft = in.HasImage ? left + cw + s : left + cw;
            g.GlyphRect = TRect(imageLeft, imageTop, imageLeft + iw, imageTop + ih);
            textLeft = g.GlyphRect.right + s;
        } else {
            g.CheckBoxRect = TRect(left, checkTop, left, checkTop);
            g.GlyphRect = TRect(left, imageTop, left + iw, imageTop + ih);
            textLeft = in.HasImage ? left + iw + s : left;
        }
        textRight = textLeft + tw;
    } else {
        if (in.CheckBox) {
            g.CheckBoxRect = TRect(right - cw, checkTop, right, checkTop + ch);
            const int imageRight = in.HasImage ? g.CheckBoxRect.left - s : g.CheckBoxRect.left;
            g.GlyphRect = TRect(imageRight - iw, imageTop, imageRight, imageTop + ih);
            textRight = g.GlyphRect.left - s;
        } else {
            g.CheckBoxRect = TRect(right, checkTop, right, checkTop);
            g.GlyphRect = TRect(right - iw, imageTop, right, imageTop + ih);
            // The text touches the image here (no spacing), as the left-to-right layout does not.
            textRight = g.GlyphRect.left;
        }
        textLeft = textRight - tw;
    }
    // A lone text is centred in a fixed caption width.
    if (!in.HasImage && !in.CheckBox) {
        const int shift = (w - tw) / 2;
        if (in.RightToLeftReading)
            textLeft -= shift, textRight -= shift;
        else
            textLeft += shift, textRight += shift;
    }
    g.TextRect = TRect(textLeft, textTop, textRight, textTop + th);
    g.TopRect = TRect(0, 0, in.Width, std::max(0, height / 2 + in.Margin.Top));
    return g;
}
