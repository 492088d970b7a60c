#include "ui/session.hpp"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/case_table.hpp"
#include "ui/problem_sweep_qt.hpp"
#include "app/problem_json.hpp"

namespace veldo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// JSON has no infinities or NaN, and Qt reads -0 back as 0: those numbers are written as the
// strings below.
QJsonValue Number(double v) {
  if (std::isnan(v)) return QString("nan");
  if (v == 0 && std::signbit(v)) return QString("-0");
  if (std::isinf(v)) return QString(v > 0 ? "inf" : "-inf");
  return v;
}

QJsonObject Axis(const AxisState& a) {
  return QJsonObject{{"automatic", a.automatic}, {"minimum", Number(a.minimum)},
                     {"maximum", Number(a.maximum)}, {"increment", Number(a.increment)}, {"grid", a.grid}};
}

QJsonObject Pairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  QJsonObject o;
  for (const auto& [name, text] : pairs) o.insert(Q(name), Q(text));
  return o;
}

QJsonObject Curve(const CurveRecord& r) {
  QJsonArray points;
  for (const CurvePoint& p : r.points)
    points.append(QJsonArray{Number(p.value), Number(p.dR), Number(p.dX), Number(p.x), Number(p.y), p.ier});
  QJsonObject o{{"case", r.testCase},
                     {"param", Q(r.param)},
                     {"label", Q(r.label)},
                     {"colour", QJsonArray{r.colour.r, r.colour.g, r.colour.b}},
                     {"inputs", Pairs(r.inputs)},
                     {"X0", Number(r.X0)},
                     {"L0", Number(r.L0)},
                     {"visible", r.visible},
                     {"counted", r.counted},
                     {"points", points}};
  if (r.layered) {
    // The problem in the JSON form veldo-cli --problem reads (SI; the unit shown is apart).
    const std::string problem = ProblemToJson(r.layered->sweep);
    o.insert("problem", QJsonDocument::fromJson(QByteArray(problem.data(), static_cast<qsizetype>(problem.size()))).object());
    o.insert("unit", Number(r.layered->sweep.unit));
    o.insert("family_index", r.layered->familyIndex);
  }
  return o;
}

QJsonObject Table(const LayeredTable& t) {
  QJsonArray layers;
  for (const LayerTexts& l : t.layers) layers.append(QJsonArray{Q(l[0]), Q(l[1]), Q(l[2])});
  return QJsonObject{{"geometry", Q(std::string(GeometryName(t.geometry)))},
                     {"layers", layers},
                     {"sweep", Q(t.sweepPath)},
                     {"family", Q(t.familyPath)}};
}

// Walks a document, remembering the first fault with the path of the member it concerns.
class Checker {
public:
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  void Fail(const std::string& error) {
    if (error_.empty()) error_ = error;
  }

