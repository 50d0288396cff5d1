// The mark-up labels of the anti-aliased text: font labels (a named font with an effect) and
// user labels (a named replacement text or an alignment). A tag is a label's name between
// "<" and ">"; Check applies a line's tags and removes them.
#pragma once

#include <memory>
#include <vector>

#include "support/aatext/aa_effects.h"
#include "vcl/controls.h"

class TAAFontLabels;
class TAAUserLabels;

class TAAFontLabel : public TPersistent {
public:
    explicit TAAFontLabel(TAAFontLabels* collection);
    ~TAAFontLabel() override;

    const String& Name() const { return FName; }
    // "Duplicate string!" when another label of the collection has the name.
    void SetName(const String& value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    TAAEffect* Effect() const { return FEffect.get(); }
    void SetEffect(const TAAEffect* value);
    String DisplayName() const;
    void Assign(const TPersistent* source) override;

private:
    void Changed(TObject* = nullptr);
    TAAFontLabels* FCollection;
    String FName;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TAAEffect> FEffect;
};

class TAAFontLabels : public TPersistent {
public:
    explicit TAAFontLabels(TPersistent* owner = nullptr) : FOwner(owner) {}
    ~TAAFontLabels() override;

    int Count() const { return static_cast<int>(FItems.size()); }
    TAAFontLabel* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    void SetItems(int index, const TAAFontLabel* value) { Items(index)->Assign(value); }
    TAAFontLabel* Add();
    void Delete(int index);
    void Clear();
    // The new label, or nullptr when a label of that name exists.
    TAAFontLabel* AddItem(const String& name, const String& fontName, int size, TColor colour, TFontStyles style,
                          bool shadow, int offsetX, int offsetY);
    int IndexOf(const String& name) const;
    // Applies the font tags of text (removing them) to font and effect (each when given).
    void Check(String& text, TFont* font, TAAEffect* effect);
    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChanged;
    TPersistent* Owner() const { return FOwner; }

private:
    friend class TAAFontLabel;
    void Update(TAAFontLabel* item);
    TPersistent* FOwner;
    std::vector<std::unique_ptr<TAAFontLabel>> FItems;
};

enum TLabelStyle { lsLeftJustify, lsCenter, lsRightJustify, lsRegOwner, lsRegOrganization, lsAppTitle, lsDate, lsTime, lsCustom };
using TGetTextEvent = Method<void(TObject* Sender, String& Text)>;

class TAAUserLabel : public TPersistent {
public:
    explicit TAAUserLabel(TAAUserLabels* collection) : FCollection(collection) {}

    const String& Name() const { return FName; }
    void SetName(const String& value);
    // The produced text by style (then OnGetText may change it).
    String Text() const;
    // Stored only while the style is lsCustom.
    void SetText(const String& value);
    TLabelStyle Style() const { return FStyle; }
    void SetStyle(TLabelStyle value);
    String DisplayName() const;
    void Assign(const TPersistent* source) override;

    TGetTextEvent OnGetText;

private:
    void Changed();
    TAAUserLabels* FCollection;
    String FName;
    String FText;
    TLabelStyle FStyle = lsCustom;
};

class TAAUserLabels : public TPersistent {
public:
    explicit TAAUserLabels(TPersistent* owner = nullptr);
    ~TAAUserLabels() override;

    int Count() const { return static_cast<int>(FItems.size()); }
    TAAUserLabel* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    void SetItems(int index, const TAAUserLabel* value) { Items(index)->Assign(value); }
    TAAUserLabel* Add();
    void Delete(int index);
    void Clear();
    TAAUserLabel* AddItem(const String& name, const String& text, TLabelStyle style);
    int IndexOf(const String& name) const;
    // Replaces the user tags of text; alignment tags set alignment.
    void Check(String& text, TAlignment& alignment);
    void Assign(const TPersistent* source) override;

    // Read once, at construction, from the registry (the logged-on user when no owner).
    String RegOwner;
    String RegOrganization;
    TNotifyEvent OnChanged;

private:
    friend class TAAUserLabel;
    void Update(TAAUserLabel* item);
    TPersistent* FOwner;
    std::vector<std::unique_ptr<TAAUserLabel>> FItems;
};

// Case-insensitive comparison of label names in the system's collation.
bool SameLabelName(const String& a, const String& b);
