// A drawing implementation that paints into pictures in memory: each window
// it knows has a client area backed by an RGB picture and one device
// context that draws into it, the way a picture box that keeps its own
// bitmap does. Lines are rasterised with Bresenham's algorithm.
#ifndef ZV_FORMS_RASTER_GDI_H_
#define ZV_FORMS_RASTER_GDI_H_

#include <cstdint>
#include <map>
#include <mutex>

#include "forms/gdi.h"
#include "forms/png_writer.h"

namespace zv {

class RasterGdi : public Gdi {
 public:
  struct Window {
    GdiHandle hwnd = 0;
    GdiHandle hdc = 0;
  };

  // The handle of the black pen every device context starts with; deleting
  // it does nothing.
  static constexpr GdiHandle kStockBlackPen = 0x7F00;

  RasterGdi();

  // Adds a window whose client area is `width` x `height` pixels (both at
  // least 0), every pixel `background`.
  Window AddWindow(int32_t width, int32_t height,
                   uint32_t background = DefaultSysColor(kColorWindow));

  // A copy of the picture of window `hwnd`; an empty picture when there is
  // no such window.
  RgbImage Picture(GdiHandle hwnd) const;

  // Changes the user's colour of system element `index` (0..28).
  void SetSysColor(int32_t index, uint32_t color);

  // The window now locked against updates (0 when none).
  GdiHandle locked_window() const;
  // Pens created and not yet deleted.
  size_t live_pens() const;

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
  struct Pen {
    int32_t style = kPenSolid;
    int32_t width = 1;
    uint32_t color = 0;
  };
  struct DeviceContext {
    GdiHandle hwnd = 0;
    GdiPoint position;
    GdiHandle pen = kStockBlackPen;
  };

  // Paints one pixel of `pen` centred on (x, y), clipped to `picture`.
  static void Plot(RgbImage& picture, const Pen& pen, int64_t x, int64_t y);

  mutable std::mutex mu_;
  GdiHandle next_handle_ = 0x10000;
  uint32_t sys_colors_[kSysColorCount];
  std::map<GdiHandle, RgbImage> windows_;
  std::map<GdiHandle, DeviceContext> dcs_;
  std::map<GdiHandle, Pen> pens_;
  GdiHandle locked_ = 0;
};

}  // namespace zv

#endif  // ZV_FORMS_RASTER_GDI_H_
