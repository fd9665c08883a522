// The tree stream: nodes as nested chunks (anchor, base record, user data,
// caption), saved to and loaded from any stream. The reader trusts nothing it
// reads: every size is checked against the bytes its chunk may hold, nesting
// is walked with an explicit stack, and counts are rebuilt from the links.
#include <cstring>

#include "classlib/Streams.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeTransfer.h"

namespace qv {

namespace {

constexpr char16_t kMagic0 = 0x2045, kMagic1 = u'V', kMagic2 = u'T', kMagic4 = u' ', kMagic5 = 0x2046;
constexpr int kCurrentVersion = 2;
constexpr int kChunkAnchor = 1, kChunkBase = 2, kChunkCaption = 3, kChunkUserData = 4;
constexpr int kBaseRecordSize = 17, kOldBaseRecordSize = 12;
// States never stored, and transient ones never taken from a stream.
constexpr uint16_t kStoredStates = 0xDDE9;
constexpr uint16_t kLoadedStates = kStoredStates & ~(vsClearing | vsToggling);
// Deeper nesting than any real tree; stops hostile data before the
// recursive walks elsewhere in the tree could overflow the stack.
constexpr size_t kMaxNestingDepth = 2048;

struct ChunkHeader {
  int32_t Type;
  int32_t Size;
};

[[noreturn]] void StreamError(int code) {
  switch (code) {
    case kStreamWrongFormat:
      throw EDataTreeError("Unable to load tree structure, the format is wrong.", code);
    case kStreamWrongVersion:
      throw EDataTreeError("Unable to load tree structure, the version is unknown.", code);
    case kStreamTooShort:
      throw EDataTreeError("Unable to load tree structure, not enough data available.", code);
    case kStreamNoAnchor:
      throw EDataTreeError("Stream data corrupt. A node's anchor chunk is missing.", code);
    default:
      throw EDataTreeError("Stream data corrupt. Unexpected data after node's end position.", kStreamBadEnd);
  }
}

// Reads a chunk header that must lie wholly before `limit`, with a size that
// keeps the chunk before `limit` too.
ChunkHeader ReadChunkHeader(TStream& S, int64_t limit) {
  if (limit - S.Position() < 8) StreamError(kStreamBadEnd);
  uint8_t raw[8];
  S.ReadBuffer(raw, 8);
  ChunkHeader h;
  std::memcpy(&h.Type, raw, 4);
  std::memcpy(&h.Size, raw + 4, 4);
  if (h.Size < 0 || h.Size > limit - S.Position()) StreamError(kStreamBadEnd);
  return h;
}

void WriteChunkHeader(TStream& S, int32_t type, int32_t size) {
  uint8_t raw[8];
  std::memcpy(raw, &type, 4);
  std::memcpy(raw + 4, &size, 4);
  S.WriteBuffer(raw, 8);
}

// Writes the chunk's final size into its header (the chunk started at `start`).
void PatchChunkSize(TStream& S, int64_t start) {
  int64_t end = S.Position();
  int32_t size = int32_t(end - start - 8);
  S.SetPosition(start + 4);
  S.WriteBuffer(&size, 4);
  S.SetPosition(end);
}

}  // namespace

// A window onto part of another stream: the owner's node handler sees its
// chunk's bytes and nothing beyond them.
class TChunkStream : public TStream {
 public:
  TChunkStream(TStream& base, int64_t start, int64_t size) : base_(base), start_(start), size_(size) {}
  int64_t Read(void* buffer, int64_t count) override {
    int64_t pos = base_.Position() - start_;
    if (pos < 0 || pos >= size_ || count <= 0) return 0;
    return base_.Read(buffer, std::min(count, size_ - pos));
  }
  int64_t Write(const void*, int64_t) override { throw EWriteError("Stream write error"); }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    int64_t pos = base_.Position() - start_;
    int64_t target = origin == TSeekOrigin::soBeginning ? offset
                     : origin == TSeekOrigin::soCurrent ? pos + offset
                                                        : size_ + offset;
    target = std::clamp<int64_t>(target, 0, size_);
    return base_.Seek(start_ + target, TSeekOrigin::soBeginning) - start_;
  }
  int64_t Size() override { return size_; }

 private:
  TStream& base_;
  int64_t start_, size_;
};

