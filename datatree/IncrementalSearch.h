// Incremental search of the data tree: the typed text, the last node found,
// and the walk that finds the next node whose text starts with what was
// typed. The tree owns one and moves focus and selection to what it finds;
// the search sees only the tree's public walks and its text comparison.
#pragma once
#include <string>

#include "datatree/DataTreeTypes.h"

namespace qv {

class TBaseDataTree;

class TIncrementalSearch {
 public:
  explicit TIncrementalSearch(TBaseDataTree& Tree) : tree_(Tree) {}

  const std::u16string& Buffer() const { return buffer_; }
  PDataNode LastHit() const { return lastHit_; }
  void Reset() {
    buffer_.clear();
    lastHit_ = nullptr;
  }
  void ForgetLastHit() { lastHit_ = nullptr; }
  void ForgetNode(PDataNode Node) {
    if (lastHit_ == Node) lastHit_ = nullptr;
  }
  // One typed key (8 takes the last character back). Returns the node that
  // matches the text now typed, or nullptr; Failed is set when a search ran
  // and found nothing. A node found becomes the last hit, and the text the
  // typed text, with Accept (after the tree has cleared its selection).
  PDataNode Key(char16_t Key, TDTIncrementalSearch Mode, TDTSearchStart Start, TDTSearchDirection Direction,
                PDataNode Focused, bool& Failed);
  void Accept(PDataNode Found) {
    buffer_ = found_;
    lastHit_ = Found;
  }

 private:
  // The next node in the search's order (nullptr at the end) and the first one.
  PDataNode Step(PDataNode Node, TDTIncrementalSearch Mode, bool Forward) const;
  PDataNode First(TDTIncrementalSearch Mode, bool Forward) const;

  TBaseDataTree& tree_;
  std::u16string buffer_;
  std::u16string found_;  // the text of the last match, until accepted
  PDataNode lastHit_ = nullptr;
};

}  // namespace qv
