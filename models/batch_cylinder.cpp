// The batch engine's cylinder kernel: a coil coaxial with a bore or a rod, many stacks and
// frequencies on one set of panels. The coil factor and, when the points share the surface
// radius, the air's Bessel pairs are formed once per node. A point whose stack is one material
// (a bore in a half-space, a solid rod) needs only the ratio K1/K0 or I1/I0 of the material's
// argument; those are computed here for all such points at a node together, in vectorised
// loops (Steed's continued fraction, Miller's recurrence, Hankel's expansions). Shells take
// Amos' complex Bessel functions per point and node (models/cylinder_media.hpp, as the
// adaptive path forms them), and so do arguments below kRatioSmall.
#include <algorithm>
#include <cmath>
#include <vector>

#include "models/batch_detail.hpp"
#include "models/cylinder_media.hpp"

namespace veldo::batch_detail {

namespace {

using namespace models_detail;

// The coefficients a_k(nu) = prod_{j=1..k} (4 nu^2 - (2j - 1)^2) / (k! 8^k) of Hankel's expansions
// for nu = 0, 1 (DLMF 10.40.1), to k = 20.
struct HankelCoefficients {
  double a[2][21] = {};
  constexpr HankelCoefficients() {
    for (int nu = 0; nu < 2; ++nu) {
      a[nu][0] = 1.0;
      for (int k = 1; k <= 20; ++k)
        a[nu][k] = a[nu][k - 1] * (4.0 * nu * nu - (2.0 * k - 1.0) * (2.0 * k - 1.0)) / (8.0 * k);
    }
  }
};
constexpr HankelCoefficients kHankel;

// The lanes' p = sum_{j=0..m} c[j] t^j (Horner) for complex t = tr + j ti.
VELDO_BATCH_INLINE void Horner(const double* c, int m, const double* tr, const double* ti, double* pr, double* pi) {
  for (int l = 0; l < kLanes; ++l) pr[l] = c[m], pi[l] = 0.0;
  for (int j = m - 1; j >= 0; --j)
    for (int l = 0; l < kLanes; ++l) {
      const double r = pr[l] * tr[l] - pi[l] * ti[l] + c[j];
      pi[l] = pr[l] * ti[l] + pi[l] * tr[l];
      pr[l] = r;
    }
}

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

// The ratios of the arguments list (places in z) a block of kLanes at a time by
// ratio(lanes, smallest |z|, largest |z|, zr, zi, qr, qi), a short block filled with its last one.
template <class Ratio>
void RatioBlocks(const std::vector<std::size_t>& list, const std::vector<double>& zr, const std::vector<double>& zi,
                 const std::vector<double>& za, std::vector<double>& qr, std::vector<double>& qi, Ratio ratio) {
  for (std::size_t s0 = 0; s0 < list.size(); s0 += kLanes) {
    const std::size_t cnt = std::min<std::size_t>(kLanes, list.size() - s0);
    double lr[kLanes], li[kLanes], outR[kLanes], outI[kLanes];
    double lo = HUGE_VAL, hi = 0.0;
    for (std::size_t l = 0; l < kLanes; ++l) {
      const std::size_t j = list[s0 + std::min(l, cnt - 1)];
      lr[l] = zr[j], li[l] = zi[j];
      lo = std::min(lo, za[j]), hi = std::max(hi, za[j]);
    }
    ratio(static_cast<int>(cnt), lo, hi, lr, li, outR, outI);
    for (std::size_t l = 0; l < cnt; ++l) qr[list[s0 + l]] = outR[l], qi[list[s0 + l]] = outI[l];
  }
}

}  // namespace

// Steed's algorithm for the continued fraction of K_{nu+1}/K_nu (Temme, J. Comput. Phys. 19
// (1975) 324; in complex arithmetic Thompson and Barnett, J. Comput. Phys. 64 (1986) 490; the
// steps as in Numerical Recipes' bessik, sec. 6.7) at nu = 0: h = 1/(b1 + a2/(b2 + a3/(b3 + ...)))
// with b_i = 2(z + i), a_i = -((i - 1/2)^2 - nu^2), and K1/K0 = 1 + (1/2 - h/4)/z. Its steps fall
// from about 110 at |z| = 0.5 to 6 at |z| = 20.
VELDO_BATCH_CLONES void RatioKSteed(int n, const double* zr, const double* zi, double* qr, double* qi) {
  double br[kLanes], bi[kLanes], dr[kLanes], di[kLanes], er[kLanes], ei[kLanes], hr[kLanes], hi[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    br[l] = 2.0 + 2.0 * zr[l], bi[l] = 2.0 * zi[l];
    Div(1.0, 0.0, br[l], bi[l], dr[l], di[l]);
    hr[l] = er[l] = dr[l], hi[l] = ei[l] = di[l];
  }
  double a = -0.25;
  for (int i = 2; i <= n; ++i) {
    a -= 2.0 * (i - 1);
    for (int l = 0; l < kLanes; ++l) {
      br[l] += 2.0;
      const double cr = br[l] + a * dr[l], ci = bi[l] + a * di[l];
      const double inv = 1.0 / (cr * cr + ci * ci);
      dr[l] = cr * inv, di[l] = -ci * inv;
      const double fr = br[l] * dr[l] - bi[l] * di[l] - 1.0, fi = br[l] * di[l] + bi[l] * dr[l];
      const double nr = er[l] * fr - ei[l] * fi, ni = er[l] * fi + ei[l] * fr;
      er[l] = nr, ei[l] = ni;
      hr[l] += nr, hi[l] += ni;
    }
  }
  for (int l = 0; l < kLanes; ++l) {
    double tr, ti;
    Div(0.5 - 0.25 * hr[l], -0.25 * hi[l], zr[l], zi[l], tr, ti);
    qr[l] = 1.0 + tr, qi[l] = ti;
  }
}

// Miller's algorithm (Gautschi, SIAM Rev. 9 (1967) 24): y_{m-1} = (2m/z) y_m + y_{m+1} from
// y_{n+1} = 0, y_n = 1 down to y_0, I1/I0 = y_1/y_0 (the continued fraction of I1/I0 cut at
// order n). It needs about |z| + 10 steps; the values grow by at most 4^n n! for |z| >= 1/2.
VELDO_BATCH_CLONES void RatioIMiller(int n, const double* zr, const double* zi, double* qr, double* qi) {
  double wr[kLanes], wi[kLanes], ar[kLanes], ai[kLanes], cr[kLanes], ci[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    Div(1.0, 0.0, zr[l], zi[l], wr[l], wi[l]);
    ar[l] = 1.0, ai[l] = 0.0, cr[l] = 0.0, ci[l] = 0.0;  // y_m, y_{m+1}
  }
  for (int m = n; m >= 1; --m) {
    const double t = 2.0 * m;
    for (int l = 0; l < kLanes; ++l) {
      const double vr = t * (wr[l] * ar[l] - wi[l] * ai[l]) + cr[l];
      const double vi = t * (wr[l] * ai[l] + wi[l] * ar[l]) + ci[l];
      cr[l] = ar[l], ci[l] = ai[l], ar[l] = vr, ai[l] = vi;
    }
  }
  for (int l = 0; l < kLanes; ++l) Div(cr[l], ci[l], ar[l], ai[l], qr[l], qi[l]);
}

// Hankel's expansions (DLMF 10.40.2): K_nu(z) ~ (pi/2z)^(1/2) e^(-z) P_nu(1/z), P_nu(w) =
// sum a_k(nu) w^k, so K1/K0 = P_1(w)/P_0(w). At |z| >= 20 the terms to w^20 reach the rounding level.
VELDO_BATCH_CLONES void RatioKHankel(int m, const double* zr, const double* zi, double* qr, double* qi) {
  double wr[kLanes], wi[kLanes], p0r[kLanes], p0i[kLanes], p1r[kLanes], p1i[kLanes];
  for (int l = 0; l < kLanes; ++l) Div(1.0, 0.0, zr[l], zi[l], wr[l], wi[l]);
  Horner(kHankel.a[0], m, wr, wi, p0r, p0i);
  Horner(kHankel.a[1], m, wr, wi, p1r, p1i);
  for (int l = 0; l < kLanes; ++l) Div(p1r[l], p1i[l], p0r[l], p0i[l], qr[l], qi[l]);
}

// DLMF 10.40.5 for 0 <= arg z < pi/2: I_nu(z) ~ (2 pi z)^(-1/2) (e^z P_nu(-w) + j (-1)^nu e^(-z)
// P_nu(w)), so I1/I0 = (P_1(-w) - j E P_1(w)) / (P_0(-w) + j E P_0(w)), E = e^(-2z): the second
// terms are e^(-2 Re z) of the first, which at Re z >= 20/sqrt(2) still shows. P(+-w) = A(w^2)
// +- w B(w^2) from the even and odd coefficients.
VELDO_BATCH_CLONES void RatioIHankel(int m, const double* zr, const double* zi, double* qr, double* qi) {
  double even[2][11] = {}, odd[2][11] = {};
  for (int nu = 0; nu < 2; ++nu)
    for (int k = 0; k <= m; ++k) {
      double* half = k % 2 ? odd[nu] : even[nu];
      half[k / 2] = kHankel.a[nu][k];
    }
  double wr[kLanes], wi[kLanes], tr[kLanes], ti[kLanes], er[kLanes], ei[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    Div(1.0, 0.0, zr[l], zi[l], wr[l], wi[l]);
    tr[l] = wr[l] * wr[l] - wi[l] * wi[l], ti[l] = 2.0 * wr[l] * wi[l];
    RoundTrip(zr[l], zi[l], 1.0, er[l], ei[l]);
  }
  double p[2][2][2][kLanes];  // [nu][even, odd][re, im]
  for (int nu = 0; nu < 2; ++nu) {
    Horner(even[nu], m / 2, tr, ti, p[nu][0][0], p[nu][0][1]);
    Horner(odd[nu], (m - 1) / 2, tr, ti, p[nu][1][0], p[nu][1][1]);
  }
  for (int l = 0; l < kLanes; ++l) {
    double plus[2][2], minus[2][2];  // P_nu(w), P_nu(-w)
    for (int nu = 0; nu < 2; ++nu) {
      const double br = p[nu][1][0][l] * wr[l] - p[nu][1][1][l] * wi[l];
      const double bi = p[nu][1][0][l] * wi[l] + p[nu][1][1][l] * wr[l];
      plus[nu][0] = p[nu][0][0][l] + br, plus[nu][1] = p[nu][0][1][l] + bi;
      minus[nu][0] = p[nu][0][0][l] - br, minus[nu][1] = p[nu][0][1][l] - bi;
    }
    // j E P: (E P) rotated by a quarter turn.
    const double e0r = er[l] * plus[0][0] - ei[l] * plus[0][1], e0i = er[l] * plus[0][1] + ei[l] * plus[0][0];
    const double e1r = er[l] * plus[1][0] - ei[l] * plus[1][1], e1i = er[l] * plus[1][1] + ei[l] * plus[1][0];
    Div(minus[1][0] + e1i, minus[1][1] - e1r, minus[0][0] - e0i, minus[0][1] + e0r, qr[l], qi[l]);
  }
}

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
  // The points of one material, in the order of s b^2 (of |z| at every node when they share the
  // surface), so that a block of lanes holds similar arguments and similar step counts.
  std::vector<std::size_t> one;
  for (std::size_t i = 0; i < n; ++i)
    if (!dropped[i] && cond[idx[i]]->layers.size() == 1) one.push_back(i);
  const std::size_t m = one.size();
  std::vector<double> sOne(m), muOne(m);
  for (std::size_t j = 0; j < m; ++j) {
    const Layer& l = cond[idx[one[j]]]->layers[0];
    sOne[j] = SProduct(omega[one[j]], l.mur, l.sigma) * b[one[j]] * b[one[j]];
  }
  {
    std::vector<std::size_t> order(m);
    for (std::size_t j = 0; j < m; ++j) order[j] = j;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return sOne[x] < sOne[y]; });
    std::vector<std::size_t> sorted(m);
    for (std::size_t j = 0; j < m; ++j) sorted[j] = one[order[j]];
    one.swap(sorted);
  }
  std::vector<int> slot(n, -1);  // point i's place in `one`
  for (std::size_t j = 0; j < m; ++j) {
    const Layer& l = cond[idx[one[j]]]->layers[0];
    sOne[j] = SProduct(omega[one[j]], l.mur, l.sigma);
    muOne[j] = l.mur;
    slot[one[j]] = static_cast<int>(j);
  }
  std::vector<double> ar(m), ai(m), zr(m), zi(m), za(m), qr(m), qi(m);
  std::vector<std::size_t> mid, large;
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
      // The one-material points' ratios: K1/K0 (bore) or I1/I0 (rod) of z = alpha b.
      mid.clear();
      large.clear();
      for (std::size_t j = 0; j < m; ++j) {
        SqrtK2(k * k, sOne[j], ar[j], ai[j]);
        const double bj = b[one[j]];
        zr[j] = ar[j] * bj, zi[j] = ai[j] * bj;
        za[j] = std::sqrt(zr[j] * zr[j] + zi[j] * zi[j]);
      }
      for (std::size_t j = 0; j < m; ++j) {
        if (dropped[one[j]] || !(za[j] >= kRatioSmall)) continue;
        (za[j] < kRatioLarge ? mid : large).push_back(j);
      }
      RatioBlocks(mid, zr, zi, za, qr, qi, [rod](int, double lo, double hi, const double* r, const double* im, double* outR, double* outI) {
        if (rod)
          RatioIMiller(MillerSteps(hi), r, im, outR, outI);
        else
          RatioKSteed(SteedSteps(lo), r, im, outR, outI);
      });
      RatioBlocks(large, zr, zi, za, qr, qi, [rod](int, double lo, double, const double* r, const double* im, double* outR, double* outI) {
        if (rod)
          RatioIHankel(HankelTerms(lo), r, im, outR, outI);
        else
          RatioKHankel(HankelTerms(lo), r, im, outR, outI);
      });
      for (std::size_t i = 0; i < n; ++i) {
        vr[i] = vi[i] = 0.0;
        if (dropped[i]) continue;
        TComplex Yn, Yd;
        RealPairs own;
        const int j = slot[i];
        bool have = false;
        if (j >= 0 && za[j] >= kRatioSmall) {
          // Y = -(alpha/mu) K0/K1 (bore), (alpha/mu) I0/I1 (rod), as the pair Yn/Yd.
          Yn = rod ? Cmplx(ar[j], ai[j]) : Cmplx(-ar[j], -ai[j]);
          Yd = Cmplx(muOne[j] * qr[j], muOne[j] * qi[j]);
          have = true;
        }
        const bool ok = (have || media[i].Admittance(k, Yn, Yd)) &&
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
