// Tagged hint text.
#include "skin/skHtmlParse.h"

#include <algorithm>

#include "classlib/SysUtils.h"
#include "skin/skUtils.h"

namespace qv {

void TSkHtml::Init(TBitmap* Bitmap, const std::string& Text, const RECT& R) {
  bitmap_ = Bitmap;
  text_ = Text;
  upText_ = UpperCase(Text);
  area_ = R;
  curX_ = R.left, curY_ = R.top;
  maxX_ = totalHeight_ = lineEnd_ = lineHeight_ = 0;
  alignment_ = 0;
}

void TSkHtml::Output(size_t from, size_t to) {
  if (to <= from) return;
  std::string run;
  for (size_t i = from; i < to && i < text_.size(); ++i)
    if (text_[i] != '\n' && text_[i] != '\r') run += text_[i];
  if (run.empty()) return;
  TCanvas* c = Canvas();
  c->TextOut(curX_, curY_, run);
  curX_ += c->TextWidth(run);
  lineEnd_ = curX_;
  lineHeight_ = std::max(lineHeight_, c->TextHeight("X"));
}

void TSkHtml::NewLine() {
  curX_ = area_.left;
  curY_ += lineHeight_ + 2;
  maxX_ = std::max(maxX_, lineEnd_);
  lineEnd_ = 0;
  lineHeight_ = 0;
}

void TSkHtml::Render(RECT& R) {
  R = RECT{0, 0, 100, 0};
  if (!bitmap_) return;
  Canvas()->Brush()->SetStyle(bsClear);
  size_t start = 0, i = 0;
  const size_t len = upText_.size();
  while (true) {
    if (i >= len) {
      Output(start, i);
      maxX_ = std::max(maxX_, lineEnd_);
      lineEnd_ = 0;
      totalHeight_ = curY_ + lineHeight_;
      break;
    }
    if (upText_[i] != '<') {
      ++i;
      continue;
    }
    if (i + 1 < len && upText_[i + 1] == '<') {
      Output(start, i);
      start = i + 1;  // the second "<" starts the next run
      i += 2;
      continue;
    }
    Output(start, i);
    size_t close = upText_.find('>', i);
    if (close == std::string::npos) break;  // an open tag ends the text here
    const std::string tag = upText_.substr(i, close - i + 1);
    ProcessTag(tag);
    start = i = close + 1;
  }
  R = RECT{0, 0, maxX_, totalHeight_};
}

namespace {
bool Opens(const std::string& tag, const char* name) {
  return tag.find(name) == 1;
}
bool Closes(const std::string& tag, const char* name) {
  return tag.size() > 1 && tag[1] == '/' && tag.find(name) == 2;
}
}  // namespace

void TSkHtml::ProcessTag(const std::string& Tag) {
  TFont* f = Canvas()->Font();
  if (Closes(Tag, "B")) {
    TFontStyles s = f->Style();
    s.Exclude(fsBold);
    f->SetStyle(s);
  } else if (Closes(Tag, "I")) {
    TFontStyles s = f->Style();
    s.Exclude(fsItalic);
    f->SetStyle(s);
  } else if (Closes(Tag, "FONT")) {
    if (!fonts_.empty()) {
      f->Assign(fonts_.back().get());
      fonts_.pop_back();
    }
  } else if (Tag.size() > 1 && Tag[1] == '/') {
    // other closing tags are dropped
  } else if (Opens(Tag, "BR")) {
    NewLine();
  } else if (Opens(Tag, "B")) {
    TFontStyles s = f->Style();
    s.Include(fsBold);
    f->SetStyle(s);
  } else if (Opens(Tag, "I")) {
    TFontStyles s = f->Style();
    s.Include(fsItalic);
    f->SetStyle(s);
  } else if (Opens(Tag, "P")) {
    NewLine();
    ApplyAttributes(Tag, true);
  } else if (Opens(Tag, "FONT")) {
    auto saved = std::make_unique<TFont>();
    saved->Assign(f);
    fonts_.push_back(std::move(saved));
    ApplyAttributes(Tag, false);
  }
}

TColor HtmlColor(const std::string& Word) {
  static const std::pair<const char*, TColor> names[] = {
      {"AQUA", 0xFFFF00},   {"BLACK", 0x000000}, {"BLUE", 0xFF0000},   {"FUCHSIA", 0xFF00FF},
      {"GRAY", 0x808080},   {"GREEN", 0x008000}, {"LIME", 0x00FF00},   {"MAROON", 0x000080},
      {"NAVY", 0x800000},   {"OLIVE", 0x008080}, {"PURPLE", 0x800080}, {"RED", 0x0000FF},
      {"SILVER", 0xC0C0C0}, {"TEAL", 0x808000},  {"WHITE", 0xFFFFFF},  {"YELLOW", 0x00FFFF}};
  std::string w = Word;
  if (!w.empty() && w[0] == '#') {
    w = w.substr(1);
  } else {
    for (const auto& [n, c] : names)
      if (w == n) return c;
  }
  if (w.empty() || w.size() > 8) return -1;
  uint32_t v = 0;
  for (char ch : w) {
    if (ch >= '0' && ch <= '9')
      v = v * 16 + uint32_t(ch - '0');
    else if (ch >= 'A' && ch <= 'F')
      v = v * 16 + uint32_t(ch - 'A' + 10);
    else
      return -1;
  }
  return TColor(v);
}

void TSkHtml::ApplyAttributes(const std::string& Tag, bool Paragraph) {
  const std::string delims = "\n\r \"<=>";
  TFont* f = Canvas()->Font();
  const int n = WordCount(Tag, delims);
  for (int k = 1; k <= n; ++k) {
    const std::string w = ExtractWord(k, Tag, delims);
    if (w == "SIZE" && k < n) {
      const std::string v = ExtractWord(k + 1, Tag, delims);
      // A size that is no number is ignored rather than failing the whole hint.
      const bool rel = !v.empty() && (v[0] == '-' || v[0] == '+');
      const int num = StrToIntDef(rel ? v.substr(1) : v, -1);
      if (num < 0 || (rel && v.size() < 2)) continue;
      if (!rel)
        f->SetSize(num);
      else
        f->SetSize(std::max(1, f->Size() + (v[0] == '-' ? -num : num)));
    } else if (w == "COLOR" && k < n) {
      f->SetColor(HtmlColor(ExtractWord(k + 1, Tag, delims)));
    } else if (w == "FACE") {
      const size_t at = Tag.find("FACE");
      const size_t q1 = Tag.find('"', at);
      const size_t q2 = q1 == std::string::npos ? q1 : Tag.find('"', q1 + 1);
      if (q2 != std::string::npos && q2 > q1 + 1) f->SetName(Tag.substr(q1 + 1, q2 - q1 - 1));
    } else if (Paragraph && w == "ALIGN" && k < n) {
      const std::string a = ExtractWord(k + 1, Tag, delims);
      if (a == "CENTER")
        alignment_ = 2;
      else if (a == "LEFT")
        alignment_ = 0;
      else if (a == "RIGHT")
        alignment_ = 1;
    }
  }
}

}  // namespace qv
