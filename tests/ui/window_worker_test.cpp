// Compute on its worker, seen from the window: the event loop keeps running during a long sweep
// (a timer keeps its pace, tabs switch, the chart zooms, the curve and the progress bar grow in
// sweep order), Stop and Esc end the sweep with its points kept, messages come on the window's
// thread at their place in the command, and closing or destroying the window stops the worker.
// The models sleep at every point, so a sweep lasts long enough to act on it and nothing
// depends on the speed of the machine.
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/compute.hpp"
#include "tests/ui/qt_app.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/chart.hpp"
#include "ui/dialogs.hpp"
#include "ui/drawings.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"

namespace veldo {
namespace {

constexpr int kPoints = 40;  // the lift-off sweep 1, 2, ..., 40 mm
constexpr auto kPointTime = std::chrono::milliseconds(20);

// Records every message with what the window showed at that moment, on the thread it came on.
struct WindowSink : MessageSink {
  struct Shown {
    MessageKind kind;
    std::string text;
    bool onWindowThread;
    int points;  // on the chart's last visible curve
    std::string reactance;
  };
  const TForm1* form = nullptr;
  std::vector<Shown> shown;
  std::function<void()> whileShown;  // what the user does before closing the box
  void Show(MessageKind kind, const std::string& text) override {
    const auto curves = test::VisibleCurves(form->Chart1);
    shown.push_back({kind, text, QThread::currentThread() == QCoreApplication::instance()->thread(),
                     curves.isEmpty() ? 0 : static_cast<int>(curves.back()->count()),
                     form->Labelinductivereactance->text().trimmed().toStdString()});
    if (whileShown) whileShown();
  }
};

// X0 = 100 ohm; dR = 1000·P, dX = −1000·P (P in m), after a pause; at 7 mm an invalid operation
// when the conductivity is 0.5 MS/m.
ModelTable SleepyModels() {
  ModelTable m;
  m.AirCoilReactance = [](int, double, double, double, double, double, double& X0, int& Ier) {
    X0 = 100.0;
    Ier = 0;
  };
  m.CheckRange = [](double from, double to, double step) { return step < 0 || from > to ? 1 : 0; };
  m.PlanarOneLayer = [](int, double, double, double, double, double P, double CON1, double, double,
                        double& dR, double& dX, int& Ier) {
    std::this_thread::sleep_for(kPointTime);
    volatile double zero = 0.0;
    dR = CON1 == 0.5e6 && P > 0.00695 && P < 0.00705 ? zero / zero : 1000.0 * P;
    dX = -1000.0 * P;
    Ier = 0;
  };
  return m;
}

class WorkerTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { test::EnsureQtApp(); }
  void SetUp() override {
    form = std::make_unique<TForm1>();
    sink.form = form.get();
    form->SetMessageSink(&sink);
    UseSleepyModels(1);
    Edit("Epr1loa")->setText("1");
    Edit("Epr1lob")->setText(QString::number(kPoints));
    Edit("Epr1loc")->setText("1");
  }
  void UseSleepyModels(int threads) {
    form->SetComputeCommand([this, threads, models = SleepyModels()](int tc, const ComputeInput& in,
                                                                    ComputeOutput& out, std::stop_token stop) {
      ++commandsStarted;
      status = ButtonComputeClick(tc, in, out, models, threads, std::move(stop));
    });
  }
  QLineEdit* Edit(const char* name) { return form->findChild<QLineEdit*>(name); }
  QLineSeries* LastCurve() {
    const auto curves = test::VisibleCurves(form->Chart1);
    return curves.isEmpty() ? nullptr : curves.back();
  }
  int PointsSoFar() {
    QLineSeries* s = LastCurve();
    return s != nullptr ? static_cast<int>(s->count()) : 0;
  }
  // Runs `tick` every 10 ms on the window's thread until the command has ended.
  void EveryTick(const std::function<void()>& tick) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, tick);
    timer.start();
    form->WaitForCompute();
  }
  void ExpectIdleWindow() {
    EXPECT_FALSE(form->Computing());
    EXPECT_EQ(form->ButtonCompute->text(), "Compute");
    EXPECT_TRUE(form->ButtonCompute->isEnabled());
    EXPECT_TRUE(form->GBcoil->isEnabled());
    EXPECT_TRUE(form->CaseGroups[0]->isEnabled());
    EXPECT_TRUE(form->New1->isEnabled());
  }

  WindowSink sink;
  std::unique_ptr<TForm1> form;
  std::atomic<int> commandsStarted{0};
  std::atomic<ComputeStatus> status{ComputeStatus::NoComputation};
};

