// Effects of the anti-aliased text: the notifying settings base, shadow, gradient and texture
// settings, the effect that groups them, the picture helpers and TAAFontEx, the font that
// draws a text through the whole effect chain.
#pragma once

#include <memory>

#include "support/aatext/aa_font.h"
#include "vcl/inifiles.h"

// A settings object that reports each change through OnChanged.
class TAANotifyClass : public TPersistent {
public:
    explicit TAANotifyClass(const TNotifyEvent& onChanged = nullptr) : FOnChanged(onChanged) {}
    void Assign(const TPersistent* source) override;

    const TNotifyEvent& OnChanged() const { return FOnChanged; }
    void SetOnChanged(const TNotifyEvent& handler) { FOnChanged = handler; }
    TPersistent* Owner() const { return FOwner; }
    void SetOwner(TPersistent* owner) { FOwner = owner; }

    virtual void Changed();
    // Change handler handed to owned settings objects.
    void OnChildChanged(TObject* sender);

protected:
    // Setter helper: stores value and answers whether it changed (so the caller reports it).
    template <class T, class V>
    static bool Store(T& field, V value)
    {
        if (field == static_cast<T>(value)) return false;
        field = static_cast<T>(value);
        return true;
    }

    TNotifyEvent FOnChanged;
    TPersistent* FOwner = nullptr;
};

// Settings that report changes only while enabled (switching itself is always reported).
class TAAEnabledClass : public TAANotifyClass {
public:
    using TAANotifyClass::TAANotifyClass;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    void Changed() override;
    void Assign(const TPersistent* source) override;

protected:
    bool FEnabled = false;
};

class TAAShadow : public TAAEnabledClass {
public:
    using TAAEnabledClass::TAAEnabledClass;
    int Blur() const { return FBlur; }
    void SetBlur(int value);
    int Alpha() const { return FAlpha; }
    void SetAlpha(int value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int OffsetX() const { return FOffsetX; }
    void SetOffsetX(int value);
    int OffsetY() const { return FOffsetY; }
    void SetOffsetY(int value);
    void Assign(const TPersistent* source) override;

private:
    friend class TAAEffect;
    uint8_t FBlur = 80;      // 0..100
    uint8_t FAlpha = 70;     // 0..100, percent of the effect's alpha
    TColor FColor = 0x444444;
    int8_t FOffsetX = 2;     // -20..20
    int8_t FOffsetY = 2;
};

class TAAGradual : public TAAEnabledClass {
public:
    using TAAEnabledClass::TAAEnabledClass;
    TGradualStyle Style() const { return FStyle; }
    void SetStyle(TGradualStyle value);
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    void Assign(const TPersistent* source) override;

private:
    friend class TAAEffect;
    TGradualStyle FStyle = gsLeftToRight;
    TColor FStartColor = clWhite;
    TColor FEndColor = clBlack;
};

enum TTextureMode { tmTiled, tmStretched, tmCenter, tmNormal };

class TAATexture : public TAAEnabledClass {
public:
    explicit TAATexture(const TNotifyEvent& onChanged = nullptr);
    ~TAATexture() override;
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* value) { FPicture->Assign(value); }
    TTextureMode Mode() const { return FMode; }
    void SetMode(TTextureMode value);
    void Assign(const TPersistent* source) override;

private:
    friend class TAAEffect;
    void PictureChanged(TObject*) { Changed(); }
    std::unique_ptr<TPicture> FPicture;
    TTextureMode FMode = tmTiled;
};

class TAAEffect : public TAANotifyClass {
public:
    explicit TAAEffect(const TNotifyEvent& onChanged = nullptr);
    ~TAAEffect() override;
    void Assign(const TPersistent* source) override;

    TAAShadow* Shadow() const { return FShadow.get(); }
    void SetShadow(const TAAShadow* value);
    TAAGradual* Gradual() const { return FGradual.get(); }
    void SetGradual(const TAAGradual* value);
    TAATexture* Texture() const { return FTexture.get(); }
    void SetTexture(const TAATexture* value);
    int Alpha() const { return FAlpha; }
    void SetAlpha(int value);
    int Blur() const { return FBlur; }
    void SetBlur(int value);
    int Angle() const { return FAngle; }
    void SetAngle(int value);
    int Noise() const { return FNoise; }
    void SetNoise(int value);
    int Spray() const { return FSpray; }
    void SetSpray(int value);
    bool Outline() const { return FOutline; }
    void SetOutline(bool value);
    bool HorzMirror() const { return FHorzMirror; }
    void SetHorzMirror(bool value);
    bool VertMirror() const { return FVertMirror; }
    void SetVertMirror(bool value);

    virtual void LoadFromIni(TCustomIniFile& ini, const String& section);
    virtual void SaveToIni(TCustomIniFile& ini, const String& section);

private:
    uint8_t FAlpha = 100;
    uint8_t FBlur = 0;
    std::unique_ptr<TAAGradual> FGradual;
    std::unique_ptr<TAAShadow> FShadow;
    std::unique_ptr<TAATexture> FTexture;
    bool FOutline = false;
    uint8_t FNoise = 0;
    uint8_t FSpray = 0;
    int16_t FAngle = 0;
    bool FHorzMirror = false;
    bool FVertMirror = false;
};

// Copies of the picture from the rectangle's top-left corner, enough to cover it (the canvas
// clips). Nothing for a missing or empty picture.
void TileDraw(TCanvas* canvas, const TRect& rect, TPicture* picture);
// The picture stretched into the rectangle; an icon first gets the colour as background.
void StretchDrawGraphic(TCanvas* canvas, const TRect& rect, TPicture* picture, TColor colour);

class TAAFontEx : public TAAFont {
public:
    explicit TAAFontEx(TCanvas* canvas);
    ~TAAFontEx() override;

    TAAEffect* Effect() const { return FEffect.get(); }
    void SetEffect(const TAAEffect* value) { FEffect->Assign(value); }

    TSize TextExtent(const String& text) override;
    // Draws the text through the effect chain.
    void TextOutput(int x, int y, const String& text);

private:
    void CreateGradualBmp();
    void CreateNoiseBmp();
    void CreateTextureBmp();

    std::unique_ptr<TAAEffect> FEffect;
};
