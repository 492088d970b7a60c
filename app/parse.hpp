// Number parsers of the Compute command. The lenient ones read the common fields (accuracy and
// coil), the strict one the case fields. Both take "." as the decimal point whatever the locale;
// the strict one also takes the locale's own separator. Neither yields infinity or NaN: text
// that spells one, or a number too large for a double, is not a number here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldo {

// Leading spaces, an optional sign, a decimal mantissa ("12", "1.5", "1.", ".5") and an optional
// exponent ("e" or "E", optional sign, digits); nothing may follow. An empty field is no number.
std::optional<double> ParseLenientReal(std::string_view text);

// Leading spaces, an optional sign, then decimal digits, or hexadecimal digits after a "$", "x",
// "X", "0x" or "0X" prefix; nothing may follow, and the value must fit a 32-bit integer.
std::optional<int> ParseLenientInt(std::string_view text);

// Spaces allowed before and after; an optional sign, a decimal mantissa whose point is "." or
// `localeSeparator`, and an optional exponent.
std::optional<double> ParseStrictReal(std::string_view text, std::string_view localeSeparator);

// The decimal separator of the C library's current locale (LC_NUMERIC), "." in the "C" locale.
std::string LocaleDecimalSeparator();

}  // namespace veldo
