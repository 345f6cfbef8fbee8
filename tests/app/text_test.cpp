#include "app/text.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePoints, SplitsWholeCharactersAndReplacesMalformedBytes) {
    using V = std::vector<std::string>;
    struct Case {
        std::string text;
        V points;
    };
    const Case cases[] = {
        {"", {}},
        {"aB9", {"a", "B", "9"}},
        {"£€", {"£", "€"}},
        {"😀x", {"😀", "x"}},
        {"e\xCC\x81", {"e", "\xCC\x81"}},  // a combining accent is its own code point
        {"\xFF"
         "a",
         {"\xEF\xBF\xBD", "a"}},                                             // not a lead byte
        {"\xE2\x82", {"\xEF\xBF\xBD", "\xEF\xBF\xBD"}},                      // cut short
        {"\xC0\xAF", {"\xEF\xBF\xBD", "\xEF\xBF\xBD"}},                      // overlong
        {"\xED\xA0\x80", {"\xEF\xBF\xBD", "\xEF\xBF\xBD", "\xEF\xBF\xBD"}},  // a surrogate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::code_points(c.text), c.points);
        EXPECT_EQ(app::code_point_count(c.text), c.points.size());
    }
}

TEST(UpperCase, MapsTheLettersOfEuropeanAlphabetsOneByOne) {
    struct Case {
        const char* text;
        const char* upper;
    };
    const Case cases[] = {
        {"abc-XYZ_09", "ABC-XYZ_09"},
        {"çğışöü", "ÇĞIŞÖÜ"},
        {"àéîõø÷ÿ", "ÀÉÎÕØ÷Ÿ"},
        {"łńžő", "ŁŃŽŐ"},
        {"αβγς", "ΑΒΓΣ"},
        {"жёя", "ЖЁЯ"},
        {"ß€£😀", "ß€£😀"},
        {"\xFF"
         "a",
         "\xFF"
         "A"},  // a malformed byte stays as it was
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::upper_case(c.text), c.upper) << c.text;
    }
}

}  // namespace
