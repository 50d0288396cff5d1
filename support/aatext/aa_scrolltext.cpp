#include "support/aatext/aa_scrolltext.h"

#include <algorithm>
#include <cstring>

#include "support/aatext/aa_markup.h"

const wchar_t* const AAScrollTextDefaultText =
    L"<Title1>Anti-aliased scrolling text\r\n"
    L"\r\n"
    L"<Text1>This control shows lines of text\r\n"
    L"<Text1>drawn with smooth edges,\r\n"
    L"<Text1>moving slowly upward\r\n"
    L"<Text1>and pausing at the beginning.\r\n"
    L"\r\n"
    L"<Title2>Mark-up\r\n"
    L"<Text1>A tag is a label's name in angle brackets.\r\n"
    L"<Text1>Font labels choose the font and its effects:\r\n"
    L"<Text1>shadow, gradient, texture, blur, outline,\r\n"
    L"<Text1>spray, noise, mirrors and rotation.\r\n"
    L"<Text1>User labels insert a text or set the alignment.\r\n"
    L"\r\n"
    L"<Title2>Registered to\r\n"
    L"<Text1><Owner>\r\n"
    L"<Text1><Organization>\r\n"
    L"\r\n"
    L"<Title3>Edit the lines to show your own text.\r\n";

// ---- TAACustomParam -------------------------------------------------------------------------

TAACustomParam::TAACustomParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged)
    : TAANotifyClass(onChanged), FOwnerControl(owner), FBackGround(std::make_unique<TPicture>())
{
    FBackGround->OnChange = Bind<&TAACustomParam::OnBackGroundChanged>(this);
}

TAACustomParam::~TAACustomParam()
{
    FBackGround->OnChange = nullptr;
}

void TAACustomParam::Assign(const TPersistent* source)
{
    // The owner control stays this object's own: the settings are copied, not the binding.
    if (auto* s = dynamic_cast<const TAACustomParam*>(source)) {
        FAlignment = s->FAlignment;
        FWordWrap = s->FWordWrap;
        FTransparent = s->FTransparent;
        FLayout = s->FLayout;
        FBackGround->Assign(s->FBackGround.get());
        FBackGroundMode = s->FBackGroundMode;
        Changed();
        return;
    }
    TAANotifyClass::Assign(source);
}

void TAACustomParam::SetAlignment(TAlignment v) { if (Store(FAlignment, v)) Changed(); }
void TAACustomParam::SetWordWrap(bool v) { if (Store(FWordWrap, v)) Changed(); }
void TAACustomParam::SetTransparent(bool v) { if (Store(FTransparent, v)) Changed(); }
void TAACustomParam::SetLayout(TTextLayout v) { if (Store(FLayout, v)) Changed(); }
void TAACustomParam::SetBackGroundMode(TBackGroundMode v) { if (Store(FBackGroundMode, v)) Changed(); }

TAAQuality TAACustomParam::Quality() const
{
    return FOwnerControl->AAFont()->Quality();
}

void TAACustomParam::SetQuality(TAAQuality v)
{
    if (FOwnerControl->AAFont()->Quality() == v) return;
    FOwnerControl->AAFont()->SetQuality(v);
    Changed();
}

TFont* TAACustomParam::Font() const
{
    return FOwnerControl->Font();
}

void TAACustomParam::SetFont(const TFont* v)
{
    FOwnerControl->SetFont(v);
}

TColor TAACustomParam::BackColor() const
{
    return FOwnerControl->Color();
}

void TAACustomParam::SetBackColor(TColor v)
{
    FOwnerControl->SetColor(v);
}

// ---- TAACustomTextParam ---------------------------------------------------------------------

TAACustomTextParam::TAACustomTextParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged)
    : TAACustomParam(owner, onChanged), FLines(std::make_unique<TStringList>())
{
    FLines->OnChange = Bind<&TAACustomTextParam::OnLinesChanged>(this);
    FFontEffect = std::make_unique<TAAEffect>(Bind<&TAANotifyClass::OnChildChanged>(static_cast<TAANotifyClass*>(this)));
}

TAACustomTextParam::~TAACustomTextParam()
{
    FLines->OnChange = nullptr;
}

void TAACustomTextParam::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAACustomTextParam*>(source)) {
        FRowPitch = s->FRowPitch;
        FLabelEffect = s->FLabelEffect;
        FLines->OnChange = nullptr;
        FLines->Assign(s->FLines.get());
        FLines->OnChange = Bind<&TAACustomTextParam::OnLinesChanged>(this);
    }
    TAACustomParam::Assign(source);
}

