// The frame every skinned control derives from: a standard control that keeps its behaviour and
// replaces its look. The control links itself to a section of the current skin (its
// TsCommonData), composes its whole image into a private 32-bit bitmap (the cache), copies that
// to the screen and cross-fades between its visual states (normal, hot, pressed).
//
// A control derives from TacSkinFrame<Base> and says what differs:
//   Kind()               its control-kind code (given to the link at creation);
//   DefaultSectionIndex  the index of its default section in the manager's skin, -1 = none;
//   ShowsPressedState    a held left button shows state 2;
//   IsContainer          skin changes are passed on to the child controls;
//   PaintContent         what it draws into the cache over its section (text, glyphs...).
// With no manager, an inactive one or a skin without its section the control is its base class:
// every message goes to the base's handling unchanged.
#pragma once

#include <functional>
#include <type_traits>

#include "skin/engine/anim_timer.h"
#include "skin/engine/common_data.h"
#include "skin/engine/skin_commands.h"
#include "vcl/controls.h"

enum TsDisabledKindFlag : unsigned { dkBlended = 1, dkGrayed = 2 };
using TsDisabledKind = unsigned;

// The frame's work that does not depend on the base class.
class TacSkinFrameCore {
public:
    // focusGuard: the flag set around the base's focus handling, one per control class.
    TacSkinFrameCore(TControl* control, uint8_t coc, bool createCache, bool* focusGuard);
    ~TacSkinFrameCore();
    TacSkinFrameCore(const TacSkinFrameCore&) = delete;
    TacSkinFrameCore& operator=(const TacSkinFrameCore&) = delete;

    TsCtrlSkinData* Link() const { return FLink; }
    TacAnimatEvents AnimatEvents = aeGlobalDef;
    TsDisabledKind DisabledKind = dkBlended;
    bool Pressed = false;   // the left button is held on a control that shows a pressed state
    // The release over the control returns to hot quickly and with the hover glow (push buttons).
    bool GlowOnRelease = false;
    // Only the section's background is composed, without corners and border (borderless edits);
    // in state 0 whatever the control's state when BackgroundInStateZero.
    bool BackgroundOnly = false;
    bool BackgroundInStateZero = false;
    // A push or bit button: the space bar's press repaints at once, WM_ERASEBKGND answers 0 and,
    // unskinned, the hover flag and the enter and leave events are kept up to date.
    bool IsButton = false;
    // The button's own enter and leave events, fired before the state fade starts.
    TNotifyEvent OwnMouseEnter, OwnMouseLeave;
    // The answer to WM_UPDATEUISTATE of a visible skinned control.
    LRESULT UpdateUIStateAnswer = 0;
    // The section's border image is drawn over the content instead of under it.
    bool BorderOverContent = false;
    // Partly hidden means: outside the parent's client area, or the parent itself partly hidden
    // (scmIsHalfVisible); otherwise: clipped at the paint.
    bool HalfVisibleByParent = false;

    // The state to draw: pressed while held over the control, else the link's state.
    int VisualState(bool showsPressed) const;
    // Composes the cache for the present state; false when the parent's background is not
    // ready (the control then waits for scmUpdateDone) or the control cannot be skinned.
    bool Compose(const std::function<void(TBitmap* cache, int state)>& content, bool showsPressed);
    // The same for a visual state the control worked out itself (0 normal, 1 hot, 2 pressed, 3 a
    // look of its own); stateOf maps it to the section state drawn.
    bool ComposeState(const std::function<void(TBitmap* cache, int state)>& content, int visualState,
                      const std::function<int(int visualState, int sectionStates)>& stateOf);
    // WM_PAINT / WM_PRINT from the cache: dc given (WParam) or through BeginPaint.
    void PaintFromCache(HDC dc, const std::function<bool()>& compose);

    // Message routing. Before: the skin commands answered first, and the cases of a skinned
    // control that act before the base handling; answers true when the message is done.
    // Skinned: the control may be drawn from the skin now. After: the cases after the base.
    bool Skinned() const;
    bool Before(TMessage& m, bool isContainer, bool showsPressed, const std::function<bool()>& compose,
                const std::function<void(TMessage&)>& inherited);
    void After(TMessage& m, bool showsPressed);
    // A skin change passed on to the child controls of a container.
    void PassToChildren(const TMessage& m);

private:
    void StateChange(int newState, TacAnimatEvent event, bool fast, bool withGlow);
    void FireHover(bool enter);
    TControl* FControl;
    TsCtrlSkinData* FLink;
    bool* FFocusGuard;
};

// WM_PAINT (or WM_PRINT into given) of a skinned container from its cache, its graphic children
// drawn over it. An error clip draws nothing; an empty clip over a rectangle the DC still shows
// (loose, unaligned children moving into place) waits for the update to end; any other clip
// paints, so a container painted while something covers it (a transition's cover) is not left
// waiting for an update that never ends. compose makes the cache anew.
// What lies under control for its composition: its parent's answer, or the link's background
// colour without a parent. False while the parent's own image is not ready: the link is then
// marked updating and the control is painted when the parent sends scmUpdateDone.
bool ControlBackground(TControl* control, TsCommonData* link, TCacheInfo& bg);

