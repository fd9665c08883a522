// Registration of a control's window class (see ControlClass.h).
#include "platform/controls/ControlClass.h"

namespace qv::ctl {

bool RegisterControlClass(const ControlClass& c) {
  WNDCLASSEXW existing;
  if (GetClassInfoExW(nullptr, c.name, &existing)) return false;
  WNDCLASSEXW wc;
  wc.style = c.style | CS_GLOBALCLASS;
  wc.lpfnWndProc = c.proc;
  wc.cbWndExtra = c.wndExtra;
  wc.hCursor = LoadCursorW(nullptr, c.cursor);
  wc.hbrBackground = c.background;
  wc.lpszClassName = c.name;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace qv::ctl
