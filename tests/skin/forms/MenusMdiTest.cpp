// The skinned menus (handlers installed and removed without touching anyone
// else's, item sizes, the menu line and a popup painted from the skin with
// its own background and shape, the extra line) and MDI frames (the client's
// scroll information rebased, the client subclassed and given back only by
// its subclasser, the child-icon item of a maximised child).
#include <cmath>

#include "FramesSkin.h"
#include "classlib/controls/Screen.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skMDIForm.h"
#include "skin/forms/skSystemMenu.h"
#include "skin/forms/skinMenus.h"

namespace qv::test {
namespace {

class Menus : public FormsTest {
 protected:
  TMainMenu* menu = nullptr;
  TMenuItem *file = nullptr, *open = nullptr, *line = nullptr, *quit = nullptr, *help = nullptr;
  TMenuItem* Item(TMenuItem* parent, const std::string& caption, const std::string& name) {
    auto* i = new TMenuItem(form);
    i->SetCaption(caption);
    i->SetName(name);
    parent->Add(i);
    return i;
  }
  void BuildMenu() {
    menu = new TMainMenu(form);
    file = Item(menu->Items(), "&File", "FileItem");
    open = Item(file, "&Open", "OpenItem");
    line = Item(file, "-", "LineItem");
    quit = Item(file, "&Quit", "QuitItem");
    help = Item(menu->Items(), "&Help", "HelpItem");
    form->SetMenu(menu);
  }
  TSkinableMenus* Painter() { return dynamic_cast<TSkinableMenus*>(manager->MenuPainter()); }
};

TEST_F(Menus, OwnHandlersComeAndGoForeignOnesStay) {
  BuildMenu();
  int foreign = 0;
  quit->OnMeasureItem = [&](TObject*, TCanvas*, int&, int&) { ++foreign; };
  AddProvider();
  Show();
  LoadSkin();
  TSkinableMenus* p = Painter();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(menu->OwnerDraw());
  EXPECT_TRUE(p->HasOwnDraw(file));
  EXPECT_TRUE(p->HasOwnMeasure(file));
  EXPECT_TRUE(p->HasOwnDraw(open));
  EXPECT_TRUE(p->HasOwnDraw(quit));
  EXPECT_FALSE(p->HasOwnMeasure(quit));  // it had a handler of its own
  manager->SetActive(false);
  backend.Pump();
  EXPECT_FALSE(menu->OwnerDraw());
  EXPECT_FALSE(p->HasOwnDraw(file));
  EXPECT_FALSE(p->HasOwnDraw(open));
  EXPECT_FALSE(p->HasOwnMeasure(open));
  ASSERT_TRUE(bool(quit->OnMeasureItem));
  int w = 0, h = 0;
  quit->OnMeasureItem(quit, form->Canvas(), w, h);
  EXPECT_EQ(foreign, 1);
}

TEST_F(Menus, ItemSizesFollowTheirKind) {
  BuildMenu();
  AddProvider();
  Show();
  LoadSkin();
  TSkinableMenus* p = Painter();
  EXPECT_EQ(MenuItemType(line), smDivider);
  EXPECT_EQ(MenuItemType(open), smNormal);
  auto* title = Item(file, "-Section-", "TitleItem");
  EXPECT_EQ(MenuItemType(title), smCaption);
  TBitmap bmp(10, 10);
  int w = 0, h = 0;
  p->MeasureItem(line, bmp.Canvas(), w, h);
  EXPECT_EQ(h, 2);
  p->MeasureItem(open, bmp.Canvas(), w, h);
  const int text = int(std::lround(bmp.Canvas()->TextHeight("W") * 1.25));
  EXPECT_EQ(h, std::max(text, 16) + 2 * p->Margin);
  EXPECT_GT(w, 2 * 16 + 3 * p->Margin + p->Spacing);
  // The frame mask reports no border width of its own: the popup frame is 3.
  p->SetSkinBorderWidth(-1);
  EXPECT_EQ(p->SkinBorderWidth(), 3);
  // The extra line widens popup items, except in the skin list.
  manager->MenuSupport().UseExtraLine = true;
  int wide = 0;
  p->FreeMenuBackground();
  p->MeasureItem(open, bmp.Canvas(), wide, h);
  EXPECT_EQ(wide, w + manager->MenuSupport().ExtraLineWidth);
  auto* list = new TPopupMenu(form);
  auto* first = new TMenuItem(list);
  first->SetName("SkinSelectItem");
  first->SetCaption("Available skins");
  list->Items()->Add(first);
  int plain = 0, listW = 0;
  manager->MenuSupport().UseExtraLine = false;
  p->FreeMenuBackground();
  p->MeasureItem(first, bmp.Canvas(), plain, h);
  manager->MenuSupport().UseExtraLine = true;
  p->FreeMenuBackground();
  p->MeasureItem(first, bmp.Canvas(), listW, h);
  EXPECT_EQ(listW, plain);
}

TEST_F(Menus, MenuLineAndPopupPaintFromTheSkin) {
  BuildMenu();
  AddProvider();
  Show();
  LoadSkin();
  HWND hwnd = form->WindowHandle();
  HMENU bar = GetMenu(hwnd);
  ASSERT_NE(bar, nullptr);
  RECT fileR, helpR;
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 0, &fileR));
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 1, &helpR));
  // Past the last item the line shows its own colour; an item its item colour.
  EXPECT_EQ(At(helpR.right + 20, helpR.top + 3), kMenuLine);
  EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItem);
  // Open the File menu: a popup window painted from the skin.
  HWND popup = nullptr;
  backend.WhenIdle([&] {
    popup = MenuWindowOf(file->Handle());
    ASSERT_NE(popup, nullptr);
    RECT pr;
    GetWindowRect(popup, &pr);
    EXPECT_NE(Painter()->BackgroundOf(popup), nullptr);
    const Surface shot = backend.Screenshot();
    EXPECT_EQ(shot.At(pr.left, (pr.top + pr.bottom) / 2) & 0xFFFFFF, kEdge);  // the frame's edge
    EXPECT_TRUE(Near(shot.At(pr.left + 1, (pr.top + pr.bottom) / 2) & 0xFFFFFF, kPopup));
    EXPECT_EQ(shot.At(pr.left + 20, pr.top + 3 + 2) & 0xFFFFFF, kMenuItem);  // the first item's face
    EXPECT_NE(shot.At(pr.left, pr.top) & 0xFFFFFF, kEdge);                   // the see-through corner
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click((fileR.left + fileR.right) / 2, (fileR.top + fileR.bottom) / 2);
  backend.Pump();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(MenuWindowOf(file->Handle()), nullptr);
  EXPECT_EQ(Painter()->BackgroundOf(popup), nullptr);  // forgotten with its window
}

// The title whose menu is dropped down is drawn pressed through the skinned
// menus and goes back to its resting face when the menu closes; the line lies
// inside the frame, whose edge lines run on beside it.
TEST_F(Menus, OpenTitleStaysPressedInsideTheFrameEdges) {
  BuildMenu();
  Item(help, "&About", "AboutItem");
  AddProvider();
  Show();
  LoadSkin();
  HWND hwnd = form->WindowHandle();
  RECT fileR, helpR;
  ASSERT_TRUE(GetMenuItemRect(hwnd, GetMenu(hwnd), 0, &fileR));
  ASSERT_TRUE(GetMenuItemRect(hwnd, GetMenu(hwnd), 1, &helpR));
  const int lineY = (fileR.top + fileR.bottom) / 2;
  EXPECT_EQ(At(form->Left(), lineY), kEdge);
  EXPECT_EQ(At(form->Left() + form->Width() - 1, lineY), kEdge);
  EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItem);
  bool checked = false;
  backend.WhenIdle([&] {
    ASSERT_NE(MenuWindowOf(file->Handle()), nullptr);
    EXPECT_EQ(provider->MenuLineItemSelected(), 0);
    EXPECT_TRUE(provider->MenuLineItemOpen());
    EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItemHot);
    EXPECT_EQ(At(helpR.left + 1, helpR.top + 1), kMenuItem);
    // A full repaint of the frame keeps the open title pressed.
    provider->SkinData()->BGChanged = true;
    SendMessage(hwnd, WM_NCPAINT, 0, 0);
    EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItemHot);
    backend.KeyPress(VK_RIGHT);  // the next title's menu drops down instead
  });
  backend.WhenIdle([&] {
    ASSERT_NE(MenuWindowOf(help->Handle()), nullptr);
    EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItem);
    EXPECT_EQ(At(helpR.left + 1, helpR.top + 1), kMenuItemHot);
    checked = true;
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click((fileR.left + fileR.right) / 2, lineY);
  backend.Pump();
  EXPECT_TRUE(checked);
  EXPECT_EQ(provider->MenuLineItemSelected(), -1);
  EXPECT_EQ(At(fileR.left + 1, fileR.top + 1), kMenuItem);
  EXPECT_EQ(At(helpR.left + 1, helpR.top + 1), kMenuItem);
}

