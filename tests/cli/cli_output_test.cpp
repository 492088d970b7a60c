// The front end over fake models: the exact text it prints, its exit statuses and its option
// handling, without the cost of the real models.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/cli_output.hpp"
#include "tests/support/cli_in_process.hpp"
#include "tests/support/stand_in_models.hpp"

namespace veldo {
namespace {

using test::CliRun;

// Models with round numbers: X0 = 4 ohm whatever the inputs; each point returns dR = 1 and
// dX = -2 ohm (so x = 0.25, y = 0.5), the second one short of its accuracy, and records its call.
struct Fakes {
  std::vector<test::ModelArgs> calls;
  ModelTable Table() {
    return test::StandInModels(test::FixedAirCoil(4.0), [this](const test::ModelArgs& a, double& dR,
                                                               double& dX, int& Ier) {
      calls.push_back(a);
      dR = 1.0;
      dX = -2.0;
      Ier = calls.size() == 2 ? 1 : 0;
    });
  }
};

// On one thread: the fakes record their calls in call order and are not re-entrant.
CliRun RunWith(std::vector<const char*> args, Fakes& fakes) {
  args.insert(args.begin(), {"--threads", "1"});
  return test::RunCliInProcess(std::move(args), fakes.Table());
}

// The swept value prints as typed (From + i*Step to 15 digits: 0.3, where the model gets the
// binary sum 0.1 + 2*0.1 = 0.30000000000000004); every other number reads back to itself.
TEST(CliOutput, PrintsTheDocumentedShape) {
  Fakes fakes;
  const CliRun r = RunWith({"planar1", "--lo", "0.1:0.4:0.1"}, fakes);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out,
            "# X0=4\n"
            "# L0=6.3661977236758133e-06\n"  // the double nearest 4 / (2 pi 100 kHz)
            "param,value,dR,dX,x,y,ier\n"
            "LO,0.1,1,-2,0.25,0.5,0\n"
            "LO,0.2,1,-2,0.25,0.5,1\n"
            "LO,0.3,1,-2,0.25,0.5,0\n"
            "LO,0.4,1,-2,0.25,0.5,0\n");  // the last value is To itself
  ASSERT_EQ(fakes.calls.size(), 4u);
  EXPECT_EQ(fakes.calls[2].P1, (0.1 + 2 * 0.1) * 0.001);
  // The one short point is reported on standard error.
  EXPECT_EQ(r.err, "1 of 4 points did not reach the requested accuracy\n");
}

// The window's defaults reach the model: f 100 kHz, Acc 0.01 %, and B1, B2, CON1, CON2, MR1, MR2.
TEST(CliOptions, CaseNamesAndNumbersAndWindowDefaults) {
  for (const char* name : {"rod2", "6"}) {
    Fakes fakes;
    const CliRun r = RunWith({name, "--r1", "12", "--r2", "14"}, fakes);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    ASSERT_EQ(fakes.calls.size(), 6u);  // B1 10 .. 10.5 mm by 0.1
    const test::ModelArgs& c = fakes.calls.front();
    EXPECT_EQ((std::vector<double>{c.R1, c.R2, c.L, c.f, c.Acc}), (std::vector<double>{12e-3, 14e-3, 1e-3, 1e5, 1e-4}));
    EXPECT_EQ(c.Params(), (std::vector<double>{10e-3, 9 * 0.001, 1e6, 35.4e6, 1, 1}));
  }
}

TEST(CliOptions, SingleValueSetsFromAndRangeSelectsTheSweep) {
  Fakes fakes;
  const CliRun r = RunWith(
      {"planar2", "--f", "50", "--n", "$10", "--acc", "0.1", "--lo", "2", "--mr2", "1:3:0.5"},
      fakes);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  ASSERT_EQ(fakes.calls.size(), 5u);
  EXPECT_EQ(fakes.calls[0].f, 50 * 1000.0);
  EXPECT_EQ(fakes.calls[0].P1, 2 * 0.001);
  EXPECT_EQ(fakes.calls[4].MR2, 3.0);
  EXPECT_EQ(fakes.calls[0].Acc, 0.1 / 100);
  EXPECT_NE(r.out.find("\nMR2,3,"), std::string::npos);
}

// An unknown option, no case, and --help. (Refused values and options with their messages: the
// rows of tests/data/cli/runs.tsv, run by cli_run_test; that the command calls no model before
// its checks pass: app_compute_test's endings.)
TEST(CliOptions, UnknownOptionsAndHelp) {
  Fakes fakes;
  const CliRun bad = RunWith({"planar1", "--bogus", "1"}, fakes);
  EXPECT_EQ(bad.status, kExitRejected);
  EXPECT_FALSE(bad.err.empty());
  EXPECT_EQ(RunWith({}, fakes).status, kExitRejected);  // CASE is required
  EXPECT_EQ(RunWith({"--help"}, fakes).status, kExitOk);
}

TEST(CliOptions, ArithmeticFaultGivesStatusThree) {
  Fakes fakes;
  const CliRun r = RunWith({"planar1", "--f", "0"}, fakes);
  EXPECT_EQ(r.status, kExitFault);
  EXPECT_EQ(r.err, "Floating point division by zero.\n");  // X0 / (2 pi f) with X0 = 4
}

}  // namespace
}  // namespace veldo
