// The case table: every input field the Compute command reads, with its caption and default
// text, and per geometry case its parameters in reading/selector order with their units, curve
// colours and defaults, and the model that builds the problem a point evaluates. The widget names
// follow from the case's prefix and each row's stem. The window builds its input groups from the
// table, the command-line front end its options, the Python package its case functions, the
// session its members, the command its reads.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <compare>
#include <span>
#include <string_view>

#include "app/output.hpp"
#include "models/presets.hpp"

namespace veldo {

// ---------------------------------------------------------------------------------------------
// Common fields (read by every computation, in this order)

struct CommonField {
  std::string_view name;          // edit field
  std::string_view groupCaption;  // group box it stands in
  std::string_view caption;       // label beside it
  std::string_view defaultText;
};

inline constexpr std::array<CommonField, 5> kCommonFields{{
    {"Editacc", "COMPUTATION INPUT", "Computation accuracy [%]", "0.01"},
    {"Editr1", "COIL INPUT", "Inner radius R1 [mm] :", "2.0"},
    {"Editr2", "COIL INPUT", "Outer radius R2 [mm] :", "4.0"},
    {"Editl", "COIL INPUT", "Height L [mm] :", "1.0"},
    {"EditN", "COIL INPUT", "Wire turns N :", "200"},
}};

// Indices into kCommonFields.
inline constexpr int kFieldAcc = 0, kFieldR1 = 1, kFieldR2 = 2, kFieldL = 3, kFieldN = 4;

// Units of the case fields: the symbol the window shows and the factor from that unit to SI.
struct Unit {
  std::string_view symbol;
  double factor;  // window unit -> SI: a parsed value is multiplied by it
};
inline constexpr Unit kKHz{"kHz", 1000.0};
inline constexpr Unit kMm{"mm", 0.001};
inline constexpr Unit kMSm{"MS/m", 1000000.0};
inline constexpr Unit kNoUnit{"", 1.0};  // relative permeability: not converted

inline constexpr double kFactorKHz = kKHz.factor;
inline constexpr double kFactorMm = kMm.factor;
inline constexpr double kFactorMSm = kMSm.factor;
inline constexpr double kFactorNone = kNoUnit.factor;

// Captions shared by every case input group.
inline constexpr std::string_view kCaseGroupCaption = "TEST INPUT";
inline constexpr std::string_view kFrequencyCaption = "Frequency f [KHz] :";
inline constexpr std::array<std::string_view, 3> kColumnCaptions{"From", "To", "Step"};

// ---------------------------------------------------------------------------------------------
// Case parameters

enum class Param { LO, D1, B1, B2, CON1, CON2, MR1, MR2, F };

// A Step text ending in this suffix asks for a logarithmic sweep: "10/dec" is ten points per
// decade, From * 10^(i/10) for i = 0, 1, ... up to To.
inline constexpr std::string_view kPerDecadeSuffix = "/dec";

// The name of a window field or selector, made from the window's naming pattern when the table
// is compiled and kept in the table's own storage (so a view of it lives as long as the table).
class WidgetName {
public:
  constexpr WidgetName() = default;
  constexpr WidgetName(std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
      for (char c : part) text_[size_++] = c;  // a name too long for the array does not compile
  }
  constexpr operator std::string_view() const { return {text_.data(), size_}; }
  constexpr std::string_view view() const { return *this; }
  constexpr bool empty() const { return size_ == 0; }
  friend constexpr bool operator==(const WidgetName& a, std::string_view b) { return a.view() == b; }
  friend std::ostream& operator<<(std::ostream& os, const WidgetName& n) { return os << n.view(); }

private:
  std::array<char, 24> text_{};
  std::size_t size_ = 0;
};

// One sweepable row of a case group. Its widgets are named after the case prefix ("pr1") and the
// row's stem ("lo"): the selector "RB" + prefix + stem, the From, To and Step fields "E" + prefix
// + stem + "a", "b", "c" (the frequency row: "E" + prefix + "f", "fb", "fc").
struct ParamDef {
  Param id;
  std::string_view name;     // "LO", "D1", ... (also the front end's column text)
  std::string_view caption;  // radio button caption
  std::string_view fromDefault, toDefault, stepDefault;
  Rgb colour;  // of a curve that sweeps this parameter
  Unit unit;   // the unit its fields are typed in
  WidgetName selector, fromField, toField, stepField;
};

// Which model a case calls per point, and how its parameters build the problem it evaluates.
using ModelKind = PresetKind;

struct CaseDef {
  int testCase;              // 1..9
  std::string_view cliName;  // name of the case on the command line ("" for 7, 8)
  std::string_view prefix;   // of its widget names: "pr1", "id2", ...
  std::string_view summary;  // what the case is, in a line (the Python function's first line)
  std::string_view frequencyDefault;  // "" for 7, 8
  std::span<const ParamDef> params;   // reading and selector order (empty for 7, 8)
  ModelKind model;
  // The frequency row as a sweepable parameter: its From field is frequencyField. It is the
  // models' frequency argument, not one of `params`, and its selector is tested after theirs.
  ParamDef frequency{};
  WidgetName group{}, frequencyField{};
};

namespace case_table_detail {

// A row of case `prefix`, its widget names made from the pattern.
constexpr ParamDef Row(std::string_view prefix, Param id, std::string_view name, std::string_view stem,
                       std::string_view caption, std::string_view from, std::string_view to,
                       std::string_view step, Rgb colour, Unit unit) {
  return ParamDef{id,
                  name,
                  caption,
                  from,
                  to,
                  step,
                  colour,
                  unit,
                  WidgetName{"RB", prefix, stem},
                  WidgetName{"E", prefix, stem, "a"},
                  WidgetName{"E", prefix, stem, "b"},
                  WidgetName{"E", prefix, stem, "c"}};
}

// The frequency row sweeps two decades from the default frequency, ten points per decade.
constexpr ParamDef FrequencyRow(std::string_view prefix, std::string_view from, std::string_view to) {
  return ParamDef{Param::F,
                  "f",
                  kFrequencyCaption,
                  from,
                  to,
                  "10/dec",
                  kBlack,
                  kKHz,
                  WidgetName{"RB", prefix, "f"},
                  WidgetName{"E", prefix, "f"},
                  WidgetName{"E", prefix, "fb"},
                  WidgetName{"E", prefix, "fc"}};
}

inline constexpr Rgb kLoColour = kBlue, kB1Colour = kBlue, kD1Colour = kYellow,
                     kB2Colour = kYellow, kCon1Colour = kRed, kCon2Colour = kFuchsia,
                     kMr1Colour = kGreen, kMr2Colour = kAqua;

inline constexpr std::string_view kCapLO = "Lift-off LO [mm]";
inline constexpr std::string_view kCapD1 = "Layer thickness D1 [mm]";
inline constexpr std::string_view kCapB1 = "Layer radius B1 [mm]";
inline constexpr std::string_view kCapB2 = "Layer radius B2 [mm]";
inline constexpr std::string_view kCapCON1 = "Conductivity CON1 [MS/m]";
inline constexpr std::string_view kCapCON2 = "Conductivity CON2 [MS/m]";
inline constexpr std::string_view kCapMR1 = "Rel.magn.permeability MR1";
inline constexpr std::string_view kCapMR2 = "Rel.magn.permeability MR2";

// Every parameter has one colour and one unit in every case.
constexpr ParamDef LO(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::LO, "LO", "lo", kCapLO, a, b, s, kLoColour, kMm); }
constexpr ParamDef D1(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::D1, "D1", "d1", kCapD1, a, b, s, kD1Colour, kMm); }
constexpr ParamDef B1(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::B1, "B1", "b1", kCapB1, a, b, s, kB1Colour, kMm); }
constexpr ParamDef B2(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::B2, "B2", "b2", kCapB2, a, b, s, kB2Colour, kMm); }
constexpr ParamDef CON1(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::CON1, "CON1", "con1", kCapCON1, a, b, s, kCon1Colour, kMSm); }
constexpr ParamDef CON2(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::CON2, "CON2", "con2", kCapCON2, a, b, s, kCon2Colour, kMSm); }
constexpr ParamDef MR1(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::MR1, "MR1", "mr1", kCapMR1, a, b, s, kMr1Colour, kNoUnit); }
constexpr ParamDef MR2(std::string_view c, std::string_view a, std::string_view b, std::string_view s) { return Row(c, Param::MR2, "MR2", "mr2", kCapMR2, a, b, s, kMr2Colour, kNoUnit); }

