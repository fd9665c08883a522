// An engine host that shows nothing and answers Yes: for benchmarks.
#pragma once
#include <chrono>
#include <cstdio>
#include <vector>

#include "catalogue/EngineHost.h"

namespace qv::bench {

class NullHost : public IEngineHost {
 public:
  // Information lines are timed, so a run can show where its time went.
  void AddInfo(const std::string& t) override {
    if (timeLines) {
      double now = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
      std::fprintf(stderr, "%10.3f  %s\n", now - (start ? start : (start = now)), t.c_str());
    }
  }
  void AddWarning(const std::string&) override {}
  void AddError(const std::string& t) override { errors.push_back(t); }
  void AddFatal(const std::string& t) override { errors.push_back(t); }
  void ClearConsole() override {}
  void DiscTreeClear() override {}
  void DiscTreeAddDisc(const TDiscData&) override {}
  void DiscTreeSort() override {}
  void DiscTreeFillCategories() override {}
  void FileTreeClear() override { rows = 0; }
  ViewNode FileTreeAddNode(const TNodeData&, ViewNode) override { return reinterpret_cast<ViewNode>(++rows); }
  void FileTreeExpand(ViewNode) override {}
  void FileTreeSort() override {}
  bool FileTreeShowsStoredTexts() const override { return true; }
  void FileTreeFillCombos(bool) override {}
  void BrowserFillDiscTree() override {}
  void BrowserSelectDisc(int) override {}
  void BrowserClear() override {}
  void BrowserShowFolder(TFileData*) override {}
  bool BrowserSelectFile(const std::string&) override { return true; }
  ViewNode BrowserAddFolderNode(ViewNode, const WideString&, TFileData*, int, int) override {
    return nullptr;
  }
  void BrowserExpandFolderNode(ViewNode) override {}
  void ClearReport() override {}
  void AddReportLine(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  void ProcessMessages() override {}
  std::string DatabaseFolder() override { return folder; }

  std::string folder;
  intptr_t rows = 0;
  std::vector<std::string> errors;
  bool timeLines = false;
  double start = 0;
};

}  // namespace qv::bench
