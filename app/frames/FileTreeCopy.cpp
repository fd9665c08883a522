// TFileTree: the result rows as text on the clipboard or in a drag. The view
// shows an entry's folder under the group of its name; a copied row stands
// alone, so an entry carries its whole path, name included, and every row
// starts in the first column under the header's first title.

#include "app/frames/FileTree.h"
#include "app/frames/FrameSupport.h"
#include "datatree/TextCells.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/GlobalMemory.h"

namespace qv {

std::u16string TFileTree::RowsText(bool ForClipboard) {
  const std::vector<TDataTreeColumn*> columns = Tree->Header()->Columns()->GetVisibleColumns();
  std::u16string out;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i) out += u'\t';
    out += columns[i]->Text();
  }
  if (!columns.empty()) out += u"\r\n";
  auto first = [&] { return ForClipboard ? Tree->GetFirstCutCopy() : Tree->GetFirstSelected(); };
  auto next = [&](PDataNode n) { return ForClipboard ? Tree->GetNextCutCopy(n) : Tree->GetNextSelected(n); };
  for (PDataNode n = first(); n; n = next(n)) {
    // Entries lie under the group of their name.
    const TResultRow* group = Tree->GetNodeLevel(n) == 1 ? RowOf<TResultRow>(Tree, n->Parent) : nullptr;
    for (size_t i = 0; i < columns.size() || (columns.empty() && i == 0); ++i) {
      const TColumnIndex c = columns.empty() ? NoColumn : columns[i]->Index();
      if (i) out += u'\t';
      std::u16string text = Tree->GetText(n, c);
      if (c <= 0 && group) text += Utf8ToUtf16(TextOf(*group));
      // Quoted as the tree's own text is (a Linux name may hold a tab, a
      // line break or a double quote).
      AppendTextCell(out, text, u'\t');
    }
    out += u"\r\n";
  }
  return out;
}

// Plain and wide text are the view's own; the other formats stay the tree's.
void TFileTree::TreeRenderOLEData(TBaseDataTree*, const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                  bool ForClipboard, HRESULT& Result) {
  const CLIPFORMAT format = FormatEtcIn.cfFormat;
  if ((format != CF_UNICODETEXT && format != CF_TEXT) || !(FormatEtcIn.tymed & TYMED_HGLOBAL)) return;
  const std::u16string text = RowsText(ForClipboard);
  HGLOBAL mem = nullptr;
  if (format == CF_UNICODETEXT) {
    mem = GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
  } else {
    const std::string bytes = Utf16ToUtf8(text);
    mem = GlobalFromBytes(bytes.c_str(), bytes.size() + 1);
  }
  if (!mem) return;
  Medium = STGMEDIUM{};
  Medium.tymed = TYMED_HGLOBAL;
  Medium.hGlobal = mem;
  Result = S_OK;
}

}  // namespace qv
