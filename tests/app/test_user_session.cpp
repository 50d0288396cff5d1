// The program as its user meets it: the real main window over the simulated wheel base and
// shifter, driven only by real input (the mouse moved and clicked through the system's input
// queue at the screen positions of the real controls, keys typed the same way), pumped by the
// application's own message handling, and judged by what the screen shows (read back from the
// screen DC, never from the controls' own pictures). Every step leaves a capture behind.
//
// At each step: every visible label shows ink inside its bounds, no control is one flat
// rectangle, no key-colour pixel shows, a page left and come back to looks as it did outside
// its live values, the Dark and Light themes are dark and light on every page, and the window
// still answers.
#include "tests/app/sim_window_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "app/shifter_page.h"
#include "skin/controls/slabel.h"
#include "skin/controls/sspinedit.h"
#include "skin/engine/transition.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/menus.h"

using namespace simwindow;

namespace {

// ---- the screen -----------------------------------------------------------------------------

TRect ScreenRectOf(TControl* c)
{
    const TPoint o = c->Parent() ? c->Parent()->ClientToScreen(TPoint(c->Left(), c->Top())) : TPoint(c->Left(), c->Top());
    return TRect(o.x, o.y, o.x + c->Width(), o.y + c->Height());
}

TPoint Centre(const TRect& r) { return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

TRect Unite(const TRect& a, const TRect& b)
{
    return TRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom));
}

TRect Within(const TRect& a, const TRect& b)
{
    return TRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
}

// What the screen shows in a rectangle (screen coordinates), opaque.
struct TShot {
    std::unique_ptr<TBitmap> Bmp;
    TRect Where;
    TPixelImage Px;
    uint32_t At(int x, int y) const { return Px.At(x, y) | 0xFF000000u; }
    int W() const { return Where.Width(); }
    int H() const { return Where.Height(); }
};

TShot Grab(const TRect& r)
{
    TShot s;
    s.Where = r;
    s.Bmp = std::make_unique<TBitmap>(std::max(1, r.Width()), std::max(1, r.Height()), TPixelFormat::pf32bit);
    HDC screen = GetDC(nullptr);
    BitBlt(s.Bmp->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    s.Px = ImageFromBitmap32(s.Bmp.get());
    for (int y = 0; y < s.Bmp->Height(); ++y)
        for (int x = 0; x < s.Bmp->Width(); ++x) WritePixel32(BitmapView(s.Bmp.get()), x, y, s.At(x, y));
    s.Px = ImageFromBitmap32(s.Bmp.get());
    return s;
}

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int sh = 0; sh < 24; sh += 8) d = std::max(d, std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF)));
    return d;
}

// The most frequent colour of a part of a shot.
uint32_t Dominant(const TShot& s, const TRect& part)
{
    std::map<uint32_t, int> n;
    for (int y = std::max(0, int(part.top)); y < std::min(s.H(), int(part.bottom)); ++y)
        for (int x = std::max(0, int(part.left)); x < std::min(s.W(), int(part.right)); ++x) ++n[s.At(x, y)];
    uint32_t best = 0;
    int most = -1;
    for (auto [c, k] : n)
        if (k > most) best = c, most = k;
    return best;
}

// Pixels of a part clearly apart from its dominant colour, and their bounding box.
struct TInk {
    int Count = 0;
    TRect Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};
TInk InkIn(const TShot& s, const TRect& part)
{
    const uint32_t paper = Dominant(s, part);
    TInk ink;
    for (int y = std::max(0, int(part.top)); y < std::min(s.H(), int(part.bottom)); ++y)
        for (int x = std::max(0, int(part.left)); x < std::min(s.W(), int(part.right)); ++x)
            if (Distance(s.At(x, y), paper) > 28) {
                ++ink.Count;
                ink.Box.left = std::min<int>(ink.Box.left, x), ink.Box.top = std::min<int>(ink.Box.top, y);
                ink.Box.right = std::max<int>(ink.Box.right, x + 1), ink.Box.bottom = std::max<int>(ink.Box.bottom, y + 1);
            }
    return ink;
}

// Every pixel one colour.
bool Flat(const TShot& s)
{
    for (int y = 0; y < s.H(); ++y)
        for (int x = 0; x < s.W(); ++x)
            if (s.At(x, y) != s.At(0, 0)) return false;
    return true;
}

