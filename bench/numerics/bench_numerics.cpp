// Cost of the quadrature itself, on integrands shaped like the eddy-current kernels
// (exponentially damped Bessel oscillation) but cheap to evaluate.
#include <benchmark/benchmark.h>

#include <cmath>

#include "numerics/complex.hpp"
#include "numerics/quadpack.hpp"

namespace {

void BM_QagiLaplaceJ0(benchmark::State& state) {
  const double epsrel = std::pow(10.0, -static_cast<double>(state.range(0)));
  int neval = 0;
  for (auto _ : state) {
    double r, e;
    int ier;
    veldo::QAGI([](double t) { return std::exp(-0.2 * t) * std::cyl_bessel_j(0.0, t); }, 0.0, 1, 0.0, epsrel, r, e,
                neval, ier);
    benchmark::DoNotOptimize(r);
  }
  state.counters["neval"] = neval;
}
BENCHMARK(BM_QagiLaplaceJ0)->Arg(4)->Arg(6)->Arg(8)->Arg(10);

void BM_ComplexKernelOps(benchmark::State& state) {
  // The operations of one planar kernel evaluation: a square root, two products, a quotient.
  veldo::TComplex z = veldo::Cmplx(3.0, 7.0);
  for (auto _ : state) {
    const veldo::TComplex s = veldo::CSqrt(z);
    const veldo::TComplex num = veldo::CSub(veldo::CScale(s, 2.0), z);
    const veldo::TComplex den = veldo::CAdd(veldo::CMul(s, s), z);
    benchmark::DoNotOptimize(veldo::CDiv(num, den));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ComplexKernelOps);

}  // namespace

BENCHMARK_MAIN();
