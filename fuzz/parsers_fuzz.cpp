// Fuzz target: the number parsers of the Compute command on any bytes.
//
// Oracle: the C library's strtod/strtoll in the "C" locale. Whatever the grammar accepts is a
// plain decimal number, so strtod must read the same text whole and give the same double
// (both round correctly); and every plain decimal text that strtod reads whole to a finite
// double, without a range error, must be accepted. The integer parser must agree with strtoll
// on decimal texts and stay within 32 bits. The strict parser with a locale separator must
// read text without that separator exactly as the plain one does.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "app/parse.hpp"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "parsers_fuzz: %s on \"", what);
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\')
      std::fputc(c, stderr);
    else
      std::fprintf(stderr, "\\x%02X", c);
  }
  std::fprintf(stderr, "\"\n");
  std::abort();
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// [sign] digits [. digits] [(e|E) [sign] digits], at least one mantissa digit: the texts both
// sides call a plain decimal number (strtod also reads hexadecimal, "inf" and "nan").
bool PlainDecimal(std::string_view s) {
  std::size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t e = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++e;
    if (e == 0) return false;
  }
  return i == s.size();
}

bool SameDouble(double a, double b) {
  return a == b && std::signbit(a) == std::signbit(b);
}

// strtod on a plain decimal text: the value, or nothing on a range error.
bool Reference(const std::string& body, double& value) {
  errno = 0;
  char* end = nullptr;
  value = std::strtod(body.c_str(), &end);
  if (end != body.c_str() + body.size()) return false;
  return errno != ERANGE && std::isfinite(value);
}

void CheckReal(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && IsSpace(text[start])) ++start;
  const std::string body = text.substr(start);
  const bool plain = PlainDecimal(body);

  const std::optional<double> lenient = veldo::ParseLenientReal(text);
  if (lenient) {
    if (!plain) Fail("lenient parser accepted a text outside its grammar", text);
    if (!std::isfinite(*lenient)) Fail("lenient parser gave a non-finite value", text);
    double ref = 0;
    if (Reference(body, ref) && !SameDouble(ref, *lenient))
      Fail("lenient parser differs from strtod", text);
  } else if (plain) {
    double ref = 0;
    if (Reference(body, ref)) Fail("lenient parser refused a number strtod reads", text);
  }

  // Strict parser: spaces on both sides, "." as the point.
  std::size_t stop = body.size();
  while (stop > 0 && IsSpace(body[stop - 1])) --stop;
  const std::string core = body.substr(0, stop);
  const std::optional<double> strict = veldo::ParseStrictReal(text, ".");
  if (strict) {
    if (!PlainDecimal(core)) Fail("strict parser accepted a text outside its grammar", text);
    if (!std::isfinite(*strict)) Fail("strict parser gave a non-finite value", text);
    double ref = 0;
    if (Reference(core, ref) && !SameDouble(ref, *strict))
      Fail("strict parser differs from strtod", text);
  } else if (PlainDecimal(core)) {
    double ref = 0;
    if (Reference(core, ref)) Fail("strict parser refused a number strtod reads", text);
  }

  // A locale separator that the text does not contain changes nothing.
  for (const char* sep : {",", "\xD9\xAB" /* U+066B ARABIC DECIMAL SEPARATOR */}) {
    const std::optional<double> local = veldo::ParseStrictReal(text, sep);
    if (text.find(sep) == std::string::npos) {
      if (local.has_value() != strict.has_value() || (local && !SameDouble(*local, *strict)))
        Fail("strict parser with an absent locale separator differs", text);
    } else if (local && !std::isfinite(*local)) {
      Fail("strict parser with a locale separator gave a non-finite value", text);
    }
  }
}

void CheckInt(const std::string& text) {
  const std::optional<int> v = veldo::ParseLenientInt(text);
  std::size_t start = 0;
  while (start < text.size() && IsSpace(text[start])) ++start;
  const std::string body = text.substr(start);
  // Decimal texts only: [sign] digits.
  std::size_t i = (!body.empty() && (body[0] == '+' || body[0] == '-')) ? 1 : 0;
  const bool decimal = i < body.size() &&
                       body.find_first_not_of("0123456789", i) == std::string::npos;
  if (!decimal) return;
  errno = 0;
  char* end = nullptr;
  const long long ref = std::strtoll(body.c_str(), &end, 10);
  const bool fits = errno != ERANGE && end == body.c_str() + body.size() && ref >= INT_MIN &&
                    ref <= INT_MAX;
  if (fits != v.has_value()) Fail("integer parser and strtoll disagree on acceptance", text);
  if (v && *v != ref) Fail("integer parser differs from strtoll", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // strtod stops at a NUL; our parsers see the whole text, so such texts get no oracle.
  if (text.find('\0') == std::string::npos) {
    CheckReal(text);
    CheckInt(text);
  } else {
    (void)veldo::ParseLenientReal(text);
    (void)veldo::ParseLenientInt(text);
    (void)veldo::ParseStrictReal(text, ",");
  }
  return 0;
}
