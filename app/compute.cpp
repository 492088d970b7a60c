// The Compute command: read, convert and check the inputs, compute the air-coil reference, sweep
// the selected parameter through the case model, normalise, and output the curve.
#include "app/compute.hpp"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "app/format.hpp"
#include "app/fp_guard.hpp"
#include "models/models.hpp"

namespace veldo {
namespace {

// 2*pi in extended precision, as the inductance is formed.
constexpr long double kTwoPi = 6.28318530717958647703L;

// Forces `v` to be computed before the flags are tested: the compiler may not move the
// arithmetic that produces it past this store.
void Settle(double& v) {
  volatile double sink = v;
  v = sink;
}

// Everything the sweep needs, read, converted and checked: the working values in SI, the swept
// parameter and its range, the air-coil values, and the case model bound to them.
struct SweepPlan {
  const CaseDef* caseDef = nullptr;
  int swept = 0;  // index of the swept parameter in caseDef->params, unless sweepsFrequency
  bool sweepsFrequency = false;  // the frequency row is swept: the model's f is the running value
  int N = 0;
  double R1 = 0, R2 = 0, L = 0, f = 0, Acc = 0;  // SI; f is the From frequency
  double fWindow = 0;                            // the From frequency as typed, kHz
  std::array<double, 6> fixed{};  // SI working values of the case's parameters (From values)
  SweepRange range;               // of the swept parameter, SI
  SweepRange windowRange;         // the same sweep in the window's unit (the typed numbers)
  double X0 = 0, L0 = 0;
  bool airCoilShort = false;  // the air-coil reference's Ier was not 0
  Rgb colour{};
  std::string stepText;  // the swept parameter's Step field as typed
  // The case model at one value of the swept parameter (SI), the others at their From values.
  std::function<void(double P, double& dR, double& dX, int& Ier)> model;
  // The model table's ForThread: each thread that evaluates points binds its own (ThreadModel).
  std::function<ModelTable()> forThread;
};

struct PointResult {
  double value = 0;       // swept value, SI
  double dR = 0, dX = 0;  // ohms
  double X0 = 0;          // the reactance in air that normalised the point, ohms
  double x = 0, y = 0;    // normalised
  int Ier = 0;
  FpFault fault = FpFault::None;
};

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
  // A reader that holds its message back shows nothing until ShowHeld: the sweep inputs can be
  // read ahead of the air-coil reference, whose own outputs come first.
  enum Mode { kShow, kHold };
  Reader(const ComputeInput& in, ComputeOutput& out, Mode mode = kShow)
      : in_(in), out_(out), separator_(in.DecimalSeparator()), hold_(mode == kHold) {}

  // A case field: strict parser, then the unit factor. `window` receives the parsed number.
  ComputeStatus Strict(std::string_view field, double factor, double& si,
                       double* window = nullptr) {
    return ParseStrict(field, Read(field), factor, si, window);
  }

  // A Step field: a step (strict parser, then the unit factor) or, ending in "/dec", the points
  // per decade of a logarithmic sweep (strict parser, no factor).
  ComputeStatus Step(std::string_view field, double factor, double& si, double& window,
                     bool& logarithmic) {
    const std::string& text = Read(field);
    std::string_view number = text;
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    logarithmic = EndsWithPerDecade(number);
    if (!logarithmic) return ParseStrict(field, text, factor, si, &window);
    number.remove_suffix(kPerDecadeSuffix.size());
    const std::optional<double> v = ParseStrictReal(number, separator_);
    if (!v) return Error(Substitute(kNotAFloat, text), ComputeStatus::Rejected);
    typed_[field].value = *v;
    si = window = *v;
    return ComputeStatus::Completed;
  }

  // A common real field: lenient parser, then the unit factor (a division for the accuracy).
  ComputeStatus LenientReal(std::string_view field, double factor, bool percent, double& si) {
    const std::string& text = Read(field);
    const std::optional<double> v = ParseLenientReal(text);
    if (!v) return Error(Substitute(kNotAFloat, text), ComputeStatus::Rejected);
    typed_[field].value = *v;
    if (!percent) return Convert(*v, factor, si);
    const double value = *v;
    return Guarded([&] {
      si = value / 100;
      Settle(si);
    });
  }

