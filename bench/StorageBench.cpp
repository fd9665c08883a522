// Storage engine benchmark: 1,000,000 file-like records and 500,000 name
// records kept in a sorted index are written and flushed, the database is
// closed and reopened, and every file record is read back in random order.
// Prints write_records_per_s, read_records_per_s, bytes_per_record and
// peak_rss_mb as key=value lines.
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "storage/Base.h"

namespace qv {
namespace {

constexpr int kNames = 500000;
constexpr int kFilesPerName = 2;
constexpr int kFiles = kNames * kFilesPerName;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Phase timings go to stderr when QV_BENCH_VERBOSE is set; stdout carries
// only the results.
void Note(const char* phase, double seconds) {
  if (std::getenv("QV_BENCH_VERBOSE")) std::fprintf(stderr, "%s: %.3f s\n", phase, seconds);
}

[[noreturn]] void Die(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "storage bench: %s failed: %s\n", what.c_str(), why.c_str());
  std::exit(1);
}

// File {Disc, Name, Parent: references; Date: DateTime; Size: Integer} and
// Name {Name: String; Files: array of references to File}.
void MakeSchema(TContext& ctx) {
  ctx.Name = "Bench";
  TRecKind* file = ctx.AddRec("File");
  TRecKind* name = ctx.AddRec("Name");
  TArrKind* files = ctx.AddArr("FileRefs", file);
  file->AddField("Disc", file);
  file->AddField("Name", name);
  file->AddField("Parent", file);
  file->AddField("Date", ctx.KindByName("DateTime"));
  file->AddField("Size", ctx.KindByName("Integer"));
  name->AddField("Name", ctx.KindByName("String"));
  name->AddField("Files", files);
}

// The schema fixes field 0 of a name record as a String value.
const std::string& NameOf(TXRecData* rec) {
  return static_cast<TXValData*>(rec->GetField(0))->GetText();
}

int CompareNames(TXRecData* item, TXRecData* key) {
  return NameOf(key).compare(NameOf(item));
}

// Distinct names in no particular order: an odd multiplier permutes 32 bits.
std::string NameText(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08x_file.dat", uint32_t(i) * 2654435761u);
  return buf;
}

struct Written {
  std::vector<int64_t> fileIds;
  int64_t sizeSum = 0;
};

Written WritePhase(TXBase& base) {
  Written out;
  out.fileIds.reserve(kFiles);
  auto* fileKind = static_cast<const TRecKind*>(base.Context().KindByName("File"));
  auto* nameKind = static_cast<const TRecKind*>(base.Context().KindByName("Name"));
  TXIndex* index = base.OpenIndex("Name", 0, CompareNames);
  if (!index) Die("OpenIndex", base.LastError);
  double insertSeconds = 0;
  for (int i = 0; i < kNames; ++i) {
    // Name records stay pooled (index probes compare them) until the flush.
    TXRecData* name = base.NewData(nameKind);
    if (!name) Die("NewData", base.LastError);
    name->FieldAs<TXValData>(0)->SetText(NameText(i));
    auto insertStart = Clock::now();
    if (!index->Insert(name, -1)) Die("Insert", "duplicate or unreadable name");
    insertSeconds += Seconds(insertStart);
    auto* refs = name->FieldAs<TXArrData>(1);
    for (int f = 0; f < kFilesPerName; ++f) {
      TXRecData* file = base.NewData(fileKind);
      if (!file) Die("NewData", base.LastError);
      int64_t size = int64_t(i) * 37 + f;
      file->FieldAs<TXRefData>(0)->SetRefID(1);
      file->FieldAs<TXRefData>(1)->SetRefID(name->ID);
      file->FieldAs<TXRefData>(2)->SetRefID(int64_t(i / 100) + 1);
      file->FieldAs<TXValData>(3)->SetFloat(45000.0 + i / 86400.0);
      file->FieldAs<TXValData>(4)->SetInt(size);
      refs->AddRef(file->ID);
      out.fileIds.push_back(file->ID);
      out.sizeSum += size;
      if (!base.Release(file)) Die("Release", base.LastError);  // written at once
    }
  }
  Note("index inserts", insertSeconds);
  auto flushStart = Clock::now();
  if (!base.Flush()) Die("Flush", base.LastError);
  Note("flush", Seconds(flushStart));
  return out;
}

int64_t ReadPhase(TXBase& base, std::vector<int64_t> ids) {
  std::shuffle(ids.begin(), ids.end(), std::mt19937_64(42));
  int64_t sizeSum = 0;
  for (int64_t id : ids) {
    TXRecData* file = base.GetData(id);
    if (!file) Die("GetData", base.LastError);
    sizeSum += file->FieldAs<TXValData>(4)->GetInt();
    base.Release(file);
  }
  return sizeSum;
}

int64_t FolderBytes(const std::string& folder) {
  int64_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    total += int64_t(entry.file_size());
    if (std::getenv("QV_BENCH_VERBOSE"))
      std::fprintf(stderr, "%s: %lld bytes\n", entry.path().filename().c_str(), (long long)entry.file_size());
  }
  return total;
}

int Run() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) Die("mkdtemp", tmpl);
  const std::string folder = tmpl + "/db/";
  TContext schema;
  MakeSchema(schema);

  double writeSeconds, readSeconds;
  int64_t bytes;
  {
    TXBase base;
    auto start = Clock::now();
    if (!base.CreateNew(folder, "quirvane", schema, "bench")) Die("CreateNew", base.LastError);
    Written written = WritePhase(base);
    writeSeconds = Seconds(start);
    Note("write and flush", writeSeconds);
    if (!base.Close()) Die("Close", base.LastError);

    start = Clock::now();
    if (!base.Open(folder, "quirvane", "bench")) Die("Open", base.LastError);
    if (!base.OpenIndex("Name", 0, CompareNames)) Die("OpenIndex", base.LastError);
    Note("reopen", Seconds(start));
    start = Clock::now();
    int64_t sizeSum = ReadPhase(base, std::move(written.fileIds));
    readSeconds = Seconds(start);
    if (sizeSum != written.sizeSum) Die("read back", "sizes differ");
    if (!base.Close()) Die("Close", base.LastError);
    bytes = FolderBytes(folder);
  }
  std::filesystem::remove_all(tmpl);

  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("write_records_per_s=%.0f\n", (kFiles + kNames) / writeSeconds);
  std::printf("read_records_per_s=%.0f\n", kFiles / readSeconds);
  std::printf("bytes_per_record=%.1f\n", double(bytes) / kFiles);
  std::printf("peak_rss_mb=%.1f\n", double(usage.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace
}  // namespace qv

int main() {
  return qv::Run();
}
