#include "vcl/menus.h"

#include <algorithm>
#include <map>

#include "vcl/application_hooks.h"
#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vcl/imagelist.h"
#include "vcl/utilwindow.h"

namespace {

std::map<UINT, TMenuItem*>& Commands()
{
    static std::map<UINT, TMenuItem*> map;
    return map;
}

std::map<HMENU, TMenuItem*>& Handles()
{
    static std::map<HMENU, TMenuItem*> map;
    return map;
}

UINT NextCommand()
{
    // Ids below 0x100 are left to dialogs' standard buttons (IDOK...).
    static UINT next = 0x100;
    do {
        if (++next >= 0xF000) next = 0x100;
    } while (Commands().count(next));
    return next;
}

// Commands and owner-draw requests of popup menus.
class TPopupList {
public:
    HWND Window()
    {
        if (!FWindow) FWindow = AllocateHWnd(Bind<&TPopupList::WndProc>(this));
        return FWindow;
    }

private:
    void WndProc(TMessage& m)
    {
        switch (m.Msg) {
        case WM_COMMAND:
            if (HIWORD(m.WParam) == 0)
                if (TMenuItem* item = TMenuItem::FindByCommand(LOWORD(m.WParam))) {
                    item->Click();
                    return;
                }
            break;
        case WM_INITMENUPOPUP:
            if (TMenuItem* item = TMenuItem::FindByHandle(reinterpret_cast<HMENU>(m.WParam))) item->InitPopup();
            return;
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
            if (dis->CtlType == ODT_MENU)
                if (TMenuItem* item = TMenuItem::FindByCommand(dis->itemID)) {
                    item->DoDrawItem(*dis);
                    m.Result = 1;
                    return;
                }
            break;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
            if (mis->CtlType == ODT_MENU)
                if (TMenuItem* item = TMenuItem::FindByCommand(mis->itemID)) {
                    item->DoMeasureItem(*mis);
                    m.Result = 1;
                    return;
                }
            break;
        }
        default:
            break;
        }
        m.Result = DefWindowProcW(FWindow, m.Msg, m.WParam, m.LParam);
    }

    HWND FWindow = nullptr;
};

TPopupList gPopupList;

}  // namespace

HWND PopupListWindow()
{
    return gPopupList.Window();
}

TShortCut ShortCut(WORD key, unsigned shift)
{
    TShortCut s = key & 0xFF;
    if (shift & ssShift) s |= scShift;
    if (shift & ssCtrl) s |= scCtrl;
    if (shift & ssAlt) s |= scAlt;
    return s;
}

String ShortCutToText(TShortCut sc)
{
    if (sc == 0) return {};
    String s;
    if (sc & scCtrl) s += L"Ctrl+";
    if (sc & scAlt) s += L"Alt+";
    if (sc & scShift) s += L"Shift+";
    UINT key = sc & 0xFF;
    if (key >= VK_F1 && key <= VK_F24) return s + L"F" + IntToStr(key - VK_F1 + 1);
    switch (key) {
    case VK_DELETE: return s + L"Del";
    case VK_INSERT: return s + L"Ins";
    case VK_RETURN: return s + L"Enter";
    case VK_ESCAPE: return s + L"Esc";
    case VK_BACK: return s + L"BkSp";
    case VK_TAB: return s + L"Tab";
    case VK_SPACE: return s + L"Space";
    default: break;
    }
    wchar_t buf[64] = {};
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    if (GetKeyNameTextW(static_cast<LONG>(scan << 16), buf, 63) > 0) return s + buf;
    return s + wchar_t(key);
}

// ================================================================================================
// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
    FCommand = NextCommand();
    Commands()[FCommand] = this;
}

TMenuItem::~TMenuItem()
{
    Destroying();
    if (FParent) FParent->Remove(this);
    // Sub-items owned by someone else just lose their parent; the rest go with us.
    for (TMenuItem* item : std::vector<TMenuItem*>(FItems)) {
        item->FParent = nullptr;
        if (!item->Owner()) delete item;
    }
    FItems.clear();
    Commands().erase(FCommand);
    if (FHandle) {
        Handles().erase(FHandle);
        DestroyMenu(FHandle);
    }
    delete FBitmap;
}

void TMenuItem::SetImageIndex(int i)
{
    if (i == FImageIndex) return;
    FImageIndex = i;
    Changed();
}

TBitmap* TMenuItem::Bitmap()
{
    if (!FBitmap) FBitmap = new TBitmap();
    return FBitmap;
}

void TMenuItem::SetBitmap(const TBitmap* bitmap)
{
    if (bitmap) Bitmap()->Assign(bitmap);
    else if (FBitmap) FBitmap->Assign(nullptr);
    Changed();
}

void TMenuItem::SetBreak(TMenuBreak b)
{
    if (b == FBreak) return;
    FBreak = b;
    if (FParent) FParent->RebuildHandle();
    Changed();
}

