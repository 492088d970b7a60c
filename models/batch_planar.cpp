// The batch engine's panels, per-point sums and planar kernel: the reflection coefficient of every
// point's stack at one node in loops over arrays of doubles. This file is compiled with loop
// vectorisation and without the assumption that floating-point operations may trap (the selects
// of its elementary functions form both sides); nothing here reads the fault flags, and a
// non-finite value anywhere fails a point's check (batch_engine.cpp redoes it adaptively).
#include <algorithm>
#include <cmath>
#include <vector>

#include "coilint/coilint.hpp"
#include "models/batch_detail.hpp"
#include "models/model_driver.hpp"

namespace veldo::batch_detail {

void PanelNodes(double a, double b, Node nodes[kNodes]) {
  using veldo::detail::WG;
  using veldo::detail::WGK;
  using veldo::detail::XGK;
  const double c = 0.5 * (a + b), h = 0.5 * (b - a);
  for (int j = 1; j <= 7; ++j) {
    nodes[j - 1] = Node{c - h * XGK[j], h * WGK[j], h * WG[j]};
    nodes[kNodes - j] = Node{c + h * XGK[j], h * WGK[j], h * WG[j]};
  }
  nodes[7] = Node{c, h * WGK[8], h * WG[8]};
}

void PanelSums::Resize(std::size_t n) {
  for (auto* v : {&kr, &ki, &gr, &gi, &sr, &si, &er, &ei}) v->assign(n, 0.0);
}

VELDO_BATCH_CLONES void PanelSums::Add(std::size_t n, double wk, double wg, const double* vr, const double* vi) {
  double* __restrict Kr = kr.data();
  double* __restrict Ki = ki.data();
  double* __restrict Gr = gr.data();
  double* __restrict Gi = gi.data();
  for (std::size_t i = 0; i < n; ++i) {
    Kr[i] += wk * vr[i];
    Ki[i] += wk * vi[i];
  }
  if (wg != 0.0)
    for (std::size_t i = 0; i < n; ++i) {
      Gr[i] += wg * vr[i];
      Gi[i] += wg * vi[i];
    }
}

VELDO_BATCH_CLONES void PanelSums::Close(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    sr[i] += kr[i];
    si[i] += ki[i];
    er[i] += std::fabs(kr[i] - gr[i]);
    ei[i] += std::fabs(ki[i] - gi[i]);
    kr[i] = ki[i] = gr[i] = gi[i] = 0.0;
  }
}

bool PanelSums::Trusted(std::size_t i, double Acc, double tail) const {
  const double budget = kTrust * Acc * std::hypot(sr[i], si[i]);
  return std::isfinite(budget) && er[i] + tail <= budget && ei[i] + tail <= budget;
}