// The event loop serves a 10 ms timer throughout a sweep of 0.8 s, the user switches tabs and
// zooms meanwhile, and the progress bar and the curve grow point by point in sweep order.
TEST_F(WorkerTest, TheWindowStaysResponsiveWhileTheCurveGrows) {
  form->show();
  form->TabControl1Tabs->setCurrentIndex(1);
  QApplication::processEvents();

  form->ButtonComputeClick();
  ASSERT_TRUE(form->Computing());  // the click returned while the sweep runs
  EXPECT_EQ(form->ButtonCompute->text(), "Stop");

  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longestGap = 0;
  int ticks = 0;
  std::vector<int> progress, points;
  std::vector<QList<QPointF>> snapshots;
  bool sawGeometry = false, sawZoom = false;
  EveryTick([&] {
    const qint64 now = clock.elapsed();
    longestGap = std::max(longestGap, now - last);
    last = now;
    ++ticks;
    progress.push_back(form->PB1->value());
    points.push_back(PointsSoFar());
    if (LastCurve() != nullptr) snapshots.push_back(LastCurve()->points());
    if (ticks == 10) {
      form->TabControl1Tabs->setCurrentIndex(0);
      sawGeometry = !form->Chart1View->isVisible() && form->Drawings[0]->isVisible();
    }
    if (ticks == 20) form->TabControl1Tabs->setCurrentIndex(1);
    if (ticks == 30 && form->Chart1View->isVisible()) {
      form->Chart1->zoomIn(QRectF(form->Chart1->plotArea().center(), QSizeF(60, 60)));
      sawZoom = form->Chart1->isZoomed();
    }
    if (ticks == 40) form->ZoomOut1Click();
  });
  std::printf("timer: %d ticks of 10 ms over %lld ms, longest gap %lld ms\n", ticks,
              static_cast<long long>(clock.elapsed()), static_cast<long long>(longestGap));

  EXPECT_LT(longestGap, 100) << "the event loop was held up during the sweep";
  EXPECT_TRUE(sawGeometry);
  EXPECT_TRUE(sawZoom);
  ASSERT_EQ(status.load(), ComputeStatus::Completed);
  ExpectIdleWindow();
  ASSERT_EQ(form->Curves().Count(), 1);
  const QList<QPointF> final = form->Curves()[0]->points();
  ASSERT_EQ(final.size(), kPoints);
  for (int i = 0; i < kPoints; ++i) EXPECT_DOUBLE_EQ(final[i].x(), 0.01 * (i + 1)) << i;
  EXPECT_EQ(form->PB1->value(), kPoints);
  // Seen from the timer: both grew step by step, never back, and were seen part-way.
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));
  EXPECT_TRUE(std::any_of(points.begin(), points.end(), [](int n) { return n > 0 && n < kPoints / 2; }));
  EXPECT_TRUE(std::any_of(progress.begin(), progress.end(), [](int n) { return n > 0 && n < kPoints / 2; }));
  // Every state of the curve was the beginning of the finished curve: points arrive in sweep order.
  for (const QList<QPointF>& s : snapshots) EXPECT_EQ(s, final.first(s.size()));
}

