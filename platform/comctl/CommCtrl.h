// What the common controls share: the notification header every WM_NOTIFY
// carries, the generic NM_* codes, custom draw, and the registration of the
// tree view, list view and header window classes.
//
// RegisterCommonControls() registers every class of this library (the bar controls too) under its
// class name; it is idempotent and cheap, so whoever is about to create one
// of these windows calls it first (the class-library controls do so).
#pragma once
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/window/Window.h"

namespace qv {

void RegisterCommonControls();
void RegisterTreeViewClass();
void RegisterHeaderClass();
void RegisterListViewClass();

inline constexpr const char16_t* WC_TREEVIEW = u"SysTreeView32";
inline constexpr const char16_t* WC_HEADER = u"SysHeader32";
inline constexpr const char16_t* WC_LISTVIEW = u"SysListView32";

struct NMHDR {
  HWND hwndFrom = nullptr;
  uintptr_t idFrom = 0;
  UINT code = 0;
};

// Generic notification codes.
constexpr UINT NM_FIRST = 0;
constexpr UINT NM_CLICK = NM_FIRST - 2, NM_DBLCLK = NM_FIRST - 3, NM_RETURN = NM_FIRST - 4,
               NM_RCLICK = NM_FIRST - 5, NM_RDBLCLK = NM_FIRST - 6, NM_SETFOCUS = NM_FIRST - 7,
               NM_KILLFOCUS = NM_FIRST - 8, NM_CUSTOMDRAW = NM_FIRST - 12;

// Custom draw: the draw stages, the answers and the item states.
constexpr DWORD CDDS_PREPAINT = 0x1, CDDS_POSTPAINT = 0x2, CDDS_PREERASE = 0x3, CDDS_POSTERASE = 0x4,
                CDDS_ITEM = 0x10000, CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT,
                CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT, CDDS_SUBITEM = 0x20000;
constexpr LRESULT CDRF_DODEFAULT = 0x0, CDRF_NEWFONT = 0x2, CDRF_SKIPDEFAULT = 0x4,
                  CDRF_NOTIFYPOSTPAINT = 0x10, CDRF_NOTIFYITEMDRAW = 0x20, CDRF_NOTIFYSUBITEMDRAW = 0x20;
constexpr UINT CDIS_SELECTED = 0x1, CDIS_GRAYED = 0x2, CDIS_DISABLED = 0x4, CDIS_CHECKED = 0x8,
               CDIS_FOCUS = 0x10, CDIS_DEFAULT = 0x20, CDIS_HOT = 0x40, CDIS_MARKED = 0x80,
               CDIS_INDETERMINATE = 0x100;

struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage = 0;
  HDC hdc = nullptr;
  RECT rc;
  uintptr_t dwItemSpec = 0;
  UINT uItemState = 0;
  LPARAM lItemlParam = 0;
};

// The state-image index in an item's state bits (tree and list views).
constexpr UINT INDEXTOSTATEIMAGEMASK(int i) {
  return UINT(i) << 12;
}

// The "no colour set" value of the colour messages.
constexpr COLORREF CLR_DEFAULT_COLOR = 0xFF000000;
// Callback markers of item records.
inline char16_t* const LPSTR_TEXTCALLBACKW = reinterpret_cast<char16_t*>(intptr_t(-1));
constexpr int I_IMAGECALLBACK = -1, I_IMAGENONE = -2, I_CHILDRENCALLBACK = -1;

namespace comctl {

// Fills the header (the sender's handle and id) and sends WM_NOTIFY to the
// parent; the parent's answer. 0 when there is no parent.
LRESULT Notify(HWND hwnd, NMHDR& hdr, UINT code);
// The same for a notification that carries nothing but its header.
LRESULT SimpleNotify(HWND hwnd, UINT code);
// Case-insensitive text order (simple case folding of the Latin letters,
// then code points), as the sorted inserts and the default sort use.
int CompareText(const std::u16string& a, const std::u16string& b);
// Whether text begins with prefix, case ignored as CompareText ignores it.
bool StartsWithText(const std::u16string& text, const std::u16string& prefix);
// Whether what the user typed to find an item begins the item's text as it
// reads: blanks that pad the text's start are passed over, unless the typed
// prefix starts with a blank itself.
bool TypedPrefixMatches(const std::u16string& text, const std::u16string& typed);
// Copies text into a caller's buffer of `max` units (ended by a zero).
void CopyText(const std::u16string& text, char16_t* buffer, int max);
// A classic 13x13 check box centred in r.
void DrawCheckBox(HDC dc, const RECT& r, bool checked);
// The colour of a COLORREF message value, or the system colour when unset.
COLORREF ColourOr(COLORREF set, int sysColour);

}  // namespace comctl
}  // namespace qv
