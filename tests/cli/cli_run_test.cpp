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

// The runs of tests/data/cli/runs.tsv: every case's default sweep and layered conductors, then
// refusals and faults with their message and status and no rows.

TEST(CliProgram, DefaultSweepsRefusalsAndFaults) {
  const veldo::test::CsvTable runs = veldo::test::ReadCsv("cli/runs.tsv", '\t');
  ASSERT_GT(runs.rows.size(), 20u);
  for (const auto& t : runs.rows) {
    const struct {
      std::string args, err, param;
      int status;
      std::size_t rows;
      double first, last;
    } run{t.at(0), t.at(2).empty() ? "" : t.at(2) + "\n", t.at(3), std::stoi(t.at(1)), std::stoul(t.at(4)),
          std::stod(t.at(5)), std::stod(t.at(6))};
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
      // Normalised by the reactance in air (of a frequency sweep: at each point's own frequency).
      if (run.param != "f") {
        EXPECT_EQ(Number(cells[4]), Number(cells[2]) / Number(X0.substr(5))) << line;
      }
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
