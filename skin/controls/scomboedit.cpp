#include "skin/controls/scomboedit.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "skin/controls/scharimagelist.h"
#include "skin/controls/spopupcontroller.h"
#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/window_helpers.h"
#include "vcl/application.h"
#include "skin/engine/core/general.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/image_modes.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

namespace {

void ReportDropError(const String& text)
{
    if (TsFileDirEdit::DropLog) {
        TsFileDirEdit::DropLog(text);
        return;
    }
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

bool OldGlyphsModeOn(TsSkinManager* m)
{
    return !m || !m->ButtonsOptions() || m->ButtonsOptions()->OldGlyphsMode();
}

}  // namespace

// ================================================================================================
// TsCustomComboEdit

TsCustomComboEdit::TsCustomComboEdit(TComponent* owner)
    : TsMaskEdit(owner), FGlyphMode(std::make_unique<TsGlyphMode>(this, SkinData()))
{
    SkinData()->COC = 138;
    SetHeight(21);
}

TsCustomComboEdit::~TsCustomComboEdit()
{
    OnKeyDown = nullptr;
    HideButtonHint();
    TObject::Free(FHintTimer);
    FHintTimer = nullptr;
}

void TsCustomComboEdit::StartHintTimer()
{
    if (!FHintTimer) {
        FHintTimer = new TacThreadedTimer(nullptr, false);
        FHintTimer->SetOnTimer(Bind<&TsCustomComboEdit::HintTick>(this));
    }
    FHintTimer->SetInterval(unsigned(std::max(Application ? Application->HintPause : 500, 1)));
    FHintTimer->SetEnabled(true);
}

void TsCustomComboEdit::HintTick(TObject*)
{
    if (FHintTimer) FHintTimer->SetEnabled(false);
    // Shown once per hover, after the application's hint pause.
    if (FHintWnd || FBtnState == 0 || !ShowHint() || !Application || !Application->ShowHint() ||
        FGlyphMode->Hint().empty())
        return;
    POINT p{};
    GetCursorPos(&p);
    FHintWnd = ShowPlainHint(FGlyphMode->Hint(), TPoint(p.x, p.y));
}

void TsCustomComboEdit::HideButtonHint()
{
    if (FHintTimer) FHintTimer->SetEnabled(false);
    if (FHintWnd) HidePlainHint(FHintWnd);
}

void TsCustomComboEdit::SetButtonWidth(int value)
{
    SetFrameField(FButtonWidth, value);
}

void TsCustomComboEdit::SetShowButton(bool value)
{
    SetFrameField(FShowButton, value);
}

void TsCustomComboEdit::SetDirectInput(bool value)
{
    FDirectInput = value;
    TsMaskEdit::SetReadOnly(!value || FReadOnly);
}

void TsCustomComboEdit::SetComboReadOnly(bool value)
{
    if (FReadOnly == value) return;
    FReadOnly = value;
    TsMaskEdit::SetReadOnly(value || !FDirectInput);
}

bool TsCustomComboEdit::ComboBtn() { return FDefBmpID == -1 && !FGlyphMode->HasOwnImage(); }

int TsCustomComboEdit::ActualButtonWidth()
{
    if (!ComboBtn()) return FGlyphMode->Width();
    if (FButtonWidth != 0) return ScaleForControl(FButtonWidth, SkinData(), true);
    if (TsSkinManager* m = SkinData()->SkinManager(); m && DrawnFromSkin()) return m->ScrollBarWidth(SkinData()->CurrentPPI);
    return GetSystemMetrics(SM_CXVSCROLL);
}

TacComboEditButton TsCustomComboEdit::ButtonRule()
{
    TacComboEditButton b;
    b.ShowButton = FShowButton;
    b.GlyphButton = !ComboBtn();
    b.ActualButtonWidth = ActualButtonWidth();
    TacSkinData* d = DrawnFromSkin() ? SkinData()->ResolveSkinData() : nullptr;
    b.Spacing = d ? d->Spacing : 0;
    b.Margin = ButtonMargin();
    return b;
}

int TsCustomComboEdit::ButtonAreaWidth(bool full) { return ButtonRule().AreaWidth(full); }

int TsCustomComboEdit::ButtonMargin()
{
    const bool skinned = DrawnFromSkin();
    TacSkinData* d = skinned ? SkinData()->ResolveSkinData() : nullptr;
    // The native frame's width, not the masked edit's text border one pixel further in: the
    // button then starts exactly where the client area ends.
    return ComboButtonMargin(skinned && d, OldGlyphsModeOn(SkinData()->SkinManager()), !ComboBtn(),
                             d ? d->ComboBoxMargin : 0, FrameBorderWidth());
}

int TsCustomComboEdit::ButtonHeight()
{
    if (!ComboBtn()) return FGlyphMode->Height();
    TacSkinData* d = DrawnFromSkin() ? SkinData()->ResolveSkinData() : nullptr;
    return d ? Height() - 2 * d->ComboBoxMargin : Height();
}

TRect TsCustomComboEdit::CalcButtonRect(bool full)
{
    return ButtonRule().Rect(Width(), Height(), UseRightToLeftReading(), full);
}

bool TsCustomComboEdit::ButtonEnabled() { return Enabled() && !FReadOnly && FGlyphMode->Enabled(); }

void TsCustomComboEdit::DoClick()
{
    if (ButtonEnabled() && !ComboBtn()) ButtonClick();
}

void TsCustomComboEdit::ButtonClick()
{
    if (OnButtonClick && EventsAllowed()) OnButtonClick(this);
    if (DroppedDown())
        PopupCloseUp();
    else
        PopupDropDown();
}

bool TsCustomComboEdit::DroppedDown() const
{
    return FDroppedDown || (FPopupWindow && FPopupWindow->HandleAllocated() && IsWindowVisible(FPopupWindow->Handle()));
}

void TsCustomComboEdit::PopupCloseUp()
{
    FDroppedDown = false;
    if (!FPopupWindow || !FPopupWindow->HandleAllocated() || !IsWindowVisible(FPopupWindow->Handle())) return;
    if (auto* form = dynamic_cast<TCustomForm*>(FPopupWindow))
        form->Close();
    else
        FPopupWindow->Hide();
}

void TsCustomComboEdit::PopupDropDown()
{
    if (!FPopupWindow || FReadOnly || DroppedDown()) return;
    FPopupWindow->Hide();
    TsSkinManager* m = SkinData()->SkinManager();
    const bool scaled = m && m->ScaleModeValue() == smVCL;
    FPopupWindow->SetBounds(FPopupWindow->Left(), FPopupWindow->Top(),
                            scaled ? ScaleForControl(FPopupWidth, SkinData(), true) : FPopupWidth,
                            scaled ? ScaleForControl(FPopupHeight, SkinData(), true) : FPopupHeight);
    if (CanFocus()) {
        SetFocus();
        ValidateRect(Handle(), nullptr);
    }
    if (auto* form = dynamic_cast<TForm*>(FPopupWindow)) {
        ShowPopupForm(form, this, -1, true, -1);
        FDroppedDown = form->HandleAllocated() && IsWindowVisible(form->Handle());
    } else {
        FPopupWindow->Show();
    }
}

void TsCustomComboEdit::SelectAll()
{
    if (!Text().empty() && HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TsCustomComboEdit::KeyDown(WORD& key, TShiftState shift)
{
    TsMaskEdit::KeyDown(key, shift);
    if (!key) return;
    const TShortCut sc = ShortCut(key, shift);
    if (sc == FClickKey && ActualButtonWidth() > 0) {
        if (ButtonEnabled()) ButtonClick();
        key = 0;   // consumed also when the button cannot act
    } else if (sc == TShortCut(scCtrl | 'A')) {
        SelectAll();
        key = 0;
        // The control character the key would type next.
        MSG pending{};
        if (HandleAllocated()) PeekMessageW(&pending, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    }
}

void TsCustomComboEdit::Notification(TComponent* component, TOperation operation)
{
    TsMaskEdit::Notification(component, operation);
    if (operation == TOperation::opRemove && FGlyphMode && component == FGlyphMode->Images()) FGlyphMode->SetImages(nullptr);
    if (operation == TOperation::opRemove && component == FPopupWindow) FPopupWindow = nullptr;
}

void TsCustomComboEdit::KeyPress(wchar_t& key)
{
    if (key == L'\r' || key == 0x1B) {
        // A form that previews keys hears of Enter and Escape first.
        if (TCustomForm* form = GetParentForm(this); form && form->KeyPreview())
            form->Perform(CM_DIALOGKEY, WPARAM(key & 0xFF), 0);
    }
    TsMaskEdit::KeyPress(key);
    if (key == L'\r') key = 0;   // Enter stays in the edit
}

void TsCustomComboEdit::WMNCCalcSize(TMessage& m)
{
    TsMaskEdit::WMNCCalcSize(m);
    if (!m.LParam || !FShowButton) return;
    auto* r = reinterpret_cast<RECT*>(m.LParam);
    const int w = ButtonAreaWidth(true);
    FCalculatedArea = w;
    if (UseRightToLeftReading())
        r->left = std::min<LONG>(r->left + w, r->right);
    else
        r->right = std::max<LONG>(r->right - w, r->left);
}

// ---- painting ------------------------------------------------------------------------------

void TsCustomComboEdit::PaintContent(TBitmap* cache, int state)
{
    TsMaskEdit::PaintContent(cache, state);
    if (FShowButton) DrawButton(cache);
}

void TsCustomComboEdit::DrawButton(TBitmap* cache)
{
    const TRect r = CalcButtonRect(false);
    if (r.IsEmpty()) return;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    TsSkinManager* m = l->SkinManager();
    if (!ComboBtn()) {
        // The old glyph mode draws no face: only the glyph changes with the state.
        TColor faceFont = clNone;
        if (FBtnState > 0 && !OldGlyphsModeOn(m) && d && m) {
            for (TacSection s : {ssComboBtn, ssUpDown, ssSpeedButton_Small}) {
                const int i = m->SkinCommonInfo.Sections[s];
                if (!d->IsValidSection(i)) continue;
                TCacheInfo bg;
                bg.Bmp = BitmapView(cache);
                bg.Ready = true;
                const TsGeneralData& g = d->gd[size_t(i)];
                PaintItem(i, bg, SectionState(g, FBtnState), r, r.TopLeft(), BitmapView(cache), d);
                faceFont = g.Props[size_t(SectionTextState(g, FBtnState))].FontColor.Color;
                break;
            }
        }
        DrawButtonGlyph(cache, r, true, faceFont);
        return;
    }
    const int s = std::min(FBtnState, 2);
    TColor arrow = Font()->Color();
    if (d && m) {
        const int btn = m->SkinCommonInfo.Sections[ssComboBtn];
        if (d->IsValidSection(btn)) {
            TCacheInfo bg;
            bg.Bmp = BitmapView(cache);
            bg.Ready = true;
            const TsGeneralData& g = d->gd[size_t(btn)];
            PaintItem(btn, bg, SectionState(g, s), r, r.TopLeft(), BitmapView(cache), d);
            arrow = g.Props[size_t(SectionTextState(g, s))].FontColor.Color;
        } else if (d->IsValidSection(l->SkinIndex)) {
            const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
            arrow = g.Props[size_t(SectionTextState(g, s))].FontColor.Color;
        }
    }
    const int style = m ? int(m->Options()->ActualArrowStyle()) : 0;
    DrawArrowGlyph32(cache, arrow, clNone, r, adDown, 0, 0, 0, style, l->CurrentPPI);
}

void TsCustomComboEdit::DrawButtonGlyph(TBitmap* cache, const TRect& r, bool skinned, TColor faceFont)
{
    TsGlyphMode* g = FGlyphMode.get();
    TCustomImageList* list = nullptr;
    int index = -1, frames = 1;
    if (g->HasOwnImage()) {
        list = g->Images();
        index = g->ImageIndex();
        const int alt = FBtnState == 1 ? g->ImageIndexHot() : FBtnState == 2 ? g->ImageIndexPressed() : -1;
        if (alt >= 0 && alt < list->Count()) index = alt;
    } else {
        list = GetStdGlyphs();
        index = FDefBmpID;
        if (list) frames = GlyphFrameCount(list->Width(), list->Height());
    }
    if (!list || index < 0 || index >= list->Count()) return;
    TacEditGlyphLook look;
    look.Frames = frames;
    look.Cell = FBtnState;
    look.ShiftX = 1;
    look.Blend = g->Blend();
    if (!ButtonEnabled()) look.Blend += (100 - look.Blend) / 2;
    look.Tone = g->ColorTone();
    TColor text = Font()->Color(), face = Color();
    if (skinned) FaceColors(text, face);
    look.Text = faceFont != clNone ? faceFont : text;
    if (FBtnState == 0) {
        TsSkinManager* m = SkinData()->SkinManager();
        const bool discolored = skinned && m && m->Effects() && m->Effects()->DiscoloredGlyphs();
        if (g->Grayed() || discolored) look.GreyTo = face;
    }
    DrawEditGlyph(cache, r, list, index, look, SkinData());
}

void TsCustomComboEdit::PaintPlainButton(HDC dc)
{
    const TRect r = CalcButtonRect(false);
    if (r.IsEmpty()) return;
    std::unique_ptr<TBitmap> b(NewBitmap32(r.Width(), r.Height()));
    FillDCRect(b->Canvas()->Handle(), TRect(0, 0, r.Width(), r.Height()), ColorToRGB(Color()));
    SetRectAlpha32(b.get(), TRect(0, 0, r.Width(), r.Height()), 255, 0xFFFFFFFF);
    const TRect local(0, 0, r.Width(), r.Height());
    if (ComboBtn())
        DrawArrowGlyph32(b.get(), Enabled() ? Font()->Color() : TColor(clGrayText), clNone, local, adDown, 0, 0, 0, 0,
                         SkinData()->CurrentPPI);
    else
        DrawButtonGlyph(b.get(), local, false);
    BitBlt(dc, r.left, r.top, r.Width(), r.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsCustomComboEdit::WMNCPaint(TMessage& m)
{
    TsMaskEdit::WMNCPaint(m);
    if (DrawnFromSkin() || !FShowButton) return;
    HWND h = ExistingHandle();
    if (!h) return;
    if (HDC dc = GetWindowDC(h)) {
        PaintPlainButton(dc);
        ReleaseDC(h, dc);
    }
}

// ---- button and mouse ----------------------------------------------------------------------

void TsCustomComboEdit::SetBtnState(int state)
{
    if (state == FBtnState) return;
    FBtnState = state;
    RepaintFrameButtons();
}

void TsCustomComboEdit::WndProc(TMessage& m)
{
    HWND h = ExistingHandle();
    const bool active = FShowButton && h && !HasState(csDesigning);
    switch (m.Msg) {
    case WM_NCPAINT:
        // The window was framed before the skin's spacing and margins applied (or after they
        // changed): frame it again, which paints again.
        if (FShowButton && h && FCalculatedArea >= 0 && FCalculatedArea != ButtonAreaWidth(true)) RecalcFrame();
        break;
    case WM_NCHITTEST:
        if (active) {
            const TPoint p = WindowPointFromScreen(m.LParam);
            if (CalcButtonRect(true).Contains(p)) {
                m.Result = HTBORDER;
                if (FBtnState == 0 && ButtonEnabled()) {
                    if (!SkinData()->FMouseAbove) Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
                    SetBtnState(1);
                    StartHintTimer();
                }
                // The leave comes as WM_NCMOUSELEAVE (or a hit test outside).
                TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_NONCLIENT, h, 0};
                TrackMouseEvent(&t);
                return;
            }
            if (FBtnState != 0) SetBtnState(0);
            HideButtonHint();
        }
        break;
    case WM_NCMOUSELEAVE:
        if (FBtnState != 0) SetBtnState(0);
        HideButtonHint();
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:   // a double click is a second press
        if (active && CalcButtonRect(true).Contains(WindowPointFromScreen(m.LParam))) {
            if (ButtonEnabled()) {
                SetBtnState(2);
                if (ComboBtn()) ButtonClick();   // an arrow acts on press
            }
            m.Result = 0;
            return;
        }
        break;
    case WM_NCLBUTTONUP:
        if (active && FBtnState == 2) {
            if (CalcButtonRect(true).Contains(WindowPointFromScreen(m.LParam)) && ButtonEnabled() && !ComboBtn()) {
                SetBtnState(1);
                ButtonClick();   // an image button acts on release
            } else if (ComboBtn()) {
                SetBtnState(1);
            }
            m.Result = 0;
            return;
        }
        break;
    case CM_MOUSELEAVE:
        SetBtnState(0);
        HideButtonHint();
        break;
    case CM_WANTSPECIALKEY:
        // Enter belongs to the edit: the form's default button does not take it.
        if (m.WParam == VK_RETURN) {
            m.Result = 1;
            return;
        }
        break;
    case WM_CUT:
    case WM_PASTE:
        if (!FDirectInput || FReadOnly) {
            m.Result = 0;
            return;
        }
        break;
    default: break;
    }
    TsMaskEdit::WndProc(m);
    if (m.Msg == WM_SETFOCUS && AutoSelect()) SelectAll();
    if (m.Msg == WM_WINDOWPOSCHANGED && FShowButton && h && m.LParam &&
        !(reinterpret_cast<WINDOWPOS*>(m.LParam)->flags & SWP_NOSIZE))
        RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);   // the button moved with the right edge
    if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmPopupClosed) {
        FDroppedDown = false;
        SetBtnState(0);
    }
    if (m.Msg == MSG_SKINCOMMAND) {
        const int code = SkinCommandOf(m.WParam);
        // The skin's margins and spacing may differ.
        if (code == scmNewSkin || code == scmRemoveSkin) RecalcFrame();
    }
}

// ================================================================================================
// TsOpenDialog, TsSaveDialog

bool TsOpenDialog::RunDialog(OPENFILENAMEW& ofn)
{
    if (Runner) return Runner(ofn);
    return TOpenDialog::RunDialog(ofn);
}

bool TsSaveDialog::RunDialog(OPENFILENAMEW& ofn)
{
    if (Runner) return Runner(ofn);
    return TSaveDialog::RunDialog(ofn);
}

// ================================================================================================
// TsFileDirEdit

TsFileDirEdit::TsFileDirEdit(TComponent* owner) : TsCustomComboEdit(owner)
{
    SkinData()->COC = 132;
    SetMaxLength(255);
}

void TsFileDirEdit::SetAcceptFiles(bool value)
{
    if (FAcceptFiles == value) return;
    SetDragAccept(value);
    FAcceptFiles = value;
}

void TsFileDirEdit::SetDragAccept(bool on)
{
    if (!HasState(csDesigning) && HandleAllocated()) DragAcceptFiles(Handle(), on ? TRUE : FALSE);
}

void TsFileDirEdit::CreateWnd()
{
    TsCustomComboEdit::CreateWnd();
    if (FAcceptFiles) SetDragAccept(true);
}

void TsFileDirEdit::DestroyWnd()
{
    SetDragAccept(false);
    TsCustomComboEdit::DestroyWnd();
}

void TsFileDirEdit::DoBeforeDialog(String& name, bool& action)
{
    if (OnBeforeDialog) OnBeforeDialog(this, name, action);
}

void TsFileDirEdit::DoAfterDialog(String& name, bool& action)
{
    if (OnAfterDialog) OnAfterDialog(this, name, action);
}

void TsFileDirEdit::DropFiles(HANDLE dropHandle)
{
    HDROP drop = static_cast<HDROP>(dropHandle);
    // Nothing raised here leaves the window procedure, and the drop is always finished.
    try {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        if (count > 0) {
            ClearFileList();
            // Each name read whole, whatever its length.
            const auto name = [drop](int i) {
                const UINT length = DragQueryFileW(drop, UINT(i), nullptr, 0);
                std::vector<wchar_t> buffer(size_t(length) + 1, L'\0');
                DragQueryFileW(drop, UINT(i), buffer.data(), length + 1);
                return String(buffer.data());
            };
            AcceptDroppedFiles(int(count), name, [this](const String& n) { AcceptFileName(n); }, FMultipleDirs,
                               ReportDropError);
            if (OnDropFiles && EventsAllowed()) OnDropFiles(this);
        }
    } catch (const Exception& e) {
        ReportDropError(L"Dropped files not taken: " + e.Message());
    } catch (...) {
        ReportDropError(L"Dropped files not taken");
    }
    DragFinish(drop);
}

void TsFileDirEdit::WndProc(TMessage& m)
{
    if (m.Msg == WM_DROPFILES) {
        DropFiles(reinterpret_cast<HANDLE>(m.WParam));
        m.Result = 0;
        return;
    }
    TsCustomComboEdit::WndProc(m);
}

// ================================================================================================
// TsFilenameEdit

TsFilenameEdit::TsFilenameEdit(TComponent* owner) : TsFileDirEdit(owner)
{
    SkinData()->COC = 133;
    FDefBmpID = sgFile;
    CreateEditDialog();
}

void TsFilenameEdit::SetDialogKind(TFileDialogKind kind)
{
    if (kind == FDialogKind) return;
    FDialogKind = kind;
    CreateEditDialog();
}

void TsFilenameEdit::CreateEditDialog()
{
    std::unique_ptr<TOpenDialog> dialog;
    switch (FDialogKind) {
    case dkOpen: {
        auto open = std::make_unique<TsOpenDialog>(nullptr);
        open->ZipShowing = zsAsFile;   // archives are files to pick here
        dialog = std::move(open);
        break;
    }
    case dkSave: dialog = std::make_unique<TsSaveDialog>(nullptr); break;
    case dkOpenPicture: dialog = std::make_unique<TOpenPictureDialog>(nullptr); break;
    case dkSavePicture: dialog = std::make_unique<TSavePictureDialog>(nullptr); break;
    }
    if (FDialog) {
        dialog->SetDefaultExt(FDialog->DefaultExt());
        dialog->SetFileName(FDialog->FileName());
        dialog->SetFilter(FDialog->Filter());
        dialog->SetFilterIndex(FDialog->FilterIndex());
        dialog->SetInitialDir(FDialog->InitialDir());
        dialog->SetHistoryList(FDialog->HistoryList());
        dialog->SetOptions(FDialog->Options());
        dialog->Files()->Assign(FDialog->Files());
    } else {
        dialog->SetFilter(L"All files (*.*)|*.*");
        dialog->SetOptions(ofHideReadOnly | ofEnableSizing);
    }
    FDialog = std::move(dialog);
}

bool TsFilenameEdit::DialogTitleStored() const { return DialogTitle() != DefaultOpenDialogTitle(); }

void TsFilenameEdit::SetFileName(const String& name)
{
    if (!name.empty() && !IsValidFileNameText(name)) throw EInvalidOperation(L"Invalid file name");
    SetText(name);
    ClearFileList();
}

void TsFilenameEdit::SetDialogOptions(TOpenOptions options)
{
    if (FDialog->Options() == options) return;
    FMultipleDirs = (options & ofAllowMultiSelect) != 0;
    FDialog->SetOptions(options);
    if (!FMultipleDirs) ClearFileList();
}

void TsFilenameEdit::AcceptFileName(const String& value)
{
    if (!FMultipleDirs) {
        SetFileName(value);
        return;
    }
    if (FDialog->Files()->Count() == 0) SetFileName(value);
    FDialog->Files()->Add(value);
}

void TsFilenameEdit::ClearFileList() { FDialog->Files()->Clear(); }

void TsFilenameEdit::ButtonClick()
{
    TsFileDirEdit::ButtonClick();
    String name = Text();
    bool action = true;
    DoBeforeDialog(name, action);
    if (!action) return;
    const TacFileDialogStart start = PrepareFileDialog(name, FDialog->InitialDir(), [](const String& dir) {
        // No system error box for a drive without a medium.
        const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
        const DWORD a = GetFileAttributesW(dir.c_str());
        SetErrorMode(old);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    });
    FDialog->SetInitialDir(start.InitialDir);
    FDialog->SetFileName(start.FileName);
    FDialog->SetHelpContext(HelpContext());
    action = FDialog->Execute();
    if (action) name = FDialog->FileName();
    if (CanFocus()) SetFocus();
    DoAfterDialog(name, action);
    if (!action) return;
    SetText(name);
    FDialog->SetInitialDir(ExtractFilePath(FDialog->FileName()));
}
