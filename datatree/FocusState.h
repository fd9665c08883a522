// Where the user is in the tree: the focused node and column, the node a
// range selection extends from (its anchor) and the node under the mouse
// (the hot node). The tree decides when each changes, asking and telling
// through its events; this part holds them and lets go of nodes that go.
#pragma once
#include "datatree/DataTreeTypes.h"

namespace qv {

class TFocusState {
 public:
  PDataNode Node() const { return node_; }
  void SetNode(PDataNode Node) { node_ = Node; }
  TColumnIndex Column() const { return column_; }
  void SetColumn(TColumnIndex Column) { column_ = Column; }
  PDataNode Anchor() const { return anchor_; }
  void SetAnchor(PDataNode Node) { anchor_ = Node; }
  PDataNode Hot() const { return hot_; }
  // Node becomes the hot node; returns the one it replaces.
  PDataNode SetHot(PDataNode Node);

  // Node is going away: it stops being the hot node. Focus and anchor are
  // moved by the tree itself, since their changes are announced.
  void ForgetHot(PDataNode Node);
  // Every node goes at once: no node keeps a role, the column stays.
  void DropNodes() { node_ = anchor_ = hot_ = nullptr; }

 private:
  PDataNode node_ = nullptr;
  TColumnIndex column_ = NoColumn;
  PDataNode anchor_ = nullptr;
  PDataNode hot_ = nullptr;
};

}  // namespace qv
