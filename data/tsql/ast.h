// The syntax tree of the T-SQL the library speaks. Nodes own their children
// through unique_ptr; every node prints itself back as valid T-SQL with
// ToString() (printing, reparsing and printing again gives the same text),
// and converts to its concrete type with As<T>() (checked) or TryAs<T>().
#ifndef ZV_DATA_TSQL_AST_H_
#define ZV_DATA_TSQL_AST_H_

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/tsql/catalog.h"

namespace zv::tsql {

struct Position {
  int line = 0;
  int column = 0;
};

// Prints a name bare when it is a regular identifier that is not reserved,
// otherwise in brackets with ']' doubled.
std::string QuoteName(std::string_view name);
// 'text' with quotes doubled.
std::string QuoteString(std::string_view text);

// A possibly qualified name: {"dbo", "DO30_DOCCORPO"}, {"#TabellaOrdini"}.
struct ObjectName {
  std::vector<std::string> parts;
  Position pos;

  bool empty() const { return parts.empty(); }
  const std::string& Base() const { return parts.back(); }
  std::string ToString() const;
};

// A T-SQL data type as written: VARCHAR(MAX), DECIMAL(17,6), INT.
struct TypeName {
  std::string name;       // upper case
  int arg_count = 0;      // 0, 1 or 2 arguments written
  bool max = false;       // (MAX)
  int64_t arg1 = 0;
  int64_t arg2 = 0;
  Position pos;

  std::string ToString() const;
};

// The checked downcast shared by the node families.
template <typename Base, typename Kind>
struct NodeBase {
  Kind kind;
  Position pos;

  explicit NodeBase(Kind k) : kind(k) {}
  virtual ~NodeBase() = default;
  virtual std::string ToString() const = 0;

  template <typename T>
  T& As() {
    if (kind != T::kKind) throw std::logic_error("tsql: wrong node kind in As<>");
    return static_cast<T&>(*this);
  }
  template <typename T>
  const T& As() const {
    if (kind != T::kKind) throw std::logic_error("tsql: wrong node kind in As<>");
    return static_cast<const T&>(*this);
  }
  template <typename T>
  const T* TryAs() const {
    return kind == T::kKind ? static_cast<const T*>(this) : nullptr;
  }
  template <typename T>
  T* TryAs() {
    return kind == T::kKind ? static_cast<T*>(this) : nullptr;
  }
};

// ---------------------------------------------------------------- Expressions

enum class ExprKind {
  kLiteral, kColumn, kStar, kVariable, kUnary, kBinary, kBetween, kIn, kLike,
  kIsNull, kExists, kSubquery, kFunction, kCast, kCase, kCollate,
};

struct Expr : NodeBase<Expr, ExprKind> {
  using NodeBase::NodeBase;
  // Binding strength used when printing: higher binds tighter.
  virtual int Precedence() const { return 100; }
};
using ExprPtr = std::unique_ptr<Expr>;

struct Query;
using QueryPtr = std::unique_ptr<Query>;

enum class LiteralKind { kInteger, kDecimal, kFloat, kString, kNString, kNull, kBinary };

struct Literal : Expr {
  static constexpr ExprKind kKind = ExprKind::kLiteral;
  Literal() : Expr(kKind) {}
  LiteralKind literal_kind = LiteralKind::kNull;
  std::string value;  // number text as written, or the decoded string
  std::string ToString() const override;
};

// A column reference; parts are the qualifiers then the column name.
struct ColumnRef : Expr {
  static constexpr ExprKind kKind = ExprKind::kColumn;
  ColumnRef() : Expr(kKind) {}
  std::vector<std::string> parts;
  const std::string& Column() const { return parts.back(); }
  std::string ToString() const override;
};

// '*' or 't.*' in a select list.
struct StarExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kStar;
  StarExpr() : Expr(kKind) {}
  std::vector<std::string> qualifier;
  std::string ToString() const override;
};

struct VariableRef : Expr {
  static constexpr ExprKind kKind = ExprKind::kVariable;
  VariableRef() : Expr(kKind) {}
  std::string name;  // with '@'
  std::string ToString() const override { return name; }
};

enum class UnaryOp { kMinus, kPlus, kBitNot, kNot };

struct UnaryExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kUnary;
  UnaryExpr() : Expr(kKind) {}
  UnaryOp op = UnaryOp::kMinus;
  ExprPtr operand;
  std::string ToString() const override;
  int Precedence() const override;
};

