// The skin command protocol on a tree of real controls without a skin
// manager: queries answered and read back, commands that must not reach or
// create anything, broadcasts that stop at a dying child, section names and
// the bound label's place.
#include <algorithm>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skControlTree.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(10, 10, 300, 200);
    form->SetColor(clBtnFace);
    panel = new SkinnedProbe(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 150);
    panel->SetColor(0x123456);
    child = new SkinnedProbe(panel, 3);
    child->SetParent(panel);
    child->SetBounds(5, 5, 50, 20);
    graphic = new SkinnedGraphic(panel);
    graphic->SetParent(panel);
    graphic->SetBounds(60, 5, 20, 20);
    plain = new TCustomControl(form);
    plain->SetParent(form);
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  SkinnedProbe *panel = nullptr, *child = nullptr;
  SkinnedGraphic* graphic = nullptr;
  TCustomControl* plain = nullptr;
};

TEST_F(Commands, UnskinnedControlsAnswerOnlyTheirQueries) {
  EXPECT_TRUE(QuerySkinCommand(panel, AC_CTRLHANDLED));
  EXPECT_FALSE(QuerySkinCommand(plain, AC_CTRLHANDLED));
  EXPECT_EQ(QueryBgColor(panel), 0x123456);
  SharedBgColor = clSkinTransparent;
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_GETBG), 0, 0};
  plain->WindowProc(q);
  EXPECT_EQ(q.LParam, 0);
  EXPECT_EQ(SharedBgColor, clSkinTransparent);  // a plain control never answers
  EXPECT_EQ(QueryBgColor(plain), ColorToRGB(plain->Color()));
  // Query 19 needs a section index: not handled, the asker's LParam stays 0.
  TMessage q19{SM_SKINCMD, MakeSkinWParam(AC_BGNOTPLAIN), 0, 0};
  EXPECT_FALSE(SkinWndProc(q19, panel->SkinData.get()));
  EXPECT_EQ(q19.LParam, 0);
  // Without any manager the control is not skinned and counts as updating.
  EXPECT_FALSE(panel->SkinData->Skinned());
  EXPECT_TRUE(panel->SkinData->GetUpdating());
  TMessage size{WM_SIZE, 0, 0, 0};
  EXPECT_FALSE(SkinWndProc(size, panel->SkinData.get()));
  TMessage ui{WM_UPDATEUISTATE, 0, 0, 0};
  EXPECT_FALSE(SkinWndProc(ui, panel->SkinData.get()));
}

TEST_F(Commands, SendingNeverMakesAHandle) {
  auto* fresh = new SkinnedProbe(form);
  fresh->SetParent(form);
  ASSERT_FALSE(fresh->HandleAllocated());
  SendSkinCommand(fresh, AC_BGCHANGED);
  EXPECT_FALSE(fresh->HandleAllocated());
  EXPECT_TRUE(fresh->Commands.empty());
  SendSkinCommand(graphic, AC_BGCHANGED);  // a graphic control gets it by Perform
  EXPECT_EQ(graphic->Commands.back(), AC_BGCHANGED);
}

TEST_F(Commands, CacheQueryAnswersWithTheCacheBitmap) {
  child->SkinData->InitCacheBmp();
  panel->SkinData->InitCacheBmp();
  TCacheInfo info;
  GetParentCache(child->SkinData.get(), info);
  EXPECT_FALSE(info.Ready);  // the parent has no window yet: nothing is asked
  panel->HandleNeeded();
  GetParentCache(child->SkinData.get(), info);
  EXPECT_TRUE(info.Ready);
  EXPECT_EQ(info.Bmp, panel->SkinData->CacheBmp.get());
  EXPECT_EQ(info.Bmp->Width(), 200);
}