void TBaseDataTree::SaveToStream(TStream& Stream, PDataNode Node) {
  const char16_t header[6] = {kMagic0, kMagic1, kMagic2, char16_t(kCurrentVersion), kMagic4, kMagic5};
  Stream.WriteBuffer(header, sizeof header);
  if (Node && Node != root_) {
    uint32_t one = 1;
    Stream.WriteBuffer(&one, 4);
    WriteNode(Stream, Node);
    return;
  }
  uint32_t count = root_->ChildCount;
  Stream.WriteBuffer(&count, 4);
  for (PDataNode run = root_->FirstChild; run; run = run->NextSibling) WriteNode(Stream, run);
}

void TBaseDataTree::SaveToFile(const std::string& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(file);
}

void TBaseDataTree::WriteNode(TStream& Stream, PDataNode Node) {
  if (options_->MiscOptions().Contains(toInitOnSave)) {
    InitIfNeeded(Node);
    if (Node->Has(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
  }
  int64_t start = Stream.Position();
  WriteChunkHeader(Stream, kChunkAnchor, 0);
  WriteChunks(Stream, Node);
  PatchChunkSize(Stream, start);
}

void TBaseDataTree::WriteChunks(TStream& Stream, PDataNode Node) {
  int64_t start = Stream.Position();
  uint8_t raw[8 + kBaseRecordSize] = {};
  int32_t type = kChunkBase;
  uint32_t childCount = Node->ChildCount, height = Node->NodeHeight;
  uint16_t states = Node->LoadStates() & kStoredStates;
  bool withChildren = Node->Has(vsInitialized) && Node->FirstChild;
  int32_t leafSize = kBaseRecordSize;  // known at once when no children follow
  std::memcpy(raw, &type, 4);
  if (!withChildren) std::memcpy(raw + 4, &leafSize, 4);
  std::memcpy(raw + 8, &childCount, 4);
  std::memcpy(raw + 12, &height, 4);
  std::memcpy(raw + 16, &states, 2);
  raw[18] = Node->Align;
  raw[19] = Node->CheckState;
  raw[20] = Node->CheckType;
  Stream.WriteBuffer(raw, sizeof raw);
  if (withChildren) {
    for (PDataNode run = Node->FirstChild; run; run = run->NextSibling) WriteNode(Stream, run);
    PatchChunkSize(Stream, start);
  }

  if (OnSaveNode) {
    int64_t userStart = Stream.Position();
    WriteChunkHeader(Stream, kChunkUserData, 0);
    OnSaveNode(this, Node == root_ ? nullptr : Node, Stream);
    if (Stream.Position() == userStart + 8) {
      Stream.SetPosition(userStart);
      Stream.SetSize(userStart);
    } else {
      PatchChunkSize(Stream, userStart);
    }
  }
}

void TBaseDataTree::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead);
  LoadFromStream(file);
}

void TBaseDataTree::LoadFromStream(TStream& Stream) {
  if (options_->MiscOptions().Contains(toReadOnly)) return;
  Clear();
  char16_t header[6];
  if (Stream.Read(header, sizeof header) != int64_t(sizeof header)) StreamError(kStreamTooShort);
  if (header[0] != kMagic0 || header[1] != kMagic1 || header[2] != kMagic2 || header[5] != kMagic5)
    StreamError(kStreamWrongFormat);
  int version = header[3];
  if (version >= 3) StreamError(kStreamWrongVersion);
  BeginUpdate();
  struct EndUpdateGuard {
    TBaseDataTree* t;
    ~EndUpdateGuard() { t->EndUpdate(); }
  } guard{this};
  uint32_t count = 0x7FFFFFFF;
  if (version == 2) {
    if (Stream.Size() - Stream.Position() < 4) StreamError(kStreamTooShort);
    Stream.ReadBuffer(&count, 4);
  }
  EnsureSlotSize();
  int64_t size = Stream.Size();
  while (Stream.Position() < size && count > 0) {
    --count;
    PDataNode node = MakeNewNodeFast();
    InternalConnectNode(node, root_, amAddChildLast);
    InternalAddFromStream(Stream, version, node);
  }
  if (OnNodeCopied) OnNodeCopied(this, nullptr);
}

