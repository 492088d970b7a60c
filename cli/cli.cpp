#include "cli/cli.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/field_texts.hpp"
#include "cli/cli_output.hpp"
#ifdef VELDO_CLI_HAVE_CHART
#include "ui/chart_render.hpp"
#include "ui/session.hpp"
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

// Option names of the case parameters, in the order of Param.
struct ParamOption {
  Param id;
  const char* name;
  const char* option;
  const char* help;
};
constexpr ParamOption kParamOptions[] = {
    {Param::LO, "LO", "--lo", "Lift-off LO [mm] (planar1, planar2, vertical)"},
    {Param::D1, "D1", "--d1", "Layer thickness D1 [mm] (planar2)"},
    {Param::B1, "B1", "--b1", "Layer radius B1 [mm] (bore1, bore2, rod1, rod2)"},
    {Param::B2, "B2", "--b2", "Layer radius B2 [mm] (bore2, rod2)"},
    {Param::CON1, "CON1", "--con1", "Conductivity CON1 [MS/m]"},
    {Param::CON2, "CON2", "--con2", "Conductivity CON2 [MS/m] (planar2, bore2, rod2)"},
    {Param::MR1, "MR1", "--mr1", "Rel.magn.permeability MR1"},
    {Param::MR2, "MR2", "--mr2", "Rel.magn.permeability MR2 (planar2, bore2, rod2)"},
};

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

int Reject(std::FILE* messages, const std::string& text) {
  std::fprintf(messages, "%s\n", text.c_str());
  return kExitRejected;
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
  app.add_option("CASE", caseText, "Geometry case: a name or its number")->required();

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
  for (const ParamOption& p : kParamOptions)
    app.add_option_function<std::string>(
           p.option, [&params, id = p.id](const std::string& v) { params[id] = v; }, p.help)
        ->type_name("VALUE|FROM:TO:STEP");

  // The sweep points are independent: they run on all cores unless told otherwise.
  int threads = kAllCores;
  app.add_option("--threads", threads,
                 "Threads that compute the sweep points (default: one per core); the rows are "
                 "the same for any number")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));

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
#ifdef VELDO_CLI_HAVE_CHART
  app.add_option("--session", sessionPath,
                 "Also write the curve as a session to FILE, for the window's File > Open Session")
      ->type_name("FILE");
#endif

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
      const char* name = "";
      for (const ParamOption& p : kParamOptions)
        if (p.id == id) name = p.name;
      return Reject(messages, std::string("The case ") + std::string(caseDef->cliName) +
                                  " has no parameter " + name);
    }
    const ParamDef& p =
        id == Param::F ? caseDef->frequency : caseDef->params[static_cast<std::size_t>(index)];
    const std::size_t first = text.find(':');
    if (first == std::string::npos) {
      in.texts[std::string(p.fromField)] = text;
      continue;
    }
    const std::size_t second = text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos)
      return Reject(messages, "'" + text + "' is not FROM:TO:STEP");
    if (swept != nullptr)
      return Reject(messages, "Only one parameter can be swept (" + std::string(swept->name) +
                                  " and " + std::string(p.name) + " are given as FROM:TO:STEP)");
    swept = &p;
    in.texts[std::string(p.fromField)] = text.substr(0, first);
    in.texts[std::string(p.toField)] = text.substr(first + 1, second - first - 1);
    in.texts[std::string(p.stepField)] = text.substr(second + 1);
    in.selector = std::string(p.selector);
  }

  CliOutput out(data, messages);
#ifdef VELDO_CLI_HAVE_CHART
  SessionRecorder recorder(out, caseDef->testCase, [&in](const std::string& n) { return in.FieldText(n); },
                           in.selector);
  ComputeOutput& sink = sessionPath.empty() ? static_cast<ComputeOutput&>(out) : recorder;
#else
  ComputeOutput& sink = out;
#endif
  const ComputeStatus status = ButtonComputeClick(caseDef->testCase, in, sink, models, threads);
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

#ifdef VELDO_CLI_HAVE_CHART
  if (!sessionPath.empty() && !recorder.Result().curves.empty() &&
      !SaveSessionFile(recorder.Result(), sessionPath)) {
    std::fprintf(messages, "Cannot create file %s\n", sessionPath.c_str());
    if (status != ComputeStatus::Fault) return kExitRejected;
  }
#endif

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
