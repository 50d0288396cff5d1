// A skinned control's link to the skin: every skinned control, form and wrapped window owns a
// TsCommonData. The link names the section the control is drawn from (SkinSection, resolved to
// SkinIndex), finds the manager that governs it, picks the skin data of the control's PPI, holds
// the control's cached image (FCacheBmp) with its stale flag (BGChanged), the control's visual
// state (focused, mouse above, updating), its animation timer and hover glow, and publishes
// itself on the control's window as the property "ACSDATA" so the rest of the program finds it
// from a window handle. Main thread only.
//
// The common handlers of the skin command and of the standard messages are in
// skin_command_handler.h; the state cross-fade in anim_timer.h; glows in glow.h.
#pragma once

#include "skin/engine/core/control_link.h"
#include "vcl/controls.h"

class TsSkinManager;
class TacSkinData;
class TacThreadedTimer;
class TsCommonData;
struct TacBgQuery;
struct TCacheInfo;

// Window properties shared with the window wrappers: the link, and the scroll-bar wrapper.
inline constexpr const wchar_t* acPropCommonData = L"ACSDATA";
inline constexpr const wchar_t* acPropWrapper = L"ACSBSC";

// CtrlSkinState bits the link sets.
namespace acss {
constexpr uint32_t Printing = 0x200, InUpdate = 0x800, SettingColors = 0x2000, WidthChanging = 0x8000,
                   HeightChanging = 0x10000, FrameRecalc = 0x40000;
}

enum TacOuterVisibility : uint8_t { ovNone, ovAlways };

// The control's outer effect (a shadow or glow drawn into its parent's image).
class TacOuterEffects : public TPersistent {
public:
    explicit TacOuterEffects(TsCommonData* owner) : FOwner(owner) {}
    TacOuterVisibility Visibility() const { return FVisibility; }
    void SetVisibility(TacOuterVisibility value);
    // The parent repaints its children's effects and the control its own image.
    void Invalidate();

private:
    TsCommonData* FOwner;
    TacOuterVisibility FVisibility = ovNone;
};

// Where the background query for a transparent section asks which section lies behind.
struct TacSectionBehindQuery {
    int32_t State = 0;
    int32_t SkinIndex = -1;   // in: the asker's section; out: the section found
    TRect R;                  // the asker's rectangle in the receiver's coordinates
    TsSkinManager* Manager = nullptr;
};

class TsCommonData : public TPersistent {
public:
    // owner: the control, skin provider or wrapper the link belongs to; createCacheBmp: the
    // cache bitmap exists from the start (an empty 32-bit bitmap).
    explicit TsCommonData(TObject* owner, bool createCacheBmp = false);
    ~TsCommonData() override;

    // ---- fields (in the order other parts know them) ----
    TacSkinData* FCommonSkinData = nullptr;   // cached skin data of the control's PPI; nil = resolve again
    bool FCustomFont = false;
    bool FCustomColor = false;
    TBitmap* FOuterCache = nullptr;
    String FSkinSection;                      // upper case; empty = the control's default section
    TsSkinManager* FSkinManager = nullptr;    // nil: the default manager
    TacOuterEffects* FOuterEffects = nullptr;
    TColor FColorTone = 0x1FFFFFFF;
    TColor SavedColor = 0x1FFFFFFF;
    TColor SavedFontColor = 0x1FFFFFFF;
    bool FFocused = false;
    bool FUpdating = false;
    bool FMouseAbove = false;
    bool HalfVisible = false;
    bool Loading = true;
    uint8_t COC = 0;                          // control-kind code
    int GlowID = -1;
    int PPIIndex = -1;
    int FHUEOffset = 0;
    int FSaturation = 0;
    int CurrentPPI = 96;
    int FUpdateCount = 0;
    HDC PrintDC = nullptr;
    TBitmap* FCacheBmp = nullptr;             // the control's last painted image (owned)
    HWND FSWHandle = nullptr;                 // the window of a link without owner control
    // The procedure skin commands are delivered through directly; unassigned while its code is nil.
    TWndMethod WndProc;
    TObject* FOwnerObject = nullptr;
    TacThreadedTimer* AnimTimer = nullptr;    // the state-animation timer (owned); nil when none
    uint16_t BGType = 0;
    uint32_t CtrlSkinState = 0;
    TRect InvalidRectH, InvalidRectV;
    bool BGChanged = true;                    // the cache is stale
    int SkinIndex = -1;                       // section of the control; -1 = not skinned
    TControl* FOwnerControl = nullptr;        // nil for links of skin providers and foreign windows

