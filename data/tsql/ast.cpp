#include "data/tsql/ast.h"

#include <cctype>

#include "data/tsql/lexer.h"

namespace zv::tsql {
namespace {

bool IsRegularIdentifier(std::string_view name) {
  if (name.empty()) return false;
  unsigned char first = static_cast<unsigned char>(name[0]);
  if (!(std::isalpha(first) || first == '_' || first == '#' || first >= 0x80)) return false;
  // N'...' would read as a national string.
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (!(std::isalnum(c) || c == '_' || c == '#' || c == '@' || c == '$' || c >= 0x80)) {
      return false;
    }
  }
  return true;
}

// Function names print bare even when reserved, for the reserved words that
// the parser also accepts as function names.
bool IsFunctionKeyword(std::string_view name) {
  return EqualsIgnoreCase(name, "LEFT") || EqualsIgnoreCase(name, "RIGHT") ||
         EqualsIgnoreCase(name, "NULLIF");
}

std::string Join(const std::vector<std::string>& items, std::string_view sep) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += sep;
    out += items[i];
  }
  return out;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::vector<std::string> quoted;
  for (const auto& n : names) quoted.push_back(QuoteName(n));
  return Join(quoted, ", ");
}

std::string JoinExprs(const std::vector<ExprPtr>& exprs) {
  std::vector<std::string> parts;
  for (const auto& e : exprs) parts.push_back(e->ToString());
  return Join(parts, ", ");
}

std::string JoinOrder(const std::vector<OrderItem>& items) {
  std::vector<std::string> parts;
  for (const auto& o : items) parts.push_back(o.ToString());
  return Join(parts, ", ");
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += ".";
    // Table variables (@t) print as written.
    out += !parts[i].empty() && parts[i][0] == '@' ? parts[i] : QuoteName(parts[i]);
  }
  return out;
}

// Prints `child`, in parentheses when it binds looser than `min_prec`.
std::string Operand(const Expr& child, int min_prec) {
  std::string s = child.ToString();
  if (child.Precedence() < min_prec) return "(" + s + ")";
  return s;
}

std::string ColumnList(const std::vector<IndexColumn>& cols) {
  std::vector<std::string> parts;
  for (const auto& c : cols) parts.push_back(QuoteName(c.name) + (c.descending ? " DESC" : ""));
  return "(" + Join(parts, ", ") + ")";
}

std::string Clustering(int c) {
  return c == 1 ? " CLUSTERED" : c == 2 ? " NONCLUSTERED" : "";
}

std::string Indent(const std::string& text) {
  std::string out = "  ";
  for (char c : text) {
    out.push_back(c);
    if (c == '\n') out += "  ";
  }
  return out;
}

std::string BlockOf(const std::vector<StmtPtr>& statements) {
  std::string out = "BEGIN\n";
  if (!statements.empty()) out += Indent(StatementsToString(statements)) + "\n";
  return out + "END";
}

std::string ParamList(const std::vector<ParameterDecl>& params) {
  std::vector<std::string> parts;
  for (const auto& p : params) parts.push_back(p.ToString());
  return Join(parts, ", ");
}

std::string TableBody(const std::vector<ColumnDefinition>& columns,
                      const std::vector<TableConstraint>& constraints) {
  std::vector<std::string> parts;
  for (const auto& c : columns) parts.push_back(c.ToString());
  for (const auto& c : constraints) parts.push_back(c.ToString());
  return "(" + Join(parts, ", ") + ")";
}

}  // namespace

std::string QuoteName(std::string_view name) {
  if (name.empty()) return "";
  if (IsRegularIdentifier(name) && !IsReservedWord(name)) return std::string(name);
  std::string out = "[";
  for (char c : name) {
    out.push_back(c);
    if (c == ']') out.push_back(']');
  }
  return out + "]";
}

std::string QuoteString(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out + "'";
}

std::string ObjectName::ToString() const { return JoinParts(parts); }

std::string TypeName::ToString() const {
  std::string out = name;
  if (max) return out + "(MAX)";
  if (arg_count == 1) out += "(" + std::to_string(arg1) + ")";
  if (arg_count == 2) out += "(" + std::to_string(arg1) + ", " + std::to_string(arg2) + ")";
  return out;
}

