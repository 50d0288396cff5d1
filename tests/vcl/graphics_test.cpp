// Bitmaps, canvas, GDI objects, icons and pictures on the real GDI.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "vcl/graphics.h"
#include "vcl/threads.h"

using testing_support::AlphaAt;
using testing_support::PixelAt;

namespace {

// Sets pixel (x, y) of a 32-bit bitmap through its scan line: blue, green, red, alpha.
void Put32(TBitmap& b, int x, int y, uint8_t r, uint8_t g, uint8_t bl, uint8_t a)
{
    auto* p = static_cast<uint8_t*>(b.ScanLine(y)) + 4 * x;
    p[0] = bl;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

// A 32-bit .ico file of one size x size image, every pixel of colour (r, g, b) and alpha a.
std::vector<uint8_t> MakeIco(const std::vector<int>& sizes, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    std::vector<uint8_t> head = {0, 0, 1, 0, static_cast<uint8_t>(sizes.size()), 0};
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        std::vector<uint8_t> img;
        auto put32 = [&](uint32_t v) {
            for (int k = 0; k < 4; ++k) img.push_back(static_cast<uint8_t>(v >> (8 * k)));
        };
        put32(40);
        put32(static_cast<uint32_t>(s));
        put32(static_cast<uint32_t>(2 * s));
        img.insert(img.end(), {1, 0, 32, 0});
        for (int k = 0; k < 6; ++k) put32(0);
        for (int i = 0; i < s * s; ++i) img.insert(img.end(), {b, g, r, a});
        int maskStride = ((s + 31) / 32) * 4;
        img.insert(img.end(), static_cast<size_t>(maskStride) * s, 0);
        images.push_back(img);
    }
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    std::vector<uint8_t> file = head;
    for (size_t i = 0; i < sizes.size(); ++i) {
        uint32_t n = static_cast<uint32_t>(images[i].size());
        file.insert(file.end(), {static_cast<uint8_t>(sizes[i]), static_cast<uint8_t>(sizes[i]), 0, 0, 1, 0, 32, 0});
        for (int k = 0; k < 4; ++k) file.push_back(static_cast<uint8_t>(n >> (8 * k)));
        for (int k = 0; k < 4; ++k) file.push_back(static_cast<uint8_t>(offset >> (8 * k)));
        offset += n;
    }
    for (auto& img : images) file.insert(file.end(), img.begin(), img.end());
    return file;
}

}  // namespace

TEST(Bitmap, ScanLineZeroIsTheTopRow)
{
    for (TPixelFormat fmt : {pf24bit, pf32bit}) {
        int bpp = fmt == pf32bit ? 4 : 3;
        TBitmap b(5, 3, fmt);
        // Row 0 red, row 2 blue, drawn with GDI; read back through scan lines.
        b.Canvas()->Brush()->SetColor(clRed);
        b.Canvas()->FillRect(Rect(0, 0, 5, 1));
        b.Canvas()->Brush()->SetColor(clBlue);
        b.Canvas()->FillRect(Rect(0, 2, 5, 3));
        auto* top = static_cast<uint8_t*>(b.ScanLine(0));
        auto* bottom = static_cast<uint8_t*>(b.ScanLine(2));
        EXPECT_EQ(top[4 * bpp + 2], 255) << "red in the top row, bpp " << bpp;
        EXPECT_EQ(bottom[4 * bpp + 0], 255) << "blue in the bottom row, bpp " << bpp;
        // Rows lie bottom-up in memory: stepping from row 0 to row 1 goes back one stride.
        ptrdiff_t stride = static_cast<uint8_t*>(b.ScanLine(1)) - top;
        EXPECT_EQ(stride, -b.BytesPerScanLine());
        EXPECT_EQ(b.BytesPerScanLine(), fmt == pf32bit ? 20 : 16);   // 15 bytes rounded up to 16
        // And the other way: a pixel written through a scan line is what GDI reads.
        auto* mid = static_cast<uint8_t*>(b.ScanLine(1));
        mid[3 * bpp + 1] = 200;   // green of (3, 1)
        EXPECT_EQ(b.Canvas()->Pixels(3, 1), RGB(0, 200, 0));
        EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
        EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
    }
}