  ComputeStatus LenientInt(std::string_view field, int& n) {
    const std::string& text = Read(field);
    const std::optional<int> v = ParseLenientInt(text);
    if (!v) return Error(Substitute(kNotAnInteger, text), ComputeStatus::Rejected);
    typed_[field].value = *v;
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
    Show(MessageKind::Plain, std::string(message));
    return ComputeStatus::Rejected;
  }

  // The message held back, if any (there is at most one: the first message ends the command).
  void ShowHeld() {
    if (held_) out_.ShowMessage(held_->first, held_->second);
    held_.reset();
  }

  // A field this reader has read and parsed: its text and the number read, in the window's unit.
  ComputeOutput::FieldValue Typed(std::string_view field, std::string_view name,
                                  std::string_view defaultText) const {
    const auto it = typed_.find(field);
    if (it == typed_.end()) return {field, name, defaultText, {}, 0};
    return {field, name, defaultText, it->second.text, it->second.value};
  }

private:
  struct TypedField {
    std::string text;
    double value = 0;
  };

  // The text of `field` by the strict parser, then the unit factor.
  ComputeStatus ParseStrict(std::string_view field, const std::string& text, double factor,
                            double& si, double* window) {
    const std::optional<double> v = ParseStrictReal(text, separator_);
    if (!v) return Error(Substitute(kNotAFloat, text), ComputeStatus::Rejected);
    typed_[field].value = *v;
    if (window) *window = *v;
    return Convert(*v, factor, si);
  }

  // Reads a field's text once and keeps it for the curve's record.
  const std::string& Read(std::string_view field) {
    TypedField& t = typed_[field];
    t.text = in_.FieldText(field);
    return t.text;
  }

  static bool EndsWithPerDecade(std::string_view s) {
    if (s.size() < kPerDecadeSuffix.size()) return false;
    const std::string_view tail = s.substr(s.size() - kPerDecadeSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(tail[i])) != kPerDecadeSuffix[i]) return false;
    return true;
  }

  ComputeStatus Convert(double value, double factor, double& si) {
    return Guarded([&] {
      si = value * factor;
      Settle(si);
    });
  }

  ComputeStatus Error(std::string_view text, ComputeStatus status) {
    Show(MessageKind::Error, ErrorBoxText(text));
    return status;
  }

  void Show(MessageKind kind, std::string text) {
    if (hold_)
      held_.emplace(kind, std::move(text));
    else
      out_.ShowMessage(kind, text);
  }

  const ComputeInput& in_;
  ComputeOutput& out_;
  std::string separator_;
  bool hold_;
  std::optional<std::pair<MessageKind, std::string>> held_;
  // Field names are the case table's, which outlives every command.
  std::map<std::string_view, TypedField> typed_;
};

// The case model as a function of the swept value; the other parameters stay at `fixed`.
std::function<void(double, double&, double&, int&)> BindModel(const ModelTable& models,
                                                              const SweepPlan& p) {
  CasePoint point{p.caseDef->model, p.N, p.R1, p.R2, p.L, p.f, p.fixed};
  const double Acc = p.Acc;
  const int s = p.swept;
  const bool sweepsF = p.sweepsFrequency;
  return [=, evaluate = models.Evaluate](double P, double& dR, double& dX, int& Ier) {
    CasePoint at = point;
    if (sweepsF)
      at.f = P;
    else
      at.params[static_cast<std::size_t>(s)] = P;
    evaluate(at, Acc, dR, dX, Ier);
  };
}

// A point as its model call left it, before the normalisation, with the fault flags that the call
// raised on the thread that ran it: they travel with the point, so its fault is the one a serial
// run reports for the model call and the normalisation together.
struct ModelPoint {
  PointResult point;  // value, dR, dX, Ier
  int raised = 0;
};

// The case model for the points one thread evaluates: bound to the thread's own table where the
// model table makes one per thread, else the plan's.
using PointModel = std::function<void(double P, double& dR, double& dX, int& Ier)>;
PointModel ThreadModel(const SweepPlan& plan) {
  return plan.forThread ? BindModel(plan.forThread(), plan) : plan.model;
}

