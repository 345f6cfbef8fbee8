// The records file at 10,000 to 10,000,000 records: the program against references that do the
// same work the plain way, in the same run. Every measurement runs in a fresh child process over a
// fresh copy of the file, so peaks are its own. KEYMINT_BENCH_MAX_RECORDS and
// KEYMINT_BENCH_MIN_RECORDS limit the sizes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_children.h"
#include "bench_keys.h"
#include "bench_support.h"
#include "platform/posix/openssl_crypto.h"

extern char** environ;

namespace {

using bench::Stats;
using bench::stats_of;
using Samples = std::map<std::string, std::vector<double>>;

std::string self_path;
// What the children say on their standard error; shown only when one fails.
std::string error_log;

std::string read_log(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Finished {
    double ms = 0;
    double max_rss_mb = 0;
    std::string output;
};

// Runs a program to its end; `output_to` receives its standard output when given.
Finished run(const std::vector<std::string>& args, const std::string& output_to = "") {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output_to.empty()) {
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, output_to.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, error_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    auto start = bench::Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);
    Finished finished;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
        finished.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe_ends[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    finished.ms = bench::milliseconds_since(start);
    finished.max_rss_mb = usage.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed with status %d:\n%s\n", args[0].c_str(), status,
                     read_log(error_log).c_str());
        std::exit(1);
    }
    return finished;
}

void add_samples(Samples& into, const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        for (double value; fields >> value;) {
            into[name].push_back(value);
        }
    }
}

// A fresh folder holding a copy of `data` as the records file, on the disk: the first flush of a
// measurement must not be the one that writes the copy, which costs more the larger the file.
std::string fresh_copy(const std::string& work, const std::string& data) {
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    const std::string path = work + "/sifreler.dat";
    std::filesystem::copy_file(data, path);
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
    return path;
}

// One child measurement over a copy of the records file `data`.
struct Job {
    std::string kind;
    std::string data;
};

// Runs each job `runs` times, each over a fresh copy, taking turns so that a slow spell of the
// machine falls on ours and the references alike.
std::vector<Samples> measure(const std::vector<Job>& jobs, const std::string& work,
                             std::size_t count, int runs) {
    std::vector<Samples> samples(jobs.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < jobs.size(); ++k) {
            fresh_copy(work, jobs[k].data);
            add_samples(
                samples[k],
                run({self_path, "child", jobs[k].kind, work, std::to_string(count)}).output);
        }
    }
    return samples;
}

std::vector<Samples> measure(const std::vector<std::string>& kinds, const std::string& work,
                             const std::string& data, std::size_t count, int runs) {
    std::vector<Job> jobs;
    for (const auto& kind : kinds) {
        jobs.push_back({kind, data});
    }
    return measure(jobs, work, count, runs);
}

struct Deletes {
    Samples ours;
    Samples reference;
    Samples in_private;
};

// Our selective delete as a process against grep -vixF, sync and mv doing the same job, and over
// the same records made private.
Deletes measure_deletes(const std::string& work, const std::string& data,
                        const std::string& private_data, std::size_t count, int runs) {
    Deletes deletes;
    const std::string text = bench::record_text(1, count / 2);
    const std::string tool =
        std::filesystem::path(self_path).replace_filename("records_delete").string();
    const double base_rss = run({tool}).max_rss_mb;
    for (int i = 0; i < runs; ++i) {
        std::string path = fresh_copy(work, data);
        Finished ours = run({tool, path, text});
        deletes.ours["delete"].push_back(ours.ms);
        deletes.ours["delete_peak"].push_back(ours.max_rss_mb - base_rss);

        path = fresh_copy(work, private_data);
        Finished in_private = run({tool, path, text});
        deletes.in_private["delete"].push_back(in_private.ms);
        deletes.in_private["delete_peak"].push_back(in_private.max_rss_mb - base_rss);

        path = fresh_copy(work, data);
        const std::string temporary = work + "/.sifreler.dat.new";
        Finished grep = run({"grep", "-vixF", "--", text, path}, temporary);
        Finished sync = run({"sync", "--", temporary});
        Finished move = run({"mv", "--", temporary, path});
        deletes.reference["delete"].push_back(grep.ms + sync.ms + move.ms);
        deletes.reference["delete_peak"].push_back(grep.max_rss_mb);
    }
    return deletes;
}

