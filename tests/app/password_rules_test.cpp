#include <gtest/gtest.h>

#include <sstream>

#include "app/batch.h"
#include "app/messages.h"
#include "app/password_rules.h"
#include "app/text.h"
#include "form_harness.h"

namespace {

struct Request {
    const char* name;
    std::string classes;                     // letters; empty with a list
    std::optional<std::string> custom_list;  // the list chosen instead of the classes
    std::string exclude;
    std::string length;
    bool every_class;
    bool no_look_alikes;
    std::string message;  // empty: drawn
};

// The same request through the window and through the command line's batch.
const Request kRequests[] = {
    {"NoClass", "", {}, "", "8", false, false, app::kSelectChars},
    {"EmptyList", "", " \t", "", "8", false, false, app::kSelectChars},
    {"OnlyLookAlikes", "", "l1I", "", "8", false, true, app::kOnlyLookAlikes},
    {"ListExcluded", "", "abc", "cba", "8", false, false, app::kExcludedAll},
    {"ClassExcluded", "D", {}, "0123456789", "8", false, false, app::kExcludedAll},
    {"LengthEmpty", "ULDO", {}, "", "", false, false, app::kTooShort},
    {"LengthZero", "ULDO", {}, "", "0", false, false, app::kTooShort},
    {"TooLong", "ULDO", {}, "", "51", false, false, app::kTooLong},
    {"PoolBeforeLength", "", {}, "", "0", false, false, app::kSelectChars},
    {"ShortForEveryClass", "ULDO", {}, "", "3", true, false, app::too_short_for_every_class(4)},
    // A class emptied by the exclusion drops out of the every-class rule.
    {"EmptiedClassDropsOut", "UD", {}, "0123456789", "1", true, false, ""},
    {"ExcludedLeftOut", "LD", {}, "abcdefghijklmnopqrstuvwxy0123456789", "20", true, false, ""},
};

class PasswordRulesRequests : public ::testing::TestWithParam<Request> {};

std::string batch_message(const Request& c, std::string& printed) {
    doubles::TempFolder folder;
    native::FileSystem files;
    native::RandomSource random;
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    app::BatchRequest batch;
    batch.classes = c.classes;
    batch.custom_list = c.custom_list;
    batch.exclude = c.exclude;
    batch.length = c.length;
    batch.every_class = c.every_class;
    batch.no_look_alikes = c.no_look_alikes;
    std::ostringstream out, errors;
    app::generate_batch(batch, records, random, doubles::FakeTextEncoding(), out, errors);
    printed = out.str();
    std::string message = errors.str();
    return message.empty() ? message : message.substr(0, message.size() - 1);
}

std::string window_message(const Request& c, std::string& shown) {
    FormHarness harness;
    app::frmMain& form = harness.start();
    if (c.custom_list) {
        form.raise_value_change(form.blnOzelKarakterler, 1);
        form.raise_text_edit(form.arrOzelKarakterler, *c.custom_list);
    } else {
        for (std::size_t i = 0; i < app::kClassCount; ++i) {
            const bool ticked = c.classes.find(app::kCharClasses[i].letter) != std::string::npos;
            form.raise_value_change(form.class_box(i), ticked);
        }
    }
    form.raise_value_change(form.chkEveryClass, c.every_class);
    form.raise_value_change(form.chkNoLookAlikes, c.no_look_alikes);
    form.raise_text_edit(form.txtExclude, c.exclude);
    form.intUzunluk.set_text(c.length);
    form.raise_click(form.cmdOlustur);
    shown = form.txtSifre.text();
    return harness.messages.shown.empty() ? "" : harness.messages.shown[0].text;
}

TEST_P(PasswordRulesRequests, TheWindowAndTheCommandLineAnswerAlike) {
    const Request& c = GetParam();
    std::string printed, shown;
    EXPECT_EQ(batch_message(c, printed), c.message);
    EXPECT_EQ(window_message(c, shown), c.message);
    if (c.message.empty()) {
        for (const std::string& password : {printed.substr(0, printed.size() - 1), shown}) {
            EXPECT_EQ(app::code_point_count(password), std::stoul(c.length)) << password;
            EXPECT_EQ(password.find_first_of(c.exclude), std::string::npos) << password;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PasswordRulesRequests, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PasswordRules, AClassEmptiedByTheExclusionIsNotRequired) {
    app::PasswordRules rules;
    rules.pool.every_class = true;
    rules.pool.exclude = "0123456789z";
    rules.length = "3";
    const auto plan = rules.validate(doubles::FakeTextEncoding());
    ASSERT_TRUE(plan.drawable()) << plan.message;
    EXPECT_EQ(plan.classes.size(), 3u);
    EXPECT_EQ(plan.classes[1], "abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(plan.pool.find_first_of("0123456789z"), std::string::npos);
}

}  // namespace
