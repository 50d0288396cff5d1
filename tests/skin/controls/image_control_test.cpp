// The image control: a list image stretched, centred and kept proportional, its natural size at a
// PPI, the room a reflection takes, blend and grey, a see-through picture, the list's removal, the
// control composing over what its parent painted in a real window, over a skinned panel's image
// with its own section, the parent's answers, and the skin questions it answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "skin/controls/salphaimagelist.h"
#include "skin/controls/simage.h"
#include "skin/controls/spanel.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/skin_commands.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/flat_bitmap.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/image_fixture.h"
#include "tests/vcl/form_ptr.h"

namespace {

constexpr uint32_t Red = 0xFF0000, White = 0xFFFFFF, Back = 0x204060;

// An image control measuring list images at a PPI of the test's choosing.
class TImageAtPPI : public TsImage {
public:
    TImageAtPPI(TComponent* owner, int ppi) : TsImage(owner), FPPI(ppi) {}

protected:
    int ImagePPI() override { return FPPI; }

private:
    int FPPI;
};

std::vector<uint8_t> FlatPng(int w, int h, uint32_t colour)
{
    TPixelImage img(w, h, 0xFF000000u | colour);
    return fixture::EncodePng(img, true);
}

using flat_bitmap::Near;
using flat_bitmap::Rgb;
using flat_bitmap::FlatBitmap32;

// Where the image shows along row `at` (alongRow) or column `at`, as [first, last]; {-1, -1}
// for none.
std::pair<int, int> ImageSpan(TBitmap* b, bool alongRow, int at)
{
    int first = -1, last = -1;
    const int n = alongRow ? b->Width() : b->Height();
    for (int i = 0; i < n; ++i)
        if (!Near(alongRow ? Rgb(b, i, at) : Rgb(b, at, i), Back, 8)) {
            if (first < 0) first = i;
            last = i;
        }
    return {first, last};
}

struct TListFixture {
    TsAlphaImageList List;
    TListFixture(int itemSize)
    {
        List.SetSize(16, 16);
        const std::vector<uint8_t> png = FlatPng(itemSize, itemSize, Red);
        List.AddPng(png.data(), png.size());
    }
};

}  // namespace

TEST(ImageControl, StretchedListImagePlaces)
{
    TListFixture f(512);
    struct Case {
        const char* what;
        bool proportional, reflected;
        int w, h;
        std::pair<int, int> cols, rows;
    } cases[] = {
        {"stretched over the whole control", false, false, 38, 36, {0, 37}, {0, 35}},
        {"proportional: square, centred", true, false, 38, 36, {1, 36}, {0, 35}},
        {"proportional in a tall control", true, false, 20, 40, {0, 19}, {10, 29}},
    };
    for (const Case& c : cases) {
        TsImage image(nullptr);
        image.SetBounds(0, 0, c.w, c.h);
        image.SetImages(&f.List);
        image.SetImageIndex(0);
        image.SetStretch(true);
        image.SetCenter(true);
        image.SetProportional(c.proportional);
        auto bg = FlatBitmap32(c.w, c.h, Back);
        const int before = TsAlphaImageList::Decodes;
        image.ComposeImage(bg.get());
        EXPECT_EQ(TsAlphaImageList::Decodes - before, 1) << c.what << ": decoded once at its own size";
        EXPECT_EQ(ImageSpan(bg.get(), true, c.h / 2), c.cols) << c.what;
        EXPECT_EQ(ImageSpan(bg.get(), false, c.w / 2), c.rows) << c.what;
        EXPECT_PRED3(Near, Rgb(bg.get(), c.w / 2, c.h / 2), Red, 8) << c.what;
        // 512 x 512 is not the list's size: nothing of it is kept.
        EXPECT_EQ(f.List.Items()->Items(0)->CacheBmp, nullptr) << c.what;
    }
}

