#include "vcl/comctrls.h"

#include <commctrl.h>

#include <algorithm>

// ================================================================================================
// TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner)
{
    FWidth = 150;
    FHeight = 45;
    FTabStop = true;
}

void TTrackBar::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, TRACKBAR_CLASSW);
    p.Style |= (FOrientation == trVertical ? TBS_VERT : TBS_HORZ);
    switch (FTickStyle) {
    case tsNone: p.Style |= TBS_NOTICKS; break;
    case tsAuto: p.Style |= TBS_AUTOTICKS; break;
    default: break;
    }
    switch (FTickMarks) {
    case tmTopLeft: p.Style |= TBS_TOP; break;
    case tmBoth: p.Style |= TBS_BOTH; break;
    default: break;
    }
    if (FShowSelRange) p.Style |= TBS_ENABLESELRANGE;
    if (!FSliderVisible) p.Style |= TBS_NOTHUMB;
    p.Style |= TBS_FIXEDLENGTH;
    if (FPositionToolTip != ptNone) p.Style |= TBS_TOOLTIPS;
}

void TTrackBar::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageW(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
    SendMessageW(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
    SendMessageW(FHandle, TBM_SETPAGESIZE, 0, FPageSize);
    SendMessageW(FHandle, TBM_SETLINESIZE, 0, FLineSize);
    if (FTickStyle == tsAuto) SendMessageW(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
    SendMessageW(FHandle, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(FThumbLength), 0);
    SendMessageW(FHandle, TBM_SETSEL, FALSE, MAKELPARAM(FSelStart, FSelEnd));
    if (FPositionToolTip != ptNone) {
        static const WPARAM kSide[] = {0, TBTS_TOP, TBTS_LEFT, TBTS_BOTTOM, TBTS_RIGHT};
        SendMessageW(FHandle, TBM_SETTIPSIDE, kSide[FPositionToolTip], 0);
    }
    SendMessageW(FHandle, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetThumbLength(int v)
{
    v = std::max(1, v);
    if (v == FThumbLength) return;
    FThumbLength = v;
    if (FHandle) SendMessageW(FHandle, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(v), 0);
    Invalidate();
}

void TTrackBar::SetSelection(int start, int end)
{
    if (end < start) std::swap(start, end);
    if (start == FSelStart && end == FSelEnd) return;
    FSelStart = start;
    FSelEnd = end;
    if (FHandle) SendMessageW(FHandle, TBM_SETSEL, TRUE, MAKELPARAM(start, end));
}

void TTrackBar::SetPositionToolTip(TPositionToolTip t)
{
    if (t == FPositionToolTip) return;
    FPositionToolTip = t;
    RecreateWnd();
}

void TTrackBar::SetRange(int min, int max)
{
    FMin = min;
    FMax = std::max(min, max);
    if (FHandle) {
        SendMessageW(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
        SendMessageW(FHandle, TBM_SETRANGEMAX, TRUE, FMax);
    }
    if (FPosition < FMin || FPosition > FMax) SetPosition(std::clamp(FPosition, FMin, FMax));
}

int TTrackBar::Position() const
{
    if (FHandle) return static_cast<int>(SendMessageW(FHandle, TBM_GETPOS, 0, 0));
    return FPosition;
}

void TTrackBar::SetPosition(int v)
{
    v = std::clamp(v, FMin, FMax);
    if (v == FPosition && (!FHandle || Position() == v)) return;
    FPosition = v;
    if (FHandle) SendMessageW(FHandle, TBM_SETPOS, TRUE, v);
    Changed();
    Change();
}

void TTrackBar::Change()
{
    if (OnChange && EventsAllowed() && !HasState(csLoading)) OnChange(this);
}

void TTrackBar::SetFrequency(int v)
{
    FFrequency = v;
    if (FHandle) SendMessageW(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(v), 0);
}

void TTrackBar::SetTickStyle(TTickStyle s)
{
    if (s == FTickStyle) return;
    FTickStyle = s;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark t)
{
    if (t == FTickMarks) return;
    FTickMarks = t;
    RecreateWnd();
}

void TTrackBar::SetOrientation(TTrackBarOrientation o)
{
    if (o == FOrientation) return;
    FOrientation = o;
    SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

void TTrackBar::SetPageSize(int v)
{
    FPageSize = v;
    if (FHandle) SendMessageW(FHandle, TBM_SETPAGESIZE, 0, v);
}

void TTrackBar::SetLineSize(int v)
{
    FLineSize = v;
    if (FHandle) SendMessageW(FHandle, TBM_SETLINESIZE, 0, v);
}

void TTrackBar::SetShowSelRange(bool on)
{
    if (on == FShowSelRange) return;
    FShowSelRange = on;
    RecreateWnd();
}

void TTrackBar::SetSliderVisible(bool on)
{
    if (on == FSliderVisible) return;
    FSliderVisible = on;
    RecreateWnd();
}

void TTrackBar::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: CNScroll(m); break;
    case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        SetBkColor(dc, ColorToColorRef(FColor));
        m.Result = reinterpret_cast<LRESULT>(BrushHandle());
        break;
    }
    default: TWinControl::Dispatch(m); break;
    }
}

void TTrackBar::CNScroll(TMessage& m)
{
    // The native bar moved its thumb (mouse or keys): take its position.
    int pos = static_cast<int>(SendMessageW(FHandle, TBM_GETPOS, 0, 0));
    if (pos != FPosition) {
        FPosition = pos;
        Changed();
        Change();
    }
    m.Result = 0;
}

// ================================================================================================
// TStatusBar

void TStatusPanel::SetText(const String& s)
{
    if (s == FText) return;
    FText = s;
    FOwner->UpdatePanel(Index());
}

void TStatusPanel::SetWidth(int w)
{
    if (w == FWidth) return;
    FWidth = w;
    FOwner->Panels()->Changed();
}

void TStatusPanel::SetStyle(TStatusPanelStyle s)
{
    if (s == FStyle) return;
    FStyle = s;
    FOwner->UpdatePanel(Index());
}

void TStatusPanel::SetAlignment(TAlignment a)
{
    if (a == FAlignment) return;
    FAlignment = a;
    FOwner->UpdatePanel(Index());
}

void TStatusPanel::SetBevel(TStatusPanelBevel b)
{
    if (b == FBevel) return;
    FBevel = b;
    FOwner->UpdatePanel(Index());
}

int TStatusPanel::Index() const
{
    TStatusPanels* list = FOwner->Panels();
    for (int i = 0; i < list->Count(); ++i)
        if (list->Items(i) == this) return i;
    return -1;
}

TStatusPanel* TStatusPanels::Add()
{
    auto* p = new TStatusPanel(FOwner);
    FItems.push_back(p);
    Changed();
    return p;
}

void TStatusPanels::Delete(int index)
{
    TStatusPanel* p = Items(index);
    FItems.erase(FItems.begin() + index);
    delete p;
    Changed();
}

void TStatusPanels::Clear()
{
    for (TStatusPanel* p : FItems) delete p;
    FItems.clear();
    Changed();
}

void TStatusPanels::EndUpdate()
{
    if (FUpdate > 0 && --FUpdate == 0) Changed();
}

void TStatusPanels::Changed()
{
    if (FUpdate == 0 && FOwner && !FOwner->HasState(csDestroying)) FOwner->UpdatePanels();
}

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner), FPanels(new TStatusPanels(this)), FCanvas(new TControlCanvas(this))
{
    FHeight = 19;
    FAlign = alBottom;
}

TStatusBar::~TStatusBar()
{
    delete FPanels;
    FPanels = nullptr;
    delete FCanvas;
}

void TStatusBar::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, STATUSCLASSNAMEW);
    // The bar is laid out by our alignment, not by the native one.
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY;
    if (FSizeGrip) p.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdatePanels();
}

