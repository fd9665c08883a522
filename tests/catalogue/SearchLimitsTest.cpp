// Size and date limits on real files, in the search and in the folder
// compare's filter: sizes far past 32 bits (sparse files, no disk space) and
// whole days in local time, before 1970 and before 1899-12-30 too. What the
// catalogue finds equals a walk of the disk with the same limits.
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <limits>

#include "classlib/SysUtils.h"
#include "platform/Files.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kTop = std::numeric_limits<int64_t>::max();

// A time zone west of UTC by a non-whole hour for the test's duration, so a
// local day and a UTC day differ.
class LocalZone {
 public:
  explicit LocalZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old, had_ = true;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~LocalZone() {
    if (had_)
      ::setenv("TZ", old_.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::string old_;
  bool had_ = false;
};

// A folder in memory when the machine has one: tmpfs keeps file times
// before 1901, which ext4 cannot hold.
class MemoryDir {
 public:
  MemoryDir() {
    std::string tmpl = fs::is_directory("/dev/shm") ? "/dev/shm/qvtest-XXXXXX" : "";
    if (!tmpl.empty() && ::mkdtemp(tmpl.data())) path_ = tmpl + "/";
  }
  ~MemoryDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct Day {
  int y, m, d;
};

// Seconds since the epoch of a local wall-clock time.
int64_t LocalSeconds(Day day, int h, int mi, int s) {
  struct tm t {};
  t.tm_year = day.y - 1900, t.tm_mon = day.m - 1, t.tm_mday = day.d;
  t.tm_hour = h, t.tm_min = mi, t.tm_sec = s, t.tm_isdst = -1;
  return int64_t(::mktime(&t));
}

void SetModified(const std::string& path, int64_t seconds) {
  struct timespec ts[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
  ::utimensat(AT_FDCWD, path.c_str(), ts, 0);
}

int64_t ModifiedOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_mtime) : 0;
}

// The files of a folder tree as the disk has them.
struct DiskFile {
  std::string name;
  int64_t size;
  int64_t modified;
};
std::vector<DiskFile> Walk(const std::string& root) {
  std::vector<DiskFile> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file())
      out.push_back({e.path().filename().string(), int64_t(e.file_size()), ModifiedOf(e.path().string())});
  return out;
}

class SearchLimits : public EngineFixture {
 protected:
  // The file entries of the last search or compare, by name.
  std::multiset<std::string> FoundNames() const {
    std::multiset<std::string> out;
    for (auto& r : host.rows)
      if (r.parent >= 0 && r.data.Kind == nkFile)
        out.insert(Utf16ToUtf8(host.rows[std::size_t(r.parent)].data.Name));
    return out;
  }
  // Searches, then compares the folder with the catalogue, with the same
  // limits; the names each lists (every file of the folder is stored, so the
  // compare lists the stored copy of each file its filter lets through).
  std::pair<std::multiset<std::string>, std::multiset<std::string>> SearchAndCompare(
      const TSearchOpts& o, const std::string& folder) {
    host.answers.assign(1, true);
    engine->Search(o);
    std::multiset<std::string> searched = FoundNames();
    engine->CompareFolder(ExcludeTrailingPathDelimiter(folder), o);
    EXPECT_TRUE(host.report.empty()) << host.report.front();
    return {searched, FoundNames()};
  }
};

TEST_F(SearchLimits, SizesPastThirtyTwoBitsAreFoundAsTheDiskHasThem) {
  const std::string root = Tree("sizes/");
  const std::pair<const char*, int64_t> files[] = {{"empty.bin", 0},
                                                   {"small.txt", 600},
                                                   {"two-gib.iso", 2147483648},
                                                   {"over-two.iso", 2147483649},
                                                   {"four-gib.iso", 4294967296},
                                                   {"five-gb.iso", 5000000000}};
  for (auto [name, size] : files) MakeFile(root + name, size);
  AddDisc("Images", root);
  const std::vector<DiskFile> disk = Walk(root);
  ASSERT_EQ(disk.size(), std::size(files));

  struct Limits {
    bool minOn;
    int64_t min;
    bool maxOn;
    int64_t max;
  };
  const Limits cases[] = {{true, 2147483648, false, 0},
                          {true, 4294967296, false, 0},
                          {false, 0, true, 3000000000},
                          {true, 4294967296, true, 4294967296},
                          {true, 2147483649, true, 4999999999},
                          {true, 5000000001, false, 0},
                          {true, 0, true, kTop},
                          {true, kTop, false, 0},
                          {false, 0, true, 2147483647},
                          {true, 1073741825, true, 2147483648}};
  for (const Limits& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
    TSearchOpts o = Files("*");
    o.MinSizeOn = c.minOn, o.MinSize = c.min;
    o.MaxSizeOn = c.maxOn, o.MaxSize = c.max;
    std::multiset<std::string> want;
    for (const DiskFile& f : disk)
      if ((!c.minOn || f.size >= c.min) && (!c.maxOn || f.size <= c.max)) want.insert(f.name);
    const auto [searched, compared] = SearchAndCompare(o, root);
    EXPECT_EQ(searched, want);
    EXPECT_EQ(compared, want);
  }
  // The figures of the complaint: over 2 GB nothing small, over 4 GiB the
  // images alone, at most 3 000 000 000 bytes no image of 4 GiB or more.
  TSearchOpts o = Files("*");
  o.MinSizeOn = true, o.MinSize = 4294967296;
  EXPECT_EQ(SearchAndCompare(o, root).first, (std::multiset<std::string>{"four-gib.iso", "five-gb.iso"}));
}

// A file modified at any time of the Max date passes, up to 23:59:59 local
// time; 00:00:00 of the next day does not. Min = Max = a day finds that day.
TEST_F(SearchLimits, AMaxDateKeepsItsWholeDay) {
  LocalZone zone("QVT+3:30");
  MemoryDir memory;
  const std::string root = (memory.Path().empty() ? Tree() : memory.Path()) + "dates/";
  // No two days adjacent: each day's next-day file belongs to no other day.
  // 1899-12-29 is day -1, whose next midnight is day 0 itself.
  const Day days[] = {{2020, 5, 1}, {1969, 12, 31}, {1899, 12, 29}, {1850, 6, 1}};
  const std::pair<const char*, int> times[] = {{"a-0000", 0}, {"b-1200", 12 * 3600}, {"c-2359", 86399}};
  std::vector<Day> kept;
  for (const Day& day : days) {
    const std::string tag = std::to_string(day.y) + "-" + std::to_string(day.m) + "-" + std::to_string(day.d);
    bool holds = true;
    for (auto [name, second] : times) {
      const std::string path = root + tag + "/" + name + "-" + tag;
      MakeFile(path, 1);
      const int64_t at = LocalSeconds(day, second / 3600, second / 60 % 60, second % 60);
      SetModified(path, at);
      holds = holds && ModifiedOf(path) == at;
    }
    // The first moment of the next day, beside it.
    const std::string next = root + tag + "/d-next-" + tag;
    MakeFile(next, 1);
    SetModified(next, LocalSeconds(day, 24, 0, 0));
    holds = holds && ModifiedOf(next) == LocalSeconds(day, 24, 0, 0);
    // A file system that cannot hold the time (before 1901 on ext4) drops the day.
    if (holds) kept.push_back(day);
  }
  ASSERT_GE(kept.size(), 2u) << "2020 and 1969 hold on every file system";
  AddDisc("Dates", root);
  const std::vector<DiskFile> disk = Walk(root);

  for (const Day& day : kept) {
    const std::string tag = std::to_string(day.y) + "-" + std::to_string(day.m) + "-" + std::to_string(day.d);
    SCOPED_TRACE(tag);
    TSearchOpts o = Files("*");
    o.MinDateOn = o.MaxDateOn = true;
    o.MinDate = o.MaxDate = EncodeDate(day.y, day.m, day.d);
    // The disk's own answer: the files of that local calendar day, and for
    // Max alone the files of that day or before.
    std::multiset<std::string> want, upTo;
    for (const DiskFile& f : disk) {
      const time_t t = time_t(f.modified);
      struct tm lt {};
      ::localtime_r(&t, &lt);
      const int fileDay = (lt.tm_year + 1900) * 10000 + (lt.tm_mon + 1) * 100 + lt.tm_mday;
      const int limit = day.y * 10000 + day.m * 100 + day.d;
      if (fileDay == limit) want.insert(f.name);
      if (fileDay <= limit) upTo.insert(f.name);
    }
    EXPECT_EQ(want, (std::multiset<std::string>{"a-0000-" + tag, "b-1200-" + tag, "c-2359-" + tag}));
    const auto [searched, compared] = SearchAndCompare(o, root);
    EXPECT_EQ(searched, want);
    EXPECT_EQ(compared, want);
    o.MinDateOn = false;
    const auto [searchedUpTo, comparedUpTo] = SearchAndCompare(o, root);
    EXPECT_EQ(searchedUpTo, upTo);
    EXPECT_EQ(comparedUpTo, upTo);
    EXPECT_EQ(upTo.count("d-next-" + tag), 0u);
  }
}

}  // namespace
}  // namespace qv::test
