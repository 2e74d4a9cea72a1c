#include "data/recordset.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>
#include <random>

#include "tests/data/recordset_fixture.h"

namespace zv {
namespace {

using testing::Col;
using testing::Column;
using testing::Day;
using testing::Dec;
using testing::ErrorOf;
using testing::MakeSet;

// Order rows: a key of article and phase, a quantity.
std::shared_ptr<Recordset> Orders() {
  return MakeSet({{"ID", ado::kInteger},
                  {"ART", ado::kChar, 8},
                  {"PHASE", ado::kNumeric, 0, 5, 0},
                  {"QTY", ado::kNumeric, 0, 17, 3}},
                 {
                     {1, "A", Dec("10"), Dec("1.5")},
                     {2, "B", Dec("10"), Dec("2")},
                     {3, "A", Dec("20"), Dec("3")},
                     {4, "A", Dec("10"), Dec("4")},
                     {5, "C", Dec("30"), Variant::Null()},
                 });
}

TEST(RecordsetTest, EmptyOpenSetIsAtBothEnds) {
  auto rs = MakeSet({{"A", ado::kInteger}}, {});
  EXPECT_EQ(rs->State(), ado::kStateOpen);
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->Bof());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->AbsolutePosition(), ado::kPosBOF);
  rs->MoveFirst();  // allowed on an empty set
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), err::kAdoBofOrEof);
  EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }), err::kAdoBofOrEof);
  EXPECT_EQ(ErrorOf([&] { rs->Value("A"); }), err::kAdoBofOrEof);
  EXPECT_EQ(ErrorOf([&] { rs->GetBookmark(); }), err::kAdoBofOrEof);
  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }), err::kAdoBofOrEof);
}

TEST(RecordsetTest, FieldsAndNames) {
  auto rs = Orders();
  EXPECT_EQ(rs->FieldIndex("qty"), 3);
  EXPECT_EQ(rs->FindField("nope"), std::nullopt);
  EXPECT_EQ(rs->Value("art").ToString(), "A");
  EXPECT_EQ(rs->Value(2).ToLong(), 10);
  EXPECT_EQ(ErrorOf([&] { rs->Value("NOPE"); }), err::kAdoItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->Value(4); }), err::kAdoItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->Value(-1); }), err::kAdoItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->SetValue("NOPE", 1); }), err::kAdoItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->AppendField("X", ado::kInteger); }), err::kAdoObjectOpen);

  Recordset fresh;
  fresh.AppendField("A", ado::kInteger);
  EXPECT_EQ(ErrorOf([&] { fresh.AppendField("a", ado::kVarChar, 5); }),
            err::kAdoInvalidArgument);
  EXPECT_EQ(fresh.FieldCount(), 1);
}

TEST(RecordsetTest, CursorWalksAndJumps) {
  auto rs = Orders();
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  rs->MoveLast();
  EXPECT_EQ(rs->Value("ID").ToLong(), 5);
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_FALSE(rs->Bof());
  EXPECT_EQ(rs->AbsolutePosition(), ado::kPosEOF);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), err::kAdoBofOrEof);
  rs->MovePrevious();
  EXPECT_EQ(rs->Value("ID").ToLong(), 5);
  rs->MoveFirst();
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(rs->AbsolutePosition(), ado::kPosBOF);
  rs->MoveNext();
  EXPECT_EQ(rs->Value("ID").ToLong(), 1);

  struct Step {
    int32_t move;
    int32_t position;  // after the move
  };
  const Step steps[] = {{2, 3}, {1, 4}, {-3, 1}, {4, 5}, {1, ado::kPosEOF},
                        {-2, 4}, {-10, ado::kPosBOF}, {3, 3}, {0, 3}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.move);
    rs->Move(s.move);
    EXPECT_EQ(rs->AbsolutePosition(), s.position);
  }
  rs->SetAbsolutePosition(2);
  EXPECT_EQ(rs->Value("ID").ToLong(), 2);
  EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(6); }), err::kAdoInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(0); }), err::kAdoInvalidArgument);
  EXPECT_EQ(rs->Value("ID").ToLong(), 2);
}

