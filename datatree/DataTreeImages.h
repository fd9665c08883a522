// The tree unit's shared images, drawn in code once per process: the check
// image strips (25 images of 16 x 16 per kind) and the clipboard format id.
#pragma once
#include "datatree/DataTreeTypes.h"
#include "platform/WinTypes.h"

namespace qv {

class TCustomImageList;

void InitializeDataTreeGlobals();
// The shared list of a check-image kind; null for ckCustom.
TCustomImageList* CheckImageList(TCheckImageKind Kind);
// Draws the lists in system colours again (after a change of the system colours).
void ReloadCheckImageLists();
UINT TreeReferenceFormat();

}  // namespace qv
