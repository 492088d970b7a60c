// The built veldo-cli over the real models: every case's default sweep prints the documented
// shape with the physics' signs; inputs the models would turn into nonsense end with their
// message, their status and no rows; any thread count prints the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.hpp"

namespace {

using CliRun = veldo::test::ProgramRun;
CliRun RunCli(const std::string& args) { return veldo::test::RunProgram(VELDO_CLI_PATH, args); }

// A whole cell that reads as a number.
double Number(const std::string& cell) {
  char* end = nullptr;
  const double v = std::strtod(cell.c_str(), &end);
  EXPECT_TRUE(end != cell.c_str() && *end == '\0') << '"' << cell << '"';
  return v;
}

struct Expected {
  const char* args;
  int status;
  const char* err;
  const char* param;  // of the rows; "" for none
  std::size_t rows;
  double first, last;
};

const Expected kRuns[] = {
    {"planar1", 0, "", "LO", 10, 0.1, 1.0},
    {"planar2", 0, "", "LO", 10, 0.1, 1.0},
    {"bore1", 0, "", "B1", 11, 10.0, 11.0},
    {"bore2", 0, "", "B1", 6, 10.0, 11.0},
    {"rod1 --r1 12 --r2 14", 0, "", "B1", 9, 9.0, 9.8},
    {"rod2 --r1 12 --r2 14", 0, "", "B1", 6, 10.0, 10.5},
    {"9", 0, "", "LO", 10, 0.1, 1.0},
    // The default coil of 2-4 mm round the default rods of 9 and 10 mm.
    {"rod1", 2, "Check the geometry: the rod must fit inside the coil (B1 <= R1)\n", "", 0, 0, 0},
    {"rod2", 2, "Check the geometry: the rod must fit inside the coil (B1 <= R1)\n", "", 0, 0, 0},
    {"planar1 --con1 1,5", 2, "'1,5' is not a valid floating point value.\n", "", 0, 0, 0},
    {"planar1 --f 0", 3, "Invalid floating point operation.\n", "", 0, 0, 0},  // L0 = 0/0
    {"planar1 --n 0", 2, "Check the coil: the number of wire turns N must be at least 1\n", "", 0, 0, 0},
    {"planar1 --r1 4 --r2 4", 2, "Check the coil: the inner radius R1 must be smaller than the outer radius R2\n",
     "", 0, 0, 0},
    {"rod1 --r1 4 --r2 2 --b1 3:3:0", 2,
     "Check the coil: the inner radius R1 must be smaller than the outer radius R2\n", "", 0, 0, 0},
    {"planar1 --l 0", 2, "Check the coil: the height L must be greater than 0\n", "", 0, 0, 0},
};

TEST(CliProgram, DefaultSweepsRefusalsAndFaults) {
  for (const Expected& run : kRuns) {
    SCOPED_TRACE(run.args);
    const CliRun r = RunCli(run.args);
    EXPECT_EQ(r.status, run.status);
    EXPECT_EQ(r.err, run.err);
    std::istringstream out(r.out);
    std::string X0, L0, header;
    if (run.rows == 0) {
      EXPECT_EQ(r.out.find("param,value"), std::string::npos);
      continue;
    }
    ASSERT_TRUE(std::getline(out, X0) && std::getline(out, L0) && std::getline(out, header)) << r.out;
    ASSERT_EQ(X0.rfind("# X0=", 0), 0u);
    ASSERT_EQ(L0.rfind("# L0=", 0), 0u);
    EXPECT_GT(Number(L0.substr(5)), 0);
    EXPECT_EQ(header, "param,value,dR,dX,x,y,ier");
    std::vector<double> values;
    for (std::string line; std::getline(out, line);) {
      std::vector<std::string> cells;
      std::istringstream row(line);
      for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
      ASSERT_EQ(cells.size(), 7u) << line;
      EXPECT_EQ(cells[0], run.param);
      values.push_back(Number(cells[1]));
      // A conducting, non-magnetic test piece adds resistance and lowers the inductance.
      EXPECT_GT(Number(cells[2]), 0) << line;
      EXPECT_LT(Number(cells[3]), 0) << line;
      EXPECT_EQ(Number(cells[4]), Number(cells[2]) / Number(X0.substr(5))) << line;
    }
    ASSERT_EQ(values.size(), run.rows);
    EXPECT_EQ(values.front(), run.first);
    EXPECT_EQ(values.back(), run.last);
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