TEST(RecordsetTest, BookmarkFindsTheRowAfterFiltersChange) {
  auto rs = Orders();
  rs->SetFilter(Variant("ART = 'A'"));
  rs->MoveLast();
  Bookmark fourth = rs->GetBookmark();
  rs->SetFilter(Variant(int32_t{0}));
  rs->SetSort("QTY DESC");
  rs->MoveFirst();
  rs->SetBookmark(fourth);
  EXPECT_EQ(rs->Value("ID").ToLong(), 4);
  EXPECT_EQ(rs->AbsolutePosition(), 1);  // QTY 4 sorts first descending
  rs->MoveNext();
  EXPECT_EQ(rs->Value("ID").ToLong(), 3);

  rs->SetFilter(Variant("ART = 'B'"));
  EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(fourth); }), err::kAdoInvalidArgument);
  EXPECT_EQ(rs->Value("ID").ToLong(), 2);
  EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(12345); }), err::kAdoInvalidArgument);
}

TEST(RecordsetTest, ClonesShareRowsButNotPosition) {
  auto rs = Orders();
  auto clone = rs->Clone();
  rs->SetFilter(Variant("ART = 'A'"));
  rs->MoveLast();
  EXPECT_EQ(clone->RecordCount(), 5);
  EXPECT_EQ(clone->AbsolutePosition(), 1);
  EXPECT_EQ(clone->Filter().ToLong(), 0);

  // An edit through one is seen by the other.
  clone->SetAbsolutePosition(4);
  clone->SetValue("QTY", Dec("44"));
  clone->Update();
  EXPECT_EQ(rs->Value("QTY").ToDecimal(), Decimal(44));

  // A row added through the filtered set shows in the unfiltered clone.
  rs->AddNew();
  rs->SetValue("ID", 6);
  rs->SetValue("ART", "Z");
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 4);  // the new row is shown though it does not match
  EXPECT_EQ(rs->Value("ID").ToLong(), 6);
  EXPECT_EQ(clone->RecordCount(), 6);
  EXPECT_EQ(Column(*clone, "ID"), "1,2,3,4,5,6");

  // Deleting through the clone removes the row from both counts.
  clone->SetAbsolutePosition(1);
  clone->Delete();
  EXPECT_EQ(clone->RecordCount(), 5);
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(Column(*rs, "ID"), "3,4,6");

  // Closing the original leaves the clone working.
  rs->Close();
  EXPECT_EQ(clone->RecordCount(), 5);
  EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), err::kAdoObjectClosed);
}

TEST(RecordsetTest, EditCancelAndMovingOffSaves) {
  auto rs = Orders();
  rs->SetValue("QTY", Dec("9"));
  EXPECT_EQ(rs->EditMode(), ado::kEditInProgress);
  EXPECT_EQ(rs->Value("QTY").ToDecimal(), Decimal(9));
  rs->CancelUpdate();
  EXPECT_EQ(rs->EditMode(), ado::kEditNone);
  EXPECT_EQ(rs->Value("QTY").ToDecimal(), *Decimal::Parse("1.5"));

  rs->SetValue("QTY", Dec("9"));
  rs->MoveNext();  // saves the pending edit
  EXPECT_EQ(rs->EditMode(), ado::kEditNone);
  rs->MoveFirst();
  EXPECT_EQ(rs->Value("QTY").ToDecimal(), Decimal(9));

  // AddNew then CancelUpdate returns to the row that was current.
  rs->SetAbsolutePosition(3);
  rs->AddNew();
  EXPECT_EQ(rs->EditMode(), ado::kEditAdd);
  EXPECT_TRUE(rs->Value("ID").IsNull());
  rs->SetValue("ID", 77);
  rs->CancelUpdate();
  EXPECT_EQ(rs->Value("ID").ToLong(), 3);
  EXPECT_EQ(rs->RecordCount(), 5);

  // AddNew, then a move saves the new row.
  rs->AddNew();
  rs->SetValue("ID", 8);
  rs->MoveFirst();
  EXPECT_EQ(rs->RecordCount(), 6);
  rs->MoveLast();
  EXPECT_EQ(rs->Value("ID").ToLong(), 8);
  EXPECT_TRUE(rs->Value("ART").IsNull());

  // Delete during AddNew drops the new row.
  rs->AddNew();
  rs->Delete();
  EXPECT_EQ(rs->RecordCount(), 6);
  EXPECT_EQ(rs->EditMode(), ado::kEditNone);
}

