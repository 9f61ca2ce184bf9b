#include "ui/design/position.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace sv::design {

namespace {

// Beyond this no window system can place a window; such a value cannot have
// come from Form_Unload, and flooring it would overflow a pixel coordinate.
constexpr double kLimit = 1e9;

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

std::optional<double> readStoredTwips(std::string_view text) {
  // std::from_chars, not strtod: the C locale's rules whatever the process
  // locale, and the whole text must be the number.
  std::string number(trimmed(text));
  if (number.empty()) return std::nullopt;
  if (number.front() == '+') number.erase(0, 1);
  if (number.find('.') == std::string::npos) {
    const std::size_t comma = number.find(',');
    if (comma != std::string::npos) number[comma] = '.';
  }
  double value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > kLimit) return std::nullopt;
  return std::floor(value);
}

std::string storedTwipsText(double twips) {
  float value = static_cast<float>(twips);
  if (value == 0) value = 0;  // never "-0"
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
  return std::string(text, result.ptr);
}

}  // namespace sv::design
