#include "app/protocol/device_packets.h"

#include <cstring>

namespace {

void PackValue(const TTypeInfo* type, const uint8_t* src, uint8_t* out);
void UnpackValue(const TTypeInfo* type, const uint8_t* in, uint8_t* dst);

// Little-endian byte order, whatever the host's.
uint64_t LoadHost(const uint8_t* src, size_t size)
{
    uint64_t v = 0;
    switch (size) {
    case 1: { uint8_t x; std::memcpy(&x, src, 1); v = x; break; }
    case 2: { uint16_t x; std::memcpy(&x, src, 2); v = x; break; }
    case 4: { uint32_t x; std::memcpy(&x, src, 4); v = x; break; }
    case 8: { std::memcpy(&v, src, 8); break; }
    default: throw EArgumentException(Format(L"Field of %u bytes cannot be packed", {static_cast<unsigned>(size)}));
    }
    return v;
}

void StoreHost(uint64_t v, size_t size, uint8_t* dst)
{
    switch (size) {
    case 1: { uint8_t x = static_cast<uint8_t>(v); std::memcpy(dst, &x, 1); break; }
    case 2: { uint16_t x = static_cast<uint16_t>(v); std::memcpy(dst, &x, 2); break; }
    case 4: { uint32_t x = static_cast<uint32_t>(v); std::memcpy(dst, &x, 4); break; }
    case 8: { std::memcpy(dst, &v, 8); break; }
    default: throw EArgumentException(Format(L"Field of %u bytes cannot be unpacked", {static_cast<unsigned>(size)}));
    }
}

void PackValue(const TTypeInfo* type, const uint8_t* src, uint8_t* out)
{
    switch (type->Kind) {
    case TTypeKind::tkRecord:
        PackFields(type, src, out);
        return;
    case TTypeKind::tkArray:
        for (size_t i = 0; i < type->ElementCount; ++i)
            PackValue(type->ElementType, src + i * type->ElementType->Size, out + i * type->ElementType->Size);
        return;
    case TTypeKind::tkBoolean: {
        bool b;
        std::memcpy(&b, src, 1);
        out[0] = b ? 1 : 0;
        return;
    }
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkInt64:
    case TTypeKind::tkFloat:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
        const uint64_t v = LoadHost(src, type->Size);
        for (size_t i = 0; i < type->Size; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
        return;
    }
    default:
        // Strings, pointers and the like live only in memory.
        throw EArgumentException(Format(L"%s has no wire form", {type->Name}));
    }
}

void UnpackValue(const TTypeInfo* type, const uint8_t* in, uint8_t* dst)
{
    switch (type->Kind) {
    case TTypeKind::tkRecord:
        UnpackFields(type, in, dst);
        return;
    case TTypeKind::tkArray:
        for (size_t i = 0; i < type->ElementCount; ++i)
            UnpackValue(type->ElementType, in + i * type->ElementType->Size, dst + i * type->ElementType->Size);
        return;
    case TTypeKind::tkBoolean: {
        // Any non-zero byte is true; the bool itself only ever holds 0 or 1.
        const bool b = in[0] != 0;
        std::memcpy(dst, &b, 1);
        return;
    }
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkInt64:
    case TTypeKind::tkFloat:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
        uint64_t v = 0;
        for (size_t i = 0; i < type->Size; ++i) v |= static_cast<uint64_t>(in[i]) << (8 * i);
        StoreHost(v, type->Size, dst);
        return;
    }
    default:
        throw EArgumentException(Format(L"%s has no wire form", {type->Name}));
    }
}

}  // namespace

void PackFields(const TTypeInfo* info, const void* record, uint8_t* out)
{
    const auto* base = static_cast<const uint8_t*>(record);
    std::memset(out, 0, info->Size);
    for (const TFieldInfo& f : info->Fields) PackValue(f.Type, base + f.Offset, out + f.Offset);
}

void UnpackFields(const TTypeInfo* info, const uint8_t* in, void* record)
{
    auto* base = static_cast<uint8_t*>(record);
    for (const TFieldInfo& f : info->Fields) UnpackValue(f.Type, in + f.Offset, base + f.Offset);
}

