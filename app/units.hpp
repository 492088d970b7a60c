// The units a user types the layered geometries in, chosen once: lengths in millimetres, mils or
// inches, conductivities in MS/m or %IACS (100 %IACS, annealed copper, is 58.0 MS/m). The window's
// units (mm, MS/m) are the default. The seven cases keep their own units whatever is chosen.
// Also the material's scales shown beside the inputs: the skin depth and the limit frequency.
#pragma once

#include <optional>
#include <string_view>

namespace veldo {

enum class LengthUnit { Mm, Mil, In };
enum class ConductivityUnit { MSm, IACS };

struct Units {
  LengthUnit length = LengthUnit::Mm;
  ConductivityUnit conductivity = ConductivityUnit::MSm;
  bool operator==(const Units&) const = default;
};

// SI per unit: metres per mm, mil, inch; S/m per MS/m, %IACS.
double Factor(LengthUnit u);
double Factor(ConductivityUnit u);
// "mm", "mil", "in"; "MS/m", "%IACS": the symbols shown and the names veldo-cli and sessions use.
std::string_view Symbol(LengthUnit u);
std::string_view Symbol(ConductivityUnit u);
std::optional<LengthUnit> LengthUnitNamed(std::string_view name);
std::optional<ConductivityUnit> ConductivityUnitNamed(std::string_view name);

// The standard depth of penetration delta = 1/sqrt(pi f mu0 mur sigma) [m] at f [Hz], sigma [S/m];
// nothing unless f, sigma and mur are finite and above 0 (no penetration depth then).
std::optional<double> SkinDepth(double f, double sigma, double mur);
// The limit frequency f_g = 1/(2 pi mu0 mur sigma r^2) [Hz] of a conductor of radius r [m], at which
// the skin depth is sqrt(2) r; nothing unless sigma, mur and r are finite and above 0.
std::optional<double> LimitFrequency(double sigma, double mur, double r);

}  // namespace veldo
