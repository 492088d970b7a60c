// A sweep through the batch engine for the benchmarks: the whole sweep one call of EvaluateBatch
// per iteration, with a workspace of its own (items per second = points; "fallback" = the share
// of points the adaptive path computed again).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "models/batch_engine.hpp"
#include "models/problem.hpp"

namespace veldo::bench {

inline void BatchSweep(benchmark::State& state, const Probe& probe, const std::vector<Conductor>& conductors,
                       const std::vector<double>& f, double Acc) {
  std::vector<const Conductor*> ptr;
  for (const Conductor& c : conductors) ptr.push_back(&c);
  std::vector<Impedance> out(conductors.size());
  std::vector<int> raised(conductors.size());
  std::int64_t done = 0, fallbacks = 0;
  for (auto _ : state) {
    Workspace ws;
    const BatchOutcome o = EvaluateBatch(probe, ptr, f, Acc, out, raised, ws);
    benchmark::DoNotOptimize(out.data());
    done += o.points;
    fallbacks += o.fallbacks;
  }
  state.SetItemsProcessed(done);
  state.counters["fallback"] = static_cast<double>(fallbacks) / static_cast<double>(done);
}

}  // namespace veldo::bench
