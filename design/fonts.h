// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string_view>

// The family of the boxes' and the scale list's text: the designed one where the system has it,
// otherwise the one the program carries (Debian's Comic Neue Regular), which it registers for
// itself. Every front end decides it here.
namespace design::fonts {

inline constexpr std::string_view designedFamily = "Comic Sans MS";
inline constexpr std::string_view bundledFamily = "Comic Neue";

// installed(family) tells whether the system has a family; registerBundled() registers the
// bundled font for the process, which then has bundledFamily. An installed copy of the bundled
// font is the very same font, and spares the registration.
template <class Installed, class RegisterBundled>
std::string_view chooseTextFamily(Installed installed, RegisterBundled registerBundled) {
    for (const std::string_view family : std::array{designedFamily, bundledFamily}) {
        if (installed(family))
            return family;
    }
    registerBundled();
    return bundledFamily;
}

} // namespace design::fonts
