// T-SQL errors of the embedded engine: the native numbers and SQLSTATEs the
// library and its callers classify on, errors raised by the tsql_*
// functions, and the translation of SQLite's own failures.
#ifndef ZV_DATA_SQLITE_SQL_ERROR_H_
#define ZV_DATA_SQLITE_SQL_ERROR_H_

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "data/connection.h"

namespace zv::sqlite {

// Native numbers as SQL Server gives them.
namespace native {
inline constexpr int32_t kSyntax = 102;                // 42000
inline constexpr int32_t kInvalidDatePart = 155;       // 42000
inline constexpr int32_t kUnknownFunction = 195;       // 42000
inline constexpr int32_t kInvalidColumn = 207;         // 42S22
inline constexpr int32_t kInvalidObject = 208;         // 42S02
inline constexpr int32_t kAmbiguousColumn = 209;       // 42000
inline constexpr int32_t kDateConversion = 241;        // 22007
inline constexpr int32_t kDateOutOfRange = 242;        // 22008
inline constexpr int32_t kSmallIntTextOverflow = 244;  // 22003
inline constexpr int32_t kConversion = 245;            // 22018
inline constexpr int32_t kIntTextOverflow = 248;       // 22003
inline constexpr int32_t kInvalidStyle = 281;          // 42000
inline constexpr int32_t kNotNull = 515;               // 23000
inline constexpr int32_t kDateAddOverflow = 517;       // 22008
inline constexpr int32_t kDateDiffOverflow = 535;      // 22003
inline constexpr int32_t kInvalidLength = 536;         // 42000
inline constexpr int32_t kInvalidSubstringLength = 537;  // 42000
inline constexpr int32_t kConstraint = 547;            // 23000
inline constexpr int32_t kLockTimeout = 1222;          // HYT00
inline constexpr int32_t kObjectExists = 2714;         // 42S01
inline constexpr int32_t kDuplicateKey = 2627;         // 23000
inline constexpr int32_t kNumberConversion = 8114;     // 22018
inline constexpr int32_t kOperandType = 8117;          // 42000
inline constexpr int32_t kArithmeticOverflow = 8115;   // 22003
inline constexpr int32_t kDivideByZero = 8134;         // 22012
inline constexpr int32_t kTruncation = 8152;           // 22001
}  // namespace native

// An error raised inside a tsql_* function; the function wrapper records
// it in the session (the side channel) and fails the SQLite statement.
class SqlFunctionError : public std::exception {
 public:
  SqlFunctionError(int32_t native_error, std::string sql_state,
                   std::string message)
      : native_(native_error),
        state_(std::move(sql_state)),
        message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  int32_t native_error() const { return native_; }
  const std::string& sql_state() const { return state_; }
  const std::string& message() const { return message_; }

 private:
  int32_t native_;
  std::string state_;
  std::string message_;
};

[[noreturn]] void ThrowSql(int32_t native_error, const char* sql_state,
                           std::string message);
// "Arithmetic overflow error converting <from> to data type <to>."
[[noreturn]] void ThrowOverflow(std::string_view from, std::string_view to);
// "Conversion failed when converting the varchar value '<text>' to data
// type <type>."
[[noreturn]] void ThrowConversion(std::string_view text, std::string_view type);

// Translates a failure SQLite reported: `extended_code` is the extended
// result code, `message` sqlite3_errmsg(), `sql` the statement text.
DbError TranslateSqliteError(int extended_code, std::string_view message,
                             std::string_view sql);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_SQL_ERROR_H_
