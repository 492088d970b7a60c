// The Compute command: read, convert and check the inputs, compute the air-coil reference, sweep
// the selected parameter through the case model, normalise, and output the curve.
#include "app/compute.hpp"

#include <algorithm>
#include <cfenv>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "app/format.hpp"
#include "models/models.hpp"

namespace veldo {
namespace {

constexpr int kFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// 2*pi in extended precision, as the inductance is formed.
constexpr long double kTwoPi = 6.28318530717958647703L;

// Forces `v` to be computed before the flags are tested: the compiler may not move the
// arithmetic that produces it past this store.
void Settle(double& v) {
  volatile double sink = v;
  v = sink;
}

FpFault RaisedFault() {
  const int raised = std::fetestexcept(kFaultFlags);
  if (raised & FE_DIVBYZERO) return FpFault::DivByZero;
  if (raised & FE_OVERFLOW) return FpFault::Overflow;
  if (raised & FE_INVALID) return FpFault::Invalid;
  return FpFault::None;
}

std::string Substitute(std::string_view pattern, std::string_view text) {
  std::string s(pattern);
  const std::size_t at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, text);
  return s;
}

constexpr std::string_view kNotAFloat = "'%s' is not a valid floating point value";
constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";

// Reading and converting fields, with the messages that end the command.
class Reader {
public:
  Reader(const ComputeInput& in, ComputeOutput& out)
      : in_(in), out_(out), separator_(in.DecimalSeparator()) {}

  // A case field: strict parser, then the unit factor. `window` receives the parsed number.
  ComputeStatus Strict(std::string_view field, double factor, double& si,
                       double* window = nullptr) {
    const std::string text = in_.FieldText(field);
    const std::optional<double> v = ParseStrictReal(text, separator_);
    if (!v) return Error(Substitute(kNotAFloat, text), ComputeStatus::Rejected);
    if (window) *window = *v;
    return Convert(*v, factor, si);
  }

  // A common real field: lenient parser, then the unit factor (a division for the accuracy).
  ComputeStatus LenientReal(std::string_view field, double factor, bool percent, double& si) {
    const std::string text = in_.FieldText(field);
    const std::optional<double> v = ParseLenientReal(text);
    if (!v) return Error(Substitute(kNotAFloat, text), ComputeStatus::Rejected);
    if (!percent) return Convert(*v, factor, si);
    const double value = *v;
    return Guarded([&] {
      si = value / 100;
      Settle(si);
    });
  }

  ComputeStatus LenientInt(std::string_view field, int& n) {
    const std::string text = in_.FieldText(field);
    const std::optional<int> v = ParseLenientInt(text);
    if (!v) return Error(Substitute(kNotAnInteger, text), ComputeStatus::Rejected);
    n = *v;
    return ComputeStatus::Completed;
  }

  // Runs one arithmetic step; a fault it raises ends the command with its message.
  ComputeStatus Guarded(const std::function<void()>& step) {
    const FpFault fault = RunGuarded(step);
    if (fault == FpFault::None) return ComputeStatus::Completed;
    return Error(FpFaultText(fault), ComputeStatus::Fault);
  }

  ComputeStatus Check(std::string_view message) {
    out_.ShowMessage(MessageKind::Plain, std::string(message));
    return ComputeStatus::Rejected;
  }

private:
  ComputeStatus Convert(double value, double factor, double& si) {
    return Guarded([&] {
      si = value * factor;
      Settle(si);
    });
  }

  ComputeStatus Error(std::string_view text, ComputeStatus status) {
    out_.ShowMessage(MessageKind::Error, ErrorBoxText(text));
    return status;
  }

