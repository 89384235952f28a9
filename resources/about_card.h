// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

// The lines lettered on the about card. The generator paints them and the About window reads them
// out to assistive technology, so both take them from here.
namespace resources::aboutCard {

inline constexpr std::string_view title = "Velmora Temperature Converter";
inline constexpr std::string_view version = "Version 1.0";
inline constexpr std::array<std::string_view, 4> credits = {
    "Written by Orla Vantreeve",
    "orla.vantreeve@example.org",
    "Lantern Quay, Velmora",
    "1999",
};

} // namespace resources::aboutCard
