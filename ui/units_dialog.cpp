#include "ui/units_dialog.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/case_table.hpp"
#include "ui/layered_group.hpp"
#include "ui/main_window.hpp"

namespace veldo {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TUnitsDlg::TUnitsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("UnitsDlg");
  setWindowTitle("Units");
  CBlength = new QComboBox(this);
  CBlength->setObjectName("CBlength");
  for (LengthUnit u : {LengthUnit::Mm, LengthUnit::Mil, LengthUnit::In})
    CBlength->addItem(Q(Symbol(u)), static_cast<int>(u));
  CBconductivity = new QComboBox(this);
  CBconductivity->setObjectName("CBconductivity");
  for (ConductivityUnit u : {ConductivityUnit::MSm, ConductivityUnit::IACS})
    CBconductivity->addItem(Q(Symbol(u)), static_cast<int>(u));
  auto* form = new QFormLayout;
  form->addRow("Lengths (coil, lift-off, radius, thickness)", CBlength);
  form->addRow("Conductivity (100 %IACS = 58.0 MS/m)", CBconductivity);
  auto* note = new QLabel("Of the layered plate, the tube and the rod; the other cases keep theirs.", this);
  note->setWordWrap(true);
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &TUnitsDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TUnitsDlg::CancelBtnClick);
}

void TUnitsDlg::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TUnitsDlg::FormShow() {
  const Units u = ReadUnits ? ReadUnits() : Units{};
  CBlength->setCurrentIndex(CBlength->findData(static_cast<int>(u.length)));
  CBconductivity->setCurrentIndex(CBconductivity->findData(static_cast<int>(u.conductivity)));
}

void TUnitsDlg::OKBtnClick() {
  const Units u{static_cast<LengthUnit>(CBlength->currentData().toInt()),
                static_cast<ConductivityUnit>(CBconductivity->currentData().toInt())};
  if (ApplyUnits) ApplyUnits(u);
  hide();
}

// ---------------------------------------------------------------------------------------------
// The window's side: the units apply to the layered groups and, while one of them is selected,
// to the coil's captions.

void TForm1::Units1Click() {
  if (!unitsDialog_) {
    unitsDialog_ = std::make_unique<TUnitsDlg>();
    unitsDialog_->setAttribute(Qt::WA_QuitOnClose, false);
    unitsDialog_->ReadUnits = [this] { return units_; };
    unitsDialog_->ApplyUnits = [this](const Units& u) {
      if (!Computing()) SetUnits(u);  // the inputs are read-only while a command runs
    };
  }
  unitsDialog_->show();
  unitsDialog_->raise();
  unitsDialog_->activateWindow();
}

void TForm1::SetUnits(const Units& units) {
  units_ = units;
  for (LayeredGroup* g : LayeredGroups) g->SetUnits(units);
  ShowCoilUnits();
}

void TForm1::ShowCoilUnits() {
  const std::string unit = "[" + std::string(Symbol(IsLayeredCase(testCase_) ? units_.length : LengthUnit::Mm)) + "]";
  for (const int i : {kFieldR1, kFieldR2, kFieldL}) {
    const CommonField& f = kCommonFields[static_cast<std::size_t>(i)];
    auto* caption = GBcoil->findChild<QLabel*>("LB" + Q(f.name));
    if (caption == nullptr) continue;
    std::string text(f.caption);
    const auto at = text.find("[mm]");
    if (at != std::string::npos) text.replace(at, 4, unit);
    caption->setText(Q(text));
  }
}

}  // namespace veldo
