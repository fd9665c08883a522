// The shell folder tree over a real temporary folder tree: paths in and out,
// filling on demand, hidden folders, re-reading, renaming in place without
// ever replacing a folder, and the root's failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/Exception.h"
#include "platform/Utf.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/comctl/TreeView.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/shell/SystemIcons.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skShellTreeView.h"
#include "skin/skMessages.h"
#include "tests/common/TempDir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class ShellTree : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"alpha/one", "alpha/two", "beta", ".secret", "empty"})
      fs::create_directories(dir / d);
    std::FILE* f = std::fopen((dir / "note.txt").c_str(), "w");
    std::fclose(f);
    base = dir.Path().substr(0, dir.Path().size() - 1);
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 400, 400);
    tree = new TSkShellTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 300, 380);
    tree->SetRoot(base);
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  std::vector<std::string> Children(TTreeNode* n) {
    std::vector<std::string> out;
    for (TTreeNode* c = n->GetFirstChild(); c; c = c->getNextSibling()) out.push_back(c->Text());
    return out;
  }
  TTreeNode* Child(TTreeNode* n, const std::string& text) {
    for (TTreeNode* c = n->GetFirstChild(); c; c = c->getNextSibling())
      if (c->Text() == text) return c;
    return nullptr;
  }
  // Ends an in-place edit with the given text, as the edit box would.
  void EndEdit(TTreeNode* n, const std::string& text) {
    auto wide = Utf8ToUtf16(text);
    NMTVDISPINFOW di{};
    di.hdr.hwndFrom = tree->Handle();
    di.hdr.code = TVN_ENDLABELEDITW;
    di.item.hItem = n->ItemId();
    di.item.pszText = wide.data();
    // Through the parent, as the platform sends it: a raised error goes to the application.
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&di));
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TempDir dir;
  std::string base;
  TForm* form = nullptr;
  TSkShellTreeView* tree = nullptr;
};

TEST_F(ShellTree, RootIsExpandedSelectedAndSortedFoldersOnly) {
  TTreeNode* root = tree->Items()->GetFirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(root->Selected());
  EXPECT_EQ(tree->GetPath(), base);
  // Folders only, hidden ones left out, in the shell's order; children unfilled until expanded.
  EXPECT_EQ(Children(root), (std::vector<std::string>{"alpha", "beta", "empty"}));
  TTreeNode* alpha = Child(root, "alpha");
  EXPECT_TRUE(alpha->HasChildren());
  EXPECT_EQ(alpha->Count(), 0);
  alpha->Expand(false);
  EXPECT_EQ(Children(alpha), (std::vector<std::string>{"one", "two"}));
  // An empty folder loses its expand button once it turns out empty.
  TTreeNode* empty = Child(root, "empty");
  empty->Expand(false);
  EXPECT_FALSE(empty->HasChildren());
}

// A folder wide enough for the shell to read its answers ahead: every node
// comes in the shell's order (letter case folded, not byte order) with its
// text, closed and open folder icons and an expand button only where a
// sub-folder lies.
TEST_F(ShellTree, AWideFolderFillsInTheShellsOrderWithIconsAndButtons) {
  std::vector<std::string> expected;
  for (int i = 99; i >= 0; --i) {
    const std::string name = (i % 2 ? "K" : "k") + std::to_string(100 + i);
    fs::create_directories(base + "/wide/" + name + (i % 4 == 0 ? "/sub" : ""));
    expected.insert(expected.begin(), name);
  }
  std::fclose(std::fopen((base + "/wide/file.txt").c_str(), "w"));  // no node
  tree->SetRoot("rfDesktop");
  tree->SetRoot(base);
  TTreeNode* wide = Child(tree->Items()->GetFirstNode(), "wide");
  ASSERT_NE(wide, nullptr);
  wide->Expand(false);
  ASSERT_EQ(Children(wide), expected);
  int i = 0;
  for (TTreeNode* c = wide->GetFirstChild(); c; c = c->getNextSibling(), ++i) {
    EXPECT_EQ(c->ImageIndex(), IconFolder) << c->Text();
    EXPECT_EQ(c->SelectedIndex(), IconFolderOpen) << c->Text();
    EXPECT_EQ(c->HasChildren(), i % 4 == 0) << c->Text();
    EXPECT_NE(c->Data(), nullptr);
  }
}

