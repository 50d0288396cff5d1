#include "skin/controls/core/combo_box.h"

TRect TacComboGeometry::ButtonRect() const
{
    const int w = Simple || !ShowButton ? 0 : ScrollBarWidth - 1;
    const int left = RightToLeft ? Margin : Width - w - Margin;
    return TRect(left, Margin, left + w, Height - Margin);
}

TRect TacComboGeometry::TextRect(int cacheHeight) const
{
    const TRect b = ButtonRect();
    if (RightToLeft) return TRect(b.right + 2, 3, Width - 3, cacheHeight - 3);
    return TRect(3, 3, b.left - 2, cacheHeight - 3);
}

int ComboFaceState(const TacComboFaceInput& in)
{
    if (in.Designing) return 0;
    if (in.Focused && in.SectionIsComboNoEdit && in.SectionStates > 3) return 3;
    if (in.DroppedDown && in.NoEditFace) return 2;
    if (in.CurrentState == 1 || (in.NoEditFace && in.MouseAbove)) return 1;
    return 0;
}

int ComboButtonState(const TacComboFaceInput& in)
{
    if (in.Designing) return 0;
    if (in.DroppedDown) return 2;
    if (in.HotPart == 2 || (in.NoEditFace && (in.MouseAbove || in.Focused))) return 1;
    return 0;
}

int ComboItemState(const TacComboFaceInput& in, bool editFace)
{
    if (!editFace || in.Designing) return 0;
    return in.CurrentState == 1 || in.Focused || (in.NoEditFace && in.MouseAbove) ? 1 : 0;
}

TacItemColors ComboItemBackground(const TacItemColorInput& in)
{
    if (in.Selected && !in.NoEditItem) return in.HasSelectionSection ? TacItemColors::Selection : TacItemColors::Highlight;
    if (in.CustomColor) return TacItemColors::CustomColor;
    return in.EditFace ? TacItemColors::SectionColor : TacItemColors::EditColors;
}

TacItemFont ComboItemFont(const TacItemColorInput& in, bool customFont)
{
    if (in.Selected && !in.NoEditItem) return in.HasSelectionSection ? TacItemFont::Selection : TacItemFont::Highlight;
    if (customFont) return TacItemFont::CustomFont;
    return in.EditFace ? TacItemFont::SectionFont : TacItemFont::EditText;
}
