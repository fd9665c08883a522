// The database folder dialog over real folders and a real catalogue: the
// catalogue folder made when asked for (with its fall-backs), the two modes and
// their OK rules, the stored name read back, the password never carried from
// one use to the next, new folders, help and the modal keys.
#include <filesystem>
#include <fstream>

#include "../common/RecordingHost.h"
#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "EnvScope.h"
#include "app/dialogs/BaseDlg.h"
#include "catalogue/Engine.h"
#include "catalogue/Info.h"
#include "classlib/controls/MessageBox.h"
#include "platform/Exception.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class BaseDlgTest : public AppTest {
 protected:
  BaseDlgTest() {
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "work");
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    AppTest::TearDown();
  }
  TBaseDlg* Make() { return dlg = new TBaseDlg(nullptr); }
  // A real catalogue named name in folder rel.
  std::string MakeCatalogue(const std::string& rel, const std::string& name) {
    RecordingHost host;
    host.folder = dir / rel;
    fs::create_directories(host.folder);
    TEngine engine(host, std::string(QV_BINARY_DIR) + "/app/");
    EXPECT_TRUE(engine.NewDatabase("pw", name));
    EXPECT_TRUE(engine.CloseDatabase());
    return host.folder;
  }
  bool OkOffered() {
    dlg->actOK->Update();
    return dlg->actOK->Enabled();
  }
  void Select(const std::string& folder) {
    dlg->SelectPath(folder);
    ASSERT_EQ(dlg->SelectedFolder(), fs::path(folder).lexically_normal().string());
  }

  TempDir dir;
  EnvScope data{"XDG_DATA_HOME", dir / "data"};
  EnvScope home{"HOME", dir / "home"};
  TBaseDlg* dlg = nullptr;
};

TEST_F(BaseDlgTest, CatalogueFolderIsMadeWhenAskedForWithFallBacks) {
  // Built at start, the dialog makes nothing: the home folder stands in.
  fs::create_directories(dir / "home");
  Make();
  const std::string bases = dir / "data/Quirvane/Bases";
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_EQ(dlg->SelectedFolder(), dir / "home");
  EXPECT_TRUE(dlg->IsNew);
  EXPECT_EQ(dlg->Folder, "");
  delete dlg;
  // Never in the place of a catalogue's folder found missing, nor inside it.
  EXPECT_EQ(PrepareDatabaseFolder(dir / "data/Quirvane/Bases"), dir / "home/");
  EXPECT_EQ(PrepareDatabaseFolder(dir / "data"), dir / "home/");
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_EQ(PrepareDatabaseFolder(dir / "data/Quirvane/Bases/Other"), bases + "/");
  EXPECT_TRUE(fs::is_directory(bases));
  Make();
  EXPECT_EQ(dlg->SelectedFolder(), bases);
  delete dlg;

  // Below a hidden folder, as under ~/.local/share, the tree still reaches it.
  {
    EnvScope hidden("XDG_DATA_HOME", dir / "home/.local/share");
    PrepareDatabaseFolder();
    Make();
    EXPECT_EQ(dlg->SelectedFolder(), dir / "home/.local/share/Quirvane/Bases");
    delete dlg;
  }
  // The data folder cannot be made (a file is in the way): the home folder.
  std::ofstream(dir / "blocker") << "x";
  EnvScope blocked("XDG_DATA_HOME", dir / "blocker");
  EXPECT_EQ(PrepareDatabaseFolder(), dir / "home/");
  Make();
  EXPECT_EQ(dlg->SelectedFolder(), dir / "home");
  EXPECT_FALSE(fs::exists(dir / "blocker/Quirvane"));
  delete dlg;
  // No usable home either: the root.
  EnvScope noHome("HOME", dir / "missing");
  EXPECT_EQ(PrepareDatabaseFolder(), "/");
}

TEST_F(BaseDlgTest, SelectPathReachesCataloguesBelowHiddenOrNewFolders) {
  Make();
  // Made after the tree was filled, below a hidden folder: as a catalogue
  // found at start-up in the default place.
  const std::string db = MakeCatalogue("home/.local/share/Quirvane/Bases/Mine", "Mine");
  dlg->SelectPath(db);
  EXPECT_EQ(dlg->SelectedFolder(), db);
  dlg->SetMode(false);
  EXPECT_TRUE(OkOffered());
  EXPECT_EQ(dlg->NameEdit->Text(), "Mine");
  EXPECT_THROW(dlg->SelectPath(dir / "nowhere"), Exception);
  delete dlg;

  // With the catalogue folder below a hidden one, the tree shows hidden
  // folders from the start, so a catalogue there is found by its path alone.
  EnvScope hidden("XDG_DATA_HOME", dir / "home/.local/share");
  Make();
  dlg->PathTree->SetPath(db);
  EXPECT_EQ(dlg->SelectedFolder(), db);
}

