// TSkHtml: hint text with a few tags (B, I, FONT with SIZE, COLOR and FACE,
// BR and P) laid out and drawn on a bitmap's canvas, line by line; lines end
// only at BR and P.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"

namespace qv {

class TSkHtml {
 public:
  void Init(TBitmap* Bitmap, const std::string& Text, const RECT& R);
  // Draws the whole text from the start point; R becomes (0, 0, widest line, total height).
  void Render(RECT& R);
  int Alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre (recorded only)

 private:
  void Output(size_t from, size_t to);
  void NewLine();
  void ProcessTag(const std::string& Tag);
  void ApplyAttributes(const std::string& Tag, bool Paragraph);
  TCanvas* Canvas() { return bitmap_->Canvas(); }

  TBitmap* bitmap_ = nullptr;
  int curX_ = 0, curY_ = 0;
  std::string text_, upText_;
  std::vector<std::unique_ptr<TFont>> fonts_;
  RECT area_;
  int maxX_ = 0, totalHeight_ = 0, lineEnd_ = 0, lineHeight_ = 0;
  int alignment_ = 0;
};

// The colour of a COLOR attribute: "#" and hex digits or a colour name
// (values in the platform's 0x00BBGGRR form); -1 when the digits are bad.
TColor HtmlColor(const std::string& Word);

}  // namespace qv
