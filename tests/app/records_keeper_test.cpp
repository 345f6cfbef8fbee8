// The window waits for the records' long jobs without blocking, and never loses a record to them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "app/inventory.h"
#include "form_harness.h"

namespace {

class RecordsKeeperTest : public ::testing::Test {
  protected:
    // The next Generate draws `letter` eight times from the full pool.
    void draw_next(char letter) {
        for (int i = 0; i < 8; ++i) {
            harness.pick(85, static_cast<std::uint64_t>(letter - 'A'));
        }
    }
    std::string generate(char letter) {
        draw_next(letter);
        form().raise_click(form().cmdOlustur);
        return form().txtSifre.text();
    }
    app::frmMain& form() { return *harness.form; }

    FormHarness harness;
};

TEST_F(RecordsKeeperTest, AClickBeforeTheIndexIsReadyWaitsForItWithTheBusyPointer) {
    harness.tasks.held = true;
    harness.start();
    EXPECT_EQ(generate('A'), "");
    EXPECT_TRUE(harness.window.busy);
    EXPECT_EQ(harness.records(), "temppass\r\n");

    harness.tasks.run_held();
    EXPECT_FALSE(harness.window.busy);
    EXPECT_EQ(form().txtSifre.text(), "AAAAAAAA");
    EXPECT_EQ(harness.records(), "temppass\r\nAAAAAAAA\r\n");
}

TEST_F(RecordsKeeperTest, AClickWhileAnotherProgramHoldsTheFileWaitsForItWithoutBlocking) {
    harness.start();
    auto other = harness.files.open_for_append(harness.records_path());
    harness.tasks.held = true;
    EXPECT_EQ(generate('B'), "");
    EXPECT_TRUE(harness.window.busy);

    other->write("AAAAAAAA\r\n");
    other.reset();
    harness.tasks.run_held();
    EXPECT_FALSE(harness.window.busy);
    EXPECT_EQ(form().txtSifre.text(), "BBBBBBBB");
    EXPECT_EQ(harness.records(), "temppass\r\nAAAAAAAA\r\nBBBBBBBB\r\n");
}

TEST_F(RecordsKeeperTest, TheNoRepeatCheckSeesWhatAnotherProgramDidToTheFile) {
    harness.start();
    form().raise_value_change(form().blnOncekilerOlmasin, 1);
    const std::string path = harness.records_path();

    std::ofstream(path, std::ios::binary | std::ios::app) << "AAAAAAAA\n";
    EXPECT_EQ(generate('A'), "");
    EXPECT_EQ(harness.records(), "temppass\r\nAAAAAAAA\n");

    doubles::write_file(path + ".new", "temppass\r\nBBBBBBBB\r\n");
    std::filesystem::rename(path + ".new", path);
    EXPECT_EQ(generate('B'), "");
    EXPECT_EQ(generate('A'), "AAAAAAAA");
    EXPECT_EQ(harness.records(), "temppass\r\nBBBBBBBB\r\nAAAAAAAA\r\n");

    doubles::write_file(path, "temppass\r\n");
    EXPECT_EQ(generate('B'), "BBBBBBBB");
    EXPECT_EQ(generate('B'), "");
    EXPECT_EQ(harness.records(), "temppass\r\nBBBBBBBB\r\n");

    // A line far from the end rewritten in place, same length, and one appended after it.
    EXPECT_EQ(generate('C'), "CCCCCCCC");
    EXPECT_EQ(generate('E'), "EEEEEEEE");
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(10) << "DDDDDDDD";
    std::ofstream(path, std::ios::binary | std::ios::app) << "FFFFFFFF\r\n";
    EXPECT_EQ(generate('D'), "");
    EXPECT_EQ(generate('B'), "BBBBBBBB");
}

#ifndef _WIN32
// Writes over `bytes` at `offset` through a shared mapping, which moves the file's time only
// when the kernel notices the page was written.
void write_through_mapping(const std::string& path, std::size_t offset, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const auto size = static_cast<std::size_t>(::lseek(fd, 0, SEEK_END));
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    std::memcpy(static_cast<char*>(mapped) + offset, bytes.data(), bytes.size());
    ::munmap(mapped, size);
    ::close(fd);
}

// An edit right after Keymint's own append, in place and of the same size, can keep the file's
// stamp: within the tick of a file system with coarse times (ext4 with one-second times, FAT's
// two seconds), or through a mapping. The check must see it all the same.
void expect_edits_seen(FormHarness& harness) {
    app::frmMain& form = harness.start();
    form.raise_value_change(form.blnOncekilerOlmasin, 1);
    auto generate = [&](char letter) {
        for (int i = 0; i < 8; ++i) {
            harness.pick(85, static_cast<std::uint64_t>(letter - 'A'));
        }
        form.raise_click(form.cmdOlustur);
        return form.txtSifre.text();
    };
    const std::string path = harness.records_path();
    for (char drawn : {'A', 'C', 'E'}) {
        const char edit = static_cast<char>(drawn + 1);
        ASSERT_EQ(generate(drawn), std::string(8, drawn));
        std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(10)
            << std::string(8, edit);
        EXPECT_EQ(generate(edit), "") << edit << " is on record";
    }
    ASSERT_EQ(generate('G'), "GGGGGGGG");
    write_through_mapping(path, 10, "HHHHHHHH");
    EXPECT_EQ(generate('H'), "") << "written through a mapping";
}

TEST(RecordsStamp, AnEditRightAfterAnAppendIsSeen) {
    FormHarness harness;
    expect_edits_seen(harness);
}

// KEYMINT_COARSE_FOLDER names a folder on such a file system (tests/app/coarse_times.sh mounts
// one).
TEST(RecordsStamp, AnEditWithinTheTickOfCoarseTimesIsSeen) {
    const char* folder = std::getenv("KEYMINT_COARSE_FOLDER");
    if (folder == nullptr || *folder == '\0') {
        GTEST_SKIP() << "no folder on a file system with coarse times (KEYMINT_COARSE_FOLDER)";
    }
    FormHarness harness(folder);
    expect_edits_seen(harness);
}
#endif

TEST_F(RecordsKeeperTest, ADeleteRunsWithTheTabResting_AGenerateMeanwhileWaitsAndIsKept) {
    harness.start();
    doubles::write_file(harness.records_path(), "temppass\r\nabc\r\nxyz\r\n");
    form().raise_tab_change(app::kTabRecords);
    form().raise_list_select(form().lstSifreler, 0);

    harness.tasks.held = true;
    form().raise_click(form().cmdSifreSil);
    app::Control* resting[] = {&form().lstSifreler, &form().optSecililer, &form().optAll,
                               &form().cmdSifreSil};
    for (auto* control : resting) {
        EXPECT_FALSE(control->enabled()) << control->name();
    }
    EXPECT_TRUE(harness.window.busy);
    EXPECT_EQ(generate('Q'), "");

    harness.tasks.run_held();
    for (auto* control : resting) {
        EXPECT_TRUE(control->enabled()) << control->name();
    }
    EXPECT_FALSE(harness.window.busy);
    EXPECT_EQ(form().txtSifre.text(), "QQQQQQQQ");
    EXPECT_EQ(harness.records(), "temppass\r\nxyz\r\nQQQQQQQQ\r\n");
    EXPECT_TRUE(harness.messages.shown.empty());
}

TEST_F(RecordsKeeperTest, ADeleteAllWhileTheListIsReadLeavesTheListEmpty) {
    harness.start();
    doubles::write_file(harness.records_path(), "temppass\r\nabc\r\n");
    harness.tasks.held = true;
    form().raise_tab_change(app::kTabRecords);
    form().raise_value_change(form().optAll, 1);
    form().raise_click(form().cmdSifreSil);
    harness.tasks.run_held();
    EXPECT_TRUE(form().lstSifreler.items().empty());
    EXPECT_EQ(harness.records(), "temppass\r\n");
    EXPECT_FALSE(harness.window.busy);
}

TEST_F(RecordsKeeperTest, ATabChangeKeepsTheListOnlyWhileTheFileIsUnchanged) {
    harness.start();
    doubles::write_file(harness.records_path(), "temppass\r\nabc\r\nxyz\r\n");
    form().raise_tab_change(app::kTabRecords);
    form().raise_list_select(form().lstSifreler, 1);
    form().raise_tab_change(app::kTabGenerate);
    EXPECT_EQ(form().lstSifreler.items().size(), 3u);
    EXPECT_EQ(form().lstSifreler.list_index(), -1);

    // Same size, same time: only the bytes tell.
    auto time = std::filesystem::last_write_time(harness.records_path());
    doubles::write_file(harness.records_path(), "temppass\r\nabc\r\nxyQ\r\n");
    std::filesystem::last_write_time(harness.records_path(), time);
    form().raise_tab_change(app::kTabRecords);
    EXPECT_EQ(form().lstSifreler.items().at(1), "xyQ");
}

}  // namespace