void TMenuItem::SetSubMenuImages(TCustomImageList* images)
{
    if (images == FSubMenuImages) return;
    if (FSubMenuImages) FSubMenuImages->RemoveFreeNotification(this);
    FSubMenuImages = images;
    if (images) images->FreeNotification(this);
    Changed();
}

TCustomImageList* TMenuItem::GetImageList() const
{
    for (const TMenuItem* p = FParent; p; p = p->FParent)
        if (p->FSubMenuImages) return p->FSubMenuImages;
    TMenu* menu = GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

void TMenuItem::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FSubMenuImages) FSubMenuImages = nullptr;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* i = this;
    while (i->FParent) i = i->FParent;
    return i->FMenu;
}

TMenuItem* TMenuItem::FindByCommand(UINT command)
{
    auto it = Commands().find(command);
    return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::FindByHandle(HMENU menu)
{
    auto it = Handles().find(menu);
    return it == Handles().end() ? nullptr : it->second;
}

HMENU TMenuItem::Handle()
{
    if (!FHandle) {
        FHandle = FMenuBar ? CreateMenu() : CreatePopupMenu();
        Handles()[FHandle] = this;
        RebuildHandle();
    }
    return FHandle;
}

void TMenuItem::FillMenuItemInfo(MENUITEMINFOW& mii, String& text)
{
    mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    TMenu* menu = GetParentMenu();
    bool ownerDraw = menu && menu->OwnerDraw() && !(FParent && FParent->FMenuBar && !OnDrawItem);
    if (IsLine()) {
        mii.fType = MFT_SEPARATOR;
        mii.fMask &= ~MIIM_STRING;
    } else {
        mii.fType = MFT_STRING;
        text = FCaption;
        if (FShortCut) text += L"\t" + ShortCutToText(FShortCut);
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
    }
    if (FRadioItem) mii.fType |= MFT_RADIOCHECK;
    if (FBreak == mbBreak) mii.fType |= MFT_MENUBREAK;
    else if (FBreak == mbBarBreak) mii.fType |= MFT_MENUBARBREAK;
    if (ownerDraw) mii.fType |= MFT_OWNERDRAW;
    if (FChecked) mii.fState |= MFS_CHECKED;
    if (!FEnabled) mii.fState |= MFS_DISABLED;
    if (FDefault) mii.fState |= MFS_DEFAULT;
    mii.wID = FCommand;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    mii.hSubMenu = FItems.empty() ? nullptr : Handle();
}

void TMenuItem::RebuildHandle()
{
    if (!FHandle) return;
    while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
    UINT pos = 0;
    for (TMenuItem* item : FItems) {
        if (!item->FVisible) continue;
        MENUITEMINFOW mii;
        String text;
        item->FillMenuItemInfo(mii, text);
        InsertMenuItemW(FHandle, pos++, TRUE, &mii);
    }
}

void TMenuItem::Changed()
{
    if (HasState(csDestroying)) return;
    if (FParent) {
        FParent->RebuildHandle();
        FParent->Changed();
        return;
    }
    if (FMenu) FMenu->MenuChanged();
}

void TMenuItem::SetCaption(const String& s)
{
    if (s == FCaption) return;
    FCaption = s;
    Changed();
}

void TMenuItem::SetChecked(bool on)
{
    if (on == FChecked) return;
    FChecked = on;
    // Checking one item of a radio group unchecks the others of the group.
    if (on && FRadioItem && FParent) {
        for (TMenuItem* other : FParent->FItems)
            if (other != this && other->FRadioItem && other->FGroupIndex == FGroupIndex) other->FChecked = false;
    }
    Changed();
}

void TMenuItem::SetRadioItem(bool on)
{
    if (on == FRadioItem) return;
    FRadioItem = on;
    Changed();
}

void TMenuItem::SetEnabled(bool on)
{
    if (on == FEnabled) return;
    FEnabled = on;
    Changed();
}

void TMenuItem::SetVisible(bool on)
{
    if (on == FVisible) return;
    FVisible = on;
    Changed();
}

void TMenuItem::SetDefault(bool on)
{
    if (on == FDefault) return;
    FDefault = on;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut s)
{
    if (s == FShortCut) return;
    FShortCut = s;
    Changed();
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item) return;
    if (item->FParent) throw EInvalidOperation(L"Menu item inserted twice");
    if (index < 0 || index > Count()) index = Count();
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    bool first = FItems.size() == 1;
    RebuildHandle();
    // An item that just got its first sub-item becomes a popup in its own parent.
    if (first && FParent) FParent->RebuildHandle();
    Changed();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
    RebuildHandle();
    if (FItems.empty() && FParent) FParent->RebuildHandle();
    Changed();
}

void TMenuItem::Delete(int index)
{
    TMenuItem* item = Items(index);
    Remove(item);
    TObject::Free(item);
}

