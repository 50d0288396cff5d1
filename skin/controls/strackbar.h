// Skinned track bar. The native control keeps the whole logic (range, steps, keys, dragging, the
// position tip, scroll notifications); the bar paints every pixel itself into its cache: from
// the skin section ("TRACKBAR" unless SkinSection says otherwise) when skinned, else in the
// classic 3-D look. On top of the native control it adds a progress fill from ShowProgressFrom
// to the position, a direction from the far end (Reversed, and right-to-left reading of a
// horizontal bar), positioning by a click, an offset of the whole bar, a bitmap thumb, a paint
// hook and two events that fire only for changes made by the user.
#pragma once

#include <vector>

#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

using TacSkinPaintEvent = Method<void(TObject* Sender, TCanvas* Canvas)>;

class TsTrackBar : public TacSkinFrame<TTrackBar> {
public:
    explicit TsTrackBar(TComponent* owner);
    ~TsTrackBar() override;

    bool Reversed() const { return FReversed; }
    void SetReversed(bool on);
    // A dotted frame while the bar has the focus.
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool on);
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool on);
    // Where the progress fill starts (kept within Min..Max).
    int ShowProgressFrom() const { return FShowProgressFrom; }
    void SetShowProgressFrom(int value);
    // A press in the channel moves the thumb there (PageSize becomes 1).
    bool PosByClick() const { return FPosByClick; }
    void SetPosByClick(bool on) { FPosByClick = on; }
    int BarOffsetH() const { return FBarOffset.x; }
    void SetBarOffsetH(int value);
    int BarOffsetV() const { return FBarOffset.y; }
    void SetBarOffsetV(int value);
    // Drawn centred in the thumb instead of the skin's image when not empty (owned copy).
    TBitmap* ThumbGlyph() const { return FThumbGlyph; }
    void SetThumbGlyph(TBitmap* value);

    // Length in pixels of a painted tick mark.
    int TickHeight = 4;

    // Where the bar paints (window coordinates, the bar offset included).
    TRect ThumbRect();
    TRect ChannelRect();
    int TickPos(int index);
    int TickCount();
    std::vector<TPoint> TicksArray(const TRect& channel);
    // Thumb and tick state: 2 while the thumb is held, else the link's state.
    int Mode();
    bool IsReversed() const;
    // The thumb is held (pressed inside it and not yet released).
    bool ThumbPressed() const { return FThumbPressed; }

    // Every change by mouse or keyboard; OnUserChanged after it for steps and the thumb's
    // release only. Changes made in code, or by these handlers, fire neither.
    TNotifyEvent OnUserChange, OnUserChanged;
    // Over the channel, progress and ticks, before the thumb (on the cache's canvas).
    TacSkinPaintEvent OnSkinPaint;

protected:
    void CreateWnd() override;
    void WndProc(TMessage& m) override;
    int DefaultSectionIndex() override;
    void PaintContent(TBitmap* cache, int state) override;

private:
    bool DrawnFromSkin();
    bool Horizontal() const { return FOrientation == trHorizontal; }
    void UpdateReversedStyle();
    // The cache is stale and the bar repaints.
    void LookChanged();
    // The skin image of the bar's section (else of the skin's track-bar elements); -1 when none.
    int SkinImage(const wchar_t* name, int which);
    void PaintSkinnedChannel(TBitmap* cache, int state);
    void PaintSkinnedThumb(TBitmap* cache);
    // The tick marks and selection marks of a horizontal or a vertical bar (none with tsNone).
    void PaintHorzTicks(TBitmap* cache, bool skinned);
    void PaintVertTicks(TBitmap* cache, bool skinned);
    void PaintTickMarks(TBitmap* cache, bool skinned, bool horizontal);
    // One tick mark at p: the skin's tick image ending there, else a bevelled tick of TickHeight
    // (skinned) or a short line in the shadow colour.
    void PaintTick(TBitmap* cache, TPoint p, bool horizontal, bool skinned);
    // The standard look: background, channel (progress and ticks), thumb.
    void PaintStdBackground(TBitmap* cache);
    void PaintStdChannel(TBitmap* cache);
    void PaintStdThumb(TBitmap* cache);
    void PaintStd(TBitmap* cache);
    // The thumb drawn by paint into target at the thumb rectangle; turned over first when the
    // ticks are on the top or left side.
    void PaintThumbTurned(TBitmap* cache, const TRect& t, TSize imageSize, const std::function<void(TBitmap*, const TRect&)>& paint);
    void DrawThumbGlyph(TBitmap* cache, const TRect& t);
    void PaintFocus(TBitmap* cache, TColor color);
    void PaintUnskinned(HDC dc);
    // WM_PAINT / WM_PRINT of the skinned bar: composed afresh, the border over it, copied.
    void PaintSkinned(HDC given);
    // scmPaintFromBitmap: bmp copied into the window at the bar's place; false without one.
    bool PaintFromBitmap(TBitmap* bmp);
    // The parent form shows see-through pixels by a colour key.
    bool OnColorKeyedForm() const;
    void SetPosByPoint(TPoint p);
    void PressStarts(TPoint at, TPoint native, bool skinned);
    void PressEnds(TPoint at, bool skinned);
    void RestoreHints();
    void ShowNow();
    void DoUserChange(bool changed);

    bool FEventFlag = false;
    bool FReversed = false;
    bool FShowFocus = false;
    bool FAppShowHint = true;
    bool FHintsOff = false;   // this bar switched the application's hints off
    bool FPosByClick = false;
    bool FShowProgress = false;
    bool FThumbPressed = false;
    TBitmap* FThumbGlyph = nullptr;
    TPoint FBarOffset;
    int FShowProgressFrom = 0;
};
