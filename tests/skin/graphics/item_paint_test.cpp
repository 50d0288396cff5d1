// The skin item painter against the fixture skin the tests generate: every pixel of the painted
// item is predicted from the geometry and the values written into the skin's description, for
// each kind of parent background, transparency, share of texture and gradient, and state.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_info.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/item_paint.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/skin/fixture_skin.h"

namespace fs = fixture_skin;

namespace {

// The fixture skin loaded once through the engine's own loader, made the painters' skin.
class ItemPaintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Bytes = new std::vector<uint8_t>(fs::Packed());
        Source = new TacSkinSource(TacSkinSource::FromPacked(Bytes->data(), Bytes->size()));
        Skin = new TacStandaloneSkin(*Source, 96);
    }
    static void TearDownTestSuite()
    {
        delete Skin;
        delete Source;
        delete Bytes;
    }
    void SetUp() override { Scope = std::make_unique<TacStandalonePaintScope>(*Skin); }
    void TearDown() override { Scope.reset(); }

    static TacSkinData& Data() { return Skin->Data(); }
    static int Index(const String& name) { return Data().SkinIndexOf(name); }
    // Position of a section in the fixture's list (its colours depend on it).
    static int FixtureNumber(const String& name)
    {
        for (int i = 0; i < fs::SectionCount(); ++i)
            if (name == fs::Sections()[size_t(i)].Name) return i;
        return -1;
    }

    static std::vector<uint8_t>* Bytes;
    static TacSkinSource* Source;
    static TacStandaloneSkin* Skin;
    std::unique_ptr<TacStandalonePaintScope> Scope;
};
std::vector<uint8_t>* ItemPaintTest::Bytes = nullptr;
TacSkinSource* ItemPaintTest::Source = nullptr;
TacStandaloneSkin* ItemPaintTest::Skin = nullptr;

// ---- the expected pixels -------------------------------------------------------------------

constexpr uint32_t ByteOf(uint32_t p, int i) { return (p >> (8 * i)) & 0xFF; }
constexpr uint32_t Bytes4(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3) { return b0 | b1 << 8 | b2 << 16 | b3 << 24; }
// Each byte: (a x wa + b x wb) shr 8, the alpha byte given.
uint32_t Mix3(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t alpha)
{
    return Bytes4((ByteOf(a, 0) * wa + ByteOf(b, 0) * wb) >> 8, (ByteOf(a, 1) * wa + ByteOf(b, 1) * wb) >> 8,
                  (ByteOf(a, 2) * wa + ByteOf(b, 2) * wb) >> 8, alpha);
}

enum TParentKind { pkUnknown, pkColor, pkStrips, pkBitmap };
const char* const ParentNames[] = {"unknown", "colour", "colour with strips", "bitmap"};

constexpr TColor ParentFill = 0x3C7A1E;
constexpr int PW = 80, PH = 60;           // the parent's image
const TRect StripWidths(5, 4, 6, 3);      // left, top, right, bottom strips of the parent
constexpr uint32_t ParentPixel(int x, int y) { return Bytes4(uint32_t(x * 3) & 0xFF, uint32_t(y * 4) & 0xFF, 0x40, 0xC0); }

TPixelImage ParentImage()
{
    TPixelImage p(PW, PH);
    for (int y = 0; y < PH; ++y)
        for (int x = 0; x < PW; ++x) p.At(x, y) = ParentPixel(x, y);
    return p;
}

TCacheInfo Background(TParentKind kind, const TPixelImage& parent)
{
    TCacheInfo b;
    switch (kind) {
    case pkUnknown: break;
    case pkColor: b.FillColor = ParentFill; break;
    case pkStrips:
        b.FillColor = ParentFill;
        b.Bmp = parent.View();
        b.X = b.Y = 0;
        b.FillRect = StripWidths;
        break;
    case pkBitmap: b = BuildCacheInfo(parent.View(), 0, 0); break;
    }
    return b;
}

struct TCase {
    TParentKind Parent;
    int T;        // transparency
    int K;        // share set
    int State;
    TPoint Point; // the item's place in the parent
};

