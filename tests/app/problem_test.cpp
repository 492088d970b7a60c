// Problems the models cannot describe are refused before any work, each with a message that names
// the layer or coil and what is wrong; parameters are found by path; a batch of problems keeps
// every accepted point and names each refused one; probes of several coils read their connection.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>

#include "app/instrument.hpp"
#include "app/probe_connection.hpp"
#include "app/probe_form.hpp"
#include "app/problem.hpp"
#include "app/problem_json.hpp"
#include "app/problem_sweep.hpp"
#include "app/session_format.hpp"
#include "app/units.hpp"
#include "tests/app/fakes.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Problem Plate() {
  Problem p;
  p.probe.coils.push_back(Coil{200, 2e-3, 4e-3, 1e-3});
  p.conductor = {Geometry::Plate, 1e-4, {{0.1e-3, 1e7, 1}, {0.2e-3, 0, 1}, {kInf, 3.5e7, 1}}};
  p.f = 1e5;
  return p;
}

void AddPickup(Problem& p, const Coil& c) {
  p.probe.coils.push_back(c);
  p.probe.pickup = 1;
}

// The change that puts the plate's coil round or in a conductor of `geometry` at `position`, and
// changes the coil.
std::function<void(Problem&)> In(Geometry geometry, double position, void (*coil)(Coil&) = [](Coil&) {}) {
  return [=](Problem& p) {
    p.conductor.geometry = geometry;
    p.conductor.position = position;
    coil(p.probe.coils[0]);
  };
}

TEST(Problems, WhatTheModelsCannotDescribeIsRefusedWithItsReason) {
  struct Row {
    const char* message;  // the start of the message, "" for an accepted problem
    std::function<void(Problem&)> change;
  };
  const Row rows[] = {
      {"", [](Problem&) {}},
      {"", [](Problem& p) { p.conductor.layers.back().thickness = 5; }},  // the last one's is not read
      {"Check layer 1 of 3: the thickness must be a finite number", [](Problem& p) { p.conductor.layers[0].thickness = -1e-3; }},
      {"Check layer 2 of 3: the thickness must be a finite number", [](Problem& p) { p.conductor.layers[1].thickness = kInf; }},
      {"Check layer 3 of 3: the thickness must be at least 0", [](Problem& p) { p.conductor.layers[2].thickness = kNaN; }},
      {"Check layer 2 of 3: the conductivity", [](Problem& p) { p.conductor.layers[1].sigma = -1; }},
      {"Check layer 3 of 3: the conductivity", [](Problem& p) { p.conductor.layers[2].sigma = kInf; }},
      {"Check layer 1 of 3: the relative permeability", [](Problem& p) { p.conductor.layers[0].mur = 0; }},
      {"Check layer 2 of 3: the relative permeability", [](Problem& p) { p.conductor.layers[1].mur = kNaN; }},
      {"Check the conductor: it needs at least one layer", [](Problem& p) { p.conductor.layers.clear(); }},
      {"Check the conductor: it has 101 layers", [](Problem& p) { p.conductor.layers.assign(101, {1e-5, 1e6, 1}); }},
      {"", [](Problem& p) { p.conductor.layers.assign(100, {1e-5, 1e6, 1}); }},
      {"Check the coil: it reaches below the plate's surface", [](Problem& p) { p.probe.coils[0].z = -2e-4; }},
      {"Check the coil: the inner radius R1 must be smaller", [](Problem& p) { p.probe.coils[0].R1 = 5e-3; }},
      {"Check the coil: its dimensions and position must be finite", [](Problem& p) { p.probe.coils[0].x = kNaN; }},
      {"Check the frequency", [](Problem& p) { p.f = -1; }},
      {"Check the conductor: its lift-off or radius", [](Problem& p) { p.conductor.position = kInf; }},
      {"Check the geometry: the coil must fit inside the bore", In(Geometry::Tube, 3e-3)},
      {"Check the coil: in a tube its axis is the tube's", In(Geometry::Tube, 5e-3, [](Coil& c) { c.x = 1e-3; })},
      {"Check the geometry: the rod must fit inside the coil", In(Geometry::Rod, 3e-3)},
      {"Check the rod: its shells down to layer 2 of 3", In(Geometry::Rod, 0.25e-3)},
      {"Check the coil: only a single coil over a plate", In(Geometry::Rod, 1e-3, [](Coil& c) { c.axis = CoilAxis::Parallel; })},
      // Probes of two coils: each coil named, and what the pair may not do.
      {"", [](Problem& p) { AddPickup(p, Coil{50, 1e-3, 1.5e-3, 0.5e-3, 1.2e-3}); }},
      {"", [](Problem& p) { AddPickup(p, Coil{50, 2e-3, 4e-3, 1e-3, 0, 8.5e-3}); }},
      {"Check coils 1 and 2: their windings overlap", [](Problem& p) { AddPickup(p, Coil{50, 3e-3, 5e-3, 1e-3, 0.5e-3}); }},
      {"Check coils 1 and 2: their windings overlap", [](Problem& p) { AddPickup(p, Coil{50, 2e-3, 4e-3, 1e-3, 0, 7e-3}); }},
      {"Check coil 2: it reaches below the plate's surface", [](Problem& p) { AddPickup(p, Coil{50, 5e-3, 6e-3, 1e-3, -0.5e-3}); }},
      {"Check coil 2: the height L must be greater than 0", [](Problem& p) { AddPickup(p, Coil{50, 5e-3, 6e-3, 0}); }},
      {"Check the probe: its drive and pickup", [](Problem& p) { p.probe.pickup = 1; }},
  };
  for (const Row& r : rows) {
    Problem p = Plate();
    r.change(p);
    const auto refusal = ProblemRefusal(p);
    if (*r.message == '\0') {
      EXPECT_FALSE(refusal) << *refusal;
    } else {
      ASSERT_TRUE(refusal) << r.message;
      EXPECT_EQ(refusal->rfind(r.message, 0), 0u) << *refusal;
    }
  }
}

