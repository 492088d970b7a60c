// The frequency row of the window's case groups: a selector and From, To and Step fields in every
// case, not selected at start, and a logarithmic frequency sweep drawn point for point as the
// front end prints it (offscreen Qt, the real models).
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/case_table.hpp"
#include "app/format.hpp"
#include "cli/cli.hpp"
#include "tests/support/cli_in_process.hpp"
#include "tests/ui/qt_app.hpp"
#include "tests/ui/window_support.hpp"
#include "ui/main_window.hpp"

namespace veldo {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

TEST(WindowFrequencyRow, EveryCaseGroupHasASweepableFrequencyRow) {
  test::EnsureQtApp();
  TForm1 form;
  for (const CaseDef& c : kCases) {
    if (c.params.empty()) continue;
    SCOPED_TRACE(c.group.data());
    auto* rb = form.findChild<QRadioButton*>(Q(c.frequency.selector));
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rb->text().toStdString(), kFrequencyCaption);
    EXPECT_FALSE(rb->isChecked());
    auto* first = form.findChild<QRadioButton*>(Q(c.params[0].selector));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isChecked());
    EXPECT_EQ(rb->parentWidget(), first->parentWidget());  // one choice with the other rows
    for (const auto& [field, text] : {std::pair{c.frequency.fromField, c.frequency.fromDefault},
                                      std::pair{c.frequency.toField, c.frequency.toDefault},
                                      std::pair{c.frequency.stepField, c.frequency.stepDefault}}) {
      auto* e = form.findChild<QLineEdit*>(Q(field));
      ASSERT_NE(e, nullptr) << field;
      EXPECT_EQ(e->text().toStdString(), text);
    }
  }
}

// X0 and the x and y of every row the front end prints.
struct Printed {
  double X0 = 0;
  std::vector<std::pair<double, double>> points;
};

Printed CliPoints(std::vector<const char*> args) {
  const test::CliRun run = test::RunCliInProcess(std::move(args), RealModels());
  EXPECT_EQ(run.status, kExitOk);
  const std::string& text = run.out;
  Printed printed;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("# X0=", 0) == 0) printed.X0 = std::stod(line.substr(5));
    if (line.rfind("f,", 0) != 0) continue;
    std::vector<std::string> cells;
    std::istringstream row(line);
    std::string cell;
    while (std::getline(row, cell, ',')) cells.push_back(cell);
    printed.points.emplace_back(std::stod(cells[4]), std::stod(cells[5]));  // %.17g reads back exactly
  }
  return printed;
}

TEST(WindowFrequencyRow, LogarithmicSweepIsTheFrontEndsBitForBit) {
  test::EnsureQtApp();
  TForm1 form;
  form.findChild<QLineEdit*>("Epr1f")->setText("1");
  form.findChild<QLineEdit*>("Epr1fb")->setText("10000");
  form.findChild<QLineEdit*>("Epr1fc")->setText("10/dec");
  form.findChild<QRadioButton*>("RBpr1f")->setChecked(true);
  test::ComputeAndWait(form);
  ASSERT_EQ(form.Curves().Count(), 1);
  const QLineSeries* curve = form.Curves()[0];
  EXPECT_EQ(curve->color(), QColor(0, 0, 0));

  const Printed cli = CliPoints({"planar1", "--f", "1:10000:10/dec"});
  const auto& printed = cli.points;
  ASSERT_EQ(printed.size(), 41u);
  ASSERT_EQ(curve->count(), 41);
  for (int i = 0; i < curve->count(); ++i) {
    EXPECT_EQ(curve->at(i).x(), printed[static_cast<std::size_t>(i)].first) << i;
    EXPECT_EQ(curve->at(i).y(), printed[static_cast<std::size_t>(i)].second) << i;
  }
  // The labels show the coil in air at From.
  EXPECT_EQ(form.Labelinductivereactance->text().toStdString(), LabelNumberText(cli.X0));
}

}  // namespace
}  // namespace veldo
