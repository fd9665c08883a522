// System colours, metrics and parameters: the classic scheme's values the
// drawing code relies on, the encoding of system colours, and the screen and
// work area the backend sets.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv {
namespace {

TEST(SystemSettingsTest, ClassicColoursAndTheirEncoding) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(64, 64, 64));
  EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  // Text must stand out from the backgrounds it is drawn on.
  EXPECT_NE(GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_NE(GetSysColor(COLOR_CAPTIONTEXT), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_NE(GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(SYS_COLOR_COUNT), 0u);

  EXPECT_EQ(uint32_t(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(uint32_t(clMenuBar), 0x8000001Eu);
  EXPECT_EQ(uint32_t(clInfoBk), 0x80000018u);
  for (int i = 0; i < SYS_COLOR_COUNT; ++i)
    EXPECT_EQ(ColorToRGB(SystemColor(i)), TColor(GetSysColor(i))) << i;
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
}

TEST(SystemSettingsTest, MetricsFollowTheScreenTheBackendSets) {
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 18);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXSIZEFRAME), 4);
  EXPECT_EQ(GetSystemMetrics(SM_CXFIXEDFRAME), 3);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CMOUSEBUTTONS), 3);
  EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
  EXPECT_EQ(GetSystemMetrics(SM_MOUSEWHEELPRESENT), 1);
  EXPECT_EQ(GetSystemMetrics(9999), 0);
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  EXPECT_EQ(GetCaretBlinkTime(), 530u);
  EXPECT_EQ(LOWORD(GetDialogBaseUnits()), 6);
  EXPECT_EQ(HIWORD(GetDialogBaseUnits()), 13);

  SetScreenMetrics(800, 600);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 600);
  RECT work;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, (RECT{0, 0, 800, 600}));
  RECT panel{0, 0, 800, 570};
  ASSERT_TRUE(SystemParametersInfo(SPI_SETWORKAREA, 0, &panel, 0));
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, panel);
  // A maximized window covers the work area with its frame outside it.
  EXPECT_EQ(GetSystemMetrics(SM_CYMAXIMIZED), 570 + 2 * GetSystemMetrics(SM_CYFRAME));
  RECT inverted{10, 10, 0, 0};
  EXPECT_FALSE(SystemParametersInfo(SPI_SETWORKAREA, 0, &inverted, 0));
  SetScreenMetrics(1024, 768);  // also resets the work area
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, (RECT{0, 0, 1024, 768}));
}

// On a screen of twice the density the parts a user reads or aims at (bars,
// buttons, check marks) and the system's fonts are twice as large; the
// lines of borders and edges are not. Without a source the screen is 96 dpi.
TEST(SystemSettingsTest, PartsAndFontsGrowWithTheScreenDensity) {
  static int dpi = 96;
  SetScreenDpiSource([] { return dpi; });
  NONCLIENTMETRICSW normal;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof normal, &normal, 0));
  const int scroll = GetSystemMetrics(SM_CXVSCROLL), menu = GetSystemMetrics(SM_CYMENU),
            check = GetSystemMetrics(SM_CXMENUCHECK), edge = GetSystemMetrics(SM_CXEDGE);
  dpi = 192;
  NONCLIENTMETRICSW dense;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof dense, &dense, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 2 * scroll);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 2 * menu);
  EXPECT_EQ(GetSystemMetrics(SM_CXMENUCHECK), 2 * check);
  EXPECT_EQ(dense.iScrollWidth, 2 * normal.iScrollWidth);
  EXPECT_EQ(dense.iMenuHeight, 2 * normal.iMenuHeight);
  EXPECT_EQ(dense.lfMenuFont.lfHeight, 2 * normal.lfMenuFont.lfHeight);
  EXPECT_EQ(dense.lfMessageFont.lfHeight, 2 * normal.lfMessageFont.lfHeight);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), edge);
  EXPECT_EQ(ScaleToScreen(7), 14);
  dpi = 120;  // a quarter more, rounded to the nearest pixel
  EXPECT_EQ(ScaleToScreen(10), 13);
  EXPECT_EQ(ScaleToScreen(-10), -13);
  dpi = 0;  // nothing usable: 96
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), scroll);
  SetScreenDpiSource(nullptr);
  EXPECT_EQ(ScreenDpi(), 96);
}

TEST(SystemSettingsTest, ParametersAnswerScalarsAndRecords) {
  auto get = [](UINT action) {
    UINT v = 0xDEADBEEF;
    EXPECT_TRUE(SystemParametersInfo(action, 0, &v, 0)) << action;
    return v;
  };
  EXPECT_EQ(get(SPI_GETWHEELSCROLLLINES), 3u);
  EXPECT_EQ(get(SPI_GETMOUSEHOVERTIME), 400u);
  EXPECT_EQ(get(SPI_GETMOUSEHOVERWIDTH), 4u);
  EXPECT_EQ(get(SPI_GETFLATMENU), UINT(FALSE));
  EXPECT_EQ(get(SPI_GETGRADIENTCAPTIONS), UINT(TRUE));
  for (UINT anim : {SPI_GETMENUANIMATION, SPI_GETCOMBOBOXANIMATION, SPI_GETTOOLTIPANIMATION})
    EXPECT_EQ(get(anim), UINT(FALSE)) << anim;
  EXPECT_FALSE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, nullptr, 0));
  UINT unused = 0;
  EXPECT_FALSE(SystemParametersInfo(0x7777, 0, &unused, 0));

  HIGHCONTRASTW hc;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0));
  EXPECT_EQ(hc.dwFlags & HCF_HIGHCONTRASTON, 0u);

  NONCLIENTMETRICSW ncm;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &ncm, 0));
  EXPECT_EQ(ncm.iScrollWidth, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(ncm.iMenuHeight + 1, GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(ncm.lfMessageFont.lfHeight, -11);
  EXPECT_EQ(ncm.lfCaptionFont.lfWeight, FW_BOLD);
  EXPECT_EQ(std::u16string(ncm.lfMenuFont.lfFaceName), u"Tahoma");
  // The older, shorter record is filled without touching what follows it.
  NONCLIENTMETRICSW old;
  old.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  old.iPaddedBorderWidth = 77;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &old, 0));
  EXPECT_EQ(old.iPaddedBorderWidth, 77);
  EXPECT_EQ(old.iCaptionHeight, ncm.iCaptionHeight);
  ncm.cbSize = 12;
  EXPECT_FALSE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &ncm, 0));
}

}  // namespace
}  // namespace qv
