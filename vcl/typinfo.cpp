#include "vcl/typinfo.h"

#include "vcl/comctrls.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

namespace {

void RegisterLayerProperties();

std::vector<TPropInfo>& Registry()
{
    static std::vector<TPropInfo>* list = [] {
        auto* l = new std::vector<TPropInfo>();
        return l;
    }();
    static bool layerDone = false;
    if (!layerDone) {
        layerDone = true;
        RegisterLayerProperties();
    }
    return *list;
}

// What the layer's controls publish (names as the component library has them).
void RegisterLayerProperties()
{
    RegisterOrdinalProperty<TControl>(L"Color", [](TControl& c) { return c.Color(); },
                                      [](TControl& c, int64_t v) { c.SetColor(static_cast<TColor>(v)); });
    RegisterOrdinalProperty<TControl>(L"ParentColor", [](TControl& c) { return c.ParentColor(); },
                                      [](TControl& c, int64_t v) { c.SetParentColor(v != 0); });
    RegisterOrdinalProperty<TControl>(L"ParentFont", [](TControl& c) { return c.ParentFont(); },
                                      [](TControl& c, int64_t v) { c.SetParentFont(v != 0); });
    RegisterOrdinalProperty<TControl>(L"Enabled", [](TControl& c) { return c.Enabled(); },
                                      [](TControl& c, int64_t v) { c.SetEnabled(v != 0); });
    RegisterOrdinalProperty<TControl>(L"Visible", [](TControl& c) { return c.Visible(); },
                                      [](TControl& c, int64_t v) { c.SetVisible(v != 0); });
    RegisterOrdinalProperty<TControl>(L"ShowHint", [](TControl& c) { return c.ShowHint(); },
                                      [](TControl& c, int64_t v) { c.SetShowHint(v != 0); });
    RegisterOrdinalProperty<TControl>(L"AutoSize", [](TControl& c) { return c.AutoSize(); },
                                      [](TControl& c, int64_t v) { c.SetAutoSize(v != 0); });
    RegisterOrdinalProperty<TControl>(L"BiDiMode", [](TControl& c) { return c.BiDiMode(); },
                                      [](TControl& c, int64_t v) { c.SetBiDiMode(static_cast<TBiDiMode>(v)); });
    RegisterOrdinalProperty<TControl>(L"Align", [](TControl& c) { return c.Align(); },
                                      [](TControl& c, int64_t v) { c.SetAlign(static_cast<TAlign>(v)); });
    RegisterSetProperty<TControl>(L"Anchors", {L"akLeft", L"akTop", L"akRight", L"akBottom"},
                                  [](TControl& c) { return c.Anchors(); },
                                  [](TControl& c, int64_t v) { c.SetAnchors(static_cast<TAnchors>(v)); });
    RegisterObjectProperty<TControl>(L"Font", [](TControl& c) { return c.Font(); });
    RegisterObjectProperty<TControl>(L"PopupMenu", [](TControl& c) -> TObject* { return c.PopupMenu(); });
    RegisterOrdinalProperty<TWinControl>(L"TabStop", [](TWinControl& c) { return c.TabStop(); },
                                         [](TWinControl& c, int64_t v) { c.SetTabStop(v != 0); });
    RegisterOrdinalProperty<TWinControl>(L"BorderWidth", [](TWinControl& c) { return c.BorderWidth(); },
                                         [](TWinControl& c, int64_t v) { c.SetBorderWidth(static_cast<int>(v)); });
    RegisterOrdinalProperty<TWinControl>(L"DoubleBuffered", [](TWinControl& c) { return c.DoubleBuffered(); },
                                         [](TWinControl& c, int64_t v) { c.SetDoubleBuffered(v != 0); });
    RegisterOrdinalProperty<TCustomEdit>(L"BorderStyle", [](TCustomEdit& c) { return c.BorderStyle(); },
                                         [](TCustomEdit& c, int64_t v) { c.SetBorderStyle(static_cast<TBorderStyle>(v)); });
    RegisterOrdinalProperty<TCustomEdit>(L"Ctl3D", [](TCustomEdit& c) { return c.Ctl3D(); },
                                         [](TCustomEdit& c, int64_t v) { c.SetCtl3D(v != 0); });
    RegisterOrdinalProperty<TCustomEdit>(L"BevelKind", [](TCustomEdit& c) { return c.BevelKind(); },
                                         [](TCustomEdit& c, int64_t v) { c.SetBevelKind(static_cast<TBevelKind>(v)); });
    RegisterOrdinalProperty<TCustomEdit>(L"ReadOnly", [](TCustomEdit& c) { return c.ReadOnly(); },
                                         [](TCustomEdit& c, int64_t v) { c.SetReadOnly(v != 0); });
    RegisterObjectProperty<TButton>(L"Images", [](TButton& c) -> TObject* { return c.Images(); });
    RegisterOrdinalProperty<TButton>(L"ImageIndex", [](TButton& c) { return c.ImageIndex(); },
                                     [](TButton& c, int64_t v) { c.SetImageIndex(static_cast<int>(v)); });
    RegisterObjectProperty<TPageControl>(L"Images", [](TPageControl& c) -> TObject* { return c.Images(); });
    RegisterOrdinalProperty<TCustomForm>(L"BorderStyle", [](TCustomForm& c) { return c.BorderStyle(); },
                                         [](TCustomForm& c, int64_t v) { c.SetBorderStyle(static_cast<TBorderStyle>(v)); });
    RegisterOrdinalProperty<TCustomForm>(L"FormStyle", [](TCustomForm& c) { return c.FormStyle(); },
                                         [](TCustomForm& c, int64_t v) { c.SetFormStyle(static_cast<TFormStyle>(v)); });
}

}  // namespace

