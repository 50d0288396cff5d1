// Override points and members the skinned controls build on, exercised through the base
// classes' own paths in real windows.
#include <gtest/gtest.h>

#include <vector>

#include "skin/controls/spagecontrol.h"
#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "tests/vcl/window_helpers.h"
#include "vcl/comctrls.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/imagelist.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/typinfo.h"

using testing_support::PumpFor;
using testing_support::BringToFront;
using testing_support::PressKey;
using testing_support::PumpUntil;

namespace {

FormPtr NewForm() { return BorderlessForm(150, 150, 420, 320); }

}  // namespace

// ---- page control ----------------------------------------------------------------------------

class TPageProbe : public TsPageControl {
public:
    explicit TPageProbe(TComponent* owner) : TsPageControl(owner) {}
    std::vector<TTabSheet*> pagesSet;
    int updates = 0;

    void SetActivePage(TTabSheet* page) override
    {
        pagesSet.push_back(page);
        TsPageControl::SetActivePage(page);
    }

protected:
    void UpdateActivePage() override
    {
        ++updates;
        TsPageControl::UpdateActivePage();
    }
};

TEST(PageControlOverrides, EveryPageChangeReachesTheSubclass)
{
    FormPtr form = NewForm();
    auto* pc = new TPageProbe(form.get());
    pc->SetParent(form.get());
    pc->SetBounds(10, 10, 380, 280);
    std::vector<TTabSheet*> sheets;
    for (const wchar_t* caption : {L"Base", L"Hardware", L"Shifter"}) {
        auto* s = new TsTabSheet(form.get());
        s->SetCaption(caption);
        s->SetPageControl(pc);
        sheets.push_back(s);
    }
    BringToFront(form.get());
    pc->pagesSet.clear();

    struct Row {
        const char* how;
        void (*act)(TPageProbe*);
        int page;
        bool throughNative;
    };
    const Row rows[] = {
        {"mouse on the third tab", [](TPageProbe* p) {
             TRect r = p->TabRect(2);
             LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
             SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
             SendMessageW(p->Handle(), WM_LBUTTONUP, 0, at);
         }, 2, true},
        {"left arrow on the focused tabs", [](TPageProbe* p) {
             p->SetFocus();
             PressKey(VK_LEFT);
         }, 1, true},
        {"tab index from code", [](TPageProbe* p) { p->SetTabIndex(0); }, 0, false},
        {"page index from code", [](TPageProbe* p) { p->SetActivePageIndex(2); }, 2, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.how);
        pc->pagesSet.clear();
        int updatesBefore = pc->updates;
        r.act(pc);
        PumpFor(20);
        ASSERT_FALSE(pc->pagesSet.empty());
        EXPECT_EQ(pc->pagesSet.back(), sheets[static_cast<size_t>(r.page)]);
        EXPECT_EQ(pc->ActivePage(), sheets[static_cast<size_t>(r.page)]);
        EXPECT_EQ(pc->updates > updatesBefore, r.throughNative);
        EXPECT_TRUE(sheets[static_cast<size_t>(r.page)]->Visible());
    }
}

TEST(PageControlOverrides, ImagesAndTabHeightReachTheNativeTabs)
{
    FormPtr form = NewForm();
    auto* pc = new TPageControl(form.get());
    pc->SetParent(form.get());
    pc->SetBounds(10, 10, 300, 200);
    auto* sheet = new TTabSheet(form.get());
    sheet->SetCaption(L"One");
    sheet->SetPageControl(pc);
    auto* images = new TImageList(16, 16, form.get());
    pc->SetImages(images);
    pc->SetTabHeight(40);
    form->Show();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(pc->Handle(), TCM_GETIMAGELIST, 0, 0)), images->Handle());
    EXPECT_EQ(pc->TabRect(0).Height(), 40);
    delete images;   // the control forgets a freed list
    EXPECT_EQ(pc->Images(), nullptr);
}

