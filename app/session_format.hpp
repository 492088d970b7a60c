// Session files: the window's inputs, axes, view and every curve with its record and points, as a
// versioned JSON document. Reading checks the whole document before anything is handed out, so a
// window changes nothing when a file is wrong. No toolkit: the command-line front end writes
// sessions with it too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/axis_state.hpp"
#include "app/curve_record.hpp"
#include "app/instrument.hpp"
#include "app/layered_form.hpp"
#include "app/probe_form.hpp"
#include "app/units.hpp"

namespace veldo {

// The format this program writes and the newest it reads. Version 2 adds the layered geometries:
// cases 10 to 12, their tables, per curve its problem as data (app/problem_json's form), and the
// units their fields are typed in (left out when they are the default).
inline constexpr int kSessionVersion = 2;
inline constexpr const char* kSessionFormat = "veldo-session";
// The most curves a session may hold: the window's registry slots.
inline constexpr int kSessionMaxCurves = 101;

// What a layered group holds besides its edit fields: the layers as typed and the chosen paths.
struct LayeredTable {
  Geometry geometry = Geometry::Plate;
  std::vector<LayerTexts> layers;
  std::string sweepPath, familyPath;
};

struct Session {
  int testCase = 1;
  std::vector<std::pair<std::string, std::string>> fields;  // (edit field name, text)
  std::vector<std::string> selected;                        // sweep selectors that are on
  int view = 0;                                             // the chart view (ChartView)
  AxisState x, y;
  std::vector<CurveRecord> curves;
  std::vector<LayeredTable> tables;  // version 2: one per layered group
  Units units;                       // version 2: the layered groups' units
  // The probe editors (by geometry name) and the instrument display. Absent members: one coil
  // per geometry, the display off.
  std::vector<std::pair<std::string, ProbeTexts>> probes;
  std::optional<InstrumentSettings> instrument;
};

// The session as a JSON document (UTF-8).
std::string WriteSession(const Session& session);

struct SessionRead {
  std::optional<Session> session;
  std::string error;  // what is wrong, when session is empty: "it is not a JSON document", ...
};
// Reads a session document; on any fault nothing but the message.
SessionRead ReadSession(const std::string& bytes);

// Writes the document to `path` atomically (a temporary file beside it, renamed into place): an
// existing file stays as it was when writing fails. Returns false then.
bool SaveSessionFile(const Session& session, const std::string& path);

}  // namespace veldo

#include "app/output.hpp"

namespace veldo {

// A Compute output that passes every call on to another and keeps the command's curve as a
// record, for writing a session beside the other outputs (the command-line front end).
class SessionRecorder : public ComputeOutput {
public:
  // `fieldText` gives the command's field texts by name; `selector` is the selected sweep row.
  SessionRecorder(ComputeOutput& next, int testCase, std::function<std::string(const std::string&)> fieldText,
                  std::string selector);

  void ShowMessage(MessageKind kind, const std::string& text) override { next_.ShowMessage(kind, text); }
  void SetAirCoilLabels(const std::string& r, const std::string& i) override { next_.SetAirCoilLabels(r, i); }
  void SetProgressPosition(int p) override { next_.SetProgressPosition(p); }
  void SetProgressMaximum(int m) override { next_.SetProgressMaximum(m); }
  void StepProgress() override { next_.StepProgress(); }
  int CurveCount() const override { return next_.CurveCount(); }
  void BeginCurve(Rgb colour) override;
  void AddPoint(double x, double y) override;
  void CountCurve() override;
  void ReportAccuracy(int s, int t, bool a) override { next_.ReportAccuracy(s, t, a); }
  void SweepCancelled(int d, int t) override { next_.SweepCancelled(d, t); }
  void AirCoilValues(double X0, double L0) override;
  void PointComputed(const PointDetails& point) override;

  // The session of the window after this command: its case, its fields and selector, the curve.
  const Session& Result() const { return session_; }

private:
  ComputeOutput& next_;
  std::function<std::string(const std::string&)> fieldText_;
  Session session_;
  std::string param_;
  CurvePoint details_;
  double X0_ = 0, L0_ = 0;
};

}  // namespace veldo
