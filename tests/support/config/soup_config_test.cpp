#include <gtest/gtest.h>

#include "support/config/soup_config.h"
#include "tests/common/test_support.h"
#include "vcl/application.h"

namespace {

String ExeFolder()
{
    return ExtractFilePath(Application->ExeName());
}

}  // namespace

TEST(SoupConfig, ResolvesTheIniPath)
{
    struct Case {
        String path;
        String expected;
    } cases[] = {
        {L"", ChangeFileExt(Application->ExeName(), L".ini")},
        {L"settings", ExeFolder() + L"settings.ini"},
        {L"a.cfg", ExeFolder() + L"a.ini"},
        {L"D:\\cfg\\x.conf", L"D:\\cfg\\x.conf"},
    };
    for (const auto& c : cases) {
        TSoupConfig cfg(nullptr);
        cfg.SetPath(c.path);
        cfg.ReadInteger(L"S", L"K", 0);   // builds the storage
        EXPECT_EQ(cfg.Path(), c.expected) << ToUtf8(c.path);
    }
}

TEST(SoupConfig, EveryTypeRoundTripsThroughAFreshInstance)
{
    String file = testing_support::MakeTempDir(L"soup") + L"app.ini";
    RemoveFile(file);
    TMemoryStream blob;
    const uint8_t bytes[] = {0, 1, 0xFE, 0x7F};
    blob.WriteBuffer(bytes, sizeof bytes);
    blob.SetPosition(0);
    {
        TSoupConfig cfg(nullptr);
        cfg.SetPath(file);
        cfg.WriteBool(L"Debug", L"LogToFile", true);
        cfg.WriteInteger(L"Profiles", L"ActiveProfile", 3);
        cfg.WriteString(L"Themes", L"Active", L"Light");
        cfg.WriteFloat(L"Shifter", L"Gain", 0.5);
        cfg.WriteDate(L"Dates", L"Day", EncodeDate(2026, 12, 10));
        cfg.WriteDateTime(L"Dates", L"Stamp", EncodeDate(2026, 12, 10) + EncodeTime(8, 30, 15, 0));
        cfg.WriteTime(L"Dates", L"Clock", EncodeTime(23, 59, 58, 0));
        cfg.WriteBinaryStream(L"Blob", L"Data", blob);
    }
    TSoupConfig cfg(nullptr);
    cfg.SetPath(file);
    EXPECT_TRUE(cfg.ReadBool(L"Debug", L"LogToFile", false));
    EXPECT_EQ(cfg.ReadInteger(L"Profiles", L"ActiveProfile", 0), 3);
    EXPECT_EQ(cfg.ReadString(L"Themes", L"Active", L""), L"Light");
    EXPECT_EQ(cfg.ReadFloat(L"Shifter", L"Gain", 0), 0.5);
    EXPECT_EQ(cfg.ReadDate(L"Dates", L"Day", 0), EncodeDate(2026, 12, 10));
    EXPECT_NEAR(cfg.ReadDateTime(L"Dates", L"Stamp", 0), EncodeDate(2026, 12, 10) + EncodeTime(8, 30, 15, 0), 1e-9);
    EXPECT_NEAR(cfg.ReadTime(L"Dates", L"Clock", 0), EncodeTime(23, 59, 58, 0), 1e-9);
    TMemoryStream back;
    EXPECT_EQ(cfg.ReadBinaryStream(L"Blob", L"Data", back), 4);
    EXPECT_EQ(back.Bytes(), std::vector<uint8_t>(bytes, bytes + 4));
    EXPECT_TRUE(cfg.SectionExists(L"Themes"));
    EXPECT_TRUE(cfg.ValueExists(L"Themes", L"Active"));
    cfg.DeleteKey(L"Themes", L"Active");
    cfg.EraseSection(L"Debug");
    TSoupConfig third(nullptr);
    third.SetPath(file);
    EXPECT_FALSE(third.ValueExists(L"Themes", L"Active"));
    EXPECT_FALSE(third.SectionExists(L"Debug"));
}

TEST(SoupConfig, WithoutAutoUpdateWritesOnlyAtDestruction)
{
    String file = testing_support::MakeTempDir(L"soup") + L"late.ini";
    RemoveFile(file);
    auto* cfg = new TSoupConfig(nullptr);
    cfg->SetPath(file);
    cfg->SetAutoUpdateIniFile(false);
    cfg->WriteInteger(L"S", L"K", 7);
    EXPECT_FALSE(FileExists(file));
    delete cfg;
    TSoupConfig again(nullptr);
    again.SetPath(file);
    EXPECT_EQ(again.ReadInteger(L"S", L"K", 0), 7);
}

TEST(SoupConfig, RegistryModeAndSwitchingStorage)
{
    Application->SetTitle(L"QweltaSoupTest");
    TSoupConfig cfg(nullptr);
    cfg.SetPathType(TPathType::ptRegistry);
    cfg.WriteInteger(L"Profiles", L"ActiveProfile", 4);
    cfg.WriteString(L"Themes", L"Active", L"Dark");
    EXPECT_EQ(cfg.Path(), L"\\Software\\Temp\\QweltaSoupTest");
    EXPECT_EQ(cfg.ReadInteger(L"Profiles", L"ActiveProfile", 0), 4);
    TStringList lines;
    cfg.ReadSectionValues(L"Themes", lines);
    EXPECT_EQ(lines.Text(), L"Active=Dark\r\n");
    // Switching to an INI file makes the next read come from the other storage.
    cfg.SetPathType(TPathType::ptIniFile);
    cfg.SetPath(testing_support::MakeTempDir(L"soup") + L"other.ini");
    EXPECT_EQ(cfg.ReadInteger(L"Profiles", L"ActiveProfile", -1), -1);
    TRegistry reg;
    reg.DeleteKey(L"\\Software\\Temp\\QweltaSoupTest");
}

TEST(SoupConfig, CorruptFileReadsDefaults)
{
    String file = testing_support::MakeTempDir(L"soup") + L"bad.ini";
    std::vector<uint8_t> junk(100000);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 131 + (i >> 7));
    WriteFileBytes(file, junk);
    TSoupConfig cfg(nullptr);
    cfg.SetPath(file);
    EXPECT_EQ(cfg.ReadInteger(L"Profiles", L"ActiveProfile", 2), 2);
    EXPECT_FALSE(cfg.ReadBool(L"Debug", L"LogToFile", false));
}
