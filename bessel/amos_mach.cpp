// Machine constants of the Bessel unit: the D1MACH/I1MACH tables.
#include "bessel/amos.hpp"

namespace veldo {}  // namespace veldo
