#include "app/generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

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

}  // namespace
