// Data objects: the in-memory data object's formats and media, streams over
// global memory, media release and copy, and data objects on the clipboard.
#include "OleTestSupport.h"
#include "platform/ole/MemoryDataObject.h"
#include "platform/ole/Stream.h"

namespace qv::test {
namespace {

using DataObjects = OleTest;

// An object that only counts its references, to watch pUnkForRelease.
class Counted final : public ComObject<IUnknown> {};

TEST_F(DataObjects, MemoryObjectAnswersQueriesAndGivesBothMedia) {
  CLIPFORMAT nodes = CLIPFORMAT(RegisterClipboardFormatW(u"Test Nodes"));
  auto obj = MemoryDataObject::Create();
  obj->SetBytes(nodes, Bytes("abc"));
  obj->SetText(u"x");

  FORMATETC f{nodes, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
  EXPECT_EQ(obj->QueryGetData(&f), S_OK);
  FORMATETC wrong = f;
  wrong.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(obj->QueryGetData(&wrong), DV_E_DVASPECT);
  wrong = f, wrong.tymed = TYMED_GDI;
  EXPECT_EQ(obj->QueryGetData(&wrong), DV_E_TYMED);
  wrong = f, wrong.cfFormat = CLIPFORMAT(CF_HDROP);
  EXPECT_EQ(obj->QueryGetData(&wrong), DV_E_FORMATETC);
  STGMEDIUM m;
  EXPECT_EQ(obj->GetData(&wrong, &m), DV_E_FORMATETC);
  EXPECT_EQ(m.tymed, TYMED_NULL);

  ASSERT_EQ(obj->GetData(&f, &m), S_OK);  // global memory preferred
  EXPECT_EQ(m.tymed, TYMED_HGLOBAL);
  EXPECT_EQ(BlockBytes(m.hGlobal), Bytes("abc"));
  ReleaseStgMedium(&m);

  f.tymed = TYMED_ISTREAM;
  ASSERT_EQ(obj->GetData(&f, &m), S_OK);
  ASSERT_EQ(m.tymed, TYMED_ISTREAM);
  char buf[8] = {};
  ULONG got = 0;
  EXPECT_EQ(m.pstm->Read(buf, sizeof buf, &got), S_OK);
  EXPECT_EQ(std::string(buf, got), "abc");
  ReleaseStgMedium(&m);

  // SetData copies unless told to take the medium over.
  HGLOBAL mine = GlobalAlloc(GHND, 2);
  STGMEDIUM in;
  in.tymed = TYMED_HGLOBAL;
  in.hGlobal = mine;
  FORMATETC g{nodes, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(obj->SetData(&g, &in, FALSE), S_OK);
  EXPECT_EQ(GlobalSize(mine), 2u);
  EXPECT_EQ(obj->SetData(&g, &in, TRUE), S_OK);
  EXPECT_EQ(GlobalSize(mine), 0u);  // released by the object
  std::vector<uint8_t> held;
  EXPECT_TRUE(obj->GetBytes(nodes, held));
  EXPECT_EQ(held, std::vector<uint8_t>(2, 0));

  // The enumerator lists the formats in the order first set.
  ComPtr<IEnumFORMATETC> e;
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, e.Put()), S_OK);
  FORMATETC out[4];
  EXPECT_EQ(e->Next(4, out, &got), S_FALSE);
  ASSERT_EQ(got, 3u);
  EXPECT_EQ(out[0].cfFormat, nodes);
  EXPECT_EQ(out[1].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(out[2].cfFormat, CF_TEXT);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(3), S_OK);
  EXPECT_EQ(e->Skip(1), S_FALSE);
  e->Reset(), e->Skip(2);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(e->Clone(clone.Put()), S_OK);
  EXPECT_EQ(clone->Next(1, out, nullptr), S_OK);
  EXPECT_EQ(out[0].cfFormat, CF_TEXT);
  EXPECT_EQ(obj->EnumFormatEtc(DATADIR_SET, e.Put()), E_NOTIMPL);
  EXPECT_EQ(obj->DAdvise(&f, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(RefCount(obj.Get()), 1u);
}

TEST(Streams, StreamOnGlobalMemoryGrowsSeeksAndKeepsItsBlock) {
  IStream* raw = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, FALSE, &raw), S_OK);
  auto s = ComPtr<IStream>::Adopt(raw);
  std::vector<uint8_t> data(10000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  for (size_t at = 0; at < data.size(); at += 333)
    ASSERT_EQ(s->Write(&data[at], ULONG(std::min<size_t>(333, data.size() - at)), nullptr), S_OK);
  STATSTG st;
  s->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(st.cbSize, 10000u);
  uint64_t pos = 0;
  EXPECT_EQ(s->Seek(-10, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 9990u);
  uint8_t tail[32];
  ULONG got = 0;
  s->Read(tail, sizeof tail, &got);
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(tail[9], data[9999]);
  EXPECT_NE(s->Seek(-1, STREAM_SEEK_SET, nullptr), S_OK);
  // An interface query reaches the base stream interface too.
  EXPECT_TRUE(s.As<ISequentialStream>());

  HGLOBAL mem = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s.Get(), &mem), S_OK);
  s.Reset();
  ASSERT_GE(GlobalSize(mem), 10000u);  // not deleted with the stream
  EXPECT_EQ(BlockBytes(mem)[1234], data[1234]);
  GlobalFree(mem);
}

TEST(Media, ReleaseFreesOrReleasesAndCopiesStandAlone) {
  auto* owner = new Counted;
  HGLOBAL mem = GlobalAlloc(GHND, 4);
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = mem;
  m.pUnkForRelease = owner;
  owner->AddRef();
  STGMEDIUM copy;
  ASSERT_EQ(CopyStgMedium(&m, &copy), S_OK);
  EXPECT_NE(copy.hGlobal, mem);
  EXPECT_EQ(copy.pUnkForRelease, nullptr);
  ReleaseStgMedium(&m);  // the owner keeps the block
  EXPECT_EQ(GlobalSize(mem), 4u);
  EXPECT_EQ(RefCount(owner), 1u);
  EXPECT_EQ(m.tymed, TYMED_NULL);
  ReleaseStgMedium(&copy);
  EXPECT_EQ(GlobalFree(mem), nullptr);
  owner->Release();

  STGMEDIUM gdi;
  gdi.tymed = TYMED_GDI;
  EXPECT_EQ(CopyStgMedium(&gdi, &copy), DV_E_TYMED);
}

TEST_F(DataObjects, ObjectOnTheClipboardServesBothApisUntilReplaced) {
  CLIPFORMAT nodes = CLIPFORMAT(RegisterClipboardFormatW(u"Test Nodes"));
  auto obj = MemoryDataObject::Create();
  obj->SetBytes(nodes, Bytes("node-data"));
  obj->SetText(u"Disc 12");
  ASSERT_EQ(OleSetClipboard(obj.Get()), S_OK);
  EXPECT_EQ(RefCount(obj.Get()), 2u);
  EXPECT_EQ(backend.Clipboard, u"Disc 12");  // its text reached the desktop at once
  EXPECT_EQ(OleIsCurrentClipboard(obj.Get()), S_OK);

  ComPtr<IDataObject> got;
  ASSERT_EQ(OleGetClipboard(got.Put()), S_OK);
  EXPECT_EQ(got.Get(), static_cast<IDataObject*>(obj.Get()));
  got.Reset();
  EXPECT_TRUE(IsClipboardFormatAvailable(nodes));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(BlockBytes(GetClipboardData(nodes)), Bytes("node-data"));
  CloseClipboard();

  // Flushing keeps the data and lets the object go.
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  EXPECT_EQ(RefCount(obj.Get()), 1u);
  EXPECT_EQ(OleIsCurrentClipboard(obj.Get()), S_FALSE);
  ASSERT_EQ(OleGetClipboard(got.Put()), S_OK);
  FORMATETC f{nodes, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m;
  ASSERT_EQ(got->GetData(&f, &m), S_OK);
  EXPECT_EQ(BlockBytes(m.hGlobal), Bytes("node-data"));
  ReleaseStgMedium(&m);
  got.Reset();

  // Another object replaces it; plain clipboard data becomes a data object.
  OleSetClipboard(obj.Get());
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_EQ(RefCount(obj.Get()), 1u);  // emptying released it
  SetClipboardData(nodes, GlobalAlloc(GHND, 3));
  CloseClipboard();
  ASSERT_EQ(OleGetClipboard(got.Put()), S_OK);
  EXPECT_EQ(got->QueryGetData(&f), S_OK);
  f.cfFormat = CF_TEXT;
  EXPECT_EQ(got->QueryGetData(&f), DV_E_FORMATETC);
}

}  // namespace
}  // namespace qv::test
