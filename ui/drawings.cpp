#include "ui/drawings.hpp"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/parse.hpp"

namespace veldo {

namespace {

// Every picture is drawn on a canvas of this size and scaled to its panel.
constexpr double kW = 353, kH = 345;
constexpr double kAxisX = kW / 2;

const QColor kCoilBlue(0, 0, 255);
const QColor kLime(0, 255, 0);
const QColor kYellow(255, 255, 0);

void Label(QPainter& p, double x, double y, const QString& text) {
  p.setPen(Qt::black);
  p.drawText(QPointF(x, y), text);
}

// One cross-section of the winding: blue (a pickup's red), back-diagonal hatching.
void Winding(QPainter& p, const QRectF& r, const QColor& colour = kCoilBlue) {
  p.setPen(QPen(colour, 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setBrush(QBrush(colour, Qt::BDiagPattern));
  p.drawRect(r);
}

// The coil seen in section: two windings joined by the white former across the coil's span.
void CoilSection(QPainter& p, double top, double r1, double r2, double height) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(kAxisX - r1, top, 2 * r1, height));
  Winding(p, QRectF(kAxisX - r2, top, r2 - r1, height));
  Winding(p, QRectF(kAxisX + r1, top, r2 - r1, height));
}

// Names of the coil's dimensions: R1 and R2 measured from the axis above the coil, L beside it.
void CoilLabels(QPainter& p, double top, double r1, double r2, double height) {
  p.setPen(QPen(Qt::black, 1));
  const double yR1 = top - 8, yR2 = top - 22;
  p.drawLine(QPointF(kAxisX, yR1), QPointF(kAxisX + r1, yR1));
  p.drawLine(QPointF(kAxisX + r1, yR1 - 3), QPointF(kAxisX + r1, top));
  p.drawLine(QPointF(kAxisX, yR2), QPointF(kAxisX + r2, yR2));
  p.drawLine(QPointF(kAxisX + r2, yR2 - 3), QPointF(kAxisX + r2, top));
  Label(p, kAxisX + r1 / 2 - 6, yR1 - 2, "R1");
  Label(p, kAxisX + r2 / 2 - 6, yR2 - 2, "R2");
  const double xL = kAxisX + r2 + 8;
  p.drawLine(QPointF(xL, top), QPointF(xL, top + height));
  p.drawLine(QPointF(xL - 3, top), QPointF(xL + 3, top));
  p.drawLine(QPointF(xL - 3, top + height), QPointF(xL + 3, top + height));
  Label(p, xL + 5, top + height / 2 + 4, "L");
}

void SymmetryAxis(QPainter& p, double top, double bottom) {
  p.setPen(QPen(Qt::black, 1, Qt::DashDotLine));
  p.drawLine(QPointF(kAxisX, top), QPointF(kAxisX, bottom));
}

void Block(QPainter& p, const QRectF& r, const QColor& c) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(c);
  p.drawRect(r);
}

// A vertical dimension between two heights, with its name to the right.
void VerticalDimension(QPainter& p, double x, double y1, double y2, const QString& name) {
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(x, y1), QPointF(x, y2));
  p.drawLine(QPointF(x - 3, y1), QPointF(x + 3, y1));
  p.drawLine(QPointF(x - 3, y2), QPointF(x + 3, y2));
  Label(p, x + 5, (y1 + y2) / 2 + 4, name);
}

// A radius from the axis to x at height y, named above the line.
void Radius(QPainter& p, double y, double x, const QString& name) {
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(kAxisX, y), QPointF(x, y));
  p.drawLine(QPointF(x, y - 3), QPointF(x, y + 3));
  Label(p, (kAxisX + x) / 2 - 6, y - 3, name);
}

void MaterialLabels(QPainter& p, double x, double y, int layer) {
  Label(p, x, y, layer == 1 ? "CON1" : "CON2");
  Label(p, x, y + 14, layer == 1 ? "MR1" : "MR2");
}

