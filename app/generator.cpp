#include "app/generator.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/text.h"

namespace app {

namespace {

bool readable_character(char32_t code) {
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return !surrogate && code <= 0x10FFFF && !is_invisible(code) && !is_combining_mark(code);
}

}  // namespace

std::size_t uniform_index(platform::RandomSource& random, std::size_t count) {
    using Word = std::uint64_t;
    const Word n = count;
    // Values below `threshold` would make some results more likely than others.
    const Word threshold = (std::numeric_limits<Word>::max() - n + 1) % n;
    for (;;) {
        Word value = 0;
        random.fill(reinterpret_cast<std::uint8_t*>(&value), sizeof value);
        if (value >= threshold) {
            return static_cast<std::size_t>(value % n);
        }
    }
}

LengthCheck check_length(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return {LengthCheck::BelowMinimum, 0};
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return {LengthCheck::BelowMinimum, 0};
        }
    }
    while (text.size() > 1 && text.front() == '0') {
        text.remove_prefix(1);
    }
    if (text.size() > 2) {
        return {LengthCheck::AboveMaximum, 0};
    }
    int length = 0;
    for (char c : text) {
        length = length * 10 + (c - '0');
    }
    if (length < kMinimumLength) {
        return {LengthCheck::BelowMinimum, length};
    }
    if (length > kMaximumLength) {
        return {LengthCheck::AboveMaximum, length};
    }
    return {LengthCheck::Valid, length};
}

int spin_length(std::string_view text, int step) {
    LengthCheck current = check_length(text);
    int length = current.result == LengthCheck::AboveMaximum ? kMaximumLength + 1 : current.length;
    return std::clamp(length + step, kMinimumLength, kMaximumLength);
}

bool pool_character(char32_t code, const platform::TextEncoding& encoding) {
    return readable_character(code) && encoding.can_encode(to_utf8(code));
}

std::string unencodable_characters(std::string_view text, const platform::TextEncoding& encoding) {
    std::string left_out;
    for (const auto& point : code_points(text)) {
        char32_t code = first_code_point(point);
        if (readable_character(code) && !encoding.can_encode(point) &&
            left_out.find(point) == std::string::npos) {
            left_out += point;
        }
    }
    return left_out;
}

std::string custom_pool(std::string_view text, const platform::TextEncoding& encoding) {
    std::string kept;
    kept.reserve(text.size());
    for (const auto& point : code_points(text)) {
        if (pool_character(first_code_point(point), encoding)) {
            kept += point;
        }
    }
    return kept;
}

namespace {

std::string without(std::string_view text, std::string_view left_out) {
    std::string kept;
    for (const auto& point : code_points(text)) {
        if (left_out.find(point) == std::string_view::npos) {
            kept += point;
        }
    }
    return kept;
}

std::string as_options_say(std::string_view characters, const PoolOptions& options) {
    std::string kept =
        options.no_look_alikes ? without(characters, kLookAlikes) : std::string(characters);
    return options.exclude.empty() ? kept : without(kept, options.exclude);
}

}  // namespace

std::vector<std::string> chosen_classes(const PoolOptions& options) {
    std::vector<std::string> classes;
    if (!options.from_classes) {
        return classes;
    }
    for (std::size_t i = 0; i < kClassCount; ++i) {
        if (options.ticked[i]) {
            if (std::string characters = as_options_say(kCharClasses[i].characters, options);
                !characters.empty()) {
                classes.push_back(std::move(characters));
            }
        }
    }
    return classes;
}

std::string character_pool(const PoolOptions& options, std::string_view custom_list,
                           const platform::TextEncoding& encoding) {
    if (!options.from_classes) {
        return as_options_say(custom_pool(custom_list, encoding), options);
    }
    std::string pool;
    for (const auto& characters : chosen_classes(options)) {
        pool += characters;
    }
    return pool;
}

bool has_every_class(std::string_view password, const std::vector<std::string>& classes) {
    const auto points = code_points(password);
    return std::all_of(classes.begin(), classes.end(), [&](const std::string& characters) {
        // UTF-8 finds a whole code point only where one starts.
        return std::any_of(points.begin(), points.end(), [&](const std::string& point) {
            return characters.find(point) != std::string::npos;
        });
    });
}

std::string draw_password(std::string_view pool, int length, platform::RandomSource& random) {
    return draw_password(code_points(pool), length, random);
}

std::string draw_password(const std::vector<std::string>& pool, int length,
                          platform::RandomSource& random) {
    std::string password;
    for (int i = 0; i < length; ++i) {
        password += pool[uniform_index(random, pool.size())];
    }
    return password;
}

std::string draw_with_every_class(const std::vector<std::string>& pool,
                                  const std::vector<std::string>& classes, int length,
                                  platform::RandomSource& random) {
    // Every password of the pool is equally likely, so those kept are equally likely too; a
    // class put in a fixed place would make some passwords likelier than others.
    for (;;) {
        std::string password = draw_password(pool, length, random);
        if (has_every_class(password, classes)) {
            return password;
        }
    }
}

}  // namespace app
