// The host side of a merge of production orders: the stored procedures
// deployed on the connection, and the order rows of the production-progress
// screen read in one query.
#include "apps/production_rows.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "shell/messages.h"

namespace zv::sample {
namespace {

constexpr int kExecuteOptions = ado::kCmdText | ado::kExecuteNoRecords;

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Upper(std::string_view word) {
  std::string out(word);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The words of a T-SQL text up to the first one `stop` accepts, with
// comments and quoted texts left out: enough to read the header of a
// CREATE statement. A bracketed name is one word with its brackets; a
// dotted name stays one word.
class HeaderReader {
 public:
  explicit HeaderReader(std::string_view text) : text_(text) {}

  // The next word, or "" at the end of the text.
  std::string Next() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "--") {
        const size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(pos_, 2) == "/*") {
        const size_t end = text_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
      } else if (c == '\'') {
        // A text: skipped whole, '' included.
        ++pos_;
        while (pos_ < text_.size()) {
          if (text_[pos_] == '\'' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\'')) break;
          pos_ += text_[pos_] == '\'' ? 2 : 1;
        }
        ++pos_;
      } else {
        return Word();
      }
    }
    return "";
  }

 private:
  std::string Word() {
    const size_t start = pos_;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '[') {
        const size_t end = text_.find(']', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
                 c == '@' || c == '#' || c == '$') {
        ++pos_;
      } else {
        break;
      }
    }
    // A lone punctuation character is a word of its own.
    if (pos_ == start) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// What a procedure script creates.
struct RoutineHeader {
  std::string kind;  // "PROCEDURE" or "FUNCTION"
  std::string name;  // as written: "SPVESTARO_ACCORPA", "dbo.FN", "[dbo].[FN]"
  bool replaces = false;  // CREATE OR ALTER / ALTER
};

// The routine the first CREATE (or ALTER) statement of a script makes, or
// nullopt when the script does not start with one.
std::optional<RoutineHeader> ReadRoutineHeader(std::string_view text) {
  HeaderReader reader(text);
  RoutineHeader header;
  std::string word = Upper(reader.Next());
  if (word == "ALTER") {
    header.replaces = true;
  } else if (word != "CREATE") {
    return std::nullopt;
  }
  word = Upper(reader.Next());
  if (word == "OR") {
    if (Upper(reader.Next()) != "ALTER") return std::nullopt;
    header.replaces = true;
    word = Upper(reader.Next());
  }
  if (word == "PROC" || word == "PROCEDURE") {
    header.kind = "PROCEDURE";
  } else if (word == "FUNCTION") {
    header.kind = "FUNCTION";
  } else {
    return std::nullopt;
  }
  header.name = reader.Next();
  if (header.name.empty()) return std::nullopt;
  return header;
}

// The order rows of the production-progress screen: one row per
// production-order row that carries phases (the size rows of a grid and the
// rows without one; a parent only holds totals).
//
// A row stands at its current phase (C): the first phase of its cycle that
// is not balanced, or its last phase once all are. Only phases that progress
// is recorded on count: a main phase without sub-phases, or a sub-phase. The
// phase before it (B) is the one whose good pieces it works: the previous
// phase in the cycle, skipping the current sub-phase's own main phase.
// QTAORD/QTATRASF are what the current phase was ordered and has advanced
// (good and scrapped pieces), QTACONSFASEPREC what the phase before passed
// on (the ordered quantity for the first phase), and QTADATRASF, the
// quantity proposed to advance, what was passed on and not yet worked. A
// row without phases stands for itself: ordered DO30_QTA1, advanced what
// was delivered. Each phase is found through its own key (company, register
// number, row, detail number), so the work per row does not grow with the
// company.
constexpr const char* kRowsQuery = R"sql(
SELECT Q.*,
       CONVERT(DECIMAL(14,3), CASE WHEN Q.QTACONSFASEPREC > Q.QTATRASF
            THEN Q.QTACONSFASEPREC - Q.QTATRASF ELSE 0 END) AS QTADATRASF,
       CONVERT(DECIMAL(14,3), CASE WHEN Q.QTA2CONSFASEPREC > Q.QTA2TRASF
            THEN Q.QTA2CONSFASEPREC - Q.QTA2TRASF ELSE 0 END) AS QTA2DATRASF
