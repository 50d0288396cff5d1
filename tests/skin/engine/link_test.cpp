// A control's skin link in real windows: the skin command's common answers, the guard against
// foreign senders of the unregistered message, the background answers of a parent, the
// transparency tests and the link's visual state and updating.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/form_services.h"
#include "skin/engine/glow.h"
#include "skin/graphics/pnggraphic.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/paint32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/comctrls.h"
#include "vcl/extctrls.h"
#include "vcl/menus.h"

namespace {

const wchar_t* const SkinText =
    L"[GLOBALINFO]\nVERSION=8\nCOLOR=12632256\nFONTCOLOR=65\n"
    L"[PANEL]\nCOLOR=16777215\nFONTCOLOR=1\nSTATES=2\n"
    L"[HALF]\nCOLOR=0\nTRANSPARENCY=50\nSTATES=1\n"
    L"[SOLID]\nCOLOR=255\nSTATES=3\n"
    L"[SEE]\nCOLOR=255\nTRANSPARENCY=51\nHOTTRANSPARENCY=51\nTRANSPARENCY2=51\nSTATES=3\n"
    L"[FIFTY]\nCOLOR=255\nTRANSPARENCY=50\nSTATES=1\n"
    L"[CLEAR]\nCOLOR=255\nTRANSPARENCY=100\nSTATES=1\n"
    L"[HOT39]\nCOLOR=255\nHOTTRANSPARENCY=39\nSTATES=2\n"
    L"[HOT60]\nCOLOR=255\nHOTTRANSPARENCY=60\nSTATES=2\n"
    L"[TONE]\nCOLOR=255\nFONTCOLOR=32768\nSTATES=2\n";

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

ManagerPtr SkinnedManager()
{
    ManagerPtr m(new TsSkinManager(nullptr));
    m->ApplySkinEditorText(L"Test", String(), SkinText);
    return m;
}

// A windowed control with a link: answers its default section, composes its cache as a flat
// colour (or leaves it stale), records the skin commands that reach it and what it accepted.
class TLinked : public TCustomControl {
public:
    TLinked(TComponent* owner, uint8_t coc, const wchar_t* section) : TCustomControl(owner), Section(section)
    {
        Link = new TsCtrlSkinData(this, true);
        Link->COC = coc;
    }
    ~TLinked() override { delete Link; }
    TsCtrlSkinData* Link;
    String Section;
    bool ComposeFails = false;
    TColor Fill = 0x00FF00;
    std::vector<unsigned> Seen;   // codes that reached the window procedure
    int BeginNotes = 0, EndNotes = 0, FontNotes = 0;
    bool Saw(unsigned code) const { return std::find(Seen.begin(), Seen.end(), code) != Seen.end(); }

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) {
            Seen.push_back(SkinCommandOf(m.WParam));
            switch (SkinCommandOf(m.WParam)) {
            case scmGetDefaultIndex:
                m.Result = Link->SkinManager() ? Link->SkinManager()->GetSkinIndex(Section) + 1 : 0;
                return;
            case scmPrepareCache:
                if (!ComposeFails) {
                    Link->EnsureCacheBmp();
                    FillRectAlpha32(Link->FCacheBmp, TRect(0, 0, Width(), Height()), Fill, 255);
                    HandleSkinCommand(m, Link);
                }
                return;
            case scmBeginUpdate: ++BeginNotes; return;
            case scmEndUpdate: ++EndNotes; return;
            default:
                if (HandleSkinCommand(m, Link)) return;
            }
        } else if (HandleCommonMessage(m, Link)) {
            return;
        }
        if (m.Msg == CM_FONTCHANGED) ++FontNotes;
        TCustomControl::WndProc(m);
    }
};

struct TFixture {
    ManagerPtr Manager = SkinnedManager();
    FormPtr Form{new TForm(nullptr)};
    TLinked* Parent = nullptr;
    TLinked* Child = nullptr;

    TFixture(const wchar_t* childSection = L"SOLID", uint8_t childCoc = 51)
    {
        Form->SetBounds(50, 50, 300, 200);
        Parent = new TLinked(Form.get(), 51, L"PANEL");
        Parent->SetBounds(0, 0, 200, 150);
        Parent->SetParent(Form.get());
        Child = new TLinked(Form.get(), childCoc, childSection);
        Child->SetBounds(10, 20, 60, 30);
        Child->SetParent(Parent);
        Form->Show();
        Parent->Link->Loaded(false);
        Child->Link->Loaded(false);
    }
    int Index(const wchar_t* name) { return Manager->GetSkinIndex(name); }
};

// A child window for the cache copies: opaque by its control style or by its answer, or shaped
// as a group box (with or without a client edge) whose caption band is CaptionHeight high.
class TClipChild : public TCustomControl {
public:
    TClipChild(TComponent* owner, bool opaqueStyle, LRESULT opaqueAnswer, bool groupBox = false,
               bool clientEdge = false)
        : TCustomControl(owner), OpaqueAnswer(opaqueAnswer), GroupBox(groupBox), ClientEdge(clientEdge)
    {
        SetControlStyle(opaqueStyle ? ControlStyle() | csOpaque : ControlStyle() & ~TControlStyle(csOpaque));
    }
    LRESULT OpaqueAnswer;
    bool GroupBox, ClientEdge;
    static constexpr int CaptionHeight = 8;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TCustomControl::CreateParams(params);
        if (GroupBox) params.Style |= BS_GROUPBOX;
        if (ClientEdge) params.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmIsOpaque) {
            m.Result = OpaqueAnswer;
            return;
        }
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmGetCaptionHeight) {
            m.Result = CaptionHeight;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

TMessage Command(unsigned code, LPARAM lParam = 0, unsigned arg = 0)
{
    return TMessage{MSG_SKINCOMMAND, SkinCommandWParam(code, arg), lParam, 0};
}

}  // namespace

