#include "skin/controls/core/combo_edit.h"

#include "skin/engine/core/general.h"

namespace {

int GOpenLists = 0;

bool SwallowedKey(unsigned key)
{
    return (key >= 32 && key <= 40) || key == 57 || (key >= 65 && key <= 90) || key == 115;
}

}   // namespace

bool ComboSwallowsInput(unsigned msg, uint64_t wParam, bool readOnly, bool allowDropDown)
{
    if (!readOnly && allowDropDown) return false;
    using namespace ComboMsg;
    const unsigned key = unsigned(wParam & 0xFFFF);
    switch (msg) {
    case KeyDown:
    case SysKeyDown:
    case SysChar:
    case Reflected + KeyDown:
    case Reflected + SysKeyDown:
    case Reflected + SysChar:
        return SwallowedKey(key);
    case Char:
        return true;
    case Command:
    case Reflected + Command:
        return ((wParam >> 16) & 0xFFFF) == DropDownNotification;
    default:
        return false;
    }
}

int DroppedDownCount() { return GOpenLists; }

void TacDropDownHold::Take()
{
    if (FHeld) return;
    FHeld = true;
    ++GOpenLists;
}

void TacDropDownHold::Release()
{
    if (!FHeld) return;
    FHeld = false;
    --GOpenLists;
}

int TacComboEditButton::AreaWidth(bool full) const
{
    if (!ShowButton) return 0;
    if (!GlyphButton) return ActualButtonWidth;
    return ActualButtonWidth + (full ? Spacing : Spacing / 2);
}

TRect TacComboEditButton::Rect(int width, int height, bool rightToLeft, bool full) const
{
    const int w = AreaWidth(full);
    const int left = rightToLeft ? Margin : width - Margin - w;
    return TRect(left, Margin, left + w, height - Margin);
}

TRect TacComboEditButton::TextRect(const TRect& editTextRect, int width, bool rightToLeft) const
{
    TRect r = editTextRect;
    if (rightToLeft)
        r.left = AreaWidth(true) + Margin;
    else
        r.right = width - Margin - AreaWidth(true) - Spacing / 2;
    return r;
}

int TacComboEditButton::HitTest(int width, int height, bool rightToLeft, const TPoint& p) const
{
    if (!ShowButton) return 0;
    return Rect(width, height, rightToLeft, true).Contains(p) ? ComboButtonHit : 0;
}

TacFileDialogStart PrepareFileDialog(const String& typed, const String& initialDir,
                                     const std::function<bool(const String&)>& directoryExists)
{
    TacFileDialogStart d{initialDir, L""};
    if (!IsValidFileNameText(typed)) return d;
    const String dir = ExtractFilePath(typed);
    if (!dir.empty() && directoryExists && directoryExists(dir)) d.InitialDir = dir;
    const String file = ExtractFileName(typed);
    d.FileName = file.empty() || !IsValidFileNameText(file) ? String() : typed;
    return d;
}

int AcceptDroppedFiles(int count, const std::function<String(int)>& name,
                       const std::function<void(const String&)>& accept, bool multipleDirs,
                       const std::function<void(const String&)>& log)
{
    int taken = 0;
    for (int i = 0; i < count && (i == 0 || multipleDirs); ++i) {
        String n;
        try {
            n = name(i);
            accept(n);
            ++taken;
        } catch (const Exception& e) {
            if (log) log(L"Dropped file \"" + n + L"\" not taken: " + e.Message());
        } catch (...) {
            if (log) log(L"Dropped file \"" + n + L"\" not taken");
        }
    }
    return taken;
}
