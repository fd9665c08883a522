// Typed values and the record encoding: golden bytes, round trips of every
// value class, damaged encodings, and the Empty/Modified/deleted flags.
#include <gtest/gtest.h>

#include <cstring>

#include "storage/Context.h"
#include "storage/Values.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

// Field numbers of the record kind "All".
enum : int { fColor = 16, fColors, fRefs, fStrings, fTarget, fNested, fAllCount };

struct TValuesContext {
  TContext ctx{"V"};
  TRecKind* all;
  TRecKind* target;
  TValuesContext() {
    TEnumKind* color = ctx.AddEnum("Color");
    color->Names = {"r", "g", "b"};
    TSetKind* colors = ctx.AddSet("Colors", color);
    target = ctx.AddRec("Target");
    TArrKind* refs = ctx.AddArr("Refs", target);
    TArrKind* strings = ctx.AddArr("Strings", ctx.KindByName("String"));
    TArrKind* nested = ctx.AddArr("Nested", strings);
    all = ctx.AddRec("All");
    for (uint8_t code = 1; code <= 16; ++code) all->AddField("f" + std::to_string(code), ctx.KindById(code));
    all->AddField("color", color);
    all->AddField("colors", colors);
    all->AddField("refs", refs);
    all->AddField("strings", strings);
    all->AddField("target", target);
    all->AddField("nested", nested);
  }
  TRecKind* Rec(const std::string& name, std::initializer_list<uint8_t> codes) {
    TRecKind* r = ctx.AddRec(name);
    int i = 0;
    for (uint8_t c : codes) r->AddField("f" + std::to_string(i++), ctx.KindById(c));
    return r;
  }
};

Bytes Encode(TXRecData& r) {
  TMemoryStream m;
  EXPECT_TRUE(r.SaveToStream(m));
  return Bytes(m.Memory(), m.Memory() + m.Size());
}

bool Decode(TXRecData& r, const Bytes& b) {
  TMemoryStream m;
  m.Write(b.data(), int64_t(b.size()));
  m.SetPosition(0);
  return r.LoadFromStream(m);
}

TXValData* Val(TXRecData& r, int i) {
  return r.FieldAs<TXValData>(i);
}

