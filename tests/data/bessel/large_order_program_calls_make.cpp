// Writes large_order_program_calls.csv: the bit patterns of what the Bessel entry points return
// on the calls the rest of the program makes (FNU = 0, KODE = 1, N = 1 and 2; ZBESI, ZBESJ and
// ZBESK on a grid of Re z >= 0, |z| from 1e-3 to 700), taken from the build in which the
// large-order routines were still placeholders. The test compares the build of today with them:
// the large-order code must leave these calls bit for bit unchanged.
//
// Not part of the build. Made once with the placeholder library:
//   cmake --build build/besselx --target veldo_bessel
//   g++ -std=c++20 -O2 -ffp-contract=off -I. tests/data/bessel/large_order_program_calls_make.cpp \
//       build/besselx/bessel/libveldo_bessel.a -o /tmp/program_calls
//   /tmp/program_calls > tests/data/bessel/large_order_program_calls.csv
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "bessel/amos.hpp"

namespace {

using Entry = void (*)(double, double, double, int, int, double*, double*, int&, int&);

unsigned long long Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

}  // namespace

int main() {
  const struct {
    const char* name;
    Entry f;
  } entries[] = {{"I", &veldo::ZBESI}, {"J", &veldo::ZBESJ}, {"K", &veldo::ZBESK}};
  std::printf("# Bit patterns of ZBESI/ZBESJ/ZBESK(zr, zi, FNU = 0, KODE = 1, N) for N = 1 (n1_*)\n");
  std::printf("# and N = 2 (n2_*), from the build with the large-order placeholders, made by\n");
  std::printf("# large_order_program_calls_make.cpp. zr, zi in hexadecimal floating point; results\n");
  std::printf("# as the 64-bit patterns of the doubles (members 1 and 2 of CYR, CYI).\n");
  std::printf("func,zr,zi,n1_nz,n1_ierr,n1_r1,n1_i1,n2_nz,n2_ierr,n2_r1,n2_i1,n2_r2,n2_i2\n");
  const double pi = 3.14159265358979324;
  for (const auto& e : entries) {
    for (int j = 0; j <= 14; ++j) {
      // |z| from 1e-3 to 700 in equal logarithmic steps.
      const double r = std::pow(10.0, -3.0 + j * (std::log10(700.0) + 3.0) / 14.0);
      for (int a = -3; a <= 3; ++a) {
        const double th = a * pi / 6.0;
        const double zr = a == -3 || a == 3 ? 0.0 : r * std::cos(th);
        const double zi = a == 0 ? 0.0 : r * std::sin(th);
        double c1r[2] = {}, c1i[2] = {}, c2r[3] = {}, c2i[3] = {};
        int nz1 = 0, ierr1 = 0, nz2 = 0, ierr2 = 0;
        e.f(zr, zi, 0.0, 1, 1, c1r, c1i, nz1, ierr1);
        e.f(zr, zi, 0.0, 1, 2, c2r, c2i, nz2, ierr2);
        std::printf("%s,%a,%a,%d,%d,%016llx,%016llx,%d,%d,%016llx,%016llx,%016llx,%016llx\n", e.name,
                    zr, zi, nz1, ierr1, Bits(c1r[1]), Bits(c1i[1]), nz2, ierr2, Bits(c2r[1]),
                    Bits(c2i[1]), Bits(c2r[2]), Bits(c2i[2]));
      }
    }
  }
}
