// The scene of the push-button tests: a form with a container (the skinned test container or a
// plain panel) holding one button 100 wide at (20, 30) that counts its clicks, shown with the
// focus on the container (a focused button would look hot); the faces of the fixture skin's
// BUTTON section and the pixels read back from screen and cache; fades run to their end.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/imagelist.h"

namespace button_scene {

// TSelf: the test's own scene, derived from this one; TBase: the standard button class it holds.
template <class TSelf, class TBase> struct TButtonScene {
    FormPtr Form{new TForm(nullptr)};
    TWinControl* Container = nullptr;
    TBase* Button = nullptr;
    int Height = 0;
    int Clicks = 0;

    // dress(scene) gives the button what it needs before it is placed on the container.
    template <class TContainer, class TButtonClass, class TDress>
    static std::unique_ptr<TSelf> Make(int x, const String& caption, int height, TDress dress)
    {
        auto s = std::make_unique<TSelf>();
        s->Height = height;
        s->Form->SetBorderStyle(bsNone);
        s->Form->SetBounds(x, 120, 200, 120);
        s->Container = new TContainer(s->Form.get());
        s->Container->SetBounds(0, 0, 200, 120);
        s->Container->SetParent(s->Form.get());
        s->Button = new TButtonClass(s->Form.get());
        s->Button->SetBounds(20, 30, 100, height);
        s->Button->SetCaption(caption);
        dress(*s);
        s->Button->SetParent(s->Container);
        s->Button->OnClick = Bind<&TButtonScene::Click>(s.get());
        s->Form->Show();
        ::SetFocus(s->Container->Handle());
        testing_support::PumpFor(60);
        return s;
    }
    void Click(TObject*) { ++Clicks; }
    HWND Wnd() const { return Button->Handle(); }
    // A mouse message at (x, y), by default the button's middle row left of centre.
    void Send(UINT msg, WPARAM w = 0, int x = 50, int y = -1)
    {
        SendMessageW(Wnd(), msg, w, MAKELPARAM(x, y < 0 ? Height / 2 : y));
    }
};

inline const int ButtonSection = fixture_skin::SectionNumber(L"BUTTON");
inline uint32_t Rgb(uint32_t px) { return px & 0xFFFFFFu; }
inline uint32_t Px(TColor c) { return Rgb(fixture_skin::Opaque(c)); }
// The fixture's BUTTON face in a state.
inline uint32_t Face(int state) { return Px(fixture_skin::StateColor(ButtonSection, state)); }
inline uint32_t OnScreen(HWND w, int x, int y) { return Px(testing_support::PixelAt(w, x, y)); }
template <class TSkinned> uint32_t Cached(TSkinned* b, int x, int y)
{
    return Rgb(ImageFromBitmap32(b->SkinData()->FCacheBmp).At(x, y));
}

// Two windows alike pixel for pixel (the first differing pixel named).
inline void ExpectSamePixels(HWND a, HWND b)
{
    auto shotA = testing_support::CaptureWindow(a);
    auto shotB = testing_support::CaptureWindow(b);
    const testing_support::TBitmapDiff d = testing_support::CompareBitmaps(*shotA, *shotB, 0);
    EXPECT_TRUE(d.sameSize);
    EXPECT_EQ(d.differing, 0) << d.firstAt.x << "," << d.firstAt.y;
}

// An image list holding one size x size image of one colour, masked by the key colour (which the
// image's bottom-left pixel holds when keyPixel).
inline TImageList* OneColourImageList(TComponent* owner, int size, TColor color, TColor key, bool keyPixel)
{
    auto* list = new TImageList(owner);
    list->SetSize(size, size);
    std::unique_ptr<TBitmap> image(NewBitmap32(size, size));
    FillDCRect(image->Canvas()->Handle(), TRect(0, 0, size, size), color);
    if (keyPixel) image->Canvas()->SetPixels(0, size - 1, key);
    list->AddMasked(image.get(), key);
    return list;
}

// Runs every fade to its end.
inline void Settle(TManualTicks& ticks)
{
    for (int i = 0; i < 40; ++i) ticks.Step(12);
    testing_support::PumpFor(30);
}

}  // namespace button_scene
