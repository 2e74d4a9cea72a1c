#include "forms/gradient.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "data/error.h"

namespace zv {
namespace {

// Degrees to radians as the painter has always converted them (a hair
// below pi / 180).
constexpr double kRadiansPerDegree = 0.017453292519943278;

// A colour value naming one of the first 25 system colours: the top bit
// set and the index in the low 31 bits.
constexpr int32_t kSystemColorLimit = 25;

// Points are kept in room for this many more at a time.
constexpr size_t kPointChunk = 1000;

int32_t ToPointCoordinate(double v) {
  double r = RoundHalfEven(v);
  if (!(r >= std::numeric_limits<int32_t>::min() &&
        r <= std::numeric_limits<int32_t>::max()))
    Raise(err::kOverflow);
  return static_cast<int32_t>(r);
}

int32_t AddCoordinate(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  if (sum < std::numeric_limits<int32_t>::min() ||
      sum > std::numeric_limits<int32_t>::max())
    Raise(err::kOverflow);
  return static_cast<int32_t>(sum);
}

void RequireArgs(std::span<Variant> args, size_t count) {
  if (args.size() < count) Raise(err::kArgumentNotOptional);
}

}  // namespace

float NormalizeAngle(float a) {
  if (!std::isfinite(a)) return 0.0f;
  float turns = std::floor(a / 360.0f);
  float r = a - 360.0f * turns;
  if (r >= 0.0f && r < 360.0f) return r;
  // Single precision lands outside the turn for angles a hair below a
  // multiple of 360 and for magnitudes whose turn count it cannot hold;
  // those take the exact remainder.
  double exact = std::fmod(static_cast<double>(a), 360.0);
  if (exact < 0) exact += 360.0;
  r = static_cast<float>(exact);
  return r >= 360.0f ? 0.0f : r;
}

double RoundHalfEven(double x) {
  double whole = std::floor(x);
  double frac = x - whole;
  if (frac > 0.5) return whole + 1;
  if (frac < 0.5) return whole;
  return std::fmod(whole, 2.0) == 0.0 ? whole : whole + 1;
}

CLSPD_GRADIENT::CLSPD_GRADIENT() : gdi_(DefaultGdi()) {}

CLSPD_GRADIENT::CLSPD_GRADIENT(std::shared_ptr<Gdi> gdi)
    : gdi_(gdi ? std::move(gdi) : DefaultGdi()) {}

void CLSPD_GRADIENT::SetGdi(std::shared_ptr<Gdi> gdi) {
  gdi_ = gdi ? std::move(gdi) : DefaultGdi();
}

int32_t CLSPD_GRADIENT::ResolveColor(int32_t value) {
  if (value < 0) {
    int32_t index = value & 0x7FFFFFFF;
    if (index < kSystemColorLimit)
      return static_cast<int32_t>(gdi_->GetSysColor(index));
  }
  return value;
}

void CLSPD_GRADIENT::SetColor1(int32_t value) { color1_ = ResolveColor(value); }

void CLSPD_GRADIENT::SetColor2(int32_t value) { color2_ = ResolveColor(value); }

void CLSPD_GRADIENT::SetAngle(float value) { angle_ = NormalizeAngle(value); }

int32_t CLSPD_GRADIENT::Blend(int32_t color1, int32_t color2, int32_t steps,
                              std::vector<int32_t>& colors) {
  const int32_t n = std::max(steps, 2);
  const uint32_t c1 = static_cast<uint32_t>(color1);
  const uint32_t c2 = static_cast<uint32_t>(color2);
  const int32_t red1 = static_cast<int32_t>(c1 & 0xFF);
  const int32_t green1 = static_cast<int32_t>((c1 >> 8) & 0xFF);
  const int32_t blue1 = static_cast<int32_t>((c1 >> 16) & 0xFF);
  const int32_t red2 = static_cast<int32_t>(c2 & 0xFF);
  const int32_t green2 = static_cast<int32_t>((c2 >> 8) & 0xFF);
  const int32_t blue2 = static_cast<int32_t>((c2 >> 16) & 0xFF);
  // Single-precision increments over n steps (n is at least 2, so there is
  // never a division by zero); each inner colour is start + i * increment
  // per channel, rounded half to even.
  const float fn = static_cast<float>(n);
  const float red_step = static_cast<float>(red2 - red1) / fn;
  const float green_step = static_cast<float>(green2 - green1) / fn;
  const float blue_step = static_cast<float>(blue2 - blue1) / fn;

  colors.assign(static_cast<size_t>(n), 0);
  colors[0] = color1;
  colors[static_cast<size_t>(n) - 1] = color2;
  for (int32_t i = 1; i <= n - 2; ++i) {
    const double di = i;
    const int32_t blue = static_cast<int32_t>(RoundHalfEven(blue1 + di * blue_step));
    const int32_t green = static_cast<int32_t>(RoundHalfEven(green1 + di * green_step));
    const int32_t red = static_cast<int32_t>(RoundHalfEven(red1 + di * red_step));
    colors[static_cast<size_t>(i)] = blue * 65536 + green * 256 + red;
  }
  return n;
}

int32_t CLSPD_GRADIENT::BlendColors(int32_t lColor1, int32_t lColor2,
                                    int32_t lSteps,
                                    std::vector<int32_t>& laRetColors) {
  try {
    return Blend(lColor1, lColor2, lSteps, laRetColors);
  } catch (...) {
    laRetColors.clear();
    return 0;
  }
}

CLSPD_GRADIENT::PointF CLSPD_GRADIENT::Rotate(PointF p, PointF centre,
                                              float angle) {
  const double r = angle * kRadiansPerDegree;
  const float dx = p.x - centre.x;
  const float dy = p.y - centre.y;
  const double s = std::sin(r);
  const double c = std::cos(r);
  PointF out;
  out.x = static_cast<float>(dy * s + dx * c + centre.x);
  out.y = static_cast<float>(-(dx * s - dy * c) + centre.y);
  return out;
}

int64_t CLSPD_GRADIENT::PaintGradient(GdiHandle hdc, int32_t width,
                                      int32_t height) {
  // A base segment through the centre, perpendicular to the gradient and
  // longer than any line across the window.
  const PointF centre{static_cast<float>(width / 2.0),
                      static_cast<float>(height / 2.0)};
  const double d = std::max(width, height);
  const float radius = static_cast<float>((std::sqrt(d * d + d * d) + 2) / 2);
  const float base_angle = NormalizeAngle(angle_ + 90.0f);
  const PointF p0 =
      Rotate(PointF{centre.x - radius, centre.y}, centre, base_angle);
  const PointF p1 =
      Rotate(PointF{centre.x + radius, centre.y}, centre, base_angle);

  // Move it just outside the window on the side where Color1 starts, and
  // choose the one-pixel step that sweeps it across: sideways when the
  // segment is mostly vertical, up or down otherwise.
  const bool mostly_vertical = std::floor(std::fabs(p0.y - p1.y)) >=
                               std::floor(std::fabs(p0.x - p1.x));
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  float x_off = 0, y_off = 0;
  int32_t dx = 0, dy = 0;
  const bool from_left = angle_ <= 90.0f || angle_ > 270.0f;
  const bool from_bottom = angle_ <= 180.0f;
  if (mostly_vertical) {
    if (from_left) {
      x_off = -std::max(p0.x, p1.x);
      dx = 1;
    } else {
      x_off = w - std::min(p0.x, p1.x);
      dx = -1;
    }
  } else if (from_bottom) {
    y_off = h - std::min(p0.y, p1.y);
    dy = -1;
  } else {
    y_off = -std::max(p0.y, p1.y);
    dy = 1;
  }

  // The end points of every line, two per line, each pair one step past
  // the one before, until a whole line lies beyond the far edge.
  auto beyond_far_edge = [&](const GdiPoint& p) {
    if (dx > 0) return p.x > width;
    if (dx < 0) return p.x < 0;
    if (dy > 0) return p.y > height;
    return p.y < 0;
  };
  std::vector<GdiPoint> points(kPointChunk);
  points[0] = GdiPoint{ToPointCoordinate(p0.x + x_off),
                       ToPointCoordinate(p0.y + y_off)};
  points[1] = GdiPoint{ToPointCoordinate(p1.x + x_off),
                       ToPointCoordinate(p1.y + y_off)};
  size_t n = 2;
  do {
    if (n % kPointChunk == 0) points.resize(n + kPointChunk);
    points[n] = GdiPoint{AddCoordinate(points[n - 2].x, dx),
                         AddCoordinate(points[n - 2].y, dy)};
    ++n;
  } while (!(beyond_far_edge(points[n - 2]) && beyond_far_edge(points[n - 1])));
  points.resize(n);

  if (n / 2 > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    Raise(err::kOverflow);
  std::vector<int32_t> colors;
  Blend(color1_, color2_,
        static_cast<int32_t>(RoundHalfEven(static_cast<double>(n) / 2.0)),
        colors);

  // One pen per line, selected for the line only and deleted after it.
  const int64_t last = static_cast<int64_t>(n) - 2;
  int64_t i = 0;
  for (; i <= last; i += 2) {
    const GdiPoint& from = points[static_cast<size_t>(i)];
    const GdiPoint& to = points[static_cast<size_t>(i) + 1];
    gdi_->MoveToEx(hdc, from.x, from.y, nullptr);
    const uint32_t color = static_cast<uint32_t>(colors[static_cast<size_t>(i / 2)]);
    const GdiHandle pen = gdi_->CreatePen(kPenSolid, 1, color);
    const GdiHandle previous = gdi_->SelectObject(hdc, pen);
    gdi_->LineTo(hdc, to.x, to.y);
    gdi_->SelectObject(hdc, previous);
    gdi_->DeleteObject(pen);
  }
  return i;
}

bool CLSPD_GRADIENT::Draw(const std::shared_ptr<Dispatch>& picObj) {
  bool drawn = false;
  try {
    if (!picObj) Raise(err::kObjectVariableNotSet);
    const GdiHandle hwnd = picObj->Get("hWnd").ToLongLong();
    gdi_->LockWindowUpdate(hwnd);
    GdiRect rect;
    if (gdi_->GetClientRect(hwnd, &rect)) {
      const int64_t width = static_cast<int64_t>(rect.right) - rect.left;
      const int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
      if (width >= 2 && height >= 2) {
        if (width > std::numeric_limits<int32_t>::max() ||
            height > std::numeric_limits<int32_t>::max())
          Raise(err::kOverflow);
        const GdiHandle hdc = picObj->Get("hDC").ToLongLong();
        drawn = PaintGradient(hdc, static_cast<int32_t>(width),
                              static_cast<int32_t>(height)) >= 1;
      }
    }
  } catch (...) {
    drawn = false;
  }
  try {
    gdi_->LockWindowUpdate(0);
  } catch (...) {
    // Unlocking is best effort; the painting result stands.
  }
  return drawn;
}

Variant CLSPD_GRADIENT::Get(std::string_view name) {
  if (NameEquals(name, "Color1")) return Variant(color1_);
  if (NameEquals(name, "Color2")) return Variant(color2_);
  if (NameEquals(name, "Angle")) return Variant(angle_);
  return Dispatch::Get(name);
}

void CLSPD_GRADIENT::Put(std::string_view name, const Variant& value) {
  if (NameEquals(name, "Color1")) {
    SetColor1(value.ToLong());
  } else if (NameEquals(name, "Color2")) {
    SetColor2(value.ToLong());
  } else if (NameEquals(name, "Angle")) {
    SetAngle(value.ToSingle());
  } else {
    Dispatch::Put(name, value);
  }
}

Variant CLSPD_GRADIENT::Invoke(std::string_view name, std::span<Variant> args) {
  if (NameEquals(name, "BlendColors")) {
    RequireArgs(args, 4);
    std::vector<int32_t> colors;
    const int32_t n = BlendColors(args[0].ToLong(), args[1].ToLong(),
                                  args[2].ToLong(), colors);
    std::vector<Variant> items(colors.begin(), colors.end());
    args[3] = MakeArray(std::move(items));
    return Variant(n);
  }
  if (NameEquals(name, "Draw")) {
    RequireArgs(args, 1);
    return Variant(Draw(args[0].ToObject()));
  }
  return Dispatch::Invoke(name, args);
}

}  // namespace zv
