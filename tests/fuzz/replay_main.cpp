// Replays a fuzz target's committed corpus: every file under the folders given on the command
// line is fed once to LLVMFuzzerTestOneInput, as libFuzzer would. A target reports a broken
// property by aborting, which fails the test; this driver only reads the files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int files = 0;
  for (int a = 1; a < argc; ++a) {
    std::vector<fs::path> paths;
    for (const auto& e : fs::recursive_directory_iterator(argv[a]))
      if (e.is_regular_file()) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());  // a failure names the same file every run
    for (const fs::path& p : paths) {
      std::ifstream in(p, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
      std::fprintf(stderr, "%s\n", p.c_str());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++files;
    }
  }
  std::printf("replayed %d inputs\n", files);
  return files > 0 ? 0 : 1;  // an empty corpus is a broken test, not a pass
}
