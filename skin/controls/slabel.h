// Skinned labels: graphic controls that keep the plain label's layout and take their text
// colour from the skin. While a skin is active they paint no background of their own (the
// parent's cache shows through), unless a SkinSection is given, which is painted behind the
// text. Without a manager, or with an inactive one, they paint exactly as the plain label.
#pragma once

#include "vcl/stdctrls.h"

class TsSkinManager;

class TsCustomLabel : public TCustomLabel {
public:
    explicit TsCustomLabel(TComponent* owner);

    // The label's own manager, or the default one when none is set (may be nullptr).
    TsSkinManager* SkinManager() const;
    void SetSkinManager(TsSkinManager* manager);
    const String& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const String& section);
    // Clicks pass through to the control below.
    bool TransparentForMouse() const { return FTransparentForMouse; }
    void SetTransparentForMouse(bool on) { FTransparentForMouse = on; }

    // The label's own mouse events: entering fires before the parent learns that the mouse came
    // over the label, leaving after it. (The base control's events of the same names are
    // hidden here; through a TControl pointer they fire in the base's order.)
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    void DoDrawText(TRect& rect, UINT flags) override;
    void Dispatch(TMessage& m) override;
    // The manager gives the label the application font in force.
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    virtual TFont* TextFont() { return Font(); }
    // The skin's label colour, or Font's without an active skin; a disabled label's colour is
    // mixed with the skin's main colour.
    virtual TColor TextColor();
    // The manager exists and its skin is loaded and active: the label paints skinned.
    bool SkinActive() const;
    // Index of SkinSection in the active skin, -1 for none; resolved again after every paint.
    int ResolveSkinIndex();

private:
    TsSkinManager* FSkinManager = nullptr;
    String FSkinSection;
    int FSkinIndex = -1;
    bool FSavedParentFont = false;
    bool FTransparentForMouse = false;
};

class TsLabel : public TsCustomLabel {
public:
    explicit TsLabel(TComponent* owner) : TsCustomLabel(owner) {}

    // True: the text takes the skin's font colour of the section behind the label; false: the
    // label's own Font colour. Without an active skin the label always paints in its own colour.
    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool on);

protected:
    // Disabled, the colour is mixed with the parent's background colour.
    TColor TextColor() override;

private:
    bool FUseSkinColor = true;
};