TEST(SkinLink, SectionsResolveByDefaultAndByName)
{
    TFixture f;
    EXPECT_EQ(f.Child->Link->SkinIndex, f.Index(L"SOLID"));
    EXPECT_TRUE(f.Child->Link->Skinned(true));
    f.Child->Link->SetSkinSection(L"half");
    EXPECT_EQ(f.Child->Link->SkinSection(), L"HALF");
    EXPECT_EQ(f.Child->Link->SkinIndex, f.Index(L"HALF"));
    f.Child->Link->SetSkinSection(L"NOSUCH");
    EXPECT_EQ(f.Child->Link->SkinIndex, -1);
    EXPECT_FALSE(f.Child->Link->Skinned());
    f.Child->Link->SetSkinSection(L"");   // back to the control's default
    EXPECT_EQ(f.Child->Link->SkinIndex, f.Index(L"SOLID"));
    // The default manager given explicitly is stored as none; the getter still answers it.
    f.Child->Link->SetSkinManager(f.Manager.get());
    EXPECT_EQ(f.Child->Link->FSkinManager, nullptr);
    EXPECT_EQ(f.Child->Link->SkinManager(), f.Manager.get());
    EXPECT_EQ(CommonDataFromHandle(f.Child->Handle()), f.Child->Link);
}

// A window that carries a wrapper instead of a link of its own is skinned as far as its
// wrapper's link is: the engine asks the wrapper services for it.
TEST(SkinLink, AWrappedWindowAnswersThroughItsWrapper)
{
    TFixture f;
    TRecordingWrapperServices wrappers;
    auto* plain = new TCustomControl(f.Form.get());
    plain->SetBounds(220, 10, 30, 30);
    plain->SetParent(f.Form.get());
    HWND wnd = plain->Handle();
    TsCommonData unskinned(nullptr);   // no section
    ASSERT_FALSE(unskinned.Skinned());

    struct Case {
        const char* what;
        bool wrapped;
        TsCommonData* link;
        bool checkSkinned;
        bool skinned;
    } cases[] = {
        {"no wrapper", false, f.Child->Link, false, false},
        {"wrapper, any link", true, nullptr, false, true},
        {"wrapper without link", true, nullptr, true, false},
        {"wrapper with a skinned link", true, f.Child->Link, true, true},
        {"wrapper with an unskinned link", true, &unskinned, true, false},
    };
    for (const Case& c : cases) {
        if (c.wrapped) SetPropW(wnd, acPropWrapper, reinterpret_cast<HANDLE>(1));
        else RemovePropW(wnd, acPropWrapper);
        wrappers.Link = c.link;
        wrappers.LinksAsked.clear();
        EXPECT_EQ(ControlIsSkinned(plain, c.checkSkinned), c.skinned) << c.what;
        EXPECT_EQ(WndIsSkinned(wnd), c.wrapped) << c.what;
        EXPECT_EQ(wrappers.LinksAsked, c.wrapped ? std::vector<TacWnd>{wnd} : std::vector<TacWnd>{}) << c.what;
    }
    RemovePropW(wnd, acPropWrapper);
}

// Codes whose LParam points at a record or a string are honoured only when our own code sends
// them on the GUI thread; posted ones only for the codes posted by design.
TEST(SkinLink, ForeignSendersCannotMakeUsFollowPointers)
{
    TFixture f;
    HWND wnd = f.Child->Handle();
    TRect r(1, 2, 3, 4);
    LRESULT answer = -5;
    std::thread other([&] {
        answer = SendMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmGetBounds), reinterpret_cast<LPARAM>(&r));
    });
    EXPECT_TRUE(testing_support::PumpUntil([&] { return answer != -5; }, 3000));
    other.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(r, TRect(1, 2, 3, 4));

    // A plain send on our thread carries no mark either.
    SendMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmGetBounds), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r, TRect(1, 2, 3, 4));
    SendSkinCommand(wnd, scmGetBounds, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r, TRect(10, 20, 70, 50));

    static String evil = L"HALF";
    f.Child->Seen.clear();
    PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmSetSection), reinterpret_cast<LPARAM>(&evil));
    PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmInvalidate), 0);
    PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmPreviewData), 0);
    PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(78), 0);
    testing_support::PumpFor(50);
    EXPECT_EQ(f.Child->Link->SkinIndex, f.Index(L"SOLID"));
    EXPECT_EQ(f.Child->Seen, (std::vector<unsigned>{scmPreviewData, 78u}));

    // A send from another thread of a code without pointer is still answered.
    answer = -5;
    std::thread asker([&] { answer = SendMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmIsSkinned), 0); });
    EXPECT_TRUE(testing_support::PumpUntil([&] { return answer != -5; }, 3000));
    asker.join();
    EXPECT_EQ(answer, 1);
}

