// veldo-cli --chart: the built program writes the chart of its curve without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/ui/emf_reader.hpp"
#include "tests/ui/qt_app.hpp"
#include "ui/emf_encoder.hpp"

namespace veldo {
namespace {

struct CliRun {
  int status;
  std::string err;
};

CliRun RunCli(const std::string& args, const std::string& dir) {
  const std::string err = dir + "/stderr.txt";
  // No display: the program must not need one.
  const std::string command = "env -u DISPLAY -u QT_QPA_PLATFORM LSAN_OPTIONS=suppressions=" +
                              std::string(VELDO_LSAN_SUPPRESSIONS) + " " + VELDO_CLI_PATH + " " +
                              args + " > " + dir + "/stdout.txt 2> " + err;
  const int raw = std::system(command.c_str());
  std::ifstream f(err);
  std::stringstream s;
  s << f.rdbuf();
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, s.str()};
}

TEST(CliChart, WritesTheCurveAsAMetafile) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  const CliRun run = RunCli("planar1 --lo 0.5:1.5:0.5 --chart " + d + "/chart.emf", d);
  ASSERT_EQ(run.status, 0) << run.err;
  const test::EmfFile f = test::ReadEmf(d + "/chart.emf");
  ASSERT_EQ(f.error, "");
  for (const char* t : {"Impedance Plane", "Normalized Resistance", "Normalized Inductive Reactance"})
    EXPECT_TRUE(f.hasText(t)) << t;
  EXPECT_GE(f.count(emf::EMR_ELLIPSE), 3);  // one marker per point
  EXPECT_GE(f.count(emf::EMR_POLYLINE), 1);
}

TEST(CliChart, WritesPngAndRefusesWhatItCannotWrite) {
  test::EnsureQtApp();
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  ASSERT_EQ(RunCli("vertical --lo 1:1.2:0.1 --chart " + d + "/chart.png", d).status, 0);
  EXPECT_EQ(QImage(QString::fromStdString(d + "/chart.png")).size(), QSize(350, 400));

  const CliRun wrongType = RunCli("planar1 --chart " + d + "/chart.svgz", d);
  EXPECT_EQ(wrongType.status, 2);
  EXPECT_NE(wrongType.err.find("must end in .emf, .png or .svg"), std::string::npos) << wrongType.err;

  const std::string missing = d + "/missing/chart.emf";
  const CliRun noFolder = RunCli("planar1 --lo 1:1:0 --chart " + missing, d);
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_NE(noFolder.err.find("Cannot create file " + missing), std::string::npos) << noFolder.err;
}

}  // namespace
}  // namespace veldo
