// skintool render on the fixture skin the tests generate: every section and state renders, at
// the size asked, the pixels of the control frame's composition over the skin's main colour; an
// unknown section, a damaged skin and bad numbers exit 1 with a message.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "skin/engine/core/skin_info.h"
#include "skin/graphics/item_paint.h"
#include "tests/skin/fixture_skin.h"

namespace fs = fixture_skin;
namespace fsys = std::filesystem;

namespace {

class SkintoolRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fsys::temp_directory_path() / ("skintool_render_" + std::to_string(::getpid()));
        fsys::create_directories(Dir);
        fs::WritePacked(FromUtf8((Dir / "Fixture.asz").string()));
        fs::WriteFolder(FromUtf8((Dir / "Fixture").string()));
    }
    void TearDown() override { if (!getenv("KEEP")) fsys::remove_all(Dir); }

    // Runs the tool; the exit code, stderr in *message.
    int Run(const std::string& args, std::string* message = nullptr)
    {
        const std::string err = (Dir / "err.txt").string();
        const int rc = std::system((std::string(QW_SKINTOOL) + " " + args + " 2>" + err).c_str());
        if (message) {
            std::vector<uint8_t> b = ReadFileBytes(FromUtf8(err));
            message->assign(b.begin(), b.end());
        }
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    TPixelImage ReadRaw(const std::string& name)
    {
        std::vector<uint8_t> b = ReadFileBytes(FromUtf8((Dir / name).string()));
        auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
        if (b.size() < 8) return {};
        TPixelImage img(int(u32(0)), int(u32(4)));
        if (b.size() != 8 + size_t(img.Width()) * size_t(img.Height()) * 4) return {};
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) img.At(x, y) = u32(8 + (size_t(y) * size_t(img.Width()) + size_t(x)) * 4);
        return img;
    }
    std::string Path(const std::string& name) { return "'" + (Dir / name).string() + "'"; }

    fsys::path Dir;
};

TEST_F(SkintoolRender, EverySectionAndStateRendersTheFrameOverTheMainColour)
{
    std::vector<uint8_t> packed = fs::Packed();
    TacSkinSource source = TacSkinSource::FromPacked(packed.data(), packed.size());
    TacStandaloneSkin skin(source, 96);
    for (int i = 0; i < fs::SectionCount(); ++i)
        for (int state = 0; state < 3; ++state) {
            const std::string name = ToUtf8(fs::Sections()[size_t(i)].Name);
            // The packed file always, the folder for the first state.
            for (const char* file : {"Fixture.asz", "Fixture"}) {
                if (std::string(file) == "Fixture" && state > 0) continue;
                std::string message;
                ASSERT_EQ(Run("render " + Path(file) + " " + name + " " + std::to_string(state) + " 37 23 " +
                                  Path("out.raw"),
                              &message),
                          0)
                    << name << ": " << message;
                const TPixelImage got = ReadRaw("out.raw");
                TPixelImage want(37, 23);
                {
                    TacStandalonePaintScope scope(skin);
                    TCacheInfo plain;
                    plain.FillColor = fs::MainColor;
                    PaintSectionFrame(skin.Data().SkinIndexOf(FromUtf8(name)), plain, state, want.Bounds(), TPoint(),
                                      want.View(), &skin.Data());
                }
                ASSERT_EQ(got.Width(), 37) << name;
                ASSERT_EQ(got.Height(), 23) << name;
                for (int y = 0; y < 23; ++y)
                    for (int x = 0; x < 37; ++x) ASSERT_EQ(got.At(x, y), want.At(x, y)) << name << " " << state;
                // The plain area under the item is the main colour: a fully transparent state shows it.
                if (name == "T100S0") EXPECT_EQ(got.At(18, 11), fs::Opaque(fs::MainColor));
                if (name == "BUTTON") EXPECT_EQ(got.At(18, 11), fs::Opaque(fs::StateColor(i, state))) << state;
            }
        }
}

TEST_F(SkintoolRender, BadRequestsExitOneWithAMessage)
{
    // A damaged container: the first 100 bytes of the packed skin.
    std::vector<uint8_t> cut = fs::Packed();
    cut.resize(100);
    WriteFileBytes(FromUtf8((Dir / "cut.asz").string()), cut);
    struct {
        const char* what;
        std::string args;
        const char* says;
    } cases[] = {
        {"unknown section", Path("Fixture.asz") + " NOSUCH 0 10 10 " + Path("o.raw"), "NOSUCH"},
        {"damaged skin", Path("cut.asz") + " BUTTON 0 10 10 " + Path("o.raw"), "damaged"},
        {"missing skin", Path("none.asz") + " BUTTON 0 10 10 " + Path("o.raw"), "does not exist"},
        {"size not a number", Path("Fixture.asz") + " BUTTON 0 ten 10 " + Path("o.raw"), "not a number"},
        {"size zero", Path("Fixture.asz") + " BUTTON 0 0 10 " + Path("o.raw"), "size"},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(Run("render " + c.args, &message), 1) << c.what;
        EXPECT_NE(message.find(c.says), std::string::npos) << c.what << ": " << message;
        EXPECT_FALSE(fsys::exists(Dir / "o.raw")) << c.what;
    }
}

}  // namespace
