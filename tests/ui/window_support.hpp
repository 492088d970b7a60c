// Driving the main window from a test: a window offscreen over stand-in models (or the real ones)
// with a sink that records its messages, Compute to its end, the curves the user sees, the axes'
// ranges, files in a temporary folder, exported rows beside veldo-cli's, and a session reopened.
#pragma once

#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <sstream>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "app/compute.hpp"
#include "tests/support/cli_in_process.hpp"
#include "tests/support/stand_in_models.hpp"
#include "tests/ui/qt_app.hpp"
#include "ui/chart.hpp"
#include "ui/dialogs.hpp"
#include "ui/main_window.hpp"
#include "ui/messages.hpp"
#include "ui/session.hpp"

namespace veldo::test {

struct RecordingSink : MessageSink {
  std::vector<std::pair<MessageKind, std::string>> shown;
  void Show(MessageKind kind, const std::string& text) override { shown.emplace_back(kind, text); }
  std::pair<MessageKind, std::string> last() const {
    return shown.empty() ? std::pair{MessageKind::Plain, std::string("(none)")} : shown.back();
  }
};

// Stand-in models: X0 = 100 ohm; dR = 1000·P, dX = −1000·P for the first parameter P (in m);
// at 0.9 mm the point falls short of the accuracy.
inline ModelTable CheapModels() {
  return StandInModels(100.0, [](double P, double& dR, double& dX, int& Ier) {
    dR = 1000.0 * P;
    dX = -1000.0 * P;
    Ier = P > 0.00085 && P < 0.00095 ? 1 : 0;
  });
}

// The lines of a CSV text whose first cell is `param`: the rows of one swept parameter.
inline std::vector<std::string> RowsOf(const std::string& text, const std::string& param) {
  std::vector<std::string> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(param + ",", 0) == 0) rows.push_back(line);
  return rows;
}

// veldo-cli run in this process over the real models: what it printed, its exit status checked.
inline std::string CliOutput(std::vector<const char*> args) {
  const CliRun run = RunCliInProcess(std::move(args), RealModels());
  EXPECT_EQ(run.status, kExitOk) << run.err;
  return run.out;
}

// A window over the given models on `threads` threads, counting its commands and keeping the
// last one's status (without models: the window's own command, the real models on every core),
// its messages recorded.
class WindowFixture : public ::testing::Test {
protected:
  static void SetUpTestSuite() { EnsureQtApp(); }
  void SetUp() override { Restart(); }
  void Restart(std::optional<ModelTable> models = CheapModels(), int threads = 1) {
    form.reset();
    sink.shown.clear();
    commandsStarted = 0;
    status = ComputeStatus::NoComputation;
    form = std::make_unique<TForm1>();
    form->SetMessageSink(&sink);
    if (!models) return;
    form->SetComputeCommand([this, models = std::move(*models), threads](int tc, const ComputeInput& in,
                                                                         ComputeOutput& out, std::stop_token stop) {
      ++commandsStarted;
      status = ButtonComputeClick(tc, in, out, models, threads, std::move(stop));
    });
  }
  QString Path(const char* name) const { return tmp.filePath(name); }
  // The rows of `param` among the curves the window exports to the file `name`.
  std::vector<std::string> ExportedRows(const char* name, const std::string& param) {
    EXPECT_TRUE(form->ExportCurvesFile(Path(name))) << sink.last().second;
    return RowsOf(ReadAll(Path(name)), param);
  }
  // The window's session saved to the file `name` and opened in a second window, which must come
  // back as it was without computing: the same case, fields, view and records to the bit, and the
  // same points on the chart.
  std::unique_ptr<TForm1> Reopened(const char* name) {
    EXPECT_TRUE(form->SaveSessionFile(Path(name)));
    auto other = std::make_unique<TForm1>();
    other->SetMessageSink(&sink);
    other->SetComputeCommand([](int, const ComputeInput&, ComputeOutput&, std::stop_token) { ADD_FAILURE() << "computed"; });
    EXPECT_TRUE(other->OpenSessionFile(Path(name))) << sink.last().second;
    EXPECT_EQ(WriteSession(other->CurrentSession()), WriteSession(form->CurrentSession()));
    EXPECT_EQ(other->Curves().Count(), Count());
    for (int c = 0; c < std::min(Count(), other->Curves().Count()); ++c)
      EXPECT_EQ(other->Curves().Series(c)->points(), form->Curves().Series(c)->points()) << c;
    return other;
  }
  QLineEdit* Edit(const char* name) const { return form->findChild<QLineEdit*>(name); }
  QRadioButton* Radio(const char* name) const { return form->findChild<QRadioButton*>(name); }
  // From, To and Step of case 1's lift-off row (mm).
  void LiftOff(const QString& from, const QString& to, const QString& step) {
    Edit("Epr1loa")->setText(from);
    Edit("Epr1lob")->setText(to);
    Edit("Epr1loc")->setText(step);
  }
  // Presses Compute and runs the event loop until the command (on its worker) has ended.
  void Compute() {
    form->ButtonComputeClick();
    form->WaitForCompute();
  }
  // A lift-off sweep of case 1 over 1..3 mm in 1 mm steps: three points.
  void ComputeThreePoints() {
    LiftOff("1", "3", "1");
    Compute();
  }
  void ConfirmNew() {
    form->New1Click();
    form->OKBottomDlg->OKBtn->click();
  }
  // The curves drawn on the chart, in drawing order (a later one over an earlier one). New keeps
  // the emptied series hidden on the chart for reuse: they are not among these.
  QList<QLineSeries*> Visible() const {
    QList<QLineSeries*> curves;
    for (QAbstractSeries* s : form->Chart1->series())
      if (auto* line = qobject_cast<QLineSeries*>(s); line != nullptr && line->isVisible()) curves.push_back(line);
    return curves;
  }
  QLineSeries* Curve(int slot) const { return form->Curves()[slot]; }
  int Count() const { return form->Curves().Count(); }
  QValueAxis* Axis(Qt::Orientation o) const {
    return o == Qt::Horizontal ? BottomAxis(form->Chart1) : LeftAxis(form->Chart1);
  }
  double Min(Qt::Orientation o) const { return Axis(o)->min(); }
  double Max(Qt::Orientation o) const { return Axis(o)->max(); }
  // The window on screen (offscreen) with the chart in front, laid out.
  void ShowChart() {
    form->show();
    form->TabControl1Tabs->setCurrentIndex(1);
    QApplication::processEvents();
  }
  void ZoomIntoCentre() {
    form->Chart1->zoomIn(QRectF(form->Chart1->plotArea().center(), QSizeF(40, 40)));
  }
  // Axes Limits with the bottom axis manual over [lo, hi]; OK.
  void ManualBottomAxis(const char* lo, const char* hi, const char* increment = "0") {
    form->AxesLimits1Click();
    TOKBottomDlg1* d = form->OKBottomDlg1;
    if (!d->CBxL->isChecked()) d->CBxL->click();
    d->ExLa->setText(lo);
    d->ExLb->setText(hi);
    d->ExI->setText(increment);
    d->OKBtn->click();
  }

  QTemporaryDir tmp;
  RecordingSink sink;
  std::atomic<int> commandsStarted{0};  // written on the worker: declared before the window
  std::atomic<ComputeStatus> status{ComputeStatus::NoComputation};
  std::unique_ptr<TForm1> form;
};

}  // namespace veldo::test
