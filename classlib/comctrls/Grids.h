// The grids: TCustomGrid (cells of default or per-column and per-row size,
// fixed rows and columns at the top and left, a current cell and a selected
// range, keyboard and mouse movement that SelectCell may refuse, scrolling,
// grid lines and the default drawing), TDrawGrid (cells drawn by
// OnDrawCell) and TStringGrid (cells holding text and objects).
#pragma once
#include <functional>
#include <map>
#include <vector>

#include "classlib/controls/CustomControl.h"
#include "platform/Set.h"

namespace qv {

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking,
  goTabs
};
using TGridOptions = Set<TGridOption>;
enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = Set<TGridDrawStateItem>;

struct TGridCoord {
  int X = 0, Y = 0;
  bool operator==(const TGridCoord&) const = default;
};
// A range of cells, Left..Right and Top..Bottom inclusive.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const RECT& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);

  int ColCount() const { return int(colWidths_.size()); }
  int RowCount() const { return int(rowHeights_.size()); }
  void SetColCount(int Value);
  void SetRowCount(int Value);
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }
  void SetFixedCols(int Value);
  void SetFixedRows(int Value);
  int DefaultColWidth() const { return defaultColWidth_; }
  int DefaultRowHeight() const { return defaultRowHeight_; }
  // Sets every column (row) to the new default size.
  void SetDefaultColWidth(int Value);
  void SetDefaultRowHeight(int Value);
  int ColWidths(int Index) const;
  int RowHeights(int Index) const;
  void SetColWidths(int Index, int Value);
  void SetRowHeights(int Index, int Value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int Value);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TColor FixedColor = clBtnFace;
  bool DefaultDrawing = true;

  // The current cell. Setting it goes through SelectCell, without Click.
  int Col() const { return current_.X; }
  int Row() const { return current_.Y; }
  void SetCol(int Value) { MoveCurrent(Value, current_.Y, true, false); }
  void SetRow(int Value) { MoveCurrent(current_.X, Value, true, false); }
  TGridRect Selection() const;
  void SetSelection(TGridRect Value);
  int TopRow() const { return topLeft_.Y; }
  int LeftCol() const { return topLeft_.X; }
  void SetTopRow(int Value);
  void SetLeftCol(int Value);
  int VisibleColCount();
  int VisibleRowCount();

  // The cell's rectangle in client coordinates; empty when it does not show.
  RECT CellRect(int ACol, int ARow);
  // The cell under a client point; -1 parts where there is none.
  void MouseToCell(int X, int Y, int& ACol, int& ARow);
  TGridCoord MouseCoord(int X, int Y);
  void Dispatch(TMessage& Message) override;

  TSelectCellEvent OnSelectCell;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  virtual void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) = 0;
  virtual bool SelectCell(int ACol, int ARow);
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;
  // Moves the current cell (through SelectCell); MoveAnchor collapses the
  // selection onto it, else the selection stretches from the anchor.
  bool MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool DoClick);
  void InvalidateCell(int ACol, int ARow);
  void InvalidateGrid() { Invalidate(); }

 private:
  int LineX() const;  // the width of a vertical line between cells
  int LineY() const;
  int ColLeft(int ACol);  // -1 when scrolled away
  int RowTop(int ARow);
  void ClampTopLeft();
  void ResetPosition();
  void ScrollIntoView(int ACol, int ARow);
  void UpdateScrollBars();
  void Scroll(int Bar, int Code);
  TGridDrawState StateOf(int ACol, int ARow);
  void DrawLines(int ACol, int ARow, const RECT& R, bool Fixed);

  std::vector<int> colWidths_, rowHeights_;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24, gridLineWidth_ = 1;
  TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TScrollStyle scrollBars_ = ssBoth;
  TBorderStyle borderStyle_ = bsSingle;
  TGridCoord current_{1, 1}, anchor_{1, 1}, topLeft_{1, 1};
  bool selecting_ = false;
};

class TDrawGrid : public TCustomGrid {
 public:
  using TCustomGrid::TCustomGrid;
  TDrawCellEvent OnDrawCell;

 protected:
  void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
};

class TStringGrid : public TDrawGrid {
 public:
  using TDrawGrid::TDrawGrid;
  std::string Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const std::string& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);

 protected:
  void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;

 private:
  struct Cell {
    std::string text;
    TObject* object = nullptr;
  };
  std::map<std::pair<int, int>, Cell> cells_;  // only the cells given something
};

}  // namespace qv
