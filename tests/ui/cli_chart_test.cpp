// veldo-cli --chart: the built program writes the chart of its curve without a display.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <string>

#include "tests/support/test_support.hpp"
#include "tests/ui/emf_reader.hpp"
#include "tests/ui/qt_app.hpp"
#include "ui/emf_encoder.hpp"

namespace veldo {
namespace {

// No display: the program must not need one.
test::ProgramRun RunCli(const std::string& args) {
  return test::RunProgram("env", "-u DISPLAY -u QT_QPA_PLATFORM LSAN_OPTIONS=suppressions=" +
                                     std::string(VELDO_LSAN_SUPPRESSIONS) + " " + VELDO_CLI_PATH + " " + args);
}

// A metafile and a PNG of the curve at the renderer's 350 × 400 pixels; a suffix it does not
// know is refused. (The writer's records: ui_emf_test.)
TEST(CliChart, WritesAMetafileOrPngAndRefusesWhatItCannotWrite) {
  test::EnsureQtApp();
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  const test::ProgramRun run = RunCli("planar1 --lo 0.5:1.5:0.5 --chart " + d + "/chart.emf");
  ASSERT_EQ(run.status, 0) << run.err;
  const test::EmfFile f = test::ReadEmf(d + "/chart.emf");
  ASSERT_EQ(f.error, "");
  EXPECT_GE(f.count(emf::EMR_ELLIPSE), 3);  // one marker per point
  EXPECT_EQ(f.records.front().i32(16), 3499);  // rclBounds.right: ten logical units a pixel
  EXPECT_EQ(f.records.front().i32(20), 3999);

  ASSERT_EQ(RunCli("vertical --lo 1:1.2:0.1 --chart " + d + "/chart.png").status, 0);
  EXPECT_EQ(QImage(QString::fromStdString(d + "/chart.png")).size(), QSize(350, 400));

  const test::ProgramRun wrongType = RunCli("planar1 --chart " + d + "/chart.svgz");
  EXPECT_EQ(wrongType.status, 2);
  EXPECT_NE(wrongType.err.find("must end in .emf, .png or .svg"), std::string::npos) << wrongType.err;
}

}  // namespace
}  // namespace veldo
