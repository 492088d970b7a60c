// Shared helpers of the tests: floating-point flag checks, error metrics and CSV tables.
#pragma once

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

namespace veldo::test {

// The three floating-point exceptions the Compute command reports to the user as faults.
inline constexpr int kFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// Clears the fault flags on construction; `raised()` tells which of them were raised since.
class FpFlagWatch {
public:
  FpFlagWatch() { std::feclearexcept(FE_ALL_EXCEPT); }
  int raised() const { return std::fetestexcept(kFaultFlags); }
  // "FE_DIVBYZERO|FE_OVERFLOW" style text for failure messages ("none" when clean).
  std::string describe() const;
};

// Relative error that survives special values: NaN against NaN and equal infinities are no
// error, a zero reference is compared on the scale of the smallest subnormal.
double RelErr(double got, double want);
// Complex version: |got - want| / |want| with both parts.
double RelErr(double gotRe, double gotIm, double wantRe, double wantIm);

// A CSV table of numbers with '#' comment lines (which say how the data were made).
struct CsvTable {
  std::vector<std::string> header;             // first non-comment line
  std::vector<std::vector<std::string>> rows;  // raw cells
  double num(std::size_t row, std::size_t col) const;
  std::size_t col(const std::string& name) const;  // column index by header name; throws
};
// Relative to VELDO_TEST_DATA_DIR; a table of texts uses a tab as separator, so that commas and
// spaces stay in its cells.
CsvTable ReadCsv(const std::string& relativePath, char separator = ',');

// What a program run gave: its exit status (128 + the signal when one ended it) and its output.
struct ProgramRun {
  int status = -1;
  std::string out, err;
};
// Runs argv[0] (searched on PATH) with the arguments as given, no shell between.
ProgramRun RunProgram(const std::vector<std::string>& argv);
// `program` with the words of `args`, split at spaces.
ProgramRun RunProgram(const std::string& program, const std::string& args);

}  // namespace veldo::test
