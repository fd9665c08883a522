// The screen density the X11 backend reports: the Xft.dpi resource desktops
// set, rounded, wherever it stands among the other resources; 96 when it is
// missing or unusable.
#include <gtest/gtest.h>

#include "platform/backend/X11Backend.h"

namespace qv {
namespace {

TEST(X11Dpi, ReadsXftDpiFromTheResourceDatabase) {
  EXPECT_EQ(DpiFromResources(nullptr), 96);
  EXPECT_EQ(DpiFromResources(""), 96);
  EXPECT_EQ(DpiFromResources("Xft.dpi:\t144\n"), 144);
  EXPECT_EQ(DpiFromResources("Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t120.6\nXft.hinting:\t1\n"),
            121);
  EXPECT_EQ(DpiFromResources("Xft.dpi: 192"), 192);
  // Similar names are other resources.
  EXPECT_EQ(DpiFromResources("Xft.dpix:\t144\n*Xft.dpi.old:\t200\n"), 96);
  for (const char* broken : {"Xft.dpi:\n", "Xft.dpi:\tlarge\n", "Xft.dpi:\t-96\n", "Xft.dpi:\t100000\n"})
    EXPECT_EQ(DpiFromResources(broken), 96) << broken;
}

}  // namespace
}  // namespace qv
