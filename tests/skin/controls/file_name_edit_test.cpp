// The combo edit and the file-name edit in real windows: the standard button pictures built into
// the program, the button in the non-client area with its glyph on the fixture skin, a click on
// release opening the (answered) open dialog in the folder of the typed name, the click key and
// Ctrl+A, and files dropped from the shell through a real drop handle, long names whole and a
// refused name logged with the drop still finished; the system's open and save dialogs opened
// for real and cancelled by the test.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <windowsx.h>

#include <memory>
#include <vector>

#include "skin/controls/scharimagelist.h"
#include "skin/controls/scomboedit.h"
#include "skin/engine/system_routines.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }
uint32_t ScreenPixel(HWND h, int x, int y)
{
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return SwapRedBlue(uint32_t(c));
}
bool Near(uint32_t a, uint32_t b, int tolerance = 2)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// The file-name edit with its protected parts reachable and the dialog answered by the test.
class TTestFileEdit : public TsFilenameEdit {
public:
    explicit TTestFileEdit(TComponent* owner) : TsFilenameEdit(owner) {}
    using TsFilenameEdit::KeyDown;
};

// A combo edit with the drop-down arrow instead of a picture.
class TTestArrowEdit : public TsCustomComboEdit {
public:
    explicit TTestArrowEdit(TComponent* owner) : TsCustomComboEdit(owner) { FDefBmpID = -1; }
};

struct TDialogCall {
    String InitialDir;   // as the system dialog receives them
    String FileName;
};

struct TFileScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TTestFileEdit* Edit = nullptr;
    std::vector<TDialogCall> Calls;
    bool Answer = false;   // the dialog's answer
    String Chosen;         // the name it answers with

    TFileScene()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, 300, 100);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 300, 100);
        Panel->SetParent(Form.get());
        Panel->SetAnimatEvents(0);
        Edit = new TTestFileEdit(Form.get());
        Edit->SetParent(Panel);
        Edit->SetBounds(20, 20, 240, 22);
        Edit->SetButtonWidth(21);
        Edit->SetAcceptFiles(true);
        Edit->SetFileName(L"debug.log");
        TsOpenDialog::Runner = [this](OPENFILENAMEW& ofn) {
            Calls.push_back({ofn.lpstrInitialDir ? String(ofn.lpstrInitialDir) : String(), String(ofn.lpstrFile)});
            if (Answer) {
                std::fill(ofn.lpstrFile, ofn.lpstrFile + ofn.nMaxFile, L'\0');
                std::copy(Chosen.begin(), Chosen.end(), ofn.lpstrFile);
            }
            return Answer;
        };
        Form->Show();
        PumpFor(60);
    }
    ~TFileScene() { TsOpenDialog::Runner = nullptr; }
    HWND H() const { return Edit->Handle(); }
    LPARAM At(const TRect& r, int dx = 0) const
    {
        RECT wr{};
        GetWindowRect(H(), &wr);
        return MAKELPARAM(wr.left + (r.left + r.right) / 2 + dx, wr.top + (r.top + r.bottom) / 2);
    }
    void Click()
    {
        const TRect b = Edit->CalcButtonRect(true);
        SendMessageW(H(), WM_NCHITTEST, 0, At(b));
        SendMessageW(H(), WM_NCLBUTTONDOWN, HTBORDER, At(b));
        SendMessageW(H(), WM_NCLBUTTONUP, HTBORDER, At(b));
    }
};

// A shell drop handle as the shell makes it: DROPFILES then the wide names, each ended by a
// zero, the list by another.
HGLOBAL MakeDrop(const std::vector<String>& names)
{
    size_t chars = 1;
    for (const String& n : names) chars += n.size() + 1;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* d = static_cast<DROPFILES*>(GlobalLock(g));
    d->pFiles = sizeof(DROPFILES);
    d->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(d) + sizeof(DROPFILES));
    for (const String& n : names) {
        std::copy(n.begin(), n.end(), p);
        p += n.size() + 1;
    }
    GlobalUnlock(g);
    return g;
}

String TempFolder()
{
    wchar_t buf[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buf);
    String dir = String(buf) + L"qw_file_edit_test\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

TEST(EditGlyphs, TheStandardPicturesAreBuiltInWithANormalAndAHotFrame)
{
    TsAlphaImageList* list = StdPngGlyphs();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Width(), 32);
    EXPECT_EQ(list->Height(), 16);
    ASSERT_EQ(list->Count(), 5);
    EXPECT_EQ(GlyphFrameCount(list->Width(), list->Height()), 2);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        std::unique_ptr<TBitmap> b = list->GetBitmap32(i);
        ASSERT_TRUE(b);
        int opaque[2] = {}, clear[2] = {}, differ = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t n = ReadPixel32(b.get(), x, y), h = ReadPixel32(b.get(), x + 16, y);
                opaque[0] += (n >> 24) == 255;
                opaque[1] += (h >> 24) == 255;
                clear[0] += (n >> 24) == 0;
                clear[1] += (h >> 24) == 0;
                differ += n != h;
            }
        // A picture in each frame with see-through room around it, and the hot frame not a copy.
        EXPECT_GT(opaque[0], 30);
        EXPECT_GT(opaque[1], 30);
        EXPECT_GT(clear[0], 20);
        EXPECT_GT(clear[1], 20);
        EXPECT_GT(differ, 4);
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
    EXPECT_THROW(EditGlyphResource(L"SX", data, size), EResNotFound);
}

