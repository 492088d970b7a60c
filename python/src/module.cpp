// _veldo: the C++ half of the Python package. Three entry points, all thin: `evaluate` runs a case
// model (or the air-coil reference) over columns of points with app/batch, `evaluate_problems` a
// coil over a layered conductor with app/problem, the interpreter's lock released; `run_command`
// runs the Compute command over field texts. The array entry points take the engine by name
// ("batch" or "adaptive", app/batch.hpp). Broadcasting, result
// objects and messages as exceptions are the pure-Python half's (veldo/__init__.py).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "app/batch.hpp"
#include "app/problem.hpp"
#include "app/transient.hpp"

namespace py = pybind11;

namespace {

using Column = py::array_t<double, py::array::c_style | py::array::forcecast>;

veldo::ModelKind ModelOf(const std::string& name) {
  for (const veldo::CaseDef& c : veldo::kCases)
    if (c.model != veldo::ModelKind::None && c.cliName == name) return c.model;
  throw py::value_error("Unknown case '" + name +
                        "': use planar1, planar2, bore1, bore2, rod1, rod2 or vertical");
}

// Evaluates `name` ("air" for the air-coil reference, else a case) at the points given as
// columns N, R1, R2, L, f and the case's parameters, all one-dimensional of one length. Returns
// (first, second, ier, refusals): dR and dX [ohm] (X0 [ohm] and L0 [H] for "air"), the status,
// and the refused points as (index, message) pairs. With stop_on_refusal nothing is evaluated
// when a point is refused.
veldo::Engine EngineOf(const std::string& name) {
  if (const auto engine = veldo::EngineNamed(name)) return *engine;
  throw py::value_error("Unknown engine '" + name + "': use batch or adaptive");
}

py::tuple Evaluate(const std::string& name, const std::vector<Column>& columns, double acc,
                   int threads, bool stopOnRefusal, const std::string& engineName) {
  const veldo::Engine engine = EngineOf(engineName);
  const bool air = name == "air";
  const veldo::ModelKind model = air ? veldo::ModelKind::None : ModelOf(name);
  const std::size_t expected = 5 + static_cast<std::size_t>(veldo::ModelParamCount(model));
  if (columns.size() != expected)
    throw py::value_error(name + " takes " + std::to_string(expected) + " columns");
  const py::ssize_t n = columns.front().size();
  for (const Column& c : columns)
    if (c.ndim() != 1 || c.size() != n) throw py::value_error("the columns must be 1-D and of one length");

  veldo::BatchColumns in;
  in.n = static_cast<std::size_t>(n);
  in.N = columns[0].data();
  in.R1 = columns[1].data();
  in.R2 = columns[2].data();
  in.L = columns[3].data();
  in.f = columns[4].data();
  for (std::size_t k = 5; k < columns.size(); ++k) in.params[k - 5] = columns[k].data();

  py::array_t<double> first(n), second(n);
  py::array_t<int> ier(n);
  // Refused points keep NaN and status -1: never mistaken for a computed value.
  std::fill_n(first.mutable_data(), n, std::numeric_limits<double>::quiet_NaN());
  std::fill_n(second.mutable_data(), n, std::numeric_limits<double>::quiet_NaN());
  std::fill_n(ier.mutable_data(), n, -1);
  veldo::BatchResults out{first.mutable_data(), second.mutable_data(), ier.mutable_data()};
  const veldo::OnRefusal on = stopOnRefusal ? veldo::OnRefusal::Stop : veldo::OnRefusal::Continue;

  std::vector<veldo::Refusal> refused;
  {
    const py::gil_scoped_release release;
    refused = air ? veldo::EvaluateAirCoil(in, acc, out, threads, on)
                  : veldo::EvaluateCase(model, in, acc, out, threads, on, engine);
  }
  py::list refusals;
  for (const veldo::Refusal& r : refused) refusals.append(py::make_tuple(r.index, r.message));
  return py::make_tuple(first, second, ier, refusals);
}

// Evaluates a probe of one coil over a stack at n points given as 1-D columns of one length:
// coil (N, R1, R2, L, z, x), the conductor's position, f, and per layer (thickness, sigma, mur).
// geometry: "plate", "tube" or "rod"; parallel: the coil's axis lies parallel to the plate.
// Returns (dR, dX, ier, refusals) as `evaluate` does.
// A coil from its six columns at point i; N a whole number of turns that an int holds, anything
// else refused as the coil.
veldo::Coil CoilAt(const std::vector<Column>& coil, py::ssize_t i, bool parallel) {
  const double N = coil[0].data()[i];
  veldo::Coil c{0, coil[1].data()[i], coil[2].data()[i], coil[3].data()[i], coil[4].data()[i], coil[5].data()[i],
                parallel ? veldo::CoilAxis::Parallel : veldo::CoilAxis::Normal};
  c.N = (N == std::trunc(N) && N >= 1 && N <= 2147483647.0) ? static_cast<int>(N) : 0;
  return c;
}

py::tuple EvaluateProblems(const std::string& geometry, bool parallel, const std::vector<Column>& coil,
                           const Column& position, const Column& f, const std::vector<std::vector<Column>>& layers,
                           double acc, int threads, bool stopOnRefusal, const std::vector<Column>& pickup,
                           const std::string& engineName) {
  const veldo::Engine engine = EngineOf(engineName);
  const veldo::Geometry g = geometry == "plate" ? veldo::Geometry::Plate
                            : geometry == "tube"  ? veldo::Geometry::Tube
                            : geometry == "rod"   ? veldo::Geometry::Rod
                                                  : throw py::value_error("unknown geometry '" + geometry + "'");
  if (coil.size() != 6 || (!pickup.empty() && pickup.size() != 6))
    throw py::value_error("a coil takes 6 columns: N, R1, R2, L, z, x");
  const py::ssize_t n = position.size();
  auto check = [n](const Column& c) {
    if (c.ndim() != 1 || c.size() != n) throw py::value_error("the columns must be 1-D and of one length");
  };
  for (const Column& c : coil) check(c);
  for (const Column& c : pickup) check(c);
  check(f);
  for (const auto& l : layers) {
    if (l.size() != 3) throw py::value_error("a layer takes 3 columns: thickness, sigma, mur");
    for (const Column& c : l) check(c);
  }
  std::vector<veldo::Problem> problems(static_cast<std::size_t>(n));
  std::vector<veldo::Refusal> refused;
  for (py::ssize_t i = 0; i < n; ++i) {
    veldo::Problem& p = problems[static_cast<std::size_t>(i)];
    p.probe.coils.push_back(CoilAt(coil, i, parallel));
    if (!pickup.empty()) {  // a pickup that is the drive (the same winding) measures its own impedance
      const veldo::Coil b = CoilAt(pickup, i, false), &a = p.probe.coils.front();
      if (b.N != a.N || b.R1 != a.R1 || b.R2 != a.R2 || b.L != a.L || b.z != a.z || b.x != a.x) {
        p.probe.coils.push_back(b);
        p.probe.pickup = 1;
      }
    }
    p.conductor.geometry = g;
    p.conductor.position = position.data()[i];
    for (const auto& l : layers) p.conductor.layers.push_back({l[0].data()[i], l[1].data()[i], l[2].data()[i]});
    p.f = f.data()[i];
  }
  py::array_t<double> dR(n), dX(n);
  py::array_t<int> ier(n);
  std::fill_n(dR.mutable_data(), n, std::numeric_limits<double>::quiet_NaN());
  std::fill_n(dX.mutable_data(), n, std::numeric_limits<double>::quiet_NaN());
  std::fill_n(ier.mutable_data(), n, -1);
  std::vector<veldo::Impedance> out(static_cast<std::size_t>(n));
  {
    const py::gil_scoped_release release;
    if (stopOnRefusal) {
      for (std::size_t i = 0; i < problems.size() && refused.empty(); ++i)
        if (auto message = veldo::ProblemRefusal(problems[i])) refused.push_back({i, std::move(*message)});
    }
    if (refused.empty()) refused = veldo::EvaluateProblems(problems, acc, out, threads, engine);
  }
  std::vector<char> bad(static_cast<std::size_t>(n), 0);
  for (const veldo::Refusal& r : refused) bad[r.index] = 1;
  for (py::ssize_t i = 0; i < n; ++i) {
    if (bad[static_cast<std::size_t>(i)]) continue;
    dR.mutable_data()[i] = out[static_cast<std::size_t>(i)].dR;
    dX.mutable_data()[i] = out[static_cast<std::size_t>(i)].dX;
    ier.mutable_data()[i] = out[static_cast<std::size_t>(i)].Ier;
  }
  py::list refusals;
  for (const veldo::Refusal& r : refused) refusals.append(py::make_tuple(r.index, r.message));
  return py::make_tuple(dR, dX, ier, refusals);
}

// The mutual inductance [H] of two coils in air at n points (six columns each); (M, ier, refusals).
py::tuple MutualInductances(const std::vector<Column>& a, const std::vector<Column>& b, double acc, bool stopOnRefusal) {
  if (a.size() != 6 || b.size() != 6) throw py::value_error("a coil takes 6 columns: N, R1, R2, L, z, x");
  const py::ssize_t n = a[0].size();
  for (const auto* cols : {&a, &b})
    for (const Column& c : *cols)
      if (c.ndim() != 1 || c.size() != n) throw py::value_error("the columns must be 1-D and of one length");
  py::array_t<double> M(n);
  py::array_t<int> ier(n);
  std::fill_n(M.mutable_data(), n, std::numeric_limits<double>::quiet_NaN());
  std::fill_n(ier.mutable_data(), n, -1);
  py::list refusals;
  std::vector<veldo::Problem> probes(static_cast<std::size_t>(n));
  for (py::ssize_t i = 0; i < n; ++i) {
    veldo::Problem& p = probes[static_cast<std::size_t>(i)];
    p.probe.coils = {CoilAt(a, i, false), CoilAt(b, i, false)};
    const veldo::Coil &x = p.probe.coils[0], &y = p.probe.coils[1];
    if (x.N == y.N && x.R1 == y.R1 && x.R2 == y.R2 && x.L == y.L && x.z == y.z && x.x == y.x) p.probe.coils.pop_back();
    p.conductor = {veldo::Geometry::Plate, 1.0, {{0.0, 0.0, 1.0}}};  // the checks of the coils only
    p.f = 0;
  }
  double* m = M.mutable_data();
  int* e = ier.mutable_data();
  {
    const py::gil_scoped_release release;
    for (py::ssize_t i = 0; i < n; ++i) {
      if (auto message = veldo::ProblemRefusal(probes[static_cast<std::size_t>(i)])) {
        const py::gil_scoped_acquire hold;
        refusals.append(py::make_tuple(i, *message));
        if (stopOnRefusal) break;
        continue;
      }
      const auto& c = probes[static_cast<std::size_t>(i)].probe.coils;
      m[i] = veldo::MutualInductance(c.front(), c.back(), acc, e[i]);
    }
  }
  return py::make_tuple(M, ier, refusals);
}

// The pickup's voltage per ampere [V/A] of a drive over a conductor at the times t [s] (one problem,
// its coils' six columns of length 1 each, the layers likewise): (v, ier). A pulse when width > 0;
// a sampled waveform when sample times are given (width then unread).
py::tuple TransientOf(const std::string& geometry, bool parallel, const std::vector<Column>& coil, const std::vector<Column>& pickup, double position,
                      const std::vector<std::vector<Column>>& layers, const Column& t, double width, double acc,
                      const std::vector<double>& sampleTimes, const std::vector<double>& sampleCurrents) {
  veldo::Problem p;
  p.probe.coils.push_back(CoilAt(coil, 0, parallel));
  if (!pickup.empty()) {
    const veldo::Coil b = CoilAt(pickup, 0, false), &a = p.probe.coils.front();
    if (b.N != a.N || b.R1 != a.R1 || b.R2 != a.R2 || b.L != a.L || b.z != a.z || b.x != a.x) {
      p.probe.coils.push_back(b);
      p.probe.pickup = 1;
    }
  }
  p.conductor = {geometry == "tube" ? veldo::Geometry::Tube : geometry == "rod" ? veldo::Geometry::Rod : veldo::Geometry::Plate,
                 position, {}};
  for (const auto& l : layers) p.conductor.layers.push_back({l[0].data()[0], l[1].data()[0], l[2].data()[0]});
  veldo::Waveform w;
  if (width > 0 || std::isnan(width) || width < 0) w = {veldo::Waveform::Pulse, width, {}, {}};
  if (!sampleTimes.empty()) w = {veldo::Waveform::Samples, 0.0, sampleTimes, sampleCurrents};
  const std::span<const double> times(t.data(), static_cast<std::size_t>(t.size()));
  if (auto refusal = veldo::TransientRefusal(p, times, w, acc)) throw py::value_error(*refusal);
  veldo::TransientResult r;
  {
    const py::gil_scoped_release release;
    r = veldo::Transient(p, times, w, acc);
  }
  return py::make_tuple(py::array_t<double>(static_cast<py::ssize_t>(r.v.size()), r.v.data()), r.Ier,
                        py::array_t<double>(static_cast<py::ssize_t>(r.error.size()), r.error.data()));
}

const char* StatusName(veldo::ComputeStatus s) {
  switch (s) {
    case veldo::ComputeStatus::Completed: return "completed";
    case veldo::ComputeStatus::NoComputation: return "no computation";
    case veldo::ComputeStatus::Rejected: return "rejected";
    case veldo::ComputeStatus::Fault: return "fault";
    case veldo::ComputeStatus::Cancelled: return "cancelled";
  }
  return "";
}

// The Compute command of case `name` over option texts; a dict of what it showed and drew.
py::dict RunCommand(const std::string& name, const std::map<std::string, std::string>& options,
                    int threads) {
  veldo::CommandRecord r;
  {
    const py::gil_scoped_release release;
    r = veldo::RunCommand(name, options, threads);
  }
  py::dict d;
  d["status"] = StatusName(r.status);
  d["messages"] = r.messages;
  d["X0"] = r.airCoil ? py::object(py::float_(r.X0)) : py::object(py::none());
  d["L0"] = r.airCoil ? py::object(py::float_(r.L0)) : py::object(py::none());
  d["param"] = r.param;
  d["values"] = py::array_t<double>(static_cast<py::ssize_t>(r.values.size()), r.values.data());
  d["dR"] = py::array_t<double>(static_cast<py::ssize_t>(r.dR.size()), r.dR.data());
  d["dX"] = py::array_t<double>(static_cast<py::ssize_t>(r.dX.size()), r.dX.data());
  d["x"] = py::array_t<double>(static_cast<py::ssize_t>(r.x.size()), r.x.data());
  d["y"] = py::array_t<double>(static_cast<py::ssize_t>(r.y.size()), r.y.data());
  d["ier"] = py::array_t<int>(static_cast<py::ssize_t>(r.ier.size()), r.ier.data());
  d["notices"] = r.notices;
  return d;
}

// The case table as the package builds its case functions from it: per case with a computation
// its name, its one-line summary, and its parameters after the frequency as (name, unit symbol in
// the window, factor from that unit to SI).
py::list Cases() {
  py::list cases;
  for (const veldo::CaseDef& c : veldo::kCases) {
    if (c.model == veldo::ModelKind::None) continue;
    py::list params;
    for (const veldo::ParamDef& p : c.params)
      params.append(py::make_tuple(std::string(p.name), std::string(p.unit.symbol), p.unit.factor));
    py::dict d;
    d["name"] = std::string(c.cliName);
    d["summary"] = std::string(c.summary);
    d["params"] = params;
    cases.append(d);
  }
  return cases;
}

}  // namespace