double MeanBrightness(const TShot& s)
{
    double sum = 0;
    for (int y = 0; y < s.H(); ++y)
        for (int x = 0; x < s.W(); ++x) {
            const uint32_t c = s.At(x, y);
            sum += 0.299 * ((c >> 16) & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
        }
    return sum / std::max(1, s.W() * s.H());
}

// Every control under root that the user can see now (shown, on the visible part of its parent).
void VisibleControls(TWinControl* root, std::vector<TControl*>& out)
{
    for (int i = 0; i < root->ControlCount(); ++i) {
        TControl* c = root->Controls(i);
        if (!c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            if (!w->HandleAllocated() || !IsWindowVisible(w->ExistingHandle())) continue;
            out.push_back(c);
            VisibleControls(w, out);
        } else {
            out.push_back(c);
        }
    }
}

// ---- input --------------------------------------------------------------------------------------

void MoveTo(const TPoint& p)
{
    MouseTo(p.x, p.y);
    PumpFor(120);
}

void ClickAt(const TPoint& p)
{
    MoveTo(p);
    MouseButton(true);
    PumpFor(60);
    MouseButton(false);
    PumpFor(150);
}

void KeyChord(WORD modifier, WORD vk)
{
    INPUT in[4]{};
    for (auto& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = modifier;
    in[1].ki.wVk = vk;
    in[2].ki.wVk = vk;
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    in[3].ki.wVk = modifier;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
}

void TypeText(const wchar_t* text)
{
    for (const wchar_t* p = text; *p; ++p) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = *p;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
}

// The position of a main-menu bar item, or of an item of an open popup menu, on screen.
TPoint MenuItemCentre(HWND wnd, HMENU menu, int index)
{
    RECT r{};
    GetMenuItemRect(wnd, menu, static_cast<UINT>(index), &r);
    return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

int IndexOfSubMenu(HMENU bar, HMENU sub)
{
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
        if (GetSubMenu(bar, i) == sub) return i;
    return -1;
}

// Waits (off the main thread) for an open popup menu.
HWND WaitForPopupMenu(unsigned timeoutMs = 4000)
{
    const DWORD end = GetTickCount() + timeoutMs;
    while (GetTickCount() < end) {
        HWND m = FindWindowW(L"#32768", nullptr);
        if (m && IsWindowVisible(m)) return m;
        Sleep(20);
    }
    return nullptr;
}

}  // namespace

class UserSession : public SimWindowTest {
protected:
    HWND Wnd() { return form->Handle(); }
    String Skin() { return form->SkinName().empty() ? String(L"None") : form->SkinName(); }

    // A capture of the whole window as the screen shows it, kept as this step's artefact.
    TShot Capture(const String& step)
    {
        RECT wr{};
        GetWindowRect(Wnd(), &wr);
        TShot s = Grab(TRect(wr.left, wr.top, wr.right, wr.bottom));
        wchar_t n[16];
        swprintf(n, 16, L"%02d_", ++FStep);
        testing_support::SaveArtifact(*s.Bmp, L"user_session_" + Skin() + L"_" + n + step);
        return s;
    }

    // The checks of every step.
    void CheckScreen(const String& step)
    {
        SCOPED_TRACE(testing::Message() << "step " << FStep + 1 << " " << ToUtf8(step) << " (" << ToUtf8(Skin()) << ")");
        ASSERT_TRUE(IsWindow(Wnd()) && IsWindowVisible(Wnd()));
        const TShot whole = Capture(step);
        // The skins' key colour marks see-through pixels: it never reaches the screen.
        int keyed = 0;
        TPoint firstKeyed(-1, -1);
        for (int y = 0; y < whole.H(); ++y)
            for (int x = 0; x < whole.W(); ++x)
                if ((whole.At(x, y) & 0xFFFFFFu) == 0xFF00FFu && !keyed++) firstKeyed = TPoint(x, y);
        EXPECT_EQ(keyed, 0) << "key-colour pixels on screen, the first at " << firstKeyed.x << "," << firstKeyed.y;
        std::vector<TControl*> shown;
        VisibleControls(form, shown);
        const TRect client = Unite(ScreenRectOf(form->PageControl), ScreenRectOf(form->StatusBar));
        for (TControl* c : shown) {
            const TRect r = Within(ScreenRectOf(c), client);
            if (r.Width() < 4 || r.Height() < 4) continue;
            TShot s = Grab(r);
            const TRect all(0, 0, s.W(), s.H());
            if (auto* label = dynamic_cast<TCustomLabel*>(c)) {
                if (Trim(label->Caption()).empty()) continue;
                // Text shows as pixels clearly apart from what lies behind it.
                EXPECT_GE(InkIn(s, all).Count, 6) << "label \"" << ToUtf8(label->Caption()) << "\" shows no text";
                continue;
            }
            if (!dynamic_cast<TWinControl*>(c) || dynamic_cast<TTabSheet*>(c) || c->ClassName() == L"TOutputWindow") continue;
            // No control is one flat rectangle (a black block is the usual one).
            EXPECT_FALSE(Flat(s))
                << ToUtf8(c->ClassName()) << " \"" << ToUtf8(c->Caption()) << "\" at " << r.left << "," << r.top << " " << r.Width()
                << "x" << r.Height() << " is one flat colour " << std::hex << s.At(0, 0);
        }
        // The window still takes input: no modal state was left behind (a sent message from
        // this thread would always be answered, so that says nothing).
        EXPECT_TRUE(IsWindowEnabled(Wnd())) << "the window is left disabled";
    }

    // The active page's sheet as the screen shows it, with the captions of the labels on it.
    struct TPageLook {
        TShot Shot;
        std::map<TControl*, String> Captions;
    };
    TPageLook LookAtPage()
    {
        TPageLook look;
        TTabSheet* sheet = form->PageControl->ActivePage();
        look.Shot = Grab(ScreenRectOf(sheet));
        std::vector<TControl*> shown;
        VisibleControls(sheet, shown);
        for (TControl* c : shown)
            if (auto* l = dynamic_cast<TCustomLabel*>(c)) look.Captions[c] = l->Caption();
        return look;
    }

    // The page equals its first look, outside the values that live (labels whose text changed
    // meanwhile, the log, the shifter's position grid).
    void ExpectSameAsFirstLook(const TPageLook& first, const String& name)
    {
        TPageLook now = LookAtPage();
        ASSERT_EQ(now.Shot.W(), first.Shot.W());
        ASSERT_EQ(now.Shot.H(), first.Shot.H());
        std::vector<TRect> live;
        const TPoint o(first.Shot.Where.left, first.Shot.Where.top);
        auto liveRect = [&](TControl* c) {
            TRect r = ScreenRectOf(c);
            r.Offset(-o.x, -o.y);
            live.push_back(r);
        };
        for (auto& [c, caption] : first.Captions)
            if (now.Captions.count(c) && now.Captions[c] != caption) liveRect(c);
        for (TControl* c : LiveControls()) liveRect(c);
        int differing = 0;
        TPoint firstAt(-1, -1);
        for (int y = 0; y < now.Shot.H(); ++y)
            for (int x = 0; x < now.Shot.W(); ++x) {
                if (std::any_of(live.begin(), live.end(), [&](const TRect& r) { return r.Contains(TPoint(x, y)); })) continue;
                if (Distance(now.Shot.At(x, y), first.Shot.At(x, y)) > 8) {
                    if (!differing) firstAt = TPoint(x, y);
                    ++differing;
                }
            }
        EXPECT_EQ(differing, 0) << "page " << ToUtf8(name) << " differs from its first look, first at " << firstAt.x << ","
                                << firstAt.y;
    }

    std::vector<TControl*> LiveControls()
    {
        std::vector<TControl*> live{form->sysLog};
        if (form->ShifterPage) {
            // The grid and the counters follow the simulated shifter.
            for (int i = 0; i < form->TabShifter->ControlCount(); ++i) {
                TControl* c = form->TabShifter->Controls(i);
                if (!dynamic_cast<TsGroupBox*>(c) && !dynamic_cast<TCustomLabel*>(c)) live.push_back(c);
            }
        }
        return live;
    }

    // The information panel: the banner shows its picture (warm, with the white marks on it) and
    // each state dot its dot, whatever the theme.
    void CheckInformationPanel()
    {
        SCOPED_TRACE(ToUtf8(Skin()));
        const TShot banner = Grab(ScreenRectOf(form->donateMe));
        int warm = 0;
        for (int y = 0; y < banner.H(); ++y)
            for (int x = 0; x < banner.W(); ++x) {
                const uint32_t c = banner.At(x, y);
                const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (r > 190 && r > b + 100 && g > 40) ++warm;
            }
        EXPECT_GT(warm, banner.W() * banner.H() / 3) << "the banner shows no picture";
        EXPECT_GE(InkIn(banner, TRect(0, 0, banner.W(), banner.H())).Count, 100) << "the banner's marks";
        for (TsImage* dot : {form->StateDot1, form->StateDot2, form->StateDot3}) {
            const TShot d = Grab(ScreenRectOf(dot));
            const TInk ink = InkIn(d, TRect(0, 0, d.W(), d.H()));
            EXPECT_GE(ink.Count, 12) << "a state dot shows nothing";
            // Centred in its strip.
            EXPECT_NEAR((ink.Box.top + ink.Box.bottom) / 2, d.H() / 2, 2);
        }
    }

    // A tab clicked with the mouse.
    void ClickTab(TTabSheet* sheet)
    {
        TsPageControl* pc = form->PageControl;
        RECT r{};
        SendMessageW(pc->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(sheet->TabIndex()), reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(pc->Handle(), &p);
        ClickAt(TPoint(p.x, p.y));
        PumpFor(200);
        EXPECT_EQ(pc->ActivePage(), sheet) << "a click on the tab of " << ToUtf8(sheet->Caption());
    }

    std::vector<TTabSheet*> Pages()
    {
        std::vector<TTabSheet*> pages;
        for (int i = 0; i < form->PageControl->PageCount(); ++i)
            if (form->PageControl->Pages(i)->TabVisible()) pages.push_back(form->PageControl->Pages(i));
        return pages;
    }

    // Every page by a tab click, then by Ctrl+Tab round to the first; each compared with its
    // first look when it comes back.
    void TourThePages(const String& theme)
    {
        std::map<TTabSheet*, TPageLook> first;
        const std::vector<TTabSheet*> pages = Pages();
        std::vector<TTabSheet*> order(pages.begin() + 1, pages.end());
        order.push_back(pages.front());
        for (TTabSheet* sheet : order) {
            ClickTab(sheet);
            CheckScreen(L"tab_" + sheet->Caption());
            if (!first.count(sheet)) first[sheet] = LookAtPage();
            const double light = MeanBrightness(first[sheet].Shot);
            if (theme == L"Dark") EXPECT_LT(light, 110) << ToUtf8(sheet->Caption()) << " is not dark";
            if (theme == L"Light") EXPECT_GT(light, 150) << ToUtf8(sheet->Caption()) << " is not light";
        }
        // The last click came back to the first page: it looks as it did.
        for (size_t i = 1; i <= pages.size(); ++i) {
            KeyChord(VK_CONTROL, VK_TAB);
            PumpFor(300);
            TTabSheet* sheet = pages[i % pages.size()];
            EXPECT_EQ(form->PageControl->ActivePage(), sheet) << "Ctrl+Tab " << i;
            CheckScreen(L"ctrl_tab_" + sheet->Caption());
            ExpectSameAsFirstLook(first[sheet], sheet->Caption());
        }
    }

    // A menu command picked with the mouse: the bar item, then the item of its drop-down.
    void PickMenuByMouse(TMenuItem* item)
    {
        HMENU bar = GetMenu(Wnd());
        HMENU sub = item->Parent()->Handle();
        const int top = IndexOfSubMenu(bar, sub);
        ASSERT_GE(top, 0);
        const TPoint barItem = MenuItemCentre(Wnd(), bar, top);
        const int index = item->MenuIndex();
        TSideThread picker([=] {
            HWND popup = WaitForPopupMenu();
            if (popup) {
                Sleep(150);
                const TPoint p = MenuItemCentre(nullptr, sub, index);
                MouseTo(p.x, p.y);
                Sleep(150);
                MouseButton(true);
                Sleep(60);
                MouseButton(false);
                for (int i = 0; i < 100 && IsWindowVisible(popup); ++i) Sleep(20);
            }
            // A pick that missed must not leave the session in the menu loop for good.
            if (!popup || IsWindowVisible(popup)) {
                KeyPress(VK_ESCAPE);
                KeyPress(VK_ESCAPE);
            }
        });
        ClickAt(barItem);
        PumpFor(400);
    }

    int FStep = 0;
};

TEST_F(UserSession, TheMainWindowAsAUserUsesIt)
{
    // The pointer rests where Xvfb puts it, at the screen's centre, when the window comes up:
    // the control there is hovered before it has ever painted.
    const TPoint screenCentre(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    MouseTo(screenCentre.x - 40, screenCentre.y);
    PumpFor(50);
    Start(true, [&] { MouseTo(screenCentre.x, screenCentre.y); });
    PumpFor(600);
    {
        POINT c{screenCentre.x, screenCentre.y};
        HWND under = WindowFromPoint(c);
        ASSERT_TRUE(under && IsChild(Wnd(), under)) << "the window came up away from the pointer";
    }
    CheckScreen(L"start");
    ASSERT_EQ(Skin(), L"Dark");

    // The information panel: a click on the scrolling text does nothing; one on the banner opens
    // the support page (through the window's own opener, here one that launches nothing).
    {
        std::vector<String> opened;
        form->OpenLink = [&](const String& url) { opened.push_back(url); };
        CheckInformationPanel();
        ClickAt(Centre(ScreenRectOf(form->InfoText)));
        PumpFor(100);
        EXPECT_TRUE(opened.empty()) << "the scrolling text opened a page";
        ClickAt(Centre(ScreenRectOf(form->donateMe)));
        PumpFor(100);
        ASSERT_EQ(opened.size(), 1u) << "the banner's click did not open the page";
        EXPECT_EQ(opened[0], TMainForm::SupportPage);
        CheckScreen(L"banner_clicked");
        form->OpenLink = [](const String&) {};
    }

    TourThePages(L"Dark");

    // A button: hot under the pointer, pressed while held, and its command runs on release.
    {
        TsButton* b = form->btnDecWheel;
        const TRect r = ScreenRectOf(b);
        MoveTo(TPoint(r.left - 30, r.top - 30));
        const TShot normal = Grab(r);
        MoveTo(Centre(r));
        PumpFor(300);
        const TShot hot = Grab(r);
        MouseButton(true);
        PumpFor(200);
        const TShot pressed = Grab(r);
        CheckScreen(L"button_pressed");
        MouseButton(false);
        PumpFor(200);
        auto differs = [](const TShot& a, const TShot& b) {
            for (int y = 0; y < a.H(); ++y)
                for (int x = 0; x < a.W(); ++x)
                    if (Distance(a.At(x, y), b.At(x, y)) > 8) return true;
            return false;
        };
        EXPECT_TRUE(differs(normal, hot)) << "the button shows no hot state";
        EXPECT_TRUE(differs(hot, pressed)) << "the button shows no pressed state";
    }

    // A track bar dragged by its thumb; its value label follows.
    {
        TsTrackBar* bar = form->sOverall;
        const int before = bar->Position();
        RECT thumb{};
        SendMessageW(bar->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        POINT from{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
        ClientToScreen(bar->Handle(), &from);
        const int dx = before > (bar->Min() + bar->Max()) / 2 ? -bar->Width() / 4 : bar->Width() / 4;
        MoveTo(TPoint(from.x, from.y));
        MouseButton(true);
        PumpFor(80);
        for (int step = 1; step <= 5; ++step) MoveTo(TPoint(from.x + dx * step / 5, from.y));
        CheckScreen(L"track_bar_dragged");
        MouseButton(false);
        PumpFor(200);
        EXPECT_NE(bar->Position(), before) << "the drag moved nothing";
    }

    // Apply writes what the page shows.
    {
        const size_t writes = Packets(Wheel(), CmdWrite).size();
        ClickAt(Centre(ScreenRectOf(form->btnApply)));
        EXPECT_TRUE(PumpUntil([&] { return Packets(Wheel(), CmdWrite).size() > writes; }, 3000)) << "Apply wrote nothing";
        CheckScreen(L"applied");
    }

    // Themes > Light by the keyboard (the focus on the Apply button): F10, to Themes, down to
    // Light, Enter.
    {
        const int themes = IndexOfSubMenu(GetMenu(Wnd()), form->T1->Handle());
        ASSERT_GE(themes, 0);
        TSideThread typist([=] {
            Sleep(100);
            KeyPress(VK_F10);
            Sleep(250);
            for (int i = 0; i < themes; ++i) {
                KeyPress(VK_RIGHT);
                Sleep(150);
            }
            KeyPress(VK_DOWN);   // opens the drop-down on its first item
            Sleep(250);
            KeyPress(VK_DOWN);
            Sleep(150);
            KeyPress(VK_RETURN);
        });
        PumpUntil([&] { return Skin() == L"Light"; }, 5000);
        PumpFor(300);
        EXPECT_EQ(Skin(), L"Light");
        CheckScreen(L"light_by_keyboard");
    }
    TourThePages(L"Light");

    CheckInformationPanel();

    // The Hardware page: three panels divide it (two columns, the buttons in the rest); a check
    // box clicked twice, a number typed into a spin edit.
    ClickTab(form->TabHardware);
    {
        const TRect page = ScreenRectOf(form->TabHardware), left = ScreenRectOf(form->pnlHardwareLeft),
                    axes = ScreenRectOf(form->pnlHardwareAxes), rest = ScreenRectOf(form->pnlHardwareClient);
        EXPECT_EQ(left.left, page.left);
        EXPECT_EQ(axes.left, left.right);
        EXPECT_EQ(rest.left, axes.right);
        EXPECT_EQ(rest.right, page.right);
        for (const TRect& r : {left, axes, rest}) EXPECT_EQ(r.Height(), page.Height());
        EXPECT_TRUE(rest.Contains(Centre(ScreenRectOf(form->btnHardwareSave))));

        TsCheckBox* box = form->chkReverseEncoder;
        const bool was = box->Checked();
        ClickAt(Centre(ScreenRectOf(box)));
        EXPECT_NE(box->Checked(), was);
        CheckScreen(L"check_box_clicked");
        ClickAt(Centre(ScreenRectOf(box)));
        EXPECT_EQ(box->Checked(), was);

        TsDecimalSpinEdit* ppr = form->PPR;
        const TRect r = ScreenRectOf(ppr);
        ClickAt(TPoint(r.left + 12, (r.top + r.bottom) / 2));
        KeyPress(VK_END);
        PumpFor(50);
        KeyChord(VK_SHIFT, VK_HOME);
        PumpFor(50);
        TypeText(L"4321");
        KeyPress(VK_TAB);
        PumpFor(300);
        EXPECT_EQ(ppr->Value(), 4321) << "the typed number";
        CheckScreen(L"spin_edit_typed");
    }

    // The Shifter page: the type combo dropped by the mouse, its items drawn in the list's font,
    // the other item picked.
    ClickTab(form->TabShifter);
    {
        // The statistics show in two sunken panels, each with its frame around its values.
        for (TsPanel* p : {form->ShifterPage->pnlStatPosition, form->ShifterPage->pnlStatConfig}) {
            ASSERT_TRUE(p->Showing());
            const TShot s = Grab(ScreenRectOf(p));
            const uint32_t inside = Dominant(s, TRect(3, 3, s.W() - 3, s.H() - 3));
            EXPECT_GT(Distance(s.At(0, s.H() / 2), inside) + Distance(s.At(s.W() / 2, 0), inside), 8)
                << ToUtf8(p->Name()) << " shows no sunken edge";
        }
    }
    {
        TsComboBox* combo = form->ShifterPage->ShifterType;
        ASSERT_GE(combo->Items()->Count(), 2);
        const int before = combo->ItemIndex();
        ClickAt(Centre(ScreenRectOf(combo)));
        PumpFor(300);
        COMBOBOXINFO info{sizeof(info)};
        ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
        ASSERT_TRUE(info.hwndList && IsWindowVisible(info.hwndList)) << "the list did not drop down";
        CheckScreen(L"combo_dropped");
        RECT lr{};
        GetWindowRect(info.hwndList, &lr);
        const TShot list = Grab(TRect(lr.left, lr.top, lr.right, lr.bottom));
        testing_support::SaveArtifact(*list.Bmp, L"user_session_" + Skin() + L"_combo_list");
        HDC dc = GetDC(combo->Handle());
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo->Handle(), WM_GETFONT, 0, 0)));
        TPoint other;
        for (int i = 0; i < combo->Items()->Count(); ++i) {
            RECT ir{};
            SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&ir));
            POINT o{ir.left, ir.top};
            ClientToScreen(info.hwndList, &o);
            const TRect row(o.x - lr.left, o.y - lr.top, o.x - lr.left + (ir.right - ir.left), o.y - lr.top + (ir.bottom - ir.top));
            const String text = combo->Items()->Get(i);
            SIZE ext{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &ext);
            const TInk ink = InkIn(list, row);
            ASSERT_GT(ink.Count, 0) << "item " << ToUtf8(text) << " shows no text";
            // The ink spans the text's width in the list's font (a bold system font is far wider).
            EXPECT_NEAR(ink.Box.Width(), ext.cx, std::max<int>(3, ext.cx / 10)) << "item " << ToUtf8(text);
            if (i != before) other = TPoint(o.x + (ir.right - ir.left) / 2, o.y + (ir.bottom - ir.top) / 2);
        }
        SelectObject(dc, old);
        ReleaseDC(combo->Handle(), dc);
        ClickAt(other);
        PumpFor(300);
        EXPECT_NE(combo->ItemIndex(), before) << "picking an item by the mouse";
        CheckScreen(L"combo_picked");
    }

    // Setup > Preferences opened and closed by its Cancel button.
    {
        FormSettings->HandleNeeded();
        HWND cancel = FormSettings->btnCancel->Handle();
        HWND settingsWnd = FormSettings->Handle();
        std::atomic<bool> shown{false}, missed{false};
        TSideThread canceller([&] {
            const DWORD end = GetTickCount() + 5000;
            while (GetTickCount() < end && !IsWindowVisible(settingsWnd)) Sleep(20);
            if (!IsWindowVisible(settingsWnd)) return;
            shown = true;
            Sleep(400);
            RECT r{};
            GetWindowRect(cancel, &r);
            MouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            Sleep(150);
            MouseButton(true);
            Sleep(60);
            MouseButton(false);
            // A click that missed must not leave the session in the modal loop for good.
            for (int i = 0; i < 150 && IsWindowVisible(settingsWnd); ++i) Sleep(20);
            if (IsWindowVisible(settingsWnd)) {
                missed = true;
                PostMessageW(settingsWnd, WM_CLOSE, 0, 0);
            }
        });
        PickMenuByMouse(form->P1);
        PumpUntil([&] { return shown && !IsWindowVisible(settingsWnd); }, 5000);
        EXPECT_TRUE(shown) << "Preferences did not open";
        EXPECT_FALSE(missed) << "Cancel did not close Preferences";
        CheckScreen(L"preferences_closed");
    }

    // Themes > Dark by the mouse.
    PickMenuByMouse(form->D1);
    PumpUntil([&] { return Skin() == L"Dark"; }, 3000);
    EXPECT_EQ(Skin(), L"Dark");
    CheckScreen(L"dark_by_mouse");
    for (TTabSheet* sheet : Pages()) {
        ClickTab(sheet);
        EXPECT_LT(MeanBrightness(LookAtPage().Shot), 110) << ToUtf8(sheet->Caption()) << " is not dark again";
    }

    // File > Exit: the program ends, with its settings written.
    WritePrivateProfileStringW(L"Profiles", L"ActiveProfile", nullptr, settings.c_str());
    PickMenuByMouse(form->E1);
    PumpUntil([&] { return Application->Terminated(); }, 3000);
    EXPECT_TRUE(Application->Terminated()) << "File > Exit did not end the program";
    // As the program's entry point does when its loop ends: the forms go.
    const HWND wnd = Wnd();
    TObject::Free(FormSettings);
    FormSettings = nullptr;
    TObject::Free(form);
    form = nullptr;
    MainForm = nullptr;
    Application->SetMainForm(nullptr);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(ReadSetting(L"Themes", L"Active"), L"0");
    EXPECT_FALSE(ReadSetting(L"Profiles", L"ActiveProfile").empty()) << "Exit did not store the active profile";
}
