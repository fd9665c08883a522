// The header's mouse state machine: click, resize by the splitter, drag to
// another position (or out of the tree), double-click auto-fit, and the
// mouse events it reports on the way.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeDragDrop.h"
#include "datatree/DataTreeHeader.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv {

TShiftState TDTHeader::GetShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

void TDataTreeColumns::DetermineDown(POINT P) {
  TColumnIndex c = HitTestColumn(P, true);
  if (c < 0 || c == DownIndex) return;
  TDTColumnOptions o = Items(c)->Options();
  if (!o.Contains(coAllowClick) || !o.Contains(coEnabled)) return;
  if (IsValidColumn(DownIndex)) header_->Invalidate(Items(DownIndex));
  DownIndex = c;
  header_->Invalidate(Items(c));
}

void TDataTreeColumns::HandleClick(POINT P, TMouseButton Button, bool DblClick, bool Force) {
  TColumnIndex c = HitTestColumn(P, true), previous = ClickIndex;
  if (c >= 0 && Items(c)->Options().Contains(coAllowClick) && (c == DownIndex || Force)) {
    ClickIndex = c;
    TShiftState shift = TDTHeader::GetShiftState();
    if (DblClick) shift.Include(ssDouble);
    header_->Treeview()->DoHeaderClick(c, Button, shift, P.x, P.y);
    // The handler may have deleted columns.
    if (IsValidColumn(c)) header_->Invalidate(Items(c));
  } else {
    ClickIndex = -1;
  }
  if (previous != ClickIndex && IsValidColumn(previous)) header_->Invalidate(Items(previous));
}

TColumnIndex TDTHeader::DetermineSplitterIndex(POINT P) const {
  // The zone runs from 2 pixels inside to 4 pixels outside a column's right
  // edge; walking from the right, the later column wins where zones overlap.
  std::vector<TDataTreeColumn*> visible = columns_->GetVisibleColumns();
  for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
    int right = (*it)->DisplayLeft() + (*it)->Width();
    if (right - 3 < P.x && P.x < right + 5)
      return (*it)->Options().Contains(coResizable) ? (*it)->Index() : -1;
  }
  return -1;
}

