// A window and a script writing the records file at once: the script's batches and the
// window's single appends each hold the file's lock, so every line stays whole and no password
// is recorded twice.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/batch.h"
#include "app/text.h"
#include "doubles.h"
#include "form_harness.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"

namespace {

constexpr int kBatches = 10;
constexpr int kBatchSize = 2000;
constexpr int kWindowAppends = 300;

// Runs `work` in a child process; returns its exit status through wait_for.
pid_t in_child(const std::function<int()>& work) {
    pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work());
    }
    return child;
}

int wait_for(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RecordsLock, AnAppenderWaitsForTheHolderOfTheLock) {
    doubles::TempFolder folder;
    platform::posix::PosixFileSystem files;
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    records.make_sure_exists();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = in_child([&] {
        auto holding = records.open_for_append();
        char byte = 1;
        (void)::write(ready[1], &byte, 1);
        ::usleep(300'000);
        app::RecordsFile::append(*holding, app::PlainRecords(), "written-while-holding");
        return 0;
    });
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    // Opened only once the child has written and let go.
    auto appending = records.open_for_append();
    EXPECT_TRUE(records.is_on_record("written-while-holding"));
    EXPECT_EQ(wait_for(child), 0);
}

TEST(RecordsLock, RecordsAppendedDuringADeleteAreKept) {
    doubles::TempFolder folder;
    platform::posix::PosixFileSystem files;
    const std::string path = folder.file("sifreler.dat");
    std::string text = "temppass\r\n";
    for (int i = 0; i < 200000; ++i) {
        text += "r" + std::to_string(i) + "\r\n";
    }
    doubles::write_file(path, text);
    app::RecordsFile records(files, path);
    constexpr int kAppends = 200;
    pid_t script = in_child([&] {
        for (int i = 0; i < kAppends; ++i) {
            auto appending = records.open_for_append();
            app::RecordsFile::append(*appending, app::PlainRecords(),
                                     "during-" + std::to_string(i));
            appending.reset();
            ::usleep(200);
        }
        return 0;
    });
    for (int i = 0; i < 20; ++i) {
        records.delete_matching("r" + std::to_string(i));
    }
    ASSERT_EQ(wait_for(script), 0);
    const std::string kept = records.contents();
    for (int i = 0; i < kAppends; ++i) {
        ASSERT_TRUE(app::has_line(kept, "during-" + std::to_string(i))) << "lost during-" << i;
    }
    EXPECT_FALSE(app::has_line(kept, "r7"));
}

TEST(RecordsLock, AWindowAndAScriptAtOnceLeaveAValidRecordsFile) {
    doubles::TempFolder folder;
    platform::posix::PosixFileSystem files;
    const std::string path = folder.file("sifreler.dat");
    app::RecordsFile records(files, path);
    records.make_sure_exists();

    pid_t script = in_child([&] {
        platform::posix::PosixRandomSource secure;
        app::BufferedRandom random(secure);
        platform::posix::Utf8Encoding encoding;
        app::BatchRequest request;
        request.count = kBatchSize;
        for (int i = 0; i < kBatches; ++i) {
            std::ostringstream out, errors;
            if (app::generate_batch(request, records, random, encoding, out, errors) != 0) {
                return 1;
            }
        }
        return 0;
    });
    for (int i = 0; i < kWindowAppends; ++i) {
        std::string password = "window" + std::to_string(1000 + i);
        auto appending = records.open_for_append();
        if (!records.is_on_record(password)) {
            app::RecordsFile::append(*appending, app::PlainRecords(), password);
        }
    }
    ASSERT_EQ(wait_for(script), 0);

    std::string text = doubles::read_file(path);
    ASSERT_TRUE(text.ends_with("\r\n"));
    std::set<std::string> lines;
    std::size_t count = 0;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != text.npos;
         start = end + 2, ++count) {
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), line.npos);
        bool from_window = line.starts_with("window") && line.size() == 10;
        bool from_script = app::code_point_count(line) == 8;
        EXPECT_TRUE(count == 0 ? line == "temppass" : from_window || from_script) << line;
        lines.insert(line);
    }
    EXPECT_EQ(count, 1u + kBatches * kBatchSize + kWindowAppends);
    EXPECT_EQ(lines.size(), count);
}

// Many scripts start at once on a records file that does not exist yet: each creates it, or
// opens the one another created, and none truncates what another wrote.
TEST(RecordsLock, ParallelBatchesOnAMissingFileLoseNothing) {
    constexpr int kRounds = 50;
    constexpr int kScripts = 16;
    for (int round = 0; round < kRounds; ++round) {
        doubles::TempFolder folder;
        platform::posix::PosixFileSystem files;
        app::RecordsFile records(files, folder.file("sifreler.dat"));
        std::vector<pid_t> scripts;
        for (int i = 0; i < kScripts; ++i) {
            scripts.push_back(in_child([&, i] {
                platform::posix::PosixRandomSource secure;
                platform::posix::Utf8Encoding encoding;
                app::BatchRequest request;
                request.count = 5;
                std::ostringstream out, errors;
                int status = app::generate_batch(request, records, secure, encoding, out, errors);
                std::ofstream(folder.file("printed" + std::to_string(i))) << out.str();
                return status;
            }));
        }
        for (pid_t script : scripts) {
            ASSERT_EQ(wait_for(script), 0) << "round " << round;
        }
        const std::string text = records.contents();
        ASSERT_TRUE(text.starts_with("temppass\r\n")) << "round " << round;
        for (int i = 0; i < kScripts; ++i) {
            const std::string printed =
                doubles::read_file(folder.file("printed" + std::to_string(i)));
            app::for_each_line(printed, [&](std::string_view line, std::uint64_t) {
                EXPECT_TRUE(line.empty() || app::has_line(text, line))
                    << "round " << round << ": " << line << " is not on record";
            });
        }
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + kScripts * 5);
    }
}

// The window starts while a script holds the records file's lock (a batch piped into a pager):
// it does not wait for it.
TEST(RecordsLock, TheWindowStartsWhileAScriptHoldsTheLock) {
    FormHarness harness;
    app::RecordsFile records(harness.files, harness.records_path());
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t script = in_child([&] {
        auto holding = records.open_for_append();
        char byte = 1;
        (void)::write(ready[1], &byte, 1);
        (void)::read(release[0], &byte, 1);  // held until the window is up
        app::RecordsFile::append(*holding, app::PlainRecords(), "from-the-script");
        return 0;
    });
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    harness.tasks.held = true;  // the index waits for the lock off the window's thread
    harness.start();
    EXPECT_EQ(records.open_for_append(false), nullptr) << "the lock was let go before the start";
    EXPECT_TRUE(harness.messages.shown.empty());
    (void)::write(release[1], &byte, 1);
    ASSERT_EQ(wait_for(script), 0);
    harness.tasks.run_held();
    EXPECT_EQ(harness.records(), "temppass\r\nfrom-the-script\r\n");
}

}  // namespace
