// TDrawGrid and TStringGrid.
#include "classlib/comctrls/Grids.h"
#include "classlib/graphics/Canvas.h"

namespace qv {

void TDrawGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

std::string TStringGrid::Cells(int ACol, int ARow) const {
  auto it = cells_.find({ACol, ARow});
  return it == cells_.end() ? std::string() : it->second.text;
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value) {
  if (ACol < 0 || ARow < 0) return;
  cells_[{ACol, ARow}].text = Value;
  InvalidateCell(ACol, ARow);
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  auto it = cells_.find({ACol, ARow});
  return it == cells_.end() ? nullptr : it->second.object;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
  if (ACol < 0 || ARow < 0) return;
  cells_[{ACol, ARow}].object = Value;
}

void TStringGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
  if (DefaultDrawing) Canvas()->TextRect(ARect, ARect.left + 2, ARect.top + 2, Cells(ACol, ARow));
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

}  // namespace qv
