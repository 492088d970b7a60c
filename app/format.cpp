#include "app/format.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace veldo {

std::string LabelNumberText(double value) {
  // 309 integer digits at most for a finite double, a sign, a point and six decimals.
  char buffer[400];
  const int n = std::snprintf(buffer, sizeof buffer, "%16.6f", value);
  std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  if (text.size() > 16) text.resize(16);
  return text;
}

std::string ErrorBoxText(std::string_view text) {
  std::string s(text);
  if (!s.empty()) {
    const char c = s.back();
    const bool letterOrDigit =
        (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letterOrDigit) s += '.';
  }
  return s;
}

std::string Number17(double v) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ShortestNumber(double v) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, r.ptr);
}

std::string SweptValueText(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", v);
  return ShortestNumber(std::strtod(buffer, nullptr));
}

}  // namespace veldo
