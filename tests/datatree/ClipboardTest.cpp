// The tree on the clipboard: the format registry and the data object's
// contract, copy, cut and paste within and between trees, copied rows as
// other programs read their text, trees that go while their data is on the
// clipboard, and hostile clipboard data.
#include <unistd.h>

#include <cstring>

#include "../common/TabSeparated.h"
#include "TransferTestSupport.h"
#include "datatree/DataTreeClipboard.h"
#include "datatree/OLEMemoryStream.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DataAdvise.h"
#include "platform/ole/MemoryDataObject.h"

namespace qv::test {
namespace {

class Clipboard : public TransferTest {
 protected:
  // A shown numbered tree with `count` top-level nodes, each with two children.
  TDataStringTree* Numbered(int count, RECT r = {0, 0, 300, 300}) {
    TDataStringTree* t = NewTreeOn(r);
    MakeNumbered(t);
    t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
    t->ClipboardFormats()->Add("Data Tree Data");
    int id = 1;
    for (int i = 0; i < count; ++i) {
      PDataNode n = t->AddChild(nullptr);
      Id(t, n) = id++;
      for (int j = 0; j < 2; ++j) Id(t, t->AddChild(n)) = id++;
    }
    return t;
  }
  TDataStringTree* NewTreeOn(RECT r) {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBoundsRect(r);
    auto* t = new TDataStringTree(f);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(f);
    f->Show();
    Pump();
    return t;
  }
  ComPtr<IDataObject> ClipboardObject() {
    IDataObject* d = nullptr;
    OleGetClipboard(&d);
    return ComPtr<IDataObject>::Adopt(d);
  }
  static FORMATETC Format(CLIPFORMAT f, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{f, nullptr, DVASPECT_CONTENT, -1, tymed};
  }
};

TEST_F(Clipboard, FormatsFollowTheTreeClassAndTheDataObjectItsContract) {
  TDataStringTree* t = Numbered(2);
  auto base = std::make_unique<TBaseDataTree>(nullptr);
  EXPECT_EQ(base->ClipboardFormats()->Add("CSV"), -1);
  EXPECT_GE(base->ClipboardFormats()->Add("Data Tree Data"), 0);
  t->ClipboardFormats()->Clear();
  EXPECT_GE(t->ClipboardFormats()->Add("csv"), 0);
  t->ClipboardFormats()->Add("CSV");
  EXPECT_EQ(t->ClipboardFormats()->Count(), 1);
  EXPECT_EQ(t->ClipboardFormats()->Add("No Such Format"), -1);

  // No formats: nothing enumerated, yet the tree reference is there.
  base->ClipboardFormats()->Clear();
  auto empty = TDTDataObject::Create(base.get(), false);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(empty->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  FORMATETC f[4];
  ULONG got = 9;
  EXPECT_EQ(e->Next(4, f, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  e->Release();
  STGMEDIUM m{};
  FORMATETC ref = Format(CF_DATATREEREFERENCE());
  ASSERT_EQ(empty->GetData(&ref, &m), S_OK);
  EXPECT_EQ(TBaseDataTree::GetTreeFromDataObject(empty.Get()), base.get());
  ReleaseStgMedium(&m);

  // Priority order, partial fetches, skipping and cloning.
  t->ClipboardFormats()->Add("Data Tree Data");
  t->ClipboardFormats()->Add("Plain text");
  auto data = TDTDataObject::Create(t, false);
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  EXPECT_EQ(e->Next(2, f, &got), S_OK);
  EXPECT_EQ(f[0].cfFormat, CF_DATATREEDATA());
  EXPECT_EQ(f[1].cfFormat, CF_CSV());
  EXPECT_EQ(e->Next(4, f, &got), S_FALSE);  // fewer than asked
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(f[0].cfFormat, CLIPFORMAT(CF_TEXT));
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(3), S_OK);
  EXPECT_EQ(e->Next(1, f, &got), S_FALSE);
  e->Reset();
  EXPECT_EQ(e->Skip(5), S_FALSE);  // skips what there is
  e->Reset();
  e->Skip(1);
  IEnumFORMATETC* c = nullptr;
  ASSERT_EQ(e->Clone(&c), S_OK);
  EXPECT_EQ(c->Next(1, f, &got), S_OK);
  EXPECT_EQ(f[0].cfFormat, CF_CSV());
  c->Release();
  e->Release();
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &e), OLE_S_USEREG);

  FORMATETC q = Format(CF_CSV());
  EXPECT_EQ(data->QueryGetData(&q), S_OK);
  q.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(data->QueryGetData(&q), DV_E_DVASPECT);
  q = Format(CF_CSV(), TYMED_ISTREAM);
  EXPECT_EQ(data->QueryGetData(&q), DV_E_TYMED);
  q = Format(CF_CSV());
  q.lindex = 3;
  EXPECT_EQ(data->QueryGetData(&q), DV_E_LINDEX);
  q = Format(CF_HTML());
  EXPECT_EQ(data->QueryGetData(&q), DV_E_FORMATETC);

  // Tree data of an empty selection: no block, but an (empty) stream.
  FORMATETC td = Format(CF_DATATREEDATA());
  EXPECT_EQ(data->GetData(&td, &m), E_FAIL);
  td.tymed = TYMED_ISTREAM | TYMED_HGLOBAL;
  ASSERT_EQ(data->GetData(&td, &m), S_OK);
  EXPECT_EQ(m.tymed, TYMED_ISTREAM);
  ReleaseStgMedium(&m);
  // The text formats render the selection.
  t->SetSelected(t->GetFirst(), true);
  q = Format(CF_CSV());
  ASSERT_EQ(data->GetData(&q, &m), S_OK);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(m.hGlobal)), "n1\r\n");
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  // Data set into the object is handed out (as a copy) instead of being rendered.
  STGMEDIUM in{};
  in.tymed = TYMED_HGLOBAL;
  in.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(in.hGlobal), "abc", 4);
  GlobalUnlock(in.hGlobal);
  ASSERT_EQ(data->SetData(&q, &in, FALSE), S_OK);
  ReleaseStgMedium(&in);
  ASSERT_EQ(data->GetData(&q, &m), S_OK);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(m.hGlobal)), "abc");
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
}

