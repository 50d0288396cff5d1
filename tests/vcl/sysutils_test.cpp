// Pure parts of the component layer: formatting, conversions, string lists, INI text.
#include <gtest/gtest.h>

#include <random>

#include "vcl/inifiles.h"
#include "vcl/strings.h"
#include "vcl/sysutils.h"

TEST(Format, Directives)
{
    struct Case {
        const wchar_t* fmt;
        std::vector<TVarRec> args;
        const wchar_t* expected;
    } cases[] = {
        {L"[%s] %d", {L"x", 42}, L"[x] 42"},
        {L"%.8x", {0xABCu}, L"00000ABC"},
        {L"%5d|%-5d|", {7, 7}, L"    7|7    |"},
        {L"%s: %s", {L"TTimerThread", L"DevMon"}, L"TTimerThread: DevMon"},
        {L"%.2f", {3.14159}, L"3.14"},
        {L"%1:s %0:s", {L"a", L"b"}, L"b a"},
        {L"100%%", {}, L"100%"},
        {L"%u", {-1}, L"4294967295"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt;
}

TEST(Format, MismatchRaises)
{
    EXPECT_THROW(Format(L"%d", {L"text"}), EConvertError);
    EXPECT_THROW(Format(L"%s %s", {L"one"}), EConvertError);
    EXPECT_THROW(Format(L"%", {}), EConvertError);
}

TEST(Conversions, Integers)
{
    struct Case {
        const wchar_t* text;
        bool ok;
        int value;
    } cases[] = {
        {L"12", true, 12}, {L"-7", true, -7}, {L"$FF", true, 255}, {L"0x10", true, 16},
        {L"2147483647", true, 2147483647}, {L"2147483648", false, 0}, {L"", false, 0},
        {L"1x", false, 0}, {L"99999999999999999999999", false, 0}, {L"$FFFFFFFF", true, -1},
    };
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(Conversions, Utf8RoundTripAndMalformedInput)
{
    String s = L"Gr\u00fc\u00dfe \u20ac";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    // Truncated and invalid sequences become U+FFFD, nothing is dropped or read past the end.
    EXPECT_EQ(FromUtf8("a\xE2\x82"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");
}

TEST(DateTime, EncodeDecodeAndFormat)
{
    TDateTime d = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 9, 250);
    auto p = DecodeDateTime(d);
    EXPECT_EQ(p.year, 2026);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 10);
    EXPECT_EQ(p.hour, 13);
    EXPECT_EQ(p.minute, 5);
    EXPECT_EQ(p.second, 9);
    EXPECT_EQ(FormatDateTime(L"[hh:nn:ss] ", d), L"[13:05:09] ");
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd hh:mm", d), L"2026-12-10 13:05");
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    TDateTime bad;
    EXPECT_FALSE(TryEncodeDate(2025, 2, 29, bad));
}

TEST(FileNames, Parts)
{
    EXPECT_EQ(ExtractFilePath(L"C:\\App\\tool.exe"), L"C:\\App\\");
    EXPECT_EQ(ExtractFileName(L"C:\\App\\tool.exe"), L"tool.exe");
    EXPECT_EQ(ChangeFileExt(L"C:\\App\\tool.exe", L".ini"), L"C:\\App\\tool.ini");
    EXPECT_EQ(ChangeFileExt(L"a.cfg", L".ini"), L"a.ini");
    EXPECT_EQ(ChangeFileExt(L"settings", L".ini"), L"settings.ini");
    EXPECT_EQ(ExtractFileExt(L"C:\\dir.x\\file"), L"");
}

TEST(StringList, NameValuePairs)
{
    // The pending-request list of the protocol is such a list: "254=1" pending, "254=0" done.
    TStringList q;
    q.SetValues(L"254", L"1");
    q.SetValues(L"7", L"1");
    q.SetValues(L"254", L"0");
    EXPECT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Values(L"254"), L"0");
    EXPECT_EQ(q.IndexOfName(L"7"), 1);
    q.SetValues(L"7", L"");
    EXPECT_EQ(q.IndexOfName(L"7"), -1);
    EXPECT_EQ(q.Text(), L"254=0\r\n");
}

TEST(StringList, SortedDuplicatesPolicy)
{
    TStringList l;
    l.SetSorted(true);
    l.Add(L"b");
    l.Add(L"A");
    l.Add(L"a");   // ignored: case-insensitive duplicate
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l[0], L"A");
    l.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(l.Add(L"B"), EStringListError);
    l.SetDuplicates(TDuplicates::dupAccept);
    l.Add(L"B");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_THROW(l.Insert(0, L"x"), EStringListError);
    EXPECT_THROW(l.Get(5), EStringListError);
}

TEST(StringList, ChangeEventsRespectUpdates)
{
    TStringList l;
    int changes = 0;
    l.OnChange = TNotifyEvent::FromCallable([&](TObject*) { ++changes; });
    l.Add(L"1");
    l.BeginUpdate();
    l.Add(L"2");
    l.Add(L"3");
    l.EndUpdate();
    EXPECT_EQ(changes, 2);
}

TEST(IniText, ForgivingParse)
{
    TIniText ini;
    ini.Parse(L"orphan=1\r\n[Debug]\nLogToFile = 1 \r\n; comment\n[Themes]\rActive=Dark\n[debug]\nextra=\"quoted\"\nbroken line\n");
    ASSERT_EQ(ini.Sections().size(), 2u);   // "debug" merges into "Debug"
    auto* d = ini.Find(L"DEBUG");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(*TIniText::FindValue(*d, L"logtofile"), L"1");
    EXPECT_EQ(*TIniText::FindValue(*d, L"extra"), L"quoted");
    EXPECT_EQ(*TIniText::FindValue(*ini.Find(L"Themes"), L"Active"), L"Dark");
}

TEST(IniText, JunkNeverCrashes)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        String junk;
        size_t len = rng() % 4096;
        for (size_t i = 0; i < len; ++i) junk += static_cast<wchar_t>(rng() % 0xD000);
        TIniText ini;
        ini.Parse(junk);
        String again = ini.Compose();
        TIniText reparsed;
        reparsed.Parse(again);
        EXPECT_EQ(reparsed.Sections().size(), ini.Sections().size());
    }
    TIniText huge;
    huge.Parse(L"[S]\nk=" + String(1 << 20, L'x') + L"\n");
    EXPECT_EQ(TIniText::FindValue(*huge.Find(L"S"), L"k")->size(), size_t(1) << 20);
}