TEST_F(ShellTree, PathsRoundTripAndFailuresLeaveTheSelection) {
  tree->SetPath(base + "/alpha/two");
  EXPECT_EQ(tree->GetPath(), base + "/alpha/two");
  EXPECT_EQ(tree->Selected()->Text(), "two");
  tree->SetPath(base + "/beta/");
  EXPECT_EQ(tree->GetPath(), base + "/beta");
  EXPECT_THROW(tree->SetPath(base + "/nowhere"), Exception);
  EXPECT_EQ(tree->GetPath(), base + "/beta");
  // A path outside the root's subtree leaves nothing selected.
  tree->SetPath("/");
  EXPECT_EQ(tree->Selected(), nullptr);
  EXPECT_EQ(tree->GetPath(), "");
  // The busy flag never sticks after a failure: a bad root, then paths still select.
  try {
    tree->SetRoot(base + "/missing");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Error Setting Path");
  }
  EXPECT_EQ(tree->Root(), base);
  EXPECT_FALSE(tree->IsBusy());
  tree->SetPath(base + "/alpha/one");
  EXPECT_EQ(tree->GetPath(), base + "/alpha/one");
}

TEST_F(ShellTree, HiddenFoldersAndFilesByObjectTypes) {
  tree->SetObjectTypes(TSkShellObjectTypes{otFolders, otHidden});
  TTreeNode* root = tree->Items()->GetFirstNode();
  EXPECT_NE(Child(root, ".secret"), nullptr);
  tree->SetObjectTypes(TSkShellObjectTypes{otFolders, otNonFolders});
  tree->SetShowExt(seHide);
  tree->SetRoot("rfDesktop");
  tree->SetRoot(base);
  root = tree->Items()->GetFirstNode();
  EXPECT_NE(Child(root, "note"), nullptr);
  EXPECT_EQ(Child(root, ".secret"), nullptr);
}

TEST_F(ShellTree, DisplayNamesByShowExtension) {
  for (const char* f : {"a.txt", ".bashrc", "?1?2", "?x"}) std::fclose(std::fopen((dir / f).c_str(), "w"));
  fs::create_directories(dir / "dot.folder");
  auto names = [&](TSkShowExtension ext) {
    tree->SetShowExt(ext);
    tree->SetObjectTypes(TSkShellObjectTypes{otFolders, otNonFolders, otHidden});
    return Children(tree->Items()->GetFirstNode());
  };
  auto has = [](const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
  };
  std::vector<std::string> hide = names(seHide);
  EXPECT_TRUE(has(hide, "a"));
  EXPECT_TRUE(has(hide, ".bashrc"));     // a leading dot starts no extension
  EXPECT_TRUE(has(hide, "dot.folder"));  // folders keep their names
  EXPECT_TRUE(has(hide, "12"));          // "?digit" names lose their question marks
  EXPECT_TRUE(has(hide, "?x"));
  std::vector<std::string> show = names(seShow);
  EXPECT_TRUE(has(show, "a.txt"));
  EXPECT_TRUE(has(show, "dot.folder"));
}

TEST_F(ShellTree, AddFolderVetoRemovesExactlyThatChild) {
  tree->OnAddFolder = [](TObject*, TSkShellFolder* f, bool& canAdd) {
    canAdd = f->DisplayName(seSystem) != "beta";
  };
  tree->SetRoot("rfDesktop");
  tree->SetRoot(base);
  EXPECT_EQ(Children(tree->Items()->GetFirstNode()), (std::vector<std::string>{"alpha", "empty"}));
}

