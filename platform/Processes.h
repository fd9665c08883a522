// Starting other programs: a program found on PATH, started with its arguments
// as they are (no shell ever parses them), not waited for. A detached thread
// reaps each child so that no zombie is left behind.
#pragma once
#include <string>
#include <vector>

namespace qv {

// The full path of an executable `name` in a folder of PATH, "" when none.
std::string FindProgramOnPath(const std::string& name);
// Starts `program` (a full path) with argv[0] = its file name and then `args`,
// in `directory` when that is not empty. False when it could not be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& directory = "");

}  // namespace qv
