// The help as the user meets it: F1 (and Help) in every window opens that
// window's own page, the page exists and names the window's own fields, and a
// page that cannot be shown is explained in a box instead of nothing happening.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

#include "MainTestSupport.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/SettsForm.h"
#include "app/forms/MainTexts.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Masks.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "platform/Files.h"

namespace qv::test {
namespace {

// A caption as a reader finds it on a page: no accelerator mark, no blanks
// around it, lower case.
std::string Plain(const std::string& caption) {
  std::string s;
  for (char c : caption)
    if (c != '&') s += char(std::tolower(static_cast<unsigned char>(c)));
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The text of a help page as shown: tags dropped, entities decoded, runs of
// blanks and line breaks made one blank.
std::string PageText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream raw;
  raw << in.rdbuf();
  std::string html = raw.str(), text;
  bool tag = false;
  for (char c : html) {
    if (c == '<') tag = true;
    if (!tag) text += c;
    if (c == '>') tag = false;
  }
  for (auto [entity, ch] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
    for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity))
      text.replace(at, std::string(entity).size(), ch);
  std::string out;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return Plain(out);
}

// The field labels a window shows: its labels, the labels bound to its
// edits, its check boxes and the columns of its lists, on every page.
void CollectLabels(TWinControl* root, const std::set<TControl*>& skip, std::vector<std::string>& out) {
  for (int i = 0; i < root->ControlCount(); ++i) {
    TControl* c = root->Controls(i);
    if (skip.count(c)) continue;
    if (dynamic_cast<TCustomLabel*>(c) || dynamic_cast<TBoundLabel*>(c) || dynamic_cast<TCustomCheckBox*>(c))
      out.push_back(Plain(c->Caption()));
    if (auto* list = dynamic_cast<TListView*>(c))
      for (int k = 0; k < list->Columns()->Count(); ++k)
        out.push_back(Plain(list->Columns()->Items(k)->Caption()));
    if (auto* w = dynamic_cast<TWinControl*>(c)) CollectLabels(w, skip, out);
  }
  out.erase(std::remove(out.begin(), out.end(), std::string()), out.end());
}

class HelpPages : public MainTest {
 protected:
  // Shows form modally, presses F1 in it and cancels it; the pages
  // opened meanwhile.
  std::vector<std::string> F1In(TForm* form) {
    backend.Opened.clear();
    backend.ModalAnswers.push_back([this, form](HWND) {
      backend.KeyPress(VK_F1);
      backend.WhenIdle([form] { form->SetModalResult(mrCancel); });
    });
    form->ShowModal();
    return backend.Opened;
  }
  // The page topic names exists and names every label.
  void ExpectPageNames(const std::string& topic, const std::vector<std::string>& labels) {
    const std::string path = AppPath() + "help/" + topic;
    ASSERT_TRUE(FileExists(path)) << path;
    const std::string text = PageText(path);
    ASSERT_FALSE(labels.empty()) << topic;
    for (const std::string& label : labels)
      EXPECT_NE(text.find(label), std::string::npos) << topic << ": " << label;
  }
  void ExpectOwnPage(TForm* form, const std::string& topic, const std::set<TControl*>& skip = {}) {
    SCOPED_TRACE(form->Caption());
    EXPECT_EQ(F1In(form), std::vector<std::string>{AppPath() + "help/" + topic});
    std::vector<std::string> labels;
    CollectLabels(form, skip, labels);
    ExpectPageNames(topic, labels);
  }
};

TEST_F(HelpPages, EveryWindowOpensItsOwnPageAndThePageNamesItsFields) {
  StartWithCatalogue();
  AddFixtureDisc();
  TMainForm* f = MainForm;

  // The main window's pages: their criteria, check boxes and column titles.
  namespace F = texts::fileform;
  std::vector<std::vector<std::string>> pageLabels(4);
  for (const char16_t* c : texts::discform::Columns) pageLabels[0].push_back(Plain(Utf16ToUtf8(c)));
  pageLabels[0].push_back(Plain(texts::discform::AllCategories));
  CollectLabels(f->TabSheet2, {}, pageLabels[1]);
  for (const char16_t* c : F::Columns) pageLabels[1].push_back(Plain(Utf16ToUtf8(c)));
  for (const char16_t* c : texts::browser::Columns) pageLabels[2].push_back(Plain(Utf16ToUtf8(c)));
  for (TAction* a : {f->actRSave, f->actRCopy, f->actRClear}) pageLabels[3].push_back(Plain(a->Caption()));
  const char* topics[4] = {"a2_05_00.htm", "a2_06_00.htm", "a2_09_00.htm", "a2_10_00.htm"};
  for (int page = 0; page < 4; ++page) {
    f->PageControl->SetActivePageIndex(page);
    backend.Opened.clear();
    backend.KeyPress(VK_F1);
    Pump();
    EXPECT_EQ(backend.Opened, std::vector<std::string>{AppPath() + "help/" + topics[page]}) << page;
    ExpectPageNames(topics[page], pageLabels[page]);
  }
  EXPECT_GE(pageLabels[1].size(), 10u) << "the search criteria were not found";

  // The wizard: every field of its three pages, and the pages' titles in the
  // order the wizard shows them.
  DiscWiz->Engine = f->Engine.get();
  ExpectOwnPage(DiscWiz, "a2_04_00.htm", {DiscWiz->InfoTxt, DiscWiz->StepTxt});
  const std::string wizard = PageText(AppPath() + "help/a2_04_00.htm");
  std::size_t at = 0;
  for (const char* title : texts::discwiz::Titles) {
    std::size_t found = wizard.find(Plain(title), at);
    EXPECT_NE(found, std::string::npos) << title << " missing or out of order";
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(wizard.find("skip hidden"), std::string::npos) << "an option the wizard does not have";

  // The dialogs, the database dialog in both its modes.
  BaseDlg->SetMode(true);
  ExpectOwnPage(BaseDlg, "a2_02_00.htm");
  BaseDlg->SetMode(false);
  ExpectOwnPage(BaseDlg, "a2_03_00.htm");
  SettsForm->SetFileKinds(*f->Engine->FileKinds);
  ExpectOwnPage(SettsForm, "a2_07_00.htm");
  ExpectOwnPage(FTypeDlg, "a2_07_00.htm");
  DiscDlg->SetData(f->Engine->Discs->GetDisc(0));
  ExpectOwnPage(DiscDlg, "a2_08_00.htm");
  ExpectOwnPage(AboutForm, "index.htm",
                {AboutForm->VersionTxt, AboutForm->CompanyTxt, AboutForm->SupportTxt});
  PathDlg->SetText("Select folder to compare with the database");
  ExpectOwnPage(PathDlg, "a2_11_00.htm");

  // The Help buttons open the same pages as F1.
  for (auto [button, topic] :
       {std::pair{SettsForm->HelpBtn, "a2_07_00.htm"}, {DiscDlg->HelpBtn, "a2_08_00.htm"}}) {
    backend.Opened.clear();
    button->Click();
    EXPECT_EQ(backend.Opened, std::vector<std::string>{AppPath() + "help/" + topic});
  }
}

TEST_F(HelpPages, APageThatCannotBeShownIsExplained) {
  StartWithCatalogue();
  // No viewer: the desktop has nothing to open the page with (no xdg-open).
  SetHelpOpener([](const std::string&) { return false; });
  boxes.clear();
  backend.KeyPress(VK_F1);
  Pump();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find("no program to open it was found"), std::string::npos) << boxes[0].Text;
  EXPECT_NE(boxes[0].Text.find(AppPath() + "help/a2_05_00.htm"), std::string::npos) << boxes[0].Text;
  // In a dialog too, over the dialog.
  boxes.clear();
  F1In(DiscDlg);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find("a2_08_00.htm"), std::string::npos);

