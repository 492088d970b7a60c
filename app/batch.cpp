// Array evaluation of a case model: per-point input checks, then the accepted points handed out in
// blocks to a few threads.
#include "app/batch.hpp"

#include "app/field_texts.hpp"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <iterator>
#include <thread>
#include <tuple>

#include "app/checks.hpp"
#include "app/fp_guard.hpp"
#include "app/problem.hpp"
#include "app/problem_sweep.hpp"
#include "app/work_items.hpp"
#include "models/batch_engine.hpp"
#include "models/coil_factor_cache.hpp"
#include "models/models.hpp"

namespace veldo {
namespace {

// 2*pi in extended precision, as the command forms the inductance.
constexpr long double kTwoPi = 6.28318530717958647703L;

// Points a thread claims at a time: enough to make the claim's cost vanish, few enough that the
// threads finish close together when the points differ in cost.
constexpr std::size_t kBlock = 16;

int ParamCount(ModelKind model) { return PresetParamCount(model); }

// The text the window shows for a field that spells a value no double parser accepts.
std::string NotAFloat(double v) {
  const char* text = std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string NotAnInteger(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return "'" + std::string(buffer) + "' is not a valid integer value";
}

// One point's inputs, gathered from the columns.
using PointInputs = CasePoint;

// The inputs of point i as the columns hold them (N as an int: read only for a point whose checks
// passed, where it is a whole number in range).
void Gather(const BatchColumns& in, std::size_t i, int count, ModelKind model, PointInputs& p) {
  p.model = model;
  p.N = static_cast<int>(in.N[i]);
  p.R1 = in.R1[i];
  p.R2 = in.R2[i];
  p.L = in.L[i];
  p.f = in.f[i];
  for (int k = 0; k < count; ++k) p.params[static_cast<std::size_t>(k)] = in.params[static_cast<std::size_t>(k)][i];
}

// The checks of one point in the command's order, with `count` case parameters; the message when
// it is refused.
std::optional<std::string> CheckPoint(const BatchColumns& in, std::size_t i, int count, ModelKind model) {
  PointInputs p;
  const double N = in.N[i];
  p.model = model;
  p.R1 = in.R1[i];
  p.R2 = in.R2[i];
  p.L = in.L[i];
  p.f = in.f[i];
  for (int k = 0; k < count; ++k) p.params[static_cast<std::size_t>(k)] = in.params[static_cast<std::size_t>(k)][i];
  // Reading order: accuracy (checked once for the batch), R1, R2, L, N, f, the case parameters.
  for (double x : {p.R1, p.R2, p.L, N})
    if (!std::isfinite(x)) return NotAFloat(x);
  if (N != std::trunc(N) || N < INT_MIN || N > INT_MAX) return NotAnInteger(N);
  p.N = static_cast<int>(N);
  if (p.R1 < 0 || p.R2 < 0 || p.L < 0) return std::string(kNegativeDataMessage);
  if (const auto refusal = CoilRefusal(p.N, p.R1, p.R2, p.L)) return std::string(*refusal);
  if (!std::isfinite(p.f)) return NotAFloat(p.f);
  for (int k = 0; k < count; ++k)
    if (!std::isfinite(p.params[static_cast<std::size_t>(k)])) return NotAFloat(p.params[static_cast<std::size_t>(k)]);
  bool negative = p.f < 0;
  for (int k = 0; k < count; ++k) negative = negative || p.params[static_cast<std::size_t>(k)] < 0;
  if (negative) return std::string(kNegativeDataMessage);
  if (const auto refusal = GeometryRefusal(model, p.R1, p.R2, p.params)) return std::string(*refusal);
  if (const auto refusal = RangeRefusal(p)) return std::string(*refusal);
  return std::nullopt;
}

// The model call of one accepted point, with the calling thread's coil factors; the fault it
// raised, if any.
FpFault EvaluateOne(const PointInputs& p, double Acc, double& a, double& b, int& ier, CoilFactorCache& cache) {
  return RunGuarded([&] {
    const Problem q = CaseProblem(p);
    const Impedance z = Evaluate(q.probe, q.conductor, q.f, Acc, nullptr, &cache);
    a = z.dR;
    b = z.dX;
    ier = z.Ier;
  });
}

// The air-coil reference and the inductance as the command forms them.
FpFault EvaluateAir(const PointInputs& p, double Acc, double& X0, double& L0, int& ier) {
  return RunGuarded([&] {
    AirCoilReactance(p.N, p.R1, p.R2, p.L, p.f, Acc, X0, ier);
    L0 = static_cast<double>(X0 / (kTwoPi * p.f));
  });
}

// Runs f(begin, end) over [0, n) cut into one contiguous range per thread, the first range on
// the calling thread. At a million points a second the checks are a tenth of the work: on one
// thread they would cap two threads' speed-up near 1.8.
template <class F>
void ForRanges(std::size_t n, int threads, F&& f) {
  const std::size_t parts = std::clamp<std::size_t>(n / 4096, 1, static_cast<std::size_t>(SweepThreads(threads)));
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < parts; ++t) pool.emplace_back([&, t] { f(n * t / parts, n * (t + 1) / parts); });
  f(0, n / parts);
  for (std::thread& t : pool) t.join();
}

// Checks every point of `in` (an accuracy below the quadrature's smallest refuses them all): the
// refusals, and whether each point was accepted. An accepted point's inputs are read from the
// columns again where it is evaluated (a copy of every point's would be a large array per call).
std::vector<Refusal> CheckPoints(ModelKind model, int count, const BatchColumns& in, double Acc,
                                 std::vector<char>& accepted, int threads = 1) {
  std::vector<Refusal> refused;
  accepted.assign(in.n, 0);
  if (!(Acc >= kMinAcc)) {
    for (std::size_t i = 0; i < in.n; ++i) refused.push_back({i, std::string(kAccuracyMessage)});
    return refused;
  }
  // Each range's refusals apart, then joined in the ranges' order: the index order.
  std::mutex mutex;
  std::vector<std::pair<std::size_t, std::vector<Refusal>>> ranges;
  ForRanges(in.n, threads, [&](std::size_t begin, std::size_t end) {
    std::vector<Refusal> mine;
    for (std::size_t i = begin; i < end; ++i) {
      if (auto message = CheckPoint(in, i, count, model))
        mine.push_back({i, std::move(*message)});
      else
        accepted[i] = 1;
    }
    const std::lock_guard<std::mutex> lock(mutex);
    ranges.emplace_back(begin, std::move(mine));
  });
  std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [begin, mine] : ranges) refused.insert(refused.end(), std::make_move_iterator(mine.begin()), std::make_move_iterator(mine.end()));
  return refused;
}

// Checks every point, then evaluates the accepted ones with `evaluate(p, i, cache)` -> FpFault on
// the threads, each with a coil-factor cache of its own for the batch; the refusals in index order.
template <class Evaluate>
std::vector<Refusal> RunBatch(ModelKind model, int count, const BatchColumns& in, double Acc,
                              int threads, OnRefusal onRefusal, Evaluate&& evaluate) {
  std::vector<char> accepted;
  std::vector<Refusal> refused = CheckPoints(model, count, in, Acc, accepted);
  if (!(Acc >= kMinAcc)) return refused;
  if (!refused.empty() && onRefusal == OnRefusal::Stop) return refused;

  // A single point gains nothing from a cache beyond the reuse within the point: a small one.
  const std::size_t slots = std::min<std::size_t>(CoilFactorCache::kDefaultSlots, 256 * in.n);
  const std::size_t blocks = (in.n + kBlock - 1) / kBlock;
  const std::vector<Refusal> faults = ShareItems(blocks, threads, [&](const auto& take, std::vector<Refusal>& mine) {
    CoilFactorCache cache(slots);
    PointInputs p;
    for (std::size_t block; take(block);) {
      const std::size_t begin = block * kBlock, end = std::min(in.n, begin + kBlock);
      for (std::size_t i = begin; i < end; ++i) {
        if (!accepted[i]) continue;
        Gather(in, i, count, model, p);
        const FpFault fault = evaluate(p, i, cache);
        if (fault != FpFault::None) mine.push_back({i, std::string(FpFaultText(fault))});
      }
    }
  });
  refused.insert(refused.end(), faults.begin(), faults.end());
  std::sort(refused.begin(), refused.end(),
            [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
  return refused;
}

// The batch engine over the accepted points of a case: the faults, in increasing index order.
// The points go to the engine as EvaluateBatched takes problems (runs of one coil in index order,
// stably sorted by coil when they are not in order, cut into runs of at most kBatchRun), so the
// numbers are those of the points' problems evaluated there. The points of a case differ only in
// their coil's N, R1, R2, L (its axis is the case's), and the problems are formed a run at a
// time into the thread's own buffers: nothing per point outlives its run, and nothing of the
// call's size is allocated but the accepted flags (and the order, when a sort is needed). A heap
// grown by a chunk's points and given back after it (as an allocator with a low trim threshold
// does) would be faulted in again on every chunk.
std::vector<Refusal> EvaluateCaseBatched(ModelKind model, const BatchColumns& in, std::span<const char> accepted,
                                         double Acc, const BatchResults& out, int threads) {
  const int count = ParamCount(model);
  // The coils in the order that ProbeLess gives their problems (N as read: a whole number).
  const auto less = [&](std::size_t a, std::size_t b) {
    return std::tie(in.N[a], in.R1[a], in.R2[a], in.L[a]) < std::tie(in.N[b], in.R1[b], in.R2[b], in.L[b]);
  };
  const auto same = [&](std::size_t a, std::size_t b) { return !less(a, b) && !less(b, a); };
  bool sorted = true;
  for (std::size_t i = 0, last = in.n; i < in.n && sorted; ++i) {
    if (!accepted[i]) continue;
    sorted = last == in.n || !less(i, last);
    last = i;
  }
  // The order of the points: their indices when in order (order empty), else sorted by coil.
  std::vector<std::size_t> order;
  if (!sorted) {
    for (std::size_t i = 0; i < in.n; ++i)
      if (accepted[i]) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), less);
  }
  const std::size_t positions = sorted ? in.n : order.size();
  const auto index = [&](std::size_t j) { return sorted ? j : order[j]; };
  // Work items [begin, end) over positions: at most kBatchRun accepted points of one coil each.
  std::vector<std::pair<std::size_t, std::size_t>> items;
  for (std::size_t b = 0; b < positions;) {
    while (b < positions && !accepted[index(b)]) ++b;
    if (b == positions) break;
    std::size_t e = b + 1, taken = 1;
    for (; e < positions && taken < kBatchRun; ++e) {
      const std::size_t i = index(e);
      if (!accepted[i]) continue;
      if (!same(i, index(b))) break;
      ++taken;
    }
    items.emplace_back(b, e);
    b = e;
  }

  return ShareItems(items.size(), threads, [&](const auto& take, std::vector<Refusal>& mine) {
    Workspace ws;
    std::vector<Conductor> conductors;
    std::vector<const Conductor*> pointers;
    std::vector<double> f;
    std::vector<std::size_t> at;  // the points' indices
    std::vector<Impedance> z;
    std::vector<int> raised;
    PointInputs p;
    for (std::size_t item; take(item);) {
      const auto [b, e] = items[item];
      at.clear();
      for (std::size_t j = b; j < e; ++j)
        if (accepted[index(j)]) at.push_back(index(j));
      const std::size_t m = at.size();
      if (conductors.size() < m) conductors.resize(m);
      pointers.resize(m);
      f.resize(m);
      for (std::size_t k = 0; k < m; ++k) {
        Gather(in, at[k], count, model, p);
        conductors[k] = PresetConductor(model, p.Params());
        pointers[k] = &conductors[k];
        f[k] = p.f;
      }
      Gather(in, at[0], count, model, p);
      const Probe probe = PresetProbe(model, p.N, p.R1, p.R2, p.L);
      z.assign(m, Impedance{});
      raised.assign(m, 0);
      EvaluateBatch(probe, pointers, f, Acc, z, raised, ws);
      for (std::size_t k = 0; k < m; ++k) {
        const std::size_t i = at[k];
        const FpFault fault = FaultOf(raised[k]);
        if (fault != FpFault::None)
          mine.push_back({i, std::string(FpFaultText(fault))});
        else
          out.first[i] = z[k].dR, out.second[i] = z[k].dX, out.ier[i] = z[k].Ier;
      }
    }
  });
}

// Records what the command outputs.
class Recorder : public ComputeOutput {
public:
  explicit Recorder(CommandRecord& r) : r_(r) {}
  void ShowMessage(MessageKind, const std::string& text) override { r_.messages.push_back(text); }
  void SetAirCoilLabels(const std::string&, const std::string&) override {}
  void SetProgressPosition(int) override {}
  void SetProgressMaximum(int) override {}
  void StepProgress() override {}
  int CurveCount() const override { return 0; }
  void BeginCurve(Rgb) override {}
  void AddPoint(double, double) override {}
  void CountCurve() override {}
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override {
    if (pointsShort > 0)
      r_.notices.push_back(std::to_string(pointsShort) + " of " + std::to_string(pointsTotal) +
                           " points did not reach the requested accuracy");
    if (airCoilShort)
      r_.notices.push_back("the coil's reactance in air did not reach the requested accuracy");
  }
  void AirCoilValues(double X0, double L0) override {
    r_.airCoil = true;
    r_.X0 = X0;
    r_.L0 = L0;
  }
  void PointComputed(const PointDetails& p) override {
    r_.param = std::string(p.param);
    r_.values.push_back(p.value);
    r_.dR.push_back(p.dR);
    r_.dX.push_back(p.dX);
    r_.x.push_back(p.x);
    r_.y.push_back(p.y);
    r_.ier.push_back(p.Ier);
  }

private:
  CommandRecord& r_;
};

CommandRecord Rejected(std::string message) {
  CommandRecord r;
  r.status = ComputeStatus::Rejected;
  r.messages.push_back(std::move(message));
  return r;
}

std::string Lower(std::string_view s) {
  std::string t(s);
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t;
}

}  // namespace

