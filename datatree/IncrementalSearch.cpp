// The incremental search walk: from the start node (focused, last hit or
// none) in the search direction, wrapping round, until a node's text starts
// with the typed text; the same key typed again steps to the next match.
#include "datatree/IncrementalSearch.h"

#include "datatree/BaseDataTree.h"

namespace qv {

PDataNode TIncrementalSearch::Step(PDataNode Node, TDTIncrementalSearch Mode, bool Forward) const {
  TBaseDataTree& t = tree_;
  switch (Mode) {
    case isInitializedOnly: {
      PDataNode r = Forward ? t.GetNextNoInit(Node) : t.GetPreviousNoInit(Node);
      while (r && !r->Has(vsInitialized)) r = Forward ? t.GetNextNoInit(r) : t.GetPreviousNoInit(r);
      return r;
    }
    case isVisibleOnly:
      return Forward ? t.GetNextVisible(Node) : t.GetPreviousVisible(Node);
    default:
      return Forward ? t.GetNext(Node) : t.GetPrevious(Node);
  }
}

PDataNode TIncrementalSearch::First(TDTIncrementalSearch Mode, bool Forward) const {
  TBaseDataTree& t = tree_;
  switch (Mode) {
    case isInitializedOnly:
      return Forward ? t.GetFirstInitialized() : t.GetLastNoInit();
    case isVisibleOnly:
      return Forward ? t.GetFirstVisible() : t.GetLastVisible();
    default:
      return Forward ? t.GetFirst() : t.GetLast();
  }
}

PDataNode TIncrementalSearch::Key(char16_t Key, TDTIncrementalSearch Mode, TDTSearchStart Start,
                                  TDTSearchDirection Direction, PDataNode Focused, bool& Failed) {
  Failed = false;
  bool backspace = Key == 8;
  if (backspace && buffer_.size() <= 1) {
    buffer_.clear();
    return nullptr;
  }
  PDataNode start = Start == ssAlwaysStartOver ? nullptr : Start == ssLastHit ? lastHit_ : Focused;
  if (start && ((Mode == isInitializedOnly && !start->Has(vsInitialized)) ||
                (Mode == isVisibleOnly && !tree_.IsNodeVisible(start))))
    start = nullptr;
  PDataNode stop = start;
  bool forward = (Direction == sdForward) != backspace;
  bool sameChar = buffer_.size() == 1 && !backspace && Key == buffer_[0];
  if (sameChar && start && tree_.DoIncrementalSearch(start, buffer_ + Key) == 0) sameChar = false;
  PDataNode candidate = start;
  if (buffer_.empty() || !start || sameChar || backspace) {
    candidate = start ? Step(start, Mode, forward) : nullptr;
    if (!candidate) candidate = First(Mode, forward);
  }
  if (!candidate) return nullptr;
  std::u16string text = sameChar    ? buffer_
                        : backspace ? buffer_.substr(0, buffer_.size() - 1)
                                    : buffer_ + Key;
  if (backspace) buffer_ = text;
  PDataNode found = nullptr;
  PDataNode begin = candidate;
  for (;;) {
    if (tree_.DoIncrementalSearch(candidate, text) == 0) {
      found = candidate;
      break;
    }
    PDataNode next = Step(candidate, Mode, forward);
    if (!next) next = First(Mode, forward);
    candidate = next;
    if (!candidate || candidate == stop || candidate == begin) break;
  }
  if (!found) {
    Failed = true;
    return nullptr;
  }
  found_ = text;
  return found;
}

}  // namespace qv