TEST_F(ShellTree, RefreshNodeKeepsExpansionSelectionAndSeesNewFolders) {
  tree->SetPath(base + "/alpha/one");
  TTreeNode* root = tree->Items()->GetFirstNode();
  fs::create_directories(dir / "gamma");
  fs::remove(dir / "beta");
  tree->RefreshNode(root);
  root = tree->Items()->GetFirstNode();
  EXPECT_EQ(Children(root), (std::vector<std::string>{"alpha", "empty", "gamma"}));
  EXPECT_TRUE(Child(root, "alpha")->Expanded());
  EXPECT_EQ(tree->GetPath(), base + "/alpha/one");
  // The selected folder gone: nothing selected after the re-read.
  fs::remove(dir / "alpha/one");
  tree->RefreshNode(Child(root, "alpha"));
  EXPECT_EQ(tree->Selected(), nullptr);
}

TEST_F(ShellTree, RenameInPlaceNeverReplacesAFolder) {
  std::vector<std::string> errors;
  Application->OnException = [&](TObject*, std::exception& e) { errors.push_back(e.what()); };
  TTreeNode* root = tree->Items()->GetFirstNode();
  std::FILE* f = std::fopen((dir / "beta/keep").c_str(), "w");
  std::fclose(f);
  // "empty" onto "beta": refused, both folders and beta's file still there.
  EndEdit(Child(root, "empty"), "beta");
  Application->OnException = nullptr;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Rename to beta failed");
  EXPECT_TRUE(fs::exists(dir / "empty"));
  EXPECT_TRUE(fs::exists(dir / "beta/keep"));
  root = tree->Items()->GetFirstNode();
  EXPECT_NE(Child(root, "empty"), nullptr);
  // A free name: renamed on disk and in the tree (re-read in the shell's order).
  EndEdit(Child(root, "empty"), "zeta");
  backend.Pump();
  EXPECT_TRUE(fs::exists(dir / "zeta"));
  EXPECT_FALSE(fs::exists(dir / "empty"));
  root = tree->Items()->GetFirstNode();
  EXPECT_EQ(Children(root), (std::vector<std::string>{"alpha", "beta", "zeta"}));
  // Names a folder entry cannot take are refused.
  Application->OnException = [&](TObject*, std::exception& e) { errors.push_back(e.what()); };
  EndEdit(Child(root, "zeta"), "a/b");
  Application->OnException = nullptr;
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_TRUE(fs::exists(dir / "zeta"));
}

// The renamed node is never deleted inside the end-edit notification: the
// parent is re-read once the notification has returned, and not at all when
// it has gone meanwhile.
TEST_F(ShellTree, RenameRereadsTheParentAfterTheNotificationReturns) {
  TTreeNode* root = tree->Items()->GetFirstNode();
  TTreeNode* alpha = Child(root, "alpha");
  const HTREEITEM id = alpha->ItemId();
  EndEdit(alpha, "zz");
  EXPECT_EQ(tree->Items()->GetNode(id), alpha);
  EXPECT_EQ(alpha->Text(), "zz");
  EXPECT_EQ(Children(root), (std::vector<std::string>{"zz", "beta", "empty"}));  // not re-read yet
  backend.Pump();
  root = tree->Items()->GetFirstNode();
  EXPECT_EQ(Children(root),
            (std::vector<std::string>{"beta", "empty", "zz"}));  // re-read in the shell's order
  EXPECT_TRUE(fs::exists(dir / "zz/one"));
  // The parent gone before the re-read: nothing is touched.
  Child(root, "zz")->Expand(false);
  TTreeNode* one = Child(Child(root, "zz"), "one");
  ASSERT_NE(one, nullptr);
  EndEdit(one, "uno");
  Child(root, "zz")->Delete();
  backend.Pump();
  EXPECT_TRUE(fs::exists(dir / "zz/uno"));
  EXPECT_EQ(Children(tree->Items()->GetFirstNode()), (std::vector<std::string>{"beta", "empty"}));
}