// ---------------------------------------------------------------- Expressions

std::string Literal::ToString() const {
  switch (literal_kind) {
    case LiteralKind::kString: return QuoteString(value);
    case LiteralKind::kNString: return "N" + QuoteString(value);
    case LiteralKind::kNull: return "NULL";
    default: return value;
  }
}

std::string ColumnRef::ToString() const { return JoinParts(parts); }

std::string StarExpr::ToString() const {
  return qualifier.empty() ? "*" : JoinParts(qualifier) + ".*";
}

int UnaryExpr::Precedence() const { return op == UnaryOp::kNot ? kPrecNot : kPrecUnary; }

std::string UnaryExpr::ToString() const {
  if (op == UnaryOp::kNot) return "NOT " + Operand(*operand, kPrecNot);
  std::string sym = op == UnaryOp::kMinus ? "-" : op == UnaryOp::kPlus ? "+" : "~";
  std::string inner = Operand(*operand, kPrecUnary);
  // Keep "- -1" apart so that it does not read as a comment.
  if (!inner.empty() && (inner[0] == '-' || inner[0] == '+')) return sym + " " + inner;
  return sym + inner;
}

std::string_view BinaryOpText(BinaryOp op) {
  switch (op) {
    case BinaryOp::kMul: return "*";
    case BinaryOp::kDiv: return "/";
    case BinaryOp::kMod: return "%";
    case BinaryOp::kAdd: return "+";
    case BinaryOp::kSub: return "-";
    case BinaryOp::kBitAnd: return "&";
    case BinaryOp::kBitOr: return "|";
    case BinaryOp::kBitXor: return "^";
    case BinaryOp::kEq: return "=";
    case BinaryOp::kNe: return "<>";
    case BinaryOp::kLt: return "<";
    case BinaryOp::kGt: return ">";
    case BinaryOp::kLe: return "<=";
    case BinaryOp::kGe: return ">=";
    case BinaryOp::kNotLt: return "!<";
    case BinaryOp::kNotGt: return "!>";
    case BinaryOp::kAnd: return "AND";
    case BinaryOp::kOr: return "OR";
  }
  return "?";
}

int BinaryOpPrecedence(BinaryOp op) {
  switch (op) {
    case BinaryOp::kMul:
    case BinaryOp::kDiv:
    case BinaryOp::kMod: return kPrecMultiplicative;
    case BinaryOp::kAdd:
    case BinaryOp::kSub:
    case BinaryOp::kBitAnd:
    case BinaryOp::kBitOr:
    case BinaryOp::kBitXor: return kPrecAdditive;
    case BinaryOp::kAnd: return kPrecAnd;
    case BinaryOp::kOr: return kPrecOr;
    default: return kPrecPredicate;
  }
}

bool IsComparison(BinaryOp op) { return BinaryOpPrecedence(op) == kPrecPredicate; }

std::string BinaryExpr::ToString() const {
  int prec = Precedence();
  // Left-associative: the right operand needs parentheses at equal strength;
  // comparisons do not chain, so both sides do.
  int left_min = IsComparison(op) ? prec + 1 : prec;
  return Operand(*left, left_min) + " " + std::string(BinaryOpText(op)) + " " +
         Operand(*right, prec + 1);
}

std::string BetweenExpr::ToString() const {
  return Operand(*expr, kPrecPredicate + 1) + (negated ? " NOT BETWEEN " : " BETWEEN ") +
         Operand(*low, kPrecAdditive) + " AND " + Operand(*high, kPrecAdditive);
}

std::string InExpr::ToString() const {
  std::string out = Operand(*expr, kPrecPredicate + 1) + (negated ? " NOT IN (" : " IN (");
  out += subquery ? subquery->ToString() : JoinExprs(list);
  return out + ")";
}

std::string LikeExpr::ToString() const {
  std::string out = Operand(*expr, kPrecPredicate + 1) + (negated ? " NOT LIKE " : " LIKE ") +
                    Operand(*pattern, kPrecAdditive);
  if (escape) out += " ESCAPE " + Operand(*escape, kPrecAdditive);
  return out;
}

