#include "app/parse.hpp"

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdint>
#include <string>
#include <system_error>

namespace veldo {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view SkipLeadingSpaces(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsSpace(s[i])) ++i;
  return s.substr(i);
}

std::string_view DropTrailingSpaces(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsSpace(s[n - 1])) --n;
  return s.substr(0, n);
}

// Parses the whole of `s` as [sign] mantissa [exponent] with "." as the point. The grammar is
// checked here; the digits are converted, correctly rounded, by std::from_chars. A value beyond
// the double range is rejected; one below the smallest subnormal reads as a zero of its sign.
std::optional<double> ParseDecimal(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  std::size_t intDigits = 0, fracDigits = 0;
  // Position of the first non-zero digit, in digits counted from the start of the mantissa,
  // to tell overflow from underflow when from_chars reports the value out of range.
  long long firstNonZero = -1, digitsSeen = 0, pointAt = -1;
  while (i < s.size() && IsDigit(s[i])) {
    if (firstNonZero < 0 && s[i] != '0') firstNonZero = digitsSeen;
    ++digitsSeen, ++intDigits, ++i;
  }
  if (i < s.size() && s[i] == '.') {
    pointAt = digitsSeen;
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      if (firstNonZero < 0 && s[i] != '0') firstNonZero = digitsSeen;
      ++digitsSeen, ++fracDigits, ++i;
    }
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  long long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      expNegative = s[i] == '-';
      ++i;
    }
    if (i >= s.size() || !IsDigit(s[i])) return std::nullopt;
    while (i < s.size() && IsDigit(s[i])) {
      if (exponent < 100000000) exponent = exponent * 10 + (s[i] - '0');  // saturates
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != s.size()) return std::nullopt;

  double value = 0.0;
  const char* first = s.data() + mantissaStart;
  const char* last = s.data() + s.size();
  const auto r = std::from_chars(first, last, value, std::chars_format::general);
  if (r.ptr != last) return std::nullopt;
  if (r.ec == std::errc::result_out_of_range) {
    if (firstNonZero < 0) return negative ? -0.0 : 0.0;  // all zeros: never out of range
    const long long point = pointAt < 0 ? digitsSeen : pointAt;
    const long long order = exponent + point - firstNonZero - 1;  // decimal exponent of the value
    if (order >= 0) return std::nullopt;                          // too large for a double
    return negative ? -0.0 : 0.0;                                 // below the subnormals
  }
  if (r.ec != std::errc()) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseLenientReal(std::string_view text) {
  return ParseDecimal(SkipLeadingSpaces(text));
}

std::optional<int> ParseLenientInt(std::string_view text) {
  std::string_view s = SkipLeadingSpaces(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto r = std::from_chars(s.data() + i, s.data() + s.size(), magnitude, base);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  // from_chars takes no sign of its own here (the sign was consumed above).
  if (s[i] == '+' || s[i] == '-') return std::nullopt;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return std::nullopt;
  const long long v =
      negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return static_cast<int>(v);
}

std::optional<double> ParseStrictReal(std::string_view text, std::string_view localeSeparator) {
  std::string_view s = DropTrailingSpaces(SkipLeadingSpaces(text));
  if (localeSeparator.empty() || localeSeparator == ".") return ParseDecimal(s);
  // Put "." in place of the first locale separator; the grammar then allows one point only.
  const std::size_t at = s.find(localeSeparator);
  if (at == std::string_view::npos) return ParseDecimal(s);
  if (s.find('.') != std::string_view::npos) return std::nullopt;  // both "." and "," is no number
  std::string copy;
  copy.reserve(s.size());
  copy.append(s.substr(0, at)).append(".").append(s.substr(at + localeSeparator.size()));
  return ParseDecimal(copy);
}

std::string LocaleDecimalSeparator() {
  const std::lconv* lc = std::localeconv();
  if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0') return ".";
  return lc->decimal_point;
}

}  // namespace veldo
