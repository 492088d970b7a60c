// The main window offscreen over stand-in models: start state, case selection under either tab,
// Compute through the window, New, Delete Curves, Axes Limits, zoom, Save As in each format; and
// Compute on its worker.
#include <QAction>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/case_table.hpp"
#include "tests/ui/emf_reader.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/drawings.hpp"
#include "ui/emf_encoder.hpp"
#include "ui/layered_group.hpp"
#include "ui/number_text.hpp"

namespace veldo {
namespace {

class WindowTest : public test::WindowFixture {
protected:
  static bool Shown(const QWidget* w) { return !w->isHidden(); }
  // Only the input group and the drawing of case k are shown (k = 0: no drawing); the layered
  // geometries (10 to 12) share one drawing.
  void ExpectCaseShown(int k, int drawing) const {
    for (int i = 1; i <= 9; ++i) {
      EXPECT_EQ(Shown(form->CaseGroups[i - 1]), i == k) << k << " " << i;
      EXPECT_EQ(Shown(form->Drawings[i - 1]), i == drawing) << k << " " << i;
    }
    for (int i = 10; i <= 12; ++i)
      EXPECT_EQ(Shown(form->LayeredGroups[static_cast<std::size_t>(i - 10)]), i == k) << k << " " << i;
    EXPECT_EQ(Shown(form->StackDrawing), drawing >= 10) << k;
  }
  // The point of a curve in the chart view's coordinates.
  QPoint ViewPoint(QLineSeries* s, int i) const {
    const QPointF inChart = form->Chart1->mapToPosition(s->at(i), s);
    return form->Chart1View->mapFromScene(form->Chart1->mapToScene(inChart));
  }
  test::EmfFile SaveAndRead() {
    const QString path = Path("chart.emf");
    form->AskSavePath = [path] { return path; };
    form->SaveAs1->trigger();
    EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
    return test::ReadEmf(path.toStdString());
  }
};

// What the handlers and Compute rely on at start: in every case group the first parameter is
// chosen, and the frequency row is a sweep selector among them with its From, To and Step.
TEST_F(WindowTest, StartState) {
  EXPECT_EQ(form->TestCase(), 1);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(form->ActiveTab(), 0);
  ExpectCaseShown(1, 1);
  EXPECT_FALSE(Shown(form->Chart1View));
  for (QAction* a : {form->N1Layer3, form->N2Layers3, form->N2Layers4, form->CylindricalID2,
                     form->CylindricalOD2, form->Spherical2})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  for (const CaseDef& c : kCases) {
    if (c.params.empty()) continue;
    const ParamDef& f = c.frequency;
    QRadioButton* first = Radio(std::string(c.params[0].selector).c_str());
    QRadioButton* rb = Radio(std::string(f.selector).c_str());
    ASSERT_TRUE(first != nullptr && rb != nullptr) << c.group;
    EXPECT_TRUE(first->isChecked() && !rb->isChecked()) << c.group;
    EXPECT_EQ(rb->parentWidget(), first->parentWidget()) << c.group;  // one choice with the other rows
    for (std::string_view field : {f.fromField, f.toField, f.stepField})
      EXPECT_NE(Edit(std::string(field).c_str()), nullptr) << field;
  }
}

// In the two-layer groups the MR1 row stands above the CON2 row.
TEST_F(WindowTest, TwoLayerRowsShowMr1AboveCon2) {
  for (const std::string stem : {"pr2", "id2", "od2"}) {
    auto* grid = qobject_cast<QGridLayout*>(form->findChild<QGroupBox*>(("GB" + stem).c_str())->layout());
    auto row = [&](const char* param) {
      int r = -1, c, rs, cs;
      grid->getItemPosition(grid->indexOf(Radio(("RB" + stem + param).c_str())), &r, &c, &rs, &cs);
      return r;
    };
    EXPECT_LT(row("con1"), row("mr1")) << stem;
    EXPECT_EQ(row("mr1") + 1, row("con2")) << stem;
  }
}

// The menu entries select their case; with the chart in view the drawings stay hidden until
// the Geometry tab returns. (The entries of cases that do not compute start disabled.)
TEST_F(WindowTest, CaseSelectionUnderEitherTab) {
  const std::vector<std::pair<QAction*, int>> entries{
      {form->Layered1, 2}, {form->N1Layer1, 3}, {form->N2Layers1, 4}, {form->N1Layer2, 5},
      {form->N2Layers2, 6}, {form->N1Layer4, 9}, {form->LayeredPlate1, 10}, {form->Tube1, 11},
      {form->Rod1, 12}, {form->Halfspace1, 1}, {form->Halfspace1, 1}};
  for (const int tab : {0, 1}) {
    form->TabControl1Tabs->setCurrentIndex(tab);
    for (const auto& [entry, k] : entries) {
      entry->trigger();
      EXPECT_EQ(form->TestCase(), k);
      ExpectCaseShown(k, tab == 0 ? k : 0);
      EXPECT_EQ(Shown(form->Chart1View), tab == 1);
    }
  }
  form->N2Layers1->trigger();
  form->TabControl1Tabs->setCurrentIndex(0);
  ExpectCaseShown(4, 4);
  EXPECT_FALSE(Shown(form->Chart1View));
}

TEST_F(WindowTest, TextsAndChoicesSurviveASwitch) {
  Edit("Epr1loa")->setText("0.7");
  Radio("RBpr1con1")->setChecked(true);
  Radio("RBid1mr1")->setChecked(true);
  form->N1Layer1Click();
  form->Halfspace1Click();
  EXPECT_EQ(Edit("Epr1loa")->text(), "0.7");
  EXPECT_TRUE(Radio("RBpr1con1")->isChecked());
  EXPECT_TRUE(Radio("RBid1mr1")->isChecked());
  EXPECT_TRUE(Radio("RBpr2lo")->isChecked());  // other groups keep their own choice
}

TEST_F(WindowTest, ComputeAddsOneCurveAndShowsTheAirCoilValues) {
  ComputeThreePoints();
  EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(Count(), 1);
  QLineSeries* curve = Curve(0);
  ASSERT_EQ(curve->count(), 3);
  EXPECT_DOUBLE_EQ(curve->at(0).x(), 0.01);  // dR/X0 at LO = 1 mm
  EXPECT_EQ(curve->color(), QColor(0, 0, 255));
  EXPECT_EQ(form->Labelinductivereactance->text(), "      100.000000");
  EXPECT_EQ(form->Labelinductance->text(), "        0.000159");
  EXPECT_EQ(form->PB1->value(), form->PB1->maximum());
}

// The accuracy notice stands until the next command, whether that completes or ends early.
TEST_F(WindowTest, StatusBarShowsTheAccuracyNotice) {
  for (const char* next : {"complete", "end early"}) {
    LiftOff("0.8", "1.0", "0.1");
    Compute();  // 0.9 mm: Ier = 1
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(), "1 of 3 points did not reach the requested accuracy");
    if (std::string(next) == "end early") Edit("Editr1")->setText("-1");
    ComputeThreePoints();
    EXPECT_EQ(form->statusBar()->currentMessage(), "") << next;
  }
}

// New asks first (also with no curves); Cancel keeps the curves; OK empties the registry and
// resets nothing else. (The next curves after New: CurvesAfterNewLookAsIfNew.)
TEST_F(WindowTest, NewAsksFirstAndCancelKeepsTheCurves) {
  form->New1->trigger();
  EXPECT_TRUE(form->OKBottomDlg->isVisible());
  form->OKBottomDlg->OKBtn->click();
  EXPECT_FALSE(form->OKBottomDlg->isVisible());

  ComputeThreePoints();
  ComputeThreePoints();
  form->New1->trigger();
  form->OKBottomDlg->CancelBtn->click();
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Visible().size(), 2);

