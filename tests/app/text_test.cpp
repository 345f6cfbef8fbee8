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

TEST(Invisible, CoversControlsFormatsAndSeparatorsUpToTheirEdges) {
    struct Case {
        char32_t code;
        bool invisible;
    };
    const Case cases[] = {
        {0x00, true},    {0x1F, true},     {0x20, true},     {0x21, false},     {0x7E, false},
        {0x7F, true},    {0x85, true},     {0xA0, true},     {0xA1, false},     {0xAC, false},
        {0xAD, true},    {0x1680, true},   {0x1681, false},  {0x1FFF, false},   {0x2000, true},
        {0x200F, true},  {0x2010, false},  {0x2027, false},  {0x2028, true},    {0x202E, true},
        {0x202F, true},  {0x2030, false},  {0x205F, true},   {0x2064, true},    {0x2065, false},
        {0x206F, true},  {0x3000, true},   {0x3001, false},  {0xFEFF, true},    {0xFFFD, false},
        {0x1343F, true}, {0x13440, false}, {0xE0001, true},  {0xE007F, true},   {0xE0080, false},
        {U'ş', false},   {U'€', false},    {0x1F600, false}, {0x10FFFF, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::is_invisible(c.code), c.invisible) << std::hex << unsigned(c.code);
    }
}

TEST(CodePointValue, RoundTripsThroughUtf8AndReplacesWhatIsNoCharacter) {
    for (char32_t code : {U'a', U'ş', U'€', char32_t{0x1F600}, char32_t{0x10FFFF}}) {
        EXPECT_EQ(app::first_code_point(app::to_utf8(code)), code);
    }
    EXPECT_EQ(app::to_utf8(0xD800), "\uFFFD");
    EXPECT_EQ(app::to_utf8(0x110000), "\uFFFD");
    EXPECT_EQ(app::first_code_point("\xC0\xAF"), U'\uFFFD');
    EXPECT_EQ(app::first_code_point(""), U'\0');
}

}  // namespace