void PaintContainerFromCache(TWinControl* container, TsCommonData* link, HDC given,
                             const std::function<bool()>& compose, bool repaintChildren);

// The skinned container whose background lies behind control, counting control's rectangle
// into its coordinates (r); nullptr when the parent paints a background of its own (a form that
// is not skinned): text over it then keeps the parent's colours.
TWinControl* SkinnedContainerOf(TControl* control, TRect* r = nullptr);

// Answers WM_CTLCOLOREDIT and its kin: the colours go onto the DC, the result is a solid brush of
// the background, kept in brush / brushColor until the colour changes (the caller frees it).
void AnswerCtlColorMessage(TMessage& m, TColor text, TColor background, HBRUSH& brush, TColor& brushColor);

template <class TBase>
class TacSkinFrame : public TBase {
public:
    explicit TacSkinFrame(TComponent* owner, uint8_t coc, bool createCache = true)
        : TBase(owner), FFrame(this, coc, createCache, &FocusGuard)
    {
    }

    // The link, published by most controls as SkinData.
    TsCtrlSkinData* SkinData() const { return FFrame.Link(); }
    TacAnimatEvents AnimatEvents() const { return FFrame.AnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) { FFrame.AnimatEvents = value; }
    TsDisabledKind DisabledKind() const { return FFrame.DisabledKind; }
    void SetDisabledKind(TsDisabledKind value)
    {
        if (FFrame.DisabledKind == value) return;
        FFrame.DisabledKind = value;
        SkinData()->Invalidate(false);
    }

    void AfterConstruction() override
    {
        TBase::AfterConstruction();
        SkinData()->Loaded(true);
    }

    // Composes the cache now; false when nothing valid could be composed. A control whose image
    // is not its section over its whole area composes it itself.
    virtual bool PrepareCache()
    {
        BeforeCompose();
        const auto content = [this](TBitmap* cache, int state) { PaintContent(cache, state); };
        if (const int own = OwnVisualState(); own >= 0)
            return FFrame.ComposeState(content, own, [this](int v, int n) { return SectionStateOf(v, n); });
        return FFrame.Compose(content, ShowsPressedState());
    }

protected:
    void SetGlowOnRelease(bool on) { FFrame.GlowOnRelease = on; }
    void SetBackgroundOnly(bool on, bool inStateZero = false)
    {
        FFrame.BackgroundOnly = on;
        FFrame.BackgroundInStateZero = inStateZero;
    }
    // The frame's shared work, for a control that paints or routes a message its own way.
    TacSkinFrameCore& Frame() { return FFrame; }

    // Sets a field the look depends on; the control is drawn again when it changed.
    template <class T>
    void SetLook(T& field, const std::type_identity_t<T>& value)
    {
        if (field == value) return;
        field = value;
        SkinData()->Invalidate(false);
    }

    // Index of the default section in the manager's skin; -1: none (the control stays standard).
    virtual int DefaultSectionIndex() { return -1; }
    // Called before each composition (to choose what is composed).
    virtual void BeforeCompose() {}
    virtual bool ShowsPressedState() const { return false; }
    virtual bool IsContainer() const { return false; }
    // The control's own drawing into the cache over its section, in that state.
    virtual void PaintContent(TBitmap* cache, int state) { (void)cache, (void)state; }
    // A control with visual states of its own answers the present one here (-1: the frame's
    // rule) and maps it to the state of its section in SectionStateOf.
    virtual int OwnVisualState() { return -1; }
    virtual int SectionStateOf(int visualState, int sectionStates) { (void)sectionStates; return visualState; }

    void Loaded() override
    {
        TBase::Loaded();
        SkinData()->Loaded(true);
    }

    // The component layer rescaled the control for a new PPI (its form moved to another
    // screen): the skin data of that PPI are taken, as a skin manager's rescaling would.
    void ChangeScale(int m, int d, bool isDpiChange = false) override
    {
        TBase::ChangeScale(m, d, isDpiChange);
        if (!isDpiChange || this->HasState(csDestroying)) return;
        // Also without a window: a form scaled as its loading ends has none yet.
        this->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmPPIChanged), this->CurrentPPI());
    }

    void WndProc(TMessage& m) override
    {
        // The link is published on the window as soon as it exists.
        if (m.Msg == WM_NCCREATE || m.Msg == WM_CREATE) SkinData()->InitCommonProp();
        if (m.Msg == MSG_SKINCOMMAND) {
            switch (SkinCommandOf(m.WParam)) {
            case scmGetDefaultIndex: m.Result = DefaultSectionIndex() + 1; return;
            case scmIsSkinned: m.Result = 1; return;
            default: break;
            }
        }
        auto inherited = [this](TMessage& msg) { TBase::WndProc(msg); };
        if (FFrame.Before(m, IsContainer(), ShowsPressedState(), [this] { return PrepareCache(); }, inherited)) return;
        TBase::WndProc(m);
        FFrame.After(m, ShowsPressedState());
    }

private:
    // Set around the base's focus handling of a control of this class (redraw is off meanwhile).
    static inline bool FocusGuard = false;
    TacSkinFrameCore FFrame;
};
