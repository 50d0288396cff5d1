// Standard controls over the native windows: buttons, check boxes, radio buttons, group boxes,
// labels, edits, memos, combo boxes and list boxes. Each superclasses its native class
// ("BUTTON", "EDIT", "COMBOBOX", "LISTBOX") under its own class name and handles the
// notifications its parent reflects to it (CN_COMMAND, CN_DRAWITEM, CN_CTLCOLOR*...).
#pragma once

#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vcl/imagelist.h"
#include "vcl/label_text.h"

class TPopupMenu;

// ---- buttons -----------------------------------------------------------------------------------

class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* owner);

protected:
    void Dispatch(TMessage& m) override;
    virtual void CNCtlColor(TMessage& m);
};

enum TButtonStyle { bsPushButton, bsCommandLink, bsSplitButton };
enum TImageAlignment { iaLeft, iaRight, iaTop, iaBottom, iaCenter };

// Room around a button's image.
struct TImageMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TImageMargins&) const = default;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);
    ~TButton() override;

    // An image beside the caption: ImageIndex of Images, placed by ImageAlignment. The
    // button repaints when the list changes; a freed list is forgotten.
    TCustomImageList* Images() const { return FImages.Get(); }
    void SetImages(TCustomImageList* images);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TImageAlignment ImageAlignment() const { return FImageAlignment; }
    void SetImageAlignment(TImageAlignment a);
    // The images of the other looks: hot, pressed, focused (selected) and disabled; -1: ImageIndex's.
    int HotImageIndex() const { return FHotImageIndex; }
    void SetHotImageIndex(int index) { SetIndexOf(FHotImageIndex, index); }
    int PressedImageIndex() const { return FPressedImageIndex; }
    void SetPressedImageIndex(int index) { SetIndexOf(FPressedImageIndex, index); }
    int SelectedImageIndex() const { return FSelectedImageIndex; }
    void SetSelectedImageIndex(int index) { SetIndexOf(FSelectedImageIndex, index); }
    int DisabledImageIndex() const { return FDisabledImageIndex; }
    void SetDisabledImageIndex(int index) { SetIndexOf(FDisabledImageIndex, index); }
    const TImageMargins& ImageMargins() const { return FImageMargins; }
    void SetImageMargins(const TImageMargins& margins);
    // The system's shield beside the caption: the click starts something that needs elevation.
    bool ElevationRequired() const { return FElevationRequired; }
    void SetElevationRequired(bool on);
    // The command link's second line under its caption.
    const String& CommandLinkHint() const { return FCommandLinkHint; }
    void SetCommandLinkHint(const String& hint);
    // bsSplitButton adds an arrow part whose press opens DropDownMenu below the button.
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle s);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* menu);
    // Opens DropDownMenu under the button (what a press on the arrow part does).
    virtual void DropDownClick();

    // Enter clicks the Default button (unless another button has the focus), Escape the
    // Cancel button; a button with a ModalResult sets it on its form when clicked.
    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool on) { FCancel = on; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult r) { FModalResult = r; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& m) override;
    virtual void CNCommand(TMessage& m);
    virtual void CMDialogKeyButton(TMessage& m);
    virtual void CMFocusChangedButton(TMessage& m);
    // Called when the default look changes (the focused button or the Default one).
    virtual void SetButtonStyle(bool isDefault);
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Hands the image to the native button (where the system's buttons show images).
    void UpdateImages();
    // The image list's content changed: the native button gets the image again.
    virtual void UpdateImageList() { UpdateImages(); }
    void ImagesChanged(TObject* sender);
    void SetIndexOf(int& field, int index);

    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    bool FWordWrap = false;
    TModalResult FModalResult = mrNone;
    TImageListReference FImages{this, Bind<&TButton::ImagesChanged>(this)};
    int FImageIndex = -1;
    int FHotImageIndex = -1, FPressedImageIndex = -1, FSelectedImageIndex = -1, FDisabledImageIndex = -1;
    TImageMargins FImageMargins;
    bool FElevationRequired = false;
    String FCommandLinkHint;
    TImageAlignment FImageAlignment = iaLeft;
    TButtonStyle FStyle = bsPushButton;
    TPopupMenu* FDropDownMenu = nullptr;
    HIMAGELIST FNativeImages = nullptr;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* owner);

    bool Checked() const { return FState == cbChecked; }
    // Both setters end in SetState: a subclass overriding SetState sees every change (code,
    // clicks, Toggle). A changed state sends CM_CHANGED, then fires OnClick.
    virtual void SetChecked(bool on) { SetState(on ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    virtual void SetState(TCheckBoxState s);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool on) { FAllowGrayed = on; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    virtual void CNCommand(TMessage& m);
    // The next state of a click: unchecked, checked, grayed (when allowed), unchecked.
    virtual void Toggle();
    // AutoSize: the box, a gap and the caption in the control's font.
    bool CanAutoSize(int& newWidth, int& newHeight) override;

    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
    bool FWordWrap = false;
    bool FClicksDisabled = false;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return FChecked; }
    // Checking a radio button unchecks its siblings.
    void SetChecked(bool on);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;

    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    TRect ClientRect() const override;

protected:
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// ---- label -------------------------------------------------------------------------------------

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout l);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool on);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* c);
    // Where "..." goes when the text does not fit; only a label that does not size itself to
    // its text shortens it.
    TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
    void SetEllipsisPosition(TEllipsisPosition p);
    // Resizes to the text when AutoSize is on (on by default), keeping the side the text is
    // aligned to in place.
    virtual void AdjustBounds();
    void AdjustSize() override { AdjustBounds(); }