  const ComputeInput& in_;
  ComputeOutput& out_;
  std::string separator_;
};

// Geometry the models cannot describe at one set of working values: the message naming the
// violated condition, or nothing. Beyond these limits the model integrals diverge and their
// cut-offs would return a meaningless finite number.
std::optional<std::string_view> GeometryRefusal(ModelKind model, double R1, double R2,
                                                const std::array<double, 6>& v) {
  switch (model) {
    case ModelKind::CylinderOutsideOneLayer:
    case ModelKind::CylinderOutsideTwoLayers:
      if (v[0] > R1) return kRodMessage;
      if (model == ModelKind::CylinderOutsideTwoLayers && v[1] > v[0]) return kRodLayerMessage;
      return std::nullopt;
    case ModelKind::CylinderInsideOneLayer:
    case ModelKind::CylinderInsideTwoLayers:
      if (v[0] < R2) return kBoreMessage;
      if (model == ModelKind::CylinderInsideTwoLayers && v[1] < v[0]) return kBoreLayerMessage;
      return std::nullopt;
    default: return std::nullopt;
  }
}

// The case model as a function of the swept value; the other parameters stay at `fixed`.
std::function<void(double, double&, double&, int&)> BindModel(const ModelTable& models,
                                                              const SweepPlan& p) {
  const int N = p.N;
  const double R1 = p.R1, R2 = p.R2, L = p.L, f = p.f, Acc = p.Acc;
  const std::array<double, 6> fixed = p.fixed;
  const int s = p.swept;
  auto one = [=](const OneLayerFn& fn) {
    return [=](double P, double& dR, double& dX, int& Ier) {
      std::array<double, 6> w = fixed;
      w[static_cast<std::size_t>(s)] = P;
      fn(N, R1, R2, L, f, w[0], w[1], w[2], Acc, dR, dX, Ier);
    };
  };
  auto two = [=](const TwoLayerFn& fn) {
    return [=](double P, double& dR, double& dX, int& Ier) {
      std::array<double, 6> w = fixed;
      w[static_cast<std::size_t>(s)] = P;
      fn(N, R1, R2, L, f, w[0], w[1], w[2], w[3], w[4], w[5], Acc, dR, dX, Ier);
    };
  };
  switch (p.spec->model) {
    case ModelKind::PlanarOneLayer: return one(models.PlanarOneLayer);
    case ModelKind::PlanarTwoLayers: return two(models.PlanarTwoLayers);
    case ModelKind::CylinderInsideOneLayer: return one(models.CylinderInsideOneLayer);
    case ModelKind::CylinderInsideTwoLayers: return two(models.CylinderInsideTwoLayers);
    case ModelKind::CylinderOutsideOneLayer: return one(models.CylinderOutsideOneLayer);
    case ModelKind::CylinderOutsideTwoLayers: return two(models.CylinderOutsideTwoLayers);
    case ModelKind::VerticalCoilHalfSpace: return one(models.VerticalCoilHalfSpace);
    case ModelKind::None: break;
  }
  return {};
}

// Sweep points evaluated by worker threads and handed to one consumer in sweep order. Workers
// claim points in increasing order; at most `window` points past the next one to hand out are
// in flight or waiting, which bounds the memory for sweeps of a million points and keeps the
// workers from racing far ahead of a consumer that stops early. A fault at point i lowers the
// end of the sweep to i + 1: every point before i was claimed before i was (claims are in
// order), so each of them completes, and no point after i is claimed from then on. A model that
// throws at point i ends the sweep the same way, and Take(i) rethrows on the consumer's thread,
// where a serial run would have thrown.
class OrderedPoints {
public:
  OrderedPoints(const SweepPlan& plan, int threads)
      : plan_(plan),
        end_(plan.range.count),
        window_(std::max(64, 8 * threads)),
        slots_(static_cast<std::size_t>(window_)),
        errors_(static_cast<std::size_t>(window_)),
        ready_(static_cast<std::size_t>(window_), 0) {
    workers_.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
  }
  OrderedPoints(const OrderedPoints&) = delete;
  OrderedPoints& operator=(const OrderedPoints&) = delete;

  // Points still running finish before the workers are joined (a model call cannot be cut
  // short); their results are dropped.
  ~OrderedPoints() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      end_ = 0;
    }
    space_.notify_all();
    workers_.clear();
  }

  // The result of point i, waiting until it is done. Called for i = 0, 1, 2, ... in turn, up to
  // and including the first point with a fault.
  PointResult Take(int i) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::size_t s = Slot(i);
    done_.wait(lock, [&] { return ready_[s] != 0; });
    ready_[s] = 0;
    const PointResult r = slots_[s];
    const std::exception_ptr error = std::exchange(errors_[s], nullptr);
    taken_ = i + 1;
    lock.unlock();
    space_.notify_all();
    if (error) std::rethrow_exception(error);
    return r;
  }

