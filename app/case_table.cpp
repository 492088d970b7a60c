// The problems of the case points.
#include "app/case_table.hpp"

#include "app/problem.hpp"

namespace veldo {

Problem CaseProblem(const CasePoint& point) {
  Problem q;
  q.probe = PresetProbe(point.model, point.N, point.R1, point.R2, point.L);
  q.conductor = PresetConductor(point.model, point.Params());
  q.f = point.f;
  return q;
}

}  // namespace veldo
