// Problems the models cannot describe are refused before any work, each with a message that names
// the layer or coil and what is wrong; parameters are found by path; a batch of problems keeps
// every accepted point and names each refused one.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "app/problem.hpp"
#include "app/problem_json.hpp"
#include "app/units.hpp"
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

}  // namespace
}  // namespace veldo