void TAACustomTextParam::SetLines(const TStrings* v)
{
    FLines->OnChange = nullptr;
    FLines->Assign(v);
    FLines->OnChange = Bind<&TAACustomTextParam::OnLinesChanged>(this);
    Changed();
}

void TAACustomTextParam::SetLabelEffect(TLabelEffect v) { if (Store(FLabelEffect, v)) Changed(); }
void TAACustomTextParam::SetRowPitch(int v) { if (Store(FRowPitch, std::clamp(v, -100, 150))) Changed(); }

// ---- TAAScrollTextParam ---------------------------------------------------------------------

TAAScrollTextParam::TAAScrollTextParam(TAAGraphicControl* owner, const TNotifyEvent& onChanged)
    : TAACustomTextParam(owner, onChanged)
{
    FLines->OnChange = nullptr;
    FLines->SetText(AAScrollTextDefaultText);
    FLines->OnChange = Bind<&TAAScrollTextParam::OnLinesChanged>(this);
    FAlignment = taCenter;
    FBackGroundMode = bmTiled;
}

bool TAAScrollTextParam::IsDefaultText() const
{
    TStringList def;
    def.SetText(AAScrollTextDefaultText);
    return FLines->Text() == def.Text();
}

void TAAScrollTextParam::SetFade(bool v) { if (Store(FFade, v)) Changed(); }
void TAAScrollTextParam::SetFadeHeight(int v) { if (Store(FFadeHeight, v)) Changed(); }
void TAAScrollTextParam::SetHeadSpace(int v) { if (Store(FHeadSpace, std::clamp(v, 0, 150))) Changed(); }
void TAAScrollTextParam::SetTailSpace(int v) { if (Store(FTailSpace, std::clamp(v, 0, 150))) Changed(); }

// ---- TAAScrollText --------------------------------------------------------------------------

TAAScrollText::TAAScrollText(TComponent* owner) : TAACustomText(owner)
{
    SetControlStyle(ControlStyle() | csOpaque);
    FText = std::make_unique<TAAScrollTextParam>(this, Bind<&TAAScrollText::OnLabelsChanged>(this));
    TextBmp = std::make_unique<TBitmap>();
    TextBmp->SetPixelFormat(pf24bit);
    CurrBmp = std::make_unique<TBitmap>();
    CurrBmp->SetPixelFormat(pf24bit);
    ScrollTimer = std::make_unique<TMMTimer>(nullptr);
    ScrollTimer->SetEnabled(false);
    ScrollTimer->SetOnTimer(Bind<&TAAScrollText::OnScrollTimer>(this));
    DelayTimer = std::make_unique<TTimer>(nullptr);
    DelayTimer->SetEnabled(false);
    DelayTimer->SetOnTimer(Bind<&TAAScrollText::OnDelayTimer>(this));
    FCurrPos = 0;
    FRepeatCount = 0;
    FActive = true;
    FRepeatDelay = 0;
    SetRepeatDelay(2000);
    FScrollDelay = 0;
    SetScrollDelay(60);
    FScrollStep = 1;
    SetColor(clWhite);
    SetBounds(0, 0, 240, 280);
}

TAAScrollText::~TAAScrollText()
{
    Destroying();
    SetActive(false);
    ScrollTimer.reset();
    DelayTimer.reset();
    TextBmp.reset();
    CurrBmp.reset();
    FText.reset();
}

void TAAScrollText::SetActive(bool value)
{
    if (FActive == value) return;
    FActive = value;
    ScrollTimer->SetEnabled(value);
    if (!value) DelayTimer->SetEnabled(false);
}

void TAAScrollText::SetScrollDelay(unsigned value)
{
    value = std::min(value, 65535u);
    if (FScrollDelay == value) return;
    FScrollDelay = value;
    ScrollTimer->SetInterval(value);
}

void TAAScrollText::SetScrollStep(int value)
{
    FScrollStep = value;
}

void TAAScrollText::SetRepeatDelay(unsigned value)
{
    value = std::min(value, 65535u);
    if (FRepeatDelay == value) return;
    FRepeatDelay = value;
    DelayTimer->SetInterval(value);
    // A window timer of interval 0 never fires: a pause already running would never end.
    if (value == 0 && DelayTimer->Enabled()) OnDelayTimer(this);
}

