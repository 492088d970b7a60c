#include "app/problem_json.hpp"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace veldo {
namespace {

using nlohmann::json;

const char* GeometryName(Geometry g) {
  switch (g) {
    case Geometry::Plate: return "plate";
    case Geometry::Tube: return "tube";
    case Geometry::Rod: return "rod";
  }
  return "";
}

json Number(double v) { return std::isinf(v) && v > 0 ? json("inf") : json(v); }

// Reading with the member's path in every complaint.
struct Reader {
  std::string& error;

  const json* Member(const json& o, const std::string& path, const char* name, bool required) {
    if (!o.is_object()) return Fail(path + ": an object is required");
    const auto it = o.find(name);
    if (it == o.end()) return required ? Fail(path + "." + name + ": the member is missing") : nullptr;
    return &*it;
  }
  std::optional<double> Real(const json& o, const std::string& path, const char* name, bool required,
                             double fallback = 0, bool unboundedAllowed = false) {
    const json* v = Member(o, path, name, required);
    if (v == nullptr) return error.empty() ? std::optional<double>(fallback) : std::nullopt;
    if (unboundedAllowed && v->is_string() && v->get<std::string>() == "inf")
      return std::numeric_limits<double>::infinity();
    if (!v->is_number()) return Fail(path + "." + name + (unboundedAllowed ? ": a number or \"inf\" is required" : ": a number is required")), std::nullopt;
    return v->get<double>();
  }
  std::optional<std::string> Text(const json& o, const std::string& path, const char* name, bool required,
                                  const char* fallback = "") {
    const json* v = Member(o, path, name, required);
    if (v == nullptr) return error.empty() ? std::optional<std::string>(fallback) : std::nullopt;
    if (!v->is_string()) return Fail(path + "." + name + ": a text is required"), std::nullopt;
    return v->get<std::string>();
  }
  std::nullptr_t Fail(std::string why) {
    if (error.empty()) error = std::move(why);
    return nullptr;
  }
};

}  // namespace

std::string ProblemToJson(const ProblemSweep& s) {
  json coils = json::array();
  const Probe& pr = s.problem.probe;
  const std::vector<CoilRole>& roles = s.wiring.roles;
  for (std::size_t i = 0; i < pr.coils.size(); ++i) {
    const Coil& c = pr.coils[i];
    coils.push_back({{"N", c.N}, {"R1", c.R1}, {"R2", c.R2}, {"L", c.L}, {"z", c.z}, {"x", c.x},
                     {"axis", c.axis == CoilAxis::Parallel ? "parallel" : "normal"}});
    if (i < roles.size()) coils.back()["role"] = RoleName(roles[i]);
  }
  json probe = {{"coils", coils}};
  if (!roles.empty()) probe["connection"] = ConnectionName(s.wiring.connection);
  if (pr.drive != 0 || pr.pickup != 0) probe["drive"] = pr.drive, probe["pickup"] = pr.pickup;
  json layers = json::array();
  for (const Layer& l : s.problem.conductor.layers)
    layers.push_back({{"thickness", Number(l.thickness)}, {"sigma", l.sigma}, {"mur", l.mur}});
  json j = {{"probe", probe},
            {"conductor", {{"geometry", GeometryName(s.problem.conductor.geometry)},
                           {"position", s.problem.conductor.position},
                           {"layers", layers}}},
            {"f", s.problem.f},
            {"acc", s.Acc}};
  if (!s.path.empty())
    j["sweep"] = {{"path", s.path}, {"from", s.range.From}, {"to", s.range.To}, {"step", s.range.Step},
                  {"per_decade", s.range.logarithmic}};
  if (!s.family.empty()) j["family"] = {{"path", s.family}, {"values", s.familyValues}};
  return j.dump(2);
}

