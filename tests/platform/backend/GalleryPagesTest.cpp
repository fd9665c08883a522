// The gallery's pages built headless: Ctrl+Tab steps through them; the
// common controls paint and answer the mouse (tool bar, drop-down, up-down,
// tree, list); the shell page walks the namespace down to a temporary
// folder, expands it on demand and lists its items with their icons.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "classlib/controls/Application.h"
#include "demo/gallery/GalleryForm.h"
#include "demo/gallery/GalleryLayout.h"
#include "demo/gallery/ShellBrowser.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"

namespace qv::gallery {
namespace {

bool Dark(uint32_t p) {
  return PixelR(p) + PixelG(p) + PixelB(p) < 300;
}
bool Yellowish(uint32_t p) {
  return PixelR(p) > 180 && PixelG(p) > 140 && PixelB(p) < 120;
}

bool PopupMenuShown() {
  bool shown = false;
  EnumWindows(
      [](HWND h, LPARAM out) -> BOOL {
        char16_t cls[32] = {};
        GetClassNameW(h, cls, 32);
        if (std::u16string(cls) == POPUPMENU_CLASS && IsWindowVisible(h))
          *reinterpret_cast<bool*>(out) = true;
        return TRUE;
      },
      LPARAM(&shown));
  return shown;
}

class GalleryPages : public ::testing::Test {
 protected:
  void SetUp() override {
    form = CreateGallery();
    Pump();
  }
  void TearDown() override {
    delete form;
    Pump();
  }
  void Pump() { Application->ProcessMessages(); }
  POINT At(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }
  void Click(POINT p) {
    backend.Click(p.x, p.y);
    Pump();
  }
  void Key(UINT vk, UINT modifier = 0, UINT second = 0) {
    if (modifier) backend.KeyDown(modifier);
    if (second) backend.KeyDown(second);
    backend.KeyPress(vk);
    if (second) backend.KeyUp(second);
    if (modifier) backend.KeyUp(modifier);
    Pump();
  }
  // Pixels of the control that pass `test`.
  template <typename F>
  int Count(TControl* c, F test) {
    Surface s = backend.Screenshot();
    POINT o = At(c, 0, 0);
    int n = 0;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) n += test(s.At(o.x + x, o.y + y));
    return n;
  }
  bool Logged(const std::string& line) {
    auto& e = form->Events();
    return std::find(e.begin(), e.end(), line) != e.end();
  }

