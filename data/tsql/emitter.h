// Translation of one T-SQL statement into SQLite SQL, following the storage
// conventions of data/tsql/README.md. The translator binds every name
// against the catalogue and the variables in scope, types every expression
// with the T-SQL rules of types.h, and rewrites what SQLite lacks: '+' on
// texts, ISNULL, TOP, SELECT ... INTO, OUTER/CROSS APPLY, FOR XML PATH(''),
// T-SQL string and date functions, CHAR(n) padding, case-insensitive text
// comparison. A construct it cannot translate exactly is refused with
// "not supported: ..." rather than translated approximately.
//
// Translate() is a pure function of the statement, the variable types and
// the catalogue entries named in Translation::dependencies, so its result may
// be cached (see translation_cache.h).
#ifndef ZV_DATA_TSQL_EMITTER_H_
#define ZV_DATA_TSQL_EMITTER_H_

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/tsql/ast.h"
#include "data/tsql/catalog.h"

namespace zv::tsql {

struct LessIgnoreCase {
  bool operator()(const std::string& a, const std::string& b) const;
};

// A failure to translate: SQL Server's message number where it has one
// (207 invalid column, 208 invalid object, 209 ambiguous column, 137
// undeclared variable, 195 unknown function, 213 column count, 2705/2714/
// 3701 object definitions, 8117 operand type), 0 for "not supported: ...".
class TranslateError : public std::runtime_error {
 public:
  TranslateError(int native_error, Position pos, const std::string& message)
      : std::runtime_error(message), native_error_(native_error), pos_(pos) {}
  int native_error() const { return native_error_; }
  Position position() const { return pos_; }

 private:
  int native_error_;
  Position pos_;
};

// What the statement runs in.
struct TranslationContext {
  Catalog* catalog = nullptr;
  // Scalar variables and parameters visible to the statement, by name with
  // "@". @@ROWCOUNT, @@ERROR, @@TRANCOUNT, @@IDENTITY, @@FETCH_STATUS,
  // @@SPID need not be listed.
  std::map<std::string, SqlType, LessIgnoreCase> variables;
  // Table variables by T-SQL name ("@t"); TableDef::name is the name of the
  // SQLite table that holds the rows (in the temp schema).
  std::map<std::string, TableDef, LessIgnoreCase> table_variables;
};

// One SQLite statement. Variables become numbered parameters: ?1 is
// parameters[0], ?2 parameters[1], ... (names with "@"; ERROR_MESSAGE() and
// the other error functions appear under their call text, e.g.
// "ERROR_MESSAGE()").
struct SqliteStatement {
  std::string sql;
  std::vector<std::string> parameters;
};

struct ResultColumn {
  std::string name;  // "" for an unnamed expression
  SqlType type;
  bool nullable = true;
};

struct CatalogChange {
  enum class Kind {
    kCreateTable,   // table: the new table (also SELECT ... INTO)
    kAlterTable,    // table: the complete new definition
    kDropTable,     // name
    kCreateView,    // table: the view's columns
    kDropView,      // name
    kCreateRoutine,  // routine
    kDropRoutine,   // name
    kDeclareTableVariable,  // table: name "@t", columns; rows live in temp.<sqlite name>
  };
  Kind kind = Kind::kCreateTable;
  std::string name;
  TableDef table;
  RoutineDef routine;
};

struct Translation {
  // Run in this order; when returns_rows, the last one yields the rows.
  std::vector<SqliteStatement> statements;
  bool returns_rows = false;
  std::vector<ResultColumn> columns;  // of the rows, when returns_rows or assigns
  // SELECT @a = x, @b = y ... / SET @a = x: the variables that receive the
  // columns of the last row (none when there is no row); the values are
  // already converted to each variable's type.
  std::vector<std::string> assign_to;
  std::vector<CatalogChange> catalog_changes;
  // Catalogue names (tables, views, routines, '#' tables) the translation
  // looked up, found or not.
  std::vector<std::string> dependencies;
  // Table-valued functions emitted as SQLite table-valued functions
  // ("NAME"(args) in FROM): the runtime provides an eponymous virtual table
  // of that name whose columns are the function's result columns followed by
  // one hidden column per parameter.
  std::vector<std::string> table_functions;
};

// True for statements that become SQLite SQL (queries, DML, DDL, DECLARE
// with initial values, SET @v, SET options); false for those the batch
// interpreter runs itself (IF, WHILE, blocks, EXEC, RETURN, RAISERROR,
// THROW, transactions, PRINT, BREAK, CONTINUE).
bool IsTranslatable(const Statement& statement);

// Translates one statement. Throws TranslateError (or TypeError).
Translation Translate(const Statement& statement, const TranslationContext& context);

// SELECT <expr>: one unnamed column of the expression's type.
Translation TranslateScalar(const Expr& expr, const TranslationContext& context);

// SELECT CASE WHEN <condition> THEN 1 ELSE 0 END, for IF and WHILE.
Translation TranslateCondition(const Expr& condition, const TranslationContext& context);

// The T-SQL type of `expr` with the columns of `sources` in scope (each
// source's columns qualified by its TableDef::name).
SqlType InferExpressionType(const Expr& expr, const TranslationContext& context,
                            const std::vector<TableDef>& sources);

// The catalogue definition of a CREATE PROCEDURE or CREATE FUNCTION.
RoutineDef DescribeRoutine(const Statement& create_statement);

// The SQLite declaration of a column of T-SQL type `type` ("TEXT COLLATE
// TSQLCI", "INTEGER", "REAL", "TEXT", "" for SQL_VARIANT, "BLOB").
std::string SqliteColumnType(const SqlType& type);

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_EMITTER_H_
