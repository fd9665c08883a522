// Moving and copying nodes within and between trees, pasting tree data from
// a data object, and the tree's rendering of its own clipboard format.
#include <cstring>

#include "classlib/Streams.h"
#include "datatree/DataTreeTransfer.h"
#include "datatree/OLEMemoryStream.h"
#include "platform/ole/OleClipboard.h"
#include "platform/ole/Stream.h"

namespace qv {

bool TBaseDataTree::HasAsParent(PDataNode Node, PDataNode PotentialParent) {
  if (!Node || !PotentialParent || Node == PotentialParent) return false;
  for (PDataNode run = Node->Parent; run && run->Parent; run = run->Parent)
    if (run == PotentialParent) return true;
  return false;
}

void TBaseDataTree::MoveTo(PDataNode Source, PDataNode Target, TDTNodeAttachMode Mode, bool ChildrenOnly) {
  DTAssert(!Source || Source == root_ || IsNodeOfThisTree(Source),
           "The source node must belong to this tree.");
  if (!Source || Source == root_ || Mode == amNoWhere || options_->MiscOptions().Contains(toReadOnly)) return;
  if (Source == Target && !(ChildrenOnly && (Mode == amInsertBefore || Mode == amInsertAfter))) return;
  TBaseDataTree* targetTree = this;
  if (!Target) {
    Target = root_;
    Mode = amAddChildFirst;
  } else {
    targetTree = TreeXfer::TreeOfNode(Target);
    if (!targetTree) return;
  }
  if (Target == targetTree->root_) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    if (Mode == amInsertAfter) Mode = amAddChildLast;
  }
  if (targetTree->options_->MiscOptions().Contains(toReadOnly)) return;
  if (Target != targetTree->root_) {
    bool initNode = !Target->Has(vsInitialized);
    bool initChildren = !initNode && Target->Has(vsHasChildren) && Target->ChildCount == 0;
    if (initNode || initChildren) targetTree->store_.FlushIndexes();  // the owner is asked
    if (initNode)
      targetTree->InitNode(Target);
    else if (initChildren)
      targetTree->InitChildren(Target);
  }
  // Handlers see the sibling indexes of a batch of moves settled.
  if (OnNodeMoving || OnNodeMoved) store_.FlushIndexes();
  bool allowed = true;
  if (OnNodeMoving) OnNodeMoving(this, Source, Target, allowed);
  if (allowed) {
    // Every link below changes under the worker's feet unless it has left.
    InterruptValidation();
    if (targetTree == this) {
      if (HasAsParent(Target, Source))
        throw EDataTreeError("Target node cannot be a child node of the node to be moved.",
                             kMoveIntoOwnSubtree);
      auto relink = [&](PDataNode n, bool keepFocus) {
        if (n == focus_.Node() && !keepFocus) store_.FlushIndexes();  // the focus events come first
        InternalDisconnectNode(n, keepFocus);
        InternalConnectNode(n, Target, Mode);
        DetermineHiddenChildrenFlag(n->Parent);
        if (OnNodeMoved) {
          store_.FlushIndexes();
          OnNodeMoved(this, n);
        }
      };
      if (!ChildrenOnly) {
        PDataNode oldParent = Source->Parent;
        relink(Source, true);
        DetermineHiddenChildrenFlag(oldParent);
      } else if (Mode == amAddChildFirst) {
        for (PDataNode c = Source->LastChild; c;) {
          PDataNode prev = c->PrevSibling;
          relink(c, false);
          c = prev;
        }
      } else {
        for (PDataNode c = Source->FirstChild; c;) {
          PDataNode next = c->NextSibling;
          relink(c, false);
          // Appending after a sibling of its own list keeps walking forward.
          c = next;
        }
      }
    } else {
      TMemoryStream stream;
      TNodeArray moved;
      if (ChildrenOnly)
        for (PDataNode c = Source->FirstChild; c; c = c->NextSibling) moved.push_back(c);
      else
        moved.push_back(Source);
      for (PDataNode n : moved) WriteNode(stream, n);
      stream.SetPosition(0);
      targetTree->BeginUpdate();
      try {
        // Inserting before or after the same target one by one reverses the
        // order; the last read node becomes the next anchor for those modes.
        PDataNode anchor = Target;
        TDTNodeAttachMode mode = Mode;
        while (stream.Position() < stream.Size()) {
          targetTree->EnsureSlotSize();
          PDataNode n = targetTree->MakeNewNodeFast();
          targetTree->InternalConnectNode(n, anchor, mode);
          targetTree->InternalAddFromStream(stream, 2, n);
          if (mode == amInsertAfter) anchor = n;
          if (mode == amAddChildFirst) {
            anchor = n;
            mode = amInsertAfter;
          }
          if (OnNodeMoved) OnNodeMoved(this, n);
        }
      } catch (...) {
        targetTree->EndUpdate();
        throw;
      }
      targetTree->EndUpdate();
      BeginUpdate();
      if (ChildrenOnly)
        DeleteChildren(Source, true);
      else
        DeleteNode(Source, true);
      EndUpdate();
    }
  }
  PDataNode reported = targetTree == this ? Source : nullptr;
  InvalidateCache();
  if (updateCount_ == 0 && allowed) {
    ValidateCache();
    UpdateScrollBars(true);
    Invalidate();
    if (targetTree != this) targetTree->Invalidate();
  }
  StructureChange(reported, crNodeMoved);
}