protected:
    void Paint() override;
    void Loaded() override;
    void Dispatch(TMessage& m) override;
    void Notification(TComponent* component, TOperation operation) override;
    // DrawText of the caption with the label's flags (DT_CALCRECT measures).
    virtual void DoDrawText(TRect& rect, UINT flags);
    UINT TextFlags() const;
    // The text to draw in rect with the canvas's font, and flags with the ellipsis flag of
    // EllipsisPosition: a word-wrapped text that is taller than the label is cut back and
    // ends in "...".
    String EllipsisText(const String& text, const TRect& rect, UINT& flags);

    TAlignment FAlignment = taLeftJustify;
    TEllipsisPosition FEllipsisPosition = epNone;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ---- edits -------------------------------------------------------------------------------------

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int n);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on);
    bool NumbersOnly() const { return FNumbersOnly; }
    void SetNumbersOnly(bool on);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase c);
    wchar_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(wchar_t c);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }
    const String& TextHint() const { return FTextHint; }
    void SetTextHint(const String& s);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    // The frame: bsSingle draws one (sunken with Ctl3D, a plain line without), bsNone none.
    // BevelKind other than bkNone adds a bevel of BevelWidth outside the text area, its
    // inner and outer cuts given by BevelInner and BevelOuter.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle s);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool on);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind k);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut c);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut c);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int w);
    bool Modified() const;
    void SetModified(bool on);
    int SelStart() const;
    void SetSelStart(int pos);
    int SelLength() const;
    void SetSelLength(int n);
    String SelText() const;
    void SetSelText(const String& s);
    void SelectAll();
    void Clear() { SetText(String()); }

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    // After the text changed: CM_CHANGED, then OnChange (not while loading).
    virtual void Change();
    virtual void CNCommand(TMessage& m);
    virtual void CNCtlColor(TMessage& m);
    void WMNCCalcSize(TMessage& m) override;
    void WMNCPaint(TMessage& m) override;
    // The width the bevel takes on each side (0 without BevelKind).
    int BevelExtent() const;
    // AutoSize: the height of one line of text in the font, with the frame.
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    void FrameChanged();

    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FNumbersOnly = false;
    TEditCharCase FCharCase = ecNormal;
    wchar_t FPasswordChar = 0;
    bool FAutoSelect = true;
    String FTextHint;
    TAlignment FAlignment = taLeftJustify;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    TBevelKind FBevelKind = bkNone;
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    int FBevelWidth = 1;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCustomMemo;

// The lines of a memo, read from and written to the native edit's text.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}
    int Count() const override;
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const String& s) override;
    void SetText(const String& text) override;

