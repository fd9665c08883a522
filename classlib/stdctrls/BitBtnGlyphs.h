// The small pictures a TBitBtn of a standard kind shows when it has no
// glyph of its own.
#pragma once

#include "classlib/graphics/Bitmap.h"

namespace qv {

enum TBitBtnKind : int;

// The 16 x 16 picture of a kind (one image, fuchsia transparent), or null for
// bkCustom. The bitmaps live as long as the program.
TBitmap* KindGlyph(TBitBtnKind Kind);

}  // namespace qv