// The dragged column's button, as the header paints it, follows the mouse;
// a restricted drag keeps it on the header's line.
void TDTHeader::PrepareDrag(POINT P, POINT Start) {
  (void)P;
  columns_->DropTarget = -1;
  columns_->DragIndex = columns_->HitTestColumn(Start, true);
  if (!columns_->IsValidColumn(columns_->DragIndex) || !owner_->HandleAllocated()) return;
  RECT header = owner_->HeaderRect();
  TDataTreeColumn* c = columns_->Items(columns_->DragIndex);
  int w = c->Width(), h = header.bottom - header.top;
  if (w <= 0 || h <= 0) return;
  // The header as painted (cut to the columns), then the dragged column's part of it.
  const int shift = owner_->HeaderScrollBarShift();
  int headerWidth = std::min<int>(header.right - header.left, shift + columns_->TotalWidth());
  if (headerWidth <= 0) return;
  HDC all = CreateCompatibleDC(nullptr);
  HBITMAP allBmp = CreateBitmap(headerWidth, h, 1, 32, nullptr);
  HGDIOBJ oldAll = SelectObject(all, allBmp);
  owner_->PaintHeader(all, RECT{0, 0, headerWidth, h});  // columns at their client x, past a left bar
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(w, h, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, all, shift + c->DisplayLeft(), 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  SelectObject(all, oldAll);
  DeleteObject(allBmp);
  DeleteDC(all);
  if (!dragImage_) dragImage_ = std::make_unique<TDTDragImage>(owner_->Handle());
  dragImage_->AxisLock = options_.Contains(hoRestrictDrag) ? dlHorizontalOnly : dlNone;
  dragImage_->BeginImageDrag(bmp, owner_->HeaderToScreen(POINT{c->DisplayLeft(), 0}),
                             owner_->HeaderToScreen(Start));
  DeleteObject(bmp);
  dragImage_->ShowImage();
}

void TDTHeader::EndDragImage() {
  if (dragImage_) dragImage_->EndImageDrag();
}

// The drop mark goes to the column under the mouse, on the half it is over;
// off the columns the last target keeps it.
void TDTHeader::DragTo(POINT P) {
  TDataTreeColumns* cols = columns_.get();
  int left = 0, right = 0;
  TColumnIndex c = cols->GetColumnAndBounds(P, left, right, true);
  bool repaint = cols->IsValidColumn(c) && c != cols->DropTarget;
  if (cols->IsValidColumn(c)) {
    bool before = (left + right) / 2 > P.x;
    if (before != cols->DropBefore) repaint = true;
    cols->DropBefore = before;
  }
  if (repaint) {
    if (cols->IsValidColumn(cols->DropTarget)) Invalidate(cols->Items(cols->DropTarget));
    cols->DropTarget = c;
    Invalidate(cols->Items(c));
  }
  if (dragImage_) dragImage_->MoveImageTo(owner_->HeaderToScreen(P), repaint);
}

// A column released on another one inside the tree takes that place; any
// other release hands the column to the owner (to hide it, say).
void TDTHeader::DropColumn(POINT P) {
  TDataTreeColumns* cols = columns_.get();
  TColumnIndex drag = cols->DragIndex, target = cols->DropTarget;
  cols->DragIndex = cols->DropTarget = -1;
  if (!cols->IsValidColumn(drag)) return;
  POINT screen = owner_->HeaderToScreen(P);
  RECT window{};
  GetWindowRect(owner_->Handle(), &window);
  if (cols->IsValidColumn(target) && target != drag && PtInRect(&window, screen)) {
    TDataTreeColumn* d = cols->Items(drag);
    uint32_t old = d->Position(), pos = cols->Items(target)->Position();
    if (cols->DropBefore)
      pos = old >= pos ? pos : std::max<uint32_t>(pos, 1) - 1;
    else
      pos = old >= pos ? pos + 1 : pos;
    d->SetPosition(pos);
    owner_->DoHeaderDragged(drag, int(old));
  } else {
    owner_->DoHeaderDraggedOut(drag, screen);
  }
}

// The hot column stays hot while the mouse rests on the header; once it has
// left (or a pressed column is no longer under it) the header forgets both.
bool TDTHeader::HandleHeaderTimer() {
  TDataTreeColumns* cols = columns_.get();
  POINT p{};
  GetCursorPos(&p);
  bool stalePress = cols->DownIndex >= 0 && cols->DownIndex != cols->HoverIndex;
  if (InHeader(owner_->ScreenToClient(p)) && !stalePress) return true;
  KillTimer(owner_->Handle(), HeaderTimer);
  cols->HoverIndex = cols->ClickIndex = cols->DownIndex = -1;
  Invalidate(nullptr);
  return true;
}

// The header lies in the non-client area: its clicks and moves come as
// non-client messages; while a gesture holds the capture, the client's
// moves and the release come here too. Points are header coordinates (client
// x, client y plus the header's height) from here on.
bool TDTHeader::HandleMessage(TMessage& Message) {
  UINT msg = Message.Msg;
  if (msg == WM_TIMER && Message.WParam == HeaderTimer) return HandleHeaderTimer();
  if (msg == WM_CAPTURECHANGED || msg == WM_CANCELMODE || msg == WM_KILLFOCUS ||
      (msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE)) {
    if (mouse_.Busy()) {
      EndDragImage();
      mouse_.End();
      States &= uint8_t(~hsTrackPending);
      columns_->DownIndex = columns_->DropTarget = -1;
      Invalidate(nullptr);
      if (msg == WM_KEYDOWN) {
        if (GetCapture() == owner_->Handle()) ReleaseCapture();
        return true;
      }
    }
    return false;
  }
  bool nonClient = msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK;
  bool clientMouse = msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ||
                     msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP ||
                     msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_RBUTTONDBLCLK ||
                     msg == WM_MBUTTONDBLCLK;
  if (!nonClient && !clientMouse) return false;
  // A press on a column holds the capture until its release, which comes as
  // the client's message then, like every move of a gesture.
  bool busy = mouse_.Busy() || (mouse_.Pressed() && GetCapture() == owner_->Handle());
  POINT client{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (nonClient) {
    client = owner_->ScreenToClient(client);
    msg = msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;  // handled as the client's message of that button
  }
  bool inHeader = (nonClient || busy) && InHeader(client);
  TShiftState shift = TDTHeader::GetShiftState();
  if (!busy && (!nonClient || !inHeader)) {
    // The mouse left the header for the rows or the frame: no hot button.
    if (msg == WM_MOUSEMOVE && columns_->HoverIndex >= 0) {
      columns_->HoverIndex = -1;
      Invalidate(nullptr);
    }
    // Every move over the frame, the ring and the scroll bars is told too.
    if (nonClient && msg == WM_MOUSEMOVE) {
      const POINT p = owner_->ClientToHeader(client);
      owner_->DoHeaderMouseMove(shift, p.x, p.y);
    }
    return false;
  }
  POINT p = owner_->ClientToHeader(client);
  HWND h = owner_->Handle();
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      owner_->DoHeaderMouseDown(msg == WM_RBUTTONDOWN ? mbRight : mbMiddle, shift, p.x, p.y);
      return true;
    case WM_MBUTTONUP:
      columns_->HandleClick(p, mbMiddle, false, true);
      owner_->DoHeaderMouseUp(mbMiddle, shift, p.x, p.y);
      columns_->DownIndex = -1;
      return true;
    case WM_LBUTTONDOWN: {
      // A press on the header ends what a press on the rows began: the edit
      // waiting for its delay and the automatic scrolling.
      if (Application) Application->CancelHint();
      KillTimer(h, ScrollTimer);
      KillTimer(h, EditTimer);
      owner_->DoStateChange({}, {tsScrollPending, tsScrolling, tsEditPending});
      if (!busy) owner_->DoHeaderMouseDown(mbLeft, shift, p.x, p.y);
      TColumnIndex split = options_.Contains(hoColumnResize) ? DetermineSplitterIndex(p) : -1;
      if (split >= 0 && columns_->Items(split)->Options().Contains(coResizable)) {
        columns_->TrackIndex = split;
        columns_->HoverIndex = -1;  // no hot button while a width is tracked
        mouse_.StartTracking(columns_->Items(split)->DisplayLeft(), p);
        SetCapture(h);
        return true;
      }
      columns_->DetermineDown(p);
      TColumnIndex c = columns_->HitTestColumn(p, true);
      if (c < 0) return true;
      mouse_.Press(p, options_.Contains(hoDrag) && columns_->Items(c)->Options().Contains(coDraggable));
      SetCapture(h);
      owner_->DoStateChange({});
      return true;
    }
    case WM_MOUSEMOVE: {
      if (nonClient || !busy || inHeader) owner_->DoHeaderMouseMove(shift, p.x, p.y);
      // The rows' moves reach the hints through the control; the header's here.
      if (nonClient && options_.Contains(hoShowHint)) ApplicationHintMouseMessage(owner_, Message);
      if (mouse_.Tracking()) {
        TDataTreeColumn* c = columns_->Items(columns_->TrackIndex);
        c->SetWidth(mouse_.TrackedWidth(p));
        Invalidate(nullptr);
        return true;
      }
      if (mouse_.DragPending() && mouse_.BeyondDragThreshold(p, GetSystemMetrics(SM_CXDRAG))) {
        // The owner is asked about the column that would move: the one under the
        // press, which is not the pressed column when it takes no clicks.
        bool allowed = owner_->DoHeaderDragging(columns_->HitTestColumn(mouse_.DragStart(), true));
        mouse_.DecideDrag(allowed);
        if (allowed) {
          if (columns_->IsValidColumn(columns_->DownIndex)) Invalidate(columns_->Items(columns_->DownIndex));
          columns_->DownIndex = columns_->HoverIndex = -1;
          PrepareDrag(p, mouse_.DragStart());
        }
      }
      if (mouse_.Dragging()) {
        DragTo(p);
        return true;
      }
      TColumnIndex c = columns_->HitTestColumn(p, true);
      bool hoverChanged = c != columns_->HoverIndex;
      if (hoverChanged) {
        columns_->HoverIndex = c;
        Invalidate(nullptr);
      }
      // The timer watches for the mouse leaving the header.
      if (hoverChanged || (columns_->DownIndex >= 0 && columns_->DownIndex != c))
        SetTimer(h, HeaderTimer, 50, nullptr);
      return true;
    }
    case WM_LBUTTONUP: {
      // The states go first: releasing the capture reports a capture change.
      THeaderMouseState was = mouse_;
      mouse_.End();
      if (GetCapture() == h) ReleaseCapture();
      if (was.Dragging()) {
        EndDragImage();
        DropColumn(p);
        Invalidate(nullptr);
        owner_->Invalidate();
      }
      // Only a pressed column can be clicked; a drag or a resize has none.
      if (columns_->DownIndex > -1) columns_->HandleClick(p, mbLeft, false, false);
      owner_->DoHeaderMouseUp(mbLeft, shift, p.x, p.y);
      for (TColumnIndex* i : {&columns_->TrackIndex, &columns_->DownIndex}) {
        if (columns_->IsValidColumn(*i)) Invalidate(columns_->Items(*i));
        *i = -1;
      }
      return true;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      TMouseButton button = msg == WM_LBUTTONDBLCLK ? mbLeft : msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
      // Splitters exist only where widths can be changed with the mouse.
      TColumnIndex split = options_.Contains(hoColumnResize) ? DetermineSplitterIndex(p) : -1;
      if (split >= 0 && options_.Contains(hoDblClickResize)) {
        // On a splitter: the column fits its widest cell, and no click is reported.
        TDataTreeColumn* col = columns_->Items(split);
        AnimatedResize(split, std::max(int(col->MinWidth()), owner_->GetMaxColumnWidth(split)));
        return true;
      }
      columns_->HandleClick(p, button, true, true);
      if (columns_->ClickIndex >= 0)
        owner_->DoHeaderDblClick(columns_->ClickIndex, button, shift + ssDouble, p.x, p.y);
      return true;
    }
    case WM_RBUTTONUP: {
      columns_->HandleClick(p, mbRight, false, true);
      owner_->DoHeaderMouseUp(mbRight, shift, p.x, p.y);
      columns_->DownIndex = columns_->TrackIndex = -1;
      if (PopupMenu) {
        // The header's own menu, with the tree as its popup component.
        KillTimer(h, ScrollTimer);
        KillTimer(h, HeaderTimer);
        columns_->HoverIndex = -1;
        owner_->DoStateChange({}, {tsScrollPending, tsScrolling});
        PopupMenu->ContextPopup(owner_, owner_->HeaderToScreen(p));
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qv