// An expansion vetoed by OnExpanding reads nothing and keeps the expand button;
// an allowed one fills the node, and an empty folder loses its button.
TEST_F(ShellTree, VetoedExpansionKeepsTheButtonAndReadsNothing) {
  TTreeNode* root = tree->Items()->GetFirstNode();
  TTreeNode* alpha = Child(root, "alpha");
  ASSERT_TRUE(alpha->HasChildren());
  int asked = 0;
  tree->OnExpanding = [&](TObject*, TTreeNode* n, bool& allow) {
    ++asked;
    allow = n->Text() != "alpha";
  };
  alpha->Expand(false);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(alpha->Expanded());
  EXPECT_EQ(alpha->Count(), 0);
  EXPECT_TRUE(alpha->HasChildren());
  TTreeNode* empty = Child(root, "empty");
  empty->Expand(false);
  EXPECT_FALSE(empty->HasChildren());
  tree->OnExpanding = nullptr;
  alpha->Expand(false);
  EXPECT_TRUE(alpha->Expanded());
  EXPECT_EQ(Children(alpha), (std::vector<std::string>{"one", "two"}));
}

// The shell icons' background is the tree's background as the skin query for
// it answers (command 21), asked after each frame paint.
TEST_F(ShellTree, IconBackgroundFollowsTheBackgroundQuery) {
  HIMAGELIST icons =
      reinterpret_cast<HIMAGELIST>(SendMessageW(tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  ASSERT_NE(icons, nullptr);
  tree->SetColor(clYellow);
  SendMessageW(tree->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(ImageList_GetBkColor(icons), ColorToRGB(clYellow));  // unskinned: its own colour
  // A background answered through the query wins over the own colour.
  TWndMethod plainProc = tree->WindowProc;
  tree->WindowProc = [&](TMessage& M) {
    if (M.Msg == SM_SKINCMD && M.WParamHi() == AC_GETBG) {
      SharedBgColor = 0x345678;
      M.Result = 1;
      return;
    }
    plainProc(M);
  };
  SendMessageW(tree->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(ImageList_GetBkColor(icons), COLORREF(0x345678));
  tree->WindowProc = plainProc;
}

TEST_F(ShellTree, MenuVerbsKeepTheTreeInStep) {
  TTreeNode* root = tree->Items()->GetFirstNode();
  tree->SetSelected(Child(root, "beta"));
  bool handled = false;
  tree->VerbStarting("RENAME", handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(tree->IsEditing());
  tree->Selected()->EndEdit(true);
  // A deleted folder leaves the tree; one that is still there stays.
  tree->VerbDone("delete", true);
  EXPECT_NE(Child(root, "beta"), nullptr);
  fs::remove(dir / "beta");
  tree->SetSelected(Child(root, "beta"));
  tree->VerbDone("delete", true);
  EXPECT_EQ(Child(root, "beta"), nullptr);
  // "paste" re-reads the selected folder.
  tree->SetSelected(Child(root, "alpha"));
  fs::create_directories(dir / "alpha/three");
  tree->VerbDone("paste", true);
  root = tree->Items()->GetFirstNode();
  EXPECT_EQ(Children(Child(root, "alpha")), (std::vector<std::string>{"one", "three", "two"}));
  // "open" runs in the item's folder and returns to where the program was.
  const auto before = fs::current_path();
  handled = false;
  tree->VerbStarting("open", handled);
  EXPECT_FALSE(handled);
  EXPECT_EQ(fs::current_path(), fs::path(base));
  tree->VerbDone("open", true);
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(ShellTree, SpecialRootsAndDisplayNames) {
  tree->SetRoot("RFMYCOMPUTER");
  TTreeNode* root = tree->Items()->GetFirstNode();
  ASSERT_NE(root, nullptr);
  // The computer's parsing name is virtual: its display name stands in.
  EXPECT_EQ(tree->GetPath(), root->Text());
  EXPECT_EQ(tree->GetPath().rfind("::{", 0), std::string::npos);
  ASSERT_NE(Child(root, "File System"), nullptr);
  // A drive's path is its mount point with the closing "/".
  tree->SetPath("/");
  EXPECT_EQ(tree->Selected(), Child(root, "File System"));
  EXPECT_EQ(tree->GetPath(), "/");
  EXPECT_EQ(RootFolderCsidl("rfmycomputer"), 17);
  EXPECT_EQ(RootFolderCsidl("/tmp"), -1);
}

}  // namespace
}  // namespace qv::test
