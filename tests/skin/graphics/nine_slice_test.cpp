// Skin images in nine slices and single frames on a fixture image made here: every piece of every
// frame is one flat colour, so each destination pixel must be the piece its geometry puts there.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/nine_slice.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

constexpr uint32_t Key = 0x00FF00FFu;
constexpr uint32_t Behind = 0x11223344u;   // what the destination holds before painting

// Piece p (row x 3 + column: 0 top-left ... 4 centre ... 8 bottom-right) of frame f.
uint32_t PieceColour(int frame, int piece, uint8_t alpha = 255)
{
    return Bgra(uint8_t(20 + 60 * frame), uint8_t(10 + 25 * piece), 0x80, alpha);
}

struct TFixture {
    TFakePaintSource Skin;
    TsMaskData Mask;
    TFakePaintSource::TInstall Install{&Skin};

    // frames of w x h with borders l, t, r, b; masked: a black mask part below (optionally grey
    // at the centre); the corners' outermost pixels are see-through when keyCorners.
    TFixture(int frames, int w, int h, int l, int t, int r, int b, uint16_t drawMode, int maskType = 0,
             bool keyCorners = false, uint8_t alpha = 255)
    {
        const int parts = maskType + 1;
        Skin.Master.Resize(frames * w, h * parts, 0);
        for (int f = 0; f < frames; ++f)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int col = x < l ? 0 : x >= w - r ? 2 : 1, row = y < t ? 0 : y >= h - b ? 2 : 1;
                    Skin.Master.At(f * w + x, y) = PieceColour(f, row * 3 + col, alpha);
                    if (maskType) Skin.Master.At(f * w + x, y + h) = 0xFF000000u;   // black: the image shows
                }
        if (keyCorners)
            for (int f = 0; f < frames; ++f) {
                Skin.Master.At(f * w, 0) = Key;
                Skin.Master.At(f * w + w - 1, 0) = Key;
                Skin.Master.At(f * w, h - 1) = Key;
                Skin.Master.At(f * w + w - 1, h - 1) = Key;
            }
        Mask.Manager = Skin.Manager();
        Mask.R = TRect(0, 0, frames * w, h * parts);
        Mask.ImageCount = int16_t(frames);
        Mask.MaskType = int16_t(maskType);
        Mask.DrawMode = drawMode;
        Mask.WL = int16_t(l);
        Mask.WT = int16_t(t);
        Mask.WR = int16_t(r);
        Mask.WB = int16_t(b);
        Mask.Width = w;
        Mask.Height = h;
        Mask.Cfg = keyCorners ? 1 : 0;
    }
};

// The piece the geometry puts at (x, y) of r, -1 outside r or where nothing is painted.
int ExpectedPiece(const TsMaskData& m, const TRect& r, int x, int y)
{
    if (!r.Contains(TPoint(x, y))) return -1;
    const TRect bw = ReducedBorders(m, r.Width(), r.Height());
    const int col = x < r.left + bw.left ? 0 : x >= r.right - bw.right ? 2 : 1;
    const int row = y < r.top + bw.top ? 0 : y >= r.bottom - bw.bottom ? 2 : 1;
    const int cw = m.Width - bw.left - bw.right, ch = m.Height - bw.top - bw.bottom;
    if (col == 1 && cw == 0) return -1;
    if (row == 1 && ch == 0) return -1;
    if (col == 1 && row == 1 && !(m.DrawMode & dmFillCenter)) return -1;
    return row * 3 + col;
}

// Paints and compares every pixel of a 40 x 30 destination; want(piece) gives the pixel of a piece.
void ExpectNineSlice(const TsMaskData& m, const TRect& r, int state, const std::function<uint32_t(int)>& want,
                     const char* what)
{
    TPixelImage dest(40, 30, Behind);
    DrawSkinMask32(dest.View(), r, EmptyCacheInfo, m, state, false);
    int wrong = 0;
    for (int y = 0; y < dest.Height(); ++y)
        for (int x = 0; x < dest.Width(); ++x) {
            const int piece = ExpectedPiece(m, r, x, y);
            const uint32_t expected = piece < 0 ? Behind : want(piece);
            if (dest.At(x, y) != expected && ++wrong <= 3)
                ADD_FAILURE() << what << ": pixel " << PixelAt(x, y) << " piece " << piece << " is " << std::hex
                              << dest.At(x, y) << ", want " << expected;
        }
    EXPECT_EQ(wrong, 0) << what;
}

}  // namespace

