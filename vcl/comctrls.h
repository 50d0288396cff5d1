// Common controls: track bar, status bar, page control with tab sheets, up-down. Each
// superclasses its comctl32 class and takes its notifications by reflection (CN_HSCROLL /
// CN_VSCROLL, CN_DRAWITEM, CN_NOTIFY).
#pragma once

#include <vector>

#include "vcl/controls.h"
#include "vcl/imagelist.h"
#include "vcl/stdctrls.h"
#include "vcl/tabtypes.h"

// ---- TTrackBar ---------------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TPositionToolTip { ptNone, ptTop, ptLeft, ptBottom, ptRight };

class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);

    int Min() const { return FMin; }
    void SetMin(int v) { SetRange(v, std::max(v, FMax)); }
    int Max() const { return FMax; }
    void SetMax(int v) { SetRange(std::min(v, FMin), v); }
    void SetRange(int min, int max);
    // Clamped into Min..Max; OnChange fires when it changes.
    int Position() const;
    void SetPosition(int v);
    int Frequency() const { return FFrequency; }
    void SetFrequency(int v);
    TTickStyle TickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle s);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark t);
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation o);
    int PageSize() const { return FPageSize; }
    void SetPageSize(int v);
    int LineSize() const { return FLineSize; }
    void SetLineSize(int v);
    bool ShowSelRange() const { return FShowSelRange; }
    void SetShowSelRange(bool on);
    bool SliderVisible() const { return FSliderVisible; }
    void SetSliderVisible(bool on);
    // Length of the thumb across the bar, in pixels (the native default is about 20).
    int ThumbLength() const { return FThumbLength; }
    void SetThumbLength(int v);
    // The selected range shown on the bar when ShowSelRange is on (SelEnd >= SelStart).
    int SelStart() const { return FSelStart; }
    void SetSelStart(int v) { SetSelection(v, std::max(v, FSelEnd)); }
    int SelEnd() const { return FSelEnd; }
    void SetSelEnd(int v) { SetSelection(std::min(v, FSelStart), v); }
    void SetSelection(int start, int end);
    // Where a tooltip with the position shows while the thumb is dragged (ptNone: none).
    TPositionToolTip PositionToolTip() const { return FPositionToolTip; }
    void SetPositionToolTip(TPositionToolTip t);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    virtual void CNScroll(TMessage& m);
    // Fires OnChange after the position changed (CM_CHANGED has gone out just before).
    virtual void Change();

    int FMin = 0, FMax = 10, FPosition = 0, FFrequency = 1, FPageSize = 2, FLineSize = 1;
    TTickStyle FTickStyle = tsAuto;
    TTickMark FTickMarks = tmBottomRight;
    TTrackBarOrientation FOrientation = trHorizontal;
    bool FShowSelRange = true;
    bool FSliderVisible = true;
    int FThumbLength = 20;
    int FSelStart = 0, FSelEnd = 0;
    TPositionToolTip FPositionToolTip = ptNone;
};

// ---- TStatusBar ------------------------------------------------------------------------------

class TStatusBar;

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TPersistent {
public:
    explicit TStatusPanel(TStatusBar* owner) : FOwner(owner) {}
    const String& Text() const { return FText; }
    void SetText(const String& s);
    int Width() const { return FWidth; }
    void SetWidth(int w);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle s);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel b);
    int Index() const;

private:
    TStatusBar* FOwner;
    String FText;
    int FWidth = 50;
    TStatusPanelStyle FStyle = psText;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* owner) : FOwner(owner) {}
    ~TStatusPanels() { Clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TStatusPanel* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    TStatusPanel* operator[](int index) const { return Items(index); }
    TStatusPanel* Add();
    void Delete(int index);
    void Clear();
    void BeginUpdate() { ++FUpdate; }
    void EndUpdate();

private:
    friend class TStatusPanel;
    void Changed();
    TStatusBar* FOwner;
    std::vector<TStatusPanel*> FItems;
    int FUpdate = 0;
};

using TDrawPanelEvent = Method<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels; }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool on);
    const String& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& s);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool on);
    TCanvas* Canvas() const { return FCanvas; }
    // Sends the panels to the native bar (after a change of any of them).
    void UpdatePanels();
    void UpdatePanel(int index);

    TDrawPanelEvent OnDrawPanel;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    virtual void CNDrawItem(TMessage& m);
    virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);

    TStatusPanels* FPanels;
    bool FSimplePanel = false;
    String FSimpleText;
    bool FSizeGrip = true;
    TCanvas* FCanvas;
};

// ---- TPageControl / TTabSheet ------------------------------------------------------------------

