// The gallery built headless and driven as a person would: its controls are
// laid out without overlaps and painted in the classic look; typing, the
// combo, check boxes, buttons, the scroll bar and the splitter do what they
// show; the main menu opens by keyboard with an edit focused, the popup menu
// by the right button, and the actions follow the form at idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "classlib/controls/Application.h"
#include "classlib/graphics/Brush.h"
#include "demo/gallery/GalleryForm.h"
#include "demo/gallery/GalleryLayout.h"
#include "platform/Utf.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::gallery {
namespace {

bool Near(uint32_t p, COLORREF c, int tolerance = 0) {
  return std::abs(PixelR(p) - GetRValue(c)) <= tolerance && std::abs(PixelG(p) - GetGValue(c)) <= tolerance &&
         std::abs(PixelB(p) - GetBValue(c)) <= tolerance;
}

bool Dark(uint32_t p) {
  return PixelR(p) + PixelG(p) + PixelB(p) < 300;
}

// The shown popup menu window, whatever menu it shows; nullptr when none.
HWND ShownPopupMenu() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND h, LPARAM out) -> BOOL {
        char16_t cls[32] = {};
        GetClassNameW(h, cls, 32);
        if (std::u16string(cls) == POPUPMENU_CLASS && IsWindowVisible(h)) *reinterpret_cast<HWND*>(out) = h;
        return TRUE;
      },
      LPARAM(&found));
  return found;
}

std::string TextOf(HWND h) {
  char16_t buf[512] = {};
  int n = GetWindowTextW(h, buf, 512);
  return Utf16ToUtf8(std::u16string(buf, std::size_t(std::max(n, 0))));
}

// The dialog's first child of a class (the name or value edit).
HWND FirstChild(HWND dialog, const std::u16string& cls) {
  HWND found = nullptr;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char16_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    if (buf == cls) found = h;  // children come last-made first
  }
  return found;
}

class GalleryHeadless : public ::testing::Test {
 protected:
  void SetUp() override {
    form = CreateGallery();
    ASSERT_EQ(Application->MainForm(), form);
    Idle();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }

  // Handles what is pending through the application's loop (shortcuts, dialog keys).
  void Pump() { Application->ProcessMessages(); }
  // Handles what is pending, then one idle pass of the application.
  void Idle() {
    Pump();
    backend.WhenIdle([] {});
    Application->HandleMessage();
    Pump();
  }
  POINT At(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }
  POINT Centre(TControl* c) { return At(c, c->Width() / 2, c->Height() / 2); }
  void Click(POINT p, MouseButton b = MouseButton::Left) {
    backend.Click(p.x, p.y, b);
    Pump();
  }
  void Key(UINT vk, UINT modifier = 0) {
    if (modifier) backend.KeyDown(modifier);
    backend.KeyPress(vk);
    if (modifier) backend.KeyUp(modifier);
    Pump();
  }
  // Alt+menu letter, then the item's letter inside the menu loop.
  void MenuKeys(UINT title, UINT item) {
    backend.WhenIdle([this, item] { backend.KeyPress(item); });
    Key(title, VK_MENU);
  }
  uint32_t Pixel(POINT p) { return backend.Screenshot().At(p.x, p.y); }
  // Dark pixels of the control, or of its first `width` columns.
  int DarkPixels(TControl* c, int width = 0) {
    Surface s = backend.Screenshot();
    POINT o = At(c, 0, 0);
    int n = 0;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < (width ? width : c->Width()); ++x) n += Dark(s.At(o.x + x, o.y + y));
    return n;
  }
  bool Logged(const std::string& line) {
    auto& e = form->Events();
    return std::find(e.begin(), e.end(), line) != e.end();
  }

  HeadlessBackend backend{SIZE{680, 560}};
  TGalleryForm* form = nullptr;
};

