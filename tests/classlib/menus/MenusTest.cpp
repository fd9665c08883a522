// Main and popup menus on forms driven by injected input: a title's OnClick
// when it drops down, items chosen by mouse, access keys and shortcuts,
// context menus from the right button, the platform items following the
// items' state, hints, and owner-drawn items whose popup window a skin
// subclasses and paints.
#include <set>

#include "../controls/ControlsTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/Menus.h"
#include "platform/window/Paint.h"

namespace qv::test {
namespace {

class Menus : public ControlsTest {
 protected:
  TMenuItem* Item(TComponent* owner, const std::string& caption, TMenuItem* parent) {
    auto* i = new TMenuItem(owner);
    i->SetCaption(caption);
    parent->Add(i);
    i->OnClick = [this, caption](TObject*) { clicks.push_back(caption); };
    return i;
  }
  // A captioned form with a menu bar: "&File" (Open, -, Exit) and "&Help" (About).
  TForm* MenuForm() {
    TForm* f = NewForm(RECT{60, 60, 460, 360}, bsSizeable);
    menu = new TMainMenu(f);
    file = Item(f, "&File", menu->Items());
    open = Item(f, "&Open", file);
    open->SetShortCut(TextToShortCut("Ctrl+O"));
    Item(f, "-", file);
    exitItem = Item(f, "E&xit", file);
    help = Item(f, "&Help", menu->Items());
    Item(f, "&About", help);
    f->SetMenu(menu);
    f->Show();
    Pump();
    return f;
  }
  RECT ItemRect(HWND owner, HMENU m, int pos) {
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(owner, m, UINT(pos), &r));
    return r;
  }
  void ClickAt(const RECT& r) { backend.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

  std::vector<std::string> clicks;
  TMainMenu* menu = nullptr;
  TMenuItem *file = nullptr, *open = nullptr, *exitItem = nullptr, *help = nullptr;
};

TEST_F(Menus, MainMenuBecomesTheMenuBarAndTitleClickFiresBeforeTheItem) {
  TForm* f = MenuForm();
  HWND h = f->Handle();
  ASSERT_EQ(GetMenu(h), menu->Handle());
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
  EXPECT_EQ(GetMenuItemCount(file->Handle()), 3);
  RECT title = ItemRect(h, menu->Handle(), 0);
  backend.WhenIdle([&] {
    HWND popup = MenuWindowOf(file->Handle());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(clicks, std::vector<std::string>{"&File"});  // the title's OnClick ran as it dropped down
    ClickAt(ItemRect(h, file->Handle(), 2));
  });
  ClickAt(title);
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"&File", "E&xit"}));
}

TEST_F(Menus, AccessKeysAndShortcutsReachTheItems) {
  TForm* f = MenuForm();
  auto* probe = new Probe(f);
  probe->SetParent(f);
  probe->SetBounds(10, 10, 100, 40);
  probe->SetFocus();
  Pump();
  backend.WhenIdle([&] { backend.KeyPress('X'); });
  backend.KeyDown(VK_MENU);
  backend.KeyPress('F');
  backend.KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"&File", "E&xit"}));
  clicks.clear();
  backend.KeyDown(VK_CONTROL);
  backend.KeyPress('O');
  backend.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(clicks, std::vector<std::string>{"&Open"});
  // A disabled item's shortcut does nothing.
  open->SetEnabled(false);
  clicks.clear();
  backend.KeyDown(VK_CONTROL);
  backend.KeyPress('O');
  backend.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_TRUE(clicks.empty());
}