TEST(RecordsetTest, DeleteKeepsPositionUntilNextMove) {
  auto rs = Orders();
  rs->SetSort("ID DESC");
  rs->SetAbsolutePosition(2);  // ID 4
  rs->Delete();
  EXPECT_EQ(rs->RecordCount(), 4);
  EXPECT_FALSE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { rs->Value("ID"); }), err::kAdoRowDeleted);
  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }), err::kAdoRowDeleted);
  EXPECT_EQ(ErrorOf([&] { rs->SetValue("ID", 1); }), err::kAdoRowDeleted);
  EXPECT_EQ(rs->AbsolutePosition(), ado::kPosUnknown);
  rs->MoveNext();
  EXPECT_EQ(rs->Value("ID").ToLong(), 3);
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  rs->MovePrevious();
  EXPECT_EQ(rs->Value("ID").ToLong(), 5);
  EXPECT_EQ(Column(*rs, "ID"), "5,3,2,1");

  // Deleting every row while walking forward.
  rs->MoveFirst();
  while (!rs->Eof()) {
    rs->Delete();
    rs->MoveNext();
  }
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->Bof());
}

TEST(RecordsetTest, MoveFromDeletedRowCountsFromItsPlace) {
  auto rs = Orders();
  rs->SetAbsolutePosition(3);  // ID 3
  rs->Delete();
  rs->Move(1);
  EXPECT_EQ(rs->Value("ID").ToLong(), 4);
  rs->SetAbsolutePosition(2);  // ID 2
  rs->Delete();
  rs->Move(-1);
  EXPECT_EQ(rs->Value("ID").ToLong(), 1);
  EXPECT_EQ(Column(*rs, "ID"), "1,4,5");
}

TEST(RecordsetTest, PositionsStayRightWhenRowsArriveAfterDeletes) {
  auto rs = MakeSet({{"K", ado::kInteger}}, {});
  for (int i = 0; i < 10; ++i) rs->LoadRow({i});
  for (int k : {2, 5}) {
    rs->SetAbsolutePosition(k + 1 - (k == 5 ? 1 : 0));
    ASSERT_EQ(rs->Value("K").ToLong(), k);
    rs->Delete();
  }
  rs->MoveLast();
  EXPECT_EQ(rs->AbsolutePosition(), 8);  // counts live rows only
  std::vector<int32_t> model = {0, 1, 3, 4, 6, 7, 8, 9};
  for (int i = 10; i < 30; ++i) {
    if (i % 2 == 0) {
      rs->AddNew();
      rs->SetValue("K", i);
      rs->Update();
      EXPECT_EQ(rs->AbsolutePosition(), static_cast<int32_t>(model.size()) + 1);
    } else {
      rs->LoadRow({i});
    }
    model.push_back(i);
  }
  ASSERT_EQ(rs->RecordCount(), static_cast<int32_t>(model.size()));
  for (size_t i = 0; i < model.size(); ++i) {
    SCOPED_TRACE(i);
    rs->SetAbsolutePosition(static_cast<int32_t>(i + 1));
    EXPECT_EQ(rs->Value("K").ToLong(), model[i]);
    Bookmark b = rs->GetBookmark();
    rs->MoveFirst();
    rs->SetBookmark(b);
    EXPECT_EQ(rs->AbsolutePosition(), static_cast<int32_t>(i + 1));
  }
}