// The process-wide glyph mode for one test; the program's mode (the old one) afterwards.
struct TGlyphModeScope {
    explicit TGlyphModeScope(bool old) { TacButtonsSupport(nullptr).SetOldGlyphsMode(old); }
    ~TGlyphModeScope() { TacButtonsSupport(nullptr).SetOldGlyphsMode(true); }
};

int InkedPixels(TBitmap* b)
{
    int n = 0;
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) n += (ReadPixel32(b, x, y) >> 24) != 0;
    return n;
}

TEST(EditGlyphs, TheCharacterPicturesAreOneFrameEachAndFollowTheColourAsked)
{
    TsCharImageList* list = StdCharGlyphs();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, StdCharGlyphs());
    EXPECT_EQ(list->Width(), 16);
    EXPECT_EQ(list->Height(), 14);
    EXPECT_EQ(list->BkColor(), TColor(0xFFFFFF));
    ASSERT_EQ(list->Count(), 25);
    EXPECT_EQ(GlyphFrameCount(list->Width(), list->Height()), 1);
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < list->Count(); ++i) {
        SCOPED_TRACE(i);
        const int w = ImageWidthAt(list, i, 96), h = ImageHeightAt(list, i, 96);
        std::unique_ptr<TBitmap> red(list->CreateBitmap32Color(i, w, h, clRed, 0));
        ASSERT_TRUE(red);
        EXPECT_GT(InkedPixels(red.get()), 8);
        // Every solid pixel is in the colour asked.
        std::vector<uint32_t> ink;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t p = ReadPixel32(red.get(), x, y);
                if ((p >> 24) == 255) {
                    EXPECT_EQ(Rgb(p), 0xFF0000u) << x << "," << y;
                }
                ink.push_back(p >> 24);
            }
        if (i < 5) pictures.push_back(ink);
    }
    // File, folder, date, ellipsis and calculator are five different pictures.
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b) EXPECT_NE(pictures[a], pictures[b]) << a << " " << b;
    // The ellipsis sits lower: its cell is taller by its shift.
    EXPECT_EQ(ImageHeightAt(list, sgEllipsis, 96), 18);
    EXPECT_EQ(ImageHeightAt(list, sgFile, 96), 14);
}

TEST(EditGlyphs, TheGlyphModeSelectsTheStandardList)
{
    struct {
        bool Old;
        int Frames, Width, Height;
    } const rows[] = {{true, 2, 16, 16}, {false, 1, 16, 14}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Old);
        TGlyphModeScope mode(r.Old);
        TCustomImageList* expected = r.Old ? static_cast<TCustomImageList*>(StdPngGlyphs()) : StdCharGlyphs();
        EXPECT_EQ(GetStdGlyphs(), expected);
        TacAddedGlyph glyph(nullptr, nullptr);
        EXPECT_EQ(glyph.ListInUse(), expected);
        EXPECT_EQ(glyph.ImageCount(), r.Frames);
        EXPECT_EQ(glyph.Width(), r.Width);
        EXPECT_EQ(glyph.Height(), r.Height);
    }
    // The character mode never makes the PNG pictures.
    FreeStdGlyphs();
    TGlyphModeScope mode(false);
    const size_t before = ImageListRegistry().size();
    TCustomImageList* list = GetStdGlyphs();
    EXPECT_EQ(list, StdCharGlyphs());
    EXPECT_EQ(ImageListRegistry().size(), before + 1);
    for (TacImageList* l : ImageListRegistry()) EXPECT_EQ(dynamic_cast<TsAlphaImageList*>(l), nullptr);
}

