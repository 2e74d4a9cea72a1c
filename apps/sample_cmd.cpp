// vestaro sample: creates the ERP database of the embedded default and fills
// it with one or more sample apparel companies, or writes the same T-SQL to a
// script file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/commands.h"
#include "apps/production_rows.h"
#include "apps/sample_db.h"
#include "apps/sample_generator.h"
#include "apps/sample_sql.h"
#include "data/connection.h"
#include "data/error.h"
#include "data/sqlite/embedded_connection.h"

namespace zv::app {
namespace {

// A connection that writes every batch it is given to a T-SQL script, each
// batch followed by a GO line, as sqlcmd and the SQL Server tools read it.
class ScriptFileConnection : public Connection {
 public:
  explicit ScriptFileConnection(std::ostream& out) : out_(out) {}

  std::shared_ptr<Recordset> Execute(std::string_view sql, int32_t* records_affected,
                                     int /*options*/) override {
    out_.write(sql.data(), static_cast<std::streamsize>(sql.size()));
    out_ << "\nGO\n";
    if (!out_) throw std::runtime_error("cannot write the SQL script");
    if (records_affected != nullptr) *records_affected = 0;
    return nullptr;
  }
  std::shared_ptr<Recordset> OpenRecordset(std::string_view, int, int, int) override {
    throw std::logic_error("a script file cannot be queried");
  }
  std::unique_ptr<Command> CreateCommand() override {
    throw std::logic_error("a script file cannot run procedures");
  }
  Errors& GetErrors() override { return errors_; }
  int State() const override { return 1; }
  void Close() override {}

 private:
  std::ostream& out_;
  Errors errors_;
};

struct SampleArgs {
  std::string db;
  std::string sql_out;
  std::vector<int> companies;
  int64_t orders = 1000;
  uint64_t seed = 1;
  std::string scripts;
  std::string date;
  int rows_per_insert = 250;
  bool no_schema = false;
};

void ParseDate(const std::string& text, sample::SampleOptions* options) {
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &extra) != 3) {
    throw std::invalid_argument("--date expects YYYY-MM-DD, not " + text);
  }
  options->reference_year = y;
  options->reference_month = m;
  options->reference_day = d;
}

int RunSample(const SampleArgs& args) {
  if (args.db.empty() == args.sql_out.empty()) {
    std::cerr << "sample: give either --db FILE or --sql-out FILE\n";
    return 2;
  }
  std::vector<int> companies;
  for (int c : args.companies) {
    if (std::find(companies.begin(), companies.end(), c) == companies.end()) companies.push_back(c);
  }
  if (companies.empty()) companies.push_back(1);
  try {
    const auto scripts =
        sample::LoadSchemaScripts(args.scripts.empty() ? sample::DefaultSchemaDir() : args.scripts);
    std::ofstream file;
    std::shared_ptr<Connection> connection;
    std::shared_ptr<sqlite::EmbeddedConnection> embedded;
    if (!args.sql_out.empty()) {
      file.open(args.sql_out, std::ios::binary | std::ios::trunc);
      if (!file) {
        std::cerr << "sample: cannot create " << args.sql_out << "\n";
        return 1;
      }
      connection = std::make_shared<ScriptFileConnection>(file);
    } else {
      embedded = sqlite::EmbeddedConnection::Open(args.db);
      connection = embedded;
    }
    const bool to_database = args.sql_out.empty();
    if (!args.no_schema) sample::CreateSchema(*connection, scripts, to_database);
    // The stored procedures too, so that the database can merge right away.
    if (to_database) sample::CreateProcedures(*connection);

    bool first = true;
    for (int company : companies) {
      sample::SampleOptions options;
      options.company = company;
      options.order_rows = args.orders;
      options.seed = args.seed;
      options.shared_tables = first;
      if (!args.date.empty()) ParseDate(args.date, &options);
      first = false;

      const auto started = std::chrono::steady_clock::now();
      if (to_database) sample::DeleteCompany(*connection, scripts, company);
      connection->Execute("BEGIN TRANSACTION", nullptr, ado::kCmdText | ado::kExecuteNoRecords);
      // Into a database the rows are bound to prepared INSERTs; into a
      // script they are written as multi-row INSERT statements.
      sample::SqlBatchWriter script_writer(*connection, args.rows_per_insert);
      std::unique_ptr<sample::DatabaseRowWriter> db_writer;
      if (embedded) db_writer = std::make_unique<sample::DatabaseRowWriter>(embedded->database());
      sample::RowSink& sink = db_writer ? static_cast<sample::RowSink&>(*db_writer) : script_writer;
      const sample::GenerationSummary summary = sample::GenerateCompany(options, sink);
      script_writer.Flush();
      connection->Execute("COMMIT TRANSACTION", nullptr, ado::kCmdText | ado::kExecuteNoRecords);
      if (db_writer) db_writer->Finish();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

      std::printf("company %d: %lld production orders, %lld order rows, %lld documents, "
                  "%lld rows in %zu tables\n",
                  company, static_cast<long long>(summary.production_orders),
                  static_cast<long long>(summary.production_rows),
                  static_cast<long long>(summary.documents),
                  static_cast<long long>(summary.total_rows()), summary.rows_per_table.size());
      if (db_writer) {
        std::printf("  written to %s in %.2f s\n", args.db.c_str(), seconds);
      } else {
        std::printf("  %lld INSERT statements, %.1f MB of T-SQL, %.2f s\n",
                    static_cast<long long>(script_writer.statements()),
                    static_cast<double>(script_writer.bytes()) / (1024.0 * 1024.0), seconds);
      }
    }
    if (file.is_open()) {
      file.close();
      if (!file) {
        std::cerr << "sample: cannot finish writing " << args.sql_out << "\n";
        return 1;
      }
    }
    return 0;
  } catch (const PlatformError& e) {
    std::cerr << "sample: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sample: " << e.what() << "\n";
    return 1;
  }
}

