#include "ui/svg_device.hpp"
#include "ui/paint_clip.hpp"

#include <QFontInfo>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <QTransform>

#include <cmath>
#include <optional>

namespace veldo {

namespace {

QString Num(double v) { return QString::number(std::isfinite(v) ? v : 0.0, 'g', 7); }

QString Colour(const QColor& c) { return c.toRgb().name(QColor::HexRgb); }

QString Escape(const QString& s) { return s.toHtmlEscaped(); }

QColor BrushColour(const QBrush& brush) {
  const QGradient* g = brush.gradient();
  if (g == nullptr || g->stops().isEmpty()) return brush.color();
  double r = 0, gr = 0, b = 0, a = 0;
  for (const auto& stop : g->stops()) {
    const QColor c = stop.second.toRgb();
    r += c.redF();
    gr += c.greenF();
    b += c.blueF();
    a += c.alphaF();
  }
  const double n = static_cast<double>(g->stops().size());
  return QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(gr / n),
                          static_cast<float>(b / n), static_cast<float>(a / n));
}

QString PathData(const QPainterPath& path) {
  QString d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element& e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement: d += "M" + Num(e.x) + "," + Num(e.y) + " "; break;
      case QPainterPath::LineToElement: d += "L" + Num(e.x) + "," + Num(e.y) + " "; break;
      case QPainterPath::CurveToElement: d += "C" + Num(e.x) + "," + Num(e.y) + " "; break;
      case QPainterPath::CurveToDataElement: d += Num(e.x) + "," + Num(e.y) + " "; break;
    }
  }
  return d.trimmed();
}

double ScaleOf(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }

}  // namespace

class SvgPaintEngine : public QPaintEngine {
public:
  explicit SvgPaintEngine(QSize size) : QPaintEngine(QPaintEngine::AllFeatures), size_(size) {}

  using QPaintEngine::drawEllipse;
  using QPaintEngine::drawLines;
  using QPaintEngine::drawPoints;
  using QPaintEngine::drawPolygon;
  using QPaintEngine::drawRects;

  bool begin(QPaintDevice*) override {
    out_.clear();
    defs_ = 0;
    clipId_.clear();
    clip_ = TrackedClip{std::nullopt, false, true};
    bitmaps_ = 0;
    out_ += QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                    "version=\"1.1\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
                .arg(size_.width())
                .arg(size_.height());
    setActive(true);
    return true;
  }

