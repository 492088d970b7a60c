// The case table: every input field the Compute command reads, with its name, caption and
// default text, and per geometry case the parameters in reading/selector order with their
// selectors, From/To/Step fields, curve colours and unit factors. The window builds its input
// groups from it, the command-line front end its options and defaults, the command its reads.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "app/output.hpp"

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

// Unit factors of the case fields (window unit -> SI).
inline constexpr double kFactorKHz = 1000.0;   // kHz -> Hz
inline constexpr double kFactorMm = 0.001;     // mm -> m
inline constexpr double kFactorMSm = 1000000.0;  // MS/m -> S/m
inline constexpr double kFactorNone = 1.0;     // relative permeability: not converted

// Captions shared by every case input group.
inline constexpr std::string_view kCaseGroupCaption = "TEST INPUT";
inline constexpr std::string_view kFrequencyCaption = "Frequency f [KHz] :";
inline constexpr std::array<std::string_view, 3> kColumnCaptions{"From", "To", "Step"};

// ---------------------------------------------------------------------------------------------
// Case parameters

enum class Param { LO, D1, B1, B2, CON1, CON2, MR1, MR2, F };

// The unit of a parameter in the window (the unit its fields are typed in).
constexpr std::string_view ParamUnit(Param p) {
  switch (p) {
    case Param::F: return "kHz";
    case Param::LO:
    case Param::D1:
    case Param::B1:
    case Param::B2: return "mm";
    case Param::CON1:
    case Param::CON2: return "MS/m";
    case Param::MR1:
    case Param::MR2: return "";
  }
  return "";
}

// A Step text ending in this suffix asks for a logarithmic sweep: "10/dec" is ten points per
// decade, From * 10^(i/10) for i = 0, 1, ... up to To.
inline constexpr std::string_view kPerDecadeSuffix = "/dec";

struct ParamDef {
  Param id;
  std::string_view name;      // "LO", "D1", ... (also the front end's column text)
  std::string_view selector;  // radio button, "RBpr1lo"; "RBpr1f" for the frequency row
  std::string_view caption;   // radio button caption
  std::string_view fromField, fromDefault;
  std::string_view toField, toDefault;
  std::string_view stepField, stepDefault;
  Rgb colour;     // of a curve that sweeps this parameter
  double factor;  // window unit -> SI: the parsed value is multiplied by it (1 for MR1, MR2)
};

// Which model a case calls per point (and with which argument shape).
enum class ModelKind {
  None,                      // cases 7, 8: no computation
  PlanarOneLayer,            // LO, CON1, MR1
  PlanarTwoLayers,           // LO, D1, CON1, CON2, MR1, MR2
  CylinderInsideOneLayer,    // B1, CON1, MR1
  CylinderInsideTwoLayers,   // B1, B2, CON1, CON2, MR1, MR2
  CylinderOutsideOneLayer,   // B1, CON1, MR1
  CylinderOutsideTwoLayers,  // B1, B2, CON1, CON2, MR1, MR2
  VerticalCoilHalfSpace,     // LO, CON1, MR1
};

struct CaseDef {
  int testCase;               // 1..9
  std::string_view cliName;   // name of the case on the command line ("" for 7, 8)
  std::string_view group;     // input group box, "GBpr1"
  std::string_view frequencyField, frequencyDefault;  // "" for 7, 8
  std::span<const ParamDef> params;  // reading and selector order (empty for 7, 8)
  ModelKind model;
  // The frequency row as a sweepable parameter: its From field is frequencyField. It is the
  // models' frequency argument, not one of `params`, and its selector is tested after theirs.
  ParamDef frequency{};
};