ModelPoint EvaluateModel(const SweepPlan& plan, const PointModel& model, int i) {
  ModelPoint m;
  PointResult& r = m.point;
  r.value = plan.range.Value(i);
  m.raised = RaisedBy([&] { model(r.value, r.dR, r.dX, r.Ier); });
  return m;
}

// x = dR / X0 and y = (dX + X0) / X0, the sum stored as a double before the division. The point's
// fault is the first of those its model call and these divisions raised.
//
// X0 is the command's air-coil reactance, except in a frequency sweep: the coil in air is a pure
// inductance L0, which does not depend on f, so its reactance at the point's f is
// X0(f) = 2 pi f L0 = X0(From) * (f / From), formed in extended precision. At From the ratio is
// exactly 1, so the first point is normalised by the very X0 of the labels, as a sweep of any other
// parameter from the same inputs is.
PointResult Normalise(const ModelPoint& m, const SweepPlan& plan) {
  PointResult r = m.point;
  const int raised = RaisedBy([&] {
    double X0 = plan.X0;
    if (plan.sweepsFrequency) {
      X0 = static_cast<double>(static_cast<long double>(plan.X0) *
                               (static_cast<long double>(r.value) / plan.f));
      Settle(X0);
    }
    r.X0 = X0;
    double sum = r.dX + X0;
    Settle(sum);
    r.x = r.dR / X0;
    r.y = sum / X0;
    Settle(r.x);
    Settle(r.y);
  });
  r.fault = FaultOf(m.raised | raised);
  return r;
}

// Sweep points evaluated by worker threads and handed to one consumer in sweep order. The workers
// start at construction and read only the plan's model and range, so the consumer's thread can
// meanwhile compute the air-coil reference into the same plan. When the point the consumer needs
// next is not done, it evaluates the next unclaimed point itself rather than wait idle.
//
// Points are claimed one at a time in increasing order: they differ in cost, and a thread that
// finishes early takes the next one. At most `window` points past the next one to hand out are
// in flight or waiting, which bounds the memory for sweeps of a million points and keeps the
// workers from racing far ahead of a consumer that stops early. A fault of the model call at
// point i lowers the end of the sweep to i + 1: every point before i was claimed before i was
// (claims are in order), so each of them completes, and no point after i is claimed from then
// on. A model that throws at point i ends the sweep the same way, and Take(i) rethrows on the
// consumer's thread, where a serial run would have thrown.
class OrderedPoints {
public:
  OrderedPoints(const SweepPlan& plan, int workers)
      : plan_(plan),
        consumerModel_(ThreadModel(plan)),
        end_(plan.range.count),
        window_(std::max(64, 8 * (workers + 1))),
        slots_(static_cast<std::size_t>(window_)),
        errors_(static_cast<std::size_t>(window_)),
        ready_(static_cast<std::size_t>(window_), 0) {
    working_ = workers;  // before any starts: each counts itself out under the lock
    for (int t = 0; t < workers; ++t) {
      try {
        std::thread([this] { Work(); }).detach();
      } catch (...) {  // no thread for this worker: the ones started leave before this goes away
        {
          const std::lock_guard<std::mutex> lock(mutex_);
          working_ -= workers - t;
        }
        Stop();
        throw;
      }
    }
  }
  OrderedPoints(const OrderedPoints&) = delete;
  OrderedPoints& operator=(const OrderedPoints&) = delete;

  // Points still running finish first (a model call cannot be cut short); their results are
  // dropped.
  ~OrderedPoints() { Stop(); }

  // Point i as its model call left it, once it is done; nothing when a stop is requested first.
  // Called for i = 0, 1, 2, ... in turn, up to and including the first point with a fault.
  std::optional<ModelPoint> Take(int i, const std::stop_token& stop) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::size_t s = Slot(i);
    while (ready_[s] == 0) {
      if (stop.stop_requested()) return std::nullopt;
      if (Claimable())
        Evaluate(lock, consumerModel_);
      else
        done_.wait(lock, stop, [&] { return ready_[s] != 0; });
    }
    ready_[s] = 0;
    const ModelPoint r = slots_[s];
    const std::exception_ptr error = std::exchange(errors_[s], nullptr);
    taken_ = i + 1;
    lock.unlock();
    space_.notify_all();
    if (error) std::rethrow_exception(error);
    return r;
  }

