// Data tree transfer figures: saving and loading a million nodes with their
// texts through the tree stream, exporting 100,000 rows of six columns as
// HTML and as text, and copying 100,000 selected nodes to the clipboard in
// the tree's own format.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "classlib/Streams.h"
#include "datatree/DataStringTree.h"
#include "datatree/DataTreeClipboard.h"
#include "platform/ole/OleClipboard.h"

namespace qv {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point a) {
  return std::chrono::duration<double, std::milli>(Clock::now() - a).count();
}

std::u16string Digits(uint32_t n) {
  std::u16string s;
  do s.insert(s.begin(), char16_t('0' + n % 10));
  while (n /= 10);
  return s;
}

std::unique_ptr<TDataStringTree> TextTree(uint32_t rows, int columns) {
  auto t = std::make_unique<TDataStringTree>(nullptr);
  t->SetNodeDataSize(4);
  for (int i = 0; i < columns; ++i) {
    TDataTreeColumn* c = t->Header()->Columns()->Add();
    c->SetText(u"Column " + Digits(uint32_t(i)));
    c->SetWidth(120);
  }
  t->OnInitNode = [](TBaseDataTree* tree, PDataNode, PDataNode n, TDataNodeInitStates&) {
    *tree->GetNodeData<uint32_t>(n) = n->Index;
  };
  t->OnGetText = [](TBaseDataTree* tree, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    uint32_t id = *tree->GetNodeData<uint32_t>(n);
    s = c <= 0 ? u"File " + Digits(id) + u".dat" : u"Value " + Digits(id * uint32_t(c + 1));
  };
  t->SetRootNodeCount(rows);
  return t;
}

}  // namespace

void RunTreeTransferFigures() {
  {
    auto source = TextTree(1000000, 0);
    for (PDataNode n = source->GetFirst(); n; n = source->GetNext(n)) {
    }
    TMemoryStream stream;
    auto t0 = Clock::now();
    source->SaveToStream(stream);
    std::printf("stream_save_ms=%.3f\n", Since(t0));
    auto target = std::make_unique<TDataStringTree>(nullptr);
    target->SetNodeDataSize(4);
    std::vector<std::u16string> texts;
    texts.reserve(1000000);
    target->OnNewText = [&texts](TBaseDataTree*, PDataNode, TColumnIndex, const std::u16string& s) {
      texts.push_back(s);
    };
    stream.SetPosition(0);
    t0 = Clock::now();
    target->LoadFromStream(stream);
    std::printf("stream_load_ms=%.3f\n", Since(t0));
  }
  {
    auto t = TextTree(100000, 6);
    for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) {
    }
    auto t0 = Clock::now();
    std::string html = t->RenderHTML(txAll);
    std::printf("export_html_ms=%.3f\n", Since(t0));
    t0 = Clock::now();
    std::string text = t->RenderPlainText(txAll, '\t');
    std::printf("export_text_ms=%.3f\n", Since(t0));
  }
  {
    OleInitialize(nullptr);
    auto t = TextTree(100000, 1);
    t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
    t->ClipboardFormats()->Add("Data Tree Data");
    t->SelectAll(false);
    auto t0 = Clock::now();
    t->CopyToClipboard();
    IDataObject* data = nullptr;
    OleGetClipboard(&data);
    FORMATETC f{CF_DATATREEDATA(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM m{};
    HRESULT hr = data ? data->GetData(&f, &m) : E_FAIL;
    std::printf("copy_ms=%.3f\n", Since(t0));
    if (SUCCEEDED(hr)) ReleaseStgMedium(&m);
    if (data) data->Release();
    OleSetClipboard(nullptr);
    t.reset();
    OleUninitialize();
  }
}

}  // namespace qv
