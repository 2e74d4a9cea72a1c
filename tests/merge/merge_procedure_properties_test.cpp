// Invariants of the merge on random order rows, phases and options, run
// through the real SPVESTARO_ACCORPA on the embedded database:
//   - every origin row has exactly one link, every merged row at least one,
//     and rows share a merged row exactly when they agree on the merge key;
//   - every summed quantity of a merged row (and of a merged phase) is the
//     exact sum of its origin rows, so the merged rows add up to the origin
//     rows;
//   - a quantity entered on a merged row and split back lands exactly on its
//     origin rows, in both units and both distribution modes, the
//     recalculated merged row shows it, and nothing else moves.
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "data/datetime.h"
#include "merge/filter_text.h"
#include "tests/merge/embedded_merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::MessageLog;
using merge_test::NewSet;
using merge_test::Thousandths;
using merge_test::Values;

constexpr int kCompany = 3;

// Runs a property as the current test with at most `cases` successful
// cases (fewer when RC_PARAMS asks for fewer): every case runs the merge
// procedure, so the count stays modest.
template <typename Testable>
void CheckCases(int cases, Testable&& testable) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  rc::detail::TestMetadata metadata;
  metadata.id = std::string(info->test_suite_name()) + "/" + info->name();
  metadata.description = info->name();
  rc::detail::TestParams params = rc::detail::configuration().testParams;
  params.maxSuccess = std::min(params.maxSuccess, cases);
  const rc::detail::TestResult result =
      rc::detail::checkTestable(std::forward<Testable>(testable), metadata, params);
  if (!result.template is<rc::detail::SuccessResult>()) {
    std::ostringstream message;
    rc::detail::printResultMessage(result, message);
    FAIL() << message.str();
  }
}

// The number of thousandths of a quantity with three decimals at most.
int64_t ThousandthsOf(const Decimal& quantity) {
  return static_cast<int64_t>(quantity.Rescale(3).lo());
}

// --- Random rows ----------------------------------------------------------------

struct Dimension {
  std::string code;
  int size = 1;
  Variant grid_index;  // MG5F_INDGRIGLIA
};

struct OrderRow {
  std::string numreg;
  int progriga = 0;
  Variant progpadre, article, variant, depot, delivery, commessa, fase, sfase, fase_riga;
  std::map<std::string, Variant> quantities;
};

struct PhaseRow {
  std::string numreg;
  int progriga = 0;
  Variant fase, sfase;
  std::map<std::string, Variant> quantities;
};

struct Sample {
  std::vector<Dimension> dimensions;
  std::vector<OrderRow> rows;
  std::vector<PhaseRow> phases;
};

// One of the values, picked at random.
template <typename T>
T OneOf(const std::vector<T>& values) {
  return values[*rc::gen::inRange<size_t>(0, values.size())];
}
template <typename T>
T OneOf(std::initializer_list<T> values) {
  return OneOf(std::vector<T>(values));
}

// A quantity with three decimals, Null one time in five.
Variant RandomQuantity(int64_t max_thousandths) {
  if (*rc::gen::inRange(0, 5) == 0) return Variant::Null();
  return Variant(Thousandths(*rc::gen::inRange<int64_t>(0, max_thousandths + 1)));
}

Variant Day(int day, int hour = 0) { return Variant(MakeDate({2025, 5, day, hour, 30})); }

// A variant configuration of two or three dimensions, rows of a few
// articles over three orders, and (with `with_phases`) `min_phases` to
// three phases per row with distinct phase keys. (Small sizes give the
// first choice of every pick.)
Sample RandomSample(bool with_phases, bool null_phase_codes, int min_phases = 0) {
  Sample s;
  const int dimensions = *rc::gen::inRange(2, 4);
  for (int d = 0; d < dimensions; ++d) {
    s.dimensions.push_back({"A" + std::to_string(d), *rc::gen::inRange(1, 4),
                            OneOf<Variant>({Variant::Null(), Variant(0), Variant(1),
                                            Variant(2)})});
  }
  const int rows = *rc::gen::inRange(1, 21);
  std::map<std::string, int> next_row;
  for (int i = 0; i < rows; ++i) {
    OrderRow r;
    r.numreg = "ODP00000000" + std::to_string(*rc::gen::inRange(1, 4));
    r.progriga = ++next_row[r.numreg];
    r.progpadre = OneOf<Variant>({Variant::Null(), Variant(0), Variant(1), Variant(2)});
    r.article = Variant("ART" + std::to_string(*rc::gen::inRange(1, 3)));
    std::string variant;
    for (const Dimension& d : s.dimensions)
      variant += std::string(static_cast<size_t>(d.size), "ABC"[*rc::gen::inRange(0, 3)]);
    r.variant = Variant(variant);
    r.depot = OneOf<Variant>({Variant::Null(), Variant(""), Variant("01"), Variant("02")});
    r.delivery = OneOf<Variant>({Variant::Null(), Day(2), Day(2, 14), Day(9)});
    r.commessa = OneOf<Variant>({Variant::Null(), Variant("C1"), Variant("C2")});
    r.fase = OneOf<Variant>({Variant::Null(), Variant(10), Variant(20)});
    r.sfase = OneOf<Variant>({Variant::Null(), Variant(0), Variant(1)});
    r.fase_riga = OneOf<Variant>({Variant::Null(), Variant(10), Variant(20)});
    for (const std::string& q : merge_test::HostOrderQuantities())
      r.quantities[q] = RandomQuantity(100000);
    s.rows.push_back(r);

    if (!with_phases) continue;
    std::set<std::pair<int, int>> keys;
    const int phases = *rc::gen::inRange(min_phases, 4);
    for (int p = 0; p < phases; ++p) {
      const int fase = OneOf({10, 20, 30, 0});
      const int sfase = *rc::gen::inRange(0, 2);
      if (fase == 0 && !null_phase_codes) continue;
      if (!keys.insert({fase, sfase}).second) continue;
      PhaseRow f;
      f.numreg = r.numreg;
      f.progriga = r.progriga;
      f.fase = fase == 0 ? Variant::Null() : Variant(fase);
      f.sfase = sfase == 0 && *rc::gen::arbitrary<bool>() ? Variant::Null() : Variant(sfase);
      for (const PhaseSumColumn& c : kPhaseSumColumns) f.quantities[c.name] = RandomQuantity(50000);
      s.phases.push_back(f);
    }
  }
  return s;
}

