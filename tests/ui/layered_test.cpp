// The layered geometries in the window, offscreen over the real models: a family of curves equal
// to veldo-cli's rows to the bit, the layer table's editing and the messages of a refused layer,
// and sessions of layered curves (a version-1 file still opens); probes of several coils and the
// instrument display.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <sstream>

#include "ui/problem_sweep_qt.hpp"  // before the header that includes it plainly
#include "app/problem_json.hpp"
#include "app/format.hpp"
#include "cli/cli.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/drawings.hpp"
#include "ui/instrument_view.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"

namespace veldo {
namespace {

using test::RowsOf;

class LayeredTest : public test::WindowFixture {
protected:
  void SetUp() override { Restart(std::nullopt); }
  LayeredGroup& Group(int testCase) const {
    return *form->LayeredGroups[static_cast<std::size_t>(testCase - kLayeredPlateCase)];
  }
  QString Cell(LayeredGroup& g, int row, int column) const { return g.Layers->item(row, column)->text(); }
  void Type(LayeredGroup& g, int row, int column, const char* text) { g.Layers->item(row, column)->setText(text); }
  static void Choose(QComboBox* box, const char* path) { box->setCurrentIndex(box->findData(QString(path))); }
  // A sweep of layer 2's conductivity over 10..50 MS/m, one curve per lift-off 0.1..0.3 mm.
  void PlateFamily() {
    form->LayeredPlate1->trigger();
    LayeredGroup& g = Group(kLayeredPlateCase);
    Type(g, 0, 0, "0.2");
    Type(g, 0, 1, "35.4");
    Type(g, 1, 2, "1.5");
    g.SelectCell(1, 1);
    g.From->setText("10");
    g.To->setText("50");
    g.Step->setText("10");
    Choose(g.FamilyPath, "lift_off");
    g.FamilyFrom->setText("0.1");
    g.FamilyTo->setText("0.3");
    g.FamilyStep->setText("0.1");
    Compute();
  }
};

TEST_F(LayeredTest, AFamilyOfCurvesHoldsVeldoCliRowsToTheBit) {
  PlateFamily();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(Count(), 3);
  std::string lifts;
  for (int i = 0; i < 3; ++i) {
    const CurveRecord& r = form->Curves().Record(i);
    ASSERT_TRUE(r.layered);
    EXPECT_EQ(r.param, "layers.1.sigma");
    EXPECT_EQ(r.colour, form->Curves().Record(0).colour);
    const double lift = r.layered->sweep.familyValues[static_cast<std::size_t>(i)] / 0.001;
    EXPECT_NE(r.label.find("lift-off " + SweptValueText(lift) + " mm"), std::string::npos) << r.label;
    lifts += (i > 0 ? "," : "") + Number17(lift);
  }
  const std::string family = "lift_off=" + lifts;
  const std::vector<std::string> rows = RowsOf(
      test::CliOutput({"--plate", "--layer", "0.2:35.4:1", "--layer", "0.5:35.4:1.5", "--layer", "inf:5.0:1", "--f",
                       "100.0", "--sweep", "layers.1.sigma=10:50:10", "--family", family.c_str()}),
      "layers.1.sigma");
  EXPECT_EQ(rows.size(), 15u);
  EXPECT_EQ(ExportedRows("family.csv", "layers.1.sigma"), rows);
}

// Add puts a default layer above the selected one, Up and Down swap neighbours (the one that
// ends last becomes the unbounded layer, its typed thickness kept), Remove keeps at least one.
TEST_F(LayeredTest, TheLayerTableAddsRemovesAndMovesLayers) {
  form->LayeredPlate1->trigger();
  LayeredGroup& g = Group(kLayeredPlateCase);
  g.SetTable({{"1", "10", "1"}, {"2", "20", "1"}, {"3", "30", "1"}}, "f", "");
  struct Step {
    QPushButton* button;
    int row;
    std::vector<const char*> thickness, sigma;
  };
  const Step steps[] = {
      {g.AddButton, 1, {"1", "0.1", "2", "∞"}, {"10", "1.0", "20", "30"}},
      {g.DownButton, 2, {"1", "0.1", "3", "∞"}, {"10", "1.0", "30", "20"}},
      {g.UpButton, 1, {"0.1", "1", "3", "∞"}, {"1.0", "10", "30", "20"}},
      {g.UpButton, 0, {"0.1", "1", "3", "∞"}, {"1.0", "10", "30", "20"}},  // already first
      {g.RemoveButton, 3, {"0.1", "1", "∞"}, {"1.0", "10", "30"}},
      {g.RemoveButton, 0, {"1", "∞"}, {"10", "30"}},
      {g.RemoveButton, 0, {"∞"}, {"30"}},
      {g.RemoveButton, 0, {"∞"}, {"30"}},  // the last layer stays
  };
  for (const Step& s : steps) {
    g.SelectCell(s.row, 1);
    s.button->click();
    const int n = g.LayerCount();
    ASSERT_EQ(n, static_cast<int>(s.thickness.size())) << s.button->text().toStdString() << " " << s.row;
    for (int r = 0; r < n; ++r) {
      EXPECT_EQ(Cell(g, r, 0), QString::fromUtf8(s.thickness[static_cast<std::size_t>(r)])) << r;
      EXPECT_EQ(Cell(g, r, 1), s.sigma[static_cast<std::size_t>(r)]) << r;
    }
    EXPECT_FALSE(g.Layers->item(n - 1, 0)->flags() & Qt::ItemIsEditable);
  }
  // The drawing names the layers from the stack.
  EXPECT_EQ(TStackDrawing::LayerNames(form->StackDrawing->Form()).front().toStdString(), "1: ∞, 30 MS/m");
}

// A refused layer or field ends the command before any work with the message naming it.
TEST_F(LayeredTest, ARefusedLayerIsNamedAndNothingIsComputed) {
  const struct {
    int testCase, row, column;
    const char* text;
    const char* says;
  } cases[] = {
      {kLayeredPlateCase, 1, 1, "-1", "Check layer 2 of 3: the conductivity must be a finite number of at least 0"},
      {kLayeredPlateCase, 0, 2, "0", "Check layer 1 of 3: the relative permeability must be a finite number above 0"},
      {kTubeCase, 0, 1, "abc", "'abc' is not a valid floating point value"},
  };
  for (const auto& c : cases) {
    Restart(std::nullopt);
    (c.testCase == kTubeCase ? form->Tube1 : form->LayeredPlate1)->trigger();
    Type(Group(c.testCase), c.row, c.column, c.text);
    Compute();
    ASSERT_EQ(sink.shown.size(), 1u) << c.text;
    EXPECT_NE(sink.shown[0].second.find(c.says), std::string::npos) << sink.shown[0].second;
    EXPECT_EQ(Count(), 0);
  }
}

// A layered family comes back from its session as it was, its problem as data; a version-1
// file of the seven cases still opens.
TEST_F(LayeredTest, SessionsKeepLayeredCurvesAndVersionOneStillOpens) {
  form->Tube1->trigger();
  LayeredGroup& g = Group(kTubeCase);
  g.From->setText("10");
  g.To->setText("100");
  g.Step->setText("1/dec");
  Choose(g.FamilyPath, "layers.0.sigma");
  g.FamilyFrom->setText("10");
  g.FamilyTo->setText("20");
  g.FamilyStep->setText("10");
  g.AddLayer();
  Compute();
  ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  ASSERT_EQ(Count(), 2);
  const auto other = Reopened("tube.json");
  EXPECT_EQ(other->TestCase(), kTubeCase);
  for (int c = 0; c < 2; ++c) {
    const CurveRecord& r = other->Curves().Record(c);
    ASSERT_TRUE(r.layered);
    EXPECT_EQ(r.layered->familyIndex, c);
    EXPECT_EQ(ProblemToJson(r.layered->sweep), ProblemToJson(form->Curves().Record(c).layered->sweep));
  }
  EXPECT_EQ(other->LayeredGroups[1]->LayerCount(), 3);

  test::WriteAll(Path("v1.json"), R"({"format": "veldo-session", "version": 1, "program": "VELDO 1.2", "case": 2,
    "fields": {"Editr1": "3.0"}, "selected": ["RBpr2con1"], "view": 0,
    "axes": {"x": {"automatic": true, "minimum": 0, "maximum": 1, "increment": 0, "grid": true},
             "y": {"automatic": true, "minimum": 0, "maximum": 1, "increment": 0, "grid": true}},
    "curves": [{"case": 2, "param": "CON1", "label": "CON1 1.0 to 10.0 MS/m", "colour": [255, 0, 0],
                "inputs": {"Editr1": "3.0"}, "X0": 100, "L0": 0.0001, "visible": true, "counted": true,
                "points": [[1, 0.5, -0.5, 0.005, 0.995, 0], [2, 0.6, -0.7, 0.006, 0.993, 0]]}]})");
  ASSERT_TRUE(other->OpenSessionFile(Path("v1.json"))) << sink.last().second;
  EXPECT_EQ(other->TestCase(), 2);
  EXPECT_EQ(other->findChild<QLineEdit*>("Editr1")->text(), "3.0");
  ASSERT_EQ(other->Curves().Count(), 1);
  EXPECT_FALSE(other->Curves().Record(0).layered);
  EXPECT_EQ(other->LayeredGroups[1]->LayerCount(), 3);  // a version-1 file leaves the tables alone
}

// A probe of several coils in the window, offscreen over the real models: a driver-pickup probe
// made in the probe editor gives veldo-cli's rows to the bit, the instrument display is written
// with the export and kept with the probe in the session, and a probe whose roles do not give its
// connection is refused before any work.
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
