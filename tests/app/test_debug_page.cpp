// The Debug tab end to end: telemetry from the simulated wheel base fills the labels, NaN
// shows as -1.00, and "Log to File" writes one JSON line per record while it is on.
#include <cmath>
#include <limits>

#include "app/debug_page.h"
#include "support/json/json.h"
#include "tests/app/sim_window_fixture.h"

using namespace simwindow;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// "1.50" with the user's decimal separator.
String Num(const wchar_t* text)
{
    wchar_t sep[8] = L".";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
    String s = text;
    for (auto& c : s)
        if (c == L'.') c = sep[0];
    return s;
}

std::vector<std::string> ReadLines(const String& path)
{
    std::vector<std::string> lines;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(h);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) break;   // a line still being written
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// The JSON object after the "[hh:nn:ss] " stamp, or nothing when the line is not one.
IJsonObject JsonOfLine(const std::string& line)
{
    if (line.size() < 12 || line[0] != '[' || line[3] != ':' || line[6] != ':' || line[9] != ']' || line[10] != ' ')
        return nullptr;
    const std::string json = line.substr(11);
    if (json.find(' ') != std::string::npos) return nullptr;   // one line without blanks
    IJsonObject obj = JsonParse(JsonString(json.begin(), json.end()));
    if (!obj || !obj->IsType(stObject)) return nullptr;
    return obj;
}

std::vector<uint8_t> JoystickStateReport(const TJoystickState& s)
{
    std::vector<uint8_t> r(devsim::TSimFirmware::ReportLength, 0);
    r[0] = ReportIdState;
    std::memcpy(r.data() + 1 + JoystickStateOffset, &s, sizeof(s));
    return r;
}

class DebugPageTest : public SimWindowTest {
protected:
    void ShowDebugTab()
    {
        Start();
        page = form->DebugPage;
        ASSERT_NE(page, nullptr);
        form->PageControl->SetActivePage(form->TabDebug);
        PumpFor(50);
    }
    template <class R>
    void Inject(uint8_t type, const R& record)
    {
        Wheel()->InjectReport(ReplyReport(type, RqUnsolicited, record));
    }
    TDebugPage* page = nullptr;
};

}  // namespace

