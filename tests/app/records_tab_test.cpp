// The Records tab and the copy button, driven through the window's events over a real records
// file in a temporary program folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/inventory.h"
#include "form_harness.h"

namespace {

using Items = std::vector<std::string>;

constexpr const char* kCopyFirst = "Generate password before copy to clipboard.";
constexpr const char* kCopied =
    "The password copied to clipboard.\r\n\r\nYou can paste it to a textarea.";

class RecordsTabTest : public ::testing::Test {
  protected:
    void SetUp() override { form = &harness.start(); }

    void write_records(const std::string& text) {
        harness.files.create(harness.records_path(), text, platform::FileAccess::OwnerOnly);
    }
    void click(app::Control& control) { form->raise_click(control); }
    void open_records_tab() { form->raise_tab_change(app::kTabRecords); }
    void select_item(int index) { form->raise_list_select(form->lstSifreler, index); }
    void choose(app::Control& option) { form->raise_value_change(option, 1); }

    Items items() const {
        Items shown;
        const auto& list = form->lstSifreler.items();
        for (std::size_t i = 0; i < list.size(); ++i) {
            shown.emplace_back(list.at(i));
        }
        return shown;
    }
    int index_of(const std::string& item) const {
        Items shown = items();
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (shown[i] == item) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "no item " << item;
        return -1;
    }
    static std::string repeated(const std::string& text, int times) {
        std::string all;
        for (int i = 0; i < times; ++i) {
            all += text;
        }
        return all;
    }
    unsigned mode() const {
        struct stat info {};
        EXPECT_EQ(::stat(harness.records_path().c_str(), &info), 0);
        return info.st_mode & 07777;
    }
    // Windows has no owner-only mode bits.
    void expect_owner_only() const {
#ifndef _WIN32
        EXPECT_EQ(mode(), 0600u);
#endif
    }
    void expect_one_error(const std::string& mentioning) {
        ASSERT_EQ(harness.messages.shown.size(), 1u);
        const auto& message = harness.messages.shown[0];
        EXPECT_EQ(message.caption, "Keymint v0.3");
        EXPECT_EQ(message.icon, platform::MessageIcon::Critical);
        EXPECT_NE(message.text.find(mentioning), std::string::npos) << message.text;
    }

