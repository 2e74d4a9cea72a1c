#include "forms/recording_gdi.h"

namespace zv {

RecordingGdi::RecordingGdi() {
  for (int32_t i = 0; i < kSysColorCount; ++i) sys_colors_[i] = DefaultSysColor(i);
}

void RecordingGdi::SetClientRect(GdiHandle hwnd, GdiRect rect) {
  rects_[hwnd] = rect;
}

void RecordingGdi::SetSysColor(int32_t index, uint32_t color) {
  if (index >= 0 && index < kSysColorCount) sys_colors_[index] = color;
}

void RecordingGdi::Fail(const std::string& method) { failing_.insert(method); }

std::vector<RecordingGdi::Call> RecordingGdi::CallsOf(
    const std::string& method) const {
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (c.name == method) out.push_back(c);
  return out;
}

std::string RecordingGdi::Transcript() const {
  std::string out;
  for (const Call& c : calls_) {
    out += c.name + "(";
    for (size_t i = 0; i < c.args.size(); ++i) {
      if (i > 0) out += ", ";
      out += std::to_string(c.args[i]);
    }
    out += ") -> " + std::to_string(c.result) + "\n";
  }
  return out;
}

GdiHandle RecordingGdi::SelectedIn(GdiHandle hdc) const {
  auto it = selected_.find(hdc);
  return it == selected_.end() ? kDefaultPen : it->second;
}

int64_t RecordingGdi::Record(std::string name, std::vector<int64_t> args,
                             int64_t result) {
  calls_.push_back(Call{std::move(name), std::move(args), result});
  return result;
}

uint32_t RecordingGdi::GetSysColor(int32_t index) {
  uint32_t color = 0;
  if (!Failing("GetSysColor") && index >= 0 && index < kSysColorCount)
    color = sys_colors_[index];
  return static_cast<uint32_t>(Record("GetSysColor", {index}, color));
}

bool RecordingGdi::GetClientRect(GdiHandle hwnd, GdiRect* rect) {
  auto it = rects_.find(hwnd);
  bool ok = !Failing("GetClientRect") && it != rects_.end();
  if (ok) *rect = it->second;
  return Record("GetClientRect", {hwnd}, ok) != 0;
}

bool RecordingGdi::LockWindowUpdate(GdiHandle hwnd) {
  bool ok = false;
  if (!Failing("LockWindowUpdate")) {
    if (hwnd == 0) {
      ok = locked_ != 0;
      locked_ = 0;
    } else if (locked_ == 0) {
      ok = true;
      locked_ = hwnd;
    }
  }
  return Record("LockWindowUpdate", {hwnd}, ok) != 0;
}

GdiHandle RecordingGdi::CreatePen(int32_t style, int32_t width,
                                  uint32_t color) {
  GdiHandle pen = 0;
  if (!Failing("CreatePen")) {
    pen = next_pen_++;
    live_pens_.insert(pen);
  }
  return Record("CreatePen", {style, width, static_cast<int64_t>(color)}, pen);
}

GdiHandle RecordingGdi::SelectObject(GdiHandle hdc, GdiHandle object) {
  GdiHandle previous = 0;
  bool known = object == kDefaultPen || live_pens_.count(object) != 0;
  if (!Failing("SelectObject") && known) {
    previous = SelectedIn(hdc);
    selected_[hdc] = object;
  }
  return Record("SelectObject", {hdc, object}, previous);
}

bool RecordingGdi::MoveToEx(GdiHandle hdc, int32_t x, int32_t y,
                            GdiPoint* previous) {
  bool ok = !Failing("MoveToEx");
  if (ok) {
    if (previous != nullptr) *previous = positions_[hdc];
    positions_[hdc] = GdiPoint{x, y};
  }
  return Record("MoveToEx", {hdc, x, y}, ok) != 0;
}

bool RecordingGdi::LineTo(GdiHandle hdc, int32_t x, int32_t y) {
  bool ok = !Failing("LineTo");
  if (ok) positions_[hdc] = GdiPoint{x, y};
  return Record("LineTo", {hdc, x, y}, ok) != 0;
}

bool RecordingGdi::DeleteObject(GdiHandle object) {
  bool ok = false;
  if (!Failing("DeleteObject") && live_pens_.count(object) != 0) {
    ok = true;
    for (const auto& [hdc, selected] : selected_)
      if (selected == object) ok = false;
    if (ok) live_pens_.erase(object);
  }
  return Record("DeleteObject", {object}, ok) != 0;
}

}  // namespace zv
