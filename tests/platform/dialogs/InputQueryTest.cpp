// The input query: the value comes selected, typing replaces it, OK gives
// the new text and Cancel leaves the value alone.
#include "SysDialogsTestSupport.h"

namespace qv::test {
namespace {

class InputQueries : public DialogTest {};

TEST_F(InputQueries, TypingReplacesTheSelectedValueAndOkKeepsIt) {
  std::u16string value = u"Music";
  backend.ModalAnswers.push_back([&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), u"Category");
    auto statics = Children(dialog, u"STATIC");
    ASSERT_EQ(statics.size(), 1u);
    EXPECT_EQ(TextOf(statics[0]), u"Name");
    auto edits = Children(dialog, u"EDIT");
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(GetFocus(), edits[0]);
    DWORD start = 0, end = 0;
    SendMessageW(edits[0], EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    backend.TypeText(u"Films \u00e9t\u00e9");
    backend.KeyPress(VK_RETURN);
  });
  EXPECT_TRUE(InputQueryDialog(owner, u"Category", u"Name", value));
  EXPECT_EQ(value, u"Films \u00e9t\u00e9");
  // Esc cancels: the value stays.
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"Other");
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_FALSE(InputQueryDialog(owner, u"Category", u"Name", value));
  EXPECT_EQ(value, u"Films \u00e9t\u00e9");
  // Tab reaches OK and Cancel; Enter on Cancel cancels.
  Keys({VK_TAB, VK_TAB, VK_RETURN});
  EXPECT_FALSE(InputQueryDialog(owner, u"Category", u"Name", value));
}

}  // namespace
}  // namespace qv::test