// Coil above a plane (cases 1 and 2) or a sphere (7 and 8).
void Planar(QPainter& p, int layers) {
  const double coilTop = 100, coilH = 30, surface = 165, d1 = 35;
  Block(p, QRectF(20, surface, kW - 40, 300 - surface), layers == 2 ? kYellow : kLime);
  if (layers == 2) Block(p, QRectF(20, surface, kW - 40, d1), kLime);
  SymmetryAxis(p, 55, 315);
  CoilSection(p, coilTop, 30, 70, coilH);
  CoilLabels(p, coilTop, 30, 70, coilH);
  VerticalDimension(p, 70, coilTop + coilH, surface, "LO");
  if (layers == 2) {
    VerticalDimension(p, 290, surface, surface + d1, "D1");
    MaterialLabels(p, 40, surface + 16, 1);
    MaterialLabels(p, 40, surface + d1 + 30, 2);
  } else {
    MaterialLabels(p, 40, surface + 30, 1);
  }
}

void Sphere(QPainter& p, int layers) {
  const double coilTop = 80, coilH = 30, top = 140, radius = 85;
  const QPointF centre(kAxisX, top + radius);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(kLime);
  p.drawEllipse(centre, radius, radius);
  if (layers == 2) {
    p.setBrush(kYellow);
    p.drawEllipse(centre, radius - 30, radius - 30);
  }
  SymmetryAxis(p, 45, 325);
  CoilSection(p, coilTop, 30, 70, coilH);
  CoilLabels(p, coilTop, 30, 70, coilH);
  VerticalDimension(p, 60, coilTop + coilH, top, "LO");
  Radius(p, centre.y(), kAxisX + radius, "B1");
  MaterialLabels(p, kAxisX - radius + 18, centre.y() - 40, 1);
  if (layers == 2) {
    Radius(p, centre.y() + 25, kAxisX + radius - 30, "B2");
    MaterialLabels(p, kAxisX - 40, centre.y() + 10, 2);
  }
}

// Coil in a bore: the walls stand left and right of the coil.
void Inside(QPainter& p, int layers) {
  const double top = 55, bottom = 320, b1 = 80, b2 = 112;
  const double coilTop = 175, coilH = 30;
  const double wall = layers == 2 ? b2 : b1;
  if (layers == 2) {
    Block(p, QRectF(15, top, kAxisX - b2 - 15, bottom - top), kYellow);
    Block(p, QRectF(kAxisX + b2, top, kW - 15 - kAxisX - b2, bottom - top), kYellow);
    Block(p, QRectF(kAxisX - b2, top, b2 - b1, bottom - top), kLime);
    Block(p, QRectF(kAxisX + b1, top, b2 - b1, bottom - top), kLime);
  } else {
    Block(p, QRectF(15, top, kAxisX - b1 - 15, bottom - top), kLime);
    Block(p, QRectF(kAxisX + b1, top, kW - 15 - kAxisX - b1, bottom - top), kLime);
  }
  SymmetryAxis(p, top - 5, bottom + 5);
  CoilSection(p, coilTop, 25, 60, coilH);
  CoilLabels(p, coilTop, 25, 60, coilH);
  Radius(p, 110, kAxisX + b1, "B1");
  MaterialLabels(p, kAxisX + b1 + 4, 260, 1);
  if (layers == 2) {
    Radius(p, 90, kAxisX + b2, "B2");
    MaterialLabels(p, kAxisX + wall + 8, 290, 2);
  }
}

// Coil round a rod: the rod (a lime shell round a yellow core for two layers) runs through it.
void Outside(QPainter& p, int layers) {
  const double top = 55, bottom = 320, b1 = 60, b2 = 32;
  const double coilTop = 175, coilH = 30;
  Block(p, QRectF(kAxisX - b1, top, 2 * b1, bottom - top), kLime);
  if (layers == 2) Block(p, QRectF(kAxisX - b2, top, 2 * b2, bottom - top), kYellow);
  SymmetryAxis(p, top - 5, bottom + 5);
  // The coil's former would hide the rod: only the windings are drawn here.
  Winding(p, QRectF(kAxisX - 130, coilTop, 55, coilH));
  Winding(p, QRectF(kAxisX + 75, coilTop, 55, coilH));
  CoilLabels(p, coilTop, 75, 130, coilH);
  Radius(p, 100, kAxisX + b1, "B1");
  if (layers == 2) {
    Radius(p, 80, kAxisX + b2, "B2");
    // The shell is narrow: its names stand beside the rod, pointing in.
    MaterialLabels(p, kAxisX - b1 - 42, 262, 1);
    p.drawLine(QPointF(kAxisX - b1 - 10, 258), QPointF(kAxisX - b1 + 12, 258));
    MaterialLabels(p, kAxisX - b2 + 4, 262, 2);
  } else {
    MaterialLabels(p, kAxisX - b1 + 6, 262, 1);
  }
}

