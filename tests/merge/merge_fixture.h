// Builders for the merge engine's tests: a merged view written row by row
// (origin order rows and phases, merged rows, links), the verbs that edit a
// merged row and split it back, a message-box recorder, and a renderer that
// shows chosen columns of a record set as one string.
#ifndef ZV_TESTS_MERGE_MERGE_FIXTURE_H_
#define ZV_TESTS_MERGE_MERGE_FIXTURE_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/recordset.h"
#include "data/scripted_connection.h"
#include "host/expando.h"
#include "host/framework.h"
#include "host/registry.h"
#include "shell/clspd_vestaro.h"

namespace zv {

// Reaches the private routines of CLSPD_VESTARO.
class MergeTestPeer {
 public:
  static void CreaTabellaTemp(CLSPD_VESTARO& v, const std::shared_ptr<Recordset>& rs,
                              const std::string& name, int32_t kind) {
    v.CreaTabellaTemp(rs, name, kind);
  }
  static bool EsisteCampo(CLSPD_VESTARO& v, const std::shared_ptr<Recordset>& rs,
                          std::string_view name) {
    return v.EsisteCampo(rs, name);
  }
  static void CopiaCampiAggiunti(CLSPD_VESTARO& v) { v.CopiaCampiAggiunti(); }
  static void ChiamaStored(CLSPD_VESTARO& v) { v.ChiamaStored(); }
};

namespace merge_test {

using Values = std::vector<std::pair<std::string, Variant>>;

// A quantity written as text ("4.5").
Decimal Qty(std::string_view text);

// A record set with the given fields, open and empty.
std::shared_ptr<Recordset> NewSet(const std::vector<FieldInfo>& fields);
FieldInfo TextField(std::string name, int size);
FieldInfo NumberField(std::string name, int precision, int scale);
// Appends a row; the fields not given stay Null.
void AddRow(Recordset& rs, const Values& values);

// The listed columns of every row of the set's current view, rendered with
// RenderRecordset (decimals without trailing zeros). The set's position is
// kept.
std::string Render(Recordset& rs, const std::vector<std::string>& columns);

// Records every message box shown through the object's own multilingual
// service: "text|style|title" for a plain text, "#id|style|title|params"
// for a catalogue message.
class MessageLog {
 public:
  MessageLog();
  std::vector<std::string> shown;

 private:
  ScopedRegistration registration_;
};

// The order-row and phase columns of the view, and a merged view built row
// by row on a CLSPD_VESTARO whose connection only serves error reports.
class MergedView {
 public:
  MergedView();

  CLSPD_VESTARO v;
  std::shared_ptr<ScriptedConnection> conn = std::make_shared<ScriptedConnection>();

  // An origin order row (its phase keys 0 unless given).
  void AddOrderRow(const std::string& numreg, int progriga, const Values& values = {},
                   int fase = 0, int sfase = 0);
  // A merged order row.
  void AddMergedRow(const std::string& numreg, int progriga, const Values& values = {},
                    int fase = 0, int sfase = 0);
  // A link from an origin row to a merged row.
  void Link(const std::string& orig_numreg, int orig_progriga, const std::string& desti_numreg,
            int desti_progriga, int orig_fase = 0, int orig_sfase = 0, int desti_fase = 0,
            int desti_sfase = 0);
  // Origin and merged phases.
  void AddOriginPhase(const std::string& numreg, int progriga, int fase, int sfase,
                      const Values& values = {});
  void AddMergedPhase(const std::string& numreg, int progriga, int fase, int sfase,
                      const Values& values = {});

  // A clone of RstDestiOrdini (RstDestiFasi) on the given merged row, with
  // the given values written and saved, as the host's grid hands it over.
  std::shared_ptr<Recordset> EditMergedRow(const std::string& numreg, int progriga,
                                           const Values& values = {}, int fase = 0,
                                           int sfase = 0);
  std::shared_ptr<Recordset> EditMergedPhase(const std::string& numreg, int progriga, int fase,
                                             int sfase, const Values& values = {});

  // Enters `values` on a merged row and splits it back.
  void SplitOrders(const std::string& numreg, int progriga, const Values& values,
                   int32_t tipo_quantita = Vst_Quantita1, int fase = 0, int sfase = 0);
  void SplitPhase(const std::string& numreg, int progriga, int fase, int sfase,
                  const Values& values, int32_t tipo_quantita = Vst_Quantita1);

  std::string Origins(const std::vector<std::string>& columns) {
    return Render(*v.RstOrigOrdini, columns);
  }
  std::string Merged(const std::vector<std::string>& columns) {
    return Render(*v.RstDestiOrdini, columns);
  }
  std::string OriginPhases(const std::vector<std::string>& columns) {
    return Render(*v.RstOrigFasi, columns);
  }
  std::string MergedPhases(const std::vector<std::string>& columns) {
    return Render(*v.RstDestiFasi, columns);
  }

  static std::vector<FieldInfo> OrderFields();
  static std::vector<FieldInfo> PhaseFields();
  static std::vector<FieldInfo> LinkFields();
};

}  // namespace merge_test
}  // namespace zv

#endif  // ZV_TESTS_MERGE_MERGE_FIXTURE_H_
