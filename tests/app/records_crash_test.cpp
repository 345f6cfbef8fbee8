// A selective delete killed at any moment leaves the records file whole: either the contents it
// had before that delete or the contents after it, never a mixture, a truncation or a missing
// file, and never with other permissions; and a finished delete stays done. A child process
// deletes marker records one after another from a large file and is killed with SIGKILL at
// random moments. A kill cannot tell whether the new contents reached the disk: that would take
// a power cut.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/records_file.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"

namespace {

constexpr int kKills = 220;
constexpr int kBaseRecords = 200000;
constexpr int kMarkers = 2000;

class RecordsCrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937 draw(7);
        base = "temppass\r\n";
        for (int i = 0; i < kBaseRecords; ++i) {
            base += "R" + std::to_string(draw()).substr(0, 8) + "x\r\n";
        }
        for (int i = 0; i < kMarkers; ++i) {
            markers.push_back("m" + std::to_string(i));
            marker_starts.push_back(marker_lines.size());
            marker_lines += markers.back() + "\r\n";
        }
        // With every marker gone the tail is empty.
        marker_starts.push_back(marker_lines.size());
        start_over();
    }

    void start_over() {
        doubles::write_file(path(), base + marker_lines);
        ASSERT_EQ(::chmod(path().c_str(), 0600), 0);
        deleted = 0;
    }

    // The number of markers the file has lost, or -1 when it is no state a delete can leave.
    int markers_deleted(const std::string& text) const {
        if (text.size() < base.size() || text.size() - base.size() > marker_lines.size() ||
            text.compare(0, base.size(), base) != 0) {
            return -1;
        }
        const std::size_t tail = text.size() - base.size();
        const std::size_t at = marker_lines.size() - tail;
        auto line_start = std::lower_bound(marker_starts.begin(), marker_starts.end(), at);
        if (line_start == marker_starts.end() || *line_start != at ||
            marker_lines.compare(at, tail, text, base.size(), tail) != 0) {
            return -1;
        }
        return static_cast<int>(line_start - marker_starts.begin());
    }

    // Runs in the child: deletes markers from `from` on, telling the parent before each one.
    [[noreturn]] void delete_markers(int from, int ready) {
        platform::posix::PosixFileSystem files;
        app::RecordsFile records(files, path());
        for (int k = from; k < kMarkers; ++k) {
            char started = 1;
            if (::write(ready, &started, 1) != 1) {
                ::_exit(2);
            }
            records.delete_matching(markers[k]);
        }
        ::_exit(0);
    }

    void remove_leftover_temporaries(int& found) {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename() != app::RecordsFile::kFileName) {
                std::filesystem::remove(entry.path());
                ++found;
            }
        }
    }

    std::string path() const { return folder.file("sifreler.dat"); }

    doubles::TempFolder folder;
    std::string base;
    std::vector<std::string> markers;
    std::string marker_lines;
    std::vector<std::size_t> marker_starts;
    int deleted = 0;
};

TEST_F(RecordsCrashTest, AKilledDeleteLeavesTheOldOrTheNewContents) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 draw(seed);
    // How long one delete takes here, so that the kills spread over whole deletes.
    auto start = std::chrono::steady_clock::now();
    {
        platform::posix::PosixFileSystem files;
        app::RecordsFile(files, path()).delete_matching("no such record");
    }
    const auto one_delete = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    start_over();

    int temporaries_left = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        if (deleted > kMarkers - 10) {
            start_over();
        }
        int pipe_ends[2];
        ASSERT_EQ(::pipe(pipe_ends), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipe_ends[0]);
            delete_markers(deleted, pipe_ends[1]);
        }
        ::close(pipe_ends[1]);
        // Half the rounds wait for the second delete to start, so the first one has finished.
        const int wanted = 1 + static_cast<int>(draw() % 2);
        for (int started = 0; started < wanted;) {
            char byte;
            ASSERT_EQ(::read(pipe_ends[0], &byte, 1), 1);
            ++started;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(
            draw() % static_cast<unsigned>(one_delete.count() * 3 / 2 + 1)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(pipe_ends[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the child ended before the kill, with status " << status;

        const std::string text = doubles::read_file(path());
        const int now = markers_deleted(text);
        ASSERT_NE(now, -1) << "after kill " << kill << " the file holds " << text.size()
                           << " bytes in no state a delete can leave";
        ASSERT_GE(now, deleted + wanted - 1) << "a finished delete was undone";
        struct stat info {};
        ASSERT_EQ(::stat(path().c_str(), &info), 0);
        ASSERT_EQ(info.st_mode & 07777, 0600u);
        deleted = now;
        remove_leftover_temporaries(temporaries_left);
    }
    // Otherwise no kill fell between the start of a rewrite and its rename.
    EXPECT_GT(temporaries_left, 0);
    std::printf("%d kills; %d left a temporary file behind\n", kKills, temporaries_left);
}

}  // namespace