private:
  std::size_t Slot(int i) const { return static_cast<std::size_t>(i % window_); }

  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      space_.wait(lock, [&] { return next_ >= end_ || next_ < taken_ + window_; });
      if (next_ >= end_) return;
      const int i = next_++;
      lock.unlock();
      // Each thread clears and tests its own fault flags inside EvaluatePoint.
      PointResult r;
      std::exception_ptr error;
      try {
        r = EvaluatePoint(plan_, i);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      slots_[Slot(i)] = r;
      errors_[Slot(i)] = error;
      ready_[Slot(i)] = 1;
      if ((r.fault != FpFault::None || error) && i + 1 < end_) {
        end_ = i + 1;
        space_.notify_all();
      }
      done_.notify_one();  // the consumer is the only thread that waits for results
    }
  }

  const SweepPlan& plan_;
  std::mutex mutex_;
  std::condition_variable done_;   // a result was stored
  std::condition_variable space_;  // a result was taken, or the end moved
  int next_ = 0;                   // the next point to claim
  int taken_ = 0;                  // points handed to the consumer
  int end_;                        // no point at or past it is claimed
  const int window_;
  std::vector<PointResult> slots_;  // point i in slot i % window_
  std::vector<std::exception_ptr> errors_;
  std::vector<char> ready_;
  std::vector<std::jthread> workers_;  // last: joined before the state they use goes away
};

}  // namespace