namespace {

using models_detail::IntPow;
using models_detail::kMu0;
using models_detail::kPi;
using models_detail::Omega;
using models_detail::SProduct;

// (num, den) <- (P num e + M den, M num e + P den) with e the round trip of the layer of alpha
// (a) and thickness d, brought back to |Re den| + |Im den| = 1.
VELDO_BATCH_INLINE void Step(double ar, double ai, double d, double Mr, double Mi, double Pr, double Pi, double& nr,
                 double& ni, double& dr, double& di) {
  double er, ei;
  RoundTrip(ar, ai, d, er, ei);
  StepAcross(er, ei, Mr, Mi, Pr, Pi, nr, ni, dr, di);
}

// The reflection coefficient rho(k) of every point's stack (planar_stack.hpp's recursion, in
// real arithmetic, the pair (num, den) renormalised by a real factor at each interface).
VELDO_BATCH_CLONES void ReflectionColumns(const PlanarColumns& c_, std::size_t shared_, double k, double* __restrict ar,
                                        double* __restrict ai, double* __restrict nr, double* __restrict ni,
                                        double* __restrict dr, double* __restrict di, double* __restrict rr,
                                        double* __restrict ri) {
  const std::size_t n = c_.n, L = c_.layers;
  const double k2 = k * k;
  const double* s = c_.s.data();
  const double* mu = c_.mu.data();
  const double* d = c_.d.data();
  if (L == 1) {
    for (std::size_t i = 0; i < n; ++i) {
      double a, b;
      SqrtK2(k2, s[i], a, b);
      const double km = k * mu[i];
      Div(km - a, -b, km + a, b, rr[i], ri[i]);
    }
    return;
  }
  // The bottom interface: alpha of layer L-1 (below) and L-2 (above).
  std::size_t cnt = shared_ + 2 <= L ? 1 : n;  // the points the step is formed for
  {
    const double* sb = s + (L - 1) * n;
    const double* mb = mu + (L - 1) * n;
    const double* sa = s + (L - 2) * n;
    const double* ma = mu + (L - 2) * n;
    for (std::size_t i = 0; i < cnt; ++i) {
      double br, bi, xr, xi;
      SqrtK2(k2, sb[i], br, bi);
      SqrtK2(k2, sa[i], xr, xi);
      // num = a mu_b - b mu_a, den = a mu_b + b mu_a
      nr[i] = xr * mb[i] - br * ma[i];
      ni[i] = xi * mb[i] - bi * ma[i];
      dr[i] = xr * mb[i] + br * ma[i];
      di[i] = xi * mb[i] + bi * ma[i];
      ar[i] = xr;
      ai[i] = xi;
    }
  }
  // Layer j's round trip e = exp(-2 alpha_j d_j), then the interface above layer j: between
  // layers j-1 and j, or (j = 0) the air's, alpha0 = k and mu0 = 1.
  for (std::size_t j = L - 1; j-- > 0;) {
    if (cnt == 1 && !(j >= shared_ + 1)) {  // from here on the points differ
      cnt = n;
      std::fill(nr + 1, nr + n, nr[0]), std::fill(ni + 1, ni + n, ni[0]);
      std::fill(dr + 1, dr + n, dr[0]), std::fill(di + 1, di + n, di[0]);
      std::fill(ar + 1, ar + n, ar[0]), std::fill(ai + 1, ai + n, ai[0]);
    }
    const double* dj = d + j * n;
    const double* mb = mu + j * n;
    if (j >= 1) {
      const double* sa = s + (j - 1) * n;
      const double* ma = mu + (j - 1) * n;
      for (std::size_t i = 0; i < cnt; ++i) {
        double xr, xi;
        SqrtK2(k2, sa[i], xr, xi);
        const double Mr = xr * mb[i] - ar[i] * ma[i], Mi = xi * mb[i] - ai[i] * ma[i];
        const double Pr = xr * mb[i] + ar[i] * ma[i], Pi = xi * mb[i] + ai[i] * ma[i];
        Step(ar[i], ai[i], dj[i], Mr, Mi, Pr, Pi, nr[i], ni[i], dr[i], di[i]);
        ar[i] = xr, ai[i] = xi;
      }
    } else {
      for (std::size_t i = 0; i < cnt; ++i) {
        const double km = k * mb[i];
        Step(ar[i], ai[i], dj[i], km - ar[i], -ai[i], km + ar[i], ai[i], nr[i], ni[i], dr[i], di[i]);
      }
    }
  }
  for (std::size_t i = 0; i < n; ++i) Div(nr[i], ni[i], dr[i], di[i], rr[i], ri[i]);
}


// The planar coil factor without its height: (1 - e^(-kL))^2 J(k)^2 / k^6 (the lift-off's
// e^(-2kh) is the point's), in extended precision as the adaptive path forms it; for a drive a
// and a pickup b, (1 - e^(-k L_a))(1 - e^(-k L_b)) J_a(k) J_b(k) / k^6.
double PlanarCoilFactor(const Coil& c, double k) {
  const long double kk = k;
  const long double D = -std::expm1(-kk * c.L);
  const long double J = CoilIntJ(k * c.R1, k * c.R2);
  return static_cast<double>(D * D * (J * J / IntPow(kk, 6)));
}
double PlanarCoilFactor(const Coil& a, const Coil& b, double k) {
  const long double kk = k;
  const long double Ja = CoilIntJ(k * a.R1, k * a.R2), Jb = CoilIntJ(k * b.R1, k * b.R2);
  return static_cast<double>(std::expm1(-kk * a.L) * std::expm1(-kk * b.L) * (Ja * Jb / IntPow(kk, 6)));
}

// A bound of |the planar kernel| beyond kappa = K, integrated to infinity, in kappa units: with
// |rho| <= 1 (a passive stack), 1 - e^(-kL) <= 1 and |J| <= c sqrt(kappa) + 1.5, c = 0.8 (1 +
// sqrt(R1/R2)) (|t J0(t)| <= sqrt(2t/pi); the running integral of J0 lies between 0 and 1.4703),
//   R2^6 e^(-beta K) (c^2 / (4 K^4) + 3c / (4.5 K^4.5) + 2.25 / (5 K^5)),  beta = 2h/R2.
// For a drive and a pickup, c and R2 are the larger of the two (|J| <= c sqrt(k R2) + 1.5 for
// each, with R2 the outer radius of the wider winding as the kappa unit).
struct PlanarTail {
  double c, r6;
  PlanarTail(const Coil& a, const Coil& b)
      : c(0.8 * (1.0 + std::sqrt(std::max(a.R1 / a.R2, b.R1 / b.R2)))),
        r6(static_cast<double>(IntPow(std::max(a.R2, b.R2), 6))) {}
  double At(double K, double beta) const {
    const double K4 = K * K * K * K;
    return r6 * std::exp(-beta * K) *
           (c * c / (4.0 * K4) + 3.0 * c / (4.5 * K4 * std::sqrt(K)) + 2.25 / (5.0 * K4 * K));
  }
};

// v = C e^(-2 k h_i) rho_i (rho at stride 0: one stack for all points).
VELDO_BATCH_CLONES void HeightProducts(std::size_t n, double k, double C, const double* __restrict h,
                                       const double* __restrict rr, const double* __restrict ri, std::size_t stride,
                                       double* __restrict vr, double* __restrict vi) {
  for (std::size_t i = 0; i < n; ++i) {
    const double e = C * ExpNonPositive(-2.0 * k * h[i]);
    vr[i] = e * rr[i * stride];
    vi[i] = e * ri[i * stride];
  }
}

}  // namespace

