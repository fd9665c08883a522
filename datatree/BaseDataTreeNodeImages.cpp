// A node's images in its cell: the state and the normal image, with the
// overlay the owner asks for, faded for ghosted, cut and selected nodes, and
// greyed when the node or the tree is disabled.
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "platform/gdi/ImageListApi.h"

namespace qv {

void TBaseDataTree::PaintImage(TDTCellPaintInfo& PaintInfo, const TDTImageInfo& Image, bool DoOverlay) {
  if (!Image.Images || Image.Index < 0) return;
  PDataNode node = PaintInfo.Node;
  HIMAGELIST list = Image.Images->Handle();
  TDTPaintOptions po = options_->PaintOptions();
  bool cut = states_.Contains(tsCutPending) && node->Has(vsCutOrCopy);
  bool bright = Focused() || po.Contains(toGhostedIfUnfocused);
  int overlay = -1;
  if (DoOverlay) {
    bool ghosted = false;
    overlay = DoGetImageIndex(node, ikOverlay, PaintInfo.Column, ghosted);
  }
  // Overlays 0 to 14 are the list's overlay images; any other index is an
  // image of the list drawn over the node's.
  UINT overlayMask = overlay >= 0 && overlay <= 14 ? INDEXTOOVERLAYMASK(overlay + 1) : 0;
  int x = Image.XPos, y = Image.YPos;
  if (node->Has(vsDisabled) || !Enabled()) {
    ImageList_DrawEx(list, Image.Index, PaintInfo.DC, x, y, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_DISABLED | overlayMask);
    if (overlay > 14)
      ImageList_DrawEx(list, overlay, PaintInfo.DC, x, y, 0, 0, CLR_NONE, CLR_NONE, ILD_DISABLED);
    return;
  }
  bool selected = node->Has(vsSelected) && PaintInfo.PaintOptions.Contains(ptSelection);
  bool wholeRow = options_->SelectionOptions().Contains(toFullRowSelect) ||
                  options_->MiscOptions().Contains(toGridExtensions);
  // Faded toward the tree's colour; a selected node's image toward the highlight.
  COLORREF blendColor = selected && !Image.Ghosted ? CLR_DEFAULT : COLORREF(ColorToRGB(Color()));
  bool blended =
      po.Contains(toUseBlendedImages) && bright && (Image.Ghosted || cut || (selected && !wholeRow));
  UINT style = ILD_TRANSPARENT | overlayMask | (blended ? ILD_BLEND50 : 0);
  ImageList_DrawEx(list, Image.Index, PaintInfo.DC, x, y, 0, 0, CLR_NONE, blendColor, style);
  if (overlay > 14)
    ImageList_DrawEx(list, overlay, PaintInfo.DC, x, y, 0, 0, CLR_NONE, blendColor, ILD_TRANSPARENT);
}

}  // namespace qv
