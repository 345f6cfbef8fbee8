// Private records: the file encrypted, the key in the keyring, nothing lost either way.
#include "app/private_records.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/batch.h"
#include "app/inventory.h"
#include "form_harness.h"

namespace {

struct PrivateFile {
    doubles::TempFolder folder;
    native::FileSystem files;
    native::RandomSource random;
    native::Crypto crypto;
    doubles::FakeKeyStore keys;
    std::string path = folder.file("sifreler.dat");

    app::RecordsFile records() {
        return app::RecordsFile(files, path, std::make_shared<app::RecordKeys>(&crypto, &keys));
    }
    int batch(app::BatchRequest request, std::string& printed, std::string& errors) {
        auto file = records();
        std::ostringstream out, error;
        const int code =
            app::generate_batch(request, file, random, doubles::FakeTextEncoding(), out, error);
        printed = out.str();
        errors = error.str();
        return code;
    }
};

TEST(PrivateRecords, OnAndOffKeepEveryRecordInOrderByteForByte) {
    // As the program writes it, with records where the marker stands and stray blank lines, and
    // as another editor leaves it: no last line break, lone LF and CR. Back from private, every
    // line ends with CR LF.
    const std::pair<std::string, std::string> files[] = {
        {"temppass\r\nabcdefgh\r\nŞifre-ğüş\r\ntemppass\r\n\r\nxyzxyzxy\r\n", ""},
        // The marker goes first again; the record that stood in its place stays, below it.
        {"notmarker\r\nabcdefgh\r\n", "temppass\r\nnotmarker\r\nabcdefgh\r\n"},
        {"temppass\nabcdefgh\rdefdefde", "temppass\r\nabcdefgh\r\ndefdefde\r\n"},
    };
    for (const auto& [plain, back] : files) {
        PrivateFile file;
        doubles::write_file(file.path, plain);
        auto records = file.records();
        auto on = app::turn_private_on(records, file.random);
        ASSERT_TRUE(on);
        const std::string encrypted = doubles::read_file(file.path);
        // Base64 holds no "ş", and eight given letters stand at a place by chance once in 2^48.
        for (const char* password : {"abcdefgh", "Şifre", "xyzxyzxy", "defdefde"}) {
            EXPECT_EQ(encrypted.find(password), std::string::npos) << encrypted;
        }
        EXPECT_EQ(file.keys.keys.size(), 1u);
        EXPECT_FALSE(app::turn_private_on(records, file.random));  // once is enough
        EXPECT_EQ(app::turn_private_off(records), 0u);
        EXPECT_EQ(doubles::read_file(file.path), back.empty() ? plain : back);
    }
}

TEST(PrivateRecords, NoKeyringNoKeyOrAWrongCodeChangesNothing) {
    PrivateFile file;
    doubles::write_file(file.path, "temppass\r\nabc\r\n");
    auto records = file.records();
    file.keys.refusal = "No keyring answers on this desktop session.";
    EXPECT_THROW(app::turn_private_on(records, file.random), app::RecordsKeyError);
    EXPECT_EQ(doubles::read_file(file.path), "temppass\r\nabc\r\n");

    file.keys.refusal.clear();
    const std::string code = app::turn_private_on(records, file.random)->recovery_code;
    const std::string encrypted = doubles::read_file(file.path);
    file.keys.keys.clear();  // the keyring was reset; a new process does not know the key
    auto fresh = file.records();
    std::string printed, errors;
    EXPECT_EQ(file.batch({.length = "8", .custom_list = "abcdefgh", .count = 3}, printed, errors),
              1);
    EXPECT_NE(errors.find("keymint --recover"), std::string::npos) << errors;
    EXPECT_EQ(printed, "");
    EXPECT_THROW(app::turn_private_off(fresh), app::RecordsKeyError);
    EXPECT_EQ(doubles::read_file(file.path), encrypted);

    PrivateFile other;
    auto other_records = other.records();
    const std::string other_code = app::turn_private_on(other_records, other.random)->recovery_code;
    EXPECT_THROW(app::recover_key(fresh, other_code), app::RecordsKeyError);
    EXPECT_THROW(app::recover_key(fresh, code.substr(5)), app::RecordsKeyError);
    EXPECT_TRUE(file.keys.keys.empty());

    app::recover_key(fresh, code);
    auto on_another_machine = file.records();
    EXPECT_EQ(app::turn_private_off(on_another_machine), 0u);
    EXPECT_EQ(doubles::read_file(file.path), "temppass\r\nabc\r\n");
}

TEST(PrivateRecords, TheBatchChecksAndRecordsInPrivateForm) {
    PrivateFile file;
    auto records = file.records();
    ASSERT_TRUE(app::turn_private_on(records, file.random));
    std::string printed, errors;
    // Two passwords can be drawn from "ab" at length 1: the third is refused, exactly.
    ASSERT_EQ(file.batch({.length = "1", .custom_list = "ab", .count = 2}, printed, errors), 0)
        << errors;
    EXPECT_EQ(file.batch({.length = "1", .custom_list = "ab", .count = 1}, printed, errors), 1);
    EXPECT_NE(errors.find("Only 0 of the 1"), std::string::npos) << errors;
    const std::string stored = doubles::read_file(file.path);
    EXPECT_EQ(stored.find("\r\na\r\n"), std::string::npos);
    EXPECT_EQ(stored.find("\r\nb\r\n"), std::string::npos);
    EXPECT_EQ(app::turn_private_off(records), 0u);
    EXPECT_EQ(doubles::read_file(file.path).size(), std::string("temppass\r\na\r\nb\r\n").size());
}

TEST(PrivateRecords, ALineItCannotReadIsKeptAndNeverARecord) {
    PrivateFile file;
    doubles::write_file(file.path, "temppass\r\nabc\r\n");
    auto records = file.records();
    ASSERT_TRUE(app::turn_private_on(records, file.random));
    // Another program appends a plain line and damages the first record.
    std::string text = doubles::read_file(file.path);
    const std::size_t record = text.find("\r\n") + 2;
    text[record + 10] = text[record + 10] == 'A' ? 'B' : 'A';
    doubles::write_file(file.path, text + "xy\r\n");

    EXPECT_FALSE(records.is_on_record("xy"));
    const app::ListItems items = records.list();
    ASSERT_EQ(items.size(), 3u);  // the two lines and the empty piece after the last line break
    EXPECT_EQ(items.shown(0), app::ListItems::kUnreadable);
    EXPECT_EQ(items.shown(1), app::ListItems::kUnreadable);
    EXPECT_EQ(records.delete_matching("ABC"), 2u) << "both might have held it";
    EXPECT_EQ(doubles::read_file(file.path), text + "xy\r\n");
    EXPECT_EQ(app::turn_private_off(records), 2u);
    EXPECT_NE(doubles::read_file(file.path).find("\r\nxy\r\n"), std::string::npos);
}

TEST(PrivateRecords, TheListReadsItsRowsFromTheFileItListed) {
    PrivateFile file;
    const std::string long_record(3000, 'x');
    doubles::write_file(file.path, "temppass\r\nfirst-one\r\n" + long_record + "\r\nabc");
    auto records = file.records();
    ASSERT_TRUE(app::turn_private_on(records, file.random));
    const app::ListItems items = records.list();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items.at(0), "first-one");
    EXPECT_EQ(items.at(1), long_record);
    EXPECT_EQ(items.shown(1).size(), app::ListItems::kShownBytes + 3);  // cut, and "…"
    EXPECT_EQ(items.at(2), "abc");
    // A new file in its place leaves the list with the one it read; a cut one, with what is left.
    const std::string listed = doubles::read_file(file.path);
    EXPECT_EQ(app::turn_private_off(records), 0u);
    EXPECT_EQ(items.at(2), "abc");
    doubles::write_file(file.path, listed);
    const app::ListItems again = records.list();
    doubles::write_file(file.path, listed.substr(0, listed.size() / 2));
    EXPECT_EQ(again.at(0), "first-one");
    EXPECT_EQ(again.at(2), "");
    EXPECT_EQ(again.shown(2), app::ListItems::kUnreadable);
}

