// Mark-up text: lays out and draws a short text with a few HTML-like tags and character
// entities, wrapping words at the width of an area. No windows.h here: text is measured by an
// injected measurer and drawn into an injected sink, so the layout also runs natively (tests,
// fuzzing); the Windows adapter measures and draws with GDI on a 32-bit bitmap.
//
// Mark-up understood (tags are matched on the upper-cased text, brackets included):
//   <B> <I> <U> and </B> </I> </U>   bold, italic, underline on and off; any closing tag whose
//                                    name starts with B, I or U turns that style off
//   <FONT SIZE=+n|-n|n COLOR=#RRGGBB|name|RRGGBB FACE="name">   pushes the font, </FONT> pops it;
//                                    a tag with FONT anywhere in it counts
//   <A HREF="address">  </A>         a link (any other tag with the letter A in it opens one too)
//   <BR> <BR/> <P> </P>              line breaks; CR and LF in the text are no breaks
//   &name;                           one of the entities of the table (&amp; &lt; &eacute; &#8211; ...)
//   && and <<                        a single & and <
// Anything else between < and > is drawn as text; a < without a later > is dropped.
//
// Use: one TsHtml per drawing. Set the options, Init, then HTMLText once: without a sink it only
// measures, with one it measures and then draws. Cost and memory are linear in the text.
#pragma once

#include <cstdint>
#include <vector>

#include "vcl/sysutils.h"
#include "vcl/types.h"

// The font a piece of text is measured and drawn in. Size is in points. What the mark-up cannot
// change (charset, quality, strike-out, pitch) stays the adapter's base font's.
struct TacHtmlFont {
    String Name;   // a FACE sets it in upper case, as the tag is; at most 31 characters
    int Size = 8;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor Color = clBlack;
    friend bool operator==(const TacHtmlFont&, const TacHtmlFont&) = default;
};

// Measures one line of text (no CR or LF in it) in a font: its width and height, as the canvas's
// TextExtent does. Called many times per drawing; an adapter may cache the font it selects.
class TacHtmlMeasurer {
public:
    virtual ~TacHtmlMeasurer() = default;
    virtual TSize TextExtent(const TacHtmlFont& font, StringView text) = 0;
};

// Receives the pieces of the drawing pass, in order. Rect is where the text goes (its width is
// the measured width); Format holds the DrawTextW flags: DT_NOCLIP | DT_VCENTER (0x104), with
// DT_RTLREADING | DT_RIGHT (0x20002) for bdRightToLeft and DT_RTLREADING (0x20000) for
// bdRightToLeftNoAlign. Alpha: draw with the alpha-aware text routine (the renderer's
// AlphaChannel option), where Rect's height is the text's own; otherwise plain text, where
// Rect's height is the line's height so far.
class TacHtmlSink {
public:
    virtual ~TacHtmlSink() = default;
    virtual void DrawRun(const TacHtmlFont& font, StringView text, const TRect& rect, uint32_t format,
                         bool alpha) = 0;
};

// The colours of links. Without an active skin: blue, red while hot and pressed. With one:
// WebText, WebTextHot while hot or pressed, and WebTextHot mixed half with LabelText while both.
// Hot and pressed links are underlined.
struct TacHtmlLinkColors {
    bool SkinActive = false;   // a skin manager exists and is active
    TColor WebText = clBlue;
    TColor WebTextHot = clBlue;
    TColor LabelText = clBlack;
};

// A link of the laid-out text: the box of its text in the area's coordinates, and its address
// (the HREF value; empty when the tag has none). A link never closed keeps Bounds
// (x, y, 0, 0) of its start, which no point is in, and its whole tag text as URL.
struct TacLink {
    TRect Bounds;
    String URL;
};
using TacLinks = std::vector<TacLink>;

// One line as the measuring pass found it: its source text and its width and height.
struct TacLineData {
    String Text;
    TSize Size;
};

class TsHtml {
public:
    explicit TsHtml(TacHtmlMeasurer& measurer) : FMeasurer(measurer) {}

    // Options, set before Init.
    TAlignment Alignment = taLeftJustify;   // mirrored by bdRightToLeft
    TBiDiMode BidiMode = bdLeftToRight;
    TTextLayout Layout = tlTop;             // kept for the caller; lines always start at the top
    bool AlphaChannel = false;              // passed to the sink as its Alpha
    TacHtmlLinkColors LinkColors;

    // Font: the base font (its colour is the text colour). Area: where the lines go; words wrap
    // at its width while Area.Right >= 1, never otherwise. HotLink and PressedLink: the indexes
    // of the links to draw hot and pressed (-1 none).
    void Init(const TacHtmlFont& font, StringView text, const TRect& area, int hotLink, int pressedLink);

    // Lays the text out and, with a sink, draws it. Returns (0, 0, width, height) of the laid-out
    // text: after drawing, the right and bottom ends in the area's coordinates; when only
    // measuring, the widest line's width and Area.Top plus the lines' height. Links: those found.
    TRect HTMLText(TacLinks& links, TacHtmlSink* sink = nullptr);

    // The lines of the last measuring pass (at least one after HTMLText).
    const std::vector<TacLineData>& LineSizes() const { return FLineSizes; }
    // The DrawTextW flags given to the sink (see TacHtmlSink).
    uint32_t TextFlags() const { return FTextFlags; }

private:
    friend class TacHtmlLayout;

    TacHtmlMeasurer& FMeasurer;
    TacHtmlFont FFont;
    String FOrigin;
    String FUppedText;
    TRect FArea;
    int FHotLink = -1;
    int FPressedLink = -1;
    uint32_t FTextFlags = 0;
    std::vector<TacLineData> FLineSizes;
};

// The caption without its tags: every "<" with the first ">" after it and what lies between goes;
// a "<" with no ">" after it stays, with the rest of the text.
String PlainCaptionOf(StringView caption);
