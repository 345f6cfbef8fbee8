#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "program/command_line.h"

namespace {

TEST(Generate, ExitCodesOutputAndMessages) {
    struct Case {
        std::vector<const char*> arguments;
        int exit_code;
        std::size_t lines;    // printed passwords
        const char* message;  // the start of what standard error says
    } cases[] = {
        {{"--generate"}, 0, 1, ""},
        {{"--generate", "-n", "5", "--length", "50"}, 0, 5, ""},
        {{"--generate", "--classes", "D", "--length=3", "--allow-repeats"}, 0, 1, ""},
        {{"--generate", "--chars", "   "}, 1, 0, "Please select chars to generate password!"},
        {{"--generate", "--classes", ""}, 1, 0, "Please select chars to generate password!"},
        {{"--generate", "--length", "0"}, 1, 0, "Password must be at least 1 char!"},
        {{"--generate", "--length", "x"}, 2, 0, "keymint: --length does not take 'x'"},
        {{"--generate", "--length", "8x"}, 2, 0, "keymint: --length does not take '8x'"},
        {{"--generate", "--length", ""}, 2, 0, "keymint: --length does not take ''"},
        {{"--generate", "--length", "-3"}, 1, 0, "Password must be at least 1 char!"},
        {{"--generate", "--length=99999999999999999999"}, 1, 0, "Password can be max. 50"},
        {{"--generate", "-n", "0"}, 2, 0, "keymint: -n does not take '0'"},
        {{"--generate", "-n", "100000001"},
         2,
         0,
         "keymint: -n does not take '100000001'; it "
         "wants a count from 1 to 100000000"},
        {{"--generate", "--chars", "ab\xFF"}, 2, 0, "keymint: --chars takes UTF-8 text only"},
        {{"--generate", "--chars", "\u0301\uFE0F\u20DD"}, 1, 0, "Please select chars"},
        {{"--generate", "--classes", "U", "--chars", "ab"}, 2, 0, "keymint: --classes and --chars"},
        {{"--generate", "--chars", "ab", "--classes", "U"}, 2, 0, "keymint: --classes and --chars"},
        // Characters the records file's encoding cannot hold are named, the rest are used.
        {{"--generate", "--chars", "Ωbcж", "-n", "2"}, 0, 2, "keymint: left out of --chars"},
        {{"--generate", "--chars", "ж"},
         1,
         0,
         "keymint: left out of --chars, as the records file "
         "is kept in this system's code page, which cannot "
         "hold them: U+0436\nPlease select chars"},
        {{"--generate", "--length", "51"}, 1, 0, "Password can be max. 50 chars!"},
        {{"--generate", "--chars", "ab", "--length", "1", "-n", "3"},
         1,
         0,
         "Only 2 of the 3 asked for"},
        {{"--generate", "--classes", "UX"}, 2, 0, "keymint: --classes does not take 'UX'"},
        {{"--generate", "-n", "-1"}, 2, 0, "keymint: -n does not take '-1'"},
        {{"--generate", "--length"}, 2, 0, "keymint: --length needs a value"},
        {{"--generate", "--colour"}, 2, 0, "keymint: unknown option '--colour'"},
        {{"--length", "12"}, 2, 0, "keymint: --length goes with --generate"},
        {{"--generate", "--every-class", "--no-look-alikes", "-n", "50", "--length", "4"},
         0,
         50,
         ""},
        {{"--generate", "--every-class", "--length", "3"},
         1,
         0,
         "Password must be at least 4 chars to hold one of each chosen kind!"},
        {{"--generate", "--every-class", "--classes", "UD", "--length", "2"}, 0, 1, ""},
        // 26 * 10 * 2 passwords hold a letter and a digit.
        {{"--generate", "--every-class", "--classes", "UD", "--length", "2", "-n", "521"},
         1,
         0,
         "Only 520 of the 521 asked for"},
        {{"--generate", "--no-look-alikes", "--chars", "l1I|O0o"},
         1,
         0,
         "Every character of the list is one that looks like another"},
        {{"--generate", "--every-class", "--chars", "ab"},
         2,
         0,
         "keymint: --every-class goes with the classes, not with --chars"},
        {{"--generate", "--every-class=yes"}, 2, 0, "keymint: --every-class takes no value"},
        {{"--no-look-alikes"}, 2, 0, "keymint: --no-look-alikes goes with --generate"},
        // Passphrases; "@name" is a word list in the case's folder: two.txt holds two words,
        // one.txt one word twice.
        {{"--generate", "--words", "4", "--word-list", "@two.txt", "-n", "3"}, 0, 3, ""},
        {{"--generate", "--words", "2", "--separator", "+", "--word-list", "@two.txt"}, 0, 1, ""},
        {{"--generate", "--words", "1", "--word-list", "@two.txt", "-n", "3"},
         1,
         0,
         "Only 2 of the 3 asked for"},
        {{"--generate", "--words", "3", "--word-list", "@one.txt"},
         1,
         0,
         "The word list must hold at least 2 different words!"},
        // Out of range is said first, even where the list is missing.
        {{"--generate", "--words", "21", "--word-list", "@none.txt"},
         1,
         0,
         "Passphrase must be 1 to 20 words!"},
        {{"--generate", "--words", "2", "--separator", "\t", "--word-list", "@two.txt"},
         1,
         0,
         "The separator can hold only spaces"},
        {{"--generate", "--words", "2", "--separator", "-Ω", "--word-list", "@two.txt"},
         1,
         0,
         "The separator holds characters the records file cannot keep, because it is kept in "
         "this system's code page: U+03A9"},
        {{"--generate", "--words", "3", "--word-list", "@none.txt"},
         1,
         0,
         "Can't read the word list."},
        {{"--generate", "--words", "x"}, 2, 0, "keymint: --words does not take 'x'"},
        {{"--generate", "--words", "3", "--length", "8"}, 2, 0, "keymint: --words does not go"},
        {{"--generate", "--separator", "-"}, 2, 0, "keymint: --separator goes with --words"},
        {{"--generate", "--word-list", "a.txt"}, 2, 0, "keymint: --word-list goes with --words"},
        // Characters left out, and sites' rules.
        {{"--generate", "--exclude", "cab", "--chars", "abc"},
         1,
         0,
         "Every character the password could be drawn from is among the characters to leave out!"},
        {{"--generate", "--rules", "minlength: 12; required: digit", "-n", "3"}, 0, 3, ""},
        {{"--generate", "--rules", "minlength: 60"}, 1, 0, "The rule \"minlength: 60\" cannot"},
        {{"--generate", "--rules", "required: [ab"}, 1, 0, "The rule \"required: [ab\" cannot"},
        {{"--generate", "--rules", "maxlength: 6", "--length", "8"}, 1, 0, "The rule"},
        {{"--generate", "--site", "apple.com", "--classes", "LD"},
         2,
         0,
         "keymint: --site chooses the characters itself"},
        {{"--generate", "--site", "apple.com"}, 1, 0, "Can't read the list of sites' rules."},
        {{"--generate", "--site", "a.b", "--rules", "x"}, 2, 0, "keymint: --rules and --site"},
    };
    for (const auto& c : cases) {
        doubles::TempFolder folder;
        doubles::FakeProgramInfo program(folder.path());
        platform::posix::PosixFileSystem files;
        platform::posix::PosixRandomSource random;
        doubles::FakeTextEncoding encoding;
        encoding.refused = {"Ω", "ж"};
        doubles::write_file(folder.file("two.txt"), "alpha\r\nbravo\r\n");
        doubles::write_file(folder.file("one.txt"), "alpha\r\nalpha\r\n");
        std::vector<std::string> paths;
        for (const char* argument : c.arguments) {
            paths.push_back(argument[0] == '@' ? folder.file(argument + 1) : argument);
        }
        std::vector<const char*> argv{"keymint"};
        for (const auto& argument : paths) {
            argv.push_back(argument.c_str());
        }
        std::ostringstream out, errors;
        auto generate = [&](const app::BatchRequest& request) {
            return program::generate_passwords(request, program, files, random, encoding, out,
                                               errors);
        };
        auto exit_code = program::answer_without_window(static_cast<int>(argv.size()), argv.data(),
                                                        out, errors, generate);
        std::string described = c.arguments.size() > 1 ? c.arguments[1] : "";
        ASSERT_TRUE(exit_code.has_value()) << described;
        EXPECT_EQ(*exit_code, c.exit_code) << described;
        const std::string printed = out.str();
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), static_cast<long>(c.lines))
            << described;
        EXPECT_EQ(errors.str().rfind(c.message, 0), 0u) << errors.str();
        if (c.exit_code == 0 && c.arguments.size() > 3 &&
            std::string_view(c.arguments[1]) == "--words") {
            const std::string separator =
                std::string_view(c.arguments[3]) == "--separator" ? "+" : " ";
            const std::string words = c.arguments[2];
            std::istringstream lines(printed);
            for (std::string line; std::getline(lines, line);) {
                std::string rest = line;
                for (const char* word : {"alpha", "bravo"}) {
                    for (std::size_t at; (at = rest.find(word)) != std::string::npos;) {
                        rest.erase(at, 5);
                    }
                }
                EXPECT_EQ(rest, std::string(std::stoul(words) - 1, separator[0])) << line;
            }
        }
        if (c.arguments.size() > 1 && std::string_view(c.arguments[1]) == "--every-class" &&
            c.exit_code == 0) {
            std::istringstream lines(printed);
            for (std::string line; std::getline(lines, line);) {
                EXPECT_TRUE(std::any_of(line.begin(), line.end(), ::isdigit) &&
                            std::any_of(line.begin(), line.end(), ::isupper))
                    << line;
                const bool no_look_alikes =
                    std::find(c.arguments.begin(), c.arguments.end(),
                              std::string_view("--no-look-alikes")) != c.arguments.end();
                EXPECT_TRUE(!no_look_alikes || line.find_first_of("l1I|O0o") == std::string::npos)
                    << line;
            }
        }
    }
}

}  // namespace