// The state's own background at any pixel (all layers are flat).
uint32_t Own(int n, int s, int k)
{
    const uint32_t C = fs::Opaque(fs::StateColor(n, s)), T = fs::Opaque(fs::TextureColor(n, s)),
                   G = fs::Opaque(fs::GradientColor(n, s));
    switch (k) {
    case 1: return Mix3(T, C, 76, 255 - 76, 255);           // texture, colour blended at 30 x 255 div 100
    case 2: return Mix3(G, C, 127, 255 - 127, 255);         // gradient, colour blended at 50 x 255 div 100
    case 3: {                                               // textured gradient, texture weighing 76
        uint32_t out = 0xFF000000u;
        for (int i = 0; i < 3; ++i) out |= ((76 * (int(ByteOf(T, i)) - int(ByteOf(G, i))) + int(ByteOf(G, i)) * 256) >> 8) << (8 * i);
        return out;
    }
    default: return C;
    }
}

// The parent under item pixel (x, y) of a w x h item at point p.
uint32_t ParentUnder(const TCase& c, int x, int y, int w, int h, bool withStrips)
{
    const int px = c.Point.x + x, py = c.Point.y + y;
    switch (c.Parent) {
    case pkBitmap: return ParentPixel(px, py);
    case pkStrips: {
        if (!withStrips) break;
        const int mL = StripWidths.left > c.Point.x ? StripWidths.left - c.Point.x : 0;
        const int mT = StripWidths.top > c.Point.y ? StripWidths.top - c.Point.y : 0;
        const int ex = c.Point.x + w, ey = c.Point.y + h;
        const int mR = PW - StripWidths.right < ex && ex < PW ? ex - (PW - StripWidths.right) : 0;
        const int mB = PH - StripWidths.bottom < ey && ey < PH ? ey - (PH - StripWidths.bottom) : 0;
        if (x < mL || y < mT || x >= w - mR || y >= h - mB) return ParentPixel(px, py);
        break;
    }
    default: break;
    }
    return fs::Opaque(ParentFill);
}

uint32_t ExpectedBackground(const TCase& c, int n, int x, int y, int w, int h)
{
    // A fully transparent state has no texture or gradient share (seen over an unknown parent).
    const uint32_t own = Own(n, c.State, c.T == 100 ? 0 : c.K);
    if (c.Parent == pkUnknown || c.T == 0) return own;
    if (c.T == 100) return ParentUnder(c, x, y, w, h, true);
    if (c.Parent == pkBitmap || c.K != 0) {
        const uint32_t parent = ParentUnder(c, x, y, w, h, false);
        return Mix3(parent, own, 102, 256 - 102, (ByteOf(parent, 3) * 102 + ByteOf(own, 3) * (256 - 102)) >> 8);
    }
    // A plain known colour and a plain state: one colour, the parent weighing 102 of 255.
    return Mix3(fs::Opaque(ParentFill), fs::Opaque(fs::StateColor(n, c.State)), 102, 255 - 102, 255);
}

// The whole item: the border's slices over the background, its key corners showing the parent.
// AlphaKnown False: the key corners of a plain parent are compared by their colour bytes.
uint32_t ExpectedPixel(const TCase& c, int n, int x, int y, int w, int h, bool& alphaKnown)
{
    alphaKnown = true;
    const int col = fs::SliceOf(x, w), row = fs::SliceOf(y, h);
    if (fs::IsKeyCorner(x, y, w, h)) {
        if (c.Parent == pkBitmap) return ParentPixel(c.Point.x + x, c.Point.y + y);
        alphaKnown = false;
        return fs::Opaque(c.Parent == pkUnknown ? TColor(0xFF00FF) : ParentFill);
    }
    if (col != 1 || row != 1) return fs::Opaque(fs::SliceColor(n, c.State, col, row));
    return ExpectedBackground(c, n, x, y, w, h);
}

// ---- the table -----------------------------------------------------------------------------

// The painters that compose a whole item; without corner images, a custom colour or colour
// effects they all paint the same pixels.
enum TItemPainterKind { ipItem, ipSkinDataItem, ipControlItem };
const char* const PainterNames[] = {"PaintItem", "PaintSkinDataItem", "PaintControlItem"};