TEST_F(BaseDlgTest, ModesSetTextsMaskingAndFocus) {
  Make();
  EXPECT_EQ(dlg->BorderStyle(), bsSizeToolWin);
  EXPECT_TRUE(dlg->OKBtn->Default());
  EXPECT_TRUE(dlg->CancelBtn->Cancel());
  EXPECT_EQ(dlg->Symbol->Picture()->Width(), 48);

  dlg->SetMode(false);
  EXPECT_EQ(dlg->Caption(), " Open database");
  EXPECT_TRUE(dlg->NameEdit->ReadOnly());
  EXPECT_EQ(dlg->NameEdit->Color(), clBtnFace);
  EXPECT_EQ(dlg->PassEdit->PasswordChar(), u'*');
  EXPECT_EQ(dlg->ActiveControl(), dlg->PassEdit);
  EXPECT_EQ(dlg->FolderTxt->Caption(), "Select the folder where the database files are located");

  dlg->SetMode(true);
  EXPECT_EQ(dlg->Caption(), " New database");
  EXPECT_FALSE(dlg->NameEdit->ReadOnly());
  EXPECT_EQ(dlg->NameEdit->Color(), clWindow);
  EXPECT_EQ(dlg->PassEdit->PasswordChar(), 0);
  EXPECT_EQ(dlg->ActiveControl(), dlg->NameEdit);
  EXPECT_EQ(dlg->FolderTxt->Caption(), "Select or create a folder where the database files will be placed");
}

TEST_F(BaseDlgTest, PasswordTypedForOneUseIsGoneAtTheNext) {
  Make();
  const std::string db = MakeCatalogue("db", "Archive");
  dlg->Folder = db;
  dlg->SetMode(false);
  backend.ModalAnswers.push_back([&](HWND) {
    EXPECT_EQ(dlg->ActiveControl(), dlg->PassEdit);
    backend.TypeText(u"pw");
    // OK follows the folder when the program next idles.
    backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
  });
  ASSERT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(dlg->PassEdit->Text(), "pw");
  // The next use, New this time, shows its password field empty (and in clear).
  dlg->Folder = "";
  dlg->SetMode(true);
  EXPECT_EQ(dlg->PassEdit->Text(), "");
  dlg->SetMode(false);
  EXPECT_EQ(dlg->PassEdit->Text(), "");
}

TEST_F(BaseDlgTest, OkFollowsWhatTheSelectedFolderHolds) {
  Make();
  const std::string db = MakeCatalogue("db", "Archive");
  // New: a folder with a catalogue is refused, an empty one accepted.
  dlg->SetMode(true);
  Select(db);
  EXPECT_FALSE(OkOffered());
  Select(dir / "empty");
  EXPECT_TRUE(OkOffered());
  // The computer node is no folder.
  dlg->PathTree->SetSelected(dlg->PathTree->Items()->GetFirstNode());
  EXPECT_FALSE(OkOffered());

  // Open: the empty folder is refused and shows no name; the catalogue's
  // folder shows its stored name.
  dlg->SetMode(false);
  dlg->NameEdit->SetText("left over");
  Select(dir / "empty");
  EXPECT_FALSE(OkOffered());
  EXPECT_EQ(dlg->NameEdit->Text(), "");
  Select(db);
  EXPECT_TRUE(OkOffered());
  EXPECT_EQ(dlg->NameEdit->Text(), "Archive");
  EXPECT_TRUE(dlg->ReadBaseName(db));
  EXPECT_FALSE(dlg->ReadBaseName(dir / "nowhere"));

  // New mode never overwrites what the user typed as the name.
  dlg->SetMode(true);
  dlg->NameEdit->SetText("Mine");
  EXPECT_TRUE(dlg->ReadBaseName(db));
  EXPECT_EQ(dlg->NameEdit->Text(), "Mine");
}

