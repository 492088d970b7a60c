#include "app/problem.hpp"

#include <algorithm>
#include <tuple>
#include <charconv>
#include <cmath>

#include "app/checks.hpp"
#include "app/compute.hpp"
#include "app/fp_guard.hpp"
#include "app/work_items.hpp"
#include "models/batch_engine.hpp"

namespace veldo {
namespace {

std::string LayerName(std::size_t i, std::size_t n) {
  return "layer " + std::to_string(i + 1) + " of " + std::to_string(n);
}

// A range message "Check the <subject>: it must be <range>" said of one layer: "<the subject>
// must be <range>"; other messages keep the text after their "Check ...: ".
std::string OfLayer(std::string_view message) {
  const std::size_t colon = message.find(": ");
  std::string rest(message.substr(colon + 2));
  if (message.starts_with("Check the ") && rest.starts_with("it "))
    return std::string(message.substr(6, colon - 6)) + rest.substr(2);
  return rest;
}

std::optional<std::string> LayerRefusal(const Layer& l, std::size_t i, std::size_t n) {
  const bool last = i + 1 == n;
  const std::string name = "Check " + LayerName(i, n) + ": ";
  // The last layer's thickness may be unbounded (a half-space, a core to the axis).
  if (std::isnan(l.thickness) || l.thickness < 0 || (!last && std::isinf(l.thickness)))
    return name + (last ? "the thickness must be at least 0 (inf: unbounded)"
                        : "the thickness must be a finite number of at least 0 (only the last layer is unbounded)");
  if (!std::isfinite(l.sigma) || l.sigma < 0) return name + "the conductivity must be a finite number of at least 0";
  if (!std::isfinite(l.mur) || !(l.mur > 0)) return name + "the relative permeability must be a finite number above 0";
  if (!(last && std::isinf(l.thickness)) && LengthRefusal(l.thickness))
    return name + OfLayer(kLengthRangeMessage);
  if (const auto refusal = LayerThicknessRefusal(l.thickness); refusal && std::isfinite(l.thickness))
    return name + OfLayer(*refusal);
  if (const auto refusal = MaterialRefusal(l.sigma, l.mur))
    return name + OfLayer(*refusal);
  return std::nullopt;
}

}  // namespace

namespace {

// "Check the coil: ..." for a probe of one coil, "Check coil 2: ..." for one of several.
std::string CoilCheck(const Probe& probe, std::size_t i, std::string_view what) {
  const std::string name = probe.coils.size() == 1 ? "the coil" : "coil " + std::to_string(i + 1);
  return "Check " + name + ": " + std::string(what);
}

// Whether two windings share a point in space (axes parallel, x apart): their spans along the
// axis overlap and, coaxial, their radial spans too; side by side, their outer cylinders meet.
bool Overlap(const Coil& a, const Coil& b) {
  const bool axial = a.z < b.z + b.L && b.z < a.z + a.L;
  if (!axial) return false;
  const double x = std::fabs(a.x - b.x);
  if (x == 0) return a.R1 < b.R2 && b.R1 < a.R2;
  return x < a.R2 + b.R2;
}

}  // namespace

std::optional<std::string> ProblemRefusal(const Problem& p) {
  const Probe& probe = p.probe;
  if (probe.coils.empty()) return std::string("Check the probe: it has no coil");
  if (probe.drive >= probe.coils.size() || probe.pickup >= probe.coils.size())
    return std::string("Check the probe: its drive and pickup must be coils of it");
  for (std::size_t i = 0; i < probe.coils.size(); ++i) {
    const Coil& c = probe.coils[i];
    for (double v : {c.R1, c.R2, c.L, c.z, c.x})
      if (!std::isfinite(v)) return CoilCheck(probe, i, "its dimensions and position must be finite numbers");
    if (LengthRefusal(c.z) || LengthRefusal(c.x)) return std::string(kLengthRangeMessage);
    if (const auto refusal = CoilRefusal(c.N, c.R1, c.R2, c.L)) {
      std::string text(*refusal);
      return probe.coils.size() == 1 ? text : CoilCheck(probe, i, text.substr(text.find(": ") + 2));
    }
  }
  for (std::size_t i = 0; i < probe.coils.size(); ++i)
    for (std::size_t j = i + 1; j < probe.coils.size(); ++j)
      if (Overlap(probe.coils[i], probe.coils[j]))
        return "Check coils " + std::to_string(i + 1) + " and " + std::to_string(j + 1) + ": their windings overlap";
  if (!std::isfinite(p.f) || p.f < 0) return std::string("Check the frequency: it must be a finite number of at least 0");
  if (const auto refusal = FrequencyRefusal(p.f)) return std::string(*refusal);
  const Conductor& k = p.conductor;
  const auto& layers = k.layers;
  if (layers.empty()) return std::string("Check the conductor: it needs at least one layer");
  if (layers.size() > kMaxLayers)
    return "Check the conductor: it has " + std::to_string(layers.size()) + " layers, at most " +
           std::to_string(kMaxLayers) + " are allowed";
  if (!std::isfinite(k.position)) return std::string("Check the conductor: its lift-off or radius must be a finite number");
  if (LengthRefusal(k.position)) return std::string(kLengthRangeMessage);
  for (std::size_t i = 0; i < layers.size(); ++i)
    if (auto refusal = LayerRefusal(layers[i], i, layers.size())) return refusal;
  for (std::size_t i = 0; i < probe.coils.size(); ++i) {
    const Coil& c = probe.coils[i];
    switch (k.geometry) {
      case Geometry::Plate:
        if (k.position + c.z < 0) return CoilCheck(probe, i, "it reaches below the plate's surface (lift-off + z < 0)");
        break;
      case Geometry::Tube:
        if (c.x != 0) return CoilCheck(probe, i, "in a tube its axis is the tube's (x must be 0)");
        if (!(k.position >= c.R2)) return std::string("Check the geometry: the coil must fit inside the bore (radius >= R2)");
        break;
      case Geometry::Rod:
        if (c.x != 0) return CoilCheck(probe, i, "round a rod its axis is the rod's (x must be 0)");
        if (k.position < 0) return std::string("Check the geometry: the rod's radius must not be negative");
        if (const auto refusal = RodRadiusRefusal(k.position)) return std::string(*refusal);
        if (k.position > c.R1) return std::string("Check the geometry: the rod must fit inside the coil (radius <= R1)");
        break;
    }
    if (c.axis == CoilAxis::Parallel && (k.geometry != Geometry::Plate || probe.drive != probe.pickup))
      return CoilCheck(probe, i, "only a single coil over a plate can lie with its axis parallel to the surface");
  }
  if (k.geometry == Geometry::Rod) {
    double depth = 0;
    for (std::size_t i = 0; i + 1 < layers.size(); ++i) {
      depth += layers[i].thickness;
      if (!(depth < k.position) && k.position > 0)
        return "Check the rod: its shells down to " + LayerName(i, layers.size()) +
               " are as thick as its radius or thicker; they must nest round the core";
    }
  }
  return std::nullopt;
}

namespace {

// The coil a path names ("coil." the first, "coils.K." coil K from 0) and the member's name.
Coil* CoilOfPath(Problem& p, std::string_view path, std::string_view& member) {
  if (path.starts_with("coil.") && !p.probe.coils.empty()) {
    member = path.substr(5);
    return &p.probe.coils.front();
  }
  if (!path.starts_with("coils.")) return nullptr;
  const std::string_view rest = path.substr(6);
  std::size_t k = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), k);
  if (ec != std::errc() || end == rest.data() || k >= p.probe.coils.size() || end == rest.data() + rest.size() ||
      *end != '.')
    return nullptr;
  member = std::string_view(end + 1, static_cast<std::size_t>(rest.data() + rest.size() - end - 1));
  return &p.probe.coils[k];
}

}  // namespace

