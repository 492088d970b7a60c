// The Compute command without a toolkit: it reads field texts by the fields' names and the
// state of the sweep selectors, and writes through a ComputeOutput.
#pragma once

#include <string>
#include <string_view>

#include "app/output.hpp"

namespace veldo {

// The window's inputs as the Compute command sees them.
class ComputeInput {
public:
  virtual ~ComputeInput() = default;
  // Text of an edit field by its name ("Editr1", "Epr1loa", "Eid2con2c", ...).
  virtual std::string FieldText(std::string_view name) const = 0;
  // Whether a sweep selector is selected, by its name ("RBpr1lo", "RBid2con2", ...).
  virtual bool IsSelected(std::string_view radioName) const = 0;
};

// Runs the Compute command for geometry case TestCase (1..9) to its end.
void ButtonComputeClick(int TestCase, const ComputeInput& in, ComputeOutput& out);

}  // namespace veldo
