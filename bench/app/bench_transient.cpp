// One pulsed-eddy-current transient: a coaxial drive and pickup over a plate of two conducting
// layers, 41 times over four decades (10 a decade) after a step-off, at Acc 1e-4; the same with a
// rectangular pulse and with a sampled ramp-off, and over a magnetic steel plate. Real time per
// transient (all its Laplace-domain values and the inversion), one thread.
#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/transient.hpp"

namespace {

using namespace veldo;

constexpr double kInf = std::numeric_limits<double>::infinity();

Problem Pair(std::vector<Layer> layers) {
  Problem p;
  p.probe.coils = {Coil{200, 2e-3, 4e-3, 1e-3, 0.2e-3}, Coil{100, 1e-3, 1.5e-3, 0.5e-3, 0.7e-3}};
  p.probe.pickup = 1;
  p.conductor = {Geometry::Plate, 0.5e-3, std::move(layers)};
  return p;
}

std::vector<double> Times(double from, int decades) {
  std::vector<double> t;
  for (int i = 0; i <= 10 * decades; ++i) t.push_back(from * std::pow(10.0, i / 10.0));
  return t;
}

void BM_Transient(benchmark::State& state, Problem p, Waveform w, double from) {
  const std::vector<double> t = Times(from, 4);
  for (auto _ : state) {
    const TransientResult r = Transient(p, t, w, 1e-4);
    benchmark::DoNotOptimize(r.v.data());
  }
  state.counters["times"] = static_cast<double>(t.size());
}

const Problem kTwoLayers = Pair({{0.5e-3, 3.5e7, 1}, {1.5e-3, 1.0e7, 1}, {kInf, 0.0, 1}});
const Problem kSteel = Pair({{10e-3, 5e6, 100}, {kInf, 0.0, 1}});

}  // namespace

BENCHMARK_CAPTURE(BM_Transient, two_layers_step_off, kTwoLayers, Waveform{}, 1e-6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transient, two_layers_pulse, kTwoLayers, Waveform{Waveform::Pulse, 1e-4, {}, {}}, 1e-6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transient, two_layers_sampled_ramp, kTwoLayers,
                  Waveform{Waveform::Samples, 0, {0.0, 2e-6, 1e-5}, {1.0, 0.3, 0.0}}, 2e-5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transient, steel_step_off, kSteel, Waveform{}, 1e-5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
