// The one frame drag of the program (ResizeMode rmBorder): who drags, what
// (moving or sizing by a hit code), the outline rectangle and the screen DC
// it is drawn on.
#pragma once
#include "platform/window/Window.h"

namespace qv {

class TSkinProvider;

struct TFrameDragState {
  TSkinProvider* Owner = nullptr;
  bool Pending = false, Active = false, Moving = true, Moved = false, StartKnown = false;
  LRESULT Kind = 0;
  POINT Start{0, 0};
  RECT Rect{};
  int MinW = 0, MinH = 0;
  HDC DC = nullptr;
  int Saved = 0;
};
TFrameDragState& FrameDrag();

}  // namespace qv
