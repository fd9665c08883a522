// Draws the program's own images into resources/app/ as PNG files: the action
// strip, the page, category, console and browser strips, the wizard picture,
// the database symbol and the program icon. Run by hand when a drawing
// changes (the PNG files are kept in the source tree and compiled in):
//   qv_make_app_images <source>/resources/app
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/Surface.h"
#include "platform/image/Png.h"

namespace {

using qv::PixelRGB;
using qv::Surface;

constexpr uint32_t kClear = 0;

uint32_t Rgb(int r, int g, int b) {
  return PixelRGB(uint8_t(r), uint8_t(g), uint8_t(b));
}

// A pen on one cell of a strip: every coordinate is relative to the cell.
struct Cell {
  Surface& s;
  int ox, oy, w, h;

  void Dot(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) s.Set(ox + x, oy + y, c);
  }
  void Fill(int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Dot(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, uint32_t c) {
    for (int x = x0; x <= x1; ++x) Dot(x, y0, c), Dot(x, y1, c);
    for (int y = y0; y <= y1; ++y) Dot(x0, y, c), Dot(x1, y, c);
  }
  void Box(int x0, int y0, int x1, int y1, uint32_t fill, uint32_t edge) {
    Fill(x0, y0, x1, y1, fill);
    Frame(x0, y0, x1, y1, edge);
  }
  void Line(int x0, int y0, int x1, int y1, uint32_t c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    for (int err = dx + dy;;) {
      Dot(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  // A disc of radius r around (cx, cy) in half-pixel units, with a rim.
  void Round(double cx, double cy, double r, uint32_t fill, uint32_t rim) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        if (d <= r - 1)
          Dot(x, y, fill);
        else if (d <= r)
          Dot(x, y, rim);
      }
  }
  // A 3x5 glyph from five rows of three bits, top row first.
  void Glyph(int x, int y, const char* rows, uint32_t c, int scale = 1) {
    for (int r = 0; r < 5; ++r)
      for (int b = 0; b < 3; ++b)
        if (rows[r * 3 + b] == '#')
          Fill(x + b * scale, y + r * scale, x + b * scale + scale - 1, y + r * scale + scale - 1, c);
  }
};

const uint32_t kInk = Rgb(40, 40, 48), kWhite = Rgb(255, 255, 255), kPaper = Rgb(250, 250, 240);
const uint32_t kBlue = Rgb(40, 96, 200), kRed = Rgb(200, 40, 40), kGreen = Rgb(40, 150, 60);
const uint32_t kYellow = Rgb(245, 200, 40), kFolder = Rgb(236, 190, 80), kFolderEdge = Rgb(150, 110, 30);
const uint32_t kSilver = Rgb(200, 206, 216), kSilverEdge = Rgb(110, 118, 132);

// 3x5 glyphs, rows of three.
const char kGlyphQ[] = "##...#.#.....#.";
const char kGlyphI[] = ".#.....#..#..#.";

// Shapes shared by several images.
void Disc(Cell c, int x = 0, int y = 0, int size = 14) {
  double r = size / 2.0;
  Cell in{c.s, c.ox + x, c.oy + y, size + 1, size + 1};
  in.Round(r, r, r, kSilver, kSilverEdge);
  in.Round(r, r, r * 0.55, Rgb(170, 200, 235), Rgb(140, 160, 190));
  in.Round(r, r, 1.6, kWhite, kSilverEdge);
}
void Page(Cell c, int x0, int y0, int x1, int y1, uint32_t fill = kPaper) {
  c.Box(x0, y0, x1, y1, fill, kInk);
  for (int y = y0 + 3; y < y1 - 1; y += 2) c.Line(x0 + 2, y, x1 - 2, y, Rgb(150, 150, 170));
}
void Folder(Cell c, bool open = false, int dx = 0, int dy = 0) {
  c.Box(1 + dx, 3 + dy, 6 + dx, 5 + dy, kFolder, kFolderEdge);
  c.Box(1 + dx, 5 + dy, 14 + dx, 13 + dy, kFolder, kFolderEdge);
  if (open) {
    for (int y = 8; y <= 13; ++y)
      c.Line(3 + dx + (13 - y) / 2, y + dy, 15 + dx - (13 - y) / 3, y + dy, Rgb(250, 215, 120));
    c.Line(3 + dx, 13 + dy, 15 + dx, 13 + dy, kFolderEdge);
    c.Line(5 + dx, 8 + dy, 15 + dx, 8 + dy, kFolderEdge);
  }
}
void Cylinder(Cell c, int x0, int y0, int x1, int y1, uint32_t fill, uint32_t edge) {
  int ry = std::max(1, (y1 - y0) / 6);
  c.Fill(x0, y0 + ry, x1, y1 - ry, fill);
  double cx = (x0 + x1 + 1) / 2.0, rx = (x1 - x0 + 1) / 2.0;
  for (int x = x0; x <= x1; ++x) {
    double t = (x + 0.5 - cx) / rx;
    int d = int(std::lround(ry * std::sqrt(std::max(0.0, 1 - t * t))));
    c.Fill(x, y1 - ry, x, y1 - ry + d, fill);
    c.Dot(x, y1 - ry + d, edge);
    c.Fill(x, y0 + ry - d, x, y0 + ry + d, Rgb(225, 236, 250));
    c.Dot(x, y0 + ry - d, edge), c.Dot(x, y0 + ry + d, edge);
  }
  c.Line(x0, y0 + ry, x0, y1 - ry, edge);
  c.Line(x1, y0 + ry, x1, y1 - ry, edge);
}
void Plus(Cell c, int x, int y, uint32_t col = kGreen) {
  c.Fill(x, y + 2, x + 6, y + 4, kWhite);
  c.Fill(x + 2, y, x + 4, y + 6, kWhite);
  c.Line(x + 1, y + 3, x + 5, y + 3, col);
  c.Line(x + 3, y + 1, x + 3, y + 5, col);
}
void Cross(Cell c, int x, int y, uint32_t col = kRed) {
  for (int i = 0; i < 6; ++i) {
    c.Dot(x + i, y + i, col), c.Dot(x + i + 1, y + i, col);
    c.Dot(x + 5 - i, y + i, col), c.Dot(x + 6 - i, y + i, col);
  }
}
void Pencil(Cell c, int x, int y) {
  for (int i = 0; i < 7; ++i) {
    c.Dot(x + i + 1, y + 6 - i, kYellow), c.Dot(x + i + 2, y + 6 - i, kYellow);
    c.Dot(x + i + 1, y + 7 - i, kFolderEdge);
  }
  c.Dot(x, y + 7, kInk);
}
void Tag(Cell c, uint32_t fill) {
  for (int y = 2; y <= 12; ++y) {
    int inset = std::abs(y - 7) > 3 ? std::abs(y - 7) - 3 : 0;
    c.Line(1, y, 11 - inset, y, fill);
    c.Dot(11 - inset, y, kInk);
  }
  c.Line(1, 2, 8, 2, kInk), c.Line(1, 12, 8, 12, kInk), c.Line(1, 2, 1, 12, kInk);
  c.Round(4.5, 7.5, 1.5, kWhite, kInk);
}
void Magnifier(Cell c, int x = 0, int y = 0) {
  Cell in{c.s, c.ox + x, c.oy + y, 16, 16};
  in.Round(6, 6, 5, Rgb(200, 230, 255), kInk);
  for (int i = 0; i < 5; ++i) in.Fill(9 + i, 9 + i, 10 + i, 10 + i, Rgb(120, 70, 30));
}
void ArrowRight(Cell c, int x, int y, uint32_t col) {
  c.Fill(x, y + 2, x + 4, y + 4, col);
  for (int i = 0; i < 4; ++i) c.Line(x + 4 + i, y + i, x + 4 + i, y + 6 - i, col);
}
void Book(Cell c, uint32_t cover) {
  c.Box(2, 1, 13, 14, cover, kInk);
  c.Fill(4, 2, 4, 13, Rgb(0, 0, 0));
  c.Box(6, 4, 11, 6, kPaper, kInk);
}
void Gear(Cell c) {
  c.Round(8, 8, 7, Rgb(150, 150, 160), kInk);
  for (int i = 0; i < 8; ++i) {
    double a = i * M_PI / 4;
    c.Dot(int(8 + 6.8 * std::cos(a)), int(8 + 6.8 * std::sin(a)), kClear);
  }
  c.Round(8, 8, 2.5, kWhite, kInk);
}
void Floppy(Cell c) {
  c.Box(1, 1, 14, 14, Rgb(50, 80, 160), kInk);
  c.Box(4, 1, 11, 6, kSilver, kInk);
  c.Box(3, 9, 12, 14, kPaper, kInk);
}
void Octagon(Cell c, uint32_t fill) {
  c.Round(8, 8, 7.5, fill, Rgb(110, 0, 0));
  c.Fill(4, 7, 11, 8, kWhite);
}
void Triangle(Cell c, uint32_t fill) {
  for (int y = 1; y <= 14; ++y) {
    int half = (y - 1) / 2;
    c.Line(7 - half, y, 8 + half, y, fill);
    c.Dot(7 - half, y, kInk), c.Dot(8 + half, y, kInk);
  }
  c.Line(1, 14, 14, 14, kInk);
  c.Fill(7, 5, 8, 10, kInk), c.Fill(7, 12, 8, 13, kInk);
}
void Sign(Cell c, uint32_t fill, const char* glyph) {
  c.Round(8, 8, 7.5, fill, Rgb(20, 40, 110));
  c.Glyph(5, 3, glyph, kWhite, 2);
}

using Drawing = std::function<void(Cell)>;

Surface Strip(const std::vector<Drawing>& cells, int count) {
  Surface s(16 * count, 16, kClear);
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i]) cells[i](Cell{s, int(i) * 16, 0, 16, 16});
  return s;
}

