// A drawing implementation for tests: it records every call in order with
// its arguments and result, answers client rectangles set per window, keeps
// track of pens and selections like the platform does, and can be told to
// make single calls fail.
#ifndef ZV_FORMS_RECORDING_GDI_H_
#define ZV_FORMS_RECORDING_GDI_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "forms/gdi.h"

namespace zv {

class RecordingGdi : public Gdi {
 public:
  // One call: the method's name, its arguments in order (a rectangle or a
  // point written back is not an argument) and its result as an integer
  // (true = 1, false = 0).
  struct Call {
    std::string name;
    std::vector<int64_t> args;
    int64_t result = 0;
  };

  // The pen every device context starts with.
  static constexpr GdiHandle kDefaultPen = 0x50;

  RecordingGdi();

  // Window `hwnd` has client rectangle `rect`; windows never set are
  // unknown and GetClientRect fails for them.
  void SetClientRect(GdiHandle hwnd, GdiRect rect);
  void SetSysColor(int32_t index, uint32_t color);
  // Makes every later call of `method` fail with its failure value (false
  // or 0) instead of doing its work; the call is still recorded.
  void Fail(const std::string& method);

  const std::vector<Call>& calls() const { return calls_; }
  // The calls of one method, in order.
  std::vector<Call> CallsOf(const std::string& method) const;
  // The calls as text, one a line: "Name(arg, arg) -> result".
  std::string Transcript() const;
  void ClearCalls() { calls_.clear(); }

  // Pens created and not yet deleted.
  const std::set<GdiHandle>& live_pens() const { return live_pens_; }
  // The object now selected into `hdc` (kDefaultPen when none was).
  GdiHandle SelectedIn(GdiHandle hdc) const;
  GdiHandle locked_window() const { return locked_; }

  uint32_t GetSysColor(int32_t index) override;
  bool GetClientRect(GdiHandle hwnd, GdiRect* rect) override;
  bool LockWindowUpdate(GdiHandle hwnd) override;
  GdiHandle CreatePen(int32_t style, int32_t width, uint32_t color) override;
  GdiHandle SelectObject(GdiHandle hdc, GdiHandle object) override;
  bool MoveToEx(GdiHandle hdc, int32_t x, int32_t y,
                GdiPoint* previous) override;
  bool LineTo(GdiHandle hdc, int32_t x, int32_t y) override;
  bool DeleteObject(GdiHandle object) override;

 private:
  bool Failing(const std::string& method) const {
    return failing_.count(method) != 0;
  }
  int64_t Record(std::string name, std::vector<int64_t> args, int64_t result);

  std::vector<Call> calls_;
  std::set<std::string> failing_;
  std::map<GdiHandle, GdiRect> rects_;
  uint32_t sys_colors_[kSysColorCount];
  std::set<GdiHandle> live_pens_;
  std::map<GdiHandle, GdiHandle> selected_;
  std::map<GdiHandle, GdiPoint> positions_;
  GdiHandle next_pen_ = 0x1000;
  GdiHandle locked_ = 0;
};

}  // namespace zv

#endif  // ZV_FORMS_RECORDING_GDI_H_
