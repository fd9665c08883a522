// The skin demo's skinned windows built headless with the skins the build
// draws: the MDI frame and its children take the skin's frame, switching
// between Harbour, Dusk and no skin leaves the unskinned windows exactly as
// they were, and the error button shows the skinned message box.
#include "FramesSkin.h"
#include "classlib/controls/Screen.h"
#include "demo/skin/SkinDemoForm.h"
#include "demo/skin/SkinDemoFrames.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "skin/forms/skMDIForm.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class DemoFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::TSkinDemoFrames::SkinDirectory = QV_TEST_SKINS_DIR;
    Application->CreateForm(frames);
    frames->Show();
    frames->OpenChildren();
    backend.Pump();
  }
  void TearDown() override {
    delete frames;
    Application->ProcessMessages();
  }
  HeadlessBackend backend{SIZE{700, 480}};
  demo::TSkinDemoFrames* frames = nullptr;
};

int Differences(const Surface& a, const Surface& b) {
  int n = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) n += (a.At(x, y) & 0xFFFFFF) != (b.At(x, y) & 0xFFFFFF);
  return n;
}

TEST_F(DemoFrames, FrameAndChildrenTakeTheSkin) {
  ASSERT_EQ(frames->Children.size(), 2u);
  const uint32_t plainTitle = backend.Screenshot().At(frames->Left() + 200, frames->Top() + 8) & 0xFFFFFF;
  frames->UseSkin("Dusk");
  backend.Pump();
  ASSERT_TRUE(frames->Provider->Skinned());
  EXPECT_NE(backend.Screenshot().At(frames->Left() + 200, frames->Top() + 8) & 0xFFFFFF, plainTitle);
  for (TForm* c : frames->Children) {
    EXPECT_TRUE(IsWindowVisible(c->WindowHandle()));
    TSkinProvider* p = TSkinProvider::ProviderOf(c);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->Skinned());
  }
  ASSERT_NE(frames->Provider->MDIForm(), nullptr);
  EXPECT_TRUE(frames->Provider->MDIForm()->Subclassed());
}

TEST_F(DemoFrames, SwitchingSkinsLeavesTheUnskinnedWindowsAsTheyWere) {
  const Surface before = backend.Screenshot();
  for (const char* name : {"Dusk", "Harbour", "Dusk"}) {
    frames->UseSkin(name);
    backend.Pump();
    EXPECT_EQ(frames->Skins->SkinName(), name);
    EXPECT_GT(Differences(before, backend.Screenshot()), 1000) << name;
  }
  frames->UseSkin("");
  backend.Pump();
  const Surface after = backend.Screenshot();
  EXPECT_EQ(Differences(before, after), 0);
}