String FirmwareVersionText(const TFirmwareVersion& version)
{
    return Format(L"%u.%u.%u.%u", {static_cast<unsigned>(version.a), static_cast<unsigned>(version.b),
                                   static_cast<unsigned>(version.c), static_cast<unsigned>(version.d)});
}

TDevicePacket MakePacket(uint8_t slot, uint8_t command, uint8_t block, uint8_t requestId, uint8_t param,
                         const uint8_t* payload, size_t payloadLength)
{
    if (payloadLength > MaxPacketPayload)
        throw EArgumentException(Format(L"Payload of %u bytes does not fit a packet (at most %u)",
                                        {static_cast<unsigned>(payloadLength), static_cast<unsigned>(MaxPacketPayload)}));
    TDevicePacket p;
    std::memset(&p, 0, sizeof p);
    p.ReportId = ReportIdCommand;
    p.Length = static_cast<uint8_t>(PacketHeaderSize + payloadLength + 1);
    p.Slot = slot;
    p.Command = command;
    p.Block = block;
    p.RequestId = requestId;
    p.Param = param;
    p.PayloadLength = static_cast<uint8_t>(payloadLength);
    if (payloadLength > 0) {
        std::memcpy(p.Payload, payload, payloadLength);
        // The device checks the first payload byte only.
        p.Payload[payloadLength] = PacketCheckByte(payload[0]);
    }
    return p;
}

TDevicePacket MakeReadPacket(uint8_t slot, uint8_t block, uint8_t requestId, uint8_t param)
{
    return MakePacket(slot, CmdRead, block, requestId, param);
}

TDevicePacket MakeProfilePacket(uint8_t command, uint8_t slot)
{
    return MakePacket(slot, command, 0, RqProfile, 255);
}

TDevicePacket MakeAckPacket(uint8_t slot, uint8_t requestId)
{
    return MakePacket(slot, CmdAck, CmdAck, requestId, CmdAck);
}

TDevicePacket MakeCommandPacket(uint8_t slot, uint8_t command)
{
    return MakePacket(slot, command, 0, 0, 0);
}

namespace {
template <class R>
TDevicePacket MakeWrite(uint8_t slot, uint8_t block, uint8_t param, const R& record)
{
    const auto bytes = PackRecord(record);
    return MakePacket(slot, CmdWrite, block, 0, param, bytes.data(), bytes.size());
}
}  // namespace

TDevicePacket MakeWheelBaseWrite(uint8_t slot, const TWheelBaseConfig& config)
{
    return MakeWrite(slot, BlockWheelBase, 0, config);
}

TDevicePacket MakeUserEffectWrite(uint8_t slot, const TUserEffectConfig& config)
{
    return MakeWrite(slot, BlockUserEffect, 3, config);
}

TDevicePacket MakeJoystickWrite(uint8_t slot, const TJoystickConfig& config)
{
    return MakeWrite(slot, BlockJoystick, 1, config);
}

TDevicePacket MakeMotorWrite(uint8_t slot, const TMotorConfig& config)
{
    return MakeWrite(slot, BlockMotor, 2, config);
}

TDevicePacket MakeGeneralWrite(uint8_t slot, const TGeneralConfig& config)
{
    // The device takes the general block by its param alone; the block byte stays 0.
    return MakeWrite(slot, 0, 5, config);
}

TDevicePacket MakeShifterWrite(uint8_t slot, const TShifterConfig& config)
{
    return MakeWrite(slot, 0, 6, config);
}

String PacketHexText(const uint8_t* bytes, size_t length)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    String text;
    text.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
        text += L' ';
    }
    return text;
}

uint16_t GearBitsOf(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < 2)
        throw EDeviceReplyError(Format(L"Gear report: %u bytes received, 2 expected", {static_cast<unsigned>(size)}));
    return static_cast<uint16_t>(data[0] | (data[1] << 8));
}

bool IsGearEngaged(uint16_t gearBits, int gear)
{
    return gear >= 1 && gear <= 11 && ((gearBits >> (gear - 1)) & 1u) != 0;
}
