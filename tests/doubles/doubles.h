#pragma once

#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/instance_flag.h"
#include "platform/key_store.h"
#include "platform/message_box.h"
#include "platform/program_info.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/tasks.h"
#include "platform/text_encoding.h"
#include "platform/timer.h"
#include "platform/tray.h"
#include "platform/window_system.h"

namespace doubles {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    // An existing folder, used as it is and left in place.
    explicit TempFolder(std::string existing) : path_(std::move(existing)), owned_(false) {}
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    bool owned_ = true;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);

class FakeProgramInfo : public platform::ProgramInfo {
  public:
    explicit FakeProgramInfo(std::string folder, std::string base_name = "keymint")
        : folder_(std::move(folder)), base_name_(std::move(base_name)) {}
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return base_name_; }
    char separator() const override { return '/'; }
    std::string user_data_folder() const override { return data_folder; }
    // Empty: a platform without a per-user data folder.
    std::string data_folder;

  private:
    std::string folder_;
    std::string base_name_;
};

struct Message {
    std::string text;
    std::string caption;
    platform::MessageIcon icon;
};

// Collects message boxes instead of showing them.
class RecordingMessages : public platform::MessageBoxService {
  public:
    void show(const std::string& text, const std::string& caption,
              platform::MessageIcon icon) override {
        shown.push_back({text, caption, icon});
    }
    // Each box asked takes the next answer (nothing: cancelled), or is cancelled once they are
    // used up.
    std::optional<std::string> ask(const std::string& text, const std::string& caption) override {
        asked.push_back({text, caption, platform::MessageIcon::None});
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Message> shown;
    std::vector<Message> asked;
    std::deque<std::optional<std::string>> answers;
};

class CountingSound : public platform::Sound {
  public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

class FixedInstanceFlag : public platform::InstanceFlag {
  public:
    explicit FixedInstanceFlag(bool previous = false) : previous(previous) {}
    bool previous_instance() override { return previous; }
    bool previous;
};

// Hands out queued 64-bit words first, then a counter, so every draw is known in advance.
// A reproducible stream that looks random (SplitMix64): statistical tests that cannot flake.
class SeededRandom : public platform::RandomSource {
  public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    void fill(std::uint8_t* bytes, std::size_t count) override {
        for (; count > 0; --count) {
            *bytes++ = static_cast<std::uint8_t>(next() >> 56);
        }
    }

  private:
    std::uint64_t next() {
        std::uint64_t z = state_ += 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

class ScriptedRandom : public platform::RandomSource {
  public:
    void fill(std::uint8_t* bytes, std::size_t count) override {
        while (count > 0) {
            std::uint64_t word = next_word();
            std::size_t take = std::min(count, sizeof word);
            std::memcpy(bytes, &word, take);
            bytes += take;
            count -= take;
        }
    }
    std::deque<std::uint64_t> words;
    std::uint64_t counter = 0;
    int draws = 0;

  private:
    std::uint64_t next_word() {
        ++draws;
        if (!words.empty()) {
            std::uint64_t word = words.front();
            words.pop_front();
            return word;
        }
        return counter++;
    }
};

// A clipboard that can be told to refuse what it is given.
class FakeClipboard : public platform::Clipboard {
  public:
    void copy_secret(const std::string& text) override {
        ++copies;
        if (!refuse) {
            held = text;
        }
    }
    std::string text() const override { return held; }
    void clear() override { held.clear(); }
    std::string selection_text() const override { return selection; }
    void clear_selection() override { selection.clear(); }
    // What the password box does when the user copies or selects through it.
    void box_copies(const std::string& text, bool to_selection) {
        (to_selection ? selection : held) = text;
        if (on_secret_copied) {
            on_secret_copied(text, to_selection);
        }
    }
    std::string held;
    std::string selection;
    bool refuse = false;
    int copies = 0;
};

// A narrow encoding that holds every character but the ones listed.
class FakeTextEncoding : public platform::TextEncoding {
  public:
    bool can_encode(std::string_view code_point) const override {
        return !refused.contains(std::string(code_point));
    }
    bool is_utf8() const override { return utf8; }
    bool utf8 = true;
    std::set<std::string> refused;
};

// A keyring in memory; `refusal`, when set, is what every call throws (none running, locked).
class FakeKeyStore : public platform::KeyStore {
  public:
    std::optional<std::string> find(const std::string& id) override {
        fail_if_refusing();
        auto kept = keys.find(id);
        return kept == keys.end() ? std::nullopt : std::optional<std::string>(kept->second);
    }
    void keep(const std::string& id, std::string_view key, const std::string&) override {
        fail_if_refusing();
        keys[id] = std::string(key);
    }
    std::map<std::string, std::string> keys;
    std::string refusal;

  private:
    void fail_if_refusing() const {
        if (!refusal.empty()) {
            throw platform::KeyStoreError(refusal);
        }
    }
};

class FakeTray : public platform::Tray {
  public:
    bool available() const override { return has_area; }
    void add(const platform::NotifyIconData& icon) override {
        ++adds;
        last = icon;
        shown = true;
    }
    void remove(const platform::NotifyIconData&) override {
        ++removes;
        shown = false;
    }
    bool has_area = true;
    bool shown = false;
    int adds = 0;
    int removes = 0;
    platform::NotifyIconData last;
};

class FakeShell : public platform::Shell {
  public:
    void open(const std::string& verb, const std::string& address) override {
        opened.push_back(verb + " " + address);
    }
    std::vector<std::string> opened;
};

// A timer that waits until the test says the time has come.
class ManualTimer : public platform::Timer {
  public:
    void start(int milliseconds, std::function<void()> callback) override {
        delay = milliseconds;
        pending = std::move(callback);
    }
    void cancel() override { pending = nullptr; }
    // Runs the waiting callback, as the time running out would.
    void elapse() {
        auto callback = std::move(pending);
        pending = nullptr;
        if (callback) {
            callback();
        }
    }
    int delay = 0;
    std::function<void()> pending;
};

class FakeWindowSystem : public platform::WindowSystem {
  public:
    bool init_common_controls() override {
        ++common_controls_calls;
        return false;
    }
    void show_window() override { visible = true; }
    void hide_window() override { visible = false; }
    bool window_visible() const override { return visible; }
    void set_window_state(platform::WindowState new_state) override { state = new_state; }
    platform::WindowState window_state() const override { return state; }
    void popup_menu(const std::string& menu) override { popped_up.push_back(menu); }
    void end_process() override { ended = true; }
    void set_busy(bool now) override { busy = now; }

    int common_controls_calls = 0;
    bool visible = false;
    bool ended = false;
    bool busy = false;
    std::vector<std::string> popped_up;
    platform::WindowState state = platform::WindowState::Normal;
};

// Runs each task at once, or, while `held`, keeps it until run_held().
class HeldTasks : public platform::Tasks {
  public:
    void run(std::function<void()> work, std::function<void()> done) override {
        if (held) {
            waiting.push_back({std::move(work), std::move(done)});
        } else {
            work();
            done();
        }
    }
    void run_held() {
        held = false;
        while (!waiting.empty()) {
            auto task = std::move(waiting.front());
            waiting.pop_front();
            task.first();
            task.second();
        }
    }
    bool held = false;
    std::deque<std::pair<std::function<void()>, std::function<void()>>> waiting;
};

}  // namespace doubles
