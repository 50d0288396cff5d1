#include "skin/engine/common_data.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/wrapper_services.h"

TsCommonData::TsCommonData(TObject* owner) : FOwnerObject(owner), FOwnerControl(dynamic_cast<TControl*>(owner))
{
    if (dynamic_cast<TWinControl*>(owner)) WndProc = FOwnerControl->WindowProc;
}

TsCommonData::~TsCommonData() { DetachFromWindow(); }

TsSkinManager* TsCommonData::SkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

TacSkinData* TsCommonData::ResolveSkinData() const
{
    TsSkinManager* m = SkinManager();
    return m ? m->CommonSkinData(CurrentPPI) : nullptr;
}

bool TsCommonData::Skinned(bool checkSkinActive) const
{
    try {
        TsSkinManager* m = SkinManager();
        if (!m || m->HasState(csDestroying)) return false;
        TacSkinData* d = ResolveSkinData();
        if (!d || !d->IsValidSection(SkinIndex)) return false;
        if (auto* c = dynamic_cast<TComponent*>(FOwnerObject); c && c->HasState(csDestroying)) return false;
        return !checkSkinActive || m->IsActive();
    } catch (...) {
        return false;
    }
}

void TsCommonData::AttachToWindow(HWND wnd)
{
    DetachFromWindow();
    if (!wnd) return;
    FWindow = wnd;
    SetPropW(wnd, acPropCommonData, this);
}

void TsCommonData::DetachFromWindow()
{
    if (FWindow && IsWindow(FWindow) && GetPropW(FWindow, acPropCommonData) == this) RemovePropW(FWindow, acPropCommonData);
    FWindow = nullptr;
}

TsCommonData* CommonDataFromHandle(HWND wnd)
{
    return wnd ? static_cast<TsCommonData*>(GetPropW(wnd, acPropCommonData)) : nullptr;
}

bool WndIsSkinned(HWND wnd)
{
    if (!wnd) return false;
    if (CommonDataFromHandle(wnd) || GetPropW(wnd, acPropWrapper)) return true;
    return QueryWindowCommand(wnd, scmIsSkinned);
}

bool ControlIsSkinned(TControl* control, bool checkSkinned)
{
    if (!control) return false;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (!w || !w->HandleAllocated())
        return control->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmIsSkinned), 0) == 1;
    HWND wnd = w->Handle();
    if (TsCommonData* link = CommonDataFromHandle(wnd)) return !checkSkinned || link->Skinned();
    if (GetPropW(wnd, acPropWrapper)) {
        TsCommonData* link = WrapperServices().WrapperLink(wnd);
        return !checkSkinned || (link && link->Skinned());
    }
    return QueryWindowCommand(wnd, scmIsSkinned);
}