// clang-format off
inline constexpr std::array<ParamDef, 3> kPr1{{LO("pr1", "0.1", "1.0", "0.1"), CON1("pr1", "1.0", "10.0", "1.0"), MR1("pr1", "1", "10", "1")}};
inline constexpr std::array<ParamDef, 6> kPr2{{LO("pr2", "0.1", "1.0", "0.1"), D1("pr2", "0.1", "0.5", "0.1"), CON1("pr2", "10.0", "20.0", "1.0"),
                                               CON2("pr2", "35.4", "50.0", "5.0"), MR1("pr2", "1", "10", "1"), MR2("pr2", "1.0", "10.0", "1.0")}};
inline constexpr std::array<ParamDef, 3> kId1{{B1("id1", "10.0", "11.0", "0.1"), CON1("id1", "10.0", "20.0", "1.0"), MR1("id1", "1", "10", "1")}};
inline constexpr std::array<ParamDef, 6> kId2{{B1("id2", "10.0", "11.0", "0.2"), B2("id2", "12.0", "14.0", "0.5"), CON1("id2", "10", "20", "5"),
                                               CON2("id2", "35.4", "50.0", "5.0"), MR1("id2", "1", "100", "10"), MR2("id2", "1.0", "10.0", "1.0")}};
inline constexpr std::array<ParamDef, 3> kOd1{{B1("od1", "9", "9.8", "0.1"), CON1("od1", "1.0", "2.0", "0.1"), MR1("od1", "1", "50", "5")}};
inline constexpr std::array<ParamDef, 6> kOd2{{B1("od2", "10", "10.5", "0.1"), B2("od2", "9", "9.5", "0.1"), CON1("od2", "1", "2", "0.1"),
                                               CON2("od2", "35.4", "50.0", "5.0"), MR1("od2", "1", "10", "1"), MR2("od2", "1.0", "10.0", "1.0")}};
