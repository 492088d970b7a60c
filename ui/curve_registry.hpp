// The computed curves on the chart and their registry: one curve per Compute command, the
// first kCurveSlots of them in registry slots in computation order, a curve counted once its
// command completed. The window reads the registry through the const members; the window and
// its Compute output change it.
#pragma once

#include <QList>
#include <QPointF>

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include "app/compute.hpp"

class QChart;
class QLineSeries;

namespace veldo {

class CurveRegistry {
public:
  // `clicked` is told of a click on any curve.
  CurveRegistry(QChart* chart, std::function<void(QLineSeries*)> clicked);
  CurveRegistry(const CurveRegistry&) = delete;
  CurveRegistry& operator=(const CurveRegistry&) = delete;

  // CurveCount: the slots in use, and the slot of the next curve.
  int Count() const { return count_; }
  // Curves[slot]: the curve in a slot (slots 0 to kCurveSlots - 1), or nullptr.
  QLineSeries* operator[](int slot) const;
  // The curve the running command draws into, or nullptr.
  QLineSeries* Current() const { return current_; }

  // A new, empty curve in the given colour, drawn over the earlier ones; it becomes the current
  // curve and takes slot Count() while one is free (a curve left there by a command that ended
  // early was never counted, and gives the slot up).
  QLineSeries* Begin(Rgb colour);
  // Points onto the end of the current curve.
  void Append(const QList<QPointF>& points);
  // The command completed: the current curve is counted when it holds the next slot.
  void CountCurrent();
  // The command ended: no curve is current.
  void EndCurrent() { current_ = nullptr; }
  // New: every curve goes from the chart, counted or not, and the count returns to 0.
  void RemoveAll();

private:
  QChart* const chart_;
  const std::function<void(QLineSeries*)> clicked_;
  std::array<QLineSeries*, kCurveSlots> slots_{};
  int count_ = 0;
  QLineSeries* current_ = nullptr;
  // Every series made for a curve, in the order made, which is the order they are drawn in.
  // The first inUse_ hold the curves on the chart in computation order; the rest are hidden
  // and empty, kept for the next curves: Qt Charts keeps memory for every series it has ever
  // been given, so New hides and empties the series instead of deleting them.
  std::vector<QLineSeries*> series_;
  std::size_t inUse_ = 0;
};

}  // namespace veldo