TClipboardFormats* TBaseDataTree::ClipboardFormats() {
  auto& f = Xfer().clipboardFormats;
  if (!f) f = std::make_unique<TClipboardFormats>(this);
  return f.get();
}

void TBaseDataTree::GetOfferedFormats(std::vector<FORMATETC>& Formats) {
  ListFormatsForTree(this, Formats, ClipboardFormats());
  if (OnGetUserClipboardFormats) OnGetUserClipboardFormats(this, Formats);
}

HRESULT TBaseDataTree::RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium, bool ForClipboard) {
  Medium = STGMEDIUM{};
  if (FormatEtcIn.cfFormat == CF_DATATREEDATA() && (FormatEtcIn.tymed & (TYMED_ISTREAM | TYMED_HGLOBAL))) {
    TNodeArray nodes = ForClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true);
    TMemoryStream stream;
    for (PDataNode n : nodes) WriteNode(stream, n);
    if (FormatEtcIn.tymed & TYMED_ISTREAM) {
      IStream* s = nullptr;
      if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &s))) return E_OUTOFMEMORY;
      ULONG written = 0;
      if (stream.Size() > 0) s->Write(stream.Memory(), ULONG(stream.Size()), &written);
      s->Seek(0, STREAM_SEEK_SET, nullptr);
      Medium.tymed = TYMED_ISTREAM;
      Medium.pstm = s;
      return S_OK;
    }
    if (stream.Size() < 1) return E_FAIL;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, SIZE_T(stream.Size()) + 4);
    if (!mem) return E_OUTOFMEMORY;
    auto* p = static_cast<uint8_t*>(GlobalLock(mem));
    uint32_t size = uint32_t(stream.Size());
    std::memcpy(p, &size, 4);
    std::memcpy(p + 4, stream.Memory(), size);
    GlobalUnlock(mem);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = mem;
    return S_OK;
  }
  HRESULT result = E_FAIL;
  if (OnRenderOLEData) OnRenderOLEData(this, FormatEtcIn, Medium, ForClipboard, result);
  return result;
}

