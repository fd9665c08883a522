// The header's mouse state machine: click, resize by the splitter, drag to
// another position (or out of the tree), double-click auto-fit, and the
// mouse events it reports on the way.
#include <algorithm>

#include "classlib/controls/MenuBase.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv {

namespace {
constexpr int kSplitterZone = 3;  // pixels either side of a column's right edge
}

TColumnIndex TDTHeader::DetermineSplitterIndex(POINT P) const {
  if (!InHeader(P)) return -1;
  // The right-most column whose right edge is within the zone wins.
  TColumnIndex result = -1;
  for (TDataTreeColumn* c : columns_->GetVisibleColumns()) {
    int right = c->DisplayLeft() + c->Width();
    if (std::abs(P.x - right) <= kSplitterZone) result = c->Index();
  }
  return result;
}

bool TDTHeader::HandleMessage(TMessage& Message) {
  UINT msg = Message.Msg;
  bool mouse = msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ||
               msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP ||
               msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_RBUTTONDBLCLK ||
               msg == WM_MBUTTONDBLCLK;
  if (msg == WM_CAPTURECHANGED || msg == WM_CANCELMODE || msg == WM_KILLFOCUS ||
      (msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE)) {
    if (mouse_.Busy()) {
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
  if (!mouse) return false;

  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  bool busy = mouse_.Busy();
  if (!busy && !InHeader(p)) {
    if (msg == WM_MOUSEMOVE && columns_->HoverIndex >= 0) {
      columns_->HoverIndex = -1;
      Invalidate(nullptr);
    }
    return false;
  }
  HWND h = owner_->Handle();
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      owner_->DoHeaderMouseDown(msg == WM_RBUTTONDOWN ? mbRight : mbMiddle, shift, p.x, p.y);
      return true;
    case WM_MBUTTONUP: {
      TColumnIndex c = columns_->HitTestColumn(p, true);
      if (c >= 0 && columns_->Items(c)->Options().Contains(coAllowClick)) {
        columns_->ClickIndex = c;
        owner_->DoHeaderClick(c, mbMiddle, shift, p.x, p.y);
      }
      owner_->DoHeaderMouseUp(mbMiddle, shift, p.x, p.y);
      columns_->DownIndex = -1;
      return true;
    }
    case WM_LBUTTONDOWN: {
      if (!busy) owner_->DoHeaderMouseDown(mbLeft, shift, p.x, p.y);
      TColumnIndex split = options_.Contains(hoColumnResize) ? DetermineSplitterIndex(p) : -1;
      if (split >= 0 && columns_->Items(split)->Options().Contains(coResizable)) {
        columns_->TrackIndex = split;
        mouse_.StartTracking(columns_->Items(split)->DisplayLeft(), p);
        SetCapture(h);
        return true;
      }
      TColumnIndex c = columns_->HitTestColumn(p, true);
      if (c < 0) return true;
      columns_->DownIndex = c;
      mouse_.Press(p, options_.Contains(hoDrag) && columns_->Items(c)->Options().Contains(coDraggable));
      SetCapture(h);
      Invalidate(columns_->Items(c));
      owner_->DoStateChange({});
      return true;
    }
    case WM_MOUSEMOVE: {
      if (!busy || InHeader(p)) owner_->DoHeaderMouseMove(shift, p.x, p.y);
      if (mouse_.Tracking()) {
        TDataTreeColumn* c = columns_->Items(columns_->TrackIndex);
        c->SetWidth(mouse_.TrackedWidth(p));
        Invalidate(nullptr);
        return true;
      }
      if (mouse_.DragPending() && mouse_.BeyondDragThreshold(p, GetSystemMetrics(SM_CXDRAG))) {
        bool allowed = owner_->DoHeaderDragging(columns_->DownIndex);
        mouse_.DecideDrag(allowed);
        if (allowed) columns_->DragIndex = columns_->DownIndex;
      }
      if (mouse_.Dragging()) {
        POINT q{p.x, std::clamp(p.y, 0, Height() - 1)};
        TColumnIndex target = columns_->HitTestColumn(q, true);
        if (target < 0)
          target = p.x < 0 ? columns_->GetFirstVisibleColumn() : columns_->GetLastVisibleColumn();
        if (target >= 0) {
          TDataTreeColumn* t = columns_->Items(target);
          columns_->DropTarget = target;
          columns_->DropBefore = p.x < t->DisplayLeft() + t->Width() / 2;
        }
        Invalidate(nullptr);
        return true;
      }
      if (options_.Contains(hoHotTrack)) {
        TColumnIndex c = columns_->HitTestColumn(p, true);
        if (c != columns_->HoverIndex) {
          columns_->HoverIndex = c;
          Invalidate(nullptr);
          SetTimer(h, HeaderTimer, 50, nullptr);
        }
      }
      return true;
    }
    case WM_LBUTTONUP: {
      // The states go first: releasing the capture reports a capture change.
      THeaderMouseState was = mouse_;
      mouse_.End();
      TColumnIndex down = columns_->DownIndex;
      columns_->DownIndex = -1;
      if (GetCapture() == h) ReleaseCapture();
      if (was.Tracking()) {
        columns_->TrackIndex = -1;
        owner_->DoHeaderMouseUp(mbLeft, shift, p.x, p.y);
        return true;
      }
      if (was.Dragging()) {
        TColumnIndex drag = columns_->DragIndex, target = columns_->DropTarget;
        columns_->DragIndex = columns_->DropTarget = -1;
        RECT client = owner_->ClientRect();
        if (drag >= 0 && !PtInRect(&client, p)) {
          // Dropped outside the tree: the owner decides (hide the column, say).
          owner_->DoHeaderDraggedOut(drag, owner_->ClientToScreen(p));
        } else if (drag >= 0 && target >= 0 && target != drag) {
          TDataTreeColumn* d = columns_->Items(drag);
          uint32_t old = d->Position();
          uint32_t pos = columns_->Items(target)->Position();
          if (!columns_->DropBefore && pos < old)
            ++pos;
          else if (columns_->DropBefore && pos > old)
            --pos;
          d->SetPosition(pos);
          owner_->DoHeaderDragged(drag, int(old));
        }
        Invalidate(nullptr);
        owner_->Invalidate();
        owner_->DoHeaderMouseUp(mbLeft, shift, p.x, p.y);
        return true;
      }
      TColumnIndex c = columns_->HitTestColumn(p, true);
      Invalidate(nullptr);
      if (c >= 0 && c == down && columns_->Items(c)->Options().Contains(coAllowClick) &&
          columns_->Items(c)->Options().Contains(coEnabled)) {
        columns_->ClickIndex = c;
        owner_->DoHeaderClick(c, mbLeft, shift, p.x, p.y);
      }
      owner_->DoHeaderMouseUp(mbLeft, shift, p.x, p.y);
      return true;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      TMouseButton button = msg == WM_LBUTTONDBLCLK ? mbLeft : msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
      TColumnIndex split = DetermineSplitterIndex(p);
      if (split >= 0 && options_.Contains(hoDblClickResize) &&
          columns_->Items(split)->Options().Contains(coResizable)) {
        // On a splitter: the column fits its widest cell, and no click is reported.
        TDataTreeColumn* col = columns_->Items(split);
        AnimatedResize(split, std::max(int(col->MinWidth()), owner_->GetMaxColumnWidth(split)));
        return true;
      }
      // A double click always counts as a click of its own (with ssDouble),
      // then as the double click on the column it clicked.
      TColumnIndex c = columns_->HitTestColumn(p, true);
      TColumnIndex previous = columns_->ClickIndex;
      if (c >= 0 && columns_->Items(c)->Options().Contains(coAllowClick)) {
        columns_->ClickIndex = c;
        owner_->DoHeaderClick(c, button, shift + ssDouble, p.x, p.y);
        Invalidate(columns_->Items(c));
      } else {
        columns_->ClickIndex = -1;
      }
      if (previous >= 0 && previous != columns_->ClickIndex && columns_->IsValidColumn(previous))
        Invalidate(columns_->Items(previous));
      if (columns_->ClickIndex >= 0)
        owner_->DoHeaderDblClick(columns_->ClickIndex, button, shift + ssDouble, p.x, p.y);
      return true;
    }
    case WM_RBUTTONUP: {
      TColumnIndex c = columns_->HitTestColumn(p, true);
      owner_->DoHeaderClick(c, mbRight, shift, p.x, p.y);
      owner_->DoHeaderMouseUp(mbRight, shift, p.x, p.y);
      columns_->DownIndex = columns_->TrackIndex = -1;
      if (PopupMenu) {
        // The header's own menu, with the tree as its popup component.
        columns_->HoverIndex = -1;
        PopupMenu->ContextPopup(owner_, owner_->ClientToScreen(p));
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qv
