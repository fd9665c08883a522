// TMainForm: the window the user works in. Four pages (discs, search,
// browser, reports) over a console strip, a progress gauge and a status bar;
// every command is an action of its action manager, whose enabled rules run
// when the program idles. It owns the catalogue engine and the engine's host,
// keeps the database to reopen and its own bounds in "MAINFORM", and picks
// the database at its first activation.
#pragma once
#include <memory>
#include <string>

#include "classlib/actions/ActnList.h"
#include "classlib/comctrls/CoolBar.h"
#include "classlib/comctrls/PageControl.h"
#include "classlib/comctrls/ProgressBar.h"
#include "classlib/comctrls/RichEdit.h"
#include "classlib/comctrls/StatusBar.h"
#include "classlib/controls/Forms.h"
#include "classlib/dialogs/Dialogs.h"
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/Panel.h"

namespace qv {

class TEngine;
class TSkHintManager;
class TSkSplitter;
class TMainHost;
// Tool bars are only named here: their header and the skinned controls'
// headers both name a button style, so one unit includes one or the other.
class TToolBar;

class TMainForm : public TForm {
 public:
  explicit TMainForm(TComponent* AOwner);
  ~TMainForm() override;
  // After the form has scaled to the screen: the bounds kept in the
  // settings, which are screen pixels already.
  void AfterConstruction() override;

  // The report page (folder compare writes here).
  void AddReportLine(const std::string& S);
  // Stop greyed while a running operation cannot be stopped.
  void StopAvailable(bool available);
  void ClearReport();
  // " Velmora Quirvane " and, with a named database open, " - [ name ]".
  void UpdateCaption();
  // The engine's progress: the gauge shows Value modulo its maximum (the
  // maximum itself stays full); messages run only when the position moves.
  void EngineProgress(int Value);
  // Status panel 0 follows the application's hint.
  void AppHint();
  // The database choice of the first activation (runs once).
  void FirstActivate();
  // False when the catalogue's schema could not be loaded: the program
  // then stops before the window is shown.
  bool EngineUsable() const;
  // Also carries out a close asked for during a long operation, once no
  // operation runs: whichever started it (a browse from the browser's own
  // disc tree, the reopen at the first activation) the close is not lost.
  void UpdateActions() override;
  // Ctrl+C belongs to the focused control when it can copy (an edit, a list
  // with rows selected); the report's Copy takes it everywhere else.
  bool IsShortCut(WORD Key, TShiftState Shift) override;

  // Where the engine finds the catalogue's schema; empty: the program folder.
  static inline std::string SchemaFolder;

  std::unique_ptr<TEngine> Engine;
  std::unique_ptr<TMainHost> Host;
  bool FirstActivation = true;
  std::string Base;  // folder of the database to reopen, "" for none
  bool Pass = true;  // that database has a password: reopen through the Open dialog
  // A close asked for while a long operation runs: the operation is stopped
  // and the window closes when it has returned.
  bool CloseWhenIdle = false;

  // Layout
  TPanel* Panel;
  TPageControl* PageControl;
  TTabSheet* TabSheet1;
  TTabSheet* TabSheet2;
  TTabSheet* TabSheet3;
  TTabSheet* TabSheet4;
  TCoolBar* CoolBar;
  TToolBar* DiscTools;
  TToolBar* SearchTools;
  TToolBar* RepTools;
  TRichEdit* Editor;
  TSkSplitter* skSplitter;
  TPanel* ConsPanel;
  TProgressBar* Gauge;
  TStatusBar* StatusBar;
  TSaveDialog* SaveDialog;
  TSkHintManager* skHintManager;

  // Menus
  TMainMenu* MainMenu;
  TMenuItem* MenuTitles[6];
  TPopupMenu* ConsPopup;
  TPopupMenu* CatPopup;
  TPopupMenu* DiscPopup;
  TPopupMenu* ReportPopup;
  TPopupMenu* FilePopup;
  TPopupMenu* BrowsePopup;

