// The merge engine on a real database (the embedded engine, or the engine
// reached through ODBC): an ERP database with the schema and the merge
// procedure, the order-row and phase columns a
// production-progress screen hands to CLSPD_VESTARO, and the sums the
// merge checks read back.
#ifndef ZV_TESTS_MERGE_EMBEDDED_MERGE_FIXTURE_H_
#define ZV_TESTS_MERGE_EMBEDDED_MERGE_FIXTURE_H_

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset.h"
#include "data/sqlite/embedded_connection.h"
#include "merge/merged_view.h"
#include "tests/merge/merge_fixture.h"
#include "tests/odbc/hosted_backend.h"

namespace zv::merge_test {

// The text of a file of the source tree.
inline std::string SourceFile(const std::string& relative) {
  std::ifstream in(std::string(ZV_SOURCE_DIR) + "/" + relative);
  if (!in) throw std::runtime_error("cannot read " + relative);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

enum class MergeProcedure { kCreate, kLeaveOut };

// Deploys every table of the ERP schema and, unless left out,
// SPVESTARO_ACCORPA on `conn`.
inline void DeployErpSchema(Connection& conn, MergeProcedure procedure) {
  std::istringstream order(SourceFile("db/schema/order.txt"));
  std::string file;
  while (std::getline(order, file)) {
    if (!file.empty()) conn.Execute(SourceFile("db/schema/" + file));
  }
  if (procedure == MergeProcedure::kCreate)
    conn.Execute(SourceFile("db/procedures/SPVESTARO_ACCORPA.sql"));
}

// A private in-memory database with every table of the ERP schema and,
// unless left out, SPVESTARO_ACCORPA.
inline std::shared_ptr<sqlite::EmbeddedConnection> OpenErpDatabase(
    MergeProcedure procedure = MergeProcedure::kCreate) {
  std::shared_ptr<sqlite::EmbeddedConnection> conn = sqlite::EmbeddedConnection::Open(":memory:");
  DeployErpSchema(*conn, procedure);
  return conn;
}

// The same on `backend` (through ODBC: a database file of its own).
inline std::shared_ptr<Connection> OpenErpDatabase(testing::Backend backend,
                                                   MergeProcedure procedure) {
  std::shared_ptr<Connection> conn = testing::OpenBackend(backend);
  DeployErpSchema(*conn, procedure);
  return conn;
}

inline FieldInfo DateField(std::string name) {
  FieldInfo f;
  f.name = std::move(name);
  f.type = ado::kDate;
  return f;
}

// The quantities of an order row the tests fill: the fourteen the merge
// sums and the second-unit columns some callers split on.
inline std::vector<std::string> HostOrderQuantities() {
  std::vector<std::string> q(kOrderSumColumns.begin(), kOrderSumColumns.end());
  q.push_back("DO30_QTA2");
  q.push_back("QTA2CONS");
  return q;
}

// The order-row columns of the host's PrstOrdini (database names).
inline std::vector<FieldInfo> HostOrderFields() {
  std::vector<FieldInfo> fields = {
      TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0),
      NumberField("DO30_PROGPADRE", 6, 0), TextField("DO30_CODART_MG66", 25),
      TextField("DO30_OPZIONE_MG5E", 20), TextField("DO30_CODDEP_MG58", 2),
      DateField("DO31_DATACONS"),         TextField("DO41_CODCOMMESSA", 25),
      NumberField("DO46_CODFASE", 5, 0),  NumberField("DO46_PROGSFASE", 4, 0),
      NumberField("DO30_CODFASE_PD12", 5, 0), TextField("SELEZ", 1),
      TextField("DEPRIGA", 2),            TextField("DEPFASEPREC", 2),
      TextField("DESCR", 30)};
  for (const std::string& q : HostOrderQuantities()) fields.push_back(NumberField(q, 14, 3));
  return fields;
}

// The phase columns of the host's PrstFasi.
inline std::vector<FieldInfo> HostPhaseFields() {
  std::vector<FieldInfo> fields = {
      TextField("DO46_NUMREG_CO99", 12),     NumberField("DO46_PROGRIGA", 6, 0),
      NumberField("DO46_CODFASE", 5, 0),     NumberField("DO46_PROGSFASE", 4, 0),
      TextField("DO46_DESCRFASE", 30),       TextField("DO46_SELEZ", 1),
      NumberField("DO46_FLGSALDO", 1, 0),    TextField("DO46_DEPVERSAM", 2),
      TextField("DO46_DEPSCARTO", 2),        NumberField("DO46_FLGSALDOORD", 1, 0),
      NumberField("DO46_FLGSALDOODL", 1, 0), TextField("DO46_DOCSCARTO", 3),
      TextField("DO46_MACCHINAALT", 10)};
  for (const PhaseSumColumn& c : kPhaseSumColumns) fields.push_back(NumberField(c.name, 14, 3));
  return fields;
}

// Render (merge_fixture.h) with the padding of CHAR columns taken off the
// texts, so that expectations read as the values were typed.
inline std::string RenderTrimmed(Recordset& rs, const std::vector<std::string>& columns) {
  std::string text = Render(rs, columns), out;
  for (char c : text) {
    if (c == '"') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
    }
    out += c;
  }
  return out;
}

// A quantity of n thousandths.
inline Decimal Thousandths(int64_t n) {
  return Decimal::FromParts(0, static_cast<uint64_t>(n < 0 ? -n : n), 3, n < 0);
}

// The sum of a column over the current view of a set (Null counts as 0).
inline Decimal SumOf(Recordset& rs, std::string_view column) {
  Decimal sum;
  if (rs.RecordCount() == 0) return sum;
  rs.MoveFirst();
  for (; !rs.Eof(); rs.MoveNext()) sum += Quantity(rs.Value(column));
  return sum;
}

}  // namespace zv::merge_test

#endif  // ZV_TESTS_MERGE_EMBEDDED_MERGE_FIXTURE_H_