TEST(ImageControl, TheImageAsDrawnIsKeptUntilTheListOrTheSizeChanges)
{
    TListFixture f(512);
    TsImage image(nullptr);
    image.SetBounds(0, 0, 38, 36);
    image.SetImages(&f.List);
    image.SetImageIndex(0);
    image.SetStretch(true);
    struct Step {
        const char* what;
        std::function<void()> change;
        int decodes;
    } steps[] = {
        {"first paint", [] {}, 1},
        {"second paint", [] {}, 0},
        {"another size", [&] { image.SetBounds(0, 0, 30, 30); }, 1},
        {"the list changes", [&] {
             const std::vector<uint8_t> png = FlatPng(8, 8, 0x00FF00);
             f.List.AddPng(png.data(), png.size());
         }, 1},
        {"another image", [&] { image.SetImageIndex(1); }, 1},
        {"back to the first", [&] { image.SetImageIndex(0); }, 1},
    };
    for (const Step& s : steps) {
        s.change();
        auto bg = FlatBitmap32(image.Width(), image.Height(), Back);
        const int before = TsAlphaImageList::Decodes;
        image.ComposeImage(bg.get());
        EXPECT_EQ(TsAlphaImageList::Decodes - before, s.decodes) << s.what;
        EXPECT_FALSE(Near(Rgb(bg.get(), image.Width() / 2, image.Height() / 2), Back, 8)) << s.what;
    }
}

TEST(ImageControl, ReflectionKeepsRoomBelowAStretchedImage)
{
    TListFixture f(512);
    TsImage image(nullptr);
    image.SetBounds(0, 0, 30, 30);
    image.SetImages(&f.List);
    image.SetImageIndex(0);
    image.SetStretch(true);
    image.SetReflected(true);
    auto bg = FlatBitmap32(30, 30, Back);
    image.ComposeImage(bg.get());
    // The image takes the top two thirds; the mirror image fades in below it.
    EXPECT_PRED3(Near, Rgb(bg.get(), 15, 19), Red, 8);
    EXPECT_FALSE(Near(Rgb(bg.get(), 15, 21), Red, 16));
    EXPECT_FALSE(Near(Rgb(bg.get(), 15, 21), Back, 4));
}

TEST(ImageControl, NaturalSizeAtAPPI)
{
    TListFixture f(16);
    struct Case {
        const char* what;
        int ppi;
        bool full, reflected;
        int w, h;
    } cases[] = {
        {"96", 96, false, false, 16, 16},
        {"120", 120, false, false, 20, 20},
        {"120, reflection counted", 120, true, true, 20, 30},
        {"120, reflection not counted", 120, false, true, 20, 20},
        {"144", 144, false, false, 24, 24},
    };
    for (const Case& c : cases) {
        TImageAtPPI image(nullptr, c.ppi);
        image.SetUseFullSize(c.full);
        image.SetReflected(c.reflected);
        image.SetImages(&f.List);
        image.SetImageIndex(0);
        image.SetAutoSize(true);
        EXPECT_EQ(image.Width(), c.w) << c.what;
        EXPECT_EQ(image.Height(), c.h) << c.what;
    }
}

TEST(ImageControl, BlendAndGrey)
{
    TListFixture f(16);
    struct Case {
        const char* what;
        int blend;
        bool grayed;
    } cases[] = {{"opaque", 0, false}, {"blend 100: nothing", 100, false}, {"greyed", 0, true}};
    for (const Case& c : cases) {
        TsImage image(nullptr);
        image.SetBounds(0, 0, 16, 16);
        image.SetImages(&f.List);
        image.SetImageIndex(0);
        image.SetBlend(c.blend);
        image.SetGrayed(c.grayed);
        auto bg = FlatBitmap32(16, 16, Back);
        image.ComposeImage(bg.get());
        const uint32_t p = Rgb(bg.get(), 8, 8);
        if (c.blend == 100) {
            EXPECT_EQ(p, Back) << c.what;
        } else if (c.grayed) {
            EXPECT_PRED3(Near, p, (p & 0xFF) * 0x010101u, 2) << c.what;
            EXPECT_NE(p, Back) << c.what;
        } else {
            EXPECT_PRED3(Near, p, Red, 4) << c.what;
        }
    }
}