TEST_F(Menus, ItemStateReachesThePlatformMenu) {
  TForm* f = MenuForm();
  HMENU h = file->Handle();
  open->SetChecked(true);
  exitItem->SetEnabled(false);
  EXPECT_TRUE(GetMenuState(h, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(h, 2, MF_BYPOSITION) & MF_GRAYED);
  char16_t text[64];
  GetMenuStringW(h, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::u16string(text), u"&Open\tCtrl+O");
  open->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(h), 2);
  // Radio items of one group: checking one unchecks the other.
  auto* a = Item(f, "A", help);
  auto* b = Item(f, "B", help);
  a->SetRadioItem(true), b->SetRadioItem(true);
  a->SetGroupIndex(1), b->SetGroupIndex(1);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(GetMenuState(help->Handle(), 1, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(help->Handle(), 2, MF_BYPOSITION) & MF_CHECKED);
  // Deleting an item takes it out of the platform menu.
  help->Delete(help->IndexOf(a));
  EXPECT_EQ(GetMenuItemCount(help->Handle()), 2);
  EXPECT_EQ(StripHotkey("Save &&As"), "Save &As");
  // The tree stays a tree.
  EXPECT_THROW(b->Add(help), EMenuError);
  EXPECT_THROW(help->Add(help), EMenuError);
  EXPECT_THROW(file->Add(b), EMenuError);
  EXPECT_THROW(file->Add(menu->Items()), EMenuError);
}

TEST_F(Menus, HighlightedItemHintBecomesTheApplicationHint) {
  TForm* f = MenuForm();
  open->SetHint("Open|Opens a database");
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint); };
  backend.WhenIdle([&] { backend.KeyPress(VK_DOWN); });
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  backend.KeyDown(VK_MENU);
  backend.KeyPress('F');
  backend.KeyUp(VK_MENU);
  Pump();
  Application->OnHint = nullptr;
  ASSERT_FALSE(hints.empty());
  EXPECT_NE(std::find(hints.begin(), hints.end(), "Opens a database"), hints.end());
  EXPECT_EQ(hints.back(), "");  // the menu closed
  (void)f;
}

TEST_F(Menus, RightClickPopsUpTheControlsContextMenu) {
  TForm* f = NewForm();
  f->Show();
  auto* probe = new Probe(f);
  probe->SetParent(f);
  probe->SetBounds(20, 20, 120, 60);
  auto* popup = new TPopupMenu(f);
  auto* copy = Item(f, "&Copy", popup->Items());
  Item(f, "C&lear", popup->Items());
  probe->SetPopupMenu(popup);
  TComponent* shownFor = nullptr;
  popup->OnPopup = [&](TObject*) { shownFor = popup->PopupComponent(); };
  Pump();
  POINT at = probe->ClientToScreen(POINT{30, 30});
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(popup->Handle());
    ASSERT_NE(w, nullptr);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.left, at.x);
    EXPECT_EQ(wr.top, at.y);
    ClickAt(ItemRect(w, popup->Handle(), 0));
  });
  backend.Click(at.x, at.y, MouseButton::Right);
  Pump();
  EXPECT_EQ(shownFor, probe);
  EXPECT_EQ(clicks, std::vector<std::string>{"&Copy"});
  // Without AutoPopup the right button shows nothing; OnContextPopup may veto too.
  popup->AutoPopup = false;
  backend.Click(at.x, at.y, MouseButton::Right);
  Pump();
  EXPECT_EQ(clicks.size(), 1u);
  popup->AutoPopup = true;
  bool asked = false;
  probe->OnContextPopup = [&](TObject*, POINT p, bool& handled) {
    asked = true;
    EXPECT_EQ(p.x, 30);
    handled = true;
  };
  backend.Click(at.x, at.y, MouseButton::Right);
  Pump();
  EXPECT_TRUE(asked);
  EXPECT_EQ(MenuWindowOf(popup->Handle()), nullptr);
  // Freeing the menu leaves the control without one.
  delete popup;
  EXPECT_EQ(probe->PopupMenu(), nullptr);
  (void)copy;
}

// What a skin does to a popup: it subclasses the window it finds through the
// item's DC, keeps the old procedure in the user data and paints the frame.
LRESULT SkinnedPopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_ERASEBKGND) return 1;
  if (msg == WM_NCPAINT) {
    HDC dc = GetWindowDC(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    FrameRect(dc, &r, green);
    DeleteObject(green);
    ReleaseDC(hwnd, dc);
    return 1;
  }
  return CallWindowProcW(old, hwnd, msg, wParam, lParam);
}

