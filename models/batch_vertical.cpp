// The batch engine's kernel for a coil lying parallel to a plate (vertical.cpp's double integral):
//   S = int_0^inf G(u) du,  G(u) = W(u) Ic(u)^2 sin^2(uL/2) / u^6,
//   W(u) = int_0^inf rho(kappa) e^(-2 kappa h) / kappa dv,  kappa = sqrt(u^2 + v^2).
// Both levels on Gauss-Kronrod panels. The inner integral is taken in t, v = u sinh t (dv/kappa =
// dt, kappa = u cosh t), which removes the peak of width u that 1/kappa has at v = 0 for small u:
//   W(u) = int_0^inf rho(u cosh t) e^(-2 h u cosh t) dt,
// its panels at most 1 wide (the skin transition lies at a fixed u cosh t, about 1 wide in t) and
// no wider than the decay e^(-c cosh t), c = 2 h u, allows. The coil factor at u is formed once
// per outer node for the batch; rho over the points at one inner node in the planar kernel's loops.
// A point's estimate: the outer Kronrod differences, the inner ones weighted by the coil factor,
// and the bounds of both tails (|rho| <= 1: |W(u)| <= K0(2hu)).
#include <algorithm>
#include <cmath>
#include <vector>

#include "coilint/coilint.hpp"
#include "models/batch_detail.hpp"
#include "models/cylinder_media.hpp"

