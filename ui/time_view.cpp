#include "ui/time_view.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>

#include <algorithm>

#include "app/parse.hpp"

namespace veldo {
namespace {

QLineEdit* Field(QWidget* parent, const char* name, const std::string& text, int digits) {
  auto* e = new QLineEdit(QString::fromStdString(text), parent);
  e->setObjectName(name);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits, '0')) + 10);
  return e;
}

}  // namespace

WaveformSketch::WaveformSketch(QWidget* parent) : QWidget(parent) {
  setObjectName("Imagewaveform");
  setFixedSize(96, 30);
  setToolTip("The drive current against time");
}

void WaveformSketch::SetWaveform(const TransientInputs* in) {
  t_.clear(), i_.clear();
  if (in != nullptr) {
    const Waveform& w = in->waveform;
    switch (w.kind) {
      case Waveform::StepOff: t_ = {0, 0.4, 0.4, 1}, i_ = {1, 1, 0, 0}; break;
      case Waveform::Pulse: t_ = {0, 0.2, 0.2, 0.6, 0.6, 1}, i_ = {0, 0, 1, 1, 0, 0}; break;
      case Waveform::Samples: {
        if (w.times.size() < 2) break;
        const double t0 = w.times.front(), span = w.times.back() - t0;
        const auto [lo, hi] = std::minmax_element(w.currents.begin(), w.currents.end());
        const double range = std::max({*hi, 0.0}) - std::min({*lo, 0.0});
        if (!(span > 0) || !(range > 0)) break;
        // A tenth of the box before the first sample and after the last, the levels held.
        t_.push_back(0), i_.push_back((w.currents.front() - std::min(*lo, 0.0)) / range);
        for (std::size_t k = 0; k < w.times.size(); ++k) {
          t_.push_back(0.1 + 0.8 * (w.times[k] - t0) / span);
          i_.push_back((w.currents[k] - std::min(*lo, 0.0)) / range);
        }
        t_.push_back(1), i_.push_back(i_.back());
        break;
      }
    }
  }
  update();
}

void WaveformSketch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(2, 3, -2, -3);
  p.setPen(QPen(palette().color(QPalette::Mid), 1));
  p.drawLine(box.bottomLeft(), box.bottomRight());
  if (t_.empty()) return;
  QPainterPath path;
  for (std::size_t k = 0; k < t_.size(); ++k) {
    const QPointF at(box.left() + t_[k] * box.width(), box.bottom() - i_[k] * box.height());
    if (k == 0) path.moveTo(at); else path.lineTo(at);
  }
  p.setPen(QPen(palette().color(QPalette::Text), 1.5));
  p.drawPath(path);
}

TimePanel::TimePanel(QWidget* parent) : QWidget(parent) {
  setObjectName("TimePanel1");
  const TransientTexts d;
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  From = Field(this, "Etfrom", d.from, 6);
  To = Field(this, "Etto", d.to, 6);
  PerDecade = Field(this, "Etperdec", d.perDecade, 3);
  StepOff = new QRadioButton(kWaveformNames[0], this);
  StepOff->setObjectName("RBstepoff");
  StepOff->setChecked(true);
  Pulse = new QRadioButton(kWaveformNames[1], this);
  Pulse->setObjectName("RBpulse");
  Width = Field(this, "Etwidth", d.width, 5);
  SampledDrive = new QRadioButton(kWaveformNames[2], this);
  SampledDrive->setObjectName("RBsamples");
  Samples = new QLineEdit(QString::fromStdString(d.samples), this);
  Samples->setObjectName("Etsamples");
  Samples->setMinimumWidth(Samples->fontMetrics().horizontalAdvance("0:1 0.1:0 0.2:0") + 10);
  Samples->setToolTip("The drive current's samples t:i (ms, A) in order of time, apart by spaces; "
                      "straight lines between them, the first and last currents held");
  Sketch = new WaveformSketch(this);
  row->addWidget(new QLabel("t [ms] from", this));
  row->addWidget(From);
  row->addWidget(new QLabel("to", this));
  row->addWidget(To);
  row->addWidget(PerDecade);
  row->addWidget(new QLabel("/dec", this));
  row->addSpacing(8);
  row->addWidget(StepOff);
  row->addWidget(Pulse);
  row->addWidget(Width);
  row->addWidget(new QLabel("ms", this));
  row->addWidget(SampledDrive);
  row->addWidget(Samples, 1);
  row->addWidget(Sketch);
  for (QRadioButton* b : {StepOff, Pulse, SampledDrive}) connect(b, &QRadioButton::toggled, this, [this] { Redraw(); });
  for (QLineEdit* e : {Width, Samples}) connect(e, &QLineEdit::textChanged, this, [this] { Redraw(); });
  Redraw();
}

TransientTexts TimePanel::Texts() const {
  TransientTexts t;
  t.from = From->text().toStdString();
  t.to = To->text().toStdString();
  t.perDecade = PerDecade->text().toStdString();
  t.waveform = Pulse->isChecked() ? 1 : SampledDrive->isChecked() ? 2 : 0;
  t.width = Width->text().toStdString();
  t.samples = Samples->text().toStdString();
  return t;
}

void TimePanel::Redraw() {
  TransientTexts t = Texts();  // the waveform alone: the times as they start
  const TransientTexts d;
  t.from = d.from, t.to = d.to, t.perDecade = d.perDecade;
  const auto in = ReadTransientTexts(t, LocaleDecimalSeparator());
  Sketch->SetWaveform(std::get_if<TransientInputs>(&in));
}

}  // namespace veldo
