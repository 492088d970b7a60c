// The window as a workbench, offscreen over its own command (the real models on every core):
// curves exported and copied with the front end's numbers to the bit, sessions saved and opened
// (and refused without a change), the views, the curve list and the point tooltip; the layered
// geometries and probes of several coils.
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>

#include "ui/problem_sweep_qt.hpp"  // before the header that includes it plainly
#include "app/format.hpp"
#include "app/problem_json.hpp"
#include "cli/cli.hpp"
#include "tests/support/test_support.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/curve_list.hpp"
#include "ui/drawings.hpp"
#include "ui/instrument_view.hpp"
#include "ui/layered_group.hpp"
#include "ui/probe_editor.hpp"
#include "ui/session.hpp"

namespace veldo {
namespace {

using test::CliOutput;
using test::ReadAll;
using test::RowsOf;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The window's own command: the real models on every core.
class WorkbenchTest : public test::WindowFixture {
protected:
  void SetUp() override { Restart(std::nullopt); }
  void Compute() {
    WindowFixture::Compute();
    ASSERT_TRUE(sink.shown.empty()) << sink.last().second;
  }
  // Two curves: the default lift-off sweep and a conductivity sweep at another frequency.
  void ComputeTwo() {
    Compute();
    Edit("Epr1f")->setText("250");
    Radio("RBpr1con1")->setChecked(true);
    Compute();
  }
};

// ---------------------------------------------------------------------------------------------
// Data out

// Export writes each visible curve's description and the front end's rows to the bit; a place
// it cannot write gives Save As' message and leaves what is there. Copy puts the same rows,
// tab-separated, of the selected curve or of all visible ones on the clipboard.
TEST_F(WorkbenchTest, ExportAndCopyHoldTheFrontEndsRows) {
  ComputeTwo();
  ASSERT_TRUE(form->ExportCurvesFile(Path("curves.csv")));
  const std::string csv = ReadAll(Path("curves.csv"));
  const std::string lo = CliOutput({"planar1"});
  const std::string con1 = CliOutput({"planar1", "--f", "250", "--con1", "1.0:10.0:1.0"});
  EXPECT_EQ(RowsOf(csv, "LO"), RowsOf(lo, "LO"));
  EXPECT_EQ(RowsOf(csv, "CON1"), RowsOf(con1, "CON1"));
  for (const char* line : {"# case,1,planar1", "# label,LO 0.1 to 1.0 mm", "# label,\"CON1 1.0 to 10.0 MS/m, f=250 kHz\"",
                           "# coil,R1=2.0 mm,R2=4.0 mm,L=1.0 mm,N=200", "# fixed,f=100.0 kHz,CON1=1.0 MS/m,MR1=1",
                           "# fixed,f=250 kHz,LO=0.1 mm,MR1=1", "# accuracy,0.01 %"})
    EXPECT_NE(csv.find(std::string(line) + "\n"), std::string::npos) << line;
  // The front end's "# L0=..." is the curve's "# L0,...".
  const std::string l0 = Lines(lo)[1].substr(std::string("# L0=").size());
  EXPECT_NE(csv.find("# L0," + l0 + "\n"), std::string::npos);

  form->Copy1->trigger();
  std::vector<std::string> all = Lines(QGuiApplication::clipboard()->text().toStdString());
  // Per curve: its label, the column names, ten points; a blank line between curves.
  ASSERT_EQ(all.size(), 2u * 12u + 1u);
  EXPECT_EQ(all[0], "LO 0.1 to 1.0 mm");
  EXPECT_EQ(all[1], "LO [mm]\tdR [Ohm]\tdX [Ohm]\tx\ty\tier");
  EXPECT_EQ(all[13], "CON1 1.0 to 10.0 MS/m, f=250 kHz");
  const std::vector<std::string> rows = RowsOf(lo, "LO");
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ("LO," + QString::fromStdString(all[2 + i]).replace('\t', ',').toStdString(), rows[i]) << i;
  form->CurveList1->SelectCurve(1);
  form->Copy1->trigger();
  all = Lines(QGuiApplication::clipboard()->text().toStdString());
  ASSERT_EQ(all.size(), 12u);
  EXPECT_EQ(all[0], "CON1 1.0 to 10.0 MS/m, f=250 kHz");

  // A hidden curve is not exported.
  form->CurveList1->VisibilityChanged(0, false);
  EXPECT_TRUE(ExportedRows("curves.csv", "LO").empty());

  test::WriteAll(Path("file"), "kept");
  const QString path = Path("file") + "/curves.csv";  // under a file, not a folder
  EXPECT_FALSE(form->ExportCurvesFile(path));
  EXPECT_EQ(sink.shown, (std::vector{std::pair(MessageKind::Error, ("Cannot create file " + path + ".").toStdString())}));
  EXPECT_EQ(ReadAll(Path("file")), "kept");
}

// A frequency sweep per decade: the front end's rows and air-coil reference, and its
// swept-parameter view on a log axis.
TEST_F(WorkbenchTest, ALogarithmicFrequencySweepIsExportedAsTheFrontEndPrintsItAndShownOnALogAxis) {
  Radio("RBpr1f")->setChecked(true);  // 100 kHz to 10 MHz at 10/dec
  Compute();
  const std::vector<std::string> rows = ExportedRows("f.csv", "f");
  const std::string cli = CliOutput({"planar1", "--f", "100.0:10000.0:10/dec"});
  EXPECT_EQ(rows.size(), 21u);
  EXPECT_EQ(rows, RowsOf(cli, "f"));
  const std::string x0 = cli.substr(cli.find("# X0=") + 5);
  EXPECT_EQ(form->Labelinductivereactance->text().toStdString(), LabelNumberText(std::stod(x0)));
  form->SetView(ChartView::Resistance);
  EXPECT_EQ(BottomAxis(form->Chart1)->titleText(), "Frequency f [kHz], logarithmic");
  EXPECT_DOUBLE_EQ(form->Curves().Series(0)->at(20).x(), 4.0);  // log10 of 10000 kHz
}

// ---------------------------------------------------------------------------------------------
// Sessions

TEST_F(WorkbenchTest, ASessionBringsBackTheWindowAsItWasWithoutComputing) {
  ComputeTwo();
  form->CurveList1->LabelEdited(0, "reference, \"as built\"");
  form->CurveList1->VisibilityChanged(1, false);
  Edit("Editr1")->setText("2.5");
  form->N2Layers1Click();
  form->SetView(ChartView::ImpedanceChange);
  const auto other = Reopened("s.json");
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(other->ChartViewSelector->currentIndex(), 1);
  for (int c = 0; c < 2; ++c) EXPECT_EQ(other->Curves().Series(c)->isVisible(), c == 0);
  EXPECT_EQ(other->RecentSessions().front(), QFileInfo(Path("s.json")).absoluteFilePath());
}

TEST_F(WorkbenchTest, TheFrontEndsSessionOpensInTheWindow) {
  const std::string path = Path("cli.json").toStdString();
  const std::string rows = CliOutput({"rod1", "--r1", "12", "--r2", "14", "--session", path.c_str()});
  ASSERT_TRUE(form->OpenSessionFile(Path("cli.json"))) << sink.last().second;
  EXPECT_EQ(form->TestCase(), 5);
  EXPECT_EQ(Edit("Editr1")->text(), "12");
  ASSERT_EQ(form->Curves().Count(), 1);
  EXPECT_EQ(ExportedRows("cli.csv", "B1"), RowsOf(rows, "B1"));
}

TEST_F(WorkbenchTest, ABadSessionFileIsRefusedWithOneMessageAndChangesNothing) {
  Compute();
  ASSERT_TRUE(form->SaveSessionFile(Path("good.json")));
  const std::string good = ReadAll(Path("good.json"));
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  std::string manyCurves;
  for (int i = 0; i < 101; ++i) manyCurves += "{},";
  struct Bad {
    std::string name, text, says;
  };
  std::vector<Bad> bad = {
      {"picture.json", "\x89PNG\r\n", "it is not a JSON document"},
      {"empty.json", "", "the file is empty"},
      {"truncated.json", good.substr(0, good.size() / 2), "the file is truncated"},
      {"many.json", replaced("\"curves\": [", "\"curves\": [" + manyCurves), "it holds 102 curves, more than the chart's 101"},
  };
  const test::CsvTable t = test::ReadCsv("ui/bad_sessions.tsv", '\t');
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto cell = [&](const char* c) {
      std::string s = t.rows[i][t.col(c)];
      for (std::size_t at; (at = s.find("\\n")) != std::string::npos;) s.replace(at, 2, "\n");
      return s;
    };
    bad.push_back({cell("name"), cell("from") == "*" ? cell("to") : replaced(cell("from"), cell("to")), cell("says")});
  }
  ASSERT_EQ(bad.size(), 13u);
  form->N1Layer1Click();
  Edit("Editr1")->setText("3.0");
  const std::string before = WriteSession(form->CurrentSession());
  for (const Bad& b : bad) {
    sink.shown.clear();
    const QString path = Path(b.name.c_str());
    test::WriteAll(path, b.text);
    EXPECT_FALSE(form->OpenSessionFile(path)) << b.name;
    ASSERT_EQ(sink.shown.size(), 1u) << b.name;
    const std::string& shown = sink.shown[0].second;
    EXPECT_EQ(shown.rfind(("Cannot open the session " + path + ": ").toStdString(), 0), 0u) << shown;
    EXPECT_NE(shown.find(b.says), std::string::npos) << b.name << ": " << shown;
    EXPECT_EQ(WriteSession(form->CurrentSession()), before) << b.name;
  }
  EXPECT_FALSE(form->OpenSessionFile(Path("missing.json")));
  EXPECT_NE(sink.last().second.find("the file cannot be read"), std::string::npos);
}

TEST(SessionFormat, NumbersComeBackToTheBitThoseJsonCannotHoldIncluded) {
  test::EnsureQtApp();
  Session s;
  CurveRecord r;
  r.testCase = 2;
  r.param = "D1";
  r.label = "ünïcode\tand \"quotes\"";
  const double values[] = {0.1 + 0.2, 5e-324, 1.7976931348623157e308, -0.0, std::nan(""), INFINITY, -INFINITY, 1.0 / 3};
  for (double v : values) r.points.push_back({v, v, -v, v * 2, v / 3, 7});
  r.X0 = values[0];
  r.L0 = values[7];
  s.curves.push_back(r);
  s.x.minimum = -INFINITY;
  const SessionRead back = ReadSession(WriteSession(s));
  ASSERT_TRUE(back.session) << back.error;
  const CurveRecord& b = back.session->curves.at(0);
  EXPECT_EQ(b.label, r.label);
  ASSERT_EQ(b.points.size(), r.points.size());
  for (std::size_t i = 0; i < r.points.size(); ++i) {
    const CurvePoint &p = r.points[i], &q = b.points[i];
    // NaN comes back as NaN (its sign and payload mean nothing); every other number to the bit.
    auto same = [](double u, double v) { return std::isnan(u) ? std::isnan(v) : SameBits(u, v); };
    EXPECT_TRUE(same(p.value, q.value) && same(p.dR, q.dR) && same(p.dX, q.dX) && same(p.x, q.x) && same(p.y, q.y) &&
                p.ier == q.ier)
        << i;
  }
  EXPECT_TRUE(SameBits(b.X0, r.X0) && SameBits(b.L0, r.L0));
  EXPECT_EQ(back.session->x.minimum, -INFINITY);
}

// ---------------------------------------------------------------------------------------------
// Views and readouts

TEST_F(WorkbenchTest, ViewsReplotTheRecordsWithoutComputing) {
  Compute();
  int computed = 0;
  form->SetComputeCommand([&computed](int, const ComputeInput&, ComputeOutput&, std::stop_token) { ++computed; });
  const CurveRecord& r = form->Curves().Record(0);
  const QList<QPointF> plane = form->Curves().Series(0)->points();
  const double omega = 2 * 3.14159265358979323846 * 100e3;
  struct View {
    ChartView view;
    const char* bottom;
    const char* left;
    std::function<QPointF(const CurvePoint&)> expect;
  };
  const View views[] = {
      {ChartView::ImpedanceChange, "Resistance change dR [Ohm]", "Reactance change dX [Ohm]",
       [](const CurvePoint& p) { return QPointF(p.dR, p.dX); }},
      {ChartView::Resistance, "Lift-off LO [mm]", "Resistance change dR [Ohm]",
       [](const CurvePoint& p) { return QPointF(p.value, p.dR); }},
      {ChartView::Inductance, "Lift-off LO [mm]", "Inductance L [H]",
       [&](const CurvePoint& p) { return QPointF(p.value, r.L0 + p.dX / omega); }},
      {ChartView::ImpedancePlane, "Normalized Resistance", "Normalized Inductive Reactance",
       [](const CurvePoint& p) { return QPointF(p.x, p.y); }},
  };
  for (const View& v : views) {
    form->SetView(v.view);
    EXPECT_EQ(BottomAxis(form->Chart1)->titleText(), v.bottom);
    EXPECT_EQ(LeftAxis(form->Chart1)->titleText(), v.left);
    const QList<QPointF> shown = form->Curves().Series(0)->points();
    ASSERT_EQ(shown.size(), static_cast<qsizetype>(r.points.size()));
    for (std::size_t i = 0; i < r.points.size(); ++i) {
      const QPointF e = v.expect(r.points[i]);
      EXPECT_DOUBLE_EQ(shown[static_cast<qsizetype>(i)].x(), e.x()) << static_cast<int>(v.view) << " " << i;
      EXPECT_NEAR(shown[static_cast<qsizetype>(i)].y(), e.y(), std::abs(e.y()) * 1e-12) << static_cast<int>(v.view) << " " << i;
    }
  }
  EXPECT_EQ(form->Curves().Series(0)->points(), plane);
  EXPECT_EQ(form->Chart1->title(), "Impedance Plane");
  EXPECT_EQ(computed, 0);
}

// The rows of tests/data/ui/curve_texts.tsv: logarithmic sweeps told from others, and tooltips.
TEST(CurveTexts, LogarithmicSweepsAndTooltips) {
  const test::CsvTable t = test::ReadCsv("ui/curve_texts.tsv", '\t');
  ASSERT_GE(t.rows.size(), 10u);
  auto numbers = [](const std::string& text) {
    std::vector<double> v;
    std::istringstream in(text);
    for (double x; in >> x;) v.push_back(x);
    return v;
  };
  for (const auto& row : t.rows) {
    CurveRecord r;
    if (row.at(0) == "log_sweep") {
      for (double v : numbers(row.at(1))) r.points.push_back({v, 0, 0, 0, 0, 0});
      EXPECT_EQ(IsLogSweep(r), row.at(3) == "1") << row[1];
      continue;
    }
    r.param = row.at(1);
    const std::vector<double> p = numbers(row.at(2));
    ASSERT_EQ(p.size(), 6u);
    QString want = QString::fromStdString(row.at(3)).replace("\\n", "\n");
    EXPECT_EQ(PointTooltip(r, {p[0], p[1], p[2], p[3], p[4], static_cast<int>(p[5])}), want.toStdString());
  }
}

TEST_F(WorkbenchTest, TheCurveListShowsEachCurveAndItsChangesReachTheChart) {
  ComputeTwo();
  QTreeWidget* tree = form->CurveList1->Tree;
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(1)->text(1), "1 planar1");
  EXPECT_EQ(tree->topLevelItem(1)->text(2), "CON1 1 to 10 MS/m");
  EXPECT_EQ(tree->topLevelItem(1)->text(3), "f=250 kHz");  // the only fixed value off its default
  EXPECT_EQ(tree->topLevelItem(0)->text(3), "");

  tree->topLevelItem(0)->setText(0, "before repair");
  QCoreApplication::processEvents();
  EXPECT_EQ(form->Curves().Record(0).label, "before repair");
  EXPECT_EQ(form->Curves().Series(0)->name(), "before repair");
  EXPECT_TRUE(form->Chart1->legend()->isVisible());
  tree->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->Curves().Series(1)->isVisible());
  form->CurveList1->SelectCurve(0);
  form->CurveList1->DeleteButton->click();
  EXPECT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(form->Curves().Series(0)->count(), 0);
  EXPECT_EQ(form->Curves().Count(), 2);  // emptied, still in the registry until New
}

// =============================================================================================
// The layered geometries in the window, offscreen over the real models: a family of curves equal
// to veldo-cli's rows to the bit, the layer table's editing and the messages of a refused layer,
// and sessions of layered curves (a version-1 file still opens); probes of several coils and the
// instrument display.

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