namespace case_table_detail {

inline constexpr Rgb kFColour = kBlack;
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

// clang-format off
// The frequency rows sweep two decades from the default frequency, ten points per decade.
inline constexpr ParamDef kFPr1 {Param::F, "f", "RBpr1f",  kFrequencyCaption, "Epr1f",  "100.0", "Epr1fb",  "10000.0", "Epr1fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFPr2 {Param::F, "f", "RBpr2f",  kFrequencyCaption, "Epr2f",  "10.0",  "Epr2fb",  "1000.0",  "Epr2fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFId1 {Param::F, "f", "RBid1f",  kFrequencyCaption, "Eid1f",  "10.0",  "Eid1fb",  "1000.0",  "Eid1fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFId2 {Param::F, "f", "RBid2f",  kFrequencyCaption, "Eid2f",  "10.0",  "Eid2fb",  "1000.0",  "Eid2fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFOd1 {Param::F, "f", "RBod1f",  kFrequencyCaption, "Eod1f",  "100.0", "Eod1fb",  "10000.0", "Eod1fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFOd2 {Param::F, "f", "RBod2f",  kFrequencyCaption, "Eod2f",  "100.0", "Eod2fb",  "10000.0", "Eod2fc",  "10/dec", kFColour, kFactorKHz};
inline constexpr ParamDef kFVpr1{Param::F, "f", "RBvpr1f", kFrequencyCaption, "Evpr1f", "100.0", "Evpr1fb", "10000.0", "Evpr1fc", "10/dec", kFColour, kFactorKHz};

inline constexpr std::array<ParamDef, 3> kPr1{{
  {Param::LO,   "LO",   "RBpr1lo",   kCapLO,   "Epr1loa",   "0.1", "Epr1lob",   "1.0",  "Epr1loc",   "0.1", kLoColour,   kFactorMm},
  {Param::CON1, "CON1", "RBpr1con1", kCapCON1, "Epr1con1a", "1.0", "Epr1con1b", "10.0", "Epr1con1c", "1.0", kCon1Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBpr1mr1",  kCapMR1,  "Epr1mr1a",  "1",   "Epr1mr1b",  "10",   "Epr1mr1c",  "1",   kMr1Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 6> kPr2{{
  {Param::LO,   "LO",   "RBpr2lo",   kCapLO,   "Epr2loa",   "0.1",  "Epr2lob",   "1.0",  "Epr2loc",   "0.1", kLoColour,   kFactorMm},
  {Param::D1,   "D1",   "RBpr2d1",   kCapD1,   "Epr2d1a",   "0.1",  "Epr2d1b",   "0.5",  "Epr2d1c",   "0.1", kD1Colour,   kFactorMm},
  {Param::CON1, "CON1", "RBpr2con1", kCapCON1, "Epr2con1a", "10.0", "Epr2con1b", "20.0", "Epr2con1c", "1.0", kCon1Colour, kFactorMSm},
  {Param::CON2, "CON2", "RBpr2con2", kCapCON2, "Epr2con2a", "35.4", "Epr2con2b", "50.0", "Epr2con2c", "5.0", kCon2Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBpr2mr1",  kCapMR1,  "Epr2mr1a",  "1",    "Epr2mr1b",  "10",   "Epr2mr1c",  "1",   kMr1Colour,  kFactorNone},
  {Param::MR2,  "MR2",  "RBpr2mr2",  kCapMR2,  "Epr2mr2a",  "1.0",  "Epr2mr2b",  "10.0", "Epr2mr2c",  "1.0", kMr2Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 3> kId1{{
  {Param::B1,   "B1",   "RBid1b1",   kCapB1,   "Eid1b1a",   "10.0", "Eid1b1b",   "11.0", "Eid1b1c",   "0.1", kB1Colour,   kFactorMm},
  {Param::CON1, "CON1", "RBid1con1", kCapCON1, "Eid1con1a", "10.0", "Eid1con1b", "20.0", "Eid1con1c", "1.0", kCon1Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBid1mr1",  kCapMR1,  "Eid1mr1a",  "1",    "Eid1mr1b",  "10",   "Eid1mr1c",  "1",   kMr1Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 6> kId2{{
  {Param::B1,   "B1",   "RBid2b1",   kCapB1,   "Eid2b1a",   "10.0", "Eid2b1b",   "11.0", "Eid2b1c",   "0.2", kB1Colour,   kFactorMm},
  {Param::B2,   "B2",   "RBid2b2",   kCapB2,   "Eid2b2a",   "12.0", "Eid2b2b",   "14.0", "Eid2b2c",   "0.5", kB2Colour,   kFactorMm},
  {Param::CON1, "CON1", "RBid2con1", kCapCON1, "Eid2con1a", "10",   "Eid2con1b", "20",   "Eid2con1c", "5",   kCon1Colour, kFactorMSm},
  {Param::CON2, "CON2", "RBid2con2", kCapCON2, "Eid2con2a", "35.4", "Eid2con2b", "50.0", "Eid2con2c", "5.0", kCon2Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBid2mr1",  kCapMR1,  "Eid2mr1a",  "1",    "Eid2mr1b",  "100",  "Eid2mr1c",  "10",  kMr1Colour,  kFactorNone},
  {Param::MR2,  "MR2",  "RBid2mr2",  kCapMR2,  "Eid2mr2a",  "1.0",  "Eid2mr2b",  "10.0", "Eid2mr2c",  "1.0", kMr2Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 3> kOd1{{
  {Param::B1,   "B1",   "RBod1b1",   kCapB1,   "Eod1b1a",   "9",   "Eod1b1b",   "9.8", "Eod1b1c",   "0.1", kB1Colour,   kFactorMm},
  {Param::CON1, "CON1", "RBod1con1", kCapCON1, "Eod1con1a", "1.0", "Eod1con1b", "2.0", "Eod1con1c", "0.1", kCon1Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBod1mr1",  kCapMR1,  "Eod1mr1a",  "1",   "Eod1mr1b",  "50",  "Eod1mr1c",  "5",   kMr1Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 6> kOd2{{
  {Param::B1,   "B1",   "RBod2b1",   kCapB1,   "Eod2b1a",   "10",   "Eod2b1b",   "10.5", "Eod2b1c",   "0.1", kB1Colour,   kFactorMm},
  {Param::B2,   "B2",   "RBod2b2",   kCapB2,   "Eod2b2a",   "9",    "Eod2b2b",   "9.5",  "Eod2b2c",   "0.1", kB2Colour,   kFactorMm},
  {Param::CON1, "CON1", "RBod2con1", kCapCON1, "Eod2con1a", "1",    "Eod2con1b", "2",    "Eod2con1c", "0.1", kCon1Colour, kFactorMSm},
  {Param::CON2, "CON2", "RBod2con2", kCapCON2, "Eod2con2a", "35.4", "Eod2con2b", "50.0", "Eod2con2c", "5.0", kCon2Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBod2mr1",  kCapMR1,  "Eod2mr1a",  "1",    "Eod2mr1b",  "10",   "Eod2mr1c",  "1",   kMr1Colour,  kFactorNone},
  {Param::MR2,  "MR2",  "RBod2mr2",  kCapMR2,  "Eod2mr2a",  "1.0",  "Eod2mr2b",  "10.0", "Eod2mr2c",  "1.0", kMr2Colour,  kFactorNone},
}};

inline constexpr std::array<ParamDef, 3> kVpr1{{
  {Param::LO,   "LO",   "RBvpr1lo",   kCapLO,   "Evpr1loa",   "0.1", "Evpr1lob",   "1.0",  "Evpr1loc",   "0.1", kLoColour,   kFactorMm},
  {Param::CON1, "CON1", "RBvpr1con1", kCapCON1, "Evpr1con1a", "1.0", "Evpr1con1b", "10.0", "Evpr1con1c", "1.0", kCon1Colour, kFactorMSm},
  {Param::MR1,  "MR1",  "RBvpr1mr1",  kCapMR1,  "Evpr1mr1a",  "1",   "Evpr1mr1b",  "10",   "Evpr1mr1c",  "1",   kMr1Colour,  kFactorNone},
}};
// clang-format on

}  // namespace case_table_detail

// All nine cases in TestCase order; 7 and 8 (the sphere groups) carry no computation.
inline constexpr std::array<CaseDef, 9> kCases{{
    {1, "planar1", "GBpr1", "Epr1f", "100.0", case_table_detail::kPr1, ModelKind::PlanarOneLayer,
     case_table_detail::kFPr1},
    {2, "planar2", "GBpr2", "Epr2f", "10.0", case_table_detail::kPr2, ModelKind::PlanarTwoLayers,
     case_table_detail::kFPr2},
    {3, "bore1", "GBid1", "Eid1f", "10.0", case_table_detail::kId1,
     ModelKind::CylinderInsideOneLayer, case_table_detail::kFId1},
    {4, "bore2", "GBid2", "Eid2f", "10.0", case_table_detail::kId2,
     ModelKind::CylinderInsideTwoLayers, case_table_detail::kFId2},
    {5, "rod1", "GBod1", "Eod1f", "100.0", case_table_detail::kOd1,
     ModelKind::CylinderOutsideOneLayer, case_table_detail::kFOd1},
    {6, "rod2", "GBod2", "Eod2f", "100.0", case_table_detail::kOd2,
     ModelKind::CylinderOutsideTwoLayers, case_table_detail::kFOd2},
    {7, "", "GBsp1", "", "", {}, ModelKind::None, {}},
    {8, "", "GBsp2", "", "", {}, ModelKind::None, {}},
    {9, "vertical", "GBvpr1", "Evpr1f", "100.0", case_table_detail::kVpr1,
     ModelKind::VerticalCoilHalfSpace, case_table_detail::kFVpr1},
}};

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
