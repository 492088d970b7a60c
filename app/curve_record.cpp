#include "app/curve_record.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <limits>

#include "app/case_table.hpp"
#include "app/format.hpp"
#include "app/layered_form.hpp"

namespace veldo {

namespace {

std::string S(std::string_view v) { return std::string(v); }

const ParamDef* FindParam(const CaseDef& c, const std::string& name) {
  for (const ParamDef& p : c.params)
    if (p.name == name) return &p;
  return c.frequency.name == name ? &c.frequency : nullptr;
}

// The unit in a caption's brackets: "Lift-off LO [mm]" -> "mm".
std::string UnitOfCaption(std::string_view caption) {
  const auto open = caption.rfind('[');
  const auto close = caption.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return S(caption.substr(open + 1, close - open - 1));
}

std::string Item(const std::string& name, const std::string& text, const std::string& unit) {
  return unit.empty() ? name + "=" + text : name + "=" + text + " " + unit;
}

// A CSV cell: quoted when it holds a separator, a quote or a line break.
std::string Cell(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// A text on one line (a label may hold anything).
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return s;
}

}  // namespace

std::string CurveRecord::Input(const std::string& name) const {
  for (const auto& [n, t] : inputs)
    if (n == name) return t;
  return {};
}

std::string ParamUnit(const std::string& param) {
  if (param == "f") return "kHz";
  if (IsProblemPath(param)) return PathUnit(param);
  for (const CaseDef& c : kCases)
    if (const ParamDef* p = FindParam(c, param)) return UnitOfCaption(p->caption);
  return {};
}

std::string SelectedParam(int testCase, const std::function<bool(std::string_view)>& isSelected) {
  const CaseDef* c = FindCase(testCase);
  if (c == nullptr) return {};
  for (const ParamDef& p : c->params)
    if (isSelected(p.selector)) return S(p.name);
  return isSelected(c->frequency.selector) ? S(c->frequency.name) : std::string();
}

std::string CaseName(int testCase) {
  const CaseDef* c = FindCase(testCase);
  return c != nullptr ? S(c->cliName) : std::string();
}

std::string RecordUnit(const CurveRecord& r) {
  return r.layered && IsProblemPath(r.param) ? PathUnit(r.param, r.layered->units) : ParamUnit(r.param);
}

std::vector<std::string> CaseFieldNames(int testCase) {
  std::vector<std::string> names;
  for (const int i : {kFieldR1, kFieldR2, kFieldL, kFieldN, kFieldAcc})
    names.push_back(S(kCommonFields[static_cast<std::size_t>(i)].name));
  const CaseDef* c = FindCase(testCase);
  if (c == nullptr || c->params.empty()) return names;
  for (std::string_view f : {c->frequency.fromField, c->frequency.toField, c->frequency.stepField})
    names.push_back(S(f));
  for (const ParamDef& p : c->params)
    for (std::string_view f : {p.fromField, p.toField, p.stepField}) names.push_back(S(f));
  return names;
}

static std::vector<std::string> Fixed(const CurveRecord& r, bool changedOnly);

std::string DefaultLabel(const CurveRecord& r) {
  const CaseDef* c = FindCase(r.testCase);
  std::string from, to;
  if (c != nullptr) {
    if (const ParamDef* p = FindParam(*c, r.param)) {
      from = r.Input(S(p->fromField));
      to = r.Input(S(p->toField));
    }
  }
  std::string label = r.param + " " + from + " to " + to;
  const std::string unit = ParamUnit(r.param);
  if (!unit.empty()) label += " " + unit;
  // What sets the curve apart from one at the defaults.
  for (const std::string& item : Fixed(r, true)) label += ", " + item;
  return label;
}

static std::vector<std::string> Fixed(const CurveRecord& r, bool changedOnly) {
  std::vector<std::string> items;
  const CaseDef* c = FindCase(r.testCase);
  if (c == nullptr) return items;
  if (r.param != "f") {
    const std::string f = r.Input(S(c->frequencyField));
    if (!changedOnly || f != c->frequencyDefault) items.push_back(Item("f", f, "kHz"));
  }
  for (const ParamDef& p : c->params) {
    if (p.name == r.param) continue;
    const std::string text = r.Input(S(p.fromField));
    if (!changedOnly || text != p.fromDefault) items.push_back(Item(S(p.name), text, UnitOfCaption(p.caption)));
  }
  return items;
}

std::vector<std::string> FixedFields(const CurveRecord& r) { return Fixed(r, false); }
std::vector<std::string> ChangedFixedFields(const CurveRecord& r) { return Fixed(r, true); }


std::string CurvesCsv(const std::vector<const CurveRecord*>& curves, const std::string& display) {
  std::string out = std::string("# ") + kProgramName + " " + kProgramVersion + " curves\n";
  out += "# curves," + std::to_string(curves.size()) + "\n";
  if (!display.empty()) out += "# display,instrument," + Cell(display) + "\n";
  int n = 0;
  for (const CurveRecord* r : curves) {
    out += "\n# curve," + std::to_string(++n) + "\n";
    out += "# case," + std::to_string(r->testCase) + "," + CaseName(r->testCase) + "\n";
    out += "# label," + Cell(OneLine(r->label)) + "\n";
    const std::string mm = " " + std::string(Symbol(r->layered ? r->layered->units.length : LengthUnit::Mm));
    out += "# coil,R1=" + Cell(r->Input("Editr1")) + mm + ",R2=" + Cell(r->Input("Editr2")) + mm +
           ",L=" + Cell(r->Input("Editl")) + mm + ",N=" + Cell(r->Input("EditN")) + "\n";
    out += "# fixed";
    for (const std::string& item : FixedFields(*r)) out += "," + Cell(item);
    out += "\n# accuracy," + Cell(r->Input("Editacc")) + " %\n";
    if (r->transient) {
      out += "# time domain," + Cell(r->transient->waveform) + "\nt [ms],v [V/A],ier\n";
      for (const CurvePoint& p : r->points)
        out += Number17(p.value) + "," + Number17(p.y) + "," + std::to_string(p.ier) + "\n";
      continue;
    }
    out += "# L0," + Number17(r->L0) + "\n# X0," + Number17(r->X0) + "\n";
    out += "param,value,dR,dX,x,y,ier\n";
    for (const CurvePoint& p : r->points)
      out += r->param + "," + SweptValueText(p.value) + "," + Number17(p.dR) + "," + Number17(p.dX) + "," +
             Number17(p.x) + "," + Number17(p.y) + "," + std::to_string(p.ier) + "\n";
  }
  return out;
}

std::string CurvesTsv(const std::vector<const CurveRecord*>& curves, const std::string& display) {
  std::string out = display.empty() ? std::string() : "Instrument display: " + display + "\n";
  for (const CurveRecord* r : curves) {
    if (!out.empty()) out += "\n";
    out += OneLine(r->label) + "\n";
    if (r->transient) {
      out += "t [ms]\tv [V/A]\tier\n";
      for (const CurvePoint& p : r->points)
        out += Number17(p.value) + "\t" + Number17(p.y) + "\t" + std::to_string(p.ier) + "\n";
      continue;
    }
    const std::string unit = RecordUnit(*r);
    out += r->param + (unit.empty() ? "" : " [" + unit + "]") + "\tdR [Ohm]\tdX [Ohm]\tx\ty\tier\n";
    for (const CurvePoint& p : r->points)
      out += SweptValueText(p.value) + "\t" + Number17(p.dR) + "\t" + Number17(p.dX) + "\t" + Number17(p.x) +
             "\t" + Number17(p.y) + "\t" + std::to_string(p.ier) + "\n";
  }
  return out;
}

}  // namespace veldo