// A sink that keeps the text of every change it is told about ("" for none).
class TextSink final : public ComObject<IAdviseSink> {
 public:
  std::vector<std::string> told;
  void OnDataChange(const FORMATETC*, STGMEDIUM* medium) override {
    if (medium->tymed != TYMED_HGLOBAL) {
      told.push_back("");
      return;
    }
    told.push_back(static_cast<const char*>(GlobalLock(medium->hGlobal)));
    GlobalUnlock(medium->hGlobal);
  }
  void OnViewChange(DWORD, LONG) override {}
  void OnSave() override {}
  void OnClose() override {}
};

// Advice starts with the first DAdvise; from then on data set into the
// object is announced to every sink, with the data unless it asked for none,
// and a sink that asked once is told once.
TEST_F(Clipboard, TheDataObjectTellsItsAdvisedSinksOfNewData) {
  TDataStringTree* t = Numbered(2);
  t->ClipboardFormats()->Clear();
  t->ClipboardFormats()->Add("CSV");
  t->SetSelected(t->GetFirst(), true);
  auto data = TDTDataObject::Create(t, false);
  IEnumSTATDATA* e = nullptr;
  EXPECT_EQ(data->DUnadvise(1), E_NOTIMPL);
  EXPECT_EQ(data->EnumDAdvise(&e), OLE_E_ADVISENOTSUPPORTED);
  auto every = ComPtr<TextSink>::Adopt(new TextSink), once = ComPtr<TextSink>::Adopt(new TextSink),
       primed = ComPtr<TextSink>::Adopt(new TextSink);
  FORMATETC csv = Format(CF_CSV());
  DWORD a = 0, b = 0, c = 0;
  ASSERT_EQ(data->DAdvise(&csv, 0, every.Get(), &a), S_OK);
  ASSERT_EQ(data->DAdvise(&csv, ADVF_NODATA | ADVF_ONLYONCE, once.Get(), &b), S_OK);
  ASSERT_EQ(data->DAdvise(&csv, ADVF_PRIMEFIRST, primed.Get(), &c), S_OK);
  EXPECT_TRUE(a != b && b != c && a != c);
  EXPECT_EQ(primed->told, std::vector<std::string>{"n1\r\n"});  // at once, the current data
  ASSERT_EQ(data->EnumDAdvise(&e), S_OK);
  STATDATA st[4];
  ULONG got = 0;
  EXPECT_EQ(e->Next(4, st, &got), S_FALSE);
  EXPECT_EQ(got, 3u);
  for (ULONG i = 0; i < got; ++i) st[i].pAdvSink->Release();
  e->Release();
  STGMEDIUM in{};
  in.tymed = TYMED_HGLOBAL;
  in.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(in.hGlobal), "abc", 4);
  GlobalUnlock(in.hGlobal);
  ASSERT_EQ(data->SetData(&csv, &in, FALSE), S_OK);
  EXPECT_EQ(every->told, std::vector<std::string>{"abc"});
  EXPECT_EQ(once->told, std::vector<std::string>{""});
  ASSERT_EQ(data->SetData(&csv, &in, TRUE), S_OK);  // taken over
  EXPECT_EQ(every->told.size(), 2u);
  EXPECT_EQ(once->told.size(), 1u);
  EXPECT_EQ(data->DUnadvise(a), S_OK);
  EXPECT_EQ(data->DUnadvise(a), OLE_E_NOCONNECTION);
  EXPECT_EQ(data->DUnadvise(b), OLE_E_NOCONNECTION);  // ended after its one change
  EXPECT_EQ(data->DUnadvise(c), S_OK);
}

