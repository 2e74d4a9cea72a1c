// The T-SQL aggregates SQLite cannot give exactly:
//
// tsql_sum(x): SUM. Whole numbers give a whole number; as soon as one value
//   is a REAL (a stored DECIMAL) the sum is accumulated exactly as a
//   zv::Decimal of each value's shortest text, so summing a million
//   quantities of scale 6 gives the exact decimal sum (returned as the REAL
//   nearest to it). NULL when there is no non-NULL value.
// tsql_avg(x [, s]): AVG. Whole numbers give the whole-number average
//   truncated towards zero (AVG of an int column is an int). Decimals give
//   the exact sum divided by the count, truncated to max(s, 6) decimals,
//   as the server's decimal AVG keeps scale max(s, 6); s is the argument's
//   declared scale (without it, the largest scale among the values).
// tsql_xmlpath(x): the string aggregation of FOR XML PATH(''): the values'
//   texts concatenated in row order with & < > written as &amp; &lt; &gt;
//   and control characters (CR included) as &#xD;-style references. NULL
//   items add nothing; no rows at all give NULL.
// tsql_sum and tsql_avg also work as window functions (OVER ...).
#include <new>

#include "data/sqlite/function_support.h"
#include "data/sqlite/tsql_values.h"

namespace zv::sqlite {
namespace {

struct SumState {
  int64_t count;       // non-NULL values
  int64_t real_count;  // of which REAL
  int max_scale;
  Decimal sum;
  // Short decimals (see ShortDecimalFromReal) add up here as a whole number
  // of 10^-acc_scale, flushed into `sum` whenever they would overflow.
  int64_t acc;
  int acc_scale;
};

constexpr int64_t kPow10[] = {1,         10,         100,         1000,         10000,
                              100000,    1000000,    10000000,    100000000,    1000000000};

void Flush(SumState* s) {
  if (s->acc == 0) return;
  const uint64_t magnitude = s->acc < 0 ? 0 - static_cast<uint64_t>(s->acc) : static_cast<uint64_t>(s->acc);
  s->sum = s->sum + Decimal::FromParts(0, magnitude, s->acc_scale, s->acc < 0);
  s->acc = 0;
}

// Adds n * 10^-k (k <= 9) to the state.
void AddShort(SumState* s, int64_t n, int k) {
  if (k > s->acc_scale) {
    int64_t widened = 0;
    if (__builtin_mul_overflow(s->acc, kPow10[k - s->acc_scale], &widened)) {
      Flush(s);
      widened = 0;
    }
    s->acc = widened;
    s->acc_scale = k;
  }
  int64_t term = 0;
  if (__builtin_mul_overflow(n, kPow10[s->acc_scale - k], &term)) {
    const uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    s->sum = s->sum + Decimal::FromParts(0, magnitude, k, n < 0);
    return;
  }
  if (__builtin_add_overflow(s->acc, term, &s->acc)) {
    Flush(s);
    s->acc = term;
  }
}

Decimal Total(SumState* s) {
  Flush(s);
  return s->sum;
}

// The state of the current group, created on the first row.
SumState* State(sqlite3_context* ctx, bool create) {
  void* p = sqlite3_aggregate_context(ctx, create ? static_cast<int>(sizeof(SumState)) + 1 : 0);
  if (p == nullptr) return nullptr;
  // The extra byte flags the construction of the zeroed block.
  auto* flag = static_cast<unsigned char*>(p) + sizeof(SumState);
  if (*flag == 0) {
    new (p) SumState{0, 0, 0, Decimal(), 0, 0};
    *flag = 1;
  }
  return static_cast<SumState*>(p);
}

void Accumulate(sqlite3_context* ctx, sqlite3_value* value, const char* function,
                bool add) {
  Guard(ctx, [&] {
    int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL) return;
    SumState* s = State(ctx, true);
    if (s == nullptr) throw std::bad_alloc();
    int sign = add ? 1 : -1;
    if (type == SQLITE_INTEGER) {
      Decimal d(static_cast<int64_t>(sqlite3_value_int64(value)));
      s->sum = add ? s->sum + d : s->sum - d;
    } else if (type == SQLITE_FLOAT) {
      const double real = sqlite3_value_double(value);
      int64_t n = 0;
      int k = 0;
      if (ShortDecimalFromReal(real, &n, &k)) {
        AddShort(s, add ? n : -n, k);
        if (k > s->max_scale) s->max_scale = k;
      } else {
        Decimal d = DecimalFromReal(real);
        s->sum = add ? s->sum + d : s->sum - d;
        if (d.scale() > s->max_scale) s->max_scale = d.scale();
      }
      s->real_count += sign;
    } else {
      ThrowSql(native::kOperandType, "42000",
               std::string("Operand data type varchar is invalid for ") + function +
                   " operator.");
    }
    s->count += sign;
  });
}

void SumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Accumulate(ctx, argv[0], "sum", true);
}

void SumInverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Accumulate(ctx, argv[0], "sum", false);
}

void SumValue(sqlite3_context* ctx) {
  Guard(ctx, [&] {
    SumState* s = State(ctx, false);
    if (s == nullptr || s->count == 0) return sqlite3_result_null(ctx);
    const Decimal sum = Total(s);
    if (s->real_count == 0) {
      if (sum.IntegerDigits() > 19) ThrowOverflow("expression", "bigint");
      return sqlite3_result_int64(ctx, sum.ToInt64());
    }
    ResultDecimal(ctx, sum);
  });
}

void AvgStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Accumulate(ctx, argv[0], "avg", true);
}

void AvgInverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Accumulate(ctx, argv[0], "avg", false);
}

void AvgStepScaled(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  AvgStep(ctx, argc, argv);
  if (argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL) {
    SumState* s = State(ctx, true);
    if (s != nullptr) {
      int scale = sqlite3_value_int(argv[1]);
      // The declared scale wins over the scales seen in the values.
      s->max_scale = scale < 0 ? 0 : (scale > Decimal::kMaxScale ? Decimal::kMaxScale : scale);
    }
  }
}

void AvgValue(sqlite3_context* ctx) {
  Guard(ctx, [&] {
    SumState* s = State(ctx, false);
    if (s == nullptr || s->count == 0) return sqlite3_result_null(ctx);
    Decimal q = Total(s) / Decimal(s->count);
    if (s->real_count == 0) return sqlite3_result_int64(ctx, q.Truncate().ToInt64());
    int scale = s->max_scale < 6 ? 6 : s->max_scale;
    ResultDecimal(ctx, TruncateDecimal(q, scale));
  });
}

// --- FOR XML PATH('') -----------------------------------------------------

struct XmlState {
  std::string* text;  // owned; freed by the final call
  bool any_row;
};

void AppendEscaped(std::string_view s, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out->append("&amp;");
        break;
      case '<':
        out->append("&lt;");
        break;
      case '>':
        out->append("&gt;");
        break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n') {
          out->append("&#x");
          if (c >= 0x10) out->push_back(kHex[c >> 4]);
          out->push_back(kHex[c & 0xF]);
          out->push_back(';');
        } else {
          out->push_back(ch);
        }
    }
  }
}

void XmlStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  Guard(ctx, [&] {
    auto* s = static_cast<XmlState*>(sqlite3_aggregate_context(ctx, sizeof(XmlState)));
    if (s == nullptr) throw std::bad_alloc();
    s->any_row = true;
    if (s->text == nullptr) s->text = new std::string();
    Args args(ctx, argc, argv);
    if (args.IsNull(0)) return;
    AppendEscaped(ArgAsText(args, 0), s->text);
  });
}

void XmlFinal(sqlite3_context* ctx) {
  auto* s = static_cast<XmlState*>(sqlite3_aggregate_context(ctx, 0));
  if (s == nullptr || !s->any_row) {
    sqlite3_result_null(ctx);
  } else {
    sqlite3_result_text64(ctx, s->text->data(), s->text->size(), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
  }
  if (s != nullptr) {
    delete s->text;
    s->text = nullptr;
  }
}

void Check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK) throw DatabaseError(MakeDbError(0, "HY000", sqlite3_errmsg(db)));
}

}  // namespace

void RegisterAggregateFunctions(sqlite3* db, Session* session) {
  Check(db, sqlite3_create_window_function(db, "tsql_sum", 1, SQLITE_UTF8, session,
                                           SumStep, SumValue, SumValue, SumInverse,
                                           nullptr));
  Check(db, sqlite3_create_window_function(db, "tsql_avg", 1, SQLITE_UTF8, session,
                                           AvgStep, AvgValue, AvgValue, AvgInverse,
                                           nullptr));
  Check(db, sqlite3_create_window_function(db, "tsql_avg", 2, SQLITE_UTF8, session,
                                           AvgStepScaled, AvgValue, AvgValue,
                                           AvgInverse, nullptr));
  Check(db, sqlite3_create_function_v2(db, "tsql_xmlpath", 1, SQLITE_UTF8, session,
                                       nullptr, XmlStep, XmlFinal, nullptr));
}

}  // namespace zv::sqlite