std::optional<ProblemSweep> ProblemFromJson(std::string_view text, std::string& error) {
  error.clear();
  const json j = json::parse(text.begin(), text.end(), nullptr, false);
  if (j.is_discarded()) return error = "the text is not JSON", std::nullopt;
  Reader r{error};
  ProblemSweep s;
  Problem& p = s.problem;
  const json* probe = r.Member(j, "problem", "probe", true);
  const json* coils = probe ? r.Member(*probe, "probe", "coils", true) : nullptr;
  if (coils && (!coils->is_array() || coils->empty())) r.Fail("probe.coils: a list of at least one coil is required");
  if (!error.empty()) return std::nullopt;
  for (std::size_t i = 0; i < coils->size(); ++i) {
    const json& c = (*coils)[i];
    const std::string path = "probe.coils[" + std::to_string(i) + "]";
    const auto N = r.Real(c, path, "N", true);
    const auto R1 = r.Real(c, path, "R1", true), R2 = r.Real(c, path, "R2", true), L = r.Real(c, path, "L", true);
    const auto z = r.Real(c, path, "z", false), x = r.Real(c, path, "x", false);
    const auto axis = r.Text(c, path, "axis", false, "normal");
    if (!error.empty()) return std::nullopt;
    if (*N != std::trunc(*N) || *N < 0 || *N > 2147483647.0) return error = path + ".N: a whole number of turns is required", std::nullopt;
    if (*axis != "normal" && *axis != "parallel") return error = path + ".axis: \"normal\" or \"parallel\" is required", std::nullopt;
    p.probe.coils.push_back(Coil{static_cast<int>(*N), *R1, *R2, *L, *z, *x,
                                 *axis == "parallel" ? CoilAxis::Parallel : CoilAxis::Normal});
    if (c.contains("role")) {
      const auto role = r.Text(c, path, "role", true);
      if (!error.empty()) return std::nullopt;
      const auto named = RoleNamed(*role);
      if (!named) return error = path + ".role: \"drive\", \"pickup\" or \"both\" is required", std::nullopt;
      s.wiring.roles.push_back(*named);
    }
  }
  if (!s.wiring.roles.empty() && s.wiring.roles.size() != p.probe.coils.size())
    return error = "probe.coils: every coil or none has a role", std::nullopt;
  const auto connection = r.Text(*probe, "probe", "connection", false, "absolute");
  const auto drive = r.Real(*probe, "probe", "drive", false), pickup = r.Real(*probe, "probe", "pickup", false);
  if (!error.empty()) return std::nullopt;
  const auto wired = ConnectionNamed(*connection);
  if (!wired) return error = "probe.connection: \"absolute\", \"transmit-receive\", \"differential\" or "
                             "\"differential transmit-receive\" is required", std::nullopt;
  s.wiring.connection = *wired;
  for (const double v : {*drive, *pickup})
    if (!(v >= 0 && v < static_cast<double>(p.probe.coils.size())) || v != std::trunc(v))
      return error = "probe.drive, probe.pickup: the number of a coil from 0 is required", std::nullopt;
  p.probe.drive = static_cast<std::size_t>(*drive), p.probe.pickup = static_cast<std::size_t>(*pickup);
  const json* conductor = r.Member(j, "problem", "conductor", true);
  if (!error.empty()) return std::nullopt;
  const auto geometry = r.Text(*conductor, "conductor", "geometry", true);
  const auto position = r.Real(*conductor, "conductor", "position", true);
  const json* layers = r.Member(*conductor, "conductor", "layers", true);
  if (!error.empty()) return std::nullopt;
  if (*geometry == "plate") p.conductor.geometry = Geometry::Plate;
  else if (*geometry == "tube") p.conductor.geometry = Geometry::Tube;
  else if (*geometry == "rod") p.conductor.geometry = Geometry::Rod;
  else return error = "conductor.geometry: \"plate\", \"tube\" or \"rod\" is required", std::nullopt;
  p.conductor.position = *position;
  if (!layers->is_array()) return error = "conductor.layers: a list is required", std::nullopt;
  for (std::size_t i = 0; i < layers->size(); ++i) {
    const std::string path = "conductor.layers[" + std::to_string(i) + "]";
    const auto d = r.Real((*layers)[i], path, "thickness", true, 0, true);
    const auto sigma = r.Real((*layers)[i], path, "sigma", true), mur = r.Real((*layers)[i], path, "mur", false, 1);
    if (!error.empty()) return std::nullopt;
    p.conductor.layers.push_back({*d, *sigma, *mur});
  }
  const auto f = r.Real(j, "problem", "f", true), acc = r.Real(j, "problem", "acc", false, 1e-4);
  if (!error.empty()) return std::nullopt;
  p.f = *f;
  s.Acc = *acc;
  if (const json* sweep = r.Member(j, "problem", "sweep", false)) {
    const auto path = r.Text(*sweep, "sweep", "path", true);
    const auto from = r.Real(*sweep, "sweep", "from", true), to = r.Real(*sweep, "sweep", "to", true);
    const auto step = r.Real(*sweep, "sweep", "step", true);
    const json* perDecade = r.Member(*sweep, "sweep", "per_decade", false);
    if (perDecade && !perDecade->is_boolean()) r.Fail("sweep.per_decade: true or false is required");
    if (!error.empty()) return std::nullopt;
    const bool logarithmic = perDecade && perDecade->get<bool>();
    if (!(std::isfinite(*from) && std::isfinite(*to) && std::isfinite(*step)) || CheckRange(*from, *to, *step) == 1)
      return error = "sweep: " + std::string(kCheckRangeMessage), std::nullopt;
    if (logarithmic && (!(*from > 0) || !(*step >= 1) || *step != std::floor(*step)))
      return error = "sweep: a sweep per decade needs from above 0 and a whole number of points per decade", std::nullopt;
    const auto range = logarithmic ? MakeLogSweep(*from, *to, *step) : MakeSweep(*from, *to, *step);
    if (!range) return error = "sweep: " + std::string(kTooManyPointsMessage), std::nullopt;
    s.path = *path;
    s.range = *range;
  } else {
    s.path = "f";
    s.range = *MakeSweep(p.f, p.f, 0);
  }
  if (const json* family = r.Member(j, "problem", "family", false)) {
    const auto path = r.Text(*family, "family", "path", true);
    const json* values = r.Member(*family, "family", "values", true);
    if (!error.empty()) return std::nullopt;
    if (!values->is_array() || values->empty()) return error = "family.values: a list of at least one number is required", std::nullopt;
    for (const json& v : *values) {
      if (!v.is_number()) return error = "family.values: numbers are required", std::nullopt;
      s.familyValues.push_back(v.get<double>());
    }
    s.family = *path;
  }
  return s;
}

}  // namespace veldo
