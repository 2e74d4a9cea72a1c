#include "forms/raster_gdi.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "forms/gradient.h"
#include "forms/png_writer.h"
#include "forms/recording_gdi.h"

namespace zv {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// The picture as rows of '#' (painted) and '.' (background 0).
std::string Render(const RgbImage& picture) {
  std::string out;
  for (int32_t y = 0; y < picture.height(); ++y) {
    for (int32_t x = 0; x < picture.width(); ++x)
      out += picture.Pixel(x, y) == 0 ? '.' : '#';
    out += '\n';
  }
  return out;
}

TEST(RasterGdiTest, LinesLeaveTheirEndPointOut) {
  struct Case {
    const char* what;
    GdiPoint from, to;
    const char* picture;
  } cases[] = {
      {"horizontal", {1, 1}, {5, 1},
       "......\n.####.\n......\n......\n"},
      {"right to left", {5, 2}, {1, 2},
       "......\n......\n..####\n......\n"},
      {"vertical", {2, 0}, {2, 3},
       "..#...\n..#...\n..#...\n......\n"},
      {"diagonal", {0, 0}, {4, 4},
       "#.....\n.#....\n..#...\n...#..\n"},
      {"shallow", {0, 0}, {6, 3},
       "#.....\n.##...\n...##.\n.....#\n"},
      {"steep upwards", {1, 3}, {2, -1},
       "..#...\n..#...\n.#....\n.#....\n"},
      {"clipped at both ends", {-3, 1}, {10, 1},
       "......\n######\n......\n......\n"},
      {"nothing for one point", {3, 3}, {3, 3},
       "......\n......\n......\n......\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterGdi gdi;
    RasterGdi::Window w = gdi.AddWindow(6, 4, 0);
    GdiHandle pen = gdi.CreatePen(kPenSolid, 1, kWhite);
    ASSERT_NE(gdi.SelectObject(w.hdc, pen), 0);
    ASSERT_TRUE(gdi.MoveToEx(w.hdc, c.from.x, c.from.y, nullptr));
    ASSERT_TRUE(gdi.LineTo(w.hdc, c.to.x, c.to.y));
    EXPECT_EQ(Render(gdi.Picture(w.hwnd)), c.picture);
  }
}

TEST(RasterGdiTest, PensPositionsSelectionAndLocking) {
  RasterGdi gdi;
  RasterGdi::Window w = gdi.AddWindow(4, 2, 0);
  GdiHandle red = gdi.CreatePen(kPenSolid, 1, 0x0000FF);
  GdiHandle blank = gdi.CreatePen(kPenNull, 1, kWhite);
  EXPECT_EQ(gdi.SelectObject(w.hdc, red), RasterGdi::kStockBlackPen);
  EXPECT_FALSE(gdi.DeleteObject(red)) << "a selected pen is kept";
  gdi.MoveToEx(w.hdc, 0, 0, nullptr);
  gdi.LineTo(w.hdc, 2, 0);
  GdiPoint previous;
  EXPECT_TRUE(gdi.MoveToEx(w.hdc, 0, 1, &previous));
  EXPECT_EQ(previous, (GdiPoint{2, 0})) << "LineTo moves to its end point";
  EXPECT_EQ(gdi.SelectObject(w.hdc, blank), red);
  gdi.LineTo(w.hdc, 4, 1);  // a null pen paints nothing
  EXPECT_EQ(Render(gdi.Picture(w.hwnd)), "##..\n....\n");
  EXPECT_EQ(gdi.Picture(w.hwnd).Pixel(0, 0), 0x0000FFu);

  EXPECT_EQ(gdi.SelectObject(w.hdc, RasterGdi::kStockBlackPen), blank);
  EXPECT_TRUE(gdi.DeleteObject(red));
  EXPECT_TRUE(gdi.DeleteObject(blank));
  EXPECT_FALSE(gdi.DeleteObject(blank)) << "already deleted";
  EXPECT_EQ(gdi.live_pens(), 0u);
  EXPECT_EQ(gdi.SelectObject(w.hdc, red), 0) << "a deleted pen";

  RasterGdi::Window other = gdi.AddWindow(3, 3);
  EXPECT_TRUE(gdi.LockWindowUpdate(w.hwnd));
  EXPECT_FALSE(gdi.LockWindowUpdate(other.hwnd)) << "one window at a time";
  EXPECT_TRUE(gdi.LockWindowUpdate(0));
  EXPECT_FALSE(gdi.LockWindowUpdate(0));
}

TEST(SysColorTest, DefaultTableAndNames) {
  RasterGdi gdi;
  EXPECT_EQ(gdi.GetSysColor(kColorBtnFace), 0xC8D0D4u);  // 212, 208, 200
  EXPECT_EQ(gdi.GetSysColor(kColorWindow), 0xFFFFFFu);
  EXPECT_EQ(gdi.GetSysColor(kColorInfoBk), 0xE1FFFFu);
  EXPECT_EQ(gdi.GetSysColor(kColorGradientInactiveCaption), 0xC0C0C0u);
  EXPECT_EQ(gdi.GetSysColor(kSysColorCount), 0u);
  EXPECT_EQ(gdi.GetSysColor(-1), 0u);
  for (int32_t i = 0; i < kSysColorCount; ++i)
    EXPECT_EQ(SysColorIndexByName(SysColorName(i)), i);
  EXPECT_EQ(SysColorIndexByName("buttonface"), kColorBtnFace);
  EXPECT_EQ(SysColorIndexByName("Chartreuse"), -1);
}

TEST(DefaultGdiTest, PaintersUseTheProcessWideDefault) {
  auto recorder = std::make_shared<RecordingGdi>();
  recorder->SetClientRect(7, GdiRect{0, 0, 3, 3});
  SetDefaultGdi(recorder);
  EXPECT_TRUE(CLSPD_GRADIENT().Draw(std::make_shared<WindowObject>(7, 9)));
  SetDefaultGdi(nullptr);
  EXPECT_FALSE(recorder->CallsOf("LineTo").empty());
  // The built-in default has no windows: nothing is painted through it.
  EXPECT_FALSE(CLSPD_GRADIENT().Draw(std::make_shared<WindowObject>(7, 9)));
}

// Paints a gradient from black to red on a green window through the raster
// implementation and returns the picture.
RgbImage PaintOnRaster(float angle, int32_t width, int32_t height,
                       uint32_t background, int32_t from, int32_t to) {
  auto gdi = std::make_shared<RasterGdi>();
  RasterGdi::Window w = gdi->AddWindow(width, height, background);
  CLSPD_GRADIENT g(gdi);
  g.SetColor1(from);
  g.SetColor2(to);
  g.SetAngle(angle);
  EXPECT_TRUE(g.Draw(std::make_shared<WindowObject>(w.hwnd, w.hdc)));
  EXPECT_EQ(gdi->live_pens(), 0u);
  EXPECT_EQ(gdi->locked_window(), 0);
  return gdi->Picture(w.hwnd);
}

TEST(GradientRasterTest, EveryPixelPaintedAndRisingAlongTheDirection) {
  constexpr uint32_t kGreen = 0x00FF00;
  constexpr double kPi = 3.14159265358979323846;
  struct Size {
    int32_t width, height;
  } sizes[] = {{2, 2}, {3, 7}, {64, 48}, {17, 90}};
  std::vector<float> angles;
  for (int a = 0; a < 360; a += 5) angles.push_back(static_cast<float>(a));
  for (float a : {0.5f, 44.9f, 45.1f, 89.9f, 90.1f, 179.9f, 269.9f, 359.9f})
    angles.push_back(a);
  for (const Size& s : sizes) {
    for (float angle : angles) {
      SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height) +
                   " at " + std::to_string(angle));
      RgbImage picture = PaintOnRaster(angle, s.width, s.height, kGreen, 0x000000, 0x0000FF);
      // Position of each pixel along the gradient (y grows downwards) and
      // its red level.
      const double rad = angle * kPi / 180;
      std::vector<std::pair<double, int>> samples;
      for (int32_t y = 0; y < s.height; ++y) {
        for (int32_t x = 0; x < s.width; ++x) {
          uint32_t p = picture.Pixel(x, y);
          ASSERT_EQ(p & 0xFFFF00, 0u) << "unpainted or foreign pixel at " << x << "," << y;
          samples.emplace_back(x * std::cos(rad) - y * std::sin(rad),
                               static_cast<int>(p & 0xFF));
        }
      }
      // A pixel clearly further along is never darker.
      std::sort(samples.begin(), samples.end());
      constexpr double kSlack = 4.0;
      int earlier_max = 0;
      size_t j = 0;
      for (const auto& [u, red] : samples) {
        while (j < samples.size() && samples[j].first < u - kSlack)
          earlier_max = std::max(earlier_max, samples[j++].second);
        ASSERT_GE(red, earlier_max) << "at position " << u;
      }
    }
  }
}

