#include "app/sweep.hpp"

#include <cmath>

namespace veldo {

double SweepRange::Value(int i) const {
  const double v = From + static_cast<double>(i) * Step;
  if (i == count - 1 && i > 0 && std::fabs(v - To) <= kSweepSlack * Step) return To;
  return v;
}

std::optional<SweepRange> MakeSweep(double From, double To, double Step) {
  SweepRange r{From, To, Step, 1};
  if (Step == 0) return r;
  const double q = (To - From) / Step + kSweepSlack;
  // A tiny Step can make q overflow (or be beyond any count we run): refuse it.
  if (!(q < static_cast<double>(kMaxSweepPoints))) return std::nullopt;
  r.count = static_cast<int>(std::floor(q)) + 1;
  return r;
}

}  // namespace veldo
