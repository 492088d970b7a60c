#include "app/units.hpp"

#include <cmath>
#include <limits>

#include "app/case_table.hpp"
#include "models/model_driver.hpp"  // kMu0

namespace veldo {

namespace {

constexpr double kPi = 3.14159265358979323846;
using models_detail::kMu0;
// 100 %IACS, the International Annealed Copper Standard, is 58.0 MS/m.
constexpr double kFactorIACS = 0.58e6;
constexpr double kFactorMil = 25.4e-6;
constexpr double kFactorInch = 25.4e-3;

bool Positive(double v) { return std::isfinite(v) && v > 0; }

// 1/q for the products below, nothing when q left the normal range (1/q would overflow).
std::optional<double> Reciprocal(double q) {
  if (!(q >= std::numeric_limits<double>::min()) || !std::isfinite(q)) return std::nullopt;
  return 1 / q;
}

}  // namespace

double Factor(LengthUnit u) {
  return u == LengthUnit::Mil ? kFactorMil : u == LengthUnit::In ? kFactorInch : kFactorMm;
}
double Factor(ConductivityUnit u) { return u == ConductivityUnit::IACS ? kFactorIACS : kFactorMSm; }

std::string_view Symbol(LengthUnit u) { return u == LengthUnit::Mil ? "mil" : u == LengthUnit::In ? "in" : "mm"; }
std::string_view Symbol(ConductivityUnit u) { return u == ConductivityUnit::IACS ? "%IACS" : "MS/m"; }

std::optional<LengthUnit> LengthUnitNamed(std::string_view name) {
  for (LengthUnit u : {LengthUnit::Mm, LengthUnit::Mil, LengthUnit::In})
    if (Symbol(u) == name) return u;
  return std::nullopt;
}

std::optional<ConductivityUnit> ConductivityUnitNamed(std::string_view name) {
  for (ConductivityUnit u : {ConductivityUnit::MSm, ConductivityUnit::IACS})
    if (Symbol(u) == name) return u;
  return std::nullopt;
}

std::optional<double> SkinDepth(double f, double sigma, double mur) {
  if (!Positive(f) || !Positive(sigma) || !Positive(mur)) return std::nullopt;
  const double q = kPi * f * kMu0 * mur * sigma;
  if (!(q >= std::numeric_limits<double>::min()) || !std::isfinite(q)) return std::nullopt;
  return 1 / std::sqrt(q);
}

std::optional<double> LimitFrequency(double sigma, double mur, double r) {
  if (!Positive(sigma) || !Positive(mur) || !Positive(r)) return std::nullopt;
  return Reciprocal(2 * kPi * kMu0 * mur * sigma * r * r);
}

}  // namespace veldo
