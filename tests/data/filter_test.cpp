// Criteria language and collation: every case runs once through the hash
// indexes and once as a plain scan, and both must give the same rows.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "data/filter.h"
#include "data/text_compare.h"
#include "tests/data/recordset_fixture.h"

namespace zv {
namespace {

using testing::Col;
using testing::Column;
using testing::Day;
using testing::Dec;
using testing::ErrorOf;
using testing::MakeSet;

TEST(TextCompareTest, EqualityFollowsTheCollation) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"abc", "ABC", true},
      {"abc", "abc   ", true},
      {"abc ", "ABC", true},
      {"  abc", "abc", false},      // leading blanks count
      {"abc", "abd", false},
      {"caffè", "CAFFÈ", true},     // Latin-1 letters fold
      {"caffè", "caffe", false},    // accents count
      {"ÀÉÌÒÙ", "àéìòù", true},
      {"Çç", "çÇ", true},
      {"Œuvre", "œuvre", true},     // Latin Extended-A
      {"ПРИВЕТ", "привет", true},   // Cyrillic
      {"\xC8", "è", true},           // a stray Latin-1 byte reads as that letter
      {"", "   ", true},
      {"a", "", false},
      {"@", "`", false},            // differ only in bit 0x20, not letters
      {"[", "{", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(text::TextEquals(c.a, c.b), c.equal);
    EXPECT_EQ(text::CompareText(c.a, c.b) == 0, c.equal);
    if (c.equal) {
      EXPECT_EQ(text::HashText(c.a), text::HashText(c.b));
    }
  }
}

