// A probe over a conductor at one frequency, as the front ends hand it to the models: the checks
// that refuse what the models cannot describe (each message names the layer or coil and what is
// wrong), the parameters by path ("f", "coil.R1", "lift_off", "layers.1.sigma"), and the
// evaluation of many problems on a few threads.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch.hpp"
#include "models/problem.hpp"

namespace veldo {

struct Problem {
  Probe probe;
  Conductor conductor;
  double f = 0;  // Hz
};

// The most layers a stack may have.
inline constexpr std::size_t kMaxLayers = 100;

// The first thing that makes `p` one the models cannot describe, as the message the front ends
// show, or nothing. The coil first (finite numbers, the window's coil checks), then the frequency,
// the conductor's position, every layer in order, and how the coil and the conductor fit.
std::optional<std::string> ProblemRefusal(const Problem& p);

// A parameter by its path: "f", "coil.N", "coil.R1", "coil.R2", "coil.L", "coil.z", "coil.x",
// "lift_off" (a plate) or "radius" (a tube or rod), "layers.K.thickness", "layers.K.sigma",
// "layers.K.mur" with K counted from 0 at the surface; "coils.K.R1" ... "coils.K.x" of coil K
// (from 0; "coil." is coil 0). Nothing when the path names nothing of `p`.
double* Parameter(Problem& p, std::string_view path);
// The turns a path names ("coil.N", "coils.K.N"), or nothing.
int* CoilTurns(Problem& p, std::string_view path);
std::optional<double> ParameterValue(const Problem& p, std::string_view path);

// The message for a path that names nothing of a problem.
std::string UnknownParameterMessage(std::string_view path);

// Evaluates every problem at relative accuracy Acc on `threads` threads (kAllCores or less than
// 1: one per hardware thread), each thread with a workspace of its own, by `engine` (the batch
// engine takes the problems of one probe together, in runs of kBatchRun in their given order). A
// refused problem, or one whose evaluation raised a floating-point fault, keeps what its slot held
// and is returned with its message, in increasing index order.
std::vector<Refusal> EvaluateProblems(std::span<const Problem> problems, double Acc, std::span<Impedance> out,
                                      int threads = 1, Engine engine = Engine::Adaptive);

// The problems (of any probes) whose `accepted` entry is set, by the batch engine on `threads`
// threads: the faults, in increasing index order. The points of one probe go to the engine in
// runs of at most kBatchRun, so that neither the threads nor their number change a value.
inline constexpr std::size_t kBatchRun = 1024;
std::vector<Refusal> EvaluateBatched(std::span<const Problem> problems, std::span<const char> accepted, double Acc,
                                     std::span<Impedance> out, int threads);

}  // namespace veldo
