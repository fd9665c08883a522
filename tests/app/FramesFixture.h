// A real catalogue engine over a temporary database, the four views on one
// headless form, and a host that forwards the engine's calls to the views as
// the main window does. Settings go to a temporary file.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "../common/TempDir.h"
#include "../common/TreeMaker.h"
#include "AppTestSupport.h"
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "classlib/actions/ActnList.h"
#include "platform/Utf.h"

namespace qv::test {

// The engine's host: every view call goes to the view globals.
class FramesHost : public IEngineHost {
 public:
  void AddInfo(const std::string& t) override { Console->AddInfo(t); }
  void AddWarning(const std::string& t) override { Console->AddWarning(t); }
  void AddError(const std::string& t) override { Console->AddError(t); }
  void AddFatal(const std::string& t) override { Console->AddFatal(t); }
  void ClearConsole() override { Console->Clear(); }
  void DiscTreeClear() override { DiscTree->Clear(); }
  void DiscTreeAddDisc(const TDiscData& d) override { DiscTree->AddDisc(d); }
  void DiscTreeSort() override { DiscTree->Sort(); }
  void DiscTreeFillCategories() override { DiscTree->FillCategories(); }
  void FileTreeClear() override { FileTree->Clear(); }
  ViewNode FileTreeAddNode(const TNodeData& row, ViewNode parent) override {
    return FileTree->AddNode(row, static_cast<PDataNode>(parent));
  }
  void FileTreeExpand(ViewNode node) override { FileTree->Expand(static_cast<PDataNode>(node)); }
  void FileTreeSort() override { FileTree->Sort(); }
  void FileTreeFillCombos(bool full) override { FileTree->FillCombos(full); }
  void BrowserFillDiscTree() override { Browser->FillDiscTree(); }
  void BrowserSelectDisc(int index) override { Browser->SelectDisc(index); }
  void BrowserClear() override { Browser->Clear(); }
  void BrowserShowFolder(TFileData* shown) override { Browser->ShowFolder(shown); }
  bool BrowserSelectFile(const std::string& name) override { return Browser->SelectFile(name); }
  ViewNode BrowserAddFolderNode(ViewNode parent, const WideString& text, TFileData* data, int image,
                                int selectedImage) override {
    return Browser->AddFolderNode(static_cast<TTreeNode*>(parent), text, data, image, selectedImage);
  }
  void BrowserExpandFolderNode(ViewNode node) override {
    Browser->ExpandFolderNode(static_cast<TTreeNode*>(node));
  }
  void ClearReport() override { report.clear(); }
  void AddReportLine(const std::string& line) override { report.push_back(line); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void ProcessMessages() override { Application->ProcessMessages(); }
  std::string DatabaseFolder() override { return folder; }

  std::string folder;
  std::vector<std::string> report, questions;
  std::deque<bool> answers;
};

class FramesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Storage = std::make_unique<TStorage>(dir / "Quirvane.ini", true);
    MakeViews();
    host.folder = dir / "db/";
    engine = std::make_unique<TEngine>(host, QV_BINARY_DIR "/app/");
    Engine = engine.get();
    ASSERT_TRUE(engine->Usable());
    engine->RefreshViews(true);
  }
  void TearDown() override {
    if (engine && engine->IsOpen()) engine->CloseDatabase();
    FreeViews();
    engine.reset();
    Engine = nullptr;
    Storage.reset();
    AppTest::TearDown();
  }

  // The views on one form, as the main window holds them: the console at the
  // bottom, the three pages above it (one shown at a time).
  void MakeViews() {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 800, 600);
    Console = new TConsole(form);
    Console->SetAlign(alBottom);
    Console->SetHeight(105);
    Console->SetParent(form);
    DiscTree = new TDiscTree(form);
    FileTree = new TFileTree(form);
    Browser = new TBrowser(form);
    for (TFrame* f : std::initializer_list<TFrame*>{DiscTree, FileTree, Browser}) {
      f->SetAlign(alClient);
      f->SetParent(form);
    }
    ShowPage(DiscTree);
    form->Show();
    Pump();
  }
  // Frees the views as the main window does (the console last).
  void FreeViews() {
    delete Browser;
    delete DiscTree;
    delete FileTree;
    delete Console;
    delete form;
    form = nullptr;
  }
  void ShowPage(TFrame* page) {
    for (TFrame* f : std::initializer_list<TFrame*>{DiscTree, FileTree, Browser}) f->SetVisible(f == page);
    Pump();
  }

  void CreateDatabase() { ASSERT_TRUE(engine->NewDatabase("", "Test")); }
  // Adds folder as a disc (every file taken).
  void AddDisc(const std::string& label, const std::string& folder, int category = 0,
               const std::string& location = "") {
    TScanOpts scan;
    scan.Path = folder;
    TDiscData d;
    d.Label = Utf8ToUtf16(label);
    d.Category = category;
    d.Location = Utf8ToUtf16(location);
    d.Added = Now();
    engine->AddDisc(scan, d);
  }
  // The console lines, as texts.
  std::vector<std::string> ConsoleLines() const {
    std::vector<std::string> out;
    for (int i = 0; i < Console->Lines().Count(); ++i) out.push_back(Console->Lines().Strings(i));
    return out;
  }
  bool HasLine(const std::string& line) const {
    for (auto& l : ConsoleLines())
      if (l == line) return true;
    return false;
  }
  // A cell's text as the view shows it.
  static std::string Cell(TDataStringTree* tree, PDataNode node, int column) {
    return Utf16ToUtf8(tree->GetText(node, column));
  }
  // The column texts of every top-level row (or of the children of parent), in view order.
  static std::vector<std::string> Column(TDataStringTree* tree, int column, PDataNode parent = nullptr) {
    std::vector<std::string> out;
    for (PDataNode n = tree->GetFirstChild(parent ? parent : tree->RootNode()); n;
         n = tree->GetNextSibling(n))
      out.push_back(Cell(tree, n, column));
    return out;
  }
  // A screen pixel as 0xRRGGBB after everything pending is painted.
  uint32_t Pixel(int x, int y) {
    Pump();
    return backend.Screenshot().At(x, y) & 0xFFFFFF;
  }
  // The screen point of a view's client point.
  POINT ScreenOf(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }
  // Clicks (or double clicks) a view's client point.
  void ClickAt(TControl* c, int x, int y, bool twice = false) {
    POINT p = ScreenOf(c, x, y);
    backend.Click(p.x, p.y);
    if (twice) backend.Click(p.x, p.y);
    Pump();
  }
  // The client rectangle of a row of a data tree.
  RECT RowRect(TDataStringTree* tree, PDataNode node) {
    Pump();
    return tree->GetDisplayRect(node, NoColumn, false);
  }

  TempDir dir;
  FramesHost host;
  std::unique_ptr<TEngine> engine;
  TForm* form = nullptr;
};

}  // namespace qv::test
