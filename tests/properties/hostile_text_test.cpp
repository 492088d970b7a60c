// What a user can paste into the fields: texts of 10,000 characters, control characters,
// right-to-left marks and other scripts' digits, numbers with 400 digits. The Compute command
// and veldo-cli (over stand-in models) must answer each with numbers or one message that
// quotes the text whole, never a crash or a silent wrong value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/compute.hpp"
#include "cli/cli.hpp"
#include "tests/app/fakes.hpp"
#include "tests/support/cli_in_process.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;

std::string NotAFloat(const std::string& text) {
  return "'" + text + "' is not a valid floating point value.";
}

struct Hostile {
  const char* name;
  std::string text;
  bool number;   // whether a strict field reads it as a number
  double value;  // and as which
};

std::vector<Hostile> HostileTexts() {
  return {
      {"TenThousandDigits", std::string(10000, '1'), false, 0},
      {"TenThousandLetters", std::string(10000, 'x'), false, 0},
      {"TenThousandSpacesThenNumber", std::string(10000, ' ') + "2.5", true, 2.5},
      {"NumberThenTenThousandSpaces", "2.5" + std::string(10000, ' '), true, 2.5},
      {"FourHundredDigitInteger", "1" + std::string(399, '0'), false, 0},
      {"FourHundredDigitFraction", "0." + std::string(397, '0') + "1", true, 0.0},
      {"FourHundredSignificantDigits", "1." + std::string(398, '5'), true, 1.5555555555555556},
      {"FourHundredDigitExponent", "1e" + std::string(400, '9'), false, 0},
      {"BellCharacter", "\a100", false, 0},
      {"EscapeSequence", "\x1b[2J100", false, 0},
      {"EmbeddedNul", std::string("10\0" "0", 4), false, 0},
      {"CarriageReturnLineFeed", "100\r\n", true, 100},
      {"RightToLeftOverride", "\u202e100\u202c", false, 0},
      {"ArabicIndicDigits", "\u0661\u0660\u0660", false, 0},
      {"HebrewWord", "\u05e9\u05dc\u05d5\u05dd", false, 0},
      {"FullwidthDigits", "\uff11\uff10\uff10", false, 0},
      {"InvalidUtf8", "\xff\xfe\x80" "100", false, 0},
  };
}

class HostileText : public ::testing::TestWithParam<Hostile> {};

// In the frequency field (strict parser), from the window and as veldo-cli's --f: the number it
// spells, or the conversion message quoting the whole text, and nothing computed.
TEST_P(HostileText, FrequencyFieldGivesNumberOrItsMessage) {
  const Hostile& h = GetParam();
  FakeInput in;
  RecordingOutput out;
  FakeModels models;
  in.Set("Epr1f", h.text);
  const ComputeStatus status = ButtonComputeClick(1, in, out, models.Table());
  if (h.number && h.value > 0) {
    ASSERT_EQ(status, ComputeStatus::Completed);
    ASSERT_FALSE(models.calls.empty());
    EXPECT_DOUBLE_EQ(models.calls[0].f, h.value * 1000);  // f in Hz
  } else if (h.number) {
    // f = 0: the inductance X0 / (2 pi f) is 0/0.
    EXPECT_EQ(status, ComputeStatus::Fault);
  } else {
    EXPECT_EQ(status, ComputeStatus::Rejected);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(out.messages[0].text, NotAFloat(h.text));
    EXPECT_TRUE(out.curves.empty());
  }
  if (h.text.find('\0') != std::string::npos) return;  // no command-line argument holds a NUL
  FakeModels cliModels;
  // One thread: the recording stand-ins are not re-entrant.
  const test::CliRun run =
      test::RunCliInProcess({"planar1", "--threads", "1", "--f", h.text.c_str()}, cliModels.Table());
  EXPECT_EQ(run.status, !h.number ? kExitRejected : h.value > 0 ? kExitOk : kExitFault) << run.err;
  if (!h.number) {
    EXPECT_EQ(run.err, NotAFloat(h.text) + "\n");
  }
}

// In every field of every case in turn: at most one message, a message quotes the text, and
// every point that reaches the chart is finite.
TEST_P(HostileText, AnyFieldOfAnyCaseEndsWithPointsOrOneMessage) {
  const Hostile& h = GetParam();
  for (const CaseDef& c : kCases) {
    std::vector<std::string> fields;
    for (const CommonField& f : kCommonFields) fields.emplace_back(f.name);
    if (!c.frequencyField.empty()) fields.emplace_back(c.frequencyField);
    for (const ParamDef& p : c.params)
      for (std::string_view f : {p.fromField, p.toField, p.stepField}) fields.emplace_back(f);
    for (const std::string& field : fields) {
      FakeInput in;
      RecordingOutput out;
      FakeModels models;
      in.Set("Editr1", "12");  // a coil round the default rods, inside the default bores
      in.Set("Editr2", "14");
      in.Set("Eid1b1a", "15");
      in.Set("Eid1b1b", "16");
      in.Set("Eid2b1a", "15");
      in.Set("Eid2b1b", "16");
      in.Set("Eid2b2a", "17");
      in.Set(field, h.text);
      ButtonComputeClick(c.testCase, in, out, models.Table());
      SCOPED_TRACE(std::string(h.name) + " in " + field + " of case " +
                   std::to_string(c.testCase));
      ASSERT_LE(out.messages.size(), 1u);
      if (out.messages.size() == 1 && out.messages[0].text.front() == '\'') {
        EXPECT_NE(out.messages[0].text.find(h.text), std::string::npos);
      }
      for (const auto& curve : out.curves) {
        for (const auto& [x, y] : curve.points) {
          EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileText, ::testing::ValuesIn(HostileTexts()),
                         [](const ::testing::TestParamInfo<Hostile>& p) {
                           return std::string(p.param.name);
                         });

// A locale whose decimal separator is the Arabic one (U+066B, two bytes in UTF-8) reads it
// like the point, and does not take the Arabic-Indic digits for ours.
TEST(HostileTextLocale, ArabicDecimalSeparator) {
  FakeInput in;
  in.separator = "\u066b";
  RecordingOutput out;
  FakeModels models;
  in.Set("Epr1f", "100\u066b5");
  ASSERT_EQ(ButtonComputeClick(1, in, out, models.Table()), ComputeStatus::Completed);
  EXPECT_DOUBLE_EQ(models.calls[0].f, 100500.0);
  in.Set("Epr1f", "\u0661\u0660\u0660\u066b5");
  RecordingOutput out2;
  EXPECT_EQ(ButtonComputeClick(1, in, out2, models.Table()), ComputeStatus::Rejected);
}

}  // namespace
}  // namespace veldo
