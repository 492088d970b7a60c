#include "ui/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace veldo {

namespace {

struct Decimal {
  bool negative = false;
  std::string digits;  // significant digits, no trailing zeros, at least one
  int exponent = 0;    // of the first digit
};

Decimal Decompose(double value, int digits) {
  digits = std::clamp(digits, 1, 17);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", digits - 1, value);
  Decimal d;
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p != 'E' && *p != '\0'; ++p)
    if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
  if (*p == 'E') d.exponent = std::atoi(p + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string Scientific(const Decimal& d) {
  std::string s = d.negative ? "-" : "";
  s += d.digits[0];
  if (d.digits.size() > 1) s += "." + d.digits.substr(1);
  s += "E" + std::to_string(d.exponent);
  return s;
}

std::string Plain(const Decimal& d) {
  std::string s = d.negative ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    s += "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
  } else if (d.exponent + 1 >= n) {
    s += d.digits + std::string(static_cast<std::size_t>(d.exponent + 1 - n), '0');
  } else {
    s += d.digits.substr(0, static_cast<std::size_t>(d.exponent + 1)) + "." +
         d.digits.substr(static_cast<std::size_t>(d.exponent + 1));
  }
  return s;
}

bool NonFinite(double value, std::string* text) {
  if (value == 0.0) *text = "0";
  else if (std::isnan(value)) *text = "NAN";
  else if (std::isinf(value)) *text = value < 0 ? "-INF" : "INF";
  else return false;
  return true;
}

}  // namespace

std::string GeneralText(double value, int digits) {
  std::string special;
  if (NonFinite(value, &special)) return special;
  const Decimal d = Decompose(value, digits);
  if (d.exponent >= -5 && d.exponent < std::clamp(digits, 1, 17)) return Plain(d);
  return Scientific(d);
}

std::string ShortText(double value, std::size_t width) {
  std::string special;
  if (NonFinite(value, &special)) return special;
  for (int digits = 15; digits >= 1; --digits) {
    const std::string general = GeneralText(value, digits);
    if (general.size() <= width) return general;
    const std::string sci = Scientific(Decompose(value, digits));
    if (sci.size() <= width) return sci;
  }
  return Scientific(Decompose(value, 1));
}

std::optional<double> ParseFieldValue(std::string_view text) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
    return std::nullopt;
  for (char c : text)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
      return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                         std::chars_format::general);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::string NotAFloatMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string ErrorText(std::string_view text) {
  std::string s(text);
  if (!s.empty() && std::isalnum(static_cast<unsigned char>(s.back()))) s += '.';
  return s;
}

}  // namespace veldo