    FormHarness harness;
    app::frmMain* form = nullptr;
};

TEST_F(RecordsTabTest, ListingShowsEveryLineButTemppassInFileOrder) {
    struct Case {
        std::string file;
        Items expected;
    };
    const Case cases[] = {
        {"temppass\r\n", {""}},
        {"temppass\r\nabc\r\nABC\r\n", {"abc", "ABC", ""}},
        {"first\r\nabc\r\n", {"first", "abc", ""}},
        {"temppass\r\nabc\r\ntemppass\r\nxyz\r\n", {"abc", "xyz", ""}},
        {"temppass\r\nTEMPPASS\r\ntemppass \r\n", {"TEMPPASS", "temppass ", ""}},
        {"temppass\r\n\r\nabc\r\n", {"", "abc", ""}},
        {"temppass\r\nno line break", {"no line break"}},
        {"temppass\nabc\n", {"abc", ""}},
        {"temppass\r\n£€a\rb\r\n", {"£€a", "b", ""}},
    };
    int round = 0;
    for (const auto& c : cases) {
        write_records(c.file);
        // Whichever tab is chosen, even the one on screen, the list is read from the file anew.
        form->raise_tab_change(round++ / 2 % 4);
        EXPECT_EQ(items(), c.expected) << c.file;
        EXPECT_EQ(form->lstSifreler.list_index(), -1);
    }
    EXPECT_TRUE(harness.messages.shown.empty());
}

TEST_F(RecordsTabTest, DeletingTheSelectedRecordRemovesEveryCopyOfItRegardlessOfCase) {
    struct Case {
        std::string file;
        std::string selected;  // empty: no item selected
        std::string expected_file;
        Items expected_items;
    };
    const Case cases[] = {
        {"temppass\r\nabc\r\nABC\r\n", "abc", "temppass\r\n", {""}},
        {"temppass\r\nabc\r\nABC\r\n", "ABC", "temppass\r\n", {""}},
        {"temppass\r\nabc\r\nxyz\r\naBc\r\nabc\r\n", "aBc", "temppass\r\nxyz\r\n", {"xyz", ""}},
        {"temppass\r\nabc\r\nabcd\r\nxabc\r\n",
         "abc",
         "temppass\r\nabcd\r\nxabc\r\n",
         {"abcd", "xabc", ""}},
        // A record in the first line stays, below "temppass"; "temppass" further down stays.
        {"first\r\nabc\r\nxyz\r\n", "xyz", "temppass\r\nfirst\r\nabc\r\n", {"first", "abc", ""}},
        {"temppass\r\nabc\r\ntemppass\r\nxyz\r\n",
         "abc",
         "temppass\r\ntemppass\r\nxyz\r\n",
         {"xyz", ""}},
        {"temppass\r\n\r\nabc\r\n\r\n\r\nxyz\r\n", "xyz", "temppass\r\nabc\r\n", {"abc", ""}},
        {"temppass\r\nabc\r\nlast", "abc", "temppass\r\nlast\r\n", {"last", ""}},
        {"temppass\r\n£a€\r\n£A€\r\n€\r\n", "£A€", "temppass\r\n€\r\n", {"€", ""}},
        // With nothing selected only blank lines go.
        {"hand\r\n\r\nabc\r\nABC\r\n\r\n",
         "",
         "temppass\r\nhand\r\nabc\r\nABC\r\n",
         {"hand", "abc", "ABC", ""}},
        {"temppass", "", "temppass\r\n", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        write_records(c.file);
        open_records_tab();
        if (!c.selected.empty()) {
            select_item(index_of(c.selected));
            EXPECT_EQ(form->optSecililer.value(), 1);
        }
        click(form->cmdSifreSil);
        EXPECT_EQ(harness.records(), c.expected_file);
        EXPECT_EQ(items(), c.expected_items);
        expect_owner_only();
    }
    EXPECT_TRUE(harness.messages.shown.empty());
}

TEST_F(RecordsTabTest, SelectingTheEmptyLastItemDeletesLikeNoSelection) {
    write_records("temppass\r\n\r\nabc\r\n");
    open_records_tab();
    select_item(2);
    ASSERT_EQ(form->lstSifreler.list_index(), 2);
    click(form->cmdSifreSil);
    EXPECT_EQ(harness.records(), "temppass\r\nabc\r\n");
    EXPECT_EQ(items(), (Items{"abc", ""}));
}

TEST_F(RecordsTabTest, DeleteAllLeavesTheFirstLineAndAnEmptyListUntilTheNextRefresh) {
    write_records("temppass\r\nabc\r\nxyz\r\n");
    open_records_tab();
    choose(form->optAll);
    click(form->cmdSifreSil);
    EXPECT_EQ(harness.records(), "temppass\r\n");
    EXPECT_EQ(items(), Items{});
    expect_owner_only();
    open_records_tab();
    EXPECT_EQ(items(), Items{""});
    EXPECT_TRUE(harness.messages.shown.empty());
}

TEST_F(RecordsTabTest, ClickingAnItemSwitchesBackToTheSelectedRecord) {
    write_records("temppass\r\nabc\r\nxyz\r\n");
    open_records_tab();
    choose(form->optAll);
    ASSERT_EQ(form->optAll.value(), 1);
    select_item(1);
    EXPECT_EQ(form->optSecililer.value(), 1);
    EXPECT_EQ(form->optAll.value(), 0);
    click(form->cmdSifreSil);
    EXPECT_EQ(harness.records(), "temppass\r\nabc\r\n");
}

TEST_F(RecordsTabTest, AReadOnlyFileIsNeitherReplacedNorClearedFromTheList) {
    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "all records" : "selected record");
        harness.messages.shown.clear();
        const std::string file = "hand\r\nabc\r\n\r\nxyz\r\n";
        write_records(file);
        ASSERT_EQ(::chmod(harness.records_path().c_str(), 0400), 0);
        const unsigned read_only = mode();
        open_records_tab();
        select_item(1);
        if (all) {
            choose(form->optAll);
        }
        click(form->cmdSifreSil);
        expect_one_error("read-only");
        EXPECT_EQ(harness.records(), file);
        EXPECT_EQ(mode(), read_only);
        EXPECT_EQ(items(), (Items{"hand", "abc", "", "xyz", ""}));
        EXPECT_EQ(form->lstSifreler.list_index(), 1);
        ASSERT_EQ(::chmod(harness.records_path().c_str(), 0600), 0);
    }
}