void TStatusBar::UpdatePanels()
{
    if (!FHandle || !FPanels) return;
    SendMessageW(FHandle, SB_SIMPLE, FSimplePanel, 0);
    if (FSimplePanel) {
        SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
        return;
    }
    int n = std::max(1, FPanels->Count());
    std::vector<int> edges(static_cast<size_t>(n));
    int x = 0;
    for (int i = 0; i < FPanels->Count(); ++i) {
        x += FPanels->Items(i)->Width();
        edges[static_cast<size_t>(i)] = x;
    }
    // The last panel runs to the end of the bar.
    edges[static_cast<size_t>(n - 1)] = -1;
    SendMessageW(FHandle, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < FPanels->Count(); ++i) UpdatePanel(i);
}

void TStatusBar::UpdatePanel(int index)
{
    if (!FHandle || !FPanels || index < 0 || index >= FPanels->Count() || FSimplePanel) return;
    TStatusPanel* p = FPanels->Items(index);
    WPARAM flags = static_cast<WPARAM>(index);
    if (p->Style() == psOwnerDraw) flags |= SBT_OWNERDRAW;
    if (p->Bevel() == pbNone) flags |= SBT_NOBORDERS;
    else if (p->Bevel() == pbRaised) flags |= SBT_POPOUT;
    if (p->Style() == psOwnerDraw) {
        // The item data of an owner-drawn part is the panel; its text stays ours.
        SendMessageW(FHandle, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(p));
    } else {
        String text = p->Text();
        if (p->Alignment() == taCenter) text = L"\t" + text;
        else if (p->Alignment() == taRightJustify) text = L"\t\t" + text;
        SendMessageW(FHandle, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(text.c_str()));
    }
    RECT r;
    if (SendMessageW(FHandle, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) InvalidateRect(FHandle, &r, TRUE);
}

void TStatusBar::SetSimplePanel(bool on)
{
    if (on == FSimplePanel) return;
    FSimplePanel = on;
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const String& s)
{
    FSimpleText = s;
    if (FHandle && FSimplePanel) SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(s.c_str()));
}