void PaintWith(TItemPainterKind painter, int index, const TCacheInfo& bg, int state, const TRect& r, TPoint point,
               const TPixelView& v, const TacSkinPaintSource* skin)
{
    switch (painter) {
    case ipItem: PaintItem(index, bg, state, r, point, v, skin); break;
    case ipSkinDataItem: PaintSkinDataItem(index, bg, state, r, point, v, skin, TacItemLook()); break;
    case ipControlItem: PaintControlItem(index, bg, state, r, point, v, skin); break;
    }
}

TEST_F(ItemPaintTest, EveryParentTransparencyShareAndStatePaintsThePredictedPixels)
{
    const TPixelImage parent = ParentImage();
    constexpr int W = 40, H = 30;
    const TPoint points[] = {{2, 1}, {38, 28}};   // over the left and top strips, and the right and bottom ones
    int checked = 0;
    for (int painter = ipItem; painter <= ipControlItem; ++painter)
        for (int kind = pkUnknown; kind <= pkBitmap; ++kind)
            for (int t : {0, 40, 100})
                for (int k = 0; k < 4; ++k)
                    for (int state = 0; state < 3; ++state)
                        for (const TPoint& point : points) {
                            const TCase c{TParentKind(kind), t, k, state, point};
                            const String name = fs::TableSection(t, k);
                            const int n = FixtureNumber(name);
                            ASSERT_GE(Index(name), 0);
                            TPixelImage item(W, H, 0x01020304u);
                            PaintWith(TItemPainterKind(painter), Index(name), Background(c.Parent, parent), state,
                                      item.Bounds(), point, item.View(), &Data());
                            SCOPED_TRACE(testing::Message() << PainterNames[painter] << ": " << ParentNames[kind]
                                                            << " t=" << t << " k=" << k << " state=" << state << " at "
                                                            << point.x << "," << point.y);
                            for (int y = 0; y < H; ++y)
                                for (int x = 0; x < W; ++x) {
                                    bool alphaKnown = true;
                                    const uint32_t want = ExpectedPixel(c, n, x, y, W, H, alphaKnown);
                                    const uint32_t got = item.At(x, y);
                                    const uint32_t mask = alphaKnown ? 0xFFFFFFFFu : 0x00FFFFFFu;
                                    if ((got & mask) != (want & mask)) {
                                        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << got
                                                      << " want " << want;
                                        return;
                                    }
                                }
                            ++checked;
                        }
    EXPECT_GT(checked, 0);
}

// A rectangle inside a larger image: only the rectangle changes, at its place.
TEST_F(ItemPaintTest, ItemInsideALargerImageLeavesTheRestAlone)
{
    const int n = FixtureNumber(L"T40S1");
    TPixelImage image(60, 50, 0x11223344u);
    TCacheInfo plain;
    plain.FillColor = ParentFill;
    const TRect r(7, 9, 47, 39);
    PaintItem(Index(L"T40S1"), plain, 1, r, TPoint(3, 3), image.View(), &Data());
    const TCase c{pkColor, 40, 1, 1, TPoint(3, 3)};
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            if (!r.Contains(TPoint(x, y))) {
                ASSERT_EQ(image.At(x, y), 0x11223344u) << x << "," << y;
                continue;
            }
            bool alphaKnown = true;
            const uint32_t want = ExpectedPixel(c, n, x - r.left, y - r.top, r.Width(), r.Height(), alphaKnown);
            const uint32_t mask = alphaKnown ? 0xFFFFFFFFu : 0x00FFFFFFu;
            ASSERT_EQ(image.At(x, y) & mask, want & mask) << x << "," << y;
        }
}

