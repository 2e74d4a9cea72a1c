// Expressions: names, operators with their T-SQL types, functions,
// aggregates and conversions.
#include <algorithm>
#include <cctype>

#include "data/tsql/emitter_internal.h"
#include "data/tsql/lexer.h"

namespace zv::tsql::internal {
namespace {

bool IsBooleanKind(const zv::tsql::Expr& e) {
  switch (e.kind) {
    case ExprKind::kBetween:
    case ExprKind::kIn:
    case ExprKind::kLike:
    case ExprKind::kIsNull:
    case ExprKind::kExists:
      return true;
    case ExprKind::kUnary:
      return e.As<UnaryExpr>().op == UnaryOp::kNot;
    case ExprKind::kBinary: {
      BinaryOp op = e.As<BinaryExpr>().op;
      return IsComparison(op) || op == BinaryOp::kAnd || op == BinaryOp::kOr;
    }
    default:
      return false;
  }
}

bool IsTextLike(const SqlType& t) { return IsTextType(t) || t.name == "UNIQUEIDENTIFIER"; }

std::string ComparisonText(BinaryOp op) {
  switch (op) {
    case BinaryOp::kNotLt: return ">=";
    case BinaryOp::kNotGt: return "<=";
    default: return std::string(BinaryOpText(op));
  }
}

// 'YYYY-MM-DD', 'YYYYMMDD', 'YYYY-MM-DD hh:mm[:ss[.mmm]]' and the 'T'
// variant as the stored datetime text; nullopt for anything else.
std::optional<std::string> NormalizeDateLiteral(const std::string& s) {
  auto digits = [&](size_t at, size_t n) {
    if (at + n > s.size()) return false;
    for (size_t i = at; i < at + n; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
  };
  std::string date;
  size_t rest = 0;
  if (digits(0, 4) && s.size() >= 10 && s[4] == '-' && digits(5, 2) && s[7] == '-' &&
      digits(8, 2)) {
    date = s.substr(0, 10);
    rest = 10;
  } else if (digits(0, 8) && (s.size() == 8 || s[8] == ' ')) {
    date = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2);
    rest = 8;
  } else {
    return std::nullopt;
  }
  if (rest == s.size()) return date + " 00:00:00.000";
  if (s[rest] != ' ' && s[rest] != 'T') return std::nullopt;
  std::string time = s.substr(rest + 1);
  if (time.size() == 5 && digits(rest + 1, 2) && time[2] == ':') return date + " " + time + ":00.000";
  if (time.size() == 8 && time[2] == ':' && time[5] == ':') return date + " " + time + ".000";
  if (time.size() == 12 && time[2] == ':' && time[5] == ':' && time[8] == '.') return date + " " + time;
  return std::nullopt;
}

std::string DatePart(const zv::tsql::Expr& e, Emitter& em) {
  std::string word;
  if (const auto* c = e.TryAs<ColumnRef>(); c && c->parts.size() == 1) word = ToUpperAscii(c->parts[0]);
  if (const auto* l = e.TryAs<Literal>(); l && l->literal_kind == LiteralKind::kString) {
    word = ToUpperAscii(l->value);
  }
  static const std::pair<std::string_view, std::string_view> kParts[] = {
      {"YEAR", "year"},      {"YY", "year"},     {"YYYY", "year"},   {"QUARTER", "quarter"},
      {"QQ", "quarter"},     {"Q", "quarter"},   {"MONTH", "month"}, {"MM", "month"},
      {"M", "month"},        {"DAYOFYEAR", "dayofyear"}, {"DY", "dayofyear"}, {"Y", "dayofyear"},
      {"DAY", "day"},        {"DD", "day"},      {"D", "day"},       {"WEEK", "week"},
      {"WK", "week"},        {"WW", "week"},     {"WEEKDAY", "weekday"}, {"DW", "weekday"},
      {"HOUR", "hour"},      {"HH", "hour"},     {"MINUTE", "minute"}, {"MI", "minute"},
      {"N", "minute"},       {"SECOND", "second"}, {"SS", "second"}, {"S", "second"},
      {"MILLISECOND", "millisecond"}, {"MS", "millisecond"},
  };
  for (const auto& [k, v] : kParts) {
    if (word == k) return QuoteLiteral(v);
  }
  em.Error(155, e.pos, "'" + e.ToString() + "' is not a recognized datepart option.");
}

// The bytes a column of the type takes, as COL_LENGTH reports them (-1 for
// the MAX types).
int32_t ColumnByteLength(const SqlType& t) {
  const std::string& n = t.name;
  if (n == "CHAR" || n == "VARCHAR" || n == "VARBINARY") return t.length;
  if (n == "NCHAR" || n == "NVARCHAR") return t.length < 0 ? -1 : 2 * t.length;
  if (n == "DECIMAL" || n == "NUMERIC") {
    return t.precision <= 9 ? 5 : t.precision <= 19 ? 9 : t.precision <= 28 ? 13 : 17;
  }
  if (n == "TINYINT" || n == "BIT") return 1;
  if (n == "SMALLINT") return 2;
  if (n == "DATE") return 3;
  if (n == "INT" || n == "REAL" || n == "SMALLDATETIME") return 4;
  if (n == "UNIQUEIDENTIFIER" || n == "TEXT" || n == "NTEXT") return 16;
  if (n == "SQL_VARIANT") return 8016;
  return 8;  // BIGINT, FLOAT, MONEY, DATETIME
}

}  // namespace

std::string QuoteIdent(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

std::string QuoteLiteral(std::string_view text) { return QuoteString(text); }

bool IsTempName(std::string_view name) { return !name.empty() && name[0] == '#'; }

std::string BaseName(const ObjectName& name) { return name.parts.empty() ? "" : name.Base(); }

std::string Emitter::Collated(const Typed& v) const {
  if (!IsTextLike(v.type) || v.collated) return v.sql;
  return v.sql + " COLLATE TSQLCI";
}

std::string Emitter::Parameter(const std::string& name) {
  for (size_t i = 0; i < params_.size(); ++i) {
    if (EqualsIgnoreCase(params_[i], name)) return "?" + std::to_string(i + 1);
  }
  params_.push_back(name);
  return "?" + std::to_string(params_.size());
}

Typed Emitter::Variable(const VariableRef& v) {
  if (auto it = substitutions.find(v.name); it != substitutions.end()) return it->second;
  Typed t;
  auto it = context_.variables.find(v.name);
  if (it != context_.variables.end()) {
    t.type = it->second;
  } else if (v.name.rfind("@@", 0) == 0) {
    std::string up = ToUpperAscii(v.name);
    if (up == "@@IDENTITY") t.type = MakeType("NUMERIC", 0, 38, 0);
    else if (up == "@@SPID") t.type = MakeType("SMALLINT");
    else if (up == "@@VERSION" || up == "@@SERVERNAME") t.type = MakeType("NVARCHAR", 128);
    else t.type = MakeType("INT");
  } else {
    Error(137, v.pos, "Must declare the scalar variable \"" + v.name + "\".");
  }
  t.sql = Parameter(v.name);
  return t;
}

Typed Emitter::Column(const ColumnRef& c, const Scope& scope) {
  const std::string& name = c.Column();
  std::string qualifier = c.parts.size() >= 2 ? c.parts[c.parts.size() - 2] : "";
  if (qualifier.empty() && scope.aliases) {
    for (const auto& [alias, value] : *scope.aliases) {
      if (EqualsIgnoreCase(alias, name)) {
        Typed t = value;
        t.sql = QuoteIdent(alias);
        return t;
      }
    }
  }
  for (const Scope* s = &scope; s; s = s->outer) {
    const Col* found = nullptr;
    int hits = 0;
    bool qualifier_seen = false;
    for (const Source& src : s->sources) {
      if (!qualifier.empty() && !EqualsIgnoreCase(src.qualifier, qualifier)) continue;
      qualifier_seen = true;
      for (const Col& col : src.columns) {
        if (EqualsIgnoreCase(col.name, name)) {
          if (!found) found = &col;
          ++hits;
          break;
        }
      }
    }
    if (hits > 1) Error(209, c.pos, "Ambiguous column name '" + name + "'.");
    if (found) {
      ++column_resolutions;
      if (s != &scope) s->referenced_from_inner = true;
      Typed t;
      t.sql = found->sql;
      t.type = found->type;
      t.nullable = found->nullable;
      t.collated = found->collated;
      return t;
    }
    if (!qualifier.empty() && qualifier_seen) {
      Error(207, c.pos, "Invalid column name '" + name + "'.");
    }
  }
  if (!qualifier.empty()) {
    Error(4104, c.pos, "The multi-part identifier \"" + c.ToString() + "\" could not be bound.");
  }
  Error(207, c.pos, "Invalid column name '" + name + "'.");
}

Typed Emitter::Predicate(const zv::tsql::Expr& e, const Scope& scope) {
  if (!IsBooleanKind(e)) {
    Error(4145, e.pos,
          "An expression of non-boolean type specified in a context where a condition is "
          "expected, near '" + e.ToString() + "'.");
  }
  return Expr(e, scope);
}

Typed Emitter::Expr(const zv::tsql::Expr& e, const Scope& scope) {
  Typed out;
  out.type = MakeType("BIT");
  switch (e.kind) {
    case ExprKind::kLiteral: {
      const auto& lit = e.As<Literal>();
      out.type = LiteralType(lit);
      out.literal = &lit;
      switch (lit.literal_kind) {
        case LiteralKind::kString:
        case LiteralKind::kNString: out.sql = QuoteLiteral(lit.value); break;
        case LiteralKind::kNull: out.sql = "NULL"; break;
        case LiteralKind::kBinary: {
          std::string hex = lit.value.substr(2);
          if (hex.size() % 2) hex = "0" + hex;
          out.sql = "X'" + hex + "'";
          break;
        }
        case LiteralKind::kDecimal:
          out.sql = lit.value;
          if (out.sql.front() == '.') out.sql = "0" + out.sql;
          if (out.sql.back() == '.') out.sql += "0";
          break;
        default: out.sql = lit.value; break;
      }
      out.nullable = lit.literal_kind == LiteralKind::kNull;
      return out;
    }
    case ExprKind::kColumn: return Column(e.As<ColumnRef>(), scope);
    case ExprKind::kVariable: return Variable(e.As<VariableRef>());
    case ExprKind::kStar: Error(102, e.pos, "Incorrect syntax near '*'.");
    case ExprKind::kUnary: {
      const auto& u = e.As<UnaryExpr>();
      if (u.op == UnaryOp::kNot) {
        out.sql = "NOT (" + Predicate(*u.operand, scope).sql + ")";
        return out;
      }
      Typed v = Expr(*u.operand, scope);
      if (!IsNumericType(v.type) && !IsNullType(v.type)) {
        Error(8117, u.pos, "Operand data type " + TypeToString(v.type) + " is invalid for this operator.");
      }
      if (u.op == UnaryOp::kPlus) return v;
      v.sql = u.op == UnaryOp::kMinus ? "(- " + v.sql + ")" : "(~ " + v.sql + ")";
      v.literal = nullptr;
      return v;
    }
    case ExprKind::kBinary: return Binary(e.As<BinaryExpr>(), scope);
    case ExprKind::kBetween: {
      const auto& b = e.As<BetweenExpr>();
      Typed x = Expr(*b.expr, scope), lo = Expr(*b.low, scope), hi = Expr(*b.high, scope);
      SqlType common = HigherPrecedence(HigherPrecedence(x.type, lo.type), hi.type);
      auto fit = [&](Typed v) {
        bool text_to_other = IsTextLike(v.type) && !IsTextLike(common) && !IsNullType(common);
        return text_to_other ? Convert(v, common, nullptr, b.pos) : v;
      };
      x = fit(x);
      lo = fit(lo);
      hi = fit(hi);
      std::string xs = IsTextLike(x.type) && !x.collated && !lo.collated && !hi.collated
                           ? Collated(x) : x.sql;
      out.sql = xs + (b.negated ? " NOT BETWEEN " : " BETWEEN ") + lo.sql + " AND " + hi.sql;
      return out;
    }
    case ExprKind::kIn: {
      const auto& in = e.As<InExpr>();
      Typed x = Expr(*in.expr, scope);
      std::string list;
      if (in.subquery) {
        EmittedQuery q = EmitQuery(*in.subquery, &scope, {});
        if (q.columns.size() != 1) {
          Error(116, in.pos, "Only one expression can be specified in the select list when the "
                             "subquery is not introduced with EXISTS.");
        }
        list = q.sql;
      } else {
        std::vector<Typed> items;
        SqlType common = x.type;
        for (const auto& item : in.list) {
          items.push_back(Expr(*item, scope));
          common = HigherPrecedence(common, items.back().type);
        }
        if (!IsTextLike(common) && IsTextLike(x.type)) x = Convert(x, common, nullptr, in.pos);
        for (size_t i = 0; i < items.size(); ++i) {
          Typed v = items[i];
          if (IsTextLike(v.type) && !IsTextLike(common) && !IsNullType(common)) {
            v = Convert(v, common, nullptr, in.pos);
          }
          list += (i ? ", " : "") + v.sql;
        }
      }
      out.sql = Collated(x) + (in.negated ? " NOT IN (" : " IN (") + list + ")";
      return out;
    }
    case ExprKind::kLike: {
      const auto& l = e.As<LikeExpr>();
      std::string call = "tsql_like(" + ToText(Expr(*l.expr, scope), l.pos).sql + ", " +
                         ToText(Expr(*l.pattern, scope), l.pos).sql;
      if (l.escape) call += ", " + ToText(Expr(*l.escape, scope), l.pos).sql;
      call += ")";
      out.sql = l.negated ? "NOT " + call : call;
      return out;
    }
    case ExprKind::kIsNull: {
      const auto& n = e.As<IsNullExpr>();
      out.sql = Expr(*n.expr, scope).sql + (n.negated ? " IS NOT NULL" : " IS NULL");
      out.nullable = false;
      return out;
    }
    case ExprKind::kExists: {
      EmittedQuery q = EmitQuery(*e.As<ExistsExpr>().query, &scope, {});
      out.sql = "EXISTS (" + q.sql + ")";
      out.nullable = false;
      return out;
    }
    case ExprKind::kSubquery: return Subquery(*e.As<SubqueryExpr>().query, scope, e.pos);
    case ExprKind::kFunction: return Function(e.As<FunctionCall>(), scope);
    case ExprKind::kCast: {
      const auto& c = e.As<CastExpr>();
      SqlType target;
      try {
        target = TypeFromName(c.type, TypeNameUse::kConversion);
      } catch (const TypeError& te) {
        Error(te.native_error(), c.pos, te.what());
      }
      Typed v = Expr(*c.expr, scope);
      Typed out;
      if (c.style) {
        Typed style = Expr(*c.style, scope);
        out = Convert(v, target, &style, c.pos);
      } else {
        out = Convert(v, target, nullptr, c.pos);
      }
      // SQL Server counts a conversion as able to give NULL: SELECT ... INTO
      // makes its column nullable (CONVERT(TINYINT, 0) AS X takes NULLs later).
      out.nullable = true;
      return out;
    }
    case ExprKind::kCase: return Case(e.As<CaseExpr>(), scope);
    case ExprKind::kCollate: {
      const auto& c = e.As<CollateExpr>();
      Typed v = Expr(*c.expr, scope);
      if (!IsTextLike(v.type)) return v;
      std::string up = ToUpperAscii(c.collation);
      bool binary = up.find("_CS") != std::string::npos || up.find("BIN") != std::string::npos;
      v.sql += binary ? " COLLATE BINARY" : " COLLATE TSQLCI";
      v.collated = true;
      v.literal = nullptr;
      return v;
    }
  }
  return out;
}

Typed Emitter::Binary(const BinaryExpr& b, const Scope& scope) {
  Typed out;
  out.type = MakeType("BIT");
  if (b.op == BinaryOp::kAnd || b.op == BinaryOp::kOr) {
    auto side = [&](const zv::tsql::Expr& e) {
      std::string s = Predicate(e, scope).sql;
      const auto* child = e.TryAs<BinaryExpr>();
      bool wrap = child && (child->op == BinaryOp::kAnd || child->op == BinaryOp::kOr) &&
                  child->op != b.op;
      return wrap ? "(" + s + ")" : s;
    };
    out.sql = side(*b.left) + (b.op == BinaryOp::kAnd ? " AND " : " OR ") + side(*b.right);
    return out;
  }
  Typed l = Expr(*b.left, scope);
  Typed r = Expr(*b.right, scope);
  if (IsComparison(b.op)) return Comparison(b.op, std::move(l), std::move(r), b.pos);
  return Arithmetic(b.op, std::move(l), std::move(r), b.pos);
}

Typed Emitter::Arithmetic(BinaryOp op, Typed l, Typed r, Position pos) {
  Typed out;
  SqlType type;
  try {
    type = BinaryResultType(op, l.type, r.type);
  } catch (const TypeError& e) {
    Error(e.native_error(), pos, e.what());
  }
  out.type = type;
  out.nullable = l.nullable || r.nullable;
  if (IsTextType(type)) {  // string concatenation; NULL on either side gives NULL
    out.sql = "(" + ToText(l, pos).sql + " || " + ToText(r, pos).sql + ")";
    return out;
  }
  if (IsDateType(type)) NotSupported(pos, "date arithmetic with + and -");
  // A text operand takes the number's type.
  if (IsTextType(l.type)) l = Convert(l, type, nullptr, pos);
  if (IsTextType(r.type)) r = Convert(r, type, nullptr, pos);
  bool integers = IsIntegerType(type);
  switch (op) {
    case BinaryOp::kDiv:
      // Decimal division must not fall into SQLite's integer division when
      // both values happen to be stored as integers.
      out.sql = integers ? "tsql_div_int(" + l.sql + ", " + r.sql + ")"
                         : "(CAST(" + l.sql + " AS REAL) / " + r.sql + ")";
      break;
    case BinaryOp::kMod:
      out.sql = integers ? "(" + l.sql + " % " + r.sql + ")"
                         : "(" + l.sql + " - " + r.sql + " * CAST(" + l.sql + " / " + r.sql +
                               " AS INTEGER))";
      break;
    case BinaryOp::kBitXor:
      out.sql = "((" + l.sql + " | " + r.sql + ") - (" + l.sql + " & " + r.sql + "))";
      break;
    default:
      out.sql = "(" + l.sql + " " + std::string(BinaryOpText(op)) + " " + r.sql + ")";
      break;
  }
  return out;
}

Typed Emitter::Comparison(BinaryOp op, Typed l, Typed r, Position pos) {
  Typed out;
  out.type = MakeType("BIT");
  const SqlType& high = HigherPrecedence(l.type, r.type);
  if (high.name == "SQL_VARIANT") {
    // sql_variant compares by its stored value.
  } else if (IsTextLike(l.type) && !IsTextLike(high) && !IsNullType(high)) {
    l = Convert(l, high, nullptr, pos);
  } else if (IsTextLike(r.type) && !IsTextLike(high) && !IsNullType(high)) {
    r = Convert(r, high, nullptr, pos);
  }
  std::string ls = l.sql;
  if (IsTextLike(l.type) && IsTextLike(r.type) && !l.collated && !r.collated) ls = Collated(l);
  out.sql = ls + " " + ComparisonText(op) + " " + r.sql;
  return out;
}

Typed Emitter::Case(const CaseExpr& c, const Scope& scope) {
  std::vector<Typed> results;
  std::vector<std::string> conditions;
  Typed operand;
  if (c.operand) operand = Expr(*c.operand, scope);
  for (const auto& w : c.whens) {
    if (c.operand) {
      conditions.push_back(Comparison(BinaryOp::kEq, operand, Expr(*w.when, scope), w.when->pos).sql);
    } else {
      conditions.push_back(Predicate(*w.when, scope).sql);
    }
    results.push_back(Expr(*w.then, scope));
  }
  if (c.else_expr) results.push_back(Expr(*c.else_expr, scope));
  std::vector<SqlType> types;
  for (const auto& r : results) types.push_back(r.type);
  SqlType common = CommonType(types);
  Typed out;
  out.type = common;
  out.sql = "CASE";
  bool all_collated = true;
  for (size_t i = 0; i < results.size(); ++i) {
    Typed v = results[i];
    bool family_differs = (IsTextLike(v.type) != IsTextLike(common)) ||
                          (IsDateType(common) && IsTextType(v.type));
    if (!IsNullType(v.type) && !IsNullType(common) && family_differs) {
      v = Convert(v, common, nullptr, c.pos);
    }
    if (!v.collated && !IsNullType(v.type)) all_collated = false;
    if (i < conditions.size()) {
      out.sql += " WHEN " + conditions[i] + " THEN " + v.sql;
    } else {
      out.sql += " ELSE " + v.sql;
    }
  }
  out.sql += " END";
  out.collated = all_collated && IsTextLike(common);
  return out;
}

Typed Emitter::Subquery(const Query& q, const Scope& scope, Position pos) {
  EmittedQuery eq = EmitQuery(q, &scope, {});
  if (eq.columns.size() != 1) {
    Error(116, pos, "Only one expression can be specified in the select list when the subquery "
                    "is not introduced with EXISTS.");
  }
  Typed out;
  out.sql = "(" + eq.sql + ")";
  out.type = eq.columns[0].type;
  out.collated = eq.columns[0].collated;
  return out;
}

std::string Emitter::Window(const WindowSpec& w, const Scope& scope) {
  std::string out = " OVER (";
  if (!w.partition_by.empty()) {
    out += "PARTITION BY ";
    for (size_t i = 0; i < w.partition_by.size(); ++i) {
      out += (i ? ", " : "") + Collated(Expr(*w.partition_by[i], scope));
    }
  }
  if (!w.order_by.empty()) {
    if (!w.partition_by.empty()) out += " ";
    out += EmitOrderBy(w.order_by, scope);
  }
  return out + ")";
}

Typed Emitter::Aggregate(const FunctionCall& f, const Scope& scope) {
  std::string n = f.UpperName();
  Typed out;
  std::string over = f.over ? Window(*f.over, scope) : "";
  if (f.star) {
    if (n != "COUNT" && n != "COUNT_BIG") Error(102, f.pos, "Incorrect syntax near '*'.");
    out.type = MakeType(n == "COUNT" ? "INT" : "BIGINT");
    out.sql = "count(*)" + over;
    out.nullable = false;
    return out;
  }
  if (f.args.size() != 1) {
    Error(174, f.pos, "The " + ToUpperAscii(n) + " function requires 1 argument(s).");
  }
  if (f.distinct && f.over) Error(10759, f.pos, "Use of DISTINCT is not allowed with the OVER clause.");
  Typed a = Expr(*f.args[0], scope);
  try {
    out.type = AggregateResultType(n, a.type);
  } catch (const TypeError& e) {
    Error(e.native_error(), f.pos, e.what());
  }
  std::string distinct = f.distinct ? "DISTINCT " : "";
  std::string arg = (f.distinct || n == "MIN" || n == "MAX") ? Collated(a) : a.sql;
  if (n == "COUNT" || n == "COUNT_BIG") {
    out.sql = "count(" + distinct + arg + ")" + over;
    out.nullable = false;
  } else if (n == "SUM") {
    bool exact = IsDecimalType(a.type) && !f.over;
    out.sql = (exact ? "tsql_sum(" : "sum(") + distinct + arg + ")" + over;
  } else if (n == "AVG") {
    out.sql = "avg(" + distinct + arg + ")" + over;
    if (IsIntegerType(a.type)) out.sql = "CAST(" + out.sql + " AS INTEGER)";
  } else if (n == "MIN" || n == "MAX") {
    out.sql = (n == "MIN" ? "min(" : "max(") + distinct + arg + ")" + over;
    out.collated = IsTextLike(a.type);
  } else {
    NotSupported(f.pos, "aggregate " + n);
  }
  return out;
}

Typed Emitter::Function(const FunctionCall& f, const Scope& scope) {
  std::string n = f.UpperName();
  if (f.name.parts.size() > 1 && !EqualsIgnoreCase(f.name.parts[f.name.parts.size() - 2], "dbo")) {
    NotSupported(f.pos, "function " + f.name.ToString());
  }
  if (IsAggregateFunction(n)) return Aggregate(f, scope);
  if (f.distinct || f.star) Error(102, f.pos, "Incorrect syntax near '" + f.name.ToString() + "'.");
  auto expect_args = [&](size_t lo, size_t hi) {
    if (f.args.size() < lo || f.args.size() > hi) {
      Error(174, f.pos, "The " + n + " function requires " + std::to_string(lo) + " argument(s).");
    }
  };
  Typed out;
  auto arg = [&](size_t i) { return Expr(*f.args[i], scope); };
  auto text_arg = [&](size_t i) { return ToText(arg(i), f.args[i]->pos); };
  auto args_types = [&](const std::vector<Typed>& v) {
    std::vector<SqlType> t;
    for (const auto& x : v) t.push_back(x.type);
    return t;
  };
  auto call = [&](const std::string& fn, const std::vector<Typed>& args) {
    std::string s = fn + "(";
    for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i].sql;
    return s + ")";
  };
  auto result_type = [&](const std::vector<Typed>& args) {
    SqlType t;
    BuiltinFunctionType(n, args_types(args), &t);
    return t;
  };
  if (f.over) {
    if (n == "ROW_NUMBER" || n == "RANK" || n == "DENSE_RANK" || n == "NTILE") {
      std::vector<Typed> args;
      for (size_t i = 0; i < f.args.size(); ++i) args.push_back(arg(i));
      out.type = MakeType("BIGINT");
      out.sql = call(ToUpperAscii(n) == "ROW_NUMBER" ? "row_number" : n == "RANK" ? "rank"
                     : n == "DENSE_RANK" ? "dense_rank" : "ntile", args) + Window(*f.over, scope);
      return out;
    }
    NotSupported(f.pos, "OVER with " + n);
  }
  if (n == "ISNULL") {
    expect_args(2, 2);
    Typed a = arg(0), b = arg(1);
    if (IsNullType(a.type)) return b;
    Typed bc = IsNullType(b.type) ? b : ConvertForStore(b, a.type, f.pos);
    out.type = a.type;
    out.nullable = b.nullable;
    out.collated = a.collated && bc.collated;
    out.sql = "COALESCE(" + a.sql + ", " + bc.sql + ")";
    return out;
  }
  if (n == "COALESCE") {
    if (f.args.size() < 2) Error(174, f.pos, "The COALESCE function requires 2 argument(s).");
    std::vector<Typed> args;
    for (size_t i = 0; i < f.args.size(); ++i) args.push_back(arg(i));
    out.type = CommonType(args_types(args));
    for (auto& a : args) {
      if (!IsNullType(a.type) && !IsNullType(out.type) &&
          IsTextLike(a.type) != IsTextLike(out.type)) {
        a = Convert(a, out.type, nullptr, f.pos);
      }
    }
    out.sql = call("COALESCE", args);
    return out;
  }
  if (n == "NULLIF") {
    expect_args(2, 2);
    Typed a = arg(0), b = arg(1);
    out.type = a.type;
    std::string cmp = Comparison(BinaryOp::kEq, a, b, f.pos).sql;
    out.sql = "CASE WHEN " + cmp + " THEN NULL ELSE " + a.sql + " END";
    return out;
  }
  if (n == "IIF") {
    expect_args(3, 3);
    std::string cond = Predicate(*f.args[0], scope).sql;
    Typed a = arg(1), b = arg(2);
    out.type = CommonType({a.type, b.type});
    if (IsTextLike(a.type) != IsTextLike(out.type) && !IsNullType(a.type)) a = Convert(a, out.type, nullptr, f.pos);
    if (IsTextLike(b.type) != IsTextLike(out.type) && !IsNullType(b.type)) b = Convert(b, out.type, nullptr, f.pos);
    out.sql = "CASE WHEN " + cond + " THEN " + a.sql + " ELSE " + b.sql + " END";
    return out;
  }
  // T-SQL string functions, run by the tsql_* functions of the runtime.
  struct StringFn {
    const char* name;
    const char* sqlite;
    size_t min_args, max_args;
    int text_args;  // how many leading arguments are texts
  };
  static const StringFn kStringFns[] = {
      {"LEN", "tsql_len", 1, 1, 1},           {"LTRIM", "tsql_ltrim", 1, 1, 1},
      {"RTRIM", "tsql_rtrim", 1, 1, 1},       {"UPPER", "tsql_upper", 1, 1, 1},
      {"LOWER", "tsql_lower", 1, 1, 1},       {"LEFT", "tsql_left", 2, 2, 1},
      {"RIGHT", "tsql_right", 2, 2, 1},       {"SUBSTRING", "tsql_substring", 3, 3, 1},
      {"CHARINDEX", "tsql_charindex", 2, 3, 2}, {"REPLACE", "tsql_replace", 3, 3, 3},
      {"STUFF", "tsql_stuff", 4, 4, 1},       {"REPLICATE", "tsql_replicate", 2, 2, 1},
  };
  for (const auto& sf : kStringFns) {
    if (n != sf.name) continue;
    expect_args(sf.min_args, sf.max_args);
    std::vector<Typed> args;
    for (size_t i = 0; i < f.args.size(); ++i) {
      bool text = static_cast<int>(i) < sf.text_args || (n == "STUFF" && i == 3);
      args.push_back(text ? text_arg(i) : arg(i));
    }
    out.type = result_type(args);
    out.sql = call(sf.sqlite, args);
    return out;
  }
  if (n == "SPACE") {
    expect_args(1, 1);
    out.type = MakeType("VARCHAR", 8000);
    out.sql = "tsql_replicate(' ', " + arg(0).sql + ")";
    return out;
  }
  if (n == "CONCAT") {
    if (f.args.size() < 2) Error(189, f.pos, "The concat function requires 2 to 254 arguments.");
    std::string s;
    int32_t len = 0;
    bool unicode = false;
    for (size_t i = 0; i < f.args.size(); ++i) {
      Typed t = text_arg(i);
      unicode = unicode || IsUnicodeType(t.type);
      len = (len < 0 || t.type.length < 0) ? -1 : std::min(8000, len + t.type.length);
      s += (i ? " || " : "") + std::string("COALESCE(") + t.sql + ", '')";
    }
    out.type = MakeType(unicode ? "NVARCHAR" : "VARCHAR", len);
    out.sql = "(" + s + ")";
    out.nullable = false;
    return out;
  }
  if (n == "ABS" || n == "FLOOR" || n == "CEILING" || n == "SIGN") {
    expect_args(1, 1);
    Typed a = arg(0);
    if (IsTextType(a.type)) a = Convert(a, MakeType("FLOAT"), nullptr, f.pos);
    out.type = result_type({a});
    out.sql = call("tsql_" + std::string(n == "ABS" ? "abs" : n == "FLOOR" ? "floor"
                                          : n == "CEILING" ? "ceiling" : "sign"), {a});
    return out;
  }
  if (n == "ROUND") {
    expect_args(2, 3);
    std::vector<Typed> args;
    for (size_t i = 0; i < f.args.size(); ++i) args.push_back(arg(i));
    if (IsTextType(args[0].type)) args[0] = Convert(args[0], MakeType("FLOAT"), nullptr, f.pos);
    out.type = result_type(args);
    out.sql = call("tsql_round", args);
    return out;
  }
  if (n == "POWER" || n == "SQRT") {
    expect_args(n == "POWER" ? 2 : 1, n == "POWER" ? 2 : 1);
    std::vector<Typed> args;
    for (size_t i = 0; i < f.args.size(); ++i) args.push_back(arg(i));
    out.type = result_type(args);
    out.sql = call(n == "POWER" ? "pow" : "sqrt", args);
    return out;
  }
  if (n == "GETDATE" || n == "SYSDATETIME" || n == "GETUTCDATE") {
    expect_args(0, 0);
    out.type = MakeType("DATETIME");
    out.sql = n == "GETUTCDATE" ? "tsql_getutcdate()" : "tsql_getdate()";
    out.nullable = false;
    return out;
  }
  if (n == "DATEADD" || n == "DATEDIFF" || n == "DATEPART") {
    expect_args(n == "DATEPART" ? 2 : 3, n == "DATEPART" ? 2 : 3);
    std::string part = DatePart(*f.args[0], *this);
    std::vector<Typed> args;
    for (size_t i = 1; i < f.args.size(); ++i) args.push_back(arg(i));
    std::vector<SqlType> types{MakeType("VARCHAR", 10)};
    for (const auto& a : args) types.push_back(a.type);
    BuiltinFunctionType(n, types, &out.type);
    out.sql = "tsql_" + std::string(n == "DATEADD" ? "dateadd" : n == "DATEDIFF" ? "datediff"
                                                                                : "datepart") +
              "(" + part;
    for (const auto& a : args) out.sql += ", " + a.sql;
    out.sql += ")";
    return out;
  }
  if (n == "YEAR" || n == "MONTH" || n == "DAY") {
    expect_args(1, 1);
    out.type = MakeType("INT");
    out.sql = call("tsql_" + std::string(n == "YEAR" ? "year" : n == "MONTH" ? "month" : "day"),
                   {arg(0)});
    return out;
  }
  if (n == "NEWID") {
    expect_args(0, 0);
    out.type = MakeType("UNIQUEIDENTIFIER");
    out.nullable = false;
    out.sql = "(SELECT upper(substr(h, 1, 8) || '-' || substr(h, 9, 4) || '-4' || substr(h, 14, "
              "3) || '-' || substr('89AB', 1 + (abs(random()) % 4), 1) || substr(h, 18, 3) || "
              "'-' || substr(h, 21, 12)) FROM (SELECT hex(randomblob(16)) AS h))";
    return out;
  }
  if (n == "SCOPE_IDENTITY") {
    expect_args(0, 0);
    out.type = MakeType("NUMERIC", 0, 38, 0);
    out.sql = "last_insert_rowid()";
    return out;
  }
  if (n == "ERROR_MESSAGE" || n == "ERROR_NUMBER" || n == "ERROR_SEVERITY" ||
      n == "ERROR_STATE" || n == "ERROR_LINE" || n == "ERROR_PROCEDURE") {
    expect_args(0, 0);
    BuiltinFunctionType(n, {}, &out.type);
    out.sql = Parameter(n + "()");
    return out;
  }
  if (n == "CHAR" || n == "NCHAR" || n == "ASCII" || n == "UNICODE") {
    expect_args(1, 1);
    Typed a = (n == "ASCII" || n == "UNICODE") ? text_arg(0) : arg(0);
    BuiltinFunctionType(n, {a.type}, &out.type);
    out.sql = call((n == "CHAR" || n == "NCHAR") ? "char" : "unicode", {a});
    return out;
  }
  if (n == "OBJECT_ID") {
    expect_args(1, 2);
    const auto* lit = f.args[0]->TryAs<Literal>();
    if (!lit || (lit->literal_kind != LiteralKind::kString && lit->literal_kind != LiteralKind::kNString)) {
      NotSupported(f.pos, "OBJECT_ID of a name that is not a literal");
    }
    // 'tempdb..#X', 'dbo.T', '[T]': the last part names the object.
    std::string name = lit->value;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(dot + 1);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    out.type = MakeType("INT");
    if (IsTempName(name)) {
      out.sql = "(SELECT rowid FROM temp.sqlite_master WHERE type = 'table' AND name = " +
                QuoteLiteral(name) + " COLLATE NOCASE)";
    } else {
      out.sql = "(SELECT id FROM (SELECT rowid AS id FROM main.sqlite_master WHERE type IN "
                "('table', 'view') AND name = " + QuoteLiteral(name) +
                " COLLATE NOCASE UNION ALL SELECT 1000000000 + rowid FROM main.zv_routines "
                "WHERE name = " + QuoteLiteral(name) + ") LIMIT 1)";
    }
    return out;
  }
  if (n == "COL_LENGTH") {
    // Whether a column exists (and its size in bytes), answered from the
    // catalogue when the statement is translated; the translation depends
    // on the table, so it is made again when the table is created anew.
    expect_args(2, 2);
    std::string names[2];
    for (int i = 0; i < 2; ++i) {
      const auto* lit = f.args[i]->TryAs<Literal>();
      if (!lit || (lit->literal_kind != LiteralKind::kString &&
                   lit->literal_kind != LiteralKind::kNString)) {
        NotSupported(f.pos, "COL_LENGTH of a name that is not a literal");
      }
      names[i] = lit->value;
    }
    std::string table = names[0];
    size_t dot = table.rfind('.');
    if (dot != std::string::npos) table = table.substr(dot + 1);
    if (table.size() >= 2 && table.front() == '[' && table.back() == ']')
      table = table.substr(1, table.size() - 2);
    out.type = MakeType("SMALLINT");
    out.sql = "NULL";
    if (std::optional<TableDef> def = FindTable(table)) {
      for (const ColumnDef& c : def->columns) {
        if (ToUpperAscii(c.name) == ToUpperAscii(names[1])) {
          out.sql = std::to_string(ColumnByteLength(c.type));
          out.nullable = false;
        }
      }
    }
    return out;
  }
  if (auto routine = FindRoutine(f.name.Base())) {
    NotSupported(f.pos, "user-defined function " + f.name.ToString() + " in an expression");
  }
  Error(195, f.pos, "'" + f.name.ToString() + "' is not a recognized built-in function name.");
}

Typed Emitter::ToText(const Typed& v, Position pos) {
  if (IsTextLike(v.type) || IsNullType(v.type) || v.type.name == "SQL_VARIANT") return v;
  return Convert(v, MakeType("VARCHAR", 8000), nullptr, pos);
}

Typed Emitter::Convert(const Typed& v, const SqlType& target, const Typed* style, Position pos) {
  Typed out;
  out.type = target;
  out.nullable = v.nullable;
  const SqlType& from = v.type;
  if (IsNullType(from)) {
    out.sql = "NULL";
    return out;
  }
  std::string style_sql = style ? style->sql : "0";
  if (IsTextType(target)) {
    int32_t n = target.length;
    std::string text;
    if (IsTextLike(from) || from.name == "SQL_VARIANT") {
      bool fits = n < 0 || (IsTextLike(from) && from.length >= 0 && from.length <= n);
      if (from.name == "UNIQUEIDENTIFIER") fits = n < 0 || n >= 36;
      text = fits ? v.sql : "tsql_to_text(" + v.sql + ", " + std::to_string(n) + ")";
      if (fits) out.collated = v.collated;
      if (IsFixedCharType(target) && !(IsFixedCharType(from) && from.length == n)) {
        text = "tsql_padchar(" + text + ", " + std::to_string(n) + ")";
        out.collated = false;
      }
      out.sql = text;
      return out;
    }
    int width = 40;
    if (IsIntegerType(from)) {
      text = "CAST(" + v.sql + " AS TEXT)";
      width = from.name == "BIGINT" ? 20 : 11;
    } else if (from.name == "DECIMAL" || from.name == "NUMERIC" || from.name == "MONEY") {
      int scale = from.name == "MONEY" ? 2 : from.scale;
      text = "printf('%." + std::to_string(scale) + "f', " + v.sql + ")";
      // printf reads a NULL as 0; the text of a NULL number is NULL.
      if (v.nullable && !v.literal)
        text = "CASE WHEN " + v.sql + " IS NULL THEN NULL ELSE " + text + " END";
      width = from.name == "MONEY" ? 22 : from.precision + 2;
    } else if (IsApproximateType(from)) {
      text = "tsql_to_text(" + v.sql + ", " + std::to_string(n) + ")";
      width = 0;
    } else if (IsDateType(from)) {
      text = "tsql_format_date(" + v.sql + ", " + style_sql + ")";
      width = 30;
    } else if (from.name == "VARBINARY") {
      text = "CAST(" + v.sql + " AS TEXT)";
      width = n < 0 ? 0 : n + 1;
    } else {
      NotSupported(pos, "conversion from " + TypeToString(from) + " to " + TypeToString(target));
    }
    if (n >= 0 && width > n) text = "tsql_to_text(" + text + ", " + std::to_string(n) + ")";
    if (IsFixedCharType(target)) text = "tsql_padchar(" + text + ", " + std::to_string(n) + ")";
    out.sql = text;
    return out;
  }
  if (IsIntegerType(target)) {
    if (target.name == "BIT") {
      std::string num = IsNumericType(from) ? v.sql : "tsql_to_int(" + v.sql + ")";
      out.sql = "CASE WHEN " + v.sql + " IS NULL THEN NULL WHEN " + num + " <> 0 THEN 1 ELSE 0 END";
      return out;
    }
    if (IsIntegerType(from)) {
      out.sql = v.sql;
      out.literal = v.literal;
      return out;
    }
    if (IsNumericType(from) || IsTextLike(from) || from.name == "SQL_VARIANT") {
      out.sql = "tsql_to_int(" + v.sql + ")";
      return out;
    }
    NotSupported(pos, "conversion from " + TypeToString(from) + " to " + TypeToString(target));
  }
  if (IsDecimalType(target)) {
    DecimalShape t = DecimalShapeOf(target);
    bool exact = IsIntegerType(from) || ((from.name == "DECIMAL" || from.name == "NUMERIC" ||
                                          from.name == "MONEY") &&
                                         DecimalShapeOf(from).scale <= t.scale);
    if (exact) {
      out.sql = IsIntegerType(from) && !v.literal ? "CAST(" + v.sql + " AS REAL)" : v.sql;
      out.literal = v.literal;
      return out;
    }
    if (IsNumericType(from) || IsTextLike(from) || from.name == "SQL_VARIANT") {
      out.sql = "tsql_to_dec(" + v.sql + ", " + std::to_string(t.precision) + ", " +
                std::to_string(t.scale) + ")";
      return out;
    }
    NotSupported(pos, "conversion from " + TypeToString(from) + " to " + TypeToString(target));
  }
  if (IsApproximateType(target)) {
    if (IsNumericType(from)) {
      out.sql = "CAST(" + v.sql + " AS REAL)";
    } else if (IsTextLike(from) || from.name == "SQL_VARIANT") {
      out.sql = "tsql_to_float(" + v.sql + ")";
    } else {
      NotSupported(pos, "conversion from " + TypeToString(from) + " to " + TypeToString(target));
    }
    return out;
  }
  if (IsDateType(target)) {
    std::string value;
    if (IsDateType(from)) {
      value = v.sql;
    } else if (IsTextLike(from) || from.name == "SQL_VARIANT") {
      std::optional<std::string> folded;
      if (v.literal && !style) folded = NormalizeDateLiteral(v.literal->value);
      value = folded ? QuoteLiteral(*folded) : "tsql_convert_date(" + v.sql + ", " + style_sql + ")";
    } else {
      NotSupported(pos, "conversion from " + TypeToString(from) + " to " + TypeToString(target));
    }
    if (target.name == "DATE" && from.name != "DATE") {
      value = "(substr(" + value + ", 1, 10) || ' 00:00:00.000')";
    }
    out.sql = value;
    return out;
  }
  if (target.name == "UNIQUEIDENTIFIER") {
    if (!IsTextLike(from)) NotSupported(pos, "conversion from " + TypeToString(from) + " to UNIQUEIDENTIFIER");
    out.sql = "upper(" + v.sql + ")";
    return out;
  }
  if (target.name == "SQL_VARIANT") {
    out = v;
    out.type = target;
    return out;
  }
  if (target.name == "VARBINARY") {
    out.sql = from.name == "VARBINARY" ? v.sql : "CAST(" + v.sql + " AS BLOB)";
    return out;
  }
  NotSupported(pos, "conversion to " + TypeToString(target));
}

Typed Emitter::ConvertForVariable(const Typed& v, const SqlType& target, Position pos) {
  Typed out = ConvertForStore(v, target, pos);
  if (IsTextType(target) && !IsFixedCharType(target) && target.length > 0 &&
      !IsNullType(v.type)) {
    out.sql = "substr(" + out.sql + ", 1, " + std::to_string(target.length) + ")";
    out.literal = nullptr;
  }
  return out;
}

Typed Emitter::ConvertForStore(const Typed& v, const SqlType& target, Position pos) {
  if (IsNullType(v.type)) return v;
  if (IsTextType(target)) {
    // Stored text keeps its length: only CHAR(n) is padded; a longer value
    // is refused by SQL Server and stored unchanged here.
    Typed out = v;
    if (!IsTextLike(v.type)) out = Convert(v, MakeType(IsUnicodeType(target) ? "NVARCHAR" : "VARCHAR", -1), nullptr, pos);
    if (IsFixedCharType(target) && target.length > 0) {
      if (out.literal && (out.literal->literal_kind == LiteralKind::kString ||
                          out.literal->literal_kind == LiteralKind::kNString) &&
          static_cast<int32_t>(out.literal->value.size()) <= target.length) {
        std::string padded = out.literal->value;
        int32_t chars = 0;
        for (unsigned char c : padded) {
          if ((c & 0xC0) != 0x80) ++chars;
        }
        padded.append(static_cast<size_t>(std::max(0, target.length - chars)), ' ');
        out.sql = QuoteLiteral(padded);
      } else if (!(IsFixedCharType(v.type) && v.type.length == target.length)) {
        out.sql = "tsql_padchar(" + out.sql + ", " + std::to_string(target.length) + ")";
      }
    }
    out.type = target;
    return out;
  }
  if (target.name == "SQL_VARIANT") return v;
  if (IsDecimalType(target) && IsDecimalType(v.type)) {
    // Stored decimals are read back at the column's scale.
    Typed out = v;
    out.type = target;
    return out;
  }
  if (IsTextLike(v.type) == IsTextLike(target) && !(IsIntegerType(target) && !IsIntegerType(v.type))) {
    if (!(IsDateType(target) && !IsDateType(v.type))) {
      Typed out = v;
      out.type = target;
      return out;
    }
  }
  return Convert(v, target, nullptr, pos);
}

}  // namespace zv::tsql::internal
