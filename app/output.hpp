// What the Compute command writes to: messages, the air-coil labels, the progress bar and the
// impedance-plane curves. Implemented by the window (Qt), the command-line front end (text)
// and the tests (a recorder). Nothing here knows a toolkit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
inline constexpr Rgb kBlack{0, 0, 0};        // f

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
    std::string_view param;  // swept parameter: "f", "LO", "B1", ...
    double value;            // its value in the window's unit
    double dR, dX;           // ohms, as the model returned them
    double x, y;             // the point added: x = dR / X0, y = (dX + X0) / X0
    int Ier;                 // the model's status
    double X0;               // ohms, the reactance in air that normalised this point: the
                             // command's X0, or 2*pi*f*L0 at this point's f in a frequency sweep
  };
  virtual void PointComputed(const PointDetails& /*point*/) {}

  // One input of a curve as the command read it.
  struct FieldValue {
    std::string_view field;        // "Editr1", "Epr1f", "Epr1con1a", ...
    std::string_view name;         // "Acc", "R1", "R2", "L", "N", "f", "LO", "CON1", ...
    std::string_view defaultText;  // the field's default text (the case table's)
    std::string text;              // the text the field held
    double value;                  // as read, in the window's unit (the accuracy in %)
  };
  // Everything that describes a curve once its points are known, for outputs that keep curves
  // (curve list, tooltips, export, sessions). Given once per curve, just before BeginCurve, after
  // every input has been read and checked and the air-coil values are known. The points follow
  // through PointComputed; a fault or a stop can end the curve before `points`.
  struct CurveInfo {
    int testCase;                  // 1..6, 9
    std::string_view caseName;     // the front end's name: "planar1", "bore2", ...
    std::string_view param;        // the swept parameter: "f", "LO", "CON1", ...
    std::string_view unit;         // its unit in the window: "kHz", "mm", "MS/m", "" (MR1, MR2)
    double from, to;               // the sweep's range in the window's unit
    double step;                   // linear: the step in the window's unit; logarithmic: points
                                   // per decade
    bool logarithmic;              // values From * 10^(i/step), the last one To itself
    std::string stepText;          // the Step field as typed ("0.1", "10/dec")
    int points;                    // the number of points of the whole sweep
    std::vector<FieldValue> coil;  // Editacc, Editr1, Editr2, Editl, EditN, in reading order
    std::vector<FieldValue> fixed; // the case's fields held fixed during the sweep: the frequency
                                   // (unless swept), then the From fields of the other parameters
    double Acc;                    // relative accuracy (the field's value / 100)
    double X0, L0;                 // the coil in air at the From frequency: ohms, henry
    Rgb colour;
  };
  virtual void CurveDescribed(const CurveInfo& /*curve*/) {}
};

}  // namespace veldo
