// Array evaluation of one case's model (or of the air-coil reference) over many points, for the
// Python package and its studies: each point is checked as the Compute command checks its
// inputs, and the accepted points are evaluated on a number of threads, each thread keeping the
// coil factors of its points in a CoilFactorCache of its own (points of one coil share most
// quadrature nodes). A point's numbers depend neither on the number of threads nor on the
// cache: every point is one call of a pure model function, and a kept coil factor is the value
// a fresh evaluation gives.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/case_table.hpp"
#include "app/compute.hpp"

namespace veldo {

// The inputs of a batch of n points, as columns of n doubles in SI units. N holds whole numbers
// of turns. `params` are the case's parameters in the case table's order, which is the models'
// argument order after the frequency (one layer: LO or B1, CON1, MR1; two layers: LO or B1, D1
// or B2, CON1, CON2, MR1, MR2); the entries past the case's count are not read.
struct BatchColumns {
  std::size_t n = 0;
  const double* N = nullptr;
  const double* R1 = nullptr;
  const double* R2 = nullptr;
  const double* L = nullptr;
  const double* f = nullptr;
  std::array<const double*, 6> params{};
};

// Where a batch writes: n values each. A refused point keeps what its slots held.
struct BatchResults {
  double* first = nullptr;   // dR [ohm], or X0 [ohm] for the air coil
  double* second = nullptr;  // dX [ohm], or L0 [H] for the air coil
  int* ier = nullptr;        // the model's status (0..3), or the air coil's quadrature IER
};

// A point that was not evaluated, or whose evaluation raised a floating-point fault, with the
// message the window shows for that input.
struct Refusal {
  std::size_t index;
  std::string message;
  friend bool operator==(const Refusal&, const Refusal&) = default;
};

// Whether the points already refused stop the whole batch before any model call.
enum class OnRefusal { Stop, Continue };

// How an array evaluation computes its points: each on its own by the adaptive quadrature
// (Evaluate), or the points of one coil together on shared nodes by the batch engine
// (models/batch_engine.hpp), which hands every point whose error estimate exceeds the accuracy,
// and every point of a batch that raised a floating-point fault, to the adaptive quadrature.
// Adaptive: a point's numbers are those of its evaluation alone. Batch: within the accuracy of
// those, and they depend on which points share its batch (never on the number of threads).
enum class Engine { Adaptive, Batch };

// "adaptive" or "batch", and back (nothing for any other name).
std::string_view EngineName(Engine engine);
std::optional<Engine> EngineNamed(std::string_view name);

// Evaluates case model `model` (not ModelKind::None) at every accepted point of `in` at relative
// accuracy Acc, on `threads` threads (kAllCores or less than 1: one per hardware thread; the
// calling thread is one of them). Returns the refused points in increasing index order. The
// checks, per point and in the order the command makes them: every number finite ("'nan' is not
// a valid floating point value", as the window says of such a text), N a whole number that fits
// an int, no negative length, frequency or material value ("Check for negative data values"),
// the coil (CoilRefusal), the geometry (GeometryRefusal). An accuracy below the quadrature's
// smallest refuses every point. A model call that raises a floating-point fault refuses its
// point with the fault's text. With OnRefusal::Stop a batch with a refused point evaluates
// nothing (the faults found by evaluating are reported either way).
std::vector<Refusal> EvaluateCase(ModelKind model, const BatchColumns& in, double Acc,
                                  const BatchResults& out, int threads = 1,
                                  OnRefusal onRefusal = OnRefusal::Continue, Engine engine = Engine::Adaptive);

// The air-coil reactance X0 [ohm] and inductance L0 = X0 / (2*pi*f) [H] at every accepted point
// (`params` not read), with the same checks as EvaluateCase for the coil and the frequency.
std::vector<Refusal> EvaluateAirCoil(const BatchColumns& in, double Acc, const BatchResults& out,
                                     int threads = 1, OnRefusal onRefusal = OnRefusal::Continue);

// ---------------------------------------------------------------------------------------------
// The Compute command over field texts given by option, as a script calls it.

// What one command showed and drew: the messages in order, the air-coil values (when it got that
// far), the curve's points with the model's numbers, and the accuracy notices the window puts in
// its status bar.
struct CommandRecord {
  ComputeStatus status = ComputeStatus::NoComputation;
  std::vector<std::string> messages;
  bool airCoil = false;
  double X0 = 0, L0 = 0;
  std::string param;           // the swept parameter ("LO", "CON1", ...)
  std::vector<double> values;  // its values in the window's unit
  std::vector<double> dR, dX, x, y;
  std::vector<int> ier;
  std::vector<std::string> notices;
};

// Runs the command of the case named `caseName` (the front end's case names) with every field at
// its window default except those in `options`: "r1", "r2", "l", "n", "acc", "f" and the case's
// parameters in lower case ("lo", "con1", ...), each a field text in the window's unit; a
// parameter given as "FROM:TO:STEP" is the swept one (at most one), otherwise the case's first
// parameter is swept over its default range. An unknown case or option, or a second sweep, gives
// Rejected with a message saying so and runs nothing.
CommandRecord RunCommand(std::string_view caseName, const std::map<std::string, std::string>& options,
                         int threads = 1);

// The case models of the Compute command for case TestCase over the fields `in`, with every point
// of its sweep computed beforehand by the batch engine on `threads` threads: the command is run
// once over models that only note their arguments (its outputs dropped), those points are
// evaluated together, and the table returned answers a call with exactly those arguments from
// them (any other call, and a point whose evaluation faulted, by the models library as
// RealModels does). Run the command again over it for the curve.
ModelTable BatchModels(int TestCase, const ComputeInput& in, int threads = 1);

// The number of parameters of a case model after the frequency (3 or 6; 0 for ModelKind::None).
int ModelParamCount(ModelKind model);

}  // namespace veldo