private:
  // Claims nothing more and waits until every worker has left its loop, a point being computed
  // finishing first. The workers touch nothing of this object after that, so they are detached
  // rather than joined: a thread's exit takes some tens of microseconds, a few per cent of a
  // short sweep, and would otherwise delay the end of the command.
  void Stop() {
    std::unique_lock<std::mutex> lock(mutex_);
    end_ = 0;
    space_.notify_all();
    left_.wait(lock, [&] { return working_ == 0; });
  }

  std::size_t Slot(int i) const { return static_cast<std::size_t>(i % window_); }
  bool Claimable() const { return next_ < end_ && next_ < taken_ + window_; }

  // Claims the next point, evaluates it with the lock released and stores its result. Each
  // thread clears and tests its own fault flags inside EvaluateModel.
  void Evaluate(std::unique_lock<std::mutex>& lock, const PointModel& model) {
    const int i = next_++;
    lock.unlock();
    ModelPoint r;
    std::exception_ptr error;
    try {
      r = EvaluateModel(plan_, model, i);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    slots_[Slot(i)] = r;
    errors_[Slot(i)] = error;
    ready_[Slot(i)] = 1;
    if ((FaultOf(r.raised) != FpFault::None || error) && i + 1 < end_) {
      end_ = i + 1;
      space_.notify_all();
    }
    done_.notify_one();  // the consumer is the only thread that waits for results
  }

  void Work() {
    const PointModel model = ThreadModel(plan_);  // owns what it holds: may outlive this object
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      space_.wait(lock, [&] { return next_ >= end_ || next_ < taken_ + window_; });
      if (next_ >= end_) break;
      Evaluate(lock, model);
    }
    if (--working_ == 0) left_.notify_one();
  }

  const SweepPlan& plan_;
  const PointModel consumerModel_;  // the calling thread's, for the points it evaluates in Take
  std::mutex mutex_;
  std::condition_variable_any done_;  // a result was stored (or a stop was requested)
  std::condition_variable space_;     // a result was taken, or the end moved
  int next_ = 0;                      // the next point to claim
  int taken_ = 0;                     // points handed to the consumer
  int end_;                           // no point at or past it is claimed
  const int window_;
  std::vector<ModelPoint> slots_;  // point i in slot i % window_
  std::vector<std::exception_ptr> errors_;
  std::vector<char> ready_;
  int working_ = 0;                // workers that have not left their loop
  std::condition_variable left_;  // the last worker left
};

// The point of the plan's fixed values: the coil, the frequency and the case's From fields.
CasePoint FixedPoint(const SweepPlan& plan) {
  CasePoint p;
  p.model = plan.caseDef->model;
  p.N = plan.N;
  p.R1 = plan.R1, p.R2 = plan.R2, p.L = plan.L, p.f = plan.f;
  p.params = plan.fixed;
  return p;
}

