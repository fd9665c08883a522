// The open and save dialogs over a real folder: filters, folder lists,
// entering folders, typed patterns and names, the checks before OK ends
// them (missing files, overwrite prompt, default extension) and what they
// hand back.
#include <filesystem>
#include <fstream>

#include "SysDialogsTestSupport.h"
#include "platform/Utf.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class FileDialogs : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    root = fs::temp_directory_path() / ("qv_filedlg_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root / "sub" / "deeper");
    for (const char* f : {"a.txt", "b.log", "C.TXT", ".hidden.txt", "sub/inner.txt"})
      std::ofstream(root / f) << "x";
    filter = u"Text Files (*.txt)";
    filter += u'\0';
    filter += u"*.txt";
    filter += u'\0';
    filter += u"All Files (*.*)";
    filter += u'\0';
    filter += u"*.*";
    filter += u'\0';
    filter += u'\0';
    dir = Utf8ToUtf16(root.string());
  }
  void TearDown() override {
    fs::remove_all(root);
    DialogTest::TearDown();
  }
  OPENFILENAMEW Ofn(DWORD flags) {
    OPENFILENAMEW o;
    o.hwndOwner = owner;
    o.lpstrFilter = filter.c_str();
    o.lpstrFile = buffer;
    o.nMaxFile = 512;
    o.lpstrInitialDir = dir.c_str();
    o.Flags = flags;
    buffer[0] = 0;
    return o;
  }
  static std::vector<std::u16string> Items(HWND list) {
    std::vector<std::u16string> out;
    LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char16_t buf[256] = {};
      SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(buf));
      out.push_back(buf);
    }
    return out;
  }
  // Types into the name field and presses Enter.
  void Type(HWND dialog, const std::u16string& text) {
    HWND edit = Children(dialog, u"EDIT").at(0);
    SetWindowTextW(edit, text.c_str());
    SetFocus(edit);
    backend.KeyPress(VK_RETURN);
  }
  fs::path root;
  std::u16string filter, dir;
  char16_t buffer[512] = {};
};

TEST_F(FileDialogs, OpenListsTheFolderByFilterAndEntersFolders) {
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), u"Open");
    auto lists = Children(dialog, u"LISTBOX");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(Items(lists[0]), (std::vector<std::u16string>{u"..", u"sub"}));
    EXPECT_EQ(Items(lists[1]), (std::vector<std::u16string>{u"a.txt", u"C.TXT"}));  // hidden ones left out
    HWND types = Children(dialog, u"COMBOBOX").at(0);
    EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 2);
    // Another filter lists every file.
    SendMessageW(types, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetWindowLongPtrW(types, GWLP_ID), CBN_SELCHANGE),
                 LPARAM(types));
    EXPECT_EQ(Items(lists[1]), (std::vector<std::u16string>{u"a.txt", u"b.log", u"C.TXT"}));
    // A typed pattern filters too; a typed folder is entered (each step once
    // the dialog's loop has handled the keys before it).
    Type(dialog, u"*.log");
    backend.WhenIdle([=, this] {
      EXPECT_EQ(Items(lists[1]), (std::vector<std::u16string>{u"b.log"}));
      Type(dialog, u"sub");
    });
    backend.WhenIdle([=, this] {
      EXPECT_EQ(Items(lists[0]), (std::vector<std::u16string>{u"..", u"deeper"}));
      // A double click on ".." goes back up.
      SendMessageW(lists[0], LB_SETCURSEL, 0, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetWindowLongPtrW(lists[0], GWLP_ID), LBN_DBLCLK),
                   LPARAM(lists[0]));
      EXPECT_EQ(Items(lists[0]), (std::vector<std::u16string>{u"..", u"sub"}));
      // Choosing a file puts its name in the field; Enter opens it.
      SendMessageW(lists[1], LB_SETCURSEL, 0, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetWindowLongPtrW(lists[1], GWLP_ID), LBN_SELCHANGE),
                   LPARAM(lists[1]));
      EXPECT_EQ(TextOf(Children(dialog, u"EDIT").at(0)), u"b.log");
      backend.KeyPress(VK_RETURN);
    });
  });
  OPENFILENAMEW o = Ofn(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  ASSERT_TRUE(GetOpenFileNameW(&o));
  std::u16string chosen = buffer;
  EXPECT_EQ(chosen, dir + u"/b.log");
  EXPECT_EQ(chosen.substr(o.nFileOffset), u"b.log");
  EXPECT_EQ(chosen.substr(o.nFileExtension), u"log");
  EXPECT_EQ(o.nFilterIndex, 2u);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(FileDialogs, OpenRefusesAMissingFileAndCancelGivesNothing) {
  int warnings = 0;
  backend.ModalAnswers.push_back([&](HWND dialog) {
    // The warning is a message box over the dialog; Enter closes it and the dialog stays.
    backend.ModalAnswers.push_back([&, dialog](HWND box) {
      ++warnings;
      EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
      backend.KeyPress(VK_RETURN);
    });
    Type(dialog, u"missing.txt");
    backend.WhenIdle([&, dialog] {
      EXPECT_TRUE(IsWindow(dialog));
      backend.KeyPress(VK_ESCAPE);
    });
  });
  OPENFILENAMEW o = Ofn(OFN_FILEMUSTEXIST);
  EXPECT_FALSE(GetOpenFileNameW(&o));
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(CommDlgExtendedError(), 0u);  // cancelled, not failed
  // Without a name buffer the dialog cannot start.
  o.lpstrFile = nullptr;
  EXPECT_FALSE(GetOpenFileNameW(&o));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
}

TEST_F(FileDialogs, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  std::vector<std::u16string> prompts;
  auto answerBox = [&](UINT key) {
    backend.ModalAnswers.push_back([&, key](HWND box) {
      prompts.push_back(TextOf(Children(box, u"STATIC").back()));
      backend.KeyPress(key);
    });
  };
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), u"Save As");
    answerBox(VK_RETURN);  // the default is No: the file stays
    Type(dialog, u"a");
    backend.WhenIdle([&, dialog] {
      answerBox('Y');
      Type(dialog, u"a");
    });
  });
  OPENFILENAMEW o = Ofn(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  o.lpstrDefExt = u"txt";
  ASSERT_TRUE(GetSaveFileNameW(&o));
  EXPECT_EQ(std::u16string(buffer), dir + u"/a.txt");
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0], u"a.txt already exists.\nDo you want to replace it?");
  // A new name is taken at once; a name in a folder that does not exist is refused.
  prompts.clear();
  backend.ModalAnswers.push_back([&](HWND dialog) {
    answerBox(VK_RETURN);
    Type(dialog, u"nowhere/x");
    backend.WhenIdle([&, dialog] { Type(dialog, u"sub/new report"); });
  });
  o = Ofn(OFN_OVERWRITEPROMPT);
  o.lpstrDefExt = u"txt";
  ASSERT_TRUE(GetSaveFileNameW(&o));
  EXPECT_EQ(std::u16string(buffer), dir + u"/sub/new report.txt");
  EXPECT_EQ(prompts.size(), 1u);
  // A buffer too small for the path fails and says so.
  backend.ModalAnswers.push_back([&](HWND dialog) { Type(dialog, u"another.txt"); });
  o = Ofn(0);
  o.nMaxFile = 8;
  EXPECT_FALSE(GetSaveFileNameW(&o));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
}

}  // namespace
}  // namespace qv::test
