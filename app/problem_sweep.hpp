// The sweep of any parameter of a problem, by its path, with the Compute command's outputs: the
// coil in air, one curve per value of an optional second parameter (a family), the normalised
// points in order, and the accuracy report. Every point is checked before any work.
#pragma once

#include <array>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/compute.hpp"
#include "app/output.hpp"
#include "app/probe_connection.hpp"
#include "app/problem.hpp"
#include "app/sweep.hpp"

namespace veldo {

// A FROM:TO:STEP text split at its two colons (each part as typed), or nothing when it has not
// exactly two. The one splitter of the front ends: the command line, the Python package and the
// sweeps of a problem.
std::optional<std::array<std::string, 3>> SplitSweepText(std::string_view text);

struct ProblemSweep {
  Problem problem;          // every parameter at its fixed value (SI)
  double Acc = 1e-4;
  std::string path;         // the swept parameter
  SweepRange range;         // its values (SI)
  double unit = 1;          // SI per unit of the values shown (PointDetails::value = SI / unit)
  std::string family;       // a second parameter, one curve per value of `familyValues` ("": none)
  std::vector<double> familyValues;
  Rgb colour = kBlue;
  Engine engine = Engine::Adaptive;  // how the points are computed (app/batch.hpp)
  ProbeWiring wiring;                // what the instrument reads (no roles: the probe's drive to its pickup)
};

// Runs the sweep: checks every point (a refused one ends the command with its message before
// any work), computes the coil in air at the fixed frequency and shows it, then outputs one curve
// per family value. Points are normalised by the drive's reactance in air at their own frequency
// and coil (2 pi f L0; L0 is computed again per point only when a coil parameter is swept):
// x = dR / X0, y = (dX + Xair) / X0 with Xair the reading's reactance in air (X0 itself for an
// absolute reading). A wiring whose roles do not give its connection its coils is refused first. The
// points run on `threads` threads in blocks, output in order; a stop request is seen between
// blocks. A floating-point fault ends the command at its point with the fault's message.
// Every point's problem, one list per family value (one list without a family), or the message
// of the first that cannot be made or is refused.
std::variant<std::vector<std::vector<Problem>>, std::string> SweepProblems(const ProblemSweep& sweep);

ComputeStatus RunProblemSweep(const ProblemSweep& sweep, ComputeOutput& out, int threads = 1,
                              std::stop_token stop = {});

}  // namespace veldo
