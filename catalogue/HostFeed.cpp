// THostFeed: the steps of a walk on a worker thread, recorded there and
// played to the real host on its own thread. Steps are plain records with
// their texts in one buffer per batch, so a row costs no allocation of its own.
#include "catalogue/HostFeed.h"

#include <chrono>
#include <cstring>

#include "platform/Exception.h"
#include "platform/Utf.h"

namespace qv {

namespace {
constexpr std::size_t kStepsPerBatch = 256;
}

void THostFeed::Unplayable() {
  AssertionFailure(__FILE__, __LINE__);
}

uint32_t THostFeed::AddText(const void* bytes, std::size_t size) {
  const uint32_t at = uint32_t(batch_.Texts.size());
  batch_.Texts.append(static_cast<const char*>(bytes), size);
  return at;
}

void THostFeed::Add(const TStep& step) {
  if (batch_.Steps.empty()) batch_.Steps.reserve(kStepsPerBatch);
  batch_.Steps.push_back(step);
  if (batch_.Steps.size() >= kStepsPerBatch) Send();
}

void THostFeed::Send() {
  if (batch_.Steps.empty()) return;
  batches_.Put(std::move(batch_));
  batch_ = TBatch();
}

void THostFeed::Close() {
  Send();
  batches_.Close();
}

// Lines and progress are sent at once: they are few, and the host's thread
// shows them while the walk goes on.
void THostFeed::Line(TStep::TKind kind, const std::string& text) {
  TStep step{kind};
  step.Text = AddText(text.data(), text.size());
  step.Len1 = uint32_t(text.size());
  Add(step);
  Send();
}

void THostFeed::Progress(int32_t percent) {
  TStep step{TStep::Progress};
  step.Percent = percent;
  Add(step);
  Send();
}

// The disc texts of a row by number; a pair not sent yet goes ahead of it.
uint32_t THostFeed::DiscOf(const TNodeData& row) {
  if (row.Disc.empty() && row.Location.empty()) return 0;
  auto same = [&row](const std::pair<WideString, WideString>& d) {
    return d.first == row.Disc && d.second == row.Location;
  };
  if (lastDisc_ > 0 && same(discsSent_[lastDisc_ - 1])) return lastDisc_;
  for (uint32_t i = 0; i < discsSent_.size(); ++i)
    if (same(discsSent_[i])) return lastDisc_ = i + 1;
  discsSent_.emplace_back(row.Disc, row.Location);
  TStep step{TStep::DiscTexts};
  step.Text = AddText(row.Disc.data(), row.Disc.size() * sizeof(char16_t));
  AddText(row.Location.data(), row.Location.size() * sizeof(char16_t));
  step.Len1 = uint32_t(row.Disc.size() * sizeof(char16_t));
  step.Len2 = uint32_t(row.Location.size() * sizeof(char16_t));
  Add(step);
  return lastDisc_ = uint32_t(discsSent_.size());
}

ViewNode THostFeed::FileTreeAddNode(const TNodeData& row, ViewNode parent) {
  TStep step{TStep::Row};
  step.Disc = DiscOf(row);
  step.RowKind = row.Kind;
  step.Node = reinterpret_cast<uintptr_t>(parent);
  step.ID = row.ID;
  step.Size = row.Size;
  step.Date = row.Date;
  step.Text = AddText(row.StoredName.data(), row.StoredName.size());
  AddText(row.StoredPath.data(), row.StoredPath.size());
  step.Len1 = uint32_t(row.StoredName.size());
  step.Len2 = uint32_t(row.StoredPath.size());
  Add(step);
  return reinterpret_cast<ViewNode>(uintptr_t(++tokens_));
}

void THostFeed::FileTreeExpand(ViewNode node) {
  TStep step{TStep::Expand};
  step.Node = reinterpret_cast<uintptr_t>(node);
  Add(step);
}

ViewNode THostFeed::NodeOf(uint64_t token) const {
  return token > 0 && token <= nodes_.size() ? nodes_[token - 1] : nullptr;
}

void THostFeed::PlayStep(const TStep& step, const std::string& texts, IEngineHost& host,
                         const TProgress& progress) {
  const char* text = texts.data() + step.Text;
  switch (step.Kind) {
    case TStep::Info:
      host.AddInfo(std::string(text, step.Len1));
      break;
    case TStep::Warning:
      host.AddWarning(std::string(text, step.Len1));
      break;
    case TStep::Error:
      host.AddError(std::string(text, step.Len1));
      break;
    case TStep::Fatal:
      host.AddFatal(std::string(text, step.Len1));
      break;
    case TStep::DiscTexts: {
      WideString label(step.Len1 / sizeof(char16_t), u'\0'), location(step.Len2 / sizeof(char16_t), u'\0');
      std::memcpy(label.data(), text, step.Len1);
      std::memcpy(location.data(), text + step.Len1, step.Len2);
      discs_.emplace_back(std::move(label), std::move(location));
      break;
    }
    case TStep::Row: {
      TNodeData& row = row_;
      row.ID = step.ID;
      row.Kind = step.RowKind;
      row.Size = step.Size;
      row.Date = step.Date;
      row.StoredName.assign(text, step.Len1);
      row.StoredPath.assign(text + step.Len1, step.Len2);
      if (host.FileTreeShowsStoredTexts()) {
        row.Name.clear();
        row.Path.clear();
      } else {
        row.Name = Utf8ToUtf16(row.StoredName);
        row.Path = Utf8ToUtf16(row.StoredPath);
      }
      if (step.Disc != rowDisc_ && step.Disc < discs_.size()) {
        rowDisc_ = step.Disc;
        row.Disc = discs_[rowDisc_].first;
        row.Location = discs_[rowDisc_].second;
      }
      nodes_.push_back(host.FileTreeAddNode(row, NodeOf(step.Node)));
      break;
    }
    case TStep::Expand:
      host.FileTreeExpand(NodeOf(step.Node));
      break;
    case TStep::Progress:
      if (progress) progress(step.Percent);
      break;
  }
}

THostFeed::TPlay THostFeed::Play(IEngineHost& host, const TProgress& progress, int sliceMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(sliceMs);
  bool played = false;
  for (;;) {
    if (!playing_ || next_ >= playing_->Steps.size()) {
      next_ = 0;
      switch (batches_.Take(playing_, played ? 0 : sliceMs)) {
        case TBatchFeed<TBatch>::TTake::Ended:
          playing_ = nullptr;
          return played ? TPlay::Played : TPlay::Ended;
        case TBatchFeed<TBatch>::TTake::Waited:
          playing_ = nullptr;
          return played ? TPlay::Played : TPlay::Waited;
        default:
          break;
      }
    }
    // A batch is played whole unless the slice is over; the clock is read
    // between batches only.
    while (next_ < playing_->Steps.size())
      PlayStep(playing_->Steps[next_++], playing_->Texts, host, progress);
    played = true;
    if (Clock::now() >= end) return TPlay::Played;
  }
}

}  // namespace qv
