#include "ui/window_output.hpp"

#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/curve_registry.hpp"
#include "ui/messages.hpp"

namespace veldo {

namespace {

// The series lays out the whole curve again for every change, and re-ranging the axes lays out
// every curve, so both are done for many points at a time: points at most every kDrawInterval,
// the axes at most every kRescaleInterval (and at the end of the command). A long sweep of fast
// points would otherwise keep the window busy.
constexpr int kDrawInterval = 30;      // ms
constexpr int kRescaleInterval = 200;  // ms

}  // namespace

WindowOutput::WindowOutput(WindowOutputTargets targets) : to_(std::move(targets)) {
  drawPoints_.setSingleShot(true);
  drawPoints_.setInterval(kDrawInterval);
  QObject::connect(&drawPoints_, &QTimer::timeout, [this] { DrawPoints(); });
  rescale_.setSingleShot(true);
  rescale_.setInterval(kRescaleInterval);
  QObject::connect(&rescale_, &QTimer::timeout, [this] { Rescale(); });
}

void WindowOutput::ShowMessage(MessageKind kind, const std::string& text) {
  // The chart as it stands when the message comes.
  MovePoints();
  axesBehind_ = false;
  to_.rescaleAxes();
  to_.messages->Show(kind, text);
}

void WindowOutput::SetAirCoilLabels(const std::string& reactance, const std::string& inductance) {
  to_.reactance->setText(QString::fromStdString(reactance));
  to_.inductance->setText(QString::fromStdString(inductance));
}

void WindowOutput::SetProgressPosition(int position) {
  to_.progress->setValue(std::clamp(position, to_.progress->minimum(), to_.progress->maximum()));
}

void WindowOutput::SetProgressMaximum(int maximum) {
  to_.progress->setMaximum(std::max(maximum, to_.progress->minimum()));
}

void WindowOutput::StepProgress() {
  to_.progress->setValue(std::min(to_.progress->value() + 1, to_.progress->maximum()));
}

int WindowOutput::CurveCount() const { return to_.curves->Count(); }

void WindowOutput::BeginCurve(Rgb colour) {
  MovePoints();
  CurveRecord head = to_.head;
  head.colour = colour;
  if (head.layered) {
    if (!head.layered->sweep.family.empty()) head.layered->familyIndex = curvesBegun_;
    if (to_.familyLabel) head.label = to_.familyLabel(curvesBegun_);
  }
  ++curvesBegun_;
  to_.curves->Begin(std::move(head));
  to_.curves->SetAirCoil(X0_, L0_);
}

void WindowOutput::AirCoilValues(double X0, double L0) {
  X0_ = X0;
  L0_ = L0;
}

void WindowOutput::PointComputed(const PointDetails& point) {
  details_ = CurvePoint{point.value, point.dR, point.dX, point.x, point.y, point.Ier};
}

void WindowOutput::AddPoint(double x, double y) {
  if (to_.curves->Current() == nullptr) return;
  CurvePoint p = details_.value_or(CurvePoint{});
  details_.reset();
  p.x = x;
  p.y = y;
  pending_.push_back(p);
  if (!drawPoints_.isActive()) drawPoints_.start();
}

void WindowOutput::DrawPoints() {
  MovePoints();
  if (!rescale_.isActive()) Rescale();
}

void WindowOutput::MovePoints() {
  drawPoints_.stop();
  if (pending_.empty()) return;
  to_.curves->Append(pending_);
  pending_.clear();
  axesBehind_ = true;
}

void WindowOutput::Rescale() {
  if (!axesBehind_) return;
  axesBehind_ = false;
  to_.rescaleAxes();
  rescale_.start();  // the next time no sooner than this
}

void WindowOutput::CountCurve() { to_.curves->CountCurrent(); }

void WindowOutput::ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) {
  notice_.clear();
  if (pointsShort > 0)
    notice_ = QString("%1 of %2 points did not reach the requested accuracy").arg(pointsShort).arg(pointsTotal);
  if (airCoilShort) {
    if (!notice_.isEmpty()) notice_ += "; ";
    notice_ += "the coil's reactance in air did not reach the requested accuracy";
  }
  if (notice_.isEmpty())
    to_.status->clearMessage();
  else
    to_.status->showMessage(notice_);
}

void WindowOutput::SweepCancelled(int pointsDone, int pointsTotal) {
  QString text = QString("Sweep cancelled after %1 of %2 points").arg(pointsDone).arg(pointsTotal);
  if (!notice_.isEmpty()) text += "; " + notice_;
  to_.status->showMessage(text);
}

}  // namespace veldo
