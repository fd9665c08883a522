// The main window over a whole session: the catalogue kept in the settings
// as soon as it is open and left alone by an instance turned away from it, a
// close asked for during any long operation carried out when it ends, Ctrl+C
// for the focused control first (search results as their rows read), the
// file types after Settings, the category choice of a catalogue that was
// replaced, a catalogue open for reading only, which offers no change, and a
// catalogue's folder renamed while open or missing at the next start.
#include <filesystem>

#include "../common/RecordingHost.h"
#include "../common/TabSeparated.h"
#include "MainTestSupport.h"
#include "app/dialogs/SettsForm.h"
#include "app/frames/Browser.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "classlib/IniFiles.h"
#include "platform/Files.h"

namespace qv::test {
namespace {

class MainSession : public MainTest {
 protected:
  // The lines of one section of the settings file.
  std::string Section(const std::string& name) const {
    std::string text = SettingsText();
    std::size_t at = text.find("[" + name + "]");
    if (at == std::string::npos) return "";
    std::size_t end = text.find("\n[", at + 1);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }
  // Another instance holding the catalogue "Test".
  std::unique_ptr<TEngine> HoldCatalogue(const std::string& password = "") {
    owner.folder = DatabaseFolder() + "Test";
    auto engine = std::make_unique<TEngine>(owner, std::string(QV_BINARY_DIR) + "/app/");
    EXPECT_TRUE(engine->OpenDatabase(password));
    return engine;
  }
  void CtrlC() {
    backend.KeyDown(VK_CONTROL);
    backend.KeyPress('C');
    backend.KeyUp(VK_CONTROL);
    Pump();
  }
  // Records a close of the main window and keeps it from ending the test.
  void WatchClose() {
    MainForm->OnClose = [this](TObject*, TCloseAction& Action) {
      ++closes;
      Action = caNone;
    };
  }

