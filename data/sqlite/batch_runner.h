// The batch interpreter of the embedded engine. It parses T-SQL batches,
// sends every statement the translator understands to SQLite (through a
// cache of translations keyed by statement text, so a statement seen before
// costs a hash lookup) and runs the rest itself: variables, IF / WHILE /
// BEGIN...END, TRY...CATCH, EXEC of stored procedures and of dynamic SQL,
// sp_executesql, RETURN, RAISERROR / THROW, transactions with @@TRANCOUNT,
// PRINT and INSERT ... EXEC. Result sets come back in the order the batch
// produced them.
//
// Errors: every failure is thrown as DatabaseError carrying SQLSTATE, native
// number and a description that names the position for syntax and binding
// errors. A failing statement ends the batch (and every procedure it ran
// in), unless a TRY block catches it.
#ifndef ZV_DATA_SQLITE_BATCH_RUNNER_H_
#define ZV_DATA_SQLITE_BATCH_RUNNER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/recordset.h"
#include "data/sqlite/database.h"
#include "data/tsql/ast.h"
#include "data/tsql/emitter.h"
#include "data/tsql/lexer.h"
#include "data/tsql/translation_cache.h"
#include "data/variant.h"

namespace zv::sqlite {

class TableFunctions;

// One argument of a procedure called from a Command.
struct ProcedureArgument {
  std::string name;     // with "@"
  Variant value;        // Empty: the parameter's default applies
  bool output = false;  // receives the parameter's value when the call ends
};

// What a batch or a procedure call produced.
struct BatchOutcome {
  std::vector<std::shared_ptr<Recordset>> results;  // in the order produced
  int32_t records_affected = -1;                    // rows of the last statement
  int32_t return_value = 0;                         // RETURN n of a procedure
  // RunWithParameters: the OUTPUT parameters, in declaration order, and
  // their final values.
  std::vector<FieldInfo> output_fields;
  std::vector<Variant> output_values;
};

class BatchRunner {
 public:
  explicit BatchRunner(std::shared_ptr<Database> db);
  ~BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  // Runs a T-SQL batch. Throws DatabaseError on the first failure; the
  // result sets produced before it are dropped.
  BatchOutcome Run(std::string_view batch);

  // Runs stored procedure `name` with `args` (named, in any order; the
  // others take their defaults). OUTPUT arguments receive the parameters'
  // final values as library values. Throws DatabaseError (2812 for an
  // unknown procedure, 8145 for a parameter it lacks, 201 for a missing
  // value without default).
  BatchOutcome CallProcedure(std::string_view name, std::vector<ProcedureArgument>& args);

  // Runs `batch` as sp_executesql runs its statement: `declarations` lists
  // its parameters ("@a INT, @b VARCHAR(10) OUTPUT"), `values` gives theirs
  // in that order (library values, converted to the declared types as T-SQL
  // converts them; Empty and Null are NULL). The outcome carries the final
  // values of the OUTPUT parameters. '#' tables the batch creates are
  // dropped when it ends, as in sp_executesql. Throws DatabaseError as Run
  // does.
  BatchOutcome RunWithParameters(std::string_view batch, std::string_view declarations,
                                 const std::vector<Variant>& values);

  // The catalogue entry of a stored procedure, or nullopt.
  std::optional<tsql::RoutineDef> FindProcedure(std::string_view name);

  // The rows of a table-valued function called with `args` (values as
  // SQLite holds them), each row as SQLite values of the result columns.
  // Used by the virtual tables of table_functions.h.
  std::vector<std::vector<Variant>> RunTableFunction(const tsql::RoutineDef& routine,
                                                     std::span<const Variant> args);
  // The result columns of a table-valued function.
  std::vector<tsql::ResultColumn> TableFunctionColumns(const tsql::RoutineDef& routine);

  // Statements running past the deadline fail with a timeout (HYT00);
  // nullopt removes the limit.
  void SetDeadline(std::optional<std::chrono::steady_clock::time_point> deadline);
  bool DeadlinePassed() const;

  // Receives the texts of PRINT (and of RAISERROR with severity 10 or less).
  void SetMessageHandler(std::function<void(const std::string&)> handler) {
    message_handler_ = std::move(handler);
  }

  int trancount() const { return trancount_; }
  // Statements translated since the runner was made (cache misses).
  uint64_t translation_count() const { return translations_; }
  Database& database() { return *db_; }

 private:
  enum class FrameKind { kBatch, kProcedure, kDynamic, kFunction };
  enum class Flow { kNext, kBreak, kContinue, kReturn };

  struct ParsedRoutine;
  struct Frame;
  class FrameScope;
  struct RawResult {
    std::vector<tsql::ResultColumn> columns;
    std::vector<std::vector<Variant>> rows;
  };
  // Where the result sets of the running statements go.
  struct ResultSink {
    std::vector<std::shared_ptr<Recordset>>* sets = nullptr;
    std::vector<RawResult>* raw = nullptr;
  };
  // The error a CATCH block is handling.
  struct CaughtError {
    DbError error;
    int severity = 16;
    int state = 1;
    int line = 0;
    std::string procedure;
  };
  struct BoundArguments {
    std::vector<std::optional<Variant>> values;  // nullopt: the default
    std::vector<std::pair<size_t, std::string>> outputs;  // parameter, caller's variable
  };

