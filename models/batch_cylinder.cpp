// The batch engine's cylinder kernel: a coil coaxial with a bore or a rod, many stacks and
// frequencies on one set of panels. The coil factor and, when the points share the surface
// radius, the air's Bessel pairs are formed once per node; the stack's admittance needs Amos'
// complex Bessel functions per point and node (models/cylinder_media.hpp, as the adaptive path
// forms them), so the gain here is from the shared factors and the fixed nodes.
#include <algorithm>
#include <cmath>
#include <vector>

#include "models/batch_detail.hpp"
#include "models/cylinder_media.hpp"

namespace veldo::batch_detail {

namespace {

using namespace models_detail;

// A bound of |kernel| at k, in k units: the scaled reflection of a passive stack lies in the
// disc whose diameter joins its values for Y = 0 and Y = infinity, so |a/c| <= K1(kb)/I1(kb)
// (bore) and |c/a| <= I0(kb)/K0(kb) (rod); 1 - cos kL <= 2; the bore's coil integral
// int t I1 <= kR2 I0(kR2), the rod's int t K1 <= (kR1 + 1) K0(kR1). Nothing when a Bessel value
// is not computed.
bool KernelBound(bool rod, const Coil& c, double b, double k, double& bound) {
  RealPairs w, s;
  if (rod) {
    if (!ScaledPairs(k * b, w) || !ScaledPairs(k * c.R1, s) || !(w.K0 > 0)) return false;
    const double ic = (k * c.R1 + 1.0) * s.K0;
    bound = 2.0 * (w.I0 / w.K0) * ic * ic * std::exp(-2.0 * k * (c.R1 - b)) / static_cast<double>(IntPow(k, 6));
  } else {
    if (!ScaledPairs(k * b, w) || !ScaledPairs(k * c.R2, s) || !(w.I1 > 0)) return false;
    const double ic = k * c.R2 * s.I0;
    bound = 2.0 * (w.K1 / w.I1) * ic * ic * std::exp(-2.0 * k * (b - c.R2)) / static_cast<double>(IntPow(k, 6));
  }
  return std::isfinite(bound);
}

// The tail beyond kappa = K in kappa units: the bound decays at least like e^(-2 gap k) and like
// k^-5, its prefactor within a factor of 2 of constant out there.
double TailBound(bool rod, const Coil& c, double b, double K) {
  const double k = K / c.R2;
  double bound = 0.0;
  if (!KernelBound(rod, c, b, k, bound)) return HUGE_VAL;
  const double gap = rod ? c.R1 - b : b - c.R2;
  const double reach = gap > 0 ? std::min(1.0 / (2.0 * gap), k / 4.0) : k / 4.0;
  return c.R2 * 2.0 * bound * reach;
}

}  // namespace

void CylinderChunk(const Coil& coil, std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                   std::span<const double> f, double Acc, std::span<Impedance> out, std::vector<char>& trusted) {
  const std::size_t n = idx.size();
  const bool rod = cond[idx[0]]->geometry == Geometry::Rod;
  std::vector<CylinderMedia> media;
  media.reserve(n);
  std::vector<double> omega(n), b(n);
  const double R2 = coil.R2;
  double smallest = std::min(1.0, R2 / coil.L), gapMin = HUGE_VAL;
  bool sameSurface = true;
  for (std::size_t i = 0; i < n; ++i) {
    const Conductor& c = *cond[idx[i]];
    omega[i] = Omega(f[idx[i]]);
    media.emplace_back(c, 0.0, omega[i]);
    b[i] = c.position;
    sameSurface = sameSurface && b[i] == b[0];
    gapMin = std::min(gapMin, rod ? coil.R1 - b[i] : b[i] - R2);
    for (std::size_t l = 0; l < c.layers.size(); ++l) {
      const double s = SProduct(omega[i], c.layers[l].mur, c.layers[l].sigma);
      if (s > 0) smallest = std::min(smallest, R2 * std::sqrt(s));
      if (l + 1 < c.layers.size() && c.layers[l].thickness > 0)
        smallest = std::min(smallest, R2 / (2.0 * c.layers[l].thickness));
    }
  }
  // The axial factor 1 - cos kL turns with kappa L / R2: at most 12 radians a panel.
  Grid grid(smallest, gapMin > 0 ? R2 / (2.0 * gapMin) : HUGE_VAL, 12.0 * R2 / coil.L);
  const Limits lim;
  const int sign = rod ? +1 : -1;
  PanelSums sums;
  sums.Resize(n);
  std::vector<double> vr(n), vi(n);
  std::vector<char> dropped(n, 0);
  for (std::size_t i = 0; i < n; ++i) dropped[i] = b[i] == 0.0;  // a rod of radius 0 is no conductor
  Node nodes[kNodes];
  double K = 0.0;
  std::vector<double> tails(n, HUGE_VAL);
  for (int panel = 0; panel < kMaxPanels; ++panel) {
    const auto [a, bb] = grid.Next();
    PanelNodes(a, bb, nodes);
    for (const Node& node : nodes) {
      const double k = node.kappa / R2;
      const CoilFactor cf = rod ? OutsideCoilFactor(k, coil.R1, coil.R2, coil.L)
                                : InsideCoilFactor(k, coil.R1, coil.R2, coil.L, lim);
      RealPairs shared{};
      const bool sharedOk = sameSurface && ScaledPairs(k * b[0], shared);
      // One surface radius: the coil factor with its exponentials once for the node.
      const TComplex unit = sameSurface ? ScaledKernel(Cmplx(1.0, 0.0), cf, k * b[0], sign, true) : kZero;
      for (std::size_t i = 0; i < n; ++i) {
        vr[i] = vi[i] = 0.0;
        if (dropped[i]) continue;
        TComplex Yn, Yd;
        RealPairs own;
        const bool ok = media[i].Admittance(k, Yn, Yd) &&
                        (sameSurface ? sharedOk : ScaledPairs(k * b[i], own));
        if (!ok) {
          dropped[i] = 1;
          continue;
        }
        const TComplex rhoS = media[i].AirResponse(k, Yn, Yd, sameSurface ? shared : own);
        const TComplex v = sameSurface ? CScale(rhoS, unit.Re) : ScaledKernel(rhoS, cf, k * b[i], sign, true);
        vr[i] = v.Re;
        vi[i] = v.Im;
      }
      sums.Add(n, node.wk, node.wg, vr.data(), vi.data());
    }
    sums.Close(n);
    K = bb;
    if (K < 2.0) continue;
    bool done = true;
    const double common = sameSurface ? TailBound(rod, coil, b[0], K) : 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      if (dropped[i]) continue;
      tails[i] = sameSurface ? common : TailBound(rod, coil, b[i], K);
      done = done && sums.Trusted(i, Acc, tails[i]);
    }
    if (done) break;
  }
  const double q = TurnsFactor(coil.N, coil.R1, coil.R2, coil.L);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t p = idx[i];
    trusted[p] = !dropped[i] && sums.Trusted(i, Acc, tails[i]);
    // dZ = j 4 omega mu0 q S, S = S_kappa / R2
    const double sr = sums.sr[i] / R2, si = sums.si[i] / R2;
    const double g = 4.0f * omega[i] * kMu0;
    out[p].dR = -si * q * g;
    out[p].dX = sr * q * g;
    out[p].Ier = 0;
  }
}

}  // namespace veldo::batch_detail
