// Image list of PNG pictures: each item keeps its PNG data and is drawn with its alpha
// channel through the PNG picture class. A 32-bit copy sits in the native list as well, so
// code that draws through the native list sees the same images.
#pragma once

#include <memory>
#include <vector>

#include "skin/graphics/pnggraphic.h"
#include "vcl/imagelist.h"
#include "vcl/streams.h"

class TsAlphaImageList : public TCustomImageList {
public:
    explicit TsAlphaImageList(TComponent* owner = nullptr);
    ~TsAlphaImageList() override;

    // Width (index 1) and Height (index 0) of the list's images.
    int GetSizeProp(int index) const { return index == 0 ? Height() : Width(); }

    // Adds the PNG picture at the stream's position; answers its index. A stream that holds
    // no valid PNG raises EInvalidGraphic and leaves the list as it was.
    int AddPng(TStream& stream);
    int AddPng(const uint8_t* data, size_t size);
    int AddPngFile(const String& fileName);
    int PngCount() const { return static_cast<int>(FItems.size()); }

protected:
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;

private:
    std::vector<std::unique_ptr<TPNGGraphic>> FItems;
};
