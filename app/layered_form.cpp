#include "app/layered_form.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/case_table.hpp"
#include "app/format.hpp"
#include "app/parse.hpp"
#include "models/models.hpp"

namespace veldo {

namespace {

// The case fields' conversion message, as the seven cases show it.
std::string NotANumber(const std::string& text) {
  return ErrorBoxText("'" + text + "' is not a valid floating point value");
}

bool EndsWithPerDecade(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.size() < 4) return false;
  std::string tail(s.substr(s.size() - 4));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "/dec";
}

// A From/To/Step triple in the window's unit, checked as the cases check theirs; the values are
// scaled to SI as veldo-cli scales its --sweep.
class RangeReader {
public:
  RangeReader(const ComputeInput& in, ComputeOutput& out) : separator_(in.DecimalSeparator()), out_(out) {}

  std::optional<double> Number(const std::string& text) {
    const auto v = ParseStrictReal(text, separator_);
    if (!v) out_.ShowMessage(MessageKind::Error, NotANumber(text));
    return v;
  }

  // In display units when `factor` is 1 (a family's values are scaled one by one).
  std::optional<SweepRange> Range(const std::string& fromText, const std::string& toText, const std::string& stepText,
                                  double factor) {
    const auto from = Number(fromText);
    if (!from) return std::nullopt;
    const auto to = Number(toText);
    if (!to) return std::nullopt;
    const bool logarithmic = EndsWithPerDecade(stepText);
    std::string number = stepText;
    if (logarithmic) number = std::string(std::string_view(stepText).substr(0, stepText.find_last_not_of(' ') + 1 - 4));
    const auto step = Number(logarithmic ? number : stepText);
    if (!step) return std::nullopt;
    if (RealModels().CheckRange(*from, *to, *step) == 1) return Refuse(kCheckRangeMessage);
    if (logarithmic && !(*from > 0)) return Refuse(kLogFromMessage);
    if (logarithmic && (!(*step >= 1) || *step != std::floor(*step))) return Refuse(kLogStepMessage);
    const auto range = logarithmic ? MakeLogSweep(*from * factor, *to * factor, *step)
                                   : MakeSweep(*from * factor, *to * factor, *step * factor);
    if (!range) return Refuse(kTooManyPointsMessage);
    return range;
  }

  std::nullopt_t Refuse(std::string_view message) {
    out_.ShowMessage(MessageKind::Plain, std::string(message));
    return std::nullopt;
  }

private:
  std::string separator_;
  ComputeOutput& out_;
};

std::string LayerWord(std::size_t k) { return "Layer " + std::to_string(k + 1); }

}  // namespace

Geometry GeometryOfCase(int testCase) {
  return testCase == kTubeCase ? Geometry::Tube : testCase == kRodCase ? Geometry::Rod : Geometry::Plate;
}

int CaseOfGeometry(Geometry g) {
  return g == Geometry::Tube ? kTubeCase : g == Geometry::Rod ? kRodCase : kLayeredPlateCase;
}

std::string_view GeometryName(Geometry g) {
  return g == Geometry::Tube ? "tube" : g == Geometry::Rod ? "rod" : "plate";
}

std::optional<Geometry> GeometryNamed(std::string_view name) {
  for (Geometry g : {Geometry::Plate, Geometry::Tube, Geometry::Rod})
    if (GeometryName(g) == name) return g;
  return std::nullopt;
}

LayeredForm DefaultLayeredForm(Geometry g) {
  LayeredForm f;
  f.geometry = g;
  switch (g) {
    case Geometry::Plate:
      f.layers = {{"0.1", "1.0", "1"}, {"0.5", "35.4", "1"}, {"inf", "5.0", "1"}};
      f.sweepPath = "layers.0.sigma", f.from = "1", f.to = "20", f.step = "1";
      break;
    case Geometry::Tube:
      f.position = "5.0";
      f.layers = {{"1.0", "58.0", "1"}, {"inf", "0", "1"}};
      f.sweepPath = "f", f.from = "1", f.to = "1000", f.step = "10/dec";
      break;
    case Geometry::Rod:
      f.position = "1.5";
      f.layers = {{"0.2", "15.0", "1"}, {"inf", "1.0", "1"}};
      f.sweepPath = "f", f.from = "1", f.to = "1000", f.step = "10/dec";
      break;
  }
  return f;
}

