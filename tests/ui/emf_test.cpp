// The metafile writer: what QPainter draws comes out as well-formed vector records that
// libUEMF accepts, and the chart renderer writes the picture the command-line front end uses.
// (The chart's titles, curves and markers in a metafile: window_test's Save As and
// ui_cli_chart_test.)
#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

#include "tests/ui/emf_reader.hpp"
#include "tests/ui/qt_app.hpp"
#include "ui/chart.hpp"
#include "ui/chart_render.hpp"
#include "ui/emf_device.hpp"
#include "ui/emf_encoder.hpp"

namespace veldo {
namespace {

using test::EmfFile;
using test::ReadEmf;

class EmfTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { test::EnsureQtApp(); }
  QTemporaryDir dir_;
};

TEST_F(EmfTest, ShapesTextAndClipsBecomeVectorRecords) {
  EmfDevice device(QSize(200, 100));
  {
    QPainter p(&device);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0, 255, 0));
    p.drawRect(10, 10, 30, 20);  // filled rectangle
    p.setBrush(Qt::NoBrush);
    p.drawRect(50, 10, 30, 20);  // outline only: written as a polyline
    p.setBrush(Qt::blue);
    p.drawEllipse(QPointF(100, 50), 3, 3);
    QPainterPath curve;
    curve.moveTo(0, 90);
    curve.cubicTo(50, 0, 100, 100, 150, 50);
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.save();
    p.setClipRect(QRect(0, 0, 100, 100));
    p.setPen(QColor(255, 0, 0, 128));  // half-transparent red, flattened onto white
    p.drawLine(0, 0, 199, 99);
    p.restore();
    p.setPen(Qt::black);
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    p.setFont(f);
    p.drawText(QPointF(20, 80), QString::fromUtf8("ΔZ/ωL Ω"));
    p.translate(190, 90);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), "Rotated");
  }
  EXPECT_EQ(device.bitmapCount(), 0);
  const QString path = dir_.filePath("shapes.emf");
  test::WriteAll(path, std::string(reinterpret_cast<const char*>(device.bytes().data()), device.bytes().size()));
  const EmfFile f = ReadEmf(path.toStdString());
  ASSERT_EQ(f.error, "");
  EXPECT_EQ(f.count(emf::EMR_RECTANGLE), 1);
  EXPECT_EQ(f.count(emf::EMR_ELLIPSE), 1);
  EXPECT_EQ(f.count(emf::EMR_POLYGON), 0);
  EXPECT_GE(f.count(emf::EMR_POLYLINE), 2);  // the outline rectangle and the line
  EXPECT_EQ(f.count(emf::EMR_POLYBEZIERTO), 1);
  EXPECT_EQ(f.count(emf::EMR_STROKEPATH), 1);
  EXPECT_EQ(f.count(emf::EMR_SAVEDC), 1);
  EXPECT_EQ(f.count(emf::EMR_RESTOREDC), 1);
  EXPECT_EQ(f.count(emf::EMR_INTERSECTCLIPRECT), 1);
  // Qt hands text over in runs of one script each; together they are the text drawn.
  std::string all;
  for (const std::string& t : f.texts()) all += t;
  EXPECT_EQ(all, "ΔZ/ωL ΩRotated");
  const auto lines = f.polylinesByPenColour();
  EXPECT_EQ(lines.count(emf::ColorRef(255, 127, 127)) + lines.count(emf::ColorRef(255, 128, 128)), 1u);

  // Header: one device pixel is ten logical units; the frame is the picture in 0.01 mm.
  const auto& header = f.records.front();
  EXPECT_EQ(header.i32(16), 1999);  // rclBounds.right
  EXPECT_EQ(header.i32(20), 999);
  EXPECT_EQ(header.i32(32), 5291);  // rclFrame.right: 200 px at 96 dpi
  bool rotatedFont = false;
  for (const auto& r : f.records) {
    if (r.type != emf::EMR_EXTCREATEFONTINDIRECTW) continue;
    EXPECT_EQ(r.i32(12), -120);  // 12 px, negative: character height
    rotatedFont = rotatedFont || r.i32(20) == 900;
    EXPECT_EQ(static_cast<char>(r.bytes[40]), 'D');  // face name, UTF-16
  }
  EXPECT_TRUE(rotatedFont);
  // Every text record carries one advance per character, summing to the text's width.
  for (const auto& r : f.records) {
    if (r.type != emf::EMR_EXTTEXTOUTW) continue;
    const std::uint32_t n = r.u32(44), offDx = r.u32(72);
    ASSERT_LE(offDx + 4 * n, r.bytes.size());
    std::int64_t total = 0;
    for (std::uint32_t i = 0; i < n; ++i) total += r.i32(offDx + 4 * i);
    EXPECT_GT(total, 10 * 4 * static_cast<std::int64_t>(n));
  }
}

