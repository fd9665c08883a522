// The skin message number and the shared answer variables.
#include "skin/skMessages.h"

namespace qv {

TColor SharedBgColor = clSkinTransparent;
TCacheInfo SharedCacheInfo;
const TCacheInfo EmptyCacheInfo;
TColor MaskFillColor = clSkinTransparent;
bool SharedMovedFlag = false;

}  // namespace qv
