// The main window offscreen: start state, case selection under either tab, Compute through
// the window over cheap stand-in models, the messages, New, Delete Curves, Axes Limits, Zoom
// Out, Save As and the status bar.
#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cfenv>
#include <functional>
#include <memory>
#include <stop_token>
#include <utility>
#include <vector>

#include "app/compute.hpp"
#include "tests/ui/emf_reader.hpp"
#include "tests/ui/qt_app.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/chart.hpp"
#include "ui/dialogs.hpp"
#include "ui/drawings.hpp"
#include "ui/emf_encoder.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"
#include "ui/number_text.hpp"

namespace veldo {
namespace {

struct RecordingSink : MessageSink {
  std::vector<std::pair<MessageKind, std::string>> shown;
  void Show(MessageKind kind, const std::string& text) override { shown.emplace_back(kind, text); }
  std::pair<MessageKind, std::string> last() const { return shown.empty() ? std::pair{MessageKind::Plain, std::string("(none)")} : shown.back(); }
};

// Polylines of a metafile counted by the colour of the pen selected when each was drawn: which
// curves were written.
std::map<std::uint32_t, int> PolylinesByPenColour(const test::EmfFile& f) {
  std::map<std::uint32_t, std::uint32_t> penColour;
  std::map<std::uint32_t, int> lines;
  std::uint32_t pen = 0;
  for (const auto& r : f.records) {
    if (r.type == emf::EMR_EXTCREATEPEN) penColour[r.u32(8)] = r.u32(40);
    if (r.type == emf::EMR_SELECTOBJECT && penColour.count(r.u32(8))) pen = penColour[r.u32(8)];
    if (r.type == emf::EMR_POLYLINE) ++lines[pen];
  }
  return lines;
}

// Stand-in models: X0 = 100 ohm; dR = 1000·P, dX = −1000·P for the first parameter (in m);
// at 4.2 mm the point raises an invalid operation; at 0.9 mm it falls short of the accuracy.
ModelTable CheapModels() {
  ModelTable m;
  m.AirCoilReactance = [](int, double, double, double, double, double, double& X0, int& Ier) {
    X0 = 100.0;
    Ier = 0;
  };
  m.CheckRange = [](double from, double to, double step) { return step < 0 || from > to ? 1 : 0; };
  auto point = [](double P, double& dR, double& dX, int& Ier) {
    volatile double zero = 0.0;
    dR = P > 0.00415 && P < 0.00425 ? zero / zero : 1000.0 * P;
    dX = -1000.0 * P;
    Ier = P > 0.00085 && P < 0.00095 ? 1 : 0;
  };
  auto one = [point](int, double, double, double, double, double P, double, double, double, double& dR,
                     double& dX, int& Ier) { point(P, dR, dX, Ier); };
  auto two = [point](int, double, double, double, double, double P, double, double, double, double, double,
                     double, double& dR, double& dX, int& Ier) { point(P, dR, dX, Ier); };
  m.PlanarOneLayer = one;
  m.PlanarTwoLayers = two;
  m.CylinderInsideOneLayer = one;
  m.CylinderInsideTwoLayers = two;
  m.CylinderOutsideOneLayer = one;
  m.CylinderOutsideTwoLayers = two;
  m.VerticalCoilHalfSpace = one;
  return m;
}

class WindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { test::EnsureQtApp(); }
  void SetUp() override {
    form = std::make_unique<TForm1>();
    form->SetMessageSink(&sink);
    form->SetComputeCommand([models = CheapModels()](int tc, const ComputeInput& in, ComputeOutput& out,
                                                     std::stop_token stop) {
      ButtonComputeClick(tc, in, out, models, 1, std::move(stop));
    });
  }
  QLineEdit* Edit(const char* name) { return form->findChild<QLineEdit*>(name); }
  QRadioButton* Radio(const char* name) { return form->findChild<QRadioButton*>(name); }
  bool Shown(const QWidget* w) const { return !w->isHidden(); }
  void Compute() { test::ComputeAndWait(*form); }
  QList<QLineSeries*> Visible() const { return test::VisibleCurves(form->Chart1); }
  // A lift-off sweep of case 1 over 1..3 mm in 1 mm steps: three points.
  void ComputeThreePoints() {
    Edit("Epr1loa")->setText("1");
    Edit("Epr1lob")->setText("3");
    Edit("Epr1loc")->setText("1");
    Compute();
  }
  double Min(Qt::Orientation o) { return (o == Qt::Horizontal ? BottomAxis(form->Chart1) : LeftAxis(form->Chart1))->min(); }
  double Max(Qt::Orientation o) { return (o == Qt::Horizontal ? BottomAxis(form->Chart1) : LeftAxis(form->Chart1))->max(); }

