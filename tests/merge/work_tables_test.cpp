// Work tables: the CREATE TABLE text built from a record set's fields, the
// extra columns per kind, the loading of the rows with the host's alias
// columns, and the toolkit routines around them.
#include <gtest/gtest.h>

#include <set>

#include "merge/work_tables.h"
#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::MessageLog;
using merge_test::NewSet;
using merge_test::NumberField;
using merge_test::Render;
using merge_test::TextField;
using Kind = ScriptedConnection::CallKind;

FieldInfo Field(std::string name, int type, int32_t size = 0, int precision = 0,
                int scale = 0) {
  FieldInfo f;
  f.name = std::move(name);
  f.type = type;
  f.defined_size = size;
  f.precision = static_cast<uint8_t>(precision);
  f.numeric_scale = static_cast<uint8_t>(scale);
  return f;
}

TEST(WorkTableDefinition, OneIntegerFieldWithoutExtras) {
  WorkTableDefinition def =
      DefineWorkTable({Field("N", ado::kInteger, 4, 10)}, "#T", Fb_Indefinita);
  EXPECT_EQ(def.statement, "CREATE TABLE #T (  N DECIMAL(10,0) NULL )");
  EXPECT_EQ(def.columns, std::vector<int>{0});
}

TEST(WorkTableDefinition, TypeTextsByFieldType) {
  struct Case {
    FieldInfo field;
    const char* text;
  };
  const Case cases[] = {
      {Field("A", ado::kSmallInt), " SMALLINT NULL "},
      {Field("A", ado::kUnsignedSmallInt), " SMALLINT NULL "},
      {Field("A", ado::kInteger, 4, 10), " DECIMAL(10,0) NULL "},
      {Field("A", ado::kDate), " DATETIME NULL "},
      {Field("A", ado::kDBTimeStamp), " DATETIME NULL "},
      {Field("A", ado::kLongVarWChar, 1000), " DATETIME NULL "},
      {Field("A", ado::kVariant), " SQL_VARIANT NULL "},
      {Field("A", ado::kNumeric, 19, 17, 6), " DECIMAL(17,6) NULL "},
      {Field("A", ado::kDecimal, 19, 0, 4), " DECIMAL(19, 4) NULL "},
      {Field("A", ado::kUnsignedTinyInt), " TINYINT NULL "},
      {Field("A", ado::kBigInt), " BIGINT NULL "},
      {Field("A", ado::kGUID, 16), " uniqueidentifier NULL "},
      {Field("A", ado::kChar, 12), " CHAR(12) COLLATE DATABASE_DEFAULT NULL "},
      {Field("A", ado::kVarWChar, 30), " NVARCHAR(30) COLLATE DATABASE_DEFAULT NULL "},
      {Field("A", ado::kLongVarChar, 8000), " VARCHAR(8000) COLLATE DATABASE_DEFAULT NULL "},
      {Field("A", ado::kVarBinary, 10), " varbinary NULL "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.field.type));
    std::optional<std::string> text = ColumnTypeText(c.field);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, c.text);
  }
  for (int type : {ado::kDouble, ado::kBoolean, ado::kCurrency, ado::kBinary}) {
    SCOPED_TRACE("type " + std::to_string(type));
    EXPECT_FALSE(ColumnTypeText(Field("A", type)).has_value());
  }
}