TEST(SkinLink, CommonCommandAnswers)
{
    TFixture f(L"HALF");
    TsCommonData* l = f.Child->Link;
    ManagerPtr other(new TsSkinManager(nullptr));
    const int before = l->SkinIndex;

    struct Case {
        const char* what;
        unsigned code;
        LPARAM lParam;
        bool handled;
    };
    // Another manager's new skin or refresh changes nothing and is still handled.
    for (const Case& c : {Case{"new skin of another manager", scmNewSkin, reinterpret_cast<LPARAM>(other.get()), true},
                          Case{"refresh of another manager", scmRefresh, reinterpret_cast<LPARAM>(other.get()), true},
                          Case{"an unknown code", 200, 0, false}}) {
        SCOPED_TRACE(c.what);
        TMessage m = Command(c.code, c.lParam);
        EXPECT_EQ(HandleSkinCommand(m, l), c.handled);
        EXPECT_EQ(l->SkinIndex, before);
    }

    // Half transparent black over a white parent: (255 x 50) shr 8 in each channel.
    TMessage bg = Command(scmGetBGColor);
    ASSERT_TRUE(HandleSkinCommand(bg, l));
    EXPECT_EQ(bg.Result, 0x313131);

    TMessage opaque = Command(scmIsOpaque);
    ASSERT_TRUE(HandleSkinCommand(opaque, l));
    EXPECT_EQ(opaque.Result, 1);

    // An opaque section answers 1 with its own index.
    TacSectionBehindQuery q{0, -7, TRect(), f.Manager.get()};
    {
        TacSkinCommandMark mark(SkinCommandWParam(scmGetSectionBehind), reinterpret_cast<LPARAM>(&q));
        TMessage behind = Command(scmGetSectionBehind, reinterpret_cast<LPARAM>(&q));
        ASSERT_TRUE(HandleSkinCommand(behind, f.Parent->Link));
        EXPECT_EQ(behind.Result, 1);
    }
    EXPECT_EQ(q.SkinIndex, f.Index(L"PANEL"));

    TMessage ui{WM_UPDATEUISTATE, 0, 0, 0};
    EXPECT_TRUE(HandleCommonMessage(ui, l));

    // Removing the skin: handled for an unskinned link, not handled after resetting a skinned one.
    TMessage remove = Command(scmRemoveSkin, reinterpret_cast<LPARAM>(f.Manager.get()));
    EXPECT_FALSE(HandleSkinCommand(remove, l));
    EXPECT_EQ(l->SkinIndex, -1);
    EXPECT_TRUE(HandleSkinCommand(remove, l));
    // A new skin of its own manager resolves the section again.
    TMessage fresh = Command(scmNewSkin, reinterpret_cast<LPARAM>(f.Manager.get()));
    EXPECT_TRUE(HandleSkinCommand(fresh, l));
    EXPECT_EQ(l->SkinIndex, before);
}

// The transparency test used for clipping and regions, including a border image whose mask has
// fewer frames than the section has states.
TEST(SkinLink, SectionStateTransparency)
{
    TFixture f;
    TsSkinManager* m = f.Manager.get();
    EXPECT_FALSE(SectionStateTransparent(m, f.Index(L"FIFTY"), 0, nullptr));
    EXPECT_TRUE(SectionStateTransparent(m, f.Index(L"SEE"), 0, nullptr));
    EXPECT_FALSE(SectionStateTransparent(m, f.Index(L"SOLID"), 2, nullptr));
    EXPECT_FALSE(SectionStateTransparent(m, 999, 0, nullptr));
    EXPECT_FALSE(SectionStateTransparent(m, f.Index(L"SEE"), 0, f.Form.get()));   // a control without parent

    // SEE gets a border image of one 8 x 8 frame over an 8 x 8 mask, filling its centre: the
    // centre of the mask decides from state 1 on. Its pixels end where the image ends.
    TacSkinData* d = m->CommonSkinData(96);
    TPixelImage pixels(8, 16, 0x00000000);
    pixels.At(4, 12) = 0x000000C8;   // the mask's centre: blue above 127 = see-through
    TsMaskData mask;
    mask.Bmp = &pixels;
    mask.R = TRect(0, 0, 8, 16);
    mask.ImageCount = 1;
    mask.MaskType = 1;
    mask.DrawMode = dmFillCenter;
    mask.Width = 8;
    mask.Height = 8;
    mask.Manager = m;
    d->ma.push_back(mask);
    TsGeneralData& see = d->gd[static_cast<size_t>(f.Index(L"SEE"))];
    see.BorderIndex = static_cast<int>(d->ma.size()) - 1;
    for (int state : {1, 2, 5}) EXPECT_TRUE(SectionStateTransparent(m, f.Index(L"SEE"), state, nullptr)) << state;
    EXPECT_FALSE(SectionStateTransparent(m, f.Index(L"SEE"), 0, nullptr));   // state 0 fills its centre
    pixels.At(4, 12) = 0x00000010;
    EXPECT_FALSE(SectionStateTransparent(m, f.Index(L"SEE"), 2, nullptr));
    d->ma.pop_back();
    see.BorderIndex = -1;
}

