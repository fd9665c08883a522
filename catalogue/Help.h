// Help access: the program's help pages are HTML files in the "help" folder
// of the program folder, shown by the desktop's viewer (xdg-open). A missing
// page or viewer is never an error that stops the program.
#pragma once
#include <functional>
#include <string>

namespace qv {

// True: the viewer is looked up when the program starts.
inline constexpr bool HHAutoLoad = true;

// The help viewer: the full path of "xdg-open" found on PATH, "" when none.
std::string GetHHCtrlPath();
// Looks the viewer up once; UnloadHtmlHelp forgets it.
void LoadHtmlHelp();
void UnloadHtmlHelp();

// The page of topic: AppPath() + "help/" + topic ("a2_04_00.htm"), or the
// contents page "help/index.htm" for an empty topic.
std::string HelpPagePath(const std::string& topic);
// Shows the page of topic; false when the page or the viewer is missing or
// the viewer could not be started.
bool ShowHelp(const std::string& topic);
// Starts the viewer on a page file, without a shell and without waiting.
bool OpenHelpPage(const std::string& page);

// How an existing page is shown. By default the viewer above; the user
// interface routes pages through its desktop layer instead, so the desktop it
// runs on (or a test's recorder) sees them. An empty opener restores the default.
using THelpOpener = std::function<bool(const std::string& page)>;
void SetHelpOpener(THelpOpener opener);

}  // namespace qv