  RecordingSink sink;
  std::unique_ptr<TForm1> form;
};

TEST_F(WindowTest, StartState) {
  EXPECT_EQ(form->windowTitle(), "VELDO V1.2");
  EXPECT_EQ(form->size(), QSize(785, 564).expandedTo(form->minimumSizeHint()));
  EXPECT_EQ(form->TestCase(), 1);
  EXPECT_EQ(form->Curves().Count(), 0);
  EXPECT_EQ(form->ActiveTab(), 0);
  EXPECT_EQ(form->TabControl1Tabs->tabText(0), "Geometry");
  EXPECT_EQ(form->TabControl1Tabs->tabText(1), "Impedance Plane");
  for (int k = 1; k <= 9; ++k) {
    EXPECT_EQ(Shown(form->CaseGroups[k - 1]), k == 1) << k;
    EXPECT_EQ(Shown(form->Drawings[k - 1]), k == 1) << k;
    EXPECT_EQ(form->CaseGroups[k - 1]->title(), "TEST INPUT");
  }
  EXPECT_FALSE(Shown(form->Chart1View));
  EXPECT_EQ(form->findChild<QWidget*>("Chart1"), form->Chart1View);
  for (QWidget* w : {static_cast<QWidget*>(form->ButtonCompute), static_cast<QWidget*>(form->GBcoil),
                     static_cast<QWidget*>(form->GBoutput), static_cast<QWidget*>(form->GBaccuracy)})
    EXPECT_TRUE(Shown(w));
  EXPECT_TRUE(form->DeleteCurves1->isCheckable());
  EXPECT_FALSE(form->DeleteCurves1->isChecked());
  for (QAction* a : {form->N1Layer3, form->N2Layers3, form->N2Layers4, form->CylindricalID2,
                     form->CylindricalOD2, form->Spherical2})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  QStringList menus;
  for (QAction* a : form->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&2D-Geometry", "&3D-Geometry", "Help"}));
  EXPECT_EQ(form->SaveAs1->text(), "Save &As...");
  EXPECT_EQ(form->Exit1->text(), "E&xit");
  EXPECT_EQ(form->Labelinductance->text(), "0.0");
  EXPECT_EQ(form->Labelinductivereactance->text(), "0.0");
  EXPECT_EQ(form->PB1->minimum(), 0);
  EXPECT_EQ(form->PB1->maximum(), 1000);
  EXPECT_EQ(Edit("Editacc")->text(), "0.01");
  EXPECT_EQ(Edit("EditN")->text(), "200");
  EXPECT_EQ(Edit("Eid2mr1b")->text(), "100");
  EXPECT_EQ(Edit("Epr2con2a")->text(), "35.4");
  EXPECT_TRUE(Radio("RBpr2lo")->isChecked());
  EXPECT_FALSE(Radio("RBpr2d1")->isChecked());
  EXPECT_TRUE(Radio("RBod2b1")->isChecked());
  EXPECT_FALSE(form->AboutBox->isVisible());
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_FALSE(form->OKBottomDlg1->isVisible());
  EXPECT_EQ(form->OKBottomDlg->windowTitle(), "Warning");
  EXPECT_EQ(form->OKBottomDlg1->windowTitle(), "Axes Limits");
  EXPECT_EQ(form->Chart1->title(), "Impedance Plane");
  EXPECT_FALSE(form->Chart1->legend()->isVisible());
  EXPECT_EQ(BottomAxis(form->Chart1)->titleText(), "Normalized Resistance");
  EXPECT_EQ(LeftAxis(form->Chart1)->titleText(), "Normalized Inductive Reactance");
  EXPECT_TRUE(BottomAxis(form->Chart1)->isGridLineVisible());
}

// In the two-layer groups the MR1 row stands above the CON2 row.
TEST_F(WindowTest, TwoLayerRowsShowMr1AboveCon2) {
  for (const char* group : {"GBpr2", "GBid2", "GBod2"}) {
    const std::string g(group);
    const std::string stem = "RB" + g.substr(2);
    auto* mr1 = Radio((stem + "mr1").c_str());
    auto* con2 = Radio((stem + "con2").c_str());
    auto* con1 = Radio((stem + "con1").c_str());
    ASSERT_TRUE(mr1 && con2 && con1) << group;
    auto* grid = qobject_cast<QGridLayout*>(form->findChild<QGroupBox*>(group)->layout());
    ASSERT_NE(grid, nullptr);
    auto row = [grid](QWidget* w) {
      int r = -1, c, rs, cs;
      grid->getItemPosition(grid->indexOf(w), &r, &c, &rs, &cs);
      return r;
    };
    EXPECT_LT(row(con1), row(mr1)) << group;
    EXPECT_EQ(row(mr1) + 1, row(con2)) << group;
  }
}

TEST_F(WindowTest, CaseSelectionOnTheGeometryTab) {
  const std::vector<std::pair<void (TForm1::*)(), int>> entries{
      {&TForm1::Layered1Click, 2},  {&TForm1::N1Layer1Click, 3}, {&TForm1::N2Layers1Click, 4},
      {&TForm1::N1Layer2Click, 5},  {&TForm1::N2Layers2Click, 6}, {&TForm1::N1Layer4Click, 9},
      {&TForm1::Halfspace1Click, 1}, {&TForm1::Halfspace1Click, 1}};
  for (const auto& [handler, k] : entries) {
    (form.get()->*handler)();
    EXPECT_EQ(form->TestCase(), k);
    for (int i = 1; i <= 9; ++i) {
      EXPECT_EQ(Shown(form->CaseGroups[i - 1]), i == k) << k << " " << i;
      EXPECT_EQ(Shown(form->Drawings[i - 1]), i == k) << k << " " << i;
    }
    EXPECT_FALSE(Shown(form->Chart1View));
  }
  // The menu entries reach the same handlers; the disabled ones do nothing.
  form->N2Layers2->trigger();
  EXPECT_EQ(form->TestCase(), 6);
  form->N1Layer3->trigger();
  form->N2Layers4->trigger();
  EXPECT_EQ(form->TestCase(), 6);
  EXPECT_TRUE(Shown(form->CaseGroups[5]));
}

TEST_F(WindowTest, CaseSelectionWithTheChartInView) {
  form->TabControl1Tabs->setCurrentIndex(1);
  EXPECT_TRUE(Shown(form->Chart1View));
  for (TDrawing* d : form->Drawings) EXPECT_FALSE(Shown(d));
  form->N2Layers1Click();
  EXPECT_EQ(form->TestCase(), 4);
  EXPECT_TRUE(Shown(form->CaseGroups[3]));
  EXPECT_FALSE(Shown(form->CaseGroups[0]));
  for (TDrawing* d : form->Drawings) EXPECT_FALSE(Shown(d));
  EXPECT_TRUE(Shown(form->Chart1View));
  form->TabControl1Tabs->setCurrentIndex(0);
  EXPECT_FALSE(Shown(form->Chart1View));
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(Shown(form->Drawings[i - 1]), i == 4);
  EXPECT_EQ(form->Drawings[3]->objectName(), "Pid2");
  EXPECT_EQ(DrawingCaption(4), "Axisymmetric view of a circular coil inside a cylinder (2 layers)");
}

TEST_F(WindowTest, TextsAndChoicesSurviveASwitch) {
  Edit("Epr1loa")->setText("0.7");
  Radio("RBpr1con1")->setChecked(true);
  Radio("RBid1mr1")->setChecked(true);
  form->N1Layer1Click();
  form->Halfspace1Click();
  EXPECT_EQ(Edit("Epr1loa")->text(), "0.7");
  EXPECT_TRUE(Radio("RBpr1con1")->isChecked());
  EXPECT_FALSE(Radio("RBpr1lo")->isChecked());
  EXPECT_TRUE(Radio("RBid1mr1")->isChecked());
  EXPECT_TRUE(Radio("RBpr2lo")->isChecked());  // other groups keep their own choice
}

TEST_F(WindowTest, ComputeAddsOneCurveAndShowsTheAirCoilValues) {
  ComputeThreePoints();
  EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(form->Curves().Count(), 1);
  QLineSeries* curve = form->Curves()[0];
  ASSERT_NE(curve, nullptr);
  ASSERT_EQ(curve->count(), 3);
  EXPECT_DOUBLE_EQ(curve->at(0).x(), 0.01);  // dR/X0 at LO = 1 mm
  EXPECT_DOUBLE_EQ(curve->at(2).y(), (-3.0 + 100.0) / 100.0);
  EXPECT_EQ(curve->color(), QColor(0, 0, 255));
  EXPECT_TRUE(curve->pointsVisible());
  EXPECT_EQ(curve->markerSize(), 3.0);
  EXPECT_EQ(form->Labelinductivereactance->text(), "      100.000000");
  EXPECT_EQ(form->Labelinductance->text(), "        0.000159");
  EXPECT_EQ(form->PB1->maximum(), 3);
  EXPECT_EQ(form->PB1->value(), 3);
  // The axes follow the data.
  EXPECT_LE(Min(Qt::Horizontal), 0.01);
  EXPECT_GE(Max(Qt::Horizontal), 0.03);
  EXPECT_LE(Min(Qt::Vertical), 0.97);
  EXPECT_GE(Max(Qt::Vertical), 0.99);
  EXPECT_EQ(form->statusBar()->currentMessage(), "");

  // A conductivity sweep: a second, red curve; the first stays.
  Radio("RBpr1con1")->setChecked(true);
  Edit("Epr1con1b")->setText("3.0");
  Compute();
  ASSERT_EQ(form->Curves().Count(), 2);
  EXPECT_EQ(form->Curves()[1]->color(), QColor(255, 0, 0));
  EXPECT_EQ(form->Curves()[1]->count(), 3);
  EXPECT_EQ(form->Curves()[0]->count(), 3);
  EXPECT_EQ(Visible().size(), 2);
}

TEST_F(WindowTest, MessagesArriveWithTextAndKind) {
  Edit("Editr1")->setText("-1");
  Compute();
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Plain, std::string("Check for negative data values")));
  Edit("Editr1")->setText("2.0");

