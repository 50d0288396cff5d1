// A stand-in for a form with a skin provider, for the engine's walks over the skinned forms: it
// joins the skinned-form registry while it lives, answers scmGetProvider with its provider object
// and scmGetPPI as a provider does (its PPI, -1 when it does not scale; Silent: neither, as a
// form without provider), follows scmPPIChanged,
// and logs the steps of a scale change it sees in order: "redraw 0/1", "ppi <n>", "cache",
// "newskin", "paint". Services installed for such providers name their manager, log "enter" and
// "leave" of the scaling state into the same log and answer whether the form has a skin section.
#pragma once

#include <string>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "tests/skin/engine/engine_recorders.h"
#include "vcl/forms.h"

class TProviderForm;

class TFakeFormProvider : public TObject {
public:
    explicit TFakeFormProvider(TProviderForm* form) : Form(form) {}
    TProviderForm* Form;
};

class TProviderForm : public TForm {
public:
    explicit TProviderForm(TsSkinManager* manager, int x = 60) : TForm(nullptr), Manager(manager)
    {
        SetBorderStyle(bsNone);
        SetBounds(x, 80, 200, 120);
        RegisterSkinnedForm(this);
    }
    void BeforeDestruction() override
    {
        UnregisterSkinnedForm(this);
        TForm::BeforeDestruction();
    }

    TFakeFormProvider Provider{this};
    TsSkinManager* Manager;   // the manager of its provider
    bool AllowScale = true;
    bool HasSection = true;
    bool Silent = false;      // answers neither scmGetProvider nor scmGetPPI (as a form without provider)
    int Ppi = 96;             // the PPI its provider's link holds
    std::vector<std::string> Log;
    // What scmPPIChanged found: the manager rescaling a form with animations off.
    bool ScalingSeen = false, AnimationSeen = true;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && !(Silent && (SkinCommandOf(m.WParam) == scmGetProvider ||
                                                     SkinCommandOf(m.WParam) == scmGetPPI))) {
            switch (SkinCommandOf(m.WParam)) {
            case scmGetProvider: m.Result = reinterpret_cast<LRESULT>(&Provider); return;
            case scmGetPPI: m.Result = AllowScale ? Ppi : -1; return;
            case scmPrepareCache: Log.push_back("cache"); return;
            case scmNewSkin: Log.push_back("newskin"); break;
            case scmPPIChanged:
                Ppi = static_cast<int>(m.LParam);
                Log.push_back("ppi " + std::to_string(Ppi));
                if (TsSkinManager* watched = Manager ? Manager : DefaultManager) {
                    ScalingSeen = watched->HasState(msFormScaling);
                    AnimationSeen = watched->Effects()->AllowAnimation;
                }
                break;
            default: break;
            }
        }
        if (m.Msg == WM_SETREDRAW) Log.push_back(m.WParam ? "redraw 1" : "redraw 0");
        if (m.Msg == WM_PAINT) Log.push_back("paint");
        TForm::Dispatch(m);
    }
};

// Form services that answer for TProviderForm's providers.
class TProviderServices : public TRecordingFormServices {
public:
    static TProviderForm* FormOf(TObject* provider) { return static_cast<TFakeFormProvider*>(provider)->Form; }
    TsSkinManager* ProviderManager(TObject* provider) override { return FormOf(provider)->Manager; }
    void ProviderEnterScaling(TObject* provider) override { FormOf(provider)->Log.push_back("enter"); }
    void ProviderLeaveScaling(TObject* provider) override { FormOf(provider)->Log.push_back("leave"); }
    bool ProviderHasSkinSection(TObject* provider) override { return FormOf(provider)->HasSection; }
};
