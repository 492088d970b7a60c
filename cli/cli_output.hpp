// The Compute command's output as text: numbers and rows on standard output, the window's
// messages and the accuracy report on standard error. The curves are kept for a picture writer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/format.hpp"
#include "app/output.hpp"

namespace veldo {

class CliOutput : public ComputeOutput {
public:
  CliOutput(std::FILE* data, std::FILE* messages) : data_(data), messages_(messages) {}

  void ShowMessage(MessageKind kind, const std::string& text) override;
  void SetAirCoilLabels(const std::string&, const std::string&) override {}
  void SetProgressPosition(int) override {}
  void SetProgressMaximum(int) override {}
  void StepProgress() override {}
  int CurveCount() const override { return countedCurves_; }
  void BeginCurve(Rgb colour) override;
  void AddPoint(double x, double y) override;
  void CountCurve() override { ++countedCurves_; }
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override;
  void AirCoilValues(double X0, double L0) override;
  void PointComputed(const PointDetails& point) override;

  struct Curve {
    Rgb colour;
    std::vector<std::pair<double, double>> points;
  };
  const std::vector<Curve>& Curves() const { return curves_; }

private:
  std::FILE* data_;
  std::FILE* messages_;
  int countedCurves_ = 0;
  std::vector<Curve> curves_;
};


}  // namespace veldo
