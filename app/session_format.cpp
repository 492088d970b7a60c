#include "app/session_format.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "app/case_table.hpp"
#include "app/problem_json.hpp"

namespace veldo {

namespace {

// Members in sorted order (std::map), as the format has always written them.
using Json = nlohmann::json;

// JSON has no infinities or NaN, and a JSON reader may read -0 back as 0: those numbers are
// written as the strings below.
Json Number(double v) {
  if (std::isnan(v)) return "nan";
  if (v == 0 && std::signbit(v)) return "-0";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return v;
}

// ---------------------------------------------------------------------------------------------
// The text of a document, laid out as every version of the format has been: four spaces per
// level, every member and element on its own line (an empty object or array too), numbers in
// their shortest form that reads back to the same double, UTF-8 as it is, control characters
// escaped. Sessions saved again stay byte for byte the same.

// A whole number up to 2^53 as an integer; any other number in the shorter of its decimal and
// its exponent form (the decimal one when they tie), the exponent with at least two digits.
void AppendNumber(std::string& out, double d) {
  constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
  char buffer[32];
  if (d == std::floor(d) && std::abs(d) <= kExactIntegers) {
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(d));
    out.append(buffer, r.ptr);
    return;
  }
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::scientific);
  std::string_view sci(buffer, static_cast<std::size_t>(r.ptr - buffer));
  const bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  const auto e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits += c;
  int exponent = 0;
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
  const int n = static_cast<int>(digits.size());
  const int point = exponent + 1;  // digits before the decimal point (<= 0: zeros after it)
  std::string decimal;
  if (point <= 0)
    decimal = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  else if (point < n)
    decimal = digits.substr(0, static_cast<std::size_t>(point)) + "." + digits.substr(static_cast<std::size_t>(point));
  else
    decimal = digits + std::string(static_cast<std::size_t>(point - n), '0');
  char exp[16];
  std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  const std::string scientific = digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : std::string()) + exp;
  if (negative) out += '-';
  out += decimal.size() <= scientific.size() ? decimal : scientific;
}

void AppendString(std::string& out, const std::string& s) {
  out += '"';
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", u);
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendValue(std::string& out, const Json& v, int level) {
  const std::string indent(static_cast<std::size_t>(4 * level), ' ');
  const std::string inner(static_cast<std::size_t>(4 * (level + 1)), ' ');
  switch (v.type()) {
    case Json::value_t::object: {
      out += "{\n";
      std::size_t i = 0;
      for (auto it = v.begin(); it != v.end(); ++it) {
        out += inner;
        AppendString(out, it.key());
        out += ": ";
        AppendValue(out, it.value(), level + 1);
        out += ++i < v.size() ? ",\n" : "\n";
      }
      out += indent + "}";
      break;
    }
    case Json::value_t::array: {
      out += "[\n";
      std::size_t i = 0;
      for (const Json& e : v) {
        out += inner;
        AppendValue(out, e, level + 1);
        out += ++i < v.size() ? ",\n" : "\n";
      }
      out += indent + "]";
      break;
    }
    case Json::value_t::string: AppendString(out, v.get_ref<const std::string&>()); break;
    case Json::value_t::boolean: out += v.get<bool>() ? "true" : "false"; break;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: AppendNumber(out, v.get<double>()); break;
    default: out += "null";
  }
}

// ---------------------------------------------------------------------------------------------

Json Axis(const AxisState& a) {
  return Json{{"automatic", a.automatic}, {"minimum", Number(a.minimum)},
              {"maximum", Number(a.maximum)}, {"increment", Number(a.increment)}, {"grid", a.grid}};
}

Json Pairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  Json o = Json::object();
  for (const auto& [name, text] : pairs) o[name] = text;
  return o;
}

Json UnitsObject(const Units& u) {
  return Json{{"length", std::string(Symbol(u.length))}, {"conductivity", std::string(Symbol(u.conductivity))}};
}

