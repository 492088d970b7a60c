// The axis settings behind the chart and the Axes Limits dialog's OK step, without a toolkit:
// the dialog hands over its fields, the checks run in the dialog's order against the axis'
// values of that moment, and whatever was applied before a failing check stays applied.
#pragma once

#include <optional>
#include <string>

#include "app/axis_state.hpp"

namespace veldo {

// One group box of the dialog ("X-axis" or "Y-axis").
struct AxisForm {
  bool manual = false;
  std::string minimum, maximum, increment;  // field texts, read only when manual
  bool grid = true;
};

// OK of the dialog: bottom axis, its grid, left axis, its grid. The checks compare with the
// axes' minimum and maximum as they come in: the caller puts the range on show there. Returns
// the message of the first failed check (without the error box's full stop), or nothing when
// all was applied.
std::optional<std::string> ApplyAxesLimits(const AxisForm& x, const AxisForm& y, AxisState& xAxis,
                                           AxisState& yAxis);

// Tick spacing the chart may draw for a range: the increment itself, or a whole multiple of it
// when it would need more than maxTicks ticks (a typed increment of 0.001 over a range of
// 1000 must not ask the chart for a million grid lines). 0 when the increment is 0 or the
// range empty.
double BoundedTickInterval(double minimum, double maximum, double increment, int maxTicks = 50);

}  // namespace veldo
