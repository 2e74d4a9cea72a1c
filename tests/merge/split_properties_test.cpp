// Invariants of the split-back: whatever the rows, the mode and the unit,
// the origin rows of a merged row end up adding exactly to the quantity
// entered, the recalculated merged row shows it, and nothing else in the
// origin rows moves.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include "merge/merged_view.h"
#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::MergedView;
using merge_test::Render;

Decimal Thousandths(int64_t n) {
  return Decimal::FromParts(0, static_cast<uint64_t>(n < 0 ? -n : n), 3, n < 0);
}

Decimal SumOf(Recordset& rs, const char* column) {
  Decimal sum;
  if (rs.RecordCount() == 0) return sum;
  rs.MoveFirst();
  for (; !rs.Eof(); rs.MoveNext()) sum += Quantity(rs.Value(column));
  return sum;
}

Decimal MergedValue(Recordset& rs, const char* column) {
  rs.MoveFirst();
  return Quantity(rs.Value(column));
}

// Every column of the set except those listed.
std::vector<std::string> ColumnsBut(Recordset& rs, const std::vector<std::string>& except) {
  std::vector<std::string> columns;
  for (const FieldInfo& f : rs.Fields()) {
    bool skip = false;
    for (const std::string& e : except) skip = skip || NameEquals(e, f.name);
    if (!skip) columns.push_back(f.name);
  }
  return columns;
}

RC_GTEST_PROP(SplitBackProperty, OrderRowsAddUpToTheMergedQuantity, ()) {
  const int32_t pgm = *rc::gen::element<int32_t>(0, FbAvanzamentoOrdiniProduzione,
                                                 FbGenerazioneDdtDaListaPrel,
                                                 FbGenerazioneOrdiniDaDocumenti);
  const int unit = *rc::gen::element(1, 2);
  const int32_t mode = *rc::gen::element<int32_t>(Fb_Spalma, Fb_Riproporziona);
  const int rows = *rc::gen::inRange(1, 8);
  const OrderUnitColumns cols = OrderColumnsFor(pgm, unit);

  MergedView view;
  view.v.PgmChiamante = pgm;
  view.v.TipoRipartisci = mode;
  Decimal ordered_total, done_total, open_total;
  for (int row = 1; row <= rows; ++row) {
    const int64_t ordered = *rc::gen::inRange<int64_t>(1, 100000);
    const int64_t done = *rc::gen::inRange<int64_t>(0, ordered);
    merge_test::Values values = {{cols.ordered, Variant(Thousandths(ordered))},
                                 {cols.done, Variant(Thousandths(done))},
                                 {cols.target, Variant(Thousandths(*rc::gen::inRange(0, 999)))},
                                 {"DESCR", Variant("row " + std::to_string(row))}};
    // Noise in another summed column, unless it is one the split writes.
    for (const char* column : {"SALDO", "QTADATRASF", "DO31_QTA2CONS"}) {
      if (std::string_view(column) != cols.target && std::string_view(column) != cols.ordered &&
          std::string_view(column) != cols.done && std::string_view(column) != cols.other_target)
        values.push_back({column, Variant(Thousandths(*rc::gen::inRange(0, 5000)))});
    }
    view.AddOrderRow("A", row, values);
    view.Link("A", row, "M", 1);
    ordered_total += Thousandths(ordered);
    done_total += Thousandths(done);
  }
  open_total = ordered_total - done_total;
  view.AddMergedRow("M", 1, {{cols.ordered, Variant(ordered_total)},
                             {cols.done, Variant(done_total)}});
  const Decimal target = Thousandths(*rc::gen::inRange<int64_t>(
      0, 2 * (open_total.Rescale(3).lo()) + 1));

  // What must not move: every column the split does not write.
  const std::vector<std::string> written = {cols.target, "SELEZ", "DEPRIGA", "DEPFASEPREC",
                                            "QTADATRASF", "DO31_QTA2CONS"};
  const std::vector<std::string> untouched = ColumnsBut(*view.v.RstOrigOrdini, written);
  const std::string before = Render(*view.v.RstOrigOrdini, untouched);
  std::vector<Decimal> rewritten_before;
  for (const char* column : {"QTADATRASF", "DO31_QTA2CONS"}) {
    if (column == std::string_view(cols.target)) continue;
    for (view.v.RstOrigOrdini->MoveFirst(); !view.v.RstOrigOrdini->Eof();
         view.v.RstOrigOrdini->MoveNext())
      rewritten_before.push_back(Quantity(view.v.RstOrigOrdini->Value(column)));
  }

  view.SplitOrders("M", 1, {{cols.target, Variant(target)}, {"SELEZ", Variant("1")},
                            {"DEPRIGA", Variant("D7")}},
                   unit);
  RC_ASSERT(view.v.VestaroStato() == tsVestaroOK);

  Recordset& origins = *view.v.RstOrigOrdini;
  RC_ASSERT(SumOf(origins, cols.target) == target);
  RC_ASSERT(MergedValue(*view.v.RstDestiOrdini, cols.target) == target);
  for (const char* column : kOrderSumColumns)
    RC_ASSERT(MergedValue(*view.v.RstDestiOrdini, column) == SumOf(origins, column));
  RC_ASSERT(Render(origins, untouched) == before);
  std::vector<Decimal> rewritten_after;
  for (const char* column : {"QTADATRASF", "DO31_QTA2CONS"}) {
    if (column == std::string_view(cols.target)) continue;
    for (origins.MoveFirst(); !origins.Eof(); origins.MoveNext())
      rewritten_after.push_back(Quantity(origins.Value(column)));
  }
  RC_ASSERT(rewritten_after == rewritten_before);
  for (origins.MoveFirst(); !origins.Eof(); origins.MoveNext()) {
    RC_ASSERT(origins.Value("SELEZ") == Variant("1"));
    RC_ASSERT(origins.Value("DEPRIGA") == Variant("D7"));
  }
}

