// A plain-text account of a skin as the engine loads it at 96 PPI: the GLOBALINFO values, the
// sections with their parent and state colours, and every image with its section, key,
// definition, rectangle, frames and a hash of its pixels. The same skin gives the same text
// from its folder, its packed file and its stored bytes. No windows.h here.
#pragma once

#include <memory>

#include "skin/engine/core/skin_images.h"
#include "skin/engine/core/skin_source.h"
#include "vcl/inifiles.h"
#include "skin/graphics/pixel_view.h"

// A packed skin file; ESkinSourceError (an Exception) when it is missing, not a container or
// holds no description; EPackedSkinError when it is damaged.
TacSkinSource OpenPackedSkinFile(const String& fileName);

// The description, master bitmap and images of a skin loaded at one PPI without a manager.
struct TacLoadedSkin {
    TMemIniFile Description{String()};
    TPixelImage Master;
    std::vector<TsMaskData> Images;
    TacBmpArray Cache;
    std::vector<String> Notes;
};
// Raises the engine's error when the skin does not load.
std::unique_ptr<TacLoadedSkin> LoadSkinImages(const TacSkinSource& source, int ppi);

// Loads the skin from source and describes it. Raises the engine's error when it does not load.
String DescribeSkin(const TacSkinSource& source);

// 64-bit FNV-1a of the pixels of r in view (row by row).
uint64_t HashPixels(const TPixelView& view, const TRect& r);
