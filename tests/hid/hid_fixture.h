// A simulated wheel base and shifter behind the HID layer, a controller over them, and an owner
// whose handlers record every event, for the HID tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hid/hid_controller.h"
#include "tests/common/test_support.h"
#include "hid/sim/devsim.h"

namespace hidtest {

// Handlers of the controller's events: each call appends a line such as "arrival 6000".
class TRecorder : public TObject {
public:
    std::vector<std::string> events;
    std::vector<std::vector<uint8_t>> reports;   // report id first
    std::vector<DWORD> reportThreads;
    std::vector<DWORD> errors;
    bool ownerGone = false;   // set when the owner "dies": every later call is a fault
    int callsAfterGone = 0;

    void Arrival(THidDevice* dev) { Note("arrival", dev); }
    void Removal(THidDevice* dev) { Note("removal", dev); }
    void Unplug(THidDevice* dev) { Note("unplug", dev); }
    void Change(TObject*)
    {
        if (ownerGone) ++callsAfterGone;
        events.push_back("change");
    }
    void Data(THidDevice*, uint8_t id, const uint8_t* data, uint16_t size)
    {
        if (ownerGone) ++callsAfterGone;
        std::vector<uint8_t> r{id};
        r.insert(r.end(), data, data + size);
        reports.push_back(std::move(r));
        reportThreads.push_back(GetCurrentThreadId());
    }
    void DataError(THidDevice*, DWORD error)
    {
        if (ownerGone) ++callsAfterGone;
        errors.push_back(error);
    }

    void BindTo(THidDeviceController* ctl)
    {
        ctl->OnArrival = Bind<&TRecorder::Arrival>(this);
        ctl->OnRemoval = Bind<&TRecorder::Removal>(this);
        ctl->SetOnDeviceUnplug(Bind<&TRecorder::Unplug>(this));
        ctl->SetOnDeviceData(Bind<&TRecorder::Data>(this));
        ctl->SetOnDeviceDataError(Bind<&TRecorder::DataError>(this));
        ctl->SetOnDeviceChange(Bind<&TRecorder::Change>(this));
    }
    int Count(const std::string& event) const
    {
        int n = 0;
        for (const auto& e : events) n += e == event;
        return n;
    }

private:
    void Note(const char* what, THidDevice* dev)
    {
        if (ownerGone) ++callsAfterGone;
        char line[64];
        std::snprintf(line, sizeof(line), "%s %04x", what, static_cast<unsigned>(dev->Attributes().ProductID));
        events.push_back(line);
    }
};

class TSimTest : public testing::Test {
protected:
    void SetUp() override { sim.Install(); }
    void TearDown() override
    {
        ctl.reset();
        sim.Uninstall();
    }

    // A controller whose first scan has run (the one it posts itself at creation).
    void MakeController(bool bindEvents = true)
    {
        ctl = std::make_unique<THidDeviceController>(nullptr);
        // Set up as the main window's form loads it: no scan until the message loop runs.
        ctl->BeginLoading();
        ctl->SetDevThreadSleepTime(10);
        if (bindEvents) rec.BindTo(ctl.get());
        ctl->EndLoading();
        testing_support::PumpFor(50);
    }
    int ListCount() const
    {
        return ctl->NumCheckedInDevices() + ctl->NumCheckedOutDevices() + ctl->NumUnpluggedDevices();
    }
    THidDevice* Take(uint16_t pid)
    {
        THidDevice* dev = nullptr;
        ctl->CheckOutByID(dev, VendorIdDevices, pid);
        return dev;
    }

    devsim::TDeviceSimulator sim;
    TRecorder rec;
    std::unique_ptr<THidDeviceController> ctl;
};

// Threads of this process (a Toolhelp snapshot) and its open handles.
int ProcessThreadCount();
DWORD ProcessHandleCount();

}  // namespace hidtest