// A PNG read back with libpng.
struct PngPicture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
  uint32_t Pixel(uint32_t x, uint32_t y) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return rgb[i] | (rgb[i + 1] << 8) | (static_cast<uint32_t>(rgb[i + 2]) << 16);
  }
};

bool ReadPng(const std::string& path, PngPicture* out) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  out->width = png.width;
  out->height = png.height;
  out->rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, out->rgb.data(), 0, nullptr)) {
    png_image_free(&png);
    return false;
  }
  return true;
}

std::filesystem::path TestDir() {
  const char* dir = std::getenv("ZV_TEST_TMP");
  std::filesystem::path p = dir != nullptr ? dir : ::testing::TempDir();
  p /= "gradient";
  std::filesystem::create_directories(p);
  return p;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift : {0, 8, 16})
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  return worst;
}

TEST(GradientRasterTest, PngPicturesStartAndEndWithTheirColours) {
  constexpr int32_t kWidth = 64, kHeight = 48;
  constexpr int32_t kFrom = 0x8A3A1E;  // a deep blue
  constexpr int32_t kTo = 0x0B9EF5;    // amber
  struct Case {
    float angle;
    // Two opposite edges: every pixel of the first starts the gradient,
    // every pixel of the second ends it.
    bool vertical_edges;
    int32_t start_edge, end_edge;
    int32_t lines_across;
  } cases[] = {
      {0, true, 0, kWidth - 1, kWidth},
      {90, false, kHeight - 1, 0, kHeight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    RgbImage picture = PaintOnRaster(c.angle, kWidth, kHeight, 0, kFrom, kTo);
    const std::string path =
        (TestDir() / ("angle" + std::to_string(static_cast<int>(c.angle)) + ".png")).string();
    std::string error;
    ASSERT_TRUE(WritePng(picture, path, &error)) << error;

    PngPicture png;
    ASSERT_TRUE(ReadPng(path, &png));
    ASSERT_EQ(png.width, static_cast<uint32_t>(kWidth));
    ASSERT_EQ(png.height, static_cast<uint32_t>(kHeight));
    // The sweep starts on or just outside the start edge and ends just
    // outside the far one, and the blend stops short of the end colour, so
    // the edges are within a few blend increments (1/(lines + 2) of the
    // range each) of their colours.
    const double increment =
        ChannelDistance(kFrom, kTo) / static_cast<double>(c.lines_across + 2);
    const int start_tolerance = static_cast<int>(std::ceil(increment)) + 1;
    const int end_tolerance = static_cast<int>(std::ceil(3 * increment)) + 1;
    const int32_t along = c.vertical_edges ? kHeight : kWidth;
    for (int32_t k = 0; k < along; ++k) {
      const uint32_t start = c.vertical_edges ? png.Pixel(c.start_edge, k)
                                              : png.Pixel(k, c.start_edge);
      const uint32_t end = c.vertical_edges ? png.Pixel(c.end_edge, k)
                                            : png.Pixel(k, c.end_edge);
      ASSERT_LE(ChannelDistance(start, static_cast<uint32_t>(kFrom)), start_tolerance) << k;
      ASSERT_LE(ChannelDistance(end, static_cast<uint32_t>(kTo)), end_tolerance) << k;
    }
  }
}

TEST(PngWriterTest, ReportsFailures) {
  std::string error;
  EXPECT_FALSE(WritePng(RgbImage(), (TestDir() / "empty.png").string(), &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(WritePng(RgbImage(2, 2), (TestDir() / "no/such/dir/x.png").string(), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace zv
