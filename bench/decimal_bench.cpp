// Micro-benchmarks of the decimal operations used in the merge loops.
#include <benchmark/benchmark.h>

#include <vector>

#include "data/decimal.h"
#include "data/variant.h"

namespace zv {
namespace {

std::vector<Decimal> Quantities() {
  std::vector<Decimal> v;
  for (int i = 0; i < 1024; ++i)
    v.push_back(*Decimal::Parse(std::to_string(i * 37 % 1000) + "." +
                                std::to_string(100 + i % 900)));
  return v;
}

void BM_DecimalAdd(benchmark::State& state) {
  auto q = Quantities();
  Decimal sum;
  size_t i = 0;
  for (auto _ : state) {
    sum += q[i++ & 1023];
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_DecimalAdd);

void BM_DecimalAddMixedScale(benchmark::State& state) {
  auto q = Quantities();
  Decimal sum = *Decimal::Parse("0.000001");
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sum + q[i++ & 1023].Truncate());
  }
}
BENCHMARK(BM_DecimalAddMixedScale);

void BM_DecimalMul(benchmark::State& state) {
  auto q = Quantities();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(q[i & 1023] * q[(i + 1) & 1023]);
    ++i;
  }
}
BENCHMARK(BM_DecimalMul);

void BM_DecimalDivInexact(benchmark::State& state) {
  auto q = Quantities();
  Decimal three(3);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(q[i++ & 1023] / three);
}
BENCHMARK(BM_DecimalDivInexact);

void BM_DecimalCompare(benchmark::State& state) {
  auto q = Quantities();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(q[i & 1023] < q[(i + 7) & 1023]);
    ++i;
  }
}
BENCHMARK(BM_DecimalCompare);

void BM_DecimalParse(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Decimal::Parse("12345.678"));
}
BENCHMARK(BM_DecimalParse);

void BM_DecimalToString(benchmark::State& state) {
  Decimal d = *Decimal::Parse("12345.678");
  for (auto _ : state) benchmark::DoNotOptimize(d.ToString());
}
BENCHMARK(BM_DecimalToString);

void BM_VariantToDecimal(benchmark::State& state) {
  Variant v(*Decimal::Parse("12.5"));
  for (auto _ : state) benchmark::DoNotOptimize(v.ToDecimal());
}
BENCHMARK(BM_VariantToDecimal);

}  // namespace
}  // namespace zv
