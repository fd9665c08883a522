// One cell of a row of separated text, as the clipboard's plain and wide
// text and CSV carry it: quoted where a reader would otherwise split or
// change it, as it stands everywhere else.
#pragma once
#include <string>

namespace qv {

// A cell that holds the separator or a line break would end early; one that
// holds a double quote would lose it (a reader takes a leading quote for
// quoting and drops it). Such a cell is enclosed in double quotes with its
// inner ones doubled. Appends in place: nothing is allocated but the
// output's own growth.
template <class Char>
void AppendTextCell(std::basic_string<Char>& out, const std::basic_string<Char>& text, Char separator) {
  bool quoted = false;
  for (Char c : text)
    if (c == separator || c == Char('"') || c == Char('\r') || c == Char('\n')) {
      quoted = true;
      break;
    }
  if (!quoted) {
    out += text;
    return;
  }
  out += Char('"');
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(Char('"'), from)) != std::basic_string<Char>::npos; from = at + 1) {
    out.append(text, from, at + 1 - from);
    out += Char('"');
  }
  out.append(text, from);
  out += Char('"');
}

}  // namespace qv