// With Harbour an item of the menu line rests on the line's own face and a
// dropped-down title takes the skin's hot item colour until its menu closes.
TEST_F(DemoFrames, OpenTitleOfTheMenuLineTakesTheHotColour) {
  frames->UseSkin("Harbour");
  backend.Pump();
  HWND h = frames->WindowHandle();
  RECT fileR;
  ASSERT_TRUE(GetMenuItemRect(h, GetMenu(h), 0, &fileR));
  const int x = fileR.left + 2, y = (fileR.top + fileR.bottom) / 2;
  TSkinManager* m = frames->Skins;
  const uint32_t hot = ColorToRGB(TColor(m->gd[size_t(m->GetSkinIndex("MENUITEM"))].HotColor)) & 0xFFFFFF;
  const uint32_t hotPixel = (hot & 0xFF) << 16 | (hot & 0xFF00) | (hot >> 16);  // 0xRRGGBB on screen
  const uint32_t resting = backend.Screenshot().At(x, y) & 0xFFFFFF;
  EXPECT_NE(resting, hotPixel);
  uint32_t open = 0;
  backend.WhenIdle([&] {
    open = backend.Screenshot().At(x, y) & 0xFFFFFF;
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click((fileR.left + fileR.right) / 2, y);
  backend.Pump();
  EXPECT_EQ(open, hotPixel);
  EXPECT_EQ(backend.Screenshot().At(x, y) & 0xFFFFFF, resting);
}

// In both skins the frame's edge lines run on beside the menu line as they
// do beside the client.
TEST_F(DemoFrames, MenuLineLiesInsideTheFrameEdges) {
  for (const char* name : {"Harbour", "Dusk"}) {
    frames->UseSkin(name);
    backend.Pump();
    HWND h = frames->WindowHandle();
    RECT fileR;
    ASSERT_TRUE(GetMenuItemRect(h, GetMenu(h), 0, &fileR));
    const int lineY = (fileR.top + fileR.bottom) / 2, below = fileR.bottom + 60;
    const int left = frames->Left(), right = frames->Left() + frames->Width() - 1;
    const Surface shot = backend.Screenshot();
    for (int x : {left, left + 1, right - 1, right})
      EXPECT_EQ(shot.At(x, lineY) & 0xFFFFFF, shot.At(x, below) & 0xFFFFFF) << name << " x " << x - left;
  }
}

TEST_F(DemoFrames, ASkinErrorShowsTheSkinnedMessageBox) {
  frames->UseSkin("Dusk");
  backend.Pump();
  std::string caption;
  backend.WhenIdle([&] {
    auto* box = dynamic_cast<TSkMessageForm*>(Screen->ActiveForm());
    if (!box) return;
    caption = box->Caption();
    EXPECT_TRUE(box->SkinProvider->Skinned());  // the box wears the skin's dialog look
    box->SetModalResult(mrOk);
  });
  frames->RaiseSkinError();
  EXPECT_EQ(caption, "Error");
}

// A maximised child shows only its client area, filling the frame's MDI
// client: its caption and frame lie outside (its buttons are in the frame's
// menu line instead).
TEST_F(DemoFrames, MaximisedChildShowsNoCaptionOfItsOwn) {
  for (const char* name : {"Dusk", "Harbour"}) {
    frames->UseSkin(name);
    backend.Pump();
    TForm* child = frames->Children.back();
    HWND h = child->WindowHandle(), client = GetParent(h);
    SendMessage(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    backend.Pump();
    ASSERT_TRUE(IsZoomed(h)) << name;
    RECT area, inner;
    GetClientRect(client, &area);
    MapWindowPoints(client, nullptr, reinterpret_cast<POINT*>(&area), 2);
    GetClientRect(h, &inner);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&inner), 2);
    EXPECT_EQ(inner, area) << name;
    // The rows where a caption would stand show the child's own face.
    const Surface shot = backend.Screenshot();
    const int x = (area.left + area.right) / 2;
    const uint32_t face = shot.At(x, area.top + 60) & 0xFFFFFF;
    for (int y = area.top; y < area.top + 24; ++y)
      EXPECT_EQ(shot.At(x, y) & 0xFFFFFF, face) << name << " y " << y;
    SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    backend.Pump();
    EXPECT_FALSE(IsZoomed(h)) << name;
  }
}

// On the desktop the windows open under the controls' skin, already active:
// the extra title button shows the skin's title-button glyph at once, as it
// does after a switch away and back.
TEST(DemoFramesUnderAnActiveSkin, TheExtraTitleButtonIsDrawnAtOnce) {
  HeadlessBackend backend{SIZE{1040, 720}};
  auto* controls = new demo::TSkinDemoForm(nullptr, QV_TEST_SKINS_DIR);
  controls->Show();
  demo::TSkinDemoFrames::SkinDirectory = QV_TEST_SKINS_DIR;
  demo::TSkinDemoFrames* frames = nullptr;
  Application->CreateForm(frames);
  frames->Show();
  ASSERT_TRUE(frames->Provider->Skinned());
  TSkTitleButton* menu = frames->Provider->TitleButtons()->Items(0);
  auto button = [&] {
    backend.Pump();
    const Surface shot = backend.Screenshot();
    RECT w;
    GetWindowRect(frames->WindowHandle(), &w);
    const RECT r = menu->Data.Rect;
    std::vector<uint32_t> v;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) v.push_back(shot.At(w.left + x, w.top + y) & 0xFFFFFF);
    return v;
  };
  const auto first = button();
  EXPECT_GE(menu->Data.ImageIndex, 0);
  EXPECT_GT(first.size(), 100u);
  controls->ChooseSkin("Dusk");
  EXPECT_NE(button(), first);
  controls->ChooseSkin("Harbour");
  EXPECT_EQ(button(), first);
  delete frames;
  delete controls;
  Application->ProcessMessages();
}

}  // namespace
}  // namespace qv::test
