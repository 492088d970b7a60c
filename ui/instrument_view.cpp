#include "ui/instrument_view.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/parse.hpp"
#include "app/format.hpp"

namespace veldo {
namespace {

QLineEdit* Field(QWidget* parent, const char* name, const char* text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance("000000") + 10);
  return e;
}

}  // namespace

InstrumentPanel::InstrumentPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("InstrumentPanel1");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  NullBox = new QComboBox(this);
  NullBox->setObjectName("CBnull");
  NullBox->addItems({"Null in air", "Null at the first point of curve"});
  Curve = new QSpinBox(this);
  Curve->setObjectName("SEcurve");
  Curve->setRange(1, 101);
  Curve->setToolTip("The reference curve: its first point is the null, and its problem gives the lift-off direction");
  RotationBox = new QComboBox(this);
  RotationBox->setObjectName("CBrotation");
  RotationBox->addItems({"Lift-off horizontal", "Angle [deg]"});
  Angle = Field(this, "Einstangle", "0");
  GainH = Field(this, "Einstgainh", "0");
  GainV = Field(this, "Einstgainv", "0");
  AngleInUse = new QLabel(this);
  AngleInUse->setObjectName("Labelinstangle");
  row->addWidget(NullBox);
  row->addWidget(Curve);
  row->addWidget(RotationBox);
  row->addWidget(Angle);
  row->addWidget(new QLabel("Gain H/V [dB]", this));
  row->addWidget(GainH);
  row->addWidget(GainV);
  row->addWidget(AngleInUse, 1);
  auto changed = [this] {
    if (Changed) Changed();
  };
  connect(NullBox, &QComboBox::currentIndexChanged, this, changed);
  connect(RotationBox, &QComboBox::currentIndexChanged, this, changed);
  connect(Curve, &QSpinBox::valueChanged, this, changed);
  for (QLineEdit* e : {Angle, GainH, GainV}) connect(e, &QLineEdit::editingFinished, this, changed);
}

std::optional<InstrumentSettings> InstrumentPanel::Settings(std::string& message) const {
  InstrumentSettings s;
  s.null = NullBox->currentIndex() == 0 ? NullAt::Air : NullAt::CurveStart;
  s.rotation = RotationBox->currentIndex() == 0 ? RotationFrom::LiftOff : RotationFrom::Typed;
  s.curve = Curve->value() - 1;
  for (auto [field, value] : {std::pair{Angle, &s.angle}, std::pair{GainH, &s.gainH}, std::pair{GainV, &s.gainV}}) {
    const std::string text = field->text().toStdString();
    const auto v = ParseStrictReal(text, ".");
    if (!v || !std::isfinite(*v)) {
      message = ErrorBoxText("'" + text + "' is not a valid floating point value");
      return std::nullopt;
    }
    *value = *v;
  }
  return s;
}

void InstrumentPanel::SetSettings(const InstrumentSettings& s) {
  const QSignalBlocker b1(NullBox), b2(RotationBox), b3(Curve);
  NullBox->setCurrentIndex(s.null == NullAt::Air ? 0 : 1);
  RotationBox->setCurrentIndex(s.rotation == RotationFrom::LiftOff ? 0 : 1);
  Curve->setValue(s.curve + 1);
  Angle->setText(QString::number(s.angle, 'g', 10));
  GainH->setText(QString::number(s.gainH, 'g', 10));
  GainV->setText(QString::number(s.gainV, 'g', 10));
}

void InstrumentPanel::ShowAngle(double degrees) {
  AngleInUse->setText(QString::fromUtf8("rotation %1°").arg(degrees, 0, 'f', 1));
}

}  // namespace veldo
