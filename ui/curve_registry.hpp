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
#include "ui/curve_record.hpp"

class QChart;
class QLineSeries;

namespace veldo {

class CurveRegistry {
public:
  // `clicked` is told of a click on any curve, `hovered` of the mouse entering (true) or
  // leaving (false) a curve near the point given in chart values.
  CurveRegistry(QChart* chart, std::function<void(QLineSeries*)> clicked,
                std::function<void(QLineSeries*, QPointF, bool)> hovered = {});
  CurveRegistry(const CurveRegistry&) = delete;
  CurveRegistry& operator=(const CurveRegistry&) = delete;

  // CurveCount: the slots in use, and the slot of the next curve.
  int Count() const { return count_; }
  // Curves[slot]: the curve in a slot (slots 0 to kCurveSlots - 1), or nullptr.
  QLineSeries* operator[](int slot) const;
  // The curve the running command draws into, or nullptr.
  QLineSeries* Current() const { return current_; }

  // A new, empty curve with the record's colour, drawn over the earlier ones; it becomes the
  // current curve and takes slot Count() while one is free (a curve left there by a command that
  // ended early was never counted, and gives the slot up). The record's points are dropped.
  QLineSeries* Begin(CurveRecord head);
  // Points onto the end of the current curve and its record.
  void Append(const std::vector<CurvePoint>& points);
  // The air-coil values of the current curve's record.
  void SetAirCoil(double X0, double L0);
  // A complete curve from a session: begun, its points drawn, counted as the record says.
  void Restore(const CurveRecord& record);

  // The curves on the chart, counted or not, in computation order, and their records.
  int InUse() const { return static_cast<int>(inUse_); }
  QLineSeries* Series(int i) const { return series_[static_cast<std::size_t>(i)]; }
  const CurveRecord& Record(int i) const { return records_[static_cast<std::size_t>(i)]; }
  // The index of a curve on the chart, or -1.
  int IndexOf(const QLineSeries* series) const;
  // The user's changes to a curve: its label, shown or hidden, emptied (the points go, the
  // curve stays in the registry as Delete Curves leaves it).
  void SetLabel(int i, const std::string& label);
  void SetVisible(int i, bool visible);
  void Clear(int i);
  // What the chart shows of every curve.
  ChartView View() const { return view_; }
  void SetView(ChartView view);
  // The instrument display's transform (redrawn when it is the view), and it.
  void SetInstrument(const DisplayTransform& t);
  const DisplayTransform* Instrument() const { return &instrument_; }
  // Whether the chart's swept-parameter views use a logarithmic axis: every visible curve
  // with points is a logarithmic sweep.
  bool LogSweep() const;
  // The swept parameter of the visible curves, or "" when they differ.
  std::string SweptParam() const;
  // The command completed: the current curve is counted when it holds the next slot.
  void CountCurrent();
  // The command ended: no curve is current.
  void EndCurrent() { current_ = nullptr; }
  // New: every curve goes from the chart, counted or not, and the count returns to 0.
  void RemoveAll();

private:
  QChart* const chart_;
  const std::function<void(QLineSeries*)> clicked_;
  const std::function<void(QLineSeries*, QPointF, bool)> hovered_;
  std::array<QLineSeries*, kCurveSlots> slots_{};
  int count_ = 0;
  QLineSeries* current_ = nullptr;
  // Every series made for a curve, in the order made, which is the order they are drawn in.
  // The first inUse_ hold the curves on the chart in computation order; the rest are hidden
  // and empty, kept for the next curves: Qt Charts keeps memory for every series it has ever
  // been given, so New hides and empties the series instead of deleting them.
  std::vector<QLineSeries*> series_;
  std::vector<CurveRecord> records_;  // one per series in use
  std::size_t inUse_ = 0;
  ChartView view_ = ChartView::ImpedancePlane;
  DisplayTransform instrument_;

  // The points of a record in the current view.
  QList<QPointF> ViewPoints(const CurveRecord& r, std::size_t from) const;
  void Redraw();
};

}  // namespace veldo