struct Options {
  int32_t variante = 0;
  bool progriga = false, progpadre = false, fasi = false, deposito = false, datacons = false,
       commessa = false, fase_ord = false, fase_riga = false;
  int16_t mantieni_progriga = 0, init_progpadre = 1;
  bool phases_from_host = false;
  int32_t pgm = FbAvanzamentoOrdiniProduzione;
  std::string ordering;
};

Options RandomOptions(std::initializer_list<int32_t> callers) {
  Options o;
  o.variante = *rc::gen::inRange(0, 3);
  o.progriga = *rc::gen::inRange(0, 5) == 0;
  o.progpadre = *rc::gen::arbitrary<bool>();
  o.fasi = *rc::gen::arbitrary<bool>();
  o.deposito = *rc::gen::arbitrary<bool>();
  o.datacons = *rc::gen::arbitrary<bool>();
  o.commessa = *rc::gen::arbitrary<bool>();
  o.fase_ord = *rc::gen::arbitrary<bool>();
  o.fase_riga = *rc::gen::arbitrary<bool>();
  o.mantieni_progriga = OneOf<int16_t>({0, 1});
  o.init_progpadre = OneOf<int16_t>({0, 1});
  o.phases_from_host = *rc::gen::arbitrary<bool>();
  o.pgm = OneOf(callers);
  o.ordering = OneOf<std::string>(
      {"", "ORDER BY DO11_NUMREG_CO99, DO30_PROGRIGA", "DO30_PROGRIGA DESC, DO11_NUMREG_CO99"});
  return o;
}

// --- The merge request ------------------------------------------------------------------

// The database of one property: schema and procedure are created on first
// use and kept for the test process; each case replaces the company's
// variant configuration and rebuilds the work tables.
template <int kProperty>
std::shared_ptr<sqlite::EmbeddedConnection> PropertyDatabase() {
  static std::shared_ptr<sqlite::EmbeddedConnection> db = merge_test::OpenErpDatabase();
  return db;
}

struct MergeRun {
  MessageLog messages;
  CLSPD_VESTARO v;
};

// Fails the case with the error the object reported, if any.
void RequireSuccess(const MergeRun& run) {
  if (run.v.VestaroStato() != tsVestaroOK || !run.messages.shown.empty()) {
    RC_FAIL("VestaroStato " + std::to_string(run.v.VestaroStato()) + ": " +
            (run.messages.shown.empty() ? std::string() : run.messages.shown[0]));
  }
}

