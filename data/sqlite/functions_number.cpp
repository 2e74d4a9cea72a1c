// The T-SQL numeric functions and conversions. Whole numbers stay INTEGER;
// decimals (stored as REAL) are computed on as zv::Decimal taken from the
// shortest text of the double, so ROUND(2.675, 2) is 2.68 as on the server.
#include <cmath>

#include "data/sqlite/function_support.h"
#include "data/sqlite/tsql_values.h"

namespace zv::sqlite {
namespace {

// A numeric argument: whole numbers as they are, reals as they are, texts
// converted as T-SQL converts varchar to float (error 8114 otherwise).
struct Number {
  bool integer = false;
  int64_t i = 0;
  double r = 0;
};

Number NumberArg(const Args& a, int k) {
  Number n;
  switch (a.Kind(k)) {
    case ValueKind::kInteger:
      n.integer = true;
      n.i = a.Int(k);
      return n;
    case ValueKind::kReal:
      n.r = a.Real(k);
      return n;
    default: {
      std::optional<double> v = ParseFloatText(a.Text(k));
      if (!v) {
        ThrowSql(native::kNumberConversion, "22018",
                 "Error converting data type varchar to float.");
      }
      n.r = *v;
      return n;
    }
  }
}

void ResultNumber(sqlite3_context* ctx, const Number& n) {
  if (n.integer) {
    sqlite3_result_int64(ctx, n.i);
  } else {
    sqlite3_result_double(ctx, n.r);
  }
}

// tsql_round(x, n [, truncate]): half away from zero on the decimal value;
// a non-zero third argument truncates instead.
void Round(Args& a) {
  if (a.AnyNull(2)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  int64_t places = ArgAsInt(a, 1);
  bool truncate = a.Has(2) && !a.IsNull(2) && ArgAsInt(a, 2) != 0;
  if (places > 28) places = 28;
  if (places < -38) places = -38;
  if (x.integer) {
    if (places >= 0) return ResultNumber(a.ctx(), x);
    Decimal r = RoundDecimal(Decimal(x.i), static_cast<int>(places), truncate);
    return sqlite3_result_int64(a.ctx(), r.ToInt64());
  }
  ResultDecimal(a.ctx(), RoundDecimal(DecimalFromReal(x.r), static_cast<int>(places),
                                      truncate));
}

void Floor(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  if (x.integer) return ResultNumber(a.ctx(), x);
  sqlite3_result_double(a.ctx(), std::floor(x.r));
}

void Ceiling(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  if (x.integer) return ResultNumber(a.ctx(), x);
  sqlite3_result_double(a.ctx(), std::ceil(x.r));
}

void Sign(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  if (x.integer) return sqlite3_result_int64(a.ctx(), (x.i > 0) - (x.i < 0));
  sqlite3_result_double(a.ctx(), (x.r > 0) - (x.r < 0));
}

void Abs(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  if (x.integer) {
    if (x.i == INT64_MIN) ThrowOverflow("expression", "bigint");
    return sqlite3_result_int64(a.ctx(), x.i < 0 ? -x.i : x.i);
  }
  sqlite3_result_double(a.ctx(), std::fabs(x.r));
}

// Integer division as T-SQL does it for int operands: truncates towards
// zero.
void DivInt(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  int64_t x = ArgAsInt(a, 0);
  int64_t y = ArgAsInt(a, 1);
  if (y == 0) ThrowSql(native::kDivideByZero, "22012", "Divide by zero error encountered.");
  if (x == INT64_MIN && y == -1) ThrowOverflow("expression", "bigint");
  sqlite3_result_int64(a.ctx(), x / y);
}

struct IntegerType {
  const char* name;
  int64_t min;
  int64_t max;
};

constexpr IntegerType kIntegerTypes[] = {
    {"int", INT32_MIN, INT32_MAX},
    {"smallint", INT16_MIN, INT16_MAX},
    {"tinyint", 0, 255},
    {"bigint", INT64_MIN, INT64_MAX},
};

const IntegerType& IntegerTypeNamed(std::string_view name) {
  for (const IntegerType& t : kIntegerTypes) {
    if (name.size() == std::string_view(t.name).size()) {
      bool same = true;
      for (size_t k = 0; k < name.size(); ++k)
        same = same && std::tolower(static_cast<unsigned char>(name[k])) == t.name[k];
      if (same) return t;
    }
  }
  ThrowSql(243, "42000", "Type " + std::string(name) + " is not a defined system type.");
}

// tsql_to_int(x [, 'int'|'smallint'|'tinyint'|'bigint']): CONVERT to an
// integer type. Reals are truncated; texts must be whole numbers.
void ConvertInteger(Args& a, const IntegerType& type) {
  int64_t v = 0;
  switch (a.Kind(0)) {
    case ValueKind::kNull:
      return sqlite3_result_null(a.ctx());
    case ValueKind::kInteger:
      v = a.Int(0);
      break;
    case ValueKind::kReal: {
      double r = std::trunc(a.Real(0));
      if (!(r >= static_cast<double>(type.min) && r <= static_cast<double>(type.max)) ||
          r >= 9.2233720368547758e18)
        ThrowOverflow("expression", type.name);
      v = static_cast<int64_t>(r);
      break;
    }
    default: {
      std::string_view text = a.Text(0);
      bool overflow = false;
      std::optional<int64_t> parsed = ParseIntegerText(text, &overflow);
      if (!parsed) {
        if (!overflow) ThrowConversion(text, type.name);
        v = INT64_MAX;  // reported as an overflow below
      } else {
        v = *parsed;
      }
      if (overflow || v < type.min || v > type.max) {
        if (type.max == INT64_MAX) ThrowOverflow("expression", type.name);
        ThrowSql(type.max == INT32_MAX ? native::kIntTextOverflow
                                       : native::kSmallIntTextOverflow,
                 "22003",
                 "The conversion of the varchar value '" + std::string(text) +
                     "' overflowed an " + std::string(type.name) + " column.");
      }
      break;
    }
  }
  if (v < type.min || v > type.max) ThrowOverflow("expression", type.name);
  sqlite3_result_int64(a.ctx(), v);
}

void ToInt(Args& a) {
  if (a.Has(1) && !a.IsNull(1)) {
    ConvertInteger(a, IntegerTypeNamed(ArgAsText(a, 1)));
  } else {
    ConvertInteger(a, kIntegerTypes[0]);
  }
}

void ToBigint(Args& a) { ConvertInteger(a, kIntegerTypes[3]); }

void ToBit(Args& a) {
  switch (a.Kind(0)) {
    case ValueKind::kNull:
      return sqlite3_result_null(a.ctx());
    case ValueKind::kInteger:
      return sqlite3_result_int(a.ctx(), a.Int(0) != 0);
    case ValueKind::kReal:
      return sqlite3_result_int(a.ctx(), a.Real(0) != 0);
    default: {
      std::string text = ArgAsText(a, 0);
      std::string t;
      for (char c : text)
        if (c != ' ') t.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
      if (t == "TRUE") return sqlite3_result_int(a.ctx(), 1);
      if (t == "FALSE") return sqlite3_result_int(a.ctx(), 0);
      bool overflow = false;
      std::optional<int64_t> v = ParseIntegerText(text, &overflow);
      if (!v && !overflow) ThrowConversion(text, "bit");
      return sqlite3_result_int(a.ctx(), 1 - (v && *v == 0));
    }
  }
}

// tsql_to_dec(x, p, s): CONVERT(DECIMAL(p,s), x), rounding half away from
// zero; more integer digits than p - s is an overflow.
void ToDec(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  int64_t p = a.Has(1) && !a.IsNull(1) ? ArgAsInt(a, 1) : 18;
  int64_t s = a.Has(2) && !a.IsNull(2) ? ArgAsInt(a, 2) : 0;
  if (p < 1 || p > 38 || s < 0 || s > p)
    ThrowSql(2750, "42000", "Column or parameter has an invalid precision or scale.");
  int scale = static_cast<int>(s > Decimal::kMaxScale ? Decimal::kMaxScale : s);
  Decimal d;
  const char* from = "numeric";
  switch (a.Kind(0)) {
    case ValueKind::kInteger:
      d = Decimal(a.Int(0));
      from = "int";
      break;
    case ValueKind::kReal:
      d = DecimalFromReal(a.Real(0)).RoundHalfAwayFromZero(scale);
      break;
    default: {
      std::optional<Decimal> v = ParseDecimalText(a.Text(0));
      if (!v) {
        ThrowSql(native::kNumberConversion, "22018",
                 "Error converting data type varchar to numeric.");
      }
      d = v->RoundHalfAwayFromZero(scale);
      from = "varchar";
      break;
    }
  }
  if (d.IntegerDigits() > p - s) ThrowOverflow(from, "numeric");
  ResultDecimal(a.ctx(), d);
}

void ToFloat(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  Number x = NumberArg(a, 0);
  sqlite3_result_double(a.ctx(), x.integer ? static_cast<double>(x.i) : x.r);
}

// tsql_to_text(x [, n [, s]]): CONVERT(VARCHAR(n), x). n defaults to 30,
// -1 is MAX. A number is written with s decimals when s >= 0 (a DECIMAL of
// scale s), in FLOAT's short form when s is -1, and in its shortest exact
// form when s is absent or NULL. A whole number too long for n gives '*',
// another number too long is error 8115; texts are cut to n characters.
void ToText(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  int64_t n = a.Has(1) && !a.IsNull(1) ? ArgAsInt(a, 1) : 30;
  bool typed = a.Has(2) && !a.IsNull(2);
  int64_t s = typed ? ArgAsInt(a, 2) : 0;
  size_t limit = n < 0 ? SIZE_MAX : static_cast<size_t>(n);
  std::string out;
  switch (a.Kind(0)) {
    case ValueKind::kInteger:
      if (typed && s > 0) {
        out = Decimal(a.Int(0)).Rescale(static_cast<int>(s)).ToString();
        break;
      }
      out = std::to_string(a.Int(0));
      if (out.size() > limit) return ResultText(a.ctx(), "*");
      return ResultText(a.ctx(), out);
    case ValueKind::kReal:
      if (!typed) {
        out = RealToPlainText(a.Real(0));
      } else if (s < 0) {
        out = FloatToText(a.Real(0));
      } else {
        out = RealToScale(a.Real(0), static_cast<int>(s)).ToString();
      }
      break;
    default: {
      std::string_view text = a.Text(0);
      return ResultText(a.ctx(), CharPrefix(text, limit));
    }
  }
  if (out.size() > limit) ThrowOverflow(typed && s < 0 ? "float" : "numeric", "varchar");
  ResultText(a.ctx(), out);
}

}  // namespace

void RegisterNumberFunctions(sqlite3* db, Session* session) {
  RegisterScalar(db, session, "tsql_round", 2, 3, ScalarCallback<Round>);
  RegisterScalar(db, session, "tsql_floor", 1, 1, ScalarCallback<Floor>);
  RegisterScalar(db, session, "tsql_ceiling", 1, 1, ScalarCallback<Ceiling>);
  RegisterScalar(db, session, "tsql_sign", 1, 1, ScalarCallback<Sign>);
  RegisterScalar(db, session, "tsql_abs", 1, 1, ScalarCallback<Abs>);
  RegisterScalar(db, session, "tsql_div_int", 2, 2, ScalarCallback<DivInt>);
  RegisterScalar(db, session, "tsql_to_int", 1, 2, ScalarCallback<ToInt>);
  RegisterScalar(db, session, "tsql_to_bigint", 1, 1, ScalarCallback<ToBigint>);
  RegisterScalar(db, session, "tsql_to_bit", 1, 1, ScalarCallback<ToBit>);
  RegisterScalar(db, session, "tsql_to_dec", 1, 3, ScalarCallback<ToDec>);
  RegisterScalar(db, session, "tsql_to_float", 1, 1, ScalarCallback<ToFloat>);
  RegisterScalar(db, session, "tsql_to_text", 1, 3, ScalarCallback<ToText>);
}

}  // namespace zv::sqlite
