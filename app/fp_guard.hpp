// Floating-point faults as the Compute command reports them. Internal to app/: the command and
// the evaluations beside it share it; nothing outside app/ includes it.
#pragma once

#include <functional>
#include <string_view>

namespace veldo {

// Floating-point faults that end a command, in the order they are reported when several flags
// are raised by one step.
enum class FpFault { None, DivByZero, Overflow, Invalid };

// "Floating point division by zero", "Floating point overflow", "Invalid floating point operation".
std::string_view FpFaultText(FpFault fault);

// The fault reported for a set of raised flags (FE_DIVBYZERO, FE_OVERFLOW, FE_INVALID): the first
// of division by zero, overflow, invalid operation.
FpFault FaultOf(int raised);

// Clears this thread's fault flags, runs `step` and returns the fault flags it raised.
int RaisedBy(const std::function<void()>& step);

// Clears the fault flags, runs `step`, and tells which fault (if any) it raised.
inline FpFault RunGuarded(const std::function<void()>& step) { return FaultOf(RaisedBy(step)); }

}  // namespace veldo
