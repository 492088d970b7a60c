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

}  // namespace veldo