void RegisterPublishedProperty(TPropInfo info)
{
    Registry().push_back(std::move(info));
}

const TPropInfo* FindPublishedProperty(const TObject* obj, const String& name)
{
    if (!obj) return nullptr;
    auto& list = Registry();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (SameText(it->Name, name) && it->Applies(obj)) return &*it;
    return nullptr;
}

bool HasPublishedProperty(const TObject* obj, const String& name)
{
    return FindPublishedProperty(obj, name) != nullptr;
}

TObject* ReadObjectProperty(TObject* obj, const String& name)
{
    const TPropInfo* p = FindPublishedProperty(obj, name);
    return p && p->Kind == TPropKind::pkObject ? p->GetObject(obj) : nullptr;
}

int64_t ReadOrdinalProperty(TObject* obj, const String& name)
{
    const TPropInfo* p = FindPublishedProperty(obj, name);
    return p && p->Kind != TPropKind::pkObject ? p->GetOrdinal(obj) : -1;
}

void WriteOrdinalProperty(TObject* obj, const String& name, int64_t value)
{
    const TPropInfo* p = FindPublishedProperty(obj, name);
    if (p && p->Kind != TPropKind::pkObject && p->SetOrdinal) p->SetOrdinal(obj, value);
}

bool SetPropertyHasValue(TObject* obj, const String& propName, const String& valueName)
{
    const TPropInfo* p = FindPublishedProperty(obj, propName);
    if (!p || p->Kind != TPropKind::pkSet) return false;
    int64_t bits = p->GetOrdinal(obj);
    for (size_t i = 0; i < p->SetMembers.size() && i < 32; ++i)
        if (p->SetMembers[i] == valueName) return (bits & (int64_t(1) << i)) != 0;
    return false;
}

String GetSetPropertyText(TObject* obj, const String& propName)
{
    const TPropInfo* p = FindPublishedProperty(obj, propName);
    if (!p || p->Kind != TPropKind::pkSet) return {};
    int64_t bits = p->GetOrdinal(obj);
    String text;
    for (size_t i = 0; i < p->SetMembers.size() && i < 32; ++i)
        if (bits & (int64_t(1) << i)) {
            if (!text.empty()) text += L",";
            text += p->SetMembers[i];
        }
    return text;
}

void SetSetPropertyText(TObject* obj, const String& propName, const String& text)
{
    const TPropInfo* p = FindPublishedProperty(obj, propName);
    if (!p || p->Kind != TPropKind::pkSet || !p->SetOrdinal) return;
    int64_t bits = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        String member = Trim(text.substr(start, comma == String::npos ? String::npos : comma - start));
        for (size_t i = 0; i < p->SetMembers.size() && i < 32; ++i)
            if (!member.empty() && SameText(p->SetMembers[i], member)) bits |= int64_t(1) << i;
        if (comma == String::npos) break;
        start = comma + 1;
    }
    p->SetOrdinal(obj, bits);
}

void ChangeSetProperty(TObject* obj, const String& propName, const String& valueName, bool include)
{
    const TPropInfo* p = FindPublishedProperty(obj, propName);
    if (!p || p->Kind != TPropKind::pkSet) return;
    String text = GetSetPropertyText(obj, propName);
    if (include) {
        if (text.find(valueName) != String::npos) return;
        SetSetPropertyText(obj, propName, text + L"," + valueName);
        return;
    }
    for (const String& pattern : {L"," + valueName, valueName + L",", valueName}) {
        size_t at = text.find(pattern);
        if (at != String::npos) {
            text.erase(at, pattern.size());
            SetSetPropertyText(obj, propName, text);
            return;
        }
    }
}