  RecordingHost owner;
  int closes = 0;
};

TEST_F(MainSession, TheCatalogueIsInTheSettingsWhileTheFirstInstanceRuns) {
  AnswerNew("Test");
  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  // Not only at the end: an instance started now finds it there.
  EXPECT_NE(Section("MAINFORM").find("Base=" + DatabaseFolder() + "Test/"), std::string::npos);
  EXPECT_NE(Section("MAINFORM").find("Pass=0"), std::string::npos);

  // So does one started after the catalogue was changed mid-session.
  boxAnswers.push_back(IDYES);
  AnswerNew("Other", "pw", "Other");
  MainForm->actNew->Execute();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_NE(Section("MAINFORM").find("Base=" + DatabaseFolder() + "Other/"), std::string::npos);
  EXPECT_NE(Section("MAINFORM").find("Pass=1"), std::string::npos);
}

TEST_F(MainSession, AnInstanceTurnedAwayFromACatalogueInUseLeavesTheSettingsAlone) {
  StartWithCatalogue();
  Stop();
  ASSERT_NE(Section("MAINFORM").find("Base=" + DatabaseFolder() + "Test/"), std::string::npos);
  const std::string kept = SettingsText();
  std::unique_ptr<TEngine> first = HoldCatalogue();

  Start();
  EXPECT_FALSE(MainForm->Engine->IsOpen());
  EXPECT_TRUE(ConsoleHas(" ERROR : Database is in use"));
  EXPECT_EQ(MainForm->Base, DatabaseFolder() + "Test/");
  MainForm->SetBounds(10, 20, 700, 500);
  DiscTree->Tree->Header()->Columns()->Items(0)->SetWidth(300);
  Stop();
  EXPECT_EQ(SettingsText(), kept);

  // The owner closes: the next start opens its catalogue as usual (and would
  // cancel the New dialog were the catalogue forgotten).
  ASSERT_TRUE(first->CloseDatabase());
  AnswerCancel();
  Start();
  EXPECT_TRUE(MainForm->Engine->IsOpen());
}

TEST_F(MainSession, ATurnedAwayInstanceThatMakesACatalogueOfItsOwnKeepsIt) {
  StartWithCatalogue();
  Stop();
  std::unique_ptr<TEngine> first = HoldCatalogue();
  Start();
  ASSERT_FALSE(MainForm->Engine->IsOpen());
  AnswerNew("Mine", "", "Mine");
  MainForm->actNew->Execute();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  Stop();
  EXPECT_NE(Section("MAINFORM").find("Base=" + DatabaseFolder() + "Mine/"), std::string::npos);
  EXPECT_NE(Section("MAINFORM").find("CH="), std::string::npos);  // the whole section, at exit
  ASSERT_TRUE(first->CloseDatabase());
}

TEST_F(MainSession, TurnedAwayThroughTheOpenDialogTheSettingsStayTheOwners) {
  StartWithCatalogue("pw");
  Stop();
  const std::string kept = Section("MAINFORM");
  std::unique_ptr<TEngine> first = HoldCatalogue("pw");
  AnswerOpen("pw");
  Start();
  EXPECT_FALSE(MainForm->Engine->IsOpen());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find("Error \"Database is in use\""), std::string::npos);
  MainForm->SetBounds(10, 20, 700, 500);
  Stop();
  EXPECT_EQ(Section("MAINFORM"), kept);
  ASSERT_TRUE(first->CloseDatabase());
}

TEST_F(MainSession, ACloseDuringABrowseFromTheBrowserPageIsCarriedOutWhenItEnds) {
  StartWithCatalogue();
  AddFixtureDisc();
  WatchClose();
  MainForm->PageControl->SetActivePageIndex(2);
  // The close arrives while the browse writes its first console line.
  PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
  Browser->BrowseDisc(0);
  ASSERT_GE(MainForm->Engine->Discs->BrowsedID, 0);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(MainForm->CloseWhenIdle);
  Idle();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(MainForm->CloseWhenIdle);
  // Nothing left over to close the window after a later operation.
  FileTree->FileEdit->SetText("*.txt");
  ASSERT_TRUE(Enabled(MainForm->actSearch));
  MainForm->actSearch->Execute();
  Idle();
  EXPECT_EQ(closes, 1);
}

TEST_F(MainSession, ACloseDuringTheReopenAtStartIsCarriedOutWhenItEnds) {
  StartWithCatalogue();
  Stop();
  Start(false);
  WatchClose();
  MainForm->Show();
  PostMessage(MainForm->Handle(), WM_CLOSE, 0, 0);
  Pump();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(MainForm->CloseWhenIdle);
  Idle();
  EXPECT_EQ(closes, 1);
}

TEST_F(MainSession, CtrlCCopiesFromTheFocusedControlBeforeTheReport) {
  StartWithCatalogue();
  AddFixtureDisc();
  MainForm->AddReportLine("/media/report.txt");
  ASSERT_TRUE(Enabled(MainForm->actRCopy));

  // A mask in its edit.
  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  FileTree->FileEdit->SetText("*.txt");
  FileTree->FileEdit->SetFocus();
  FileTree->FileEdit->SelectAll();
  CtrlC();
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard), "*.txt");

  // Rows of the result tree.
  MainForm->actSearch->Execute();
  Idle();
  TDataStringTree* tree = FileTree->Tree;
  PDataNode group = nullptr;
  for (PDataNode n = tree->GetFirstChild(tree->RootNode()); n; n = tree->GetNextSibling(n))
    if (tree->GetText(n, 0) == u"readme.txt") group = n;
  ASSERT_TRUE(group);
  tree->SetFocus();
  tree->ClearSelection();
  tree->SetSelected(group, true);
  CtrlC();
  EXPECT_NE(Utf16ToUtf8(backend.Clipboard).find("readme.txt"), std::string::npos);
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard).find("/media/report.txt"), std::string::npos);

  // Where nothing focused can copy, the report's Copy has the key.
  tree->ClearSelection();
  CtrlC();
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard), "/media/report.txt\r\n");
  backend.Clipboard.clear();
  MainForm->PageControl->SetActivePageIndex(0);
  Pump();
  DiscTree->CatTree->SetFocus();
  CtrlC();
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard), "/media/report.txt\r\n");
}

