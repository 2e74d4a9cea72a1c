// Debug trace lines written when an object of the library is created and
// destroyed, and the instance identifiers they carry.
#ifndef ZV_SHELL_TRACE_H_
#define ZV_SHELL_TRACE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zv {

// Where trace lines go; the host installs one. Without one, lines are
// dropped (as the platform's debug output is when nobody listens).
using DebugSink = std::function<void(std::string_view line)>;
void SetDebugSink(DebugSink sink);
// Writes one line to the installed sink.
void OutputDebugLine(std::string_view line);

// A new GUID as its four fields (data1 32-bit, data2 and data3 16-bit,
// data4 8 bytes), or false when none could be made.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0, data3 = 0;
  uint8_t data4[8] = {};
};
bool CreateGuid(Guid* out);
// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper-case hexadecimal.
std::string FormatGuid(const Guid& g);
// The same digits without separators (32 characters).
std::string FormatGuidCompact(const Guid& g);

// The identifier of one object: empty until first used, then a compact GUID;
// while no GUID can be made it stays empty and the next use tries again.
class InstanceId {
 public:
  const std::string& Get();

 private:
  std::string id_;
};

// Writes "ZQVE:|<id>|<INI or TER>|ZURE_VESTARO|<class>".
void WriteTraceLine(std::string_view id, std::string_view tag,
                    std::string_view class_name);

// Writes the "INI" line on construction and the "TER" line on destruction,
// both with the same identifier. Declare it as the first member of a public
// class so that "INI" comes before anything else the constructor does and
// "TER" after the destructor body.
class ObjectTrace {
 public:
  explicit ObjectTrace(std::string class_name);
  ~ObjectTrace();
  ObjectTrace(const ObjectTrace&) = delete;
  ObjectTrace& operator=(const ObjectTrace&) = delete;
  // Writes the "TER" line now (when the class must write it before its own
  // release steps); the destructor then writes nothing.
  void Terminate();
  const std::string& id() { return id_.Get(); }

 private:
  std::string class_name_;
  InstanceId id_;
  bool terminated_ = false;
};

}  // namespace zv

#endif  // ZV_SHELL_TRACE_H_