// Vertical coil: seen from the side (two windings one above the other) and face-on.
void Vertical(QPainter& p) {
  const double surface = 230;
  Block(p, QRectF(15, surface, kW - 30, 300 - surface), kLime);
  MaterialLabels(p, 30, surface + 30, 1);
  // Side view: the coil's axis runs parallel to the surface.
  const double sx = 70, sw = 30, cy = 140, r1 = 25, r2 = 60;
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(sx, cy - r1, sw, 2 * r1));
  Winding(p, QRectF(sx, cy - r2, sw, r2 - r1));
  Winding(p, QRectF(sx, cy + r1, sw, r2 - r1));
  p.setPen(QPen(Qt::black, 1, Qt::DashDotLine));
  p.drawLine(QPointF(sx - 30, cy), QPointF(sx + sw + 30, cy));
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(sx, cy - r2 - 6), QPointF(sx + sw, cy - r2 - 6));
  Label(p, sx + sw / 2 - 3, cy - r2 - 9, "L");
  p.drawLine(QPointF(sx - 12, cy), QPointF(sx - 12, cy - r1));
  Label(p, sx - 32, cy - r1 / 2 + 4, "R1");
  p.drawLine(QPointF(sx + sw + 12, cy), QPointF(sx + sw + 12, cy - r2));
  Label(p, sx + sw + 15, cy - r2 / 2 + 4, "R2");
  VerticalDimension(p, sx + sw + 12, cy + r2, surface, "LO");
  // Face-on view: a hatched ring with a white centre.
  const QPointF c(250, cy);
  p.setPen(QPen(kCoilBlue, 1));
  p.setBrush(Qt::white);
  p.drawEllipse(c, r2, r2);
  p.setBrush(QBrush(kCoilBlue, Qt::BDiagPattern));
  p.drawEllipse(c, r2, r2);
  p.setBrush(Qt::white);
  p.drawEllipse(c, r1, r1);
  p.setPen(QPen(Qt::black, 1, Qt::DashDotLine));
  p.drawLine(QPointF(c.x() - r2 - 10, c.y()), QPointF(c.x() + r2 + 10, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - r2 - 10), QPointF(c.x(), c.y() + r2 + 10));
  VerticalDimension(p, c.x() + r2 + 12, cy + r2, surface, "LO");
}

}  // namespace

QString DrawingCaption(int testCase) {
  switch (testCase) {
    case 1: return "Axisymmetric view of a circular coil above a half-space (1 layer)";
    case 2: return "Axisymmetric view of a circular coil above a half-space (2 layers)";
    case 3: return "Axisymmetric view of a circular coil inside a cylinder (1 layer)";
    case 4: return "Axisymmetric view of a circular coil inside a cylinder (2 layers)";
    case 5: return "Axisymmetric view of a circular coil outside a cylinder (1 layer)";
    case 6: return "Axisymmetric view of a circular coil outside a cylinder (2 layers)";
    case 7: return "Axisymmetric view of a circular coil above a sphere (1 layer)";
    case 8: return "Axisymmetric view of a circular coil above a sphere (2 layers)";
    case 9: return "Views of the same vertical circular coil above a half-space (1 layer)";
    default: return {};
  }
}

TDrawing::TDrawing(int testCase, QWidget* parent) : QWidget(parent), testCase_(testCase) {
  setAutoFillBackground(false);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  Paint(painter, QRectF(rect()), testCase_);
}

