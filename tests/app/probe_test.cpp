// Probes of several coils as the front ends read them: the connection's terms picked by role, the
// sweep of the reading normalised by the drive in air, the instrument display's transform, and the
// probe's and display's JSON forms in sessions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "app/instrument.hpp"
#include "app/probe_connection.hpp"
#include "app/probe_form.hpp"
#include "app/problem_sweep.hpp"
#include "app/session_format.hpp"
#include "tests/app/fakes.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A probe of `roles` ("D" drive, "P" pickup, "B" both): identical coils side by side over a plate
// of aluminium on steel, coil K at x = K * 5 mm.
ProblemSweep Probe(const std::string& roles, Connection c) {
  ProblemSweep s;
  for (std::size_t k = 0; k < roles.size(); ++k) {
    s.problem.probe.coils.push_back(Coil{100, 1e-3, 2e-3, 1e-3, 0, 5e-3 * static_cast<double>(k)});
    s.wiring.roles.push_back(roles[k] == 'D' ? CoilRole::Drive : roles[k] == 'P' ? CoilRole::Pickup : CoilRole::Both);
  }
  s.wiring.connection = c;
  s.problem.conductor = {Geometry::Plate, 5e-4, {{1e-3, 3.5e7, 1}, {kInf, 5e6, 50}}};
  s.problem.f = 1e4;
  s.Acc = 1e-6;
  s.path = "lift_off";
  s.range = *MakeSweep(2e-4, 1e-3, 2e-4);
  return s;
}

// The connection takes its coils by role in coil order (tests/data/app/probe_wiring.tsv); a probe
// whose roles cannot give them is refused with the message the front ends show.
TEST(ProbeWiring, TheConnectionPicksItsCoilsByRole) {
  const test::CsvTable t = test::ReadCsv("app/probe_wiring.tsv", '\t');
  ASSERT_EQ(t.rows.size(), 11u);
  for (const auto& r : t.rows) {
    std::vector<ProbeTerm> terms;
    std::istringstream in(r.at(2));
    for (ProbeTerm p; in >> p.drive && in.ignore() >> p.pickup && in.ignore() >> p.sign;) terms.push_back(p);
    const ProblemSweep s = Probe(r.at(1), *ConnectionNamed(r.at(0)));
    const WiringTerms w = TermsOf(s.wiring, s.problem.probe);
    EXPECT_EQ(w.terms, terms) << r[1];
    EXPECT_EQ(w.refusal.value_or("").rfind(r.at(3), 0), 0u) << r[1] << ": " << w.refusal.value_or("");
    if (r[3].empty()) continue;
    // The sweep ends on the message before any work.
    test::RecordingOutput out;
    EXPECT_EQ(RunProblemSweep(s, out), ComputeStatus::Rejected);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, *w.refusal);
    EXPECT_TRUE(out.curves.empty() && out.details.empty());
  }
  ProblemSweep s = Probe("BB", Connection::Absolute);
  s.wiring.roles.pop_back();
  EXPECT_EQ(TermsOf(s.wiring, s.problem.probe).refusal, "Check the probe: it has 2 coils and 1 roles");
}

// The same coil read absolute through the wiring gives the sweep of the coil alone, bit for bit; a
// differential pair of identical coils at the same height over a uniform plate reads zero, in the
// conductor and in air (x = 0, y = 0 exactly); the transmit-receive reading in air is the mutual
// reactance, smaller than the drive's own and negative for coplanar coils side by side (the
// pickup sees the drive's returning flux).
TEST(ProbeWiring, TheSweepReadsTheConnection) {
  auto run = [](const ProblemSweep& s) {
    test::RecordingOutput out;
    EXPECT_EQ(RunProblemSweep(s, out), ComputeStatus::Completed) << (out.messages.empty() ? "" : out.messages[0].text);
    return out;
  };
  ProblemSweep one = Probe("B", Connection::Absolute), bare = one;
  bare.wiring = {};
  EXPECT_EQ(run(one).trace, run(bare).trace);

  const auto differential = run(Probe("BB", Connection::Differential));
  ASSERT_EQ(differential.details.size(), 5u);
  for (const ComputeOutput::PointDetails& p : differential.details) {
    EXPECT_EQ(p.dR, 0.0);
    EXPECT_EQ(p.dX, 0.0);
    EXPECT_EQ(p.x, 0.0);
    EXPECT_EQ(p.y, 0.0);
  }
  const auto tr = run(Probe("DP", Connection::TransmitReceive));
  const auto self = run(Probe("B", Connection::Absolute));
  ASSERT_EQ(tr.details.size(), 5u);
  EXPECT_EQ(tr.airCoil, self.airCoil);  // normalised by the drive's reactance in air
  for (std::size_t i = 0; i < 5; ++i) {
    const double yAir = tr.details[i].y - tr.details[i].dX / tr.airCoil.first;  // M / L0
    EXPECT_LT(yAir, 0.0);
    EXPECT_GT(yAir, -1.0);
  }
}

// Each coil's fields by path, "coil." being coil 0.
TEST(ProbeWiring, EveryCoilsFieldsByPath) {
  Problem p = Probe("DP", Connection::TransmitReceive).problem;
  *Parameter(p, "coils.1.R2") = 3e-3;
  *Parameter(p, "coils.0.z") = 1e-4;
  *CoilTurns(p, "coils.1.N") = 7;
  EXPECT_EQ(p.probe.coils[1].R2, 3e-3);
  EXPECT_EQ(p.probe.coils[0].z, 1e-4);
  EXPECT_EQ(ParameterValue(p, "coil.z"), 1e-4);
  EXPECT_EQ(ParameterValue(p, "coils.1.N"), 7.0);
  EXPECT_EQ(ParameterValue(p, "coils.1.x"), 5e-3);
  for (const char* path : {"coils.2.R1", "coils.1", "coils.1.", "coils.x.R1", "coils.1.Q", "coils..R1", "coils.-1.R1"})
    EXPECT_FALSE(ParameterValue(p, path)) << path;
}