PlanarKernel::PlanarKernel(const PlanarColumns& c, std::size_t shared) : c_(c), shared_(shared) {
  for (auto* v : {&ar_, &ai_, &nr_, &ni_, &dr_, &di_}) v->resize(c.n);
}

void PlanarKernel::Reflection(double k, double* rr, double* ri) {
  ReflectionColumns(c_, shared_, k, ar_.data(), ai_.data(), nr_.data(), ni_.data(), dr_.data(), di_.data(), rr, ri);
}

PlanarColumns StackColumns(std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                           std::span<const double> f, std::vector<double>& omega) {
  const std::size_t n = idx.size();
  PlanarColumns col;
  col.n = n;
  col.layers = cond[idx[0]]->layers.size();
  col.s.resize(col.layers * n);
  col.mu.resize(col.layers * n);
  col.d.resize(col.layers * n);
  omega.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Conductor& c = *cond[idx[i]];
    omega[i] = Omega(f[idx[i]]);
    for (std::size_t l = 0; l < col.layers; ++l) {
      col.s[l * n + i] = SProduct(omega[i], c.layers[l].mur, c.layers[l].sigma);
      col.mu[l * n + i] = c.layers[l].mur;
      col.d[l * n + i] = l + 1 < col.layers ? c.layers[l].thickness : 0.0;
    }
  }
  return col;
}

std::size_t SharedFrom(const PlanarColumns& col) {
  const std::size_t n = col.n;
  std::size_t shared = col.layers;
  while (shared > 0) {
    const std::size_t l = shared - 1;
    bool same = true;
    for (std::size_t i = 1; i < n && same; ++i)
      same = col.s[l * n + i] == col.s[l * n] && col.mu[l * n + i] == col.mu[l * n] && col.d[l * n + i] == col.d[l * n];
    if (!same) break;
    --shared;
  }
  return shared;
}

