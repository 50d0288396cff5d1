// Combo edits: a skinned masked edit with a button in its non-client area at the right (left for
// right-to-left reading). The button shows a drop-down arrow or an image (GlyphMode, else the
// standard picture of the control's kind); an arrow button acts when pressed, an image button
// when released over it. Alt+Down (ClickKey) clicks it from the keyboard.
//
// TsFilenameEdit's button opens the open dialog in the folder of the typed name with the name
// preselected; files dropped from the shell set the text.
#pragma once

#include <functional>
#include <memory>

#include "skin/controls/core/combo_edit.h"
#include "skin/controls/sedits.h"
#include "skin/controls/seditglyphs.h"
#include "vcl/dialogs.h"
#include "vcl/menus.h"

class TacThreadedTimer;
class THintWindow;

class TsCustomComboEdit : public TsMaskEdit {
public:
    explicit TsCustomComboEdit(TComponent* owner);
    ~TsCustomComboEdit() override;

    TsGlyphMode* GlyphMode() const { return FGlyphMode.get(); }
    // Width of the button at 96 PPI; 0: automatic (the glyph's width, or the scroll bar's).
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool value);
    // False: nothing can be typed, cut or pasted; the button still works.
    bool DirectInput() const { return FDirectInput; }
    void SetDirectInput(bool value);
    // The control's own read-only state (the native one is this or not DirectInput).
    bool ComboReadOnly() const { return FReadOnly; }
    void SetComboReadOnly(bool value);
    TShortCut ClickKey() const { return FClickKey; }
    void SetClickKey(TShortCut key) { FClickKey = key; }

    // An arrow button (no picture of the control's kind and no image of GlyphMode).
    bool ComboBtn();
    int ActualButtonWidth();
    int ButtonAreaWidth(bool full);
    int ButtonMargin();
    int ButtonHeight();
    // The button in window coordinates.
    TRect CalcButtonRect(bool full);
    // 0 normal, 1 hot, 2 pressed.
    int ButtonState() const { return FBtnState; }
    bool ButtonEnabled();
    // A click of an enabled image button.
    void DoClick();
    // The button's own hint (GlyphMode's Hint) while it is shown, else nullptr.
    THintWindow* ButtonHint() const { return FHintWnd; }

    TNotifyEvent OnButtonClick;

    // The window shown under the edit by the button (a form opens through the popup
    // controller); nullptr: none.
    TWinControl* PopupWindow() const { return FPopupWindow; }
    void SetPopupWindow(TWinControl* popup)
    {
        FPopupWindow = popup;
        if (popup) popup->FreeNotification(this);
    }
    bool DroppedDown() const;
    virtual void PopupDropDown();
    virtual void PopupCloseUp();
    // The popup's size at 96 PPI.
    int PopupWidth() const { return FPopupWidth; }
    void SetPopupWidth(int v) { FPopupWidth = v; }
    int PopupHeight() const { return FPopupHeight; }
    void SetPopupHeight(int v) { FPopupHeight = v; }

protected:
    virtual void ButtonClick();
    void SelectAll();
    // The button's geometry rule with this control's numbers.
    TacComboEditButton ButtonRule();
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& m) override;
    void WMNCCalcSize(TMessage& m) override;
    void WMNCPaint(TMessage& m) override;
    void PaintContent(TBitmap* cache, int state) override;
    // The standard picture this kind of control shows without GlyphMode images; -1: an arrow.
    int FDefBmpID = sgEllipsis;

private:
    void SetBtnState(int state);
    void StartHintTimer();
    void HintTick(TObject*);
    void HideButtonHint();
    void DrawButton(TBitmap* cache);
    // FaceFont: the font colour of the face drawn under the glyph (clNone: none drawn).
    void DrawButtonGlyph(TBitmap* cache, const TRect& r, bool skinned, TColor faceFont = clNone);
    void PaintPlainButton(HDC dc);

    std::unique_ptr<TsGlyphMode> FGlyphMode;
    int FBtnState = 0;
    int FButtonWidth = 0;
    bool FShowButton = true;
    bool FDirectInput = true;
    bool FReadOnly = false;
    TShortCut FClickKey = TShortCut(scAlt | VK_DOWN);
    int FCalculatedArea = -1;   // the button area the last non-client calculation took
    TWinControl* FPopupWindow = nullptr;
    TacThreadedTimer* FHintTimer = nullptr;
    THintWindow* FHintWnd = nullptr;
    bool FDroppedDown = false;
    int FPopupWidth = 230;
    int FPopupHeight = 166;
};

