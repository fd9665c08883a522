// The text layout behind DrawText. Positions are whole pixels; a line's width
// is the sum of its characters' advances (tabs jump to the next stop), which is
// exactly what the renderer advances by.
#include "platform/text/TextLayout.h"

#include <algorithm>

namespace qv {
namespace {

constexpr std::u16string_view kEllipsis = u"...";

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

// One code point at s[i], advancing i; an unpaired surrogate is itself.
char32_t Next(std::u16string_view s, std::size_t& i) {
  char32_t c = s[i++];
  if (IsHighSurrogate(c) && i < s.size() && IsLowSurrogate(s[i]))
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return c;
}

// Width measurement with the tab stops in force.
class Widths {
 public:
  Widths(TextMeasurer& m, bool expandTabs, int tabWidth) : m_(m), expandTabs_(expandTabs), tab_(tabWidth) {}
  int Advance(int x, char32_t cp) const {
    if (cp == U'\t' && expandTabs_) return (x / tab_ + 1) * tab_;
    return x + m_.CharWidth(cp);
  }
  int Of(std::u16string_view s, int x = 0) const {
    for (std::size_t i = 0; i < s.size();) x = Advance(x, Next(s, i));
    return x;
  }
  // The longest prefix (in code units, whole code points) no wider than limit.
  std::size_t Fit(std::u16string_view s, int limit) const {
    int x = 0;
    std::size_t i = 0;
    while (i < s.size()) {
      std::size_t j = i;
      x = Advance(x, Next(s, j));
      if (x > limit) break;
      i = j;
    }
    return i;
  }

 private:
  TextMeasurer& m_;
  bool expandTabs_;
  int tab_;
};

struct Piece {
  std::u16string Text;
  int Underline = -1;  // code unit of the prefixed character
};

// "&x" marks x as the mnemonic, "&&" is a literal ampersand.
Piece StripPrefixes(std::u16string_view s) {
  Piece p;
  p.Text.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'&') {
      p.Text += s[i];
    } else if (i + 1 < s.size()) {
      ++i;
      if (s[i] != u'&' && p.Underline < 0) p.Underline = int(p.Text.size());
      p.Text += s[i];
    }
  }
  return p;
}

