#include "support/aatext/aa_labels.h"

#include "support/aatext/aa_markup.h"
#include "vcl/application.h"
#include "vcl/registry.h"

bool SameLabelName(const String& a, const String& b)
{
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

namespace {
const wchar_t* const SDuplicateString = L"Duplicate string!";
}

// ---- Font labels ------------------------------------------------------------------------------

TAAFontLabel::TAAFontLabel(TAAFontLabels* collection)
    : FCollection(collection), FFont(std::make_unique<TFont>()), FEffect(std::make_unique<TAAEffect>())
{
    FFont->OnChange = Bind<&TAAFontLabel::Changed>(this);
    FEffect->SetOnChanged(Bind<&TAAFontLabel::Changed>(this));
    FEffect->SetOwner(this);
}

TAAFontLabel::~TAAFontLabel() = default;

void TAAFontLabel::Changed(TObject*)
{
    if (FCollection) FCollection->Update(this);
}

void TAAFontLabel::SetName(const String& value)
{
    if (!value.empty() && !SameLabelName(value, FName) && FCollection && FCollection->IndexOf(value) >= 0)
        throw Exception(SDuplicateString);
    FName = value;
    Changed();
}

void TAAFontLabel::SetFont(const TFont* value)
{
    FFont->Assign(value);
    Changed();
}

void TAAFontLabel::SetEffect(const TAAEffect* value)
{
    FEffect->Assign(value);
    Changed();
}

String TAAFontLabel::DisplayName() const
{
    return FName.empty() ? String(L"TAAFontLabel") : FName;
}

void TAAFontLabel::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAFontLabel*>(source)) {
        FName = s->FName;
        FFont->Assign(s->FFont.get());
        FEffect->Assign(s->FEffect.get());
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

TAAFontLabels::~TAAFontLabels()
{
    OnChanged = nullptr;
}

void TAAFontLabels::Update(TAAFontLabel*)
{
    if (OnChanged) OnChanged(this);
}

TAAFontLabel* TAAFontLabels::Add()
{
    FItems.push_back(std::make_unique<TAAFontLabel>(this));
    Update(nullptr);
    return FItems.back().get();
}

void TAAFontLabels::Delete(int index)
{
    FItems.erase(FItems.begin() + index);
    Update(nullptr);
}

void TAAFontLabels::Clear()
{
    FItems.clear();
    Update(nullptr);
}

TAAFontLabel* TAAFontLabels::AddItem(const String& name, const String& fontName, int size, TColor colour,
                                     TFontStyles style, bool shadow, int offsetX, int offsetY)
{
    if (IndexOf(name) >= 0) return nullptr;
    TAAFontLabel* label = Add();
    label->SetName(name);
    label->Font()->SetName(fontName);
    label->Font()->SetSize(size);
    label->Font()->SetColor(colour);
    label->Font()->SetStyle(style);
    label->Effect()->Shadow()->SetEnabled(shadow);
    label->Effect()->Shadow()->SetOffsetX(offsetX);
    label->Effect()->Shadow()->SetOffsetY(offsetY);
    return label;
}

int TAAFontLabels::IndexOf(const String& name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameLabelName(FItems[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

void TAAFontLabels::Check(String& text, TFont* font, TAAEffect* effect)
{
    // Collection order, so with several tags in a line the last label of the collection wins.
    for (auto& label : FItems) {
        if (label->Name().empty() || ExtractTag(text, label->Name()) < 0) continue;
        if (font) font->Assign(label->Font());
        if (effect) effect->Assign(label->Effect());
    }
}

void TAAFontLabels::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAFontLabels*>(source)) {
        FItems.clear();
        for (auto& item : s->FItems) {
            FItems.push_back(std::make_unique<TAAFontLabel>(this));
            FItems.back()->Assign(item.get());
        }
        Update(nullptr);
        return;
    }
    TPersistent::Assign(source);
}

// ---- User labels ------------------------------------------------------------------------------

void TAAUserLabel::Changed()
{
    if (FCollection) FCollection->Update(this);
}

void TAAUserLabel::SetName(const String& value)
{
    if (!value.empty() && !SameLabelName(value, FName) && FCollection && FCollection->IndexOf(value) >= 0)
        throw Exception(SDuplicateString);
    FName = value;
    Changed();
}

namespace {

String LocaleDateTime(bool date)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t buf[128] = {};
    int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 128)
                 : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 128);
    return n > 0 ? String(buf) : String();
}

}  // namespace

