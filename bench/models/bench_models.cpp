// Time per call and kernel evaluations per call of each model at its case's default inputs
// (first swept value; the rod cases with a 12-14 mm coil round the rod), and of the air-coil
// reference. Counters: "kernel" = outer integrand evaluations (both runs), "inner" = the vertical
// coil's inner integrand evaluations.
//
// The sweeps: points per second over a long sweep on one thread, each point a model call as the
// Compute command makes it, without and with a CoilFactorCache that lives for the sweep (argument
// 0 or 1): case 1 over lift-off 0.001 to 10 mm and conductivity 0.01 to 60 MS/m in the window's
// steps, every case over conductivity. Counter "coil" = coil factors evaluated per point. And
// plates of 1, 2, 5 and 20 layers through the one entry point (items per second = points).
// BM_Batch*: the same sweeps through the batch engine (models/batch_engine.hpp).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "bench/models/batch_sweep.hpp"
#include "models/batch_engine.hpp"
#include "models/models_counted.hpp"
#include "models/problem.hpp"

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

// A drive and a pickup over a plate, the pickup's axis x apart (argument: x in micrometres): the
// drive of the defaults with a 1-2 mm pickup at x = 7 mm (the integral over (0, inf)), two such
// pickups 14 mm apart, and two 0.1 mm coils 0.16 m (ten skin depths at 1 kHz, 1 MS/m) apart (both
// by the cycles of J0(k x), models/offset_integral.hpp).
void BM_PlanarPairOffset(benchmark::State& s) {
  const double x = static_cast<double>(s.range(0)) * 1e-6;
  const bool small = x > 0.1;
  const Coil drive = x == 14e-3 ? Coil{100, 1e-3, 2e-3, 1e-3} : small ? Coil{10, 0.05e-3, 0.1e-3, 0.02e-3} : Coil{N, R1, R2, L};
  Coil pickup = small ? drive : Coil{100, 1e-3, 2e-3, 1e-3};
  pickup.x = x;
  const Conductor plate{Geometry::Plate, small ? 1e-6 : 1e-4, {{std::numeric_limits<double>::infinity(), small ? 1e6 : 1e7, 1}}};
  const double f = small ? 1e3 : 1e5;
  Measure(s, [&](double& dR, double& dX, int& Ier, KernelCount* c) {
    const Impedance z = EvaluatePair(drive, pickup, plate, f, Acc, c, nullptr);
    dR = z.dR, dX = z.dX, Ier = z.Ier;
  });
}

// One sweep of `points` calls of `call(i, count, cache)` per iteration.
template <class Call>
void Sweep(benchmark::State& state, std::int64_t points, Call call) {
  const bool cached = state.range(0) != 0;
  KernelCount count;
  std::int64_t done = 0;
  for (auto _ : state) {
    CoilFactorCache cache;
    for (std::int64_t i = 0; i < points; ++i) {
      double a = 0.0, b = 0.0;
      int ier = 0;
      call(static_cast<double>(i), a, b, ier, &count, cached ? &cache : nullptr);
      benchmark::DoNotOptimize(a);
      benchmark::DoNotOptimize(b);
    }
    done += points;
  }
  state.SetItemsProcessed(done);
  state.counters["kernel"] = static_cast<double>(count.Outer) / static_cast<double>(done);
  state.counters["coil"] = static_cast<double>(count.CoilFactors) / static_cast<double>(done);
}

