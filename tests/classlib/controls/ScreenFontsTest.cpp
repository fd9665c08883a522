// Screen.Fonts: the installed families and the names mapped onto them, sorted, each once.
#include "ControlsTestSupport.h"

namespace qv::test {
namespace {

TEST(ScreenFonts, ListsInstalledAndMappedFamiliesOnce) {
  TStrings* fonts = Screen->Fonts();
  ASSERT_GT(fonts->Count(), 0);
  for (const char* name : {"DejaVu Sans", "Liberation Sans", "Tahoma", "MS Sans Serif"})
    EXPECT_GE(fonts->IndexOf(name), 0) << name;
  for (int i = 1; i < fonts->Count(); ++i) {
    std::string a = fonts->Strings(i - 1), b = fonts->Strings(i);
    std::transform(a.begin(), a.end(), a.begin(), ::tolower);
    std::transform(b.begin(), b.end(), b.begin(), ::tolower);
    EXPECT_LT(a, b);  // sorted and without duplicates
  }
}

}  // namespace
}  // namespace qv::test