// The host's request: the company's variant dimensions in the database,
// the rows and options on the object, then AccorpaRigheOrdiniFasi.
void Merge(const std::shared_ptr<sqlite::EmbeddedConnection>& db, const Sample& s,
           const Options& o, MergeRun& run) {
  db->Execute("DELETE FROM MG5F_DIMECONF");
  std::shared_ptr<Recordset> dimensions =
      db->OpenRecordset("MG5F_DIMECONF", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  for (const Dimension& d : s.dimensions) {
    AddRow(*dimensions, {{"MG5F_DITTA_CG18", Variant(kCompany)},
                         {"MG5F_CODICEVAR", Variant(d.code)},
                         {"MG5F_SIZE", Variant(d.size)},
                         {"MG5F_INDGRIGLIA", d.grid_index}});
  }
  CLSPD_VESTARO& v = run.v;
  v.SetConnessione(db);
  v.SetCodiceDitta(Variant(int32_t{kCompany}));
  v.PgmChiamante = o.pgm;
  v.AccorpaVariante = o.variante;
  v.AccorpaProgRiga = o.progriga;
  v.AccorpaProgPadre = o.progpadre;
  v.AccorpaFasi = o.fasi;
  v.AccorpaDeposito = o.deposito;
  v.AccorpaDatacons = o.datacons;
  v.AccorpaCommessa = o.commessa;
  v.AccorpaFaseRecordsetOrdini = o.fase_ord;
  v.AccorpaFaseRiga = o.fase_riga;
  v.MantieniProgriga = o.mantieni_progriga;
  v.InitProgPadre = o.init_progpadre;
  v.StrOrdinamento = o.ordering;
  v.IsRecordsetFasi = o.phases_from_host;

  v.PrstOrdini = NewSet(merge_test::HostOrderFields());
  for (const OrderRow& r : s.rows) {
    Values values = {{"DO11_NUMREG_CO99", Variant(r.numreg)},
                     {"DO30_PROGRIGA", Variant(r.progriga)},
                     {"DO30_PROGPADRE", r.progpadre},
                     {"DO30_CODART_MG66", r.article},
                     {"DO30_OPZIONE_MG5E", r.variant},
                     {"DO30_CODDEP_MG58", r.depot},
                     {"DO31_DATACONS", r.delivery},
                     {"DO41_CODCOMMESSA", r.commessa},
                     {"DO46_CODFASE", r.fase},
                     {"DO46_PROGSFASE", r.sfase},
                     {"DO30_CODFASE_PD12", r.fase_riga},
                     {"DESCR", Variant(r.numreg + "/" + std::to_string(r.progriga))}};
    for (const auto& [name, value] : r.quantities) values.push_back({name, value});
    AddRow(*v.PrstOrdini, values);
  }
  v.PrstFasi = NewSet(merge_test::HostPhaseFields());
  for (const PhaseRow& f : s.phases) {
    Values values = {{"DO46_NUMREG_CO99", Variant(f.numreg)},
                     {"DO46_PROGRIGA", Variant(f.progriga)},
                     {"DO46_CODFASE", f.fase},
                     {"DO46_PROGSFASE", f.sfase}};
    for (const auto& [name, value] : f.quantities) values.push_back({name, value});
    AddRow(*v.PrstFasi, values);
  }
  v.AccorpaRigheOrdiniFasi();
}

// --- What the merge should have done -----------------------------------------------------

std::string TrimmedText(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return "";
  std::string text = value.ToString();
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

int KeyNumberOrZero(const Variant& value) { return value.IsNull() ? 0 : value.ToLong(); }

// The phases (code, sub-phase) of an order row, as its working cycle.
std::set<std::pair<int, int>> CycleOf(const Sample& s, const OrderRow& r) {
  std::set<std::pair<int, int>> cycle;
  for (const PhaseRow& f : s.phases) {
    if (f.numreg == r.numreg && f.progriga == r.progriga)
      cycle.insert({KeyNumberOrZero(f.fase), KeyNumberOrZero(f.sfase)});
  }
  return cycle;
}

// The merge key of an order row as the options define it, written
// independently of the procedure: two rows must share a merged row exactly
// when their keys are equal.
std::string ModelKey(const Sample& s, const Options& o, const OrderRow& r) {
  int32_t variante = o.variante;
  bool progpadre = o.progpadre;
  if (!o.progriga && !o.progpadre && !o.fasi && !o.deposito && !o.datacons && !o.commessa &&
      !o.fase_ord && !o.fase_riga && variante == Fb_NoAccorpamento) {
    progpadre = true;
    variante = Fb_VarianteParziale;
  }
  std::string key = TrimmedText(r.article) + "|";
  const std::string variant = r.variant.ToString();
  std::string variant_part;
  if (variante == Fb_VarianteIntera) variant_part = variant;
  if (variante == Fb_VarianteParziale) {
    // Dimensions outside the size grid stay; the others are blanked.
    size_t start = 0;
    for (const Dimension& d : s.dimensions) {
      const bool outside_grid = d.grid_index.IsNull() || d.grid_index.ToLong() == 0;
      for (int i = 0; i < d.size; ++i) variant_part += outside_grid ? variant[start + i] : ' ';
      start += static_cast<size_t>(d.size);
    }
  }
  key += TrimmedText(Variant(variant_part)) + "|";
  if (o.progriga) key += r.numreg + "/" + std::to_string(r.progriga);
  key += "|";
  if (progpadre) key += r.numreg + "/" + TrimmedText(r.progpadre);
  key += "|";
  if (o.deposito) key += TrimmedText(r.depot);
  key += "|";
  if (o.datacons && !r.delivery.IsNull()) {
    const DateParts d = SplitDate(r.delivery.ToDate());
    key += std::to_string(d.year * 10000 + d.month * 100 + d.day);
  }
  key += "|";
  if (o.commessa) key += TrimmedText(r.commessa);
  key += "|";
  if (o.fase_ord)
    key += std::to_string(KeyNumberOrZero(r.fase)) + "/" + std::to_string(KeyNumberOrZero(r.sfase));
  key += "|";
  if (o.fase_riga) key += TrimmedText(r.fase_riga);
  key += "|";
  if (o.fasi && o.phases_from_host) {
    for (const auto& [fase, sfase] : CycleOf(s, r))
      key += std::to_string(fase) + "/" + std::to_string(sfase) + ",";
  }
  return key;
}

// A merged row: DESTI_NUMREG, DESTI_PROGRIGA, DESTI_CODFASE, DESTI_PROGSFASE.
using MergedKey = std::tuple<std::string, int32_t, int32_t, int32_t>;

MergedKey MergedKeyOfRow(const Recordset& merged) {
  return {KeyText(merged.Value("DO11_NUMREG_CO99")), KeyNumber(merged.Value("DO30_PROGRIGA")),
          KeyNumber(merged.Value("DO46_CODFASE")), KeyNumber(merged.Value("DO46_PROGSFASE"))};
}

// The links read back: the merged row of each origin row (register number,
// row), and the origin rows of each merged row in link order.
struct Links {
  std::map<std::pair<std::string, int>, MergedKey> merged_of;
  std::map<MergedKey, std::vector<std::pair<std::string, int>>> origins_of;
  int count = 0;
};

Links ReadLinks(Recordset& links) {
  Links l;
  links.SetFilter(Variant(int32_t{0}));
  if (links.RecordCount() == 0) return l;
  for (links.MoveFirst(); !links.Eof(); links.MoveNext()) {
    const std::pair<std::string, int> origin = {KeyText(links.Value("ORIG_NUMREG")),
                                                KeyNumber(links.Value("ORIG_PROGRIGA"))};
    const MergedKey merged = {KeyText(links.Value("DESTI_NUMREG")),
                              KeyNumber(links.Value("DESTI_PROGRIGA")),
                              KeyNumber(links.Value("DESTI_CODFASE")),
                              KeyNumber(links.Value("DESTI_PROGSFASE"))};
    RC_ASSERT(l.merged_of.emplace(origin, merged).second);  // one link per origin row
    l.origins_of[merged].push_back(origin);
    ++l.count;
  }
  return l;
}

const OrderRow& RowOf(const Sample& s, const std::pair<std::string, int>& key) {
  for (const OrderRow& r : s.rows) {
    if (r.numreg == key.first && r.progriga == key.second) return r;
  }
  throw std::logic_error("a link names an origin row that does not exist");
}

// The origin phases of each merged phase (merged row, phase, sub-phase), as
// the merge should group them: a phase goes with the merged row of its order
// row (of the same phase, when the order rows stand one per phase).
using MergedPhaseKey = std::tuple<std::string, int32_t, int32_t, int32_t>;

std::map<MergedPhaseKey, std::vector<const PhaseRow*>> ModelMergedPhases(const Sample& s,
                                                                         const Options& o,
                                                                         const Links& links) {
  std::map<MergedPhaseKey, std::vector<const PhaseRow*>> groups;
  for (const PhaseRow& f : s.phases) {
    const OrderRow& r = RowOf(s, {f.numreg, f.progriga});
    if (o.fase_ord && (KeyNumberOrZero(r.fase) != KeyNumberOrZero(f.fase) ||
                       KeyNumberOrZero(r.sfase) != KeyNumberOrZero(f.sfase)))
      continue;
    const MergedKey& m = links.merged_of.at({f.numreg, f.progriga});
    groups[{std::get<0>(m), std::get<1>(m), KeyNumberOrZero(f.fase), KeyNumberOrZero(f.sfase)}]
        .push_back(&f);
  }
  return groups;
}

// Checks what every merge must give, whatever the rows and the options.
void CheckMergedView(const Sample& s, const Options& o, MergeRun& run) {
  CLSPD_VESTARO& v = run.v;
  RC_ASSERT(v.RstOrigOrdini->RecordCount() == static_cast<int32_t>(s.rows.size()));

  // Every origin row has exactly one link, every link a merged row, every
  // merged row at least one link.
  const Links links = ReadLinks(*v.RstRiferimenti);
  RC_ASSERT(links.count == static_cast<int>(s.rows.size()));
  std::set<MergedKey> merged_rows;
  Recordset& merged = *v.RstDestiOrdini;
  for (merged.MoveFirst(); !merged.Eof(); merged.MoveNext())
    RC_ASSERT(merged_rows.insert(MergedKeyOfRow(merged)).second);
  RC_ASSERT(merged_rows.size() == links.origins_of.size());
  for (const auto& [key, origins] : links.origins_of) {
    RC_ASSERT(merged_rows.count(key) == 1u);
    RC_ASSERT(!origins.empty());
  }

  // Rows share a merged row exactly when they share the key.
  std::map<std::string, MergedKey> merged_of_key;
  std::map<MergedKey, std::string> key_of_merged;
  for (const OrderRow& r : s.rows) {
    const std::string key = ModelKey(s, o, r);
    const MergedKey& m = links.merged_of.at({r.numreg, r.progriga});
    const auto [by_key, new_key] = merged_of_key.emplace(key, m);
    const auto [by_merged, new_merged] = key_of_merged.emplace(m, key);
    RC_ASSERT(by_key->second == m);
    RC_ASSERT(by_merged->second == key);
  }

  // Each merged row is the sum of its origin rows, column by column (the
  // second-unit quantities the host gives too).
  std::vector<std::string> summed(kOrderSumColumns.begin(), kOrderSumColumns.end());
  summed.push_back("DO30_QTA2");
  summed.push_back("QTA2CONS");
  for (merged.MoveFirst(); !merged.Eof(); merged.MoveNext()) {
    const auto& origins = links.origins_of.at(MergedKeyOfRow(merged));
    for (const std::string& column : summed) {
      Decimal sum;
      for (const auto& origin : origins) sum += Quantity(RowOf(s, origin).quantities.at(column));
      RC_ASSERT(Quantity(merged.Value(column)) == sum);
    }
  }

  if (!o.phases_from_host) {
    RC_ASSERT(!v.RstOrigFasi);
    RC_ASSERT(!v.RstDestiFasi);
    return;
  }
  // Each merged phase is the sum of the origin phases grouped into it; the
  // quantities that show a 0 as Null do so.
  RC_ASSERT(v.RstOrigFasi->RecordCount() == static_cast<int32_t>(s.phases.size()));
  const auto groups = ModelMergedPhases(s, o, links);
  Recordset& merged_phases = *v.RstDestiFasi;
  RC_ASSERT(merged_phases.RecordCount() == static_cast<int32_t>(groups.size()));
  if (groups.empty()) return;
  for (merged_phases.MoveFirst(); !merged_phases.Eof(); merged_phases.MoveNext()) {
    const MergedPhaseKey key = {KeyText(merged_phases.Value("DO46_NUMREG_CO99")),
                                KeyNumber(merged_phases.Value("DO46_PROGRIGA")),
                                KeyNumber(merged_phases.Value("DO46_CODFASE")),
                                KeyNumber(merged_phases.Value("DO46_PROGSFASE"))};
    const auto group = groups.find(key);
    RC_ASSERT(group != groups.end());
    for (const PhaseSumColumn& c : kPhaseSumColumns) {
      Decimal sum;
      for (const PhaseRow* f : group->second) sum += Quantity(f->quantities.at(c.name));
      const Variant value = merged_phases.Value(c.name);
      RC_ASSERT(Quantity(value) == sum);
      RC_ASSERT(value.IsNull() == (c.zero_as_null && sum.IsZero()));
    }
  }
}

TEST(MergeProcedureProperty, MergedRowsAreTheExactSumsOfTheirOriginRows) {
  CheckCases(40, [] {
    const bool null_phase_codes = *rc::gen::arbitrary<bool>();
    const Sample s = RandomSample(/*with_phases=*/true, null_phase_codes);
    const Options o = RandomOptions({FbAvanzamentoOrdiniProduzione, FbInterrogazioneAvanzamento,
                                     FbVersamentoContoLavoro, FbGenerazioneDdtDaListaPrel,
                                     FbGenerazioneOrdiniDaDocumenti});
    MergeRun run;
    Merge(PropertyDatabase<1>(), s, o, run);
    RequireSuccess(run);
    CheckMergedView(s, o, run);
  });
}

// --- Split-back through the merged view ------------------------------------------------------

// Every value of a row of a set, by column name.
std::map<std::string, Variant> RowValues(const Recordset& rs) {
  std::map<std::string, Variant> values;
  for (int i = 0; i < rs.FieldCount(); ++i) values[rs.Field(i).name] = rs.Value(i);
  return values;
}

// Every row of a set, keyed by `key_of`.
template <typename Key, typename KeyOf>
std::map<Key, std::map<std::string, Variant>> Snapshot(Recordset& rs, KeyOf&& key_of) {
  std::map<Key, std::map<std::string, Variant>> rows;
  rs.SetFilter(Variant(int32_t{0}));
  if (rs.RecordCount() == 0) return rows;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) rows[key_of(rs)] = RowValues(rs);
  return rows;
}

std::pair<std::string, int> OrderKeyOfRow(const Recordset& rs) {
  return {KeyText(rs.Value("DO11_NUMREG_CO99")), KeyNumber(rs.Value("DO30_PROGRIGA"))};
}

MergedPhaseKey PhaseKeyOfRow(const Recordset& rs) {
  return {KeyText(rs.Value("DO46_NUMREG_CO99")), KeyNumber(rs.Value("DO46_PROGRIGA")),
          KeyNumber(rs.Value("DO46_CODFASE")), KeyNumber(rs.Value("DO46_PROGSFASE"))};
}

bool Among(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(MergeProcedureProperty, AQuantitySplitBackLandsExactlyOnTheOriginRows) {
  CheckCases(40, [] {
    Sample s = RandomSample(/*with_phases=*/false, false);
    Options o = RandomOptions({FbAvanzamentoOrdiniProduzione, FbVersamentoContoLavoro,
                               FbGenerazioneDdtDaListaPrel, FbGenerazioneDdtDaListaTrasf,
                               FbGenerazioneOrdiniDaDocumenti});
    const int unit = OneOf({1, 2});
    const int32_t mode = OneOf<int32_t>({Fb_Spalma, Fb_Riproporziona});
    const OrderUnitColumns cols = OrderColumnsFor(o.pgm, unit);
    // Every origin row has ordered at least what is done; most have some
    // left open.
    std::map<std::pair<std::string, int>, Decimal> open_of;
    for (OrderRow& r : s.rows) {
      const bool closed = *rc::gen::inRange(0, 6) == 5;
      const Decimal open = closed ? Decimal() : Thousandths(*rc::gen::inRange(1, 50000));
      r.quantities[cols.ordered] = Variant(Quantity(r.quantities[cols.done]) + open);
      open_of[{r.numreg, r.progriga}] = open;
    }

    RC_LOG() << "caller " << o.pgm << ", unit " << unit << ", mode " << mode << ", "
             << s.rows.size() << " rows, key options " << ModelKey(s, o, s.rows.front()) << "\n";
    MergeRun run;
    Merge(PropertyDatabase<2>(), s, o, run);
    RequireSuccess(run);
    CLSPD_VESTARO& v = run.v;
    v.TipoRipartisci = mode;

    // A merged row whose origin rows have something open.
    const Links links = ReadLinks(*v.RstRiferimenti);
    std::vector<MergedKey> candidates;
    for (const auto& [key, origins] : links.origins_of) {
      Decimal open;
      for (const auto& origin : origins) open += open_of.at(origin);
      if (open > Decimal()) candidates.push_back(key);
    }
    RC_PRE(!candidates.empty());
    const MergedKey target_row = OneOf(candidates);
    const auto& origins = links.origins_of.at(target_row);
    Decimal total_open;
    for (const auto& origin : origins) total_open += open_of.at(origin);
    const Decimal q =
        Thousandths(*rc::gen::inRange<int64_t>(0, 2 * ThousandthsOf(total_open) + 2));

    const auto origins_before = Snapshot<std::pair<std::string, int>>(*v.RstOrigOrdini,
                                                                      OrderKeyOfRow);
    const auto merged_before = Snapshot<MergedKey>(*v.RstDestiOrdini, MergedKeyOfRow);

    // The host's grid hands over the merged row with the quantity typed in.
    auto edited = v.RstDestiOrdini->Clone();
    KeyFilter key;
    key.Text("DO11_NUMREG_CO99 = ", std::get<0>(target_row))
        .Number("DO30_PROGRIGA = ", std::get<1>(target_row))
        .Number("DO46_CODFASE = ", std::get<2>(target_row))
        .Number("DO46_PROGSFASE = ", std::get<3>(target_row));
    edited->SetFilter(key);
    RC_ASSERT(edited->RecordCount() == 1);
    edited->SetValue(cols.target, Variant(q));
    edited->SetValue("SELEZ", Variant("1"));
    edited->SetValue("DEPRIGA", Variant("D7"));
    edited->Update();
    const Variant fase_prec = edited->Value("DEPFASEPREC");
    v.RipartisciRigaAccorpataOrdiniExt(edited, unit);
    RequireSuccess(run);

    // The origin rows of the merged row add up to what was typed, and the
    // recalculated merged row shows it.
    const auto origins_after = Snapshot<std::pair<std::string, int>>(*v.RstOrigOrdini,
                                                                     OrderKeyOfRow);
    Decimal landed;
    for (const auto& origin : origins) landed += Quantity(origins_after.at(origin).at(cols.target));
    RC_ASSERT(landed == q);
    const auto merged_after = Snapshot<MergedKey>(*v.RstDestiOrdini, MergedKeyOfRow);
    RC_ASSERT(Quantity(merged_after.at(target_row).at(cols.target)) == q);
    for (const char* column : kOrderSumColumns) {
      Decimal sum;
      for (const auto& origin : origins) sum += Quantity(origins_after.at(origin).at(column));
      RC_ASSERT(Quantity(merged_after.at(target_row).at(column)) == sum);
    }

    // How it was shared: coverage fills the rows in link order, the rest
    // on the last row that took part; re-proportioning keeps each share
    // within rounding of the row's part of the open quantity.
    if (mode == Fb_Spalma) {
      Decimal remaining = q;
      const std::pair<std::string, int>* last = nullptr;
      std::map<std::pair<std::string, int>, Decimal> expected;
      for (const auto& origin : origins) {
        const Decimal open = open_of.at(origin);
        if (open <= Decimal()) continue;
        expected[origin] = open <= remaining ? open : remaining;
        remaining -= expected[origin];
        last = &origin;
      }
      if (last != nullptr) expected[*last] += remaining;
      for (const auto& origin : origins)
        RC_ASSERT(Quantity(origins_after.at(origin).at(cols.target)) == expected[origin]);
    } else {
      bool all_open = true;
      for (const auto& origin : origins) all_open = all_open && open_of.at(origin) > Decimal();
      if (all_open) {
        const Decimal tolerance = Thousandths(static_cast<int64_t>(origins.size()));
        for (const auto& origin : origins) {
          const Decimal exact = open_of.at(origin) * q / total_open;
          RC_ASSERT((Quantity(origins_after.at(origin).at(cols.target)) - exact).Abs() <=
                    tolerance);
        }
      }
    }

    // Nothing else moved: the other origin rows and merged rows are as they
    // were; the origin rows of the merged row changed only in the target,
    // the selection and the depots copied from the merged row (the two
    // rewritten quantities keep their values).
    for (const auto& [origin, before] : origins_before) {
      const auto& after = origins_after.at(origin);
      const bool split = links.merged_of.at(origin) == target_row;
      for (const auto& [column, value] : before) {
        if (!split) {
          RC_ASSERT(after.at(column) == value);
        } else if (column == cols.target) {
          continue;
        } else if (column == "SELEZ") {
          RC_ASSERT(after.at(column) == Variant("1"));
        } else if (column == "DEPRIGA") {
          RC_ASSERT(TrimmedText(after.at(column)) == "D7");
        } else if (column == "DEPFASEPREC") {
          RC_ASSERT(after.at(column) == fase_prec);
        } else if (column == "QTADATRASF" || column == "DO31_QTA2CONS") {
          RC_ASSERT(Quantity(after.at(column)) == Quantity(value));
        } else {
          RC_ASSERT(after.at(column) == value);
        }
      }
    }
    for (const auto& [merged_key, before] : merged_before) {
      if (merged_key != target_row) RC_ASSERT(merged_after.at(merged_key) == before);
    }

    // Recalculating the merged row from one of its origin rows changes
    // nothing more.
    const auto [numreg, progriga] = OneOf(origins);
    int32_t detailed = VstDettagliate;
    const OrderRow& r = RowOf(s, {numreg, progriga});
    v.RicalcolaSingolaRigaOrdiniFasiExt3(numreg, progriga, detailed, KeyNumberOrZero(r.fase),
                                         KeyNumberOrZero(r.sfase));
    RC_ASSERT(v.VestaroStato() == tsVestaroOK);
    RC_ASSERT(Snapshot<MergedKey>(*v.RstDestiOrdini, MergedKeyOfRow) == merged_after);
  });
}

TEST(MergeProcedureProperty, AdvanceAndScrapSplitBackLandExactlyOnTheOriginPhases) {
  CheckCases(30, [] {
    Sample s = RandomSample(/*with_phases=*/true, /*null_phase_codes=*/false, /*min_phases=*/1);
    Options o = RandomOptions({FbAvanzamentoOrdiniProduzione, FbInterrogazioneAvanzamento,
                               FbVersamentoContoLavoro});
    // The phases of the host, under order rows that stand for the whole row.
    o.phases_from_host = true;
    o.fase_ord = false;
    const int unit = OneOf({1, 2});
    const PhaseUnitColumns cols = PhaseColumnsFor(unit);
    std::map<const PhaseRow*, Decimal> open_of;
    for (PhaseRow& f : s.phases) {
      const bool closed = *rc::gen::inRange(0, 5) == 4;
      const Decimal open = closed ? Decimal() : Thousandths(*rc::gen::inRange(1, 30000));
      f.quantities[cols.ordered] = Variant(Quantity(f.quantities[cols.consolidated]) + open);
      open_of[&f] = open;
    }

    MergeRun run;
    Merge(PropertyDatabase<3>(), s, o, run);
    RequireSuccess(run);
    CLSPD_VESTARO& v = run.v;

    // A merged phase with something open among its origin phases.
    const Links links = ReadLinks(*v.RstRiferimenti);
    const auto groups = ModelMergedPhases(s, o, links);
    std::vector<MergedPhaseKey> candidates;
    for (const auto& [key, phases] : groups) {
      for (const PhaseRow* f : phases) {
        if (open_of.at(f) > Decimal()) {
          candidates.push_back(key);
          break;
        }
      }
    }
    RC_LOG() << s.phases.size() << " phases, " << groups.size() << " merged phases, "
             << candidates.size() << " open\n";
    RC_PRE(!candidates.empty());
    const MergedPhaseKey target = OneOf(candidates);
    const std::vector<const PhaseRow*>& phases = groups.at(target);
    Decimal total_open;
    for (const PhaseRow* f : phases) total_open += open_of.at(f);
    const Decimal advance =
        Thousandths(*rc::gen::inRange<int64_t>(0, 2 * ThousandthsOf(total_open) + 2));
    const Decimal scrap = Thousandths(*rc::gen::inRange<int64_t>(0, 20000));

    const auto phases_before = Snapshot<MergedPhaseKey>(*v.RstOrigFasi, PhaseKeyOfRow);
    auto edited = v.RstDestiFasi->Clone();
    edited->SetFilter(KeyFilter()
                          .Text("DO46_NUMREG_CO99 = ", std::get<0>(target))
                          .Number("DO46_PROGRIGA = ", std::get<1>(target))
                          .Number("DO46_CODFASE = ", std::get<2>(target))
                          .Number("DO46_PROGSFASE = ", std::get<3>(target)));
    RC_ASSERT(edited->RecordCount() == 1);
    edited->SetValue(cols.to_advance, Variant(advance));
    edited->SetValue(cols.to_scrap, Variant(scrap));
    edited->SetValue("DO46_DEPVERSAM", Variant("V1"));
    edited->Update();
    v.RipartisciRigaAccorpataExt(edited, unit);
    RequireSuccess(run);

    // The origin phases add up to what was typed; the merged phase shows it.
    const auto phases_after = Snapshot<MergedPhaseKey>(*v.RstOrigFasi, PhaseKeyOfRow);
    std::set<MergedPhaseKey> split;
    Decimal advanced, scrapped;
    for (const PhaseRow* f : phases) {
      const MergedPhaseKey key = {f->numreg, f->progriga, KeyNumberOrZero(f->fase),
                                  KeyNumberOrZero(f->sfase)};
      split.insert(key);
      advanced += Quantity(phases_after.at(key).at(cols.to_advance));
      scrapped += Quantity(phases_after.at(key).at(cols.to_scrap));
    }
    RC_ASSERT(advanced == advance);
    RC_ASSERT(scrapped == scrap);
    const auto merged_after = Snapshot<MergedPhaseKey>(*v.RstDestiFasi, PhaseKeyOfRow);
    RC_ASSERT(Quantity(merged_after.at(target).at(cols.to_advance)) == advance);
    RC_ASSERT(Quantity(merged_after.at(target).at(cols.to_scrap)) == scrap);
    // Every merged phase of the merged row was recalculated from its phases.
    for (const auto& [key, group] : groups) {
      if (std::get<0>(key) != std::get<0>(target) || std::get<1>(key) != std::get<1>(target))
        continue;
      for (const PhaseSumColumn& c : kPhaseSumColumns) {
        Decimal sum;
        for (const PhaseRow* f : group) {
          sum += Quantity(phases_after.at({f->numreg, f->progriga, KeyNumberOrZero(f->fase),
                                           KeyNumberOrZero(f->sfase)})
                              .at(c.name));
        }
        RC_ASSERT(Quantity(merged_after.at(key).at(c.name)) == sum);
      }
    }

    // Nothing else moved.
    const std::vector<std::string> written = {
        cols.to_advance,    cols.to_scrap,      "DO46_SELEZ",       "DO46_FLGSALDO",
        "DO46_DEPVERSAM",   "DO46_DEPSCARTO",   "DO46_FLGSALDOORD", "DO46_FLGSALDOODL",
        "DO46_DOCSCARTO",   "DO46_MACCHINAALT"};
    for (const auto& [key, before] : phases_before) {
      const auto& after = phases_after.at(key);
      for (const auto& [column, value] : before) {
        if (split.count(key) == 0) {
          RC_ASSERT(after.at(column) == value);
        } else if (column == cols.other_to_advance || column == cols.other_to_scrap) {
          RC_ASSERT(Quantity(after.at(column)) == Quantity(value));
        } else if (!Among(written, column)) {
          RC_ASSERT(after.at(column) == value);
        }
      }
    }
  });
}

// --- Walking many links at once ----------------------------------------------------

// However the links name the origin rows (several per document or few,
// keys that are not whole numbers, texts that differ only in case or
// trailing blanks, keys missing), the walk that answers links of one
// document together finds the same rows in the same order as one filter
// per link, and fails where that would fail.
TEST(LinkWalkProperty, AnswersLikeOneFilterPerLink) {
  CheckCases(200, [] {
    using merge_test::NumberField;
    using merge_test::TextField;
    const std::vector<Variant> numregs = {Variant("A"), Variant("a"), Variant("B "),
                                          Variant("B"), Variant("Z")};
    const std::vector<Variant> numbers = {Variant(1), Variant(2), Variant(3),
                                          Variant(Decimal::FromParts(0, 25, 1, false)),
                                          Variant::Null()};
    auto origin = NewSet({TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 8, 2),
                          NumberField("DO46_CODFASE", 5, 0), NumberField("DO46_PROGSFASE", 4, 0),
                          NumberField("QTA2DACONS", 14, 3)});
    const int rows = *rc::gen::inRange(0, 40);
    for (int i = 0; i < rows; ++i) {
      AddRow(*origin, {{"DO11_NUMREG_CO99", OneOf(numregs)},
                       {"DO30_PROGRIGA", OneOf(numbers)},
                       {"DO46_CODFASE", OneOf<Variant>({Variant(10), Variant(20), Variant::Null()})},
                       {"DO46_PROGSFASE", OneOf<Variant>({Variant(0), Variant(1)})},
                       {"QTA2DACONS", OneOf<Variant>({Variant(0), Variant(1), Variant::Null()})}});
    }
    auto links = NewSet({TextField("ORIG_NUMREG", 12), NumberField("ORIG_PROGRIGA", 8, 2),
                         NumberField("ORIG_CODFASE", 5, 0), NumberField("ORIG_PROGSFASE", 4, 0),
                         NumberField("DESTI_PROGSFASE", 4, 0)});
    const int count = *rc::gen::inRange(0, 20);
    const bool missing_keys = *rc::gen::inRange(0, 5) == 0;
    for (int i = 0; i < count; ++i) {
      Variant progriga = OneOf(numbers);
      if (progriga.IsNull() && !missing_keys) progriga = Variant(4);
      AddRow(*links, {{"ORIG_NUMREG", OneOf(numregs)},
                      {"ORIG_PROGRIGA", progriga},
                      {"ORIG_CODFASE", OneOf<Variant>({Variant(10), Variant(20)})},
                      {"ORIG_PROGSFASE", OneOf<Variant>({Variant(0), Variant(1)})},
                      {"DESTI_PROGSFASE", OneOf<Variant>({Variant(0), Variant(1)})}});
    }
    const int kind = *rc::gen::inRange(0, 3);  // order row, order row by phase, phase
    const bool taking_part = *rc::gen::arbitrary<bool>();
    const char* sub_phase = *rc::gen::arbitrary<bool>() ? "ORIG_PROGSFASE" : "DESTI_PROGSFASE";
    const Variant fase = OneOf<Variant>({Variant(10), Variant(20)});
    const Variant sfase = OneOf<Variant>({Variant(0), Variant(1)});
    RC_LOG() << rows << " origin rows, " << count << " links, kind " << kind << "\n";

    // One filter per link.
    auto expected = [&]() -> std::optional<std::vector<Bookmark>> {
      auto o = origin->Clone();
      RowList found;
      try {
        AddLinkedRows(*links, *o, [&] {
          KeyFilter f = kind == 2 ? LinkedPhase(*links, fase, sfase)
                                  : LinkedOrderRow(*links, kind == 1, sub_phase);
          if (taking_part) f.Term("QTA2DACONS <> 0 ");
          return f;
        }, found);
      } catch (const PlatformError&) {
        return std::nullopt;
      }
      return found.rows();
    }();
    // The walk.
    auto walked = [&]() -> std::optional<std::vector<Bookmark>> {
      auto o = origin->Clone();
      const LinkColumns columns(*links, sub_phase);
      LinkFilterShape shape = kind == 2 ? LinkedPhaseShape(columns, fase, sfase)
                                        : LinkedOrderRowShape(columns, kind == 1);
      if (taking_part) shape.extra = "QTA2DACONS <> 0 ";
      RowList found;
      try {
        AddRowsOfLinks(*links, *o, columns, shape, found);
      } catch (const PlatformError&) {
        return std::nullopt;
      }
      return found.rows();
    }();
    RC_ASSERT(walked == expected);
  });
}

}  // namespace
}  // namespace zv
