#include <optional>

#include "cli/cli.hpp"
#ifdef VELDO_CLI_HAVE_CHART
#include "ui/chart_render.hpp"
#endif

int main(int argc, char** argv) {
#ifdef VELDO_CLI_HAVE_CHART
  // Only a chart needs Qt; it is drawn offscreen, so the program runs without a display.
  std::optional<veldo::ChartApplication> charts;
  if (veldo::WantsChart(argc, argv)) charts.emplace();
#endif
  return veldo::RunCli(argc, argv, stdout, stderr, veldo::RealModels());
}
