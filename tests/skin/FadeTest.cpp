// Fading between two looks: the alphas of the steps, the frames handed to
// the control, one repaint at the end after which the timer stops, and no
// fade at all when fading is forbidden or there is no cache.
#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skFade.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class Fade : public ::testing::Test {
 protected:
  void SetUp() override {
    root = MakeTestSkins(dir);
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->SetSkinDirectory(root);
    manager->SetSkinName("TestSkin");
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 100);
    probe = new SkinnedProbe(form.get(), 3);
    probe->SetParent(form.get());
    probe->SetBounds(5, 5, 40, 20);
    probe->SkinData->SetSkinSection("EDIT");  // FADINGENABLED, five iterations
    probe->SkinData->InitCacheBmp();
    probe->HandleNeeded();
    probe->Commands.clear();
  }
  int Count(WORD c) { return int(std::count(probe->Commands.begin(), probe->Commands.end(), c)); }
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
  std::string root;
  std::unique_ptr<TSkinManager> manager;
  std::unique_ptr<TForm> form;
  SkinnedProbe* probe = nullptr;
};

TEST(FadeAlpha, FiveIterations) {
  const int want[] = {204, 153, 102, 51, 0};
  for (int step = 1; step <= 5; ++step) EXPECT_EQ(TSkFadeTimer::AlphaOf(step, 5), want[step - 1]);
}

TEST_F(Fade, FramesThenOneRepaintAndTheTimerStops) {
  TSkFadeTimer* timer = nullptr;
  FadeOrRepaint(timer, probe->SkinData.get(), false, 2, true);
  ASSERT_TRUE(timer);
  EXPECT_EQ(Count(AC_FADESTART), 1);
  EXPECT_TRUE(timer->Enabled());
  for (int i = 0; i < 20; ++i) backend.AdvanceClock(10);
  EXPECT_EQ(Count(AC_FADEFRAME), 5);
  EXPECT_EQ(Count(AC_REPAINTNOW), 1);  // once, not every 10 ms
  EXPECT_FALSE(timer->Enabled());
  StopFadeTimer(timer);
  EXPECT_EQ(timer, nullptr);
}

TEST_F(Fade, ForbiddenOrWithoutCacheRepaintsAtOnce) {
  TSkFadeTimer* timer = nullptr;
  FadingForbidden = true;
  FadeOrRepaint(timer, probe->SkinData.get(), false, 1, true);
  FadingForbidden = false;
  EXPECT_EQ(timer, nullptr);
  probe->SkinData->CacheBmp.reset();
  FadeOrRepaint(timer, probe->SkinData.get(), false, 1, true);
  EXPECT_EQ(timer, nullptr);
  EXPECT_TRUE(probe->SkinData->BGChanged);
  EXPECT_TRUE(EventEnabled(aeMouseEnter, TSkAnimatEvents{aeGlobalDef}));
  EXPECT_FALSE(EventEnabled(aeMouseDown, TSkAnimatEvents{aeGlobalDef}));
}

}  // namespace
}  // namespace qv::test
