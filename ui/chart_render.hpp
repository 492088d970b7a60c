// The impedance-plane chart without a window: curves drawn with the window's chart settings
// into a picture file, for the command-line front end.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/output.hpp"

namespace veldo {

struct ChartCurve {
  Rgb colour;
  std::vector<std::pair<double, double>> points;  // (normalised resistance, reactance)
};

// Writes the chart of the curves to `path`, as a vector Enhanced Metafile (".emf"), a bitmap
// (".png") or SVG (".svg"), at the window's chart size unless told otherwise. Starts an offscreen Qt
// application when none runs. Returns the error message ("Cannot create file ..."), or an
// empty string when the picture was written.
std::string RenderChartFile(const std::vector<ChartCurve>& curves, const std::string& path,
                            int width = 350, int height = 400);

}  // namespace veldo
