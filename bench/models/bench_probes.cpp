// What a transmit-receive point costs beside an absolute one: the drive alone, and the drive read
// by a pickup (its transfer impedance), over a coated plate, in a tube and round a rod, one point
// at a time on the adaptive path ("kernel" = integrand evaluations per point), as a sweep of 600
// conductivities on the adaptive path with the coil factors kept, and through the batch engine
// (items per second = points). The pickup sits in
// the drive's bore over the plate and beside it along the axis in the tube and round the rod.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "bench/models/batch_sweep.hpp"
#include "models/problem.hpp"

namespace {

using namespace veldo;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double Acc = 1e-4;

Probe Of(Geometry g, bool pair) {
  Probe p;
  const bool plate = g == Geometry::Plate;
  const double r1 = g == Geometry::Rod ? 12e-3 : 2e-3, r2 = g == Geometry::Rod ? 14e-3 : 4e-3;
  p.coils.push_back(Coil{200, r1, r2, 1e-3});
  if (pair) {
    p.coils.push_back(plate ? Coil{100, 0.5e-3, 1.5e-3, 1e-3, 1.5e-3} : Coil{100, r1, r2, 1e-3, 2e-3});
    p.pickup = 1;
  }
  return p;
}

Conductor Piece(Geometry g, double sigma) {
  switch (g) {
    case Geometry::Plate: return {g, 0.5e-3, {{0.2e-3, 1.4e6, 1}, {kInf, sigma, 1}}};
    case Geometry::Tube: return {g, 10e-3, {{kInf, sigma, 1}}};
    case Geometry::Rod: break;
  }
  return {Geometry::Rod, 9e-3, {{9e-3, sigma, 1}}};
}

const Geometry kGeometries[] = {Geometry::Plate, Geometry::Tube, Geometry::Rod};

// Arguments: geometry (0 plate, 1 tube, 2 rod), 0 absolute or 1 transmit-receive.
void BM_ProbePoint(benchmark::State& state) {
  const Geometry g = kGeometries[state.range(0)];
  const Probe probe = Of(g, state.range(1) == 1);
  const Conductor c = Piece(g, 35.4e6);
  KernelCount count;
  long long calls = 0;
  for (auto _ : state) {
    const Impedance z = Evaluate(probe, c, 1e4, Acc, &count, nullptr);
    benchmark::DoNotOptimize(z);
    ++calls;
  }
  state.counters["kernel"] = static_cast<double>(count.Outer) / static_cast<double>(calls);
}

// The sweep as the Compute command runs it on one thread: 600 conductivities, each point adaptive,
// the coil factors kept between the points in the thread's workspace (items per second = points).
void BM_ProbeSweep(benchmark::State& state) {
  const Geometry g = kGeometries[state.range(0)];
  const Probe probe = Of(g, state.range(1) == 1);
  std::int64_t done = 0;
  for (auto _ : state) {
    Workspace ws;
    for (int i = 0; i < 600; ++i) {
      const Impedance z = Evaluate(probe, Piece(g, (0.1 + 0.1 * i) * 1e6), 1e4, Acc, ws);
      benchmark::DoNotOptimize(z);
    }
    done += 600;
  }
  state.SetItemsProcessed(done);
}

void BM_ProbeBatch(benchmark::State& state) {
  const Geometry g = kGeometries[state.range(0)];
  const Probe probe = Of(g, state.range(1) == 1);
  std::vector<Conductor> c;
  for (int i = 0; i < 600; ++i) c.push_back(Piece(g, (0.1 + 0.1 * i) * 1e6));
  bench::BatchSweep(state, probe, c, std::vector<double>(c.size(), 1e4), Acc);
}

BENCHMARK(BM_ProbePoint)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProbeSweep)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProbeBatch)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
