// The Compute command's default sweep of every case (the rod cases with a 12-14 mm coil round
// the rod): time per point on one thread, the sweep on one thread and on all cores, and kernel
// evaluations per point with and without sharing values between a model's two runs. After the
// Google Benchmark rows, a summary table per case; the same numbers go to a CSV file for the
// comparison with the Python version (bench/python/sweep_scipy.py).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/field_texts.hpp"
#include "app/compute.hpp"
#include "models/models_counted.hpp"
#include "tests/models/model_calls.hpp"
#include "tests/support/stand_in_models.hpp"

namespace {

using namespace veldo;

constexpr int kCaseNumbers[] = {1, 2, 3, 4, 5, 6, 9};

// The window's fields at their defaults, the first parameter swept; the coil round a rod is
// widened to enclose the default rods.
CaseFieldTexts DefaultInput(const CaseDef& caseDef) {
  CaseFieldTexts in(caseDef);
  in.separator = ".";
  if (caseDef.model == ModelKind::CylinderOutsideOneLayer || caseDef.model == ModelKind::CylinderOutsideTwoLayers) {
    in.texts["Editr1"] = "12";
    in.texts["Editr2"] = "14";
  }
  return in;
}

// Keeps nothing but the number of points.
class CountingOutput : public ComputeOutput {
public:
  void ShowMessage(MessageKind, const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void SetAirCoilLabels(const std::string&, const std::string&) override {}
  void SetProgressPosition(int) override {}
  void SetProgressMaximum(int) override {}
  void StepProgress() override {}
  int CurveCount() const override { return 0; }
  void BeginCurve(Rgb) override {}
  void AddPoint(double, double) override { ++points; }
  void CountCurve() override {}
  void ReportAccuracy(int, int, bool) override {}
  int points = 0;
};

// The models with every call's kernel evaluations added to `count` (one thread only).
ModelTable CountedModels(KernelCount& count) {
  KernelCount* c = &count;
  return test::StandInModels(RealModels().AirCoilReactance,
                             [c](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
                               const test::ModelOutput o = test::CallModel(a, c);
                               dR = o.dR, dX = o.dX, Ier = o.Ier;
                             });
}

// Kernel evaluations (outer plus inner) per point of the default sweep.
double EvaluationsPerPoint(int testCase, bool reuse) {
  KernelCount count;
  count.Reuse = reuse;
  CountingOutput out;
  ButtonComputeClick(testCase, DefaultInput(*FindCase(testCase)), out, CountedModels(count), 1);
  return static_cast<double>(count.Outer + count.Inner) / out.points;
}

void BM_DefaultSweep(benchmark::State& state, int testCase, int threads) {
  const CaseFieldTexts in = DefaultInput(*FindCase(testCase));
  const ModelTable models = RealModels();
  int points = 0;
  for (auto _ : state) {
    CountingOutput out;
    ButtonComputeClick(testCase, in, out, models, threads);
    points = out.points;
  }
  state.counters["points"] = points;
  state.counters["threads"] = SweepThreads(threads);
}

// Real time per sweep, by name: the median of the repetitions and the fastest one, which a busy
// machine disturbs least. Taken from the repetitions themselves, or from the "median" and "min"
// aggregates when only those arrive (--benchmark_display_aggregates_only).
struct SweepTimes {
  std::vector<double> repetitions;
  double medianAggregate = 0, minAggregate = 0;
};

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double MedianOf(const SweepTimes& t) { return t.repetitions.empty() ? t.medianAggregate : Median(t.repetitions); }
double FastestOf(const SweepTimes& t) { return t.repetitions.empty() ? t.minAggregate : Fastest(t.repetitions); }

class CollectingReporter : public benchmark::ConsoleReporter {
public:
  explicit CollectingReporter(std::map<std::string, SweepTimes>& times) : times_(times) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      const double s = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      SweepTimes& t = times_[r.run_name.function_name];
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) t.repetitions.push_back(s);
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") t.medianAggregate = s;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min") t.minAggregate = s;
    }
    ConsoleReporter::ReportRuns(runs);
  }

private:
  std::map<std::string, SweepTimes>& times_;
};

std::string Name(int testCase, const char* threads) {
  return "DefaultSweep/case:" + std::to_string(testCase) + "/threads:" + threads;
}

}  // namespace

int main(int argc, char** argv) {
  for (int c : kCaseNumbers) {
    benchmark::RegisterBenchmark(Name(c, "1").c_str(), BM_DefaultSweep, c, 1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->ComputeStatistics("min", Fastest);
    benchmark::RegisterBenchmark(Name(c, "all").c_str(), BM_DefaultSweep, c, kAllCores)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->ComputeStatistics("min", Fastest);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::map<std::string, SweepTimes> seconds;
  CollectingReporter reporter(seconds);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::FILE* csv = std::fopen(VELDO_SWEEP_SUMMARY, "w");
  if (csv) std::fprintf(csv, "case,points,ms_per_point_1_thread,ms_per_point_1_thread_fastest\n");
  std::printf("\nDefault sweeps (real time, median of the repetitions [fastest]; %u hardware threads)\n",
              std::thread::hardware_concurrency());
  std::printf("%-5s %6s %9s %9s %6s %9s %18s %18s %14s\n", "case", "points", "evals/pt", "evals/pt", "fewer", "ms/pt",
              "sweep ms", "sweep ms", "speed-up");
  std::printf("%-5s %6s %9s %9s %6s %9s %18s %18s %14s\n", "", "", "plain", "shared", "", "1 thread", "1 thread",
              "all cores", "");
  for (int c : kCaseNumbers) {
    const auto one = seconds.find(Name(c, "1")), all = seconds.find(Name(c, "all"));
    if (one == seconds.end() || all == seconds.end()) continue;  // filtered out
    CountingOutput out;
    ButtonComputeClick(c, DefaultInput(*FindCase(c)), out, RealModels(), 1);
    const double plain = EvaluationsPerPoint(c, false), shared = EvaluationsPerPoint(c, true);
    const double oneMed = MedianOf(one->second), allMed = MedianOf(all->second);
    const double oneMin = FastestOf(one->second), allMin = FastestOf(all->second);
    const double msPoint = oneMed * 1e3 / out.points;
    std::printf("%-5d %6d %9.0f %9.0f %5.0f%% %9.3f %9.2f [%6.2f] %9.2f [%6.2f] %5.2fx [%5.2fx]\n", c, out.points,
                plain, shared, 100.0 * (plain - shared) / plain, msPoint, oneMed * 1e3, oneMin * 1e3, allMed * 1e3,
                allMin * 1e3, oneMed / allMed, oneMin / allMin);
    if (csv) std::fprintf(csv, "%d,%d,%.6g,%.6g\n", c, out.points, msPoint, oneMin * 1e3 / out.points);
  }
  if (csv) std::fclose(csv);
  return 0;
}
