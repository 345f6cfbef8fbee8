#include "app/text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

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

char32_t decode(std::string_view sequence) {
    auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<std::uint8_t>(sequence[i]));
    };
    switch (sequence.size()) {
        case 1:
            return byte(0);
        case 2:
            return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        default:
            return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
                   (byte(3) & 0x3F);
    }
}

void encode(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char32_t upper_case(char32_t c) {
    auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    if (in(U'a', U'z') || (in(0xE0, 0xFE) && c != 0xF7) || in(0x3B1, 0x3C1) || in(0x3C3, 0x3CB) ||
        in(0x430, 0x44F)) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c == 0x131) {  // dotless i
        return U'I';
    }
    if (c == 0x3C2) {  // final sigma
        return 0x3A3;
    }
    if (in(0x450, 0x45F)) {
        return c - 0x50;
    }
    // Latin Extended-A pairs its capitals with the small letters that follow them.
    bool odd_lower = in(0x100, 0x137) || in(0x14A, 0x177);
    bool even_lower = in(0x139, 0x148) || in(0x179, 0x17E);
    if ((odd_lower && c % 2 == 1) || (even_lower && c % 2 == 0)) {
        return c - 1;
    }
    return c;
}

struct CodeRange {
    char32_t first;
    char32_t last;
};

// The code points of the general categories Cc, Cf, Zs, Zl and Zp in Unicode 15, in order.
constexpr CodeRange kInvisible[] = {
    {0x0, 0x20},        {0x7F, 0xA0},       {0xAD, 0xAD},       {0x600, 0x605},
    {0x61C, 0x61C},     {0x6DD, 0x6DD},     {0x70F, 0x70F},     {0x890, 0x891},
    {0x8E2, 0x8E2},     {0x1680, 0x1680},   {0x180E, 0x180E},   {0x2000, 0x200F},
    {0x2028, 0x202F},   {0x205F, 0x2064},   {0x2066, 0x206F},   {0x3000, 0x3000},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

}  // namespace

char32_t first_code_point(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    std::size_t length = sequence_length(text);
    return length == 0 ? 0xFFFD : decode(text.substr(0, length));
}

std::string to_utf8(char32_t code) {
    std::string out;
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    encode(surrogate || code > 0x10FFFF ? 0xFFFD : code, out);
    return out;
}

bool is_invisible(char32_t code) {
    auto after =
        std::upper_bound(std::begin(kInvisible), std::end(kInvisible), code,
                         [](char32_t c, const CodeRange& range) { return c < range.first; });
    return after != std::begin(kInvisible) && code <= std::prev(after)->last;
}

std::string upper_case(std::string_view text) {
    std::string upper;
    upper.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = sequence_length(text);
        if (length == 0) {
            upper += text.front();
            text.remove_prefix(1);
            continue;
        }
        encode(upper_case(decode(text.substr(0, length))), upper);
        text.remove_prefix(length);
    }
    return upper;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    auto ascii_upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    std::size_t i = 0;
    for (; i < a.size() && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            // An ASCII byte is always a whole character, so the rest folds on its own.
            return upper_case(a.substr(i)) == upper_case(b.substr(i));
        }
        if (ascii_upper(x) != ascii_upper(y)) {
            return false;
        }
    }
    return a.size() == b.size();
}

std::vector<std::string> code_points(std::string_view text) {
    std::vector<std::string> points;
    points.reserve(text.size());
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
