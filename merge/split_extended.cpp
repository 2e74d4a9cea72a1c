// The extended split-back: the quantity entered on a merged row (to
// advance and to scrap on a phase, to transfer or consume on an order row)
// is given out to the origin rows behind it, one unit of measure at a time,
// and the merged row is then recalculated from them.
//
// Coverage visits the origin rows in link order and lets each take what it
// still has open; re-proportioning gives each a share proportional to its
// open quantity. Whatever is left over goes to the last origin row that
// took part, so the origin rows add up exactly to the merged quantity.
#include <optional>
#include <vector>

#include "data/error.h"
#include "merge/filter_text.h"
#include "merge/merged_view.h"
#include "merge/recalc.h"
#include "shell/clspd_vestaro.h"
#include "shell/module.h"

namespace zv {
namespace {

Recordset& Require(const std::shared_ptr<Recordset>& rs) {
  if (!rs) Raise(err::kObjectVariableNotSet);
  return *rs;
}

void RequireUnit(int unit) {
  if (unit != Vst_Quantita1 && unit != Vst_Quantita2) Raise(err::kInvalidProcedureCall);
}

bool IsPickingListProgram(int32_t pgm_chiamante) {
  return pgm_chiamante == FbGenerazioneDdtDaListaPrel ||
         pgm_chiamante == FbGenerazioneDdtDaListaTrasf;
}

// The programs that close phases of production orders (1, 2) and of
// subcontracting orders (3).
bool ClosesOrderPhases(int32_t pgm) {
  return pgm == FbAvanzamentoOrdiniProduzione || pgm == FbInterrogazioneAvanzamento;
}

void CopyField(Recordset& from, Recordset& to, const char* field) {
  to.SetValue(field, from.Value(field));
}

// True when writing `value` over `current` would change nothing (the same
// kind of value, equal, and for a decimal the same scale).
bool SameValue(const Variant& current, const Variant& value) {
  if (!(current == value)) return false;
  return current.type() != VarType::kDecimal ||
         current.ToDecimal().scale() == value.ToDecimal().scale();
}

// Writes `value` into a field of the current row unless it holds it already.
void Put(Recordset& rs, int field, const Variant& value) {
  if (!SameValue(rs.Value(field), value)) rs.SetValue(field, value);
}

// The reset and distribution passes of an order-row split-back over the
// origin rows of the merged row (`all_rows`, not empty; `gather(true)` gives
// those that take part when the distribution stops on the other unit).
// When every row takes part, the two passes are made together, row by row:
// the reset values are what the distribution starts from on each row, and
// a value a row holds already is not written again.
template <typename Gather>
void DistributeOrderRow(Recordset& edited, const OrderUnitColumns& cols, Recordset& origin,
                        const RowList& all_rows, Gather&& gather, const Decimal& target,
                        const Decimal& merged_open, bool picking_list, int32_t mode,
                        int32_t stop) {
  // The columns, found once: every origin row is read and written by index.
  const int ordered = origin.FieldIndex(cols.ordered);
  const int done = origin.FieldIndex(cols.done);
  const int target_column = origin.FieldIndex(cols.target);
  const int selez = origin.FieldIndex("SELEZ");
  const Variant reset_target = picking_list ? Variant(int16_t{0}) : Variant::Null();
  const int32_t row_count = static_cast<int32_t>(all_rows.size());
  const bool stop_on_other = stop == Vst_Stop_AltraQuantita && *cols.other_target != '\0';

  // A re-proportioning that is bound to fail (nothing open on the merged
  // row) fails after every row was reset, as the passes one after the other.
  const bool two_passes = stop_on_other || (mode == Fb_Riproporziona && merged_open.IsZero());
  auto reset = [&] {
    Put(origin, selez, Variant(int16_t{0}));
    Put(origin, target_column, reset_target);
  };
  if (two_passes) {
    VisitRows(origin, all_rows, [&] {
      reset();
      origin.Update();
    });
  }

  const int rewritten[] = {origin.FieldIndex("QTADATRASF"), origin.FieldIndex("DO31_QTA2CONS")};
  struct Copied {
    int field;
    Variant value;
  };
  // What the merged row gives every origin row.
  std::vector<Copied> copied;
  for (const char* column : {"SELEZ", "DEPRIGA", "DEPFASEPREC"})
    copied.push_back({origin.FieldIndex(column), edited.Value(column)});

  const RowList taking_part = stop_on_other ? gather(true) : all_rows;
  Decimal remaining = target;
  ProportionalShares shares(target, merged_open, row_count);
  std::optional<Bookmark> last_row;
  VisitRows(origin, taking_part, [&] {
    const Bookmark here = origin.GetBookmark();
    const Decimal open = Quantity(origin.Value(ordered)) - Quantity(origin.Value(done));
    std::optional<Variant> taken;
    if (mode == Fb_Riproporziona) {
      Decimal share = shares.For(open);
      if (share > remaining) share = remaining;
      taken = Variant(share);
    } else if (open > Decimal(0)) {
      taken = Variant(TakeUpTo(open, remaining));
    }
    // The reset of this row, unless the distribution writes over it.
    if (!two_passes && !taken) Put(origin, target_column, reset_target);
    if (taken) {
      Put(origin, target_column, *taken);
      last_row = here;
      if (remaining > Decimal(0)) remaining -= Quantity(origin.Value(target_column));
    }
    for (int column : rewritten) {
      Variant value = CDecN(origin.Value(column));
      // A decimal other than 0 never reads "0": only a zero can become Null.
      const bool nonzero = value.type() == VarType::kDecimal && !value.ToDecimal().IsZero();
      Put(origin, column, picking_list || nonzero ? value : NullSeZero(value));
    }
    for (const Copied& c : copied) Put(origin, c.field, c.value);
    origin.Update();
  });

  if (remaining > Decimal(0) && last_row) {
    origin.SetFilter(Variant(int32_t{0}));
    origin.SetBookmark(*last_row);
    origin.SetValue(target_column, Variant(remaining + Quantity(origin.Value(target_column))));
    origin.Update();
  }
}

}  // namespace

void CLSPD_VESTARO::RipartisciRigaAccorpataExt(const std::shared_ptr<Recordset>& p_RstFasi,
                                               int32_t pTipoQuantita) {
  if (pTipoQuantita == Vst_Tutte) {
    RipartisciRigaAccorpataExt(p_RstFasi, Vst_Quantita1);
    RipartisciRigaAccorpataExt(p_RstFasi, Vst_Quantita2);
    return;
  }
  Trap("RipartisciRigaAccorpata", [&] { SplitMergedPhase(Require(p_RstFasi), pTipoQuantita); });
}

void CLSPD_VESTARO::RipartisciRigaAccorpataOrdiniExt(
    const std::shared_ptr<Recordset>& p_RstOrdini, int32_t pTipoQuantita) {
  if (pTipoQuantita == Vst_Tutte) {
    RipartisciRigaAccorpataOrdiniExt(p_RstOrdini, Vst_Quantita1);
    RipartisciRigaAccorpataOrdiniExt(p_RstOrdini, Vst_Quantita2);
    return;
  }
  Trap("RipartisciRigaAccorpataOrdiniExt",
       [&] { SplitMergedOrderRow(Require(p_RstOrdini), pTipoQuantita); });
}

void CLSPD_VESTARO::SplitMergedPhase(Recordset& edited, int unit) {
  RequireUnit(unit);
  const PhaseUnitColumns cols = PhaseColumnsFor(unit);
  const MergedRowKey key = KeyOfPhase(edited);
  Decimal to_advance = Quantity(edited.Value(cols.to_advance));
  Decimal to_scrap = Quantity(edited.Value(cols.to_scrap));

  Recordset& links = Require(RstRiferimenti);
  links.SetFilter(LinksOfMergedRow(key));
  if (links.RecordCount() == 0 || !IsRecordsetFasi) return;

  std::shared_ptr<Recordset> origin = Require(RstOrigFasi).Clone();
  std::shared_ptr<Recordset> merged = Require(RstDestiFasi).Clone();
  merged->SetFilter(MergedPhase(key));

  // The origin phases of the merged phase, in link order.
  const LinkColumns link_columns(links);
  const RowList rows = GatherRowsOfLinks(*merged, links, *origin, link_columns, [&] {
    return LinkedPhaseShape(link_columns, CDecN(merged->Value("DO46_CODFASE")),
                            CDecN(merged->Value("DO46_PROGSFASE")));
  });

  const bool closes_orders = ClosesOrderPhases(PgmChiamante);
  const bool closes_subcontracting = PgmChiamante == FbVersamentoContoLavoro;
  VisitRows(*origin, rows, [&] {
    origin->SetValue("DO46_SELEZ", Variant(int16_t{0}));
    origin->SetValue("DO46_FLGSALDO", Variant(int16_t{0}));
    origin->SetValue(cols.to_advance, Variant::Null());
    origin->SetValue(cols.to_scrap, Variant::Null());
    if (closes_orders) origin->SetValue("DO46_FLGSALDOORD", Variant(int16_t{0}));
    if (closes_subcontracting) origin->SetValue("DO46_FLGSALDOODL", Variant(int16_t{0}));
    origin->Update();
  });

  // Coverage. With the stop on the other quantity, a row that has nothing
  // to advance or scrap in the other unit ends the distribution.
  std::optional<Bookmark> advance_row, scrap_row;
  for (Bookmark b : rows.rows()) {
    origin->SetBookmark(b);
    const Decimal ordered = Quantity(origin->Value(cols.ordered));
    const Decimal open = ordered - Quantity(origin->Value(cols.consolidated));
    if (open > Decimal(0)) {
      if (TipoStopCopertura == Vst_Stop_AltraQuantita &&
          Quantity(origin->Value(cols.other_to_advance)).IsZero() &&
          Quantity(origin->Value(cols.other_to_scrap)).IsZero()) {
        break;
      }
      advance_row = b;
      origin->SetValue(cols.to_advance, Variant(TakeUpTo(open, to_advance)));
      if (to_advance > Decimal(0)) to_advance -= Quantity(origin->Value(cols.to_advance));
    }
    scrap_row = b;
    const Decimal rest = ordered - Quantity(origin->Value(cols.to_advance));
    origin->SetValue(cols.to_scrap, Variant(TakeUpTo(rest, to_scrap)));
    if (to_scrap > Decimal(0)) to_scrap -= Quantity(origin->Value(cols.to_scrap));

    for (const char* column :
         {"DO46_QTADAAVANZ", "DO46_QTA2DAAVANZ", "DO46_QTADASCART", "DO46_QTA2DASCART"})
      origin->SetValue(column, NullSeZero(origin->Value(column)));
    for (const char* column : {"DO46_SELEZ", "DO46_FLGSALDO", "DO46_DEPVERSAM", "DO46_DEPSCARTO"})
      CopyField(edited, *origin, column);
    if (closes_orders) CopyField(edited, *origin, "DO46_FLGSALDOORD");
    if (closes_subcontracting) CopyField(edited, *origin, "DO46_FLGSALDOODL");
    if (closes_orders || closes_subcontracting) {
      CopyField(edited, *origin, "DO46_DOCSCARTO");
      CopyField(edited, *origin, "DO46_MACCHINAALT");
    }
    origin->Update();
  }

  // The leftover goes to the last rows that took part; the scrap leftover
  // only when some row could take an advance.
  if (advance_row) {
    origin->SetFilter(Variant(int32_t{0}));
    if (to_advance > Decimal(0)) {
      origin->SetBookmark(*advance_row);
      origin->SetValue(cols.to_advance,
                       Variant(to_advance + Quantity(origin->Value(cols.to_advance))));
      origin->Update();
    }
    if (to_scrap > Decimal(0) && scrap_row) {
      origin->SetBookmark(*scrap_row);
      origin->SetValue(cols.to_scrap, Variant(to_scrap + Quantity(origin->Value(cols.to_scrap))));
      origin->Update();
    }
  }
  origin.reset();
  merged.reset();

  int32_t tipo_vis = VstAccorpate;
  RicalcolaSingolaRigaOrdiniFasiExt3(key.numreg, key.progriga, tipo_vis, 0, 0);
}

void CLSPD_VESTARO::SplitMergedOrderRow(Recordset& edited, int unit) {
  RequireUnit(unit);
  const OrderUnitColumns cols = OrderColumnsFor(PgmChiamante, unit);
  const MergedRowKey key = KeyOfOrderRow(edited, AccorpaFaseRecordsetOrdini);
  const Decimal target = Quantity(edited.Value(cols.target));
  // The merged row's open quantity.
  const Decimal merged_open =
      Quantity(edited.Value(cols.ordered)) - Quantity(edited.Value(cols.done));

  Recordset& links = Require(RstRiferimenti);
  links.SetFilter(LinksOfMergedRow(key));
  if (links.RecordCount() == 0) return;

  std::shared_ptr<Recordset> origin = Require(RstOrigOrdini).Clone();
  std::shared_ptr<Recordset> merged = Require(RstDestiOrdini).Clone();
  merged->SetFilter(MergedOrderRow(key));

  // The origin rows of the merged row in link order; `taking_part` keeps
  // only those that have something in the other unit.
  const LinkColumns link_columns(links);
  auto gather = [&](bool taking_part) {
    return GatherRowsOfLinks(*merged, links, *origin, link_columns, [&] {
      LinkFilterShape shape = LinkedOrderRowShape(link_columns, AccorpaFaseRecordsetOrdini);
      if (taking_part) shape.extra = std::string(cols.other_target) + " <> 0 ";
      return shape;
    });
  };

  const bool picking_list = IsPickingListProgram(PgmChiamante);
  const RowList all_rows = gather(false);
  if (all_rows.size() != 0) {
    DistributeOrderRow(edited, cols, *origin, all_rows, gather, target, merged_open,
                       picking_list, TipoRipartisci, TipoStopCopertura);
  }
  origin.reset();
  merged.reset();

  // The recalculation of the merged row, over the origin rows just found
  // (the split-back changed none of their keys).
  Trap("RicalcolaSingolaRigaOrdiniFasiExt3", [&] {
    RecalculateMergedRow(*this, key.numreg, key.progriga, VstAccorpate, key.fase, key.sfase,
                         &all_rows);
  });
}

}  // namespace zv
