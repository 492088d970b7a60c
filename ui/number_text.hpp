// Number texts of the window's own dialogs: the general decimal text of a value, its short
// form for the six-character fields of the Axes Limits dialog, the reading of those fields
// back, and the full-stop rule of error messages. No toolkit here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldo {

// Decimal text with at most `digits` significant digits (1..17), trailing zeros dropped:
// plain notation for decimal exponents from -5 up to digits - 1, otherwise mantissa, "E" and
// exponent ("1.5E-7", "2E20"). Zero is "0".
std::string GeneralText(double value, int digits = 15);

// The text of a value in at most `width` characters without changing its magnitude:
// significant digits are dropped (rounded), the sign and the exponent are always kept. Only
// where no such text fits (a negative value with a three-digit exponent in six characters)
// is the result longer than `width`.
std::string ShortText(double value, std::size_t width = 6);

// Reads a field: optional spaces, an optional sign, digits with "." as the decimal point, an
// optional exponent, optional spaces. Empty text, anything else, and values that are not
// finite numbers are refused.
std::optional<double> ParseFieldValue(std::string_view text);

// "'%s' is not a valid floating point value" for a field's text.
std::string NotAFloatMessage(std::string_view text);

// An error message as the error box shows it: a full stop is appended when the text ends in a
// letter or a digit.
std::string ErrorText(std::string_view text);

}  // namespace veldo
