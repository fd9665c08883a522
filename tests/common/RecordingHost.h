// A test host for the catalogue engine: records every console line and view
// call, answers questions from a script and can run code from inside the
// message loop (to inject re-entrant calls).
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/EngineHost.h"
#include "catalogue/NodeData.h"

namespace qv::test {

class RecordingHost : public IEngineHost {
 public:
  struct Row {
    TNodeData data;
    int parent;  // index into rows, -1 at the top level
    bool expanded = false;
  };

  void AddInfo(const std::string& t) override { Line("I", t); }
  void AddWarning(const std::string& t) override { Line("W", t); }
  void AddError(const std::string& t) override { Line("E", t); }
  void AddFatal(const std::string& t) override { Line("F", t); }
  // Recorded with the number of console lines before it, to place it among them.
  void StopAvailable(bool available) override {
    calls.push_back("StopAvailable " + std::to_string(int(available)) + " before line " +
                    std::to_string(console.size()));
  }
  void ClearConsole() override {
    console.clear();
    calls.push_back("ClearConsole");
  }

  void DiscTreeClear() override {
    discRows.clear();
    calls.push_back("DiscTreeClear");
  }
  void DiscTreeAddDisc(const TDiscData&) override { ++discRowsAdded, discRows.push_back(discRowsAdded); }
  void DiscTreeSort() override { calls.push_back("DiscTreeSort"); }
  void DiscTreeFillCategories() override { calls.push_back("DiscTreeFillCategories"); }

  void FileTreeClear() override {
    rows.clear();
    calls.push_back("FileTreeClear");
  }
  ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) override {
    int p = parent ? int(reinterpret_cast<intptr_t>(parent)) - 1 : -1;
    rows.push_back(Row{row, p});
    return reinterpret_cast<ViewNode>(intptr_t(rows.size()));
  }
  void FileTreeExpand(ViewNode node) override {
    int i = int(reinterpret_cast<intptr_t>(node)) - 1;
    if (i >= 0 && i < int(rows.size())) rows[std::size_t(i)].expanded = true;
  }
  void FileTreeSort() override { calls.push_back("FileTreeSort"); }
  void FileTreeFillCombos(bool) override { calls.push_back("FileTreeFillCombos"); }

  void BrowserFillDiscTree() override { calls.push_back("BrowserFillDiscTree"); }
  void BrowserSelectDisc(int index) override {
    calls.push_back("BrowserSelectDisc " + std::to_string(index));
  }
  void BrowserClear() override {
    folderNodes.clear();
    calls.push_back("BrowserClear");
  }
  void BrowserShowFolder(TFileData* shown) override {
    shownFolder = shown;
    calls.push_back("BrowserShowFolder");
  }
  bool BrowserSelectFile(const std::string& name) override {
    calls.push_back("BrowserSelectFile " + name);
    return selectFileResult;
  }
  ViewNode BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                int) override {
    folderNodes.push_back({text, data, image, parent});
    return reinterpret_cast<ViewNode>(intptr_t(folderNodes.size()));
  }
  void BrowserExpandFolderNode(ViewNode) override {}

  void ClearReport() override { report.clear(); }
  void AddReportLine(const std::string& line) override { report.push_back(line); }

  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void ProcessMessages() override {
    ++pumps;
    if (onPump) {
      auto f = onPump;  // the hook may replace itself
      f(pumps);
    }
  }
  std::string DatabaseFolder() override { return folder; }

  // Console lines as "I text", "W text", "E text", "F text".
  std::vector<std::string> console;
  std::vector<std::string> calls;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  std::vector<Row> rows;
  std::vector<int> discRows;
  int discRowsAdded = 0;
  struct FolderNode {
    WideString text;
    TFileData* data;
    int image;
    ViewNode parent;
  };
  std::vector<FolderNode> folderNodes;
  std::vector<std::string> report;
  TFileData* shownFolder = nullptr;
  bool selectFileResult = true;
  std::string folder;
  int pumps = 0;
  std::function<void(int)> onPump;
  bool pumpOnLines = false;

  bool HasLine(const std::string& line) const {
    for (auto& l : console)
      if (l == line) return true;
    return false;
  }

 private:
  // Like the real console, every line lets the message loop run when asked to.
  void Line(const char* level, const std::string& t) {
    console.push_back(std::string(level) + " " + t);
    if (pumpOnLines) ProcessMessages();
  }
};

}  // namespace qv::test
