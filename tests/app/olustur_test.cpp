#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "app/text.h"
#include "form_harness.h"

namespace {

const std::string kAllClasses =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!^+%&()=?_£#${[]}\\|*@€~";

bool drawn_from(const std::string& password, const std::string& pool) {
    auto allowed = app::code_points(pool);
    for (const auto& c : app::code_points(password)) {
        if (std::find(allowed.begin(), allowed.end(), c) == allowed.end()) {
            return false;
        }
    }
    return true;
}

class Olustur : public ::testing::Test {
  protected:
    void SetUp() override { form = &harness.start(); }

    void use_custom_list(const std::string& list) {
        form->raise_value_change(form->blnOzelKarakterler, 1);
        form->raise_text_edit(form->arrOzelKarakterler, list);
    }
    std::vector<doubles::Message>& messages() { return harness.messages.shown; }

    FormHarness harness;
    app::frmMain* form = nullptr;
};

TEST_F(Olustur, DefaultsDrawEightCharactersFromAllFourClassesAndRecordThem) {
    form->raise_click(form->cmdOlustur);
    const std::string password = form->txtSifre.text();
    EXPECT_EQ(app::code_point_count(password), 8u);
    EXPECT_TRUE(drawn_from(password, kAllClasses)) << password;
    EXPECT_EQ(harness.records(), "temppass\r\n" + password + "\r\n");
    EXPECT_TRUE(form->cmdKopyala.enabled());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Olustur, ThePoolHoldsTheTickedClassesInOrder) {
    // Index 62 of the full pool is its first other character; with digits alone it wraps.
    harness.pick(85, 62);
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(app::code_points(form->txtSifre.text())[0], "!");

    form->blnUpper.set_value(0);
    form->blnLower.set_value(0);
    form->blnOzel.set_value(0);
    harness.random.scripted = false;
    for (int i = 0; i < 20; ++i) {
        form->raise_click(form->cmdOlustur);
        EXPECT_TRUE(drawn_from(form->txtSifre.text(), "0123456789")) << form->txtSifre.text();
    }
}

TEST_F(Olustur, CustomListLosesItsSpacesAndKeepsItsDuplicates) {
    use_custom_list("a a b");
    form->intUzunluk.set_text("50");
    std::map<std::string, int> counts;
    for (int i = 0; i < 200; ++i) {
        form->raise_click(form->cmdOlustur);
        for (const auto& c : app::code_points(form->txtSifre.text())) {
            ++counts[c];
        }
    }
    EXPECT_EQ(form->arrOzelKarakterler.text(), "aab");
    ASSERT_EQ(counts.size(), 2u);
    // 10,000 draws at 2:1; the bounds sit more than six standard deviations away.
    EXPECT_NEAR(counts["a"], 6667, 300);
    EXPECT_NEAR(counts["b"], 3333, 300);
}

TEST_F(Olustur, CharactersOutsideTheBasicPlaneAndCombiningMarksStayWhole) {
    use_custom_list("😀e\xCC\x81Ω");
    form->intUzunluk.set_text("50");
    form->raise_click(form->cmdOlustur);
    const std::string password = form->txtSifre.text();
    EXPECT_EQ(app::code_point_count(password), 50u);
    EXPECT_TRUE(drawn_from(password, "😀e\xCC\x81Ω"));
    for (const auto& c : app::code_points(password)) {
        EXPECT_NE(c, "\xEF\xBF\xBD") << "a character was split";
    }
}

TEST_F(Olustur, LengthRulesShowTheirMessagesAndKeepThePasswordBox) {
    struct Case {
        const char* length;
        const char* message;
        const char* length_after;
    };
    const Case cases[] = {
        {"0", "Password must be at least 1 char!", "0"},
        {"00", "Password must be at least 1 char!", "00"},
        {"", "Password must be at least 1 char!", ""},
        {"abc", "Password must be at least 1 char!", "abc"},
        {"51", "Password can be max. 50 chars!", "6"},
        {"123456789012345678901234567890", "Password can be max. 50 chars!", "6"},
    };
    form->txtSifre.set_text("before");
    const std::string records = harness.records();
    for (const auto& c : cases) {
        messages().clear();
        form->intUzunluk.set_text(c.length);
        form->raise_click(form->cmdOlustur);
        ASSERT_EQ(messages().size(), 1u) << c.length;
        EXPECT_EQ(messages()[0].text, c.message);
        EXPECT_EQ(messages()[0].caption, "Password not generated!");
        EXPECT_EQ(messages()[0].icon, platform::MessageIcon::Critical);
        EXPECT_EQ(form->intUzunluk.text(), c.length_after);
        EXPECT_EQ(form->txtSifre.text(), "before");
    }
    EXPECT_EQ(harness.records(), records);

    form->intUzunluk.set_text("50");
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(app::code_point_count(form->txtSifre.text()), 50u);
}

TEST_F(Olustur, AnEmptyPoolIsReportedBeforeTheLength) {
    for (auto* box : {&form->blnUpper, &form->blnLower, &form->blnNumber, &form->blnOzel}) {
        box->set_value(0);
    }
    form->intUzunluk.set_text("0");
    form->raise_click(form->cmdOlustur);
    use_custom_list("   ");
    form->raise_click(form->cmdOlustur);
    ASSERT_EQ(messages().size(), 2u);
    for (const auto& message : messages()) {
        EXPECT_EQ(message.text, "Please select chars to generate password!");
    }
    EXPECT_EQ(form->arrOzelKarakterler.text(), "");
}

// The message says why the pool or the separator cannot be used, naming what it must.
TEST_F(Olustur, TheOptionOrTheCodePageThatEmptiedItIsNamed) {
    harness.encoding.refused = {"Ω"};
    use_custom_list("l1IO0o");
    form->raise_value_change(form->chkNoLookAlikes, 1);
    form->raise_click(form->cmdOlustur);
    form->raise_value_change(form->chkNoLookAlikes, 0);
    form->raise_value_change(form->chkWords, 1);
    form->txtSeparator.set_text("-Ω");
    form->raise_click(form->cmdOlustur);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text, app::kOnlyLookAlikes);
    EXPECT_EQ(messages()[1].text, std::string(app::kSeparatorCodePage) + " Ω");
}

