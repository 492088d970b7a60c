#include "tests/support/test_support.hpp"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

#ifndef VELDO_TEST_DATA_DIR
#error "VELDO_TEST_DATA_DIR must name the test data folder"
#endif

namespace veldo::test {

std::string FpFlagWatch::describe() const {
  const int f = raised();
  if (f == 0) return "none";
  std::string s;
  auto add = [&](int bit, const char* name) {
    if (f & bit) s += (s.empty() ? "" : "|") + std::string(name);
  };
  add(FE_DIVBYZERO, "FE_DIVBYZERO");
  add(FE_OVERFLOW, "FE_OVERFLOW");
  add(FE_INVALID, "FE_INVALID");
  return s;
}

double RelErr(double got, double want) {
  if (std::isnan(got) && std::isnan(want)) return 0.0;
  if (std::isinf(want) || std::isinf(got)) return got == want ? 0.0 : std::numeric_limits<double>::infinity();
  const double scale = want == 0.0 ? std::numeric_limits<double>::denorm_min() : std::fabs(want);
  return std::fabs(got - want) / scale;
}

double RelErr(double gotRe, double gotIm, double wantRe, double wantIm) {
  const double scale = std::hypot(wantRe, wantIm);
  const double diff = std::hypot(gotRe - wantRe, gotIm - wantIm);
  if (scale == 0.0) return diff == 0.0 ? 0.0 : diff / std::numeric_limits<double>::denorm_min();
  return diff / scale;
}

double CsvTable::num(std::size_t row, std::size_t c) const {
  const std::string& cell = rows.at(row).at(c);
  // strtod, not stod: stod throws on subnormal values (ERANGE), which the tables hold.
  char* end = nullptr;
  const double v = std::strtod(cell.c_str(), &end);
  if (end == cell.c_str()) throw std::invalid_argument("not a number: " + cell);
  return v;
}

std::size_t CsvTable::col(const std::string& name) const {
  for (std::size_t i = 0; i < header.size(); ++i)
    if (header[i] == name) return i;
  throw std::out_of_range("no column " + name);
}

CsvTable ReadCsv(const std::string& relativePath) {
  const std::string path = std::string(VELDO_TEST_DATA_DIR) + "/" + relativePath;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  CsvTable t;
  std::string line;
  bool haveHeader = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) cells.push_back(cell);
    if (!haveHeader) {
      t.header = std::move(cells);
      haveHeader = true;
    } else {
      t.rows.push_back(std::move(cells));
    }
  }
  return t;
}

}  // namespace veldo::test