  Edit("Epr1loa")->setText("abc");
  Compute();
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Error, std::string("'abc' is not a valid floating point value.")));

  Edit("Epr1loa")->setText("2");
  Edit("Epr1lob")->setText("1");
  Compute();
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Plain, std::string("Check if (From <= To) and if (Step > 0)")));
  EXPECT_EQ(form->Curves().Count(), 0);
  EXPECT_TRUE(Visible().isEmpty());
  EXPECT_EQ(form->Labelinductivereactance->text().trimmed(), "100.000000");  // shown before the range check
}

// A fault ends the command; the points before it stay on the chart, counted, so New removes them.
TEST_F(WindowTest, FaultKeepsThePointsAndNewRemovesThem) {
  Edit("Epr1loa")->setText("4.0");
  Edit("Epr1lob")->setText("4.4");
  Edit("Epr1loc")->setText("0.1");
  Compute();
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Error, std::string("Invalid floating point operation.")));
  ASSERT_EQ(Visible().size(), 1);
  QLineSeries* partial = Visible().front();
  EXPECT_EQ(partial->count(), 2);  // 4.0 and 4.1 mm
  ComputeThreePoints();
  EXPECT_EQ(Visible().size(), 2);
  form->New1Click();
  form->OKBottomDlg->OKBtn->click();
  EXPECT_EQ(form->Curves().Count(), 0);
  EXPECT_TRUE(Visible().isEmpty());
}

