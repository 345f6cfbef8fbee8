// The is-on-record check plus append, against `grep -Fxq` on the same file, and the time one
// Generate click takes, at 10,000, 100,000 and 1,000,000 records.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/mdl_visual_style.h"
#include "app/records_file.h"
#include "bench_support.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"

extern char** environ;

namespace {

using bench::Clock;
using bench::make_records;
using bench::median;
using bench::milliseconds_since;

bool grep_has_line(const std::string& path, const std::string& line) {
    const char* argv[] = {"grep", "-Fxq", "--", line.c_str(), path.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "grep", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        std::perror("grep");
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main() {
    std::printf("%-10s %14s %14s %8s %16s\n", "records", "check+append", "grep -Fxq", "ratio",
                "Generate click");
    for (std::size_t count : {10000u, 100000u, 1000000u}) {
        doubles::TempFolder folder;
        doubles::write_file(folder.file("sifreler.dat"), make_records(count));
        platform::posix::PosixFileSystem files;
        app::RecordsFile records(files, folder.file("sifreler.dat"));

        constexpr int kRounds = 15;
        std::vector<double> ours;
        std::vector<double> grep;
        for (int round = 0; round < kRounds; ++round) {
            // Candidates of nine characters are never on record, so both scan the whole file.
            std::string candidate = "Zz9Zz9Zz" + std::to_string(round % 10);
            auto start = Clock::now();
            auto appending = records.open_for_append();
            if (!records.is_on_record(candidate)) {
                app::RecordsFile::append(*appending, candidate);
            }
            appending.reset();
            ours.push_back(milliseconds_since(start));

            start = Clock::now();
            grep_has_line(records.path(), candidate + "x");
            grep.push_back(milliseconds_since(start));
        }

        doubles::FakeProgramInfo program(folder.path());
        platform::posix::PosixRandomSource random;
        doubles::RecordingMessages messages;
        doubles::CountingSound sound;
        doubles::FixedInstanceFlag instance;
        doubles::FakeWindowSystem window;
        doubles::FakeClipboard clipboard;
        doubles::FakeTray tray;
        doubles::FakeShell shell;
        platform::posix::Utf8Encoding encoding;
        auto registry = platform::posix::make_user_registry(folder.file("config"));
        auto form = app::Main({program, files, random, messages, sound, instance, window, *registry,
                               clipboard, tray, shell, encoding},
                              [](app::frmMain&) {});
        std::vector<double> clicks;
        for (int round = 0; round < kRounds; ++round) {
            auto start = Clock::now();
            form->raise_click(form->cmdOlustur);
            clicks.push_back(milliseconds_since(start));
        }

        double ratio = median(ours) / median(grep);
        std::printf("%-10zu %11.2f ms %11.2f ms %8.2f %13.2f ms\n", count, median(ours),
                    median(grep), ratio, median(clicks));
    }
    std::printf(
        "ratio = our check+append / grep -Fxq (target <= 1.0 at 1,000,000 records); "
        "a Generate click should stay under 50 ms\n");
    return 0;
}
