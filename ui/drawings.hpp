// The schematic pictures of the nine geometry cases: the coil's cross-sections, the
// conductor layers and the names of the quantities, drawn with QPainter so they scale.
#pragma once

#include <QWidget>

#include "ui/layered_form.hpp"

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

// The coil's dimensions as a drawing shows them [mm] (texts that are no numbers: a default).
struct CoilPicture {
  std::string R1 = "2.0", R2 = "4.0", L = "1.0";
};

// The drawing of a layered geometry, made from its stack: each layer in proportion to its
// thickness (clamped so that a thin one stays visible and a thick one leaves room for the rest),
// numbered, and named in a legend under it ("1: 0.1 mm, 35.4 MS/m"), with the coil.
class TStackDrawing : public QWidget {
public:
  explicit TStackDrawing(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {353, 345}; }
  void SetStack(const LayeredForm& form, const CoilPicture& coil);
  const LayeredForm& Form() const { return form_; }
  // The legend lines of a stack, in order from the coil's side.
  static std::vector<QString> LayerNames(const LayeredForm& form);
  static void Paint(QPainter& painter, const QRectF& target, const LayeredForm& form, const CoilPicture& coil);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  LayeredForm form_;
  CoilPicture coil_;
};

}  // namespace veldo
