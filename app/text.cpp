#include "app/text.h"

#include <cstdint>

namespace app {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0 when it is malformed.
std::size_t sequence_length(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::uint8_t lead = byte(0);
    std::size_t length;
    std::uint32_t minimum;
    std::uint32_t code;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return (code < minimum || code > 0x10FFFF || surrogate) ? 0 : length;
}

}  // namespace

std::vector<std::string> code_points(std::string_view text) {
    std::vector<std::string> points;
    while (!text.empty()) {
        std::size_t length = sequence_length(text);
        points.emplace_back(length == 0 ? kReplacement : text.substr(0, length));
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return points;
}

std::size_t code_point_count(std::string_view text) {
    std::size_t count = 0;
    while (!text.empty()) {
        std::size_t length = sequence_length(text);
        text.remove_prefix(length == 0 ? 1 : length);
        ++count;
    }
    return count;
}

}  // namespace app
