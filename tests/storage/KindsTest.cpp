// Kinds and the context: registry rules, the context stream (golden bytes,
// round trips, damaged streams) and the structural kind comparisons.
#include <gtest/gtest.h>

#include <set>

#include "storage/Context.h"
#include "storage/StreamStrings.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

std::vector<uint8_t> Bytes(TMemoryStream& m) {
  return {m.Memory(), m.Memory() + m.Size()};
}

std::vector<uint8_t> Saved(TContext& c) {
  TMemoryStream m;
  EXPECT_TRUE(c.SaveToStream(m)) << c.LastError;
  return Bytes(m);
}

bool Load(TContext& c, const std::vector<uint8_t>& bytes) {
  TMemoryStream m;
  m.Write(bytes.data(), int64_t(bytes.size()));
  m.SetPosition(0);
  return c.LoadFromStream(m);
}

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void PutStr(std::vector<uint8_t>& b, const std::string& s) {
  PutU32(b, uint32_t(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

// A context with every composite class, forward and self references, and a parent.
void BuildRich(TContext& c) {
  c.Name = "Rich";
  TEnumKind* color = c.AddEnum("Color");
  color->Names = {"red", "green", "blue"};
  TRecKind* folder = c.AddRec("xFolder");
  TRecKind* file = c.AddRec("xFile");
  TArrKind* refs = c.AddArr("xFolderRefs", folder);
  c.AddSet("Colors", color);
  folder->AddField("Parent", folder);  // self reference
  folder->AddField("Folders", refs);
  folder->AddField("Name", c.KindByName("String"));
  file->AddField("Folder", folder);
  TRecKind* special = c.AddRec("xSpecial", -1, file);
  special->AddField("Tint", color);
}

// ---- registry ----

TEST(ContextRegistry, FreshContextAndIdAssignment) {
  TContext c("X");
  EXPECT_EQ(c.Count(), 16);
  EXPECT_EQ(c.BuiltInCount, 16);
  EXPECT_EQ(c.NextId, 64);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(c.GetKind(i)->Id, i + 1);
  EXPECT_EQ(c.GetKind(15)->Name, "Binary");
  EXPECT_EQ(c.AddEnum("E")->Id, 65);
  EXPECT_EQ(c.AddRec("R")->Id, 66);
  EXPECT_EQ(c.AddArr("A", nullptr, 500)->Id, 500);  // explicit ids do not move NextId
  EXPECT_EQ(c.AddSet("S", nullptr)->Id, 67);
  EXPECT_EQ(c.NewId(kcString), kcString);
  EXPECT_EQ(c.NewId(0x40), 0);
  EXPECT_THROW(c.GetKind(c.Count()), EAssertionFailed);
}

TEST(ContextRegistry, NamesFoldOnlyAsciiAndStayUnique) {
  TContext c("X");
  EXPECT_EQ(c.KindByName("boolean"), c.GetKind(0));
  c.AddEnum("\xC3\xA9t\xC3\xA9");  // "été"
  EXPECT_EQ(c.KindByName("\xC3\x89T\xC3\x89"), nullptr);
  EXPECT_EQ(c.AddSimple("Flag", kcBoolean), c.GetKind(0));
  EXPECT_EQ(c.KindByName("Flag"), nullptr);
  EXPECT_EQ(c.AddSimple("Boolean", kcBoolean), nullptr);
  EXPECT_EQ(c.AddSimple("Rec", kcRec), nullptr);
  EXPECT_EQ(c.AddEnum("STRING"), nullptr);
  EXPECT_EQ(c.AddRec(""), nullptr);
  EXPECT_EQ(c.KindById(0), nullptr);
  EXPECT_EQ(c.KindById(-5), nullptr);
  EXPECT_FALSE(c.IsNameFree(""));
}

TEST(RecordKind, FieldsNumberInheritedFirst) {
  TContext c("X");
  TRecKind* base = c.AddRec("Base");
  base->AddField("a", c.KindByName("Int32"));
  base->AddField("b", c.KindByName("String"));
  TRecKind* child = c.AddRec("Child", -1, base);
  TRecField* own = child->AddField("c", c.KindByName("Text"));
  EXPECT_EQ(child->ParentFieldCount(), 2);
  EXPECT_EQ(child->FieldCount(), 3);
  EXPECT_TRUE(child->IsInherited(1));
  EXPECT_EQ(child->GetField(1)->Name, "b");
  EXPECT_EQ(child->GetField(2), own);
  EXPECT_EQ(own->KindId, kcText);
  EXPECT_THROW(child->GetField(3), EAssertionFailed);
  EXPECT_THROW(base->SetParent(child), EAssertionFailed);  // would close a cycle
}

// ---- context stream ----

TEST(ContextStream, GoldenBytesOfOneEnumeration) {
  TContext c("X");
  c.AddEnum("E")->Names = {"a", "b"};
  const std::vector<uint8_t> golden = {0x01, 0,    0,    0, 0x58, 0x01, 0,    0,    0, 0x21, 0,    0,
                                       0,    0x41, 0,    0, 0,    0x01, 0,    0,    0, 0x45, 0x02, 0,
                                       0,    0,    0x01, 0, 0,    0,    0x61, 0x01, 0, 0,    0,    0x62};
  EXPECT_EQ(Saved(c), golden);
  TContext d;
  ASSERT_TRUE(Load(d, golden)) << d.LastError;
  EXPECT_EQ(d.Name, "X");
  auto* e = dynamic_cast<TEnumKind*>(d.KindByName("E"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Id, 65);
  EXPECT_EQ(e->Names, (std::vector<std::string>{"a", "b"}));
}

TEST(ContextStream, NamelessContextWritesNothing) {
  TContext c;
  TMemoryStream m;
  EXPECT_FALSE(c.SaveToStream(m));
  EXPECT_EQ(c.LastError, "Context has no name");
  EXPECT_EQ(m.Size(), 0);
}

TEST(ContextStream, RoundTripKeepsEveryKindAndReference) {
  TContext c;
  BuildRich(c);
  std::vector<uint8_t> bytes = Saved(c);
  TContext d;
  ASSERT_TRUE(Load(d, bytes)) << d.LastError;
  EXPECT_EQ(Saved(d), bytes);
  ASSERT_EQ(d.Count(), c.Count());
  for (int i = d.BuiltInCount; i < d.Count(); ++i) {
    EXPECT_TRUE(SameKind(c.GetKind(i), d.GetKind(i))) << c.GetKind(i)->Name;
    EXPECT_EQ(d.GetKind(i)->Id, c.GetKind(i)->Id);
  }
  auto* folder = static_cast<TRecKind*>(d.KindByName("xFolder"));
  auto* special = static_cast<TRecKind*>(d.KindByName("xSpecial"));
  EXPECT_EQ(folder->Parent, nullptr);
  EXPECT_EQ(folder->ParentId, -1);  // stored as 0xFFFFFFFF
  EXPECT_EQ(folder->GetField(0)->Kind, folder);
  EXPECT_EQ(static_cast<TArrKind*>(d.KindByName("xFolderRefs"))->ElemKind, folder);
  EXPECT_EQ(special->Parent, d.KindByName("xFile"));
  EXPECT_EQ(special->GetField(1)->Name, "Tint");
  EXPECT_EQ(static_cast<TSetKind*>(d.KindByName("Colors"))->BaseKind, d.KindByName("Color"));
  // Fresh ids after a load do not repeat stored ones.
  EXPECT_EQ(d.NextId, 70);
  EXPECT_EQ(d.AddEnum("New")->Id, 71);
}

TEST(ContextStream, AssignAndFilesCopyTheContext) {
  test::TempDir dir;
  TContext c;
  BuildRich(c);
  ASSERT_TRUE(c.SaveToFile(dir / "ctx.vlm"));
  TContext d, e;
  ASSERT_TRUE(d.LoadFromFile(dir / "ctx.vlm")) << d.LastError;
  ASSERT_TRUE(e.Assign(c)) << e.LastError;
  EXPECT_EQ(Saved(d), Saved(c));
  EXPECT_EQ(Saved(e), Saved(c));
  EXPECT_FALSE(d.LoadFromFile(dir / "none.vlm"));
  EXPECT_EQ(d.LastError, "File \"" + (dir / "none.vlm") + "\" not found");
  TContext nameless;
  EXPECT_FALSE(e.Assign(nameless));
  EXPECT_EQ(nameless.LastError, "Context has no name");
}

// A context stream assembled by hand: name "X", then the given kinds.
struct TRawContext {
  std::vector<uint8_t> kinds;
  uint32_t count = 0;
  TRawContext& Kind(uint32_t code, uint32_t id, const std::string& name) {
    PutU32(kinds, code);
    PutU32(kinds, id);
    PutStr(kinds, name);
    ++count;
    return *this;
  }
  TRawContext& U32(uint32_t v) {
    PutU32(kinds, v);
    return *this;
  }
  TRawContext& Str(const std::string& s) {
    PutStr(kinds, s);
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b;
    PutStr(b, "X");
    PutU32(b, count);
    b.insert(b.end(), kinds.begin(), kinds.end());
    return b;
  }
};

TEST(ContextStream, DamagedKindsFailWithAReasonInsteadOfAsserting) {
  struct Case {
    const char* what;
    TRawContext raw;
  };
  std::vector<Case> cases = {
      {"set base missing", TRawContext().Kind(0x22, 65, "S").U32(99)},
      {"set base not an enumeration", TRawContext().Kind(0x22, 65, "S").U32(kcInt32)},
      {"set base non-positive", TRawContext().Kind(0x22, 65, "S").U32(0)},
      {"array element missing", TRawContext().Kind(0x23, 65, "A").U32(0xFFFFFFFF)},
      {"parent not a record", TRawContext().Kind(0x24, 65, "R").U32(kcString).U32(0)},
      {"parent cycle", TRawContext().Kind(0x24, 65, "R").U32(66).U32(0).Kind(0x24, 66, "Q").U32(65).U32(0)},
      {"self parent", TRawContext().Kind(0x24, 65, "R").U32(65).U32(0)},
      {"field kind missing", TRawContext().Kind(0x24, 65, "R").U32(0xFFFFFFFF).U32(1).U32(77).Str("f")},
      {"array of itself", TRawContext().Kind(0x23, 65, "A").U32(65)},
      {"duplicate name",
       TRawContext().Kind(0x21, 65, "E").U32(1).Str("a").Kind(0x21, 66, "e").U32(1).Str("a")},
      {"empty name", TRawContext().Kind(0x21, 65, "").U32(1).Str("a")},
      {"simple code in the user list", TRawContext().Kind(kcInt32, 4, "Four")},
      {"scratch code", TRawContext().Kind(0x20, 65, "Z")},
  };
  for (const Case& k : cases) {
    TContext c;
    EXPECT_FALSE(Load(c, k.raw.Bytes())) << k.what;
    EXPECT_FALSE(c.LastError.empty()) << k.what;
    EXPECT_EQ(c.Count(), c.BuiltInCount) << k.what;  // nothing half-resolved stays
  }
  TContext c;
  EXPECT_FALSE(Load(c, TRawContext().Kind(kcInt32, 4, "Four").Bytes()));
  EXPECT_EQ(c.LastError, "Bad data kind 4 encountered while reassembling");
}

TEST(ContextStream, EnumerationsNeedAName) {
  TContext c("X");
  c.AddEnum("Empty");
  TContext d;
  EXPECT_FALSE(Load(d, Saved(c)));
}

TEST(ContextStream, DeepParentChainsAreRefused) {
  TRawContext raw;
  int n = TRecKind::kMaxParentDepth + 2;
  for (int i = 0; i < n; ++i)
    raw.Kind(0x24, uint32_t(65 + i), "R" + std::to_string(i)).U32(uint32_t(i ? 64 + i : -1)).U32(0);
  TContext c;
  EXPECT_FALSE(Load(c, raw.Bytes()));
  EXPECT_NE(c.LastError.find("nests too deeply"), std::string::npos);
}

TEST(ContextStream, HugeAnnouncedCountsFailWithoutAllocating) {
  std::vector<std::vector<uint8_t>> streams = {
      TRawContext().Kind(0x21, 65, "E").U32(0x7FFFFFFF).Bytes(),                  // names
      TRawContext().Kind(0x24, 65, "R").U32(0xFFFFFFFF).U32(0x7FFFFFF0).Bytes(),  // fields
      TRawContext().Kind(0x21, 65, "E").U32(1).U32(0x7FFFFFF0).Bytes(),           // name length
  };
  std::vector<uint8_t> name;
  PutU32(name, 0x7FFFFFFF);  // context name length
  streams.push_back(name);
  for (auto& s : streams) {
    TContext c;
    EXPECT_FALSE(Load(c, s));
  }
}

TEST(ContextStream, TruncatedOrFlippedStreamsNeverCrash) {
  TContext c;
  BuildRich(c);
  std::vector<uint8_t> bytes = Saved(c);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    TContext d;
    EXPECT_FALSE(Load(d, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n)))) << n;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i)
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> b = bytes;
      b[i] ^= mask;
      TContext d;
      if (Load(d, b)) {
        // Whatever loads must be usable: every record's fields resolve.
        for (int k = d.BuiltInCount; k < d.Count(); ++k) {
          auto* r = dynamic_cast<TRecKind*>(d.GetKind(k));
          for (int f = 0; r && f < r->FieldCount(); ++f) EXPECT_NE(r->GetField(f)->Kind, nullptr);
        }
      }
    }
}