void TStatusBar::SetSizeGrip(bool on)
{
    if (on == FSizeGrip) return;
    FSizeGrip = on;
    RecreateWnd();
}

void TStatusBar::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_DRAWITEM: CNDrawItem(m); break;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        UpdatePanels();
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TStatusBar::CNDrawItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    int index = static_cast<int>(dis->itemID);
    if (index >= 0 && index < FPanels->Count()) {
        // The bar goes on painting with this DC after us.
        TControlCanvasPaint paint(FCanvas, dis->hDC, FFont, FColor, true);
        DrawPanel(FPanels->Items(index), dis->rcItem);
    }
    m.Result = 1;
}

void TStatusBar::DrawPanel(TStatusPanel* panel, const TRect& rect)
{
    if (OnDrawPanel && EventsAllowed()) OnDrawPanel(this, panel, rect);
    else FCanvas->FillRect(rect);
}

// ================================================================================================
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csParentBackground;
    FVisible = false;
    FAlign = alClient;
}

TTabSheet::~TTabSheet()
{
    Destroying();
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
}

void TTabSheet::SetPageControl(TPageControl* pc)
{
    if (pc == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    SetParent(pc);
    if (pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl) return -1;
    auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int index)
{
    if (!FPageControl) return;
    auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    if (it == pages.end()) return;
    pages.erase(it);
    index = std::clamp(index, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + index, this);
    FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const
{
    if (!FPageControl || !FTabVisible) return -1;
    int n = 0;
    for (TTabSheet* p : FPageControl->FPages) {
        if (p == this) return n;
        if (p->FTabVisible) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool on)
{
    if (on == FTabVisible) return;
    FTabVisible = on;
    if (FPageControl) {
        FPageControl->UpdateTabs();
        if (!on && FPageControl->FActivePage == this)
            FPageControl->SetActivePage(FPageControl->FindNextPage(this, true, true));
    }
}

void TTabSheet::SetImageIndex(int i)
{
    FImageIndex = i;
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::CMTextChanged(TMessage& m)
{
    TWinControl::CMTextChanged(m);
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::CMShowingChanged(TMessage& m)
{
    TWinControl::CMShowingChanged(m);
}

void TTabSheet::DoShow()
{
    if (OnShow && EventsAllowed()) OnShow(this);
}

void TTabSheet::DoHide()
{
    if (OnHide && EventsAllowed()) OnHide(this);
}

// ================================================================================================
// TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner), FCanvas(new TControlCanvas(this))
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
    FWidth = 289;
    FHeight = 193;
    FTabStop = true;
}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
    FPages.clear();
    delete FCanvas;
}

void TPageControl::SetImages(TCustomImageList* images)
{
    if (FImages.Set(images)) ImagesChanged(this);
}

void TPageControl::ImagesChanged(TObject*)
{
    if (FHandle) {
        SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Images() ? Images()->Handle() : nullptr));
        UpdateTabSize();
        Realign();
    }
    Invalidate();
}

void TPageControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages.Removed(component)) ImagesChanged(this);
}

void TPageControl::SetTabHeight(int h)
{
    h = std::max(0, h);
    if (h == FTabHeight) return;
    FTabHeight = h;
    UpdateTabSize();
}

void TPageControl::SetTabWidth(int w)
{
    w = std::max(0, w);
    if (w == FTabWidth) return;
    bool fixedChanged = (w > 0) != (FTabWidth > 0);
    FTabWidth = w;
    if (fixedChanged) RecreateWnd();
    else UpdateTabSize();
}

