#include "app/fp_guard.hpp"

#include <cfenv>

namespace veldo {

namespace {
constexpr int kFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
}  // namespace

std::string_view FpFaultText(FpFault fault) {
  switch (fault) {
    case FpFault::DivByZero: return "Floating point division by zero";
    case FpFault::Overflow: return "Floating point overflow";
    case FpFault::Invalid: return "Invalid floating point operation";
    case FpFault::None: break;
  }
  return {};
}

FpFault FaultOf(int raised) {
  if (raised & FE_DIVBYZERO) return FpFault::DivByZero;
  if (raised & FE_OVERFLOW) return FpFault::Overflow;
  if (raised & FE_INVALID) return FpFault::Invalid;
  return FpFault::None;
}

int RaisedBy(const std::function<void()>& step) {
  std::feclearexcept(kFaultFlags);
  step();
  return std::fetestexcept(kFaultFlags);
}

}  // namespace veldo
