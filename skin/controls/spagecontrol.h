// Skinned page control and tab sheets.
#pragma once

#include <memory>

#include "skin/controls/core/page_tabs.h"
#include "skin/controls/core/tab_fade.h"
#include "skin/controls/sbitbtn.h"
#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

class TsPageControl;
class TsTabSheet;
class TPopupMenu;
class TacGlowForm;

// ---- TsTabSkinData
// The look of one sheet's tab and page beyond the page control's choice.
class TsTabSkinData {
public:
    explicit TsTabSkinData(TsTabSheet* page) : FPage(page) {}
    // The tab's caption in the sheet's own font (not the section's text colour).
    bool CustomFont() const { return FCustomFont; }
    void SetCustomFont(bool on);
    bool CustomColor() const { return FCustomColor; }
    void SetCustomColor(bool on) { FCustomColor = on; }
    // A section painted over the page's area in the page control's image; empty = none.
    const String& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const String& name);

private:
    TsTabSheet* FPage;
    bool FCustomColor = false;
    bool FCustomFont = false;
    String FSkinSection;
};

// ---- TacPageMargins
// Offsets of the page area inside the page control; a change resizes the pages at once.
class TacPageMargins {
public:
    explicit TacPageMargins(TsPageControl* owner) : FOwner(owner) {}
    int OffsetLeft() const { return FOffsets.left; }
    int OffsetTop() const { return FOffsets.top; }
    int OffsetRight() const { return FOffsets.right; }
    int OffsetBottom() const { return FOffsets.bottom; }
    void SetOffsetLeft(int v) { Set(FOffsets.left, v); }
    void SetOffsetTop(int v) { Set(FOffsets.top, v); }
    void SetOffsetRight(int v) { Set(FOffsets.right, v); }
    void SetOffsetBottom(int v) { Set(FOffsets.bottom, v); }
    void Reset() { FOffsets = TRect(); }
    void Assign(const TacPageMargins& other);
    // Left, Top, Right, Bottom offsets as one rectangle.
    const TRect& Offsets() const { return FOffsets; }

private:
    void Set(decltype(TRect::left)& field, int value);
    TsPageControl* FOwner;
    TRect FOffsets;
};

// ---- TsTabSheet
// A page of a skinned page control shows the control's image under it: its background is the
// page control's cache at the page's position, and its children's background questions are
// answered from there (painted into their DC or described, the offset moved by the page's
// position). Without a skinned page control it is the plain page.
class TsTabSheet : public TTabSheet {
public:
    explicit TsTabSheet(TComponent* owner) : TTabSheet(owner), FCommonData(this) {}
    ~TsTabSheet() override;

    // The hot-state fade of this page's tab: the timer of its frames (made on the first fade;
    // its BmpFrom, BmpTo and BmpOut are the start, the target and the frame last shown, at
    // AnimRect of the page control) and the schedule it follows.
    TacThreadedTimer* AnimTimer = nullptr;
    TacTabFade Fade;
    // Ends the fade where it is and forgets its pictures.
    void StopTabAnimation();

    // ttButton: a button that fires OnClickBtn and never becomes the active page; ttMenu: opens
    // TabMenu. A button or menu tab without its own TabSkin takes "SPEEDBUTTON" or "MENUBTN";
    // turning back into a page tab drops the tab section. An active page that becomes a button
    // hands the selection to the nearest page tab.
    TacTabType TabType() const { return FTabType; }
    void SetTabType(TacTabType value);
    // The tab's section; empty = the page control's choice.
    const String& TabSkin() const { return FTabSkin; }
    void SetTabSkin(const String& name);
    const String& ButtonSkin() const { return FButtonSkin; }
    void SetButtonSkin(const String& name);
    TPopupMenu* TabMenu() const { return FTabMenu; }
    void SetTabMenu(TPopupMenu* menu);
    // The tab may show a close button (when the page control shows them).
    bool UseCloseBtn() const { return FUseCloseBtn; }
    void SetUseCloseBtn(bool on);
    TNotifyEvent OnClickBtn;
    TsTabSkinData* SkinData() { return &FCommonData; }

protected:
    void WndProc(TMessage& m) override;
    void Notification(TComponent* component, TOperation operation) override;
    // No full repaint on resizing: the page's image comes from the page control.
    void CreateParams(TCreateParams& params) override;

private:
    // The page control when it is drawn from a skin now, else nullptr.
    TsPageControl* SkinnedPageControl() const;
    // The skin commands the page answers for its page control; true when answered.
    bool SkinCommand(TMessage& m, TsPageControl* pc);
    // The border strips (BorderWidth) from the page control's image into a window DC.
    void PaintBorder(HDC dc, TsPageControl* pc);
    // The page's area of the page control's image into DC (client coordinates), its children over it.
    void PaintBackground(HDC dc, TsPageControl* pc);
    void FadeTick(TObject*);
    friend class TsPageControl;   // it starts the fades

