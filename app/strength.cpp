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

double every_class_bits(const std::vector<std::size_t>& class_sizes, int length) {
    double pool = 0;
    for (std::size_t size : class_sizes) {
        pool += static_cast<double>(size);
    }
    if (pool == 0 || length <= 0) {
        return 0.0;
    }
    // The share of the pool's passwords that miss none of the classes: the terms are at most 1,
    // so the sum keeps its precision, and it is never below a few per cent when length allows
    // every class.
    double share = 0;
    const std::size_t subsets = std::size_t{1} << class_sizes.size();
    for (std::size_t subset = 0; subset < subsets; ++subset) {
        double missed = 0;
        int sign = 1;
        for (std::size_t i = 0; i < class_sizes.size(); ++i) {
            if (subset >> i & 1) {
                missed += static_cast<double>(class_sizes[i]);
                sign = -sign;
            }
        }
        share += sign * std::pow(1.0 - missed / pool, length);
    }
    if (share <= 0) {
        return 0.0;
    }
    return length * std::log2(pool) + std::log2(share);
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

namespace {

double luminance(std::uint32_t colour) {
    auto linear = [](std::uint32_t channel) {
        double value = channel / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour >> 16 & 0xFF) + 0.7152 * linear(colour >> 8 & 0xFF) +
           0.0722 * linear(colour & 0xFF);
}

}  // namespace

double contrast_ratio(std::uint32_t first, std::uint32_t second) {
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::uint32_t meter_fill(StrengthLevel level, std::uint32_t background, std::uint32_t text) {
    // Below 1.5 a bar is hard to tell from what lies around it at a glance.
    std::uint32_t colour = strength_colour(level);
    return contrast_ratio(colour, background) >= 1.5 ? colour : text;
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
