// The engine's host in the program: console lines go to the console frame,
// view operations to the disc, search and browser frames, report lines to the
// main window's report page, questions to a warning box with Yes and No, and
// the database folder comes from the database dialog's folder tree. Calls
// that arrive while a frame is gone (at the very start or end) are dropped.
#include "app/forms/MainHost.h"

#include "app/dialogs/AboutForm.h"
#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/PathDlg.h"
#include "app/forms/MainForm.h"
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "catalogue/Engine.h"
#include "classlib/controls/Application.h"
#include "classlib/dialogs/Dialogs.h"

namespace qv {

namespace {

// The folder-choice dialog, as the views ask for a folder where a disc is.
bool ChooseFolder(const std::string& prompt, std::string& folder) {
  if (!PathDlg) return false;
  PathDlg->SetText(prompt);
  if (!PathDlg->Execute()) return false;
  folder = PathDlg->Path();
  return true;
}

template <class F>
void Free(F*& frame) {
  delete frame;
  frame = nullptr;
}

}  // namespace

void TMainHost::AddInfo(const std::string& text) {
  if (Console) Console->AddInfo(text);
}
void TMainHost::StopAvailable(bool available) {
  form_.StopAvailable(available);
}

void TMainHost::AddWarning(const std::string& text) {
  if (Console) Console->AddWarning(text);
}
void TMainHost::AddError(const std::string& text) {
  if (Console) Console->AddError(text);
}
void TMainHost::AddFatal(const std::string& text) {
  if (Console) Console->AddFatal(text);
}
void TMainHost::ClearConsole() {
  if (Console) Console->Clear();
}

void TMainHost::DiscTreeClear() {
  if (DiscTree) DiscTree->Clear();
}
void TMainHost::DiscTreeAddDisc(const TDiscData& disc) {
  if (DiscTree) DiscTree->AddDisc(disc);
}
void TMainHost::DiscTreeSort() {
  if (DiscTree) DiscTree->Sort();
}
void TMainHost::DiscTreeFillCategories() {
  if (DiscTree) DiscTree->FillCategories();
}

void TMainHost::FileTreeClear() {
  if (FileTree) FileTree->Clear();
}
ViewNode TMainHost::FileTreeAddNode(const TNodeData& row, ViewNode parent) {
  return FileTree ? FileTree->AddNode(row, static_cast<PDataNode>(parent)) : nullptr;
}
void TMainHost::FileTreeExpand(ViewNode node) {
  if (FileTree) FileTree->Expand(static_cast<PDataNode>(node));
}
void TMainHost::FileTreeSort() {
  if (FileTree) FileTree->Sort();
}
void TMainHost::FileTreeSortFollows() {
  if (FileTree) FileTree->SortFollows();
}
void TMainHost::FileTreeFillCombos(bool full) {
  if (FileTree) FileTree->FillCombos(full);
}

void TMainHost::FileKindsChanged() {
  if (FileTree) FileTree->FillFileCombo();
  if (Browser) Browser->FileKindsChanged();
}

void TMainHost::BrowserFillDiscTree() {
  if (Browser) Browser->FillDiscTree();
}
void TMainHost::BrowserSelectDisc(int index) {
  if (Browser) Browser->SelectDisc(index);
}
void TMainHost::BrowserClear() {
  if (Browser) Browser->Clear();
}
void TMainHost::BrowserShowFolder(TFileData* folder) {
  if (Browser) Browser->ShowFolder(folder);
}
bool TMainHost::BrowserSelectFile(const std::string& name) {
  return Browser && Browser->SelectFile(name);
}
ViewNode TMainHost::BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                         int selectedImage) {
  return Browser ? Browser->AddFolderNode(static_cast<TTreeNode*>(parent), text, data, image, selectedImage)
                 : nullptr;
}
void TMainHost::BrowserExpandFolderNode(ViewNode node) {
  if (Browser) Browser->ExpandFolderNode(static_cast<TTreeNode*>(node));
}

void TMainHost::ClearReport() {
  form_.ClearReport();
}
void TMainHost::AddReportLine(const std::string& line) {
  form_.AddReportLine(line);
}