// The main window's menu message names an item of the open popup: the window
// under the item is handed to the painter, which paints its frame from the
// popup's background. No item, an item of the menu line or an unknown pointer
// hand nothing over; with no popup open the message is not the skin's.
TEST_F(Menus, MainWindowMenuMessageHandsThePopupWindowOver) {
  BuildMenu();
  AddProvider();
  Show();
  LoadSkin();
  HWND hwnd = form->WindowHandle();
  const LONG_PTR formProc = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  RECT fileR;
  ASSERT_TRUE(GetMenuItemRect(hwnd, GetMenu(hwnd), 0, &fileR));
  auto send = [&](const void* item) { SendMessage(Application->Handle(), 0xBCB3, 0, LPARAM(item)); };
  bool checked = false;
  backend.WhenIdle([&] {
    struct Close {
      HeadlessBackend& b;
      ~Close() { b.KeyPress(VK_ESCAPE), b.KeyPress(VK_ESCAPE); }
    } close{backend};
    HWND popup = MenuWindowOf(file->Handle());
    ASSERT_NE(popup, nullptr);
    RECT pr;
    GetWindowRect(popup, &pr);
    auto edge = [&] { return backend.Screenshot().At(pr.left, (pr.top + pr.bottom) / 2) & 0xFFFFFF; };
    ASSERT_EQ(edge(), kEdge);
    auto scribble = [&] {
      HDC dc = GetWindowDC(popup);
      HBRUSH b = CreateSolidBrush(RGB(0, 200, 0));
      RECT all{0, 0, pr.Width(), pr.Height()};
      FillRect(dc, &all, b);
      DeleteObject(b);
      ReleaseDC(popup, dc);
    };
    scribble();
    ASSERT_NE(edge(), kEdge);
    send(nullptr);
    EXPECT_NE(edge(), kEdge);
    send(file);  // on the menu line: its window is the form, which is no popup
    EXPECT_NE(edge(), kEdge);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), formProc);
    TMenuItem stray(nullptr);  // in no menu
    send(&stray);
    EXPECT_NE(edge(), kEdge);
    send(quit);
    EXPECT_EQ(edge(), kEdge);
    EXPECT_NE(Painter()->BackgroundOf(popup), nullptr);
    checked = true;
  });
  backend.Click((fileR.left + fileR.right) / 2, (fileR.top + fileR.bottom) / 2);
  backend.Pump();
  EXPECT_TRUE(checked);
  send(quit);  // no popup open any more
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), formProc);
}