  // A page missing from the program folder.
  InstallHelpOpener();
  boxes.clear();
  EXPECT_FALSE(ShowHelpTopic("a9_99_00.htm"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "The help page \"" + AppPath() + "help/a9_99_00.htm\" is missing.");
  EXPECT_TRUE(ShowHelpTopic("a2_06_00.htm"));
  EXPECT_EQ(boxes.size(), 1u);
}

// What a user meets on the screens the pages describe: the hints of the
// actions that a catalogue open for reading only turns off, the console line
// of a disc stored in part, and the escapes of report lines.
TEST_F(HelpPages, ThePagesTellOfAReadOnlyCatalogueADiscStoredInPartAndReportEscapes) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  const std::string discs = PageText(AppPath() + "help/a2_05_00.htm");
  EXPECT_NE(discs.find(Plain(texts::mainform::ReadOnlyHint)), std::string::npos);
  for (TAction* a :
       {f->actScan, f->actDel, f->actEdit, f->actClear, f->actCatAdd, f->actCatEdit, f->actCatDel})
    EXPECT_NE(discs.find(Plain(a->Caption())), std::string::npos) << a->Caption();
  EXPECT_NE(PageText(AppPath() + "help/a2_03_00.htm").find("reading only"), std::string::npos);

  const std::string wizard = PageText(AppPath() + "help/a2_04_00.htm");
  for (const char* part :
       {"was stored in part:", "file(s) and", "folder(s) were stored before the add was stopped"})
    EXPECT_NE(wizard.find(part), std::string::npos) << part;