TEST(WorkTableDefinition, ExtraColumnsComeOnceAndOnlyWhenMissing) {
  EXPECT_EQ(ExtraColumns(Fb_Ordini).size(), 55u);
  EXPECT_EQ(ExtraColumns(Fb_Fasi).size(), 29u);
  EXPECT_EQ(ExtraColumns(Fb_Proposte).size(), 2u);
  EXPECT_TRUE(ExtraColumns(Fb_Componenti).empty());
  for (int32_t kind : {Fb_Ordini, Fb_Fasi}) {
    std::set<std::string> names;
    for (const ExtraColumn& c : ExtraColumns(kind)) {
      ASSERT_NE(c.name, nullptr);
      EXPECT_TRUE(names.insert(c.name).second) << c.name;
    }
  }

  // A source that has SALDO does not get a second one; one that has "saldo"
  // in lower case is another column and gets SALDO.
  std::string with = DefineWorkTable({Field("SALDO", ado::kNumeric, 19, 17, 6)}, "#T",
                                     Fb_Ordini).statement;
  EXPECT_EQ(with.find(" SALDO DECIMAL(17,6) NULL,"), std::string::npos);
  EXPECT_NE(with.find(" SALDO DECIMAL(17,6) NULL ,"), std::string::npos);
  std::string lower = DefineWorkTable({Field("saldo", ado::kNumeric, 19, 17, 6)}, "#T",
                                      Fb_Ordini).statement;
  EXPECT_NE(lower.find(" SALDO DECIMAL(17,6) NULL,"), std::string::npos);

  std::string phases = DefineWorkTable({}, "#F", Fb_Fasi).statement;
  EXPECT_EQ(phases.substr(0, 70),
            "CREATE TABLE #F (  DO46_QTA1ORD DECIMAL(17,6) NULL, DO46_QTA2ORD DECIM");
  EXPECT_NE(phases.find(" DO46_SELEZ CHAR(1) COLLATE DATABASE_DEFAULT NULL,"),
            std::string::npos);
  EXPECT_EQ(phases.substr(phases.size() - 35), ", DO30_PROGPADRE DECIMAL(6,0) NULL)");
}

// A host's order rows for a program that names columns its own way.
std::shared_ptr<Recordset> HostOrderRows() {
  auto rows = NewSet({TextField("NUMREG", 12), NumberField("PROGRIGA", 6, 0),
                      TextField("CODART", 25), NumberField("QTAORD", 17, 6)});
  AddRow(*rows, {{"NUMREG", Variant("OCL1")}, {"PROGRIGA", Variant(3)},
                 {"CODART", Variant("T-SHIRT")}, {"QTAORD", Variant(Decimal(5))}});
  AddRow(*rows, {{"NUMREG", Variant("OCL1")}, {"PROGRIGA", Variant(4)},
                 {"CODART", Variant("T-SHIRT")}, {"QTAORD", Variant(Decimal(7))}});
  return rows;
}

class CreaTabellaTempTest : public ::testing::Test {
 protected:
  CreaTabellaTempTest() { v.SetConnessione(conn); }
  // The table the work table's rows land in: the source's columns and the
  // database-named alias columns.
  std::shared_ptr<Recordset> DefineTable(const std::string& name,
                                         std::vector<FieldInfo> fields) {
    auto table = NewSet(fields);
    conn->DefineTable(name, table);
    return table;
  }

  MessageLog messages;
  CLSPD_VESTARO v;
  std::shared_ptr<ScriptedConnection> conn = std::make_shared<ScriptedConnection>();
};

