// The main window's 26 actions: caption, shortcut, hint and image, the rule
// that enables each when the program idles, and what each runs. Every action
// that changes the database, or starts a long operation, waits while the
// engine is busy or a disc is being browsed; every action that writes to the
// catalogue waits as well while it is open for reading only, and says why.
#include "app/dialogs/HelpAccess.h"
#include "app/forms/Images.h"
#include "app/forms/MainForm.h"
#include "app/forms/MainHost.h"
#include "app/forms/MainTexts.h"
#include "catalogue/Engine.h"
#include "classlib/controls/ShortCuts.h"

namespace qv {

namespace T = texts::mainform;

bool TMainForm::IsOpen() const {
  return Engine && Engine->IsOpen();
}

bool TMainForm::Busy() const {
  return Engine && (Engine->Busy || (Engine->Discs && Engine->Discs->Browsing));
}

bool TMainForm::Writable() const {
  return IsOpen() && !Engine->Base->ReadOnly();
}

std::string TMainForm::ReadOnlyReason() const {
  return IsOpen() && Engine->Base->ReadOnly() ? Engine->Base->ReadOnlyText() : std::string();
}

// A damaged catalogue may still be cleared: that is the way out of the damage.
bool TMainForm::Clearable() const {
  return IsOpen() && !Engine->Base->OpensReadOnly();
}

bool TMainForm::RefusedReadOnly(bool damageAllowed) {
  if (!IsOpen()) return false;
  // A folder lost since the last change turns the catalogue read-only here;
  // one moved is said where it went.
  Engine->Base->FolderStillOurs();
  Engine->SayFolderMoved();
  if (damageAllowed ? Clearable() : Writable()) return false;
  Host->AddError(Engine->Base->RefusalText());
  return true;
}

// The engine would refuse these only after the user had filled in a dialog
// (the whole wizard, for an add); while the catalogue cannot be written they
// are off, their hints say why, and so does the status bar when no hint shows.
void TMainForm::ShowWritable() {
  const std::string reason = ReadOnlyReason();
  if (reason == readOnlyReason_) return;
  readOnlyReason_ = reason;
  const std::pair<TAction*, const char*> writers[] = {
      {actScan, T::Scan.Hint},     {actDel, T::Del.Hint},         {actEdit, T::Edit.Hint},
      {actCatAdd, T::CatAdd.Hint}, {actCatEdit, T::CatEdit.Hint}, {actCatDel, T::CatDel.Hint}};
  for (const auto& [action, hint] : writers)
    action->SetHint(reason.empty() ? std::string(hint) : hint + std::string(T::ReadOnlyHint) + reason + " ");
  const bool clearable = !IsOpen() || Clearable();
  actClear->SetHint(clearable ? std::string(T::Clear.Hint)
                              : T::Clear.Hint + std::string(T::ReadOnlyHint) + reason + " ");
  AppHint();
}

// A checked size limit whose text is no byte count is never searched for as
// another number: Search and Folder compare are off, and their hints and the
// status bar say why.
void TMainForm::ShowSearchRefusal() {
  const std::string reason = Host->SearchRefusal();
  if (reason == searchRefusal_) return;
  searchRefusal_ = reason;
  const std::pair<TAction*, const char*> users[] = {{actSearch, T::Search.Hint},
                                                    {actCompare, T::Compare.Hint}};
  for (const auto& [action, hint] : users)
    action->SetHint(reason.empty() ? std::string(hint) : hint + std::string(T::ReadOnlyHint) + reason + " ");
  AppHint();
}

bool TMainForm::DiscSelected() const {
  return Host->FirstSelectedDisc() != nullptr;
}

void TMainForm::BuildActions() {
  ActionManager = new TActionManager(this);
  ActionManager->SetImages(Images ? Images->SNorm : nullptr);
  auto make = [this](const T::ActionText& text, int image, std::function<void()> run,
                     std::function<bool()> rule) {
    auto* a = new TAction(this);
    a->SetActionList(ActionManager);
    a->SetCaption(text.Caption);
    a->SetHint(text.Hint);
    if (*text.ShortCut) a->SetShortCut(TextToShortCut(text.ShortCut));
    a->SetImageIndex(image);
    a->OnExecute = [run = std::move(run)](TObject*) { run(); };
    if (rule) a->OnUpdate = [a, rule = std::move(rule)](TObject*) { a->SetEnabled(rule()); };
    return a;
  };
  auto always = [] { return true; };
  auto openIdle = [this] { return IsOpen() && !Busy(); };
  auto writableIdle = [this] { return Writable() && !Busy(); };
  auto idle = [this] { return !Busy(); };

  actScan = make(
      T::Scan, iiScan, [this] { ScanFlow(); }, writableIdle);
  actNew = make(
      T::New, iiNew, [this] { DatabaseFlow(true); }, idle);
  actOpen = make(
      T::Open, iiOpen, [this] { DatabaseFlow(false); }, idle);
  // Stop has no rule: the long flows switch it on and off.
  actAbort = make(
      T::Abort, iiAbort, [this] { Engine->Abort(); }, nullptr);
  actAbort->SetEnabled(false);
  actSearch = make(
      T::Search, iiSearch, [this] { SearchFlow(); }, [this] { return !Busy() && Host->CanSearch(); });
  actSettings = make(
      T::Settings, iiSettings, [this] { SettingsFlow(); }, idle);
  actHelp = make(
      T::Help, iiHelp, [this] { HelpOfPage(); }, always);
  auto discRule = [this] { return Writable() && !Busy() && DiscSelected(); };
  actDel = make(
      T::Del, iiDel, [this] { DeleteFlow(); }, discRule);
  actEdit = make(
      T::Edit, iiEdit, [this] { EditFlow(); }, discRule);
  actAbout = make(
      T::About, iiAbout, [this] { Host->ShowAbout(); }, always);
  actTutor = make(
      T::Tutor, iiTutor, [] { ShowHelpTopic(T::TutorTopic); }, always);
  actConsCopy = make(
      T::ConsCopy, iiConsCopy, [this] { Host->ConsoleCopy(); }, always);
  actConsClear = make(
      T::ConsClear, iiConsClear, [this] { Host->ClearConsole(); }, always);
  actClear = make(
      T::Clear, iiClear, [this] { ClearFlow(); }, [this] { return Clearable() && !Busy(); });
  actCatAdd = make(
      T::CatAdd, iiCatAdd, [this] { CatAddFlow(); }, writableIdle);
  actCatEdit = make(
      T::CatEdit, iiCatEdit, [this] { CatEditFlow(); },
      [this] { return Writable() && !Busy() && Host->SelectedCategory() >= 0; });
  // Only an empty category of an open database can go.
  actCatDel = make(
      T::CatDel, iiCatDel, [this] { CatDelFlow(); },
      [this] {
        int i = Host->SelectedCategory();
        return Writable() && !Busy() && i >= 0 && i < Engine->Discs->Categories.Count() &&
               Engine->Discs->Categories.GetDiscCount(i) == 0;
      });
  actBrowse = make(
      T::Browse, iiBrowse, [this] { BrowseFlow(); },
      [this] {
        const TDiscData* d = Host->FirstSelectedDisc();
        return d && IsOpen() && !Busy() && d->Files + d->Folders > 0;
      });
  actCompare = make(
      T::Compare, iiCompare, [this] { CompareFlow(); },
      [this, openIdle] { return openIdle() && Host->SearchRefusal().empty(); });
  auto reportRule = [this] { return ReportHasText(); };
  actRSave = make(
      T::RSave, iiRSave, [this] { SaveReport(); }, reportRule);
  actRCopy = make(
      T::RCopy, iiRCopy, [this] { CopyReport(); }, reportRule);
  actRClear = make(
      T::RClear, iiRClear, [this] { ClearReport(); }, reportRule);
  auto resultRule = [this] {
    return IsOpen() && !Busy() && PageControl->ActivePageIndex() == 1 && Host->ResultSelected();
  };
  actFileBOpen = make(
      T::FileBOpen, iiFileBOpen, [this] { FileBrowserFlow(); }, resultRule);
  actFileEOpen = make(
      T::FileEOpen, iiFileEOpen,
      [this] {
        if (PageControl->ActivePageIndex() == 1) Host->ResultInFileManager();
      },
      resultRule);
  actFileBEOpen = make(
      T::FileBEOpen, iiFileBEOpen,
      [this] {
        if (PageControl->ActivePageIndex() == 2) Host->BrowsedInFileManager();
      },
      [this] {
        return IsOpen() && !Busy() && PageControl->ActivePageIndex() == 2 && Host->BrowsedSelected();
      });
  actHelpCont = make(
      T::HelpCont, iiHelpCont, [] { ShowHelpTopic(""); }, always);
}

void TMainForm::HelpOfPage() {
  int page = PageControl->ActivePageIndex();
  ShowHelpTopic(page >= 0 && page < 4 ? T::PageTopics[page] : "");
}

}  // namespace qv