CommandRecord RunCommand(std::string_view caseName, const std::map<std::string, std::string>& options,
                         int threads) {
  const CaseDef* caseDef = nullptr;
  for (const CaseDef& c : kCases)
    if (c.model != ModelKind::None && c.cliName == caseName) caseDef = &c;
  if (caseDef == nullptr)
    return Rejected("Unknown case '" + std::string(caseName) +
                    "': use planar1, planar2, bore1, bore2, rod1, rod2 or vertical");

  // The common fields by option name, in the order of kCommonFields.
  constexpr std::array<std::string_view, 5> kCommonOptions{"acc", "r1", "r2", "l", "n"};
  CaseFieldTexts in(*caseDef);
  in.separator = ".";  // scripts write "." whatever the locale
  const ParamDef* swept = nullptr;
  for (const auto& [option, text] : options) {
    const auto common = std::find(kCommonOptions.begin(), kCommonOptions.end(), option);
    if (common != kCommonOptions.end()) {
      in.texts[std::string(kCommonFields[static_cast<std::size_t>(common - kCommonOptions.begin())].name)] = text;
      continue;
    }
    // The frequency row sweeps like the case's parameters (its From field is the frequency).
    const ParamDef* p = option == "f" ? &caseDef->frequency : nullptr;
    for (const ParamDef& q : caseDef->params)
      if (Lower(q.name) == option) p = &q;
    if (p == nullptr)
      return Rejected("The case " + std::string(caseName) + " has no field " + option);
    if (text.find(':') == std::string::npos) {
      in.texts[std::string(p->fromField)] = text;
      continue;
    }
    const auto parts = SplitSweepText(text);
    if (!parts) return Rejected("'" + text + "' is not FROM:TO:STEP");
    if (swept != nullptr) {
      const auto [a, b] = std::minmax(swept, p);  // in the case's order
      return Rejected("Only one parameter can be swept (" + std::string(a->name) + " and " +
                      std::string(b->name) + " are given as FROM:TO:STEP)");
    }
    swept = p;
    in.texts[std::string(p->fromField)] = (*parts)[0];
    in.texts[std::string(p->toField)] = (*parts)[1];
    in.texts[std::string(p->stepField)] = (*parts)[2];
    in.selector = std::string(p->selector);
  }

  CommandRecord record;
  Recorder out(record);
  record.status = ButtonComputeClick(caseDef->testCase, in, out, RealModels(), threads);
  return record;
}

