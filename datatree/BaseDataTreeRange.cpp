// The content width of a tree without columns: the widest row of the whole
// tree, kept up to date as rows are initialised, changed, added or removed,
// not only the rows painted so far.
#include <algorithm>

#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "platform/window/MessageQueue.h"

namespace qv {

namespace {
// More rows initialised at once than this are measured by one walk instead.
constexpr std::size_t kPendingRowsLimit = 1024;

// A row is measured once its data exists: asking an uninitialised row for
// its text would initialise every row of the tree.
bool HasData(PDataNode Node) {
  return Node->Has(vsInitialized) || Node->Has(vsInitialUserData);
}
}  // namespace

int TBaseDataTree::NodeExtent(PDataNode Node) {
  // As the row is painted: indentation, margin, check and images, the text
  // with its margins, and the margin behind it.
  int x = GetNodeIndent(Node) + margin_;
  if (options_->MiscOptions().Contains(toCheckSupport) && checkImages_ && Node->CheckType != ctNone)
    x += CheckImageWidth() + 2;
  if (stateImages_ && HasImage(Node, ikState, NoColumn)) x += stateImages_->Width() + 2;
  if (images_ && HasImage(Node, ikNormal, NoColumn)) x += images_->Width() + 2;
  return x + DoGetNodeWidth(Node, NoColumn) + 2 * textMargin_ + margin_;
}

void TBaseDataTree::NodeWidthsChanged() {
  rangeXStale_ = true;
  rangeXPending_.clear();
  widestRow_ = nullptr;
  RequestRangeXUpdate();
}

void TBaseDataTree::NodeWidthMayGrow(PDataNode Node, bool WithSubtree) {
  if (rangeXStale_ || header_->UseColumns()) return;
  if (rangeXPending_.size() >= kPendingRowsLimit) return NodeWidthsChanged();
  rangeXPending_.push_back({Node, WithSubtree});
  RequestRangeXUpdate();
}

// Only the loss of the widest row narrows the content: then every row is
// measured again, else the range stands.
void TBaseDataTree::RowsLeaveView(PDataNode Node, bool WithNode) {
  if (rangeXStale_ || !widestRow_) return;
  if (!store_.Owns(widestRow_) || (WithNode && widestRow_ == Node) || Node == root_ ||
      HasAsParent(widestRow_, Node))
    NodeWidthsChanged();
}

// Rows are measured once the current message is done: a new row's data may
// still be in the making, and a run of changes is measured only once.
void TBaseDataTree::RequestRangeXUpdate() {
  if (rangeXPosted_ || !HandleAllocated() || IsDestroying() || header_->UseColumns()) return;
  if (!rangeXStale_ && rangeXPending_.empty()) return;
  rangeXPosted_ = true;
  PostMessageW(Handle(), WM_CHANGESTATE, 0, 0);
}

void TBaseDataTree::MeasureRows(PDataNode From, PDataNode To) {
  for (PDataNode n = From; n && n != To; n = GetNextVisibleNoInit(n)) {
    if (!HasData(n)) continue;
    int extent = NodeExtent(n);
    if (extent > nodesRangeX_ || !widestRow_) {
      nodesRangeX_ = std::max(nodesRangeX_, extent);
      widestRow_ = n;
    }
  }
}

void TBaseDataTree::RefreshNodesRangeX() {
  // Measuring may initialise a row, and initialising may change the tree:
  // such a change is measured by the next refresh.
  if (measuringRangeX_ || updateCount_ > 0 || header_->UseColumns()) return;
  measuringRangeX_ = true;
  if (rangeXStale_) {
    rangeXStale_ = false;
    rangeXPending_.clear();
    nodesRangeX_ = 0;
    widestRow_ = nullptr;
    MeasureRows(GetFirstVisibleNoInit(), nullptr);
    // Painting measures its rows again; the range may narrow until then.
    rangeXSeen_ = rangeXShown_ = 0;
  } else if (!rangeXPending_.empty()) {
    std::vector<std::pair<PDataNode, bool>> rows;
    rows.swap(rangeXPending_);
    // A row deleted since is no longer in the store; a slot used again holds
    // a row of this tree, which may be measured as well. A row without data
    // yet counts once it is initialised.
    for (auto [n, subtree] : rows) {
      if (!store_.Owns(n) || n == root_ || !IsNodeVisible(n)) continue;
      PDataNode end = n;
      if (subtree) {
        PDataNode last = GetLastVisibleNoInit(n);
        end = last ? last : n;
      }
      MeasureRows(n, GetNextVisibleNoInit(end));
    }
  }
  measuringRangeX_ = false;
}

}  // namespace qv
