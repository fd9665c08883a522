// A program that a signal ends says so on its error output before it goes: a
// fault (a bad access, an abort, a stack run over), or a stop asked by
// another process, would otherwise end it without a word whenever nobody
// looks at its exit status.
#pragma once

namespace qv {

// Takes each signal whose default is to end the program and that nobody has
// taken yet (a sanitizer, or a starter that ignores it): when one comes, a
// line names the program and the signal, and the signal then ends the program
// as it would have (the same exit status, a core dump where one is made).
// SIGPIPE is taken and does nothing: a write to a closed pipe or socket
// fails instead, and the writer reports it (Xlib says the display connection
// is broken). Call it once, first thing in main().
void ReportFatalSignals();

}  // namespace qv
