#include <gtest/gtest.h>

#include <cmath>

#include "app/strength.h"
#include "form_harness.h"

namespace {

TEST(Strength, EntropyCountsDuplicatesByTheirWeight) {
    struct Case {
        const char* pool;
        int length;
        double bits;
    } cases[] = {
        {"0123456789", 4, 4 * std::log2(10.0)},
        {"abcd", 8, 16.0},
        // a twice as likely as b: -(2/3 log2 2/3 + 1/3 log2 1/3) per character
        {"aab", 10, 10 * 0.9182958340544896},
        {"aaaa", 20, 0.0},
        // Characters are code points, not bytes.
        {"€£", 3, 3.0},
        {"€€££", 3, 3.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(app::entropy_bits(c.pool, c.length), c.bits, 1e-9) << c.pool;
    }
}

TEST(Strength, EveryClassCountsOnlyThePasswordsThatHoldEachClass) {
    struct Case {
        std::vector<std::size_t> sizes;
        int length;
        double bits;  // log2 of the count, counted exactly apart
    } cases[] = {
        {{26, 10}, 2, std::log2(520.0)},
        {{2, 1}, 3, std::log2(18.0)},
        {{85}, 8, 8 * std::log2(85.0)},
        {{26, 26, 10, 23}, 4, std::log2(3731520.0)},
        {{24, 24, 8, 22}, 8, std::log2(623167621300224.0)},
        // 85^50 and its terms overflow every integer type.
        {{26, 26, 10, 23}, 50, 320.46678149029685},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(app::every_class_bits(c.sizes, c.length), c.bits, 1e-9) << c.length;
    }
}

TEST(Strength, LevelsMeterAndTooltipAgreeAtTheBandEdges) {
    struct Case {
        double bits;
        int meter;
        const char* tooltip;
    } cases[] = {
        {0.0, 1, "0 bits — weak"},
        {39.99, 39, "39 bits — weak"},
        {40.0, 40, "40 bits — fair"},
        {51.27, 51, "51 bits — fair"},
        {75.0, 75, "75 bits — strong"},
        {99.9, 99, "99 bits — strong"},
        {100.0, 100, "100 bits — very strong"},
        {320.6, 100, "320 bits — very strong"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::meter_value(c.bits), c.meter) << c.bits;
        EXPECT_EQ(app::strength_tooltip(c.bits), c.tooltip) << c.bits;
    }
}

TEST(Strength, TheMeterFillsWithTheThemesTextColourWhereItsOwnWouldDisappear) {
    const std::uint32_t amber = app::strength_colour(app::StrengthLevel::Fair);
    EXPECT_NEAR(app::contrast_ratio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(app::contrast_ratio(amber, amber), 1.0, 1e-9);
    struct Case {
        std::uint32_t background;
        std::uint32_t text;
        std::uint32_t fill;
    } cases[] = {
        {0xEFEFEF, 0x000000, amber},     // a light theme
        {0x353535, 0xFFFFFF, amber},     // a dark one
        {0xF0A020, 0x000000, 0x000000},  // a background about the colour of amber
        {0xD08A10, 0xFFFFFF, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::meter_fill(app::StrengthLevel::Fair, c.background, c.text), c.fill)
            << c.background;
    }
}

TEST(Strength, TheMeterFollowsTheShownPasswordAndShowsNothingForARefusedRepeat) {
    FormHarness harness;
    app::frmMain& form = harness.start();
    form.raise_value_change(form.blnOzelKarakterler, 1);
    form.raise_text_edit(form.arrOzelKarakterler, "a a b");
    form.intUzunluk.set_text("2");
    auto draw_aa = [&] {
        harness.pick(3, 0);
        harness.pick(3, 1);
        form.raise_click(form.cmdOlustur);
    };
    draw_aa();
    ASSERT_EQ(form.txtSifre.text(), "aa");
    EXPECT_EQ(form.barStrength.value(), 1);
    EXPECT_EQ(form.barStrength.tooltip(), "1 bit — weak");

    // The same draw again is on record and refused: the box empties, the meter with it.
    draw_aa();
    EXPECT_EQ(form.txtSifre.text(), "");
    EXPECT_EQ(form.barStrength.value(), 0);
    EXPECT_EQ(form.barStrength.tooltip(), "");
}

}  // namespace
