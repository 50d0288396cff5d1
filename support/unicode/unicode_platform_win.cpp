// The system's locale functions as the source of the character tables.
#include <windows.h>

#include <mutex>

#include "support/system/system_info.h"
#include "support/unicode/unicode_data.h"

namespace {

class TWinCharSource : public TCharSource {
public:
    uint16_t AnsiType(uint8_t c) override
    {
        WORD t = 0;
        char ch = static_cast<char>(c);
        GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &ch, 1, &t);
        return t;
    }
    uint8_t AnsiLower(uint8_t c) override
    {
        char ch = static_cast<char>(c);
        CharLowerBuffA(&ch, 1);
        return static_cast<uint8_t>(ch);
    }
    uint8_t AnsiUpper(uint8_t c) override
    {
        char ch = static_cast<char>(c);
        CharUpperBuffA(&ch, 1);
        return static_cast<uint8_t>(ch);
    }
    uint16_t WideType(char16_t c) override
    {
        WORD t = 0;
        wchar_t ch = static_cast<wchar_t>(c);
        GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, &ch, 1, &t);
        return t;
    }
    char16_t WideLower(char16_t c) override
    {
        wchar_t ch = static_cast<wchar_t>(c);
        CharLowerBuffW(&ch, 1);
        return static_cast<char16_t>(ch);
    }
    char16_t WideUpper(char16_t c) override
    {
        wchar_t ch = static_cast<wchar_t>(c);
        CharUpperBuffW(&ch, 1);
        return static_cast<char16_t>(ch);
    }
    bool IsNtFamily() override { return (GetVersion() & 0x80000000u) == 0; }
    int CompareWideIgnoreCase(std::u16string_view a, std::u16string_view b, uint32_t locale) override
    {
        int r = CompareStringW(locale, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                               reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
        return r == 0 ? 0 : r - 2;
    }
    int CompareAnsiIgnoreCase(std::string_view a, std::string_view b, uint32_t locale) override
    {
        int r = CompareStringA(locale, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
        return r == 0 ? 0 : r - 2;
    }
    std::string ToAnsi(std::u16string_view s, uint32_t locale) override
    {
        UINT cp = CP_ACP;
        wchar_t buf[8] = {};
        if (GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, buf, 8) > 0) cp = static_cast<UINT>(_wtoi(buf));
        if (cp == 0) cp = GetACP();
        if (s.empty()) return std::string();
        auto w = reinterpret_cast<const wchar_t*>(s.data());
        int n = WideCharToMultiByte(cp, 0, w, static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) WideCharToMultiByte(cp, 0, w, static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
        return out;
    }
};

// Guards on-demand loading of character-property data; the data itself is never loaded.
TJclCriticalSection* gPropertyLock = nullptr;

}  // namespace

const TUnicodeData* UnicodeData()
{
    static TWinCharSource source;
    static std::once_flag once;
    static std::unique_ptr<TUnicodeData> data;
    std::call_once(once, [] {
        static TJclCriticalSection lock;
        gPropertyLock = &lock;
        data = std::make_unique<TUnicodeData>(source);
    });
    return data.get();
}
