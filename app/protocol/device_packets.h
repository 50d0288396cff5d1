// Packing and unpacking of the device records (driven by their field tables) and the
// builders of every packet the configurator sends. No windows.h: also built natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/protocol/device_records.h"
#include "vcl/sysutils.h"

// A reply or report that does not hold what its type promises (too short, unknown layout).
QW_DECLARE_EXCEPTION(EDeviceReplyError, Exception);

// ---- Records <-> wire bytes ----------------------------------------------------------------

// Writes the info->Size wire bytes of record (little-endian, packed) to out.
void PackFields(const TTypeInfo* info, const void* record, uint8_t* out);
// Reads info->Size wire bytes into record. A Boolean field is true for any non-zero byte.
void UnpackFields(const TTypeInfo* info, const uint8_t* in, void* record);

template <class R>
std::array<uint8_t, sizeof(R)> PackRecord(const R& record)
{
    std::array<uint8_t, sizeof(R)> bytes{};
    PackFields(TypeInfoOf<R>(), &record, bytes.data());
    return bytes;
}

// The record at the start of data; EDeviceReplyError when fewer than sizeof(R) bytes are
// there (what: names the report in the message). Bytes after the record are ignored: HID
// input reports are padded to their full length.
template <class R>
R UnpackRecord(const uint8_t* data, size_t size, const wchar_t* what)
{
    if (data == nullptr || size < sizeof(R))
        throw EDeviceReplyError(Format(L"%s: %u bytes received, %u expected", {what, static_cast<unsigned>(size),
                                                                               static_cast<unsigned>(sizeof(R))}));
    R record{};
    UnpackFields(TypeInfoOf<R>(), data, &record);
    return record;
}

// "a.b.c.d", each byte in unsigned decimal.
String FirmwareVersionText(const TFirmwareVersion& version);

// ---- Packets ------------------------------------------------------------------------------

// Zero-filled packet with the header, payload and check byte set. A payload longer than a
// packet can carry raises EArgumentException.
TDevicePacket MakePacket(uint8_t slot, uint8_t command, uint8_t block, uint8_t requestId, uint8_t param,
                         const uint8_t* payload = nullptr, size_t payloadLength = 0);

// A read request: 0x14, 9, slot, CmdRead, block, id, param, 0, 0.
TDevicePacket MakeReadPacket(uint8_t slot, uint8_t block, uint8_t requestId, uint8_t param);
// Load (CmdLoadProfile) or save (CmdSaveProfile) of a slot, request id RqProfile.
TDevicePacket MakeProfilePacket(uint8_t command, uint8_t slot);
// Acknowledgement of a reply: command, block and param all CmdAck.
TDevicePacket MakeAckPacket(uint8_t slot, uint8_t requestId);
// A bare command without block, id or param (centre, calibrate, restart, factory reset...).
TDevicePacket MakeCommandPacket(uint8_t slot, uint8_t command);

// Writes of the records; block and param as the device expects them for each.
TDevicePacket MakeWheelBaseWrite(uint8_t slot, const TWheelBaseConfig& config);
TDevicePacket MakeUserEffectWrite(uint8_t slot, const TUserEffectConfig& config);
TDevicePacket MakeJoystickWrite(uint8_t slot, const TJoystickConfig& config);
TDevicePacket MakeMotorWrite(uint8_t slot, const TMotorConfig& config);
TDevicePacket MakeGeneralWrite(uint8_t slot, const TGeneralConfig& config);
TDevicePacket MakeShifterWrite(uint8_t slot, const TShifterConfig& config);

// "14 09 06 00 03 e3 00 00 00 ": each byte as two lowercase hex digits and a blank.
String PacketHexText(const uint8_t* bytes, size_t length);

// ---- Shifter gear bits ----------------------------------------------------------------------

// The gear bits word of shifter report 0x01; EDeviceReplyError when the report is short.
uint16_t GearBitsOf(const uint8_t* data, size_t size);
// Gear 1..11 engaged: bit 2i is gear 2i+1, bit 2i+1 gear 2i+2, bits 8..10 gears 9..11 --
// so gear g is bit g-1.
bool IsGearEngaged(uint16_t gearBits, int gear);
