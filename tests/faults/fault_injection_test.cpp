// Every file operation of a Generate, a selective delete, a delete-all, the settings saved at Exit,
// private records turned on and off and a `keymint --generate` batch fails in turn, once for each
// call the operation makes and with each of a full disk and an I/O error, in a process of its own
// under fail_shim. After each, the records file and the settings file hold their old or their
// complete new contents, the user was told, and the same operation then works.
//   fault_injection_test SHIM [KEYMINT]      runs every injection
//   fault_injection_test run OPERATION FOLDER   one operation, in the program folder FOLDER
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/inventory.h"
#include "app/messages.h"
#include "app/record_codec.h"
#include "doubles.h"
#include "form_harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kRecords = "temppass\r\nalpha\r\nbeta\r\nALPHA\r\ngamma\r\n";
const std::string kSettings =
    "[Default]\r\nnumberofchars=8\r\notherchars=1\r\nnumbers=1\r\nlovercase=1\r\nuppercase=1\r\n";
constexpr int kBatchCount = 50;
const std::string kFirstLine = "temppass\r\n";
// The same operations on a records file that does not exist yet: they create it.
const std::string kNewFile = "-new-file";
const std::vector<std::string> kRecordsKept = {"alpha", "beta", "ALPHA", "gamma"};

// The key "private-off" starts from.
std::string fixed_key() {
    return std::string(app::PrivateRecords::kKeyBytes, '\x5A');
}

std::string private_records(const std::string& master) {
    native::Crypto crypto;
    app::PrivateRecords form(crypto, master);
    std::string text = form.first_line() + "\r\n";
    for (const auto& record : kRecordsKept) {
        text += form.line_of(record) + "\r\n";
    }
    return text;
}

// Whether `records` hold kRecordsKept in private form, under the key of a recovery code that one
// of the messages ends with.
bool private_form_of_records(const std::string& records, const std::vector<std::string>& messages) {
    native::Crypto crypto;
    for (const auto& message : messages) {
        constexpr std::size_t kCodeLength = 69;
        if (message.size() < kCodeLength) {
            continue;
        }
        auto master =
            app::master_from_recovery_code(crypto, message.substr(message.size() - kCodeLength));
        if (master && records == private_records(*master)) {
            return true;
        }
    }
    return false;
}

bool is_batch(const std::string& operation) {
    return operation.starts_with("batch");
}

// The child's side: one operation of the window, over the test doubles but for files and random.
// Prints what the user saw: the password shown and each message box.
int run_operation(const std::string& operation, const std::string& folder) {
    FormHarness harness(folder);
    if (operation == "private-off") {
        native::Crypto crypto;
        harness.keys.keys[app::PrivateRecords::key_id(crypto, fixed_key())] =
            app::to_hex(fixed_key());
    }
    app::frmMain& form = harness.start();
    if (operation == "generate") {
        form.raise_click(form.cmdOlustur);
    } else if (operation == "delete" || operation == "delete-all") {
        form.raise_tab_change(app::kTabRecords);
        if (operation == "delete") {
            const app::ListItems& items = form.lstSifreler.items();
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (items.at(i) == "alpha") {
                    form.raise_list_select(form.lstSifreler, static_cast<int>(i));
                }
            }
        } else {
            form.raise_value_change(form.optAll, 1);
        }
        form.raise_click(form.cmdSifreSil);
    } else if (operation == "private-on" || operation == "private-off") {
        form.raise_value_change(form.chkPrivate, operation == "private-on" ? 1 : 0);
    } else if (operation == "exit") {
        form.raise_text_edit(form.intUzunluk, "12");
        form.raise_value_change(form.blnOzel, 0);
        form.raise_click(form.cmKapat);
    } else {
        return 2;
    }
    std::cout << "shown " << form.txtSifre.text() << '\n';
    for (auto message : harness.messages.shown) {
        for (char& c : message.text) {
            c = c == '\r' || c == '\n' ? ' ' : c;
        }
        std::cout << "message " << message.text << '\n';
    }
    return 0;
}

