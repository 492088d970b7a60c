#include "app/instrument.hpp"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/problem_sweep.hpp"

namespace veldo {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Gain(double dB) { return std::pow(10.0, dB / 20.0); }

std::string Short(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", v);
  return buffer;
}

}  // namespace

DisplayTransform MakeTransform(double dR0, double dX0, double angleDegrees, double gainHdB, double gainVdB) {
  return {dR0, dX0, angleDegrees * kPi / 180.0, Gain(gainHdB), Gain(gainVdB)};
}

bool DisplayPoint(const DisplayTransform& t, double dR, double dX, double X0, double& u, double& v) {
  const double a = (dR - t.dR0) / X0, b = (dX - t.dX0) / X0;
  const double c = std::cos(t.angle), s = std::sin(t.angle);
  u = t.gh * (c * a - s * b);
  v = t.gv * (s * a + c * b);
  return std::isfinite(u) && std::isfinite(v);
}

double LiftOffAngle(double dRdh, double dXdh) {
  double a = 180.0 - std::atan2(dXdh, dRdh) * 180.0 / kPi;
  if (a > 180.0) a -= 360.0;
  return a;
}

LiftOffSlope LiftOffDirection(const ProblemSweep& s, int familyIndex) {
  LiftOffSlope slope;
  const WiringTerms wiring = TermsOf(s.wiring, s.problem.probe);
  if (wiring.refusal) return slope.refusal = wiring.refusal, slope;
  Problem base = s.problem;
  auto set = [&](const std::string& path, double value) {
    if (int* n = CoilTurns(base, path)) *n = static_cast<int>(value);
    else if (double* p = Parameter(base, path)) *p = value;
  };
  if (!s.path.empty() && s.range.count > 0) set(s.path, s.range.Value(0));
  if (!s.family.empty() && familyIndex >= 0 && familyIndex < static_cast<int>(s.familyValues.size()))
    set(s.family, s.familyValues[static_cast<std::size_t>(familyIndex)]);
  const Coil& drive = base.probe.coils.at(wiring.terms.front().drive);
  const double h = 0.02 * drive.R2;
  const double sign = base.conductor.geometry == Geometry::Rod ? -1.0 : 1.0;  // a rod's gap grows as it thins
  std::vector<Problem> points(3, base);
  for (int i = 0; i < 3; ++i) points[static_cast<std::size_t>(i)].conductor.position += sign * i * h;
  for (const Problem& p : points)
    if (auto refusal = ProblemRefusal(p)) return slope.refusal = refusal, slope;
  std::vector<Impedance> z(3);
  const std::vector<Refusal> faults = EvaluateReadings(points, wiring.terms, std::min(s.Acc, 1e-6), z);
  if (!faults.empty()) return slope.refusal = faults.front().message, slope;
  slope.dR = (-3 * z[0].dR + 4 * z[1].dR - z[2].dR) / (2 * h);
  slope.dX = (-3 * z[0].dX + 4 * z[1].dX - z[2].dX) / (2 * h);
  return slope;
}

std::string InstrumentDescription(const InstrumentSettings& s, double angleDegrees) {
  std::string t = s.null == NullAt::Air ? "null in air" : "null at the first point of curve " + std::to_string(s.curve + 1);
  t += "; rotation " + Short(angleDegrees) + " deg";
  t += s.rotation == RotationFrom::LiftOff ? " (lift-off of curve " + std::to_string(s.curve + 1) + " horizontal)" : " (typed)";
  t += "; gain H " + Short(s.gainH) + " dB, V " + Short(s.gainV) + " dB";
  return t;
}

std::string InstrumentToJson(const InstrumentSettings& s) {
  const nlohmann::json j = {{"null", s.null == NullAt::Air ? "air" : "curve-start"},
                            {"curve", s.curve},
                            {"rotation", s.rotation == RotationFrom::LiftOff ? "lift-off" : "typed"},
                            {"angle", s.angle},
                            {"gain_h", s.gainH},
                            {"gain_v", s.gainV}};
  return j.dump();
}

std::optional<InstrumentSettings> InstrumentFromJson(std::string_view text, std::string& error) {
  const nlohmann::json j = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  error.clear();
  if (!j.is_object()) return error = "instrument: an object is required", std::nullopt;
  InstrumentSettings s;
  auto text_of = [&](const char* name, const char* a, const char* b) -> std::optional<bool> {
    const auto it = j.find(name);
    if (it == j.end() || !it->is_string() || (*it != a && *it != b)) {
      error = std::string("instrument.") + name + ": \"" + a + "\" or \"" + b + "\" is required";
      return std::nullopt;
    }
    return *it == a;
  };
  auto number = [&](const char* name, double& v) {
    const auto it = j.find(name);
    if (it == j.end() || !it->is_number() || !std::isfinite(it->get<double>()))
      return error = std::string("instrument.") + name + ": a finite number is required", false;
    v = it->get<double>();
    return true;
  };
  const auto air = text_of("null", "air", "curve-start");
  if (!air) return std::nullopt;
  const auto lift = text_of("rotation", "lift-off", "typed");
  if (!lift) return std::nullopt;
  double curve = 0;
  if (!number("curve", curve) || !number("angle", s.angle) || !number("gain_h", s.gainH) || !number("gain_v", s.gainV))
    return std::nullopt;
  if (curve != std::trunc(curve) || curve < 0 || curve > 1000)
    return error = "instrument.curve: the number of a curve from 0 is required", std::nullopt;
  s.null = *air ? NullAt::Air : NullAt::CurveStart;
  s.rotation = *lift ? RotationFrom::LiftOff : RotationFrom::Typed;
  s.curve = static_cast<int>(curve);
  return s;
}

}  // namespace veldo
