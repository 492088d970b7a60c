#include "cli/cli_output.hpp"

#include <charconv>
#include <cstdlib>

namespace veldo {

void CliOutput::ShowMessage(MessageKind, const std::string& text) {
  std::fprintf(messages_, "%s\n", text.c_str());
}

void CliOutput::AirCoilValues(double X0, double L0) {
  std::fprintf(data_, "# X0=%s\n# L0=%s\n", Number17(X0).c_str(), Number17(L0).c_str());
}

void CliOutput::BeginCurve(Rgb colour) {
  curves_.push_back({colour, {}});
  std::fprintf(data_, "param,value,dR,dX,x,y,ier\n");
}

void CliOutput::AddPoint(double x, double y) {
  if (!curves_.empty()) curves_.back().points.emplace_back(x, y);
}

void CliOutput::PointComputed(const PointDetails& p) {
  std::fprintf(data_, "%.*s,%s,%s,%s,%s,%s,%d\n", static_cast<int>(p.param.size()), p.param.data(),
               SweptValueText(p.value).c_str(), Number17(p.dR).c_str(), Number17(p.dX).c_str(),
               Number17(p.x).c_str(), Number17(p.y).c_str(), p.Ier);
}

void CliOutput::ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) {
  if (airCoilShort)
    std::fprintf(messages_, "The air-coil reference did not reach the requested accuracy\n");
  if (pointsShort > 0)
    std::fprintf(messages_, "%d of %d points did not reach the requested accuracy\n", pointsShort,
                 pointsTotal);
}

}  // namespace veldo