TEST(ImageControl, SeeThroughPictureAndTheListsRemoval)
{
    // A 24-bit picture whose bottom-left colour (white) shows what lies behind.
    auto pic = std::make_unique<TBitmap>();
    pic->SetPixelFormat(pf24bit);
    pic->SetSize(10, 10);
    pic->Canvas()->Brush()->SetColor(clWhite);
    pic->Canvas()->FillRect(TRect(0, 0, 10, 10));
    pic->Canvas()->Brush()->SetColor(TColor(0x0000FF));   // red as a TColor
    pic->Canvas()->FillRect(TRect(2, 2, 8, 8));
    TsImage image(nullptr);
    image.SetBounds(0, 0, 10, 10);
    image.Picture()->SetGraphic(pic.get());
    image.SetTransparent(true);
    auto bg = FlatBitmap32(10, 10, Back);
    image.ComposeImage(bg.get());
    EXPECT_EQ(Rgb(bg.get(), 0, 0), Back);
    EXPECT_PRED3(Near, Rgb(bg.get(), 5, 5), Red, 2);
    image.SetTransparent(false);
    bg = FlatBitmap32(10, 10, Back);
    image.ComposeImage(bg.get());
    EXPECT_PRED3(Near, Rgb(bg.get(), 0, 0), White, 2);

    // The list shown goes away: the control forgets it and shows its picture again.
    auto list = std::make_unique<TsAlphaImageList>();
    list->SetSize(16, 16);
    const std::vector<uint8_t> png = FlatPng(16, 16, 0x00FF00);
    list->AddPng(png.data(), png.size());
    image.SetImages(list.get());
    image.SetImageIndex(0);
    EXPECT_FALSE(image.Empty());
    list.reset();
    EXPECT_EQ(image.Images(), nullptr);
    bg = FlatBitmap32(10, 10, Back);
    image.ComposeImage(bg.get());
    EXPECT_PRED3(Near, Rgb(bg.get(), 5, 5), Red, 2);
}

// A 32-bit picture whose alpha is 0 everywhere is an opaque picture saved without alpha, unless
// the manager says pictures are to be taken as they are (CheckEmptyAlpha off): then it is fully
// see-through. A picture with alpha of its own keeps it either way.
TEST(ImageControl, EmptyAlphaOfA32BitPicture)
{
    auto picture = [](uint8_t alpha) {
        auto pic = std::make_unique<TBitmap>();
        pic->SetPixelFormat(pf32bit);
        pic->SetSize(10, 10);
        const TPixelView v = BitmapView(pic.get());
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) v.At(x, y) = (uint32_t(x < 5 ? alpha : 0) << 24) | Red;
        // Without alpha, the colour of the bottom-left pixel stays see-through.
        v.At(0, 9) = White;
        pic->PixelsChanged();
        return pic;
    };
    struct Case {
        const char* what;
        bool manager, check;
        uint8_t alpha;
        uint32_t left, right;   // the picture's left and right half as composed over Back
    } cases[] = {
        {"no manager: made opaque", false, false, 0, Red, Red},
        {"manager checks: made opaque", true, true, 0, Red, Red},
        {"manager trusts the alpha", true, false, 0, Back, Back},
        {"own alpha, manager checks", true, true, 255, Red, Back},
        {"own alpha, no manager", false, false, 255, Red, Back},
    };
    for (const Case& c : cases) {
        TManagerPtr m = c.manager ? ManagerWithSkin(L"") : nullptr;
        if (m) m->Options()->SetCheckEmptyAlpha(c.check);
        auto pic = picture(c.alpha);
        TsImage image(nullptr);
        image.SetBounds(0, 0, 10, 10);
        image.Picture()->SetGraphic(pic.get());
        auto bg = FlatBitmap32(10, 10, Back);
        image.ComposeImage(bg.get());
        EXPECT_PRED3(Near, Rgb(bg.get(), 2, 5), c.left, 2) << c.what;
        EXPECT_PRED3(Near, Rgb(bg.get(), 8, 5), c.right, 2) << c.what;
        EXPECT_PRED3(Near, Rgb(bg.get(), 0, 9), Back, 2) << c.what;
    }
}

TEST(ImageControl, ComposesOverWhatTheParentPainted)
{
    TListFixture f(16);
    FormPtr form(new TForm(nullptr));
    form->SetBounds(100, 100, 200, 150);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 120, 80);
    panel->SetBevelOuter(bvNone);
    panel->SetParentBackground(false);
    panel->SetColor(TColor(0x604020));   // Back as a TColor
    auto* image = new TsImage(form.get());
    image->SetParent(panel);
    image->SetImages(&f.List);
    image->SetImageIndex(0);
    image->SetAutoSize(true);
    image->SetBounds(30, 20, 16, 16);
    form->Show();
    testing_support::PumpFor(200);
    auto shot = testing_support::CaptureWindow(panel->Handle());
    ASSERT_TRUE(shot && !shot->Empty());
    testing_support::SaveArtifact(*shot, L"image_control_over_panel");
    EXPECT_EQ(uint32_t(testing_support::PixelAt(*shot, 29, 28)), 0x604020u);
    EXPECT_LE(testing_support::ColorDistance(testing_support::PixelAt(*shot, 30, 20), TColor(0x0000FF)), 2);
    EXPECT_LE(testing_support::ColorDistance(testing_support::PixelAt(*shot, 45, 35), TColor(0x0000FF)), 2);
    EXPECT_EQ(uint32_t(testing_support::PixelAt(*shot, 46, 28)), 0x604020u);
}

