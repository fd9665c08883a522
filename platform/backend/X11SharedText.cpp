// Text that one copy or one drag offers, rendered once for every request and
// every piece: read from its source as transfers need more, or ahead of them
// in short steps while the windows have nothing else to do, and kept in
// blocks of a megabyte (a growing string would copy tens of megabytes at a
// time, a pause the windows would show).
#include <algorithm>
#include <cstring>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

constexpr size_t kBlock = size_t(1) << 20;

class FromStart : public TextReader {
 public:
  explicit FromStart(std::shared_ptr<SharedText> text) : text_(std::move(text)) {}
  bool Next(std::string& out, size_t bytes) override {
    bytes = std::max<size_t>(bytes, 1);
    size_t size = text_->Reach(at_ + bytes);
    if (at_ >= size) return false;
    size_t n = std::min(bytes, size - at_);
    text_->CopyOut(at_, n, out);
    at_ += n;
    return true;
  }

 private:
  std::shared_ptr<SharedText> text_;
  size_t at_ = 0;
};

}  // namespace

std::unique_ptr<TextReader> SharedText::ReadFromStart(std::shared_ptr<SharedText> text) {
  return std::make_unique<FromStart>(std::move(text));
}

SharedText::SharedText(std::unique_ptr<TextReader> source) : source_(std::move(source)) {}

SharedText::SharedText(const std::string& whole) {
  Append(whole.data(), whole.size());
}

void SharedText::Append(const char* data, size_t n) {
  while (n > 0) {
    if (blocks_.empty() || blocks_.back().size() == kBlock) {
      blocks_.emplace_back();
      blocks_.back().reserve(kBlock);
    }
    std::string& last = blocks_.back();
    size_t take = std::min(n, kBlock - last.size());
    last.append(data, take);
    data += take, n -= take, size_ += take;
  }
}

bool SharedText::Advance(size_t bytes) {
  if (!source_) return false;
  scratch_.clear();
  if (!source_->Next(scratch_, std::max<size_t>(bytes, 1))) source_.reset();
  Append(scratch_.data(), scratch_.size());
  scratch_.clear();
  return source_ != nullptr;
}

size_t SharedText::Reach(size_t end, std::chrono::steady_clock::time_point until) {
  using Clock = std::chrono::steady_clock;
  bool timed = until != Clock::time_point();
  // In timed steps a megabyte (some milliseconds) is too long a step.
  size_t step = timed ? kBlock / 4 : kBlock;
  // A text of one step is made whole whatever the clock says: its end shows
  // only at the call after its last bytes, and a requestor asking for a few
  // bytes must not get them in pieces because the machine was busy.
  int made = 0;
  while (size_ < end && Advance(std::min(end - size_, step)) &&
         !(timed && ++made >= 2 && Clock::now() >= until)) {
  }
  return size_;
}

void SharedText::CopyOut(size_t at, size_t n, std::string& out) const {
  n = std::min(n, size_ > at ? size_ - at : 0);
  while (n > 0) {
    const std::string& block = blocks_[at / kBlock];
    size_t offset = at % kBlock, take = std::min(n, block.size() - offset);
    out.append(block, offset, take);
    at += take, n -= take;
  }
}

char SharedText::At(size_t at) const {
  return blocks_[at / kBlock][at % kBlock];
}

}  // namespace qv::x11