// The file-name edit's picture in either mode, against a twin without a button: the picture
// inside the button, nothing changed outside it; in the character mode in the text colour and,
// hot, over the skin's button face (the old mode draws no face).
TEST(FileNameEdit, ThePictureInEitherGlyphModeStaysInTheButton)
{
    struct {
        bool Old;
        const wchar_t* Skin;
    } const rows[] = {{true, L"Fixture"}, {false, L"Fixture"}, {false, L"Dark"}, {false, L"Light"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Old << " " << ToUtf8(row.Skin));
        const bool fixture = String(row.Skin) == L"Fixture";
        TGlyphModeScope mode(row.Old);
        TManagerPtr m = ManagerWithSkin(row.Skin);
        TFileScene s;
        s.Edit->SetText(L"");
        auto* twin = new TsMaskEdit(s.Form.get());
        twin->SetParent(s.Panel);
        twin->SetBounds(20, 60, 240, 22);
        auto* other = new TsMaskEdit(s.Form.get());
        other->SetParent(s.Panel);
        other->SetBounds(20, 88, 40, 10);
        SendMessageW(s.H(), CM_MOUSELEAVE, 0, 0);
        s.Form->Show();
        other->SetFocus();
        PumpFor(400);
        TacSkinData* d = s.Edit->SkinData()->ResolveSkinData();
        ASSERT_TRUE(d);
        const TsGeneralData& g = d->gd[size_t(s.Edit->SkinData()->SkinIndex)];
        const uint32_t textColour = Rgb(fs::Opaque(g.Props[0].FontColor.Color));
        const TRect b = s.Edit->CalcButtonRect(false);
        ASSERT_FALSE(b.IsEmpty());
        // Within the edit's 2-pixel border (the border's own state may differ from the twin's).
        int inside = 0, textInside = 0, outside = 0;
        for (int y = 2; y < 20; ++y)
            for (int x = 2; x < 238; ++x) {
                const uint32_t p = ScreenPixel(s.H(), x, y);
                const bool differs = p != ScreenPixel(twin->Handle(), x, y);
                if (b.Contains(TPoint(x, y))) {
                    inside += differs;
                    textInside += Near(p, textColour);   // solid pixels, within the blending's rounding
                } else {
                    outside += differs;
                    if (differs)
                        ADD_FAILURE() << "outside the button at " << x << "," << y << " " << std::hex << p << " "
                                      << ScreenPixel(twin->Handle(), x, y);
                }
            }
        EXPECT_GT(inside, 30);
        EXPECT_EQ(outside, 0);
        if (!row.Old) {
            EXPECT_GT(textInside, 10);
        }
        // Hot: a face from the skin's button section in the character mode only.
        SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(s.Edit->CalcButtonRect(true)));
        PumpFor(30);
        ASSERT_EQ(s.Edit->ButtonState(), 1);
        if (fixture) {
            const uint32_t corner = ScreenPixel(s.H(), b.left + 1, b.top + 1);
            EXPECT_EQ(corner == Own(L"COMBOBTN", 1), !row.Old);
        }
        if (fixture && !row.Old) {
            int ink = 0;
            for (int y = b.top; y < b.bottom; ++y)
                for (int x = b.left; x < b.right; ++x) ink += Near(ScreenPixel(s.H(), x, y), textColour);
            EXPECT_GT(ink, 10);
        }
        if (!row.Old) {
            EXPECT_FALSE(testing_support::SaveScreenshot(s.Form->Handle(),
                                                         String(L"file_name_edit_char_glyph_") + row.Skin, true)
                             .empty());
        }
        SendMessageW(s.H(), CM_MOUSELEAVE, 0, 0);
    }
}

TEST(EditGlyphs, ImageIndexRecalculatesTheFrameAndBlendOnlyRepaints)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    s.Edit->SetButtonWidth(0);   // the glyph's own width: one frame of 16
    PumpFor(30);
    EXPECT_EQ(s.Edit->GlyphMode()->Width(), 16);
    EXPECT_EQ(s.Edit->ActualButtonWidth(), 16);
    const TRect before = ClientAreaInWindow(s.H());
    // A list of wide single images: the button grows as soon as the index names one.
    TImageList wide(nullptr);
    wide.SetSize(30, 12);
    std::unique_ptr<TBitmap> img(NewBitmap32(30, 12));
    wide.Add(img.get(), nullptr);
    s.Edit->GlyphMode()->SetImages(&wide);
    s.Edit->GlyphMode()->SetBlend(40);
    EXPECT_EQ(ClientAreaInWindow(s.H()), before);
    s.Edit->GlyphMode()->SetImageIndex(0);
    EXPECT_EQ(s.Edit->GlyphMode()->Width(), 30);
    EXPECT_EQ(ClientAreaInWindow(s.H()).right, before.right - 14);
    s.Edit->GlyphMode()->SetImages(nullptr);
    // ButtonWidth sets the button's width whatever the picture.
    s.Edit->SetButtonWidth(21);
    EXPECT_EQ(s.Edit->ActualButtonWidth(), 21);
}