// Case 1, lift-off 0.001:10:0.001 mm (10,000 points).
void BM_SweepPlanarOneLayerLiftOff(benchmark::State& s) {
  Sweep(s, 10000, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    PlanarOneLayer(N, R1, R2, L, 1e5, (0.001 + 0.001 * i) * 1e-3, 1e6, 1, Acc, dR, dX, Ier, c, cache);
  });
}
// Case 1, conductivity 0.01:60:0.01 MS/m (6,000 points).
void BM_SweepPlanarOneLayerConductivity(benchmark::State& s) {
  Sweep(s, 6000, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    PlanarOneLayer(N, R1, R2, L, 1e5, 0.1e-3, (0.01 + 0.01 * i) * 1e6, 1, Acc, dR, dX, Ier, c, cache);
  });
}
// The other cases over conductivity 0.1:60:0.1 MS/m (600 points; case 9: 0.5:60:0.5, 120).
void BM_SweepPlanarTwoLayers(benchmark::State& s) {
  Sweep(s, 600, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    PlanarTwoLayers(N, R1, R2, L, 1e4, 0.1e-3, 0.1e-3, (0.1 + 0.1 * i) * 1e6, 35.4e6, 1, 1, Acc, dR, dX, Ier, c,
                    cache);
  });
}
void BM_SweepCylinderInsideOneLayer(benchmark::State& s) {
  Sweep(s, 600, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    CylinderInsideOneLayer(N, R1, R2, L, 1e4, 10e-3, (0.1 + 0.1 * i) * 1e6, 1, Acc, dR, dX, Ier, c, cache);
  });
}
void BM_SweepCylinderInsideTwoLayers(benchmark::State& s) {
  Sweep(s, 600, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    CylinderInsideTwoLayers(N, R1, R2, L, 1e4, 10e-3, 12e-3, (0.1 + 0.1 * i) * 1e6, 35.4e6, 1, 1, Acc, dR, dX,
                            Ier, c, cache);
  });
}
void BM_SweepCylinderOutsideOneLayer(benchmark::State& s) {
  Sweep(s, 600, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    CylinderOutsideOneLayer(N, RodR1, RodR2, L, 1e5, 9e-3, (0.1 + 0.1 * i) * 1e6, 1, Acc, dR, dX, Ier, c, cache);
  });
}
void BM_SweepCylinderOutsideTwoLayers(benchmark::State& s) {
  Sweep(s, 600, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    CylinderOutsideTwoLayers(N, RodR1, RodR2, L, 1e5, 10e-3, 9e-3, (0.1 + 0.1 * i) * 1e6, 35.4e6, 1, 1, Acc, dR,
                             dX, Ier, c, cache);
  });
}
void BM_SweepVerticalCoilHalfSpace(benchmark::State& s) {
  Sweep(s, 120, [](double i, double& dR, double& dX, int& Ier, KernelCount* c, CoilFactorCache* cache) {
    VerticalCoilHalfSpace(N, R1, R2, L, 1e5, 0.1e-3, (0.5 + 0.5 * i) * 1e6, 1, Acc, dR, dX, Ier, c, cache);
  });
}

// A plate of n layers (the argument) over conductivity 0.1:60:0.1 MS/m of its top layer (600
// points), with one workspace for the sweep: the top layer 0.1 mm thick, then n - 2 layers of
// 0.05 mm alternating 20 and 5 MS/m, on a half-space of 35.4 MS/m (n = 1: the half-space swept).
void BM_SweepPlanarStack(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Probe probe;
  probe.coils.push_back(Coil{N, R1, R2, L});
  Conductor plate{Geometry::Plate, 0.1e-3, {}};
  for (int i = 0; i + 1 < n; ++i) plate.layers.push_back({i == 0 ? 0.1e-3 : 0.05e-3, i % 2 ? 20e6 : 5e6, 1});
  plate.layers.push_back({std::numeric_limits<double>::infinity(), 35.4e6, 1});
  std::int64_t done = 0;
  for (auto _ : state) {
    Workspace ws;
    for (int i = 0; i < 600; ++i) {
      plate.layers.front().sigma = (0.1 + 0.1 * i) * 1e6;
      benchmark::DoNotOptimize(Evaluate(probe, plate, 1e4, Acc, ws));
    }
    done += 600;
  }
  state.SetItemsProcessed(done);
}

// The same sweeps through the batch engine (bench/models/batch_sweep.hpp).
void BatchSweep(benchmark::State& state, const Probe& probe, std::vector<Conductor> conductors, std::vector<double> f) {
  bench::BatchSweep(state, probe, conductors, f, Acc);
}

Probe OneCoil(double r1, double r2, CoilAxis axis = CoilAxis::Normal) {
  Probe p;
  p.coils.push_back(Coil{N, r1, r2, L, 0.0, 0.0, axis});
  return p;
}
constexpr double kInf = std::numeric_limits<double>::infinity();

