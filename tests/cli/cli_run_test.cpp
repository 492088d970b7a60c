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
    // Layered conductors.
    {"--plate --layer 0.05:0:1 --layer 0.2:35.4:1 --layer inf:1.4:1 --sweep layers.2.sigma=1:2:0.5", 0, "",
     "layers.2.sigma", 3, 1.0, 2.0},
    {"--tube 5 --layer 1:10:1 --layer 2:2:1 --layer inf:35.4:1 --f 10 --sweep radius=5:6:0.25", 0, "", "radius", 5, 5, 6},
    {"--plate --layer -1:1:1 --layer inf:1:1", 2,
     "Check layer 1 of 2: the thickness must be a finite number of at least 0 (only the last layer is unbounded)\n",
     "", 0, 0, 0},
    {"--tube 3 --layer inf:1:1", 2, "Check the geometry: the coil must fit inside the bore (radius >= R2)\n", "", 0, 0, 0},
    {"--plate", 2, "Give the conductor's layers with --layer THICKNESS:SIGMA:MUR\n", "", 0, 0, 0},
    {"--plate --layer inf:1:1 --pickup 100:3:5:1:0.5:0", 2, "Check coils 1 and 2: their windings overlap\n", "", 0, 0, 0},
    {"--plate --layer inf:1:1 --time 0:1:10/dec", 2, "Check the times: FROM must be above 0 and not above TO\n", "", 0, 0, 0},
    {"planar1 --plate --layer inf:1:1", 2, "Give either a CASE or a layered conductor (--plate, --tube, --rod)\n", "", 0,
     0, 0},
    {"--plate --layer inf:1:1 --sweep layers.1.sigma=1:2:1", 2,
     "The problem has no parameter 'layers.1.sigma': use f, coil.R1, coil.R2, coil.L, coil.N, coil.z, coil.x, lift_off "
     "(a plate), radius (a tube or rod), layers.K.thickness, layers.K.sigma or layers.K.mur (K from 0 at the surface)\n",
     "", 0, 0, 0},
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

// A case is a preset of the layered description: the same conductor typed as layers prints the
// case's rows, number for number.
TEST(CliProgram, ALayeredConductorPrintsItsCasesRows) {
  const struct {
    const char* preset;
    const char* layered;
    const char* param;
    const char* path;
  } pairs[] = {
      {"planar2", "--plate --layer 0.1:10:1 --layer inf:35.4:1 --f 10 --sweep lift_off=0.1:1.0:0.1", "LO", "lift_off"},
      {"rod1 --r1 12 --r2 14", "--rod 9 --r1 12 --r2 14 --layer inf:1.0:1 --sweep radius=9:9.8:0.1", "B1", "radius"},
  };
  for (const auto& p : pairs) {
    const CliRun preset = RunCli(p.preset), layered = RunCli(p.layered);
    ASSERT_EQ(layered.status, 0) << layered.err;
    std::string rows = layered.out;
    for (std::size_t at; (at = rows.find(std::string("\n") + p.path + ",")) != std::string::npos;)
      rows.replace(at + 1, std::string(p.path).size(), p.param);
    EXPECT_EQ(rows, preset.out) << p.layered;
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