// The inputs the air-coil reference needs: a full registry refuses first; then the common fields
// (accuracy, coil) with their sign, coil and accuracy checks; the progress bar reset to 0 of 1;
// then, for a case with a model, its frequency and every From field with their sign and range
// checks. Fills
// the plan up to the air-coil reference; `fromWindow` receives the From values as typed.
ComputeStatus ReadInputs(int TestCase, Reader& read, ComputeOutput& out, SweepPlan& plan,
                         std::array<double, 6>& fromWindow) {
  constexpr auto kOk = ComputeStatus::Completed;
  const CaseDef* caseDef = FindCase(TestCase);
  if (caseDef == nullptr) return ComputeStatus::NoComputation;
  ComputeStatus st;

  // A full registry refuses the command before anything is read or computed.
  if (caseDef->model != ModelKind::None && out.CurveCount() >= kCurveSlots)
    return read.Check(kRegistryFullMessage);

  // Common inputs, in reading order.
  plan = SweepPlan{};
  plan.caseDef = caseDef;
  if ((st = read.LenientReal(kCommonFields[kFieldAcc].name, 0, true, plan.Acc)) != kOk) return st;
  if ((st = read.LenientReal(kCommonFields[kFieldR1].name, kFactorMm, false, plan.R1)) != kOk)
    return st;
  if ((st = read.LenientReal(kCommonFields[kFieldR2].name, kFactorMm, false, plan.R2)) != kOk)
    return st;
  if ((st = read.LenientReal(kCommonFields[kFieldL].name, kFactorMm, false, plan.L)) != kOk)
    return st;
  if ((st = read.LenientInt(kCommonFields[kFieldN].name, plan.N)) != kOk) return st;
  if (plan.R1 < 0 || plan.R2 < 0 || plan.L < 0) return read.Check(kNegativeDataMessage);
  if (const auto refusal = CoilRefusal(plan.N, plan.R1, plan.R2, plan.L)) return read.Check(*refusal);
  // The quadrature refuses a finer accuracy and would return zeros for every point.
  if (plan.Acc < kMinAcc) return read.Check(kAccuracyMessage);

  out.SetProgressPosition(0);
  out.SetProgressMaximum(1);
  if (caseDef->model == ModelKind::None) return ComputeStatus::NoComputation;

  // Case inputs: the frequency, then every From field in table order.
  if ((st = read.Strict(caseDef->frequencyField, kFactorKHz, plan.f, &plan.fWindow)) != kOk)
    return st;
  for (std::size_t i = 0; i < caseDef->params.size(); ++i) {
    const ParamDef& p = caseDef->params[i];
    if ((st = read.Strict(p.fromField, p.unit.factor, plan.fixed[i], &fromWindow[i])) != kOk) return st;
  }
  bool negative = plan.f < 0;
  for (std::size_t i = 0; i < caseDef->params.size(); ++i) negative = negative || plan.fixed[i] < 0;
  if (negative) return read.Check(kNegativeDataMessage);
  if (const auto refusal = RangeRefusal(FixedPoint(plan))) return read.Check(*refusal);
  return kOk;
}

// The air-coil reference X0 and the inductance L0 = X0 / (2 pi f), shown in the labels.
ComputeStatus AirCoil(Reader& read, ComputeOutput& out, const ModelTable& models, SweepPlan& plan) {
  constexpr auto kOk = ComputeStatus::Completed;
  ComputeStatus st;
  int airIer = 0;
  double X0 = 0, L0 = 0;
  if ((st = read.Guarded([&] {
        models.AirCoilReactance(plan.N, plan.R1, plan.R2, plan.L, plan.f, plan.Acc, X0, airIer);
        Settle(X0);
      })) != kOk)
    return st;
  plan.X0 = X0;
  plan.airCoilShort = airIer != 0;
  if ((st = read.Guarded([&] {
        L0 = static_cast<double>(X0 / (kTwoPi * plan.f));
        Settle(L0);
      })) != kOk)
    return st;
  plan.L0 = L0;
  out.AirCoilValues(X0, L0);
  out.SetAirCoilLabels(LabelNumberText(X0), LabelNumberText(L0));
  return kOk;
}