    TsTabSkinData FCommonData;
    String FTabSkin, FButtonSkin;
    TPopupMenu* FTabMenu = nullptr;
    TacTabType FTabType = ttTab;
    bool FUseCloseBtn = true;
};

enum TacCloseAction : uint8_t { acaHide, acaFree };
using TacCloseBtnClick = Method<void(TComponent* Sender, int TabIndex, bool& CanClose, TacCloseAction& Action)>;
class TacDropBtn;
using TacTabStartDrag = Method<void(TComponent* Sender, int TabIndex, bool& Allowed)>;
using TacTabDrop = Method<void(TComponent* Sender, int TabIndex, int TargetIndex, bool& Allowed)>;

using TacTabMouseEvent = Method<void(TComponent* Sender, int TabIndex)>;
using TacPageChangingEvent = Method<void(TObject* Sender, TTabSheet* NewPage, bool& AllowChange)>;

// ---- TsPageControl
// The frame from "PAGECONTROL", each visible tab from the tab sections of its side and place
// ("TABTOPFIRST", "TABTOPMIDDLE", "TABTOPLAST", else "TABTOP"), back to front with the active
// tab last so it lies over its neighbours.
class TsPageControl : public TacSkinFrame<TPageControl> {
public:
    explicit TsPageControl(TComponent* owner);
    ~TsPageControl() override;

    // ---- close buttons
    // Close buttons on page tabs whose sheet allows one; which tabs show theirs, and the section
    // they are drawn with (empty: the skin's small close glyph).
    bool ShowCloseBtns() const { return FShowCloseBtns; }
    void SetShowCloseBtns(bool on);
    TacCloseBtnVisibility CloseBtnVisibility() const { return FCloseBtnVisibility; }
    void SetCloseBtnVisibility(TacCloseBtnVisibility value);
    const String& CloseBtnSkin() const { return FCloseBtnSkin; }
    void SetCloseBtnSkin(const String& name);
    // A close button was clicked: CanClose False keeps the page; Action hides its tab or frees it.
    TacCloseBtnClick OnCloseBtnClick;
    // The close button's rectangle on the page's tab (client coordinates), empty when it has none now.
    TRect CloseBtnRect(int page);
    int HoveredBtnIndex() const { return FHoveredBtnIndex; }
    int PressedBtnIndex() const { return FPressedBtnIndex; }
    // The close-button section (or image) and size from the skin, then the native padding.
    void UpdateBtnData();
    int BtnWidth() const { return FBtnWidth; }
    int BtnHeight() const { return FBtnHeight; }

