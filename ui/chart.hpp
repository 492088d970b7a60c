// The impedance-plane chart: its fixed look, the curves, axis scaling that follows the data
// (the chart component does not re-range by itself) and writing the chart as a picture.
#pragma once

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QString>
#include <QValueAxis>

#include <optional>

#include "app/output.hpp"
#include "ui/axes_limits.hpp"

namespace veldo {

inline constexpr const char* kChartTitle = "Impedance Plane";
inline constexpr const char* kBottomAxisTitle = "Normalized Resistance";
inline constexpr const char* kLeftAxisTitle = "Normalized Inductive Reactance";
// The chart's size on the window's "Impedance Plane" tab, and of pictures made without one.
inline constexpr int kChartWidth = 350, kChartHeight = 400;

// A chart with the fixed settings: title, axis titles, no legend, white panel with a single
// border, silver plot frame with no fill, both axes automatic with grid lines.
QChart* MakeImpedanceChart();
QValueAxis* BottomAxis(const QChart* chart);
QValueAxis* LeftAxis(const QChart* chart);

// A new curve on the chart: a line through the points in the order added, circular markers
// reaching 3 pixels from each point, line and markers in the given colour.
QLineSeries* AddCurve(QChart* chart, Rgb colour);
// Gives a curve made by AddCurve its look in another colour (for a series used again).
void StyleCurve(QLineSeries* series, Rgb colour);

// Brings both axes in line with their settings: a manual axis shows its limits; an automatic
// one the range of all visible points on the chart. While the user has zoomed in the ranges
// stay as zoomed (the chart's zoom reset returns to them). The increment sets the tick spacing
// (bounded, so a tiny one cannot flood the chart with grid lines). The settings are only read:
// the range on show lives in the chart's axes.
void ApplyAxes(QChart* chart, const AxisState& x, const AxisState& y);

enum class PictureFormat { Emf, Png, Svg };
// The format a file name asks for by its extension (".emf", ".png", ".svg"), if any.
std::optional<PictureFormat> PictureFormatOf(const QString& path);

// Writes the chart as it stands to a picture: a vector Enhanced Metafile, a bitmap or SVG. The file
// is written beside the target under a temporary name and put in place only when complete,
// so a failed write leaves an existing file alone. Returns false when it cannot be created.
bool SaveChartPicture(QChart* chart, const QString& path, PictureFormat format);

// The chart view of the window: rubber-band zoom that lets clicks through to the curves, any
// mouse button clicks a curve, and a right click does not zoom out (Edit > Zoom Out undoes
// the zoom).
class ImpedanceChartView : public QChartView {
public:
  explicit ImpedanceChartView(QChart* chart, QWidget* parent = nullptr);

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace veldo
