// veldo-cli: see cli/cli.hpp and --help.
#include <cstdio>

#include "cli/cli.hpp"

int main(int argc, char** argv) {
  return veldo::RunCli(argc, argv, stdout, stderr, veldo::RealModels());
}