TEST_F(Clipboard, CopyAndPasteBetweenTreesWithAVeto) {
  TDataStringTree* a = Numbered(3);
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  a->SetSelected(a->GetFirst(), true);
  a->SetSelected(a->GetLast(nullptr)->Parent, true);
  a->CopyToClipboard();
  EXPECT_TRUE(a->TreeStates().Contains(tsCopyPending));
  EXPECT_TRUE(a->GetFirst()->Has(vsCutOrCopy));
  b->SetFocusedNode(b->GetFirst());
  std::vector<int> copied;
  b->OnNodeCopying = [&](TBaseDataTree* t, PDataNode n, PDataNode, bool& allowed) {
    allowed = Id(t, n) != 7;
  };
  b->OnNodeCopied = [&](TBaseDataTree* t, PDataNode n) { copied.push_back(Id(t, n)); };
  EXPECT_TRUE(b->PasteFromClipboard());
  EXPECT_EQ(copied, std::vector<int>{1});
  EXPECT_EQ(b->ChildCount(b->GetFirst()), 3u);  // two of its own, one pasted with its children
  EXPECT_EQ(b->TotalCount(), 6u);
  EXPECT_TRUE(TreeInvariantsHold(*b));
  EXPECT_TRUE(SelectionAgrees(*b));
  // Other programs got the marked rows as text.
  a->ClipboardFormats()->Add("Unicode text");
  a->CopyToClipboard();
  EXPECT_EQ(backend.Clipboard, u"n1\r\nn7\r\n");
  EXPECT_TRUE(a->TreeStates().Contains(tsCopyPending));
  EXPECT_TRUE(b->PasteFromClipboard());
  // The source forgot its pending copy; its nodes stay.
  EXPECT_FALSE(a->TreeStates().Contains(tsCopyPending));
  EXPECT_FALSE(a->GetFirst()->Has(vsCutOrCopy));
  EXPECT_EQ(a->TotalCount(), 9u);
}

// A copy replaces the tree's earlier copy or cut: other programs and a paste
// get its rows only, and only they are marked.
TEST_F(Clipboard, ANewCopyOfTheSameTreeHoldsOnlyItsOwnRows) {
  TDataStringTree* a = Numbered(3);
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  a->ClipboardFormats()->Add("Unicode text");
  a->SelectAll(false);
  a->CutToClipboard();
  a->ClearSelection();
  a->SetSelected(a->GetLast(nullptr)->Parent, true);
  a->CopyToClipboard();
  EXPECT_EQ(backend.Clipboard, u"n7\r\n");
  EXPECT_FALSE(a->GetFirst()->Has(vsCutOrCopy));
  b->SetFocusedNode(b->GetFirst());
  EXPECT_TRUE(b->PasteFromClipboard());
  EXPECT_EQ(b->TotalCount(), 6u);  // its three, and n7 with its two children
  EXPECT_EQ(a->TotalCount(), 9u);  // the cut that was replaced moved nothing
}

