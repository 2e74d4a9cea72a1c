// The T-SQL texts the business objects send to the database, with their
// spliced values filled in (company 1, article 'ART01', registration number
// '000000000042', row 3, grid tables as the planner names them). Shared by
// the parser and emitter tests.
#ifndef ZV_TESTS_TSQL_LIBRARY_STATEMENTS_H_
#define ZV_TESTS_TSQL_LIBRARY_STATEMENTS_H_

#include <string>
#include <vector>

namespace zv::tsql::testing {

struct LibraryStatement {
  std::string name;
  std::string sql;
};

inline std::string StartSubquery() {
  return std::string("    (SELECT (CASE WHEN SUM(INIZIO.MG5F_SIZE) IS NULL ") +
         "             THEN 1 " + "             ELSE SUM (INIZIO.MG5F_SIZE) + 1 END) " +
         "     FROM MG5F_DIMECONF AS INIZIO WITH (NOLOCK) " +
         "     WHERE INIZIO.MG5F_DITTA_CG18 = MG5F_DIMECONF.MG5F_DITTA_CG18 AND " +
         "           INIZIO.MG5F_CODICEVAR  < MG5F_DIMECONF.MG5F_CODICEVAR) AS MG5F_START";
}

inline std::string OptionExpr(const std::string& start, const std::string& size) {
  std::string extraction = " (SUBSTRING (DO30_OPZIONE_MG5E," + start + "," + size + ")) ";
  return " (CASE WHEN " + extraction + " = '' " + "       THEN '-' " + "       ELSE " +
         extraction + "       END) ";
}

inline std::string PhaseSelectPart() {
  return "SELECT DO46_DOCCORORDDET.*,\n"
         "       FNDO46.GRUPPO_FASIEST_CONSECUTIVE,\n"
         "       FNDO46.ULTIMA_FASEEST_CONSECUTIVA\n"
         ", CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTATRASF,\n"
         "  CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTADATRASF,\n"
         "  CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTACONSFASEPREC,\n"
         "  CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTA2TRASF,\n"
         "  CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTA2DATRASF,\n"
         "  CONVERT (DECIMAL(17,3),NULL)      AS FASE_QTA2CONSFASEPREC\n";
}

inline std::string PhaseFromPart() {
  return "FROM #DOCUMENTI AS ORIG\n"
         "OUTER APPLY (SELECT DO46_DITTA_CG18, DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET,\n"
         "                    GRUPPO_FASIEST_CONSECUTIVE, ULTIMA_FASEEST_CONSECUTIVA\n"
         "             FROM dbo.FNDO46_FASI_CONSECUTIVE ( 1, ORIG.DO11_NUMREG_CO99, "
         "ORIG.DO30_PROGRIGA)) AS FNDO46\n"
         "INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK)\n"
         "ON DO46_DOCCORORDDET.DO46_DITTA_CG18  = FNDO46.DO46_DITTA_CG18 AND\n"
         "   DO46_DOCCORORDDET.DO46_NUMREG_CO99 = FNDO46.DO46_NUMREG_CO99 AND\n"
         "   DO46_DOCCORORDDET.DO46_PROGRIGA    = FNDO46.DO46_PROGRIGA AND\n"
         "   DO46_DOCCORORDDET.DO46_PROGDET     = FNDO46.DO46_PROGDET\n";
}

inline std::string PhaseWherePart() {
  return "WHERE DO46_DOCCORORDDET.DO46_DITTA_CG18 = 1 AND "
         "DO46_DOCCORORDDET.DO46_NUMREG_CO99 IN ('000000000042', '000000000043')";
}

inline std::string GridNullColumns() {
  return "       NULL AS DO46_DATAINIZIO,\n       NULL AS DO46_DATAFINE,\n"
         "       NULL AS DO46_PROGDET,\n       NULL AS DO46_PROGSFASE_ORIG,\n"
         "       NULL AS DO46_CODSEQFASE,\n       NULL AS DO46_CODFASE_ORIG,\n"
         "       NULL AS DO46_FLGGENORDCLAV,\n       NULL AS DO46_QTA1ORD,\n"
         "       NULL AS DO46_CODREPARTO,\n       NULL AS DO46_CLIFOR_CG44,\n"
         "       NULL AS DO46_INDSTATOORD,\n       NULL AS GRUPPO_FASIEST_CONSECUTIVE,\n"
         "       NULL AS ULTIMA_FASEEST_CONSECUTIVA,\n       NULL AS FASE_MODIFICABILE,\n"
         "       NULL AS DO46_QTA2ORD,\n       NULL AS DO46_QTA1CONSOLID,\n"
         "       NULL AS DO46_QTA2CONSOLID,\n       NULL AS FASE_QTATRASF,\n"
         "       NULL AS FASE_QTADATRASF,\n       NULL AS FASE_QTACONSFASEPREC,\n"
         "       NULL AS FASE_QTA2TRASF,\n       NULL AS FASE_QTA2DATRASF,\n"
         "       NULL AS FASE_QTA2CONSFASEPREC,\n";
}

inline std::vector<LibraryStatement> LibraryStatements() {
  std::vector<LibraryStatement> s;
  // Work tables built from record sets.
  s.push_back({"drop_work_table",
               "IF OBJECT_ID('tempdb..#TabellaOrdini') IS NOT NULL    DROP TABLE #TabellaOrdini"});
  s.push_back({"drop_temp_table_not_null",
               "IF NOT OBJECT_ID('tempdb..#TabellaOrdiniDesti') IS NULL DROP TABLE "
               "#TabellaOrdiniDesti"});
  s.push_back({"create_work_table",
               "CREATE TABLE #TabellaOrdini (  N DECIMAL(10,0) NULL , I SMALLINT NULL , "
               "Q DECIMAL(19, 4) NULL , D DATETIME NULL , V SQL_VARIANT NULL , T TINYINT NULL , "
               "B BIGINT NULL , G uniqueidentifier NULL , "
               "DO11_NUMREG_CO99 CHAR(12) COLLATE DATABASE_DEFAULT NULL , "
               "W NVARCHAR(50) COLLATE DATABASE_DEFAULT NULL , "
               "S VARCHAR(30) COLLATE DATABASE_DEFAULT NULL , X varbinary NULL , "
               "DO30_PROGRIGA DECIMAL(6,0) NULL, SALDO DECIMAL(17,6) NULL)"});
  s.push_back({"reopen_orders", "SELECT * FROM #TabellaOrdini"});
  // Order-row and phase merge.
  s.push_back({"merge_destination_orders",
               "SELECT *, CONVERT(VARCHAR(8000),NULL) AS KEY_ACCORP, CONVERT (TINYINT,NULL) AS "
               "FLG_ACCORPATA INTO #TabellaOrdiniDesti FROM #TabellaOrdini WHERE 1=0"});
  s.push_back({"merge_phases_from_database",
               std::string("SELECT DO46_DOCCORORDDET.*, DO30_DOCCORPO.DO30_PROGPADRE, "
                           "CONVERT(DECIMAL(14,3),0) AS DO46_QTA1CONSOLIDFP ") +
                   "INTO #TabellaFasi FROM #TabellaOrdini " +
                   "INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) " +
                   "ON DO46_DOCCORORDDET.DO46_NUMREG_CO99 = DO11_NUMREG_CO99 AND " +
                   "   DO46_DOCCORORDDET.DO46_PROGRIGA    = DO30_PROGRIGA " +
                   "INNER JOIN DO30_DOCCORPO WITH (NOLOCK) " +
                   "ON DO30_DOCCORPO.DO30_DITTA_CG18  = DO46_DOCCORORDDET.DO46_DITTA_CG18 AND " +
                   "   DO30_DOCCORPO.DO30_NUMREG_CO99 = DO46_DOCCORORDDET.DO46_NUMREG_CO99 AND " +
                   "   DO30_DOCCORPO.DO30_PROGRIGA    = DO46_DOCCORORDDET.DO46_PROGRIGA " +
                   "WHERE DO46_DOCCORORDDET.DO46_DITTA_CG18 = 1"});
  s.push_back({"merge_destination_phases",
               "SELECT * INTO #TabellaFasiDesti FROM #TabellaFasi WHERE 1=0"});
  s.push_back({"variant_dimensions",
               "SELECT MG5F_CODICEVAR, MG5F_INDGRIGLIA FROM MG5F_DIMECONF WHERE MG5F_DITTA_CG18 "
               "= 1 ORDER BY MG5F_CODICEVAR"});
  s.push_back({"merge_procedure_call",
               "EXEC SPVESTARO_ACCORPA @CodiceDitta = 1, @PgmChiamante = 5, @IsRecordsetFasi = "
               "0, @StrOrdinamento = N'ORDER BY DO30_PROGRIGA', @StrOrdinamentoFasi = '', "
               "@Key_ProgRiga = 0, @Key_Variante = 2, @Key_A0 = 1"});
  s.push_back({"proposal_procedure_call",
               "EXEC SPVESTARO_ACCORPAPROP @CodiceDitta = 1, @PgmChiamante = 1, "
               "@StrOrdinamento = 'ORDER BY PD39_NUMPRO_PD31', @Key_DocumentoOrigine = 1, "
               "@Key_Variante = 0"});
  // Production size grid and component explosion.
  s.push_back({"grid_dimension_starts",
               "SELECT " + StartSubquery() + ",     MG5F_SIZE FROM MG5F_DIMECONF " +
                   "WHERE MG5F_DITTA_CG18  = 1 AND       ISNULL(MG5F_INDGRIGLIA,0) > 0"});
  s.push_back({"article_decimals",
               "SELECT MG66_INDDECQTA FROM MG66_ANAGRART WITH (NOLOCK) WHERE MG66_DITTA_CG18 = "
               "1 AND       MG66_CODART     = 'ART01'"});
  // Planning temporary tables.
  s.push_back({"planning_order_list",
               "SELECT STUFF ((SELECT DISTINCT ', ''' + CAST(DO11_NUMREG_CO99 AS VARCHAR(12)) + "
               "''''\n               FROM #DOCUMENTI\n               FOR XML PATH ('')), 1, 2, "
               "'') AS ELENCO"});
  s.push_back({"planning_phases_into",
               PhaseSelectPart() + "INTO #FASI " + PhaseFromPart() + PhaseWherePart()});
  s.push_back({"planning_phases_append",
               "INSERT INTO #FASI " + PhaseSelectPart() + " " + PhaseFromPart() +
                   PhaseWherePart()});
  s.push_back(
      {"planning_roots",
       "SELECT ID_RIGA AS GRD_ID_RIGA,\n"
       "       CONVERT (DECIMAL(10,0),0) AS GRD_ID_PADRE,\n       0 AS GRD_TIPORIGA,\n"
       "       DO11_DOCUM_MG36 AS GRD_DO11_DOCUM_MG36,\n"
       "       CONVERT (DECIMAL(1,0),9) AS GRD_SELEZ,\n"
       "       CONVERT (DECIMAL(2,0),9) AS GRD_ELABORATA,\n"
       "       CONVERT (VARCHAR(255), NULL) AS GRD_ESITO,\n"
       "       CONVERT (NVARCHAR(255), DO11_NUMREG_CO99) AS DOC_NUMREG, \n"
       "       CONVERT (DATETIME, NULL) AS DO46_DATAINIZIO,\n"
       "       CONVERT (DATETIME, NULL) AS DO46_DATAFINE,\n"
       "       CONVERT (DECIMAL(3,0), NULL) AS DO46_PROGDET,\n"
       "       CONVERT (DECIMAL(4,0), NULL) AS DO46_PROGSFASE_ORIG,\n"
       "       CONVERT (DECIMAL(5,0),NULL) AS DO46_CODSEQFASE,\n"
       "       CONVERT (DECIMAL(5,0),NULL) AS DO46_CODFASE_ORIG,\n"
       "       CONVERT (DECIMAL(1,0),NULL) AS DO46_FLGGENORDCLAV,\n"
       "       CONVERT (DECIMAL(14,3),NULL) AS DO46_QTA1ORD,\n"
       "       CONVERT (CHAR(5),NULL) AS DO46_CODREPARTO,\n"
       "       CONVERT (DECIMAL(8,0),NULL) AS DO46_CLIFOR_CG44,\n"
       "       CONVERT (TINYINT,NULL) AS DO46_INDSTATOORD,\n"
       "       CONVERT (DECIMAL(5,0),NULL) AS GRUPPO_FASIEST_CONSECUTIVE,\n"
       "       CONVERT (TINYINT,NULL) AS ULTIMA_FASEEST_CONSECUTIVA,\n"
       "       CONVERT (TINYINT,0) AS FASE_MODIFICABILE,\n"
       "       CONVERT (DECIMAL(14,3),NULL) AS DO46_QTA2ORD,\n"
       "       CONVERT (DECIMAL(14,3),NULL) AS DO46_QTA1CONSOLID,\n"
       "       CONVERT (DECIMAL(14,3),NULL) AS DO46_QTA2CONSOLID,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTATRASF,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTADATRASF,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTACONSFASEPREC,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTA2TRASF,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTA2DATRASF,\n"
       "       CONVERT (DECIMAL(17,3),NULL) AS FASE_QTA2CONSFASEPREC,\n"
       "       *\nINTO #GRIGLIA FROM #DOCUMENTI"});
  s.push_back({"planning_max_key", "SELECT MAX(GRD_ID_RIGA) AS GRD_ID_RIGA FROM #GRIGLIA"});
  s.push_back({"planning_detail_nodes",
               "INSERT INTO #GRIGLIA SELECT CONVERT (DECIMAL(10), 7 +  ROW_NUMBER() OVER (ORDER "
               "BY (SELECT NULL))) AS GRD_ID_RIGA,\n"
               "       ID_RIGA AS GRD_ID_PADRE,\n       1 AS GRD_TIPORIGA,\n"
               "       '' AS GRD_DO11_DOCUM_MG36,\n       9 AS GRD_SELEZ,\n"
               "       9 AS GRD_ELABORATA,\n       NULL AS GRD_ESITO,\n"
               "       'Riga' AS DOC_NUMREG, \n" +
                   GridNullColumns() + "       TEMP_DOCREC.*\nFROM #DOCUMENTI AS TEMP_DOCREC"});
  s.push_back(
      {"planning_phase_nodes",
       "INSERT INTO #GRIGLIA SELECT CONVERT (DECIMAL(10), 12 +  ROW_NUMBER() OVER (ORDER BY "
       "(SELECT NULL))) AS GRD_ID_RIGA,\n"
       "       ID_RIGA AS GRD_ID_PADRE,\n       2 AS GRD_TIPORIGA,\n"
       "       '' AS GRD_DO11_DOCUM_MG36,\n       0 AS GRD_SELEZ,\n       9 AS GRD_ELABORATA,\n"
       "       NULL AS GRD_ESITO,\n"
       "       CONVERT (NVARCHAR(255), PD07_REPARTO.PD07_DESCR) AS DOC_NUMREG, \n"
       "       DO46_DOCCORORDDET.DO46_DATAINIZIO AS DO46_DATAINIZIO,\n"
       "       DO46_DOCCORORDDET.DO46_DATAFINE AS DO46_DATAFINE,\n"
       "       DO46_DOCCORORDDET.DO46_PROGDET AS DO46_PROGDET,\n"
       "       DO46_DOCCORORDDET.DO46_PROGSFASE AS DO46_PROGSFASE_ORIG,\n"
       "       DO46_DOCCORORDDET.DO46_CODSEQFASE AS DO46_CODSEQFASE,\n"
       "       DO46_DOCCORORDDET.DO46_CODFASE AS DO46_CODFASE_ORIG,\n"
       "       DO46_DOCCORORDDET.DO46_FLGGENORDCLAV AS DO46_FLGGENORDCLAV,\n"
       "       DO46_DOCCORORDDET.DO46_QTA1ORD AS DO46_QTA1ORD,\n"
       "       DO46_DOCCORORDDET.DO46_CODREPARTO AS DO46_CODREPARTO,\n"
       "       DO46_DOCCORORDDET.DO46_CLIFOR_CG44 AS DO46_CLIFOR_CG44,\n"
       "       DO46_DOCCORORDDET.DO46_INDSTATOORD AS DO46_INDSTATOORD,\n"
       "       DO46_DOCCORORDDET.GRUPPO_FASIEST_CONSECUTIVE AS GRUPPO_FASIEST_CONSECUTIVE,\n"
       "       DO46_DOCCORORDDET.ULTIMA_FASEEST_CONSECUTIVA AS ULTIMA_FASEEST_CONSECUTIVA,\n"
       "       (CASE WHEN DO46_DOCCORORDDET.DO46_PROGSFASE = 0\n"
       "             THEN (CASE WHEN NUM_SOTTOFASI = 0\n"
       "                        THEN (CASE WHEN DO46_DOCCORORDDET.DO46_INDSTATOORD IN (0, 1) AND\n"
       "                                        DO46_DOCCORORDDET.DO46_INDSTATOMES IS NULL\n"
       "                                   THEN 1\n                                   ELSE 0\n"
       "                              END)\n                        ELSE 0\n"
       "                   END)\n             ELSE 0\n        END) AS FASE_MODIFICABILE,\n"
       "       DO46_DOCCORORDDET.DO46_QTA2ORD AS DO46_QTA2ORD,\n"
       "       DO46_DOCCORORDDET.DO46_QTA1CONSOLID AS DO46_QTA1CONSOLID,\n"
       "       DO46_DOCCORORDDET.DO46_QTA2CONSOLID AS DO46_QTA2CONSOLID,\n"
       "       DO46_DOCCORORDDET.FASE_QTATRASF AS FASE_QTATRASF,\n"
       "       DO46_DOCCORORDDET.FASE_QTADATRASF AS FASE_QTADATRASF,\n"
       "       DO46_DOCCORORDDET.FASE_QTACONSFASEPREC AS FASE_QTACONSFASEPREC,\n"
       "       DO46_DOCCORORDDET.FASE_QTA2TRASF AS FASE_QTA2TRASF,\n"
       "       DO46_DOCCORORDDET.FASE_QTA2DATRASF AS FASE_QTA2DATRASF,\n"
       "       DO46_DOCCORORDDET.FASE_QTA2CONSFASEPREC AS FASE_QTA2CONSFASEPREC,\n"
       "       TEMP_DOCREC.*\n"
       "FROM #DOCUMENTI AS TEMP_DOCREC\n"
       "INNER JOIN #FASI AS DO46_DOCCORORDDET WITH (NOLOCK)\n"
       "ON DO46_DOCCORORDDET.DO46_DITTA_CG18  = 1 AND\n"
       "   DO46_DOCCORORDDET.DO46_NUMREG_CO99 = DO11_NUMREG_CO99 AND\n"
       "   DO46_DOCCORORDDET.DO46_PROGRIGA    = DO30_PROGRIGA\n"
       "LEFT OUTER JOIN PD07_REPARTO WITH (NOLOCK)\n"
       "ON PD07_DITTA_CG18 = DO46_DOCCORORDDET.DO46_DITTA_CG18 AND\n"
       "   PD07_CODREP     = DO46_DOCCORORDDET.DO46_CODREPARTO\n"
       "LEFT OUTER JOIN PD08_MACCHINA WITH (NOLOCK)\n"
       "ON PD08_DITTA_CG18 = DO46_DOCCORORDDET.DO46_DITTA_CG18 AND\n"
       "   PD08_MACCHINA   = DO46_DOCCORORDDET.DO46_MACCHINAALT\n"
       "LEFT OUTER JOIN VCG16_CG44_ALLADATA AS VCG16_ANAGRALLADATA WITH (NOLOCK)\n"
       "ON VCG16_ANAGRALLADATA.VCG16_44_CF_DITTA  = 1 AND\n"
       "   VCG16_ANAGRALLADATA.VCG16_44_CF_TIPOCF = DO46_TIPOCF_CG44 AND\n"
       "   VCG16_ANAGRALLADATA.VCG16_44_CF_CLIFOR = DO46_CLIFOR_CG44 AND\n"
       "   DO11_DATADOC BETWEEN ISNULL(VCG16_ANAGRALLADATA.DATAINIZIOVALIDITA, DO11_DATADOC) "
       "AND\n"
       "                        ISNULL(VCG16_ANAGRALLADATA.DATAFINEVALIDITA  , DO11_DATADOC)\n"
       "OUTER APPLY (SELECT COUNT(*) AS NUM_SOTTOFASI\n"
       "             FROM #FASI AS DO46 WITH (NOLOCK)\n"
       "             WHERE DO46.DO46_DITTA_CG18  = 1 AND\n"
       "                   DO46.DO46_NUMREG_CO99 = DO46_DOCCORORDDET.DO46_NUMREG_CO99 AND\n"
       "                   DO46.DO46_PROGRIGA    = DO46_DOCCORORDDET.DO46_PROGRIGA AND\n"
       "                   DO46.DO46_CODSEQFASE  = DO46_DOCCORORDDET.DO46_CODSEQFASE AND\n"
       "                   DO46.DO46_PROGSFASE   > 0 AND\n"
       "                   DO46_DOCCORORDDET.DO46_PROGSFASE = 0 ) AS SOTTOFASI\n"
       "ORDER BY DO46_CODSEQFASE"});
  // Article descriptions per variant.
  std::string article_list =
      std::string("SELECT DISTINCT MG6B_CODART_MG66, MG87_DESCART, MG87_DESCARTEST ") +
      "FROM MG6B_GESVARART WITH (NOLOCK) " + "INNER JOIN MG66_ANAGRART WITH (NOLOCK) " +
      "ON MG66_DITTA_CG18 = MG6B_DITTA_CG18 AND " + "   MG66_CODART     = MG6B_CODART_MG66 " +
      "INNER JOIN MG87_ARTDESC WITH (NOLOCK) " + "ON MG87_DITTA_CG18   = MG6B_DITTA_CG18 AND " +
      "   MG87_CODART_MG66  = MG6B_CODART_MG66 AND " + "   MG87_OPZIONE_MG5E = '' AND ";
  std::string article_where = std::string("WHERE MG6B_DITTA_CG18  = 1 AND ") +
                              "      MG6B_FLGGESTVAR = 1" + " AND MG66_CODART LIKE 'A%'" +
                              " ORDER BY MG6B_CODART_MG66";
  s.push_back({"article_list", article_list + "   MG87_LINGUA_MG52  = 'IT' " + article_where});
  s.push_back({"article_list_base_language",
               article_list + "   MG87_LINGUA_MG52  = '' " + article_where});
  s.push_back({"drop_cross_table",
               "IF OBJECT_ID('tempdb..#TMP_CROSS') IS NOT NULL DROP TABLE #TMP_CROSS"});
  std::string dimensions = "SELECT *, " + StartSubquery() + " " + "FROM MG6B_GESVARART " +
                           "INNER JOIN MG5F_DIMECONF " +
                           "ON MG5F_DITTA_CG18 = MG6B_DITTA_CG18 AND " +
                           "   MG5F_CODICEVAR  = MG6B_CODICEVAR_MG5F " +
                           "WHERE MG6B_DITTA_CG18  = 1 AND " + "      MG6B_CODART_MG66 = 'ART01'";
  s.push_back({"article_dimensions", dimensions});
  std::string select_list = std::string("SELECT *, ") + "0 " + " AS SELEZ, " +
                            "       'ART01'  AS ARTICOLO, " +
                            "       CONVERT (NVARCHAR(72),NULL)     AS DESCART, " +
                            "       CONVERT (NVARCHAR(1672),NULL)   AS DESCARTEST, ";
  std::string variant =
      "STUFF ( STUFF ( STUFF (REPLICATE (' ', 20), 1, 3, OPZIONE_A0), 4, 2, OPZIONE_A1), 6, 4, "
      "OPZIONE_A2)";
  std::string from_list =
      std::string("(SELECT MG5E_OPZIONE AS OPZIONE_A0 ") + " FROM MG5E_OPZIONI " +
      " WHERE MG5E_DITTA_CG18     = 1 AND " + "       MG5E_CODICEVAR_MG5F = 'A0')" + " AS A0" +
      " CROSS JOIN " + "(SELECT MG5H_OPZIONE_MG5E AS OPZIONE_A1 " + "FROM MG5H_COMPRAGVAR " +
      " WHERE MG5H_DITTA_CG18     = 1 AND " + "       MG5H_CODICEVAR_MG5F = 'A1' AND " +
      "       MG5H_RAGGR_MG5G     = 'G1') " + " AS A1" + " CROSS JOIN " +
      "(SELECT CONVERT(CHAR(20),'') AS OPZIONE_A2)" + " AS A2";
  s.push_back({"cross_first_article",
               select_list + variant +
                   " AS VARIANTE, CAST( Null AS TINYINT) AS FLGVARVALIDA INTO #TMP_CROSS FROM " +
                   from_list});
  s.push_back({"cross_next_article",
               "INSERT INTO #TMP_CROSS " + select_list + variant +
                   " AS VARIANTE, CAST( Null AS TINYINT) AS FLGVARVALIDA FROM " + from_list});
  s.push_back({"description_preview",
               std::string("SELECT #TMP_CROSS.*, MG87_DITTA_CG18, MG87_DESCART AS "
                           "DESCRIZIONE_ATTUALE, MG87_DESCARTEST AS DESCRIZIONE_ESTESA_ATTUALE ") +
                   "FROM #TMP_CROSS " + "LEFT OUTER JOIN MG87_ARTDESC " +
                   "ON MG87_DITTA_CG18   = 1 AND " + "   MG87_CODART_MG66  = ARTICOLO AND " +
                   "   MG87_OPZIONE_MG5E = VARIANTE AND " + "   MG87_LINGUA_MG52  = 'IT' " +
                   "ORDER BY ARTICOLO, VARIANTE "});
  s.push_back({"company_languages",
               std::string("SELECT") + " MG52_CODLINGUA, MG52_DESCRLINGUA " + "FROM" +
                   " MG52_LINGUE WITH (NOLOCK) " + "INNER JOIN" +
                   " MG47_PARMAGLINGUE WITH (NOLOCK) " + "ON" + " MG47_DITTA_CG18 = 1 AND " +
                   " MG47_CODLINGUA_MG52 = MG52_CODLINGUA"});
  s.push_back({"temp_table_exists", "SELECT OBJECT_ID('tempdb..#TMP_CROSS')"});
  // Phase-change check.
  s.push_back(
      {"phase_check_work_table",
       std::string("SELECT DO46_DITTA_CG18 AS DITTA, DO46_NUMREG_CO99 AS NUMREG, DO30_PROGPADRE "
                   "AS PROGPADRE, ") +
           "       DO46_CODFASE AS CODFASE, DO46_PROGSFASE AS PROGSFASE, CONVERT(TINYINT, 0) AS "
           "FLAG_READONLY " +
           "INTO #DO46_VESTARO " + "FROM DO30_DOCCORPO WITH (NOLOCK) " +
           "INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) " +
           "ON DO46_DITTA_CG18  = DO30_DITTA_CG18 AND " +
           "   DO46_NUMREG_CO99 = DO30_NUMREG_CO99 AND " + "   DO46_PROGRIGA    = DO30_PROGRIGA " +
           "WHERE DO30_DITTA_CG18  = 1 AND " + "      DO30_NUMREG_CO99 = '000000000042' AND " +
           "      DO30_PROGRIGA    = 3"});
  s.push_back({"phase_check_siblings",
               std::string("SELECT STUFF ((SELECT ',' + CAST(DO30_PROGRIGA AS VARCHAR(50)) ") +
                   "FROM DO30_DOCCORPO WITH (NOLOCK) " + "WHERE DO30_DITTA_CG18  = 1 AND " +
                   "      DO30_NUMREG_CO99 = '000000000042' AND " +
                   "      DO30_PROGPADRE   = (SELECT TOP 1 DO30_PROGPADRE " +
                   "                          FROM DO30_DOCCORPO WITH (NOLOCK) " +
                   "                          WHERE DO30_DITTA_CG18  = 1 AND " +
                   "                                DO30_NUMREG_CO99 = '000000000042' AND " +
                   "                                DO30_PROGRIGA    = 3) " +
                   "FOR XML PATH ('')) , 1, 1, '')"});
  std::string list = "3,4";
  std::string state =
      std::string(";WITH CTE_DO46 AS ( ") + "     SELECT DO46_ORD.DO46_DITTA_CG18, " +
      "            DO46_ORD.DO46_NUMREG_CO99, " + "            DO46_ORD.DO46_PROGRIGA, " +
      "            DO46_ORD.DO46_PROGDET, " + "            DO46_ORD.DO46_CODFASE, " +
      "            DO46_ORD.DO46_PROGSFASE, " + "            DO46_ORD.DO46_FLGGENORDCLAV, " +
      "            DO46_ORD.DO46_INDSTATOORD " +
      "     FROM DO30_DOCCORPO AS DO30_ORD WITH (NOLOCK) " +
      "     INNER JOIN DO46_DOCCORORDDET AS DO46_ORD WITH (NOLOCK) " +
      "     ON DO46_ORD.DO46_DITTA_CG18  = DO30_ORD.DO30_DITTA_CG18 AND " +
      "        DO46_ORD.DO46_NUMREG_CO99 = DO30_ORD.DO30_NUMREG_CO99 AND " +
      "        DO46_ORD.DO46_PROGRIGA    = DO30_ORD.DO30_PROGRIGA " +
      "     WHERE DO30_ORD.DO30_DITTA_CG18  = 1 AND " +
      "           DO30_ORD.DO30_NUMREG_CO99 = '000000000042' AND " +
      "           DO30_ORD.DO30_PROGRIGA    IN (" + list + ")), " + "CTE_DDT AS ( " +
      "  SELECT DISTINCT DO33_DITTA_CG18       AS ORD_DITTA, " +
      "                  DO33_NUMREGRIF_CO99   AS ORD_NUMREG, " +
      "                  DO33_PROGRIGARIF_DO30 AS ORD_PROGRIGA, " +
      "                  DO30_CODFASE_PD12     AS DDT_CODFASE, " +
      "                  DO30_NUMREG_CO99      AS DDT_NUMREG " +
      "  FROM DO33_DOCCORPORIF WITH (NOLOCK) " + "  INNER JOIN DO11_DOCTESTATA WITH (NOLOCK) " +
      "  ON DO11_DITTA_CG18  = DO33_DITTA_CG18 AND " +
      "     DO11_NUMREG_CO99 = DO33_NUMREG_CO99 AND " + "     DO11_TIPODOC     = 25 AND " +
      "     DO11_STIPODOC    = 13 " + "  INNER JOIN DO30_DOCCORPO WITH (NOLOCK) " +
      "  ON DO30_DITTA_CG18  = DO11_DITTA_CG18 AND " + "     DO30_NUMREG_CO99 = DO11_NUMREG_CO99 " +
      "  WHERE DO33_DITTA_CG18       = 1 AND " +
      "        DO33_NUMREGRIF_CO99   = '000000000042' AND " +
      "        DO33_PROGRIGARIF_DO30 IN (" + list + ")), " + "CTE_LISTAP AS ( " +
      "  SELECT DISTINCT DO33_DITTA_CG18                  AS ORD_DITTA, " +
      "                  DO33_NUMREGRIF_CO99              AS ORD_NUMREG, " +
      "                  DO33_PROGRIGARIF_DO30            AS ORD_PROGRIGA, " +
      "                  DO46_LISTAP.DO46_CODFASE         AS LISTAP_CODFASE, " +
      "                  DO46_LISTAP.DO46_DESCRFASE       AS LISTAP_DESCRFASE, " +
      "                  DO46_LISTAP.DO46_NUMREG_CO99     AS LISTAP_NUMREG, " +
      "                  DO11_LISTAP.DO11_DOCUM_MG36      AS LISTAP_DOCUM, " +
      "                  DO11_LISTAP.DO11_SEZDOC          AS LISTAP_SEZDOC, " +
      "                  DO11_LISTAP.DO11_NUMDOC          AS LISTAP_NUMDOC, " +
      "                  DO11_LISTAP.DO11_DATADOC         AS LISTAP_DATADOC, " +
      "               (SELECT COUNT(*) FROM DO33_DOCCORPORIF AS DO33_DOCDALISTA WITH (NOLOCK) " +
      "                  INNER JOIN DO11_DOCTESTATA AS DO11_DOCDALISTA WITH (NOLOCK) " +
      "                  ON DO11_DOCDALISTA.DO11_DITTA_CG18  = DO33_DOCDALISTA.DO33_DITTA_CG18 "
      "AND " +
      "                     DO11_DOCDALISTA.DO11_NUMREG_CO99 = DO33_DOCDALISTA.DO33_NUMREG_CO99 "
      + "                  WHERE DO33_DOCDALISTA.DO33_DITTA_CG18 = DO11_LISTAP.DO11_DITTA_CG18 "
        "AND " +
      "                        DO33_DOCDALISTA.DO33_NUMREGRIF_CO99 = "
      "DO11_LISTAP.DO11_NUMREG_CO99 AND " +
      "                        DO33_DOCDALISTA.DO33_PROGRIGARIF_DO30 = "
      "DO46_LISTAP.DO46_PROGRIGA) AS NUM_DOCDALISTA " +
      "  FROM DO33_DOCCORPORIF AS DO33_LISTAP WITH (NOLOCK) " +
      "  INNER JOIN DO11_DOCTESTATA AS DO11_LISTAP WITH (NOLOCK) " +
      "  ON DO11_LISTAP.DO11_DITTA_CG18  = DO33_LISTAP.DO33_DITTA_CG18 AND " +
      "     DO11_LISTAP.DO11_NUMREG_CO99 = DO33_LISTAP.DO33_NUMREG_CO99 AND " +
      "     DO11_LISTAP.DO11_TIPODOC     = 14 AND " + "     DO11_LISTAP.DO11_STIPODOC    =  2 " +
      "  INNER JOIN DO46_DOCCORORDDET AS DO46_LISTAP WITH (NOLOCK) " +
      "  ON DO46_LISTAP.DO46_DITTA_CG18  = DO11_LISTAP.DO11_DITTA_CG18 AND " +
      "     DO46_LISTAP.DO46_NUMREG_CO99 = DO11_LISTAP.DO11_NUMREG_CO99 " +
      "  WHERE DO33_LISTAP.DO33_DITTA_CG18       = 1 AND " +
      "        DO33_LISTAP.DO33_NUMREGRIF_CO99   = '000000000042' AND " +
      "        DO33_LISTAP.DO33_PROGRIGARIF_DO30 IN (" + list + ")), " + "CTE_DO57 AS ( " +
      "  SELECT DISTINCT DO57_DITTA_CG18, DO57_NUMREG_CO99, DO57_PROGRIGA_DO46, "
      "DO57_PROGDET_DO46 " +
      "  FROM DO46_DOCCORORDDET AS DO46_ORD WITH (NOLOCK) " +
      "  INNER JOIN DO30_DOCCORPO AS DO30_ORD WITH (NOLOCK) " +
      "  ON DO30_ORD.DO30_DITTA_CG18  = DO46_ORD.DO46_DITTA_CG18 AND " +
      "     DO30_ORD.DO30_NUMREG_CO99 = DO46_ORD.DO46_NUMREG_CO99 AND " +
      "     DO30_ORD.DO30_PROGRIGA = DO46_ORD.DO46_PROGRIGA " +
      "  INNER JOIN DO57_DETAVANZ WITH (NOLOCK) " + "  ON DO57_DITTA_CG18 = DO46_DITTA_CG18 AND " +
      "     DO57_NUMREG_CO99 = DO46_NUMREG_CO99 AND " +
      "     DO57_PROGRIGA_DO46 = DO46_PROGRIGA AND " + "     DO57_PROGDET_DO46 = DO46_PROGDET " +
      "  WHERE DO46_DITTA_CG18  = 1 AND " + "        DO46_NUMREG_CO99 = '000000000042' AND " +
      "        DO57_PROGRIGA_DO46 IN (" + list + ") AND " + "        DO57_INDMOV IN (6, 7) )" +
      "  SELECT * FROM CTE_DO46 " + "  LEFT OUTER JOIN CTE_DDT " +
      "  ON CTE_DDT.ORD_DITTA    = CTE_DO46.DO46_DITTA_CG18 AND " +
      "     CTE_DDT.ORD_NUMREG   = CTE_DO46.DO46_NUMREG_CO99 AND " +
      "     CTE_DDT.ORD_PROGRIGA = CTE_DO46.DO46_PROGRIGA AND " +
      "     CTE_DDT.DDT_CODFASE  = CTE_DO46.DO46_CODFASE " + "  LEFT OUTER JOIN CTE_LISTAP " +
      "  ON CTE_LISTAP.ORD_DITTA      = CTE_DO46.DO46_DITTA_CG18 AND " +
      "     CTE_LISTAP.ORD_NUMREG     = CTE_DO46.DO46_NUMREG_CO99 AND " +
      "     CTE_LISTAP.ORD_PROGRIGA   = CTE_DO46.DO46_PROGRIGA AND " +
      "     CTE_LISTAP.LISTAP_CODFASE = CTE_DO46.DO46_CODFASE " + "  LEFT OUTER JOIN CTE_DO57 " +
      "  ON CTE_DO57.DO57_DITTA_CG18    = CTE_DO46.DO46_DITTA_CG18 AND " +
      "     CTE_DO57.DO57_NUMREG_CO99   = CTE_DO46.DO46_NUMREG_CO99 AND " +
      "     CTE_DO57.DO57_PROGRIGA_DO46 = CTE_DO46.DO46_PROGRIGA AND " +
      "     CTE_DO57.DO57_PROGDET_DO46  = CTE_DO46.DO46_PROGDET ";
  s.push_back({"phase_check_state", state});
  s.push_back({"phase_check_read", "SELECT * FROM #DO46_VESTARO"});
  // Variant combination grid viewer.
  s.push_back({"viewer_dimensions_combo",
               std::string("SELECT MG5F_CODICEVAR, MG5F_DESCR_VAR ") + "FROM MG6B_GESVARART " +
                   "INNER JOIN MG5F_DIMECONF " + "ON MG5F_DITTA_CG18 = MG6B_DITTA_CG18 AND " +
                   "   MG5F_CODICEVAR = MG6B_CODICEVAR_MG5F " + "WHERE MG6B_DITTA_CG18  = 1 AND " +
                   "      MG6B_CODART_MG66 = 'ART01' AND " + "      MG6B_FLGGESTVAR = 1"});
  s.push_back({"viewer_axes",
               "SELECT MG5F_CODICEVAR, " + StartSubquery() + ", " + "    MG5F_SIZE " +
                   "FROM MG6B_GESVARART " + "INNER JOIN MG5F_DIMECONF " +
                   "ON MG5F_DITTA_CG18 = MG6B_DITTA_CG18 AND " +
                   "   MG5F_CODICEVAR  = MG6B_CODICEVAR_MG5F " + "WHERE MG6B_DITTA_CG18  = 1 AND " +
                   "      MG6B_CODART_MG66 = 'ART01' AND " + "      MG6B_FLGGESTVAR = 1 " +
                   "ORDER BY MG5F_INDGRIGLIA DESC"});
  std::string h = OptionExpr("4", "2");
  std::string v = OptionExpr("1", "3");
  s.push_back({"viewer_horizontal_options",
               "SELECT DISTINCT " + h + " AS OPZIONE, MG5H_SEQOPZIONE AS ORDINAMENTO " + "FROM " +
                   "#TMP_WORK" + " " + "LEFT OUTER JOIN MG6B_GESVARART WITH (NOLOCK) " +
                   "ON MG6B_DITTA_CG18     = 1 AND " + "   MG6B_CODART_MG66    = 'ART01' AND " +
                   "   MG6B_CODICEVAR_MG5F = 'A1' " +
                   "LEFT OUTER JOIN MG5H_COMPRAGVAR WITH (NOLOCK) " +
                   "ON MG5H_DITTA_CG18     = MG6B_DITTA_CG18 AND " +
                   "   MG5H_CODICEVAR_MG5F = MG6B_CODICEVAR_MG5F AND " +
                   "   MG5H_RAGGR_MG5G     = MG6B_CODRAGGVAR_MG5G AND " +
                   "   MG5H_OPZIONE_MG5E   = " + h + "ORDER BY ORDINAMENTO, " + h});
  s.push_back({"viewer_first_option", "CREATE TABLE #TMP_VARIANTE1([S] SQL_VARIANT NULL)"});
  s.push_back({"viewer_next_option", "ALTER TABLE #TMP_VARIANTE1 ADD [M] SQL_VARIANT NULL"});
  s.push_back({"viewer_vertical_options",
               "SELECT DISTINCT " + v + " AS '" + "Colore" + "' , " +
                   "   (CASE WHEN MG5H_DESCR IS NULL THEN MG5E_DESCR ELSE MG5H_DESCR END) AS "
                   "DESCRIZIONE, " +
                   "    MG5H_SEQOPZIONE AS ORDINAMENTO " + "INTO " + "#TMP_VARIANTE2" + " " +
                   "FROM " + "#TMP_WORK" + " " + "LEFT OUTER JOIN MG5E_OPZIONI WITH (NOLOCK) " +
                   "ON MG5E_DITTA_CG18     = 1 AND " + "   MG5E_CODICEVAR_MG5F = 'A0' AND " +
                   "   MG5E_OPZIONE        = " + v + " " +
                   "LEFT OUTER JOIN MG6B_GESVARART WITH (NOLOCK) " +
                   "ON MG6B_DITTA_CG18     = MG5E_DITTA_CG18 AND " +
                   "   MG6B_CODART_MG66    = 'ART01' AND " +
                   "   MG6B_CODICEVAR_MG5F = MG5E_CODICEVAR_MG5F " +
                   "LEFT OUTER JOIN MG5H_COMPRAGVAR WITH (NOLOCK) " +
                   "ON MG5H_DITTA_CG18     = MG6B_DITTA_CG18 AND " +
                   "   MG5H_CODICEVAR_MG5F = MG6B_CODICEVAR_MG5F AND " +
                   "   MG5H_RAGGR_MG5G     = MG6B_CODRAGGVAR_MG5G AND " +
                   "   MG5H_OPZIONE_MG5E   = " + v + " " + "ORDER BY ORDINAMENTO, " + v});
  s.push_back({"viewer_pivot",
               "SELECT * INTO #TMP_CROSSVAR FROM #TMP_VARIANTE2 LEFT OUTER JOIN #TMP_VARIANTE1 "
               "ON 1=1"});
  s.push_back({"viewer_pivot_read", "SELECT * FROM #TMP_CROSSVAR"});
  return s;
}

}  // namespace zv::tsql::testing

#endif  // ZV_TESTS_TSQL_LIBRARY_STATEMENTS_H_