// The renderer refuses a folder it cannot write in and a format it does not know, and replaces
// an existing file with a complete picture, leaving nothing beside it. (PNG: ui_cli_chart_test.)
TEST_F(EmfTest, RendererReplacesAFileAndRefusesWhatItCannotWrite) {
  const std::string missing = dir_.filePath("no/such/folder/chart.emf").toStdString();
  EXPECT_EQ(RenderChartFile({}, missing), "Cannot create file " + missing);
  EXPECT_NE(RenderChartFile({}, dir_.filePath("chart.bmp").toStdString()), "");
  const QString path = dir_.filePath("old.emf");
  test::WriteAll(path, "not a metafile");
  ASSERT_EQ(RenderChartFile({{kYellow, {{0.0, 1.0}}}}, path.toStdString()), "");
  EXPECT_EQ(ReadEmf(path.toStdString()).error, "");
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"old.emf"});
}

// The chart as a metafile needs no bitmaps; as SVG it is a well-formed document whose titles are
// text elements and whose curves are polylines in their colours, cut off at the plot area when the
// axes show less than the data.
TEST_F(EmfTest, ChartAsMetafileAndSvgKeepsTextCurveColoursAndThePlotArea) {
  QGraphicsScene scene;
  QChart* chart = MakeImpedanceChart();
  scene.addItem(chart);
  chart->resize(350, 400);
  AddCurve(chart, kBlue)->append(QList<QPointF>{{0.0, 1.0}, {0.1, 0.9}, {0.4, 0.6}});
  AddCurve(chart, kFuchsia)->append(QList<QPointF>{{0.05, 0.95}, {0.07, 0.92}});
  AxisState x, y;
  x.automatic = false;
  x.maximum = 0.2;  // the blue curve's last segment runs past the right edge
  ApplyAxes(chart, x, y);
  QCoreApplication::processEvents();
  EmfDevice device(QSize(350, 400));  // as a metafile: vector records only
  {
    QPainter p(&device);
    scene.render(&p, QRectF(0, 0, 350, 400), QRectF(0, 0, 350, 400));
  }
  EXPECT_EQ(device.bitmapCount(), 0);
  EXPECT_GT(device.bytes().size(), 1000u);
  const QString path = dir_.filePath("chart.svg");
  ASSERT_TRUE(SaveChartPicture(chart, path, PictureFormat::Svg));
  const QRectF plot = chart->plotArea();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QStringList texts;
  std::map<QString, int> polylines;  // by stroke colour, their own or their group's
  QString stroke;
  bool clipped = false;
  double right = 0;  // the furthest a blue segment reaches, in the picture's coordinates
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto name = xml.name();
    const auto a = xml.attributes();
    if (name == QLatin1String("g")) stroke = a.value("stroke").toString();
    if (name == QLatin1String("text")) texts << xml.readElementText();
    if (a.hasAttribute("clip-path") || name == QLatin1String("clipPath")) clipped = true;
    if (name != QLatin1String("polyline")) continue;
    const QString own = a.hasAttribute("stroke") ? a.value("stroke").toString() : stroke;
    ++polylines[own];
    if (own != "#0000ff") continue;
    for (const QString& pt : a.value("points").toString().split(' ', Qt::SkipEmptyParts))
      right = std::max(right, pt.section(',', 0, 0).toDouble());
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  for (const char* t : {"Impedance Plane", "Normalized Resistance", "Normalized Inductive Reactance"})
    EXPECT_TRUE(texts.contains(t)) << t;
  EXPECT_GE(polylines["#0000ff"], 1);
  EXPECT_GE(polylines["#ff00ff"], 1);
  EXPECT_TRUE(clipped || right <= plot.right() + 1) << "a curve reaches x = " << right << " past the plot area's "
                                                     << plot.right();
}

}  // namespace
}  // namespace veldo