// Splits at CR LF, CR, LF and the line separator.
std::vector<std::u16string_view> SplitParagraphs(std::u16string_view text) {
  std::vector<std::u16string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c != u'\r' && c != u'\n' && c != 0x2028) continue;
    out.push_back(text.substr(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

// Word wrapping: a line breaks at the last blank before the text overflows;
// a word wider than the line breaks between characters.
void Wrap(const Piece& para, int width, const Widths& w, std::vector<Piece>& out) {
  std::u16string_view s = para.Text;
  auto emit = [&](std::size_t from, std::size_t to) {
    Piece p{std::u16string(s.substr(from, to - from))};
    if (para.Underline >= int(from) && para.Underline < int(to)) p.Underline = para.Underline - int(from);
    out.push_back(std::move(p));
  };
  std::size_t start = 0;
  do {
    int x = 0;
    std::size_t i = start, breakAt = std::u16string_view::npos, resume = 0;
    bool inBlank = false, broke = false;
    while (i < s.size()) {
      if (IsBlank(s[i])) {
        if (!inBlank && i > start) breakAt = i;
        inBlank = true;
        x = w.Advance(x, s[i++]);
        resume = i;
        continue;
      }
      inBlank = false;
      std::size_t j = i;
      int nx = w.Advance(x, Next(s, j));
      if (nx > width && i > start) {
        std::size_t end = breakAt != std::u16string_view::npos ? breakAt : i;
        emit(start, end);
        start = breakAt != std::u16string_view::npos ? resume : i;
        broke = true;
        break;
      }
      x = nx;
      i = j;
    }
    if (!broke) {
      emit(start, s.size());
      return;
    }
  } while (start < s.size());
}

// Cuts the text to a prefix that leaves room for "..." and appends it.
void EndEllipsis(Piece& p, int width, const Widths& w, bool atWord) {
  const int room = width - w.Of(kEllipsis);
  if (room < 0) {
    p.Text = std::u16string(kEllipsis.substr(0, w.Fit(kEllipsis, width)));
    p.Underline = -1;
    return;
  }
  std::size_t keep = w.Fit(p.Text, room);
  if (atWord && keep < p.Text.size() && !IsBlank(p.Text[keep])) {
    std::size_t k = keep;
    while (k > 0 && !IsBlank(p.Text[k - 1])) --k;
    if (k > 0) keep = k;  // a single overlong word is cut between characters
  }
  while (keep > 0 && IsBlank(p.Text[keep - 1])) --keep;
  p.Text.resize(keep);
  p.Text += kEllipsis;
  if (p.Underline >= int(keep)) p.Underline = -1;
}

// Keeps the last path element and as much of the start as fits.
void PathEllipsis(Piece& p, int width, const Widths& w) {
  std::size_t sep = p.Text.find_last_of(u"/\\");
  if (sep == std::u16string::npos) return EndEllipsis(p, width, w, false);
  std::u16string tail = p.Text.substr(sep);
  int room = width - w.Of(kEllipsis) - w.Of(tail);
  if (room < 0) {
    Piece t{std::u16string(kEllipsis) + tail};
    EndEllipsis(t, width, w, false);
    p = std::move(t);
    return;
  }
  std::size_t keep = w.Fit(std::u16string_view(p.Text).substr(0, sep), room);
  int ul = p.Underline;
  p.Underline = ul < int(keep) ? ul : ul >= int(sep) ? ul - int(sep) + int(keep + kEllipsis.size()) : -1;
  p.Text = p.Text.substr(0, keep) + std::u16string(kEllipsis) + tail;
}

// True when the text was shortened.
bool Shorten(Piece& p, int width, UINT format, const Widths& w, bool force) {
  if (!force && w.Of(p.Text) <= width) return false;
  if (format & DT_PATH_ELLIPSIS)
    PathEllipsis(p, width, w);
  else
    EndEllipsis(p, width, w, (format & DT_WORD_ELLIPSIS) != 0);
  return true;
}

// Lines become runs (split at expanded tabs) at their aligned position.
TextLine Place(const Piece& p, int top, int left, int right, UINT format, const Widths& w, bool expandTabs,
               TextMeasurer& m) {
  TextLine line;
  line.Top = top;
  line.Width = w.Of(p.Text);
  line.Left = (format & DT_CENTER)  ? left + (right - left - line.Width) / 2
              : (format & DT_RIGHT) ? right - line.Width
                                    : left;
  std::u16string_view s = p.Text;
  std::size_t start = 0;
  int x = 0, runX = 0;
  for (std::size_t i = 0; i < s.size();) {
    if (p.Underline == int(i)) {
      line.UnderlineLeft = line.Left + x;
      std::size_t j = i;
      line.UnderlineRight = line.UnderlineLeft + m.CharWidth(Next(s, j));
    }
    std::size_t j = i;
    char32_t cp = Next(s, j);
    if (cp == U'\t' && expandTabs) {
      if (i > start) line.Runs.push_back({line.Left + runX, std::u16string(s.substr(start, i - start))});
      start = j;
      runX = w.Advance(x, cp);
    }
    x = w.Advance(x, cp);
    i = j;
  }
  if (start < s.size()) line.Runs.push_back({line.Left + runX, std::u16string(s.substr(start))});
  return line;
}

}  // namespace

TextLayout LayOutText(std::u16string_view text, const RECT& rect, const TextLayoutOptions& options,
                      TextMeasurer& measurer) {
  UINT format = options.Format;
  int tabChars = options.TabLength > 0 ? options.TabLength : 8;
  if (format & DT_TABSTOP) {  // the second byte is the tab length, not flags
    int chars = int((format >> 8) & 0xFF);
    if (options.TabLength <= 0 && chars > 0) tabChars = chars;
    format &= ~UINT(0xFF00);
  }
  const bool expandTabs = format & DT_EXPANDTABS, single = format & DT_SINGLELINE;
  const bool calc = format & DT_CALCRECT;
  const Widths w(measurer, expandTabs, std::max(1, tabChars * std::max(1, measurer.AveCharWidth())));
  const int left = rect.left + options.LeftMargin, right = rect.right - options.RightMargin;
  const int width = std::max(0, right - left);

  TextLayout out;
  out.LineHeight = measurer.Height() + ((format & DT_EXTERNALLEADING) ? measurer.ExternalLeading() : 0);
  out.Clip = !(format & DT_NOCLIP);
  out.DrawGlyphs = !(format & DT_PREFIXONLY);

  std::vector<Piece> lines;
  auto addParagraph = [&](std::u16string_view para) {
    Piece p = (format & DT_NOPREFIX) ? Piece{std::u16string(para)} : StripPrefixes(para);
    if (format & DT_HIDEPREFIX) p.Underline = -1;
    if ((format & DT_WORDBREAK) && !single)
      Wrap(p, width, w, lines);
    else
      lines.push_back(std::move(p));
  };
  if (single) {
    if (!text.empty()) addParagraph(text);
  } else {
    for (std::u16string_view para : SplitParagraphs(text)) addParagraph(para);
  }

  const bool ellipsis = format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);
  // An edit control shows no partly visible last line; with an ellipsis the
  // last line shown says that more follows.
  if ((format & DT_EDITCONTROL) && !single && !calc && lines.size() > 1) {
    std::size_t fit = std::max<std::size_t>(
        1, std::size_t(std::max(0, rect.bottom - rect.top) / std::max(1, out.LineHeight)));
    if (fit < lines.size()) {
      lines.resize(fit);
      if (ellipsis) {
        Shorten(lines.back(), width, format & ~DT_PATH_ELLIPSIS, w, true);
        out.Ellipsized = true;
      }
    }
  }
  if (ellipsis)
    for (Piece& p : lines) out.Ellipsized |= Shorten(p, width, format, w, false);

  int top = rect.top;
  if (single && (format & DT_VCENTER)) top = (rect.top + rect.bottom - out.LineHeight) / 2;
  if (single && (format & DT_BOTTOM)) top = rect.bottom - out.LineHeight;
  int widest = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out.Lines.push_back(
        Place(lines[i], top + int(i) * out.LineHeight, left, right, format, w, expandTabs, measurer));
    widest = std::max(widest, out.Lines.back().Width);
  }
  if (!lines.empty() && out.Ellipsized) out.Shown = lines.front().Text;
  out.Height = int(lines.size()) * out.LineHeight;
  if (single && !calc && (format & (DT_VCENTER | DT_BOTTOM)) && !lines.empty())
    out.Height = top - rect.top + out.LineHeight;
  out.Bounds = RECT{rect.left, rect.top, rect.left + options.LeftMargin + widest + options.RightMargin,
                    rect.top + int(lines.size()) * out.LineHeight};
  return out;
}

}  // namespace qv