  form->TabControl1Tabs->setCurrentIndex(1);
  form->N1Layer1Click();
  ConfirmNew();
  EXPECT_EQ(Count(), 0);
  EXPECT_TRUE(Visible().isEmpty());
  EXPECT_EQ(form->TestCase(), 3);
  EXPECT_EQ(form->ActiveTab(), 1);
  EXPECT_EQ(form->Labelinductivereactance->text().trimmed(), "100.000000");
}

// New keeps the emptied series hidden for the next curves. What the user sees stays as if they
// were new: the new colour, only the new points, a later curve drawn over an earlier one, clicks
// reaching it, the axes and a saved picture from the visible curves only.
TEST_F(WindowTest, CurvesAfterNewLookAsIfNew) {
  ComputeThreePoints();  // blue
  Radio("RBpr1mr1")->setChecked(true);
  Compute();  // green
  Radio("RBpr1lo")->setChecked(true);
  LiftOff("1", "900", "100");
  Compute();  // blue, out to x = 9
  ConfirmNew();

  Radio("RBpr1con1")->setChecked(true);
  Edit("Epr1con1b")->setText("2.0");
  Compute();  // red, two points
  Radio("RBpr1mr1")->setChecked(true);
  Compute();  // green
  const QList<QLineSeries*> shown = Visible();
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(shown[0], Curve(0));  // drawing order is computation order
  EXPECT_EQ(shown[1], Curve(1));
  EXPECT_EQ(shown[0]->pen().color(), QColor(255, 0, 0));
  EXPECT_EQ(shown[0]->brush().color(), QColor(255, 0, 0));
  EXPECT_EQ(shown[0]->count(), 2);
  EXPECT_EQ(shown[1]->color(), QColor(0, 128, 0));
  EXPECT_LE(Max(Qt::Horizontal), 1.0);  // the hidden series hold no points
  form->DeleteCurves1->trigger();
  emit shown[0]->clicked(shown[0]->at(0));
  EXPECT_EQ(shown[0]->count(), 0);

  const auto lines = SaveAndRead().polylinesByPenColour();
  EXPECT_GE(lines.count(emf::ColorRef(0, 128, 0)), 1u);
  EXPECT_EQ(lines.count(emf::ColorRef(0, 0, 255)), 0u);
}