TEST_F(CreaTabellaTempTest, DropsCreatesAndLoadsWithTheAliasColumns) {
  auto host = HostOrderRows();
  auto table = DefineTable(
      "#TabellaOrdini", {TextField("NUMREG", 12), NumberField("PROGRIGA", 6, 0),
                         TextField("CODART", 25), NumberField("QTAORD", 17, 6),
                         TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0),
                         TextField("DO30_CODART_MG66", 25)});
  v.PgmChiamante = FbGenerazioneDdtDaOCL;
  MergeTestPeer::CreaTabellaTemp(v, host, "#TabellaOrdini", Fb_Ordini);

  ASSERT_EQ(conn->calls().size(), 3u);
  EXPECT_EQ(conn->calls()[0].text,
            "IF OBJECT_ID('tempdb..#TabellaOrdini') IS NOT NULL    DROP TABLE #TabellaOrdini");
  const std::string& create = conn->calls()[1].text;
  const std::string head =
      "CREATE TABLE #TabellaOrdini (  NUMREG CHAR(12) COLLATE DATABASE_DEFAULT NULL , "
      "PROGRIGA DECIMAL(6,0) NULL , CODART CHAR(25) COLLATE DATABASE_DEFAULT NULL , QTAO";
  EXPECT_EQ(create.substr(0, head.size()), head);
  EXPECT_NE(create.find("QTAORD DECIMAL(17,6) NULL , SELEZ CHAR(1) COLLATE DATABASE_DEFAULT "
                        "NULL, DEPRIGA"),
            std::string::npos);
  // QTAORD came from the host; it is not added again.
  EXPECT_EQ(create.find(" QTAORD DECIMAL(17,6) NULL,"), std::string::npos);
  EXPECT_EQ(create.back(), ')');
  EXPECT_EQ(conn->calls()[1].options, 129);
  EXPECT_EQ(conn->calls()[2].kind, Kind::kOpenRecordset);
  EXPECT_EQ(conn->calls()[2].cursor_type, ado::kOpenKeyset);
  EXPECT_EQ(conn->calls()[2].lock_type, ado::kLockOptimistic);
  EXPECT_EQ(conn->calls()[2].options, ado::kCmdTable);

  EXPECT_EQ(Render(*table, {"NUMREG", "PROGRIGA", "DO11_NUMREG_CO99", "DO30_PROGRIGA",
                            "DO30_CODART_MG66", "QTAORD"}),
            "NUMREG|PROGRIGA|DO11_NUMREG_CO99|DO30_PROGRIGA|DO30_CODART_MG66|QTAORD\n"
            "\"OCL1\"|3D|\"OCL1\"|3D|\"T-SHIRT\"|5D\n"
            "\"OCL1\"|4D|\"OCL1\"|4D|\"T-SHIRT\"|7D\n");
  EXPECT_TRUE(host->Eof());
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CreaTabellaTempTest, ProgressQueryFillsTheRegisterNumberOnly) {
  auto host = NewSet({TextField("DO30_NUMREG_CO99", 12), TextField("CODART", 25)});
  AddRow(*host, {{"DO30_NUMREG_CO99", Variant("R9")}, {"CODART", Variant("X")}});
  auto table = DefineTable("#O", {TextField("DO30_NUMREG_CO99", 12), TextField("CODART", 25),
                                  TextField("DO11_NUMREG_CO99", 12),
                                  TextField("DO30_CODART_MG66", 25)});
  v.PgmChiamante = FbInterrogazioneAvanzamento;
  MergeTestPeer::CreaTabellaTemp(v, host, "#O", Fb_Ordini);
  EXPECT_EQ(Render(*table, {"DO11_NUMREG_CO99", "DO30_CODART_MG66"}),
            "DO11_NUMREG_CO99|DO30_CODART_MG66\n\"R9\"|Null\n");

  // Another program copies no alias at all.
  v.PgmChiamante = FbAvanzamentoOrdiniProduzione;
  MergeTestPeer::CreaTabellaTemp(v, host, "#O", Fb_Ordini);
  EXPECT_EQ(Render(*table, {"DO11_NUMREG_CO99"}), "DO11_NUMREG_CO99\n\"R9\"\nNull\n");
}

TEST_F(CreaTabellaTempTest, AFieldOfUnknownTypeIsReportedAndLeftOut) {
  auto host = NewSet({TextField("K", 4), Field("PESO", ado::kDouble, 8)});
  AddRow(*host, {{"K", Variant("a")}, {"PESO", Variant(1.5)}});
  auto table = DefineTable("#T", {TextField("K", 4)});
  MergeTestPeer::CreaTabellaTemp(v, host, "#T", Fb_Indefinita);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "#80606|16|CLSPD_VESTARO|Array(\"PESO\", 5)");
  EXPECT_EQ(conn->calls()[1].text,
            "CREATE TABLE #T (  K CHAR(4) COLLATE DATABASE_DEFAULT NULL )");
  EXPECT_EQ(Render(*table, {"K"}), "K\n\"a\"\n");
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST_F(CreaTabellaTempTest, AFailureIsReportedUnderItsOwnName) {
  conn->Expect(ScriptedConnection::TextStartsWith("CREATE TABLE"),
               ScriptedConnection::Response::Fail({1, "Syntax", "db", "42000", 102}));
  MergeTestPeer::CreaTabellaTemp(v, HostOrderRows(), "#T", Fb_Indefinita);
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "Syntax\r\n nella routine : CreaTabellaTemp|16|CLSPD_VESTARO");
}