// Characters come out of UTF-8 text as they went in; a byte that starts no
// valid sequence is one Latin-1 character, and the next byte is read anew.
TEST(TextCompareTest, CharactersDecodeAsEncodedAndStrayBytesAsLatin1) {
  for (char32_t c : {0x41u, 0x7Fu, 0x80u, 0xE8u, 0x7FFu, 0x800u, 0x20ACu, 0xFFFFu, 0x10000u,
                     0x1F600u, 0x10FFFFu}) {
    SCOPED_TRACE(static_cast<uint32_t>(c));
    std::string s;
    text::AppendChar(c, &s);
    size_t i = 0;
    EXPECT_EQ(text::DecodeChar(s, &i), c);
    EXPECT_EQ(i, s.size());
  }
  struct Case {
    const char* bytes;
    std::vector<char32_t> chars;
  };
  const Case cases[] = {
      {"\x80", {0x80}},                               // stray continuation byte
      {"\xC0\x80", {0xC0, 0x80}},                     // overlong two-byte form
      {"\xE0\x80\x80", {0xE0, 0x80, 0x80}},           // overlong three-byte form
      {"\xE2\x82", {0xE2, 0x82}},                     // cut short
      {"\xE2\x82\xACx", {0x20AC, 'x'}},
      {"\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}},  // beyond U+10FFFF
      {"caff\xE8", {'c', 'a', 'f', 'f', 0xE8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::string_view s(c.bytes);
    std::vector<char32_t> got;
    for (size_t i = 0; i < s.size();) got.push_back(text::DecodeChar(s, &i));
    EXPECT_EQ(got, c.chars);
    EXPECT_EQ(text::CharCount(s), c.chars.size());
  }
}

TEST(TextCompareTest, OrderPutsAccentsBesideTheirLetter) {
  struct Case {
    const char* a;
    const char* b;
  };
  // a < b in each case.
  const Case cases[] = {
      {"e", "é"}, {"é", "f"}, {"ea", "éa"}, {"éa", "eb"}, {"ab", "abc"},
      {"ABC", "abd"}, {"Zebra", "zoo"}, {"a", "B"}, {"1", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " < " + c.b);
    EXPECT_LT(text::CompareText(c.a, c.b), 0);
    EXPECT_GT(text::CompareText(c.b, c.a), 0);
  }
}

RC_GTEST_PROP(TextCompareProperty, CaseAndTrailingBlanksNeverMatter,
              (const std::string& base, unsigned blanks)) {
  std::string upper;
  for (char c : base) {
    unsigned char u = static_cast<unsigned char>(c);
    upper.push_back(u < 0x80 ? static_cast<char>(std::toupper(u)) : c);
  }
  upper.append(blanks % 5, ' ');
  RC_ASSERT(text::TextEquals(base, upper));
  RC_ASSERT(text::HashText(base) == text::HashText(upper));
  RC_ASSERT(text::CompareText(base, upper) == 0);
  RC_ASSERT(text::FoldText(text::TrimTrailingBlanks(base)) ==
            text::FoldText(text::TrimTrailingBlanks(upper)));
}

RC_GTEST_PROP(TextCompareProperty, OrderIsAntisymmetric,
              (const std::string& a, const std::string& b)) {
  int ab = text::CompareText(a, b);
  int ba = text::CompareText(b, a);
  RC_ASSERT((ab < 0) == (ba > 0));
  RC_ASSERT((ab == 0) == text::TextEquals(a, b));
}

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_ = MakeSet(
        {{"ID", ado::kInteger},
         {"CODE", ado::kChar, 10},
         {"DESCR", ado::kVarChar, 30},
         {"QTY", ado::kNumeric, 0, 17, 6},
         {"PRICE", ado::kDouble},
         {"DAY", ado::kDate},
         {"V", ado::kVariant},
         {"FLAG", ado::kBoolean}},
        {
            {1, "ABC", "Maglia blu", Dec("3.000000"), 1.5, Day("2024-01-31"), "x", true},
            {2, "abc  ", "maglia BLU", int32_t{3}, 2.0, Day("2024-02-01"), int32_t{3}, false},
            {3, "Àbc", "Felpa", Dec("2.5"), Variant::Null(), Variant::Null(), Variant::Null(), true},
            {4, "ÀBC", "O'Neil", Variant::Null(), 10.25, Day("2024-01-31 10:00:00"), "abc",
             Variant::Null()},
            {5, "xyz", "  spaced", Dec("10"), 0.1, Day("2023-12-31"), 3.0, false},
            {6, Variant::Null(), "Maglia", Dec("-1"), -2.5, Day("2024-03-01"),
             Day("2024-01-31"), true},
        });
  }
  std::shared_ptr<Recordset> rs_;
};

TEST_F(FilterTest, CriteriaSelectTheRightRowsWithAndWithoutIndexes) {
  struct Case {
    const char* criteria;
    const char* ids;
  };
  const Case cases[] = {
      // Text: case, trailing blanks, accents.
      {"CODE = 'abc'", "1,2"},
      {"CODE = 'àbc'", "3,4"},
      {"CODE = 'abc' OR CODE = 'xyz'", "1,2,5"},
      {"CODE <> 'abc'", "3,4,5"},
      {"CODE < 'b'", "1,2,3,4"},
      {"CODE > 'abc'", "3,4,5"},
      {"DESCR = '  spaced'", "5"},
      {"DESCR = 'spaced'", ""},
      {"DESCR = 'O''Neil'", "4"},
      {"[DESCR] = 'felpa'", "3"},
      {"descr = 'FELPA'", "3"},
      // Numbers by value across kinds; text criteria convert.
      {"QTY = 3", "1,2"},
      {"QTY = 3.0000", "1,2"},
      {"QTY = '3.0'", "1,2"},
      {"QTY = -1", "6"},
      {"QTY >= 2.5 AND QTY < 10", "1,2,3"},
      {"QTY <= 2.5", "3,6"},
      {"PRICE = 0.1", "5"},
      {"PRICE > 2", "4"},
      {"PRICE = 2", "2"},
      {"ID = 1E0", "1"},
      // Null only matches IS NULL / = NULL.
      {"QTY = NULL", "4"},
      {"QTY IS NULL", "4"},
      {"QTY is not null", "1,2,3,5,6"},
      {"QTY <> NULL", "1,2,3,5,6"},
      {"CODE <> 'zzz'", "1,2,3,4,5"},
      // Dates.
      {"DAY = #2024-01-31#", "1"},
      {"DAY >= #01/31/2024#", "1,2,4,6"},
      {"DAY < '2024-01-01'", "5"},
      {"DAY = #2024-01-31 10:00#", "4"},
      // LIKE with wildcards at the ends.
      {"DESCR LIKE 'maglia*'", "1,2,6"},
      {"DESCR LIKE '%blu'", "1,2"},
      {"DESCR LIKE '*LIA*'", "1,2,6"},
      {"DESCR LIKE 'felpa'", "3"},
      {"DESCR LIKE '*'", "1,2,3,4,5,6"},
      {"DESCR NOT LIKE 'maglia*'", "3,4,5"},
      {"CODE LIKE 'ab*'", "1,2"},
      {"QTY LIKE '1*'", "5"},
      // Grouping.
      {"(CODE = 'abc' OR CODE = 'xyz') AND QTY > 3", "5"},
      {"CODE = 'abc' AND (QTY = 3 OR QTY = 10)", "1,2"},
      {"CODE = 'abc' AND QTY = 3 AND PRICE = 2", "2"},
      {"((CODE = 'xyz'))", "5"},
      {"CODE = 'abc' AND CODE = 'xyz'", ""},
      // Variant fields compare by the kinds at hand.
      {"V = 3", "2,5"},
      {"V = 'ABC'", "4"},
      {"V = #2024-01-31#", "6"},
      {"V IS NULL", "3"},
      // Booleans are -1 and 0.
      {"FLAG = TRUE", "1,3,6"},
      {"FLAG = -1", "1,3,6"},
      {"FLAG = 0", "2,5"},
      // Clearing.
      {"", "1,2,3,4,5,6"},
      {"   ", "1,2,3,4,5,6"},
  };
  for (bool indexed : {true, false}) {
    rs_->use_filter_indexes = indexed;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.criteria) + (indexed ? " (indexed)" : " (scan)"));
      rs_->SetFilter(Variant(c.criteria));
      EXPECT_EQ(Column(*rs_, "ID"), c.ids);
    }
  }
}