// The mouse on the chart view: with Delete Curves on (it starts off), a click of any button on a
// curve empties it (the curve stays registered and New still removes it); off, a click does
// nothing.
TEST_F(WindowTest, ClickOnACurveEmptiesItInDeleteMode) {
  ComputeThreePoints();
  LiftOff("5", "7", "1");
  Compute();
  ShowChart();
  QWidget* vp = form->Chart1View->viewport();
  QTest::mouseClick(vp, Qt::LeftButton, {}, ViewPoint(Curve(0), 1));
  EXPECT_EQ(Curve(0)->count(), 3);
  form->DeleteCurves1->trigger();
  EXPECT_TRUE(form->DeleteCurves1->isChecked());
  QTest::mouseClick(vp, Qt::RightButton, {}, ViewPoint(Curve(1), 1));
  EXPECT_EQ(Curve(1)->count(), 0);
  EXPECT_EQ(Curve(0)->count(), 3);
  EXPECT_EQ(Count(), 2);
  ConfirmNew();
  EXPECT_TRUE(Visible().isEmpty());
}

// The dialog shows the axes as they are, switches its fields with Manual, applies limits and
// grids on OK and keeps its check boxes; a failed check says why and keeps the dialog open, what
// came before it staying applied (the order of the checks: text_test).
TEST_F(WindowTest, AxesLimitsShowingManualSwitchAndGrid) {
  ComputeThreePoints();
  TOKBottomDlg1* d = form->OKBottomDlg1;
  form->AxesLimits1Click();
  ASSERT_TRUE(d->isVisible());
  for (QLineEdit* e : {d->ExLa, d->ExLb, d->ExI, d->EyLa, d->EyLb, d->EyI}) {
    EXPECT_FALSE(e->isEnabled());
    EXPECT_EQ(e->maxLength(), 6);
  }
  EXPECT_FALSE(d->CBxL->isChecked() || d->CByL->isChecked());
  EXPECT_TRUE(d->CBxG->isChecked() && d->CByG->isChecked());
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

  // Manual limits on the bottom axis, no grid on the left one. (New curves leave manual limits
  // alone: AxesLimitsOkEndsTheZoom.)
  form->AxesLimits1Click();
  d->CByG->click();
  ManualBottomAxis("-1", "2", "0.5");
  EXPECT_TRUE(sink.shown.empty()) << sink.last().second;
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(Min(Qt::Horizontal), -1.0);
  EXPECT_EQ(Max(Qt::Horizontal), 2.0);
  EXPECT_EQ(Axis(Qt::Horizontal)->tickInterval(), 0.5);
  EXPECT_FALSE(Axis(Qt::Vertical)->isGridLineVisible());
  EXPECT_TRUE(Axis(Qt::Horizontal)->isGridLineVisible());
  // The dialog kept its check boxes; grid back on, manual off: automatic again.
  form->AxesLimits1Click();
  EXPECT_TRUE(d->CBxL->isChecked() && d->ExLa->isEnabled());
  EXPECT_EQ(d->ExLa->text(), "-1");
  d->CByG->click();
  d->CBxL->click();
  d->OKBtn->click();
  EXPECT_TRUE(Axis(Qt::Vertical)->isGridLineVisible());
  EXPECT_GE(Max(Qt::Horizontal), 0.03);  // the axes follow the data again
  EXPECT_LT(Max(Qt::Horizontal), 2.0);

  ManualBottomAxis("0.02", "0.01");
  EXPECT_EQ(sink.last(), std::pair(MessageKind::Error, std::string("Axis Maximum Value must be >= Minimum.")));
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(Min(Qt::Horizontal), 0.02);
}

