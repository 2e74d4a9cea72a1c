// The recalculation of one merged order row and of its merged phases, for
// the routines of CLSPD_VESTARO that run it as part of their own work.
#ifndef ZV_MERGE_RECALC_H_
#define ZV_MERGE_RECALC_H_

#include <cstdint>
#include <string_view>

#include "merge/merged_view.h"
#include "shell/clspd_vestaro.h"

namespace zv {

// RicalcolaSingolaRigaOrdiniFasiExt3 without its failure handler (a failure
// is thrown). `origin_rows`, when given, are the origin order rows of the
// merged row as the links find them, already gathered by the caller (who
// changed none of their keys); otherwise they are gathered here.
void RecalculateMergedRow(CLSPD_VESTARO& v, std::string_view p_Numreg, int32_t p_ProgRiga,
                          int32_t p_TipoVis, int32_t p_CodFase, int32_t p_ProgSfase,
                          const RowList* origin_rows);

}  // namespace zv

#endif  // ZV_MERGE_RECALC_H_