  HeadlessBackend backend{SIZE{680, 560}};
  TGalleryForm* form = nullptr;
};

TEST_F(GalleryPages, CtrlTabStepsThroughThePagesGoingRound) {
  ASSERT_EQ(form->Pages->ActivePage(), form->StandardPage);
  ASSERT_TRUE(form->NameEdit->Focused());
  Key(VK_TAB, VK_CONTROL);
  EXPECT_EQ(form->Pages->ActivePage(), form->CommonPage);
  EXPECT_TRUE(Logged("Page Common controls"));
  EXPECT_FALSE(form->NameEdit->IsShowing());
  EXPECT_TRUE(form->Tree->IsShowing());
  Key(VK_TAB, VK_CONTROL);
  EXPECT_EQ(form->Pages->ActivePage(), form->ShellPage);
  Key(VK_TAB, VK_CONTROL, VK_SHIFT);
  EXPECT_EQ(form->Pages->ActivePage(), form->CommonPage);
  Key(VK_TAB, VK_CONTROL);
  Key(VK_TAB, VK_CONTROL);
  EXPECT_EQ(form->Pages->ActivePage(), form->StandardPage);
  // A click on a tab shows its page too.
  RECT tab = form->Pages->TabRect(2);
  Click(At(form->Pages, (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2));
  EXPECT_EQ(form->Pages->ActivePage(), form->ShellPage);
  EXPECT_TRUE(form->ShellTree->IsShowing());
}

TEST_F(GalleryPages, CommonControlsPaintAndAnswerTheMouse) {
  form->Pages->SetActivePage(form->CommonPage);
  Pump();
  // The progress bar is filled in the highlight colour up to its position only.
  Surface s = backend.Screenshot();
  TProgressBar* bar = form->Progress;
  auto highlight = [](uint32_t p) {
    COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    return PixelR(p) == GetRValue(h) && PixelG(p) == GetGValue(h) && PixelB(p) == GetBValue(h);
  };
  int filled = 0;
  POINT mid = At(bar, 0, bar->Height() / 2);
  for (int x = 0; x < bar->Width(); ++x) filled += highlight(s.At(mid.x + x, mid.y));
  EXPECT_GT(filled, bar->Width() * kProgressPosition / 100 - 30);
  EXPECT_LT(filled, bar->Width() * kProgressPosition / 100 + 4);
  // Texts and the shell's folder icons in the tree and the list, the grid's and the status bar's texts.
  for (TControl* c : std::initializer_list<TControl*>{form->Tree, form->ListView, form->Grid, form->RichEdit,
                                                      form->StatusBar, form->ToolBar})
    EXPECT_GT(Count(c, Dark), 40) << c->ClassName();
  EXPECT_GT(Count(form->Tree, Yellowish), 40);
  EXPECT_GT(Count(form->ListView, Yellowish), 10);

  // A tool button clicked; the drop-down's arrow shows its menu under it.
  TToolButton* open = form->OpenToolButton;
  Click(At(form->NewToolButton, form->NewToolButton->Width() / 2, form->NewToolButton->Height() / 2));
  EXPECT_EQ(form->Events().back(), "Tool button New");
  bool shown = false;
  backend.WhenIdle([&] {
    shown = PopupMenuShown();
    backend.KeyPress(VK_DOWN);
    backend.KeyPress(VK_RETURN);
  });
  Click(At(open, open->Width() - 4, open->Height() / 2));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Logged("Recent: Disc one"));
  EXPECT_FALSE(PopupMenuShown());
  // The up-down's upper arrow steps its edit; the tree and the list select by mouse.
  TUpDown* ud = form->Copies;
  Click(At(ud, ud->Width() / 2, 3));
  EXPECT_EQ(form->CopiesEdit->Text(), "3");
  EXPECT_EQ(form->Events().back(), "Copies 3");
  TTreeNode* music = form->Tree->Items()->GetFirstNode()->Item(1);
  RECT r = music->DisplayRect(true);
  Click(At(form->Tree, r.left + 4, (r.top + r.bottom) / 2));
  EXPECT_EQ(form->Tree->Selected(), music);
  EXPECT_EQ(form->Events().back(), "Tree: Music");
  RECT row = form->ListView->Items()->Item(1)->DisplayRect(0);
  Click(At(form->ListView, row.left + 30, (row.top + row.bottom) / 2));
  EXPECT_TRUE(Logged("List: Notes.txt"));
}

class ShellPage : public GalleryPages {
 protected:
  void SetUp() override {
    GalleryPages::SetUp();
    dir = std::filesystem::temp_directory_path() / ("qv_gallery_shell_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "Alpha" / "Deep");
    for (const char* name : {"b.txt", "c.iso"}) std::ofstream(dir / name) << name;
  }
  void TearDown() override {
    GalleryPages::TearDown();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
};

TEST_F(ShellPage, WalksDownToAFolderExpandsItOnDemandAndListsItsItems) {
  form->Pages->SetActivePage(form->ShellPage);
  Pump();
  TTreeView* tree = form->ShellTree;
  TTreeNode* top = tree->Items()->GetFirstNode();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Text(), "Computer");
  ASSERT_NE(top->getNextSibling(), nullptr);
  EXPECT_EQ(top->getNextSibling()->Text(), "Home");
  EXPECT_EQ(top->getNextSibling()->getNextSibling(), nullptr);
  EXPECT_TRUE(top->HasChildren());
  EXPECT_EQ(top->Count(), 0);  // nothing enumerated before it expands
  EXPECT_GT(Count(tree, Dark), 40);

  EXPECT_FALSE(form->Shell->ShowPath((dir / "missing").string()));
  EXPECT_FALSE(form->Shell->ShowPath((dir / "b.txt").string()));  // not a folder
  EXPECT_FALSE(form->Shell->ShowPath("relative/path"));
  ASSERT_TRUE(form->Shell->ShowPath(dir.string()));
  Pump();
  TTreeNode* folder = tree->Selected();
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->Text(), dir.filename().string());
  EXPECT_TRUE(top->Expanded());
  std::string name;
  ASSERT_TRUE(SHGetPathFromIDList(form->Shell->PidlOf(folder), name));
  EXPECT_EQ(name, dir.string());
  // The list shows the folder's items in the namespace's order, with icons.
  TListItems* items = form->ShellList->Items();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Item(0)->Caption(), "Alpha");
  EXPECT_EQ(items->Item(1)->Caption(), "b.txt");
  EXPECT_EQ(items->Item(2)->Caption(), "c.iso");
  EXPECT_EQ(form->Events().back(), "Shell: " + dir.filename().string() + ", 3 items");
  EXPECT_GT(Count(form->ShellList, Yellowish), 20);  // the folder icon
  EXPECT_GT(Count(form->ShellList, Dark), 60);

  // The keyboard expands it: only its folder appears, itself expandable.
  tree->SetFocus();
  Key(VK_RIGHT);
  EXPECT_TRUE(folder->Expanded());
  ASSERT_EQ(folder->Count(), 1);
  TTreeNode* alpha = folder->GetFirstChild();
  EXPECT_EQ(alpha->Text(), "Alpha");
  EXPECT_TRUE(alpha->HasChildren());
  Key(VK_DOWN);
  EXPECT_EQ(tree->Selected(), alpha);
  EXPECT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Item(0)->Caption(), "Deep");
}

// The page's image list borrows the shell's: the same handle, left alive
// when the gallery goes.
TEST_F(GalleryPages, TheIconsAreTheSharedSystemImageList) {
  HIMAGELIST system = ShellImageList(true);
  EXPECT_EQ(form->ShellIcons->Handle(), system);
  EXPECT_TRUE(form->ShellIcons->ShareImages);
  int count = ImageList_GetImageCount(system);
  EXPECT_GT(count, 3);
  delete form;
  form = nullptr;
  EXPECT_EQ(ImageList_GetImageCount(system), count);
}

}  // namespace
}  // namespace qv::gallery
