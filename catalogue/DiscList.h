// The discs of the open catalogue, kept in memory in ascending record-ID
// order and mirrored to their "xDisc" records; the category list; and the
// state of the browsed disc's tree.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/DiscKinds.h"
#include "catalogue/EngineHost.h"
#include "catalogue/FileData.h"
#include "catalogue/ScanOptions.h"
#include "platform/DateTime.h"
#include "platform/Utf.h"

namespace qv {

class TXBase;
class TXIndex;
class TRecKind;
class TXRecData;
struct TReadFolder;

struct TDiscData {
  int64_t ID = -1;       // the "xDisc" record; -1 when not stored yet
  WideString Label;      // unique in a catalogue, compared without regard to case
  int32_t Category = 0;  // position in the category list
  WideString Location;
  int64_t Files = 0;
  int64_t Folders = 0;  // the root not counted
  TDateTime Added = 0;
  WideString Description;
  int64_t Root = -1;  // the root "xFolder" record; -1 when none
};

struct TDiscRec {
  TDiscData Data;
  bool Modified = false;
};

class TDiscList {
 public:
  explicit TDiscList(IEngineHost& host);
  ~TDiscList();
  TDiscList(const TDiscList&) = delete;
  TDiscList& operator=(const TDiscList&) = delete;

  bool InitNew(TXBase* base, TXIndex* discIndex);
  bool InitOpened(TXBase* base, TXIndex* discIndex);
  bool Close();
  void Clear();
  bool IsOpen() const { return Base != nullptr; }
  int32_t Count() const { return int32_t(discs_.size()); }
  TDiscData GetDisc(int32_t index) const;
  // The same without a copy; valid until the list changes.
  const TDiscData& DiscAt(int32_t index) const;
  void SetDisc(int32_t index, const TDiscData& data);
  void SetCounts(int32_t index, int64_t files, int64_t folders);
  void SetRoot(int32_t index, int64_t root);
  // -1 with index := position when found; else the insert position with index := -1.
  int32_t FindById(int64_t id, int32_t& index) const;
  int32_t IndexOfId(int64_t id) const;
  int32_t FindByLabel(const WideString& label) const;
  int32_t LoadDisc(int64_t id);
  // Writes a modified disc into its record; the record goes out at the next flush.
  void SaveDisc(int32_t index);
  // Loads the discs of the disc index, mending what an earlier build left
  // there (DiscIndexOrder.cpp).
  void LoadAll();
  void SaveAll();
  // The new disc's position, or -1 after an error line. With committed
  // given, a flush that fails is left to the caller: *committed false, the
  // disc listed in memory only.
  int32_t AddDisc(const TDiscData& data, bool* committed = nullptr);
  // The IDs of the disc index in its order, as the session holds it.
  std::vector<int64_t> IndexedIds() const;
  // After a change whose commit failed, the session shows what is stored:
  // the discs, the disc index (as indexed held it before the change) and the
  // category names as the last commit left them (DiscListStored.cpp).
  void ReloadStored(const std::vector<int64_t>& indexed);
  // A category change whose flush failed: the engine says so and shows what
  // is stored. indexed: the disc index before the change.
  std::function<void(const TChangeText& change, const std::vector<int64_t>& indexed)> OnCommitFailed;
  // The disc as its stored record holds it, read again (the pool holding no
  // change of it); or out of the list and the disc index, when that record
  // was never committed.
  bool Reload(int32_t index);
  void Unlist(int32_t index);
  int64_t EstimateResults(const TSearchOpts& opts) const;

  // Browsing, finding folders of the browsed tree, deleting.
  bool Browse(int32_t index);
  bool LoadTree(TFileData* node, int64_t ref);
  bool FillFolderTree(TFileData* node, ViewNode parent);
  TFileData* FindFolder(const std::string& path);
  TFileData* ProcPath(const std::string& rest, TFileData* node);
  // With committed given, a flush that fails is left to the caller, as
  // with AddDisc.
  bool DeleteDisc(int64_t id, bool* committed = nullptr);
  bool DeleteFolderTree(int64_t ref);
  // The disc index in label order again, after a rename (DiscIndexOrder.cpp).
  void KeepIndexOrder();

  TXBase* Base = nullptr;
  const TRecKind* DiscKind = nullptr;
  TXIndex* DiscIndex = nullptr;
  int64_t ProgressTotal = 0;
  int64_t ProgressDone = 0;
  TDiscKinds Categories;
  std::unique_ptr<TFileData> BrowseRoot;
  int64_t BrowsedID = -1;
  bool Browsing = false;
  // The engine's busy flag: a browse is refused while another operation runs.
  const bool* EngineBusy = nullptr;
  // Threads that read a browsed disc's files ahead of the walk (at most 4,
  // no more than the machine's cores); 0: the walk reads every record itself.
  int ReadAheadThreads = 4;

 private:
  struct TreeWalk;
  struct FolderVisit;
  void PlanFolder(int64_t ref, int64_t parentRef, bool root, TreeWalk& walk);
  void ReadFolderHere(int64_t ref, TReadFolder& out, TreeWalk& walk);
  void BrowseFailed(const std::string& error);
  bool LoadFolder(TFileData* node, TreeWalk& walk);
  bool LoadFile(TFileData* node, int64_t ref, int64_t parentRef, TreeWalk& walk);
  bool ReadFile(TFileData* node, int64_t ref, int64_t parentRef, TreeWalk& walk);
  static std::string NodeCheck(bool isFile, int64_t disc, int64_t parent, int64_t ref, int64_t parentRef,
                               const TreeWalk& walk);
  bool InitCommon(TXBase* base, TXIndex* discIndex);
  void Progress(int64_t done, int64_t total);
  void WriteDisc(TXRecData* rec, const TDiscData& d);
  void RenumberAfterDelete(int32_t category);
  std::vector<int64_t> IdsInLabelOrder() const;
  bool DropFromIndex(int64_t id);
  bool DeletedDiscIsLive(int64_t id);
  void LoadIndexed();
  void CategoriesChanged(const TChangeText& change);

  IEngineHost& host_;
  std::vector<std::unique_ptr<TDiscRec>> discs_;
  bool destroying_ = false;
};

// The stored label and location hold at most this many bytes of UTF-8.
inline constexpr std::size_t kMaxDiscTextBytes = 255;
// True when text fits a stored label or location.
bool DiscTextFits(const WideString& text);
// The stored label and location hold at most 255 bytes of UTF-8. False with
// an error line naming the field when data does not fit: such a disc is
// refused rather than cut, so two labels can never collide by their cut.
bool DiscTextsFit(const TDiscData& data, IEngineHost& host);

// Progress in percent, truncated toward zero, kept within 0..100; a zero
// total reports 100.
int32_t Percent(int64_t done, int64_t total);

}  // namespace qv