// `points` conductors and frequencies made by make(i, conductor, f).
template <class Make>
void Points(int points, std::vector<Conductor>& c, std::vector<double>& f, Make make) {
  c.resize(static_cast<std::size_t>(points));
  f.resize(static_cast<std::size_t>(points));
  for (int i = 0; i < points; ++i) make(static_cast<double>(i), c[static_cast<std::size_t>(i)], f[static_cast<std::size_t>(i)]);
}

void BM_BatchPlanarOneLayerLiftOff(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(10000, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Plate, (0.001 + 0.001 * i) * 1e-3, {{kInf, 1e6, 1}}}, fi = 1e5;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
void BM_BatchPlanarOneLayerConductivity(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(6000, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Plate, 0.1e-3, {{kInf, (0.01 + 0.01 * i) * 1e6, 1}}}, fi = 1e5;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
void BM_BatchPlanarTwoLayers(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Plate, 0.1e-3, {{0.1e-3, (0.1 + 0.1 * i) * 1e6, 1}, {kInf, 35.4e6, 1}}}, fi = 1e4;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
// Plates of n layers as BM_SweepPlanarStack builds them.
void BM_BatchPlanarStack(benchmark::State& s) {
  const int n = static_cast<int>(s.range(0));
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [n](double i, Conductor& k, double& fi) {
    k = {Geometry::Plate, 0.1e-3, {}};
    for (int j = 0; j + 1 < n; ++j) k.layers.push_back({j == 0 ? 0.1e-3 : 0.05e-3, j % 2 ? 20e6 : 5e6, 1});
    k.layers.push_back({kInf, 35.4e6, 1});
    k.layers.front().sigma = (0.1 + 0.1 * i) * 1e6;
    fi = 1e4;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
void BM_BatchCylinderInsideOneLayer(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Tube, 10e-3, {{kInf, (0.1 + 0.1 * i) * 1e6, 1}}}, fi = 1e4;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
void BM_BatchCylinderInsideTwoLayers(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Tube, 10e-3, {{2e-3, (0.1 + 0.1 * i) * 1e6, 1}, {kInf, 35.4e6, 1}}}, fi = 1e4;
  });
  BatchSweep(s, OneCoil(R1, R2), c, f);
}
void BM_BatchCylinderOutsideOneLayer(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Rod, 9e-3, {{9e-3, (0.1 + 0.1 * i) * 1e6, 1}}}, fi = 1e5;
  });
  BatchSweep(s, OneCoil(RodR1, RodR2), c, f);
}
void BM_BatchCylinderOutsideTwoLayers(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(600, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Rod, 10e-3, {{1e-3, (0.1 + 0.1 * i) * 1e6, 1}, {9e-3, 35.4e6, 1}}}, fi = 1e5;
  });
  BatchSweep(s, OneCoil(RodR1, RodR2), c, f);
}
void BM_BatchVerticalCoilHalfSpace(benchmark::State& s) {
  std::vector<Conductor> c;
  std::vector<double> f;
  Points(120, c, f, [](double i, Conductor& k, double& fi) {
    k = {Geometry::Plate, 0.1e-3, {{kInf, (0.5 + 0.5 * i) * 1e6, 1}}}, fi = 1e5;
  });
  BatchSweep(s, OneCoil(R1, R2, CoilAxis::Parallel), c, f);
}

BENCHMARK(BM_AirCoilReactance)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanarOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanarTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderInsideOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderInsideTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderOutsideOneLayer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CylinderOutsideTwoLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerticalCoilHalfSpace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanarPairOffset)->Arg(0)->Arg(7000)->Arg(14000)->Arg(159155)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SweepPlanarOneLayerLiftOff)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepPlanarOneLayerConductivity)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepPlanarTwoLayers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepCylinderInsideOneLayer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepCylinderInsideTwoLayers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepCylinderOutsideOneLayer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepCylinderOutsideTwoLayers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepVerticalCoilHalfSpace)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepPlanarStack)->Arg(1)->Arg(2)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchPlanarOneLayerLiftOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchPlanarOneLayerConductivity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchPlanarTwoLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchPlanarStack)->Arg(1)->Arg(2)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCylinderInsideOneLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCylinderInsideTwoLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCylinderOutsideOneLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCylinderOutsideTwoLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchVerticalCoilHalfSpace)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