void TBaseDataTree::InternalAddFromStream(TStream& Stream, int Version, PDataNode Node) {
  DTAssert(Node && Node != root_, "Node must not be the hidden root node.");
  TakeDragSelection();  // read nodes may come selected
  PDataNode parent = Node->Parent;
  // Take the fresh node's share out of the counts; it goes back in, rebuilt
  // from the links, whatever the reader meets.
  // The worker must be out of the tree while the reader links children.
  InterruptValidation();
  if (IsNodeVisible(Node)) store_.AddVisible(-int64_t(CountVisibleChildren(Node) + 1));
  AdjustTotalCount(parent, -int64_t(Node->TotalCount), true);
  // The height goes to the parent as one change once the node is read, so
  // that a saturated parent total is summed again with the node's new height.
  int64_t heightBefore = parent->Has(vsExpanded) && Node->Has(vsVisible) ? int64_t(Node->TotalHeight) : 0;
  auto restore = [&] {
    TreeXfer::RebuildSubtreeTotals(*this, Node);
    AdjustTotalCount(parent, Node->TotalCount, true);
    int64_t heightAfter = parent->Has(vsExpanded) && Node->Has(vsVisible) ? int64_t(Node->TotalHeight) : 0;
    AdjustTotalHeight(parent, heightAfter - heightBefore, true);
    if (IsNodeVisible(Node)) store_.AddVisible(CountVisibleChildren(Node) + 1);
    DetermineHiddenChildrenFlag(parent);
    TreeXfer::SettleLoadedSelection(*this, Node);
    InvalidateCache();
  };
  try {
    ReadNode(Stream, Version, Node);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

// One node and its subtree. Each open anchor is a frame; a frame inside its
// base chunk reads the children the chunk holds, one anchor after another.
void TBaseDataTree::ReadNode(TStream& Stream, int Version, PDataNode Node) {
  struct Frame {
    PDataNode node;
    int64_t anchorEnd;
    int64_t baseEnd = -1;  // while the base chunk's children are read
    uint32_t childrenLeft = 0;
  };
  std::vector<Frame> stack;
  auto openAnchor = [&](PDataNode node, int64_t limit) {
    if (limit - Stream.Position() < 8) StreamError(kStreamNoAnchor);
    ChunkHeader h = ReadChunkHeader(Stream, limit);
    if (h.Type != kChunkAnchor) StreamError(kStreamNoAnchor);
    if (stack.size() >= kMaxNestingDepth)
      throw EDataTreeError("Stream data corrupt. The nodes are nested too deeply.", kStreamBadEnd);
    stack.push_back(Frame{node, Stream.Position() + h.Size});
  };
  EnsureSlotSize();
  openAnchor(Node, Stream.Size());
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.baseEnd >= 0) {
      if (top.childrenLeft > 0 && Stream.Position() < top.baseEnd) {
        --top.childrenLeft;
        PDataNode child = TreeXfer::AppendLoadedChild(*this, top.node);
        openAnchor(child, top.baseEnd);
        continue;
      }
      // Bytes the declared children do not account for are skipped.
      Stream.SetPosition(top.baseEnd);
      top.baseEnd = -1;
      continue;
    }
    if (Stream.Position() < top.anchorEnd) {
      ChunkHeader h = ReadChunkHeader(Stream, top.anchorEnd);
      int64_t chunkEnd = Stream.Position() + h.Size;
      if (h.Type == kChunkBase) {
        uint32_t children = TreeXfer::ReadBaseRecord(Stream, Version, h.Size, top.node);
        if (children > 0 && top.node->Has(vsInitialized)) {
          top.baseEnd = chunkEnd;
          top.childrenLeft = children;
          continue;
        }
      } else {
        ReadChunk(Stream, Version, top.node, h.Type, h.Size);
      }
      Stream.SetPosition(chunkEnd);
      continue;
    }
    if (Stream.Position() != top.anchorEnd) StreamError(kStreamBadEnd);
    stack.pop_back();
  }
}

bool TBaseDataTree::ReadChunk(TStream& Stream, int Version, PDataNode Node, int ChunkType, int ChunkSize) {
  (void)Version;
  int64_t start = Stream.Position();
  switch (ChunkType) {
    case kChunkBase:
      TreeXfer::ReadBaseRecord(Stream, Version, ChunkSize, Node);
      return true;
    case kChunkUserData:
      if (ChunkSize <= 0) return true;
      if (OnLoadNode) {
        TChunkStream part(Stream, start, ChunkSize);
        OnLoadNode(this, Node == root_ ? nullptr : Node, part);
      }
      Stream.SetPosition(start + ChunkSize);
      return true;
    default:
      Stream.SetPosition(start + ChunkSize);
      return false;
  }
}

void TBaseDataTree::SkipNode(TStream& Stream) {
  ChunkHeader h = ReadChunkHeader(Stream, Stream.Size());
  if (h.Type != kChunkAnchor) StreamError(kStreamNoAnchor);
  Stream.Seek(h.Size, TSeekOrigin::soCurrent);
}

