// Embedded-engine goals: a statement seen before costs a cache lookup
// instead of a parse and a translation; a million rows loaded into a
// temporary table through a record set opened over it, and an
// INSERT ... SELECT ... GROUP BY with 14 SUM columns over them, each against
// the same work written in SQLite SQL and run through the sqlite3 API in the
// same run.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/goals.h"
#include "data/decimal.h"
#include "data/recordset.h"
#include "data/sqlite/embedded_connection.h"
#include "data/tsql/emitter.h"
#include "data/tsql/memory_catalog.h"
#include "data/tsql/parser.h"
#include "data/tsql/translation_cache.h"

namespace zv {
namespace {

constexpr int kLoadRows = 1'000'000;
constexpr int kQuantities = 14;

template <typename... Args>
std::string Fmt(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

// The values of row i: order number, line, article, option, 14 quantities
// with three decimals. 2,000 (article, option) groups.
struct RowValues {
  std::string numreg, article, option;
  int line = 0;
  int64_t milli[kQuantities] = {};
};

void MakeRow(int i, RowValues* r) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "2025%08d", i / 8);
  r->numreg = buf;
  r->line = i % 8 + 1;
  std::snprintf(buf, sizeof buf, "ART%05d", (i * 7919) % 500);
  r->article = buf;
  static const char* options[] = {"BLU 44", "BLU 46", "NER 48", "GRI 50"};
  r->option = options[(i / 3) % 4];
  for (int q = 0; q < kQuantities; ++q) r->milli[q] = (int64_t{i} * (q + 3)) % 100'000 + q;
}

std::string QuantityColumns(const char* type) {
  std::string s;
  for (int q = 1; q <= kQuantities; ++q) s += Fmt(", Q%d %s", q, type);
  return s;
}

std::string SumList() {
  std::string s;
  for (int q = 1; q <= kQuantities; ++q) s += Fmt(", SUM(Q%d)", q);
  return s;
}

// Medians of two pieces of work timed alternately, so that a busy spell of
// the machine weighs on both alike.
std::pair<double, double> AlternateMedians(int repeats, const std::function<void()>& a,
                                           const std::function<void()>& b) {
  std::vector<double> ta, tb;
  auto time = [](const std::function<void()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  for (int i = 0; i < repeats; ++i) {
    ta.push_back(time(a));
    tb.push_back(time(b));
  }
  std::sort(ta.begin(), ta.end());
  std::sort(tb.begin(), tb.end());
  return {ta[ta.size() / 2], tb[tb.size() / 2]};
}

// --------------------------------------------------------------- raw SQLite

struct RawDb {
  sqlite3* db = nullptr;
  RawDb() {
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) throw std::runtime_error("sqlite open");
  }
  ~RawDb() { sqlite3_close(db); }
  void Exec(const std::string& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
      std::string text = msg ? msg : "?";
      sqlite3_free(msg);
      throw std::runtime_error("sqlite: " + text);
    }
  }
};

