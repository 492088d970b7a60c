#include "ui/curve_registry.hpp"

#include <QLineSeries>

#include <utility>

#include "ui/chart.hpp"

namespace veldo {

CurveRegistry::CurveRegistry(QChart* chart, std::function<void(QLineSeries*)> clicked,
                             std::function<void(QLineSeries*, QPointF, bool)> hovered)
    : chart_(chart), clicked_(std::move(clicked)), hovered_(std::move(hovered)) {}

QLineSeries* CurveRegistry::operator[](int slot) const {
  return slot >= 0 && slot < kCurveSlots ? slots_[static_cast<std::size_t>(slot)] : nullptr;
}

QLineSeries* CurveRegistry::Begin(CurveRecord head) {
  QLineSeries* series = nullptr;
  if (inUse_ < series_.size()) {
    // The next hidden series: the series in use stay the first ones made, so a later curve is
    // still drawn over the earlier ones.
    series = series_[inUse_];
    StyleCurve(series, head.colour);
    series->show();
  } else {
    series = AddCurve(chart_, head.colour);
    QObject::connect(series, &QLineSeries::clicked, series, [this, series] { clicked_(series); });
    if (hovered_)
      QObject::connect(series, &QLineSeries::hovered, series,
                       [this, series](const QPointF& at, bool state) { hovered_(series, at, state); });
    series_.push_back(series);
  }
  head.points.clear();
  head.counted = false;
  head.visible = true;
  records_.resize(inUse_);
  records_.push_back(std::move(head));
  ++inUse_;
  if (count_ < kCurveSlots) slots_[static_cast<std::size_t>(count_)] = series;
  current_ = series;
  return series;
}

QList<QPointF> CurveRegistry::ViewPoints(const CurveRecord& r, std::size_t from) const {
  const bool log = LogSweep();
  QList<QPointF> points;
  for (std::size_t i = from; i < r.points.size(); ++i) {
    double x = 0, y = 0;
    if (ViewPoint(r, r.points[i], view_, log, x, y, &instrument_)) points.append(QPointF(x, y));
  }
  return points;
}

void CurveRegistry::Append(const std::vector<CurvePoint>& points) {
  if (current_ == nullptr || points.empty()) return;
  CurveRecord& r = records_[inUse_ - 1];
  const std::size_t from = r.points.size();
  const bool logBefore = LogSweep();
  r.points.insert(r.points.end(), points.begin(), points.end());
  if (AgainstSwept(view_) && LogSweep() != logBefore) {
    Redraw();  // the swept-parameter axis turns logarithmic or back
    return;
  }
  current_->replace(current_->points() + ViewPoints(r, from));
}

void CurveRegistry::SetAirCoil(double X0, double L0) {
  if (current_ == nullptr) return;
  records_[inUse_ - 1].X0 = X0;
  records_[inUse_ - 1].L0 = L0;
}

void CurveRegistry::CountCurrent() {
  if (current_ == nullptr || count_ >= kCurveSlots) return;
  if (slots_[static_cast<std::size_t>(count_)] == current_) {
    ++count_;
    records_[inUse_ - 1].counted = true;
  }
}

void CurveRegistry::Restore(const CurveRecord& record) {
  Begin(record);
  Append(record.points);
  if (record.counted) CountCurrent();
  EndCurrent();
  SetLabel(InUse() - 1, record.label);
  SetVisible(InUse() - 1, record.visible);
}

int CurveRegistry::IndexOf(const QLineSeries* series) const {
  for (std::size_t i = 0; i < inUse_; ++i)
    if (series_[i] == series) return static_cast<int>(i);
  return -1;
}

void CurveRegistry::SetLabel(int i, const std::string& label) {
  records_[static_cast<std::size_t>(i)].label = label;
  series_[static_cast<std::size_t>(i)]->setName(QString::fromStdString(label));
}

void CurveRegistry::SetVisible(int i, bool visible) {
  records_[static_cast<std::size_t>(i)].visible = visible;
  series_[static_cast<std::size_t>(i)]->setVisible(visible);
  if (AgainstSwept(view_)) Redraw();  // the axis may turn logarithmic or back
}

void CurveRegistry::Clear(int i) {
  records_[static_cast<std::size_t>(i)].points.clear();
  series_[static_cast<std::size_t>(i)]->clear();
}

void CurveRegistry::SetInstrument(const DisplayTransform& t) {
  instrument_ = t;
  if (view_ == ChartView::Instrument) Redraw();
}

void CurveRegistry::SetView(ChartView view) {
  view_ = view;
  Redraw();
}

bool CurveRegistry::LogSweep() const {
  bool any = false;
  for (std::size_t i = 0; i < inUse_; ++i) {
    const CurveRecord& r = records_[i];
    if (!r.visible || r.points.empty()) continue;
    if (!IsLogSweep(r)) return false;
    any = true;
  }
  return any;
}

std::string CurveRegistry::SweptParam() const {
  std::string param;
  for (std::size_t i = 0; i < inUse_; ++i) {
    const CurveRecord& r = records_[i];
    if (!r.visible) continue;
    if (param.empty()) param = r.param;
    if (r.param != param) return {};
  }
  return param;
}

void CurveRegistry::Redraw() {
  for (std::size_t i = 0; i < inUse_; ++i) series_[i]->replace(ViewPoints(records_[i], 0));
}

void CurveRegistry::RemoveAll() {
  for (std::size_t i = 0; i < inUse_; ++i) {
    series_[i]->clear();
    series_[i]->hide();
    series_[i]->setName(QString());
  }
  inUse_ = 0;
  records_.clear();
  slots_.fill(nullptr);
  count_ = 0;
  current_ = nullptr;
}

}  // namespace veldo
