// The skin demo's browsing controls: a month calendar, a tree view with a few
// branches, and the shell folder tree beside a splitter, on a skinned panel.
#include "demo/skin/SkinDemoForm.h"
#include "skin/controls/skMonthCalendar.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skShellTreeView.h"
#include "skin/controls/skSplitter.h"
#include "skin/controls/skTreeView.h"

namespace qv::demo {

void TSkinDemoForm::AddBrowseControls() {
  BrowsePanel = new TSkPanel(this);
  BrowsePanel->SetParent(Background);
  BrowsePanel->SetBounds(560, 16, 384, 340);
  Calendar = new TSkMonthCalendar(this);
  Calendar->SetParent(BrowsePanel);
  Calendar->SetBounds(12, 12, 178, 139);
  Calendar->SetUseCurrentDate(false);
  Calendar->SetCalendarDate(EncodeDate(2026, 12, 7));
  Tree = new TSkTreeView(this);
  Tree->SetParent(BrowsePanel);
  Tree->SetBounds(200, 12, 172, 139);
  TTreeNodes* items = Tree->Items();
  for (const char* disc : {"Holiday photos", "Music", "Backups"}) {
    TTreeNode* n = items->Add(nullptr, disc);
    for (int i = 1; i <= 6; ++i) items->AddChild(n, std::string(disc) + " " + std::to_string(i));
  }
  FolderPanel = new TSkPanel(this);
  FolderPanel->SetParent(BrowsePanel);
  FolderPanel->SetBounds(12, 162, 360, 166);
  FolderPanel->SetBevelOuter(bvNone);
  ShellTree = new TSkShellTreeView(this);
  ShellTree->SetParent(FolderPanel);
  ShellTree->SetAlign(alLeft);
  ShellTree->SetWidth(176);
  Splitter = new TSkSplitter(this);
  Splitter->SetParent(FolderPanel);
  Splitter->SetAlign(alLeft);
  Splitter->SetLeft(ShellTree->Width() + 1);
  Splitter->SetWidth(6);
}

}  // namespace qv::demo