TEST(FileNameEdit, ButtonInTheFrameWithTheFilePictureNormalAndHot)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    TacSkinData* d = s.Edit->SkinData()->ResolveSkinData();
    ASSERT_TRUE(d);
    const int spacing = d->Spacing;
    // Old glyph mode: the margin is the edit's border; the text ends where the button starts.
    EXPECT_EQ(s.Edit->ButtonMargin(), 2);
    EXPECT_EQ(s.Edit->CalcButtonRect(true), TRect(240 - 2 - 21 - spacing, 2, 240 - 2, 20));
    EXPECT_EQ(ClientAreaInWindow(s.H()).right, 240 - 2 - 21 - spacing);
    EXPECT_EQ(SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(s.Edit->CalcButtonRect(true))), HTBORDER);
    EXPECT_EQ(s.Edit->ButtonState(), 1);
    SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(TRect(4, 4, 6, 6)));
    EXPECT_EQ(s.Edit->ButtonState(), 0);
    SendMessageW(s.H(), CM_MOUSELEAVE, 0, 0);
    PumpFor(400);   // the frame's hover fade ends

    // A twin without a button shows what lies under the glyph's see-through pixels.
    auto* twin = new TsMaskEdit(s.Form.get());
    twin->SetParent(s.Panel);
    twin->SetBounds(20, 60, 240, 22);
    auto* other = new TsMaskEdit(s.Form.get());   // holds the focus, so both frames are normal
    other->SetParent(s.Panel);
    other->SetBounds(20, 88, 40, 10);
    s.Form->Show();
    other->SetFocus();
    PumpFor(400);
    std::unique_ptr<TBitmap> strip = StdPngGlyphs()->GetBitmap32(sgFile);
    const TRect r = s.Edit->CalcButtonRect(false);
    const int x0 = r.left + (r.Width() - 16) / 2 + 1, y0 = r.top + (r.Height() - 16) / 2;
    int hotDiffers = 0;
    for (int state : {0, 1}) {
        SCOPED_TRACE(state);
        if (state == 1) {
            SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(s.Edit->CalcButtonRect(true)));
            PumpFor(30);
        }
        // Every opaque pixel of the frame shows as it is; every clear one shows the edit's frame.
        int opaque = 0, clear = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t p = ReadPixel32(strip.get(), x + 16 * state, y);
                const uint32_t screen = ScreenPixel(s.H(), x0 + x, y0 + y);
                if ((p >> 24) == 255) {
                    ++opaque;
                    EXPECT_TRUE(Near(screen, Rgb(p))) << x << "," << y;
                    hotDiffers += state == 1 && !Near(Rgb(p), Rgb(ReadPixel32(strip.get(), x, y)), 8);
                } else if ((p >> 24) == 0 && state == 0) {
                    ++clear;
                    EXPECT_EQ(screen, ScreenPixel(twin->Handle(), x0 + x, y0 + y)) << x << "," << y;
                }
            }
        EXPECT_GT(opaque, 30);
        if (state == 0) {
            EXPECT_GT(clear, 20);
        }
    }
    EXPECT_GT(hotDiffers, 4);   // the magnifier
}

TEST(FileNameEdit, AClickOnReleaseOpensTheDialogInTheTypedNamesFolder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    const String dir = TempFolder();
    struct TCase {
        const char* What;
        String Typed;
        String InitialDir;   // as the dialog receives it
        String FileName;
    } cases[] = {
        {"a file in an existing folder", dir + L"trace.log", dir, L"trace.log"},
        {"a bare name keeps the folder", L"debug.log", L"", L"debug.log"},
        {"a folder alone preselects nothing", dir, dir, L""},
        {"a folder that does not exist", L"Q:\\nowhere\\x.log", L"Q:\\nowhere", L"x.log"},
        {"an invalid text opens with no name", L"a|b.log", L"", L""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TFileScene s;
        s.Edit->SetText(c.Typed);
        const TRect b = s.Edit->CalcButtonRect(true);
        SendMessageW(s.H(), WM_NCLBUTTONDOWN, HTBORDER, s.At(b));
        EXPECT_TRUE(s.Calls.empty());   // nothing on the press
        EXPECT_EQ(s.Edit->ButtonState(), 2);
        SendMessageW(s.H(), WM_NCLBUTTONUP, HTBORDER, s.At(b));
        ASSERT_EQ(s.Calls.size(), 1u);
        EXPECT_EQ(s.Calls[0].InitialDir, c.InitialDir);
        EXPECT_EQ(s.Calls[0].FileName, c.FileName);
        // Cancelled: the text stays.
        EXPECT_EQ(s.Edit->Text(), c.Typed);
        EXPECT_EQ(s.Edit->ButtonState(), 1);
    }
}

TEST(FileNameEdit, AChosenNameBecomesTheTextAndItsFolderTheNextStart)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    const String dir = TempFolder();
    TFileScene s;
    s.Answer = true;
    s.Chosen = dir + L"chosen.log";
    s.Click();
    EXPECT_EQ(s.Edit->FileName(), dir + L"chosen.log");
    EXPECT_EQ(s.Edit->InitialDir(), dir);

    // Released away from the button: no dialog; a double click is a second press.
    const TRect b = s.Edit->CalcButtonRect(true);
    SendMessageW(s.H(), WM_NCLBUTTONDOWN, HTBORDER, s.At(b));
    SendMessageW(s.H(), WM_NCLBUTTONUP, HTBORDER, s.At(b, -60));
    EXPECT_EQ(s.Calls.size(), 1u);
    SendMessageW(s.H(), WM_NCLBUTTONDBLCLK, HTBORDER, s.At(b));
    SendMessageW(s.H(), WM_NCLBUTTONUP, HTBORDER, s.At(b));
    EXPECT_EQ(s.Calls.size(), 2u);

    // OnBeforeDialog saying no: no dialog, no change.
    s.Edit->OnBeforeDialog = TExecOpenDialogEvent::FromCallable([](TObject*, String&, bool& action) { action = false; });
    s.Click();
    EXPECT_EQ(s.Calls.size(), 2u);
}

