#include "support/aatext/aa_effects.h"

#include <algorithm>
#include <cstdlib>

// ---- TAANotifyClass -------------------------------------------------------------------------

void TAANotifyClass::Assign(const TPersistent* source)
{
    if (dynamic_cast<const TAANotifyClass*>(source)) return;
    TPersistent::Assign(source);
}

void TAANotifyClass::Changed()
{
    if (FOnChanged) FOnChanged(this);
}

void TAANotifyClass::OnChildChanged(TObject*)
{
    Changed();
}

// ---- TAAEnabledClass ------------------------------------------------------------------------

void TAAEnabledClass::SetEnabled(bool value)
{
    if (FEnabled == value) return;
    FEnabled = value;
    if (FOnChanged) FOnChanged(this);
}

void TAAEnabledClass::Changed()
{
    if (FEnabled) TAANotifyClass::Changed();
}

void TAAEnabledClass::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAEnabledClass*>(source)) {
        TAANotifyClass::Assign(source);
        SetEnabled(s->FEnabled);
        return;
    }
    TAANotifyClass::Assign(source);
}

// ---- Shadow, gradient, texture ----------------------------------------------------------------

void TAAShadow::SetBlur(int value)
{
    if (Store(FBlur, std::clamp(value, 0, 100))) Changed();
}
void TAAShadow::SetAlpha(int value)
{
    if (Store(FAlpha, std::clamp(value, 0, 100))) Changed();
}
void TAAShadow::SetColor(TColor value)
{
    if (Store(FColor, value)) Changed();
}
void TAAShadow::SetOffsetX(int value)
{
    if (Store(FOffsetX, std::clamp(value, -20, 20))) Changed();
}
void TAAShadow::SetOffsetY(int value)
{
    if (Store(FOffsetY, std::clamp(value, -20, 20))) Changed();
}

void TAAShadow::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAShadow*>(source)) {
        FBlur = s->FBlur;
        FAlpha = s->FAlpha;
        FColor = s->FColor;
        FOffsetX = s->FOffsetX;
        FOffsetY = s->FOffsetY;
    }
    TAAEnabledClass::Assign(source);
}

void TAAGradual::SetStyle(TGradualStyle value)
{
    if (Store(FStyle, value)) Changed();
}
void TAAGradual::SetStartColor(TColor value)
{
    if (Store(FStartColor, value)) Changed();
}
void TAAGradual::SetEndColor(TColor value)
{
    if (Store(FEndColor, value)) Changed();
}

void TAAGradual::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAGradual*>(source)) {
        FStyle = s->FStyle;
        FStartColor = s->FStartColor;
        FEndColor = s->FEndColor;
    }
    TAAEnabledClass::Assign(source);
}

TAATexture::TAATexture(const TNotifyEvent& onChanged)
    : TAAEnabledClass(onChanged), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = Bind<&TAATexture::PictureChanged>(this);
}

TAATexture::~TAATexture() = default;

void TAATexture::SetMode(TTextureMode value)
{
    if (Store(FMode, value)) Changed();
}

void TAATexture::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAATexture*>(source)) {
        FMode = s->FMode;
        FPicture->Assign(s->FPicture.get());
    }
    TAAEnabledClass::Assign(source);
}

// ---- TAAEffect ------------------------------------------------------------------------------

TAAEffect::TAAEffect(const TNotifyEvent& onChanged) : TAANotifyClass(onChanged)
{
    auto child = Bind<&TAANotifyClass::OnChildChanged>(static_cast<TAANotifyClass*>(this));
    FGradual = std::make_unique<TAAGradual>(child);
    FShadow = std::make_unique<TAAShadow>(child);
    FTexture = std::make_unique<TAATexture>(child);
}

TAAEffect::~TAAEffect() = default;

void TAAEffect::Assign(const TPersistent* source)
{
    if (auto* e = dynamic_cast<const TAAEffect*>(source)) {
        FAlpha = e->FAlpha;
        FBlur = e->FBlur;
        FNoise = e->FNoise;
        FOutline = e->FOutline;
        FHorzMirror = e->FHorzMirror;
        FVertMirror = e->FVertMirror;
        FSpray = e->FSpray;
        FAngle = e->FAngle;
        FShadow->Assign(e->FShadow.get());
        FGradual->Assign(e->FGradual.get());
        FTexture->Assign(e->FTexture.get());
        return;
    }
    TAANotifyClass::Assign(source);
}