// A see-through state over a parent image that does not reach under the whole item: where the
// parent has no pixel the item mixes with what the destination held; over itself, with itself.
TEST_F(ItemPaintTest, SeeThroughStateWherePartOfTheParentIsMissing)
{
    const int n = FixtureNumber(L"T40S0");
    const uint32_t own = fs::Opaque(fs::StateColor(n, 0));
    auto mix = [&](uint32_t parent) {
        return Mix3(parent, own, 102, 256 - 102, (ByteOf(parent, 3) * 102 + 255 * (256 - 102)) >> 8);
    };
    TPixelImage parent(12, 10, 0x80402010u);
    TPixelImage item(20, 10, 0x20304050u);
    PaintItemBG(Index(L"T40S0"), BuildCacheInfo(parent.View(), 0, 0), 0, item.Bounds(), TPoint(5, 0), item.View(), &Data());
    EXPECT_EQ(item.At(6, 5), mix(0x80402010u));    // parent column 11
    EXPECT_EQ(item.At(7, 5), mix(0x20304050u));    // past the parent: the destination's own pixel
    EXPECT_EQ(item.At(19, 9), mix(0x20304050u));
    TPixelImage self(9, 5, 0x80402010u);
    PaintItemBG(Index(L"T40S0"), BuildCacheInfo(self.View(), 0, 0), 0, self.Bounds(), TPoint(), self.View(), &Data());
    EXPECT_EQ(self.At(4, 2), mix(0x80402010u));
}

// States are clamped into the section's states, and never below 0 or above 2, whatever the
// section declares (STATES=0 counts as one state).
TEST_F(ItemPaintTest, StatesAreClampedIntoTheSectionsStates)
{
    struct {
        const wchar_t* section;
        int state;
        int drawn;
    } cases[] = {
        {L"BUTTON", 5, 2}, {L"BUTTON", -3, 0}, {L"BUTTON", 1, 1}, {L"PANEL", 2, 0},
        {L"NOSTATES", 0, 0}, {L"NOSTATES", 1, 0}, {L"NOSTATES", 2, 0}, {L"NOSTATES", -1, 0},
    };
    for (const auto& c : cases) {
        const int n = FixtureNumber(c.section);
        TPixelImage item(30, 30);
        PaintItem(Index(c.section), TCacheInfo(), c.state, item.Bounds(), TPoint(), item.View(), &Data());
        EXPECT_EQ(item.At(15, 15), fs::Opaque(fs::StateColor(n, c.drawn))) << ToUtf8(c.section) << " state " << c.state;
        EXPECT_EQ(item.At(15, 1), fs::Opaque(fs::SliceColor(n, c.drawn, 1, 0))) << ToUtf8(c.section) << " state " << c.state;
        // The background alone clamps as well.
        TPixelImage bg(10, 10);
        PaintItemBG(Index(c.section), TCacheInfo(), c.state, bg.Bounds(), TPoint(), bg.View(), &Data());
        EXPECT_EQ(bg.At(5, 5), fs::Opaque(fs::StateColor(n, c.drawn))) << ToUtf8(c.section) << " state " << c.state;
    }
    // A section whose state count is below one in the loaded data (a stand-in section) as well.
    TsGeneralData g;
    g.States = -1;
    EXPECT_EQ(SectionState(g, 2), 0);
    EXPECT_EQ(SectionState(g, -2), 0);
    g.States = 7;
    EXPECT_EQ(SectionState(g, 6), 2);
}

// Corner images go on before the border: only what the border leaves of them shows.
TEST_F(ItemPaintTest, CornerImagesLieUnderTheBorder)
{
    const int n = FixtureNumber(L"CORNERS");
    constexpr int W = 30, H = 20;
    for (int state = 0; state < 3; ++state) {
        TPixelImage item(W, H);
        PaintItem(Index(L"CORNERS"), TCacheInfo(), state, item.Bounds(), TPoint(), item.View(), &Data());
        const TPoint inner[4] = {{fs::Border, fs::Border},
                                 {W - fs::Border - 1, fs::Border},
                                 {fs::Border, H - fs::Border - 1},
                                 {W - fs::Border - 1, H - fs::Border - 1}};
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(item.At(inner[corner].x, inner[corner].y), fs::Opaque(fs::CornerColor(corner, state)))
                << "corner " << corner << " state " << state;
        EXPECT_EQ(item.At(0, fs::Border + 1), fs::Opaque(fs::SliceColor(n, state, 0, 1)));
        EXPECT_EQ(item.At(W / 2, H / 2), fs::Opaque(fs::StateColor(n, state)));
    }
}