TEST_F(BaseDlgTest, ShowingOpensAtTheKeptFolderOrTheCatalogueFolder) {
  Make();
  const std::string db = MakeCatalogue("db", "Archive");
  dlg->SetMode(false);
  dlg->Folder = db;
  backend.ModalAnswers.push_back([&](HWND) {
    EXPECT_EQ(dlg->SelectedFolder(), db.substr(0, db.size()));
    EXPECT_EQ(dlg->NameEdit->Text(), "");  // read at the next idle
    backend.WhenIdle([&] {
      EXPECT_EQ(dlg->NameEdit->Text(), "Archive");
      backend.KeyPress(VK_ESCAPE);
    });
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  dlg->SetMode(true);
  dlg->Folder = dir / "removed-meanwhile";
  backend.ModalAnswers.push_back([&](HWND) {
    EXPECT_EQ(dlg->SelectedFolder(), dir / "data/Quirvane/Bases");
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_EQ(dlg->Folder, dir / "data/Quirvane/Bases/");
}

TEST_F(BaseDlgTest, NewFolderTakesTheFirstFreeNumberAndStartsItsRename) {
  Make();
  fs::create_directories(dir / "work/New Folder (1)");
  fs::create_directories(dir / "work/New Folder (2)");
  dlg->SetMode(true);
  dlg->Show();
  Pump();
  Select(dir / "work");
  dlg->actNewFolder->Execute();
  EXPECT_TRUE(fs::is_directory(dir / "work/New Folder (3)"));
  EXPECT_EQ(dlg->SelectedFolder(), dir / "work/New Folder (3)");
  EXPECT_TRUE(dlg->PathTree->IsEditing());
  // The rename box, inside the tree, has the keyboard.
  EXPECT_EQ(GetParent(GetFocus()), dlg->PathTree->Handle());
  Pump();

  // Open mode offers no new folder.
  dlg->SetMode(false);
  dlg->actNewFolder->Update();
  EXPECT_FALSE(dlg->actNewFolder->Enabled());
  dlg->SetMode(true);
  dlg->actNewFolder->Update();
  EXPECT_TRUE(dlg->actNewFolder->Enabled());

  // Where no folder can be made, one error box and nothing else.
  std::vector<std::string> boxes;
  SetMessageBoxHook([&](const std::string& text, const std::string&, UINT flags) {
    boxes.push_back(text);
    EXPECT_EQ(flags & MB_ICONERROR, UINT(MB_ICONERROR));
    return IDOK;
  });
  dlg->PathTree->SetSelected(dlg->PathTree->Items()->GetFirstNode());
  dlg->actNewFolder->Execute();
  Select(dir / "empty");
  fs::remove(dir / "empty");
  dlg->actNewFolder->Execute();
  EXPECT_EQ(boxes, (std::vector<std::string>{"Failed to create new folder here!",
                                             "Failed to create new folder here!"}));
  EXPECT_FALSE(fs::exists(dir / "empty"));
}

TEST_F(BaseDlgTest, HelpPageFollowsTheMode) {
  Make();
  dlg->SetMode(true);
  backend.ModalAnswers.push_back([&](HWND) {
    backend.KeyPress(VK_F1);
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  dlg->SetMode(false);
  dlg->Show();
  Pump();
  ClickOn(dlg->HelpBtn);
  ASSERT_EQ(backend.Opened.size(), 2u);
  EXPECT_EQ(backend.Opened[0], AppPath() + "help/a2_02_00.htm");
  EXPECT_EQ(backend.Opened[1], AppPath() + "help/a2_03_00.htm");
}

TEST_F(BaseDlgTest, EnterAndEscEndTheRenameOfANewFolderOnly) {
  Make();
  dlg->SetMode(true);
  // A change notice re-reads the folder and ends a rename on its own time:
  // the keys alone decide here.
  dlg->PathTree->SetAutoRefresh(false);
  bool editing = true, closedEarly = false, escEditing = true, escClosed = false;
  std::string selected;
  backend.ModalAnswers.push_back([&](HWND) {
    Select(dir / "work");
    dlg->actNewFolder->Execute();
    backend.TypeText(u"Music");
    backend.KeyPress(VK_RETURN);
    backend.WhenIdle([&] {
      editing = dlg->PathTree->IsEditing();
      closedEarly = dlg->ModalResult() != mrNone;
      selected = dlg->SelectedFolder();
      // Esc in the next rename drops the typed name and keeps the dialog.
      dlg->actNewFolder->Execute();
      backend.TypeText(u"Dropped");
      backend.KeyPress(VK_ESCAPE);
      backend.WhenIdle([&] {
        escEditing = dlg->PathTree->IsEditing();
        escClosed = dlg->ModalResult() != mrNone;
        backend.KeyPress(VK_ESCAPE);
      });
    });
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_FALSE(editing);
  EXPECT_FALSE(closedEarly);
  EXPECT_FALSE(escEditing);
  EXPECT_FALSE(escClosed);
  // The folder carries the typed name and stays selected for the catalogue.
  EXPECT_TRUE(fs::is_directory(dir / "work/Music"));
  EXPECT_FALSE(fs::exists(dir / "work/New Folder (1)"));
  EXPECT_EQ(selected, dir / "work/Music");
  EXPECT_TRUE(fs::is_directory(dir / "work/Music/New Folder (1)"));
  EXPECT_FALSE(fs::exists(dir / "work/Music/Dropped"));
}

}  // namespace
}  // namespace qv::test