TEST_F(FilterTest, BadCriteriaRaiseAndChangeNothing) {
  rs_->SetFilter(Variant("CODE = 'abc'"));
  rs_->MoveNext();
  ASSERT_EQ(rs_->AbsolutePosition(), 2);
  const char* bad[] = {
      "CODE = ",
      "CODE == 'a'",
      "NOPE = 1",
      "CODE = 'abc",
      "QTY = 'abc'",
      "DAY = #2024-13-01#",
      "DAY = #2024-01-01",
      "DESCR LIKE 'a*b'",
      "DESCR LIKE 3",
      "(CODE = 'a'",
      "CODE = 'a')",
      "CODE = 'a' AND",
      "CODE < NULL",
      "CODE 'a'",
      "[CODE = 'a'",
      "CODE = 'a' XOR ID = 1",
      "CODE IS 'a'",
      "= 'a'",
      "AND = 1",
      "CODE = 'a' ; DROP",
  };
  for (const char* criteria : bad) {
    SCOPED_TRACE(criteria);
    EXPECT_EQ(ErrorOf([&] { rs_->SetFilter(Variant(criteria)); }), err::kAdoInvalidArgument);
    EXPECT_EQ(rs_->Filter().ToString(), "CODE = 'abc'");
    EXPECT_EQ(rs_->RecordCount(), 2);
    EXPECT_EQ(rs_->AbsolutePosition(), 2);
    EXPECT_EQ(rs_->Value("ID").ToLong(), 2);
  }
  EXPECT_EQ(ErrorOf([&] { rs_->SetFilter(Variant(int32_t{7})); }), err::kAdoInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs_->SetFilter(Variant::Null()); }), err::kAdoInvalidArgument);
  EXPECT_EQ(rs_->RecordCount(), 2);
}