TEST(Bitmap, FillRectAndTextOutPaintPixels)
{
    TBitmap b(60, 30, pf24bit);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 60, 30));
    c->Brush()->SetColor(clLime);
    c->FillRect(Rect(10, 5, 20, 15));   // right and bottom are exclusive
    EXPECT_EQ(PixelAt(b, 10, 5), clLime);
    EXPECT_EQ(PixelAt(b, 19, 14), clLime);
    EXPECT_EQ(PixelAt(b, 20, 14), clWhite);
    EXPECT_EQ(PixelAt(b, 19, 15), clWhite);

    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    c->Font()->SetSize(14);
    c->Font()->SetStyle({fsBold});
    c->TextOut(25, 2, L"W");
    TSize ext = c->TextExtent(L"W");
    ASSERT_GT(ext.cx, 3);
    int dark = 0;
    for (int y = 2; y < 2 + ext.cy; ++y)
        for (int x = 25; x < 25 + ext.cx; ++x)
            if (PixelAt(b, x, y) == clBlack) ++dark;
    EXPECT_GT(dark, 10) << "the glyph left black pixels";
    EXPECT_EQ(PixelAt(b, 24, 2), clWhite) << "nothing left of the text";
    EXPECT_EQ(c->PenPos(), Point(25 + ext.cx, 2)) << "TextOut leaves the pen after the text";
    testing_support::SaveArtifact(b, L"graphics_filltext");
}

TEST(Bitmap, ResizeKeepsThePixelsAndFormatConversionKeepsColours)
{
    TBitmap b(4, 4, pf32bit);
    Put32(b, 0, 0, 10, 20, 30, 255);
    Put32(b, 3, 3, 40, 50, 60, 255);
    b.SetSize(8, 2);
    EXPECT_EQ(PixelAt(b, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(b.Width(), 8);
    b.SetSize(4, 4);
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(b, 0, 0), RGB(10, 20, 30));
}

TEST(Bitmap, HandlesAreTakenOverAndHandedOut)
{
    // A device-dependent bitmap handed in is copied into a section; its pixels survive.
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 6, 4);
    ReleaseDC(nullptr, screen);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, ddb);
        RECT r{0, 0, 6, 4};
        HBRUSH br = CreateSolidBrush(RGB(0, 128, 255));
        ::FillRect(dc, &r, br);
        DeleteObject(br);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    TBitmap b;
    b.SetHandle(ddb);
    EXPECT_EQ(b.Width(), 6);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(PixelAt(b, 5, 3), RGB(0, 128, 255));
    EXPECT_NE(b.ScanLine(0), nullptr) << "pixels are addressable after the hand-over";

    // ReleaseHandle hands out a live section and leaves the bitmap empty.
    HBITMAP out = b.ReleaseHandle();
    EXPECT_TRUE(b.Empty());
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectW(out, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 6);
    DeleteObject(out);

    // CopyRect stretches between canvases; a pattern brush tiles its bitmap.
    TBitmap src(2, 2, pf24bit);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clLime);
    src.Canvas()->SetPixels(0, 1, clLime);
    src.Canvas()->SetPixels(1, 1, clRed);
    TBitmap dst(8, 8, pf24bit);
    dst.Canvas()->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(PixelAt(dst, 1, 1), clRed);
    EXPECT_EQ(PixelAt(dst, 3, 0), clLime);
    dst.Canvas()->Brush()->SetBitmap(&src);
    dst.Canvas()->FillRect(Rect(4, 4, 8, 8));
    EXPECT_EQ(PixelAt(dst, 4, 4), clRed);
    EXPECT_EQ(PixelAt(dst, 5, 4), clLime);
    EXPECT_EQ(PixelAt(dst, 6, 4), clRed);
}

