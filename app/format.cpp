#include "app/format.hpp"

#include <cstdio>

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

}  // namespace veldo
