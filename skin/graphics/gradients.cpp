#include "skin/graphics/gradients.h"

#include <algorithm>

namespace {

// The ";"-separated fields; runs of separators count as one, separators at the ends are ignored.
std::vector<StringView> SplitFields(StringView text)
{
    std::vector<StringView> fields;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == L';') ++i;
        size_t start = i;
        while (i < text.size() && text[i] != L';') ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

// Field n (from 1) as a 64-bit integer keeping its low 32 bits, or as a 32-bit integer.
bool Field32Of64(const std::vector<StringView>& fields, size_t n, uint32_t& value)
{
    int64_t v = 0;
    if (n < 1 || n > fields.size() || !TryStrToInt64(fields[n - 1], v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool FieldInt(const std::vector<StringView>& fields, size_t n, int& value)
{
    return n >= 1 && n <= fields.size() && TryStrToInt(fields[n - 1], value);
}

bool ParseFiveFieldStops(const std::vector<StringView>& fields, TsGradArray& stops)
{
    const size_t count = fields.size() / 5;
    stops.resize(count);
    int sum = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t color = 0, mode = 0;
        int length = 0;
        if (!Field32Of64(fields, 5 * i + 1, color) || !FieldInt(fields, 5 * i + 3, length) ||
            !Field32Of64(fields, 5 * i + 4, mode))
            return false;
        TsGradPoint& p = stops[i];
        p.Color.C = color | 0xFF000000u;
        p.Percent = static_cast<uint8_t>(std::min(sum, 100));
        p.Mode = static_cast<int32_t>(mode & ~0x10u);
        p.Index = static_cast<uint16_t>(i);
        sum += std::clamp(length, 0, 100);
    }
    // A four-corner gradient always has its five points.
    if (count >= 1 && (stops[0].Mode & 3) == 2)
        while (stops.size() < 5) stops.push_back(stops.back());
    return true;
}

bool ParseThreeFieldStops(const std::vector<StringView>& fields, int count, TsGradArray& stops)
{
    if (count < 0) return false;
    stops.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < stops.size(); ++i) {
        uint32_t color = 0, mode = 0;
        int percent = 0;
        if (!Field32Of64(fields, 3 * i + 1, color) || !FieldInt(fields, 3 * i + 2, percent) ||
            !Field32Of64(fields, 3 * i + 3, mode))
            return false;
        TsGradPoint& p = stops[i];
        p.Color.C = color;
        p.Percent = static_cast<uint8_t>(std::clamp(percent, 0, 100));
        p.Mode = static_cast<int32_t>(mode);
        p.Index = static_cast<uint16_t>(i);
        if (mode & 0x10) stops[0].Mode |= 0x20;
    }
    return true;
}

}  // namespace

bool ParseGradientString(const String& text, TsGradArray& gradient)
{
    gradient.clear();
    if (text.size() <= 4) return true;
    const std::vector<StringView> fields = SplitFields(text);
    const unsigned code = static_cast<unsigned>(text.back()) & 0xFFu;
    TsGradArray stops;
    const bool ok = code == 0x30 ? ParseFiveFieldStops(fields, stops)
                                 : ParseThreeFieldStops(fields, static_cast<int>(code) - 64, stops);
    if (!ok) return false;
    if (!stops.empty()) stops.back().Percent = 100;
    gradient = std::move(stops);
    return true;
}
