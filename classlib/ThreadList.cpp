// TThreadList: a vector of pointers behind a recursive mutex.
#include "classlib/ThreadList.h"

#include <algorithm>

namespace qv {

TThreadList::TList* TThreadList::LockList() {
  mutex_.lock();
  return &list_;
}

void TThreadList::UnlockList() {
  mutex_.unlock();
}

void TThreadList::Add(void* Item) {
  std::lock_guard lock(mutex_);
  if (Duplicates != dupAccept && std::find(list_.begin(), list_.end(), Item) != list_.end()) {
    if (Duplicates == dupError) throw EListError("List does not allow duplicates");
    return;
  }
  list_.push_back(Item);
}

void TThreadList::Remove(void* Item) {
  std::lock_guard lock(mutex_);
  if (auto it = std::find(list_.begin(), list_.end(), Item); it != list_.end()) list_.erase(it);
}

void TThreadList::Clear() {
  std::lock_guard lock(mutex_);
  list_.clear();
}

int TThreadList::Count() {
  std::lock_guard lock(mutex_);
  return int(list_.size());
}

}  // namespace qv