// Each result row copied by Ctrl+C stands alone under the column titles: an
// entry with its whole path, name included (a real file of the disc), a
// group with its name, every line in the titles' columns.
TEST_F(MainSession, CtrlCOnSearchResultsCopiesEachRowWholeUnderTheTitles) {
  StartWithCatalogue();
  AddFixtureDisc();
  const std::string root = files.Path() + "disc";
  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  FileTree->FileEdit->SetText("*.txt");
  MainForm->actSearch->Execute();
  Idle();
  TDataStringTree* tree = FileTree->Tree;
  std::string titles;
  for (TDataTreeColumn* c : tree->Header()->Columns()->GetVisibleColumns())
    titles += (titles.empty() ? "" : "\t") + Utf16ToUtf8(c->Text());
  const auto cells = [](const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line)
      if (c == '\t')
        out.emplace_back();
      else
        out.back().push_back(c);
    return out;
  };
  const std::size_t columns = cells(titles).size();
  tree->SetFocus();
  backend.KeyPress(VK_HOME);
  Pump();
  int groups = 0, entries = 0;
  std::string group;
  for (int row = 0; row < 8; ++row, backend.KeyPress(VK_DOWN), Pump()) {
    backend.Clipboard.clear();
    CtrlC();
    const std::string text = Utf16ToUtf8(backend.Clipboard);
    const std::size_t end = text.find("\r\n");
    ASSERT_NE(end, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, end), titles);
    ASSERT_EQ(text.size() - 2, text.find("\r\n", end + 2)) << "one row: " << text;
    const std::vector<std::string> line = cells(text.substr(end + 2, text.size() - end - 4));
    EXPECT_EQ(line.size(), columns) << text;
    if (line.size() > 1 && line[1].empty()) {  // a group: its name alone
      ++groups;
      group = line[0];
      continue;
    }
    ++entries;
    const std::string& path = line[0];
    EXPECT_EQ(path.substr(path.size() - std::min(path.size(), group.size())), group) << text;
    EXPECT_TRUE(std::filesystem::is_regular_file(root + path)) << text;
  }
  EXPECT_EQ(groups, 4);
  EXPECT_EQ(entries, 4);
}