int ModelParamCount(ModelKind model) { return ParamCount(model); }

namespace {

// Outputs nothing: the pass of the command that only learns its points.
class NoOutput : public ComputeOutput {
public:
  void ShowMessage(MessageKind, const std::string&) override {}
  void SetAirCoilLabels(const std::string&, const std::string&) override {}
  void SetProgressPosition(int) override {}
  void SetProgressMaximum(int) override {}
  void StepProgress() override {}
  int CurveCount() const override { return 0; }
  void BeginCurve(Rgb) override {}
  void AddPoint(double, double) override {}
  void CountCurve() override {}
  void ReportAccuracy(int, int, bool) override {}
};

// A model call's point and accuracy, and its results.
using CallKey = std::pair<CasePoint, double>;
struct CallResult {
  double dR, dX;
  int Ier;
};

}  // namespace

ModelTable BatchModels(int TestCase, const ComputeInput& in, int threads) {
  const ModelTable real = RealModels();
  ModelKind model = ModelKind::None;
  for (const CaseDef& c : kCases)
    if (c.testCase == TestCase) model = c.model;
  // Pass 1: the points, as the command calls its model.
  std::mutex mutex;
  std::vector<CallKey> calls;
  ModelTable noting = real;
  noting.ForThread = {};
  noting.Evaluate = [&](const CasePoint& point, double Acc, double& dR, double& dX, int& Ier) {
    const std::lock_guard<std::mutex> lock(mutex);
    calls.emplace_back(point, Acc);
    dR = dX = 0.0;
    Ier = 0;
  };
  NoOutput none;
  ButtonComputeClick(TestCase, in, none, noting, 1);

  // Pass 2: those points together, by accuracy (one for a command).
  auto results = std::make_shared<std::map<CallKey, CallResult>>();
  const int count = ParamCount(model);
  if (model != ModelKind::None && !calls.empty()) {
    const std::size_t n = calls.size();
    std::vector<std::vector<double>> cols(5 + static_cast<std::size_t>(count), std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
      const CasePoint& p = calls[i].first;
      cols[0][i] = p.N, cols[1][i] = p.R1, cols[2][i] = p.R2, cols[3][i] = p.L, cols[4][i] = p.f;
      for (int k = 0; k < count; ++k) cols[5 + static_cast<std::size_t>(k)][i] = p.params[static_cast<std::size_t>(k)];
    }
    BatchColumns columns;
    columns.n = n;
    columns.N = cols[0].data(), columns.R1 = cols[1].data(), columns.R2 = cols[2].data();
    columns.L = cols[3].data(), columns.f = cols[4].data();
    for (int k = 0; k < count; ++k) columns.params[static_cast<std::size_t>(k)] = cols[5 + static_cast<std::size_t>(k)].data();
    std::vector<double> dR(n), dX(n);
    std::vector<int> ier(n);
    const double Acc = calls.front().second;
    const std::vector<Refusal> refused =
        EvaluateCase(model, columns, Acc, BatchResults{dR.data(), dX.data(), ier.data()}, threads,
                     OnRefusal::Continue, Engine::Batch);
    std::vector<char> skip(n, 0);
    for (const Refusal& r : refused) skip[r.index] = 1;
    for (std::size_t i = 0; i < n; ++i)
      if (!skip[i] && calls[i].second == Acc) results->emplace(calls[i], CallResult{dR[i], dX[i], ier[i]});
  }

  // The table over them.
  ModelTable table = real;
  table.ForThread = {};
  table.Evaluate = [results, evaluate = real.Evaluate](const CasePoint& point, double Acc, double& dR, double& dX,
                                                      int& Ier) {
    const auto it = results->find(CallKey{point, Acc});
    if (it == results->end()) return evaluate(point, Acc, dR, dX, Ier);
    dR = it->second.dR, dX = it->second.dX, Ier = it->second.Ier;
  };
  return table;
}

