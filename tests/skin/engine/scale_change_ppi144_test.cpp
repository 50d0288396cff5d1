// Scale changes on a 144-PPI screen (a Wine prefix of its own, see scripts/wine-ppi.sh): a fixed
// step takes the forms down to it, and the way back to the platform's scaling brings them to the
// main form's PPI again, with the controls on the skin data of that PPI.
#include <gtest/gtest.h>

#include "tests/common/ppi_aware.h"

#include <memory>

#include "skin/engine/common_data.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/provider_form.h"
#include "vcl/application.h"

namespace {

struct TProviderFormDeleter {
    void operator()(TProviderForm* f) const { TObject::Free(f); }
};

}  // namespace

TEST(ScaleChangeAt144Ppi, BackToThePlatformsScalingReturnsTheFormsToTheScreensPpi)
{
    ASSERT_EQ(ScreenPpi(), 144) << "the prefix's LogPixels";
    TProviderServices services;
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    std::unique_ptr<TProviderForm, TProviderFormDeleter> form(new TProviderForm(m.get()));
    auto* button = new TTestSkinButton(form.get());
    button->SetBounds(20, 30, 100, 30);
    button->SetParent(form.get());
    form->ScaleForPPI(144);   // as the platform made it on this screen
    form->Ppi = 144;
    form->Show();
    Application->SetMainForm(form.get());
    ASSERT_EQ(button->Width(), 150);

    // The system font's step is this screen's: nothing to do.
    m->Options()->SetScaleMode(smAuto);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 144);
    EXPECT_EQ(button->Width(), 150);

    m->Options()->SetScaleMode(sm100);
    EXPECT_EQ(form->Ppi, 96);
    EXPECT_EQ(button->Width(), 100);
    EXPECT_EQ(button->SkinData()->CurrentPPI, 96);

    m->Options()->SetScaleMode(smVCL);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 144);
    EXPECT_EQ(form->Ppi, 144);
    EXPECT_EQ(form->CurrentPPI(), 144);
    EXPECT_EQ(button->Width(), 150);
    EXPECT_TRUE(form->Scaled());
    TacSkinData* d = button->SkinData()->ResolveSkinData();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->PPI(), 144);
    EXPECT_FALSE(d->gd.empty());
    Application->SetMainForm(nullptr);
}