TEST(RecordsetTest, SetValueConvertsToTheFieldType) {
  struct Case {
    Col col;
    Variant in;
    const char* debug;  // nullptr: kAdoMultipleStep
  };
  const Case cases[] = {
      {{"N", ado::kNumeric, 0, 17, 3}, Dec("1.23456"), "1.235D"},
      {{"N", ado::kNumeric, 0, 17, 3}, Dec("1.2345"), "1.235D"},   // half away from zero
      {{"N", ado::kNumeric, 0, 17, 3}, Dec("-1.2345"), "-1.235D"},
      {{"N", ado::kNumeric, 0, 17, 3}, Dec("1.5"), "1.5D"},        // fewer decimals stay
      {{"N", ado::kNumeric, 0, 17, 3}, "2.5", "2.5D"},
      {{"N", ado::kNumeric, 0, 17, 3}, int32_t{7}, "7D"},
      {{"N", ado::kDecimal, 0, 5, 2}, Dec("999.994"), "999.99D"},
      {{"N", ado::kDecimal, 0, 5, 2}, Dec("999.995"), nullptr},    // rounds to 1000.00
      {{"N", ado::kDecimal, 0, 5, 2}, Dec("1000"), nullptr},
      {{"N", ado::kNumeric, 0, 17, 3}, "abc", nullptr},
      {{"I", ado::kInteger}, Dec("2.5"), "2"},                     // half to even
      {{"I", ado::kInteger}, "41", "41"},
      {{"I", ado::kInteger}, 3000000000.0, nullptr},
      {{"S", ado::kSmallInt}, int32_t{40000}, nullptr},
      {{"S", ado::kSmallInt}, int32_t{-5}, "-5"},
      {{"T", ado::kUnsignedTinyInt}, int32_t{255}, "255"},
      {{"T", ado::kUnsignedTinyInt}, int32_t{256}, nullptr},
      {{"T", ado::kTinyInt}, int32_t{-128}, "-128"},
      {{"T", ado::kTinyInt}, int32_t{128}, nullptr},
      {{"B", ado::kBigInt}, "9000000000", "9000000000"},
      {{"D", ado::kDouble}, Dec("0.5"), "0.5"},
      {{"F", ado::kBoolean}, int32_t{5}, "True"},
      {{"F", ado::kBoolean}, "x", nullptr},
      {{"W", ado::kDate}, "2024-01-31", "#2024-01-31 00:00:00#"},
      {{"W", ado::kDate}, "not a date", nullptr},
      {{"C", ado::kVarChar, 5}, "abcde", "\"abcde\""},
      {{"C", ado::kVarChar, 5}, "abcdef", nullptr},
      {{"C", ado::kVarChar, 5}, "àèìòù", "\"àèìòù\""},             // characters, not bytes
      {{"C", ado::kChar, 3}, int32_t{12}, "\"12\""},
      {{"V", ado::kVariant}, int16_t{3}, "3"},
      {{"N", ado::kNumeric, 0, 17, 3}, Variant::Null(), "Null"},
      {{"N", ado::kNumeric, 0, 17, 3, 0}, Variant::Null(), nullptr},  // not nullable
      {{"N", ado::kNumeric, 0, 17, 3}, Variant(), "Null"},
      {{"V", ado::kVariant}, Variant(), "Empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.col.name + " " + std::to_string(c.col.type) + " <- " + c.in.Debug());
    auto rs = MakeSet({c.col}, {});
    rs->AddNew();
    int32_t error = ErrorOf([&] { rs->SetValue(0, c.in); });
    if (c.debug == nullptr) {
      EXPECT_EQ(error, err::kAdoMultipleStep);
      continue;
    }
    ASSERT_EQ(error, 0);
    rs->Update();
    EXPECT_EQ(rs->Value(0).Debug(), c.debug);
  }
}

TEST(RecordsetTest, LongTextWithoutLimitIsKept) {
  auto rs = MakeSet({{"C", ado::kVarChar}}, {});
  rs->AddNew();
  rs->SetValue(0, std::string(300, 'x'));
  rs->Update();
  EXPECT_EQ(rs->Value(0).ToString(), std::string(300, 'x'));
}

// Enough rows to need many pages of storage, taken from several blocks:
// every row stays where its bookmark says, through filters, edits and
// deletes of rows in the last pages.
TEST(RecordsetTest, LargeSetsKeepEveryRowAcrossPages) {
  constexpr int kRows = 100'000;
  auto rs = MakeSet({{"K", ado::kInteger}, {"C", ado::kVarChar, 20}, {"Q", ado::kNumeric, 0, 14, 3}},
                    {});
  auto text_of = [](int k) {
    // Short texts sit in the cell, longer ones in the text blocks.
    return k % 3 == 0 ? "long text number " + std::to_string(k % 7) : "t" + std::to_string(k % 7);
  };
  int32_t fours = 0;
  for (int k = 1; k <= kRows; ++k) {
    if (text_of(k) == "long text number 4") ++fours;
    rs->AddNew();
    rs->SetValue("K", k);
    rs->SetValue("C", text_of(k));
    rs->SetValue("Q", Variant(Decimal::FromParts(0, static_cast<uint64_t>(k) * 7, 3, k % 2 == 0)));
    rs->Update();
  }
  ASSERT_EQ(rs->RecordCount(), kRows);
  for (int k = 1; k <= kRows; k += 997) {
    SCOPED_TRACE(k);
    rs->SetAbsolutePosition(k);
    EXPECT_EQ(rs->Value("K").ToLong(), k);
    EXPECT_EQ(rs->Value("C").ToString(), text_of(k));
    EXPECT_EQ(rs->Value("Q").ToDecimal(),
              Decimal::FromParts(0, static_cast<uint64_t>(k) * 7, 3, k % 2 == 0));
  }
  rs->SetFilter(Variant("C = 'long text number 4'"));
  EXPECT_EQ(rs->RecordCount(), fours);
  rs->SetFilter(Variant(""));
  rs->MoveLast();
  rs->SetValue("C", "last");
  rs->Update();
  rs->MovePrevious();
  rs->Delete();
  rs->MoveLast();
  EXPECT_EQ(rs->Value("C").ToString(), "last");
  EXPECT_EQ(rs->RecordCount(), kRows - 1);
  rs->SetAbsolutePosition(kRows - 1);
  EXPECT_EQ(rs->Value("K").ToLong(), kRows);
}

TEST(RecordsetTest, SortIsStableWithNullFirst) {
  auto rs = Orders();
  struct Case {
    const char* sort;
    const char* ids;
  };
  const Case cases[] = {
      {"ART", "1,3,4,2,5"},
      {"ART DESC", "5,2,1,3,4"},
      {"ART ASC, PHASE DESC", "3,1,4,2,5"},
      {"[PHASE], ID DESC", "4,2,1,3,5"},
      {"QTY", "5,1,2,3,4"},        // Null first ascending
      {"QTY DESC", "4,3,2,1,5"},   // and last descending
      {"", "1,2,3,4,5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sort);
    rs->SetSort(c.sort);
    EXPECT_EQ(rs->Sort(), c.sort);
    EXPECT_EQ(Column(*rs, "ID"), c.ids);
  }
  EXPECT_EQ(ErrorOf([&] { rs->SetSort("NOPE"); }), err::kAdoInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs->SetSort("ART SIDEWAYS"); }), err::kAdoInvalidArgument);

  // Sort and filter together, in either order.
  rs->SetSort("QTY DESC");
  rs->SetFilter(Variant("ART = 'A'"));
  EXPECT_EQ(Column(*rs, "ID"), "4,3,1");
  rs->SetSort("");
  EXPECT_EQ(Column(*rs, "ID"), "1,3,4");
  rs->SetSort("ID DESC");
  EXPECT_EQ(Column(*rs, "ID"), "4,3,1");
}

