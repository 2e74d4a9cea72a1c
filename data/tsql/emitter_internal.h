// The translator's working state, shared by emitter.cpp (statements),
// emitter_query.cpp (queries and table sources) and emitter_expr.cpp
// (expressions, functions and conversions).
#ifndef ZV_DATA_TSQL_EMITTER_INTERNAL_H_
#define ZV_DATA_TSQL_EMITTER_INTERNAL_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/tsql/ast.h"
#include "data/tsql/emitter.h"
#include "data/tsql/types.h"

namespace zv::tsql::internal {

// An emitted expression with its T-SQL type.
struct Typed {
  std::string sql;
  SqlType type;
  bool nullable = true;
  // The value carries a text collation of its own (a stored text column, a
  // derived column that had one, or an explicit COLLATE).
  bool collated = false;
  const Literal* literal = nullptr;  // set when the expression is a literal
};

// A column visible to expressions: its T-SQL name and type and the SQLite
// text that reads it.
struct Col {
  std::string name;
  SqlType type;
  bool nullable = true;
  bool collated = false;
  std::string sql;
  bool identity = false;
};

struct Source {
  std::string qualifier;  // the alias, or the table's own name
  std::vector<Col> columns;
  bool stored_table = false;  // has a rowid (UPDATE/DELETE ... FROM)
  std::string sql_alias;      // the SQLite alias of the FROM item
  std::string table_name;     // catalogue name for stored tables
};

struct CteInfo {
  std::string name;
  std::vector<Col> columns;
  bool in_progress = false;  // its own query is being translated
};

struct Scope {
  const Scope* outer = nullptr;
  std::vector<Source> sources;
  const std::vector<CteInfo>* ctes = nullptr;
  // Set when a query nested in this scope read one of its columns.
  mutable bool referenced_from_inner = false;
  // Select-list aliases an ORDER BY may name.
  const std::vector<std::pair<std::string, Typed>>* aliases = nullptr;
};

struct EmittedQuery {
  std::string sql;
  std::vector<Col> columns;  // name, type, nullability, collation
  std::vector<std::string> assign_to;
};

struct QueryOptions {
  const std::vector<SqlType>* target_types = nullptr;  // INSERT ... SELECT
  const std::vector<std::string>* rename = nullptr;    // derived table column aliases
  bool allow_assign = false;                           // SELECT @v = ...
  bool allow_into = false;
};

std::string QuoteIdent(std::string_view name);
std::string QuoteLiteral(std::string_view text);
bool IsTempName(std::string_view name);
// A T-SQL object name without server, database and schema.
std::string BaseName(const ObjectName& name);

class Emitter {
 public:
  explicit Emitter(const TranslationContext& context);

  Translation result;

  // ---- statements (emitter.cpp)
  void EmitStatement(const Statement& s);
  void EmitSelectStatement(const SelectStatement& s);
  void EmitSelectInto(const Query& q);
  void EmitInsert(const InsertStatement& s);
  void EmitUpdate(const UpdateStatement& s);
  void EmitDelete(const DeleteStatement& s);
  void EmitCreateTable(const ObjectName& name, const std::vector<ColumnDefinition>& columns,
                       const std::vector<TableConstraint>& constraints, bool table_variable);
  void EmitAlterTable(const AlterTableStatement& s);
  void EmitDrop(const DropStatement& s);
  void EmitCreateIndex(const CreateIndexStatement& s);
  void EmitCreateView(const CreateViewStatement& s);
  void EmitDeclare(const DeclareStatement& s);
  void EmitSetVariable(const SetVariableStatement& s);
  void Flush(std::string sql);  // ends one SQLite statement

