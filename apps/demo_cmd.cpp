// vestaro demo: the library's main job on the embedded database. A sample
// company is created, the production orders of its busiest model are merged
// by colour and fit the way the production-progress screen does it, the
// quantity to transfer is edited on one merged row and split back to the
// origin rows by coverage and by re-proportioning, and the merged row is
// recalculated from its origin rows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "apps/commands.h"
#include "apps/production_rows.h"
#include "apps/sample_db.h"
#include "apps/sample_generator.h"
#include "apps/sample_sql.h"
#include "data/datetime.h"
#include "data/error.h"
#include "data/recordset.h"
#include "data/sqlite/embedded_connection.h"
#include "host/framework.h"
#include "shell/clspd_vestaro.h"

namespace zv::app {
namespace {

struct DemoArgs {
  std::string db = ":memory:";
  int64_t orders = 2000;
  int company = 1;
  uint64_t seed = 1;
  bool keep_data = false;
};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A value as a grid shows it: quantities without trailing zeros, dates as
// YYYY-MM-DD, texts without padding, Null as an empty cell.
std::string Cell(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return "";
  switch (value.type()) {
    case VarType::kDecimal:
      return value.ToDecimal().Normalize().ToString();
    case VarType::kDate: {
      const DateParts p = SplitDate(value.ToDate());
      char text[16];
      std::snprintf(text, sizeof(text), "%04d-%02d-%02d", p.year, p.month, p.day);
      return text;
    }
    default:
      return TrimRight(value.ToString());
  }
}

std::string Cell(const Recordset& rs, std::string_view field) { return Cell(rs.Value(field)); }

Decimal Qty(const Recordset& rs, std::string_view field) {
  const Variant v = rs.Value(field);
  return v.IsNull() || v.IsEmpty() ? Decimal() : v.ToDecimal();
}

std::string Text(const Decimal& d) { return d.Normalize().ToString(); }

// A table of texts printed with aligned columns; a column whose cells are
// all numbers (or empty) is right-aligned.
class TextTable {
 public:
  explicit TextTable(std::vector<std::string> headers) : headers_(std::move(headers)) {}
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

  void Print(std::ostream& out) const {
    const size_t n = headers_.size();
    std::vector<size_t> width(n);
    std::vector<bool> right(n, true);
    for (size_t c = 0; c < n; ++c) {
      width[c] = headers_[c].size();
      for (const auto& row : rows_) {
        width[c] = std::max(width[c], row[c].size());
        if (!row[c].empty() && !Decimal::Parse(row[c])) right[c] = false;
      }
    }
    auto line = [&](const std::vector<std::string>& cells) {
      std::string s = "   ";
      for (size_t c = 0; c < n; ++c) {
        const std::string pad(width[c] - cells[c].size(), ' ');
        s += c ? "  " : "";
        s += right[c] ? pad + cells[c] : cells[c] + pad;
      }
      out << TrimRight(s) << "\n";
    };
    line(headers_);
    std::vector<std::string> rule;
    for (size_t c = 0; c < n; ++c) rule.emplace_back(width[c], '-');
    line(rule);
    for (const auto& row : rows_) line(row);
  }