std::string_view EngineName(Engine engine) { return engine == Engine::Batch ? "batch" : "adaptive"; }

std::optional<Engine> EngineNamed(std::string_view name) {
  if (name == "batch") return Engine::Batch;
  if (name == "adaptive") return Engine::Adaptive;
  return std::nullopt;
}

std::vector<Refusal> EvaluateCase(ModelKind model, const BatchColumns& in, double Acc,
                                  const BatchResults& out, int threads, OnRefusal onRefusal, Engine engine) {
  if (engine == Engine::Batch && model != ModelKind::None) {
    std::vector<char> accepted;
    std::vector<Refusal> refused = CheckPoints(model, ParamCount(model), in, Acc, accepted, threads);
    if (!(Acc >= kMinAcc) || (!refused.empty() && onRefusal == OnRefusal::Stop)) return refused;
    const std::vector<Refusal> faults = EvaluateCaseBatched(model, in, accepted, Acc, out, threads);
    refused.insert(refused.end(), faults.begin(), faults.end());
    std::sort(refused.begin(), refused.end(), [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
    return refused;
  }
  return RunBatch(model, ParamCount(model), in, Acc, threads, onRefusal,
                  [&](const PointInputs& p, std::size_t i, CoilFactorCache& cache) {
                    return EvaluateOne(p, Acc, out.first[i], out.second[i], out.ier[i], cache);
                  });
}

std::vector<Refusal> EvaluateAirCoil(const BatchColumns& in, double Acc, const BatchResults& out,
                                     int threads, OnRefusal onRefusal) {
  return RunBatch(ModelKind::None, 0, in, Acc, threads, onRefusal,
                  [&](const PointInputs& p, std::size_t i, CoilFactorCache&) {
                    return EvaluateAir(p, Acc, out.first[i], out.second[i], out.ier[i]);
                  });
}

}  // namespace veldo