std::string cell(const Stats& stats) {
    if (stats.empty) {
        return "-";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f (%.2f..%.2f)", stats.median, stats.min, stats.max);
    return text;
}

std::string memory_cell(const Samples& samples, const std::string& peak, const std::string& kept,
                        double file_mb) {
    auto find = [&](const std::string& name) {
        auto it = samples.find(name);
        return it == samples.end() ? Stats{} : stats_of(it->second);
    };
    Stats p = find(peak);
    Stats k = find(kept);
    char text[64];
    if (p.empty && k.empty) {
        return "-";
    }
    if (k.empty) {
        std::snprintf(text, sizeof text, "%.1f (%.2fx)", p.median, p.median / file_mb);
    } else {
        std::snprintf(text, sizeof text, "%.1f/%.1f (%.2fx)", p.median, k.median,
                      k.median / file_mb);
    }
    return text;
}

void row(const char* measure, std::size_t count, double file_mb, const Samples& ours,
         const std::string& our_key, const Samples& reference, const std::string& reference_key,
         const std::string& our_memory = "-", const std::string& reference_memory = "-") {
    auto find = [](const Samples& samples, const std::string& key) {
        auto it = samples.find(key);
        return it == samples.end() ? Stats{} : stats_of(it->second);
    };
    Stats a = find(ours, our_key);
    Stats b = find(reference, reference_key);
    char ratio[16] = "-";
    if (!a.empty && !b.empty && b.median > 0) {
        std::snprintf(ratio, sizeof ratio, "%.2f", a.median / b.median);
    }
    std::printf("%-22s %9zu %7.1f | %-26s | %-26s | %6s | %-18s | %-18s\n", measure, count, file_mb,
                cell(a).c_str(), cell(b).c_str(), ratio, our_memory.c_str(),
                reference_memory.c_str());
    std::fflush(stdout);
}

int driver() {
    std::size_t limit = 10000000;
    std::size_t least = 0;
    if (const char* max = std::getenv("KEYMINT_BENCH_MAX_RECORDS")) {
        limit = std::stoul(max);
    }
    if (const char* min = std::getenv("KEYMINT_BENCH_MIN_RECORDS")) {
        least = std::stoul(min);
    }
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("keymint-bench-" + std::to_string(::getpid())))
            .string();
    std::filesystem::create_directories(folder);
    error_log = folder + "/errors.log";
    platform::posix::OpenSslCrypto crypto;
    const app::PrivateRecords private_form(crypto, bench::master_key());
    std::printf("%-22s %9s %7s | %-26s | %-26s | %6s | %-18s | %-18s\n", "measure (ms)", "records",
                "file MB", "ours: median (min..max)", "reference", "ratio", "ours peak/kept MB",
                "ref peak/kept MB");
    for (std::size_t count : {10000ul, 100000ul, 1000000ul, 5000000ul, 10000000ul}) {
        if (count > limit) {
            break;
        }
        if (count < least) {
            continue;
        }
        const std::string data = folder + "/records-" + std::to_string(count);
        bench::write_records(data, count);
        const double file_mb = std::filesystem::file_size(data) / (1024.0 * 1024.0);
        // The same records, private.
        const std::string private_data = data + "-private";
        bench::write_records(private_data, count, 1, &private_form);
        const double private_mb = std::filesystem::file_size(private_data) / (1024.0 * 1024.0);
        const std::string work = folder + "/work";
        const int runs = count >= 5000000 ? 3 : 5;

        // The bare reference window takes the program window's size.
        if (!::getenv("KEYMINT_BENCH_WINDOW_SIZE")) {
            Samples once = measure({"generate"}, work, data, 10000, 1)[0];
            const std::string size = std::to_string(static_cast<int>(once["width"].at(0))) + " " +
                                     std::to_string(static_cast<int>(once["height"].at(0)));
            ::setenv("KEYMINT_BENCH_WINDOW_SIZE", size.c_str(), 1);
        }
        auto clicks = measure({{"generate", data},
                               {"generate-ref", data},
                               {"generate-bare", data},
                               {"generate", private_data}},
                              work, count, 9);
        const Samples& generate = clicks[0];
        const Samples& append_only = clicks[1];
        const Samples& bare = clicks[2];
        const Samples& private_generate = clicks[3];
        row("Generate click", count, file_mb, generate, "click", append_only, "click");
        row("  slowest click", count, file_mb, generate, "slowest", append_only, "slowest");
        row("  vs a bare window", count, file_mb, generate, "click", bare, "click");
        row("  private", count, private_mb, private_generate, "click", generate, "click");
        row("  slowest, private", count, private_mb, private_generate, "slowest", generate,
            "slowest");

        auto builds = measure({{"index", data}, {"index-ref", data}, {"index", private_data}}, work,
                              count, runs);
        const Samples& index = builds[0];
        const Samples& hashing = builds[1];
        const Samples& private_index = builds[2];
        row("Index build", count, file_mb, index, "build", hashing, "build",
            memory_cell(index, "peak", "kept", file_mb), memory_cell(hashing, "peak", "", file_mb));
        row("  index bytes/record", count, file_mb, index, "bytes_per_line", hashing, "-");
        row("  private", count, private_mb, private_index, "build", index, "build",
            memory_cell(private_index, "peak", "kept", private_mb),
            memory_cell(index, "peak", "kept", file_mb));
        row("  window stall", count, file_mb, generate, "stall", append_only, "stall");
        row("  stall, private", count, private_mb, private_generate, "stall", generate, "stall");

        if (count <= 5000000) {
            Deletes deletes = measure_deletes(work, data, private_data, count, runs);
            row("Selective delete", count, file_mb, deletes.ours, "delete", deletes.reference,
                "delete", memory_cell(deletes.ours, "delete_peak", "", file_mb),
                memory_cell(deletes.reference, "delete_peak", "", file_mb));
            row("  private", count, private_mb, deletes.in_private, "delete", deletes.ours,
                "delete", memory_cell(deletes.in_private, "delete_peak", "", private_mb),
                memory_cell(deletes.ours, "delete_peak", "", file_mb));
        }

        auto tabs =
            measure({{"tab", data}, {"tab-ref", data}, {"tab", private_data}}, work, count, runs);
        const Samples& tab = tabs[0];
        const Samples& lazy = tabs[1];
        const Samples& private_tab = tabs[2];
        row("Records tab shown", count, file_mb, tab, "shown", lazy, "shown",
            memory_cell(tab, "peak", "kept", file_mb), memory_cell(lazy, "peak", "kept", file_mb));
        row("  tab, file unchanged", count, file_mb, tab, "again", lazy, "again");
        row("  private", count, private_mb, private_tab, "shown", tab, "shown",
            memory_cell(private_tab, "peak", "kept", private_mb),
            memory_cell(tab, "peak", "kept", file_mb));
        row("  unchanged, private", count, private_mb, private_tab, "again", tab, "again");

        if (count <= 1000000) {
            Samples on = measure({"private-on"}, work, data, count, runs)[0];
            row("Private on", count, file_mb, on, "on", {}, "-",
                memory_cell(on, "peak", "", file_mb));
        }
        std::filesystem::remove(data);
        std::filesystem::remove(private_data);
    }
    std::filesystem::remove_all(folder);
    std::printf(
        "ratio = ours / reference (medians). References: Generate = a click in the program's "
        "window whose button draws, shows and appends the password the plain way, checking "
        "nothing (bare window: the same in a window of the same size holding only a button and a "
        "text box); index = one read of the file hashing every "
        "line; delete = grep -vixF, sync, mv (processes, as ours); tab = a lazy list model over "
        "the file's lines in a window of the same size. Rows \"private\" (file MB: the private "
        "file's): the same measure over the same records made private (key from a keyring in "
        "memory), against the row above it over them in plain form; Private on = turning them "
        "private, one process each (targets: Generate <= 1.2x, tab <= 1.3x, delete <= 2x, "
        "private on <= 3 s at 1,000,000).\n"
        "Clicks and tab changes run through the window's event loop until the result is painted. "
        "Window stall = the longest the event loop went unanswered from start-up until the index "
        "was ready (reference: the idle window). Memory: peak / kept growth in MB (kept x the "
        "file).\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    self_path = std::filesystem::canonical("/proc/self/exe").string();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return driver();
    }
    if (args[0] == "child" && args.size() == 4) {
        return bench::measure_child(argc, argv, args[1], args[2], std::stoul(args[3]));
    }
    std::fprintf(stderr, "usage: %s [child KIND FOLDER COUNT]\n", argv[0]);
    return 2;
}
