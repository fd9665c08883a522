// An add whose commit failed (a full disc, most often): the disc is said not
// to be stored, the session gives up the changes it could not write and
// writes nothing more, and the views show what the catalogue holds on disk.
#include <algorithm>
#include <unordered_set>

#include "catalogue/Engine.h"
#include "classlib/SysUtils.h"
#include "storage/IndexJournal.h"

namespace qv {

// Nothing of the add is on disk but, maybe, its disc's record (empty, as the
// disc list stored it before the scan). The new names leave the name
// indexes, the caches forget what they learned of records that are not
// stored, the pool drops the changes, and the disc leaves the list: a disc
// said not stored is not in the catalogue. Its empty record, when stored,
// goes at the next open that can write (DropUnendedAdd).
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
// The label of the disc whose add is under way, its UTF-8 bytes in hex: any
// label is one line of xbase.vlm.
const char* const kAddingKey = "AddingDisc";

std::string HexOf(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

int DigitOf(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string TextOfHex(const std::string& hex) {
  std::string text;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int hi = DigitOf(hex[i]), lo = DigitOf(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::string();
    text += char(hi * 16 + lo);
  }
  return text;
}
}  // namespace

bool TEngine::NoteAdding(const WideString& label) {
  Base->SetCommitKey(kAddingKey, HexOf(Utf16ToUtf8(label)));
  Base->SetUnderway("the add of disc \"" + Utf16ToUtf8(label) + "\"");
  return Base->WriteDescription();
}

void TEngine::EndAdding() {
  if (!IsOpen() || Base->ReadOnly()) return;
  Base->SetCommitKey(kAddingKey, "");
  Base->SetUnderway("");
}

// An add whose last commit never came (the disc was full, the add met
// damage, or the session was cut short) left its disc's record empty, as its
// first commit stored it: the disc was said not stored (or nothing was said),
// so it is taken out, and its label is free again. A catalogue that cannot
// be written leaves it out of the list for the session.
void TEngine::DropUnendedAdd() {
  const std::string key = Base->ReadEngineKey(kAddingKey);
  if (key.empty()) return;
  const std::string adding = TextOfHex(key);
  const int32_t at = adding.empty() ? -1 : Discs->FindByLabel(Utf8ToUtf16(adding));
  const int64_t id = at >= 0 ? Discs->DiscAt(at).ID : -1;
  const bool empty =
      at >= 0 && Discs->DiscAt(at).Root < 0 && Discs->DiscAt(at).Files == 0 && Discs->DiscAt(at).Folders == 0;
  const std::string label = at >= 0 ? Utf16ToUtf8(Discs->DiscAt(at).Label) : std::string();
  const std::string line = "Disc \"" + label + "\" was not stored, as its add did not end; ";
  const std::string leftOut = "it is left out of the list for this session";
  if (Base->ReadOnly()) {
    if (!empty) return;
    Discs->Unlist(at);
    host_.AddWarning(line + leftOut + ", as the database cannot be written now");
    return;
  }
  Base->SetCommitKey(kAddingKey, "");
  Base->SetUnderway("");
  if (!empty) {
    // Its last commit came after all (finished from its journal): only the
    // note goes, now or, should that fail, with the next write of xbase.vlm.
    Base->WriteDescription();
    return;
  }
  const std::vector<int64_t> indexed = Discs->IndexedIds();
  bool committed = true;
  if (!Discs->DeleteDisc(id, &committed) && committed) return;  // it said why
  if (committed || CommitHappened()) {
    if (!committed) StopWriting(false);  // what follows is for the next open to finish
    host_.AddWarning(line + "its empty entry has been removed");
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
  host_.AddWarning(line + leftOut + ", as its entry could not be removed (" + reason + ")");
}

}  // namespace qv