std::string IsNullExpr::ToString() const {
  return Operand(*expr, kPrecPredicate + 1) + (negated ? " IS NOT NULL" : " IS NULL");
}

std::string ExistsExpr::ToString() const { return "EXISTS (" + query->ToString() + ")"; }

std::string SubqueryExpr::ToString() const { return "(" + query->ToString() + ")"; }

std::string OrderItem::ToString() const {
  return expr->ToString() + (descending ? " DESC" : "");
}

std::string WindowSpec::ToString() const {
  std::string out;
  if (!partition_by.empty()) out += "PARTITION BY " + JoinExprs(partition_by);
  if (!order_by.empty()) {
    if (!out.empty()) out += " ";
    out += "ORDER BY " + JoinOrder(order_by);
  }
  return out;
}

std::string FunctionCall::UpperName() const { return ToUpperAscii(name.Base()); }

std::string FunctionCall::ToString() const {
  std::string out;
  for (size_t i = 0; i < name.parts.size(); ++i) {
    if (i > 0) out += ".";
    const std::string& part = name.parts[i];
    out += IsFunctionKeyword(part) ? part : QuoteName(part);
  }
  out += "(";
  if (star) {
    out += "*";
  } else {
    if (distinct) out += "DISTINCT ";
    out += JoinExprs(args);
  }
  out += ")";
  if (over) out += " OVER (" + over->ToString() + ")";
  return out;
}

std::string CastExpr::ToString() const {
  if (is_convert) {
    std::string out = "CONVERT(" + type.ToString() + ", " + expr->ToString();
    if (style) out += ", " + style->ToString();
    return out + ")";
  }
  return "CAST(" + expr->ToString() + " AS " + type.ToString() + ")";
}

std::string CaseExpr::ToString() const {
  std::string out = "CASE";
  if (operand) out += " " + operand->ToString();
  for (const auto& w : whens) out += " WHEN " + w.when->ToString() + " THEN " + w.then->ToString();
  if (else_expr) out += " ELSE " + else_expr->ToString();
  return out + " END";
}

std::string CollateExpr::ToString() const {
  return Operand(*expr, Precedence()) + " COLLATE " + collation;
}

// -------------------------------------------------------------- Table sources

std::string NamedTable::ToString() const {
  std::string out = name.ToString();
  if (!alias.empty()) out += " AS " + QuoteName(alias);
  if (!hints.empty()) out += " WITH (" + Join(hints, ", ") + ")";
  return out;
}

std::string FunctionTable::ToString() const {
  std::string out = name.ToString() + "(" + JoinExprs(args) + ")";
  if (!alias.empty()) out += " AS " + QuoteName(alias);
  return out;
}

std::string DerivedTable::ToString() const {
  std::string out = "(" + query->ToString() + ")";
  if (!alias.empty()) out += " AS " + QuoteName(alias);
  if (!column_aliases.empty()) out += " (" + JoinNames(column_aliases) + ")";
  return out;
}

std::string JoinRef::ToString() const {
  static const char* const kWords[] = {" INNER JOIN ", " LEFT JOIN ",  " RIGHT JOIN ",
                                       " FULL JOIN ",  " CROSS JOIN ", " CROSS APPLY ",
                                       " OUTER APPLY "};
  std::string r = right->ToString();
  if (right->kind == TableRefKind::kJoin) r = "(" + r + ")";
  std::string out = left->ToString() + kWords[static_cast<int>(type)] + r;
  if (on) out += " ON " + on->ToString();
  return out;
}

// -------------------------------------------------------------------- Queries

std::string SelectItem::ToString() const {
  if (!assign_var.empty()) return assign_var + " = " + expr->ToString();
  std::string out = expr->ToString();
  if (!alias.empty()) out += " AS " + QuoteName(alias);
  return out;
}

