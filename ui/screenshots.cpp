// Renders the main window into PNG files with QWidget::grab(): one picture per reachable
// geometry case (drawing tab in front) and one of the chart after a default sweep of case 1,
// which is also written as the metafile File > Save As makes; then a tour of the workbench: two
// logarithmic frequency sweeps in each view of the chart with the curve list beside it, and the
// tooltip of a point; and the layered geometries: a plate's family of conductivity curves at five
// lift-offs, a tube's stack drawn from its layers; a driver-pickup probe over a coated plate, its
// drawing and its coating-thickness curves at three lift-offs in the instrument display; its
// step-off transients over steel walls of five thicknesses in the time-domain view.
// Usage: veldo-screenshots OUTPUT_DIR
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSplitter>
#include <QToolTip>
#include <QDir>
#include <QPixmap>
#include <QTabBar>

#include <cstdio>

#include "ui/chart.hpp"
#include "ui/curve_registry.hpp"
#include "ui/dialogs.hpp"
#include "ui/layered_group.hpp"
#include "ui/main_window.hpp"
#include "ui/instrument_view.hpp"
#include "ui/messages.hpp"
#include "ui/probe_editor.hpp"
#include "ui/time_view.hpp"

namespace {

class PrintSink : public veldo::MessageSink {
public:
  void Show(veldo::MessageKind, const std::string& text) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

bool Save(QWidget& w, const QDir& dir, const QString& name) {
  QApplication::processEvents();
  const bool ok = w.grab().save(dir.filePath(name));
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(dir.filePath(name)));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: veldo-screenshots OUTPUT_DIR\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(".")) return 1;
  PrintSink sink;
  veldo::TForm1 form;
  form.SetMessageSink(&sink);
  form.show();
  bool ok = true;
  const struct {
    void (veldo::TForm1::*select)();
    const char* name;
  } cases[] = {{&veldo::TForm1::Halfspace1Click, "case1-planar-1-layer.png"},
               {&veldo::TForm1::Layered1Click, "case2-planar-2-layers.png"},
               {&veldo::TForm1::N1Layer1Click, "case3-bore-1-layer.png"},
               {&veldo::TForm1::N2Layers1Click, "case4-bore-2-layers.png"},
               {&veldo::TForm1::N1Layer2Click, "case5-rod-1-layer.png"},
               {&veldo::TForm1::N2Layers2Click, "case6-rod-2-layers.png"},
               {&veldo::TForm1::N1Layer4Click, "case9-vertical-coil.png"}};
  for (const auto& c : cases) {
    (form.*c.select)();
    form.resize(785, 564);
    ok = Save(form, dir, c.name) && ok;
  }
  form.Halfspace1Click();
  form.ButtonComputeClick();
  form.WaitForCompute();
  form.TabControl1Tabs->setCurrentIndex(1);
  form.resize(785, 564);
  ok = Save(form, dir, "veldo.png") && ok;
  // The same chart as File > Save As writes it.
  const QString emf = dir.filePath("veldo-chart.emf");
  const bool saved = veldo::SaveChartPicture(form.Chart1, emf, veldo::PictureFormat::Emf);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(emf));
  ok = saved && ok;

  // The tour: a coil over aluminium at two lift-offs, 1 kHz to 10 MHz at 10 per decade.
  form.New1Click();
  form.OKBottomDlg->Proceed();
  form.OKBottomDlg->hide();
  form.resize(1280, 640);
  form.findChild<QRadioButton*>("RBpr1f")->setChecked(true);
  form.findChild<QLineEdit*>("Epr1f")->setText("1");
  form.findChild<QLineEdit*>("Epr1fb")->setText("10000");
  form.findChild<QLineEdit*>("Epr1fc")->setText("10/dec");
  form.findChild<QLineEdit*>("Epr1con1a")->setText("35.4");
  for (const char* liftOff : {"0.1", "0.5"}) {
    form.findChild<QLineEdit*>("Epr1loa")->setText(liftOff);
    form.ButtonComputeClick();
    form.WaitForCompute();
  }
  form.Splitter1->setSizes({520, 340});
  const char* views[] = {"tour-1-impedance-plane.png", "tour-2-impedance-change.png",
                         "tour-3-resistance-vs-frequency.png", "tour-4-inductance-vs-frequency.png"};
  for (int v = 0; v < static_cast<int>(std::size(views)); ++v) {
    form.SetView(static_cast<veldo::ChartView>(v));
    ok = Save(form, dir, views[v]) && ok;
  }
  // The tooltip of the 21st point (10 kHz... 100 kHz) of the first curve, drawn where it opens.
  form.SetView(veldo::ChartView::ImpedancePlane);
  QApplication::processEvents();
  QLineSeries* series = form.Curves().Series(0);
  const QPointF at = series->at(20);
  const QPoint local = form.Chart1View->mapFromScene(form.Chart1->mapToPosition(at, series));
  const QString tip = form.Curves().Record(0).label.c_str() + QString("\n") + form.PointTooltipText(0, 20);
  QToolTip::showText(form.Chart1View->mapToGlobal(local), tip, form.Chart1View);
  QApplication::processEvents();
  QPixmap picture = form.grab();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel") && w->isVisible()) {
      QPainter painter(&picture);
      painter.drawPixmap(form.Chart1View->mapTo(&form, local) + QPoint(8, 16), w->grab());
    }
  const bool tipSaved = picture.save(dir.filePath("tour-5-tooltip.png"));
  std::printf("%s %s\n", tipSaved ? "wrote" : "FAILED", qPrintable(dir.filePath("tour-5-tooltip.png")));
  ok = tipSaved && ok;
  QToolTip::hideText();

  // A three-layer plate: the top layer's conductivity swept, one curve per lift-off.
  form.New1Click();
  form.OKBottomDlg->Proceed();
  form.OKBottomDlg->hide();
  form.resize(1280, 760);
  form.LayeredPlate1Click();
  veldo::LayeredGroup* plate = form.LayeredGroups[0];
  plate->SelectCell(0, 1);
  plate->FamilyPath->setCurrentIndex(plate->FamilyPath->findData(QString("lift_off")));
  plate->FamilyFrom->setText("0.1");
  plate->FamilyTo->setText("0.5");
  plate->FamilyStep->setText("0.1");
  form.ButtonComputeClick();
  form.WaitForCompute();
  form.TabControl1Tabs->setCurrentIndex(1);
  form.Splitter1->setSizes({760, 300});
  ok = Save(form, dir, "tour-layered-plate.png") && ok;
  // The coil in a copper tube with an outer steel jacket, drawn from its stack, and a frequency
  // sweep per thickness of the copper.
  form.New1Click();
  form.OKBottomDlg->Proceed();
  form.OKBottomDlg->hide();
  form.Tube1Click();
  veldo::LayeredGroup* tube = form.LayeredGroups[1];
  tube->SetTable({{"1.0", "58.0", "1"}, {"2.0", "5.0", "100"}, {"inf", "0", "1"}}, "f", "layers.0.thickness");
  tube->FamilyFrom->setText("0.5");
  tube->FamilyTo->setText("1.5");
  tube->FamilyStep->setText("0.5");
  form.ButtonComputeClick();
  form.WaitForCompute();
  form.TabControl1Tabs->setCurrentIndex(0);
  ok = Save(form, dir, "tour-tube.png") && ok;

  // A reflection probe: a pickup inside the drive coil, over aluminium with a 0.1 mm coat of a
  // poorer conductor; the coat's thickness swept at three lift-offs.
  form.New1Click();
  form.OKBottomDlg->Proceed();
  form.OKBottomDlg->hide();
  form.LayeredPlate1Click();
  veldo::ProbeEditor* probe = form.ProbeEditors[0];
  veldo::ProbeTexts t = probe->Texts();
  t.coils.front().role = veldo::CoilRole::Drive;
  t.coils.push_back({"100", "0.5", "1.5", "0.5", "0", "0", veldo::CoilRole::Pickup});
  t.connection = veldo::Connection::TransmitReceive;
  probe->SetTexts(t);
  plate = form.LayeredGroups[0];
  plate->SetTable({{"0.1", "5.0", "1"}, {"inf", "35.4", "1"}}, "layers.0.thickness", "lift_off");
  plate->From->setText("0");
  plate->To->setText("0.2");
  plate->Step->setText("0.01");
  plate->FamilyFrom->setText("0.1");
  plate->FamilyTo->setText("0.3");
  plate->FamilyStep->setText("0.1");
  form.TabControl1Tabs->setCurrentIndex(0);
  QApplication::processEvents();  // the layout settles before the window takes its size
  form.resize(1280, 760);
  ok = Save(form, dir, "tour-probe.png") && ok;
  form.ButtonComputeClick();
  form.WaitForCompute();
  form.TabControl1Tabs->setCurrentIndex(1);
  form.SetView(veldo::ChartView::Instrument);
  form.InstrumentPanel1->SetSettings({veldo::NullAt::CurveStart, 0, veldo::RotationFrom::LiftOff, 0, 0, 6});
  form.InstrumentPanel1->Changed();
  form.Splitter1->setSizes({760, 300});
  ok = Save(form, dir, "tour-instrument.png") && ok;

  // Pulsed eddy current: the same probe 1 mm over a steel wall (5 MS/m, mu_r 100) of 4 to 12 mm,
  // the pickup's decay after a step-off; the thicker the wall, the later its exponential tail.
  form.New1Click();
  form.OKBottomDlg->Proceed();
  form.OKBottomDlg->hide();
  plate->SetTable({{"8", "5.0", "100"}, {"inf", "0", "1"}}, "layers.0.thickness", "");
  plate->Position->setText("1");
  plate->From->setText("4");
  plate->To->setText("12");
  plate->Step->setText("2");
  form.SetView(veldo::ChartView::Time);
  form.TimePanel1->From->setText("0.01");
  form.TimePanel1->To->setText("10");
  form.TimePanel1->PerDecade->setText("20");
  form.ButtonComputeClick();
  form.Splitter1->setSizes({760, 300});
  ok = Save(form, dir, "tour-time.png") && ok;
  return ok ? 0 : 1;
}
