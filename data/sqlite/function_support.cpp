#include "data/sqlite/function_support.h"

#include "data/sqlite/tsql_values.h"
#include "data/text_compare.h"

namespace zv::sqlite {

ValueKind Args::Kind(int i) const {
  switch (sqlite3_value_type(argv_[i])) {
    case SQLITE_INTEGER:
      return ValueKind::kInteger;
    case SQLITE_FLOAT:
      return ValueKind::kReal;
    case SQLITE_TEXT:
      return ValueKind::kText;
    case SQLITE_BLOB:
      return ValueKind::kBlob;
    default:
      return ValueKind::kNull;
  }
}

bool Args::AnyNull(int n) const {
  int count = n < 0 || n > argc_ ? argc_ : n;
  for (int i = 0; i < count; ++i) {
    if (sqlite3_value_type(argv_[i]) == SQLITE_NULL) return true;
  }
  return false;
}

std::string_view Args::Text(int i) const {
  const unsigned char* p = sqlite3_value_text(argv_[i]);
  int n = sqlite3_value_bytes(argv_[i]);
  if (p == nullptr) return {};
  return std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

void ResultText(sqlite3_context* ctx, std::string_view text) {
  // A null pointer would make the result NULL rather than ''.
  const char* data = text.data() != nullptr ? text.data() : "";
  sqlite3_result_text64(ctx, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void ResultDecimal(sqlite3_context* ctx, const Decimal& value) {
  sqlite3_result_double(ctx, value.ToDouble());
}

void ReportFunctionError(sqlite3_context* ctx, int32_t native_error,
                         const std::string& sql_state,
                         const std::string& message) {
  auto* session = static_cast<Session*>(sqlite3_user_data(ctx));
  if (session != nullptr) {
    session->error.set = true;
    session->error.native_error = native_error;
    session->error.sql_state = sql_state;
    session->error.message = message;
  }
  sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

void RegisterScalar(sqlite3* db, Session* session, const char* name,
                    int min_args, int max_args,
                    void (*fn)(sqlite3_context*, int, sqlite3_value**),
                    Purity purity) {
  int flags = SQLITE_UTF8;
  if (purity == Purity::kDeterministic) flags |= SQLITE_DETERMINISTIC;
  for (int n = min_args; n <= max_args; ++n) {
    int rc = sqlite3_create_function_v2(db, name, n, flags, session, fn, nullptr,
                                        nullptr, nullptr);
    if (rc != SQLITE_OK) {
      throw DatabaseError(MakeDbError(0, "HY000",
                                      std::string("cannot register ") + name +
                                          ": " + sqlite3_errmsg(db)));
    }
  }
}

std::string ArgAsText(const Args& args, int i) {
  switch (args.Kind(i)) {
    case ValueKind::kInteger:
      return std::to_string(args.Int(i));
    case ValueKind::kReal:
      return RealToPlainText(args.Real(i));
    case ValueKind::kNull:
      return {};
    default:
      return std::string(args.Text(i));
  }
}

int64_t ArgAsInt(const Args& args, int i) {
  switch (args.Kind(i)) {
    case ValueKind::kInteger:
      return args.Int(i);
    case ValueKind::kReal: {
      double v = args.Real(i);
      if (!(v > -9.2233720368547758e18 && v < 9.2233720368547758e18))
        ThrowOverflow("expression", "int");
      return static_cast<int64_t>(v);
    }
    default: {
      bool overflow = false;
      std::optional<int64_t> v = ParseIntegerText(args.Text(i), &overflow);
      if (!v) ThrowConversion(args.Text(i), "int");
      return *v;
    }
  }
}

namespace {

// Case-insensitive, trailing blanks ignored, accented letters right after
// their base letter: the order of data/text_compare.h, so that SQL ORDER
// BY and record-set sorts agree.
int CompareTrimmed(std::string_view a, std::string_view b) {
  a = text::TrimTrailingBlanks(a);
  b = text::TrimTrailingBlanks(b);
  // Plain ASCII: folded bytes decide, the shorter text first.
  size_t n = a.size() < b.size() ? a.size() : b.size();
  size_t i = 0;
  for (; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if ((x | y) & 0x80) break;
    if (x == y) continue;
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y ? -1 : 1;
  }
  if (i == n) {
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
  }
  // The characters so far were equal; the rest needs the full order.
  return text::CompareText(a.substr(i), b.substr(i));
}

bool AllBlanks(std::string_view s) {
  for (char c : s) {
    if (c != ' ') return false;
  }
  return true;
}

// The same order in one pass over padded CHAR values, which GROUP BY and
// ORDER BY compare millions of times: identical bytes are equal at once,
// and the blanks that pad a text are looked at only where the texts differ.
int CompareTsqlci(void*, int na, const void* pa, int nb, const void* pb) {
  std::string_view a(static_cast<const char*>(pa), static_cast<size_t>(na));
  std::string_view b(static_cast<const char*>(pb), static_cast<size_t>(nb));
  if (a == b) return 0;
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if ((x | y) & 0x80) return CompareTrimmed(a, b);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x == y) continue;
    // The first difference: a text that has only blanks left ends here.
    if (AllBlanks(a.substr(i))) return -1;
    if (AllBlanks(b.substr(i))) return 1;
    return x < y ? -1 : 1;
  }
  const std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
  if (AllBlanks(rest)) return 0;
  // The longer text goes after the shorter one it starts with.
  return a.size() > n ? 1 : -1;
}

}  // namespace

void RegisterCollation(sqlite3* db) {
  int rc = sqlite3_create_collation_v2(db, "TSQLCI", SQLITE_UTF8, nullptr,
                                       CompareTsqlci, nullptr);
  if (rc != SQLITE_OK) {
    throw DatabaseError(MakeDbError(0, "HY000", sqlite3_errmsg(db)));
  }
}

}  // namespace zv::sqlite
