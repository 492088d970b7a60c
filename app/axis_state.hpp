// What the chart keeps of an axis: whether its range follows the data, its manual limits, the tick
// spacing and the grid. The window's axes and the session files hold it.
#pragma once

namespace veldo {

struct AxisState {
  bool automatic = true;  // the range follows the data
  double minimum = 0.0;   // the manual limits (the range on show is the chart's)
  double maximum = 1.0;
  double increment = 0.0;  // tick spacing; 0 lets the chart choose
  bool grid = true;
};

}  // namespace veldo