TEST(FileNameEdit, ClickKeyAndSelectAll)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    struct TCase {
        const char* What;
        WORD Key;
        TShiftState Shift;
        bool ReadOnly;
        bool GlyphEnabled;
        int Dialogs;
        bool Consumed;
    } cases[] = {
        {"Alt+Down clicks", VK_DOWN, ssAlt, false, true, 1, true},
        {"Alt+Down on a read-only edit is eaten", VK_DOWN, ssAlt, true, true, 0, true},
        {"Alt+Down with the button disabled is eaten", VK_DOWN, ssAlt, false, false, 0, true},
        {"Down alone is the edit's", VK_DOWN, 0, false, true, 0, false},
        {"Ctrl+A selects", 'A', ssCtrl, false, true, 0, true},
        {"A alone is the edit's", 'A', 0, false, true, 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TFileScene s;
        s.Edit->SetComboReadOnly(c.ReadOnly);
        s.Edit->GlyphMode()->SetEnabled(c.GlyphEnabled);
        s.Edit->SetSelStart(2);
        s.Edit->SetSelLength(0);
        WORD key = c.Key;
        s.Edit->KeyDown(key, c.Shift);
        EXPECT_EQ(int(s.Calls.size()), c.Dialogs);
        EXPECT_EQ(key == 0, c.Consumed);
        if (c.Key == 'A' && c.Consumed) {
            EXPECT_EQ(s.Edit->SelStart(), 0);
            EXPECT_EQ(s.Edit->SelLength(), int(s.Edit->Text().size()));
        }
    }
}

TEST(FileNameEdit, DroppedFilesArriveWholeAndARefusedNameIsLogged)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    const String longName = L"C:\\" + String(296, L'n') + L".log";   // 303 characters
    ASSERT_GT(longName.size(), 300u);
    struct TCase {
        const char* What;
        std::vector<String> Names;
        bool Multi;
        String Text;
        int Logged;
        int DialogFiles;
    } cases[] = {
        {"a long name whole", {longName}, false, longName, 0, 0},
        {"first of three", {L"C:\\a.log", L"C:\\b.log", L"C:\\c.log"}, false, L"C:\\a.log", 0, 0},
        {"all of three", {L"C:\\a.log", L"C:\\b.log", L"C:\\c.log"}, true, L"C:\\a.log", 0, 3},
        {"a refused name keeps the text", {L"C:\\bad|name.log"}, false, L"debug.log", 1, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TFileScene s;
        if (c.Multi) s.Edit->SetDialogOptions(s.Edit->DialogOptions() | ofAllowMultiSelect);
        int dropped = 0;
        std::vector<String> log;
        s.Edit->OnDropFiles = TNotifyEvent::FromCallable([&](TObject*) { ++dropped; });
        TsFileDirEdit::DropLog = [&](const String& text) { log.push_back(text); };
        HGLOBAL g = MakeDrop(c.Names);
        EXPECT_EQ(SendMessageW(s.H(), WM_DROPFILES, reinterpret_cast<WPARAM>(g), 0), 0);
        TsFileDirEdit::DropLog = nullptr;
        EXPECT_EQ(s.Edit->FileName(), c.Text);
        EXPECT_EQ(int(log.size()), c.Logged);
        EXPECT_EQ(dropped, 1);
        EXPECT_EQ(s.Edit->DialogFiles()->Count(), c.DialogFiles);
        // The drop was finished: its memory is gone.
        EXPECT_EQ(GlobalSize(g), 0u);
    }
}