struct Outcome {
    int status = -1;  // the exit status; -1 when the process did not exit on its own
    std::string out;
    std::string err;
    std::map<std::string, long> counts;  // calls of each kind
    bool fired = false;
    bool must_tell = false;  // a failure fired that no program may pass over
    std::string records;
    std::string settings;
    std::vector<std::string> leftovers;  // temporary files a replacement left behind
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string read_or_empty(const std::string& path) {
    return fs::exists(path) ? doubles::read_file(path) : std::string();
}

class Injector {
  public:
    Injector(std::string self, std::string shim, std::string keymint)
        : self_(std::move(self)), shim_(std::move(shim)), keymint_(std::move(keymint)) {}

    // Runs every injection into `operation`.
    void cover(const std::string& operation);

    int points() const { return points_; }
    int failures() const { return failures_; }

  private:
    std::string data() const { return work_.file("data"); }
    std::string data_file(const char* name) const { return data() + "/" + name; }
    void prepare(const std::string& operation);
    Outcome run(const std::string& operation, const std::string& plan);
    // Empty when `after` keeps every promise, given what the folder held `before`; what was
    // broken otherwise. `cut_may_fail`: the cutting off of a failed append failed too.
    std::string check(const std::string& operation, const Outcome& before, const Outcome& after,
                      bool injected, bool cut_may_fail = false);
    // Runs `operation` with the failures of `plan`, then once more without; true when the
    // failure made the program cut off an append.
    bool inject(const std::string& operation, const Outcome& before, const std::string& plan,
                bool cut_may_fail);
    void fail(std::string what) {
        ++failures_;
        if (failures_ <= 20) {
            for (std::size_t at = 0; (at = what.find_first_of("\r\n", at)) != what.npos;) {
                what.replace(at, 1, what[at] == '\r' ? "\\r" : "\\n");
            }
            std::cerr << what << '\n';
        }
    }

    std::string self_;
    std::string shim_;
    std::string keymint_;
    doubles::TempFolder work_;
    Outcome reference_;  // the operation's result without any failure
    int points_ = 0;
    int failures_ = 0;
};

void Injector::prepare(const std::string& operation) {
    fs::remove_all(data());
    fs::create_directory(data());
    if (is_batch(operation)) {
        // A portable program folder of its own, so that the batch keeps its records there.
        fs::copy_file(keymint_, data_file("keymint"));
        fs::copy(fs::path(keymint_).parent_path() / "Language", data_file("Language"),
                 fs::copy_options::recursive);
    }
    if (operation == "private-off") {
        doubles::write_file(data_file("sifreler.dat"), private_records(fixed_key()));
    } else if (!operation.ends_with(kNewFile)) {
        doubles::write_file(data_file("sifreler.dat"), kRecords);
    }
    doubles::write_file(data_file("keymint.ini"), kSettings);
}

Outcome Injector::run(const std::string& operation, const std::string& plan) {
    const std::string log = work_.file("log");
    const std::string out = work_.file("out");
    const std::string err = work_.file("err");
    fs::remove(log);
    std::vector<std::string> arguments = {self_, "run", operation.substr(0, operation.find('-')),
                                          data()};
    if (operation.starts_with("delete") || operation.starts_with("private")) {
        arguments[2] = operation;
    } else if (is_batch(operation)) {
        arguments = {data_file("keymint"), "--generate", "-n", std::to_string(kBatchCount)};
    }
    pid_t child = ::fork();
    if (child == 0) {
        ::setenv("LD_PRELOAD", shim_.c_str(), 1);
        ::setenv("KEYMINT_FAIL_IN", data().c_str(), 1);
        ::setenv("KEYMINT_FAIL_LOG", log.c_str(), 1);
        ::setenv("KEYMINT_FAIL", plan.c_str(), 1);
        // A sanitized build's runtime would refuse a library loaded before it.
        const char* sanitizer = ::getenv("ASAN_OPTIONS");
        const std::string options = sanitizer ? std::string(sanitizer) + ":" : std::string();
        ::setenv("ASAN_OPTIONS", (options + "verify_asan_link_order=0").c_str(), 1);
        int in = ::open("/dev/null", O_RDONLY);
        int to_out = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int to_err = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(to_out, 1);
        ::dup2(to_err, 2);
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = read_or_empty(out);
    outcome.err = read_or_empty(err);
    for (const auto& line : lines_of(read_or_empty(log))) {
        std::istringstream words(line);
        std::string what, kind;
        long number = 0;
        words >> what >> kind >> number;
        if (what == "count") {
            outcome.counts[kind] = number;
        } else if (what == "fired") {
            outcome.fired = true;
            std::string path;
            std::getline(words >> std::ws, path);
            // A write, a flush or a rename of a file fails only for the user to hear of it; the
            // flush of the folder after a rename and an open or a lock that is tried again may
            // pass.
            outcome.must_tell =
                outcome.must_tell || (path != data() && kind != "open" && kind != "flock" &&
                                      kind != "ftruncate" && kind != "part");
        }
    }
    outcome.records = read_or_empty(data_file("sifreler.dat"));
    outcome.settings = read_or_empty(data_file("keymint.ini"));
    for (const auto& entry : fs::directory_iterator(data())) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            outcome.leftovers.push_back(entry.path().filename().string());
        }
    }
    return outcome;
}