// The open dialog of the file-name edit. Runner, when assigned, answers in place of the system
// dialog (tests answer it); it sees the dialog's settings as the system dialog would.
// How packed files show in the dialog: as folders one can open, or as files.
enum TsZipShowing { zsAsFolder, zsAsFile };

class TsOpenDialog : public TOpenDialog {
public:
    explicit TsOpenDialog(TComponent* owner) : TOpenDialog(owner) {}
    TsZipShowing ZipShowing = zsAsFolder;
    static inline std::function<bool(OPENFILENAMEW& ofn)> Runner;

protected:
    bool RunDialog(OPENFILENAMEW& ofn) override;
};

// The save dialog beside it, answered the same way.
class TsSaveDialog : public TSaveDialog {
public:
    explicit TsSaveDialog(TComponent* owner) : TSaveDialog(owner) {}
    static inline std::function<bool(OPENFILENAMEW& ofn)> Runner;

protected:
    bool RunDialog(OPENFILENAMEW& ofn) override;
};

using TExecOpenDialogEvent = Method<void(TObject* Sender, String& Name, bool& Action)>;

// What the file and directory edits share: dialog events and files dropped from the shell.
class TsFileDirEdit : public TsCustomComboEdit {
public:
    explicit TsFileDirEdit(TComponent* owner);

    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool value);
    virtual String LongName() = 0;
    virtual String ShortName() = 0;

    TExecOpenDialogEvent OnBeforeDialog, OnAfterDialog;
    TNotifyEvent OnDropFiles;

    // Where a dropped name that cannot be taken is reported (the debugger output and stderr
    // when unassigned).
    static inline std::function<void(const String&)> DropLog;

protected:
    virtual void AcceptFileName(const String& value) = 0;
    virtual void ClearFileList() {}
    void DoBeforeDialog(String& name, bool& action);
    void DoAfterDialog(String& name, bool& action);
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    bool FMultipleDirs = false;

private:
    void DropFiles(HANDLE drop);
    void SetDragAccept(bool on);
    bool FAcceptFiles = false;
};

// The dialog the file-name edit opens.
enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };

class TsFilenameEdit : public TsFileDirEdit {
public:
    explicit TsFilenameEdit(TComponent* owner);

    // Another kind makes the dialog anew, with the settings of the one before.
    TFileDialogKind DialogKind() const { return FDialogKind; }
    void SetDialogKind(TFileDialogKind kind);
    int FilterIndex() const { return FDialog->FilterIndex(); }
    void SetFilterIndex(int i) { FDialog->SetFilterIndex(i); }
    TStrings* HistoryList() const { return FDialog->HistoryList(); }
    void SetHistoryList(TStrings* list) { FDialog->SetHistoryList(list); }

    TOpenDialog* Dialog() const { return FDialog.get(); }
    // The text. A name that is not a valid file-name text raises EInvalidOperation
    // "Invalid file name" and leaves the text as it was.
    String FileName() const { return Text(); }
    void SetFileName(const String& name);
    String LongName() override { return FileName(); }
    String ShortName() override { return FileName(); }

    const String& InitialDir() const { return FDialog->InitialDir(); }
    void SetInitialDir(const String& s) { FDialog->SetInitialDir(s); }
    const String& Filter() const { return FDialog->Filter(); }
    void SetFilter(const String& s) { FDialog->SetFilter(s); }
    const String& DefaultExt() const { return FDialog->DefaultExt(); }
    void SetDefaultExt(const String& s) { FDialog->SetDefaultExt(s); }
    TOpenOptions DialogOptions() const { return FDialog->Options(); }
    void SetDialogOptions(TOpenOptions options);
    const String& DialogTitle() const { return FDialog->Title(); }
    void SetDialogTitle(const String& s) { FDialog->SetTitle(s); }
    // The title is kept with the edit's settings only when it is not the system's own title of
    // a file-open dialog.
    bool DialogTitleStored() const;
    TStrings* DialogFiles() const { return FDialog->Files(); }

protected:
    void ButtonClick() override;
    void AcceptFileName(const String& value) override;
    void ClearFileList() override;

private:
    // A dialog of DialogKind; the settings of an existing one carried over.
    void CreateEditDialog();
    std::unique_ptr<TOpenDialog> FDialog;
    TFileDialogKind FDialogKind = dkOpen;
};