// The display's transform against the cases worked by hand (tests/data/app/instrument_display.csv),
// and the lift-off rotation that turns the direction of increasing lift-off to point left.
TEST(Instrument, TheDisplayNullsRotatesAndAmplifies) {
  const auto t = test::ReadCsv("app/instrument_display.csv");
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto v = [&](const char* name) { return t.num(i, t.col(name)); };
    if (t.rows[i][t.col("kind")] == "angle") {
      EXPECT_NEAR(LiftOffAngle(v("dR"), v("dX")), v("angle"), 1e-12) << "row " << i;
      continue;
    }
    double u = 0, w = 0;
    ASSERT_TRUE(DisplayPoint(MakeTransform(v("dR0"), v("dX0"), v("angle"), v("gain_h"), v("gain_v")), v("dR"), v("dX"),
                             v("X0"), u, w));
    EXPECT_NEAR(u, v("u"), 1e-14 * (1 + std::abs(v("u")))) << "row " << i;
    EXPECT_NEAR(w, v("v"), 1e-14 * (1 + std::abs(v("v")))) << "row " << i;
  }
  double u = 0, w = 0;
  EXPECT_FALSE(DisplayPoint({}, 1, 1, 0, u, w));
}

// At the computed angle the reading's lift-off direction runs left and horizontal, for a plate, a
// bore and a rod (whose lift-off grows as its radius shrinks): the points of a lift-off sweep from
// the null move along -u.
TEST(Instrument, TheComputedLiftOffDirectionRunsHorizontally) {
  ProblemSweep plate = Probe("DP", Connection::TransmitReceive);
  ProblemSweep tube = plate, rod = plate;
  for (ProblemSweep* s : {&tube, &rod})
    for (Coil& c : s->problem.probe.coils) c.x = 0;
  tube.problem.probe.coils[1].z = 2e-3;
  rod.problem.probe.coils[1].z = 2e-3;
  tube.problem.conductor = {Geometry::Tube, 2.5e-3, {{kInf, 2e7, 1}}};
  rod.problem.conductor = {Geometry::Rod, 0.8e-3, {{kInf, 2e7, 1}}};
  for (const ProblemSweep* s : {&plate, &tube, &rod}) {
    const LiftOffSlope slope = LiftOffDirection(*s, -1);
    ASSERT_FALSE(slope.refusal) << *slope.refusal;
    const DisplayTransform t = MakeTransform(0, 0, LiftOffAngle(slope.dR, slope.dX), 0, 0);
    double u = 0, v = 0;
    ASSERT_TRUE(DisplayPoint(t, slope.dR, slope.dX, 1, u, v));
    EXPECT_LT(u, 0);
    EXPECT_LT(std::abs(v), 1e-12 * std::abs(u));
  }
  ProblemSweep lone = Probe("PP", Connection::TransmitReceive);
  EXPECT_TRUE(LiftOffDirection(lone, -1).refusal);
}

// The probe editors and the display settings come back from a session as they were written; a
// member that is wrong is named.
TEST(Instrument, ProbesAndTheDisplayComeBackFromASession) {
  Session s;
  ProbeTexts t;
  t.connection = Connection::DifferentialTransmitReceive;
  t.coils = {CoilTexts{}, CoilTexts{"50", "0.5", "1,5", "2", "-0.25", "x"}, CoilTexts{}};
  t.coils[0].role = CoilRole::Drive;
  s.probes = {{"plate", t}, {"rod", ProbeTexts{}}};
  s.instrument = InstrumentSettings{NullAt::CurveStart, 3, RotationFrom::Typed, 1.0 / 3, -6.5, 40};
  s.view = static_cast<int>(ChartView::Instrument);
  const SessionRead back = ReadSession(WriteSession(s));
  ASSERT_TRUE(back.session) << back.error;
  EXPECT_EQ(WriteSession(*back.session), WriteSession(s));
  const ProbeTexts& b = back.session->probes.at(0).second;
  EXPECT_EQ(b.connection, t.connection);
  ASSERT_EQ(b.coils.size(), 3u);
  EXPECT_EQ(b.coils[1].R2, "1,5");
  EXPECT_EQ(b.coils[0].role, CoilRole::Drive);
  EXPECT_EQ(back.session->instrument->angle, 1.0 / 3);

  const std::string good = WriteSession(s);
  const std::pair<std::string, std::string> bad[] = {
      {R"("connection": "differential transmit-receive")", R"("connection": "bridge")"},
      {R"("role": "drive")", R"("role": "sender")"},
      {R"("gain_v": 40)", R"("gain_v": "loud")"},
      {R"("null": "curve-start")", R"("null": "ground")"},
      {R"("curve": 3)", R"("curve": 2.5)"},
  };
  for (const auto& [from, to] : bad) {
    std::string text = good;
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    const SessionRead r = ReadSession(text);
    EXPECT_FALSE(r.session) << to;
    EXPECT_EQ(r.error.rfind("the member '", 0), 0u) << r.error;
  }
}

}  // namespace
}  // namespace veldo