RC_GTEST_PROP(SplitBackProperty, OriginPhasesAddUpToWhatIsToAdvanceAndScrap, ()) {
  const int unit = *rc::gen::element(1, 2);
  const PhaseUnitColumns cols = PhaseColumnsFor(unit);
  const int rows = *rc::gen::inRange(1, 7);

  MergedView view;
  view.v.IsRecordsetFasi = true;
  view.AddMergedRow("M", 1);
  view.AddMergedPhase("M", 1, 10, 0);
  Decimal open_total;
  for (int row = 1; row <= rows; ++row) {
    const int64_t ordered = *rc::gen::inRange<int64_t>(1, 50000);
    const int64_t consolidated = *rc::gen::inRange<int64_t>(0, ordered);
    view.AddOrderRow("A", row);
    view.Link("A", row, "M", 1);
    view.AddOriginPhase("A", row, 10, 0,
                        {{cols.ordered, Variant(Thousandths(ordered))},
                         {cols.consolidated, Variant(Thousandths(consolidated))},
                         {cols.to_advance, Variant(Thousandths(*rc::gen::inRange(0, 999)))},
                         {cols.other_to_advance, Variant(Thousandths(*rc::gen::inRange(1, 999)))},
                         {"DESCR", Variant("phase " + std::to_string(row))}});
    open_total += Thousandths(ordered - consolidated);
  }
  const Decimal advance =
      Thousandths(*rc::gen::inRange<int64_t>(0, 2 * open_total.Rescale(3).lo() + 1));
  const Decimal scrap = Thousandths(*rc::gen::inRange<int64_t>(0, 100000));

  const std::vector<std::string> written = {cols.to_advance, cols.to_scrap, "DO46_SELEZ",
                                            "DO46_FLGSALDO", "DO46_DEPVERSAM", "DO46_DEPSCARTO"};
  const std::vector<std::string> untouched = ColumnsBut(*view.v.RstOrigFasi, written);
  const std::string before = Render(*view.v.RstOrigFasi, untouched);

  view.SplitPhase("M", 1, 10, 0,
                  {{cols.to_advance, Variant(advance)}, {cols.to_scrap, Variant(scrap)}}, unit);
  RC_ASSERT(view.v.VestaroStato() == tsVestaroOK);

  Recordset& origins = *view.v.RstOrigFasi;
  RC_ASSERT(SumOf(origins, cols.to_advance) == advance);
  RC_ASSERT(SumOf(origins, cols.to_scrap) == scrap);
  RC_ASSERT(MergedValue(*view.v.RstDestiFasi, cols.to_advance) == advance);
  RC_ASSERT(MergedValue(*view.v.RstDestiFasi, cols.to_scrap) == scrap);
  for (const PhaseSumColumn& c : kPhaseSumColumns)
    RC_ASSERT(MergedValue(*view.v.RstDestiFasi, c.name) == SumOf(origins, c.name));
  RC_ASSERT(Render(origins, untouched) == before);
}

}  // namespace
}  // namespace zv
