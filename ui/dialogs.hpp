// The three secondary windows: the About box, the New confirmation and the Axes Limits dialog.
// They are made once, hidden, and shown without being modal; their buttons hide them.
#pragma once

#include <QDialog>

#include <functional>

#include "ui/axes_limits.hpp"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace veldo {

class TAboutBox : public QDialog {
public:
  explicit TAboutBox(QWidget* parent = nullptr);
  void OKButtonClick();

  QPushButton* OKButton;
};

// "Warning": asks before File > New removes every curve.
class TOKBottomDlg : public QDialog {
public:
  explicit TOKBottomDlg(QWidget* parent = nullptr);
  void OKBtnClick();
  void CancelBtnClick();
  void reject() override { CancelBtnClick(); }  // Esc and the close button

  std::function<void()> Proceed;  // what OK does before the dialog hides
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};

// "Axes Limits": range, increment and grid of the bottom ("X-axis") and left ("Y-axis") axes.
class TOKBottomDlg1 : public QDialog {
public:
  explicit TOKBottomDlg1(QWidget* parent = nullptr);

  void FormShow();
  void CBxLClick();
  void CByLClick();
  void OKBtnClick();
  void CancelBtnClick();
  void reject() override { CancelBtnClick(); }

  // The axes' values when the dialog is shown, and the OK step (true when everything was
  // applied; on a failed check the message has been shown and the dialog stays open).
  std::function<void(AxisState& x, AxisState& y)> ReadAxes;
  std::function<bool(const AxisForm& x, const AxisForm& y)> ApplyAxes;

  QCheckBox *CBxL, *CByL, *CBxG, *CByG;
  QLineEdit *ExLa, *ExLb, *ExI, *EyLa, *EyLb, *EyI;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace veldo