  QJsonValue Member(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonValue v = o.value(name);
    if (v.isUndefined()) Fail("the member '" + Join(path, name) + "' is missing");
    return v;
  }
  QJsonObject Object(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonValue v = Member(o, path, name);
    if (!v.isUndefined() && !v.isObject()) WrongType(path, name, "an object");
    return v.toObject();
  }
  QJsonArray Array(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonValue v = Member(o, path, name);
    if (!v.isUndefined() && !v.isArray()) WrongType(path, name, "an array");
    return v.toArray();
  }
  std::string String(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonValue v = Member(o, path, name);
    if (!v.isUndefined() && !v.isString()) WrongType(path, name, "a string");
    return v.toString().toStdString();
  }
  bool Bool(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonValue v = Member(o, path, name);
    if (!v.isUndefined() && !v.isBool()) WrongType(path, name, "true or false");
    return v.toBool();
  }
  int Int(const QJsonObject& o, const std::string& path, const char* name, int lo, int hi) {
    return IntValue(Member(o, path, name), Join(path, name), lo, hi);
  }
  int IntValue(const QJsonValue& v, const std::string& where, int lo, int hi) {
    if (v.isUndefined()) return 0;
    const double d = v.toDouble(std::numeric_limits<double>::quiet_NaN());
    if (!v.isDouble() || d != std::floor(d) || d < lo || d > hi) {
      Fail("the member '" + where + "' is not a whole number from " + std::to_string(lo) + " to " +
           std::to_string(hi));
      return 0;
    }
    return static_cast<int>(d);
  }
  double Double(const QJsonObject& o, const std::string& path, const char* name) {
    return DoubleValue(Member(o, path, name), Join(path, name));
  }
  double DoubleValue(const QJsonValue& v, const std::string& where) {
    if (v.isDouble()) return v.toDouble();
    if (v.isString()) {
      const QString s = v.toString();
      if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
      if (s == "inf") return std::numeric_limits<double>::infinity();
      if (s == "-inf") return -std::numeric_limits<double>::infinity();
      if (s == "-0") return -0.0;
    }
    if (!v.isUndefined()) Fail("the member '" + where + "' is not a number");
    return 0;
  }
  std::vector<std::pair<std::string, std::string>> Texts(const QJsonObject& o, const std::string& path,
                                                         const char* name) {
    std::vector<std::pair<std::string, std::string>> texts;
    const QJsonObject m = Object(o, path, name);
    for (auto it = m.begin(); it != m.end(); ++it) {
      if (!it.value().isString()) {
        Fail("the member '" + Join(Join(path, name), it.key().toStdString().c_str()) + "' is not a string");
        continue;
      }
      texts.emplace_back(it.key().toStdString(), it.value().toString().toStdString());
    }
    return texts;
  }
  AxisState Axis(const QJsonObject& o, const std::string& path, const char* name) {
    const QJsonObject a = Object(o, path, name);
    const std::string at = Join(path, name);
    AxisState s;
    if (Failed()) return s;
    s.automatic = Bool(a, at, "automatic");
    s.minimum = Double(a, at, "minimum");
    s.maximum = Double(a, at, "maximum");
    s.increment = Double(a, at, "increment");
    s.grid = Bool(a, at, "grid");
    return s;
  }

  static std::string Join(const std::string& path, const char* name) {
    return path.empty() ? std::string(name) : path + "." + name;
  }

private:
  void WrongType(const std::string& path, const char* name, const char* what) {
    Fail("the member '" + Join(path, name) + "' is not " + what);
  }
  std::string error_;
};

bool KnownCase(int testCase) {
  if (IsLayeredCase(testCase)) return true;
  const CaseDef* c = FindCase(testCase);
  return c != nullptr && c->model != ModelKind::None;
}

constexpr const char* kCasesThatCompute = "(1 to 6, 9, 10 to 12)";

// A layered curve's problem: the problem_json form, its geometry the case's.
void ReadProblem(Checker& check, const QJsonObject& o, const std::string& at, CurveRecord& r) {
  const QJsonObject problem = check.Object(o, at, "problem");
  if (check.Failed()) return;
  std::string error;
  const QByteArray text = QJsonDocument(problem).toJson(QJsonDocument::Compact);
  auto sweep = ProblemFromJson(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), error);
  if (!sweep) return check.Fail("the member '" + at + ".problem' is not a problem (" + error + ")");
  if (sweep->problem.conductor.geometry != GeometryOfCase(r.testCase))
    return check.Fail("the member '" + at + ".problem' is not a " + std::string(GeometryName(GeometryOfCase(r.testCase))));
  sweep->unit = check.Double(o, at, "unit");
  sweep->colour = r.colour;
  const int last = static_cast<int>(std::min<std::size_t>(sweep->familyValues.size(), kSessionMaxCurves)) - 1;
  const int index = check.Int(o, at, "family_index", sweep->family.empty() ? -1 : 0, sweep->family.empty() ? -1 : last);
  if (!check.Failed()) r.layered = LayeredCurve{std::move(*sweep), index};
}