void TPageControl::UpdateTabSize()
{
    if (!FHandle) return;
    // Zero keeps the native size of that side.
    SendMessageW(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    Realign();
    Invalidate();
}

void TPageControl::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, WC_TABCONTROLW);
    p.Style |= WS_CLIPCHILDREN;
    if (FMultiLine) p.Style |= TCS_MULTILINE;
    if (FOwnerDraw) p.Style |= TCS_OWNERDRAWFIXED;
    if (FTabWidth > 0) p.Style |= TCS_FIXEDWIDTH;
    if (FStyle == tsButtons) p.Style |= TCS_BUTTONS;
    else if (FStyle == tsFlatButtons) p.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    switch (FTabPosition) {
    case tpBottom: p.Style |= TCS_BOTTOM; break;
    case tpLeft: p.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case tpRight: p.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    default: break;
    }
}

void TPageControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (Images()) SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Images()->Handle()));
    if (FTabHeight > 0 || FTabWidth > 0) SendMessageW(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    UpdateTabs();
}

void TPageControl::InsertPage(TTabSheet* page)
{
    FPages.push_back(page);
    page->FPageControl = this;
    UpdateTabs();
    if (!FActivePage) SetActivePage(page);
    else page->SetVisible(false);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    TTabSheet* next = FActivePage == page ? FindNextPage(page, true, true) : nullptr;
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (FActivePage == page) {
        FActivePage = nullptr;
        if (next != page && !HasState(csDestroying)) SetActivePage(next);
    }
    if (!HasState(csDestroying)) UpdateTabs();
}

void TPageControl::UpdateTabs()
{
    if (!FHandle || FUpdatingTabs) return;
    FUpdatingTabs = true;
    SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
    int n = 0;
    for (TTabSheet* p : FPages) {
        if (!p->FTabVisible) continue;
        String text = p->Caption();
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM | TCIF_IMAGE;
        item.pszText = text.data();
        item.iImage = p->FImageIndex;
        item.lParam = reinterpret_cast<LPARAM>(p);
        SendMessageW(FHandle, TCM_INSERTITEMW, static_cast<WPARAM>(n++), reinterpret_cast<LPARAM>(&item));
    }
    if (FActivePage) SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FActivePage->TabIndex()), 0);
    FUpdatingTabs = false;
    Realign();
}

TRect TPageControl::DisplayRect() const
{
    TRect r = TWinControl::ClientRect();
    if (FHandle) SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(static_cast<RECT*>(&r)));
    return r;
}

void TPageControl::AlignControls(TControl* control, TRect& rect)
{
    // Pages fill the display area below (or beside) the tabs.
    rect = DisplayRect();
    TWinControl::AlignControls(control, rect);
}

TRect TPageControl::TabRect(int tabIndex) const
{
    RECT r{};
    if (FHandle) SendMessageW(FHandle, TCM_GETITEMRECT, static_cast<WPARAM>(tabIndex), reinterpret_cast<LPARAM>(&r));
    return r;
}

int TPageControl::ActivePageIndex() const
{
    return FActivePage ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? FPages[static_cast<size_t>(index)] : nullptr);
}

int TPageControl::TabIndex() const
{
    if (FHandle) return static_cast<int>(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
    return FActivePage ? FActivePage->TabIndex() : -1;
}

void TPageControl::SetTabIndex(int index)
{
    int n = 0;
    for (TTabSheet* p : FPages) {
        if (!p->FTabVisible) continue;
        if (n++ == index) {
            SetActivePage(p);
            return;
        }
    }
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->FPageControl != this) return;
    if (page == FActivePage) return;
    TTabSheet* old = FActivePage;
    FActivePage = page;
    if (FHandle) SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(page ? page->TabIndex() : -1), 0);
    // The new page shows before the old one hides, so the area never flashes empty.
    if (page) {
        page->BringToFront();
        page->SetVisible(true);
        page->DoShow();
    }
    if (old && old != page && old->FPageControl == this) {
        old->SetVisible(false);
        old->DoHide();
    }
    if (page && FHandle) {
        TCustomForm* form = GetParentForm(this);
        if (form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl())) {
            if (CanFocus()) SetFocus();
        }
    }
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const
{
    if (FPages.empty()) return nullptr;
    int n = static_cast<int>(FPages.size());
    auto it = std::find(FPages.begin(), FPages.end(), current);
    int start = it == FPages.end() ? (goForward ? n - 1 : 0) : static_cast<int>(it - FPages.begin());
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TTabSheet* p = FPages[static_cast<size_t>(i)];
        if (!checkTabVisible || p->FTabVisible) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible)
{
    TTabSheet* p = FindNextPage(FActivePage, goForward, checkTabVisible);
    if (p && p != FActivePage && CanChange()) {
        SetActivePage(p);
        Change();
    }
}

