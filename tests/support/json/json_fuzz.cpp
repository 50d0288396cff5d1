// Fuzzes the parser with arbitrary UTF-16 text, whole and split into chunks at the places the
// input's first bytes choose, and writes what it parses in every layout.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/json/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    uint8_t mode = data[0];
    uint8_t seed = data[1];
    data += 2;
    size -= 2;
    // Half the inputs are bytes (one unit each, as a byte stream is read), half UTF-16LE.
    JsonString text;
    if (mode & 1) {
        for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    } else {
        for (size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(data[i]));
    }
    bool strict = (mode & 2) != 0;
    bool partial = (mode & 4) != 0;

    IJsonObject whole = ParseString(text, strict, partial);
    if (whole) {
        whole->AsJSon(false, true);
        whole->AsJSon(true, false);
        whole->Clone();
        whole->CalcSize(true, true);
    }

    // Chunked: chunk lengths from a small generator seeded by the input.
    TJsonTokenizer tok;
    uint32_t state = seed * 2654435761u + 1;
    size_t at = 0;
    IJsonObject v;
    while (at < text.size()) {
        state = state * 1103515245u + 12345u;
        size_t n = 1 + (state >> 16) % 17;
        if (n > text.size() - at) n = text.size() - at;
        v = ParseEx(tok, text.data() + at, static_cast<int32_t>(n), strict);
        at += n;
        if (tok.err != teContinue && tok.err != teSuccess) break;
        if (tok.err == teSuccess && tok.char_offset < static_cast<int32_t>(n)) break;
    }
    if (v) v->AsJSon(false, false);
    return 0;
}
