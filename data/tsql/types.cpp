#include "data/tsql/types.h"

#include <algorithm>

#include "data/tsql/lexer.h"

namespace zv::tsql {
namespace {

constexpr int kMaxPrecision = 38;

bool Is(const SqlType& t, std::string_view name) { return t.name == name; }

int32_t AddLengths(int32_t a, int32_t b, int32_t cap) {
  if (a < 0 || b < 0) return -1;
  return std::min(a + b, cap);
}

std::string OperatorName(BinaryOp op) {
  switch (op) {
    case BinaryOp::kAdd: return "add";
    case BinaryOp::kSub: return "subtract";
    case BinaryOp::kMul: return "multiply";
    case BinaryOp::kDiv: return "divide";
    case BinaryOp::kMod: return "modulo";
    case BinaryOp::kBitAnd: return "boolean AND";
    case BinaryOp::kBitOr: return "boolean OR";
    case BinaryOp::kBitXor: return "boolean XOR";
    default: return "comparison";
  }
}

[[noreturn]] void InvalidOperand(const SqlType& t, const std::string& op) {
  std::string name = ToUpperAscii(t.name);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  throw TypeError(8117, "Operand data type " + name + " is invalid for " + op + " operator.");
}

// The decimal result of an arithmetic operator, capped at 38 digits.
SqlType DecimalArithmetic(BinaryOp op, DecimalShape a, DecimalShape b) {
  int p1 = a.precision, s1 = a.scale, p2 = b.precision, s2 = b.scale;
  int p = 0, s = 0;
  bool additive = false;
  switch (op) {
    case BinaryOp::kAdd:
    case BinaryOp::kSub:
      s = std::max(s1, s2);
      p = s + std::max(p1 - s1, p2 - s2) + 1;
      additive = true;
      break;
    case BinaryOp::kMul:
      p = p1 + p2 + 1;
      s = s1 + s2;
      break;
    case BinaryOp::kDiv:
      s = std::max(6, s1 + p2 + 1);
      p = p1 - s1 + s2 + s;
      break;
    default:  // modulo
      s = std::max(s1, s2);
      p = std::min(p1 - s1, p2 - s2) + s;
      additive = true;
      break;
  }
  if (p > kMaxPrecision) {
    int integral = p - s;
    if (additive) {
      s = std::max(0, kMaxPrecision - std::max(p1 - s1, p2 - s2));
    } else if (integral < 32) {
      s = std::min(s, kMaxPrecision - integral);
    } else if (s > 6) {
      s = 6;
    }
    p = kMaxPrecision;
  }
  return MakeType("DECIMAL", 0, std::max(p, 1), s);
}

}  // namespace

SqlType NullType() { return MakeType("NULL"); }
bool IsNullType(const SqlType& t) { return t.name == "NULL"; }
SqlType ConcreteType(const SqlType& t) { return IsNullType(t) ? MakeType("INT") : t; }

SqlType MakeType(std::string name, int32_t length, int precision, int scale) {
  SqlType t;
  t.name = std::move(name);
  t.length = length;
  t.precision = precision;
  t.scale = scale;
  return t;
}

bool IsTextType(const SqlType& t) {
  return Is(t, "CHAR") || Is(t, "VARCHAR") || Is(t, "NCHAR") || Is(t, "NVARCHAR") ||
         Is(t, "TEXT") || Is(t, "NTEXT");
}
bool IsUnicodeType(const SqlType& t) {
  return Is(t, "NCHAR") || Is(t, "NVARCHAR") || Is(t, "NTEXT");
}
bool IsFixedCharType(const SqlType& t) { return Is(t, "CHAR") || Is(t, "NCHAR"); }
bool IsIntegerType(const SqlType& t) {
  return Is(t, "INT") || Is(t, "SMALLINT") || Is(t, "TINYINT") || Is(t, "BIGINT") ||
         Is(t, "BIT");
}
bool IsDecimalType(const SqlType& t) {
  return Is(t, "DECIMAL") || Is(t, "NUMERIC") || Is(t, "MONEY");
}
bool IsApproximateType(const SqlType& t) { return Is(t, "FLOAT") || Is(t, "REAL"); }
bool IsNumericType(const SqlType& t) {
  return IsIntegerType(t) || IsDecimalType(t) || IsApproximateType(t);
}
bool IsDateType(const SqlType& t) {
  return Is(t, "DATETIME") || Is(t, "SMALLDATETIME") || Is(t, "DATE");
}

SqlType TypeFromName(const TypeName& tn, TypeNameUse use) {
  std::string n = tn.name;
  int32_t default_length = use == TypeNameUse::kConversion ? 30 : 1;
  auto text = [&](const std::string& name) {
    int32_t len = tn.max ? -1 : tn.arg_count >= 1 ? static_cast<int32_t>(tn.arg1) : default_length;
    if (len == 0 || len < -1 || len > 8000) {
      throw TypeError(131, "The size (" + std::to_string(len) + ") given to the type '" + name +
                               "' exceeds the maximum allowed (8000).");
    }
    return MakeType(name, len);
  };
  if (n == "CHAR" || n == "CHARACTER") return text("CHAR");
  if (n == "VARCHAR") return text("VARCHAR");
  if (n == "NCHAR") return text("NCHAR");
  if (n == "NVARCHAR") return text("NVARCHAR");
  if (n == "SYSNAME") return MakeType("NVARCHAR", 128);
  if (n == "VARBINARY" || n == "BINARY") return text("VARBINARY");
  if (n == "TEXT" || n == "NTEXT") return MakeType(n, -1);
  if (n == "DECIMAL" || n == "NUMERIC" || n == "DEC") {
    int p = tn.arg_count >= 1 ? static_cast<int>(tn.arg1) : 18;
    int s = tn.arg_count >= 2 ? static_cast<int>(tn.arg2) : 0;
    if (p < 1 || p > kMaxPrecision || s < 0 || s > p) {
      throw TypeError(2750, "Column or parameter has an invalid precision or scale: (" +
                                std::to_string(p) + ", " + std::to_string(s) + ").");
    }
    return MakeType(n == "DEC" ? "DECIMAL" : n, 0, p, s);
  }
  if (n == "INT" || n == "INTEGER") return MakeType("INT");
  if (n == "SMALLINT" || n == "TINYINT" || n == "BIGINT" || n == "BIT" || n == "REAL" ||
      n == "DATETIME" || n == "DATE" || n == "SMALLDATETIME" || n == "SQL_VARIANT" ||
      n == "UNIQUEIDENTIFIER") {
    return MakeType(n);
  }
  if (n == "MONEY" || n == "SMALLMONEY") return MakeType("MONEY", 0, 19, 4);
  if (n == "FLOAT") {
    return MakeType(tn.arg_count >= 1 && tn.arg1 <= 24 ? "REAL" : "FLOAT");
  }
  if (n == "DATETIME2") return MakeType("DATETIME");
  throw TypeError(2715, "Cannot find data type " + tn.name + ".");
}

std::string TypeToString(const SqlType& t) {
  if (IsTextType(t) || t.name == "VARBINARY") {
    if (t.name == "TEXT" || t.name == "NTEXT") return t.name;
    return t.name + "(" + (t.length < 0 ? std::string("MAX") : std::to_string(t.length)) + ")";
  }
  if (t.name == "DECIMAL" || t.name == "NUMERIC") {
    return t.name + "(" + std::to_string(t.precision) + "," + std::to_string(t.scale) + ")";
  }
  return t.name;
}

int TypePrecedence(const SqlType& t) {
  static const std::pair<std::string_view, int> kOrder[] = {
      {"SQL_VARIANT", 27}, {"DATETIME", 23}, {"SMALLDATETIME", 22}, {"DATE", 21},
      {"FLOAT", 19},       {"REAL", 18},     {"DECIMAL", 17},       {"NUMERIC", 17},
      {"MONEY", 16},       {"BIGINT", 14},   {"INT", 13},           {"SMALLINT", 12},
      {"TINYINT", 11},     {"BIT", 10},      {"NTEXT", 9},          {"TEXT", 8},
      {"UNIQUEIDENTIFIER", 5}, {"NVARCHAR", 4}, {"NCHAR", 3},     {"VARCHAR", 2},
      {"CHAR", 1},         {"VARBINARY", 0},
  };
  for (const auto& [name, rank] : kOrder) {
    if (t.name == name) return rank;
  }
  return -100;  // the NULL type
}

const SqlType& HigherPrecedence(const SqlType& a, const SqlType& b) {
  return TypePrecedence(b) > TypePrecedence(a) ? b : a;
}

DecimalShape DecimalShapeOf(const SqlType& t) {
  if (t.name == "DECIMAL" || t.name == "NUMERIC") return {t.precision, t.scale};
  if (t.name == "MONEY") return {19, 4};
  if (t.name == "BIGINT") return {19, 0};
  if (t.name == "INT") return {10, 0};
  if (t.name == "SMALLINT") return {5, 0};
  if (t.name == "TINYINT") return {3, 0};
  if (t.name == "BIT") return {1, 0};
  return {18, 0};
}

SqlType LiteralType(const Literal& lit) {
  switch (lit.literal_kind) {
    case LiteralKind::kNull: return NullType();
    case LiteralKind::kFloat: return MakeType("FLOAT");
    case LiteralKind::kBinary:
      return MakeType("VARBINARY", static_cast<int32_t>(std::max<size_t>(1, (lit.value.size() - 1) / 2)));
    case LiteralKind::kString:
    case LiteralKind::kNString: {
      int32_t chars = 0;
      for (unsigned char c : lit.value) {
        if ((c & 0xC0) != 0x80) ++chars;
      }
      return MakeType(lit.literal_kind == LiteralKind::kString ? "VARCHAR" : "NVARCHAR",
                      std::max(1, chars));
    }
    case LiteralKind::kInteger: {
      std::string digits = lit.value;
      digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
      if (digits.size() < 10 || (digits.size() == 10 && digits <= "2147483647")) {
        return MakeType("INT");
      }
      int p = std::min<int>(kMaxPrecision, static_cast<int>(digits.size()));
      return MakeType("DECIMAL", 0, p, 0);
    }
    case LiteralKind::kDecimal: {
      size_t dot = lit.value.find('.');
      std::string whole = lit.value.substr(0, dot);
      whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
      int s = static_cast<int>(lit.value.size() - dot - 1);
      int p = std::max(1, static_cast<int>(whole.size()) + s);
      return MakeType("DECIMAL", 0, std::min(p, kMaxPrecision), std::min(s, kMaxPrecision));
    }
  }
  return NullType();
}

SqlType BinaryResultType(BinaryOp op, const SqlType& l, const SqlType& r) {
  if (IsNullType(l) && IsNullType(r)) return MakeType("INT");
  if (IsNullType(l)) return BinaryResultType(op, r, r);
  if (IsNullType(r)) return BinaryResultType(op, l, l);
  const SqlType& high = HigherPrecedence(l, r);
  std::string op_name = OperatorName(op);
  if (high.name == "SQL_VARIANT" || high.name == "UNIQUEIDENTIFIER" || high.name == "VARBINARY") {
    InvalidOperand(high, op_name);
  }
  if (op == BinaryOp::kBitAnd || op == BinaryOp::kBitOr || op == BinaryOp::kBitXor) {
    if (!IsIntegerType(l)) InvalidOperand(l, op_name);
    if (!IsIntegerType(r)) InvalidOperand(r, op_name);
    return high;
  }
  if (IsTextType(high)) {  // both sides are text
    if (op != BinaryOp::kAdd) InvalidOperand(high, op_name);
    bool unicode = IsUnicodeType(l) || IsUnicodeType(r);
    int32_t cap = unicode ? 4000 : 8000;
    int32_t len = AddLengths(l.length, r.length, cap);
    bool fixed = IsFixedCharType(l) && IsFixedCharType(r) && len > 0;
    std::string name = unicode ? (fixed ? "NCHAR" : "NVARCHAR") : (fixed ? "CHAR" : "VARCHAR");
    return MakeType(name, len);
  }
  if (IsDateType(high)) {
    if (op != BinaryOp::kAdd && op != BinaryOp::kSub) InvalidOperand(high, op_name);
    return MakeType("DATETIME");
  }
  // Numbers; a text operand is converted to the other operand's type.
  const SqlType& a = IsTextType(l) ? r : l;
  const SqlType& b = IsTextType(r) ? l : r;
  if (IsApproximateType(a) || IsApproximateType(b)) {
    return MakeType(a.name == "FLOAT" || b.name == "FLOAT" ? "FLOAT" : "REAL");
  }
  if (IsIntegerType(a) && IsIntegerType(b)) {
    SqlType t = HigherPrecedence(a, b);
    if (t.name == "BIT" || t.name == "TINYINT" || t.name == "SMALLINT") {
      // Narrow integers compute at their own width; BIT arithmetic is INT.
      if (t.name == "BIT") return MakeType("INT");
    }
    return t;
  }
  if (a.name == "MONEY" && b.name == "MONEY") return MakeType("MONEY", 0, 19, 4);
  if ((a.name == "MONEY" && IsIntegerType(b)) || (b.name == "MONEY" && IsIntegerType(a))) {
    return MakeType("MONEY", 0, 19, 4);
  }
  return DecimalArithmetic(op, DecimalShapeOf(a), DecimalShapeOf(b));
}

SqlType CommonType(const std::vector<SqlType>& types) {
  const SqlType* high = nullptr;
  for (const auto& t : types) {
    if (IsNullType(t)) continue;
    if (!high || TypePrecedence(t) > TypePrecedence(*high)) high = &t;
  }
  if (!high) return NullType();
  SqlType result = *high;
  if (IsTextType(result)) {
    bool all_fixed = true;
    int32_t len = 0;
    for (const auto& t : types) {
      if (IsNullType(t)) continue;
      int32_t l = IsTextType(t) ? t.length : 30;
      if (!IsFixedCharType(t)) all_fixed = false;
      if (l < 0 || len < 0) len = -1;
      else len = std::max(len, l);
    }
    bool unicode = IsUnicodeType(result);
    if (result.name == "TEXT" || result.name == "NTEXT") return result;
    result = MakeType(unicode ? (all_fixed ? "NCHAR" : "NVARCHAR") : (all_fixed ? "CHAR" : "VARCHAR"),
                      len);
  } else if (result.name == "DECIMAL" || result.name == "NUMERIC") {
    int scale = 0, integral = 0;
    for (const auto& t : types) {
      if (IsNullType(t) || !(IsIntegerType(t) || IsDecimalType(t))) continue;
      DecimalShape d = DecimalShapeOf(t);
      scale = std::max(scale, d.scale);
      integral = std::max(integral, d.precision - d.scale);
    }
    int p = std::min(kMaxPrecision, integral + scale);
    result = MakeType(result.name, 0, std::max(p, 1), std::min(scale, p));
  }
  return result;
}

bool IsAggregateFunction(std::string_view n) {
  return n == "SUM" || n == "COUNT" || n == "COUNT_BIG" || n == "AVG" || n == "MIN" ||
         n == "MAX" || n == "STDEV" || n == "VAR";
}

SqlType AggregateResultType(std::string_view n, const SqlType& arg) {
  if (n == "COUNT") return MakeType("INT");
  if (n == "COUNT_BIG") return MakeType("BIGINT");
  if (n == "MIN" || n == "MAX") return arg;
  if (n == "STDEV" || n == "VAR") return MakeType("FLOAT");
  if (IsNullType(arg)) return MakeType("INT");
  if (!IsNumericType(arg)) {
    InvalidOperand(arg, n == "SUM" ? "sum" : "avg");
  }
  if (IsIntegerType(arg)) return MakeType(arg.name == "BIGINT" ? "BIGINT" : "INT");
  if (IsApproximateType(arg)) return MakeType("FLOAT");
  if (arg.name == "MONEY") return arg;
  if (n == "SUM") return MakeType("DECIMAL", 0, kMaxPrecision, arg.scale);
  return MakeType("DECIMAL", 0, kMaxPrecision, std::max(arg.scale, 6));
}

bool BuiltinFunctionType(std::string_view n, const std::vector<SqlType>& args, SqlType* out) {
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : NullType(); };
  auto text_like = [&](const SqlType& t, int32_t len) {
    bool unicode = IsUnicodeType(t);
    return MakeType(unicode ? "NVARCHAR" : "VARCHAR", len);
  };
  auto text_len = [&](const SqlType& t) { return IsTextType(t) ? t.length : 30; };
  if (n == "LEN" || n == "CHARINDEX" || n == "DATEDIFF" || n == "YEAR" || n == "MONTH" ||
      n == "DAY" || n == "DATEPART" || n == "OBJECT_ID" || n == "ASCII" || n == "UNICODE" ||
      n == "DATALENGTH" || n == "ERROR_NUMBER" || n == "ERROR_SEVERITY" ||
      n == "ERROR_STATE" || n == "ERROR_LINE" || n == "ISNUMERIC") {
    *out = MakeType("INT");
  } else if (n == "COL_LENGTH") {
    *out = MakeType("SMALLINT");
  } else if (n == "SUBSTRING" || n == "LEFT" || n == "RIGHT" || n == "LTRIM" || n == "RTRIM" ||
             n == "UPPER" || n == "LOWER" || n == "REVERSE" || n == "TRIM") {
    *out = text_like(arg(0), text_len(arg(0)));
  } else if (n == "REPLACE" || n == "STUFF" || n == "REPLICATE") {
    const SqlType& a = arg(0);
    bool unicode = IsUnicodeType(a) || (n != "REPLICATE" && IsUnicodeType(arg(n == "STUFF" ? 3 : 2)));
    *out = MakeType(unicode ? "NVARCHAR" : "VARCHAR", a.length < 0 ? -1 : unicode ? 4000 : 8000);
  } else if (n == "SPACE" || n == "CONCAT") {
    *out = MakeType("VARCHAR", 8000);
  } else if (n == "CHAR") {
    *out = MakeType("CHAR", 1);
  } else if (n == "NCHAR") {
    *out = MakeType("NCHAR", 1);
  } else if (n == "ISNULL" || n == "NULLIF") {
    *out = IsNullType(arg(0)) ? arg(1) : arg(0);
  } else if (n == "COALESCE") {
    *out = CommonType(args);
  } else if (n == "IIF") {
    *out = CommonType({arg(1), arg(2)});
  } else if (n == "ABS" || n == "SIGN" || n == "ROUND") {
    *out = IsTextType(arg(0)) ? MakeType("FLOAT") : IsNullType(arg(0)) ? MakeType("INT") : arg(0);
  } else if (n == "FLOOR" || n == "CEILING") {
    const SqlType& a = arg(0);
    if (a.name == "DECIMAL" || a.name == "NUMERIC") *out = MakeType(a.name, 0, a.precision, 0);
    else *out = IsTextType(a) ? MakeType("FLOAT") : IsNullType(a) ? MakeType("INT") : a;
  } else if (n == "POWER") {
    const SqlType& a = arg(0);
    *out = IsDecimalType(a) ? MakeType("DECIMAL", 0, 38, a.scale)
                            : IsIntegerType(a) ? MakeType("INT") : MakeType("FLOAT");
  } else if (n == "SQRT" || n == "EXP" || n == "LOG" || n == "RAND" || n == "PI") {
    *out = MakeType("FLOAT");
  } else if (n == "GETDATE" || n == "GETUTCDATE" || n == "SYSDATETIME" ||
             n == "CURRENT_TIMESTAMP") {
    *out = MakeType("DATETIME");
  } else if (n == "DATEADD") {
    *out = IsDateType(arg(2)) ? arg(2) : MakeType("DATETIME");
  } else if (n == "NEWID") {
    *out = MakeType("UNIQUEIDENTIFIER");
  } else if (n == "SCOPE_IDENTITY") {
    *out = MakeType("NUMERIC", 0, 38, 0);
  } else if (n == "ERROR_MESSAGE") {
    *out = MakeType("NVARCHAR", 4000);
  } else if (n == "ERROR_PROCEDURE") {
    *out = MakeType("NVARCHAR", 128);
  } else if (n == "ROW_NUMBER" || n == "RANK" || n == "DENSE_RANK" || n == "NTILE") {
    *out = MakeType("BIGINT");
  } else if (IsAggregateFunction(n)) {
    *out = AggregateResultType(n, arg(0));
  } else {
    return false;
  }
  return true;
}

}  // namespace zv::tsql
