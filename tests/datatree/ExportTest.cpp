// Content export of a small two-level tree with two columns in every format:
// exact text renderings, escaped HTML, RTF with signed Unicode units, the
// clipboard's HTML description and its offsets.
#include <algorithm>
#include <cstring>

#include "TreeTestSupport.h"
#include "datatree/DataTreeClipboard.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"

namespace qv::test {
namespace {

class Export : public TreeTest {
 protected:
  // A (size 1) with child B, then C; B's name needs escaping and quoting,
  // C's is beyond ASCII and beyond the basic plane.
  TDataStringTree* Small(bool columns = true) {
    TDataStringTree* t = NewTree();
    if (columns) {
      auto* c0 = t->Header()->Columns()->Add();
      c0->SetText(u"Name");
      c0->SetWidth(120);
      auto* c1 = t->Header()->Columns()->Add();
      c1->SetText(u"Size");
      c1->SetWidth(60);
      c1->SetAlignment(taRightJustify);
      t->Header()->SetOptions(t->Header()->Options() + hoVisible);
    }
    t->SetRootNodeCount(2);
    t->SetChildCount(t->GetFirst(), 1);
    t->OnGetText = [](TBaseDataTree* tree, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
      static const std::u16string names[] = {u"A", u"B & <b> \"q\"", u"C\u00C4\U0001F600"};
      int which = tree->GetNodeLevel(n) == 1 ? 1 : n->Index == 0 ? 0 : 2;
      s = c == 1 ? std::u16string(1, char16_t(u'1' + which)) : names[which];
    };
    return t;
  }
};

TEST_F(Export, PlainAndUnicodeTextWithLevelsAndQuoting) {
  TDataStringTree* t = Small();
  EXPECT_EQ(t->RenderPlainText(txAll, '\t'),
            "Name\t\tSize\r\n"
            "A\t\t1\r\n"
            "\t\"B & <b> \"\"q\"\"\"\t2\r\n"
            "C\xC3\x84\xF0\x9F\x98\x80\t\t3\r\n");
  // UTF-16 quotes alike.
  EXPECT_EQ(t->RenderUnicodeText(txAll, u','),
            u"Name,,Size\r\n"
            u"A,,1\r\n"
            u",\"B & <b> \"\"q\"\"\",2\r\n"
            u"C\u00C4\U0001F600,,3\r\n");
  EXPECT_EQ(t->RenderPlainText(txAll, '&').substr(0, 12), "Name&&Size\r\n");
  EXPECT_NE(t->RenderPlainText(txAll, '&').find("&\"B & <b> \"\"q\"\"\"&2"), std::string::npos);
  // Only the chosen nodes.
  t->SetSelected(t->GetLast(nullptr), true);
  EXPECT_EQ(t->RenderPlainText(txSelected, ';'), "Name;Size\r\nC\xC3\x84\xF0\x9F\x98\x80;3\r\n");

  // A tree without columns quotes its one cell alike.
  TDataStringTree* plain = Small(false);
  EXPECT_EQ(plain->RenderPlainText(txAll, '\t'),
            "A\r\n\t\"B & <b> \"\"q\"\"\"\r\nC\xC3\x84\xF0\x9F\x98\x80\r\n");
}

// A drag's text read a piece at a time is the Unicode text format's, as
// UTF-8, however small the pieces; the application's own rendering and a
// medium set into the object are not bypassed; a tree that goes ends it.
TEST_F(Export, TheDragTextReadInPiecesIsTheUnicodeText) {
  TDataStringTree* t = Small();
  t->ClipboardFormats()->Add("Unicode text");
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) t->SetSelected(n, true);
  auto read = [](TextReader& reader, size_t piece) {
    std::string all;
    while (reader.Next(all, piece)) {
    }
    return all;
  };
  std::string whole = Utf16ToUtf8(t->RenderUnicodeText(txSelected, u'\t'));
  ASSERT_EQ(whole.rfind("Name\t\tSize\r\nA\t\t1\r\n\t", 0), 0u);
  auto data = TDTDataObject::Create(t, false);
  for (size_t piece : {size_t(1), size_t(9), size_t(1) << 20}) {
    auto reader = data->ReadText();
    ASSERT_TRUE(reader);
    EXPECT_EQ(read(*reader, piece), whole) << piece;
  }
  auto* c = t->Header()->Columns()->Items(1);
  c->SetOptions(c->Options() - coVisible);  // what is read follows the tree when it is read
  EXPECT_EQ(read(*data->ReadText(), 9), Utf16ToUtf8(t->RenderUnicodeText(txSelected, u'\t')));