// A control's item over its parent's answer puts the corner images over the border; the other
// two put the border over them (its key corners showing the parent).
TEST_F(ItemPaintTest, OnlyTheControlItemPutsTheCornersOverTheBorder)
{
    const int n = FixtureNumber(L"CORNERS");
    constexpr int W = 30, H = 20;
    TCacheInfo plain;
    plain.FillColor = ParentFill;
    for (int painter = ipItem; painter <= ipControlItem; ++painter)
        for (int state = 0; state < 3; ++state) {
            SCOPED_TRACE(testing::Message() << PainterNames[painter] << " state " << state);
            TPixelImage item(W, H);
            PaintWith(TItemPainterKind(painter), Index(L"CORNERS"), plain, state, item.Bounds(), TPoint(), item.View(),
                      &Data());
            const bool over = painter == ipControlItem;
            // Top-left corner image (0..5) against the border (0..3) and its 2 x 2 key corner.
            const uint32_t corner = fs::Opaque(fs::CornerColor(0, state));
            EXPECT_EQ(item.At(fs::Border, fs::Border), corner);
            EXPECT_EQ(item.At(0, fs::Border + 1), over ? corner : fs::Opaque(fs::SliceColor(n, state, 0, 1)));
            EXPECT_EQ(item.At(3, 3), over ? corner : fs::Opaque(fs::SliceColor(n, state, 0, 0)));
            EXPECT_EQ(item.At(1, 1) & 0xFFFFFFu, (over ? corner : fs::Opaque(ParentFill)) & 0xFFFFFFu);
            // Bottom-right corner image likewise.
            const uint32_t br = fs::Opaque(fs::CornerColor(3, state));
            EXPECT_EQ(item.At(W - 1, H - fs::Border - 2), over ? br : fs::Opaque(fs::SliceColor(n, state, 2, 1)));
        }
}

// The link's colour effects run over the whole bitmap (key-colour pixels left alone) after a
// border is drawn; without one (none, or one that draws nothing in state 0) only for a state of
// transparency 0, whatever colour replaces the skin's.
TEST_F(ItemPaintTest, SkinDataItemTintsAfterABorderOrForAnOpaqueState)
{
    enum TBorder { bdDrawn, bdNone, bdNotInState0 };
    struct {
        const wchar_t* section;
        TBorder border;
        int state;
        TColor custom;
        bool borderDrawn;
        bool effects;
    } cases[] = {
        {L"T0S0", bdDrawn, 0, acSkinColor, true, true},
        {L"T40S0", bdDrawn, 1, acSkinColor, true, true},
        {L"T0S0", bdNone, 0, acSkinColor, false, true},
        {L"T40S0", bdNone, 0, acSkinColor, false, false},
        {L"T40S0", bdNone, 2, 0x123456, false, false},
        {L"T0S0", bdNotInState0, 0, acSkinColor, false, true},
        {L"T40S0", bdNotInState0, 0, acSkinColor, false, false},
        {L"T40S0", bdNotInState0, 1, acSkinColor, true, true},
    };
    TacItemLook look;
    look.HueOffset = 120;
    look.Saturation = -40;
    const TRect r(5, 4, 35, 24);
    constexpr uint32_t Outside = 0xFF806040u, Key = 0x00FF00FFu;
    TCacheInfo plain;
    plain.FillColor = ParentFill;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << ToUtf8(c.section) << " border " << int(c.border) << " state " << c.state);
        const int n = FixtureNumber(c.section);
        TsGeneralData& g = Data().gd[size_t(Index(c.section))];
        const int borderIndex = g.BorderIndex;
        TsMaskData& border = Data().ma[size_t(borderIndex)];
        const uint16_t mode = border.DrawMode;
        if (c.border == bdNone) g.BorderIndex = -1;
        if (c.border == bdNotInState0) border.DrawMode = uint16_t(mode | dmNoState0);

        TacItemLook own;
        own.CustomColor = look.CustomColor = c.custom;
        TPixelImage plainItem(40, 28, Outside), got(40, 28, Outside);
        plainItem.At(0, 0) = got.At(0, 0) = Key;
        PaintSkinDataItem(Index(c.section), plain, c.state, r, TPoint(), plainItem.View(), &Data(), own);
        PaintSkinDataItem(Index(c.section), plain, c.state, r, TPoint(), got.View(), &Data(), look);
        g.BorderIndex = borderIndex;
        border.DrawMode = mode;

        const uint32_t slice = fs::Opaque(fs::SliceColor(n, c.state, 1, 0));
        EXPECT_EQ(plainItem.At(20, r.top) == slice, c.borderDrawn);
        if (c.custom != acSkinColor) EXPECT_EQ(plainItem.At(20, 14), fs::Opaque(c.custom));
        TPixelImage want = plainItem;
        if (c.effects) ApplyColorEffects(want.View(), clNone, look.HueOffset, look.Saturation);
        EXPECT_EQ(got.At(0, 0), Key);
        EXPECT_EQ(got.At(1, 1) != Outside, c.effects);   // outside r as well
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y;
    }
}

