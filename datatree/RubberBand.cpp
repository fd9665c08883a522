#include "datatree/RubberBand.h"

#include <algorithm>

namespace qv {

void TRubberBand::Begin(POINT Start, bool Ctrl, TNodeArray Before) {
  ForgetRow();
  start_ = Start;
  rect_ = RECT{Start.x, Start.y, Start.x, Start.y};
  ctrl_ = Ctrl;
  // Sorted by address: each row of the band asks whether it was selected.
  before_ = std::move(Before);
  std::sort(before_.begin(), before_.end());
}

bool TRubberBand::Wants(PDataNode Row, bool Inside) const {
  bool wasSelected = std::binary_search(before_.begin(), before_.end(), Row);
  return ctrl_ ? (Inside != wasSelected) : (Inside || wasSelected);
}

void TRubberBand::End() {
  rect_ = RECT{};
  before_.clear();
}

void TRubberBand::ForgetNode(PDataNode Node) {
  for (TWalkRow& row : rows_)
    if (row.Node == Node) row.Node = nullptr;
  auto before = std::lower_bound(before_.begin(), before_.end(), Node);
  if (before != before_.end() && *before == Node) before_.erase(before);
}

void TRubberBand::DropNodes() {
  before_.clear();
  ForgetRow();
}

}  // namespace qv
