// The built veldo-cli over the real models: every case's default sweep prints the documented
// shape, and bad input gives its message and status 2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.hpp"

namespace {

using CliRun = veldo::test::ProgramRun;
CliRun RunCli(const std::string& args) { return veldo::test::RunProgram(VELDO_CLI_PATH, args); }

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

// A whole cell that reads as a finite number.
double Number(const std::string& cell) {
  char* end = nullptr;
  const double v = std::strtod(cell.c_str(), &end);
  EXPECT_TRUE(end != cell.c_str() && *end == '\0') << '"' << cell << '"';
  EXPECT_TRUE(std::isfinite(v)) << cell;
  return v;
}

struct DefaultSweep {
  const char* args;
  const char* param;
  int rows;
  double first, last;
};

void PrintTo(const DefaultSweep& d, std::ostream* os) {
  *os << d.args;
}

class CliDefaultSweep : public ::testing::TestWithParam<DefaultSweep> {};

TEST_P(CliDefaultSweep, PrintsTheDocumentedShape) {
  const DefaultSweep& d = GetParam();
  const CliRun r = RunCli(d.args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Split(r.out, '\n');
  ASSERT_EQ(lines.size(), 3u + static_cast<std::size_t>(d.rows)) << r.out;
  ASSERT_EQ(lines[0].rfind("# X0=", 0), 0u);
  ASSERT_EQ(lines[1].rfind("# L0=", 0), 0u);
  const double X0 = Number(lines[0].substr(5));
  const double L0 = Number(lines[1].substr(5));
  EXPECT_GT(X0, 0);
  EXPECT_GT(L0, 0);
  EXPECT_EQ(lines[2], "param,value,dR,dX,x,y,ier");
  for (int i = 0; i < d.rows; ++i) {
    const std::vector<std::string> cells = Split(lines[3 + static_cast<std::size_t>(i)], ',');
    ASSERT_EQ(cells.size(), 7u) << lines[3 + static_cast<std::size_t>(i)];
    EXPECT_EQ(cells[0], d.param);
    const double value = Number(cells[1]), dR = Number(cells[2]), dX = Number(cells[3]);
    const double x = Number(cells[4]), y = Number(cells[5]);
    if (i == 0) {
      EXPECT_EQ(value, d.first);
    }
    if (i == d.rows - 1) {
      EXPECT_EQ(value, d.last);
    }
    // A conducting, non-magnetic test piece adds resistance and lowers the inductance.
    EXPECT_GT(dR, 0);
    EXPECT_LT(dX, 0);
    EXPECT_EQ(x, dR / X0);
    EXPECT_EQ(y, (dX + X0) / X0);
    EXPECT_TRUE(cells[6] == "0" || cells[6] == "1" || cells[6] == "2" || cells[6] == "3");
  }
}

INSTANTIATE_TEST_SUITE_P(AllCases, CliDefaultSweep,
                         ::testing::Values(DefaultSweep{"planar1", "LO", 10, 0.1, 1.0},
                                           DefaultSweep{"planar2", "LO", 10, 0.1, 1.0},
                                           DefaultSweep{"bore1", "B1", 11, 10.0, 11.0},
                                           DefaultSweep{"bore2", "B1", 6, 10.0, 11.0},
                                           DefaultSweep{"rod1 --r1 12 --r2 14", "B1", 9, 9.0, 9.8},
                                           DefaultSweep{"rod2 --r1 12 --r2 14", "B1", 6, 10.0,
                                                        10.5},
                                           DefaultSweep{"9", "LO", 10, 0.1, 1.0}),
                         [](const auto& p) { return std::to_string(p.index); });

// Inputs the real models would turn into nonsense end with their message, their status and no
// rows: the rod check over the real default coil, a bad number, X0 = 0 at f = 0 (L0 = 0/0), and
// coils the models cannot describe.
TEST(CliProgram, RefusalsAndFaultsGiveTheirMessageAndStatus) {
  const struct {
    const char* args;
    int status;
    const char* message;
  } rows[] = {
      {"rod1", 2, "Check the geometry: the rod must fit inside the coil (B1 <= R1)\n"},
      {"rod2", 2, "Check the geometry: the rod must fit inside the coil (B1 <= R1)\n"},
      {"planar1 --con1 1,5", 2, "'1,5' is not a valid floating point value.\n"},
      {"planar1 --f 0", 3, "Invalid floating point operation.\n"},
      {"planar1 --n 0", 2, "Check the coil: the number of wire turns N must be at least 1\n"},
      {"planar1 --r1 4 --r2 4", 2, "Check the coil: the inner radius R1 must be smaller than the outer radius R2\n"},
      {"rod1 --r1 4 --r2 2 --b1 3:3:0", 2,
       "Check the coil: the inner radius R1 must be smaller than the outer radius R2\n"},
      {"planar1 --l 0", 2, "Check the coil: the height L must be greater than 0\n"},
  };
  for (const auto& row : rows) {
    const CliRun r = RunCli(row.args);
    EXPECT_EQ(r.status, row.status) << row.args;
    EXPECT_EQ(r.err, row.message) << row.args;
    EXPECT_EQ(r.out.find("param,value"), std::string::npos) << row.args;  // no rows
  }
}

TEST(CliProgram, AnyThreadCountPrintsTheSameRows) {
  const CliRun serial = RunCli("bore2 --threads 1");
  ASSERT_EQ(serial.status, 0) << serial.err;
  for (const char* threads : {"", " --threads 2", " --threads 7"}) {
    const CliRun r = RunCli(std::string("bore2") + threads);
    EXPECT_EQ(r.status, 0) << threads;
    EXPECT_EQ(r.out, serial.out) << threads;
    EXPECT_EQ(r.err, serial.err) << threads;
  }
  EXPECT_EQ(RunCli("bore2 --threads 0").status, 2);
  EXPECT_EQ(RunCli("bore2 --threads two").status, 2);
}

}  // namespace