void TAAEffect::SetShadow(const TAAShadow* value)
{
    FShadow->Assign(value);
    Changed();
}
void TAAEffect::SetGradual(const TAAGradual* value)
{
    FGradual->Assign(value);
    Changed();
}
void TAAEffect::SetTexture(const TAATexture* value)
{
    FTexture->Assign(value);
    Changed();
}
void TAAEffect::SetAlpha(int value)
{
    if (Store(FAlpha, std::clamp(value, 0, 100))) Changed();
}
void TAAEffect::SetBlur(int value)
{
    if (Store(FBlur, std::clamp(value, 0, 100))) Changed();
}
void TAAEffect::SetAngle(int value)
{
    if (Store(FAngle, std::clamp(value, -360, 360))) Changed();
}
void TAAEffect::SetNoise(int value)
{
    if (Store(FNoise, std::clamp(value, 0, 255))) Changed();
}
void TAAEffect::SetSpray(int value)
{
    if (Store(FSpray, std::clamp(value, 0, 100))) Changed();
}
void TAAEffect::SetOutline(bool value)
{
    if (Store(FOutline, value)) Changed();
}
void TAAEffect::SetHorzMirror(bool value)
{
    if (Store(FHorzMirror, value)) Changed();
}
void TAAEffect::SetVertMirror(bool value)
{
    if (Store(FVertMirror, value)) Changed();
}

void TAAEffect::SaveToIni(TCustomIniFile& ini, const String& s)
{
    ini.WriteInteger(s, L"Alpha", FAlpha);
    ini.WriteInteger(s, L"Blur", FBlur);
    ini.WriteInteger(s, L"Noise", FNoise);
    ini.WriteInteger(s, L"Spray", FSpray);
    ini.WriteInteger(s, L"Angle", FAngle);
    ini.WriteBool(s, L"Outline", FOutline);
    ini.WriteBool(s, L"HorzMirror", FHorzMirror);
    ini.WriteBool(s, L"VertMirror", FVertMirror);
    ini.WriteBool(s, L"Shadow", FShadow->FEnabled);
    ini.WriteInteger(s, L"ShadowAlpha", FShadow->FAlpha);
    ini.WriteInteger(s, L"ShadowBlur", FShadow->FBlur);
    ini.WriteInteger(s, L"ShadowColor", FShadow->FColor);
    ini.WriteInteger(s, L"ShadowOffsetX", FShadow->FOffsetX);
    ini.WriteInteger(s, L"ShadowOffsetY", FShadow->FOffsetY);
    ini.WriteBool(s, L"Gradual", FGradual->FEnabled);
    ini.WriteInteger(s, L"GradualStartColor", FGradual->FStartColor);
    ini.WriteInteger(s, L"GradualEndColor", FGradual->FEndColor);
    ini.WriteInteger(s, L"GradualStyle", FGradual->FStyle);
    ini.WriteBool(s, L"Texture", FTexture->FEnabled);
    ini.WriteInteger(s, L"TextureMode", FTexture->FMode);
}

void TAAEffect::LoadFromIni(TCustomIniFile& ini, const String& s)
{
    // Straight into the fields, without change notifications; integers cut to the field.
    FAlpha = static_cast<uint8_t>(ini.ReadInteger(s, L"Alpha", FAlpha));
    FBlur = static_cast<uint8_t>(ini.ReadInteger(s, L"Blur", FBlur));
    FNoise = static_cast<uint8_t>(ini.ReadInteger(s, L"Noise", FNoise));
    FSpray = static_cast<uint8_t>(ini.ReadInteger(s, L"Spray", FSpray));
    FAngle = static_cast<int16_t>(ini.ReadInteger(s, L"Angle", FAngle));
    FOutline = ini.ReadBool(s, L"Outline", FOutline);
    FHorzMirror = ini.ReadBool(s, L"HorzMirror", FHorzMirror);
    FVertMirror = ini.ReadBool(s, L"VertMirror", FVertMirror);
    FShadow->FEnabled = ini.ReadBool(s, L"Shadow", FShadow->FEnabled);
    FShadow->FAlpha = static_cast<uint8_t>(ini.ReadInteger(s, L"ShadowAlpha", FShadow->FAlpha));
    FShadow->FBlur = static_cast<uint8_t>(ini.ReadInteger(s, L"ShadowBlur", FShadow->FBlur));
    FShadow->FColor = ini.ReadInteger(s, L"ShadowColor", FShadow->FColor);
    FShadow->FOffsetX = static_cast<int8_t>(ini.ReadInteger(s, L"ShadowOffsetX", FShadow->FOffsetX));
    FShadow->FOffsetY = static_cast<int8_t>(ini.ReadInteger(s, L"ShadowOffsetY", FShadow->FOffsetY));
    FGradual->FEnabled = ini.ReadBool(s, L"Gradual", FGradual->FEnabled);
    FGradual->FStartColor = ini.ReadInteger(s, L"GradualStartColor", FGradual->FStartColor);
    FGradual->FEndColor = ini.ReadInteger(s, L"GradualEndColor", FGradual->FEndColor);
    int style = ini.ReadInteger(s, L"GradualStyle", FGradual->FStyle);
    FGradual->FStyle = style >= 0 && style <= gsCenterToTB ? static_cast<TGradualStyle>(style) : gsLeftToRight;
    FTexture->FEnabled = ini.ReadBool(s, L"Texture", FTexture->FEnabled);
    int mode = ini.ReadInteger(s, L"TextureMode", FTexture->FMode);
    FTexture->FMode = mode >= 0 && mode <= tmNormal ? static_cast<TTextureMode>(mode) : tmTiled;
}

