#include "skin/engine/core/skin_container.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

#include "vcl/strings.h"

namespace {

const uint8_t Magic[4] = {'A', 'S', 'z', 'f'};

int32_t ReadInt32(const uint8_t* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void PutInt32(std::vector<uint8_t>& out, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

[[noreturn]] void Damaged(const String& what)
{
    throw EPackedSkinError(L"The packed skin is damaged: " + what + L".");
}

String EntryLabel(int index, const String& name)
{
    return L"entry " + IntToStr(index + 1) + (name.empty() ? String() : L" \"" + name + L"\"");
}

// Inflates the zlib stream at data[0..size) into exactly expected bytes; answers how many input
// bytes the stream took. Raises when the stream is damaged, ends early or holds more.
size_t InflateEntry(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t expected, const String& label)
{
    out.assign(expected, 0);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EPackedSkinError(L"Cannot start the decompression of " + label + L".");
    size_t consumed = 0;
    size_t produced = 0;
    int rc = Z_OK;
    uint8_t probe = 0;
    // zlib counts in 32-bit units; feed it in slices.
    while (true) {
        size_t inLeft = size - consumed;
        size_t outLeft = expected - produced;
        z.next_in = const_cast<Bytef*>(data + consumed);
        z.avail_in = static_cast<uInt>(std::min<size_t>(inLeft, 1u << 30));
        // Once the expected bytes are there, one more byte of room tells "more data" from "end".
        z.next_out = outLeft > 0 ? out.data() + produced : &probe;
        z.avail_out = outLeft > 0 ? static_cast<uInt>(std::min<size_t>(outLeft, 1u << 30)) : 1;
        uInt inBefore = z.avail_in, outBefore = z.avail_out;
        rc = inflate(&z, Z_NO_FLUSH);
        consumed += inBefore - z.avail_in;
        size_t made = outBefore - z.avail_out;
        if (outLeft > 0) produced += made;
        else if (made > 0) {
            inflateEnd(&z);
            Damaged(label + L" holds more than its " + IntToStr(int64_t(expected)) + L" bytes");
        }
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR || (rc == Z_OK && inBefore == z.avail_in && outBefore == z.avail_out)) {
            inflateEnd(&z);
            Damaged(label + L" ends before its data is complete");
        }
        if (rc != Z_OK) {
            inflateEnd(&z);
            Damaged(label + L" holds damaged compressed data");
        }
    }
    inflateEnd(&z);
    if (produced != expected)
        Damaged(label + L" holds " + IntToStr(int64_t(produced)) + L" bytes, not " + IntToStr(int64_t(expected)));
    return consumed;
}

}  // namespace

TacFileType FileTypeOfName(const String& name)
{
    String ext = UpperCase(ExtractFileExt(name));
    if (ext == L".BMP") return TacFileType::ftBmp;
    if (ext == L".TTF" || ext == L".OTF") return TacFileType::ftFont;
    return TacFileType::ftOther;
}

const TacFileItem* TacSkinConvertor::FindUpper(const String& upperName) const
{
    for (const TacFileItem& f : Files)
        if (UpperCase(f.Name) == upperName) return &f;
    return nullptr;
}

bool ReadPackedSkin(const uint8_t* data, size_t size, TacSkinConvertor& reader)
{
    reader.Clear();
    if (size < 4 || std::memcmp(data, Magic, 4) != 0) return false;
    try {
        if (size < 8) Damaged(L"the entry count is missing");
        int32_t n = ReadInt32(data + 4);
        // Every entry takes at least its two lengths and a minimal zlib stream (8 bytes).
        if (n < 0 || uint64_t(n) > (size - 8) / 16 + 1)
            Damaged(L"the entry count " + IntToStr(n) + L" does not fit in " + IntToStr(int64_t(size)) + L" bytes");
        reader.FileCount = n - 1;
        size_t pos = 8;
        for (int i = 0; i < n; ++i) {
            if (size - pos < 4) Damaged(EntryLabel(i, String()) + L" is missing");
            int32_t l = ReadInt32(data + pos);
            pos += 4;
            if (l <= 0 || l > MaxPackedNameLength || size_t(l) > size - pos)
                Damaged(EntryLabel(i, String()) + L" has a name length of " + IntToStr(l));
            String name = DecodeAnsi(data + pos, size_t(l));
            pos += size_t(l);
            String label = EntryLabel(i, name);
            if (size - pos < 4) Damaged(label + L" has no size");
            int32_t s = ReadInt32(data + pos);
            pos += 4;
            if (s < 0 || s > MaxPackedEntrySize) Damaged(label + L" declares " + IntToStr(s) + L" bytes");
            std::vector<uint8_t> bytes;
            pos += InflateEntry(data + pos, size - pos, bytes, size_t(s), label);
            if (SameText(name, SkinDescriptionName)) {
                reader.Options = std::move(bytes);   // a later description replaces an earlier one
            } else {
                reader.Files.push_back(TacFileItem{name, FileTypeOfName(name), std::move(bytes)});
            }
        }
    } catch (...) {
        reader.Clear();
        throw;
    }
    return true;
}

std::vector<uint8_t> WritePackedSkin(const std::vector<TacPackEntry>& entries)
{
    std::vector<uint8_t> out(Magic, Magic + 4);
    PutInt32(out, static_cast<int32_t>(entries.size()));
    for (const TacPackEntry& e : entries) {
        if (e.Name.empty() || e.Name.size() > size_t(MaxPackedNameLength))
            throw EPackedSkinError(L"The file name \"" + e.Name + L"\" cannot be packed.");
        for (wchar_t c : e.Name)
            if (c < 0x20 || c > 0x7E)
                throw EPackedSkinError(L"The file name \"" + e.Name + L"\" holds characters that cannot be packed.");
        if (e.Data.size() > size_t(MaxPackedEntrySize))
            throw EPackedSkinError(L"The file \"" + e.Name + L"\" is too large to be packed.");
        PutInt32(out, static_cast<int32_t>(e.Name.size()));
        for (wchar_t c : e.Name) out.push_back(static_cast<uint8_t>(c));
        PutInt32(out, static_cast<int32_t>(e.Data.size()));
        uLongf bound = compressBound(static_cast<uLong>(e.Data.size()));
        std::vector<uint8_t> z(bound);
        if (compress2(z.data(), &bound, e.Data.data(), static_cast<uLong>(e.Data.size()), Z_BEST_COMPRESSION) != Z_OK)
            throw EPackedSkinError(L"The file \"" + e.Name + L"\" could not be compressed.");
        out.insert(out.end(), z.begin(), z.begin() + static_cast<ptrdiff_t>(bound));
    }
    return out;
}

size_t FindBytes(const uint8_t* pattern, size_t m, const uint8_t* text, size_t n)
{
    if (m == 0 || n < m) return 0;
    size_t shift[256];
    for (size_t& s : shift) s = m;
    for (size_t i = 0; i + 1 < m; ++i) shift[pattern[i]] = m - 1 - i;
    size_t at = 0;
    while (at + m <= n) {
        uint8_t last = text[at + m - 1];
        if (last == pattern[m - 1]) {
            size_t k = m - 1;
            while (k > 0 && text[at + k - 1] == pattern[k - 1]) --k;
            if (k == 0) return at + 1;
            ++at;
        } else {
            at += shift[last];
        }
    }
    return 0;
}

std::optional<std::vector<uint8_t>> ExtractSkinPreview(const uint8_t* data, size_t size)
{
    static const uint8_t marker[] = {'p', 'r', 'e', 'v', 'i', 'e', 'w', 'i', 'm', 'g'};
    size_t q = FindBytes(marker, sizeof marker, data, size);
    if (q == 0) return std::nullopt;
    size_t at = q - 1 + sizeof marker;
    if (size - at < 4) return std::nullopt;
    int32_t p = ReadInt32(data + at);
    at += 4;
    if (p < 0 || size_t(p) > size - at) return std::nullopt;
    return std::vector<uint8_t>(data + at, data + at + p);
}
