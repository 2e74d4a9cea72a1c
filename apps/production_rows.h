// What a host screen does before it calls the merge: deploying the stored
// procedures of the source tree on a connection, and reading the
// production-order size rows of a company in the shape the production-progress
// screen hands them to CLSPD_VESTARO (PrstOrdini).
#ifndef ZV_APPS_PRODUCTION_ROWS_H_
#define ZV_APPS_PRODUCTION_ROWS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/recordset.h"

namespace zv::sample {

// The folder of the stored procedures of the source tree (db/procedures).
std::string DefaultProcedureDir();

// Creates (or replaces) every procedure and function of `dir` (*.sql, each one
// batch) on the connection. Throws std::runtime_error when the folder or a
// file cannot be read; a failing batch throws as the connection does.
void CreateProcedures(Connection& connection, const std::string& dir = DefaultProcedureDir());

// The production-order rows of `company` (of one article when `article` is not
// empty) as the production-progress screen (PgmChiamante
// FbAvanzamentoOrdiniProduzione) hands them to the merge in PrstOrdini: one row
// per size row, with the keys and every column the merge, the split-back and
// the recalculation read (register number, row, parent row, article, variant,
// depot, delivery date, project/job columns, the phase keys
// DO46_CODFASE/DO46_PROGSFASE of the row's current phase, and the quantities
// DO30_QTA1, DO31_QTA1CONS, SALDO, QTAORD, QTATRASF, QTADATRASF, QTA2...,
// WKQTA1ORD...). Ordered by register number and row. A failing query throws as
// the connection does.
std::shared_ptr<Recordset> ProductionOrderRows(Connection& connection, int32_t company,
                                               std::string_view article = {});

// The article with the most production-order size rows of the company (the
// demo's "model"); "" when the company has none.
std::string BusiestModel(Connection& connection, int32_t company);

}  // namespace zv::sample

#endif  // ZV_APPS_PRODUCTION_ROWS_H_
