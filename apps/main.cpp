// vestaro: the command-line host of the library (demo, sql shell, sample
// data, gradient pictures).
#include <CLI/CLI.hpp>

#include "apps/commands.h"

namespace zv::app {
std::vector<CommandInstaller>& CommandInstallers() {
  static std::vector<CommandInstaller> installers;
  return installers;
}
}  // namespace zv::app

int main(int argc, char** argv) {
  CLI::App app{
      "vestaro - business objects for the production module of an apparel "
      "ERP, run against the embedded T-SQL database"};
  app.require_subcommand(1);
  int exit_status = 0;
  for (auto& install : zv::app::CommandInstallers()) install(app, &exit_status);
  CLI11_PARSE(app, argc, argv);
  return exit_status;
}