void TAAScrollText::SetRepeatCount(int value)
{
    value = std::max(value, 0);
    if (FRepeatCount == value) return;
    FRepeatCount = value;
    Changed();
}

void TAAScrollText::SetBounds(int left, int top, int width, int height)
{
    TAACustomText::SetBounds(left, top, std::max(width, 20), std::max(height, 20));
}

bool TAAScrollText::UseDefaultLabels()
{
    return FText && FText->IsDefaultText();
}

void TAAScrollText::CreateDefaultFonts()
{
    TAACustomText::CreateDefaultFonts();
    const wchar_t* li = L"\u00c1\u00a5\u00ca\u00e9";
    if (TAAFontLabel* l = FFonts->AddItem(L"Title4", li, 22, clBlack, {fsBold}, true, 2, 2)) {
        l->Effect()->Gradual()->SetEnabled(true);
        l->Effect()->Gradual()->SetStyle(gsLeftToRight);
        l->Effect()->Gradual()->SetStartColor(0xFF2200);
        l->Effect()->Gradual()->SetEndColor(0x2210FF);
        l->Effect()->SetOutline(true);
        l->Effect()->SetBlur(50);
    }
    if (TAAFontLabel* l = FFonts->AddItem(L"Text3", li, 11, clBlue, {}, true, 1, 1)) {
        l->Effect()->Gradual()->SetEnabled(true);
        l->Effect()->Gradual()->SetStyle(gsTopToBottom);
        l->Effect()->Gradual()->SetStartColor(0xCC3311);
        l->Effect()->Gradual()->SetEndColor(0xFF22AA);
    }
}

void TAAScrollText::InitControl()
{
    TAACustomText::InitControl();
    Reset();
}

void TAAScrollText::Reset()
{
    const bool wasActive = FActive;
    struct Restore {
        TAAScrollText* self;
        bool active;
        ~Restore() { self->SetActive(active); }
    } restore{this, wasActive};
    FRepeatedCount = -1;
    SetActive(false);
    CreateText();
    FCurrPos = 0;
    // Straight to the screen when there is one; otherwise the next WM_PAINT shows it.
    if (Parent() && Parent()->HandleAllocated() && Visible()) {
        auto* canvas = static_cast<TControlCanvas*>(Canvas());
        struct FreeDC {
            TControlCanvas* c;
            ~FreeDC() { c->FreeHandle(); }
        } freeDC{canvas};
        Paint();
    }
}

void TAAScrollText::ReStart()
{
    FRepeatedCount = -1;
    SetCurrPos(0);
}

int TAAScrollText::LineBreakCount(const String& line, TStringList& pieces)
{
    const int width = Width();
    const int w = FAAFont->TextWidth(line);
    if (FText->WordWrap() && w > width && !line.empty()) {
        int n = static_cast<int>(static_cast<long long>(line.size()) * width / w);
        // A prefix can be wider than the control even when empty (shadow offsets): stop at 0.
        while (n > 0 && FAAFont->TextWidth(line.substr(0, static_cast<size_t>(n))) > width) --n;
        WrapLines(line, pieces, n);
        if (pieces.Count() == 0) pieces.Add(L" ");
    } else {
        pieces.Clear();
        pieces.Add(line.empty() ? String(L" ") : line);
    }
    return pieces.Count();
}

