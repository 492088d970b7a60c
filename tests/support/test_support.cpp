#include "tests/support/test_support.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

extern char** environ;

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

CsvTable ReadCsv(const std::string& relativePath, char separator) {
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
    while (std::getline(ss, cell, separator)) cells.push_back(cell);
    if (line.back() == separator) cells.emplace_back();  // an empty last cell
    if (!haveHeader) {
      t.header = std::move(cells);
      haveHeader = true;
    } else {
      t.rows.push_back(std::move(cells));
    }
  }
  return t;
}

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  std::remove(path.c_str());
  return s.str();
}
}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv) {
  // One pair of files per process: ctest runs tests side by side.
  const std::string base = ::testing::TempDir() + "veldo_run_" + std::to_string(getpid());
  std::vector<std::string> copy = argv;
  std::vector<char*> args;
  for (std::string& a : copy) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (base + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ProgramRun run;
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int raw = 0;
    waitpid(pid, &raw, 0);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = Slurp(base + ".out");
  run.err = Slurp(base + ".err");
  return run;
}

ProgramRun RunProgram(const std::string& program, const std::string& args) {
  std::vector<std::string> argv{program};
  std::istringstream words(args);
  for (std::string w; words >> w;) argv.push_back(w);
  return RunProgram(argv);
}

}  // namespace veldo::test
