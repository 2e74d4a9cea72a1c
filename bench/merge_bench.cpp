// Merge goals.
//
// merge_10k_vs_sqlite, merge_100k_vs_sqlite: AccorpaRigheOrdiniFasi end to
// end (work tables, phases read from the database, SPVESTARO_ACCORPA, the
// five result sets taken as record sets) on the production orders of the
// sample company, against the same work written as plain SQLite SQL through
// the sqlite3 API in the same run: the order rows loaded into a table, their
// phases joined from the phase table, one GROUP BY on the same key with the
// same sums, and the origin rows, merged rows and links read back.
//
// splitback_1000_median_us, splitback_view_doubling: the split-back of a
// quantity onto a merged row of 1,000 origin rows, with the recalculation
// of the merged row, in a view of 10,000 origin rows and in one of 20,000.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "apps/production_rows.h"
#include "apps/sample_db.h"
#include "apps/sample_generator.h"
#include "bench/goals.h"
#include "data/decimal.h"
#include "data/recordset.h"
#include "data/sqlite/embedded_connection.h"
#include "merge/filter_text.h"
#include "shell/clspd_vestaro.h"

// The benchmark binary links the library only; the sample company's
// generator and the host-side queries live with the vestaro command under
// apps/, so their sources are compiled in here.
#include "apps/production_rows.cpp"   // NOLINT(bugprone-suspicious-include)
#include "apps/sample_catalog.cpp"    // NOLINT(bugprone-suspicious-include)
#include "apps/sample_db.cpp"         // NOLINT(bugprone-suspicious-include)
#include "apps/sample_documents.cpp"  // NOLINT(bugprone-suspicious-include)
#include "apps/sample_masters.cpp"    // NOLINT(bugprone-suspicious-include)
#include "apps/sample_orders.cpp"     // NOLINT(bugprone-suspicious-include)

namespace zv {
namespace {

constexpr int32_t kCompany = 1;
constexpr int kNoRows = ado::kCmdText | ado::kExecuteNoRecords;

template <typename... Args>
std::string Fmt(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

double Seconds(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

// ------------------------------------------------------------- sample data

std::string SourceFile(const std::string& relative) {
  std::ifstream in(std::string(ZV_SOURCE_DIR) + "/" + relative);
  if (!in) throw std::runtime_error("cannot read " + relative);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// An in-memory database with the ERP schema (db/schema in the order of its
// order.txt) and the procedures of db/procedures.
std::shared_ptr<sqlite::EmbeddedConnection> ErpDatabase() {
  auto conn = sqlite::EmbeddedConnection::Open(":memory:");
  std::istringstream order(SourceFile("db/schema/order.txt"));
  std::string file;
  while (std::getline(order, file)) {
    if (!file.empty()) conn->Execute(SourceFile("db/schema/" + file), nullptr, kNoRows);
  }
  sample::CreateProcedures(*conn);
  return conn;
}

// An in-memory database with one sample company of `order_rows`
// production-order rows (parents and sizes).
std::shared_ptr<sqlite::EmbeddedConnection> SampleCompany(int64_t order_rows) {
  auto conn = ErpDatabase();
  sample::SampleOptions options;
  options.company = kCompany;
  options.order_rows = order_rows;
  conn->Execute("BEGIN TRANSACTION", nullptr, kNoRows);
  sample::DatabaseRowWriter writer(conn->database());
  sample::GenerateCompany(options, writer);
  conn->Execute("COMMIT TRANSACTION", nullptr, kNoRows);
  // The planner's statistics, as the sample command gathers them.
  writer.Finish();
  writer.Finish();  // planner statistics: session-table joins search the ERP keys
  return conn;
}

// ---------------------------------------------------------- the library

struct MergeResult {
  int32_t origin = 0, merged = 0, links = 0, origin_phases = 0;
};

// The host's request with no merge option chosen: rows merge by parent row
// and by the variant dimensions outside the size grid; the phases come from
// the database.
MergeResult LibraryMerge(const std::shared_ptr<sqlite::EmbeddedConnection>& conn,
                         const std::shared_ptr<Recordset>& rows) {
  CLSPD_VESTARO v;
  v.SetConnessione(conn);
  v.SetCodiceDitta(Variant(kCompany));
  v.PgmChiamante = FbAvanzamentoOrdiniProduzione;
  v.PrstOrdini = rows;
  v.AccorpaRigheOrdiniFasi();
  if (v.VestaroStato() != tsVestaroOK) throw std::runtime_error("the merge failed");
  MergeResult r;
  r.origin = v.RstOrigOrdini->RecordCount();
  r.merged = v.RstDestiOrdini->RecordCount();
  r.links = v.RstRiferimenti->RecordCount();
  return r;
}

// ------------------------------------------------------- plain SQLite SQL

struct RawDb {
  sqlite3* db = nullptr;
  RawDb() {
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) throw std::runtime_error("sqlite open");
  }
  ~RawDb() { sqlite3_close(db); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;
  void Exec(const std::string& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
      std::string text = msg ? msg : "?";
      sqlite3_free(msg);
      throw std::runtime_error("sqlite: " + text + "\n" + sql);
    }
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db) + "\n" + sql);
    return st;
  }
  // Steps through every row reading every column, as a client reading a
  // result set does; returns the rows.
  int64_t ReadAll(const std::string& sql) {
    sqlite3_stmt* st = Prepare(sql);
    int64_t rows = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(st, c)) {
          case SQLITE_INTEGER: sink_ += static_cast<double>(sqlite3_column_int64(st, c)); break;
          case SQLITE_FLOAT: sink_ += sqlite3_column_double(st, c); break;
          case SQLITE_TEXT: sink_ += sqlite3_column_bytes(st, c); break;
          default: break;
        }
      }
      ++rows;
    }
    sqlite3_finalize(st);
    return rows;
  }
  int64_t Scalar(const std::string& sql) {
    sqlite3_stmt* st = Prepare(sql);
    const int64_t value = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    return value;
  }
  double sink_ = 0;
};

