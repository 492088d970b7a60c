// What the Compute command writes to on the window's thread: the air-coil labels, the progress
// bar, the curves and the status bar, and messages through the window's sink. It keeps no
// numbers: the points go onto the current curve, many at a time, and the axes follow them.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>
#include <string>

#include "app/output.hpp"
#include "ui/curve_record.hpp"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace veldo {

class CurveRegistry;
class MessageSink;

// The parts of the window one command writes to.
struct WindowOutputTargets {
  QLabel* reactance;      // Labelinductivereactance
  QLabel* inductance;     // Labelinductance
  QProgressBar* progress;  // PB1
  QStatusBar* status;
  CurveRegistry* curves;
  MessageSink* messages;
  std::function<void()> rescaleAxes;  // the axes to the data on the chart
  CurveRecord head;                   // the command's case and inputs, for its curve's record
  // A layered geometry's command: the label of its k-th curve (its family value); the record of
  // that curve holds the family's index k. Empty for the cases (one curve, the head's label).
  std::function<std::string(int)> familyLabel = {};
};

class WindowOutput : public ComputeOutput {
public:
  explicit WindowOutput(WindowOutputTargets targets);

  void ShowMessage(MessageKind kind, const std::string& text) override;
  void SetAirCoilLabels(const std::string& reactance, const std::string& inductance) override;
  void SetProgressPosition(int position) override;
  void SetProgressMaximum(int maximum) override;
  void StepProgress() override;
  int CurveCount() const override;
  void BeginCurve(Rgb colour) override;
  void AddPoint(double x, double y) override;
  void CountCurve() override;
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override;
  void SweepCancelled(int pointsDone, int pointsTotal) override;
  void AirCoilValues(double X0, double L0) override;
  void PointComputed(const PointDetails& point) override;

  // The points received so far onto the curve, the axes left as they are (the window re-ranges
  // them when the command has ended).
  void MovePoints();

private:
  void DrawPoints();
  void Rescale();

  WindowOutputTargets to_;
  QString notice_;           // the accuracy notice of this command
  std::vector<CurvePoint> pending_;  // received, not yet on the curve
  std::optional<CurvePoint> details_;  // of the point about to be added
  double X0_ = 0, L0_ = 0;
  int curvesBegun_ = 0;
  bool axesBehind_ = false;  // points on the curve the axes have not followed yet
  QTimer drawPoints_;
  QTimer rescale_;
};

}  // namespace veldo
