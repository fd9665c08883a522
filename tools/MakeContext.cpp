// Writes the catalogue schema file "Quirvane.ctx" with the storage engine's own
// context writer. Run at build time; the file is installed beside the program.
#include <cstdio>

#include "catalogue/Schema.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  qv::TContext context;
  qv::BuildCatalogueContext(context);
  std::string error;
  if (!qv::CheckCatalogueSchema(context, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!context.SaveToFile(argv[1])) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], context.LastError.c_str());
    return 1;
  }
  return 0;
}
