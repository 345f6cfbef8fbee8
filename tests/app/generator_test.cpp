#include "app/generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "app/text.h"
#include "doubles.h"
#include "native.h"

namespace {

TEST(UniformIndex, RejectsTheWordsThatWouldBiasTheResult) {
    // 2^64 mod 3 is 1, so the word 0 would make index 0 slightly likelier and must be redrawn.
    doubles::ScriptedRandom random;
    random.words = {0, 7};
    EXPECT_EQ(app::uniform_index(random, 3), 7u % 3);
    EXPECT_EQ(random.draws, 2);

    random.words = {~std::uint64_t{0}};
    EXPECT_EQ(app::uniform_index(random, 1), 0u);
    EXPECT_EQ(random.draws, 3);
}

TEST(UniformIndex, SecureSourceIsUniformAcrossThePool) {
    // Chi-square over the 85-character default pool; the bound is far beyond chance (p < 1e-6)
    // yet catches a modulo bias or a stuck source at once.
    native::RandomSource random;
    constexpr std::size_t kBuckets = 85;
    constexpr int kDraws = 170000;
    std::vector<int> counts(kBuckets);
    for (int i = 0; i < kDraws; ++i) {
        ++counts[app::uniform_index(random, kBuckets)];
    }
    double expected = static_cast<double>(kDraws) / kBuckets;
    double chi_square = 0;
    for (int count : counts) {
        chi_square += (count - expected) * (count - expected) / expected;
    }
    EXPECT_LT(chi_square, 160.0);
    EXPECT_GT(chi_square, 30.0) << "too even to be random";
}

TEST(CheckLength, ReadsOnlyWholeNumbersAndNeverOverflows) {
    using R = app::LengthCheck;
    struct Case {
        const char* text;
        R::Result result;
        int length;
    };
    const Case cases[] = {
        {"8", R::Valid, 8},
        {"1", R::Valid, 1},
        {"50", R::Valid, 50},
        {"007", R::Valid, 7},
        {" 12 ", R::Valid, 12},
        {"0", R::BelowMinimum, 0},
        {"00", R::BelowMinimum, 0},
        {"", R::BelowMinimum, 0},
        {"   ", R::BelowMinimum, 0},
        {"abc", R::BelowMinimum, 0},
        {"-5", R::BelowMinimum, 0},
        {"1e3", R::BelowMinimum, 0},
        {"８", R::BelowMinimum, 0},  // a full-width digit is not a digit here
        {"51", R::AboveMaximum, 0},
        {"99", R::AboveMaximum, 0},
        {"100", R::AboveMaximum, 0},
        {"99999999999999999999999999999999", R::AboveMaximum, 0},
        {"000000000000000000000000000000051", R::AboveMaximum, 0},
    };
    for (const auto& c : cases) {
        auto checked = app::check_length(c.text);
        EXPECT_EQ(checked.result, c.result) << '"' << c.text << '"';
        if (c.result == R::Valid) {
            EXPECT_EQ(checked.length, c.length) << '"' << c.text << '"';
        }
    }
}

TEST(SpinLength, StaysWithinOneToFifty) {
    struct Case {
        const char* text;
        int step;
        int expected;
    };
    const Case cases[] = {
        {"8", 1, 9},   {"8", -1, 7},   {"1", -1, 1},  {"50", 1, 50},
        {"49", 1, 50}, {"70", -1, 50}, {"70", 1, 50}, {"", 1, 1},
        {"", -1, 1},   {"x", 1, 1},    {"0", 1, 1},   {"999999999999", -1, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::spin_length(c.text, c.step), c.expected) << '"' << c.text << "\" " << c.step;
    }
}

TEST(CustomPool, KeepsOnlyVisibleCharactersTheFilesCanHold) {
    doubles::FakeTextEncoding encoding;
    encoding.refused = {"😀"};
    struct Case {
        const char* text;
        const char* pool;
    };
    const Case cases[] = {
        {"a b  c", "abc"},
        {"a\r\nb\tc", "abc"},
        {"aab", "aab"},
        {"çş€", "çş€"},
        {"   ", ""},
        {"a😀b", "ab"},  // the files could not hold it
        {"a\u00A0b\u2028c\u202Ed\uFEFFe\u200Bf\u0085g\u3000h", "abcdefgh"},
        // Combining marks and variation selectors: U+0301, U+FE0F, U+E0100, U+20DD, U+0903.
        {"e\u0301\uFE0F\U000E0100\u20DD\u0903é", "eé"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::custom_pool(c.text, encoding), c.pool) << c.text;
    }
}

TEST(CharacterPool, JoinsTheTickedClassesInOrderOrUsesTheCleanedList) {
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", lower = "abcdefghijklmnopqrstuvwxyz",
                      digits = "0123456789", other = "!^+%&()=?_£#${[]}\\|*@€~";
    struct Case {
        app::PoolOptions options;
        std::string expected;
    };
    const Case cases[] = {
        {{true, true, true, true, true}, upper + lower + digits + other},
        {{true, false, true, false, true}, lower + other},
        {{true, false, false, true, false}, digits},
        {{true, false, false, false, false}, ""},
        {{false, true, true, true, true}, "aa€b"},  // the classes do not matter for a list
    };
    doubles::FakeTextEncoding encoding;
    for (const auto& c : cases) {
        EXPECT_EQ(app::character_pool(c.options, " a a\t€b ", encoding), c.expected);
    }
}

TEST(DrawPassword, DrawsWholeCodePointsByWeight) {
    doubles::ScriptedRandom random;
    random.words = {0, 1, 2, 3, 1};
    EXPECT_EQ(app::draw_password("a€€😀", 5, random), "a€€😀€");
    EXPECT_EQ(app::draw_password("xyz", 0, random), "");
}

TEST(LookAlikes, AreLeftOutOfTheClassesAndTheListOnlyWhenAsked) {
    struct Case {
        bool from_classes;
        bool no_look_alikes;
        std::vector<std::string> classes;
        std::string pool;
    };
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", digits = "0123456789";
    const Case cases[] = {
        {true, false, {upper, digits}, upper + digits},
        {true, true, {"ABCDEFGHJKLMNPQRSTUVWXYZ", "23456789"}, "ABCDEFGHJKLMNPQRSTUVWXYZ23456789"},
        {false, false, {}, "al1I|O0o`'\"b€"},
        {false, true, {}, "ab€"},
    };
    doubles::FakeTextEncoding encoding;
    for (const auto& c : cases) {
        app::PoolOptions options{c.from_classes, true, false, true, false, c.no_look_alikes};
        EXPECT_EQ(app::chosen_classes(options), c.classes) << c.pool;
        EXPECT_EQ(app::character_pool(options, "al1I|O0o`'\"b€", encoding), c.pool);
    }
    app::PoolOptions all;
    all.no_look_alikes = true;
    std::vector<std::size_t> sizes;
    for (const auto& characters : app::chosen_classes(all)) {
        sizes.push_back(app::code_point_count(characters));
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{24, 24, 8, 22}));
}

