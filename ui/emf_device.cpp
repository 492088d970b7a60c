#include "ui/emf_device.hpp"
#include "ui/paint_clip.hpp"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

#include "ui/emf_encoder.hpp"

namespace veldo {

namespace {

constexpr double kUnits = EmfDevice::kUnitsPerPixel;
// Reference device: a letter-size page at 960 dpi, so that one unit is 1/960 inch.
constexpr int kRefWidthMm = 216, kRefHeightMm = 279;
constexpr int kRefDpi = EmfDevice::kDpi * EmfDevice::kUnitsPerPixel;

std::int32_t ToUnits(double px) {
  const double v = std::round(px * kUnits);
  if (!(v > -2.0e9)) return -2000000000;  // also NaN
  if (v > 2.0e9) return 2000000000;
  return static_cast<std::int32_t>(v);
}

emf::Point ToPoint(const QPointF& p) { return {ToUnits(p.x()), ToUnits(p.y())}; }

emf::Rect ToRect(const QRectF& r) {
  return {ToUnits(r.left()), ToUnits(r.top()), ToUnits(r.right()), ToUnits(r.bottom())};
}

// Metafile shapes are opaque: blend a colour onto white paper.
std::uint32_t Flatten(const QColor& c, double opacity) {
  const QColor rgb = c.toRgb();
  const double a = std::clamp(rgb.alphaF() * opacity, 0.0, 1.0);
  auto mix = [a](int v) { return static_cast<int>(std::lround(v * a + 255.0 * (1.0 - a))); };
  return emf::ColorRef(mix(rgb.red()), mix(rgb.green()), mix(rgb.blue()));
}

QColor AverageColour(const QBrush& brush) {
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

// Share of the paper a dense pattern covers.
double DenseCoverage(Qt::BrushStyle s) {
  switch (s) {
    case Qt::Dense1Pattern: return 0.94;
    case Qt::Dense2Pattern: return 0.88;
    case Qt::Dense3Pattern: return 0.63;
    case Qt::Dense4Pattern: return 0.50;
    case Qt::Dense5Pattern: return 0.37;
    case Qt::Dense6Pattern: return 0.12;
    case Qt::Dense7Pattern: return 0.06;
    default: return 1.0;
  }
}

std::optional<std::uint32_t> HatchOf(Qt::BrushStyle s) {
  switch (s) {
    case Qt::HorPattern: return emf::HS_HORIZONTAL;
    case Qt::VerPattern: return emf::HS_VERTICAL;
    case Qt::CrossPattern: return emf::HS_CROSS;
    case Qt::BDiagPattern: return emf::HS_BDIAGONAL;
    case Qt::FDiagPattern: return emf::HS_FDIAGONAL;
    case Qt::DiagCrossPattern: return emf::HS_DIAGCROSS;
    default: return std::nullopt;
  }
}

double ScaleOf(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }

bool IsAxisRect(const QPainterPath& path, QRectF* rect) {
  const QList<QPolygonF> polys = path.toSubpathPolygons();
  if (polys.size() != 1) return false;
  QPolygonF p = polys.front();
  if (p.size() == 5 && p.front() == p.back()) p.removeLast();
  if (p.size() != 4) return false;
  const QRectF r = p.boundingRect();
  for (const QPointF& q : p)
    if ((q.x() != r.left() && q.x() != r.right()) || (q.y() != r.top() && q.y() != r.bottom()))
      return false;
  *rect = r;
  return true;
}

bool HasCurves(const QPainterPath& path) {
  for (int i = 0; i < path.elementCount(); ++i)
    if (path.elementAt(i).type == QPainterPath::CurveToElement) return true;
  return false;
}

// The family a reader should look for: the one asked for (readers substitute as the screen
// did), unless that is only a generic alias; then the family actually used, without the
// foundry fontconfig appends ("Nimbus Sans [urw]").
QString FaceName(const QFont& font) {
  static const QStringList kGeneric{"", "sans serif", "sans-serif", "sans", "serif", "monospace"};
  QString family = font.family();
  if (kGeneric.contains(family.toLower())) family = QFontInfo(font).family();
  const qsizetype bracket = family.indexOf(" [");
  if (bracket > 0) family.truncate(bracket);
  return family;
}

}  // namespace

class EmfPaintEngine : public QPaintEngine {
public:
  explicit EmfPaintEngine(QSize sizePx) : QPaintEngine(QPaintEngine::AllFeatures), size_(sizePx) {}