// A drag zooms into the rectangle, a right click does not zoom out, Zoom Out returns to the
// range before the zoom, and without a zoom leaves the axes as they are.
TEST_F(WindowTest, DragZoomsAndZoomOutUndoesIt) {
  ComputeThreePoints();
  ShowChart();
  const double lo = Min(Qt::Horizontal), hi = Max(Qt::Horizontal);
  form->ZoomOut1Click();
  EXPECT_EQ(Min(Qt::Horizontal), lo);
  EXPECT_EQ(Max(Qt::Horizontal), hi);
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
  QTest::mouseClick(vp, Qt::RightButton, {}, b);
  EXPECT_EQ(Max(Qt::Horizontal), zoomedHi);
  form->ZoomOut1->trigger();
  EXPECT_FALSE(form->Chart1->isZoomed());
  EXPECT_DOUBLE_EQ(Min(Qt::Horizontal), lo);
  EXPECT_DOUBLE_EQ(Max(Qt::Horizontal), hi);
}

// Zoom Out returns each axis to the scaling it had before the zoom, manual limits included,
// whatever re-ranged the chart while it was zoomed.
TEST_F(WindowTest, ZoomOutRestoresManualLimitsAfterAnyRescale) {
  const std::vector<std::pair<const char*, std::function<void()>>> whileZoomed{
      {"Compute", [&] { ComputeThreePoints(); }},
      {"New", [&] { ConfirmNew(); }},
      {"deleted curve", [&] {
         form->DeleteCurves1->setChecked(true);
         form->Chart1ClickSeries(Curve(0));
       }},
      {"message", [&] {
         Edit("Editr1")->setText("-1");
         Compute();
       }},
  };
  for (const auto& [name, event] : whileZoomed) {
    Restart();
    ComputeThreePoints();
    ShowChart();
    ManualBottomAxis("-1", "2");
    const double yLo = Min(Qt::Vertical), yHi = Max(Qt::Vertical);
    ZoomIntoCentre();
    ASSERT_TRUE(form->Chart1->isZoomed()) << name;
    event();
    form->ZoomOut1Click();
    EXPECT_FALSE(form->Chart1->isZoomed()) << name;
    EXPECT_EQ(Min(Qt::Horizontal), -1.0) << name;
    EXPECT_EQ(Max(Qt::Horizontal), 2.0) << name;
    if (std::string(name) == "Compute") {  // the automatic axis follows the same data as before
      EXPECT_EQ(Min(Qt::Vertical), yLo);
      EXPECT_EQ(Max(Qt::Vertical), yHi);
    }
  }
}

// The zoom stands while curves arrive; OK in Axes Limits applies its limits at once and ends
// the zoom, so automatic axes follow new curves again without Zoom Out.
TEST_F(WindowTest, AxesLimitsOkEndsTheZoom) {
  ComputeThreePoints();
  ShowChart();
  ZoomIntoCentre();
  const double zoomedHi = Max(Qt::Horizontal);
  LiftOff("1", "9", "1");
  Compute();
  EXPECT_EQ(Max(Qt::Horizontal), zoomedHi);
  ManualBottomAxis("0", "0.5");
  EXPECT_FALSE(form->Chart1->isZoomed());
  EXPECT_EQ(Max(Qt::Horizontal), 0.5);
  EXPECT_LE(Min(Qt::Vertical), 0.91);
  LiftOff("1", "20", "1");
  Compute();
  EXPECT_LE(Min(Qt::Vertical), 0.80);
  EXPECT_EQ(Max(Qt::Horizontal), 0.5);
}

