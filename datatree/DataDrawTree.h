// The owner-drawn tree: it keeps no text of its own; the owner measures and
// paints each node's content and hint through four events.
#pragma once
#include "datatree/BaseDataTree.h"

namespace qv {

using TDTDrawHintEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, const RECT& R, TColumnIndex Column)>;
using TDTGetHintSizeEvent = std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, RECT& R)>;
using TDTGetNodeWidthEvent =
    std::function<void(TBaseDataTree*, TCanvas* Canvas, PDataNode Node, TColumnIndex Column, int& NodeWidth)>;
using TDTDrawNodeEvent = std::function<void(TBaseDataTree*, const TDTCellPaintInfo& PaintInfo)>;

class TCustomDataDrawTree : public TBaseDataTree {
 public:
  using TBaseDataTree::TBaseDataTree;

  TDTDrawHintEvent OnDrawHint;
  TDTGetHintSizeEvent OnGetHintSize;
  TDTGetNodeWidthEvent OnGetNodeWidth;
  TDTDrawNodeEvent OnDrawNode;

  int DoGetNodeWidth(PDataNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;

 protected:
  void PaintNodeContent(TDTCellPaintInfo& PaintInfo, TVSTTextType TextType) override;
  bool OwnerDrawsHints() const override { return true; }
  void DoGetHintSize(PDataNode Node, TColumnIndex Column, RECT& R) override;
  void DoDrawHint(TCanvas* Canvas, PDataNode Node, const RECT& R, TColumnIndex Column) override;
};

}  // namespace qv
