#include "vcl/dialogs.h"

#include <commdlg.h>

#include <vector>

#include "vcl/application.h"

UINT MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons b)
{
    UINT flags = 0;
    switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    default: break;
    }
    if ((b & mbYes) && (b & mbNo) && (b & mbCancel)) flags |= MB_YESNOCANCEL;
    else if ((b & mbYes) && (b & mbNo)) flags |= MB_YESNO;
    else if ((b & mbAbort) && (b & mbRetry)) flags |= MB_ABORTRETRYIGNORE;
    else if ((b & mbRetry) && (b & mbCancel)) flags |= MB_RETRYCANCEL;
    else if ((b & mbOK) && (b & mbCancel)) flags |= MB_OKCANCEL;
    else flags |= MB_OK;
    if (b & mbHelp) flags |= MB_HELP;
    return flags;
}

int MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    static const wchar_t* captions[] = {L"Warning", L"Error", L"Information", L"Confirm", L""};
    String caption = captions[type];
    if (caption.empty() && Application) caption = Application->Title();
    UINT flags = MessageDlgFlags(type, buttons) | MB_TASKMODAL;
    if (Application) return Application->MessageBox(msg, caption, flags);
    return MessageBoxW(nullptr, msg.c_str(), caption.c_str(), flags);
}

void ShowMessage(const String& msg)
{
    if (Application) Application->MessageBox(msg, Application->Title(), MB_OK | MB_TASKMODAL);
    else MessageBoxW(nullptr, msg.c_str(), L"", MB_OK);
}

DWORD TOpenDialog::NativeFlags() const
{
    DWORD f = OFN_EXPLORER;
    if (FOptions & ofReadOnly) f |= OFN_READONLY;
    if (FOptions & ofOverwritePrompt) f |= OFN_OVERWRITEPROMPT;
    if (FOptions & ofHideReadOnly) f |= OFN_HIDEREADONLY;
    if (FOptions & ofNoChangeDir) f |= OFN_NOCHANGEDIR;
    if (FOptions & ofShowHelp) f |= OFN_SHOWHELP;
    if (FOptions & ofNoValidate) f |= OFN_NOVALIDATE;
    if (FOptions & ofAllowMultiSelect) f |= OFN_ALLOWMULTISELECT;
    if (FOptions & ofPathMustExist) f |= OFN_PATHMUSTEXIST;
    if (FOptions & ofFileMustExist) f |= OFN_FILEMUSTEXIST;
    if (FOptions & ofCreatePrompt) f |= OFN_CREATEPROMPT;
    if (FOptions & ofShareAware) f |= OFN_SHAREAWARE;
    if (FOptions & ofNoReadOnlyReturn) f |= OFN_NOREADONLYRETURN;
    if (FOptions & ofNoTestFileCreate) f |= OFN_NOTESTFILECREATE;
    if (FOptions & ofNoNetworkButton) f |= OFN_NONETWORKBUTTON;
    if (FOptions & ofNoDereferenceLinks) f |= OFN_NODEREFERENCELINKS;
    if (FOptions & ofEnableSizing) f |= OFN_ENABLESIZING;
    if (FOptions & ofDontAddToRecent) f |= OFN_DONTADDTORECENT;
    if (FOptions & ofForceShowHidden) f |= OFN_FORCESHOWHIDDEN;
    return f;
}

bool TOpenDialog::Execute()
{
    HWND owner = GetActiveWindow();
    if (!owner && Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        owner = Application->MainForm()->Handle();
    return Execute(owner);
}

bool TOpenDialog::Execute(HWND owner)
{
    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    String filter = FFilter;
    for (auto& ch : filter)
        if (ch == L'|') ch = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    std::vector<wchar_t> buffer(32768, L'\0');
    String initialName = ExtractFileName(FFileName);
    std::copy(initialName.begin(), initialName.end(), buffer.begin());
    String initialDir = FInitialDir.empty() ? ExtractFileDir(FFileName) : FInitialDir;
    String ext = FDefaultExt;
    if (!ext.empty() && ext[0] == L'.') ext.erase(0, 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = NativeFlags();

    if (Application) Application->ModalStarted();
    bool ok = RunDialog(ofn);
    if (Application) Application->ModalFinished();
    if (!ok) return false;
    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    FFiles.Clear();
    // Multi-select answers "dir\0name1\0name2\0\0"; a single file is one full path.
    String first(buffer.data());
    const wchar_t* p = buffer.data() + first.size() + 1;
    if ((FOptions & ofAllowMultiSelect) && *p) {
        while (*p) {
            String name(p);
            FFiles.Add(IncludeTrailingPathDelimiter(first) + name);
            p += name.size() + 1;
        }
    } else {
        FFiles.Add(first);
    }
    FFileName = FFiles.Count() > 0 ? FFiles.Get(0) : first;
    return true;
}

bool TOpenDialog::RunDialog(OPENFILENAMEW& ofn)
{
    return GetOpenFileNameW(&ofn) != FALSE;
}

bool TSaveDialog::RunDialog(OPENFILENAMEW& ofn)
{
    return GetSaveFileNameW(&ofn) != FALSE;
}

const wchar_t* const PictureFilesFilter =
    L"All pictures (*.bmp;*.png;*.jpg;*.jpeg;*.ico)|*.bmp;*.png;*.jpg;*.jpeg;*.ico|Bitmaps (*.bmp)|*.bmp|"
    L"PNG images (*.png)|*.png|JPEG images (*.jpg;*.jpeg)|*.jpg;*.jpeg|Icons (*.ico)|*.ico";

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner) { FFilter = PictureFilesFilter; }

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) { FFilter = PictureFilesFilter; }