  using QPaintEngine::drawEllipse;
  using QPaintEngine::drawLines;
  using QPaintEngine::drawPoints;
  using QPaintEngine::drawPolygon;
  using QPaintEngine::drawRects;

  bool begin(QPaintDevice* device) override {
    device_ = device;
    const emf::Rect bounds{0, 0, ToUnits(size_.width()) - 1, ToUnits(size_.height()) - 1};
    const emf::Rect frame{0, 0,
                          static_cast<std::int32_t>(std::lround(size_.width() * 2540.0 / EmfDevice::kDpi)) - 1,
                          static_cast<std::int32_t>(std::lround(size_.height() * 2540.0 / EmfDevice::kDpi)) - 1};
    const emf::Point devicePx{static_cast<std::int32_t>(std::lround(kRefWidthMm * kRefDpi / 25.4)),
                              static_cast<std::int32_t>(std::lround(kRefHeightMm * kRefDpi / 25.4))};
    enc_.emplace(bounds, frame, devicePx, emf::Point{kRefWidthMm, kRefHeightMm},
                 std::u16string(u"VELDO V1.2\0Impedance Plane\0", 28));
    enc_->SetMapMode(emf::MM_TEXT);
    enc_->SetBkMode(emf::TRANSPARENT);
    enc_->SetTextAlign(emf::TA_BASELINE);
    pens_.clear();
    brushes_.clear();
    fonts_.clear();
    ForgetSelection();
    clip_ = TrackedClip{std::nullopt, false, false};
    dcSaved_ = false;
    bitmaps_ = 0;
    setActive(true);
    return true;
  }

  bool end() override {
    if (!enc_) return false;
    if (dcSaved_) enc_->RestoreDC();
    // The default objects go back in before ours are deleted.
    enc_->SelectObject(emf::kNullPen);
    enc_->SelectObject(emf::kNullBrush);
    for (const auto& [key, handle] : pens_) enc_->DeleteObject(handle);
    for (const auto& [key, handle] : brushes_) enc_->DeleteObject(handle);
    for (const auto& [key, handle] : fonts_) enc_->DeleteObject(handle);
    bytes_ = enc_->Finish();
    enc_.reset();
    setActive(false);
    return true;
  }

  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& st) override {
    const DirtyFlags flags = st.state();
    if (flags & DirtyTransform) xf_ = st.transform();
    if (flags & DirtyPen) pen_ = st.pen();
    if (flags & DirtyBrush) brush_ = st.brush();
    if (flags & DirtyFont) font_ = st.font();
    if (flags & DirtyOpacity) opacity_ = st.opacity();
    clip_.Update(st, xf_);
  }

  void drawPath(const QPainterPath& path) override {
    if (path.isEmpty()) return;
    DrawDevicePath(xf_.map(path), brush_.style() != Qt::NoBrush, pen_.style() != Qt::NoPen);
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (count <= 0) return;
    const bool fill = mode != PolylineMode && brush_.style() != Qt::NoBrush;
    const bool stroke = pen_.style() != Qt::NoPen;
    if (!fill && !stroke) return;
    Prepare();
    std::vector<emf::Point> pts;
    pts.reserve(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i < count; ++i) pts.push_back(ToPoint(xf_.map(points[i])));
    if (!fill) {
      // Unfilled shapes go out as outlines: some readers fill a hollow-brush polygon.
      if (mode != PolylineMode) pts.push_back(pts.front());
      SelectPen();
      enc_->Polyline(pts);
      return;
    }
    SetFillMode(mode == WindingMode ? emf::WINDING : emf::ALTERNATE);
    SelectBrush();
    SelectPen();
    enc_->Polygon(pts);
  }

  void drawEllipse(const QRectF& r) override {
    const bool fill = brush_.style() != Qt::NoBrush;
    const bool stroke = pen_.style() != Qt::NoPen;
    if (!fill && !stroke) return;
    if (!fill || xf_.type() > QTransform::TxScale) {
      QPainterPath p;
      p.addEllipse(r);
      drawPath(p);
      return;
    }
    Prepare();
    SelectBrush();
    SelectPen();
    enc_->Ellipse(ToRect(xf_.mapRect(r)));
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      const QRectF& r = rects[i];
      const QPointF corners[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
      if (brush_.style() != Qt::NoBrush && xf_.type() <= QTransform::TxScale) {
        Prepare();
        SelectBrush();
        SelectPen();
        enc_->Rectangle(ToRect(xf_.mapRect(r)));
      } else {
        drawPolygon(corners, 4, OddEvenMode);
      }
    }
  }

