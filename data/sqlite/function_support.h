// Plumbing shared by the tsql_* functions: the per-connection session they
// read (date options, the error side channel), argument access, results,
// and the wrappers that turn a C++ function body into a SQLite callback.
//
// A function body throws SqlFunctionError (or PlatformError from the value
// layer); the wrapper records it in the session and fails the statement
// with its message, so that the runtime can report the T-SQL native number
// and SQLSTATE when the statement fails. No exception crosses into SQLite.
#ifndef ZV_DATA_SQLITE_FUNCTION_SUPPORT_H_
#define ZV_DATA_SQLITE_FUNCTION_SUPPORT_H_

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "data/decimal.h"
#include "data/sqlite/database.h"
#include "data/sqlite/sql_error.h"

namespace zv::sqlite {

// The error a function raised, waiting for the runtime to read it.
struct FunctionError {
  bool set = false;
  int32_t native_error = 0;
  std::string sql_state;
  std::string message;
};

// State of one connection that the functions see (their user data).
struct Session {
  FunctionError error;
  DateOrder date_order = DateOrder::kMdy;
  int date_first = 7;
  std::mt19937_64 random{std::random_device{}()};
};

// The arguments of one call.
class Args {
 public:
  Args(sqlite3_context* ctx, int argc, sqlite3_value** argv)
      : ctx_(ctx), argc_(argc), argv_(argv) {}

  int size() const { return argc_; }
  bool Has(int i) const { return i < argc_; }
  ValueKind Kind(int i) const;
  bool IsNull(int i) const { return Kind(i) == ValueKind::kNull; }
  // True when any of the first `n` arguments (all when n < 0) is NULL.
  bool AnyNull(int n = -1) const;
  int64_t Int(int i) const { return sqlite3_value_int64(argv_[i]); }
  double Real(int i) const { return sqlite3_value_double(argv_[i]); }
  std::string_view Text(int i) const;
  sqlite3_value* value(int i) const { return argv_[i]; }
  sqlite3_context* ctx() const { return ctx_; }
  Session& session() const {
    return *static_cast<Session*>(sqlite3_user_data(ctx_));
  }

 private:
  sqlite3_context* ctx_;
  int argc_;
  sqlite3_value** argv_;
};

void ResultText(sqlite3_context* ctx, std::string_view text);
void ResultDecimal(sqlite3_context* ctx, const Decimal& value);

// Records the error in the session and fails the call.
void ReportFunctionError(sqlite3_context* ctx, int32_t native_error,
                         const std::string& sql_state,
                         const std::string& message);
// Calls body() and reports any exception it throws.
template <typename Body>
void Guard(sqlite3_context* ctx, Body&& body) {
  try {
    body();
  } catch (const SqlFunctionError& e) {
    ReportFunctionError(ctx, e.native_error(), e.sql_state(), e.message());
  } catch (const PlatformError& e) {
    if (e.number() == err::kOverflow) {
      ReportFunctionError(ctx, native::kArithmeticOverflow, "22003",
                          "Arithmetic overflow error converting expression to "
                          "data type numeric.");
    } else if (e.number() == err::kDivisionByZero) {
      ReportFunctionError(ctx, native::kDivideByZero, "22012",
                          "Divide by zero error encountered.");
    } else {
      ReportFunctionError(ctx, 0, "HY000", e.description());
    }
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    ReportFunctionError(ctx, 0, "HY000", e.what());
  }
}

// A scalar function body: void F(Args&).
template <void (*F)(Args&)>
void ScalarCallback(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  Guard(ctx, [&] {
    Args args(ctx, argc, argv);
    F(args);
  });
}

enum class Purity { kDeterministic, kVolatile };

// Registers a scalar function for each argument count in [min_args,
// max_args]. Throws DatabaseError on failure.
void RegisterScalar(sqlite3* db, Session* session, const char* name,
                    int min_args, int max_args,
                    void (*fn)(sqlite3_context*, int, sqlite3_value**),
                    Purity purity = Purity::kDeterministic);

// Registration of each family of functions (one file each).
void RegisterTextFunctions(sqlite3* db, Session* session);
void RegisterNumberFunctions(sqlite3* db, Session* session);
void RegisterDateFunctions(sqlite3* db, Session* session);
void RegisterAggregateFunctions(sqlite3* db, Session* session);
// The collation TSQLCI.
void RegisterCollation(sqlite3* db);

// --- Conversions shared by the functions -----------------------------------
// The value of an argument as text the way T-SQL turns it into varchar:
// whole numbers in digits, reals in their shortest exact decimal form.
std::string ArgAsText(const Args& args, int i);
// The value of an argument as a whole number the way T-SQL passes it to an
// int parameter: reals truncated towards zero, texts converted as to int
// (error 245 when they are not whole numbers).
int64_t ArgAsInt(const Args& args, int i);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_FUNCTION_SUPPORT_H_
