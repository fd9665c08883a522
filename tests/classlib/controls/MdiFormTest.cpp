// MDI forms in the class library: the parent's client window fills what its
// aligned controls leave, child forms live in it, ActiveMDIChild and
// MDIChildren follow activation, WindowState follows maximising, closing a
// child minimises it by default, and cascade and tile arrange them.
#include "ControlsTestSupport.h"
#include "platform/window/Mdi.h"

namespace qv::test {
namespace {

class MdiForms : public ControlsTest {
 protected:
  void SetUp() override {
    Application->CreateForm(parent);
    parent->SetFormStyle(fsMDIForm);
    parent->SetBorderStyle(bsSizeable);
    parent->SetBoundsRect({0, 0, 640, 480});
    bar = new Probe(parent);
    bar->SetParent(parent);
    bar->SetAlign(alTop);
    bar->SetHeight(30);
    parent->Show();
    Pump();
  }
  TForm* Child(const std::string& caption) {
    auto* f = new TForm(Application);
    f->SetFormStyle(fsMDIChild);
    f->SetCaption(caption);
    f->SetBounds(10, 10, 200, 150);
    f->Show();
    Pump();
    return f;
  }
  TForm* parent = nullptr;
  Probe* bar = nullptr;
};

TEST_F(MdiForms, ChildrenLiveInTheClientAndFollowActivation) {
  HWND client = parent->ClientHandle();
  ASSERT_NE(client, nullptr);
  RECT cr, pr;
  GetWindowRect(client, &cr);
  MapWindowPoints(nullptr, parent->Handle(), reinterpret_cast<POINT*>(&cr), 2);
  GetClientRect(parent->Handle(), &pr);
  EXPECT_EQ(cr, (RECT{0, 30, pr.right, pr.bottom}));  // below the top-aligned bar
  std::vector<std::string> events;
  TForm* a = Child("A");
  a->OnActivate = [&](TObject*) { events.push_back("A on"); };
  a->OnDeactivate = [&](TObject*) { events.push_back("A off"); };
  TForm* b = Child("B");
  EXPECT_EQ(GetParent(a->Handle()), client);
  EXPECT_EQ(parent->ActiveMDIChild(), b);
  EXPECT_EQ(parent->MDIChildCount(), 2);
  EXPECT_EQ(parent->MDIChildren(0), b);
  EXPECT_EQ(parent->MDIChildren(1), a);
  EXPECT_THROW(parent->MDIChildren(2), EListError);
  EXPECT_EQ(events, (std::vector<std::string>{"A off"}));
  parent->Next();
  EXPECT_EQ(parent->ActiveMDIChild(), a);
  EXPECT_TRUE(a->Active());
  EXPECT_FALSE(b->Active());
  EXPECT_EQ(events.back(), "A on");
  // Resizing the parent keeps the client in the room the bar leaves.
  parent->SetBounds(0, 0, 500, 400);
  Pump();
  GetWindowRect(client, &cr);
  GetClientRect(parent->Handle(), &pr);
  EXPECT_EQ(cr.Width(), pr.Width());
  EXPECT_EQ(cr.Height(), pr.Height() - 30);
}

TEST_F(MdiForms, WindowStateCloseAndArrangement) {
  TForm* a = Child("A");
  TForm* b = Child("B");
  b->SetWindowState(wsMaximized);
  Pump();
  EXPECT_TRUE(IsZoomed(b->Handle()));
  // Activating the other child hands the maximised state on, and the forms know.
  SendMessageW(parent->ClientHandle(), WM_MDIACTIVATE, WPARAM(a->Handle()), 0);
  Pump();
  EXPECT_EQ(a->WindowState(), wsMaximized);
  EXPECT_EQ(b->WindowState(), wsNormal);
  a->SetWindowState(wsNormal);
  Pump();
  EXPECT_FALSE(IsZoomed(a->Handle()));
  // Closing a child minimises it; one that frees itself goes.
  a->Close();
  Pump();
  EXPECT_EQ(a->WindowState(), wsMinimized);
  EXPECT_TRUE(IsIconic(a->Handle()));
  b->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  b->Close();
  Pump();
  EXPECT_EQ(parent->MDIChildCount(), 1);
  // Tiling: two restored children side by side (tbVertical) over the client.
  TForm* c = Child("C");
  a->SetWindowState(wsNormal);
  Pump();
  parent->TileMode = tbVertical;
  parent->Tile();
  RECT client;
  GetClientRect(parent->ClientHandle(), &client);
  EXPECT_EQ(a->Width() + c->Width(), client.right);
  EXPECT_EQ(a->Height(), client.bottom);
  parent->Cascade();
  EXPECT_EQ(c->Width(), client.right * 3 / 4);
}

TEST_F(MdiForms, AChildNeedsAnMdiParent) {
  parent->SetFormStyle(fsNormal);
  auto* f = new TForm(Application);
  f->SetFormStyle(fsMDIChild);
  EXPECT_THROW(f->Show(), EInvalidOperation);
  delete f;
}

}  // namespace
}  // namespace qv::test