int* CoilTurns(Problem& p, std::string_view path) {
  std::string_view m;
  Coil* c = CoilOfPath(p, path, m);
  return c != nullptr && m == "N" ? &c->N : nullptr;
}

double* Parameter(Problem& p, std::string_view path) {
  if (path == "f") return &p.f;
  if (path == "lift_off") return p.conductor.geometry == Geometry::Plate ? &p.conductor.position : nullptr;
  if (path == "radius") return p.conductor.geometry != Geometry::Plate ? &p.conductor.position : nullptr;
  std::string_view member;
  if (Coil* coil = CoilOfPath(p, path, member)) {
    Coil& c = *coil;
    if (member == "R1") return &c.R1;
    if (member == "R2") return &c.R2;
    if (member == "L") return &c.L;
    if (member == "z") return &c.z;
    if (member == "x") return &c.x;
    return nullptr;
  }
  if (path.starts_with("layers.")) {
    const std::string_view rest = path.substr(7);
    std::size_t k = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), k);
    if (ec != std::errc() || end == rest.data() || k >= p.conductor.layers.size()) return nullptr;
    const std::string_view m(end, static_cast<std::size_t>(rest.data() + rest.size() - end));
    Layer& l = p.conductor.layers[k];
    if (m == ".thickness") return &l.thickness;
    if (m == ".sigma") return &l.sigma;
    if (m == ".mur") return &l.mur;
  }
  return nullptr;
}

