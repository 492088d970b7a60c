// The layered geometries' inputs as texts (a plate under the coil, a tube round it, a rod or
// tube inside it), the names and units of their parameters by path, and the reading of the
// texts into a problem sweep with the window's messages. Plain C++: the input group (Qt) takes a
// snapshot of its widgets into a LayeredForm on the window's thread, the worker reads it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/compute.hpp"
#include "app/problem_sweep.hpp"
#include "app/probe_form.hpp"
#include "app/units.hpp"

namespace veldo {

// The window's case numbers of the layered geometries, after the nine of the case table.
inline constexpr int kLayeredPlateCase = 10;
inline constexpr int kTubeCase = 11;
inline constexpr int kRodCase = 12;
inline constexpr bool IsLayeredCase(int testCase) { return testCase >= kLayeredPlateCase && testCase <= kRodCase; }
Geometry GeometryOfCase(int testCase);
int CaseOfGeometry(Geometry g);
// "plate", "tube", "rod".
std::string_view GeometryName(Geometry g);
std::optional<Geometry> GeometryNamed(std::string_view name);

// One row of the layer table as typed: thickness (the last row's is unbounded and not read),
// conductivity, relative permeability; in the form's units.
using LayerTexts = std::array<std::string, 3>;

struct LayeredForm {
  Geometry geometry = Geometry::Plate;
  Units units;                   // of the lengths (the coil's too) and conductivities typed
  std::string position = "0.1";  // lift-off or radius
  std::string f = "100.0";       // kHz
  std::vector<LayerTexts> layers;
  std::string sweepPath = "lift_off", from = "0.1", to = "1.0", step = "0.1";
  std::string familyPath;  // "": no family
  std::string familyFrom = "0.1", familyTo = "0.5", familyStep = "0.1";
  ProbeTexts probe;  // the probe editor's coils (none: the coil group's coil alone)
};

// The form a layered group starts with: aluminium over steel-like backing for the plate, a
// copper tube round the coil, a brass rod inside it.
LayeredForm DefaultLayeredForm(Geometry g);

// A parameter of a layered problem as the window shows it.
struct PathInfo {
  std::string path;  // "f", "lift_off", "layers.1.sigma", ...
  std::string name;  // "Frequency f", "Layer 2 conductivity", ...
  std::string unit;  // "kHz", "mm", "MS/m", ""
  double factor;     // SI per unit shown
};
// Every parameter a sweep may take for the geometry and number of layers, in the window's
// order: frequency, lift-off or radius, the coil, the layers from the coil's side. With
// `family`, those a family may take (the turns N are a whole number: not a family).
std::vector<PathInfo> SweepablePaths(Geometry g, std::size_t layers, bool family = false, const Units& units = {},
                                     std::size_t coils = 1);
// The unit and SI factor of a path ("mm" and 0.001 for lengths in the default units).
std::string PathUnit(std::string_view path, const Units& units = {});
double PathFactor(std::string_view path, const Units& units = {});
// A short name of a path for labels: "lift-off", "layer 2 sigma", "f".
std::string PathShortName(std::string_view path);
// Whether a text names a path of a layered problem rather than a case parameter ("LO").
bool IsProblemPath(std::string_view param);
// The colour of a curve by its swept path, as the cases colour theirs.
Rgb PathColour(std::string_view path);

// Reads the form and the common fields (coil, accuracy) into a sweep. A field that is not a
// number, a range the sweep checks refuse, or a family that is no parameter ends it with the
// message the window shows (through `out`), and nothing is returned. The problem's own checks
// (layers, fit) are RunProblemSweep's, at every point.
std::optional<ProblemSweep> ReadLayeredForm(const LayeredForm& form, const ComputeInput& common, ComputeOutput& out);

// The label of a curve: the swept path and range as typed, and the family's value.
std::string LayeredLabel(const ProblemSweep& s, const std::string& from, const std::string& to, int familyIndex,
                         const Units& units = {});

// The skin depth and the limit frequency of the layer nearest the coil, as shown beside the inputs:
// "δ = 0.209 mm, f_g = 1.3 kHz" in the form's length unit. The radius of f_g is the coil's mean
// radius (R1 + R2)/2 over a plate (texts `r1`, `r2`), the bore's or the rod's radius in a tube or
// round a rod. A value whose inputs do not read as numbers, or that does not exist (σ = 0), is "—".
std::string FirstLayerScales(const LayeredForm& form, const std::string& r1, const std::string& r2);

}  // namespace veldo