FROM (
SELECT R.DO30_NUMREG_CO99 AS DO11_NUMREG_CO99, R.DO30_PROGRIGA, R.DO30_PROGPADRE, R.DO30_FLGPADRE,
       R.DO30_CODART_MG66, R.DO30_OPZIONE_MG5E, R.DO30_UM1, R.DO30_CODDEP_MG58, R.DO30_CODFASE_PD12,
       O.DO31_DATACONS, O.DO31_INDSTATOCONS,
       P.DO41_CODPROGETTO, P.DO41_CODSPROGETTO, P.DO41_CODCOMMESSA, P.DO41_CODSCOMMESSA,
       C.DO46_PROGDET, C.DO46_CODFASE, C.DO46_PROGSFASE, C.DO46_DESCRFASE,
       CONVERT(CHAR(1), '0') AS SELEZ,
       R.DO30_CODDEP_MG58 AS DEPRIGA,
       CONVERT(CHAR(2), ISNULL(B.DO46_CODDEP_MG58, R.DO30_CODDEP_MG58)) AS DEPFASEPREC,
       R.DO30_QTA1, R.DO30_QTA2,
       CONVERT(DECIMAL(14,3), ISNULL(O.DO31_QTA1CONS, 0)) AS DO31_QTA1CONS,
       CONVERT(DECIMAL(14,3), ISNULL(O.DO31_QTA2CONS, 0)) AS DO31_QTA2CONS,
       CONVERT(DECIMAL(14,3), ISNULL(O.DO31_QTA1TRASFDDTCL, 0)) AS DO31_QTA1TRASFDDTCL,
       CONVERT(DECIMAL(14,3), ISNULL(R.DO30_QTA1, 0) - ISNULL(O.DO31_QTA1CONS, 0)) AS SALDO,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(R.DO30_QTA1, 0)
            ELSE ISNULL(C.DO46_QTA1ORD, 0) END) AS QTAORD,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(O.DO31_QTA1CONS, 0)
            ELSE ISNULL(C.DO46_QTA1CONSOLID, 0) + ISNULL(C.DO46_QTA1SCARTO, 0) END) AS QTATRASF,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(R.DO30_QTA1, 0)
            WHEN B.DO46_PROGDET IS NULL THEN ISNULL(C.DO46_QTA1ORD, 0)
            ELSE ISNULL(B.DO46_QTA1CONSOLID, 0) END) AS QTACONSFASEPREC,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(R.DO30_QTA2, 0)
            ELSE ISNULL(C.DO46_QTA2ORD, 0) END) AS QTA2ORD,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(O.DO31_QTA2CONS, 0)
            ELSE ISNULL(C.DO46_QTA2CONSOLID, 0) + ISNULL(C.DO46_QTA2SCARTO, 0) END) AS QTA2TRASF,
       CONVERT(DECIMAL(14,3), CASE WHEN C.DO46_PROGDET IS NULL THEN ISNULL(R.DO30_QTA2, 0)
            WHEN B.DO46_PROGDET IS NULL THEN ISNULL(C.DO46_QTA2ORD, 0)
            ELSE ISNULL(B.DO46_QTA2CONSOLID, 0) END) AS QTA2CONSFASEPREC,
       CONVERT(DECIMAL(14,3), 0) AS QTA2DACONS,
       CONVERT(DECIMAL(14,3), 0) AS WKQTA1ORD,
       CONVERT(DECIMAL(14,3), 0) AS WKQTA2ORD,
       G.DO30_QTA1 AS QTA1_PADRE, G.DO30_QTA2 AS QTA2_PADRE
