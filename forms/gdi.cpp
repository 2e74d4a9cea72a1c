#include "forms/gdi.h"

#include <array>
#include <mutex>

#include "forms/raster_gdi.h"

namespace zv {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);
}

struct SysColorEntry {
  const char* name;
  uint32_t color;
};

// The classic desktop scheme, in index order.
constexpr std::array<SysColorEntry, kSysColorCount> kSysColors = {{
    {"Scrollbar", Rgb(212, 208, 200)},
    {"Background", Rgb(58, 110, 165)},
    {"ActiveTitle", Rgb(10, 36, 106)},
    {"InactiveTitle", Rgb(128, 128, 128)},
    {"Menu", Rgb(212, 208, 200)},
    {"Window", Rgb(255, 255, 255)},
    {"WindowFrame", Rgb(0, 0, 0)},
    {"MenuText", Rgb(0, 0, 0)},
    {"WindowText", Rgb(0, 0, 0)},
    {"TitleText", Rgb(255, 255, 255)},
    {"ActiveBorder", Rgb(212, 208, 200)},
    {"InactiveBorder", Rgb(212, 208, 200)},
    {"AppWorkspace", Rgb(128, 128, 128)},
    {"Hilight", Rgb(10, 36, 106)},
    {"HilightText", Rgb(255, 255, 255)},
    {"ButtonFace", Rgb(212, 208, 200)},
    {"ButtonShadow", Rgb(128, 128, 128)},
    {"GrayText", Rgb(128, 128, 128)},
    {"ButtonText", Rgb(0, 0, 0)},
    {"InactiveTitleText", Rgb(212, 208, 200)},
    {"ButtonHilight", Rgb(255, 255, 255)},
    {"ButtonDkShadow", Rgb(64, 64, 64)},
    {"ButtonLight", Rgb(212, 208, 200)},
    {"InfoText", Rgb(0, 0, 0)},
    {"InfoWindow", Rgb(255, 255, 225)},
    {"ButtonAlternateFace", Rgb(181, 181, 181)},
    {"HotTrackingColor", Rgb(0, 0, 128)},
    {"GradientActiveTitle", Rgb(166, 202, 240)},
    {"GradientInactiveTitle", Rgb(192, 192, 192)},
}};

std::mutex& DefaultMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<Gdi>& DefaultSlot() {
  static std::shared_ptr<Gdi> slot;
  return slot;
}

// Handles are 32-bit on the platform the host runs on; one that fits is
// handed out as a Long.
Variant HandleValue(GdiHandle h) {
  if (h >= INT32_MIN && h <= INT32_MAX) return Variant(static_cast<int32_t>(h));
  return Variant(static_cast<int64_t>(h));
}

}  // namespace

uint32_t DefaultSysColor(int32_t index) {
  if (index < 0 || index >= kSysColorCount) return 0;
  return kSysColors[static_cast<size_t>(index)].color;
}

std::string SysColorName(int32_t index) {
  if (index < 0 || index >= kSysColorCount) return "";
  return kSysColors[static_cast<size_t>(index)].name;
}

int32_t SysColorIndexByName(std::string_view name) {
  for (int32_t i = 0; i < kSysColorCount; ++i)
    if (NameEquals(name, kSysColors[static_cast<size_t>(i)].name)) return i;
  return -1;
}

std::shared_ptr<Gdi> DefaultGdi() {
  std::lock_guard<std::mutex> lock(DefaultMutex());
  auto& slot = DefaultSlot();
  if (!slot) slot = std::make_shared<RasterGdi>();
  return slot;
}

void SetDefaultGdi(std::shared_ptr<Gdi> gdi) {
  std::lock_guard<std::mutex> lock(DefaultMutex());
  DefaultSlot() = std::move(gdi);
}

Variant WindowObject::Get(std::string_view name) {
  if (NameEquals(name, "hWnd")) return HandleValue(hwnd_);
  if (NameEquals(name, "hDC")) return HandleValue(hdc_);
  return Dispatch::Get(name);
}

}  // namespace zv
