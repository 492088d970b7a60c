// "Units": the lengths and conductivities the layered geometries are typed in (the seven cases
// keep their own). Made once, hidden, shown without being modal, as the other dialogs.
#pragma once

#include <QDialog>

#include <functional>

#include "app/units.hpp"

class QComboBox;
class QPushButton;

namespace veldo {

class TUnitsDlg : public QDialog {
public:
  explicit TUnitsDlg(QWidget* parent = nullptr);

  void FormShow();
  void OKBtnClick();
  void CancelBtnClick() { hide(); }
  void reject() override { CancelBtnClick(); }

  // The units when the dialog is shown, and what OK does with the chosen ones.
  std::function<Units()> ReadUnits;
  std::function<void(const Units&)> ApplyUnits;

  QComboBox *CBlength, *CBconductivity;
  QPushButton *OKBtn, *CancelBtn;

protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace veldo