TEST(Bitmap, BmpFilesRoundTripInEveryFormat)
{
    String dir = testing_support::MakeTempDir(L"bmp");
    struct Case {
        TPixelFormat fmt;
        int tolerance;   // 16-bit formats keep 5 or 6 bits of a channel
    };
    const Case cases[] = {{pf1bit, 0}, {pf4bit, 0}, {pf8bit, 0}, {pf15bit, 8}, {pf16bit, 8}, {pf24bit, 0}, {pf32bit, 0}};
    for (const auto& c : cases) {
        TBitmap b(7, 5, c.fmt);
        b.Canvas()->Brush()->SetColor(clWhite);
        b.Canvas()->FillRect(Rect(0, 0, 7, 5));
        b.Canvas()->Brush()->SetColor(clBlack);
        b.Canvas()->FillRect(Rect(1, 1, 3, 4));
        if (c.fmt == pf32bit) Put32(b, 6, 4, 12, 34, 56, 78);
        String file = dir + L"f" + IntToStr(static_cast<int>(c.fmt)) + L".bmp";
        b.SaveToFile(file);
        TBitmap back;
        back.LoadFromFile(file);
        EXPECT_EQ(back.PixelFormat(), c.fmt) << static_cast<int>(c.fmt);
        ASSERT_EQ(back.Width(), 7);
        ASSERT_EQ(back.Height(), 5);
        testing_support::TBitmapDiff diff;
        EXPECT_TRUE(testing_support::BitmapsMatch(b, back, c.tolerance, &diff))
            << "format " << static_cast<int>(c.fmt) << ": " << diff.differing << " pixels differ, first at "
            << diff.firstAt.x << "," << diff.firstAt.y;
        if (c.fmt == pf32bit) {
            EXPECT_EQ(AlphaAt(back, 6, 4), 78) << "alpha survives";
        }
    }
}

TEST(Bitmap, BadFilesRaiseClearErrors)
{
    String dir = testing_support::MakeTempDir(L"badbmp");
    TBitmap b;
    EXPECT_THROW(b.LoadFromFile(dir + L"missing.bmp"), EFOpenError);
    std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3};
    WriteFileBytes(dir + L"junk.bmp", junk);
    try {
        b.LoadFromFile(dir + L"junk.bmp");
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(e.Message().find(L"Invalid bitmap"), String::npos);
    }
    EXPECT_TRUE(b.Empty()) << "a failed load leaves the bitmap as it was";
    TBitmap r;
    EXPECT_THROW(r.LoadFromResourceName(GetModuleHandleW(nullptr), L"NO_SUCH_BITMAP"), EInvalidGraphic);
}

TEST(Bitmap, TransparentAndAlphaDrawing)
{
    // Transparent: the key colour (bottom-left pixel by default) leaves the destination alone.
    TBitmap src(2, 1, pf24bit);
    src.Canvas()->SetPixels(0, 0, clFuchsia);
    src.Canvas()->SetPixels(1, 0, clRed);
    src.SetTransparentColor(clFuchsia);
    src.SetTransparent(true);
    TBitmap dst(2, 1, pf24bit);
    dst.Canvas()->Brush()->SetColor(clBlue);
    dst.Canvas()->FillRect(Rect(0, 0, 2, 1));
    dst.Canvas()->Draw(0, 0, &src);
    EXPECT_EQ(PixelAt(dst, 0, 0), clBlue);
    EXPECT_EQ(PixelAt(dst, 1, 0), clRed);

    // Straight alpha (afDefined): half-transparent white over black gives mid grey.
    TBitmap a(1, 1, pf32bit);
    Put32(a, 0, 0, 255, 255, 255, 128);
    a.SetAlphaFormat(afDefined);
    TBitmap d2(1, 1, pf24bit);
    d2.Canvas()->Draw(0, 0, &a);
    EXPECT_LE(testing_support::ColorDistance(PixelAt(d2, 0, 0), RGB(128, 128, 128)), 2);
    EXPECT_EQ(AlphaAt(a, 0, 0), 128);
    EXPECT_EQ(static_cast<uint8_t*>(a.ScanLine(0))[0], 255) << "drawing left the source straight";
}

