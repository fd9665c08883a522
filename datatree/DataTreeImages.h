// The tree unit's shared images, drawn in code once per process: the check
// image strips (25 images of 16 x 16 per kind) and the clipboard format id.
#pragma once
#include "datatree/DataTreeTypes.h"
#include "platform/WinTypes.h"

namespace qv {

class TCanvas;
class TCustomImageList;

void InitializeDataTreeGlobals();
// The shared list of a check-image kind; null for ckCustom.
TCustomImageList* CheckImageList(TCheckImageKind Kind);
// Draws the lists in system colours again (after a change of the system colours).
void ReloadCheckImageLists();
UINT TreeReferenceFormat();
// The shaded expand button (9 x 9 at the canvas origin): a soft box with a
// minus, or a plus when Plus; its corners are left as they are (transparent).
void DrawShadedButton(TCanvas* Canvas, bool Plus);

}  // namespace qv
