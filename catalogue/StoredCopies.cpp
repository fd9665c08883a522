// The stored copies a folder compare keeps per name.
#include "catalogue/StoredCopies.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace qv {

namespace {

// Lists this short are walked: searching them costs more than it saves.
constexpr std::size_t kWalked = 16;

}  // namespace

void TStoredCopies::Spelling::Index() {
  ByFacts.clear();
  if (Copies.size() <= kWalked) return;
  for (std::size_t i = 0; i < Copies.size(); ++i)
    if (!std::isnan(Copies[i].Date)) ByFacts.push_back(uint32_t(i));  // never equal to a date
  std::sort(ByFacts.begin(), ByFacts.end(), [this](uint32_t a, uint32_t b) {
    return std::tie(Copies[a].Date, Copies[a].Size, a) < std::tie(Copies[b].Date, Copies[b].Size, b);
  });
}

void TStoredCopies::Spelling::Matching(double date, int64_t size, std::vector<uint32_t>& positions) const {
  positions.clear();
  if (Copies.size() <= kWalked) {
    for (std::size_t i = 0; i < Copies.size(); ++i)
      if (Copies[i].Date == date && Copies[i].Size == size) positions.push_back(uint32_t(i));
    return;
  }
  // Ties stand in position order, so the run comes out ascending.
  auto before = [this](uint32_t at, const std::pair<double, int64_t>& key) {
    return std::tie(Copies[at].Date, Copies[at].Size) < std::tie(key.first, key.second);
  };
  auto after = [this](const std::pair<double, int64_t>& key, uint32_t at) {
    return std::tie(key.first, key.second) < std::tie(Copies[at].Date, Copies[at].Size);
  };
  const std::pair<double, int64_t> key{date, size};
  auto lo = std::lower_bound(ByFacts.begin(), ByFacts.end(), key, before);
  auto hi = std::upper_bound(lo, ByFacts.end(), key, after);
  positions.assign(lo, hi);
}

void TStoredCopies::CountNames(const TFileData* node) {
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* child = node->GetChild(i);
    if (child->Kind == TFileData::kFile)
      ++left_[child->Name];
    else
      CountNames(child);
  }
}

TStoredCopies::Name& TStoredCopies::For(std::string_view name, Name& single) {
  if (auto kept = kept_.find(name); kept != kept_.end()) return kept->second;
  auto it = left_.find(name);
  if (it == left_.end() || it->second <= 1) return single;
  return kept_[name];
}

void TStoredCopies::Compared(std::string_view name) {
  auto it = left_.find(name);
  if (it == left_.end() || --it->second > 0) return;
  left_.erase(it);
  kept_.erase(name);  // a name kept for its later files
}

}  // namespace qv
