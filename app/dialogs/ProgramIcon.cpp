// The program icon, decoded once from its compiled-in drawing.
#include "app/dialogs/ProgramIcon.h"

#include "platform/gdi/Icons.h"
#include "platform/image/Resources.h"

namespace qv {

HICON ProgramIcon() {
  static const HICON icon = [] {
    Surface pixels;
    return LoadResourceSurface(kProgramIconResource, pixels) ? CreateIconFromPixels(pixels) : HICON(nullptr);
  }();
  return icon;
}

}  // namespace qv
