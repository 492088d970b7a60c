// The window as a workbench, offscreen over its own command (the real models on every core):
// curves exported and copied with the front end's numbers to the bit, sessions saved and opened
// (and refused without a change), the views, the curve list and the point tooltip.
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>

#include "app/format.hpp"
#include "cli/cli.hpp"
#include "tests/support/test_support.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/curve_list.hpp"
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

}  // namespace
}  // namespace veldo