// Names a spreadsheet or a script reading the copied text as tab-separated
// must get back exactly: a leading quote, an inner quote, a tab and a line
// break, in the plain and the wide text of the copy and in the text other
// programs get; a plain name is written as it is.
TEST_F(Clipboard, CopiedRowsReadBackAsTheirNamesWithAQuoteAwareReader) {
  static const std::vector<std::string> names = {"\"quoted\".txt", "mid\"dle.txt", "tab\there.txt",
                                                 "two\r\nlines.txt", "plain.txt"};
  TDataStringTree* t = NewTreeOn({0, 0, 300, 300});
  for (const char16_t* title : {u"Name", u"Size"}) t->Header()->Columns()->Add()->SetText(title);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->ClipboardFormats()->Add("Unicode text");
  t->ClipboardFormats()->Add("Plain text");
  t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = c == 1 ? Utf8ToUtf16(std::to_string(n->Index + 1)) : Utf8ToUtf16(names[n->Index]);
  };
  t->SetRootNodeCount(uint32_t(names.size()));
  t->SelectAll(false);
  t->CopyToClipboard();

  std::vector<std::vector<std::string>> expected = {{"Name", "Size"}};
  for (size_t i = 0; i < names.size(); ++i) expected.push_back({names[i], std::to_string(i + 1)});
  auto text = [&](CLIPFORMAT f) {
    FORMATETC format = Format(f);
    STGMEDIUM m{};
    if (ClipboardObject()->GetData(&format, &m) != S_OK) return std::string();
    const void* p = GlobalLock(m.hGlobal);
    std::string s = f == CF_TEXT ? std::string(static_cast<const char*>(p))
                                 : Utf16ToUtf8(static_cast<const char16_t*>(p));
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
    return s;
  };
  const std::string copies[] = {text(CF_TEXT), text(CF_UNICODETEXT), Utf16ToUtf8(backend.Clipboard)};
  for (const std::string& copy : copies) {
    EXPECT_EQ(ReadTabSeparated(copy), expected) << copy;
    EXPECT_NE(copy.find("\r\nplain.txt\t5\r\n"), std::string::npos) << copy;
  }
  EXPECT_EQ(copies[1], copies[0]);
}

TEST_F(Clipboard, ACutIsMovedNotCopied) {
  TDataStringTree* a = Numbered(3);
  a->SetSelected(a->GetFirst(), true);
  a->CutToClipboard();
  EXPECT_TRUE(a->TreeStates().Contains(tsCutPending));
  a->SetFocusedNode(a->GetLast(nullptr)->Parent);
  EXPECT_TRUE(a->PasteFromClipboard());
  EXPECT_EQ(a->TotalCount(), 9u);
  EXPECT_EQ(a->RootNodeCount(), 2u);
  EXPECT_EQ(Id(a, a->GetLastChild(a->RootNode()->LastChild)), 1);
  EXPECT_FALSE(a->TreeStates().Contains(tsCutPending));
  EXPECT_TRUE(TreeInvariantsHold(*a));

  // Cut in one tree, pasted in another: the nodes change trees.
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  a->ClearSelection();
  a->SetSelected(a->GetFirst(), true);
  a->CutToClipboard();
  b->SetFocusedNode(nullptr);
  EXPECT_TRUE(b->PasteFromClipboard());
  EXPECT_EQ(a->TotalCount(), 6u);
  EXPECT_EQ(b->TotalCount(), 6u);
  EXPECT_FALSE(a->TreeStates().Contains(tsCutPending));
  EXPECT_TRUE(TreeInvariantsHold(*a));
  EXPECT_TRUE(TreeInvariantsHold(*b));
  // A read-only tree neither cuts nor pastes.
  b->TreeOptions()->SetMiscOptions(b->TreeOptions()->MiscOptions() + toReadOnly);
  b->SetSelected(b->GetFirst(), true);
  b->CutToClipboard();
  EXPECT_FALSE(b->TreeStates().Contains(tsCutPending));
  EXPECT_FALSE(b->PasteFromClipboard());
}

