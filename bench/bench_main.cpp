// Runs the Google Benchmark cases, then every goal, then prints one GOAL
// line per goal. Options: the usual --benchmark_* flags; --goals-only skips
// the micro-benchmarks; --goal=NAME runs goals whose name contains NAME.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/goals.h"

namespace zv::bench {
namespace {
std::vector<std::pair<std::string, GoalFn>>& Goals() {
  static std::vector<std::pair<std::string, GoalFn>> goals;
  return goals;
}
std::vector<GoalResult>& Results() {
  static std::vector<GoalResult> results;
  return results;
}
std::vector<std::string>& Details() {
  static std::vector<std::string> details;
  return details;
}
}  // namespace

GoalRegistration::GoalRegistration(const char* name, GoalFn fn) {
  Goals().emplace_back(name, std::move(fn));
}

void ReportGoal(std::string name, double measured, double target,
                bool lower_is_better, std::string unit) {
  bool pass = lower_is_better ? measured <= target : measured >= target;
  Results().push_back({std::move(name), measured, target, pass, std::move(unit)});
}

void ReportDetail(std::string line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  Details().push_back(std::move(line));
}

double MedianSeconds(int repeats, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < repeats; ++i) {
    auto a = std::chrono::steady_clock::now();
    fn();
    auto b = std::chrono::steady_clock::now();
    t.push_back(std::chrono::duration<double>(b - a).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

}  // namespace zv::bench

int main(int argc, char** argv) {
  bool goals_only = false;
  std::string goal_filter;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--goals-only") == 0) {
      goals_only = true;
    } else if (std::strncmp(argv[i], "--goal=", 7) == 0) {
      goal_filter = argv[i] + 7;
      goals_only = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  if (!goals_only) benchmark::RunSpecifiedBenchmarks();
  for (auto& [name, fn] : zv::bench::Goals()) {
    if (!goal_filter.empty() && name.find(goal_filter) == std::string::npos) continue;
    std::printf("-- goal %s\n", name.c_str());
    std::fflush(stdout);
    fn();
  }
  bool all = true;
  for (auto& r : zv::bench::Results()) {
    std::printf("GOAL %s measured=%.4g%s target=%.4g%s %s\n", r.name.c_str(),
                r.measured, r.unit.c_str(), r.target, r.unit.c_str(),
                r.pass ? "PASS" : "FAIL");
    all = all && r.pass;
  }
  benchmark::Shutdown();
  return all ? 0 : 1;
}
