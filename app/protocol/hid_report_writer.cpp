#include "app/protocol/hid_report_writer.h"

uint16_t THidReportWriter::VendorId() const
{
    return FDevice->Attributes().VendorID;
}

uint16_t THidReportWriter::ProductId() const
{
    return FDevice->Attributes().ProductID;
}

String THidReportWriter::ProductName() const
{
    return FDevice->ProductName();
}

bool THidReportWriter::HasReadWriteAccess() const
{
    return FDevice->HasReadWriteAccess();
}

size_t THidReportWriter::OutputReportByteLength() const
{
    return FDevice->Caps().OutputReportByteLength;
}

bool THidReportWriter::WriteOutputReport(const TBytes& report)
{
    DWORD written = 0;
    return FDevice->WriteFile(report.data(), static_cast<DWORD>(report.size()), written) && written == report.size();
}
