// The questions asked before something is removed, answered by keys on the
// real box (no answering hook): Enter keeps what was to go, only a chosen Yes
// removes it. The file types of Settings and the categories here; discs and
// Clear with the scenarios.
#include <algorithm>

#include "MainTestSupport.h"
#include "app/dialogs/SettsForm.h"
#include "app/frames/DiscTree.h"

namespace qv::test {
namespace {

class DeleteQuestions : public MainTest {
 protected:
  // Queues the answer to the next message box: its text is kept, then key.
  void AnswerBoxWith(UINT key) {
    backend.ModalAnswers.push_back([this, key](HWND box) {
      for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        std::u16string text(size_t(GetWindowTextLengthW(h)) + 1, u'\0');
        text.resize(size_t(GetWindowTextW(h, text.data(), int(text.size()))));
        asked.push_back(Utf16ToUtf8(text));
      }
      backend.KeyPress(key);
    });
  }
  static bool Holds(const TFileKinds& kinds, const std::string& name) {
    for (int32_t i = 0; i < kinds.Count(); ++i)
      if (kinds.GetItem(i).Name == name) return true;
    return false;
  }
  bool Asked(const std::string& question) const {
    return std::find(asked.begin(), asked.end(), question) != asked.end();
  }
  // Settings, the first file type chosen with Home and its Delete button
  // clicked, the question answered with key, then OK. The type's name.
  std::string DeleteFirstFileType(UINT key) {
    std::string name;
    backend.ModalAnswers.push_back([&, key](HWND) {
      // One step at each idle turn, where the buttons follow the selection.
      backend.WhenIdle([&] {
        SettsForm->FileList->SetFocus();
        backend.KeyPress(VK_HOME);
      });
      backend.WhenIdle([&, key] {
        if (TListItem* item = SettsForm->FileList->Selected()) name = item->Caption();
        AnswerBoxWith(key);
        ClickOn(SettsForm->DelBtn);
      });
      backend.WhenIdle([&] { ClickOn(SettsForm->OKBtn); });
    });
    hook_ = SetMessageBoxHook(nullptr);
    MainForm->actSettings->Execute();
    Idle();
    SetMessageBoxHook(hook_);
    return name;
  }

  std::vector<std::string> asked;

 private:
  TMessageBoxHook hook_;
};

TEST_F(DeleteQuestions, AFileTypeInSettingsGoesOnlyWithAChosenYes) {
  StartWithCatalogue();
  const TFileKinds& kinds = *MainForm->Engine->FileKinds;
  const int32_t before = kinds.Count();
  const std::string question = "Are you sure you want to delete this file type?";

  const std::string kept = DeleteFirstFileType(VK_RETURN);
  ASSERT_FALSE(kept.empty()) << "no type was chosen";
  EXPECT_TRUE(Asked(question)) << testing::PrintToString(asked);
  EXPECT_EQ(kinds.Count(), before);
  EXPECT_TRUE(Holds(kinds, kept));

  asked.clear();
  const std::string gone = DeleteFirstFileType('Y');
  EXPECT_EQ(gone, kept);
  EXPECT_TRUE(Asked(question)) << testing::PrintToString(asked);
  EXPECT_EQ(kinds.Count(), before - 1);
  EXPECT_FALSE(Holds(kinds, gone));
}

TEST_F(DeleteQuestions, ACategoryGoesOnlyWithAChosenYes) {
  StartWithCatalogue();
  TDiscKinds& kinds = MainForm->Engine->Discs->Categories;
  kinds.Add("Ebooks");
  MainForm->Engine->RefreshViews(true);
  const std::string question = "It is not recommended to delete categories!\r\nDo you still want to proceed?";
  auto deleteAnswering = [&](UINT key) {
    TTreeNode* node = nullptr;
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (n->Parent() && int(reinterpret_cast<intptr_t>(n->Data())) == kinds.IndexOf("Ebooks")) node = n;
    ASSERT_TRUE(node) << "no row of the category";
    MainForm->PageControl->SetActivePageIndex(0);
    DiscTree->CatTree->SetFocus();
    DiscTree->CatTree->SetSelected(node);
    ASSERT_TRUE(Enabled(MainForm->actCatDel));
    asked.clear();
    AnswerBoxWith(key);
    TMessageBoxHook hook = SetMessageBoxHook(nullptr);
    MainForm->actCatDel->Execute();
    Idle();
    SetMessageBoxHook(hook);
    EXPECT_TRUE(Asked(question)) << testing::PrintToString(asked);
  };
  deleteAnswering(VK_RETURN);
  EXPECT_GE(kinds.IndexOf("Ebooks"), 0);
  deleteAnswering('Y');
  EXPECT_LT(kinds.IndexOf("Ebooks"), 0);
}

}  // namespace
}  // namespace qv::test