class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* pc);
    int PageIndex() const;
    void SetPageIndex(int index);
    // Index among the visible tabs, -1 when the tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool on);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int i);
    bool Highlighted() const { return FHighlighted; }
    void SetHighlighted(bool on) { FHighlighted = on; }

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    friend class TPageControl;
    void CreateParams(TCreateParams& params) override;
    void CMTextChanged(TMessage& m) override;
    void CMShowingChanged(TMessage& m) override;
    virtual void DoShow();
    virtual void DoHide();

    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    int FImageIndex = -1;
    bool FHighlighted = false;
};

using TTabChangingEvent = Method<void(TObject* Sender, bool& AllowChange)>;
// Draws an owner-drawn tab on the control's Canvas; TabIndex counts the visible tabs.
using TDrawTabEvent = Method<void(TPageControl* Control, int TabIndex, const TRect& Rect, bool Active)>;

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const { return FPages.at(static_cast<size_t>(index)); }
    // Page changes from code, the mouse and the keyboard all end in SetActivePage, so a
    // subclass overriding it sees every one. SetActivePageIndex and SetTabIndex translate
    // their index and call it; a tab picked on the native control reaches it through
    // UpdateActivePage.
    TTabSheet* ActivePage() const { return FActivePage; }
    virtual void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    virtual void SetActivePageIndex(int index);
    // The selected tab among the visible ones.
    int TabIndex() const;
    virtual void SetTabIndex(int index);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition p);
    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle s);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool on);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool on);
    // Tab images: each sheet's ImageIndex in Images.
    TCustomImageList* Images() const { return FImages.Get(); }
    void SetImages(TCustomImageList* images);
    // Fixed tab size (0 = the text's); a fixed width makes every tab that wide.
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int h);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int w);
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward, bool checkTabVisible = true);
    // The rectangle of a visible tab (client coordinates).
    TRect TabRect(int tabIndex) const;
    TRect DisplayRect() const;

    // The canvas OnDrawTab draws on (its handle is set only while the event runs).
    TCanvas* Canvas() const { return FCanvas; }

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    // With OwnerDraw the tabs are drawn by this event (none drawn without it).
    TDrawTabEvent OnDrawTab;

protected:
    friend class TTabSheet;
    void CNDrawItem(TMessage& m);
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    void AlignControls(TControl* control, TRect& rect) override;
    virtual void CNNotify(TMessage& m);
    // After the native control selected another tab: its page becomes the active page
    // (through SetActivePage).
    virtual void UpdateActivePage();
    virtual bool CanChange();
    virtual void Change();
    void Notification(TComponent* component, TOperation operation) override;
    void ImagesChanged(TObject* sender);
    void UpdateTabSize();
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    void ShowActive();

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    bool FMultiLine = false;
    bool FOwnerDraw = false;
    bool FUpdatingTabs = false;
    TImageListReference FImages{this, Bind<&TPageControl::ImagesChanged>(this)};
    int FTabHeight = 0, FTabWidth = 0;
    TCanvas* FCanvas;
};

// ---- TUpDown -----------------------------------------------------------------------------------

enum TUDBtnType { btNext, btPrev };
enum TUDOrientation { udHorizontal, udVertical };
using TUDClickEvent = Method<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = Method<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TWinControl {
public:
    explicit TUpDown(TComponent* owner);
    int Min() const { return FMin; }
    void SetMin(int v);
    int Max() const { return FMax; }
    void SetMax(int v);
    int Position() const;
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    bool Wrap() const { return FWrap; }
    void SetWrap(bool on) { FWrap = on; }
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation o);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;

    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    bool FWrap = false;
    TUDOrientation FOrientation = udVertical;
};

// ---- thin shells known to the skinning by class ------------------------------------------------

class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* owner) : TWinControl(owner) { FControlStyle |= csAcceptsControls; }
};

// A tool bar's button: a graphic control; a separator or divider only keeps buttons apart.
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner) : TGraphicControl(owner) {}
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle style)
    {
        if (style == FStyle) return;
        FStyle = style;
        Invalidate();
    }

private:
    TToolButtonStyle FStyle = tbsButton;
};

class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* owner) : TWinControl(owner) {}

protected:
    void CreateParams(TCreateParams& p) override
    {
        TWinControl::CreateParams(p);
        CreateSubClass(p, L"SysTreeView32");
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

class TListView : public TWinControl {
public:
    explicit TListView(TComponent* owner) : TWinControl(owner) {}

protected:
    void CreateParams(TCreateParams& p) override
    {
        TWinControl::CreateParams(p);
        CreateSubClass(p, L"SysListView32");
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }
};
