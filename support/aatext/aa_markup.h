// Text rules of the anti-aliased text controls that need no window system: the tag scan of
// the mark-up and the word wrap. No windows.h here.
#pragma once

#include "vcl/sysutils.h"

// Upper-cases only a to z, leaving every other character as it is (tags compare this way).
String AsciiUpperCase(StringView s);

// Finds "<name>" in text without regard to the case of a to z; when found, deletes the tag
// and answers its position (0-based), else -1.
int ExtractTag(String& text, StringView name);

// The line with breakStr inserted at break points so that pieces stay within limit columns
// where a break character allows it. Quoted parts (" or ') are never broken; an existing
// breakStr in the line counts as a break; a surrogate pair is never split and may force a
// break where no break character is. A limit below 2 counts as 2.
String WrapText(StringView line, StringView breakStr, StringView breakChars, int limit);

// The break characters of the text controls: tab, blank, ! , - . : ; ?
extern const wchar_t* const AABreakChars;