TEST(Methods, ComparableAndSwappable)
{
    struct Handler : TObject {
        int hits = 0;
        void OnEvent(TObject*) { ++hits; }
        void Other(TObject*) {}
    } a, b;
    TNotifyEvent e1 = Bind<&Handler::OnEvent>(&a);
    TNotifyEvent e2 = Bind<&Handler::OnEvent>(&a);
    TNotifyEvent e3 = Bind<&Handler::OnEvent>(&b);
    TNotifyEvent e4 = Bind<&Handler::Other>(&a);
    EXPECT_TRUE(e1 == e2);
    EXPECT_FALSE(e1 == e3);
    EXPECT_FALSE(e1 == e4);
    EXPECT_TRUE(e1.SameCode(e3));
    EXPECT_FALSE(TNotifyEvent());
    e1(nullptr);
    e3(nullptr);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(b.hits, 1);
}

TEST(Components, OwnershipAndFreeNotification)
{
    static std::vector<String> freed;
    struct Probe : TComponent {
        using TComponent::TComponent;
        TComponent* watched = nullptr;
        ~Probe() override { freed.push_back(Name()); }
        void Notification(TComponent* c, TOperation op) override
        {
            TComponent::Notification(c, op);
            if (op == TOperation::opRemove && c == watched) watched = nullptr;
        }
    };
    freed.clear();
    auto* owner = new Probe(nullptr);
    owner->SetName(L"owner");
    auto* a = new Probe(owner);
    a->SetName(L"a");
    auto* b = new Probe(owner);
    b->SetName(L"b");
    EXPECT_THROW(b->SetName(L"a"), EComponentError);
    auto* outsider = new Probe(nullptr);
    outsider->watched = a;
    a->FreeNotification(outsider);
    delete a;
    EXPECT_EQ(outsider->watched, nullptr);
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;
    // The owner's own destructor body runs first, then it frees what it still owns.
    EXPECT_EQ(freed, (std::vector<String>{L"a", L"owner", L"b"}));
    delete outsider;
}

TEST(Components, LoadingPhaseEndsWithLoadedOnEveryone)
{
    static std::vector<String> loaded;
    struct Probe : TComponent {
        using TComponent::TComponent;
        bool wasLoading = false;
        void Loaded() override
        {
            wasLoading = HasState(csLoading);
            TComponent::Loaded();
            loaded.push_back(Name());
        }
    };
    loaded.clear();
    Probe root(nullptr);
    root.SetName(L"root");
    root.BeginLoading();
    auto* child = new Probe(&root);
    child->SetName(L"child");
    child->BeginLoading();
    root.EndLoading();
    EXPECT_EQ(loaded, (std::vector<String>{L"child", L"root"}));
    EXPECT_TRUE(child->wasLoading);
    EXPECT_FALSE(child->HasState(csLoading));
}
