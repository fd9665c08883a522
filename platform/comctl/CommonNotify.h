// The notification header every WM_NOTIFY carries and the generic NM_*
// codes. The tree, list and header classes declare the same record in their
// shared header; when that header is present this one defers to it.
#pragma once
#include "platform/window/Window.h"

#if __has_include("platform/comctl/CommCtrl.h")
#include "platform/comctl/CommCtrl.h"
#else
namespace qv {
struct NMHDR {
  HWND hwndFrom = nullptr;
  uintptr_t idFrom = 0;
  UINT code = 0;
};
constexpr UINT NM_FIRST = 0;
constexpr UINT NM_OUTOFMEMORY = NM_FIRST - 1, NM_CLICK = NM_FIRST - 2, NM_DBLCLK = NM_FIRST - 3,
               NM_RETURN = NM_FIRST - 4, NM_RCLICK = NM_FIRST - 5, NM_RDBLCLK = NM_FIRST - 6,
               NM_SETFOCUS = NM_FIRST - 7, NM_KILLFOCUS = NM_FIRST - 8, NM_CUSTOMDRAW = NM_FIRST - 12,
               NM_HOVER = NM_FIRST - 13;
}  // namespace qv
#endif
