#include "data/tsql/lexer.h"

#include <gtest/gtest.h>

#include <string>

namespace zv::tsql {
namespace {

std::string KindName(TokenKind k) {
  switch (k) {
    case TokenKind::kIdentifier: return "ID";
    case TokenKind::kQuotedIdentifier: return "QID";
    case TokenKind::kVariable: return "VAR";
    case TokenKind::kString: return "STR";
    case TokenKind::kNString: return "NSTR";
    case TokenKind::kInteger: return "INT";
    case TokenKind::kDecimal: return "DEC";
    case TokenKind::kFloat: return "FLT";
    case TokenKind::kBinary: return "BIN";
    case TokenKind::kOperator: return "OP";
    case TokenKind::kEnd: return "END";
  }
  return "?";
}

// Renders the tokens as "KIND:value" separated by blanks (the end token left
// out), so that a failing case shows the whole stream.
std::string Render(std::string_view text) {
  std::string out;
  for (const Token& t : Tokenize(text)) {
    if (t.kind == TokenKind::kEnd) break;
    if (!out.empty()) out += " ";
    out += KindName(t.kind) + ":" + (t.kind == TokenKind::kOperator ? t.text : t.value);
  }
  return out;
}

TEST(LexerTest, TokenStreams) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"SELECT a FROM t", "ID:SELECT ID:a ID:FROM ID:t"},
      {"'it''s'", "STR:it's"},
      {"N'caf\xC3\xA9' n'x'", "NSTR:caf\xC3\xA9 NSTR:x"},
      {"''", "STR:"},
      {"[my col] [a]]b] \"q\"\"x\"", "QID:my col QID:a]b QID:q\"x"},
      {"#TabellaOrdini ##g", "ID:#TabellaOrdini ID:##g"},
      {"@v @@ROWCOUNT @a1$", "VAR:@v VAR:@@ROWCOUNT VAR:@a1$"},
      {"12 1.50 .5 5. 1e3 2.5E-2 0x1F", "INT:12 DEC:1.50 DEC:.5 DEC:5. FLT:1e3 FLT:2.5E-2 BIN:0x1F"},
      {"a<>b!=c>=d<=e!<f!>g", "ID:a OP:<> ID:b OP:!= ID:c OP:>= ID:d OP:<= ID:e OP:!< ID:f OP:!> ID:g"},
      {"@x+=1 @y-=2", "VAR:@x OP:+= INT:1 VAR:@y OP:-= INT:2"},
      {"a--comment\nb", "ID:a ID:b"},
      {"a/* x /* nested */ y */b", "ID:a ID:b"},
      {"t.c,(1);", "ID:t OP:. ID:c OP:, OP:( INT:1 OP:) OP:;"},
      {"tempdb..#X", "ID:tempdb OP:. OP:. ID:#X"},
      {"1-1", "INT:1 OP:- INT:1"},
      {"x.1e", "ID:x DEC:.1 ID:e"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Render(c.in), c.out);
  }
}

TEST(LexerTest, PositionsCountLinesAndColumns) {
  auto tokens = Tokenize("SELECT\n  a,\r\n\tb -- x\n/* c\n */ c");
  ASSERT_EQ(tokens.size(), 6u);
  EXPECT_EQ(tokens[1].line, 2);
  EXPECT_EQ(tokens[1].column, 3);
  EXPECT_EQ(tokens[3].line, 3);
  EXPECT_EQ(tokens[3].column, 2);
  EXPECT_EQ(tokens[4].line, 5);
  EXPECT_EQ(tokens[4].column, 5);
  EXPECT_EQ(tokens[4].text, "c");
  EXPECT_EQ(tokens[5].kind, TokenKind::kEnd);
}

TEST(LexerTest, ErrorsCarryThePositionOfTheBadToken) {
  struct Case {
    const char* in;
    int line, column;
    const char* message;
  };
  const Case cases[] = {
      {"SELECT 'abc", 1, 8, "unterminated string"},
      {"SELECT\n  N'abc", 2, 3, "unterminated string"},
      {"SELECT [abc", 1, 8, "unterminated bracketed name"},
      {"SELECT \"abc", 1, 8, "unterminated quoted name"},
      {"a /* x /* y */", 1, 3, "unterminated comment"},
      {"a ? b", 1, 3, "unexpected character '?'"},
      {"a ! b", 1, 3, "unexpected character '!'"},
      {"SELECT @ ", 1, 8, "variable name expected after '@'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    try {
      Tokenize(c.in);
      ADD_FAILURE() << "no error";
    } catch (const SyntaxError& e) {
      EXPECT_EQ(e.error().line, c.line);
      EXPECT_EQ(e.error().column, c.column);
      EXPECT_EQ(e.error().message, c.message);
      EXPECT_FALSE(e.error().token.empty());
    }
  }
}

TEST(LexerTest, ReservedWordsAreCaseInsensitive) {
  EXPECT_TRUE(IsReservedWord("select"));
  EXPECT_TRUE(IsReservedWord("Outer"));
  EXPECT_FALSE(IsReservedWord("APPLY"));
  EXPECT_FALSE(IsReservedWord("DO30_DOCCORPO"));
  EXPECT_FALSE(IsReservedWord("NOCOUNT"));
}

}  // namespace
}  // namespace zv::tsql
