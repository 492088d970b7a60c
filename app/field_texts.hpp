// The window's fields of one case as texts, for front ends without a window (the command line,
// the Python package, the benchmarks): every field at its default until the caller sets it, the
// case's first row selected.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "app/case_table.hpp"
#include "app/compute.hpp"

namespace veldo {

class CaseFieldTexts : public ComputeInput {
public:
  explicit CaseFieldTexts(const CaseDef& caseDef) : selector(caseDef.params.front().selector) {
    for (const CommonField& c : kCommonFields) texts[std::string(c.name)] = std::string(c.defaultText);
    auto defaults = [this](const ParamDef& p) {
      texts[std::string(p.fromField)] = std::string(p.fromDefault);
      texts[std::string(p.toField)] = std::string(p.toDefault);
      texts[std::string(p.stepField)] = std::string(p.stepDefault);
    };
    for (const ParamDef& p : caseDef.params) defaults(p);
    defaults(caseDef.frequency);
  }
  std::string FieldText(std::string_view name) const override {
    const auto it = texts.find(name);
    return it == texts.end() ? std::string() : it->second;
  }
  bool IsSelected(std::string_view radioName) const override { return radioName == selector; }
  std::string DecimalSeparator() const override { return separator; }

  std::map<std::string, std::string, std::less<>> texts;
  std::string selector;
  // Besides "."; the C library's locale unless the caller fixes it (a script writes "." whatever
  // the locale of the process that runs it).
  std::string separator = LocaleDecimalSeparator();
};

}  // namespace veldo
