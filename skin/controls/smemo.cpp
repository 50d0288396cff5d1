#include "skin/controls/smemo.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_manager.h"

namespace {

constexpr UINT RedrawWhole = RDW_FRAME | RDW_ERASE | RDW_INVALIDATE;

}  // namespace

// The memo paints itself: its link keeps a cache only for what the engine asks of it.
TsMemo::TsMemo(TComponent* owner) : TacBoundLabelOwner<TacSkinFrame<TMemo>>(owner, ackind::Memo)
{
    FControlStyle &= ~csOpaque;
}

void TsMemo::AfterConstruction()
{
    TMemo::AfterConstruction();
    // The memo's own colours, given back when the skin goes.
    SkinData()->SavedColor = Color();
    SkinData()->SavedFontColor = Font()->Color();
    // Colours are taken at paint time, for the state the memo is in then.
    SkinData()->Loaded(false);
}

void TsMemo::Loaded()
{
    TMemo::Loaded();
    SkinData()->Loaded(false);
}

int TsMemo::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssEdit] : -1;
}

bool TsMemo::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

void TsMemo::ApplySectionColors()
{
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TsGeneralData& g = d->gd[static_cast<size_t>(l->SkinIndex)];
    // Hot while focused, or under the mouse when the section looks different then.
    const bool hot = l->FFocused || (l->FMouseAbove && g.States > 1);
    const TsGenState& s = g.Props[static_cast<size_t>(ClampSectionState(hot ? 1 : 0, g.States))];
    const TColor unset = TColor(0x1FFFFFFF);
    // Colours set here are the skin's, not the memo's own.
    l->CtrlSkinState |= acss::SettingColors;
    struct TDone {
        TsCommonData* l;
        ~TDone() { l->CtrlSkinState &= ~acss::SettingColors; }
    } done{l};
    if (!l->FCustomColor && Color() != s.Color) {
        if (l->SavedColor == unset) l->SavedColor = Color();
        SetColor(s.Color);
        l->BGChanged = true;
    }
    if (!l->FCustomFont && Font()->Color() != s.FontColor.Color) {
        if (l->SavedFontColor == unset) l->SavedFontColor = Font()->Color();
        Font()->SetColor(s.FontColor.Color);
        l->BGChanged = true;
    }
}

void TsMemo::WndProc(TMessage& m)
{
    MemoWndProc(m);
    TellBoundLabel(m);
}

void TsMemo::MemoWndProc(TMessage& m)
{
    TsCommonData* l = SkinData();
    if (m.Msg == WM_NCCREATE || m.Msg == WM_CREATE) l->InitCommonProp();
    if (m.Msg == MSG_SKINCOMMAND) {
        const bool fromManager = m.LParam == reinterpret_cast<LPARAM>(l->SkinManager());
        switch (SkinCommandOf(m.WParam)) {
        case scmNewSkin:
            if (!fromManager) break;
            HandleSkinCommand(m, l);
            if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RedrawWhole);
            return;
        case scmRemoveSkin: {
            if (!fromManager) break;
            // The common handler gives an edit the standard colours; the memo had its own before
            // the skin painted over them (a colour it keeps was never replaced).
            const TColor own = l->SavedColor, ownFont = l->SavedFontColor;
            const TColor unset = TColor(0x1FFFFFFF);
            HandleSkinCommand(m, l);
            if (!l->FCustomColor && own != unset) SetColor(own);
            if (!l->FCustomFont && ownFont != unset) Font()->SetColor(ownFont);
            if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RedrawWhole);
            return;
        }
        case scmRefresh:
            if (!fromManager) break;
            HandleSkinCommand(m, l);
            if (HandleAllocated() && Visible()) RedrawWindow(Handle(), nullptr, nullptr, RedrawWhole);
            return;
        case scmIsSkinned: m.Result = 1; return;
        case scmGetDefaultIndex: m.Result = DefaultSectionIndex() + 1; return;
        default: break;
        }
    }
    // A colour set by anyone but the skin is the memo's own from now on.
    if (!(l->CtrlSkinState & acss::SettingColors)) {
        if (m.Msg == CM_COLORCHANGED) l->SavedColor = Color();
        if (m.Msg == CM_FONTCHANGED) l->SavedFontColor = Font()->Color();
    }
    if (m.Msg == CM_FONTCHANGED && Showing() && HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RedrawWhole);
    if (!DrawnFromSkin()) {
        if (m.Msg == MSG_SKINCOMMAND && HandleSkinCommand(m, l)) return;
        TMemo::WndProc(m);
        // The hover flag is kept up to date for the next skin.
        if (m.Msg == CM_MOUSEENTER) l->FMouseAbove = true;
        if (m.Msg == CM_MOUSELEAVE) l->FMouseAbove = false;
        return;
    }
    if (m.Msg == WM_PAINT) {
        ApplySectionColors();
        if (l->RefreshUpdating(false)) {
            // Painted when the update is over (scmUpdateDone).
            PAINTSTRUCT ps{};
            BeginPaint(Handle(), &ps);
            EndPaint(Handle(), &ps);
        } else {
            TMemo::WndProc(m);
        }
        return;
    }
    if (HandleCommonMessage(m, l)) return;
    TMemo::WndProc(m);
    switch (m.Msg) {
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED: l->Invalidate(false); break;
    case EM_SCROLLCARET:
        if (OnScrollCaret && EventsAllowed()) OnScrollCaret(this);
        break;
    case WM_VSCROLL:
        if (OnVScroll && EventsAllowed()) OnVScroll(this);
        break;
    default: break;
    }
}

void TsMemo::KeyDown(WORD& key, TShiftState shift)
{
    TMemo::KeyDown(key, shift);
    if (key == 'A' && (shift & (ssShift | ssCtrl | ssAlt)) == ssCtrl) {
        SelectAll();
        key = 0;
        // The character the key press made (Ctrl+A's 0x01) must not reach the memo.
        MSG pending{};
        if (HandleAllocated()) PeekMessageW(&pending, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    }
}
