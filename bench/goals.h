// Speed and memory goals. A goal measures its own work and its baseline in
// the same run (these machines are noisy, so goals are ratios where
// possible) and reports one line:
//   GOAL <name> measured=<value> target=<value> <PASS|FAIL>
// Register a goal with ZV_GOAL(name) { ... ReportGoal(...); }.
#ifndef ZV_BENCH_GOALS_H_
#define ZV_BENCH_GOALS_H_

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zv::bench {

struct GoalResult {
  std::string name;
  double measured;
  double target;
  bool pass;
  std::string unit;  // appended to the numbers ("x", "us", "B/row", ...)
};

// Records a goal result; lower_is_better decides the comparison.
void ReportGoal(std::string name, double measured, double target,
                bool lower_is_better = true, std::string unit = "");
// Free-form lines printed before the GOAL lines (details of a goal).
void ReportDetail(std::string line);

using GoalFn = std::function<void()>;
struct GoalRegistration {
  GoalRegistration(const char* name, GoalFn fn);
};

// Median wall time of `fn` over `repeats` runs, in seconds.
double MedianSeconds(int repeats, const std::function<void()>& fn);

}  // namespace zv::bench

#define ZV_GOAL_CONCAT2(a, b) a##b
#define ZV_GOAL_CONCAT(a, b) ZV_GOAL_CONCAT2(a, b)
#define ZV_GOAL(name)                                                      \
  static void ZV_GOAL_CONCAT(zv_goal_fn_, __LINE__)();                     \
  static ::zv::bench::GoalRegistration ZV_GOAL_CONCAT(zv_goal_reg_,        \
                                                      __LINE__)(           \
      name, &ZV_GOAL_CONCAT(zv_goal_fn_, __LINE__));                       \
  static void ZV_GOAL_CONCAT(zv_goal_fn_, __LINE__)()

#endif  // ZV_BENCH_GOALS_H_
