// The jumps at function entries the redirection follows and the one it writes, over code laid
// out in a buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "skin/engine/core/code_redirect.h"

namespace {

// 64 bytes of code with room for an 8-byte pointer slot at offset 48.
struct TCode {
    alignas(8) uint8_t Bytes[64] = {};
    uint8_t* At(int offset) { return Bytes + offset; }
    void Put(int offset, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes) Bytes[offset++] = b;
    }
    void Rel32(int offset, int32_t value) { std::memcpy(Bytes + offset, &value, 4); }
    void Pointer(int offset, const void* value) { std::memcpy(Bytes + offset, &value, sizeof value); }
};

}  // namespace

TEST(CodeRedirect, JumpsAtAnEntryAndWhereTheyLead)
{
    // Each case lays out code, asks at the entry offset and expects an offset (or nullptr).
    struct Case {
        const char* name;
        void (*layout)(TCode&);
        int entry;
        int jumpLeadsTo;   // -1: no jump there
        int resolvesTo;    // -1: nothing to redirect
    } cases[] = {
        // An import stub: jmp [rip+disp] with the pointer slot at 48 leading to 32.
        {"indirect through a slot", [](TCode& c) { c.Put(0, {0xFF, 0x25}); c.Rel32(2, 48 - 6); c.Pointer(48, c.At(32)); c.Put(32, {0x48, 0x83, 0xEC}); }, 0, 32, 32},
        {"indirect with REX.W", [](TCode& c) { c.Put(0, {0x48, 0xFF, 0x25}); c.Rel32(3, 48 - 7); c.Pointer(48, c.At(20)); c.Put(20, {0x55}); }, 0, 20, 20},
        {"backwards slot", [](TCode& c) { c.Put(40, {0xFF, 0x25}); c.Rel32(42, -46); c.Pointer(0, c.At(16)); c.Put(16, {0x90}); }, 40, 16, 16},
        {"relative 32", [](TCode& c) { c.Put(4, {0xE9}); c.Rel32(5, 30 - 9); c.Put(30, {0x53}); }, 4, 30, 30},
        {"relative 8 backwards", [](TCode& c) { c.Put(30, {0xEB, static_cast<uint8_t>(-22)}); c.Put(10, {0x56}); }, 30, 10, 10},
        // A stub leading to a relative jump leading to the code.
        {"two steps", [](TCode& c) { c.Put(0, {0xFF, 0x25}); c.Rel32(2, 48 - 6); c.Pointer(48, c.At(8)); c.Put(8, {0xE9}); c.Rel32(9, 40 - 13); c.Put(40, {0x41, 0x54}); }, 0, 8, 40},
        {"ordinary code", [](TCode& c) { c.Put(0, {0x48, 0x83, 0xEC, 0x28}); }, 0, -1, 0},
        {"FF not followed by 25", [](TCode& c) { c.Put(0, {0xFF, 0xE0}); }, 0, -1, 0},
        {"REX.W without a jump", [](TCode& c) { c.Put(0, {0x48, 0xFF, 0xC0}); }, 0, -1, 0},
        // An import not bound yet: the slot is empty.
        {"empty slot", [](TCode& c) { c.Put(0, {0xFF, 0x25}); c.Rel32(2, 48 - 6); }, 0, -1, -1},
        // A jump to itself and a pair of jumps to each other never reach code.
        {"jump to itself", [](TCode& c) { c.Put(12, {0xEB, 0xFE}); }, 12, 12, -1},
        {"two jumps in a loop", [](TCode& c) { c.Put(0, {0xEB, 0x08}); c.Put(10, {0xEB, static_cast<uint8_t>(-12)}); }, 0, 10, -1},
    };
    for (const Case& k : cases) {
        TCode c;
        k.layout(c);
        const uint8_t* lead = JumpDestination(c.At(k.entry));
        EXPECT_EQ(lead, k.jumpLeadsTo < 0 ? nullptr : c.At(k.jumpLeadsTo)) << k.name;
        EXPECT_EQ(ResolveJumpThunk(c.At(k.entry)), k.resolvesTo < 0 ? nullptr : c.At(k.resolvesTo)) << k.name;
    }
    EXPECT_EQ(JumpDestination(nullptr), nullptr);
    EXPECT_EQ(ResolveJumpThunk(nullptr), nullptr);
}

TEST(CodeRedirect, AbsoluteJumpCarriesTheWholeAddress)
{
    for (uint64_t destination : {0x00007FF812345678ull, 0xFFFFFFFF80000000ull, 0x0000000000401000ull}) {
        uint8_t code[AbsoluteJumpLength];
        std::memset(code, 0xCC, sizeof code);
        BuildAbsoluteJump(code, destination);
        const uint8_t want[AbsoluteJumpLength] = {0x48, 0xB8, uint8_t(destination), uint8_t(destination >> 8),
                                                  uint8_t(destination >> 16), uint8_t(destination >> 24), uint8_t(destination >> 32),
                                                  uint8_t(destination >> 40), uint8_t(destination >> 48), uint8_t(destination >> 56),
                                                  0xFF, 0xE0};
        EXPECT_EQ(std::memcmp(code, want, sizeof want), 0) << std::hex << destination;
        EXPECT_EQ(AbsoluteJumpDestination(code), destination);
        // The jump is no jump the thunk resolution would follow: its entry is redirected code.
        EXPECT_EQ(ResolveJumpThunk(code), code);
    }
    const uint8_t other[AbsoluteJumpLength] = {0x48, 0xB8, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF, 0xD0};   // call rax
    EXPECT_EQ(AbsoluteJumpDestination(other), 0u);
}

TEST(CodeRedirect, TheJumpFitsOnlyAtTheStartOfALongEnoughFunction)
{
    struct Case {
        uint64_t address, begin, end;
        bool fits;
    } cases[] = {
        {0x1000, 0x1000, 0x101E, true},   // a 30-byte function
        {0x1000, 0x1000, 0x100C, true},   // exactly the jump's length
        {0x1000, 0x1000, 0x100B, false},  // one byte short: the next function would be hit
        {0x1004, 0x1000, 0x1040, false},  // inside a function, not at its entry
        {0x1000, 0x1000, 0x1000, false},  // empty
        {0x1000, 0x1000, 0x0FF0, false},  // end before begin
    };
    for (const Case& c : cases) EXPECT_EQ(AbsoluteJumpFits(c.address, c.begin, c.end), c.fits) << std::hex << c.address << " " << c.end;
}
