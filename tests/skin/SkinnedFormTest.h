// The fixture the skinned-control and skinned-form tests build on: a headless
// screen, a form freed after each test, a folder for the skins a test makes,
// and a skin manager made on demand to load one of them.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/Surface.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skinManager.h"
#include "tests/common/TempDir.h"

namespace qv::test {

class SkinnedFormTest : public ::testing::Test {
 protected:
  void TearDown() override {
    delete form;
    manager.reset();
    Application->ProcessMessages();
  }
  // Loads skin Name from the skins in root, making the manager the first time.
  void LoadSkin(const std::string& Name) {
    if (!manager) {
      manager = std::make_unique<TSkinManager>(nullptr);
      manager->AfterConstruction();
      manager->SetSkinDirectory(root);
    }
    try {
      manager->SetSkinName(Name);
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message;
    }
    ASSERT_TRUE(manager->SkinData()->Active);
    backend.Pump();
  }
  // A screen pixel (0xRRGGBB) once the pending painting is done.
  uint32_t At(int x, int y) {
    backend.Pump();
    return backend.Screenshot().At(x, y) & 0xFFFFFF;
  }
  // The pixel (0xRRGGBB) of Shot at a point of Control, which lies on the form.
  uint32_t At(const Surface& Shot, TControl* Control, int x, int y) {
    const POINT p = form->ClientToScreen(POINT{Control->Left() + x, Control->Top() + y});
    return Shot.At(p.x, p.y) & 0xFFFFFF;
  }

  HeadlessBackend backend{SIZE{640, 480}};
  TempDir dir;
  std::string root;
  TForm* form = nullptr;
  std::unique_ptr<TSkinManager> manager;
};

}  // namespace qv::test