// Every field of "All" holding something other than its initial value.
void Fill(TXRecData& r) {
  for (uint8_t code : {kcBoolean, kcInt8, kcInt16, kcInt32, kcInt64, kcInteger, kcMoney})
    Val(r, code - 1)->SetInt(code == kcBoolean ? 1 : -1000 - code);
  Val(r, kcSingle - 1)->SetFloat(1.5);
  Val(r, kcDouble - 1)->SetFloat(-2.25);
  Val(r, kcDateTime - 1)->SetFloat(45000.75);
  const uint8_t ext[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  Val(r, kcFloat - 1)->SetPayload(ext);
  Val(r, kcString - 1)->SetText("name");
  Val(r, kcText - 1)->SetText(std::string(300, 't'));
  Val(r, kcUniString - 1)->SetWideText(u"\u00e9t\u00e9");
  Val(r, kcUniText - 1)->SetWideText(std::u16string(300, u'\u4e2d'));
  Val(r, kcBinary - 1)->SetBinary("\0\1\2", 3);
  Val(r, fColor)->SetInt(2);
  r.FieldAs<TXSetData>(fColors)->SetItem(1, true);
  auto* refs = r.FieldAs<TXArrData>(fRefs);
  for (int64_t id : {5, 6, -1, 7}) refs->AddRef(id);
  auto* strings = r.FieldAs<TXArrData>(fStrings);
  for (const char* s : {"a", "", "ccc"}) static_cast<TXValData*>(strings->Add())->SetText(s);
  r.FieldAs<TXRefData>(fTarget)->SetRefID(99);
  auto* nested = r.FieldAs<TXArrData>(fNested);
  static_cast<TXValData*>(static_cast<TXArrData*>(nested->Add())->Add())->SetText("deep");
  nested->Add();
}

// ---- golden encodings ----

TEST(RecordEncoding, GoldenBytes) {
  TValuesContext v;
  TRecKind* kind = v.Rec("G", {kcInt32, kcInt32, kcString});
  auto r = TXRecData::Create(kind, -1, -1);
  EXPECT_EQ(Encode(*r), (Bytes{0x00, 0x00}));
  Val(*r, 0)->SetInt(7);
  Val(*r, 2)->SetText("ab");
  const Bytes golden = {0x02, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x61, 0x62};
  EXPECT_EQ(Encode(*r), golden);

  auto back = TXRecData::Create(kind, -1, -1);
  ASSERT_TRUE(Decode(*back, golden));
  EXPECT_EQ(Val(*back, 0)->GetInt(), 7);
  EXPECT_TRUE(back->GetField(1)->IsEmpty());
  EXPECT_EQ(Val(*back, 2)->GetText(), "ab");
  EXPECT_FALSE(back->IsModified());

  auto none = TXRecData::Create(kind, -1, -1);
  ASSERT_TRUE(Decode(*none, {0x00, 0x00, 0xAA, 0xBB}));  // trailing fill is not read
  for (int i = 0; i < none->FieldCount(); ++i) EXPECT_TRUE(none->GetField(i)->IsEmpty());
}

TEST(RecordEncoding, ValueWidthsFollowTheTable) {
  TValuesContext v;
  const std::pair<uint8_t, std::size_t> widths[] = {
      {kcBoolean, 1}, {kcInt8, 1},   {kcInt16, 2},  {kcInt32, 4}, {kcInt64, 8},   {kcInteger, 8},
      {kcSingle, 4},  {kcDouble, 8}, {kcFloat, 10}, {kcMoney, 8}, {kcDateTime, 8}};
  for (auto [code, width] : widths) {
    TXValData value(v.ctx.KindById(code));
    value.SetPayload(std::vector<uint8_t>(10, 0x11).data());
    TMemoryStream m;
    ASSERT_TRUE(value.SaveToStream(m));
    EXPECT_EQ(std::size_t(m.Size()), width) << int(code);
  }
  TXRefData ref(v.target, 0x0102030405060708);
  TMemoryStream m;
  ASSERT_TRUE(ref.SaveToStream(m));
  EXPECT_EQ(Bytes(m.Memory(), m.Memory() + m.Size()), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(RecordEncoding, EveryValueClassRoundTrips) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, 1);
  Fill(*r);
  Bytes bytes = Encode(*r);
  auto back = TXRecData::Create(v.all, -1, 1);
  ASSERT_TRUE(Decode(*back, bytes));
  EXPECT_EQ(Encode(*back), bytes);
  for (int i = 0; i < fAllCount; ++i) {
    EXPECT_FALSE(back->GetField(i)->IsEmpty()) << i;
    if (auto* val = Val(*back, i)) {
      TDataValue a = val->Value(), b = Val(*r, i)->Value();
      EXPECT_EQ(0, std::memcmp(a.Payload, b.Payload, sizeof a.Payload)) << i;
      EXPECT_EQ(a.Text, b.Text);
      EXPECT_EQ(a.WideText, b.WideText);
      EXPECT_EQ(a.Buffer, b.Buffer);
    }
  }
  EXPECT_EQ(Val(*back, kcInt16 - 1)->GetInt(), -1000 - kcInt16);  // sign-extended
  EXPECT_EQ(Val(*back, kcSingle - 1)->GetFloat(), 1.5);
  EXPECT_EQ(back->FieldAs<TXSetData>(fColors)->GetItem(1), 1);
  auto* refs = back->FieldAs<TXArrData>(fRefs);
  ASSERT_EQ(refs->Count(), 4);
  EXPECT_EQ(refs->GetRef(2), -1);
  EXPECT_EQ(refs->GetRef(3), 7);
  auto* nested = back->FieldAs<TXArrData>(fNested);
  EXPECT_EQ(static_cast<TXValData*>(static_cast<TXArrData*>(nested->GetItem(0))->GetItem(0))->GetText(),
            "deep");
  EXPECT_EQ(back->FieldAs<TXRefData>(fTarget)->RefID(), 99);
}

TEST(RecordEncoding, StringsLongerThanTheirLengthByteAreRefused) {
  TValuesContext v;
  TRecKind* kind = v.Rec("S", {kcString, kcUniString, kcText});
  auto r = TXRecData::Create(kind, -1, -1);
  Val(*r, 0)->SetText(std::string(255, 'x'));
  Val(*r, 1)->SetWideText(std::u16string(255, u'y'));
  Val(*r, 2)->SetText(std::string(1000, 'z'));
  Bytes ok = Encode(*r);
  EXPECT_EQ(ok.size(), 2 + (2 + 1 + 255) + (2 + 1 + 510) + (2 + 4 + 1000));

  for (int field : {0, 1}) {
    auto bad = TXRecData::Create(kind, -1, -1);
    if (field == 0)
      Val(*bad, 0)->SetText(std::string(256, 'x'));  // also 86 three-byte characters would do
    else
      Val(*bad, 1)->SetWideText(std::u16string(256, u'y'));
    TMemoryStream m;
    EXPECT_FALSE(bad->SaveToStream(m));
    EXPECT_EQ(m.Size(), 0);  // nothing cut short is written
    EXPECT_TRUE(bad->IsModified());
    std::vector<uint8_t> out = {0xEE};
    EXPECT_FALSE(bad->EncodeTo(out));
    EXPECT_EQ(out, (Bytes{0xEE}));
  }
}

TEST(RecordEncoding, BinaryAndTextLengthEdges) {
  TValuesContext v;
  TRecKind* kind = v.Rec("B", {kcBinary, kcText, kcUniText});
  auto r = TXRecData::Create(kind, -1, -1);
  Val(*r, 0)->SetBinary(nullptr, 0);  // an empty Binary is written, not refused
  EXPECT_EQ(Encode(*r), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));

  auto back = TXRecData::Create(kind, -1, -1);
  ASSERT_TRUE(
      Decode(*back, {3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0x80}));
  EXPECT_TRUE(Val(*back, 0)->GetBinary().empty());
  EXPECT_EQ(Val(*back, 0)->BinarySize(), -2);  // the number read, without a buffer
  EXPECT_EQ(Val(*back, 1)->GetText(), "");
  EXPECT_EQ(Val(*back, 2)->GetWideText(), u"");
  EXPECT_FALSE(Val(*back, 1)->IsEmpty());
  EXPECT_EQ(Val(*back, 0)->Value().BinarySize, -2);
}

