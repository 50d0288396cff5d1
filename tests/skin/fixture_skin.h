// A small skin made by the tests themselves, so that expected pixels follow from geometry and
// from the values written here: the description text ("Options.dat") and the master bitmap are
// generated in memory, and the packed container (or a folder) is made of them.
//
// Every section has three state records (USESTATE2) with a colour, a flat texture and a flat
// two-stop gradient of its own per state, and a border image of three state frames whose nine
// slices each have one flat colour per frame, with key-colour squares in the four outer corners.
// The table sections "T<t>S<k>" combine transparency t (0, 40, 100) with share set k:
//   k = 0 plain colour, 1 texture 30 %, 2 gradient 50 %, 3 texture 30 % + gradient 70 %.
// Besides them: "BUTTON" (3 states, opaque), "PANEL" (1 state, opaque), "NOSTATES" (STATES=0)
// "CORNERS" (corner images of 6 x 6 in three flat frames), and the page control's "PAGECONTROL"
// (1 state) with its tabs "TABTOP", "TABTOPFIRST", "TABTOPMIDDLE", "TABTOPLAST" (3 states, opaque),
// the group box's "GROUPBOX" and the combo box's "COMBONOEDIT", "COMBOBTN" and "SELECTION" (3 states,
// opaque), the status bar's "STATUSBAR" (no panel image) with "DIVIDER", and "STATUSBARMASKED"
// whose "STATUSPANELMASK" is its own border image (1 state each).
// The edits' "EDIT" and the spin buttons' "UPDOWNBTN" and "TOOLBUTTON" (3 states, opaque).
// The page control's button and menu tabs' "SPEEDBUTTON" and "MENUBTN" (3 states, opaque).
// The check box's "CHECKBOX" (3 states) and "TRANSPARENT" (1 state), both flat without a border image,
// and "PANEL_LOW" (1 state, opaque); the check images BOXUNCHECKED, BOXCHECKED, BOXGRAYED of three
// flat 16 x 16 frames each (GlyphColor), every frame with a key-colour top-left pixel.
// "TRACKBAR" (3 states, opaque) also carries the track bar's images, each one flat colour: the
// channel "SLIDERCHANNEL" and the fill "PROGHORZ" (8 x 5, one frame), the thumb "SLIDERMASK" (three
// frames of 11 x 18, one colour per state) and the tick "TICKHORZ" (1 x 4).
//
// Header-only; needs vcl_pure, zlib and skin_engine_core (the container writer).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/engine/core/skin_container.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_view.h"
#include "tests/skin/engine/image_fixture.h"
#include "vcl/streams.h"
#include "vcl/sysutils.h"

