// Cost of one ZBESI / ZBESK (N = 2, orders 0 and 1) at the arguments of the cylinder kernels,
// z = sqrt(k^2 + i omega mu sigma) r, and of one ZBESJ at the real arguments k r of the coil
// integrals. The argument k r is the benchmark's parameter.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>

#include "bessel/amos.hpp"

namespace {

// 100 kHz, 10 MS/m, non-magnetic, radius 5 mm: |z| from about 14 (k r = 1) to 51 (k r = 50),
// across the Miller (|z| < 21.78) and asymptotic regions.
std::complex<double> ModelArgument(double kr) {
  const double r = 5e-3;
  const double omegaMuSigma = 2.0 * M_PI * 1e5 * 1.2566370614359173e-06 * 1e7;
  const double k = kr / r;
  return std::sqrt(std::complex<double>(k * k, omegaMuSigma)) * r;
}

using Entry = void (*)(double, double, double, int, int, double*, double*, int&, int&);

template <Entry F>
void BM_Complex(benchmark::State& state) {
  const std::complex<double> z = ModelArgument(static_cast<double>(state.range(0)));
  double cyr[3], cyi[3];
  int nz, ierr;
  for (auto _ : state) {
    double zr = z.real(), zi = z.imag();
    benchmark::DoNotOptimize(zr);
    benchmark::DoNotOptimize(zi);
    F(zr, zi, 0.0, 1, 2, cyr, cyi, nz, ierr);
    benchmark::DoNotOptimize(cyr);
    benchmark::DoNotOptimize(cyi);
  }
  state.counters["|z|"] = std::abs(z);
}

void BM_ZBESJ_Real(benchmark::State& state) {
  double x = static_cast<double>(state.range(0));
  double cyr[3], cyi[3];
  int nz, ierr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    veldo::ZBESJ(x, 0.0, 0.0, 1, 2, cyr, cyi, nz, ierr);
    benchmark::DoNotOptimize(cyr);
  }
}

BENCHMARK(BM_Complex<veldo::ZBESI>)->Name("ZBESI_N2/kr")->Arg(1)->Arg(10)->Arg(50);
BENCHMARK(BM_Complex<veldo::ZBESK>)->Name("ZBESK_N2/kr")->Arg(1)->Arg(10)->Arg(50);
BENCHMARK(BM_ZBESJ_Real)->Name("ZBESJ_N2_real/x")->Arg(1)->Arg(10)->Arg(50);

}  // namespace

BENCHMARK_MAIN();
