#include "tests/merge/merge_fixture.h"

#include <stdexcept>

#include "merge/filter_text.h"

namespace zv {
namespace merge_test {

Decimal Qty(std::string_view text) {
  std::optional<Decimal> d = Decimal::Parse(text);
  if (!d) throw std::invalid_argument(std::string(text));
  return *d;
}

std::shared_ptr<Recordset> NewSet(const std::vector<FieldInfo>& fields) {
  auto rs = std::make_shared<Recordset>();
  for (const FieldInfo& f : fields) rs->AppendField(f);
  rs->cursor_location = ado::kUseClient;
  rs->cursor_type = ado::kOpenDynamic;
  rs->Open();
  return rs;
}

FieldInfo TextField(std::string name, int size) {
  FieldInfo f;
  f.name = std::move(name);
  f.type = ado::kChar;
  f.defined_size = size;
  return f;
}

FieldInfo NumberField(std::string name, int precision, int scale) {
  FieldInfo f;
  f.name = std::move(name);
  f.type = ado::kNumeric;
  f.defined_size = 19;
  f.precision = static_cast<uint8_t>(precision);
  f.numeric_scale = static_cast<uint8_t>(scale);
  return f;
}

void AddRow(Recordset& rs, const Values& values) {
  rs.AddNew();
  for (const auto& [name, value] : values) rs.SetValue(name, value);
  rs.Update();
}

std::string Render(Recordset& rs, const std::vector<std::string>& columns) {
  auto projection = std::make_shared<Recordset>();
  for (const std::string& c : columns) projection->AppendField(c, ado::kVariant);
  projection->Open();
  std::optional<Bookmark> position;
  if (!rs.Eof() && !rs.Bof()) position = rs.GetBookmark();
  if (rs.RecordCount() > 0) {
    rs.MoveFirst();
    while (!rs.Eof()) {
      projection->AddNew();
      for (const std::string& c : columns) {
        Variant value = rs.Value(c);
        if (value.type() == VarType::kDecimal) value = Variant(value.ToDecimal().Normalize());
        projection->SetValue(c, value);
      }
      projection->Update();
      rs.MoveNext();
    }
  }
  if (position) rs.SetBookmark(*position);
  return RenderRecordset(*projection);
}

MessageLog::MessageLog()
    : registration_(kMultilinguaProgId, [this]() -> std::shared_ptr<Dispatch> {
        auto service = std::make_shared<ExpandoObject>("CLSNX_MULTILINGUA");
        service->DefineMethod("ZMXMsgBox", [this](std::span<Variant> a) {
          shown.push_back(a[0].ToString() + "|" + a[1].ToString() + "|" + a[2].ToString());
          return Variant(int32_t{1});
        });
        service->DefineMethod("ZMXMsgBoxFromIdConParametri", [this](std::span<Variant> a) {
          shown.push_back("#" + a[0].ToString() + "|" + a[1].ToString() + "|" +
                          a[2].ToString() + "|" + a[3].Debug());
          return Variant(int32_t{1});
        });
        service->DefineMethod("ZMXMsgBoxFromId", [this](std::span<Variant> a) {
          shown.push_back("#" + a[0].ToString() + "|" + a[1].ToString() + "|" +
                          a[2].ToString());
          return Variant(int32_t{1});
        });
        return service;
      }) {}

std::vector<FieldInfo> MergedView::OrderFields() {
  std::vector<FieldInfo> fields = {
      TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0),
      NumberField("DO46_CODFASE", 5, 0), NumberField("DO46_PROGSFASE", 4, 0),
      TextField("SELEZ", 1),             TextField("DEPRIGA", 2),
      TextField("DEPFASEPREC", 2),       TextField("DESCR", 20)};
  for (const char* q : {"DO30_QTA1", "DO31_QTA1CONS", "SALDO", "DO31_QTA1TRASFDDTCL", "QTAORD",
                        "QTATRASF", "QTA2ORD", "QTA2TRASF", "QTADATRASF", "QTA2DATRASF",
                        "DO31_QTA2CONS", "QTA2DACONS", "WKQTA1ORD", "WKQTA2ORD", "DO30_QTA2",
                        "QTA2CONS"})
    fields.push_back(NumberField(q, 17, 6));
  return fields;
}

std::vector<FieldInfo> MergedView::PhaseFields() {
  std::vector<FieldInfo> fields = {
      TextField("DO46_NUMREG_CO99", 12), NumberField("DO46_PROGRIGA", 6, 0),
      NumberField("DO46_CODFASE", 5, 0), NumberField("DO46_PROGSFASE", 4, 0),
      TextField("DO46_SELEZ", 1),        NumberField("DO46_FLGSALDO", 1, 0),
      TextField("DO46_DEPVERSAM", 2),    TextField("DO46_DEPSCARTO", 2),
      NumberField("DO46_FLGSALDOORD", 1, 0), NumberField("DO46_FLGSALDOODL", 1, 0),
      TextField("DO46_DOCSCARTO", 12),   TextField("DO46_MACCHINAALT", 10),
      TextField("DESCR", 20)};
  for (const char* q : {"DO46_QTA1ORD", "DO46_QTA2ORD", "DO46_QTA1CONSOLID", "DO46_QTA2CONSOLID",
                        "DO46_QTADAAVANZ", "DO46_QTA2DAAVANZ", "DO46_QTA1SCARTO",
                        "DO46_QTA2SCARTO", "DO46_QTADASCART", "DO46_QTA2DASCART",
                        "DO46_QTA1CONSOLIDFP", "SALDO", "CONSEGNATO"})
    fields.push_back(NumberField(q, 17, 6));
  return fields;
}

std::vector<FieldInfo> MergedView::LinkFields() {
  return {TextField("ORIG_NUMREG", 12),     NumberField("ORIG_PROGRIGA", 6, 0),
          NumberField("ORIG_CODFASE", 5, 0), NumberField("ORIG_PROGSFASE", 4, 0),
          TextField("DESTI_NUMREG", 12),    NumberField("DESTI_PROGRIGA", 6, 0),
          NumberField("DESTI_CODFASE", 5, 0), NumberField("DESTI_PROGSFASE", 4, 0)};
}

MergedView::MergedView() {
  v.SetConnessione(conn);
  v.RstOrigOrdini = NewSet(OrderFields());
  v.RstDestiOrdini = NewSet(OrderFields());
  v.RstRiferimenti = NewSet(LinkFields());
  v.RstOrigFasi = NewSet(PhaseFields());
  v.RstDestiFasi = NewSet(PhaseFields());
}

namespace {

Values OrderKey(const std::string& numreg, int progriga, int fase, int sfase,
                const Values& values) {
  Values all = {{"DO11_NUMREG_CO99", Variant(numreg)},
                {"DO30_PROGRIGA", Variant(progriga)},
                {"DO46_CODFASE", Variant(fase)},
                {"DO46_PROGSFASE", Variant(sfase)}};
  all.insert(all.end(), values.begin(), values.end());
  return all;
}

Values PhaseKey(const std::string& numreg, int progriga, int fase, int sfase,
                const Values& values) {
  Values all = {{"DO46_NUMREG_CO99", Variant(numreg)},
                {"DO46_PROGRIGA", Variant(progriga)},
                {"DO46_CODFASE", Variant(fase)},
                {"DO46_PROGSFASE", Variant(sfase)}};
  all.insert(all.end(), values.begin(), values.end());
  return all;
}

std::shared_ptr<Recordset> Positioned(const std::shared_ptr<Recordset>& rs,
                                      const std::string& criteria, const Values& values) {
  auto row = rs->Clone();
  row->SetFilter(Variant(criteria));
  if (row->RecordCount() != 1) throw std::logic_error("no single row for " + criteria);
  for (const auto& [name, value] : values) row->SetValue(name, value);
  row->Update();
  return row;
}

}  // namespace

void MergedView::AddOrderRow(const std::string& numreg, int progriga, const Values& values,
                             int fase, int sfase) {
  AddRow(*v.RstOrigOrdini, OrderKey(numreg, progriga, fase, sfase, values));
}

void MergedView::AddMergedRow(const std::string& numreg, int progriga, const Values& values,
                              int fase, int sfase) {
  AddRow(*v.RstDestiOrdini, OrderKey(numreg, progriga, fase, sfase, values));
}

void MergedView::Link(const std::string& orig_numreg, int orig_progriga,
                      const std::string& desti_numreg, int desti_progriga, int orig_fase,
                      int orig_sfase, int desti_fase, int desti_sfase) {
  AddRow(*v.RstRiferimenti, {{"ORIG_NUMREG", Variant(orig_numreg)},
                             {"ORIG_PROGRIGA", Variant(orig_progriga)},
                             {"ORIG_CODFASE", Variant(orig_fase)},
                             {"ORIG_PROGSFASE", Variant(orig_sfase)},
                             {"DESTI_NUMREG", Variant(desti_numreg)},
                             {"DESTI_PROGRIGA", Variant(desti_progriga)},
                             {"DESTI_CODFASE", Variant(desti_fase)},
                             {"DESTI_PROGSFASE", Variant(desti_sfase)}});
}

void MergedView::AddOriginPhase(const std::string& numreg, int progriga, int fase, int sfase,
                                const Values& values) {
  AddRow(*v.RstOrigFasi, PhaseKey(numreg, progriga, fase, sfase, values));
}

void MergedView::AddMergedPhase(const std::string& numreg, int progriga, int fase, int sfase,
                                const Values& values) {
  AddRow(*v.RstDestiFasi, PhaseKey(numreg, progriga, fase, sfase, values));
}

std::shared_ptr<Recordset> MergedView::EditMergedRow(const std::string& numreg, int progriga,
                                                     const Values& values, int fase,
                                                     int sfase) {
  KeyFilter key;
  key.Text("DO11_NUMREG_CO99 = ", numreg).Number("DO30_PROGRIGA = ", progriga);
  key.Number("DO46_CODFASE = ", fase).Number("DO46_PROGSFASE = ", sfase);
  return Positioned(v.RstDestiOrdini, key.str(), values);
}

std::shared_ptr<Recordset> MergedView::EditMergedPhase(const std::string& numreg, int progriga,
                                                       int fase, int sfase,
                                                       const Values& values) {
  KeyFilter key;
  key.Text("DO46_NUMREG_CO99 = ", numreg).Number("DO46_PROGRIGA = ", progriga);
  key.Number("DO46_CODFASE = ", fase).Number("DO46_PROGSFASE = ", sfase);
  return Positioned(v.RstDestiFasi, key.str(), values);
}

void MergedView::SplitOrders(const std::string& numreg, int progriga, const Values& values,
                             int32_t tipo_quantita, int fase, int sfase) {
  v.RipartisciRigaAccorpataOrdiniExt(EditMergedRow(numreg, progriga, values, fase, sfase),
                                     tipo_quantita);
}

void MergedView::SplitPhase(const std::string& numreg, int progriga, int fase, int sfase,
                            const Values& values, int32_t tipo_quantita) {
  v.RipartisciRigaAccorpataExt(EditMergedPhase(numreg, progriga, fase, sfase, values),
                               tipo_quantita);
}

}  // namespace merge_test
}  // namespace zv
