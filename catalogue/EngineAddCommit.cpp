// An add whose commit failed (a full disc, most often): the disc is said not
// to be stored, the session gives up the changes it could not write and
// writes nothing more, and the views show what the catalogue holds on disk.
#include <algorithm>
#include <unordered_set>

#include "catalogue/Engine.h"
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
                 "\" was not stored: " + (damaged ? Base->DamageText() : FailureReason()));
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
  if (!Base->Flush()) host_.AddError(Base->LastError);
  Discs->Unlist(discIndex);
  RefreshViews(true);
  if (!damaged) host_.AddWarning(Base->ReadOnlyText());
  Progress(0);
}

namespace {
// The add under way (catalogue/AddNote.h).
const char* const kAddingKey = "AddingDisc";
}  // namespace

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
// commit writes it anew, elsewhere than its first did.
bool TEngine::NoteFirstCommit(int32_t discIndex) {
  const int64_t id = Discs->GetDisc(discIndex).ID;
  QV_ASSERT(id == adding_.ID);
  TXGIndexRec entry;
  if (!Base->GIndex().ReadEntry(entry, id) || entry.Position < 0) {
    Base->LastError = Base->GIndex().LastError();
    return false;
  }
  adding_.Position = entry.Position;
  Base->SetCommitKey(kAddingKey, adding_.ToText());
  return Base->WriteDescription();
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

// An add whose last commit never came (the disc was full, the add met
// damage, or the session was cut short) left its disc's record as its first
// commit stored it, or nothing at all. The note names that record and where
// its chain was; the add's last commit rewrote it elsewhere. A note that no
// longer names a record the add can have made (of an earlier version, which
// gave the label only, or one whose record is gone or not empty) removes
// nothing.
TEngine::TUnendedAdd TEngine::JudgeUnendedAdd() const {
  using V = TUnendedAdd::TVerdict;
  TUnendedAdd out;
  const TAddNote note = TAddNote::Parse(Base->ReadEngineKey(kAddingKey));
  out.Label = note.Label;
  if (note.Form == TAddNote::TForm::None) return out;
  out.Verdict = V::Doubtful;
  if (note.Form != TAddNote::TForm::Ours) return out;
  const TXGIndex& index = Base->GIndex();
  TXGIndexRec entry;
  const bool indexed = note.ID < index.RecordCount() && index.ReadEntry(entry, note.ID) &&
                       entry.KindId == uint32_t(Discs->DiscKind->Id);
  if (!indexed) {
    // Its first commit never came: nothing of it is stored.
    if (note.Position < 0 && note.ID >= index.RecordCount()) out.Verdict = V::NothingStored;
    return out;
  }
  if (entry.IsDeleted()) {
    out.Verdict = V::NothingStored;  // its entry was removed by an open before
    return out;
  }
  const int32_t at = Discs->IndexOfId(note.ID);
  if (at < 0) return out;
  const TDiscData& d = Discs->DiscAt(at);
  out.Label = Utf16ToUtf8(d.Label);
  if (note.Position >= 0 && entry.Position != note.Position) {
    out.Verdict = V::Ended;
    return out;
  }
  if (d.Root < 0 && d.Files == 0 && d.Folders == 0) {
    out.Verdict = V::NotStored;
    out.At = at;
  }
  return out;
}

void TEngine::SettleUnendedAdd(const TUnendedAdd& unended, int givenBack) {
  using V = TUnendedAdd::TVerdict;
  if (unended.Verdict == V::None) return;
  const std::string disc = "Disc \"" + unended.Label + "\" was not stored; ";
  if (unended.Verdict != V::NotStored) {
    if (unended.Verdict == V::Doubtful)
      host_.AddWarning(
          "xbase.vlm noted " +
          (unended.Label.empty() ? std::string("an add") : "the add of disc \"" + unended.Label + "\"") +
          " as under way, but which entry that add made can no longer be told; no disc was removed");
    if (Base->ReadOnly()) return;
    ForgetAddNote();
    Base->WriteDescription();  // should it fail, the next write of xbase.vlm drops the note
    return;
  }
  const std::string leftOut = "it is left out of the list for this session";
  if (Base->ReadOnly()) {
    Discs->Unlist(unended.At);
    host_.AddWarning(disc + leftOut + ", as the database cannot be written now");
    return;
  }
  const std::string bytesNote = givenBack >= 0 ? Base->OpenNotes()[std::size_t(givenBack)] : std::string();
  const int64_t id = Discs->DiscAt(unended.At).ID;
  // The note goes with the commit that removes the entry.
  ForgetAddNote();
  const std::vector<int64_t> indexed = Discs->IndexedIds();
  bool committed = true;
  if (!Discs->DeleteDisc(id, &committed) && committed) return;  // it said why
  if (committed || CommitHappened()) {
    if (!committed) StopWriting(false);  // what follows is for the next open to finish
    const int64_t bytes = Base->GivenBack();
    host_.AddWarning(disc + "its empty entry has been removed" +
                     (givenBack >= 0
                          ? ", and the " + std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") +
                                " its add had written were given back"
                          : std::string()));
    return;
  }
  // The disc is full: the entry stays for an open with room, and this
  // session writes nothing (the open says so next).
  if (!bytesNote.empty()) host_.AddWarning(bytesNote);
  const std::string reason = FailureReason();
  StopWriting(true);
  Base->Flush();
  ForgetNames();
  Discs->ReloadStored(indexed);
  if (const int32_t again = Discs->IndexOfId(id); again >= 0) Discs->Unlist(again);
  host_.AddWarning(disc + leftOut + ", as its entry could not be removed (" + reason + ")");
}

}  // namespace qv
