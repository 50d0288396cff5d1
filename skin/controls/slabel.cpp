#include "skin/controls/slabel.h"

#include "skin/controls/skin_frame.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/shared_settings.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/paint32.h"

namespace {

TColor Mixed(TColor color, TColor with)
{
    return TColor(MixColors(uint32_t(ColorToRGB(color)), uint32_t(ColorToRGB(with)), SharedBlendValue));
}

}  // namespace

// ================================================================================================
// TsCustomLabel

TsCustomLabel::TsCustomLabel(TComponent* owner) : TCustomLabel(owner)
{
    SetTransparent(true);
}

TsSkinManager* TsCustomLabel::SkinManager() const
{
    return FSkinManager ? FSkinManager : DefaultManager;
}

void TsCustomLabel::SetSkinManager(TsSkinManager* manager)
{
    if (manager == FSkinManager) return;
    if (FSkinManager) FSkinManager->RemoveFreeNotification(this);
    FSkinManager = manager;
    if (manager) manager->FreeNotification(this);
    FSkinIndex = -1;
    Repaint();
}

void TsCustomLabel::SetSkinSection(const String& section)
{
    if (section == FSkinSection) return;
    FSkinIndex = -1;
    FSkinSection = section;
    Repaint();
}

bool TsCustomLabel::SkinActive() const
{
    TsSkinManager* m = SkinManager();
    return m && m->IsActive() && !m->HasState(csDestroying);
}

int TsCustomLabel::ResolveSkinIndex()
{
    if (!SkinActive() || FSkinSection.empty()) {
        FSkinIndex = -1;
        return -1;
    }
    if (FSkinIndex < 0) FSkinIndex = SkinManager()->GetSkinIndex(FSkinSection);
    return FSkinIndex;
}

TColor TsCustomLabel::TextColor()
{
    TsSkinManager* m = SkinManager();
    const bool active = m && m->IsActive();
    TColor c = active ? m->GetGlobalFontColor() : Font()->Color();
    if (!Enabled() && m) c = Mixed(c, m->GetGlobalColor());
    return c;
}

void TsCustomLabel::Paint()
{
    if (HasState(csDestroying)) return;
    if (!SkinActive()) {
        TCustomLabel::Paint();
        return;
    }
    TRect r = ClientRect();
    const int section = ResolveSkinIndex();
    if (section >= 0 && Parent()) {
        TacBgQuery bg;
        GetControlBackground(bg, Parent(), false);
        PaintItem(section, BgInfoToCacheInfo(bg), 0, r, TPoint(Left(), Top()), FCanvas->Handle(),
                  SkinManager()->CommonSkinData(96));
    }
    // No fill of our own: the parent has put its background under the label.
    const UINT flags = TextFlags();
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        const int h = calc.Height();
        if (FLayout == tlBottom) r.top = r.bottom - h;
        else r.top = (r.top + r.bottom - h) / 2;
    }
    DoDrawText(r, flags);
    FSkinIndex = -1;
}

void TsCustomLabel::DoDrawText(TRect& rect, UINT flags)
{
    if (!SkinActive()) {
        TCustomLabel::DoDrawText(rect, flags);
        return;
    }
    String text = Caption();
    // An empty caption or a lone accelerator mark would measure as nothing: keep one space.
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L" ";
    TCanvas* c = FCanvas;
    c->Font()->Assign(TextFont());
    text = EllipsisText(text, rect, flags);
    // The disabled look is in TextColor: no grey or embossed text here.
    c->Font()->SetColor(ColorToRGB(TextColor()));
    c->Brush()->SetStyle(bsClear);
    c->TextRect(rect, text, flags);
}

void TsCustomLabel::Dispatch(TMessage& m)
{
    if (m.Msg == CM_HITTEST && FTransparentForMouse) {
        m.Result = 0;
        return;
    }
    // The label's own enter event comes before its parent hears of it, the leave event after.
    const bool own = m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this);
    if (m.Msg == CM_MOUSEENTER && own && OnMouseEnter && EventsAllowed()) OnMouseEnter(this);
    TCustomLabel::Dispatch(m);
    if (m.Msg == CM_MOUSELEAVE && own && OnMouseLeave && EventsAllowed()) OnMouseLeave(this);
    if (m.Msg != MSG_SKINCOMMAND) return;
    TsSkinManager* mgr = SkinManager();
    switch (SkinCommandOf(m.WParam)) {
    case scmRemoveSkin:
        if (HasState(csDestroying)) break;
        if (FSkinManager && FSkinManager->HasState(csDestroying)) FSkinManager = nullptr;
        if (FSavedParentFont) SetParentFont(true);
        FSkinIndex = -1;
        Invalidate();
        break;
    case scmRefresh:
        if (HasState(csDestroying) || HasState(csDesigning)) break;
        if (ParentFont()) FSavedParentFont = true;
        FSkinIndex = -1;
        Invalidate();
        break;
    case scmFontChanged:
        if (mgr && m.LParam == reinterpret_cast<LPARAM>(mgr)) mgr->UpdateFontName(this);
        break;
    case scmGetSectionBehind:
        // A label has no section of its own to show: what lies behind it is its container's.
        // Under no skinned container at all the text keeps the parent's font colour (0).
        if (mgr && mgr->Active() && Parent() && m.LParam) {
            auto& q = *reinterpret_cast<TacSectionBehindQuery*>(m.LParam);
            TWinControl* container = SkinnedContainerOf(this, &q.R);
            m.Result = container ? AskSectionBehind(container, q) : 0;
        }
        break;
    case scmIsOpaque:
        m.Result = (mgr && mgr->IsActive()) || !(ControlStyle() & csOpaque) ? 1 : 0;
        break;
    default: break;
    }
}

void TsCustomLabel::Loaded()
{
    TCustomLabel::Loaded();
    if (TsSkinManager* mgr = SkinManager()) mgr->UpdateFontName(this);
}

void TsCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TCustomLabel::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == SkinManager()) {
        FSkinManager = nullptr;
        FSkinIndex = -1;
    }
}

// ================================================================================================
// TsLabel

void TsLabel::SetUseSkinColor(bool on)
{
    if (FUseSkinColor == on) return;
    FUseSkinColor = on;
    if (!HasState(csLoading)) Repaint();
}

TColor TsLabel::TextColor()
{
    TsSkinManager* m = SkinManager();
    TColor c = Font()->Color();
    if (FUseSkinColor && m && m->Active()) c = SkinFontColorOf(this, ResolveSkinIndex(), m, 0, nullptr);
    if (!Enabled() && m) {
        TWinControl* container = SkinnedContainerOf(this);
        c = Mixed(c, ControlBackColor(container ? container : Parent()));
    }
    return c;
}