// Esc, and Stop on one worker per core: the sweep ends after the points computed so far, which
// stay as a counted curve; the status bar says after how many.
TEST_F(WorkerTest, EscAndStopKeepThePointsComputedSoFar) {
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  for (const bool escape : {true, false}) {
    UseSleepyModels(escape ? 1 : 2);
    const int curve = escape ? 0 : 1;
    form->ButtonComputeClick();
    bool asked = false;
    EveryTick([&] {
      const QLineSeries* s = form->Curves()[static_cast<std::size_t>(curve)];
      if (asked || s == nullptr || s->count() < 5) return;
      asked = true;
      if (escape)
        QTest::keyClick(form.get(), Qt::Key_Escape);
      else
        form->ButtonCompute->click();
    });
    ASSERT_EQ(status.load(), ComputeStatus::Cancelled) << (escape ? "Esc" : "Stop");
    ExpectIdleWindow();
    ASSERT_EQ(form->Curves().Count(), curve + 1);
    const int k = static_cast<int>(form->Curves()[static_cast<std::size_t>(curve)]->count());
    EXPECT_GE(k, 5);
    EXPECT_LT(k, kPoints);
    EXPECT_EQ(form->PB1->value(), k);
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(),
              "Sweep cancelled after " + std::to_string(k) + " of " + std::to_string(kPoints) + " points");
  }
  // Esc with nothing running does nothing, and the next Compute runs to its end.
  QTest::keyClick(form.get(), Qt::Key_Escape);
  Edit("Epr1lob")->setText("3");
  test::ComputeAndWait(*form);
  EXPECT_EQ(status.load(), ComputeStatus::Completed);
  EXPECT_EQ(form->Curves()[2]->count(), 3);
  EXPECT_EQ(form->statusBar()->currentMessage(), "");
}

// While a sweep runs: one command at a time, the inputs and the curve registry are out of
// reach, and the command reads the inputs as they were at the click.
TEST_F(WorkerTest, WhileASweepRunsItsInputsAndCurveAreOutOfReach) {
  Edit("Epr1lob")->setText("6");
  form->ButtonComputeClick();
  ASSERT_TRUE(form->Computing());
  Edit("Epr1lob")->setText("9");  // typed (by a script) after the click: not this sweep's
  EXPECT_FALSE(form->GBcoil->isEnabled());
  EXPECT_FALSE(form->GBaccuracy->isEnabled());
  for (QGroupBox* g : form->CaseGroups) EXPECT_FALSE(g->isEnabled());
  EXPECT_FALSE(form->New1->isEnabled());
  EXPECT_FALSE(form->OKBottomDlg->OKBtn->isEnabled());  // a warning left open cannot remove curves
  EXPECT_TRUE(form->SaveAs1->isEnabled());
  EXPECT_TRUE(form->AxesLimits1->isEnabled());
  EXPECT_TRUE(form->ZoomOut1->isEnabled());
  form->N1Layer1Click();  // the case entries wait
  EXPECT_EQ(form->TestCase(), 1);
  bool triedAgain = false;
  EveryTick([&] {
    if (triedAgain || PointsSoFar() < 1) return;
    triedAgain = true;
    // Delete Curves spares the curve being computed.
    form->DeleteCurves1->setChecked(true);
    form->Chart1ClickSeries(LastCurve());
    form->DeleteCurves1->setChecked(false);
    // New's OK, however it is reached, removes nothing now.
    form->OKBottomDlg->Proceed();
  });
  EXPECT_EQ(commandsStarted.load(), 1);
  EXPECT_EQ(status.load(), ComputeStatus::Completed);
  ExpectIdleWindow();
  ASSERT_EQ(form->Curves().Count(), 1);
  EXPECT_EQ(form->Curves()[0]->count(), 6);
  form->N1Layer1Click();
  EXPECT_EQ(form->TestCase(), 3);
}

// Messages: on the window's thread, in their place in the command (the check of the range after
// the air-coil labels; a fault after the points before it), and the command waits for the user.
TEST_F(WorkerTest, MessagesComeOnTheWindowThreadInTheirPlace) {
  Edit("Epr1lob")->setText("0.5");  // To below From
  test::ComputeAndWait(*form);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "Check if (From <= To) and if (Step > 0)");
  EXPECT_TRUE(sink.shown[0].onWindowThread);
  EXPECT_EQ(sink.shown[0].reactance, "100.000000");  // the labels came first
  EXPECT_EQ(form->Curves().Count(), 0);

  Edit("Epr1lob")->setText("9");
  Edit("Epr1con1a")->setText("0.5");  // 7 mm faults
  int pointsWhileOpen = -1;
  sink.whileShown = [&] {
    // The user takes a while to close the box; the command does not go on meanwhile.
    QTest::qWait(100);
    pointsWhileOpen = PointsSoFar();
  };
  test::ComputeAndWait(*form);
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[1].kind, MessageKind::Error);
  EXPECT_EQ(sink.shown[1].text, "Invalid floating point operation.");
  EXPECT_TRUE(sink.shown[1].onWindowThread);
  EXPECT_EQ(sink.shown[1].points, 6);  // 1 to 6 mm were on the chart when the message came
  EXPECT_EQ(pointsWhileOpen, 6);
  EXPECT_EQ(status.load(), ComputeStatus::Fault);
  EXPECT_EQ(form->Curves().Count(), 1);
  ExpectIdleWindow();
}

