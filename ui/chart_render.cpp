#include "ui/chart_render.hpp"

#include <QApplication>
#include <QGraphicsScene>

#include <memory>

#include "ui/chart.hpp"

namespace veldo {

namespace {

bool EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veldo-cli";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return true;
}

}  // namespace

std::string RenderChartFile(const std::vector<ChartCurve>& curves, const std::string& path, int width,
                            int height) {
  const QString file = QString::fromStdString(path);
  const auto format = PictureFormatOf(file);
  if (!format) return "Unknown picture type of " + path + " (use .emf, .png or .svg)";
  if (!EnsureApplication()) return "No graphical application to draw the chart with";
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