// ---- check box, combo box, focus -------------------------------------------------------------

class TCheckProbe : public TCheckBox {
public:
    explicit TCheckProbe(TComponent* owner) : TCheckBox(owner) {}
    std::vector<TCheckBoxState> states;
    void SetState(TCheckBoxState s) override
    {
        states.push_back(s);
        TCheckBox::SetState(s);
    }
};

class TComboProbe : public TComboBox {
public:
    explicit TComboProbe(TComponent* owner) : TComboBox(owner) {}
    int adjusted = 0;

protected:
    void AdjustDropDown() override
    {
        ++adjusted;
        TComboBox::AdjustDropDown();
    }
};

TEST(ControlOverrides, CheckStateDropDownAndFocusGoThroughTheVirtuals)
{
    FormPtr form = NewForm();
    auto* check = new TCheckProbe(form.get());
    check->SetParent(form.get());
    auto* combo = new TComboProbe(form.get());
    combo->SetParent(form.get());
    combo->SetTop(40);
    for (int i = 0; i < 12; ++i) combo->Items()->Add(L"item " + IntToStr(i));
    combo->SetDropDownCount(5);
    BringToFront(form.get());

    SendMessageW(check->Handle(), BM_CLICK, 0, 0);   // the user's click
    check->SetChecked(false);                         // code
    EXPECT_EQ(check->states, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));

    combo->SetDroppedDown(true);
    PumpFor(30);
    EXPECT_EQ(combo->adjusted, 1);
    RECT list{};
    GetWindowRect(combo->ListHandle(), &list);
    int itemHeight = static_cast<int>(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
    EXPECT_NEAR(list.bottom - list.top, 5 * itemHeight, 6);
    combo->SetDroppedDown(false);

    // The focus in the combo box's inner edit is the combo box's focus.
    ::SetFocus(combo->EditHandle());
    EXPECT_TRUE(combo->Focused());
    EXPECT_FALSE(check->Focused());
}

// ---- sizes: border width, constraints, auto size ---------------------------------------------

TEST(ControlSizes, BorderWidthConstraintsAndAutoSize)
{
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, 200, 100);
    auto* inner = new TPanel(form.get());
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    panel->SetBorderWidth(7);
    form->Show();
    EXPECT_EQ(panel->ClientWidth(), 200 - 14);
    EXPECT_EQ(panel->ClientHeight(), 100 - 14);
    EXPECT_EQ(inner->BoundsRect(), Bounds(0, 0, 186, 86));

    TSizeConstraints c;
    c.MinWidth = 50;
    c.MaxWidth = 120;
    c.MaxHeight = 60;
    panel->SetConstraints(c);
    struct Row {
        int w, h, expectedW, expectedH;
    };
    for (const Row& r : {Row{200, 100, 120, 60}, Row{10, 40, 50, 40}, Row{80, 20, 80, 20}}) {
        panel->SetBounds(0, 0, r.w, r.h);
        EXPECT_EQ(panel->Width(), r.expectedW);
        EXPECT_EQ(panel->Height(), r.expectedH);
    }

    auto* check = new TCheckBox(form.get());
    check->SetParent(form.get());
    check->SetTop(120);
    check->SetCaption(L"Short");
    check->SetAutoSize(true);
    int shortWidth = check->Width();
    check->SetCaption(L"A much longer caption than before");
    EXPECT_GT(check->Width(), shortWidth + 50);

    auto* framed = new TEdit(form.get());
    framed->SetParent(form.get());
    framed->SetAutoSize(true);
    auto* bare = new TEdit(form.get());
    bare->SetParent(form.get());
    bare->SetBorderStyle(bsNone);
    bare->SetAutoSize(true);
    EXPECT_GT(framed->Height(), bare->Height());
}

// ---- edit frame --------------------------------------------------------------------------------

