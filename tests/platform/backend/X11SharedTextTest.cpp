// The text one copy or drag offers other programs, made once and served in
// pieces: how far an answer's short time lets it get.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

// Gives `total` bytes of 'x', `per` at a time, counting its calls.
class CountingReader : public TextReader {
 public:
  CountingReader(size_t total, size_t per, int& calls) : left_(total), per_(per), calls_(calls) {}
  bool Next(std::string& out, size_t bytes) override {
    ++calls_;
    size_t n = std::min({left_, per_, std::max<size_t>(bytes, 1)});
    out.append(n, 'x');
    left_ -= n;
    return n > 0;
  }

 private:
  size_t left_, per_;
  int& calls_;
};

auto Past() {
  return std::chrono::steady_clock::now() - std::chrono::seconds(1);
}

TEST(SharedText, ASmallTextIsMadeWholeEvenWhenTheAnswersTimeIsUp) {
  // A busy machine can use up an answer's time before the first step ends;
  // a few bytes must still go in one property, not in pieces.
  int calls = 0;
  SharedText text(std::make_unique<CountingReader>(15, 1 << 20, calls));
  EXPECT_EQ(text.Reach(1 << 20, Past()), 15u);
  EXPECT_TRUE(text.Complete());
}

TEST(SharedText, ALargeTextStopsWhenTheAnswersTimeIsUp) {
  int calls = 0;
  SharedText text(std::make_unique<CountingReader>(size_t(64) << 20, 64 * 1024, calls));
  size_t size = text.Reach(size_t(32) << 20, Past());
  EXPECT_FALSE(text.Complete());
  EXPECT_LE(calls, 2);
  EXPECT_LT(size, size_t(1) << 20);
  // Without a time the whole of what was asked is made.
  EXPECT_GE(text.Reach(size_t(32) << 20), size_t(32) << 20);
}

}  // namespace
}  // namespace qv::x11