enum class BinaryOp {
  kMul, kDiv, kMod,
  kAdd, kSub, kBitAnd, kBitOr, kBitXor,
  kEq, kNe, kLt, kGt, kLe, kGe, kNotLt, kNotGt,
  kAnd, kOr,
};
std::string_view BinaryOpText(BinaryOp op);
int BinaryOpPrecedence(BinaryOp op);
bool IsComparison(BinaryOp op);

struct BinaryExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kBinary;
  BinaryExpr() : Expr(kKind) {}
  BinaryOp op = BinaryOp::kAdd;
  ExprPtr left;
  ExprPtr right;
  std::string ToString() const override;
  int Precedence() const override { return BinaryOpPrecedence(op); }
};

// Precedence levels shared by the predicate nodes.
inline constexpr int kPrecOr = 10;
inline constexpr int kPrecAnd = 20;
inline constexpr int kPrecNot = 30;
inline constexpr int kPrecPredicate = 40;  // comparisons, BETWEEN, IN, LIKE, IS
inline constexpr int kPrecAdditive = 50;
inline constexpr int kPrecMultiplicative = 60;
inline constexpr int kPrecUnary = 70;

struct BetweenExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kBetween;
  BetweenExpr() : Expr(kKind) {}
  bool negated = false;
  ExprPtr expr, low, high;
  std::string ToString() const override;
  int Precedence() const override { return kPrecPredicate; }
};

struct InExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kIn;
  InExpr() : Expr(kKind) {}
  bool negated = false;
  ExprPtr expr;
  std::vector<ExprPtr> list;  // IN (a, b, c)
  QueryPtr subquery;          // IN (SELECT ...)
  std::string ToString() const override;
  int Precedence() const override { return kPrecPredicate; }
};

struct LikeExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kLike;
  LikeExpr() : Expr(kKind) {}
  bool negated = false;
  ExprPtr expr, pattern, escape;
  std::string ToString() const override;
  int Precedence() const override { return kPrecPredicate; }
};

struct IsNullExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kIsNull;
  IsNullExpr() : Expr(kKind) {}
  bool negated = false;
  ExprPtr expr;
  std::string ToString() const override;
  int Precedence() const override { return kPrecPredicate; }
};

struct ExistsExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kExists;
  ExistsExpr() : Expr(kKind) {}
  QueryPtr query;
  std::string ToString() const override;
};

// A parenthesized query used as a value.
struct SubqueryExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kSubquery;
  SubqueryExpr() : Expr(kKind) {}
  QueryPtr query;
  std::string ToString() const override;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
  std::string ToString() const;
};

struct WindowSpec {
  std::vector<ExprPtr> partition_by;
  std::vector<OrderItem> order_by;
  std::string ToString() const;
};

struct FunctionCall : Expr {
  static constexpr ExprKind kKind = ExprKind::kFunction;
  FunctionCall() : Expr(kKind) {}
  ObjectName name;
  std::vector<ExprPtr> args;
  bool distinct = false;  // COUNT(DISTINCT x)
  bool star = false;      // COUNT(*)
  std::unique_ptr<WindowSpec> over;
  // Upper-case name without schema ("ISNULL").
  std::string UpperName() const;
  std::string ToString() const override;
};

// CAST(expr AS type) or CONVERT(type, expr [, style]).
struct CastExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kCast;
  CastExpr() : Expr(kKind) {}
  bool is_convert = false;
  TypeName type;
  ExprPtr expr;
  ExprPtr style;
  std::string ToString() const override;
};

struct WhenClause {
  ExprPtr when;
  ExprPtr then;
};

struct CaseExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kCase;
  CaseExpr() : Expr(kKind) {}
  ExprPtr operand;  // simple CASE x WHEN ...; null for searched CASE
  std::vector<WhenClause> whens;
  ExprPtr else_expr;
  std::string ToString() const override;
};

struct CollateExpr : Expr {
  static constexpr ExprKind kKind = ExprKind::kCollate;
  CollateExpr() : Expr(kKind) {}
  ExprPtr expr;
  std::string collation;
  std::string ToString() const override;
  int Precedence() const override { return 90; }
};

// -------------------------------------------------------------- Table sources

enum class TableRefKind { kNamed, kFunction, kDerived, kJoin };

struct TableRef : NodeBase<TableRef, TableRefKind> {
  using NodeBase::NodeBase;
};
using TableRefPtr = std::unique_ptr<TableRef>;

