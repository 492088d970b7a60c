// What a computed curve is besides its line on the chart: the case and inputs it was computed
// from, the air-coil reference, and every point with the model's impedance change and status.
// The window keeps one record per curve; the views, the exports, the clipboard and the session
// files are made from the records. Plain C++: the command-line front end uses it too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/instrument.hpp"
#include "app/output.hpp"
#include "app/problem_sweep.hpp"
#include "app/units.hpp"

namespace veldo {

inline constexpr const char* kProgramName = "VELDO";
inline constexpr const char* kProgramVersion = "1.2";

struct CurvePoint {
  double value = 0;       // swept parameter, in the window's unit
  double dR = 0, dX = 0;  // impedance change, ohms
  double x = 0, y = 0;    // normalised point
  int ier = 0;            // the model's status (0: the requested accuracy was reached)
};

// A curve of a layered geometry as data: the problem with its sweep and family (SI), which of
// the family's values the curve holds, and the units its values and fields were typed in.
struct LayeredCurve {
  ProblemSweep sweep;
  int familyIndex = -1;  // -1: no family
  Units units;
};

// A curve of the time-domain view: the pickup's voltage per ampere after the drive is switched,
// for one value of a layered problem's sweep. Its points hold value = x = t [ms], y = v [V/A] and
// the status of the frequency-domain values behind them; dR and dX are 0.
struct TransientOf {
  std::string waveform;  // "step-off", "pulse 1 ms", "samples (4)"
  double value = 0;      // the swept parameter's value, in the units shown
};

struct CurveRecord {
  int testCase = 0;
  std::string param;  // swept parameter: "LO", "CON1", "f", ...
  std::string label;
  Rgb colour{};
  // The field texts the command read: coil, accuracy, frequency and every row of the case
  // (name, text), in the case table's order.
  std::vector<std::pair<std::string, std::string>> inputs;
  double X0 = 0, L0 = 0;  // coil in air at the first point: ohms, henry
  bool visible = true;
  bool counted = true;  // in the registry (a command that ended on a fault leaves it uncounted)
  std::vector<CurvePoint> points;
  // Set for the curves of a layered geometry (cases 10 to 12): their problem. Their `param` is the
  // swept parameter's path ("layers.0.sigma") and `inputs` the coil's and the group's fields.
  std::optional<LayeredCurve> layered;
  // Set for a curve of the time-domain view (then `layered` holds its problem at that value).
  std::optional<TransientOf> transient;

  // The text of an input field, or "" when the record does not hold it.
  std::string Input(const std::string& name) const;
};

// The unit of a swept parameter of a case ("mm", "MS/m", "kHz", "" for the permeabilities).
std::string ParamUnit(const std::string& param);
// The unit of a record's swept values: its case's, or the units a layered curve was typed in.
std::string RecordUnit(const CurveRecord& r);
// The swept parameter of a case: the first selected row in the command's order (the case's
// parameters, then the frequency), or "".
std::string SelectedParam(int testCase, const std::function<bool(std::string_view)>& isSelected);
// The case's command-line name ("planar1", ...), or "" for a case without a computation.
std::string CaseName(int testCase);

// The record of a command's inputs: case, swept parameter, colour and field texts; label as
// DefaultLabel gives it. `fieldText` returns a field's text by its name.
template <class FieldText>
CurveRecord MakeRecordHead(int testCase, const std::string& param, Rgb colour, FieldText&& fieldText);
// The names of the fields a case's command reads, in the case table's order.
std::vector<std::string> CaseFieldNames(int testCase);
// "LO 0.1 to 1.0 mm": the swept parameter and its range as typed.
std::string DefaultLabel(const CurveRecord& r);
// The fields held fixed, as "name=text unit" items (the frequency and every other row's From).
std::vector<std::string> FixedFields(const CurveRecord& r);
// Those fixed fields whose text differs from the case's default.
std::vector<std::string> ChangedFixedFields(const CurveRecord& r);


// The curves as CSV: a header naming the program and version, then per curve its description in
// '#' lines (case, label, coil, fixed fields, accuracy, L0, X0) and one row per point in the
// front end's columns param,value,dR,dX,x,y,ier. `display`, when not empty, is a line of the
// header: the instrument display's settings while the chart shows it.
std::string CurvesCsv(const std::vector<const CurveRecord*>& curves, const std::string& display = {});
// The curves as tab-separated text for a spreadsheet: per curve a line with its label, a line
// of column names and one line per point; `display` a first line as for CurvesCsv.
std::string CurvesTsv(const std::vector<const CurveRecord*>& curves, const std::string& display = {});

// ---------------------------------------------------------------------------------------------

template <class FieldText>
CurveRecord MakeRecordHead(int testCase, const std::string& param, Rgb colour, FieldText&& fieldText) {
  CurveRecord r;
  r.testCase = testCase;
  r.param = param;
  r.colour = colour;
  for (const std::string& name : CaseFieldNames(testCase)) r.inputs.emplace_back(name, fieldText(name));
  r.label = DefaultLabel(r);
  return r;
}

}  // namespace veldo

namespace veldo {

// What the chart shows of the curves. Switching recomputes nothing: the points come from the
// records.
enum class ChartView {
  ImpedancePlane = 0,   // x = dR/X0, y = (dX + X0)/X0 (normalised)
  ImpedanceChange = 1,  // dR, dX in ohms
  Resistance = 2,       // dR against the swept parameter
  Inductance = 3,       // L = L0 + dX/omega against the swept parameter
  Instrument = 4,       // the instrument's display: nulled, rotated, amplified (app/instrument.hpp)
  Time = 5,             // the transients' |v| against t, both logarithmic (only their curves)
};
inline constexpr int kChartViews = 6;
// Whether a view draws against the swept parameter (its axis may be logarithmic).
inline constexpr bool AgainstSwept(ChartView v) { return v == ChartView::Resistance || v == ChartView::Inductance; }

struct ViewTitles {
  std::string chart, bottom, left;
};
// The titles of a view; `param` is the swept parameter of the curves shown ("" when they differ),
// `units` those of a layered geometry's paths.
ViewTitles TitlesOf(ChartView view, const std::string& param, bool logSweep, const Units& units = {});
// The name of a view in the selector.
std::string ViewName(ChartView view);
// A point of a record in a view; false when the view has no finite point for it. A view
// against the swept parameter of a logarithmic sweep gives log10 of the value; the time-domain
// view log10 t and log10 |v| of a transient's curve (the other views show no transient). The instrument's
// display takes the impedance change through `instrument` in units of the curve's X0 (no
// transform: dR / X0, dX / X0).
bool ViewPoint(const CurveRecord& r, const CurvePoint& p, ChartView view, bool logSweep, double& x, double& y,
               const DisplayTransform* instrument = nullptr);
// Whether the swept values grow by one factor from point to point (a logarithmic sweep).
bool IsLogSweep(const CurveRecord& r);
// The angular frequency of a point: 2 pi f, f the swept value for a frequency sweep, else X0/L0.
double Omega(const CurveRecord& r, const CurvePoint& p);
// The text of a point's tooltip: the swept value with its unit, x, y, dR, dX, |dZ| and its
// phase in degrees, and whether the point reached the requested accuracy.
std::string PointTooltip(const CurveRecord& r, const CurvePoint& p);

}  // namespace veldo