    // ---- tab look
    int TabMargin() const { return FTabMargin; }
    void SetTabMargin(int value);
    int TabPadding() const { return FTabPadding; }
    void SetTabPadding(int value);
    int TabSpacing() const { return FTabSpacing; }
    void SetTabSpacing(int value);
    bool ActiveIsBold() const { return FActiveIsBold; }
    void SetActiveIsBold(bool on);
    bool ActiveTabEnlarged() const { return FActiveTabEnlarged; }
    void SetActiveTabEnlarged(bool on);
    // Captions turned a quarter: along the strip on left and right tabs, across it on top and bottom.
    bool RotateCaptions() const { return FRotateCaptions; }
    void SetRotateCaptions(bool on);
    // Captions may wrap onto more lines inside their tab.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    // A focus rectangle around the active tab's caption while the control has the focus.
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool on);
    // Tab glyphs drawn with their reflection below them.
    bool ReflectedGlyphs() const { return FReflectedGlyphs; }
    void SetReflectedGlyphs(bool on);
    // Where glyph and caption stand in a page tab of style tsTabs (others centre them).
    TAlignment TabAlignment() const { return FTabAlignment; }
    void SetTabAlignment(TAlignment value);
    // The glyph left of the caption or above it.
    TacGlyphLayout GlyphLayout() const { return FGlyphLayout; }
    void SetGlyphLayout(TacGlyphLayout value);
    // A section painted under the whole tab strip; empty: the strip shows what lies under the
    // control.
    const String& TabsLineSkin() const { return FTabsLineSkin; }
    void SetTabsLineSkin(const String& name);
    int TabsLineIndex() const { return FTabsLineIndex; }
    // Shows or hides every tab at once, the control drawn once afterwards.
    void ChangeTabsVisibility(bool visible);
    // For a close button the application places on a page (Sender or one of its parents is the
    // page): the close event, then the page freed or its tab hidden.
    void CloseClick(TObject* sender);
    // Disabled pages can still be selected.
    bool AccessibleDisabledPages = true;
    // Offsets of the page area; a change resizes the pages at once.
    TacPageMargins* PageMargins() { return &FPageMargins; }
    // A margin around the whole control (left, top, right, bottom at 96 PPI), outside its client
    // area; it shows what lies under the control.
    const TRect& Padding() const { return FPadding; }
    void SetPaddingMargins(const TRect& margins);
    // The margins at the present PPI, as the last frame calculation applied them.
    const TRect& AddedPadding() const { return FAddedPadding; }
    // Hands the native tab window the horizontal padding every tab needs for its content.
    void SetPadding(bool showClose);
    void UpdatePadding();

    // ---- the list button
    // A button listing the page tabs, shown while the tabs do not fit in one row.
    bool ShowDropDownBtn() const { return FShowDropDownBtn; }
    void SetShowDropDownBtn(bool on);
    TacDropBtn* DropBtn() const { return FDropBtn; }
    // Makes or frees the list button as the tabs fit or not, and places it.
    void CheckUpDown();

    // ---- tab drag
    // Ctrl + press on a tab starts a drag (the start event may refuse it); Ctrl + release over
    // another tab drops it there (the drop event may refuse it) and the page moves.
    bool AllowTabsDrag = false;
    TacTabStartDrag OnTabStartDrag;
    TacTabDrop OnTabDrop;
    int DraggedItem() const { return FDraggedItem; }

    // The page whose tab holds the point (client coordinates), -1 when none.
    int GetTabUnderMouse(TPoint p);
    // The page whose tab menu is open, -1 = none.
    int DroppedDownItem() const { return FDroppedDownItem; }

    // A page change cross-fades from the old page to the new one when the manager's page-change
    // animation and its animations are on (PageChange.Time 0: the new page appears at once,
    // drawn under the cover, without a half-painted step on screen).
    bool AllowAnimSwitching = true;

    // nullptr clears the active page; otherwise the page of that sheet's index becomes
    // active. A sheet whose tab is hidden gets its children repainted (the tab change does
    // not do it for a hidden tab). Every page change of the control arrives here.
    void SetActivePage(TTabSheet* page) override;
    // The page of the Value-th visible tab when it is a page tab (nothing for a button tab);
    // a value outside the pages goes to the base unchanged.
    void SetTabIndex(int value) override;

    // The whole control composed into the cache: the page frame over the page area, the strip
    // from what lies under it (or TabsLineSkin), then the tabs.
    bool PrepareCache() override;
    // The strip's clean background as the last composition took it (TabsBGRect of the cache).
    TBitmap* TabsBG() const { return FTabsBG.get(); }
    // Visible tabs at the last composition or paint.
    int StoredVisiblePageCount() const { return FStoredVisiblePageCount; }

    // The control as its tabs see it now: pages, native tab rectangles and the skin's tab
    // sections at the control's PPI.
    TacPageControlState TabState();

    // The page whose tab is hot (under the mouse), -1 = none.
    int CurItem() const { return FCurItem; }
    // Page changes by key or click ask this first; False leaves the page as it is.
    TacPageChangingEvent OnPageChanging;
    // The hot tab changes (page indexes; entering may report -1).
    TacTabMouseEvent OnTabMouseEnter;
    TacTabMouseEvent OnTabMouseLeave;

    // Shows one tab's present state: faded from what is on the screen, or at once.
    void RepaintTab(int page, bool animate);
    // Ends every tab's fade (before the tabs' geometry or order changes).
    void StopTabAnimations();
    // One frame of a sheet's fade: Weight (0..255) of its target over its start, composed into
    // the cache and shown.
    void ShowTabFrame(TsTabSheet* sheet, int weight);

