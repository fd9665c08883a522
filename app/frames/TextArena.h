// Texts of many rows kept back to back in large blocks: appending one costs
// a copy, no allocation of its own, and all are freed at once. A text is
// known by its offset and length.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace qv {

class TTextArena {
 public:
  struct Ref {
    uint32_t Offset = 0;
    uint32_t Length = 0;
  };

  Ref Add(std::string_view text) {
    // Longer texts than a block are cut; no name or path comes near it.
    if (text.size() > kBlock) text = text.substr(0, kBlock);
    if (blocks_.empty() || used_ + text.size() > kBlock) {
      blocks_.push_back(std::make_unique<char[]>(kBlock));
      used_ = 0;
    }
    Ref r{uint32_t((blocks_.size() - 1) * kBlock + used_), uint32_t(text.size())};
    if (!text.empty()) std::memcpy(blocks_.back().get() + used_, text.data(), text.size());
    used_ += text.size();
    return r;
  }
  std::string_view Get(Ref r) const {
    return std::string_view(blocks_[r.Offset / kBlock].get() + r.Offset % kBlock, r.Length);
  }
  void Clear() {
    blocks_.clear();
    used_ = 0;
  }
  std::size_t Bytes() const { return blocks_.size() * kBlock; }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0;
};

}  // namespace qv