void PlanarChunk(const Coil& drive, const Coil& pickup, std::span<const std::size_t> idx,
                 std::span<const Conductor* const> cond, std::span<const double> f, double Acc,
                 std::span<Impedance> out, std::vector<char>& trusted) {
  const bool self = &drive == &pickup;
  const Coil& coil = drive;
  const std::size_t n = idx.size();
  std::vector<double> omega;
  const PlanarColumns col = StackColumns(idx, cond, f, omega);
  // h: the mean height of the two windings' lower faces, so that e^(-2kh) = e^(-k(h_a + h_b)).
  std::vector<double> h(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Conductor& c = *cond[idx[i]];
    h[i] = self ? c.position + coil.z : c.position + 0.5 * (drive.z + pickup.z);
  }
  // Which factors the points share: the lift-off (a conductivity or frequency sweep), or the
  // stack and frequency (a lift-off sweep).
  bool sameH = true, sameMedia = true;
  for (std::size_t i = 1; i < n; ++i) {
    sameH = sameH && h[i] == h[0];
    for (std::size_t l = 0; l < col.layers; ++l)
      sameMedia = sameMedia && col.s[l * n + i] == col.s[l * n] && col.mu[l * n + i] == col.mu[l * n] &&
                  col.d[l * n + i] == col.d[l * n];
  }
  // The grid: graded from the smallest feature of the batch up to kappa = 1, then panels no wider
  // than the oscillation of J^2 and the decay of the highest point allow.
  const double R2 = std::max(drive.R2, pickup.R2);
  double hMin = h[0], hMax = h[0];
  for (double v : h) hMin = std::min(hMin, v), hMax = std::max(hMax, v);
  double smallest = std::min(1.0, R2 / std::max(drive.L, pickup.L));
  if (hMax > 0) smallest = std::min(smallest, R2 / (2.0 * hMax));
  for (std::size_t j = 0; j < col.s.size(); ++j) {
    if (col.s[j] > 0) smallest = std::min(smallest, R2 * std::sqrt(col.s[j]));
    if (col.d[j] > 0) smallest = std::min(smallest, R2 / (2.0 * col.d[j]));
  }
  const double decay = hMin > 0 ? R2 / (2.0 * hMin) : 1e300;
  Grid grid(smallest, decay);

  PlanarColumns one;  // the shared stack, when the points share it
  if (sameMedia) {
    one.n = 1;
    one.layers = col.layers;
    for (std::size_t l = 0; l < col.layers; ++l) {
      one.s.push_back(col.s[l * n]);
      one.mu.push_back(col.mu[l * n]);
      one.d.push_back(col.d[l * n]);
    }
  }
  const std::size_t shared = SharedFrom(col);
  PlanarKernel kernel(sameMedia ? one : col, sameMedia ? 1 : shared);
  const std::size_t nm = sameMedia ? 1 : n;
  std::vector<double> rr(nm), ri(nm), vr(n), vi(n);
  PanelSums sums;
  sums.Resize(n);
  const PlanarTail tail(drive, pickup);
  std::vector<double> beta(n);
  for (std::size_t i = 0; i < n; ++i) beta[i] = 2.0 * h[i] / R2;
  Node nodes[kNodes];
  double K = 0.0;
  for (int panel = 0; panel < kMaxPanels; ++panel) {
    const auto [a, b] = grid.Next();
    PanelNodes(a, b, nodes);
    for (const Node& node : nodes) {
      const double k = node.kappa / R2;
      const double C = self ? PlanarCoilFactor(coil, k) : PlanarCoilFactor(drive, pickup, k);
      kernel.Reflection(k, rr.data(), ri.data());
      if (sameH) {
        const double w = C * std::exp(-2.0 * k * h[0]);
        if (sameMedia)  // the points differ only in the frequency's prefactor
          std::fill(vr.begin(), vr.end(), w * rr[0]), std::fill(vi.begin(), vi.end(), w * ri[0]);
        else
          for (std::size_t i = 0; i < n; ++i) vr[i] = w * rr[i], vi[i] = w * ri[i];
      } else {
        HeightProducts(n, k, C, h.data(), rr.data(), ri.data(), sameMedia ? 0 : 1, vr.data(), vi.data());
      }
      sums.Add(n, node.wk, node.wg, vr.data(), vi.data());
    }
    sums.Close(n);
    K = b;
    if (K < 2.0) continue;
    bool done = true;
    // A point whose kernel vanishes identically (no conductor: every layer sigma = 0, mu = 1) has
    // no relative accuracy to reach; it does not hold the grid back (the adaptive path takes it).
    for (std::size_t i = 0; i < n && done; ++i)
      done = sums.Trusted(i, Acc, tail.At(K, beta[i])) || (sums.sr[i] == 0.0 && sums.si[i] == 0.0);
    if (done) break;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t p = idx[i];
    // No conductor (every layer sigma = 0 and mu = 1): rho = 0 at every node, dZ = 0 exactly.
    bool vacuum = true;
    for (std::size_t l = 0; l < col.layers; ++l) vacuum = vacuum && col.s[l * n + i] == 0.0 && col.mu[l * n + i] == 1.0;
    trusted[p] = vacuum || sums.Trusted(i, Acc, tail.At(K, beta[i]));
    const double q = self ? models_detail::TurnsFactor(coil.N, coil.R1, coil.R2, coil.L)
                          : models_detail::PairTurnsFactor(drive, pickup);
    // dZ = j pi omega mu0 q S, S = S_kappa / R2
    const double sr = sums.sr[i] / R2, si = sums.si[i] / R2;
    const double g = static_cast<double>(kPi * omega[i] * kMu0);
    out[p].dR = -si * q * g;
    out[p].dX = sr * q * g;
    out[p].Ier = 0;
  }
}

}  // namespace veldo::batch_detail
