// The seams through which painters reach a skin and the form skinning.
#include <gtest/gtest.h>

#include "skin/engine/form_services.h"
#include "tests/skin/fake_paint_source.h"

TEST(SkinPaintSource, ImagesFindTheirBitmapThroughTheirManager)
{
    TFakePaintSource skin;
    skin.Master.Resize(4, 2, 0xFF112233);
    TPixelImage own(3, 1, 0xFF445566);

    TsMaskData inMaster;
    inMaster.Manager = skin.Manager();
    TsMaskData withOwn;
    withOwn.Bmp = &own;
    TsMaskData unusable;   // no manager, no bitmap

    EXPECT_TRUE(ImageSourceBitmap(inMaster).IsNull()) << "no resolver installed yet";
    {
        TFakePaintSource::TInstall install(&skin);
        EXPECT_EQ(SkinPaintSourceOf(nullptr), &skin) << "nil asks for the default manager";
        EXPECT_EQ(SkinPaintSourceOf(skin.Manager()), &skin);
        TFakePaintSource other;
        EXPECT_EQ(SkinPaintSourceOf(other.Manager()), nullptr);

        EXPECT_EQ(ImageSourceBitmap(inMaster).Row0, skin.Master.View().Row0);
        EXPECT_EQ(ImageSourceBitmap(withOwn).Row0, own.View().Row0);
        EXPECT_TRUE(ImageSourceBitmap(unusable).IsNull()) << "a nil manager is not the default manager";
    }
    EXPECT_EQ(SkinPaintSourceOf(nullptr), nullptr);

    skin.Sections.resize(2);
    skin.Images.resize(1);
    struct Case { int index; bool section, image; } cases[] = {{-1, false, false}, {0, true, true}, {1, true, false}, {2, false, false}};
    for (auto c : cases) {
        EXPECT_EQ(skin.IsValidSkinIndex(c.index), c.section) << c.index;
        EXPECT_EQ(skin.IsValidImgIndex(c.index), c.image) << c.index;
    }
}

TEST(FormServices, CompositionIsOffUntilServicesSayOtherwise)
{
    struct TComposed : TacFormServices {
        bool IsDesktopCompositionOn() override { return true; }
    } composed;
    EXPECT_FALSE(IsDesktopCompositionOn());
    SetFormServices(&composed);
    EXPECT_TRUE(IsDesktopCompositionOn());
    SetFormServices(nullptr);
    EXPECT_FALSE(IsDesktopCompositionOn());
}