// A table, view, CTE, '#' table or '@' table variable.
struct NamedTable : TableRef {
  static constexpr TableRefKind kKind = TableRefKind::kNamed;
  NamedTable() : TableRef(kKind) {}
  ObjectName name;
  std::string alias;
  std::vector<std::string> hints;  // NOLOCK, ... (upper case)
  std::string ToString() const override;
};

// A table-valued function called in FROM: dbo.FN(1, x.y) AS F.
struct FunctionTable : TableRef {
  static constexpr TableRefKind kKind = TableRefKind::kFunction;
  FunctionTable() : TableRef(kKind) {}
  ObjectName name;
  std::vector<ExprPtr> args;
  std::string alias;
  std::string ToString() const override;
};

struct DerivedTable : TableRef {
  static constexpr TableRefKind kKind = TableRefKind::kDerived;
  DerivedTable() : TableRef(kKind) {}
  QueryPtr query;
  std::string alias;
  std::vector<std::string> column_aliases;
  std::string ToString() const override;
};

enum class JoinType { kInner, kLeft, kRight, kFull, kCross, kCrossApply, kOuterApply };

struct JoinRef : TableRef {
  static constexpr TableRefKind kKind = TableRefKind::kJoin;
  JoinRef() : TableRef(kKind) {}
  JoinType type = JoinType::kInner;
  TableRefPtr left, right;
  ExprPtr on;  // null for CROSS JOIN and APPLY
  std::string ToString() const override;
};

// -------------------------------------------------------------------- Queries

struct SelectItem {
  ExprPtr expr;
  std::string alias;       // "" when none
  std::string assign_var;  // SELECT @v = expr: "@v"
  Position pos;
  std::string ToString() const;
};

struct SelectCore {
  Position pos;
  bool distinct = false;
  ExprPtr top;
  bool top_percent = false;
  bool top_with_ties = false;
  std::vector<SelectItem> items;
  ObjectName into;  // SELECT ... INTO t (empty when none)
  std::vector<TableRefPtr> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::string ToString() const;
};

enum class SetOp { kNone, kUnion, kUnionAll, kExcept, kIntersect };

// A leaf SELECT, a parenthesized query, or a set operation of two bodies.
struct QueryBody {
  std::unique_ptr<SelectCore> select;
  QueryPtr nested;
  SetOp op = SetOp::kNone;
  std::unique_ptr<QueryBody> left, right;
  std::string ToString() const;
  // The first SELECT of the body (the one that names the columns).
  const SelectCore& First() const;
  SelectCore& First();
};

struct CommonTableExpr {
  std::string name;
  std::vector<std::string> columns;
  QueryPtr query;
  Position pos;
};

struct ForXmlClause {
  std::string mode;                   // PATH, RAW, AUTO
  bool has_element = false;
  std::string element;                // PATH('row')
  std::vector<std::string> directives;  // TYPE, ... as written (upper case)
  std::string ToString() const;
};

struct Query {
  Position pos;
  std::vector<CommonTableExpr> ctes;
  std::unique_ptr<QueryBody> body;
  std::vector<OrderItem> order_by;
  std::unique_ptr<ForXmlClause> for_xml;
  std::string ToString() const;
};

// ----------------------------------------------------------------- Statements

enum class StmtKind {
  kSelect, kInsert, kUpdate, kDelete, kCreateTable, kAlterTable, kDrop, kCreateIndex,
  kCreateView, kTruncate, kDeclare, kSetVariable, kSetOption, kIf, kWhile, kBreak,
  kContinue, kBlock, kTryCatch, kExec, kExecDynamic, kReturn, kRaiserror, kThrow,
  kTransaction, kPrint, kCreateProcedure, kCreateFunction,
};

struct Statement : NodeBase<Statement, StmtKind> {
  using NodeBase::NodeBase;
  // Byte range of the statement in the text it was parsed from.
  size_t source_begin = 0;
  size_t source_end = 0;
};
using StmtPtr = std::unique_ptr<Statement>;

// Joins statements with ";" and a line break.
std::string StatementsToString(const std::vector<StmtPtr>& statements);

struct SelectStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kSelect;
  SelectStatement() : Statement(kKind) {}
  QueryPtr query;
  std::string ToString() const override { return query->ToString(); }
};

struct ExecArg {
  std::string name;  // "@p" for a named argument, "" for a positional one
  ExprPtr value;     // null for DEFAULT
  bool output = false;
  std::string ToString() const;
};

struct ExecStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kExec;
  ExecStatement() : Statement(kKind) {}
  std::string return_var;      // EXEC @rc = p
  ObjectName procedure;        // empty when the procedure is named by a variable
  std::string procedure_var;   // EXEC @name ...
  std::vector<ExecArg> args;
  std::string ToString() const override;
};

