// Shared set-up of the database tests: a small schema, value helpers and a
// comparison on the record's integer key.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FaultInjector.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "tests/common/TempDir.h"

namespace qv::test {

// "Item" {0 Key: Int32, 1 Name: String, 2 Link: Item, 3 Links: array of Item}
// and "Other" {0 Value: Int64}.
inline void MakeSchema(TContext& ctx) {
  ctx.Name = "Test";
  TRecKind* item = ctx.AddRec("Item");
  TRecKind* other = ctx.AddRec("Other");
  TArrKind* links = ctx.AddArr("ItemLinks", item);
  item->AddField("Key", ctx.KindByName("Int32"));
  item->AddField("Name", ctx.KindByName("String"));
  item->AddField("Link", item);
  item->AddField("Links", links);
  other->AddField("Value", ctx.KindByName("Int64"));
}

inline const TRecKind* RecKind(TXBase& base, const std::string& name) {
  return static_cast<const TRecKind*>(base.Context().KindByName(name));
}

inline int64_t KeyOf(TXRecData* rec) {
  return rec->FieldAs<TXValData>(0)->GetInt();
}
inline void SetKey(TXRecData* rec, int64_t v) {
  rec->FieldAs<TXValData>(0)->SetInt(v);
}
inline std::string NameOf(TXRecData* rec) {
  return rec->FieldAs<TXValData>(1)->GetText();
}
inline void SetName(TXRecData* rec, const std::string& s) {
  rec->FieldAs<TXValData>(1)->SetText(s);
}

// Orders Item records by key; records without a key sort first.
inline int CompareKeys(TXRecData* item, TXRecData* key) {
  auto value = [](TXRecData* r) { return r->GetField(0)->IsEmpty() ? INT64_MIN : KeyOf(r); };
  int64_t a = value(item), b = value(key);
  return a < b ? 1 : a > b ? -1 : 0;
}

inline std::vector<int64_t> IndexIds(const TXIndex& index) {
  std::vector<int64_t> ids;
  for (int i = 0; i < index.Count(); ++i) ids.push_back(index.GetItem(i));
  return ids;
}

class BaseTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeSchema(schema); }

  std::string Folder(const std::string& name = "db") { return dir / name + "/"; }
  bool Create(TXBase& base, const std::string& name = "db", const std::string& password = "secret") {
    return base.CreateNew(Folder(name), "quirvane", schema, password);
  }
  bool OpenDb(TXBase& base, const std::string& name = "db", const std::string& password = "secret") {
    return base.Open(Folder(name), "quirvane", password);
  }
  // A new Item with a key, released at once (so it is written at once).
  int64_t AddItem(TXBase& base, int64_t key, const std::string& name = "") {
    TXRecData* rec = base.NewData(RecKind(base, "Item"));
    EXPECT_NE(rec, nullptr) << base.LastError;
    if (!rec) return -1;
    SetKey(rec, key);
    if (!name.empty()) SetName(rec, name);
    int64_t id = rec->ID;
    EXPECT_TRUE(base.Release(rec)) << base.LastError;
    return id;
  }

  TempDir dir;
  TContext schema;
  FaultInjector faults;  // given to the databases whose writes a test fails
};

}  // namespace qv::test
