#include "skin/engine/core/skin_images.h"

#include <algorithm>

#include "skin/engine/core/skin_rescale.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/jpeg_decode.h"
#include "skin/graphics/png/pngreader.h"
#include "vcl/bmpcodec.h"
#include "vcl/streams.h"

namespace {

// Opaque everywhere but on magenta, which becomes transparent.
void ApplyKeyRule(TPixelImage& image)
{
    uint32_t* p = image.Data();
    const size_t n = size_t(image.Width()) * size_t(image.Height());
    for (size_t i = 0; i < n; ++i) p[i] = IsKeyPixel(p[i]) ? KeyPixel : (p[i] | 0xFF000000u);
}

TPixelImage FromDecodedBmp(const bmpcodec::TDecodedBmp& d, bool& hasAlpha)
{
    TPixelImage image(d.width, d.height);
    hasAlpha = d.bitCount == 32;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = d.pixels.data() + size_t(y) * size_t(d.stride);
        uint32_t* dst = image.Data() + size_t(y) * size_t(image.Width());
        for (int x = 0; x < image.Width(); ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 0;
            switch (d.bitCount) {
            case 1: case 4: case 8: {
                int bits = d.bitCount;
                int perByte = 8 / bits;
                uint8_t byte = row[x / perByte];
                int shift = 8 - bits * (x % perByte + 1);
                size_t index = (byte >> shift) & ((1u << bits) - 1);
                if (index < d.palette.size()) {
                    r = d.palette[index].r;
                    g = d.palette[index].g;
                    b = d.palette[index].b;
                }
                break;
            }
            case 16: {
                uint32_t v = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
                if (d.is565) {
                    r = (v >> 11) & 31; g = (v >> 5) & 63; b = v & 31;
                    r = r << 3 | r >> 2; g = g << 2 | g >> 4; b = b << 3 | b >> 2;
                } else {
                    r = (v >> 10) & 31; g = (v >> 5) & 31; b = v & 31;
                    r = r << 3 | r >> 2; g = g << 3 | g >> 2; b = b << 3 | b >> 2;
                }
                break;
            }
            case 24:
                b = row[3 * x]; g = row[3 * x + 1]; r = row[3 * x + 2];
                break;
            default:
                b = row[4 * x]; g = row[4 * x + 1]; r = row[4 * x + 2]; a = row[4 * x + 3];
                break;
            }
            dst[x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return image;
}

TPixelImage DecodeBmp(const String& fileName, const std::vector<uint8_t>& bytes, bool& hasAlpha)
{
    bmpcodec::TDecodedBmp d;
    String error;
    if (!bmpcodec::DecodeBmpFile(bytes.data(), bytes.size(), d, error))
        throw ESkinImageError(L"The image \"" + fileName + L"\" is not a valid bitmap: " + error + L".");
    return FromDecodedBmp(d, hasAlpha);
}

TPixelImage DecodePng(const String& fileName, const std::vector<uint8_t>& bytes, bool& hasAlpha)
{
    try {
        TPNGPixels32 png = DecodePngTo32(bytes.data(), bytes.size());
        TPixelImage image(int(png.Width), int(png.Height));
        if (!image.Empty()) std::copy_n(png.Pixels.data(), image.Width() * size_t(image.Height()) * 4,
                                        reinterpret_cast<uint8_t*>(image.Data()));
        // Colour types 4 and 6 carry alpha; the others were made opaque (or keyed by tRNS).
        hasAlpha = bytes.size() > 25 && (bytes[25] == 4 || bytes[25] == 6);
        return image;
    } catch (const Exception& e) {
        throw ESkinImageError(L"The image \"" + fileName + L"\" is not a valid PNG picture: " + e.Message());
    }
}

String Note(const String& section, const String& key, const String& why)
{
    return L"[" + section + L"] " + key + L": " + why;
}

bool InsideBitmap(const TRect& r, int width, int height)
{
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= width &&
           r.bottom <= height;
}

}  // namespace

TacImageFileKind ImageFileKindOf(const String& fileName)
{
    String u = UpperCase(fileName);
    if (u.find(L".BMP") != String::npos) return TacImageFileKind::ikBmp;
    if (u.find(L".JPG") != String::npos || u.find(L".JPEG") != String::npos) return TacImageFileKind::ikJpeg;
    if (u.find(L".PNG") != String::npos) return TacImageFileKind::ikPng;
    return TacImageFileKind::ikOther;
}

TPixelImage DecodeSkinImage(const String& fileName, const std::vector<uint8_t>& bytes)
{
    bool hasAlpha = false;
    switch (ImageFileKindOf(fileName)) {
    case TacImageFileKind::ikBmp: {
        TPixelImage image = DecodeBmp(fileName, bytes, hasAlpha);
        if (!hasAlpha) ApplyKeyRule(image);
        return image;
    }
    case TacImageFileKind::ikJpeg:
        try {
            TPixelImage image = DecodeJpegTo32(bytes.data(), bytes.size());
            ApplyKeyRule(image);
            return image;
        } catch (const EJpegError& e) {
            throw ESkinImageError(L"The image \"" + fileName + L"\": " + e.Message());
        }
    case TacImageFileKind::ikPng:
        return DecodePng(fileName, bytes, hasAlpha);
    default:
        return TPixelImage();
    }
}

TPixelImage DecodeMasterBitmap(const String& fileName, const std::vector<uint8_t>& bytes)
{
    bool hasAlpha = false;
    if (UpperCase(fileName).find(L".PNG") != String::npos) {
        TPixelImage image = DecodePng(fileName, bytes, hasAlpha);
        if (hasAlpha) {
            uint32_t* p = image.Data();
            for (size_t i = 0, n = size_t(image.Width()) * size_t(image.Height()); i < n; ++i)
                if (p[i] == 0xFFFF00FFu) p[i] = KeyPixel;
        } else {
            ApplyKeyRule(image);
        }
        return image;
    }
    TPixelImage image = DecodeBmp(fileName, bytes, hasAlpha);
    if (!hasAlpha) ApplyKeyRule(image);
    return image;
}

// ---- cache ---------------------------------------------------------------------------------------

int FindBmp(const TacBmpArray& cache, const String& fileName, const TRect& srcRect)
{
    for (size_t i = 0; i < cache.size(); ++i)
        if (cache[i].FileName == fileName && (!fileName.empty() || cache[i].SrcRect == srcRect)) return int(i);
    return -1;
}

int AddBmp(TacBmpArray& cache, std::unique_ptr<TPixelImage> bmp, const String& fileName, int maskType, int mulPPI,
           int divPPI, const TRect& srcRect, const TRect& r, const String& path)
{
    TacBmpData e;
    e.MulPPI = mulPPI;
    e.DivPPI = divPPI;
    e.MaskType = maskType;
    e.Path = path;
    e.FileName = fileName;
    e.SrcRect = srcRect;
    e.R = r.IsEmpty() && bmp ? bmp->Bounds() : r;
    e.Bmp = std::move(bmp);
    cache.push_back(std::move(e));
    return int(cache.size()) - 1;
}

int MulDivRound(int a, int b, int c)
{
    if (c == 0) return 0;
    int64_t p = int64_t(a) * b;
    int64_t q = (p >= 0) == (c > 0) ? (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c)
                                   : -((std::llabs(p) + std::llabs(c) / 2) / std::llabs(c));
    return int(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

void UseCachedBmp(TsMaskData& image, const TacBmpData& entry)
{
    if (entry.Bmp) {
        image.Bmp = entry.Bmp.get();
        image.R = entry.Bmp->Bounds();
        image.Width = entry.Bmp->Width();
        image.Height = entry.Bmp->Height();
    } else {
        image.Width = image.R.Width();
        image.Height = image.R.Height();
    }
    image.MulPPi = entry.MulPPI;
    image.DivPPI = entry.DivPPI;
    const int frames = std::max<int>(1, image.ImageCount);
    const int parts = std::max(1, image.MaskType + 1);
    auto scale = [&](int v) { return MulDivRound(v, image.MulPPi, image.DivPPI); };
    image.WL = int16_t(std::max(0, scale(image.WL)));
    image.WT = int16_t(std::max(0, scale(image.WT)));
    image.WR = int16_t(std::max(0, std::min(scale(image.WR), image.Width / frames - image.WL - 1)));
    image.WB = int16_t(std::max(0, std::min(scale(image.WB), image.Height / parts - image.WT - 1)));
}

// ---- images ----------------------------------------------------------------------------------

int CornerKeyTest(const TsMaskData& image, const TPixelView& bitmap, int buttonHugeIndex)
{
    if (buttonHugeIndex >= 0 && image.SkinIndex == buttonHugeIndex && image.PropertyName == L"BORDERSMASK") return 2;
    if (image.R.Height() <= 0 || bitmap.IsNull()) return 0;
    const int frames = std::max<int>(1, image.ImageCount);
    const int f = image.R.Width() / frames;
    const int h = image.R.Height() / std::max(1, image.MaskType + 1);
    // The scan ends before the bitmap's last column and row, and never leaves the image.
    const TRect limit = TRect::Intersect(image.R, TRect(0, 0, bitmap.Width - 1, bitmap.Height - 1));
    for (int frame = 0; frame < frames; ++frame) {
        const int x = image.R.left + frame * f;
        const int top = image.R.top;
        const TRect boxes[4] = {
            TRect(x, top, x + image.WL, top + image.WT),
            TRect(x + f - image.WR, top, x + f, top + image.WT),
            TRect(x, top + h - image.WB, x + image.WL, top + h),
            TRect(x + f - image.WR, top + h - image.WB, x + f, top + h),
        };
        for (const TRect& box : boxes) {
            TRect c = TRect::Intersect(box, limit);
            for (int yy = c.top; yy < c.bottom; ++yy)
                for (int xx = c.left; xx < c.right; ++xx)
                    if (IsKeyPixel(bitmap.At(xx, yy))) return 1;
        }
    }
    return 0;
}

void SetImageSizes(std::vector<TsMaskData>& images)
{
    for (TsMaskData& m : images) {
        m.Width = m.ImageCount > 0 ? m.R.Width() / m.ImageCount : 0;
        m.Height = m.MaskType == -1 ? 0 : m.R.Height() / std::max(1, m.MaskType + 1);
        if (m.ImageCount <= 0) {
            if (m.WT <= 0) m.WT = int16_t((m.Height - 1) / (2 * std::max(1, m.MaskType + 1)));
            if (m.WB <= 0) m.WB = int16_t((m.Height - 1) / (2 * std::max(1, m.MaskType + 1)));
            if (m.WL <= 0) m.WL = int16_t((m.Width - 1) / 2);
            if (m.WR <= 0) m.WR = int16_t((m.Width - 1) / 2);
            m.ImageCount = 1;
        }
    }
}

int AddMaskFromValue(TacImageLoadContext& ctx, std::vector<TsMaskData>& images, TacBmpArray& cache, int sectionIndex,
                     const String& section, const String& key)
{
    auto lookup = [&](const String& k) { return ctx.Description->ReadString(section, k, String()); };
    auto note = [&](const String& why) {
        if (ctx.Notes) ctx.Notes->push_back(Note(section, key, why));
    };
    String canonical;
    int drawnFor = 96;
    TacMaskDefinition def;
    try {
        std::tie(canonical, drawnFor) = ChooseMaskVariant(key, ctx.PPI, ctx.ScaleValue, lookup);
        if (canonical.empty()) return -1;
        def = ParseCanonicalMask(canonical);
    } catch (const Exception& e) {
        throw ESkinImageError(L"The image of key " + key + L" in section [" + section + L"] cannot be read: " +
                              e.Message() + L".");
    }
    TsMaskData m;
    m.SkinIndex = sectionIndex;
    m.PropertyName = key;
    m.ClassName = section;
    // A frame count of 0 is read as one frame: every size below divides by it.
    m.ImageCount = int16_t(std::clamp(def.ImageCount, 1, 9));
    m.MaskType = int16_t(def.MaskType);
    m.DrawMode = uint16_t(std::clamp(def.DrawMode, 0, 99));
    m.ImgType = def.ImgType;
    m.R = def.R;
    m.Manager = ctx.Manager;
    m.MulPPi = ctx.PPI;
    m.DivPPI = drawnFor;
    m.WL = int16_t(std::clamp(def.WL, 0, 9999));
    m.WT = int16_t(std::clamp(def.WT, 0, 9999));
    m.WR = int16_t(std::clamp(def.WR, 0, 9999));
    m.WB = int16_t(std::clamp(def.WB, 0, 9999));
    const bool keepKey = m.ImgType == TacImgType::itisaTexture || m.ImgType == TacImgType::itisaGlow;
    const String path = section + L"-" + key;

    // The bitmap: cached, an image file, or a part of the master bitmap.
    int c = FindBmp(cache, def.FileName, def.R);
    if (c >= 0) {
        UseCachedBmp(m, cache[size_t(c)]);
    } else if (!def.FileName.empty()) {
        std::vector<uint8_t> bytes;
        if (!ctx.ReadFile || !ctx.ReadFile(def.FileName, bytes)) {
            note(L"the image file " + def.FileName + L" is missing");
            return -1;
        }
        TPixelImage decoded;
        try {
            decoded = DecodeSkinImage(def.FileName, bytes);
        } catch (const Exception& e) {
            note(e.Message());
            return -1;
        }
        if (ImageFileKindOf(def.FileName) == TacImageFileKind::ikPng && ctx.Brightness < 1 &&
            m.ImgType != TacImgType::itisaBorder)
            PremultiplyAlphaRect32(decoded.View(), decoded.Bounds(), ctx.CompositionOn);
        auto bmp = std::make_unique<TPixelImage>(std::move(decoded));
        m.R = bmp->Bounds();
        m.Width = bmp->Width();
        m.Height = bmp->Height();
        m.Bmp = bmp.get();
        // Drawn for another PPI: rescaled once, here.
        if (m.MulPPi != m.DivPPI) {
            std::unique_ptr<TPixelImage> scaled;
            const bool keep = keepKey || m.ImgType == TacImgType::itisaPngGlyph;
            if (RescaleSkinImage(m, TPixelView(), keep, ctx.MainColor, scaled)) bmp = std::move(scaled);
        }
        AddBmp(cache, std::move(bmp), def.FileName, m.MaskType, m.MulPPi, m.DivPPI, TRect(), TRect(), path);
    }
    // The rectangle must lie in its bitmap (the image's own, or the master).
    TPixelView source = m.Bmp ? m.Bmp->View() : ctx.Master ? ctx.Master->View() : TPixelView();
    if (!InsideBitmap(m.R, source.Width, source.Height)) {
        note(L"the rectangle " + IntToStr(m.R.left) + L"," + IntToStr(m.R.top) + L"," + IntToStr(m.R.right) + L"," +
             IntToStr(m.R.bottom) + L" is not inside its " + IntToStr(source.Width) + L"x" + IntToStr(source.Height) +
             L" bitmap");
        return -1;
    }
    // A part of the master drawn for another PPI gets a rescaled bitmap of its own, which the
    // cache keeps for other images of the same part.
    if (c < 0 && def.FileName.empty() && m.MulPPi != m.DivPPI && !(m.DrawMode & dmNoRescale)) {
        const TRect before = m.R;
        std::unique_ptr<TPixelImage> scaled;
        if (RescaleSkinImage(m, source, false, ctx.MainColor, scaled))
            AddBmp(cache, std::move(scaled), String(), m.MaskType, m.MulPPi, m.DivPPI, before, m.R, path);
        source = m.Bmp ? m.Bmp->View() : source;
    }
    // Border widths stay within a frame.
    const int frameW = m.R.Width() / m.ImageCount;
    const int frameH = m.R.Height() / std::max(1, m.MaskType + 1);
    m.WL = int16_t(std::clamp<int>(m.WL, 0, std::max(0, frameW - 1)));
    m.WR = int16_t(std::clamp<int>(m.WR, 0, std::max(0, frameW - 1)));
    m.WT = int16_t(std::clamp<int>(m.WT, 0, std::max(0, frameH - 1)));
    m.WB = int16_t(std::clamp<int>(m.WB, 0, std::max(0, frameH - 1)));
    if (m.ImgType == TacImgType::itisaBorder) m.Cfg |= CornerKeyTest(m, source, ctx.ButtonHugeIndex);
    images.push_back(std::move(m));
    return int(images.size()) - 1;
}

void LoadAllMasks(TacImageLoadContext& ctx, std::vector<TsMaskData>& images, TacBmpArray& cache)
{
    if (!ctx.Description) return;
    TStringList sections;
    ctx.Description->ReadSections(sections);
    bool globalSeen = false, masterSkipped = false;
    for (int i = 0; i < sections.Count(); ++i) {
        const String section = sections[i];
        const bool firstGlobal = !globalSeen && section == L"GLOBALINFO";
        if (firstGlobal) globalSeen = true;
        TStringList keys;
        ctx.Description->ReadSection(section, keys);
        for (int k = 0; k < keys.Count(); ++k) {
            const String key = keys[k];
            if (firstGlobal && !masterSkipped && key == L"MASTERBITMAP") {
                masterSkipped = true;
                continue;
            }
            if (key.find(L'*') != String::npos) continue;
            if (IsMaskValue(UpperCase(ctx.Description->ReadString(section, key, String()))))
                AddMaskFromValue(ctx, images, cache, i, section, key);
        }
    }
    // Bitmaps that the manager's common sections name.
    if (!ctx.CommonSections || ctx.CommonSections->Count() == 0) return;
    TMemIniFile common{String()};
    common.SetText(ctx.CommonSections->Text());
    TStringList commonSections;
    common.ReadSections(commonSections);
    for (int i = 0; i < commonSections.Count(); ++i) {
        const String section = commonSections[i];
        if (UpperCase(section) == L"GLOBALINFO") continue;
        TStringList keys;
        common.ReadSection(section, keys);
        for (int k = 0; k < keys.Count(); ++k) {
            String v = UpperCase(common.ReadString(section, keys[k], L"-"));
            if (v.find(L".BMP") == String::npos) continue;
            if (v.find(L':') == String::npos) v = ctx.SkinPath + v;
            if (!FileExists(v)) continue;
            TPixelImage decoded;
            try {
                decoded = DecodeSkinImage(v, ReadFileBytes(v));
            } catch (const Exception& e) {
                if (ctx.Notes) ctx.Notes->push_back(Note(section, keys[k], e.Message()));
                continue;
            }
            if (decoded.Width() == 0) continue;
            TsMaskData m;
            m.PropertyName = UpperCase(keys[k]);
            m.ClassName = UpperCase(section);
            m.Manager = ctx.Manager;
            m.ImageCount = 0;
            m.SkinIndex = 0;
            m.MulPPi = m.DivPPI = ctx.PPI;
            auto bmp = std::make_unique<TPixelImage>(std::move(decoded));
            m.Bmp = bmp.get();
            AddBmp(cache, std::move(bmp), v, 0, ctx.PPI, ctx.PPI, TRect(), TRect(), m.ClassName + L"-" + m.PropertyName);
            images.push_back(std::move(m));
        }
    }
}