    // ---- lifecycle and the window property ----
    void Loaded(bool updateColors);
    void InitCommonProp();
    void RemoveCommonProp();
    void ClearLinks();
    HWND OwnerHandle() const;
    // Publishes the link on wnd ("ACSDATA"), or takes it off again.
    void AttachToWindow(HWND wnd);
    void DetachFromWindow();
    HWND AttachedWindow() const { return FWindow; }

    // ---- manager, skin data, PPI ----
    // The manager that governs the link: its own, else the default manager.
    TsSkinManager* SkinManager() const;
    void SetSkinManager(TsSkinManager* value);
    // The skin data of the link's PPI (cached where the link is settled on a window).
    TacSkinData* ResolveSkinData();
    TacSkinData* ResolveSkinData() const { return const_cast<TsCommonData*>(this)->ResolveSkinData(); }
    void AssignSkinData(TacSkinData* data);
    int ControlPPI();

    // ---- section ----
    const String& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const String& value);
    void UpdateIndexes(bool updateMain);
    void ResolveDefaultSection();
    void TrySections(const String* names, int highIndex);
    void UpdateBGType();
    // The link governs a skinned control now: a live manager, a section index within its
    // skin data and an owner not being destroyed; with checkSkinActive the manager's skin must
    // also be active. Never throws.
    bool Skinned(bool checkSkinActive = false) const;
    int MaxBorderWidth();

    // ---- visual state and updating ----
    int CurrentState();
    bool IsUpdating();
    bool RefreshUpdating(bool clear);
    void BeginUpdate();
    void EndUpdate(bool repaint);
    bool SkinChanging() const;
    bool IsAnimating() const;
    void StopAnimTimer();
    bool MouseStillAbove();
    bool SizeChangeNeedsRepaint() const;

    // ---- colours ----
    bool CustomColor() const { return FCustomColor; }
    bool CustomFont() const { return FCustomFont; }
    void SetCustomOption(int index, bool value);
    void ApplyNormalColors(bool repaint);
    void ApplySkinColors(bool noRedrawLock);
    // The state's colour and font colour (shifted by the link's hue and saturation) put on the
    // owner control where they differ, unless it keeps its own; true when one changed. With
    // quietFont the font does not tell the control it changed (it stays a parent-font font).
    bool PutStateColors(int state, bool quietFont = false);

    // ---- repainting and caches ----
    void Invalidate(bool updateNow = false);
    bool RepaintIfMoved();
    void EnsureCacheBmp();
    // The cache holds no pixels (missing or empty).
    bool CacheEmpty() const;
    void RefreshParentCache();

    // ---- backgrounds ----
    void ProvideBackground(TacBgQuery& query, int state, HWND wnd);
    TColor SkinBGColor(int state, HWND wnd);
    bool DependsOnParentBG() const { return BGType != 0 || HalfVisible; }
    bool StateIsTransparent(int state);
    void FetchParentBG(TCacheInfo& info);

    // ---- glow and outer effects ----
    void ShowControlGlow(bool refresh, HWND wnd, uint8_t startAlpha, bool animate, int skinIndex = -1);
    bool OuterEffectsAllowed() const;
    TacOuterEffects* OuterEffects() const { return FOuterEffects; }
    void PaintOuterEffects(TWinControl* ownerCtrl, const TPoint& offset);
    void DrawOwnOuterEffect(TacBgQuery* query, unsigned arg);

    // The owner is a skin provider (its form is FormOf()).
    TCustomForm* ProviderForm() const;

private:
    bool OwnerDestroying() const;
    bool OwnerLoading() const;
    HWND FWindow = nullptr;
};

