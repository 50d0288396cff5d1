#include "skin/engine/core/code_redirect.h"

#include <cstring>

void BuildAbsoluteJump(uint8_t (&code)[AbsoluteJumpLength], uint64_t destination)
{
    code[0] = 0x48;
    code[1] = 0xB8;
    std::memcpy(code + 2, &destination, 8);
    code[10] = 0xFF;
    code[11] = 0xE0;
}

uint64_t AbsoluteJumpDestination(const uint8_t* code)
{
    if (!code || code[0] != 0x48 || code[1] != 0xB8 || code[10] != 0xFF || code[11] != 0xE0) return 0;
    uint64_t destination = 0;
    std::memcpy(&destination, code + 2, 8);
    return destination;
}

const uint8_t* JumpDestination(const uint8_t* address)
{
    if (!address) return nullptr;
    const uint8_t* p = address;
    if (p[0] == 0x48 && p[1] == 0xFF && p[2] == 0x25) ++p;   // REX.W on an indirect jump changes nothing
    if (p[0] == 0xFF && p[1] == 0x25) {
        int32_t disp = 0;
        std::memcpy(&disp, p + 2, 4);
        const uint8_t* slot = p + 6 + disp;
        const uint8_t* destination = nullptr;
        std::memcpy(&destination, slot, sizeof destination);
        return destination;
    }
    if (p[0] == 0xE9) {
        int32_t disp = 0;
        std::memcpy(&disp, p + 1, 4);
        return p + 5 + disp;
    }
    if (p[0] == 0xEB) return p + 2 + static_cast<int8_t>(p[1]);
    return nullptr;
}

namespace {
bool IsJump(const uint8_t* p)
{
    if (p[0] == 0x48 && p[1] == 0xFF && p[2] == 0x25) return true;
    return (p[0] == 0xFF && p[1] == 0x25) || p[0] == 0xE9 || p[0] == 0xEB;
}
}  // namespace

const uint8_t* ResolveJumpThunk(const uint8_t* address)
{
    const uint8_t* p = address;
    for (int step = 0; p && IsJump(p); ++step) {
        if (step == MaxThunkSteps) return nullptr;   // a loop, or a chain no stub makes
        p = JumpDestination(p);
    }
    return p;
}

bool AbsoluteJumpFits(uint64_t address, uint64_t begin, uint64_t end)
{
    return address == begin && end > begin && end - begin >= AbsoluteJumpLength;
}
