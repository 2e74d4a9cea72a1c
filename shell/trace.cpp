#include "shell/trace.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>

namespace zv {
namespace {

std::mutex& SinkMutex() {
  static std::mutex m;
  return m;
}
DebugSink& Sink() {
  static DebugSink sink;
  return sink;
}

}  // namespace

void SetDebugSink(DebugSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  Sink() = std::move(sink);
}

void OutputDebugLine(std::string_view line) {
  DebugSink sink;
  {
    std::lock_guard<std::mutex> lock(SinkMutex());
    sink = Sink();
  }
  if (sink) sink(line);
}

bool CreateGuid(Guid* out) {
  // A version-4 GUID from the system's random source.
  try {
    static thread_local std::random_device device;
    static thread_local std::mt19937_64 engine(
        (static_cast<uint64_t>(device()) << 32) ^ device());
    uint64_t a = engine();
    uint64_t b = engine();
    out->data1 = static_cast<uint32_t>(a >> 32);
    out->data2 = static_cast<uint16_t>(a >> 16);
    out->data3 = static_cast<uint16_t>((a & 0x0FFF) | 0x4000);
    for (int i = 0; i < 8; ++i) out->data4[i] = static_cast<uint8_t>(b >> (8 * i));
    out->data4[0] = static_cast<uint8_t>((out->data4[0] & 0x3F) | 0x80);
    return true;
  } catch (...) {
    return false;
  }
}

std::string FormatGuid(const Guid& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf,
                "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.data1,
                g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2],
                g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return buf;
}

std::string FormatGuidCompact(const Guid& g) {
  std::string s = FormatGuid(g);
  std::string out;
  out.reserve(32);
  for (char c : s)
    if (c != '-') out.push_back(c);
  return out;
}

const std::string& InstanceId::Get() {
  if (id_.empty()) {
    Guid g;
    if (CreateGuid(&g)) id_ = FormatGuidCompact(g);
  }
  return id_;
}

void WriteTraceLine(std::string_view id, std::string_view tag,
                    std::string_view class_name) {
  std::string line = "ZQVE:|";
  line.append(id).append("|").append(tag).append("|ZURE_VESTARO|").append(class_name);
  OutputDebugLine(line);
}

ObjectTrace::ObjectTrace(std::string class_name)
    : class_name_(std::move(class_name)) {
  WriteTraceLine(id_.Get(), "INI", class_name_);
}

ObjectTrace::~ObjectTrace() {
  if (!terminated_) Terminate();
}

void ObjectTrace::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  try {
    WriteTraceLine(id_.Get(), "TER", class_name_);
  } catch (...) {
    // A trace line must never stop an object from ending.
  }
}

}  // namespace zv