PYBIND11_MODULE(_veldo, m) {
  m.doc() = "VELDO's C++ models and Compute command; use the package veldo, not this module.";
  m.def("evaluate", &Evaluate, py::arg("name"), py::arg("columns"), py::arg("acc"),
        py::arg("threads") = 1, py::arg("stop_on_refusal") = true, py::arg("engine") = "batch",
        "Evaluate a case model ('air': the air-coil reference) over 1-D columns of SI values.");
  m.def("evaluate_problems", &EvaluateProblems, py::arg("geometry"), py::arg("parallel"), py::arg("coil"),
        py::arg("position"), py::arg("f"), py::arg("layers"), py::arg("acc"), py::arg("threads") = 1,
        py::arg("stop_on_refusal") = true, py::arg("pickup") = std::vector<Column>{}, py::arg("engine") = "batch",
        "Evaluate a coil (or a drive and a pickup) over a layered plate, tube or rod at 1-D columns of SI values.");
  m.def("transient", &TransientOf, py::arg("geometry"), py::arg("parallel"), py::arg("coil"), py::arg("pickup"), py::arg("position"),
        py::arg("layers"), py::arg("t"), py::arg("width"), py::arg("acc"),
        py::arg("sample_times") = std::vector<double>{}, py::arg("sample_currents") = std::vector<double>{},
        "The pickup's voltage per ampere after the drive is switched off, pulsed or driven by samples.");
  m.def("mutual_inductance", &MutualInductances, py::arg("a"), py::arg("b"), py::arg("acc"),
        py::arg("stop_on_refusal") = true, "The mutual inductance of two coils in air at 1-D columns of SI values.");
  m.def("cases", &Cases, "The case table: name, summary and parameters (name, window unit, factor to SI).");
  m.def("run_command", &RunCommand, py::arg("name"), py::arg("options"), py::arg("threads") = 1,
        "Run the Compute command over field texts in the window's units.");
}
