#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/records_file.h"
#include "app/records_index.h"
#include "platform/tasks.h"
#include "platform/window_system.h"

namespace app {

// Keeps the long jobs on the records file off the window's thread: indexing it for the no-repeat
// check, reading it for the list and rewriting it for a delete. A job the user waits for shows the
// busy pointer; the window keeps answering.
class RecordsKeeper {
  public:
    RecordsKeeper(platform::FileSystem& files, std::string path, platform::Tasks& tasks,
                  platform::WindowSystem& window);
    RecordsKeeper(const RecordsKeeper&) = delete;
    RecordsKeeper& operator=(const RecordsKeeper&) = delete;

    // Starts indexing the file.
    void start();
    bool index_ready() const { return index_ != nullptr && !building_; }

    // Runs `action` once the index is current and no rewrite runs: at once when it is, otherwise
    // after the job that makes it so. Inside `action`, is_on_record answers.
    void when_ready(std::function<void()> action);
    // True when a line of the file equals `candidate`; without an index (the file could not be
    // read) the file is read whole, failing as a read does.
    bool is_on_record(std::string_view candidate);

    // True when the file is as the last list read it.
    bool list_unchanged();
    // Reads the records for the list off the window's thread. Only the latest request's `done`
    // runs; `failed` receives a read's error.
    void read_list(std::function<void(ListItems)> done,
                   std::function<void(const std::exception&)> failed);
    // Forgets the list, and any read of it still under way, so that the next read_list reads the
    // file.
    void list_cleared();

    // Rewrites the file with `work` off the window's thread; `done` receives its error or nullptr.
    // Generate clicks wait for it.
    void rewrite(std::function<void(RecordsFile&)> work,
                 std::function<void(std::exception_ptr)> done);

  private:
    void start_build();
    // Opens the file and brings the index up to date; false when it needs a new build.
    bool prepare_check();
    void run_waiting();
    void show_busy();
    // Wraps `done` so that it does nothing once this object is gone.
    std::function<void()> while_alive(std::function<void()> done);

    RecordsFile file_;
    platform::Tasks& tasks_;
    platform::WindowSystem& window_;
    std::shared_ptr<RecordsIndex> index_;
    std::unique_ptr<platform::ReadFile> reader_;  // open while an action runs
    bool building_ = false;
    int builds_ = 0;
    bool rewriting_ = false;
    int list_requests_ = 0;
    bool list_reading_ = false;
    std::optional<platform::FileStamp> list_stamp_;
    std::string list_tail_;  // the last bytes the list read
    std::deque<std::function<void()>> waiting_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
