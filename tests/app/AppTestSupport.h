// Shared fixture of the program's tests: a headless screen, help pages routed
// through the desktop recorder as the program routes them, and every form
// freed after each test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/forms/Program.h"
#include "catalogue/Help.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "platform/Surface.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::test {

class AppTest : public ::testing::Test {
 protected:
  AppTest() = default;
  explicit AppTest(SIZE screen) : backend{screen} {}
  void SetUp() override { InstallHelpOpener(); }
  void TearDown() override {
    SetHelpOpener(nullptr);
    for (int i = Screen->FormCount() - 1; i >= 0; --i) delete Screen->Forms(i);
    Application->ProcessMessages();
  }
  void Pump() { Application->ProcessMessages(); }
  // Screen point of a control's (x, y).
  POINT At(TControl* c, int x = 3, int y = 3) { return c->ClientToScreen(POINT{x, y}); }
  void ClickOn(TControl* c) {
    POINT p = At(c);
    backend.Click(p.x, p.y);
    Pump();
  }
  // A control's client area as the screen shows it now.
  std::vector<uint32_t> Look(TControl* c) {
    Pump();
    const Surface shot = backend.Screenshot();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < c->ClientHeight(); ++y)
      for (int x = 0; x < c->ClientWidth(); ++x) {
        const POINT p = c->ClientToScreen(POINT{x, y});
        pixels.push_back(shot.Contains(p.x, p.y) ? shot.At(p.x, p.y) : 0);
      }
    return pixels;
  }

  HeadlessBackend backend{SIZE{800, 600}};
};

}  // namespace qv::test