  auto unpieced = TDTDataObject::Create(t, false);
  FORMATETC text;
  text.cfFormat = CF_UNICODETEXT;
  std::u16string own = u"own\r\n";
  STGMEDIUM m{};
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, (own.size() + 1) * 2);
  std::memcpy(GlobalLock(m.hGlobal), own.c_str(), (own.size() + 1) * 2);
  GlobalUnlock(m.hGlobal);
  ASSERT_EQ(unpieced->SetData(&text, &m, TRUE), S_OK);
  EXPECT_FALSE(unpieced->ReadText());
  t->OnRenderOLEData = [](TBaseDataTree*, const FORMATETC&, STGMEDIUM&, bool, HRESULT&) {};
  EXPECT_FALSE(data->ReadText());
  t->OnRenderOLEData = nullptr;

  // A row taken out of the tree part way through is left out; the rest follows.
  auto reader = data->ReadText();
  std::string first;
  ASSERT_TRUE(reader->Next(first, 1));  // the column titles
  ASSERT_TRUE(reader->Next(first, 1));  // A
  std::string without = Utf16ToUtf8(t->RenderUnicodeText(txSelected, u'\t'));
  size_t b = without.find("\r\n\t\"B") + 2;
  without.erase(b, without.find("\r\n", b) + 2 - b);
  t->DeleteNode(t->GetFirstChild(t->GetFirst()));  // B
  EXPECT_EQ(first + read(*reader, 1), without);
  reader = data->ReadText();
  ASSERT_TRUE(reader->Next(first, 1));
  delete t->Owner();
  EXPECT_FALSE(reader->Next(first, 1 << 20));
  EXPECT_FALSE(data->ReadText());
}

// Many rows are listed a step at a time before their text: rows taken out of
// the tree or out of the selection while that goes on are left out, and the
// indentation is that of the deepest row, however late it comes.
TEST_F(Export, RowsThatGoWhileAManyRowTextIsPreparedAreLeftOut) {
  TDataStringTree* t = NewTree();
  t->Header()->Columns()->Add()->SetText(u"Name");
  t->Header()->Columns()->Add()->SetText(u"Id");
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  t->ClipboardFormats()->Add("Unicode text");
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->OnGetText = [](TBaseDataTree* tree, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = c == 1 ? u"x" : Utf8ToUtf16(std::to_string(n->Index) + "/" + std::to_string(tree->GetNodeLevel(n)));
  };
  const uint32_t rows = 70000;
  t->SetRootNodeCount(rows);
  t->SetChildCount(t->GetLast(nullptr), 1);
  t->SelectAll(false);
  auto data = TDTDataObject::Create(t, false);
  auto reader = data->ReadText();
  ASSERT_TRUE(reader);
  std::string got;
  ASSERT_TRUE(reader->Next(got, 1 << 16));
  std::vector<PDataNode> gone;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNextSibling(n))
    if (n->Index % 1000 == 7 || (n->Index >= 32000 && n->Index < 33000)) gone.push_back(n);
  for (PDataNode n : gone) t->DeleteNode(n);
  t->SetSelected(t->GetFirst(), false);
  while (got.size() < 200000 && reader->Next(got, 1 << 16)) {
  }
  // Rows further down that go once the text has begun.
  size_t goneBefore = gone.size();
  gone.clear();
  for (PDataNode n = t->GetFirst(); n; n = t->GetNextSibling(n))
    if (n->Index >= 50000 && n->Index < 50500) gone.push_back(n);
  for (PDataNode n : gone) t->DeleteNode(n);
  while (reader->Next(got, 1 << 16)) {
  }
  std::string want = Utf16ToUtf8(t->RenderUnicodeText(txSelected, u'\t'));
  ASSERT_EQ(want.rfind("Name\t\tId\r\n1/0\t\tx\r\n", 0), 0u);  // the last row's child is a level down
  EXPECT_EQ(size_t(std::count(want.begin(), want.end(), '\n')), 1 + rows - goneBefore - gone.size() - 1 + 1);
  EXPECT_EQ(got, want);
}

