// Painting a control's section through its skin link, with the fixture skin loaded by a real
// manager: the link's own colour and colour effects, and the item over the background a parent
// control answers (or fails to answer while its image is not ready).
#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/link_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/stored_skins.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/test_support.h"
#include "tests/skin/fixture_skin.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;

namespace {

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

ManagerPtr FixtureManager()
{
    ManagerPtr m(new TsSkinManager(nullptr));
    const std::vector<uint8_t> bytes = fs::Packed();
    TsStoredSkin& item = m->InternalSkins()->Add();
    item.Name = L"Fixture";
    item.PackedData.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    m->SetSkinName(L"Fixture");
    return m;
}

// A parent that answers the background query with what the test sets, counting the questions.
class TAnsweringParent : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TacBgQuery Answer;
    int Asked = 0;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmGetBackground) {
            ++Asked;
            auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
            q->Kind = Answer.Kind;
            q->Color = Answer.Color;
            q->Bmp = Answer.Bmp;
            q->Offset = Answer.Offset;
            q->FillRect = Answer.FillRect;
            m.Result = 1;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

// A form with the answering parent and a control on it whose link paints the section.
struct TScene {
    ManagerPtr Manager = FixtureManager();
    FormPtr Form{new TForm(nullptr)};
    TAnsweringParent* Parent = nullptr;
    TCustomControl* Control = nullptr;
    std::unique_ptr<TsCommonData> Link;

    explicit TScene(const wchar_t* section)
    {
        Form->SetBounds(60, 60, 240, 180);
        Parent = new TAnsweringParent(Form.get());
        Parent->SetBounds(0, 0, 200, 150);
        Parent->SetParent(Form.get());
        Control = new TCustomControl(Form.get());
        Control->SetBounds(12, 9, 40, 30);
        Control->SetParent(Parent);
        Form->Show();
        Link = std::make_unique<TsCommonData>(Control, true);
        Link->SetSkinSection(section);
        Link->Loaded(false);
    }
    int Index(const wchar_t* name) const { return Manager->GetSkinIndex(name); }
    TacSkinData* Data() const { return Link->ResolveSkinData(); }
};

TPixelImage Pixels(TBitmap* b) { return ImageFromBitmap32(b); }

bool SameImages(TBitmap* a, TBitmap* b)
{
    const TPixelImage pa = Pixels(a), pb = Pixels(b);
    if (pa.Width() != pb.Width() || pa.Height() != pb.Height()) return false;
    for (int y = 0; y < pa.Height(); ++y)
        for (int x = 0; x < pa.Width(); ++x)
            if (pa.At(x, y) != pb.At(x, y)) return false;
    return true;
}

constexpr uint32_t Untouched = 0xFF2060A0u;
constexpr uint32_t ParentPixel(int x, int y) { return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x33u; }

std::unique_ptr<TBitmap> Canvas32(int w, int h)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(w, h));
    const TPixelView v = BitmapView(b.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) v.At(x, y) = Untouched;
    return b;
}

bool AllUntouched(TBitmap* b)
{
    const TPixelImage p = Pixels(b);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if (p.At(x, y) != Untouched) return false;
    return true;
}

}  // namespace

// The section's background takes the control's own colour (system colours as the skin resolves
// them) only while the link keeps it; states past the section's last paint the last.
TEST(LinkPainting, BackgroundTakesTheControlsOwnColour)
{
    TScene s(L"T100S0");
    TCacheInfo plain;
    plain.FillColor = 0x405060;
    struct Case {
        const char* what;
        bool custom;
        TColor color;
        int state;
        uint32_t want;
    } cases[] = {
        {"the skin's (transparent) state over the parent", false, 0x123456, 1, fs::Opaque(0x405060)},
        {"the control's colour, opaque", true, 0x123456, 1, fs::Opaque(0x123456)},
        // The skin answers for the system colours: the button face is its main colour.
        {"a system colour as the skin resolves it", true, clBtnFace, 0, fs::Opaque(fs::MainColor)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.Link->FCustomColor = c.custom;
        s.Control->SetColor(c.color);
        std::unique_ptr<TBitmap> b = Canvas32(30, 20);
        PaintSkinDataBG(s.Link.get(), plain, c.state, TRect(0, 0, 30, 20), TPoint(), b.get());
        EXPECT_EQ(Pixels(b.get()).At(15, 10), c.want);
    }
    // A state past the section's states paints its last one.
    s.Link->SetSkinSection(L"T0S0");
    s.Link->FCustomColor = false;
    std::unique_ptr<TBitmap> b = Canvas32(30, 20);
    PaintSkinDataBG(s.Link.get(), plain, 5, TRect(0, 0, 30, 20), TPoint(), b.get());
    EXPECT_EQ(Pixels(b.get()).At(15, 10), fs::Opaque(fs::StateColor(fs::SectionNumber(L"T0S0"), 2)));
}

// The link's tone, hue and saturation go over the whole item (the tone a palette or system
// colour resolved); an invalid section or a rectangle outside the bitmap paint nothing.
TEST(LinkPainting, SkinDataItemCarriesTheLinksColourEffects)
{
    TScene s(L"T0S1");
    TCacheInfo plain;
    plain.FillColor = 0x405060;
    const TRect r(2, 3, 36, 27);
    struct Case {
        TColor tone;
        int hue, saturation;
        TColor resolvedTone;
    } cases[] = {{clNone, 120, -40, clNone}, {clRed, 0, 0, 0x0000FF}, {clBtnFace, 30, 0, fs::MainColor}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.tone);
        s.Link->FColorTone = c.tone;
        s.Link->FHUEOffset = c.hue;
        s.Link->FSaturation = c.saturation;
        std::unique_ptr<TBitmap> got = Canvas32(40, 30), want = Canvas32(40, 30), bare = Canvas32(40, 30);
        PaintSkinDataItem(s.Link.get(), plain, 1, r, TPoint(4, 4), got.get(), true);
        TacItemLook look;
        look.Tone = c.resolvedTone;
        look.HueOffset = c.hue;
        look.Saturation = c.saturation;
        PaintSkinDataItem(s.Index(L"T0S1"), plain, 1, r, TPoint(4, 4), want.get(), s.Data(), look, true);
        PaintSkinDataItem(s.Index(L"T0S1"), plain, 1, r, TPoint(4, 4), bare.get(), s.Data(), TacItemLook(), true);
        EXPECT_TRUE(SameImages(got.get(), want.get()));
        EXPECT_FALSE(SameImages(got.get(), bare.get()));
        EXPECT_NE(Pixels(got.get()).At(0, 0), Untouched);   // outside r too
    }
    s.Link->FColorTone = clNone;
    s.Link->FHUEOffset = s.Link->FSaturation = 0;

    std::unique_ptr<TBitmap> b = Canvas32(40, 30);
    PaintSkinDataItem(s.Link.get(), plain, 0, TRect(2, 3, 41, 27), TPoint(), b.get(), true);
    EXPECT_TRUE(AllUntouched(b.get())) << "past the right edge";
    PaintSkinDataItem(s.Link.get(), plain, 0, r, TPoint(), nullptr, true);
    s.Link->SetSkinSection(L"NOSUCHSECTION");
    PaintSkinDataItem(s.Link.get(), plain, 0, r, TPoint(), b.get(), true);
    EXPECT_TRUE(AllUntouched(b.get())) << "no section";
}

