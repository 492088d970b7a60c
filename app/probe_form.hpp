// The probe of a layered geometry as the probe editor holds it: the coils as typed (N, R1, R2, L,
// z, x in the chosen length unit, and a role) and the connection, read into the problem's probe
// and wiring; their JSON form for sessions. Plain C++: the editor (Qt) hands a snapshot to the form reader.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/probe_connection.hpp"

namespace veldo {

struct CoilTexts {
  std::string N = "200", R1 = "2.0", R2 = "4.0", L = "1.0", z = "0", x = "0";
  CoilRole role = CoilRole::Pickup;
};

// Coil 1's N, R1, R2 and L are the coil group's fields (the editor shows them); its z, x and role
// and every other coil are the editor's. No coils: the one coil of the coil group, absolute.
struct ProbeTexts {
  std::vector<CoilTexts> coils;
  Connection connection = Connection::Absolute;
};

// Whether the probe is the coil group's coil alone, at the reference, read absolute: the problem
// is then the one the window made before it had a probe editor.
bool IsSingleCoil(const ProbeTexts& t);

// Completes `probe` (its first coil read from the coil group) and `wiring` from the texts, whose
// lengths are in `length` metres per unit. A text that is no number ends it: `number` shows its
// message and gives nothing; false is returned.
bool ReadProbeTexts(const ProbeTexts& t, Probe& probe, ProbeWiring& wiring, double length,
                    const std::function<std::optional<double>(const std::string&)>& number);

// The sweep path of a coil's field ("coils.1.R2"; N, R1, R2, L, z, x by column 0 to 5).
std::string CoilPath(std::size_t coil, int column);

// The editors' probes by geometry name ("plate", ...) as a JSON object's text, and back.
std::string ProbesToJson(const std::vector<std::pair<std::string, ProbeTexts>>& probes);
std::optional<std::vector<std::pair<std::string, ProbeTexts>>> ProbesFromJson(const std::string& text, std::string& error);

}  // namespace veldo
