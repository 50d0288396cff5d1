// At 144 pixels per inch: this test runs under a second Wine prefix whose screen has 144 PPI
// (its CTest entry goes through scripts/wine-ppi.sh). The process is PPI-aware, as a program
// that scales itself must be, so the system tells it the real PPI.
#include <gtest/gtest.h>

#include "tests/common/ppi_aware.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/application.h"
#include "vcl/extctrls.h"

namespace {

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};

class TPlainGraphic : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
};

}  // namespace

TEST(SkinAt144Ppi, ScreenWindowsAndControls)
{
    ASSERT_EQ(ScreenPpi(), 144) << "the prefix's LogPixels";
    FormPtr form(new TForm(nullptr));
    form->SetBounds(50, 50, 300, 200);
    auto* graphic = new TPlainGraphic(form.get());
    graphic->SetBounds(10, 10, 30, 30);
    graphic->SetParent(form.get());
    auto* unmade = new TPanel(form.get());   // no parent: its window is never made
    form->Show();
    EXPECT_EQ(WindowPpi(form->Handle()), 144);
    EXPECT_EQ(ControlPpi(form.get()), 144);
    EXPECT_EQ(ControlPpi(graphic), 144);
    EXPECT_EQ(ControlPpi(unmade), 96);   // a windowed control without its window yet
    Application->SetMainForm(form.get());
    EXPECT_EQ(MainFormPpi(), 144);
    Application->SetMainForm(nullptr);
}

TEST(SkinAt144Ppi, TheManagerLoadsA144PpiDataObject)
{
    std::unique_ptr<TsSkinManager, ManagerDeleter> m(new TsSkinManager(nullptr));
    EXPECT_EQ(m->SysFontScale, 2);
    m->ApplySkinEditorText(L"Test", String(),
                           L"[GLOBALINFO]\nWSHSIZE=10\nTITLEHEIGHT*150=40\nCOMBOMARGIN=1\n[BUTTON]\nCOLOR=5\n");
    ASSERT_TRUE(m->IsActive());
    // The platform scales the forms: data objects for 96 PPI and for the main form's 144.
    ASSERT_EQ(m->SkinDataArray.size(), 3u);
    TacSkinData* d = m->SkinDataArray[2].get();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->PPI(), 144);
    EXPECT_EQ(d->ScaleValue, 2);
    EXPECT_EQ(d->ScalePercent, 150);
    EXPECT_EQ(d->WndShadowSize, 15);   // 10 x 144 div 96
    EXPECT_EQ(d->ExTitleHeight, 40);   // the step's own key, unscaled
    EXPECT_EQ(d->ComboBoxMargin, 2);
    EXPECT_EQ(d->Spacing, 6);
    EXPECT_EQ(d->gd.size(), m->SkinDataArray[0]->gd.size());
    EXPECT_EQ(m->SkinDataArray[0]->WndShadowSize, 10);

    FormPtr form(new TForm(nullptr));
    form->SetBounds(50, 50, 200, 100);
    form->Show();
    EXPECT_EQ(m->CommonSkinData(ControlPpi(form.get())), d);
}