// ---- damaged encodings ----

TEST(RecordDecoding, FieldListMustBeAscendingAndInRange) {
  TValuesContext v;
  TRecKind* kind = v.Rec("F", {kcBoolean, kcBoolean, kcBoolean, kcBoolean});
  auto decodes = [&](const Bytes& b) {
    auto r = TXRecData::Create(kind, -1, -1);
    return Decode(*r, b);
  };
  EXPECT_TRUE(decodes({2, 0, 0, 0, 1, 3, 0, 1}));
  EXPECT_FALSE(decodes({2, 0, 3, 0, 1, 0, 0, 1}));  // 3 before 0
  EXPECT_FALSE(decodes({2, 0, 3, 0, 1, 3, 0, 1}));  // 3 twice
  EXPECT_FALSE(decodes({1, 0, 4, 0, 1}));           // no field 4
  EXPECT_FALSE(decodes({5, 0}));                    // more fields than the kind has
  EXPECT_FALSE(decodes({1}));
}

TEST(RecordDecoding, SetCountMustMatchTheEnumeration) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  Bytes b = {1, 0, uint8_t(fColors), 0, 3, 0, 0, 0, 1, 0, 1};
  EXPECT_TRUE(Decode(*r, b));
  b[4] = 2;
  b.pop_back();
  EXPECT_FALSE(Decode(*TXRecData::Create(v.all, -1, -1), b));
}

TEST(RecordDecoding, HugeAnnouncedLengthsFailWithoutAllocating) {
  TValuesContext v;
  const Bytes huge = {0xF0, 0xFF, 0xFF, 0x7F};
  for (int field : {kcText - 1, kcUniText - 1, kcBinary - 1, int(fRefs), int(fStrings), int(fNested)}) {
    Bytes b = {1, 0, uint8_t(field), 0};
    b.insert(b.end(), huge.begin(), huge.end());
    b.insert(b.end(), 64, 0x41);
    auto r = TXRecData::Create(v.all, -1, -1);
    EXPECT_FALSE(Decode(*r, b)) << field;
  }
}

