// The extended combo box class: a window holding a COMBOBOX child (with its
// own edit and list children) whose items carry an image, a selected image,
// an overlay and an indent; the drop-down-list style draws them in the list
// and in the selection field. CBEM_* messages; the CB_* messages pass to the
// child and its notifications come out as the extended combo's own.
#pragma once
#include "platform/comctl/BarControls.h"

namespace qv {

inline constexpr const char16_t* WC_COMBOBOXEXW = u"ComboBoxEx32";
void RegisterComboBoxExClass();

constexpr UINT CBEIF_TEXT = 0x1, CBEIF_IMAGE = 0x2, CBEIF_SELECTEDIMAGE = 0x4, CBEIF_OVERLAY = 0x8,
               CBEIF_INDENT = 0x10, CBEIF_LPARAM = 0x20;
constexpr UINT CBEM_SETIMAGELIST = WM_USER + 2, CBEM_GETIMAGELIST = WM_USER + 3,
               CBEM_GETCOMBOCONTROL = WM_USER + 6, CBEM_GETEDITCONTROL = WM_USER + 7,
               CBEM_SETEXTENDEDSTYLE = WM_USER + 14, CBEM_GETEXTENDEDSTYLE = WM_USER + 9,
               CBEM_HASEDITCHANGED = WM_USER + 10, CBEM_INSERTITEMW = WM_USER + 11,
               CBEM_SETITEMW = WM_USER + 12, CBEM_GETITEMW = WM_USER + 13;
constexpr UINT CBEM_DELETEITEM = 0x0144;  // CB_DELETESTRING
constexpr int kComboExIndent = 10;        // pixels per indent level

struct COMBOBOXEXITEMW {
  UINT mask = 0;
  intptr_t iItem = -1;  // -1 appends
  const char16_t* pszText = nullptr;
  char16_t* buffer = nullptr;  // CBEM_GETITEMW copies the text here
  int cchTextMax = 0;
  int iImage = -1;
  int iSelectedImage = -1;
  int iOverlay = 0;
  int iIndent = 0;
  LPARAM lParam = 0;
};

}  // namespace qv
