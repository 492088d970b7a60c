// Compile-time checks of the case table: names follow the window's pattern (selector "RB" + the
// case prefix without its "E" + the parameter; fields the prefix + parameter + column letter, the
// frequency row's From field the prefix + "f" and its To and Step fields "fb", "fc"), and each
// parameter keeps its colour and factor in every case.
#include "app/case_table.hpp"

namespace veldo {
namespace {

constexpr bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

constexpr bool FieldsFollowPattern(const CaseDef& c) {
  if (c.params.empty()) return c.frequencyField.empty() && c.frequency.fromField.empty();
  if (!EndsWith(c.frequencyField, "f")) return false;
  const std::string_view prefix = c.frequencyField.substr(0, c.frequencyField.size() - 1);
  const ParamDef& f = c.frequency;
  if (f.id != Param::F || f.fromField != c.frequencyField || f.fromDefault != c.frequencyDefault)
    return false;
  if (f.toField.substr(0, c.frequencyField.size()) != c.frequencyField ||
      f.toField.substr(c.frequencyField.size()) != "b" ||
      f.stepField.substr(0, c.frequencyField.size()) != c.frequencyField ||
      f.stepField.substr(c.frequencyField.size()) != "c")
    return false;
  if (f.selector.substr(0, 2) != "RB" || f.selector.substr(2) != c.frequencyField.substr(1))
    return false;
  for (const ParamDef& p : c.params) {
    const std::string_view stem = p.fromField.substr(0, p.fromField.size() - 1);
    if (stem.substr(0, prefix.size()) != prefix) return false;
    if (!EndsWith(p.fromField, "a") || !EndsWith(p.toField, "b") || !EndsWith(p.stepField, "c"))
      return false;
    if (p.toField.substr(0, stem.size()) != stem || p.stepField.substr(0, stem.size()) != stem)
      return false;
    // "Epr1lo" -> "RBpr1lo"
    if (p.selector.substr(0, 2) != "RB" || p.selector.substr(2) != stem.substr(1)) return false;
    if (c.group.substr(2) != prefix.substr(1)) return false;  // "GBpr1" <-> "Epr1"
  }
  return true;
}

constexpr bool ColourAndFactorByParameter() {
  for (const CaseDef& c : kCases) {
    if (!c.params.empty() && (!(c.frequency.colour == kBlack) || c.frequency.factor != kFactorKHz))
      return false;
    for (const ParamDef& p : c.params) {
      Rgb want{};
      double factor = 0;
      switch (p.id) {
        case Param::LO: want = kBlue; factor = kFactorMm; break;
        case Param::B1: want = kBlue; factor = kFactorMm; break;
        case Param::D1: want = kYellow; factor = kFactorMm; break;
        case Param::B2: want = kYellow; factor = kFactorMm; break;
        case Param::CON1: want = kRed; factor = kFactorMSm; break;
        case Param::CON2: want = kFuchsia; factor = kFactorMSm; break;
        case Param::MR1: want = kGreen; factor = kFactorNone; break;
        case Param::MR2: want = kAqua; factor = kFactorNone; break;
        case Param::F: return false;  // the frequency is no entry of `params`
      }
      if (!(p.colour == want) || p.factor != factor) return false;
    }
  }
  return true;
}

constexpr bool AllCasesFollowPattern() {
  for (std::size_t i = 0; i < kCases.size(); ++i) {
    if (kCases[i].testCase != static_cast<int>(i) + 1) return false;
    if (!FieldsFollowPattern(kCases[i])) return false;
  }
  return true;
}

static_assert(AllCasesFollowPattern());
static_assert(ColourAndFactorByParameter());

}  // namespace
}  // namespace veldo