namespace fixture_skin {

constexpr int FrameW = 24, FrameH = 24, Border = 4, KeyCorner = 2, TexSize = 8, CornerSize = 6;
constexpr TColor MainColor = 0x705030;   // GLOBALINFO COLOR (TColor: 0xBBGGRR)
constexpr uint32_t KeyDrawn = 0xFFFF00FFu;

struct TSectionSpec {
    const wchar_t* Name;
    int States;
    int Transparency;
    int ImagePercent;
    int GradientPercent;
    bool Corners;
};

inline const std::vector<TSectionSpec>& Sections()
{
    static const std::vector<TSectionSpec> sections = {
        {L"T0S0", 3, 0, 0, 0, false},    {L"T0S1", 3, 0, 30, 0, false},    {L"T0S2", 3, 0, 0, 50, false},
        {L"T0S3", 3, 0, 30, 70, false},  {L"T40S0", 3, 40, 0, 0, false},   {L"T40S1", 3, 40, 30, 0, false},
        {L"T40S2", 3, 40, 0, 50, false}, {L"T40S3", 3, 40, 30, 70, false}, {L"T100S0", 3, 100, 0, 0, false},
        {L"T100S1", 3, 100, 30, 0, false}, {L"T100S2", 3, 100, 0, 50, false}, {L"T100S3", 3, 100, 30, 70, false},
        {L"BUTTON", 3, 0, 0, 0, false},  {L"PANEL", 1, 0, 0, 0, false},    {L"NOSTATES", 0, 0, 0, 0, false},
        {L"CORNERS", 3, 0, 0, 0, true},
        {L"PAGECONTROL", 1, 0, 0, 0, false}, {L"TABTOP", 3, 0, 0, 0, false}, {L"TABTOPFIRST", 3, 0, 0, 0, false},
        {L"TABTOPMIDDLE", 3, 0, 0, 0, false}, {L"TABTOPLAST", 3, 0, 0, 0, false},
        {L"GROUPBOX", 3, 0, 0, 0, false},
        {L"TRACKBAR", 3, 0, 0, 0, false},
        {L"COMBONOEDIT", 3, 0, 0, 0, false}, {L"COMBOBTN", 3, 0, 0, 0, false}, {L"SELECTION", 3, 0, 0, 0, false},
        {L"STATUSBAR", 1, 0, 0, 0, false}, {L"DIVIDER", 1, 0, 0, 0, false}, {L"STATUSBARMASKED", 1, 0, 0, 0, false},
        {L"EDIT", 3, 0, 0, 0, false}, {L"UPDOWNBTN", 3, 0, 0, 0, false}, {L"TOOLBUTTON", 3, 0, 0, 0, false},
        {L"CHECKBOX", 3, 0, 0, 0, false}, {L"TRANSPARENT", 1, 0, 0, 0, false}, {L"PANEL_LOW", 1, 0, 0, 0, false},
        {L"SPEEDBUTTON", 3, 0, 0, 0, false}, {L"MENUBTN", 3, 0, 0, 0, false},
    };
    return sections;
}
inline int SectionCount() { return static_cast<int>(Sections().size()); }
// The table section of transparency t (0, 40, 100) and share set k (0..3).
// The fixture's own number of a section (its band in the master bitmap), -1 when it has none.
inline int SectionNumber(const String& name)
{
    for (int i = 0; i < SectionCount(); ++i)
        if (name == Sections()[size_t(i)].Name) return i;
    return -1;
}
inline String TableSection(int t, int k) { return L"T" + IntToStr(t) + L"S" + IntToStr(k); }

// Colours (TColor, 0xBBGGRR): opaque, distinct, never the key colour (no channel reaches 255).
constexpr TColor Rgb(int r, int g, int b) { return TColor(r | g << 8 | b << 16); }
constexpr int Ch(int v) { return 20 + v % 200; }
constexpr TColor StateColor(int section, int state) { return Rgb(Ch(37 * section + 80 * state + 10), Ch(53 * section + 30 * state + 60), Ch(71 * section + 110 * state + 90)); }
constexpr TColor TextureColor(int section, int state) { return Rgb(Ch(29 * section + 90 * state + 150), Ch(17 * section + 40 * state + 5), Ch(43 * section + 70 * state + 33)); }
constexpr TColor GradientColor(int section, int state) { return Rgb(Ch(11 * section + 60 * state + 120), Ch(61 * section + 50 * state + 140), Ch(23 * section + 20 * state + 7)); }
// Slice (col, row), 0..2 each, of frame f of a section's border image.
constexpr TColor SliceColor(int section, int frame, int col, int row) { return Rgb(Ch(41 * section + 66 * frame + 3), Ch(30 * col + 13 * section + 100), Ch(70 * row + 9 * frame + 50)); }
constexpr TColor CornerColor(int corner, int frame) { return Rgb(Ch(50 * corner + 7), Ch(90 * frame + 11), Ch(33 * corner + 45 * frame + 170)); }

// A TColor as an opaque pixel (B, G, R, A).
constexpr uint32_t Opaque(TColor c) { return 0xFF000000u | SwapRedBlue(uint32_t(c) & 0x00FFFFFFu); }
// The slice of a coordinate along a side of size.
constexpr int SliceOf(int v, int size) { return v < Border ? 0 : v >= size - Border ? 2 : 1; }
constexpr bool IsKeyCorner(int x, int y, int w, int h)
{
    return (x < KeyCorner || x >= w - KeyCorner) && (y < KeyCorner || y >= h - KeyCorner);
}

// Where a section's pieces lie in the master bitmap: one band of FrameH rows per section (with a
// margin), the border's three frames first, then the three textures, then the corner images.
constexpr int Margin = 2;
constexpr int BandY(int section) { return Margin + section * (FrameH + Margin); }
constexpr int TextureX(int state) { return Margin + 3 * FrameW + 4 + state * (TexSize + 2); }
constexpr int CornerX(int corner) { return TextureX(3) + 4 + corner * (3 * CornerSize + 2); }
constexpr int MasterWidth() { return CornerX(4) + Margin; }

// The track bar's images, in the TRACKBAR band where other sections keep their corner images.
constexpr int TrackPieceW = 8, TrackPieceH = 5, ThumbW = 11, ThumbH = 18;
constexpr int TrackChannelX() { return CornerX(0); }
constexpr int TrackProgressX() { return CornerX(0) + 10; }
constexpr int TrackThumbX() { return CornerX(0) + 20; }
constexpr int TrackTickX() { return CornerX(0) + 20 + 3 * ThumbW + 3; }
constexpr TColor TrackChannelColor = Rgb(30, 140, 60);
constexpr TColor TrackProgressColor = Rgb(200, 60, 40);
constexpr TColor TrackTickColor = Rgb(90, 30, 170);
constexpr TColor TrackThumbColor(int state) { return Rgb(Ch(40 + 70 * state), Ch(150 + 20 * state), Ch(10 + 60 * state)); }
// The check images lie in a band of their own below the sections.
constexpr int GlyphSize = 16;
inline int GlyphY() { return BandY(SectionCount()); }
constexpr int GlyphX(int image) { return Margin + image * (3 * GlyphSize + 2); }
constexpr TColor GlyphColor(int image, int frame) { return Rgb(Ch(60 * image + 25 * frame + 40), Ch(45 * frame + 15), Ch(80 * image + 120)); }
inline int MasterHeight() { return BandY(SectionCount()) + FrameH + Margin; }

inline String N4(int v)
{
    String s = IntToStr(v);
    while (s.size() < 4) s = L"0" + s;
    return s;
}
inline String Rect4(const wchar_t* sep, int l, int t, int r, int b)
{
    return String(sep) + N4(l) + sep + N4(t) + sep + N4(r) + sep + N4(b);
}
inline String FlatGradient(TColor c)
{
    // Two stops of the same colour, top to bottom.
    const String v = IntToStr(int(c));
    return v + L";0;100;0;0;" + v + L";0;0;0;0";
}

inline TPixelImage MasterImage()
{
    TPixelImage img(MasterWidth(), MasterHeight(), 0xFF101010u);
    for (int image = 0; image < 3; ++image)
        for (int f = 0; f < 3; ++f)
            for (int y = 0; y < GlyphSize; ++y)
                for (int x = 0; x < GlyphSize; ++x)
                    img.At(GlyphX(image) + f * GlyphSize + x, GlyphY() + y) =
                        x == 0 && y == 0 ? KeyDrawn : Opaque(GlyphColor(image, f));
    for (int i = 0; i < SectionCount(); ++i) {
        const int y0 = BandY(i);
        for (int f = 0; f < 3; ++f)
            for (int y = 0; y < FrameH; ++y)
                for (int x = 0; x < FrameW; ++x)
                    img.At(Margin + f * FrameW + x, y0 + y) =
                        IsKeyCorner(x, y, FrameW, FrameH) ? KeyDrawn
                                                          : Opaque(SliceColor(i, f, SliceOf(x, FrameW), SliceOf(y, FrameH)));
        for (int s = 0; s < 3; ++s)
            for (int y = 0; y < TexSize; ++y)
                for (int x = 0; x < TexSize; ++x) img.At(TextureX(s) + x, y0 + y) = Opaque(TextureColor(i, s));
        if (String(Sections()[size_t(i)].Name) == L"TRACKBAR") {
            auto fill = [&](int x0, int w, int h, uint32_t px) {
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) img.At(x0 + x, y0 + y) = px;
            };
            fill(TrackChannelX(), TrackPieceW, TrackPieceH, Opaque(TrackChannelColor));
            fill(TrackProgressX(), TrackPieceW, TrackPieceH, Opaque(TrackProgressColor));
            for (int st = 0; st < 3; ++st) fill(TrackThumbX() + st * ThumbW, ThumbW, ThumbH, Opaque(TrackThumbColor(st)));
            fill(TrackTickX(), 1, 4, Opaque(TrackTickColor));
        }
        if (!Sections()[size_t(i)].Corners) continue;
        for (int c = 0; c < 4; ++c)
            for (int f = 0; f < 3; ++f)
                for (int y = 0; y < CornerSize; ++y)
                    for (int x = 0; x < CornerSize; ++x)
                        img.At(CornerX(c) + f * CornerSize + x, y0 + y) = Opaque(CornerColor(c, f));
    }
    return img;
}

