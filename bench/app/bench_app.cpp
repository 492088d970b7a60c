// The Compute command's default sweep of every case (the rod cases with a 12-14 mm coil round
// the rod): time per point on one thread, the sweep on one thread and on all cores, and kernel
// evaluations per point with and without sharing values between a model's two runs. After the
// Google Benchmark rows, a summary table per case; the same numbers go to a CSV file for the
// comparison with the Python version (bench/python/sweep_scipy.py).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/compute.hpp"
#include "models/models_counted.hpp"

namespace {

using namespace veldo;

constexpr int kCaseNumbers[] = {1, 2, 3, 4, 5, 6, 9};

// The window's fields at their defaults, the first parameter swept.
class DefaultInput : public ComputeInput {
public:
  explicit DefaultInput(const CaseSpec& spec) {
    for (const CommonField& c : kCommonFields) texts_[std::string(c.name)] = std::string(c.defaultText);
    texts_[std::string(spec.frequencyField)] = std::string(spec.frequencyDefault);
    for (const ParamSpec& p : spec.params) {
      texts_[std::string(p.fromField)] = std::string(p.fromDefault);
      texts_[std::string(p.toField)] = std::string(p.toDefault);
      texts_[std::string(p.stepField)] = std::string(p.stepDefault);
    }
    if (spec.model == ModelKind::CylinderOutsideOneLayer || spec.model == ModelKind::CylinderOutsideTwoLayers) {
      texts_["Editr1"] = "12";
      texts_["Editr2"] = "14";
    }
    selector_ = std::string(spec.params.front().selector);
  }
  std::string FieldText(std::string_view name) const override {
    const auto it = texts_.find(std::string(name));
    return it == texts_.end() ? std::string() : it->second;
  }
  bool IsSelected(std::string_view radioName) const override { return radioName == selector_; }
  std::string DecimalSeparator() const override { return "."; }

private:
  std::map<std::string, std::string> texts_;
  std::string selector_;
};

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
  ModelTable t = RealModels();
  KernelCount* c = &count;
  t.PlanarOneLayer = [c](int N, double R1, double R2, double L, double f, double P, double CON1, double MR1,
                         double Acc, double& dR, double& dX, int& Ier) {
    PlanarOneLayer(N, R1, R2, L, f, P, CON1, MR1, Acc, dR, dX, Ier, c);
  };
  t.PlanarTwoLayers = [c](int N, double R1, double R2, double L, double f, double P1, double P2, double CON1,
                          double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier) {
    PlanarTwoLayers(N, R1, R2, L, f, P1, P2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, c);
  };
  t.CylinderInsideOneLayer = [c](int N, double R1, double R2, double L, double f, double P, double CON1,
                                 double MR1, double Acc, double& dR, double& dX, int& Ier) {
    CylinderInsideOneLayer(N, R1, R2, L, f, P, CON1, MR1, Acc, dR, dX, Ier, c);
  };
  t.CylinderInsideTwoLayers = [c](int N, double R1, double R2, double L, double f, double P1, double P2,
                                  double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                                  double& dX, int& Ier) {
    CylinderInsideTwoLayers(N, R1, R2, L, f, P1, P2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, c);
  };
  t.CylinderOutsideOneLayer = [c](int N, double R1, double R2, double L, double f, double P, double CON1,
                                  double MR1, double Acc, double& dR, double& dX, int& Ier) {
    CylinderOutsideOneLayer(N, R1, R2, L, f, P, CON1, MR1, Acc, dR, dX, Ier, c);
  };
  t.CylinderOutsideTwoLayers = [c](int N, double R1, double R2, double L, double f, double P1, double P2,
                                   double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                                   double& dX, int& Ier) {
    CylinderOutsideTwoLayers(N, R1, R2, L, f, P1, P2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, c);
  };
  t.VerticalCoilHalfSpace = [c](int N, double R1, double R2, double L, double f, double P, double CON1,
                                double MR1, double Acc, double& dR, double& dX, int& Ier) {
    VerticalCoilHalfSpace(N, R1, R2, L, f, P, CON1, MR1, Acc, dR, dX, Ier, c);
  };
  return t;
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
  const DefaultInput in(*FindCase(testCase));
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

// Real time per sweep of every run, by name.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
  explicit CollectingReporter(std::map<std::string, double>& seconds) : seconds_(seconds) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        seconds_[r.run_name.function_name] = r.real_accumulated_time / static_cast<double>(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }

private:
  std::map<std::string, double>& seconds_;
};

std::string Name(int testCase, const char* threads) {
  return "DefaultSweep/case:" + std::to_string(testCase) + "/threads:" + threads;
}

}  // namespace

int main(int argc, char** argv) {
  for (int c : kCaseNumbers) {
    benchmark::RegisterBenchmark(Name(c, "1").c_str(), BM_DefaultSweep, c, 1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(Name(c, "all").c_str(), BM_DefaultSweep, c, kAllCores)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::map<std::string, double> seconds;
  CollectingReporter reporter(seconds);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::FILE* csv = std::fopen(VELDO_SWEEP_SUMMARY, "w");
  if (csv) std::fprintf(csv, "case,points,ms_per_point_1_thread\n");
  std::printf("\nDefault sweeps (real time; %u hardware threads)\n", std::thread::hardware_concurrency());
  std::printf("%-5s %6s %12s %12s %8s %12s %14s %14s %9s\n", "case", "points", "evals/pt", "evals/pt", "fewer",
              "ms/pt", "sweep ms", "sweep ms", "speed-up");
  std::printf("%-5s %6s %12s %12s %8s %12s %14s %14s %9s\n", "", "", "plain", "shared", "", "1 thread", "1 thread",
              "all cores", "");
  for (int c : kCaseNumbers) {
    const auto one = seconds.find(Name(c, "1")), all = seconds.find(Name(c, "all"));
    if (one == seconds.end() || all == seconds.end()) continue;  // filtered out
    CountingOutput out;
    ButtonComputeClick(c, DefaultInput(*FindCase(c)), out, RealModels(), 1);
    const double plain = EvaluationsPerPoint(c, false), shared = EvaluationsPerPoint(c, true);
    const double msPoint = one->second * 1e3 / out.points;
    std::printf("%-5d %6d %12.0f %12.0f %7.0f%% %12.3f %14.2f %14.2f %8.2fx\n", c, out.points, plain, shared,
                100.0 * (plain - shared) / plain, msPoint, one->second * 1e3, all->second * 1e3,
                one->second / all->second);
    if (csv) std::fprintf(csv, "%d,%d,%.6g\n", c, out.points, msPoint);
  }
  if (csv) std::fclose(csv);
  return 0;
}
