// Internal: caller memory laid out as a DIB, seen as pixel rows.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PixelRows.h"

namespace qv::gdi {

// Rows top-down whatever the DIB's order; lines < 0 = the header's height.
bool DibRows(const BITMAPINFO* info, const void* bits, PixelRows& rows, int lines);

}  // namespace qv::gdi
