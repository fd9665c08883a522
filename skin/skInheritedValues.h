// TSkInheritedValues: the values of a skin description with PARENTCLASS
// inheritance resolved once per key, so that a load costs time linear in the
// description whatever the shape of its parent chains.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "skin/skIniText.h"

namespace qv {

class TSkInheritedValues {
 public:
  explicit TSkInheritedValues(const TSkIniText& Ini);
  const TSkIniText& Ini() const { return ini_; }
  // The integer of Key in the section (or the nearest ancestor that has one
  // other than -1), else Default.
  int32_t Integer(const std::string& Section, const char* Key, int32_t Default);
  // The text of Key in the section (or the nearest ancestor that has one
  // other than "?"), else Default.
  std::string Text(const std::string& Section, const char* Key, const std::string& Default);

 private:
  // One key resolved over all sections: the own value, else the parent's.
  template <class V>
  struct Chain {
    std::vector<std::optional<V>> value;  // resolved, nullopt = missing along the whole chain
    std::vector<uint8_t> state;           // 0 not yet, 1 on the walk in progress, 2 resolved
  };
  template <class V, class Own>
  std::optional<V> Resolve(Chain<V>& C, size_t Index, Own&& OwnValue);

  const TSkIniText& ini_;
  std::vector<int> parent_;  // first section of the parent's name, or -1
  std::map<std::string, Chain<int32_t>> integers_;
  std::map<std::string, Chain<std::string>> texts_;
};

}  // namespace qv