TEST(NineSlice, EveryPixelIsThePieceItsGeometryPutsThere)
{
    struct Case {
        const char* what;
        uint16_t drawMode;
        TRect r;
        int state, frame;
    } cases[] = {
        {"tiled", dmFillCenter, TRect(3, 2, 33, 25), 1, 1},
        {"stretched", dmFillCenter | dmStretch, TRect(3, 2, 33, 25), 2, 2},
        {"frame only", 0, TRect(0, 0, 40, 30), 0, 0},
        {"smaller than the image", dmFillCenter, TRect(5, 5, 11, 9), 0, 0},
        {"state past the frames", dmFillCenter, TRect(1, 1, 20, 20), 7, 2},
        {"state below 0", dmFillCenter, TRect(1, 1, 20, 20), -3, 0},
        {"hot-only image, hot state", dmFillCenter | dmNoState0, TRect(1, 1, 20, 20), 1, 1},
        {"partly outside the destination", dmFillCenter, TRect(-7, 20, 37, 45), 0, 0},
    };
    for (const auto& c : cases) {
        TFixture f(3, 9, 7, 2, 2, 3, 1, c.drawMode);
        ExpectNineSlice(f.Mask, c.r, c.state, [&](int piece) { return PieceColour(c.frame, piece); }, c.what);
    }
}

TEST(NineSlice, NothingIsPaintedForHotOnlyState0OrTooSmallRectangles)
{
    TFixture f(2, 9, 7, 2, 2, 3, 1, dmFillCenter | dmNoState0);
    for (TRect r : {TRect(0, 0, 20, 20), TRect(0, 0, 1, 20), TRect(0, 0, 20, 1)}) {
        const int state = r.Width() == 20 && r.Height() == 20 ? 0 : 1;
        TPixelImage dest(20, 20, Behind);
        DrawSkinMask32(dest.View(), r, EmptyCacheInfo, f.Mask, state, false);
        EXPECT_TRUE(UntouchedOutside(dest, TRect(), Behind)) << r.right << "x" << r.bottom;
    }
    TsMaskData noManager = f.Mask;
    noManager.Manager = nullptr;
    TPixelImage dest(20, 20, Behind);
    DrawSkinMask32(dest.View(), dest.Bounds(), EmptyCacheInfo, noManager, 1, false);
    EXPECT_TRUE(UntouchedOutside(dest, TRect(), Behind));
}

TEST(NineSlice, NarrowRectanglesShareTheExcessAndCornersMeetInside)
{
    struct Case { int wl, wr, width, l, rb; } cases[] = {
        {30, 20, 40, 25, 15},   // excess 10, 5 off each
        {30, 21, 40, 25, 15},   // excess 11, the odd pixel off the right
        {30, 2, 10, 10, 0},     // the reduction alone leaves 19 on the left: capped inside
        {2, 30, 10, 0, 10},
        {5, 5, 20, 5, 5},       // wide enough: unchanged
    };
    for (auto c : cases) {
        TsMaskData m;
        m.WL = int16_t(c.wl);
        m.WR = int16_t(c.wr);
        const TRect b = ReducedBorders(m, c.width, 10);
        EXPECT_EQ(b.left, c.l) << c.wl << "/" << c.wr << " in " << c.width;
        EXPECT_EQ(b.right, c.rb) << c.wl << "/" << c.wr << " in " << c.width;
    }
    // Painted: the left 25 columns of the left corners and the right 15 of the right ones.
    TFixture wide(1, 60, 6, 30, 2, 20, 2, dmFillCenter);
    ExpectNineSlice(wide.Mask, TRect(0, 0, 40, 10), 0, [](int piece) { return PieceColour(0, piece); }, "40 of 50");
    // WL 30, WR 2 into 10 columns: every column is the left corner's, none beyond the rectangle.
    TFixture uneven(1, 40, 6, 30, 2, 2, 2, dmFillCenter);
    TPixelImage dest(30, 10, Behind);
    DrawSkinMask32(dest.View(), TRect(10, 0, 20, 10), EmptyCacheInfo, uneven.Mask, 0, false);
    EXPECT_TRUE(UntouchedOutside(dest, TRect(10, 0, 20, 10), Behind));
    EXPECT_EQ(dest.At(19, 0), PieceColour(0, 0));
}