void TDrawing::Paint(QPainter& p, const QRectF& target, int testCase) {
  p.save();
  p.fillRect(target, Qt::white);
  const double s = std::min(target.width() / kW, target.height() / kH);
  p.translate(target.left() + (target.width() - kW * s) / 2, target.top() + (target.height() - kH * s) / 2);
  p.scale(s, s);
  QFont font = p.font();
  font.setPointSizeF(8);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRectF(6, 4, kW - 12, 36), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
             DrawingCaption(testCase));
  switch (testCase) {
    case 1: Planar(p, 1); break;
    case 2: Planar(p, 2); break;
    case 3: Inside(p, 1); break;
    case 4: Inside(p, 2); break;
    case 5: Outside(p, 1); break;
    case 6: Outside(p, 2); break;
    case 7: Sphere(p, 1); break;
    case 8: Sphere(p, 2); break;
    case 9: Vertical(p); break;
    default: break;
  }
  p.restore();
}

}  // namespace veldo

namespace veldo {

namespace {

// Fill colours of the layers by their place in the stack; a layer that does not conduct is white.
const QColor kLayerColours[] = {QColor(0, 255, 0), QColor(255, 255, 0), QColor(135, 206, 250),
                                QColor(255, 165, 0), QColor(255, 182, 193), QColor(192, 192, 192)};

double Mm(const std::string& text, double fallback) {
  const auto v = ParseStrictReal(text, ".");
  return v && std::isfinite(*v) && *v >= 0 ? *v : fallback;
}

QColor LayerColour(const LayeredForm& f, std::size_t k) {
  const auto sigma = ParseStrictReal(f.layers[k][1], ".");
  if (sigma && *sigma == 0) return Qt::white;
  return kLayerColours[k % std::size(kLayerColours)];
}

// Widths on the canvas of the finite layers: in proportion at `scale` px per mm, each at least
// `least` and at most `most`, and all of them together at most `room`.
std::vector<double> LayerSizes(const LayeredForm& f, double scale, double least, double most, double room) {
  std::vector<double> sizes;
  for (std::size_t k = 0; k + 1 < f.layers.size(); ++k)
    sizes.push_back(std::clamp(Mm(f.layers[k][0], 0) * scale, least, most));
  double total = 0;
  for (double s : sizes) total += s;
  if (total > room && total > 0)
    for (double& s : sizes) s *= room / total;
  return sizes;
}

void LayerNumber(QPainter& p, const QRectF& r, std::size_t k) {
  if (r.width() < 7 || r.height() < 9) return;
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignCenter, QString::number(k + 1));
}

// The probe's other coils beside coil 1 (drawn by the geometry, its lower face at `coil1Bottom`),
// at the same scale: each winding's section at its z along the axis and, over a plate, its offset
// x; a pickup in red. Every coil is numbered with its role: D (drive), P (pickup), D/P (both).
void ProbeCoils(QPainter& p, const LayeredForm& f, double scale, double coil1Bottom, double coil1Right) {
  const ProbeTexts& t = f.probe;
  if (IsSingleCoil(t)) return;
  const double z1 = Mm(t.coils.front().z, 0);
  auto roleText = [](CoilRole r) { return r == CoilRole::Drive ? "D" : r == CoilRole::Pickup ? "P" : "D/P"; };
  const QColor pickupRed(200, 0, 0);
  for (std::size_t k = 0; k < t.coils.size(); ++k) {
    const CoilTexts& c = t.coils[k];
    const QString label = QString("%1 %2").arg(k + 1).arg(roleText(c.role));
    if (k == 0) {
      Label(p, coil1Right + 14, coil1Bottom - 2, label);
      continue;
    }
    const double r2 = Mm(c.R2, 4), r1 = std::min(Mm(c.R1, 2), r2), h = std::max(Mm(c.L, 1) * scale, 3.0);
    const double x = f.geometry == Geometry::Plate ? Mm(c.x, 0) * scale : 0;
    const double bottom = coil1Bottom - (Mm(c.z, 0) - z1) * scale;
    const QColor colour = c.role == CoilRole::Pickup ? pickupRed : kCoilBlue;
    Winding(p, QRectF(kAxisX + x - r2 * scale, bottom - h, (r2 - r1) * scale, h), colour);
    Winding(p, QRectF(kAxisX + x + r1 * scale, bottom - h, (r2 - r1) * scale, h), colour);
    Label(p, kAxisX + x + r2 * scale + 4, bottom - h / 2 + 4, label);
  }
}

void StackPlate(QPainter& p, const LayeredForm& f, const CoilPicture& c, double bottom) {
  const double r2 = Mm(c.R2, 4), r1 = std::min(Mm(c.R1, 2), r2), l = Mm(c.L, 1);
  const double scale = 70 / std::max(r2, 1e-9);  // the coil's outer radius 70 px
  const double coilTop = 60, coilH = std::clamp(l * scale, 8.0, 40.0);
  const double surface = coilTop + coilH + std::clamp(Mm(f.position, 0.1) * scale, 14.0, 40.0);
  // The finite layers in proportion to one another, together about 100 px.
  double total = 0;
  for (std::size_t k = 0; k + 1 < f.layers.size(); ++k) total += Mm(f.layers[k][0], 0);
  const std::vector<double> sizes =
      LayerSizes(f, total > 0 ? 100 / total : scale, 10, 60, std::max(bottom - surface - 24, 10.0));
  double y = surface;
  for (std::size_t k = 0; k < f.layers.size(); ++k) {
    const double h = k < sizes.size() ? sizes[k] : std::max(bottom - y, 16.0);
    const QRectF band(20, y, kW - 40, h);
    Block(p, band, LayerColour(f, k));
    LayerNumber(p, QRectF(24, y, 16, h), k);
    y += h;
  }
  SymmetryAxis(p, coilTop - 15, y);
  CoilSection(p, coilTop, r1 * scale, r2 * scale, coilH);
  VerticalDimension(p, 40, coilTop + coilH, surface, "LO");
  ProbeCoils(p, f, scale, coilTop + coilH, kAxisX + r2 * scale);
}

void StackTube(QPainter& p, const LayeredForm& f, const CoilPicture& c, double bottom) {
  const double top = 50, r2 = Mm(c.R2, 4), r1 = std::min(Mm(c.R1, 2), r2), l = Mm(c.L, 1);
  const double bore = std::max(Mm(f.position, r2), r2);
  const double scale = 75 / std::max(bore, 1e-9);  // the bore's wall 75 px from the axis
  const std::vector<double> sizes = LayerSizes(f, scale, 6, 40, kAxisX - 75 - 30);
  double x = 75;
  for (std::size_t k = 0; k < f.layers.size(); ++k) {
    const double w = k < sizes.size() ? sizes[k] : kAxisX - 10 - x;
    for (double side : {-1.0, 1.0}) {
      const double left = side < 0 ? kAxisX - x - w : kAxisX + x;
      Block(p, QRectF(left, top, w, bottom - top), LayerColour(f, k));
      LayerNumber(p, QRectF(left, top + 4, w, 14), k);
    }
    x += w;
  }
  const double coilH = std::clamp(l * scale, 8.0, 60.0), coilTop = (top + bottom) / 2 - coilH / 2;
  SymmetryAxis(p, top - 5, bottom + 5);
  CoilSection(p, coilTop, r1 * scale, r2 * scale, coilH);
  Radius(p, top + 30, kAxisX + 75, "R");
  ProbeCoils(p, f, scale, coilTop + coilH, kAxisX + r2 * scale);
}

void StackRod(QPainter& p, const LayeredForm& f, const CoilPicture& c, double bottom) {
  const double top = 50, r2 = Mm(c.R2, 4), r1 = std::min(Mm(c.R1, 2), r2), l = Mm(c.L, 1);
  const double scale = 130 / std::max(r2, 1e-9);  // the coil's outer radius 130 px
  const double radius = std::clamp(Mm(f.position, r1) * scale, 12.0, r1 * scale);
  const std::vector<double> sizes = LayerSizes(f, scale, 5, 40, std::max(radius - 6, 1.0));
  // Shells from the outside in, the core to the axis.
  double outer = radius;
  for (std::size_t k = 0; k < f.layers.size(); ++k) {
    Block(p, QRectF(kAxisX - outer, top, 2 * outer, bottom - top), LayerColour(f, k));
    const double w = k < sizes.size() ? sizes[k] : outer;
    LayerNumber(p, QRectF(kAxisX + outer - w, top + 4, w, 14), k);
    outer -= w;
  }
  const double coilH = std::clamp(l * scale, 8.0, 60.0), coilTop = (top + bottom) / 2 - coilH / 2;
  SymmetryAxis(p, top - 5, bottom + 5);
  Winding(p, QRectF(kAxisX - r2 * scale, coilTop, (r2 - r1) * scale, coilH));
  Winding(p, QRectF(kAxisX + r1 * scale, coilTop, (r2 - r1) * scale, coilH));
  Radius(p, top + 45, kAxisX + radius, "R");
  ProbeCoils(p, f, scale, coilTop + coilH, kAxisX + r2 * scale);
}

}  // namespace