// The link of a skinned control, with the colour effects the control's owner may set: a colour
// tone for glyphs and colour effects, a hue shift and a saturation change of the control's
// colours. Each change re-applies the skin's colours and repaints the control.
class TsCtrlSkinData : public TsCommonData {
public:
    using TsCommonData::TsCommonData;
    TColor ColorTone() const { return FColorTone; }
    void SetColorTone(TColor value);
    int HUEOffset() const { return FHUEOffset; }
    void SetHUEOffset(int value);
    int Saturation() const { return FSaturation; }
    void SetSaturation(int value);

private:
    template <class T>
    void Change(T& field, T value);
};

// The scroll-bar sizes of a window with scroll bars; -1 takes the skin's own.
class TacScrollData : public TPersistent {
public:
    explicit TacScrollData(TsCommonData* owner) : FOwner(owner) {}
    int ScrollWidth() const { return FScrollWidth; }
    void SetScrollWidth(int value) { SetSizeOption(0, value); }
    int ButtonsSize() const { return FButtonsSize; }
    void SetButtonsSize(int value) { SetSizeOption(1, value); }
    // Index 0 the bar's width (the window's frame is laid out again), 1 the size of its
    // buttons (the frame is repainted).
    void SetSizeOption(int index, int value);
    void Invalidate() {}

private:
    int FScrollWidth = -1;
    int FButtonsSize = -1;
    TsCommonData* FOwner;
};

// The link of a window with scroll bars, with the sizes of its two bars.
class TsScrollWndData : public TsCommonData {
public:
    explicit TsScrollWndData(TObject* owner, bool createCacheBmp = false);
    ~TsScrollWndData() override;
    TacScrollData* HorzScrollData() const { return FHorzScrollData; }
    TacScrollData* VertScrollData() const { return FVertScrollData; }

private:
    TacScrollData* FHorzScrollData = nullptr;
    TacScrollData* FVertScrollData = nullptr;
};

// The link published on a window, or nullptr.
TsCommonData* CommonDataFromHandle(HWND wnd);
// The window is skinned: it carries a link or a scroll-bar wrapper, or answers scmIsSkinned with 1.
bool WndIsSkinned(HWND wnd);
// A control is skinned: a graphic control (or one without a window yet) answers scmIsSkinned
// with 1; a window with a link or wrapper is (with checkSkinned: when that link is skinned);
// any other window is asked with scmIsSkinned.
bool ControlIsSkinned(TControl* control, bool checkSkinned);

// The skin data for a link (nil: the default manager's, or the fallback of the PPI).
TacSkinData* SkinDataForLink(TsCommonData* link, int ppi);
int ScaleForControl(int value, TsCommonData* link, bool useLinkPPI);
bool ContentShiftsOnClick(int skinIndex, TacSkinData* skinData);

// ---- what lies behind transparent sections ---------------------------------------------------

int SectionBehindControl(TControl* control, int skinIndex, TsSkinManager* manager, int state);
int AskSectionBehind(TControl* control, TacSectionBehindQuery& query);
LRESULT SendSectionBehindQuery(HWND wnd, TacSectionBehindQuery& query);
TColor SkinFontColorOf(TControl* control, int skinIndex, TsSkinManager* manager, int state, TsCommonData* link);
TColor SkinFontColorOfWnd(HWND wnd, int skinIndex, TsSkinManager* manager, int state);
// The section shows what lies behind it in that state (for clipping and regions): above 50 %
// transparency, or the centre of the state's frame in its border image's mask is see-through.
bool SectionStateTransparent(TsSkinManager* manager, int skinIndex, int state, TControl* control);

// ---- caches into DCs ---------------------------------------------------------------------------

void PaintCacheToDC(TControl* control, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                    bool paintBorder, int offsetX, int offsetY);
void PaintCacheToWndDC(HWND wnd, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                       bool paintBorder, int offsetX, int offsetY);
void FetchParentBGOfWnd(HWND wnd, TCacheInfo& info);
// Tints a freshly painted image by the link's colour tone (buttonTone for button kinds), hue and
// saturation (key-colour pixels left alone), then repaints the border's corners.
void ApplyColorEffects(TBitmap* bmp, TsCommonData* link, bool flag, int state, TColor buttonTone);
// A window region less the see-through runs of the section's border image along the top and
// bottom edges (those pixels cleared in bmp); 0 without a border image. The caller owns it.
HRGN RegionFromBorderMask(int skinIndex, TBitmap* bmp, TacSkinData* skinData);