// ---- Picture helpers --------------------------------------------------------------------------

void TileDraw(TCanvas* canvas, const TRect& rect, TPicture* picture)
{
    if (!canvas || !picture || !picture->Graphic() || picture->Graphic()->Empty()) return;
    const int pw = picture->Width(), ph = picture->Height();
    if (pw <= 0 || ph <= 0) return;
    const int rows = (rect.bottom - rect.top) / ph, cols = (rect.right - rect.left) / pw;
    for (int i = 0; i <= rows; ++i)
        for (int j = 0; j <= cols; ++j) canvas->Draw(rect.left + pw * j, rect.top + ph * i, picture->Graphic());
}

void StretchDrawGraphic(TCanvas* canvas, const TRect& rect, TPicture* picture, TColor colour)
{
    if (!canvas || !picture || !picture->Graphic() || picture->Graphic()->Empty()) return;
    if (auto* icon = dynamic_cast<TIcon*>(picture->Graphic())) {
        TBitmap bmp(icon->Width(), icon->Height(), pf24bit);
        bmp.Canvas()->Brush()->SetColor(colour);
        bmp.Canvas()->Brush()->SetStyle(bsSolid);
        bmp.Canvas()->FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
        bmp.Canvas()->Draw(0, 0, icon);
        canvas->StretchDraw(rect, &bmp);
        return;
    }
    canvas->StretchDraw(rect, picture->Graphic());
}

// ---- TAAFontEx ------------------------------------------------------------------------------

TAAFontEx::TAAFontEx(TCanvas* canvas) : TAAFont(canvas), FEffect(std::make_unique<TAAEffect>()) {}

TAAFontEx::~TAAFontEx() = default;

namespace {

// Gives the canvas font an escapement for a scope and puts the old one back on every exit.
class RotatedFont {
public:
    RotatedFont(TCanvas* canvas, int angle) : FCanvas(angle != 0 ? canvas : nullptr)
    {
        if (!FCanvas) return;
        FSaved.Assign(FCanvas->Font());
        FCanvas->Font()->SetOrientation(angle * 10);
    }
    ~RotatedFont()
    {
        if (FCanvas) FCanvas->Font()->Assign(&FSaved);
    }
    RotatedFont(const RotatedFont&) = delete;
    RotatedFont& operator=(const RotatedFont&) = delete;

private:
    TCanvas* FCanvas;
    TFont FSaved;
};

}  // namespace

TSize TAAFontEx::TextExtent(const String& text)
{
    TSize size;
    {
        RotatedFont rotated(Canvas(), FEffect->Angle());
        size = TAAFont::TextExtent(text);
    }
    if (FEffect->Shadow()->Enabled()) {
        size.cx += std::abs(FEffect->Shadow()->OffsetX());
        size.cy += std::abs(FEffect->Shadow()->OffsetY());
    }
    return size;
}

void TAAFontEx::CreateGradualBmp()
{
    TBitmap* fore = Blend()->ForeBmp();
    if (!Canvas() || !FEffect->Gradual()->Enabled()) return;
    fore->SetPixelFormat(pf24bit);
    fore->SetSize(Mask()->Width(), Mask()->Height());
    GdiFlush();
    GradualFill(BgrPlaneOf(*fore), FEffect->Gradual()->Style(),
                RgbOf(static_cast<uint32_t>(ColorToRGB(FEffect->Gradual()->StartColor()))),
                RgbOf(static_cast<uint32_t>(ColorToRGB(FEffect->Gradual()->EndColor()))));
    fore->PixelsChanged();
}

