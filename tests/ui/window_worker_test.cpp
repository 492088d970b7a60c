// Compute on its worker, seen from the window: the event loop keeps running during a long sweep
// (tabs switch, the chart zooms, the curve and the progress bar grow in sweep order), Stop and
// Esc end the sweep with its points kept, messages come on the window's thread at their place
// in the command, the command's floating-point flags stay its own, and closing or destroying
// the window stops the worker. The models sleep at every point, so a sweep lasts long enough to
// act on it; nothing depends on the speed of the machine (bench/ui measures the latency).
#include <QAction>
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
#include <thread>

#include "tests/ui/window_support.hpp"
#include "ui/drawings.hpp"

namespace veldo {
namespace {

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
// accuracy notice in window_test). Esc with nothing running does nothing.
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
  Edit("Epr1lob")->setText("100000");  // hours of sleeping points
  form->ButtonComputeClick();
  while (PointsSoFar() < 2) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  form.reset();
  EXPECT_EQ(status.load(), ComputeStatus::Cancelled);
  QCoreApplication::processEvents();  // nothing queued for the window is left to run
}

}  // namespace
}  // namespace veldo
