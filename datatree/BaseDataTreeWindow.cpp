// The tree as a window: creation, messages and timers, scroll offsets and
// scroll bars, scrolling nodes into view, invalidation, and the glue to the
// validation worker that fills the position cache.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Picture.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeTransfer.h"
#include "datatree/ValidationWorker.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"

namespace qv {

// --- Position cache and the worker

void TBaseDataTree::InterruptValidation() {
  band_.ForgetRow();  // a change of structure or height follows
  DoStateChange({tsStopValidation}, {tsUseCache});
  if (!ValidationWorker) return;
  // A tree the worker has not taken can no longer be taken; one it is on is
  // waited for, whatever its states say: a tree without a window gets no
  // state changes, and the first one may still be on its way.
  if (!ValidationWorker->UnqueueUnlessActive(this)) return;
  WaitForWorker();
  DoStateChange({tsValidationNeeded});
}

// The worker may be blocked sending WM_CHANGESTATE to this window, so this
// thread handles the window's messages until the worker has left the tree:
// its last message (it leaves tsValidating) ends the wait, or the worker
// dropping the tree when it had nothing to send.
void TBaseDataTree::WaitForWorker() {
  HWND handle = validation_.ReportTo();
  unsigned runs = validation_.RunsEnded();
  bool pumpAll = handle && !IsDestroying();
  bool quit = false;
  int quitCode = 0;
  while (ValidationWorker->ActiveTree() == this && !(handle && validation_.RunsEnded() != runs)) {
    MSG msg;
    if (pumpAll && !Application->Terminated() && PeekMessageW(&msg, handle, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Left at once; sent messages are still answered below, and the quit
        // is posted again for the loop that waits for it.
        pumpAll = false;
        quit = true;
        quitCode = int(msg.wParam);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    // Answers the messages sent to this thread (removing nothing), then waits
    // a moment for the worker to leave; no message marks that moment.
    PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_CHANGESTATE, WM_CHANGESTATE, PM_NOREMOVE);
    ValidationWorker->WaitUntilLeft(this);
  }
  if (quit) PostQuitMessage(quitCode);
}

void TBaseDataTree::InvalidateCache() {
  band_.ForgetRow();
  DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TBaseDataTree::ValidateCache() {
  InterruptValidation();
  store_.ClearCache();  // the worker starts over
  if (!states_.Contains(tsValidationNeeded)) return;
  if (validation_.HoldsWorker() && ValidationWorker) {
    ValidationWorker->QueueTree(this);
    ValidationWorker->SignalEvent();
  } else {
    ValidateCacheNow(nullptr);
  }
}

bool TBaseDataTree::DoValidateCache() {
  if (validation_.StopRequested()) return false;
  // Small trees walk from the first node and keep no cache.
  if (store_.VisibleCount() <= TDataNodeStore::kCacheThreshold) return false;
  return store_.BuildCache(validation_.StopFlag());
}

bool TBaseDataTree::ValidateCacheNow(const std::atomic<bool>* stop) {
  if (store_.VisibleCount() <= TDataNodeStore::kCacheThreshold || !store_.BuildCache(stop)) return false;
  DoStateChange({tsUseCache}, {tsValidationNeeded, tsStopValidation});
  return true;
}

void TBaseDataTree::HandleChangeState(WPARAM EnterMask, LPARAM LeaveMask) {
  TDataTreeStates enter = ChangeStatesFromMask(uintptr_t(EnterMask));
  TDataTreeStates leave = ChangeStatesFromMask(uintptr_t(LeaveMask));
  if (leave.Contains(tsValidating)) validation_.RunEnded();
  if (EnterMask == 0 && LeaveMask == 0) {
    rangeXPosted_ = false;
    RefreshNodesRangeX();
  }
  DoStateChange(enter, leave);
  // Scroll bars belong to this thread: they follow a completed cache (measured
  // heights may have changed the range) and the painting's request (no states).
  if (enter.Contains(tsUseCache) || (EnterMask == 0 && LeaveMask == 0)) UpdateScrollBars(true);
}

// The mouse left the control: a hint may show again for the same place, an
// auto scroll (but not wheel panning, which holds the capture) stops, and
// nothing is hot or pressed any more.
void TBaseDataTree::HandleMouseLeave() {
  if (xfer_ && xfer_->hintData.Tree) xfer_->hintData.Tree->Xfer().lastHintRect = RECT{};
  DoStateChange({}, {tsHint});
  if (!states_.Contains(tsWheelPanning) && !states_.Contains(tsWheelScrolling)) {
    if (HandleAllocated()) KillTimer(Handle(), ScrollTimer);
    DoStateChange({}, {tsScrolling, tsScrollPending});
  }
  if (focus_.Hot()) {
    PDataNode old = focus_.SetHot(nullptr);
    DoHotChange(old, nullptr);
    InvalidateNode(old);
  }
  header_->Columns()->HoverIndex = -1;
  header_->Columns()->DownIndex = -1;
}

// --- Window

void TBaseDataTree::ChangeScale(int M, int D) {
  TCustomControl::ChangeScale(M, D);
  if (M == D || D <= 0 || !TreeOptions()->AutoOptions().Contains(toAutoChangeScale)) return;
  SetDefaultNodeHeight(uint32_t(MulDiv(int(DefaultNodeHeight()), M, D)));
  header_->ChangeScale(M, D);
}

void TBaseDataTree::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  TScrollStyle bars = scrollBarOptions_->ScrollBars();
  if (bars == ssHorizontal || bars == ssBoth) Params.Style |= WS_HSCROLL;
  if (bars == ssVertical || bars == ssBoth) Params.Style |= WS_VSCROLL;
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  if (bidiMode_ != bdLeftToRight) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (!options_->MiscOptions().Contains(toFullRepaintOnResize)) {
    // A class keeps the styles it was registered with: the variant without
    // the redraw styles is a class of its own, so both kinds of tree coexist.
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
    Params.WinClassName += u"NoResizeRepaint";
  }
}

void TBaseDataTree::CreateWnd() {
  DoStateChange({tsWindowCreating});
  TCustomControl::CreateWnd();
  PrepareBitmaps(true, true);
  validation_.SetReportTo(WindowHandle());
  DoStateChange({}, {tsWindowCreating});
  Resize();
  UpdateScrollBars(true);
  RegisterDropTarget();
  // A measuring request posted to an earlier window died with it; rows
  // changed since are measured for this one.
  rangeXPosted_ = false;
  RequestRangeXUpdate();
}

void TBaseDataTree::DestroyWnd() {
  validation_.SetReportTo(nullptr);
  TCustomControl::DestroyWnd();
}

void TBaseDataTree::Resize() {
  // A resize re-entered through a scroll bar that showed or hid is left to
  // the outer one, which lays out again once for the client it leaves.
  if (HandleAllocated() && !states_.Contains(tsSizing) && !states_.Contains(tsWindowCreating) &&
      ClientHeight() > 0) {
    DoStateChange({tsSizing});
    for (int pass = 0; pass < 2; ++pass) {
      int w = ClientWidth(), h = ClientHeight();
      header_->ResizeSpringColumns(w);
      if (header_->Options().Contains(hoAutoResize)) header_->AdjustAutoSize(-2);
      UpdateScrollBars(true);
      if (ClientWidth() == w && ClientHeight() == h) break;
    }
    if (!header_->UseColumns()) UpdateEditBounds();
    DoStateChange({}, {tsSizing});
  }
  TCustomControl::Resize();
}

int TBaseDataTree::RangeX() const {
  if (header_->UseColumns()) return header_->Columns()->TotalWidth();
  return std::max(nodesRangeX_, rangeXSeen_);
}

bool TBaseDataTree::DoSetOffsetXY(POINT Value, TScrollUpdateOptions Options, const RECT* ClipRect) {
  int rowsH = HandleAllocated() ? ClientHeight() : Height();
  int clientW = HandleAllocated() ? ClientWidth() : Width();
  // Raised to the far end of the content first, then lowered to 0; in 64
  // bits, so that no range or request wraps.
  auto clamp = [](int64_t v, int64_t client, int64_t range) {
    return int(std::min<int64_t>(std::max<int64_t>(v, client - range), 0));
  };
  int x = clamp(Value.x, clientW, RangeX()), y = clamp(Value.y, rowsH, RangeY());
  int dx = x - offsetX_, dy = y - offsetY_;
  if (dx == 0 && dy == 0) return false;
  offsetX_ = x;
  offsetY_ = y;
  if (Application) Application->CancelHint();
  if (updateCount_ == 0 && HandleAllocated()) {
    if (Options.Contains(suoScrollClientArea)) ScrollClientArea(dx, dy, ClipRect);
    if (Options.Contains(suoUpdateNCArea)) {
      bool repaint = Options.Contains(suoRepaintScrollBars);
      TScrollStyle bars = scrollBarOptions_->ScrollBars();
      if (dx != 0) {
        if (Options.Contains(suoRepaintHeader) && header_->Options().Contains(hoVisible))
          header_->Invalidate(nullptr);
        if (!states_.Contains(tsSizing) && (bars == ssHorizontal || bars == ssBoth))
          UpdateHorizontalScrollBar(repaint);
      }
      if (dy != 0 && !states_.Contains(tsSizing) && !states_.Contains(tsThumbTracking)) {
        UpdateVerticalScrollBar(repaint);
        // Without columns the horizontal range depends on the rows.
        if (!header_->UseColumns() && !states_.Contains(tsDrawSelecting)) UpdateHorizontalScrollBar(repaint);
      }
    }
  }
  if (HandleAllocated()) TrackHotAfterScroll();
  DoScroll(dx, dy);
  return true;
}

void TBaseDataTree::ScrollClientArea(int DX, int DY, const RECT* ClipRect) {
  HWND h = Handle();
  RECT rows{0, 0, ClientWidth(), ClientHeight()}, clip = rows;
  if (ClipRect) IntersectRect(&clip, &rows, ClipRect);
  const TDTPaintOptions po = options_->PaintOptions();
  // The focus frame stays round the client area: nothing may move it.
  if (ShowsFocusFrame()) {
    InvalidateRect(h, nullptr, FALSE);
    return;
  }
  if (po.Contains(toShowBackground) && background_ && dynamic_cast<TBitmap*>(background_->Graphic())) {
    // The picture does not scroll with the pixels: the children move and
    // everything is painted again.
    std::vector<HWND> kids;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
    HDWP batch = BeginDeferWindowPos(int(kids.size()));
    for (HWND c : kids) {
      RECT r;
      GetWindowRect(c, &r);
      POINT p{r.left, r.top};
      MapWindowPoints(nullptr, h, &p, 1);
      batch = DeferWindowPos(batch, c, nullptr, p.x + DX, p.y + DY, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(batch);
    InvalidateRect(h, nullptr, FALSE);
    return;
  }
  int fixed = header_->UseColumns() ? header_->Columns()->GetVisibleFixedWidth() : 0;
  if (DX != 0 && fixed > 0) {
    // The fixed columns stay: only the part right of them scrolls sideways.
    RECT right = rows, rightClip;
    right.left = std::min<int>(fixed, rows.right);
    IntersectRect(&rightClip, &right, &clip);
    ScrollWindowEx(h, DX, 0, &right, &rightClip, nullptr, nullptr, SW_INVALIDATE);
    if (DY != 0) ScrollWindowEx(h, 0, DY, &rows, &clip, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
    return;
  }
  ScrollWindowEx(h, DX, DY, &rows, &clip, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
}

void TBaseDataTree::TrackHotAfterScroll() {
  if (IsDestroying()) return;
  POINT p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  RECT client = ClientRect();
  if (PtInRect(&client, p)) HandleHotTrack(p.x, p.y);
}

void TBaseDataTree::SetOffsetX(int Value) {
  DoSetOffsetXY(POINT{Value, offsetY_});
}
void TBaseDataTree::SetOffsetY(int Value) {
  DoSetOffsetXY(POINT{offsetX_, Value});
}
void TBaseDataTree::SetOffsetXY(POINT Value) {
  DoSetOffsetXY(Value);
}

void TBaseDataTree::UpdateScrollBars(bool DoRepaint) {
  if (!HandleAllocated() || updateCount_ > 0) return;
  UpdateVerticalScrollBar(DoRepaint);
  UpdateHorizontalScrollBar(DoRepaint);
}

// A bar shows while the content is larger than the client (or always, then
// disabled when nothing scrolls); the offset follows the bar's position. The
// range is 0 ... range - 1 with the client as the page (the same positions as
// 0 ... range with a page one larger), so that a range of the whole int does
// not overflow the bar's own arithmetic.
void TBaseDataTree::UpdateVerticalScrollBar(bool DoRepaint) {
  if (!HandleAllocated() || updateCount_ > 0) return;
  TScrollStyle bars = scrollBarOptions_->ScrollBars();
  if (bars != ssVertical && bars != ssBoth) {
    SCROLLINFO none{};
    none.fMask = SIF_ALL;
    SetScrollBarInfo(SB_VERT, none, DoRepaint);
    DoSetOffsetXY(POINT{offsetX_, offsetY_});
    return;
  }
  int client = std::max(0, int(ClientHeight()));
  SCROLLINFO si{};
  si.fMask = SIF_ALL;
  if (client < RangeY() || scrollBarOptions_->AlwaysVisible()) {
    if (scrollBarOptions_->AlwaysVisible()) si.fMask |= SIF_DISABLENOSCROLL;
    si.nMax = std::max(0, RangeY() - 1);
    si.nPage = UINT(client);
    si.nPos = -offsetY_;
  }
  SetScrollBarInfo(SB_VERT, si, DoRepaint);
  SCROLLINFO now{};
  now.fMask = SIF_POS;
  GetScrollInfo(Handle(), SB_VERT, &now);
  DoSetOffsetXY(POINT{offsetX_, -now.nPos});
}

void TBaseDataTree::UpdateHorizontalScrollBar(bool DoRepaint) {
  if (!HandleAllocated() || updateCount_ > 0) return;
  RequestRangeXUpdate();  // rows changed since are measured after this message
  TScrollStyle bars = scrollBarOptions_->ScrollBars();
  if (bars != ssHorizontal && bars != ssBoth) {
    SCROLLINFO none{};
    none.fMask = SIF_ALL;
    SetScrollBarInfo(SB_HORZ, none, DoRepaint);
    DoSetOffsetXY(POINT{offsetX_, offsetY_});
    return;
  }
  int client = std::max(0, int(ClientWidth()));
  SCROLLINFO si{};
  si.fMask = SIF_ALL;
  if (client < RangeX() || scrollBarOptions_->AlwaysVisible()) {
    if (scrollBarOptions_->AlwaysVisible()) si.fMask |= SIF_DISABLENOSCROLL;
    si.nMax = std::max(0, RangeX() - 1);
    si.nPage = UINT(client);
    si.nPos = -offsetX_;
  }
  SetScrollBarInfo(SB_HORZ, si, DoRepaint);
  SCROLLINFO now{};
  now.fMask = SIF_POS;
  GetScrollInfo(Handle(), SB_HORZ, &now);
  DoSetOffsetXY(POINT{-now.nPos, offsetY_});
}

void TBaseDataTree::SetScrollBarInfo(int Bar, const SCROLLINFO& Info, bool DoRepaint) {
  DWORD bit = Bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool before = (GetWindowLongPtrW(Handle(), GWL_STYLE) & bit) != 0;
  SetScrollInfo(Handle(), Bar, &Info, DoRepaint);
  bool after = (GetWindowLongPtrW(Handle(), GWL_STYLE) & bit) != 0;
  if (before != after) DoShowScrollbar(Bar, after);
}

void TBaseDataTree::ScrollMessage(int Bar, int Code) {
  bool vert = Bar == SB_VERT;
  int64_t line = vert ? scrollBarOptions_->VerticalIncrement : scrollBarOptions_->HorizontalIncrement;
  int64_t page = vert ? ClientHeight() : ClientWidth();
  // Positions are counted in 64 bits: a step past either end only clamps.
  int64_t pos = vert ? -int64_t(offsetY_) : -int64_t(offsetX_);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), Bar, &si);
  switch (Code) {
    case SB_LINEUP:
      pos -= line;
      break;
    case SB_LINEDOWN:
      pos += line;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      DoStateChange({tsThumbTracking});
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = vert ? int64_t(root_->TotalHeight) : RangeX();
      break;
    case SB_ENDSCROLL:
      // The bars take their final values once the thumb is let go.
      DoStateChange({}, {tsThumbTracking});
      if (vert) {
        UpdateScrollBars(true);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME);
      } else {
        UpdateHorizontalScrollBar(false);
      }
      return;
    default:
      return;
  }
  if (vert)
    SetOffsetY(SaturateToInt(-pos));
  else
    SetOffsetX(SaturateToInt(-pos));
}

void TBaseDataTree::HandleMouseWheel(int Delta, TShiftState Shift) {
  int rowsH = ClientHeight();
  int notches = Delta / WHEEL_DELTA;
  // An indent of 0 counts as one pixel, so nothing divides by zero.
  int64_t indent = std::max<uint32_t>(indent_, 1);
  if (rowsH >= RangeY()) {
    // Everything fits vertically: the wheel scrolls sideways.
    int64_t lines = Shift.Contains(ssCtrl) ? (ClientWidth() / indent) * notches : notches;
    SetOffsetX(SaturateToInt(offsetX_ + lines * indent));
    return;
  }
  int64_t lines;
  UINT setting = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &setting, 0);
  if (Shift.Contains(ssCtrl) || setting == 0xFFFFFFFFu)
    lines = (rowsH / int64_t(defaultNodeHeight_)) * notches;
  else
    lines = int64_t(Delta) * setting / WHEEL_DELTA;
  SetOffsetY(SaturateToInt(offsetY_ + lines * int64_t(defaultNodeHeight_)));
}

void TBaseDataTree::CancelModes() {
  StopWheelPanning();
  if (HandleAllocated())
    for (uintptr_t id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
      KillTimer(Handle(), id);
  search_.Reset();
  menuKeyHandled_ = false;
  DoStateChange({}, {tsClearPending, tsDrawSelPending, tsDrawSelecting, tsEditPending, tsIncrementalSearching,
                     tsOLEDragPending, tsVCLDragPending, tsLeftButtonDown, tsMiddleButtonDown,
                     tsRightButtonDown, tsScrolling, tsScrollPending});
  band_.SetRect(RECT{});
}

bool TBaseDataTree::ScrollIntoView(PDataNode Node, bool Center, bool Horizontally) {
  if (!Node || Node == root_ || !HandleAllocated()) return false;
  for (PDataNode p = Node->Parent; p != root_; p = p->Parent)
    if (!p->Has(vsExpanded)) ToggleNode(p);
  bool columns = header_->UseColumns();
  RECT r = GetDisplayRect(Node, columns ? focus_.Column() : NoColumn,
                          !options_->MiscOptions().Contains(toGridExtensions));
  int64_t top = r.top, bottom = r.bottom;
  int64_t height = ClientHeight(), width = ClientWidth();
  bool result = false;
  if (top >= 0) {
    if (bottom > height || Center) {
      int64_t y = offsetY_ + (Center ? height / 2 : height) - bottom;
      // A horizontal bar about to appear takes room from the rows.
      bool barShown = (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
      if (!columns && !barShown && width < RangeX()) y -= GetSystemMetrics(SM_CYHSCROLL);
      SetOffsetY(SaturateToInt(y));
      result = true;
    }
  } else {
    SetOffsetY(SaturateToInt(offsetY_ - top + (Center ? height / 2 : 0)));
    result = true;
  }
  if (Horizontally) {
    int fixed = columns ? header_->Columns()->GetVisibleFixedWidth() : 0;
    int64_t x = offsetX_;
    if (fixed == 0) {
      // Centred: the rectangle's middle (in content coordinates) goes to the client's.
      if (r.right > width || r.left < 0)
        x = width / 2 - (-int64_t(offsetX_) + (int64_t(r.left) + r.right) / 2);
    } else if (std::abs(int64_t(r.left) - fixed) > 1) {
      // Beside the fixed columns.
      x = offsetX_ - (int64_t(r.left) - fixed);
    }
    if (x != offsetX_ && DoSetOffsetXY(POINT{SaturateToInt(x), offsetY_})) result = true;
  }
  return result;
}

// --- Invalidation

void TBaseDataTree::InvalidateNode(PDataNode Node) {
  if (!Node || Node == root_ || !HandleAllocated() || updateCount_ > 0 || !IsNodeVisible(Node)) return;
  RECT r = GetDisplayRect(Node, NoColumn, false, true);
  r.left = 0;
  r.right = ClientWidth();
  if (r.bottom > 0 && r.top < ClientHeight()) InvalidateRect(Handle(), &r, FALSE);
}

void TBaseDataTree::InvalidateToBottom(PDataNode Node) {
  if (!HandleAllocated() || updateCount_ > 0) return;
  if (!Node || Node == root_ || !IsNodeVisible(Node)) {
    Invalidate();
    return;
  }
  RECT r = GetDisplayRect(Node, NoColumn, false, true);
  r.left = 0;
  r.right = ClientWidth();
  r.bottom = ClientHeight();
  if (r.top < r.bottom) InvalidateRect(Handle(), &r, FALSE);
}

void TBaseDataTree::InvalidateChildren(PDataNode Node, bool Recursive) {
  if (!Node) Node = root_;
  for (PDataNode c = Node->FirstChild; c; c = c->NextSibling) {
    InvalidateNode(c);
    if (Recursive) InvalidateChildren(c, true);
  }
}

void TBaseDataTree::RepaintNode(PDataNode Node) {
  if (!Node || Node == root_ || !HandleAllocated() || !IsNodeVisible(Node)) return;
  RECT r = GetDisplayRect(Node, NoColumn, false, true);
  r.left = 0;
  r.right = ClientWidth();
  RedrawWindow(Handle(), &r, nullptr, 0x169);
}

void TBaseDataTree::InvalidateColumn(TColumnIndex Column) {
  if (!HandleAllocated() || !header_->Columns()->IsValidColumn(Column)) return;
  int left, right;
  header_->Columns()->GetColumnBounds(Column, left, right);
  RECT r{left, 0, right, ClientHeight()};
  InvalidateRect(Handle(), &r, FALSE);
}

// --- Messages

void TBaseDataTree::HandleTimer(uintptr_t Id) {
  switch (Id) {
    case ChangeTimer:
      KillTimer(Handle(), ChangeTimer);
      if (states_.Contains(tsChangePending)) {
        DoStateChange({}, {tsChangePending});
        DoChange(lastChangedNode_);
      }
      break;
    case StructureChangeTimer: {
      KillTimer(Handle(), StructureChangeTimer);
      if (states_.Contains(tsStructureChangePending)) {
        DoStateChange({}, {tsStructureChangePending});
        PDataNode n = lastStructureChangeNode_;
        lastStructureChangeNode_ = nullptr;
        if (OnStructureChange) OnStructureChange(this, n, lastStructureChangeReason_);
      }
      break;
    }
    case SearchTimer:
      KillTimer(Handle(), SearchTimer);
      search_.Reset();  // the typed text and the last node found
      DoStateChange({}, {tsIncrementalSearching, tsIncrementalSearchPending});
      break;
    case ScrollTimer:
      if (states_.Contains(tsScrollPending)) {
        // The delay is over: scroll at the interval from now on.
        DoStateChange({tsScrolling}, {tsScrollPending});
        SetTimer(Handle(), ScrollTimer, std::max<uint32_t>(AutoScrollInterval, 1), nullptr);
      }
      ScrollByTimer();
      break;
    case HeaderTimer:
      KillTimer(Handle(), HeaderTimer);
      if (header_->Columns()->HoverIndex >= 0) {
        header_->Columns()->HoverIndex = -1;
        header_->Invalidate(nullptr);
      }
      break;
    default:
      KillTimer(Handle(), Id);
  }
}

// A press on the frame or the header takes the focus as one on the rows does.
void TBaseDataTree::TakeFocusOnPress() {
  if (!Focused() && CanFocus()) SetFocus();
}

void TBaseDataTree::WndProc(TMessage& Message) {
  // The header sees mouse messages over its rectangle first. A press there
  // takes the focus as one on the rows or the frame does, after the header
  // has seen it (its OnHeaderMouseDown comes first).
  if (header_->Options().Contains(hoVisible)) {
    const bool press =
        Message.Msg == WM_NCLBUTTONDOWN || Message.Msg == WM_NCRBUTTONDOWN || Message.Msg == WM_NCMBUTTONDOWN;
    auto alive = AliveToken();
    if (header_->HandleMessage(Message)) {
      if (press && !alive.expired()) TakeFocusOnPress();
      return;
    }
  }
  if (HandleTreeViewMessage(Message)) return;
  if (HandleTransferMessage(Message)) return;
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (WantTabs ? DLGC_WANTTAB : 0);
      return;
    case WM_VSCROLL:
      ScrollMessage(SB_VERT, LOWORD(Message.WParam));
      return;
    case WM_HSCROLL:
      ScrollMessage(SB_HORZ, LOWORD(Message.WParam));
      return;
    case WM_MOUSEWHEEL: {
      StopWheelPanning();
      TShiftState shift;
      if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
      HandleMouseWheel(int16_t(HIWORD(Message.WParam)), shift);
      Message.Result = 0;
      return;
    }
    case WM_TIMER:
      HandleTimer(Message.WParam);
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_CUT:
      CutToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case WM_ENABLE:
      TCustomControl::WndProc(Message);
      if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME);
      return;
    case WM_CHANGESTATE:
      HandleChangeState(Message.WParam, Message.LParam);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::WndProc(Message);
      if (Message.Msg == WM_KILLFOCUS) CancelModes();
      // Ghosted when unfocused and nothing selected: only the focus mark changes.
      if (selection_.Count() == 0 && options_->PaintOptions().Contains(toGhostedIfUnfocused)) {
        if (Message.Msg == WM_KILLFOCUS && focus_.Node()) InvalidateNode(focus_.Node());
      } else {
        Invalidate();
      }
      return;
    case WM_SETCURSOR: {
      // Over the rows, and over the header (a border to the platform).
      WORD hit = LOWORD(uintptr_t(Message.LParam));
      POINT cursor{};
      if (hit == HTBORDER) GetCursorPos(&cursor);
      bool ours = hit == HTCLIENT ||
                  (hit == HTBORDER && (header_->Busy() || header_->InHeader(ScreenToClient(cursor))));
      if (reinterpret_cast<HWND>(Message.WParam) == Handle() && ours && !states_.Contains(tsWheelPanning) &&
          !states_.Contains(tsWheelScrolling) && HandleSetCursor())
        return void(Message.Result = 1);
      break;
    }
    case WM_NCCALCSIZE:
      return HandleNcCalcSize(Message);
    case WM_NCHITTEST:
      return HandleNcHitTest(Message);
    case WM_NCPAINT:
      return HandleNcPaint(Message);
    case WM_PRINT:
      return PrintWindow(Message);
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      TakeFocusOnPress();
      break;
    case WM_CONTEXTMENU:
      DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending});
      if (Message.LParam == LPARAM(-1)) {
        // From the keyboard. The menu key's menu was opened by its key-down
        // already; Shift+F10 opens it at the focused cell.
        bool menuKey = menuKeyHandled_;
        menuKeyHandled_ = false;
        if (menuKey) return void(Message.Result = 1);
        if (focus_.Node()) {
          Message.Result = 1;
          PopupAtFocusedCell();
          return;
        }
      }
      if (states_.Contains(tsPopupMenuShown)) return;
      break;
    case WM_NCDESTROY:
      // The worker reports to this window no more.
      validation_.SetReportTo(nullptr);
      InterruptValidation();
      break;
    case WM_PRINTCLIENT:
      if ((Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle())) return;
      PrintClient(reinterpret_cast<HDC>(Message.WParam));
      return;
    case WM_SYSCOLORCHANGE:
    case CM_SYSCOLORCHANGE:
      TCustomControl::WndProc(Message);
      PrepareBitmaps(true, false);
      SystemColorsChanged();
      return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      // The buttons are filled with the tree's colour and marked in the font's.
      TCustomControl::WndProc(Message);
      PrepareBitmaps(true, false);
      return;
    case WM_CANCELMODE:
      CancelModes();
      Invalidate();
      break;
    case WM_SIZE:
      TCustomControl::WndProc(Message);
      Resize();
      return;
    case CM_MOUSELEAVE:
      HandleMouseLeave();
      break;
    default:
      break;
  }
  TCustomControl::WndProc(Message);
}

}  // namespace qv