// Save As writes the window's chart as a vector metafile or in the format its suffix names; a
// cancelled dialog writes nothing. (Paths it cannot write: window_abuse_test.)
TEST_F(WindowTest, SaveAsWritesTheFormatItsSuffixNames) {
  ComputeThreePoints();
  const test::EmfFile f = SaveAndRead();  // what it holds: CurvesAfterNewLookAsIfNew, emf_test
  ASSERT_EQ(f.error, "");
  EXPECT_TRUE(f.hasText("Impedance Plane"));
  for (const auto& [name, start] : {std::pair{"chart.png", std::string("\x89PNG")}, std::pair{"chart.svg", std::string("<?xml")},
                                    std::pair{"chart.EMF", std::string("\x01\0\0\0", 4)}}) {
    const QString path = Path(name);
    form->AskSavePath = [path] { return path; };
    form->SaveAs1Click();
    EXPECT_EQ(test::ReadAll(path).substr(0, start.size()), start) << name;
  }
  EXPECT_TRUE(sink.shown.empty());

  form->AskSavePath = [] { return QString(); };
  form->SaveAs1Click();
  EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(WindowTest, AboutBoxOneAtATimeAndExitClosesAll) {
  form->show();
  form->About1->trigger();
  form->About1Click();
  EXPECT_TRUE(form->AboutBox->isVisible());
  EXPECT_EQ(QApplication::topLevelWidgets().count(form->AboutBox), 1);
  form->AboutBox->OKButton->click();
  EXPECT_FALSE(form->AboutBox->isVisible());
  form->New1Click();
  form->Exit1->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
}

// =============================================================================================
// Compute on its worker, seen from the window: the event loop keeps running during a long sweep
// (tabs switch, the chart zooms, the curve and the progress bar grow in sweep order), Stop and
// Esc end the sweep with its points kept, messages come on the window's thread at their place
// in the command, the command's floating-point flags stay its own, and closing or destroying
// the window stops the worker. The models sleep at every point, so a sweep lasts long enough to
// act on it; nothing depends on the speed of the machine (bench/ui measures the latency).

constexpr int kPoints = 40;  // the lift-off sweep 1, 2, ..., 40 mm

// X0 = 100 ohm; dR = 1000·P, dX = −1000·P (P in m), after a pause of 20 ms; at 7 mm, when the
// conductivity is 0.5 MS/m, an invalid operation at once (the point before is still on its way).
ModelTable SleepyModels() {
  return test::StandInModels(test::FixedAirCoil(100.0), [](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
    const bool fault = a.CON1 == 0.5e6 && a.P1 > 0.00695 && a.P1 < 0.00705;
    if (!fault) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    volatile double zero = 0.0;
    dR = fault ? zero / zero : 1000.0 * a.P1;
    dX = -1000.0 * a.P1;
    Ier = 0;
  });
}

class WorkerTest : public test::WindowFixture {
protected:
  void SetUp() override { Use(1); }
  // A fresh window over the sleepy models on `threads` threads.
  void Use(int threads) {
    Restart(SleepyModels(), threads);
    LiftOff("1", QString::number(kPoints), "1");
  }
  QLineSeries* LastCurve() const { return Visible().isEmpty() ? nullptr : Visible().back(); }
  int PointsSoFar() const { return LastCurve() != nullptr ? static_cast<int>(LastCurve()->count()) : 0; }
  // Runs `tick` every 10 ms on the window's thread until the command has ended.
  void EveryTick(const std::function<void()>& tick) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, tick);
    timer.start();
    form->WaitForCompute();
  }
  void ExpectIdleWindow() const {
    EXPECT_FALSE(form->Computing());
    EXPECT_EQ(form->ButtonCompute->text(), "Compute");
    EXPECT_TRUE(form->ButtonCompute->isEnabled());
    EXPECT_TRUE(form->GBcoil->isEnabled());
    EXPECT_TRUE(form->CaseGroups[0]->isEnabled());
    EXPECT_TRUE(form->New1->isEnabled());
  }
};