// Helpers of the reader.

uint32_t TreeXfer::ReadBaseRecord(TStream& Stream, int Version, int ChunkSize, PDataNode Node) {
  uint8_t raw[kBaseRecordSize];
  uint32_t childCount, height;
  uint16_t states;
  int recordSize = Version >= 2 ? kBaseRecordSize : kOldBaseRecordSize;
  if (ChunkSize < recordSize) StreamError(kStreamBadEnd);
  Stream.ReadBuffer(raw, recordSize);
  std::memcpy(&childCount, raw, 4);
  std::memcpy(&height, raw + 4, 4);
  int at = 8;
  if (Version >= 2) {
    std::memcpy(&states, raw + 8, 2);
    at = 10;
  } else {
    uint8_t old = raw[8];
    states = uint16_t(old | vsVisible | ((old & 0x80) ? vsSelected : 0));
    at = 9;
  }
  uint16_t keep = Node->LoadStates() & ~kLoadedStates;
  __atomic_store_n(&Node->States, uint16_t(keep | (states & kLoadedStates)), __ATOMIC_RELAXED);
  Node->NodeHeight = uint16_t(height);
  Node->TotalHeight = Node->NodeHeight;
  Node->Align = raw[at];
  Node->CheckState = raw[at + 1] <= csMixedPressed ? raw[at + 1] : uint8_t(csUncheckedNormal);
  Node->CheckType = raw[at + 2] <= ctButton ? raw[at + 2] : uint8_t(ctNone);
  // An uninitialised node's children are not in the stream; it keeps its
  // has-children flag and asks its owner for them when it is initialised.
  if (childCount > 0) Node->Include(vsHasChildren);
  return Node->Has(vsInitialized) ? childCount : 0;
}

PDataNode TreeXfer::AppendLoadedChild(TBaseDataTree& Tree, PDataNode Parent) {
  PDataNode child = Tree.MakeNewNodeFast();
  child->Parent = Parent;
  child->PrevSibling = Parent->LastChild;
  child->Index = Parent->LastChild ? Parent->LastChild->Index + 1 : 0;
  if (Parent->LastChild)
    Parent->LastChild->NextSibling = child;
  else
    Parent->FirstChild = child;
  Parent->LastChild = child;
  ++Parent->ChildCount;  // raised only as children are linked
  Parent->Include(vsHasChildren);
  return child;
}

// Post-order over the subtree without recursion: counts and heights from the links.
void TreeXfer::RebuildSubtreeTotals(TBaseDataTree&, PDataNode Node) {
  PDataNode run = Node;
  while (run->FirstChild) run = run->FirstChild;
  for (;;) {
    uint32_t count = 1;
    uint64_t height = run->NodeHeight;
    bool expanded = run->Has(vsExpanded);
    for (PDataNode c = run->FirstChild; c; c = c->NextSibling) {
      count += c->TotalCount;
      if (expanded && c->Has(vsVisible)) height += c->TotalHeight;
    }
    run->TotalCount = count;
    run->TotalHeight = TDataNodeStore::ClampHeight(height);
    if (run->ChildCount == 0 && run->Has(vsExpanded) && !run->Has(vsHasChildren)) run->Exclude(vsExpanded);
    if (run == Node) break;
    if (run->NextSibling) {
      run = run->NextSibling;
      while (run->FirstChild) run = run->FirstChild;
    } else {
      run = run->Parent;
    }
  }
}

// Nodes read with the selected bit join the selection in one batch (with
// multi-selection) or lose the bit; the walk stays inside Node's subtree.
void TreeXfer::SettleLoadedSelection(TBaseDataTree& Tree, PDataNode Node) {
  bool multi = Tree.TreeOptions()->SelectionOptions().Contains(toMultiSelect);
  TNodeArray queued;
  PDataNode run = Node;
  for (;;) {
    if (run->Has(vsSelected)) {
      int index;
      if (multi && !Tree.FindNodeInSelection(run, index)) {
        run->Exclude(vsSelected);
        queued.push_back(run);
      } else if (!multi) {
        run->Exclude(vsSelected);
      }
    }
    if (run->FirstChild) {
      run = run->FirstChild;
      continue;
    }
    while (run != Node && !run->NextSibling) run = run->Parent;
    if (run == Node) break;
    run = run->NextSibling;
  }
  if (!queued.empty()) Tree.AddToSelectionList(queued, true);
}

}  // namespace qv
