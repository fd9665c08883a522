// The resource registry: filled once by the generated tables' static
// initialisers, read-only afterwards.
#include "platform/image/Resources.h"

#include <map>
#include <mutex>

#include "platform/image/Bmp.h"
#include "platform/image/Png.h"

namespace qv {
namespace {

struct Registry {
  std::mutex Lock;
  std::map<std::string, std::string_view, std::less<>> Entries;  // node-based: views keep their address
};

// A function-local static, so registration works whatever the order of static initialisation.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterResources(const ResourceEntry* entries, size_t count) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (size_t i = 0; i < count; ++i)
    r.Entries[entries[i].Name] =
        std::string_view(reinterpret_cast<const char*>(entries[i].Data), entries[i].Size);
}

const std::string_view* FindResource(std::string_view name) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  auto it = r.Entries.find(name);
  return it == r.Entries.end() ? nullptr : &it->second;
}

bool LoadResourceSurface(std::string_view name, Surface& out, bool* hasAlpha) {
  const std::string_view* bytes = FindResource(name);
  if (!bytes) return false;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
  if (bytes->size() >= 2 && bytes->substr(0, 2) == "BM") {
    BmpInfo info;
    if (!DecodeBmp(data, bytes->size(), out, nullptr, &info)) return false;
    if (hasAlpha) *hasAlpha = info.HasAlpha;
    return true;
  }
  return DecodePng(data, bytes->size(), out, nullptr, hasAlpha);
}

std::vector<std::string> ResourceNames() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.Lock);
  std::vector<std::string> names;
  for (const auto& entry : r.Entries) names.push_back(entry.first);
  return names;
}

}  // namespace qv
