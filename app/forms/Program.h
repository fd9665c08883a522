// The program body: the start-up order of the settings store, the
// application, the help viewer and the forms, and their shutdown in reverse.
#pragma once
#include <string>

namespace qv {

// What the command line asked for.
enum class TCommand { Run, Help, Version, Refused };
struct TCommandLine {
  TCommand Command = TCommand::Run;
  std::string Refused;  // the option that was not understood
};
TCommandLine ParseCommandLine(int argc, const char* const* argv);
// The usage text printed for --help and after a refused option.
std::string UsageText();
// "Quirvane <version>" for --version.
std::string VersionLine();

// Makes the settings store and titles the application, and routes help pages
// through the desktop. Before any window.
void StartProgram();
// Help pages open through the shell layer, as every document the program opens.
void InstallHelpOpener();
// Creates the image module, then the forms in the program's order: the main
// window first, then the dialogs.
void CreateForms();
// Runs the program until its main window closes; the exit code. When the
// catalogue's schema is missing it says so in one box and returns 1 at once.
int RunForms();
// Frees the forms in reverse order, then the help viewer and the settings
// store, which outlives every window.
void DestroyForms();
void StopProgram();

}  // namespace qv
