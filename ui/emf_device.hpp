// A paint device that records what QPainter draws as an Enhanced Metafile: shapes become
// polylines, polygons, ellipses and paths, text stays text. One pixel of the device is ten
// logical units of the metafile (a reference device of 960 dpi), so thin lines keep their width.
#pragma once

#include <QPaintDevice>
#include <QSize>

#include <cstdint>
#include <memory>
#include <vector>

namespace veldo {

class EmfPaintEngine;

class EmfDevice : public QPaintDevice {
public:
  static constexpr int kUnitsPerPixel = 10;
  static constexpr int kDpi = 96;

  explicit EmfDevice(QSize sizePx);
  ~EmfDevice() override;
  EmfDevice(const EmfDevice&) = delete;
  EmfDevice& operator=(const EmfDevice&) = delete;

  QPaintEngine* paintEngine() const override;
  QSize size() const { return size_; }

  // The finished file's bytes; valid once the painter has ended.
  const std::vector<std::uint8_t>& bytes() const;
  // How many bitmaps the painter handed over (drawn as flat colour, never as pixels).
  int bitmapCount() const;

protected:
  int metric(PaintDeviceMetric metric) const override;

private:
  QSize size_;
  std::unique_ptr<EmfPaintEngine> engine_;
};

}  // namespace veldo
