#include "skin/controls/salphaimagelist.h"

TsAlphaImageList::TsAlphaImageList(TComponent* owner) : TCustomImageList(owner)
{
    SetColorDepth(cd32Bit);
    SetMasked(false);
}

TsAlphaImageList::~TsAlphaImageList() = default;

int TsAlphaImageList::AddPng(TStream& stream)
{
    auto png = std::make_unique<TPNGGraphic>();
    png->LoadFromStream(stream);
    if (png->Width() <= 0 || png->Height() <= 0) throw EInvalidGraphic(L"The PNG picture is empty");
    TBitmap copy;
    ConvertPngTo32(&copy, png.get());
    if (copy.Width() != Width() || copy.Height() != Height()) {
        // The native list holds images of its own size: scale a copy into it.
        TBitmap scaled;
        scaled.SetPixelFormat(pf32bit);
        scaled.SetSize(Width(), Height());
        png->Draw(scaled.Canvas(), Bounds(0, 0, Width(), Height()));
        Add(&scaled, nullptr);
    } else {
        Add(&copy, nullptr);
    }
    FItems.push_back(std::move(png));
    return static_cast<int>(FItems.size()) - 1;
}

int TsAlphaImageList::AddPng(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    return AddPng(stream);
}

int TsAlphaImageList::AddPngFile(const String& fileName)
{
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    stream.SetPosition(0);
    return AddPng(stream);
}

void TsAlphaImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    if (!enabled || index < 0 || index >= PngCount()) {
        TCustomImageList::DoDraw(index, canvas, x, y, style, enabled);
        return;
    }
    // Straight from the PNG, blended over what the canvas shows.
    FItems[static_cast<size_t>(index)]->Draw(canvas, Bounds(x, y, Width(), Height()));
}