// What the user was told: the window's message boxes, or the batch's standard error.
std::vector<std::string> messages_of(const std::string& operation, const Outcome& outcome) {
    std::vector<std::string> messages;
    if (is_batch(operation)) {
        if (!outcome.err.empty()) {
            messages.push_back(outcome.err);
        }
        return messages;
    }
    for (const auto& line : lines_of(outcome.out)) {
        if (line.starts_with("message ")) {
            messages.push_back(line.substr(8));
        }
    }
    return messages;
}

// The passwords the user saw: the one the window shows, or the lines the batch printed.
std::vector<std::string> shown_of(const std::string& operation, const Outcome& outcome) {
    if (is_batch(operation)) {
        return lines_of(outcome.out);
    }
    for (const auto& line : lines_of(outcome.out)) {
        if (line.starts_with("shown ") && line.size() > 6) {
            return {line.substr(6)};
        }
    }
    return {};
}

std::string Injector::check(const std::string& operation, const Outcome& before,
                            const Outcome& after, bool injected, bool cut_may_fail) {
    if (after.status != 0 && !(is_batch(operation) && after.status == 1)) {
        return "exit status " + std::to_string(after.status) + ": " + after.err;
    }
    if (!after.leftovers.empty()) {
        return "left " + after.leftovers.front() + " behind";
    }
    auto messages = messages_of(operation, after);
    const auto all_messages = messages;
    // The recovery key, shown when private records are turned on, tells of no failure.
    std::erase_if(messages, [](const std::string& message) {
        return message.starts_with(std::string(app::kPrivateOn).substr(0, 30));
    });
    if (!injected && !messages.empty()) {
        return "without a failure, told: " + messages.front();
    }
    const bool told = !messages.empty() && (!is_batch(operation) || after.status == 1);
    if (after.must_tell && !told) {
        return "the failure was reported as success";
    }
    const bool adds = operation.starts_with("generate") || is_batch(operation);
    if (!adds) {
        // A new key each time: done is the same records under the key the user was shown.
        const bool done =
            operation == "private-on"
                ? (private_form_of_records(after.records, all_messages) ||
                   private_form_of_records(after.records, messages_of(operation, before))) &&
                      after.settings == before.settings
                : after.records == reference_.records && after.settings == reference_.settings;
        const bool untouched = after.records == before.records && after.settings == before.settings;
        if (!done && !untouched) {
            return "neither the old nor the new contents:\n" + after.records + "\n" +
                   after.settings;
        }
        if (!done && (messages.empty() || !injected)) {
            return "not done, and nobody was told";
        }
        return {};
    }
    // A Generate or a batch adds whole lines, each password shown among them, or nothing. A
    // file it creates starts with the first line.
    std::string old = before.records;
    if (old.empty()) {
        if (!after.records.starts_with(kFirstLine) && !kFirstLine.starts_with(after.records)) {
            return "created without its first line:\n" + after.records;
        }
        old = after.records.substr(0, std::min(after.records.size(), kFirstLine.size()));
    }
    std::string base = old;
    if (!base.ends_with("\r\n")) {
        base += "\r\n";  // a piece of a line that could not be cut off stays a line of its own
    }
    if (after.settings != before.settings) {
        return "the settings changed";
    }
    if (!after.records.starts_with(old)) {
        return "records lost:\n" + after.records;
    }
    const std::string added = after.records.substr(old.size());
    std::string shown_lines;
    for (const auto& password : shown_of(operation, after)) {
        shown_lines += password + "\r\n";
    }
    if (after.status == 0 && messages.empty()) {
        const std::size_t count = shown_of(operation, after).size();
        if (count != (is_batch(operation) ? kBatchCount : 1)) {
            return "success, but " + std::to_string(count) + " passwords shown";
        }
        if (after.records != base + shown_lines && after.records != old + shown_lines) {
            return "the shown passwords are not what was added:\n" + added;
        }
        return {};
    }
    if (messages.empty()) {
        return "failed without a message";
    }
    // Told of a failure: whatever was shown is on record; added lines are whole, unless the
    // cut-off itself failed.
    for (const auto& password : shown_of(operation, after)) {
        if (after.records.find("\n" + password + "\r\n") == std::string::npos) {
            return "shown but not on record: " + password;
        }
    }
    if (!added.empty() && !added.ends_with("\r\n") && !cut_may_fail) {
        return "a piece of a line was left: " + added;
    }
    return {};
}