std::optional<double> ParameterValue(const Problem& p, std::string_view path) {
  Problem copy = p;
  if (const int* n = CoilTurns(copy, path)) return *n;
  if (const double* v = Parameter(copy, path)) return *v;
  return std::nullopt;
}

std::string UnknownParameterMessage(std::string_view path) {
  return "The problem has no parameter '" + std::string(path) +
         "': use f, coil.R1, coil.R2, coil.L, coil.N, coil.z, coil.x, lift_off (a plate), radius (a tube or "
         "rod), layers.K.thickness, layers.K.sigma or layers.K.mur (K from 0 at the surface)";
}

namespace {

// The numbers that fix a probe, in the order that sorts problems so that those of one probe are
// neighbours: which coils are drive and pickup, then each coil's. Compared in place: a key per
// point on the heap cost a quarter of a fast batch's time, all of it on one thread.
auto CoilKey(const Coil& c) { return std::tie(c.N, c.R1, c.R2, c.L, c.z, c.x, c.axis); }

bool ProbeLess(const Probe& a, const Probe& b) {
  if (a.drive != b.drive || a.pickup != b.pickup) return std::tie(a.drive, a.pickup) < std::tie(b.drive, b.pickup);
  return std::lexicographical_compare(a.coils.begin(), a.coils.end(), b.coils.begin(), b.coils.end(),
                                      [](const Coil& x, const Coil& y) { return CoilKey(x) < CoilKey(y); });
}

bool SameProbe(const Probe& a, const Probe& b) { return !ProbeLess(a, b) && !ProbeLess(b, a); }

}  // namespace

