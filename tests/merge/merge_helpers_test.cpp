// The small pieces of the merge engine: filter texts built from row keys,
// the splicing of values into them, and the arithmetic of a split-back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/error.h"
#include "merge/filter_text.h"
#include "merge/merged_view.h"
#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::NewSet;
using merge_test::NumberField;
using merge_test::Qty;
using merge_test::TextField;

TEST(KeyFilterText, KeepsTheFragmentsAndQuotesTexts) {
  struct Case {
    KeyFilter filter;
    const char* expected;
  };
  Case cases[] = {
      {KeyFilter().Text("DESTI_NUMREG = ", "A1").Number("DESTI_PROGRIGA = ", 7),
       "DESTI_NUMREG = 'A1' AND DESTI_PROGRIGA = 7"},
      {KeyFilter()
           .Text("DO11_NUMREG_CO99 = ", "X")
           .Number("DO30_PROGRIGA    = ", Variant(Decimal(5)))
           .Term("QTADATRASF <> 0 "),
       "DO11_NUMREG_CO99 = 'X' AND DO30_PROGRIGA    = 5 AND QTADATRASF <> 0 "},
      {KeyFilter().Text("DO46_NUMREG_CO99 = ", "D'ARCO").Number("DO46_CODFASE     = ",
                                                                Variant("10")),
       "DO46_NUMREG_CO99 = 'D''ARCO' AND DO46_CODFASE     = 10"},
      {KeyFilter().Text("ORIG_NUMREG   = ", Variant::Null()).Number("ORIG_PROGRIGA = ", -3),
       "ORIG_NUMREG   = '' AND ORIG_PROGRIGA = -3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.filter.str(), c.expected);
  }
}

TEST(KeyFilterText, NumbersAreSplicedWithoutTrailingZeros) {
  EXPECT_EQ(SpliceNumber(Variant(Qty("5.000000"))), "5");
  EXPECT_EQ(SpliceNumber(Variant(Qty("-2.50"))), "-2.5");
  EXPECT_EQ(SpliceNumber(Variant(" 12 ")), "12");
  EXPECT_EQ(SpliceNumber(Variant::Null()), "");
}

TEST(KeyFilterText, AValueCannotChangeTheFilterShape) {
  // A number key that is not a number never stands bare in a filter.
  try {
    SpliceNumber(Variant("1 OR DESTI_PROGRIGA = 2"));
    FAIL() << "a text that is not a number was spliced";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kTypeMismatch);
  }

  // A register number with quotes finds only its own row.
  auto links = NewSet({TextField("DESTI_NUMREG", 40), NumberField("DESTI_PROGRIGA", 6, 0)});
  AddRow(*links, {{"DESTI_NUMREG", Variant("B")}, {"DESTI_PROGRIGA", Variant(1)}});
  AddRow(*links, {{"DESTI_NUMREG", Variant("A' OR DESTI_NUMREG = 'B")},
                  {"DESTI_PROGRIGA", Variant(1)}});
  links->SetFilter(
      KeyFilter().Text("DESTI_NUMREG = ", "A' OR DESTI_NUMREG = 'B").Number("DESTI_PROGRIGA = ",
                                                                           1));
  ASSERT_EQ(links->RecordCount(), 1);
  EXPECT_EQ(links->Value("DESTI_NUMREG").ToString(), "A' OR DESTI_NUMREG = 'B");
  links->SetFilter(KeyFilter().Text("DESTI_NUMREG = ", "Z' OR '1' = '1"));
  EXPECT_EQ(links->RecordCount(), 0);
}

TEST(SplitArithmetic, TakeUpToCoversThenRunsOut) {
  struct Case {
    const char* limit;
    const char* remaining;
    const char* taken;
  };
  for (const Case& c : std::initializer_list<Case>{{"4", "10", "4"},
                                                   {"4", "4", "4"},
                                                   {"4", "2.5", "2.5"},
                                                   {"4", "0", "0"},
                                                   {"4", "-1", "0"},
                                                   // a negative room is taken whole
                                                   {"-2", "0", "-2"}}) {
    SCOPED_TRACE(std::string(c.limit) + " of " + c.remaining);
    EXPECT_EQ(TakeUpTo(Qty(c.limit), Qty(c.remaining)), Qty(c.taken));
  }
}

