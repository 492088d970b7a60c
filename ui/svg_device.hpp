// A paint device that records what QPainter draws as an SVG picture: paths, polylines,
// ellipses and text elements in the device's pixels, with the clip as clip paths.
// Not Qt's QSvgGenerator: in Qt 6.4 it drops every clip, so a chart zoomed in or with manual
// limits narrower than its curves comes out with the curves drawn past the plot area, over the
// axes and beyond the picture's edge (ui_emf_test's SVG case holds that).
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

namespace veldo {

class SvgPaintEngine;

class SvgDevice : public QPaintDevice {
public:
  static constexpr int kDpi = 96;

  explicit SvgDevice(QSize sizePx);
  ~SvgDevice() override;
  SvgDevice(const SvgDevice&) = delete;
  SvgDevice& operator=(const SvgDevice&) = delete;

  QPaintEngine* paintEngine() const override;
  // The finished document; valid once the painter has ended.
  QByteArray svg() const;
  // How many bitmaps the painter handed over (drawn as flat colour, never as pixels).
  int bitmapCount() const;

protected:
  int metric(PaintDeviceMetric metric) const override;

private:
  QSize size_;
  std::unique_ptr<SvgPaintEngine> engine_;
};

}  // namespace veldo
