#include "cli/cli.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch.hpp"
#include "app/field_texts.hpp"
#include "app/parse.hpp"
#include "app/problem_json.hpp"
#include "app/problem_sweep.hpp"
#include "app/transient_curves.hpp"
#include "app/units.hpp"
#include "cli/cli_output.hpp"
#include "app/session_format.hpp"
#ifdef VELDO_CLI_HAVE_CHART
#include "ui/chart_render.hpp"
#endif

namespace veldo {
namespace {

const CaseDef* CaseByText(const std::string& text) {
  for (const CaseDef& c : kCases) {
    if (c.model == ModelKind::None) continue;
    if (text == c.cliName || text == std::to_string(c.testCase)) return &c;
  }
  return nullptr;
}

// The options of the case parameters, from the case table in the order of Param: "--lo" for LO,
// its help the parameter's caption and, unless every case has it, the cases that do.
struct ParamOption {
  Param id;
  std::string name, option, help;
};
std::vector<ParamOption> ParamOptions() {
  std::vector<ParamOption> options;
  for (Param id : {Param::LO, Param::D1, Param::B1, Param::B2, Param::CON1, Param::CON2, Param::MR1, Param::MR2}) {
    ParamOption o{id, {}, {}, {}};
    std::string cases;
    bool everyCase = true;
    for (const CaseDef& c : kCases) {
      if (c.model == ModelKind::None) continue;
      const int i = ParamIndex(c, id);
      if (i < 0) {
        everyCase = false;
        continue;
      }
      const ParamDef& p = c.params[static_cast<std::size_t>(i)];
      o.name = p.name;
      o.help = p.caption;
      cases += (cases.empty() ? "" : ", ") + std::string(c.cliName);
    }
    o.option = "--";
    for (char ch : o.name) o.option += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (!everyCase) o.help += " (" + cases + ")";
    options.push_back(std::move(o));
  }
  return options;
}

constexpr const char* kFooter =
    R"(CASE is planar1 (1), planar2 (2), bore1 (3), bore2 (4), rod1 (5), rod2 (6) or
vertical (9). Option values are read like the window's fields, in the window's units; an
unset field keeps its window default. A case parameter or the frequency given as
FROM:TO:STEP is the swept one (at most one); a single value sets its From field. A STEP
written as K/dec sweeps logarithmically, K points per decade from FROM (above 0) up to TO
(--f 1:10000:10/dec: 41 frequencies from 1 kHz to 10 MHz, the last one exactly 10 MHz).
Without a sweep the case's first parameter is swept over its default range. A frequency
sweep normalises each point by the coil's reactance in air at its own frequency,
2*pi*f*L0; X0 below is the one at FROM.

Output on standard output:
  # X0=<reactance of the coil in air, ohm>
  # L0=<inductance of the coil in air, henry>
  param,value,dR,dX,x,y,ier
  one row per point: the swept parameter, its value in the window's unit, the impedance
  change dR and dX [ohm], the normalised point x = dR/X0 and y = (dX + X0)/X0, and the
  model's status ier (0: the requested accuracy was reached). Numbers have 17 significant
  digits.
Messages go to standard error. Exit status: 0 success; 2 the input was rejected; 3 an
arithmetic fault ended the computation (the rows before it are printed).)";

// The command's output with the engine that made the numbers named first, "# engine=batch", when
// it is the batch engine (the adaptive engine's output has no such line).
class EngineOutput : public CliOutput {
public:
  EngineOutput(std::FILE* data, std::FILE* messages, Engine engine) : CliOutput(data, messages), data_(data), engine_(engine) {}
  void AirCoilValues(double X0, double L0) override {
    if (engine_ == Engine::Batch && !named_) std::fprintf(data_, "# engine=%s\n", std::string(EngineName(engine_)).c_str());
    named_ = true;
    CliOutput::AirCoilValues(X0, L0);
  }

private:
  std::FILE* data_;
  Engine engine_;
  bool named_ = false;
};

int Reject(std::FILE* messages, const std::string& text) {
  std::fprintf(messages, "%s\n", text.c_str());
  return kExitRejected;
}

// The units of the layered form's lengths and conductivities, as SI factors: the window's (mm,
// MS/m) unless --length-unit or --conductivity-unit say otherwise.
struct UnitFactors {
  double length = kFactorMm;
  double sigma = kFactorMSm;
};

// The unit a parameter is typed in on the command line, as its SI factor.
double UnitOf(std::string_view path, const UnitFactors& units = {}) {
  if (path == "f") return kFactorKHz;
  if (path.ends_with(".sigma")) return units.sigma;
  if (path.ends_with(".mur") || path == "coil.N") return kFactorNone;
  return units.length;
}

// A number of a layered problem's option, in the window's units; "inf" (any case) is unbounded.
std::optional<double> Number(std::string_view text, bool unboundedAllowed) {
  std::string t(text);
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (unboundedAllowed && (t == "inf" || t == "+inf")) return std::numeric_limits<double>::infinity();
  return ParseStrictReal(text, ".");
}

// The options of a layered problem, as typed.
struct ProblemOptions {
  bool plate = false;
  std::string tube, rod;             // radius [mm]
  std::vector<std::string> layers;   // THICKNESS:SIGMA:MUR
  std::string sweep, family;         // PATH=FROM:TO:STEP, PATH=V1,V2,...
  bool parallel = false;
  std::string file;                  // --problem FILE (JSON)
  std::string pickup;                // N:R1:R2:L:Z:X of a pickup coil
  std::string time, pulse;           // FROM:TO:K/dec [ms], WIDTH [ms]
  std::string lengthUnit, sigmaUnit;  // as typed
  UnitFactors units;
  bool Given() const { return plate || !tube.empty() || !rod.empty() || !layers.empty(); }
};

// The sweep of a problem file and its rows.
int RunProblemFile(const std::string& file, int threads, Engine engine, std::FILE* data, std::FILE* messages) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return Reject(messages, "Cannot open file " + file);
  std::string text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  std::fclose(in);
  std::string error;
  std::optional<ProblemSweep> s = ProblemFromJson(text, error);
  if (!s) return Reject(messages, "The file " + file + " is not a problem: " + error);
  s->unit = UnitOf(s->path);
  s->engine = engine;
  EngineOutput out(data, messages, engine);
  const ComputeStatus status = RunProblemSweep(*s, out, threads);
  std::fflush(data);
  return status == ComputeStatus::Rejected ? kExitRejected : status == ComputeStatus::Fault ? kExitFault : kExitOk;
}