// The item over what the parent answers: its colour or its image (from the answered offset and
// the item's point), the control's own colour over a see-through state; while the parent's image
// is not ready nothing is painted and the answer is false.
TEST(LinkPainting, ControlItemPaintsOverTheParentsAnswer)
{
    TScene s(L"T100S0");
    const int index = s.Index(L"T100S0");
    std::unique_ptr<TBitmap> parentImage = Canvas32(120, 90);
    const TPixelView pv = BitmapView(parentImage.get());
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) pv.At(x, y) = ParentPixel(x, y);
    const TPoint point(12, 9);   // the control's place in its parent

    struct Case {
        const char* what;
        uint8_t kind;
        bool custom;
        bool result;
        bool painted;
        uint32_t centre;   // the item's pixel (20, 15)
    };
    const Case cases[] = {
        {"not ready", bgNotReady, false, false, false, Untouched},
        {"a colour", bgColor, false, true, true, fs::Opaque(0x3C7A1E)},
        // The parent's pixel under it: the item's pixel moved by its point and the answered offset.
        {"an image", bgBitmap, false, true, true, ParentPixel(20 + 12 + 5, 15 + 9 + 7)},
        {"an image under the control's own colour", bgBitmap, true, true, true, fs::Opaque(0x0080FF)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.Parent->Answer = TacBgQuery();
        s.Parent->Answer.Kind = c.kind;
        s.Parent->Answer.Color = 0x3C7A1E;
        if (c.kind == bgBitmap) {
            s.Parent->Answer.Bmp = parentImage.get();
            s.Parent->Answer.Offset = TPoint(5, 7);
        }
        s.Link->FCustomColor = c.custom;
        s.Control->SetColor(0x0080FF);
        s.Parent->Asked = 0;
        std::unique_ptr<TBitmap> got = Canvas32(40, 30);
        EXPECT_EQ(PaintControlItem(s.Link.get(), s.Parent, 1, TRect(0, 0, 40, 30), point, got.get(), true), c.result);
        EXPECT_EQ(s.Parent->Asked, 1);
        EXPECT_EQ(Pixels(got.get()).At(20, 15), c.centre);
        if (!c.painted) {
            EXPECT_TRUE(AllUntouched(got.get()));
            continue;
        }
        // Every pixel as the painter makes it of the converted answer.
        std::unique_ptr<TBitmap> want = Canvas32(40, 30);
        PaintControlItem(index, BgInfoToCacheInfo(s.Parent->Answer), 1, TRect(0, 0, 40, 30), point, want.get(),
                         s.Data(), c.custom ? TColor(0x0080FF) : acSkinColor, true);
        EXPECT_TRUE(SameImages(got.get(), want.get()));
    }

    // Nothing to paint: the parent is not even asked, and the answer is true.
    s.Link->FCustomColor = false;
    s.Parent->Asked = 0;
    std::unique_ptr<TBitmap> b = Canvas32(40, 30);
    EXPECT_TRUE(PaintControlItem(s.Link.get(), s.Parent, 0, TRect(-1, 0, 40, 30), point, b.get(), true));
    EXPECT_TRUE(PaintControlItem(s.Link.get(), s.Parent, 0, TRect(0, 0, 40, 30), point, nullptr, true));
    s.Link->SetSkinSection(L"NOSUCHSECTION");
    EXPECT_TRUE(PaintControlItem(s.Link.get(), s.Parent, 0, TRect(0, 0, 40, 30), point, b.get(), true));
    EXPECT_EQ(s.Parent->Asked, 0);
    EXPECT_TRUE(AllUntouched(b.get()));
}
