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
    RecordsKeeper(RecordsFile file, platform::Tasks& tasks, platform::WindowSystem& window);
    RecordsKeeper(const RecordsKeeper&) = delete;
    RecordsKeeper& operator=(const RecordsKeeper&) = delete;

    // Starts indexing the file.
    void start();
    bool index_ready() const { return index_ != nullptr && !building_; }

    // Runs `action` once the index is built and no rewrite runs: at once when it is, otherwise
    // after the job that makes it so. `action` checks with open_for_check and is_on_record.
    void when_ready(std::function<void()> action);
    // Opens the file for appending, which locks it, and makes sure the index is up to date.
    // Empty when another program holds the lock, or someone else changed the file since it was
    // indexed, which only a new index follows: the action should then return at once; it runs again
    // once the lock is free or the new index is ready, waited for off the window's thread. Throws
    // FileError.
    std::unique_ptr<platform::AppendFile> open_for_check();
    // Adds `password` to the file that open_for_check gave, and to the index.
    void append(platform::AppendFile& file, std::string_view password);
    // True when a line of the file equals `candidate`; `file` is what open_for_check gave. Without
    // an index (the file could not be read) the file is read whole, failing as a read does.
    bool is_on_record(std::string_view candidate, platform::AppendFile& file);

    // Whether the file said its records are private when it was last read for the index;
    // nothing while it could not be read.
    std::optional<bool> records_private() const { return private_; }
    // Called on the window's thread after each index build.
    std::function<void()> on_indexed;

    // True when the file is as the last list read it.
    bool list_unchanged();
    // Reads the records for the list off the window's thread. Only the latest request's `done`
    // runs; `failed` receives a read's error.
    void read_list(std::function<void(ListItems)> done,
                   std::function<void(const std::exception&)> failed);
    // Forgets the list, and any read of it still under way, so that the next read_list reads the
    // file.
    void list_cleared();

    // Rewrites the file with `work` off the window's thread; `done` receives its error or nullptr,
    // and what `work` returned. Generate clicks wait for it.
    void rewrite(std::function<std::size_t(RecordsFile&)> work,
                 std::function<void(std::exception_ptr, std::size_t)> done);

  private:
    void start_build();
    void wait_for_lock();
    void run_waiting();
    void show_busy();
    // Wraps `done` so that it does nothing once this object is gone.
    std::function<void()> while_alive(std::function<void()> done);

    RecordsFile file_;
    platform::Tasks& tasks_;
    platform::WindowSystem& window_;
    std::shared_ptr<RecordsIndex> index_;
    RecordsFile::Codec codec_;  // the form of the records the index was built from
    std::optional<bool> private_;
    std::string key_problem_;  // why the last build could not have the records' key
    bool key_missing_ = false;
    enum class Again { No, AfterLock, AfterBuild };
    Again again_ = Again::No;  // whether the running action asked to run again, and when
    bool lock_waiting_ = false;
    bool building_ = false;
    int builds_ = 0;
    bool rewriting_ = false;
    int list_requests_ = 0;
    bool list_reading_ = false;
    std::optional<platform::FileStamp> list_stamp_;
    std::string list_tail_;  // the last bytes the list read, as stored
    std::deque<std::function<void()>> waiting_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