bool TBaseDataTree::InsertFromDataObject(TBaseDataTree* Source, IDataObject* DataObject, PDataNode TargetNode,
                                         TDTNodeAttachMode Mode, bool Optimized) {
  if (!DataObject || options_->MiscOptions().Contains(toReadOnly)) return false;
  FORMATETC f{CF_DATATREEDATA(), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL};
  if (DataObject->QueryGetData(&f) != S_OK) return false;
  if (TargetNode && !IsNodeOfThisTree(TargetNode) && TargetNode != root_) return false;
  BeginUpdate();
  struct EndUpdateGuard {
    TBaseDataTree* t;
    ~EndUpdateGuard() { t->EndUpdate(); }
  } guard{this};
  if (!TargetNode) TargetNode = root_;
  if (TargetNode == root_) {
    if (Mode == amInsertBefore) Mode = amAddChildFirst;
    if (Mode == amInsertAfter) Mode = amAddChildLast;
  }
  if (Optimized && Source) {
    TNodeArray nodes =
        Source->states_.Contains(tsOLEDragging) ? Source->DragSelection() : Source->GetSortedCutCopySet(true);
    nodes = TreeXfer::TopmostInOrder(*Source, nodes);
    bool backwards = Mode == amInsertAfter || Mode == amAddChildFirst;
    // Each move would renumber the rest of its lists; they are renumbered
    // once when the batch is done (before the update ends).
    struct DeferIndexes {
      TDataNodeStore& store;
      explicit DeferIndexes(TDataNodeStore& s) : store(s) { store.BeginDeferIndexes(); }
      ~DeferIndexes() { store.EndDeferIndexes(); }
    } defer{Source->store_};
    auto move = [&](PDataNode n) {
      if (n == TargetNode || HasAsParent(TargetNode, n)) return;
      Source->MoveTo(n, TargetNode, Mode, false);
    };
    if (backwards)
      for (size_t i = nodes.size(); i-- > 0;) move(nodes[i]);
    else
      for (PDataNode n : nodes) move(n);
    return true;
  }
  // The counted block first (the tree's own framing), else a stream.
  STGMEDIUM medium{};
  FORMATETC block = f;
  block.tymed = TYMED_HGLOBAL;
  if (FAILED(DataObject->GetData(&block, &medium)) && FAILED(DataObject->GetData(&f, &medium))) return false;
  // A block is read in place, bounded by its own size; a stream is gathered first.
  struct Held {
    STGMEDIUM& medium;
    bool locked = false;
    ~Held() {
      if (locked) GlobalUnlock(medium.hGlobal);
      ReleaseStgMedium(&medium);
    }
  } held{medium};
  std::vector<uint8_t> bytes;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (medium.tymed == TYMED_HGLOBAL) {
    SIZE_T total = GlobalSize(medium.hGlobal);
    auto* p = total >= 4 ? static_cast<const uint8_t*>(GlobalLock(medium.hGlobal)) : nullptr;
    if (!p) return false;
    held.locked = true;
    uint32_t declared;
    std::memcpy(&declared, p, 4);
    data = p + 4;
    size = std::min<size_t>(declared, total - 4);
  } else {
    if (!ReadTreeDataMedium(medium, bytes)) return false;
    data = bytes.data();
    size = bytes.size();
  }
  TOLEMemoryStream stream(data, int64_t(size));
  PDataNode anchor = TargetNode;
  TDTNodeAttachMode mode = Mode;
  while (stream.Position() < stream.Size()) {
    EnsureSlotSize();
    PDataNode n = MakeNewNodeFast();
    InternalConnectNode(n, anchor, mode);
    InternalAddFromStream(stream, 2, n);
    bool allowed = true;
    if (OnNodeCopying) OnNodeCopying(this, n, TargetNode, allowed);
    if (!allowed) {
      DeleteNode(n, true);
      continue;
    }
    // Several nodes inserted at one place keep their order.
    if (mode == amInsertAfter) anchor = n;
    if (mode == amAddChildFirst) {
      anchor = n;
      mode = amInsertAfter;
    }
    if (OnNodeCopied) OnNodeCopied(this, n);
    StructureChange(n, Source == this ? crNodeCopied : crNodeAdded);
  }
  return true;
}

bool TBaseDataTree::PasteFromClipboard() {
  if (options_->MiscOptions().Contains(toReadOnly)) return false;
  TreeXfer::StartOle();
  IDataObject* raw = nullptr;
  if (FAILED(OleGetClipboard(&raw)) || !raw)
    throw EDataTreeError("Clipboard operation failed.", kClipboardFailed);
  ComPtr<IDataObject> data = ComPtr<IDataObject>::Adopt(raw);
  TBaseDataTree* source = GetTreeFromDataObject(data.Get());
  bool optimized = source && source->states_.Contains(tsCutPending);
  bool result = InsertFromDataObject(source, data.Get(), focus_.Node(), DefaultPasteMode, optimized);
  if (source) {
    if (source == this)
      DoStateChange({}, {tsCutPending});
    else
      source->CancelCutOrCopy();
  }
  return result;
}

}  // namespace qv