// A command that throws on the worker ends with the error's message, and the window goes on.
TEST_F(WorkerTest, AnExceptionOnTheWorkerBecomesAnErrorMessage) {
  form->SetComputeCommand([](int, const ComputeInput&, ComputeOutput& out, std::stop_token) {
    out.SetProgressPosition(0);
    throw std::runtime_error("the model ran out of memory");
  });
  test::ComputeAndWait(*form);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(sink.shown[0].text, "the model ran out of memory.");
  ExpectIdleWindow();
}

// Closing the window asks the sweep to stop and closes once it has ended.
TEST_F(WorkerTest, ClosingDuringASweepStopsItThenCloses) {
  form->show();
  form->ButtonComputeClick();
  bool closed = true;
  EveryTick([&] {
    if (PointsSoFar() >= 2 && form->isVisible() && !form->OKBottomDlg->isVisible()) {
      form->OKBottomDlg->show();  // a dialog left open closes with the window
      closed = form->close();
    }
  });
  EXPECT_FALSE(closed);  // not while the command ran
  EXPECT_EQ(status.load(), ComputeStatus::Cancelled);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->OKBottomDlg->isVisible());
  EXPECT_EQ(form->Curves().Count(), 1);
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

// The window's own command (the real models on every core, on its worker) gives the numbers of
// the command run directly on one thread, to the bit.
struct RecordingOutput : ComputeOutput {
  std::vector<QPointF> points;
  std::string reactance, inductance;
  void ShowMessage(MessageKind, const std::string&) override {}
  void SetAirCoilLabels(const std::string& r, const std::string& l) override {
    reactance = r;
    inductance = l;
  }
  void SetProgressPosition(int) override {}
  void SetProgressMaximum(int) override {}
  void StepProgress() override {}
  int CurveCount() const override { return 0; }
  void BeginCurve(Rgb) override {}
  void AddPoint(double x, double y) override { points.emplace_back(x, y); }
  void CountCurve() override {}
  void ReportAccuracy(int, int, bool) override {}
};

struct FieldsOf : ComputeInput {
  const TForm1& form;
  explicit FieldsOf(const TForm1& f) : form(f) {}
  std::string FieldText(std::string_view name) const override {
    const auto* e = form.findChild<QLineEdit*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return e != nullptr ? e->text().toStdString() : std::string();
  }
  bool IsSelected(std::string_view name) const override {
    const auto* r = form.findChild<QRadioButton*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return r != nullptr && r->isChecked();
  }
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(WindowWorkerRealModels, TheNumbersAreThoseOfTheCommandToTheBit) {
  test::EnsureQtApp();
  WindowSink sink;
  TForm1 form;
  sink.form = &form;
  form.SetMessageSink(&sink);
  for (auto [select, testCase] : {std::pair{&TForm1::Halfspace1Click, 1}, std::pair{&TForm1::N1Layer1Click, 3}}) {
    (form.*select)();
    test::ComputeAndWait(form);
    ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
    RecordingOutput direct;
    ASSERT_EQ(ButtonComputeClick(testCase, FieldsOf(form), direct, RealModels(), 1), ComputeStatus::Completed);
    QLineSeries* curve = form.Curves()[static_cast<std::size_t>(form.Curves().Count() - 1)];
    ASSERT_EQ(curve->count(), static_cast<qsizetype>(direct.points.size())) << testCase;
    for (qsizetype i = 0; i < curve->count(); ++i) {
      EXPECT_TRUE(SameBits(curve->at(i).x(), direct.points[static_cast<std::size_t>(i)].x())) << testCase << " " << i;
      EXPECT_TRUE(SameBits(curve->at(i).y(), direct.points[static_cast<std::size_t>(i)].y())) << testCase << " " << i;
    }
    EXPECT_EQ(form.Labelinductivereactance->text().toStdString(), direct.reactance);
    EXPECT_EQ(form.Labelinductance->text().toStdString(), direct.inductance);
  }
}

}  // namespace
}  // namespace veldo
