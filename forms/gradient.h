// CLSPD_GRADIENT: paints a two-colour linear gradient at any angle on a
// window, one solid line per step across the window.
#ifndef ZV_FORMS_GRADIENT_H_
#define ZV_FORMS_GRADIENT_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/dispatch.h"
#include "forms/gdi.h"
#include "shell/trace.h"

namespace zv {

// `a` brought into [0, 360) as a - 360 * floor(a / 360), in single
// precision. Where single precision cannot keep the result inside the turn
// (an angle a hair below a multiple of 360, or one beyond some 10^9
// degrees) the exact remainder is taken instead, 0 when it rounds to 360;
// an angle that is not a finite number gives 0.
float NormalizeAngle(float a);

// Rounds half to even, as the platform's whole-number conversions do.
double RoundHalfEven(double x);

class CLSPD_GRADIENT : public Dispatch {
 public:
  // Draws through DefaultGdi() as it is when the object is created.
  CLSPD_GRADIENT();
  // Draws through `gdi`; nullptr means DefaultGdi().
  explicit CLSPD_GRADIENT(std::shared_ptr<Gdi> gdi);
  CLSPD_GRADIENT(const CLSPD_GRADIENT&) = delete;
  CLSPD_GRADIENT& operator=(const CLSPD_GRADIENT&) = delete;
  ~CLSPD_GRADIENT() override = default;

  // Later system-colour lookups and drawing go through `gdi` (nullptr:
  // DefaultGdi()). Colours already assigned keep their values.
  void SetGdi(std::shared_ptr<Gdi> gdi);

  // The start and end colours (0x00BBGGRR). Assigning a system colour (a
  // negative value whose low 31 bits are an index below 25) stores the
  // colour the platform has for that element at that moment; any other
  // value is stored unchanged.
  int32_t Color1() const { return color1_; }
  void SetColor1(int32_t value);
  int32_t Color2() const { return color2_; }
  void SetColor2(int32_t value);

  // The direction in degrees, counter-clockwise from left-to-right (90 runs
  // from bottom to top). Stored through NormalizeAngle, so always in
  // [0, 360).
  float Angle() const { return angle_; }
  void SetAngle(float value);

  // Fills `laRetColors` (indexes 0 .. n-1) with n = max(lSteps, 2) colours
  // from lColor1 to lColor2 and returns n. The channel increments are
  // (end - start) / n in single precision, so the inner colours stop short:
  // the one before lColor2 is two increments away from it. Should the list
  // not fit in memory, `laRetColors` is left empty and the result is 0.
  int32_t BlendColors(int32_t lColor1, int32_t lColor2, int32_t lSteps,
                      std::vector<int32_t>& laRetColors);

  // Paints the gradient on the window of `picObj`, whose late-bound
  // properties hWnd and hDC give its window handle and device context.
  // Window updates are locked while painting and unlocked in every case.
  // True when at least one line was drawn; false for a window smaller than
  // 2 x 2, an unreadable client rectangle, or any failure on the way.
  bool Draw(const std::shared_ptr<Dispatch>& picObj);

  // Late-bound access: properties Color1, Color2, Angle; methods
  // BlendColors (the fourth argument receives an array of Longs) and Draw.
  // Arguments that cannot be converted raise the platform's conversion
  // error, an unknown member error 438, too few arguments error 449, as a
  // late-bound call does before the member runs.
  std::string TypeName() const override { return "CLSPD_GRADIENT"; }
  Variant Get(std::string_view name) override;
  void Put(std::string_view name, const Variant& value) override;
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

 private:
  struct PointF {
    float x = 0, y = 0;
  };

  // The colour to store for an assigned value.
  int32_t ResolveColor(int32_t value);
  // BlendColors without the trap.
  static int32_t Blend(int32_t color1, int32_t color2, int32_t steps,
                       std::vector<int32_t>& colors);
  // `p` rotated by `angle` degrees about `centre`.
  static PointF Rotate(PointF p, PointF centre, float angle);
  // Draws the lines on `hdc` for a client area of width x height; returns
  // the line loop's index after the loop (0 when nothing was drawn).
  int64_t PaintGradient(GdiHandle hdc, int32_t width, int32_t height);

  ObjectTrace trace_{"CLSPD_GRADIENT"};
  std::shared_ptr<Gdi> gdi_;
  int32_t color1_ = 0;
  int32_t color2_ = 0;
  float angle_ = 0;
};

}  // namespace zv

#endif  // ZV_FORMS_GRADIENT_H_
