// Registered clipboard format names. Ids are never reused, so a format id
// stays meaningful for the life of the process.
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ole/Clipboard.h"

namespace qv {
namespace {

struct Registry {
  std::mutex lock;
  std::vector<std::u16string> names;  // index + kFirstRegisteredFormat = id
};

Registry& R() {
  static Registry r;
  return r;
}

char16_t Fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

constexpr size_t kMaxFormats = 0x10000 - kFirstRegisteredFormat;

}  // namespace

UINT RegisterClipboardFormatW(const char16_t* name) {
  if (!name || !*name) return 0;
  std::u16string key(name);
  std::lock_guard<std::mutex> l(R().lock);
  auto& names = R().names;
  for (size_t i = 0; i < names.size(); ++i)
    if (SameName(names[i], key)) return UINT(kFirstRegisteredFormat + i);
  if (names.size() >= kMaxFormats) return 0;
  names.push_back(std::move(key));
  return UINT(kFirstRegisteredFormat + names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, char16_t* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  std::lock_guard<std::mutex> l(R().lock);
  if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= R().names.size()) {
    buffer[0] = 0;
    return 0;
  }
  const auto& name = R().names[format - kFirstRegisteredFormat];
  int n = int(std::min<size_t>(name.size(), size_t(maxCount - 1)));
  name.copy(buffer, size_t(n));
  buffer[n] = 0;
  return n;
}

}  // namespace qv
