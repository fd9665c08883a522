// The guard of a database's folder (FolderGuard.h).
#include "storage/FolderGuard.h"

#include <errno.h>

namespace qv {

int TFolderGuard::RefuseChange(const std::string& path) {
  if (int refused = inner_.RefuseChange(path)) return refused;
  // The system's nearest word for it; the database says it in its own.
  return refuse_(path, false) ? ESTALE : 0;
}

int TFolderGuard::RefuseWrite(const std::string& path) {
  if (int refused = inner_.RefuseWrite(path)) return refused;
  return refuse_(path, true) ? ESTALE : 0;
}

}  // namespace qv
