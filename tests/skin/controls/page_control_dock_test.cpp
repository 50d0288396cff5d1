// Docking controls onto the skinned page control in real windows: a docked control gets a new
// last sheet (selected when the control is visible, its tab hidden when it is not, the control
// filling it, a form's caption on the tab), a control already on a page moves its page to the
// end, and a dock that fails leaves the pages and the control as they were and raises to the
// caller of ManualDock.
#include <gtest/gtest.h>

#include <functional>

#include "skin/controls/spagecontrol.h"
#include "skin/controls/spanel.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/sysutils.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

// A page control whose placing of a docked client fails, before or after the client is on
// its new sheet.
class TFailingDockPages : public TsPageControl {
public:
    using TsPageControl::TsPageControl;
    bool Fail = false;
    bool PlaceBeforeFailing = false;

protected:
    void DoAddDockClient(TControl* client, const TRect& r) override
    {
        if (PlaceBeforeFailing) TsPageControl::DoAddDockClient(client, r);
        if (Fail) throw Exception(L"no room for the client");
        if (!PlaceBeforeFailing) TsPageControl::DoAddDockClient(client, r);
    }
};

// A borderless form holding a dock-site page control with four sheets, page 1 active, and a
// panel on the form (under the page control) to be docked.
struct TDockScene {
    FormPtr Form{new TForm(nullptr)};
    TsPageControl* Pages = nullptr;
    TPanel* Panel = nullptr;

    // make: the page control to use, made with the form as its owner.
    explicit TDockScene(const std::function<TsPageControl*(TComponent*)>& make = nullptr)
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(100, 100, 360, 220);
        Pages = make ? make(Form.get()) : new TsPageControl(Form.get());
        Pages->SetBounds(0, 0, 360, 220);
        Pages->SetParent(Form.get());
        Pages->SetDockSite(true);
        for (int i = 0; i < 4; ++i) {
            auto* sheet = new TsTabSheet(Form.get());
            sheet->SetCaption(L"Page " + IntToStr(i + 1));
            sheet->SetPageControl(Pages);
        }
        Pages->SetActivePageIndex(1);
        Panel = new TPanel(Form.get());
        Panel->SetBounds(10, 10, 50, 40);
        Panel->SetParent(Form.get());
        Form->Show();
        PumpFor(60);
    }
    TTabSheet* Last() const { return Pages->Pages(Pages->PageCount() - 1); }
};

uint32_t Own(const wchar_t* section, int state) { return fs::Opaque(fs::StateColor(fs::SectionNumber(section), state)); }

// Every visible tab shows its place's section inside its border (state 2 for the active one).
void ExpectTabColours(TsPageControl* pc)
{
    const TacPageControlState state = pc->TabState();
    const TacPageTabs tabs(state);
    const TPixelImage cache = ImageFromBitmap32(pc->SkinData()->FCacheBmp);
    const int count = tabs.VisibleTabsCount();
    for (int t = 0; t < count; ++t) {
        const int page = tabs.PageOfTab(t);
        const bool active = page == state.ActivePage;
        const TRect r = tabs.SkinTabRect(t, active);
        ASSERT_FALSE(r.IsEmpty()) << t;
        const wchar_t* section = t == 0 ? L"TABTOPFIRST" : t == count - 1 ? L"TABTOPLAST" : L"TABTOPMIDDLE";
        EXPECT_EQ(cache.At(r.left + fs::Border + 1, (r.top + r.bottom) / 2), Own(section, active ? 2 : 0)) << "tab " << t;
    }
}

