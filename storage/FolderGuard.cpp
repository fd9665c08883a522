// The guard of a database's folder (FolderGuard.h).
#include "storage/FolderGuard.h"

#include <errno.h>

namespace qv {

int TFolderGuard::RefuseChange(const std::string& path) {
  if (int refused = inner_.RefuseChange(path)) return refused;
  // The file this session locked is not where it was: the system's nearest
  // word for it. The database says it in its own words.
  return refuse_(path) ? ESTALE : 0;
}

}  // namespace qv
