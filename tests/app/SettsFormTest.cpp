// The settings dialog: it edits a private copy of the file types (added,
// edited and deleted through the file type editor), checks go to that copy
// only, and nothing reaches the engine's table unless OK hands it over.
#include "../common/RecordingHost.h"
#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/SettsForm.h"
#include "catalogue/Engine.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "classlib/IniFiles.h"
#include "classlib/controls/MessageBox.h"

namespace qv::test {
namespace {

class SettsFormTest : public AppTest {
 protected:
  SettsFormTest() {
    engineKinds.LoadDefaults();
    form = new TSettsForm(nullptr);
    editor = new TFTypeDlg(nullptr);
    form->TypeDlg = editor;
    form->SetFileKinds(engineKinds);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    AppTest::TearDown();
  }
  TListItem* Item(const std::string& name) {
    for (int i = 0; i < form->FileList->Items()->Count(); ++i)
      if (form->FileList->Items()->Item(i)->Caption() == name) return form->FileList->Items()->Item(i);
    return nullptr;
  }
  int32_t Index(const std::string& name) const {
    const TFileKinds& k = form->FileKinds();
    for (int32_t i = 0; i < k.Count(); ++i)
      if (k.GetItem(i).Name == name) return i;
    return -1;
  }
  // The editor answers with these texts and OK, or with Esc.
  void EditorAnswers(const std::string& name, const std::string& exts, bool ok = true) {
    backend.ModalAnswers.push_back([this, name, exts, ok](HWND) {
      seenName = editor->TypeName();
      seenExts = editor->Exts();
      editor->SetTypeName(name);
      editor->SetExts(exts);
      backend.WhenIdle([this, ok] { backend.KeyPress(ok ? VK_RETURN : VK_ESCAPE); });
    });
  }
  // Every row shows its type and points at it.
  void ExpectListMatchesCopy() {
    const TFileKinds& k = form->FileKinds();
    ASSERT_EQ(form->FileList->Items()->Count(), k.Count());
    for (int i = 0; i < k.Count(); ++i) {
      TListItem* item = form->FileList->Items()->Item(i);
      const intptr_t index = reinterpret_cast<intptr_t>(item->Data());
      ASSERT_GE(index, 0);
      ASSERT_LT(index, k.Count());
      EXPECT_EQ(item->Caption(), k.GetItem(int32_t(index)).Name);
      EXPECT_EQ(item->SubItems()->Strings(0), k.GetItem(int32_t(index)).Exts);
      EXPECT_EQ(item->Checked(), k.GetItem(int32_t(index)).Selected);
      if (i > 0) {
        EXPECT_LE(form->FileList->Items()->Item(i - 1)->Caption(), item->Caption());
      }
    }
  }

