// The text rules of a label that need no window: the ellipsis a label may shorten its text with,
// and the shortening of a word-wrapped text until it fits the label's height. No windows.h here.
#pragma once

#include <cstdint>
#include <functional>

#include "vcl/sysutils.h"

// Where a label that does not size itself to its text puts "..." when the text is too long.
enum TEllipsisPosition : uint8_t { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };

// The DrawText flag of a position (DT_PATH_ELLIPSIS, DT_END_ELLIPSIS, DT_WORD_ELLIPSIS), 0 for none.
constexpr unsigned EllipsisDrawFlag(TEllipsisPosition p)
{
    switch (p) {
    case epPathEllipsis: return 0x4000;
    case epEndEllipsis: return 0x8000;
    case epWordEllipsis: return 0x40000;
    default: return 0;
    }
}

// The flags a label draws with for a position: DT_EXPANDTABS (0x40) gives way to the ellipsis
// flag, which an auto-sized label never takes (it grows instead).
constexpr unsigned LabelEllipsisFlags(unsigned flags, TEllipsisPosition p, bool autoSize)
{
    if (p == epNone || autoSize) return flags;
    return (flags & ~0x40u) | EllipsisDrawFlag(p);
}

// Whether a word-wrapped label shortens its text itself: the system cuts only the last line,
// so lines below the label's foot would be lost without a visible "...".
constexpr bool LabelShortensText(TEllipsisPosition p, bool autoSize, bool wordWrap)
{
    return !autoSize && wordWrap && (p == epEndEllipsis || p == epWordEllipsis);
}

// The text cut back word by word (character by character within a single word) until
// measureHeight(cut + "...") is no taller than maxHeight or than one line (lineHeight), and
// returned with "..." appended; the text itself when it fits with "..." uncut. measureHeight
// answers the height a text takes when wrapped in the label's width less that of "...".
String ShortenWrappedText(const String& text, int maxHeight, int lineHeight,
                          const std::function<int(const String&)>& measureHeight);
