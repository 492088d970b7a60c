// The pickup's voltage per ampere of drive current after the drive is switched: the inverse Laplace
// transform of the conductor's part of the transfer inductance. Only what the conductor adds: the
// coupling in air (and the conductor's impulse at the switching instant) is not part of it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/problem.hpp"

namespace veldo {

// The drive current: a step-off (1 A for t < 0, 0 after), a rectangular pulse (1 A for
// 0 < t < width), or samples (times [s] strictly increasing, currents [A]) joined by straight
// lines, the first current held before the first time and the last after the last.
struct Waveform {
  enum Kind { StepOff, Pulse, Samples } kind = StepOff;
  double width = 0;  // s, of a pulse
  std::vector<double> times, currents;
};

struct TransientResult {
  std::vector<double> v;      // V/A at each time
  std::vector<double> error;  // the estimate of v's error at each time, V/A (beyond Acc |v|: not reached)
  int Ier = 0;                // the largest status of the Laplace-domain evaluations (0: all reached Acc)
};

// At most this many decades between the shortest and the longest time after a switching instant
// that one transform spans (the times, and for a pulse or samples their delays after its edges or
// sample times).
inline constexpr double kTransientDecades = 12;

// Why a transient cannot be computed as asked (times not positive and finite; a pulse width not
// positive; samples too few, not finite or out of order; delays after the switching instants
// spanning more than kTransientDecades; a problem the models cannot describe; an accuracy the
// inversion cannot give), before any work, or nothing.
std::optional<std::string> TransientRefusal(const Problem& p, std::span<const double> t, const Waveform& w, double Acc);

// The pickup's voltage per ampere at the times t > 0 [s] over a plate, in a tube or round a rod: for a step-off
//   s(t) = -L^-1[Delta L(p) - Delta L(inf)](t),
// Delta L(inf) the perfect conductor's (the limit of p -> inf); a pulse is s(t - width) - s(t);
// samples are the sum of ramp responses R(t) = int_0^t s = -L^-1[(Delta L(p) - Delta L(inf)) / p],
// each weighted by its segment's slope. Acc is relative to the response's scale (|Delta L| / t).
TransientResult Transient(const Problem& p, std::span<const double> t, const Waveform& w, double Acc);

}  // namespace veldo