VESTARO_COMMAND([](CLI::App& app, int* exit_status) {
  auto args = std::make_shared<SampleArgs>();
  auto* cmd = app.add_subcommand(
      "sample",
      "Create the ERP database of the embedded default and fill it with sample apparel "
      "companies.\n"
      "Each company gets its variant configuration (colour, size as the grid dimension, fit), "
      "articles (jackets, trousers, shirts, semi-finished parts, wool/cotton/linen cloth, "
      "buttons, zips, threads, labels) with descriptions in Italian, English and German, "
      "customers and subcontractors, and production orders exploded by size with their "
      "phases (cutting, fusing, sewing with sub-phases, outsourced sewing, embroidery and "
      "washing, pressing, inspection), components, progress movements, customer orders, "
      "subcontract orders, picking lists, delivery notes, stock and planning proposals. "
      "The same --seed always gives the same data.\n"
      "Rows of a company already in the database are replaced.");
  cmd->add_option("--db", args->db, "embedded database file to create or update");
  cmd->add_option("--sql-out", args->sql_out,
                  "write the schema and the data as a T-SQL script (batches separated by GO) "
                  "instead of filling a database");
  cmd->add_option("--company", args->companies,
                  "company code to generate (repeat the option for several companies; default 1)");
  cmd->add_option("--orders", args->orders,
                  "production-order rows per company, parent and size rows together "
                  "(default 1000)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--seed", args->seed, "seed of the generator (default 1)");
  cmd->add_option("--date", args->date,
                  "the sample's today, YYYY-MM-DD: orders are dated and advanced as on that "
                  "day (default 2025-03-14)");
  cmd->add_option("--scripts", args->scripts,
                  "folder of the schema scripts and their order.txt (default: db/schema of the "
                  "source tree)");
  cmd->add_option("--rows-per-insert", args->rows_per_insert,
                  "rows per INSERT statement of the --sql-out script (default 250)")
      ->check(CLI::Range(1, 1000));
  cmd->add_flag("--no-schema", args->no_schema, "do not create the tables and views");
  cmd->footer(
      "Examples:\n"
      "  vestaro sample --sql-out company.sql --orders 1000\n"
      "  vestaro sample --db vestaro.db --company 1 --company 2 --orders 100000 --seed 7");
  cmd->callback([args, exit_status] { *exit_status = RunSample(*args); });
});

}  // namespace
}  // namespace zv::app