std::vector<Refusal> EvaluateBatched(std::span<const Problem> problems, std::span<const char> accepted, double Acc,
                                     std::span<Impedance> out, int threads) {
  // Runs of one probe, each in the problems' order, cut into work items of at most kBatchRun. A
  // sweep of anything but the probe has one probe throughout, a sweep of lift-off (a coil's height)
  // comes in order: neither needs the sort.
  std::vector<std::size_t> keyed;
  keyed.reserve(problems.size());
  for (std::size_t i = 0; i < problems.size(); ++i)
    if (accepted[i]) keyed.push_back(i);
  auto probe = [&](std::size_t j) -> const Probe& { return problems[keyed[j]].probe; };
  bool one = true;
  for (std::size_t j = 1; j < keyed.size() && one; ++j) one = SameProbe(probe(j), probe(0));
  const auto less = [&](std::size_t a, std::size_t b) { return ProbeLess(problems[a].probe, problems[b].probe); };
  if (!one && !std::is_sorted(keyed.begin(), keyed.end(), less))
    std::stable_sort(keyed.begin(), keyed.end(), less);
  std::vector<std::pair<std::size_t, std::size_t>> items;  // [begin, end) in keyed
  for (std::size_t b = 0; b < keyed.size();) {
    std::size_t e = b + 1;
    while (e < keyed.size() && e - b < kBatchRun && (one || SameProbe(probe(e), probe(b)))) ++e;
    items.emplace_back(b, e);
    b = e;
  }
  return ShareItems(items.size(), threads, [&](const auto& take, std::vector<Refusal>& mine) {
    Workspace ws;
    std::vector<const Conductor*> conductors;
    std::vector<double> f;
    std::vector<Impedance> z;
    std::vector<int> raised;
    for (std::size_t item; take(item);) {
      const auto [b, e] = items[item];
      conductors.clear();
      f.clear();
      for (std::size_t j = b; j < e; ++j) {
        conductors.push_back(&problems[keyed[j]].conductor);
        f.push_back(problems[keyed[j]].f);
      }
      z.assign(e - b, Impedance{});
      raised.assign(e - b, 0);
      EvaluateBatch(problems[keyed[b]].probe, conductors, f, Acc, z, raised, ws);
      for (std::size_t j = b; j < e; ++j) {
        const std::size_t i = keyed[j];
        const FpFault fault = FaultOf(raised[j - b]);
        if (fault != FpFault::None)
          mine.push_back({i, std::string(FpFaultText(fault))});
        else
          out[i] = z[j - b];
      }
    }
  });
}

std::vector<Refusal> EvaluateProblems(std::span<const Problem> problems, double Acc, std::span<Impedance> out,
                                      int threads, Engine engine) {
  std::vector<Refusal> refused;
  if (!(Acc >= kMinAcc)) {
    for (std::size_t i = 0; i < problems.size(); ++i) refused.push_back({i, std::string(kAccuracyMessage)});
    return refused;
  }
  std::vector<char> accepted(problems.size(), 0);
  for (std::size_t i = 0; i < problems.size(); ++i) {
    if (auto message = ProblemRefusal(problems[i]))
      refused.push_back({i, std::move(*message)});
    else
      accepted[i] = 1;
  }
  if (engine == Engine::Batch) {
    const std::vector<Refusal> faults = EvaluateBatched(problems, accepted, Acc, out, threads);
    refused.insert(refused.end(), faults.begin(), faults.end());
    std::sort(refused.begin(), refused.end(), [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
    return refused;
  }
  // Points are claimed a block at a time: enough to make the claim's cost vanish, few enough that
  // the threads finish close together when points differ in cost.
  constexpr std::size_t kBlock = 16;
  const std::size_t blocks = (problems.size() + kBlock - 1) / kBlock;
  const std::vector<Refusal> faults = ShareItems(blocks, threads, [&](const auto& take, std::vector<Refusal>& mine) {
    Workspace ws;
    for (std::size_t block; take(block);) {
      const std::size_t begin = block * kBlock;
      for (std::size_t i = begin; i < std::min(problems.size(), begin + kBlock); ++i) {
        if (!accepted[i]) continue;
        Impedance z;
        const FpFault fault = RunGuarded([&] { z = Evaluate(problems[i].probe, problems[i].conductor, problems[i].f, Acc, ws); });
        if (fault != FpFault::None)
          mine.push_back({i, std::string(FpFaultText(fault))});
        else
          out[i] = z;
      }
    }
  });
  refused.insert(refused.end(), faults.begin(), faults.end());
  std::sort(refused.begin(), refused.end(), [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
  return refused;
}

}  // namespace veldo