namespace {

namespace fs = fixture_skin;
using testing_support::PixelAt;
using testing_support::PumpFor;

// A 16 x 16 list image: red in its middle (4..11), fully see-through around it, so what the
// control composed under the image shows in the margin.
struct TRingList {
    TsAlphaImageList List;
    TRingList()
    {
        List.SetSize(16, 16);
        TPixelImage img(16, 16, 0);
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x) img.At(x, y) = 0xFF000000u | Red;
        const std::vector<uint8_t> png = fixture::EncodePng(img, true);
        List.AddPng(png.data(), png.size());
    }
};

TsImage* RingImage(TComponent* owner, TWinControl* parent, TCustomImageList* list, int x, int y)
{
    auto* image = new TsImage(owner);
    image->SetBounds(x, y, 16, 16);
    if (list) {
        image->SetImages(list);
        image->SetImageIndex(0);
    }
    image->SetParent(parent);
    return image;
}

// A plain panel that answers its children's background question as the test says.
class TAnsweringPanel : public TPanel {
public:
    using TPanel::TPanel;
    uint8_t Kind = bgNone;
    TColor Answer = 0;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmGetBackground && m.LParam && Kind != bgNone) {
            auto& q = *reinterpret_cast<TacBgQuery*>(m.LParam);
            q.Kind = Kind;
            q.Color = Answer;
            return;
        }
        TPanel::WndProc(m);
    }
};

}  // namespace

// On a skinned panel the image composes over the panel's own image (not over black, see-through
// or not), paints its SkinSection behind the image, and an empty image shows its section or,
// without one, nothing at all.
TEST(ImageControl, OverASkinnedPanelWithAndWithoutASection)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TRingList ring;
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(140, 140, 200, 100);
    auto* panel = new TsPanel(form.get());
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(form.get());
    TsImage* plain = RingImage(form.get(), panel, &ring.List, 10, 10);
    TsImage* seeThrough = RingImage(form.get(), panel, &ring.List, 40, 10);
    seeThrough->SetTransparent(true);
    TsImage* sectioned = RingImage(form.get(), panel, &ring.List, 70, 10);
    sectioned->SkinData()->SetSkinSection(L"CHECKBOX");
    TsImage* emptySectioned = RingImage(form.get(), panel, nullptr, 100, 10);
    emptySectioned->SkinData()->SetSkinSection(L"CHECKBOX");
    TsImage* empty = RingImage(form.get(), panel, nullptr, 130, 10);
    form->Show();
    PumpFor(100);
    RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(30);
    testing_support::SaveScreenshot(panel->Handle(), L"image_control_fixture");
    const TColor panelBg = fs::StateColor(fs::SectionNumber(L"PANEL"), 0);
    const TColor boxBg = fs::StateColor(fs::SectionNumber(L"CHECKBOX"), 0);
    ASSERT_EQ(PixelAt(panel->Handle(), 100, 60), panelBg);
    ASSERT_EQ(plain->SkinData()->SkinIndex, m->GetSkinIndex(L"TRANSPARENT"));
    const TColor red = TColor(0x0000FF);
    struct Case {
        const char* what;
        TsImage* image;
        TColor margin, middle;
    } cases[] = {
        {"opaque control", plain, panelBg, red},
        {"see-through control", seeThrough, panelBg, red},
        {"section behind the image", sectioned, boxBg, red},
        {"empty, with a section", emptySectioned, boxBg, boxBg},
        {"empty, no section: the panel", empty, panelBg, panelBg},
    };
    for (const Case& c : cases) {
        const int x = c.image->Left(), y = c.image->Top();
        EXPECT_EQ(PixelAt(panel->Handle(), x + 1, y + 1), c.margin) << c.what;
        EXPECT_EQ(PixelAt(panel->Handle(), x + 14, y + 14), c.margin) << c.what;
        EXPECT_LE(testing_support::ColorDistance(PixelAt(panel->Handle(), x + 8, y + 8), c.middle), 2) << c.what;
    }
}