// The sweep, without output: the first selected selector of the case, its parameter's To and
// Step fields, the range check, the point count and the geometry and ranges of physics at both
// ends of the sweep.
// Completes the plan (all but the air-coil values) or ends with the message that `read` shows or
// holds.
ComputeStatus ReadSweep(Reader& read, const ComputeInput& in, const ModelTable& models,
                        const std::array<double, 6>& fromWindow, SweepPlan& plan) {
  constexpr auto kOk = ComputeStatus::Completed;
  const CaseDef* caseDef = plan.caseDef;
  ComputeStatus st;
  int swept = -1;
  for (std::size_t i = 0; i < caseDef->params.size() && swept < 0; ++i)
    if (in.IsSelected(caseDef->params[i].selector)) swept = static_cast<int>(i);
  plan.sweepsFrequency = swept < 0 && in.IsSelected(caseDef->frequency.selector);
  if (swept < 0 && !plan.sweepsFrequency) return ComputeStatus::NoComputation;
  plan.swept = std::max(swept, 0);
  const ParamDef& p = plan.sweepsFrequency ? caseDef->frequency
                                           : caseDef->params[static_cast<std::size_t>(swept)];
  const double from = plan.sweepsFrequency ? plan.f : plan.fixed[static_cast<std::size_t>(swept)];
  const double fromW =
      plan.sweepsFrequency ? plan.fWindow : fromWindow[static_cast<std::size_t>(swept)];
  double to = 0, step = 0, toWindow = 0, stepWindow = 0;
  bool logarithmic = false;
  if ((st = read.Strict(p.toField, p.unit.factor, to, &toWindow)) != kOk) return st;
  if ((st = read.Step(p.stepField, p.unit.factor, step, stepWindow, logarithmic)) != kOk) return st;
  plan.stepText = read.Typed(p.stepField, p.name, p.stepDefault).text;
  if (models.CheckRange(from, to, step) == 1) return read.Check(kCheckRangeMessage);

  std::optional<SweepRange> range;
  if (logarithmic) {
    // Points per decade of a positive range: a whole number of points spans each decade, and a
    // range from 0 spans infinitely many decades.
    if (!(from > 0)) return read.Check(kLogFromMessage);
    if (!(step >= 1) || step != std::floor(step)) return read.Check(kLogStepMessage);
    range = MakeLogSweep(from, to, step);
  } else {
    range = MakeSweep(from, to, step);
  }
  if (!range) return read.Check(kTooManyPointsMessage);
  plan.range = *range;
  plan.windowRange = SweepRange{fromW, toWindow, stepWindow, range->count, logarithmic};

  // The values are monotonic in the sweep: its two ends bound every point's geometry (which the
  // frequency does not enter).
  // The same holds for the ranges of physics.
  for (int i : {0, range->count - 1}) {
    CasePoint end = FixedPoint(plan);
    if (plan.sweepsFrequency) {
      end.f = range->Value(i);
    } else {
      end.params[static_cast<std::size_t>(swept)] = range->Value(i);
      if (const auto refusal = GeometryRefusal(caseDef->model, plan.R1, plan.R2, end.params))
        return read.Check(*refusal);
    }
    if (const auto refusal = RangeRefusal(end)) return read.Check(*refusal);
  }
  plan.colour = p.colour;
  plan.model = BindModel(models, plan);
  plan.forThread = models.ForThread;
  return kOk;
}

// The row of the swept parameter.
const ParamDef& SweptDef(const SweepPlan& plan) {
  return plan.sweepsFrequency ? plan.caseDef->frequency
                              : plan.caseDef->params[static_cast<std::size_t>(plan.swept)];
}

// The curve's record: the sweep as typed and read, the coil, every case field held fixed, and the
// air-coil values. `read` has read the common and From fields.
ComputeOutput::CurveInfo DescribeCurve(const SweepPlan& plan, const Reader& read) {
  static constexpr std::array<std::string_view, kCommonFields.size()> kCommonNames{"Acc", "R1", "R2",
                                                                                  "L", "N"};
  static_assert(kFieldAcc == 0 && kFieldR1 == 1 && kFieldR2 == 2 && kFieldL == 3 && kFieldN == 4);
  const CaseDef& c = *plan.caseDef;
  const ParamDef& p = SweptDef(plan);
  ComputeOutput::CurveInfo info{};
  info.testCase = c.testCase;
  info.caseName = c.cliName;
  info.param = p.name;
  info.unit = p.unit.symbol;
  info.from = plan.windowRange.From;
  info.to = plan.windowRange.To;
  info.step = plan.windowRange.Step;
  info.logarithmic = plan.windowRange.logarithmic;
  info.stepText = plan.stepText;
  info.points = plan.range.count;
  for (std::size_t k = 0; k < kCommonFields.size(); ++k)
    info.coil.push_back(
        read.Typed(kCommonFields[k].name, kCommonNames[k], kCommonFields[k].defaultText));
  if (!plan.sweepsFrequency)
    info.fixed.push_back(read.Typed(c.frequencyField, c.frequency.name, c.frequencyDefault));
  for (const ParamDef& q : c.params)
    if (&q != &p) info.fixed.push_back(read.Typed(q.fromField, q.name, q.fromDefault));
  info.Acc = plan.Acc;
  info.X0 = plan.X0;
  info.L0 = plan.L0;
  info.colour = plan.colour;
  return info;
}