TEST(SkinLink, BackgroundAnswers)
{
    TFixture f;
    TsCommonData* p = f.Parent->Link;
    // PANEL is a plain colour without border image: a colour answer...
    f.Manager->Effects()->SetAllowOuterEffects(false);
    TacBgQuery q;
    GetControlBackground(q, f.Parent, false);
    ASSERT_EQ(q.Kind, bgColor);
    EXPECT_EQ(q.Color, 0xFFFFFF);
    // ...unless children may draw outer effects into it: then its composed image.
    f.Manager->Effects()->SetAllowOuterEffects(true);
    TacBgQuery image;
    GetControlBackground(image, f.Parent, false);
    ASSERT_EQ(image.Kind, bgBitmap);
    EXPECT_EQ(image.Bmp, p->FCacheBmp);
    EXPECT_EQ(image.Offset, TPoint(0, 0));

    // Painting into a DC: a cache that stays stale after being asked to compose copies nothing
    // and answers "not ready".
    std::unique_ptr<TBitmap> target(NewBitmap32(20, 20));
    FillRectAlpha32(target.get(), TRect(0, 0, 20, 20), 0x123456, 255);
    f.Parent->ComposeFails = true;
    p->BGChanged = true;
    TacBgQuery paint;
    paint.PaintIt = true;
    paint.DC = target->Canvas()->Handle();
    paint.R = TRect(0, 0, 20, 20);
    p->ProvideBackground(paint, 0, nullptr);
    EXPECT_EQ(paint.Kind, bgNotReady);
    EXPECT_EQ(testing_support::PixelAt(*target, 5, 5), 0x123456);

    f.Parent->ComposeFails = false;
    f.Parent->Fill = 0x0000FF;
    TacBgQuery again;
    again.PaintIt = true;
    again.DC = target->Canvas()->Handle();
    again.R = TRect(0, 0, 20, 20);
    p->ProvideBackground(again, 0, nullptr);
    EXPECT_EQ(again.Kind, bgBitmap);
    EXPECT_EQ(testing_support::PixelAt(*target, 5, 5), 0x0000FF);

    // A half-transparent control whose cache cannot be composed answers "not ready" and marks
    // itself updating.
    f.Child->Link->SetSkinSection(L"HALF");
    f.Child->ComposeFails = true;
    f.Child->Link->FCacheBmp->SetSize(0, 0);
    TacBgQuery half;
    f.Child->Link->ProvideBackground(half, 0, nullptr);
    EXPECT_EQ(half.Kind, bgNotReady);
    EXPECT_TRUE(f.Child->Link->FUpdating);
}

TEST(SkinLink, VisualStateAndUpdating)
{
    TFixture f;
    TsCommonData* panel = f.Parent->Link;   // a no-hover kind
    panel->FMouseAbove = true;
    EXPECT_EQ(panel->CurrentState(), 0);
    panel->FFocused = true;
    EXPECT_EQ(panel->CurrentState(), 1);
    panel->FFocused = false;
    panel->COC = 93;   // a button is hot on hover, unless hover is switched off
    EXPECT_EQ(panel->CurrentState(), 1);
    f.Manager->Options()->SetNoMouseHover(true);
    EXPECT_EQ(panel->CurrentState(), 0);
    f.Manager->Options()->SetNoMouseHover(false);
    panel->COC = 51;

    panel->BeginUpdate();
    panel->BeginUpdate();
    EXPECT_EQ(f.Parent->BeginNotes, 2);
    panel->EndUpdate(false);
    EXPECT_EQ(f.Parent->EndNotes, 0);
    panel->EndUpdate(false);
    EXPECT_EQ(f.Parent->EndNotes, 1);

    // An opaque control does not need a repaint when it moves.
    EXPECT_FALSE(f.Child->Link->RepaintIfMoved());
    // Invalidating while loading only marks the cache stale.
    f.Child->Link->BGChanged = false;
    f.Child->Link->Loading = true;
    f.Child->Link->Invalidate(true);
    EXPECT_TRUE(f.Child->Link->BGChanged);
}

// The colour effects of a control's link: each change puts the section's colours on the control
// again, shifted and desaturated, and marks its picture stale.
TEST(SkinLink, ColourEffectsRecolourTheControl)
{
    TFixture f(L"TONE", 3);   // an edit: its colours follow the section
    TsCtrlSkinData* l = f.Child->Link;
    f.Child->Handle();
    l->ApplyNormalColors(false);
    ASSERT_EQ(f.Child->Color(), TColor(255));
    EXPECT_EQ(f.Child->Font()->Color(), TColor(32768));

    l->BGChanged = false;
    l->SetHUEOffset(120);
    EXPECT_EQ(l->HUEOffset(), 120);
    EXPECT_EQ(f.Child->Color(), TColor(ShiftHue(120, 255)));
    EXPECT_EQ(f.Child->Font()->Color(), TColor(ShiftHue(120, 32768)));
    EXPECT_TRUE(l->BGChanged);
    l->SetSaturation(-100);
    EXPECT_EQ(l->Saturation(), -100);
    EXPECT_EQ(f.Child->Color(), TColor(ChangeSaturation(ShiftHue(120, 255), -100)));
    // The same value again changes nothing.
    l->BGChanged = false;
    l->SetSaturation(-100);
    EXPECT_FALSE(l->BGChanged);
    l->SetColorTone(0x00FF00);
    EXPECT_EQ(l->ColorTone(), TColor(0x00FF00));
    EXPECT_TRUE(l->BGChanged);
}

