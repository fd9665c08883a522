// The system controls and the window's menus: the keys and clicks a control
// does not use reach the default procedure, so Alt+letter opens the menu bar
// and the menu key or the right button ask for a context menu whichever
// control has the focus; the edit's own context menu offers what the edit
// can do at that moment and carries out the choice.
#include "SysControlsTestSupport.h"
#include "platform/menus/Menus.h"
#include "platform/ole/Clipboard.h"

namespace qv::test {
namespace {

constexpr UINT kExit = 100;

struct Heard {
  std::vector<UINT> commands;
  std::vector<HWND> contextFrom;
};
Heard* gHeard = nullptr;

LRESULT TopProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND && l == 0 && gHeard) gHeard->commands.push_back(LOWORD(w));
  if (m == WM_CONTEXTMENU && gHeard) gHeard->contextFrom.push_back(reinterpret_cast<HWND>(w));
  if (m == WM_CONTEXTMENU) return 0;
  return DefWindowProcW(h, m, w, l);
}

// The edit's context menu handle, caught as the menu drops down.
HMENU gEditMenu = nullptr;
WNDPROC gEditProc = nullptr;
LRESULT EditSpy(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_INITMENUPOPUP) gEditMenu = reinterpret_cast<HMENU>(w);
  return CallWindowProcW(gEditProc, h, m, w, l);
}

class ControlMenus : public SysControlsTest {
 protected:
  void SetUp() override {
    SysControlsTest::SetUp();
    gHeard = &heard;
    WNDCLASSEXW wc;
    wc.lpfnWndProc = TopProc;
    wc.lpszClassName = u"QvMenuTop";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    if (top) DestroyWindow(top);
    gHeard = nullptr;
    SysControlsTest::TearDown();
    UnregisterClassW(u"QvMenuTop", nullptr);
  }
  // A captioned window with the bar "&File" (E&xit).
  HWND MakeTop() {
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kExit, u"E&xit");
    AppendMenuW(bar, MF_POPUP, uintptr_t(file), u"&File");
    top = CreateWindowExW(0, u"QvMenuTop", u"Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 20, 360, 300,
                          nullptr, bar, nullptr, nullptr);
    backend.Pump();
    return top;
  }
  HWND Child(LPCWSTR cls, DWORD style, RECT r, int id) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.left, r.top, r.Width(),
                           r.Height(), top, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  }
  // Alt+F, then X inside the menu loop.
  void AltFileExit() {
    backend.WhenIdle([&] { backend.KeyPress('X'); });
    backend.KeyDown(VK_MENU);
    backend.KeyPress('F');
    backend.KeyUp(VK_MENU);
    backend.Pump();
  }
  void RightClick(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    backend.Click(p.x, p.y, MouseButton::Right);
    backend.Pump();
  }
  UINT State(int pos) { return GetMenuState(gEditMenu, UINT(pos), MF_BYPOSITION); }
  bool Enabled(int pos) { return !(State(pos) & MF_GRAYED); }
  // Right-clicks the edit, checks the enabled items (positions 0 Undo, 2 Cut,
  // 3 Copy, 4 Paste, 5 Delete, 7 Select All) and picks one by its access key.
  void ContextChoice(HWND edit, std::vector<bool> enabled, UINT key) {
    gEditMenu = nullptr;
    bool shown = false;
    backend.WhenIdle([&, enabled, key] {
      shown = gEditMenu && MenuWindowOf(gEditMenu);
      ASSERT_TRUE(shown);
      ASSERT_EQ(GetMenuItemCount(gEditMenu), 8);
      std::vector<bool> now;
      for (int pos : {0, 2, 3, 4, 5, 7}) now.push_back(Enabled(pos));
      EXPECT_EQ(now, enabled);
      backend.KeyPress(key);
    });
    RightClick(edit, 20, 8);
    EXPECT_TRUE(shown);
    EXPECT_EQ(MenuWindowOf(gEditMenu), nullptr);
  }

  Heard heard;
  HWND top = nullptr;
};

