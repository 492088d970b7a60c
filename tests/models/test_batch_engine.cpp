// The batch engine against the adaptive path over random sweeps of every geometry
// (tests/data/models/batch_engine_sweeps.txt; VELDO_BATCH_FULL=1 for the long run): each point within Acc |dZ| of Evaluate's. Where the
// two differ by more, Evaluate at 1e-10 decides: the batch value must be within Acc of that (the
// adaptive path's own estimate is then the one that was off). The fallbacks are Evaluate's own
// calls, so every difference is a point the batch estimate trusted. Its Bessel ratios against
// mpmath.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "models/batch_detail.hpp"
#include "models/batch_engine.hpp"

namespace veldo {
namespace {

struct SweepCase {
  std::string name, geometry, axis;
  int layers = 1, sweeps = 0, points = 0;
  bool pair = false;  // a pickup coaxial with the drive, above it: their transfer impedance
};

struct Plan {
  double acc = 1e-4;
  std::vector<SweepCase> cases;
  std::map<std::string, std::pair<double, double>> ranges;
};

Plan ReadPlan() {
  std::ifstream in(std::string(VELDO_TEST_DATA_DIR) + "/models/batch_engine_sweeps.txt");
  Plan plan;
  for (std::string line; std::getline(in, line);) {
    std::istringstream s(line);
    std::string key;
    s >> key;
    if (key == "acc") s >> plan.acc;
    if (key == "case") {
      SweepCase c;
      int full = 0;
      std::string pair;
      s >> c.name >> c.geometry >> c.layers >> c.axis >> c.sweeps >> full >> c.points >> pair;
      c.pair = pair == "pair";
      if (const char* e = std::getenv("VELDO_BATCH_FULL"); e != nullptr && std::string(e) == "1") c.sweeps = full;
      plan.cases.push_back(c);
    }
    if (key == "range") {
      std::string name;
      double lo = 0, hi = 0;
      s >> name >> lo >> hi;
      plan.ranges[name] = {lo, hi};
    }
  }
  return plan;
}

// Draws the base points of a case and sweeps one of their inputs.
class Sweeps {
public:
  Sweeps(const Plan& plan, unsigned seed) : plan_(plan), rng_(seed) {}

  double Log(const std::string& name) {
    const auto [lo, hi] = plan_.ranges.at(name);
    return std::pow(10.0, lo + (hi - lo) * U());
  }
  double U() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

