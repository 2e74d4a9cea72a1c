// Sub-commands of the vestaro command. Each apps/*_cmd.cpp registers its
// own with a static VESTARO_COMMAND(...) so that main() needs no list.
#ifndef ZV_APPS_COMMANDS_H_
#define ZV_APPS_COMMANDS_H_

#include <CLI/CLI.hpp>

#include <functional>
#include <vector>

namespace zv::app {

// Adds a sub-command to `app`. The callback it installs must set the exit
// status through `*exit_status` (0 success).
using CommandInstaller = std::function<void(CLI::App& app, int* exit_status)>;

std::vector<CommandInstaller>& CommandInstallers();

struct CommandRegistration {
  explicit CommandRegistration(CommandInstaller installer) {
    CommandInstallers().push_back(std::move(installer));
  }
};

}  // namespace zv::app

#define VESTARO_COMMAND_CONCAT2(a, b) a##b
#define VESTARO_COMMAND_CONCAT(a, b) VESTARO_COMMAND_CONCAT2(a, b)
#define VESTARO_COMMAND(installer)                                  \
  static ::zv::app::CommandRegistration VESTARO_COMMAND_CONCAT(     \
      vestaro_command_, __LINE__)(installer)

#endif  // ZV_APPS_COMMANDS_H_
