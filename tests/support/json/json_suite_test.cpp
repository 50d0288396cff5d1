// The public JSON parsing test suite: every case the suite says must be accepted parses (also
// in strict mode and with nothing allowed after the value), its text written back reads to the
// same value, and no case at all upsets the parser, whole or fed in small chunks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "json_test_util.h"

namespace {

struct TCase {
    std::string name;
    JsonString text;
};

std::vector<TCase> LoadCases()
{
    std::vector<TCase> cases;
    std::filesystem::path dir = QW_JSON_SUITE_CASES;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() < 2 || name[1] != '_') continue;
        std::ifstream f(e.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        JsonString text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
        cases.push_back({name, text});
    }
    return cases;
}

const std::vector<TCase>& Cases()
{
    static const std::vector<TCase> cases = LoadCases();
    return cases;
}

TEST(JsonSuite, CasesArePresent)
{
    ASSERT_FALSE(Cases().empty()) << "no cases in " << QW_JSON_SUITE_CASES << ": run scripts/fetch-json-test-suite.sh";
}

TEST(JsonSuite, AcceptedCasesParseAndRoundTrip)
{
    for (const TCase& c : Cases()) {
        if (c.name[0] != 'y') continue;
        SCOPED_TRACE(c.name);
        TJsonTokenizerError err = teContinue;
        IJsonObject v = ParseString(c.text, true, false, nullptr, 0, nullptr, stNull, &err);
        ASSERT_TRUE(v || c.text.find_first_not_of(u" \t\r\n") != JsonString::npos) << "empty case";
        EXPECT_EQ(err, teSuccess);
        if (!v) {
            ADD_FAILURE() << "not parsed: " << U8(c.text);
            continue;
        }
        for (bool escape : {true, false}) {
            JsonString written = v->AsJSon(false, escape);
            IJsonObject again = ParseString(written, true, false);
            ASSERT_TRUE(again) << U8(written);
            EXPECT_EQ(U8(again->AsJSon(false, true)), U8(v->AsJSon(false, true)));
        }
    }
}

TEST(JsonSuite, NoCaseUpsetsTheParser)
{
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        for (bool strict : {false, true}) {
            IJsonObject whole = ParseString(c.text, strict, true);
            if (whole) whole->AsJSon(true, false);
            for (int32_t chunk : {1, 3}) {
                TJsonTokenizer tok;
                IJsonObject v;
                for (size_t at = 0; at < c.text.size(); at += static_cast<size_t>(chunk)) {
                    int32_t n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(chunk), c.text.size() - at));
                    v = ParseEx(tok, c.text.data() + at, n, strict);
                    if (tok.err != teContinue && tok.err != teSuccess) break;
                }
            }
        }
    }
}

}  // namespace
