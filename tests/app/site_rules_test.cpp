#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "app/batch.h"
#include "app/site_rules.h"
#include "app/text.h"
#include "doubles.h"
#include "native.h"

namespace {

const doubles::FakeTextEncoding encoding;

TEST(SiteRules, ReadsEveryConstructOfTheLanguage) {
    struct Case {
        const char* text;
        int min_length;
        int max_length;  // 0: none
        int max_consecutive;
        std::vector<std::string> required;
        std::string allowed;
    } cases[] = {
        {"minlength: 8; MaxLength: 20; max-consecutive: 2; allowed: [x]", 8, 20, 2, {}, "x"},
        {"required: lower, upper; required: digit; allowed: [-!#]",
         1,
         0,
         0,
         {"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789"},
         "-!#"},
        {"required: []a-]; required: [!#]]]", 1, 0, 0, {"]a-", "!#]]"}, ""},
        {"required: [;,] ; colour: blue; allowed: special",
         1,
         0,
         0,
         {";,"},
         " !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
        {"",
         1,
         0,
         0,
         {},
         " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
         "abcdefghijklmnopqrstuvwxyz{|}~"},
    };
    for (const auto& c : cases) {
        std::string problem;
        auto rule = app::parse_site_rule(c.text, problem);
        ASSERT_TRUE(rule) << c.text << ": " << problem;
        EXPECT_EQ(rule->min_length, c.min_length) << c.text;
        EXPECT_EQ(rule->max_length.value_or(0), c.max_length) << c.text;
        EXPECT_EQ(rule->max_consecutive, c.max_consecutive) << c.text;
        EXPECT_EQ(rule->required, c.required) << c.text;
        EXPECT_EQ(rule->allowed, c.allowed) << c.text;
    }
    for (const char* malformed : {"required: [abc", "minlength: eight", "required: digits",
                                  "allowed: upper lower", "required: ;", "maxlength: -3"}) {
        std::string problem;
        EXPECT_FALSE(app::parse_site_rule(malformed, problem)) << malformed;
        EXPECT_FALSE(problem.empty()) << malformed;
    }
}

// Checked against the rule as written, not through the plan that drew it.
void expect_meets(const app::SiteRule& rule, const std::string& password, int length) {
    const auto points = app::code_points(password);
    ASSERT_EQ(static_cast<int>(points.size()), length) << rule.text;
    std::string every = rule.allowed;
    for (const auto& set : rule.required) {
        every += set;
        EXPECT_TRUE(std::any_of(points.begin(), points.end(),
                                [&](const std::string& p) { return set.find(p) != set.npos; }))
            << rule.text << ": " << password;
    }
    int run = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NE(every.find(points[i]), std::string::npos) << rule.text << ": " << password;
        EXPECT_NE(points[i], " ");
        run = i > 0 && points[i] == points[i - 1] ? run + 1 : 1;
        EXPECT_TRUE(rule.max_consecutive == 0 || run <= rule.max_consecutive)
            << rule.text << ": " << password;
    }
}

TEST(SiteRules, EverySiteOfTheShippedListGetsPasswordsItAccepts) {
    native::FileSystem files;
    const auto sites =
        app::read_site_list(files, std::string(KEYMINT_LANGUAGE_DIR) + "/" + app::kSiteListFile);
    ASSERT_GT(sites.size(), 400u);
    doubles::SeededRandom random(7);
    for (const auto& [domain, entry] : sites) {
        std::string problem;
        auto rule = app::parse_site_rule(entry.rules, problem);
        ASSERT_TRUE(rule) << domain << ": " << problem;
        const int highest = std::min(rule->max_length.value_or(50), 50);
        // The length the command line picks by itself, and the longest.
        for (std::optional<int> length : {std::optional<int>(), std::optional<int>(highest)}) {
            const auto plan = app::plan_site_rule(*rule, length, {}, encoding);
            if (!plan.message.empty()) {
                ADD_FAILURE() << domain << ": " << plan.message;
                continue;
            }
            EXPECT_GE(plan.length, rule->min_length) << domain;
            EXPECT_LE(plan.length, highest) << domain;
            expect_meets(*rule, plan.draw(random), plan.length);
        }
    }
}

TEST(SiteRules, ASmallRuleIsCountedExactlyAndDrawnUniformly) {
    std::string problem;
    // Over a, b, c: three characters with a or b, not three alike: 27 - ccc - aaa - bbb.
    auto rule = app::parse_site_rule(
        "minlength: 3; maxlength: 3; required: [ab]; allowed: [c]; "
        "max-consecutive: 2",
        problem);
    ASSERT_TRUE(rule);
    const auto plan = app::plan_site_rule(*rule, std::nullopt, {}, encoding);
    ASSERT_EQ(plan.message, "");
    EXPECT_EQ(plan.length, 3);
    EXPECT_DOUBLE_EQ(plan.bits, std::log2(24.0));
    doubles::SeededRandom random(11);
    std::map<std::string, int> seen;
    constexpr int kEach = 400;
    for (int i = 0; i < 24 * kEach; ++i) {
        ++seen[plan.draw(random)];
    }
    ASSERT_EQ(seen.size(), 24u);
    double chi_square = 0;
    for (const auto& [password, count] : seen) {
        chi_square += (count - kEach) * (count - kEach) / static_cast<double>(kEach);
    }
    EXPECT_LT(chi_square, 60.0);  // 23 degrees of freedom: exceeded by chance once in 10^4
}

TEST(SiteRules, RulesNoPasswordCanMeetAreRefusedByName) {
    struct Case {
        const char* rule;
        std::optional<int> length;
        app::PoolOptions options;
    } cases[] = {
        {"minlength: 60", std::nullopt, {}},
        {"minlength: 10; maxlength: 5", std::nullopt, {}},
        {"maxlength: 6", 8, {}},
        {"required: [a]; required: [b]; required: [c]", 2, {}},
        {"required: [a]; max-consecutive: 1", 2, {}},
        {"required: [ab]; allowed: digit", std::nullopt, {.exclude = "ab"}},
    };
    for (const auto& c : cases) {
        std::string problem;
        auto rule = app::parse_site_rule(c.rule, problem);
        ASSERT_TRUE(rule) << c.rule;
        const auto plan = app::plan_site_rule(*rule, c.length, c.options, encoding);
        EXPECT_NE(plan.message.find(std::string("\"") + c.rule + "\""), std::string::npos)
            << plan.message;
    }
}

TEST(SiteRules, ADomainsRuleHoldsForItsSubdomainsUnlessItSaysOtherwise) {
    const auto sites = app::parse_site_list(R"({
        "example.com": {"password-rules": "minlength: 9;"},
        "bank.example": {"password-rules": "maxlength: 6;", "exact-domain-match-only": true},
        "\u0061pp.test": {"password-rules": "required: [\"\\]"}
    })");
    struct Case {
        const char* site;
        const char* rules;  // nullptr: none found
    } cases[] = {
        {"example.com", "minlength: 9;"},
        {"https://Login.WWW.example.com/sign-in?x=1", "minlength: 9;"},
        {"bank.example", "maxlength: 6;"},
        {"www.bank.example", nullptr},
        {"app.test.", "required: [\"\\]"},
        {"example.org", nullptr},
    };
    for (const auto& c : cases) {
        const app::SiteEntry* found = app::find_site(sites, c.site);
        EXPECT_EQ(found ? found->rules : "(none)", c.rules ? c.rules : "(none)") << c.site;
    }
    for (const char* broken : {"", "{", R"({"a": {"password-rules": 3}})", R"({"a": {}} x)",
                               R"({"a": {"password-rules": "\u12"}})"}) {
        EXPECT_THROW(app::parse_site_list(broken), std::runtime_error) << broken;
    }
}

TEST(SiteRules, TheBatchDrawsByTheRuleAndRecords) {
    doubles::TempFolder folder;
    native::FileSystem files;
    native::RandomSource random;
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    app::BatchRequest request;
    request.rules = "minlength: 12; required: digit; required: [-]; allowed: lower";
    request.exclude = "123456789";
    request.count = 50;
    std::ostringstream out, errors;
    ASSERT_EQ(app::generate_batch(request, records, random, encoding, out, errors), 0)
        << errors.str();
    std::istringstream printed(out.str());
    int lines = 0;
    for (std::string password; std::getline(printed, password); ++lines) {
        EXPECT_EQ(app::code_point_count(password), 12u) << password;
        EXPECT_NE(password.find('0'), std::string::npos) << password;
        EXPECT_NE(password.find('-'), std::string::npos) << password;
        EXPECT_EQ(password.find_first_of("123456789"), std::string::npos) << password;
    }
    EXPECT_EQ(lines, 50);
}

}  // namespace
