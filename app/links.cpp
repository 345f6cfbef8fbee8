#include "app/links.h"

namespace app {

constexpr std::string_view kMakerAddress = KEYMINT_MAKER_URL;
constexpr std::string_view kAdviceAddress =
    "https://www.cisa.gov/secure-our-world/use-strong-passwords";

extern const Link kMakerLink{kMakerAddress, host_of(kMakerAddress)};
extern const Link kAdviceLink{kAdviceAddress, host_of(kAdviceAddress)};

}  // namespace app