TEST_F(Clipboard, ATreeThatGoesTakesItsDataAndItsNameWithIt) {
  TDataStringTree* a = Numbered(2);
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  a->SetSelected(a->GetFirst(), true);
  a->CopyToClipboard();
  ComPtr<IDataObject> held = ClipboardObject();
  ASSERT_EQ(TBaseDataTree::GetTreeFromDataObject(held.Get()), a);
  uint32_t serial = a->TreeSerial();
  delete a->Owner();  // the form and its tree
  EXPECT_EQ(TBaseDataTree::GetTreeFromDataObject(held.Get()), nullptr);
  FORMATETC td = Format(CF_DATATREEDATA());
  STGMEDIUM m{};
  EXPECT_EQ(held->GetData(&td, &m), E_FAIL);
  EXPECT_FALSE(b->InsertFromDataObject(nullptr, held.Get(), nullptr, amAddChildLast, false));
  EXPECT_EQ(b->TotalCount(), 3u);

  // A forged or short reference names no tree; a live tree's number does.
  auto forged = MemoryDataObject::Create();
  auto reference = [&](uint32_t pid, uint32_t tree, size_t bytes) {
    std::vector<uint8_t> v(8);
    std::memcpy(v.data(), &pid, 4);
    std::memcpy(v.data() + 4, &tree, 4);
    v.resize(bytes);
    forged->SetBytes(CF_DATATREEREFERENCE(), v);
    return TBaseDataTree::GetTreeFromDataObject(forged.Get());
  };
  EXPECT_EQ(reference(uint32_t(getpid()), serial, 8), nullptr);
  EXPECT_EQ(reference(uint32_t(getpid()), b->TreeSerial(), 8), b);
  EXPECT_EQ(reference(uint32_t(getpid()) + 1, b->TreeSerial(), 8), nullptr);
  EXPECT_EQ(reference(uint32_t(getpid()), b->TreeSerial(), 4), nullptr);
}

// A copy whose tree goes stays on the clipboard as its text, for this
// program and the desktop: no longer the tree's rows (a paste into a tree
// adds nothing). A cut goes with its tree, and another copy made since
// stays as it is.
TEST_F(Clipboard, ACopyOutlivesItsTreeAsItsTextACutDoesNot) {
  auto copyThenGo = [&](bool cut) {
    TDataStringTree* t = Numbered(2);
    t->ClipboardFormats()->Add("Unicode text");
    t->ClipboardFormats()->Add("HTML Format");
    t->SetSelected(t->GetFirst(), true);
    t->SetSelected(t->GetLast(nullptr)->Parent, true);
    cut ? t->CutToClipboard() : t->CopyToClipboard();
    delete t->Owner();
  };
  auto formats = [&] {
    std::vector<CLIPFORMAT> out;
    ComPtr<IEnumFORMATETC> e;
    if (FAILED(ClipboardObject()->EnumFormatEtc(DATADIR_GET, e.Put()))) return out;
    FORMATETC f;
    while (e->Next(1, &f, nullptr) == S_OK) out.push_back(f.cfFormat);
    return out;
  };
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  copyThenGo(false);
  EXPECT_EQ(GetClipboardTextW(), u"n1\r\nn4\r\n");
  EXPECT_EQ(backend.Clipboard, u"n1\r\nn4\r\n");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE narrow = GetClipboardData(CF_TEXT);
  EXPECT_STREQ(narrow ? static_cast<const char*>(GlobalLock(narrow)) : "", "n1\r\nn4\r\n");
  if (narrow) GlobalUnlock(narrow);
  CloseClipboard();
  EXPECT_EQ(formats(), (std::vector<CLIPFORMAT>{CF_UNICODETEXT, CF_TEXT}));
  b->SetFocusedNode(b->GetFirst());
  EXPECT_FALSE(b->PasteFromClipboard());
  EXPECT_EQ(b->TotalCount(), 3u);

  copyThenGo(true);
  EXPECT_EQ(GetClipboardTextW(), u"");
  EXPECT_EQ(backend.Clipboard, u"");
  EXPECT_TRUE(formats().empty());

  TDataStringTree* a = Numbered(2);
  a->SetSelected(a->GetFirst(), true);
  a->CopyToClipboard();
  ASSERT_TRUE(SetClipboardTextW(u"copied since"));
  delete a->Owner();
  EXPECT_EQ(GetClipboardTextW(), u"copied since");
}

