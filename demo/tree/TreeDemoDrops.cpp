// What the basket takes from other programs (or from anything that is not a
// tree): a list of files becomes a row per file with its name and size, text
// a row per line. Rows of a second demo arrive as their text: the tree's own
// format only reaches a tree of the same process.
#include <sys/stat.h>

#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DragOffer.h"

namespace qv::treedemo {

namespace {

// Marks a basket record that holds no generated row.
constexpr uint32_t kBroughtId = 0xFFFFFFFF;

bool Offers(IDataObject* data, CLIPFORMAT format) {
  FORMATETC f;
  f.cfFormat = format;
  return data && data->QueryGetData(&f) == S_OK;
}

bool Fetch(IDataObject* data, CLIPFORMAT format, std::vector<uint8_t>& bytes) {
  FORMATETC f;
  f.cfFormat = format;
  STGMEDIUM m;
  if (!data || FAILED(data->GetData(&f, &m))) return false;
  bool ok = false;
  if (m.tymed == TYMED_HGLOBAL)
    if (auto* p = static_cast<const uint8_t*>(GlobalLock(m.hGlobal))) {
      bytes.assign(p, p + GlobalSize(m.hGlobal));
      GlobalUnlock(m.hGlobal);
      ok = true;
    }
  ReleaseStgMedium(&m);
  return ok;
}

std::u16string TextOf(IDataObject* data) {
  std::vector<uint8_t> bytes;
  if (Fetch(data, CF_UNICODETEXT, bytes)) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return text.substr(0, text.find(u'\0'));
  }
  if (Fetch(data, CF_TEXT, bytes)) {
    std::string text(bytes.begin(), bytes.end());
    return Utf8ToUtf16(text.substr(0, text.find('\0')));
  }
  return {};
}

std::u16string Number(uint64_t n) {
  std::u16string s;
  do s.insert(s.begin(), char16_t(u'0' + n % 10));
  while (n /= 10);
  return s;
}

}  // namespace

bool TTreeDemoForm::OffersForeignRows(IDataObject* Data) {
  return Offers(Data, CF_HDROP) || Offers(Data, CF_UNICODETEXT) || Offers(Data, CF_TEXT);
}

int TTreeDemoForm::AddForeignRows(IDataObject* Data) {
  std::vector<std::pair<std::u16string, TBroughtRow>> rows;
  std::vector<uint8_t> block;
  if (Offers(Data, CF_HDROP) && Fetch(Data, CF_HDROP, block)) {
    for (const std::string& path : FilesOfDrop(block.data(), block.size())) {
      TBroughtRow row;
      row.File = true;
      struct stat st;
      if (stat(path.c_str(), &st) == 0) row.Size = uint64_t(st.st_size);
      size_t slash = path.find_last_of('/');
      rows.emplace_back(Utf8ToUtf16(slash == std::string::npos ? path : path.substr(slash + 1)), row);
    }
  }
  if (rows.empty()) {
    std::u16string text = TextOf(Data);
    // Rows of another demo come as its text: a line of column titles, then
    // the rows' cells between tabs, of which the name is kept.
    std::u16string titles;
    TDataTreeColumns* columns = Tree->Header()->Columns();
    for (int i = 0; i < columns->Count(); ++i) titles += (i ? u"\t" : u"") + columns->Items(i)->Text();
    bool demoRows = text.rfind(titles + u"\r\n", 0) == 0 || text.rfind(titles + u"\n", 0) == 0;
    size_t start = demoRows ? text.find(u'\n') + 1 : 0;
    while (start < text.size()) {
      size_t end = text.find(u'\n', start);
      if (end == std::u16string::npos) end = text.size();
      std::u16string line = text.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      if (demoRows) line = line.substr(0, line.find(u'\t'));
      if (!line.empty()) rows.emplace_back(line, TBroughtRow{});
    }
  }
  if (rows.empty()) return 0;
  Basket->BeginUpdate();
  for (auto& [name, row] : rows) {
    PDataNode node = Basket->AddChild(nullptr);
    auto* record = Basket->GetNodeData<TRowData>(node);
    *record = TRowData{kBroughtId, 0, 0};
    Names[node] = name;
    Brought[node] = row;
  }
  Basket->EndUpdate();
  return int(rows.size());
}

bool TTreeDemoForm::BroughtText(PDataNode Node, TColumnIndex Column, std::u16string& Text) const {
  auto it = Brought.find(Node);
  if (it == Brought.end()) return false;
  switch (Column) {
    case -1:
    case 0: {
      auto name = Names.find(Node);
      Text = name == Names.end() ? u"" : name->second;
      break;
    }
    case 1:
      Text = it->second.File ? Number(it->second.Size) + u" bytes" : u"";
      break;
    case 2:
      Text = it->second.File ? u"File" : u"Text";
      break;
    default:
      Text.clear();
      break;
  }
  return true;
}

}  // namespace qv::treedemo