TEST(EditFrame, BorderStyleCtl3DAndBevelShapeTheWindow)
{
    FormPtr form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 30);
    form->Show();
    // The sunken frame is non-client; the edit draws a plain line inside its client area.
    struct Row {
        TBorderStyle border;
        bool ctl3d;
        bool clientEdge;
    };
    std::vector<int> frames;
    for (const Row& r : {Row{bsSingle, true, true}, Row{bsSingle, false, false}, Row{bsNone, true, false}}) {
        edit->SetBorderStyle(r.border);
        edit->SetCtl3D(r.ctl3d);
        LONG_PTR ex = GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE);
        EXPECT_EQ((ex & WS_EX_CLIENTEDGE) != 0, r.clientEdge);
        RECT wr, cr;
        GetWindowRect(edit->Handle(), &wr);
        GetClientRect(edit->Handle(), &cr);
        frames.push_back((wr.right - wr.left) - cr.right);
    }
    EXPECT_GT(frames[0], 0);
    EXPECT_EQ(frames[1], 0);
    EXPECT_EQ(frames[2], 0);
    edit->SetBorderStyle(bsSingle);
    int before = edit->ClientWidth();
    edit->SetBevelKind(bkTile);   // raised inner and lowered outer cut, one pixel each
    EXPECT_EQ(edit->ClientWidth(), before - 4);
}

// ---- reading order -----------------------------------------------------------------------------

TEST(BiDiMode, TextFlagsFollowTheModeAndChildrenFollowTheirParent)
{
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* label = new TLabel(form.get());
    label->SetParent(panel);
    struct Row {
        TBiDiMode mode;
        UINT in, out;
    };
    for (const Row& r : {Row{bdLeftToRight, DT_LEFT, DT_LEFT}, Row{bdRightToLeft, DT_LEFT, DT_RIGHT | DT_RTLREADING},
                         Row{bdRightToLeft, DT_RIGHT, DT_LEFT | DT_RTLREADING},
                         Row{bdRightToLeft, DT_CENTER, DT_CENTER | DT_RTLREADING},
                         Row{bdRightToLeftNoAlign, DT_LEFT, DT_LEFT | DT_RTLREADING},
                         Row{bdRightToLeftReadingOnly, DT_RIGHT, DT_RIGHT | DT_RTLREADING}}) {
        panel->SetBiDiMode(r.mode);
        EXPECT_EQ(panel->DrawTextBiDiModeFlags(r.in), r.out);
        EXPECT_EQ(label->BiDiMode(), r.mode);   // ParentBiDiMode
    }
    label->SetBiDiMode(bdLeftToRight);
    panel->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(label->BiDiMode(), bdLeftToRight);
}

// ---- published properties ----------------------------------------------------------------------

class TGridLike : public TPanel {
public:
    explicit TGridLike(TComponent* owner) : TPanel(owner) {}
    TColor fixedColor = clBtnFace;
    TColor ownColor = clRed;
};