// A value of a host row as the plain table stores it.
struct RawValue {
  enum class Kind { kNull, kInt, kReal, kText } kind = Kind::kNull;
  int64_t i = 0;
  double d = 0;
  std::string text;
};

RawValue ToRaw(const Variant& v) {
  RawValue r;
  switch (v.type()) {
    case VarType::kEmpty:
    case VarType::kNull: break;
    case VarType::kInteger:
    case VarType::kLong:
      r.kind = RawValue::Kind::kInt;
      r.i = v.ToLongLong();
      break;
    case VarType::kString:
    case VarType::kDate:
      r.kind = RawValue::Kind::kText;
      r.text = v.ToString();
      break;
    default:
      r.kind = RawValue::Kind::kReal;
      r.d = v.ToDouble();
  }
  return r;
}

// The quantities the merge sums, of those the host's rows carry.
const char* const kSummed[] = {
    "DO30_QTA1", "DO31_QTA1CONS", "SALDO", "DO31_QTA1TRASFDDTCL", "QTAORD", "QTATRASF", "QTA2ORD",
    "QTA2TRASF", "QTADATRASF", "QTA2DATRASF", "DO31_QTA2CONS", "QTA2DACONS", "WKQTA1ORD",
    "WKQTA2ORD", "QTACONSFASEPREC", "QTA2CONSFASEPREC", "QTACONSFASEPREC_REALE",
    "QTA2CONSFASEPREC_REALE", "DO30_QTA1ORIG", "QTA1_SULISTA", "QTA1_SULISTA_ORIG",
    "QTA1_SULISTATRASF", "PD96_QTAIMPEGNO", "PD96_QTA2IMPEGNO", "QTA1_TEORICA", "QTA1_RESIDUA",
    "DO30_QTA2", "QTA2CONS"};

// The same merge in SQLite SQL: the host's rows (copied out of the record
// set beforehand) and the company's phases (already in DO46_T).
class RawMerge {
 public:
  RawMerge(RawDb& raw, const Recordset& rows_fields, std::vector<std::vector<RawValue>> rows,
           std::string variant_key)
      : raw_(raw), rows_(std::move(rows)), variant_key_(std::move(variant_key)) {
    for (const FieldInfo& f : rows_fields.Fields()) columns_.push_back(f);
  }