TEST(SkinPageControlDock, ADockedControlGetsANewLastSheetThatItFills)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(m->IsActive());
    enum TKind { Panel, HiddenPanel, ChildForm };
    struct Case {
        const char* Name;
        TKind Kind;
    };
    const Case cases[] = {
        {"a visible panel: its sheet is selected", Panel},
        {"a hidden panel: its tab is hidden and the selection stays", HiddenPanel},
        {"a form made a child: its caption names the sheet", ChildForm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDockScene s;
        TTabSheet* before = s.Pages->ActivePage();
        TWinControl* client = s.Panel;
        TForm* form = nullptr;
        if (c.Kind == HiddenPanel) s.Panel->Hide();
        if (c.Kind == ChildForm) {
            form = new TForm(s.Form.get());
            form->SetCaption(L"Docked form");
            form->SetBounds(20, 20, 80, 60);
            form->SetParent(s.Form.get());
            form->Show();
            client = form;
        }
        const bool visible = c.Kind != HiddenPanel;

        EXPECT_TRUE(client->ManualDock(s.Pages));
        PumpFor(60);

        ASSERT_EQ(s.Pages->PageCount(), 5);
        auto* sheet = dynamic_cast<TsTabSheet*>(s.Last());
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(client->Parent(), sheet);
        EXPECT_EQ(client->HostDockSite(), s.Pages);
        EXPECT_EQ(client->Align(), alClient);
        if (visible) EXPECT_EQ(client->BoundsRect(), sheet->ClientRect());   // a hidden control is laid out when shown
        EXPECT_EQ(sheet->TabVisible(), visible);
        EXPECT_EQ(s.Pages->ActivePage(), visible ? sheet : before);
        if (form) {
            EXPECT_EQ(sheet->Caption(), L"Docked form");
            // The docked form is a child window on its page, shown with it.
            EXPECT_EQ(GetParent(form->Handle()), sheet->Handle());
            EXPECT_TRUE(IsWindowVisible(form->Handle()));
        }
        // The tabs, the new one among them, are painted from the skin.
        ExpectTabColours(s.Pages);
    }
}

TEST(SkinPageControlDock, AControlAlreadyOnAPageMovesItsPageToTheEnd)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TDockScene s;
    TTabSheet* page1 = s.Pages->Pages(1);
    TTabSheet* page2 = s.Pages->Pages(2);
    s.Panel->SetParent(page1);

    EXPECT_TRUE(s.Panel->ManualDock(s.Pages));
    PumpFor(60);

    ASSERT_EQ(s.Pages->PageCount(), 4);   // no new sheet
    EXPECT_EQ(s.Pages->Pages(3), page1);
    EXPECT_EQ(s.Pages->Pages(1), page2);
    EXPECT_EQ(s.Panel->Parent(), page1);
    EXPECT_EQ(s.Pages->ActivePage(), page1);
    ExpectTabColours(s.Pages);
}

TEST(SkinPageControlDock, AFailedDockLeavesThePagesAndTheControlAsTheyWereAndRaises)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    const bool placeFirst[] = {false, true};
    for (bool place : placeFirst) {
        SCOPED_TRACE(place ? "the client was on its sheet when it failed" : "the client never reached its sheet");
        TFailingDockPages* pages = nullptr;
        TDockScene s([&](TComponent* owner) { return pages = new TFailingDockPages(owner); });
        pages->Fail = true;
        pages->PlaceBeforeFailing = place;
        TTabSheet* before = s.Pages->ActivePage();

        EXPECT_THROW(s.Panel->ManualDock(s.Pages), Exception);
        PumpFor(30);

        EXPECT_EQ(s.Pages->PageCount(), 4);
        EXPECT_EQ(s.Pages->ActivePage(), before);
        EXPECT_EQ(s.Panel->Parent(), s.Form.get());
        EXPECT_EQ(s.Panel->HostDockSite(), nullptr);
        EXPECT_TRUE(s.Panel->Showing());

        // Nothing of the failed dock is left over: the next one succeeds normally.
        pages->Fail = false;
        EXPECT_TRUE(s.Panel->ManualDock(s.Pages));
        ASSERT_EQ(s.Pages->PageCount(), 5);
        EXPECT_EQ(s.Panel->Parent(), s.Last());
        EXPECT_EQ(s.Pages->ActivePage(), s.Last());
    }
}

TEST(SkinPageControlDock, OnlyADockSiteTakesAControl)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TDockScene s;
    s.Pages->SetDockSite(false);
    EXPECT_FALSE(s.Panel->ManualDock(s.Pages));
    EXPECT_EQ(s.Pages->PageCount(), 4);
    EXPECT_EQ(s.Panel->Parent(), s.Form.get());
}

TEST(SkinPageControlDock, ScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive()) << skin;
        TDockScene s;
        auto* form = new TForm(s.Form.get());
        form->SetCaption(L"Docked");
        form->SetParent(s.Form.get());
        auto* content = new TsPanel(form);
        content->SetCaption(L"Docked form's panel");
        content->SetAlign(alClient);
        content->SetParent(form);
        form->Show();
        ASSERT_TRUE(form->ManualDock(s.Pages)) << skin;
        PumpFor(120);
        testing_support::SaveScreenshot(s.Pages->Handle(), String(L"page_control_docked_") + skin, true);
    }
}

}   // namespace