TEST(RecordDecoding, TruncatedOrFlippedEncodingsNeverCrash) {
  TValuesContext v;
  auto full = TXRecData::Create(v.all, -1, -1);
  Fill(*full);
  // Short strings keep the flip loop quick.
  Val(*full, kcText - 1)->SetText("tt");
  Val(*full, kcUniText - 1)->SetWideText(u"u");
  Bytes bytes = Encode(*full);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    auto r = TXRecData::Create(v.all, -1, -1);
    EXPECT_FALSE(Decode(*r, Bytes(bytes.begin(), bytes.begin() + long(n)))) << n;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i)
    for (uint8_t mask : {0x01, 0x40, 0xFF}) {
      Bytes b = bytes;
      b[i] ^= mask;
      auto r = TXRecData::Create(v.all, -1, -1);
      if (Decode(*r, b)) {
        // What decodes must encode again (Strings stay within their length byte).
        std::vector<uint8_t> again;
        EXPECT_TRUE(r->EncodeTo(again)) << i;
      }
    }
}

TEST(RecordDecoding, DeeplyNestedArraysStopAtTheNestingLimit) {
  TContext ctx("N");
  TArrKind* self = ctx.AddArr("Self", nullptr);
  self->SetElemKind(self);  // only a context built in memory can do this
  TRecKind* kind = ctx.AddRec("R");
  kind->AddField("a", self);
  Bytes b = {1, 0, 0, 0};
  for (int i = 0; i < 10000; ++i) b.insert(b.end(), {1, 0, 0, 0});
  auto r = TXRecData::Create(kind, -1, -1);
  EXPECT_FALSE(Decode(*r, b));
}

// ---- flags ----

TEST(ValueFlags, ReferenceTransitions) {
  TValuesContext v;
  TXRefData ref(v.target, -1);
  EXPECT_TRUE(ref.IsEmpty());
  EXPECT_FALSE(ref.IsModified());
  ref.SetRefID(5);
  EXPECT_FALSE(ref.IsEmpty());
  EXPECT_TRUE(ref.IsModified());
  ref.ClearModified();
  ref.SetRefID(5);
  EXPECT_FALSE(ref.IsModified());
  TMemoryStream m;
  ref.SetRefID(6);
  EXPECT_TRUE(ref.SaveToStream(m));
  EXPECT_FALSE(ref.IsModified());  // a value written on its own is clean
}

TEST(ValueFlags, ClearedOrRefilledArraysCountAsModified) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  auto* strings = r->FieldAs<TXArrData>(fStrings);
  static_cast<TXValData*>(strings->Add())->SetText("x");
  r->ClearModified();
  EXPECT_FALSE(r->IsModified());
  strings->Clear();
  EXPECT_TRUE(strings->IsModified());
  EXPECT_TRUE(strings->IsEmpty());
  EXPECT_TRUE(r->IsModified());
  r->ClearModified();
  r->FieldAs<TXArrData>(fRefs)->AddRef(3);
  EXPECT_TRUE(r->IsModified());
}

TEST(ValueFlags, RecordWritesLeaveFlagsUntilClearModified) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  Fill(*r);
  Encode(*r);
  EXPECT_TRUE(r->IsModified());
  EXPECT_TRUE(Val(*r, 0)->IsModified());
  EXPECT_TRUE(r->FieldAs<TXArrData>(fNested)->IsModified());
  r->ClearModified();
  EXPECT_FALSE(r->IsModified());
  for (int i = 0; i < r->FieldCount(); ++i) EXPECT_FALSE(r->GetField(i)->IsModified()) << i;
  auto* nested = r->FieldAs<TXArrData>(fNested);
  EXPECT_FALSE(static_cast<TXArrData*>(nested->GetItem(0))->GetItem(0)->IsModified());
}

TEST(ValueFlags, MarkDeletedReachesEveryPart) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  Fill(*r);
  r->ClearModified();
  r->MarkDeleted();
  EXPECT_TRUE(r->IsDeleted());
  EXPECT_TRUE(r->GetField(0)->IsDeleted());
  auto* refs = r->FieldAs<TXArrData>(fRefs);
  EXPECT_TRUE(refs->IsModified());
  EXPECT_TRUE(refs->GetItem(0)->IsDeleted());
}

// ---- reference arrays ----