// Putting the skin's font colour on a control keeps it a parent-font control: the font does
// not announce the change, unless a colour tone asks the control to hear of it.
TEST(SkinLink, NormalColoursKeepTheParentFont)
{
    for (const bool toned : {false, true}) {
        TFixture f(L"TONE", 3);
        TLinked* c = f.Child;
        c->Handle();
        c->Font()->SetColor(clWindowText);
        c->SetParentFont(true);
        ASSERT_TRUE(c->ParentFont());
        if (toned) c->Link->FColorTone = 0x00FF00;
        c->FontNotes = 0;
        c->Link->ApplyNormalColors(false);
        EXPECT_EQ(c->Font()->Color(), TColor(32768)) << toned;
        EXPECT_EQ(c->ParentFont(), !toned) << toned;
        EXPECT_EQ(c->FontNotes, toned ? 1 : 0) << toned;
        EXPECT_EQ(c->Color(), TColor(255)) << toned;
    }
}

// The mouse entering a control makes it the manager's hot control, and the control that was
// hot before hears that the mouse left it.
TEST(SkinLink, MouseEnterMovesTheHotControl)
{
    SetCursorPos(2000, 2000);   // away from every window of the test
    TFixture f(L"TONE", 3);
    auto* other = new TLinked(f.Form.get(), 3, L"TONE");
    other->SetBounds(100, 20, 60, 30);
    other->SetParent(f.Parent);
    other->Link->Loaded(false);
    other->Handle();
    f.Child->Handle();

    f.Child->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(f.Manager->FActiveControl, f.Child->Handle());
    EXPECT_TRUE(f.Child->Link->FMouseAbove);
    EXPECT_TRUE(f.Child->Saw(scmMouseEnter));

    f.Child->Seen.clear();
    other->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(f.Manager->FActiveControl, other->Handle());
    EXPECT_TRUE(f.Child->Saw(scmMouseLeave));
    EXPECT_TRUE(other->Saw(scmMouseEnter));

    // Also where hover is switched off, the control still becomes the hot one.
    f.Manager->Options()->SetNoMouseHover(true);
    other->Seen.clear();
    f.Child->Link->FMouseAbove = false;
    f.Child->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(f.Manager->FActiveControl, f.Child->Handle());
    EXPECT_TRUE(other->Saw(scmMouseLeave));
    f.Manager->Options()->SetNoMouseHover(false);
    f.Manager->ChangeActiveControl(nullptr);
}

// A page control whose picture depends on its width: when it is resized, the controls of the
// page it shows are told to repaint, not its pages.
TEST(SkinLink, ResizedPagesRepaintTheShownPagesControls)
{
    struct TLinkedPages : TPageControl {
        explicit TLinkedPages(TComponent* owner) : TPageControl(owner), Link(new TsCommonData(this, true)) { Link->COC = 141; }
        ~TLinkedPages() override { delete Link; }
        TsCommonData* Link;
        void WndProc(TMessage& m) override
        {
            if (!HandleCommonMessage(m, Link)) TPageControl::WndProc(m);
        }
    };
    TFixture f;
    auto* pages = new TLinkedPages(f.Form.get());
    pages->SetBounds(0, 0, 150, 100);
    pages->SetParent(f.Parent);
    TLinked* onPage[2] = {};
    for (TLinked*& c : onPage) {
        auto* sheet = new TTabSheet(f.Form.get());
        sheet->SetPageControl(pages);
        c = new TLinked(f.Form.get(), 3, L"SOLID");
        c->SetBounds(5, 5, 20, 20);
        c->SetParent(sheet);
    }
    pages->SetActivePageIndex(1);
    pages->Link->SetSkinSection(L"PANEL");
    pages->Link->Loaded(false);
    ASSERT_TRUE(pages->Link->Skinned());
    pages->Link->BGType = 0x01;   // a horizontal gradient: the picture follows the width
    pages->Link->CtrlSkinState |= acss::WidthChanging;
    for (TLinked* c : onPage) c->Seen.clear();
    pages->Perform(WM_SIZE, 0, MAKELPARAM(150, 100));
    EXPECT_TRUE(onPage[1]->Saw(scmRepaintIfMoved));
    EXPECT_FALSE(onPage[0]->Saw(scmRepaintIfMoved));
    EXPECT_EQ(pages->Link->CtrlSkinState & acss::WidthChanging, 0u);
}

