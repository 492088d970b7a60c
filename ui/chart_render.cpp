#include "ui/chart_render.hpp"

#include <QApplication>
#include <QGraphicsScene>

#include <memory>

#include "ui/chart.hpp"

namespace veldo {

ChartApplication::ChartApplication() {
  // Drawing needs no display: the offscreen platform, named on the application's command line.
  app_ = std::make_unique<QApplication>(argc_, argv_);
}

ChartApplication::~ChartApplication() = default;

std::string RenderChartFile(const std::vector<ChartCurve>& curves, const std::string& path, int width,
                            int height) {
  const QString file = QString::fromStdString(path);
  const auto format = PictureFormatOf(file);
  if (!format) return "Unknown picture type of " + path + " (use .emf, .png or .svg)";
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    return "No graphical application to draw the chart with";
  QGraphicsScene scene;
  QChart* chart = MakeImpedanceChart();
  scene.addItem(chart);  // the scene owns the chart from here on
  chart->resize(width, height);
  for (const ChartCurve& c : curves) {
    QLineSeries* series = AddCurve(chart, c.colour);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(c.points.size()));
    for (const auto& [x, y] : c.points) points.append(QPointF(x, y));
    series->replace(points);
  }
  AxisState x, y;
  ApplyAxes(chart, x, y);
  QCoreApplication::processEvents();  // lets the chart lay itself out
  if (!SaveChartPicture(chart, file, *format)) return "Cannot create file " + path;
  return {};
}

}  // namespace veldo