int SweepThreads(int threads) {
  if (threads > 0) return threads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::string_view FpFaultText(FpFault fault) {
  switch (fault) {
    case FpFault::DivByZero: return "Floating point division by zero";
    case FpFault::Overflow: return "Floating point overflow";
    case FpFault::Invalid: return "Invalid floating point operation";
    case FpFault::None: break;
  }
  return {};
}

FpFault RunGuarded(const std::function<void()>& step) {
  std::feclearexcept(kFaultFlags);
  step();
  return RaisedFault();
}

ComputeStatus PrepareSweep(int TestCase, const ComputeInput& in, ComputeOutput& out,
                           const ModelTable& models, SweepPlan& plan) {
  constexpr auto kOk = ComputeStatus::Completed;
  const CaseSpec* spec = FindCase(TestCase);
  if (spec == nullptr) return ComputeStatus::NoComputation;
  Reader read(in, out);
  ComputeStatus st;

  // A full registry refuses the command before anything is read or computed.
  if (spec->model != ModelKind::None && out.CurveCount() >= kCurveSlots)
    return read.Check(kRegistryFullMessage);

  // Common inputs, in reading order.
  plan = SweepPlan{};
  plan.spec = spec;
  if ((st = read.LenientReal(kCommonFields[kFieldAcc].name, 0, true, plan.Acc)) != kOk) return st;
  if ((st = read.LenientReal(kCommonFields[kFieldR1].name, kFactorMm, false, plan.R1)) != kOk)
    return st;
  if ((st = read.LenientReal(kCommonFields[kFieldR2].name, kFactorMm, false, plan.R2)) != kOk)
    return st;
  if ((st = read.LenientReal(kCommonFields[kFieldL].name, kFactorMm, false, plan.L)) != kOk)
    return st;
  if ((st = read.LenientInt(kCommonFields[kFieldN].name, plan.N)) != kOk) return st;
  if (plan.R1 < 0 || plan.R2 < 0 || plan.L < 0) return read.Check(kNegativeDataMessage);
  // The quadrature refuses a finer accuracy and would return zeros for every point.
  if (plan.Acc < kMinAcc) return read.Check(kAccuracyMessage);

  out.SetProgressPosition(0);
  out.SetProgressMaximum(1);
  if (spec->model == ModelKind::None) return ComputeStatus::NoComputation;

  // Case inputs: the frequency, then every From field in table order.
  std::array<double, 6> fromWindow{};
  if ((st = read.Strict(spec->frequencyField, kFactorKHz, plan.f)) != kOk) return st;
  for (std::size_t i = 0; i < spec->params.size(); ++i) {
    const ParamSpec& p = spec->params[i];
    if ((st = read.Strict(p.fromField, p.factor, plan.fixed[i], &fromWindow[i])) != kOk) return st;
  }
  bool negative = plan.f < 0;
  for (std::size_t i = 0; i < spec->params.size(); ++i) negative = negative || plan.fixed[i] < 0;
  if (negative) return read.Check(kNegativeDataMessage);

  // The air-coil reference and the inductance, shown before any sweep input is read.
  int airIer = 0;
  if ((st = read.Guarded([&] {
        models.AirCoilReactance(plan.N, plan.R1, plan.R2, plan.L, plan.f, plan.Acc, plan.X0,
                                airIer);
        Settle(plan.X0);
      })) != kOk)
    return st;
  plan.airCoilShort = airIer != 0;
  if ((st = read.Guarded([&] {
        plan.L0 = static_cast<double>(plan.X0 / (kTwoPi * plan.f));
        Settle(plan.L0);
      })) != kOk)
    return st;
  out.AirCoilValues(plan.X0, plan.L0);
  out.SetAirCoilLabels(LabelNumberText(plan.X0), LabelNumberText(plan.L0));

  // The selected sweep.
  int swept = -1;
  for (std::size_t i = 0; i < spec->params.size() && swept < 0; ++i)
    if (in.IsSelected(spec->params[i].selector)) swept = static_cast<int>(i);
  if (swept < 0) return ComputeStatus::NoComputation;
  plan.swept = swept;
  const ParamSpec& p = spec->params[static_cast<std::size_t>(swept)];
  const double from = plan.fixed[static_cast<std::size_t>(swept)];
  double to = 0, step = 0, toWindow = 0, stepWindow = 0;
  if ((st = read.Strict(p.toField, p.factor, to, &toWindow)) != kOk) return st;
  if ((st = read.Strict(p.stepField, p.factor, step, &stepWindow)) != kOk) return st;
  if (models.CheckRange(from, to, step) == 1) return read.Check(kCheckRangeMessage);

  const std::optional<SweepRange> range = MakeSweep(from, to, step);
  if (!range) return read.Check(kTooManyPointsMessage);
  plan.range = *range;
  plan.windowRange =
      SweepRange{fromWindow[static_cast<std::size_t>(swept)], toWindow, stepWindow, range->count};

  // The values are monotonic in the sweep: its two ends bound every point's geometry.
  for (int i : {0, range->count - 1}) {
    std::array<double, 6> w = plan.fixed;
    w[static_cast<std::size_t>(swept)] = range->Value(i);
    if (const auto refusal = GeometryRefusal(spec->model, plan.R1, plan.R2, w))
      return read.Check(*refusal);
  }

  if (step != 0) out.SetProgressMaximum(range->count);
  plan.colour = p.colour;
  plan.model = BindModel(models, plan);
  return ComputeStatus::Completed;
}

PointResult EvaluatePoint(const SweepPlan& plan, int i) {
  PointResult r;
  r.value = plan.range.Value(i);
  r.fault = RunGuarded([&] {
    plan.model(r.value, r.dR, r.dX, r.Ier);
    double sum = r.dX + plan.X0;  // stored as a double before the division
    Settle(sum);
    r.x = r.dR / plan.X0;
    r.y = sum / plan.X0;
    Settle(r.x);
    Settle(r.y);
  });
  return r;
}

ComputeStatus RunSweep(const SweepPlan& plan, ComputeOutput& out, int threads, std::stop_token stop) {
  const ParamSpec& p = plan.spec->params[static_cast<std::size_t>(plan.swept)];
  ComputeStatus status = ComputeStatus::Completed;
  int pointsShort = 0, pointsTotal = 0;
  out.BeginCurve(plan.colour);
  // Every point is independent work; the output calls stay on this thread, in sweep order.
  std::optional<OrderedPoints> workers;
  const int workerCount = std::min(SweepThreads(threads), plan.range.count);
  if (workerCount > 1) workers.emplace(plan, workerCount);
  for (int i = 0; i < plan.range.count; ++i) {
    if (stop.stop_requested()) {
      status = ComputeStatus::Cancelled;
      break;
    }
    const PointResult r = workers ? workers->Take(i) : EvaluatePoint(plan, i);
    if (r.fault != FpFault::None) {
      out.ShowMessage(MessageKind::Error, ErrorBoxText(FpFaultText(r.fault)));
      status = ComputeStatus::Fault;
      break;
    }
    out.StepProgress();
    out.PointComputed({p.name, plan.windowRange.Value(i), r.dR, r.dX, r.x, r.y, r.Ier});
    out.AddPoint(r.x, r.y);
    ++pointsTotal;
    if (r.Ier != 0) ++pointsShort;
  }
  // Counted even when a fault ended the sweep: its points stay on the chart, and New must find it.
  out.CountCurve();
  out.ReportAccuracy(pointsShort, pointsTotal, plan.airCoilShort);
  if (status == ComputeStatus::Cancelled) out.SweepCancelled(pointsTotal, plan.range.count);
  return status;
}

ComputeStatus ButtonComputeClick(int TestCase, const ComputeInput& in, ComputeOutput& out,
                                 const ModelTable& models, int threads, std::stop_token stop) {
  SweepPlan plan;
  const ComputeStatus status = PrepareSweep(TestCase, in, out, models, plan);
  if (status != ComputeStatus::Completed) return status;
  return RunSweep(plan, out, threads, std::move(stop));
}

}  // namespace veldo