std::vector<PathInfo> SweepablePaths(Geometry g, std::size_t layers, bool family, const Units& units, std::size_t coils) {
  std::vector<PathInfo> paths;
  auto add = [&](std::string path, std::string name) {
    std::string unit = PathUnit(path, units);
    const double factor = PathFactor(path, units);
    paths.push_back({std::move(path), std::move(name), std::move(unit), factor});
  };
  add("f", "Frequency f");
  if (g == Geometry::Plate)
    add("lift_off", "Lift-off");
  else
    add("radius", g == Geometry::Tube ? "Bore radius" : "Rod radius");
  if (coils > 1) {
    // Each coil's N, R1, R2, L, z and x (x only over a plate; N is no family).
    for (std::size_t k = 0; k < coils; ++k)
      for (int c = 0; c < 6; ++c)
        if ((c > 0 || !family) && (c < 5 || g == Geometry::Plate)) {
          const std::string path = CoilPath(k, c);
          add(path, "Coil " + std::to_string(k + 1) + " " + path.substr(path.rfind('.') + 1));
        }
  } else {
    add("coil.R1", "Coil R1");
    add("coil.R2", "Coil R2");
    add("coil.L", "Coil L");
    if (!family) add("coil.N", "Coil N");
  }
  for (std::size_t k = 0; k < layers; ++k) {
    const std::string at = "layers." + std::to_string(k) + ".";
    if (k + 1 < layers) add(at + "thickness", LayerWord(k) + " thickness");
    add(at + "sigma", LayerWord(k) + " conductivity");
    add(at + "mur", LayerWord(k) + " permeability");
  }
  return paths;
}

std::string PathUnit(std::string_view path, const Units& units) {
  if (path == "f") return "kHz";
  if (path.ends_with(".sigma")) return std::string(Symbol(units.conductivity));
  if (path.ends_with(".mur") || path.ends_with(".N")) return "";
  return std::string(Symbol(units.length));
}

double PathFactor(std::string_view path, const Units& units) {
  if (path == "f") return kFactorKHz;
  if (path.ends_with(".sigma")) return Factor(units.conductivity);
  if (path.ends_with(".mur") || path.ends_with(".N")) return kFactorNone;
  return Factor(units.length);
}

std::string PathShortName(std::string_view path) {
  if (path == "lift_off") return "lift-off";
  if (path.starts_with("coil.")) return std::string(path.substr(5));
  if (path.starts_with("coils.")) {
    const std::string_view rest = path.substr(6);
    const auto dot = rest.find('.');
    if (dot != std::string_view::npos)
      return "coil " + std::to_string(std::atoi(std::string(rest.substr(0, dot)).c_str()) + 1) + " " +
             std::string(rest.substr(dot + 1));
  }
  if (path.starts_with("layers.")) {
    const std::string_view rest = path.substr(7);
    const auto dot = rest.find('.');
    if (dot != std::string_view::npos) {
      const int k = std::atoi(std::string(rest.substr(0, dot)).c_str());
      const std::string_view m = rest.substr(dot + 1);
      return "layer " + std::to_string(k + 1) + " " + std::string(m == "sigma" ? "sigma" : m == "mur" ? "mur" : "d");
    }
  }
  return std::string(path);
}

bool IsProblemPath(std::string_view param) {
  return param == "lift_off" || param == "radius" || param.starts_with("coil") || param.starts_with("layers.");
}

Rgb PathColour(std::string_view path) {
  if (path == "f") return kBlack;
  if (path.ends_with(".thickness")) return kYellow;
  if (path.ends_with(".sigma")) return path == "layers.0.sigma" ? kRed : kFuchsia;
  if (path.ends_with(".mur")) return path == "layers.0.mur" ? kGreen : kAqua;
  return kBlue;
}

