// The batch engine's kernel at complex Laplace variables: Delta L(p) - Delta L(inf) of a coil pair
// over a plate for many p on one set of kappa nodes. The coil factor of a node is formed once; the
// reflection coefficient of the stack runs over the p of the batch in loops over arrays of doubles
// (alpha^2 = k^2 + p mu0 mu sigma anywhere in the plane cut along the negative real axis, so the
// square root is the general principal one and the round trip's phase is reduced by 2 pi first).
// Compiled as batch_planar.cpp is (vectorised loops, no trapping assumed): the caller reads the
// fault flags.
#include <algorithm>
#include <cmath>
#include <vector>

#include "coilint/coilint.hpp"
#include "models/batch_detail.hpp"
#include "models/model_driver.hpp"

namespace veldo::batch_detail {
namespace {

using models_detail::IntPow;
using models_detail::kMu0;
using models_detail::kPi;

// The principal square root re + j im of wr + j wi (Re >= 0, the sign of Im that of wi), with no
// cancellation: the larger part from sqrt((|w| + |wr|) / 2), the other by division, both sides of
// the select formed without a division by zero.
VELDO_BATCH_INLINE void SqrtPrincipal(double wr, double wi, double& re, double& im) {
  const double r = std::sqrt(wr * wr + wi * wi);
  const double big = std::sqrt(0.5 * (r + std::fabs(wr)));
  const double small = 0.5 * std::fabs(wi) / (big > 0.0 ? big : 1.0);
  re = wr >= 0.0 ? big : small;
  im = std::copysign(wr >= 0.0 ? small : big, wi);
}

// e = exp(-2 alpha d), Re alpha >= 0, d >= 0, 0 beyond a decay of e^-40. The phase is brought into
// [-pi, pi] by Cody and Waite's reduction with SinCos's three parts of pi/2 times 4 (exact for the
// few turns a contour within 80 degrees of the negative real axis gives, |Im alpha| <= 6 Re alpha).
VELDO_BATCH_INLINE void RoundTripAny(double ar, double ai, double d, double& er, double& ei) {
  constexpr double kMagic = 0x1.8p52;
  constexpr double kInv2Pi = 0.15915494309189535;
  constexpr double kQ1 = 4 * 1.57079632673412561417e+00, kQ2 = 4 * 6.07710050630396597660e-11,
                   kQ3 = 4 * 2.02226624879595063154e-21;
  const double x = -2.0 * d * ar;
  const bool gone = !(x >= -40.0);
  const double t = gone ? 0.0 : -2.0 * d * ai;
  const double q = (t * kInv2Pi + kMagic) - kMagic;
  const double th = ((t - q * kQ1) - q * kQ2) - q * kQ3;
  double sn, cs;
  SinCos(th, sn, cs);
  const double m = ExpNonPositive(gone ? 0.0 : x);
  er = gone ? 0.0 : m * cs;
  ei = gone ? 0.0 : m * sn;
}

// (num, den) <- (P num e + M den, M num e + P den), brought back to |Re den| + |Im den| = 1.
VELDO_BATCH_INLINE void StepAny(double ar, double ai, double d, double Mr, double Mi, double Pr, double Pi, double& nr,
                                double& ni, double& dr, double& di) {
  double er, ei;
  RoundTripAny(ar, ai, d, er, ei);
  StepAcross(er, ei, Mr, Mi, Pr, Pi, nr, ni, dr, di);
}

// The stack at every p of the batch: per layer l the real and imaginary parts of p mu0 mu sigma
// at [l * n + i], and mu and the thickness per layer.
struct LaplaceColumns {
  std::size_t n = 0, layers = 0;
  std::vector<double> pr, pi, mu, d;
};

// rho(k) at every p (planar_stack.hpp's recursion, in real arithmetic), into rr and ri.
VELDO_BATCH_CLONES void LaplaceReflection(const LaplaceColumns& c, double k, double* __restrict ar,
                                          double* __restrict ai, double* __restrict nr, double* __restrict ni,
                                          double* __restrict dr, double* __restrict di, double* __restrict rr,
                                          double* __restrict ri) {
  const std::size_t n = c.n, L = c.layers;
  const double k2 = k * k;
  const double* wr = c.pr.data();
  const double* wi = c.pi.data();
  if (L == 1) {
    const double km = k * c.mu[0];
    for (std::size_t i = 0; i < n; ++i) {
      double a, b;
      SqrtPrincipal(k2 + wr[i], wi[i], a, b);
      Div(km - a, -b, km + a, b, rr[i], ri[i]);
    }
    return;
  }
  {
    const double mb = c.mu[L - 1], ma = c.mu[L - 2];
    const double* br_ = wr + (L - 1) * n;
    const double* bi_ = wi + (L - 1) * n;
    const double* xr_ = wr + (L - 2) * n;
    const double* xi_ = wi + (L - 2) * n;
    for (std::size_t i = 0; i < n; ++i) {
      double br, bi, xr, xi;
      SqrtPrincipal(k2 + br_[i], bi_[i], br, bi);
      SqrtPrincipal(k2 + xr_[i], xi_[i], xr, xi);
      nr[i] = xr * mb - br * ma;
      ni[i] = xi * mb - bi * ma;
      dr[i] = xr * mb + br * ma;
      di[i] = xi * mb + bi * ma;
      ar[i] = xr;
      ai[i] = xi;
    }
  }
  for (std::size_t j = L - 1; j-- > 0;) {
    const double dj = c.d[j], mb = c.mu[j];
    if (j >= 1) {
      const double ma = c.mu[j - 1];
      const double* xr_ = wr + (j - 1) * n;
      const double* xi_ = wi + (j - 1) * n;
      for (std::size_t i = 0; i < n; ++i) {
        double xr, xi;
        SqrtPrincipal(k2 + xr_[i], xi_[i], xr, xi);
        const double Mr = xr * mb - ar[i] * ma, Mi = xi * mb - ai[i] * ma;
        const double Pr = xr * mb + ar[i] * ma, Pi = xi * mb + ai[i] * ma;
        StepAny(ar[i], ai[i], dj, Mr, Mi, Pr, Pi, nr[i], ni[i], dr[i], di[i]);
        ar[i] = xr, ai[i] = xi;
      }
    } else {
      const double km = k * mb;
      for (std::size_t i = 0; i < n; ++i)
        StepAny(ar[i], ai[i], dj, km - ar[i], -ai[i], km + ar[i], ai[i], nr[i], ni[i], dr[i], di[i]);
    }
  }
  for (std::size_t i = 0; i < n; ++i) Div(nr[i], ni[i], dr[i], di[i], rr[i], ri[i]);
}

// v = C (rho - rho_inf) at every p.
VELDO_BATCH_CLONES void Differences(std::size_t n, double C, double rInfR, double rInfI, const double* __restrict rr,
                                    const double* __restrict ri, double* __restrict vr, double* __restrict vi) {
  for (std::size_t i = 0; i < n; ++i) {
    vr[i] = C * (rr[i] - rInfR);
    vi[i] = C * (ri[i] - rInfI);
  }
}

}  // namespace

void LaplaceChunk(const Coil& a, const Coil& b, const Conductor& conductor, std::span<const TComplex> p,
                  double Acc, std::span<TComplex> out, std::vector<char>& trusted) {
  // Point 0 of the columns is the perfect conductor's limit, p = 1e30 /s (every conducting
  // layer's alpha exceeds k by 1e12 or more there); the points of the caller follow it.
  const std::size_t n = p.size() + 1;
  const std::size_t L = conductor.layers.size();
  LaplaceColumns col;
  col.n = n;
  col.layers = L;
  col.pr.resize(L * n);
  col.pi.resize(L * n);
  double smallest = 1.0;
  const double R2 = std::max(a.R2, b.R2);
  for (std::size_t l = 0; l < L; ++l) {
    const Layer& layer = conductor.layers[l];
    const double m = static_cast<double>(static_cast<long double>(layer.mur) * kMu0 * layer.sigma);
    col.mu.push_back(layer.mur);
    col.d.push_back(l + 1 < L ? layer.thickness : 0.0);
    if (l + 1 < L && layer.thickness > 0) smallest = std::min(smallest, R2 / (2.0 * layer.thickness));
    for (std::size_t i = 0; i < n; ++i) {
      const TComplex q = i == 0 ? Cmplx(1e30, 0.0) : p[i - 1];
      col.pr[l * n + i] = q.Re * m;
      col.pi[l * n + i] = q.Im * m;
      if (i > 0 && m > 0) smallest = std::min(smallest, R2 * std::sqrt(std::hypot(q.Re, q.Im) * m));
    }
  }
  const double ha = conductor.position + a.z, hb = conductor.position + b.z;
  smallest = std::min({smallest, R2 / a.L, R2 / b.L});
  if (ha + hb > 0) smallest = std::min(smallest, R2 / (ha + hb));
  Grid grid(smallest, ha + hb > 0 ? R2 / (ha + hb) : 1e300);

  const bool self = a.R1 == b.R1 && a.R2 == b.R2 && a.L == b.L && ha == hb && a.x == b.x;
  const double x = std::fabs(a.x - b.x);
  // |J| <= c sqrt(kappa) + 1.5 per coil (planar tail bound of batch_planar.cpp), |D| <= e^(-k h),
  // |J0| <= 1: beyond K the coil factor integrates to at most
  //   R2^6 e^(-beta K) (ca cb / (4 K^4) + 1.5 (ca + cb) / (4.5 K^4.5) + 2.25 / (5 K^5)).
  const double ca = 0.8 * (1.0 + std::sqrt(a.R1 / a.R2)), cb = 0.8 * (1.0 + std::sqrt(b.R1 / b.R2));
  const double r6 = static_cast<double>(IntPow(R2, 6)), beta = (ha + hb) / R2;
  auto tail = [&](double K, double rho) {
    const double K4 = K * K * K * K;
    return rho * r6 * std::exp(-beta * K) *
           (ca * cb / (4.0 * K4) + 1.5 * (ca + cb) / (4.5 * K4 * std::sqrt(K)) + 2.25 / (5.0 * K4 * K));
  };

  // One panel's Kronrod sums and |Kronrod - Gauss| per point and part.
  struct Panel {
    double a, b;
    std::vector<double> kr, ki, er, ei;
  };
  const std::size_t m = n - 1;
  std::vector<double> ar(n), ai(n), nr(n), ni(n), dr(n), di(n), rr(n), ri(n), vr(m), vi(m);
  PanelSums sums;
  sums.Resize(m);
  double rhoMax = 1.0;
  auto integrate = [&](double lo, double hi) {
    Node nodes[kNodes];
    PanelNodes(lo, hi, nodes);
    for (const Node& node : nodes) {
      const double k = node.kappa / R2;
      const long double kk = k;
      const long double Da = std::exp(-kk * ha) - std::exp(-kk * (static_cast<long double>(ha) + a.L));
      const long double Db = self ? Da : std::exp(-kk * hb) - std::exp(-kk * (static_cast<long double>(hb) + b.L));
      const long double Ja = CoilIntJ(k * a.R1, k * a.R2), Jb = self ? Ja : CoilIntJ(k * b.R1, k * b.R2);
      double C = static_cast<double>(Da * Db) * static_cast<double>(Ja * Jb / IntPow(kk, 6));
      if (x != 0) C *= models_detail::BesselJ0(k * x);
      LaplaceReflection(col, k, ar.data(), ai.data(), nr.data(), ni.data(), dr.data(), di.data(), rr.data(),
                        ri.data());
      if (hi >= 2.0)
        for (std::size_t i = 0; i < n; ++i) rhoMax = std::max(rhoMax, std::hypot(rr[i], ri[i]));
      Differences(m, C, rr[0], ri[0], rr.data() + 1, ri.data() + 1, vr.data(), vi.data());
      sums.Add(m, node.wk, node.wg, vr.data(), vi.data());
    }
    Panel panel{lo, hi, sums.kr, sums.ki, std::vector<double>(m), std::vector<double>(m)};
    for (std::size_t i = 0; i < m; ++i) {
      panel.er[i] = std::fabs(sums.kr[i] - sums.gr[i]);
      panel.ei[i] = std::fabs(sums.ki[i] - sums.gi[i]);
    }
    std::fill(sums.kr.begin(), sums.kr.end(), 0.0), std::fill(sums.ki.begin(), sums.ki.end(), 0.0);
    std::fill(sums.gr.begin(), sums.gr.end(), 0.0), std::fill(sums.gi.begin(), sums.gi.end(), 0.0);
    return panel;
  };
  // The integral, the error estimate and the budget kTrust Acc |S| of every point over `panels`.
  std::vector<Panel> panels;
  std::vector<double> budget(m);
  auto total = [&]() {
    std::fill(sums.sr.begin(), sums.sr.end(), 0.0), std::fill(sums.si.begin(), sums.si.end(), 0.0);
    std::fill(sums.er.begin(), sums.er.end(), 0.0), std::fill(sums.ei.begin(), sums.ei.end(), 0.0);
    for (const Panel& q : panels)
      for (std::size_t i = 0; i < m; ++i)
        sums.sr[i] += q.kr[i], sums.si[i] += q.ki[i], sums.er[i] += q.er[i], sums.ei[i] += q.ei[i];
    for (std::size_t i = 0; i < m; ++i) budget[i] = kTrust * Acc * std::hypot(sums.sr[i], sums.si[i]);
  };
  // First the grid outward until the bound of what lies beyond is a small part of every point's
  // budget. Then the panels where a point that misses its budget has more than its share of error
  // are halved, for all points at once, until every point is within its budget or the rounds are
  // spent. A point whose kernel vanishes identically (no conductor) holds nothing back.
  double K = 0.0;
  for (int count = 0; count < kMaxPanels; ++count) {
    const auto [lo, hi] = grid.Next();
    panels.push_back(integrate(lo, hi));
    K = hi;
    if (K < 2.0) continue;
    total();
    const double beyond = tail(K, 2.0 * rhoMax);
    bool done = true;
    for (std::size_t i = 0; i < m && done; ++i) done = beyond <= 0.1 * budget[i] || budget[i] == 0.0;
    if (done) break;
  }
  const double beyond = tail(K, 2.0 * rhoMax);
  auto settled = [&](std::size_t i) {
    return (sums.er[i] + beyond <= budget[i] && sums.ei[i] + beyond <= budget[i] && std::isfinite(budget[i])) ||
           (sums.sr[i] == 0.0 && sums.si[i] == 0.0);
  };
  constexpr int kRounds = 6;
  for (int round = 0; round < kRounds; ++round) {
    total();
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < m; ++i)
      if (!settled(i)) missing.push_back(i);
    if (missing.empty() || panels.size() >= static_cast<std::size_t>(kMaxPanels)) break;
    const double share = 1.0 / static_cast<double>(panels.size());
    std::vector<Panel> next;
    for (Panel& q : panels) {
      bool split = false;
      for (std::size_t i : missing) split = split || std::max(q.er[i], q.ei[i]) > share * (budget[i] - beyond);
      if (!split) {
        next.push_back(std::move(q));
        continue;
      }
      const double mid = 0.5 * (q.a + q.b);
      next.push_back(integrate(q.a, mid));
      next.push_back(integrate(mid, q.b));
    }
    panels = std::move(next);
  }
  total();
  const double g = static_cast<double>(kPi * kMu0 * models_detail::PairTurnsFactor(a, b)) / R2;
  for (std::size_t i = 0; i < m; ++i) {
    trusted[i] = settled(i);
    out[i] = Cmplx(sums.sr[i] * g, sums.si[i] * g);
  }
}

}  // namespace veldo::batch_detail