// The control frame's composition: a custom colour replaces the state and makes it opaque; the
// border of state 0 is left out when the border image says so; a ready parent that is the
// destination itself is not copied onto itself.
TEST_F(ItemPaintTest, SectionFrameTakesTheCustomColourAndTheBorder)
{
    const int n = FixtureNumber(L"T100S0");
    TPixelImage item(30, 20);
    TCacheInfo plain;
    plain.FillColor = ParentFill;
    PaintSectionFrame(Index(L"T100S0"), plain, 1, item.Bounds(), TPoint(), item.View(), &Data(), 0x123456);
    EXPECT_EQ(item.At(15, 10), fs::Opaque(0x123456));
    EXPECT_EQ(item.At(15, 0), fs::Opaque(fs::SliceColor(n, 1, 1, 0)));
    EXPECT_EQ(item.At(0, 0) & 0xFFFFFFu, fs::Opaque(ParentFill) & 0xFFFFFFu);

    TPixelImage self(30, 20, 0xFF445566u);
    PaintSectionFrame(Index(L"T100S0"), BuildCacheInfo(self.View(), 0, 0), 0, self.Bounds(), TPoint(), self.View(),
                      &Data());
    EXPECT_EQ(self.At(15, 10), 0xFF445566u);   // the parent is already there
    EXPECT_EQ(self.At(0, 0), 0xFF445566u);     // key corner keeps it too
    EXPECT_EQ(self.At(15, 0), fs::Opaque(fs::SliceColor(n, 0, 1, 0)));
}

// Nothing is painted for a missing skin, an invalid section, an empty or outside rectangle.
TEST_F(ItemPaintTest, BadArgumentsPaintNothing)
{
    const int button = Index(L"BUTTON");
    struct {
        const char* what;
        int index;
        TRect r;
        bool skin;
    } cases[] = {
        {"no skin data", button, TRect(0, 0, 10, 10), false},
        {"section -1", -1, TRect(0, 0, 10, 10), true},
        {"section past the end", Data().SectionCount(), TRect(0, 0, 10, 10), true},
        {"empty rectangle", button, TRect(5, 5, 5, 9), true},
        {"rectangle past the right", button, TRect(5, 5, 21, 9), true},
        {"rectangle above the top", button, TRect(0, -1, 10, 9), true},
    };
    for (const auto& c : cases) {
        TPixelImage item(20, 20, 0x77777777u);
        const TacSkinPaintSource* skin = c.skin ? &Data() : nullptr;
        PaintItem(c.index, TCacheInfo(), 0, c.r, TPoint(), item.View(), skin);
        PaintItemBG(c.index, TCacheInfo(), 0, c.r, TPoint(), item.View(), skin);
        PaintSectionFrame(c.index, TCacheInfo(), 0, c.r, TPoint(), item.View(), skin);
        bool untouched = true;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) untouched = untouched && item.At(x, y) == 0x77777777u;
        EXPECT_TRUE(untouched) << c.what;
    }
}

