// The JSON form of a problem and its sweep: what veldo-cli reads with --problem and what a session
// keeps of a layered geometry. SI units; an unbounded layer's thickness is the string "inf".
//
//   {"probe": {"coils": [{"N": 200, "R1": 0.002, "R2": 0.004, "L": 0.001, "z": 0, "x": 0,
//                         "axis": "normal"}]},
//    "conductor": {"geometry": "plate", "position": 0.0001,
//                  "layers": [{"thickness": 0.0001, "sigma": 1e7, "mur": 1},
//                             {"thickness": "inf", "sigma": 3.54e7, "mur": 1}]},
//    "f": 10000, "acc": 0.0001,
//    "sweep": {"path": "lift_off", "from": 0.0001, "to": 0.001, "step": 0.0001, "per_decade": false},
//    "family": {"path": "layers.0.sigma", "values": [1e7, 2e7]}}
//
// A probe of several coils may give each coil a "role" ("drive", "pickup", "both") and the probe
// a "connection" (app/probe_connection.hpp's names), or the numbers of its "drive" and "pickup"
// coils (from 0; both 0 when left out).
// "sweep" and "family" may be left out (one point at the fixed values; no family); "z", "x",
// "axis" and "mur" default to 0, 0, "normal" and 1. With "per_decade" true, "step" is the number
// of points per decade.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/problem_sweep.hpp"

namespace veldo {

// The problem and its sweep as JSON text (numbers to 17 significant digits: they read back to the
// bit). The sweep's unit and colour are not part of it.
std::string ProblemToJson(const ProblemSweep& sweep);

// The problem and its sweep from JSON text; nothing, with `error` saying which member is wrong and
// how, when the text is not such a problem. The values are not checked against the physics here
// (ProblemRefusal and the sweep do that when it runs).
std::optional<ProblemSweep> ProblemFromJson(std::string_view text, std::string& error);

}  // namespace veldo
