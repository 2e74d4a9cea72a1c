// A small ERP schema for the translator tests: the tables the business
// objects read, with the column types of the database, the documents table
// the planner is given, and the consecutive-phases function.
#ifndef ZV_TESTS_TSQL_ERP_CATALOG_H_
#define ZV_TESTS_TSQL_ERP_CATALOG_H_

#include <string>
#include <utility>
#include <vector>

#include "data/tsql/memory_catalog.h"
#include "data/tsql/parser.h"
#include "data/tsql/types.h"

namespace zv::tsql::testing {

inline SqlType T(const std::string& text) {
  return TypeFromName(ParseTypeName(text), TypeNameUse::kDeclaration);
}

inline TableDef Table(const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& cols) {
  TableDef t;
  t.name = name;
  t.temporary = !name.empty() && name[0] == '#';
  for (const auto& [n, type] : cols) t.columns.push_back({n, T(type), true, false});
  return t;
}

inline void AddErpTables(MemoryCatalog& c) {
  const std::string ditta = "DECIMAL(5,0)";
  c.AddTable(Table("DO30_DOCCORPO", {{"DO30_DITTA_CG18", ditta}, {"DO30_NUMREG_CO99", "CHAR(12)"},
      {"DO30_PROGRIGA", "DECIMAL(6,0)"}, {"DO30_PROGPADRE", "DECIMAL(6,0)"},
      {"DO30_CODFASE_PD12", "DECIMAL(5,0)"}, {"DO30_OPZIONE_MG5E", "CHAR(20)"},
      {"DO30_CODART_MG66", "CHAR(25)"}, {"DO30_QTA1", "DECIMAL(14,3)"}}));
  c.AddTable(Table("DO46_DOCCORORDDET", {{"DO46_DITTA_CG18", ditta},
      {"DO46_NUMREG_CO99", "CHAR(12)"}, {"DO46_PROGRIGA", "DECIMAL(6,0)"},
      {"DO46_PROGDET", "DECIMAL(3,0)"}, {"DO46_CODFASE", "DECIMAL(5,0)"},
      {"DO46_DESCRFASE", "VARCHAR(80)"}, {"DO46_PROGSFASE", "DECIMAL(4,0)"},
      {"DO46_FLGGENORDCLAV", "DECIMAL(1,0)"}, {"DO46_INDSTATOORD", "TINYINT"},
      {"DO46_INDSTATOMES", "TINYINT"}, {"DO46_CODSEQFASE", "DECIMAL(5,0)"},
      {"DO46_DATAINIZIO", "DATETIME"}, {"DO46_DATAFINE", "DATETIME"},
      {"DO46_QTA1ORD", "DECIMAL(14,3)"}, {"DO46_QTA2ORD", "DECIMAL(14,3)"},
      {"DO46_QTA1CONSOLID", "DECIMAL(14,3)"}, {"DO46_QTA2CONSOLID", "DECIMAL(14,3)"},
      {"DO46_CODREPARTO", "CHAR(5)"}, {"DO46_CLIFOR_CG44", "DECIMAL(8,0)"},
      {"DO46_TIPOCF_CG44", "CHAR(1)"}, {"DO46_MACCHINAALT", "CHAR(10)"}}));
  c.AddTable(Table("MG5F_DIMECONF", {{"MG5F_DITTA_CG18", ditta}, {"MG5F_CODICEVAR", "CHAR(2)"},
      {"MG5F_SIZE", "DECIMAL(2,0)"}, {"MG5F_INDGRIGLIA", "DECIMAL(1,0)"},
      {"MG5F_DESCR_VAR", "VARCHAR(40)"}}));
  c.AddTable(Table("MG66_ANAGRART", {{"MG66_DITTA_CG18", ditta}, {"MG66_CODART", "CHAR(25)"},
      {"MG66_INDDECQTA", "DECIMAL(1,0)"}}));
  c.AddTable(Table("MG6B_GESVARART", {{"MG6B_DITTA_CG18", ditta},
      {"MG6B_CODART_MG66", "CHAR(25)"}, {"MG6B_CODICEVAR_MG5F", "CHAR(2)"},
      {"MG6B_FLGGESTVAR", "DECIMAL(1,0)"}, {"MG6B_CODRAGGVAR_MG5G", "CHAR(10)"}}));
  c.AddTable(Table("MG87_ARTDESC", {{"MG87_DITTA_CG18", ditta}, {"MG87_CODART_MG66", "CHAR(25)"},
      {"MG87_OPZIONE_MG5E", "CHAR(20)"}, {"MG87_LINGUA_MG52", "CHAR(3)"},
      {"MG87_DESCART", "NVARCHAR(72)"}, {"MG87_DESCARTEST", "NVARCHAR(1672)"}}));
  c.AddTable(Table("MG5E_OPZIONI", {{"MG5E_DITTA_CG18", ditta}, {"MG5E_CODICEVAR_MG5F", "CHAR(2)"},
      {"MG5E_OPZIONE", "CHAR(20)"}, {"MG5E_DESCR", "VARCHAR(40)"}}));
  c.AddTable(Table("MG5H_COMPRAGVAR", {{"MG5H_DITTA_CG18", ditta},
      {"MG5H_CODICEVAR_MG5F", "CHAR(2)"}, {"MG5H_RAGGR_MG5G", "CHAR(10)"},
      {"MG5H_OPZIONE_MG5E", "CHAR(20)"}, {"MG5H_SEQOPZIONE", "DECIMAL(5,0)"},
      {"MG5H_DESCR", "VARCHAR(40)"}}));
  c.AddTable(Table("MG52_LINGUE", {{"MG52_CODLINGUA", "CHAR(3)"}, {"MG52_DESCRLINGUA", "VARCHAR(40)"}}));
  c.AddTable(Table("MG47_PARMAGLINGUE", {{"MG47_DITTA_CG18", ditta}, {"MG47_CODLINGUA_MG52", "CHAR(3)"}}));
  c.AddTable(Table("DO33_DOCCORPORIF", {{"DO33_DITTA_CG18", ditta}, {"DO33_NUMREG_CO99", "CHAR(12)"},
      {"DO33_NUMREGRIF_CO99", "CHAR(12)"}, {"DO33_PROGRIGARIF_DO30", "DECIMAL(6,0)"}}));
  c.AddTable(Table("DO11_DOCTESTATA", {{"DO11_DITTA_CG18", ditta}, {"DO11_NUMREG_CO99", "CHAR(12)"},
      {"DO11_TIPODOC", "DECIMAL(3,0)"}, {"DO11_STIPODOC", "DECIMAL(3,0)"},
      {"DO11_DOCUM_MG36", "CHAR(3)"}, {"DO11_SEZDOC", "CHAR(2)"}, {"DO11_NUMDOC", "DECIMAL(8,0)"},
      {"DO11_DATADOC", "DATETIME"}}));
  c.AddTable(Table("DO57_DETAVANZ", {{"DO57_DITTA_CG18", ditta}, {"DO57_NUMREG_CO99", "CHAR(12)"},
      {"DO57_PROGRIGA_DO46", "DECIMAL(6,0)"}, {"DO57_PROGDET_DO46", "DECIMAL(3,0)"},
      {"DO57_INDMOV", "DECIMAL(2,0)"}}));
  c.AddTable(Table("PD07_REPARTO", {{"PD07_DITTA_CG18", ditta}, {"PD07_CODREP", "CHAR(5)"},
      {"PD07_DESCR", "VARCHAR(40)"}}));
  c.AddTable(Table("PD08_MACCHINA", {{"PD08_DITTA_CG18", ditta}, {"PD08_MACCHINA", "CHAR(10)"}}));
  c.AddTable(Table("VCG16_CG44_ALLADATA", {{"VCG16_44_CF_DITTA", ditta},
      {"VCG16_44_CF_TIPOCF", "CHAR(1)"}, {"VCG16_44_CF_CLIFOR", "DECIMAL(8,0)"},
      {"DATAINIZIOVALIDITA", "DATETIME"}, {"DATAFINEVALIDITA", "DATETIME"}}));
  c.AddTable(Table("#DOCUMENTI", {{"ID_RIGA", "DECIMAL(10,0)"}, {"DO11_DOCUM_MG36", "CHAR(3)"},
      {"DO11_NUMREG_CO99", "CHAR(12)"}, {"DO30_PROGRIGA", "DECIMAL(6,0)"},
      {"DO11_DATADOC", "DATETIME"}}));
  c.AddTable(Table("#TMP_WORK", {{"DO30_PROGPADRE", "DECIMAL(6,0)"},
      {"DO30_OPZIONE_MG5E", "CHAR(20)"}, {"DO30_QTA1", "DECIMAL(14,3)"}}));
  auto fn = ParseBatchOrThrow(
      "CREATE FUNCTION dbo.FNDO46_FASI_CONSECUTIVE (@Ditta DECIMAL(5,0), @Numreg CHAR(12), "
      "@Progriga DECIMAL(6,0)) RETURNS TABLE AS RETURN (SELECT DO46_DITTA_CG18, "
      "DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET, CONVERT(DECIMAL(5,0), 0) AS "
      "GRUPPO_FASIEST_CONSECUTIVE, CONVERT(TINYINT, 0) AS ULTIMA_FASEEST_CONSECUTIVA FROM "
      "DO46_DOCCORORDDET WHERE DO46_DITTA_CG18 = @Ditta AND DO46_NUMREG_CO99 = @Numreg AND "
      "DO46_PROGRIGA = @Progriga)");
  c.AddRoutine(DescribeRoutine(*fn[0]));
}

}  // namespace zv::tsql::testing

#endif  // ZV_TESTS_TSQL_ERP_CATALOG_H_
