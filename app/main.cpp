// Quirvane's entry point: answers --help and --version, refuses other
// options, and otherwise runs the program on the X display.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/forms/Program.h"
#include "platform/FatalSignals.h"
#include "platform/backend/X11Backend.h"

int main(int argc, char** argv) {
  using namespace qv;
  ReportFatalSignals();
  TCommandLine line = ParseCommandLine(argc, argv);
  switch (line.Command) {
    case TCommand::Help:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case TCommand::Version:
      std::printf("%s\n", VersionLine().c_str());
      return 0;
    case TCommand::Refused:
      std::fprintf(stderr, "quirvane: unknown option %s\n%s", line.Refused.c_str(), UsageText().c_str());
      return 2;
    case TCommand::Run:
      break;
  }
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fprintf(stderr, "quirvane: a graphical display is needed, and DISPLAY is not set\n");
    return 1;
  }
  StartProgram();
  std::string error;
  auto backend = OpenX11Backend(&error);
  if (!backend) {
    std::fprintf(stderr, "quirvane: %s\n", error.c_str());
    StopProgram();
    return 1;
  }
  CreateForms();
  int code = RunForms();
  // The windows go before the display they are shown on.
  DestroyForms();
  backend.reset();
  StopProgram();
  return code;
}
