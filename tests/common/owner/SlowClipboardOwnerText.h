// The megabyte of text the slow clipboard owner of the paste tests serves.
#pragma once
#include <cstdio>
#include <string>

namespace qv::test {

inline std::string SlowClipboardOwnerText() {
  std::string text;
  char line[64];
  for (int i = 0; text.size() < (1u << 20); ++i) {
    std::snprintf(line, sizeof line, "line %06d of another program's copy\n", i);
    text += line;
  }
  return text;
}

}  // namespace qv::test
