// The T-SQL string functions and the collation, with the results SQL
// Server gives.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "data/text_compare.h"
#include "tests/sqlite/sqlite_fixture.h"

namespace zv::sqlite {
namespace {

using testing::SqliteTest;

struct Case {
  const char* expr;
  const char* expected;
};

class TextFunctionsTest : public SqliteTest {
 protected:
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.expr);
      EXPECT_EQ(Eval(c.expr), c.expected);
    }
  }
};

TEST_F(TextFunctionsTest, LengthsCountCharactersWithoutTrailingBlanks) {
  Check({{"tsql_len('ab  ')", "2"},
         {"tsql_len('  ab')", "4"},
         {"tsql_len('')", "0"},
         {"tsql_len('   ')", "0"},
         {"tsql_len('àé')", "2"},
         {"tsql_len(123)", "3"},
         {"tsql_len(1.5)", "3"},
         {"tsql_len(NULL)", "NULL"}});
}

TEST_F(TextFunctionsTest, StuffReplicateCharindex) {
  Check({{"tsql_stuff('abcdef', 2, 3, 'XY')", "'aXYef'"},
         {"tsql_stuff(',a,b', 1, 1, '')", "'a,b'"},
         {"tsql_stuff('abc', 2, 10, NULL)", "'a'"},
         {"tsql_stuff('abc', 4, 0, 'x')", "NULL"},
         {"tsql_stuff('abc', 0, 1, 'x')", "NULL"},
         {"tsql_stuff('abc', 1, -1, 'x')", "NULL"},
         // The start is checked against the whole length, blanks included.
         {"tsql_stuff(tsql_replicate(' ', 20), 5, 3, 'abc')", "'    abc             '"},
         {"tsql_stuff(NULL, 1, 1, '')", "NULL"},
         {"tsql_replicate('ab', 3)", "'ababab'"},
         {"tsql_replicate('x', 0)", "''"},
         {"tsql_replicate('x', -1)", "NULL"},
         {"tsql_charindex('b', 'abcb')", "2"},
         {"tsql_charindex('B', 'abcb', 3)", "4"},
         {"tsql_charindex('b', 'abc', 0)", "2"},
         {"tsql_charindex('z', 'abc')", "0"},
         {"tsql_charindex('', 'abc')", "0"},
         {"tsql_charindex('É', 'café')", "4"},
         {"tsql_charindex('e', 'café')", "0"},
         {"tsql_charindex(NULL, 'abc')", "NULL"}});
}

TEST_F(TextFunctionsTest, SlicesAndTrims) {
  Check({{"tsql_left('abcdef', 3)", "'abc'"},
         {"tsql_left('ab', 5)", "'ab'"},
         {"tsql_left('àèìò', 2)", "'àè'"},
         {"tsql_left(12345, 2)", "'12'"},
         {"tsql_right('abcdef', 2)", "'ef'"},
         {"tsql_right('ab', 5)", "'ab'"},
         {"tsql_right('àèìò', 1)", "'ò'"},
         {"tsql_substring('abcdef', 2, 3)", "'bcd'"},
         {"tsql_substring('abc', 0, 2)", "'a'"},
         {"tsql_substring('abc', -1, 2)", "''"},
         {"tsql_substring('abc', 3, 10)", "'c'"},
         {"tsql_substring('abc', 5, 1)", "''"},
         {"tsql_ltrim('  a  ')", "'a  '"},
         {"tsql_rtrim('  a  ')", "'  a'"},
         {"tsql_rtrim('   ')", "''"}});
}

