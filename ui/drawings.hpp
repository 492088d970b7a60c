// The schematic pictures of the nine geometry cases: the coil's cross-sections, the
// conductor layers and the names of the quantities, drawn with QPainter so they scale.
#pragma once

#include <QWidget>

namespace veldo {

// Caption at the top of the drawing of a case (1..9).
QString DrawingCaption(int testCase);

// The drawing panel of one case; it keeps its proportions and fills its space.
class TDrawing : public QWidget {
public:
  TDrawing(int testCase, QWidget* parent = nullptr);
  int testCase() const { return testCase_; }
  QSize sizeHint() const override { return {353, 345}; }

  // Paints the picture into a rectangle of any painter (a widget, an image, a metafile).
  static void Paint(QPainter& painter, const QRectF& target, int testCase);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  int testCase_;
};

}  // namespace veldo