TEST(ComboEdit, AnArrowButtonActsOnPress)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    auto* e = new TTestArrowEdit(s.Form.get());
    e->SetParent(s.Panel);
    e->SetBounds(20, 60, 160, 22);
    int clicks = 0;
    e->OnButtonClick = TNotifyEvent::FromCallable([&](TObject*) { ++clicks; });
    PumpFor(30);
    EXPECT_TRUE(e->ComboBtn());
    const TRect b = e->CalcButtonRect(true);
    RECT wr{};
    GetWindowRect(e->Handle(), &wr);
    const LPARAM at = MAKELPARAM(wr.left + (b.left + b.right) / 2, wr.top + (b.top + b.bottom) / 2);
    SendMessageW(e->Handle(), WM_NCLBUTTONDOWN, HTBORDER, at);
    EXPECT_EQ(clicks, 1);
    SendMessageW(e->Handle(), WM_NCLBUTTONUP, HTBORDER, at);
    EXPECT_EQ(clicks, 1);
    // The skin's combo button section fills the button.
    PumpFor(30);
    EXPECT_EQ(ScreenPixel(e->Handle(), b.left + 1, b.top + 1), Own(L"COMBOBTN", 1));
}

TEST(ComboEdit, DarkLightAndPlainScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light", L"Plain"}) {
        TManagerPtr m = String(skin) == L"Plain" ? UnskinnedManager(false) : ManagerWithSkin(skin);
        TFileScene s;
        auto* arrow = new TTestArrowEdit(s.Form.get());
        arrow->SetParent(s.Panel);
        arrow->SetBounds(20, 60, 160, 22);
        arrow->SetText(L"Arrow button");
        PumpFor(30);
        SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(s.Edit->CalcButtonRect(true)));
        PumpFor(60);
        EXPECT_FALSE(testing_support::SaveScreenshot(s.Form->Handle(), String(L"file_name_edit_") + skin, true).empty());
    }
}

// A combo edit made on a shown form and then widened paints its button at the new right edge.
TEST(ComboEdit, TheButtonFollowsAWidenedEdit)
{
    for (bool skinned : {true, false}) {
        SCOPED_TRACE(skinned ? "skinned" : "plain");
        TManagerPtr m = skinned ? ManagerWithSkin(L"Fixture") : UnskinnedManager(false);
        TFileScene s;
        auto* e = new TTestArrowEdit(s.Form.get());
        e->SetParent(s.Panel);
        e->SetBounds(20, 60, 120, 22);
        PumpFor(60);
        e->SetBounds(20, 60, 180, 22);
        PumpFor(60);
        const TRect b = e->CalcButtonRect(true);
        EXPECT_EQ(b.right, 180 - e->ButtonMargin());
        EXPECT_EQ(ClientAreaInWindow(e->Handle()).right, b.left);
        // The face (the skin's button section, or the edit's colour) and a dark arrow in it.
        const uint32_t face = skinned ? Own(L"COMBOBTN", 0) : SwapRedBlue(uint32_t(ColorToRGB(e->Color())));
        EXPECT_EQ(ScreenPixel(e->Handle(), b.left + 1, b.top + 1), face);
        int arrow = 0;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) arrow += Near(ScreenPixel(e->Handle(), x, y), 0, 40);
        EXPECT_GT(arrow, 3);
    }
}

// The system's own dialogs, cancelled by the test from a timer their modal loop runs. What the
// dialog showed is read before it is cancelled: its owner, caption and the name it preselected.
struct TSeenDialog {
    HWND Window = nullptr;
    HWND Owner = nullptr;
    String Caption;
    String Name;   // the text of the dialog's file-name field
};
TSeenDialog GDialogSeen;
void CALLBACK CancelDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (String(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
        GDialogSeen.Window = w;
        GDialogSeen.Owner = GetWindow(w, GW_OWNER);
        wchar_t text[MAX_PATH] = {};
        GetWindowTextW(w, text, MAX_PATH);
        GDialogSeen.Caption = text;
        // The name field is an edit or, in the explorer-style template, a combo box.
        for (int field : {0x47c /* cmb13 */, 0x480 /* edt1 */}) {
            text[0] = 0;
            if (GetDlgItem(w, field) && GetDlgItemTextW(w, field, text, MAX_PATH) > 0) {
                GDialogSeen.Name = text;
                break;
            }
        }
        PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
        return FALSE;
    }, 0);
    if (GDialogSeen.Window) KillTimer(nullptr, id);
}

// Runs Show (which opens a system dialog) with the cancelling timer; what the dialog showed.
template <class F>
TSeenDialog CancelSystemDialog(F&& show)
{
    GDialogSeen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, CancelDialog);
    show();
    KillTimer(nullptr, timer);
    return GDialogSeen;
}

TEST(FileNameEdit, TheSystemDialogOpensAndIsCancelled)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    TsOpenDialog::Runner = nullptr;   // the real one
    s.Edit->SetText(TempFolder() + L"real.log");
    const TSeenDialog seen = CancelSystemDialog([&] { s.Click(); });
    EXPECT_NE(seen.Window, nullptr);
    EXPECT_EQ(seen.Owner, s.Form->Handle());
    EXPECT_EQ(seen.Name, L"real.log");   // opened in the typed name's folder with the name chosen
    EXPECT_EQ(s.Edit->Text(), TempFolder() + L"real.log");
    EXPECT_EQ(s.Edit->ButtonState(), 1);
}