TEST_F(WindowTest, StatusBarShowsTheAccuracyNotice) {
  Edit("Epr1loa")->setText("0.8");
  Edit("Epr1lob")->setText("1.0");
  Edit("Epr1loc")->setText("0.1");
  Compute();  // 1.0 mm: Ier = 1
  ASSERT_EQ(form->Curves().Count(), 1);
  EXPECT_EQ(form->statusBar()->currentMessage().toStdString(),
            "1 of 3 points did not reach the requested accuracy");
  ComputeThreePoints();
  EXPECT_EQ(form->statusBar()->currentMessage(), "");
  // A command that ends early leaves no old notice behind.
  Edit("Epr1loa")->setText("0.8");
  Edit("Epr1lob")->setText("1.0");
  Edit("Epr1loc")->setText("0.1");
  Compute();
  Edit("Editr1")->setText("-1");
  Compute();
  EXPECT_EQ(form->statusBar()->currentMessage(), "");
}

TEST_F(WindowTest, NewAsksFirstAndCancelKeepsTheCurves) {
  form->New1Click();  // with no curves the warning still comes
  EXPECT_TRUE(form->OKBottomDlg->isVisible());
  form->OKBottomDlg->OKBtn->click();
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_EQ(form->Curves().Count(), 0);

  ComputeThreePoints();
  ComputeThreePoints();
  form->New1->trigger();
  ASSERT_TRUE(form->OKBottomDlg->isVisible());
  form->OKBottomDlg->CancelBtn->click();
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_EQ(form->Curves().Count(), 2);
  EXPECT_EQ(Visible().size(), 2);

  form->TabControl1Tabs->setCurrentIndex(1);
  form->N1Layer1Click();
  form->New1Click();
  form->OKBottomDlg->OKBtn->click();
  EXPECT_EQ(form->Curves().Count(), 0);
  EXPECT_TRUE(Visible().isEmpty());
  for (int i = 0; i < kCurveSlots; ++i) EXPECT_EQ(form->Curves()[i], nullptr);
  // Nothing else is reset.
  EXPECT_EQ(form->TestCase(), 3);
  EXPECT_EQ(form->ActiveTab(), 1);
  EXPECT_EQ(form->Labelinductivereactance->text().trimmed(), "100.000000");
  // The next curve goes to slot 0 again.
  form->Halfspace1Click();
  ComputeThreePoints();
  EXPECT_EQ(form->Curves().Count(), 1);
  EXPECT_NE(form->Curves()[0], nullptr);
}