FROM DO30_DOCCORPO R WITH (NOLOCK)
INNER JOIN DO11_DOCTESTATA T WITH (NOLOCK)
   ON T.DO11_DITTA_CG18 = R.DO30_DITTA_CG18 AND T.DO11_NUMREG_CO99 = R.DO30_NUMREG_CO99
LEFT JOIN DO31_DOCCORPOORD O WITH (NOLOCK)
   ON O.DO31_DITTA_CG18 = R.DO30_DITTA_CG18 AND O.DO31_NUMREG_CO99 = R.DO30_NUMREG_CO99
  AND O.DO31_PROGRIGA = R.DO30_PROGRIGA
LEFT JOIN DO41_DOCCORPOPROGE P WITH (NOLOCK)
   ON P.DO41_DITTA_CG18 = R.DO30_DITTA_CG18 AND P.DO41_NUMREG_CO99 = R.DO30_NUMREG_CO99
  AND P.DO41_PROGRIGA = R.DO30_PROGRIGA
LEFT JOIN DO30_DOCCORPO G WITH (NOLOCK)
   ON G.DO30_DITTA_CG18 = R.DO30_DITTA_CG18 AND G.DO30_NUMREG_CO99 = R.DO30_NUMREG_CO99
  AND G.DO30_PROGRIGA = R.DO30_PROGPADRE AND ISNULL(R.DO30_PROGPADRE, 0) > 0
LEFT JOIN DO46_DOCCORORDDET C WITH (NOLOCK)
   ON C.DO46_DITTA_CG18 = R.DO30_DITTA_CG18 AND C.DO46_NUMREG_CO99 = R.DO30_NUMREG_CO99
  AND C.DO46_PROGRIGA = R.DO30_PROGRIGA
  AND C.DO46_PROGDET = ISNULL(
        (SELECT MIN(F.DO46_PROGDET) FROM DO46_DOCCORORDDET F WITH (NOLOCK)
         WHERE F.DO46_DITTA_CG18 = R.DO30_DITTA_CG18 AND F.DO46_NUMREG_CO99 = R.DO30_NUMREG_CO99
           AND F.DO46_PROGRIGA = R.DO30_PROGRIGA AND ISNULL(F.DO46_INDSTATOORD, 0) <> 3
           AND NOT (ISNULL(F.DO46_PROGSFASE, 0) = 0 AND EXISTS (
                 SELECT 1 FROM DO46_DOCCORORDDET S WITH (NOLOCK)
                 WHERE S.DO46_DITTA_CG18 = F.DO46_DITTA_CG18
                   AND S.DO46_NUMREG_CO99 = F.DO46_NUMREG_CO99
                   AND S.DO46_PROGRIGA = F.DO46_PROGRIGA
                   AND S.DO46_CODSEQFASE = F.DO46_CODSEQFASE AND S.DO46_PROGSFASE > 0))),
        (SELECT MAX(F.DO46_PROGDET) FROM DO46_DOCCORORDDET F WITH (NOLOCK)
         WHERE F.DO46_DITTA_CG18 = R.DO30_DITTA_CG18 AND F.DO46_NUMREG_CO99 = R.DO30_NUMREG_CO99
           AND F.DO46_PROGRIGA = R.DO30_PROGRIGA))
LEFT JOIN DO46_DOCCORORDDET B WITH (NOLOCK)
   ON B.DO46_DITTA_CG18 = R.DO30_DITTA_CG18 AND B.DO46_NUMREG_CO99 = C.DO46_NUMREG_CO99
  AND B.DO46_PROGRIGA = C.DO46_PROGRIGA
  AND B.DO46_PROGDET = (SELECT MAX(F.DO46_PROGDET) FROM DO46_DOCCORORDDET F WITH (NOLOCK)
        WHERE F.DO46_DITTA_CG18 = R.DO30_DITTA_CG18 AND F.DO46_NUMREG_CO99 = C.DO46_NUMREG_CO99
          AND F.DO46_PROGRIGA = C.DO46_PROGRIGA AND F.DO46_PROGDET < C.DO46_PROGDET
          AND NOT (F.DO46_CODSEQFASE = C.DO46_CODSEQFASE AND ISNULL(F.DO46_PROGSFASE, 0) = 0))