TEST(RecordsetTest, RenderShowsTheViewAndKeepsThePosition) {
  auto rs = Orders();
  rs->SetFilter(Variant("PHASE = 10"));
  rs->MoveNext();
  EXPECT_EQ(RenderRecordset(*rs),
            "ID|ART|PHASE|QTY\n"
            "1|\"A\"|10D|1.5D\n"
            "2|\"B\"|10D|2D\n"
            "4|\"A\"|10D|4D\n");
  EXPECT_EQ(rs->AbsolutePosition(), 2);
}

TEST(RecordsetTest, DeepCopyIsIndependent) {
  auto rs = Orders();
  rs->SetFilter(Variant("ART = 'A'"));
  auto copy = rs->DeepCopy();
  EXPECT_EQ(copy->RecordCount(), 5);  // every row, not only the view
  copy->SetValue("ART", "Q");
  copy->Update();
  rs->SetFilter(Variant(int32_t{0}));
  EXPECT_EQ(Column(*rs, "ART"), "A,B,A,A,C");
  EXPECT_EQ(Column(*copy, "ART"), "Q,B,A,A,C");
}

TEST(RecordsetTest, ClosedSetRefusesUseAndNextRecordsetChains) {
  auto first = Orders();
  auto second = MakeSet({{"X", ado::kInteger}}, {{1}});
  first->SetNextRecordset(second);
  auto next = first->NextRecordset();
  EXPECT_EQ(next, second);
  EXPECT_EQ(first->State(), ado::kStateClosed);
  EXPECT_EQ(first->NextRecordset(), nullptr);
  const std::function<void()> uses[] = {
      [&] { first->MoveFirst(); }, [&] { first->RecordCount(); },
      [&] { first->Value("ID"); }, [&] { first->SetFilter(Variant("ID = 1")); },
      [&] { first->AddNew(); },    [&] { first->Close(); },
      [&] { first->Clone(); },     [&] { first->LoadRow({1, "A", 1, 1}); },
  };
  for (const auto& use : uses) EXPECT_EQ(ErrorOf(use), err::kAdoObjectClosed);

  std::shared_ptr<Recordset> held = second;
  ChiudiRecordset(held);
  EXPECT_EQ(held, nullptr);
  EXPECT_EQ(second->State(), ado::kStateClosed);
  ChiudiRecordset(held);  // nothing to do, no error

  // Reopening gives an empty set with the same fields.
  second->Open();
  EXPECT_EQ(second->RecordCount(), 0);
  EXPECT_EQ(second->FieldCount(), 1);
}

