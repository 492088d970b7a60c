// Fuzz target: the chart picture writer fed arbitrary point sets.
//
// Input layout: byte 0 is the number of curves (0..15); each curve then takes a colour byte, a
// point count byte (0..255) and 16 bytes per point (x and y as raw doubles: any NaN, infinity,
// huge, tiny or subnormal value), as far as the bytes go. The chart is written as an Enhanced
// Metafile through the same renderer as File > Save As and veldo-cli --chart.
//
// Oracle: the file is written, and libUEMF reads it back with its record checks
// (emf_readdata, U_emf_record_sizeok and U_emf_record_safe on every record), the header's
// totals matching and EOF last.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ui/emf_reader.hpp"
#include "ui/chart_render.hpp"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "emf_fuzz: %s\n", what.c_str());
  std::abort();
}

const veldo::Rgb kColours[] = {veldo::kBlue, veldo::kYellow, veldo::kRed,
                               veldo::kFuchsia, veldo::kGreen, veldo::kAqua};

// One file per process, in the temporary folder.
const std::string& PicturePath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/veldo-emf-fuzz-" +
           std::to_string(static_cast<long>(getpid())) + ".emf";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A fuzz target has no main: the Qt application is made by the first input and kept for all.
  static const veldo::ChartApplication application;
  if (size < 1) return 0;
  std::vector<veldo::ChartCurve> curves;
  std::size_t at = 1;
  const int count = data[0] % 16;
  for (int c = 0; c < count && at + 2 <= size; ++c) {
    veldo::ChartCurve curve{kColours[data[at] % 6], {}};
    const int points = data[at + 1];
    at += 2;
    for (int p = 0; p < points && at + 16 <= size; ++p, at += 16) {
      double x = 0, y = 0;
      std::memcpy(&x, data + at, 8);
      std::memcpy(&y, data + at + 8, 8);
      curve.points.emplace_back(x, y);
    }
    curves.push_back(std::move(curve));
  }

  const std::string& path = PicturePath();
  std::remove(path.c_str());
  const std::string error = veldo::RenderChartFile(curves, path);
  if (!error.empty()) Fail("the picture was not written: " + error);
  const veldo::test::EmfFile file = veldo::test::ReadEmf(path);
  if (!file.error.empty()) Fail("libUEMF rejects the picture: " + file.error);
  std::remove(path.c_str());
  return 0;
}