TEST_F(TextFunctionsTest, CaseMappingReplacePaddingConcat) {
  Check({{"tsql_upper('àbç ÿ')", "'ÀBÇ Ÿ'"},
         {"tsql_lower('ÀBÇ Ž')", "'àbç ž'"},
         {"tsql_replace('aBcabc', 'b', 'X')", "'aXcaXc'"},
         {"tsql_replace('abc', '', 'x')", "'abc'"},
         {"tsql_replace('Città', 'À', 'a')", "'Citta'"},
         {"tsql_replace('a  b', ' ', '')", "'ab'"},
         {"tsql_replace('abc', 'b', NULL)", "NULL"},
         {"tsql_padchar('ab', 5)", "'ab   '"},
         {"tsql_padchar('àb', 3)", "'àb '"},
         {"tsql_padchar('abcdef', 3)", "'abc'"},
         {"tsql_padchar('ab    ', 3, 1)", "'ab '"},
         {"tsql_padchar(12, 4)", "'12  '"},
         {"tsql_padchar(NULL, 4)", "NULL"},
         {"tsql_concat('a', 'b')", "'ab'"},
         {"tsql_concat('x', 1)", "'x1'"},
         {"tsql_concat('a', NULL)", "NULL"}});
}

TEST_F(TextFunctionsTest, ErrorsCarryTheirNumbers) {
  EXPECT_EQ(ErrorOf("SELECT tsql_left('abc', -1)"),
            "42000/536: Invalid length parameter passed to the left function.");
  EXPECT_EQ(ErrorOf("SELECT tsql_substring('abc', 1, -1)"),
            "42000/537: Invalid length parameter passed to the LEFT or SUBSTRING function.");
  EXPECT_EQ(ErrorOf("SELECT tsql_padchar('abcd', 2, 1)"),
            "22001/8152: String or binary data would be truncated.");
  EXPECT_EQ(ErrorOf("SELECT tsql_left('abc', 'x')"),
            "22018/245: Conversion failed when converting the varchar value 'x' to data "
            "type int.");
}

TEST_F(TextFunctionsTest, NewIdIsAnUppercaseVersion4Guid) {
  std::string a = Eval("tsql_newid()");
  std::string b = Eval("tsql_newid()");
  EXPECT_NE(a, b);
  ASSERT_EQ(a.size(), 38u);  // quoted
  EXPECT_EQ(a[15], '4');
  EXPECT_EQ(a.find_first_of("abcdef"), std::string::npos);
}

struct LikeCase {
  const char* text;
  const char* pattern;
  int expected;
};

TEST_F(TextFunctionsTest, LikeFollowsTsqlPatterns) {
  const LikeCase cases[] = {
      {"abc", "a%", 1},        {"ABC", "a_c", 1},       {"abc", "a[bx]c", 1},
      {"abc", "a[^b]c", 0},    {"adc", "a[^b]c", 1},    {"abc", "a[a-c]c", 1},
      {"adc", "a[a-c]c", 0},   {"aBc", "a[a-c]c", 1},   {"a%c", "a[%]c", 1},
      {"abc", "a[%]c", 0},     {"a_c", "a[_]c", 1},     {"àbc", "À%", 1},
      {"abc", "à%", 0},        {"abc", "%b%", 1},       {"ab", "%b%c", 0},
      {"", "%", 1},            {"x", "", 0},            {"b", "[]b]", 1},
      {"a-", "a[-x]", 1},      {"abcabd", "%ab_", 1},   {"abcabd", "a%c", 0},
      // Trailing blanks of the text may stay unmatched; the pattern's may not.
      {"abc  ", "abc", 1},     {"abc", "abc ", 0},      {"abc ", "abc ", 1},
      {"abc  ", "%c", 1},
  };
  for (const LikeCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " LIKE " + c.pattern);
    Statement st = db_->Prepare("SELECT tsql_like(?1, ?2)");
    st.BindText(1, c.text);
    st.BindText(2, c.pattern);
    ASSERT_TRUE(st.Step());
    EXPECT_EQ(st.ColumnInt64(0), c.expected);
  }
  EXPECT_EQ(Eval("tsql_like('10%', '10!%', '!')"), "1");
  EXPECT_EQ(Eval("tsql_like('105', '10!%', '!')"), "0");
  EXPECT_EQ(Eval("tsql_like(NULL, 'a')"), "NULL");
}

