// TMainHost: the catalogue engine's host in the program. It hands the
// engine's console lines, view operations, report lines and questions to the
// frames and the main window, lets the message loop run, and reads the
// database folder from the database dialog. It also owns the frames and
// answers the main window's questions about what is selected in them.
#pragma once
#include <memory>
#include <string>

#include "catalogue/EngineHost.h"
#include "catalogue/ScanOptions.h"

namespace qv {

class TMainForm;
class TEngine;
struct TDiscData;

class TMainHost : public IEngineHost {
 public:
  explicit TMainHost(TMainForm& form) : form_(form) {}

  // IEngineHost
  void AddInfo(const std::string& text) override;
  void AddWarning(const std::string& text) override;
  void AddError(const std::string& text) override;
  void AddFatal(const std::string& text) override;
  void StopAvailable(bool available) override;
  void ClearConsole() override;
  void DiscTreeClear() override;
  void DiscTreeAddDisc(const TDiscData& disc) override;
  void DiscTreeSort() override;
  void DiscTreeFillCategories() override;
  void FileTreeClear() override;
  ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) override;
  void FileTreeExpand(ViewNode node) override;
  void FileTreeSort() override;
  void FileTreeSortFollows() override;
  bool FileTreeShowsStoredTexts() const override { return true; }
  void FileTreeFillCombos(bool full) override;
  // Every list that shows file types follows the engine's table.
  void FileKindsChanged();
  void BrowserFillDiscTree() override;
  void BrowserSelectDisc(int index) override;
  void BrowserClear() override;
  void BrowserShowFolder(TFileData* folder) override;
  bool BrowserSelectFile(const std::string& name) override;
  ViewNode BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                int selectedImage) override;
  void BrowserExpandFolderNode(ViewNode node) override;
  void ClearReport() override;
  void AddReportLine(const std::string& line) override;
  bool AskYesNo(const std::string& text) override;
  bool AskYesNoToLose(const std::string& text) override;
  void ProcessMessages() override;
  std::string DatabaseFolder() override;

  // The frames, made into the main window's panels and freed (with the
  // engine between them, as the engine reports on the console) at the end.
  void CreateFrames();
  void FreeFrames(std::unique_ptr<TEngine>& engine);
  void FocusCategories();

  // The disc view: the first selected disc row's data (nullptr for none),
  // and a repaint of that row and a new sort after its data changed.
  TDiscData* FirstSelectedDisc() const;
  void DiscChanged();
  // The category chosen in the category tree: its index, -1 for the root
  // " All Categories ", -2 for none.
  int SelectedCategory() const;

  // The search view.
  bool CanSearch() const;
  // Why a size limit keeps Search and Folder compare off; empty when none does.
  std::string SearchRefusal() const;
  void GetSearchOpts(TSearchOpts& opts) const;
  bool ResultSelected() const;
  // The selected entry and the name of its group; false when the selection
  // is no entry under a group.
  bool SelectedResult(std::string& groupName, TNodeData& row) const;
  void ResultInFileManager();

  // The browser.
  bool BrowsedSelected() const;
  void BrowsedInFileManager();

  // The console.
  void ConsoleCopy();

  // Dialogs.
  void ShowAbout();
  void SelectDatabaseFolder(const std::string& folder);

 private:
  TMainForm& form_;
};

}  // namespace qv
