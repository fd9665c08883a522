// TXBase::BatchItem: one record of a batch of chains written together, at a
// flush or ahead of it. Internal to the database's own files.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <cstddef>
#include <cstdint>

#include "storage/Base.h"

namespace qv {

struct TXBase::BatchItem {
  TXRecData* record;
  TXGIndexRec entry;
  std::size_t offset;  // in the batch's bytes
  std::size_t length;  // stored length (padded when enciphered)
  uint32_t checksum;
};

}  // namespace qv