WHERE R.DO30_DITTA_CG18 = @DITTA AND T.DO11_TIPODOC = 12 AND T.DO11_STIPODOC = 3
  AND ISNULL(R.DO30_FLGPADRE, 0) = 0 @ARTICOLO
) Q
ORDER BY Q.DO11_NUMREG_CO99, Q.DO30_PROGRIGA
)sql";

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

std::string DefaultProcedureDir() { return std::string(ZV_SOURCE_DIR) + "/db/procedures"; }

void CreateProcedures(Connection& connection, const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file() && it->path().extension() == ".sql") files.push_back(it->path());
  }
  if (error) throw std::runtime_error("cannot read the folder " + dir + ": " + error.message());
  // A fixed order, so that a failure always names the same script.
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::string text = ReadWholeFile(file);
    const std::optional<RoutineHeader> header = ReadRoutineHeader(text);
    if (!header) {
      throw std::runtime_error(file.string() + " does not create a procedure or a function");
    }
    if (!header->replaces) {
      connection.Execute("IF OBJECT_ID('" + QuoteForSql(header->name) + "') IS NOT NULL DROP " +
                             header->kind + " " + header->name,
                         nullptr, kExecuteOptions);
    }
    connection.Execute(text, nullptr, kExecuteOptions);
  }
}

std::shared_ptr<Recordset> ProductionOrderRows(Connection& connection, int32_t company,
                                               std::string_view article) {
  std::string sql = kRowsQuery;
  ReplaceAll(sql, "@DITTA", std::to_string(company));
  ReplaceAll(sql, "@ARTICOLO",
             article.empty() ? std::string()
                             : "AND R.DO30_CODART_MG66 = '" + QuoteForSql(article) + "'");
  std::shared_ptr<Recordset> rows =
      connection.OpenRecordset(sql, ado::kOpenStatic, ado::kLockBatchOptimistic, ado::kCmdText);
  if (!rows) throw std::runtime_error("the production-order query returned no result");
  return rows;
}

std::string BusiestModel(Connection& connection, int32_t company) {
  const std::string ditta = std::to_string(company);
  std::shared_ptr<Recordset> rs = connection.OpenRecordset(
      "SELECT TOP 1 R.DO30_CODART_MG66, COUNT(*) AS RIGHE "
      "FROM DO30_DOCCORPO R WITH (NOLOCK) "
      "INNER JOIN DO11_DOCTESTATA T WITH (NOLOCK) "
      "ON T.DO11_DITTA_CG18 = R.DO30_DITTA_CG18 AND T.DO11_NUMREG_CO99 = R.DO30_NUMREG_CO99 "
      "WHERE R.DO30_DITTA_CG18 = " + ditta + " AND T.DO11_TIPODOC = 12 AND T.DO11_STIPODOC = 3 "
      "AND ISNULL(R.DO30_FLGPADRE, 0) = 0 AND ISNULL(R.DO30_PROGPADRE, 0) > 0 "
      "GROUP BY R.DO30_CODART_MG66 "
      "ORDER BY COUNT(*) DESC, R.DO30_CODART_MG66",
      ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
  if (!rs || rs->RecordCount() == 0) return "";
  rs->MoveFirst();
  std::string article = rs->Value("DO30_CODART_MG66").ToString();
  while (!article.empty() && article.back() == ' ') article.pop_back();
  return article;
}

}  // namespace zv::sample
