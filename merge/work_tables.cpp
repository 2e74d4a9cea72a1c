// The temporary-table toolkit of the merge engine: a record set becomes a
// session work table (CreaTabellaTemp), merged rows get the host's alias
// columns back (CopiaCampiAggiunti), and the view is reloaded from the work
// tables (ReopenRecordset).
#include "merge/work_tables.h"

#include <array>
#include <utility>

#include "data/error.h"
#include "shell/clspd_vestaro.h"

namespace zv {
namespace {

constexpr const char* kText1 = "CHAR(1) COLLATE DATABASE_DEFAULT";
constexpr const char* kText2 = "CHAR(2) COLLATE DATABASE_DEFAULT";
constexpr const char* kText12 = "CHAR(12) COLLATE DATABASE_DEFAULT";
constexpr const char* kText20 = "CHAR(20) COLLATE DATABASE_DEFAULT";
constexpr const char* kText25 = "CHAR(25) COLLATE DATABASE_DEFAULT";
constexpr const char* kQty = "DECIMAL(17,6)";

constexpr std::array<ExtraColumn, 55> kOrderColumns = {{
    {"SELEZ", kText1},
    {"DEPRIGA", kText2},
    {"DEPFASEPREC", kText2},
    {"DO11_NUMREG_CO99", kText12},
    {"DO30_PROGRIGA", "DECIMAL(6,0)"},
    {"DO30_PROGPADRE", "DECIMAL(6,0)"},
    {"DO30_CODART_MG66", kText25},
    {"DO30_OPZIONE_MG5E", kText20},
    {"DO30_QTA1", kQty},
    {"DO31_QTA1CONS", kQty},
    {"SALDO", kQty},
    {"DO31_QTA1TRASFDDTCL", kQty},
    {"QTAORD", kQty},
    {"QTATRASF", kQty},
    {"QTADATRASF", kQty},
    {"QTA2DATRASF", kQty},
    {"QTACONSFASEPREC", kQty},
    {"QTA2CONSFASEPREC", kQty},
    {"DO30_CODDEP_MG58", kText2},
    {"DO31_DATACONS", "DATETIME"},
    {"DO41_CODPROGETTO", kText25},
    {"DO41_CODSPROGETTO", "DECIMAL(4,0)"},
    {"DO41_CODCOMMESSA", kText25},
    {"DO41_CODSCOMMESSA", "DECIMAL(4,0)"},
    {"DO46_CODFASE", "DECIMAL(5,0)"},
    {"DO46_PROGSFASE", "DECIMAL(4,0)"},
    {"DO30_CODFASE_PD12", "DECIMAL(5,0)"},
    {"DO31_QTA2CONS", kQty},
    {"QTA2DACONS", kQty},
    {"WKQTA1ORD", kQty},
    {"WKQTA2ORD", kQty},
    {"MG70_QGIACATT", kQty},
    {"MG70_QGIACEFF", kQty},
    {"MG70_QDISPONIB", kQty},
    {"ECCEDENZA", kQty},
    {"DO30_QTA1ORIG", kQty},
    {"QTA1_SULISTA", kQty},
    {"QTA1_SULISTA_ORIG", kQty},
    {"QTA1_SULISTATRASF", kQty},
    {"QTA1_AVANZATAFASEDIVERSAINTERNA", kQty},
    {"QTA2_AVANZATAFASEDIVERSAINTERNA", kQty},
    {"QTA1_INVIATAFASEDIVERSATERZISTA", kQty},
    {"QTA2_INVIATAFASEDIVERSATERZISTA", kQty},
    {"QTACONSFASEPREC_REALE", kQty},
    {"QTA2CONSFASEPREC_REALE", kQty},
    {"QTA2ORD", kQty},
    {"QTA2TRASF", kQty},
    {"PD96_QTAIMPEGNO", kQty},
    {"PD96_QTA2IMPEGNO", kQty},
    {"QTA1_PADRE", kQty},
    {"QTA2_PADRE", kQty},
    {"ODP_DO57_QTA1CONSOLID_LISTAP", kQty},
    {"ODP_DO46_QTA1ORD", kQty},
    {"QTA1_TEORICA", kQty},
    {"QTA1_RESIDUA", kQty},
}};

constexpr std::array<ExtraColumn, 29> kPhaseColumns = {{
    {"DO46_QTA1ORD", kQty},
    {"DO46_QTA2ORD", kQty},
    {"DO46_QTA1CONSOLID", kQty},
    {"DO46_QTA2CONSOLID", kQty},
    {"DO46_QTADAAVANZ", kQty},
    {"DO46_QTA2DAAVANZ", kQty},
    {"DO46_QTA1SCARTO", kQty},
    {"DO46_QTA2SCARTO", kQty},
    {"DO46_QTADASCART", kQty},
    {"DO46_QTA2DASCART", kQty},
    {"DO46_QTA1CONSOLIDFP", kQty},
    {"SALDO", kQty},
    {"CONSEGNATO", kQty},
    {"QTAINVTERZISTA", kQty},
    {"GIACTERZISTA", kQty},
    {"QTA2INVTERZISTA", kQty},
    {"GIAC2TERZISTA", kQty},
    {"DO46_SELEZ", kText1},
    {"DO46_QTA1CONSOLID_TOTFASE", kQty},
    {"DO46_QTA1SCARTO_TOTFASE", kQty},
    {"DO46_QTAPINVTERZ", kQty},
    {"DO46_QTA2PINVTERZ", kQty},
    {"FASE_QTATRASF", kQty},
    {"FASE_QTADATRASF", kQty},
    {"FASE_QTACONSFASEPREC", kQty},
    {"FASE_QTA2TRASF", kQty},
    {"FASE_QTA2DATRASF", kQty},
    {"FASE_QTA2CONSFASEPREC", kQty},
    {"DO30_PROGPADRE", "DECIMAL(6,0)"},
}};

constexpr std::array<ExtraColumn, 2> kProposalColumns = {{
    {"QTAPROP", "DECIMAL(14,3)"},
    {"QTAFATT", "DECIMAL(14,3)"},
}};

constexpr std::array<AliasColumn, 13> kDocumentGenerationAliases = {{
    {"DO11_NUMREG_CO99", "NUMREG"},
    {"DO30_PROGRIGA", "PROGRIGA"},
    {"DO30_PROGPADRE", "PROGPADRE"},
    {"DO30_CODART_MG66", "CODART"},
    {"DO30_OPZIONE_MG5E", "OPZIONE"},
    {"DO30_CODDEP_MG58", "DEPRIGA"},
    {"DO31_DATACONS", "DATACONS"},
    {"DO41_CODPROGETTO", "CODPROG"},
    {"DO41_CODSPROGETTO", "CODSPROG"},
    {"DO41_CODCOMMESSA", "CODCOM"},
    {"DO41_CODSCOMMESSA", "CODSCOM"},
    {"DO46_CODFASE", "CODFASE"},
    {"DO46_PROGSFASE", "PROGSFASE"},
}};

constexpr std::array<AliasColumn, 1> kProgressQueryAliases = {{
    {"DO11_NUMREG_CO99", "DO30_NUMREG_CO99"},
}};

// An integer field reports precision 10 when nobody gave it one (a set
// built in memory), as the data-access layer does for 32-bit integers.
int IntegerPrecision(const FieldInfo& field) {
  return field.precision != 0 ? field.precision : 10;
}

// The pairs (source field, table field) of the alias columns the source
// carries under the host's name.
std::vector<std::pair<int, int>> AliasCopies(const Recordset& source, const Recordset& target,
                                             int32_t pgm_chiamante, bool to_database) {
  std::vector<std::pair<int, int>> copies;
  for (const AliasColumn& alias : AliasColumns(pgm_chiamante)) {
    const char* from = to_database ? alias.host_name : alias.database_name;
    const char* to = to_database ? alias.database_name : alias.host_name;
    std::optional<int> src = source.FindField(from);
    std::optional<int> dst = target.FindField(to);
    // An alias the host's rows do not carry is left alone.
    if (src && dst) copies.emplace_back(*src, *dst);
  }
  return copies;
}

}  // namespace

std::optional<std::string> ColumnTypeText(const FieldInfo& field) {
  const std::string size = std::to_string(field.defined_size);
  switch (field.type) {
    case ado::kSmallInt:
    case ado::kUnsignedSmallInt:
      return " SMALLINT NULL ";
    case ado::kInteger:
      return " DECIMAL(" + std::to_string(IntegerPrecision(field)) + ",0) NULL ";
    case ado::kDate:
    case ado::kDBDate:
    case ado::kDBTime:
    case ado::kDBTimeStamp:
    // Long wide texts have no better column here; they travel as dates.
    case ado::kLongVarWChar:
      return " DATETIME NULL ";
    case ado::kVariant:
      return " SQL_VARIANT NULL ";
    case ado::kDecimal:
    case ado::kNumeric:
      if (field.precision != 0) {
        return " DECIMAL(" + std::to_string(field.precision) + "," +
               std::to_string(field.numeric_scale) + ") NULL ";
      }
      return " DECIMAL(" + size + ", " + std::to_string(field.numeric_scale) + ") NULL ";
    case ado::kTinyInt:
    case ado::kUnsignedTinyInt:
      return " TINYINT NULL ";
    case ado::kBigInt:
    case ado::kUnsignedBigInt:
      return " BIGINT NULL ";
    case ado::kGUID:
      return " uniqueidentifier NULL ";
    case ado::kChar:
      return " CHAR(" + size + ") COLLATE DATABASE_DEFAULT NULL ";
    case ado::kWChar:
    case ado::kVarWChar:
      return " NVARCHAR(" + size + ") COLLATE DATABASE_DEFAULT NULL ";
    case ado::kVarChar:
    case ado::kLongVarChar:
      return " VARCHAR(" + size + ") COLLATE DATABASE_DEFAULT NULL ";
    case ado::kVarBinary:
      return " varbinary NULL ";
    default:
      return std::nullopt;
  }
}

std::span<const ExtraColumn> ExtraColumns(int32_t kind) {
  switch (kind) {
    case Fb_Ordini:
      return kOrderColumns;
    case Fb_Fasi:
      return kPhaseColumns;
    case Fb_Proposte:
      return kProposalColumns;
    default:
      return {};
  }
}

std::span<const AliasColumn> AliasColumns(int32_t pgm_chiamante) {
  switch (pgm_chiamante) {
    case FbGenerazioneDdtDaOCL:
    case FbGenerazioneDdtDaODL:
      return kDocumentGenerationAliases;
    case FbInterrogazioneAvanzamento:
      return kProgressQueryAliases;
    default:
      return {};
  }
}

bool HasFieldNamed(const std::vector<FieldInfo>& fields, std::string_view name) {
  for (const FieldInfo& f : fields)
    if (f.name == name) return true;
  return false;
}

WorkTableDefinition DefineWorkTable(const std::vector<FieldInfo>& fields,
                                    std::string_view table, int32_t kind) {
  WorkTableDefinition def;
  def.statement = "CREATE TABLE ";
  def.statement += table;
  def.statement += " ( ";
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    std::optional<std::string> type = ColumnTypeText(fields[i]);
    if (!type) {
      def.unknown.push_back(i);
      continue;
    }
    def.statement += " " + fields[i].name + *type + ",";
    def.columns.push_back(i);
  }
  for (const ExtraColumn& extra : ExtraColumns(kind)) {
    if (HasFieldNamed(fields, extra.name)) continue;
    def.statement += " ";
    def.statement += extra.name;
    def.statement += " ";
    def.statement += extra.type;
    def.statement += " NULL,";
  }
  def.statement.back() = ')';
  return def;
}

