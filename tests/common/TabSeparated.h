// Tab-separated text read back as a quote-aware reader takes it: Python's
// csv module, whose rules spreadsheets' imports share (a cell that begins
// with a double quote is quoted, "" inside it is one quote, a tab or a line
// break inside quotes belongs to the cell).
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"

namespace qv::test {

// The rows and their cells; a failure is recorded when python3 cannot run.
inline std::vector<std::vector<std::string>> ReadTabSeparated(const std::string& text) {
  TempDir dir;
  std::ofstream(dir / "in.txt", std::ios::binary) << text;
  // Each cell as the hex digits of its UTF-8 bytes: nothing in a cell can
  // upset the way back.
  std::ofstream(dir / "read.py") << "import csv, sys\n"
                                    "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                    "    for row in csv.reader(f, delimiter='\\t'):\n"
                                    "        print(' '.join(cell.encode().hex() for cell in row))\n";
  const std::string command =
      "python3 '" + (dir / "read.py") + "' '" + (dir / "in.txt") + "' > '" + (dir / "out.txt") + "'";
  std::vector<std::vector<std::string>> rows;
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "python3 could not read the text";
    return rows;
  }
  std::ifstream out(dir / "out.txt");
  for (std::string line; std::getline(out, line);) {
    rows.emplace_back(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == ' ') {
        rows.back().emplace_back();
      } else if (i + 1 < line.size()) {
        rows.back().back() += char(std::stoi(line.substr(i, 2), nullptr, 16));
        ++i;
      }
    }
  }
  return rows;
}

}  // namespace qv::test