TEST(EveryClass, TellsWhetherAPasswordHoldsEachClass) {
    const std::vector<std::string> classes = {"AB", "12", "£€"};
    struct Case {
        const char* password;
        bool holds;
    } cases[] = {{"A1€", true}, {"B2£x", true}, {"AB12", false}, {"€€1", false}, {"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(app::has_every_class(c.password, classes), c.holds) << c.password;
    }
    EXPECT_TRUE(app::has_every_class("x", {}));
}

TEST(EveryClass, EveryPasswordDrawnHoldsEachChosenClass) {
    struct Case {
        app::PoolOptions options;
        int length;
    } cases[] = {
        {{true, true, true, true, true, false, true}, 4},
        {{true, true, true, true, true, true, true}, 4},
        {{true, false, true, true, false, false, true}, 2},
        {{true, true, true, true, true, false, true}, 50},
    };
    doubles::SeededRandom random(24);
    doubles::FakeTextEncoding encoding;
    for (const auto& c : cases) {
        const auto classes = app::chosen_classes(c.options);
        const auto pool = app::code_points(app::character_pool(c.options, "", encoding));
        for (int i = 0; i < 500; ++i) {
            std::string password = app::draw_with_every_class(pool, classes, c.length, random);
            ASSERT_EQ(app::code_point_count(password), static_cast<std::size_t>(c.length));
            ASSERT_TRUE(app::has_every_class(password, classes)) << password;
        }
    }
}

TEST(EveryClass, DrawingIsUniformOverThePasswordsThatHoldEveryClass) {
    // From "ab1", 3 long: 27 passwords, of which 18 hold a letter and the digit. A class put in a
    // fixed place would favour some of them; the seed is fixed, so the test cannot flake, and the
    // bound (p < 1e-6 for 17 degrees of freedom) is far from where a fair draw lands.
    doubles::SeededRandom random(7);
    const std::vector<std::string> classes = {"ab", "1"};
    const std::vector<std::string> pool = {"a", "b", "1"};
    constexpr int kDraws = 36000;
    std::map<std::string, int> counts;
    for (int i = 0; i < kDraws; ++i) {
        ++counts[app::draw_with_every_class(pool, classes, 3, random)];
    }
    ASSERT_EQ(counts.size(), 18u);
    const double expected = kDraws / 18.0;
    double chi_square = 0;
    for (const auto& [password, count] : counts) {
        EXPECT_TRUE(app::has_every_class(password, classes)) << password;
        chi_square += (count - expected) * (count - expected) / expected;
    }
    EXPECT_LT(chi_square, 50.0);
}

}  // namespace