// New keeps the emptied series hidden for the next curves. What the user sees stays as if they
// were new: the new colour, only the new points, a later curve drawn over an earlier one, and a
// saved picture with the visible curves only.
TEST_F(WindowTest, CurvesAfterNewLookAsIfNew) {
  Radio("RBpr1lo")->setChecked(true);
  ComputeThreePoints();  // blue
  Radio("RBpr1mr1")->setChecked(true);
  Compute();  // green
  Radio("RBpr1lo")->setChecked(true);
  Compute();  // blue
  form->New1Click();
  form->OKBottomDlg->OKBtn->click();
  ASSERT_TRUE(Visible().isEmpty());

  // Two curves: both in series the first curves had.
  Radio("RBpr1con1")->setChecked(true);
  Edit("Epr1con1b")->setText("2.0");
  Compute();  // red, two points
  Radio("RBpr1mr1")->setChecked(true);
  Edit("Epr1mr1a")->setText("1");
  Edit("Epr1mr1b")->setText("3");
  Edit("Epr1mr1c")->setText("1");
  Compute();  // green, three points
  const QList<QLineSeries*> shown = Visible();
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(form->Chart1->series().size(), 3);  // nothing added to the chart
  EXPECT_EQ(shown[0], form->Curves()[0]);  // drawing order is computation order
  EXPECT_EQ(shown[1], form->Curves()[1]);
  EXPECT_EQ(shown[0]->color(), QColor(255, 0, 0));
  EXPECT_EQ(shown[0]->pen().color(), QColor(255, 0, 0));
  EXPECT_EQ(shown[0]->brush().color(), QColor(255, 0, 0));
  EXPECT_EQ(shown[0]->count(), 2);
  EXPECT_EQ(shown[1]->color(), QColor(0, 128, 0));
  EXPECT_EQ(shown[1]->count(), 3);
  EXPECT_TRUE(shown[0]->pointsVisible());
  EXPECT_EQ(shown[0]->markerSize(), 3.0);
  // Axes from the visible points only: the hidden series hold none.
  EXPECT_LE(Max(Qt::Horizontal), 1.0);
  // A click still reaches the reused curve.
  form->DeleteCurves1->trigger();
  emit shown[0]->clicked(shown[0]->at(0));
  EXPECT_EQ(shown[0]->count(), 0);
  form->DeleteCurves1->trigger();

  // The picture shows the green curve, not the hidden blue one.
  QTemporaryDir dir;
  const QString path = dir.filePath("reused.emf");
  form->AskSavePath = [&] { return path; };
  form->SaveAs1Click();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  const test::EmfFile f = test::ReadEmf(path.toStdString());
  ASSERT_EQ(f.error, "");
  std::map<std::uint32_t, int> lines = PolylinesByPenColour(f);
  EXPECT_GE(lines[emf::ColorRef(0, 128, 0)], 1);
  EXPECT_EQ(lines[emf::ColorRef(0, 0, 255)], 0);
}

TEST_F(WindowTest, DeleteCurvesEmptiesAClickedCurveOnlyWhenChecked) {
  ComputeThreePoints();
  ComputeThreePoints();
  QLineSeries* first = form->Curves()[0];
  emit first->clicked(first->at(0));  // the mode is off: nothing happens
  EXPECT_EQ(first->count(), 3);
  form->DeleteCurves1->trigger();
  EXPECT_TRUE(form->DeleteCurves1->isChecked());
  emit first->clicked(first->at(0));
  EXPECT_EQ(first->count(), 0);
  EXPECT_EQ(form->Curves()[1]->count(), 3);
  EXPECT_EQ(form->Curves().Count(), 2);  // still registered
  form->DeleteCurves1->trigger();
  EXPECT_FALSE(form->DeleteCurves1->isChecked());
  form->Chart1ClickSeries(form->Curves()[1]);
  EXPECT_EQ(form->Curves()[1]->count(), 3);
  // New after a curve was emptied destroys it with the rest.
  form->New1Click();
  form->OKBottomDlg->OKBtn->click();
  EXPECT_TRUE(Visible().isEmpty());
}

