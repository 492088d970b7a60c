// The window's event loop while a sweep runs on the Compute worker: the gaps between ticks of a
// 5 ms timer on the window's thread (the longest is what a user feels as a stall), over sweeps
// of instant stand-in points (the window's side of the hand-over at its busiest) and of points
// that take 1 ms each. Offscreen; the chart is in view, so drawing and re-ranging are included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/support/stand_in_models.hpp"
#include "ui/dialogs.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"

namespace {

struct QuietSink : veldo::MessageSink {
  void Show(veldo::MessageKind, const std::string&) override {}
};

// Args: points of the lift-off sweep, microseconds per point.
void BM_WindowDuringSweep(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const auto pointTime = std::chrono::microseconds(state.range(1));
  QuietSink sink;
  veldo::TForm1 form;
  form.SetMessageSink(&sink);
  const veldo::ModelTable models = veldo::test::StandInModels(100.0, [pointTime](double P, double& dR, double& dX, int& Ier) {
    if (pointTime.count() > 0) std::this_thread::sleep_for(pointTime);
    dR = 1000.0 * P;
    dX = -1000.0 * P;
    Ier = 0;
  });
  form.SetComputeCommand([&models](int tc, const veldo::ComputeInput& in, veldo::ComputeOutput& out, std::stop_token stop) {
    veldo::ButtonComputeClick(tc, in, out, models, 1, std::move(stop));
  });
  form.findChild<QLineEdit*>("Epr1loa")->setText("1");
  form.findChild<QLineEdit*>("Epr1lob")->setText(QString::number(points));
  form.findChild<QLineEdit*>("Epr1loc")->setText("1");
  form.show();
  form.TabControl1Tabs->setCurrentIndex(1);
  QApplication::processEvents();

  double longest = 0, total = 0;
  std::int64_t gaps = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      const double gap = static_cast<double>(now - last) * 1e-6;
      longest = std::max(longest, gap);
      total += gap;
      ++gaps;
      last = now;
    });
    clock.start();
    timer.start();
    form.ButtonComputeClick();
    form.WaitForCompute();
    timer.stop();
    state.PauseTiming();
    form.New1Click();
    form.OKBottomDlg->OKBtn->click();
    state.ResumeTiming();
  }
  state.counters["longest_gap_ms"] = longest;
  state.counters["mean_gap_ms"] = gaps > 0 ? total / static_cast<double>(gaps) : 0.0;
  state.counters["points"] = points;
}
BENCHMARK(BM_WindowDuringSweep)->Args({10000, 0})->Args({500, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
