#include "ui/axes_limits.hpp"

#include <cmath>

#include "ui/number_text.hpp"

namespace veldo {

namespace {

std::optional<std::string> ApplyAxis(const AxisForm& form, AxisState& axis) {
  if (!form.manual) {
    axis.automatic = true;
    return std::nullopt;
  }
  axis.automatic = false;
  const auto minimum = ParseFieldValue(form.minimum);
  if (!minimum) return NotAFloatMessage(form.minimum);
  if (*minimum > axis.maximum) return std::string("Axis Minimum Value must be <= Maximum");
  axis.minimum = *minimum;
  const auto maximum = ParseFieldValue(form.maximum);
  if (!maximum) return NotAFloatMessage(form.maximum);
  if (*maximum < axis.minimum) return std::string("Axis Maximum Value must be >= Minimum");
  axis.maximum = *maximum;
  const auto increment = ParseFieldValue(form.increment);
  if (!increment) return NotAFloatMessage(form.increment);
  if (*increment < 0) return std::string("Axis increment must be >= 0");
  axis.increment = *increment;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ApplyAxesLimits(const AxisForm& x, const AxisForm& y, AxisState& xAxis,
                                           AxisState& yAxis) {
  if (auto error = ApplyAxis(x, xAxis)) return error;
  xAxis.grid = x.grid;
  if (auto error = ApplyAxis(y, yAxis)) return error;
  yAxis.grid = y.grid;
  return std::nullopt;
}

double BoundedTickInterval(double minimum, double maximum, double increment, int maxTicks) {
  const double span = maximum - minimum;
  if (!(increment > 0) || !(span > 0) || !std::isfinite(span)) return 0.0;
  const double ticks = span / increment;
  if (ticks <= maxTicks) return increment;
  if (!std::isfinite(ticks)) return span / maxTicks;  // no whole multiple is representable
  return increment * std::ceil(ticks / maxTicks);
}

}  // namespace veldo
