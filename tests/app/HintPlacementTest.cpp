// Hints of the main window: a balloon points at the control it explains and
// leaves the window as it was when it goes.
#include <algorithm>

#include "MainTestSupport.h"
#include "app/frames/DiscTree.h"
#include "classlib/comctrls/ToolBar.h"

namespace qv::test {
namespace {

using HintPlacement = MainTest;

// The shown hint window's screen rectangle; empty when no hint shows.
RECT ShownHint() {
  RECT found{};
  EnumWindows(
      [](HWND h, LPARAM p) {
        char16_t name[64] = {};
        GetClassNameW(h, name, 64);
        std::u16string cls(name);
        if (IsWindowVisible(h) && cls.find(u"Hint") != std::u16string::npos)
          GetWindowRect(h, reinterpret_cast<RECT*>(p));
        return TRUE;
      },
      LPARAM(&found));
  return found;
}

TEST_F(HintPlacement, ABalloonPointsAtItsButtonAndLeavesNothingBehind) {
  StartWithCatalogue();
  AddFixtureDisc();
  TMainForm* f = MainForm;
  // A disc is chosen: the Browse button is enabled.
  ASSERT_TRUE(DiscTree->SelectDiscById(MainForm->Engine->Discs->GetDisc(0).ID));
  ASSERT_TRUE(Enabled(f->actBrowse));
  Pump();
  const Surface before = backend.Screenshot();
  // The Browse button of the disc page's tool bar.
  TControl* button = f->DiscTools->Buttons(4);
  ASSERT_EQ(button->Hint(), " Browse files on the selected disc ");
  const POINT p = At(button, button->Width() / 2, button->Height() / 2);
  backend.MouseMove(p.x, p.y);
  Pump();
  backend.MouseMove(p.x + 1, p.y);
  Pump();
  backend.AdvanceClock(700);
  Pump();
  const RECT hint = ShownHint();
  ASSERT_FALSE(IsRectEmpty(&hint)) << "no hint shown";
  // The balloon's tail starts at one of its corners, at the pointer on the button.
  const POINT corners[4] = {
      {hint.left, hint.top}, {hint.right, hint.top}, {hint.left, hint.bottom}, {hint.right, hint.bottom}};
  int nearest = 1 << 30;
  for (POINT c : corners)
    nearest = std::min<int>(nearest, std::max(std::abs(c.x - p.x), std::abs(c.y - p.y)));
  EXPECT_LE(nearest, 12) << hint.left << "," << hint.top << " " << hint.right << "," << hint.bottom;

  backend.MouseMove(p.x + 300, p.y + 300);
  Pump();
  backend.AdvanceClock(700);
  Pump();
  const RECT gone = ShownHint();
  ASSERT_TRUE(IsRectEmpty(&gone)) << "the hint stayed";
  // The window is as it was where the balloon and its shadow lay.
  const Surface after = backend.Screenshot();
  int changed = 0;
  for (int y = std::max<int>(hint.top, 0); y < std::min<int>(hint.bottom, after.Height); ++y)
    for (int x = std::max<int>(hint.left, 0); x < std::min<int>(hint.right, after.Width); ++x)
      changed += after.At(x, y) != before.At(x, y);
  EXPECT_EQ(changed, 0);
}

}  // namespace
}  // namespace qv::test