// While the curve grows the user switches tabs and zooms, and the progress bar and the curve
// are seen part-way, growing in sweep order. The inputs and the curve registry are out of reach:
// the command reads the inputs as they were at the click, the case entries wait, Delete Curves
// spares the curve being computed and New's OK, however it is reached, removes nothing.
TEST_F(WorkerTest, TheWindowStaysResponsiveWhileTheCurveGrowsOutOfReach) {
  ShowChart();
  form->ButtonComputeClick();
  ASSERT_TRUE(form->Computing());  // the click returned while the sweep runs
  EXPECT_EQ(form->ButtonCompute->text(), "Stop");
  Edit("Epr1lob")->setText("9");  // typed (by a script) after the click: not this sweep's
  EXPECT_FALSE(form->GBcoil->isEnabled());
  EXPECT_FALSE(form->GBaccuracy->isEnabled());
  for (QGroupBox* g : form->CaseGroups) EXPECT_FALSE(g->isEnabled());
  EXPECT_FALSE(form->New1->isEnabled());
  EXPECT_FALSE(form->OKBottomDlg->OKBtn->isEnabled());  // a warning left open cannot remove curves
  for (QAction* a : {form->SaveAs1, form->AxesLimits1, form->ZoomOut1}) EXPECT_TRUE(a->isEnabled());
  form->N1Layer1Click();
  EXPECT_EQ(form->TestCase(), 1);
  std::vector<int> progress, points;
  std::vector<QList<QPointF>> snapshots;
  int step = 0;
  bool sawGeometry = false, sawZoom = false;
  EveryTick([&] {
    progress.push_back(form->PB1->value());
    points.push_back(PointsSoFar());
    if (LastCurve() != nullptr) snapshots.push_back(LastCurve()->points());
    const int n = PointsSoFar();
    if (step == 0 && n >= 2) {
      form->DeleteCurves1->setChecked(true);
      form->Chart1ClickSeries(LastCurve());
      form->DeleteCurves1->setChecked(false);
      form->OKBottomDlg->Proceed();
      ++step;
    } else if (step == 1 && n >= 4) {
      form->TabControl1Tabs->setCurrentIndex(0);
      sawGeometry = !form->Chart1View->isVisible() && form->Drawings[0]->isVisible();
      ++step;
    } else if (step == 2 && n >= 8) {
      form->TabControl1Tabs->setCurrentIndex(1);
      ++step;
    } else if (step == 3 && n >= 12) {
      ZoomIntoCentre();
      sawZoom = form->Chart1->isZoomed();
      ++step;
    } else if (step == 4 && n >= 16) {
      form->ZoomOut1Click();
      ++step;
    }
  });
  EXPECT_TRUE(sawGeometry);
  EXPECT_TRUE(sawZoom);
  EXPECT_EQ(commandsStarted.load(), 1);
  ASSERT_EQ(status.load(), ComputeStatus::Completed);
  ExpectIdleWindow();
  ASSERT_EQ(Count(), 1);
  const QList<QPointF> final = Curve(0)->points();
  ASSERT_EQ(final.size(), kPoints);
  for (int i = 0; i < kPoints; ++i) EXPECT_DOUBLE_EQ(final[i].x(), 0.01 * (i + 1)) << i;
  EXPECT_EQ(form->PB1->value(), kPoints);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));
  for (const std::vector<int>* seen : {&progress, &points})
    EXPECT_TRUE(std::any_of(seen->begin(), seen->end(), [](int n) { return n > 0 && n < kPoints / 2; }));
  // Every state of the curve was the beginning of the finished curve.
  for (const QList<QPointF>& s : snapshots) EXPECT_EQ(s, final.first(s.size()));
  form->N1Layer1Click();
  EXPECT_EQ(form->TestCase(), 3);
}

// Esc on one worker, Stop on two: the sweep ends after the points computed so far, which stay
// as a counted curve; the status bar says after how many (until the next command, as the
// accuracy notice). Esc with nothing running does nothing.
TEST_F(WorkerTest, EscAndStopKeepThePointsComputedSoFar) {
  for (const bool escape : {true, false}) {
    Use(escape ? 1 : 2);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_Escape);
    form->ButtonComputeClick();
    bool asked = false;
    EveryTick([&] {
      if (asked || PointsSoFar() < 5) return;
      asked = true;
      if (escape)
        QTest::keyClick(form.get(), Qt::Key_Escape);
      else
        form->ButtonCompute->click();
    });
    ASSERT_EQ(status.load(), ComputeStatus::Cancelled) << (escape ? "Esc" : "Stop");
    ExpectIdleWindow();
    ASSERT_EQ(Count(), 1);
    const int k = static_cast<int>(Curve(0)->count());
    EXPECT_GE(k, 5);
    EXPECT_LT(k, kPoints);
    EXPECT_EQ(form->PB1->value(), k);
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(),
              "Sweep cancelled after " + std::to_string(k) + " of " + std::to_string(kPoints) + " points");
  }
}

