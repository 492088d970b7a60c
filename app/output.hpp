// What the Compute command writes to: messages, the air-coil labels, the progress bar and the
// impedance-plane curves. Implemented by the window (Qt), the command-line front end (text)
// and the tests (a recorder). Nothing here knows a toolkit.
#pragma once

#include <string>
#include <string_view>

namespace veldo {

// How a message is presented: the two check messages in a plain box with an OK button;
// conversion, arithmetic and chart errors in an error box (error icon). The text arrives
// complete (the full stop of error messages already appended).
enum class MessageKind { Plain, Error };

struct Rgb {
  int r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Curve colours by swept parameter.
inline constexpr Rgb kBlue{0, 0, 255};       // LO, B1
inline constexpr Rgb kYellow{255, 255, 0};   // D1, B2
inline constexpr Rgb kRed{255, 0, 0};        // CON1
inline constexpr Rgb kFuchsia{255, 0, 255};  // CON2
inline constexpr Rgb kGreen{0, 128, 0};      // MR1
inline constexpr Rgb kAqua{0, 255, 255};     // MR2

class ComputeOutput {
public:
  virtual ~ComputeOutput() = default;

  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;

  // Captions of Labelinductivereactance (X0) and Labelinductance (L0), already formatted.
  virtual void SetAirCoilLabels(const std::string& reactance, const std::string& inductance) = 0;

  // Progress bar PB1 (minimum 0): position, maximum, and one step forward (never past the maximum).
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressMaximum(int maximum) = 0;
  virtual void StepProgress() = 0;

  // The curve registry lives with the chart: how many of its 101 slots are in use.
  virtual int CurveCount() const = 0;
  // A new curve in Curves[CurveCount], the current curve for the rest of the command.
  virtual void BeginCurve(Rgb colour) = 0;
  virtual void AddPoint(double x, double y) = 0;
  // Advances CurveCount: the current curve is now counted (New will remove it).
  virtual void CountCurve() = 0;

  // Points of the command whose quadratures did not reach the requested accuracy (Ier != 0),
  // and whether the air-coil reference fell short. Called once per command that computed the
  // air-coil reference: after its sweep, or, when a message ended the command before the sweep,
  // after that message with no points. The window shows it in its status bar (nothing when both
  // are zero), the front end on standard error.
  virtual void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) = 0;

  // A stop request ended the sweep after `pointsDone` of its `pointsTotal` points; called once,
  // after ReportAccuracy (the window says "cancelled after k of n points").
  virtual void SweepCancelled(int /*pointsDone*/, int /*pointsTotal*/) {}

  // The numbers behind the labels and the points, for outputs that keep them (the front end
  // prints them). Called just before SetAirCoilLabels and just before each AddPoint.
  virtual void AirCoilValues(double /*X0*/, double /*L0*/) {}
  struct PointDetails {
    std::string_view param;  // swept parameter: "LO", "B1", ...
    double value;            // its value in the window's unit
    double dR, dX;           // ohms, as the model returned them
    double x, y;             // the point added
    int Ier;                 // the model's status
  };
  virtual void PointComputed(const PointDetails& /*point*/) {}
};

}  // namespace veldo
