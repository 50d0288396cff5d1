// TIcon and TPicture with its registry of file formats.
#include "vcl/graphics.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "vcl/bmpcodec.h"

// ---- TIcon ---------------------------------------------------------------------------------

TIcon::TIcon() = default;

TIcon::~TIcon()
{
    Clear();
}

void TIcon::Clear()
{
    if (FHandle) DestroyIcon(FHandle);
    FHandle = nullptr;
    FWidth = FHeight = 0;
    FData.clear();
}

void TIcon::SetSize(int width, int height)
{
    if (FHandle) {
        if (width == FWidth && height == FHeight) return;
        throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
    }
    FRequestedWidth = width;
    FRequestedHeight = height;
}

void TIcon::SetHandle(HICON icon)
{
    if (icon == FHandle) return;
    Clear();
    FHandle = icon;
    if (icon) {
        ICONINFO ii{};
        if (GetIconInfo(icon, &ii)) {
            BITMAP bm{};
            HBITMAP sizeFrom = ii.hbmColor ? ii.hbmColor : ii.hbmMask;
            if (GetObjectW(sizeFrom, sizeof bm, &bm)) {
                FWidth = bm.bmWidth;
                FHeight = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
            }
            if (ii.hbmColor) DeleteObject(ii.hbmColor);
            if (ii.hbmMask) DeleteObject(ii.hbmMask);
        }
    }
    Changed(this);
}

HICON TIcon::ReleaseHandle()
{
    HICON h = FHandle;
    FHandle = nullptr;
    Clear();
    Changed(this);
    return h;
}

void TIcon::Draw(TCanvas* canvas, const TRect& r)
{
    if (!FHandle || !canvas) return;
    DrawIconEx(canvas->Handle(), r.left, r.top, FHandle, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> data = stream.ReadAllBytes();
    std::vector<bmpcodec::TIconEntry> entries;
    String error;
    if (!bmpcodec::ParseIconDirectory(data.data(), data.size(), entries, error)) throw EInvalidGraphic(error);
    int w = FRequestedWidth > 0 ? FRequestedWidth : GetSystemMetrics(SM_CXICON);
    int h = FRequestedHeight > 0 ? FRequestedHeight : GetSystemMetrics(SM_CYICON);
    const bmpcodec::TIconEntry& e = entries[static_cast<size_t>(bmpcodec::PickIconEntry(entries, w, h))];
    HICON icon = CreateIconFromResourceEx(const_cast<uint8_t*>(data.data() + e.offset), static_cast<DWORD>(e.size),
                                          TRUE, 0x00030000, e.width, e.height, LR_DEFAULTCOLOR);
    if (!icon) throw EInvalidGraphic(L"Invalid icon: the system cannot read the image");
    Clear();
    FHandle = icon;
    FWidth = e.width;
    FHeight = e.height;
    FData = std::move(data);
    Changed(this);
}

void TIcon::SaveToStream(TStream& stream)
{
    if (!FData.empty()) {
        stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
        return;
    }
    if (!FHandle) throw EInvalidGraphicOperation(L"Cannot save an empty icon");
    // An icon made from a handle: write it as one 32-bit image with its mask.
    TBitmap color(FWidth, FHeight, pf32bit);
    {
        HDC dc = color.Canvas()->Handle();
        DrawIconEx(dc, 0, 0, FHandle, FWidth, FHeight, 0, nullptr, DI_NORMAL);
    }
    TBitmap mask(FWidth, FHeight, pf1bit);
    {
        HDC dc = mask.Canvas()->Handle();
        DrawIconEx(dc, 0, 0, FHandle, FWidth, FHeight, 0, nullptr, DI_MASK);
    }
    int cStride = color.BytesPerScanLine(), mStride = mask.BytesPerScanLine();
    std::vector<uint8_t> img;
    auto put32 = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) img.push_back(static_cast<uint8_t>(v >> (8 * k)));
    };
    put32(40);
    put32(static_cast<uint32_t>(FWidth));
    put32(static_cast<uint32_t>(FHeight * 2));
    img.push_back(1);
    img.push_back(0);
    img.push_back(32);
    img.push_back(0);
    for (int k = 0; k < 6; ++k) put32(0);
    for (int y = FHeight - 1; y >= 0; --y) {
        auto* p = static_cast<const uint8_t*>(color.ScanLine(y));
        img.insert(img.end(), p, p + cStride);
    }
    for (int y = FHeight - 1; y >= 0; --y) {
        auto* p = static_cast<const uint8_t*>(mask.ScanLine(y));
        img.insert(img.end(), p, p + mStride);
    }
    std::vector<uint8_t> file = {0, 0, 1, 0, 1, 0};
    file.push_back(static_cast<uint8_t>(FWidth >= 256 ? 0 : FWidth));
    file.push_back(static_cast<uint8_t>(FHeight >= 256 ? 0 : FHeight));
    file.push_back(0);
    file.push_back(0);
    file.push_back(1);
    file.push_back(0);
    file.push_back(32);
    file.push_back(0);
    uint32_t size = static_cast<uint32_t>(img.size()), offset = 22;
    for (int k = 0; k < 4; ++k) file.push_back(static_cast<uint8_t>(size >> (8 * k)));
    for (int k = 0; k < 4; ++k) file.push_back(static_cast<uint8_t>(offset >> (8 * k)));
    file.insert(file.end(), img.begin(), img.end());
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
}

