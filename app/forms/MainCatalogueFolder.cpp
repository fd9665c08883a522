// The main window and the folder of its catalogue between sessions: a
// folder moved while open takes the catalogue to reopen with it, and the
// next start says so first; a start whose folder is missing says that
// first and offers nothing that would make an empty folder in its place.
#include "app/dialogs/BaseDlg.h"
#include "app/forms/MainForm.h"
#include "app/forms/MainHost.h"
#include "app/forms/MainTexts.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "platform/Files.h"

namespace qv {

namespace T = texts::mainform;

namespace {
constexpr char kMainSection[] = "MAINFORM";
constexpr char kMovedKey[] = "Moved";
}  // namespace

void TMainForm::FollowMovedBase(bool tellNextStart) {
  const TXBase& base = *Engine->Base;
  const std::string where = base.MovedTo();
  if (where.empty() || Base != base.ShownPath()) return;
  // A catalogue put where it was (a copy put back) is the user's choice.
  if (TEngine::DatabaseExists(Base) || !TEngine::DatabaseExists(where)) return;
  const std::string from = Base;
  Base = where;
  if (!Storage || Storage->IsOpen()) return;
  Storage->Open(kMainSection, false);
  Storage->WriteString("Base", Base);
  // The window that could show it is closing: the next start's console does.
  if (tellNextStart)
    Storage->WriteString(kMovedKey, T::MovedFolder + base.Name + T::MovedFrom +
                                        ExcludeTrailingPathDelimiter(from) + T::MovedTo +
                                        ExcludeTrailingPathDelimiter(where) + T::MovedEnd);
  Storage->Close();
}

void TMainForm::ReadMovedNote() {
  movedNote_ = Storage->ReadString(kMovedKey, "");
  // Said once: the settings keep it no longer.
  if (!movedNote_.empty()) Storage->Ini->DeleteKey(Storage->Section, kMovedKey);
}

bool TMainForm::SayStartNotes() {
  if (!movedNote_.empty()) Host->AddWarning(movedNote_);
  movedNote_.clear();
  if (Base.empty() || DirectoryExists(Base)) return true;
  Host->AddWarning(T::MissingFolder + ExcludeTrailingPathDelimiter(Base) + T::MissingEnd);
  return false;
}

std::string TMainForm::MissingBase() const {
  return !Base.empty() && !DirectoryExists(Base) ? Base : std::string();
}

}  // namespace qv