TEST(PublishedProperties, ReadWriteAndChangeSetsByName)
{
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetColor(clLime);
    EXPECT_TRUE(HasPublishedProperty(panel, L"color"));
    EXPECT_EQ(ReadOrdinalProperty(panel, L"Color"), static_cast<int64_t>(clLime));
    WriteOrdinalProperty(panel, L"Color", clBlue);
    EXPECT_EQ(panel->Color(), clBlue);
    EXPECT_EQ(ReadObjectProperty(panel, L"Font"), panel->Font());
    EXPECT_FALSE(HasPublishedProperty(panel, L"DisabledKind"));
    EXPECT_EQ(ReadOrdinalProperty(panel, L"DisabledKind"), -1);
    WriteOrdinalProperty(panel, L"DisabledKind", 1);   // absent: nothing happens
    EXPECT_FALSE(HasPublishedProperty(nullptr, L"Color"));

    struct Row {
        const wchar_t* member;
        bool include;
        const wchar_t* text;
    };
    panel->SetAnchors(akLeft | akTop);
    for (const Row& r : {Row{L"akRight", true, L"akLeft,akTop,akRight"}, Row{L"akRight", true, L"akLeft,akTop,akRight"},
                         Row{L"akLeft", false, L"akTop,akRight"}, Row{L"akRight", false, L"akTop"},
                         Row{L"akBottom", false, L"akTop"}}) {
        ChangeSetProperty(panel, L"Anchors", r.member, r.include);
        EXPECT_EQ(GetSetPropertyText(panel, L"Anchors"), r.text);
    }
    EXPECT_TRUE(SetPropertyHasValue(panel, L"Anchors", L"akTop"));
    EXPECT_FALSE(SetPropertyHasValue(panel, L"Anchors", L"akLeft"));

    // A class registered later answers for its own objects; others keep the base's.
    RegisterOrdinalProperty<TGridLike>(L"FixedColor", [](TGridLike& g) { return g.fixedColor; },
                                       [](TGridLike& g, int64_t v) { g.fixedColor = static_cast<TColor>(v); });
    RegisterOrdinalProperty<TGridLike>(L"Color", [](TGridLike& g) { return g.ownColor; },
                                       [](TGridLike& g, int64_t v) { g.ownColor = static_cast<TColor>(v); });
    auto* grid = new TGridLike(form.get());
    WriteOrdinalProperty(grid, L"FixedColor", clYellow);
    EXPECT_EQ(grid->fixedColor, clYellow);
    EXPECT_EQ(ReadOrdinalProperty(grid, L"Color"), static_cast<int64_t>(clRed));
    EXPECT_EQ(ReadOrdinalProperty(panel, L"Color"), static_cast<int64_t>(clBlue));
    EXPECT_FALSE(HasPublishedProperty(panel, L"FixedColor"));
}

// ---- menus, track bar, buttons ------------------------------------------------------------------

TEST(MenuItems, BreakReachesTheNativeMenuAndOwnerDrawGetsTheWholeState)
{
    FormPtr form = NewForm();
    auto* menu = new TMainMenu(form.get());
    auto* file = new TMenuItem(form.get());
    file->SetCaption(L"File");
    menu->Items()->Add(file);
    auto* a = new TMenuItem(form.get());
    a->SetCaption(L"A");
    auto* b = new TMenuItem(form.get());
    b->SetCaption(L"B");
    b->SetBreak(mbBarBreak);
    file->Add(a);
    file->Add(b);
    menu->SetOwnerDraw(true);
    form->SetMenu(menu);
    form->Show();
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(file->Handle(), 1, TRUE, &mii));
    EXPECT_NE(mii.fType & MFT_MENUBARBREAK, 0u);

    TMenuOwnerDrawState seen = 0;
    struct Draw {
        TMenuOwnerDrawState* seen;
        void Item(TObject*, TCanvas*, TRect, TMenuOwnerDrawState state) { *seen = state; }
    } draw{&seen};
    a->OnAdvancedDrawItem = Bind<&Draw::Item>(&draw);
    HDC dc = GetDC(form->Handle());
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = a->Command();
    dis.itemState = ODS_SELECTED | ODS_CHECKED | ODS_NOACCEL;
    dis.hDC = dc;
    dis.rcItem = {0, 0, 80, 20};
    SendMessageW(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    ReleaseDC(form->Handle(), dc);
    EXPECT_EQ(seen, static_cast<TMenuOwnerDrawState>(odSelected | odChecked | odNoAccel));

    auto* images = new TImageList(16, 16, form.get());
    menu->SetImages(images);
    EXPECT_EQ(a->GetImageList(), images);
    file->SetSubMenuImages(images);
    delete images;
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(a->GetImageList(), nullptr);
}

