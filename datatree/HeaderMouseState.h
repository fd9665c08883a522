// The gesture the header's mouse handling is in: a column's right edge
// tracked to a new width, or a column pressed that may be dragged to a new
// position, with the points where each began.
#pragma once
#include <cstdlib>

#include "platform/WinTypes.h"

namespace qv {

class THeaderMouseState {
 public:
  bool Busy() const { return tracking_ || dragPending_ || dragging_; }
  bool Tracking() const { return tracking_; }
  bool DragPending() const { return dragPending_; }
  bool Dragging() const { return dragging_; }
  // A column was pressed and the button is still down: the release is the header's.
  bool Pressed() const { return pressed_; }

  // The right edge of a column whose left edge is at LeftEdge, taken at P.
  void StartTracking(int LeftEdge, POINT P) {
    tracking_ = true;
    trackStart_ = LeftEdge;
    trackStartPoint_ = P;
  }
  int TrackedWidth(POINT P) const { return P.x - trackStart_; }
  // A column pressed at P; MayDrag when it can be dragged once the mouse moves far enough.
  void Press(POINT P, bool MayDrag) {
    dragStart_ = P;
    pressed_ = true;
    if (MayDrag) dragPending_ = true;
  }
  bool BeyondDragThreshold(POINT P, int Threshold) const {
    return std::abs(P.x - dragStart_.x) > Threshold || std::abs(P.y - dragStart_.y) > Threshold;
  }
  // The pending drag ends: it becomes a drag when Allowed.
  void DecideDrag(bool Allowed) {
    dragPending_ = false;
    if (Allowed) dragging_ = true;
  }
  void End() { tracking_ = dragPending_ = dragging_ = pressed_ = false; }

  POINT DragStart() const { return dragStart_; }
  POINT TrackStartPoint() const { return trackStartPoint_; }
  int TrackStart() const { return trackStart_; }

 private:
  bool tracking_ = false, dragPending_ = false, dragging_ = false, pressed_ = false;
  POINT dragStart_{}, trackStartPoint_{};
  int trackStart_ = 0;
};

}  // namespace qv
