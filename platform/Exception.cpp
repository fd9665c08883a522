// Assertion failures carry the file and line where an invariant broke.
#include "platform/Exception.h"

#include <cstring>

namespace qv {

void AssertionFailure(const char* file, int line) {
  const char* slash = std::strrchr(file, '/');
  std::string name = slash ? slash + 1 : file;
  throw EAssertionFailed("Assertion failure (" + name + ", line " + std::to_string(line) + ")");
}

}  // namespace qv