void TIcon::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        Changed(this);
        return;
    }
    if (source == this) return;
    if (auto* i = dynamic_cast<const TIcon*>(source)) {
        Clear();
        if (i->FHandle) {
            FHandle = CopyIcon(i->FHandle);
            if (!FHandle) throw EOutOfResources(L"Cannot copy an icon");
            FWidth = i->FWidth;
            FHeight = i->FHeight;
            FData = i->FData;
        }
        FRequestedWidth = i->FRequestedWidth;
        FRequestedHeight = i->FRequestedHeight;
        Changed(this);
        return;
    }
    TPersistent::Assign(source);
}

// ---- Format registry -----------------------------------------------------------------------

namespace {

struct TFileFormat {
    String ext;   // lower case, no dot
    String description;
    TGraphicFactory factory;
    std::vector<uint8_t> signature;
};

struct TFormatRegistry {
    std::mutex lock;
    std::vector<TFileFormat> formats;
    TFormatRegistry()
    {
        formats.push_back({L"bmp", L"Bitmaps", [] { return std::unique_ptr<TGraphic>(new TBitmap()); }, {'B', 'M'}});
        formats.push_back({L"ico", L"Icons", [] { return std::unique_ptr<TGraphic>(new TIcon()); }, {0, 0, 1, 0}});
    }
};

TFormatRegistry& Registry()
{
    static TFormatRegistry r;
    return r;
}

String NormalExt(const String& ext)
{
    String e = LowerCase(ext);
    if (!e.empty() && e[0] == L'.') e.erase(0, 1);
    return e;
}

}  // namespace

void TPicture::RegisterFileFormat(const String& ext, const String& description, TGraphicFactory factory,
                                  std::vector<uint8_t> signature)
{
    auto& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    String e = NormalExt(ext);
    for (auto& f : r.formats)
        if (f.ext == e) {
            f = TFileFormat{e, description, std::move(factory), std::move(signature)};
            return;
        }
    r.formats.push_back(TFileFormat{e, description, std::move(factory), std::move(signature)});
}

void TPicture::UnregisterFileFormat(const String& ext)
{
    auto& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    String e = NormalExt(ext);
    r.formats.erase(std::remove_if(r.formats.begin(), r.formats.end(), [&](const TFileFormat& f) { return f.ext == e; }),
                    r.formats.end());
}

String TPicture::GraphicFilter()
{
    auto& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    String all, parts;
    for (const auto& f : r.formats) {
        if (!all.empty()) all += L";";
        all += L"*." + f.ext;
        parts += L"|" + f.description + L" (*." + f.ext + L")|*." + f.ext;
    }
    return L"All (" + all + L")|" + all + parts;
}

// ---- TPicture ------------------------------------------------------------------------------

TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange) OnChange(this);
}

void TPicture::GraphicChanged(TObject*)
{
    Changed();
}

void TPicture::AdoptGraphic(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic) FGraphic->OnChange = Bind<&TPicture::GraphicChanged>(this);
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (graphic == FGraphic.get()) return;
    if (!graphic) {
        AdoptGraphic(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = graphic->NewOfSameClass();
    copy->Assign(graphic);
    AdoptGraphic(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) AdoptGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(FGraphic.get())) AdoptGraphic(std::make_unique<TIcon>());
    return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& fileName)
{
    String ext = NormalExt(ExtractFileExt(fileName));
    TGraphicFactory factory;
    {
        auto& r = Registry();
        std::lock_guard<std::mutex> g(r.lock);
        for (const auto& f : r.formats)
            if (f.ext == ext) factory = f.factory;
    }
    if (!factory) throw EInvalidGraphic(L"Unknown picture file extension (." + ext + L")");
    std::unique_ptr<TGraphic> graphic = factory();
    graphic->LoadFromFile(fileName);
    AdoptGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const String& fileName)
{
    if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream& stream)
{
    uint8_t head[16] = {};
    int64_t start = stream.Position();
    int64_t got = stream.Read(head, sizeof head);
    stream.SetPosition(start);
    TGraphicFactory factory;
    size_t bestLen = 0;
    {
        auto& r = Registry();
        std::lock_guard<std::mutex> g(r.lock);
        for (const auto& f : r.formats) {
            size_t n = f.signature.size();
            if (n == 0 || n > static_cast<size_t>(got) || n <= bestLen) continue;
            if (std::memcmp(head, f.signature.data(), n) == 0) {
                factory = f.factory;
                bestLen = n;
            }
        }
    }
    if (!factory) throw EInvalidGraphic(L"Unknown picture format");
    std::unique_ptr<TGraphic> graphic = factory();
    graphic->LoadFromStream(stream);
    AdoptGraphic(std::move(graphic));
}

void TPicture::SaveToStream(TStream& stream)
{
    if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source) {
        AdoptGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(p->FGraphic.get());
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(source);
}
