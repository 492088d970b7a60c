// The front end's --f over the real models: a logarithmic frequency sweep against the physics.
// (A From value, linear and logarithmic sweeps of the frequency and their refusals: the --f rows
// of tests/data/cli/runs.tsv, run by cli_run_test.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "cli/cli_output.hpp"
#include "tests/support/cli_in_process.hpp"

namespace veldo {
namespace {

using test::CliRun;

CliRun RunCliWith(std::vector<const char*> args, const ModelTable& models) {
  return test::RunCliInProcess(std::move(args), models);
}

// The data rows, split into their columns.
std::vector<std::vector<std::string>> Rows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#") || line.starts_with("param,")) continue;
    std::istringstream cells(line);
    rows.emplace_back();
    for (std::string cell; std::getline(cells, cell, ',');) rows.back().push_back(cell);
  }
  return rows;
}

// A coil over a non-magnetic half-space swept over five decades of frequency with the real models:
// each point normalised by the reactance in air at its own frequency stays in the unit square, the
// normalised reactance falls monotonically from near 1 toward its perfect-conductor limit, and the
// normalised resistance rises from near 0, in proportion to f, to a maximum inside the range and
// falls again.
TEST(FrequencyOptionPhysics, ImpedancePlaneOfAHalfSpaceOverFiveDecades) {
  const CliRun r = RunCliWith({"planar1", "--f", "0.01:1000:5/dec", "--con1", "10"}, RealModels());
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const auto rows = Rows(r.out);
  ASSERT_EQ(rows.size(), 26u);
  std::vector<double> x, y;
  for (const auto& row : rows) {
    x.push_back(std::stod(row[4]));
    y.push_back(std::stod(row[5]));
    EXPECT_EQ(row[6], "0") << row[1];
  }
  std::size_t peak = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_GT(x[i], 0) << rows[i][1];
    EXPECT_LT(x[i], 1) << rows[i][1];
    EXPECT_GT(y[i], 0) << rows[i][1];
    EXPECT_LT(y[i], 1) << rows[i][1];
    if (i > 0) {
      EXPECT_LT(y[i], y[i - 1]) << rows[i][1];
    }
    if (x[i] > x[peak]) peak = i;
  }
  // At low frequency the eddy-current loss grows as f^2 and the reactance in air as f, so x grows
  // as f (a reactance fixed at From would make it f^2): one step of 10^0.2 scales x by 1.58.
  EXPECT_NEAR(x[1] / x[0], std::pow(10.0, 0.2), 0.05);
  EXPECT_GT(y.front(), 0.99);  // 10 Hz: the plate barely reacts
  EXPECT_LT(x.front(), 0.01);
  EXPECT_GT(peak, 0u);
  EXPECT_LT(peak, rows.size() - 1);
  EXPECT_LT(x.back(), x[peak] / 2);  // 1 MHz: a thin skin, little loss
}

}  // namespace
}  // namespace veldo