// The transient of the problem at FROM:TO:K/dec milliseconds: rows t [ms], v [V/A].
int RunTransient(const Problem& p, double acc, const std::string& time, const std::string& pulse, std::FILE* data,
                 std::FILE* messages) {
  const auto parts = SplitSweepText(time);
  std::optional<double> from, to, perDecade;
  if (parts && (*parts)[2].ends_with("/dec")) {
    from = Number((*parts)[0], false), to = Number((*parts)[1], false);
    perDecade = Number(std::string_view((*parts)[2]).substr(0, (*parts)[2].size() - 4), false);
  }
  if (!from || !to || !perDecade) return Reject(messages, "'" + time + "' is not FROM:TO:K/dec (milliseconds)");
  auto times = MakeTransientTimes(*from, *to, *perDecade);
  if (const auto* message = std::get_if<std::string>(&times)) return Reject(messages, *message);
  const SweepRange sweep = std::get<TransientTimes>(times).ms;  // in ms, as printed
  const std::vector<double>& t = std::get<TransientTimes>(times).t;
  Waveform w;
  if (!pulse.empty()) {
    const auto width = Number(pulse, false);
    w = {Waveform::Pulse, width ? *width * 1e-3 : std::numeric_limits<double>::quiet_NaN(), {}, {}};
  }
  if (auto refusal = TransientRefusal(p, t, w, acc)) return Reject(messages, *refusal);
  const TransientResult r = Transient(p, t, w, acc);
  std::fprintf(data, "t,v\n");
  for (std::size_t i = 0; i < t.size(); ++i) std::fprintf(data, "%.17g,%.17g\n", sweep.Value(static_cast<int>(i)), r.v[i]);
  if (r.Ier != 0) std::fprintf(messages, "some frequency-domain values did not reach the requested accuracy\n");
  std::size_t shortTimes = 0;
  for (std::size_t i = 0; i < t.size(); ++i) shortTimes += !(r.error[i] <= acc * std::abs(r.v[i]));
  if (shortTimes > 0)
    std::fprintf(messages, "%zu of %zu times did not reach the requested accuracy (the response there is below the "
                 "inversion's error)\n", shortTimes, t.size());
  std::fflush(data);
  return kExitOk;
}

