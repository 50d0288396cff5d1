#include "support/aatext/aa_control.h"

#include "support/aatext/aa_markup.h"

// ---- Forwarding settings ---------------------------------------------------------------------

void TMorvelParam::Assign(const TPersistent* source)
{
    if (dynamic_cast<const TMorvelParam*>(source)) return;
    TPersistent::Assign(source);
}

void TAADrag::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAADrag*>(source)) {
        FDragKind = s->FDragKind;
        FDragCursor = s->FDragCursor;
        FDragMode = s->FDragMode;
        return;
    }
    TMorvelParam::Assign(source);
}

bool TAAParentEffect::ParentColor() const { return FOwner->ParentColor(); }
void TAAParentEffect::SetParentColor(bool v) { FOwner->SetParentColor(v); }
bool TAAParentEffect::ParentFont() const { return FOwner->ParentFont(); }
void TAAParentEffect::SetParentFont(bool v) { FOwner->SetParentFont(v); }
bool TAAParentEffect::ParentShowHint() const { return FOwner->ParentShowHint(); }
void TAAParentEffect::SetParentShowHint(bool v) { FOwner->SetParentShowHint(v); }

void TAAParentEffect::Assign(const TPersistent* source)
{
    if (auto* s = dynamic_cast<const TAAParentEffect*>(source)) {
        SetParentColor(s->ParentColor());
        SetParentFont(s->ParentFont());
        SetParentShowHint(s->ParentShowHint());
        return;
    }
    TMorvelParam::Assign(source);
}

// ---- TAAGraphicControl ----------------------------------------------------------------------

TAAGraphicControl::TAAGraphicControl(TComponent* owner)
    : TGraphicControl(owner),
      FAAFont(std::make_unique<TAAFontEx>(Canvas())),
      FDrag(std::make_unique<TAADrag>(this)),
      FParentEffect(std::make_unique<TAAParentEffect>(this))
{
    FAAFont->Effect()->SetOnChanged(Bind<&TAAGraphicControl::OnEffectChanged>(this));
}

TAAGraphicControl::~TAAGraphicControl()
{
    FAAFont->Effect()->SetOnChanged(nullptr);
}

void TAAGraphicControl::SetAutoUpdate(bool value)
{
    if (FAutoUpdate == value) return;
    FAutoUpdate = value;
    if (value && HasState(csDesigning)) Changed();
}

void TAAGraphicControl::Changed()
{
    if (!FInited || !FAutoUpdate || FUpdateCount != 0) return;
    if (HasState(csLoading | csReading | csWriting | csDestroying | csUpdating)) return;
    Reset();
}

void TAAGraphicControl::Reset()
{
    Invalidate();
}

void TAAGraphicControl::InitControl()
{
    Changed();
}

void TAAGraphicControl::Loaded()
{
    TGraphicControl::Loaded();
    FInited = true;
    InitControl();
}

void TAAGraphicControl::Paint()
{
    if (HasState(csLoading | csReading | csWriting | csDestroying | csUpdating)) return;
    if (!FInited) {
        FInited = true;
        InitControl();
    }
    if ((!Visible() && !HasState(csDesigning)) || FDrawing) return;
    // The guard is cleared on every exit: a paint that throws must not stop all later ones.
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(FDrawing);
    PaintCanvas();
}

void TAAGraphicControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Changed();
        break;
    default:
        break;
    }
    TGraphicControl::Dispatch(message);
}

void TAAGraphicControl::Resize()
{
    if (Height() != AHeight || Width() != AWidth) {
        AHeight = Height();
        AWidth = Width();
        Changed();
    }
    TGraphicControl::Resize();
}

void TAAGraphicControl::DrawBackGround(TCanvas* canvas, const TRect& rect, TBackGroundMode mode, TPicture* picture)
{
    TBrush* brush = canvas->Brush();
    TBrushStyle style = brush->Style();
    brush->SetStyle(bsSolid);
    canvas->FillRect(rect);
    brush->SetStyle(style);
    if (!picture || !picture->Graphic() || picture->Graphic()->Empty()) return;
    switch (mode) {
    case bmTiled: TileDraw(canvas, rect, picture); break;
    case bmStretched: StretchDrawGraphic(canvas, rect, picture, brush->Color()); break;
    case bmCenter:
        canvas->Draw((rect.right + rect.left - picture->Width()) / 2, (rect.bottom + rect.top - picture->Height()) / 2,
                     picture->Graphic());
        break;
    case bmNormal: canvas->Draw(rect.left, rect.top, picture->Graphic()); break;
    }
}

String TAAGraphicControl::WrapText(const String& line, const String& breakStr, const String& breakChars, int limit)
{
    return ::WrapText(line, breakStr, breakChars, limit);
}

void TAAGraphicControl::WrapLines(const String& line, TStrings& list, int n)
{
    list.Clear();
    list.SetText(::WrapText(line, L"\r\n", AABreakChars, n));
}

// ---- TAACustomText --------------------------------------------------------------------------

TAACustomText::TAACustomText(TComponent* owner)
    : TAAGraphicControl(owner), FFonts(std::make_unique<TAAFontLabels>(this)), FLabels(std::make_unique<TAAUserLabels>(this))
{
    FFonts->OnChanged = Bind<&TAACustomText::OnLabelsChanged>(this);
    FLabels->OnChanged = Bind<&TAACustomText::OnLabelsChanged>(this);
}

TAACustomText::~TAACustomText()
{
    FFonts->OnChanged = nullptr;
    FLabels->OnChanged = nullptr;
}

void TAACustomText::InitControl()
{
    InitDefaultLabels();
}

void TAACustomText::InitDefaultLabels()
{
    // The default labels are a designer convenience, made once per control and never at run time.
    if (!HasState(csDesigning) || !UseDefaultLabels()) return;
    BeginUpdate();
    try {
        if (FFonts->Count() == 0 && !FFontsInited) {
            FFontsInited = true;
            CreateDefaultFonts();
        }
        if (FLabels->Count() == 0 && !FLabelsInited) {
            FLabelsInited = true;
            CreateDefaultLabels();
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TAACustomText::CreateDefaultLabels()
{
    FLabels->AddItem(L"Left", L"", lsLeftJustify);
    FLabels->AddItem(L"Center", L"", lsCenter);
    FLabels->AddItem(L"Right", L"", lsRightJustify);
    FLabels->AddItem(L"Owner", L"", lsRegOwner);
    FLabels->AddItem(L"Organization", L"", lsRegOrganization);
    FLabels->AddItem(L"AppTitle", L"", lsAppTitle);
    FLabels->AddItem(L"Date", L"", lsDate);
    FLabels->AddItem(L"Time", L"", lsTime);
}

void TAACustomText::CreateDefaultFonts()
{
    const wchar_t* hei = L"\u00ba\u00da\u00cc\u00e5";
    const wchar_t* kai = L"\u00bf\u00ac\u00cc\u00e5_GB2312";
    FFonts->AddItem(L"Title1", hei, 12, clBlack, {fsBold}, true, 2, 2);
    FFonts->AddItem(L"Title2", hei, 9, clBlue, {fsBold}, true, 1, 1);
    FFonts->AddItem(L"Title3", kai, 11, clBlue, {}, true, 2, 2);
    FFonts->AddItem(L"Text1", kai, 9, clBlack, {}, false, 1, 1);
    FFonts->AddItem(L"Text2", kai, 8, clTeal, {}, true, 1, 1);
}
