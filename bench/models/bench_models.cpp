// Time per call and kernel evaluations per call of each model at its case's default inputs
// (first swept value; the rod cases with a 12-14 mm coil round the rod), and of the air-coil
// reference. Counters: "kernel" = outer integrand evaluations (both runs), "inner" = the vertical
// coil's inner integrand evaluations.
#include <benchmark/benchmark.h>

#include "models/models_counted.hpp"

namespace {

using namespace veldo;

constexpr int N = 200;
constexpr double R1 = 2e-3, R2 = 4e-3, L = 1e-3, Acc = 1e-4;
constexpr double RodR1 = 12e-3, RodR2 = 14e-3;

template <class Call>
void Measure(benchmark::State& state, Call call) {
  KernelCount count;
  long long calls = 0;
  for (auto _ : state) {
    double a = 0.0, b = 0.0;
    int ier = 0;
    call(a, b, ier, &count);
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    ++calls;
  }
  state.counters["kernel"] = static_cast<double>(count.Outer) / static_cast<double>(calls);
  state.counters["inner"] = static_cast<double>(count.Inner) / static_cast<double>(calls);
}

void BM_AirCoilReactance(benchmark::State& s) {
  Measure(s, [](double& X0, double&, int& Ier, KernelCount* c) { AirCoilReactance(N, R1, R2, L, 1e5, Acc, X0, Ier, c); });
}
void BM_PlanarOneLayer(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    PlanarOneLayer(N, R1, R2, L, 1e5, 0.1e-3, 1e6, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_PlanarTwoLayers(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    PlanarTwoLayers(N, R1, R2, L, 1e4, 0.1e-3, 0.1e-3, 10e6, 35.4e6, 1, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_CylinderInsideOneLayer(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    CylinderInsideOneLayer(N, R1, R2, L, 1e4, 10e-3, 10e6, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_CylinderInsideTwoLayers(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    CylinderInsideTwoLayers(N, R1, R2, L, 1e4, 10e-3, 12e-3, 10e6, 35.4e6, 1, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_CylinderOutsideOneLayer(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    CylinderOutsideOneLayer(N, RodR1, RodR2, L, 1e5, 9e-3, 1e6, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_CylinderOutsideTwoLayers(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    CylinderOutsideTwoLayers(N, RodR1, RodR2, L, 1e5, 10e-3, 9e-3, 1e6, 35.4e6, 1, 1, Acc, dR, dX, Ier, c);
  });
}
void BM_VerticalCoilHalfSpace(benchmark::State& s) {
  Measure(s, [](double& dR, double& dX, int& Ier, KernelCount* c) {
    VerticalCoilHalfSpace(N, R1, R2, L, 1e5, 0.1e-3, 1e6, 1, Acc, dR, dX, Ier, c);
  });
}

BENCHMARK(BM_AirCoilReactance)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanarOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanarTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderInsideOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderInsideTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderOutsideOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderOutsideTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerticalCoilHalfSpace)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
