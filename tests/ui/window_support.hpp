// Driving the main window from a test: Compute to its end, and the curves the user sees.
#pragma once

#include <QChart>
#include <QLineSeries>
#include <QList>

#include "ui/main_window.hpp"

namespace veldo::test {

// Presses Compute and runs the event loop until the command (on its worker) has ended.
inline void ComputeAndWait(TForm1& form) {
  form.ButtonComputeClick();
  form.WaitForCompute();
}

// The curves drawn on the chart, in drawing order (a later one over an earlier one). New keeps
// the emptied series hidden on the chart for reuse: they are not among these.
inline QList<QLineSeries*> VisibleCurves(const QChart* chart) {
  QList<QLineSeries*> curves;
  for (QAbstractSeries* s : chart->series())
    if (auto* line = qobject_cast<QLineSeries*>(s); line != nullptr && line->isVisible()) curves.push_back(line);
  return curves;
}

}  // namespace veldo::test
