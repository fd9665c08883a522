// The owner-drawn tree's events: each fires only when assigned.
#include "datatree/DataDrawTree.h"

namespace qv {

int TCustomDataDrawTree::DoGetNodeWidth(PDataNode Node, TColumnIndex Column, TCanvas* Canvas) {
  int width = 2 * textMargin_;
  if (OnGetNodeWidth) OnGetNodeWidth(this, Canvas ? Canvas : this->Canvas(), Node, Column, width);
  return width;
}

void TCustomDataDrawTree::PaintNodeContent(TDTCellPaintInfo& PaintInfo, TVSTTextType) {
  if (OnDrawNode) OnDrawNode(this, PaintInfo);
}

void TCustomDataDrawTree::DoGetHintSize(PDataNode Node, TColumnIndex Column, RECT& R) {
  if (OnGetHintSize) OnGetHintSize(this, Node, Column, R);
}

void TCustomDataDrawTree::DoDrawHint(TCanvas* Canvas, PDataNode Node, const RECT& R, TColumnIndex Column) {
  if (OnDrawHint) OnDrawHint(this, Canvas, Node, R, Column);
}

}  // namespace qv
