#include "app/words.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "app/generator.h"
#include "app/line_splitter.h"
#include "app/messages.h"
#include "app/text.h"

namespace app {

std::vector<std::string> parse_word_list(std::string_view text,
                                         const platform::TextEncoding& encoding,
                                         std::size_t* unheld) {
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    std::unordered_set<std::string> not_held;
    auto usable = [&](std::string_view word) {
        const auto points = code_points(word);
        if (!unencodable_characters(word, encoding).empty()) {
            not_held.insert(std::string(word));
            return false;
        }
        return !points.empty() && std::all_of(points.begin(), points.end(), [&](const auto& p) {
            return pool_character(first_code_point(p), encoding);
        });
    };
    for_each_line(text, [&](std::string_view line, std::uint64_t) {
        const auto end = line.find_last_not_of(" \t");
        if (end == std::string_view::npos) {
            return;
        }
        line = line.substr(0, end + 1);
        const auto start = line.find_last_of(" \t");
        std::string word(start == std::string_view::npos ? line : line.substr(start + 1));
        if (usable(word) && seen.insert(word).second) {
            words.push_back(std::move(word));
        }
    });
    if (unheld != nullptr) {
        *unheld = not_held.size();
    }
    return words;
}

std::string read_word_list(platform::FileSystem& files, const std::string& path,
                           const platform::TextEncoding& encoding) {
    auto reading = files.open_as_stored(path);
    std::string text = platform::read_to_end(*reading);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const bool marked = std::string_view(text).starts_with(kByteOrderMark);
    if (marked) {
        text.erase(0, kByteOrderMark.size());
    }
    if (is_utf8(text)) {
        return text;
    }
    if (encoding.is_utf8() || marked) {
        throw platform::FileError("The word list \"" + path +
                                  "\" is not UTF-8 text: save it as UTF-8, one word a line.");
    }
    return files.read_all(path);
}

int check_word_count(std::string_view text) {
    LengthCheck check = check_length(text);
    if (check.result != LengthCheck::Valid || check.length > kMaximumWords) {
        return 0;
    }
    return check.length;
}

bool usable_separator(std::string_view separator, const platform::TextEncoding& encoding) {
    for (const auto& point : code_points(separator)) {
        if (point != " " && !pool_character(first_code_point(point), encoding)) {
            return false;
        }
    }
    return true;
}

std::string separator_refusal(std::string_view separator, const platform::TextEncoding& encoding,
                              std::string (*name)(std::string_view code_point)) {
    const std::string unheld = unencodable_characters(separator, encoding);
    if (!unheld.empty()) {
        std::string refusal = kSeparatorCodePage;
        for (const auto& point : code_points(unheld)) {
            refusal += " " + name(point);
        }
        return refusal;
    }
    return usable_separator(separator, encoding) ? std::string() : std::string(kBadSeparator);
}

std::string draw_passphrase(const std::vector<std::string>& words, int count,
                            std::string_view separator, platform::RandomSource& random) {
    std::string passphrase;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            passphrase += separator;
        }
        passphrase += words[uniform_index(random, words.size())];
    }
    return passphrase;
}

double passphrase_bits(std::size_t list_size, int count) {
    return list_size < 2 ? 0.0 : count * std::log2(static_cast<double>(list_size));
}

std::vector<std::string> every_passphrase(const std::vector<std::string>& words, int count,
                                          std::string_view separator, std::uint64_t limit) {
    std::uint64_t sequences = 1;
    for (int i = 0; i < count; ++i) {
        if (sequences > limit / words.size()) {
            return {};
        }
        sequences *= words.size();
    }
    std::unordered_set<std::string> different;
    for (std::uint64_t n = 0; n < sequences; ++n) {
        std::string passphrase;
        std::uint64_t rest = n;
        for (int i = 0; i < count; ++i) {
            passphrase +=
                (i > 0 ? std::string(separator) : std::string()) + words[rest % words.size()];
            rest /= words.size();
        }
        different.insert(std::move(passphrase));
    }
    return {different.begin(), different.end()};
}

}  // namespace app