  // One sweep: the probe, and the conductors and frequencies of its points.
  void Next(const SweepCase& c, Probe& probe, std::vector<Conductor>& cond, std::vector<double>& f) {
    const bool rod = c.geometry == "rod", tube = c.geometry == "tube";
    const double R2 = Log("R2"), R1 = R2 * (rod ? 0.3 + 0.65 * U() : 0.9 * U());
    probe = Probe{};
    probe.coils.push_back(Coil{100, R1, R2, R2 * Log("L_over_R2"), 0.0, 0.0,
                               c.axis == "parallel" ? CoilAxis::Parallel : CoilAxis::Normal});
    if (c.pair) {
      const double r2 = R2 * (0.2 + 0.8 * U());
      const Coil& d = probe.coils[0];
      probe.coils.push_back(Coil{50, r2 * 0.9 * U(), r2, r2 * Log("L_over_R2"), d.L * (1.0 + U())});
      probe.pickup = 1;
    }
    Conductor base{rod ? Geometry::Rod : tube ? Geometry::Tube : Geometry::Plate, 0.0, {}};
    base.position = rod ? R1 * (0.2 + 0.79 * U()) : tube ? R2 * (1.0 + Log("gap_over_R2")) : R2 * Log("liftoff_over_R2");
    double left = base.position;  // a rod's radius still to fill
    for (int l = 0; l < c.layers; ++l) {
      Layer layer{R2 * Log("thickness_over_R2"), U() < 0.1 ? 0.0 : Log("sigma"), U() < 0.3 ? Log("mur") : 1.0};
      if (rod) layer.thickness = l + 1 < c.layers ? left * (0.1 + 0.5 * U()) : left;
      left -= layer.thickness;
      base.layers.push_back(layer);
    }
    if (!rod) base.layers.back().thickness = std::numeric_limits<double>::infinity();
    const double f0 = Log("f");
    const int what = static_cast<int>(3 * U());
    cond.assign(static_cast<std::size_t>(c.points), base);
    f.assign(static_cast<std::size_t>(c.points), f0);
    for (int i = 0; i < c.points; ++i) {
      const double t = c.points > 1 ? static_cast<double>(i) / (c.points - 1) : 0.0, factor = std::pow(10.0, 3 * t - 1.5);
      Conductor& k = cond[static_cast<std::size_t>(i)];
      if (what == 0 && k.layers[0].sigma > 0) k.layers[0].sigma *= factor;
      if (what == 1) f[static_cast<std::size_t>(i)] = f0 * factor;
      if (what == 2 && !rod) k.position = tube ? R2 + (base.position - R2) * factor : base.position * factor;
    }
  }

private:
  const Plan& plan_;
  std::mt19937 rng_;
};

double Distance(const Impedance& a, const Impedance& b) { return std::hypot(a.dR - b.dR, a.dX - b.dX); }
double Size(const Impedance& a) { return std::hypot(a.dR, a.dX); }

TEST(BatchEngine, EveryPointWithinAccOfTheAdaptivePath) {
  const Plan plan = ReadPlan();
  ASSERT_FALSE(plan.cases.empty());
  unsigned seed = 1;
  for (const SweepCase& c : plan.cases) {
    Sweeps sweeps(plan, seed++);
    long long points = 0, fallbacks = 0, adaptiveOff = 0;
    double worst = 0.0;
    Workspace ws;
    for (int s = 0; s < c.sweeps; ++s) {
      Probe probe;
      std::vector<Conductor> cond;
      std::vector<double> f;
      sweeps.Next(c, probe, cond, f);
      std::vector<const Conductor*> ptr;
      for (const Conductor& k : cond) ptr.push_back(&k);
      std::vector<Impedance> z(cond.size());
      std::vector<int> raised(cond.size());
      const BatchOutcome o = EvaluateBatch(probe, ptr, f, plan.acc, z, raised, ws);
      points += o.points;
      fallbacks += o.fallbacks;
      for (std::size_t i = 0; i < cond.size(); ++i) {
        ASSERT_EQ(raised[i], 0) << c.name;
        const Impedance a = Evaluate(probe, cond[i], f[i], plan.acc, ws);
        double e = Distance(z[i], a) / Size(a);
        if (e > plan.acc) {
          const Impedance r = Evaluate(probe, cond[i], f[i], 1e-10, ws);
          e = Distance(z[i], r) / Size(r);
          ++adaptiveOff;
          EXPECT_LE(e, plan.acc) << c.name << " sweep " << s << " point " << i << ": the batch value is "
                                 << e << " of |dZ| off the 1e-10 reference";
        }
        worst = std::max(worst, e);
      }
    }
    std::printf("%-8s %6lld points, %5lld fallbacks, worst %.2e of |dZ|, %lld where the adaptive path was off\n",
                c.name.c_str(), points, fallbacks, worst, adaptiveOff);
  }
}

// The batch engine's ratios K1/K0 and I1/I0 of a one-material bore or rod against mpmath
// (tests/data/models/bessel_ratios.csv), each argument through the routine and step count the
// engine picks for it, in a full block of lanes; and no floating-point fault flag on the way.
TEST(BesselRatios, MatchHighPrecisionReferencesWithoutFaults) {
  using namespace batch_detail;
  std::ifstream in(std::string(VELDO_TEST_DATA_DIR) + "/models/bessel_ratios.csv");
  ASSERT_TRUE(in.good());
  double tolerance = 0.0;
  int rows = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# tolerance ", 0) == 0) tolerance = std::stod(line.substr(12));
    if (line.empty() || line[0] == '#' || line[0] == 'z') continue;
    std::istringstream s(line);
    double v[6];
    char comma;
    s >> v[0] >> comma >> v[1] >> comma >> v[2] >> comma >> v[3] >> comma >> v[4] >> comma >> v[5];
    const double a = std::hypot(v[0], v[1]);
    double zr[kLanes], zi[kLanes], kr[kLanes], ki[kLanes], ir[kLanes], ii[kLanes];
    for (int l = 0; l < kLanes; ++l) zr[l] = v[0], zi[l] = v[1];
    if (a < kRatioLarge) {
      RatioKSteed(SteedSteps(a), zr, zi, kr, ki);
      RatioIMiller(MillerSteps(a), zr, zi, ir, ii);
    } else {
      RatioKHankel(HankelTerms(a), zr, zi, kr, ki);
      RatioIHankel(HankelTerms(a), zr, zi, ir, ii);
    }
    EXPECT_LE(std::hypot(kr[kLanes - 1] - v[2], ki[kLanes - 1] - v[3]), tolerance * std::hypot(v[2], v[3])) << line;
    EXPECT_LE(std::hypot(ir[kLanes - 1] - v[4], ii[kLanes - 1] - v[5]), tolerance * std::hypot(v[4], v[5])) << line;
    ++rows;
  }
  EXPECT_GT(tolerance, 0.0);
  EXPECT_GT(rows, 300);
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID), 0);
}

}  // namespace
}  // namespace veldo
