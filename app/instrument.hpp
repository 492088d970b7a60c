// The instrument's display of a probe's reading: nulled at a chosen point, rotated so that the
// lift-off signal runs horizontally, and amplified horizontally and vertically. The display is a
// pure transform of the impedance change: nothing is computed again but the lift-off direction.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldo {

struct ProblemSweep;

enum class NullAt { Air, CurveStart };       // in air, or at the first point of a chosen curve
enum class RotationFrom { LiftOff, Typed };  // the computed lift-off direction, or a typed angle

struct InstrumentSettings {
  NullAt null = NullAt::Air;
  int curve = 0;  // the reference curve (from 0): its first point nulls (CurveStart) and gives the lift-off direction
  RotationFrom rotation = RotationFrom::LiftOff;
  double angle = 0;             // degrees counter-clockwise (Typed)
  double gainH = 0, gainV = 0;  // dB, horizontal and vertical
};

// u = gh (cos a (dR - dR0) - sin a (dX - dX0)) / X0, v = gv (sin a (dR - dR0) + cos a (dX - dX0)) / X0:
// the impedance change less the null's, rotated by a counter-clockwise and scaled by the gains,
// in units of the curve's own reactance in air X0 (nulled in air, a gain of 0 dB and no rotation
// give dR / X0, dX / X0).
struct DisplayTransform {
  double dR0 = 0, dX0 = 0;  // the null [ohm]
  double angle = 0;         // radians
  double gh = 1, gv = 1;    // linear gains
};
DisplayTransform MakeTransform(double dR0, double dX0, double angleDegrees, double gainHdB, double gainVdB);
// The display point of an impedance change, false when it is not finite.
bool DisplayPoint(const DisplayTransform& t, double dR, double dX, double X0, double& u, double& v);

// The rotation [degrees, in (-180, 180]] that turns the direction (dR', dX') of increasing
// lift-off to point left, along -u, as instruments show lift-off.
double LiftOffAngle(double dRdh, double dXdh);

// The direction in which the reading moves with lift-off at the first point of a curve (its
// sweep, the family's value `familyIndex`, -1 for none): d(dR, dX)/d(lift-off) [ohm/m] by the
// second-order forward difference over lift-off, +h, +2h with h 2 % of the drive's outer radius,
// each point evaluated as the sweep evaluates its points. A plate's lift-off grows with its
// position, a bore's with its radius, a rod's gap as its radius shrinks. The message of a refused
// point or wiring instead.
struct LiftOffSlope {
  double dR = 0, dX = 0;
  std::optional<std::string> refusal;
};
LiftOffSlope LiftOffDirection(const ProblemSweep& s, int familyIndex);

// One line for the headers of exports: "null in air; rotation 90 deg (lift-off); gain H 20 dB, V 26 dB".
std::string InstrumentDescription(const InstrumentSettings& s, double angleDegrees);

// The settings as a JSON object's text, and back (error saying which member is wrong).
std::string InstrumentToJson(const InstrumentSettings& s);
std::optional<InstrumentSettings> InstrumentFromJson(std::string_view text, std::string& error);

}  // namespace veldo
