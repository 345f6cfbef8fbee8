#include "program/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

TEST(CommandLine, AnswersWithoutAWindowOrOpensIt) {
    struct Case {
        std::vector<const char*> arguments;
        std::optional<int> exit_code;
        std::string out_starts;
        std::string error_starts;
    };
    const Case cases[] = {
        {{}, std::nullopt, "", ""},
        {{"--help"}, 0, "Usage: keymint", ""},
        {{"-h"}, 0, "Usage: keymint", ""},
        {{"/?"}, 0, "Usage: keymint", ""},  // as Windows programs are asked
        {{"--version"}, 0, "Keymint " KEYMINT_VERSION "\n", ""},
        {{"--frobnicate"}, 2, "", "keymint: unknown option '--frobnicate'\nUsage: keymint"},
        {{"--help", "-x"}, 2, "", "keymint: unknown option '-x'\n"},
        {{"passwords.txt"}, 2, "", "keymint: unexpected argument 'passwords.txt'\n"},
    };
    for (const auto& test : cases) {
        std::vector<const char*> argv{"keymint"};
        argv.insert(argv.end(), test.arguments.begin(), test.arguments.end());
        std::ostringstream out;
        std::ostringstream error;
        auto exit_code =
            program::answer_without_window(static_cast<int>(argv.size()), argv.data(), out, error);
        std::string label = test.arguments.empty() ? "(none)" : test.arguments[0];
        EXPECT_EQ(exit_code, test.exit_code) << label;
        EXPECT_EQ(out.str().rfind(test.out_starts, 0), 0u) << label << ": " << out.str();
        EXPECT_EQ(error.str().rfind(test.error_starts, 0), 0u) << label << ": " << error.str();
        EXPECT_TRUE(test.out_starts.empty() == out.str().empty()) << label;
        EXPECT_TRUE(test.error_starts.empty() == error.str().empty()) << label;
    }
}

}  // namespace
