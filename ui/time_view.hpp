// The inputs of the time-domain view, shown above the chart in that view: the times (from, to
// in ms, points per decade), the drive waveform (a step-off, a rectangular pulse of a width, or
// samples t:i joined by straight lines) and a sketch of the drive current. Compute in this view
// draws the transients of the layered problem, one curve per value of its sweep.
#pragma once

#include <QWidget>

#include "ui/problem_sweep_qt.hpp"
#include "app/transient_curves.hpp"

class QLineEdit;
class QRadioButton;

namespace veldo {

// The drive current against time as the waveform's inputs give it, in a small box.
class WaveformSketch : public QWidget {
public:
  explicit WaveformSketch(QWidget* parent = nullptr);
  void SetWaveform(const TransientInputs* in);  // nullptr: the inputs do not read

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::vector<double> t_, i_;  // the polyline, t from 0 to 1, i from 0 to 1
};

class TimePanel : public QWidget {
public:
  explicit TimePanel(QWidget* parent = nullptr);

  TransientTexts Texts() const;

  QLineEdit *From = nullptr, *To = nullptr, *PerDecade = nullptr, *Width = nullptr, *Samples = nullptr;
  QRadioButton *StepOff = nullptr, *Pulse = nullptr, *SampledDrive = nullptr;
  WaveformSketch* Sketch = nullptr;

private:
  void Redraw();
};

}  // namespace veldo
