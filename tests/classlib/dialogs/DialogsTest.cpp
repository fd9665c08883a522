// The class library's dialogs on the headless screen: message dialogs by
// hook and as windows (captions, buttons, default and cancel), ShowMessage,
// InputQuery and InputBox, and the save dialog's properties in and out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/MessageBox.h"
#include "classlib/controls/Screen.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/Utf.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/MessageQueue.h"

namespace qv::test {
namespace {

std::string TextOf(HWND h) {
  char16_t buf[512] = {};
  int n = GetWindowTextW(h, buf, 512);
  return Utf16ToUtf8(std::u16string(buf, std::size_t(std::max(n, 0))));
}

std::vector<HWND> Children(HWND dialog, const std::u16string& cls) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char16_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    if (buf == cls) out.insert(out.begin(), h);
  }
  return out;
}

std::vector<std::string> ButtonTexts(HWND dialog) {
  std::vector<std::string> out;
  for (HWND b : Children(dialog, u"BUTTON")) out.push_back(TextOf(b));
  return out;
}

class ClDialogs : public ::testing::Test {
 protected:
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    for (int i = Screen->FormCount() - 1; i >= 0; --i) delete Screen->Forms(i);
    Application->ProcessMessages();
  }
  HeadlessBackend backend{SIZE{800, 600}};
};

TEST_F(ClDialogs, MessageDialogsGoToTheHookFirst) {
  std::vector<std::string> seen;
  SetMessageBoxHook([&](const std::string& text, const std::string& caption, UINT flags) {
    seen.push_back(caption + "|" + text + "|" + std::to_string(flags));
    return IDYES;
  });
  EXPECT_EQ(MessageDlg("Delete it?", mtConfirmation, mbYesNo, 0), mrYes);
  EXPECT_EQ(MessageDlg("Broken", mtError, TMsgDlgButtons{mbOK}, 0), mrYes);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "Confirm|Delete it?|" + std::to_string(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(seen[1], "Error|Broken|" + std::to_string(MB_OK | MB_ICONERROR));
}

TEST_F(ClDialogs, MessageDialogsAsWindowsWithTheirButtonsAndKeys) {
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Warning");
    EXPECT_EQ(ButtonTexts(dialog), (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(Children(dialog, u"STATIC").size(), 2u);  // icon and text
    backend.KeyPress(VK_ESCAPE);                        // No answers Esc when there is no Cancel
  });
  EXPECT_EQ(MessageDlg("It is not recommended to delete categories!", mtWarning, mbYesNo, 0), mrNo);
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(ButtonTexts(dialog),
              (std::vector<std::string>{"&Yes", "&No", "Cancel", "N&o to All", "Yes to &All"}));
    backend.KeyPress(VK_RETURN);  // Yes is the default
  });
  EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, mbYesAllNoAllCancel, 0), mrYes);
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, mbYesNoCancel, 0, mbCancel), mrCancel);
  // The help button leaves the question open.
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(ButtonTexts(dialog), (std::vector<std::string>{"OK", "&Help"}));
    backend.KeyDown(VK_MENU);
    backend.KeyPress('H');
    backend.KeyUp(VK_MENU);
  });
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  EXPECT_EQ(MessageDlg("Info", mtInformation, TMsgDlgButtons{mbOK, mbHelp}, 7), mrOk);
  EXPECT_EQ(backend.ModalDialogs.size(), 5u);
  // ShowMessage: the application's title, no icon, OK.
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), Application->Title);
    EXPECT_EQ(Children(dialog, u"STATIC").size(), 1u);
    EXPECT_EQ(ButtonTexts(dialog), (std::vector<std::string>{"OK"}));
    backend.KeyPress(VK_SPACE);
  });
  ShowMessage("Done");
}

TEST_F(ClDialogs, InputQueryAndInputBox) {
  std::string value = "Music";
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Category");
    backend.TypeText(u"Films");
    backend.KeyPress(VK_RETURN);
  });
  EXPECT_TRUE(InputQuery("Category", "Name", value));
  EXPECT_EQ(value, "Films");
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  EXPECT_EQ(InputBox("Category", "Name", "Default"), "Default");
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"New");
    backend.KeyPress(VK_RETURN);
  });
  EXPECT_EQ(InputBox("Category", "Name", "Default"), "New");
}

TEST_F(ClDialogs, SaveDialogTakesAndGivesItsProperties) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("qv_cldlg_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "report.txt") << "x";
  TSaveDialog save(nullptr);
  save.DefaultExt = "txt";
  save.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
  save.Options = TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing};
  save.InitialDir = dir.string();
  save.FileName = "report";
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Save As");
    EXPECT_EQ(TextOf(Children(dialog, u"EDIT").at(0)), "report");
    backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress('Y'); });  // replace it
    backend.KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, (dir / "report.txt").string());
  EXPECT_EQ(save.FilterIndex, 1);
  EXPECT_FALSE(save.Options.Contains(ofExtensionDifferent));
  // Cancelled: the name stays as it was.
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(save.FileName, (dir / "report.txt").string());
  // Another extension typed by hand is flagged.
  backend.ModalAnswers.push_back([&](HWND dialog) {
    SetWindowTextW(Children(dialog, u"EDIT").at(0), u"data.csv");
    backend.KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(save.Execute());
  EXPECT_TRUE(save.Options.Contains(ofExtensionDifferent));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qv::test