Json Curve(const CurveRecord& r) {
  Json points = Json::array();
  for (const CurvePoint& p : r.points)
    points.push_back(Json::array({Number(p.value), Number(p.dR), Number(p.dX), Number(p.x), Number(p.y), p.ier}));
  Json o{{"case", r.testCase},
         {"param", r.param},
         {"label", r.label},
         {"colour", Json::array({r.colour.r, r.colour.g, r.colour.b})},
         {"inputs", Pairs(r.inputs)},
         {"X0", Number(r.X0)},
         {"L0", Number(r.L0)},
         {"visible", r.visible},
         {"counted", r.counted},
         {"points", points}};
  if (r.layered) {
    // The problem in the JSON form veldo-cli --problem reads (SI; the unit shown is apart).
    // A problem no JSON can hold (a NaN in it) is kept as an empty object, which no reader takes.
    o["problem"] = Json::parse(ProblemToJson(r.layered->sweep), nullptr, false);
    if (o["problem"].is_discarded()) o["problem"] = Json::object();
    o["unit"] = Number(r.layered->sweep.unit);
    o["family_index"] = r.layered->familyIndex;
    if (r.layered->units != Units{}) o["units"] = UnitsObject(r.layered->units);
  }
  if (r.transient) o["transient"] = Json{{"waveform", r.transient->waveform}, {"value", Number(r.transient->value)}};
  return o;
}

Json Table(const LayeredTable& t) {
  Json layers = Json::array();
  for (const LayerTexts& l : t.layers) layers.push_back(Json::array({l[0], l[1], l[2]}));
  return Json{{"geometry", std::string(GeometryName(t.geometry))},
              {"layers", layers},
              {"sweep", t.sweepPath},
              {"family", t.familyPath}};
}

// A member of an object, or nothing (null) when it is missing or `o` is no object.
const Json& At(const Json& o, const char* name) {
  static const Json kMissing;  // read-only: never written after its construction
  if (!o.is_object()) return kMissing;
  const auto it = o.find(name);
  return it == o.end() ? kMissing : *it;
}

bool Has(const Json& o, const char* name) { return o.is_object() && o.contains(name); }

const Json& Empty(Json::value_t t) {
  static const Json kObject = Json::object(), kArray = Json::array();
  return t == Json::value_t::array ? kArray : kObject;
}

// Walks a document, remembering the first fault with the path of the member it concerns.
class Checker {
public:
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  void Fail(const std::string& error) {
    if (error_.empty()) error_ = error;
  }

