// Menus over real HMENUs: TMainMenu (a form's menu bar), TPopupMenu, and TMenuItem. Each item
// has a command id; WM_COMMAND with that id (to a form, or to the popup list window) clicks
// the item. Owner-drawn items paint through OnDrawItem / OnMeasureItem.
#pragma once

#include "vcl/win.h"

#include <vector>

#include "vcl/classes.h"
#include "vcl/graphics.h"
#include "vcl/messages.h"

class TMenu;
class TCustomImageList;
class TImageListReference;

// A menu item that starts a new column (mbBreak) or a new column after a line (mbBarBreak).
enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

// Owner-draw state bits of an item (as the ODS_ bits of DRAWITEMSTRUCT: odSelected,
// odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel).
using TMenuOwnerDrawState = unsigned;

// Key code in the low byte, plus these modifier bits.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(WORD key, unsigned shift /* ssShift, ssCtrl, ssAlt of controls.h */);
String ShortCutToText(TShortCut shortCut);

using TMenuDrawItemEvent = Method<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TMenuMeasureItemEvent = Method<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TAdvancedMenuDrawItemEvent =
    Method<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TMenuOwnerDrawState State)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& s);
    bool Checked() const { return FChecked; }
    void SetChecked(bool on);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool on);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int g) { FGroupIndex = g; }
    // Checking a radio item or one with AutoCheck unchecks the others of its group.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool on) { FAutoCheck = on; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on);
    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut s);
    const String& Hint() const { return FHint; }
    void SetHint(const String& s) { FHint = s; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int i);
    // A picture of the item's own (owned; empty when none).
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* bitmap);
    bool HasBitmap() const { return FBitmap && !FBitmap->Empty(); }
    TMenuBreak Break() const { return FBreak; }
    void SetBreak(TMenuBreak b);
    // The image list of the sub-items' images (nullptr: the menu's Images).
    TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TCustomImageList* images);
    // The list this item's ImageIndex refers to: the parent's SubMenuImages, else the menu's
    // Images.
    TCustomImageList* GetImageList() const;
    bool IsLine() const { return FCaption == L"-"; }

    // Sub-items.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    TMenuItem* operator[](int index) const { return Items(index); }
    TMenuItem* Parent() const { return FParent; }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out (it is not freed); Delete frees it.
    void Remove(TMenuItem* item);
    void Delete(int index);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    TMenuItem* Find(const String& caption) const;

    // The menu this item belongs to (nullptr while it hangs nowhere).
    TMenu* GetParentMenu() const;
    UINT Command() const { return FCommand; }
    // The popup HMENU of an item with sub-items (made on demand).
    HMENU Handle();

    virtual void Click();
    void InitPopup();
    virtual void DoDrawItem(const DRAWITEMSTRUCT& dis);
    virtual void DoMeasureItem(MEASUREITEMSTRUCT& mis);

    static TMenuItem* FindByCommand(UINT command);
    static TMenuItem* FindByHandle(HMENU menu);

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    // Draws an owner-drawn item with its whole state; takes precedence over OnDrawItem.
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

protected:
    friend class TMenu;
    friend class TMainMenu;
    void Notification(TComponent* component, TOperation operation) override;
    void Changed();
    void RebuildHandle();
    void FillMenuItemInfo(MENUITEMINFOW& mii, String& text);

    String FCaption;
    bool FChecked = false;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    bool FAutoCheck = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    TShortCut FShortCut = 0;
    String FHint;
    int FImageIndex = -1;
    TBitmap* FBitmap = nullptr;
    TMenuBreak FBreak = mbNone;
    TCustomImageList* FSubMenuImages = nullptr;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;   // set on a menu's root item
    UINT FCommand = 0;
    HMENU FHandle = nullptr;
    bool FMenuBar = false;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return FItems; }
    virtual HMENU Handle() { return FItems->Handle(); }
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool on);
    // The images of the items (their ImageIndex); the menu is redrawn when the list changes.
    TCustomImageList* Images() const;
    void SetImages(TCustomImageList* images);
    // The menu item for a key with modifiers, clicked when found.
    bool IsShortCut(WORD key, unsigned shift);
    virtual void MenuChanged() {}

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void ImagesChanged(TObject* sender);

    TMenuItem* FItems;
    bool FOwnerDraw = false;
    TImageListReference* FImages;
};

class TCustomForm;

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    void MenuChanged() override;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    // Shows the menu at a screen point and returns when it closes; the chosen item fires
    // from the message loop right after.
    virtual void Popup(int x, int y);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool on) { FAutoPopup = on; }
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* c) { FPopupComponent = c; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment a) { FAlignment = a; }
    TPoint PopupPoint() const { return FPopupPoint; }

    TNotifyEvent OnPopup;

private:
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
    TPopupAlignment FAlignment = paLeft;
    TPoint FPopupPoint;
};

// The hidden window that receives the commands of popup menus.
HWND PopupListWindow();
