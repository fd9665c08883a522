// TScanFeed: a batched single-producer, single-consumer hand-over of scanned
// entries.
#include "catalogue/ScanFeed.h"

namespace qv {

void TScanFeed::Put(TFileData* node) {
  if (node) count_.fetch_add(1, std::memory_order_relaxed);
  entries_.Put(node);
}

void TScanFeed::Close() {
  entries_.Close();
  closed_.store(true, std::memory_order_release);
}

TScanFeed::TTake TScanFeed::Take(TFileData*& node, int timeoutMs) {
  TFileData** item = nullptr;
  switch (entries_.Take(item, timeoutMs)) {
    case TBatchFeed<TFileData*>::TTake::Item:
      node = *item;
      return TTake::Entry;
    case TBatchFeed<TFileData*>::TTake::Waited:
      return TTake::Waited;
    default:
      return TTake::Ended;
  }
}

}  // namespace qv