// ---- comparisons ----

TEST(KindComparison, StructureDecidesNotRecordNames) {
  TContext a("A"), b("B");
  a.AddEnum("E")->Names = {"one", "Two"};
  b.AddEnum("F")->Names = {"ONE", "two"};
  EXPECT_TRUE(SameKind(a.KindByName("E"), b.KindByName("F")));
  static_cast<TEnumKind*>(b.KindByName("F"))->Names.push_back("three");
  EXPECT_FALSE(SameKind(a.KindByName("E"), b.KindByName("F")));

  TRecKind* ra = a.AddRec("P");
  ra->AddField("x", a.KindByName("Int32"));
  TRecKind* rb = b.AddRec("Q");
  rb->AddField("X", b.KindByName("int32"));
  EXPECT_TRUE(SameKind(ra, rb));
  rb->Fields[0]->SetKind(b.KindByName("Int64"));
  EXPECT_FALSE(SameKind(ra, rb));
  EXPECT_FALSE(KindsCompatible(ra, rb));
  EXPECT_TRUE(KindsCompatible(a.KindByName("Int32"), b.KindByName("Int32")));
  EXPECT_FALSE(KindsCompatible(a.KindByName("Int32"), b.KindByName("Int64")));
}

TEST(KindComparison, SelfAndMutuallyReferentialRecordsTerminate) {
  TContext a, b;
  BuildRich(a);
  BuildRich(b);
  EXPECT_TRUE(SameKind(a.KindByName("xFolder"), b.KindByName("xFolder")));
  EXPECT_TRUE(KindsCompatible(a.KindByName("xFolderRefs"), b.KindByName("xFolderRefs")));
  // Mutual references: P.q -> Q, Q.p -> P, in both contexts.
  for (TContext* c : {&a, &b}) {
    TRecKind* p = c->AddRec("P");
    TRecKind* q = c->AddRec("Q");
    p->AddField("q", q);
    q->AddField("p", p);
  }
  EXPECT_TRUE(SameKind(a.KindByName("P"), b.KindByName("P")));
  static_cast<TRecKind*>(b.KindByName("Q"))->Fields[0]->Name = "other";
  EXPECT_FALSE(SameKind(a.KindByName("P"), b.KindByName("P")));
  // An array of itself compares too.
  TArrKind* selfA = a.AddArr("Self", nullptr);
  selfA->SetElemKind(selfA);
  TArrKind* selfB = b.AddArr("Self", nullptr);
  selfB->SetElemKind(selfB);
  EXPECT_TRUE(SameKind(selfA, selfB));
  EXPECT_TRUE(KindsCompatible(selfA, selfB));
}