 private:
  std::vector<std::string> headers_;
  std::vector<std::vector<std::string>> rows_;
};

// The key of an order row of the merged view: register number and row.
struct RowKey {
  std::string numreg;
  int32_t progriga = 0;
  friend bool operator<(const RowKey& a, const RowKey& b) {
    return std::tie(a.numreg, a.progriga) < std::tie(b.numreg, b.progriga);
  }
  std::string ToString() const { return numreg + "/" + std::to_string(progriga); }
};

RowKey KeyOf(const Recordset& rs, std::string_view numreg, std::string_view progriga) {
  return {Cell(rs, numreg), rs.Value(progriga).ToLong()};
}

// The rows of a set, each by its key, in the set's order.
std::vector<std::pair<RowKey, Bookmark>> RowsByKey(Recordset& rs) {
  std::vector<std::pair<RowKey, Bookmark>> rows;
  rs.SetFilter(Variant(int32_t{0}));
  if (rs.RecordCount() == 0) return rows;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
    rows.emplace_back(KeyOf(rs, "DO11_NUMREG_CO99", "DO30_PROGRIGA"), rs.GetBookmark());
  return rows;
}

// The origin rows behind each merged row, in link order.
std::map<RowKey, std::vector<RowKey>> OriginsOfMergedRows(const Recordset& links) {
  std::map<RowKey, std::vector<RowKey>> origins;
  std::shared_ptr<Recordset> l = links.Clone();
  if (l->RecordCount() == 0) return origins;
  for (l->MoveFirst(); !l->Eof(); l->MoveNext()) {
    origins[KeyOf(*l, "DESTI_NUMREG", "DESTI_PROGRIGA")].push_back(
        KeyOf(*l, "ORIG_NUMREG", "ORIG_PROGRIGA"));
  }
  return origins;
}

Decimal Open(const Recordset& rs) { return Qty(rs, "QTAORD") - Qty(rs, "QTATRASF"); }

// Stops the demo with a clear line when a call of the merge engine failed.
bool Check(const CLSPD_VESTARO& vestaro, const char* routine) {
  if (vestaro.VestaroStato() == tsVestaroOK) return true;
  std::cout << "\n!! " << routine << " failed: VestaroStato = " << vestaro.VestaroStato()
            << " (see the message above)\n";
  return false;
}

// Creates (or, with keep_data, reuses) the sample company and deploys the
// stored procedures.
void PrepareDatabase(const DemoArgs& args, sqlite::EmbeddedConnection& connection) {
  const auto started = Clock::now();
  const auto scripts = sample::LoadSchemaScripts(sample::DefaultSchemaDir());
  sample::CreateSchema(connection, scripts, /*skip_existing=*/true);
  sample::CreateProcedures(connection);
  if (args.keep_data) {
    std::shared_ptr<Recordset> n = connection.OpenRecordset(
        "SELECT COUNT(*) AS N FROM DO30_DOCCORPO WHERE DO30_DITTA_CG18 = " +
            std::to_string(args.company),
        ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
    if (n && n->RecordCount() > 0 && n->Value("N").ToLong() > 0) {
      std::cout << "1. Sample company " << args.company << " of " << args.db
                << " kept; procedures deployed\n";
      return;
    }
  }
  sample::SampleOptions options;
  options.company = args.company;
  options.order_rows = args.orders;
  options.seed = args.seed;
  sample::DeleteCompany(connection, scripts, args.company);
  connection.Execute("BEGIN TRANSACTION", nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  sample::DatabaseRowWriter writer(connection.database());
  const sample::GenerationSummary summary = sample::GenerateCompany(options, writer);
  connection.Execute("COMMIT TRANSACTION", nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  writer.Finish();
  std::printf("1. Sample company %d in %s: %lld production orders, %lld order rows, %lld rows "
              "in all (%.1f s); procedures deployed\n",
              args.company, args.db == ":memory:" ? "memory" : args.db.c_str(),
              static_cast<long long>(summary.production_orders),
              static_cast<long long>(summary.production_rows),
              static_cast<long long>(summary.total_rows()),
              MillisecondsSince(started) / 1000.0);
}

// Sets up the object as the production-progress screen does and merges.
bool Merge(CLSPD_VESTARO& vestaro, const std::shared_ptr<Connection>& connection,
           int company, const std::shared_ptr<Recordset>& rows, double* ms) {
  vestaro.SetCodiceDitta(Variant(int32_t{company}));
  vestaro.SetConnessione(connection);
  vestaro.PgmChiamante = FbAvanzamentoOrdiniProduzione;
  // One merged row per size grid of an order (its parent row), the colour
  // and the fit kept, the sizes blanked.
  vestaro.AccorpaProgPadre = true;
  vestaro.AccorpaVariante = Fb_VarianteParziale;
  vestaro.IsRecordsetFasi = false;
  vestaro.PrstOrdini = rows;
  const auto started = Clock::now();
  vestaro.AccorpaRigheOrdiniFasi();
  *ms = MillisecondsSince(started);
  return Check(vestaro, "AccorpaRigheOrdiniFasi");
}

// The merged row to edit: one whose origin rows all have something open
// (or, failing that, most of them), with a handful of origin rows.
RowKey PickMergedRow(Recordset& origin, const std::map<RowKey, std::vector<RowKey>>& origins) {
  std::map<RowKey, Decimal> open;
  for (const auto& [key, bookmark] : RowsByKey(origin)) {
    origin.SetBookmark(bookmark);
    open[key] = Open(origin);
  }
  RowKey best;
  int best_score = -1;
  for (const auto& [merged, rows] : origins) {
    int open_rows = 0;
    for (const RowKey& r : rows) open_rows += open[r] > Decimal(0) ? 1 : 0;
    if (open_rows < 2) continue;
    const bool all_open = open_rows == static_cast<int>(rows.size());
    const bool fits = rows.size() <= 12;
    const int score = (fits ? 2000 : 0) + (all_open ? 1000 : 0) + open_rows;
    if (score > best_score) {
      best_score = score;
      best = merged;
    }
  }
  return best;
}

// Positions a clone of the merged rows on one of them.
std::shared_ptr<Recordset> MergedRow(const CLSPD_VESTARO& vestaro, const RowKey& key) {
  std::shared_ptr<Recordset> row = vestaro.RstDestiOrdini->Clone();
  for (const auto& [k, bookmark] : RowsByKey(*row)) {
    if (k.numreg == key.numreg && k.progriga == key.progriga) {
      row->SetBookmark(bookmark);
      return row;
    }
  }
  return nullptr;
}

// QTADATRASF of each origin row of the merged row, and their sum.
std::map<RowKey, std::string> TargetsOf(const CLSPD_VESTARO& vestaro,
                                        const std::vector<RowKey>& rows, Decimal* sum) {
  std::map<RowKey, std::string> targets;
  std::shared_ptr<Recordset> origin = vestaro.RstOrigOrdini->Clone();
  *sum = Decimal();
  for (const auto& [key, bookmark] : RowsByKey(*origin)) {
    if (std::find_if(rows.begin(), rows.end(), [&](const RowKey& r) {
          return r.numreg == key.numreg && r.progriga == key.progriga;
        }) == rows.end())
      continue;
    origin->SetBookmark(bookmark);
    targets[key] = Cell(*origin, "QTADATRASF");
    *sum += Qty(*origin, "QTADATRASF");
  }
  return targets;
}

std::string MergedRowLine(const CLSPD_VESTARO& vestaro, const RowKey& key) {
  std::shared_ptr<Recordset> row = MergedRow(vestaro, key);
  if (!row) return "(merged row not found)";
  return "QTAORD " + Cell(*row, "QTAORD") + ", QTATRASF " + Cell(*row, "QTATRASF") +
         ", QTADATRASF " + Cell(*row, "QTADATRASF") + ", SALDO " + Cell(*row, "SALDO");
}

// Edits QTADATRASF on the merged row and splits it back in `mode`.
bool SplitBack(CLSPD_VESTARO& vestaro, const RowKey& key, const Decimal& quantity, int32_t mode,
               double* ms) {
  std::shared_ptr<Recordset> row = MergedRow(vestaro, key);
  if (!row) {
    std::cout << "!! merged row " << key.ToString() << " not found\n";
    return false;
  }
  row->SetValue("QTADATRASF", Variant(quantity));
  row->Update();
  vestaro.TipoRipartisci = mode;
  const auto started = Clock::now();
  vestaro.RipartisciRigaAccorpataOrdiniExt(row, Vst_Quantita1);
  *ms = MillisecondsSince(started);
  return Check(vestaro, "RipartisciRigaAccorpataOrdiniExt");
}

int RunDemo(const DemoArgs& args) {
  // Message boxes of the library (its error reports) are printed.
  RegisterDefaultMultilingua([](const std::string& text, int, const std::string& title) {
    std::cout << "!! message box [" << title << "]: " << text << "\n";
    return 1;
  });
  std::cout << "== The main job: merging production orders (embedded database)\n\n";
  std::shared_ptr<sqlite::EmbeddedConnection> connection = sqlite::EmbeddedConnection::Open(args.db);
  PrepareDatabase(args, *connection);

  // 2. The order rows of the busiest model.
  const std::string model = sample::BusiestModel(*connection, args.company);
  if (model.empty()) {
    std::cout << "!! company " << args.company << " has no production-order size rows\n";
    return 1;
  }
  auto started = Clock::now();
  std::shared_ptr<Recordset> rows = sample::ProductionOrderRows(*connection, args.company, model);
  const double read_ms = MillisecondsSince(started);
  std::printf("\n2. Model %s: %d production-order size rows read in one query (%.0f ms), each "
              "at its current phase\n",
              model.c_str(), rows->RecordCount(), read_ms);
  {
    constexpr int kShown = 6;
    TextTable table({"register", "row", "variant", "phase", "delivery", "QTAORD", "QTATRASF",
                     "QTADATRASF"});
    std::shared_ptr<Recordset> r = rows->Clone();
    for (int i = 0; i < kShown && !r->Eof(); ++i, r->MoveNext()) {
      table.Add({Cell(*r, "DO11_NUMREG_CO99"), Cell(*r, "DO30_PROGRIGA"),
                 Cell(*r, "DO30_OPZIONE_MG5E"), Cell(*r, "DO46_CODFASE"), Cell(*r, "DO31_DATACONS"),
                 Cell(*r, "QTAORD"), Cell(*r, "QTATRASF"), Cell(*r, "QTADATRASF")});
    }
    std::cout << "   The first " << kShown << " (PrstOrdini):\n";
    table.Print(std::cout);
  }

  // 3. The merge.
  CLSPD_VESTARO vestaro;
  double merge_ms = 0;
  if (!Merge(vestaro, connection, args.company, rows, &merge_ms)) return 1;
  std::printf("\n3. AccorpaRigheOrdiniFasi (PgmChiamante = FbAvanzamentoOrdiniProduzione, "
              "AccorpaProgPadre = True,\n   AccorpaVariante = Fb_VarianteParziale: one row per "
              "size grid, colour and fit kept, sizes blanked):\n   %d origin rows -> %d merged "
              "rows, %d links, %.0f ms\n",
              vestaro.RstOrigOrdini->RecordCount(), vestaro.RstDestiOrdini->RecordCount(),
              vestaro.RstRiferimenti->RecordCount(), merge_ms);
  std::map<RowKey, std::vector<RowKey>> origins = OriginsOfMergedRows(*vestaro.RstRiferimenti);
  {
    constexpr int kShown = 30;
    TextTable table({"register", "row", "variant", "origin rows", "DO30_QTA1", "QTAORD",
                     "QTATRASF", "QTADATRASF", "SALDO", "FLG_ACCORPATA"});
    std::shared_ptr<Recordset> d = vestaro.RstDestiOrdini->Clone();
    int shown = 0;
    for (; shown < kShown && !d->Eof(); ++shown, d->MoveNext()) {
      const RowKey key = KeyOf(*d, "DO11_NUMREG_CO99", "DO30_PROGRIGA");
      table.Add({key.numreg, std::to_string(key.progriga), Cell(*d, "DO30_OPZIONE_MG5E"),
                 std::to_string(origins[key].size()), Cell(*d, "DO30_QTA1"), Cell(*d, "QTAORD"),
                 Cell(*d, "QTATRASF"), Cell(*d, "QTADATRASF"), Cell(*d, "SALDO"),
                 Cell(*d, "FLG_ACCORPATA")});
    }
    std::cout << "   Merged rows (RstDestiOrdini):\n";
    table.Print(std::cout);
    if (d->RecordCount() > shown) std::cout << "   ... and " << d->RecordCount() - shown << " more\n";
  }

  // 4. One merged row edited and split back, by coverage, then on a fresh
  // merge by re-proportioning.
  const RowKey key = PickMergedRow(*vestaro.RstOrigOrdini->Clone(), origins);
  if (key.numreg.empty()) {
    std::cout << "!! no merged row has two origin rows with something open\n";
    return 1;
  }
  const std::vector<RowKey> behind = origins[key];
  std::shared_ptr<Recordset> merged = MergedRow(vestaro, key);
  const Decimal merged_open = Open(*merged);
  // About three fifths of what is open, in whole pieces.
  Decimal quantity = (merged_open * Decimal(3) / Decimal(5)).Round(0);
  if (quantity <= Decimal(0)) quantity = Decimal(1);
  std::cout << "\n4. Merged row " << key.ToString() << " (" << Cell(*merged, "DO30_OPZIONE_MG5E")
            << ", " << behind.size() << " origin rows, " << Text(merged_open)
            << " open): the planner sets QTADATRASF " << Cell(*merged, "QTADATRASF") << " -> "
            << Text(quantity) << "\n";

  std::map<RowKey, std::string> proposed;
  Decimal sum;
  proposed = TargetsOf(vestaro, behind, &sum);
  double coverage_ms = 0;
  if (!SplitBack(vestaro, key, quantity, Fb_Spalma, &coverage_ms)) return 1;
  Decimal coverage_sum;
  const std::map<RowKey, std::string> coverage = TargetsOf(vestaro, behind, &coverage_sum);
  const std::string after_coverage = MergedRowLine(vestaro, key);

  if (!Merge(vestaro, connection, args.company, rows, &merge_ms)) return 1;
  double proportion_ms = 0;
  if (!SplitBack(vestaro, key, quantity, Fb_Riproporziona, &proportion_ms)) return 1;
  Decimal proportion_sum;
  const std::map<RowKey, std::string> proportion = TargetsOf(vestaro, behind, &proportion_sum);
  const std::string after_proportion = MergedRowLine(vestaro, key);

  {
    TextTable table({"origin row", "variant", "QTAORD", "QTATRASF", "open", "proposed",
                     "Fb_Spalma", "Fb_Riproporziona"});
    std::shared_ptr<Recordset> o = vestaro.RstOrigOrdini->Clone();
    std::map<RowKey, Bookmark> where;
    for (const auto& [k, bookmark] : RowsByKey(*o)) where[k] = bookmark;
    for (const RowKey& r : behind) {
      o->SetBookmark(where.at(r));
      table.Add({r.ToString(), Cell(*o, "DO30_OPZIONE_MG5E"), Cell(*o, "QTAORD"),
                 Cell(*o, "QTATRASF"), Text(Open(*o)), proposed[r], coverage.at(r),
                 proportion.at(r)});
    }
    std::cout << "   QTADATRASF of its origin rows, split back by RipartisciRigaAccorpataOrdiniExt "
                 "(TipoRipartisci\n   selects the mode; blank = Null, nothing to transfer):\n";
    table.Print(std::cout);
  }
  std::printf("   origin rows add up to %s by coverage and %s by re-proportioning "
              "(split-back %.1f ms and %.1f ms)\n",
              Text(coverage_sum).c_str(), Text(proportion_sum).c_str(), coverage_ms,
              proportion_ms);
  std::cout << "   merged row recalculated (RicalcolaSingolaRigaOrdiniFasiExt3):\n"
            << "     after Fb_Spalma:        " << after_coverage << "\n"
            << "     after Fb_Riproporziona: " << after_proportion << "\n";

  // 5. The planner corrects one origin row in the detailed view; the merged
  // row is recalculated from the origin row's key.
  {
    const RowKey& first = behind.front();
    std::shared_ptr<Recordset> o = vestaro.RstOrigOrdini->Clone();
    for (const auto& [k, bookmark] : RowsByKey(*o)) {
      if (k.numreg == first.numreg && k.progriga == first.progriga) o->SetBookmark(bookmark);
    }
    const Decimal before = Qty(*o, "QTADATRASF");
    const Decimal corrected = before > Decimal(1) ? before - Decimal(1) : Decimal(0);
    o->SetValue("QTADATRASF", Variant(corrected));
    o->Update();
    int32_t tipo_vis = VstDettagliate;
    vestaro.RicalcolaSingolaRigaOrdiniFasiExt3(first.numreg, first.progriga, tipo_vis);
    if (!Check(vestaro, "RicalcolaSingolaRigaOrdiniFasiExt3")) return 1;
    std::cout << "\n5. Origin row " << first.ToString() << " corrected in the detailed view: "
              << "QTADATRASF " << Text(before) << " -> " << Text(corrected)
              << "; RicalcolaSingolaRigaOrdiniFasiExt3(" << first.ToString()
              << ", VstDettagliate)\n   merged row " << key.ToString() << ": "
              << MergedRowLine(vestaro, key) << "\n";
  }
  return 0;
}

int RunDemoSafely(const DemoArgs& args) {
  try {
    return RunDemo(args);
  } catch (const PlatformError& e) {
    std::cerr << "demo: " << e.what() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "demo: " << e.what() << "\n";
  }
  return 1;
}

VESTARO_COMMAND([](CLI::App& app, int* exit_status) {
  auto args = std::make_shared<DemoArgs>();
  auto* demo = app.add_subcommand(
      "demo",
      "The library's main job on the embedded database: creates a sample company, merges the "
      "production orders of its busiest model by colour and fit (AccorpaRigheOrdiniFasi), "
      "edits the quantity to transfer on one merged row, splits it back to the origin rows by "
      "coverage and by re-proportioning, and recalculates the merged row.");
  demo->add_option("--db", args->db,
                   "embedded database file to use or create (default :memory:)");
  demo->add_option("--orders", args->orders,
                   "production-order rows of the sample company (default 2000)")
      ->check(CLI::Range(int64_t{1}, int64_t{10000000}));
  demo->add_option("--company", args->company, "company code (default 1)")
      ->check(CLI::PositiveNumber);
  demo->add_option("--seed", args->seed, "seed of the sample generator (default 1)");
  demo->add_flag("--keep-data", args->keep_data,
                 "use the company already in the --db file instead of generating it again");
  demo->callback([args, exit_status] { *exit_status = RunDemoSafely(*args); });
});

}  // namespace
}  // namespace zv::app
