// Every visible text of the main window's four views, verbatim, one namespace
// per view: headers, captions, hints, combo entries, prompts and the console
// errors the views write themselves. Leading and trailing blanks belong to them.
#pragma once

namespace qv::texts {

namespace console {
// The prefix of each level: info, warning, error, fatal, plain line.
inline constexpr const char* Prefixes[5] = {" ", " WARNING : ", " ERROR : ", " FATAL : ", " "};
}  // namespace console

namespace discform {
inline constexpr const char16_t* Columns[8] = {u" Label ",   u" Category ", u" Location ", u" Files ",
                                               u" Folders ", u" Date ",     u" Time ",     u" Description "};
inline constexpr char AllCategories[] = " All Categories ";
inline constexpr char Section[] = "DISCFORM";
inline constexpr char CatWidthKey[] = "CatWidth";
}  // namespace discform

namespace fileform {
inline constexpr const char16_t* Columns[6] = {u" Name / Path ", u" Size ", u" Date ",
                                               u" Time ",        u" Disc ", u" Location "};
inline constexpr char FileMask[] = "File mask";
inline constexpr char FolderMask[] = "Folder mask";
inline constexpr char Category[] = "Category";
inline constexpr char Disc[] = "Disc";
inline constexpr char FileType[] = "File type";
inline constexpr char SearchIn[] = "Search in";
inline constexpr char MinSize[] = " Min size";
inline constexpr char MaxSize[] = " Max size";
inline constexpr char MinDate[] = " Min date";
inline constexpr char MaxDate[] = " Max date";
inline constexpr char FileMaskInitial[] = "*.*";
inline constexpr char FolderMaskInitial[] = "*";
inline constexpr char FileMaskHint[] =
    " It is strongly recommended to specify at least first chararcter of the file name! ";
inline constexpr char FolderMaskHint[] =
    " This mask is used to search folders or files if both masks are specified ";
inline constexpr char CategoryHint[] = " Disc category to search in ";
inline constexpr char DiscHint[] = " Disc to search in ";
inline constexpr char FileTypeHint[] = " Select specific file type to search in ";
inline constexpr char MinSizeHint[] = " Minimal acceptable file size ";
inline constexpr char MaxSizeHint[] = " Maximal acceptable file size ";
inline constexpr char MinDateHint[] = " Earliest acceptable file date ";
inline constexpr char MaxDateHint[] = " Latest acceptable file date ";
// A checked size limit whose text is no byte count: its box and the Search
// action say so, after the limit's name and the text.
inline constexpr char NoSize[] = " is not a number of bytes from 0 to 9223372036854775807";
inline constexpr char NoDate[] = " is not a date (dd/mm/yyyy)";
inline constexpr char EveryCategory[] = " < Every Category > ";
inline constexpr char EveryDisc[] = " < Every Disc > ";
inline constexpr char AnyType[] = " < Any Type > ";
inline constexpr char DateMask[] = "!99/99/9999;1; ";
inline constexpr char Section[] = "FILEFORM";
}  // namespace fileform

namespace browser {
inline constexpr const char16_t* Columns[5] = {u" Name ", u" Type ", u" Size ", u" Date ", u" Time "};
inline constexpr char16_t Up[] = u"..";
inline constexpr char FileFolder[] = "File Folder";
inline constexpr char DiscNotFound[] = "Disc not found";
inline constexpr char Section[] = "BROWSER";
inline constexpr char DiscWidthKey[] = "DiscWidth";
inline constexpr char FoldWidthKey[] = "FoldWidth";
}  // namespace browser

// Opening a result's folder in the file manager (search view and browser).
namespace explore {
inline constexpr char PromptStart[] = "Select where the disc labeled \"";
inline constexpr char PromptEnd[] = " is available and press OK";
inline constexpr char FileNotFound[] = "File \"<>\" is not found";
inline constexpr char FolderNotFound[] = "Folder \"<>\" is not found";
inline constexpr char OpenFailed[] = "Failed to open folder \"<>\"";
inline constexpr char Verb[] = "explore";
}  // namespace explore

}  // namespace qv::texts