LayeredTable ReadTable(Checker& check, const QJsonObject& o, const std::string& at) {
  LayeredTable t;
  const auto geometry = GeometryNamed(check.String(o, at, "geometry"));
  if (!check.Failed() && !geometry) check.Fail("the member '" + at + ".geometry' is not \"plate\", \"tube\" or \"rod\"");
  if (geometry) t.geometry = *geometry;
  const QJsonArray layers = check.Array(o, at, "layers");
  if (!check.Failed() && (layers.isEmpty() || layers.size() > static_cast<qsizetype>(kMaxLayers)))
    check.Fail("the member '" + at + ".layers' does not hold 1 to " + std::to_string(kMaxLayers) + " layers");
  for (qsizetype i = 0; i < layers.size() && !check.Failed(); ++i) {
    const QJsonArray l = layers[i].toArray();
    if (l.size() != 3 || !l[0].isString() || !l[1].isString() || !l[2].isString()) {
      check.Fail("the member '" + at + ".layers[" + std::to_string(i) + "]' is not an array of 3 texts");
      break;
    }
    t.layers.push_back({l[0].toString().toStdString(), l[1].toString().toStdString(), l[2].toString().toStdString()});
  }
  t.sweepPath = check.String(o, at, "sweep");
  t.familyPath = check.String(o, at, "family");
  return t;
}

CurveRecord ReadCurve(Checker& check, const QJsonObject& o, const std::string& at) {
  CurveRecord r;
  r.testCase = check.Int(o, at, "case", 1, kRodCase);
  if (!check.Failed() && !KnownCase(r.testCase))
    check.Fail("the member '" + at + ".case' is not a case that computes " + kCasesThatCompute);
  r.param = check.String(o, at, "param");
  r.label = check.String(o, at, "label");
  const QJsonArray colour = check.Array(o, at, "colour");
  if (!check.Failed() && colour.size() != 3) check.Fail("the member '" + at + ".colour' does not hold 3 numbers");
  if (!check.Failed()) {
    r.colour.r = check.IntValue(colour[0], at + ".colour[0]", 0, 255);
    r.colour.g = check.IntValue(colour[1], at + ".colour[1]", 0, 255);
    r.colour.b = check.IntValue(colour[2], at + ".colour[2]", 0, 255);
  }
  r.inputs = check.Texts(o, at, "inputs");
  r.X0 = check.Double(o, at, "X0");
  r.L0 = check.Double(o, at, "L0");
  r.visible = check.Bool(o, at, "visible");
  r.counted = check.Bool(o, at, "counted");
  const QJsonArray points = check.Array(o, at, "points");
  for (qsizetype i = 0; i < points.size() && !check.Failed(); ++i) {
    const std::string where = at + ".points[" + std::to_string(i) + "]";
    const QJsonArray p = points[i].toArray();
    if (!points[i].isArray() || p.size() != 6) {
      check.Fail("the member '" + where + "' is not an array of 6 numbers");
      break;
    }
    CurvePoint q;
    q.value = check.DoubleValue(p[0], where + "[0]");
    q.dR = check.DoubleValue(p[1], where + "[1]");
    q.dX = check.DoubleValue(p[2], where + "[2]");
    q.x = check.DoubleValue(p[3], where + "[3]");
    q.y = check.DoubleValue(p[4], where + "[4]");
    q.ier = check.IntValue(p[5], where + "[5]", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    r.points.push_back(q);
  }
  if (!check.Failed() && IsLayeredCase(r.testCase)) ReadProblem(check, o, at, r);
  return r;
}

}  // namespace