TEST(RecordsetTest, LoadRowPositionsOnFirstRowAndChecksWidth) {
  auto rs = MakeSet({{"A", ado::kInteger}, {"B", ado::kVarChar, 2}}, {});
  EXPECT_TRUE(rs->Eof());
  rs->LoadRow({1, "too long is fine"}, 11);
  rs->LoadRow({2, Variant::Null()}, 12);
  EXPECT_EQ(rs->Value("A").ToLong(), 1);
  EXPECT_EQ(rs->CurrentTag(), 11);
  rs->MoveNext();
  EXPECT_EQ(rs->CurrentTag(), 12);
  EXPECT_EQ(ErrorOf([&] { rs->LoadRow({1}); }), err::kAdoInvalidArgument);
}

// --- The sink of a set over a database table ---

class RecordingSink : public RecordsetSink {
 public:
  int64_t Insert(const Recordset&, std::span<const Variant> values) override {
    Log("insert", values);
    if (fail) Raise(err::kAdoIntegrityViolation);
    return next_tag++;
  }
  void UpdateRow(const Recordset&, int64_t tag, std::span<const Variant> values,
                 std::span<const bool> changed) override {
    std::string flags;
    for (bool c : changed) flags += c ? '1' : '0';
    Log("update " + std::to_string(tag) + " " + flags, values);
    if (fail) Raise(err::kAdoIntegrityViolation);
  }
  void DeleteRow(const Recordset&, int64_t tag) override {
    calls.push_back("delete " + std::to_string(tag));
    if (fail) Raise(err::kAdoIntegrityViolation);
  }

  std::vector<std::string> calls;
  bool fail = false;
  int64_t next_tag = 100;

 private:
  void Log(std::string what, std::span<const Variant> values) {
    for (const Variant& v : values) what += " " + v.Debug();
    calls.push_back(what);
  }
};

TEST(RecordsetSinkTest, ChangesReachTheSinkInOrder) {
  auto rs = MakeSet({{"K", ado::kInteger}, {"T", ado::kVarChar, 10}}, {});
  rs->LoadRow({1, "a"}, 7);
  rs->LoadRow({2, "b"}, 8);
  auto sink = std::make_shared<RecordingSink>();
  rs->SetSink(sink);

  rs->SetValue("T", "z");
  rs->Update();
  rs->Update();  // nothing pending: no call
  rs->AddNew();
  rs->SetValue("K", 3);
  rs->Update();
  EXPECT_EQ(rs->CurrentTag(), 100);
  rs->MoveFirst();
  rs->MoveNext();
  rs->Delete();
  rs->MoveFirst();
  rs->SetValue("K", 1);  // same value, still a change
  rs->MoveNext();        // moving off saves through the sink
  auto clone = rs->Clone();
  clone->MoveLast();
  clone->SetValue("T", "c");
  clone->Update();       // clones write through too

  const std::vector<std::string> expected = {
      "update 7 01 1 \"z\"",
      "insert 3 Null",
      "delete 8",
      "update 7 10 1 \"z\"",
      "update 100 01 3 \"c\"",
  };
  EXPECT_EQ(sink->calls, expected);
}

TEST(RecordsetSinkTest, FailingSinkLeavesTheSetAsItWas) {
  auto rs = MakeSet({{"K", ado::kInteger}, {"T", ado::kVarChar, 10}}, {});
  rs->LoadRow({1, "a"}, 7);
  rs->LoadRow({2, "b"}, 8);
  rs->SetFilter(Variant("K = 1"));  // builds an index the failed calls must not touch
  rs->SetFilter(Variant(int32_t{0}));
  auto sink = std::make_shared<RecordingSink>();
  sink->fail = true;
  rs->SetSink(sink);
  const std::string before = RenderRecordset(*rs);

  rs->SetValue("K", 5);
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), err::kAdoIntegrityViolation);
  EXPECT_EQ(rs->EditMode(), ado::kEditInProgress);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), err::kAdoIntegrityViolation);
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  rs->CancelUpdate();
  EXPECT_EQ(RenderRecordset(*rs), before);

  rs->AddNew();
  rs->SetValue("K", 9);
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), err::kAdoIntegrityViolation);
  EXPECT_EQ(rs->EditMode(), ado::kEditAdd);
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 2);

  EXPECT_EQ(ErrorOf([&] { rs->Delete(); }), err::kAdoIntegrityViolation);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(RenderRecordset(*rs), before);
  rs->SetFilter(Variant("K = 1"));
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->SetFilter(Variant("K = 5"));
  EXPECT_EQ(rs->RecordCount(), 0);
}

