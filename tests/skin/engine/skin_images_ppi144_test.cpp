// Our skins on a 144-PPI screen (a Wine prefix whose screen has 144 PPI): the manager builds the
// skin data of the main form's PPI beside the 96-PPI one; images drawn for 150 % are used as
// drawn, the others are rescaled once.
#include <gtest/gtest.h>

#include "tests/common/ppi_aware.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skins/stored_skins.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/application.h"

namespace {

}  // namespace

TEST(SkinImagesAt144Ppi, StepImagesAsDrawnOthersRescaled)
{
    ASSERT_EQ(ScreenPpi(), 144) << "the prefix's LogPixels";
    FormPtr form(new TForm(nullptr));
    form->SetBounds(50, 50, 300, 200);
    form->Show();
    Application->SetMainForm(form.get());
    TsSkinManager* m = new TsSkinManager(form.get());
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        TsStoredSkin& item = m->InternalSkins()->Add();
        item.Name = ProgramStoredSkins()[i].Name;
        item.PackedData.WriteBuffer(ProgramStoredSkins()[i].Data, int64_t(ProgramStoredSkins()[i].Size));
    }
    m->SetSkinName(L"Light");
    ASSERT_TRUE(m->IsActive());
    ASSERT_EQ(m->SkinDataArray.size(), 3u);   // steps 0 and 2
    TacSkinData* d = m->SkinDataArray[2].get();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->PPI(), 144);
    const int global = d->SkinIndexOf(L"GLOBALINFO");
    const TsMaskData& close = d->ma.at(size_t(d->MaskIndexOf(global, L"BICONCLOSE")));
    EXPECT_EQ(close.DivPPI, 144);
    EXPECT_EQ(close.Height, 45);
    const TsMaskData& button = d->ma.at(size_t(d->MaskIndexOf(d->SkinIndexOf(L"BUTTON"), L"BORDERSMASK")));
    EXPECT_EQ(button.DivPPI, 144);
    EXPECT_EQ(button.Bmp, nullptr);   // the "*150" part of the master as drawn
    EXPECT_EQ(button.WL, 6);
    const TsMaskData& menu = d->ma.at(size_t(d->MaskIndexOf(d->SkinIndexOf(L"MENUITEM"), L"BORDERSMASK")));
    EXPECT_EQ(menu.DivPPI, 96);
    ASSERT_NE(menu.Bmp, nullptr);   // rescaled once into a bitmap of its own
    EXPECT_EQ(menu.Width, 18);
    EXPECT_EQ(menu.WL, 5);
    EXPECT_EQ(d->WndShadowSize, 20);
    EXPECT_TRUE(d->Notes.empty());
    Application->SetMainForm(nullptr);
}
