// veldo-cli: the Compute command in batch form. One case, its fields as options in the window's
// units, one curve as CSV rows on standard output.
#pragma once

#include <cstdio>

#include "app/compute.hpp"

namespace veldo {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRejected = 2;  // bad options or an input the command refused
inline constexpr int kExitFault = 3;     // an arithmetic fault ended the computation

// Parses the command line, runs the command and prints; returns the exit status.
int RunCli(int argc, const char* const* argv, std::FILE* data, std::FILE* messages,
           const ModelTable& models);

// Whether the command line asks for a chart (--chart FILE or --chart=FILE): the program then needs
// a ChartApplication for the run.
bool WantsChart(int argc, const char* const* argv);

}  // namespace veldo