TStackDrawing::TStackDrawing(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TStackDrawing::SetStack(const LayeredForm& form, const CoilPicture& coil) {
  form_ = form;
  coil_ = coil;
  update();
}

void TStackDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  Paint(painter, QRectF(rect()), form_, coil_);
}

std::vector<QString> TStackDrawing::LayerNames(const LayeredForm& f) {
  std::vector<QString> names;
  for (std::size_t k = 0; k < f.layers.size(); ++k) {
    const LayerTexts& t = f.layers[k];
    const bool last = k + 1 == f.layers.size();
    QString name = QString("%1: %2, %3 MS/m").arg(k + 1).arg(last ? QString::fromUtf8("∞") : QString::fromStdString(t[0]) + " mm",
                                                            QString::fromStdString(t[1]));
    if (t[2] != "1") name += QString::fromUtf8(", μr ") + QString::fromStdString(t[2]);
    names.push_back(name);
  }
  return names;
}

void TStackDrawing::Paint(QPainter& p, const QRectF& target, const LayeredForm& f, const CoilPicture& c) {
  p.save();
  p.fillRect(target, Qt::white);
  const double s = std::min(target.width() / kW, target.height() / kH);
  p.translate(target.left() + (target.width() - kW * s) / 2, target.top() + (target.height() - kH * s) / 2);
  p.scale(s, s);
  QFont font = p.font();
  font.setPointSizeF(8);
  p.setFont(font);
  p.setPen(Qt::black);
  const char* caption = f.geometry == Geometry::Plate  ? "Axisymmetric view of a circular coil above a layered plate"
                        : f.geometry == Geometry::Tube ? "Axisymmetric view of a circular coil inside a layered tube"
                                                       : "Axisymmetric view of a circular coil round a layered rod or tube";
  p.drawText(QRectF(6, 4, kW - 12, 36), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, caption);
  // The legend under the picture: at most six lines, the rest summed up.
  std::vector<QString> names = LayerNames(f);
  constexpr std::size_t kLines = 6;
  if (names.size() > kLines) {
    const std::size_t more = names.size() - (kLines - 1);
    names.resize(kLines - 1);
    names.push_back(QString("... and %1 more layers").arg(more));
  }
  const double line = 12, legendTop = kH - 6 - line * static_cast<double>(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const double y = legendTop + line * static_cast<double>(i);
    if (i < f.layers.size() && !(i + 1 == kLines && f.layers.size() > kLines)) Block(p, QRectF(20, y + 2, 14, 8), LayerColour(f, i));
    p.setPen(Qt::black);
    p.drawText(QPointF(40, y + 10), names[i]);
  }
  if (!f.layers.empty()) {
    const double bottom = legendTop - 8;
    switch (f.geometry) {
      case Geometry::Plate: StackPlate(p, f, c, bottom); break;
      case Geometry::Tube: StackTube(p, f, c, bottom); break;
      case Geometry::Rod: StackRod(p, f, c, bottom); break;
    }
  }
  p.restore();
}

}  // namespace veldo