TEST(SplitArithmetic, ProportionalSharesRoundHalfToEvenAtThreeDecimals) {
  // 10 over open quantities 1 and 2.
  EXPECT_EQ(ProportionalShare(Qty("1"), Qty("10"), Qty("3"), 2), Qty("3.333"));
  EXPECT_EQ(ProportionalShare(Qty("2"), Qty("10"), Qty("3"), 2), Qty("6.667"));
  // Exact halves at the fourth decimal go to the even digit.
  EXPECT_EQ(ProportionalShare(Qty("1"), Qty("1"), Qty("2000"), 2), Qty("0"));
  EXPECT_EQ(ProportionalShare(Qty("3"), Qty("1"), Qty("2000"), 2), Qty("0.002"));
  // A negative merged open quantity counts by its size; shares are positive.
  EXPECT_EQ(ProportionalShare(Qty("-1"), Qty("10"), Qty("-4"), 2), Qty("2.5"));
  // A row with nothing open gets the merged open quantity over the rows.
  EXPECT_EQ(ProportionalShare(Qty("0"), Qty("10"), Qty("9"), 3), Qty("3"));
}

TEST(SplitArithmetic, ProportionalShareOfAClosedMergedRowFails) {
  EXPECT_THROW(ProportionalShare(Qty("1"), Qty("10"), Qty("0"), 2), PlatformError);
}

TEST(MergedViewRows, AnOriginRowReachedTwiceCountsOnce) {
  auto rs = NewSet({TextField("K", 4)});
  for (const char* k : {"a", "b", "a", "c"}) AddRow(*rs, {{"K", Variant(k)}});
  RowList rows;
  rs->SetFilter(Variant("K = 'a'"));
  rows.AddView(*rs);
  rs->SetFilter(Variant("K = 'c' OR K = 'a'"));
  rows.AddView(*rs);
  ASSERT_EQ(rows.size(), 3u);
  std::string seen;
  VisitRows(*rs, rows, [&] { seen += rs->Value("K").ToString(); });
  EXPECT_EQ(seen, "aac");
}