// The save dialog is the system's save dialog, not a second open dialog: its own caption, the
// name preselected, nothing chosen when cancelled.
TEST(SaveDialog, TheSystemSaveDialogOpensAndIsCancelled)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    TsOpenDialog::Runner = nullptr;
    const TSeenDialog open = CancelSystemDialog([&] { s.Click(); });
    TsSaveDialog save(nullptr);
    save.SetInitialDir(TempFolder());
    save.SetFileName(L"settings.ini");
    bool saved = true;
    const TSeenDialog seen = CancelSystemDialog([&] { saved = save.Execute(s.Form->Handle()); });
    ASSERT_NE(seen.Window, nullptr);
    EXPECT_FALSE(saved);
    EXPECT_EQ(seen.Owner, s.Form->Handle());
    EXPECT_EQ(seen.Name, L"settings.ini");
    EXPECT_FALSE(seen.Caption.empty());
    EXPECT_NE(seen.Caption, open.Caption);
    EXPECT_EQ(save.FileName(), L"settings.ini");
}

// Each dialog answers through its own seam with the settings the system dialog would get; a
// chosen name comes back as the dialog's FileName, a cancelled one leaves it.
TEST(SaveDialog, EachDialogIsAnsweredThroughItsOwnSeam)
{
    const String dir = TempFolder();
    std::vector<String> runs;
    auto runner = [&runs](const wchar_t* kind, bool answer, const String& chosen) {
        return [&runs, kind, answer, chosen](OPENFILENAMEW& ofn) {
            runs.push_back(String(kind) + L" " + (ofn.lpstrInitialDir ? ofn.lpstrInitialDir : L"") + L"|" +
                           ofn.lpstrFile + L"|" + (ofn.lpstrDefExt ? ofn.lpstrDefExt : L"") +
                           ((ofn.Flags & OFN_OVERWRITEPROMPT) ? L"|overwrite" : L""));
            if (answer) {
                std::fill(ofn.lpstrFile, ofn.lpstrFile + ofn.nMaxFile, L'\0');
                std::copy(chosen.begin(), chosen.end(), ofn.lpstrFile);
            }
            return answer;
        };
    };
    struct TCase {
        const char* What;
        bool Save;
        bool Answer;
        String Run;        // what the answering seam saw
        String FileName;   // the dialog's name afterwards
    } cases[] = {
        {"save, chosen", true, true, L"save " + dir + L"|out.cfg|cfg|overwrite", dir + L"new.cfg"},
        {"save, cancelled", true, false, L"save " + dir + L"|out.cfg|cfg|overwrite", dir + L"out.cfg"},
        {"open, chosen", false, true, L"open " + dir + L"|out.cfg|cfg|overwrite", dir + L"new.cfg"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        runs.clear();
        TsOpenDialog::Runner = runner(L"open", c.Answer, dir + L"new.cfg");
        TsSaveDialog::Runner = runner(L"save", c.Answer, dir + L"new.cfg");
        std::unique_ptr<TOpenDialog> d;
        if (c.Save)
            d = std::make_unique<TsSaveDialog>(nullptr);
        else
            d = std::make_unique<TsOpenDialog>(nullptr);
        d->SetInitialDir(dir);
        d->SetFileName(dir + L"out.cfg");
        d->SetDefaultExt(L".cfg");
        d->SetOptions(ofOverwritePrompt | ofHideReadOnly);
        EXPECT_EQ(d->Execute(nullptr), c.Answer);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0], c.Run);
        EXPECT_EQ(d->FileName(), c.FileName);
    }
    TsOpenDialog::Runner = nullptr;
    TsSaveDialog::Runner = nullptr;
}

// Enter typed into the edit stays there: the form's default button is not pressed.
TEST(FileNameEdit, EnterDoesNotPressTheDefaultButton)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    auto* ok = new TButton(s.Form.get());
    ok->SetParent(s.Panel);
    ok->SetBounds(20, 60, 80, 24);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = TNotifyEvent::FromCallable([&](TObject*) { ++clicks; });
    auto* plain = new TEdit(s.Form.get());   // the same key in a plain edit presses it
    plain->SetParent(s.Panel);
    plain->SetBounds(120, 60, 80, 22);
    PumpFor(30);
    auto enter = [](HWND h) {
        SetFocus(h);
        PostMessageW(h, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(h, WM_KEYUP, VK_RETURN, 0xC01C0001);
        PumpFor(60);
    };
    enter(plain->Handle());
    ASSERT_EQ(clicks, 1);
    enter(s.H());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(s.Edit->Text(), L"debug.log");
}

