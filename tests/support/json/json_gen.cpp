// Writes generated documents in the four writer layouts (compact or indented, escaped or not)
// for an independent JSON reader to check. Each layout goes on its own record, records end
// with a line holding only the character 0x1E. Unescaped texts are written as UTF-8 and hold
// no lone surrogates, which UTF-8 cannot carry.
#include <cstdio>
#include <random>
#include <string>

#include "support/json/json.h"

namespace {

std::mt19937_64 gRandom(20240611);

int Pick(int n) { return static_cast<int>(gRandom() % static_cast<uint64_t>(n)); }

JsonString RandomText(bool loneSurrogates)
{
    JsonString s;
    int n = Pick(12);
    for (int i = 0; i < n; ++i) {
        switch (Pick(6)) {
        case 0: s.push_back(static_cast<char16_t>(Pick(0x20))); break;   // control characters, NUL too
        case 1: s.push_back(u"\"\\/ 'az{}[]:,"[Pick(13)]); break;
        case 2: s.push_back(static_cast<char16_t>(0x7F + Pick(0x81))); break;
        case 3: {
            char16_t c = static_cast<char16_t>(0x100 + Pick(0xD800 - 0x100));
            s.push_back(c);
            break;
        }
        case 4: {   // a character outside the basic plane: a surrogate pair
            uint32_t cp = 0x10000 + static_cast<uint32_t>(Pick(0x100000));
            s.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            s.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            break;
        }
        default:
            if (loneSurrogates) s.push_back(static_cast<char16_t>(0xD800 + Pick(0x800)));
            else s.push_back(static_cast<char16_t>(0xE000 + Pick(0x1FFE)));
        }
    }
    return s;
}

double RandomDouble()
{
    switch (Pick(5)) {
    case 0: return static_cast<double>(static_cast<float>(std::uniform_real_distribution<double>(-1e6, 1e6)(gRandom)));
    case 1: return std::ldexp(std::uniform_real_distribution<double>(-1, 1)(gRandom), Pick(2000) - 1000);
    case 2: return static_cast<double>(Pick(2000001) - 1000000) / 1000.0;
    case 3: {
        const double special[] = {0.0, -0.0, 1e15, 1e16, 1e-3, 1e-4, 9.5e-5, 1.7976931348623157e308, 4.9e-324, 2.2250738585072014e-308};
        return special[Pick(10)];
    }
    default: return std::uniform_real_distribution<double>(-1e20, 1e20)(gRandom);
    }
}

IJsonObject RandomValue(int depth, bool loneSurrogates)
{
    int kind = depth >= 5 ? Pick(6) : Pick(8);
    switch (kind) {
    case 0: return TJsonObject::Create(stNull);
    case 1: return TJsonObject::Create(Pick(2) == 0);
    case 2: return TJsonObject::Create(RandomDouble());
    case 3: return TJsonObject::CreateCurrency(static_cast<int64_t>(gRandom()) >> Pick(64));
    case 4: return TJsonObject::Create(static_cast<int64_t>(gRandom()) >> Pick(64));
    case 5: return TJsonObject::Create(RandomText(loneSurrogates));
    case 6: {
        IJsonObject a = TJsonObject::Create(stArray);
        for (int i = Pick(6); i > 0; --i) a->AsArray()->Add(Pick(8) == 0 ? IJsonObject() : RandomValue(depth + 1, loneSurrogates));
        return a;
    }
    default: {
        IJsonObject o = TJsonObject::Create(stObject);
        for (int i = Pick(6); i > 0; --i)
            o->AsObject()->PutO(RandomText(loneSurrogates), Pick(8) == 0 ? IJsonObject() : RandomValue(depth + 1, loneSurrogates));
        return o;
    }
    }
}

void Put(const JsonString& text, bool utf8)
{
    std::string out;
    if (utf8) out = Utf8OfJson(text);
    else
        for (char16_t c : text) out.push_back(static_cast<char>(c));   // escaped text is ASCII
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fputs("\n\x1e\n", stdout);
}

}  // namespace

int main()
{
    for (int doc = 0; doc < 400; ++doc) {
        bool lone = doc % 2 == 1;
        IJsonObject v = RandomValue(0, lone);
        std::printf("%s\n\x1e\n", lone ? "escaped" : "all");
        Put(v->AsJSon(false, true), false);
        Put(v->AsJSon(true, true), false);
        if (!lone) {
            Put(v->AsJSon(false, false), true);
            Put(v->AsJSon(true, false), true);
        }
    }
    return 0;
}
