// Glows around controls under the mouse: a click-through layered top-level window (a glow
// form) around the control showing the section's glow image with per-pixel alpha and an opacity
// the animations change frame by frame. The process-wide glow list's index is the glow id a
// link keeps. Also the glow form itself, the padding property and two small mask pictures the
// program carries. Main thread only.
#pragma once

#include <vector>

#include "vcl/forms.h"
#include "vcl/graphics.h"

class TsCommonData;
class TsSkinManager;

// The borderless, non-activating helper window on which the engine shows layered images.
class TacGlowForm : public TForm {
public:
    explicit TacGlowForm(TComponent* owner);
    ~TacGlowForm() override;
    void AfterConstruction() override;

    TBitmap* AlphaBmp = nullptr;   // the image pushed to the layered window (owned)
    bool TransparentMouse = true;

protected:
    void Loaded() override;
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
};

// The four-sided padding of edits and the page control.
class TacPadding : public TPersistent {
public:
    TacPadding(TControl* control, const TNotifyEvent& onChange) : FControl(control), FOnChange(onChange) {}
    int Top() const { return FTop; }
    int Left() const { return FLeft; }
    int Right() const { return FRight; }
    int Bottom() const { return FBottom; }
    // index 0 Top, 1 Left, 2 Right, 3 Bottom.
    void SetSide(int index, int value);
    void SetTop(int v) { SetSide(0, v); }
    void SetLeft(int v) { SetSide(1, v); }
    void SetRight(int v) { SetSide(2, v); }
    void SetBottom(int v) { SetSide(3, v); }

private:
    int FTop = 0, FLeft = 0, FRight = 0, FBottom = 0;
    TControl* FControl;
    TNotifyEvent FOnChange;
};


// One glow window around a control.
class TacGlowEffect {
public:
    TacGlowEffect() = default;
    ~TacGlowEffect();
    TacGlowEffect(const TacGlowEffect&) = delete;
    TacGlowEffect& operator=(const TacGlowEffect&) = delete;
    void CreateAlphaBmp(int width, int height);
    void Show(const TRect& r, const TRect& realRect, HWND wndHandle, uint8_t alpha);
    void NewWndProc(TMessage& message);

    TBitmap* AlphaBmp = nullptr;
    int Margin = 0;
    int MaskIndex = -1;
    TacGlowForm* Wnd = nullptr;
    bool Destroyed = false;
    TWndMethod OldWndProc;
    TsSkinManager* SkinManager = nullptr;
    TsCommonData* SkinData = nullptr;
};

// The glow list (a removed glow leaves a nil entry; emptied only by FreeAllGlows).
std::vector<TacGlowEffect*>& GlowList();
int ShowSectionGlow(const TRect& realRect, const String& section, const String& maskName, TsCommonData* data,
                    HWND wndHandle, uint8_t alpha, int margin);
int ShowMaskGlow(const TRect& realRect, const std::vector<int>& maskIndexes, TsCommonData* data, HWND wndHandle,
                 uint8_t alpha, int margin);
void SetGlowOpacity(int glowID, uint8_t alpha);
void FadeOutGlow(int& glowID, bool animated);
void FreeAllGlows(bool withWindows);

// ---- the engine's mask pictures ----------------------------------------------------------------

class TPNGGraphic;
// A picture built into the program by name ("acMask1", "acMask2"), as a new 32-bit image the
// caller owns; an unknown name raises EResNotFound.
TPNGGraphic* LoadPngResource(const String& resName);
// The two pictures, loaded on first use and freed at the end.
TPNGGraphic* AcMask1();
TPNGGraphic* AcMask2();