namespace veldo {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Short(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", v);
  return buffer;
}

std::string ParamCaption(const std::string& param, const Units& units) {
  if (param == "f") return "Frequency f [kHz]";
  if (IsProblemPath(param)) {
    const std::string unit = PathUnit(param, units);
    return PathShortName(param) + (unit.empty() ? "" : " [" + unit + "]");
  }
  for (const CaseDef& c : kCases)
    for (const ParamDef& p : c.params)
      if (p.name == param) return S(p.caption);
  return "Swept parameter";
}

}  // namespace

std::string ViewName(ChartView view) {
  switch (view) {
    case ChartView::ImpedancePlane: return "Normalized impedance plane";
    case ChartView::ImpedanceChange: return "Impedance change dR, dX [Ohm]";
    case ChartView::Resistance: return "dR against the swept parameter";
    case ChartView::Inductance: return "Inductance L against the swept parameter";
    case ChartView::Instrument: return "Instrument display";
    case ChartView::Time: return "Time domain: pulsed eddy current";
  }
  return {};
}

ViewTitles TitlesOf(ChartView view, const std::string& param, bool logSweep, const Units& units) {
  std::string swept = ParamCaption(param, units);
  if (logSweep) swept += ", logarithmic";
  switch (view) {
    case ChartView::ImpedancePlane:
      return {"Impedance Plane", "Normalized Resistance", "Normalized Inductive Reactance"};
    case ChartView::ImpedanceChange:
      return {"Impedance Change", "Resistance change dR [Ohm]", "Reactance change dX [Ohm]"};
    case ChartView::Resistance: return {"Resistance Change", swept, "Resistance change dR [Ohm]"};
    case ChartView::Inductance: return {"Inductance", swept, "Inductance L [H]"};
    case ChartView::Instrument: return {"Instrument Display", "Horizontal [X0]", "Vertical [X0]"};
    case ChartView::Time: return {"Time Domain", "Time t [ms], logarithmic", "Voltage |v| [V/A], logarithmic"};
  }
  return {};
}

