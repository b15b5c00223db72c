// Micro-benchmarks of the two number fields the grid and plot files are made
// of, against raw std::to_chars of the same digits: the 25-column list field
// (17 significant digits) and the E15.7 field (7). Values are coordinates of
// the size a grid holds (see Coordinates); run by hand, never by ctest.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "output/number_format.hpp"
#include "output/significant_digits.hpp"

namespace {

// 4096 coordinates: random sign, magnitude log-uniform from 1e-4 to 1, as in
// the largest example's grid (x, y within +-0.1, z near 0.25). A fixed
// generator, so every run formats the same values.
const std::vector<double>& Coordinates() {
  static const std::vector<double> values = [] {
    std::vector<double> v(4096);
    uint64_t state = 0x9e3779b97f4a7c15u;
    for (double& value : v) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      const double unit = static_cast<double>(state >> 11) * 0x1.0p-53;
      value = std::pow(10.0, -4.0 * unit);
      if ((state >> 7) & 1) value = -value;
    }
    return v;
  }();
  return values;
}

// One field per value, cycling through the table.
template <typename Field>
void Run_fields(benchmark::State& state, Field field) {
  const std::vector<double>& values = Coordinates();
  char buffer[64];
  size_t n = 0;
  for (auto _ : state) {
    field(buffer, values[n++ & 4095]);
    benchmark::DoNotOptimize(buffer);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ListRealField(benchmark::State& state) {
  Run_fields(state, [](char* out, double v) { torvane::List_real_field(out, v); });
}

void BM_ToChars17(benchmark::State& state) {
  Run_fields(state, [](char* out, double v) { std::to_chars(out, out + 64, v, std::chars_format::scientific, 16); });
}

void BM_ExponentField15_7(benchmark::State& state) {
  Run_fields(state, [](char* out, double v) { torvane::Exponent_field(out, v, 15, 7); });
}

void BM_ToChars7(benchmark::State& state) {
  Run_fields(state, [](char* out, double v) { std::to_chars(out, out + 64, v, std::chars_format::scientific, 6); });
}

// The digit generation alone, without the field layout.
void BM_SignificantDigits17(benchmark::State& state) {
  Run_fields(state, [](char*, double v) {
    torvane::Decimal d = torvane::Significant_digits(std::fabs(v), 17);
    benchmark::DoNotOptimize(d);
  });
}

void BM_SignificantDigits7(benchmark::State& state) {
  Run_fields(state, [](char*, double v) {
    torvane::Decimal d = torvane::Significant_digits(std::fabs(v), 7);
    benchmark::DoNotOptimize(d);
  });
}

}  // namespace

BENCHMARK(BM_ListRealField);
BENCHMARK(BM_ToChars17);
BENCHMARK(BM_ExponentField15_7);
BENCHMARK(BM_ToChars7);
BENCHMARK(BM_SignificantDigits17);
BENCHMARK(BM_SignificantDigits7);

BENCHMARK_MAIN();
