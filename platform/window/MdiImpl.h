// Inside the MDI code: the client's state and the operations the client's
// procedure, the arrangement and the default procedures share.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <vector>

#include "platform/window/Mdi.h"
#include "platform/window/WindowImpl.h"

namespace qv::wm {

struct MdiClientState {
  HMENU windowMenu = nullptr;
  UINT firstChildId = 0;
  HWND active = nullptr;
  int busy = 0;                 // scroll-bar updates under way (they change the client's size)
  HWND menuBarChild = nullptr;  // the maximised child the frame's menu bar shows
};

MdiClientState* MdiState(HWND client);  // null when `client` is no MDI client
bool IsMdiChild(HWND hwnd);
HWND MdiClientOf(HWND child);  // the client holding an MDI child, or null
// The client's living children, top of the z-order first.
std::vector<HWND> MdiChildren(HWND client);
// Makes `child` (or nobody) the active child: WM_NCACTIVATE and
// WM_MDIACTIVATE to the old and the new one, the new one raised and, when
// the frame is active, focused. A maximised active child hands its
// maximised state on.
void MdiActivate(HWND client, HWND child);
// The child after (or before) `from` among the visible, enabled children.
HWND MdiNextChild(HWND client, HWND from, bool previous);
void MdiCascade(HWND client, WPARAM flags);
void MdiTile(HWND client, WPARAM flags);
void MdiArrangeIcons(HWND client);
// The client's scroll bars cover the children that lie outside it.
void MdiUpdateScrollBars(HWND client);
void MdiScroll(HWND client, int bar, int code);
// The frame's caption and menu bar follow the maximised child (and its title).
void MdiRefreshFrameCaption(HWND client, bool titleChanged = false);

}  // namespace qv::wm