TEST_F(Menus, EachOpenPopupKeepsItsOwnBackground) {
  BuildMenu();
  TMenuItem* more = Item(file, "&More", "MoreItem");
  Item(more, "&Deeper", "DeeperItem");
  Item(more, "D&eepest command", "DeepestItem");
  AddProvider();
  Show();
  LoadSkin();
  HWND hwnd = form->WindowHandle();
  RECT fileR;
  ASSERT_TRUE(GetMenuItemRect(hwnd, GetMenu(hwnd), 0, &fileR));
  HWND parent = nullptr, sub = nullptr;
  backend.WhenIdle([&] {
    parent = MenuWindowOf(file->Handle());
    ASSERT_NE(parent, nullptr);
    RECT r;
    GetMenuItemRect(hwnd, file->Handle(), 3, &r);  // "More"
    backend.MouseMove(r.left + 10, r.top + 3);
  });
  backend.WhenIdle([&] {
    backend.AdvanceClock(1000);  // the sub-menu opens after the hover delay
  });
  backend.WhenIdle([&] {
    sub = MenuWindowOf(more->Handle());
    if (!sub) backend.KeyPress(VK_RIGHT);
  });
  backend.WhenIdle([&] {
    sub = MenuWindowOf(more->Handle());
    ASSERT_NE(sub, nullptr);
    TBitmap* a = Painter()->BackgroundOf(parent);
    TBitmap* b = Painter()->BackgroundOf(sub);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a->Height(), b->Height());  // each made to its own popup's size
    // The parent's frame painted again comes from its own background.
    SendMessage(parent, WM_NCPAINT, 0, 0);
    RECT pr;
    GetWindowRect(parent, &pr);
    EXPECT_EQ(backend.Screenshot().At(pr.left, pr.bottom - 3) & 0xFFFFFF, kEdge);
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click((fileR.left + fileR.right) / 2, (fileR.top + fileR.bottom) / 2);
  backend.Pump();
  EXPECT_NE(sub, nullptr);
}

TEST_F(Menus, TheIconDropsTheSkinnedSystemMenu) {
  AddProvider();
  Show();
  LoadSkin();
  const RECT icon = provider->IconRect();
  bool shown = false;
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(provider->SystemMenu()->Items()->Handle());
    shown = w != nullptr;
    if (w) {
      // The skin list comes first, then the window commands, owner-drawn by the skin.
      EXPECT_EQ(provider->SystemMenu()->Items()->Items(0)->Name(), "SkinSelectItem");
      EXPECT_TRUE(Painter()->HasOwnDraw(provider->SystemMenu()->ItemClose));
    }
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click(form->Left() + icon.left + 2, form->Top() + (icon.top + icon.bottom) / 2);
  backend.Pump();
  EXPECT_TRUE(shown);
}

TEST(MdiScrollInfo, RebasedToStartAtZero) {
  SCROLLINFO si;
  si.nMin = -40, si.nMax = 300, si.nPage = 100, si.nPos = -10;
  TSkMDIScrollAxis a = RebaseScrollInfo(si, false);
  EXPECT_TRUE(a.Needed);
  EXPECT_EQ(a.Offset, -40);
  EXPECT_EQ(a.Info.nMin, 0);
  EXPECT_EQ(a.Info.nMax, 300 - 100 + 40 + 1);
  EXPECT_EQ(a.Info.nPos, 30);
  si.nMin = 0, si.nMax = 50, si.nPage = 100;
  EXPECT_FALSE(RebaseScrollInfo(si, false).Needed);  // it all fits
  si.nMin = 0, si.nMax = 0, si.nPage = 0;
  EXPECT_EQ(int(RebaseScrollInfo(si, true).Info.nPage), 80);
  si.nMin = 5, si.nMax = 104, si.nPage = 100;  // rebased to the offset itself
  EXPECT_FALSE(RebaseScrollInfo(si, true).Needed);
}

class Mdi : public FormsTest {
 protected:
  TForm* Child(int x, int y) {
    auto* f = new TForm(Application);
    f->SetFormStyle(fsMDIChild);
    f->SetCaption("Child");
    f->SetBounds(x, y, 150, 100);
    f->Show();
    backend.Pump();
    children.push_back(f);
    return f;
  }
  void BuildFrame(bool withIcons = true) {
    // Children need the application's main form as their frame.
    delete form;
    Application->CreateForm(form);
    form->SetBounds(40, 30, 320, 220);
    form->SetFormStyle(fsMDIForm);
    if (!withIcons) form->SetBorderIcons(TBorderIcons{});
    auto* menu = new TMainMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption("&Window");
    menu->Items()->Add(item);
    form->SetMenu(menu);
    AddProvider();
    Show();
  }
  void TearDown() override {
    for (TForm* c : children) delete c;
    FormsTest::TearDown();
  }
  std::vector<TForm*> children;
};

WNDPROC foreignNext = nullptr;
LRESULT ForeignProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return CallWindowProcW(foreignNext, h, m, w, l);
}

