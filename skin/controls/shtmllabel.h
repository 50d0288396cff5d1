// Labels whose caption may be mark-up (bold, italic, colours, sizes, links; see
// skin/controls/core/html_text.h), and the caption label an edit creates through its bound label.
#pragma once

#include <cstdint>
#include <functional>

#include "skin/controls/core/html_text.h"
#include "skin/controls/slabel.h"

class TsBoundLabel;

// How a window opened for a link is shown: the ordinal is the show command (SW_HIDE ..
// SW_SHOWDEFAULT) handed to the shell.
enum TsWindowShowMode : uint8_t {
    soHide, soNormal, soShowMinimized, soMaximize, soShowNoActivate, soShow, soMinimize, soShowMinNoActive,
    soShowNA, soRestore, soDefault
};

// A link was clicked: the handler may change the address or turn the default action (opening
// the address with the shell) off.
using TacLinkClickEvent = Method<void(TObject* Sender, String& URL, bool& DefaultAction)>;

class TsHTMLLabel : public TsLabel {
public:
    explicit TsHTMLLabel(TComponent* owner);

    // False: the caption is plain text, drawn as TsLabel draws it.
    bool UseHTML() const { return FUseHTML; }
    void SetUseHTML(bool on);
    // True: an auto-sized label wraps its mark-up at its width; false: one line per break tag.
    bool FitToWidth() const { return FFitToWidth; }
    void SetFitToWidth(bool on);
    // The caption without its tags.
    String PlainCaption() const { return PlainCaptionOf(Caption()); }
    // The links of the last drawing, in label coordinates.
    const TacLinks& Links() const { return FLinks; }
    int HotLink() const { return FHotLink; }
    int PressedLink() const { return FPressedLink; }
    // The link under the cursor, -1 for none.
    int LinkAtCursor() const;
    // Runs OnLinkClick for a link, then opens its address unless the handler said no.
    void DoClick(int linkIndex);
    // How the program that opens a clicked address shows its window; soDefault leaves it to
    // that program.
    TsWindowShowMode ShowMode() const { return FShowMode; }
    void SetShowMode(TsWindowShowMode mode) { FShowMode = mode; }
    TacLinkClickEvent OnLinkClick;

    // Opens an address with the shell ("open"): owner window, address, show command. Tests put
    // their own in; nothing is launched then.
    static inline std::function<void(HWND owner, const String& url, int showCommand)> ShellOpen;

protected:
    void DoDrawText(TRect& rect, UINT flags) override;
    void Dispatch(TMessage& m) override;

private:
    void SetLinkState(int hot, int pressed);
    bool FUseHTML = true;
    bool FFitToWidth = false;
    int FHotLink = -1;
    int FPressedLink = -1;
    bool FLinkClicking = false;
    TsWindowShowMode FShowMode = soDefault;
    TacLinks FLinks;
};

// The caption label of an edit: made, placed and freed by the edit's TsBoundLabel. Freed by
// anyone else, it tells its bound label, which then has no label and is inactive.
class TsEditLabel : public TsHTMLLabel {
public:
    explicit TsEditLabel(TsBoundLabel* bound);
    ~TsEditLabel() override;
    TsBoundLabel* BoundLabel() const { return FBoundLabel; }

private:
    friend class TsBoundLabel;
    TsBoundLabel* FBoundLabel;
};