private:
    std::vector<String> Lines() const;
    void SetLines(const std::vector<String>& lines);
    TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return FLines; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle s);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool on) { FWantReturns = on; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool on) { FWantTabs = on; }

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& m) override;

    TMemoStrings* FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---- lists -------------------------------------------------------------------------------------

enum TOwnerDrawStateFlag : unsigned {
    odSelected = 1, odGrayed = 2, odDisabled = 4, odChecked = 8, odFocused = 16, odDefault = 32, odHotLight = 64,
    odInactive = 128, odNoAccel = 256, odNoFocusRect = 512, odReserved1 = 1024, odReserved2 = 2048,
    odComboBoxEdit = 4096
};
using TOwnerDrawState = unsigned;
// ODS_* bits of DRAWITEMSTRUCT.itemState as a TOwnerDrawState.
TOwnerDrawState OwnerDrawStateFromODS(UINT itemState);

using TDrawItemEvent = Method<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = Method<void(TWinControl* Control, int Index, int& Height)>;

// Items of a list-like control: a shadow list kept in step with the native list, so the
// items survive a recreated window.
class TListControlItems : public TStrings {
public:
    struct Messages {
        UINT add, insert, remove, reset, getText, getTextLen, setData, getData;
    };
    TListControlItems(TWinControl* owner, const Messages& msgs) : FOwner(owner), FMsgs(msgs)
    {
        FList.SetDuplicates(TDuplicates::dupAccept);
    }
    int Count() const override { return FList.Count(); }
    String Get(int index) const override { return FList.Get(index); }
    void Put(int index, const String& s) override;
    TObject* Objects(int index) const override { return FList.Objects(index); }
    void PutObject(int index, TObject* obj) override { FList.PutObject(index, obj); }
    // A sorted list puts an added item at its place (Add answers where); Insert refuses.
    int Add(const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;
    int IndexOf(const String& s) const override { return FList.IndexOf(s); }
    bool Sorted() const { return FList.Sorted(); }
    void SetSorted(bool on);
    // Fills the native list from the shadow (after the window is made).
    void Fill();

private:
    void InsertNative(int index, const String& s);

    TWinControl* FOwner;
    Messages FMsgs;
    TStringList FList;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStrings* Items() const { return FItems; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle s);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int n) { FDropDownCount = n; }
    int ItemHeight() const;
    void SetItemHeight(int h);
    bool DroppedDown() const;
    void SetDroppedDown(bool on);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool on);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int n);
    // The inner edit (csDropDown, csSimple) and the drop-down list window.
    HWND EditHandle() const;
    HWND ListHandle() const;
    TCanvas* Canvas() const { return FCanvas; }
    void Clear();
    // The focus may sit in the inner edit: that counts as the combo box's.
    bool Focused() const override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& m) override;
    virtual void CNCommand(TMessage& m);
    virtual void CNDrawItem(TMessage& m);
    virtual void CNMeasureItem(TMessage& m);
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    // After the text or the selection changed: CM_CHANGED, then OnChange (not while loading).
    virtual void Change();
    // A selection from the list: OnSelect when set (after CM_CHANGED), else Change.
    virtual void Select();
    virtual void DropDown();
    // The step before the list opens (after DropDown): sizes the list to DropDownCount
    // items, fewer when there are fewer. An override may count open lists.
    virtual void AdjustDropDown();
    virtual void CloseUp();
    // Messages of the inner edit and list windows (subclassed); the default passes them on.
    virtual void ComboWndProc(TMessage& m, HWND wnd);

    static LRESULT CALLBACK ChildSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void SubclassChildren();
    void UnsubclassChildren();

    TListControlItems* FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
    int FItemHeight = 16;
    bool FSorted = false;
    int FMaxLength = 0;
    int FSavedIndex = -1;
    TCanvas* FCanvas;
    HWND FEditHandle = nullptr;
    HWND FListHandle = nullptr;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    TStrings* Items() const { return FItems; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    void Clear() { FItems->Clear(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    TListControlItems* FItems;
    int FSavedIndex = -1;
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// A plain native scroll bar.
class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};
