#pragma once

#include <string_view>

namespace app {

// A web address shown on a link label, with the host name the label displays.
struct Link {
    std::string_view address;
    std::string_view host;
};

#ifndef KEYMINT_MAKER_URL
#define KEYMINT_MAKER_URL "https://keymint.example.org/"
#endif

constexpr std::string_view host_of(std::string_view address) {
    auto scheme_end = address.find("://");
    if (scheme_end != std::string_view::npos) {
        address.remove_prefix(scheme_end + 3);
    }
    return address.substr(0, address.find('/'));
}

inline constexpr Link kMakerLink{KEYMINT_MAKER_URL, host_of(KEYMINT_MAKER_URL)};
inline constexpr Link kAdviceLink{
    "https://www.cisa.gov/secure-our-world/use-strong-passwords",
    host_of("https://www.cisa.gov/secure-our-world/use-strong-passwords")};

}  // namespace app