// Messages come on the window's thread with their text and kind, in their place in the command
// (the range check after the air-coil labels, with no curve; a fault after the points before it,
// which stay), and the command waits for the user.
TEST_F(WorkerTest, MessagesComeOnTheWindowThreadInTheirPlace) {
  struct Seen {
    bool onWindowThread;
    int points;
    std::string reactance;
  };
  std::vector<Seen> seen;
  struct : test::RecordingSink {
    std::function<void()> whileShown;
    void Show(MessageKind kind, const std::string& text) override {
      RecordingSink::Show(kind, text);
      whileShown();
    }
  } boxes;
  int pointsWhileOpen = -1;
  boxes.whileShown = [&] {
    seen.push_back({QThread::currentThread() == QCoreApplication::instance()->thread(), PointsSoFar(),
                    form->Labelinductivereactance->text().trimmed().toStdString()});
    QTest::qWait(100);  // the user takes a while to close the box; the command waits
    pointsWhileOpen = PointsSoFar();
  };
  form->SetMessageSink(&boxes);
  Edit("Epr1lob")->setText("0.5");  // To below From
  Compute();
  Edit("Epr1lob")->setText("9");
  Edit("Epr1con1a")->setText("0.5");  // 7 mm faults
  Compute();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0], std::pair(MessageKind::Plain, std::string("Check if (From <= To) and if (Step > 0)")));
  EXPECT_EQ(seen[0].reactance, "100.000000");  // the labels came first
  EXPECT_EQ(boxes.shown[1], std::pair(MessageKind::Error, std::string("Invalid floating point operation.")));
  EXPECT_EQ(seen[1].points, 6);  // 1 to 6 mm were on the chart when the message came
  EXPECT_EQ(pointsWhileOpen, 6);
  EXPECT_TRUE(seen[0].onWindowThread && seen[1].onWindowThread);
  EXPECT_EQ(status.load(), ComputeStatus::Fault);
  EXPECT_EQ(Count(), 1);
  ExpectIdleWindow();
}

// A command that throws on the worker ends with the error's message, and the window goes on.
TEST_F(WorkerTest, AnExceptionOnTheWorkerBecomesAnErrorMessage) {
  form->SetComputeCommand([](int, const ComputeInput&, ComputeOutput& out, std::stop_token) {
    out.SetProgressPosition(0);
    throw std::runtime_error("the model ran out of memory");
  });
  Compute();
  EXPECT_EQ(sink.shown, (std::vector{std::pair(MessageKind::Error, std::string("the model ran out of memory."))}));
  ExpectIdleWindow();
}

// The window's own arithmetic while it draws neither clears nor raises the floating-point flags
// the command tests after its steps.
TEST_F(WorkerTest, DrawingLeavesTheCommandsFlagsAlone) {
  int before = -1, after = -1;
  form->SetComputeCommand([&](int, const ComputeInput&, ComputeOutput& out, std::stop_token) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    before = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
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
  Compute();
  EXPECT_EQ(before, FE_DIVBYZERO);
  EXPECT_EQ(after, FE_DIVBYZERO);
  EXPECT_EQ(Count(), 1);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// Closing the window asks the sweep to stop and closes once it has ended, its dialogs with it.
TEST_F(WorkerTest, ClosingDuringASweepStopsItThenCloses) {
  form->show();
  form->ButtonComputeClick();
  bool closed = true;
  EveryTick([&] {
    if (PointsSoFar() >= 2 && form->isVisible() && !form->OKBottomDlg->isVisible()) {
      form->OKBottomDlg->show();
      closed = form->close();
    }
  });
  EXPECT_FALSE(closed);  // not while the command ran
  EXPECT_EQ(status.load(), ComputeStatus::Cancelled);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_EQ(Count(), 1);
}

// A window destroyed while its command runs stops the command and lets nothing reach it.
TEST_F(WorkerTest, DestroyingTheWindowDuringASweepStopsTheCommand) {
  Edit("Epr1lob")->setText("9000");  // hours of sleeping points
  form->ButtonComputeClick();
  while (PointsSoFar() < 2) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  form.reset();
  EXPECT_EQ(status.load(), ComputeStatus::Cancelled);
  QCoreApplication::processEvents();  // nothing queued for the window is left to run
}

}  // namespace
}  // namespace veldo
