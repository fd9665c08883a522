// An engine host for benchmarks that feeds the main window's views (the
// console, the search page's result tree, the browser) while `views` is set,
// and shows nothing otherwise, so that one run can time the engine alone and
// the engine with its views. The frames are the globals Console, FileTree and
// Browser, made by the benchmark.
#pragma once
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/FileTree.h"
#include "bench/NullHost.h"
#include "classlib/controls/Application.h"

namespace qv::bench {

class ViewsHost : public NullHost {
 public:
  bool views = false;
  int64_t reportLines = 0;
  void AddInfo(const std::string& t) override {
    if (views) Console->AddInfo(t);
  }
  void AddWarning(const std::string& t) override {
    if (views) Console->AddWarning(t);
  }
  void ClearConsole() override {
    if (views) Console->Clear();
  }
  void FileTreeClear() override {
    NullHost::FileTreeClear();
    if (views) FileTree->Clear();
  }
  ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) override {
    if (!views) return NullHost::FileTreeAddNode(row, parent);
    ++rows;
    return FileTree->AddNode(row, static_cast<PDataNode>(parent));
  }
  void FileTreeExpand(ViewNode node) override {
    if (views) FileTree->Expand(static_cast<PDataNode>(node));
  }
  void FileTreeSort() override {
    if (views) FileTree->Sort();
  }
  void ClearReport() override { reportLines = 0; }
  void AddReportLine(const std::string&) override { ++reportLines; }
  void BrowserClear() override {
    if (views) Browser->Clear();
  }
  void BrowserShowFolder(TFileData* folder) override {
    if (views) Browser->ShowFolder(folder);
  }
  ViewNode BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                int selectedImage) override {
    return views ? Browser->AddFolderNode(static_cast<TTreeNode*>(parent), text, data, image, selectedImage)
                 : nullptr;
  }
  void BrowserExpandFolderNode(ViewNode node) override {
    if (views) Browser->ExpandFolderNode(static_cast<TTreeNode*>(node));
  }
  void ProcessMessages() override {
    if (views) Application->ProcessMessages();
  }
};

// The form a benchmark shows its views on: the console below, the result
// tree filling the rest (the caller adds the browser when it needs it).
inline TForm* MakeViewsForm() {
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1280, 800);
  Console = new TConsole(form);
  Console->SetAlign(alBottom);
  Console->SetHeight(105);
  Console->SetParent(form);
  FileTree = new TFileTree(form);
  FileTree->SetAlign(alClient);
  FileTree->SetParent(form);
  return form;
}

}  // namespace qv::bench
