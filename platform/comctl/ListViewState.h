// The state of one list view window and the operations its window procedure
// is built from: rows and their states (or, with owner data, only a count
// and the selection), columns mirrored in the header child, geometry of the
// four views, scrolling, painting, input and label editing. Internal to the
// library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <string>
#include <vector>

#include "platform/comctl/ItemControl.h"
#include "platform/comctl/ListView.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::list {

struct Row {
  std::u16string text;
  bool textCallback = false;
  int image = 0;
  UINT state = 0;
  LPARAM param = 0;
  int indent = 0;
  std::vector<std::u16string> sub;  // texts of sub-items 1, 2, ...
};

struct Column {
  std::u16string text;
  int fmt = LVCFMT_LEFT;
  int width = 50;
  int image = -1;
  int subItem = 0;
};

// Where the parts of one item lie, in client coordinates.
struct ItemParts {
  RECT bounds;
  RECT state;  // empty without check boxes or state images
  RECT icon;   // empty without an image list for the view
  RECT label;
};

struct ListState : comctl::ItemControl {
  HWND header = nullptr;
  std::vector<Row> rows;       // without owner data
  int virtualCount = 0;        // with owner data
  std::vector<uint8_t> marks;  // with owner data: LVIS_FOCUSED | LVIS_SELECTED per row
  std::vector<Column> columns;
  std::vector<int> order;  // display order of the columns
  HIMAGELIST normal = nullptr, small = nullptr, stateImages = nullptr;
  DWORD ext = 0;
  UINT callbackMask = 0;
  COLORREF bk = CLR_DEFAULT_COLOR, text = CLR_DEFAULT_COLOR, textBk = CLR_DEFAULT_COLOR;
  int rowHeight = 16;
  int top = 0;  // report: first row shown; list: first column shown
  int xScroll = 0, yScroll = 0;
  int focusedIndex = -1, mark = -1, hot = -1;
  int selectedCount = 0;
  bool deleting = false;     // deletion notices are being sent: rows stay put meanwhile
  int listColumnWidth = -1;  // list and small-icon cell width, -1 = to measure
  int lastRange[2] = {-1, -1}, lastPage[2] = {-1, -1}, lastPos[2] = {-1, -1};
  int editIndex = -1;
  int downIndex = -1;
  int pendingEdit = -1;

  DWORD Style() const;
  DWORD View() const { return Style() & LVS_TYPEMASK; }
  // Owner data is fixed when the window is made or its style is changed
  // (WM_STYLECHANGED), so it is kept rather than read for every row.
  bool ownerData = false;
  bool OwnerData() const { return ownerData; }
  int Count() const { return OwnerData() ? virtualCount : int(rows.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
};

// Items and states
std::u16string TextOf(ListState& s, int index, int sub);
int ImageOf(ListState& s, int index);
UINT StateOf(ListState& s, int index, UINT mask);
// Changes state bits of one item with LVN_ITEMCHANGING (which may refuse) and
// LVN_ITEMCHANGED. False when refused or when the window went away.
bool ChangeState(ListState& s, int index, UINT state, UINT mask);
// Selects exactly the items in [from, to] (and nothing else), notifying each change.
void SelectRange(ListState& s, int from, int to, bool keepOthers);
void DeselectAll(ListState& s, int except);
void SetFocusItem(ListState& s, int index);
int InsertRow(ListState& s, const LVITEMW& item);
bool DeleteRow(ListState& s, int index);
bool DeleteAll(ListState& s);
void SetVirtualCount(ListState& s, int count);
bool SetItem(ListState& s, const LVITEMW& item);
bool GetItem(ListState& s, LVITEMW& item);
int FindItem(ListState& s, int start, const LVFINDINFOW& info);
int NextItem(ListState& s, int start, UINT flags);
bool SortItems(ListState& s, PFNLVCOMPARE compare, LPARAM data, bool byIndex);
LRESULT NotifyList(ListState& s, UINT code, int item, int sub = 0);

// Columns and the header
int InsertColumn(ListState& s, int index, const LVCOLUMNW& col);
bool SetColumn(ListState& s, int index, const LVCOLUMNW& col);
bool GetColumn(ListState& s, int index, LVCOLUMNW& col);
bool DeleteColumn(ListState& s, int index);
bool SetColumnWidth(ListState& s, int index, int width);
void UpdateHeader(ListState& s);  // makes, places or hides the header for the view
LRESULT HeaderNotify(ListState& s, NMHDR* hdr);
int TotalColumnWidth(ListState& s);
int ColumnLeft(ListState& s, int column);

// Geometry and scrolling
void MeasureFont(ListState& s);
int HeaderHeight(ListState& s);
int RowsPerPage(ListState& s);
int CellWidth(ListState& s);
// A row's label changed or arrived: the list and small-icon cells grow to
// fit it (measuring one label, not all of them).
void WidenCells(ListState& s, int index);
ItemParts Parts(ListState& s, int index);
RECT SubItemRect(ListState& s, int index, int column);
int HitTest(ListState& s, POINT p, UINT* flags, int* sub);
void LayoutChanged(ListState& s);
void UpdateScrollBars(ListState& s);
void Scroll(ListState& s, int dx, int dy);
void ScrollMessage(ListState& s, bool vertical, int code, int thumb);
void EnsureVisible(ListState& s, int index);
void InvalidateIndex(ListState& s, int index);
// What gaining or losing the focus repaints: the whole list.
void InvalidateFocus(ListState& s);
int FirstVisible(ListState& s);
int VisibleCount(ListState& s);

// Painting, input, editing
void Paint(ListState& s, HDC dc, const RECT& clip);
LRESULT MouseMessage(ListState& s, UINT msg, WPARAM w, LPARAM l);
bool KeyDown(ListState& s, WPARAM vk);
void CharTyped(ListState& s, char16_t c);
void TimerFired(ListState& s, uintptr_t id);
HWND BeginEdit(ListState& s, int index);
void EndEdit(ListState& s, bool save);

constexpr uintptr_t kEditTimer = 0x7E02;
constexpr UINT kEndEditMessage = WM_USER + 0x7E2;
constexpr UINT kHeaderOrderMessage = WM_USER + 0x7E3;

}  // namespace qv::list
