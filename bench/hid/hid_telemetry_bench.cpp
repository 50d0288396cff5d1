// The simulated wheel base streams telemetry as fast as a full-speed USB interrupt endpoint
// (1000 reports a second); the read thread hands every report to the main thread. Prints the
// share of reports that reached the main thread and whether they came in order, the delivery
// latency (device send -> handler on the main thread) and the main thread's time per report.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hid/hid_controller.h"
#include "hid/sim/devsim.h"
#include "vcl/application.h"

namespace {

uint64_t QpcNow()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<uint64_t>(t.QuadPart);
}

double TicksToMs(uint64_t ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct TSink : TObject {
    std::vector<uint32_t> frames;
    std::vector<uint64_t> latency;
    void Data(THidDevice*, uint8_t id, const uint8_t* data, uint16_t size)
    {
        uint64_t now = QpcNow();
        (void)id;
        if (size + 1u < devsim::TSimFirmware::ReportLength) return;
        const uint8_t* report = data - 1;   // the id is the byte before
        uint32_t frame;
        uint64_t sentAt;
        std::memcpy(&frame, report + devsim::TSimFirmware::FrameCounterOffset, 4);
        std::memcpy(&sentAt, report + devsim::TSimFirmware::SentAtOffset, 8);
        frames.push_back(frame);
        latency.push_back(now - sentAt);
    }
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int seconds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;

    devsim::TSimFirmware::SetClock(QpcNow);
    devsim::TDeviceSimulator sim;
    sim.Install();
    TSink sink;
    int code = 0;
    {
        THidDeviceController ctl(nullptr);
        ctl.SetOnDeviceData(Bind<&TSink::Data>(&sink));
        for (int i = 0; i < 20; ++i) {   // the first scan
            app->ProcessMessages();
            Sleep(5);
        }
        THidDevice* wheel = nullptr;
        if (!ctl.CheckOutByID(wheel, VendorIdDevices, ProductIdWheelBase)) {
            std::fprintf(stderr, "the simulated wheel base was not found\n");
            return 1;
        }

        std::vector<double> perReport;   // main-thread ms per report, per pumping pass
        sim.StartStreams(1000);
        uint64_t start = QpcNow(), end = start;
        while (TicksToMs(end - start) < seconds * 1000.0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            size_t before = sink.frames.size();
            uint64_t t0 = QpcNow();
            app->ProcessMessages();
            uint64_t t1 = QpcNow();
            size_t n = sink.frames.size() - before;
            for (size_t i = 0; i < n; ++i) perReport.push_back(TicksToMs(t1 - t0) / static_cast<double>(n));
            end = t1;
        }
        sim.StopStreams();
        uint32_t sent = sim.TelemetrySent();
        // Reports still in flight when the clock stopped.
        for (int i = 0; i < 20; ++i) {
            app->ProcessMessages();
            Sleep(5);
        }

        size_t received = sink.frames.size();
        bool inOrder = true;
        size_t gaps = 0;
        for (size_t i = 1; i < received; ++i) {
            if (sink.frames[i] <= sink.frames[i - 1]) inOrder = false;
            gaps += sink.frames[i] != sink.frames[i - 1] + 1;
        }
        std::vector<double> latencyMs;
        for (uint64_t t : sink.latency) latencyMs.push_back(TicksToMs(t));

        std::printf("telemetry for %d s at 1000 reports/s\n", seconds);
        std::printf("  sent %u, reached the main thread %zu: %.2f %%, %s, %zu gaps\n", sent, received,
                    sent ? 100.0 * static_cast<double>(received) / sent : 0.0, inOrder ? "in order" : "OUT OF ORDER",
                    gaps);
        std::printf("  delivery latency (device send -> handler): median %.3f ms, 99th percentile %.3f ms\n",
                    Percentile(latencyMs, 0.5), Percentile(latencyMs, 0.99));
        std::printf("  main thread per report: median %.4f ms, 99th percentile %.4f ms\n", Percentile(perReport, 0.5),
                    Percentile(perReport, 0.99));
        ctl.CheckIn(wheel);
        code = inOrder ? 0 : 2;
    }
    sim.Uninstall();
    delete app;
    return code;
}