TEST(Problems, ParametersByPath) {
  Problem p = Plate();
  for (const char* path : {"f", "lift_off", "coil.R1", "coil.z", "layers.0.sigma", "layers.2.mur", "layers.1.thickness"})
    EXPECT_NE(Parameter(p, path), nullptr) << path;
  for (const char* path : {"radius", "layers.3.sigma", "layers.x.sigma", "layers.0.conductivity", "coil.Q", "N"})
    EXPECT_EQ(Parameter(p, path), nullptr) << path;
  *Parameter(p, "layers.1.sigma") = 2.5e6;
  EXPECT_EQ(p.conductor.layers[1].sigma, 2.5e6);
  EXPECT_EQ(ParameterValue(p, "coil.N"), 200.0);
}

// Refused points keep their slot and get their message; the others are those of Evaluate, on any
// number of threads.
TEST(Problems, ABatchKeepsEveryAcceptedPoint) {
  std::vector<Problem> problems(40, Plate());
  for (std::size_t i = 0; i < problems.size(); ++i) problems[i].conductor.layers[0].sigma = 1e6 * (i + 1.0);
  problems[7].conductor.layers[1].mur = -2;
  for (int threads : {1, 3}) {
    std::vector<Impedance> out(problems.size(), Impedance{-1, -1, -1});
    const auto refused = EvaluateProblems(problems, 1e-4, out, threads);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].index, 7u);
    EXPECT_EQ(out[7].Ier, -1);
    for (std::size_t i : {0u, 8u, 39u}) {
      const Impedance z = Evaluate(problems[i].probe, problems[i].conductor, problems[i].f, 1e-4);
      EXPECT_EQ(out[i].dR, z.dR);
      EXPECT_EQ(out[i].dX, z.dX);
    }
  }
}

// The JSON form gives back every number to the bit, infinity as "inf" included; a text that is no
// problem names its wrong member (tests/data/app/bad_problems.tsv).
TEST(ProblemJson, RoundTripAndRefusals) {
  ProblemSweep s;
  s.problem = Plate();
  s.problem.probe.coils[0].z = 1.0 / 3.0;
  s.Acc = 1e-6;
  s.path = "layers.0.sigma";
  s.range = *MakeLogSweep(1e6, 6e7, 10);
  s.family = "lift_off";
  s.familyValues = {1e-4, 2.5e-4, 0.1 / 3};
  std::string error;
  const auto back = ProblemFromJson(ProblemToJson(s), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(ProblemToJson(*back), ProblemToJson(s));
  EXPECT_EQ(back->problem.probe.coils[0].z, 1.0 / 3.0);
  EXPECT_TRUE(std::isinf(back->problem.conductor.layers[2].thickness));
  EXPECT_EQ(back->range.count, s.range.count);
  EXPECT_EQ(back->familyValues, s.familyValues);

  const test::CsvTable bad = test::ReadCsv("app/bad_problems.tsv", '\t');
  for (const auto& row : bad.rows) {
    EXPECT_FALSE(ProblemFromJson(row.at(0), error)) << row[0];
    EXPECT_EQ(error.rfind(row.at(1), 0), 0u) << error;
  }
}

// The skin depth and the limit frequency shown beside the inputs, against their closed forms at
// 30 digits; no value where there is no penetration depth (sigma, f or mur zero, not finite).
TEST(MaterialScales, MatchTheClosedForms) {
  const auto t = test::ReadCsv("app/material_scales.csv");
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto v = [&](const char* name) { return t.num(i, t.col(name)); };
    const auto delta = SkinDepth(v("f"), v("sigma"), v("mur"));
    const auto fg = LimitFrequency(v("sigma"), v("mur"), v("r"));
    ASSERT_TRUE(delta && fg) << "row " << i;
    EXPECT_LT(test::RelErr(*delta, v("delta")), 4e-16) << "row " << i;
    EXPECT_LT(test::RelErr(*fg, v("fg")), 4e-16) << "row " << i;
  }
  for (double bad : {0.0, kInf, std::nan("")}) {
    EXPECT_FALSE(SkinDepth(bad, 1e7, 1) || SkinDepth(1e5, bad, 1) || SkinDepth(1e5, 1e7, bad));
    EXPECT_FALSE(LimitFrequency(bad, 1, 1e-3) || LimitFrequency(1e7, bad, 1e-3) || LimitFrequency(1e7, 1, bad));
  }
}

// ---- Probes of several coils ------------------------------------------------------------------

// Probes of several coils as the front ends read them: the connection's terms picked by role, the
// sweep of the reading normalised by the drive in air, the instrument display's transform, and the
// probe's and display's JSON forms in sessions.

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
