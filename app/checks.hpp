// The input checks the Compute command and the batch evaluations share: the coil, the geometry of
// a case at one set of working values, and their messages.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "app/case_table.hpp"

namespace veldo {

inline constexpr std::string_view kNegativeDataMessage = "Check for negative data values";
inline constexpr std::string_view kCoilRadiusMessage =
    "Check the coil: the inner radius R1 must not be negative";
inline constexpr std::string_view kCoilRadiiMessage =
    "Check the coil: the inner radius R1 must be smaller than the outer radius R2";
inline constexpr std::string_view kCoilHeightMessage =
    "Check the coil: the height L must be greater than 0";
inline constexpr std::string_view kCoilTurnsMessage =
    "Check the coil: the number of wire turns N must be at least 1";
inline constexpr std::string_view kRodMessage =
    "Check the geometry: the rod must fit inside the coil (B1 <= R1)";
inline constexpr std::string_view kBoreMessage =
    "Check the geometry: the coil must fit inside the bore (B1 >= R2)";
inline constexpr std::string_view kBoreLayerMessage =
    "Check the geometry: the layer interface must lie inside the conductor (B2 >= B1)";
inline constexpr std::string_view kRodLayerMessage =
    "Check the geometry: the layer interface must lie inside the rod (B2 <= B1)";

// The ranges of physics the models are made for, checked before any work:
//  - lengths up to 10 m, a winding at least 0.1 um high and wide, and a rod's radius 0 or at
//    least 1 pm: beyond, a turns density N^2 / (L^2 (R2 - R1)^2), a coil factor or the rod's
//    Bessel functions of k B1 leave the range of a double, and no coil of wire is that small, no
//    rod thinner than an atom or a test set-up that large;
//  - a layer 0 or at least 1 nm thick: a film of a few atoms has no bulk conductivity, and below
//    it the layer's round trip exp(-2 alpha d) rounds to 1 and its effect to noise;
//  - frequencies up to 1 GHz: the models are quasi-static (no displacement current, no wave
//    travelling along the winding), which a free-space wavelength of 30 cm still allows for the
//    millimetre coils of high-frequency probes, and nothing above;
//  - conductivities up to 1e11 S/m: the purest metals near absolute zero (copper, aluminium of
//    residual resistance ratio in the thousands) reach about that; superconductors are outside;
//  - relative permeabilities from 1e-3 to 1e6: the most permeable alloys (annealed nickel-iron,
//    amorphous metals) stay below the upper bound; the most diamagnetic materials (bismuth,
//    pyrolytic graphite) stay above 0.999, and only a superconductor, outside the models, goes
//    to 0, where the non-conducting kernel divides by mur.
inline constexpr double kMinRodRadius = 1e-12;          // m, of a rod that is not 0
inline constexpr double kMinLayerThickness = 1e-9;      // m, of a layer that is not 0
inline constexpr double kMaxLength = 10.0;              // m
inline constexpr double kMinWinding = 1e-7;             // m
inline constexpr double kMaxFrequency = 1e9;            // Hz
inline constexpr double kMaxConductivity = 1e11;        // S/m
inline constexpr double kMinRelativePermeability = 1e-3;
inline constexpr double kMaxRelativePermeability = 1e6;

inline constexpr std::string_view kLengthRangeMessage =
    "Check the dimensions: every length must be at most 10 m";
inline constexpr std::string_view kRodRadiusRangeMessage =
    "Check the geometry: the rod's radius must be 0 or at least 1e-12 m";
inline constexpr std::string_view kLayerThicknessRangeMessage =
    "Check the layer: its thickness must be 0 or at least 1e-9 m (a film of a few atoms)";
inline constexpr std::string_view kWindingRangeMessage =
    "Check the coil: its height L and its width R2 - R1 must be at least 0.0001 mm";
inline constexpr std::string_view kFrequencyRangeMessage =
    "Check the frequency: it must be at most 1 GHz (the models are quasi-static)";
inline constexpr std::string_view kConductivityRangeMessage =
    "Check the conductivity: it must be at most 1e11 S/m (the purest metals near absolute zero)";
inline constexpr std::string_view kPermeabilityRangeMessage =
    "Check the relative permeability: it must be from 0.001 to 1e6 (the most permeable alloys)";

// A winding the models can describe has 0 <= R1 < R2, L > 0 and N >= 1 (lengths in metres): the
// message naming the first condition violated, or nothing. A degenerate cross-section (R1 = R2,
// L = 0) divides by zero in the turns density; swapped radii integrate a winding of negative
// area, and N = 0 is no coil.
// Then it must lie in the ranges above.
std::optional<std::string_view> CoilRefusal(int N, double R1, double R2, double L);

// A frequency, conductivity or relative permeability outside the ranges above (or not a number),
// or nothing.
std::optional<std::string_view> FrequencyRefusal(double f);
std::optional<std::string_view> LengthRefusal(double length);
std::optional<std::string_view> RodRadiusRefusal(double radius);
std::optional<std::string_view> LayerThicknessRefusal(double thickness);
std::optional<std::string_view> MaterialRefusal(double sigma, double mur);

// A point of a case (SI) whose frequency or case parameters leave the ranges above, or nothing;
// the coil is taken as accepted by CoilRefusal.
std::optional<std::string_view> RangeRefusal(const CasePoint& p);

// Geometry the models cannot describe at one set of working values `v` (SI, the case's
// parameters in table order): the message naming the violated condition, or nothing. Beyond
// these limits the model integrals diverge and their cut-offs would return a meaningless finite
// number. The coil is taken as accepted by CoilRefusal, so the checks hold for the whole winding.
std::optional<std::string_view> GeometryRefusal(ModelKind model, double R1, double R2,
                                                const std::array<double, 6>& v);

}  // namespace veldo