std::string WriteSession(const Session& s) {
  QJsonArray selected;
  for (const std::string& name : s.selected) selected.append(Q(name));
  QJsonArray curves;
  for (const CurveRecord& r : s.curves) curves.append(Curve(r));
  QJsonObject root{{"format", kSessionFormat},
                         {"version", kSessionVersion},
                         {"program", QString("%1 %2").arg(kProgramName, kProgramVersion)},
                         {"case", s.testCase},
                         {"fields", Pairs(s.fields)},
                         {"selected", selected},
                         {"view", s.view},
                         {"axes", QJsonObject{{"x", Axis(s.x)}, {"y", Axis(s.y)}}},
                         {"curves", curves}};
  if (!s.tables.empty()) {
    QJsonArray tables;
    for (const LayeredTable& t : s.tables) tables.append(Table(t));
    root.insert("layered", tables);
  }
  // The probes and the instrument display in their own members, in app/'s JSON form.
  auto embed = [&](const char* name, const std::string& json) {
    root.insert(name, QJsonDocument::fromJson(QByteArray::fromStdString(json)).object());
  };
  if (!s.probes.empty()) embed("probes", ProbesToJson(s.probes));
  if (s.instrument) embed("instrument", InstrumentToJson(*s.instrument));
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

SessionRead ReadSession(const std::string& bytes) {
  QJsonParseError parse{};
  const QJsonDocument doc =
      QJsonDocument::fromJson(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &parse);
  if (parse.error != QJsonParseError::NoError) {
    // A document cut short fails where its text ends, inside an object, an array or a string.
    const auto first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {std::nullopt, "the file is empty"};
    const auto last = bytes.find_last_not_of(" \t\r\n");
    if (bytes[first] == '{' && parse.offset >= static_cast<int>(last))
      return {std::nullopt, "the file is truncated (it ends before the document does)"};
    return {std::nullopt, "it is not a JSON document (" + parse.errorString().toStdString() + " at byte " +
                              std::to_string(parse.offset) + ")"};
  }
  if (!doc.isObject()) return {std::nullopt, "it is not a VELDO session (the document is not a JSON object)"};
  const QJsonObject root = doc.object();
  if (root.value("format").toString() != kSessionFormat)
    return {std::nullopt, "it is not a VELDO session (the member 'format' is not \"" + std::string(kSessionFormat) + "\")"};
  const QJsonValue version = root.value("version");
  if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
    return {std::nullopt, "the member 'version' is not a format version (a whole number from 1)"};
  if (version.toDouble() > kSessionVersion)
    return {std::nullopt, "it was written in a newer format (version " + QString::number(version.toDouble()).toStdString() +
                              "; this program reads up to version " + std::to_string(kSessionVersion) + ")"};

  Checker check;
  Session s;
  s.testCase = check.Int(root, "", "case", 1, kRodCase);
  if (!check.Failed() && !KnownCase(s.testCase))
    check.Fail(std::string("the member 'case' is not a case that computes ") + kCasesThatCompute);
  s.fields = check.Texts(root, "", "fields");
  const QJsonArray selected = check.Array(root, "", "selected");
  for (qsizetype i = 0; i < selected.size() && !check.Failed(); ++i) {
    if (!selected[i].isString()) check.Fail("the member 'selected[" + std::to_string(i) + "]' is not a string");
    s.selected.push_back(selected[i].toString().toStdString());
  }
  s.view = check.Int(root, "", "view", 0, kChartViews - 1);
  const QJsonObject axes = check.Object(root, "", "axes");
  if (!check.Failed()) {
    s.x = check.Axis(axes, "axes", "x");
    s.y = check.Axis(axes, "axes", "y");
  }
  const QJsonArray curves = check.Array(root, "", "curves");
  if (!check.Failed() && curves.size() > kSessionMaxCurves)
    check.Fail("it holds " + std::to_string(curves.size()) + " curves, more than the chart's " +
               std::to_string(kSessionMaxCurves));
  for (qsizetype i = 0; i < curves.size() && !check.Failed(); ++i) {
    const std::string at = "curves[" + std::to_string(i) + "]";
    if (!curves[i].isObject()) {
      check.Fail("the member '" + at + "' is not an object");
      break;
    }
    s.curves.push_back(ReadCurve(check, curves[i].toObject(), at));
  }
  // Version 2: the layered groups' tables (a version-1 file has none: the groups stay as they are).
  if (!check.Failed() && root.contains("layered")) {
    const QJsonArray tables = check.Array(root, "", "layered");
    if (!check.Failed() && tables.size() > 3) check.Fail("the member 'layered' holds more than the 3 layered groups");
    for (qsizetype i = 0; i < tables.size() && !check.Failed(); ++i) {
      const std::string at = "layered[" + std::to_string(i) + "]";
      if (!tables[i].isObject()) {
        check.Fail("the member '" + at + "' is not an object");
        break;
      }
      s.tables.push_back(ReadTable(check, tables[i].toObject(), at));
    }
  }
  auto embedded = [&](const char* name) {
    return QJsonDocument(root.value(name).toObject()).toJson(QJsonDocument::Compact).toStdString();
  };
  std::string error;
  if (!check.Failed() && root.contains("probes")) {
    if (auto probes = ProbesFromJson(embedded("probes"), error)) s.probes = std::move(*probes);
    else check.Fail("the member '" + error.substr(0, error.find(':')) + "' is wrong:" + error.substr(error.find(':') + 1));
  }
  if (!check.Failed() && root.contains("instrument")) {
    if (auto instrument = InstrumentFromJson(embedded("instrument"), error)) s.instrument = *instrument;
    else check.Fail("the member '" + error.substr(0, error.find(':')) + "' is wrong:" + error.substr(error.find(':') + 1));
  }
  if (check.Failed()) return {std::nullopt, check.Error()};
  return {std::move(s), {}};
}

bool SaveSessionFile(const Session& session, const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const std::string text = WriteSession(session);
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace veldo

namespace veldo {

SessionRecorder::SessionRecorder(ComputeOutput& next, int testCase,
                                 std::function<std::string(const std::string&)> fieldText, std::string selector)
    : next_(next), fieldText_(std::move(fieldText)) {
  session_.testCase = testCase;
  for (const std::string& name : CaseFieldNames(testCase)) session_.fields.emplace_back(name, fieldText_(name));
  session_.selected.push_back(std::move(selector));
}

void SessionRecorder::AirCoilValues(double X0, double L0) {
  X0_ = X0;
  L0_ = L0;
  next_.AirCoilValues(X0, L0);
}

void SessionRecorder::BeginCurve(Rgb colour) {
  const std::string param = SelectedParam(
      session_.testCase, [this](std::string_view s) { return !session_.selected.empty() && s == session_.selected.front(); });
  CurveRecord r = MakeRecordHead(session_.testCase, param, colour, fieldText_);
  r.X0 = X0_;
  r.L0 = L0_;
  r.counted = false;
  session_.curves.push_back(std::move(r));
  next_.BeginCurve(colour);
}

void SessionRecorder::PointComputed(const PointDetails& point) {
  details_ = CurvePoint{point.value, point.dR, point.dX, point.x, point.y, point.Ier};
  param_ = std::string(point.param);
  next_.PointComputed(point);
}

void SessionRecorder::AddPoint(double x, double y) {
  if (!session_.curves.empty()) {
    CurveRecord& r = session_.curves.back();
    if (!param_.empty() && r.param != param_) {
      r.param = param_;
      r.label = DefaultLabel(r);
    }
    CurvePoint p = details_;
    p.x = x;
    p.y = y;
    r.points.push_back(p);
  }
  details_ = {};
  next_.AddPoint(x, y);
}

void SessionRecorder::CountCurve() {
  if (!session_.curves.empty()) session_.curves.back().counted = true;
  next_.CountCurve();
}

}  // namespace veldo
