// Runs the parser on a few thousand random and mutated inputs: it must never
// crash or hang, and whatever it accepts must print back to text that parses
// to the same printout.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/tsql/parser.h"
#include "tests/tsql/library_statements.h"

namespace zv::tsql {
namespace {

constexpr const char* kVocabulary[] = {
    "SELECT", "FROM", "WHERE", "INTO", "#t", "t", "a", "b.c", "*", ",", "(", ")", "=", "+",
    "-", "/", "%", "'x'", "N'y'", "''''", "[q]", "\"z\"", "@v", "1", "2.50", "1e3", "NULL",
    "AND", "OR", "NOT", "IN", "BETWEEN", "LIKE", "IS", "EXISTS", "CASE", "WHEN", "THEN",
    "ELSE", "END", "JOIN", "LEFT", "ON", "CROSS", "OUTER", "APPLY", "UNION", "ALL", "ORDER",
    "BY", "GROUP", "HAVING", "TOP", "DISTINCT", "WITH", "(NOLOCK)", "AS", "INSERT", "VALUES",
    "UPDATE", "SET", "DELETE", "CREATE", "TABLE", "INT", "DECIMAL(17,6)", "PROCEDURE",
    "FUNCTION", "RETURNS", "RETURN", "IF", "BEGIN", "TRY", "CATCH", "EXEC", "DECLARE",
    "CONVERT", "CAST", "FOR", "XML", "PATH('')", "OVER", "PARTITION", ";", "--c\n", "/*",
    "*/", ".", "..", "COLLATE", "DATABASE_DEFAULT", "DROP", "IF EXISTS", "WHILE", "BREAK",
};

std::string RandomSoup(std::mt19937& rng) {
  std::uniform_int_distribution<size_t> pick(0, std::size(kVocabulary) - 1);
  std::uniform_int_distribution<int> length(1, 40);
  std::string out;
  for (int i = 0, n = length(rng); i < n; ++i) {
    out += kVocabulary[pick(rng)];
    out += ' ';
  }
  return out;
}

std::string Mutate(std::string text, std::mt19937& rng) {
  std::uniform_int_distribution<int> ops(1, 4);
  for (int i = 0, n = ops(rng); i < n && !text.empty(); ++i) {
    std::uniform_int_distribution<size_t> at(0, text.size() - 1);
    size_t p = at(rng);
    switch (rng() % 4) {
      case 0: text.erase(p, 1 + rng() % 8); break;
      case 1: text.insert(p, 1, static_cast<char>(rng() % 128)); break;
      case 2: text[p] = "()',;.[]\"@#-*/"[rng() % 14]; break;
      default: text.resize(p); break;
    }
  }
  return text;
}

void CheckOne(const std::string& input, int& accepted) {
  ParsedBatch b = ParseBatch(input);
  if (!b.ok()) {
    ASSERT_GE(b.error->line, 1) << input;
    ASSERT_GE(b.error->column, 1) << input;
    return;
  }
  ++accepted;
  std::string once = StatementsToString(b.statements);
  ParsedBatch again = ParseBatch(once);
  ASSERT_TRUE(again.ok()) << input << "\n--> " << once << "\n" << again.error->ToString();
  ASSERT_EQ(StatementsToString(again.statements), once) << input;
}

TEST(ParserFuzzTest, RandomTokenSoup) {
  std::mt19937 rng(20240611);
  int accepted = 0;
  for (int i = 0; i < 3000; ++i) {
    CheckOne(RandomSoup(rng), accepted);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(accepted, 0);
}

TEST(ParserFuzzTest, MutatedLibraryStatements) {
  std::mt19937 rng(7);
  auto statements = testing::LibraryStatements();
  int accepted = 0;
  for (int i = 0; i < 3000; ++i) {
    const auto& base = statements[rng() % statements.size()];
    CheckOne(Mutate(base.sql, rng), accepted);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(accepted, 100);
}

TEST(ParserFuzzTest, PathologicalShapes) {
  int accepted = 0;
  const std::string shapes[] = {
      std::string(100000, '('),
      "SELECT " + std::string(5000, '-') + "1",
      "SELECT " + std::string(5000, '~') + "1",
      std::string(3000, ';'),
      "IF 1=1 " + std::string(2000, ' ') + [] {
        std::string s;
        for (int i = 0; i < 400; ++i) s += "IF 1=1 ";
        return s;
      }() + "SELECT 1",
      [] {
        std::string s = "SELECT 1 WHERE ";
        for (int i = 0; i < 3000; ++i) s += "NOT ";
        return s + "1=1";
      }(),
      std::string("\0\0\0", 3),
      "SELECT '\xff\xfe'",
  };
  for (const auto& s : shapes) {
    CheckOne(s, accepted);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace zv::tsql