TEST_F(GalleryHeadless, EveryControlShowsInItsPlaceWithoutOverlapsInTheClassicLook) {
  // Windowed siblings never overlap and stay inside their parent.
  std::vector<TWinControl*> parents{form};
  for (size_t i = 0; i < parents.size(); ++i) {
    TWinControl* p = parents[i];
    RECT client = p->ClientRect();
    std::vector<RECT> taken;
    for (int k = 0; k < p->ControlCount(); ++k) {
      TControl* c = p->Controls(k);
      if (!c->Visible()) continue;
      EXPECT_TRUE(c->IsShowing()) << c->ClassName();
      RECT r = c->BoundsRect(), both;
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
          << c->ClassName() << " leaves its parent";
      // The bevel frames the image and the shape; everything else has its own place.
      if (c == form->Bevel) continue;
      for (const RECT& t : taken) EXPECT_FALSE(IntersectRect(&both, &r, &t)) << c->ClassName() << " overlaps";
      taken.push_back(r);
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->ControlCount()) parents.push_back(w);
    }
  }
  EXPECT_EQ(form->ClientWidth(), kFormClient.cx);
  EXPECT_EQ(form->ClientHeight(), kFormClient.cy);
  POINT sheet = At(form->StandardPage, 0, 0), expected = At(form, kSheetOrigin.x, kSheetOrigin.y);
  EXPECT_TRUE(sheet.x == expected.x && sheet.y == expected.y);

  Surface s = backend.Screenshot();
  auto px = [&](POINT p) { return s.At(p.x, p.y); };
  // Button face between the columns, a white edit field, the picture and the circle.
  EXPECT_TRUE(Near(px(At(form->StandardPage, 212, 300)), GetSysColor(COLOR_BTNFACE)));
  EXPECT_TRUE(Near(px(At(form->NameEdit, form->NameEdit->ClientWidth() - 4, 8)), RGB(255, 255, 255)));
  EXPECT_TRUE(Near(px(Centre(form->Image)), kImageDisc));
  EXPECT_TRUE(Near(px(At(form->Image, 1, 1)), kImageBack));
  EXPECT_TRUE(Near(px(Centre(form->Shape)), RGB(0, 0, 255)));
  // Texts: the menu bar's titles, group captions, labels, buttons and the list.
  POINT origin = At(form, 0, 0);
  int bar = 0;
  for (int y = origin.y - GetSystemMetrics(SM_CYMENU); y < origin.y; ++y)
    for (int x = origin.x; x < origin.x + 200; ++x) bar += Dark(s.At(x, y));
  EXPECT_GT(bar, 40);
  for (TControl* c : std::initializer_list<TControl*>{form->TextGroup, form->NameLabel, form->OkButton,
                                                      form->List, form->Combo, form->HintLabel, form->Panel})
    EXPECT_GT(DarkPixels(c), 30) << c->ClassName();
  // The selected list row is highlighted; the disabled button shows no black text.
  RECT row;
  SendMessageW(form->List->Handle(), LB_GETITEMRECT, 1, LPARAM(&row));
  EXPECT_TRUE(
      Near(px(At(form->List, row.right - 4, (row.top + row.bottom) / 2)), GetSysColor(COLOR_HIGHLIGHT)));
  int black = 0;
  POINT d = At(form->DisabledButton, 0, 0);
  for (int y = 0; y < form->DisabledButton->Height(); ++y)
    for (int x = 0; x < form->DisabledButton->Width(); ++x) black += (s.At(d.x + x, d.y + y) & 0xFFFFFF) == 0;
  EXPECT_LT(black, 3);
}

TEST_F(GalleryHeadless, TypingInTheEditAndTheClipboardActionsFollowingItsSelection) {
  TEdit* e = form->NameEdit;
  ASSERT_TRUE(e->Focused());
  Click(At(e, e->ClientWidth() - 3, 8));  // caret at the end, nothing selected
  Idle();
  EXPECT_FALSE(form->CopyAction->Enabled());
  EXPECT_FALSE(form->CutItem->Enabled());
  backend.TypeText(u" II");
  Pump();
  EXPECT_EQ(e->Text(), "Quirvane II");
  EXPECT_TRUE(Logged("Name: Quirvane II"));
  EXPECT_EQ(form->LogMemo->Lines()->Strings(form->LogMemo->Lines()->Count() - 1), "Name: Quirvane II");
  // A selection enables Cut and Copy at idle; Copy by its shortcut fills the clipboard.
  Key(VK_HOME, 0);
  backend.KeyDown(VK_SHIFT);
  for (int i = 0; i < 8; ++i) backend.KeyPress(VK_RIGHT);
  backend.KeyUp(VK_SHIFT);
  Idle();
  EXPECT_TRUE(form->CopyAction->Enabled());
  EXPECT_FALSE(GetMenuState(form->EditMenu->Handle(), 0, MF_BYPOSITION) & MF_GRAYED);
  Key('C', VK_CONTROL);
  EXPECT_EQ(backend.Clipboard, u"Quirvane");
  Idle();
  EXPECT_TRUE(form->PasteAction->Enabled());
  // Another control with the focus: the clipboard actions have nothing to act on.
  Click(Centre(form->List));
  Idle();
  EXPECT_FALSE(form->CopyAction->Enabled());
  EXPECT_FALSE(form->PasteAction->Enabled());
  // The password edit takes typing but shows only its character.
  Click(Centre(form->PasswordEdit));
  backend.TypeText(u"x");
  Pump();
  EXPECT_EQ(form->PasswordEdit->Text(), "secretx");
}

