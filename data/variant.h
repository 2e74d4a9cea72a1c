// The platform variant: Empty, Null, Boolean, Integer (16-bit), Long
// (32-bit), LongLong (64-bit), Byte, Single, Double, Decimal, Date, String
// (UTF-8), Object (a late-bound object reference, possibly Nothing) and
// Array. Conversions follow the platform's rules: whole-number conversions
// round half to even, booleans are -1/0 as numbers, numbers become text with
// "." and no grouping, and a conversion that cannot be made raises "Type
// mismatch" (error 13); using Null where a value is needed raises "Invalid
// use of Null" (error 94).
#ifndef ZV_DATA_VARIANT_H_
#define ZV_DATA_VARIANT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "data/decimal.h"

namespace zv {

class Dispatch;
struct VariantArray;

// The platform's variant type codes (VarType).
enum class VarType : uint16_t {
  kEmpty = 0,
  kNull = 1,
  kInteger = 2,
  kLong = 3,
  kSingle = 4,
  kDouble = 5,
  kDate = 7,
  kString = 8,
  kObject = 9,
  kBoolean = 11,
  kDecimal = 14,
  kByte = 17,
  kLongLong = 20,
  kArray = 8204,  // array of variants
};

// A point in time as the platform keeps it: days since 1899-12-30, the
// fraction being the time of day.
struct DateValue {
  double days = 0;
  friend bool operator==(DateValue, DateValue) = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  static Variant Null() { Variant v; v.v_ = NullTag{}; return v; }
  static Variant Nothing() { return Variant(std::shared_ptr<Dispatch>()); }
  static Variant Date(double days) { return Variant(DateValue{days}); }

  Variant(bool b) : v_(b) {}                          // NOLINT
  Variant(int16_t i) : v_(i) {}                       // NOLINT
  Variant(int32_t i) : v_(i) {}                       // NOLINT
  Variant(int64_t i) : v_(i) {}                       // NOLINT
  Variant(uint8_t i) : v_(i) {}                       // NOLINT
  Variant(float f) : v_(f) {}                         // NOLINT
  Variant(double d) : v_(d) {}                        // NOLINT
  Variant(const Decimal& d) : v_(d) {}                // NOLINT
  Variant(DateValue d) : v_(d) {}                     // NOLINT
  Variant(std::string s)                              // NOLINT
      : v_(std::make_shared<const std::string>(std::move(s))) {}
  Variant(std::string_view s) : Variant(std::string(s)) {}  // NOLINT
  Variant(const char* s) : Variant(std::string(s)) {}       // NOLINT
  Variant(std::shared_ptr<Dispatch> o) : v_(std::move(o)) {}  // NOLINT
  Variant(std::shared_ptr<VariantArray> a) : v_(std::move(a)) {}  // NOLINT
  // Any other integer type becomes a Long when it fits, else a LongLong.
  template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
             !std::is_same_v<T, int16_t> && !std::is_same_v<T, int32_t> &&
             !std::is_same_v<T, int64_t> && !std::is_same_v<T, uint8_t>)
  Variant(T i)  // NOLINT
      : Variant(static_cast<int64_t>(i)) {
    if (static_cast<int64_t>(i) >= INT32_MIN && static_cast<int64_t>(i) <= INT32_MAX)
      v_ = static_cast<int32_t>(i);
  }

  VarType type() const;
  bool IsEmpty() const { return v_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<NullTag>(v_); }
  bool IsObject() const {
    return std::holds_alternative<std::shared_ptr<Dispatch>>(v_);
  }
  // An Object variant holding Nothing.
  bool IsNothing() const { return IsObject() && !std::get<std::shared_ptr<Dispatch>>(v_); }
  bool IsArray() const {
    return std::holds_alternative<std::shared_ptr<VariantArray>>(v_);
  }
  bool IsString() const {
    return std::holds_alternative<std::shared_ptr<const std::string>>(v_);
  }
  // True for the numeric kinds (Integer, Long, LongLong, Byte, Single,
  // Double, Decimal) and Boolean.
  bool IsNumber() const;
  // The platform's IsNumeric: numbers, Booleans, Empty, and texts that
  // convert to a number.
  bool IsNumeric() const;

  // Conversions (CDec, CLng, CInt, CDbl, CSng, CBool, CStr, CDate, CByte).
  // Text to number: blanks around allowed, "." only, no grouping ("1,5" is
  // a type mismatch), exponent allowed, "&H1F" / "&O17" for 32-bit whole
  // numbers. Whole-number results round half to even (2.5 -> 2); out of
  // range is error 6. Null raises 94, an array or a text that is not a
  // number 13. An object converts through its default member (Get("")),
  // Nothing raises 91.
  // ToString: Booleans "True"/"False"; Double with 15 and Single with 7
  // significant digits as DoubleToText writes them; Decimal without
  // trailing zeros (CDec("1.50") gives "1.5", as the platform prints it);
  // Date as "YYYY-MM-DD" when its time is 0, "HH:MM:SS" on 1899-12-30,
  // else "YYYY-MM-DD HH:MM:SS". ToBool accepts "True"/"False" in any case
  // and numeric texts. ToDate accepts the texts of ParseDate and numbers.
  Decimal ToDecimal() const;
  int32_t ToLong() const;
  int16_t ToInteger() const;
  int64_t ToLongLong() const;
  uint8_t ToByte() const;
  double ToDouble() const;
  float ToSingle() const;
  bool ToBool() const;
  std::string ToString() const;
  DateValue ToDate() const;
  // The object reference; Nothing gives nullptr. Non-objects raise error 13.
  std::shared_ptr<Dispatch> ToObject() const;
  // The array; non-arrays raise error 13.
  std::shared_ptr<VariantArray> ToArray() const;

  // Direct access to the stored text; requires IsString().
  const std::string& StringRef() const {
    return *std::get<std::shared_ptr<const std::string>>(v_);
  }

  // The platform's TypeName ("Empty", "Null", "Integer", "Long", "Single",
  // "Double", "Decimal", "Date", "String", "Boolean", "Byte", "Nothing",
  // "Variant()", or the object's own type name).
  std::string TypeName() const;

  // A readable rendering for tests and traces: Empty, Null, "text" (inner
  // quotes doubled), 12, 0.5 (doubles and singles as CStr writes them),
  // 1.50D (decimals with their scale), #2024-01-31 10:00:00#, True,
  // Nothing, <TypeName> for an object, Array(1, "x") for an array.
  std::string Debug() const;

  // Same kind and same value (texts compared exactly, objects by identity,
  // decimals by value so 1.50 == 1.5, arrays element by element).
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  std::variant<std::monostate, NullTag, bool, int16_t, int32_t, int64_t,
               uint8_t, float, double, Decimal, DateValue,
               std::shared_ptr<const std::string>, std::shared_ptr<Dispatch>,
               std::shared_ptr<VariantArray>>
      v_;
};

// A variant array with its lower bound (0 unless the platform said otherwise).
struct VariantArray {
  std::vector<Variant> items;
  int32_t lower_bound = 0;
};

// Builds an array variant of the given values.
Variant MakeArray(std::vector<Variant> items);

// Text of a number the way the platform's CStr writes it: "." as separator,
// no grouping, up to 15 significant digits for doubles, 7 for singles,
// exponent form ("1E+20") for very large or small magnitudes.
std::string DoubleToText(double value, int significant_digits = 15);

// Parses a number written with "."; blanks around it are allowed. Returns
// false when the text is not a number.
bool ParseDouble(std::string_view text, double* out);

}  // namespace zv

#endif  // ZV_DATA_VARIANT_H_