  // Seconds of the last run's steps: load, phases, group, read.
  double steps[4] = {};

  MergeResult Run() {
    auto mark = std::chrono::steady_clock::now();
    auto lap = [&](int step) {
      const auto now = std::chrono::steady_clock::now();
      steps[step] = std::chrono::duration<double>(now - mark).count();
      mark = now;
    };
    raw_.Exec("DROP TABLE IF EXISTS temp.ORD_T; DROP TABLE IF EXISTS temp.FASI_T; "
              "DROP TABLE IF EXISTS temp.DESTI_T");
    std::string create = "CREATE TEMP TABLE ORD_T (";
    std::string insert = "INSERT INTO temp.ORD_T VALUES (";
    std::string sums;
    for (size_t c = 0; c < columns_.size(); ++c) {
      const FieldInfo& f = columns_[c];
      create += (c ? ", " : "") + f.name + " " +
                (ado::IsTextType(f.type) || ado::IsDateType(f.type) ? "TEXT" : "REAL");
      insert += c ? ",?" : "?";
      for (const char* s : kSummed) {
        if (NameEquals(s, f.name)) sums += ", SUM(ifnull(" + f.name + ", 0)) AS S_" + f.name;
      }
    }
    raw_.Exec(create + ")");
    sqlite3_stmt* st = raw_.Prepare(insert + ")");
    raw_.Exec("BEGIN");
    for (const auto& row : rows_) {
      for (size_t c = 0; c < row.size(); ++c) {
        const RawValue& v = row[c];
        const int at = static_cast<int>(c) + 1;
        switch (v.kind) {
          case RawValue::Kind::kNull: sqlite3_bind_null(st, at); break;
          case RawValue::Kind::kInt: sqlite3_bind_int64(st, at, v.i); break;
          case RawValue::Kind::kReal: sqlite3_bind_double(st, at, v.d); break;
          case RawValue::Kind::kText:
            sqlite3_bind_text(st, at, v.text.c_str(), static_cast<int>(v.text.size()),
                              SQLITE_STATIC);
            break;
        }
      }
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    raw_.Exec("COMMIT");
    sqlite3_finalize(st);
    lap(0);

    // The phases of the rows, with their parent row.
    raw_.Exec("CREATE TEMP TABLE FASI_T AS SELECT F.*, O.DO30_PROGPADRE AS PROGPADRE_ORDINE, "
              "0.0 AS DO46_QTA1CONSOLIDFP FROM temp.ORD_T O JOIN DO46_T F "
              "ON F.DO46_NUMREG_CO99 = O.DO11_NUMREG_CO99 AND F.DO46_PROGRIGA = O.DO30_PROGRIGA");
    lap(1);
    // One GROUP BY on the merge key, the first row of each group kept.
    auto key_of = [&](const std::string& t) {
      std::string variant = variant_key_;
      for (size_t at = variant.find("DO30_OPZIONE_MG5E"); at != std::string::npos;
           at = variant.find("DO30_OPZIONE_MG5E", at + t.size() + 18))
        variant.insert(at, t);
      return "'1|' || rtrim(" + t + "DO30_CODART_MG66) || '|' || " + variant + " || '|' || " + t +
             "DO11_NUMREG_CO99 || '/' || ifnull(" + t + "DO30_PROGPADRE, '')";
    };
    const std::string key = key_of("");
    raw_.Exec("CREATE TEMP TABLE DESTI_T AS SELECT " + key +
              " AS KEY_ACCORP, MIN(rowid) AS PRIMA, COUNT(*) AS RIGHE" + sums +
              " FROM temp.ORD_T GROUP BY 1");
    raw_.Exec("CREATE INDEX temp.DESTI_KEY ON DESTI_T (KEY_ACCORP)");
    lap(2);
    MergeResult r;
    r.origin = static_cast<int32_t>(
        raw_.ReadAll("SELECT * FROM temp.ORD_T ORDER BY DO11_NUMREG_CO99, DO30_PROGRIGA"));
    r.merged = static_cast<int32_t>(raw_.ReadAll(
        "SELECT O.*, D.* FROM temp.DESTI_T D JOIN temp.ORD_T O ON O.rowid = D.PRIMA "
        "ORDER BY D.PRIMA"));
    r.links = static_cast<int32_t>(raw_.ReadAll(
        "SELECT O.DO11_NUMREG_CO99, O.DO30_PROGRIGA, P.DO11_NUMREG_CO99, D.PRIMA, D.KEY_ACCORP "
        "FROM temp.ORD_T O JOIN temp.DESTI_T D ON D.KEY_ACCORP = " + key_of("O.") +
        " JOIN temp.ORD_T P ON P.rowid = D.PRIMA ORDER BY D.PRIMA, O.rowid"));
    r.origin_phases = static_cast<int32_t>(raw_.Scalar("SELECT COUNT(*) FROM temp.FASI_T"));
    lap(3);
    return r;
  }

 private:
  RawDb& raw_;
  std::vector<FieldInfo> columns_;
  std::vector<std::vector<RawValue>> rows_;
  std::string variant_key_;
};

// The variant as the default merge keys it, in SQLite SQL: the dimensions
// outside the size grid kept, the others blanked, trailing blanks cut.
std::string VariantKeyExpression(Connection& conn) {
  std::shared_ptr<Recordset> dims = conn.Execute(
      "SELECT MG5F_CODICEVAR, MG5F_SIZE, MG5F_INDGRIGLIA FROM MG5F_DIMECONF WHERE "
      "MG5F_DITTA_CG18 = 1 ORDER BY MG5F_CODICEVAR");
  std::string expr;
  int start = 1;
  for (dims->MoveFirst(); !dims->Eof(); dims->MoveNext()) {
    const int size = dims->Value("MG5F_SIZE").ToLong();
    const Variant grid = dims->Value("MG5F_INDGRIGLIA");
    const bool kept = grid.IsNull() || grid.ToLong() == 0;
    expr += (expr.empty() ? "" : " || ") +
            (kept ? Fmt("substr(DO30_OPZIONE_MG5E, %d, %d)", start, size)
                  : "'" + std::string(static_cast<size_t>(size), ' ') + "'");
    start += size;
  }
  return "rtrim(" + expr + ")";
}

// The company's phases in a plain table of the SQLite database.
void LoadPhases(Connection& conn, RawDb& raw) {
  std::shared_ptr<Recordset> phases =
      conn.Execute("SELECT * FROM DO46_DOCCORORDDET WHERE DO46_DITTA_CG18 = 1");
  std::string create = "CREATE TABLE DO46_T (", insert = "INSERT INTO DO46_T VALUES (";
  for (int c = 0; c < phases->FieldCount(); ++c) {
    const FieldInfo& f = phases->Field(c);
    create += (c ? ", " : "") + f.name + " " +
              (ado::IsTextType(f.type) || ado::IsDateType(f.type) ? "TEXT" : "REAL");
    insert += c ? ",?" : "?";
  }
  raw.Exec(create + ")");
  raw.Exec("CREATE INDEX DO46_ROW ON DO46_T (DO46_NUMREG_CO99, DO46_PROGRIGA)");
  sqlite3_stmt* st = raw.Prepare(insert + ")");
  raw.Exec("BEGIN");
  if (phases->RecordCount() > 0) {
    for (phases->MoveFirst(); !phases->Eof(); phases->MoveNext()) {
      for (int c = 0; c < phases->FieldCount(); ++c) {
        const RawValue v = ToRaw(phases->Value(c));
        switch (v.kind) {
          case RawValue::Kind::kNull: sqlite3_bind_null(st, c + 1); break;
          case RawValue::Kind::kInt: sqlite3_bind_int64(st, c + 1, v.i); break;
          case RawValue::Kind::kReal: sqlite3_bind_double(st, c + 1, v.d); break;
          case RawValue::Kind::kText:
            sqlite3_bind_text(st, c + 1, v.text.c_str(), static_cast<int>(v.text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
      }
      sqlite3_step(st);
      sqlite3_reset(st);
    }
  }
  raw.Exec("COMMIT");
  sqlite3_finalize(st);
}

void MergeGoal(const char* name, int64_t order_rows, int repeats) {
  const auto prepared = std::chrono::steady_clock::now();
  auto conn = SampleCompany(order_rows);
  std::shared_ptr<Recordset> rows = sample::ProductionOrderRows(*conn, kCompany);
  std::vector<std::vector<RawValue>> raw_rows;
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
    std::vector<RawValue> row;
    for (int c = 0; c < rows->FieldCount(); ++c) row.push_back(ToRaw(rows->Value(c)));
    raw_rows.push_back(std::move(row));
  }
  RawDb raw;
  LoadPhases(*conn, raw);
  RawMerge raw_merge(raw, *rows, std::move(raw_rows), VariantKeyExpression(*conn));
  const double setup_s = std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                       prepared).count();

  // Timed alternately, so that a busy spell of the machine weighs on both.
  std::vector<double> library_t, raw_t;
  MergeResult lib, plain;
  for (int i = 0; i < repeats; ++i) {
    library_t.push_back(Seconds([&] { lib = LibraryMerge(conn, rows); }));
    raw_t.push_back(Seconds([&] { plain = raw_merge.Run(); }));
  }
  const double library_s = Median(library_t), raw_s = Median(raw_t);
  bench::ReportDetail(Fmt(
      "%s: sample of %lld order rows (set up in %.1f s); PrstOrdini %d rows, %d phases -> %d "
      "merged rows, %d links; AccorpaRigheOrdiniFasi %.3f s, plain SQLite %.3f s "
      "(%d merged rows); median of %d",
      name, static_cast<long long>(order_rows), setup_s, lib.origin, plain.origin_phases,
      lib.merged, lib.links, library_s, raw_s, plain.merged, repeats));
  bench::ReportDetail(Fmt("%s: plain SQLite steps of the last run: load %.3f s, phases %.3f s, "
                          "group %.3f s, read %.3f s",
                          name, raw_merge.steps[0], raw_merge.steps[1], raw_merge.steps[2],
                          raw_merge.steps[3]));
  const bool same = lib.origin == plain.origin && lib.merged == plain.merged &&
                    lib.links == plain.links;
  if (!same) bench::ReportDetail(Fmt("%s: the two merges disagree", name));
  bench::ReportGoal(name, same ? library_s / raw_s : 1e9, 3.0, true, "x");
}

ZV_GOAL("merge_10k_vs_sqlite") { MergeGoal("merge_10k_vs_sqlite", 10'000, 5); }

ZV_GOAL("merge_100k_vs_sqlite") { MergeGoal("merge_100k_vs_sqlite", 100'000, 3); }

// ------------------------------------------------------------- split-back

// A merged view of `view_rows` origin rows through the merge procedure: one
// merged row of 1,000 rows (article "MODELLO"), the others in merged rows
// of 100.
std::unique_ptr<CLSPD_VESTARO> SplitView(int view_rows) {
  auto conn = ErpDatabase();
  auto rows = std::make_shared<Recordset>();
  rows->AppendField("DO11_NUMREG_CO99", ado::kChar, 12);
  rows->AppendField("DO30_PROGRIGA", ado::kNumeric, 0, ado::kFldIsNullable, 6, 0);
  rows->AppendField("DO30_CODART_MG66", ado::kChar, 25);
  rows->AppendField("DO30_OPZIONE_MG5E", ado::kChar, 20);
  for (const char* q : {"QTAORD", "QTATRASF", "QTADATRASF", "QTA2ORD", "QTA2TRASF", "DO30_QTA1"})
    rows->AppendField(q, ado::kNumeric, 0, ado::kFldIsNullable, 14, 3);
  rows->Open();
  for (int i = 0; i < view_rows; ++i) {
    const bool model = i < 1000;
    rows->AddNew();
    rows->SetValue(0, Variant(Fmt("ODP%09d", model ? 1 : 2 + (i - 1000) / 500)));
    rows->SetValue(1, Variant(int32_t{model ? i + 1 : (i - 1000) % 500 + 1}));
    rows->SetValue(2, Variant(model ? std::string("MODELLO") : Fmt("ART%05d", (i - 1000) / 100)));
    rows->SetValue(3, Variant("BLU"));
    rows->SetValue(4, Variant(Decimal(10 + i % 7)));
    rows->SetValue(5, Variant(Decimal(i % 3)));
    rows->SetValue(9, Variant(Decimal(10 + i % 7)));
    rows->Update();
  }
  auto v = std::make_unique<CLSPD_VESTARO>();
  v->SetConnessione(conn);
  v->SetCodiceDitta(Variant(kCompany));
  v->PgmChiamante = FbAvanzamentoOrdiniProduzione;
  v->AccorpaVariante = Fb_VarianteIntera;
  v->PrstOrdini = rows;
  v->AccorpaRigheOrdiniFasi();
  if (v->VestaroStato() != tsVestaroOK) throw std::runtime_error("the merge failed");
  return v;
}

// One split-back (with its recalculation) of a quantity onto the merged
// row of the 1,000 rows, in microseconds. Runs alternate two quantities and
// the selection mark, so that every run writes every origin row.
class Splitter {
 public:
  explicit Splitter(int view_rows) : v_(SplitView(view_rows)) {
    if (v_->RstOrigOrdini->RecordCount() != view_rows) throw std::runtime_error("short view");
    edited_ = v_->RstDestiOrdini->Clone();
    edited_->SetFilter(KeyFilter().Text("DO30_CODART_MG66 = ", "MODELLO"));
    if (edited_->RecordCount() != 1) throw std::runtime_error("no merged row of the model");
  }

  double Micros(int32_t mode) {
    v_->TipoRipartisci = mode;
    edited_->SetValue("QTADATRASF", Variant(Decimal(run_ % 2 ? 5000 : 7321)));
    edited_->SetValue("SELEZ", Variant(run_ % 2 ? "1" : "0"));
    edited_->Update();
    ++run_;
    const double s = Seconds([&] { v_->RipartisciRigaAccorpataOrdiniExt(edited_, Vst_Quantita1); });
    if (v_->VestaroStato() != tsVestaroOK) throw std::runtime_error("the split-back failed");
    return s * 1e6;
  }

 private:
  std::unique_ptr<CLSPD_VESTARO> v_;
  std::shared_ptr<Recordset> edited_;
  int run_ = 0;
};

// Medians of split-backs in a view of 10,000 origin rows and in one of
// 20,000, in both modes, the runs of the two views interleaved so that a
// busy spell of the machine weighs on both alike.
struct SplitTimes {
  double coverage_us[2] = {}, proportion_us[2] = {};
  int repeats = 0;
};

const SplitTimes& MeasureSplits() {
  static const SplitTimes times = [] {
    Splitter views[2] = {Splitter(10'000), Splitter(20'000)};
    SplitTimes t;
    t.repeats = 61;
    for (int mode = 0; mode < 2; ++mode) {
      std::vector<double> runs[2];
      for (int i = 0; i < t.repeats; ++i)
        for (int v = 0; v < 2; ++v) runs[v].push_back(views[v].Micros(mode));
      for (int v = 0; v < 2; ++v)
        (mode == Fb_Spalma ? t.coverage_us : t.proportion_us)[v] = Median(runs[v]);
    }
    return t;
  }();
  return times;
}

ZV_GOAL("splitback_1000_median_us") {
  const SplitTimes& s = MeasureSplits();
  bench::ReportDetail(Fmt("splitback: merged row of 1000 origin rows in a view of 10000: "
                          "coverage %.0f us, re-proportioning %.0f us (median of %d, with the "
                          "recalculation)",
                          s.coverage_us[0], s.proportion_us[0], s.repeats));
  bench::ReportGoal("splitback_1000_median_us", std::max(s.coverage_us[0], s.proportion_us[0]),
                    1000, true, "us");
}

ZV_GOAL("splitback_view_doubling") {
  const SplitTimes& s = MeasureSplits();
  bench::ReportDetail(Fmt("splitback: view of 10000 rows %.0f us, of 20000 rows %.0f us "
                          "(coverage); re-proportioning %.0f / %.0f us",
                          s.coverage_us[0], s.coverage_us[1], s.proportion_us[0],
                          s.proportion_us[1]));
  bench::ReportGoal("splitback_view_doubling",
                    std::max(s.coverage_us[1] / s.coverage_us[0],
                             s.proportion_us[1] / s.proportion_us[0]),
                    1.2, true, "x");
}

}  // namespace
}  // namespace zv