// Select All is the user's from the Edit menu and by its shortcut: the whole
// text becomes the primary selection. The whole text an edit or a dialog
// selects as it takes the focus is the program's own and leaves it.
TEST_F(GalleryHeadless, SelectAllByTheUserIsThePrimarySelectionAFocusSelectionIsNot) {
  form->DiscEdit->SetFocus();
  Pump();
  EXPECT_EQ(form->DiscEdit->SelLength(), 6);
  EXPECT_EQ(backend.Primary, u"");
  Key(VK_END);
  MenuKeys('E', 'A');
  EXPECT_EQ(form->DiscEdit->SelLength(), 6);
  EXPECT_EQ(backend.Primary, u"Disc 1");
  form->NameEdit->SetFocus();
  Key(VK_END);
  Key('A', VK_CONTROL);
  EXPECT_EQ(form->NameEdit->SelLength(), 8);
  EXPECT_EQ(backend.Primary, u"Quirvane");
  std::pair<DWORD, DWORD> selected;
  backend.ModalAnswers.push_back([&](HWND dialog) {
    SendMessageW(FirstChild(dialog, u"EDIT"), EM_GETSEL, WPARAM(&selected.first), LPARAM(&selected.second));
    backend.KeyPress(VK_ESCAPE);
  });
  Click(Centre(form->InputButton));
  EXPECT_EQ(selected, std::make_pair(DWORD(0), DWORD(6))) << "the query's edit was not selected whole";
  EXPECT_EQ(backend.Primary, u"Quirvane");
}

TEST_F(GalleryHeadless, ChoosingFromTheComboByMouseAndKeys) {
  TComboBox* c = form->Combo;
  Click(At(c, c->Width() - 6, c->Height() / 2));  // the drop button
  ASSERT_TRUE(c->DroppedDown());
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(c->Handle(), &info));
  RECT item;
  SendMessageW(info.hwndList, LB_GETITEMRECT, 2, LPARAM(&item));
  POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(info.hwndList, &p);
  Click(p);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Text(), "Folder");
  EXPECT_TRUE(Logged("Combo: Folder"));
  EXPECT_TRUE(c->Focused());
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 3);
  EXPECT_EQ(form->Events().back(), "Combo: Floppy disc");
  // Alt+Down drops it, Enter takes the item moved to.
  Key(VK_DOWN, VK_MENU);
  EXPECT_TRUE(c->DroppedDown());
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->Text(), "Network share");
}