void TAAScrollText::CreateText()
{
    BeginUpdate();
    struct End {
        TAAScrollText* self;
        ~End() { self->EndUpdate(); }
    } end{this};
    TStringList source, pieces;
    TCanvas* tc = TextBmp->Canvas();
    const int width = std::max(Width(), 1);
    TextBmp->SetSize(width, 0);
    tc->Brush()->SetColor(Color());
    tc->Brush()->SetStyle(bsSolid);
    source.Assign(FText->Lines());
    FAAFont->SetCanvas(tc);
    TAAEffect* effect = FAAFont->Effect();
    effect->Assign(FText->FontEffect());
    const double pitch = FText->RowPitch() / 100.0 + 1.0;
    const int top = (FText->Fade() ? std::max(FText->FadeHeight(), 0) : 0) + Height() * FText->HeadSpace() / 100;

    // Measuring pass.
    int y = top;
    tc->Font()->Assign(FText->Font());
    TAlignment alignment = FText->Alignment();
    for (int i = 0; i < source.Count(); ++i) {
        String line = source[i];
        if (FText->LabelEffect() == leOnlyALine) {
            tc->Font()->Assign(FText->Font());
            effect->Assign(FText->FontEffect());
        }
        FFonts->Check(line, tc->Font(), effect);
        FLabels->Check(line, alignment);
        const int h = FAAFont->TextHeight(line + L" ");
        const int count = LineBreakCount(line, pieces);
        y += count * RoundEven(pitch * h);
    }
    y += Height() * FText->TailSpace() / 100;
    y = std::max(y, ClientHeight());
    y = std::max(y, 1);
    tc->Brush()->SetColor(Color());
    tc->Brush()->SetStyle(bsSolid);
    TextBmp->SetSize(width, y);
    const TRect all = Rect(0, 0, width, y);
    tc->FillRect(all);

    TPicture* bg = FText->BackGround();
    if (bg->Graphic() && !bg->Graphic()->Empty()) DrawBackGround(tc, all, FText->BackGroundMode(), bg);

    // Drawing pass.
    tc->Brush()->SetStyle(bsClear);
    source.Assign(FText->Lines());
    effect->Assign(FText->FontEffect());
    y = top;
    tc->Font()->Assign(FText->Font());
    alignment = FText->Alignment();
    for (int i = 0; i < source.Count(); ++i) {
        String line = source[i];
        if (FText->LabelEffect() == leOnlyALine) {
            tc->Font()->Assign(FText->Font());
            effect->Assign(FText->FontEffect());
            alignment = FText->Alignment();
        }
        FFonts->Check(line, tc->Font(), effect);
        FLabels->Check(line, alignment);
        LineBreakCount(line, pieces);
        for (int j = 0; j < pieces.Count(); ++j) {
            const String& piece = pieces[j];
            const int h = FAAFont->TextHeight(piece + L" ");
            const int w = FAAFont->TextWidth(piece);
            int x = 0;
            if (alignment == taRightJustify) x = width - w;
            else if (alignment == taCenter) x = (width - w) / 2;
            FAAFont->TextOutput(x, y, piece);
            y += RoundEven(pitch * h);
        }
    }
    TextBmp->PixelsChanged();
    if (OnTextReady) OnTextReady(this);
}

void TAAScrollText::PaintCanvas()
{
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    CurrBmp->SetSize(w, h);
    TCanvas* cc = CurrBmp->Canvas();
    cc->Brush()->SetColor(Color());
    cc->Brush()->SetStyle(bsSolid);
    cc->FillRect(Rect(0, 0, w, h));
    GdiFlush();
    TBgrPlane window = BgrPlaneOf(*CurrBmp);
    if (!TextBmp->Empty()) {
        TBgrPlane text = BgrPlaneOf(*TextBmp);
        const size_t bytes = static_cast<size_t>(std::min(w, text.width)) * 3;
        for (const TRowSpan& span : ScrollSpans(text.height, FCurrPos, h))
            for (int r = 0; r < span.count; ++r)
                std::memcpy(window.Row(span.dstRow + r), text.Row(span.srcRow + r), bytes);
    }
    if (FText->Fade()) FadeBand(window, FText->FadeHeight(), RgbOf(static_cast<uint32_t>(ColorToRGB(Color()))));
    CurrBmp->PixelsChanged();
    if (!HasState(csDestroying)) BitBlt(Canvas()->Handle(), 0, 0, w, h, cc->Handle(), 0, 0, SRCCOPY);
    if (OnPainted) OnPainted(this);
}

void TAAScrollText::SetCurrPos(int value)
{
    if (value == FCurrPos) return;
    const int height = BmpHeight();
    if (height <= 0) {
        FCurrPos = 0;
        return;
    }
    FCurrPos = value % height;
    if (FCurrPos < 0) FCurrPos += height;
    if (Parent() && Parent()->HandleAllocated() && Visible()) {
        auto* canvas = static_cast<TControlCanvas*>(Canvas());
        struct FreeDC {
            TControlCanvas* c;
            ~FreeDC() { c->FreeHandle(); }
        } freeDC{canvas};
        Paint();
    }
}

void TAAScrollText::OnScrollTimer(TObject*)
{
    if (FCurrPos == 0) {
        ++FRepeatedCount;
        if (FRepeatCount > 0 && FRepeatedCount >= FRepeatCount) {
            SetActive(false);
            FRepeatedCount = -1;
            if (OnComplete) OnComplete(this);
            return;
        }
        if (FRepeatDelay > 0) {
            ScrollTimer->SetEnabled(false);
            DelayTimer->SetEnabled(true);
            return;
        }
    }
    const int height = BmpHeight();
    if (FScrollStep > 0 && FCurrPos + FScrollStep >= height) {
        SetCurrPos(0);
        return;
    }
    if (FScrollStep < 0 && FCurrPos + FScrollStep < 0) SetCurrPos(0);
    else SetCurrPos(FCurrPos + FScrollStep);
}