TEST_F(DebugPageTest, ReportsFillTheLabelsAndNaNShowsAsMinusOne)
{
    ShowDebugTab();

    Inject(ReportEncoder, TEncoderReport{1234, 20000, NaN, 100, -100, 10000, 40000});
    ASSERT_TRUE(PumpUntil([&] { return page->cPos->Caption() == L"1234"; }));
    EXPECT_EQ(page->mPos->Caption(), L"20000");
    EXPECT_EQ(page->dSpeed->Caption(), Num(L"-1.00"));
    EXPECT_EQ(page->pZ->Caption(), L"100");
    EXPECT_EQ(page->nZ->Caption(), L"-100");
    EXPECT_EQ(page->dPPR->Caption(), L"10000");
    EXPECT_EQ(page->dCPR->Caption(), L"40000");
    Inject(ReportEncoder, TEncoderReport{-5, 1, 2.5f, 0, 0, 0, 0});
    ASSERT_TRUE(PumpUntil([&] { return page->cPos->Caption() == L"-5"; }));
    EXPECT_EQ(page->dSpeed->Caption(), Num(L"2.50"));

    struct PwmRow {
        TPWMReport report;
        const wchar_t *mode, *freq, *period;
    } pwmRows[] = {
        {{1, 1000, -5}, L"PWM +/- (H-Bridge)", L"1.0 kHz", L"-5"},
        {{3, 500, 7}, L"PWM 0..50..100", L"500 Hz", L"7"},
        {{7, 1234, 3}, L"", L"16.8 kHz", L"3"},   // no such mode; unknown frequency
    };
    for (const PwmRow& r : pwmRows) {
        Inject(ReportPwm, r.report);
        ASSERT_TRUE(PumpUntil([&] { return page->dPWMPeriod->Caption() == r.period; }));
        EXPECT_EQ(page->dPWMMode->Caption(), r.mode);
        EXPECT_EQ(page->dPWMFreq->Caption(), r.freq);
    }

    Inject(ReportCalculated, TCalculatedData{1.5f, 0.25f, 0.125f, -3.0f});
    ASSERT_TRUE(PumpUntil([&] { return page->dUserForce->Caption() == Num(L"-3.00"); }));
    EXPECT_EQ(page->dTotalForce->Caption(), Num(L"1.50"));
    EXPECT_EQ(page->dStopForce->Caption(), Num(L"0.25"));
    EXPECT_EQ(page->dTotalForceGain->Caption(), Num(L"0.13"));

    Inject(ReportFfb, TFFBReport{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 12.0f});
    ASSERT_TRUE(PumpUntil([&] { return page->dFFBTotalForce->Caption() == Num(L"12.00"); }));
    const std::pair<TsLabel*, const wchar_t*> ffb[] = {
        {page->dFFBConstantForce, L"0.10"}, {page->dFFBRampForce, L"0.20"},     {page->dFFBSpringForce, L"0.30"},
        {page->dFFBDamperForce, L"0.40"},   {page->dFFBInertiaForce, L"0.50"},  {page->dFFBFrictionForce, L"0.60"},
        {page->dFFBSquareForce, L"0.70"},   {page->dFFBTriangleForce, L"0.80"}, {page->dFFBSineForce, L"0.90"},
        {page->dFFBSawUpForce, L"1.00"},    {page->dFFBSawDownForce, L"1.10"},
    };
    for (const auto& [label, text] : ffb) EXPECT_EQ(label->Caption(), Num(text));

    // A biquad report of filter 2 fills the InertiaLPF row only, in a0 a1 a2 b1 b2 z1 z2 Q Fc order.
    TBiquadReport bq{};
    bq.filter = 2;
    bq.a0 = 1, bq.a1 = 2, bq.a2 = 3, bq.b1 = 4, bq.b2 = NaN, bq.Fc = 50, bq.Q = 0.7071f, bq.z1 = 6, bq.z2 = 7;
    Inject(ReportBiquad, bq);
    ASSERT_TRUE(PumpUntil([&] { return page->Biquad[2][0]->Caption() == Num(L"1.00"); }));
    const wchar_t* row[] = {L"1.00", L"2.00", L"3.00", L"4.00", L"-1.00", L"6.00", L"7.00", L"0.71", L"50.00"};
    for (int c = 0; c < TDebugPage::BiquadColumns; ++c) EXPECT_EQ(page->Biquad[2][c]->Caption(), Num(row[c])) << c;
    for (int r : {0, 1, 3})
        for (int c = 0; c < TDebugPage::BiquadColumns; ++c) EXPECT_EQ(page->Biquad[r][c]->Caption(), L"0") << r << c;
    EXPECT_EQ(form->FindComponent(L"i_Fc"), page->Biquad[2][8]);
    EXPECT_EQ(form->FindComponent(L"o_fc"), page->Biquad[0][8]);
    // A filter beyond the four rows shows nothing.
    bq.filter = 7, bq.a0 = 9;
    Inject(ReportBiquad, bq);
    Inject(ReportEncoder, TEncoderReport{77, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(PumpUntil([&] { return page->cPos->Caption() == L"77"; }));
    for (int r = 0; r < TDebugPage::BiquadFilters; ++r) EXPECT_NE(page->Biquad[r][0]->Caption(), Num(L"9.00"));

    Wheel()->InjectReport(JoystickStateReport({-32768, 1, 2, 3, 4, 65535}));
    ASSERT_TRUE(PumpUntil([&] { return page->wX->Caption() == L"-32768"; }));
    EXPECT_EQ(page->wY->Caption(), L"1");
    EXPECT_EQ(page->wZ->Caption(), L"2");
    EXPECT_EQ(page->wRX->Caption(), L"3");
    EXPECT_EQ(page->wRY->Caption(), L"4");
    EXPECT_EQ(page->wRZ->Caption(), L"65535");
}

TEST_F(DebugPageTest, TelemetryStreamsFillEveryGroup)
{
    ShowDebugTab();
    sim.StartStreams(600);
    ASSERT_TRUE(PumpUntil([&] {
        return page->cPos->Caption() != L"0" && page->dPWMFreq->Caption() != L"0" &&
               page->dUserForce->Caption() != L"0" && page->dFFBSawDownForce->Caption() != L"0" &&
               page->Biquad[0][7]->Caption() != L"0" && page->Biquad[2][7]->Caption() != L"0" &&
               page->wX->Caption() != L"0";
    }));
    sim.StopStreams();
    PumpFor(100);
    EXPECT_EQ(page->dSpeed->Caption(), Num(L"1.50"));
    EXPECT_EQ(page->dUserForce->Caption(), Num(L"0.25"));
    EXPECT_EQ(page->Biquad[2][8]->Caption(), Num(L"50.00"));
    testing_support::SaveScreenshot(form->Handle(), L"debug_page", true);
}

TEST_F(DebugPageTest, RecordLogHoldsOneJsonLinePerRecordWhileOn)
{
    ShowDebugTab();
    const String log = dir + L"debug.log", second = dir + L"second.log";
    DeleteFileW(log.c_str());
    DeleteFileW(second.c_str());
    EXPECT_EQ(page->LogfileSelector->FileName(), L"debug.log");   // relative: lands in the current folder

    page->enableLogTofile->SetChecked(true);
    EXPECT_EQ(ReadSetting(L"Debug", L"LogToFile"), L"1");

    // Four streamed records, two that are never logged, and a profile load whose wheel-base
    // and user-effect replies are logged (its telemetry block is not).
    Inject(ReportEncoder, TEncoderReport{5, 6, NaN, 7, 8, 9, 10});
    Inject(ReportPwm, TPWMReport{2, 8400, -12});
    Inject(ReportCalculated, TCalculatedData{1.5f, 2.5f, 3.5f, 4.5f});
    Inject(ReportFfb, TFFBReport{});
    TBiquadReport bq{};
    Inject(ReportBiquad, bq);
    Wheel()->InjectReport(JoystickStateReport({1, 2, 3, 4, 5, 6}));
    form->btnLoadProfile->Click();

    struct Expect {
        const char* probe;   // a member only this record has
        int members;
    } expected[] = {{"CurrentPos", 7}, {"period", 3}, {"userForce", 4},  {"sawDownForce", 12},
                    {"stopForce", 22}, {"eCoefficent", 16}};
    ASSERT_TRUE(PumpUntil([&] { return ReadLines(log).size() >= std::size(expected); }, 8000));
    PumpFor(200);
    const auto lines = ReadLines(log);
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        IJsonObject obj = JsonOfLine(lines[i]);
        ASSERT_TRUE(obj) << lines[i];
        const JsonString probe(expected[i].probe, expected[i].probe + std::strlen(expected[i].probe));
        EXPECT_TRUE(obj->AsObject()->GetO(probe)) << lines[i];
        EXPECT_EQ(obj->AsObject()->count(), expected[i].members) << lines[i];
    }
    // The NaN speed is logged as shown: -1.
    EXPECT_EQ(JsonOfLine(lines[0])->AsObject()->GetD(u"Speed"), -1.0);
    EXPECT_EQ(JsonOfLine(lines[1])->AsObject()->GetI(u"freq"), 8400);

    // Off: nothing more reaches the file.
    page->enableLogTofile->SetChecked(false);
    EXPECT_EQ(ReadSetting(L"Debug", L"LogToFile"), L"0");
    Inject(ReportEncoder, TEncoderReport{11, 0, 0, 0, 0, 0, 0});
    Inject(ReportFfb, TFFBReport{});
    Inject(ReportPwm, TPWMReport{1, 1000, 1});
    ASSERT_TRUE(PumpUntil([&] { return page->dPWMPeriod->Caption() == L"1"; }));
    // On again with another file: once its line is there, everything queued before is written.
    page->LogfileSelector->SetFileName(second);
    page->enableLogTofile->SetChecked(true);
    Inject(ReportCalculated, TCalculatedData{});
    ASSERT_TRUE(PumpUntil([&] { return ReadLines(second).size() == 1; }));
    EXPECT_TRUE(JsonOfLine(ReadLines(second)[0]));
    EXPECT_EQ(ReadLines(log).size(), std::size(expected));
}
