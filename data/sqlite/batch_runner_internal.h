// Pieces of the batch interpreter shared by batch_runner.cpp and
// batch_routines.cpp: the frame of variables a batch, procedure, dynamic
// batch or function runs in, parsed routines, and small helpers.
#ifndef ZV_DATA_SQLITE_BATCH_RUNNER_INTERNAL_H_
#define ZV_DATA_SQLITE_BATCH_RUNNER_INTERNAL_H_

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/sqlite/batch_runner.h"

namespace zv::sqlite {

namespace runner_internal {

// Procedures and functions nest at most this deep (SQL Server's limit).
inline constexpr size_t kMaxFrameDepth = 32;

// A variable a body declares, found before the body runs so that every
// statement is translated with the same variables in scope.
struct Declaration {
  std::string name;
  tsql::SqlType type;
  tsql::Position pos;
};
// The scalar variables declared anywhere in `statements` (table variables
// are created when their DECLARE runs). Throws DatabaseError 2715 for an
// unknown type.
std::vector<Declaration> CollectDeclarations(const std::vector<tsql::StmtPtr>& statements);

// An object name as the interpreter keys it: normalised, upper case.
std::string FoldName(std::string_view name);
// A SQLite identifier in double quotes, quotes doubled.
// What a cached translation depends on in a table or routine definition:
// equal definitions give equal values, so a '#' table created again with
// the same columns keeps the translations that read it.
uint64_t DefinitionHash(const tsql::TableDef& table);
uint64_t DefinitionHash(const tsql::RoutineDef& routine);
// The SQLSTATE of a translation error's native number.
std::string SqlStateForNative(int native);
// The source text of a statement (its printed form when it has none).
std::string Slice(std::string_view text, const tsql::Statement& s);

}  // namespace runner_internal

struct BatchRunner::Frame {
  FrameKind kind = FrameKind::kBatch;
  std::string_view text;  // what the statements were parsed from
  std::string routine;    // the procedure or function running, "" for a batch
  tsql::TranslationContext context;
  std::unordered_map<std::string, Variant> values;  // by upper-case name, as stored
  std::vector<std::string> temp_tables;             // '#' tables created here
  std::vector<std::string> table_variables;         // SQLite tables of table variables
  int32_t return_value = 0;
  int depth = 0;
};

struct BatchRunner::ParsedRoutine {
  std::string definition;                 // the text parsed; statements point into it
  std::vector<tsql::StmtPtr> statements;  // the CREATE statement
  std::vector<runner_internal::Declaration> declarations;
  // Inline table-valued functions: the query as a statement of its own.
  std::string inline_text;
  std::vector<tsql::StmtPtr> inline_select;
  // Multi-statement table-valued functions: the DECLARE of the returned
  // table variable.
  std::string return_text;
  std::vector<tsql::StmtPtr> return_declare;
  // Parameter defaults as stored values, worked out at the first call.
  std::vector<std::optional<Variant>> defaults;
  bool defaults_ready = false;
};

// Enters a frame for as long as it lives; leaving ends the frame's table
// variables and (for procedures and dynamic SQL) its '#' tables.
class BatchRunner::FrameScope {
 public:
  FrameScope(BatchRunner& runner, Frame& frame);  // DatabaseError 217 beyond 32 levels
  ~FrameScope();
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  BatchRunner& runner_;
  Frame& frame_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_BATCH_RUNNER_INTERNAL_H_
