// The tree's state for editing, clipboard, drag and drop and hints, and the
// helpers that work on the node store for the stream reader and the mover.
#pragma once
#include <memory>
#include <vector>

#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeClipboard.h"
#include "datatree/DataTreeDragDrop.h"
#include "datatree/DataTreeHintWindow.h"

namespace qv {

class TDTEdit;

struct TDataTreeTransferState {
  // Editing.
  ComPtr<IDTEditLink> editLink;
  TColumnIndex editColumn = NoColumn;
  std::vector<TWinControl*> releasedEditors;
  bool armEdit = false, armDrag = false;
  POINT dragStart{};
  // Clipboard and data objects.
  std::unique_ptr<TClipboardFormats> clipboardFormats;
  std::vector<TDTDataObject*> dataObjects;   // live objects naming this tree
  TDTDataObject* clipboardObject = nullptr;  // the one this tree put on the clipboard
  uint32_t serial = 0;
  uint64_t nodesForgotten = 0;  // nodes taken out of the tree since it was made
  size_t cutCopyCount = 0;      // marked by the last copy or cut (fewer when some went since)
  // Drag and drop.
  ComPtr<IDTDragManager> dragManager;
  bool dropTargetRegistered = false;
  std::unique_ptr<TDTDragImage> dragImage;
  // The selected nodes when the drag began, in tree order. A million of them
  // are a walk through the whole tree: it is taken when first needed (a drop
  // on one of our trees, the end of a move) or before anything changes the
  // selection or the nodes, not as the drag starts.
  TNodeArray dragSelection;
  bool dragSelectionDue = false;
  TDropMode lastDropMode = dmNowhere;
  // Hints.
  RECT lastHintRect{};
  TDTHintData hintData;
};

// Node-store work of the stream reader and the mover.
struct TreeXfer {
  static uint32_t ReadBaseRecord(TStream& Stream, int Version, int ChunkSize, PDataNode Node);
  static PDataNode AppendLoadedChild(TBaseDataTree& Tree, PDataNode Parent);
  static void RebuildSubtreeTotals(TBaseDataTree& Tree, PDataNode Node);
  static void SettleLoadedSelection(TBaseDataTree& Tree, PDataNode Node);
  // The nodes of a set in tree order, without those below another listed node.
  static TNodeArray TopmostInOrder(TBaseDataTree& Tree, TNodeArray Nodes);
  static TBaseDataTree* TreeOfNode(PDataNode Node);
  static void RegisterDataObject(TBaseDataTree& Tree, TDTDataObject* Object);
  static void UnregisterDataObject(TBaseDataTree& Tree, TDTDataObject* Object);
  // The component library runs from the first tree that needs it to the end of the process.
  static void StartOle();
};

}  // namespace qv
