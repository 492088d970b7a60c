// A probe of several coils in the window, offscreen over the real models: a driver-pickup probe
// made in the probe editor gives veldo-cli's rows to the bit, the instrument display is written
// with the export and kept with the probe in the session, and a probe whose roles do not give its
// connection is refused before any work.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "ui/problem_sweep_qt.hpp"  // before the header that includes it plainly
#include "cli/cli.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/instrument_view.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"

namespace veldo {
namespace {

using test::RowsOf;

class ProbeWindowTest : public test::WindowFixture {
protected:
  void SetUp() override { Restart(std::nullopt); }
  ProbeEditor& Editor() const { return *form->ProbeEditors[0]; }
  // The plate's default stack, its first layer's conductivity swept, read by a pickup that the
  // editor adds above the drive.
  void DriverPickup() {
    form->LayeredPlate1->trigger();
    Editor().AddCoil();
    Editor().Coils->item(1, 5)->setText("0.5");  // the pickup's axis 0.5 mm aside
    Editor().ConnectionBox->setCurrentIndex(static_cast<int>(Connection::TransmitReceive));
  }
};

TEST_F(ProbeWindowTest, ADriverPickupProbeReadsAsVeldoCliAndKeepsItsDisplay) {
  DriverPickup();
  Compute();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(Count(), 1);
  const std::vector<std::string> rows =
      RowsOf(test::CliOutput({"--plate", "--layer", "0.1:1.0:1", "--layer", "0.5:35.4:1", "--layer", "inf:5.0:1", "--f",
                              "100.0", "--pickup", "200:2.0:4.0:1.0:1.5:0.5", "--sweep", "layers.0.sigma=1:20:1"}),
             "layers.0.sigma");
  EXPECT_EQ(rows.size(), 20u);
  EXPECT_EQ(ExportedRows("plain.csv", "layers.0.sigma"), rows);

  // The display nulled at the curve's first point, lift-off turned horizontal, 20 dB vertical.
  form->SetView(ChartView::Instrument);
  InstrumentPanel& panel = *form->InstrumentPanel1;
  panel.SetSettings({NullAt::CurveStart, 0, RotationFrom::LiftOff, 0, 0, 20});
  panel.Changed();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  EXPECT_FALSE(panel.AngleInUse->text().isEmpty());
  ASSERT_TRUE(form->ExportCurvesFile(Path("display.csv")));
  const std::string exported = test::ReadAll(Path("display.csv"));
  EXPECT_NE(exported.find("# display,instrument,\"null at the first point of curve 1; rotation "), std::string::npos);
  EXPECT_NE(exported.find("gain H 0 dB, V 20 dB"), std::string::npos);
  const QPointF first = form->Curves().Series(0)->points().front();
  EXPECT_EQ(first, QPointF(0, 0));  // the null

  const auto other = Reopened("probe.json");
  EXPECT_EQ(other->ProbeEditors[0]->CoilCount(), 2);
  EXPECT_EQ(other->ProbeEditors[0]->Texts().connection, Connection::TransmitReceive);
}

// A differential probe needs two coils that are both drive and pickup: with one, the message and
// no curve; coil 2's fields become sweepable paths once the probe has it.
TEST_F(ProbeWindowTest, AProbeWithoutItsConnectionsCoilsIsRefused) {
  DriverPickup();
  LayeredGroup& g = *form->LayeredGroups[0];
  EXPECT_GE(g.SweepPath->findData(QString("coils.1.z")), 0);
  EXPECT_LT(g.FamilyPath->findData(QString("coils.1.N")), 0);
  Editor().ConnectionBox->setCurrentIndex(static_cast<int>(Connection::Differential));
  Compute();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].second, "Check the probe: a differential probe needs two coils that are both drive and pickup");
  EXPECT_EQ(Count(), 0);
}

}  // namespace
}  // namespace veldo
