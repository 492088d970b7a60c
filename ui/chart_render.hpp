// The impedance-plane chart without a window: curves drawn with the window's chart settings
// into a picture file, for the command-line front end.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/output.hpp"

class QApplication;

namespace veldo {

struct ChartCurve {
  Rgb colour;
  std::vector<std::pair<double, double>> points;  // (normalised resistance, reactance)
};

// Writes the chart of the curves to `path`, as a vector Enhanced Metafile (".emf"), a bitmap
// (".png") or SVG (".svg"), at the window's chart size unless told otherwise. Needs a running
// Qt application (the window's, or a ChartApplication). Returns the error message ("Cannot
// create file ..."), or an empty string when the picture was written.
std::string RenderChartFile(const std::vector<ChartCurve>& curves, const std::string& path,
                            int width = 350, int height = 400);

// The Qt application a program without a window draws its charts in, on the offscreen platform
// (no display needed). Created in the program's main, before the first RenderChartFile, and kept
// for the rest of the run.
class ChartApplication {
public:
  ChartApplication();
  ~ChartApplication();
  ChartApplication(const ChartApplication&) = delete;
  ChartApplication& operator=(const ChartApplication&) = delete;

private:
  // The application's command line; it must outlive the application.
  char name_[10] = "veldo-cli";
  char option_[10] = "-platform";
  char platform_[10] = "offscreen";
  int argc_ = 3;
  char* argv_[4] = {name_, option_, platform_, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace veldo
