// In-place editing from the tree's side: starting an edit through an edit
// link, placing the editor over the cell, and ending or cancelling it.
#include "classlib/controls/Application.h"
#include "datatree/DataTreeTransfer.h"

namespace qv {

IDTEditLink* TBaseDataTree::EditLink() const {
  return xfer_ ? xfer_->editLink.Get() : nullptr;
}

TColumnIndex TBaseDataTree::EditColumn() const {
  return xfer_ ? xfer_->editColumn : NoColumn;
}

void TBaseDataTree::DoCreateEditor(PDataNode Node, TColumnIndex Column, ComPtr<IDTEditLink>& Link) {
  if (OnCreateEditor) {
    OnCreateEditor(this, Node, Column, Link);
    if (!Link) throw EDataTreeError("Edit link must not be nil.", 2000);
  }
}

bool TBaseDataTree::CanEdit(PDataNode Node, TColumnIndex Column) {
  bool allowed = options_->MiscOptions().Contains(toEditable);
  if (OnEditing) OnEditing(this, Node, Column, allowed);
  return allowed;
}

bool TBaseDataTree::EditNode(PDataNode Node, TColumnIndex Column) {
  DTAssert(Node != nullptr, "Node must not be nil.");
  DTAssert(Column > InvalidColumn && Column < header_->Columns()->Count(),
           "Column must be a valid column index (-1 if no header is shown).");
  if (states_.Contains(tsEditing)) return true;
  if (options_->MiscOptions().Contains(toReadOnly)) return false;
  SetFocusedNode(Node);
  if (focus_.Node() == Node && CanEdit(Node, Column)) {
    Xfer().editColumn = Column;
    InitIfNeeded(Node);
    BeginNodeEdit();
  }
  return states_.Contains(tsEditing);
}

bool TBaseDataTree::EndEditNode() {
  if (!states_.Contains(tsEditing) && !states_.Contains(tsEditPending)) return true;
  return EndNodeEdit();
}

bool TBaseDataTree::CancelEditNode() {
  if (!HandleAllocated() || (!states_.Contains(tsEditing) && !states_.Contains(tsEditPending))) return true;
  return CancelNodeEdit();
}

void TBaseDataTree::BeginNodeEdit() {
  if (Application) Application->CancelHint();
  if (HandleAllocated()) {
    KillTimer(Handle(), ScrollTimer);
    KillTimer(Handle(), EditTimer);
  }
  DoStateChange({}, {tsEditPending});
  TDataTreeTransferState& x = Xfer();
  if (!focus_.Node() || focus_.Node()->Has(vsDisabled) || options_->MiscOptions().Contains(toReadOnly) ||
      x.editLink)
    return;
  ComPtr<IDTEditLink> link;
  DoCreateEditor(focus_.Node(), x.editColumn, link);
  if (!link) return;
  x.editLink = link;
  DoStateChange({tsEditing});
  ScrollIntoView(focus_.Node(), options_->SelectionOptions().Contains(toCenterScrollIntoView),
                 !options_->AutoOptions().Contains(toDisableAutoscrollOnEdit));
  if (link->PrepareEdit(this, focus_.Node(), x.editColumn)) {
    UpdateEditBounds();
    InvalidateNode(focus_.Node());
    if (!link->BeginEdit()) DoStateChange({}, {tsEditing});
  } else {
    DoStateChange({}, {tsEditing});
  }
  if (!states_.Contains(tsEditing) && xfer_) xfer_->editLink.Reset();
}

void TBaseDataTree::UpdateEditBounds() {
  if (!states_.Contains(tsEditing) || !xfer_ || !xfer_->editLink || !focus_.Node()) return;
  TColumnIndex column = xfer_->editColumn;
  bool multi = focus_.Node()->Has(vsMultiline);
  RECT r = GetDisplayRect(focus_.Node(), column, true, !multi);
  if (options_->MiscOptions().Contains(toGridExtensions)) {
    TAlignment align = alignment_;
    TBiDiMode bidi = bdLeftToRight;
    if (header_->Columns()->IsValidColumn(column)) {
      align = header_->Columns()->Items(column)->Alignment();
      bidi = header_->Columns()->Items(column)->BiDiMode();
    }
    if (bidi != bdLeftToRight && align != taCenter)
      align = align == taLeftJustify ? taRightJustify : taLeftJustify;
    int left, right;
    header_->Columns()->GetColumnBounds(column, left, right);
    if (align == taLeftJustify)
      r.right = right;
    else
      r.left = left;
  }
  if (options_->PaintOptions().Contains(toShowHorzGridLines)) --r.bottom;
  xfer_->editLink->SetBounds(r);
}

bool TBaseDataTree::EndNodeEdit() {
  if (HandleAllocated()) KillTimer(Handle(), EditTimer);
  DoStateChange({}, {tsEditPending});
  if (!states_.Contains(tsEditing) || !xfer_ || !xfer_->editLink) return true;
  ComPtr<IDTEditLink> link = xfer_->editLink;
  bool result = link->EndEdit();
  if (result) {
    DoStateChange({}, {tsEditing});
    xfer_->editLink.Reset();
    if (OnEdited) OnEdited(this, focus_.Node(), xfer_->editColumn);
  }
  return result;
}

bool TBaseDataTree::CancelNodeEdit() {
  if (HandleAllocated()) KillTimer(Handle(), EditTimer);
  DoStateChange({}, {tsEditPending});
  if (!states_.Contains(tsEditing) || !xfer_ || !xfer_->editLink) return true;
  ComPtr<IDTEditLink> link = xfer_->editLink;
  bool result = link->CancelEdit();
  if (result) {
    DoStateChange({}, {tsEditing});
    if (OnEditCancelled) OnEditCancelled(this, xfer_->editColumn);
    if (!IsDestroying()) xfer_->editLink.Reset();
  }
  return result;
}

}  // namespace qv
