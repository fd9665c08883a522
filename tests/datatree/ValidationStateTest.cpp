// The state a tree shares with the validation worker: its flags read as the
// tree's own states, and entering or leaving those states sets the flags.
#include <gtest/gtest.h>

#include "datatree/ValidationState.h"

namespace qv::test {
namespace {

TEST(ValidationState, FlagsFollowTheTreeStates) {
  TValidationState state;
  TDataTreeStates seen;
  state.AddTo(seen);
  EXPECT_TRUE(seen.Empty());
  state.Apply({tsStopValidation, tsUseCache, tsValidationNeeded}, {});
  EXPECT_TRUE(state.StopRequested());
  EXPECT_TRUE(state.StopFlag()->load());
  EXPECT_TRUE(state.UseCache());
  EXPECT_TRUE(state.Needed());
  state.SetValidating(true);
  state.AddTo(seen);
  EXPECT_TRUE(seen.Contains(tsStopValidation) && seen.Contains(tsUseCache) &&
              seen.Contains(tsValidationNeeded) && seen.Contains(tsValidating));
  // Only the flags named are left.
  state.Apply({}, {tsStopValidation, tsUseCache});
  EXPECT_FALSE(state.StopRequested());
  EXPECT_FALSE(state.UseCache());
  EXPECT_TRUE(state.Needed());
  EXPECT_TRUE(state.Validating());
}

}  // namespace
}  // namespace qv::test