TEST_F(Export, HtmlIsEscapedUtf8WithIndentationCells) {
  TDataStringTree* t = Small();
  std::string html = t->RenderHTML(txAll, u"a<b>");
  EXPECT_EQ(html.find("<b>"), std::string::npos) << html;
  EXPECT_NE(html.find("caption=\"a&lt;b&gt;\""), std::string::npos);
  EXPECT_NE(html.find(">B &amp; &lt;b&gt; &quot;q&quot;</td>"), std::string::npos);
  EXPECT_NE(html.find(">C\xC3\x84\xF0\x9F\x98\x80</td>"), std::string::npos);
  // The main column spans the levels; B sits after one indentation cell.
  EXPECT_NE(
      html.find("<th height=\"" + std::to_string(t->Header()->Height()) + "px\" align=left colspan=\"2\""),
      std::string::npos);
  EXPECT_NE(html.find("align=right"), std::string::npos);
  EXPECT_EQ(html.substr(0, 23), "<style type=\"text/css\">");
  EXPECT_EQ(html.substr(html.size() - 8), "</table>");
  size_t rows = 0;
  for (size_t at = 0; (at = html.find("<tr class=\"default\">", at)) != std::string::npos; ++at) ++rows;
  EXPECT_EQ(rows, 3u);

  // The clipboard description's offsets slice out the document and the fragment.
  std::string wrapped = html;
  TCustomDataStringTree::WrapHTMLDescription(wrapped);
  auto number = [&](const std::string& key) {
    size_t at = wrapped.find(key);
    return std::stoul(wrapped.substr(at + key.size(), 8));
  };
  size_t L = html.size();
  EXPECT_EQ(number("StartHTML:"), 97u);
  EXPECT_EQ(number("EndHTML:"), L + 301);
  EXPECT_EQ(number("StartFragment:"), 269u);
  EXPECT_EQ(number("EndFragment:"), L + 269);
  EXPECT_EQ(wrapped.size(), L + 301);
  EXPECT_EQ(wrapped.substr(269, L), html);
  EXPECT_EQ(wrapped.substr(97, 9), "<!DOCTYPE");
  std::string thousand(1000, 'x');
  TCustomDataStringTree::WrapHTMLDescription(thousand);
  EXPECT_NE(thousand.find("EndHTML:00001301"), std::string::npos);
  EXPECT_NE(thousand.find("EndFragment:00001269"), std::string::npos);
}

TEST_F(Export, RtfWritesSignedUnicodeAndReusesFontsAndColours) {
  TDataStringTree* t = Small();
  std::string rtf = t->RenderRTF(txAll);
  EXPECT_EQ(rtf.substr(0, 55), "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl{\\f0 ");
  EXPECT_NE(rtf.find("\\u67\\'3f\\u196\\'3f\\u-10179\\'3f\\u-8704\\'3f"), std::string::npos);
  EXPECT_NE(rtf.find("\\cellx1800\\cellx2700"), std::string::npos);  // 120 and 180 pixels at 96 per inch
  EXPECT_NE(rtf.find("\\tab  \\u66"), std::string::npos);
  EXPECT_NE(rtf.find("\\qr"), std::string::npos);
  // One font and one colour, each announced once.
  size_t fonts = 0, colours = 0;
  for (size_t at = 0; (at = rtf.find("\\f0", at)) != std::string::npos; ++at) ++fonts;
  for (size_t at = 0; (at = rtf.find("\\cf1", at)) != std::string::npos; ++at) ++colours;
  EXPECT_EQ(fonts, 2u);  // the table entry and the first run
  EXPECT_EQ(colours, 1u);
  EXPECT_EQ(rtf.substr(rtf.size() - 14), "\\row\\pard\\par}");
  // A font change by the painting event is announced where it happens.
  t->OnPaintText = [](TBaseDataTree* tree, TCanvas* c, PDataNode n, TColumnIndex, TVSTTextType) {
    if (tree->GetNodeLevel(n) == 1) c->Font()->SetStyle(TFontStyles{fsBold});
  };
  rtf = t->RenderRTF(txAll);
  EXPECT_NE(rtf.find("\\b \\u66"), std::string::npos);
  EXPECT_NE(rtf.find("\\b0"), std::string::npos);
  std::string html = t->RenderHTML(txAll);
  EXPECT_NE(html.find("style=\"{font: bold"), std::string::npos);
}

TEST_F(Export, UtfEightDropsLoneSurrogates) {
  EXPECT_EQ(TCustomDataStringTree::WideToUTF8(u""), "");
  std::u16string s = u"a";
  s += char16_t(0xD800);
  s += u'b';
  s += char16_t(0xDC00);
  EXPECT_EQ(TCustomDataStringTree::WideToUTF8(s), "ab");
  EXPECT_EQ(TCustomDataStringTree::WideToUTF8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
}

}  // namespace
}  // namespace qv::test