std::string SelectCore::ToString() const {
  std::string out = "SELECT ";
  if (distinct) out += "DISTINCT ";
  if (top) {
    out += "TOP (" + top->ToString() + ") ";
    if (top_percent) out += "PERCENT ";
    if (top_with_ties) out += "WITH TIES ";
  }
  std::vector<std::string> parts;
  for (const auto& item : items) parts.push_back(item.ToString());
  out += Join(parts, ", ");
  if (!into.empty()) out += " INTO " + into.ToString();
  if (!from.empty()) {
    std::vector<std::string> sources;
    for (const auto& t : from) sources.push_back(t->ToString());
    out += " FROM " + Join(sources, ", ");
  }
  if (where) out += " WHERE " + where->ToString();
  if (!group_by.empty()) out += " GROUP BY " + JoinExprs(group_by);
  if (having) out += " HAVING " + having->ToString();
  return out;
}

const SelectCore& QueryBody::First() const {
  if (select) return *select;
  if (nested) return nested->body->First();
  return left->First();
}

SelectCore& QueryBody::First() {
  if (select) return *select;
  if (nested) return nested->body->First();
  return left->First();
}

std::string QueryBody::ToString() const {
  if (select) return select->ToString();
  if (nested) return "(" + nested->ToString() + ")";
  static const char* const kOps[] = {"", " UNION ", " UNION ALL ", " EXCEPT ", " INTERSECT "};
  std::string l = left->ToString();
  std::string r = right->ToString();
  // INTERSECT binds tighter than UNION and EXCEPT; every level associates
  // to the left.
  if (op == SetOp::kIntersect && left->op != SetOp::kNone && left->op != SetOp::kIntersect) {
    l = "(" + l + ")";
  }
  if (right->op != SetOp::kNone) r = "(" + r + ")";
  return l + kOps[static_cast<int>(op)] + r;
}

std::string ForXmlClause::ToString() const {
  std::string out = "FOR XML " + mode;
  if (has_element) out += "(" + QuoteString(element) + ")";
  for (const auto& d : directives) out += ", " + d;
  return out;
}

std::string CtesToString(const std::vector<CommonTableExpr>& ctes) {
  if (ctes.empty()) return "";
  std::string out = "WITH ";
  for (size_t i = 0; i < ctes.size(); ++i) {
    if (i > 0) out += ", ";
    out += QuoteName(ctes[i].name);
    if (!ctes[i].columns.empty()) out += " (" + JoinNames(ctes[i].columns) + ")";
    out += " AS (" + ctes[i].query->ToString() + ")";
  }
  return out + " ";
}

std::string Query::ToString() const {
  std::string out = CtesToString(ctes);
  out += body->ToString();
  if (!order_by.empty()) out += " ORDER BY " + JoinOrder(order_by);
  if (for_xml) out += " " + for_xml->ToString();
  return out;
}

// ----------------------------------------------------------------- Statements

std::string StatementsToString(const std::vector<StmtPtr>& statements) {
  std::string out;
  for (size_t i = 0; i < statements.size(); ++i) {
    if (i > 0) out += ";\n";
    out += statements[i]->ToString();
  }
  return out;
}

std::string ExecArg::ToString() const {
  std::string out = name.empty() ? "" : name + " = ";
  out += value ? value->ToString() : "DEFAULT";
  if (output) out += " OUTPUT";
  return out;
}

std::string ExecStatement::ToString() const {
  std::string out = "EXEC ";
  if (!return_var.empty()) out += return_var + " = ";
  out += procedure_var.empty() ? procedure.ToString() : procedure_var;
  for (size_t i = 0; i < args.size(); ++i) out += (i == 0 ? " " : ", ") + args[i].ToString();
  return out;
}

std::string InsertStatement::ToString() const {
  std::string out = CtesToString(ctes) + "INSERT INTO " + target.ToString();
  if (!columns.empty()) out += " (" + JoinNames(columns) + ")";
  if (default_values) return out + " DEFAULT VALUES";
  if (select) return out + " " + select->ToString();
  if (exec) return out + " " + exec->ToString();
  out += " VALUES ";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ", ";
    out += "(" + JoinExprs(values[i]) + ")";
  }
  return out;
}

std::string SetClause::ToString() const { return JoinParts(column) + " = " + value->ToString(); }

