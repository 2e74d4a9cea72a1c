// The platform error: a number, a description and a source. Every failure
// inside the library is thrown as a PlatformError; the trap helper of the
// public classes turns it into an outcome code and a message.
#ifndef ZV_DATA_ERROR_H_
#define ZV_DATA_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zv {

// Error numbers of the runtime and of the data-access layer, with the
// descriptions the platform gives them.
namespace err {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kDivisionByZero = 11;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kObjectVariableNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kNotSupportedMember = 438;
inline constexpr int32_t kArgumentNotOptional = 449;
// Data-access errors (ADO), as their 32-bit HRESULT values.
inline constexpr int32_t kAdoItemNotFound = -2146825023;       // 800A0CC1
inline constexpr int32_t kAdoInvalidArgument = -2146825287;    // 800A0BB9
inline constexpr int32_t kAdoBofOrEof = -2146825267;           // 800A0BCD
inline constexpr int32_t kAdoObjectClosed = -2146824584;       // 800A0E78
inline constexpr int32_t kAdoObjectOpen = -2146824583;         // 800A0E79
inline constexpr int32_t kAdoNotSupported = -2146825037;       // 800A0CB3
inline constexpr int32_t kAdoNoCurrentRecord = -2146825267;    // same as BOF/EOF
inline constexpr int32_t kAdoMultipleStep = -2147217887;       // 80040E21
inline constexpr int32_t kAdoRowDeleted = -2147217885;         // 80040E23
inline constexpr int32_t kAdoRowChanged = -2147217864;         // 80040E38
inline constexpr int32_t kAdoCommandError = -2147217900;       // 80040E14
inline constexpr int32_t kAdoIntegrityViolation = -2147217873; // 80040E2F
inline constexpr int32_t kAdoConnectionFailed = -2147467259;   // 80004005
inline constexpr int32_t kAdoTimeout = -2147217871;            // 80040E31
}  // namespace err

class PlatformError : public std::runtime_error {
 public:
  PlatformError(int32_t number, std::string description,
                std::string source = "ZURE_VESTARO")
      : std::runtime_error(description),
        number_(number),
        description_(std::move(description)),
        source_(std::move(source)) {}

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

// The platform's standard description for a runtime error number ("Type
// mismatch" for 13); an empty text for numbers it does not know.
std::string StandardDescription(int32_t number);

// Throws the platform error `number` with its standard description.
[[noreturn]] void Raise(int32_t number, std::string source = "ZURE_VESTARO");
[[noreturn]] void Raise(int32_t number, std::string description,
                        std::string source);

}  // namespace zv

#endif  // ZV_DATA_ERROR_H_