TEST(Font, HandleIsRemadeAfterAChangeAndTheOldOneFreed)
{
    TBitmap b(10, 10, pf24bit);
    TCanvas* c = b.Canvas();
    c->Font()->SetSize(8);
    int narrow = c->TextWidth(L"MMMMMMMM");   // selects the 8-point font into the DC
    HFONT first = c->Font()->Handle();
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));

    c->Font()->SetSize(20);
    HFONT second = c->Font()->Handle();
    EXPECT_NE(first, second);
    LOGFONTW lf{};
    GetObjectW(second, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -MulDiv(20, c->Font()->PixelsPerInch(), 72));
    EXPECT_GT(c->TextWidth(L"MMMMMMMM"), narrow) << "the canvas measures with the new font";
    // It was taken out of the DC before being deleted, so it is really gone.
    EXPECT_EQ(GetObjectType(first), 0u);

    // A colour change keeps the handle: colour is not part of a GDI font.
    c->Font()->SetColor(clRed);
    EXPECT_EQ(c->Font()->Handle(), second);

    // Assign copies the look; Size is kept in points across resolutions.
    TFont other;
    other.SetPixelsPerInch(192);
    other.Assign(c->Font());
    EXPECT_EQ(other.Size(), 20);
    EXPECT_EQ(other.Height(), -MulDiv(20, 192, 72));
    EXPECT_EQ(other.Color(), clRed);
}

TEST(Canvas, OverADCSomeoneElseOwnsPutsItsObjectsBack)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ ownBrush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ ownFont = GetCurrentObject(dc, OBJ_FONT);
    {
        TCanvas c;
        c.SetHandle(dc);
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 4, 4));
        c.TextOut(0, 0, L"x");
        EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), ownFont);
        c.SetHandle(nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), ownBrush);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), ownFont);
        c.SetHandle(dc);
        c.Rectangle(0, 0, 2, 2);
    }   // the destructor deselects too
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), ownBrush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), ownFont);
    TCanvas none;
    EXPECT_THROW(none.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST(Canvas, LockKeepsOutAnotherThreadUntilUnlocked)
{
    TBitmap b(2, 2, pf32bit);
    TCanvas* c = b.Canvas();

    class TLocker : public TThread {
    public:
        TLocker(TCanvas* c) : FCanvas(c) { Start(); }
        TSimpleEvent Locked, Release;
        std::atomic<bool> GotSecondLock{false};

    protected:
        void Execute() override
        {
            FCanvas->Lock();
            FCanvas->Lock();   // re-entrant in its own thread
            Locked.SetEvent();
            Release.WaitFor();
            FCanvas->Unlock();
            FCanvas->Unlock();
        }
        TCanvas* FCanvas;
    };

    TLocker t(c);
    ASSERT_EQ(t.Locked.WaitFor(10000), TWaitResult::wrSignaled);
    EXPECT_EQ(c->LockCount(), 2);
    EXPECT_FALSE(c->TryLock()) << "another thread holds the canvas";
    t.Release.SetEvent();
    t.WaitFor();
    EXPECT_EQ(c->LockCount(), 0);
    ASSERT_TRUE(c->TryLock());
    EXPECT_EQ(c->LockCount(), 1);
    c->Unlock();
}

TEST(Icon, LoadsTheBestImageDrawsAndRejectsCorruptFiles)
{
    TIcon icon;
    icon.SetSize(16, 16);
    TBytesStream s(MakeIco({32, 16, 48}, 0, 0, 255, 255));
    icon.LoadFromStream(s);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_FALSE(icon.Empty());

    TBitmap b(20, 20, pf24bit);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 20, 20));
    b.Canvas()->Draw(2, 2, &icon);
    EXPECT_EQ(PixelAt(b, 2, 2), clBlue);
    EXPECT_EQ(PixelAt(b, 17, 17), clBlue);
    EXPECT_EQ(PixelAt(b, 18, 18), clWhite);

    // As a bitmap the icon keeps its alpha.
    TIcon translucent;
    TBytesStream ts(MakeIco({16}, 0, 255, 0, 100));
    translucent.LoadFromStream(ts);
    TBitmap asBitmap;
    asBitmap.Assign(&translucent);
    ASSERT_EQ(asBitmap.Width(), 16);
    EXPECT_EQ(asBitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(asBitmap.AlphaFormat(), afDefined);
    EXPECT_EQ(AlphaAt(asBitmap, 8, 8), 100);
    EXPECT_EQ(PixelAt(asBitmap, 8, 8), clLime);

    // Saved and loaded again, the icon keeps its file.
    TMemoryStream out;
    icon.SaveToStream(out);
    EXPECT_EQ(out.Size(), static_cast<int64_t>(s.Size()));

    std::vector<uint8_t> cut = MakeIco({16}, 0, 0, 0, 255);
    cut.resize(cut.size() - 100);
    TBytesStream bad(cut);
    TIcon other;
    EXPECT_THROW(other.LoadFromStream(bad), EInvalidGraphic);
}