// WITH a AS (...), b AS (...) in front of a statement ("" when none).
std::string CtesToString(const std::vector<CommonTableExpr>& ctes);

struct InsertStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kInsert;
  InsertStatement() : Statement(kKind) {}
  std::vector<CommonTableExpr> ctes;  // WITH ... INSERT
  ObjectName target;
  std::vector<std::string> columns;
  std::vector<std::vector<ExprPtr>> values;  // VALUES (...), (...)
  QueryPtr select;                           // INSERT ... SELECT
  std::unique_ptr<ExecStatement> exec;       // INSERT ... EXEC
  bool default_values = false;
  std::string ToString() const override;
};

struct SetClause {
  std::vector<std::string> column;  // qualified column, or {"@v"}
  ExprPtr value;
  std::string ToString() const;
};

struct UpdateStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kUpdate;
  UpdateStatement() : Statement(kKind) {}
  std::vector<CommonTableExpr> ctes;  // WITH ... UPDATE
  ExprPtr top;
  ObjectName target;
  std::vector<SetClause> sets;
  std::vector<TableRefPtr> from;
  ExprPtr where;
  std::string ToString() const override;
};

struct DeleteStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kDelete;
  DeleteStatement() : Statement(kKind) {}
  std::vector<CommonTableExpr> ctes;  // WITH ... DELETE
  ExprPtr top;
  ObjectName target;
  std::vector<TableRefPtr> from;
  ExprPtr where;
  std::string ToString() const override;
};

struct ColumnDefinition {
  std::string name;
  TypeName type;
  std::string collation;
  int nullability = 0;  // 0 unspecified, 1 NULL, 2 NOT NULL
  ExprPtr default_value;
  std::string default_name;  // CONSTRAINT name DEFAULT ...
  bool identity = false;
  int64_t identity_seed = 1;
  int64_t identity_increment = 1;
  bool primary_key = false;
  bool unique = false;
  Position pos;
  std::string ToString() const;
};

struct IndexColumn {
  std::string name;
  bool descending = false;
};

struct TableConstraint {
  enum class Kind { kPrimaryKey, kUnique, kCheck };
  Kind kind = Kind::kPrimaryKey;
  std::string name;
  int clustering = 0;  // 0 unspecified, 1 CLUSTERED, 2 NONCLUSTERED
  std::vector<IndexColumn> columns;
  ExprPtr check;
  std::string ToString() const;
};

struct CreateTableStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kCreateTable;
  CreateTableStatement() : Statement(kKind) {}
  ObjectName name;
  std::vector<ColumnDefinition> columns;
  std::vector<TableConstraint> constraints;
  std::string ToString() const override;
};

struct AlterTableStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kAlterTable;
  AlterTableStatement() : Statement(kKind) {}
  ObjectName table;
  std::vector<ColumnDefinition> add_columns;
  std::vector<std::string> drop_columns;
  std::string ToString() const override;
};

enum class ObjectKind { kTable, kView, kProcedure, kFunction, kIndex };

struct DropStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kDrop;
  DropStatement() : Statement(kKind) {}
  ObjectKind object = ObjectKind::kTable;
  bool if_exists = false;
  std::vector<ObjectName> names;
  ObjectName index_table;  // DROP INDEX ix ON t
  std::string ToString() const override;
};

struct CreateIndexStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kCreateIndex;
  CreateIndexStatement() : Statement(kKind) {}
  bool unique = false;
  int clustering = 0;  // 0 unspecified, 1 CLUSTERED, 2 NONCLUSTERED
  std::string name;
  ObjectName table;
  std::vector<IndexColumn> columns;
  std::vector<std::string> include;
  std::string ToString() const override;
};

struct CreateViewStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kCreateView;
  CreateViewStatement() : Statement(kKind) {}
  bool alter = false;     // ALTER VIEW
  bool or_alter = false;  // CREATE OR ALTER VIEW
  ObjectName name;
  std::vector<std::string> columns;
  QueryPtr query;
  std::string ToString() const override;
};

struct TruncateStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kTruncate;
  TruncateStatement() : Statement(kKind) {}
  ObjectName table;
  std::string ToString() const override;
};

struct VariableDecl {
  std::string name;  // with '@'
  TypeName type;
  ExprPtr init;
  bool is_table = false;  // DECLARE @t TABLE (...)
  std::vector<ColumnDefinition> table_columns;
  std::vector<TableConstraint> table_constraints;
  Position pos;
  std::string ToString() const;
};