TEST_F(WindowTest, AxesLimitsFirstShowingAndManualSwitch) {
  ComputeThreePoints();
  TOKBottomDlg1* d = form->OKBottomDlg1;
  form->AxesLimits1Click();
  ASSERT_TRUE(d->isVisible());
  for (QLineEdit* e : {d->ExLa, d->ExLb, d->ExI, d->EyLa, d->EyLb, d->EyI}) {
    EXPECT_FALSE(e->isEnabled());
    EXPECT_EQ(e->maxLength(), 6);
  }
  EXPECT_FALSE(d->CBxL->isChecked());
  EXPECT_FALSE(d->CByL->isChecked());
  EXPECT_TRUE(d->CBxG->isChecked());
  EXPECT_TRUE(d->CByG->isChecked());
  EXPECT_EQ(d->ExLa->text().toStdString(), ShortText(Min(Qt::Horizontal)));
  EXPECT_EQ(d->EyLb->text().toStdString(), ShortText(Max(Qt::Vertical)));
  EXPECT_EQ(d->ExI->text(), "0");
  d->CBxL->click();
  EXPECT_TRUE(d->ExLa->isEnabled() && d->ExLb->isEnabled() && d->ExI->isEnabled());
  EXPECT_FALSE(d->EyLa->isEnabled());
  d->CBxL->click();
  EXPECT_FALSE(d->ExLa->isEnabled());

  // Chosen again while open: brought to the front, not refilled.
  d->ExLa->setText("typed");
  form->AxesLimits1Click();
  EXPECT_EQ(d->ExLa->text(), "typed");
  d->CancelBtn->click();
  EXPECT_FALSE(d->isVisible());

  // Manual limits on the bottom axis, no grid on the left one.
  form->AxesLimits1Click();
  d->CBxL->click();
  d->ExLa->setText("-1");
  d->ExLb->setText("2");
  d->ExI->setText("0.5");
  d->CByG->click();
  d->OKBtn->click();
  EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(Min(Qt::Horizontal), -1.0);
  EXPECT_EQ(Max(Qt::Horizontal), 2.0);
  EXPECT_EQ(BottomAxis(form->Chart1)->tickInterval(), 0.5);
  EXPECT_FALSE(LeftAxis(form->Chart1)->isGridLineVisible());
  EXPECT_TRUE(BottomAxis(form->Chart1)->isGridLineVisible());
  // A new curve does not move a manual axis.
  Edit("Epr1lob")->setText("9");
  Compute();
  EXPECT_EQ(Max(Qt::Horizontal), 2.0);
  // The dialog kept its check boxes; grid back on, manual off: automatic again.
  form->AxesLimits1Click();
  EXPECT_TRUE(d->CBxL->isChecked());
  EXPECT_TRUE(d->ExLa->isEnabled());
  EXPECT_EQ(d->ExLa->text(), "-1");
  d->CByG->click();
  d->CBxL->click();
  d->OKBtn->click();
  EXPECT_TRUE(LeftAxis(form->Chart1)->isGridLineVisible());
  EXPECT_GE(Max(Qt::Horizontal), 0.09);
  EXPECT_LT(Max(Qt::Horizontal), 2.0);
}

TEST_F(WindowTest, AxesLimitsErrorsKeepTheDialogOpen) {
  TOKBottomDlg1* d = form->OKBottomDlg1;
  form->AxesLimits1Click();  // axes 0..1 with no data
  d->CBxL->click();
  const std::vector<std::tuple<const char*, const char*, const char*, std::string>> cases{
      {"abc", "1", "0", "'abc' is not a valid floating point value."},
      {"5", "10", "1", "Axis Minimum Value must be <= Maximum."},
      {"0.5", "0.2", "1", "Axis Maximum Value must be >= Minimum."},
      {"0", "1", "-1", "Axis increment must be >= 0."},
  };
  for (const auto& [lo, hi, inc, message] : cases) {
    d->ExLa->setText(lo);
    d->ExLb->setText(hi);
    d->ExI->setText(inc);
    d->OKBtn->click();
    EXPECT_EQ(sink.last(), std::pair(MessageKind::Error, message));
    EXPECT_TRUE(d->isVisible());
  }
  // What came before the failing step stays applied: the minimum of 0.5 from the third case.
  EXPECT_FALSE(form->XAxis().automatic);
  EXPECT_EQ(Min(Qt::Horizontal), 0.0);  // the last case set 0 before failing at the increment
}

TEST_F(WindowTest, ZoomOutReturnsToTheScalingBeforeTheZoom) {
  ComputeThreePoints();
  const double lo = Min(Qt::Horizontal), hi = Max(Qt::Horizontal);
  form->ZoomOut1Click();  // no zoom: nothing moves
  EXPECT_EQ(Min(Qt::Horizontal), lo);
  EXPECT_EQ(Max(Qt::Horizontal), hi);
  form->TabControl1Tabs->setCurrentIndex(1);
  form->show();
  QApplication::processEvents();
  form->Chart1->zoomIn(QRectF(form->Chart1->plotArea().center(), QSizeF(40, 40)));
  EXPECT_TRUE(form->Chart1->isZoomed());
  EXPECT_NE(Max(Qt::Horizontal), hi);
  form->ZoomOut1->trigger();
  EXPECT_FALSE(form->Chart1->isZoomed());
  EXPECT_DOUBLE_EQ(Min(Qt::Horizontal), lo);
  EXPECT_DOUBLE_EQ(Max(Qt::Horizontal), hi);
}

TEST_F(WindowTest, SaveAsWritesAVectorMetafileOrSaysWhyNot) {
  QTemporaryDir dir;
  ComputeThreePoints();
  Radio("RBpr1mr1")->setChecked(true);
  Compute();
  ASSERT_EQ(form->Curves().Count(), 2);
  const QString path = dir.filePath("chart.emf");
  form->AskSavePath = [&] { return path; };
  form->SaveAs1->trigger();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  const test::EmfFile f = test::ReadEmf(path.toStdString());
  ASSERT_EQ(f.error, "");
  const auto texts = f.texts();
  for (const char* t : {"Impedance Plane", "Normalized Resistance", "Normalized Inductive Reactance"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
  // At least one polyline in each curve's colour (blue, green).
  std::map<std::uint32_t, int> lines = PolylinesByPenColour(f);
  EXPECT_GE(lines[emf::ColorRef(0, 0, 255)], 1);
  EXPECT_GE(lines[emf::ColorRef(0, 128, 0)], 1);

  const QString missing = dir.filePath("missing/chart.emf");
  form->AskSavePath = [&] { return missing; };
  form->SaveAs1Click();
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Error, "Cannot create file " + missing.toStdString() + "."));

  // Cancelled: nothing written, nothing said.
  sink.shown.clear();
  form->AskSavePath = [] { return QString(); };
  form->SaveAs1Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chart.emf"});
}

