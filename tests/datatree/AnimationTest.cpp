// Animations on a clock the test drives: the step loop keeps within its
// duration, ends with the end signal, and the animated toggle of a node runs
// to its end and leaves the tree as a plain toggle would.
#include "TreeTestSupport.h"

namespace qv::test {
namespace {

// Each wait moves the clock to the deadline, plus an overshoot.
class TestClock : public TAnimationClock {
 public:
  DWORD now = 5000;
  int overshoot = 0;
  int waits = 0;
  std::function<void()> onWait;  // looks at the screen between two steps
  DWORD Now() override { return now; }
  void WaitUntil(DWORD Deadline) override {
    ++waits;
    if (onWait) onWait();
    if (int32_t(Deadline - now) > 0) now = Deadline;
    now += DWORD(overshoot);
  }
};

struct Call {
  int step, size;
};

class Animation : public TreeTest {
 protected:
  std::vector<Call> Run(TBaseDataTree* t, int steps, int duration) {
    std::vector<Call> calls;
    t->Animate(
        steps, duration,
        [&](int s, int size, void*) {
          calls.push_back({s, size});
          return true;
        },
        nullptr);
    return calls;
  }
  TestClock clock;
};

TEST_F(Animation, StepsSpreadOverTheDurationAndEndWithTheEndSignal) {
  TDataStringTree* t = NewTree();
  t->SetAnimationClock(&clock);
  std::vector<bool> inAnimation;
  t->OnStateChange = [&](TBaseDataTree*, TDataTreeStates enter, TDataTreeStates leave) {
    if (enter.Contains(tsInAnimation)) inAnimation.push_back(true);
    if (leave.Contains(tsInAnimation)) inAnimation.push_back(false);
  };
  EXPECT_TRUE(Run(t, 0, 100).empty());  // nothing to do: not even the state
  EXPECT_TRUE(inAnimation.empty());
  // Two steps per millisecond: the step size is 2, one step per millisecond.
  DWORD start = clock.now;
  std::vector<Call> calls = Run(t, 100, 50);
  ASSERT_EQ(calls.size(), 51u);
  EXPECT_EQ(calls.front().step, 0);
  EXPECT_EQ(calls.front().size, 2);
  EXPECT_EQ(calls.back().step, 0);  // the end signal
  EXPECT_EQ(calls.back().size, 0);
  EXPECT_LE(clock.now - start, 50u);
  EXPECT_EQ(inAnimation, (std::vector<bool>{true, false}));
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  // Fewer steps than milliseconds: each waits its share of the time.
  start = clock.now;
  calls = Run(t, 10, 200);
  EXPECT_EQ(calls.size(), 11u);
  EXPECT_EQ(calls[0].size, 1);
  EXPECT_EQ(clock.now - start, 200u);
  t->OnStateChange = nullptr;
}

TEST_F(Animation, ASlowClockCutsTheStepsAndAnAnimationDoesNotNest) {
  TDataStringTree* t = NewTree();
  t->SetAnimationClock(&clock);
  clock.overshoot = 30;  // every step takes far longer than its share
  DWORD start = clock.now;
  std::vector<Call> calls = Run(t, 50, 100);
  EXPECT_LE(calls.size(), 5u);
  EXPECT_EQ(calls.back().size, 0);
  EXPECT_LE(clock.now - start, 100u + 30u + 30u);
  // A callback that asks for another animation gets nothing; false stops.
  clock.overshoot = 0;
  int outer = 0, inner = 0;
  t->Animate(
      20, 20,
      [&](int, int size, void*) {
        if (size == 0) return true;
        ++outer;
        t->Animate(
            5, 5,
            [&](int, int, void*) {
              ++inner;
              return true;
            },
            nullptr);
        return outer < 3;
      },
      nullptr);
  EXPECT_EQ(outer, 3);
  EXPECT_EQ(inner, 0);
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
}

TEST_F(Animation, TheAnimatedToggleRunsToItsEnd) {
  TDataStringTree* t = NewTree({0, 0, 300, 300});
  t->SetAnimationClock(&clock);
  t->SetAnimationDuration(120);  // switches the animated toggle on
  ASSERT_TRUE(t->TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  t->SetRootNodeCount(6);
  PDataNode first = t->GetFirst();
  t->SetChildCount(first, 4);
  Pump();
  int animations = 0;
  t->OnStateChange = [&](TBaseDataTree*, TDataTreeStates enter, TDataTreeStates) {
    animations += enter.Contains(tsInAnimation);
  };
  DWORD start = clock.now;
  t->ToggleNode(first);
  EXPECT_TRUE(t->Expanded(first));
  EXPECT_EQ(animations, 1);
  EXPECT_GT(clock.waits, 0);
  EXPECT_LE(clock.now - start, 120u);
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  EXPECT_EQ(t->VisibleCount(), 10u);
  Pump();
  t->ToggleNode(first);  // collapsing slides too
  EXPECT_FALSE(t->Expanded(first));
  EXPECT_EQ(animations, 2);
  EXPECT_EQ(t->VisibleCount(), 6u);
  // Inside an update nothing is animated.
  t->BeginUpdate();
  t->ToggleNode(first);
  t->EndUpdate();
  EXPECT_EQ(animations, 2);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  t->OnStateChange = nullptr;
}

// Between two steps no paint runs: the strip the sliding rows leave behind
// shows the tree's colour at once, never the rows it showed before.
TEST_F(Animation, TheAnimatedToggleFillsTheStripItsRowsLeave) {
  TDataStringTree* t = NewTree({0, 0, 300, 300});
  t->SetAnimationClock(&clock);
  t->SetAnimationDuration(120);
  t->SetRootNodeCount(20);  // more rows than the client shows
  PDataNode first = t->GetFirst();
  t->SetChildCount(first, 4);
  t->OnBeforeItemErase = [](TBaseDataTree*, TCanvas*, PDataNode, RECT, TColor& color,
                            TItemEraseAction& action) {
    color = clRed;
    action = eaColor;
  };
  t->Invalidate();
  Pump();
  const int h = int(t->DefaultNodeHeight());
  ASSERT_EQ(PixelAt(250, h), 0xFF0000u);  // the second row, red
  uint32_t white = uint32_t(ColorToRGB(t->Color())) & 0xFFFFFF;
  std::vector<uint32_t> seen;
  // Opening: the strip just below the node, as the rows slide down.
  clock.onWait = [&] { seen.push_back(PixelAt(250, h)); };
  t->ToggleNode(first);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), white);
  Pump();
  EXPECT_EQ(PixelAt(250, h), 0xFF0000u);  // the first child, painted after the slide
  // Closing: the strip at the bottom, as the rows slide up.
  seen.clear();
  clock.onWait = [&] { seen.push_back(PixelAt(250, 299)); };
  t->ToggleNode(first);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), white);
  clock.onWait = nullptr;
  Pump();
  EXPECT_EQ(PixelAt(250, 299), 0xFF0000u);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  t->OnBeforeItemErase = nullptr;
}

}  // namespace
}  // namespace qv::test