inline constexpr std::array<ParamDef, 3> kVpr1{{LO("vpr1", "0.1", "1.0", "0.1"), CON1("vpr1", "1.0", "10.0", "1.0"), MR1("vpr1", "1", "10", "1")}};
// clang-format on

// A case with a computation: its group "GB" + prefix and frequency field "E" + prefix + "f".
constexpr CaseDef Case(int testCase, std::string_view cliName, std::string_view prefix, std::string_view summary,
                       std::string_view fDefault, std::string_view fTo, std::span<const ParamDef> params,
                       ModelKind model) {
  return CaseDef{testCase, cliName, prefix, summary, fDefault, params, model, FrequencyRow(prefix, fDefault, fTo),
                 WidgetName{"GB", prefix}, WidgetName{"E", prefix, "f"}};
}

// The sphere groups: a group box and no computation.
constexpr CaseDef NoComputation(int testCase, std::string_view prefix) {
  return CaseDef{testCase, "", prefix, "", "", {}, ModelKind::None, {}, WidgetName{"GB", prefix}, {}};
}

}  // namespace case_table_detail

// All nine cases in TestCase order; 7 and 8 (the sphere groups) carry no computation.
inline constexpr std::array<CaseDef, 9> kCases{{
    case_table_detail::Case(1, "planar1", "pr1", "Coil above a half-space of material 1", "100.0", "10000.0",
                            case_table_detail::kPr1, ModelKind::PlanarOneLayer),
    case_table_detail::Case(2, "planar2", "pr2",
                            "Coil above a layer of thickness D1 (material 1) on a half-space of material 2", "10.0",
                            "1000.0", case_table_detail::kPr2, ModelKind::PlanarTwoLayers),
    case_table_detail::Case(3, "bore1", "id1", "Coil coaxial inside a bore of radius B1 >= R2 in material 1", "10.0",
                            "1000.0", case_table_detail::kId1, ModelKind::CylinderInsideOneLayer),
    case_table_detail::Case(4, "bore2", "id2",
                            "Coil inside a bore of radius B1: material 1 between B1 and B2 >= B1, material 2 "
                            "outside B2",
                            "10.0", "1000.0", case_table_detail::kId2, ModelKind::CylinderInsideTwoLayers),
    case_table_detail::Case(5, "rod1", "od1", "Coil round a rod of radius B1 <= R1 of material 1", "100.0", "10000.0",
                            case_table_detail::kOd1, ModelKind::CylinderOutsideOneLayer),
    case_table_detail::Case(6, "rod2", "od2",
                            "Coil round a rod of radius B1 <= R1: a shell of material 1 between B2 <= B1 and B1, "
                            "a core of material 2 inside B2",
                            "100.0", "10000.0", case_table_detail::kOd2, ModelKind::CylinderOutsideTwoLayers),
    case_table_detail::NoComputation(7, "sp1"),
    case_table_detail::NoComputation(8, "sp2"),
    case_table_detail::Case(9, "vertical", "vpr1",
                            "Coil with its axis parallel to the surface of a half-space; LO is the lift-off of the "
                            "outermost turns (the axis at height R2 + LO)",
                            "100.0", "10000.0", case_table_detail::kVpr1, ModelKind::VerticalCoilHalfSpace),
}};

// The unit of a parameter in the window (the unit its fields are typed in).
constexpr std::string_view ParamUnit(Param p) {
  if (p == Param::F) return kKHz.symbol;
  for (const CaseDef& c : kCases)
    for (const ParamDef& q : c.params)
      if (q.id == p) return q.unit.symbol;
  return "";
}

// One point of a case: its model, the coil (N, R1, R2, L), the frequency and the case's
// parameters in its table order, all in SI units.
struct CasePoint {
  ModelKind model = ModelKind::None;
  int N = 0;
  double R1 = 0, R2 = 0, L = 0, f = 0;
  std::array<double, 6> params{};  // the entries past the case's count are not read

  std::span<const double> Params() const {
    return {params.data(), static_cast<std::size_t>(PresetParamCount(model))};
  }
  friend bool operator==(const CasePoint&, const CasePoint&) = default;
  friend auto operator<=>(const CasePoint&, const CasePoint&) = default;
};

struct Problem;

// The problem a case point evaluates.
Problem CaseProblem(const CasePoint& point);

// The case of a TestCase value, or nullptr outside 1..9.
constexpr const CaseDef* FindCase(int testCase) {
  if (testCase < 1 || testCase > static_cast<int>(kCases.size())) return nullptr;
  return &kCases[static_cast<std::size_t>(testCase - 1)];
}

// Index of a parameter in a case's list, or -1 when the case does not have it.
constexpr int ParamIndex(const CaseDef& c, Param p) {
  for (std::size_t i = 0; i < c.params.size(); ++i)
    if (c.params[i].id == p) return static_cast<int>(i);
  return -1;
}

}  // namespace veldo
