#include "ui/chart.hpp"

#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/emf_device.hpp"
#include "ui/svg_device.hpp"

namespace veldo {

namespace {

const QColor kSilver(192, 192, 192);

void StyleAxis(QValueAxis* axis, const char* title) {
  axis->setTitleText(title);
  axis->setLinePen(QPen(Qt::black, 1));
  axis->setLabelsColor(Qt::black);
  axis->setTitleBrush(QBrush(Qt::black));
  axis->setGridLinePen(QPen(kSilver, 1, Qt::DotLine));
  axis->setGridLineVisible(true);
  axis->setMinorGridLineVisible(false);
  axis->setLabelFormat("%g");
  axis->setRange(0.0, 1.0);
  axis->setTickCount(5);
}

struct Span {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  bool empty() const { return lo > hi; }
};

void SetAxis(QValueAxis* axis, const AxisState& state, const Span& data, bool zoomed) {
  // Fixed ticks first: a dynamic tick type over a range about to change could ask for a
  // great many ticks in between.
  axis->setTickType(QValueAxis::TicksFixed);
  if (zoomed) {
    // The user's zoom stands until Zoom Out, whatever the settings say.
  } else if (!state.automatic) {
    axis->setRange(state.minimum, state.maximum);
  } else {
    double lo = 0.0, hi = 1.0;
    if (!data.empty()) {
      lo = data.lo;
      hi = data.hi;
      if (!(hi > lo)) {
        const double pad = std::max(std::abs(lo) * 0.05, 1e-3);
        lo -= pad;
        hi += pad;
      }
    }
    axis->setTickCount(5);
    axis->setRange(lo, hi);
    axis->applyNiceNumbers();
  }
  const double interval = BoundedTickInterval(axis->min(), axis->max(), state.increment);
  if (interval > 0) {
    axis->setTickAnchor(0.0);
    axis->setTickInterval(interval);
    axis->setTickType(QValueAxis::TicksDynamic);
  }
  axis->setGridLineVisible(state.grid);
}

bool WriteEmf(QChart* chart, const QRectF& source, QIODevice& out) {
  EmfDevice device(source.size().toSize());
  {
    QPainter painter(&device);
    chart->scene()->render(&painter, QRectF(QPointF(0, 0), source.size()), source,
                           Qt::IgnoreAspectRatio);
  }
  const auto& bytes = device.bytes();
  return out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
         static_cast<qint64>(bytes.size());
}

bool WriteSvg(QChart* chart, const QRectF& source, QIODevice& out) {
  SvgDevice device(source.size().toSize());
  {
    QPainter painter(&device);
    chart->scene()->render(&painter, QRectF(QPointF(0, 0), source.size()), source,
                           Qt::IgnoreAspectRatio);
  }
  const QByteArray svg = device.svg();
  return out.write(svg) == svg.size();
}

bool WritePng(QChart* chart, const QRectF& source, QIODevice& out) {
  QImage image(source.size().toSize(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    chart->scene()->render(&painter, QRectF(QPointF(0, 0), source.size()), source,
                           Qt::IgnoreAspectRatio);
  }
  return image.save(&out, "PNG");
}

}  // namespace

QChart* MakeImpedanceChart() {
  auto* chart = new QChart();
  chart->setTheme(QChart::ChartThemeLight);  // first: a theme overwrites colours and fonts
  chart->setTitle(kChartTitle);
  QFont titleFont("Arial");
  titleFont.setPointSize(10);
  titleFont.setWeight(QFont::Normal);
  chart->setTitleFont(titleFont);
  chart->setTitleBrush(QBrush(Qt::black));
  chart->legend()->hide();
  chart->setBackgroundBrush(QBrush(Qt::white));
  chart->setBackgroundPen(QPen(QColor(128, 128, 128), 1));
  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->setPlotAreaBackgroundVisible(true);
  chart->setPlotAreaBackgroundBrush(Qt::NoBrush);
  chart->setPlotAreaBackgroundPen(QPen(kSilver, 1));
  chart->setAnimationOptions(QChart::NoAnimation);

  auto* x = new QValueAxis(chart);
  x->setObjectName("BottomAxis");
  StyleAxis(x, kBottomAxisTitle);
  auto* y = new QValueAxis(chart);
  y->setObjectName("LeftAxis");
  StyleAxis(y, kLeftAxisTitle);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  return chart;
}

QValueAxis* BottomAxis(const QChart* chart) {
  const auto axes = chart->axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

QValueAxis* LeftAxis(const QChart* chart) {
  const auto axes = chart->axes(Qt::Vertical);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

void StyleCurve(QLineSeries* series, Rgb colour) {
  const QColor c(colour.r, colour.g, colour.b);
  QPen pen(c, 1);
  pen.setCosmetic(true);
  series->setPen(pen);
  series->setBrush(QBrush(c));
  series->setColor(c);
  series->setPointsVisible(true);
  series->setMarkerSize(3.0);  // a line series' marker size is its radius
}

QLineSeries* AddCurve(QChart* chart, Rgb colour) {
  auto* series = new QLineSeries();
  StyleCurve(series, colour);
  chart->addSeries(series);  // the chart owns the series from here on
  series->attachAxis(BottomAxis(chart));
  series->attachAxis(LeftAxis(chart));
  return series;
}

void ApplyAxes(QChart* chart, const AxisState& x, const AxisState& y) {
  Span xs, ys;
  for (QAbstractSeries* s : chart->series()) {
    auto* xy = qobject_cast<QXYSeries*>(s);
    if (xy == nullptr || !xy->isVisible()) continue;
    for (const QPointF& p : xy->points()) {
      if (!std::isfinite(p.x()) || !std::isfinite(p.y())) continue;
      xs.add(p.x());
      ys.add(p.y());
    }
  }
  const bool zoomed = chart->isZoomed();
  SetAxis(BottomAxis(chart), x, xs, zoomed);
  SetAxis(LeftAxis(chart), y, ys, zoomed);
}

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "emf") return PictureFormat::Emf;
  if (suffix == "png") return PictureFormat::Png;
  if (suffix == "svg") return PictureFormat::Svg;
  return std::nullopt;
}

bool SaveChartPicture(QChart* chart, const QString& path, PictureFormat format) {
  if (chart == nullptr || chart->scene() == nullptr) return false;
  if (chart->size().isEmpty()) chart->resize(kChartWidth, kChartHeight);
  const QRectF source(chart->pos(), chart->size());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  bool written = false;
  switch (format) {
    case PictureFormat::Emf: written = WriteEmf(chart, source, file); break;
    case PictureFormat::Png: written = WritePng(chart, source, file); break;
    case PictureFormat::Svg: written = WriteSvg(chart, source, file); break;
  }
  if (!written) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

ImpedanceChartView::ImpedanceChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
  setRubberBand(QChartView::RubberBands(QChartView::RectangleRubberBand) |
                QChartView::ClickThroughRubberBand);
  setRenderHint(QPainter::Antialiasing);
}

namespace {

// The curves report clicks of the left button only; other buttons are handed to them as the
// left one, past the rubber band.
bool OtherButton(const QMouseEvent* event) {
  return event->button() != Qt::LeftButton && event->button() != Qt::NoButton;
}

QMouseEvent AsLeft(const QMouseEvent* event) {
  const Qt::MouseButtons held = event->type() == QEvent::MouseButtonPress
                                    ? Qt::MouseButtons(Qt::LeftButton)
                                    : Qt::MouseButtons(Qt::NoButton);
  return QMouseEvent(event->type(), event->position(), event->scenePosition(),
                     event->globalPosition(), Qt::LeftButton, held, event->modifiers(),
                     event->pointingDevice());
}

}  // namespace

void ImpedanceChartView::mousePressEvent(QMouseEvent* event) {
  if (!OtherButton(event)) {
    QChartView::mousePressEvent(event);
    return;
  }
  QMouseEvent left = AsLeft(event);
  QGraphicsView::mousePressEvent(&left);
  event->setAccepted(left.isAccepted());
}

void ImpedanceChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (!OtherButton(event)) {
    QChartView::mouseReleaseEvent(event);
    return;
  }
  QMouseEvent left = AsLeft(event);
  QGraphicsView::mouseReleaseEvent(&left);  // reaches the curves, zooms nothing
  event->setAccepted(left.isAccepted());
}

}  // namespace veldo
