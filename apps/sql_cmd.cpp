// vestaro sql: a T-SQL shell on an embedded database file.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "apps/commands.h"
#include "apps/sql_shell.h"
#include "data/sqlite/embedded_connection.h"

namespace zv::app {
namespace {

struct SqlArgs {
  std::string db;
  std::vector<std::string> commands;
  std::vector<std::string> files;
  std::string format = "table";
};

int RunSql(const SqlArgs& args) {
  std::shared_ptr<Connection> connection;
  try {
    connection = sqlite::EmbeddedConnection::Open(args.db);
  } catch (const std::exception& e) {
    std::cerr << "sql: cannot open " << args.db << ": " << e.what() << "\n";
    return 1;
  }
  const auto format =
      args.format == "csv" ? shell_sql::OutputFormat::kCsv : shell_sql::OutputFormat::kTable;
  shell_sql::ScriptRunner runner(*connection, format, std::cout, std::cerr);
  for (const std::string& text : args.commands) runner.RunText(text, "-c");
  for (const std::string& file : args.files) {
    if (file == "-") {
      runner.RunStream(std::cin, "stdin");
      continue;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << "sql: cannot read " << file << "\n";
      return 1;
    }
    runner.RunStream(in, file);
  }
  if (args.commands.empty() && args.files.empty()) {
    if (isatty(STDIN_FILENO)) {
      std::cerr << "T-SQL on " << args.db
                << ": end each batch with a GO line, leave with Ctrl-D\n";
    }
    runner.RunStream(std::cin, "stdin");
  }
  connection->Close();
  return runner.failures() == 0 ? 0 : 1;
}

VESTARO_COMMAND([](CLI::App& app, int* exit_status) {
  auto args = std::make_shared<SqlArgs>();
  auto* cmd = app.add_subcommand(
      "sql",
      "Run T-SQL on an embedded database: batches separated by GO lines, from -c texts, "
      "from files or from standard input. Every result set is printed as a table (or as "
      "CSV); an error goes to standard error with its SQLSTATE and native number, the "
      "following batches still run, and the exit status is 1.");
  cmd->add_option("--db", args->db, "database file (created when missing), or :memory:")
      ->required();
  cmd->add_option("-c,--command", args->commands,
                  "T-SQL text to run before the files (repeatable; GO lines split it too)");
  cmd->add_option("files", args->files, "script files to run in order (- for standard input)");
  cmd->add_option("--format", args->format, "output of result sets: table (default) or csv")
      ->check(CLI::IsMember({"table", "csv"}));
  cmd->footer(
      "Examples:\n"
      "  vestaro sql --db company.db -c \"SELECT TOP 5 * FROM DO30_DOCCORPO\"\n"
      "  vestaro sql --db company.db --format csv report.sql > report.csv\n"
      "  echo \"SELECT 1 + '1' AS N\" | vestaro sql --db :memory:");
  cmd->callback([args, exit_status] { *exit_status = RunSql(*args); });
});

}  // namespace
}  // namespace zv::app