// The painters of constant elements and layered pictures say which of them was called without
// skin data, and paint nothing; with skin data nothing is said, also for a bad section. A layered
// paint of no bitmap or an empty rectangle returns before it asks for skin data.
static std::vector<std::wstring> UsageWarnings;

TEST_F(ItemPaintTest, CallsWithoutSkinDataAreReported)
{
    SetPaintUsageWarning([](const wchar_t* text) { UsageWarnings.emplace_back(text); });
    const int button = Index(L"BUTTON");
    const TRect r(0, 0, 10, 10);
    using TPaint = std::function<void(const TPixelView&, const TacSkinPaintSource*, int, const TRect&)>;
    struct Case {
        const char* what;
        TPaint paint;
        const wchar_t* warning;
    } cases[] = {
        {"PaintItemFast", [](const TPixelView& v, const TacSkinPaintSource* s, int i, const TRect& rr) {
             PaintItemFast(i, -1, -1, -1, TCacheInfo(), 0, rr, TPoint(), v, s);
         }, L"Check parameters of the PaintItemFast procedure."},
        {"PaintItemBGFast", [](const TPixelView& v, const TacSkinPaintSource* s, int i, const TRect& rr) {
             PaintItemBGFast(i, -1, -1, TCacheInfo(), 0, rr, TPoint(), v, s);
         }, L"Check parameters of the PaintItemBGFast procedure."},
        {"PaintItem32", [](const TPixelView& v, const TacSkinPaintSource* s, int i, const TRect& rr) {
             PaintItem32(i, 0, rr, v, s);
         }, L"Check parameters of the PaintItem32 procedure."},
        {"PaintItemBG32", [](const TPixelView& v, const TacSkinPaintSource* s, int i, const TRect& rr) {
             PaintItemBG32(i, 0, rr, v, s);
         }, L"Check parameters of the PaintItemBG32 procedure."},
    };
    for (const Case& c : cases) {
        TPixelImage item(20, 20, 0x77777777u);
        UsageWarnings.clear();
        c.paint(item.View(), nullptr, button, r);
        EXPECT_EQ(UsageWarnings, std::vector<std::wstring>{c.warning}) << c.what;
        bool untouched = true;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) untouched = untouched && item.At(x, y) == 0x77777777u;
        EXPECT_TRUE(untouched) << c.what;

        UsageWarnings.clear();
        c.paint(item.View(), &Data(), -1, r);
        EXPECT_TRUE(UsageWarnings.empty()) << c.what << ": a bad section is no usage error";
    }
    UsageWarnings.clear();
    TPixelImage item(20, 20);
    PaintItem32(button, 0, TRect(3, 3, 3, 8), item.View(), nullptr);
    PaintItem32(button, 0, r, TPixelView(), nullptr);
    EXPECT_TRUE(UsageWarnings.empty());
    SetPaintUsageWarning(nullptr);
}

// The render of a section is the control frame's composition over the skin's main colour.
TEST_F(ItemPaintTest, RenderOfASectionIsTheFrameOverTheMainColour)
{
    Scope.reset();   // the render makes its own skin the painters' one
    for (int i = 0; i < fs::SectionCount(); ++i) {
        const String name = fs::Sections()[size_t(i)].Name;
        for (int state = 0; state < 3; ++state) {
            TPixelImage r = RenderSkinSection(*Source, name, state, 33, 21);
            ASSERT_EQ(r.Width(), 33);
            ASSERT_EQ(r.Height(), 21);
            Scope = std::make_unique<TacStandalonePaintScope>(*Skin);
            TPixelImage want(33, 21);
            TCacheInfo plain;
            plain.FillColor = fs::MainColor;
            PaintSectionFrame(Index(name), plain, state, want.Bounds(), TPoint(), want.View(), &Data());
            Scope.reset();
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 33; ++x) ASSERT_EQ(r.At(x, y), want.At(x, y)) << ToUtf8(name) << " " << state;
        }
    }
    EXPECT_THROW(RenderSkinSection(*Source, L"NOSUCHSECTION", 0, 10, 10), Exception);
    EXPECT_THROW(RenderSkinSection(*Source, L"BUTTON", 0, 0, 10), Exception);
}

