// Text for another program comes from the data object's CF_UNICODETEXT (or
// CF_TEXT, which holds UTF-8 here). Rows are offered as files only when every
// row is an absolute path of something that exists: a list of names that
// merely look like paths stays text.
#include "platform/ole/DragOffer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"

namespace qv {
namespace {

// The text of a format as UTF-8, converted straight from the medium (a
// million rows are tens of megabytes: no copy more than needed); empty when
// the object does not render it. Wide text is UTF-16, narrow text UTF-8.
std::string Rendered(IDataObject* data, CLIPFORMAT format) {
  FORMATETC f;
  f.cfFormat = format;
  STGMEDIUM m;
  if (!data || FAILED(data->GetData(&f, &m))) return {};
  std::string text;
  if (m.tymed == TYMED_HGLOBAL)
    if (auto* p = static_cast<const char*>(GlobalLock(m.hGlobal))) {
      size_t size = GlobalSize(m.hGlobal);
      if (format == CF_UNICODETEXT) {
        std::u16string wide(size / 2, u'\0');
        std::memcpy(wide.data(), p, wide.size() * 2);  // the units as the medium holds them
        text = Utf16ToUtf8(std::u16string_view(wide).substr(0, wide.find(u'\0')));
      } else {
        text.assign(p, std::find(p, p + size, '\0'));
      }
      GlobalUnlock(m.hGlobal);
    }
  ReleaseStgMedium(&m);
  return text;
}

std::string TextOf(IDataObject* data) {
  std::string text = Rendered(data, CF_UNICODETEXT);
  return text.empty() ? Rendered(data, CF_TEXT) : text;
}

bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && path[0] == '/' && stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string FileUri(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char ch : path) {
    bool plain = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                 ch == '-' || ch == '.' || ch == '_' || ch == '~' || ch == '/';
    if (plain) {
      out += char(ch);
    } else {
      out += '%';
      out += hex[ch >> 4];
      out += hex[ch & 15];
    }
  }
  return out;
}

std::vector<uint8_t> MakeDropFiles(const std::vector<std::string>& paths) {
  std::vector<uint8_t> out(20, 0);
  out[0] = 20;  // where the names start
  out[16] = 1;  // wide names
  auto put = [&](char16_t ch) {
    out.push_back(uint8_t(ch & 0xFF));
    out.push_back(uint8_t(ch >> 8));
  };
  for (const std::string& path : paths) {
    for (char16_t ch : Utf8ToUtf16(path)) put(ch);
    put(0);
  }
  put(0);
  return out;
}

std::vector<std::string> FilesOfDrop(const uint8_t* block, size_t size) {
  std::vector<std::string> paths;
  if (!block || size < 20) return paths;
  auto u32 = [&](size_t at) {
    return uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 |
           uint32_t(block[at + 3]) << 24;
  };
  size_t at = u32(0);
  if (at < 20 || at > size || u32(16) == 0) return paths;  // only wide names are made here
  std::u16string name;
  for (; at + 1 < size; at += 2) {
    char16_t ch = char16_t(block[at] | block[at + 1] << 8);
    if (ch) {
      name += ch;
      continue;
    }
    if (name.empty()) break;  // the second NUL ends the list
    paths.push_back(Utf16ToUtf8(name));
    name.clear();
  }
  return paths;
}

ForeignDragOffer MakeForeignOffer(IDataObject* data) {
  ForeignDragOffer offer;
  offer.text = TextOf(data);
  std::vector<std::string> uris;
  size_t start = 0;
  while (start < offer.text.size()) {
    size_t end = offer.text.find('\n', start);
    if (end == std::string::npos) end = offer.text.size();
    std::string line = offer.text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!Exists(line)) return offer;  // not a list of files
    uris.push_back(FileUri(line));
  }
  offer.uris = std::move(uris);
  return offer;
}

}  // namespace qv