void TPageControl::SetTabPosition(TTabPosition p)
{
    if (p == FTabPosition) return;
    FTabPosition = p;
    RecreateWnd();
}

void TPageControl::SetStyle(TTabStyle s)
{
    if (s == FStyle) return;
    FStyle = s;
    RecreateWnd();
}

void TPageControl::SetMultiLine(bool on)
{
    if (on == FMultiLine) return;
    FMultiLine = on;
    RecreateWnd();
}

void TPageControl::SetOwnerDraw(bool on)
{
    if (on == FOwnerDraw) return;
    FOwnerDraw = on;
    RecreateWnd();
}

void TPageControl::UpdateActivePage()
{
    if (!FHandle) return;
    int tab = static_cast<int>(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (tab >= 0 && SendMessageW(FHandle, TCM_GETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item)))
        SetActivePage(reinterpret_cast<TTabSheet*>(item.lParam));
}

bool TPageControl::CanChange()
{
    bool allow = true;
    if (OnChanging && EventsAllowed()) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change()
{
    if (OnChange && EventsAllowed()) OnChange(this);
}

void TPageControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_NOTIFY: CNNotify(m); break;
    case CN_DRAWITEM: CNDrawItem(m); break;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        Realign();
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TPageControl::CNDrawItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    m.Result = 1;
    if (!dis || !OnDrawTab || !EventsAllowed()) return;
    const int tab = static_cast<int>(dis->itemID);
    // The control goes on painting with this DC after us.
    TControlCanvasPaint paint(FCanvas, dis->hDC, FFont, FColor, true);
    OnDrawTab(this, tab, TRect(dis->rcItem), (dis->itemState & ODS_SELECTED) != 0);
}

void TPageControl::CNNotify(TMessage& m)
{
    auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
    switch (hdr->code) {
    case TCN_SELCHANGING:
        // Non-zero stops the change.
        m.Result = CanChange() ? 0 : 1;
        return;
    case TCN_SELCHANGE:
        UpdateActivePage();
        Change();
        m.Result = 0;
        return;
    default:
        DefaultHandler(m);
        return;
    }
}

// ================================================================================================
// TUpDown

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner)
{
    FWidth = 17;
    FHeight = 25;
}

void TUpDown::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, UPDOWN_CLASSW);
    p.Style |= UDS_ARROWKEYS | UDS_HOTTRACK;
    if (FOrientation == udHorizontal) p.Style |= UDS_HORZ;
    if (FWrap) p.Style |= UDS_WRAP;
}

void TUpDown::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SendMessageW(FHandle, UDM_SETPOS32, 0, FPosition);
}

void TUpDown::SetMin(int v)
{
    FMin = v;
    if (FHandle) SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
}

void TUpDown::SetMax(int v)
{
    FMax = v;
    if (FHandle) SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
}

int TUpDown::Position() const
{
    if (FHandle) return static_cast<int>(SendMessageW(FHandle, UDM_GETPOS32, 0, 0));
    return FPosition;
}

void TUpDown::SetPosition(int v)
{
    FPosition = std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
    if (FHandle) SendMessageW(FHandle, UDM_SETPOS32, 0, FPosition);
}

void TUpDown::SetOrientation(TUDOrientation o)
{
    if (o == FOrientation) return;
    FOrientation = o;
    RecreateWnd();
}

void TUpDown::Dispatch(TMessage& m)
{
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == UDN_DELTAPOS) {
            bool allow = true;
            if (OnChanging && EventsAllowed()) OnChanging(this, allow);
            m.Result = allow ? 0 : 1;
            return;
        }
        DefaultHandler(m);
        return;
    }
    if ((m.Msg == CN_VSCROLL || m.Msg == CN_HSCROLL) && LOWORD(m.WParam) == SB_THUMBPOSITION) {
        int pos = Position();
        TUDBtnType b = pos >= FPosition ? btNext : btPrev;
        FPosition = pos;
        if (OnClick && EventsAllowed()) OnClick(this, b);
        m.Result = 0;
        return;
    }
    TWinControl::Dispatch(m);
}
