// Quirvane's entry point. The windows come with the user interface; for now
// the program reports its version.
#include <cstdio>

#include "Version.h"

int main() {
  std::printf("Quirvane %s\n", QV_VERSION_TEXT);
  return 0;
}