  void drawLines(const QLineF* lines, int count) override {
    if (pen_.style() == Qt::NoPen) return;
    Prepare();
    SelectPen();
    for (int i = 0; i < count; ++i) {
      const emf::Point pts[2] = {ToPoint(xf_.map(lines[i].p1())), ToPoint(xf_.map(lines[i].p2()))};
      enc_->Polyline(pts);
    }
  }

  void drawPoints(const QPointF* points, int count) override {
    if (pen_.style() == Qt::NoPen) return;
    Prepare();
    const double widthPx = std::max(1.0, pen_.isCosmetic() ? pen_.widthF() : pen_.widthF() * ScaleOf(xf_));
    SelectHandle(curPen_, emf::kNullPen);
    SelectHandle(curBrush_, BrushHandle(emf::BS_SOLID, Flatten(pen_.color(), opacity_), 0));
    for (int i = 0; i < count; ++i) {
      const QPointF c = xf_.map(points[i]);
      const QRectF box(c.x() - widthPx / 2, c.y() - widthPx / 2, widthPx, widthPx);
      if (pen_.capStyle() == Qt::RoundCap)
        enc_->Ellipse(ToRect(box));
      else
        enc_->Rectangle(ToRect(box));
    }
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QString text = item.text();
    if (text.isEmpty()) return;
    // Text goes unclipped: the chart clips labels to boxes measured with its own fonts, and a
    // reader with other fonts would cut glyphs off. Long labels come already elided.
    if (dcSaved_) {
      enc_->RestoreDC();
      dcSaved_ = false;
      ForgetSelection();
      clip_.dirty = true;  // the next shape clips again
    }
    const QFont font = item.font();
    const double scale = ScaleOf(xf_);
    const QFontMetricsF metrics(font, device_);
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize()
                                                  : font.pointSizeF() * EmfDevice::kDpi / 72.0;
    const double angle = std::atan2(xf_.m12(), xf_.m11()) * 180.0 / M_PI;
    int escapement = static_cast<int>(std::lround(-angle * 10.0)) % 3600;
    if (escapement < 0) escapement += 3600;

    emf::LogFont lf;
    lf.height = -std::max(1, static_cast<int>(std::lround(pixelSize * scale * kUnits)));
    lf.escapement = escapement;
    lf.weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    lf.italic = font.italic();
    lf.underline = font.underline();
    lf.strikeOut = font.strikeOut();
    lf.faceName = FaceName(font).toStdU16String();
    SelectHandle(curFont_, FontHandle(lf));

    const std::uint32_t colour = Flatten(pen_.color(), opacity_);
    if (!textColour_ || *textColour_ != colour) {
      enc_->SetTextColor(colour);
      textColour_ = colour;
    }

    // Advances per UTF-16 code unit, rounded on the running sum so that no error builds up.
    std::vector<std::int32_t> advances(static_cast<std::size_t>(text.size()), 0);
    std::int32_t done = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text.at(i).isHighSurrogate() && i + 1 < text.size()) continue;
      const std::int32_t upTo = ToUnits(metrics.horizontalAdvance(text.left(i + 1)) * scale);
      advances[static_cast<std::size_t>(i)] = upTo - done;
      done = upTo;
    }
    const QRectF box(p.x(), p.y() - metrics.ascent(), metrics.horizontalAdvance(text),
                     metrics.ascent() + metrics.descent());
    enc_->ExtTextOutW(ToPoint(xf_.map(p)), text.toStdU16String(), advances,
                      ToRect(xf_.mapRect(box)));
  }

  // Bitmaps would make the picture unscalable; none are expected from the chart. Should one
  // arrive, its area is filled with its average colour and counted.
  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
  }
  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                 Qt::ImageConversionFlags) override {
    ++bitmaps_;
    const QImage part = image.copy(sr.toAlignedRect()).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (part.isNull()) return;
    const QBrush saved = brush_;
    const QPen savedPen = pen_;
    brush_ = QBrush(part.pixelColor(0, 0));
    pen_ = QPen(Qt::NoPen);
    QPainterPath path;
    path.addRect(r);
    drawPath(path);
    brush_ = saved;
    pen_ = savedPen;
  }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  int bitmapCount() const { return bitmaps_; }

