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

}  // namespace qv::texts