// The scroll-bar sizes of a window's link: a new bar width lays the frame out again, a new
// button size repaints it; the same value again does nothing.
TEST(SkinLink, ScrollBarSizesRedoTheFrame)
{
    struct TScrolled : TCustomControl {
        explicit TScrolled(TComponent* owner) : TCustomControl(owner), Link(new TsScrollWndData(this)) {}
        ~TScrolled() override { delete Link; }
        TsScrollWndData* Link;
        int CalcSizes = 0, NcPaints = 0;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_NCCALCSIZE) ++CalcSizes;
            if (m.Msg == WM_NCPAINT) ++NcPaints;
            TCustomControl::WndProc(m);
        }
    };
    TFixture f;
    auto* c = new TScrolled(f.Form.get());
    c->SetBounds(10, 10, 50, 50);
    EXPECT_EQ(c->Link->VertScrollData()->ScrollWidth(), -1);
    EXPECT_EQ(c->Link->HorzScrollData()->ButtonsSize(), -1);
    c->Link->VertScrollData()->SetScrollWidth(12);   // no window yet: only stored
    EXPECT_EQ(c->Link->VertScrollData()->ScrollWidth(), 12);
    c->SetParent(f.Parent);
    c->Handle();
    c->CalcSizes = c->NcPaints = 0;
    c->Link->VertScrollData()->SetScrollWidth(16);
    EXPECT_EQ(c->CalcSizes, 1);
    c->Link->VertScrollData()->SetScrollWidth(16);
    EXPECT_EQ(c->CalcSizes, 1);
    c->Link->HorzScrollData()->SetButtonsSize(10);
    EXPECT_EQ(c->NcPaints, 1);
    EXPECT_EQ(c->CalcSizes, 1);
}

// A control's popup menu is handed to the manager's menu skinning when it is about to drop down.
TEST(SkinLink, AContextMenuIsSkinnedWithTheManagersMenus)
{
    struct TMenus : TacMenuSkinning {
        TPopupMenu* Hooked = nullptr;
        bool Skinned = false;
        void HookPopupMenu(TPopupMenu* menu, bool skinned) override { Hooked = menu, Skinned = skinned; }
    };
    TFixture f(L"TONE", 3);
    auto* menus = new TMenus;
    f.Manager->SkinableMenus.reset(menus);
    // The common handler alone: the control's own handling would drop the menu down.
    TMessage m{WM_CONTEXTMENU, 0, 0, 0};
    HandleCommonMessage(m, f.Child->Link);   // without a menu nothing is hooked
    EXPECT_EQ(menus->Hooked, nullptr);
    auto* menu = new TPopupMenu(f.Form.get());
    f.Child->SetPopupMenu(menu);
    HandleCommonMessage(m, f.Child->Link);
    EXPECT_EQ(menus->Hooked, menu);
    EXPECT_TRUE(menus->Skinned);
}

TEST(SkinLink, TheEnginesMaskPicturesLoad)
{
    std::unique_ptr<TPNGGraphic> mask(LoadPngResource(L"acMask1"));
    ASSERT_EQ(mask->Width(), 32);
    EXPECT_EQ(mask->PixelFormat(), pf32bit);
    // A soft spot: opaque white in the middle, see-through in the corners.
    EXPECT_EQ(ReadPixel32(mask.get(), 16, 16), 0xFFFFFFFFu);
    EXPECT_EQ(ReadPixel32(mask.get(), 0, 0) >> 24, 0u);
    EXPECT_EQ(AcMask2()->Width(), 24);
    EXPECT_EQ(AcMask1(), AcMask1());   // loaded once
    EXPECT_THROW(LoadPngResource(L"acMask3"), EResNotFound);
}

// A glow form lets the mouse through and hides without activating another window; padding
// reports changes, not rewrites of the same value nor changes while its control loads.
TEST(SkinLink, GlowFormAndPadding)
{
    auto* glow = new TacGlowForm(nullptr);
    glow->AfterConstruction();
    EXPECT_EQ(glow->Tag(), 256);
    EXPECT_EQ(glow->BorderStyle(), bsNone);
    glow->SetBounds(10, 10, 40, 20);
    HWND wnd = glow->Handle();
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    glow->Show();
    EXPECT_TRUE(IsWindowVisible(wnd));
    glow->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(wnd));
    TObject::Free(glow);

    // Loaded from a stream, a glow form is scaled by the component layer only when the skins
    // leave scaling to it.
    struct TLoadable : TacGlowForm {
        using TacGlowForm::TacGlowForm;
        using TacGlowForm::Loaded;
    };
    const TacScaleMode saved = DefaultScaleMode;
    for (const TacScaleMode mode : {smVCL, smAuto, sm150}) {
        DefaultScaleMode = mode;
        TLoadable loaded(nullptr);
        loaded.SetScaled(mode != smVCL);
        loaded.Loaded();
        EXPECT_EQ(loaded.Scaled(), mode == smVCL) << int(mode);
    }
    DefaultScaleMode = saved;

    struct TCounter {
        int n = 0;
        void Changed(TObject*) { ++n; }
    } counter;
    FormPtr form(new TForm(nullptr));
    TacPadding padding(form.get(), Bind<&TCounter::Changed>(&counter));
    padding.SetLeft(3);
    padding.SetLeft(3);
    EXPECT_EQ(counter.n, 1);
    EXPECT_EQ(padding.Left(), 3);
    form->BeginLoading();
    padding.SetTop(5);
    EXPECT_EQ(counter.n, 1);
    EXPECT_EQ(padding.Top(), 5);
    form->EndLoading();
}

