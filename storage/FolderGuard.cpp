// The guard of a database's folder (FolderGuard.h).
#include "storage/FolderGuard.h"

namespace qv {

int TFolderGuard::RefuseChange(const std::string& path) {
  if (int refused = inner_.RefuseChange(path)) return refused;
  return refuse_(path, TChange::ByName) ? kRefused : 0;
}

int TFolderGuard::RefuseWrite(const std::string& path, Write what) {
  if (int refused = inner_.RefuseWrite(path, what)) return refused;
  const TChange change = what == Write::Bytes        ? TChange::Bytes
                         : what == Write::Truncation ? TChange::Truncation
                                                     : TChange::Sync;
  return refuse_(path, change) ? kRefused : 0;
}

std::string TFolderGuard::RefusalText() {
  return reason_();
}

}  // namespace qv