namespace {
// A graphic of a format registered by a test, to see the picture pick it.
class TTestGraphic : public TGraphic {
public:
    int Width() const override { return 3; }
    int Height() const override { return 4; }
    void SetSize(int, int) override {}
    bool Empty() const override { return false; }
    void Draw(TCanvas*, const TRect&) override {}
    void LoadFromStream(TStream& s) override { Loaded = s.ReadAllBytes(); }
    void SaveToStream(TStream&) override {}
    std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TTestGraphic>(); }
    std::vector<uint8_t> Loaded;
};
}  // namespace

TEST(Picture, PicksTheGraphicClassByExtensionOrSignature)
{
    String dir = testing_support::MakeTempDir(L"picture");
    TBitmap b(3, 2, pf24bit);
    b.SaveToFile(dir + L"a.BMP");
    WriteFileBytes(dir + L"a.ico", MakeIco({16}, 255, 0, 0, 255));
    WriteFileBytes(dir + L"a.tst", {'T', 'S', 'T', '!', 1});
    WriteFileBytes(dir + L"a.xyz", {1, 2, 3});
    TPicture::RegisterFileFormat(L"tst", L"Test pictures", [] { return std::unique_ptr<TGraphic>(new TTestGraphic()); },
                                 {'T', 'S', 'T', '!'});

    TPicture p;
    int changes = 0;
    p.OnChange = TNotifyEvent::FromCallable([&](TObject*) { ++changes; });
    p.LoadFromFile(dir + L"a.BMP");
    EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Width(), 3);
    p.LoadFromFile(dir + L"a.ico");
    EXPECT_NE(dynamic_cast<TIcon*>(p.Graphic()), nullptr);
    p.LoadFromFile(dir + L"a.tst");
    auto* t = dynamic_cast<TTestGraphic*>(p.Graphic());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Loaded.size(), 5u);
    EXPECT_EQ(changes, 3);
    try {
        p.LoadFromFile(dir + L"a.xyz");
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"Unknown picture file extension (.xyz)");
    }

    // From a stream the first bytes decide.
    TBytesStream bmpData(ReadFileBytes(dir + L"a.BMP"));
    p.LoadFromStream(bmpData);
    EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    TBytesStream tstData(std::vector<uint8_t>{'T', 'S', 'T', '!'});
    p.LoadFromStream(tstData);
    EXPECT_NE(dynamic_cast<TTestGraphic*>(p.Graphic()), nullptr);
    TBytesStream unknown(std::vector<uint8_t>{9, 9, 9, 9});
    EXPECT_THROW(p.LoadFromStream(unknown), EInvalidGraphic);

    // Bitmap() swaps in an empty bitmap for a graphic of another class.
    EXPECT_EQ(p.Bitmap()->Width(), 0);
    EXPECT_NE(TPicture::GraphicFilter().find(L"*.tst"), String::npos);
    TPicture::UnregisterFileFormat(L"tst");
    EXPECT_THROW(p.LoadFromFile(dir + L"a.tst"), EInvalidGraphic);
}

TEST(Geometry, RectsAreGdiCompatible)
{
    static_assert(sizeof(TRect) == sizeof(RECT) && sizeof(TPoint) == sizeof(POINT) && sizeof(TSize) == sizeof(SIZE));
    TRect r = Bounds(10, 20, 30, 40);
    EXPECT_EQ(r, Rect(10, 20, 40, 60));
    EXPECT_TRUE(r.Contains(Point(10, 20)));
    EXPECT_FALSE(r.Contains(Point(40, 20))) << "right edge is outside";
    EXPECT_EQ(TRect::Intersect(r, Rect(0, 0, 15, 25)), Rect(10, 20, 15, 25));
    EXPECT_TRUE(TRect::Intersect(r, Rect(0, 0, 5, 5)).IsEmpty());
    EXPECT_EQ(TRect::Union(r, TRect()), r);
    EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColorToRGB(clRed), 0xFF);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToColorRef(clNone), 0xFFFFFFu);
    EXPECT_EQ(StringToColor(ColorToString(clBtnFace)), clBtnFace);
    EXPECT_EQ(StringToColor(L"$00123456"), 0x123456);
}