TEST(SkinLink, GlowIdsAndAnimationEvents)
{
    TFixture f;
    TLayeredRecorder layered;
    TsCommonData* l = f.Child->Link;
    const TRect r(100, 100, 140, 120);
    EXPECT_EQ(ShowMaskGlow(r, {}, l, f.Form->Handle(), 255, 0), -1);
    EXPECT_EQ(ShowMaskGlow(r, {-1}, l, f.Form->Handle(), 255, 0), -1);
    int first = ShowMaskGlow(r, {0}, l, f.Form->Handle(), 255, 0);
    int second = ShowMaskGlow(r, {0}, l, f.Form->Handle(), 255, 0);
    ASSERT_GE(first, 0);
    EXPECT_EQ(second, first + 1);
    FadeOutGlow(first, false);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(ShowMaskGlow(r, {0}, l, f.Form->Handle(), 255, 0), second + 1);   // ids are not reused
    int beyond = 1000;
    FadeOutGlow(beyond, false);
    EXPECT_EQ(beyond, 1000);
    SetGlowOpacity(beyond, 10);   // ignored
    FreeAllGlows(true);
    EXPECT_TRUE(GlowList().empty());
    EXPECT_EQ(ShowMaskGlow(r, {0}, l, f.Form->Handle(), 255, 0), 0);
    FreeAllGlows(true);

    // Animation events: the control's own set, or the manager's button events through aeGlobalDef.
    f.Manager->AnimEffects()->Buttons.Events = beMouseEnter;
    EXPECT_FALSE(IsAnimEventEnabled(aeMouseUp, aeGlobalDef));
    EXPECT_TRUE(IsAnimEventEnabled(aeMouseEnter, aeGlobalDef));
    EXPECT_TRUE(IsAnimEventEnabled(aeMouseUp, aeMouseUp));
    EXPECT_FALSE(IsAnimEventEnabled(aeMouseEnter, aeMouseLeave));
    f.Manager->AnimEffects()->Buttons.Events |= beMouseUp;
    EXPECT_TRUE(IsAnimEventEnabled(aeMouseUp, aeGlobalDef));
}

TEST(SkinLink, BackgroundEdgeCases)
{
    TFixture f(L"CLEAR");
    TsCommonData* child = f.Child->Link;
    // A fully transparent child without a cache passes the question to its parent and adds its
    // own position to the answered offset.
    delete child->FCacheBmp;
    child->FCacheBmp = nullptr;
    TacBgQuery q;
    child->ProvideBackground(q, 0, nullptr);
    ASSERT_EQ(q.Kind, bgBitmap);
    EXPECT_EQ(q.Bmp, f.Parent->Link->FCacheBmp);
    EXPECT_EQ(q.Offset, TPoint(10, 20));

    // A hot state up to 39 % transparent is its own section; above 50 % the parent is asked.
    struct Case {
        const wchar_t* section;
        const wchar_t* expected;
    };
    for (const Case& c : {Case{L"HOT39", L"HOT39"}, Case{L"HOT60", L"PANEL"}}) {
        child->SetSkinSection(c.section);
        EXPECT_EQ(SectionBehindControl(f.Child, f.Index(c.section), f.Manager.get(), 1), f.Index(c.expected))
            << ToUtf8(c.section);
    }
    EXPECT_EQ(RegionFromBorderMask(f.Index(L"SOLID"), child->FCacheBmp, f.Manager->CommonSkinData(96)), nullptr);

    // Sizes scaled for a control: by its skin data's PPI in the platform's scaling mode, not at
    // all in the old mode.
    child->AssignSkinData(f.Manager->CommonSkinData(144));
    EXPECT_EQ(ScaleForControl(10, child, true), 15);
    f.Manager->Options()->SetScaleMode(smOldMode);
    EXPECT_EQ(ScaleForControl(10, child, true), 10);
    f.Manager->Options()->SetScaleMode(smVCL);
}

// Writing the section in another letter case resolves it again, each time (the name is stored
// upper case and compared as it is written); writing the identical text does nothing at all.
TEST(SkinLink, SectionWrittenAgainInAnotherCase)
{
    TFixture f;
    TsCommonData* l = f.Child->Link;
    l->SetSkinSection(L"HALF");
    struct Case {
        const wchar_t* text;
        bool resolves;
    };
    for (const Case& c : {Case{L"HALF", false}, Case{L"half", true}, Case{L"half", true}, Case{L"HALF", false}}) {
        SCOPED_TRACE(ToUtf8(c.text));
        l->EnsureCacheBmp();
        l->BGChanged = false;
        f.Child->Seen.clear();
        l->SetSkinSection(c.text);
        EXPECT_EQ(l->SkinIndex, f.Index(L"HALF"));
        EXPECT_EQ(l->BGChanged, c.resolves);
        EXPECT_EQ(l->CacheEmpty(), c.resolves);
        EXPECT_EQ(std::count(f.Child->Seen.begin(), f.Child->Seen.end(), unsigned(scmRefresh)), c.resolves ? 1 : 0);
    }
}