// What the parent answers decides the background: a colour is filled, the key colour and no
// answer take what the parent painted, and while the parent is not ready the last image stays
// and the control waits.
TEST(ImageControl, TheParentsAnswerIsTheBackground)
{
    TRingList ring;
    constexpr TColor painted = TColor(0x604020), answered = TColor(0x3060A0);
    struct Case {
        const char* what;
        uint8_t kind;
        TColor answer, margin;
        bool stdTransparency = false;   // the manager's option: the parent is not asked
    } cases[] = {
        {"no answer", bgNone, 0, painted},
        {"a colour", bgColor, answered, answered},
        {"the key colour", bgColor, TColor(0xFF00FF), painted},
        {"a colour, not asked", bgColor, answered, painted, true},
    };
    for (const Case& c : cases) {
        TManagerPtr m = c.stdTransparency ? ManagerWithSkin(L"") : nullptr;
        if (m) m->Options()->SetStdImgTransparency(true);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 100, 60);
        auto* panel = new TAnsweringPanel(form.get());
        panel->SetBevelOuter(bvNone);
        panel->SetParentBackground(false);
        panel->SetColor(painted);
        panel->SetBounds(0, 0, 100, 60);
        panel->SetParent(form.get());
        panel->Kind = c.kind;
        panel->Answer = c.answer;
        TsImage* image = RingImage(form.get(), panel, &ring.List, 20, 20);
        form->Show();
        PumpFor(60);
        RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(20);
        EXPECT_EQ(PixelAt(panel->Handle(), 21, 21), c.margin) << c.what;
        EXPECT_LE(testing_support::ColorDistance(PixelAt(panel->Handle(), 28, 28), TColor(0x0000FF)), 2) << c.what;
        EXPECT_EQ(PixelAt(panel->Handle(), 10, 10), painted) << c.what;

        if (c.stdTransparency) continue;
        // The parent is busy now: nothing is composed, the last image is kept.
        panel->Kind = bgNotReady;
        TsCommonData* link = image->SkinData();
        std::unique_ptr<TBitmap> other(FlatBitmap32(16, 16, 0x00FF00));
        EXPECT_FALSE(image->PrepareCache(other->Canvas()->Handle())) << c.what;
        EXPECT_TRUE(link->FUpdating) << c.what;
        EXPECT_EQ(TColor(SwapRedBlue(Rgb(link->FCacheBmp, 1, 1))), c.margin) << c.what;
    }
}

// The skin questions a picture control answers, with and without an active skin.
TEST(ImageControl, AnswersTheSkinQuestions)
{
    auto pic = std::make_unique<TBitmap>();
    pic->SetPixelFormat(pf24bit);
    pic->SetSize(16, 16);
    struct Case {
        const char* what;
        const wchar_t* skin;   // nullptr: no manager
        bool transparent;
        LRESULT isOpaque;
        bool defaultIndex;     // answers the skin's TRANSPARENT section
    } cases[] = {
        {"skin, opaque picture", L"Fixture", false, 1, true},
        {"skin, see-through picture", L"Fixture", true, 1, true},
        {"no manager, opaque picture", nullptr, false, 0, false},
        {"no manager, see-through picture", nullptr, true, 1, false},
    };
    for (const Case& c : cases) {
        TManagerPtr m = c.skin ? ManagerWithSkin(c.skin) : nullptr;
        FormPtr form(new TForm(nullptr));
        form->SetBounds(140, 140, 100, 60);
        auto* image = new TsImage(form.get());
        image->SetBounds(0, 0, 16, 16);
        image->Picture()->SetGraphic(pic.get());
        image->SetTransparent(c.transparent);
        image->SetParent(form.get());
        EXPECT_EQ(SendSkinCommandToControl(image, scmIsOpaque, 0), c.isOpaque) << c.what;
        const LRESULT index = SendSkinCommandToControl(image, scmGetDefaultIndex, 0);
        if (c.defaultIndex) {
            ASSERT_GE(m->GetSkinIndex(L"TRANSPARENT"), 0);
            EXPECT_EQ(index, m->GetSkinIndex(L"TRANSPARENT") + 1) << c.what;
            EXPECT_EQ(SendSkinCommandToControl(image, scmIsSkinned, 0), 1) << c.what;
        } else {
            EXPECT_EQ(index, 0) << c.what;
        }
    }
}
