// The in-memory merge of a record set of phases: one row per register
// number, phase code and sub-phase, its quantities summed.
#include <array>

#include "data/error.h"
#include "merge/filter_text.h"
#include "merge/merged_view.h"
#include "shell/clspd_vestaro.h"
#include "shell/module.h"

namespace zv {
namespace {

// The summed quantities of a phase; the ordered quantities show a zero sum
// as Null.
constexpr std::array<PhaseSumColumn, 9> kRecordsetPhaseSums = {{
    {"DO46_QTA1ORD", true},
    {"DO46_QTA2ORD", true},
    {"DO46_QTA1CONSOLID", false},
    {"DO46_QTA2CONSOLID", false},
    {"DO46_QTA1SCARTO", false},
    {"DO46_QTA2SCARTO", false},
    {"CONSEGNATO", false},
    {"SALDO", false},
    {"SCARTO", false},
}};

}  // namespace

std::shared_ptr<Recordset> CLSPD_VESTARO::AccorpaRecordsetFasi(
    const std::shared_ptr<Recordset>& p_RstFasi) {
  std::shared_ptr<Recordset> merged;
  bool ok = Trap("AccorpaRecordsetFasi", [&] {
    if (!p_RstFasi) return;
    Recordset& input = *p_RstFasi;
    std::shared_ptr<Recordset> result = NewRecordsetLike(input, Fb_Fasi);
    if (input.RecordCount() == 0) return;

    // Field positions, looked up once.
    std::vector<std::pair<int, int>> copies;
    for (int i = 0; i < input.FieldCount(); ++i)
      copies.emplace_back(i, result->FieldIndex(input.Field(i).name));
    std::array<std::pair<int, int>, kRecordsetPhaseSums.size()> sums;
    for (size_t i = 0; i < sums.size(); ++i) {
      sums[i] = {input.FieldIndex(kRecordsetPhaseSums[i].name),
                 result->FieldIndex(kRecordsetPhaseSums[i].name)};
    }

    input.MoveFirst();
    while (!input.Eof()) {
      result->SetFilter(KeyFilter()
                            .Text("DO46_NUMREG_CO99 = ", input.Value("DO46_NUMREG_CO99"))
                            .Number("DO46_CODFASE     = ", input.Value("DO46_CODFASE"))
                            .Number("DO46_PROGSFASE   = ", input.Value("DO46_PROGSFASE")));
      if (result->RecordCount() > 0) {
        // The key is there already: only the quantities change.
        for (size_t i = 0; i < sums.size(); ++i) {
          const auto [in, out] = sums[i];
          Decimal sum = Quantity(result->Value(out)) + Quantity(input.Value(in));
          Variant value(sum);
          result->SetValue(out, kRecordsetPhaseSums[i].zero_as_null ? NullSeZero(value) : value);
        }
      } else {
        result->AddNew();
        for (const auto& [in, out] : copies) result->SetValue(out, input.Value(in));
      }
      result->Update();
      input.MoveNext();
    }
    result->SetFilter(Variant(int32_t{0}));
    merged = result;
  });
  return ok ? merged : nullptr;
}

}  // namespace zv