// The filters that walk the merged view keep each caller's column fragments:
// the register number quoted, the padded row terms, the aligned or plain
// sub-phase term, and the link column the sub-phase is read from.
TEST(MergedViewFilters, KeepTheirColumnFragments) {
  auto links = NewSet({TextField("ORIG_NUMREG", 12), NumberField("ORIG_PROGRIGA", 6, 0),
                       NumberField("ORIG_CODFASE", 5, 0), NumberField("ORIG_PROGSFASE", 4, 0),
                       NumberField("DESTI_PROGSFASE", 4, 0)});
  AddRow(*links, {{"ORIG_NUMREG", Variant("O'1")},
                  {"ORIG_PROGRIGA", Variant(Qty("4.000"))},
                  {"ORIG_CODFASE", Variant(10)},
                  {"ORIG_PROGSFASE", Variant(2)},
                  {"DESTI_PROGSFASE", Variant(7)}});
  links->MoveFirst();
  const MergedRowKey key{"M1", 3, 20, 1, false};
  MergedRowKey by_phase = key;
  by_phase.by_phase = true;

  struct Case {
    KeyFilter filter;
    const char* expected;
  };
  Case cases[] = {
      {LinksOfMergedRow(key), "DESTI_NUMREG = 'M1' AND DESTI_PROGRIGA = 3"},
      {LinksOfMergedRow(by_phase),
       "DESTI_NUMREG = 'M1' AND DESTI_PROGRIGA = 3 AND DESTI_CODFASE = 20 AND "
       "DESTI_PROGSFASE = 1"},
      {MergedOrderRow(key), "DO11_NUMREG_CO99 = 'M1' AND DO30_PROGRIGA    = 3"},
      {MergedOrderRow(by_phase),
       "DO11_NUMREG_CO99 = 'M1' AND DO30_PROGRIGA    = 3 AND DO46_CODFASE = 20 AND "
       "DO46_PROGSFASE = 1"},
      {MergedPhase(key),
       "DO46_NUMREG_CO99 = 'M1' AND DO46_PROGRIGA    = 3 AND DO46_CODFASE     = 20 AND "
       "DO46_PROGSFASE   = 1"},
      {LinkedOrderRow(*links, false), "DO11_NUMREG_CO99 = 'O''1' AND DO30_PROGRIGA    = 4"},
      {LinkedOrderRow(*links, true),
       "DO11_NUMREG_CO99 = 'O''1' AND DO30_PROGRIGA    = 4 AND DO46_CODFASE = 10 AND "
       "DO46_PROGSFASE = 2"},
      {LinkedOrderRow(*links, true, "DESTI_PROGSFASE"),
       "DO11_NUMREG_CO99 = 'O''1' AND DO30_PROGRIGA    = 4 AND DO46_CODFASE = 10 AND "
       "DO46_PROGSFASE = 7"},
      {LinkedPhase(*links, Variant(30), Variant(Qty("5.0"))),
       "DO46_NUMREG_CO99 = 'O''1' AND DO46_PROGRIGA    = 4 AND DO46_CODFASE     = 30 AND "
       "DO46_PROGSFASE   = 5"},
      {LinkedPhase(*links, Variant(30), Variant(5), kPlainSubPhase),
       "DO46_NUMREG_CO99 = 'O''1' AND DO46_PROGRIGA    = 4 AND DO46_CODFASE     = 30 AND "
       "DO46_PROGSFASE = 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.filter.str(), c.expected);
  }
}

// Every merged row walks every link from the first; an origin row met
// through several links or merged rows is gathered once, in the order met.
TEST(MergedViewRows, GatheringWalksEveryLinkOfEveryMergedRow) {
  auto merged = NewSet({TextField("M", 4)});
  for (const char* m : {"m1", "m2"}) AddRow(*merged, {{"M", Variant(m)}});
  auto links = NewSet({TextField("TO", 4)});
  for (const char* to : {"c", "a", "c"}) AddRow(*links, {{"TO", Variant(to)}});
  auto origin = NewSet({TextField("K", 4)});
  for (const char* k : {"a", "b", "c", "a"}) AddRow(*origin, {{"K", Variant(k)}});

  std::vector<std::string> asked;
  const RowList rows = GatherLinkedRows(*merged, *links, *origin, [&] {
    asked.push_back(merged->Value("M").ToString() + links->Value("TO").ToString());
    return KeyFilter().Text("K = ", links->Value("TO"));
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"m1c", "m1a", "m1c", "m2c", "m2a", "m2c"}));
  std::string seen;
  VisitRows(*origin, rows, [&] { seen += origin->Value("K").ToString(); });
  EXPECT_EQ(seen, "caa");
  EXPECT_TRUE(merged->Eof());
  EXPECT_TRUE(links->Eof());

  // No merged row, or no link: nothing is gathered and no filter is built.
  asked.clear();
  merged->SetFilter(Variant("M = 'none'"));
  EXPECT_EQ(GatherLinkedRows(*merged, *links, *origin, [&] {
              asked.push_back("?");
              return KeyFilter().Text("K = ", "a");
            }).size(),
            0u);
  RowList none;
  links->SetFilter(Variant("TO = 'none'"));
  AddLinkedRows(*links, *origin, [&] {
    asked.push_back("?");
    return KeyFilter().Text("K = ", "a");
  }, none);
  EXPECT_EQ(none.size(), 0u);
  EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace zv
