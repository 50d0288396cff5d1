// Fuzz target of the gradient description reader: any text answers with stops whose positions
// stay within 0..100; a True answer's last stop ends at 100.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/graphics/gradients.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Mostly digits and separators, so the reader gets past its first field.
    static const wchar_t alphabet[] = L"0123456789;;;-x$ABCDE@0";
    String text;
    for (size_t i = 0; i < size && i < 400; ++i)
        text += data[i] < 0xC0 ? alphabet[data[i] % (sizeof(alphabet) / sizeof(wchar_t) - 1)] : wchar_t(data[i]);
    TsGradArray g(1);
    const bool ok = ParseGradientString(text, g);
    for (size_t i = 0; i < g.size(); ++i)
        if (g[i].Percent > 100) abort();
    if (ok && !g.empty() && g.back().Percent != 100) abort();
    return 0;
}
