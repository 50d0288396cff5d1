// Message boxes and the system's file dialogs.
#pragma once

#include "vcl/win.h"

#include <commdlg.h>

#include <initializer_list>

#include "vcl/classes.h"
#include "vcl/forms.h"
#include "vcl/strings.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
    mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64, mbAll = 128,
    mbNoToAll = 256, mbYesToAll = 512, mbHelp = 1024, mbClose = 2048
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// A message box over the active form (MessageBoxW); answers the modal result of the button.
int MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const String& msg);
// The MB_ flags a dialog type and button set map to (the box shows the nearest standard set).
UINT MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons);

enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4, ofNoValidate = 1u << 5, ofAllowMultiSelect = 1u << 6, ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8, ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10, ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12, ofNoTestFileCreate = 1u << 13, ofNoNetworkButton = 1u << 14,
    ofNoLongNames = 1u << 15, ofOldStyleDialog = 1u << 16, ofNoDereferenceLinks = 1u << 17, ofEnableIncludeNotify = 1u << 18,
    ofEnableSizing = 1u << 19, ofDontAddToRecent = 1u << 20, ofForceShowHidden = 1u << 21
};
using TOpenOptions = unsigned;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}

    const String& FileName() const { return FFileName; }
    void SetFileName(const String& s) { FFileName = s; }
    TStrings* Files() { return &FFiles; }
    // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& s) { FFilter = s; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int i) { FFilterIndex = i; }
    const String& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& s) { FDefaultExt = s; }
    const String& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& s) { FInitialDir = s; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& s) { FTitle = s; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions o) { FOptions = o; }
    // Earlier names offered with the dialog (assigned, not owned).
    TStrings* HistoryList() const { return FHistoryList; }
    void SetHistoryList(TStrings* list) { FHistoryList = list; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    // Runs the dialog; true when the user chose a file (FileName and Files hold it).
    virtual bool Execute();
    bool Execute(HWND owner);

protected:
    virtual bool RunDialog(OPENFILENAMEW& ofn);
    DWORD NativeFlags() const;

    String FFileName;
    TStringList FFiles;
    String FFilter;
    int FFilterIndex = 1;
    String FDefaultExt;
    String FInitialDir;
    String FTitle;
    TOpenOptions FOptions = ofHideReadOnly | ofEnableSizing;
    TStrings* FHistoryList = nullptr;
    int FHelpContext = 0;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    bool RunDialog(OPENFILENAMEW& ofn) override;
};

// The dialogs for pictures: the file dialogs with the picture files' filter by default.
class TOpenPictureDialog : public TOpenDialog {
public:
    explicit TOpenPictureDialog(TComponent* owner);
};

class TSavePictureDialog : public TSaveDialog {
public:
    explicit TSavePictureDialog(TComponent* owner);
};

// "All pictures (*.bmp;*.png;*.jpg;...)|...": the filter the picture dialogs start with.
extern const wchar_t* const PictureFilesFilter;
