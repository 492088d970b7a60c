// The Compute command without a toolkit: it reads field texts by the fields' names and the
// state of the sweep selectors, and writes through a ComputeOutput.
#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "app/case_table.hpp"
#include "app/checks.hpp"
#include "app/output.hpp"
#include "app/parse.hpp"
#include "app/sweep.hpp"

namespace veldo {

// The window's inputs as the Compute command sees them.
class ComputeInput {
public:
  virtual ~ComputeInput() = default;
  // Text of an edit field by its name ("Editr1", "Epr1loa", "Eid2con2c", ...).
  virtual std::string FieldText(std::string_view name) const = 0;
  // Whether a sweep selector is selected, by its name ("RBpr1lo", "RBid2con2", ...).
  virtual bool IsSelected(std::string_view radioName) const = 0;
  // The decimal separator the case fields may use besides "."; the C library's locale by default.
  virtual std::string DecimalSeparator() const { return LocaleDecimalSeparator(); }
};

// ---------------------------------------------------------------------------------------------
// The seam to the models: the air-coil reference, the range check and the evaluation of one case
// point, with the argument lists of the models library. The command calls nothing else of it, so
// tests and fuzzers can run the command over cheap stand-ins.

using AirCoilFn = std::function<void(int N, double R1, double R2, double L, double f, double Acc,
                                     double& X0, int& Ier)>;
using CheckRangeFn = std::function<int(double From, double To, double Step)>;
// One point of a case (its problem is CaseProblem(point)) at relative accuracy Acc.
using CasePointFn = std::function<void(const CasePoint& point, double Acc, double& dR, double& dX, int& Ier)>;

struct ModelTable {
  AirCoilFn AirCoilReactance;
  CheckRangeFn CheckRange;
  CasePointFn Evaluate;
  // Optional: a table of the same models for the use of one thread, made once per sweep thread.
  // The real models' gives each thread a CoilFactorCache of its own (the same bits, less work
  // along a sweep). Empty: this table serves every thread.
  std::function<ModelTable()> ForThread;
};

// The models library's own functions; their ForThread is CachedModels.
ModelTable RealModels();

// The models library's functions over one CoilFactorCache that the table's copies share: for one
// thread at a time (a sweep worker, a chunk of a batch). Results are bit for bit RealModels'.
ModelTable CachedModels();

// How a command ended.
enum class ComputeStatus {
  Completed,      // the sweep ran to its end and its curve is counted
  NoComputation,  // a case without a computation (7, 8), or no selector selected
  Rejected,       // an input message ended it before the sweep
  Fault,          // a floating-point fault ended it (before or during the sweep)
  Cancelled,      // a stop request ended the sweep; the points before it are a counted curve
};

// Threads that evaluate sweep points: kAllCores asks for one per hardware thread.
inline constexpr int kAllCores = 0;

// The number of threads a request gives: `threads` itself when positive, otherwise one per
// hardware thread (at least one).
int SweepThreads(int threads);

// Runs the Compute command for geometry case TestCase (1..9) to its end over `models`: reads,
// converts and checks the inputs, computes and shows the air-coil values, sweeps the selected
// parameter through the case model and outputs the normalised points as one curve.
//
// The selectors are tested in the case's order, the frequency row's last. A Step written as
// "k/dec" sweeps logarithmically, k points per decade (a whole number of at least 1, From above
// 0), for any parameter. A frequency sweep normalises each point by the air coil's reactance at
// the point's own frequency, 2*pi*f*L0; the labels show X0 and L0 at the From frequency.
//
// `threads` evaluate the sweep points, the calling thread among them (1: all on the calling
// thread, after the air-coil reference; kAllCores: one per hardware thread). With more, the sweep
// inputs are read and checked before the air-coil reference is computed on the calling thread
// while the other threads start on the points; the outputs, messages included, are those of a
// serial run call for call and bit for bit, and the calling thread makes every output call. More
// than one thread calls the model functions concurrently, so they must be re-entrant, as the
// models library's are.
//
// A stop request (from another thread, e.g. the window's Stop while this runs on a worker) is
// seen before each point is output and while waiting for one: the points output so far stay as a
// counted curve, the accuracy is reported, then SweepCancelled; points being computed run to
// their end before the command returns. A model that throws ends the sweep at that point, and the
// exception leaves this function on the calling thread after the points before it are output.
ComputeStatus ButtonComputeClick(int TestCase, const ComputeInput& in, ComputeOutput& out,
                                 const ModelTable& models, int threads = 1, std::stop_token stop = {});

// Messages of the checks this command adds to those of the models.
inline constexpr std::string_view kRegistryFullMessage =
    "The chart holds 101 curves, as many as it can: remove them with File > New before computing "
    "again";
inline constexpr std::string_view kAccuracyMessage =
    "Check the computation accuracy: it must be at least 1.110223e-12 %";
inline constexpr std::string_view kTooManyPointsMessage =
    "Check the sweep: From, To and Step give more than 1000000 points";
inline constexpr std::string_view kLogFromMessage =
    "Check the logarithmic sweep: From must be greater than 0";
inline constexpr std::string_view kLogStepMessage =
    "Check the logarithmic sweep: the points per decade (Step written as 10/dec) must be a whole "
    "number of at least 1";
// The smallest relative accuracy the quadrature accepts (50 times its machine precision).
inline constexpr double kMinAcc = 50.0 * 2.220446e-16;

// Registry size: slots 0 .. 100.
inline constexpr int kCurveSlots = 101;

}  // namespace veldo