// Layers the fixture skin has none of, on records made here: a whole-background gradient goes
// over the finished background whatever the shares and the transparency; a masked texture of
// mode 10 lies over every layer, the normal state's own or the one given for the others, also
// under a custom colour.
TEST(ItemPaintLayers, WholeBackgroundGradientAndMaskedOverlay)
{
    TFakePaintSource skin;
    // A 4 x 4 texture at (0, 0) with its mask below: black (shows the texture) but for pixel (3, 3).
    skin.Master = TPixelImage(8, 8, 0xFF000000u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) skin.Master.At(x, y) = 0xFF2060A0u;
    skin.Master.At(3, 7) = 0xFFFFFFFFu;
    TsMaskData tex;
    tex.Manager = skin.Manager();
    tex.R = TRect(0, 0, 4, 8);
    tex.MaskType = 1;
    tex.DrawMode = 10;
    tex.Width = 4;
    tex.Height = 4;
    tex.ImgType = TacImgType::itisaTexture;
    skin.Images = {tex};
    TsGeneralData g;
    g.BorderIndex = -1;
    for (TsGenState& st : g.Props) {
        st.Color = 0x0000C0;
        st.Transparency = 100;
        st.TextureIndex = -1;
        st.GradientArray = {TsGradPoint{0, 0x20, TsColor{0x00306090u}, 0}, TsGradPoint{1, 0, TsColor{0x00306090u}, 100}};
    }
    skin.Sections = {g};
    g.Props[0].GradientArray.clear();
    g.Props[0].TextureIndex = 0;
    skin.Sections.push_back(g);
    TFakePaintSource::TInstall install(&skin);

    TCacheInfo plain;
    plain.FillColor = 0x00FF00;
    TPixelImage item(12, 8);
    PaintItem(0, plain, 0, item.Bounds(), TPoint(), item.View(), &skin);
    EXPECT_EQ(item.At(6, 4), 0xFF906030u);   // the gradient over the parent's green, not the green

    struct {
        const char* what;
        int state, texIndex, activeTexIndex;
        TColor custom;
        uint32_t at11;
    } cases[] = {
        {"state 0: its own texture", 0, -1, -1, acSkinColor, 0xFF2060A0u},
        {"state 1 without an active texture: its whole gradient", 1, -1, -1, acSkinColor, 0xFF906030u},
        {"state 1 with the texture given", 1, -1, 0, acSkinColor, 0xFF2060A0u},
        {"a custom colour keeps the overlay", 0, -1, -1, 0x000080, 0xFF2060A0u},
    };
    for (const auto& c : cases) {
        TPixelImage img(12, 8);
        PaintItemBG(1, plain, c.state, img.Bounds(), TPoint(), img.View(), &skin, c.texIndex, c.activeTexIndex, c.custom);
        EXPECT_EQ(img.At(1, 1), c.at11) << c.what;
        // Masked out by white: the custom colour (red 0x80) mixed at 255 of 256 with the texture's 0x20.
        if (c.custom != acSkinColor) {
            EXPECT_EQ(img.At(3, 3) & 0xFFFFFFu, 0x7F0000u) << c.what;
        }
    }
}

// The control's colour effects skip the key colour; a hue shift below zero turns the other way
// round the circle.
TEST(ColorEffects, ToneHueAndSaturationSkipTheKey)
{
    TPixelImage img(2, 1);
    img.At(0, 0) = 0xFFFF0000u;   // red
    img.At(1, 0) = 0x00FF00FFu;   // the key
    ApplyColorEffects(img.View(), clNone, -90, 0);
    EXPECT_EQ(img.At(0, 0), 0xFF7F00FFu);   // purple (hue 270), not magenta
    EXPECT_EQ(img.At(1, 0), 0x00FF00FFu);
    ApplyColorEffects(img.View(), clNone, 0, 0);
    EXPECT_EQ(img.At(0, 0), 0xFF7F00FFu);
}

}  // namespace
