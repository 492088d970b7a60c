// Fuzz target: the session reader on any bytes.
//
// Oracle: the reader either refuses with a message or gives a session that is within its
// bounds (a computing case, at most 101 curves, a known view; a curve of a layered geometry with
// a problem of that geometry and a family index within its values, any other without), and a session it accepts is one
// the writer writes back to a document the reader accepts again, giving the same document:
// reading and writing lose nothing the format holds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/session_format.hpp"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "session_fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const veldo::SessionRead read = veldo::ReadSession(bytes);
  if (!read.session) {
    if (read.error.empty()) Fail("a refusal without a message");
    return 0;
  }
  const veldo::Session& s = *read.session;
  if (s.curves.size() > static_cast<std::size_t>(veldo::kSessionMaxCurves)) Fail("more curves than the chart holds");
  if (s.view < 0 || s.view >= veldo::kChartViews) Fail("an unknown view");
  for (const veldo::CurveRecord& r : s.curves) {
    if (veldo::IsLayeredCase(r.testCase) != r.layered.has_value()) Fail("a curve's problem does not fit its case");
    if (!r.layered) continue;
    if (r.layered->sweep.problem.conductor.geometry != veldo::GeometryOfCase(r.testCase)) Fail("a problem of another geometry");
    const int n = static_cast<int>(r.layered->sweep.familyValues.size());
    if (r.layered->sweep.family.empty() ? r.layered->familyIndex != -1 : r.layered->familyIndex < 0 || r.layered->familyIndex >= n)
      Fail("a family index outside the family");
  }
  const std::string written = veldo::WriteSession(s);
  const veldo::SessionRead again = veldo::ReadSession(written);
  if (!again.session) Fail(("its own document refused: " + again.error).c_str());
  if (veldo::WriteSession(*again.session) != written) Fail("a second round trip changed the document");
  return 0;
}