private:
  void ForgetSelection() {
    curPen_ = curBrush_ = curFont_ = 0;
    textColour_.reset();
    fillMode_ = 0;
  }

  // Brings the metafile's clip up to date before something is drawn.
  void Prepare() {
    if (!clip_.dirty) return;
    clip_.dirty = false;
    if (dcSaved_) {
      enc_->RestoreDC();
      dcSaved_ = false;
      ForgetSelection();  // restoring the DC drops the objects chosen since the save
    }
    if (!clip_.enabled || !clip_.path) return;
    enc_->SaveDC();
    dcSaved_ = true;
    QRectF r;
    if (IsAxisRect(*clip_.path, &r)) {
      enc_->IntersectClipRect(ToRect(r));
      return;
    }
    WritePath(*clip_.path);
    enc_->SelectClipPath(emf::RGN_AND);
  }

  void WritePath(const QPainterPath& path) {
    enc_->BeginPath();
    QPointF start;
    QPointF last;
    bool open = false;
    std::vector<emf::Point> bez;
    auto closeIfReturned = [&] {
      if (open && last == start) enc_->CloseFigure();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
      const QPainterPath::Element& e = path.elementAt(i);
      const QPointF pt(e.x, e.y);
      switch (e.type) {
        case QPainterPath::MoveToElement:
          closeIfReturned();
          enc_->MoveTo(ToPoint(pt));
          start = last = pt;
          open = true;
          break;
        case QPainterPath::LineToElement:
          enc_->LineTo(ToPoint(pt));
          last = pt;
          break;
        case QPainterPath::CurveToElement: {
          bez.clear();
          bez.push_back(ToPoint(pt));
          int j = i + 1;
          for (; j < path.elementCount() && path.elementAt(j).type == QPainterPath::CurveToDataElement; ++j)
            bez.push_back(ToPoint(QPointF(path.elementAt(j).x, path.elementAt(j).y)));
          if (bez.size() == 3) enc_->PolyBezierTo(bez);
          last = QPointF(path.elementAt(j - 1).x, path.elementAt(j - 1).y);
          i = j - 1;
          break;
        }
        case QPainterPath::CurveToDataElement: break;  // consumed with its CurveTo
      }
    }
    closeIfReturned();
    enc_->EndPath();
  }

  void DrawDevicePath(const QPainterPath& path, bool fill, bool stroke) {
    if (!fill && !stroke) return;
    Prepare();
    if (!fill && !HasCurves(path)) {
      // Straight outlines are plain polylines, one per subpath.
      SelectPen();
      for (const QPolygonF& poly : path.toSubpathPolygons()) {
        std::vector<emf::Point> pts;
        pts.reserve(static_cast<std::size_t>(poly.size()));
        for (const QPointF& q : poly) pts.push_back(ToPoint(q));
        if (!pts.empty()) enc_->Polyline(pts);
      }
      return;
    }
    const emf::Rect bounds = ToRect(path.boundingRect());
    if (fill) {
      SetFillMode(path.fillRule() == Qt::WindingFill ? emf::WINDING : emf::ALTERNATE);
      SelectBrush();
    }
    if (stroke) SelectPen();
    WritePath(path);
    if (fill && stroke)
      enc_->StrokeAndFillPath(bounds);
    else if (fill)
      enc_->FillPath(bounds);
    else
      enc_->StrokePath(bounds);
  }

  void SetFillMode(std::uint32_t mode) {
    if (fillMode_ == mode) return;
    enc_->SetPolyFillMode(mode);
    fillMode_ = mode;
  }

  void SelectHandle(std::uint32_t& current, std::uint32_t handle) {
    if (current == handle) return;
    enc_->SelectObject(handle);
    current = handle;
  }

  void SelectPen() {
    if (pen_.style() == Qt::NoPen) {
      SelectHandle(curPen_, emf::kNullPen);
      return;
    }
    const double widthPx = pen_.isCosmetic() ? std::max(1.0, pen_.widthF())
                                             : std::max(pen_.widthF(), 0.0) * ScaleOf(xf_);
    const auto width = static_cast<std::uint32_t>(std::max<std::int32_t>(1, ToUnits(std::max(widthPx, 0.1))));
    std::uint32_t style = emf::PS_GEOMETRIC;
    switch (pen_.style()) {
      case Qt::DashLine: style |= emf::PS_DASH; break;
      case Qt::DotLine: style |= emf::PS_DOT; break;
      case Qt::DashDotLine: style |= emf::PS_DASHDOT; break;
      case Qt::DashDotDotLine: style |= emf::PS_DASHDOTDOT; break;
      default: style |= emf::PS_SOLID; break;  // custom dashes: drawn solid
    }
    switch (pen_.capStyle()) {
      case Qt::FlatCap: style |= emf::PS_ENDCAP_FLAT; break;
      case Qt::SquareCap: style |= emf::PS_ENDCAP_SQUARE; break;
      default: style |= emf::PS_ENDCAP_ROUND; break;
    }
    switch (pen_.joinStyle()) {
      case Qt::BevelJoin: style |= emf::PS_JOIN_BEVEL; break;
      case Qt::RoundJoin: style |= emf::PS_JOIN_ROUND; break;
      default: style |= emf::PS_JOIN_MITER; break;
    }
    const QColor colour = pen_.brush().gradient() ? AverageColour(pen_.brush()) : pen_.color();
    const std::uint32_t ref = Flatten(colour, opacity_);
    const auto key = std::make_tuple(style, width, ref);
    auto it = pens_.find(key);
    if (it == pens_.end()) it = pens_.emplace(key, enc_->CreatePen(style, width, ref)).first;
    SelectHandle(curPen_, it->second);
  }

  std::uint32_t BrushHandle(std::uint32_t style, std::uint32_t ref, std::uint32_t hatch) {
    const auto key = std::make_tuple(style, ref, hatch);
    auto it = brushes_.find(key);
    if (it == brushes_.end()) it = brushes_.emplace(key, enc_->CreateBrush(style, ref, hatch)).first;
    return it->second;
  }

  void SelectBrush() {
    const Qt::BrushStyle s = brush_.style();
    if (s == Qt::NoBrush) {
      SelectHandle(curBrush_, emf::kNullBrush);
      return;
    }
    if (const auto hatch = HatchOf(s)) {
      SelectHandle(curBrush_, BrushHandle(emf::BS_HATCHED, Flatten(brush_.color(), opacity_), *hatch));
      return;
    }
    const double coverage = DenseCoverage(s);
    SelectHandle(curBrush_, BrushHandle(emf::BS_SOLID, Flatten(AverageColour(brush_), opacity_ * coverage), 0));
  }

  std::uint32_t FontHandle(const emf::LogFont& lf) {
    const auto key = std::make_tuple(lf.height, lf.escapement, lf.weight, lf.italic, lf.underline,
                                     lf.strikeOut, lf.faceName);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) it = fonts_.emplace(key, enc_->CreateFont(lf)).first;
    return it->second;
  }

  QSize size_;
  QPaintDevice* device_ = nullptr;
  std::optional<emf::Encoder> enc_;
  std::vector<std::uint8_t> bytes_;

  QTransform xf_;
  QPen pen_;
  QBrush brush_;
  QFont font_;
  double opacity_ = 1.0;
  TrackedClip clip_{std::nullopt, false, false};
  bool dcSaved_ = false;

  std::uint32_t curPen_ = 0, curBrush_ = 0, curFont_ = 0, fillMode_ = 0;
  std::optional<std::uint32_t> textColour_;
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::uint32_t> pens_;
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::uint32_t> brushes_;
  std::map<std::tuple<int, int, int, bool, bool, bool, std::u16string>, std::uint32_t> fonts_;
  int bitmaps_ = 0;
};

EmfDevice::EmfDevice(QSize sizePx)
    : size_(sizePx.expandedTo(QSize(1, 1))), engine_(std::make_unique<EmfPaintEngine>(size_)) {}

EmfDevice::~EmfDevice() = default;

QPaintEngine* EmfDevice::paintEngine() const { return engine_.get(); }

const std::vector<std::uint8_t>& EmfDevice::bytes() const { return engine_->bytes(); }

int EmfDevice::bitmapCount() const { return engine_->bitmapCount(); }

int EmfDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth: return size_.width();
    case PdmHeight: return size_.height();
    case PdmWidthMM: return static_cast<int>(std::lround(size_.width() * 25.4 / kDpi));
    case PdmHeightMM: return static_cast<int>(std::lround(size_.height() * 25.4 / kDpi));
    case PdmNumColors: return 0xFFFFFF;
    case PdmDepth: return 24;
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
