#include "app/sweep.hpp"

#include <cmath>

namespace veldo {

namespace {

// The number of steps from From to To: linear (To - From)/Step, logarithmic k*log10(To/From).
double Steps(const SweepRange& r) {
  if (r.logarithmic) return r.Step * std::log10(r.To / r.From);
  return (r.To - r.From) / r.Step;
}

std::optional<SweepRange> Counted(SweepRange r) {
  const double q = Steps(r) + kSweepSlack;
  // A tiny Step can make q overflow (or be beyond any count we run): refuse it.
  if (!(q < static_cast<double>(kMaxSweepPoints))) return std::nullopt;
  r.count = static_cast<int>(std::floor(q)) + 1;
  return r;
}

}  // namespace

double SweepRange::Value(int i) const {
  const bool last = i == count - 1 && i > 0;
  if (logarithmic) {
    if (last && std::fabs(Steps(*this) - i) <= kSweepSlack) return To;
    // In extended precision: i/k rounded to a double would put up to 3 ulps into 10^(i/k).
    return static_cast<double>(From * std::pow(10.0L, static_cast<long double>(i) / Step));
  }
  const double v = From + static_cast<double>(i) * Step;
  if (last && std::fabs(v - To) <= kSweepSlack * Step) return To;
  return v;
}

std::optional<SweepRange> MakeSweep(double From, double To, double Step) {
  if (Step == 0) return SweepRange{From, To, Step, 1, false};
  return Counted(SweepRange{From, To, Step, 1, false});
}

std::optional<SweepRange> MakeLogSweep(double From, double To, double perDecade) {
  return Counted(SweepRange{From, To, perDecade, 1, true});
}

}  // namespace veldo
