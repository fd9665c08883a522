// The pool of live records of a database, keyed by record ID: an
// open-addressing hash map that owns its records, with ascending-ID
// iteration for the flush.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/Values.h"

namespace qv {

class TXDataPool {
 public:
  TXDataPool() = default;
  ~TXDataPool();
  TXDataPool(const TXDataPool&) = delete;
  TXDataPool& operator=(const TXDataPool&) = delete;

  TXRecData* Find(int64_t id) const;  // nullptr when absent
  // Takes the record; its ID must not be pooled yet. Returns it.
  TXRecData* Insert(std::unique_ptr<TXRecData> rec);
  void Delete(int64_t id);  // frees the record; nothing when absent
  // Hands the record over to the caller (nullptr when absent).
  std::unique_ptr<TXRecData> Take(int64_t id);
  void Clear();  // frees every record
  std::size_t Count() const { return count_; }
  std::vector<TXRecData*> SortedByID() const;  // ascending signed ID
  // Position of the ID in ascending order, or -1 (linear time).
  int IndexOf(int64_t id) const;

 private:
  struct Slot {
    int64_t id;
    TXRecData* rec;  // nullptr: free slot
  };
  std::size_t Home(int64_t id) const;
  void Grow();
  void Place(Slot s);

  std::vector<Slot> slots_;  // capacity is a power of two
  std::size_t count_ = 0;
};

}  // namespace qv