TEST(NineSlice, KeyedMaskedAndAlphaImages)
{
    {
        // Keyed: see-through corner pixels stay key-coloured without the fill; sides are plain copies.
        TFixture f(1, 9, 7, 2, 2, 3, 1, dmFillCenter, 0, true);
        TPixelImage dest(20, 20, 0);
        DrawSkinMask32(dest.View(), TRect(0, 0, 20, 20), EmptyCacheInfo, f.Mask, 0, false);
        EXPECT_EQ(dest.At(0, 0), Key);
        EXPECT_EQ(dest.At(19, 19), Key);
        EXPECT_EQ(dest.At(1, 0), PieceColour(0, 0));
        // With the fill, from a ready background image (its pixel at the same place + offset) ...
        TPixelImage parent(30, 30, 0xFF0000FFu);
        parent.At(2, 3) = 0xFFABCDEFu;
        DrawSkinMask32(dest.View(), TRect(0, 0, 20, 20), BuildCacheInfo(parent.View(), 2, 3), f.Mask, 0, true);
        EXPECT_EQ(dest.At(0, 0), 0xFFABCDEFu);
        // ... or the colour of one that is not ready.
        TCacheInfo colour;
        colour.FillColor = 0x00FF00;
        DrawSkinMask32(dest.View(), TRect(0, 0, 20, 20), colour, f.Mask, 0, true);
        EXPECT_EQ(dest.At(19, 0) & 0x00FFFFFFu, 0x0000FF00u);
    }
    {
        // Masked through a black mask: the image's colours, the destination's alpha kept.
        TFixture f(2, 9, 7, 2, 2, 3, 1, dmFillCenter, 1);
        ExpectNineSlice(f.Mask, TRect(2, 2, 30, 25), 1,
                        [](int piece) { return (PieceColour(1, piece) & 0x00FFFFFFu) | (Behind & 0xFF000000u); },
                        "masked tiled");
    }
    {
        // Alpha: every piece composed once at its own alpha over what was there.
        TFixture f(1, 9, 7, 2, 2, 3, 1, dmFillCenter | dmAlpha32, 0, false, 128);
        auto over = [](int piece) {
            const uint32_t s = PieceColour(0, piece, 128);
            uint32_t out = 0;
            for (int k = 0; k < 24; k += 8) {
                const int sc = int((s >> k) & 0xFF), dc = int((Behind >> k) & 0xFF);
                out |= uint32_t(((sc - dc) * 128 + dc * 256) >> 8) << k;
            }
            const int da = int(Behind >> 24);
            return out | uint32_t(std::max(da, ((128 - da) * 128 + da * 256) >> 8)) << 24;
        };
        ExpectNineSlice(f.Mask, TRect(2, 2, 30, 25), 0, over, "alpha tiled");
        f.Mask.DrawMode |= dmStretch;
        ExpectNineSlice(f.Mask, TRect(2, 2, 30, 25), 0, over, "alpha stretched");
    }
}

// A keyed image copies the key pixels of its sides and centre as they are, tiled or stretched,
// filled or not: only its corners treat them as see-through. An image without a bottom border
// has its bottom corner pixels in its sides.
TEST(NineSlice, KeyedSidesAndCentreKeepTheirKeyPixels)
{
    TPixelImage parent(30, 30, 0xFF0000FFu);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) parent.At(x, y) = Bgra(uint8_t(x), uint8_t(y), 0x40, 255);
    struct TCase {
        uint16_t Mode;
        bool Fill;
    };
    for (const TCase c : {TCase{dmFillCenter, true}, TCase{dmFillCenter, false},
                          TCase{uint16_t(dmFillCenter | dmStretch), true},
                          TCase{uint16_t(dmFillCenter | dmStretch), false}}) {
        TFixture f(1, 9, 7, 2, 2, 3, 0, c.Mode, 0, true);
        f.Skin.Master.At(4, 4) = Key;   // inside the centre piece
        // 17 rows: the tiled sides end on a whole piece, so their last row is the image's last.
        const TRect r(0, 0, 20, 17);
        TPixelImage dest(20, 17, Behind);
        DrawSkinMask32(dest.View(), r, c.Fill ? BuildCacheInfo(parent.View(), 0, 0) : EmptyCacheInfo, f.Mask, 0,
                       c.Fill);
        const std::string what = std::to_string(c.Mode) + (c.Fill ? " filled" : " plain");
        // The corners: filled, or key-coloured over the alpha that was there.
        EXPECT_EQ(dest.At(0, 0), c.Fill ? parent.At(0, 0) : (Key & 0x00FFFFFFu) | (Behind & 0xFF000000u)) << what;
        EXPECT_EQ(dest.At(19, 0), c.Fill ? parent.At(19, 0) : (Key & 0x00FFFFFFu) | (Behind & 0xFF000000u)) << what;
        EXPECT_EQ(dest.At(0, 16), Key) << what;                             // the sides' last rows
        EXPECT_EQ(dest.At(19, 16), Key) << what;
        EXPECT_EQ(dest.At(1, 16), PieceColour(0, 3)) << what;
        if (!(c.Mode & dmStretch)) EXPECT_EQ(dest.At(4, 4), Key) << what;   // the centre tile's
    }
}

