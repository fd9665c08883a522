// The program's compiled-in resources: files of a folder (our own PNG drawings
// under resources/) turned into byte arrays by qv_embed_resources() in
// cmake/Resources.cmake and registered by name at start-up. A name is the
// file's path below the folder without its extension: "checkbox/strip".
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Surface.h"

namespace qv {

struct ResourceEntry {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

// Called by the generated code before main(); later entries replace earlier
// ones of the same name.
void RegisterResources(const ResourceEntry* entries, size_t count);

// The resource's bytes, or null when there is none of that name. The view stays
// valid for the life of the program.
const std::string_view* FindResource(std::string_view name);
// Decodes a PNG (or BMP) resource; false when it is missing or does not decode.
bool LoadResourceSurface(std::string_view name, Surface& out, bool* hasAlpha = nullptr);
// Every registered name, sorted.
std::vector<std::string> ResourceNames();

}  // namespace qv