struct DeclareStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kDeclare;
  DeclareStatement() : Statement(kKind) {}
  std::vector<VariableDecl> vars;
  std::string ToString() const override;
};

// SET @v = expr, SET @v += expr.
struct SetVariableStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kSetVariable;
  SetVariableStatement() : Statement(kKind) {}
  std::string name;
  BinaryOp compound = BinaryOp::kEq;  // kEq for plain '=', else the operator of op=
  ExprPtr value;
  std::string ToString() const override;
};

// SET NOCOUNT ON and the other session options (accepted, no effect).
struct SetOptionStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kSetOption;
  SetOptionStatement() : Statement(kKind) {}
  std::vector<std::string> words;  // as written, upper case: {"NOCOUNT", "ON"}
  std::string ToString() const override;
};

struct IfStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kIf;
  IfStatement() : Statement(kKind) {}
  ExprPtr condition;
  StmtPtr then_stmt;
  StmtPtr else_stmt;
  std::string ToString() const override;
};

struct WhileStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kWhile;
  WhileStatement() : Statement(kKind) {}
  ExprPtr condition;
  StmtPtr body;
  std::string ToString() const override;
};

struct BreakStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kBreak;
  BreakStatement() : Statement(kKind) {}
  std::string ToString() const override { return "BREAK"; }
};

struct ContinueStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kContinue;
  ContinueStatement() : Statement(kKind) {}
  std::string ToString() const override { return "CONTINUE"; }
};

struct BlockStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kBlock;
  BlockStatement() : Statement(kKind) {}
  std::vector<StmtPtr> statements;
  std::string ToString() const override;
};

struct TryCatchStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kTryCatch;
  TryCatchStatement() : Statement(kKind) {}
  std::vector<StmtPtr> try_statements;
  std::vector<StmtPtr> catch_statements;
  std::string ToString() const override;
};

// EXEC (@sql), EXEC ('SELECT ' + @x).
struct ExecDynamicStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kExecDynamic;
  ExecDynamicStatement() : Statement(kKind) {}
  ExprPtr sql;
  std::string ToString() const override;
};

struct ReturnStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kReturn;
  ReturnStatement() : Statement(kKind) {}
  ExprPtr value;  // may be null
  std::string ToString() const override;
};

struct RaiserrorStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kRaiserror;
  RaiserrorStatement() : Statement(kKind) {}
  std::vector<ExprPtr> args;          // message, severity, state, arguments...
  std::vector<std::string> options;   // NOWAIT, LOG, SETERROR
  std::string ToString() const override;
};

struct ThrowStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kThrow;
  ThrowStatement() : Statement(kKind) {}
  std::vector<ExprPtr> args;  // none (rethrow) or number, message, state
  std::string ToString() const override;
};

enum class TransactionOp { kBegin, kCommit, kRollback, kSave };

struct TransactionStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kTransaction;
  TransactionStatement() : Statement(kKind) {}
  TransactionOp op = TransactionOp::kBegin;
  std::string name;
  std::string ToString() const override;
};

struct PrintStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kPrint;
  PrintStatement() : Statement(kKind) {}
  ExprPtr value;
  std::string ToString() const override;
};

struct ParameterDecl {
  std::string name;  // with '@'
  TypeName type;
  ExprPtr default_value;
  bool output = false;
  bool readonly = false;
  Position pos;
  std::string ToString() const;
};

struct CreateProcedureStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kCreateProcedure;
  CreateProcedureStatement() : Statement(kKind) {}
  bool alter = false;
  bool or_alter = false;
  ObjectName name;
  std::vector<ParameterDecl> params;
  std::vector<StmtPtr> body;
  std::string ToString() const override;
};

enum class FunctionKind { kScalar, kInlineTable, kMultiStatementTable };

struct CreateFunctionStatement : Statement {
  static constexpr StmtKind kKind = StmtKind::kCreateFunction;
  CreateFunctionStatement() : Statement(kKind) {}
  bool alter = false;
  bool or_alter = false;
  ObjectName name;
  std::vector<ParameterDecl> params;
  FunctionKind function_kind = FunctionKind::kScalar;
  TypeName returns;                           // scalar
  std::string table_var;                      // multi-statement: "@t"
  std::vector<ColumnDefinition> table_columns;
  QueryPtr inline_query;                      // inline: RETURN (query)
  std::vector<StmtPtr> body;                  // scalar and multi-statement
  std::string ToString() const override;
};

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_AST_H_