  // The member, or nothing when it is missing (the fault is then kept).
  const Json* Member(const Json& o, const std::string& path, const char* name) {
    if (!Has(o, name)) {
      Fail("the member '" + Join(path, name) + "' is missing");
      return nullptr;
    }
    return &At(o, name);
  }
  const Json& Object(const Json& o, const std::string& path, const char* name) {
    const Json* v = Member(o, path, name);
    if (v != nullptr && !v->is_object()) WrongType(path, name, "an object");
    return v != nullptr && v->is_object() ? *v : Empty(Json::value_t::object);
  }
  const Json& Array(const Json& o, const std::string& path, const char* name) {
    const Json* v = Member(o, path, name);
    if (v != nullptr && !v->is_array()) WrongType(path, name, "an array");
    return v != nullptr && v->is_array() ? *v : Empty(Json::value_t::array);
  }
  std::string String(const Json& o, const std::string& path, const char* name) {
    const Json* v = Member(o, path, name);
    if (v != nullptr && !v->is_string()) WrongType(path, name, "a string");
    return v != nullptr && v->is_string() ? v->get<std::string>() : std::string();
  }
  bool Bool(const Json& o, const std::string& path, const char* name) {
    const Json* v = Member(o, path, name);
    if (v != nullptr && !v->is_boolean()) WrongType(path, name, "true or false");
    return v != nullptr && v->is_boolean() && v->get<bool>();
  }
  int Int(const Json& o, const std::string& path, const char* name, int lo, int hi) {
    const Json* v = Member(o, path, name);
    return v != nullptr ? IntValue(*v, Join(path, name), lo, hi) : 0;
  }
  int IntValue(const Json& v, const std::string& where, int lo, int hi) {
    const double d = v.is_number() ? v.get<double>() : std::numeric_limits<double>::quiet_NaN();
    if (!v.is_number() || d != std::floor(d) || d < lo || d > hi) {
      Fail("the member '" + where + "' is not a whole number from " + std::to_string(lo) + " to " +
           std::to_string(hi));
      return 0;
    }
    return static_cast<int>(d);
  }
  double Double(const Json& o, const std::string& path, const char* name) {
    const Json* v = Member(o, path, name);
    return v != nullptr ? DoubleValue(*v, Join(path, name)) : 0;
  }
  double DoubleValue(const Json& v, const std::string& where) {
    if (v.is_number()) return v.get<double>();
    if (v.is_string()) {
      const std::string& s = v.get_ref<const std::string&>();
      if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
      if (s == "inf") return std::numeric_limits<double>::infinity();
      if (s == "-inf") return -std::numeric_limits<double>::infinity();
      if (s == "-0") return -0.0;
    }
    Fail("the member '" + where + "' is not a number");
    return 0;
  }
  std::vector<std::pair<std::string, std::string>> Texts(const Json& o, const std::string& path, const char* name) {
    std::vector<std::pair<std::string, std::string>> texts;
    const Json& m = Object(o, path, name);
    for (auto it = m.begin(); it != m.end(); ++it) {
      if (!it.value().is_string()) {
        Fail("the member '" + Join(Join(path, name), it.key().c_str()) + "' is not a string");
        continue;
      }
      texts.emplace_back(it.key(), it.value().get<std::string>());
    }
    return texts;
  }
  AxisState Axis(const Json& o, const std::string& path, const char* name) {
    const Json& a = Object(o, path, name);
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

// The units of the document or of a curve; the default when the member is left out.
Units ReadUnits(Checker& check, const Json& parent, const std::string& path) {
  Units u;
  if (!Has(parent, "units")) return u;
  const std::string at = Checker::Join(path, "units");
  const Json& o = check.Object(parent, path, "units");
  const std::string length = check.String(o, at, "length");
  const std::string sigma = check.String(o, at, "conductivity");
  if (check.Failed()) return u;
  const auto l = LengthUnitNamed(length);
  const auto c = ConductivityUnitNamed(sigma);
  if (!l) check.Fail("the member '" + at + ".length' is not \"mm\", \"mil\" or \"in\"");
  if (!c) check.Fail("the member '" + at + ".conductivity' is not \"MS/m\" or \"%IACS\"");
  if (l && c) u = Units{*l, *c};
  return u;
}

// A layered curve's problem: the problem_json form, its geometry the case's.
void ReadProblem(Checker& check, const Json& o, const std::string& at, CurveRecord& r) {
  const Json& problem = check.Object(o, at, "problem");
  if (check.Failed()) return;
  std::string error;
  auto sweep = ProblemFromJson(problem.dump(), error);
  if (!sweep) return check.Fail("the member '" + at + ".problem' is not a problem (" + error + ")");
  if (sweep->problem.conductor.geometry != GeometryOfCase(r.testCase))
    return check.Fail("the member '" + at + ".problem' is not a " + std::string(GeometryName(GeometryOfCase(r.testCase))));
  sweep->unit = check.Double(o, at, "unit");
  sweep->colour = r.colour;
  const int last = static_cast<int>(std::min<std::size_t>(sweep->familyValues.size(), kSessionMaxCurves)) - 1;
  const int index = check.Int(o, at, "family_index", sweep->family.empty() ? -1 : 0, sweep->family.empty() ? -1 : last);
  const Units units = ReadUnits(check, o, at);
  if (!check.Failed()) r.layered = LayeredCurve{std::move(*sweep), index, units};
}

LayeredTable ReadTable(Checker& check, const Json& o, const std::string& at) {
  LayeredTable t;
  const auto geometry = GeometryNamed(check.String(o, at, "geometry"));
  if (!check.Failed() && !geometry) check.Fail("the member '" + at + ".geometry' is not \"plate\", \"tube\" or \"rod\"");
  if (geometry) t.geometry = *geometry;
  const Json& layers = check.Array(o, at, "layers");
  if (!check.Failed() && (layers.empty() || layers.size() > kMaxLayers))
    check.Fail("the member '" + at + ".layers' does not hold 1 to " + std::to_string(kMaxLayers) + " layers");
  for (std::size_t i = 0; i < layers.size() && !check.Failed(); ++i) {
    const Json& l = layers[i];
    if (!l.is_array() || l.size() != 3 || !l[0].is_string() || !l[1].is_string() || !l[2].is_string()) {
      check.Fail("the member '" + at + ".layers[" + std::to_string(i) + "]' is not an array of 3 texts");
      break;
    }
    t.layers.push_back({l[0].get<std::string>(), l[1].get<std::string>(), l[2].get<std::string>()});
  }
  t.sweepPath = check.String(o, at, "sweep");
  t.familyPath = check.String(o, at, "family");
  return t;
}

CurveRecord ReadCurve(Checker& check, const Json& o, const std::string& at) {
  CurveRecord r;
  r.testCase = check.Int(o, at, "case", 1, kRodCase);
  if (!check.Failed() && !KnownCase(r.testCase))
    check.Fail("the member '" + at + ".case' is not a case that computes " + kCasesThatCompute);
  r.param = check.String(o, at, "param");
  r.label = check.String(o, at, "label");
  const Json& colour = check.Array(o, at, "colour");
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
  const Json& points = check.Array(o, at, "points");
  for (std::size_t i = 0; i < points.size() && !check.Failed(); ++i) {
    const std::string where = at + ".points[" + std::to_string(i) + "]";
    const Json& p = points[i];
    if (!p.is_array() || p.size() != 6) {
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
  if (!check.Failed() && Has(o, "transient")) {
    const Json& t = check.Object(o, at, "transient");
    const std::string where = at + ".transient";
    if (!check.Failed()) r.transient = TransientOf{check.String(t, where, "waveform"), check.Double(t, where, "value")};
    if (!check.Failed() && !r.layered) check.Fail("the member '" + where + "' belongs to a curve of a layered geometry");
  }
  return r;
}

// The reader's complaint about bytes that are no JSON document: empty, cut short (it fails where
// its text ends, inside an object, an array or a string), or wrong at a byte.
std::string NotJson(const std::string& bytes, std::size_t at) {
  const auto first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "the file is empty";
  const auto last = bytes.find_last_not_of(" \t\r\n");
  if (bytes[first] == '{' && at >= last) return "the file is truncated (it ends before the document does)";
  return "it is not a JSON document (a syntax error at byte " + std::to_string(at) + ")";
}

}  // namespace

std::string WriteSession(const Session& s) {
  Json selected = Json::array();
  for (const std::string& name : s.selected) selected.push_back(name);
  Json curves = Json::array();
  for (const CurveRecord& r : s.curves) curves.push_back(Curve(r));
  Json root{{"format", kSessionFormat},
            {"version", kSessionVersion},
            {"program", std::string(kProgramName) + " " + kProgramVersion},
            {"case", s.testCase},
            {"fields", Pairs(s.fields)},
            {"selected", selected},
            {"view", s.view},
            {"axes", Json{{"x", Axis(s.x)}, {"y", Axis(s.y)}}},
            {"curves", curves}};
  if (!s.tables.empty()) {
    Json tables = Json::array();
    for (const LayeredTable& t : s.tables) tables.push_back(Table(t));
    root["layered"] = tables;
  }
  if (s.units != Units{}) root["units"] = UnitsObject(s.units);
  // The probes and the instrument display in their own members, in their JSON form.
  if (!s.probes.empty()) root["probes"] = Json::parse(ProbesToJson(s.probes));
  if (s.instrument) root["instrument"] = Json::parse(InstrumentToJson(*s.instrument));
  std::string text;
  AppendValue(text, root, 0);
  return text + "\n";
}

SessionRead ReadSession(const std::string& bytes) {
  Json root;
  try {
    root = Json::parse(bytes);
  } catch (const Json::parse_error& e) {
    // The parser counts the bytes it read, the wrong one included.
    return {std::nullopt, NotJson(bytes, e.byte)};
  } catch (const Json::exception&) {
    // A number beyond the doubles: where it stands is not told.
    return {std::nullopt, "it is not a JSON document (a number too large for a double)"};
  }
  if (!root.is_object() && !root.is_array())
    return {std::nullopt, "it is not a JSON document (it holds no object or array)"};
  if (!root.is_object()) return {std::nullopt, "it is not a VELDO session (the document is not a JSON object)"};
  const Json& format = At(root, "format");
  if (!format.is_string() || format.get<std::string>() != kSessionFormat)
    return {std::nullopt, "it is not a VELDO session (the member 'format' is not \"" + std::string(kSessionFormat) + "\")"};
  const Json& version = At(root, "version");
  const double v = version.is_number() ? version.get<double>() : 0;
  if (!version.is_number() || v != std::floor(v) || v < 1)
    return {std::nullopt, "the member 'version' is not a format version (a whole number from 1)"};
  if (v > kSessionVersion) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", v);
    return {std::nullopt, "it was written in a newer format (version " + std::string(number) +
                              "; this program reads up to version " + std::to_string(kSessionVersion) + ")"};
  }

  Checker check;
  Session s;
  s.testCase = check.Int(root, "", "case", 1, kRodCase);
  if (!check.Failed() && !KnownCase(s.testCase))
    check.Fail(std::string("the member 'case' is not a case that computes ") + kCasesThatCompute);
  s.fields = check.Texts(root, "", "fields");
  const Json& selected = check.Array(root, "", "selected");
  for (std::size_t i = 0; i < selected.size() && !check.Failed(); ++i) {
    if (!selected[i].is_string()) {
      check.Fail("the member 'selected[" + std::to_string(i) + "]' is not a string");
      break;
    }
    s.selected.push_back(selected[i].get<std::string>());
  }
  s.view = check.Int(root, "", "view", 0, kChartViews - 1);
  const Json& axes = check.Object(root, "", "axes");
  if (!check.Failed()) {
    s.x = check.Axis(axes, "axes", "x");
    s.y = check.Axis(axes, "axes", "y");
  }
  const Json& curves = check.Array(root, "", "curves");
  if (!check.Failed() && curves.size() > kSessionMaxCurves)
    check.Fail("it holds " + std::to_string(curves.size()) + " curves, more than the chart's " +
               std::to_string(kSessionMaxCurves));
  for (std::size_t i = 0; i < curves.size() && !check.Failed(); ++i) {
    const std::string at = "curves[" + std::to_string(i) + "]";
    if (!curves[i].is_object()) {
      check.Fail("the member '" + at + "' is not an object");
      break;
    }
    s.curves.push_back(ReadCurve(check, curves[i], at));
  }
  // Version 2: the layered groups' tables and their units (a version-1 file has neither: the
  // groups keep their tables, the units are the default).
  if (!check.Failed() && Has(root, "layered")) {
    const Json& tables = check.Array(root, "", "layered");
    if (!check.Failed() && tables.size() > 3) check.Fail("the member 'layered' holds more than the 3 layered groups");
    for (std::size_t i = 0; i < tables.size() && !check.Failed(); ++i) {
      const std::string at = "layered[" + std::to_string(i) + "]";
      if (!tables[i].is_object()) {
        check.Fail("the member '" + at + "' is not an object");
        break;
      }
      s.tables.push_back(ReadTable(check, tables[i], at));
    }
  }
  if (!check.Failed()) s.units = ReadUnits(check, root, "");
  // The member's own reader names the wrong member as "path: why".
  auto embedded = [&](const char* name, auto read) {
    if (check.Failed() || !Has(root, name)) return;
    std::string error;
    if (!read(At(root, name).dump(), error))
      check.Fail("the member '" + error.substr(0, error.find(':')) + "' is wrong:" + error.substr(error.find(':') + 1));
  };
  embedded("probes", [&](const std::string& text, std::string& error) {
    auto probes = ProbesFromJson(text, error);
    if (probes) s.probes = std::move(*probes);
    return probes.has_value();
  });
  embedded("instrument", [&](const std::string& text, std::string& error) {
    auto instrument = InstrumentFromJson(text, error);
    if (instrument) s.instrument = *instrument;
    return instrument.has_value();
  });
  if (check.Failed()) return {std::nullopt, check.Error()};
  return {std::move(s), {}};
}

bool SaveSessionFile(const Session& session, const std::string& path) {
  const std::string text = WriteSession(session);
  const std::string temporary = path + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.flush();
    if (!file) {
      file.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (!error) return true;
  std::filesystem::remove(temporary, error);
  return false;
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
