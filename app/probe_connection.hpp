// How an instrument reads a probe of several coils: each coil's role (it is driven, it is read,
// or both) and the connection (absolute, transmit-receive, differential, differential
// transmit-receive) give the transfer impedances whose signed sum is the reading; the reading in
// air (self- and mutual inductances) and its normalisation by the drive's reactance in air.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/problem.hpp"

namespace veldo {

enum class Connection { Absolute, TransmitReceive, Differential, DifferentialTransmitReceive };
enum class CoilRole { Drive, Pickup, Both };

// "absolute", "transmit-receive", "differential", "differential transmit-receive" (the names the
// Python package uses), and back.
std::string_view ConnectionName(Connection c);
std::optional<Connection> ConnectionNamed(std::string_view name);
// "drive", "pickup", "both", and back.
std::string_view RoleName(CoilRole r);
std::optional<CoilRole> RoleNamed(std::string_view name);

// A connection and the role of every coil. No roles: the probe's own drive and pickup, one term.
struct ProbeWiring {
  Connection connection = Connection::Absolute;
  std::vector<CoilRole> roles;
};

// One transfer impedance of the reading: the voltage of coil `pickup` per ampere in coil `drive`,
// added with `sign`.
struct ProbeTerm {
  std::size_t drive = 0, pickup = 0;
  int sign = 1;
  friend bool operator==(const ProbeTerm&, const ProbeTerm&) = default;
};

// The terms of a wiring for a probe of `coils` coils, picked by role in coil order:
//   absolute: the first coil that is both drive and pickup;
//   transmit-receive: the first drive (or both) to the first other pickup (or both);
//   differential: the first two coils that are both, in opposition: Z11 - Z22;
//   differential transmit-receive: the first drive to the first two other pickups: Z21 - Z31.
// Coils the connection does not use carry no current and do not change the reading. With the
// message the front ends show when the roles do not give the connection its coils.
struct WiringTerms {
  std::vector<ProbeTerm> terms;
  std::optional<std::string> refusal;
};
WiringTerms TermsOf(const ProbeWiring& wiring, const Probe& probe);

// The probe in air at frequency f: the drive's reactance X0 = omega L0 (the normalisation of the
// points) and the reading's reactance Xair (omega times the signed sum of the terms' self- and
// mutual inductances; X0 itself for an absolute reading). Ier: the largest status of the air
// integrals.
struct AirReading {
  double X0 = 0, L0 = 0, Xair = 0;
  int Ier = 0;
};
AirReading ReadingInAir(const Probe& probe, std::span<const ProbeTerm> terms, double f, double Acc);

// The reading of every problem: the signed sum of its terms' transfer impedances, Ier the union
// of theirs. A refused problem, or one whose evaluation faulted, keeps what its slot held and is
// returned once with its first message, in increasing index order.
std::vector<Refusal> EvaluateReadings(std::span<const Problem> problems, std::span<const ProbeTerm> terms, double Acc,
                                      std::span<Impedance> out, int threads = 1, Engine engine = Engine::Adaptive);

}  // namespace veldo
