// Every visible text of the small dialogs, verbatim, one namespace per form:
// captions keep their leading and trailing blanks, as the windows show them.
#pragma once

namespace qv::texts {

namespace ftypedlg {
inline constexpr char Caption[] = " File Type";
inline constexpr char Name[] = "Name";
inline constexpr char Extensions[] = "Extensions";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
}  // namespace ftypedlg

namespace discdlg {
inline constexpr char Caption[] = " Disc properties";
inline constexpr char Label[] = "Label";
inline constexpr char Category[] = "Category";
inline constexpr char Location[] = "Location";
inline constexpr char Description[] = "Description";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char Help[] = "&Help";
inline constexpr char HelpTopic[] = "a2_08_00.htm";
// Added to a field's label while its text is too long to be stored (OK is greyed then).
inline constexpr char TooLong[] = " (too long: at most 255 bytes)";
}  // namespace discdlg

namespace aboutform {
inline constexpr char Caption[] = " About Quirvane";
inline constexpr char Version[] = "Version";
inline constexpr char Developer[] = "Developer";
inline constexpr char Support[] = "Support";
inline constexpr char Close[] = "Close";
// The maker, the web page and the support address are our own.
inline constexpr char Company[] = "The Quirvane developers";
inline constexpr char WebPage[] = "https://quirvane.example.org/";
inline constexpr char SupportAddress[] = "support@quirvane.example.org";
inline constexpr char OpenVerb[] = "Open";
}  // namespace aboutform

namespace discwiz {
inline constexpr char Caption[] = "Adding disc";
inline constexpr char PageLabel[] = "Label";
inline constexpr char PageDisc[] = "Disc";
inline constexpr char PageOptions[] = "Options";
inline constexpr const char* Titles[3] = {"Disc information", "Disc path", "Scanning options"};
inline constexpr const char* Infos[3] = {
    "Enter unique disc label, location, description and select its category",
    "Select disc or folder to add to the database", "Choose what will be added to the database"};
inline constexpr char Label[] = "Label";
inline constexpr char Location[] = "Location";
inline constexpr char Category[] = "Category";
inline constexpr char Description[] = "Description";
inline constexpr char IncludeFiles[] = " Include disc files";
inline constexpr char AllFiles[] = " All files";
inline constexpr char FoldersOnly[] = " Folders only";
inline constexpr char ColumnType[] = " Type ";
inline constexpr char ColumnExtensions[] = " Extensions ";
inline constexpr char StepPrefix[] = "Step ";
inline constexpr char StepMiddle[] = " out of ";
inline constexpr char Back[] = "<  Back";
inline constexpr char Next[] = "Next  >";
inline constexpr char Add[] = "Add";
inline constexpr char Start[] = "Start";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char Help[] = "&Help";
inline constexpr char HelpTopic[] = "a2_04_00.htm";
}  // namespace discwiz

namespace basedlg {
inline constexpr char CaptionOpen[] = " Open database";
inline constexpr char CaptionNew[] = " New database";
inline constexpr char Name[] = "Database name";
inline constexpr char NameHint[] = " Name of the database to be used for further references ";
inline constexpr char Password[] = "Access password";
inline constexpr char PasswordHint[] =
    " If the password is specified it will be required to open the database ";
inline constexpr char FolderOpen[] = "Select the folder where the database files are located";
inline constexpr char FolderNew[] = "Select or create a folder where the database files will be placed";
inline constexpr char NewFolder[] = "New Folder";
inline constexpr char NewFolderHint[] = " Create new subfolder ";
inline constexpr char NewFolderName[] = "New Folder (";
inline constexpr char NewFolderFailed[] = "Failed to create new folder here!";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char Help[] = "&Help";
inline constexpr char HelpTopicNew[] = "a2_02_00.htm";
inline constexpr char HelpTopicOpen[] = "a2_03_00.htm";
inline constexpr char BaseFile[] = "xbase.vlm";
inline constexpr char BaseSection[] = "GENERAL";
inline constexpr char BaseNameKey[] = "Name";
}  // namespace basedlg

namespace settsform {
inline constexpr char Caption[] = " Settings ";
inline constexpr char FileTypes[] = " File Types ";
inline constexpr char ColumnType[] = " Type ";
inline constexpr char ColumnExtensions[] = " Extensions ";
inline constexpr char Add[] = "&Add";
inline constexpr char AddHint[] = " Add new file type ";
inline constexpr char Edit[] = "&Edit";
inline constexpr char EditHint[] = " Edit selected file type ";
inline constexpr char Delete[] = "&Delete";
inline constexpr char DeleteHint[] = " Delete selected file type ";
inline constexpr char DeleteQuestion[] = "Are you sure you want to delete this file type?";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char Help[] = "&Help";
inline constexpr char HelpTopic[] = "a2_07_00.htm";
}  // namespace settsform

namespace pathdlg {
inline constexpr char Caption[] = " Browse";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char HelpTopic[] = "a2_11_00.htm";
}  // namespace pathdlg

namespace help {
inline constexpr char Caption[] = "&Help";
// The file type editor is part of the settings; the about box has the contents.
inline constexpr char FileTypeTopic[] = "a2_07_00.htm";
inline constexpr char AboutTopic[] = "";
inline constexpr char NoPage[] = "The help page \"";
inline constexpr char NoPageEnd[] = "\" is missing.";
inline constexpr char NoViewer[] =
    "The help page cannot be shown: no program to open it was found.\n"
    "Install xdg-open (package xdg-utils), or open \"";
inline constexpr char NoViewerEnd[] = "\" in a web browser.";
}  // namespace help

}  // namespace qv::texts