  const std::string reports = PageText(AppPath() + "help/a2_10_00.htm");
  for (const char* escape : {"\\\\", "\\n", "\\t", "\\x"})
    EXPECT_NE(reports.find(escape), std::string::npos) << escape;
}

// The Search page's masks as the matcher takes them: each example the page
// gives does what the page says, and the page names the words a refused
// size limit shows.
TEST_F(HelpPages, TheSearchPageTellsHowMasksAndSizeLimitsReallyBehave) {
  const std::string search = PageText(AppPath() + "help/a2_06_00.htm");
  const std::vector<std::string> parts = {"*[bracket]*",
                                          "[a-z]",
                                          "[!0-9]*",
                                          "[z-a]",
                                          "[[]",
                                          "*[[]*",
                                          "[*]",
                                          "[?]",
                                          "*]*",
                                          "[]",
                                          Plain(texts::fileform::NoSize),
                                          Plain(texts::fileform::NoDate),
                                          "23:59:59",
                                          "4294967296"};
  for (const std::string& part : parts) EXPECT_NE(search.find(part), std::string::npos) << part;
  EXPECT_TRUE(MatchesMask("Track 01.flac", "*[bracket]*"));
  EXPECT_FALSE(MatchesMask("solid.mp3", "*[bracket]*"));
  EXPECT_TRUE(MatchesMask("Q", "[a-z]"));
  EXPECT_TRUE(MatchesMask("7", "[a-cx0-9]"));
  EXPECT_FALSE(MatchesMask("m", "[z-a]"));
  EXPECT_TRUE(MatchesMask("readme", "[!0-9]*"));
  EXPECT_FALSE(MatchesMask("1st.txt", "[!0-9]*"));
  EXPECT_TRUE(MatchesMask("[", "[[]"));
  EXPECT_TRUE(MatchesMask("disc [2].iso", "*[[]*"));
  EXPECT_FALSE(MatchesMask("disc 2.iso", "*[[]*"));
  EXPECT_TRUE(MatchesMask("*", "[*]"));
  EXPECT_FALSE(MatchesMask("a", "[*]"));
  EXPECT_TRUE(MatchesMask("?", "[?]"));
  EXPECT_TRUE(MatchesMask("a]b", "*]*"));
  for (const char* invalid : {"[]", "[abc", "[-a]", "[a-]", "*[]]*"})
    EXPECT_THROW(MatchesMask("a", invalid), EMaskException) << invalid;
}

}  // namespace
}  // namespace qv::test
