// The tree as a drop target: the drop target node and where the drop would
// land, scrolling near the edges, the drop effect rules and the owner's say
// through OnDragOver and OnDragDrop.
#include "datatree/DataTreeTransfer.h"

namespace qv {

namespace {

TShiftState KeyStateToShift(DWORD keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_ALT) s.Include(ssAlt);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  return s;
}

}  // namespace

TDropMode TBaseDataTree::LastDropMode() const {
  return xfer_ ? xfer_->lastDropMode : dmNowhere;
}

const TNodeArray& TBaseDataTree::DragSelection() const {
  static const TNodeArray none;
  TakeDragSelection();
  return xfer_ ? xfer_->dragSelection : none;
}

void TBaseDataTree::TakeDragSelection() const {
  if (!xfer_ || !xfer_->dragSelectionDue) return;
  xfer_->dragSelectionDue = false;
  xfer_->dragSelection = const_cast<TBaseDataTree*>(this)->GetSortedSelection(false);
}

DWORD TBaseDataTree::DetermineDropEffect(TObject* Source, TShiftState Shift, DWORD AllowedEffects) {
  DWORD result = AllowedEffects;
  bool sameTree = Source == static_cast<TObject*>(this);
  if (!sameTree && (AllowedEffects & DROPEFFECT_COPY))
    result = DROPEFFECT_COPY;
  else if (sameTree && (AllowedEffects & DROPEFFECT_MOVE))
    result = DROPEFFECT_MOVE;
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt);
  if (ctrl && !shift && !alt) {
    if (AllowedEffects & DROPEFFECT_COPY) result = DROPEFFECT_COPY;
  } else if (shift && !ctrl && !alt) {
    if (AllowedEffects & DROPEFFECT_MOVE) result = DROPEFFECT_MOVE;
  } else if ((ctrl && shift && !alt) || (alt && !ctrl && !shift)) {
    if (AllowedEffects & DROPEFFECT_LINK) result = DROPEFFECT_LINK;
  }
  return result;
}

namespace {

// The drop target under a client point and where the drop would land.
PDataNode DropTargetAt(TBaseDataTree& Tree, POINT P, TDropMode& Mode) {
  THitInfo hit;
  Tree.GetHitTestInfoAt(P.x, P.y, true, hit);
  Mode = dmNowhere;
  PDataNode node = hit.HitNode;
  if (!node) return nullptr;
  bool onLabel = hit.HitPositions.Contains(hpOnItemLabel) || hit.HitPositions.Contains(hpOnNormalIcon) ||
                 hit.HitPositions.Contains(hpOnStateIcon);
  if (Tree.TreeOptions()->MiscOptions().Contains(toReportMode) &&
      (!onLabel || hit.HitColumn != Tree.Header()->MainColumn()))
    return nullptr;
  if (onLabel || !Tree.TreeOptions()->PaintOptions().Contains(toShowDropmark)) {
    Mode = dmOnNode;
  } else {
    RECT r = Tree.GetDisplayRect(node, NoColumn, false);
    Mode = P.y < (r.top + r.bottom) / 2 ? dmAbove : dmBelow;
  }
  return node;
}

}  // namespace

HRESULT TBaseDataTree::DragEnter(DWORD KeyState, POINT Pt, DWORD& Effect) {
  scrollStartTime_ = 0;
  TDataTreeTransferState& x = Xfer();
  POINT p = Pt;
  if (HandleAllocated()) p = TControl::ScreenToClient(p);
  TObject* source = x.dragManager ? static_cast<TObject*>(x.dragManager->GetDragSource()) : nullptr;
  TShiftState shift = KeyStateToShift(KeyState);
  Effect = DetermineDropEffect(source, shift, Effect);
  bool accept = false;
  if (OnDragOver) OnDragOver(this, source, shift, dsDragEnter, p, x.lastDropMode, Effect, accept);
  if (!accept) Effect = DROPEFFECT_NONE;
  if (accept) {
    TDropMode mode;
    dropTargetNode_ = DropTargetAt(*this, p, mode);
    x.lastDropMode = mode;
    // The first node hovered shows its highlight at once: the moves that
    // follow repaint only when the target changes.
    if (dropTargetNode_ && HandleAllocated()) {
      RECT r = GetDisplayRect(dropTargetNode_, NoColumn, false);
      auto* sourceTree = dynamic_cast<TBaseDataTree*>(source);
      TDTDragImage* image = sourceTree && sourceTree->xfer_ ? sourceTree->xfer_->dragImage.get() : nullptr;
      if (image && image->Visible())
        UpdateWindowAndDragImage(sourceTree, r, false, true);
      else
        InvalidateRect(Handle(), &r, FALSE);
    }
  }
  return S_OK;
}

