// The tree unit's shared images, drawn in code once per process: the check
// image strips (25 images of 16 x 16 per kind), the utility glyphs of the
// header (9 images of 16 x 16) and the clipboard format id.
#pragma once
#include "datatree/DataTreeTypes.h"
#include "platform/WinTypes.h"

namespace qv {

class TCanvas;
class TCustomImageList;

void InitializeDataTreeGlobals();
// The shared list of a check-image kind; null for ckCustom.
TCustomImageList* CheckImageList(TCheckImageKind Kind);
// The header's glyphs: 0 and 1 the drop marks at a button's left and right
// edge, 2 and 3 the sort glyphs descending and ascending (4 and 5 their
// themed look), 6, 7 and 8 the left end, middle and right end of the hot
// strip along an XP-style button's bottom (3 pixels high).
TCustomImageList* UtilityList();
enum : int {
  uiDropMarkLeft = 0,
  uiDropMarkRight = 1,
  uiSortDescending = 2,
  uiSortAscending = 3,
  uiThemedSortDescending = 4,
  uiThemedSortAscending = 5,
  uiHotStripLeft = 6,
  uiHotStripMiddle = 7,
  uiHotStripRight = 8
};
// Draws the lists in system colours again (after a change of the system colours).
void ReloadCheckImageLists();
UINT TreeReferenceFormat();
// The shaded expand button (9 x 9 at the canvas origin): a soft box with a
// minus, or a plus when Plus; its corners are left as they are (transparent).
void DrawShadedButton(TCanvas* Canvas, bool Plus);

}  // namespace qv