namespace veldo::batch_detail {

namespace {

using namespace models_detail;

// The inner tail beyond T: |rho| <= 1 and cosh t >= cosh T + (t - T) sinh T give
// int_T^inf e^(-c cosh t) dt <= e^(-c cosh T) / (c sinh T).
inline double InnerTail(double c, double T) { return std::exp(-c * std::cosh(T)) / (c * std::sinh(T)); }

// A bound of |G| at u, in u units, with |W| <= K0(2hu), Ic <= uR2 I0(uR2), sin^2 <= 1; false when
// a Bessel value is not computed.
bool OuterBound(const Coil& c, double h, double u, double& bound) {
  RealPairs w, s;
  if (!ScaledPairs(2.0 * h * u, w) || !ScaledPairs(u * c.R2, s)) return false;
  const double ic = u * c.R2 * s.I0;
  bound = w.K0 * ic * ic * std::exp(-2.0 * u * (h - c.R2)) / static_cast<double>(IntPow(u, 6));
  return std::isfinite(bound);
}

// The outer tail beyond mu = U (mu = u R2) in mu units: the bound decays at least like
// e^(-2 (h - R2) u) and like u^-4.5, its prefactor within a factor of 2 of constant out there.
double OuterTail(const Coil& c, double h, double U) {
  const double u = U / c.R2;
  double bound = 0.0;
  if (!OuterBound(c, h, u, bound)) return HUGE_VAL;
  const double gap = h - c.R2;
  const double reach = gap > 0 ? std::min(1.0 / (2.0 * gap), u / 3.5) : u / 3.5;
  return c.R2 * 2.0 * bound * reach;
}

}  // namespace

void VerticalChunk(const Coil& coil, std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                   std::span<const double> f, double Acc, std::span<Impedance> out, std::vector<char>& trusted) {
  const std::size_t n = idx.size();
  const double R1 = coil.R1, R2 = coil.R2, L = coil.L;
  std::vector<double> omega;
  const PlanarColumns col = StackColumns(idx, cond, f, omega);
  std::vector<double> h(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Conductor& c = *cond[idx[i]];
    h[i] = R2 + (c.position + coil.z);
  }
  bool sameH = true;
  for (std::size_t i = 1; i < n; ++i) sameH = sameH && h[i] == h[0];
  const std::size_t shared = SharedFrom(col);
  PlanarKernel kernel(col, shared);
  double hMin = h[0], hMax = h[0];
  for (double v : h) hMin = std::min(hMin, v), hMax = std::max(hMax, v);
  double smallest = std::min(1.0, R2 / (2.0 * hMax));
  for (std::size_t j = 0; j < col.s.size(); ++j) {
    if (col.s[j] > 0) smallest = std::min(smallest, R2 * std::sqrt(col.s[j]));
    if (col.d[j] > 0) smallest = std::min(smallest, R2 / (2.0 * col.d[j]));
  }
  const double lift = hMin - R2;
  // sin^2(u L/2) turns with mu L / R2: at most 12 radians a panel.
  Grid outer(smallest, lift > 0 ? R2 / (2.0 * lift) : HUGE_VAL, 12.0 * R2 / L);
  const double sqrtXmax = std::sqrt(QMACH(2));
  const double elim = BesselElim();

  PanelSums sums;  // the outer sums, in mu units
  sums.Resize(n);
  std::vector<double> Wr(n), Wi(n), Er(n), Ei(n), rr(n), ri(n), gr(n), gi(n), inner(n, 0.0);
  std::vector<double> kr(n), ki(n), kgr(n), kgi(n);  // the inner panel's Kronrod and Gauss sums
  Node onodes[kNodes], inodes[kNodes];
  double U = 0.0;
  bool lost = false;  // an outer node beyond the coil factor's range carried weight
  std::vector<double> tails(n, HUGE_VAL);
  for (int panel = 0; panel < kMaxPanels; ++panel) {
    const auto [a, b] = outer.Next();
    PanelNodes(a, b, onodes);
    for (const Node& on : onodes) {
      const double u = on.kappa / R2;
      // The coil factor Ic^2 sin^2(uL/2) / u^6, extended until it meets W.
      if (u * R2 > elim) {
        lost = true;
        continue;
      }
      const double Ic = CoilIntI(u * R1, u * R2);
      if (Ic > sqrtXmax) {
        lost = true;
        continue;
      }
      const long double uu = u, sn = std::sin(uu * L / 2.0L);
      const long double F = static_cast<long double>(Ic) * Ic * (sn * sn) / IntPow(uu, 6);
      // W(u) for every point: panels in t until every point's inner tail is below its share.
      std::fill(Wr.begin(), Wr.end(), 0.0), std::fill(Wi.begin(), Wi.end(), 0.0);
      std::fill(Er.begin(), Er.end(), 0.0), std::fill(Ei.begin(), Ei.end(), 0.0);
      const double cMax = 2.0 * hMax * u, cMin = 2.0 * hMin * u;
      const double width = std::clamp(1.5 / std::sqrt(cMax), 0.05, 1.0);
      double T = 0.0;
      while (true) {
        PanelNodes(T, T + width, inodes);
        std::fill(kr.begin(), kr.end(), 0.0), std::fill(ki.begin(), ki.end(), 0.0);
        std::fill(kgr.begin(), kgr.end(), 0.0), std::fill(kgi.begin(), kgi.end(), 0.0);
        for (const Node& in : inodes) {
          const double ch = std::cosh(in.kappa);
          const double kappa = u * ch;
          kernel.Reflection(kappa, rr.data(), ri.data());
          if (sameH) {
            const double e = std::exp(-2.0 * h[0] * kappa);
            for (std::size_t i = 0; i < n; ++i) gr[i] = e * rr[i], gi[i] = e * ri[i];
          } else {
            for (std::size_t i = 0; i < n; ++i) {
              const double e = ExpNonPositive(-2.0 * h[i] * kappa);
              gr[i] = e * rr[i], gi[i] = e * ri[i];
            }
          }
          for (std::size_t i = 0; i < n; ++i) {
            kr[i] += in.wk * gr[i], ki[i] += in.wk * gi[i];
            kgr[i] += in.wg * gr[i], kgi[i] += in.wg * gi[i];
          }
        }
        for (std::size_t i = 0; i < n; ++i) {
          Wr[i] += kr[i], Wi[i] += ki[i];
          Er[i] += std::fabs(kr[i] - kgr[i]), Ei[i] += std::fabs(ki[i] - kgi[i]);
        }
        T += width;
        // The lowest point's tail is the longest; |W| is at least a share of what is left.
        const double tail = InnerTail(cMin, T);
        bool done = true;
        for (std::size_t i = 0; i < n && done; ++i) done = tail <= 1e-3 * Acc * std::hypot(Wr[i], Wi[i]);
        if (done || T > 40.0) {
          for (std::size_t i = 0; i < n; ++i) inner[i] = tail;
          break;
        }
      }
      // G at u for every point, and its inner error weighted as the outer rule weights it.
      for (std::size_t i = 0; i < n; ++i) {
        gr[i] = static_cast<double>(Wr[i] * F);
        gi[i] = static_cast<double>(Wi[i] * F);
        const double wF = static_cast<double>(on.wk * F);
        sums.er[i] += wF * (Er[i] + inner[i]);
        sums.ei[i] += wF * (Ei[i] + inner[i]);
      }
      sums.Add(n, on.wk, on.wg, gr.data(), gi.data());
    }
    sums.Close(n);
    U = b;
    if (U < 2.0) continue;
    bool done = true;
    const double common = sameH ? OuterTail(coil, h[0], U) : 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      tails[i] = sameH ? common : OuterTail(coil, h[i], U);
      done = done && sums.Trusted(i, Acc, tails[i]);
    }
    if (done || lost) break;
  }
  // Delta Z = j omega mu0 q S, q = 2 N^2 / ((L/2)^2 (R2 - R1)^2), S = S_mu / R2
  const long double nn = coil.N, w = static_cast<long double>(R2) - R1, halfL = static_cast<long double>(L) / 2.0L;
  const double q = static_cast<double>(2.0f * nn * nn / (halfL * halfL * w * w));
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t p = idx[i];
    trusted[p] = !lost && sums.Trusted(i, Acc, tails[i]);
    const double sr = sums.sr[i] / R2, si = sums.si[i] / R2;
    const double g = omega[i] * kMu0;
    out[p].dR = -si * q * g;
    out[p].dX = sr * q * g;
    out[p].Ier = 0;
  }
}

}  // namespace veldo::batch_detail
