// Help as it reaches the desktop: the real program under openbox on an Xvfb
// server, F1 pressed with real X input, and the page handed by the desktop's
// real opener (xdg-open, on a session with no desktop environment) to the
// program the user chose for web pages, here a stand-in that writes down what
// it was given. Skipped when Xvfb, openbox or xdotool is missing; a missing
// xdg-open is the fault itself: the set-up must install it.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/DndPeer.h"
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kHelpPatience = 30000ms;

// The user's choice of a program for HTML pages, made as desktops record
// it: a desktop entry in the user's data folder, named in mimeapps.list.
void ChooseViewer(const TempDir& config, const TempDir& data, const std::filesystem::path& viewer) {
  std::filesystem::create_directories(data / "applications");
  std::ofstream(data / "applications/qv-page-viewer.desktop")
      << "[Desktop Entry]\nType=Application\nName=Page viewer\nExec=" << viewer.string()
      << " %f\nMimeType=text/html;\n";
  std::ofstream(config / "mimeapps.list") << "[Default Applications]\ntext/html=qv-page-viewer.desktop\n";
}

// A viewer that writes each argument it is given on a line of `record`.
void WriteViewer(const std::filesystem::path& viewer, const std::filesystem::path& record) {
  std::ofstream(viewer) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << record.string() << "'\n";
  ::chmod(viewer.c_str(), 0755);
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(HelpOnTheDesktop, F1OpensThePageOfTheWindowInTheUsersViewer) {
  for (const char* tool : {"Xvfb", "openbox", "xdotool"})
    if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
  ASSERT_TRUE(OnPath("xdg-open")) << "xdg-open is not installed (package xdg-utils): help cannot be shown";
  Xvfb server("1280x1024x24");
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Display* d = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(d, nullptr);
  TempDir config, data, bin;
  const std::filesystem::path record = bin / "opened.txt";
  WriteViewer(bin / "page-viewer", record);
  ChooseViewer(config, data, bin / "page-viewer");

  Openbox wm(server.Display());
  // No desktop environment is announced, and no session bus answers: the
  // opener takes its generic way, through the user's mimeapps.list.
  pid_t program = -1;
  if (wm.Running())
    program = StartProgram(QV_PROGRAM, server.Display().c_str(), {},
                           {{"XDG_CONFIG_HOME", config.Path()},
                            {"XDG_DATA_HOME", data.Path()},
                            {"XDG_CURRENT_DESKTOP", ""},
                            {"DESKTOP_SESSION", ""},
                            {"KDE_FULL_SESSION", ""},
                            {"GNOME_DESKTOP_SESSION_ID", ""},
                            {"BROWSER", ""},
                            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (bin / "no-bus")}});
  auto wait = [&](const char* title) { return WaitForClient(d, title, kHelpPatience); };
  Window dialog = program > 0 ? wait(" New database") : 0;
  EXPECT_NE(dialog, 0u) << "the program did not start";
  Window main = 0;
  if (dialog) {
    Xdo(server.Display(), {"windowfocus", "--sync", std::to_string(dialog)});
    Xdo(server.Display(), {"type", "--delay", "20", "Help"});
    Xdo(server.Display(), {"key", "Return"});
    main = wait(" Velmora Quirvane  - [ Help ]");
    EXPECT_NE(main, 0u) << "no catalogue was made";
  }
  if (main) {
    // The Discs page is the first one shown: F1 gives its page.
    Xdo(server.Display(), {"windowfocus", "--sync", std::to_string(main)});
    Xdo(server.Display(), {"key", "F1"});
    const std::string page =
        (std::filesystem::path(QV_PROGRAM).parent_path() / "help/a2_05_00.htm").lexically_normal().string();
    EXPECT_TRUE(WaitFor([&] { return ReadAll(record) == page + "\n"; }, kHelpPatience))
        << "the viewer was given \"" << ReadAll(record) << "\", not " << page;
  }
  XCloseDisplay(d);
  if (program > 0) {
    kill(program, SIGTERM);
    Reap(program, 10000ms);
  }
}

}  // namespace
}  // namespace qv::test
