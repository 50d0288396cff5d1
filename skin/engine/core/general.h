// Small free routines of the skin engine that need no window: words and strings, hexadecimal
// text, paths, the sectioned text of the manager's common sections, and tick-count arithmetic
// that survives the 32-bit wrap. No windows.h here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "vcl/strings.h"
#include "vcl/sysutils.h"

// ---- character sets --------------------------------------------------------------------------

// A set of 8-bit characters (bit n of byte n div 8 is character n). Wide characters above 255
// are never members.
class TCharSet {
public:
    TCharSet() = default;
    TCharSet(std::initializer_list<unsigned char> chars)
    {
        for (unsigned char c : chars) Include(c);
    }
    void Include(unsigned char c) { FBits[c >> 3] = static_cast<uint8_t>(FBits[c >> 3] | (1u << (c & 7))); }
    bool Contains(unsigned char c) const { return (FBits[c >> 3] >> (c & 7)) & 1u; }

private:
    std::array<uint8_t, 32> FBits{};
};

bool WideCharInSet(wchar_t ch, const TCharSet& set);

// ---- words -----------------------------------------------------------------------------------

// A word is a maximal run of characters that are not separators. Positions are 1-based; 0
// (and an empty word) means there is no such word, also for n <= 0.
int FindNthWord(int n, const String& text, const TCharSet& separators);
int FindNthWordA(int n, const std::string& text, const TCharSet& separators);
String GetNthWord(int n, const String& text, const TCharSet& separators);
std::string GetNthWordA(int n, const std::string& text, const TCharSet& separators);
int CountWords(const String& text, const TCharSet& separators);
int CountWordsA(const std::string& text, const TCharSet& separators);

// ---- strings ---------------------------------------------------------------------------------

String StripChar(const String& text, wchar_t ch);
// Every occurrence of find, left to right, continuing after each replacement (the inserted
// text is not scanned again); an empty find leaves the text as it is.
String ReplaceEvery(const String& text, const String& find, const String& replacement);
void FillWideString(String& s, int count, wchar_t ch);
std::string RepeatCharA(char ch, int count);
std::string PadLeftA(char ch, const std::string& text, int width);
// Hexadecimal text ("FF", "ffh"): upper-cased, one trailing H dropped, then digits 0-9 and A-F
// built up in 64 bits (overflow wraps). Any other character, or an empty text, gives 0.
int64_t HexTextToInt64(const std::string& text);
bool ContainsAnyChar(const String& text, const String& chars);
// Non-empty and free of < > " | * ? and /.
bool IsValidFileNameText(const String& text);
// Empty stays empty; a trailing "/" becomes "\"; a one-letter path is a drive ("C" -> "C:\");
// anything else ends with exactly one "\" more unless it has one.
String EnsureTrailingBackslash(const String& path);

// The folder skins are looked for in: dir resolved against the program's folder appFolder
// (which ends with a backslash): "..\x" one level up, ".\x" and relative paths inside it, "."
// itself; absolute and UNC paths as they are; always ending with a backslash.
String FullSkinDirectory(const String& dir, const String& appFolder);

// ---- sectioned text ------------------------------------------------------------------------------

// Splits lines into sections: "[Name]" starts one (its lines become a string list held as the
// object of Name in sections, which owns them), empty lines and lines starting with ";" are
// skipped, lines before the first section are dropped. sections is cleared first.
void ParseSectionedText(const TStrings& lines, TStringList& sections);
// The value of key in section (compared as the string lists compare); def when either is missing.
String ReadSectionValue(const TStringList& sections, const String& section, const String& key, const String& def);
// The same read as an integer (decimal, "$hex" or "0x hex"); def when missing or not a number.
int ReadSectionInt(const TStringList& sections, const String& section, const String& key, int def);

// ---- tick counts -------------------------------------------------------------------------------

// Milliseconds from start to now on a 32-bit tick count, right across its wrap.
constexpr uint32_t TickElapsed(uint32_t start, uint32_t now) { return now - start; }
// True once interval milliseconds have passed since start (a negative interval has passed).
constexpr bool TickReached(uint32_t start, int interval, uint32_t now)
{
    return interval <= 0 || TickElapsed(start, now) >= static_cast<uint32_t>(interval);
}

// The tick count the engine paces its loops and animations with: the system's by default;
// tests put a fake one in (and nullptr takes the system's back).
using TTickSource = std::function<uint32_t()>;
uint32_t AcTickCount();
void SetTickSource(TTickSource source);