String TAAUserLabel::Text() const
{
    String s;
    switch (FStyle) {
    case lsRegOwner: s = FCollection ? FCollection->RegOwner : String(); break;
    case lsRegOrganization: s = FCollection ? FCollection->RegOrganization : String(); break;
    case lsAppTitle: s = Application ? Application->Title() : String(); break;
    case lsDate: s = LocaleDateTime(true); break;
    case lsTime: s = LocaleDateTime(false); break;
    case lsCustom: s = FText; break;
    default: break;
    }
    if (OnGetText) OnGetText(const_cast<TAAUserLabel*>(this), s);
    return s;
}

void TAAUserLabel::SetText(const String& value)
{
    if (FStyle != lsCustom || FText == value) return;
    FText = value;
    Changed();
}

void TAAUserLabel::SetStyle(TLabelStyle value)
{
    if (FStyle == value) return;
    FStyle = value;
    Changed();
}

String TAAUserLabel::DisplayName() const
{
    return FName.empty() ? String(L"TAAUserLabel") : FName;
}

void TAAUserLabel::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAUserLabel*>(source)) {
        FName = s->FName;
        FText = s->FText;
        OnGetText = s->OnGetText;
        FStyle = s->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

TAAUserLabels::TAAUserLabels(TPersistent* owner) : FOwner(owner)
{
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(L"Software\\Microsoft\\Windows NT\\CurrentVersion")) {
            if (reg.ValueExists(L"RegisteredOwner")) RegOwner = reg.ReadString(L"RegisteredOwner");
            if (reg.ValueExists(L"RegisteredOrganization")) RegOrganization = reg.ReadString(L"RegisteredOrganization");
        }
    } catch (...) {
        // Unreadable values simply stay empty.
    }
    if (RegOwner.empty()) {
        wchar_t name[256] = {};
        DWORD size = 256;
        if (GetUserNameW(name, &size)) RegOwner = name;
    }
}

TAAUserLabels::~TAAUserLabels()
{
    OnChanged = nullptr;
}

void TAAUserLabels::Update(TAAUserLabel*)
{
    if (OnChanged) OnChanged(this);
}

TAAUserLabel* TAAUserLabels::Add()
{
    FItems.push_back(std::make_unique<TAAUserLabel>(this));
    Update(nullptr);
    return FItems.back().get();
}

void TAAUserLabels::Delete(int index)
{
    FItems.erase(FItems.begin() + index);
    Update(nullptr);
}

void TAAUserLabels::Clear()
{
    FItems.clear();
    Update(nullptr);
}

TAAUserLabel* TAAUserLabels::AddItem(const String& name, const String& text, TLabelStyle style)
{
    if (IndexOf(name) >= 0) return nullptr;
    TAAUserLabel* label = Add();
    label->SetName(name);
    label->SetText(text);
    label->SetStyle(style);
    return label;
}

int TAAUserLabels::IndexOf(const String& name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameLabelName(FItems[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

void TAAUserLabels::Check(String& text, TAlignment& alignment)
{
    for (auto& label : FItems) {
        if (label->Name().empty()) continue;
        int p = ExtractTag(text, label->Name());
        if (p < 0) continue;
        switch (label->Style()) {
        case lsLeftJustify: alignment = taLeftJustify; break;
        case lsCenter: alignment = taCenter; break;
        case lsRightJustify: alignment = taRightJustify; break;
        default: text.insert(static_cast<size_t>(p), label->Text()); break;
        }
    }
}

void TAAUserLabels::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAUserLabels*>(source)) {
        FItems.clear();
        for (auto& item : s->FItems) {
            FItems.push_back(std::make_unique<TAAUserLabel>(this));
            FItems.back()->Assign(item.get());
        }
        Update(nullptr);
        return;
    }
    TPersistent::Assign(source);
}
