#include "app/probe_form.hpp"

#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

#include "app/case_table.hpp"

namespace veldo {
namespace {

constexpr std::array<const char*, 6> kMembers = {"N", "R1", "R2", "L", "z", "x"};

std::array<const std::string*, 6> Fields(const CoilTexts& c) { return {&c.N, &c.R1, &c.R2, &c.L, &c.z, &c.x}; }
std::array<std::string*, 6> Fields(CoilTexts& c) { return {&c.N, &c.R1, &c.R2, &c.L, &c.z, &c.x}; }

}  // namespace

bool IsSingleCoil(const ProbeTexts& t) {
  if (t.coils.empty()) return true;
  const CoilTexts& c = t.coils.front();
  auto zero = [](const std::string& s) { return s == "0" || s == "0.0" || s.empty(); };
  return t.coils.size() == 1 && t.connection == Connection::Absolute && c.role == CoilRole::Both && zero(c.z) && zero(c.x);
}

bool ReadProbeTexts(const ProbeTexts& t, Probe& probe, ProbeWiring& wiring, double length,
                    const std::function<std::optional<double>(const std::string&)>& number) {
  if (IsSingleCoil(t)) return true;
  wiring.connection = t.connection;
  for (std::size_t i = 0; i < t.coils.size(); ++i) {
    const CoilTexts& c = t.coils[i];
    if (i > 0) probe.coils.push_back(Coil{});
    Coil& coil = probe.coils[i];
    double v[6] = {};
    for (std::size_t k = i == 0 ? 4 : 0; k < 6; ++k) {
      const auto x = number(*Fields(c)[k]);
      if (!x) return false;
      v[k] = *x;
    }
    if (i > 0) {
      coil.N = v[0] == std::trunc(v[0]) && v[0] >= 1 && v[0] <= 2147483647.0 ? static_cast<int>(v[0]) : 0;
      coil.R1 = v[1] * length, coil.R2 = v[2] * length, coil.L = v[3] * length;
    }
    coil.z = v[4] * length, coil.x = v[5] * length;
    wiring.roles.push_back(c.role);
  }
  return true;
}

std::string CoilPath(std::size_t coil, int column) {
  return "coils." + std::to_string(coil) + "." + kMembers[static_cast<std::size_t>(column)];
}

std::string ProbesToJson(const std::vector<std::pair<std::string, ProbeTexts>>& probes) {
  nlohmann::json j = nlohmann::json::object();
  for (const auto& [geometry, t] : probes) {
    nlohmann::json coils = nlohmann::json::array();
    for (const CoilTexts& c : t.coils) {
      nlohmann::json o = {{"role", RoleName(c.role)}};
      for (std::size_t k = 0; k < 6; ++k) o[kMembers[k]] = *Fields(c)[k];
      coils.push_back(o);
    }
    j[geometry] = {{"connection", ConnectionName(t.connection)}, {"coils", coils}};
  }
  return j.dump();
}

std::optional<std::vector<std::pair<std::string, ProbeTexts>>> ProbesFromJson(const std::string& text, std::string& error) {
  const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (!j.is_object()) return error = "probes: an object is required", std::nullopt;
  std::vector<std::pair<std::string, ProbeTexts>> probes;
  for (const auto& [geometry, o] : j.items()) {
    const std::string at = "probes." + geometry;
    ProbeTexts t;
    const auto connection = o.is_object() && o.contains("connection") && o["connection"].is_string()
                                ? ConnectionNamed(o["connection"].get<std::string>()) : std::nullopt;
    if (!connection) return error = at + ".connection: a connection's name is required", std::nullopt;
    t.connection = *connection;
    if (!o.contains("coils") || !o["coils"].is_array()) return error = at + ".coils: a list is required", std::nullopt;
    for (const nlohmann::json& c : o["coils"]) {
      CoilTexts coil;
      const auto role = c.is_object() && c.contains("role") && c["role"].is_string() ? RoleNamed(c["role"].get<std::string>()) : std::nullopt;
      if (!role) return error = at + ".coils: every coil needs a role (drive, pickup or both)", std::nullopt;
      coil.role = *role;
      for (std::size_t k = 0; k < 6; ++k) {
        if (!c.contains(kMembers[k]) || !c[kMembers[k]].is_string())
          return error = at + ".coils: every coil needs its " + kMembers[k] + " as a text", std::nullopt;
        *Fields(coil)[k] = c[kMembers[k]].get<std::string>();
      }
      t.coils.push_back(coil);
    }
    probes.emplace_back(geometry, std::move(t));
  }
  return probes;
}

}  // namespace veldo