TEST_F(Commands, ManagerMatchingForLoadedRemovedApplied) {
  auto* other = reinterpret_cast<TSkinManager*>(0x1234);
  child->SkinData->Updating = false;
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINLOADED), reinterpret_cast<LPARAM>(other));
  EXPECT_FALSE(child->SkinData->Updating);                       // another manager: unchanged
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINLOADED), 0);  // no manager matches LParam 0
  EXPECT_TRUE(child->SkinData->Updating);
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINAPPLIED), 0);
  EXPECT_FALSE(child->SkinData->Updating);
  child->SkinData->InitCacheBmp();
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), 0);
  EXPECT_EQ(child->SkinData->CacheBmp->Width(), 0);
  EXPECT_EQ(child->SkinData->SkinIndex, -1);
}

TEST_F(Commands, FlagsAndParentMovedRecursion) {
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SETCACHEFROZEN, 1), 0);
  EXPECT_TRUE(child->SkinData->CacheFrozen);
  ClearCacheFrozen(form);  // recursive; only handles that exist are reached
  child->HandleNeeded();
  panel->HandleNeeded();
  child->Perform(SM_SKINCMD, MakeSkinWParam(AC_SETCACHEFROZEN, 1), 0);
  ClearCacheFrozen(form);
  EXPECT_FALSE(child->SkinData->CacheFrozen);
  // An unskinned control repaints when moved: command 20 reaches the children.
  child->Commands.clear(), graphic->Commands.clear();
  panel->Perform(SM_SKINCMD, MakeSkinWParam(AC_PARENTMOVED, 1), 0);
  EXPECT_EQ(std::count(child->Commands.begin(), child->Commands.end(), AC_PARENTMOVED), 1);
  EXPECT_EQ(std::count(graphic->Commands.begin(), graphic->Commands.end(), AC_PARENTMOVED), 1);
  EXPECT_TRUE(child->SkinData->BGChanged);
}

TEST_F(Commands, BroadcastReachesEveryFormAndStopsAtADyingChild) {
  panel->HandleNeeded();
  child->HandleNeeded();
  TMessage m{SM_SKINCMD, MakeSkinWParam(AC_BGCHANGED), 0, 0};
  BroadcastToForms(m);
  EXPECT_EQ(panel->Commands.back(), AC_BGCHANGED);
  // The panel is a skinned control: it gets the record, its children are not searched.
  EXPECT_TRUE(child->Commands.empty() || child->Commands.back() != AC_BGCHANGED);
  auto* first = new SkinnedGraphic(form);
  first->SetParent(form);
  auto* later = new SkinnedGraphic(form);
  later->SetParent(form);
  panel->Commands.clear();
  first->Destroying();  // being destroyed: the walk ends here
  SkinBroadcast(form, m);
  EXPECT_TRUE(later->Commands.empty());
  delete first;
}

// Who heard the broadcast, in order: the MDI client is watched through a
// subclassed window procedure, as the MDI skinning support would hook it.
std::vector<std::string> Heard;
WNDPROC OldClientProc = nullptr;
LRESULT WatchClient(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == SM_SKINCMD) Heard.push_back("client");
  return CallWindowProc(OldClientProc, h, msg, w, l);
}

TEST_F(Commands, BroadcastReachesTheMdiClientAndTheMdiChildren) {
  TForm* frame = nullptr;
  Application->CreateForm(frame);  // the main form: MDI children live in its client
  ASSERT_EQ(Application->MainForm(), frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 400, 300);
  auto* bar = new SkinnedProbe(frame);
  bar->SetParent(frame);
  bar->SetAlign(alTop);
  frame->Show();
  backend.Pump();
  // A child owned by its frame, not by the application: the screen's list reaches it.
  auto* kid = new TForm(frame);
  kid->SetFormStyle(fsMDIChild);
  kid->SetBounds(10, 10, 150, 100);
  auto* inside = new SkinnedProbe(kid);
  inside->SetParent(kid);
  kid->Show();
  backend.Pump();
  HWND client = frame->ClientHandle();
  ASSERT_TRUE(client);
  Heard.clear();
  OldClientProc = WNDPROC(SetWindowLongPtr(client, GWLP_WNDPROC, LONG_PTR(&WatchClient)));
  bar->Commands.clear();
  inside->Commands.clear();
  TMessage m{SM_SKINCMD, MakeSkinWParam(AC_BGCHANGED), 0, 0};
  BroadcastToForms(m);
  EXPECT_EQ(std::count(bar->Commands.begin(), bar->Commands.end(), AC_BGCHANGED), 1);
  EXPECT_EQ(std::count(inside->Commands.begin(), inside->Commands.end(), AC_BGCHANGED), 1);
  EXPECT_EQ(Heard.size(), 1u);  // once, though the frame is reached twice (application and screen)
  SetWindowLongPtr(client, GWLP_WNDPROC, LONG_PTR(OldClientProc));
  delete frame;
  Application->ProcessMessages();
}

