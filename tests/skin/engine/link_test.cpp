// A control's skin link in real windows: the skin command's common answers, the guard against
// foreign senders of the unregistered message, the background answers of a parent, the
// transparency tests and the link's visual state and updating.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/glow.h"
#include "skin/graphics/pnggraphic.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

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
    L"[HOT60]\nCOLOR=255\nHOTTRANSPARENCY=60\nSTATES=2\n";

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
        Link = new TsCommonData(this, true);
        Link->COC = coc;
    }
    ~TLinked() override { delete Link; }
    TsCommonData* Link;
    String Section;
    bool ComposeFails = false;
    TColor Fill = 0x00FF00;
    std::vector<unsigned> Seen;   // codes that reached the window procedure
    int BeginNotes = 0, EndNotes = 0;

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