TEST_F(FilterTest, NumberZeroClearsAndFilterReadsBack) {
  rs_->SetFilter(Variant("ID > 4"));
  EXPECT_EQ(rs_->Filter().ToString(), "ID > 4");
  EXPECT_EQ(rs_->RecordCount(), 2);
  rs_->SetFilter(Variant(int32_t{0}));
  EXPECT_EQ(rs_->RecordCount(), 6);
  EXPECT_EQ(rs_->Filter().ToLong(), 0);
}

TEST_F(FilterTest, FilterPositionsOnFirstMatch) {
  rs_->MoveLast();
  rs_->SetFilter(Variant("QTY > 2"));
  EXPECT_EQ(rs_->Value("ID").ToLong(), 1);
  EXPECT_EQ(rs_->AbsolutePosition(), 1);
  rs_->SetFilter(Variant("ID = 99"));
  EXPECT_TRUE(rs_->Eof());
  EXPECT_TRUE(rs_->Bof());
  EXPECT_EQ(rs_->RecordCount(), 0);
}

TEST_F(FilterTest, ArrayOfBookmarksFiltersToThoseRows) {
  rs_->MoveFirst();
  rs_->MoveNext();
  Bookmark second = rs_->GetBookmark();
  rs_->MoveLast();
  Bookmark last = rs_->GetBookmark();
  rs_->SetFilter(MakeArray({Variant(last), Variant(second)}));
  EXPECT_EQ(Column(*rs_, "ID"), "2,6");
  EXPECT_EQ(ErrorOf([&] { rs_->SetFilter(MakeArray({Variant(int32_t{99})})); }),
            err::kAdoInvalidArgument);
  EXPECT_EQ(Column(*rs_, "ID"), "2,6");
}

TEST(FilterParseTest, TreeShapes) {
  std::vector<FieldInfo> fields(3);
  fields[0].name = "A";
  fields[0].type = ado::kVarChar;
  fields[1].name = "B";
  fields[1].type = ado::kInteger;
  fields[2].name = "C D";
  fields[2].type = ado::kDate;
  FieldLookup lookup = [&](std::string_view n) -> std::optional<int> {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (NameEquals(fields[i].name, n)) return static_cast<int>(i);
    }
    return std::nullopt;
  };
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"A = 'x' AND B = 3", "([A] = 'x' AND [B] = 3)"},
      {"A = 'x' and (B = 3 AND B > 1)", "([A] = 'x' AND [B] = 3 AND [B] > 1)"},
      {"A = 'x' OR B = 3 AND B < 9", "([A] = 'x' OR ([B] = 3 AND [B] < 9))"},
      {"[C D] >= #2024-01-31#", "[C D] >= #2024-01-31 00:00:00#"},
      {"A like '%x%'", "[A] LIKE '*x*'"},
      {"A LIKE 'AB*'", "[A] LIKE 'ab*'"},
      {"A = NULL OR B <> NULL", "([A] IS NULL OR [B] IS NOT NULL)"},
      {"B = '12'", "[B] = 12"},
      {"A = 12.50", "[A] = '12.50'"},
      {"B>=-3", "[B] >= -3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Filter::Parse(c.in, fields, lookup).root().ToString(fields), c.out);
  }
}

TEST(FilterParseTest, DatesInsideHashMarks) {
  struct Case {
    const char* text;
    const char* iso;  // nullptr: not a date
  };
  const Case cases[] = {
      {"2024-01-31", "2024-01-31 00:00:00"},
      {"01/31/2024", "2024-01-31 00:00:00"},
      {"1/2/2024", "2024-01-02 00:00:00"},
      {"2/29/2024 13:45", "2024-02-29 13:45:00"},
      {"2/29/2023", nullptr},
      {"31/01/2024", nullptr},
      {"1/2/2024 25:00", nullptr},
      {"x", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto d = ParseFilterDate(c.text);
    if (c.iso == nullptr) {
      EXPECT_FALSE(d.has_value());
    } else {
      ASSERT_TRUE(d.has_value());
      EXPECT_EQ(FormatIsoDate(*d), c.iso);
    }
  }
}

}  // namespace
}  // namespace zv
