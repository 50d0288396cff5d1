// Arbitrary input reports into the protocol dispatcher: it must never read out of bounds,
// raise, or write a packet that is not a well-formed acknowledgement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/protocol/device_protocol.h"

namespace {

class Device : public TReportWriter {
public:
    explicit Device(uint16_t product) : FProduct(product) {}
    uint16_t VendorId() const override { return VendorIdDevices; }
    uint16_t ProductId() const override { return FProduct; }
    String ProductName() const override { return L"fuzz"; }
    bool HasReadWriteAccess() const override { return true; }
    size_t OutputReportByteLength() const override { return 64; }
    bool WriteOutputReport(const TBytes& report) override
    {
        if (report.size() != 64 || report[0] != ReportIdCommand || report[1] != 9 || report[3] != CmdAck) std::abort();
        return true;
    }

private:
    uint16_t FProduct;
};

class View : public TProtocolView {
public:
    void SetAppStatus(const String&) override {}
    void SetSysLog(const String&) override {}
    int SelectedProfileIndex() const override { return 0; }
    void ApplyClick() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    View view;
    Device wheel(ProductIdWheelBase), shifter(ProductIdShifter);
    TDeviceProtocol proto(view);
    proto.CurrentWheelBase = &wheel;
    proto.CurrentShifter = &shifter;
    proto.RequestQ.SetValues(IntToStr(data[2]), L"1");
    proto.ProfileLoading.SetValues(L"LoadShifter", L"1");
    // Copy the report so that the sanitizer sees its exact end.
    const size_t n = size - 3;
    uint8_t* report = static_cast<uint8_t*>(std::malloc(n ? n : 1));
    for (size_t i = 0; i < n; ++i) report[i] = data[3 + i];
    proto.HandleDeviceData((data[0] & 1) ? &shifter : &wheel, data[1], n ? report : nullptr, n);
    std::free(report);
    return 0;
}