TEST_F(Mdi, ClientIsSubclassedWhileSkinnedAndGivenBack) {
  BuildFrame();
  HWND client = form->ClientHandle();
  ASSERT_NE(client, nullptr);
  const LONG_PTR original = GetWindowLongPtrW(client, GWLP_WNDPROC);
  LoadSkin();
  client = form->ClientHandle();  // the skin's border icons made the windows anew
  ASSERT_NE(provider->MDIForm(), nullptr);
  EXPECT_TRUE(provider->MDIForm()->Subclassed());
  EXPECT_NE(GetWindowLongPtrW(client, GWLP_WNDPROC), original);
  // The client's background comes from the skin.
  RECT cr;
  GetWindowRect(client, &cr);
  EXPECT_EQ(At(cr.left + 20, cr.top + 20), kMdiArea);
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(provider->MDIForm(), nullptr);
  client = form->ClientHandle();
  EXPECT_EQ(GetWindowLongPtrW(client, GWLP_WNDPROC), original);
}

TEST_F(Mdi, AForeignSubclassIsNeverUndone) {
  BuildFrame(false);  // nothing for the skin to change: the windows stay
  LoadSkin();
  HWND client = form->ClientHandle();
  ASSERT_NE(provider->MDIForm(), nullptr);
  // Someone else subclasses the client after the skin did.
  foreignNext = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
  delete provider;  // the skin support goes without the border icons changing
  backend.Pump();
  EXPECT_EQ(GetWindowLongPtrW(client, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
}

TEST_F(Mdi, MaximisedChildPutsItsIconItemFirstAndBarsGo) {
  BuildFrame();
  LoadSkin();
  TForm* child = Child(400, 300);  // partly outside: the client scrolls
  provider->MDIForm()->UpdateScrollBars();
  EXPECT_TRUE(provider->MDIForm()->ScrollV() || provider->MDIForm()->ScrollH());
  SendMessage(child->WindowHandle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  backend.Pump();
  ASSERT_EQ(child->WindowState(), wsMaximized);
  provider->MDIForm()->UpdateMDIIconItem();
  TMenuItem* first = form->Menu()->Items()->Items(0);
  EXPECT_EQ(first->Name(), "skMDICII");
  ASSERT_EQ(first->Count(), 4);
  EXPECT_EQ(first->Items(3)->ShortCut(), TShortCut(16499));
  // The icon item is 8 pixels wide and the icon stays out of the next title.
  SendMessage(form->WindowHandle(), WM_NCPAINT, 0, 0);
  RECT iconR, windowR;
  HMENU bar = GetMenu(form->WindowHandle());
  ASSERT_TRUE(GetMenuItemRect(form->WindowHandle(), bar, 0, &iconR));
  ASSERT_TRUE(GetMenuItemRect(form->WindowHandle(), bar, 1, &windowR));
  EXPECT_EQ(iconR.right - iconR.left, 8);
  for (int x = windowR.left; x < windowR.left + 4; ++x)
    for (int y = windowR.top + 1; y < windowR.bottom - 1; ++y)
      ASSERT_EQ(At(x, y), kMenuItem) << x << "," << y;
  for (TSkScrollBar* b : {provider->MDIForm()->ScrollV(), provider->MDIForm()->ScrollH()})
    if (b) {
      EXPECT_FALSE(b->Visible());
    }
  // The child's buttons sit at the right of the frame's menu line: close rightmost.
  SendMessage(form->WindowHandle(), WM_NCPAINT, 0, 0);
  const int lineY = provider->CaptionHeight() + provider->SysBorderHeight() + provider->MenuHeight() / 2;
  const int closeX = form->Width() - provider->SysBorderWidth() - 17 - 2 + 8;
  auto hit = [&](int x) {
    return SendMessage(form->WindowHandle(), WM_NCHITTEST, 0,
                       MAKELPARAM(form->Left() + x, form->Top() + lineY));
  };
  EXPECT_EQ(hit(closeX), HTMDICLOSE);
  EXPECT_EQ(hit(closeX - 17), HTMDIRESTORE);
  EXPECT_EQ(hit(closeX - 34), HTMDIMINIMIZE);
  // Restore through the item: the item goes again.
  first->Items(0)->Click();
  backend.Pump();
  provider->MDIForm()->UpdateMDIIconItem();
  EXPECT_NE(form->Menu()->Items()->Items(0)->Name(), "skMDICII");
}

// The client's skinned bars carry its rebased scroll information, lie along
// its right and bottom edges with the grip between them, scroll the client
// when moved, and go when the children fit again.
TEST_F(Mdi, ClientScrollBarsFollowTheClientAndScrollIt) {
  BuildFrame();
  LoadSkin();
  TForm* child = Child(400, 300);  // past the client's right and bottom edges
  TSkMDIForm* mdi = provider->MDIForm();
  ASSERT_NE(mdi, nullptr);
  mdi->UpdateScrollBars();
  HWND client = form->ClientHandle();
  TSkScrollBar* v = mdi->ScrollV();
  TSkScrollBar* h = mdi->ScrollH();
  ASSERT_TRUE(v && h);
  EXPECT_TRUE(v->Visible());
  EXPECT_TRUE(h->Visible());
  for (auto [bar, axis] : {std::pair{v, SB_VERT}, std::pair{h, SB_HORZ}}) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(client, axis, &si));
    const TSkMDIScrollAxis a = RebaseScrollInfo(si, axis == SB_HORZ);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), a.Info.nMax);
    EXPECT_EQ(bar->PageSize(), int(a.Info.nPage));
    EXPECT_EQ(bar->LargeChange, int(a.Info.nPage));
    EXPECT_EQ(bar->Position(), a.Info.nPos);
    EXPECT_EQ(bar->SmallChange, 8);
    EXPECT_FALSE(bar->TabStop());
  }
  RECT cr;
  GetWindowRect(client, &cr);
  POINT tl{cr.left, cr.top};
  ScreenToClient(form->WindowHandle(), &tl);
  const int right = tl.x + cr.Width(), bottom = tl.y + cr.Height();
  EXPECT_EQ(v->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(v->Left() + v->Width(), right);
  EXPECT_EQ(v->Top(), tl.y);
  EXPECT_EQ(h->Height(), GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(h->Top() + h->Height(), bottom);
  EXPECT_EQ(h->Left() + h->Width(), v->Left());
  ASSERT_NE(mdi->Grip(), nullptr);
  EXPECT_TRUE(mdi->Grip()->Visible());
  EXPECT_EQ(mdi->Grip()->Left(), v->Left());
  EXPECT_EQ(mdi->Grip()->Top(), h->Top());
  // Moving a bar scrolls the client: the child moves the other way.
  RECT before, after;
  GetWindowRect(child->WindowHandle(), &before);
  v->SetPosition(v->Position() + 30);
  h->SetPosition(h->Position() + 20);
  backend.Pump();
  GetWindowRect(child->WindowHandle(), &after);
  EXPECT_EQ(before.top - after.top, 30);
  EXPECT_EQ(before.left - after.left, 20);
  // The child inside the client again: no bars and no grip.
  child->SetBounds(5, 5, 100, 60);
  SendMessage(client, WM_SIZE, 0, 0);
  mdi->UpdateScrollBars();
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());
  EXPECT_FALSE(mdi->Grip()->Visible());
}

