// The main window and the preferences window over the HID layer against the simulated wheel
// base and shifter, with real input for the tests of the Shifter, Debug and preferences pages.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/settings_form.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "hid/sim/devsim.h"

namespace simwindow {

using testing_support::PumpFor;
using testing_support::PumpUntil;

inline std::vector<std::vector<uint8_t>> PacketsOf(devsim::TSimDevice* dev)
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& p : dev->Firmware().Received()) out.push_back(p.bytes);
    return out;
}

// Packets with this command (and block / request id when given), in order.
inline std::vector<std::vector<uint8_t>> Packets(devsim::TSimDevice* dev, uint8_t command, int block = -1,
                                                 int requestId = -1)
{
    std::vector<std::vector<uint8_t>> out;
    for (auto& p : PacketsOf(dev))
        if (p.size() > 5 && p[3] == command && (block < 0 || p[4] == block) && (requestId < 0 || p[5] == requestId))
            out.push_back(p);
    return out;
}

inline int Rejected(devsim::TSimDevice* dev)
{
    int n = 0;
    for (const auto& p : dev->Firmware().Received()) n += !p.accepted;
    return n;
}

// Real input through the system's queue, as a user's mouse produces it.
inline void MouseTo(int x, int y)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
}

inline void MouseButton(bool down)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof(in));
}

inline void KeyPress(WORD vk)
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Runs body on a thread of its own while the main thread sits in a modal loop.
class TSideThread {
public:
    explicit TSideThread(std::function<void()> body) : FBody(std::move(body))
    {
        FThread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~TSideThread()
    {
        if (FThread) {
            WaitForSingleObject(FThread, 10000);
            CloseHandle(FThread);
        }
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        static_cast<TSideThread*>(self)->FBody();
        return 0;
    }
    std::function<void()> FBody;
    HANDLE FThread = nullptr;
};

// Waits (from a side thread) for a visible top-level window of the main thread whose class
// is className; nullptr after timeoutMs.
inline HWND WaitForWindow(DWORD threadId, const wchar_t* className, unsigned timeoutMs = 5000)
{
    struct Search {
        const wchar_t* cls;
        HWND found;
    };
    const DWORD end = GetTickCount() + timeoutMs;
    while (GetTickCount() < end) {
        Search s{className, nullptr};
        EnumThreadWindows(
            threadId,
            [](HWND w, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                wchar_t cls[64] = {};
                GetClassNameW(w, cls, 64);
                if (IsWindowVisible(w) && wcscmp(cls, s->cls) == 0) {
                    s->found = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(20);
    }
    return nullptr;
}

class SimWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = testing_support::MakeTempDir(L"sim_window");
        wchar_t cwd[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, cwd);
        oldDir = cwd;
        SetCurrentDirectoryW(dir.c_str());   // application.log and relative record logs land here
        settings = dir + L"settings.ini";
        DeleteFileW(settings.c_str());
        sim.Install();
    }

    void TearDown() override
    {
        if (Application && form && Application->MainForm() == form) Application->SetMainForm(nullptr);
        if (FormSettings) TObject::Free(FormSettings);
        FormSettings = nullptr;
        if (form) TObject::Free(form);
        form = nullptr;
        MainForm = nullptr;
        PumpFor(50);
        sim.Uninstall();
        SetCurrentDirectoryW(oldDir.c_str());
    }

    devsim::TSimDevice* Wheel() { return sim.WheelBase(); }
    devsim::TSimDevice* Shifter() { return sim.Shifter(); }
    String Panel(int index) { return form->StatusBar->Panels()->Items(index)->Text(); }

    // Both windows, shown; returns once both devices are in use and the start-up profile
    // load has been written back. asTheProgram: the main window is also the application's main
    // form, as the program's entry point makes it.
    // shown runs right after the window was shown, before any message is handled.
    void Start(bool asTheProgram = false, const std::function<void()>& shown = {})
    {
        form = new TMainForm(nullptr, settings);
        MainForm = form;
        if (asTheProgram) Application->SetMainForm(form);
        FormSettings = new TFormSettings(nullptr);
        form->Show();
        if (shown) shown();
        ASSERT_TRUE(PumpUntil([&] {
            return Panel(TMainForm::PanelWheel) == L"Connected" && Panel(TMainForm::PanelShifter) == L"Connected" &&
                   !form->Protocol().IsProfileLoading() && !Packets(Wheel(), CmdWrite, BlockUserEffect).empty();
        }, 10000));
        SetForegroundWindow(form->Handle());
        PumpFor(50);
    }

    String ReadSetting(const wchar_t* section, const wchar_t* key)
    {
        wchar_t buf[64] = {};
        GetPrivateProfileStringW(section, key, L"", buf, 64, settings.c_str());
        return buf;
    }

    devsim::TDeviceSimulator sim;
    TMainForm* form = nullptr;
    String dir, oldDir, settings;
};

// A reply report (0x41) of a type with a record, as the device sends it.
template <class R>
std::vector<uint8_t> ReplyReport(uint8_t type, uint8_t requestId, const R& record)
{
    std::vector<uint8_t> r(devsim::TSimFirmware::ReportLength, 0);
    r[0] = ReportIdReply;
    r[1] = type;
    r[2] = requestId;
    std::memcpy(r.data() + 3, &record, sizeof(R));
    return r;
}

}  // namespace simwindow