// The order is the action image index (app/forms/Images.h).
std::vector<Drawing> ActionDrawings() {
  return {
      [](Cell c) { Disc(c), Plus(c, 9, 9); },                                  // add disc
      [](Cell c) { Cylinder(c, 1, 1, 11, 14, kGreen, kInk), Plus(c, 9, 1); },  // new database
      [](Cell c) { Folder(c, true); },                                         // open database
      [](Cell c) { Octagon(c, kRed); },                                        // stop
      [](Cell c) { Magnifier(c); },                                            // search
      [](Cell c) { Gear(c); },                                                 // settings
      [](Cell c) { Sign(c, kBlue, kGlyphQ); },                                 // help
      [](Cell c) { Disc(c), Cross(c, 8, 9); },                                 // delete disc
      [](Cell c) { Disc(c), Pencil(c, 7, 7); },                                // disc properties
      [](Cell c) { Sign(c, kGreen, kGlyphI); },                                // about
      [](Cell c) { Book(c, Rgb(60, 140, 90)); },                               // how to
      [](Cell c) { Page(c, 1, 1, 9, 11), Page(c, 6, 4, 14, 14); },             // copy console
      [](Cell c) { Page(c, 2, 1, 12, 14), Cross(c, 8, 9); },                   // clear console
      [](Cell c) { Cylinder(c, 1, 1, 11, 14, kBlue, kInk), Cross(c, 8, 9); },  // clear database
      [](Cell c) { Tag(c, kYellow), Plus(c, 9, 9); },                          // add category
      [](Cell c) { Tag(c, kYellow), Pencil(c, 7, 7); },                        // rename category
      [](Cell c) { Tag(c, kYellow), Cross(c, 8, 9); },                         // delete category
      [](Cell c) { Disc(c, 0, 0, 11), Folder(c, false, 0, 2); },               // browse disc
      [](Cell c) {
        Folder(c), ArrowRight(c, 7, 8, kBlue), Cylinder(c, 0, 0, 5, 6, kGreen, kInk);
      },                          // compare
      [](Cell c) { Floppy(c); },  // save report
      [](Cell c) { Page(c, 1, 1, 9, 11, Rgb(230, 240, 255)), Page(c, 6, 4, 14, 14, Rgb(230, 240, 255)); },
      [](Cell c) { Page(c, 2, 1, 12, 14, Rgb(230, 240, 255)), Cross(c, 8, 9); },  // clear report
      [](Cell c) { Disc(c, 0, 0, 11), ArrowRight(c, 7, 8, kGreen); },             // open in browser
      [](Cell c) { Folder(c), ArrowRight(c, 6, 7, kBlue); },                      // open in file manager
      [](Cell c) { Folder(c, true), ArrowRight(c, 6, 7, kGreen); },               // open folder from browser
      [](Cell c) { Book(c, kBlue), c.Glyph(6, 8, kGlyphQ, kWhite); },             // contents
  };
}

