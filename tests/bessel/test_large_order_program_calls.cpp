// The calls the rest of the program makes (FNU = 0, KODE = 1, N = 1 and 2, Re z >= 0) return bit
// for bit what they returned before the large-order routines existed: those routines must not
// reach, nor change, the orders 0 and 1 (tests/data/bessel/large_order_program_calls.csv).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bessel/amos.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

std::uint64_t Pattern(const std::string& hex) { return std::strtoull(hex.c_str(), nullptr, 16); }

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(LargeOrderProgramCalls, OrdersZeroAndOneUnchangedBitForBit) {
  const test::CsvTable t = test::ReadCsv("bessel/large_order_program_calls.csv");
  ASSERT_EQ(t.rows.size(), 315u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const auto& row = t.rows[i];
    const double zr = t.num(i, t.col("zr")), zi = t.num(i, t.col("zi"));  // hexadecimal, exact
    auto f = row[t.col("func")] == "I" ? &ZBESI : row[t.col("func")] == "J" ? &ZBESJ : &ZBESK;
    SCOPED_TRACE(row[t.col("func")] + " z=(" + row[t.col("zr")] + ", " + row[t.col("zi")] + ")");
    double c1r[2] = {}, c1i[2] = {}, c2r[3] = {}, c2i[3] = {};
    int nz1 = -1, ierr1 = -1, nz2 = -1, ierr2 = -1;
    f(zr, zi, 0.0, 1, 1, c1r, c1i, nz1, ierr1);
    f(zr, zi, 0.0, 1, 2, c2r, c2i, nz2, ierr2);
    EXPECT_EQ(nz1, static_cast<int>(t.num(i, t.col("n1_nz"))));
    EXPECT_EQ(ierr1, static_cast<int>(t.num(i, t.col("n1_ierr"))));
    EXPECT_EQ(Bits(c1r[1]), Pattern(row[t.col("n1_r1")]));
    EXPECT_EQ(Bits(c1i[1]), Pattern(row[t.col("n1_i1")]));
    EXPECT_EQ(nz2, static_cast<int>(t.num(i, t.col("n2_nz"))));
    EXPECT_EQ(ierr2, static_cast<int>(t.num(i, t.col("n2_ierr"))));
    EXPECT_EQ(Bits(c2r[1]), Pattern(row[t.col("n2_r1")]));
    EXPECT_EQ(Bits(c2i[1]), Pattern(row[t.col("n2_i1")]));
    EXPECT_EQ(Bits(c2r[2]), Pattern(row[t.col("n2_r2")]));
    EXPECT_EQ(Bits(c2i[2]), Pattern(row[t.col("n2_i2")]));
  }
}

}  // namespace
}  // namespace veldo