// The child-icon item's commands reach the active child: Minimize, and Close
// (Ctrl+F4), after which the item leaves the menu with the last maximised child.
TEST_F(Mdi, IconItemCommandsReachTheActiveChild) {
  BuildFrame();
  LoadSkin();
  TForm* child = Child(10, 10);
  std::vector<TCloseAction> closes;
  child->OnClose = [&](TObject*, TCloseAction& Action) {
    Action = caFree;
    closes.push_back(Action);
  };
  auto maximise = [&] {
    SendMessage(child->WindowHandle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    backend.Pump();
    provider->MDIForm()->UpdateMDIIconItem();
    TMenuItem* icon = form->Menu()->Items()->Items(0);
    EXPECT_EQ(icon->Name(), "skMDICII");
    return icon;
  };
  TMenuItem* icon = maximise();
  ASSERT_EQ(icon->Count(), 4);
  EXPECT_EQ(icon->Caption(), "");
  EXPECT_EQ(icon->Items(0)->Name(), "ItemMDIRestore");
  EXPECT_EQ(icon->Items(1)->Name(), "ItemMDIMinimize");
  EXPECT_EQ(icon->Items(2)->Caption(), "-");
  EXPECT_EQ(icon->Items(3)->Name(), "ItemMDIClose");
  auto* painter = dynamic_cast<TSkinableMenus*>(manager->MenuPainter());
  ASSERT_NE(painter, nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(painter->HasOwnDraw(icon->Items(i))) << i;
  icon->Items(1)->Click();
  backend.Pump();
  EXPECT_TRUE(IsIconic(child->WindowHandle()));
  provider->MDIForm()->UpdateMDIIconItem();
  EXPECT_NE(form->Menu()->Items()->Items(0)->Name(), "skMDICII");
  icon = maximise();
  icon->Items(3)->Click();
  backend.Pump();
  Application->ProcessMessages();  // the released child goes
  EXPECT_EQ(closes.size(), 1u);
  EXPECT_EQ(form->ActiveMDIChild(), nullptr);
  children.clear();  // freed by its close
  provider->MDIForm()->UpdateMDIIconItem();
  EXPECT_EQ(form->Menu()->Items()->Count(), 1);
  EXPECT_EQ(form->Menu()->Items()->Items(0)->Caption(), "&Window");
}

}  // namespace
}  // namespace qv::test
