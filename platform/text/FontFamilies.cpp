// Listing families through fontconfig. The mapped names ("Tahoma", "Arial"...)
// are listed too, since settings and forms ask for them by those names.
#include "platform/text/FontFamilies.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

namespace qv {

namespace {

std::string Lower(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string> InstalledFamilies() {
  std::vector<std::string> names;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* family = nullptr;
      // A font may carry its family in several languages; the first is the default name.
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
        names.emplace_back(reinterpret_cast<const char*>(family));
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return names;
}

}  // namespace

std::vector<std::string> FontFamilyNames() {
  std::vector<std::string> names = InstalledFamilies();
  for (const char* mapped : {"Arial", "Courier New", "MS Sans Serif", "Tahoma", "Times New Roman"})
    names.emplace_back(mapped);
  auto less = [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); };
  auto same = [](const std::string& a, const std::string& b) { return Lower(a) == Lower(b); };
  std::sort(names.begin(), names.end(), less);
  names.erase(std::unique(names.begin(), names.end(), same), names.end());
  return names;
}

}  // namespace qv
