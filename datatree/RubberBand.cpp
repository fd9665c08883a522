#include "datatree/RubberBand.h"

namespace qv {

void TRubberBand::Begin(POINT Start, bool Ctrl) {
  ForgetRow();
  start_ = Start;
  rect_ = RECT{Start.x, Start.y, Start.x, Start.y};
  ctrl_ = Ctrl;
}

void TRubberBand::End() {
  rect_ = RECT{};
}

void TRubberBand::ForgetNode(PDataNode Node) {
  for (TWalkRow& row : rows_)
    if (row.Node == Node) row.Node = nullptr;
}

}  // namespace qv
