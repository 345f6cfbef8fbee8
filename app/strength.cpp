#include "app/strength.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/text.h"

namespace app {

double entropy_bits(std::string_view pool, int length) {
    // A code point is at most four bytes: packed into a number each, sorted, equal characters
    // lie together, and each run is one character and its count.
    std::vector<std::uint32_t> characters;
    for (const std::string& character : code_points(pool)) {
        std::uint32_t key = 0;
        for (unsigned char byte : character) {
            key = key << 8 | byte;
        }
        characters.push_back(key);
    }
    std::sort(characters.begin(), characters.end());
    const auto total = static_cast<double>(characters.size());
    double per_character = 0.0;
    for (auto run = characters.begin(); run != characters.end();) {
        auto end = std::upper_bound(run, characters.end(), *run);
        double p = static_cast<double>(end - run) / total;
        per_character -= p * std::log2(p);
        run = end;
    }
    return per_character * std::max(length, 0);
}

StrengthLevel strength_level(int whole_bits) {
    if (whole_bits < 40) {
        return StrengthLevel::Weak;
    }
    if (whole_bits < 75) {
        return StrengthLevel::Fair;
    }
    if (whole_bits < 100) {
        return StrengthLevel::Strong;
    }
    return StrengthLevel::VeryStrong;
}

std::string_view strength_word(StrengthLevel level) {
    switch (level) {
        case StrengthLevel::Weak:
            return "weak";
        case StrengthLevel::Fair:
            return "fair";
        case StrengthLevel::Strong:
            return "strong";
        case StrengthLevel::VeryStrong:
            break;
    }
    return "very strong";
}

std::uint32_t strength_colour(StrengthLevel level) {
    switch (level) {
        case StrengthLevel::Weak:
            return 0xd32f2f;
        case StrengthLevel::Fair:
            return 0xf59e0b;
        case StrengthLevel::Strong:
            return 0x7cb342;
        case StrengthLevel::VeryStrong:
            break;
    }
    return 0x2e7d32;
}

int whole_bits(double bits) {
    // A little room for the error of the logarithms.
    return static_cast<int>(std::floor(bits + 1e-9));
}

int meter_value(double bits) {
    return std::clamp(whole_bits(bits), 1, 100);
}

std::string strength_tooltip(double bits) {
    int whole = whole_bits(bits);
    return std::to_string(whole) + (whole == 1 ? " bit — " : " bits — ") +
           std::string(strength_word(strength_level(whole)));
}

}  // namespace app
