// What a user does to a desktop program over a long session: hundreds of Compute / New cycles
// and a full registry must give the memory back, and Save As where it cannot write must say why
// and leave what is there untouched. The window runs offscreen over cheap stand-in models, so
// only the window's own bookkeeping is measured.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/window_support.hpp"

namespace veldo {
namespace {

// Resident set of this process in kB (Linux: the second field of /proc/self/statm, in pages).
long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class WindowAbuse : public test::WindowFixture {
protected:
  void SetUp() override {
    Restart();
    LiftOff("0.01", "1.0", "0.01");  // 100 points
  }
  // Compute `curves` curves, then New: one cycle.
  void Cycle(int curves) {
    for (int c = 0; c < curves; ++c) Compute();
    QCoreApplication::processEvents();
    ConfirmNew();
    QCoreApplication::processEvents();
  }
};

// Under AddressSanitizer freed memory waits in a quarantine before it is used again, so the
// resident set grows whatever the program does; leaks there are LeakSanitizer's to find.
// (The suite is built with g++, which defines __SANITIZE_ADDRESS__ under -fsanitize=address.)
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSetMeaningful = false;
#else
constexpr bool kResidentSetMeaningful = true;
#endif

// A full registry refuses the 102nd curve; after New the next 101 curves use the series of the
// removed ones, so the chart never holds more series than curves were ever on it at once. Qt 6.4
// Charts keeps about 16 kB for every series ever added to a chart, removed or not (9.7 MB over
// 600 curves when New deleted its series). Then memory returns after New: the resident set
// after 300 more cycles stays within a few megabytes of its level after the first 30 (a curve of
// 100 points leaked per cycle would add well over that), and full registries the same way.
TEST_F(WindowAbuse, AFullRegistryRefusesAndNewGivesTheSeriesAndTheMemoryBack) {
  for (int c = 0; c < kCurveSlots; ++c) Compute();
  sink.shown.clear();
  Compute();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.last().second, kRegistryFullMessage);
  EXPECT_EQ(Count(), kCurveSlots);
  EXPECT_EQ(Visible().size(), kCurveSlots);
  ConfirmNew();
  EXPECT_TRUE(Visible().isEmpty());
  for (int c = 0; c < kCurveSlots; ++c) Compute();
  EXPECT_EQ(Visible().size(), kCurveSlots);
  EXPECT_EQ(form->Chart1->series().size(), kCurveSlots);
  for (int i = 0; i < kCurveSlots; ++i) EXPECT_EQ(Curve(i)->count(), 100);
  ConfirmNew();
  EXPECT_EQ(form->Chart1->series().size(), kCurveSlots);

  if (!kResidentSetMeaningful) GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory resident";
  for (int i = 0; i < 30; ++i) Cycle(2);  // caches, fonts and the allocator settle
  const long settled = ResidentKb();
  for (int i = 0; i < 300; ++i) Cycle(2);
  const long after = ResidentKb();
  EXPECT_EQ(Count(), 0);
  EXPECT_TRUE(Visible().isEmpty());
  EXPECT_LT(after - settled, 4 * 1024) << "settled " << settled << " kB, after " << after << " kB";
  Cycle(kCurveSlots);
  for (int i = 0; i < 20; ++i) Cycle(kCurveSlots / 10);
  const long full = ResidentKb();
  EXPECT_LT(full - settled, 16 * 1024) << "settled " << settled << " kB, after " << full << " kB";
  std::printf("resident set: %ld kB settled, %ld kB after 300 cycles, %ld kB after full registries\n",
              settled, after, full);
}

// Save As onto places it cannot write says "Cannot create file ..." and leaves what is there:
// a folder of that name, a missing folder (nothing created, no partial file), a read-only file,
// a file not even root may write (the kernel's version text).
TEST_F(WindowAbuse, SaveAsWhereItCannotWriteSaysSoAndLeavesWhatIsThere) {
  Compute();
  QTemporaryDir dir;
  auto read = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
  };
  const struct {
    const char* what;
    QString path;
    std::function<bool()> prepare;  // false: skip
    std::function<bool()> untouched;
  } places[] = {
      {"a folder", dir.filePath("chart.emf"),
       [&] { return QDir(dir.path()).mkdir("chart.emf") && QFile(dir.filePath("chart.emf/in.txt")).open(QIODevice::WriteOnly); },
       [&] { return QFileInfo::exists(dir.filePath("chart.emf/in.txt")); }},
      {"a missing folder", dir.filePath("no/such/chart.emf"), [] { return true; },
       [&] { return !QFileInfo::exists(dir.filePath("no")) && QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty(); }},
      {"a read-only file", dir.filePath("old.emf"),
       [&] {
         QFile f(dir.filePath("old.emf"));
         return geteuid() != 0 && f.open(QIODevice::WriteOnly) && f.write("older") == 5 &&
                f.setPermissions(QFileDevice::ReadOwner);
       },
       [&] { return read(dir.filePath("old.emf")) == "older"; }},
      {"a file nobody may write", "/proc/version", [&] { return QFileInfo::exists("/proc/version"); },
       [&, before = read("/proc/version")] { return read("/proc/version") == before; }},
  };
  for (const auto& place : places) {
    if (!place.prepare()) continue;  // as root permission bits do not stop a write; no /proc
    sink.shown.clear();
    form->AskSavePath = [&] { return place.path; };
    form->SaveAs1Click();
    EXPECT_EQ(sink.shown, (std::vector{std::pair(MessageKind::Error, "Cannot create file " + place.path.toStdString() + ".")}))
        << place.what;
    EXPECT_TRUE(place.untouched()) << place.what;
  }
}

}  // namespace
}  // namespace veldo
