// Every visible text of the main window, verbatim: the caption, the pages,
// the menus, the actions' captions and hints, and the questions and messages
// it shows. Leading and trailing blanks belong to the texts.
#pragma once

namespace qv::texts::mainform {

inline constexpr char Title[] = " Velmora Quirvane ";
inline constexpr char NameOpen[] = " - [ ";
inline constexpr char NameClose[] = " ]";

// Pages, in index order.
inline constexpr const char* Pages[4] = {"Discs ", "Search  ", " Browser  ", " Reports  "};

// Main menu titles and the one item that is no action.
inline constexpr char MenuDatabase[] = "Data&base";
inline constexpr char MenuCategories[] = "&Categories";
inline constexpr char MenuDiscs[] = "&Discs";
inline constexpr char MenuFile[] = "&File";
inline constexpr char MenuReports[] = "&Reports";
inline constexpr char MenuHelp[] = "&Help";
inline constexpr char Exit[] = "E&xit";

// One action: its caption, shortcut ("" for none) and hint ("" for none).
struct ActionText {
  const char* Caption;
  const char* ShortCut;
  const char* Hint;
};
inline constexpr ActionText Scan{"&Add disc ...", "F9", " Add disc to the database "};
inline constexpr ActionText New{"&New ...", "", " Create new database "};
inline constexpr ActionText Open{"&Open ...", "Ctrl+O", " Load existing database "};
inline constexpr ActionText Abort{"&Stop", "", " Stop current process "};
inline constexpr ActionText Search{"&Search", "F7", " Search for files and/or folders in the database "};
inline constexpr ActionText Settings{"&Settings ...", "", " Change settings "};
inline constexpr ActionText Help{"&Help ...", "F1", " Show appliation help "};
inline constexpr ActionText Del{"&Delete", "", " Delete selected disc from the database "};
inline constexpr ActionText Edit{"&Properties ...", "", " Modify disc properties "};
inline constexpr ActionText About{"&About ...", "", " Show information about Quirvane "};
inline constexpr ActionText Tutor{"&How to ...", "", ""};
inline constexpr ActionText ConsCopy{"&Copy Console", "", " Copy console contents to the clipboard "};
inline constexpr ActionText ConsClear{"Clear Console", "", " Clear console "};
inline constexpr ActionText Clear{"Clear", "", " Delete everything in the database "};
inline constexpr ActionText CatAdd{"&Add Category", "", " Add new category "};
inline constexpr ActionText CatEdit{"&Rename Category", "", " Rename selected category "};
inline constexpr ActionText CatDel{"&Delete Category ", "",
                                   " Deletes selected category that must be empty! "};
inline constexpr ActionText Browse{"&Browse", "", " Browse files on the selected disc "};
inline constexpr ActionText Compare{"&Folder compare ...", "",
                                    " Compare contents of the folder with files in the database "};
inline constexpr ActionText RSave{"&Save ...", "", " Save report to file "};
inline constexpr ActionText RCopy{"&Copy", "Ctrl+C", " Copy report to the clipboard "};
inline constexpr ActionText RClear{"&Clear", "", " Clear contents of reports "};
inline constexpr ActionText FileBOpen{"Open in &Browser", "", " Open selected file in the Browser "};
inline constexpr ActionText FileEOpen{"Open in &Explorer", "",
                                      " Open selected file in the Windows Explorer "};
inline constexpr ActionText FileBEOpen{"Open in &Explorer", "",
                                       " Open selected file in the Windows Explorer "};
inline constexpr ActionText HelpCont{"&Contents ...", "", " Show help contents "};
// Joins an action's hint and the reason it is off (a read-only catalogue, a
// size limit that cannot be read).
inline constexpr char ReadOnlyHint[] = "- not available: ";

// Questions and messages; <...> parts are joined in by the callers.
inline constexpr char CloseOpened[] = "You have an opened database. Are you sure want to close it?";
inline constexpr char NewFailedIn[] = "Failed to create new database in \"";
inline constexpr char OpenFailedFrom[] = "Failed to open database from \"";
inline constexpr char FailedError[] = "\"\nError \"";
inline constexpr char FailedEnd[] = "\"";
inline constexpr char ClearWarning[] =
    "All discs in the database will be deleted!\r\nDo you still want to proceed?";
inline constexpr char ClearDone[] = "The database has been cleared: ";
inline constexpr char ClearDoneEnd[] = " disc(s) deleted";
inline constexpr char CategoryCaption[] = "Category";
inline constexpr char CategoryPrompt[] = "Name";
inline constexpr char CategoryExists[] = "Category with name \"";
inline constexpr char CategoryExistsEnd[] = "\" already exists";
inline constexpr char CatDelWarning[] =
    "It is not recommended to delete categories!\r\nDo you still want to proceed?";
inline constexpr char CompareFolder[] = "Select folder to compare with the database";
inline constexpr char CloseFailed[] = "Failed to close the \"";
inline constexpr char CloseFailedEnd[] = "\" database";
inline constexpr char CloseFailedCaption[] = "ERROR";
// Start-up cannot go on without the catalogue's schema beside the program.
inline constexpr char NoSchema[] =
    "Quirvane cannot start: the catalogue schema \"Quirvane.ctx\" was not found or is damaged in \"";
inline constexpr char NoSchemaEnd[] = "\".\nPlease reinstall the program.";
// A catalogue's folder moved while it was open, said at the next start; and
// a start whose catalogue folder is missing.
inline constexpr char MovedFolder[] = "The folder of database \"";
inline constexpr char MovedFrom[] = "\" was moved from \"";
inline constexpr char MovedTo[] = "\" to \"";
inline constexpr char MovedEnd[] = "\" while it was last open; it is opened from there now";
inline constexpr char MissingFolder[] = "The database folder \"";
inline constexpr char MissingEnd[] =
    "\" does not exist: it was moved, renamed or removed, or its disc is not mounted. Nothing was made in "
    "its place: open the database where it is now (Database, Open) or create a new one";
inline constexpr char ReportFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr char ReportExt[] = "txt";

// Help topics of the pages, then of "How to".
inline constexpr const char* PageTopics[4] = {"a2_05_00.htm", "a2_06_00.htm", "a2_09_00.htm", "a2_10_00.htm"};
inline constexpr char TutorTopic[] = "a3_00_00.htm";

}  // namespace qv::texts::mainform
