// Text for another program comes from the data object's CF_UNICODETEXT (or
// CF_TEXT, which holds UTF-8 here), read in pieces when the object renders
// them (IPieceText), else rendered whole on the first read. Rows are offered
// as files only when every row is an absolute path of something that exists:
// a list of names that merely look like paths stays text. That is decided
// row by row from the start, so rows of text cost one small piece, read
// from the text the caller makes anyway.
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

// The whole text, rendered on the first read and handed out from memory.
class WholeTextReader : public TextReader {
 public:
  explicit WholeTextReader(ComPtr<IDataObject> data) : data_(std::move(data)) {}
  bool Next(std::string& out, size_t bytes) override {
    if (data_) {
      text_ = TextOf(data_.Get());
      data_.Reset();
    }
    if (at_ >= text_.size()) return false;
    size_t n = std::min(std::max<size_t>(bytes, 1), text_.size() - at_);
    out.append(text_, at_, n);
    at_ += n;
    return true;
  }

 private:
  ComPtr<IDataObject> data_;
  std::string text_;
  size_t at_ = 0;
};

std::unique_ptr<TextReader> OpenText(const ComPtr<IDataObject>& data) {
  if (auto pieces = data.As<IPieceText>())
    if (auto reader = pieces->ReadText()) return reader;
  return std::make_unique<WholeTextReader>(data);
}

// The rows of a text, one at a time, read in pieces (a row may span them).
class RowReader {
 public:
  explicit RowReader(std::unique_ptr<TextReader> text) : text_(std::move(text)) {}
  // The next row without its line end (empty rows are skipped); false at the end.
  bool Next(std::string& row, size_t piece) {
    for (;;) {
      size_t end = buffer_.find('\n', at_);
      if (end == std::string::npos && text_ && !text_->Next(Compact(), piece)) text_.reset();
      if (end == std::string::npos && text_) continue;
      if (end == std::string::npos) end = buffer_.size();
      if (at_ >= buffer_.size()) return false;
      row.assign(buffer_, at_, end - at_);
      at_ = end + 1;
      if (!row.empty() && row.back() == '\r') row.pop_back();
      if (!row.empty()) return true;
    }
  }

 private:
  std::string& Compact() {
    buffer_.erase(0, std::min(at_, buffer_.size()));
    at_ = 0;
    return buffer_;
  }
  std::unique_ptr<TextReader> text_;
  std::string buffer_;
  size_t at_ = 0;
};

// The rows of a text as a URI list: a file URI and CRLF per row.
class UriListReader : public TextReader {
 public:
  explicit UriListReader(std::unique_ptr<TextReader> text) : rows_(std::move(text)) {}
  bool Next(std::string& out, size_t bytes) override {
    size_t start = out.size();
    std::string row;
    while (out.size() - start < std::max<size_t>(bytes, 1) && rows_.Next(row, bytes))
      out += FileUri(row) + "\r\n";
    return out.size() > start;
  }

 private:
  RowReader rows_;
};

// True when there are rows and every one is an existing file; stops at the
// first that is not.
bool RowsAreFiles(std::unique_ptr<TextReader> text) {
  constexpr size_t kPiece = 4096;  // text rows are told apart by the first of them
  RowReader rows(std::move(text));
  std::string row;
  bool any = false;
  while (rows.Next(row, kPiece)) {
    if (!Exists(row)) return false;
    any = true;
  }
  return any;
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
  if (!data) return offer;
  ComPtr<IDataObject> held(data);
  offer.files = RowsAreFiles;
  offer.open = [held](bool uris) -> std::unique_ptr<TextReader> {
    std::unique_ptr<TextReader> text = OpenText(held);
    if (uris) return std::make_unique<UriListReader>(std::move(text));
    return text;
  };
  return offer;
}

}  // namespace qv