TEST_F(TextFunctionsTest, LikePatternOfAColumnChangesPerRow) {
  db_->Execute(
      "CREATE TABLE p(s TEXT, pat TEXT);"
      "INSERT INTO p VALUES('abc', 'a%'), ('abc', 'b%'), ('xbc', '_b%');");
  EXPECT_EQ(Query("SELECT tsql_like(s, pat) FROM p"), "1\n0\n1");
}

// --- Collation ----------------------------------------------------------------

class CollationTest : public SqliteTest {
 protected:
  void SetUp() override {
    db_->Execute(
        "CREATE TABLE t(k TEXT COLLATE TSQLCI);"
        "INSERT INTO t VALUES('abc'), ('ABC  '), ('Abd'), ('àbc'), ('b'), ('ÀBC');");
  }
};

TEST_F(CollationTest, EqualityIgnoresCaseAndTrailingBlanksButNotAccents) {
  EXPECT_EQ(Query("SELECT count(*) FROM t WHERE k = 'abc'"), "2");
  EXPECT_EQ(Query("SELECT count(*) FROM t WHERE k = 'àbc   '"), "2");
  EXPECT_EQ(Query("SELECT count(*) FROM t WHERE k <> 'ABC'"), "4");
  EXPECT_EQ(Query("SELECT ('a' || '') = 'A  ' COLLATE TSQLCI"), "1");
}

TEST_F(CollationTest, GroupingAndDistinctMergeEqualTexts) {
  EXPECT_EQ(Query("SELECT count(DISTINCT k) FROM t"), "4");
  EXPECT_EQ(Query("SELECT tsql_upper(tsql_rtrim(min(k))), count(*) FROM t GROUP BY k ORDER BY k"),
            "'ABC'|2\n'ÀBC'|2\n'ABD'|1\n'B'|1");
}

TEST_F(CollationTest, OrderPutsAccentedLettersAfterTheirBaseLetter) {
  db_->Execute("CREATE TABLE o(k TEXT COLLATE TSQLCI);"
               "INSERT INTO o VALUES('f'), ('é'), ('E'), ('eb'), ('éa'), ('z'), ('_'), ('1');");
  EXPECT_EQ(Query("SELECT group_concat(k, ' ') FROM (SELECT k FROM o ORDER BY k)"),
            "'1 _ E é éa eb f z'");
}

TEST_F(CollationTest, PrimaryKeyRejectsKeysEqualUnderTheCollation) {
  db_->Execute("CREATE TABLE u(k TEXT COLLATE TSQLCI PRIMARY KEY);"
               "INSERT INTO u VALUES('Key');");
  EXPECT_EQ(ErrorOf("INSERT INTO u VALUES('KEY  ')").substr(0, 10), "23000/2627");
}

// The collation's one-pass comparison agrees with the library's text order
// on the trimmed texts, whatever the mix of case, blanks, control
// characters and accents.
RC_GTEST_PROP(CollationProperty, OrderIsTheLibraryOrderOfTheTrimmedTexts, ()) {
  static const std::vector<std::string> pieces = {"a", "A", "b", " ", "\x01", "!", "é", "É"};
  auto text_gen = rc::gen::container<std::vector<std::string>>(rc::gen::elementOf(pieces));
  auto join = [](const std::vector<std::string>& parts) {
    std::string s;
    for (const auto& p : parts) s += p;
    return s;
  };
  const std::string a = join(*rc::gen::resize(6, text_gen));
  const std::string b = join(*rc::gen::resize(6, text_gen));
  static std::shared_ptr<Database> db = Database::Open(":memory:");
  Statement st = db->Prepare(
      "SELECT CASE WHEN ?1 < ?2 COLLATE TSQLCI THEN -1 WHEN ?1 = ?2 COLLATE TSQLCI THEN 0 "
      "ELSE 1 END");
  st.BindText(1, a);
  st.BindText(2, b);
  RC_ASSERT(st.Step());
  const int expected =
      text::CompareText(text::TrimTrailingBlanks(a), text::TrimTrailingBlanks(b));
  RC_ASSERT(st.ColumnInt64(0) == (expected < 0 ? -1 : expected > 0 ? 1 : 0));
}

}  // namespace
}  // namespace zv::sqlite