TEST(KindComparison, ChildRecordsAreCompatibleWithTheirParents) {
  TContext c;
  BuildRich(c);
  const TKind* file = c.KindByName("xFile");
  const TKind* special = c.KindByName("xSpecial");
  EXPECT_TRUE(KindsCompatible(special, file));
  EXPECT_TRUE(KindsCompatible(file, special));
  EXPECT_FALSE(SameKind(file, special));
  EXPECT_FALSE(KindsCompatible(file, c.KindByName("xFolder")));
}

// ---- stream helpers ----

TEST(StreamStrings, LengthsAreCheckedAndNegativeMeansEmpty) {
  TMemoryStream m;
  ASSERT_TRUE(WriteStreamString(m, "hello"));
  uint8_t neg[] = {0xFF, 0xFF, 0xFF, 0xFF, 'x'};
  m.Write(neg, sizeof neg);
  uint8_t big[] = {0x00, 0x00, 0x00, 0x70};
  m.Write(big, sizeof big);
  m.SetPosition(0);
  std::string s;
  EXPECT_TRUE(ReadStreamString(m, s));
  EXPECT_EQ(s, "hello");
  EXPECT_TRUE(ReadStreamString(m, s));
  EXPECT_EQ(s, "");
  m.Seek(1, TSeekOrigin::soCurrent);
  EXPECT_FALSE(ReadStreamString(m, s));
  EXPECT_EQ(s, "");
}

TEST(StreamStrings, GuidsDiffer) {
  std::set<std::array<uint8_t, 16>> seen;
  for (int i = 0; i < 100; ++i) {
    TGUID g;
    MakeGUID(g);
    EXPECT_TRUE(seen.insert(g.ToBytes()).second);
  }
}

}  // namespace
}  // namespace qv