bool Injector::inject(const std::string& operation, const Outcome& before, const std::string& plan,
                      bool cut_may_fail) {
    prepare(operation);
    const Outcome injected = run(operation, plan);
    // A write that writes only part is no failure: the rest is written by the next.
    const bool harmless = plan.starts_with("part:");
    ++points_;
    const std::string where = operation + " with " + plan + ": ";
    if (!injected.fired) {
        fail(where + "the call was never made");
    } else if (std::string broken = check(operation, before, injected, !harmless, cut_may_fail);
               !broken.empty()) {
        fail(where + broken);
    } else if (std::string next = check(operation, injected, run(operation, ""), false);
               !next.empty()) {
        fail(where + "the next " + operation + ": " + next);
    }
    return injected.counts.count("ftruncate") != 0 && injected.counts.at("ftruncate") > 0;
}

void Injector::cover(const std::string& operation) {
    prepare(operation);
    const Outcome fresh = run(operation, "");
    Outcome before;
    before.records = operation.ends_with(kNewFile) ? ""
                     : operation == "private-off"  ? private_records(fixed_key())
                                                   : kRecords;
    before.settings = kSettings;
    reference_ = fresh;
    if (std::string broken = check(operation, before, fresh, false); !broken.empty()) {
        fail(operation + " without a failure: " + broken);
        return;
    }
    for (std::string kind :
         {"open", "write", "short", "part", "fsync", "fdatasync", "rename", "flock"}) {
        const std::string counted = kind == "short" || kind == "part" ? "write" : kind;
        const long calls = fresh.counts.count(counted) ? fresh.counts.at(counted) : 0;
        for (long n = 1; n <= calls; ++n) {
            for (std::string error : {"ENOSPC", "EIO"}) {
                if (kind == "part" && error != "ENOSPC") {
                    continue;  // fails with neither
                }
                const std::string plan = kind + ":" + std::to_string(n) + ":" + error;
                if (inject(operation, before, plan, false)) {
                    // A failed append was cut off again: let the cutting off fail too.
                    inject(operation, before, plan + ",ftruncate:1:" + error, true);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "run") {
        return run_operation(argv[2], argv[3]);
    }
    if (argc < 2) {
        std::cerr << "usage: fault_injection_test SHIM [KEYMINT]\n";
        return 2;
    }
    Injector injector(fs::absolute(argv[0]).string(), fs::absolute(argv[1]).string(),
                      argc > 2 ? fs::absolute(argv[2]).string() : std::string());
    for (const std::string& operation :
         std::vector<std::string>{"generate", "generate" + kNewFile, "delete", "delete-all", "exit",
                                  "private-on", "private-off", "batch", "batch" + kNewFile}) {
        if (is_batch(operation) && argc < 3) {
            continue;  // built without the program
        }
        const int before = injector.points();
        injector.cover(operation);
        std::cout << operation << ": " << injector.points() - before << " points\n";
    }
    std::cout << "fault injection: " << injector.points() << " points, " << injector.failures()
              << " failures\n";
    return injector.failures() == 0 && injector.points() > 0 ? 0 : 1;
}