// Names a Linux file system allows: a copied row's name that holds a line
// break, a tab or a double quote (leading or inner) reads back whole with a
// quote-aware reader of tab-separated text, in the search results, the
// browser and the disc list alike; a plain name stays bare.
TEST_F(MainSession, CopiedRowsReadBackWholeWithAQuoteAwareReader) {
  StartWithCatalogue();
  const std::string root = files.Path() + "odd/";
  const std::vector<std::string> names = {"two\nlines.txt", "tab\there.txt", "back\r\nagain.txt",
                                          "\"quoted\".txt", "mid\"dle.txt",  "plain.txt"};
  for (const std::string& name : names) MakeFile(root + name, 10);
  const std::string label = "The \"odd\" names";
  AnswerWizard(label, root);
  MainForm->actScan->Execute();
  Idle();

  // The text on the clipboard: the title line, then one row.
  auto copiedRow = [&](TDataStringTree* tree, PDataNode row) {
    tree->SetFocus();
    tree->ClearSelection();
    tree->SetSelected(row, true);
    tree->SetFocusedNode(row);
    backend.Clipboard.clear();
    CtrlC();
    const std::string text = Utf16ToUtf8(backend.Clipboard);
    const std::size_t titles = text.find("\r\n");
    EXPECT_NE(titles, std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return titles == std::string::npos ? text : text.substr(titles + 2, text.size() - titles - 4);
  };
  auto copied = [&](TDataStringTree* tree, const std::string& name) {
    PDataNode row = nullptr;
    for (PDataNode n = tree->GetFirst(); n && !row; n = tree->GetNext(n))
      if (Utf16ToUtf8(tree->GetText(n, 0)) == name) row = n;
    EXPECT_TRUE(row) << name;
    return row ? copiedRow(tree, row) : std::string();
  };
  auto check = [&](const std::string& row, const std::string& name, const std::string& first) {
    const std::vector<std::vector<std::string>> rows = ReadTabSeparated(row + "\r\n");
    ASSERT_EQ(rows.size(), 1u) << row;
    EXPECT_EQ(rows[0].front(), first) << row;
    EXPECT_EQ(row.front() == '"', name != "plain.txt") << row;
  };

  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  FileTree->FileEdit->SetText("*");
  MainForm->actSearch->Execute();
  Idle();
  for (const std::string& name : names) {
    // The group of the name holds its entry, whose row is its whole path.
    TDataStringTree* results = FileTree->Tree;
    results->FullExpand();
    PDataNode entry = nullptr;
    for (PDataNode g = results->GetFirstChild(results->RootNode()); g; g = results->GetNextSibling(g))
      if (Utf16ToUtf8(results->GetText(g, 0)) == name) entry = g->FirstChild;
    ASSERT_TRUE(entry) << name;
    const std::string path = Utf16ToUtf8(results->GetText(entry, 0)) + name;
    check(copied(results, name), name, name);
    check(copiedRow(results, entry), name, path);
    EXPECT_TRUE(std::filesystem::is_regular_file(root + path.substr(1))) << path;
  }

  // The disc list, and the browser's list of the disc's root.
  MainForm->PageControl->SetActivePageIndex(0);
  Pump();
  check(copied(DiscTree->Tree, label), label, label);
  DiscTree->Tree->SetFocus();
  DiscTree->Tree->SetSelected(DiscTree->Tree->GetFirst(), true);
  DiscTree->Tree->SetFocusedNode(DiscTree->Tree->GetFirst());
  MainForm->actBrowse->Execute();
  Idle();
  for (const std::string& name : names) check(copied(Browser->FileView, name), name, name);
}

// A catalogue open for reading only (damage recorded by an earlier session)
// offers nothing that would write but the clear, the way out of the damage:
// Add disc is off before its wizard, and so are delete, properties and the
// category edits; their hints and the status bar say why. Searching and
// browsing stay.
TEST_F(MainSession, AReadOnlyCatalogueOffersNoChangeAndSaysWhy) {
  StartWithCatalogue();
  AddFixtureDisc();
  Stop();
  const std::string reason = "The database is damaged: marked so by hand; it is opened for reading only";
  {
    TMemIniFile description(DatabaseFolder() + "Test/xbase.vlm");
    description.WriteString("ENGINE", "Damage", reason);
    ASSERT_TRUE(description.UpdateFile());
  }
  Start();
  TMainForm* f = MainForm;
  ASSERT_TRUE(f->Engine->IsOpen());
  ASSERT_TRUE(f->Engine->Base->ReadOnly());
  DiscTree->Tree->SetFocus();
  backend.KeyPress(VK_HOME);
  Pump();
  ASSERT_NE(DiscTree->FirstSelectedDisc(), nullptr);
  std::vector<TAction*> writers = {f->actScan, f->actDel, f->actEdit, f->actCatAdd};
  for (TAction* a : writers) {
    EXPECT_FALSE(Enabled(a)) << a->Caption();
    EXPECT_NE(a->Hint().find(reason), std::string::npos) << a->Hint();
  }
  for (TAction* a : {f->actSearch, f->actCompare, f->actBrowse, f->actOpen, f->actNew, f->actClear})
    EXPECT_TRUE(Enabled(a)) << a->Caption();
  EXPECT_EQ(f->actClear->Hint().find(reason), std::string::npos) << f->actClear->Hint();
  // The status bar says the way out too; the clear's hint, being it, says nothing.
  EXPECT_EQ(
      f->StatusBar->Panels()->Items(0)->Text(),
      " " + reason +
          "; to write it again, empty it with Database, Clear, or close it and put back all of its files "
          "from one copy");
  // An empty category: rename and delete are off as well.
  TTreeNode* empty = nullptr;
  for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode()->GetNext(); n && !empty; n = n->GetNext()) {
    DiscTree->CatTree->SetSelected(n);
    if (f->Engine->Discs->Categories.GetDiscCount(DiscTree->SelectedCategory()) == 0) empty = n;
  }
  ASSERT_TRUE(empty);
  for (TAction* a : {f->actCatEdit, f->actCatDel}) {
    EXPECT_FALSE(Enabled(a)) << a->Caption();
    EXPECT_NE(a->Hint().find(reason), std::string::npos) << a->Hint();
  }
  // F9 brings up no wizard.
  AnswerWizard("Never", "");
  backend.KeyPress(VK_F9);
  Pump();
  EXPECT_EQ(backend.ModalAnswers.size(), 1u) << "the wizard came up";
  // Nor does Add disc run before the window has caught up with the state.
  f->actScan->OnExecute(f->actScan);
  EXPECT_EQ(backend.ModalAnswers.size(), 1u) << "the wizard came up";
  EXPECT_TRUE(
      ConsoleHas(" ERROR : The database is damaged and opened for reading only; to write it again, "
                 "empty it with Database, Clear"))
      << testing::PrintToString(ConsoleLines());
  backend.ModalAnswers.clear();
  EXPECT_EQ(f->Engine->Discs->Count(), 1);

  // A catalogue that can be written: everything as before.
  boxAnswers.push_back(IDYES);
  AnswerNew("Other", "", "Other");
  f->actNew->Execute();
  ASSERT_TRUE(f->Engine->IsOpen());
  EXPECT_TRUE(Enabled(f->actScan));
  EXPECT_EQ(f->actScan->Hint(), " Add disc to the database ");
  EXPECT_EQ(f->StatusBar->Panels()->Items(0)->Text().find(reason), std::string::npos);
}

