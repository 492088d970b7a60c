#include "ui/dialogs.hpp"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/drawings.hpp"
#include "ui/messages.hpp"
#include "ui/number_text.hpp"

namespace veldo {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

// A fixed dialog border: the designed size, or more where a larger font needs it.
void FixSize(QDialog* dialog, QSize designed) { dialog->setFixedSize(designed.expandedTo(dialog->sizeHint())); }

QPixmap ProgramIcon() {
  QPixmap pm(65, 57);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 255), 1));
  for (int x : {6, 39}) {
    p.setBrush(Qt::white);
    p.drawRect(x, 10, 20, 14);
    p.setBrush(QBrush(QColor(0, 0, 255), Qt::BDiagPattern));
    p.drawRect(x, 10, 20, 14);
  }
  p.setPen(Qt::black);
  p.setBrush(QColor(0, 255, 0));
  p.drawRect(2, 34, 60, 20);
  return pm;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* icon = new QLabel(panel);
  icon->setObjectName("ProgramIcon");
  icon->setPixmap(ProgramIcon());
  icon->setFixedSize(65, 57);
  auto* product = new QLabel("VELDO", panel);
  product->setObjectName("ProductName");
  QFont big = product->font();
  big.setPointSize(14);
  product->setFont(big);
  auto* version = new QLabel("Version 1.2", panel);
  version->setObjectName("Version");
  auto* copyright = new QLabel("Eddy-current coil impedance, by the VELDO developers", panel);
  copyright->setObjectName("Copyright");
  copyright->setWordWrap(true);
  auto* comments = new QLabel(" Please send comments and suggestions to:\nthe VELDO issue tracker", panel);
  comments->setObjectName("Comments");
  comments->setWordWrap(true);
  auto* grid = new QGridLayout(panel);
  grid->addWidget(icon, 0, 0, 2, 1);
  grid->addWidget(product, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addWidget(copyright, 2, 0, 1, 2);
  grid->addWidget(comments, 3, 0, 1, 2);
  OKButton = Button(this, "OKButton", "OK");
  OKButton->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
  FixSize(this, {298, 213});
}

void TAboutBox::OKButtonClick() { hide(); }

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("OKBottomDlg");
  setWindowTitle("Warning");
  auto* text = new QLabel("Unsaved information will be lost. Proceed anyway?", this);
  text->setObjectName("Label1");
  OKBtn = Button(this, "OKBtn", "OK");
  OKBtn->setDefault(true);
  CancelBtn = Button(this, "CancelBtn", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text, 1, Qt::AlignCenter);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::CancelBtnClick);
  FixSize(this, {313, 96});
}

void TOKBottomDlg::OKBtnClick() {
  if (Proceed) Proceed();
  hide();
}

void TOKBottomDlg::CancelBtnClick() { hide(); }

TOKBottomDlg1::TOKBottomDlg1(QWidget* parent) : QDialog(parent) {
  setObjectName("OKBottomDlg1");
  setWindowTitle("Axes Limits");
  auto field = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(6);
    e->setEnabled(false);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance("-0.000E") + 12);
    return e;
  };
  auto check = [this](const char* name, const char* caption, bool checked) {
    auto* c = new QCheckBox(caption, this);
    c->setObjectName(name);
    c->setChecked(checked);
    return c;
  };
  CBxL = check("CBxL", "Manual", false);
  CByL = check("CByL", "Manual", false);
  CBxG = check("CBxG", "", true);
  CByG = check("CByG", "", true);
  ExLa = field("ExLa");
  ExLb = field("ExLb");
  ExI = field("ExI");
  EyLa = field("EyLa");
  EyLb = field("EyLb");
  EyI = field("EyI");
  auto group = [this](const char* name, const char* caption, QCheckBox* manual, QLineEdit* a,
                      QLineEdit* b, QLineEdit* inc, QCheckBox* grid) {
    auto* g = new QGroupBox(caption, this);
    g->setObjectName(name);
    auto* l = new QGridLayout(g);
    l->setVerticalSpacing(2);
    l->addWidget(manual, 0, 0);
    l->addWidget(new QLabel("Limits", g), 0, 1);
    l->addWidget(a, 0, 2);
    l->addWidget(b, 0, 3);
    l->addWidget(new QLabel("Increment", g), 1, 1);
    l->addWidget(inc, 1, 2);
    l->addWidget(new QLabel("Grid", g), 2, 1);
    l->addWidget(grid, 2, 2);
    return g;
  };
  auto* groups = new QHBoxLayout;
  groups->addWidget(group("GBx", "X-axis", CBxL, ExLa, ExLb, ExI, CBxG));
  groups->addWidget(group("GBy", "Y-axis", CByL, EyLa, EyLb, EyI, CByG));
  OKBtn = Button(this, "OKBtn", "OK");
  OKBtn->setDefault(true);
  CancelBtn = Button(this, "CancelBtn", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addLayout(groups);
  layout->addLayout(buttons);
  connect(CBxL, &QCheckBox::clicked, this, &TOKBottomDlg1::CBxLClick);
  connect(CByL, &QCheckBox::clicked, this, &TOKBottomDlg1::CByLClick);
  connect(OKBtn, &QPushButton::clicked, this, &TOKBottomDlg1::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg1::CancelBtnClick);
  FixSize(this, {533, 158});
}

void TOKBottomDlg1::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TOKBottomDlg1::FormShow() {
  AxisState x, y;
  if (ReadAxes) ReadAxes(x, y);
  auto put = [](QLineEdit* e, double v) {
    const QString text = QString::fromStdString(ShortText(v, 6));
    e->setMaxLength(std::max<int>(6, static_cast<int>(text.size())));
    e->setText(text);
  };
  put(ExLa, x.minimum);
  put(ExLb, x.maximum);
  put(ExI, x.increment);
  put(EyLa, y.minimum);
  put(EyLb, y.maximum);
  put(EyI, y.increment);
}

void TOKBottomDlg1::CBxLClick() {
  const bool on = CBxL->isChecked();
  ExLa->setEnabled(on);
  ExLb->setEnabled(on);
  ExI->setEnabled(on);
}

void TOKBottomDlg1::CByLClick() {
  const bool on = CByL->isChecked();
  EyLa->setEnabled(on);
  EyLb->setEnabled(on);
  EyI->setEnabled(on);
}

void TOKBottomDlg1::OKBtnClick() {
  const AxisForm x{CBxL->isChecked(), ExLa->text().toStdString(), ExLb->text().toStdString(),
                   ExI->text().toStdString(), CBxG->isChecked()};
  const AxisForm y{CByL->isChecked(), EyLa->text().toStdString(), EyLb->text().toStdString(),
                   EyI->text().toStdString(), CByG->isChecked()};
  if (ApplyAxes && !ApplyAxes(x, y)) return;
  hide();
}

void TOKBottomDlg1::CancelBtnClick() { hide(); }

}  // namespace veldo
