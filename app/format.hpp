// Texts the Compute command shows: the air-coil label numbers and the error-box full stop.
#pragma once

#include <string>
#include <string_view>

namespace veldo {

// Fixed point with six decimals, "-" for negatives, padded on the left with spaces to 16
// characters; a longer text keeps its first 16 characters.
std::string LabelNumberText(double value);

// The text of an error box: a full stop is appended when it ends in a letter or a digit.
std::string ErrorBoxText(std::string_view text);

// The numbers of the curves' CSV, as veldo-cli prints them and the window exports them.
// %.17g: every double printed so that it reads back to itself.
std::string Number17(double v);
// The shortest text that reads back to the same double ("0.1", not "0.10000000000000001").
std::string ShortestNumber(double v);
// A swept value as the user would type it: the shortest text of `v` rounded to 15 significant
// digits, so that the binary sum From + i*Step (0.30000000000000004) prints as 0.3.
std::string SweptValueText(double v);

}  // namespace veldo
