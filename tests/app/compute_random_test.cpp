// The command over random field texts (numbers of every size and sign, malformed text, empty
// fields) and random selectors: whatever the input, it ends with at most one message, counts
// exactly the curves it begins, and never plots more points than its progress maximum.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

std::string RandomText(std::mt19937& g) {
  static const char* const kTexts[] = {"0", "1", "2.5", "-1", "10", "0.1", "1e-3", "1e3", "1e300",
                                       "-0", "", " ", "abc", "inf", "nan", "1e999", "4,5", "$10",
                                       "7e-320", "0.0625", "100", "12", "1e-12", "3.5"};
  return kTexts[g() % (sizeof kTexts / sizeof kTexts[0])];
}

TEST(ComputeRandom, EveryInputEndsCleanly) {
  std::mt19937 g(20261206);
  for (int run = 0; run < 3000; ++run) {
    test::FakeInput in;
    for (auto& [field, text] : in.texts)
      if (g() % 4 == 0) text = RandomText(g);
    const int testCase = 1 + static_cast<int>(g() % 9);
    if (const CaseDef* c = FindCase(testCase); !c->params.empty())
      in.Select(testCase, c->params[g() % c->params.size()].selector);
    test::FakeModels models;
    test::RecordingOutput out;
    out.curveCount = g() % 20 == 0 ? 101 : 0;
    const int countBefore = out.curveCount;

    const ComputeStatus status = ButtonComputeClick(testCase, in, out, models.Table());

    SCOPED_TRACE(::testing::Message() << "run " << run << " case " << testCase);
    ASSERT_LE(out.messages.size(), 1u);
    EXPECT_EQ(status == ComputeStatus::Completed || status == ComputeStatus::NoComputation,
              out.messages.empty());
    const int begun = static_cast<int>(std::count(out.log.begin(), out.log.end(), "begin"));
    EXPECT_LE(begun, 1);
    EXPECT_EQ(out.curveCount - countBefore, begun);
    const std::size_t calls = models.calls.size();
    if (begun == 1) {
      const std::size_t points = out.curves[0].points.size();
      EXPECT_LE(static_cast<int>(points), out.progressMaximum);
      EXPECT_EQ(out.progressPosition, static_cast<int>(points));
      // A fault ends the sweep at the point that raised it.
      EXPECT_EQ(calls, points + (status == ComputeStatus::Fault ? 1 : 0));
      for (const auto& [x, y] : out.curves[0].points) EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    } else {
      EXPECT_EQ(calls, 0u);
    }
  }
}

}  // namespace
}  // namespace veldo
