#pragma once

#include <string_view>

namespace app {

// A web address shown on a link label, with the host name the label displays.
struct Link {
    std::string_view address;
    std::string_view host;
};

constexpr std::string_view host_of(std::string_view address) {
    auto scheme_end = address.find("://");
    if (scheme_end != std::string_view::npos) {
        address.remove_prefix(scheme_end + 3);
    }
    return address.substr(0, address.find('/'));
}

// The maker's page; a packager sets it with the KEYMINT_MAKER_URL build setting.
extern const Link kMakerLink;
// Advice on strong passwords.
extern const Link kAdviceLink;

}  // namespace app
