// What the main window's actions carry out: adding a disc, new and open
// database, search, disc properties, delete, clear, categories, browse,
// folder compare, open in the browser, settings and the report page. The
// engine reports its own failures on the console; the flows add the boxes
// the window shows itself.
#include <cctype>
#include <cstdlib>

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/PathDlg.h"
#include "app/dialogs/SettsForm.h"
#include "app/forms/MainForm.h"
#include "app/forms/MainHost.h"
#include "app/forms/MainTexts.h"
#include "catalogue/Engine.h"
#include "classlib/controls/Application.h"
#include "platform/Files.h"

namespace qv {

namespace T = texts::mainform;

namespace {

bool SameAsciiText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// True when Yes is chosen; Enter presses `enter`.
bool AskWarning(const std::string& text, TMsgDlgBtn enter = mbYes) {
  return MessageDlg(text, mtWarning, mbYesNo, 0, enter) == mrYes;
}

}  // namespace

void TMainForm::StopAvailable(bool available) {
  // Only inside a stoppable flow, which switched Stop on.
  if (Engine && Engine->Busy && !closing_) actAbort->SetEnabled(available);
}

template <class F>
void TMainForm::RunStoppable(TAction* start, F&& call) {
  if (start) start->SetEnabled(false);
  actAbort->SetEnabled(true);
  call();
  if (closing_) return;
  if (start) start->SetEnabled(true);
  actAbort->SetEnabled(false);
  CloseIfAsked();
}

void TMainForm::ScanFlow() {
  // Refused before the wizard, not after it: a catalogue that cannot be
  // written would take the user's whole entry only to turn it away.
  if (RefusedReadOnly()) return;
  DiscWiz->Engine = Engine.get();
  if (DiscWiz->ShowModal() != mrOk) return;
  TDiscData data;
  TScanOpts opts;
  DiscWiz->GetDiscData(data);
  DiscWiz->GetScanOpts(opts);
  RunStoppable(actScan, [&] {
    Engine->AddDisc(opts, data);
    // A finished add refreshes the views itself; a stopped one (Stop, or a
    // close) keeps its disc empty, and the disc list and the category counts
    // must show that disc now, not at the next refresh.
    if (!closing_ && IsOpen()) Engine->RefreshViews(true);
  });
}

void TMainForm::DatabaseFlow(bool isNew) {
  if (IsOpen() && MessageDlg(T::CloseOpened, mtConfirmation, mbYesNo, 0) != mrYes) return;
  BaseDlg->SetMode(isNew);
  BaseDlg->Folder = isNew ? std::string() : Base;
  BaseDlg->Spared = MissingBase();
  if (BaseDlg->ShowModal() != mrOk) return;
  const bool wasOpen = IsOpen();
  if (Engine->CloseDatabase() && wasOpen) FollowMovedBase(false);
  // The views forget the closed database even when the next step fails.
  Engine->RefreshViews(true);
  std::string name = BaseDlg->NameEdit->Text();
  std::string password = BaseDlg->PassEdit->Text();
  // The password does not stay in the dialog.
  BaseDlg->PassEdit->SetText("");
  std::string folder = Host->DatabaseFolder();
  bool ok = isNew ? Engine->NewDatabase(password, name) : Engine->OpenDatabase(password);
  if (ok) {
    KeepBase();
  } else {
    NoteRefusal();
    MessageDlg((isNew ? T::NewFailedIn : T::OpenFailedFrom) + folder + T::FailedError +
                   Engine->Base->LastError + T::FailedEnd,
               mtError, TMsgDlgButtons{mbOK}, 0);
  }
  UpdateCaption();
  CloseIfAsked();
}

void TMainForm::SearchFlow() {
  if (Busy()) return;
  PageControl->SetActivePageIndex(1);
  RunStoppable(actSearch, [&] {
    Application->ProcessMessages();
    if (closing_ || Busy() || !Host->CanSearch()) return;
    TSearchOpts opts;
    Host->GetSearchOpts(opts);
    Engine->Search(opts);
  });
}

void TMainForm::EditFlow() {
  TDiscData* row = Host->FirstSelectedDisc();
  if (!row || RefusedReadOnly()) return;
  int64_t id = row->ID;
  int32_t index = Engine->Discs->IndexOfId(id);
  if (index < 0 || index >= Engine->Discs->Count()) return;
  TDiscData record = Engine->Discs->GetDisc(index);
  DiscDlg->SetData(record);
  if (DiscDlg->ShowModal() != mrOk) return;
  // The list may have changed while the dialog was up.
  index = Engine->Discs->IndexOfId(id);
  if (index < 0 || Busy()) return;
  DiscDlg->GetData(record);
  Engine->UpdateDisc(index, record);
  // The row shows what the catalogue holds: a change the engine refused (or
  // could not store) leaves it as it was.
  index = Engine->Discs->IndexOfId(id);
  row = Host->FirstSelectedDisc();
  if (index >= 0 && row && row->ID == id) {
    *row = Engine->Discs->GetDisc(index);
    Host->DiscChanged();
  }
}

void TMainForm::DeleteFlow() {
  const TDiscData* row = Host->FirstSelectedDisc();
  if (!row) return;
  TDiscData disc = *row;
  actDel->SetEnabled(false);
  Engine->DeleteDisc(disc);
  if (closing_) return;
  actDel->SetEnabled(true);
  CloseIfAsked();
}

void TMainForm::ClearFlow() {
  if (RefusedReadOnly(true)) return;
  // Nothing brings the discs back: Enter answers No, Yes takes a deliberate choice.
  if (!AskWarning(T::ClearWarning, mbNo)) return;
  // A clear removes every disc at once: the console keeps a trace of it.
  const int32_t discs = IsOpen() ? Engine->Discs->Count() : 0;
  if (Engine->ClearDatabase()) Host->AddInfo(T::ClearDone + std::to_string(discs) + T::ClearDoneEnd);
  CloseIfAsked();
}

void TMainForm::CatAddFlow() {
  if (RefusedReadOnly()) return;
  std::string name;
  if (!InputQuery(T::CategoryCaption, T::CategoryPrompt, name) || !IsOpen() || Busy()) return;
  if (Engine->Discs->Categories.Add(name)) Engine->RefreshViews(true);
}

void TMainForm::CatEditFlow() {
  int32_t index = Host->SelectedCategory();
  if (index < 0 || RefusedReadOnly()) return;
  TDiscKinds& kinds = Engine->Discs->Categories;
  std::string old = kinds.GetName(index);
  std::string name = old;
  if (!InputQuery(T::CategoryCaption, T::CategoryPrompt, name) || name.empty() || !IsOpen() || Busy()) return;
  if (SameAsciiText(name, old) || index >= kinds.Count()) return;
  if (kinds.IndexOf(name) < 0) {
    if (kinds.Rename(index, name)) Engine->RefreshViews(true);
  } else {
    Host->AddError(T::CategoryExists + name + T::CategoryExistsEnd);
  }
}

void TMainForm::CatDelFlow() {
  int32_t index = Host->SelectedCategory();
  TDiscKinds& kinds = Engine->Discs->Categories;
  if (index < 0 || index >= kinds.Count() || kinds.GetDiscCount(index) >= 1 || RefusedReadOnly()) return;
  // As with a disc or a clear: Enter answers No, a category goes only with a deliberate Yes.
  if (!AskWarning(T::CatDelWarning, mbNo) || !IsOpen() || Busy()) return;
  if (kinds.Delete(index)) Engine->RefreshViews(true);
}

void TMainForm::BrowseFlow() {
  const TDiscData* row = Host->FirstSelectedDisc();
  if (!row) return;
  int64_t id = row->ID;
  if (Engine->Discs->IndexOfId(id) < 0 || Busy()) return;
  PageControl->SetActivePageIndex(2);
  Application->ProcessMessages();
  if (closing_) return;
  // Messages ran: find the disc again before browsing it.
  int32_t index = Engine->Discs->IndexOfId(id);
  if (index >= 0) Engine->Browse(index);
  CloseIfAsked();
}

void TMainForm::CompareFlow() {
  if (!IsOpen()) return;
  PathDlg->SetText(T::CompareFolder);
  if (!PathDlg->Execute()) return;
  TSearchOpts opts;
  Host->GetSearchOpts(opts);
  std::string path = PathDlg->Path();
  RunStoppable(actCompare, [&] { Engine->CompareFolder(path, opts); });
}

void TMainForm::FileBrowserFlow() {
  std::string group;
  TNodeData row;
  if (!Host->SelectedResult(group, row) || Busy()) return;
  PageControl->SetActivePageIndex(2);
  Application->ProcessMessages();
  if (closing_ || Busy()) return;
  Engine->LocateInBrowser(group, row);
  CloseIfAsked();
}

void TMainForm::SettingsFlow() {
  SettsForm->SetFileKinds(*Engine->FileKinds);
  if (SettsForm->ShowModal() != mrOk || Busy()) return;
  Engine->SetFileKinds(SettsForm->FileKinds());
  Host->FileKindsChanged();
}

void TMainForm::SaveReport() {
  // The program folder is read-only once installed: reports go to the
  // user's home folder unless another was chosen before.
  if (SaveDialog->InitialDir.empty()) {
    const char* home = std::getenv("HOME");
    SaveDialog->InitialDir = home && *home ? IncludeTrailingPathDelimiter(home) : std::string("/");
  }
  if (!SaveDialog->Execute()) return;
  SaveDialog->InitialDir = ExtractFilePath(SaveDialog->FileName);
  Editor->Lines()->SaveToFile(SaveDialog->FileName);
}

void TMainForm::CopyReport() {
  if (Editor->SelLength() >= 1) {
    Editor->CopyToClipboard();
    return;
  }
  TStrings* lines = Editor->Lines();
  lines->BeginUpdate();
  int caret = Editor->SelStart();
  Editor->SelectAll();
  Editor->CopyToClipboard();
  Editor->SetSelLength(0);
  Editor->SetSelStart(caret);
  lines->EndUpdate();
}

}  // namespace qv
