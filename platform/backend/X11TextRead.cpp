// The text types we read from other programs' selections (the clipboard,
// drops), each that we offer ourselves: UTF8_STRING and
// text/plain;charset=utf-8, TEXT, and STRING (Latin-1), and how an answer
// of each type becomes text.
#include <X11/Xatom.h>

#include <algorithm>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

std::u16string Latin1ToUtf16(const std::string& bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char ch : bytes) out += char16_t(ch);
  return out;
}

}  // namespace

std::vector<Atom> ReadableTextTypes(const Connection& c) {
  return {c.atoms.utf8String, c.dnd.textPlainUtf8, c.atoms.text, XA_STRING};
}

bool IsReadableText(const Connection& c, Atom type) {
  const std::vector<Atom> types = ReadableTextTypes(c);
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool DecodeText(const Connection& c, Atom type, const std::string& bytes, std::u16string& out) {
  if (type == c.atoms.utf8String || type == c.dnd.textPlainUtf8 || type == c.dnd.textPlain) {
    out = Utf8ToUtf16(bytes);
    return true;
  }
  // Compound text starts in Latin-1 and leaves it only by an escape
  // sequence: without one (what owners make of Latin-1 text) it is Latin-1.
  bool latin1 =
      type == XA_STRING || (type == c.atoms.compoundText && bytes.find('\x1b') == std::string::npos);
  if (latin1) out = Latin1ToUtf16(bytes);
  return latin1;
}

}  // namespace qv::x11
