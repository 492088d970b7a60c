// Sweep values, never accumulated, so the last value does not drift above To and drop out.
// Linear: From + i*Step for i = 0 .. n-1, n = floor((To - From)/Step + 1e-9) + 1; Step = 0 gives
// one point. Logarithmic, k points per decade: From * 10^(i/k) for i = 0 .. n-1,
// n = floor(k*log10(To/From) + 1e-9) + 1 (1 kHz to 10 MHz at 10 per decade: 41 points).
#pragma once

#include <optional>

namespace veldo {

// The most points one sweep may hold. A finer range is refused before any work: each point is
// one model call and one point of a curve, so a finer range would run long and fill memory with
// points no one can tell apart.
inline constexpr int kMaxSweepPoints = 1000000;

// Slack of the point count, in steps: a quotient within 1e-9 below an integer counts as reaching
// it.
inline constexpr double kSweepSlack = 1e-9;

struct SweepRange {
  double From = 0, To = 0;
  double Step = 0;  // linear: the step; logarithmic: points per decade
  int count = 1;    // number of points, at least 1
  bool logarithmic = false;

  // The i-th value (0 <= i < count). The first one is From itself; the last one is To itself when
  // it lands on To within the slack of the count.
  double Value(int i) const;
};

// The sweep of an accepted range (From <= To, Step >= 0, all finite), or nothing when it would
// hold more than kMaxSweepPoints points.
std::optional<SweepRange> MakeSweep(double From, double To, double Step);

// The logarithmic sweep of an accepted range (0 < From <= To, finite, perDecade a whole number of
// at least 1), or nothing when it would hold more than kMaxSweepPoints points.
std::optional<SweepRange> MakeLogSweep(double From, double To, double perDecade);

}  // namespace veldo
