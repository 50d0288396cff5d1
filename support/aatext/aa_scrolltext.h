// TAAScrollText: mark-up lines rendered once as anti-aliased text into a tall bitmap, shown
// scrolling upward through the control, pausing whenever the beginning reaches the top. Each
// step copies a window of the control's height out of the bitmap, fades its top and bottom
// rows and paints it. Steps come from the shared millisecond timer, the pause from a window
// timer.
#pragma once

#include <memory>

#include "support/aatext/aa_control.h"
#include "support/aatext/mmtimer.h"
#include "vcl/timers.h"

class TAACustomParam : public TAANotifyClass {
public:
    TAACustomParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged);
    ~TAACustomParam() override;
    void Assign(const TPersistent* source) override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    TPicture* BackGround() const { return FBackGround.get(); }
    void SetBackGround(const TPicture* v) { FBackGround->Assign(v); }
    TBackGroundMode BackGroundMode() const { return FBackGroundMode; }
    void SetBackGroundMode(TBackGroundMode v);
    // Forwarded to the owner control.
    TAAQuality Quality() const;
    void SetQuality(TAAQuality v);
    TFont* Font() const;
    void SetFont(const TFont* v);
    TColor BackColor() const;
    void SetBackColor(TColor v);

protected:
    void OnBackGroundChanged(TObject*) { Changed(); }

    TAlignment FAlignment = taLeftJustify;
    bool FWordWrap = false;
    bool FTransparent = false;
    TTextLayout FLayout = tlTop;
    TAAGraphicControl* FOwnerControl;
    std::unique_ptr<TPicture> FBackGround;
    TBackGroundMode FBackGroundMode = bmCenter;
};

enum TLabelEffect { leOnlyALine, leUntilNextLabel };

class TAACustomTextParam : public TAACustomParam {
public:
    TAACustomTextParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged);
    ~TAACustomTextParam() override;
    void Assign(const TPersistent* source) override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(const TStrings* v);
    TLabelEffect LabelEffect() const { return FLabelEffect; }
    void SetLabelEffect(TLabelEffect v);
    int RowPitch() const { return FRowPitch; }
    void SetRowPitch(int v);
    TAAEffect* FontEffect() const { return FFontEffect.get(); }
    void SetFontEffect(const TAAEffect* v) { FFontEffect->Assign(v); }

protected:
    void OnLinesChanged(TObject*) { Changed(); }

    std::unique_ptr<TStringList> FLines;
    TLabelEffect FLabelEffect = leUntilNextLabel;
    int16_t FRowPitch = 20;   // -100..150 percent of a line's height
    std::unique_ptr<TAAEffect> FFontEffect;
};

class TAAScrollTextParam : public TAACustomTextParam {
public:
    TAAScrollTextParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged);

    bool Fade() const { return FFade; }
    void SetFade(bool v);
    int FadeHeight() const { return FFadeHeight; }
    void SetFadeHeight(int v);
    int HeadSpace() const { return FHeadSpace; }
    void SetHeadSpace(int v);
    int TailSpace() const { return FTailSpace; }
    void SetTailSpace(int v);
    // True while Lines hold the built-in text (it is then not stored with the form).
    bool IsDefaultText() const;

private:
    bool FFade = true;
    int FFadeHeight = 10;
    int FTailSpace = 60;
    int FHeadSpace = 0;
};

// The built-in text of a new scrolling text.
extern const wchar_t* const AAScrollTextDefaultText;

class TAAScrollText : public TAACustomText {
public:
    explicit TAAScrollText(TComponent* owner);
    ~TAAScrollText() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    unsigned ScrollDelay() const { return FScrollDelay; }
    void SetScrollDelay(unsigned value);
    int ScrollStep() const { return FScrollStep; }
    void SetScrollStep(int value);
    unsigned RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(unsigned value);
    int RepeatCount() const { return FRepeatCount; }
    void SetRepeatCount(int value);
    TAAScrollTextParam* Text() const { return FText.get(); }
    void SetText(const TAAScrollTextParam* value) { FText->Assign(value); }
    int BmpHeight() const { return TextBmp->Height(); }
    int CurrPos() const { return FCurrPos; }
    int RepeatedCount() const { return FRepeatedCount; }
    TBitmap* TextBitmap() const { return TextBmp.get(); }

    void Reset() override;
    void ReStart();
    bool UseDefaultLabels() override;
    void CreateDefaultFonts() override;
    // Widths and heights below 20 become 20.
    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent OnTextReady;
    TNotifyEvent OnComplete;
    TNotifyEvent OnPainted;

    // One tick of the scroll timer and the end of the pause (public for the timers and tests).
    void OnScrollTimer(TObject* sender);
    void OnDelayTimer(TObject* sender);

protected:
    void InitControl() override;
    void PaintCanvas() override;
    void CreateText();
    void SetCurrPos(int value);

private:
    int LineBreakCount(const String& line, TStringList& pieces);

    unsigned FScrollDelay = 60;
    int FScrollStep = 1;
    unsigned FRepeatDelay = 2000;
    int FRepeatCount = 0;
    int FRepeatedCount = -1;
    std::unique_ptr<TAAScrollTextParam> FText;
    int FCurrPos = 0;
    std::unique_ptr<TBitmap> TextBmp;
    std::unique_ptr<TBitmap> CurrBmp;
    std::unique_ptr<TTimer> DelayTimer;
    std::unique_ptr<TMMTimer> ScrollTimer;
    bool FActive = true;
};

// The information panel of the main window: product title and maker over the theme's
// background picture, scrolling 1 pixel per 60 ms with a 2 s pause. Left inactive; the main
// window switches Active on when it is created and the background with its theme:
//
//   // building the form (between BeginLoading and EndLoading):
//   InfoText = new TAAScrollText(this);
//   InfoText->SetParent(grpInfo);            // the "Info" group box
//   SetupInfoText(InfoText);
//   InfoText->OnClick = Bind<&TMainForm::InfoTextClick>(this);
//   // FormCreate, first step:
//   InfoText->SetActive(true);
//   // FormShow and the theme menu items:
//   String err = LoadInfoTextBackground(InfoText, L"themes\\bg_dark.png");   // or bg_light.png
//   if (!err.empty()) SetSysLog(err);
void SetupInfoText(TAAScrollText* infoText);
// Loads the theme's background picture ("themes\bg_dark.png" / "themes\bg_light.png"); a
// missing or unreadable file keeps the plain background and answers the error's text (empty
// on success).
String LoadInfoTextBackground(TAAScrollText* infoText, const String& fileName);
