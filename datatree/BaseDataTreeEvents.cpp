// Event dispatchers of the header's mouse and painting, cursors, popup menus,
// help and scroll bars: each presets the answer's default, fires the event
// when it is assigned and hands the answer back.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/controls/Screen.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeImages.h"
#include "platform/window/Input.h"

namespace qv {

void TBaseDataTree::DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnHeaderMouseDown) OnHeaderMouseDown(header_.get(), Button, Shift, X, Y);
}

void TBaseDataTree::DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnHeaderMouseUp) OnHeaderMouseUp(header_.get(), Button, Shift, X, Y);
}

void TBaseDataTree::DoHeaderMouseMove(TShiftState Shift, int X, int Y) {
  if (OnHeaderMouseMove) OnHeaderMouseMove(header_.get(), Shift, X, Y);
}

bool TBaseDataTree::DoHeaderDragging(TColumnIndex Column) {
  bool allowed = true;
  if (OnHeaderDragging) OnHeaderDragging(header_.get(), Column, allowed);
  return allowed;
}

void TBaseDataTree::DoHeaderDragged(TColumnIndex Column, int OldPosition) {
  if (OnHeaderDragged) OnHeaderDragged(header_.get(), Column, OldPosition);
}

void TBaseDataTree::DoHeaderDraggedOut(TColumnIndex Column, POINT DropPosition) {
  if (OnHeaderDraggedOut) OnHeaderDraggedOut(header_.get(), Column, DropPosition);
}

void TBaseDataTree::DoGetHeaderCursor(HCURSOR& Cursor) {
  if (OnGetHeaderCursor) OnGetHeaderCursor(header_.get(), Cursor);
}

void TBaseDataTree::DoHeaderDraw(TCanvas* Canvas, TDataTreeColumn* Column, RECT R, bool Hover, bool Pressed,
                                 TDTDropMarkMode DropMark) {
  if (OnHeaderDraw) OnHeaderDraw(header_.get(), Canvas, Column, R, Hover, Pressed, DropMark);
}

void TBaseDataTree::DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements) {
  if (OnHeaderDrawQueryElements) OnHeaderDrawQueryElements(header_.get(), PaintInfo, Elements);
}

void TBaseDataTree::DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements) {
  if (OnAdvancedHeaderDraw) OnAdvancedHeaderDraw(header_.get(), PaintInfo, Elements);
}

void TBaseDataTree::DoGetCursor(TCursor& Cursor) {
  if (OnGetCursor) OnGetCursor(this, Cursor);
}

bool TBaseDataTree::DoDragAllowed(PDataNode Node, TColumnIndex Column) {
  bool allowed = false;
  if (OnDragAllowed) OnDragAllowed(this, Node, Column, allowed);
  return allowed;
}

void TBaseDataTree::DoShowScrollbar(int Bar, bool Show) {
  if (OnShowScrollbar) OnShowScrollbar(this, Bar, Show);
}

TMenuBase* TBaseDataTree::DoGetPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position) {
  if (!OnGetPopupMenu) return nullptr;
  TMenuBase* menu = nullptr;
  bool askParent = true;
  if (!Node || Node == root_) {
    OnGetPopupMenu(this, nullptr, NoColumn, Position, askParent, menu);
    return menu;
  }
  // The node first, then its ancestors while the handler asks for them.
  for (PDataNode run = Node; run && run != root_ && !menu && askParent; run = run->Parent)
    OnGetPopupMenu(this, run, Column, Position, askParent, menu);
  return menu;
}

bool TBaseDataTree::HasPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position) {
  return PopupMenu<TMenuBase>() || DoGetPopupMenu(Node, Column, Position);
}

bool TBaseDataTree::PopupNodeMenu(PDataNode Node, TColumnIndex Column, POINT Position) {
  auto alive = AliveToken();
  TMenuBase* menu = DoGetPopupMenu(Node, Column, Position);
  if (!menu || alive.expired()) return menu != nullptr;
  DoStateChange({tsPopupMenuShown}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending});
  menu->ContextPopup(this, ClientToScreen(Position));
  return true;
}

void TBaseDataTree::ShowPopupMenu(PDataNode Node, TColumnIndex Column, POINT Position) {
  auto alive = AliveToken();
  if (!PopupNodeMenu(Node, Column, Position) && !alive.expired()) DoContextPopup(ClientToScreen(Position));
}

}  // namespace qv

namespace qv {

void TBaseDataTree::PopupAtFocusedCell() {
  if (!focus_.Node()) return;
  RECT r = GetDisplayRect(focus_.Node(), focus_.Column(), true);
  int width = DoGetNodeWidth(focus_.Node(), focus_.Column());
  if (header_->Columns()->IsValidColumn(focus_.Column()))
    width = std::min(width, header_->Columns()->Items(focus_.Column())->Width());
  else
    width = std::min(width, ClientWidth());
  ShowPopupMenu(focus_.Node(), focus_.Column(), POINT{r.left + width / 2, (r.top + r.bottom) / 2});
}

void TBaseDataTree::HelpKey() {
  if (!OnGetHelpContext) return;
  int context = 0;
  for (PDataNode run = focus_.Node(); run && run != root_ && context == 0; run = run->Parent)
    OnGetHelpContext(this, run, 0, context);
  for (TControl* c = this; c && context == 0; c = c->Parent()) context = c->HelpContext;
  if (context != 0) InvokeHelp(context);
}

void TBaseDataTree::InvokeHelp(int Context) {
  if (Application) Application->HelpContext(Context);
}

bool TBaseDataTree::HandleSetCursor() {
  POINT p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  if (header_->Options().Contains(hoVisible) && (header_->Busy() || header_->InHeader(p))) {
    if (header_->Busy()) return true;  // tracking or dragging keeps its cursor
    if (!header_->Options().Contains(hoColumnResize)) return false;
    HCURSOR standard = Screen ? Screen->Cursors(Cursor()) : LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR cursor =
        header_->DetermineSplitterIndex(ClientToHeader(p)) >= 0 ? LoadCursorW(nullptr, IDC_SIZEWE) : standard;
    DoGetHeaderCursor(cursor);
    if (cursor == standard) return false;
    ::qv::SetCursor(cursor);
    return true;
  }
  if (Screen && Screen->Cursor() != crDefault) return false;
  TCursor cursor = Cursor();
  if (options_->PaintOptions().Contains(toHotTrack) && focus_.Hot() && HotCursor != crDefault)
    cursor = HotCursor;
  DoGetCursor(cursor);
  ::qv::SetCursor(Screen ? Screen->Cursors(cursor) : LoadCursorW(nullptr, IDC_ARROW));
  return true;
}

}  // namespace qv

namespace qv {

void TBaseDataTree::SystemColorsChanged() {
  ReloadCheckImageLists();
  Invalidate();
}

}  // namespace qv