// The button's own hint: after the application's hint pause over the button (stepped time),
// gone when the pointer leaves it; none without a hint text.
TEST(FileNameEdit, TheButtonHintFollowsTheHintPause)
{
    ASSERT_NE(Application, nullptr);
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    for (const wchar_t* hint : {L"Choose the log file", L""}) {
        SCOPED_TRACE(ToUtf8(hint));
        TFileScene s;
        TManualTicks ticks;
        s.Edit->SetShowHint(true);
        s.Edit->GlyphMode()->SetHint(hint);
        const TRect b = s.Edit->CalcButtonRect(true);
        SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(b));
        ticks.Step(unsigned(Application->HintPause) - 10);
        EXPECT_EQ(s.Edit->ButtonHint(), nullptr);
        ticks.Step(10);
        EXPECT_EQ(s.Edit->ButtonHint() != nullptr, hint[0] != 0);
        SendMessageW(s.H(), WM_NCHITTEST, 0, s.At(TRect(4, 4, 6, 6)));
        EXPECT_EQ(s.Edit->ButtonHint(), nullptr);
    }
}

}  // namespace

// The dialog title is kept with the edit's settings only when it differs from the system's own
// title of a file-open dialog (its common-dialog string, or "File open" without it).
TEST(FileNameEdit, TheDialogTitleIsKeptOnlyWhenNotTheSystemsOwn)
{
    const String system = DefaultOpenDialogTitle();
    ASSERT_FALSE(system.empty());
    const String loaded = LoadSystemString(L"comdlg32.dll", 436);
    EXPECT_EQ(system, loaded.empty() ? String(L"File open") : loaded);
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    struct TCase {
        String Title;
        bool Stored;
    } cases[] = {{system, false}, {L"Debug log", true}, {system + L" ", true}, {String(), true}};
    for (const TCase& c : cases) {
        s.Edit->SetDialogTitle(c.Title);
        EXPECT_EQ(s.Edit->Dialog()->Title(), c.Title);
        EXPECT_EQ(s.Edit->DialogTitleStored(), c.Stored) << c.Title.c_str();
    }
}

// Another dialog kind makes the dialog anew with the settings of the one before; the save kind
// opens the save dialog, with the edit's help topic.
TEST(FileNameEdit, DialogKindCarriesTheSettingsOverAndOpensItsDialog)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFileScene s;
    TStringList history;
    history.Add(L"earlier.log");
    s.Edit->SetFilter(L"Logs (*.log)|*.log|All files (*.*)|*.*");
    s.Edit->SetFilterIndex(2);
    s.Edit->SetDefaultExt(L"log");
    s.Edit->SetInitialDir(L"C:\\logs\\");
    s.Edit->SetHistoryList(&history);
    s.Edit->SetDialogOptions(ofHideReadOnly | ofAllowMultiSelect);
    s.Edit->Dialog()->Files()->Add(L"a.log");
    s.Edit->SetHelpContext(42);
    EXPECT_NE(dynamic_cast<TsOpenDialog*>(s.Edit->Dialog()), nullptr);
    EXPECT_EQ(static_cast<TsOpenDialog*>(s.Edit->Dialog())->ZipShowing, zsAsFile);

    struct TCase {
        const char* Name;
        TFileDialogKind Kind;
    };
    for (const TCase& c : {TCase{"save", dkSave}, TCase{"open picture", dkOpenPicture},
                           TCase{"save picture", dkSavePicture}, TCase{"open", dkOpen}}) {
        SCOPED_TRACE(c.Name);
        s.Edit->SetDialogKind(c.Kind);
        TOpenDialog* d = s.Edit->Dialog();
        EXPECT_EQ(dynamic_cast<TSaveDialog*>(d) != nullptr, c.Kind == dkSave || c.Kind == dkSavePicture);
        EXPECT_EQ(dynamic_cast<TOpenPictureDialog*>(d) != nullptr, c.Kind == dkOpenPicture);
        EXPECT_EQ(d->Filter(), L"Logs (*.log)|*.log|All files (*.*)|*.*");
        EXPECT_EQ(d->FilterIndex(), 2);
        EXPECT_EQ(d->DefaultExt(), L"log");
        EXPECT_EQ(d->InitialDir(), L"C:\\logs\\");
        EXPECT_EQ(d->HistoryList(), &history);
        EXPECT_EQ(d->Options(), TOpenOptions(ofHideReadOnly | ofAllowMultiSelect));
        ASSERT_EQ(d->Files()->Count(), 1);
        EXPECT_EQ((*d->Files())[0], L"a.log");
    }

    s.Edit->SetDialogKind(dkSave);
    int saves = 0;
    TsSaveDialog::Runner = [&](OPENFILENAMEW& ofn) {
        ++saves;
        EXPECT_EQ(String(ofn.lpstrFile), L"debug.log");
        return false;
    };
    s.Click();
    TsSaveDialog::Runner = nullptr;
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(s.Calls.empty());   // not the open dialog
    EXPECT_EQ(s.Edit->Dialog()->HelpContext(), 42);
    EXPECT_EQ(s.Edit->Text(), L"debug.log");
}