bool TMainHost::AskYesNo(const std::string& text) {
  return MessageDlg(text, mtWarning, mbYesNo, 0) == mrYes;
}

bool TMainHost::AskYesNoToLose(const std::string& text) {
  return MessageDlg(text, mtWarning, mbYesNo, 0, mbNo) == mrYes;
}

void TMainHost::ProcessMessages() {
  Application->ProcessMessages();
}

std::string TMainHost::DatabaseFolder() {
  return BaseDlg ? BaseDlg->SelectedFolder() : std::string();
}

void TMainHost::CreateFrames() {
  TMainForm& f = form_;
  Console = new TConsole(f.ConsPanel);
  Console->SetParent(f.ConsPanel);
  Console->SetAlign(alClient);
  Console->View->SetPopupMenu(f.ConsPopup);

  DiscTree = new TDiscTree(f.TabSheet1);
  DiscTree->SetParent(f.TabSheet1);
  DiscTree->SetAlign(alClient);
  DiscTree->CatTree->SetPopupMenu(f.CatPopup);
  DiscTree->Tree->SetPopupMenu(f.DiscPopup);
  DiscTree->CatEditAction = f.actCatEdit;
  DiscTree->BrowseAction = f.actBrowse;

  FileTree = new TFileTree(f.TabSheet2);
  FileTree->SetParent(f.TabSheet2);
  FileTree->SetAlign(alClient);
  FileTree->Tree->SetPopupMenu(f.FilePopup);
  FileTree->SearchAction = f.actSearch;
  FileTree->FileBOpenAction = f.actFileBOpen;
  FileTree->OnChooseFolder = ChooseFolder;

  Browser = new TBrowser(f.TabSheet3);
  Browser->SetParent(f.TabSheet3);
  Browser->SetAlign(alClient);
  Browser->FileView->SetPopupMenu(f.BrowsePopup);
  Browser->FileBEOpenAction = f.actFileBEOpen;
  Browser->OnChooseFolder = ChooseFolder;
}

void TMainHost::FreeFrames(std::unique_ptr<TEngine>& engine) {
  Free(Browser);
  Free(DiscTree);
  Free(FileTree);
  // The engine may still report while it goes; the console goes last.
  engine.reset();
  Free(Console);
}

void TMainHost::FocusCategories() {
  if (DiscTree) form_.SetActiveControl(DiscTree->CatTree);
}

TDiscData* TMainHost::FirstSelectedDisc() const {
  return DiscTree ? DiscTree->FirstSelectedDisc() : nullptr;
}

void TMainHost::DiscChanged() {
  if (DiscTree) DiscTree->DiscChanged();
}

int TMainHost::SelectedCategory() const {
  return DiscTree ? DiscTree->SelectedCategory() : -2;
}

bool TMainHost::CanSearch() const {
  return FileTree && FileTree->CanSearch();
}

std::string TMainHost::SearchRefusal() const {
  return FileTree ? FileTree->LimitRefusal() : std::string();
}

void TMainHost::GetSearchOpts(TSearchOpts& opts) const {
  if (FileTree) FileTree->GetSearchOpts(opts);
}

bool TMainHost::ResultSelected() const {
  return FileTree && FileTree->EntrySelected();
}

bool TMainHost::SelectedResult(std::string& groupName, TNodeData& row) const {
  return FileTree && FileTree->SelectedEntry(row, groupName);
}

void TMainHost::ResultInFileManager() {
  if (FileTree) FileTree->OpenInExplorer();
}

bool TMainHost::BrowsedSelected() const {
  return Browser && Browser->EntrySelected();
}

void TMainHost::BrowsedInFileManager() {
  if (Browser) Browser->OpenInExplorer(nullptr);
}

void TMainHost::ConsoleCopy() {
  if (Console) Console->CopyToClipboard();
}

void TMainHost::ShowAbout() {
  if (AboutForm) AboutForm->ShowModal();
}

void TMainHost::SelectDatabaseFolder(const std::string& folder) {
  if (BaseDlg) SelectFolder(BaseDlg->PathTree, folder);
}

}  // namespace qv