TEST(TrackBarMembers, ThumbLengthAndSelectionReachTheNativeBar)
{
    FormPtr form = NewForm();
    auto* track = new TTrackBar(form.get());
    track->SetParent(form.get());
    track->SetRange(0, 100);
    track->SetThumbLength(14);
    track->SetSelection(70, 20);   // given in either order
    track->SetPositionToolTip(ptTop);
    form->Show();
    HWND h = track->Handle();
    EXPECT_EQ(SendMessageW(h, TBM_GETTHUMBLENGTH, 0, 0), 14);
    EXPECT_EQ(SendMessageW(h, TBM_GETSELSTART, 0, 0), 20);
    EXPECT_EQ(SendMessageW(h, TBM_GETSELEND, 0, 0), 70);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & TBS_TOOLTIPS, 0);
    track->SetSelEnd(90);
    EXPECT_EQ(SendMessageW(h, TBM_GETSELEND, 0, 0), 90);
}

TEST(ButtonMembers, ImagesAndDropDownMenuAreForgottenWhenFreed)
{
    FormPtr form = NewForm();
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    auto* images = new TImageList(16, 16, nullptr);
    auto* menu = new TPopupMenu(nullptr);
    button->SetImages(images);
    button->SetImageIndex(0);
    button->SetImageAlignment(iaRight);
    button->SetStyle(bsSplitButton);
    button->SetDropDownMenu(menu);
    form->Show();
    EXPECT_EQ(button->Images(), images);
    EXPECT_EQ(button->Style(), bsSplitButton);
    delete images;
    delete menu;
    EXPECT_EQ(button->Images(), nullptr);
    EXPECT_EQ(button->DropDownMenu(), nullptr);
    button->DropDownClick();   // nothing to open, nothing happens
}

// ---- screen and application ---------------------------------------------------------------------

TEST(ScreenMonitors, ThePrimaryMonitorCoversTheScreen)
{
    TScreen* screen = ScreenNeeded();
    ASSERT_GE(screen->MonitorCount(), 1);
    TMonitor* primary = screen->PrimaryMonitor();
    ASSERT_NE(primary, nullptr);
    EXPECT_TRUE(primary->Primary());
    EXPECT_EQ(primary->BoundsRect(), Bounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_EQ(screen->MonitorFromPoint({10, 10}), primary);
    EXPECT_EQ(screen->MonitorFromPoint({-100000, -100000}, mdNull), nullptr);
    EXPECT_EQ(screen->MonitorFromPoint({-100000, -100000}, mdNearest), primary);
    EXPECT_EQ(screen->Monitors(0), primary);
    EXPECT_GE(primary->PixelsPerInch(), 96);
    EXPECT_FALSE(primary->WorkareaRect().IsEmpty());
}

TEST(ApplicationMembers, MinimizeAndRestoreTheMainForm)
{
    FormPtr form = NewForm();
    form->SetBorderStyle(bsSizeable);
    form->Show();
    TCustomForm* saved = Application->MainForm();
    Application->SetMainForm(form.get());
    int minimized = 0, restored = 0;
    struct Events {
        int *min, *res;
        void Min(TObject*) { ++*min; }
        void Res(TObject*) { ++*res; }
    } events{&minimized, &restored};
    Application->OnMinimize = Bind<&Events::Min>(&events);
    Application->OnRestore = Bind<&Events::Res>(&events);
    Application->Minimize();
    PumpFor(50);
    EXPECT_TRUE(IsIconic(form->Handle()));
    Application->Restore();
    PumpFor(50);
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_EQ(minimized, 1);
    EXPECT_EQ(restored, 1);
    Application->OnMinimize = nullptr;
    Application->OnRestore = nullptr;
    Application->SetMainForm(saved);
    // New forms take the default font.
    Application->DefaultFont()->SetName(L"Courier New");
    FormPtr later = NewForm();
    EXPECT_EQ(later->Font()->Name(), L"Courier New");
    Application->DefaultFont()->SetName(L"Tahoma");
}