std::string UpdateStatement::ToString() const {
  std::string out = CtesToString(ctes) + "UPDATE ";
  if (top) out += "TOP (" + top->ToString() + ") ";
  out += target.ToString() + " SET ";
  std::vector<std::string> parts;
  for (const auto& s : sets) {
    parts.push_back(s.column.size() == 1 && !s.column[0].empty() && s.column[0][0] == '@'
                        ? s.column[0] + " = " + s.value->ToString()
                        : s.ToString());
  }
  out += Join(parts, ", ");
  if (!from.empty()) {
    std::vector<std::string> sources;
    for (const auto& t : from) sources.push_back(t->ToString());
    out += " FROM " + Join(sources, ", ");
  }
  if (where) out += " WHERE " + where->ToString();
  return out;
}

std::string DeleteStatement::ToString() const {
  std::string out = CtesToString(ctes) + "DELETE ";
  if (top) out += "TOP (" + top->ToString() + ") ";
  out += "FROM " + target.ToString();
  if (!from.empty()) {
    std::vector<std::string> sources;
    for (const auto& t : from) sources.push_back(t->ToString());
    out += " FROM " + Join(sources, ", ");
  }
  if (where) out += " WHERE " + where->ToString();
  return out;
}

std::string ColumnDefinition::ToString() const {
  std::string out = QuoteName(name) + " " + type.ToString();
  if (!collation.empty()) out += " COLLATE " + collation;
  if (identity) {
    out += " IDENTITY(" + std::to_string(identity_seed) + ", " +
           std::to_string(identity_increment) + ")";
  }
  if (nullability == 1) out += " NULL";
  if (nullability == 2) out += " NOT NULL";
  if (default_value) {
    if (!default_name.empty()) out += " CONSTRAINT " + QuoteName(default_name);
    out += " DEFAULT (" + default_value->ToString() + ")";
  }
  if (primary_key) out += " PRIMARY KEY";
  if (unique) out += " UNIQUE";
  return out;
}

std::string TableConstraint::ToString() const {
  std::string out = name.empty() ? "" : "CONSTRAINT " + QuoteName(name) + " ";
  switch (kind) {
    case Kind::kPrimaryKey: return out + "PRIMARY KEY" + Clustering(clustering) + " " + ColumnList(columns);
    case Kind::kUnique: return out + "UNIQUE" + Clustering(clustering) + " " + ColumnList(columns);
    case Kind::kCheck: return out + "CHECK (" + check->ToString() + ")";
  }
  return out;
}

std::string CreateTableStatement::ToString() const {
  return "CREATE TABLE " + name.ToString() + " " + TableBody(columns, constraints);
}

std::string AlterTableStatement::ToString() const {
  std::string out = "ALTER TABLE " + table.ToString();
  if (!add_columns.empty()) {
    std::vector<std::string> parts;
    for (const auto& c : add_columns) parts.push_back(c.ToString());
    return out + " ADD " + Join(parts, ", ");
  }
  return out + " DROP COLUMN " + JoinNames(drop_columns);
}

std::string DropStatement::ToString() const {
  static const char* const kWords[] = {"TABLE", "VIEW", "PROCEDURE", "FUNCTION", "INDEX"};
  std::string out = std::string("DROP ") + kWords[static_cast<int>(object)];
  if (if_exists) out += " IF EXISTS";
  std::vector<std::string> parts;
  for (const auto& n : names) parts.push_back(n.ToString());
  out += " " + Join(parts, ", ");
  if (!index_table.empty()) out += " ON " + index_table.ToString();
  return out;
}

std::string CreateIndexStatement::ToString() const {
  std::string out = "CREATE";
  if (unique) out += " UNIQUE";
  out += Clustering(clustering) + " INDEX " + QuoteName(name) + " ON " + table.ToString() + " " +
         ColumnList(columns);
  if (!include.empty()) out += " INCLUDE (" + JoinNames(include) + ")";
  return out;
}

std::string CreateViewStatement::ToString() const {
  std::string out = alter ? "ALTER VIEW " : or_alter ? "CREATE OR ALTER VIEW " : "CREATE VIEW ";
  out += name.ToString();
  if (!columns.empty()) out += " (" + JoinNames(columns) + ")";
  return out + " AS " + query->ToString();
}

std::string TruncateStatement::ToString() const { return "TRUNCATE TABLE " + table.ToString(); }

std::string VariableDecl::ToString() const {
  if (is_table) return name + " TABLE " + TableBody(table_columns, table_constraints);
  std::string out = name + " " + type.ToString();
  if (init) out += " = " + init->ToString();
  return out;
}