// --- Late binding ---

TEST(RecordsetDispatchTest, FormsDriveTheSetByName) {
  auto rs = Orders();
  Dispatch& d = *rs;
  EXPECT_EQ(d.Get("RecordCount").ToLong(), 5);
  d.Put("Filter", Variant("ART = 'A'"));
  EXPECT_EQ(d.Get("recordcount").ToLong(), 3);
  EXPECT_EQ(d.Get("Filter").ToString(), "ART = 'A'");
  EXPECT_EQ(Call(d, "Fields", {"ID"}).ToLong(), 1);
  EXPECT_EQ(d.Get("QTY").ToDecimal(), *Decimal::Parse("1.5"));
  Call(d, "MoveNext");
  EXPECT_EQ(Call(d, "Fields", {2}).ToLong(), 20);
  EXPECT_EQ(d.Get("AbsolutePosition").ToLong(), 2);
  d.Put("Sort", Variant("ID DESC"));
  EXPECT_EQ(d.Get("Sort").ToString(), "ID DESC");
  EXPECT_EQ(d.Get("ID").ToLong(), 4);
  d.Put("QTY", Dec("5"));
  EXPECT_EQ(d.Get("EditMode").ToLong(), ado::kEditInProgress);
  Call(d, "Update");
  Call(d, "AddNew", {MakeArray({"ID", "ART"}), MakeArray({9, "A"})});
  EXPECT_EQ(d.Get("EditMode").ToLong(), ado::kEditNone);
  EXPECT_EQ(d.Get("RecordCount").ToLong(), 4);
  Call(d, "MoveFirst");
  EXPECT_FALSE(d.Get("BOF").ToBool());
  Call(d, "MoveLast");
  Call(d, "MoveNext");
  EXPECT_TRUE(d.Get("EOF").ToBool());
  EXPECT_EQ(d.Get("EOF").ToLong(), -1);
  EXPECT_EQ(d.Get("State").ToLong(), ado::kStateOpen);
  Variant clone = Call(d, "Clone");
  EXPECT_EQ(clone.ToObject()->Get("RecordCount").ToLong(), 6);
  EXPECT_EQ(ErrorOf([&] { d.Get("NoSuchThing"); }), err::kNotSupportedMember);
  EXPECT_EQ(ErrorOf([&] { Call(d, "Fly", {1}); }), err::kNotSupportedMember);
  Call(d, "Close");
  EXPECT_EQ(d.Get("State").ToLong(), ado::kStateClosed);
}

// --- Index maintenance ---

// After random edits, adds and deletes, a filter answered from the hash
// index gives exactly the rows a plain scan gives.
RC_GTEST_PROP(RecordsetIndexProperty, IndexedFilterEqualsScan, ()) {
  const std::vector<std::string> arts = {"a", "A ", "b", "B", "c", "à", "À"};
  auto gen_art = rc::gen::elementOf(arts);
  auto gen_phase = rc::gen::inRange(0, 4);
  auto rs = MakeSet({{"ART", ado::kVarChar, 5}, {"PHASE", ado::kNumeric, 0, 5, 1},
                     {"N", ado::kInteger}},
                    {});
  int initial = *rc::gen::inRange(0, 30);
  for (int i = 0; i < initial; ++i) {
    rs->LoadRow({Variant(*gen_art), Variant(Decimal(*gen_phase)), Variant(i)});
  }
  auto scan = rs->Clone();
  scan->use_filter_indexes = false;
  auto check = [&](const std::string& art, int phase) {
    std::string criteria = "ART = '" + art + "' AND PHASE = " + std::to_string(phase) + ".0";
    rs->SetFilter(Variant(criteria));
    scan->SetFilter(Variant(criteria));
    RC_ASSERT(RenderRecordset(*rs) == RenderRecordset(*scan));
  };
  check(*gen_art, *gen_phase);  // builds the index
  int steps = *rc::gen::inRange(1, 40);
  for (int s = 0; s < steps; ++s) {
    rs->SetFilter(Variant(int32_t{0}));
    int op = *rc::gen::inRange(0, 4);
    int32_t count = rs->RecordCount();
    if (op == 0 || count == 0) {
      rs->AddNew();
      rs->SetValue("ART", Variant(*gen_art));
      rs->SetValue("PHASE", Variant(Decimal(*gen_phase)));
      rs->SetValue("N", 1000 + s);
      rs->Update();
    } else if (op == 1) {
      rs->SetAbsolutePosition(*rc::gen::inRange(1, count + 1));
      rs->Delete();
    } else if (op == 2) {
      rs->SetAbsolutePosition(*rc::gen::inRange(1, count + 1));
      if (*rc::gen::inRange(0, 2) == 0) {
        rs->SetValue("ART", Variant(*gen_art));
      } else {
        rs->SetValue("PHASE", Variant(Decimal(*gen_phase)));
      }
      if (*rc::gen::inRange(0, 2) == 0) {
        rs->Update();
      } else {
        rs->CancelUpdate();
      }
    } else {
      rs->LoadRow({Variant(*gen_art), Variant(Decimal(*gen_phase)), Variant(2000 + s)});
    }
    check(*gen_art, *gen_phase);
  }
}

