// The tree-view messages the data tree answers for accessibility tools:
// item rectangles, item navigation and item information.
#pragma once
#include <cstdint>

#include "platform/WinTypes.h"

namespace qv::treeview {

constexpr UINT TVM_GETITEMRECT = 0x1104, TVM_GETNEXTITEM = 0x110A, TVM_GETITEMA = 0x110C;
constexpr UINT TVGN_ROOT = 0, TVGN_NEXT = 1, TVGN_PREVIOUS = 2, TVGN_PARENT = 3, TVGN_CHILD = 4,
               TVGN_FIRSTVISIBLE = 5, TVGN_NEXTVISIBLE = 6, TVGN_PREVIOUSVISIBLE = 7, TVGN_DROPHILITE = 8,
               TVGN_CARET = 9, TVGN_LASTVISIBLE = 10;
constexpr UINT TVIF_TEXT = 0x1, TVIF_IMAGE = 0x2, TVIF_STATE = 0x8, TVIF_HANDLE = 0x10,
               TVIF_SELECTEDIMAGE = 0x20, TVIF_CHILDREN = 0x40;
constexpr UINT TVIS_FOCUSED = 0x1, TVIS_SELECTED = 0x2, TVIS_CUT = 0x4, TVIS_DROPHILITED = 0x8,
               TVIS_EXPANDED = 0x20;

struct TVITEMA {
  UINT mask = 0;
  void* hItem = nullptr;
  UINT state = 0;
  UINT stateMask = 0;
  char* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = 0;
  int iSelectedImage = 0;
  int cChildren = 0;
  LPARAM lParam = 0;
};

}  // namespace qv::treeview
