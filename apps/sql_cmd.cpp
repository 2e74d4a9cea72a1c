// vestaro sql: a T-SQL shell on an embedded database file, or on any
// database reached through ODBC (SQL Server, or SQLite with the engine
// loaded into the SQLite ODBC driver).
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "apps/commands.h"
#include "apps/sql_shell.h"
#include "data/odbc/odbc_connection.h"
#include "data/odbc/sqlite_tsql_dialect.h"
#include "data/sqlite/embedded_connection.h"

namespace zv::app {
namespace {

struct SqlArgs {
  std::string db;
  std::string odbc;
  std::vector<std::string> commands;
  std::vector<std::string> files;
  std::string format = "table";
};

// A connection string that loads the engine into the SQLite ODBC driver
// (LoadExt=) talks to the hosted engine; any other goes to SQL Server.
std::shared_ptr<Connection> OpenOdbc(const std::string& connection_string) {
  std::string upper = connection_string;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::unique_ptr<odbc::SqlDialect> dialect;
  if (upper.find("LOADEXT=") != std::string::npos) {
    dialect = std::make_unique<odbc::SqliteTsqlDialect>();
  }
  auto connection = std::make_shared<odbc::OdbcConnection>(std::move(dialect));
  connection->Open(connection_string);
  return connection;
}

int RunSql(const SqlArgs& args) {
  std::shared_ptr<Connection> connection;
  const std::string& where = args.odbc.empty() ? args.db : args.odbc;
  try {
    connection = args.odbc.empty() ? std::shared_ptr<Connection>(sqlite::EmbeddedConnection::Open(args.db))
                                   : OpenOdbc(args.odbc);
  } catch (const std::exception& e) {
    std::cerr << "sql: cannot open " << where << ": " << e.what() << "\n";
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
      std::cerr << "T-SQL on " << where
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
      "Run T-SQL on an embedded database (or through ODBC): batches separated by GO lines, "
      "from -c texts, "
      "from files or from standard input. Every result set is printed as a table (or as "
      "CSV); an error goes to standard error with its SQLSTATE and native number, the "
      "following batches still run, and the exit status is 1.");
  auto* db = cmd->add_option("--db", args->db,
                             "embedded database file (created when missing), or :memory:");
  auto* odbc = cmd->add_option(
      "--odbc", args->odbc,
      "an ODBC connection string instead: SQL Server (DRIVER=FreeTDS;SERVER=...), or SQLite "
      "through the SQLite ODBC driver with the engine loaded (...;LoadExt=<path of "
      "libzv_tsql.so>)");
  db->excludes(odbc);
  odbc->excludes(db);

  cmd->add_option("-c,--command", args->commands,
                  "T-SQL text to run before the files (repeatable; GO lines split it too)");
  cmd->add_option("files", args->files, "script files to run in order (- for standard input)");
  cmd->add_option("--format", args->format, "output of result sets: table (default) or csv")
      ->check(CLI::IsMember({"table", "csv"}));
  cmd->footer(
      "Examples:\n"
      "  vestaro sql --db company.db -c \"SELECT TOP 5 * FROM DO30_DOCCORPO\"\n"
      "  vestaro sql --db company.db --format csv report.sql > report.csv\n"
      "  echo \"SELECT 1 + '1' AS N\" | vestaro sql --db :memory:\n"
      "  vestaro sql --odbc \"DRIVER=FreeTDS;SERVER=sqlhost;PORT=1433;DATABASE=ERP;UID=u;PWD=p;"
      "TDS_Version=7.4;ClientCharset=UTF-8\" -c \"SELECT @@VERSION\"\n"
      "  vestaro sql --odbc \"DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so;"
      "Database=company.db;LoadExt=build/libzv_tsql.so\" -c \"EXEC SPVESTARO_ACCORPA ...\"");
  cmd->callback([args, exit_status] {
    if (args->db.empty() && args->odbc.empty()) throw CLI::RequiredError("--db or --odbc");
    *exit_status = RunSql(*args);
  });
});

}  // namespace
}  // namespace zv::app