std::string DeclareStatement::ToString() const {
  std::vector<std::string> parts;
  for (const auto& v : vars) parts.push_back(v.ToString());
  return "DECLARE " + Join(parts, ", ");
}

std::string SetVariableStatement::ToString() const {
  std::string op = compound == BinaryOp::kEq ? "=" : std::string(BinaryOpText(compound)) + "=";
  return "SET " + name + " " + op + " " + value->ToString();
}

std::string SetOptionStatement::ToString() const { return "SET " + Join(words, " "); }

std::string IfStatement::ToString() const {
  std::string then_text = then_stmt->ToString();
  // An inner IF without ELSE would capture our ELSE: keep it in a block.
  if (else_stmt && then_stmt->kind == StmtKind::kIf &&
      !then_stmt->As<IfStatement>().else_stmt) {
    then_text = "BEGIN\n" + Indent(then_text) + "\nEND";
  }
  std::string out = "IF " + condition->ToString() + "\n" + Indent(then_text);
  if (else_stmt) out += "\nELSE\n" + Indent(else_stmt->ToString());
  return out;
}

std::string WhileStatement::ToString() const {
  return "WHILE " + condition->ToString() + "\n" + Indent(body->ToString());
}

std::string BlockStatement::ToString() const { return BlockOf(statements); }

std::string TryCatchStatement::ToString() const {
  std::string out = "BEGIN TRY\n";
  if (!try_statements.empty()) out += Indent(StatementsToString(try_statements)) + "\n";
  out += "END TRY\nBEGIN CATCH\n";
  if (!catch_statements.empty()) out += Indent(StatementsToString(catch_statements)) + "\n";
  return out + "END CATCH";
}

std::string ExecDynamicStatement::ToString() const { return "EXEC (" + sql->ToString() + ")"; }

std::string ReturnStatement::ToString() const {
  return value ? "RETURN " + value->ToString() : "RETURN";
}

std::string RaiserrorStatement::ToString() const {
  std::string out = "RAISERROR(" + JoinExprs(args) + ")";
  if (!options.empty()) out += " WITH " + Join(options, ", ");
  return out;
}

std::string ThrowStatement::ToString() const {
  return args.empty() ? "THROW" : "THROW " + JoinExprs(args);
}

std::string TransactionStatement::ToString() const {
  static const char* const kWords[] = {"BEGIN TRANSACTION", "COMMIT TRANSACTION",
                                       "ROLLBACK TRANSACTION", "SAVE TRANSACTION"};
  std::string out = kWords[static_cast<int>(op)];
  if (!name.empty()) out += " " + QuoteName(name);
  return out;
}

std::string PrintStatement::ToString() const { return "PRINT " + value->ToString(); }

std::string ParameterDecl::ToString() const {
  std::string out = name + " " + type.ToString();
  if (default_value) out += " = " + default_value->ToString();
  if (output) out += " OUTPUT";
  if (readonly) out += " READONLY";
  return out;
}

std::string CreateProcedureStatement::ToString() const {
  std::string out = alter ? "ALTER PROCEDURE " : or_alter ? "CREATE OR ALTER PROCEDURE "
                                                          : "CREATE PROCEDURE ";
  out += name.ToString();
  if (!params.empty()) out += " " + ParamList(params);
  out += " AS\n";
  return out + StatementsToString(body);
}

std::string CreateFunctionStatement::ToString() const {
  std::string out = alter ? "ALTER FUNCTION " : or_alter ? "CREATE OR ALTER FUNCTION "
                                                         : "CREATE FUNCTION ";
  out += name.ToString() + "(" + ParamList(params) + ") RETURNS ";
  switch (function_kind) {
    case FunctionKind::kInlineTable:
      return out + "TABLE AS RETURN (" + inline_query->ToString() + ")";
    case FunctionKind::kMultiStatementTable:
      out += table_var + " TABLE " + TableBody(table_columns, {});
      break;
    case FunctionKind::kScalar:
      out += returns.ToString();
      break;
  }
  return out + " AS\n" + BlockOf(body);
}

}  // namespace zv::tsql