void TMenuItem::Clear()
{
    while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& caption) const
{
    for (TMenuItem* i : FItems) {
        String c = StringReplaceAll(i->FCaption, L"&", L"");
        if (SameText(c, StringReplaceAll(caption, L"&", L""))) return i;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (!FEnabled || HasState(csDestroying)) return;
    if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
    if (OnClick) OnClick(this);
}

void TMenuItem::InitPopup()
{
    RebuildHandle();
}

void TMenuItem::DoDrawItem(const DRAWITEMSTRUCT& dis)
{
    TCanvas canvas;
    canvas.SetHandle(dis.hDC);
    int saved = SaveDC(dis.hDC);
    bool selected = (dis.itemState & ODS_SELECTED) != 0;
    TRect r = dis.rcItem;
    if (OnAdvancedDrawItem) {
        // The ODS_ bits are the owner-draw state bits one for one.
        OnAdvancedDrawItem(this, &canvas, r, static_cast<TMenuOwnerDrawState>(dis.itemState & 0xFFFF));
    } else if (OnDrawItem) {
        OnDrawItem(this, &canvas, r, selected);
    } else {
        // A plain look for owner-drawn items without a painter.
        canvas.Brush()->SetColor(selected ? clHighlight : clMenu);
        canvas.FillRect(r);
        canvas.Font()->SetColor(selected ? clHighlightText : (FEnabled ? clMenuText : clGrayText));
        canvas.Brush()->SetStyle(bsClear);
        if (IsLine()) {
            canvas.Pen()->SetColor(clBtnShadow);
            int y = (r.top + r.bottom) / 2;
            canvas.MoveTo(r.left + 2, y);
            canvas.LineTo(r.right - 2, y);
        } else {
            TRect tr = r;
            tr.left += 20;
            canvas.TextRect(tr, FCaption, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            if (FChecked) {
                TRect cr = r;
                cr.right = cr.left + 18;
                canvas.TextRect(cr, FRadioItem ? String(L"\x2022") : String(L"\x2713"), DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            }
        }
    }
    canvas.SetHandle(nullptr);
    RestoreDC(dis.hDC, saved);
}

void TMenuItem::DoMeasureItem(MEASUREITEMSTRUCT& mis)
{
    HDC dc = GetDC(nullptr);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->Assign(ScreenNeeded()->MenuFont());
    int w = canvas.TextWidth(FCaption) + 32;
    int h = IsLine() ? 8 : std::max(canvas.TextHeight(L"Wg") + 6, 18);
    if (OnMeasureItem) OnMeasureItem(this, &canvas, w, h);
    canvas.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    mis.itemWidth = static_cast<UINT>(std::max(w, 0));
    mis.itemHeight = static_cast<UINT>(std::max(h, 0));
}

// ================================================================================================
// TMenu, TMainMenu, TPopupMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner)
{
    FItems = new TMenuItem(nullptr);
    FItems->FMenu = this;
    FImages = new TImageListReference(this, Bind<&TMenu::ImagesChanged>(this));
}

TMenu::~TMenu()
{
    Destroying();
    TObject::Free(FItems);
    delete FImages;
}

TCustomImageList* TMenu::Images() const
{
    return FImages->Get();
}

void TMenu::SetImages(TCustomImageList* images)
{
    if (FImages->Set(images)) ImagesChanged(this);
}

void TMenu::ImagesChanged(TObject*)
{
    if (!HasState(csDestroying)) MenuChanged();
}

void TMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages->Removed(component)) ImagesChanged(this);
}

void TMenu::SetOwnerDraw(bool on)
{
    if (on == FOwnerDraw) return;
    FOwnerDraw = on;
    std::vector<TMenuItem*> stack{FItems};
    while (!stack.empty()) {
        TMenuItem* i = stack.back();
        stack.pop_back();
        i->RebuildHandle();
        for (TMenuItem* c : i->FItems) stack.push_back(c);
    }
    MenuChanged();
}

bool TMenu::IsShortCut(WORD key, unsigned shift)
{
    TShortCut sc = ::ShortCut(key, shift);
    std::vector<TMenuItem*> stack{FItems};
    while (!stack.empty()) {
        TMenuItem* i = stack.back();
        stack.pop_back();
        if (i != FItems && i->ShortCut() == sc && i->Enabled() && i->Visible()) {
            i->Click();
            return true;
        }
        for (TMenuItem* c : i->FItems) stack.push_back(c);
    }
    return false;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner)
{
    FItems->FMenuBar = true;
}

void TMainMenu::MenuChanged()
{
    // Every form showing this menu hears of the change.
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (TCustomForm* form = Screen->Forms(i); form->HandleAllocated() && form->Menu() == this)
            form->Perform(CM_MENUCHANGED, 0, 0);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y)
{
    FPopupPoint = {x, y};
    if (OnPopup) OnPopup(this);
    UINT flags = TPM_RIGHTBUTTON;
    switch (FAlignment) {
    case paLeft: flags |= TPM_LEFTALIGN; break;
    case paRight: flags |= TPM_RIGHTALIGN; break;
    case paCenter: flags |= TPM_CENTERALIGN; break;
    }
    HWND wnd = PopupListWindow();
    TrackPopupMenuEx(Handle(), flags, x, y, wnd, nullptr);
    PostMessageW(wnd, WM_NULL, 0, 0);
}
