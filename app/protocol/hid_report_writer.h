// The protocol's view of a checked-out HID device.
#pragma once

#include "app/protocol/device_protocol.h"
#include "hid/hid_device.h"

// Wraps a device of the HID controller (not owned; it must outlive the wrapper).
class THidReportWriter : public TReportWriter {
public:
    explicit THidReportWriter(THidDevice* device) : FDevice(device) {}
    THidDevice* Device() const { return FDevice; }

    uint16_t VendorId() const override;
    uint16_t ProductId() const override;
    String ProductName() const override;
    bool HasReadWriteAccess() const override;
    size_t OutputReportByteLength() const override;
    bool WriteOutputReport(const TBytes& report) override;

private:
    THidDevice* FDevice;
};