std::vector<Drawing> PageDrawings() {
  return {[](Cell c) { Disc(c); }, [](Cell c) { Magnifier(c); }, [](Cell c) { Folder(c, true); },
          [](Cell c) { Page(c, 2, 1, 13, 14); }};
}

void DiscStack(Cell c, bool selected) {
  uint32_t rim = selected ? kBlue : kSilverEdge;
  for (int i = 0; i < 3; ++i)
    c.Box(1, 9 - 3 * i, 14, 11 - 3 * i, selected ? Rgb(190, 215, 250) : kSilver, rim);
  c.Box(1, 12, 14, 14, selected ? Rgb(190, 215, 250) : kSilver, rim);
}

std::vector<Drawing> CategoryDrawings() {
  return {[](Cell c) { DiscStack(c, false); }, [](Cell c) { DiscStack(c, true); },
          [](Cell c) { Tag(c, kYellow); }, [](Cell c) { Tag(c, Rgb(255, 150, 60)); }};
}

std::vector<Drawing> ConsoleDrawings() {
  return {[](Cell c) { Sign(c, kBlue, kGlyphI); }, [](Cell c) { Triangle(c, kYellow); },
          [](Cell c) { c.Round(8, 8, 7.5, kRed, Rgb(110, 0, 0)), Cross(c, 4, 5, kWhite); },
          [](Cell c) { Octagon(c, Rgb(120, 0, 60)), Cross(c, 4, 5, kWhite); }};
}

