#include "apps/sql_shell.h"

#include <gtest/gtest.h>

#include <sstream>

#include "data/datetime.h"
#include "data/scripted_connection.h"

namespace zv::shell_sql {
namespace {

TEST(SqlShellBatches, GoLinesSeparateBatchesAndCarryARepeatCount) {
  EXPECT_EQ(BatchSeparator("GO"), 1);
  EXPECT_EQ(BatchSeparator("  go  "), 1);
  EXPECT_EQ(BatchSeparator("Go 3"), 3);
  EXPECT_EQ(BatchSeparator("GO -- next part"), 1);
  EXPECT_EQ(BatchSeparator("GOTO x"), std::nullopt);
  EXPECT_EQ(BatchSeparator("GO 0"), std::nullopt);
  EXPECT_EQ(BatchSeparator("GO x"), std::nullopt);
  EXPECT_EQ(BatchSeparator("SELECT 1 GO"), std::nullopt);
  EXPECT_EQ(BatchSeparator(""), std::nullopt);
}

std::shared_ptr<Recordset> MixedSet() {
  auto rs = std::make_shared<Recordset>();
  rs->AppendField("CODE", ado::kChar, 5);
  rs->AppendField("QTY", ado::kNumeric, 19, ado::kFldIsNullable, 14, 3);
  rs->AppendField("WHEN", ado::kDBTimeStamp, 16, ado::kFldIsNullable);
  rs->AppendField("FLAG", ado::kBoolean, 2, ado::kFldIsNullable);
  rs->Open();
  rs->AddNew();
  rs->SetValue("CODE", Variant("a,\"b\""));
  rs->SetValue("QTY", Variant(*Decimal::Parse("12.500")));
  rs->SetValue("WHEN", Variant(MakeDate({2025, 3, 14, 9, 5, 7, 3})));
  rs->SetValue("FLAG", Variant(true));
  rs->Update();
  rs->AddNew();
  rs->SetValue("CODE", Variant("x"));
  rs->SetValue("QTY", Variant(*Decimal::Parse("7")));
  rs->SetValue("WHEN", Variant::Null());
  rs->SetValue("FLAG", Variant(false));
  rs->Update();
  return rs;
}

TEST(SqlShellOutput, TableAlignsColumnsKeepsScalesAndCountsRows) {
  auto rs = MixedSet();
  std::ostringstream out;
  PrintRecordset(*rs, OutputFormat::kTable, out);
  EXPECT_EQ(out.str(),
            "CODE  |    QTY | WHEN                    | FLAG\n"
            "----- | ------ | ----------------------- | ----\n"
            "a,\"b\" | 12.500 | 2025-03-14 09:05:07.003 | 1\n"
            "x     |  7.000 | NULL                    | 0\n"
            "(2 rows)\n");
}

TEST(SqlShellOutput, CsvQuotesOnlyWhatNeedsItAndLeavesNullEmpty) {
  auto rs = MixedSet();
  std::ostringstream out;
  PrintRecordset(*rs, OutputFormat::kCsv, out);
  EXPECT_EQ(out.str(),
            "CODE,QTY,WHEN,FLAG\n"
            "\"a,\"\"b\"\"\",12.500,2025-03-14 09:05:07.003,1\n"
            "x,7.000,,0\n");
}

std::shared_ptr<Recordset> OneValue(const char* name, int value) {
  auto rs = std::make_shared<Recordset>();
  rs->AppendField(name, ado::kInteger, 4);
  rs->Open();
  rs->AddNew();
  rs->SetValue(0, Variant(int32_t{value}));
  rs->Update();
  return rs;
}

TEST(SqlShellRunner, RunsEachBatchAtItsGoAndReportsFailuresWithTheirState) {
  ScriptedConnection conn;
  auto first = OneValue("A", 1);
  first->SetNextRecordset(OneValue("B", 2));
  conn.Expect(ScriptedConnection::TextIs("SELECT 1 AS A; SELECT 2 AS B\n"),
              ScriptedConnection::Response::Rows(first));
  DbError bad;
  bad.sql_state = "42S02";
  bad.native_error = 208;
  bad.description = "Invalid object name 'NOPE'.";
  conn.Expect(ScriptedConnection::TextIs("SELECT * FROM NOPE\n"),
              ScriptedConnection::Response::Fail(bad));

  std::ostringstream out, err;
  ScriptRunner runner(conn, OutputFormat::kCsv, out, err);
  runner.RunText(
      "SELECT 1 AS A; SELECT 2 AS B\nGO\n\nSELECT * FROM NOPE\ngo\nPRINT 'x'\nGO 2\n",
      "script.sql");

  EXPECT_EQ(conn.Texts(ScriptedConnection::CallKind::kExecute),
            (std::vector<std::string>{"SELECT 1 AS A; SELECT 2 AS B\n", "SELECT * FROM NOPE\n",
                                      "PRINT 'x'\n", "PRINT 'x'\n"}));
  EXPECT_EQ(out.str(), "A\n1\n\nB\n2\n");
  EXPECT_EQ(err.str(),
            "script.sql:4: batch failed\n"
            "  Msg 208, SQLSTATE 42S02: Invalid object name 'NOPE'.\n");
  EXPECT_EQ(runner.failures(), 1);
  EXPECT_EQ(runner.batches(), 4);
}

TEST(SqlShellRunner, TheLastBatchNeedsNoGoAndBlankBatchesAreSkipped) {
  ScriptedConnection conn;
  std::ostringstream out, err;
  ScriptRunner runner(conn, OutputFormat::kTable, out, err);
  runner.RunText("GO\n\n   \nGO\nSELECT 1", "-c");
  EXPECT_EQ(conn.Texts(ScriptedConnection::CallKind::kExecute),
            std::vector<std::string>{"SELECT 1\n"});
  EXPECT_EQ(runner.failures(), 0);
}

}  // namespace
}  // namespace zv::shell_sql