// veldo-cli's layered-problem form: the coil, frequency and accuracy from the common options, the
// conductor from --plate/--tube/--rod and --layer, one parameter swept by its path.
int RunProblem(const ProblemOptions& o, const std::map<std::string, std::string>& common,
               const std::map<Param, std::string>& params, int threads, Engine engine, std::FILE* data,
               std::FILE* messages) {
  if (static_cast<int>(o.plate) + !o.tube.empty() + !o.rod.empty() != 1)
    return Reject(messages, "Give one of --plate, --tube RADIUS or --rod RADIUS");
  if (o.layers.empty()) return Reject(messages, "Give the conductor's layers with --layer THICKNESS:SIGMA:MUR");
  for (const auto& [id, text] : params)
    if (id != Param::F && id != Param::LO)
      return Reject(messages, "A layered conductor takes its layers from --layer, not from the case options");
  auto field = [&](const std::string& name, const char* fallback) {
    const auto it = common.find(name);
    return it == common.end() ? std::string(fallback) : it->second;
  };
  ProblemSweep s;
  Problem& p = s.problem;
  Coil coil;
  const auto N = ParseLenientInt(field("EditN", "200"));
  const auto R1 = ParseLenientReal(field("Editr1", "2.0")), R2 = ParseLenientReal(field("Editr2", "4.0"));
  const auto L = ParseLenientReal(field("Editl", "1.0")), acc = ParseLenientReal(field("Editacc", "0.01"));
  if (!N || !R1 || !R2 || !L || !acc) return Reject(messages, "The coil options --n, --r1, --r2, --l and --acc take numbers");
  coil.N = *N;
  const UnitFactors& u = o.units;
  coil.R1 = *R1 * u.length, coil.R2 = *R2 * u.length, coil.L = *L * u.length;
  coil.axis = o.parallel ? CoilAxis::Parallel : CoilAxis::Normal;
  p.probe.coils.push_back(coil);
  if (!o.pickup.empty()) {  // N:R1:R2:L:Z:X, lengths in mm
    std::vector<double> v;
    std::string_view rest = o.pickup;
    while (true) {
      const std::size_t colon = rest.find(':');
      const auto x = Number(rest.substr(0, colon), false);
      if (!x) break;
      v.push_back(*x);
      if (colon == std::string_view::npos) break;
      rest = rest.substr(colon + 1);
    }
    if (v.size() != 6 || v[0] != std::trunc(v[0]) || !(v[0] >= 1 && v[0] <= 2147483647.0))
      return Reject(messages, "'" + o.pickup + "' is not N:R1:R2:L:Z:X (turns, then mm)");
    p.probe.coils.push_back(Coil{static_cast<int>(v[0]), v[1] * u.length, v[2] * u.length, v[3] * u.length,
                                 v[4] * u.length, v[5] * u.length});
    p.probe.pickup = 1;
  }
  s.Acc = *acc / 100;
  const auto fIt = params.find(Param::F), loIt = params.find(Param::LO);
  const auto f = Number(fIt == params.end() ? "100.0" : fIt->second, false);
  if (!f) return Reject(messages, "--f takes one frequency [kHz] here; sweep it with --sweep f=FROM:TO:STEP");
  p.f = *f * kFactorKHz;
  p.conductor.geometry = o.plate ? Geometry::Plate : !o.tube.empty() ? Geometry::Tube : Geometry::Rod;
  const auto position = Number(o.plate ? (loIt == params.end() ? "0.1" : loIt->second) : !o.tube.empty() ? o.tube : o.rod, false);
  if (!position) return Reject(messages, "The lift-off (--lo) or the radius of --tube or --rod must be a number [mm]");
  p.conductor.position = *position * u.length;
  for (std::size_t i = 0; i < o.layers.size(); ++i) {
    const auto parts = SplitSweepText(o.layers[i]);
    std::optional<double> d, sigma, mur;
    if (parts) d = Number((*parts)[0], true), sigma = Number((*parts)[1], false), mur = Number((*parts)[2], false);
    if (!d || !sigma || !mur)
      return Reject(messages, "'" + o.layers[i] + "' is not THICKNESS:SIGMA:MUR (mm, MS/m, relative; thickness inf for unbounded)");
    p.conductor.layers.push_back({*d * u.length, *sigma * u.sigma, *mur});
  }
  if (!o.time.empty()) return RunTransient(s.problem, *acc / 100, o.time, o.pulse, data, messages);
  // The swept parameter: by default none (one point at the fixed values).
  std::string path = "f";
  std::array<std::string, 3> range{std::to_string(*f), std::to_string(*f), "0"};
  if (!o.sweep.empty()) {
    const std::size_t eq = o.sweep.find('=');
    const auto parts = eq == std::string::npos ? std::nullopt : SplitSweepText(std::string_view(o.sweep).substr(eq + 1));
    if (!parts) return Reject(messages, "'" + o.sweep + "' is not PATH=FROM:TO:STEP");
    path = o.sweep.substr(0, eq);
    range = *parts;
  } else {
    range = {fIt == params.end() ? "100.0" : fIt->second, fIt == params.end() ? "100.0" : fIt->second, "0"};
  }
  if (!ParameterValue(p, path)) return Reject(messages, UnknownParameterMessage(path));
  s.path = path;
  s.unit = UnitOf(path, u);
  const auto from = Number(range[0], false), to = Number(range[1], false);
  std::string stepText = range[2];
  const bool logarithmic = stepText.size() > 4 && stepText.ends_with("/dec");
  const auto step = Number(logarithmic ? std::string_view(stepText).substr(0, stepText.size() - 4) : std::string_view(stepText), false);
  if (!from || !to || !step) return Reject(messages, "'" + o.sweep + "' is not PATH=FROM:TO:STEP");
  if (CheckRange(*from, *to, *step) == 1) return Reject(messages, kCheckRangeMessage);
  if (logarithmic && !(*from > 0)) return Reject(messages, std::string(kLogFromMessage));
  if (logarithmic && (!(*step >= 1) || *step != std::floor(*step))) return Reject(messages, std::string(kLogStepMessage));
  const auto sweep = logarithmic ? MakeLogSweep(*from * s.unit, *to * s.unit, *step)
                                 : MakeSweep(*from * s.unit, *to * s.unit, *step * s.unit);
  if (!sweep) return Reject(messages, std::string(kTooManyPointsMessage));
  s.range = *sweep;
  if (!o.family.empty()) {
    const std::size_t eq = o.family.find('=');
    if (eq == std::string::npos) return Reject(messages, "'" + o.family + "' is not PATH=V1,V2,...");
    s.family = o.family.substr(0, eq);
    if (!ParameterValue(p, s.family) || s.family == s.path) return Reject(messages, UnknownParameterMessage(s.family));
    std::string_view rest = std::string_view(o.family).substr(eq + 1);
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const auto v = Number(rest.substr(0, comma), false);
      if (!v) return Reject(messages, "'" + o.family + "' is not PATH=V1,V2,...");
      s.familyValues.push_back(*v * UnitOf(s.family, u));
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
  }
  s.engine = engine;
  EngineOutput out(data, messages, engine);
  const ComputeStatus status = RunProblemSweep(s, out, threads);
  std::fflush(data);
  switch (status) {
    case ComputeStatus::Rejected: return kExitRejected;
    case ComputeStatus::Fault: return kExitFault;
    default: return kExitOk;
  }
}

}  // namespace

