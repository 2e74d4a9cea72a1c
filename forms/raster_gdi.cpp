#include "forms/raster_gdi.h"

#include <cstdlib>

namespace zv {

RasterGdi::RasterGdi() {
  for (int32_t i = 0; i < kSysColorCount; ++i) sys_colors_[i] = DefaultSysColor(i);
  pens_[kStockBlackPen] = Pen{kPenSolid, 1, 0};
}

RasterGdi::Window RasterGdi::AddWindow(int32_t width, int32_t height,
                                       uint32_t background) {
  std::lock_guard<std::mutex> lock(mu_);
  Window w;
  w.hwnd = next_handle_++;
  w.hdc = next_handle_++;
  windows_.emplace(w.hwnd, RgbImage(width, height, background));
  dcs_[w.hdc].hwnd = w.hwnd;
  return w;
}

RgbImage RasterGdi::Picture(GdiHandle hwnd) const {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? RgbImage() : it->second;
}

void RasterGdi::SetSysColor(int32_t index, uint32_t color) {
  std::lock_guard<std::mutex> lock(mu_);
  if (index >= 0 && index < kSysColorCount) sys_colors_[index] = color;
}

GdiHandle RasterGdi::locked_window() const {
  std::lock_guard<std::mutex> lock(mu_);
  return locked_;
}

size_t RasterGdi::live_pens() const {
  std::lock_guard<std::mutex> lock(mu_);
  return pens_.size() - 1;  // the stock pen is not counted
}

uint32_t RasterGdi::GetSysColor(int32_t index) {
  std::lock_guard<std::mutex> lock(mu_);
  if (index < 0 || index >= kSysColorCount) return 0;
  return sys_colors_[index];
}

bool RasterGdi::GetClientRect(GdiHandle hwnd, GdiRect* rect) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = windows_.find(hwnd);
  if (it == windows_.end()) return false;
  *rect = GdiRect{0, 0, it->second.width(), it->second.height()};
  return true;
}

bool RasterGdi::LockWindowUpdate(GdiHandle hwnd) {
  std::lock_guard<std::mutex> lock(mu_);
  if (hwnd == 0) {
    bool was_locked = locked_ != 0;
    locked_ = 0;
    return was_locked;
  }
  if (locked_ != 0 || windows_.find(hwnd) == windows_.end()) return false;
  locked_ = hwnd;
  return true;
}

GdiHandle RasterGdi::CreatePen(int32_t style, int32_t width, uint32_t color) {
  std::lock_guard<std::mutex> lock(mu_);
  GdiHandle h = next_handle_++;
  pens_[h] = Pen{style, width, color & 0xFFFFFF};
  return h;
}

GdiHandle RasterGdi::SelectObject(GdiHandle hdc, GdiHandle object) {
  std::lock_guard<std::mutex> lock(mu_);
  auto dc = dcs_.find(hdc);
  if (dc == dcs_.end() || pens_.find(object) == pens_.end()) return 0;
  GdiHandle previous = dc->second.pen;
  dc->second.pen = object;
  return previous;
}

bool RasterGdi::MoveToEx(GdiHandle hdc, int32_t x, int32_t y,
                         GdiPoint* previous) {
  std::lock_guard<std::mutex> lock(mu_);
  auto dc = dcs_.find(hdc);
  if (dc == dcs_.end()) return false;
  if (previous != nullptr) *previous = dc->second.position;
  dc->second.position = GdiPoint{x, y};
  return true;
}

void RasterGdi::Plot(RgbImage& picture, const Pen& pen, int64_t x, int64_t y) {
  // A pen wider than one pixel paints a square centred on the point.
  int64_t w = pen.width > 1 ? pen.width : 1;
  int64_t x0 = x - (w - 1) / 2, y0 = y - (w - 1) / 2;
  for (int64_t py = y0; py < y0 + w; ++py)
    for (int64_t px = x0; px < x0 + w; ++px)
      if (picture.Contains(px, py))
        picture.SetPixel(static_cast<int32_t>(px), static_cast<int32_t>(py),
                         pen.color);
}

bool RasterGdi::LineTo(GdiHandle hdc, int32_t x, int32_t y) {
  std::lock_guard<std::mutex> lock(mu_);
  auto dc = dcs_.find(hdc);
  if (dc == dcs_.end()) return false;
  GdiPoint from = dc->second.position;
  dc->second.position = GdiPoint{x, y};
  const Pen& pen = pens_.at(dc->second.pen);
  if (pen.style == kPenNull) return true;
  RgbImage& picture = windows_.at(dc->second.hwnd);

  // Bresenham from `from` towards (x, y); the end point itself is left for
  // the next line, so that joined lines do not paint their joints twice.
  int64_t x0 = from.x, y0 = from.y;
  const int64_t x1 = x, y1 = y;
  const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
  const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int64_t error = dx + dy;
  while (x0 != x1 || y0 != y1) {
    Plot(picture, pen, x0, y0);
    int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
  return true;
}

bool RasterGdi::DeleteObject(GdiHandle object) {
  std::lock_guard<std::mutex> lock(mu_);
  if (object == kStockBlackPen) return true;
  auto pen = pens_.find(object);
  if (pen == pens_.end()) return false;
  for (const auto& [handle, dc] : dcs_)
    if (dc.pen == object) return false;
  pens_.erase(pen);
  return true;
}

}  // namespace zv
