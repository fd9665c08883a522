// Inherited values of a skin description, each resolved once.
#include "skin/skInheritedValues.h"

namespace qv {

TSkInheritedValues::TSkInheritedValues(const TSkIniText& Ini) : ini_(Ini), parent_(Ini.SectionCount(), -1) {
  for (size_t i = 0; i < parent_.size(); ++i) {
    const std::string* p = ini_.Value(i, "PARENTCLASS");
    // A section naming itself ends the chain; so does a name of no section.
    if (!p || p->empty() || *p == "?" || *p == ini_.SectionName(i)) continue;
    parent_[i] = ini_.SectionIndex(*p);
  }
}

// Walks up from Index until a section with its own value, an ancestor already
// resolved, the end of the chain or a cycle; every section passed gets the
// value found. Each section is walked once per key.
template <class V, class Own>
std::optional<V> TSkInheritedValues::Resolve(Chain<V>& C, size_t Index, Own&& OwnValue) {
  if (C.state.empty()) C.state.assign(parent_.size(), 0), C.value.assign(parent_.size(), std::nullopt);
  std::vector<size_t> walked;
  std::optional<V> found;
  for (int i = int(Index); i >= 0; i = parent_[size_t(i)]) {
    const size_t at = size_t(i);
    if (C.state[at] == 2) {
      found = C.value[at];
      break;
    }
    if (C.state[at] == 1) break;  // a cycle: no section on it has the key
    C.state[at] = 1;
    walked.push_back(at);
    found = OwnValue(at);
    if (found) break;
  }
  for (size_t at : walked) C.value[at] = found, C.state[at] = 2;
  return found;
}

int32_t TSkInheritedValues::Integer(const std::string& Section, const char* Key, int32_t Default) {
  const int i = ini_.SectionIndex(Section);
  if (i < 0) return Default;
  auto own = [&](size_t at) -> std::optional<int32_t> {
    const std::string* v = ini_.Value(at, Key);
    const int32_t n = v ? TSkIniText::IntegerValue(*v, -1) : -1;
    return n == -1 ? std::nullopt : std::optional<int32_t>(n);
  };
  return Resolve(integers_[Key], size_t(i), own).value_or(Default);
}

std::string TSkInheritedValues::Text(const std::string& Section, const char* Key,
                                     const std::string& Default) {
  const int i = ini_.SectionIndex(Section);
  if (i < 0) return Default;
  auto own = [&](size_t at) -> std::optional<std::string> {
    const std::string* v = ini_.Value(at, Key);
    return !v || *v == "?" ? std::nullopt : std::optional<std::string>(*v);
  };
  return Resolve(texts_[Key], size_t(i), own).value_or(Default);
}

}  // namespace qv