protected:
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;
    // The pages and their children are left out of the control's painting from its cache.
    void CreateParams(TCreateParams& params) override;
    // A new native window gets the tab padding and the list button check.
    void CreateWnd() override;
    // The active page is set again to a page tab once everything is read.
    void Loaded() override;
    // A page picked on the native tabs: its tab is drawn at once when no transition shows it.
    void UpdateActivePage() override;
    // The control as a whole has no hot look (its tabs have): entering and leaving it changes
    // no state of its own.
    void WndProc(TMessage& m) override;
    // A control docked onto the page control gets a page of its own (a new sheet, appended and,
    // for a visible control, selected, the control filling it); one that already sits on a
    // page moves that page to the end. A dock that fails frees the new sheet and raises on.
    void CMDockClient(TMessage& m) override;
    // Puts a client docked through CMDockClient on its new sheet.
    void DoAddDockClient(TControl* Client, const TRect& ARect) override;

private:
    // The strip's background and every visible tab, back to front with the states of S, into
    // Bmp (the cache or a copy of it); the cache also gives TabsBG.
    void DrawSkinTabs(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs);
    // One skinned tab of Page in State into Bmp.
    void PaintSkinTab(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs, int page, int state);
    // What lies under the control, into R of Bmp (control coordinates).
    void CopyParentBG(TBitmap* bmp, const TRect& r, const TCacheInfo& bg);
    // Caption size in the canvas font within MaxWidth (wrapped with WordWrap).
    static TSize MeasureCaption(TCanvas* canvas, const String& caption, int maxWidth, bool wordWrap);
    void SetCurItem(int page);
    // The changing event and the base's; then the page becomes active.
    bool AllowPage(int page);
    void SelectPage(int page);
    // Clicks on tabs (selection, button and menu tabs, close buttons); handled: swallowed.
    bool HandleClick(TMessage& m);
    void OpenTabMenu(int page);
    // The left button went up with a drag pending: dropped with Ctrl, else let go.
    void EndTabDrag(const TPoint& p, bool drop);
    // The first move of a drag: a half-transparent picture of the tab follows the mouse.
    void StartTabDrag();
    // The picture moves with the mouse; the insert mark shows where the tab would land.
    void DragTabMove(const TPoint& p);
    void UpdateInsertMark(const TPoint& p);
    // The drag's windows and picture go (the capture is the caller's).
    void FreeDragWindows();
    // The margin of Padding painted with what lies under the control.
    void PaintPaddingFrame(HDC dc);
    // A close button was released over its tab: the event, then the page freed or hidden and
    // the nearest page tab at or before the former active index selected.
    void ClosePage(int page);
    void PaintCloseBtn(TBitmap* bmp, const TRect& r, int state);
    // Without a skin: button and menu tabs and close buttons over the native tabs.
    void PaintStdTabs(HDC dc);
    void PaintStdTab(int page, int state, HDC dc);
    // The page's tab content (glyph, caption, arrow, close button) over its background in Bmp.
    void PaintTabContent(TBitmap* bmp, const TacPageTabs& tabs, int page, const TRect& r, int state, int section,
                         int textSection);
    void TabLookChanged(bool resize);
    void UpdateTabsLineIndex();
    // The window's hit test over the tab strip: 0 outside it (the usual answer).
    LRESULT StripHitTest(LPARAM screenPoint);
    // Handled: the message is done (swallowed or acted on).
    bool HandleMouseMove(TMessage& m);
    bool HandleNavigationKey(TMessage& m);
    // The page change notifications when skinned (the transition around the change); false:
    // the base handles them alone.
    bool HandlePageChange(TMessage& m);
    bool PageTransitionAllowed();
    // After every transition, played or not: the control paints again, the new page with it.

    int FCurItem = -1;
    int FHoveredBtnIndex = -1;
    int FPressedBtnIndex = -1;
    int FDroppedDownItem = -1;
    int FDraggedItem = -1;
    // A drag in progress: where the mouse was, the tab's picture and the windows showing it
    // and the insert mark (the mark's picture drawn once per drag), and the mark's target.
    bool FDragging = false;
    TPoint FDraggedPos;
    std::unique_ptr<TBitmap> FDraggedBmp, FInsertBmp;
    std::unique_ptr<TacGlowForm> FDraggedForm, FDraggedInsForm;
    int FInsertTarget = -1;
    TRect FPadding, FAddedPadding;
    bool FCloseBtnPressed = false;   // the left button went down on a close button
    bool FSkipDropDown = false;      // the click that closes a tab menu does not open it again
    bool FShowCloseBtns = false;
    TacCloseBtnVisibility FCloseBtnVisibility = cvAlways;
    String FCloseBtnSkin;
    int FBtnIndex = -1;              // section (CloseBtnSkin) or image of the close buttons
    int FBtnWidth = 15, FBtnHeight = 15;
    int FTabMargin = 3, FTabPadding = 0, FTabSpacing = 6;
    bool FActiveIsBold = false;
    bool FActiveTabEnlarged = true;
    bool FRotateCaptions = false;
    bool FWordWrap = false;
    bool FShowFocus = true;
    bool FReflectedGlyphs = false;
    TAlignment FTabAlignment = taCenter;
    TacGlyphLayout FGlyphLayout = glLeft;
    String FTabsLineSkin;
    int FTabsLineIndex = -1;
    int FStoredVisiblePageCount = 0;
    std::unique_ptr<TBitmap> FTabsBG;
    TCacheInfo FParentBG;   // what lay under the control at the last composition
    bool FShowDropDownBtn = true;
    bool FPaddingUpdating = false;
    bool FUpDownChecking = false;
    uint32_t FAppliedPadding = 0;
    bool FUpDownCheckPosted = false;    // the padding last handed to the native window, 0 = none yet
    TacPageMargins FPageMargins;
    TacDropBtn* FDropBtn = nullptr;
    friend class TacDropBtn;
    // The cache as composed before its tabs: the ground a single tab is drawn again on.
    std::unique_ptr<TBitmap> FTabsGround;
    // The sheet being made for a control while it is docked, else nullptr.
    TsTabSheet* FNewDockSheet = nullptr;

};

// ---- TacDropBtn
// The page control's list button: a down arrow; a click lists the page tabs in a menu and the
// chosen one becomes the active page.
class TacDropBtn : public TsBitBtn {
public:
    explicit TacDropBtn(TsPageControl* owner);
    ~TacDropBtn() override;
    TPopupMenu* Menu() const { return FMenu; }
    // Fills the menu with the page tabs (the active one checked); Click pops it up.
    void FillMenu();
    void Click() override;
    bool CanFocus() const override { return false; }
    // The bit button's state; hot only while the mouse is over it.
    int CurrentState() override;
    // Left, top, width and height in the page control; an empty rectangle hides the button.
    TRect BtnBounds(bool checkVisibility);
    void UpdatePosition(bool checkVisibility);

private:
    void ItemClick(TObject* sender);
    void PaintArrow(TObject* sender, TBitmap* bmp);
    TsPageControl* FOwner;
    TPopupMenu* FMenu = nullptr;
    bool FBusy = false;   // inside its click: the page control frees it only afterwards
    friend class TsPageControl;
};