TEST_F(WindowTest, AboutBoxOneAtATime) {
  form->About1->trigger();
  EXPECT_TRUE(form->AboutBox->isVisible());
  EXPECT_EQ(form->AboutBox->windowTitle(), "About");
  form->About1Click();
  EXPECT_EQ(QApplication::topLevelWidgets().count(form->AboutBox), 1);
  form->AboutBox->OKButton->click();
  EXPECT_FALSE(form->AboutBox->isVisible());
}

TEST_F(WindowTest, ExitClosesTheWindow) {
  form->show();
  form->New1Click();
  form->Exit1->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
}

// The real command on the default inputs of case 1: one blue curve of lift-off points.
TEST(WindowRealModels, DefaultLiftOffSweep) {
  test::EnsureQtApp();
  RecordingSink sink;
  TForm1 form;
  form.SetMessageSink(&sink);
  test::ComputeAndWait(form);
  EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(form.Curves().Count(), 1);
  EXPECT_GE(form.Curves()[0]->count(), 9);
  EXPECT_EQ(form.Curves()[0]->color(), QColor(0, 0, 255));
  EXPECT_NE(form.Labelinductance->text(), "0.0");
  // Far from the plate the points tend to (0, 1): the last (largest lift-off) point is nearest.
  const QPointF last = form.Curves()[0]->at(form.Curves()[0]->count() - 1);
  EXPECT_GT(last.y(), form.Curves()[0]->at(0).y());
}

}  // namespace
}  // namespace veldo

