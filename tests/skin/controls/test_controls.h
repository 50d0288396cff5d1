// A skinned test control and container for the tests of the control frame: a button-kind control
// drawn from the section BUTTON (or SkinSection), pressed while the left button is held, with no
// content of its own, and a container drawn from PANEL that passes skin changes to its children.
// Their bases, TCustomControl and TPanel, are what they look like without a skin.
#pragma once

#include <memory>

#include "skin/controls/skin_frame.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/stored_skins.h"
#include "skins/stored_skins.h"
#include "tests/skin/fixture_skin.h"
#include "vcl/extctrls.h"

class TTestSkinButton : public TacSkinFrame<TCustomControl> {
public:
    explicit TTestSkinButton(TComponent* owner) : TacSkinFrame<TCustomControl>(owner, ackind::Button) {}

protected:
    int DefaultSectionIndex() override
    {
        TsSkinManager* m = SkinData()->SkinManager();
        return m ? m->SkinCommonInfo.Sections[ssButton] : -1;
    }
    bool ShowsPressedState() const override { return true; }
};

class TTestSkinPanel : public TacSkinFrame<TPanel> {
public:
    explicit TTestSkinPanel(TComponent* owner) : TacSkinFrame<TPanel>(owner, ackind::Panel) {}

protected:
    int DefaultSectionIndex() override
    {
        TsSkinManager* m = SkinData()->SkinManager();
        return m ? m->SkinCommonInfo.Sections[ssPanel] : -1;
    }
    bool IsContainer() const override { return true; }
};

struct TManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using TManagerPtr = std::unique_ptr<TsSkinManager, TManagerDeleter>;

// A manager holding the program's stored skins and the tests' fixture skin ("Fixture"), with
// the skin of that name loaded (none for an empty name).
inline TManagerPtr ManagerWithSkin(const String& name)
{
    TManagerPtr m(new TsSkinManager(nullptr));
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& s = ProgramStoredSkins()[i];
        TsStoredSkin& item = m->InternalSkins()->Add();
        item.Name = s.Name;
        item.PackedData.WriteBuffer(s.Data, int64_t(s.Size));
    }
    const std::vector<uint8_t> fixture = fixture_skin::Packed();
    TsStoredSkin& item = m->InternalSkins()->Add();
    item.Name = L"Fixture";
    item.PackedData.WriteBuffer(fixture.data(), int64_t(fixture.size()));
    if (!name.empty()) m->SetSkinName(name);
    return m;
}

// The two ways a skinned control is left unskinned: no manager at all (nullptr), or a manager
// whose fixture skin is switched off.
inline TManagerPtr UnskinnedManager(bool withManager)
{
    if (!withManager) return nullptr;
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    m->SetActive(false);
    return m;
}
