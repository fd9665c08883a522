// The main window on a catalogue whose disc fills up: an add or a delete
// whose commit fails leaves the disc page showing what is stored, and the
// session goes on reading. Each case runs in a child process with a mount
// namespace of its own, where a small tmpfs holds the catalogue folder;
// without the right to mount the cases are skipped.
#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "MainTestSupport.h"
#include "app/frames/DiscTree.h"
#include "tests/common/SmallDisc.h"

namespace qv::test {
namespace {

class MainFullDisc : public MainTest {
 protected:
  // Runs body in a child with a tmpfs of 2 MB on the catalogue folder.
  void OnSmallDisc(const std::function<void()>& body) {
    MakeFolder(DatabaseFolder());
    const int status = RunOnSmallDisc(DatabaseFolder(), 2048, [&] {
      body();
      Stop();
      return HasFailure() ? 1 : 0;
    });
    if (status == kCannotMount) GTEST_SKIP() << "no right to mount a file system here";
    EXPECT_EQ(status, 0) << "see the child's lines above";
  }
  // Fills the catalogue's file system but for about kb kilobytes.
  void FillUpBut(int kb) {
    const std::string spare = DatabaseFolder() + "spare";
    int fd = ::open(spare.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string block(std::size_t(kb) * 1024, 'x');
    if (fd >= 0 && ::write(fd, block.data(), block.size()) < 0) std::perror("spare");
    if (fd >= 0) ::close(fd);
    FillUp();
    ::unlink(spare.c_str());
  }
  // Fills the catalogue's file system to the last byte.
  void FillUp() {
    const std::string path = DatabaseFolder() + "filler";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    static const char block[4096] = {};
    while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
    }
    while (fd >= 0 && ::write(fd, block, 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
  }
  std::vector<std::string> Labels() {
    Idle();
    std::vector<std::string> out;
    TDataStringTree* tree = DiscTree->Tree;
    for (PDataNode n = tree->GetFirstChild(tree->RootNode()); n; n = tree->GetNextSibling(n))
      out.push_back(Utf16ToUtf8(tree->GetText(n, 0)));
    return out;
  }
  int64_t IdOf(const std::string& label) {
    const int32_t at = MainForm->Engine->Discs->FindByLabel(Utf8ToUtf16(label));
    return at < 0 ? -1 : MainForm->Engine->Discs->GetDisc(at).ID;
  }
};

TEST_F(MainFullDisc, AnAddThatFindsTheDiscFullLeavesItOffTheDiscPage) {
  OnSmallDisc([&] {
    StartWithCatalogue();
    AddFixtureDisc("Shelf disc");
    ASSERT_EQ(Labels(), std::vector<std::string>{"Shelf disc"});
    for (int i = 0; i < 3000; ++i)
      MakeFile(files.Path() + "big/d" + std::to_string(i % 50) + "/a-rather-long-file-name-" +
               std::to_string(i));
    // Room for the add's start, not for its records.
    FillUpBut(64);
    AnswerWizard("Big", files.Path() + "big/");
    MainForm->actScan->Execute();
    Idle();
    EXPECT_TRUE(ConsoleHas("Finalizing database")) << testing::PrintToString(ConsoleLines());
    EXPECT_TRUE(ConsoleHas("Disc \"Big\" was not stored: No space left on device"))
        << testing::PrintToString(ConsoleLines());
    EXPECT_EQ(Labels(), std::vector<std::string>{"Shelf disc"});
    // The catalogue says why it takes no more changes.
    EXPECT_FALSE(Enabled(MainForm->actScan));
  });
}

TEST_F(MainFullDisc, ADeleteThatFindsTheDiscFullLeavesTheDiscOnTheDiscPage) {
  OnSmallDisc([&] {
    StartWithCatalogue();
    AddFixtureDisc("Shelf disc");
    AddFixtureDisc("Second disc");
    ASSERT_EQ(Labels().size(), 2u);
    FillUp();
    ASSERT_TRUE(DiscTree->SelectDiscById(IdOf("Second disc")));
    boxAnswers.push_back(IDYES);  // its files go too
    MainForm->actDel->Execute();
    Idle();
    EXPECT_TRUE(ConsoleHas("Disc \"Second disc\" was not deleted: No space left on device"));
    EXPECT_FALSE(ConsoleHas("has been deleted"));
    std::vector<std::string> labels = Labels();
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"Second disc", "Shelf disc"}));
    EXPECT_FALSE(Enabled(MainForm->actDel));
  });
}

}  // namespace
}  // namespace qv::test
