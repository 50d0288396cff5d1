// A skinned bit button showing an image of the toolkit's alpha list: measured by the list at the
// skin's PPI, its see-through pixels showing the face, half transparent when disabled with the
// blended kind, and the state cell of a strip chosen by the button's state.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skin/controls/salphaimagelist.h"
#include "skin/controls/sbitbtn.h"
#include "skin/controls/scheckbox.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/paint_checks.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/image_fixture.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

constexpr uint32_t Red = 0xC81E28, Green = 0x1EB43C;

// Cells of 16 x 16: the left half of each opaque in its colour, the right half see-through.
std::vector<uint8_t> HalfCells(std::vector<uint32_t> colours)
{
    TPixelImage img(16 * int(colours.size()), 16, 0);
    for (size_t c = 0; c < colours.size(); ++c)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) img.At(int(c) * 16 + x, y) = 0xFF000000u | colours[c];
    return fixture::EncodePng(img, true);
}

uint32_t Cached(TsBitBtn* b, int x, int y) { return ImageFromBitmap32(b->SkinData()->FCacheBmp).At(x, y) & 0xFFFFFFu; }
uint32_t Mix(uint32_t a, uint32_t b)
{
    uint32_t r = 0;
    for (int s : {0, 8, 16}) r |= ((((a >> s) & 0xFF) + ((b >> s) & 0xFF)) / 2) << s;
    return r;
}
bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int s : {0, 8, 16})
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

}  // namespace

TEST(ImageListGlyph, BitButtonDrawsTheAlphaListsImage)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    SetCursorPos(0, 0);   // the button at rest, not hot
    FormPtr form(new TForm(nullptr));
    auto* panel = paint_checks::FillWithTestPanel(form.get(), 200, 120);
    auto* list = new TsAlphaImageList(form.get());
    list->SetSize(32, 16);
    const std::vector<uint8_t> png = HalfCells({Red, Green});
    list->AddPng(png.data(), png.size());
    auto* b = new TsBitBtn(form.get());
    b->SetBounds(20, 30, 100, 40);
    b->SetCaption(L"");
    b->SetParent(panel);
    b->SetImages(list);
    b->SetImageIndex(0);
    b->SetNumGlyphs(2);
    form->Show();
    ::SetFocus(panel->Handle());   // not focused: the button at rest, without its default look
    PumpFor(60);
    auto repaint = [&] {
        b->SkinData()->Invalidate(true);
        PumpFor(30);
    };
    repaint();
    const TRect r = b->ImgRect();
    // The rectangle holds the list's image (the whole strip); one cell of it is drawn.
    EXPECT_EQ(r.Width(), 32);
    EXPECT_EQ(r.Height(), 16);
    const int cx = r.left + 3, cy = r.top + 8, see = r.left + 12;
    const uint32_t face = Cached(b, r.right + 4, cy);   // the face beside the image
    EXPECT_EQ(Cached(b, r.left + 19, cy), face) << "the second cell is not drawn";
    // Full alpha over the face rounds a channel by one at most.
    EXPECT_PRED3(Near, Cached(b, cx, cy), Red, 1) << "normal: the first cell";
    EXPECT_EQ(Cached(b, see, cy), face) << "see-through half shows the face";
    EXPECT_NE(face, Red);

    b->SetDisabledKind(0);   // the face itself stays as it is
    b->SetDisabledGlyphKind(dgBlended);
    b->SetEnabled(false);
    repaint();
    const uint32_t disabledFace = Cached(b, see, cy);
    EXPECT_PRED3(Near, Cached(b, cx, cy), Mix(Red, disabledFace), 3) << "disabled, blended: half of it";
    b->SetEnabled(true);
    repaint();

    b->SetDown(true);
    repaint();
    EXPECT_PRED3(Near, Cached(b, cx + (b->ImgRect().left - r.left), cy + (b->ImgRect().top - r.top)), Green, 1)
        << "down: the next cell";
}

// A skinned check box taking its glyph from the list: image ImgChecked or ImgUnchecked by its
// check state, the first square frame of a strip at rest, and the skin's image again when an
// index is negative.
TEST(ImageListGlyph, CheckBoxTakesItsGlyphFromTheList)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    SetCursorPos(0, 0);
    FormPtr form(new TForm(nullptr));
    auto* panel = paint_checks::FillWithTestPanel(form.get(), 200, 120);
    auto* list = new TsAlphaImageList(form.get());
    list->SetSize(48, 16);
    constexpr uint32_t Blue = 0x2832D2, Yellow = 0xD2C828, Cyan = 0x28C8D2;
    for (const auto& cells : {std::vector<uint32_t>{Red, Green, Blue}, std::vector<uint32_t>{Yellow, Cyan, Green}}) {
        TPixelImage img(48, 16, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 48; ++x) img.At(x, y) = 0xFF000000u | cells[size_t(x / 16)];
        const std::vector<uint8_t> png = fixture::EncodePng(img, true);
        list->AddPng(png.data(), png.size());
    }
    auto* box = new TsCheckBox(form.get());
    box->SetCaption(L"Box");
    box->SetBounds(20, 30, 120, 24);
    box->SetParent(panel);
    box->SetImages(list);
    box->SetImgChecked(0);
    box->SetImgUnchecked(1);
    form->Show();
    ::SetFocus(panel->Handle());
    PumpFor(60);
    auto glyphMiddle = [&] {
        box->SkinData()->Invalidate(true);
        PumpFor(30);
        const TRect r = box->GlyphRect();
        return ImageFromBitmap32(box->SkinData()->FCacheBmp).At((r.left + r.right) / 2, (r.top + r.bottom) / 2) &
               0xFFFFFFu;
    };
    EXPECT_EQ(box->GlyphSize(), TSize(16, 16));
    struct Case {
        const char* what;
        bool checked;
        int imgUnchecked;
        uint32_t want;
        bool listColour;
    } cases[] = {
        {"unchecked: image 1, first frame", false, 1, Yellow, true},
        {"checked: image 0, first frame", true, 1, Red, true},
        {"a negative index: the skin's glyph", false, -1, Yellow, false},
    };
    for (const Case& c : cases) {
        box->SetImgUnchecked(c.imgUnchecked);
        box->SetChecked(c.checked);
        const uint32_t got = glyphMiddle();
        if (c.listColour)
            EXPECT_PRED3(Near, got, c.want, 1) << c.what;
        else
            EXPECT_FALSE(Near(got, c.want, 8)) << c.what;
    }
}
