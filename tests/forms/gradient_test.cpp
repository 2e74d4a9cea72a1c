#include "forms/gradient.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "data/error.h"
#include "forms/recording_gdi.h"
#include "shell/trace.h"

namespace zv {
namespace {

constexpr GdiHandle kWindow = 7;
constexpr GdiHandle kDc = 9;
constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kBlue = 0xFF0000;

struct Line {
  GdiPoint from, to;
  int64_t color;
};

// Late-bound objects lacking what the painter needs.
class HandleOnly : public Dispatch {
 public:
  std::string TypeName() const override { return "Frame"; }
  Variant Get(std::string_view name) override {
    if (NameEquals(name, "hWnd")) return Variant(static_cast<int32_t>(kWindow));
    return Dispatch::Get(name);
  }
};
class NoMembers : public Dispatch {
 public:
  std::string TypeName() const override { return "Label"; }
};

class GradientTest : public ::testing::Test {
 protected:
  // A gradient from red to blue at `angle` on a fresh recorder whose window
  // is width x height.
  std::unique_ptr<CLSPD_GRADIENT> Painter(float angle, int32_t width,
                                          int32_t height) {
    gdi_ = std::make_shared<RecordingGdi>();
    gdi_->SetClientRect(kWindow, GdiRect{0, 0, width, height});
    auto g = std::make_unique<CLSPD_GRADIENT>(gdi_);
    g->SetColor1(kRed);
    g->SetColor2(kBlue);
    g->SetAngle(angle);
    return g;
  }

  // The lines drawn, read back from the MoveToEx / CreatePen / LineTo calls.
  std::vector<Line> DrawnLines() const {
    std::vector<Line> lines;
    Line line{};
    for (const auto& c : gdi_->calls()) {
      GdiPoint p{static_cast<int32_t>(c.args.size() > 1 ? c.args[1] : 0),
                 static_cast<int32_t>(c.args.size() > 2 ? c.args[2] : 0)};
      if (c.name == "MoveToEx") line.from = p;
      if (c.name == "CreatePen") line.color = c.args[2];
      if (c.name == "LineTo") lines.push_back(Line{line.from, p, line.color});
    }
    return lines;
  }

  // The window was locked first and unlocked last; every pen made was
  // selected for one line, selected out again and deleted.
  void ExpectBalancedResources() const {
    const auto& calls = gdi_->calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().name + std::to_string(calls.front().args[0]),
              "LockWindowUpdate7");
    EXPECT_EQ(calls.back().name + std::to_string(calls.back().args[0]),
              "LockWindowUpdate0");
    EXPECT_EQ(gdi_->CallsOf("LockWindowUpdate").size(), 2u);
    size_t pens = gdi_->CallsOf("CreatePen").size();
    EXPECT_EQ(gdi_->CallsOf("DeleteObject").size(), pens);
    EXPECT_EQ(gdi_->CallsOf("LineTo").size(), pens);
    EXPECT_EQ(gdi_->CallsOf("SelectObject").size(), 2 * pens);
    EXPECT_TRUE(gdi_->live_pens().empty());
    EXPECT_EQ(gdi_->SelectedIn(kDc), RecordingGdi::kDefaultPen);
  }

  std::shared_ptr<RecordingGdi> gdi_ = std::make_shared<RecordingGdi>();
  std::shared_ptr<WindowObject> picture_ =
      std::make_shared<WindowObject>(kWindow, kDc);
};

TEST(NormalizeAngleTest, BringsEveryAngleIntoOneTurn) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float in, out;
  } cases[] = {{0, 0},       {360, 0},   {-90, 270},      {720.5f, 0.5f},
               {-360, 0},    {1080, 0},  {359.5f, 359.5f}, {-450, 270},
               {-1e-6f, 0},  {nan, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    CLSPD_GRADIENT g(std::make_shared<RecordingGdi>());
    g.SetAngle(c.in);
    EXPECT_EQ(g.Angle(), c.out);
  }
}

RC_GTEST_PROP(NormalizeAngleTest, AlwaysWithinOneTurn, (float a)) {
  float r = NormalizeAngle(a);
  RC_ASSERT(r >= 0.0f && r < 360.0f);
}

