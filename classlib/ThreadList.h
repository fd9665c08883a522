// TThreadList: a list of pointers shared between threads. LockList hands out
// the list under the lock until UnlockList; the other calls lock for
// themselves.
#pragma once
#include <mutex>
#include <vector>

#include "classlib/Object.h"
#include "classlib/Strings.h"

namespace qv {

class TThreadList : public TObject {
 public:
  using TList = std::vector<void*>;

  TDuplicates Duplicates = dupIgnore;

  // Holds the lock until UnlockList (the same thread may lock again).
  TList* LockList();
  void UnlockList();
  // Adds Item unless Duplicates says otherwise (dupError throws EListError).
  void Add(void* Item);
  void Remove(void* Item);  // the first occurrence, if any
  void Clear();
  int Count();

 private:
  std::recursive_mutex mutex_;
  TList list_;
};

}  // namespace qv