TEST(EsisteCampo, ComparesNamesCaseSensitively) {
  CLSPD_VESTARO v;
  auto rs = NewSet({NumberField("SALDO", 17, 6)});
  EXPECT_TRUE(MergeTestPeer::EsisteCampo(v, rs, "SALDO"));
  EXPECT_FALSE(MergeTestPeer::EsisteCampo(v, rs, "saldo"));
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST(CopiaCampiAggiunti, FillsTheHostNamesOfMergedRows) {
  CLSPD_VESTARO v;
  v.SetConnessione(std::make_shared<ScriptedConnection>());
  v.RstDestiOrdini =
      NewSet({TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0),
              NumberField("DO46_CODFASE", 5, 0), TextField("NUMREG", 12),
              NumberField("PROGRIGA", 6, 0), NumberField("CODFASE", 5, 0),
              TextField("DO30_NUMREG_CO99", 12)});
  AddRow(*v.RstDestiOrdini, {{"DO11_NUMREG_CO99", Variant("M")},
                             {"DO30_PROGRIGA", Variant(1)},
                             {"DO46_CODFASE", Variant(20)}});
  AddRow(*v.RstDestiOrdini, {{"DO11_NUMREG_CO99", Variant("M")}, {"DO30_PROGRIGA", Variant(2)}});
  const std::vector<std::string> columns = {"NUMREG", "PROGRIGA", "CODFASE",
                                            "DO30_NUMREG_CO99"};

  v.PgmChiamante = FbGenerazioneOrdiniDaDocumenti;
  MergeTestPeer::CopiaCampiAggiunti(v);
  EXPECT_EQ(Render(*v.RstDestiOrdini, columns),
            "NUMREG|PROGRIGA|CODFASE|DO30_NUMREG_CO99\nNull|Null|Null|Null\nNull|Null|Null|Null\n");

  v.PgmChiamante = FbGenerazioneDdtDaODL;
  MergeTestPeer::CopiaCampiAggiunti(v);
  EXPECT_EQ(Render(*v.RstDestiOrdini, columns),
            "NUMREG|PROGRIGA|CODFASE|DO30_NUMREG_CO99\n"
            "\"M\"|1D|20D|Null\n"
            "\"M\"|2D|Null|Null\n");

  v.PgmChiamante = FbInterrogazioneAvanzamento;
  MergeTestPeer::CopiaCampiAggiunti(v);
  EXPECT_EQ(Render(*v.RstDestiOrdini, {"DO30_NUMREG_CO99"}), "DO30_NUMREG_CO99\n\"M\"\n\"M\"\n");
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST(ReopenRecordset, ReloadsTheViewFromTheWorkTables) {
  CLSPD_VESTARO v;
  auto conn = std::make_shared<ScriptedConnection>();
  v.SetConnessione(conn);
  v.NomeTabellaOrdini = "#TabellaOrdini";
  v.NomeTabellaOrdiniDesti = "#TabellaOrdiniDesti";
  v.NomeTabellaFasi = "#TabellaFasi";
  v.NomeTabellaFasiDesti = "#TabellaFasiDesti";
  auto rows = NewSet({TextField("K", 2)});
  conn->Always(ScriptedConnection::TextStartsWith("SELECT * FROM"),
               ScriptedConnection::Response::Rows(rows));
  auto old = NewSet({TextField("K", 2)});
  v.RstOrigOrdini = old;

  v.ReopenRecordset();
  EXPECT_EQ(conn->Texts(Kind::kOpenRecordset),
            (std::vector<std::string>{"SELECT * FROM #TabellaOrdini",
                                      "SELECT * FROM #TabellaOrdiniDesti"}));
  EXPECT_EQ(conn->calls()[0].cursor_type, ado::kOpenDynamic);
  EXPECT_EQ(conn->calls()[0].lock_type, ado::kLockOptimistic);
  EXPECT_EQ(old->State(), ado::kStateClosed);
  EXPECT_EQ(v.RstOrigOrdini, rows);
  EXPECT_FALSE(v.RstOrigFasi);

  conn->ClearCalls();
  v.IsRecordsetFasi = true;
  v.ReopenRecordset();
  EXPECT_EQ(conn->Texts(Kind::kOpenRecordset),
            (std::vector<std::string>{
                "SELECT * FROM #TabellaOrdini", "SELECT * FROM #TabellaOrdiniDesti",
                "SELECT * FROM #TabellaFasi", "SELECT * FROM #TabellaFasiDesti"}));
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

}  // namespace
}  // namespace zv