// A cache copied into a DC: from the source rectangle's corner into the destination rectangle
// only, with the children that would paint over it clipped out at their place moved by the
// offset: for a control the visible children that are opaque by style or answer, or graphic
// (unless graphic children are see-through); for a window every visible child window, a group
// box only by its caption band and border strips. The DC comes back unclipped.
TEST(SkinLink, CacheCopiesClipOutTheChildrenAboveThem)
{
    TFixture f;
    TsCommonData* link = f.Parent->Link;
    auto add = [&](TControl* c, const TRect& r) {
        c->SetBoundsRect(r);
        c->SetParent(f.Parent);
        return r;
    };
    const TRect byStyle = add(new TClipChild(f.Form.get(), true, 0), TRect(10, 10, 40, 40));
    const TRect byAnswer = add(new TClipChild(f.Form.get(), false, 1), TRect(50, 10, 80, 40));
    const TRect plain = add(new TClipChild(f.Form.get(), false, 0), TRect(90, 10, 120, 40));
    const TRect graphic = add(new TBevel(f.Form.get()), TRect(10, 60, 40, 90));
    const TRect group = add(new TClipChild(f.Form.get(), false, 0, true), TRect(90, 60, 150, 130));
    const TRect edged = add(new TClipChild(f.Form.get(), false, 0, true, true), TRect(160, 60, 190, 100));
    f.Child->SetBoundsRect(TRect(50, 60, 80, 90));
    f.Child->SetVisible(false);
    testing_support::PumpFor(30);

    // The group box frame's strip widths come from the border image of the skin's group box section.
    TacSkinData* d = f.Manager->CommonSkinData(96);
    TPixelImage frame(12, 12, 0xFF808080u);
    TsMaskData border;
    border.Bmp = &frame;
    border.R = TRect(0, 0, 12, 12);
    border.Width = border.Height = 12;
    border.WL = 3, border.WT = 2, border.WR = 5, border.WB = 4;
    border.Manager = f.Manager.get();
    d->ma.push_back(border);
    const int groupSection = f.Index(L"FIFTY");
    const int savedBorder = d->gd[size_t(groupSection)].BorderIndex;
    d->gd[size_t(groupSection)].BorderIndex = int(d->ma.size()) - 1;
    int& groupIndex = f.Manager->SkinCommonInfo.Sections[ssGroupBox];
    const int savedGroupIndex = groupIndex;
    groupIndex = groupSection;
    const int caption = TClipChild::CaptionHeight;
    const std::vector<TRect> groupFrame = {TRect(group.left, group.top, group.right, group.top + caption),
                                           TRect(group.left, group.top, group.left + 3, group.bottom),
                                           TRect(group.right - 5, group.top, group.right, group.bottom),
                                           TRect(group.left, group.bottom - 4, group.right, group.bottom)};

    constexpr TColor Sentinel = 0x00FF00;
    const TPoint offset(15, 12);
    const TRect src(3, 2, 200, 150), dst(15, 12, 212, 160);
    auto cachePixel = [](int x, int y) { return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x40u; };
    struct Case {
        const char* what;
        bool window;
        bool graphicSeeThrough;
        std::vector<TRect> clipped;
    };
    std::vector<TRect> windows = {byStyle, byAnswer, plain, edged};
    windows.insert(windows.end(), groupFrame.begin(), groupFrame.end());
    const Case cases[] = {
        {"control", false, false, {byStyle, byAnswer, graphic}},
        {"control, graphic children see-through", false, true, {byStyle, byAnswer}},
        {"window", true, false, windows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Manager->Options()->SetStdImgTransparency(c.graphicSeeThrough);
        link->EnsureCacheBmp();
        const TPixelView cache = BitmapView(link->FCacheBmp);
        for (int y = 0; y < cache.Height; ++y)
            for (int x = 0; x < cache.Width; ++x) cache.At(x, y) = cachePixel(x, y);
        std::unique_ptr<TBitmap> target(NewBitmap32(240, 200));
        HDC dc = target->Canvas()->Handle();
        FillRectAlpha32(target.get(), TRect(0, 0, 240, 200), Sentinel, 255);
        if (c.window)
            PaintCacheToWndDC(f.Parent->Handle(), link, src, dst, dc, false, offset.x, offset.y);
        else
            PaintCacheToDC(f.Parent, link, src, dst, dc, false, offset.x, offset.y);
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetClipRgn(dc, clip), 0);
        DeleteObject(clip);
        GdiFlush();
        const TPixelImage got = ImageFromBitmap32(target.get());
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 240; ++x) {
                bool shown = dst.Contains(TPoint(x, y));
                for (TRect r : c.clipped) {
                    r.Offset(offset.x, offset.y);
                    shown = shown && !r.Contains(TPoint(x, y));
                }
                const uint32_t want = shown ? cachePixel(x - dst.left + src.left, y - dst.top + src.top)
                                            : 0xFF000000u | SwapRedBlue(uint32_t(Sentinel));
                ASSERT_EQ(got.At(x, y) & 0xFFFFFFu, want & 0xFFFFFFu) << x << "," << y;
            }
    }
    f.Manager->Options()->SetStdImgTransparency(false);

    // An empty cache copies nothing.
    link->FCacheBmp->SetSize(0, 0);
    std::unique_ptr<TBitmap> target(NewBitmap32(40, 40));
    FillRectAlpha32(target.get(), TRect(0, 0, 40, 40), Sentinel, 255);
    PaintCacheToDC(f.Parent, link, TRect(0, 0, 40, 40), TRect(0, 0, 40, 40), target->Canvas()->Handle(), false, 0, 0);
    PaintCacheToWndDC(f.Parent->Handle(), link, TRect(0, 0, 40, 40), TRect(0, 0, 40, 40), target->Canvas()->Handle(),
                      false, 0, 0);
    EXPECT_EQ(testing_support::PixelAt(*target, 20, 20), Sentinel);

    groupIndex = savedGroupIndex;
    d->gd[size_t(groupSection)].BorderIndex = savedBorder;
    d->ma.pop_back();
}