TEST_F(GradientTest, BlendColors) {
  struct Case {
    const char* what;
    int32_t from, to, steps;
    std::vector<int32_t> expected;
  } cases[] = {
      {"no steps", 0x123456, 0x654321, 0, {0x123456, 0x654321}},
      {"one step", 0x123456, 0x654321, 1, {0x123456, 0x654321}},
      {"negative steps", 0x123456, 0x654321, -5, {0x123456, 0x654321}},
      // 255 / 4 = 63.75 per step; 127.5 rounds to the even 128.
      {"black to white", 0x000000, 0xFFFFFF, 4,
       {0x000000, 0x404040, 0x808080, 0xFFFFFF}},
      // Steps of 0.5: 0.5 -> 0, 1.5 -> 2, half to even.
      {"halves to even", 0x000000, 0x000003, 6, {0, 0, 1, 2, 2, 3}},
      // Each channel on its own: red +20, green steady, blue -6.
      {"independent channels", 0x1E140A, 0x00146E, 5,
       {0x1E140A, 0x18141E, 0x121432, 0x0C1446, 0x00146E}},
      // The top bits of an end value take no part in the blend.
      {"top bits ignored", static_cast<int32_t>(0x80000010u), 0x000020, 4,
       {static_cast<int32_t>(0x80000010u), 0x000014, 0x000018, 0x000020}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CLSPD_GRADIENT g(gdi_);
    std::vector<int32_t> colors = {9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(g.BlendColors(c.from, c.to, c.steps, colors),
              static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(colors, c.expected);
  }
}

RC_GTEST_PROP(BlendColorsTest, StopsShortOfTheEndByTwoIncrements,
              (uint32_t a, uint32_t b, uint8_t extra)) {
  const int32_t c1 = static_cast<int32_t>(a & 0xFFFFFF);
  const int32_t c2 = static_cast<int32_t>(b & 0xFFFFFF);
  const int32_t n = 3 + extra;
  CLSPD_GRADIENT g(std::make_shared<RecordingGdi>());
  std::vector<int32_t> colors;
  RC_ASSERT(g.BlendColors(c1, c2, n, colors) == n);
  RC_ASSERT(colors.size() == static_cast<size_t>(n));
  RC_ASSERT(colors.front() == c1 && colors.back() == c2);
  for (int shift : {0, 8, 16}) {
    auto channel = [shift](int32_t c) { return (c >> shift) & 0xFF; };
    const double start = channel(c1), end = channel(c2);
    const double increment = (end - start) / n;
    RC_ASSERT(std::fabs(channel(colors[n - 2]) - (end - 2 * increment)) <= 0.5 + 1e-3);
    for (int32_t i = 1; i < n; ++i)  // steadily from start towards end
      RC_ASSERT((channel(colors[i]) - channel(colors[i - 1])) * (end - start) >= 0);
  }
}

TEST_F(GradientTest, SystemColoursAreResolvedWhenAssigned) {
  gdi_->SetSysColor(kColorWindow, 0xABCDEF);
  gdi_->SetSysColor(kColorInfoBk, 0xE1FFFF);
  struct Case {
    uint32_t assigned;
    int32_t stored;
  } cases[] = {
      {0x80000005u, 0xABCDEF},
      {0x80000018u, 0xE1FFFF},  // index 24, the last
      {0x80000019u, static_cast<int32_t>(0x80000019u)},  // 25: not one
      {0xFFFFFFFFu, -1},
      {0x00000005u, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.assigned);
    CLSPD_GRADIENT g(gdi_);
    g.SetColor1(static_cast<int32_t>(c.assigned));
    g.SetColor2(static_cast<int32_t>(c.assigned));
    EXPECT_EQ(g.Color1(), c.stored);
    EXPECT_EQ(g.Color2(), c.stored);
  }
  // A later change of the user's colours does not reach a stored colour.
  CLSPD_GRADIENT g(gdi_);
  g.SetColor1(static_cast<int32_t>(0x80000005u));
  gdi_->SetSysColor(kColorWindow, 0x010203);
  EXPECT_EQ(g.Color1(), 0xABCDEF);
}

TEST_F(GradientTest, TwoByTwoWindowFullCallSequence) {
  auto g = Painter(0, 2, 2);
  EXPECT_TRUE(g->Draw(picture_));
  // Four vertical lines from x = 0 to one past the right edge, blended
  // over round(8 points / 2) = 4 colours.
  const int64_t colors[] = {0x0000FF, 0x4000BF, 0x800080, 0xFF0000};
  std::string expected = "LockWindowUpdate(7) -> 1\nGetClientRect(7) -> 1\n";
  for (int x = 0; x < 4; ++x) {
    const std::string pen = std::to_string(0x1000 + x), sx = std::to_string(x);
    expected += "MoveToEx(9, " + sx + ", 3) -> 1\n" +
                "CreatePen(0, 1, " + std::to_string(colors[x]) + ") -> " + pen +
                "\nSelectObject(9, " + pen + ") -> 80\n" +
                "LineTo(9, " + sx + ", -1) -> 1\n" +
                "SelectObject(9, 80) -> " + pen + "\n" +
                "DeleteObject(" + pen + ") -> 1\n";
  }
  expected += "LockWindowUpdate(0) -> 1\n";
  EXPECT_EQ(gdi_->Transcript(), expected);
}

TEST_F(GradientTest, QuadrantBoundaries) {
  // A 4 x 3 window: centre (2, 1.5), base half-length (sqrt(32) + 2) / 2.
  struct Case {
    float angle;
    GdiPoint first_from, first_to, step;
    size_t lines;
  } cases[] = {
      {0, {0, 5}, {0, -2}, {1, 0}, 6},      // x = 0 .. 5
      {90, {6, 3}, {-2, 3}, {0, -1}, 5},    // y = 3 .. -1
      {180, {4, -2}, {4, 5}, {-1, 0}, 6},   // x = 4 .. -1
      {270, {-2, 0}, {6, 0}, {0, 1}, 5},    // y = 0 .. 4
      {360, {0, 5}, {0, -2}, {1, 0}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    auto g = Painter(c.angle, 4, 3);
    EXPECT_TRUE(g->Draw(picture_));
    std::vector<Line> lines = DrawnLines();
    ASSERT_EQ(lines.size(), c.lines);
    for (size_t i = 0; i < lines.size(); ++i) {
      const int32_t k = static_cast<int32_t>(i);
      const GdiPoint shift{k * c.step.x, k * c.step.y};
      EXPECT_EQ(lines[i].from, (GdiPoint{c.first_from.x + shift.x, c.first_from.y + shift.y}));
      EXPECT_EQ(lines[i].to, (GdiPoint{c.first_to.x + shift.x, c.first_to.y + shift.y}));
    }
    // One colour per line: Color1 first, Color2 last.
    EXPECT_EQ(lines.front().color, kRed);
    EXPECT_EQ(lines.back().color, kBlue);
    ExpectBalancedResources();
  }
}

TEST_F(GradientTest, SweepBetweenBoundaries) {
  // On a 40 x 30 window: the step between lines, the first line touching
  // the Color1 edge from outside, and the sweep ending once a line lies
  // beyond the far edge.
  struct Case {
    float angle;
    int32_t dx, dy;
  } cases[] = {{30, 1, 0},     {45, 1, 0},    {60, 0, -1},   {89.5f, 0, -1},
               {90.5f, 0, -1}, {120, 0, -1},  {135, -1, 0},  {179.5f, -1, 0},
               {225, -1, 0},   {240, 0, 1},   {269.5f, 0, 1}, {270.5f, 0, 1},
               {300, 0, 1},    {315, 1, 0},   {359.5f, 1, 0}, {-30, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    auto g = Painter(c.angle, 40, 30);
    EXPECT_TRUE(g->Draw(picture_));
    std::vector<Line> lines = DrawnLines();
    ASSERT_GE(lines.size(), 2u);
    for (size_t i = 1; i < lines.size(); ++i) {
      ASSERT_EQ(lines[i].from, (GdiPoint{lines[i - 1].from.x + c.dx, lines[i - 1].from.y + c.dy}));
      ASSERT_EQ(lines[i].to, (GdiPoint{lines[i - 1].to.x + c.dx, lines[i - 1].to.y + c.dy}));
    }
    // Position of a point along the sweep, 0 at the start edge.
    auto along = [&](GdiPoint p) {
      return c.dx > 0 ? p.x : c.dx < 0 ? 40 - p.x : c.dy < 0 ? 30 - p.y : p.y;
    };
    const int32_t far = c.dx != 0 ? 40 : 30;
    const Line& first = lines.front();
    EXPECT_EQ(std::max(along(first.from), along(first.to)), 0);
    const Line& last = lines.back();
    const Line& before_last = lines[lines.size() - 2];
    EXPECT_GT(std::max(along(last.from), along(last.to)), far);
    EXPECT_FALSE(along(before_last.from) > far && along(before_last.to) > far);
    EXPECT_EQ(first.color, kRed);
    ExpectBalancedResources();
  }
}

TEST_F(GradientTest, LineCountFollowsTheWindow) {
  // Left to right the lines run from x = 0 to x = width + 1; the point list
  // grows past its first thousand points for the wider windows.
  for (int32_t width : {3, 17, 999, 1500}) {
    SCOPED_TRACE(width);
    auto g = Painter(0, width, 5);
    EXPECT_TRUE(g->Draw(picture_));
    std::vector<Line> lines = DrawnLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(width + 2));
    EXPECT_EQ(lines.back().from.x, width + 1);
    EXPECT_EQ(lines.back().color, kBlue);
    ExpectBalancedResources();
  }
}

TEST_F(GradientTest, WindowsThatAreNotPainted) {
  struct Case {
    const char* what;
    int32_t width, height;
    bool rect_fails;
  } cases[] = {{"1 x 1", 1, 1, false}, {"1 x 5", 1, 5, false},
               {"5 x 1", 5, 1, false}, {"unreadable", 50, 50, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto g = Painter(0, c.width, c.height);
    if (c.rect_fails) gdi_->Fail("GetClientRect");
    EXPECT_FALSE(g->Draw(picture_));
    EXPECT_EQ(gdi_->Transcript(),
              "LockWindowUpdate(7) -> 1\nGetClientRect(7) -> " +
                  std::string(c.rect_fails ? "0" : "1") +
                  "\nLockWindowUpdate(0) -> 1\n");
  }
}

TEST_F(GradientTest, FailuresAreTrappedAndTheWindowUnlocked) {
  auto g = Painter(0, 10, 10);
  EXPECT_FALSE(g->Draw(std::make_shared<HandleOnly>()));
  EXPECT_EQ(gdi_->Transcript(),
            "LockWindowUpdate(7) -> 1\nGetClientRect(7) -> 1\n"
            "LockWindowUpdate(0) -> 1\n");
  gdi_->ClearCalls();
  EXPECT_FALSE(g->Draw(std::make_shared<NoMembers>()));
  EXPECT_FALSE(g->Draw(nullptr));
  EXPECT_EQ(gdi_->Transcript(),
            "LockWindowUpdate(0) -> 0\nLockWindowUpdate(0) -> 0\n");
}

TEST_F(GradientTest, LateBoundMembers) {
  auto g = Painter(0, 4, 4);
  g->Put("color1", Variant(int32_t{0x00FF00}));
  g->Put("COLOR2", Variant("16711680"));
  g->Put("Angle", Variant(int32_t{-90}));
  EXPECT_EQ(g->Get("Color1"), Variant(int32_t{0x00FF00}));
  EXPECT_EQ(g->Get("color2"), Variant(int32_t{kBlue}));
  EXPECT_EQ(g->Get("angle"), Variant(270.0f));

  std::vector<Variant> args = {Variant(0), Variant(0xFFFFFF), Variant(4), Variant()};
  EXPECT_EQ(g->Invoke("blendcolors", args), Variant(int32_t{4}));
  ASSERT_TRUE(args[3].IsArray());
  ASSERT_EQ(args[3].ToArray()->items.size(), 4u);
  EXPECT_EQ(args[3].ToArray()->items[1], Variant(int32_t{0x404040}));
  std::vector<Variant> draw_args = {Variant(std::shared_ptr<Dispatch>(picture_))};
  EXPECT_EQ(g->Invoke("Draw", draw_args), Variant(true));

  auto error_of = [](auto&& f) {
    try {
      f();
    } catch (const PlatformError& e) {
      return e.number();
    }
    return 0;
  };
  std::vector<Variant> two_args = {Variant(1), Variant(2)};
  EXPECT_EQ(error_of([&] { g->Get("Colour1"); }), err::kNotSupportedMember);
  EXPECT_EQ(error_of([&] { g->Put("Color1", Variant("red")); }), err::kTypeMismatch);
  EXPECT_EQ(error_of([&] { g->Invoke("BlendColors", two_args); }),
            err::kArgumentNotOptional);
  EXPECT_EQ(g->Color1(), 0x00FF00);
}

TEST(GradientTraceTest, CreationAndDestructionLines) {
  std::vector<std::string> lines;
  SetDebugSink([&](std::string_view line) { lines.emplace_back(line); });
  { CLSPD_GRADIENT g(std::make_shared<RecordingGdi>()); }
  SetDebugSink(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  const std::string id = lines[0].substr(6, 32);
  EXPECT_EQ(lines[0], "ZQVE:|" + id + "|INI|ZURE_VESTARO|CLSPD_GRADIENT");
  EXPECT_EQ(lines[1], "ZQVE:|" + id + "|TER|ZURE_VESTARO|CLSPD_GRADIENT");
}

}  // namespace
}  // namespace zv
