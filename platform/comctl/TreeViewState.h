// The state of one tree view window and the operations its window procedure
// is built from: notifications, selection, expansion, deletion, scrolling,
// layout and painting, mouse and keyboard, and label editing. Internal to
// the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <string>

#include "platform/comctl/ItemControl.h"
#include "platform/comctl/TreeModel.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::tree {

// Where the parts of one row lie, in client coordinates.
struct RowLayout {
  RECT row;
  int indentRight = 0;  // end of the indent (lines and button) area
  RECT button;          // empty when the item has no button
  RECT stateIcon;       // empty when none
  RECT icon;            // empty when none
  RECT label;
};

struct TreeState : comctl::ItemControl {
  Model model;
  Item* selected = nullptr;
  Item* top = nullptr;  // the first row shown
  // The row of `top`, valid while cacheTop is top and nothing changed the shown order.
  Item* cacheTop = nullptr;
  int cacheRow = 0;
  uint64_t cacheGeneration = ~uint64_t(0);
  Item* hot = nullptr;
  Item* dropHilite = nullptr;
  int xScroll = 0;
  int indent = 19;
  int itemHeight = 16;
  bool customHeight = false;
  HIMAGELIST images = nullptr, stateImages = nullptr;
  COLORREF bk = CLR_DEFAULT_COLOR, text = CLR_DEFAULT_COLOR;
  int maxWidth = 0;           // widest row seen, for the horizontal bar
  int measureGeneration = 0;  // labels measured before a font change are measured again
  int lastRange = -1, lastPage = -1, lastPos = -1, lastHRange = -1, lastHPage = -1, lastHPos = -1;
  Item* deletingRoot = nullptr;  // the subtree whose deletion notices are being sent
  Item* editItem = nullptr;
  Item* downItem = nullptr;
  Item* pendingEdit = nullptr;  // a slow click on the selected label edits it when the timer fires

  DWORD Style() const;
};

// Notifications
LRESULT NotifyTree(TreeState& s, NMTREEVIEWW& nm, UINT code);
TVITEMW ItemInfo(TreeState& s, Item* item);
std::u16string TextOf(TreeState& s, Item* item);
bool HasButton(TreeState& s, Item* item);
int ImageOf(TreeState& s, Item* item, bool selectedImage);

// Actions
bool Select(TreeState& s, Item* item, UINT action);
bool Expand(TreeState& s, Item* item, UINT code, UINT action = TVC_UNKNOWN);
void ExpandAllBelow(TreeState& s, Item* item);
bool DeleteItem(TreeState& s, Item* item);
void EnsureVisible(TreeState& s, Item* item);
void SetTop(TreeState& s, Item* item);
// The row of the top item, counted only when the shown order changed before it.
int TopRow(TreeState& s);
void RememberTopRow(TreeState& s, int row);
void LayoutChanged(TreeState& s);
void UpdateScrollBars(TreeState& s);
void VScroll(TreeState& s, int code, int thumb);
void HScroll(TreeState& s, int code, int thumb);
int PageRows(TreeState& s);
void InvalidateItem(TreeState& s, Item* item);
// The item the keys act on: the selected one, or, with none, the first
// (Up, Down and Home select it). The focus shows on it, and round the
// client area of a tree without items, so that it never goes unseen.
Item* KeyItem(TreeState& s);
// What gaining or losing the focus repaints: the row of the key item, or
// everything while nothing is selected.
void InvalidateFocus(TreeState& s);
void SetCheck(TreeState& s, Item* item, int stateIndex);
void MeasureFont(TreeState& s);

// Layout and painting
int LabelWidth(TreeState& s, Item* item);
RowLayout Layout(TreeState& s, Item* item, int y);
// The row of a shown item relative to the top row (negative above it); a
// large value when it is further than `limit` rows away.
int RowFromTop(TreeState& s, Item* item, int limit);
Item* ItemAtY(TreeState& s, int y);
UINT HitTest(TreeState& s, POINT p, Item** item);
void Paint(TreeState& s, HDC dc, const RECT& clip);

// Input
LRESULT MouseMessage(TreeState& s, UINT msg, WPARAM w, LPARAM l);
bool KeyDown(TreeState& s, WPARAM vk);
void CharTyped(TreeState& s, char16_t c);
void TimerFired(TreeState& s, uintptr_t id);

// Label editing
HWND BeginEdit(TreeState& s, Item* item);
void EndEdit(TreeState& s, bool save);

constexpr uintptr_t kEditTimer = 0x7E01;
constexpr UINT kEndEditMessage = WM_USER + 0x7E0;    // posted when the editor loses the focus
constexpr UINT kWidthGrewMessage = WM_USER + 0x7E1;  // painting found a wider row

}  // namespace qv::tree