TEST_F(Menus, OwnerDrawnItemsCanBeSkinnedThroughTheirPopupWindow) {
  TForm* f = NewForm();
  f->Show();
  auto* popup = new TPopupMenu(f);
  popup->SetOwnerDraw(true);
  TMenuItem* first = Item(f, "&First", popup->Items());
  Item(f, "&Second", popup->Items());
  HWND subclassed = nullptr;
  int draws = 0;
  for (int i = 0; i < 2; ++i) {
    TMenuItem* it = popup->Items()->Items(i);
    it->OnMeasureItem = [](TObject*, TCanvas*, int& w, int& h) { w = 120, h = 24; };
    it->OnAdvancedDrawItem = [&](TObject*, TCanvas* c, RECT r, TOwnerDrawState state) {
      ++draws;
      HWND w = WindowFromDC(c->Handle());
      if (w && !subclassed) {
        subclassed = w;
        SetWindowLongPtrW(w, GWLP_USERDATA, SetWindowLongPtrW(w, GWLP_WNDPROC, LONG_PTR(SkinnedPopupProc)));
        SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
      }
      c->Brush()->SetColor(state.Contains(odSelected) ? clRed : clBlue);
      c->FillRect(r);
    };
  }
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(popup->Handle());
    ASSERT_EQ(w, subclassed);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.Width(), 126);
    EXPECT_EQ(wr.Height(), 54);
    Surface s = backend.Screenshot();
    EXPECT_EQ(s.At(wr.left, wr.top + 10) & 0xFFFFFF, Rgb(0, 200, 0));       // the skin's frame
    EXPECT_EQ(s.At(wr.left + 50, wr.top + 10) & 0xFFFFFF, Rgb(0, 0, 255));  // the item
    backend.KeyPress(VK_DOWN);
  });
  backend.WhenIdle([&] {
    RECT wr;
    GetWindowRect(subclassed, &wr);
    EXPECT_EQ(backend.Screenshot().At(wr.left + 50, wr.top + 10) & 0xFFFFFF, Rgb(255, 0, 0));  // selected
    backend.KeyPress(VK_RETURN);
  });
  popup->Popup(100, 100);
  Pump();
  EXPECT_GE(draws, 3);
  EXPECT_EQ(clicks, std::vector<std::string>{"&First"});
  (void)first;
}