TEST(NineSlice, TilingRepeatsWholePiecesThenCutsTheLast)
{
    // One frame 3 wide: a left border 1 wide whose side (rows 1..10) is numbered by row.
    struct Case { int length; std::vector<int> rows; } cases[] = {
        {25, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4}},
        {20, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        TFixture f(1, 3, 12, 1, 1, 1, 1, 0);
        for (int y = 1; y <= 10; ++y) f.Skin.Master.At(0, y) = 0xFF000000u | uint32_t(y - 1);
        TPixelImage dest(5, c.length + 2, Behind);
        DrawSkinMask32(dest.View(), dest.Bounds(), EmptyCacheInfo, f.Mask, 0, false);
        for (int i = 0; i < c.length; ++i)
            EXPECT_EQ(dest.At(0, 1 + i), 0xFF000000u | uint32_t(c.rows[size_t(i)])) << c.length << " row " << i;
    }
}

TEST(NineSlice, MaskedStretchedCentreOfOnePixel)
{
    struct Case { uint32_t mask; uint32_t want; } cases[] = {
        {0xFF000000u, 0xFF0000C8u},                    // black: the colour, opaque
        {0xFFFFFFFFu, Behind},                         // white: untouched
        {0xFF808080u, (Behind & 0xFF000000u) | ((((0x22 - 0) * 128 + 0 * 256) >> 8) << 16) |
                          ((((0x33 - 0) * 128) >> 8) << 8) | uint32_t(((0x44 - 200) * 128 + 200 * 256) >> 8)},
    };
    for (auto c : cases) {
        TPixelImage src(3, 6, 0);
        src.At(1, 1) = 0xFF0000C8u;   // the centre pixel of a 3 x 3 frame
        src.At(1, 4) = c.mask;
        TPixelImage dest(10, 10, Behind);
        StretchMaskPiece32(2, 2, 5, 5, 1, 1, 1, 1, dest.View(), src.View(), 3, true);
        EXPECT_EQ(dest.At(4, 4), c.want) << std::hex << c.mask;
        EXPECT_EQ(dest.At(1, 1), Behind);
    }
}

TEST(MaskState, FramesAtTheirSizeClippedAtTheEdges)
{
    TFixture f(2, 9, 7, 2, 2, 3, 1, dmFillCenter);
    TPixelImage dest(20, 10, Behind);
    DrawMaskState32(dest.View(), TPoint(-5, 0), 1, 1, f.Mask, EmptyCacheInfo);
    // columns 5..8 of frame 1 at 0..3: column 5 is centre, 6..8 the right border
    EXPECT_EQ(dest.At(0, 3), PieceColour(1, 4));
    EXPECT_EQ(dest.At(1, 3), PieceColour(1, 5));
    EXPECT_EQ(dest.At(3, 6), PieceColour(1, 8));
    EXPECT_EQ(dest.At(4, 3), Behind);

    // Mode 2 of an alpha image in the master bitmap: composed at opacity 127.
    TFixture a(1, 4, 4, 1, 1, 1, 1, dmAlpha32);
    TPixelImage faded(6, 6, 0xFF000000u);
    DrawMaskState32(faded.View(), TPoint(1, 1), 0, 2, a.Mask, EmptyCacheInfo);
    const uint32_t s = PieceColour(0, 0);
    EXPECT_EQ(faded.At(1, 1) & 0xFF, ((s & 0xFF) * 127) >> 8);
    // An image with its own bitmap smaller than its rectangle is not drawn.
    TPixelImage own(2, 2, 0xFFFFFFFFu);
    TsMaskData small = a.Mask;
    small.Bmp = &own;
    TPixelImage untouched(6, 6, Behind);
    DrawMaskState32(untouched.View(), TPoint(0, 0), 0, 1, small, EmptyCacheInfo);
    EXPECT_TRUE(UntouchedOutside(untouched, TRect(), Behind));
}

