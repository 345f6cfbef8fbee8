#include "app/words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "app/messages.h"
#include "doubles.h"
#include "form_harness.h"

namespace {

TEST(WordList, TakesEachLinesLastFieldOnceAndSkipsWhatCannotBeRecorded) {
    doubles::FakeTextEncoding encoding;
    encoding.refused = {"ж"};
    struct Case {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {
        {"11111\tabacus\r\n11112\tabdomen\r\n", {"abacus", "abdomen"}},
        {"one\ntwo\n\n  \ntwo\none  \nthree", {"one", "two", "three"}},
        {"şeker\nжук\na\u200Bb\nç", {"şeker", "ç"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::parse_word_list(c.text, encoding), c.words) << c.text;
    }
}

TEST(WordList, CountsAndSeparatorsAreChecked) {
    for (auto [text, count] :
         {std::pair{"6", 6}, {"1", 1}, {"20", 20}, {"21", 0}, {"0", 0}, {"", 0}, {"x", 0}}) {
        EXPECT_EQ(app::check_word_count(text), count) << text;
    }
    doubles::FakeTextEncoding encoding;
    for (auto [separator, usable] : {std::pair{" ", true},
                                     {"", true},
                                     {"-", true},
                                     {" · ", true},
                                     {"\t", false},
                                     {"\r\n", false}}) {
        EXPECT_EQ(app::usable_separator(separator, encoding), usable) << separator;
    }
}

TEST(Passphrase, JoinsTheDrawnWordsWithTheSeparator) {
    const std::vector<std::string> words = {"alpha", "bravo", "charlie"};
    struct Case {
        int count;
        const char* separator;
        const char* passphrase;
    } cases[] = {{3, " ", "charlie alpha bravo"},
                 {2, "-", "charlie-alpha"},
                 {1, "", "charlie"},
                 {3, "", "charliealphabravo"}};
    for (const auto& c : cases) {
        doubles::ScriptedRandom random;
        random.words = {2, 3, 4};
        EXPECT_EQ(app::draw_passphrase(words, c.count, c.separator, random), c.passphrase);
    }
    EXPECT_NEAR(app::passphrase_bits(7776, 6), 77.549, 1e-3);
}

TEST(Passphrase, WordsAreDrawnUniformly) {
    // Chi-square over a list of 10 words with a fixed seed; the bound is p < 1e-6 for 9 degrees.
    std::vector<std::string> words;
    for (char c = 'a'; c < 'a' + 10; ++c) {
        words.emplace_back(3, c);
    }
    doubles::SeededRandom random(6);
    std::map<std::string, int> counts;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        ++counts[app::draw_passphrase(words, 1, " ", random)];
    }
    ASSERT_EQ(counts.size(), words.size());
    double chi_square = 0;
    const double expected = kDraws / 10.0;
    for (const auto& [word, count] : counts) {
        chi_square += (count - expected) * (count - expected) / expected;
    }
    EXPECT_LT(chi_square, 40.0);
}

TEST(Passphrase, EveryPassphraseCountsTextsNotSequences) {
    EXPECT_EQ(app::every_passphrase({"a", "aa"}, 2, "", 100).size(), 3u);  // a+aa = aa+a
    EXPECT_EQ(app::every_passphrase({"a", "aa"}, 2, " ", 100).size(), 4u);
    EXPECT_TRUE(app::every_passphrase({"a", "b"}, 8, " ", 255).empty());
}

TEST(Passphrase, TheWindowDrawsFromTheListAndRefusesWhatItCannotUse) {
    using namespace app;
    struct Case {
        const char* list;  // nullptr: no words.txt
        const char* count;
        std::string message;
    } cases[] = {
        {"11111\tabacus\r\n11112\tzebra\r\n", "3", ""},
        {"one\r\none\r\n", "3", kShortWordList},
        {"abacus\r\nzebra\r\n", "0", kWordCount},
        {nullptr, "3", kNoWordList},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list ? c.list : "(none)");
        FormHarness harness;
        std::filesystem::create_directory(harness.folder.file("Language"));
        if (c.list) {
            doubles::write_file(harness.folder.file("Language/words.txt"), c.list);
        }
        app::frmMain& form = harness.start();
        form.raise_value_change(form.chkWords, 1);
        form.txtWordCount.set_text(c.count);
        form.raise_click(form.cmdOlustur);
        const std::string shown = form.txtSifre.text();
        if (!c.message.empty()) {
            ASSERT_EQ(harness.messages.shown.size(), 1u);
            EXPECT_EQ(harness.messages.shown[0].text.rfind(c.message, 0), 0u);
            EXPECT_EQ(shown, "");
            continue;
        }
        EXPECT_TRUE(harness.messages.shown.empty());
        EXPECT_EQ(std::count(shown.begin(), shown.end(), ' '), 2) << shown;
        EXPECT_EQ(shown.find_first_not_of("abcusezr "), std::string::npos) << shown;
        EXPECT_EQ(doubles::read_file(harness.folder.file("sifreler.dat")),
                  "temppass\r\n" + shown + "\r\n");
        EXPECT_EQ(form.barStrength.tooltip(), "3 bits — weak");
    }
}

}  // namespace

// A list saved as UTF-8, with or without a byte-order mark, reads as such on every system; one in
// the ANSI code page only where the files are kept in it; a word the code page cannot hold is
// left out and counted.
TEST(WordList, ReadsUtf8AndTheCodePageAndCountsWhatItCannotHold) {
    doubles::TempFolder folder;
    native::FileSystem files;
    doubles::FakeTextEncoding utf8;
    doubles::FakeTextEncoding code_page;
    code_page.utf8 = false;
    code_page.refused = {"ğ"};
    const std::string turkish = "şeker\r\nçiçek\r\nığdır\r\nİzmir\r\n";
    for (const std::string& bytes : {turkish, "\xEF\xBB\xBF" + turkish}) {
        doubles::write_file(folder.file("words.txt"), bytes);
        for (const auto* encoding : {&utf8, &code_page}) {
            std::size_t unheld = 0;
            const auto words = app::parse_word_list(
                app::read_word_list(files, folder.file("words.txt"), *encoding), *encoding,
                &unheld);
            const bool holds_all = encoding == &utf8;
            EXPECT_EQ(words.size(), holds_all ? 4u : 3u);
            EXPECT_EQ(words.front(), "şeker");
            EXPECT_EQ(unheld, holds_all ? 0u : 1u);
        }
    }
    doubles::write_file(folder.file("words.txt"),
                        "\xFE"
                        "eker\r\n");  // "şeker" in code page 1254
    EXPECT_THROW(app::read_word_list(files, folder.file("words.txt"), utf8), platform::FileError);
#ifdef _WIN32
    EXPECT_EQ(app::read_word_list(files, folder.file("words.txt"), code_page), "şeker\r\n");
#endif
}