TEST_F(Olustur, APasswordOnRecordIsNeverRecordedTwice) {
    use_custom_list("a");
    form->intUzunluk.set_text("1");
    doubles::write_file(harness.records_path(), "temppass\r\na\r\n");

    // No repeats: the box is emptied and the copy button follows it.
    form->txtSifre.set_text("earlier");
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(form->txtSifre.text(), "");
    EXPECT_FALSE(form->cmdKopyala.enabled());

    // Repeats allowed: shown again, still recorded once.
    form->blnOncekilerOlmasin.set_value(0);
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(form->txtSifre.text(), "a");
    EXPECT_TRUE(form->cmdKopyala.enabled());
    EXPECT_EQ(harness.records(), "temppass\r\na\r\n");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Olustur, ACandidateEqualToTheFirstLineCountsAsOnRecord) {
    use_custom_list("tempas");
    form->intUzunluk.set_text("8");
    for (int index : {0, 1, 2, 3, 3, 4, 5, 5}) {
        harness.pick(6, static_cast<std::uint64_t>(index));
    }
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(form->strYeniSifre, "temppass");
    EXPECT_EQ(form->txtSifre.text(), "");
    EXPECT_EQ(harness.records(), "temppass\r\n");
}

TEST_F(Olustur, QuickSuccessiveRequestsAreAllDifferent) {
    std::set<std::string> seen;
    for (int i = 0; i < 500; ++i) {
        form->raise_click(form->cmdOlustur);
        const std::string password = form->txtSifre.text();
        ASSERT_EQ(app::code_point_count(password), 8u);
        seen.insert(password);
    }
    EXPECT_EQ(seen.size(), 500u);
}

TEST_F(Olustur, ARecordsFileDeletedWhileRunningIsCreatedAgain) {
    std::filesystem::remove(harness.records_path());
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(harness.records(), "temppass\r\n" + form->txtSifre.text() + "\r\n");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Olustur, NoPasswordIsHandedOutWhenItCannotBeRecorded) {
    std::filesystem::remove(harness.records_path());
    // A folder in the file's place can be neither created nor appended to.
    std::filesystem::create_directory(harness.records_path());
    form->txtSifre.set_text("");
    form->raise_click(form->cmdOlustur);
    EXPECT_EQ(form->txtSifre.text(), "");
    EXPECT_FALSE(form->cmdKopyala.enabled());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.rfind("Can't load file. Please make folder writeable.", 0), 0u);
    EXPECT_NE(messages()[0].text.find("sifreler.dat"), std::string::npos) << "names the file";
}

TEST(LeftOutCharacters, OneMessageNamesThemInTheLanguageFilesText) {
    struct Case {
        const char* language;  // the shipped file, or none for the built-in text
        const char* list;
        const char* length;
        const char* text_starts;
        const char* caption;
        const char* named;  // how the message ends
        bool drawn;
    } cases[] = {
        {"lang.ini", "Ωbж", "8", "Bu karakterler listeden", "Keymint", "Ω ж", true},
        {"english.ini", "Ωbж", "8", "These characters were left out", "Keymint", "Ω ж", true},
        {"", "Ω", "8", "These characters were left out", "Password not generated!", "Ω", false},
        {"", "Ωb", "0", "Password must be at least 1 char!\r\n\r\nThese characters",
         "Password not generated!", "Ω", false},
    };
    for (const auto& c : cases) {
        FormHarness harness;
        harness.encoding.refused = {"Ω", "ж"};
        if (*c.language != '\0') {
            std::filesystem::create_directory(harness.folder.file("Language"));
            doubles::write_file(
                harness.folder.file("Language/lang.ini"),
                doubles::read_file(std::string(KEYMINT_LANGUAGE_DIR "/") + c.language));
        }
        auto& form = harness.start();
        form.raise_value_change(form.blnOzelKarakterler, 1);
        form.raise_text_edit(form.arrOzelKarakterler, c.list);
        form.intUzunluk.set_text(c.length);
        form.raise_click(form.cmdOlustur);
        const auto& shown = harness.messages.shown;
        ASSERT_EQ(shown.size(), 1u) << c.list;
        EXPECT_EQ(shown[0].text.rfind(c.text_starts, 0), 0u) << shown[0].text;
        EXPECT_TRUE(shown[0].text.ends_with(std::string("\r\n\r\n") + c.named)) << shown[0].text;
        EXPECT_EQ(shown[0].caption, c.caption);
        EXPECT_EQ(form.txtSifre.text().empty(), !c.drawn) << c.list;
    }
}

}  // namespace