bool WantsChart(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--chart" || a.starts_with("--chart=")) return true;
  }
  return false;
}

int RunCli(int argc, const char* const* argv, std::FILE* data, std::FILE* messages,
           const ModelTable& models) {
  CLI::App app{
      "VELDO eddy-current testing: the impedance change of a coil for one geometry case, "
      "one parameter swept.",
      "veldo-cli"};
  app.footer(kFooter);
  app.get_formatter()->column_width(24);

  std::string caseText;
  app.add_option("CASE", caseText, "Geometry case: a name or its number (not with a layered conductor)");

  std::map<std::string, std::string> common;  // field name -> text
  auto commonOption = [&](const char* option, std::string_view field, std::string help) {
    return app
        .add_option_function<std::string>(
            option, [&common, field](const std::string& v) { common[std::string(field)] = v; },
            help)
        ->type_name("TEXT");
  };
  commonOption("--r1", "Editr1", "Inner radius R1 [mm] (default 2.0)");
  commonOption("--r2", "Editr2", "Outer radius R2 [mm] (default 4.0)");
  commonOption("--l", "Editl", "Height L [mm] (default 1.0)");
  commonOption("--n", "EditN", "Wire turns N (default 200)");
  commonOption("--acc", "Editacc", "Computation accuracy [%] (default 0.01)");
  std::map<Param, std::string> params;
  app.add_option_function<std::string>(
         "--f", [&params](const std::string& v) { params[Param::F] = v; },
         "Frequency f [kHz] (default: the case's); FROM:TO:STEP or FROM:TO:K/dec sweeps it")
      ->type_name("VALUE|FROM:TO:STEP");
  const std::vector<ParamOption> paramOptions = ParamOptions();
  for (const ParamOption& p : paramOptions)
    app.add_option_function<std::string>(
           p.option, [&params, id = p.id](const std::string& v) { params[id] = v; }, p.help)
        ->type_name("VALUE|FROM:TO:STEP");

  // A layered conductor instead of a case.
  ProblemOptions problem;
  app.add_flag("--plate", problem.plate, "A layered plate under the coil at the lift-off --lo [mm] (default 0.1)");
  app.add_option("--tube", problem.tube, "The coil inside a tube (bore) of RADIUS [mm], layers outward")
      ->type_name("RADIUS");
  app.add_option("--rod", problem.rod, "The coil round a rod of RADIUS [mm], layers inward")->type_name("RADIUS");
  app.add_option("--layer", problem.layers,
                 "A layer from the coil's side, repeated: thickness [mm] (inf: unbounded; the last one is "
                 "unbounded anyway), conductivity [MS/m], relative permeability")
      ->type_name("THICKNESS:SIGMA:MUR");
  app.add_option("--problem", problem.file,
                 "Read the problem and its sweep from a JSON FILE (SI units; the form sessions keep, "
                 "see the README)")
      ->type_name("FILE");
  app.add_option("--pickup", problem.pickup,
                 "A pickup coil: the rows are then its transfer impedance to the drive (the coil of --n, --r1, "
                 "--r2, --l); Z and X its lower face's height and its axis' lateral offset [mm]")
      ->type_name("N:R1:R2:L:Z:X");
  app.add_option("--time", problem.time,
                 "The transient instead of a sweep: the pickup's (or the coil's) voltage per ampere after the drive "
                 "is switched off, at times [ms] from FROM to TO, K per decade; rows t [ms], v [V/A]")
      ->type_name("FROM:TO:K/dec");
  app.add_option("--pulse", problem.pulse, "With --time: a rectangular drive pulse of WIDTH [ms] instead of a step-off")
      ->type_name("WIDTH");
  app.add_option("--length-unit", problem.lengthUnit,
                 "The layered form's lengths (the coil, --lo, --tube, --rod, --layer, --pickup, a swept length) "
                 "in mm (default), mil or in")
      ->type_name("mm|mil|in");
  app.add_option("--conductivity-unit", problem.sigmaUnit,
                 "The layered form's conductivities in MS/m (default) or %IACS (100 %IACS = 58.0 MS/m)")
      ->type_name("MS/m|%IACS");
  app.add_flag("--parallel", problem.parallel, "The coil lies with its axis parallel to the plate");
  app.add_option("--sweep", problem.sweep,
                 "Sweep a parameter of the layered conductor by its path (f, lift_off, radius, coil.R1, "
                 "coil.R2, coil.L, coil.N, coil.z, layers.K.thickness, layers.K.sigma, layers.K.mur with K "
                 "from 0 at the coil's side; coils.K.R1 ... coils.K.x of a probe's coil K, the drive 0), in "
                 "the window's units; STEP may be K/dec")
      ->type_name("PATH=FROM:TO:STEP");
  app.add_option("--family", problem.family, "One curve per value of a second parameter of the layered conductor")
      ->type_name("PATH=V1,V2,...");

  // The sweep points are independent: they run on all cores unless told otherwise.
  int threads = kAllCores;
  app.add_option("--threads", threads,
                 "Threads that compute the sweep points (default: one per core); the rows are "
                 "the same for any number")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));

  std::string engineText = "adaptive";
  app.add_option("--engine", engineText,
                 "How the points are computed: adaptive (default; each point by the adaptive quadrature, as "
                 "the window computes it) or batch (the points together on shared nodes, each checked "
                 "against the accuracy and computed adaptively where that falls short; the output then "
                 "starts with # engine=batch)")
      ->type_name("adaptive|batch");

  // Further outputs of the same run: a picture of the chart.
  std::string chartPath;