void RawLoad(RawDb& raw) {
  raw.Exec("DROP TABLE IF EXISTS temp.ROWS_T");
  raw.Exec("CREATE TEMP TABLE ROWS_T (NUMREG TEXT, PROGRIGA INTEGER, CODART TEXT, OPZIONE TEXT" +
           QuantityColumns("REAL") + ")");
  std::string insert = "INSERT INTO temp.ROWS_T VALUES (?,?,?,?";
  for (int q = 0; q < kQuantities; ++q) insert += ",?";
  insert += ")";
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(raw.db, insert.c_str(), -1, &st, nullptr);
  raw.Exec("BEGIN");
  RowValues r;
  for (int i = 0; i < kLoadRows; ++i) {
    MakeRow(i, &r);
    sqlite3_bind_text(st, 1, r.numreg.c_str(), static_cast<int>(r.numreg.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, r.line);
    sqlite3_bind_text(st, 3, r.article.c_str(), static_cast<int>(r.article.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, r.option.c_str(), static_cast<int>(r.option.size()), SQLITE_TRANSIENT);
    for (int q = 0; q < kQuantities; ++q) {
      sqlite3_bind_double(st, 5 + q, static_cast<double>(r.milli[q]) / 1000.0);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  raw.Exec("COMMIT");
  sqlite3_finalize(st);
}

void RawGroup(RawDb& raw) {
  raw.Exec("DROP TABLE IF EXISTS temp.SUMS_T");
  raw.Exec("CREATE TEMP TABLE SUMS_T (CODART TEXT, OPZIONE TEXT" + QuantityColumns("REAL") + ")");
  raw.Exec("INSERT INTO temp.SUMS_T SELECT CODART, OPZIONE" + SumList() +
           " FROM temp.ROWS_T GROUP BY CODART, OPZIONE");
}

// ---------------------------------------------------------- embedded engine

void EngineLoad(Connection& conn) {
  conn.Execute("IF OBJECT_ID('tempdb..#ROWS_T') IS NOT NULL DROP TABLE #ROWS_T", nullptr,
               ado::kCmdText | ado::kExecuteNoRecords);
  conn.Execute("CREATE TABLE #ROWS_T (NUMREG CHAR(12), PROGRIGA DECIMAL(6,0), CODART CHAR(25), "
               "OPZIONE CHAR(20)" + QuantityColumns("DECIMAL(14,3)") + ")",
               nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  auto rs = conn.OpenRecordset("#ROWS_T", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  RowValues r;
  for (int i = 0; i < kLoadRows; ++i) {
    MakeRow(i, &r);
    rs->AddNew();
    rs->SetValue(0, Variant(r.numreg));
    rs->SetValue(1, Variant(int32_t{r.line}));
    rs->SetValue(2, Variant(r.article));
    rs->SetValue(3, Variant(r.option));
    for (int q = 0; q < kQuantities; ++q) {
      rs->SetValue(4 + q, Variant(Decimal::FromParts(0, static_cast<uint64_t>(r.milli[q]), 3, false)));
    }
    rs->Update();
  }
  rs->Close();
}

void EngineGroup(Connection& conn) {
  conn.Execute("IF OBJECT_ID('tempdb..#SUMS_T') IS NOT NULL DROP TABLE #SUMS_T", nullptr,
               ado::kCmdText | ado::kExecuteNoRecords);
  conn.Execute("CREATE TABLE #SUMS_T (CODART CHAR(25), OPZIONE CHAR(20)" +
                   QuantityColumns("DECIMAL(17,3)") + ")",
               nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  conn.Execute("INSERT INTO #SUMS_T SELECT CODART, OPZIONE" + SumList() +
                   " FROM #ROWS_T GROUP BY CODART, OPZIONE",
               nullptr, ado::kCmdText | ado::kExecuteNoRecords);
}

int64_t EngineCount(Connection& conn, const char* table) {
  auto rs = conn.Execute(std::string("SELECT COUNT(*) AS N FROM ") + table);
  return rs->Value(0).ToLongLong();
}

ZV_GOAL("engine_load_1m_vs_sqlite") {
  RawDb raw;
  auto conn = sqlite::EmbeddedConnection::Open(":memory:");
  const auto [raw_s, engine_s] =
      AlternateMedians(3, [&] { RawLoad(raw); }, [&] { EngineLoad(*conn); });
  const int64_t loaded = EngineCount(*conn, "#ROWS_T");
  bench::ReportDetail(Fmt("engine load 1M rows x 18 columns: record set over #ROWS_T %.2f s "
                          "(%.2f us/row), sqlite3 prepared INSERT %.2f s (%.2f us/row); %lld rows",
                          engine_s, engine_s * 1e6 / kLoadRows, raw_s, raw_s * 1e6 / kLoadRows,
                          static_cast<long long>(loaded)));
  const double ratio = loaded == kLoadRows ? engine_s / raw_s : 1e9;
  bench::ReportGoal("engine_load_1m_vs_sqlite", ratio, 2.0, true, "x");
}

ZV_GOAL("engine_group_sum14_vs_sqlite") {
  RawDb raw;
  RawLoad(raw);
  auto conn = sqlite::EmbeddedConnection::Open(":memory:");
  EngineLoad(*conn);
  const auto [raw_s, engine_s] =
      AlternateMedians(5, [&] { RawGroup(raw); }, [&] { EngineGroup(*conn); });
  const int64_t groups = EngineCount(*conn, "#SUMS_T");
  bench::ReportDetail(Fmt("engine INSERT..SELECT GROUP BY, 14 SUMs over 1M rows: T-SQL %.3f s, "
                          "SQLite SQL %.3f s; %lld groups",
                          engine_s, raw_s, static_cast<long long>(groups)));
  bench::ReportGoal("engine_group_sum14_vs_sqlite", groups > 0 ? engine_s / raw_s : 1e9, 1.5,
                    true, "x");
}

// The cost of a statement seen before (key + cache lookup) against a parse
// and a translation of the same text.
ZV_GOAL("engine_translation_cache_speedup") {
  tsql::MemoryCatalog catalog;
  tsql::TableDef table;
  table.name = "DO30_DOCCORPO";
  for (const char* col : {"DO30_DITTA_CG18", "DO30_NUMREG_CO99", "DO30_PROGRIGA", "DO30_CODART_MG66",
                          "DO30_OPZIONE_MG5E", "DO30_QTA1"}) {
    tsql::ColumnDef c;
    c.name = col;
    c.type = tsql::SqlType{"DECIMAL", 0, 14, 3};
    table.columns.push_back(c);
  }
  catalog.AddTable(table);
  tsql::TranslationContext context;
  context.catalog = &catalog;
  const std::string text =
      "SELECT DO30_NUMREG_CO99, DO30_PROGRIGA, SUM(DO30_QTA1) AS QTA FROM DO30_DOCCORPO WITH "
      "(NOLOCK) WHERE DO30_DITTA_CG18 = 1 AND DO30_CODART_MG66 = 'ART01' GROUP BY "
      "DO30_NUMREG_CO99, DO30_PROGRIGA ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA";
  tsql::TranslationCache cache([&](std::string_view name) { return catalog.Version(name); });
  constexpr int kRounds = 2000;
  const double translate_s = bench::MedianSeconds(3, [&] {
    for (int i = 0; i < kRounds; ++i) {
      auto parsed = tsql::ParseBatchOrThrow(text);
      auto t = tsql::Translate(*parsed.front(), context);
      if (t.statements.empty()) throw std::logic_error("empty translation");
    }
  });
  {
    auto parsed = tsql::ParseBatchOrThrow(text);
    cache.Store(tsql::TranslationCache::Key(text, context),
                std::make_shared<const tsql::Translation>(tsql::Translate(*parsed.front(), context)));
  }
  const double cached_s = bench::MedianSeconds(3, [&] {
    for (int i = 0; i < kRounds; ++i) {
      if (cache.Find(tsql::TranslationCache::Key(text, context)) == nullptr) {
        throw std::logic_error("cache miss");
      }
    }
  });
  bench::ReportDetail(Fmt("translation of a 240-character SELECT: parse + translate %.2f us, "
                          "cached %.3f us",
                          translate_s * 1e6 / kRounds, cached_s * 1e6 / kRounds));
  bench::ReportGoal("engine_translation_cache_speedup", translate_s / cached_s, 20, false, "x");
}

}  // namespace
}  // namespace zv
