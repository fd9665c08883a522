// Where the gallery program's controls lie on an X server's screen, for the
// tests that click them with xdotool: the layout's client coordinates, below
// the menu bar that the gallery draws in its own window.
// Include it after gtest: Xlib's macros (None, Bool) clash with its names.
#pragma once
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include "demo/gallery/GalleryLayout.h"

namespace qv::gallery {

// Root coordinates of a point `x` pixels into the name edit, halfway down,
// in the gallery's window `w`.
inline POINT NameEditOnScreen(Display* d, Window w, int x = 20) {
  XWindowAttributes a{};
  XGetWindowAttributes(d, w, &a);
  int menuBar = a.height - kFormClient.cy;
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), kSheetOrigin.x + kTextGroup.left + kNameEdit.left + x,
                        menuBar + kSheetOrigin.y + kTextGroup.top + (kNameEdit.top + kNameEdit.bottom) / 2,
                        &rootX, &rootY, &child);
  return POINT{rootX, rootY};
}

}  // namespace qv::gallery
