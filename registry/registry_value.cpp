#include "registry/registry_value.h"

namespace registry {

std::string to_text(const Variant& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& text) const { return text; }
        std::string operator()(std::int16_t number) const { return std::to_string(number); }
        std::string operator()(std::int32_t number) const { return std::to_string(number); }
        std::string operator()(const ByteArray& bytes) const {
            return std::string(bytes.begin(), bytes.end());
        }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace registry
