// app/problem_sweep.hpp for files that see Qt's headers: the models name a constructor parameter
// `slots`, which Qt's keyword macro of that name would erase.
#pragma once

#pragma push_macro("slots")
#undef slots
#include "app/problem_sweep.hpp"
#pragma pop_macro("slots")