  // --- statements (batch_runner.cpp) ---
  Flow RunStatements(const std::vector<tsql::StmtPtr>& statements, Frame& frame);
  Flow RunStatement(const tsql::Statement& statement, Frame& frame);
  Flow RunControl(const tsql::Statement& statement, Frame& frame);
  void RunTranslatable(const tsql::Statement& statement, Frame& frame);
  void RunDeclare(const tsql::DeclareStatement& statement, Frame& frame);
  void RunSetOption(const tsql::SetOptionStatement& statement);
  void RunTransaction(const tsql::TransactionStatement& statement);
  // Returns only for a message of severity 10 or less.
  void RunRaiserror(const tsql::RaiserrorStatement& statement, Frame& frame);
  [[noreturn]] void RunThrow(const tsql::ThrowStatement& statement, Frame& frame);
  Flow RunTryCatch(const tsql::TryCatchStatement& statement, Frame& frame);
  bool Condition(const tsql::Statement& owner, const tsql::Expr& condition, Frame& frame);

  // Translation and execution.
  // The cached translation of `text` in the frame's context; `make`
  // translates on a miss.
  std::shared_ptr<const tsql::Translation> TranslationFor(
      std::string_view text, const Frame& frame, const std::function<tsql::Translation()>& make);
  void Execute(const tsql::Translation& t, Frame& frame, tsql::StmtKind kind);
  std::vector<Variant> ExecuteForValues(const tsql::Translation& t, Frame& frame);
  void BindParameters(Statement& st, const tsql::SqliteStatement& s, const Frame& frame);
  Variant ParameterValue(const std::string& name, const Frame& frame) const;
  void ApplyCatalogChanges(const tsql::Translation& t, Frame& frame);
  void Emit(Statement& st, const std::vector<tsql::ResultColumn>& columns);
  bool Step(Statement& st);

  // Values of expressions.
  Variant EvaluateAs(const tsql::Expr& expr, const tsql::SqlType& type, Frame& frame);
  std::pair<Variant, tsql::SqlType> Evaluate(const tsql::Expr& expr, Frame& frame);
  std::string EvaluateText(const tsql::Expr& expr, Frame& frame);
  Variant ConvertValue(const Variant& raw, const tsql::SqlType& from, const tsql::SqlType& to);

  // Catalogue versions for the translation cache.
  uint64_t NameVersion(std::string_view name) const;
  // Records the definition a name now has (0: none).
  void Touch(std::string_view name, uint64_t definition);
  void SyncCatalogVersion(bool own_change);

  // Frames.
  void DeclareVariable(Frame& frame, const std::string& name, const tsql::SqlType& type,
                       tsql::Position pos);
  void DeclareAll(Frame& frame, const std::vector<tsql::StmtPtr>& statements);
  void LeaveFrame(Frame& frame);

  // --- routines (batch_routines.cpp) ---
  Flow RunExec(const tsql::ExecStatement& statement, Frame& frame);
  Flow RunExecDynamic(const tsql::ExecDynamicStatement& statement, Frame& frame);
  void RunInsertExec(const tsql::InsertStatement& statement, Frame& frame);
  void RunExecuteSql(const tsql::ExecStatement& statement, Frame& frame);
  // The parameters of an sp_executesql declaration list.
  std::vector<tsql::ParamDef> ParameterList(const std::string& declaration);
  BoundArguments BindArguments(const std::string& routine, const std::vector<tsql::ParamDef>& params,
                               std::span<const tsql::ExecArg> args, Frame& caller);
  // Runs a procedure body with its parameters' values (storage form);
  // returns their final values.
  std::vector<Variant> RunProcedure(const tsql::RoutineDef& routine,
                                    const std::vector<std::optional<Variant>>& values,
                                    int32_t* return_value);
  void RunDynamic(const std::string& sql, const std::vector<tsql::ParamDef>& params,
                  std::vector<Variant>* values);
  Variant ParameterDefault(const tsql::ParamDef& param, Frame& frame);
  // Rows of the last statement of `t`, as SQLite values.
  std::vector<std::vector<Variant>> ExecuteForRows(const tsql::Translation& t, Frame& frame);
  std::shared_ptr<ParsedRoutine> Parsed(const tsql::RoutineDef& routine);
  void CopyOutputs(const BoundArguments& bound, const std::vector<tsql::ParamDef>& params,
                   const std::vector<Variant>& finals, Frame& caller);

  [[noreturn]] void Fail(int32_t native, const char* sql_state, const std::string& message);
  [[noreturn]] void FailSyntax(const tsql::ParseError& error);
  std::string Where(tsql::Position pos) const;

  std::shared_ptr<Database> db_;
  std::unique_ptr<tsql::TranslationCache> cache_;
  std::unique_ptr<TableFunctions> functions_;
  // Definition hashes of the names this runner created, altered or dropped.
  std::unordered_map<std::string, uint64_t> name_versions_;
  uint64_t epoch_ = 0;
  uint64_t seen_catalog_version_ = 0;
  std::unordered_map<std::string, std::shared_ptr<ParsedRoutine>> routines_;
  // Tables that held table variables, kept (emptied) for the next DECLARE of
  // the same variable at the same depth, by SQLite name with their columns.
  std::unordered_map<std::string, std::string> kept_tables_;
  std::vector<Frame*> frames_;
  std::vector<CaughtError> caught_;
  ResultSink sink_;
  int64_t rowcount_ = 0;
  int32_t last_error_ = 0;
  int trancount_ = 0;
  std::unordered_set<std::string> savepoints_;
  int current_line_ = 0;
  // Statements being stepped; nonzero while a table-valued function runs
  // inside one.
  int active_statements_ = 0;
  int pending_severity_ = 16;
  int pending_state_ = 1;
  uint64_t translations_ = 0;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  std::function<void(const std::string&)> message_handler_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_BATCH_RUNNER_H_