TEST_F(Commands, SectionNamesAndDefaults) {
  child->SkinData->SetSkinSection("");
  EXPECT_EQ(child->SkinData->SkinSection(), "UNKNOWN");
  SkinnedProbe edit(nullptr, 3), splitter(nullptr, 75), odd(nullptr, 999);
  edit.SkinData->Loaded();
  splitter.SkinData->Loaded();
  odd.SkinData->Loaded();
  EXPECT_EQ(edit.SkinData->SkinSection(), "EDIT");
  EXPECT_EQ(splitter.SkinData->SkinSection(), "SPLITTER");
  EXPECT_FALSE(odd.SkinData->SkinSection().empty());  // the owner's class name
  EXPECT_EQ(odd.SkinData->SkinIndex, -1);
}

TEST(BoundLabel, PlacesByLayout) {
  const RECT edit{100, 50, 200, 70};
  TSkLabelPlace p = PlaceBoundLabel(sclLeft, 0, 0, edit, SIZE{40, 13});
  EXPECT_EQ(p.Left, 56);
  EXPECT_EQ(p.Top, 52);
  p = PlaceBoundLabel(sclTopCenter, 2, 0, edit, SIZE{40, 13});
  EXPECT_EQ(p.Left, 130);
  EXPECT_EQ(p.Top, 35);
  p = PlaceBoundLabel(sclTopRight, 0, 90, edit, SIZE{40, 13});
  EXPECT_EQ(p.Left, 160);
  EXPECT_EQ(p.Width, 90);
  EXPECT_EQ(p.Height, 20);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// A graphic control that paints a square of its colour, or nothing.
class Square : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  bool PaintsNothing = false;

 protected:
  void Paint() override {
    if (PaintsNothing) return;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(RECT{0, 0, Width(), Height()});
  }
};

TEST_F(Commands, GraphicChildrenPaintOverTheParentsPicture) {
  panel->HandleNeeded();
  panel->SkinData->InitCacheBmp();
  TBitmap* cache = panel->SkinData->CacheBmp.get();
  for (int y = 0; y < cache->Height(); ++y)
    for (int x = 0; x < cache->Width(); ++x) SetPx(cache, x, y, 0x00AA00);
  auto* red = new Square(panel);
  red->SetParent(panel);
  red->SetBounds(100, 50, 10, 10);
  red->SetColor(0x0000FF);
  auto* blank = new Square(panel);
  blank->SetParent(panel);
  blank->SetBounds(120, 50, 10, 10);
  blank->PaintsNothing = true;
  auto target = Bmp24(200, 150, clBlack);
  PaintGraphicChildren(target->Canvas()->Handle(), panel, POINT{0, 0});
  EXPECT_EQ(Px(target.get(), 105, 55), 0x0000FF);
  EXPECT_EQ(Px(target.get(), 125, 55), 0x00AA00);  // it painted nothing: the parent's picture
  EXPECT_EQ(Px(target.get(), 2, 2), clBlack);      // outside every child: untouched
  EXPECT_FALSE(SharedCacheInfo.Ready);
}

}  // namespace
}  // namespace qv::test
