// The window and drawing calls the painters make: system colours, client
// rectangles, window-update locking and pen-and-line drawing on a device
// context. Handles (windows, device contexts, pens) are opaque integers, as
// the platform gives them; 0 is "no handle". Colours are 0x00BBGGRR (red in
// the low byte).
#ifndef ZV_FORMS_GDI_H_
#define ZV_FORMS_GDI_H_

#include <cstdint>
#include <memory>
#include <string>

#include "data/dispatch.h"

namespace zv {

using GdiHandle = int64_t;

struct GdiRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const GdiRect&, const GdiRect&) = default;
};

struct GdiPoint {
  int32_t x = 0, y = 0;
  friend bool operator==(const GdiPoint&, const GdiPoint&) = default;
};

// Pen styles understood by CreatePen.
inline constexpr int32_t kPenSolid = 0;
inline constexpr int32_t kPenNull = 5;

// The classic system colour indexes (COLOR_SCROLLBAR .. COLOR_GRADIENT-
// INACTIVECAPTION). A colour value with the top bit set and one of these in
// the low bits names the system colour instead of an RGB value.
enum SysColorIndex : int32_t {
  kColorScrollBar = 0,
  kColorBackground = 1,
  kColorActiveCaption = 2,
  kColorInactiveCaption = 3,
  kColorMenu = 4,
  kColorWindow = 5,
  kColorWindowFrame = 6,
  kColorMenuText = 7,
  kColorWindowText = 8,
  kColorCaptionText = 9,
  kColorActiveBorder = 10,
  kColorInactiveBorder = 11,
  kColorAppWorkspace = 12,
  kColorHighlight = 13,
  kColorHighlightText = 14,
  kColorBtnFace = 15,
  kColorBtnShadow = 16,
  kColorGrayText = 17,
  kColorBtnText = 18,
  kColorInactiveCaptionText = 19,
  kColorBtnHighlight = 20,
  kColor3dDkShadow = 21,
  kColor3dLight = 22,
  kColorInfoText = 23,
  kColorInfoBk = 24,
  kColorAlternateBtnFace = 25,
  kColorHotLight = 26,
  kColorGradientActiveCaption = 27,
  kColorGradientInactiveCaption = 28,
};
inline constexpr int32_t kSysColorCount = 29;

// The platform's default colour of system element `index` (the classic
// scheme), 0 for an index outside 0..kSysColorCount-1.
uint32_t DefaultSysColor(int32_t index);

// The name of system element `index` as the display settings call it
// ("ButtonFace", "Window", ...); empty for an unknown index.
std::string SysColorName(int32_t index);

// The index of the system element called `name` (case-insensitive), or -1.
int32_t SysColorIndexByName(std::string_view name);

class Gdi {
 public:
  virtual ~Gdi() = default;

  // The current colour of system element `index`; 0 when the index is not
  // one the platform knows.
  virtual uint32_t GetSysColor(int32_t index) = 0;

  // Fills `rect` with the client area of window `hwnd` (left and top are 0).
  // Returns false, leaving `rect` untouched, when there is no such window.
  virtual bool GetClientRect(GdiHandle hwnd, GdiRect* rect) = 0;

  // Locks window `hwnd` against redrawing until it is unlocked with 0. Only
  // one window is locked at a time: locking another while one is locked
  // fails (false). Unlocking (0) succeeds whenever a window is locked.
  virtual bool LockWindowUpdate(GdiHandle hwnd) = 0;

  // Creates a pen of `style`, `width` pixels and `color`. The caller owns it
  // and releases it with DeleteObject. Returns 0 on failure.
  virtual GdiHandle CreatePen(int32_t style, int32_t width, uint32_t color) = 0;

  // Selects `object` into device context `hdc` and returns the object it
  // replaces (the caller selects that back when done); 0 on failure, when
  // nothing changes.
  virtual GdiHandle SelectObject(GdiHandle hdc, GdiHandle object) = 0;

  // Moves the current position of `hdc` to (x, y), storing the former one in
  // `previous` when it is not null. False when `hdc` is unknown.
  virtual bool MoveToEx(GdiHandle hdc, int32_t x, int32_t y,
                        GdiPoint* previous) = 0;

  // Draws a line with the selected pen from the current position up to, but
  // not including, (x, y), which becomes the current position. False when
  // `hdc` is unknown.
  virtual bool LineTo(GdiHandle hdc, int32_t x, int32_t y) = 0;

  // Releases a pen made by CreatePen. False when the handle is unknown or the
  // pen is still selected into a device context (it is then kept).
  virtual bool DeleteObject(GdiHandle object) = 0;
};

// The implementation the painters use unless they are given another: at
// first a raster implementation with no windows and the default system
// colours. Safe to call from any thread.
std::shared_ptr<Gdi> DefaultGdi();
// Replaces the process-wide default; nullptr restores the built-in one.
void SetDefaultGdi(std::shared_ptr<Gdi> gdi);

// A late-bound stand-in for the picture control a painter draws on: it
// exposes its window handle ("hWnd") and device context ("hDC") as
// read-only properties, the way the host's picture box does.
class WindowObject : public Dispatch {
 public:
  WindowObject(GdiHandle hwnd, GdiHandle hdc) : hwnd_(hwnd), hdc_(hdc) {}
  std::string TypeName() const override { return "PictureBox"; }
  Variant Get(std::string_view name) override;

 private:
  GdiHandle hwnd_;
  GdiHandle hdc_;
};

}  // namespace zv

#endif  // ZV_FORMS_GDI_H_
