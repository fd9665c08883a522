// An add whose commit failed (a full disc, most often): the disc is said not
// to be stored, the session gives up the changes it could not write and
// writes nothing more, and the views show what the catalogue holds on disk.
#include <algorithm>
#include <unordered_set>

#include "catalogue/Engine.h"
#include "catalogue/RecordFields.h"
#include "classlib/SysUtils.h"

namespace qv {

// Nothing of the add is on disk but, maybe, its disc's record (empty, as the
// disc list stored it before the scan). The new names leave the name
// indexes, the caches forget what they learned of records that are not
// stored, the pool drops the changes, and the disc leaves the list: a disc
// said not stored is not in the catalogue. Its empty record, when stored,
// goes at the next open that can write (SettleUnendedAdd).
void TEngine::NotStored(int32_t discIndex, const std::vector<int64_t> (&merged)[2]) {
  const TDiscData disc = Discs->GetDisc(discIndex);
  // Damage met on the way says itself; a failed write gives its reason.
  const bool damaged = !Base->DamageText().empty();
  host_.AddError("Disc \"" + Utf16ToUtf8(disc.Label) +
                 "\" was not stored: " + (damaged ? Base->ReadOnlyText() : FailureReason()));
  StopWriting(true);
  for (int folder = 0; folder < 2; ++folder) {
    TXIndex* index = NameIndex(folder == 1);
    if (!index || merged[folder].empty()) continue;
    const std::unordered_set<int64_t> added(merged[folder].begin(), merged[folder].end());
    std::vector<int64_t> kept;
    kept.reserve(std::size_t(index->Count()));
    for (int i = 0; i < index->Count(); ++i)
      if (!added.count(index->GetItem(i))) kept.push_back(index->GetItem(i));
    index->Assign(kept);
  }
  finished_.clear();
  ForgetNames();
  // Read-only now: the flush writes nothing and frees the pooled records.
  if (!Base->Flush()) host_.AddError(Base->ShownError());
  Discs->Unlist(discIndex);
  RefreshViews(true);
  if (!damaged) SayWhyReadOnly();
  Progress(0);
}

// Before anything of the add is written: the record its disc will take is
// the next of the global index (IDs are handed out in order).
bool TEngine::NoteAdding(const WideString& label) {
  adding_ = TAddNote();
  adding_.Form = TAddNote::TForm::Ours;
  adding_.ID = Base->GIndex().RecordCount();
  adding_.Label = Utf16ToUtf8(label);
  Base->SetCommitKey(kAddingKey, adding_.ToText());
  Base->SetUnderway("the add of disc \"" + adding_.Label + "\"");
  return Base->WriteDescription();
}

// From here on the add's end shows in the stored record itself: its last
// commit writes it anew, elsewhere than its first did. The first commit's
// mark noted where (NoteAddCommitted); should that have missed it, the note
// is written now, before anything more of the add.
bool TEngine::NoteFirstCommit(int32_t discIndex) {
  const int64_t id = Discs->GetDisc(discIndex).ID;
  QV_ASSERT(id == adding_.ID);
  if (adding_.Position >= 0) return true;
  TXGIndexRec entry;
  if (!Base->GIndex().ReadEntry(entry, id) || entry.Position < 0) {
    Base->LastError = Base->Shown(Base->GIndex().LastError());
    return false;
  }
  adding_.Position = entry.Position;
  Base->SetCommitKey(kAddingKey, adding_.ToText());
  return Base->WriteDescription();
}

void TEngine::NoteAddCommitted(int64_t first, int64_t end, bool atOpen) {
  TAddNote note = atOpen ? TAddNote::Parse(Base->ReadEngineKey(kAddingKey)) : adding_;
  if (note.Form != TAddNote::TForm::Ours || note.Position >= 0 || note.ID < first || note.ID >= end) return;
  const TKind* disc = Base->Context().KindByName("xDisc");
  TXGIndexRec entry;
  if (!disc || !Base->GIndex().ReadEntry(entry, note.ID) || entry.KindId != uint32_t(disc->Id) ||
      entry.IsDeleted() || entry.Position <= 0)
    return;
  note.Position = entry.Position;
  Base->SetCommitKey(kAddingKey, note.ToText());
  if (!atOpen) adding_ = note;
}

void TEngine::EndAdding() {
  adding_ = TAddNote();
  if (!IsOpen() || Base->ReadOnly()) return;
  ForgetAddNote();
}

void TEngine::ForgetAddNote() {
  Base->SetCommitKey(kAddingKey, "");
  Base->SetUnderway("");
}

namespace {
bool EmptyDisc(const TDiscData& d) {
  return d.Root < 0 && d.Files == 0 && d.Folders == 0;
}
}  // namespace

// An add whose last commit never came (the disc was full, the add met
// damage, or the session was cut short) left its disc's record as its first
// commit stored it, or nothing at all. The note names that record and, from
// that commit's mark on, where its chain was; the add's last commit rewrote
// it elsewhere. A note without a position names an ID that was free when the
// add was cut short: a writer that came since may have stored anything
// there, so the entry is the add's only when this open finished the add's
// first commit itself, from its journal. A note that no longer names a
// record the add can have made (of an earlier version, which gave the label
// or the record's ID only, and no position; of no form; or one whose record
// is not the add's empty disc) removes nothing.
TEngine::TUnendedAdd TEngine::JudgeUnendedAdd() const {
  using V = TUnendedAdd::TVerdict;
  TUnendedAdd out;
  TAddNote note = TAddNote::Parse(Base->ReadEngineKey(kAddingKey));
  if (note.Form == TAddNote::TForm::None) return out;
  out.Verdict = V::Doubtful;
  out.Label = note.Label;
  out.Whole = note.Form == TAddNote::TForm::Ours || note.Form == TAddNote::TForm::Earlier;
  if (note.Form == TAddNote::TForm::EarlierId) out.NamedId = note.ID;
  if (note.Form != TAddNote::TForm::Ours) return out;
  const TXGIndex& index = Base->GIndex();
  TXGIndexRec entry;
  if (note.ID >= index.RecordCount()) {
    // Its first commit never came: nothing of it is stored.
    if (note.Position < 0) out.Verdict = V::NothingStored;
    return out;
  }
  if (!index.ReadEntry(entry, note.ID) || entry.KindId != uint32_t(Discs->DiscKind->Id)) return out;
  if (note.Position < 0) {
    if (!Base->FinishedAppend(note.ID)) return out;
    note.Position = entry.Position;  // the add's first commit, finished by this open
  }
  if (entry.IsDeleted()) {
    // Its entry was removed by an open before; by the commit this open
    // finished when that open was cut short, so nothing said it yet.
    out.Verdict = Base->FinishedRewrite(note.ID) ? V::Removed : V::NothingStored;
    return out;
  }
  if (entry.Position != note.Position) {
    out.Verdict = V::Ended;
    return out;
  }
  const int32_t at = Discs->IndexOfId(note.ID);
  if (at < 0) return out;
  const TDiscData& d = Discs->DiscAt(at);
  if (EmptyDisc(d)) {
    out.Verdict = V::NotStored;
    out.At = at;
    out.Label = Utf16ToUtf8(d.Label);
  }
  return out;
}

// An add that did not end and whose entry cannot be told from what was
// stored since: said only when the list holds an empty disc it may have
// left (under the note's label; the record a note of the first version's
// form names, which gave no label; any, for a note of no form, which names
// no disc), which the user may then delete.
std::string TEngine::DoubtfulAddText(const TUnendedAdd& unended) const {
  const std::string tail = " in the list may have been left by it, and can be deleted";
  if (unended.NamedId >= 0) {
    const int32_t at = Discs->IndexOfId(unended.NamedId);
    if (at < 0 || !EmptyDisc(Discs->DiscAt(at))) return std::string();
    return "An add of a disc did not end; the empty disc \"" + Utf16ToUtf8(Discs->DiscAt(at).Label) + "\"" +
           tail;
  }
  if (unended.Whole) {
    const int32_t at = Discs->FindByLabel(Utf8ToUtf16(rec::FitString(unended.Label)));  // as stored
    if (at < 0 || !EmptyDisc(Discs->DiscAt(at))) return std::string();
    return "An add of disc \"" + unended.Label + "\" did not end; the empty disc \"" +
           Utf16ToUtf8(Discs->DiscAt(at).Label) + "\"" + tail;
  }
  for (int32_t i = 0; i < Discs->Count(); ++i)
    if (EmptyDisc(Discs->DiscAt(i))) return "An add of a disc did not end; an empty disc" + tail;
  return std::string();
}

void TEngine::SettleUnendedAdd(const TUnendedAdd& unended) {
  using V = TUnendedAdd::TVerdict;
  if (unended.Verdict == V::None) return;
  const std::string disc = "Disc \"" + unended.Label + "\" was not stored; ";
  const std::string leftOut = "it is left out of the list for this session";
  if (unended.Verdict == V::Removed) {
    if (Base->ReadOnly()) {
      host_.AddWarning(disc + leftOut + ", as the database cannot be written now");
      return;
    }
    host_.AddWarning(disc + "its empty entry has been removed");
  }
  if (unended.Verdict != V::NotStored) {
    if (unended.Verdict == V::Doubtful) {
      const std::string text = DoubtfulAddText(unended);
      if (!text.empty()) host_.AddWarning(text);
    }
    if (Base->ReadOnly()) return;
    ForgetAddNote();
    Base->WriteDescription();  // should it fail, the next write of xbase.vlm drops the note
    return;
  }
  if (Base->ReadOnly()) {
    Discs->Unlist(unended.At);
    host_.AddWarning(disc + leftOut + ", as the database cannot be written now");
    return;
  }
  const int64_t id = Discs->DiscAt(unended.At).ID;
  // The note goes with the commit that removes the entry.
  ForgetAddNote();
  const std::vector<int64_t> indexed = Discs->IndexedIds();
  bool committed = true;
  if (!Discs->DeleteDisc(id, &committed) && committed) return;  // it said why
  if (committed || CommitHappened()) {
    if (!committed) StopWriting(false);  // what follows is for the next open to finish
    host_.AddWarning(disc + "its empty entry has been removed");
    return;
  }
  // The disc is full: the entry stays for an open with room, and this
  // session writes nothing (the open says so next).
  const std::string reason = FailureReason();
  StopWriting(true);
  Base->Flush();
  ForgetNames();
  Discs->ReloadStored(indexed);
  if (const int32_t again = Discs->IndexOfId(id); again >= 0) Discs->Unlist(again);
  host_.AddWarning(disc + leftOut + ", as its entry could not be removed (" + reason + ")");
}

}  // namespace qv