// The clear is the way out of damage: the damaged catalogue is emptied,
// says so, and takes discs again.
TEST_F(MainSession, ADamagedCatalogueIsClearedAndTakesDiscsAgain) {
  StartWithCatalogue();
  AddFixtureDisc();
  Stop();
  {
    TMemIniFile description(DatabaseFolder() + "Test/xbase.vlm");
    description.WriteString("ENGINE", "Damage", "The database is damaged: marked so by hand");
    ASSERT_TRUE(description.UpdateFile());
  }
  Start();
  TMainForm* f = MainForm;
  ASSERT_TRUE(f->Engine->Base->ReadOnly());
  Idle();
  ASSERT_TRUE(Enabled(f->actClear));
  boxAnswers.push_back(IDYES);
  f->actClear->Execute();
  EXPECT_TRUE(ConsoleHas("The database has been cleared: 1 disc(s) deleted"))
      << testing::PrintToString(ConsoleLines());
  EXPECT_FALSE(f->Engine->Base->ReadOnly());
  Idle();
  EXPECT_TRUE(Enabled(f->actScan));
  AddFixtureDisc("After clear");
  EXPECT_EQ(f->Engine->Discs->Count(), 1);
}

TEST_F(MainSession, SettingsRefillTheSearchPagesFileTypes) {
  StartWithCatalogue();
  backend.ModalAnswers.push_back([](HWND) {
    TFileKinds changed;
    changed.Assign(SettsForm->FileKinds());
    changed.Delete(0);
    changed.Add("Ebooks", "epub mobi", true);
    SettsForm->SetFileKinds(changed);
    SettsForm->SetModalResult(mrOk);
  });
  MainForm->actSettings->Execute();
  const TFileKinds& kinds = *MainForm->Engine->FileKinds;
  ASSERT_EQ(kinds.GetItem(kinds.Count() - 1).Name, "Ebooks");
  TStrings* items = FileTree->FileCombo->Items();
  ASSERT_EQ(items->Count(), kinds.Count() + 1);
  bool ebooks = false;
  for (int i = 0; i < items->Count(); ++i) {
    intptr_t object = reinterpret_cast<intptr_t>(items->Objects(i));
    if (object == 0) continue;
    EXPECT_EQ(items->Strings(i), " " + kinds.GetItem(int32_t(object - 1)).Name + " ");
    ebooks = ebooks || items->Strings(i) == " Ebooks ";
  }
  EXPECT_TRUE(ebooks);
}

