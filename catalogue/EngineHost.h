// The one narrow interface through which the catalogue engine reaches the
// windows: console lines, the disc, search and browser views, the report
// page, Yes/No questions, the message loop and the chosen database folder.
// The user interface implements it with its frames; tests record the calls.
#pragma once
#include <string>

#include "catalogue/NodeData.h"

namespace qv {

struct TDiscData;
class TFileData;

// A node of a view's tree, as the view hands it out; null for "none".
using ViewNode = void*;

class IEngineHost {
 public:
  virtual ~IEngineHost() = default;

  // Console lines of the four levels (the console adds its own prefixes).
  virtual void AddInfo(const std::string& text) = 0;
  virtual void AddWarning(const std::string& text) = 0;
  virtual void AddError(const std::string& text) = 0;
  virtual void AddFatal(const std::string& text) = 0;
  virtual void ClearConsole() = 0;

  // Disc view.
  virtual void DiscTreeClear() = 0;
  virtual void DiscTreeAddDisc(const TDiscData& disc) = 0;
  virtual void DiscTreeSort() = 0;
  virtual void DiscTreeFillCategories() = 0;

  // Search view: rows are added at the top level (parent null) or under a group.
  virtual void FileTreeClear() = 0;
  virtual ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) = 0;
  virtual void FileTreeExpand(ViewNode node) = 0;
  virtual void FileTreeSort() = 0;
  // The rows that follow end with FileTreeSort: a view may sort each group's
  // entries as soon as the group is expanded (complete), to sort less at the
  // end. Until the view is cleared again.
  virtual void FileTreeSortFollows() {}
  // True when the search view keeps and shows only the stored texts of its
  // rows (StoredName, StoredPath): their wide Name and Path may stay empty.
  virtual bool FileTreeShowsStoredTexts() const { return false; }
  virtual void FileTreeFillCombos(bool full) = 0;

  // Browser.
  virtual void BrowserFillDiscTree() = 0;
  virtual void BrowserSelectDisc(int index) = 0;
  virtual void BrowserClear() = 0;
  virtual void BrowserShowFolder(TFileData* folder) = 0;
  virtual bool BrowserSelectFile(const std::string& name) = 0;
  virtual ViewNode BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                        int selectedImage) = 0;
  virtual void BrowserExpandFolderNode(ViewNode node) = 0;

  // Reports page.
  virtual void ClearReport() = 0;
  virtual void AddReportLine(const std::string& line) = 0;

  // A modal warning question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // The same before a step that cannot be undone: Enter answers No there,
  // so that Yes takes a deliberate choice.
  virtual bool AskYesNoToLose(const std::string& text) { return AskYesNo(text); }
  // Lets the message loop process what is pending.
  virtual void ProcessMessages() = 0;
  // Whether a Stop would still be seen by the running operation: not while
  // it finishes work that cannot be interrupted (the final write of an add).
  virtual void StopAvailable(bool) {}
  // The folder chosen in the database folder dialog ("" when none).
  virtual std::string DatabaseFolder() = 0;
};

}  // namespace qv