class PrivateWindowTest : public ::testing::Test {
  protected:
    app::frmMain& form() { return *harness.form; }
    void click_private(int value) { form().raise_value_change(form().chkPrivate, value); }
    FormHarness harness;
};

TEST_F(PrivateWindowTest, TheBoxTurnsThemOnShowsTheKeyOnceAndGenerateListsAndDeletesThem) {
    harness.start();
    EXPECT_EQ(form().chkPrivate.value(), 0);
    click_private(1);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    const std::string& shown = harness.messages.shown[0].text;
    const std::string code = shown.substr(shown.rfind('\n') + 1);
    EXPECT_EQ(code.size(), 69u) << shown;
    EXPECT_EQ(form().chkPrivate.value(), 1);

    form().raise_click(form().cmdOlustur);
    const std::string password = form().txtSifre.text();
    ASSERT_FALSE(password.empty());
    EXPECT_EQ(harness.records().find(password), std::string::npos);
    form().raise_tab_change(app::kTabRecords);
    ASSERT_EQ(form().lstSifreler.items().size(), 2u);
    EXPECT_EQ(form().lstSifreler.items().shown(0), password);
    form().raise_list_select(form().lstSifreler, 0);
    form().raise_click(form().cmdSifreSil);
    EXPECT_EQ(form().lstSifreler.items().size(), 1u);

    harness.start();  // a second run reads what the file is
    EXPECT_EQ(form().chkPrivate.value(), 1);
    click_private(0);
    EXPECT_EQ(form().chkPrivate.value(), 0);
    EXPECT_EQ(harness.records(), "temppass\r\n");
}

TEST_F(PrivateWindowTest, AKeyringThatRefusesLeavesTheBoxAndTheFileAsTheyWere) {
    harness.start();
    harness.keys.refusal = "The keyring is locked: unlock it and try again.";
    click_private(1);
    EXPECT_EQ(form().chkPrivate.value(), 0);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_NE(harness.messages.shown[0].text.find("locked"), std::string::npos);
    EXPECT_EQ(harness.records(), "temppass\r\n");

    harness.keys.refusal.clear();
    click_private(1);
    const std::string shown = harness.messages.shown.back().text;
    const std::string code = shown.substr(shown.rfind('\n') + 1);
    harness.keys.keys.clear();
    harness.start();
    harness.messages.shown.clear();
    // Without the key Generate asks for the recovery key: cancelled, then mistyped, then right.
    harness.messages.answers = {std::nullopt, code.substr(5), code};
    for (int ask = 0; ask < 3; ++ask) {
        form().raise_click(form().cmdOlustur);
        EXPECT_EQ(form().txtSifre.text(), "");
    }
    ASSERT_EQ(harness.messages.asked.size(), 3u);
    EXPECT_NE(harness.messages.asked[0].text.find("not in this desktop's keyring"),
              std::string::npos);
    ASSERT_EQ(harness.messages.shown.size(), 2u);
    EXPECT_NE(harness.messages.shown[0].text.find("not a recovery key"), std::string::npos);
    EXPECT_EQ(harness.messages.shown[1].text, app::kKeyRecovered);
    form().raise_click(form().cmdOlustur);
    EXPECT_FALSE(form().txtSifre.text().empty());
    EXPECT_EQ(harness.messages.asked.size(), 3u);
}

}  // namespace
