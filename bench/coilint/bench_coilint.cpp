// Cost of one coil-integral evaluation (two order-0 Bessel calls and two running integrals)
// at arguments typical of the kernels: k*R2 from 0.5 to 50 with R1/R2 = 0.5.
#include <benchmark/benchmark.h>

#include "coilint/coilint.hpp"

namespace {

// Argument x2 = range(0) / 10 (so 5 -> 0.5, 50 -> 5, 500 -> 50); x1 = x2 / 2.
template <double (*F)(double, double)>
void BM_CoilInt(benchmark::State& state) {
  const double x2 = static_cast<double>(state.range(0)) / 10.0, x1 = 0.5 * x2;
  for (auto _ : state) {
    double a = x1, b = x2;
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(F(a, b));
  }
}
BENCHMARK(BM_CoilInt<veldo::CoilIntJ>)->Name("CoilIntJ")->Arg(5)->Arg(50)->Arg(500);
BENCHMARK(BM_CoilInt<veldo::CoilIntI>)->Name("CoilIntI")->Arg(5)->Arg(50)->Arg(500);
BENCHMARK(BM_CoilInt<veldo::CoilIntK>)->Name("CoilIntK")->Arg(5)->Arg(50)->Arg(500);

// The running integral alone, to separate its share from the Bessel call's.
template <double (*F)(double)>
void BM_RunInt(benchmark::State& state) {
  const double x = static_cast<double>(state.range(0)) / 10.0;
  for (auto _ : state) {
    double a = x;
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(F(a));
  }
}
BENCHMARK(BM_RunInt<veldo::J0INT>)->Name("J0INT")->Arg(5)->Arg(500);
BENCHMARK(BM_RunInt<veldo::I0INT>)->Name("I0INT")->Arg(5)->Arg(500);
BENCHMARK(BM_RunInt<veldo::K0INT>)->Name("K0INT")->Arg(5)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
