#include "app/probe_connection.hpp"

#include <algorithm>
#include <array>

#include "models/models.hpp"

namespace veldo {
namespace {

constexpr long double kTwoPi = 6.28318530717958647703L;

constexpr std::array<std::string_view, 4> kConnectionNames = {"absolute", "transmit-receive", "differential",
                                                               "differential transmit-receive"};
constexpr std::array<std::string_view, 3> kRoleNames = {"drive", "pickup", "both"};

bool Drives(CoilRole r) { return r != CoilRole::Pickup; }
bool Reads(CoilRole r) { return r != CoilRole::Drive; }

// The first coils after `from` (other than `skip`) that satisfy `want`, at most `n`.
template <class Want>
std::vector<std::size_t> Pick(const std::vector<CoilRole>& roles, std::size_t n, std::size_t skip, Want want) {
  std::vector<std::size_t> picked;
  for (std::size_t i = 0; i < roles.size() && picked.size() < n; ++i)
    if (i != skip && want(roles[i])) picked.push_back(i);
  return picked;
}

double SelfInductance(const Coil& c, double Acc, int& Ier) {
  // omega cancels: the reactance at 1 Hz over 2 pi is the inductance, as the air-coil label shows it.
  double X = 0;
  AirCoilReactance(c.N, c.R1, c.R2, c.L, 1.0, Acc, X, Ier);
  return static_cast<double>(X / kTwoPi);
}

}  // namespace

std::string_view ConnectionName(Connection c) { return kConnectionNames[static_cast<std::size_t>(c)]; }

std::optional<Connection> ConnectionNamed(std::string_view name) {
  for (std::size_t i = 0; i < kConnectionNames.size(); ++i)
    if (kConnectionNames[i] == name) return static_cast<Connection>(i);
  return std::nullopt;
}

std::string_view RoleName(CoilRole r) { return kRoleNames[static_cast<std::size_t>(r)]; }

std::optional<CoilRole> RoleNamed(std::string_view name) {
  for (std::size_t i = 0; i < kRoleNames.size(); ++i)
    if (kRoleNames[i] == name) return static_cast<CoilRole>(i);
  return std::nullopt;
}

WiringTerms TermsOf(const ProbeWiring& w, const Probe& probe) {
  WiringTerms t;
  if (w.roles.empty()) {
    t.terms.push_back({probe.drive, probe.pickup, 1});
    return t;
  }
  if (w.roles.size() != probe.coils.size()) {
    t.refusal = "Check the probe: it has " + std::to_string(probe.coils.size()) + " coils and " +
                std::to_string(w.roles.size()) + " roles";
    return t;
  }
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const auto both = [](CoilRole r) { return r == CoilRole::Both; };
  switch (w.connection) {
    case Connection::Absolute: {
      const auto c = Pick(w.roles, 1, kNone, both);
      if (c.empty()) t.refusal = "Check the probe: an absolute probe needs a coil that is both drive and pickup";
      else t.terms.push_back({c[0], c[0], 1});
      break;
    }
    case Connection::TransmitReceive: {
      const auto d = Pick(w.roles, 1, kNone, Drives);
      const auto p = d.empty() ? d : Pick(w.roles, 1, d[0], Reads);
      if (d.empty() || p.empty()) t.refusal = "Check the probe: a transmit-receive probe needs a drive coil and another pickup coil";
      else t.terms.push_back({d[0], p[0], 1});
      break;
    }
    case Connection::Differential: {
      const auto c = Pick(w.roles, 2, kNone, both);
      if (c.size() < 2) t.refusal = "Check the probe: a differential probe needs two coils that are both drive and pickup";
      else t.terms = {{c[0], c[0], 1}, {c[1], c[1], -1}};
      break;
    }
    case Connection::DifferentialTransmitReceive: {
      const auto d = Pick(w.roles, 1, kNone, Drives);
      const auto p = d.empty() ? d : Pick(w.roles, 2, d[0], Reads);
      if (p.size() < 2)
        t.refusal = "Check the probe: a differential transmit-receive probe needs a drive coil and two other pickup coils";
      else t.terms = {{d[0], p[0], 1}, {d[0], p[1], -1}};
      break;
    }
  }
  return t;
}

AirReading ReadingInAir(const Probe& probe, std::span<const ProbeTerm> terms, double f, double Acc) {
  AirReading a;
  if (terms.empty()) return a;
  const Coil& drive = probe.coils[terms.front().drive];
  AirCoilReactance(drive.N, drive.R1, drive.R2, drive.L, f, Acc, a.X0, a.Ier);
  a.L0 = static_cast<double>(a.X0 / (kTwoPi * f));
  if (terms.size() == 1 && terms.front().drive == terms.front().pickup) {
    a.Xair = a.X0;
    return a;
  }
  long double L = 0;
  for (const ProbeTerm& t : terms) {
    int ier = 0;
    const Coil& d = probe.coils[t.drive];
    const double M = t.drive == t.pickup ? SelfInductance(d, Acc, ier) : MutualInductance(d, probe.coils[t.pickup], Acc, ier);
    a.Ier = std::max(a.Ier, ier);
    L += t.sign * static_cast<long double>(M);
  }
  a.Xair = static_cast<double>(kTwoPi * f * L);
  return a;
}

std::vector<Refusal> EvaluateReadings(std::span<const Problem> problems, std::span<const ProbeTerm> terms, double Acc,
                                      std::span<Impedance> out, int threads, Engine engine) {
  if (terms.size() == 1 && problems.size() > 0 && problems.front().probe.drive == terms.front().drive &&
      problems.front().probe.pickup == terms.front().pickup && terms.front().sign == 1) {
    bool same = true;
    for (const Problem& p : problems) same = same && p.probe.drive == terms[0].drive && p.probe.pickup == terms[0].pickup;
    if (same) return EvaluateProblems(problems, Acc, out, threads, engine);
  }
  std::vector<Impedance> sum(problems.size());
  std::vector<Refusal> refused;
  std::vector<Problem> term(problems.begin(), problems.end());
  std::vector<Impedance> z(problems.size());
  for (const ProbeTerm& t : terms) {
    for (Problem& p : term) p.probe.drive = t.drive, p.probe.pickup = t.pickup;
    const std::vector<Refusal> r = EvaluateProblems(term, Acc, z, threads, engine);
    refused.insert(refused.end(), r.begin(), r.end());
    for (std::size_t i = 0; i < z.size(); ++i) {
      sum[i].dR += t.sign * z[i].dR;
      sum[i].dX += t.sign * z[i].dX;
      sum[i].Ier |= z[i].Ier;
    }
  }
  std::stable_sort(refused.begin(), refused.end(), [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
  refused.erase(std::unique(refused.begin(), refused.end(), [](const Refusal& a, const Refusal& b) { return a.index == b.index; }),
                refused.end());
  std::size_t k = 0;
  for (std::size_t i = 0; i < sum.size(); ++i) {
    while (k < refused.size() && refused[k].index < i) ++k;
    if (k < refused.size() && refused[k].index == i) continue;
    out[i] = sum[i];
  }
  return refused;
}

}  // namespace veldo
