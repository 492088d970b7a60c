// The time-domain view in the window, offscreen over the real models: the transients of a
// driver-pickup probe over the layered plate, one curve per lift-off, give veldo-cli's --time rows
// to the bit; they are exported with their waveform, kept by a session, shown in no other view,
// and wrong times or waveforms are refused with their message before any curve.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "ui/problem_sweep_qt.hpp"  // before the header that includes it plainly
#include "cli/cli.hpp"
#include "tests/support/cli_in_process.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"
#include "ui/session.hpp"
#include "ui/time_view.hpp"

namespace veldo {
namespace {

class TimeWindowTest : public test::WindowFixture {
protected:
  void SetUp() override {
    Restart(std::nullopt);
    form->LayeredPlate1->trigger();
    ProbeEditor& editor = *form->ProbeEditors[0];
    editor.AddCoil();
    editor.ConnectionBox->setCurrentIndex(static_cast<int>(Connection::TransmitReceive));
    LayeredGroup& g = *form->LayeredGroups[0];
    g.SweepPath->setCurrentIndex(g.SweepPath->findData(QString("lift_off")));
    g.From->setText("0.5"), g.To->setText("1.5"), g.Step->setText("1");
    form->SetView(ChartView::Time);
    TimePanel& t = *form->TimePanel1;
    t.From->setText("0.001"), t.To->setText("10"), t.PerDecade->setText("4");
  }
  // veldo-cli's rows for the same probe and plate at one lift-off [mm].
  std::string CliRows(const char* liftOff, std::vector<const char*> extra = {}) {
    std::vector<const char*> args{"--plate", "--layer", "0.1:1.0:1", "--layer", "0.5:35.4:1", "--layer", "inf:5.0:1",
                                  "--f", "100.0", "--pickup", "200:2.0:4.0:1.0:1.5:0.0", "--lo", liftOff,
                                  "--time", "0.001:10:4/dec"};
    args.insert(args.end(), extra.begin(), extra.end());
    const test::CliRun cli = test::RunCliInProcess(args, RealModels());
    EXPECT_EQ(cli.status, kExitOk) << cli.err;
    return cli.out.substr(cli.out.find('\n') + 1);  // below the column names
  }
  static std::string Rows(const CurveRecord& r) {
    std::string out;
    for (const CurvePoint& p : r.points) {
      char line[80];
      std::snprintf(line, sizeof line, "%.17g,%.17g\n", p.value, p.y);
      out += line;
    }
    return out;
  }
};

TEST_F(TimeWindowTest, TransientsPerSweepValueAsVeldoCliGivesThem) {
  Compute();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(Count(), 2);
  const CurveRecord& first = form->Curves().Record(0);
  ASSERT_TRUE(first.transient.has_value());
  EXPECT_EQ(first.label, "lift-off 0.5 mm");
  EXPECT_EQ(Rows(first), CliRows("0.5"));
  EXPECT_EQ(Rows(form->Curves().Record(1)), CliRows("1.5"));
  EXPECT_EQ(form->Curves().Series(0)->count(), 17);
  EXPECT_EQ(form->PointTooltipText(0, 0).toStdString().rfind("t = 0.001 ms\nv = ", 0), 0u);

  form->TimePanel1->Pulse->setChecked(true);
  form->TimePanel1->Width->setText("0.1");
  Compute();
  ASSERT_EQ(Count(), 4);
  EXPECT_EQ(Rows(form->Curves().Record(3)), CliRows("1.5", {"--pulse", "0.1"}));
  ASSERT_TRUE(form->ExportCurvesFile(Path("time.csv")));
  const std::string csv = test::ReadAll(Path("time.csv"));
  EXPECT_NE(csv.find("# time domain,pulse 0.1 ms\nt [ms],v [V/A],ier\n"), std::string::npos);

  ASSERT_TRUE(form->SaveSessionFile(Path("time.json")));
  TForm1 other;
  other.SetMessageSink(&sink);
  ASSERT_TRUE(other.OpenSessionFile(Path("time.json"))) << sink.last().second;
  EXPECT_EQ(WriteSession(other.CurrentSession()), WriteSession(form->CurrentSession()));
  EXPECT_TRUE(other.TimePanel1->Pulse->isChecked());
  EXPECT_EQ(other.Curves().Series(3)->points(), form->Curves().Series(3)->points());

  // The impedance views show no transient, the time view no impedance curve.
  form->SetView(ChartView::ImpedancePlane);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(form->Curves().Series(i)->count(), 0);
}

TEST_F(TimeWindowTest, WrongTimesOrWaveformsAreRefusedBeforeAnyCurve) {
  struct Row {
    const char *from, *to, *perDecade;
    int waveform;
    const char *width, *samples, *message;
  };
  const Row rows[] = {
      {"abc", "10", "4", 0, "1", "", "Check the time domain: 'abc' is not a number (the first time, ms)"},
      {"1", "0.1", "4", 0, "1", "", "Check the times: FROM must be above 0 and not above TO"},
      {"0.01", "10", "2.5", 0, "1", "", "Check the logarithmic sweep: the points per decade (Step written as 10/dec) must be a whole number of at least 1"},
      {"0.01", "10", "4", 1, "x", "", "Check the time domain: 'x' is not a number (the pulse width, ms)"},
      {"0.01", "10", "4", 2, "1", "0:1 0.5", "Check the time domain: '0.5' is not a sample t:i (ms, A)"},
  };
  TimePanel& t = *form->TimePanel1;
  for (const Row& r : rows) {
    sink.shown.clear();
    t.From->setText(r.from), t.To->setText(r.to), t.PerDecade->setText(r.perDecade);
    (r.waveform == 0 ? t.StepOff : r.waveform == 1 ? t.Pulse : t.SampledDrive)->setChecked(true);
    t.Width->setText(r.width), t.Samples->setText(r.samples);
    Compute();
    ASSERT_EQ(sink.shown.size(), 1u) << r.message;
    EXPECT_EQ(sink.shown[0].second, r.message);
  }
  // What the transform refuses comes with its own message; a case without layers has no transient.
  t.Samples->setText("0:1 0:0");
  Compute();
  EXPECT_EQ(Count(), 0);
  form->Halfspace1->trigger();
  Compute();
  EXPECT_NE(sink.last().second.find("The time-domain view computes the transients of the layered"), std::string::npos);
  EXPECT_EQ(Count(), 0);
}

}  // namespace
}  // namespace veldo
