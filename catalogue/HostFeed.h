// THostFeed: an engine host for a walk that runs on a worker thread. The
// calls the walk makes (console lines, result rows and their expanding,
// progress) become steps, handed in batches to the thread that owns the real
// host, which plays them to it in the order they were made. A row added on
// the worker is known there by a token that stands for the view's node.
// Calls that need an answer or a window at once have no place on a worker.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/BatchFeed.h"
#include "catalogue/EngineHost.h"

namespace qv {

class THostFeed final : public IEngineHost {
 public:
  enum class TPlay { Played, Waited, Ended };
  using TProgress = std::function<void(int32_t)>;

  // The worker waits while this many batches of steps wait to be played.
  // The host's thread looks for steps every millisecond while it waits.
  explicit THostFeed(std::size_t aheadBatches = 64) : batches_(1, aheadBatches, 1) {}

  // Worker side: progress of the walk; the end of the walk.
  void Progress(int32_t percent);
  void Close();

  // Host side: plays the steps that are ready to host (progress to
  // progress), for about sliceMs at most; waits up to sliceMs when none is.
  TPlay Play(IEngineHost& host, const TProgress& progress, int sliceMs);
  // Host side: the worker no longer waits for its steps to be played.
  void Cancel() { batches_.Cancel(); }

  // IEngineHost, worker side. A row travels as its stored texts: its wide
  // Name and Path are made from them when the host shows more than those.
  void AddInfo(const std::string& text) override { Line(TStep::Info, text); }
  void AddWarning(const std::string& text) override { Line(TStep::Warning, text); }
  void AddError(const std::string& text) override { Line(TStep::Error, text); }
  void AddFatal(const std::string& text) override { Line(TStep::Fatal, text); }
  ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) override;
  void FileTreeExpand(ViewNode node) override;
  bool FileTreeShowsStoredTexts() const override { return true; }
  // A walk on a worker never pumps: the host's thread does while it plays.
  void ProcessMessages() override {}
  void ClearConsole() override { Unplayable(); }
  void DiscTreeClear() override { Unplayable(); }
  void DiscTreeAddDisc(const TDiscData&) override { Unplayable(); }
  void DiscTreeSort() override { Unplayable(); }
  void DiscTreeFillCategories() override { Unplayable(); }
  void FileTreeClear() override { Unplayable(); }
  void FileTreeSort() override { Unplayable(); }
  void FileTreeFillCombos(bool) override { Unplayable(); }
  void BrowserFillDiscTree() override { Unplayable(); }
  void BrowserSelectDisc(int) override { Unplayable(); }
  void BrowserClear() override { Unplayable(); }
  void BrowserShowFolder(TFileData*) override { Unplayable(); }
  bool BrowserSelectFile(const std::string&) override { Unplayable(); }
  ViewNode BrowserAddFolderNode(ViewNode, const WideString&, TFileData*, int, int) override { Unplayable(); }
  void BrowserExpandFolderNode(ViewNode) override { Unplayable(); }
  void ClearReport() override { Unplayable(); }
  void AddReportLine(const std::string&) override { Unplayable(); }
  bool AskYesNo(const std::string&) override { Unplayable(); }
  std::string DatabaseFolder() override { Unplayable(); }

 private:
  // One step; its texts stand in its batch's text bytes from Text on.
  struct TStep {
    enum TKind : uint8_t { Info, Warning, Error, Fatal, Row, Expand, Progress, DiscTexts };
    TKind Kind;
    uint8_t RowKind = 0;
    int32_t Percent = 0;  // Progress
    uint32_t Disc = 0;    // Row: the number of its disc texts (0: none)
    uint32_t Text = 0;
    uint32_t Len1 = 0;  // line, row's stored name, disc label bytes
    uint32_t Len2 = 0;  // row's stored path, disc location bytes
    uint64_t Node = 0;  // Row: the parent's token (0: none); Expand: the node's
    int64_t ID = 0, Size = 0;
    double Date = 0;
  };
  struct TBatch {
    std::vector<TStep> Steps;
    std::string Texts;
  };
  void Line(TStep::TKind kind, const std::string& text);
  uint32_t AddText(const void* bytes, std::size_t size);
  void Add(const TStep& step);
  void Send();
  uint32_t DiscOf(const TNodeData& row);
  [[noreturn]] static void Unplayable();
  void PlayStep(const TStep& step, const std::string& texts, IEngineHost& host, const TProgress& progress);
  ViewNode NodeOf(uint64_t token) const;

  // The worker's.
  TBatch batch_;
  uint64_t tokens_ = 0;  // tokens handed out
  std::vector<std::pair<WideString, WideString>> discsSent_;
  uint32_t lastDisc_ = 0;

  TBatchFeed<TBatch> batches_;

  // The host side's.
  TBatch* playing_ = nullptr;
  std::size_t next_ = 0;         // the next step of playing_
  std::vector<ViewNode> nodes_;  // the node of token i + 1
  std::vector<std::pair<WideString, WideString>> discs_{1};
  uint32_t rowDisc_ = 0;
  TNodeData row_;
};

}  // namespace qv