void TAAFontEx::CreateNoiseBmp()
{
    TBitmap* fore = Blend()->ForeBmp();
    fore->SetPixelFormat(pf24bit);
    fore->SetSize(Mask()->Width(), Mask()->Height());
    GdiFlush();
    NoiseFill(BgrPlaneOf(*fore), RgbOf(static_cast<uint32_t>(ColorToRGB(Canvas()->Font()->Color()))),
              FEffect->Noise(), &AARandom);
    fore->PixelsChanged();
}

void TAAFontEx::CreateTextureBmp()
{
    TBitmap* fore = Blend()->ForeBmp();
    TPicture* pic = FEffect->Texture()->Picture();
    if (!Canvas() || !FEffect->Texture()->Enabled() || !pic->Graphic()) return;
    fore->SetPixelFormat(pf24bit);
    fore->SetSize(Mask()->Width(), Mask()->Height());
    TCanvas* c = fore->Canvas();
    c->Brush()->SetColor(Canvas()->Font()->Color());
    c->Brush()->SetStyle(bsSolid);
    const TRect all = Rect(0, 0, fore->Width(), fore->Height());
    c->FillRect(all);
    switch (FEffect->Texture()->Mode()) {
    case tmTiled: TileDraw(c, all, pic); break;
    case tmStretched: StretchDrawGraphic(c, all, pic, c->Font()->Color()); break;
    case tmCenter: c->Draw((fore->Width() - pic->Width()) / 2, (fore->Height() - pic->Height()) / 2, pic->Graphic()); break;
    case tmNormal: c->Draw(0, 0, pic->Graphic()); break;
    }
    GdiFlush();
}

void TAAFontEx::TextOutput(int x, int y, const String& text)
{
    if (!Canvas() || text.empty()) return;
    TAAEffect& e = *FEffect;
    RotatedFont rotated(Canvas(), e.Angle());
    const bool shadow = e.Shadow()->Enabled();
    TPoint textAt{x, y}, shadowAt{x, y};
    if (shadow) {
        const int ox = e.Shadow()->OffsetX(), oy = e.Shadow()->OffsetY();
        textAt = {x + std::max(0, -ox), y + std::max(0, -oy)};
        shadowAt = {x + std::max(0, ox), y + std::max(0, oy)};
    }
    TAAMask& mask = *Mask();
    mask.DrawMask(text);
    if (e.Outline()) mask.Outline();
    if (e.Spray() > 0) mask.Spray(e.Spray());
    if (e.HorzMirror()) mask.HorzMirror();
    if (e.VertMirror()) mask.VertMirror();

    struct BrushStyleGuard {
        TBrush* brush;
        TBrushStyle style;
        bool restore = false;
        ~BrushStyleGuard()
        {
            if (restore) brush->SetStyle(style);
        }
    } brushGuard{Canvas()->Brush(), Canvas()->Brush()->Style()};

    if (shadow) {
        TAAMask shade(this);
        shade.Assign(&mask);
        if (e.Shadow()->Blur() > 0) shade.Blur(e.Shadow()->Blur());
        Blend()->Blend(shadowAt.x, shadowAt.y, shade, e.Alpha() * e.Shadow()->Alpha() / 100, e.Shadow()->Color());
        brushGuard.restore = true;
        Canvas()->Brush()->SetStyle(bsClear);   // the text goes over the shadow
    }
    if (e.Blur() > 0) mask.Blur(e.Blur());

    TPicture* texture = e.Texture()->Picture();
    if (e.Texture()->Enabled() && texture->Graphic() && !texture->Graphic()->Empty()) {
        CreateTextureBmp();
        if (e.Noise() > 0) {
            AddNoise(BgrPlaneOf(*Blend()->ForeBmp()), e.Noise(), &AARandom);
            Blend()->ForeBmp()->PixelsChanged();
        }
        Blend()->BlendEx(textAt.x, textAt.y, mask, e.Alpha());
    } else if (e.Gradual()->Enabled()) {
        CreateGradualBmp();
        if (e.Noise() > 0) {
            AddNoise(BgrPlaneOf(*Blend()->ForeBmp()), e.Noise(), &AARandom);
            Blend()->ForeBmp()->PixelsChanged();
        }
        Blend()->BlendEx(textAt.x, textAt.y, mask, e.Alpha());
    } else if (e.Noise() > 0) {
        CreateNoiseBmp();
        Blend()->BlendEx(textAt.x, textAt.y, mask, e.Alpha());
    } else {
        Blend()->Blend(textAt.x, textAt.y, mask, e.Alpha(), Canvas()->Font()->Color());
    }
}