namespace veldo {
namespace {

// The window's own arithmetic while it draws must neither clear nor raise the floating-point
// flags the command tests after its steps.
TEST(WindowOutputFlags, DrawingLeavesTheCommandsFlagsAlone) {
  test::EnsureQtApp();
  RecordingSink sink;
  TForm1 form;
  form.SetMessageSink(&sink);
  int before = -1, after = -1;
  form.SetComputeCommand([&](int, const ComputeInput&, ComputeOutput& out, std::stop_token) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    before = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    out.SetProgressPosition(0);
    out.SetProgressMaximum(3);
    out.BeginCurve(kBlue);
    for (double x : {0.0, 1e-300, 1e300}) {
      out.StepProgress();
      out.AddPoint(x, 1.0 / 3.0);
    }
    out.SetAirCoilLabels("1", "2");
    out.ReportAccuracy(1, 3, false);
    out.ShowMessage(MessageKind::Plain, "done");
    after = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    out.CountCurve();
  });
  test::ComputeAndWait(form);
  EXPECT_EQ(before, FE_DIVBYZERO);
  EXPECT_EQ(after, FE_DIVBYZERO);
  EXPECT_EQ(form.Curves().Count(), 1);
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace veldo

namespace veldo {
namespace {

// The mouse on the real chart view: a click on a curve reaches Chart1ClickSeries through the
// rubber band, a drag zooms, a right click does not zoom out.
class ChartMouseTest : public WindowTest {
protected:
  QPoint ViewPoint(QLineSeries* s, int i) {
    const QPointF inChart = form->Chart1->mapToPosition(s->at(i), s);
    return form->Chart1View->mapFromScene(form->Chart1->mapToScene(inChart));
  }
  void ShowChart() {
    form->show();
    form->TabControl1Tabs->setCurrentIndex(1);
    QApplication::processEvents();
  }
};

TEST_F(ChartMouseTest, ClickOnACurveEmptiesItInDeleteMode) {
  ComputeThreePoints();
  ShowChart();
  QLineSeries* s = form->Curves()[0];
  QWidget* vp = form->Chart1View->viewport();
  const QPoint p = ViewPoint(s, 1);
  QTest::mouseClick(vp, Qt::LeftButton, {}, p);
  EXPECT_EQ(s->count(), 3);  // the mode is off
  form->DeleteCurves1->trigger();
  QTest::mouseClick(vp, Qt::LeftButton, {}, p);
  EXPECT_EQ(s->count(), 0);
  EXPECT_EQ(form->Curves().Count(), 1);
  // Any mouse button counts.
  ComputeThreePoints();
  QLineSeries* second = form->Curves()[1];
  QApplication::processEvents();
  QTest::mouseClick(vp, Qt::RightButton, {}, ViewPoint(second, 1));
  EXPECT_EQ(second->count(), 0);
}

TEST_F(ChartMouseTest, DragZoomsAndZoomOutUndoesIt) {
  ComputeThreePoints();
  ShowChart();
  const double lo = Min(Qt::Horizontal), hi = Max(Qt::Horizontal);
  QWidget* vp = form->Chart1View->viewport();
  const QRectF plot = form->Chart1->plotArea();
  const QPoint a = form->Chart1View->mapFromScene(form->Chart1->mapToScene(plot.topLeft() + QPointF(10, 10)));
  const QPoint b = form->Chart1View->mapFromScene(form->Chart1->mapToScene(plot.center()));
  QTest::mousePress(vp, Qt::LeftButton, {}, a);
  QTest::mouseMove(vp, (a + b) / 2);
  QTest::mouseMove(vp, b);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, b);
  ASSERT_TRUE(form->Chart1->isZoomed());
  const double zoomedHi = Max(Qt::Horizontal);
  EXPECT_LT(zoomedHi, hi);
  QTest::mouseClick(vp, Qt::RightButton, {}, b);  // no zoom-out by the right button
  EXPECT_EQ(Max(Qt::Horizontal), zoomedHi);
  form->ZoomOut1Click();
  EXPECT_DOUBLE_EQ(Min(Qt::Horizontal), lo);
  EXPECT_DOUBLE_EQ(Max(Qt::Horizontal), hi);
}

}  // namespace
}  // namespace veldo

namespace veldo {
namespace {

// Zoom Out returns each axis to the scaling it had before the zoom, manual limits included,
// whatever re-ranged the chart while it was zoomed.
TEST_F(ChartMouseTest, ZoomOutRestoresManualLimitsAfterAnyRescale) {
  const std::vector<std::pair<const char*, std::function<void()>>> whileZoomed{
      {"Compute", [&] { ComputeThreePoints(); }},
      {"New", [&] {
         form->New1Click();
         form->OKBottomDlg->OKBtn->click();
       }},
      {"deleted curve", [&] {
         form->DeleteCurves1->setChecked(true);
         form->Chart1ClickSeries(form->Curves()[0]);
       }},
      {"message", [&] {
         Edit("Editr1")->setText("-1");
         Compute();
       }},
  };
  for (const auto& [name, event] : whileZoomed) {
    SetUp();
    ComputeThreePoints();
    ShowChart();
    form->AxesLimits1Click();
    TOKBottomDlg1* d = form->OKBottomDlg1;
    d->CBxL->click();
    d->ExLa->setText("-1");
    d->ExLb->setText("2");
    d->OKBtn->click();
    const double yLo = Min(Qt::Vertical), yHi = Max(Qt::Vertical);
    form->Chart1->zoomIn(QRectF(form->Chart1->plotArea().center(), QSizeF(40, 40)));
    ASSERT_TRUE(form->Chart1->isZoomed()) << name;
    event();
    form->ZoomOut1Click();
    EXPECT_FALSE(form->Chart1->isZoomed()) << name;
    EXPECT_EQ(Min(Qt::Horizontal), -1.0) << name;
    EXPECT_EQ(Max(Qt::Horizontal), 2.0) << name;
    if (std::string(name) == "Compute") {  // the automatic axis follows the data as before
      EXPECT_EQ(Min(Qt::Vertical), yLo) << name;
      EXPECT_EQ(Max(Qt::Vertical), yHi) << name;
    }
  }
}

// OK in Axes Limits applies its limits at once and ends the zoom: automatic axes follow new
// curves again without Zoom Out.
TEST_F(ChartMouseTest, AxesLimitsOkEndsTheZoom) {
  ComputeThreePoints();
  ShowChart();
  form->Chart1->zoomIn(QRectF(form->Chart1->plotArea().center(), QSizeF(40, 40)));
  const double zoomedHi = Max(Qt::Horizontal);
  Edit("Epr1lob")->setText("9");
  Compute();
  EXPECT_EQ(Max(Qt::Horizontal), zoomedHi);  // the zoom stands while curves arrive
  form->AxesLimits1Click();
  TOKBottomDlg1* d = form->OKBottomDlg1;
  d->CBxL->click();
  d->ExLa->setText("0");
  d->ExLb->setText("0.5");
  d->OKBtn->click();
  EXPECT_FALSE(form->Chart1->isZoomed());
  EXPECT_EQ(Max(Qt::Horizontal), 0.5);
  EXPECT_LE(Min(Qt::Vertical), 0.91);  // the left axis follows all the data again
  Edit("Epr1lob")->setText("20");
  Compute();
  EXPECT_LE(Min(Qt::Vertical), 0.80);  // and the next curve
  EXPECT_EQ(Max(Qt::Horizontal), 0.5);
}

}  // namespace
}  // namespace veldo