HRESULT TBaseDataTree::DragOver(TObject* Source, DWORD KeyState, TDTDragState State, POINT Pt,
                                DWORD& Effect) {
  try {
    TDataTreeTransferState& x = Xfer();
    POINT p = Pt;
    if (HandleAllocated()) p = TControl::ScreenToClient(p);
    auto* sourceTree = dynamic_cast<TBaseDataTree*>(Source);
    TDTDragImage* image = sourceTree && sourceTree->xfer_ ? sourceTree->xfer_->dragImage.get() : nullptr;
    bool imageShown = image && image->Visible();

    // Scrolling near the edges.
    scrollDirections_ = DetermineScrollDirections(p.x, p.y);
    POINT offset{offsetX_, offsetY_};
    int clientH = ClientHeight();
    int step = std::min(ScrollBarOptions()->VerticalIncrement, std::max(clientH, 1));
    if ((scrollDirections_ & sdUp) && offsetY_ != 0) offset.y += step;
    if ((scrollDirections_ & sdDown) && clientH - offsetY_ < RangeY()) offset.y -= step;
    if ((scrollDirections_ & sdLeft) && offsetX_ != 0) offset.x += ScrollBarOptions()->HorizontalIncrement;
    if ((scrollDirections_ & sdRight) && ClientWidth() - offsetX_ < RangeX())
      offset.x -= ScrollBarOptions()->HorizontalIncrement;
    bool scrolled = false;
    if (offset.x != offsetX_ || offset.y != offsetY_) {
      int oldX = offsetX_, oldY = offsetY_;
      // Under a shown drag image the pixels are not moved: the whole client
      // area is painted again around the image below.
      DoSetOffsetXY(offset, imageShown ? TScrollUpdateOptions{suoUpdateNCArea} : DefaultScrollUpdateFlags);
      scrolled = oldX != offsetX_ || oldY != offsetY_;
      if (scrolled && imageShown && HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
    }

    TShiftState shift = KeyStateToShift(KeyState);
    if (states_.Contains(tsLeftButtonDown)) shift.Include(ssLeft);
    if (states_.Contains(tsMiddleButtonDown)) shift.Include(ssMiddle);
    if (states_.Contains(tsRightButtonDown)) shift.Include(ssRight);
    TDropMode mode;
    PDataNode node = DropTargetAt(*this, p, mode);
    bool targetChanged = node != dropTargetNode_ || mode != x.lastDropMode;
    if (targetChanged) {
      x.lastDropMode = mode;
      PDataNode old = dropTargetNode_;
      if (node != old) {
        if (HandleAllocated()) KillTimer(Handle(), ExpandTimer);
        dropTargetNode_ = node;
        if (focus_.Column() < 0) focus_.SetColumn(header_->MainColumn());
      }
      RECT area{};
      if (old && IsNodeOfThisTree(old)) area = GetDisplayRect(old, NoColumn, false);
      if (node) {
        RECT r = GetDisplayRect(node, NoColumn, false);
        UnionRect(&area, &area, &r);
      }
      if (imageShown)
        UpdateWindowAndDragImage(sourceTree, scrolled ? ClientRect() : area, scrolled,
                                 !image->ImageWouldMove(Pt));
      else if (HandleAllocated())
        InvalidateRect(Handle(), &area, FALSE);
      if (node && node != old && HandleAllocated() && options_->AutoOptions().Contains(toAutoDropExpand) &&
          node->Has(vsHasChildren))
        SetTimer(Handle(), ExpandTimer, std::max<uint32_t>(AutoExpandDelay, 1), nullptr);
    }
    // Only the view scrolled: the whole client area is repainted around the image.
    if (imageShown && scrolled && !targetChanged)
      UpdateWindowAndDragImage(sourceTree, ClientRect(), true, !image->ImageWouldMove(Pt));
    if (HandleAllocated()) UpdateWindow(Handle());
    if (imageShown) {
      image->MoveImageTo(Pt, false);
    } else if (image && image->Active()) {
      image->ShowImage();
      image->MoveImageTo(Pt, false);
    }
    Effect = DetermineDropEffect(Source, shift, Effect);
    bool accept = false;
    if (OnDragOver) OnDragOver(this, Source, shift, State, p, x.lastDropMode, Effect, accept);
    if (!accept) Effect = DROPEFFECT_NONE;
    if (scrolled) Effect |= DROPEFFECT_SCROLL;
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

void TBaseDataTree::DragLeave() {
  if (HandleAllocated()) KillTimer(Handle(), ExpandTimer);
  TDataTreeTransferState& x = Xfer();
  TBaseDataTree* source = x.dragManager ? x.dragManager->GetDragSource() : nullptr;
  if (source && source->xfer_ && source->xfer_->dragImage) source->xfer_->dragImage->HideImage();
  if (dropTargetNode_) InvalidateNode(dropTargetNode_);
  dropTargetNode_ = nullptr;
  if (HandleAllocated()) UpdateWindow(Handle());
  DWORD effect = DROPEFFECT_NONE;
  bool accept = false;
  if (OnDragOver)
    OnDragOver(this, nullptr, TShiftState{}, dsDragLeave, POINT{0, 0}, x.lastDropMode, effect, accept);
}

HRESULT TBaseDataTree::DragDrop(IDataObject* DataObject, DWORD KeyState, POINT Pt, DWORD& Effect) {
  TDataTreeTransferState& x = Xfer();
  if (HandleAllocated()) {
    KillTimer(Handle(), ExpandTimer);
    KillTimer(Handle(), ScrollTimer);
  }
  DoStateChange({}, {tsScrollPending, tsScrolling});
  TObject* source = x.dragManager ? static_cast<TObject*>(x.dragManager->GetDragSource()) : nullptr;
  HRESULT result = DragOver(source, KeyState, dsDragMove, Pt, Effect);
  if (SUCCEEDED(result) && (Effect & ~DROPEFFECT_SCROLL) != DROPEFFECT_NONE) {
    Effect &= ~DROPEFFECT_SCROLL;
    TShiftState shift = KeyStateToShift(KeyState);
    POINT p = Pt;
    if (HandleAllocated()) p = TControl::ScreenToClient(p);
    std::vector<WORD> formats;
    IEnumFORMATETC* e = nullptr;
    if (DataObject && SUCCEEDED(DataObject->EnumFormatEtc(DATADIR_GET, &e)) && e) {
      FORMATETC f;
      ULONG got = 0;
      // A hostile enumerator cannot keep the drop going forever.
      while (formats.size() < 4096 && e->Next(1, &f, &got) == S_OK && got == 1) formats.push_back(f.cfFormat);
      e->Release();
    }
    if (OnDragDrop) OnDragDrop(this, source, DataObject, formats, shift, p, Effect, x.lastDropMode);
    result = S_OK;
  } else {
    result = E_FAIL;
  }
  if (dropTargetNode_) InvalidateNode(dropTargetNode_);
  dropTargetNode_ = nullptr;
  return result;
}

// The image shows over the windows from its own screen DC: the tree paints the
// whole area, under the image too (where the image stays on top and the pixels
// show once it leaves), and the image's saved copy is painted with the new
// picture so that what shows through the image is current as well.
void TBaseDataTree::UpdateWindowAndDragImage(TBaseDataTree* Tree, RECT TreeRect, bool UpdateNCArea,
                                             bool ReshowDragImage) {
  if (!HandleAllocated() || !Tree || !Tree->xfer_ || !Tree->xfer_->dragImage) return;
  RECT client = ClientRect(), cut;
  if (!IntersectRect(&cut, &TreeRect, &client)) return;
  HWND h = Handle();
  HRGN visible = CreateRectRgn(0, 0, 0, 0);
  HDC dc = GetDCEx(h, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
  if (!dc || GetRandomRgn(dc, visible, SYSRGN) != 1) {
    DeleteObject(visible);
    visible = nullptr;
  }
  if (dc) ReleaseDC(h, dc);
  TDTDragImage* image = Tree->xfer_->dragImage.get();
  image->RefreshSavedScreen(this, cut, visible, UpdateNCArea, ReshowDragImage);
  if (visible) DeleteObject(visible);
  if (UpdateNCArea) {
    RECT wr;
    GetWindowRect(h, &wr);
    POINT origin = ClientOrigin();
    OffsetRect(&wr, -origin.x, -origin.y);
    HRGN frame = CreateRectRgnIndirect(&wr);
    HRGN inner = CreateRectRgnIndirect(&client);
    CombineRgn(frame, frame, inner, RGN_DIFF);
    RedrawWindow(h, nullptr, frame, 0x569);
    DeleteObject(inner);
    DeleteObject(frame);
  }
  RedrawWindow(h, &cut, nullptr, 0x169);
}

}  // namespace qv