  // ---- queries (emitter_query.cpp)
  EmittedQuery EmitQuery(const Query& q, const Scope* outer, const QueryOptions& options);
  // Translates WITH definitions into `ctes`; returns "WITH ..." or "".
  std::string EmitCtes(const std::vector<CommonTableExpr>& definitions, const Scope* outer,
                       std::vector<CteInfo>& ctes);
  EmittedQuery EmitBody(const QueryBody& body, const Scope* outer,
                        const std::vector<CteInfo>* ctes, const QueryOptions& options,
                        const std::vector<OrderItem>* order_by, std::string* limit);
  EmittedQuery EmitSelectCore(const SelectCore& core, const Scope* outer,
                              const std::vector<CteInfo>* ctes, const QueryOptions& options,
                              const std::vector<OrderItem>* order_by, std::string* limit);
  std::string EmitFromList(const std::vector<TableRefPtr>& from, Scope& scope,
                           std::vector<std::string>& extra_where);
  std::string EmitTableRef(const TableRef& ref, Scope& scope,
                           std::vector<std::string>& extra_where, const std::string& sql_alias);
  std::string EmitNamedTable(const NamedTable& t, Scope& scope, const std::string& sql_alias);
  std::string EmitFunctionTable(const FunctionTable& t, Scope& scope,
                                const std::string& sql_alias, bool* correlated);
  std::string EmitApply(const JoinRef& j, Scope& scope, std::vector<std::string>& extra_where);
  EmittedQuery EmitForXml(const Query& q, const Scope* outer);
  std::string EmitOrderBy(const std::vector<OrderItem>& items, const Scope& scope);
  std::vector<Col> TableColumns(const TableDef& def, const std::string& qualifier_sql);
  const CreateFunctionStatement& FunctionDefinition(const RoutineDef& routine, Position pos);
  std::vector<Col> FunctionColumns(const RoutineDef& routine, Position pos);

  // ---- expressions (emitter_expr.cpp)
  Typed Expr(const zv::tsql::Expr& e, const Scope& scope);
  Typed Predicate(const zv::tsql::Expr& e, const Scope& scope);
  Typed Column(const ColumnRef& c, const Scope& scope);
  Typed Variable(const VariableRef& v);
  Typed Binary(const BinaryExpr& b, const Scope& scope);
  Typed Comparison(BinaryOp op, Typed l, Typed r, Position pos);
  Typed Arithmetic(BinaryOp op, Typed l, Typed r, Position pos);
  Typed Function(const FunctionCall& f, const Scope& scope);
  Typed Aggregate(const FunctionCall& f, const Scope& scope);
  Typed Case(const CaseExpr& c, const Scope& scope);
  Typed Subquery(const Query& q, const Scope& scope, Position pos);
  // Converts to `target` as CAST/CONVERT does (style for CONVERT).
  Typed Convert(const Typed& v, const SqlType& target, const Typed* style, Position pos);
  // Converts a value written into a column of type `target` (CHAR(n) padded).
  Typed ConvertForStore(const Typed& v, const SqlType& target, Position pos);
  // As ConvertForStore, for a variable: a text longer than a VARCHAR(n) or
  // NVARCHAR(n) variable is cut to n characters, as T-SQL assigns it.
  Typed ConvertForVariable(const Typed& v, const SqlType& target, Position pos);
  // Makes `v` a text argument (numbers formatted as T-SQL does).
  Typed ToText(const Typed& v, Position pos);
  // Adds COLLATE TSQLCI to a text value that has no collation.
  std::string Collated(const Typed& v) const;
  std::string Window(const WindowSpec& w, const Scope& scope);

  // ---- names and catalogue
  std::optional<TableDef> FindTable(const std::string& name);
  std::optional<RoutineDef> FindRoutine(const std::string& name);
  std::string Parameter(const std::string& name);
  [[noreturn]] void Error(int native, Position pos, const std::string& message) const;
  [[noreturn]] void NotSupported(Position pos, const std::string& what) const;

  const TranslationContext& context() const { return context_; }
  std::map<std::string, Typed, LessIgnoreCase> substitutions;  // TVF parameters

 private:
  const TranslationContext& context_;
  std::vector<std::string> params_;

 public:
  // Counts the column references resolved so far (a function argument that
  // reads a column cannot be expanded into a derived table).
  int column_resolutions = 0;
  std::map<std::string, std::unique_ptr<Statement>, LessIgnoreCase> definitions_;
};

}  // namespace zv::tsql::internal

#endif  // ZV_DATA_TSQL_EMITTER_INTERNAL_H_