// Rows moving in and out of a few large key groups (marked removals,
// revivals, compaction) keep the indexed answer equal to the scan.
TEST(RecordsetIndexTest, LargeGroupsSurviveManyMoves) {
  auto rs = MakeSet({{"FLAG", ado::kInteger}, {"N", ado::kInteger}}, {});
  for (int i = 0; i < 300; ++i) rs->LoadRow({i % 2, i});
  auto scan = rs->Clone();
  scan->use_filter_indexes = false;
  auto work = rs->Clone();
  std::mt19937 rng(42);
  for (int round = 0; round < 40; ++round) {
    for (int k = 0; k < 25; ++k) {
      int32_t count = work->RecordCount();
      work->SetAbsolutePosition(static_cast<int32_t>(rng() % count) + 1);
      if (rng() % 10 == 0) {
        work->Delete();
      } else {
        work->SetValue("FLAG", static_cast<int32_t>(rng() % 3));
        work->Update();
      }
    }
    for (int flag = 0; flag < 3; ++flag) {
      SCOPED_TRACE("round " + std::to_string(round) + " flag " + std::to_string(flag));
      std::string criteria = "FLAG = " + std::to_string(flag);
      rs->SetFilter(Variant(criteria));
      scan->SetFilter(Variant(criteria));
      ASSERT_EQ(RenderRecordset(*rs), RenderRecordset(*scan));
    }
  }
}

// Position arithmetic over a sorted view with deleted rows agrees with a
// plain list of the rows that remain.
RC_GTEST_PROP(RecordsetPositionProperty, PositionsMatchAModel, ()) {
  int n = *rc::gen::inRange(1, 60);
  auto rs = MakeSet({{"K", ado::kInteger}}, {});
  for (int i = 0; i < n; ++i) rs->LoadRow({Variant(*rc::gen::inRange(0, 10) * 100 + i)});
  rs->SetSort("K DESC");
  std::vector<int32_t> model;
  rs->MoveFirst();
  while (!rs->Eof()) {
    model.push_back(rs->Value("K").ToLong());
    rs->MoveNext();
  }
  auto other = rs->Clone();  // deletes through a clone reach this view too
  int deletes = *rc::gen::inRange(0, n);
  for (int d = 0; d < deletes; ++d) {
    int32_t pick = *rc::gen::inRange(1, static_cast<int>(model.size()) + 1);
    rs->SetAbsolutePosition(pick);
    int32_t k = rs->Value("K").ToLong();
    RC_ASSERT(k == model[pick - 1]);
    other->SetFilter(Variant("K = " + std::to_string(k)));
    other->Delete();
    model.erase(model.begin() + (pick - 1));
    RC_ASSERT(rs->RecordCount() == static_cast<int32_t>(model.size()));
  }
  for (size_t i = 0; i < model.size(); ++i) {
    rs->SetAbsolutePosition(static_cast<int32_t>(i + 1));
    RC_ASSERT(rs->Value("K").ToLong() == model[i]);
    Bookmark b = rs->GetBookmark();
    rs->MoveFirst();
    rs->SetBookmark(b);
    RC_ASSERT(rs->AbsolutePosition() == static_cast<int32_t>(i + 1));
  }
}

}  // namespace
}  // namespace zv