  // Actions
  TActionManager* ActionManager;
  TAction* actScan;
  TAction* actNew;
  TAction* actOpen;
  TAction* actAbort;
  TAction* actSearch;
  TAction* actSettings;
  TAction* actHelp;
  TAction* actDel;
  TAction* actEdit;
  TAction* actAbout;
  TAction* actTutor;
  TAction* actConsCopy;
  TAction* actConsClear;
  TAction* actClear;
  TAction* actCatAdd;
  TAction* actCatEdit;
  TAction* actCatDel;
  TAction* actBrowse;
  TAction* actCompare;
  TAction* actRSave;
  TAction* actRCopy;
  TAction* actRClear;
  TAction* actFileBOpen;
  TAction* actFileEOpen;
  TAction* actFileBEOpen;
  TAction* actHelpCont;

 protected:
  void Activate() override;
  // The window class carries the program icon.
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void ReadBounds();
  void BuildLayout();
  void BuildHintManager();
  void BuildActions();
  void BuildMenus();
  void BuildToolBars();
  void ReadSettings();
  void WriteSettings();
  // The console's height as chosen, or less where the search results would
  // otherwise lose their rows; and the most it may take now.
  void FitConsole();
  void FitConsoleSoon();
  int ConsoleRoom();
  // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, focus on it.
  void StepPage(bool forward);
  // The database just created or opened becomes the one to reopen, in the
  // settings at once: another instance started meanwhile finds it (and is
  // told it is in use) rather than offering a new one.
  void KeepBase();
  // After a failed create or open: true when another instance holds the
  // catalogue. Until this instance has a catalogue of its own, it leaves the
  // settings file to that owner.
  bool NoteRefusal();
  // After this window closed its catalogue, whose folder was moved while
  // open and left no catalogue where it was: the catalogue to reopen follows
  // the folder, in the settings at once. tellNextStart: the window is going,
  // so the line that says so is kept for the next start's console.
  void FollowMovedBase(bool tellNextStart);
  // Reads (and takes out of the open "MAINFORM" section) that line.
  void ReadMovedNote();
  // The first activation's words before anything else: the line kept by the
  // last session, and a catalogue folder that is missing (false then).
  bool SayStartNotes();
  // Base when its folder is missing, else "".
  std::string MissingBase() const;

  // Rules shared by the actions.
  bool IsOpen() const;
  bool Busy() const;  // an engine operation runs, or a disc is being browsed
  bool DiscSelected() const;
  // Open and not read-only; why it is read-only ("" when it is not).
  bool Writable() const;
  bool Clearable() const;
  std::string ReadOnlyReason() const;
  // A change asked for while the catalogue is open for reading only (the
  // window may not have caught up with that state yet): said on the
  // console, as the engine says it, before any dialog takes the user's entry.
  // damageAllowed: a damaged catalogue is let through (a clear).
  bool RefusedReadOnly(bool damageAllowed = false);
  // The writing actions' hints and the status bar follow the read-only state.
  void ShowWritable();
  void ShowSearchRefusal();
  bool ReportHasText();

  // The flows.
  void ScanFlow();
  void DatabaseFlow(bool isNew);
  void SearchFlow();
  void EditFlow();
  void DeleteFlow();
  void ClearFlow();
  void CatAddFlow();
  void CatEditFlow();
  void CatDelFlow();
  void BrowseFlow();
  void CompareFlow();
  void FileBrowserFlow();
  void SettingsFlow();
  void SaveReport();
  void CopyReport();
  void HelpOfPage();
  // Runs a long engine call with Stop offered, then carries out a close
  // asked for meanwhile.
  template <class F>
  void RunStoppable(TAction* start, F&& call);
  void CloseIfAsked();
  // Copies what the focused control offers; false when it offers nothing.
  // Sets passOn when the control copies by itself (an edit takes the key).
  bool CopyFromFocus(bool& passOn);

  bool closing_ = false;
  bool ownsBase_ = false;  // this instance has created or opened a database
  bool keptBounds_ = false;
  int keptConsole_ = -1;
  int consoleWanted_ = 0;  // the height chosen, in screen pixels once scaled
  int consoleShown_ = 0;
  int draggedTo_ = -1;  // the console's height asked by the splitter's drag
  bool fitting_ = false, fitPosted_ = false;
  std::string readOnlyReason_;  // as the hints and the status bar show it
  std::string searchRefusal_;   // likewise, for a size limit that cannot be read
  std::string movedNote_;       // kept by the last session for this start's console
  RECT kept_{};
};

extern TMainForm* MainForm;

}  // namespace qv
