// veldo-cli run in the test's own process over a given model table: its exit status and what it
// wrote to standard output and standard error.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/compute.hpp"
#include "cli/cli.hpp"

namespace veldo::test {

struct CliRun {
  int status;
  std::string out, err;
};

inline std::string ReadBack(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
  std::fclose(f);
  return s;
}

// `args` without the program name.
inline CliRun RunCliInProcess(std::vector<const char*> args, const ModelTable& models) {
  args.insert(args.begin(), "veldo-cli");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = RunCli(static_cast<int>(args.size()), args.data(), out, err, models);
  return {status, ReadBack(out), ReadBack(err)};
}

}  // namespace veldo::test
