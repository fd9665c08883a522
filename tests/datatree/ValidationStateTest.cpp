// The tree's state changes: OnStateChange hears of every call that changes a
// state, before the change, and the worker's copy of tsStopValidation follows;
// WM_CHANGESTATE's two masks become the states entered and left.
#include "TreeTestSupport.h"
#include "datatree/ValidationState.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"

namespace qv::test {
namespace {

using TreeStateChange = TreeTest;

struct Heard {
  TDataTreeStates enter, leave, before;
};

TEST_F(TreeStateChange, TheEventHearsRealChangesBeforeTheyApply) {
  auto t = DetachedTree();
  std::vector<Heard> heard;
  t->OnStateChange = [&](TBaseDataTree* s, TDataTreeStates e, TDataTreeStates l) {
    heard.push_back({e, l, s->TreeStates()});
  };
  TDataTreeStates start = t->TreeStates();
  // Entering a state already set and leaving one not set changes nothing.
  t->DoStateChange({tsCopyPending}, {});
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_TRUE(heard[0].before == start);  // told before the state is set
  EXPECT_TRUE(t->TreeStates().Contains(tsCopyPending));
  t->DoStateChange({tsCopyPending}, {tsCutPending});
  EXPECT_EQ(heard.size(), 1u);
  EXPECT_TRUE(t->TreeStates() == start + tsCopyPending);
  // One real change is enough; the handler gets both sets as given.
  t->DoStateChange({tsCopyPending, tsCutPending}, {tsSizing});
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_TRUE(heard[1].enter == (TDataTreeStates{tsCopyPending, tsCutPending}));
  EXPECT_TRUE(heard[1].leave == TDataTreeStates{tsSizing});
  // A state both entered and left counts as a change when it was not set,
  // and ends up not set.
  t->DoStateChange({tsSizing}, {tsSizing});
  EXPECT_EQ(heard.size(), 3u);
  EXPECT_FALSE(t->TreeStates().Contains(tsSizing));
  t->OnStateChange = nullptr;
}

TEST_F(TreeStateChange, TheWorkersStopFlagFollowsTheState) {
  TValidationState v;
  EXPECT_FALSE(v.StopRequested());
  v.Follow({tsStopValidation, tsUseCache});
  EXPECT_TRUE(v.StopFlag()->load());
  v.Follow({tsValidationNeeded});
  EXPECT_FALSE(v.StopRequested());
}

TEST_F(TreeStateChange, ChangeStateMessageEntersAndLeavesTheMaskedStates) {
  TDataStringTree* t = NewTree();
  EXPECT_EQ(WM_CHANGESTATE, 0x8020u);
  std::vector<Heard> heard;
  t->OnStateChange = [&](TBaseDataTree*, TDataTreeStates e, TDataTreeStates l) {
    heard.push_back({e, l, {}});
  };
  SendMessageW(t->Handle(), WM_CHANGESTATE, 1 | 4, 0);
  EXPECT_TRUE(t->TreeStates().Contains(tsStopValidation) && t->TreeStates().Contains(tsValidating));
  SendMessageW(t->Handle(), WM_CHANGESTATE, 2 | 8, 1 | 4);
  EXPECT_TRUE(t->TreeStates().Contains(tsUseCache) && t->TreeStates().Contains(tsValidationNeeded));
  EXPECT_FALSE(t->TreeStates().Contains(tsStopValidation) || t->TreeStates().Contains(tsValidating));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_TRUE(heard[0].enter == (TDataTreeStates{tsStopValidation, tsValidating}));
  EXPECT_TRUE(heard[0].leave.Empty());
  EXPECT_TRUE(heard[1].enter == (TDataTreeStates{tsUseCache, tsValidationNeeded}));
  EXPECT_TRUE(heard[1].leave == (TDataTreeStates{tsStopValidation, tsValidating}));
  // Bits above the four are no states.
  SendMessageW(t->Handle(), WM_CHANGESTATE, 0xF0, 0);
  EXPECT_EQ(heard.size(), 2u);
  t->OnStateChange = nullptr;
}

}  // namespace
}  // namespace qv::test
