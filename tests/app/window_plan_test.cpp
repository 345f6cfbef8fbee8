#include "app/window_plan.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/inventory.h"

namespace app {

void PrintTo(const PixelRect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

namespace {

// The window's controls, with the one label that is bound to a click here.
class Planned {
  public:
    Planned() {
        for (const auto& definition : frmMain_inventory()) {
            controls_.emplace_back(definition);
        }
        control("Label1").Click.bind([] {});
        plan_.emplace(controls_);
    }
    const WindowPlan& plan() const { return *plan_; }
    std::size_t index(const std::string& name) const {
        auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const Control& c) { return c.name() == name; });
        return static_cast<std::size_t>(found - controls_.begin());
    }

  private:
    Control& control(const std::string& name) { return controls_[index(name)]; }
    std::deque<Control> controls_;
    std::optional<WindowPlan> plan_;
};

struct ControlRow {
    const char* name;
    const char* control;
    PixelRect at96;  // in the window's client area
    PixelRect at144;
    int focus_position;  // -1: the Tab key passes it by; kAfterTheOthers: right after every control
                         // that is not a link
    bool starts_group;
    bool link;
    bool shown_on_records;
};

constexpr int kAfterTheOthers = -2;

class WindowPlanControls : public ::testing::TestWithParam<ControlRow> {};

TEST_P(WindowPlanControls, PlansTheControl) {
    const ControlRow& row = GetParam();
    Planned planned;
    const WindowPlan& plan = planned.plan();
    std::size_t index = planned.index(row.control);
    EXPECT_EQ(plan.window_rect(index, 96), row.at96);
    EXPECT_EQ(plan.window_rect(index, 144), row.at144);
    const auto& order = plan.focus_order();
    auto found = std::find(order.begin(), order.end(), index);
    int expected = row.focus_position;
    if (expected == kAfterTheOthers) {
        expected = static_cast<int>(std::count_if(order.begin(), order.end(),
                                                  [&](std::size_t i) { return !plan[i].link; }));
    }
    EXPECT_EQ(found == order.end() ? -1 : static_cast<int>(found - order.begin()), expected);
    EXPECT_EQ(plan[index].starts_group, row.starts_group);
    EXPECT_EQ(plan[index].link, row.link);
    EXPECT_EQ(plan.shown_on(index, kTabRecords), row.shown_on_records);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Inventory, WindowPlanControls, ::testing::Values(
    // name, control, at 96 dpi, at 144 dpi, focus position, starts a group, link, shown on Records
    ControlRow{"FirstInFocusOrder", "cmdOlustur", {128, 352, 169, 57}, {192, 528, 254, 86}, 0, true, false, false},
    ControlRow{"LabelsTakeNoFocusThoughTheyHaveATabIndex", "cmdGizle", {168, 464, 65, 33}, {252, 696, 98, 50}, 2, true, false, true},
    ControlRow{"TabControlTakesItsTurnByItsTabIndex", "SSTab1", {8, 80, 299, 377}, {12, 120, 449, 566}, 3, true, false, true},
    ControlRow{"ThreeContainersDeepAndOffTheirEdge", "UpDown1", {90, 368, 17, 25}, {135, 553, 26, 38}, -1, false, false, false},
    ControlRow{"FirstOptionOfItsGroup", "optSecililer", {24, 392, 89, 33}, {36, 588, 134, 50}, 10, true, false, true},
    ControlRow{"NextOptionOfTheSameGroup", "optAll", {24, 416, 81, 33}, {36, 624, 122, 50}, 11, false, false, true},
    ControlRow{"LoneOptionInItsPictureBox", "blnOzelKarakterler", {32, 264, 193, 25}, {48, 396, 290, 38}, 19, true, false, false},
    ControlRow{"LinkTakesTheFocusAfterEveryOtherControl", "Label1", {8, 480, 105, 17}, {12, 720, 158, 26}, kAfterTheOthers, true, true, true},
    ControlRow{"LabelNotBoundIsPlain", "Label2", {8, 464, 80, 17}, {12, 696, 120, 26}, -1, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct StackingRow {
    const char* name;
    const char* upper;
    const char* lower;
};

class WindowPlanStacking : public ::testing::TestWithParam<StackingRow> {};

TEST_P(WindowPlanStacking, LiesAbove) {
    Planned planned;
    const auto& stacking = planned.plan().stacking();
    auto at = [&](const char* name) {
        return std::find(stacking.begin(), stacking.end(), planned.index(name)) - stacking.begin();
    };
    EXPECT_LT(at(GetParam().upper), at(GetParam().lower));
}

INSTANTIATE_TEST_SUITE_P(
    Inventory, WindowPlanStacking,
    ::testing::Values(StackingRow{"OptionOverItsPictureBox", "blnTumKarakterler", "Picture1"},
                      StackingRow{"PictureBoxOverItsFrame", "Picture1", "Frame1"},
                      StackingRow{"FrameOverTheTabControl", "Frame1", "SSTab1"},
                      StackingRow{"MeterOverTheTabControl", "barStrength", "SSTab1"},
                      StackingRow{"FocusOrderAmongControlsThatTakeIt", "cmdOlustur", "txtSifre"},
                      StackingRow{"WhatTakesTheFocusOverWhatDoesNot", "chkClearClipboard",
                                  "lblVersion"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClickRow {
    const char* name;
    ControlKind kind;
    bool checked;  // the box's state after the click
    int value;
};

class WindowPlanClicks : public ::testing::TestWithParam<ClickRow> {};

TEST_P(WindowPlanClicks, LeavesTheValue) {
    EXPECT_EQ(value_after_click(GetParam().kind, GetParam().checked), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WindowPlanClicks,
    ::testing::Values(ClickRow{"ChosenOptionStaysChosen", ControlKind::OptionButton, false, 1},
                      ClickRow{"OptionGetsChosen", ControlKind::OptionButton, true, 1},
                      ClickRow{"CheckBoxTicked", ControlKind::CheckBox, true, 1},
                      ClickRow{"CheckBoxCleared", ControlKind::CheckBox, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct TabClickRow {
    const char* name;
    int clicked;
    int shown;
    bool refreshes;
};

class WindowPlanTabClicks : public ::testing::TestWithParam<TabClickRow> {};

TEST_P(WindowPlanTabClicks, RefreshesOnlyTheTabShown) {
    EXPECT_EQ(click_refreshes_tab(GetParam().clicked, GetParam().shown), GetParam().refreshes);
}

INSTANTIATE_TEST_SUITE_P(Rules, WindowPlanTabClicks,
                         ::testing::Values(TabClickRow{"TheTabShown", 2, 2, true},
                                           TabClickRow{"AnotherTab", 1, 2, false},
                                           TabClickRow{"BesideTheTabs", -1, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app