TEST(MaskState, OwnBitmapsByKindAndMode)
{
    // Frames with their own bitmaps, drawn at (1, 0) over (100, 100, 100) of alpha 50. Mode 1 draws
    // the picture as it is; any other mode fades it (mask or transparency raised by 100, opacity 180).
    const uint32_t behind = Bgra(100, 100, 100, 50);
    const uint32_t red = Bgra(0, 0, 200, 255);
    auto image = [](int w, int h, int maskType, uint16_t drawMode) {
        TsMaskData m;
        m.R = TRect(0, 0, w, h);
        m.Width = w;
        m.Height = maskType ? h / 2 : h;
        m.MaskType = int16_t(maskType);
        m.DrawMode = drawMode;
        return m;
    };
    struct Case {
        const char* what;
        int maskType;
        uint16_t drawMode;
        uint32_t colour, mask;   // the frame's one pixel and, masked, the pixel below it
        int mode;
        uint32_t want;
    } cases[] = {
        // masked: ((d - v) x k + v x 256) shr 8 per channel; alpha + ((255 - a) x (255 - k.red)) shr 8
        {"masked, black mask", 1, 0, red, Bgra(0, 0, 0, 0), 1, Bgra(0, 0, 200, 254)},
        {"masked, black mask, faded", 1, 0, red, Bgra(0, 0, 0, 0), 2, Bgra(39, 39, 160, 254)},
        {"masked, grey mask", 1, 0, red, Bgra(128, 128, 128, 0), 1, Bgra(50, 50, 150, 151)},
        {"masked, white mask: colour kept", 1, 0, red, Bgra(255, 255, 255, 0), 1, behind},
        {"masked, key colour: only alpha grows", 1, 0, 0x00FF00FFu, Bgra(0, 0, 0, 0), 1, Bgra(100, 100, 100, 254)},
        // alpha: t = 255 - source alpha (+ 100 when faded); alpha grows by the source alpha
        {"alpha, opaque", 0, dmAlpha32, red, 0, 1, Bgra(0, 0, 200, 254)},
        {"alpha, opaque, faded", 0, dmAlpha32, red, 0, 2, Bgra(39, 39, 160, 254)},
        // t = 255 keeps the destination within rounding: ((d - c) x 255 + c x 256) shr 8
        {"alpha, see-through", 0, dmAlpha32, Bgra(0, 0, 200, 0), 0, 1, Bgra(99, 99, 100, 50)},
        // keyed: a plain copy of non-key pixels, or a mix at opacity 180
        {"keyed", 0, 0, red, 0, 1, red},
        {"keyed, key colour", 0, 0, 0x00FF00FFu, 0, 1, behind},
    };
    for (const auto& c : cases) {
        TPixelImage own(1, c.maskType ? 2 : 1, c.colour);
        if (c.maskType) own.At(0, 1) = c.mask;
        TsMaskData m = image(1, own.Height(), c.maskType, c.drawMode);
        m.Bmp = &own;
        TPixelImage dest(3, 2, behind);
        DrawMaskState32(dest.View(), TPoint(1, 0), 0, c.mode, m, EmptyCacheInfo);
        EXPECT_EQ(dest.At(1, 0), c.want) << c.what;
        EXPECT_TRUE(UntouchedOutside(dest, TRect(1, 0, 2, 1), behind)) << c.what;
    }
    // Keyed in another mode: mixed by opacity 180 and the alpha raised to it.
    TPixelImage own(1, 1, red);
    TsMaskData m = image(1, 1, 0, 0);
    m.Bmp = &own;
    TPixelImage dest(1, 1, behind);
    DrawMaskState32(dest.View(), TPoint(0, 0), 0, 2, m, EmptyCacheInfo);
    const uint32_t p = dest.At(0, 0);
    EXPECT_EQ(p >> 24, 180u);
    EXPECT_GT((p >> 16) & 0xFF, 100u);
    EXPECT_LT((p >> 16) & 0xFF, 200u);
}

TEST(MaskedTile, KeyPixelsFromTheBackgroundOrItsColour)
{
    TFixture f(1, 2, 1, 0, 0, 0, 0, 0, 1);
    f.Skin.Master.At(1, 0) = Key;
    TPixelImage parent(8, 8, 0xFF0000FFu);
    struct Case { TCacheInfo bg; uint32_t key; } cases[] = {
        {BuildCacheInfo(parent.View(), 0, 0), (Behind & 0xFF000000u) | 0x000000FFu},
        {TCacheInfo{TPixelView(), 0, 0, 0x00FF00, TRect(), false}, (Behind & 0xFF000000u) | 0x0000FF00u},
        {EmptyCacheInfo, Behind},
    };
    for (const auto& c : cases) {
        TPixelImage dest(4, 4, Behind);
        CopyMaskedTile32(TRect(1, 1, 3, 2), TRect(0, 0, 2, 1), dest.View(), c.bg, f.Mask);
        EXPECT_EQ(dest.At(1, 1), (PieceColour(0, 4) & 0x00FFFFFFu) | (Behind & 0xFF000000u));
        EXPECT_EQ(dest.At(2, 1), c.key);
        EXPECT_EQ(dest.At(3, 1), Behind);
    }
}