TEST_F(GalleryHeadless, CheckBoxesRadiosButtonsScrollBarAndSplitter) {
  TCheckBox* box = form->CheckBox;
  ASSERT_TRUE(box->Checked());
  int checkedInk = DarkPixels(box, 14);
  Click(At(box, 6, box->Height() / 2));
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(form->Events().back(), "Check box off");
  EXPECT_LT(DarkPixels(box, 14), checkedInk - 10);  // the tick is gone
  Key(VK_SPACE);
  EXPECT_TRUE(box->Checked());
  // A three-state box goes grey, checked, unchecked; the radios exclude each other.
  Click(Centre(form->ThreeStateBox));
  EXPECT_EQ(form->ThreeStateBox->State(), cbChecked);
  Click(Centre(form->RadioTwo));
  EXPECT_TRUE(form->RadioTwo->Checked());
  EXPECT_FALSE(form->RadioOne->Checked());
  // The log has lines: "Clear log" is enabled at idle and clears it.
  Idle();
  ASSERT_TRUE(form->ClearButton->Enabled());
  Click(Centre(form->ClearButton));
  EXPECT_TRUE(form->Events().empty());
  EXPECT_EQ(form->LogMemo->Lines()->Count(), 0);
  Idle();
  EXPECT_FALSE(form->ClearButton->Enabled());
  // Speed buttons of a group: one down at a time.
  Click(Centre(form->AlignButtons[1]));
  EXPECT_TRUE(form->AlignButtons[1]->Down());
  EXPECT_FALSE(form->AlignButtons[0]->Down());
  EXPECT_EQ(form->Events().back(), "Align centre");
  // The scroll bar's right arrow moves it one step.
  TScrollBar* bar = form->ScrollBar;
  Click(At(bar, bar->Width() - 5, bar->Height() / 2));
  EXPECT_EQ(bar->Position(), 31);
  EXPECT_EQ(form->Events().back(), "Scroll bar at 31");
  // Dragging the splitter up makes the log taller.
  int before = form->LogMemo->Height();
  POINT s = Centre(form->Splitter);
  backend.MouseMove(s.x, s.y);
  backend.MouseDown();
  backend.MouseMove(s.x, s.y - 10);
  backend.MouseMove(s.x, s.y - 30);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(form->LogMemo->Height(), before + 30);
  EXPECT_EQ(form->Splitter->Top() + form->Splitter->Height(), form->LogMemo->Top());
  EXPECT_EQ(form->Events().back(), "Log height " + std::to_string(before + 30));
}

TEST_F(GalleryHeadless, MainMenuByKeyboardWithTheEditFocused) {
  ASSERT_TRUE(form->NameEdit->Focused());
  ASSERT_TRUE(form->ShowLogAction->Checked());
  MenuKeys('F', 'N');
  EXPECT_EQ(form->Events().back(), "New catalogue");
  EXPECT_EQ(form->NameEdit->Text(), "Quirvane");  // no letter reached the edit
  // View > Show log hides the log; at idle the item shows it unchecked.
  MenuKeys('V', 'L');
  EXPECT_FALSE(form->LogMemo->Visible());
  EXPECT_FALSE(form->Splitter->Visible());
  Idle();
  EXPECT_FALSE(form->ShowLogAction->Checked());
  EXPECT_FALSE(GetMenuState(form->ViewMenu->Handle(), 0, MF_BYPOSITION) & MF_CHECKED);
  // Its shortcut brings it back, the splitter above it again.
  Key(VK_F9);
  Idle();
  EXPECT_TRUE(form->LogMemo->Visible());
  EXPECT_TRUE(form->ShowLogItem->Checked());
  EXPECT_EQ(form->Splitter->Top() + form->Splitter->Height(), form->LogMemo->Top());
  // Edit > Select All acts on the focused edit.
  MenuKeys('E', 'A');
  EXPECT_EQ(form->NameEdit->SelLength(), 8);
  // Arrows walk the bar; Esc leaves the menu without choosing.
  size_t events = form->Events().size();
  backend.WhenIdle([this] {
    backend.KeyPress(VK_RIGHT);
    backend.WhenIdle([this] {
      backend.KeyPress(VK_ESCAPE);
      backend.KeyPress(VK_ESCAPE);
    });
  });
  Key('F', VK_MENU);
  EXPECT_EQ(form->Events().size(), events);
  EXPECT_EQ(ShownPopupMenu(), nullptr);
}

