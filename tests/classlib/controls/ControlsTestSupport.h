// Shared fixture of the control tests: a headless screen, forms that are
// freed after each test, and helpers to pump messages and read pixels.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::test {

// A control that records what happens to it.
class Probe : public TCustomControl {
 public:
  explicit Probe(TComponent* owner, std::vector<std::string>* log = nullptr)
      : TCustomControl(owner), log_(log) {
    SetTabStop(true);
  }
  std::function<void(TCanvas*)> OnPaintProbe;

 protected:
  void Paint() override {
    if (OnPaintProbe) OnPaintProbe(Canvas());
  }
  void CreateWnd() override {
    if (log_) log_->push_back("create " + Name());
    TCustomControl::CreateWnd();
  }

 private:
  std::vector<std::string>* log_;
};

class ControlsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Application->CancelHint();
    for (int i = Screen->FormCount() - 1; i >= 0; --i) delete Screen->Forms(i);
    Application->ProcessMessages();
  }

  // A shown borderless form: its client area starts at (Left, Top) on the screen.
  TForm* NewForm(RECT r = {100, 100, 500, 400}, TBorderStyle style = bsNone) {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(style);
    f->SetBoundsRect(r);
    return f;
  }
  void Pump() { Application->ProcessMessages(); }
  uint32_t PixelAt(int x, int y) { return backend.Screenshot().At(x, y) & 0xFFFFFF; }
  static uint32_t Rgb(int r, int g, int b) { return PixelRGB(uint8_t(r), uint8_t(g), uint8_t(b)) & 0xFFFFFF; }

  HeadlessBackend backend{SIZE{800, 600}};
};

}  // namespace qv::test
