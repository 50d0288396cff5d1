// The machine-code side of redirecting a function of the own process to another one: what a
// jump at a function's entry leads to, and the absolute jump written over an entry. x64 code
// only; no windows.h, so it builds and is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// mov rax, imm64 (48 B8 and 8 bytes); jmp rax (FF E0). rax is free at a function's entry in
// the x64 calling convention: no argument travels in it.
constexpr size_t AbsoluteJumpLength = 12;
void BuildAbsoluteJump(uint8_t (&code)[AbsoluteJumpLength], uint64_t destination);
// The destination of such a jump at code; 0 when the bytes are not one.
uint64_t AbsoluteJumpDestination(const uint8_t* code);

// Where the jump instruction at address leads: jmp [rip + disp32] (FF 25, also with a REX.W
// prefix) through the pointer it names, jmp rel32 (E9) and jmp rel8 (EB) to their target.
// nullptr when the bytes are no such jump, or the pointer is empty.
const uint8_t* JumpDestination(const uint8_t* address);

// Follows the jumps at address (import stubs, forwarding entries) to the code they lead to, at
// most MaxThunkSteps of them, so a loop of jumps ends. nullptr when a stub's pointer is empty
// or the chain is longer; address itself when it holds no jump.
constexpr int MaxThunkSteps = 4;
const uint8_t* ResolveJumpThunk(const uint8_t* address);

// Whether the absolute jump can be written at address when the system's unwind data knows the
// function around it as [begin, end): only at the function's very start and only when the
// function is long enough, so that no byte of the next function is written over.
bool AbsoluteJumpFits(uint64_t address, uint64_t begin, uint64_t end);
