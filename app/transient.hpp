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

// The drive current: a step-off (1 A for t < 0, 0 after) or a rectangular pulse (1 A for
// 0 < t < width).
struct Waveform {
  enum Kind { StepOff, Pulse } kind = StepOff;
  double width = 0;  // s, of a pulse
};

struct TransientResult {
  std::vector<double> v;  // V/A at each time
  int Ier = 0;            // the largest status of the frequency-domain evaluations (0: all reached Acc)
};

// Why a transient cannot be computed as asked (times not positive and finite, or out of order; a
// pulse width not positive; a conductor other than a plate; an accuracy the inversion cannot give),
// before any work, or nothing.
std::optional<std::string> TransientRefusal(const Problem& p, std::span<const double> t, const Waveform& w, double Acc);

// The pickup's voltage per ampere at the times t > 0 [s] over a plate, in a tube or round a rod: for a step-off
//   v(t) = -L^-1[Delta L(p) - Delta L(inf)](t),
// Delta L(inf) the perfect conductor's (the limit of p -> inf), by the fixed Talbot contour
// (Talbot 1979; Abate and Valko 2004): the trapezoidal rule on a contour that both ends in the left
// half plane, where e^(pt) makes the integrand decay so fast that M nodes give about 0.6 M digits
// until the rounding of the e^r = e^(2M/5) weight of the first node takes over. The p-domain values
// are evaluated to Acc / e^r. A pulse is the difference of two shifted step responses.
TransientResult Transient(const Problem& p, std::span<const double> t, const Waveform& w, double Acc);

}  // namespace veldo