// The progress maximum: the point count, except that with Step = 0 it stays 1.
void ShowProgressMaximum(const SweepPlan& plan, ComputeOutput& out) {
  if (plan.range.Step != 0) out.SetProgressMaximum(plan.range.count);
}

// The sweep itself: begins the curve, outputs the points in sweep order (from `points`, or
// evaluated here when there is no pool), reports a fault, counts the curve and reports the accuracy
// (and the cancellation, when a stop ended it).
ComputeStatus OutputSweep(const SweepPlan& plan, const ComputeOutput::CurveInfo& info,
                          ComputeOutput& out, OrderedPoints* points, const std::stop_token& stop) {
  const ParamDef& p = SweptDef(plan);
  ComputeStatus status = ComputeStatus::Completed;
  int pointsShort = 0, pointsTotal = 0;
  const PointModel serialModel = points ? PointModel{} : ThreadModel(plan);
  out.CurveDescribed(info);
  out.BeginCurve(plan.colour);
  for (int i = 0; i < plan.range.count; ++i) {
    std::optional<ModelPoint> m;
    if (!stop.stop_requested()) m = points ? points->Take(i, stop) : EvaluateModel(plan, serialModel, i);
    if (!m) {
      status = ComputeStatus::Cancelled;
      break;
    }
    const PointResult r = Normalise(*m, plan);
    if (r.fault != FpFault::None) {
      out.ShowMessage(MessageKind::Error, ErrorBoxText(FpFaultText(r.fault)));
      status = ComputeStatus::Fault;
      break;
    }
    out.StepProgress();
    out.PointComputed({p.name, plan.windowRange.Value(i), r.dR, r.dX, r.x, r.y, r.Ier, r.X0});
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

}  // namespace

int SweepThreads(int threads) {
  if (threads > 0) return threads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

ComputeStatus ButtonComputeClick(int TestCase, const ComputeInput& in, ComputeOutput& out,
                                 const ModelTable& models, int threads, std::stop_token stop) {
  constexpr auto kOk = ComputeStatus::Completed;
  const int n = SweepThreads(threads);
  SweepPlan plan;
  Reader read(in, out);
  std::array<double, 6> fromWindow{};
  ComputeStatus st;
  if ((st = ReadInputs(TestCase, read, out, plan, fromWindow)) != kOk) return st;

  // On several threads the air-coil reference (about as costly as one point) runs on this thread
  // while the workers start on the first points: the points need X0 only for the normalisation,
  // which is done here as each one is output. The sweep inputs are therefore read and checked
  // ahead of the air-coil reference, with their message held back; the outputs keep the serial
  // order. A fault of the air-coil reference ends the command before the labels, and a held
  // message after them, exactly where a serial run ends; the points computed by then are dropped
  // unseen. On one thread the sweep inputs are read after the labels, and their message shown at
  // once.
  Reader sweepRead(in, out, n > 1 ? Reader::kHold : Reader::kShow);
  std::optional<ComputeStatus> sweep;
  std::optional<OrderedPoints> points;
  if (n > 1) {
    sweep = ReadSweep(sweepRead, in, models, fromWindow, plan);
    if (*sweep == kOk) points.emplace(plan, std::min(n - 1, plan.range.count));
  }
  if ((st = AirCoil(read, out, models, plan)) != kOk) return st;
  if (!sweep) sweep = ReadSweep(sweepRead, in, models, fromWindow, plan);
  if (*sweep != kOk) {
    sweepRead.ShowHeld();
    // No sweep follows: the air-coil reference's accuracy is reported here, with no points.
    out.ReportAccuracy(0, 0, plan.airCoilShort);
    return *sweep;
  }
  ShowProgressMaximum(plan, out);
  return OutputSweep(plan, DescribeCurve(plan, read), out, points ? &*points : nullptr, stop);
}

}  // namespace veldo
