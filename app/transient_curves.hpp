// The time-domain view's command: the transients of a layered problem, one curve per value of its
// sweep (and of its family), from the times and the drive waveform as typed. Plain C++: the window
// reads its fields into TransientTexts, veldo-cli its --time text into the same times.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/curve_record.hpp"
#include "app/problem_sweep.hpp"
#include "app/sweep.hpp"
#include "app/transient.hpp"

namespace veldo {

// The times FROM to TO [ms], K per decade: the sweep of the values shown and the times in seconds.
struct TransientTimes {
  SweepRange ms;
  std::vector<double> t;
};
// The times, or the message: FROM above 0 and not above TO, K a whole number of at least 1, not
// more points than a sweep holds.
std::variant<TransientTimes, std::string> MakeTransientTimes(double from, double to, double perDecade);

// The drive waveforms the view offers, in its selector's order.
inline constexpr const char* kWaveformNames[] = {"Step-off", "Pulse", "Samples"};

// The view's inputs as typed: times in ms, a pulse width in ms, samples as "t:i" pairs (ms, A)
// apart by spaces or semicolons.
struct TransientTexts {
  std::string from = "0.001", to = "100", perDecade = "10";
  int waveform = 0;  // index into kWaveformNames
  std::string width = "1";
  std::string samples = "0:1 0.1:0";
};

struct TransientInputs {
  TransientTimes times;
  Waveform waveform;
  std::string waveformText;  // "step-off", "pulse 1 ms", "samples (4)"
};
// Reads the texts (numbers with `separator` or '.'), or gives the message naming the field. What
// the transform itself refuses (a width not above 0, samples out of order) is TransientRefusal's.
std::variant<TransientInputs, std::string> ReadTransientTexts(const TransientTexts& texts, const std::string& separator);

struct TransientCurves {
  std::vector<CurveRecord> records;  // one per value, points in the order of the times
  std::string message;               // why nothing was computed, or ""
  bool fault = false;                // the message is a floating-point fault's
  int pointsShort = 0;               // curves with a time short of Acc (its error estimate or a p-domain value)
};
// The transient of the reading at every value of the sweep and of its family: each term of the
// probe's connection (drive to pickup, with its sign) transformed and summed. Every problem and the
// times are checked before any work; `slotsFree` curves at most. The records take `head`'s case
// and inputs, the sweep at their value, a colour of their own (the first `head`'s) and a label
// naming the value (and the waveform, but for a step-off).
TransientCurves TransientSweep(const ProblemSweep& s, const TransientInputs& in, const CurveRecord& head,
                               const Units& units, int slotsFree);

}  // namespace veldo