double Omega(const CurveRecord& r, const CurvePoint& p) {
  if (r.param == "f") return 2 * kPi * p.value * 1000.0;
  return r.L0 != 0 ? r.X0 / r.L0 : 0.0;
}

bool IsLogSweep(const CurveRecord& r) {
  if (r.points.size() < 3) return false;
  for (const CurvePoint& p : r.points)
    if (!(p.value > 0) || !std::isfinite(p.value)) return false;
  const double ratio = r.points[1].value / r.points[0].value;
  if (std::abs(ratio - 1) < 1e-9) return false;
  for (std::size_t i = 2; i < r.points.size(); ++i) {
    // The last point may be To itself, closer than a whole step.
    const double q = r.points[i].value / r.points[i - 1].value;
    if (std::abs(q / ratio - 1) > 1e-6 && i + 1 != r.points.size()) return false;
  }
  return true;
}

bool ViewPoint(const CurveRecord& r, const CurvePoint& p, ChartView view, bool logSweep, double& x, double& y,
               const DisplayTransform* instrument) {
  if (r.transient.has_value() != (view == ChartView::Time)) return false;
  const double along = logSweep ? std::log10(p.value) : p.value;
  switch (view) {
    case ChartView::ImpedancePlane: x = p.x, y = p.y; break;
    case ChartView::ImpedanceChange: x = p.dR, y = p.dX; break;
    case ChartView::Resistance: x = along, y = p.dR; break;
    case ChartView::Inductance: {
      const double omega = Omega(r, p);
      x = along;
      y = omega != 0 ? r.L0 + p.dX / omega : std::numeric_limits<double>::quiet_NaN();
      break;
    }
    case ChartView::Instrument: return DisplayPoint(instrument ? *instrument : DisplayTransform{}, p.dR, p.dX, r.X0, x, y);
    case ChartView::Time:
      if (!(p.value > 0) || p.y == 0) return false;
      x = std::log10(p.value), y = std::log10(std::abs(p.y));
      break;
  }
  return std::isfinite(x) && std::isfinite(y);
}

std::string PointTooltip(const CurveRecord& r, const CurvePoint& p) {
  const std::string status = p.ier == 0 ? std::string("accuracy reached")
                                        : "accuracy not reached (ier = " + std::to_string(p.ier) + ")";
  if (r.transient) return "t = " + Short(p.value) + " ms\nv = " + Short(p.y) + " V/A\n" + status;
  const std::string unit = RecordUnit(r);
  std::string t = r.param + " = " + SweptValueText(p.value) + (unit.empty() ? "" : " " + unit) + "\n";
  t += "x = " + Short(p.x) + ", y = " + Short(p.y) + "\n";
  t += "dR = " + Short(p.dR) + " Ohm, dX = " + Short(p.dX) + " Ohm\n";
  t += "|dZ| = " + Short(std::hypot(p.dR, p.dX)) + " Ohm, phase " + Short(std::atan2(p.dX, p.dR) * 180.0 / kPi) +
       " deg\n";
  return t + status;
}

}  // namespace veldo