std::vector<Drawing> BrowserDrawings() {
  return {
      [](Cell c) { Tag(c, kYellow); },            // category
      [](Cell c) { Tag(c, Rgb(255, 150, 60)); },  // category open
      [](Cell c) { Disc(c); },                    // disc, root
      [](Cell c) { Folder(c); },                  // folder
      [](Cell c) { Folder(c, true); },            // folder open
      [](Cell c) { Page(c, 3, 1, 12, 14); },      // file
      [](Cell c) {
        Cell in = c;
        in.Round(7.5, 7.5, 7, kWhite, kSilverEdge);
      },            // empty disc
      [](Cell c) {  // up
        Folder(c);
        for (int i = 0; i < 4; ++i) c.Line(8 - i, 4 + i, 8 + i, 4 + i, kGreen);
        c.Fill(7, 8, 9, 12, kGreen);
      },
  };
}

Surface Wizard() {
  const int w = 140, h = 260;
  Surface s(w, h, kClear);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, Rgb(30 + y * 60 / h, 70 + y * 80 / h, 150 + y * 80 / h));
  Cell c{s, 0, 0, w, h};
  for (int i = 0; i < 3; ++i) {
    double cx = 70 - i * 14, cy = 100 + i * 40, r = 46 - i * 6;
    c.Round(cx, cy, r, kSilver, kSilverEdge);
    c.Round(cx, cy, r * 0.6, Rgb(170, 200, 235), Rgb(140, 160, 190));
    c.Round(cx, cy, 6, Rgb(60, 110, 175), kSilverEdge);
  }
  c.Fill(0, h - 6, w - 1, h - 1, Rgb(20, 40, 90));
  return s;
}

Surface Database() {
  Surface s(48, 48, kClear);
  Cell c{s, 0, 0, 48, 48};
  Cylinder(c, 6, 2, 41, 45, Rgb(70, 130, 210), kInk);
  for (int y = 16; y < 44; y += 10) c.Line(7, y, 40, y, Rgb(40, 90, 170));
  return s;
}

Surface Icon() {
  Surface s(48, 48, kClear);
  Cell c{s, 0, 0, 48, 48};
  c.Round(21, 21, 20, kSilver, kSilverEdge);
  c.Round(21, 21, 12, Rgb(170, 200, 235), Rgb(140, 160, 190));
  c.Round(21, 21, 4, kWhite, kSilverEdge);
  c.Round(32, 32, 10, Rgb(200, 230, 255), kInk);
  c.Round(32, 32, 8, Rgb(220, 240, 255), Rgb(60, 100, 160));
  for (int i = 0; i < 8; ++i) c.Fill(38 + i, 38 + i, 41 + i, 41 + i, Rgb(120, 70, 30));
  return s;
}

bool Write(const std::string& folder, const char* name, const Surface& s) {
  std::string path = folder + "/" + name + ".png";
  if (qv::WritePngFile(path, s, true)) return true;
  std::fprintf(stderr, "qv_make_app_images: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: qv_make_app_images FOLDER\n"), 2;
  std::string dir = argv[1];
  bool ok = Write(dir, "actions", Strip(ActionDrawings(), 40)) &&
            Write(dir, "pages", Strip(PageDrawings(), 4)) &&
            Write(dir, "categories", Strip(CategoryDrawings(), 4)) &&
            Write(dir, "console", Strip(ConsoleDrawings(), 4)) &&
            Write(dir, "browser", Strip(BrowserDrawings(), 8)) && Write(dir, "wizard", Wizard()) &&
            Write(dir, "database", Database()) && Write(dir, "quirvane", Icon());
  return ok ? 0 : 1;
}
