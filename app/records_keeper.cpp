#include "app/records_keeper.h"

#include <chrono>
#include <thread>

namespace app {
namespace {

// The end of the file read last, compared before a list is kept.
constexpr std::size_t kCheckedBytes = 64;
// How often, and how many times in one job, a click waiting for another program's lock tries it.
constexpr auto kLockPoll = std::chrono::milliseconds(10);
constexpr int kLockPolls = 25;

// The file, locked, once the lock is free within a few polls; empty while someone else holds it.
std::unique_ptr<platform::AppendFile> lock_soon(RecordsFile& file) {
    for (int i = 0;; ++i) {
        if (auto locked = file.open_for_append(false); locked || i == kLockPolls) {
            return locked;
        }
        std::this_thread::sleep_for(kLockPoll);
    }
}

// The `count` bytes before `end`, as stored.
std::string stored_bytes_before(RecordsFile& file, std::uint64_t end, std::size_t count) {
    auto reading = file.open_as_stored();
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(end, count)), '\0');
    reading->seek(end - bytes.size());
    bytes.resize(platform::read_fully(*reading, bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace

RecordsKeeper::RecordsKeeper(RecordsFile file, platform::Tasks& tasks,
                             platform::WindowSystem& window)
    : file_(std::move(file)), tasks_(tasks), window_(window) {}

void RecordsKeeper::start() {
    start_build();
}

std::function<void()> RecordsKeeper::while_alive(std::function<void()> done) {
    return [alive = std::weak_ptr<bool>(alive_), done = std::move(done)] {
        if (alive.lock()) {
            done();
        }
    };
}

void RecordsKeeper::start_build() {
    building_ = true;
    const int build = ++builds_;
    struct Built {
        std::shared_ptr<RecordsIndex> index;
        RecordsFile::Codec codec;
        std::optional<bool> is_private;
        bool lock_busy = false;
        std::string key_problem;
        bool key_missing = false;
    };
    auto built = std::make_shared<Built>();
    tasks_.run(
        [file = file_, built]() mutable {
            try {
                // Read under the lock, so that no other copy of the program appends meanwhile.
                auto locked = lock_soon(file);
                if (!locked) {
                    built->lock_busy = true;
                    return;
                }
                built->is_private = RecordsFile::private_key_id(*locked).has_value();
                built->codec = file.codec(*locked);
                built->index = std::make_shared<RecordsIndex>(RecordsFile::index(*locked));
            } catch (const RecordsKeyError& error) {
                built->key_problem = error.what();
                built->key_missing = dynamic_cast<const RecordsKeyMissing*>(&error) != nullptr;
            } catch (const std::exception&) {
                // Without an index the check reads the file, and reports why it cannot: a
                // private file whose key is missing among other reasons.
                built->index.reset();
            }
        },
        while_alive([this, build, built] {
            if (build != builds_) {
                return;  // a later build, of a newer file, follows
            }
            if (built->lock_busy) {
                start_build();  // behind the jobs given meanwhile
                return;
            }
            building_ = false;
            index_ = built->index;
            codec_ = built->codec;
            private_ = built->is_private;
            key_problem_ = built->key_problem;
            key_missing_ = built->key_missing;
            if (on_indexed) {
                on_indexed();
            }
            run_waiting();
        }));
}

void RecordsKeeper::when_ready(std::function<void()> action) {
    waiting_.push_back(std::move(action));
    run_waiting();
}

std::unique_ptr<platform::AppendFile> RecordsKeeper::open_for_check() {
    auto file = file_.open_for_append(false);
    if (!file) {
        again_ = Again::AfterLock;
        return nullptr;
    }
    if (!index_) {
        return file;
    }
    try {
        LockedReader reader(*file);
        if (index_->up_to_date(reader)) {
            return file;
        }
    } catch (const platform::FileError&) {
        // The check reads the file itself and tells the user what went wrong.
        index_.reset();
        return file;
    }
    // Changed by someone else: only reading it again tells what it holds now.
    index_.reset();
    again_ = Again::AfterBuild;
    return nullptr;
}

void RecordsKeeper::append(platform::AppendFile& file, std::string_view password) {
    if (index_) {
        RecordsFile::append(file, *codec_, password, index_.get());
    } else {
        RecordsFile::append(file, *file_.codec(file), password);
    }
}

void RecordsKeeper::wait_for_lock() {
    lock_waiting_ = true;
    tasks_.run(
        [file = file_]() mutable {
            // A slice at a time, so that the jobs given after this one still run meanwhile.
            try {
                lock_soon(file);
            } catch (const platform::FileError&) {
                // the action tells the user
            }
        },
        while_alive([this] {
            lock_waiting_ = false;
            run_waiting();
        }));
}

void RecordsKeeper::run_waiting() {
    bool checked_without_index = false;
    while (!waiting_.empty() && !building_ && !rewriting_ && !lock_waiting_) {
        auto action = std::move(waiting_.front());
        waiting_.pop_front();
        again_ = Again::No;
        action();
        if (again_ != Again::No) {
            waiting_.push_front(std::move(action));
            if (again_ == Again::AfterLock) {
                wait_for_lock();
            } else {
                start_build();
            }
            break;
        }
        checked_without_index = checked_without_index || !index_;
    }
    if (checked_without_index && !index_ && !building_ && !rewriting_) {
        start_build();
    }
    show_busy();
}

bool RecordsKeeper::is_on_record(std::string_view candidate, platform::AppendFile& file) {
    if (index_) {
        LockedReader reader(file);
        return index_->contains(file_.stored(*codec_, candidate), reader);
    }
    if (!key_problem_.empty()) {
        // The keyring may ask the user to unlock it: it is asked again off the window's thread.
        if (key_missing_) {
            throw RecordsKeyMissing(key_problem_);
        }
        throw RecordsKeyError(key_problem_);
    }
    return file_.is_on_record(candidate);
}

bool RecordsKeeper::list_unchanged() {
    try {
        if (!list_stamp_ || file_.stamp() != *list_stamp_) {
            return false;
        }
        // A rewrite within the clock's granularity keeps the stamp; its bytes tell.
        return stored_bytes_before(file_, list_stamp_->size, kCheckedBytes) == list_tail_;
    } catch (const platform::FileError&) {
        return false;  // reading it anew reports the error
    }
}

void RecordsKeeper::list_cleared() {
    list_stamp_.reset();
    ++list_requests_;
    list_reading_ = false;
    show_busy();
}

void RecordsKeeper::read_list(std::function<void(ListItems)> done,
                              std::function<void(const std::exception&)> failed) {
    const int request = ++list_requests_;
    list_stamp_.reset();
    list_reading_ = true;
    show_busy();
    struct Result {
        ListItems items;
        platform::FileStamp stamp;
        std::string tail;
        std::exception_ptr error;
    };
    auto result = std::make_shared<Result>();
    tasks_.run(
        [file = file_, result]() mutable {
            try {
                result->items = file.list(&result->stamp);
                result->tail = stored_bytes_before(file, result->stamp.size, kCheckedBytes);
            } catch (...) {
                result->error = std::current_exception();
            }
        },
        while_alive([this, request, result, done = std::move(done), failed = std::move(failed)] {
            if (request != list_requests_) {
                return;  // a later request's answer follows
            }
            list_reading_ = false;
            show_busy();
            if (result->error) {
                try {
                    std::rethrow_exception(result->error);
                } catch (const std::exception& error) {
                    failed(error);
                }
                return;
            }
            list_stamp_ = result->stamp;
            list_tail_ = std::move(result->tail);
            done(std::move(result->items));
        }));
}

void RecordsKeeper::rewrite(std::function<std::size_t(RecordsFile&)> work,
                            std::function<void(std::exception_ptr, std::size_t)> done) {
    rewriting_ = true;
    show_busy();
    struct Result {
        std::exception_ptr error;
        std::size_t value = 0;
    };
    auto result = std::make_shared<Result>();
    tasks_.run(
        [file = file_, work = std::move(work), result]() mutable {
            try {
                result->value = work(file);
            } catch (...) {
                result->error = std::current_exception();
            }
        },
        while_alive([this, result, done = std::move(done)] {
            rewriting_ = false;
            list_stamp_.reset();
            done(result->error, result->value);
            // The file was replaced: index it anew now rather than at the next click.
            index_.reset();
            start_build();
        }));
}

void RecordsKeeper::show_busy() {
    window_.set_busy(!waiting_.empty() || rewriting_ || list_reading_);
}

}  // namespace app