#ifdef VELDO_CLI_HAVE_CHART
  app.add_option("--chart", chartPath,
                 "Also write the impedance-plane chart of the curve to FILE: .emf (vector "
                 "Enhanced Metafile, as the window's File > Save As), .png or .svg")
      ->type_name("FILE");
#endif

  // ... and the curve as a session the window opens.
  std::string sessionPath;
  app.add_option("--session", sessionPath,
                 "Also write the curve as a session to FILE, for the window's File > Open Session")
      ->type_name("FILE");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    std::fputs(app.help().c_str(), data);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    return Reject(messages, e.what());
  }

  if (!chartPath.empty()) {
    std::string suffix = chartPath.substr(std::min(chartPath.size(), chartPath.rfind('.')));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix != ".emf" && suffix != ".png" && suffix != ".svg")
      return Reject(messages,
                    "The chart file '" + chartPath + "' must end in .emf, .png or .svg");
  }

  const std::optional<Engine> engineChoice = EngineNamed(engineText);
  if (!engineChoice) return Reject(messages, "Unknown engine '" + engineText + "': use adaptive or batch");
  const Engine engine = *engineChoice;

  if (!problem.file.empty()) {
    if (!caseText.empty() || problem.Given() || !problem.sweep.empty() || !common.empty() || !params.empty())
      return Reject(messages, "--problem takes the whole problem from its file: give no CASE and no other inputs");
    return RunProblemFile(problem.file, threads, engine, data, messages);
  }
  if (problem.Given()) {
    const auto length = LengthUnitNamed(problem.lengthUnit.empty() ? "mm" : problem.lengthUnit);
    if (!length) return Reject(messages, "--length-unit takes mm, mil or in, not '" + problem.lengthUnit + "'");
    problem.units.length = Factor(*length);
    const auto sigma = ConductivityUnitNamed(problem.sigmaUnit.empty() ? "MS/m" : problem.sigmaUnit);
    if (!sigma) return Reject(messages, "--conductivity-unit takes MS/m or %IACS, not '" + problem.sigmaUnit + "'");
    problem.units.sigma = Factor(*sigma);
    if (!caseText.empty()) return Reject(messages, "Give either a CASE or a layered conductor (--plate, --tube, --rod)");
    if (!chartPath.empty() || !sessionPath.empty())
      return Reject(messages, "--chart and --session take a CASE; a layered conductor prints its rows only");
    return RunProblem(problem, common, params, threads, engine, data, messages);
  }
  if (caseText.empty()) return Reject(messages, "CASE is required (or a layered conductor: --plate, --tube, --rod)");
  const CaseDef* caseDef = CaseByText(caseText);
  if (caseDef == nullptr)
    return Reject(messages, "Unknown case '" + caseText +
                                "': use planar1, planar2, bore1, bore2, rod1, rod2, vertical or "
                                "1 to 6, 9");

  CaseFieldTexts in(*caseDef);
  for (const auto& [field, text] : common) in.texts[field] = text;

  const ParamDef* swept = nullptr;
  for (const auto& [id, text] : params) {
    const int index = id == Param::F ? 0 : ParamIndex(*caseDef, id);
    if (index < 0) {
      std::string name;
      for (const ParamOption& p : paramOptions)
        if (p.id == id) name = p.name;
      return Reject(messages, std::string("The case ") + std::string(caseDef->cliName) +
                                  " has no parameter " + name);
    }
    const ParamDef& p =
        id == Param::F ? caseDef->frequency : caseDef->params[static_cast<std::size_t>(index)];
    if (text.find(':') == std::string::npos) {
      in.texts[std::string(p.fromField)] = text;
      continue;
    }
    const auto parts = SplitSweepText(text);
    if (!parts) return Reject(messages, "'" + text + "' is not FROM:TO:STEP");
    if (swept != nullptr)
      return Reject(messages, "Only one parameter can be swept (" + std::string(swept->name) +
                                  " and " + std::string(p.name) + " are given as FROM:TO:STEP)");
    swept = &p;
    in.texts[std::string(p.fromField)] = (*parts)[0];
    in.texts[std::string(p.toField)] = (*parts)[1];
    in.texts[std::string(p.stepField)] = (*parts)[2];
    in.selector = std::string(p.selector);
  }

  EngineOutput out(data, messages, engine);
  SessionRecorder recorder(out, caseDef->testCase, [&in](const std::string& n) { return in.FieldText(n); },
                           in.selector);
  ComputeOutput& sink = sessionPath.empty() ? static_cast<ComputeOutput&>(out) : recorder;
  // The batch engine computes the sweep's points beforehand; the command then takes them.
  const ComputeStatus status =
      engine == Engine::Batch
          ? ButtonComputeClick(caseDef->testCase, in, sink, BatchModels(caseDef->testCase, in, threads), threads)
          : ButtonComputeClick(caseDef->testCase, in, sink, models, threads);
  std::fflush(data);

#ifdef VELDO_CLI_HAVE_CHART
  // The chart holds whatever the command drew, the points before a fault included.
  if (!chartPath.empty() && !out.Curves().empty()) {
    std::vector<ChartCurve> curves;
    for (const CliOutput::Curve& c : out.Curves()) curves.push_back({c.colour, c.points});
    const std::string error = RenderChartFile(curves, chartPath);
    if (!error.empty()) {
      std::fprintf(messages, "%s\n", error.c_str());
      if (status != ComputeStatus::Fault) return kExitRejected;
    }
  }
#endif

  if (!sessionPath.empty() && !recorder.Result().curves.empty() &&
      !SaveSessionFile(recorder.Result(), sessionPath)) {
    std::fprintf(messages, "Cannot create file %s\n", sessionPath.c_str());
    if (status != ComputeStatus::Fault) return kExitRejected;
  }

  switch (status) {
    case ComputeStatus::Completed:
    case ComputeStatus::NoComputation: return kExitOk;
    case ComputeStatus::Rejected: return kExitRejected;
    case ComputeStatus::Fault: return kExitFault;
    case ComputeStatus::Cancelled: break;  // the front end never asks a sweep to stop
  }
  return kExitOk;
}

}  // namespace veldo
