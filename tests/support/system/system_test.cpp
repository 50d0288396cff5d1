#include <gtest/gtest.h>

#include "support/system/named_thread.h"
#include "support/system/system_info.h"
#include "vcl/registry.h"

namespace {
class TProbeThread : public TNamedThread {
protected:
    void Execute() override {}
};
}  // namespace

TEST(NamedThread, ThreadNameCarriesTheClassName)
{
    TProbeThread t;
    EXPECT_EQ(t.ThreadName(), L"TProbeThread");
    t.SetThreadName(L"Reader");
    EXPECT_EQ(t.ThreadName(), L"Reader {TProbeThread}");
}

TEST(WindowsVersion, Classification)
{
    struct Case {
        bool nt;
        int major, minor;
        bool workstation;
        const wchar_t* product;   // ProductName in the registry, or null
        int realMajor;            // CurrentMajorVersionNumber, or -1
        int expected;
    } cases[] = {
        {true, 5, 1, true, nullptr, -1, 11},
        {true, 6, 0, false, nullptr, -1, 16},
        {true, 6, 1, true, nullptr, -1, 17},
        {true, 6, 2, true, L"Windows 8.1 Pro", -1, 22},
        {true, 6, 2, false, L"Windows Server 2012", -1, 21},
        {true, 6, 2, true, L"Windows 10 Pro", 10, 25},
        {true, 10, 0, true, nullptr, -1, 25},
        {true, 10, 1, true, nullptr, -1, 0},
        {false, 4, 90, true, nullptr, -1, 5},
        {true, 3, 51, true, nullptr, -1, 8},
    };
    for (const auto& c : cases) {
        TWindowsVersionFacts f;
        f.nt = c.nt;
        f.major = c.major;
        f.minor = c.minor;
        f.workstation = c.workstation;
        const wchar_t* product = c.product;
        int realMajor = c.realMajor;
        f.readText = [product](const String& name) -> std::optional<String> {
            if (name == L"ProductName" && product) return String(product);
            return std::nullopt;
        };
        f.readInteger = [realMajor](const String& name) -> std::optional<int> {
            if (name == L"CurrentMajorVersionNumber" && realMajor >= 0) return realMajor;
            if (name == L"CurrentMinorVersionNumber" && realMajor >= 0) return 0;
            return std::nullopt;
        };
        EXPECT_EQ(ClassifyWindowsVersion(f), c.expected) << c.major << "." << c.minor;
    }
}

TEST(WindowsVersion, AtLeastAndStartupFigures)
{
    EXPECT_TRUE(WindowsVersionAtLeast(5, 1));
    EXPECT_FALSE(WindowsVersionAtLeast(99, 0));
    EXPECT_GT(SystemFigures().processorCount, 0u);
    EXPECT_TRUE(SystemFigures().isWinNT);
    EXPECT_TRUE(IsWindows64());
}

TEST(RegistryReaders, PrefixesTypesAndDefaults)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(L"\\Software\\QweltaTest\\Readers", true));
    reg.WriteInteger(L"Dword", 42);
    reg.WriteString(L"Text12", L"12");
    reg.WriteString(L"TextX", L"x");
    reg.CloseKey();
    const String key = L"Software\\QweltaTest\\Readers";
    EXPECT_EQ(ReadRegIntegerOrDefault(HKEY_CURRENT_USER, key, L"Dword", -1), 42);
    EXPECT_EQ(ReadRegIntegerOrDefault(HKEY_CURRENT_USER, L"HKCU\\" + key, L"Text12", -1), 12);
    EXPECT_EQ(ReadRegIntegerOrDefault(HKEY_CURRENT_USER, key, L"TextX", -1), -1);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"\\HKEY_CURRENT_USER\\" + key, L"Text12"), L"12");
    // A root name that names another root than the one given.
    try {
        ReadRegString(HKEY_CURRENT_USER, L"HKLM\\" + key, L"Text12");
        FAIL() << "expected EJclRegistryError";
    } catch (const EJclRegistryError& e) {
        EXPECT_EQ(e.Message(), L"\"HKLM\\" + key + L"\" does not match RootKey");
    }
    EXPECT_EQ(ReadRegStringOrDefault(HKEY_CURRENT_USER, L"HKLM\\" + key, L"Text12", L"def"), L"def");
    EXPECT_THROW(ReadRegString(HKEY_CURRENT_USER, key, L"Dword"), EJclRegistryError);
    reg.DeleteKey(L"\\Software\\QweltaTest");
}

TEST(JclCriticalSection, CreateAndEnterInstallsOnce)
{
    TJclCriticalSection* section = nullptr;
    TJclCriticalSection::CreateAndEnter(section);
    TJclCriticalSection* first = section;
    section->Leave();
    TJclCriticalSection::CreateAndEnter(section);
    EXPECT_EQ(section, first);
    section->Leave();
    delete section;
}