void TAAScrollText::OnDelayTimer(TObject*)
{
    DelayTimer->SetEnabled(false);
    SetCurrPos(FCurrPos + FScrollStep);
    if (FActive) ScrollTimer->SetEnabled(true);
}

// ---- The main window's information panel ------------------------------------------------------

void SetupInfoText(TAAScrollText* t)
{
    t->BeginUpdate();
    t->SetActive(false);
    t->SetBounds(2, 20, 463, 28);
    t->SetAlign(alLeft);
    t->Text()->SetBackColor(cl3DDkShadow);
    t->Text()->SetFade(false);
    TFont font;
    font.SetName(L"Arial");
    font.SetHeight(-13);
    font.SetColor(clWindowText);
    t->Text()->SetFont(&font);

    const wchar_t* hei = L"\u00ba\u00da\u00cc\u00e5";
    const wchar_t* kai = L"\u00bf\u00ac\u00cc\u00e5_GB2312";
    const wchar_t* li = L"\u00c1\u00a5\u00ca\u00e9";
    struct Row {
        const wchar_t* name;
        const wchar_t* face;
        int height;
        bool bold;
        TColor colour;
        bool shadow;
        int offset;
    } rows[] = {
        {L"Title1", hei, -16, true, clBlack, true, 2}, {L"Title2", hei, -12, true, clBlack, true, 1},
        {L"Title3", kai, -15, false, clBlack, true, 2}, {L"Text1", kai, -12, false, clBlack, false, 1},
        {L"Text2", kai, -11, false, clTeal, true, 1},  {L"Title4", li, -29, true, clBlack, true, 2},
        {L"Text3", li, -15, false, clBlue, true, 1},
    };
    TAAFontLabels* fonts = t->Fonts();
    fonts->Clear();
    for (const Row& r : rows) {
        TAAFontLabel* l = fonts->AddItem(r.name, r.face, 9, r.colour, r.bold ? TFontStyles{fsBold} : TFontStyles{}, r.shadow,
                                         r.offset, r.offset);
        l->Font()->SetHeight(r.height);
    }
    TAAEffect* title4 = fonts->Items(5)->Effect();
    title4->Gradual()->SetEnabled(true);
    title4->Gradual()->SetStyle(gsLeftToRight);
    title4->Gradual()->SetStartColor(0xFF2200);
    title4->Gradual()->SetEndColor(0x2210FF);
    title4->SetBlur(50);
    title4->SetOutline(true);
    TAAEffect* text3 = fonts->Items(6)->Effect();
    text3->Gradual()->SetEnabled(true);
    text3->Gradual()->SetStyle(gsTopToBottom);
    text3->Gradual()->SetStartColor(0xCC3311);
    text3->Gradual()->SetEndColor(0xFF22AA);

    TAAUserLabels* labels = t->Labels();
    labels->Clear();
    labels->AddItem(L"Left", L"", lsLeftJustify);
    labels->AddItem(L"Center", L"", lsCenter);
    labels->AddItem(L"Right", L"", lsRightJustify);
    labels->AddItem(L"Owner", L"", lsRegOwner);
    labels->AddItem(L"Organization", L"", lsRegOrganization);
    labels->AddItem(L"AppTitle", L"", lsAppTitle);
    labels->AddItem(L"Date", L"", lsDate);
    labels->AddItem(L"Time", L"", lsTime);

    TStringList lines;
    lines.Add(L"<Title1>Qwelta Wheel Configuration");
    lines.Add(L"");
    lines.Add(L"");
    lines.Add(L"<Title3>Qwelta");
    lines.Add(L"2024");
    t->Text()->SetLines(&lines);
    t->EndUpdate();
    t->Changed();
}

String LoadInfoTextBackground(TAAScrollText* t, const String& fileName)
{
    try {
        TPicture picture;
        picture.LoadFromFile(fileName);
        t->Text()->SetBackGround(&picture);
        return String();
    } catch (const Exception& e) {
        t->Text()->BackGround()->SetGraphic(nullptr);
        return e.Message();
    } catch (const std::exception& e) {
        t->Text()->BackGround()->SetGraphic(nullptr);
        return FromUtf8(e.what());
    }
}
