// Mutation fuzzing of the skin folder loader: the description and the master
// bitmap of the test skin are damaged at random (a fixed seed, a bounded
// number of rounds) and loaded again. Every round either loads or fails with
// ESkinError; afterwards every loaded mask is painted to prove that no
// painter reads outside its images.
#include <random>

#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

std::string MutateText(std::string s, std::mt19937& rng) {
  static const char* pieces[] = {"-1",          "0",    "99999", "#",  "(",
                                 ")",           ",",    "!",     "^",  "~",
                                 "@",           "\n[",  "]",     "=",  "PARENTCLASS=LOOPA",
                                 "-2147483648", ".BMP", "\n",    "0x", "$"};
  const int edits = 1 + int(rng() % 6);
  for (int i = 0; i < edits && !s.empty(); ++i) {
    size_t at = rng() % s.size();
    switch (rng() % 4) {
      case 0:
        s[at] = char(rng() % 128);
        break;
      case 1:
        s.insert(at, pieces[rng() % (sizeof pieces / sizeof *pieces)]);
        break;
      case 2:
        s.erase(at, 1 + rng() % 8);
        break;
      default:
        s.insert(at, s.substr(rng() % s.size(), rng() % 40));
        break;
    }
  }
  return s;
}

std::string MutateBinary(std::string s, std::mt19937& rng) {
  if (rng() % 5 == 0) return s.substr(0, rng() % s.size());
  const int edits = 1 + int(rng() % 8);
  for (int i = 0; i < edits; ++i) {
    // Headers are where damage matters most.
    size_t at = rng() % 3 == 0 ? rng() % 64 : rng() % s.size();
    s[at] = char(rng());
  }
  return s;
}

class SkinFuzz : public ::testing::Test {
 protected:
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
};

TEST_F(SkinFuzz, DamagedSkinsLoadOrFailCleanly) {
  const std::string root = MakeTestSkins(dir);
  const std::string t = root + "TestSkin/";
  const std::string options = kTestSkinOptions;
  const std::string master = EncodeBmp(MasterSurface(), 24);
  const std::string border = EncodeBmp(Border9Surface(), 24);
  std::mt19937 rng(20261207);
  TSkinManager m(nullptr);
  m.AfterConstruction();
  m.SetSkinDirectory(root);
  auto target = Bmp24(64, 40);
  int loaded = 0, failed = 0;
  for (int round = 0; round < 120; ++round) {
    WriteText(t + "Options.dat", MutateText(options, rng));
    WriteText(t + "MASTER.BMP", round % 2 ? MutateBinary(master, rng) : master);
    WriteText(t + "BORDER9.BMP", round % 3 == 0 ? MutateBinary(border, rng) : border);
    try {
      m.SetSkinName("TestSkin");
      ++loaded;
    } catch (const ESkinError&) {
      ++failed;
    }
    ASSERT_FALSE(SkinLoading);
    if (!m.Active()) m.SetActive(true);  // a round may have turned it off
    for (const TSkMaskData& mask : m.ma) {
      for (int state = -1; state < 4; ++state) {
        PaintNinePartMask(target.get(), RECT{-3, -2, 70, 45}, true, EmptyCacheInfo, mask, state);
        PaintNinePartMask(target.get(), RECT{1, 1, 4, 3}, true, EmptyCacheInfo, mask, state);
        DrawSkinGlyph(target.get(), POINT{-5, 30}, state, state & 1, mask);
      }
    }
    for (const TSkGeneralData& g : m.gd) PaintGrad(target.get(), RECT{0, 0, 64, 40}, g.GradientArray);
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace qv::test