TEST_F(RecordsTabTest, AnUnreadableFileEmptiesTheListWithOneMessage) {
    for (bool as_folder : {false, true}) {
        harness.messages.shown.clear();
        write_records("temppass\r\nabc\r\n");
        open_records_tab();
        ASSERT_EQ(items().size(), 2u);
        std::filesystem::remove(harness.records_path());
        if (as_folder) {
            std::filesystem::create_directory(harness.records_path());
        }
        form->raise_tab_change(app::kTabGenerate);
        expect_one_error("sifreler.dat");
        EXPECT_EQ(items(), Items{});
        std::filesystem::remove(harness.records_path());
    }
}

TEST_F(RecordsTabTest, ASelectiveDeleteHasNoLimitOnTheNumberOfRecords) {
    constexpr int kRecords = 40000;
    std::string file = "temppass\r\n";
    std::string expected = file;
    for (int i = 0; i < kRecords; ++i) {
        std::string record = "r" + std::to_string(i);
        file += record + "\r\n";
        expected += record + "\r\n";
        if (i % 1000 == 0) {
            file += "Gone\r\n";
        }
    }
    write_records(file);
    open_records_tab();
    ASSERT_EQ(items().size(), kRecords + 40 + 1u);
    select_item(index_of("Gone"));
    click(form->cmdSifreSil);
    EXPECT_TRUE(harness.messages.shown.empty());
    // Compared whole, as a failure diff of two large texts would take minutes.
    const std::string left = harness.records();
    EXPECT_TRUE(left == expected) << left.size() << " bytes left instead of " << expected.size();
    EXPECT_EQ(items().size(), kRecords + 1u);
}

// ---- Copy ----

TEST_F(RecordsTabTest, CopyingAnEmptyBoxAsksForAPasswordFirst) {
    click(form->cmdKopyala);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_EQ(harness.messages.shown[0].text, kCopyFirst);
    EXPECT_EQ(harness.messages.shown[0].caption, "Keymint v0.3");
    EXPECT_EQ(harness.messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(harness.clipboard.copies, 0);
}

TEST_F(RecordsTabTest, CopyPutsTheWholePasswordOnTheClipboardAndConfirms) {
    struct Case {
        std::string password;
        std::size_t characters;
    };
    const Case cases[] = {
        {"a", 1},
        {"Ab3!^+%&", 8},
        {"£€x£€", 5},
        {repeated("€", 50), 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        harness.messages.shown.clear();
        form->txtSifre.set_text(c.password);
        // A selection of the user's own does not narrow what is copied.
        form->txtSifre.set_selection(1, 0);
        for (int round = 1; round <= 2; ++round) {
            harness.clipboard.held = "previous";
            click(form->cmdKopyala);
            EXPECT_EQ(harness.clipboard.held, c.password);
            EXPECT_EQ(form->txtSifre.selection_start(), 0u);
            EXPECT_EQ(form->txtSifre.selection_length(), c.characters);
            ASSERT_EQ(harness.messages.shown.size(), std::size_t(round));
            const auto& message = harness.messages.shown.back();
            EXPECT_EQ(message.text, kCopied);
            EXPECT_EQ(message.caption, "Keymint v0.3");
            EXPECT_EQ(message.icon, platform::MessageIcon::None);
        }
    }
}

TEST_F(RecordsTabTest, AClipboardThatRefusesTheTextGetsAnErrorInsteadOfTheConfirmation) {
    form->txtSifre.set_text("Secret€1");
    harness.clipboard.held = "older";
    harness.clipboard.refuse = true;
    click(form->cmdKopyala);
    EXPECT_EQ(harness.clipboard.copies, 1);
    expect_one_error("clipboard");
    EXPECT_NE(harness.messages.shown[0].text, kCopied);
}

}  // namespace