  bool end() override {
    out_ += "</svg>\n";
    document_ = out_.toUtf8();
    setActive(false);
    return true;
  }

  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& st) override {
    const DirtyFlags flags = st.state();
    if (flags & DirtyTransform) xf_ = st.transform();
    if (flags & DirtyPen) pen_ = st.pen();
    if (flags & DirtyBrush) brush_ = st.brush();
    if (flags & DirtyOpacity) opacity_ = st.opacity();
    clip_.Update(st, xf_);
  }

  void drawPath(const QPainterPath& path) override {
    if (path.isEmpty()) return;
    Element("path", "d=\"" + PathData(xf_.map(path)) + "\"", brush_.style() != Qt::NoBrush,
            path.fillRule());
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (count <= 0) return;
    QString pts;
    for (int i = 0; i < count; ++i) {
      const QPointF p = xf_.map(points[i]);
      pts += Num(p.x()) + "," + Num(p.y()) + " ";
    }
    const bool fill = mode != PolylineMode && brush_.style() != Qt::NoBrush;
    Element(mode == PolylineMode ? "polyline" : "polygon", "points=\"" + pts.trimmed() + "\"", fill,
            mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
  }

  void drawEllipse(const QRectF& r) override {
    if (xf_.type() > QTransform::TxScale) {
      QPainterPath p;
      p.addEllipse(r);
      drawPath(p);
      return;
    }
    const QRectF m = xf_.mapRect(r);
    Element("ellipse",
            QString("cx=\"%1\" cy=\"%2\" rx=\"%3\" ry=\"%4\"")
                .arg(Num(m.center().x()), Num(m.center().y()), Num(m.width() / 2), Num(m.height() / 2)),
            brush_.style() != Qt::NoBrush, Qt::OddEvenFill);
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      const QPointF c[4] = {rects[i].topLeft(), rects[i].topRight(), rects[i].bottomRight(),
                            rects[i].bottomLeft()};
      drawPolygon(c, 4, OddEvenMode);
    }
  }

  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      const QPointF p[2] = {lines[i].p1(), lines[i].p2()};
      drawPolygon(p, 2, PolylineMode);
    }
  }

  void drawPoints(const QPointF* points, int count) override {
    if (pen_.style() == Qt::NoPen) return;
    const double w = std::max(1.0, pen_.isCosmetic() ? pen_.widthF() : pen_.widthF() * ScaleOf(xf_));
    const QPen saved = pen_;
    const QBrush savedBrush = brush_;
    brush_ = QBrush(pen_.color());
    pen_ = QPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
      const QPointF c = xf_.map(points[i]);
      Element("circle", QString("cx=\"%1\" cy=\"%2\" r=\"%3\"").arg(Num(c.x()), Num(c.y()), Num(w / 2)),
              true, Qt::OddEvenFill);
    }
    pen_ = saved;
    brush_ = savedBrush;
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QString text = item.text();
    if (text.isEmpty()) return;
    const QFont font = item.font();
    const double scale = ScaleOf(xf_);
    const double pixelSize =
        (font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * SvgDevice::kDpi / 72.0) * scale;
    const QPointF at = xf_.map(p);
    const double angle = std::atan2(xf_.m12(), xf_.m11()) * 180.0 / M_PI;
    // The family asked for, unless only a generic alias; a generic fallback for the reader.
    QString family = font.family();
    static const QStringList kGeneric{"", "sans serif", "sans-serif", "sans", "serif", "monospace"};
    if (kGeneric.contains(family.toLower())) family = QFontInfo(font).family();
    if (const qsizetype bracket = family.indexOf(" ["); bracket > 0) family.truncate(bracket);
    const bool serif = QFontInfo(font).styleHint() == QFont::Serif;
    QString attrs;
    // Placed by a translation, so that readers without rotation about a point rotate it too.
    if (std::abs(angle) > 1e-9)
      attrs = QString("x=\"0\" y=\"0\" transform=\"translate(%1 %2) rotate(%3)\"").arg(Num(at.x()), Num(at.y()), Num(angle));
    else
      attrs = QString("x=\"%1\" y=\"%2\"").arg(Num(at.x()), Num(at.y()));
    attrs += QString(" font-family=\"'%1', %2\" font-size=\"%3\"")
                 .arg(Escape(family).replace("'", "&apos;"), serif ? "serif" : "sans-serif", Num(pixelSize));
    if (font.weight() != QFont::Normal) attrs += QString(" font-weight=\"%1\"").arg(static_cast<int>(font.weight()));
    if (font.italic()) attrs += " font-style=\"italic\"";
    const QColor c = pen_.color();
    attrs += " fill=\"" + Colour(c) + "\"";
    if (c.alphaF() * opacity_ < 1.0) attrs += " fill-opacity=\"" + Num(c.alphaF() * opacity_) + "\"";
    // Text goes unclipped: the chart clips labels to boxes measured with its own fonts, and a
    // reader with other fonts would cut glyphs off. Long labels come already elided.
    out_ += "<text " + attrs + " xml:space=\"preserve\">" + Escape(text) + "</text>\n";
  }

  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
  }
  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
    ++bitmaps_;
    const QImage one = image.copy(sr.toAlignedRect()).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (one.isNull()) return;
    const QBrush saved = brush_;
    const QPen savedPen = pen_;
    brush_ = QBrush(one.pixelColor(0, 0));
    pen_ = QPen(Qt::NoPen);
    QPainterPath path;
    path.addRect(r);
    drawPath(path);
    brush_ = saved;
    pen_ = savedPen;
  }

  QByteArray document() const { return document_; }
  int bitmapCount() const { return bitmaps_; }