TEST_F(Clipboard, ClearingEmptiesTheClipboardOnlyWhileItHoldsTheTreesData) {
  TDataStringTree* a = Numbered(2);
  a->SetSelected(a->GetFirst(), true);
  a->CopyToClipboard();
  auto other = MemoryDataObject::Create();
  other->SetText(u"someone else's");
  OleSetClipboard(other.Get());
  a->Clear();
  EXPECT_EQ(OleIsCurrentClipboard(other.Get()), S_OK);

  a = Numbered(2, {0, 300, 300, 600});
  a->SetSelected(a->GetFirst(), true);
  a->CopyToClipboard();
  ASSERT_EQ(TBaseDataTree::GetTreeFromDataObject(ClipboardObject().Get()), a);
  a->Clear();
  EXPECT_EQ(TBaseDataTree::GetTreeFromDataObject(ClipboardObject().Get()), nullptr);
  EXPECT_FALSE(a->TreeStates().Contains(tsCopyPending));
}

// Tree data from elsewhere: declared sizes beyond the block, damaged node
// data. The paste stops with the tree's error at worst; the tree stays whole.
TEST_F(Clipboard, HostileTreeDataIsBoundedAndLeavesTheTreeConsistent) {
  TDataStringTree* a = Numbered(4);
  TDataStringTree* b = Numbered(1, {400, 0, 700, 300});
  a->SelectAll(false);
  a->CopyToClipboard();
  STGMEDIUM m{};
  FORMATETC td = Format(CF_DATATREEDATA());
  ASSERT_EQ(ClipboardObject()->GetData(&td, &m), S_OK);
  std::vector<uint8_t> good(GlobalSize(m.hGlobal));
  std::memcpy(good.data(), GlobalLock(m.hGlobal), good.size());
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);

  std::mt19937 rng(5);
  auto data = MemoryDataObject::Create();
  for (int round = 0; round < 600; ++round) {
    auto bytes = good;
    if (round == 0) {
      uint32_t huge = 0xFFFFFFF0;
      std::memcpy(bytes.data(), &huge, 4);
    } else if (round % 3 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int i = 0; i < 3; ++i) bytes[4 + rng() % (bytes.size() - 4)] ^= uint8_t(1u << (rng() % 8));
    }
    data->SetBytes(CF_DATATREEDATA(), bytes);
    OleSetClipboard(data.Get());
    try {
      b->PasteFromClipboard();
    } catch (const EDataTreeError&) {
    } catch (const EStreamError&) {
    }
    ASSERT_TRUE(TreeInvariantsHold(*b)) << "round " << round;
    ASSERT_TRUE(SelectionAgrees(*b)) << "round " << round;
    if (b->TotalCount() > 2000) b->Clear();
  }
}

// Pasted data is read in place: never past its end, never written.
TEST_F(Clipboard, TheReadOnlyStreamStaysInsideTheCallersBytes) {
  const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  TOLEMemoryStream s(bytes, 4);
  uint8_t got[8] = {};
  EXPECT_EQ(s.Read(got, 8), 4);
  EXPECT_EQ(got[3], 4);
  EXPECT_EQ(got[4], 0);
  EXPECT_EQ(s.Read(got, 1), 0);
  s.Seek(INT64_MAX, TSeekOrigin::soCurrent);
  EXPECT_EQ(s.Read(got, 1), 0);
  EXPECT_EQ(s.Seek(-10, TSeekOrigin::soEnd), 0);
  EXPECT_THROW(s.ReadBuffer(got, 5), EReadError);
  try {
    s.WriteBuffer(got, 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message, "Can't write to a read-only resource stream");
  }
  EXPECT_THROW(s.SetSize(0), EStreamError);
  EXPECT_EQ(bytes[0], 1);
}

TEST_F(Clipboard, TheEditMessagesCopyCutAndPaste) {
  TDataStringTree* a = Numbered(3);
  a->SetSelected(a->GetFirst(), true);
  SendMessage(a->Handle(), WM_COPY, 0, 0);
  EXPECT_TRUE(a->TreeStates().Contains(tsCopyPending));
  SendMessage(a->Handle(), WM_CUT, 0, 0);
  EXPECT_TRUE(a->TreeStates().Contains(tsCutPending));
  a->SetFocusedNode(a->GetLast(nullptr)->Parent);
  SendMessage(a->Handle(), WM_PASTE, 0, 0);
  EXPECT_FALSE(a->TreeStates().Contains(tsCutPending));
  EXPECT_EQ(a->RootNodeCount(), 2u);
  EXPECT_EQ(Id(a, a->GetLastChild(a->RootNode()->LastChild)), 1);
  EXPECT_TRUE(TreeInvariantsHold(*a));
}

}  // namespace
}  // namespace qv::test
