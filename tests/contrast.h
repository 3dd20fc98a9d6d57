// How far apart two colours (0x00BBGGRR) are to the eye, from 1 (the same
// brightness) to 21 (black on white), as WCAG measures contrast: what the
// tests hold text to against what it stands on.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vorlane::test {

inline double RelativeLuminance(std::uint32_t colour) {
  const auto linear = [](std::uint32_t channel) {
    const double c = static_cast<double>(channel & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour) + 0.7152 * linear(colour >> 8) +
         0.0722 * linear(colour >> 16);
}

inline double ContrastRatio(std::uint32_t first, std::uint32_t second) {
  const double a = RelativeLuminance(first);
  const double b = RelativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace vorlane::test