std::optional<ProblemSweep> ReadLayeredForm(const LayeredForm& form, const ComputeInput& common, ComputeOutput& out) {
  RangeReader read(common, out);
  ProblemSweep s;
  Problem& p = s.problem;
  // The coil and the accuracy as the cases read them: lenient parsers, in their order.
  Coil coil;
  double values[4] = {};
  const char* names[4] = {"Editacc", "Editr1", "Editr2", "Editl"};
  for (int i = 0; i < 4; ++i) {
    const std::string text = common.FieldText(names[i]);
    const auto v = ParseLenientReal(text);
    if (!v) return out.ShowMessage(MessageKind::Error, NotANumber(text)), std::nullopt;
    values[i] = *v;
  }
  const std::string nText = common.FieldText("EditN");
  const auto n = ParseLenientInt(nText);
  if (!n) return out.ShowMessage(MessageKind::Error, ErrorBoxText("'" + nText + "' is not a valid integer value")), std::nullopt;
  const double length = Factor(form.units.length), sigmaUnit = Factor(form.units.conductivity);
  s.Acc = values[0] / 100;
  coil.R1 = values[1] * length, coil.R2 = values[2] * length, coil.L = values[3] * length;
  coil.N = *n;
  p.probe.coils.push_back(coil);
  if (!ReadProbeTexts(form.probe, p.probe, s.wiring, length, [&](const std::string& t) { return read.Number(t); }))
    return std::nullopt;
  const auto f = read.Number(form.f);
  if (!f) return std::nullopt;
  p.f = *f * kFactorKHz;
  p.conductor.geometry = form.geometry;
  const auto position = read.Number(form.position);
  if (!position) return std::nullopt;
  p.conductor.position = *position * length;
  for (std::size_t k = 0; k < form.layers.size(); ++k) {
    const LayerTexts& t = form.layers[k];
    Layer l;
    if (k + 1 == form.layers.size()) {
      l.thickness = std::numeric_limits<double>::infinity();
    } else {
      const auto d = read.Number(t[0]);
      if (!d) return std::nullopt;
      l.thickness = *d * length;
    }
    const auto sigma = read.Number(t[1]);
    if (!sigma) return std::nullopt;
    const auto mur = read.Number(t[2]);
    if (!mur) return std::nullopt;
    l.sigma = *sigma * sigmaUnit;
    l.mur = *mur;
    p.conductor.layers.push_back(l);
  }
  if (!ParameterValue(p, form.sweepPath)) return read.Refuse(UnknownParameterMessage(form.sweepPath));
  s.path = form.sweepPath;
  s.unit = PathFactor(s.path, form.units);
  const auto range = read.Range(form.from, form.to, form.step, s.unit);
  if (!range) return std::nullopt;
  s.range = *range;
  if (!form.familyPath.empty()) {
    if (form.familyPath == form.sweepPath)
      return read.Refuse("Check the family: it must be another parameter than the swept one");
    if (!ParameterValue(p, form.familyPath) || form.familyPath.ends_with(".N"))
      return read.Refuse(UnknownParameterMessage(form.familyPath));
    // The family's values are typed numbers times the unit, as veldo-cli's --family reads them.
    const auto familyRange = read.Range(form.familyFrom, form.familyTo, form.familyStep, 1.0);
    if (!familyRange) return std::nullopt;
    if (familyRange->count > kCurveSlots) return read.Refuse(kRegistryFullMessage);
    s.family = form.familyPath;
    const double factor = PathFactor(s.family, form.units);
    for (int i = 0; i < familyRange->count; ++i) s.familyValues.push_back(familyRange->Value(i) * factor);
  }
  s.colour = PathColour(s.path);
  return s;
}

std::string LayeredLabel(const ProblemSweep& s, const std::string& from, const std::string& to, int familyIndex,
                         const Units& units) {
  std::string label = PathShortName(s.path) + " " + from + " to " + to;
  const std::string unit = PathUnit(s.path, units);
  if (!unit.empty()) label += " " + unit;
  if (!s.family.empty() && familyIndex >= 0 && familyIndex < static_cast<int>(s.familyValues.size())) {
    const std::string familyUnit = PathUnit(s.family, units);
    label += ", " + PathShortName(s.family) + " " +
             SweptValueText(s.familyValues[static_cast<std::size_t>(familyIndex)] / PathFactor(s.family, units));
    if (!familyUnit.empty()) label += " " + familyUnit;
  }
  return label;
}

std::string FirstLayerScales(const LayeredForm& form, const std::string& r1, const std::string& r2) {
  const std::string separator = LocaleDecimalSeparator();
  auto number = [&separator](const std::string& text) { return ParseStrictReal(text, separator); };
  const double length = Factor(form.units.length);
  std::optional<double> depth, limit;
  if (!form.layers.empty()) {
    const auto f = number(form.f);
    const auto sigma = number(form.layers.front()[1]);
    const auto mur = number(form.layers.front()[2]);
    std::optional<double> radius;
    if (form.geometry == Geometry::Plate) {
      const auto a = ParseLenientReal(r1), b = ParseLenientReal(r2);
      if (a && b) radius = (*a + *b) / 2;
    } else {
      radius = number(form.position);
    }
    if (sigma && mur) {
      const double s = *sigma * Factor(form.units.conductivity);
      if (f) depth = SkinDepth(*f * kFactorKHz, s, *mur);
      if (radius) limit = LimitFrequency(s, *mur, *radius * length);
    }
  }
  auto shown = [](const std::optional<double>& v, double unit, std::string_view symbol) {
    if (!v) return std::string("—");
    char text[32];
    std::snprintf(text, sizeof text, "%.3g ", *v / unit);
    return text + std::string(symbol);
  };
  return "δ = " + shown(depth, length, Symbol(form.units.length)) + ", f_g = " + shown(limit, kFactorKHz, "kHz");
}

}  // namespace veldo
