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

// A winding the models can describe has 0 <= R1 < R2, L > 0 and N >= 1 (lengths in metres): the
// message naming the first condition violated, or nothing. A degenerate cross-section (R1 = R2,
// L = 0) divides by zero in the turns density; swapped radii integrate a winding of negative
// area, and N = 0 is no coil.
std::optional<std::string_view> CoilRefusal(int N, double R1, double R2, double L);

// Geometry the models cannot describe at one set of working values `v` (SI, the case's
// parameters in table order): the message naming the violated condition, or nothing. Beyond
// these limits the model integrals diverge and their cut-offs would return a meaningless finite
// number. The coil is taken as accepted by CoilRefusal, so the checks hold for the whole winding.
std::optional<std::string_view> GeometryRefusal(ModelKind model, double R1, double R2,
                                                const std::array<double, 6>& v);

}  // namespace veldo
