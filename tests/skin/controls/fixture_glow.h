// A hover glow for "BUTTON" of the loaded fixture skin, which has none of its own: a flat
// half-transparent white picture, so the glow window's size and opacity are all that matter.
#pragma once

#include "skin/engine/core/skin_info.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"

// Adds a glow mask to BUTTON of the loaded fixture skin: borders of 10 around a 30 x 30 picture,
// the glow overlapping the control by 3.
struct TFixtureGlow {
    TPixelImage Picture{30, 30, 0x80FFFFFFu};
    TFixtureGlow(TsSkinManager* m)
    {
        for (auto& d : m->SkinDataArray) {
            if (!d) continue;
            const int button = m->SkinCommonInfo.Sections[ssButton];
            TsMaskData mask;
            mask.Bmp = &Picture;
            mask.ClassName = L"BUTTON";
            mask.PropertyName = L"GLOW0";
            mask.R = TRect(0, 0, 30, 30);
            mask.Width = 30;
            mask.Height = 30;
            mask.WL = mask.WT = mask.WR = mask.WB = 10;
            mask.DrawMode = dmStretch | dmFillCenter | dmAlpha32;
            mask.ImgType = TacImgType::itisaGlow;
            mask.Manager = m;
            mask.SkinIndex = button;
            d->ma.push_back(mask);
            d->gd[size_t(button)].GlowCount = 1;
            d->gd[size_t(button)].GlowMargin = 3;
        }
    }
};
