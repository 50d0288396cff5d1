// The combo boxes' and combo edits' rules as plain logic: which input a read-only combo box
// swallows, the process-wide count of open drop-down lists, the combo edit's button geometry and
// hit test, and how the file-name edit prepares its dialog from the typed name. No windows.h.
#pragma once

#include <cstdint>
#include <functional>

#include "vcl/sysutils.h"
#include "vcl/types.h"

// Message codes the swallow table is written in (the platform's and the reflected ones).
namespace ComboMsg {
constexpr unsigned KeyDown = 0x0100, Char = 0x0102, SysKeyDown = 0x0104, SysChar = 0x0106, Command = 0x0111;
constexpr unsigned Reflected = 0xBC00;   // a parent sends a child's notification back at this offset
constexpr unsigned DropDownNotification = 7;   // CBN_DROPDOWN in the high word of WParam
}   // namespace ComboMsg

// True when a combo box that is read-only or may not drop down ends the message unhandled:
// navigation, letter, "9" and F4 keys, every typed character and the drop-down notification.
bool ComboSwallowsInput(unsigned msg, uint64_t wParam, bool readOnly, bool allowDropDown);

// The count of drop-down lists open in the process (bound labels do not realign and popups
// ignore capture changes while it is above 0). Each combo box holds at most one count, takes it
// when its list is about to open and gives it back when it closes or the combo box dies, so the
// count never goes below 0 nor stays up after an open combo box is destroyed.
int DroppedDownCount();

class TacDropDownHold {
public:
    TacDropDownHold() = default;
    TacDropDownHold(const TacDropDownHold&) = delete;
    TacDropDownHold& operator=(const TacDropDownHold&) = delete;
    ~TacDropDownHold() { Release(); }

    void Take();      // the list is about to open (a second take while held counts once)
    void Release();   // the list closed (nothing when this combo box holds no count)
    bool Held() const { return FHeld; }

private:
    bool FHeld = false;
};

// The combo edit's button, from the control's size and the skin's numbers.
struct TacComboEditButton {
    bool ShowButton = true;
    bool GlyphButton = false;      // an image (file-name edit) rather than the drop-down arrow
    int ActualButtonWidth = 0;     // glyph: the glyph's width; arrow: ButtonWidth scaled or the scroll bar's width
    int Spacing = 0;               // the skin's spacing
    int Margin = 0;                // ComboButtonMargin

    // Width taken from the text: the full one with the whole spacing, else half of it.
    int AreaWidth(bool full) const;
    // The button in window coordinates of a control Width x Height.
    TRect Rect(int width, int height, bool rightToLeft, bool full) const;
    // The edit's text rectangle beside the button.
    TRect TextRect(const TRect& editTextRect, int width, bool rightToLeft) const;
    // HTBORDER (18) over the button, else 0 (the edit's own answer stands).
    int HitTest(int width, int height, bool rightToLeft, const TPoint& p) const;
    // An arrow button acts when pressed, a glyph button when released over it.
    bool ActsOnPress() const { return !GlyphButton; }
};

constexpr int ComboButtonHit = 18;   // HTBORDER

// The margin around the button: the skin's combo-box margin when skinned and (not the old glyph
// mode or an arrow button), else the edit's border width.
constexpr int ComboButtonMargin(bool skinned, bool oldGlyphsMode, bool glyphButton, int comboBoxMargin, int border)
{
    return skinned && (!oldGlyphsMode || !glyphButton) ? comboBoxMargin : border;
}

// The file dialog the file-name edit opens: where it starts and which name it preselects.
struct TacFileDialogStart {
    String InitialDir;
    String FileName;
};
// From the typed name: a valid name whose folder exists opens the dialog in that folder (with
// its trailing separator); a name with no valid file part preselects nothing; an invalid text
// opens the dialog with an empty name. initialDir is the dialog's folder so far.
TacFileDialogStart PrepareFileDialog(const String& typed, const String& initialDir,
                                     const std::function<bool(const String&)>& directoryExists);

// Hands dropped file names to accept (the file-name edit's AcceptFileName): the first only,
// every one when multipleDirs. A name accept refuses by raising is logged and left out (the
// edit keeps its text) and nothing leaves this call, so the window always finishes the drop.
// name(i) reads the i-th name whole. Answers how many names were taken.
int AcceptDroppedFiles(int count, const std::function<String(int)>& name,
                       const std::function<void(const String&)>& accept, bool multipleDirs,
                       const std::function<void(const String&)>& log);

// Frames side by side in a glyph image of width x height: width div height when height divides
// it, else one.
constexpr int GlyphFrameCount(int width, int height)
{
    return height > 0 && width % height == 0 && width >= height ? width / height : 1;
}
