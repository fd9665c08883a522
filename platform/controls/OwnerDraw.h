// Owner drawing of list and combo items beyond the drawing and measuring
// records: the messages a list sends its parent to compare and forget items,
// and their parameter records.
#pragma once
#include "platform/WinTypes.h"
#include "platform/window/Messages.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

constexpr UINT WM_DELETEITEM = 0x002D, WM_VKEYTOITEM = 0x002E, WM_CHARTOITEM = 0x002F,
               WM_COMPAREITEM = 0x0039;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;

using ULONG_PTR = uintptr_t;

struct COMPAREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  HWND hwndItem = nullptr;
  UINT itemID1 = 0;
  ULONG_PTR itemData1 = 0;
  UINT itemID2 = 0;
  ULONG_PTR itemData2 = 0;
  DWORD dwLocaleId = 0;
};

struct DELETEITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  HWND hwndItem = nullptr;
  ULONG_PTR itemData = 0;
};

}  // namespace qv