private:
  QString ClipAttribute() {
    if (clip_.dirty) {
      clip_.dirty = false;
      clipId_.clear();
      if (clip_.enabled && clip_.path) {
        clipId_ = QString("clip%1").arg(++defs_);
        out_ += "<defs><clipPath id=\"" + clipId_ + "\"><path d=\"" + PathData(*clip_.path) + "\"/></clipPath></defs>\n";
      }
    }
    return clipId_.isEmpty() ? QString() : " clip-path=\"url(#" + clipId_ + ")\"";
  }

  void Element(const char* name, const QString& geometry, bool fill, Qt::FillRule rule) {
    const bool stroke = pen_.style() != Qt::NoPen;
    if (!fill && !stroke) return;
    QString style;
    if (fill) {
      const QColor c = BrushColour(brush_);
      style += "fill=\"" + Colour(c) + "\"";
      if (c.alphaF() * opacity_ < 1.0) style += " fill-opacity=\"" + Num(c.alphaF() * opacity_) + "\"";
      if (rule == Qt::OddEvenFill) style += " fill-rule=\"evenodd\"";
    } else {
      style += "fill=\"none\"";
    }
    if (stroke) {
      const double w = pen_.isCosmetic() ? std::max(1.0, pen_.widthF()) : pen_.widthF() * ScaleOf(xf_);
      const QColor c = pen_.brush().gradient() ? BrushColour(pen_.brush()) : pen_.color();
      style += " stroke=\"" + Colour(c) + "\" stroke-width=\"" + Num(std::max(w, 0.1)) + "\"";
      if (c.alphaF() * opacity_ < 1.0) style += " stroke-opacity=\"" + Num(c.alphaF() * opacity_) + "\"";
      switch (pen_.capStyle()) {
        case Qt::FlatCap: style += " stroke-linecap=\"butt\""; break;
        case Qt::RoundCap: style += " stroke-linecap=\"round\""; break;
        default: style += " stroke-linecap=\"square\""; break;
      }
      switch (pen_.joinStyle()) {
        case Qt::BevelJoin: style += " stroke-linejoin=\"bevel\""; break;
        case Qt::RoundJoin: style += " stroke-linejoin=\"round\""; break;
        default: style += " stroke-linejoin=\"miter\""; break;
      }
      if (pen_.style() != Qt::SolidLine && pen_.style() != Qt::CustomDashLine) {
        QString dashes;
        for (double d : pen_.dashPattern()) dashes += Num(d * std::max(w, 1.0)) + " ";
        if (!dashes.isEmpty()) style += " stroke-dasharray=\"" + dashes.trimmed() + "\"";
      }
    } else {
      style += " stroke=\"none\"";
    }
    out_ += QString("<%1 %2 %3%4/>\n").arg(name, geometry, style, ClipAttribute());
  }

  QSize size_;
  QString out_;
  QByteArray document_;
  QTransform xf_;
  QPen pen_;
  QBrush brush_;
  double opacity_ = 1.0;
  TrackedClip clip_{std::nullopt, false, true};
  QString clipId_;
  int defs_ = 0;
  int bitmaps_ = 0;
};

SvgDevice::SvgDevice(QSize sizePx)
    : size_(sizePx.expandedTo(QSize(1, 1))), engine_(std::make_unique<SvgPaintEngine>(size_)) {}

SvgDevice::~SvgDevice() = default;

QPaintEngine* SvgDevice::paintEngine() const { return engine_.get(); }

QByteArray SvgDevice::svg() const { return engine_->document(); }

int SvgDevice::bitmapCount() const { return engine_->bitmapCount(); }

int SvgDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth: return size_.width();
    case PdmHeight: return size_.height();
    case PdmWidthMM: return static_cast<int>(std::lround(size_.width() * 25.4 / kDpi));
    case PdmHeightMM: return static_cast<int>(std::lround(size_.height() * 25.4 / kDpi));
    case PdmNumColors: return 0xFFFFFF;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return kDpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
  }
}

}  // namespace veldo