TEST(ReferenceArrays, BareIdsAndElementObjectsAgree) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  auto* refs = r->FieldAs<TXArrData>(fRefs);
  EXPECT_TRUE(refs->HoldsRefs());
  EXPECT_TRUE(refs->IsEmpty());
  for (int64_t id = 10; id < 15; ++id) refs->AddRef(id);
  Bytes before = Encode(*r);
  auto* third = static_cast<TXRefData*>(refs->GetItem(2));
  EXPECT_EQ(third->RefID(), 12);
  EXPECT_EQ(Encode(*r), before);  // materialising changes nothing
  r->ClearModified();
  third->SetRefID(42);
  EXPECT_TRUE(r->IsModified());
  refs->AddRef(15);
  EXPECT_EQ(refs->Count(), 6);
  EXPECT_EQ(refs->GetRef(2), 42);
  EXPECT_EQ(refs->GetRef(5), 15);
  EXPECT_EQ(static_cast<TXRefData*>(refs->Add())->RefID(), -1);
  EXPECT_THROW(refs->GetItem(7), EAssertionFailed);
  auto back = TXRecData::Create(v.all, -1, -1);
  ASSERT_TRUE(Decode(*back, Encode(*r)));
  EXPECT_EQ(back->FieldAs<TXArrData>(fRefs)->GetRef(2), 42);
}

// ---- assignment ----

TEST(ValueAssign, CopiesCompatibleValuesOnly) {
  TValuesContext v;
  auto src = TXRecData::Create(v.all, -1, -1);
  Fill(*src);
  auto dst = TXRecData::Create(v.all, -1, -1);
  // A reference array holding a none element stops the copy there, as element-wise assignment does.
  auto* srcRefs = src->FieldAs<TXArrData>(fRefs);
  EXPECT_FALSE(dst->Assign(*src));
  EXPECT_EQ(dst->FieldAs<TXArrData>(fRefs)->Count(), 3);
  srcRefs->Clear();
  srcRefs->AddRef(1);
  auto* nested = src->FieldAs<TXArrData>(fNested);
  EXPECT_FALSE(dst->Assign(*src));  // an empty inner array fails the same way
  nested->Clear();
  static_cast<TXValData*>(static_cast<TXArrData*>(nested->Add())->Add())->SetText("n");
  ASSERT_TRUE(dst->Assign(*src));
  EXPECT_EQ(Encode(*dst), Encode(*src));
  EXPECT_TRUE(dst->IsModified());

  TXValData i32(v.ctx.KindByName("Int32")), other(v.ctx.KindByName("Int32"));
  i32.SetInt(3);
  EXPECT_FALSE(i32.Assign(other));  // an empty source empties the target
  EXPECT_TRUE(i32.IsEmpty());
  EXPECT_FALSE(i32.IsModified());
  other.SetInt(9);
  EXPECT_TRUE(i32.Assign(other));
  EXPECT_EQ(i32.GetInt(), 9);
  TXValData i64(v.ctx.KindByName("Int64"));
  EXPECT_FALSE(i64.Assign(other));
  EXPECT_THROW(i64.Assign(TXRefData(v.target, 1)), EAssertionFailed);
}

// ---- contract ----

TEST(ValueContract, ViolationsRaiseAssertions) {
  TValuesContext v;
  auto r = TXRecData::Create(v.all, -1, -1);
  EXPECT_THROW(r->GetField(fAllCount), EAssertionFailed);
  TDataValue d;
  InitDataValue(kcInt64, d);
  EXPECT_THROW(Val(*r, kcInt32 - 1)->SetValue(d), EAssertionFailed);
  TMemoryStream m;
  EXPECT_THROW(Val(*r, 0)->SaveToStream(m), EAssertionFailed);  // empty value
  EXPECT_THROW(Val(*r, kcString - 1)->SetInt(1), EAssertionFailed);
}

TEST(DataValue, InitialValuesAndSignExtension) {
  TDataValue d;
  InitDataValue(kcEnum, d);
  EXPECT_EQ(d.GetInt(), -1);
  InitDataValue(kcInt8, d);
  d.SetInt(-2);
  EXPECT_EQ(d.Payload[0], 0xFE);
  EXPECT_EQ(d.GetInt(), -2);
  InitDataValue(kcBoolean, d);
  d.SetInt(255);
  EXPECT_EQ(d.GetInt(), 255);
  TValuesContext v;
  TXValData e(v.ctx.KindByName("Color"));
  EXPECT_EQ(e.GetInt(), -1);
  EXPECT_TRUE(e.IsEmpty());
}

}  // namespace
}  // namespace qv
