// Grids: window shells that code recognises by class; cells are kept, not drawn.
#pragma once

#include <map>
#include <utility>

#include "vcl/controls.h"

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner) : TCustomControl(owner) { FTabStop = true; }
    int ColCount() const { return FColCount; }
    void SetColCount(int n) { FColCount = n; Invalidate(); }
    int RowCount() const { return FRowCount; }
    void SetRowCount(int n) { FRowCount = n; Invalidate(); }

protected:
    void CreateParams(TCreateParams& p) override
    {
        TCustomControl::CreateParams(p);
        p.Style |= WS_HSCROLL | WS_VSCROLL;
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }
    int FColCount = 5;
    int FRowCount = 5;
};

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
};

class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* owner) : TDrawGrid(owner) {}
    String Cells(int col, int row) const
    {
        auto it = FCells.find({col, row});
        return it == FCells.end() ? String() : it->second;
    }
    void SetCells(int col, int row, const String& s) { FCells[{col, row}] = s; Invalidate(); }

private:
    std::map<std::pair<int, int>, String> FCells;
};
