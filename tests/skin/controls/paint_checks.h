// Checks shared by the tests of skinned containers in real windows: the form filled by the test
// container, the paint rule for clipped paints (a paint into a DC clipped to nothing or to the
// whole control, the update's end, an error clip), counting the text pixels of an image, and the
// unskinned control compared pixel for pixel with the plain one.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/flat_bitmap.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

namespace paint_checks {

// The borderless form at (140, 140) of w x h.
inline void PlaceForm(TForm* form, int w, int h)
{
    form->SetBorderStyle(bsNone);
    form->SetBounds(140, 140, w, h);
}

// The form placed as above and filled by the test container (PANEL), which it answers.
inline TTestSkinPanel* FillWithTestPanel(TForm* form, int w, int h)
{
    PlaceForm(form, w, h);
    auto* ground = new TTestSkinPanel(form);
    ground->SetBounds(0, 0, w, h);
    ground->SetParent(form);
    return ground;
}

// Pixels of r in the image whose colour is black, the fixture skin's text colour.
inline int BlackPixels(const TPixelImage& image, const TRect& r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += (image.At(x, y) & 0xFFFFFFu) == 0;
    return n;
}

// What a bitmap is filled with before a paint that should leave it alone.
constexpr uint32_t Sentinel = 0xFF123456u;

// A WM_PAINT of the control (with a fresh state: not waiting, cache stale) into a bitmap of its
// size filled with Sentinel, whose DC is clipped to nothing or to the whole control.
template <class TControl> std::unique_ptr<TBitmap> PaintClipped(TControl* c, bool emptyClip)
{
    std::unique_ptr<TBitmap> target = flat_bitmap::FlatBitmap32(c->Width(), c->Height(), Sentinel & 0xFFFFFFu);
    HDC dc = target->Canvas()->Handle();
    HRGN rgn = emptyClip ? CreateRectRgn(0, 0, 0, 0) : CreateRectRgn(0, 0, c->Width(), c->Height());
    SelectClipRgn(dc, rgn);
    DeleteObject(rgn);
    c->SkinData()->FUpdating = false;
    c->SkinData()->BGChanged = true;
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SelectClipRgn(dc, nullptr);
    return target;
}

// A control waiting for the update to end paints when it is over.
template <class TControl> void ExpectTheWaitingControlPaintsWhenTheUpdateIsDone(TControl* c)
{
    TsCommonData* link = c->SkinData();
    link->FUpdating = true;
    link->BGChanged = true;
    SendSkinCommand(c->Handle(), scmUpdateDone, 0);
    testing_support::PumpFor(60);
    EXPECT_FALSE(link->FUpdating);
    EXPECT_FALSE(link->BGChanged);
}

// An error clip (no usable DC) draws nothing and does not wait.
template <class TControl> void ExpectAnErrorClipDrawsNothing(TControl* c)
{
    TsCommonData* link = c->SkinData();
    link->BGChanged = true;
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(gone), 0);
    EXPECT_TRUE(link->BGChanged);
    EXPECT_FALSE(link->FUpdating);
}

// The form shown with a skinned control and its plain twin on it, no active skin: the skinned
// one is not skinned and its window is the plain one's, pixel for pixel.
template <class TSkinned> void ExpectLooksLikeThePlainControl(TForm* form, TSkinned* skinned, TWinControl* plain)
{
    form->Show();
    testing_support::PumpFor(60);
    EXPECT_FALSE(skinned->SkinData()->Skinned(true));
    auto a = testing_support::CaptureWindow(skinned->Handle());
    auto b = testing_support::CaptureWindow(plain->Handle());
    EXPECT_TRUE(testing_support::BitmapsMatch(*a, *b, 0));
}

}  // namespace paint_checks
