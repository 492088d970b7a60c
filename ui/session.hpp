// app/session_format.hpp for files that see Qt's headers (ui/problem_sweep_qt.hpp says why).
#pragma once

#include "ui/problem_sweep_qt.hpp"
#include "app/session_format.hpp"
