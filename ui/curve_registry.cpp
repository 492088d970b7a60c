#include "ui/curve_registry.hpp"

#include <QLineSeries>

#include <utility>

#include "ui/chart.hpp"

namespace veldo {

CurveRegistry::CurveRegistry(QChart* chart, std::function<void(QLineSeries*)> clicked)
    : chart_(chart), clicked_(std::move(clicked)) {}

QLineSeries* CurveRegistry::operator[](int slot) const {
  return slot >= 0 && slot < kCurveSlots ? slots_[static_cast<std::size_t>(slot)] : nullptr;
}

QLineSeries* CurveRegistry::Begin(Rgb colour) {
  QLineSeries* series = nullptr;
  if (inUse_ < series_.size()) {
    // The next hidden series: the series in use stay the first ones made, so a later curve is
    // still drawn over the earlier ones.
    series = series_[inUse_];
    StyleCurve(series, colour);
    series->show();
  } else {
    series = AddCurve(chart_, colour);
    QObject::connect(series, &QLineSeries::clicked, series, [this, series] { clicked_(series); });
    series_.push_back(series);
  }
  ++inUse_;
  if (count_ < kCurveSlots) slots_[static_cast<std::size_t>(count_)] = series;
  current_ = series;
  return series;
}

void CurveRegistry::Append(const QList<QPointF>& points) {
  if (current_ == nullptr || points.isEmpty()) return;
  current_->replace(current_->points() + points);
}

void CurveRegistry::CountCurrent() {
  if (current_ == nullptr || count_ >= kCurveSlots) return;
  if (slots_[static_cast<std::size_t>(count_)] == current_) ++count_;
}

void CurveRegistry::RemoveAll() {
  for (std::size_t i = 0; i < inUse_; ++i) {
    series_[i]->clear();
    series_[i]->hide();
  }
  inUse_ = 0;
  slots_.fill(nullptr);
  count_ = 0;
  current_ = nullptr;
}

}  // namespace veldo