TEST_F(GalleryHeadless, PopupMenuByTheRightButtonAndTheEditsOwnMenu) {
  // Right-click the circle, choose Red by its letter.
  bool shown = false;
  backend.WhenIdle([&] {
    shown = MenuWindowOf(form->ShapeMenu->Handle()) != nullptr;
    backend.KeyPress('R');
  });
  Click(Centre(form->Shape), MouseButton::Right);
  EXPECT_TRUE(shown);
  EXPECT_EQ(form->Events().back(), "Circle red");
  EXPECT_TRUE(form->RedItem->Checked());
  EXPECT_FALSE(form->BlueItem->Checked());
  EXPECT_TRUE(Near(Pixel(Centre(form->Shape)), RGB(255, 0, 0)));
  // Over the panel the same menu appears at the pointer; Green by the mouse.
  POINT at = Centre(form->Panel);
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(form->ShapeMenu->Handle());
    ASSERT_NE(w, nullptr);
    RECT wr, r;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.left, at.x);
    EXPECT_EQ(wr.top, at.y);
    GetMenuItemRect(w, form->ShapeMenu->Handle(), 1, &r);
    backend.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  });
  Click(at, MouseButton::Right);
  EXPECT_EQ(form->Events().back(), "Circle green");
  EXPECT_TRUE(Near(Pixel(Centre(form->Shape)), RGB(0, 255, 0)));
  // The drop-down speed button opens it below itself, held down meanwhile.
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(form->ShapeMenu->Handle());
    ASSERT_NE(w, nullptr);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.top, At(form->ShapeButton, 0, form->ShapeButton->Height() + 1).y);
    EXPECT_EQ(form->ShapeButton->State(), bsDown);
    backend.KeyPress('B');
  });
  Click(Centre(form->ShapeButton));
  EXPECT_EQ(form->Events().back(), "Circle blue");
  EXPECT_EQ(form->ShapeButton->State(), bsUp);
  // An edit without a popup menu of its own shows the edit's standard menu.
  HWND menu = nullptr;
  backend.WhenIdle([&] {
    menu = ShownPopupMenu();
    backend.KeyPress('C');  // Copy: taking the focus selected the whole text
  });
  Click(Centre(form->DiscEdit), MouseButton::Right);
  EXPECT_NE(menu, nullptr);
  EXPECT_TRUE(form->DiscEdit->Focused());
  EXPECT_EQ(backend.Clipboard, u"Disc 1");
}

TEST_F(GalleryHeadless, DialogsFromTheButtonsAndTheMenuAnsweredLikeAPerson) {
  // The message box: Enter takes the default Yes, Esc the Cancel.
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Confirm");
    backend.KeyPress(VK_RETURN);
  });
  Click(Centre(form->MessageButton));
  EXPECT_EQ(form->Events().back(), "Message box: Yes");
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  Click(Centre(form->MessageButton));
  EXPECT_EQ(form->Events().back(), "Message box: Cancel");
  // The input query starts from the disc's label and gives the new one back.
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Gallery");
    HWND edit = FirstChild(dialog, u"EDIT");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(TextOf(edit), "Disc 1");
    SetWindowTextW(edit, u"Holidays 2026");
    backend.KeyPress(VK_RETURN);
  });
  Click(Centre(form->InputButton));
  EXPECT_EQ(form->DiscEdit->Text(), "Holidays 2026");
  EXPECT_EQ(form->Events().back(), "Input: Holidays 2026");
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  Click(Centre(form->InputButton));
  EXPECT_EQ(form->DiscEdit->Text(), "Holidays 2026");
  EXPECT_EQ(form->Events().back(), "Input cancelled");
  // Open and save over a folder of our own; saving over a file asks first.
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("qv_gallery_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "notes.txt") << "notes";
  form->OpenDialog->InitialDir = form->SaveDialog->InitialDir = dir.string();
  backend.ModalAnswers.push_back([&](HWND dialog) {
    SetWindowTextW(FirstChild(dialog, u"EDIT"), u"notes.txt");
    backend.KeyPress(VK_RETURN);
  });
  Click(Centre(form->OpenButton));
  EXPECT_EQ(form->Events().back(), "Open: " + (dir / "notes.txt").string());
  bool asked = false;
  backend.ModalAnswers.push_back([&](HWND dialog) {
    SetWindowTextW(FirstChild(dialog, u"EDIT"), u"notes");
    backend.ModalAnswers.push_back([&](HWND) {
      asked = true;
      backend.KeyPress('Y');
    });
    backend.KeyPress(VK_RETURN);
  });
  Click(Centre(form->SaveButton));
  EXPECT_TRUE(asked);
  EXPECT_EQ(form->Events().back(), "Save: " + (dir / "notes.txt").string());
  // The same dialogs from the File menu; Esc cancels.
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  MenuKeys('F', 'A');
  EXPECT_EQ(form->Events().back(), "Save cancelled");
  // Help > About shows a message over the form.
  size_t shown = backend.ModalDialogs.size();
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  MenuKeys('H', 'A');
  EXPECT_EQ(backend.ModalDialogs.size(), shown + 1);
  EXPECT_EQ(form->Events().back(), "About");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qv::gallery