TEST_F(MainSession, AnOwnCategoryChosenBeforeAClearHidesNothingAfterIt) {
  StartWithCatalogue();
  TEngine* engine = MainForm->Engine.get();
  engine->Discs->Categories.Add("Ebooks");
  engine->RefreshViews(true);
  TTreeNode* own = nullptr;
  for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
    if (n->Text() == " Ebooks  (0) ") own = n;
  ASSERT_TRUE(own);
  DiscTree->CatTree->SetSelected(own);
  ASSERT_EQ(engine->Discs->Categories.Selected, engine->Discs->Categories.IndexOf("Ebooks"));

  boxAnswers.push_back(IDYES);
  MainForm->actClear->Execute();
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
  AddFixtureDisc("After clear");
  ASSERT_EQ(engine->Discs->Count(), 1);
  // Filed under "Other", and listed.
  EXPECT_EQ(engine->Discs->DiscAt(0).Category, engine->Discs->Categories.IndexOf("Other"));
  EXPECT_EQ(DiscTree->Tree->RootNodeCount(), 1u);
}

// The catalogue in the default folder itself, where the New dialog offers
// it; the folder's path without its "/", and a place a tidy-up renames it to.
class MovedCatalogue : public MainSession {
 protected:
  void SetUp() override {
    MainSession::SetUp();
    AnswerNew("Test", "", "");
    Start();
    ASSERT_TRUE(MainForm->Engine->IsOpen());
    AddFixtureDisc("Before");
  }
  std::string Bases() const { return ExcludeTrailingPathDelimiter(DatabaseFolder()); }
  std::string Tidied() const { return data.Path() + "Quirvane/Tidied"; }
};

TEST_F(MovedCatalogue, RenamedWhileOpenItIsReopenedWhereItWentAndTheStartSaysSo) {
  std::filesystem::rename(Bases(), Tidied());
  AddFixtureDisc("After");
  Stop();
  EXPECT_FALSE(std::filesystem::exists(Bases()));
  EXPECT_NE(Section("MAINFORM").find("Base=" + Tidied() + "/\n"), std::string::npos) << Section("MAINFORM");

  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 2);
  const std::vector<std::string> lines = ConsoleLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], " WARNING : The folder of database \"Test\" was moved from \"" + Bases() + "\" to \"" +
                          Tidied() + "\" while it was last open; it is opened from there now");
  EXPECT_FALSE(std::filesystem::exists(Bases()));
  // Said once.
  Restart();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_FALSE(ConsoleHas("was moved")) << testing::PrintToString(ConsoleLines());
}

TEST_F(MovedCatalogue, AStartWhoseFolderIsMissingSaysSoBeforeTheDialogAndMakesNoFolder) {
  Stop();
  std::filesystem::rename(Bases(), Tidied());
  dialogCaptions.clear();
  AnswerCancel();
  Start();
  // The line comes first, then the New database dialog, which made no folder
  // in the missing one's place.
  EXPECT_TRUE(backend.ModalAnswers.empty());
  EXPECT_EQ(dialogCaptions, std::vector<std::string>{" New database"});
  EXPECT_FALSE(MainForm->Engine->IsOpen());
  const std::vector<std::string> lines = ConsoleLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].find(" WARNING : The database folder \"" + Bases() + "\" does not exist"), 0u)
      << lines[0];
  EXPECT_FALSE(std::filesystem::exists(Bases()));

  // Opened where it went, it stays the one to reopen.
  backend.ModalAnswers.push_back([this](HWND) {
    SelectFolder(BaseDlg->PathTree, Tidied());
    backend.WhenIdle([] { BaseDlg->actOK->Execute(); });
  });
  MainForm->actOpen->Execute();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 1);
  Stop();
  EXPECT_NE(Section("MAINFORM").find("Base=" + Tidied() + "/\n"), std::string::npos) << Section("MAINFORM");
  EXPECT_FALSE(std::filesystem::exists(Bases()));
}

}  // namespace
}  // namespace qv::test