std::string DropWorkTableStatement(std::string_view table) {
  std::string name(table);
  return "IF OBJECT_ID('tempdb.." + name + "') IS NOT NULL " + "   DROP TABLE " + name;
}

// --- CLSPD_VESTARO routines -------------------------------------------------------

Connection& CLSPD_VESTARO::RequireConnection() const {
  const std::shared_ptr<Connection>& connection = context_.Connessione();
  if (!connection) Raise(err::kObjectVariableNotSet);
  return *connection;
}

void CLSPD_VESTARO::CreaTabellaTemp(const std::shared_ptr<Recordset>& rst,
                                    const std::string& NomeTabella, int32_t TipoTabella) {
  Trap("CreaTabellaTemp", [&] {
    Connection& connection = RequireConnection();
    if (!rst) Raise(err::kObjectVariableNotSet);
    connection.Execute(DropWorkTableStatement(NomeTabella), nullptr,
                       ado::kCmdText | ado::kExecuteNoRecords);

    WorkTableDefinition def = DefineWorkTable(rst->Fields(), NomeTabella, TipoTabella);
    for (int i : def.unknown) {
      const FieldInfo& f = rst->Field(i);
      Variant parametri = MakeArray({Variant(f.name), Variant(int32_t{f.type})});
      ZMX_MSGBOX("campo non riconosciuto : " + f.name + " (tipo " + std::to_string(f.type) +
                     ")",
                 80606, 16, "CLSPD_VESTARO", &parametri);
    }
    connection.Execute(def.statement, nullptr, ado::kCmdText | ado::kExecuteNoRecords);

    std::shared_ptr<Recordset> table = connection.OpenRecordset(
        NomeTabella, ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
    if (!table) Raise(err::kObjectVariableNotSet);
    std::vector<std::pair<int, int>> copies;
    for (int i : def.columns)
      copies.emplace_back(i, table->FieldIndex(rst->Field(i).name));
    if (TipoTabella == Fb_Ordini) {
      for (const auto& alias : AliasCopies(*rst, *table, PgmChiamante, true))
        copies.push_back(alias);
    }
    if (rst->RecordCount() > 0) {
      rst->MoveFirst();
      while (!rst->Eof()) {
        table->AddNew();
        for (const auto& [src, dst] : copies) table->SetValue(dst, rst->Value(src));
        table->Update();
        rst->MoveNext();
      }
    }
    ChiudiRecordset(table);
  });
}

bool CLSPD_VESTARO::EsisteCampo(const std::shared_ptr<Recordset>& rst,
                                std::string_view NomeCampo) {
  bool found = false;
  Trap("EsisteCampo", [&] {
    if (!rst) Raise(err::kObjectVariableNotSet);
    found = HasFieldNamed(rst->Fields(), NomeCampo);
  });
  return found;
}

void CLSPD_VESTARO::CopiaCampiAggiunti() {
  Trap("CopiaCampiAggiunti", [&] {
    if (!RstDestiOrdini) Raise(err::kObjectVariableNotSet);
    Recordset& desti = *RstDestiOrdini;
    if (desti.RecordCount() == 0) return;
    std::vector<std::pair<int, int>> copies = AliasCopies(desti, desti, PgmChiamante, false);
    desti.MoveFirst();
    while (!desti.Eof()) {
      for (const auto& [src, dst] : copies) desti.SetValue(dst, desti.Value(src));
      desti.Update();
      desti.MoveNext();
    }
  });
}

void CLSPD_VESTARO::ReopenRecordset() {
  Trap("ReopenRecordset", [&] {
    Connection& connection = RequireConnection();
    auto reopen = [&](std::shared_ptr<Recordset>& field, const std::string& table) {
      ChiudiRecordset(field);
      field = connection.OpenRecordset("SELECT * FROM " + table, ado::kOpenDynamic,
                                       ado::kLockOptimistic, ado::kCmdText);
      if (!field) Raise(err::kObjectVariableNotSet);
      field->cursor_location = ado::kUseClient;
    };
    reopen(RstOrigOrdini, NomeTabellaOrdini);
    reopen(RstDestiOrdini, NomeTabellaOrdiniDesti);
    if (IsRecordsetFasi) {
      reopen(RstOrigFasi, NomeTabellaFasi);
      reopen(RstDestiFasi, NomeTabellaFasiDesti);
    }
  });
}

}  // namespace zv
