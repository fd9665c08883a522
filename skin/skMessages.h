// The skin command message and the shared answers that do not fit in it: the
// background colour of command 21 and the cache record of command 5, plus the
// colour that masked copies write into transparent skin pixels.
#pragma once
#include "classlib/controls/ControlMessages.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Messages.h"
#include "skin/skConst.h"

namespace qv {

class TBitmap;

// The message number SM_SKINCMD (0xA100, in the application range) comes
// from the window layer's message list.

inline WPARAM MakeSkinWParam(WORD Command, WORD Sub = 0) {
  return WPARAM(Command) << 16 | Sub;
}

// A parent's cache bitmap and where the asking control lies in it.
struct TCacheInfo {
  TBitmap* Bmp = nullptr;
  int X = 0;
  int Y = 0;
  bool Ready = false;
};

inline TCacheInfo MakeCacheInfo(TBitmap* Bmp, int X = 0, int Y = 0) {
  return TCacheInfo{Bmp, X, Y, true};
}

// Receives the answers to command 21; 0xFF00FF = nobody answered.
extern TColor SharedBgColor;
// Receives the answers to command 5.
extern TCacheInfo SharedCacheInfo;
// Never ready: passed where a piece must not look through to the parent.
extern const TCacheInfo EmptyCacheInfo;
// When not 0xFF00FF, masked copies paint transparent skin pixels with it.
extern TColor MaskFillColor;
// The shared moved-flag of command 20.
extern bool SharedMovedFlag;

}  // namespace qv
