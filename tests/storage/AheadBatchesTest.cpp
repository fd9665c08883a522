// Records written ahead in batches, encoded on a worker while new records are
// made: fetching, saving or deleting a record of the batch in flight, or
// flushing, first places the batch; whatever the interleaving, every record
// reads back as last changed, in this session and after reopening.
#include <algorithm>
#include <map>
#include <random>

#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

using AheadBatches = BaseTest;

TEST_F(AheadBatches, EveryInterleavingReadsBackAsLastChanged) {
  for (const char* password : {"secret", ""}) {
    const std::string name = password[0] ? "enciphered" : "plain";
    TXBase base;
    ASSERT_TRUE(Create(base, name, password));
    std::mt19937 rng(7);
    std::map<int64_t, std::string> model;  // live records: ID -> name
    std::vector<int64_t> ids;
    std::vector<int64_t> batch;  // made since the last batch
    for (int step = 0; step < 3000; ++step) {
      const int op = int(rng() % 40);
      if (op < 30 || ids.empty()) {
        TXRecData* rec = base.NewData(RecKind(base, "Item"));
        ASSERT_NE(rec, nullptr) << base.LastError;
        const std::string text = "r" + std::to_string(step) + std::string(rng() % 60, 'x');
        SetKey(rec, step);
        SetName(rec, text);
        model[rec->ID] = text;
        ids.push_back(rec->ID);
        batch.push_back(rec->ID);
        if (batch.size() == 1 + rng() % 64) {
          // Those still pooled (a flush or deletion may have taken some).
          std::vector<TXRecData*> records;
          for (int64_t b : batch)
            if (TXRecData* r = base.Pool().Find(b)) records.push_back(r);
          base.WriteAhead(records);
          batch.clear();
        }
        continue;
      }
      // Earlier records, most likely of the batch in flight.
      const int64_t id = ids[ids.size() - 1 - std::min<std::size_t>(ids.size() - 1, rng() % 80)];
      if (!model.count(id)) continue;
      if (op < 36) {
        TXRecData* rec = base.GetData(id);
        ASSERT_NE(rec, nullptr) << base.LastError;
        ASSERT_EQ(NameOf(rec), model[id]) << "ID " << id;
        if (op < 33) {
          model[id] += "+";
          SetName(rec, model[id]);
        }
        ASSERT_TRUE(base.Release(rec)) << base.LastError;
      } else if (op < 39) {
        ASSERT_TRUE(base.DeleteData(id)) << base.LastError;
        model.erase(id);
      } else {
        ASSERT_TRUE(base.Flush()) << base.LastError;
      }
    }
    ASSERT_TRUE(base.Close()) << base.LastError;
    ASSERT_TRUE(OpenDb(base, name, password)) << base.LastError;
    for (int64_t id : ids) {
      TXRecData* rec = base.GetData(id);
      ASSERT_NE(rec, nullptr) << base.LastError;
      auto it = model.find(id);
      if (it == model.end()) {
        EXPECT_TRUE(rec->IsDeleted()) << "ID " << id;
      } else {
        EXPECT_EQ(NameOf(rec), it->second) << "ID " << id;
      }
      base.Release(rec);
    }
    ASSERT_TRUE(base.Close());
  }
}

}  // namespace
}  // namespace qv::test