inline String OptionsText()
{
    String t = L"[GLOBALINFO]\r\nVERSION=8\r\nAUTHOR=Tests\r\nDESCRIPTION=Fixture skin\r\nMASTERBITMAP=Master.bmp\r\nCOLOR=" +
               IntToStr(int(MainColor)) + L"\r\nFONTCOLOR=0\r\n";
    static const wchar_t* const glyphKeys[3] = {L"BOXUNCHECKED", L"BOXCHECKED", L"BOXGRAYED"};
    for (int image = 0; image < 3; ++image)
        t += String(glyphKeys[image]) + L"=" +
             Rect4(L"@", GlyphX(image), GlyphY(), GlyphX(image) + 3 * GlyphSize, GlyphY() + GlyphSize) + L"@3@0\r\n";
    t += L"\r\n";
    static const wchar_t* const colorKeys[3] = {L"COLOR", L"HOTCOLOR", L"COLOR2"};
    static const wchar_t* const transKeys[3] = {L"TRANSPARENCY", L"HOTTRANSPARENCY", L"TRANSPARENCY2"};
    static const wchar_t* const imageKeys[3] = {L"IMAGEPERCENT", L"HOTIMAGEPERCENT", L"IMAGEPERCENT2"};
    static const wchar_t* const gradKeys[3] = {L"GRADIENTPERCENT", L"HOTGRADIENTPERCENT", L"GRADIENTPERCENT2"};
    static const wchar_t* const dataKeys[3] = {L"GRADIENTDATA", L"HOTGRADIENTDATA", L"GRADIENTDATA2"};
    static const wchar_t* const patternKeys[3] = {L"PATTERN", L"HOTPATTERN", L"PATTERN2"};
    static const wchar_t* const cornerKeys[4] = {L"IMGTOPLEFT", L"IMGTOPRIGHT", L"IMGBTMLEFT", L"IMGBTMRIGHT"};
    for (int i = 0; i < SectionCount(); ++i) {
        const TSectionSpec& s = Sections()[size_t(i)];
        const int y0 = BandY(i);
        t += L"[" + String(s.Name) + L"]\r\nSTATES=" + IntToStr(s.States) + L"\r\nUSESTATE2=1\r\nFONTCOLOR=0\r\n";
        for (int k = 0; k < 3; ++k) {
            t += String(colorKeys[k]) + L"=" + IntToStr(int(StateColor(i, k))) + L"\r\n";
            t += String(transKeys[k]) + L"=" + IntToStr(s.Transparency) + L"\r\n";
            t += String(imageKeys[k]) + L"=" + IntToStr(s.ImagePercent) + L"\r\n";
            t += String(gradKeys[k]) + L"=" + IntToStr(s.GradientPercent) + L"\r\n";
            t += String(dataKeys[k]) + L"=" + FlatGradient(GradientColor(i, k)) + L"\r\n";
            t += String(patternKeys[k]) + L"=" +
                 Rect4(L"~", TextureX(k), y0, TextureX(k) + TexSize, y0 + TexSize) + L"~00~0\r\n";
        }
        // The check box and the see-through section are flat: no border image.
        if (String(s.Name) != L"CHECKBOX" && String(s.Name) != L"TRANSPARENT")
            t += L"BORDERSMASK=" + Rect4(L"^", Margin, y0, Margin + 3 * FrameW, y0 + FrameH) + L"^" + N4(Border) + L"^" +
                 N4(Border) + L"^" + N4(Border) + L"^" + N4(Border) + L"^3^0^0\r\n";
        if (String(s.Name) == L"STATUSBARMASKED")
            t += L"STATUSPANELMASK=" + Rect4(L"^", Margin, y0, Margin + 3 * FrameW, y0 + FrameH) + L"^" + N4(Border) +
                 L"^" + N4(Border) + L"^" + N4(Border) + L"^" + N4(Border) + L"^3^0^0\r\n";
        if (String(s.Name) == L"TRACKBAR") {
            t += L"SLIDERCHANNEL=" + Rect4(L"^", TrackChannelX(), y0, TrackChannelX() + TrackPieceW, y0 + TrackPieceH) +
                 L"^0002^0001^0002^0001^1^0^5\r\n";
            t += L"PROGHORZ=" + Rect4(L"^", TrackProgressX(), y0, TrackProgressX() + TrackPieceW, y0 + TrackPieceH) +
                 L"^0002^0001^0002^0001^1^0^5\r\n";
            t += L"SLIDERMASK=" + Rect4(L"@", TrackThumbX(), y0, TrackThumbX() + 3 * ThumbW, y0 + ThumbH) + L"@3@0\r\n";
            t += L"TICKHORZ=" + Rect4(L"@", TrackTickX(), y0, TrackTickX() + 1, y0 + 4) + L"@1@0\r\n";
        }
        if (s.Corners)
            for (int c = 0; c < 4; ++c)
                t += String(cornerKeys[c]) + L"=" +
                     Rect4(L"@", CornerX(c), y0, CornerX(c) + 3 * CornerSize, y0 + CornerSize) + L"@3@0\r\n";
        t += L"\r\n";
    }
    return t;
}

// The files of the skin: "Options.dat" (UTF-8) and "Master.bmp".
inline std::vector<TacPackEntry> Files()
{
    const std::string text = ToUtf8(OptionsText());
    return {{L"Options.dat", std::vector<uint8_t>(text.begin(), text.end())}, {L"Master.bmp", fixture::EncodeBmp24(MasterImage())}};
}
// The packed container of the skin (what a ".asz" file holds).
inline std::vector<uint8_t> Packed() { return WritePackedSkin(Files()); }
// Writes the skin as a folder (created when missing) or as a packed file.
inline void WriteFolder(const String& folder)
{
    ForceDirectories(folder);
    String dir = folder;
    if (!dir.empty() && dir.back() != L'/' && dir.back() != L'\\') dir += L'/';   // both systems take "/"
    for (const TacPackEntry& e : Files()) WriteFileBytes(dir + e.Name, e.Data);
}
inline void WritePacked(const String& fileName) { WriteFileBytes(fileName, Packed()); }

}  // namespace fixture_skin