TEST_F(Menus, ImagesMakeItemsOwnerDrawnWithTheImageInTheirColumn) {
  TForm* f = NewForm();
  f->Show();
  auto* images = new TImageList(f);
  images->SetSize(16, 16);
  TBitmap strip(16, 16);
  strip.Canvas()->Brush()->SetColor(clLime);
  strip.Canvas()->FillRect(RECT{0, 0, 16, 16});
  images->Add(&strip, nullptr);
  auto* popup = new TPopupMenu(f);
  popup->SetImages(images);
  TMenuItem* item = Item(f, "&Green", popup->Items());
  item->SetImageIndex(0);
  item->SetShortCut(TextToShortCut("Ctrl+G"));
  EXPECT_TRUE(item->IsOwnerDraw());
  EXPECT_TRUE(GetMenuState(popup->Handle(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
  backend.WhenIdle([&] {
    RECT r = ItemRect(MenuWindowOf(popup->Handle()), popup->Handle(), 0);
    int lime = 0;
    Surface s = backend.Screenshot();
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.left + 24; ++x) lime += (s.At(x, y) & 0xFFFFFF) == Rgb(0, 255, 0);
    EXPECT_GE(lime, 16 * 16);
    // Caption and shortcut are drawn in the menu font they were measured in:
    // a clear gap separates them and both fit the item.
    std::vector<bool> inkColumn(size_t(r.right - r.left), false);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left + 24; x < r.right; ++x)
        if ((s.At(x, y) & 0xFF) < 0x60) inkColumn[size_t(x - r.left)] = true;
    int widestGap = 0, gap = 0, lastInk = 0;
    bool seenInk = false;
    for (size_t x = 0; x < inkColumn.size(); ++x) {
      if (inkColumn[x]) {
        if (seenInk) widestGap = std::max(widestGap, gap);
        seenInk = true, gap = 0, lastInk = int(x);
      } else {
        ++gap;
      }
    }
    EXPECT_GE(widestGap, 12);
    EXPECT_LT(lastInk, r.right - r.left - 8);
    backend.KeyPress(VK_ESCAPE);
  });
  popup->Popup(200, 200);
  Pump();
  EXPECT_TRUE(clicks.empty());
}

// The dark pixels of an item's left column, relative to their top-left one.
std::set<std::pair<int, int>> CheckMarkInk(const Surface& s, const RECT& item) {
  std::set<std::pair<int, int>> ink;
  for (int y = item.top; y < item.bottom; ++y)
    for (int x = item.left; x < item.left + 20; ++x)
      if ((s.At(x, y) & 0xFF) < 0x60) ink.insert({x, y});
  int left = item.right, top = item.bottom;
  for (auto [x, y] : ink) left = std::min(left, x), top = std::min(top, y);
  std::set<std::pair<int, int>> shape;
  for (auto [x, y] : ink) shape.insert({x - left, y - top});
  return shape;
}

TEST_F(Menus, OwnerDrawnCheckMarksLookLikeTheMenusOwn) {
  TForm* f = NewForm();
  f->Show();
  std::vector<std::set<std::pair<int, int>>> marks;
  for (bool ownerDraw : {false, true}) {
    auto* popup = new TPopupMenu(f);
    popup->SetOwnerDraw(ownerDraw);
    Item(f, "&Ticked", popup->Items())->SetChecked(true);
    TMenuItem* radio = Item(f, "&Dotted", popup->Items());
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    ASSERT_EQ(popup->Items()->Items(0)->IsOwnerDraw(), ownerDraw);
    backend.WhenIdle([&] {
      HWND w = MenuWindowOf(popup->Handle());
      Surface s = backend.Screenshot();
      for (int i = 0; i < 2; ++i) marks.push_back(CheckMarkInk(s, ItemRect(w, popup->Handle(), i)));
      backend.KeyPress(VK_ESCAPE);
    });
    popup->Popup(200, 200);
    Pump();
  }
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_GE(marks[0].size(), 15u);  // a tick seven columns wide, three pixels thick
  EXPECT_NE(marks[0], marks[1]);    // the radio dot is another shape
  EXPECT_EQ(marks[2], marks[0]);
  EXPECT_EQ(marks[3], marks[1]);
}

TEST_F(Menus, OwnerDrawnMenuBarTitlesAreMeasuredAndDrawnByTheirItems) {
  TForm* f = MenuForm();
  HWND h = f->Handle();
  HWND drawnIn = nullptr;
  TOwnerDrawState lastState;
  file->OnMeasureItem = [](TObject*, TCanvas*, int& w, int&) { w = 80; };
  file->OnAdvancedDrawItem = [&](TObject*, TCanvas* c, RECT r, TOwnerDrawState state) {
    drawnIn = WindowFromDC(c->Handle());
    lastState = state;
    c->Brush()->SetColor(clYellow);
    c->FillRect(r);
  };
  menu->SetOwnerDraw(true);
  Pump();
  EXPECT_TRUE(GetMenuState(menu->Handle(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
  RECT title = ItemRect(h, menu->Handle(), 0);
  EXPECT_EQ(title.Width(), 80);
  EXPECT_EQ(drawnIn, h);
  EXPECT_EQ(backend.Screenshot().At(title.left + 40, title.top + 5) & 0xFFFFFF, Rgb(255, 255, 0));
  // The default drawing of the other title still shows its caption.
  RECT helpTitle = ItemRect(h, menu->Handle(), 1);
  int dark = 0;
  Surface s = backend.Screenshot();
  for (int y = helpTitle.top; y < helpTitle.bottom; ++y)
    for (int x = helpTitle.left; x < helpTitle.right; ++x) dark += (s.At(x, y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 10);
  backend.WhenIdle([&] {
    EXPECT_TRUE(lastState.Contains(odSelected));  // drawn as the open title
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  ClickAt(title);
  Pump();
}

TEST_F(Menus, ItemsAddedWhileThePopupShowsGrowIt) {
  TForm* f = NewForm();
  f->Show();
  auto* popup = new TPopupMenu(f);
  Item(f, "&One", popup->Items());
  int before = 0;
  backend.WhenIdle([&] {
    RECT wr;
    GetWindowRect(MenuWindowOf(popup->Handle()), &wr);
    before = wr.Height();
    Item(f, "&Two", popup->Items());
    Item(f, "T&hree", popup->Items());
  });
  backend.WhenIdle([&] {
    RECT wr;
    GetWindowRect(MenuWindowOf(popup->Handle()), &wr);
    EXPECT_GT(wr.Height(), before + 20);
    backend.KeyPress(VK_END);
    backend.KeyPress(VK_RETURN);
  });
  popup->Popup(50, 50);
  Pump();
  EXPECT_EQ(clicks, std::vector<std::string>{"T&hree"});
}

TEST_F(Menus, ClientSizeCountsTheMenuBarBeforeAndAfterTheWindowExists) {
  TForm* f = NewForm(RECT{10, 10, 310, 210}, bsSizeable);
  auto* m = new TMainMenu(f);
  Item(f, "&File", m->Items());
  int without = f->ClientHeight();
  f->SetMenu(m);
  int with = f->ClientHeight();
  EXPECT_EQ(with, without - GetSystemMetrics(SM_CYMENU));
  f->Show();
  Pump();
  EXPECT_EQ(f->ClientHeight(), with);
  delete m;  // the form forgets it and its bar goes
  Pump();
  EXPECT_EQ(f->Menu(), nullptr);
  EXPECT_EQ(GetMenu(f->Handle()), nullptr);
  EXPECT_EQ(f->ClientHeight(), without);
}

}  // namespace
}  // namespace qv::test