TEST_F(ControlMenus, AltLetterOpensTheMenuBarWhicheverControlHasTheFocus) {
  MakeTop();
  std::vector<HWND> controls = {
      Child(u"EDIT", WS_BORDER | ES_AUTOHSCROLL, {10, 10, 150, 32}, 1),
      Child(u"EDIT", WS_BORDER | ES_MULTILINE | WS_VSCROLL, {10, 40, 150, 90}, 2),
      Child(u"BUTTON", BS_PUSHBUTTON, {170, 10, 250, 35}, 3),
      Child(u"BUTTON", BS_AUTOCHECKBOX, {170, 40, 300, 60}, 4),
      Child(u"LISTBOX", WS_BORDER | LBS_NOTIFY, {10, 100, 150, 170}, 5),
      Child(u"COMBOBOX", CBS_DROPDOWNLIST, {170, 100, 300, 200}, 6),
      Child(u"COMBOBOX", CBS_DROPDOWN, {170, 140, 300, 240}, 7),
  };
  SetWindowTextW(controls[0], u"typed");
  for (size_t i = 0; i < controls.size(); ++i) {
    SetFocus(controls[i]);
    backend.Pump();
    heard.commands.clear();
    AltFileExit();
    EXPECT_EQ(heard.commands, std::vector<UINT>{kExit}) << "control " << i;
  }
  // The keys went to the menu, not into the edit.
  EXPECT_EQ(TextOf(controls[0]), u"typed");
  // The menu key asks the control's parent for a context menu, on its release.
  for (size_t i : {2u, 4u, 5u}) {
    SetFocus(controls[i]);
    heard.contextFrom.clear();
    backend.KeyDown(VK_APPS);
    backend.Pump();
    EXPECT_TRUE(heard.contextFrom.empty());
    backend.KeyUp(VK_APPS);
    backend.Pump();
    EXPECT_EQ(heard.contextFrom, std::vector<HWND>{controls[i]}) << "control " << i;
  }
  // Alt held for a key the control uses (Alt+Down drops a combo's list) is not
  // Alt alone: its release leaves the menu bar closed.
  SetFocus(controls[5]);
  heard.commands.clear();
  backend.WhenIdle([&] {
    ADD_FAILURE() << "the menu bar was entered";
    backend.KeyPress(VK_ESCAPE);
  });
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_DOWN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  EXPECT_TRUE(SendMessageW(controls[5], CB_GETDROPPEDSTATE, 0, 0));
  backend.KeyPress(VK_ESCAPE);
  backend.Pump();
  // So does the right button over a button or a list.
  heard.contextFrom.clear();
  RightClick(controls[2], 5, 5);
  RightClick(controls[4], 5, 5);
  EXPECT_EQ(heard.contextFrom, (std::vector<HWND>{controls[2], controls[4]}));
}

TEST_F(ControlMenus, EditContextMenuOffersWhatTheEditCanDoAndDoesIt) {
  MakeTop();
  HWND e = Child(u"EDIT", WS_BORDER | ES_AUTOHSCROLL, {10, 10, 200, 32}, 1);
  gEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(e, GWLP_WNDPROC, LONG_PTR(&EditSpy)));
  SetWindowTextW(e, u"hello world");
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  SendMessageW(e, EM_SETSEL, 0, 5);
  // Undo, Cut, Copy, Paste, Delete, Select All.
  ContextChoice(e, {false, true, true, false, true, true}, 'T');
  EXPECT_EQ(TextOf(e), u" world");
  EXPECT_EQ(GetClipboardTextW(), u"hello");
  EXPECT_EQ(GetFocus(), e);  // the right button gave it the focus
  // Nothing selected: only Undo, Paste and Select All.
  EXPECT_EQ(backend.Primary, u"") << "a program's selection was offered";
  ContextChoice(e, {true, false, false, true, false, true}, 'A');
  EXPECT_EQ(Sel(e), std::make_pair(0, 6));
  EXPECT_EQ(backend.Primary, u" world") << "the user's Select All is the primary selection";
  // All selected: Select All has nothing left to do; Undo brings the cut back.
  ContextChoice(e, {true, true, true, true, true, false}, 'U');
  EXPECT_EQ(TextOf(e), u"hello world");
  SendMessageW(e, EM_SETSEL, 6, 11);
  ContextChoice(e, {true, true, true, true, true, true}, 'D');
  EXPECT_EQ(TextOf(e), u"hello ");
  EXPECT_EQ(GetClipboardTextW(), u"hello");  // Delete leaves the clipboard alone
  // From the keyboard (Shift+F10), Esc closes it and nothing changes.
  bool shown = false;
  gEditMenu = nullptr;
  backend.WhenIdle([&] {
    shown = gEditMenu && MenuWindowOf(gEditMenu);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.KeyDown(VK_SHIFT);
  backend.KeyDown(VK_F10);
  backend.KeyUp(VK_F10);
  backend.KeyUp(VK_SHIFT);
  backend.Pump();
  EXPECT_TRUE(shown);
  EXPECT_EQ(TextOf(e), u"hello ");
  // A read-only edit offers Copy and Select All; a password edit only Select All (and Paste).
  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  SendMessageW(e, EM_SETSEL, 0, 2);
  ContextChoice(e, {false, false, true, false, false, true}, VK_ESCAPE);
  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  SendMessageW(e, EM_SETPASSWORDCHAR, '*', 0);
  ContextChoice(e, {true, false, false, true, true, true}, 'P');
  EXPECT_EQ(TextOf(e), u"hellollo ");
  SetWindowLongPtrW(e, GWLP_WNDPROC, LONG_PTR(gEditProc));
  EXPECT_TRUE(heard.contextFrom.empty());  // the edit kept its context menu to itself
}

}  // namespace
}  // namespace qv::test