  TFileKinds engineKinds;
  TSettsForm* form;
  TFTypeDlg* editor;
  std::string seenName, seenExts;
};

TEST_F(SettsFormTest, ListShowsTheCopyAndEditWantsASelection) {
  EXPECT_EQ(form->Caption(), " Settings ");
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_TRUE(form->OKBtn->Default());
  EXPECT_TRUE(form->CancelBtn->Cancel());
  EXPECT_EQ(form->ActiveControl(), form->FileList);
  ExpectListMatchesCopy();
  // Edit and Delete want a selected row.
  form->actEdit->Update();
  form->actDel->Update();
  EXPECT_FALSE(form->actEdit->Enabled());
  EXPECT_FALSE(form->actDel->Enabled());
  form->FileList->SetSelected(Item("Audio"));
  form->actEdit->Update();
  EXPECT_TRUE(form->actEdit->Enabled());
}

TEST_F(SettsFormTest, AddEditAndDeleteWorkOnTheCopyAndCancelDropsIt) {
  const int32_t before = engineKinds.Count();
  backend.ModalAnswers.push_back([&](HWND) {
    // Add: the editor starts empty; extensions are kept in lower case.
    EditorAnswers("Ebooks", "EPUB MOBI");
    form->actAdd->Execute();
    EXPECT_EQ(seenName, "");
    EXPECT_EQ(seenExts, "");
    ASSERT_GE(Index("Ebooks"), 0);
    EXPECT_EQ(form->FileKinds().GetItem(Index("Ebooks")).Exts, "epub mobi");
    EXPECT_TRUE(form->FileKinds().GetItem(Index("Ebooks")).Selected);

    // Edit: the editor shows the type; name and extensions change.
    form->FileList->SetSelected(Item("Audio"));
    EditorAnswers("Sound", "MP3 OGG FLAC");
    form->actEdit->Execute();
    EXPECT_EQ(seenName, "Audio");
    EXPECT_NE(seenExts.find("mp3"), std::string::npos);
    EXPECT_EQ(Index("Audio"), -1);
    EXPECT_EQ(form->FileKinds().GetItem(Index("Sound")).Exts, "mp3 ogg flac");
    // An edit given up changes nothing.
    form->FileList->SetSelected(Item("Video"));
    EditorAnswers("Films", "mkv", false);
    form->actEdit->Execute();
    EXPECT_GE(Index("Video"), 0);
    EXPECT_EQ(Index("Films"), -1);

    // Delete asks first; No keeps the type, Yes removes it.
    std::vector<std::string> questions;
    int answer = IDNO;
    SetMessageBoxHook([&](const std::string& text, const std::string&, UINT) {
      questions.push_back(text);
      return answer;
    });
    form->FileList->SetSelected(Item("Archive"));
    form->actDel->Execute();
    EXPECT_GE(Index("Archive"), 0);
    answer = IDYES;
    form->FileList->SetSelected(Item("Archive"));
    form->actDel->Execute();
    EXPECT_EQ(Index("Archive"), -1);
    EXPECT_EQ(questions, (std::vector<std::string>{"Are you sure you want to delete this file type?",
                                                   "Are you sure you want to delete this file type?"}));
    ExpectListMatchesCopy();
    EXPECT_EQ(form->FileKinds().Count(), before);  // one added, one deleted
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  // The engine's table is untouched; showing the dialog again starts from it.
  EXPECT_GE(engineKinds.IndexOf("zip"), 0);
  EXPECT_EQ(engineKinds.IndexOf("epub"), -1);
  form->SetFileKinds(engineKinds);
  EXPECT_GE(Index("Archive"), 0);
  EXPECT_EQ(Index("Ebooks"), -1);
}

TEST_F(SettsFormTest, ChecksGoToTheCopyWhileShownAndRefillsWriteNothing) {
  const int32_t temporary = Index("Temporary");
  ASSERT_FALSE(form->FileKinds().GetItem(temporary).Selected);
  // Hidden: a check changes nothing.
  Item("Temporary")->SetChecked(true);
  EXPECT_FALSE(form->FileKinds().GetItem(temporary).Selected);
  form->FillList();
  backend.ModalAnswers.push_back([&](HWND) {
    Item("Temporary")->SetChecked(true);
    Item("Picture")->SetChecked(false);
    EXPECT_TRUE(form->FileKinds().GetItem(temporary).Selected);
    EXPECT_FALSE(form->FileKinds().GetItem(Index("Picture")).Selected);
    form->FillList();
    ExpectListMatchesCopy();
    backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  // What OK hands on: the engine takes the copy.
  engineKinds.Assign(form->FileKinds());
  EXPECT_TRUE(engineKinds.IsSelected("tmp"));
  EXPECT_FALSE(engineKinds.IsSelected("png"));
}

TEST_F(SettsFormTest, EmptyTypesNeverReachTheTable) {
  const int32_t before = form->FileKinds().Count();
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"Nameless");
    backend.WhenIdle([&] {
      backend.KeyPress(VK_RETURN);  // refused: no extensions
      backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
    });
  });
  form->actAdd->Execute();
  EXPECT_EQ(form->FileKinds().Count(), before);
  EXPECT_EQ(Index("Nameless"), -1);
}

TEST_F(SettsFormTest, AcceptedTypesAreSavedAndReachTheWizardNextTime) {
  TempDir dir;
  const std::string ini = dir / "Quirvane.ini";
  RecordingHost host;
  auto session = [&](const std::function<void(TEngine&)>& use) {
    Storage = std::make_unique<TStorage>(ini, true);
    {
      TEngine engine(host, std::string(QV_BINARY_DIR) + "/app/");
      use(engine);
    }
    Storage.reset();
  };
  session([&](TEngine& engine) {
    form->SetFileKinds(*engine.FileKinds);
    backend.ModalAnswers.push_back([&](HWND) {
      EditorAnswers("Ebooks", "EPUB MOBI");
      form->actAdd->Execute();
      backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
    });
    ASSERT_EQ(form->ShowModal(), mrOk);
    engine.SetFileKinds(form->FileKinds());
  });
  // The settings file holds the new type, its extensions in lower case.
  TMemIniFile file(ini);
  std::vector<std::string> values;
  for (const std::string& key : file.ReadSection("FILETYPES"))
    values.push_back(file.ReadString("FILETYPES", key, ""));
  EXPECT_NE(std::find(values.begin(), values.end(), "Ebooks"), values.end());
  EXPECT_NE(std::find(values.begin(), values.end(), "epub mobi"), values.end());

  // The next start offers it in the wizard, checked.
  session([&](TEngine& engine) {
    auto* wiz = new TDiscWiz(nullptr);
    wiz->Engine = &engine;
    wiz->FillFileList();
    bool found = false;
    for (int i = 0; i < wiz->FileList->Items()->Count(); ++i) {
      TListItem* item = wiz->FileList->Items()->Item(i);
      if (item->Caption() != "Ebooks") continue;
      found = true;
      EXPECT_EQ(item->SubItems()->Strings(0), "epub mobi");
      EXPECT_TRUE(item->Checked());
    }
    EXPECT_TRUE(found);
  });
}

TEST_F(SettsFormTest, HelpOpensTheSettingsPage) {
  form->Show();
  Pump();
  ClickOn(form->HelpBtn);
  ASSERT_EQ(backend.Opened.size(), 1u);
  EXPECT_EQ(backend.Opened[0], AppPath() + "help/a2_07_00.htm");
}

}  // namespace
}  // namespace qv::test
