// The T-SQL shell behind `vestaro sql`: reads scripts whose batches are
// separated by GO lines, as sqlcmd reads them, runs each batch on a
// connection and prints every result set as an aligned table or as CSV.
#ifndef ZV_APPS_SQL_SHELL_H_
#define ZV_APPS_SQL_SHELL_H_

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/recordset.h"

namespace zv::shell_sql {

enum class OutputFormat { kTable, kCsv };

// When `line` is a batch separator ("GO", any case, optionally followed by a
// repeat count and a "--" comment), the number of times the batch runs;
// otherwise nullopt.
std::optional<int> BatchSeparator(std::string_view line);

// A field value as the shell prints it: DECIMAL with its scale ("12.500"),
// DATETIME as "YYYY-MM-DD HH:MM:SS.mmm", BIT as 1/0, NULL as "NULL" in a
// table and as an empty field in CSV.
std::string FormatCell(const Variant& value, const FieldInfo& field, OutputFormat format);

// Prints the rows of the set's current view, from the first, in `format`.
// A table ends with "(N rows)".
void PrintRecordset(Recordset& rs, OutputFormat format, std::ostream& out);

class ScriptRunner {
 public:
  ScriptRunner(Connection& connection, OutputFormat format, std::ostream& out,
               std::ostream& err)
      : connection_(connection), format_(format), out_(out), err_(err) {}

  // Reads `in` line by line and runs each batch as soon as its GO line (or
  // the end of the input) is read, so that an interactive session answers
  // at every GO. `source` names the input in error messages.
  void RunStream(std::istream& in, std::string_view source);
  void RunText(std::string_view text, std::string_view source);

  // Runs one batch and prints its result sets; a failure is printed to the
  // error stream with its SQLSTATE and counted. Returns false on failure.
  bool RunBatch(std::string_view batch, std::string_view source, int64_t first_line);

  int64_t failures() const { return failures_; }
  int64_t batches() const { return batches_; }

 private:
  void Flush(std::string* batch, int repeat, std::string_view source, int64_t first_line);

  Connection& connection_;
  OutputFormat format_;
  std::ostream& out_;
  std::ostream& err_;
  int64_t failures_ = 0;
  int64_t batches_ = 0;
  int64_t result_sets_ = 0;
};

}  // namespace zv::shell_sql

#endif  // ZV_APPS_SQL_SHELL_H_
